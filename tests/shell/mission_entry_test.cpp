// The test entry that starts a scenario at once, and the first steps of a mission played
// through the program's own pointer handlers: the harvester sent to a field, the yard selected,
// its build menu, a power plant bought and placed. The same clicks at the same pixels drive
// the real program under X (tests/shell/xvfb_mission.sh), which compares its screenshots with
// the pictures this test writes.
#include <algorithm>
#include <fstream>
#include <functional>
#include <span>

#include "game/menus/dmenus.h"
#include "game/world/dobjects.h"
#include "tests/common/golden.h"
#include "tests/common/sanitizers.h"
#include "tests/shell/shell_fixture.h"

using namespace zarn;

namespace {

struct TPoint {
  int X, Y;
};

// Where the script clicks (the picture's pixels; the window has them doubled).
constexpr TPoint MinimapTopLeft{5, 160};     // view (1, 1): the base
constexpr TPoint YardCell{232, 72};          // cell (15, 5)
constexpr TPoint BuildMenuPicture{90, 180};
constexpr TPoint BackArrow{30, 175};         // from the first entry to the last: the power plant
constexpr TPoint OrderButton{150, 175};
constexpr TPoint PlaceButton{280, 183};
constexpr TPoint PlantCell{184, 104};        // cell (12, 7), beside the power plant at (12, 5)
constexpr TPoint MinimapOpening{18, 163};    // view (8, 2), where the mission opens
constexpr TPoint FieldCell{248, 136};        // cell (23, 10) in the opening view (8, 2)
constexpr TPoint Rest{200, 120};             // where the pointer waits for a picture

class MissionEntryTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    for (const char* d : {"maps", "scenes"}) fs::copy(fs::path(ZARN_BINARY_DIR) / "game" / d, folder / d);
    // A clock that moves, so that the world and the frames run as in the real program.
    plat::null::SetAutoAdvance(10);
    // Full screen on a desktop of the picture doubled, as under X.
    plat::null::SetDesktopSize(640, 400);
  }
  void TearDown() override {
    unsetenv("ZARN_TEST_SCENARIO");
    plat::null::SetAutoAdvance(0);
    ShellTest::TearDown();
  }
  void StartScenario(const char* name) {
    setenv("ZARN_TEST_SCENARIO", name, 1);
    // The pointer rests in the middle of the map, where it scrolls nothing.
    plat::null::InjectMouseMove(0, 320, 150);
    Start();
  }
  void MovePointer(TPoint p) {
    plat::null::InjectMouseMove(FormId(), p.X * 2, p.Y * 2);
    Pass(2);
  }
  void Click(TPoint p) {
    MovePointer(p);
    plat::null::InjectClick(FormId(), p.X * 2, p.Y * 2);
    Pass(2);
  }
  void RightClick(TPoint p) {
    MovePointer(p);
    plat::null::InjectMouseDown(FormId(), plat::MouseButton::Right, p.X * 2, p.Y * 2);
    plat::null::InjectMouseUp(FormId(), plat::MouseButton::Right, p.X * 2, p.Y * 2);
    Pass(2);
  }
  void Escape() {
    plat::null::InjectKeyDown(FormId(), plat::vk::Escape);
    plat::null::InjectKeyUp(FormId(), plat::vk::Escape);
    Pass(2);
  }
  bool PassUntil(const std::function<bool()>& done, int limit = 6000) {
    for (int i = 0; i < limit && !done(); ++i) Pass(1);
    return done();
  }
  // The view moved by a click on the minimap, then an object selected by a click on the map.
  void ViewAndSelect(TPoint minimap, int viewX, int viewY, TPoint cell, std::uint8_t kind,
                     std::uint16_t index, const std::string& step) {
    Click(minimap);
    EXPECT_EQ(ViewState.ViewX, viewX);
    EXPECT_EQ(ViewState.ViewY, viewY);
    Click(cell);
    EXPECT_EQ(ViewState.SelectionKind, kind);
    EXPECT_EQ(ViewState.Selection[1].Index, index);
    MovePointer(Rest);
    WriteStep(step);
  }
  // The picture of a step, for the real program's check to compare with.
  void WriteStep(const std::string& name) {
    testpng::Write(fs::path(ZARN_BINARY_DIR) / "test_out" / "mission" / (name + ".png"), ScreenWidth, ScreenHeight,
                   BackBuffer, testgolden::Palette8());
  }
};

