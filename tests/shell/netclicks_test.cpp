// The same gestures on a client of a network game: the requests it sends, word for word, and
// that it leaves its copy of the world to the server.
#include "tests/shell/play_fixture.h"

namespace {

using namespace play_test;

struct TPlaced {
  std::int32_t X, Y, Kind, Side, Owner;
  bool operator==(const TPlaced&) const = default;
};
std::vector<TPlaced> Placed;

class ClientTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    NetRole = RoleClient;
    NetGameStarted = 1;
    // The fixture's mission stands for a network game already set up and running.
    ShellCalls.NetGameSetup = [] {};
    Placed.clear();
    NetPlaceBuildingProc = [](std::int32_t x, std::int32_t y, std::int32_t kind, std::int32_t side,
                              std::int32_t owner) { Placed.push_back({x, y, kind, side, owner}); };
  }
  static std::string Text(int code, std::initializer_list<std::int32_t> fields) {
    return MessageText(code, fields);
  }
  // The mission's yard, a power plant under way in it.
  static std::int32_t YardMakingAPowerPlant() {
    const std::int32_t yard = FindBuilding(BuildingConstructionYard);
    Buildings[yard].Item = 20;
    Buildings[yard].ProductionState = ProductionRunning;
    Buildings[yard].ProductionTarget = 300;
    Buildings[yard].ProductionProgress = 10;
    return yard;
  }
  // What the gesture sent, and forgets it.
  static std::vector<std::string> Sent() { return std::exchange(SentTexts, {}); }
};

TEST_F(ClientTest, UnitOrdersGoToTheServerAsRequests) {
  const std::int32_t tank = Unit(10, 9, UnitLightTank);
  const std::int32_t enemy = Unit(13, 9, UnitLightTank, 2);
  ClickCell(10, 9);
  ASSERT_EQ(SelectedSlots(), std::vector<std::uint16_t>{static_cast<std::uint16_t>(tank)});
  const std::uint8_t state = Units[tank].State;

  Click(MoveButton);
  ClickCell(3, 3);
  EXPECT_EQ(Sent(), std::vector<std::string>{"[2 " + std::to_string(tank) + " 3 3 ]"});
  EXPECT_EQ(Units[tank].State, state);  // the server decides

  Click(ThirdButton);
  ClickCell(13, 9);
  EXPECT_EQ(Sent(), std::vector<std::string>{Text(4, {tank, 13, 9})});
  Click(StopButton);
  EXPECT_EQ(Sent(), std::vector<std::string>{Text(6, {tank})});
  RightClickCell(13, 9);
  EXPECT_EQ(Sent(), std::vector<std::string>{Text(4, {tank, 13, 9})});
  RightClickCell(4, 2);
  EXPECT_EQ(Sent(), std::vector<std::string>{Text(2, {tank, 4, 2})});
  EXPECT_EQ(Units[enemy].Free, 0);

  // Several units: one group stop with the own, live units; a group move unit by unit.
  const std::int32_t second = Unit(12, 9, UnitLightTank);
  Drag({CellPoint(10, 9).X - 8, CellPoint(10, 9).Y - 8}, {CellPoint(12, 9).X + 7, CellPoint(12, 9).Y + 7});
  Sent();
  ViewState.Selection[3] = TSelectionEntry{static_cast<std::uint16_t>(enemy), 1, 0};
  ViewState.SelectedCount = 3;
  Click(StopButton);
  EXPECT_EQ(Sent(), std::vector<std::string>{"[7 2 " + std::to_string(tank) + " " + std::to_string(second) + " ]"});
  EXPECT_EQ(ViewState.SelectedCount, 2);
  RightClickCell(5, 3);
  EXPECT_EQ(Sent(), (std::vector<std::string>{Text(2, {tank, 5, 3}), Text(2, {second, 5, 3})}));
}

TEST_F(ClientTest, SpecialUnitsSendTheirOwnRequests) {
  const std::int32_t gromador = Unit(10, 9, UnitGromador);
  ClickCell(10, 9);
  Sent();
  Click(FourthButton);
  EXPECT_EQ(Sent(), std::vector<std::string>{Text(32, {gromador})});
  EXPECT_EQ(Units[gromador].Free, 0);

  const std::int32_t carrier = Unit(5, 2, UnitCarrier);
  const std::int32_t tank = Unit(12, 9, UnitLightTank);
  ClickCell(5, 2);
  Click(ThirdButton);
  ClickCell(12, 9);
  EXPECT_EQ(Sent(), std::vector<std::string>{Text(9, {carrier, 12, 9})});
  Click(FourthButton);
  ClickCell(3, 3);
  EXPECT_EQ(Sent(), std::vector<std::string>{Text(10, {carrier, 3, 3})});
  RightClickCell(12, 9);
  EXPECT_EQ(Sent(), std::vector<std::string>{Text(9, {carrier, 12, 9})});
  EXPECT_EQ(Units[tank].OffMap, 0);

  // A harvester sent to a field by the right button: request 8 alone.
  ViewState.ViewX = 25;
  ViewState.ViewY = 5;
  const std::int32_t harvester = Unit(30, 10, UnitHarvester);
  ClickCell(30, 10);
  RightClickCell(35, 11);
  EXPECT_EQ(Sent(), std::vector<std::string>{Text(8, {harvester, 35, 11})});
  Click(ThirdButton);
  ClickCell(36, 11);
  EXPECT_EQ(Sent(), std::vector<std::string>{Text(8, {harvester, 36, 11})});
}

