// The two editors driven as a player drives them: pointer and keys injected into the real
// program (null back end), the menus, the painting and placing, and the files on disk.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "game/menus/dmenus.h"
#include "game/shell/editorscreens.h"
#include "game/world/dobjects.h"
#include "game/world/gamestart.h"
#include "game/world/scenario.h"
#include "tests/shell/shell_fixture.h"

using namespace zarn;

namespace {

std::vector<std::uint8_t> ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

int CountFields() {
  return static_cast<int>(std::count_if(OssinFields.begin(), OssinFields.end(),
                                        [](const TOssinFieldRecord& f) { return f.Free == 0; }));
}
int CountBlooms() {
  return static_cast<int>(std::count_if(OssinBlooms.begin(), OssinBlooms.end(),
                                        [](const TOssinBloomRecord& b) { return b.Removed == 0; }));
}
int CountPlacements(std::uint8_t kind) {
  return static_cast<int>(std::count_if(MapPlacements.begin(), MapPlacements.end(),
                                        [kind](const TMapPlacement& p) { return p.Kind == kind; }));
}
int LiveUnits() {
  int n = 0;
  for (int i = 1; i <= MaxUnitSlots; ++i) n += Units[i].Free == 0 ? 1 : 0;
  return n;
}
int LiveBuildings() {
  int n = 0;
  for (int i = 1; i <= MaxBuildingSlots; ++i) n += Buildings[i].Free == 0 ? 1 : 0;
  return n;
}
int LiveWorms() {
  int n = 0;
  for (const TWormRecord& w : Worms) n += w.Removed == 0 ? 1 : 0;
  return n;
}

// The new map's sizes as a program starts with them.
const std::int32_t StartWidthIndex = NewMapWidthIndex, StartHeightIndex = NewMapHeightIndex;

class EditorTest : public ShellTest {
 protected:
  // Full screen on this desktop shows the picture doubled, as the window does.
  void SetUp() override {
    ShellTest::SetUp();
    plat::null::SetDesktopSize(640, 400);
  }
  // The program keeps the sizes last chosen for its next new map; the next test's program
  // starts with its own.
  void TearDown() override {
    NewMapWidthIndex = StartWidthIndex;
    NewMapHeightIndex = StartHeightIndex;
    ShellTest::TearDown();
  }
  // The window shows the picture doubled: events carry window pixels.
  void At(int x, int y) { plat::null::InjectMouseMove(FormId(), 2 * x, 2 * y); }
  // Clicks far enough apart in time never pair into a double click.
  void Click(int x, int y) {
    plat::null::AdvanceClock(1000);
    plat::ProcessMessages();
    At(x, y);
    plat::null::InjectClick(FormId(), 2 * x, 2 * y);
    Pass(2);
  }
  void Press(int x, int y, plat::MouseButton b = plat::MouseButton::Left) {
    At(x, y);
    plat::null::InjectMouseDown(FormId(), b, 2 * x, 2 * y);
  }
  void Release(int x, int y, plat::MouseButton b = plat::MouseButton::Left) {
    plat::null::InjectMouseUp(FormId(), b, 2 * x, 2 * y);
    Pass(1);
  }
  // A right press and release on a map cell.
  void RightPressCell(int x, int y) {
    Press(CellX(x), CellY(y), plat::MouseButton::Right);
    Release(CellX(x), CellY(y), plat::MouseButton::Right);
  }
  void Key(int key) {
    plat::null::InjectKeyDown(FormId(), key);
    plat::null::InjectKeyUp(FormId(), key);
    Pass(2);
  }
  // A frame is drawn on every timer step; one step per pass.
  std::uint64_t Frames() { return plat::null::FrameCount(); }
  // The screen position of a map cell (the view starts at 1, 1).
  static int CellX(int x) { return (x - ViewState.ViewX) * 16 + 8; }
  static int CellY(int y) { return (y - ViewState.ViewY) * 16 + 8; }
  // Types a name over whatever the edit line holds.
  void TypeName(const std::string& name) {
    EditLineSetText(EditBox1, "");
    plat::null::InjectText(FormId(), name);
    Pass(2);
  }

