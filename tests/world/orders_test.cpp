#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "game/world/dobjects.h"

using namespace zarn;

namespace {

// Two fields compared at once.
std::pair<long, long> P(long a, long b) { return {a, b}; }

std::vector<std::int32_t> HookSlots;
void RecordSlot(std::int32_t slot) { HookSlots.push_back(slot); }

// A 20 x 20 sand map with an empty world; player 1 plays here, player 2 is the enemy.
class OrdersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHooks();
    HookSlots.clear();
    SetMapSizeAndClear(20, 20);
    std::fill(std::begin(OccupancyMap.Cells), std::end(OccupancyMap.Cells), 0);
    KillAllUnits();
    DestroyAllBuildings();
    UnitSlots = BuildingSlots = 200;
    NetRole = RoleSingle;
    LocalPlayer = 1;
  }
  void TearDown() override {
    ResetHooks();
    NetRole = RoleSingle;
    KillAllUnits();
    DestroyAllBuildings();
    SetMapSizeAndClear(64, 64);
  }
  static TUnitRecord& Put(int slot, std::uint8_t kind, std::uint8_t owner, int x, int y) {
    InitUnit(Units[slot], x, y, static_cast<std::uint16_t>(slot), 0, owner, kind);
    return Units[slot];
  }
  static TBuildingRecord& Build(int slot, std::uint8_t kind, std::uint8_t owner, int x, int y) {
    InitBuilding(Buildings[slot], x, y, kind, owner, 0, static_cast<std::uint16_t>(slot));
    return Buildings[slot];
  }
  static void Block(int x, int y) { OccupancyMap.Cell(x, y) = 1; }
};

TEST_F(OrdersTest, MoveToFallsBackOnTheFiveByFiveBlock) {
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 10, 5);
  Block(10, 10);
  MoveTo(tank, 10, 10);  // rows 8..12: (10, 8) is nearest to the tank
  EXPECT_EQ(tank.State, StateMove);
  EXPECT_EQ(P(tank.DestX, tank.DestY), P(10, 8));
  Block(10, 8);  // (9, 8) and (11, 8) tie: the first of the row wins
  MoveTo(tank, 10, 10);
  EXPECT_EQ(P(tank.DestX, tank.DestY), P(9, 8));

  // At the top edge (and for row 0) the block starts at row 1: rows 1..5, so (10, 5) itself.
  Block(10, 1);
  for (int y : {1, 0}) {
    MoveTo(tank, 10, y);
    EXPECT_EQ(P(tank.DestX, tank.DestY), P(10, 5)) << y;
  }
  // A block with no free tile keeps the requested tile.
  for (int x = 1; x <= 5; ++x)
    for (int y = 14; y <= 18; ++y) Block(x, y);
  MoveTo(tank, 3, 16);
  EXPECT_EQ(P(tank.DestX, tank.DestY), P(3, 16));
}

TEST_F(OrdersTest, AttackAtRefusals) {
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 10, 10);
  Put(2, UnitInfantryman, 1, 12, 10);  // an own unit: may be attacked
  Put(3, UnitCarrier, 2, 13, 10);
  for (std::uint8_t kind : {UnitHarvester, UnitConstructionVehicle, UnitCarrier})
    EXPECT_EQ(AttackAt(Put(10, kind, 1, 11, 11), 12, 10), OrderRefused) << int(kind);

  // Refusals leave the current target whole, its class included.
  tank.TargetClass = TargetWorm;
  tank.TargetSlot = 3;
  EXPECT_EQ(AttackAt(tank, 5, 5), OrderRefused);    // nothing there
  EXPECT_EQ(AttackAt(tank, 10, 10), OrderRefused);  // itself
  EXPECT_EQ(AttackAt(tank, 13, 10), OrderRefused);  // an aircraft, out of a tank's reach
  EXPECT_EQ(P(tank.TargetClass, tank.TargetSlot), P(TargetWorm, 3));
  EXPECT_EQ(AttackAt(Put(4, UnitHeavyTrooper, 1, 10, 12), 13, 10), OrderTaken);

  ASSERT_EQ(AttackAt(tank, 12, 10), OrderTaken);
  EXPECT_EQ(tank.State, StateAttack);
  EXPECT_EQ(tank.FreeTargeting, 0);
  EXPECT_EQ(P(tank.TargetClass, tank.TargetSlot), P(TargetUnit, 2));

  // The launcher keeps its distance: 4 or less is refused, 4.24 taken.
  TUnitRecord& launcher = Put(5, UnitRocketLauncher, 1, 2, 2);
  Put(6, UnitQuad, 2, 6, 2);
  Put(7, UnitQuad, 2, 5, 5);
  EXPECT_EQ(AttackAt(launcher, 6, 2), OrderRefused);
  EXPECT_EQ(AttackAt(launcher, 5, 5), OrderTaken);
}

