// The main menu as a player meets it: the picture drawn from the demo data set (pinned by a
// hash of the buffer; written to <build>/golden/<scene>.png when it differs, or always with
// ZARN_GOLDEN_WRITE=1), the hover sound, what each button opens, Esc, the animation, and
// pictures too large for the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "game/menus/dmenus.h"
#include "tests/common/demofonts.h"
#include "tests/common/golden.h"

namespace fs = std::filesystem;
using namespace zarn;

namespace {

const fs::path kGame = fs::path(ZARN_BINARY_DIR) / "game";

std::vector<std::string> Calls;

void RecordSound(std::int32_t volume, std::int32_t wave) {
  Calls.push_back("sound " + std::to_string(volume) + " " + std::to_string(wave));
}
void RecordStopMusic() { Calls.push_back("stop music"); }
void RecordQuit() { Calls.push_back("quit"); }
void RecordPresent() { Calls.push_back("present"); }

const std::string kHover = "sound 75 90";
const std::string kButton = "sound 100 89";

// An archive image of .img records: name, width, height, every pixel `colour`.
struct TFakePicture {
  std::string Name;
  int Width;
  int Height;
  std::uint8_t Colour;
};

std::vector<std::uint8_t> MakeArchive(const std::vector<TFakePicture>& pictures) {
  std::vector<std::uint8_t> file;
  for (const TFakePicture& p : pictures) {
    const std::int32_t size = 4 + p.Width * p.Height;
    TArchiveEntry e{};
    e.NameLength = static_cast<std::uint8_t>(p.Name.size());
    std::memcpy(e.Name, p.Name.data(), p.Name.size());
    e.Magic = ArchiveMagic;
    e.DataPosition = static_cast<std::int32_t>(file.size() + sizeof e);
    e.DataSize = size;
    const auto* h = reinterpret_cast<const std::uint8_t*>(&e);
    file.insert(file.end(), h, h + sizeof e);
    const TImgPicture img{static_cast<std::uint16_t>(p.Width), static_cast<std::uint16_t>(p.Height)};
    const auto* i = reinterpret_cast<const std::uint8_t*>(&img);
    file.insert(file.end(), i, i + sizeof img);
    file.insert(file.end(), static_cast<std::size_t>(p.Width * p.Height), p.Colour);
  }
  return file;
}

class MainMenu : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const fs::path old = fs::current_path();
    fs::current_path(kGame);
    // As the start-up loads them: the palette tiles, the cursors, the fonts, the archive.
    loaded_ = LoadPaletteSheetFile("data\\army.dat", TileSheet16.Ref(), 1, 79) == 0 &&
              LoadSheetFile("data\\cursors.dat", TileSheet16.Ref(), 260, 44) == 0;
    loaded_ = testfonts::LoadDemoFonts(fonts_) && loaded_;
    fs::current_path(old);
  }
  static void TearDownTestSuite() {
    CloseAllArchives();
    ResetFonts();
  }

  void SetUp() override {
    ASSERT_TRUE(loaded_) << "demo data set missing under " << kGame;
    OpenDemoArchive();
    ResetHooks();
    PlaySoundProc = RecordSound;
    StopMusicProc = RecordStopMusic;
    QuitProc = RecordQuit;
    PresentFrameProc = RecordPresent;
    Calls.clear();
    ClearScreen();
    MenuState = TMenuState{};
    GameScreen = 0;
    KeyCode = NoKey;
    TickCount = 1000;
    MenuAnimNextTick = 0;
    ViewState.LocalSide = 1;  // the main menu ignores the faction's colours
    ResetCursorState();
    for (int i = 1; i <= 4; ++i) {
      static const int init[4][3] = {{5, 260, 2}, {10, 265, 2}, {17, 275, 2}, {12, 292, 2}};
      AnimCounterInit(AnimCounters[i], init[i - 1][0], init[i - 1][1], init[i - 1][2]);
    }
    Point(0, 0);
    OpenMainMenu();
  }

  static void OpenDemoArchive() {
    CloseAllArchives();
    const fs::path old = fs::current_path();
    fs::current_path(kGame);
    ASSERT_EQ(OpenResourceArchive("data\\zarn.res", archive_), 0);
    fs::current_path(old);
  }

  static void Point(int x, int y) {
    MouseX = x;
    MouseY = y;
  }

  static void Frame() {
    Calls.clear();
    MainMenuDraw();
  }

  static void ClickAt(int x, int y) {
    Point(x, y);
    Calls.clear();
    MainMenuClick();
  }

  static void Check(const std::string& scene, std::uint64_t want) {
    testgolden::ExpectPicture(scene, want);
  }

  // The buffer's pixels under a picture placed at (x, y) equal the picture's.
  static bool PictureShownAt(std::string_view name, int x, int y) {
    if (!LoadPicture(name)) return false;
    const int w = PictureWidth(), h = PictureHeight();
    for (int r = 0; r < h; ++r)
      for (int c = 0; c < w; ++c)
        if (BackBuffer[static_cast<std::size_t>((y + r) * ScreenWidth + x + c)] != PictureBuffer[4 + r * w + c])
          return false;
    return true;
  }

  static inline bool loaded_ = false;
  static inline std::vector<std::uint8_t> fonts_[3];
  static inline std::vector<std::uint8_t> archive_;
};

}  // namespace