  // -editor, a new 64 x 64 map, into the editing screen.
  void NewMapAndEdit() {
    Start({"-editor"});
    ASSERT_EQ(GameScreen, ScreenMapEditorMenu);
    Click(60, 56);  // new map
    ASSERT_EQ(GameScreen, ScreenNewMap);
    NewMapWidthIndex = 1;
    NewMapHeightIndex = 1;
    Click(50, 183);  // accept
    ASSERT_EQ(GameScreen, ScreenMapEditorMenu);
    Click(200, 146);  // edit
    ASSERT_EQ(GameScreen, ScreenMapEditing);
    Pass(2);
  }
  // Tool mode through the command column.
  void MapMode(int mode) { Click(280, 162 + 8 * mode); }
  void Drag(const std::vector<std::pair<int, int>>& cells, plat::MouseButton b) {
    Press(CellX(cells[0].first), CellY(cells[0].second), b);
    Pass(1);
    for (const auto& [x, y] : cells) {
      At(CellX(x), CellY(y));
      Pass(1);
    }
    Release(CellX(cells.back().first), CellY(cells.back().second), b);
  }
  // A new map with one resource cell painted, back in the map editor's menu.
  void NewMapWithAFieldInTheMenu() {
    NewMapAndEdit();
    MapMode(2);
    Drag({{4, 4}}, plat::MouseButton::Left);
    Key(plat::vk::Escape);
  }
};

TEST_F(EditorTest, NewMapTrackBarsGiveTheSideLengths) {
  Start({"-editor"});
  Click(60, 56);
  ASSERT_EQ(GameScreen, ScreenNewMap);
  NewMapWidthIndex = 0;
  NewMapHeightIndex = 5;
  // One step each way on the bars: the left end of the width bar goes right, the right end of
  // the height bar goes left.
  Click(257, 74);
  Click(62, 102);
  EXPECT_EQ(NewMapWidthIndex, 1);
  EXPECT_EQ(NewMapHeightIndex, 4);
  // A scenario in the making: objects enabled, upgrade limits, player count, sides and credits,
  // and a unit on the old map. A new program does not reset all of the records: the next test's
  // gets them back as they were.
  struct Restore {
    TMissionRecord mission = Mission;
    decltype(Players) players = Players;
    ~Restore() {
      Mission = mission;
      Players = players;
    }
  } restore;
  Mission.Available[7] = 0;
  Mission.UpgradeLimits[5] = 3;
  Mission.PlayerCount = 4;
  Players[3].Side = 2;
  Players[3].Credits = 15000;
  Players[3].Destroyed = 0;
  InitUnit(Units[1], 10, 10, 1, 1, 1, UnitLightTank);
  ASSERT_EQ(LiveUnits(), 1);
  const TMissionRecord mission = Mission;
  const auto players = Players;
  Click(50, 183);
  EXPECT_EQ(GameScreen, ScreenMapEditorMenu);
  EXPECT_EQ(GameMap.Width, 64);
  EXPECT_EQ(GameMap.Height, 192);
  EXPECT_EQ(MapFileName, "noname.map");
  EXPECT_EQ(MapExists, 1);
  EXPECT_EQ(DebugFlags.ShadowEnabled, 0);
  // Only the map's state is new: the records stay, the old map's objects go.
  EXPECT_EQ(std::memcmp(&Mission, &mission, sizeof mission), 0);
  EXPECT_EQ(std::memcmp(&Players, &players, sizeof players), 0);
  EXPECT_EQ(LiveUnits(), 0);
}

// A program made again in the same process after a network client's (as tests make it) starts
// in single play: the editors keep their edits instead of sending them to a server.
TEST_F(EditorTest, AProgramMadeAfterANetworkClientsEditsItsOwnMap) {
  NetRole = RoleClient;
  NewMapWithAFieldInTheMenu();
  EXPECT_EQ(NetRole, RoleSingle);
  EXPECT_EQ(CountFields(), 1);
}

TEST_F(EditorTest, AHeldButtonPaintsEveryFrameUnderThePointer) {
  NewMapAndEdit();
  EXPECT_EQ(RightButtonUp, 1);
  EXPECT_EQ(PendingOrder, 4);
  // Ground along a row, one cell a frame while the left button is held.
  MapMode(0);
  ASSERT_EQ(PageList1.Mode, 0);
  Drag({{3, 3}, {4, 3}, {5, 3}, {6, 3}}, plat::MouseButton::Left);
  for (int x = 3; x <= 6; ++x) EXPECT_EQ(TerrainClass(GameMap.Cell(x, 3)), TerrainGround) << x;
  EXPECT_EQ(TerrainClass(GameMap.Cell(7, 3)), TerrainSand);
  EXPECT_EQ(TerrainClass(GameMap.Cell(3, 4)), TerrainSand);
  // Mountains (rock) on part of that ground.
  MapMode(1);
  Drag({{4, 3}, {5, 3}}, plat::MouseButton::Left);
  EXPECT_EQ(TerrainClass(GameMap.Cell(4, 3)), TerrainRock);
  EXPECT_EQ(TerrainClass(GameMap.Cell(5, 3)), TerrainRock);
  EXPECT_EQ(TerrainClass(GameMap.Cell(6, 3)), TerrainGround);
  // The right button paints sand back.
  Drag({{6, 3}}, plat::MouseButton::Right);
  EXPECT_EQ(TerrainClass(GameMap.Cell(6, 3)), TerrainSand);
  EXPECT_EQ(RightButtonUp, 1);
  // Resource cells while held; a bloom on a click.
  MapMode(2);
  Drag({{8, 6}, {9, 6}, {10, 6}}, plat::MouseButton::Left);
  EXPECT_EQ(CountFields(), 3);
  MapMode(3);
  Click(CellX(12), CellY(8));
  EXPECT_EQ(CountBlooms(), 1);
  EXPECT_TRUE(BloomAt(12, 8));
  // A pointer over the panel paints nothing.
  MapMode(0);
  Press(100, 170);
  Pass(3);
  Release(100, 170);
  EXPECT_EQ(CountFields(), 3);
}

TEST_F(EditorTest, BothButtonsApplyTheToolThenSandInOneFrame) {
  NewMapAndEdit();
  MapMode(0);
  Press(CellX(5), CellY(5));
  Press(CellX(5), CellY(5), plat::MouseButton::Right);
  Pass(1);
  EXPECT_EQ(TerrainClass(GameMap.Cell(5, 5)), TerrainSand);
  // Ground was laid first: its neighbours' edges were chosen again around it.
  Release(CellX(5), CellY(5), plat::MouseButton::Right);
  Pass(1);
  EXPECT_EQ(TerrainClass(GameMap.Cell(5, 5)), TerrainGround);
  Release(CellX(5), CellY(5));
}

TEST_F(EditorTest, SavedMapHasItsSizeAndLoadsBackWithItsObjects) {
  NewMapAndEdit();
  MapMode(0);
  Drag({{2, 2}, {3, 2}}, plat::MouseButton::Left);
  MapMode(2);
  Drag({{6, 5}, {7, 5}}, plat::MouseButton::Left);
  MapMode(3);
  Click(CellX(9), CellY(7));
  const std::uint8_t ground = GameMap.Cell(2, 2);
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenMapEditorMenu);
  Click(60, 92);  // save
  ASSERT_EQ(GameScreen, ScreenSaveMap);
  TypeName("dune");
  Click(70, 178);
  ASSERT_EQ(GameScreen, ScreenMapEditorMenu);
  EXPECT_EQ(MapFileName, "dune.map");
  const fs::path file = folder / "maps" / "dune.map";
  ASSERT_TRUE(fs::exists(file));
  EXPECT_EQ(fs::file_size(file), 4u + 64u * 64u + 6600u);
  EXPECT_EQ(CountPlacements(PlacementField), 2);
  EXPECT_EQ(CountPlacements(PlacementBloom), 1);

