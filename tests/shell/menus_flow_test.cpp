// The options, the encyclopedia, the help and orders screens, and every screen the player can
// reach from the main menu left again by Esc or its back button.
#include "game/base/cp1251.h"
#include "game/shell/worldclock.h"
#include "tests/common/golden.h"
#include "tests/shell/game_fixture.h"

using namespace zarn;

namespace {

class MenusFlowTest : public GameTest {
 protected:
  // Every widget of the options screen changed: the seven boxes and the three bars.
  void ChangeEverything() {
    for (const TCheckWidget& c : OptionChecks) Click(c.X + 3, c.Y + 5);
    for (const TTrackWidget& t : OptionBars) Click(t.X + 2, t.Y + 4);
    ASSERT_NE(GameOptionsBackup, GameOptions);
  }
};

TEST_F(MenusFlowTest, OptionsCancelAndEscKeepTheSettingsAcceptAppliesThemAtOnce) {
  PlayFirstMission();
  OpenMenu();
  const TGameOptions before = GameOptions;
  ASSERT_EQ(GameOptions.GameSpeed, 17);
  ASSERT_EQ(plat::TimerInterval(MainForm->Timer1), 53u);

  Click(GameMenuButtons[2]);
  ASSERT_EQ(GameScreen, ScreenOptions);
  ChangeEverything();
  Key(plat::vk::Escape);
  EXPECT_EQ(GameScreen, ScreenGameMenu);
  EXPECT_TRUE(GameOptions == before);

  Click(GameMenuButtons[2]);
  ChangeEverything();
  Click(OptionsButtons[1]);
  EXPECT_EQ(GameScreen, ScreenGameMenu);
  EXPECT_TRUE(GameOptions == before);

  // Speed 17 -> 16 -> 15 and no lower, each by a click left of the thumb.
  Click(GameMenuButtons[2]);
  for (int i = 0; i < 4; ++i) Click(OptionBars[0].X + 2, OptionBars[0].Y + 4);
  EXPECT_EQ(GameOptionsBackup.GameSpeed, 15);
  Click(OptionChecks[1].X + 3, OptionChecks[1].Y + 5);  // units speak
  Click(OptionsButtons[0]);
  EXPECT_EQ(GameScreen, ScreenGameMenu);
  EXPECT_EQ(GameOptions.GameSpeed, 15);
  EXPECT_EQ(GameOptions.UnitSpeak, !before.UnitSpeak);
  EXPECT_EQ(plat::TimerInterval(MainForm->Timer1), 159u);
  Click(GameMenuButtons[2]);
  Click(OptionBars[0].X + 190, OptionBars[0].Y + 4);
  Click(OptionsButtons[0]);
  EXPECT_EQ(plat::TimerInterval(MainForm->Timer1), 106u);
  // And no faster than 17.
  Click(GameMenuButtons[2]);
  for (int i = 0; i < 3; ++i) Click(OptionBars[0].X + 190, OptionBars[0].Y + 4);
  EXPECT_EQ(GameOptionsBackup.GameSpeed, 17);
  Click(OptionsButtons[1]);

  EXPECT_FALSE(fs::exists(folder / "zarn.ini")) << "written at the program's end only";
  QuitGame();
  Pass(2);
  const std::string ini = ReadIni();
  EXPECT_NE(ini.find("GameSpeed=16"), std::string::npos) << ini;
  EXPECT_NE(ini.find(before.UnitSpeak ? "UnitSpeak=0" : "UnitSpeak=1"), std::string::npos) << ini;
}

std::vector<std::string> Music;

TEST_F(MenusFlowTest, TheGameMenuStopsTheMusicAndContinuingPlaysTheNextTrack) {
  PlayFirstMission();
  PlayMusicProc = [](std::string_view file) -> std::uint8_t {
    Music.emplace_back(file);
    return 1;
  };
  StopMusicProc = [] { Music.emplace_back("stop"); };
  Music.clear();
  OpenMenu();
  EXPECT_EQ(Music, std::vector<std::string>{"stop"});
  Click(GameMenuButtons[9]);
  ASSERT_EQ(GameScreen, ScreenPlay);
  ASSERT_EQ(Music.size(), 2u);
  EXPECT_EQ(Music[1].rfind("music\\", 0), 0u) << Music[1];
  OpenMenu();
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenPlay);
  ASSERT_EQ(Music.size(), 4u) << "Esc does what the continue button does";
  EXPECT_EQ(Music[2], "stop");
  EXPECT_EQ(Music[3].rfind("music\\", 0), 0u) << Music[3];
}

