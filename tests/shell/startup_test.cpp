// The program's start-up, shutdown, keys and pointer on the null back end.
#include <sys/stat.h>

#include <algorithm>

#include "game/menus/dmenus.h"
#include "game/shell/dresurse.h"
#include "game/shell/soundout.h"
#include "tests/common/png.h"
#include "tests/shell/shell_fixture.h"

using namespace zarn;

namespace {

std::uint64_t Fnv(const std::uint8_t* p, std::size_t n) {
  std::uint64_t h = 1469598103934665603ull;
  for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
  return h;
}

// The back buffer as a PNG with the game palette, for a look when the picture changes.
void WriteBufferPng(const fs::path& path) {
  std::array<std::uint8_t, 768> pal{};
  for (std::size_t i = 0; i < 256; ++i) {
    const std::uint8_t c[3] = {GamePalette[i].Red, GamePalette[i].Green, GamePalette[i].Blue};
    for (std::size_t k = 0; k < 3; ++k)
      pal[i * 3 + k] = static_cast<std::uint8_t>(((c[k] & 63) << 2) | ((c[k] & 63) >> 4));
  }
  testpng::Write(path, ScreenWidth, ScreenHeight, BackBuffer, pal);
}

// The main menu as the first frames after start-up show it, pointer in the corner.
constexpr std::uint64_t kStartupMenuHash = 0xb1bc788a1ce646b5ull;

TEST_F(ShellTest, StartsUpToTheMainMenuAndQuitsSavingTheSettings) {
  MouseX = MouseY = 0;
  Start();
  EXPECT_EQ(GameScreen, 21);
  EXPECT_TRUE(plat::null::MessageBoxes().empty());
  EXPECT_EQ(GraphicsLoadError, 0);
  EXPECT_NE(MainFont, 0);
  EXPECT_NE(ThirdFont, 0);
  EXPECT_GT(plat::null::FrameCount(), 0u);
  // Every hook the shell can fill is filled before the first frame.
  EXPECT_EQ(PresentFrameProc, &PresentFrame);
  EXPECT_EQ(QuitProc, &QuitGame);
  EXPECT_EQ(LoadBriefingProc, &LoadBriefing);
  // The presented frame is the back buffer, doubled (ScreenMode 1 is the default).
  const auto& f = plat::null::LastFrame();
  ASSERT_EQ(f.width, 640);
  ASSERT_EQ(f.height, 400);
  // The animation's phase follows the clock; pin the picture at its first frame.
  MenuAnimFrame = 1;
  MenuAnimNextTick = TickCount + 1000;
  DrawMainMenu();
  const std::uint64_t buffer = Fnv(BackBuffer.data(), BackBuffer.size());
  const fs::path png = fs::path(ZARN_BINARY_DIR) / "test_out" / "startup_mainmenu.png";
  const char* always = std::getenv("ZARN_GOLDEN_WRITE");
  if (buffer != kStartupMenuHash || (always != nullptr && std::string(always) == "1"))
    WriteBufferPng(png);
  EXPECT_EQ(buffer, kStartupMenuHash) << "picture differs, see " << png << " (hash 0x" << std::hex
                                      << buffer << ")";
  // A second activation (after a message box) leaves the screen alone.
  GameScreen = 7;
  MainForm->FormActivate();
  EXPECT_EQ(GameScreen, 7);
  GameScreen = 21;

  EXPECT_FALSE(fs::exists(folder / "zarn.ini"));
  EXPECT_TRUE(fs::is_directory(folder / "save"));
  QuitGame();
  Pass(2);
  EXPECT_TRUE(plat::Terminated());
  const std::string ini = ReadIni();
  EXPECT_NE(ini.find("[Options]"), std::string::npos);
  EXPECT_NE(ini.find("GameSpeed=17"), std::string::npos);
  EXPECT_EQ(ini.find("NetPort"), std::string::npos);
  // The archive's memory goes with the form, after the loop stopped.
  EXPECT_FALSE(ArchiveBuffer.empty());
  DestroyProgram();
  EXPECT_TRUE(ArchiveBuffer.empty());
}

TEST_F(ShellTest, AMissingFontEndsTheProgramNamingTheFile) {
  fs::remove(folder / "data" / "year2000.fnt");
  EXPECT_NE(RunWithoutArguments(), 0);
  ASSERT_EQ(plat::null::MessageBoxes().size(), 1u);
  EXPECT_NE(plat::null::MessageBoxes()[0].text.find("year2000.fnt"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder / "zarn.ini"));
}

TEST_F(ShellTest, AMissingArchiveEndsTheProgramWithItsErrorText) {
  fs::remove(folder / "data" / "zarn.res");
  EXPECT_NE(RunWithoutArguments(), 0);
  ASSERT_EQ(plat::null::MessageBoxes().size(), 1u);
  EXPECT_NE(plat::null::MessageBoxes()[0].text.find("zarn.res"), std::string::npos);
}

TEST_F(ShellTest, AShortSheetFileIsReportedAsCodeFourAndTheGameGoesOn) {
  fs::resize_file(folder / "data" / "crows.dat", 100);
  // Earlier tests of this program loaded the sheets: forget them.
  for (TSheetRef sheet : {SpriteSheet32.Ref(), SpriteSheet48x48.Ref(), SmallIcons.Ref()})
    std::fill(sheet.Loaded, sheet.Loaded + sheet.Capacity + 1, false);
  testing::internal::CaptureStderr();
  Start();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(GraphicsLoadError, 4);
  EXPECT_EQ(GameScreen, 21);
  // The player is told which file and what is wrong; the sheets after it are still there.
  ASSERT_EQ(plat::null::MessageBoxes().size(), 1u);
  EXPECT_EQ(plat::null::MessageBoxes()[0].text, "File data\\crows.dat is damaged: it is cut short");
  EXPECT_NE(err.find("File data\\crows.dat is damaged: it is cut short"), std::string::npos) << err;
  EXPECT_NE(SpriteSheet32.Ref().Frame(1), nullptr);
  EXPECT_NE(SpriteSheet48x48.Ref().Frame(5), nullptr);
  EXPECT_NE(SmallIcons.Ref().Frame(18), nullptr);
}

TEST_F(ShellTest, AMissingPaletteFileEndsTheProgramNamingIt) {
  fs::remove(folder / "data" / "army.dat");
  fs::remove(folder / "data" / "icons2.dat");
  testing::internal::CaptureStderr();
  EXPECT_NE(RunWithoutArguments(), 0);
  const std::string err = testing::internal::GetCapturedStderr();
  ASSERT_EQ(plat::null::MessageBoxes().size(), 1u);
  EXPECT_EQ(plat::null::MessageBoxes()[0].text,
            "File data\\army.dat not found\nFile data\\icons2.dat not found");
  EXPECT_NE(err.find("File data\\army.dat not found"), std::string::npos) << err;
}

TEST_F(ShellTest, DamagedFontsAndArchivesAreNamedWithWhatIsWrong) {
  struct Case {
    const char* file;
    std::uintmax_t size;
    const char* text;
  } cases[] = {
      {"year2000.fnt", 40, "File data\\year2000.fnt is damaged: it is cut short"},
      {"zarnrus.fnt", 1, "File data\\zarnrus.fnt is damaged: it is cut short"},
      {"zarn.res", 30, "File data\\zarn.res is damaged: its header is not valid"},
      {"zarn.res", 10, "File data\\zarn.res is damaged: it is cut short"},
  };
  for (const Case& c : cases) {
    TearDown();
    SetUp();
    fs::resize_file(folder / "data" / c.file, c.size);
    EXPECT_NE(RunWithoutArguments(), 0) << c.file;
    ASSERT_EQ(plat::null::MessageBoxes().size(), 1u) << c.file;
    EXPECT_EQ(plat::null::MessageBoxes()[0].text, c.text);
  }
}

TEST_F(ShellTest, AMissingOrDamagedSoundBankIsNamedAndTheGameGoesOnSilent) {
  std::ofstream(folder / "data" / "zarn.snd", std::ios::binary | std::ios::trunc) << "not a bank";
  Start({"-debug"});
  EXPECT_EQ(GameScreen, 21);
  ASSERT_EQ(plat::null::MessageBoxes().size(), 1u);
  EXPECT_EQ(plat::null::MessageBoxes()[0].text.rfind("File data\\zarn.snd is damaged: ", 0), 0u)
      << plat::null::MessageBoxes()[0].text;
  EXPECT_FALSE(SoundBankLoaded);

  DestroyProgram();
  plat::null::ClearMessageBoxes();
  fs::remove(folder / "data" / "zarn.snd");
  Start({"-debug"});
  EXPECT_EQ(GameScreen, 21);
  ASSERT_EQ(plat::null::MessageBoxes().size(), 1u);
  EXPECT_EQ(plat::null::MessageBoxes()[0].text, "File data\\zarn.snd not found");
}

// A named pipe is not waited on and a link to a device that never ends is not read: each is
// refused by name. Without settings, a sheet or the sound bank the game goes on; without a font
// or the archive it cannot.
TEST_F(ShellTest, PipesAndEndlessFilesAreRefusedByNameWithoutWaiting) {
  ASSERT_EQ(::mkfifo((folder / "zarn.ini").c_str(), 0644), 0);
  fs::remove(folder / "data" / "crows.dat");
  ASSERT_EQ(::mkfifo((folder / "data" / "crows.dat").c_str(), 0644), 0);
  fs::remove(folder / "data" / "zarn.snd");
  fs::create_symlink("/dev/zero", folder / "data" / "zarn.snd");
  Start({"-debug"});
  EXPECT_EQ(GameScreen, 21);
  const auto& boxes = plat::null::MessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "File " + (folder / "zarn.ini").string() + " is not a regular file");
  EXPECT_EQ(boxes[1].text, "File data\\crows.dat is not a regular file");
  EXPECT_EQ(boxes[2].text, "File data\\zarn.snd is not a regular file");
  EXPECT_FALSE(SoundBankLoaded);