// The points for the script, as shell assignments.
void WritePoints() {
  const fs::path dir = fs::path(ZARN_BINARY_DIR) / "test_out" / "mission";
  fs::create_directories(dir);
  std::ofstream out(dir / "points.sh");
  const std::pair<const char*, TPoint> points[] = {
      {"MINIMAP_BASE", MinimapTopLeft}, {"YARD", YardCell},     {"BUILD_MENU", BuildMenuPicture},
      {"BACK_ARROW", BackArrow},        {"ORDER", OrderButton}, {"PLACE", PlaceButton},
      {"PLANT_CELL", PlantCell},        {"FIELD", FieldCell},   {"MINIMAP_OPENING", MinimapOpening},
      {"REST", Rest}};
  for (const auto& [name, p] : points) out << name << "=\"" << p.X * 2 << ' ' << p.Y * 2 << "\"\n";
}

TEST_F(MissionEntryTest, AMissionIsPlayedFromItsFirstClicks) {
  WritePoints();
  StartScenario("alm1.scn");
  ASSERT_EQ(GameScreen, 0);
  EXPECT_EQ(MapFileName, "alm1.map");
  const std::int32_t startCredits = Players[1].Credits;
  ASSERT_GE(startCredits, ItemCost(BuildingKindToItem(BuildingPowerPlant)));
  const std::uint16_t harvester = 1, yard = 1;
  ASSERT_EQ(Units[harvester].Kind, UnitHarvester);
  ASSERT_EQ(Buildings[yard].Kind, BuildingConstructionYard);
  // The game starts with the first own unit selected, in view.
  EXPECT_EQ(ViewState.SelectedCount, 1);
  EXPECT_EQ(ViewState.Selection[1].Index, harvester);
  // The view as it opens (the pointer may have scrolled it before it came to rest).
  MovePointer(Rest);
  Click(MinimapOpening);
  EXPECT_EQ(ViewState.ViewX, 8);
  EXPECT_EQ(ViewState.ViewY, 2);
  MovePointer(Rest);
  WriteStep("play");

  // The harvester, sent to the field in sight by the right button, fills up there.
  RightClick(FieldCell);
  MovePointer(Rest);
  ASSERT_TRUE(PassUntil([&] { return Units[harvester].Load > 0; }));
  Pass(2);
  WriteStep("harvesting");

  ViewAndSelect(MinimapTopLeft, 1, 1, YardCell, SelectedBuilding, yard, "yard");

  Click(BuildMenuPicture);
  ASSERT_EQ(GameScreen, 1);
  MovePointer(Rest);
  WriteStep("menu");
  Click(BackArrow);
  ASSERT_EQ(MenuState.SelectedItem, MenuState.BuildItemCount);
  EXPECT_EQ(MenuState.BuildItems[MenuState.SelectedItem - 1], BuildingKindToItem(BuildingPowerPlant));
  MovePointer(Rest);
  WriteStep("powerplant");

  Click(OrderButton);
  ASSERT_EQ(GameScreen, 0);
  EXPECT_EQ(Players[1].Credits, startCredits - ItemCost(BuildingKindToItem(BuildingPowerPlant)));
  ASSERT_EQ(Buildings[yard].ProductionState, ProductionRunning);
  MovePointer(Rest);
  WriteStep("ordered");
  ASSERT_TRUE(PassUntil(
      [&] { return static_cast<int>(Buildings[yard].ProductionProgress) >= Buildings[yard].ProductionTarget; }));
  Pass(2);
  WriteStep("ready");

  Click(PlaceButton);
  ASSERT_EQ(PendingOrder, 4);
  Click(PlantCell);
  EXPECT_EQ(PendingOrder, 0);
  std::uint16_t plant = 0;
  ASSERT_EQ(FindBuildingAtTile(12, 7, plant), 0);
  EXPECT_EQ(Buildings[plant].Kind, BuildingPowerPlant);
  EXPECT_EQ(Buildings[plant].Owner, 1);
  MovePointer(Rest);
  WriteStep("placed");
}

