#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "game/world/dobjects.h"

using namespace zarn;

namespace {

// Two fields compared at once.
std::pair<long, long> P(long a, long b) { return {a, b}; }

std::vector<std::pair<char, std::int32_t>> Calls;  // 'b' bloom erupted, 'r' unit removed, 'c' crushed
void RecordErupt(std::int32_t slot) { Calls.push_back({'b', slot}); }
void RecordRemove(std::int32_t slot) { Calls.push_back({'r', slot}); }
void RecordCrush(std::int32_t slot) { Calls.push_back({'c', slot}); }
using CallList = std::vector<std::pair<char, std::int32_t>>;

class TargetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHooks();
    NetEruptBloomProc = RecordErupt;
    NetRemoveUnitProc = RecordRemove;
    NetCrushUnitProc = RecordCrush;
    Calls.clear();
    SetMapSizeAndClear(30, 30);
    KillAllUnits();
    DestroyAllBuildings();
    RemoveAllWorms();
    RemoveAllBlooms();
    ClearOssinFields();  // a harvester would go for a field an earlier test left
    UnitSlots = BuildingSlots = 200;
    NetRole = RoleSingle;
    WorldTickCount = 1000;
  }
  void TearDown() override {
    SetUp();
    ResetHooks();
    SetMapSizeAndClear(64, 64);
  }
  static TUnitRecord& Put(int slot, std::uint8_t kind, std::uint8_t owner, int x, int y, std::uint8_t side = 0) {
    InitUnit(Units[slot], x, y, static_cast<std::uint16_t>(slot), side, owner, kind);
    return Units[slot];
  }
  // The unit starts a step toward the facing, already turned, progress already made.
  static TUnitRecord& Stepping(TUnitRecord& u, std::uint8_t facing, std::uint16_t progress = 0) {
    u.Facing = u.TurretFacing = facing;
    u.MovePhase = 2;
    u.StepProgress = progress;
    u.NextTurnTick = WorldTickCount;
    return u;
  }
};

TEST_F(TargetsTest, AUnitIsPreferredToABuildingAndSideOneIgnoresWorms) {
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 10, 10);  // range 4
  InitBuilding(Buildings[1], 11, 11, BuildingRadar, 2, 0, 1);
  Put(2, UnitInfantryman, 2, 14, 14);
  ASSERT_EQ(FindTarget(tank), 1);
  EXPECT_EQ(P(tank.TargetClass, tank.TargetSlot), P(TargetUnit, 2));
  Units[2].OffMap = 1;
  ASSERT_EQ(FindTarget(tank), 1);
  EXPECT_EQ(P(tank.TargetClass, tank.TargetSlot), P(TargetBuilding, 1));

  CreateWorm(Worms[2], 22, 20, 2);
  TUnitRecord& sideOne = Put(3, UnitLightTank, 1, 20, 20, 1);
  TUnitRecord& sideZero = Put(4, UnitLightTank, 1, 20, 21, 0);
  EXPECT_EQ(FindTarget(sideOne), 0);
  ASSERT_EQ(FindTarget(sideZero), 1);
  EXPECT_EQ(P(sideZero.TargetClass, sideZero.TargetSlot), P(TargetWorm, 2));
}

// Aircraft are targets only of the units that can shoot upward.
TEST_F(TargetsTest, OnlyAntiAircraftUnitsTakeAnAircraft) {
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 10, 10);
  TUnitRecord& trooper = Put(2, UnitHeavyTrooper, 1, 10, 11);
  Put(3, UnitCarrier, 2, 12, 11);
  EXPECT_EQ(FindTarget(tank), 0);
  ASSERT_EQ(FindTarget(trooper), 1);
  EXPECT_EQ(P(trooper.TargetClass, trooper.TargetSlot), P(TargetUnit, 3));
}

TEST_F(TargetsTest, LauncherSkipsWhatItCouldNotFireAt) {
  TUnitRecord& launcher = Put(1, UnitRocketLauncher, 1, 10, 10);  // range 8, minimum 3
  Put(2, UnitQuad, 2, 13, 11);  // 3.16 away, but the larger difference is 3: too close to fire
  EXPECT_EQ(FindTarget(launcher), 0);
  Put(3, UnitQuad, 2, 16, 10);
  ASSERT_EQ(FindTarget(launcher), 1);
  EXPECT_EQ(launcher.TargetSlot, 3);
}

TEST_F(TargetsTest, AutoTargetSearchesOnItsPeriodAndHunts) {
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 10, 10);
  TUnitRecord& harvester = Put(3, UnitHarvester, 1, 11, 11);
  Put(2, UnitQuad, 2, 12, 10);
  tank.NextSearchTick = WorldTickCount;  // the search waits for a later tick
  AutoTarget(tank);
  EXPECT_EQ(tank.State, StateIdle);
  ++WorldTickCount;
  AutoTarget(tank);
  AutoTarget(harvester);  // only looks about
  EXPECT_EQ(P(tank.State, tank.FreeTargeting), P(StateAttack, 1));
  EXPECT_EQ(tank.NextSearchTick, WorldTickCount + 18);
  EXPECT_EQ(harvester.State, StateIdle);
}