TEST_F(MainMenu, PictureWithTheNetworkButtonHovered) {
  Point(240, 114);
  Frame();
  EXPECT_EQ(Calls, (std::vector<std::string>{kHover, "present"}));
  EXPECT_EQ(MenuState.HoveredButton, 3);
  EXPECT_EQ(CursorRecord.Type, 0);
  EXPECT_EQ(CursorRecord.Color, 200);
  Check("mainmenu", 0x4376281c8fad1319ull);
}

TEST_F(MainMenu, HoverSoundPlaysOncePerButtonEntered) {
  auto soundsOver = [](int x, int y, int frames) {
    Point(x, y);
    int n = 0;
    for (int i = 0; i < frames; ++i) {
      Frame();
      n += static_cast<int>(std::count(Calls.begin(), Calls.end(), kHover));
    }
    return n;
  };
  EXPECT_EQ(soundsOver(240, 74, 5), 1) << "resting on a button";
  EXPECT_EQ(soundsOver(240, 84, 3), 0) << "the gap inside the box";
  EXPECT_EQ(MenuState.HoveredButton, 1);
  EXPECT_EQ(soundsOver(240, 74, 2), 0) << "back to the button last hovered";
  EXPECT_EQ(soundsOver(240, 94, 2), 1) << "the next button";
  EXPECT_EQ(soundsOver(240, 74, 1), 1) << "and back";
  EXPECT_EQ(soundsOver(100, 74, 2), 0) << "outside the box";
  EXPECT_EQ(MenuState.HoveredButton, 0);
  EXPECT_EQ(soundsOver(240, 74, 2), 1) << "coming back from outside";
  EXPECT_EQ(soundsOver(200, 74, 1), 0) << "a button's edge line is outside it";
  EXPECT_EQ(MenuState.HoveredButton, 1) << "the edge x = 200 is still inside the box";
  // The box that other screens derive from their buttons is the one the main menu states.
  const MenuButtonRect box = EnclosingBox(MainMenuButtons);
  EXPECT_TRUE(box.x1 == MainMenuBox.x1 && box.y1 == MainMenuBox.y1 && box.x2 == MainMenuBox.x2 &&
              box.y2 == MainMenuBox.y2);
}

TEST_F(MainMenu, EachButtonOpensItsScreen) {
  struct TCase {
    int X, Y;
    std::uint8_t Screen;
    std::vector<std::string> Calls;
  };
  const std::vector<std::string> opened{"stop music", kButton};
  const TCase cases[] = {
      {240, 74, ScreenFactionChoice, opened}, {240, 94, ScreenLoadGameMain, opened},
      {240, 114, ScreenNetLobby, opened},     {240, 134, ScreenMapEditorMenu, opened},
      {240, 153, ScreenAuthors, opened},      {240, 172, ScreenMainMenu, {"stop music", "quit"}},
  };
  for (const TCase& c : cases) {
    OpenMainMenu();
    MenuState.HoveredButton = 4;
    ClickAt(c.X, c.Y);
    EXPECT_EQ(GameScreen, c.Screen) << c.Y;
    EXPECT_EQ(Calls, c.Calls) << c.Y;
    if (c.Screen != ScreenMainMenu) {
      EXPECT_EQ(MenuState.HoveredButton, 0) << "the opened screen starts with nothing hovered";
    }
  }
}

TEST_F(MainMenu, ClicksOnEdgesGapsAndOutsideDoNothing) {
  const std::pair<int, int> misses[] = {
      {200, 74}, {285, 74}, {240, 66}, {240, 82},  // button 1's edge lines
      {240, 84},                                   // between buttons 1 and 2
      {50, 50},  {319, 199},
      {-70000, 74},  // a pointer far outside, read as 16 bits, lands in no button
  };
  for (auto [x, y] : misses) {
    ClickAt(x, y);
    EXPECT_EQ(GameScreen, ScreenMainMenu) << x << "," << y;
    EXPECT_TRUE(Calls.empty()) << x << "," << y;
  }
  ClickAt(201, 67);  // just inside
  EXPECT_EQ(GameScreen, ScreenFactionChoice);
}

TEST_F(MainMenu, EscEndsTheProgramAndDrawsNothing) {
  CursorRecord.Flag = 5;
  Frame();
  EXPECT_EQ(CursorInputState, 5) << "every frame drawn copies the input state";
  CursorRecord.Flag = 0;
  FillScreen(77);
  KeyCode = KeyEsc;
  Frame();
  EXPECT_EQ(Calls, (std::vector<std::string>{"quit"}));
  EXPECT_EQ(KeyCode, NoKey);
  EXPECT_EQ(LastKey, KeyEsc);
  EXPECT_EQ(std::count(BackBuffer.begin(), BackBuffer.end(), 77), ScreenBytes);
  EXPECT_EQ(CursorInputState, 5) << "a frame ended by Esc copies nothing";

  KeyCode = 'A';  // any other key draws as usual
  Frame();
  EXPECT_EQ(Calls, (std::vector<std::string>{"present"}));
  EXPECT_EQ(LastKey, 'A');
}

