// The test entry that starts a scenario at once, and the first steps of a mission played
// through the program's own pointer handlers: the yard selected, its build menu, a power plant
// bought and placed, the harvester sent to a field. The same clicks at the same pixels drive
// the real program under X (tests/shell/xvfb_mission.sh), which compares its screenshots with
// the pictures this test writes.
#include <fstream>
#include <functional>

#include "game/menus/dmenus.h"
#include "game/world/dobjects.h"
#include "tests/common/golden.h"
#include "tests/shell/shell_fixture.h"

using namespace zarn;

namespace {

struct TPoint {
  int X, Y;
};

// Where the script clicks (the picture's pixels; the window has them doubled).
constexpr TPoint MinimapTopLeft{5, 160};     // view (1, 1): the base
constexpr TPoint YardCell{72, 72};           // cell (5, 5)
constexpr TPoint BuildMenuPicture{90, 180};
constexpr TPoint BackArrow{30, 175};         // from the first entry to the last: the power plant
constexpr TPoint OrderButton{150, 175};
constexpr TPoint PlaceButton{280, 183};
constexpr TPoint PlantCell{136, 104};        // cell (9, 7)
constexpr TPoint MinimapHarvesterField{15, 169};  // view (5, 12): harvester and field
constexpr TPoint HarvesterCell{8, 88};       // cell (5, 17)
constexpr TPoint FieldCell{312, 136};        // cell (24, 20)
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
      {"PLANT_CELL", PlantCell},        {"MINIMAP_FIELD", MinimapHarvesterField},
      {"HARVESTER", HarvesterCell},     {"FIELD", FieldCell},   {"REST", Rest}};
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
  ASSERT_EQ(Units[harvester].X, 5);
  ASSERT_EQ(Units[harvester].Y, 17);
  // The game starts with the first own unit selected.
  EXPECT_EQ(ViewState.SelectedCount, 1);
  EXPECT_EQ(ViewState.Selection[1].Index, harvester);
  MovePointer(Rest);
  WriteStep("play");

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
  ASSERT_EQ(FindBuildingAtTile(9, 7, plant), 0);
  EXPECT_EQ(Buildings[plant].Kind, BuildingPowerPlant);
  EXPECT_EQ(Buildings[plant].Owner, 1);
  MovePointer(Rest);
  WriteStep("placed");

  ViewAndSelect(MinimapHarvesterField, 5, 12, HarvesterCell, SelectedUnits, harvester, "harvester");
  RightClick(FieldCell);
  MovePointer(Rest);
  ASSERT_TRUE(PassUntil([&] { return Units[harvester].Load > 0; }));
  EXPECT_NE(Units[harvester].Y, 17);
  Pass(2);
  WriteStep("harvesting");
}

TEST_F(MissionEntryTest, AScenarioThatDoesNotReadLeavesTheMainMenu) {
  StartScenario("nosuch.scn");
  EXPECT_EQ(GameScreen, 21);
  EXPECT_EQ(plat::null::MessageBoxes().size(), 1u);
}

}  // namespace