// Mission 1 of each faction, from the faction choice to the score, played with the gestures
// the help text teaches: the harvester (selected at the start) sent to the field in sight by
// the right button, the yard picked by the left button, its build list opened by its portrait
// and left by ВЫБРАТЬ, Esc for the game menu and its continue button, then the won mission's
// victory and score. The real program repeats these clicks (tests/shell/xvfb_first_missions.sh)
// and compares its screenshots with the pictures written here.
struct TFactionRun {
  const char* Prefix;
  std::uint8_t Side;
  TPoint Button;
  int VictoryWave;
};
constexpr TFactionRun FactionRuns[] = {
    {"alm", 1, {60, 100}, 9}, {"tel", 2, {160, 100}, 47}, {"gor", 0, {260, 100}, 28}};
constexpr TPoint NewGameButton{242, 74};
constexpr TPoint Begin{160, 176};
constexpr TPoint OpeningField{248, 136};     // cell (23, 10) in the opening view (8, 2)
constexpr TPoint OpeningYard{128, 64};       // cell (15, 5), the yard's top-left
constexpr TPoint ChooseButton{150, 191};
constexpr TPoint ContinueButton{200, 172};
constexpr TPoint NewFactionButton{159, 154};
constexpr TPoint Yes{160, 168}, Yes2{150, 171};
std::vector<int> Voices;  // the waves played, as the sound trace tells them

void WriteFirstMissionPoints() {
  const fs::path dir = fs::path(ZARN_BINARY_DIR) / "test_out" / "mission";
  fs::create_directories(dir);
  std::ofstream out(dir / "first_points.sh");
  const std::pair<const char*, TPoint> points[] = {
      {"NEW_GAME", NewGameButton}, {"BEGIN", Begin},   {"FIELD", OpeningField},          {"YARD", OpeningYard},
      {"PORTRAIT", BuildMenuPicture}, {"CHOOSE", ChooseButton}, {"CONTINUE", ContinueButton},
      {"NEW_FACTION", NewFactionButton}, {"YES", Yes}, {"YES2", Yes2}, {"REST", Rest}};
  for (const auto& [name, p] : points) out << name << "=\"" << p.X * 2 << ' ' << p.Y * 2 << "\"\n";
  for (const TFactionRun& f : FactionRuns)
    out << "FACTION_" << f.Prefix << "=\"" << f.Button.X * 2 << ' ' << f.Button.Y * 2 << "\"\n"
        << "VICTORY_" << f.Prefix << "=" << f.VictoryWave << "\n";
}

