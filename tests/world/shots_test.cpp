#include <gtest/gtest.h>


#include "tests/world/combat_world.h"

using namespace combat_test;

namespace {

class ShotsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWorld(); }
  void TearDown() override { ResetWorld(); }
};

TEST_F(ShotsTest, FlightFromOneTileToAnotherTakesItsStepsAndSound) {
  FireUnitShot(1, 1, 5, 1, UnitTrike, WeaponGun, 0, 7, 16, 64);
  const TShotRecord& s = UnitShots[1];
  ASSERT_EQ(s.Active, 1);
  // 64 pixels at speed 64: f = 18.2, ten steps for a gun (nine and one extra).
  EXPECT_NEAR(s.DirX, 64 / 18.2, 1e-4);
  EXPECT_NEAR(s.DirX, 3.5165, 1e-4);
  EXPECT_EQ(s.DirY, 0.0f);
  EXPECT_EQ(s.Steps, 10);
  EXPECT_EQ(s.StepCount, 0);
  EXPECT_EQ(s.StepLength, 2);
  EXPECT_EQ(s.StepInterval, 1);
  EXPECT_EQ(s.NextStepTick, TickCount);
  EXPECT_EQ(s.ShotFacing, FacingEast);
  EXPECT_EQ(s.AimX, 64);
  EXPECT_EQ(s.AimY, 0);
  EXPECT_EQ(s.Shooter, 7);
  EXPECT_EQ(Recorded.Waves, std::vector<int>{60});  // the trike's gun: weapon sound 1

  // Classes 1, 2 and 5 fly two steps longer only from a Perwolan; building shots never do.
  FireUnitShot(1, 1, 5, 1, UnitPerwolan, WeaponMissile, 0, 7, 16, 160);
  FireUnitShot(1, 1, 5, 1, UnitRocketLauncher, WeaponMissile, 0, 7, 16, 160);
  EXPECT_EQ(UnitShots[2].Steps, UnitShots[3].Steps + 2);
  FireBuildingShot(1, 1, 5, 1, BuildingGunTurret, WeaponGun, 0, 5, 3, 16, 64);
  EXPECT_EQ(BuildingShots[1].Steps, 9);
  EXPECT_EQ(BuildingShots[1].ShotFacing, 5);  // the turret's aim

  // A moving target shifts the aim by its step.
  FireUnitShot(1, 1, 5, 1, UnitTrike, WeaponGun, FacingSouth, 7, 6, 64);
  EXPECT_EQ(UnitShots[4].AimY, 6);
}

TEST_F(ShotsTest, ReloadIsSpentOutOfRangeAndWhenEveryShotSlotIsTaken) {
  TUnitRecord& tank = PutUnit(1, UnitLightTank, 1, 10, 10);
  PutUnit(2, UnitTrike, 2, 20, 10);
  tank.TargetSlot = 2;
  FireAt(tank, 20, 10);  // 10 tiles: beyond the range of 4
  EXPECT_GE(tank.NextFireTick, WorldTickCount + 36);
  EXPECT_LE(tank.NextFireTick, WorldTickCount + 37);
  EXPECT_EQ(ActiveShots(UnitShots), 0);
  ASSERT_EQ(Recorded.FireAts.size(), 1u);  // announced all the same
  EXPECT_EQ(Recorded.FireAts[0], (std::vector<int>{1, 20, 10}));

  // Reloading: nothing, not even the announcement.
  FireAt(tank, 12, 10);
  EXPECT_EQ(Recorded.FireAts.size(), 1u);

  // All 150 slots busy: the reload goes, no shot comes.
  for (TShotRecord& s : UnitShots) s.Active = 1;
  WorldTickCount = tank.NextFireTick;
  FireAt(tank, 12, 10);
  EXPECT_GE(tank.NextFireTick, WorldTickCount + 36);
  EXPECT_EQ(Recorded.FireAts.size(), 2u);
  EXPECT_TRUE(Recorded.Waves.empty());

  // The launcher cannot fire at 3 tiles or nearer, yet its reload is gone.
  TUnitRecord& launcher = PutUnit(3, UnitRocketLauncher, 1, 30, 30);
  FireAt(launcher, 33, 30);
  EXPECT_EQ(Recorded.FireAts.size(), 3u);
  EXPECT_GT(launcher.NextFireTick, WorldTickCount);
}

