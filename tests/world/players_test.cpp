#include <cstring>

#include "tests/world/players_fixture.h"

namespace players_test {
namespace {

TEST_F(PlayersTest, FreshRecordStartsEveryClockFromNowAndWavesByGoal) {
  WorldTickCount = 5000;
  TPlayerRecord p;
  InitPlayerRecord(p, 3, 2, 1234);
  EXPECT_EQ(p.Credits, 1234);
  EXPECT_EQ(p.Number, 3);
  EXPECT_EQ(p.Side, 2);
  EXPECT_EQ(p.LastBaseAlarm, 5000 - 540);
  EXPECT_EQ(p.LastUnitAttack, 5000);
  EXPECT_EQ(p.ReplacementReady, 1);
  EXPECT_EQ(p.CarrierHome, 1);
  EXPECT_EQ(p.NextThink, 5036);
  EXPECT_EQ(p.NextDestroyedCheck, 5090);
  EXPECT_EQ(p.SpareTimer, 5180);
  for (const auto& e : p.Roster) EXPECT_EQ(e.Free, 1);
  for (const auto& e : p.AttackList) EXPECT_EQ(e.Free, 1);
  for (const auto& e : p.DefenceList) EXPECT_EQ(e.Free, 1);
  EXPECT_EQ(p.AttackInterval, 1080);
  EXPECT_EQ(p.NextAttack, 5000 + 2160);
  EXPECT_EQ(p.WaveSizeBase, 2);

  Mission.GoalType = GoalSurvive30;
  InitPlayerRecord(p, 3, 2, 0);
  EXPECT_EQ(p.AttackInterval, 810);
  EXPECT_EQ(p.NextAttack, 5000 + 1080);
  EXPECT_EQ(p.WaveSizeBase, 10);
}

TEST_F(PlayersTest, ColourNames) {
  EXPECT_EQ(PlayerColourName(0), "Красный"_cp1251);
  EXPECT_EQ(PlayerColourName(4), "Светло-красный"_cp1251);
  EXPECT_EQ(PlayerColourName(8), "Чёрный"_cp1251);
  EXPECT_TRUE(PlayerColourName(9).empty());
  EXPECT_TRUE(PlayerColourName(-1).empty());
}

TEST_F(PlayersTest, StatisticsFollowTheWorld) {
  Put(5, UnitLightTank, Computer, 10, 10);
  Build(3, BuildingPowerPlant, Computer, 20, 20);
  Build(4, BuildingSlab, Computer, 30, 30);
  EXPECT_EQ(Cpu().UnitsMade, 1);
  EXPECT_EQ(Cpu().BuildingsMade, 1);  // slabs do not count
}

TEST_F(PlayersTest, ComputerUnitsJoinTheRosterOnceAndOnlyCombatUnits) {
  Put(5, UnitLightTank, Computer, 10, 10);
  EXPECT_EQ(RosterCount(Cpu(), 5), 1);
  RegisterComputerUnit(Cpu(), 5);
  EXPECT_EQ(RosterCount(Cpu(), 5), 1);  // never twice

  Put(6, UnitHarvester, Computer, 11, 10);
  Put(7, UnitCarrier, Computer, 12, 10);
  Put(8, UnitConstructionVehicle, Computer, 13, 10);
  Put(9, UnitLightTank, Human, 14, 10);
  for (int s : {6, 7, 8, 9}) {
    RegisterComputerUnit(Cpu(), s);
    EXPECT_EQ(RosterCount(Cpu(), s), 0) << s;
  }
  // The local player has no roster.
  EXPECT_EQ(CountInUse(Players[Human].Roster), 0);

  // ForgetUnit on a harvester changes nothing; on a listed unit it clears every list.
  const TPlayerRecord before = Cpu();
  ForgetUnit(Cpu(), 6);
  EXPECT_EQ(0, std::memcmp(&before, &Cpu(), sizeof before));
  Cpu().DefenceList[3] = TPlayerListEntry{0, 0, {}, 5};
  ForgetUnit(Cpu(), 5);
  EXPECT_EQ(RosterCount(Cpu(), 5), 0);
  EXPECT_EQ(Cpu().DefenceList[3].Free, 1);
}

TEST_F(PlayersTest, ListsDropUnitsThatDiedOrChangedHands) {
  Put(5, UnitLightTank, Computer, 10, 10);
  Put(6, UnitSiegeTank, Computer, 11, 10);
  Put(7, UnitQuad, Computer, 12, 10);
  // 5 died without word reaching the lists; 6 now serves player 1.
  RemoveUnit(Units[5]);
  Units[6].Owner = Human;
  EXPECT_EQ(TakeRosterUnit(Cpu()), 7);
  EXPECT_EQ(CountInUse(Cpu().Roster), 0);
  EXPECT_EQ(TakeRosterUnit(Cpu()), 0);
}

TEST_F(PlayersTest, ConversionMovesTheUnitBetweenRostersAndBack) {
  TUnitRecord& tank = Put(5, UnitLightTank, Computer, 10, 10);
  Players[3] = TPlayerRecord{};
  InitPlayerRecord(Players[3], 3, 2, 0);
  Mission.PlayerCount = 3;
  ConvertUnit(tank, 2, 3);
  EXPECT_EQ(RosterCount(Cpu(), 5), 0);
  EXPECT_EQ(RosterCount(Players[3], 5), 1);

  // At expiry it returns to player 2, listed there once.
  WorldTickCount = tank.ConversionExpiry;
  UpdateUnit(tank);
  EXPECT_EQ(tank.Owner, Computer);
  EXPECT_EQ(RosterCount(Cpu(), 5), 1);
  // Player 3's stale entry is not handed out.
  EXPECT_EQ(TakeRosterUnit(Players[3]), 0);
}

TEST_F(PlayersTest, BasePointsBesideTheFirstFourBarracks) {
  for (int i = 0; i < 5; ++i) Build(10 + i, BuildingBarracks, Computer, 2 + 8 * i, 40);
  EXPECT_EQ(Cpu().BasePointCount, 4);
  EXPECT_EQ(Cpu().BasePoints[1].X, 5);
  EXPECT_EQ(Cpu().BasePoints[1].Y, 40);
  EXPECT_EQ(Cpu().BasePoints[4].X, 2 + 24 + 3);
  DestroyBuilding(Buildings[10]);
  EXPECT_EQ(Cpu().BasePoints[1].X, 10 + 3);
}

TEST_F(PlayersTest, NewUnitsGoToTheNearestFreeGatheringTile) {
  // Without barracks a new unit stays where it was made.
  TUnitRecord& first = Put(5, UnitLightTank, Computer, 20, 20);
  EXPECT_EQ(first.DestX, 20);
  EXPECT_EQ(first.DestY, 20);

  Build(10, BuildingBarracks, Computer, 10, 10);  // base point (13, 10)
  TUnitRecord& a = Put(6, UnitLightTank, Computer, 30, 11);
  EXPECT_EQ(a.State, StateMove);
  EXPECT_EQ(a.DestX, 24);  // the far block's last column, nearest to x 30
  EXPECT_EQ(a.DestY, 11);
  // The next one does not pick the tile that the first one claimed.
  TUnitRecord& b = Put(7, UnitLightTank, Computer, 30, 11);
  EXPECT_EQ(b.DestX, 24);
  EXPECT_EQ(b.DestY, 10);
}

TEST_F(PlayersTest, NetworkPlayerWithNothingLeftIsOut) {
  PlayerConnections[Computer].Side = 1;
  Put(5, UnitLightTank, Computer, 10, 10);
  NetRole = RoleServer;
  WorldTickCount = Cpu().NextDestroyedCheck;
  PlayerTick(Cpu());
  EXPECT_EQ(Cpu().Destroyed, 0);
  RemoveUnit(Units[5]);
  PlayerTick(Cpu());  // not due yet
  EXPECT_EQ(Cpu().Destroyed, 0);
  WorldTickCount += 90;
  PlayerTick(Cpu());
  EXPECT_EQ(Cpu().Destroyed, 1);
  ASSERT_EQ(Sent.Chat.size(), 1u);
  EXPECT_EQ(Sent.Chat[0], "Синий игрок уничтожен!"_cp1251);
  PlayerConnections[Computer].Side = SeatWithoutSide;
}

}  // namespace
}  // namespace players_test