TEST_F(MissionEntryTest, TheFirstMissionOfEachFactionIsWonAsTheHelpSays) {
  WriteFirstMissionPoints();
  WriteIni("[Options]\nMusicEnable=0\nSoundEnable=0\nGameSpeed=17\n");
  plat::null::InjectMouseMove(0, Rest.X * 2, Rest.Y * 2);
  Start();
  ASSERT_EQ(GameScreen, ScreenMainMenu);
  MovePointer(Rest);
  WriteStep("first_mainmenu");
  Click(NewGameButton);
  PlaySoundProc = [](std::int32_t, std::int32_t wave) { Voices.push_back(wave); };
  // Under the sanitizers the first faction alone: the others repeat its code at length.
  for (const TFactionRun& f : std::span(FactionRuns).first(testsan::Sanitized ? 1 : std::size(FactionRuns))) {
    const std::string step = std::string("first_") + f.Prefix + "_";
    SCOPED_TRACE(f.Prefix);
    ASSERT_EQ(GameScreen, ScreenFactionChoice);
    MovePointer(Rest);
    WriteStep(step + "faction");
    Click(f.Button);
    ASSERT_EQ(GameScreen, ScreenMissionStart);
    EXPECT_EQ(ScenarioFileName, std::string(f.Prefix) + "1.scn");
    MovePointer(Rest);
    WriteStep(step + "briefing");
    Click(Begin);
    ASSERT_EQ(GameScreen, ScreenPlay);
    EXPECT_EQ(ViewState.ViewX, 8);
    EXPECT_EQ(ViewState.ViewY, 2);
    const std::uint16_t harvester = ViewState.Selection[1].Index;
    ASSERT_EQ(Units[harvester].Kind, UnitHarvester);
    MovePointer(Rest);
    WriteStep(step + "play");

    // The right button sends the selected harvester to the field.
    RightClick(OpeningField);
    EXPECT_EQ(Units[harvester].State, StateHarvest);
    MovePointer(Rest);
    ASSERT_TRUE(PassUntil([&] { return Units[harvester].Load > 0; }));
    WriteStep(step + "harvesting");

    // The left button picks the yard; its portrait opens the build list.
    Click(OpeningYard);
    ASSERT_EQ(ViewState.SelectionKind, SelectedBuilding);
    ASSERT_EQ(Buildings[ViewState.Selection[1].Index].Kind, BuildingConstructionYard);
    MovePointer(Rest);
    WriteStep(step + "yard");
    Click(BuildMenuPicture);
    ASSERT_EQ(GameScreen, 1);
    MovePointer(Rest);
    WriteStep(step + "buildlist");
    Click(ChooseButton);
    ASSERT_EQ(GameScreen, ScreenPlay);

    // Esc: the game menu, and the world stands while it is open.
    Escape();
    ASSERT_EQ(GameScreen, ScreenGameMenu);
    const std::int32_t ticks = WorldTickCount;
    MovePointer(Rest);
    Pass(20);
    EXPECT_EQ(WorldTickCount, ticks);
    WriteStep(step + "gamemenu");
    Click(ContinueButton);
    ASSERT_EQ(GameScreen, ScreenPlay);

    // The harvester's delivery brings the credits to the goal.
    Voices.clear();
    ASSERT_TRUE(PassUntil([] { return GameScreen == ScreenVictory; }, 60000)) << "credits " << Players[1].Credits;
    EXPECT_GE(Players[1].Credits, 2000);
    EXPECT_NE(std::find(Voices.begin(), Voices.end(), f.VictoryWave), Voices.end());
    MovePointer(Rest);
    WriteStep(step + "victory");
    Click(Yes);
    ASSERT_EQ(GameScreen, ScreenScore);
    MovePointer(Rest);
    WriteStep(step + "score");
    // On to the next faction: the second mission's briefing, play, Esc, "new faction". (The
    // second click is elsewhere on the button: two on one spot would pair into a double click.)
    Click(Yes2);
    ASSERT_EQ(GameScreen, ScreenMissionStart);
    EXPECT_EQ(ScenarioFileName, std::string(f.Prefix) + "2.scn");
    MovePointer(Rest);
    WriteStep(step + "briefing2");
    Click(Begin);
    ASSERT_EQ(GameScreen, ScreenPlay);
    Escape();
    ASSERT_EQ(GameScreen, ScreenGameMenu);
    Click(NewFactionButton);
  }
}

TEST_F(MissionEntryTest, AScenarioThatDoesNotReadLeavesTheMainMenu) {
  StartScenario("nosuch.scn");
  EXPECT_EQ(GameScreen, 21);
  EXPECT_EQ(plat::null::MessageBoxes().size(), 1u);
}

}  // namespace