TEST_F(OrdersTest, CarrierLimits) {
  TUnitRecord& carrier = Put(1, UnitCarrier, 1, 10, 10);
  Put(2, UnitLightTank, 1, 5, 5);
  Put(3, UnitHarvester, 1, 6, 6);
  Put(4, UnitLightTank, 2, 7, 7);
  EXPECT_EQ(CarrierPickUp(carrier, 7, 7), OrderRefused);  // an enemy
  ASSERT_EQ(CarrierPickUp(carrier, 5, 5), OrderTaken);
  EXPECT_EQ(P(carrier.State, carrier.TargetSlot), P(StatePickUp, 2));

  carrier.State = StateStop;
  carrier.CargoCount = 1;
  carrier.Cargo[1] = 2;  // a tank aboard: a harvester needs an empty carrier
  EXPECT_EQ(CarrierPickUp(carrier, 6, 6), OrderRefused);
  carrier.Cargo[1] = 3;  // a harvester aboard: nothing more
  EXPECT_EQ(CarrierPickUp(carrier, 5, 5), OrderRefused);
  carrier.CargoCount = 6;
  carrier.Cargo[1] = 2;
  EXPECT_EQ(CarrierPickUp(carrier, 5, 5), OrderRefused);  // full
  EXPECT_EQ(carrier.State, StateStop);
}

TEST_F(OrdersTest, UnloadedUnitHoldsOnlyItsNewTile) {
  NetBroadcastStopCarrierProc = RecordSlot;
  NetRole = RoleServer;
  TUnitRecord& tank = Put(3, UnitLightTank, 1, 5, 5);
  tank.NextX = 6;  // lifted mid-step
  StopCarrier(tank);
  EXPECT_EQ(HookSlots, std::vector<std::int32_t>{3});
  UnloadAt(tank, 12, 13);
  EXPECT_EQ(P(tank.OffMap, tank.State), P(0, StateStop));
  EXPECT_EQ(CanEnter(UnitLightTank, 1, 6, 0, 5), 1);  // the old tile is not held any more
  EXPECT_EQ(CanEnter(UnitLightTank, 1, 12, 0, 13), 0);
}

TEST_F(OrdersTest, RefineryDockTile) {
  Build(1, BuildingRefinery, 1, 5, 5);   // tiles (5..7, 5..6); contact ring x 4..8, y 4..7
  Build(2, BuildingRefinery, 2, 14, 5);  // an enemy's, nearer
  TUnitRecord& h = Put(1, UnitHarvester, 1, 12, 6);
  h.State = StateHarvest;
  h.TargetSlot = 40;
  h.TargetX = 12;
  EXPECT_EQ(ReturnToRefinery(h), OrderRefused);  // empty
  h.Load = 100;
  ASSERT_EQ(ReturnToRefinery(h), OrderTaken);
  EXPECT_EQ(P(h.State, h.TargetSlot), P(StateReturn, 1));
  EXPECT_EQ(P(h.TargetX, h.TargetY), P(8, 6));
  EXPECT_EQ(h.ReturnX, 12);
  // With (8, 6) taken, (8, 7) and (8, 5) tie: the bottom row comes before the sides.
  Put(2, UnitLightTank, 1, 8, 6);
  ReturnToRefinery(h);
  EXPECT_EQ(P(h.TargetX, h.TargetY), P(8, 7));

  // No free dock tile: the harvester keeps harvesting its own cell's slot.
  TRingTile ring[MaxRingTiles];
  for (int i = 0, n = FootprintRing(5, 5, 2, 1, ring); i < n; ++i) Block(ring[i].X, ring[i].Y);
  h.State = StateHarvest;
  h.TargetSlot = 40;
  EXPECT_EQ(ReturnToRefinery(h), OrderRefused);
  EXPECT_EQ(P(h.State, h.TargetSlot), P(StateHarvest, 40));
}

TEST_F(OrdersTest, DeployingAYard) {
  for (int x = 1; x <= 20; ++x)
    for (int y = 1; y <= 20; ++y) GameMap.Cell(x, y) = MakeTerrainByte(4, 0);
  TUnitRecord& mcv = Put(1, UnitConstructionVehicle, 1, 5, 5);
  Put(2, UnitLightTank, 1, 11, 10);  // stands where the second yard would go
  TUnitRecord& mcv2 = Put(3, UnitConstructionVehicle, 1, 10, 10);
  ASSERT_EQ(DeployUnit(mcv), 0);
  EXPECT_EQ(mcv.Free, 1);
  EXPECT_EQ(P(Buildings[1].Free, Buildings[1].Kind), P(0, BuildingConstructionYard));
  EXPECT_EQ(DeployUnit(mcv2), 1);  // refused: the vehicle stays
  EXPECT_EQ(P(mcv2.Free, mcv2.Kind), P(0, UnitConstructionVehicle));
}

}  // namespace
