// Selecting on the play screen through the window's pointer and key handlers: clicks, the box,
// the double click, control groups and the per-frame check of the selection.
#include <algorithm>
#include <map>
#include <string>

#include "game/shell/worldclock.h"
#include "tests/shell/play_fixture.h"

namespace {

using namespace play_test;

constexpr int SelectAckWaves[] = {76, 77};
constexpr int GroupAckWave = 78;

bool Heard(int wave) { return std::find(Waves.begin(), Waves.end(), wave) != Waves.end(); }
bool HeardSelectAck() { return Heard(SelectAckWaves[0]) || Heard(SelectAckWaves[1]); }

TEST_F(PlayTest, ABoxOverTwentyOwnUnitsTakesTheFirstFourteenRowByRow) {
  // Created from the bottom right, so that slot order is not the order on the map.
  std::vector<std::pair<int, int>> cells;
  for (int y = 8; y <= 10; ++y)
    for (int x = 9; x <= 15; ++x)
      if (!(y == 10 && x == 15)) cells.emplace_back(x, y);
  std::reverse(cells.begin(), cells.end());
  std::map<std::pair<int, int>, std::uint16_t> at;
  for (auto [x, y] : cells) at[{x, y}] = Unit(x, y, UnitLightTank);
  const std::uint16_t foreign = Unit(8, 8, UnitLightTank, 2);
  const std::uint16_t before = Unit(3, 2, UnitTrike);
  ClickCell(3, 2);
  ASSERT_EQ(SelectedSlots(), std::vector<std::uint16_t>{before});
  Waves.clear();

  Drag({CellPoint(8, 8).X - 6, CellPoint(8, 8).Y - 6}, {CellPoint(15, 10).X + 6, 155});

  std::vector<std::uint16_t> expected;
  for (int y = 8; y <= 9; ++y)
    for (int x = 9; x <= 15; ++x) expected.push_back(at[{x, y}]);
  EXPECT_EQ(SelectedSlots(), expected);
  EXPECT_EQ(ViewState.SelectedCount, 14);
  EXPECT_EQ(ViewState.SelectionKind, SelectedUnits);
  EXPECT_EQ(std::count(Waves.begin(), Waves.end(), GroupAckWave), 1);
  for (std::uint16_t s : expected) EXPECT_EQ(Units[s].Deselected, 0);
  EXPECT_EQ(Units[at[std::make_pair(9, 10)]].Deselected, 1);
  EXPECT_EQ(Units[foreign].Deselected, 1);
  EXPECT_EQ(Units[before].Deselected, 1);  // the old selection lost its mark
  EXPECT_EQ(BoxDragState, 0);
}

TEST_F(PlayTest, ABoxOverOnlyForeignUnitsSelectsTheFirstAloneAndASmallBoxNothing) {
  const std::uint16_t first = Unit(10, 9, UnitLightTank, 2);
  Unit(12, 9, UnitLightTank, 2);
  const std::uint16_t own = Unit(3, 2, UnitTrike);
  ClickCell(3, 2);
  // Five pixels across or down, from the unit's cell to an empty one beside it: no box; the
  // release click on empty ground keeps the selection.
  const TPoint unit = CellPoint(10, 9);
  Drag({unit.X + 3, unit.Y}, {unit.X + 8, unit.Y + 7});
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{own});
  Drag({unit.X, unit.Y + 3}, {unit.X - 7, unit.Y + 8});
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{own});
  // Six pixels both ways is a box: it takes the foreign unit under it.
  Drag({unit.X + 3, unit.Y}, {unit.X + 9, unit.Y + 6});
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{first});
  Drag({unit.X + 9, unit.Y + 6}, {unit.X + 3, unit.Y});
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{first}) << "dragged up and left";
  ClickCell(3, 2);
  ASSERT_EQ(SelectedSlots(), std::vector<std::uint16_t>{own});
  // The shroud hides them from a box too.
  DebugFlags.ShadowEnabled = 1;
  for (int x = 9; x <= 13; ++x)
    for (int y = 8; y <= 10; ++y) SetShroud(x, y, ShroudCovered);
  Drag(CellPoint(9, 8), CellPoint(13, 10));
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{own});
  DebugFlags.ShadowEnabled = 0;

  Waves.clear();
  Drag(CellPoint(9, 8), CellPoint(13, 10));
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{first});
  EXPECT_FALSE(HeardSelectAck());  // not ours: no acknowledgement
}

