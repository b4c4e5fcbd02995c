// Operating-system services: dynamic libraries, atomic file writes, the desktop's special
// folders and its launchers (for the installer).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// Opaque library handle; null with the system's reason when it cannot be loaded.
void* LibraryLoad(const std::string& name, std::string* error = nullptr);
void* LibrarySymbol(void* library, const std::string& symbol, std::string* error = nullptr);
void LibraryFree(void* library);

// Writes to a temporary file beside `path` ("<path>.tmp<pid>"), flushes it and renames it into
// place: a failed write (a full disk, the file-size limit) never destroys the old file and leaves
// no temporary file behind. Every writer of both programs goes through here.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error = nullptr);

// Reads a whole file that is a regular file of at most `maxBytes`: a named pipe, a device or a
// link to one, or a file larger than its kind can be, is refused without being read or waited on.
enum class ReadResult { Ok, CannotOpen, NotRegular, TooLarge, CannotRead };
ReadResult ReadRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes, std::string& out);
ReadResult ReadRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes,
                           std::vector<std::uint8_t>& out);

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
