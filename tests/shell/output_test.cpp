// Settings file, presentation through the colour tables, sound volume and music output.
#include <sstream>

#include "game/shell/soundout.h"
#include "game/world/messages.h"
#include "tests/shell/shell_fixture.h"

using namespace zarn;

namespace {

TEST_F(ShellTest, SettingsDefaultWhenMissingEmptyOrGarbage) {
  for (const char* text : {"", "[Options]\n", "garbage\x01\x02\nGameSpeed=fast\n[Options]\nScreenMode=x\n"}) {
    SetDefaultOptions();
    if (*text) WriteIni(text);
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(GameOptions, TGameOptions{}) << text;
    EXPECT_EQ(GameOptions.GameSpeed, 17);
    EXPECT_EQ(GameOptions.ScreenMode, 1);
    EXPECT_TRUE(GameOptions.SoundEnable);
    EXPECT_FALSE(GameOptions.MusicEnable);
    EXPECT_FALSE(GameOptions.CrowEnable);
  }
}

TEST_F(ShellTest, SettingsAreClampedAndNetPortReachesOnlyTheClient) {
  SetDefaultOptions();
  WriteIni("[Options]\nGameSpeed=18\nScrollPause=-4\nSoundVolume=250\nPartners=40\n"
           "MaxUnitForAlliance=0\nMaxBuildForAlliance=-3\nNetPort=2000\nScreenMode=5\n"
           "SoundSystemDisable=7\n");
  ASSERT_TRUE(LoadSettings());
  EXPECT_EQ(GameOptions.GameSpeed, 17);
  EXPECT_EQ(GameOptions.ScrollPause, 0);
  EXPECT_EQ(GameOptions.SoundVolume, 100);
  EXPECT_EQ(GameOptions.Partners, 8);
  EXPECT_EQ(GameOptions.MaxUnitForAlliance, 1);
  EXPECT_EQ(GameOptions.MaxBuildForAlliance, 1);
  EXPECT_EQ(ClientSocketPort, 2000);
  EXPECT_EQ(ServerSocketPort, 1025);
  EXPECT_EQ(GameOptions.ScreenMode, 5);  // behaves as 0
  EXPECT_TRUE(GameOptions.SoundSystemDisable);
  WriteIni("[Options]\nNetPort=99999\nGameSpeed=3\n");
  ASSERT_TRUE(LoadSettings());
  EXPECT_EQ(GameOptions.NetPort, 65535);
  EXPECT_EQ(GameOptions.GameSpeed, 15);
}

TEST_F(ShellTest, SavingWritesTheKeysInOrderAndKeepsForeignLines) {
  SetDefaultOptions();
  WriteIni("; my notes\n[Other]\nA=1\n[Options]\nNetPort=2000\nSoundVolume=5\n");
  ASSERT_TRUE(LoadSettings());
  GameOptions.MusicEnable = true;
  ASSERT_TRUE(SaveSettings());
  const std::string ini = ReadIni();
  EXPECT_NE(ini.find("; my notes"), std::string::npos);
  EXPECT_NE(ini.find("A=1"), std::string::npos);
  EXPECT_NE(ini.find("NetPort=2000"), std::string::npos);
  EXPECT_NE(ini.find("SoundVolume=5"), std::string::npos);
  EXPECT_NE(ini.find("MusicEnable=1"), std::string::npos);
  EXPECT_EQ(ini.find("NetService"), std::string::npos);
  EXPECT_LT(ini.find("MusicEnable"), ini.find("SoundSystemDisable"));
  EXPECT_LT(ini.find("SoundSystemDisable"), ini.find("\nServer="));
  EXPECT_LT(ini.find("GameSpeed"), ini.find("ScreenMode"));
}

TEST_F(ShellTest, ANewFileHoldsTheTwentyTwoKeysInTheirOrder) {
  SetDefaultOptions();
  ASSERT_TRUE(SaveSettings());
  std::istringstream in(ReadIni());
  std::vector<std::string> keys;
  for (std::string line; std::getline(in, line);) {
    const auto eq = line.find('=');
    if (eq != std::string::npos) keys.push_back(line.substr(0, eq));
  }
  const std::vector<std::string> want = {
      "MusicEnable", "SoundEnable", "UnitSpeak",  "UnitExecuteSpeak", "BuildSpeak", "SevnarSpeak",
      "MessageEnable", "AsServer", "RusChat", "CrowEnable", "StarCraftCursor", "SoundSystemDisable",
      "Server", "PlayerName", "SoundVolume", "ScrollPause", "Partners", "MaxUnitForAlliance",
      "MaxBuildForAlliance", "GameSpeed", "PaletteType", "ScreenMode"};
  EXPECT_EQ(keys, want);
}

TEST_F(ShellTest, ANameCannotWriteLinesOfItsOwnIntoTheFile) {
  SetDefaultOptions();
  GameOptions.GameSpeed = 16;
  GameOptions.PlayerName = "Nomad\r\n[Options]\r\nGameSpeed=17\nScreenMode=0";
  GameOptions.Server = "host\n[Net]";
  ASSERT_TRUE(SaveSettings());
  SetDefaultOptions();
  ASSERT_TRUE(LoadSettings());
  EXPECT_EQ(GameOptions.GameSpeed, 16);
  EXPECT_EQ(GameOptions.ScreenMode, 1);
  EXPECT_EQ(GameOptions.PlayerName.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(GameOptions.PlayerName.rfind("Nomad", 0), 0u);
  // Saved again, the file keeps one section and one line per key.
  ASSERT_TRUE(SaveSettings());
  std::istringstream in(ReadIni());
  int sections = 0, speeds = 0, modes = 0;
  for (std::string line; std::getline(in, line);) {
    sections += line.rfind("[", 0) == 0;
    speeds += line.rfind("GameSpeed=", 0) == 0;
    modes += line.rfind("ScreenMode=", 0) == 0;
  }
  EXPECT_EQ(sections, 1);
  EXPECT_EQ(speeds, 1);
  EXPECT_EQ(modes, 1);
}

TEST_F(ShellTest, AnUnwritableSettingsFileIsToldOnceAtQuitAndTheGameEndsAsUsual) {
  Start({"-debug"});
  // zarn.ini a folder: neither read nor replaced, by root as by anyone.
  fs::create_directory(folder / "zarn.ini");
  testing::internal::CaptureStderr();
  QuitGame();
  Pass(2);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("settings were not saved"), std::string::npos) << err;
  EXPECT_NE(err.find((folder / "zarn.ini").string()), std::string::npos) << err;
  EXPECT_EQ(err.find("settings"), err.rfind("settings")) << err;
  EXPECT_TRUE(fs::is_directory(folder / "zarn.ini"));
  EXPECT_TRUE(plat::null::MessageBoxes().empty());
  EXPECT_EQ(ProgramExitCode, 0);
}

TEST_F(ShellTest, AScreenshotThatCannotBeWrittenIsToldOnce) {
  Start({"-debug"});
  GameOptions.MessageEnable = true;
  // The shot's temporary file cannot be made: a folder holds its name.
  const fs::path blocker = folder / ("screen00.bmp.tmp" + std::to_string(::getpid()));
  fs::create_directory(blocker);
  testing::internal::CaptureStderr();
  MainForm->PrintScreen();
  const std::string told = std::string(MessageLine.View());
  ShowMessageLine(AlreadyInFontCodePage("x"));
  MainForm->PrintScreen();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(told, ToFontCodePage("Файл \"screen00.bmp\" не записан."_cp1251));
  EXPECT_EQ(std::string(MessageLine.View()), "x") << "told twice";
  EXPECT_NE(err.find("screen00.bmp could not be written"), std::string::npos) << err;
  EXPECT_EQ(err.find("screenshot"), err.rfind("screenshot")) << err;
  EXPECT_FALSE(fs::exists(folder / "screen00.bmp"));
  // Once the folder can be written again, shots are saved and said so.
  fs::remove(blocker);
  MainForm->PrintScreen();
  EXPECT_TRUE(fs::exists(folder / "screen00.bmp"));
  EXPECT_EQ(std::string(MessageLine.View()), ScreenshotSavedText("screen00.bmp"));
}

TEST(EffectVolume, FollowsTheFormulaAndNeverExceedsFull) {
  EXPECT_EQ(EffectBufferVolume(0, 100), -1980);
  EXPECT_EQ(EffectBufferVolume(50, 50), -1500);
  EXPECT_EQ(EffectBufferVolume(100, 100), 0);
  EXPECT_EQ(EffectBufferVolume(100, 0), -2000);
  EXPECT_EQ(EffectBufferVolume(77, 100), -460);
  EXPECT_EQ(EffectBufferVolume(500, 100), 0);
  EXPECT_EQ(EffectBufferVolume(-20, 100), -1980);
}

// The shown frame, pixel for pixel: each byte of the back buffer is its palette entry's six-bit
// components cut to the back bitmap's 5-5-5 or 5-6-5 and then widened or cut to the surface's
// format by repeating the high bits; every pixel shown 1:1 or doubled.
std::uint16_t ShownColour(std::uint8_t index, plat::PixelFormat surface) {
  const TPaletteEntry e = GamePalette[index];
  const unsigned r5 = (e.Red & 63) >> 1, g6 = e.Green & 63, b5 = (e.Blue & 63) >> 1;
  const bool wide = GameOptions.PaletteType != 0;  // 5-6-5 back bitmap
  const unsigned g5 = g6 >> 1;
  if (surface == plat::PixelFormat::Rgb565) {
    const unsigned g = wide ? g6 : (g5 << 1) | (g5 >> 4);
    return static_cast<std::uint16_t>((r5 << 11) | (g << 5) | b5);
  }
  return static_cast<std::uint16_t>((r5 << 10) | (g5 << 5) | b5);
}

void ExpectPresented(int scale) {
  const auto& f = plat::null::LastFrame();
  ASSERT_EQ(f.width, 320 * scale);
  ASSERT_EQ(f.height, 200 * scale);
  int bad = 0;
  for (int y = 0; y < f.height && bad < 5; ++y)
    for (int x = 0; x < f.width && bad < 5; ++x) {
      const std::uint8_t index = BackBuffer[(y / scale) * 320 + x / scale];
      const std::uint16_t got = f.pixels[static_cast<std::size_t>(y) * f.width + x];
      if (got != ShownColour(index, f.format)) {
        ADD_FAILURE() << "pixel " << x << "," << y << " of colour " << int(index) << ": " << std::hex << got
                      << " instead of " << ShownColour(index, f.format);
        ++bad;
      }
    }
}

TEST_F(ShellTest, PresentsThroughBothColourTablesAndStretches) {
  for (int paletteType : {0, 1})
    for (int mode : {0, 1}) {
      WriteIni("[Options]\nPaletteType=" + std::to_string(paletteType) + "\nScreenMode=" +
               std::to_string(mode) + "\n");
      Start({"-debug"});
      ScreenProcs[21].Frame = nullptr;
      for (int i = 0; i < ScreenBytes; ++i) BackBuffer[i] = static_cast<std::uint8_t>(i * 7 + i / 320);
      PresentFrame();
      ExpectPresented(mode == 1 ? 2 : 1);
      DestroyProgram();
    }
}

TEST_F(ShellTest, TheEndOfATrackPlaysOnOrReturnsFromTheAuthors) {
  for (const char* name : {"zarn0_2", "zarn1_1", "zarn1_2", "zarn16_2", "zarn19_2", "zarn7_1",
                           "zarn7_2", "zarn7_4", "zarn0_1", "zarn7_3", "zarn9_1", "zarn9_2",
                           "zarn16_1", "zarn18", "zarn19_1", "zarn2", "zarn3", "zarn4", "zarn5",
                           "zarn6", "zarn20"})
    std::ofstream(folder / "music" / (std::string(name) + ".mid")) << "MThd";
  WriteIni("[Options]\nMusicEnable=1\n");
  Start({"-debug"});
  ScreenProcs[21].Frame = nullptr;
  GameScreen = 0;
  ScreenProcs[0].Frame = nullptr;
  plat::null::ClearAudioLog();
  plat::null::FinishMusic();
  Pass(1);
  bool played = false;
  for (const std::string& line : plat::null::AudioLog())
    played = played || line.rfind("music play", 0) == 0;
  EXPECT_TRUE(played);
  GameScreen = 41;
  plat::null::FinishMusic();
  Pass(1);
  EXPECT_EQ(GameScreen, 21);
  // With music off nothing is opened.
  GameOptions.MusicEnable = false;
  EXPECT_EQ(PlayMusic("music\\zarn2.mid"), 1);
}

TEST_F(ShellTest, PlaySoundTakesOnlyIndicesOfTheBank) {
  Start({"-debug"});
  ASSERT_TRUE(SoundWaves != nullptr);
  const int count = SoundWaves->Items().Count();
  ASSERT_GT(count, 3);
  auto plays = [] {
    int n = 0;
    for (const std::string& line : plat::null::AudioLog()) n += line.rfind("play ", 0) == 0;
    return n;
  };
  plat::null::ClearAudioLog();
  PlaySound(100, -1);
  PlaySound(100, count);
  PlaySound(100, -2147483647 - 1);
  EXPECT_EQ(plays(), 0);
  PlaySound(100, 0);
  PlaySound(100, count - 1);
  EXPECT_EQ(plays(), 2);
}

TEST_F(ShellTest, SoundDeviceFailureSilencesThisRunOnly) {
  plat::null::SetAudioAvailable(false);
  Start({"-debug"});
  EXPECT_TRUE(SoundDeviceFailed);
  EXPECT_TRUE(GameOptions.SoundEnable);  // the player's choice stays
  PlaySound(100, 3);                      // and nothing plays
  QuitGame();
  Pass(1);
  EXPECT_NE(ReadIni().find("SoundSystemDisable=0"), std::string::npos);
  EXPECT_NE(ReadIni().find("SoundEnable=1"), std::string::npos);
}

}  // namespace
