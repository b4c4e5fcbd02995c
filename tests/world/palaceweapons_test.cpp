#include <gtest/gtest.h>

#include <algorithm>

#include "game/sound/dsnd.h"
#include "tests/world/combat_world.h"

using namespace combat_test;

namespace {

class SpecialWeaponsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWorld(); }
  void TearDown() override { ResetWorld(); }

  static bool Played(int wave) {
    return std::find(Recorded.Waves.begin(), Recorded.Waves.end(), wave) != Recorded.Waves.end();
  }
  static int SquadsOf(std::uint8_t owner) {
    int n = 0;
    for (int i = 1; i <= UnitSlots; ++i) {
      const TUnitRecord& u = Units[i];
      n += u.Free == 0 && u.Owner == owner && u.Kind == UnitHeavySquad && u.Side == TroopSide;
    }
    return n;
  }
};

TEST_F(SpecialWeaponsTest, MissileScattersUpToTwoTilesAndStaysOnTheMap) {
  for (std::uint32_t seed = 1; seed <= 30; ++seed) {
    ResetWorld();
    TBuildingRecord& palace = PutBuilding(1, BuildingPalace, 1, 5, 5, 0);
    PutUnit(1, UnitLightTank, 2, 30, 30);
    Randomize(seed);
    const int dx = Random(3), sx = Random(2) == 0 ? -1 : 1;
    const int dy = Random(3), sy = Random(2) == 0 ? -1 : 1;
    Randomize(seed);
    UseSpecialWeapon(palace, 30, 30);
    EXPECT_EQ(palace.TargetX, 30 + dx * sx) << seed;
    EXPECT_EQ(palace.TargetY, 30 + dy * sy) << seed;
    EXPECT_EQ(palace.TargetClass, TargetUnit);
    EXPECT_EQ(palace.TargetSlot, 1);
    EXPECT_EQ(palace.LastFireTick, WorldTickCount + 16200);
    const TShotRecord& s = BuildingShots[1];
    ASSERT_EQ(s.Active, 1);
    EXPECT_EQ(s.WeaponClass, WeaponMissile);
    EXPECT_EQ(s.ShotSpeed, 128);
    EXPECT_TRUE(Played(88));  // the launch, for its owner

    // Aimed at the map's first and last tiles, the scatter turns back inside.
    ResetWorld();
    TBuildingRecord& p2 = PutBuilding(1, BuildingPalace, 1, 5, 5, 3);
    PutUnit(1, UnitLightTank, 2, 1, 64);
    Randomize(seed);
    UseSpecialWeapon(p2, 1, 64);
    EXPECT_GE(p2.TargetX, 1);
    EXPECT_LE(p2.TargetX, 3);
    EXPECT_GE(p2.TargetY, 62);
    EXPECT_LE(p2.TargetY, 64);
  }
}

TEST_F(SpecialWeaponsTest, OnlyAChargedPalaceFiresAndAnEmptyTileKeepsTheCharge) {
  TBuildingRecord& palace = PutBuilding(1, BuildingPalace, 2, 5, 5, 0);
  UseSpecialWeapon(palace, 30, 30);  // nothing there
  EXPECT_EQ(palace.LastFireTick, WorldTickCount);
  EXPECT_EQ(ActiveShots(BuildingShots), 0);

  PutUnit(1, UnitLightTank, 1, 30, 30);
  UseSpecialWeapon(palace, 30, 30);
  EXPECT_EQ(ActiveShots(BuildingShots), 1);
  // Fired by another player: the advisor warns the local one (Gorvassen voice of line 5).
  EXPECT_TRUE(Played(VoiceWave(5, 0)));
  EXPECT_FALSE(Played(88));
  WorldTickCount += 16199;
  UseSpecialWeapon(palace, 30, 30);
  EXPECT_EQ(ActiveShots(BuildingShots), 1);

  // A turret's short reload never arms a special weapon.
  TBuildingRecord& turret = PutBuilding(2, BuildingGunTurret, 2, 40, 40, 0);
  UseSpecialWeapon(turret, 30, 30);
  EXPECT_EQ(ActiveShots(BuildingShots), 1);
  EXPECT_EQ(turret.LastFireTick, WorldTickCount);
  // Nor does a tile off the map do anything.
  WorldTickCount += 1;
  EXPECT_NO_THROW(UseSpecialWeapon(palace, 300, -4));
  EXPECT_EQ(ActiveShots(BuildingShots), 1);
}

TEST_F(SpecialWeaponsTest, NearestCornerPrefersTheEarlierOnTies) {
  std::int32_t cx = 0, cy = 0;
  EXPECT_EQ(NearestMapCorner(5, 60, cx, cy), 2);
  EXPECT_EQ(cy, 64);
  GameMap.Width = GameMap.Height = 65;
  EXPECT_EQ(NearestMapCorner(33, 33, cx, cy), 0);  // all four equally far
  EXPECT_EQ(NearestMapCorner(34, 34, cx, cy), 3);
}