  // Another map, then the saved one back.
  Click(60, 56);
  Click(50, 183);
  EXPECT_EQ(CountFields(), 0);
  EXPECT_EQ(GameMap.Cell(2, 2), 0);
  AddBloom(30, 30);  // the unsaved map's bloom goes with it
  Click(60, 74);  // load
  ASSERT_EQ(GameScreen, ScreenLoadMap);
  ASSERT_GE(FileListBox.Count(), 1);
  EXPECT_EQ(FileListBox.Items.front(), "dune");
  FileListBox.Selection = 0;
  Key(plat::vk::Return);
  ASSERT_EQ(GameScreen, ScreenMapEditorMenu);
  EXPECT_EQ(MapFileName, "dune.map");
  EXPECT_EQ(GameMap.Cell(2, 2), ground);
  EXPECT_EQ(CountFields(), 2);
  EXPECT_EQ(CountBlooms(), 1);
  EXPECT_TRUE(BloomAt(9, 7));
  EXPECT_TRUE(plat::null::MessageBoxes().empty());
}

TEST_F(EditorTest, ADamagedMapIsShownAndChangesNothing) {
  NewMapWithAFieldInTheMenu();
  fs::create_directories(folder / "maps");
  std::vector<std::uint8_t> bad(4 + 32 * 32 + 6600 - 1, 0);
  bad[0] = 32;
  bad[2] = 32;
  std::ofstream(folder / "maps" / "broken.map", std::ios::binary)
      .write(reinterpret_cast<const char*>(bad.data()), static_cast<std::streamsize>(bad.size()));
  const TTileGrid before = GameMap;
  const TMapPlacements placements = MapPlacements;
  Click(60, 74);
  ASSERT_EQ(GameScreen, ScreenLoadMap);
  FileListBox.Selection = 0;
  Click(70, 178);
  EXPECT_EQ(GameScreen, ScreenLoadMap);
  ASSERT_EQ(plat::null::MessageBoxes().size(), 1u);
  EXPECT_NE(plat::null::MessageBoxes()[0].text.find("broken.map"), std::string::npos);
  EXPECT_EQ(std::memcmp(&before, &GameMap, sizeof GameMap), 0);
  EXPECT_EQ(std::memcmp(&placements, &MapPlacements, sizeof MapPlacements), 0);
  EXPECT_EQ(MapFileName, "noname.map");
  EXPECT_EQ(CountFields(), 1);
}