TEST_F(MenusFlowTest, AClickAnywhereOrEscLeavesTheAuthorsWithTheMusicStopped) {
  StartGame();
  StopMusicProc = [] { Music.emplace_back("stop"); };
  for (bool click : {true, false}) {
    Click(MainMenuButtons[4]);
    ASSERT_EQ(GameScreen, ScreenAuthors);
    Music.clear();
    if (click)
      Click(10, 190);
    else
      Key(plat::vk::Escape);
    EXPECT_EQ(GameScreen, ScreenMainMenu);
    EXPECT_EQ(Music, std::vector<std::string>{"stop"});
  }
}

TEST_F(MenusFlowTest, WithTheSoundSystemOffAcceptStoresMusicAndSoundOff) {
  PlayFirstMission();
  OpenMenu();
  GameOptions.SoundSystemDisable = true;
  GameOptions.SoundEnable = true;
  Click(GameMenuButtons[2]);
  if (!GameOptionsBackup.MusicEnable) Click(OptionChecks[0].X + 3, OptionChecks[0].Y + 5);
  ASSERT_TRUE(GameOptionsBackup.MusicEnable);
  Click(OptionsButtons[0]);
  EXPECT_FALSE(GameOptions.MusicEnable);
  EXPECT_FALSE(GameOptions.SoundEnable);
}

// The picture of a topic page where the page puts it.
bool PictureShownAt(std::string_view name) {
  if (!LoadPicture(name)) return false;
  const int w = PictureWidth(), h = PictureHeight();
  const int x0 = (260 - w) / 2, y0 = (118 - h) / 2 + 75;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (BackBuffer[static_cast<std::size_t>((y0 + y) * ScreenWidth + x0 + x)] !=
          PictureBuffer[4 + static_cast<std::size_t>(y * w + x)])
        return false;
  return true;
}

TEST_F(MenusFlowTest, EveryEncyclopediaEntryOpensItsPageAndHeadingsOpenNothing) {
  PlayFirstMission();
  OpenMenu();
  Click(GameMenuButtons[4]);
  ASSERT_EQ(GameScreen, ScreenTopicList);
  ASSERT_EQ(TopicList.Count(), TopicRowCount);
  int entries = 0;
  for (int row = 0; row < TopicRowCount; ++row) {
    const TTopicRow& topic = TopicRows[static_cast<std::size_t>(row)];
    SCOPED_TRACE(row);
    ASSERT_EQ(GameScreen, ScreenTopicList);
    while (TopicList.TopIndex < row && TopicList.TopIndex + TopicList.VisibleRows < TopicList.Count())
      ListBoxScrollDown(TopicList);
    const int shownAt = row - TopicList.TopIndex;
    ASSERT_LT(shownAt, TopicList.VisibleRows);
    Click(80, TopicList.TextY + shownAt * ListRowHeight + 4);
    if (topic.Key.empty()) {
      EXPECT_EQ(GameScreen, ScreenTopicList) << "a heading or an empty row opened a page";
      continue;
    }
    ++entries;
    ASSERT_EQ(GameScreen, ScreenTopicPage);
    EXPECT_GE(ShortList.Count(), 2) << "no advisor text for " << topic.Key;
    plat::null::InjectMouseMove(FormId(), 0, 0);  // the cursor off the picture
    Pass(2);
    if (topic.Picture.empty()) {
      EXPECT_EQ(MenuState.TopicPicture, ".img");
    } else {
      EXPECT_TRUE(PictureShownAt(std::string(topic.Picture) + ".img")) << topic.Picture;
    }
    // Esc shows the whole list again, scrolled to its top.
    Key(plat::vk::Escape);
    ASSERT_EQ(GameScreen, ScreenTopicList);
    EXPECT_EQ(TopicList.Count(), TopicRowCount);
  }
  EXPECT_EQ(entries, 46);
  Click(TopicListBackButton);
  EXPECT_EQ(GameScreen, ScreenGameMenu);
}

