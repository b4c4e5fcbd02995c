#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fixture.h"

using namespace plat;

namespace {

std::filesystem::path TempDir(const char* name) {
  auto dir = std::filesystem::temp_directory_path() / (name + ("_" + std::to_string(::getpid())));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

const char* kSettings =
    "; settings of the game\r\n"
    "[Options]\r\n"
    "SoundVolume = 80\r\n"
    "PlayerName=\"Nomad One\"\r\n"
    "; keep this comment\r\n"
    "Speed=$10\r\n"
    "\r\n"
    "[Net]\r\n"
    "Server=127.0.0.1\r\n";

}  // namespace

TEST(PlatformIni, ReadsWithoutRegardToCaseAndWithDefaults) {
  IniFile ini;
  IniParse(ini, kSettings);
  EXPECT_EQ(IniReadInteger(ini, "options", "SOUNDVOLUME", 0), 80);
  EXPECT_EQ(IniReadString(ini, "Options", "PlayerName"), "Nomad One");
  EXPECT_EQ(IniReadInteger(ini, "Options", "Speed", 0), 16);
  EXPECT_EQ(IniReadInteger(ini, "Options", "Missing", -7), -7);
  EXPECT_EQ(IniReadInteger(ini, "Options", "PlayerName", 3), 3);  // not a number
  EXPECT_EQ(IniReadString(ini, "NET", "server"), "127.0.0.1");
  EXPECT_EQ(IniReadString(ini, "Nowhere", "Server", "x"), "x");
  EXPECT_TRUE(IniReadBool(ini, "Options", "SoundVolume", false));
  EXPECT_EQ(IniSectionKeys(ini, "options"),
            (std::vector<std::string>{"SoundVolume", "PlayerName", "Speed"}));
  EXPECT_EQ(IniSections(ini), (std::vector<std::string>{"Options", "Net"}));
}

TEST(PlatformIni, RewritingKeepsEveryOtherLine) {
  IniFile ini;
  IniParse(ini, kSettings);
  IniWriteInteger(ini, "OPTIONS", "soundvolume", 55);
  IniWriteString(ini, "Options", "NewKey", "a b");
  IniWriteBool(ini, "Video", "FullScreen", true);
  EXPECT_EQ(IniText(ini),
            "; settings of the game\r\n"
            "[Options]\r\n"
            "SoundVolume=55\r\n"
            "PlayerName=\"Nomad One\"\r\n"
            "; keep this comment\r\n"
            "Speed=$10\r\n"
            "NewKey=a b\r\n"
            "\r\n"
            "[Net]\r\n"
            "Server=127.0.0.1\r\n"
            "\r\n"
            "[Video]\r\n"
            "FullScreen=1\r\n");
  // A value cannot smuggle in lines of its own.
  IniWriteString(ini, "Net", "Server", "evil\r\n[Options]\r\nSoundVolume=0");
  EXPECT_EQ(IniReadInteger(ini, "Options", "SoundVolume", 0), 55);
  EXPECT_EQ(IniSections(ini).size(), 3u);
  IniDeleteKey(ini, "options", "NEWKEY");
  IniEraseSection(ini, "video");
  EXPECT_FALSE(IniValueExists(ini, "Options", "NewKey"));
  EXPECT_FALSE(IniSectionExists(ini, "Video"));
}

TEST(PlatformIni, SavesAtomicallyAndKeepsLineEnds) {
  auto dir = TempDir("zarn_platform_ini");
  auto path = dir / "zarn.ini";
  {
    std::ofstream(path, std::ios::binary) << "[A]\nx=1\n";
  }
  IniFile ini;
  ASSERT_TRUE(IniLoad(ini, path));
  EXPECT_FALSE(ini.crlf);
  IniWriteInteger(ini, "a", "X", 2);
  ASSERT_TRUE(IniSave(ini));
  EXPECT_EQ(Slurp(path), "[A]\nx=2\n");
  // A missing file loads empty; nothing is left behind besides the file.
  IniFile fresh;
  ASSERT_TRUE(IniLoad(fresh, dir / "new.ini"));
  IniWriteString(fresh, "S", "k", "v");
  ASSERT_TRUE(IniSave(fresh));
  EXPECT_EQ(Slurp(dir / "new.ini"), "[S]\r\nk=v\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                          std::filesystem::directory_iterator()),
            2);
  // A failed write leaves the old file alone.
  fresh.path = dir / "no" / "such" / "folder" / "x.ini";
  std::string why;
  EXPECT_FALSE(IniSave(fresh, &why));
  EXPECT_FALSE(why.empty());
  std::filesystem::remove_all(dir);
}

TEST(PlatformSystem, LibrariesLoadOrFailClearly) {
  std::string why;
  EXPECT_EQ(LibraryLoad("libzarn-no-such-library.so", &why), nullptr);
  EXPECT_NE(why.find("libzarn-no-such-library.so"), std::string::npos);
  void* m = LibraryLoad("libm.so.6", &why);
  ASSERT_NE(m, nullptr) << why;
  auto cosine = reinterpret_cast<double (*)(double)>(LibrarySymbol(m, "cos", &why));
  ASSERT_NE(cosine, nullptr);
  EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(LibrarySymbol(m, "no_such_symbol_here", &why), nullptr);
  LibraryFree(m);
}

TEST(PlatformSystem, LaunchersAreWrittenExecutableWithQuotedCommands) {
  auto dir = TempDir("zarn_platform_launch");
  setenv("XDG_DATA_HOME", dir.c_str(), 1);
  EXPECT_EQ(ApplicationsMenuFolder(), dir / "applications");
  Launcher l;
  l.name = "Zarn III";
  l.exec = dir / "Zarn III" / "zarn";
  l.workingFolder = dir / "Zarn III";
  auto file = ApplicationsMenuFolder() / "zarn3.desktop";
  ASSERT_TRUE(WriteLauncher(file, l));
  std::string text = Slurp(file);
  EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
  EXPECT_NE(text.find("Name=Zarn III\n"), std::string::npos);
  EXPECT_NE(text.find("Exec=\"" + (dir / "Zarn III" / "zarn").string() + "\"\n"),
            std::string::npos);
  struct stat st {};
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR);
  EXPECT_EQ(LauncherQuote("/opt/zarn"), "/opt/zarn");
  EXPECT_EQ(LauncherQuote("a $b\"c%"), "\"a \\$b\\\"c%%\"");
  EXPECT_FALSE(WriteLauncher(file, Launcher{}));
  unsetenv("XDG_DATA_HOME");
  std::filesystem::remove_all(dir);
}
