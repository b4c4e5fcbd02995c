#include "setup/shellfolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/system.h"

namespace zarn3set {
namespace {

namespace fs = std::filesystem;

// Paths from the pages may use either separator.
fs::path Native(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return fs::path(path);
}

bool IsFolder(const fs::path& p) {
  struct stat st {};
  return !p.empty() && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Ensured(const fs::path& p, bool withParents) {
  if (p.empty()) return {};
  std::error_code ec;
  if (withParents) fs::create_directories(p, ec);
  else if (!IsFolder(p)) fs::create_directory(p, ec);
  return IsFolder(p) ? p.string() : std::string();
}

}  // namespace

void GetProgramFilesDir(std::string& dir) {
  if (::geteuid() == 0) {
    dir = Ensured("/opt", false);
    return;
  }
  fs::path home = plat::HomeFolder();
  dir = IsFolder(home) ? Ensured(home / "Games", false) : std::string();
}

void GetProgramsMenuDir(std::string& dir) { dir = Ensured(plat::ApplicationsMenuFolder(), true); }

void GetDesktopDir(std::string& dir) {
  fs::path desktop = plat::DesktopFolder();
  dir = IsFolder(desktop) ? desktop.string() : std::string();
}

void MakeDir(const std::string& folder) {
  fs::path p = Native(folder);
  while (p.has_relative_path() && !p.has_filename()) p = p.parent_path();  // trailing "/"
  if (IsFolder(p)) return;
  if (::mkdir(p.c_str(), 0755) != 0) throw std::system_error(errno, std::generic_category(), p.string());
}

std::string LauncherProgram(const std::string& target) {
  fs::path program = Native(target);
  if (program.extension() == ".exe") program.replace_extension();
  return program.string();
}

bool CreateShellLink(const std::string& target, const std::string& linkFile,
                     const std::string& description, const std::string& arguments) {
  fs::path program = LauncherProgram(target);
  fs::path folder = Native(linkFile).parent_path();
  plat::Launcher l;
  l.name = "Zarn III";
  l.exec = program;
  l.arguments = arguments;
  l.comment = description;
  l.workingFolder = program.parent_path();
  l.icon = "applications-games";
  std::string desktop;
  GetDesktopDir(desktop);
  std::error_code ec;
  bool onDesktop = !desktop.empty() && fs::equivalent(folder, desktop, ec);
  l.mode = onDesktop ? 0755 : 0644;
  return plat::WriteLauncher(folder / kLauncherFileName, l);
}

}  // namespace zarn3set
