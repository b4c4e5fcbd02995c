// Operating-system services: dynamic libraries, atomic file writes, the desktop's special
// folders and its launchers (for the installer).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace plat {

// Opaque library handle; null with the system's reason when it cannot be loaded.
void* LibraryLoad(const std::string& name, std::string* error = nullptr);
void* LibrarySymbol(void* library, const std::string& symbol, std::string* error = nullptr);
void LibraryFree(void* library);

// Writes to a temporary file beside `path`, flushes it and renames it into place: a failed
// write never destroys the old file.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error = nullptr);

// The current user's folders, or empty when they cannot be found.
std::filesystem::path HomeFolder();
std::filesystem::path DesktopFolder();           // XDG desktop folder
std::filesystem::path ApplicationsMenuFolder();  // where menu launchers go
std::filesystem::path ProgramsFolder();          // where programs of this user are installed
std::filesystem::path ExecutableFolder();        // the folder of the running program

struct Launcher {
  std::string name;     // shown to the user (UTF-8)
  std::filesystem::path exec;  // the program
  std::string arguments;       // appended to the command line as given
  std::filesystem::path workingFolder;
  std::filesystem::path icon;
  std::string comment;
  unsigned mode = 0755;  // executable, so desktops trust it; menus need no execute bit
};
// Writes a .desktop launcher atomically with `mode`. False with the reason.
bool WriteLauncher(const std::filesystem::path& file, const Launcher& launcher,
                   std::string* error = nullptr);
// Quotes a command-line argument as launchers require.
std::string LauncherQuote(std::string_view argument);

}  // namespace plat