TEST_F(MenusFlowTest, ATopicPictureThatIsMissingDrawsNothing) {
  PlayFirstMission();
  OpenMenu();
  plat::null::InjectMouseMove(FormId(), 0, 0);
  OpenTopicPage("[Water", ".img");
  Pass(2);
  const std::vector<std::uint8_t> without(BackBuffer.begin(), BackBuffer.end());
  OpenTopicPage("[Water", "nosuch.img");
  Pass(2);
  EXPECT_EQ(GameScreen, ScreenTopicPage);
  EXPECT_TRUE(std::equal(without.begin(), without.end(), BackBuffer.begin()));
  Key(plat::vk::Escape);
  EXPECT_EQ(GameScreen, ScreenTopicList);
}

TEST_F(MenusFlowTest, HelpAndOrdersShowTheirTexts) {
  PlayFirstMission();
  OpenMenu();
  Click(GameMenuButtons[3]);
  ASSERT_EQ(GameScreen, ScreenHelp);
  const std::string help = ListText(FileListBox);
  EXPECT_NE(help.find("Esc"), std::string::npos);
  // Orders go to the right button; the portrait opens a building's list; Esc is the pause.
  for (std::string_view said : {"Правая кнопка - приказ"_cp1251, "Портрет здания"_cp1251, "(пауза)"_cp1251,
                                "Двойной щелчок"_cp1251, "Ctrl+0..9"_cp1251, "Мини-карта"_cp1251})
    EXPECT_NE(help.find(ToFontCodePage(said)), std::string::npos) << said;
  for (std::string_view wrong : {"Левая кнопка - выбор, приказ"_cp1251, "Правая кнопка - отмена"_cp1251})
    EXPECT_EQ(help.find(ToFontCodePage(wrong)), std::string::npos) << wrong;
  // No line is cut by the list's width.
  for (const std::string& line : FileListBox.Items) EXPECT_LE(TextWidth(MainFont, line), FileListBox.TextWidth) << line;
  Click(HelpBackButton);
  ASSERT_EQ(GameScreen, ScreenGameMenu);
  Click(GameMenuButtons[5]);
  ASSERT_EQ(GameScreen, ScreenOrders);
  EXPECT_NE(ListText(FileListBox).find("2000"), std::string::npos);
  Click(OrdersBackButton);
  EXPECT_EQ(GameScreen, ScreenGameMenu);
  // Restart: the same mission's briefing again; new faction: the faction choice.
  Click(GameMenuButtons[6]);
  EXPECT_EQ(GameScreen, ScreenMissionStart);
  EXPECT_EQ(ScenarioFileName, "alm1.scn");
  Click(BeginButton);
  OpenMenu();
  Click(GameMenuButtons[7]);
  EXPECT_EQ(GameScreen, ScreenFactionChoice);
}

// The clickable rectangles of the in-game menu, options, help and orders screens as their
// layout gives them. A button takes a click strictly inside its rectangle.
struct TRect {
  int X1, Y1, X2, Y2;
};
constexpr TRect GameMenuLayout[10] = {
    {41, 20, 277, 36},   {41, 38, 277, 54},   {41, 56, 277, 72},   {41, 74, 277, 90},
    {41, 92, 277, 108},  {41, 110, 277, 126}, {41, 128, 277, 144}, {41, 146, 277, 162},
    {41, 164, 118, 180}, {136, 164, 277, 180},
};
constexpr std::uint8_t GameMenuTargets[10] = {ScreenSaveGame, ScreenLoadGame, ScreenOptions, ScreenHelp,
                                              ScreenTopicList, ScreenOrders, ScreenMissionStart,
                                              ScreenFactionChoice, ScreenMainMenu, ScreenPlay};