TEST_F(MainMenu, AnimationStepsEveryFiveTicksAndWrapsAfterFrameSeven) {
  ASSERT_TRUE(LoadPicture("tzarn3.img"));
  const int animY = PictureHeight() + 20;
  std::vector<int> shown;
  for (int tick = 0; tick < 40; ++tick) {
    TickCount = 1000 + tick;
    Frame();
    for (int f = 1; f <= 7; ++f)
      if (PictureShownAt(MenuAnimPicture(f), 20, animY)) {
        shown.push_back(f);
        break;
      }
  }
  // The first frame steps at once (its time has long come), then one step per five ticks;
  // the picture shown is the frame before the step.
  std::vector<int> want{1};
  for (int f : {2, 3, 4, 5, 6, 7, 1, 2})
    for (int i = 0; i < 5 && want.size() < 40; ++i) want.push_back(f);
  want.resize(40, 2);
  EXPECT_EQ(shown, want);

  MenuAnimFrame = 200;  // out of range: shows frame 7, then starts over
  MenuAnimNextTick = 0;
  Frame();
  EXPECT_TRUE(PictureShownAt("frame7.img", 20, animY));
  EXPECT_EQ(MenuAnimFrame, 1);

  OpenMainMenu();
  EXPECT_EQ(MenuAnimFrame, 1);
  EXPECT_EQ(GameScreen, ScreenMainMenu);
}

TEST_F(MainMenu, PicturesLargerThanTheScreenAreClipped) {
  // A title wider than the screen and tall enough to push everything below it off the bottom,
  // and captions hanging over the right edge.
  const auto file = MakeArchive({
      {"tzarn3.img", 400, 190, 40},
      {"frame1.img", 500, 30, 41},
      {"tnewgame.img", 300, 16, 5},
      {"tquit.img", 200, 300, 6},
  });
  static std::vector<std::uint8_t> buffer;
  CloseAllArchives();
  ASSERT_EQ(OpenResourceArchiveBytes("big.res", file, buffer), 0);
  Point(300, 180);
  Frame();
  EXPECT_EQ(Calls.back(), "present");
  for (int x = 0; x < ScreenWidth; ++x) {
    EXPECT_EQ(BackBuffer[9 * ScreenWidth + x], 128) << x;
    EXPECT_EQ(BackBuffer[10 * ScreenWidth + x], 40) << x;
    EXPECT_EQ(BackBuffer[199 * ScreenWidth + x], 40) << x;
  }

  // A title of ordinary height: the captions start on screen and run off its right and bottom.
  const auto file2 = MakeArchive({
      {"tzarn3.img", 100, 20, 40},
      {"frame1.img", 500, 300, 41},
      {"tnewgame.img", 300, 16, 5},
      {"tquit.img", 200, 300, 6},
  });
  static std::vector<std::uint8_t> buffer2;
  CloseAllArchives();
  ASSERT_EQ(OpenResourceArchiveBytes("big2.res", file2, buffer2), 0);
  OpenMainMenu();
  Frame();
  EXPECT_EQ(Calls.back(), "present");
  EXPECT_EQ(BackBuffer[199 * ScreenWidth + 30], 41);
  // The new-game caption (colour 5) lies in the recoloured column from x 192 to 293, beyond it
  // only in the hover highlight's reach.
  EXPECT_EQ(BackBuffer[60 * ScreenWidth + 200], 2) << "5 - 3 with side 8's base 0";
  EXPECT_EQ(BackBuffer[60 * ScreenWidth + 319], 5);
}

// The one-button screens share the highlight but forget the button as soon as the pointer
// leaves it; a screen that ignores Esc draws on.
TEST_F(MainMenu, SingleButtonHighlightAndScreensThatIgnoreEsc) {
  const MenuButtonRect hit{142, 160, 177, 176};
  auto frame = [&](int x, int y) {
    Point(x, y);
    Calls.clear();
    FillScreen(4);
    DrawSingleButtonHighlight(hit, 142, 160, 36, 16, 2);
    return BackBuffer[170 * ScreenWidth + 150];
  };
  EXPECT_EQ(frame(143, 161), 4 + SideColorBase(2));
  EXPECT_EQ(Calls, std::vector<std::string>{kHover});
  EXPECT_EQ(frame(176, 175), 4 + SideColorBase(2));
  EXPECT_TRUE(Calls.empty());
  EXPECT_EQ(frame(142, 161), 4 + SideColorBase(2) + 2) << "the left edge is outside";
  EXPECT_EQ(MenuState.HoveredButton, 0);
  frame(150, 170);
  EXPECT_EQ(Calls, std::vector<std::string>{kHover});

  KeyCode = KeyEsc;
  EXPECT_TRUE(BeginMenuFrame(nullptr));
  EXPECT_EQ(LastKey, KeyEsc);
  EXPECT_EQ(KeyCode, NoKey);
}
