// Shared helpers of the installer's tests: temporary folders, file contents, shell commands.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// `s` quoted for the shell.
inline std::string Q(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

inline void Shell(const std::string& command) {
  int rc = std::system(command.c_str());
  ASSERT_EQ(rc, 0) << command;
}

// A fresh temporary folder `dir` for each test, removed with all it holds afterwards.
class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = TempDir("zarn3set_test");
    ASSERT_FALSE(dir.empty());
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(dir, ec);
  }
  std::filesystem::path dir;
};

}  // namespace setup_test