constexpr TRect OptionsAccept{33, 175, 106, 191}, OptionsCancel{211, 175, 287, 191};
// Help and orders: their back buttons take X1 <= X < X2 and Y1 <= Y < Y2.
constexpr TRect HelpBack{132, 161, 188, 176}, OrdersBack{131, 169, 189, 184};

class MenuLayoutTest : public MenusFlowTest {
 protected:
  // Back on the in-game menu from wherever a button led.
  void BackToGameMenu() {
    for (int guard = 0; guard < 6 && GameScreen != ScreenGameMenu; ++guard) {
      switch (GameScreen) {
        case ScreenPlay: Key(plat::vk::Escape); break;
        case ScreenMissionStart: Click(BeginButton); break;
        case ScreenFactionChoice: Click(FactionButtons[0]); break;
        case ScreenMainMenu: Click(MainMenuButtons[0]); break;
        default: Key(plat::vk::Escape); break;
      }
    }
    ASSERT_EQ(GameScreen, ScreenGameMenu);
  }
};

TEST_F(MenuLayoutTest, TheInGameMenuButtonsTakeClicksStrictlyInsideTheirRectangles) {
  PlayFirstMission();
  plat::SetTimerEnabled(MainForm->Timer1, false);
  OpenMenu();
  for (int i = 0; i < 10; ++i) {
    const TRect& r = GameMenuLayout[i];
    const int mx = (r.X1 + r.X2) / 2, my = (r.Y1 + r.Y2) / 2;
    for (const auto& [x, y] : {std::pair{r.X1, my}, std::pair{r.X2, my}, std::pair{mx, r.Y1}, std::pair{mx, r.Y2}}) {
      Click(x, y);
      EXPECT_EQ(GameScreen, ScreenGameMenu) << "button " << i + 1 << " took (" << x << ", " << y << ")";
      BackToGameMenu();
    }
    for (const auto& [x, y] : {std::pair{r.X1 + 1, r.Y1 + 1}, std::pair{r.X2 - 1, r.Y2 - 1}}) {
      Click(x, y);
      EXPECT_EQ(GameScreen, GameMenuTargets[i]) << "button " << i + 1 << " at (" << x << ", " << y << ")";
      BackToGameMenu();
    }
  }
}

