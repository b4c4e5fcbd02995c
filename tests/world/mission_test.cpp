#include <gtest/gtest.h>

#include <string>

#include "game/world/dobjects.h"

using namespace zarn;

namespace {

std::string Verdicts;  // 'V' victory, 'D' defeat, in order
void Victory() { Verdicts += 'V'; }
void Defeat() { Verdicts += 'D'; }

class MissionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHooks();
    OpenVictoryProc = Victory;
    OpenDefeatProc = Defeat;
    Verdicts.clear();
    NetRole = RoleSingle;
    LocalPlayer = 1;
    SetMapSizeAndClear(30, 30);
    KillAllUnits();
    DestroyAllBuildings();
    UnitSlots = BuildingSlots = 200;
    Players[1].Credits = 0;
    WorldTickCount = 1280;
  }
  void TearDown() override {
    SetUp();
    ResetHooks();
    Mission.GoalType = GoalCredits2000;
    WorldTickCount = 0;
    SetMapSizeAndClear(64, 64);
  }
  static void Building(int slot, std::uint8_t kind, std::uint8_t owner, int x, int y) {
    InitBuilding(Buildings[slot], x, y, kind, owner, 0, static_cast<std::uint16_t>(slot));
  }
  static void Unit(int slot, std::uint8_t owner, int x, int y) {
    InitUnit(Units[slot], x, y, static_cast<std::uint16_t>(slot), 0, owner, 6);
  }
  // The verdict of one test at the given tick.
  static std::string At(std::int32_t tick, std::int32_t goal) {
    Verdicts.clear();
    WorldTickCount = tick;
    Mission.GoalType = goal;
    CheckMissionGoal(Mission);
    return Verdicts;
  }
};

TEST_F(MissionTest, CreditQuotasTestedOnlyOnEvery128thTick) {
  Players[1].Credits = 1999;
  EXPECT_EQ(At(1280, GoalCredits2000), "");
  Players[1].Credits = 2000;
  EXPECT_EQ(At(1280, GoalCredits2000), "V");  // exactly the quota
  EXPECT_EQ(At(1280, GoalCredits5000), "");
  Players[1].Credits = 10000;
  EXPECT_EQ(At(1280, GoalCredits10000), "V");
  EXPECT_EQ(At(1281, GoalCredits2000), "");
  EXPECT_EQ(At(1407, GoalCredits2000), "");
  EXPECT_EQ(At(1344, GoalCredits2000), "");  // every 64th tick is not enough
  EXPECT_EQ(At(1216, GoalCredits2000), "");
  EXPECT_EQ(At(1408, GoalCredits2000), "V");
  EXPECT_EQ(At(0, GoalCredits2000), "V");
  EXPECT_EQ(At(1408, GoalNone), "");
  EXPECT_EQ(At(1408, 10), "");
  EXPECT_EQ(At(1408, -1), "");
}

TEST_F(MissionTest, WallsAndSlabsAreNoBuildings) {
  Building(1, BuildingWall, 1, 3, 3);
  Building(2, BuildingSlab, 1, 4, 3);
  Building(3, BuildingRadar, 2, 20, 20);
  EXPECT_EQ(At(1280, GoalBuildAcademy), "D");
  EXPECT_EQ(At(1280, GoalSurvive30), "D");
  // Units keep goals 4 to 7 alive, not goal 8.
  Unit(1, 1, 5, 5);
  EXPECT_EQ(At(1280, GoalBuildAcademy), "");
  EXPECT_EQ(At(1280, GoalSurvive30), "D");
  Building(4, BuildingAcademy, 1, 8, 8);
  EXPECT_EQ(At(1280, GoalBuildAcademy), "V");
  EXPECT_EQ(At(1280, GoalBuildRadar), "");  // the enemy's radar is not ours
  Building(5, BuildingRadar, 1, 12, 8);
  EXPECT_EQ(At(1280, GoalBuildRadar), "V");
  // An enemy with only walls has no building left.
  Buildings[3].Kind = BuildingWall;
  EXPECT_EQ(At(1280, GoalKillAllBuildings), "V");
  EXPECT_EQ(At(1280, GoalConquerIn60), "V");
}

TEST_F(MissionTest, EnemyUnitsDecideGoalSix) {
  Unit(1, 1, 5, 5);
  Unit(2, 3, 9, 9);
  EXPECT_EQ(At(1280, GoalKillAllUnits), "");
  RemoveUnit(Units[2]);
  EXPECT_EQ(At(1280, GoalKillAllUnits), "V");
  RemoveUnit(Units[1]);
  EXPECT_EQ(At(1280, GoalKillAllUnits), "D");
}

TEST_F(MissionTest, TimeLimitsCountWholeMinutes) {
  Building(1, BuildingRadar, 1, 3, 3);
  Building(2, BuildingRadar, 2, 20, 20);
  EXPECT_EQ(At(32640, GoalSurvive30), "");  // 29.9 minutes
  EXPECT_EQ(At(32768, GoalSurvive30), "V");  // 30.007 minutes
  EXPECT_FALSE(MinutesElapsed(30) && WorldTickCount < 32760);
  EXPECT_EQ(At(65408, GoalConquerIn60), "");
  EXPECT_EQ(At(65536, GoalConquerIn60), "D");
  // Conquest still wins after the hour.
  RemoveBuilding(Buildings[2]);
  EXPECT_EQ(At(65536 + 128 * 100, GoalConquerIn60), "V");
}

}  // namespace
