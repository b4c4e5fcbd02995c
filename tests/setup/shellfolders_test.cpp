// The desktop's folders and launchers: where they are, how they are written, that the desktop's
// validator accepts them and that a launcher's command starts the installed game.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "setup/archive/AwkMain.h"
#include "setup/archive/UnRAR.h"
#include "setup/shellfolders.h"
#include "tests/setup/setup_fixture.h"

using namespace zarn3set;
using setup_test::Listing;
using setup_test::Slurp;
using setup_test::Spit;
using setup_test::TempDirTest;

namespace {

class ShellFolders : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    home_ = dir;
    Save("HOME");
    Save("XDG_DATA_HOME");
    Save("XDG_CONFIG_HOME");
    setenv("HOME", home_.c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
  }
  void TearDown() override {
    for (auto& [name, value] : saved_) {
      if (value) setenv(name.c_str(), value->c_str(), 1);
      else unsetenv(name.c_str());
    }
    TempDirTest::TearDown();
  }
  void Save(const std::string& name) {
    const char* v = std::getenv(name.c_str());
    saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
  }
  std::string Value(const std::string& text, const std::string& key) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
      if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    return "<none>";
  }

  std::filesystem::path home_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// The Exec value as a desktop starts it: string escapes first, then the quoting of arguments.
std::vector<std::string> ExecArguments(const std::string& value) {
  std::string s;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      char c = value[++i];
      s += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    } else {
      s += value[i];
    }
  }
  std::vector<std::string> args;
  std::string cur;
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (quoted) {
      if (c == '\\' && i + 1 < s.size() && std::string("\"`$\\").find(s[i + 1]) != std::string::npos)
        cur += s[++i];
      else if (c == '"') quoted = false;
      else cur += c;
    } else if (c == '"') {
      quoted = any = true;
    } else if (c == ' ') {
      if (any || !cur.empty()) args.push_back(cur);
      cur.clear();
      any = false;
    } else {
      cur += c;
    }
  }
  if (any || !cur.empty()) args.push_back(cur);
  return args;
}

