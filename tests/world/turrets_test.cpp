#include <gtest/gtest.h>

#include "tests/world/combat_world.h"

using namespace combat_test;

namespace {

class TurretsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWorld(); }
  void TearDown() override { ResetWorld(); }

  // Building ticks until the turret has fired or the ticks run out.
  static void TickUntilFired(TBuildingRecord& t, int ticks = 200) {
    for (int i = 0; i < ticks && ActiveShots(BuildingShots) == 0; ++i) {
      TurretTick(t);
      WorldTickCount += 4;
    }
  }
};

TEST_F(TurretsTest, GunTurretIgnoresAircraftAndRocketTurretTakesThem) {
  TBuildingRecord& gun = PutBuilding(1, BuildingGunTurret, 1, 20, 20);
  TBuildingRecord& rocket = PutBuilding(2, BuildingRocketTurret, 1, 30, 20);
  PutUnit(1, UnitSkeltrel, 2, 21, 21);
  PutUnit(2, UnitCarrier, 2, 31, 20);
  EXPECT_EQ(FindUnitForGunTurret(gun), 0);
  EXPECT_EQ(FindUnitForRocketTurret(rocket), 1);
  EXPECT_EQ(rocket.TargetSlot, 2);
  EXPECT_EQ(rocket.TargetClass, TargetUnit);

  // Each aircraft kind alone in the gun turret's reach: still nothing; the rocket turret
  // takes either.
  for (std::uint8_t kind : {UnitCarrier, UnitSkeltrel}) {
    ResetWorld();
    TBuildingRecord& g = PutBuilding(1, BuildingGunTurret, 1, 20, 20);
    TBuildingRecord& r = PutBuilding(2, BuildingRocketTurret, 1, 30, 20);
    PutUnit(1, kind, 2, 22, 20);
    PutUnit(2, kind, 2, 32, 20);
    EXPECT_EQ(FindUnitForGunTurret(g), 0) << int(kind);
    EXPECT_EQ(FindUnitForRocketTurret(r), 1) << int(kind);
    EXPECT_EQ(r.TargetSlot, 2) << int(kind);
  }
  ResetWorld();
  TBuildingRecord& gunAgain = PutBuilding(1, BuildingGunTurret, 1, 20, 20);
  EXPECT_EQ(&gunAgain, &gun);

  // The nearest enemy wins; of two at the same distance the lower slot. Own units never count.
  PutUnit(3, UnitLightTank, 1, 20, 21);
  PutUnit(4, UnitLightTank, 2, 22, 20);
  PutUnit(5, UnitLightTank, 2, 18, 20);
  PutUnit(6, UnitLightTank, 2, 26, 20);  // beyond the range of 5
  ASSERT_EQ(FindUnitForGunTurret(gun), 1);
  EXPECT_EQ(gun.TargetSlot, 4);
  EXPECT_EQ(gun.TargetX, 22);
}

TEST_F(TurretsTest, WormsAreHuntedExceptByTurretsOfSideOne) {
  TBuildingRecord& gun = PutBuilding(1, BuildingGunTurret, 1, 20, 20, 0);
  TBuildingRecord& other = PutBuilding(2, BuildingGunTurret, 1, 40, 20, 1);
  CreateWorm(Worms[3], 22, 22, 3);
  CreateWorm(Worms[4], 42, 22, 4);
  ASSERT_EQ(FindWormForTurret(gun), 1);
  EXPECT_EQ(gun.TargetSlot, 3);
  EXPECT_EQ(gun.TargetClass, TargetWorm);
  EXPECT_EQ(FindWormForTurret(other), 0);
  // Through the update: no unit about, so the worm.
  TurretTick(other);
  WorldTickCount += 4;
  TurretTick(gun);
  TurretTick(other);
  EXPECT_EQ(gun.TurretState, TurretEngaging);
  EXPECT_EQ(other.TurretState, TurretIdle);
}

TEST_F(TurretsTest, RocketTurretShootsRocketsFarAndGunShotsNear) {
  TBuildingRecord& t = PutBuilding(1, BuildingRocketTurret, 1, 20, 20);
  for (int d = 1; d <= 7; ++d) {
    WorldTickCount += 100;
    TurretFireAt(t, 20 + d, 20);
    const TShotRecord& s = BuildingShots[d];
    ASSERT_EQ(s.Active, 1) << d;
    EXPECT_EQ(s.WeaponClass, d > 3 ? WeaponRocket : WeaponGun) << d;
    EXPECT_EQ(s.ShotSpeed, d > 3 ? 128 : 64) << d;
  }
  // Beyond the range: the reload goes and the broadcast is sent, but nothing flies.
  WorldTickCount += 100;
  TurretFireAt(t, 28, 20);
  EXPECT_EQ(ActiveShots(BuildingShots), 7);
  EXPECT_EQ(t.LastFireTick, WorldTickCount + 27);
  EXPECT_EQ(Recorded.TurretFires.size(), 8u);
  EXPECT_EQ(Recorded.TurretFires.back(), (std::vector<int>{1, 28, 20}));
  TurretFireAt(t, 22, 20);  // reloading
  EXPECT_EQ(Recorded.TurretFires.size(), 8u);
}