TEST_F(EditorTest, TypedNamesThatLeaveTheFolderAreRefused) {
  NewMapAndEdit();
  Key(plat::vk::Escape);
  Click(60, 92);
  ASSERT_EQ(GameScreen, ScreenSaveMap);
  for (const std::string& name : std::vector<std::string>{"../up", "a/b", "a\\b", "*", "x?", "bell\x07"}) {
    plat::null::ClearMessageBoxes();
    EditLineSetText(EditBox1, name);
    Key(plat::vk::Return);
    EXPECT_EQ(GameScreen, ScreenSaveMap) << name;
    EXPECT_EQ(plat::null::MessageBoxes().size(), 1u) << name;
  }
  EXPECT_FALSE(fs::exists(folder / "up.map"));
  EXPECT_EQ(MapFileName, "noname.map");
  // An empty name does nothing at all.
  plat::null::ClearMessageBoxes();
  EditLineSetText(EditBox1, "");
  Click(70, 178);
  EXPECT_EQ(GameScreen, ScreenSaveMap);
  EXPECT_TRUE(plat::null::MessageBoxes().empty());
}

TEST_F(EditorTest, AMapThatCannotBeWrittenIsShownAndTheMapStays) {
  NewMapWithAFieldInTheMenu();
  // A file where the maps folder should be: nothing can be written into it.
  fs::remove_all(folder / "maps");
  std::ofstream(folder / "maps") << "not a folder";
  const TMapPlacements placements = MapPlacements;
  Click(60, 92);
  TypeName("lost");
  Key(plat::vk::Return);
  EXPECT_EQ(GameScreen, ScreenSaveMap);
  ASSERT_EQ(plat::null::MessageBoxes().size(), 1u);
  EXPECT_NE(plat::null::MessageBoxes()[0].text.find("lost.map"), std::string::npos);
  EXPECT_EQ(MapFileName, "noname.map");
  EXPECT_EQ(std::memcmp(&placements, &MapPlacements, sizeof MapPlacements), 0);
  EXPECT_EQ(CountFields(), 1);
}