TEST_F(PlayTest, ABoxEndsAtTheMapAreaAndClicksAtThePointerWindow) {
  ViewState.ViewX = 1;
  ViewState.ViewY = 1;
  const std::uint16_t shown = Unit(5, 10, UnitLightTank);
  Unit(6, 11, UnitLightTank);  // under the panel
  Drag({CellPoint(5, 10).X - 6, CellPoint(5, 10).Y - 6}, {CellPoint(6, 10).X + 6, 197});
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{shown});
  // A unit in the view's first column is not picked within 3 pixels of the screen's edge.
  const std::uint16_t edge = Unit(1, 5, UnitTrike);
  Click({2, CellPoint(1, 5).Y});
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{shown});
  Click({3, CellPoint(1, 5).Y});
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{edge});
}

TEST_F(PlayTest, ClicksPickTheLowerSlotKeepTheSelectionOnEmptyGroundAndOfferNoCommandsForeign) {
  const std::uint16_t low = Unit(10, 9, UnitLightTank);
  const std::uint16_t foreign = Unit(12, 9, UnitLightTank, 2);
  // A second unit standing on the same cell (stepping through it).
  const std::uint16_t high = Unit(11, 9, UnitLightTank);
  Units[high].X = 10;
  ClickCell(10, 9);
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{low});
  EXPECT_TRUE(HeardSelectAck());
  ClickCell(14, 3);  // empty rock
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{low});

  Waves.clear();
  ClickCell(12, 9);
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{foreign});
  EXPECT_EQ(Units[low].Deselected, 1);
  EXPECT_FALSE(HeardSelectAck());
  Click(MoveButton);
  EXPECT_EQ(PendingOrder, 0);

  // A building and a worm are picked too, one object at a time.
  const std::uint16_t yard = FindBuilding(BuildingConstructionYard);
  ClickCell(Buildings[yard].X, Buildings[yard].Y);
  EXPECT_EQ(ViewState.SelectionKind, SelectedBuilding);
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{yard});
  EXPECT_EQ(Buildings[yard].Deselected, 0);
  Worms[1].X = 2;
  Worms[1].Y = 2;
  ClickCell(2, 2);
  EXPECT_EQ(ViewState.SelectionKind, SelectedWorm);
  EXPECT_EQ(Buildings[yard].Deselected, 1);
  EXPECT_EQ(Worms[1].Deselected, 0);

  // The shroud hides what stands on a covered cell.
  DebugFlags.ShadowEnabled = 1;
  SetShroud(10, 9, ShroudCovered);
  ClickCell(10, 9);
  EXPECT_EQ(ViewState.SelectionKind, SelectedWorm);
}

TEST_F(PlayTest, DoubleClickSelectsTheOwnUnitsOfThatKindOnTheScreen) {
  const std::uint16_t a = Unit(10, 9, UnitLightTank);
  const std::uint16_t b = Unit(5, 2, UnitLightTank);
  Unit(12, 9, UnitTrike);
  Unit(13, 9, UnitLightTank, 2);
  const std::uint16_t away = Unit(40, 40, UnitLightTank);
  DoubleClick(CellPoint(10, 9));
  EXPECT_EQ(SelectedSlots(), (std::vector<std::uint16_t>{b, a}));
  EXPECT_EQ(Units[away].Deselected, 1);
}