TEST_F(ClientTest, ProductionPauseIsAskedFor) {
  const std::int32_t yard = YardMakingAPowerPlant();
  ClickCell(Buildings[yard].X, Buildings[yard].Y);
  Sent();
  Click(ThirdButton);
  EXPECT_EQ(Sent(), std::vector<std::string>{Text(39, {yard})});
  EXPECT_EQ(Buildings[yard].ProductionState, ProductionRunning);
}

TEST_F(ClientTest, TheServerBroadcastsThePauseAndTogglesItself) {
  NetRole = RoleServer;
  static std::vector<std::int32_t> broadcast;
  broadcast.clear();
  NetBroadcastPauseProductionProc = [](std::int32_t b) {
    broadcast.push_back(b);
    EXPECT_EQ(Buildings[b].ProductionState, ProductionRunning);  // sent before the change
  };
  const std::int32_t yard = YardMakingAPowerPlant();
  ClickCell(Buildings[yard].X, Buildings[yard].Y);
  Click(ThirdButton);
  EXPECT_EQ(broadcast, std::vector<std::int32_t>{yard});
  EXPECT_EQ(Buildings[yard].ProductionState, ProductionPaused);
  EXPECT_TRUE(Sent().empty());
  NetBroadcastPauseProductionProc = [](std::int32_t) {};
}

TEST_F(ClientTest, PlacementIsCheckedHereFirstAndTheYardIsResetOnTheServer) {
  const std::int32_t yard = FindBuilding(BuildingConstructionYard);
  const std::int32_t refinery = FindBuilding(BuildingRefinery);
  TBuildingRecord& y = Buildings[yard];
  y.Item = 20;
  y.ProductionState = ProductionRunning;
  y.ProductionTarget = 300;
  y.ProductionProgress = 300;
  ClickCell(y.X, y.Y);
  Click(ThirdButton);
  ASSERT_EQ(PendingOrder, 4);
  Sent();

  ClickCell(Buildings[refinery].X, Buildings[refinery].Y);
  ClickCell(20, 9);
  EXPECT_TRUE(Placed.empty());
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(PendingOrder, 4);
  EXPECT_EQ(MessageShown(), FontTextOf("Нельзя построить, отсутствуют коммуникации"_cp1251));

  ClickCell(y.X + 2, y.Y + 2);
  EXPECT_EQ(Placed, (std::vector<TPlaced>{{y.X + 2, y.Y + 2, BuildingPowerPlant, y.Side, 1}}));
  EXPECT_EQ(Sent(), std::vector<std::string>{Text(59, {yard})});
  EXPECT_EQ(PendingOrder, 0);
  EXPECT_EQ(y.ProductionState, ProductionIdle);

  // A 2 x 2 slab block: each slab on its own, the block refused only when all four are; the
  // server's yard is reset as for a building.
  y.Item = 18;
  y.ProductionState = ProductionRunning;
  y.ProductionTarget = 20;
  y.ProductionProgress = 20;
  Click(ThirdButton);
  ASSERT_EQ(PendingOrder, 4);
  Placed.clear();
  Sent();
  ClickCell(20, 9);
  EXPECT_TRUE(Placed.empty());
  EXPECT_EQ(PendingOrder, 4);
  // Top-left on the yard itself: the other three slabs touch it.
  ClickCell(y.X + 1, y.Y + 1);
  EXPECT_EQ(Placed, (std::vector<TPlaced>{{y.X + 2, y.Y + 1, BuildingSlab, y.Side, 1},
                                          {y.X + 1, y.Y + 2, BuildingSlab, y.Side, 1},
                                          {y.X + 2, y.Y + 2, BuildingSlab, y.Side, 1}}));
  EXPECT_EQ(Sent(), std::vector<std::string>{Text(59, {yard})});
  EXPECT_EQ(PendingOrder, 0);
}

TEST_F(ClientTest, BeforeTheStartTheSideChooserTakesTheClicksAndTheViewStays) {
  NetGameStarted = 0;
  SideChoiceOpen = 1;
  SideChooserCreate(SideChooser, 33, 90);
  SideChooserSet(SideChooser, {0, 1, 1, 0, 0, 0, 0, 0});
  const TSphereRect second = SideChooser.Spheres[2];
  ASSERT_EQ(second.Shown, 1);
  Unit(10, 9, UnitLightTank);
  Click({50, 30});  // outside the chooser: nothing chosen, nothing selected
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(ViewState.SelectedCount, 0);
  Click({second.X1 + 2, second.Y1 + 2});
  EXPECT_EQ(Sent(), std::vector<std::string>{Text(30, {1, 2})});
  EXPECT_EQ(ViewState.LocalSide, 2);

  // No scrolling at the edge and no object cursor until the game starts.
  ViewState.ViewX = 10;
  ScrollNextTime = 0;
  MoveTo({1, 80});
  Frame();
  EXPECT_EQ(ViewState.ViewX, 10);
  MoveTo(CellPoint(10, 9));
  Frame();
  EXPECT_EQ(CursorRecord.Type, 0);
}

}  // namespace