TEST_F(EditorTest, TheDeleteButtonsDeleteTheSelectedFile) {
  NewMapAndEdit();
  Key(plat::vk::Escape);
  ASSERT_EQ(SaveMapFile("one.map"), MapFileResult::Ok);
  ASSERT_EQ(SaveMapFile("two.map"), MapFileResult::Ok);
  Click(60, 92);
  ASSERT_EQ(FileListBox.Count(), 2);
  const int two = FileListBox.Items[0] == "two" ? 0 : 1;
  FileListBox.Selection = static_cast<std::uint16_t>(two);
  Click(160, 178);
  EXPECT_FALSE(fs::exists(folder / "maps" / "two.map"));
  EXPECT_TRUE(fs::exists(folder / "maps" / "one.map"));
  ASSERT_EQ(FileListBox.Count(), 1);
  EXPECT_EQ(FileListBox.Items[0], "one");
  EXPECT_EQ(GameScreen, ScreenSaveMap);

  // The scenario save screen does the same with scenario files.
  Key(plat::vk::Escape);
  fs::create_directories(folder / "scenes");
  ASSERT_TRUE(SaveScenario("s1.scn"));
  OpenSaveScenario();
  Pass(1);
  ASSERT_EQ(FileListBox.Count(), 1);
  FileListBox.Selection = 0;
  Click(160, 178);
  EXPECT_FALSE(fs::exists(folder / "scenes" / "s1.scn"));
  EXPECT_EQ(FileListBox.Count(), 0);
  // Nothing selected: nothing deleted, nothing shown.
  Click(160, 178);
  EXPECT_TRUE(plat::null::MessageBoxes().empty());
}

TEST_F(EditorTest, EscapeFromTheEditorMenusTurnsTheShroudBackOn) {
  Start({"-editor"});
  EXPECT_EQ(DebugFlags.ShadowEnabled, 0);
  Key(plat::vk::Escape);
  EXPECT_EQ(GameScreen, ScreenMainMenu);
  EXPECT_EQ(DebugFlags.ShadowEnabled, 1);
  // The exit button does the same.
  OpenMapEditorMenu();
  Pass(1);
  Click(80, 146);
  EXPECT_EQ(GameScreen, ScreenMainMenu);
  EXPECT_EQ(DebugFlags.ShadowEnabled, 1);
  // And from the scenario editor's menu.
  OpenScenarioEditorMenu();
  Pass(1);
  EXPECT_EQ(DebugFlags.ShadowEnabled, 0);
  Key(plat::vk::Escape);
  EXPECT_EQ(GameScreen, ScreenMainMenu);
  EXPECT_EQ(DebugFlags.ShadowEnabled, 1);
}

TEST_F(EditorTest, TheEditButtonWithoutAMapOpensTheNewMapScreen) {
  Start({"-debug"});
  ASSERT_EQ(MapExists, 0);
  Key(plat::vk::F1 + 4);
  ASSERT_EQ(GameScreen, ScreenMapEditorMenu);
  Click(200, 146);
  EXPECT_EQ(GameScreen, ScreenNewMap);
}

// ---- Scenario editor ----

class ScenarioEditorTest : public EditorTest {
 protected:
  // A 64 x 64 map "field.map" with two resource cells, then -debug, F6, new scenario on it.
  void NewScenario() {
    Start({"-debug"});
    SetMapSizeAndClear(64, 64);
    ResetMapPlacements();
    AddMapPlacement(PlacementField, 20, 20);
    AddMapPlacement(PlacementBloom, 22, 20);
    ASSERT_EQ(SaveMapFile("field.map"), MapFileResult::Ok);
    SetMapSizeAndClear(32, 32);
    Key(plat::vk::F1 + 5);
    ASSERT_EQ(GameScreen, ScreenScenarioEditorMenu);
    Click(60, 56);
    ASSERT_EQ(GameScreen, ScreenScenarioMapChoice);
    ASSERT_EQ(FileListBox.Count(), 1);
    FileListBox.Selection = 0;
    Click(70, 178);
    ASSERT_EQ(GameScreen, ScreenScenarioEditorMenu);
    ASSERT_EQ(GameMap.Width, 64);
  }
  void Edit() {
    Click(200, 146);
    ASSERT_EQ(GameScreen, ScreenScenarioEditing);
    Pass(2);
  }
  void Mode(int mode) { Click(280, 162 + 8 * mode); }
  // Place with the strip's item `place` at a cell.
  void PlaceAt(int place, int x, int y) {
    PageList2.Selected = place;
    Click(CellX(x), CellY(y));
  }
};