TEST_F(PlayTest, ControlGroupsStoreAndRecallAndPruneWhatIsGone) {
  const std::uint16_t a = Unit(10, 9, UnitLightTank);
  const std::uint16_t b = Unit(12, 9, UnitLightTank);
  const std::uint16_t c = Unit(14, 9, UnitTrike);
  BoxCells(10, 9, 12, 9);
  ASSERT_EQ(SelectedSlots(), (std::vector<std::uint16_t>{a, b}));
  KeyDown('3', plat::kCtrl);
  ClickCell(14, 9);
  ASSERT_EQ(SelectedSlots(), std::vector<std::uint16_t>{c});

  KeyPress('3');
  EXPECT_EQ(SelectedSlots(), (std::vector<std::uint16_t>{a, b}));
  EXPECT_EQ(ViewState.SelectedCount, 2);
  EXPECT_EQ(Units[c].Deselected, 1);
  EXPECT_EQ(Units[a].Deselected, 0);

  // A dead member leaves the group; a wholly dead or empty group leaves the selection alone.
  ClickCell(14, 9);
  KillUnit(Units[a]);
  KeyPress('3');
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{b});
  EXPECT_EQ(ViewState.SelectedCount, 1);
  KillUnit(Units[b]);
  ClickCell(14, 9);
  KeyPress('3');
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{c});
  KeyPress('7');
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{c});

  // A member that changed owner leaves the group for good; a group wholly gone over to another
  // player leaves the selection alone.
  const std::uint16_t d = Unit(16, 9, UnitLightTank);
  const std::uint16_t e = Unit(18, 9, UnitLightTank);
  BoxCells(16, 9, 18, 9);
  ASSERT_EQ(SelectedSlots(), (std::vector<std::uint16_t>{d, e}));
  KeyDown('5', plat::kCtrl);
  ClickCell(14, 9);
  Units[d].Owner = 2;
  KeyPress('5');
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{e});
  EXPECT_EQ(ViewState.SelectedCount, 1);
  EXPECT_EQ(Units[d].Deselected, 1);
  Units[d].Owner = 1;
  ClickCell(14, 9);
  KeyPress('5');
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{e}) << "a pruned member came back";
  Units[e].Owner = 2;
  ClickCell(14, 9);
  KeyPress('5');
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{c});
  EXPECT_EQ(Units[e].Deselected, 1);

  // A building's slot stored as a group would come back as whatever unit has that slot.
  const std::uint16_t yard = FindBuilding(BuildingConstructionYard);
  ClickCell(Buildings[yard].X, Buildings[yard].Y);
  KeyDown('4', plat::kCtrl);
  for (const TSelectionEntry& e : ViewState.Groups[4]) EXPECT_EQ(e.InUse, 0);
  KeyPress('4');
  EXPECT_EQ(ViewState.SelectionKind, SelectedBuilding);
}

TEST_F(PlayTest, ACarrierLiftingTheOnlySelectedUnitEmptiesSelectionAndOrderNextFrame) {
  const std::uint16_t carrier = Unit(5, 2, UnitCarrier);
  const std::uint16_t tank = Unit(10, 9, UnitLightTank);
  ClickCell(5, 2);
  RightClickCell(10, 9);
  ASSERT_EQ(Units[carrier].State, StatePickUp);
  ClickCell(10, 9);
  Click(MoveButton);
  ASSERT_EQ(PendingOrder, 2);
  ASSERT_TRUE(StepUntil([&] { return Units[tank].OffMap != 0; }));
  EXPECT_EQ(ViewState.SelectedCount, 1);
  Frame();
  EXPECT_EQ(ViewState.SelectedCount, 0);
  EXPECT_EQ(PendingOrder, 0);
  EXPECT_EQ(CursorRecord.Color, 200);
}

