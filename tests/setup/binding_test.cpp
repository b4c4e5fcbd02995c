// The component against a scripted library loaded by name: result codes, password tries,
// volume requests, cancel and progress.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/system.h"
#include "setup/archive/AwkMain.h"
#include "setup/archive/UnRAR.h"
#include "tests/setup/fakelib/fakeunrar.h"
#include "tests/setup/setup_fixture.h"

using namespace zarn3set;
using setup_test::Spit;
using setup_test::TempDir;
using setup_test::TempDirTest;

namespace {

class FakeLibrary : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ASSERT_TRUE(BindUnrarLibrary(ZARN_FAKE_UNRAR));
    setScript_ = reinterpret_cast<FakeRarSetScriptFn>(plat::LibrarySymbol(UnrarLibHandle, "FakeRarSetScript"));
    log_ = reinterpret_cast<FakeRarLogFn>(plat::LibrarySymbol(UnrarLibHandle, "FakeRarLog"));
    volume_ = reinterpret_cast<FakeRarVolumeFn>(plat::LibrarySymbol(UnrarLibHandle, "FakeRarVolume"));
    ASSERT_TRUE(setScript_ && log_ && volume_);
    dir_ = dir;
    Spit(dir_ / "game.rar", std::string("Rar!\x1a\x07\x00", 7));
    unrar_.SetArchiveFile((dir_ / "game.rar").string());
    unrar_.OnError = [this](TZipCommon*, const std::string& file, const std::string&, int,
                            int code) { errors_ += file + ":" + std::to_string(code) + ";"; };
    unrar_.OnDeactivate = [this](TZipCommon*) { deactivated_ = true; };
  }
  void TearDown() override {
    UnbindUnrarLibrary();
    TempDirTest::TearDown();
  }
  FakeRarEntry& Add(const char* name, int result = 0) {
    FakeRarEntry& e = script_.entries[script_.entryCount++];
    std::memset(&e, 0, sizeof e);
    std::strncpy(e.name, name, sizeof e.name - 1);
    e.hostOS = 2;
    e.attr = 0x20;
    e.result = result;
    e.volumeMode = -1;
    return e;
  }
  // Runs the extraction; the message of the failure, or "" after success.
  std::string Run() {
    script_.endResult = script_.endResult ? script_.endResult : ERAR_END_ARCHIVE;
    setScript_(&script_);
    try {
      unrar_.Extract();
    } catch (const E_RAISE& e) {
      return e.what();
    }
    return "";
  }
  std::string Log() const { return log_(); }

  FakeRarSetScriptFn setScript_ = nullptr;
  FakeRarLogFn log_ = nullptr;
  FakeRarVolumeFn volume_ = nullptr;
  FakeRarScript script_{};
  std::filesystem::path dir_;
  TUnRAR unrar_;
  std::string errors_;
  bool deactivated_ = false;
};

TEST_F(FakeLibrary, EveryProcessingResultStopsWithItsMessage) {
  const std::pair<int, const char*> cases[] = {
      // Bad data while an entry is processed is its CRC failing, not its header.
      {10, "EOF not found"}, {11, "Out of memory"}, {12, "File fails CRC check"},
      {13, "Invalid or unsupported archive type for this operation"},
      {14, "Invalid or unsupported archive type for this operation"},
      {15, "Error opening file"}, {16, "Error writing to file"}, {17, "Error closing file"},
      {18, "Error reading file or unexpected end of file"}, {19, "Error writing to file"},
      {21, "Broken multi-volume chain"}, {20, "File fails CRC check"},
  };
  for (auto [code, text] : cases) {
    SCOPED_TRACE(code);
    script_ = {};
    errors_.clear();
    deactivated_ = false;
    Add("first.dat", code);
    Add("second.dat");
    EXPECT_EQ(Run(), text);
    // The second entry is never reached and the run does not end as a success.
    EXPECT_EQ(Log().find("process 2 " + dir_.string() + "/ " + (dir_ / "second.dat").string()),
              std::string::npos);
    EXPECT_NE(Log().find("close;"), std::string::npos);
    EXPECT_FALSE(deactivated_);
    EXPECT_NE(errors_.find("first.dat:"), std::string::npos) << errors_;
  }
}

TEST_F(FakeLibrary, OpenAndReadResultsAreReported) {
  script_.openResult = 15;
  Add("a.dat");
  EXPECT_EQ(Run(), "Error opening file");
  script_ = {};
  script_.endResult = 12;
  Add("a.dat");
  EXPECT_EQ(Run(), "Bad file header");
  script_ = {};
  script_.endResult = 18;
  EXPECT_EQ(Run(), "Error reading file or unexpected end of file");
  script_ = {};
  Add("a.dat");
  Add("dir", 0).flags = RHDF_DIRECTORY;
  EXPECT_EQ(Run(), "");
  EXPECT_TRUE(deactivated_);
  EXPECT_EQ(Log(), "open 1 16384;read;process 2 " + dir_.string() + "/ " +
                       (dir_ / "a.dat").string() + ";read;process 0;end;close;");
}

