// Saving and loading through the screens: the world comes back byte for byte, the list follows
// deletions, and bad names and damaged files (saved games, and a scenario whose map is gone) are
// refused without touching the running game or the editor.
#include <cstring>

#include "tests/shell/campaign_world.h"
#include "tests/shell/game_fixture.h"

using namespace zarn;

namespace {

// The world without the random generator's state, which a saved game does not carry.
std::vector<std::uint8_t> SavedWorld() {
  std::vector<std::uint8_t> w = campaign_world::WorldBytes();
  w.resize(w.size() - sizeof(RandSeed));
  return w;
}

class SaveLoadFlowTest : public GameTest {
 protected:
  // The first mission after a minute of play. The world moves only when the test steps it,
  // so a picture of it stays true.
  void PlayAMinute() {
    PlayFirstMission();
    // Its harvester earns the money goal within two minutes: no goal, so that play goes on.
    Mission.GoalType = GoalNone;
    plat::SetTimerEnabled(MainForm->Timer1, false);
    campaign_world::Step(campaign_world::TicksPerMinute);
  }
  // The first row of the file list.
  void ClickFirstRow() { Click(80, 60); }
  // The save screen, from play through the in-game menu.
  void OpenSaveScreen() {
    OpenMenu();
    Click(GameMenuButtons[0]);
    ASSERT_EQ(GameScreen, ScreenSaveGame);
  }
};

TEST_F(SaveLoadFlowTest, SavedFromTheGameMenuLoadedFromTheMainMenuIsTheSameWorld) {
  PlayAMinute();
  OpenSaveScreen();
  EXPECT_EQ(EditBox1.Text, "") << "no saved game yet";
  Type("abc");
  static int tracks;
  tracks = 0;  // the test may run more than once in a process
  PlayMusicProc = [](std::string_view) -> std::uint8_t { return static_cast<std::uint8_t>(++tracks); };
  Key(plat::vk::Return);
  ASSERT_EQ(GameScreen, ScreenPlay);
  EXPECT_EQ(tracks, 1) << "play goes on to the next track";
  ASSERT_TRUE(fs::exists(folder / "save" / "abc.sav"));
  const std::vector<std::uint8_t> saved = SavedWorld();
  const std::int32_t slots[] = {UnitSlots, BuildingSlots};

  // Play on, leave to the main menu, start another faction's mission.
  campaign_world::Step(campaign_world::TicksPerMinute);
  OpenMenu();
  Click(GameMenuButtons[8]);
  ASSERT_EQ(GameScreen, ScreenMainMenu);
  Click(MainMenuButtons[0]);
  Click(FactionButtons[2]);
  Click(BeginButton);
  ASSERT_NE(SavedWorld(), saved);
  OpenMenu();
  Click(GameMenuButtons[8]);

  Click(MainMenuButtons[1]);
  ASSERT_EQ(GameScreen, ScreenLoadGameMain);
  ASSERT_EQ(FileListBox.Items, std::vector<std::string>{"abc"});
  ClickFirstRow();
  UnitSlots = BuildingSlots = 1;
  Click(LoadScreenButtons[0]);
  ASSERT_EQ(GameScreen, ScreenPlay);
  EXPECT_TRUE(FileListBox.Items.empty());
  EXPECT_TRUE(SavedWorld() == saved);
  EXPECT_EQ(UnitSlots, slots[0]);
  EXPECT_EQ(BuildingSlots, slots[1]);
  EXPECT_TRUE(plat::null::MessageBoxes().empty());
}

TEST_F(SaveLoadFlowTest, DeleteRelistsAndAnEmptyNameSavesNothing) {
  PlayAMinute();
  for (const char* name : {"one", "two"}) {
    OpenSaveScreen();
    EditLineSetText(EditBox1, name);
    Click(SaveScreenButtons[0]);
    ASSERT_EQ(GameScreen, ScreenPlay);
    fs::last_write_time(folder / "save" / (std::string(name) + ".sav"),
                        fs::file_time_type::clock::now() + std::chrono::seconds(name[0] == 't' ? 10 : 0));
  }
  OpenSaveScreen();
  // The newest first, and already in the edit line.
  ASSERT_EQ(FileListBox.Items, (std::vector<std::string>{"two", "one"}));
  EXPECT_EQ(EditBox1.Text, "two");
  Click(80, 70);  // the second row
  EXPECT_EQ(EditBox1.Text, "one");
  // The picked name can be typed on at once.
  Type("x");
  EXPECT_EQ(EditBox1.Text, "onex");
  EditLineSetText(EditBox1, "one");
  Click(SaveScreenButtons[1]);
  EXPECT_EQ(FileListBox.Items, std::vector<std::string>{"two"});
  EXPECT_FALSE(fs::exists(folder / "save" / "one.sav"));
  // A click on an empty row selects nothing: delete then has nothing to remove.
  Click(80, 100);
  EXPECT_EQ(EditBox1.Text, "one");
  Click(SaveScreenButtons[1]);
  EXPECT_TRUE(FileListBox.Items.empty()) << "the selection stayed on the only row";
  Click(SaveScreenButtons[1]);
  EXPECT_EQ(GameScreen, ScreenSaveGame);

  EditLineSetText(EditBox1, "");
  Click(SaveScreenButtons[0]);
  Key(plat::vk::Return);
  EXPECT_EQ(GameScreen, ScreenSaveGame);
  EXPECT_TRUE(fs::is_empty(folder / "save"));
  EXPECT_TRUE(plat::null::MessageBoxes().empty());
  Key(plat::vk::Escape);
  EXPECT_EQ(GameScreen, ScreenGameMenu);
}

TEST_F(SaveLoadFlowTest, TypedNamesThatLeaveTheFolderAreRefusedWithAMessage) {
  PlayAMinute();
  OpenSaveScreen();
  for (const char* bad : {"..", "a/b", "a\\b", "c:x", "x*", "q?", "a\"b", "<a", "a>", "a|b", "a..b", "a\tb"}) {
    SCOPED_TRACE(bad);
    plat::null::ClearMessageBoxes();
    EditLineSetText(EditBox1, bad);
    Key(plat::vk::Return);
    EXPECT_EQ(GameScreen, ScreenSaveGame);
    EXPECT_EQ(plat::null::MessageBoxes().size(), 1u);
  }
  EXPECT_TRUE(fs::is_empty(folder / "save"));
  EditLineSetText(EditBox1, "Hold 1");
  Key(plat::vk::Return);
  EXPECT_EQ(GameScreen, ScreenPlay);
  EXPECT_TRUE(fs::exists(folder / "save" / "Hold 1.sav"));
}

TEST_F(SaveLoadFlowTest, ASaveThatCannotBeWrittenIsShownAndTheScreenStays) {
  PlayAMinute();
  OpenSaveScreen();
  fs::remove_all(folder / "save");
  EditLineSetText(EditBox1, "abc");
  Key(plat::vk::Return);
  EXPECT_EQ(GameScreen, ScreenSaveGame) << "the player would think the game saved";
  EXPECT_EQ(plat::null::MessageBoxes().size(), 1u);
  fs::create_directories(folder / "save");
  Click(SaveScreenButtons[0]);
  EXPECT_EQ(GameScreen, ScreenPlay);
  EXPECT_TRUE(fs::exists(folder / "save" / "abc.sav"));
}

TEST_F(SaveLoadFlowTest, ADamagedSaveShowsTheMessageAndKeepsTheRunningGame) {
  PlayAMinute();
  // A saved game cut short.
  ASSERT_TRUE(SaveGame("whole.sav"));
  fs::copy_file(folder / "save" / "whole.sav", folder / "save" / "bad.sav");
  fs::resize_file(folder / "save" / "bad.sav", 3000);
  fs::remove(folder / "save" / "whole.sav");
  // Taken once the menu is up: the play screen's frames age the ground marks.
  OpenMenu();
  const std::vector<std::uint8_t> running = SavedWorld();
  Click(GameMenuButtons[1]);
  ASSERT_EQ(GameScreen, ScreenLoadGame);
  ASSERT_EQ(FileListBox.Items, std::vector<std::string>{"bad"});
  ClickFirstRow();
  Key(plat::vk::Return);
  EXPECT_EQ(GameScreen, ScreenLoadGame);
  ASSERT_EQ(plat::null::MessageBoxes().size(), 1u);
  EXPECT_NE(plat::null::MessageBoxes()[0].text.find("bad.sav"), std::string::npos) << plat::null::MessageBoxes()[0].text;
  Click(LoadScreenButtons[0]);
  EXPECT_EQ(GameScreen, ScreenLoadGame);
  EXPECT_TRUE(SavedWorld() == running);
  // Back to the in-game menu, and on to play unchanged.
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenGameMenu);
  Key(plat::vk::Escape);
  EXPECT_EQ(GameScreen, ScreenPlay);
  EXPECT_TRUE(SavedWorld() == running);
}