TEST_F(TargetsTest, StepTimingByKindAndOneWholeTilePerStep) {
  const std::pair<std::uint8_t, int> kinds[] = {{UnitTrike, 4}, {UnitLightTank, 8}, {UnitInfantryman, 8}, {UnitCarrier, 4}};
  int slot = 1;
  for (auto [kind, ticks] : kinds) {
    TUnitRecord& u = Stepping(Put(slot, kind, 2, 5, 2 * slot), FacingEast);
    int taken = 0;
    while (u.X == 5 && taken < 100) {
      OnTileEntered(u);
      ++WorldTickCount;
      ++taken;
    }
    EXPECT_EQ(taken, ticks) << int(kind);
    ++slot;
  }
  // A progress overshooting 16 (not even, from a saved game) still moves one tile, westward too.
  TUnitRecord& trike = Stepping(Put(9, UnitTrike, 2, 5, 20), FacingWest, 14);
  OnTileEntered(trike);
  EXPECT_EQ(P(trike.X, trike.StepProgress), P(4, 16));
  // A unit not yet turned turns instead of moving.
  TUnitRecord& tank = Stepping(Put(10, UnitLightTank, 2, 20, 20), FacingSouth);
  tank.TurretFacing = FacingSouthEast;
  OnTileEntered(tank);
  EXPECT_EQ(P(tank.TurretFacing, tank.StepProgress), P(FacingSouth, 0));
  EXPECT_EQ(tank.NextTurnTick, WorldTickCount + 4);
}

TEST_F(TargetsTest, OnlyTheFirstEnemyInfantrymanIsCrushed) {
  NetRole = RoleServer;
  Put(2, UnitInfantryman, 1, 6, 5);  // own: never crushed
  Put(3, UnitInfantrySquad, 2, 6, 5);
  Put(4, UnitInfantryman, 2, 6, 5);
  OnTileEntered(Stepping(Put(1, UnitLightTank, 1, 5, 5), FacingEast, 14));
  OnTileEntered(Stepping(Put(5, UnitTrike, 1, 5, 4), FacingSouthEast, 14));  // too light
  OnTileEntered(Stepping(Put(6, UnitSkeltrel, 1, 7, 5), FacingWest, 14));   // flies over
  EXPECT_EQ(Calls, (CallList{{'c', 3}}));
}

TEST_F(TargetsTest, ABloomTakesAGroundUnitButNotAnAircraft) {
  OssinBlooms[3] = {6, 5, 0, {}};
  TUnitRecord& man = Put(1, UnitInfantryman, 1, 5, 5);
  TUnitRecord& carrier = Put(2, UnitCarrier, 1, 5, 5);
  OnTileEntered(Stepping(man, FacingEast, 14));
  OnTileEntered(Stepping(carrier, FacingEast, 14));
  EXPECT_EQ(man.Free, 1);
  EXPECT_EQ(P(carrier.Free, carrier.X), P(0, 6));

  // In network play the hooks erupt and remove; the lost tank crushes nobody. (The bloom erupted
  // above: lay it again.)
  OssinBlooms[3] = {6, 5, 0, {}};
  NetRole = RoleServer;
  Put(4, UnitInfantryman, 2, 6, 5);
  OnTileEntered(Stepping(Put(5, UnitLightTank, 1, 5, 4), FacingSouthEast, 14));
  EXPECT_EQ(Calls, (CallList{{'b', 3}, {'r', 5}}));
}

}  // namespace

namespace {

// Enemy units are read from the tiles round the searcher, buildings from a list kept for the
// tick: the lowest slot still wins among equals wherever it stands, a unit stepping into the
// square does not count before it arrives, and a building made or removed within the same tick
// is seen at once.
TEST_F(TargetsTest, NearestTargetsFromTheTilesAndTheTicksBuildingList) {
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 10, 10);  // range 4
  Put(5, UnitLightTank, 2, 8, 10);   // 2 away, on a tile read before slot 3's
  Put(3, UnitLightTank, 2, 12, 10);  // 2 away
  Put(4, UnitLightTank, 2, 15, 10);  // stepping toward (14, 10): still out of range
  Units[4].NextX = 14;
  UnitTilesChanged(Units[4]);
  ASSERT_EQ(FindTarget(tank), 1);
  EXPECT_EQ(P(tank.TargetClass, tank.TargetSlot), P(TargetUnit, 3));
  RemoveUnit(Units[3]);
  RemoveUnit(Units[5]);
  ASSERT_EQ(FindTarget(tank), 0);

  InitBuilding(Buildings[9], 13, 12, BuildingRadar, 2, 0, 9);
  ASSERT_EQ(FindTarget(tank), 1);
  EXPECT_EQ(P(tank.TargetClass, tank.TargetSlot), P(TargetBuilding, 9));
  InitBuilding(Buildings[7], 7, 12, BuildingRadar, 2, 0, 7);  // as near, lower slot, same tick
  ASSERT_EQ(FindTarget(tank), 1);
  EXPECT_EQ(tank.TargetSlot, 7);
  RemoveBuilding(Buildings[7]);
  RemoveBuilding(Buildings[9]);
  EXPECT_EQ(FindTarget(tank), 0);
}

// A large building is in range by its nearest footprint tile, though its anchor lies outside the
// range square (and in another block of the building list).
TEST_F(TargetsTest, ABuildingIsInRangeByItsNearestFootprintTile) {
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 22, 22);  // range 4: tiles 18..26
  InitBuilding(Buildings[3], 15, 15, BuildingPalace, 2, 0, 3);  // 15..17: one tile short
  EXPECT_EQ(FindTarget(tank), 0);
  InitBuilding(Buildings[4], 16, 16, BuildingPalace, 2, 0, 4);  // 16..18
  ASSERT_EQ(FindTarget(tank), 1);
  EXPECT_EQ(P(tank.TargetClass, tank.TargetSlot), P(TargetBuilding, 4));
  EXPECT_EQ(P(tank.TargetX, tank.TargetY), P(18, 18));
}

}  // namespace