  for (const char* file : {"year2000.fnt", "zarn.res"}) {
    TearDown();
    SetUp();
    fs::remove(folder / "data" / file);
    fs::create_symlink("/dev/zero", folder / "data" / file);
    EXPECT_NE(RunWithoutArguments(), 0) << file;
    ASSERT_EQ(plat::null::MessageBoxes().size(), 1u) << file;
    EXPECT_EQ(plat::null::MessageBoxes()[0].text, std::string("File data\\") + file + " is not a regular file");
  }
}

TEST_F(ShellTest, DebugNeverGoesFullScreenAndTheDefaultDoes) {
  Start({"x-debugx"});
  EXPECT_EQ(DebugFlags.DebugMode, 1);
  Pass(5);
  EXPECT_FALSE(DisplayFullScreenAsked());
  EXPECT_FALSE(static_cast<TDXForm*>(MainForm)->FullScreen());
  DestroyProgram();

  Start();
  EXPECT_EQ(DebugFlags.DebugMode, 0);
  EXPECT_TRUE(DisplayFullScreenAsked());
  // In full screen the picture is still the mode's size.
  EXPECT_EQ(plat::null::LastFrame().width, 640);
}

TEST_F(ShellTest, KeysArriveAsVirtualKeyCodes) {
  Start({"-debug"});
  plat::null::InjectKeyDown(FormId(), 'A');
  Pass(1);
  // The main menu frame takes the pending key; the form stored it first.
  EXPECT_EQ(LastKey, 'A');
  GameScreen = 15;  // no frame procedure: the key stays pending
  plat::null::InjectKeyDown(FormId(), (plat::vk::F1 + 4));
  Pass(1);
  EXPECT_EQ(KeyCode, (plat::vk::F1 + 4));
  // Alt+G without debug mode only stores the key.
  DebugFlags.DebugMode = 0;
  const std::uint8_t god = DebugFlags.GodMode;
  int key = 'G';
  MainForm->FormKeyDown(key, plat::kAlt);
  EXPECT_EQ(DebugFlags.GodMode, god);
  EXPECT_EQ(KeyCode, 'G');
  DebugFlags.DebugMode = 1;
  MainForm->FormKeyDown(key, plat::kAlt);
  EXPECT_NE(DebugFlags.GodMode, god);
}