TEST_F(MenuLayoutTest, OptionsButtonsBoxesAndTheVolumeBarsStepOfFive) {
  PlayFirstMission();
  plat::SetTimerEnabled(MainForm->Timer1, false);
  OpenMenu();
  Click(GameMenuLayout[2].X1 + 1, GameMenuLayout[2].Y1 + 1);
  ASSERT_EQ(GameScreen, ScreenOptions);
  Park();
  testgolden::ExpectPicture("options_screen", 0xbf43051b488f50e5ull);

  // The buttons' edges do nothing (no box or bar lies there either).
  const TGameOptions before = GameOptionsBackup;
  for (const TRect& r : {OptionsAccept, OptionsCancel}) {
    const int mx = (r.X1 + r.X2) / 2, my = (r.Y1 + r.Y2) / 2;
    for (const auto& [x, y] : {std::pair{r.X1, my}, std::pair{r.X2, my}, std::pair{mx, r.Y1}, std::pair{mx, r.Y2}}) {
      Click(x, y);
      ASSERT_EQ(GameScreen, ScreenOptions) << "(" << x << ", " << y << ")";
    }
  }
  EXPECT_TRUE(GameOptionsBackup == before);

  // Each box at its place and width: a click on the first and on the last pixel of its
  // caption area toggles it twice; one past the end does nothing.
  struct TBox {
    int X, Y, Width;
    bool TGameOptions::*Field;
  };
  const TBox boxes[7] = {
      {13, 91, 83, &TGameOptions::MusicEnable},       {13, 107, 149, &TGameOptions::UnitSpeak},
      {13, 123, 280, &TGameOptions::UnitExecuteSpeak}, {13, 139, 164, &TGameOptions::SevnarSpeak},
      {13, 155, 127, &TGameOptions::BuildSpeak},      {191, 154, 107, &TGameOptions::MessageEnable},
      {191, 138, 72, &TGameOptions::StarCraftCursor},
  };
  for (const TBox& b : boxes) {
    const bool was = GameOptionsBackup.*b.Field;
    Click(b.X, b.Y + 5);
    EXPECT_EQ(GameOptionsBackup.*b.Field, !was) << "box at (" << b.X << ", " << b.Y << ")";
    Click(b.X + b.Width - 1, b.Y + 5);
    EXPECT_EQ(GameOptionsBackup.*b.Field, was) << "box at (" << b.X << ", " << b.Y << "), its right end";
    Click(b.X + b.Width, b.Y + 5);
    EXPECT_EQ(GameOptionsBackup.*b.Field, was) << "box at (" << b.X << ", " << b.Y << "), past its end";
  }

  // The volume bar at (60, 53): a click left of the thumb lowers it by 5, right raises it by 5,
  // within 0 to 100.
  ASSERT_EQ(GameOptionsBackup.SoundVolume, 100);
  Click(60 + 2, 53 + 4);
  EXPECT_EQ(GameOptionsBackup.SoundVolume, 95);
  Click(60 + 2, 53 + 4);
  EXPECT_EQ(GameOptionsBackup.SoundVolume, 90);
  Click(60 + 190, 53 + 4);
  EXPECT_EQ(GameOptionsBackup.SoundVolume, 95);
  for (int i = 0; i < 25; ++i) Click(60 + 2, 53 + 4);
  EXPECT_EQ(GameOptionsBackup.SoundVolume, 0);
  Click(60 + 190, 53 + 4);
  EXPECT_EQ(GameOptionsBackup.SoundVolume, 5);
  EXPECT_EQ(GameOptionsBackup.GameSpeed, before.GameSpeed) << "the volume bar moved the speed";
  EXPECT_EQ(GameOptionsBackup.ScrollPause, before.ScrollPause) << "the volume bar moved the scrolling";

  // Accept's inner corner keeps the volume; cancel's inner corners drop a change.
  Click(OptionsAccept.X1 + 1, OptionsAccept.Y1 + 1);
  ASSERT_EQ(GameScreen, ScreenGameMenu);
  EXPECT_EQ(GameOptions.SoundVolume, 5);
  for (const auto& [x, y] : {std::pair{OptionsCancel.X1 + 1, OptionsCancel.Y1 + 1},
                             std::pair{OptionsCancel.X2 - 1, OptionsCancel.Y2 - 1}}) {
    Click(GameMenuLayout[2].X1 + 1, GameMenuLayout[2].Y1 + 1);
    Click(60 + 190, 53 + 4);
    Click(x, y);
    ASSERT_EQ(GameScreen, ScreenGameMenu);
    EXPECT_EQ(GameOptions.SoundVolume, 5);
  }
  Click(GameMenuLayout[2].X1 + 1, GameMenuLayout[2].Y1 + 1);
  Click(60 + 190, 53 + 4);
  Click(OptionsAccept.X2 - 1, OptionsAccept.Y2 - 1);
  EXPECT_EQ(GameOptions.SoundVolume, 10);
}

TEST_F(MenuLayoutTest, HelpAndOrdersBackButtonsAndTheirPictures) {
  PlayFirstMission();
  plat::SetTimerEnabled(MainForm->Timer1, false);
  OpenMenu();  // its picture is pinned with the campaign's screens
  const struct {
    int Button;
    std::uint8_t Screen;
    TRect Back;
    const char* Picture;
    std::uint64_t Hash;
  } screens[] = {{3, ScreenHelp, HelpBack, "help_screen", 0x755be033eb91ffd1ull},
                 {5, ScreenOrders, OrdersBack, "orders_screen", 0x2822d3d632a446a1ull}};
  for (const auto& s : screens) {
    Click(GameMenuLayout[s.Button].X1 + 1, GameMenuLayout[s.Button].Y1 + 1);
    ASSERT_EQ(GameScreen, s.Screen);
    Park();
    testgolden::ExpectPicture(s.Picture, s.Hash);
    const TRect& r = s.Back;
    for (const auto& [x, y] : {std::pair{r.X1 - 1, r.Y1}, std::pair{r.X2, r.Y1}, std::pair{r.X1, r.Y1 - 1},
                               std::pair{r.X1, r.Y2}}) {
      Click(x, y);
      EXPECT_EQ(GameScreen, s.Screen) << s.Picture << " took (" << x << ", " << y << ")";
    }
    Click(r.X1, r.Y1);
    EXPECT_EQ(GameScreen, ScreenGameMenu) << s.Picture;
    Click(GameMenuLayout[s.Button].X1 + 1, GameMenuLayout[s.Button].Y1 + 1);
    Click(r.X2 - 1, r.Y2 - 1);
    EXPECT_EQ(GameScreen, ScreenGameMenu) << s.Picture;
  }
}