TEST_F(TurretsTest, TurretTurnsFiresAndItsShotHitsOnArrival) {
  TBuildingRecord& gun = PutBuilding(1, BuildingGunTurret, 1, 20, 20);
  TUnitRecord& tank = PutUnit(1, UnitLightTank, 2, 20, 24, StateMove);  // due south
  TickUntilFired(gun);
  ASSERT_EQ(ActiveShots(BuildingShots), 1);
  EXPECT_EQ(gun.TurretFacing, FacingSouth);
  EXPECT_EQ(gun.TargetSlot, 1);
  FlyOut(BuildingShots[1], true);
  EXPECT_EQ(tank.Health, 90);
  EXPECT_EQ(tank.State, StateMove);

  // The target leaves the range: dropped, then idle and searching again.
  tank.Y = 30;
  WorldTickCount += 4;
  TurretTick(gun);
  EXPECT_EQ(gun.TurretState, TurretDropped);
  WorldTickCount += 4;
  TurretTick(gun);
  EXPECT_EQ(gun.TurretState, TurretIdle);
  EXPECT_EQ(gun.TurretEngaged, 0);
}

TEST_F(TurretsTest, TargetThatComesOverToTheOwnerIsDropped) {
  TBuildingRecord& gun = PutBuilding(1, BuildingGunTurret, 1, 20, 20);
  TUnitRecord& tank = PutUnit(1, UnitLightTank, 2, 22, 20, StateMove);
  PutUnit(2, UnitQuad, 2, 24, 20, StateMove);
  TickUntilFired(gun);
  ASSERT_EQ(gun.TargetSlot, 1);
  tank.Owner = 1;  // converted to the turret's side
  WorldTickCount += 4;
  TurretTick(gun);
  EXPECT_EQ(gun.TurretState, TurretDropped);
  // It goes on to the next enemy instead of standing engaged for ever.
  for (int i = 0; i < 20 && gun.TargetSlot != 2; ++i) {
    WorldTickCount += 4;
    TurretTick(gun);
  }
  EXPECT_EQ(gun.TargetSlot, 2);
  EXPECT_EQ(gun.TurretState, TurretEngaging);
}

TEST_F(TurretsTest, ArrivingShotActsOnlyForALiveTurretOrPalace) {
  TBuildingRecord& gun = PutBuilding(1, BuildingGunTurret, 1, 20, 20);
  TUnitRecord& tank = PutUnit(1, UnitLightTank, 2, 22, 20, StateMove);
  gun.TargetClass = TargetUnit;
  gun.TargetSlot = 1;
  ProjectileHit(gun);
  EXPECT_EQ(tank.Health, 90);
  NetRole = RoleClient;
  ProjectileHit(gun);
  EXPECT_EQ(tank.Health, 90);
  NetRole = RoleSingle;

  // The turret is destroyed while its shot flies and a refinery takes the slot.
  TurretFireAt(gun, 22, 20);
  ASSERT_EQ(BuildingShots[1].Active, 1);
  RemoveBuilding(gun);
  PutBuilding(1, BuildingRefinery, 2, 30, 30);
  Buildings[1].TargetClass = TargetUnit;
  Buildings[1].TargetSlot = 1;
  FlyOut(BuildingShots[1], true);
  EXPECT_EQ(BuildingShots[1].Active, 0);
  EXPECT_EQ(tank.Health, 90);
}

TEST_F(TurretsTest, PalaceMissilePercentFollowsTheDraw) {
  // Seven draws of equal chance: 51 three times, 60 and 70 twice each.
  const int percents[7] = {51, 60, 60, 51, 70, 51, 70};
  bool seen[7] = {};
  for (std::uint32_t seed = 1; seed <= 80; ++seed) {
    ResetWorld();
    Randomize(seed);
    const int draw = Random(7);
    Randomize(seed);
    TBuildingRecord& palace = PutBuilding(1, BuildingPalace, 1, 5, 5);
    TUnitRecord& tank = PutUnit(1, UnitSiegeTank, 2, 20, 23);
    palace.TargetX = 20;
    palace.TargetY = 20;
    ProjectileHit(palace);
    EXPECT_EQ(tank.Health, 200 - 2 * percents[draw]) << "seed " << seed;
    seen[draw] = true;
  }
  for (int d = 0; d < 7; ++d) EXPECT_TRUE(seen[d]) << d;
}

TEST_F(TurretsTest, PalaceMissileHurtsEverythingWithinThreeTilesOwnBuildingsToo) {
  for (std::uint32_t seed = 1; seed <= 8; ++seed) {
    ResetWorld();
    Randomize(seed);
    TBuildingRecord& palace = PutBuilding(1, BuildingPalace, 1, 5, 5);
    TBuildingRecord& own = PutBuilding(2, BuildingRadar, 1, 22, 22);    // nearest tile (22, 22)
    TBuildingRecord& enemy = PutBuilding(3, BuildingRadar, 2, 17, 17);  // nearest (18, 18)
    TBuildingRecord& far = PutBuilding(4, BuildingRadar, 2, 24, 20);
    TUnitRecord& tank = PutUnit(1, UnitSiegeTank, 2, 20, 23);
    TUnitRecord& plane = PutUnit(2, UnitSkeltrel, 2, 20, 20);
    palace.TargetX = 20;
    palace.TargetY = 20;
    ProjectileHit(palace);
    const int percent = (300 - own.Health) / 3;
    EXPECT_TRUE(percent == 51 || percent == 60 || percent == 70) << percent;
    EXPECT_EQ(enemy.Health, own.Health);
    EXPECT_EQ(far.Health, 300);
    EXPECT_EQ(tank.Health, 200 - 2 * percent);
    EXPECT_EQ(plane.Health, 100);
  }
}

}  // namespace