TEST_F(PlayTest, DeadEntriesLeaveTheSelectionAndTheCountFollows) {
  const std::uint16_t a = Unit(10, 9, UnitLightTank);
  const std::uint16_t b = Unit(12, 9, UnitLightTank);
  const std::uint16_t c = Unit(14, 9, UnitLightTank);
  BoxCells(10, 9, 14, 9);
  ASSERT_EQ(ViewState.SelectedCount, 3);
  Click(MoveButton);
  KillUnit(Units[a]);
  KillUnit(Units[b]);
  Frame();
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{c});
  EXPECT_EQ(ViewState.SelectedCount, 1);
  EXPECT_EQ(PendingOrder, 2);  // the one left can still take the order
  ClickCell(3, 3);
  EXPECT_EQ(Units[c].DestX, 3);

  // An entry whose unit died between frames, with a live unit in a later entry: the command
  // column acts on the first entry in use, never on a stale one or on entry 14.
  ViewState.Selection[1] = TSelectionEntry{a, 1, 0};  // free slot
  ViewState.Selection[14] = TSelectionEntry{c, 1, 0};
  for (int n = 2; n <= 13; ++n) ViewState.Selection[n].InUse = 0;
  ViewState.SelectedCount = 1;
  zarn::MainForm->DXDrawMouseMove(0, ThirdButton.X * WindowScale(), ThirdButton.Y * WindowScale());
  zarn::MainForm->DXDrawClick();
  EXPECT_EQ(PendingOrder, 0);
  Frame();
  EXPECT_EQ(SelectedSlots(), std::vector<std::uint16_t>{c});
  Click(ThirdButton);
  EXPECT_EQ(PendingOrder, 1);
}

TEST_F(PlayTest, ThePendingOrderGoesWhenTheSelectionNoLongerFitsIt) {
  const std::uint16_t tank = Unit(10, 9, UnitLightTank);
  ClickCell(10, 9);
  Click(ThirdButton);
  ASSERT_EQ(PendingOrder, 1);
  // A worm selected while the attack waits: the target click does nothing and ends the order.
  const std::uint16_t enemy = Unit(14, 9, UnitLightTank, 2);
  Worms[1].X = 2;
  Worms[1].Y = 2;
  SelectObject(1, SelectedWorm);
  MoveTo(CellPoint(14, 9));
  zarn::MainForm->DXDrawClick();
  EXPECT_EQ(PendingOrder, 0);
  EXPECT_NE(Units[tank].State, StateAttack);
  EXPECT_EQ(Units[enemy].Deselected, 1);
  // The frame's check ends it as well, before any click.
  SelectObject(tank, SelectedUnits);
  Click(ThirdButton);
  ASSERT_EQ(PendingOrder, 1);
  SelectObject(1, SelectedWorm);
  Frame();
  EXPECT_EQ(PendingOrder, 0);

  // The placement order belongs to the yard: selecting a unit ends it.
  const std::uint16_t yard = FindBuilding(BuildingConstructionYard);
  ClickCell(Buildings[yard].X, Buildings[yard].Y);
  PendingOrder = 4;
  Frame();
  EXPECT_EQ(PendingOrder, 4);
  ViewState.Selection[1] = TSelectionEntry{tank, 1, 0};
  ViewState.SelectionKind = SelectedUnits;
  Frame();
  EXPECT_EQ(PendingOrder, 0);
}

TEST_F(PlayTest, AClickThatLeftThePlayScreenLeavesNoBoxBehind) {
  const std::uint16_t a = Unit(11, 8, UnitLightTank);
  static int musicStops;
  musicStops = 0;
  StopMusicProc = [] { ++musicStops; };
  MoveTo(MenuButton);
  Press(MenuButton);
  Frame();
  ASSERT_EQ(BoxDragState, 3);
  zarn::MainForm->DXDrawClick();
  Release(MenuButton);
  EXPECT_EQ(GameScreen, 7);
  EXPECT_EQ(LastKey, 27);
  // The button sound, and in single play the music stops.
  EXPECT_EQ(std::count(Waves.begin(), Waves.end(), 89), 1);
  EXPECT_EQ(musicStops, 1);
  // Back in play with the pointer far from where the press was.
  GameScreen = 0;
  MoveTo(CellPoint(11, 7));
  Frame();
  EXPECT_EQ(ViewState.SelectedCount, 0);
  EXPECT_EQ(Units[a].Deselected, 1);
}