TEST_F(SpecialWeaponsTest, TroopsGatherNearTheCornerAndMarchToThePalace) {
  TBuildingRecord& palace = PutBuilding(1, BuildingPalace, 1, 50, 50, 1);
  PutBuilding(2, BuildingBarracks, 1, 40, 40, 1);
  UseSpecialWeapon(palace, 1, 1);
  EXPECT_EQ(SquadsOf(1), TroopSquads);
  for (int i = 1; i <= UnitSlots; ++i) {
    const TUnitRecord& u = Units[i];
    if (u.Free != 0) continue;
    EXPECT_GE(u.X, 59);
    EXPECT_LE(u.X, 63);
    EXPECT_GE(u.Y, 59);
    EXPECT_LE(u.Y, 62);
    EXPECT_EQ(u.State, StateMove);
  }
  EXPECT_EQ(palace.LastFireTick, WorldTickCount + 16200);

  // Room for three more units: three squads, and the charge is spent all the same.
  ResetWorld();
  TBuildingRecord& p2 = PutBuilding(1, BuildingPalace, 1, 5, 5, 1);
  PutBuilding(2, BuildingConstructionYard, 1, 20, 20, 1);
  PutUnit(1, UnitTrike, 1, 30, 30);
  PutUnit(2, UnitTrike, 1, 31, 30);
  UseSpecialWeapon(p2, 40, 40);
  EXPECT_EQ(SquadsOf(1), 3);
  EXPECT_EQ(Units[3].X, 3);  // near corner (1, 1), first row first
  EXPECT_EQ(Units[3].Y, 3);
  EXPECT_EQ(p2.LastFireTick, WorldTickCount + 16200);
}

TEST_F(SpecialWeaponsTest, TakeOverConvertsTheLowestEnemySlotForGood) {
  LocalPlayer = 3;
  TBuildingRecord& palace = PutBuilding(1, BuildingPalace, 2, 5, 5, 2);
  PutUnit(1, UnitLightTank, 2, 10, 10);  // its own
  PutUnit(2, UnitHarvester, 1, 50, 50);
  PutUnit(3, UnitCarrier, 1, 51, 50);
  TUnitRecord& tank = PutUnit(4, UnitSiegeTank, 1, 60, 60, StateAttack);
  TUnitRecord& next = PutUnit(5, UnitLightTank, 1, 61, 60);
  tank.NotConverted = 0;  // under another conversion that would end in a moment
  tank.Deselected = 0;
  Players[1].Roster[1] = TPlayerListEntry{0, 0, {}, 4};
  UseSpecialWeapon(palace, 1, 1);
  EXPECT_EQ(tank.Owner, 2);
  EXPECT_EQ(tank.Side, 2);
  EXPECT_EQ(tank.NotConverted, 1);
  EXPECT_EQ(tank.Deselected, 1);
  EXPECT_EQ(Players[1].Roster[1].Free, 1);  // the old owner lets go
  EXPECT_TRUE(UnitInAnyList(Players[2], 4));  // the new one takes it on
  EXPECT_EQ(next.Owner, 1);
  EXPECT_EQ(palace.LastFireTick, WorldTickCount + 16200);

  // Nobody left to take: the charge is spent anyway.
  ResetWorld();
  TBuildingRecord& p2 = PutBuilding(1, BuildingPalace, 2, 5, 5, 2);
  UseSpecialWeapon(p2, 1, 1);
  EXPECT_EQ(p2.LastFireTick, WorldTickCount + 16200);
}

TEST_F(SpecialWeaponsTest, InANetworkGameEveryPalaceFiresTheMissileUnscattered) {
  NetRole = RoleServer;
  TBuildingRecord& palace = PutBuilding(1, BuildingPalace, 1, 5, 5, 1);
  PutUnit(1, UnitLightTank, 2, 1, 64);
  UseSpecialWeapon(palace, 1, 64);
  EXPECT_EQ(ActiveShots(BuildingShots), 1);
  EXPECT_EQ(palace.TargetX, 1);
  EXPECT_EQ(palace.TargetY, 64);
  EXPECT_EQ(SquadsOf(1), 0);
  EXPECT_TRUE(Recorded.SpecialWeapons.empty());

  // A client asks the server, and shows a shot that hits nothing there.
  NetRole = RoleClient;
  TBuildingRecord& p2 = PutBuilding(2, BuildingPalace, 2, 40, 5, 2);
  UseSpecialWeapon(p2, 1, 64);
  ASSERT_EQ(Recorded.SpecialWeapons.size(), 1u);
  EXPECT_EQ(Recorded.SpecialWeapons[0], (std::vector<int>{2, 1, 64}));
  EXPECT_EQ(ActiveShots(BuildingShots), 2);
  FlyOut(BuildingShots[2], true);
  EXPECT_EQ(Units[1].Health, 100);
}

}  // namespace