TEST_F(ScenarioEditorTest, ANewScenarioHasTheMapsObjectsOnly) {
  NewScenario();
  EXPECT_EQ(MapFileName, "field.map");
  EXPECT_EQ(CountFields(), 1);
  EXPECT_EQ(CountBlooms(), 1);
  EXPECT_EQ(LiveUnits(), 0);
  EXPECT_EQ(LiveBuildings(), 0);
  EXPECT_EQ(LiveWorms(), 0);
}

TEST_F(ScenarioEditorTest, PlacesAndRemovesWithThePointer) {
  NewScenario();
  Edit();
  Mode(0);
  PlaceAt(0, 3, 3);
  EXPECT_EQ(LiveUnits(), 1);
  Mode(1);
  PlaceAt(4, 6, 3);  // a 2 x 2 or larger building
  EXPECT_EQ(LiveBuildings(), 1);
  Mode(2);
  PlaceAt(0, 10, 6);
  EXPECT_EQ(LiveWorms(), 1);
  // A right press on an empty cell removes nothing.
  RightPressCell(15, 8);
  EXPECT_EQ(LiveUnits() + LiveBuildings() + LiveWorms(), 3);
  // A unit on a building goes first, then the building.
  Mode(0);
  PlaceAt(0, 6, 3);
  ASSERT_EQ(LiveUnits(), 2);
  RightPressCell(6, 3);
  EXPECT_EQ(LiveUnits(), 1);
  EXPECT_EQ(LiveBuildings(), 1);
  RightPressCell(6, 3);
  EXPECT_EQ(LiveBuildings(), 0);
  RightPressCell(10, 6);
  EXPECT_EQ(LiveWorms(), 0);
  // Slabs go too: the editor finds buildings of every kind.
  Mode(1);
  PlaceAt(0, 6, 3);
  ASSERT_EQ(LiveBuildings(), 1);
  ASSERT_TRUE(std::any_of(Buildings.begin(), Buildings.end(),
                          [](const TBuildingRecord& b) { return b.Free == 0 && b.Kind == BuildingSlab; }));
  RightPressCell(6, 3);
  EXPECT_EQ(LiveBuildings(), 0);
}

TEST_F(ScenarioEditorTest, OnePlayerGivesAOneStepBarAndCreditsAndSidesFollowTheBars) {
  NewScenario();
  Click(60, 128);  // settings
  ASSERT_EQ(GameScreen, ScreenScenarioSettings);
  MissionSettingsCopy.PlayerCount = 2;
  Click(58, 17 + 16 * 6 + 4);  // left of the thumb: one player
  EXPECT_EQ(MissionSettingsCopy.PlayerCount, 1);
  Click(50, 183);
  ASSERT_EQ(Mission.PlayerCount, 1);
  Edit();
  Mode(3);
  EXPECT_EQ(TrackBars[1].Minimum, 1);
  EXPECT_EQ(TrackBars[1].Maximum, 1);
  Click(250, 176);
  Click(66, 176);
  Pass(2);
  EXPECT_EQ(EditorPlayer, 1);
  Mode(4);
  const std::int32_t credits = Players[1].Credits;
  Click(240, 176);  // right of the thumb: one step up
  EXPECT_EQ(Players[1].Credits, std::clamp(credits + 1, 1000, 150000));
  EXPECT_EQ(TrackBars[2].Minimum, 1);
  EXPECT_EQ(TrackBars[2].Maximum, 4);
  EditorSideValue = 1;
  Click(240, 192);
  EXPECT_EQ(EditorSide, 2);
  Mode(0);
  EXPECT_EQ(Players[1].Side, 2);
  // Mode 3 gives the side to the player too.
  Players[1].Side = 1;
  Mode(3);
  EXPECT_EQ(Players[1].Side, 2);
  // Each mode button is eight rows high, from row 159.
  Click(280, 166);
  EXPECT_EQ(PageList2.Mode, 0);
  Click(280, 167);
  EXPECT_EQ(PageList2.Mode, 1);
}