template <typename Pred>
bool WaitFor(Pred pred, int seconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (pred()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return pred();
}

pid_t Start(const std::vector<std::string>& args, const std::filesystem::path& log) {
  pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("ZARN_PLATFORM", "null", 1);
    ::chdir("/");
    FILE* f = std::freopen(log.c_str(), "w", stderr);
    (void)f;
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

TEST_F(ShellFolders, FoldersFollowTheUsersDirectories) {
  std::string dir;
  GetProgramFilesDir(dir);
  EXPECT_EQ(dir, ::geteuid() == 0 ? std::string("/opt") : (home_ / "Games").string());
  if (::geteuid() != 0) {
    EXPECT_TRUE(std::filesystem::is_directory(home_ / "Games"));
  }

  GetProgramsMenuDir(dir);
  EXPECT_EQ(dir, (home_ / ".local/share/applications").string());
  EXPECT_TRUE(std::filesystem::is_directory(dir));
  setenv("XDG_DATA_HOME", (home_ / "data").c_str(), 1);
  GetProgramsMenuDir(dir);
  EXPECT_EQ(dir, (home_ / "data/applications").string());

  GetDesktopDir(dir);
  EXPECT_EQ(dir, "");  // no desktop folder: none
  std::filesystem::create_directories(home_ / "Desktop");
  GetDesktopDir(dir);
  EXPECT_EQ(dir, (home_ / "Desktop").string());
  Spit(home_ / ".config/user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                         "XDG_DESKTOP_DIR=\"$HOME/Рабочий стол\"\n");
  GetDesktopDir(dir);
  EXPECT_EQ(dir, "");  // named but absent
  std::filesystem::create_directories(home_ / "Рабочий стол");
  GetDesktopDir(dir);
  EXPECT_EQ(dir, (home_ / "Рабочий стол").string());
}

TEST_F(ShellFolders, MakeDirCreatesOneLevel) {
  auto games = home_ / "Games";
  MakeDir(games.string());
  EXPECT_TRUE(std::filesystem::is_directory(games));
  Spit(games / "keep.txt", "kept");
  MakeDir(games.string() + "/");  // exists: nothing happens
  EXPECT_EQ(Slurp(games / "keep.txt"), "kept");
  MakeDir(SlashToBackslash((games / "ZarnIII").string()));
  EXPECT_TRUE(std::filesystem::is_directory(games / "ZarnIII"));
  try {
    MakeDir((home_ / "no" / "such").string());
    ADD_FAILURE() << "no error";
  } catch (const std::system_error& e) {
    EXPECT_EQ(e.code().value(), ENOENT);
  }
}

TEST_F(ShellFolders, LaunchersAreValidAndStartTheInstalledGame) {
  // Install the packed game as the copy page does, then make both launchers.
  auto install = home_ / "Games" / "Zarn III $pecial" / "ZarnIII";
  std::filesystem::create_directories(install);
  std::filesystem::copy_file(ZARN_GAME_PACKAGE, install / "zarn3.rar");
  ASSERT_TRUE(BindUnrarLibrary(ZARN_UNRAR_LIBRARY));
  TUnRAR unrar;
  unrar.SetArchiveFile((install / "zarn3.rar").string());
  unrar.Extract();
  UnbindUnrarLibrary();
  ASSERT_TRUE(std::filesystem::exists(install / "zarn")) << "the package lacks the program";

  std::string menu, desktop;
  GetProgramsMenuDir(menu);
  std::filesystem::create_directories(home_ / "Desktop");
  GetDesktopDir(desktop);
  std::string group = menu + "/Zarn III";
  MakeDir(group);
  std::string target = SlashToBackslash(install.string()) + "\\zarn.exe";
  ASSERT_TRUE(CreateShellLink(target, group + "\\Zarn III.lnk", "", ""));
  ASSERT_TRUE(CreateShellLink(target, desktop + "\\Zarn III.lnk", "", ""));
  auto inMenu = std::filesystem::path(group) / kLauncherFileName;
  auto onDesktop = std::filesystem::path(desktop) / kLauncherFileName;
  struct stat st {};
  ASSERT_EQ(::stat(inMenu.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  ASSERT_EQ(::stat(onDesktop.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);
  EXPECT_EQ(Listing(group), "zarn3.desktop\n");

  for (const auto& file : {inMenu, onDesktop}) {
    SCOPED_TRACE(file.string());
    std::string report = home_ / "validate.txt";
    int status = std::system(("desktop-file-validate '" + file.string() + "' >'" + report + "' 2>&1").c_str());
    EXPECT_EQ(status, 0) << Slurp(report);
    EXPECT_EQ(Slurp(report), "");
    std::string text = Slurp(file);
    EXPECT_EQ(Value(text, "Name"), "Zarn III");
    EXPECT_EQ(Value(text, "Icon"), "applications-games");
    EXPECT_EQ(Value(text, "Path"), install.string());
    EXPECT_EQ(ExecArguments(Value(text, "Exec")),
              std::vector<std::string>{(install / "zarn").string()});
  }

  // Started from elsewhere, the program is the installed one and settles in its folder.
  auto log = home_ / "zarn.log";
  pid_t pid = Start(ExecArguments(Value(Slurp(onDesktop), "Exec")), log);
  ASSERT_GT(pid, 0);
  std::string proc = "/proc/" + std::to_string(pid);
  std::error_code ec;
  EXPECT_TRUE(WaitFor([&] { return std::filesystem::read_symlink(proc + "/cwd", ec) == install; }, 30))
      << Slurp(log);
  EXPECT_EQ(std::filesystem::read_symlink(proc + "/exe", ec), install / "zarn");
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "the game ended: " << Slurp(log);
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);

  // It reads its data from the installed folder: without its font it stops with status 1.
  std::filesystem::remove(install / "data" / "zarnrus.fnt");
  pid = Start(ExecArguments(Value(Slurp(inMenu), "Exec")), log);
  ASSERT_GT(pid, 0);
  bool ended = WaitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, 30);
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  }
  EXPECT_TRUE(ended);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
}

}  // namespace