TEST_F(ShotsTest, TargetOffsetComesOnlyFromALiveUnitAndBeforeAClientClearsTheTarget) {
  TUnitRecord& tank = PutUnit(1, UnitLightTank, 1, 10, 10);
  TUnitRecord& prey = PutUnit(2, UnitTrike, 2, 13, 10);
  prey.Facing = FacingEast;
  prey.StepProgress = 8;
  tank.TargetClass = TargetUnit;
  tank.TargetSlot = 2;
  NetRole = RoleClient;
  FireAt(tank, 13, 10);
  EXPECT_EQ(UnitShots[1].AimX, 12 * 16 + 8);  // the target's drawn position
  EXPECT_EQ(tank.TargetSlot, 0);              // the server alone deals damage

  // A building slot far past the unit table aims at the tile and throws nothing.
  NetRole = RoleSingle;
  WorldTickCount = tank.NextFireTick;
  tank.TargetClass = TargetBuilding;
  tank.TargetSlot = 2500;
  EXPECT_NO_THROW(FireAt(tank, 13, 10));
  EXPECT_EQ(UnitShots[2].AimX, 12 * 16);
  // A dead unit target aims at the tile too.
  WorldTickCount = tank.NextFireTick;
  tank.TargetClass = TargetUnit;
  tank.TargetSlot = 2;
  RemoveUnit(prey);
  FireAt(tank, 13, 10);
  EXPECT_EQ(UnitShots[3].AimX, 12 * 16);
}

TEST_F(ShotsTest, LandingHitsTheShootersCurrentTargetOnlyWhileTheShooterLives) {
  TUnitRecord& tank = PutUnit(1, UnitLightTank, 1, 10, 10);
  TUnitRecord& first = PutUnit(2, UnitSiegeTank, 2, 13, 10, StateMove);
  TUnitRecord& second = PutUnit(3, UnitSiegeTank, 2, 13, 12, StateMove);
  tank.TargetClass = TargetUnit;
  tank.TargetSlot = 2;
  FireAt(tank, 13, 10);
  tank.TargetSlot = 3;  // changed its mind in flight
  FlyOut(UnitShots[1]);
  EXPECT_EQ(UnitShots[1].Active, 0);
  EXPECT_EQ(first.Health, 200);
  EXPECT_EQ(second.Health, 190);

  WorldTickCount = tank.NextFireTick;
  FireAt(tank, 13, 12);
  RemoveUnit(tank);
  FlyOut(UnitShots[1]);
  EXPECT_EQ(second.Health, 190);
}

TEST_F(ShotsTest, StepIntervalChangesInTheUpdateNotInTheDrawing) {
  FireUnitShot(1, 1, 9, 1, UnitSkeltrel, WeaponRocket, 0, 1, 16, 192);
  TShotRecord& s = UnitShots[1];
  while (s.StepCount + 1 < s.Steps) {
    DrawShot(s);
    EXPECT_EQ(s.StepInterval, 1);
    UpdateShot(s);
    TickCount += 1;
  }
  DrawShot(s);
  EXPECT_EQ(s.StepInterval, 1);  // the drawing never touches the timing
  UpdateShot(s);
  EXPECT_EQ(s.StepInterval, 2);
  EXPECT_EQ(s.NextStepTick, TickCount + 2);

  // The Perwolan's beam slows to 8 over its last four steps.
  FireUnitShot(1, 1, 9, 1, UnitPerwolan, WeaponMissile, 0, 1, 16, 160);
  TShotRecord& p = UnitShots[2];
  while (p.StepCount + 4 < p.Steps) {
    UpdateShot(p);
    TickCount += 1;
  }
  EXPECT_EQ(p.StepInterval, 1);
  UpdateShot(p);
  EXPECT_EQ(p.StepInterval, 8);
}

TEST_F(ShotsTest, AShotAimedAtItsOwnStartStaysFinite) {
  FireBuildingShot(5, 5, 5, 5, BuildingPalace, WeaponMissile, 0, 0, 1, 0, 128);
  TShotRecord& s = BuildingShots[1];
  EXPECT_EQ(s.DirX, 0.0f);
  EXPECT_EQ(s.DirY, 0.0f);
  UpdateBuildingShot(s);
  EXPECT_EQ(s.PixelX, 64);
  EXPECT_EQ(s.PixelY, 64);
}

TEST_F(ShotsTest, TremolanWaveHurtsWhatItPassesButNotTremolansNorOnAClient) {
  TUnitRecord& shooter = PutUnit(1, UnitTremolanTank, 1, 10, 10);
  TUnitRecord& own = PutUnit(2, UnitLightTank, 1, 12, 10, StateMove);
  TUnitRecord& twin = PutUnit(3, UnitTremolanTank, 2, 14, 10, StateMove);
  TUnitRecord& far = PutUnit(4, UnitQuad, 2, 16, 10, StateMove);
  shooter.TargetClass = TargetUnit;
  shooter.TargetSlot = 4;
  FireAt(shooter, 16, 10);
  FlyOut(UnitShots[1]);
  EXPECT_EQ(own.Health, 70);   // own objects are not spared
  EXPECT_EQ(twin.Health, 100);  // another Tremolan is
  EXPECT_LE(far.Health, 40);    // hit on the way, and the landing is hit

  // A client leaves the path damage to the server.
  NetRole = RoleClient;
  own.Health = 100;
  WorldTickCount = shooter.NextFireTick;
  FireAt(shooter, 16, 10);
  FlyOut(UnitShots[1]);
  EXPECT_EQ(own.Health, 100);
}