TEST_F(FakeLibrary, WrongPasswordsAreAskedAgainThreeTimesInAll) {
  std::vector<std::string> answers = {"guess", "sesame"};
  int asked = 0;
  unrar_.OnGetPassword = [&](TZipCommon*, const std::string&, std::string& pw, bool&) {
    pw = asked < static_cast<int>(answers.size()) ? answers[static_cast<std::size_t>(asked)] : "wrong";
    ++asked;
  };
  FakeRarEntry& e = Add("secret.dat");
  e.flags = RHDF_ENCRYPTED;
  std::strcpy(e.password, "sesame");
  EXPECT_EQ(Run(), "");
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(errors_, "secret.dat:" + std::to_string(M_INVALID_PASSWORD) + ";");
  EXPECT_NE(Log().find("password sesame;"), std::string::npos);

  // Three wrong answers: "Invalid password" ends it.
  answers.clear();
  asked = 0;
  errors_.clear();
  EXPECT_EQ(Run(), "Invalid password");
  EXPECT_EQ(asked, 3);

  // No handler: the library refuses the entry without a password and that is reported.
  unrar_.OnGetPassword = nullptr;
  EXPECT_EQ(Run(), "Invalid or unsupported archive type for this operation");
  EXPECT_NE(Log().find("password ;"), std::string::npos);
}

TEST_F(FakeLibrary, VolumeNotificationsAskTheHandlerAndStayInTheBuffer) {
  FakeRarEntry& e = Add("part.dat");
  e.volumeMode = RAR_VOL_NOTIFY;
  std::strcpy(e.volumeName, "game.r00");
  std::string offered;
  unrar_.OnNextVolume = [&](TZipCommon*, std::string& dir, std::string& name, int, bool,
                            bool&) {
    offered = dir + name;
    dir = "\\media\\disk2";
  };
  EXPECT_EQ(Run(), "");
  int answer = 0, guard = 0;
  std::string name = volume_(&answer, &guard);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(name, "/media/disk2/game.r00");
  // A bare name takes the current folder.
  EXPECT_EQ(offered, SlashToBackslash(std::filesystem::current_path().string()) + "\\game.r00");

  // Cancelled: the library is told to stop.
  unrar_.OnNextVolume = [&](TZipCommon*, std::string&, std::string&, int, bool, bool& cancel) {
    cancel = true;
  };
  EXPECT_EQ(Run(), "Error opening file");
  volume_(&answer, &guard);
  EXPECT_EQ(answer, 0);

  // A name that does not fit the library's buffer fails; nothing is written past it.
  unrar_.OnNextVolume = [&](TZipCommon*, std::string& dir, std::string&, int, bool, bool&) {
    dir = "/" + std::string(1200, 'x');
  };
  EXPECT_EQ(Run(), "Error opening file");
  volume_(&answer, &guard);
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(guard, 1);
}

TEST_F(FakeLibrary, AMissingVolumeIsLookedForUnderTheNextName) {
  Spit(dir_ / "game.r01", std::string("Rar!\x1a\x07\x00", 7));
  FakeRarEntry& e = Add("part.dat");
  e.volumeMode = RAR_VOL_ASK;
  std::strcpy(e.volumeName, (dir_ / "game.r00").c_str());
  std::vector<std::string> offered;
  unrar_.OnNextVolume = [&](TZipCommon*, std::string& dir, std::string& name, int, bool exists,
                            bool&) { offered.push_back(dir + name + (exists ? " yes" : " no")); };
  EXPECT_EQ(Run(), "");
  int answer = 0, guard = 0;
  EXPECT_EQ(volume_(&answer, &guard), (dir_ / "game.r01").string());
  EXPECT_EQ(answer, 1);
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0], SlashToBackslash(dir_.string()) + "\\game.r01 yes");

  // Digits only: 001 is followed by 002; without a handler the answer is no.
  std::strcpy(e.volumeName, (dir_ / "game.001").c_str());
  unrar_.OnNextVolume = nullptr;
  EXPECT_EQ(Run(), "Error opening file");
  volume_(&answer, &guard);
  EXPECT_EQ(answer, 0);
  Spit(dir_ / "game.002", "x");
  offered.clear();
  unrar_.OnNextVolume = [&](TZipCommon*, std::string& dir, std::string& name, int, bool exists,
                            bool&) { offered.push_back(dir + name + (exists ? " yes" : " no")); };
  EXPECT_EQ(Run(), "");
  EXPECT_EQ(volume_(&answer, &guard), (dir_ / "game.002").string());
}

