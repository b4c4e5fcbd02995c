#include "tests/world/players_fixture.h"

namespace players_test {
namespace {

TEST_F(PlayersTest, UnitAlarmOncePer540TicksWithBattleMusicForTheLocalPlayer) {
  TUnitRecord& mine = Put(5, UnitLightTank, Human, 10, 10);
  Put(6, UnitLightTank, Computer, 12, 10);
  UnitAttacked(Players[Human], mine.Slot, 6, 0);
  EXPECT_EQ(Players[Human].UnitAlarmRaised, 1);
  EXPECT_EQ(Sent.StopMusic, 1);
  WorldTickCount += 100;
  UnitAttacked(Players[Human], mine.Slot, 6, 0);
  EXPECT_EQ(Sent.StopMusic, 1);
  // Lowered 540 ticks after the last attack; raised again only 540 after the last alarm.
  WorldTickCount += 539;
  UnitAlarmTimeout(Players[Human]);
  EXPECT_EQ(Players[Human].UnitAlarmRaised, 1);
  WorldTickCount += 1;
  UnitAlarmTimeout(Players[Human]);
  EXPECT_EQ(Players[Human].UnitAlarmRaised, 0);
  UnitAttacked(Players[Human], mine.Slot, 6, 0);
  EXPECT_EQ(Sent.StopMusic, 2);
}

TEST_F(PlayersTest, BaseAlarmOnlyFromAnotherPlayersAttacker) {
  TBuildingRecord& yard = Build(3, BuildingConstructionYard, Human, 10, 10);
  Put(5, UnitLightTank, Human, 14, 10);
  AlertEnemyInBase(Players[Human], 5, yard.Slot, 0);
  EXPECT_EQ(Players[Human].BaseAlarmRaised, 0);
  EXPECT_TRUE(MessageLine.Hidden == 1);

  Put(6, UnitLightTank, Computer, 14, 12);
  AlertEnemyInBase(Players[Human], 6, yard.Slot, 0);
  EXPECT_EQ(Players[Human].BaseAlarmRaised, 1);
  EXPECT_EQ(Line1(), ToFontCodePage("Противник на территории базы!"_cp1251));
  EXPECT_EQ(Sent.StopMusic, 1);
  EXPECT_EQ(yard.RepairOff, 1);  // the human repairs by hand
}

TEST_F(PlayersTest, ComputerSwitchesRepairOnAndKeepsItOn) {
  TBuildingRecord& plant = Build(3, BuildingPowerPlant, Computer, 10, 10);
  Put(6, UnitLightTank, Human, 14, 12);
  AlertEnemyInBase(Cpu(), 6, plant.Slot, 0);
  EXPECT_EQ(plant.RepairOff, 0);
  AlertEnemyInBase(Cpu(), 6, plant.Slot, 0);
  EXPECT_EQ(plant.RepairOff, 0);
  // A server tells a remote player in text.
  NetRole = RoleServer;
  Cpu().BaseAlarmRaised = 0;
  WorldTickCount += 540;
  AlertEnemyInBase(Cpu(), 6, plant.Slot, 0);
  ASSERT_EQ(Sent.PlayerTexts.size(), 1u);
  EXPECT_EQ(Sent.PlayerTexts[0], "Противник на территории базы!"_cp1251);
}

TEST_F(PlayersTest, DefendersLeaveTheRosterAndComeBackWhenTheAttackerLeaves) {
  Build(3, BuildingConstructionYard, Computer, 10, 10);
  Put(5, UnitLightTank, Computer, 20, 20);
  Put(6, UnitSiegeTank, Computer, 21, 20);
  TUnitRecord& enemy = Put(7, UnitLightTank, Human, 12, 14);
  AlertEnemyInBase(Cpu(), 7, 3, 0);
  EXPECT_EQ(Cpu().DefenceActive, 1);
  EXPECT_EQ(CountInUse(Cpu().DefenceList), 2);
  EXPECT_EQ(CountInUse(Cpu().Roster), 0);
  EXPECT_EQ(Units[5].State, StateAttack);
  EXPECT_EQ(Units[5].TargetSlot, 7);

  // Exactly 30 tiles from the yard's anchor still counts as in the base.
  enemy.X = 10;
  enemy.Y = 40;
  DefenceTick(Cpu());
  EXPECT_EQ(Cpu().DefenceActive, 1);
  enemy.Y = 41;
  DefenceTick(Cpu());
  EXPECT_EQ(Cpu().DefenceActive, 0);
  EXPECT_EQ(CountInUse(Cpu().DefenceList), 0);
  EXPECT_EQ(RosterCount(Cpu(), 5), 1);
  EXPECT_EQ(RosterCount(Cpu(), 6), 1);
}

TEST_F(PlayersTest, WithoutAnIdleDefenderAHarvesterRunsInfantryOver) {
  Build(3, BuildingConstructionYard, Computer, 10, 10);
  TUnitRecord& h = Put(5, UnitHarvester, Computer, 20, 20);
  Put(7, UnitInfantryman, Human, 12, 14);
  AlertEnemyInBase(Cpu(), 7, 3, 0);
  EXPECT_EQ(h.State, StateMove);
  EXPECT_EQ(h.DestX, 12);
  EXPECT_EQ(h.DestY, 14);
}

class WaveTest : public PlayersTest {
 protected:
  void SetUp() override {
    PlayersTest::SetUp();
    Build(3, BuildingConstructionYard, Human, 40, 40);
    Build(4, BuildingBarracks, Computer, 4, 4);
    Cpu().Credits = 6000;
    WorldTickCount = Cpu().NextAttack;
  }
  static void Army(int n) {
    for (int i = 0; i < n; ++i) Put(20 + i, UnitLightTank, Computer, 4 + i % 10, 20 + i / 10);
  }
};

TEST_F(WaveTest, SmallWaveAndTheIntervalGrows) {
  Army(5);
  LaunchAttackWave(Cpu());
  const int taken = CountInUse(Cpu().AttackList);
  EXPECT_GE(taken, 1);
  EXPECT_LE(taken, 2);
  EXPECT_EQ(Cpu().WaveActive, 1);
  EXPECT_EQ(Cpu().WaveTargetBuilding, 3);
  EXPECT_EQ(Cpu().WaveSizeBase, 3);
  EXPECT_EQ(Cpu().AttackInterval, 1080 + 18);
  EXPECT_GE(Cpu().NextAttack, WorldTickCount + 1080 - 540);
  EXPECT_LE(Cpu().NextAttack, WorldTickCount + 1080 + 540);
  for (const auto& e : Cpu().AttackList)
    if (e.Free == 0) {
      EXPECT_EQ(Units[e.Unit].State, StateAttack);
    }
}

TEST_F(WaveTest, LargestWaveAndSurvivalMissionsKeepTheirPace) {
  Mission.GoalType = GoalSurvive30;
  Army(80);
  Cpu().WaveSizeBase = 70;
  Cpu().AttackInterval = 810;
  LaunchAttackWave(Cpu());
  const int taken = CountInUse(Cpu().AttackList);
  EXPECT_GE(taken, 35);
  EXPECT_LE(taken, 70);
  EXPECT_EQ(Cpu().WaveSizeBase, 70);
  EXPECT_EQ(Cpu().AttackInterval, 810);
}

TEST_F(WaveTest, PoorPlayerFiresItsPalaceButSendsNoWave) {
  Army(5);
  Cpu().Credits = 4999;
  TBuildingRecord& palace = Build(5, BuildingPalace, Computer, 10, 4);
  palace.Side = 0;
  palace.LastFireTick = WorldTickCount;
  LaunchAttackWave(Cpu());
  EXPECT_GT(palace.LastFireTick, WorldTickCount);
  EXPECT_EQ(CountInUse(Cpu().AttackList), 0);
  EXPECT_EQ(Cpu().WaveActive, 0);
}

TEST_F(WaveTest, NoBarracksNoTargetNoWave) {
  Army(5);
  DestroyBuilding(Buildings[4]);
  LaunchAttackWave(Cpu());
  EXPECT_EQ(Cpu().WaveActive, 0);
}

TEST_F(WaveTest, WaveDropsDeserterAndTurnsOnAnAttacker) {
  Army(2);
  Cpu().WaveSizeBase = 4;
  Randomize(3);
  LaunchAttackWave(Cpu());
  ASSERT_EQ(CountInUse(Cpu().AttackList), 2);
  // One wave unit changes hands; the other is shot at by a human tank.
  Units[20].Owner = Human;
  TUnitRecord& shooter = Put(30, UnitLightTank, Human, 30, 30);
  UnitAttacked(Cpu(), 21, shooter.Slot, 0);
  EXPECT_EQ(Cpu().WaveTarget, 30);
  EXPECT_EQ(Cpu().WaveTargetIsBuilding, 0);
  EXPECT_EQ(Units[21].TargetSlot, 30);
  EXPECT_EQ(CountInUse(Cpu().AttackList), 1);
  // With the attacker gone the wave goes back to the building.
  RemoveUnit(shooter);
  AttackWaveTick(Cpu());
  EXPECT_EQ(Cpu().WaveTarget, 3);
  EXPECT_EQ(Units[21].TargetClass, TargetBuilding);
  // Past its time the wave ends.
  WorldTickCount = Cpu().NextAttack + 1;
  AttackWaveTick(Cpu());
  EXPECT_EQ(Cpu().WaveActive, 0);
}

}  // namespace
}  // namespace players_test