TEST_F(ShellTest, PointerIsHalvedAndClampedInTheDoubledModes) {
  Start({"-debug"});
  ASSERT_EQ(GameOptions.ScreenMode, 1);
  plat::null::InjectMouseMove(FormId(), 639, 399);
  Pass(1);
  EXPECT_EQ(MouseX, 319);
  EXPECT_EQ(MouseY, 199);
  MainForm->DXDrawMouseMove(0, 5000, -7);
  EXPECT_EQ(MouseX, 319);
  EXPECT_EQ(MouseY, 0);
  GameOptions.ScreenMode = 0;
  MainForm->DXDrawMouseMove(0, 100, 50);
  EXPECT_EQ(MouseX, 100);
  EXPECT_EQ(MouseY, 50);
}

std::vector<std::string> gOrder;

TEST_F(ShellTest, PressClickReleaseAndDoubleClickComeInOrder) {
  Start({"-debug"});
  gOrder.clear();
  ScreenProcs[21].Click = [] { gOrder.push_back(MouseButtonUp ? "click-up" : "click-down"); };
  ScreenProcs[21].DblClick = [] { gOrder.push_back("dbl"); };
  ScreenProcs[21].Frame = nullptr;
  EXPECT_EQ(MouseButtonUp, 1);
  EXPECT_EQ(RightButtonUp, 1);
  plat::null::InjectClick(FormId(), 20, 30);
  Pass(1);
  EXPECT_EQ(MouseButtonUp, 1);
  plat::null::InjectClick(FormId(), 20, 30);
  Pass(1);
  // The second click of a pair is a double click: no second OnClick.
  const std::vector<std::string> want{"click-down", "dbl"};
  EXPECT_EQ(gOrder, want);
  EXPECT_EQ(MouseX, 10);
  EXPECT_EQ(MouseY, 15);
  // The right button is tracked on the editors' screens (after the editor's entry step, which
  // starts with the button up).
  GameScreen = 24;
  Pass(1);  // the editor's first frame runs its entry step
  plat::null::InjectMouseDown(FormId(), plat::MouseButton::Right, 1, 1);
  Pass(1);
  EXPECT_EQ(RightButtonUp, 0);
  plat::null::InjectMouseUp(FormId(), plat::MouseButton::Right, 1, 1);
  Pass(1);
  EXPECT_EQ(RightButtonUp, 1);
}