// Reached from the main menu, and how each is left: by Esc, or by its only button.
TEST_F(MenusFlowTest, NoScreenIsADeadEnd) {
  StartGame();
  std::vector<int> seen;
  const auto leaveByEsc = [&](int screen, int expected) {
    ASSERT_EQ(GameScreen, screen);
    seen.push_back(screen);
    Key(plat::vk::Escape);
    ASSERT_EQ(GameScreen, expected) << "Esc on screen " << screen;
  };
  Click(MainMenuButtons[1]);
  leaveByEsc(ScreenLoadGameMain, ScreenMainMenu);
  Click(MainMenuButtons[4]);
  leaveByEsc(ScreenAuthors, ScreenMainMenu);
  Click(MainMenuButtons[0]);
  ASSERT_EQ(GameScreen, ScreenFactionChoice);
  seen.push_back(GameScreen);
  Click(FactionButtons[0]);
  ASSERT_EQ(GameScreen, ScreenMissionStart);
  seen.push_back(GameScreen);
  Click(BeginButton);
  leaveByEsc(ScreenPlay, ScreenGameMenu);
  leaveByEsc(ScreenGameMenu, ScreenPlay);
  const struct {
    int Button, Screen, Back;
  } fromGameMenu[] = {
      {0, ScreenSaveGame, ScreenGameMenu}, {1, ScreenLoadGame, ScreenGameMenu},
      {2, ScreenOptions, ScreenGameMenu},  {3, ScreenHelp, ScreenGameMenu},
      {4, ScreenTopicList, ScreenGameMenu}, {5, ScreenOrders, ScreenGameMenu},
  };
  for (const auto& s : fromGameMenu) {
    Key(plat::vk::Escape);
    Click(GameMenuButtons[static_cast<std::size_t>(s.Button)]);
    leaveByEsc(s.Screen, s.Back);
    Key(plat::vk::Escape);
  }
  Key(plat::vk::Escape);
  Click(GameMenuButtons[4]);
  Click(80, TopicList.TextY + 2 * ListRowHeight + 4);
  leaveByEsc(ScreenTopicPage, ScreenTopicList);
  Click(TopicListBackButton);
  Click(GameMenuButtons[9]);
  ASSERT_EQ(GameScreen, ScreenPlay);
  ShellCalls.OpenVictory();
  Pass(1);
  ASSERT_EQ(GameScreen, ScreenVictory);
  seen.push_back(GameScreen);
  Click(YesButton);
  leaveByEsc(ScreenScore, ScreenMissionStart);
  Click(BeginButton);
  ShellCalls.OpenDefeat();
  Pass(1);
  ASSERT_EQ(GameScreen, ScreenDefeat);
  seen.push_back(GameScreen);
  Click(YesButton);
  ASSERT_EQ(GameScreen, ScreenScore);
  Click(YesButton);
  ASSERT_EQ(GameScreen, ScreenMissionStart);
  std::sort(seen.begin(), seen.end());
  seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
  const std::vector<int> all{0, 7, 8, 9, 10, 11, 12, 13, 35, 36, 37, 38, 39, 40, 41, 42};
  EXPECT_EQ(seen, all);
}

}  // namespace
