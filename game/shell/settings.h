// The settings file: zarn.ini in the program's folder, section "Options". Read once at start-up
// and written back when the game quits through its own menu.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace zarn {

inline constexpr const char* SettingsFileName = "zarn.ini";
inline constexpr const char* SettingsSection = "Options";

// The server socket always listens here; the client's port comes from the settings.
inline constexpr std::int32_t ServerSocketPort = 1025;
inline std::int32_t ClientSocketPort = 1025;
inline std::string ClientSocketService;
inline std::string ServerSocketService;

// The folder of the program file. Tests (and a relocated data set) may set ProgramFolderOverride.
inline std::filesystem::path ProgramFolderOverride;
std::filesystem::path ProgramFolder();
std::filesystem::path SettingsPath();

// Overwrites GameOptions from the file (missing keys and files keep the current values), holds
// the numbers to what the game can run with, and hands the network values to the sockets.
// False only when the file exists but cannot be read, or is no regular file of a settings
// file's size (GameOptions then stays as it was); `why` then names the file (UTF-8).
bool LoadSettings(std::string* why = nullptr);
// Writes the 22 keys; every other line of the file stays. False when the file cannot be written.
bool SaveSettings();

// The clamping of LoadSettings on its own.
void ClampGameOptions();

}  // namespace zarn
