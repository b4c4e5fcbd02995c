// The desktop's folders and launchers as the wizard pages ask for them: the program-files
// folder, the programs menu, the desktop, one-level folder creation and shortcuts.
#pragma once

#include <string>

namespace zarn3set {

// Each answers the folder, or an empty text when there is none. Folders are native paths.
// Program files: ~/Games (/opt for root), made when missing so that an install folder can be
// created in it. Programs menu: $XDG_DATA_HOME/applications (default ~/.local/share/...),
// made when missing. Desktop: the user's XDG desktop folder, else ~/Desktop; empty when absent.
void GetProgramFilesDir(std::string& dir);
void GetProgramsMenuDir(std::string& dir);
void GetDesktopDir(std::string& dir);

// Creates `folder` when it does not exist (one level: its parent must exist); throws
// std::system_error with the system's code on failure.
void MakeDir(const std::string& folder);

// A shortcut to `target` (a program; "zarn.exe" means the program "zarn") saved as a desktop
// entry "zarn3.desktop" in the folder of `linkFile` ("...\Zarn III.lnk"): mode 0755 on the
// desktop, 0644 in menus. False when it cannot be written.
bool CreateShellLink(const std::string& target, const std::string& linkFile,
                     const std::string& description, const std::string& arguments);

// The program a shortcut to `target` starts: a native path, "zarn.exe" being "zarn".
std::string LauncherProgram(const std::string& target);

// The desktop entry's file name inside a shortcut folder.
inline constexpr const char* kLauncherFileName = "zarn3.desktop";

}  // namespace zarn3set