TEST_F(FakeLibrary, ProgressFollowsThePercentOfBytesDone) {
  FakeRarEntry& e = Add("big.dat");
  e.unpSize = 1000;
  e.blocks = 8;
  e.blockSize = 125;
  FakeRarEntry& over = Add("over.dat");
  over.unpSize = 300;
  over.blocks = 2;
  over.blockSize = 200;
  std::string seen;
  unrar_.OnProgress = [&](TZipCommon*, const std::string& file, std::uint8_t p) {
    seen += std::filesystem::path(NativePath(file)).filename().string() + " " +
            std::to_string(p) + ";";
  };
  EXPECT_EQ(Run(), "");
  // Halves go to the even neighbour; more data than announced stays at 100.
  EXPECT_EQ(seen, "big.dat 12;big.dat 25;big.dat 38;big.dat 50;big.dat 62;big.dat 75;"
                  "big.dat 88;big.dat 100;over.dat 67;over.dat 100;");
  EXPECT_EQ(SetPercentDone(5, 0), 0);
  EXPECT_EQ(SetPercentDone(1, 3), 33);
  EXPECT_EQ(SetPercentDone(2, 3), 67);
}

TEST_F(FakeLibrary, CancelStopsTheDataAndTheLoop) {
  FakeRarEntry& e = Add("a.dat");
  e.unpSize = 400;
  e.blocks = 4;
  e.blockSize = 100;
  Add("b.dat");
  unrar_.OnProgress = [&](TZipCommon*, const std::string&, std::uint8_t p) {
    if (p >= 50) unrar_.SetCancel(true);
  };
  EXPECT_EQ(Run(), "");
  EXPECT_EQ(errors_, "");
  std::string log = Log();
  EXPECT_NE(log.find("stopped;"), std::string::npos);
  EXPECT_EQ(log.find("b.dat"), std::string::npos);
  EXPECT_NE(log.find("close;"), std::string::npos);
}

TEST_F(FakeLibrary, SelectionSkipsFoldersAndHonoursBeginAndFileMask) {
  Add("readme");
  Add("data\\one.dat");
  Add("rw.dat").hostOS = 3;  // mode 0664: 0x10 is group write, not a folder
  script_.entries[2].attr = 0100664;
  Add("sub").hostOS = 3;
  script_.entries[3].attr = 0040755;
  std::vector<std::string> begun;
  unrar_.OnBegin = [&](TZipCommon*, const std::string& f, int n, bool& extract) {
    begun.push_back(std::to_string(n) + " " + f);
    extract = f.find("one.dat") == std::string::npos;
  };
  EXPECT_EQ(Run(), "");
  std::string base = SlashToBackslash(dir_.string()) + "\\";
  ASSERT_EQ(begun.size(), 3u);
  EXPECT_EQ(begun[0], "1 " + base + "readme");
  EXPECT_EQ(begun[1], "2 " + base + "data\\one.dat");
  EXPECT_EQ(begun[2], "2 " + base + "rw.dat");
  EXPECT_EQ(unrar_.EntryCount(), 2);

  // One file named: the loop ends after it.
  begun.clear();
  unrar_.OnBegin = nullptr;
  unrar_.SetFileMask("README");
  EXPECT_EQ(Run(), "");
  EXPECT_EQ(Log(), "open 1 16384;read;process 2 " + dir_.string() + "/ " +
                       (dir_ / "readme").string() + ";close;");
}

TEST(UnrarBinding, WithoutTheLibraryNothingIsWritten) {
  UnbindUnrarLibrary();
  EXPECT_FALSE(BindUnrarLibrary("/nonexistent/libunrar.so"));
  EXPECT_FALSE(BindUnrarLibrary("libm.so.6"));  // loads, but lacks the entry points
  EXPECT_FALSE(UnrarDllLoaded);
  RAROpenArchiveData open{};
  RARHeaderData header{};
  EXPECT_EQ(UnrarEntryPoints.RAROpenArchive(&open), nullptr);
  EXPECT_EQ(open.OpenResult, 15u);
  EXPECT_EQ(UnrarEntryPoints.RARCloseArchive(nullptr), 0);
  EXPECT_EQ(UnrarEntryPoints.RARReadHeader(nullptr, &header), 12);
  EXPECT_EQ(UnrarEntryPoints.RARProcessFile(nullptr, 2, nullptr, nullptr), 13);

  auto dir = TempDir("zarn_nolib");
  Spit(dir / "game.rar", std::string("Rar!\x1a\x07\x00", 7));
  TUnRAR unrar;
  bool activated = false;
  unrar.OnActivate = [&](TZipCommon*) { activated = true; };
  unrar.SetArchiveFile((dir / "game.rar").string());
  unrar.SetExtractDir((dir / "out").string());
  try {
    unrar.Extract();
    ADD_FAILURE() << "no error";
  } catch (const E_RAISE& e) {
    EXPECT_STREQ(e.what(), "Unrar.dll not found");
  }
  EXPECT_FALSE(activated);
  EXPECT_FALSE(std::filesystem::exists(dir / "out"));
  std::filesystem::remove_all(dir);
}

TEST(UnrarBinding, ResultCodesMapToTheComponentsMessages) {
  EXPECT_EQ(MessageText(RarErrorToMessageId(22)), "Invalid password");
  EXPECT_EQ(RarErrorToMessageId(0), 0);
  EXPECT_EQ(RarErrorToMessageId(20), 0);
  EXPECT_EQ(RarErrorToMessageId(23), 0);
}

}  // namespace