// The play screen's hot keys, each from the same start: speed 16, music and sound on, a unit
// at (45, 30) selected, the view at (1, 1). The Ctrl keys act only on the play screen.
TEST_F(PlayTest, HotKeysSetTheSpeedCentreTheViewAndToggleMusicAndSound) {
  ViewState.ViewX = 35;
  ViewState.ViewY = 25;
  const std::uint16_t tank = Unit(45, 30, UnitLightTank);
  ClickCell(45, 30);
  ASSERT_EQ(SelectedSlots(), std::vector<std::uint16_t>{tank});
  const TGameOptions saved = GameOptions;
  struct Row {
    const char* what;
    int key;
    plat::ShiftState shift;
    int screen, speedBefore;
    bool musicBefore, soundBefore;
    int speed, intervalMs;
    bool music, sound;
    int viewX, viewY;
    std::string_view message;  // empty: none shown
  };
  const Row rows[] = {
      {"=", plat::vk::OemPlus, 0, 0, 16, true, true, 17, 53, true, true, 1, 1, ""},
      {"= at the top", plat::vk::OemPlus, 0, 0, 17, true, true, 17, 53, true, true, 1, 1, ""},
      {"= from 15", plat::vk::OemPlus, 0, 0, 15, true, true, 16, 106, true, true, 1, 1, ""},
      {"-", plat::vk::OemMinus, 0, 0, 16, true, true, 15, 159, true, true, 1, 1, ""},
      {"- at the bottom", plat::vk::OemMinus, 0, 0, 15, true, true, 15, 159, true, true, 1, 1, ""},
      {"- from 17", plat::vk::OemMinus, 0, 0, 17, true, true, 16, 106, true, true, 1, 1, ""},
      {"Ctrl+C", 'C', plat::kCtrl, 0, 16, true, true, 16, 106, true, true, 35, 25, ""},
      {"C", 'C', 0, 0, 16, true, true, 16, 106, true, true, 1, 1, ""},
      {"Ctrl+M off", 'M', plat::kCtrl, 0, 16, true, true, 16, 106, false, true, 1, 1,
       "Музыка отключена"_cp1251},
      {"Ctrl+M on", 'M', plat::kCtrl, 0, 16, false, true, 16, 106, true, true, 1, 1,
       "Музыка включена"_cp1251},
      {"M", 'M', 0, 0, 16, true, true, 16, 106, true, true, 1, 1, ""},
      {"Ctrl+S off", 'S', plat::kCtrl, 0, 16, true, true, 16, 106, true, false, 1, 1,
       "Звуки отключены"_cp1251},
      {"Ctrl+S on", 'S', plat::kCtrl, 0, 16, true, false, 16, 106, true, true, 1, 1,
       "Звуки включены"_cp1251},
      {"S", 'S', 0, 0, 16, true, true, 16, 106, true, true, 1, 1, ""},
      {"Ctrl+M in the game menu", 'M', plat::kCtrl, 7, 16, true, true, 16, 106, true, true, 1, 1, ""},
      {"Ctrl+C in the game menu", 'C', plat::kCtrl, 7, 16, true, true, 16, 106, true, true, 1, 1, ""},
      {"= in the game menu", plat::vk::OemPlus, 0, 7, 16, true, true, 16, 106, true, true, 1, 1, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    GameScreen = static_cast<std::uint8_t>(r.screen);
    GameOptions.GameSpeed = r.speedBefore;
    ApplyGameSpeed();
    GameOptions.MusicEnable = r.musicBefore;
    GameOptions.SoundEnable = r.soundBefore;
    ViewState.ViewX = ViewState.ViewY = 1;
    HideMessageLine();
    KeyDown(r.key, r.shift);
    EXPECT_EQ(GameOptions.GameSpeed, r.speed);
    EXPECT_EQ(WorldTimerInterval, r.intervalMs);
    EXPECT_EQ(GameOptions.MusicEnable, r.music);
    EXPECT_EQ(GameOptions.SoundEnable, r.sound);
    EXPECT_EQ(ViewState.ViewX, r.viewX);
    EXPECT_EQ(ViewState.ViewY, r.viewY);
    if (r.message.empty())
      EXPECT_EQ(MessageLine.Hidden, 1);
    else
      EXPECT_EQ(MessageShown(), FontTextOf(r.message));
  }
  GameScreen = 0;
  GameOptions = saved;
  ApplyGameSpeed();
}

}  // namespace
