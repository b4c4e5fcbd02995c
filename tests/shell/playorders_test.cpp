// Orders given by clicks in single play, followed through the world until they have done what
// they promise.
#include <algorithm>
#include <cstdlib>

#include "game/shell/panelorders.h"
#include "tests/shell/play_fixture.h"

namespace {

using namespace play_test;

constexpr std::uint8_t PowerPlantItem = 20;

bool Heard(int wave) { return std::find(Waves.begin(), Waves.end(), wave) != Waves.end(); }
bool HeardOrderAck() { return Heard(79) || Heard(80); }

TEST_F(PlayTest, MoveAndStopByTheCommandColumnAndTheRightButton) {
  const std::uint16_t tank = Unit(10, 9, UnitLightTank);
  ClickCell(10, 9);
  Click(MoveButton);
  ASSERT_EQ(PendingOrder, 2);
  MoveTo(CellPoint(12, 3));
  Frame();
  EXPECT_EQ(CursorRecord.Type, 3);  // the target cursor over the map, even over units
  MoveTo(CellPoint(10, 9));
  Frame();
  EXPECT_EQ(CursorRecord.Type, 3);
  ClickCell(2, 2);
  EXPECT_EQ(PendingOrder, 0);
  EXPECT_TRUE(HeardOrderAck());
  EXPECT_TRUE(StepUntil([&] { return Units[tank].X == 2 && Units[tank].Y == 2; }));

  RightClickCell(14, 3);
  EXPECT_EQ(Units[tank].State, StateMove);
  campaign_world::Step(20);
  Click(StopButton);
  EXPECT_EQ(Units[tank].State, StateStop);
  const std::int32_t x = Units[tank].X;
  campaign_world::Step(100);
  EXPECT_EQ(Units[tank].X, x);
}

TEST_F(PlayTest, GroupOrdersDropForeignAndDeadEntriesAndCountThem) {
  const std::uint16_t a = Unit(10, 9, UnitLightTank);
  const std::uint16_t b = Unit(12, 9, UnitLightTank);
  const std::uint16_t foreign = Unit(14, 9, UnitLightTank, 2);
  BoxCells(10, 9, 12, 9);
  ASSERT_EQ(ViewState.SelectedCount, 2);
  // A unit that changed hands while selected (taken over by a palace's weapon).
  ViewState.Selection[3] = TSelectionEntry{foreign, 1, 0};
  ViewState.SelectedCount = 3;
  Waves.clear();
  RightClickCell(3, 3);
  EXPECT_EQ(Units[a].State, StateMove);
  EXPECT_EQ(Units[b].State, StateMove);
  EXPECT_NE(Units[foreign].DestX, 3);
  EXPECT_EQ(ViewState.Selection[3].InUse, 0);
  EXPECT_EQ(ViewState.SelectedCount, 2);
  EXPECT_TRUE(Heard(81));

  ViewState.Selection[3] = TSelectionEntry{foreign, 1, 0};
  ViewState.SelectedCount = 3;
  const std::uint8_t foreignState = Units[foreign].State;
  Click(StopButton);
  EXPECT_EQ(Units[a].State, StateStop);
  EXPECT_EQ(Units[b].State, StateStop);
  EXPECT_EQ(Units[foreign].State, foreignState);
  EXPECT_EQ(ViewState.SelectedCount, 2);

  // The order itself drops them, before any frame's check of the selection.
  ViewState.Selection[3] = TSelectionEntry{foreign, 1, 0};
  ViewState.SelectedCount = 3;
  GroupAttackOrder(20, 20);
  EXPECT_EQ(ViewState.Selection[3].InUse, 0);
  EXPECT_EQ(ViewState.SelectedCount, 2);
}

TEST_F(PlayTest, AttackAUnitByTargetClickAndABuildingByRightClick) {
  const std::uint16_t tank = Unit(10, 9, UnitLightTank);
  const std::uint16_t enemy = Unit(13, 9, UnitLightTank, 2);
  ClickCell(10, 9);
  Click(ThirdButton);
  ASSERT_EQ(PendingOrder, 1);
  ClickCell(13, 9);
  EXPECT_EQ(PendingOrder, 0);
  EXPECT_EQ(Units[tank].State, StateAttack);
  const std::int32_t health = Units[enemy].Health;
  EXPECT_TRUE(StepUntil([&] { return Units[enemy].Free != 0 || Units[enemy].Health < health; }));

  const std::uint16_t yard2 = FindBuilding(BuildingConstructionYard, 2);
  ASSERT_NE(yard2, 0);
  const std::uint16_t raider = Unit(Buildings[yard2].X - 2, Buildings[yard2].Y + 3, UnitSiegeTank);
  ViewState.ViewX = static_cast<std::uint16_t>(Buildings[yard2].X - 5);
  ViewState.ViewY = static_cast<std::uint16_t>(Buildings[yard2].Y - 2);
  ClickCell(Units[raider].X, Units[raider].Y);
  ASSERT_EQ(SelectedSlots(), std::vector<std::uint16_t>{raider});
  RightClickCell(Buildings[yard2].X, Buildings[yard2].Y);
  EXPECT_EQ(Units[raider].State, StateAttack);
  EXPECT_EQ(Units[raider].TargetClass, TargetBuilding);
  const std::int32_t yardHealth = Buildings[yard2].Health;
  EXPECT_TRUE(StepUntil([&] { return Buildings[yard2].Health < yardHealth; }));
}

TEST_F(PlayTest, AHarvesterHarvestsAFieldAndReturnsToTheRefinery) {
  const std::uint16_t harvester = Unit(30, 10, UnitHarvester);
  ViewState.ViewX = 25;
  ViewState.ViewY = 5;
  ClickCell(30, 10);
  Click(ThirdButton);
  ASSERT_EQ(PendingOrder, 3);
  ClickCell(35, 11);
  EXPECT_EQ(Units[harvester].State, StateHarvest);
  ASSERT_TRUE(StepUntil([&] { return Units[harvester].Load >= 100; }));
  const std::int32_t credits = Players[1].Credits;
  Click(FourthButton);
  EXPECT_EQ(Units[harvester].State, StateReturn);
  EXPECT_EQ(Buildings[Units[harvester].TargetSlot].Kind, BuildingRefinery);
  EXPECT_TRUE(StepUntil([&] { return Players[1].Credits > credits; }, 6000));

  // The right button sends a harvester to a field as well, and elsewhere only moves it.
  ViewState.ViewX = 25;
  ViewState.ViewY = 5;
  const std::uint16_t second = Unit(31, 8, UnitHarvester);
  ClickCell(31, 8);
  RightClickCell(36, 12);
  EXPECT_EQ(Units[second].State, StateHarvest);
  RightClickCell(28, 8);
  EXPECT_EQ(Units[second].State, StateMove);
  // A full harvester sent to a field only drives there.
  Units[second].Load = Units[second].Capacity;
  RightClickCell(36, 12);
  EXPECT_EQ(Units[second].State, StateMove);
  EXPECT_EQ(Units[second].DestX, 36);
  EXPECT_EQ(Units[second].DestY, 12);
}

TEST_F(PlayTest, TheConstructionVehicleDeploysIntoAYard) {
  const std::uint16_t mcv = Unit(9, 9, UnitConstructionVehicle);
  ClickCell(9, 9);
  Click(ThirdButton);
  EXPECT_EQ(Units[mcv].Free, 1);
  std::uint16_t slot = 0;
  ASSERT_EQ(FindBuildingAtTile(9, 9, slot), 0);
  EXPECT_EQ(Buildings[slot].Kind, BuildingConstructionYard);
  EXPECT_EQ(Buildings[slot].Owner, 1);
  Frame();
  EXPECT_EQ(ViewState.SelectedCount, 0);
}

TEST_F(PlayTest, TheGromadorBlowsItselfUpAndTakesItsNeighbourAlong) {
  const std::uint16_t gromador = Unit(10, 9, UnitGromador);
  const std::uint16_t enemy = Unit(11, 9, UnitSiegeTank, 2);
  ClickCell(10, 9);
  Click(FourthButton);
  EXPECT_EQ(Units[gromador].Free, 1);
  EXPECT_TRUE(Units[enemy].Free != 0 || Units[enemy].Health < Units[enemy].MaxHealth);
  Frame();
  EXPECT_EQ(ViewState.SelectedCount, 0);
}

TEST_F(PlayTest, ABoughtBuildingIsPlacedOnlyWhereItMayStand) {
  const std::uint16_t yard = FindBuilding(BuildingConstructionYard);
  const std::uint16_t refinery = FindBuilding(BuildingRefinery);
  Buildings[yard].Item = PowerPlantItem;
  // The price must be smaller than the credits.
  Players[1].Credits = ItemCost(PowerPlantItem);
  ClickCell(Buildings[yard].X, Buildings[yard].Y);
  Click(ThirdButton);
  EXPECT_EQ(Buildings[yard].ProductionState, ProductionIdle);
  EXPECT_EQ(Players[1].Credits, ItemCost(PowerPlantItem));
  Players[1].Credits = ItemCost(PowerPlantItem) + 1;
  Click(ThirdButton);
  ASSERT_EQ(Buildings[yard].ProductionState, ProductionRunning);
  EXPECT_EQ(Players[1].Credits, 1);

  // Pause and resume while it is under way.
  Click(StopButton);
  EXPECT_EQ(Buildings[yard].ProductionState, ProductionPaused);
  campaign_world::Step(100);
  EXPECT_EQ(Buildings[yard].ProductionProgress, 0);
  Click(MoveButton);
  EXPECT_EQ(Buildings[yard].ProductionState, ProductionRunning);

  ASSERT_TRUE(StepUntil([&] {
    return static_cast<std::int32_t>(Buildings[yard].ProductionProgress) >= Buildings[yard].ProductionTarget;
  }));
  Click(ThirdButton);
  ASSERT_EQ(PendingOrder, 4);
  MoveTo(CellPoint(9, 9));
  Frame();
  EXPECT_EQ(CursorRecord.Type, 8);

  ClickCell(Buildings[refinery].X, Buildings[refinery].Y);
  EXPECT_EQ(PendingOrder, 4);
  EXPECT_EQ(MessageShown(), FontTextOf("Что-то мешает построить"_cp1251));
  ClickCell(20, 9);
  EXPECT_EQ(PendingOrder, 4);
  EXPECT_EQ(MessageShown(), FontTextOf("Нельзя построить, отсутствуют коммуникации"_cp1251));
  std::uint16_t slot = 0;
  EXPECT_NE(FindBuildingAtTile(20, 9, slot), 0);

  ClickCell(Buildings[yard].X + 2, Buildings[yard].Y + 2);
  EXPECT_EQ(PendingOrder, 0);
  ASSERT_EQ(FindBuildingAtTile(Buildings[yard].X + 2, Buildings[yard].Y + 2, slot), 0);
  EXPECT_EQ(Buildings[slot].Kind, BuildingPowerPlant);
  EXPECT_EQ(Buildings[yard].ProductionState, ProductionIdle);
  EXPECT_EQ(Buildings[yard].ProductionProgress, 0);
}

TEST_F(PlayTest, AFinishedSlabIsPlacedLikeAnyBuilding) {
  const std::uint16_t yard = FindBuilding(BuildingConstructionYard);
  TBuildingRecord& y = Buildings[yard];
  y.Item = ItemSlab;
  y.ProductionState = ProductionRunning;
  y.ProductionTarget = 10;
  y.ProductionProgress = 10;
  ClickCell(y.X, y.Y);
  Click(ThirdButton);
  ASSERT_EQ(PendingOrder, 4);
  const std::int32_t x = y.X + 2, cy = y.Y + 2;
  ClickCell(x, cy);
  EXPECT_EQ(PendingOrder, 0);
  EXPECT_TRUE(std::any_of(Buildings.begin(), Buildings.end(), [&](const TBuildingRecord& b) {
    return b.Free == 0 && b.Kind == BuildingSlab && b.X == x && b.Y == cy;
  }));
  EXPECT_EQ(y.ProductionState, ProductionIdle);
}

TEST_F(PlayTest, UnitPurchasesStopAtTheCapWithTheMessage) {
  const std::uint16_t barracks = FindBuilding(BuildingBarracks);
  Buildings[barracks].Item = 1;
  Players[1].Credits = 5000;
  // Cap 25 (a yard and the barracks); production keeps one place free below it.
  for (int i = 0; i < 24; ++i) Unit(30 + i % 10, 30 + i / 10, UnitInfantryman);
  ViewState.ViewY = 6;
  ClickCell(Buildings[barracks].X, Buildings[barracks].Y);
  Click(ThirdButton);
  EXPECT_EQ(Buildings[barracks].ProductionState, ProductionIdle);
  EXPECT_EQ(Players[1].Credits, 5000);
  EXPECT_EQ(MessageShown(), FontTextOf("Нельзя создать больше"_cp1251));
}

TEST_F(PlayTest, RepairIsSwitchedOnFromThePanelAndPaidFor) {
  const std::uint16_t refinery = FindBuilding(BuildingRefinery);
  Buildings[refinery].Health -= 100;
  const std::int32_t health = Buildings[refinery].Health;
  Players[1].Credits = 2000;
  ClickCell(Buildings[refinery].X, Buildings[refinery].Y);
  Click(RepairLine);
  EXPECT_EQ(Buildings[refinery].RepairOff, 0);
  ASSERT_TRUE(StepUntil([&] { return Buildings[refinery].Health > health; }));
  EXPECT_LT(Players[1].Credits, 2000);
  // Not enough money: the switch does not move.
  Click(RepairLine);
  ASSERT_EQ(Buildings[refinery].RepairOff, 1);
  Players[1].Credits = Buildings[refinery].RepairCost;
  Click(RepairLine);
  EXPECT_EQ(Buildings[refinery].RepairOff, 1);
}

TEST_F(PlayTest, ThePalaceFiresAtOnceOrAtTheChosenCellBySide) {
  const std::uint16_t palace = Building(18, 8, BuildingPalace);
  const std::uint16_t before = CountUnitsOfPlayer(1);
  ClickCell(18, 8);
  ASSERT_EQ(ViewState.SelectionKind, SelectedBuilding);
  Click(ThirdButton);  // side 1: guard squads come at once
  EXPECT_EQ(PendingOrder, 0);
  EXPECT_GT(CountUnitsOfPlayer(1), before);
  EXPECT_GT(Buildings[palace].LastFireTick, WorldTickCount);

  const std::uint16_t missile = Building(18, 1, BuildingPalace);
  Buildings[missile].Side = 0;
  const std::uint16_t enemy = Unit(3, 9, UnitLightTank, 2);
  ClickCell(18, 2);
  Click(ThirdButton);
  ASSERT_EQ(PendingOrder, 1);
  ClickCell(3, 9);
  EXPECT_EQ(PendingOrder, 0);
  EXPECT_GT(Buildings[missile].LastFireTick, WorldTickCount);
  const std::int32_t health = Units[enemy].Health;
  EXPECT_TRUE(StepUntil([&] { return Units[enemy].Free != 0 || Units[enemy].Health < health; }, 400));
  // Side 3 aims its weapon as side 0 does; a second click on the column cancels the aim.
  Buildings[palace].Side = 3;
  ClickCell(18, 8);
  Click(ThirdButton);
  EXPECT_EQ(PendingOrder, 1);
  Click(ThirdButton);
  EXPECT_EQ(PendingOrder, 0);
}

TEST_F(PlayTest, ACarrierPicksAUnitUpAndDeliversIt) {
  const std::uint16_t carrier = Unit(5, 2, UnitCarrier);
  const std::uint16_t tank = Unit(10, 9, UnitLightTank);
  ClickCell(5, 2);
  Click(ThirdButton);
  ASSERT_EQ(PendingOrder, 5);
  ClickCell(10, 9);
  EXPECT_EQ(Units[carrier].State, StatePickUp);
  ASSERT_TRUE(StepUntil([&] { return Units[tank].OffMap != 0; }));
  ViewState.ViewX = 1;
  ViewState.ViewY = 1;
  ClickCell(Units[carrier].X, Units[carrier].Y);
  ASSERT_EQ(SelectedSlots(), std::vector<std::uint16_t>{carrier});
  Click(FourthButton);
  ASSERT_EQ(PendingOrder, 6);
  ClickCell(3, 3);
  EXPECT_EQ(Units[carrier].State, StateDeliver);
  ASSERT_TRUE(StepUntil([&] { return Units[tank].OffMap == 0; }));
  EXPECT_LE(std::abs(Units[tank].X - 3), 2);
  EXPECT_LE(std::abs(Units[tank].Y - 3), 2);
}

TEST_F(PlayTest, TheMinimapRightClickSendsTheUnitToTheCellItShows) {
  const std::uint16_t tank = Unit(10, 9, UnitLightTank);
  ClickCell(10, 9);
  // 96 x 96: 1.5 columns and 2.4 rows a minimap pixel.
  RightClick({64, 198});
  EXPECT_EQ(Units[tank].State, StateMove);
  EXPECT_EQ(Units[tank].DestX, 95);  // trunc(63 x 1.5) + 1
  EXPECT_EQ(Units[tank].DestY, 94);  // trunc(39 x 2.4) + 1
  // Over an enemy on the minimap: an attack.
  const std::uint16_t enemy = Unit(40, 41, UnitLightTank, 2);
  RightClick({27, 176});  // trunc(26 x 1.5) + 1, trunc(17 x 2.4) + 1
  EXPECT_EQ(Units[tank].State, StateAttack);
  EXPECT_EQ(Units[tank].TargetSlot, enemy);
  // Scales that overshoot the map still land on its last column and row.
  ViewState.MinimapScaleX = 3;
  ViewState.MinimapScaleY = 4;
  RightClick({64, 198});
  EXPECT_EQ(Units[tank].State, StateMove);
  EXPECT_EQ(Units[tank].DestX, GameMap.Width);
  EXPECT_EQ(Units[tank].DestY, GameMap.Height);
}

}  // namespace