// The frame guard leaves full screen for the window before it quits.
TEST_F(ShellTest, AnExceptionInAFrameQuitsInOrder) {
  WriteIni("[Options]\nScreenMode=0\n");
  Start();
  ASSERT_TRUE(static_cast<TDXForm*>(MainForm)->FullScreen());
  ASSERT_FALSE(plat::null::CursorVisible());
  ScreenProcs[21].Frame = [] { throw std::runtime_error("frame failed"); };
  ::testing::internal::CaptureStderr();
  Pass(2);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("frame failed"), std::string::npos);
  EXPECT_TRUE(plat::Terminated());
  EXPECT_TRUE(fs::exists(folder / "zarn.ini"));
  EXPECT_FALSE(static_cast<TDXForm*>(MainForm)->FullScreen());
  int w = 0, h = 0;
  plat::null::WindowSize(FormId(), w, h);
  EXPECT_EQ(std::pair(w, h), std::pair(320, 200));
  EXPECT_TRUE(plat::null::CursorVisible());
}

// Alt+Enter in debug mode toggles full screen; back in a window, the window and the pointer are
// those of the screen mode. Without debug mode the key is only stored.
TEST_F(ShellTest, AltEnterTogglesFullScreenAndBackToTheModesWindow) {
  Start({"-debug"});
  auto* form = static_cast<TDXForm*>(MainForm);
  const struct {
    int mode, w, h;
    bool cursor;
  } modes[] = {{1, 640, 400, false}, {2, 640, 400, false}, {0, 320, 200, true}};
  auto altEnter = [] {
    int key = plat::vk::Return;
    MainForm->FormKeyDown(key, plat::kAlt);
  };
  for (const auto& m : modes) {
    SCOPED_TRACE("screen mode " + std::to_string(m.mode));
    GameOptions.ScreenMode = m.mode;
    ApplyScreenMode();
    ASSERT_FALSE(form->FullScreen());
    altEnter();
    EXPECT_TRUE(form->FullScreen());
    EXPECT_FALSE(plat::null::CursorVisible());
    altEnter();
    EXPECT_FALSE(form->FullScreen());
    int w = 0, h = 0;
    plat::null::WindowSize(FormId(), w, h);
    EXPECT_EQ(std::pair(w, h), std::pair(m.w, m.h));
    EXPECT_EQ(plat::null::CursorVisible(), m.cursor);
    Pass(1);
    EXPECT_EQ(plat::null::LastFrame().width, m.w);
  }
  DebugFlags.DebugMode = 0;
  altEnter();
  EXPECT_FALSE(form->FullScreen());
  EXPECT_EQ(KeyCode, plat::vk::Return);
}

TEST_F(ShellTest, BriefingsAndAdvisorSectionsAreCopiedByKey) {
  LoadBriefing(1, 1);
  ASSERT_FALSE(FileListBox.Items.empty());
  EXPECT_EQ(FileListBox.Items.back(), "");  // the "[end" line
  const std::size_t first = FileListBox.Items.size();
  LoadBriefing(1, 10);
  EXPECT_NE(FileListBox.Items.size(), 0u);
  // Mission 1's key also matches the header of mission 10; the first in memo order wins.
  LoadBriefing(1, 1);
  EXPECT_EQ(FileListBox.Items.size(), first);
  LoadBriefingSection("[Water");
  EXPECT_FALSE(ShortList.Items.empty());
  LoadBriefingSection("[NoSuchTopic");
  EXPECT_TRUE(ShortList.Items.empty());
  // A section without "[end" runs to the end and adds no empty item.
  const TMemoLines memo{"[a]", "one", "two"};
  EXPECT_EQ(CopyMemoSection(memo, "[a", ShortList), -1);
  EXPECT_EQ(ShortList.Items.size(), 2u);
}

}  // namespace
