// Shared helpers of the installer's tests: temporary folders and file contents.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace setup_test {

inline std::filesystem::path TempDir(const std::string& tag) {
  std::string pattern = (std::filesystem::temp_directory_path() / (tag + "_XXXXXX")).string();
  char* made = ::mkdtemp(pattern.data());
  return made ? std::filesystem::path(made) : std::filesystem::path();
}

inline std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void Spit(const std::filesystem::path& p, const std::string& bytes) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

// Every path below `dir`, relative, sorted.
inline std::string Listing(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::recursive_directory_iterator it(dir, ec), end; !ec && it != end;
       it.increment(ec))
    names.push_back(it->path().lexically_relative(dir).string());
  std::sort(names.begin(), names.end());
  std::string out;
  for (auto& n : names) out += n + "\n";
  return out;
}

}  // namespace setup_test