TEST_F(SaveLoadFlowTest, EnterOrADoubleClickOnAnEmptyListLoadsNothing) {
  PlayAMinute();
  OpenMenu();
  Click(GameMenuButtons[1]);
  ASSERT_TRUE(FileListBox.Items.empty());
  Key(plat::vk::Return);
  DoubleClick(80, 60);
  Click(LoadScreenButtons[0]);
  EXPECT_EQ(GameScreen, ScreenLoadGame);
  EXPECT_TRUE(plat::null::MessageBoxes().empty());
  Click(LoadScreenButtons[1]);
  EXPECT_EQ(GameScreen, ScreenGameMenu);
  // The same screen reached from the main menu goes back there.
  Click(GameMenuButtons[8]);
  Click(MainMenuButtons[1]);
  ASSERT_EQ(GameScreen, ScreenLoadGameMain);
  Click(LoadScreenButtons[1]);
  EXPECT_EQ(GameScreen, ScreenMainMenu);
}

}  // namespace

namespace {

// The scenario editor's load screen: a scenario whose map is gone is shown, and the editor keeps
// its map, its placements and its scenario as they were.
TEST_F(SaveLoadFlowTest, AScenarioWhoseMapIsMissingLeavesTheEditorAsItWas) {
  StartGame();
  MapFileName = "nosuch.map";
  ASSERT_TRUE(SaveScenario("lost.scn"));
  MapFileName = "kept.map";
  ScenarioFileName = "kept.scn";
  ResetMapPlacements();
  ASSERT_TRUE(AddMapPlacement(PlacementField, 5, 6));
  const TMapPlacements placements = MapPlacements;
  OpenLoadScenario();
  ASSERT_FALSE(FileListBox.Items.empty());
  ASSERT_EQ(FileListBox.Items.front(), "lost") << "the newest first, and selected";
  plat::null::ClearMessageBoxes();
  Key(plat::vk::Return);
  EXPECT_EQ(GameScreen, ScreenLoadScenario);
  EXPECT_EQ(plat::null::MessageBoxes().size(), 1u);
  EXPECT_EQ(MapFileName, "kept.map");
  EXPECT_EQ(ScenarioFileName, "kept.scn");
  EXPECT_EQ(std::memcmp(&MapPlacements, &placements, sizeof placements), 0);
}

}  // namespace