TEST_F(ShotsTest, TremolanWaveSparesEveryAircraftKind) {
  for (std::uint8_t kind : {UnitCarrier, UnitSkeltrel}) {
    ResetWorld();
    TUnitRecord& shooter = PutUnit(1, UnitTremolanTank, 1, 10, 10);
    TUnitRecord& plane = PutUnit(2, kind, 2, 12, 10, StateMove);
    TUnitRecord& ground = PutUnit(3, UnitLightTank, 2, 13, 10, StateMove);
    PutUnit(4, UnitQuad, 2, 16, 10, StateMove);
    shooter.TargetClass = TargetUnit;
    shooter.TargetSlot = 4;
    FireAt(shooter, 16, 10);
    FlyOut(UnitShots[1]);
    EXPECT_EQ(plane.Health, plane.MaxHealth) << int(kind);
    EXPECT_LT(ground.Health, 100) << int(kind);  // the wave did pass that way
  }
}

TEST_F(ShotsTest, ExplosionLifetimesDependOnKindAndGround) {
  // An infantryman's death on sand shows its second frame for 360 ticks.
  CreateExplosion(5, 5, 64, 0, UnitInfantryman, 1, 64);
  TExplosionRecord& e = Explosions[1];
  EXPECT_EQ(e.FrameCount, 2);
  EXPECT_EQ(e.FramePeriod, 360);
  EXPECT_EQ(e.TileX, 5);
  TickCount += 360;
  UpdateExplosion(e);
  EXPECT_EQ(e.Frame, 2);
  TickCount += 359;
  UpdateExplosion(e);
  EXPECT_EQ(e.Free, 0);
  TickCount += 1;
  UpdateExplosion(e);
  UpdateExplosion(e);
  EXPECT_EQ(e.Free, 1);

  // On rock or ground the second frame is never shown.
  for (int cls : {1, 4}) {
    GameMap.Cell(8, 8) = MakeTerrainByte(cls, 0);
    CreateExplosion(8, 8, 7 * 16, 0, UnitInfantrySquad, 1, 7 * 16);
    TExplosionRecord& r = Explosions[1];
    TickCount += 360;
    UpdateExplosion(r);
    EXPECT_EQ(r.Frame, 2);
    UpdateExplosion(r);
    EXPECT_EQ(r.Free, 1) << cls;
  }

  // Vehicles: three (trike) or four (siege tank) frames of 3 ticks.
  CreateExplosion(5, 5, 64, 0, UnitTrike, 1, 64);
  CreateExplosion(5, 5, 64, 0, UnitSiegeTank, 1, 64);
  for (int i = 0; i < 5; ++i, TickCount += 3)
    for (TExplosionRecord& v : Explosions) UpdateExplosion(v);
  EXPECT_EQ(Explosions[1].Free, 1);
  EXPECT_EQ(Explosions[2].Free, 0);
  UpdateExplosion(Explosions[2]);
  EXPECT_EQ(Explosions[2].Free, 1);

  // The Perwolan's death shows nothing and holds no slot; a full table takes nothing more.
  CreateExplosion(5, 5, 64, 0, UnitPerwolan, 1, 64);
  EXPECT_EQ(LiveExplosions(), 0);
  for (int i = 0; i < 51; ++i) CreateExplosion(5, 5, 64, 0, UnitTrike, 1, 64);
  EXPECT_EQ(LiveExplosions(), 50);
}

TEST_F(ShotsTest, SelectionFrameAndSmokeMarkerOfAUnit) {
  TUnitRecord& own = PutUnit(1, UnitLightTank, 1, 3, 3);
  TUnitRecord& other = PutUnit(2, UnitLightTank, 2, 6, 3);
  own.Deselected = 0;
  other.Deselected = 0;
  BackBuffer.fill(0);
  DrawUnit(own);
  DrawUnit(other);
  EXPECT_EQ(BackBuffer[30 * ScreenWidth + 30], 200);  // frame 2 pixels outside the cell
  EXPECT_EQ(BackBuffer[30 * ScreenWidth + 78], 12);

  StartUnitMarker(own.Marker);
  EXPECT_EQ(own.Marker.Hidden, 0);
  EXPECT_EQ(own.Marker.ExpiryTick, TickCount + 180);
  std::vector<int> frames;
  for (int i = 0; i < 4; ++i) {
    TickCount += 3;
    DrawUnitMarker(own);
    frames.push_back(own.Marker.Frame);
  }
  EXPECT_EQ(frames, (std::vector<int>{2, 3, 1, 2}));
  TickCount += 180;
  DrawUnitMarker(own);
  EXPECT_EQ(own.Marker.Hidden, 1);
}

}  // namespace