TEST_F(ScenarioEditorTest, ThePlayerBarsComeBackAfterTheSettingsScreenUsedThem) {
  NewScenario();
  Edit();
  Mode(4);
  Key(plat::vk::Escape);
  Click(60, 128);  // settings: its ten bars take the same widgets
  Click(240, 183);
  Edit();
  EXPECT_EQ(TrackBars[1].Value, &Players[1].Credits);
  EXPECT_EQ(TrackBars[2].Value, &EditorSideValue);
  const TMissionRecord before = Mission;
  Click(240, 176);
  EXPECT_EQ(std::memcmp(&before, &Mission, sizeof Mission), 0);
}

TEST_F(ScenarioEditorTest, CancelledSettingsChangeNothingAndAcceptedOnesApply) {
  NewScenario();
  const TMissionRecord before = Mission;
  const std::uint8_t side = Players[1].Side;
  Click(60, 128);
  MissionSettingsCopy.GoalType = 7;
  EditorHouse = 3;
  Click(240, 183);  // back
  EXPECT_EQ(std::memcmp(&before, &Mission, sizeof Mission), 0);
  EXPECT_EQ(Players[1].Side, side);
  Click(60, 128);
  MissionSettingsCopy.MissionNumber = 4;
  EditorHouse = 2;
  MissionSettingsCopy.UpgradeLimits[5] = 2;
  EXPECT_EQ(SettingsValueText(4), "2 ВСЕ КРОМЕ ОСАДНОГО ТАНКА"_cp1251);
  EXPECT_EQ(SettingsValueText(9), "ТЕЛИКС"_cp1251);
  Click(50, 183);
  EXPECT_EQ(Mission.MissionNumber, 4);
  EXPECT_EQ(Players[1].Side, 2);
  // Enabled objects: untick the first kind, keep the rest.
  Mission.Available[1] = 1;
  Mission.Available[2] = 1;
  Click(60, 110);
  ASSERT_EQ(GameScreen, ScreenObjectEnable);
  ASSERT_EQ(CheckList.Count(), 34);
  CheckList.RowFlags[0] = 0;
  Click(70, 178);
  EXPECT_EQ(Mission.Available[1], 0);
  EXPECT_EQ(Mission.Available[2], 1);
}

TEST_F(ScenarioEditorTest, SavesLoadsByteForByteAndStartsAsAGame) {
  NewScenario();
  Click(60, 128);
  MissionSettingsCopy.PlayerCount = 2;
  MissionSettingsCopy.GoalType = 6;
  EditorHouse = 1;
  Click(50, 183);
  // The brush's side: the mode buttons give it to the player being edited.
  EditorSide = 1;
  Edit();
  Mode(0);
  PlaceAt(3, 4, 4);
  PlaceAt(3, 5, 4);
  Mode(1);
  PlaceAt(2, 8, 4);
  Mode(2);
  PlaceAt(0, 14, 7);
  EXPECT_EQ(LiveUnits(), 2);
  EXPECT_EQ(LiveBuildings(), 1);
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenScenarioEditorMenu);
  Click(60, 92);
  ASSERT_EQ(GameScreen, ScreenSaveScenario);
  TypeName("first");
  Key(plat::vk::Return);
  ASSERT_EQ(GameScreen, ScreenScenarioEditorMenu);
  EXPECT_EQ(ScenarioFileName, "first.scn");
  const std::vector<std::uint8_t> first = ReadBytes(folder / "scenes" / "first.scn");
  ASSERT_EQ(first.size(), ScenarioFileSize(1, 2, 1));

  // Empty the world, load it again, save it under another name: the same bytes.
  KillAllUnits();
  DestroyAllBuildings();
  RemoveAllWorms();
  Click(60, 74);
  ASSERT_EQ(GameScreen, ScreenLoadScenario);
  FileListBox.Selection = 0;
  Click(70, 178);
  ASSERT_EQ(GameScreen, ScreenScenarioEditorMenu);
  EXPECT_EQ(LiveUnits(), 2);
  EXPECT_EQ(LiveBuildings(), 1);
  EXPECT_EQ(LiveWorms(), 1);
  Click(60, 92);
  TypeName("second");
  Click(70, 178);
  EXPECT_EQ(ReadBytes(folder / "scenes" / "second.scn"), first);

  // Into play as the campaign starts a mission: the objects stand on the map.
  ASSERT_FALSE(LoadScenario("second.scn"));
  ASSERT_TRUE(BuildScenarioWorld());
  StartGame();
  Pass(5);
  EXPECT_EQ(GameScreen, ScreenPlay);
  EXPECT_EQ(LiveUnits(), 2);
  EXPECT_EQ(Mission.GoalType, 6);
  EXPECT_EQ(Players[1].Side, 1);
}

