// What the wizard's pages hand to one another, and the desktop's folders and shortcuts they use.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "setup/shellfolders.h"

namespace zarn3set {

inline std::string ProgramFilesDir, ProgramsMenuDir, DesktopDir;
inline std::string InstallDir;      // with a trailing "/"
inline std::string LinkGroupDir;    // with a trailing "/"
inline std::string DesktopLinkDir;  // DesktopDir + "/" when a desktop shortcut is wanted
inline std::int32_t WizardStep = 0;
inline std::function<void()> NextPageProc;

inline constexpr const char* kArchiveName = "zarn3.rar";
inline constexpr const char* kInstallFolderName = "ZarnIII";
inline constexpr const char* kGroupName = "Zarn III";
inline constexpr const char* kShortcutName = "Zarn III.lnk";
inline constexpr const char* kGameProgram = "zarn.exe";

// Folder text as typed: "~" and "~/..." become the home folder; surrounding blanks go.
std::string ExpandFolder(const std::string& typed);
// Free bytes where `folder` (or its nearest existing parent) lies; -1 when unknown.
std::int64_t FreeBytes(const std::string& folder);
// Makes the folder with every missing level; false with the system's reason.
bool MakeFolders(const std::string& folder, std::string& why);

}  // namespace zarn3set
