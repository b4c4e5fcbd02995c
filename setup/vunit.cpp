// Folder helpers of the pages; the desktop's folders where the shell-folder unit is absent.
#include "setup/vunit.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "platform/system.h"

namespace zarn3set {

std::string ExpandFolder(const std::string& typed) {
  std::size_t a = typed.find_first_not_of(" \t");
  if (a == std::string::npos) return {};
  std::string s = typed.substr(a, typed.find_last_not_of(" \t") - a + 1);
  if (s == "~" || s.rfind("~/", 0) == 0) {
    std::string home = plat::HomeFolder().string();
    if (!home.empty()) s = home + s.substr(1);
  }
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

std::int64_t FreeBytes(const std::string& folder) {
  std::error_code ec;
  std::filesystem::path p = folder;
  while (!p.empty() && !std::filesystem::exists(p, ec)) {
    if (p == p.parent_path()) break;
    p = p.parent_path();
  }
  if (p.empty()) return -1;
  struct statvfs st {};
  if (::statvfs(p.c_str(), &st) != 0) return -1;
  return static_cast<std::int64_t>(st.f_bavail) * static_cast<std::int64_t>(st.f_frsize);
}

bool MakeFolders(const std::string& folder, std::string& why) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec || !std::filesystem::is_directory(folder)) {
    why = ec ? ec.message() : "not a folder";
    return false;
  }
  // A folder we cannot write into is as good as none.
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    why = std::error_code(errno, std::generic_category()).message();
    return false;
  }
  return true;
}


}  // namespace zarn3set