TEST_F(ScenarioEditorTest, ADamagedScenarioOrAMissingMapChangesNothing) {
  NewScenario();
  Edit();
  Mode(0);
  PlaceAt(0, 3, 3);
  Key(plat::vk::Escape);
  ScenarioFileName = "old.scn";
  fs::create_directories(folder / "scenes");
  std::vector<std::uint8_t> bad(ScenarioFixedBytes + 3, 0);
  std::ofstream(folder / "scenes" / "broken.scn", std::ios::binary)
      .write(reinterpret_cast<const char*>(bad.data()), static_cast<std::streamsize>(bad.size()));
  // A sound scenario whose map is gone.
  const std::string keepMap = MapFileName;
  MapFileName = "gone.map";
  ASSERT_TRUE(SaveScenario("nomap.scn"));
  MapFileName = keepMap;
  const TMissionRecord mission = Mission;
  const auto players = Players;
  for (const std::string name : {"broken", "nomap"}) {
    plat::null::ClearMessageBoxes();
    OpenLoadScenario();
    Pass(1);
    const auto it = std::find(FileListBox.Items.begin(), FileListBox.Items.end(), name);
    ASSERT_NE(it, FileListBox.Items.end());
    FileListBox.Selection = static_cast<std::uint16_t>(it - FileListBox.Items.begin());
    Click(70, 178);
    EXPECT_EQ(GameScreen, ScreenLoadScenario) << name;
    EXPECT_EQ(plat::null::MessageBoxes().size(), 1u) << name;
    EXPECT_EQ(ScenarioFileName, "old.scn") << name;
    EXPECT_EQ(MapFileName, "field.map") << name;
    EXPECT_EQ(std::memcmp(&mission, &Mission, sizeof Mission), 0) << name;
    EXPECT_EQ(std::memcmp(&players, &Players, sizeof Players), 0) << name;
    EXPECT_EQ(LiveUnits(), 1) << name;
    EXPECT_EQ(GameMap.Width, 64) << name;
  }
}

TEST_F(ScenarioEditorTest, MinimapStaysInItsBoxOnANarrowMap) {
  NewScenario();
  Edit();
  SetMapSizeAndClear(32, 32);
  ViewState.MinimapScaleX = static_cast<float>(32 * 0.015625);
  ViewState.MinimapScaleY = static_cast<float>(32 * 0.025);
  ASSERT_EQ(EditorCreateUnit(32, 32, 0, 1, 1), 0);
  NewOssinField(32, 32, 0);
  AddBloom(32, 31);
  ASSERT_EQ(EditorCreateBuilding(31, 31, 2, 1, 1), 0);
  FillScreen(7);
  DrawScenarioEditorMinimap();
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) {
      if (x >= 1 && x <= 64 && y >= 159 && y <= 198) continue;
      ASSERT_EQ(BackBuffer[static_cast<std::size_t>(y * ScreenWidth + x)], 7) << x << "," << y;
    }
  // The map still fills the box's left part: a terrain sample at its first pixel.
  EXPECT_EQ(BackBuffer[static_cast<std::size_t>(159 * ScreenWidth + 1)], 116);
}

}  // namespace
