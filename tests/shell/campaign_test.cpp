// Whole missions playing themselves: the computer players harvest, build, produce and attack,
// worms hunt, and the same seed gives the same world, with or without a save and load between.
#include <gtest/gtest.h>

#include <vector>

#include "tests/common/sanitizers.h"
#include "tests/shell/campaign_world.h"

namespace {

using namespace campaign_world;

constexpr std::uint32_t Seed = 20261208;

class CampaignTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FreshProgram(Seed);
    WriteMissionFiles();
    FreshProgram(Seed);
    StartMissionFromFiles();
    Randomize(Seed);
  }
  void TearDown() override {
    ClearMissionWorld();
    WorldTickCount = 0;
    WorldClockCalls = DefaultWorldClockCalls;
    ResetHooks();
  }
  TGameFolder folder_{"test"};
};

// Meals: a worm's prey that is gone after the worm's step.
int Meals = 0;
void CountingWormTick(TWormRecord& w) {
  const int prey = w.Prey;
  const bool live = TUnitTable::InRange(prey) && Units[prey].Free == 0;
  WormTick(w);
  if (live && Units[prey].Free != 0) ++Meals;
}

int LiveUnits(std::uint8_t owner, std::uint8_t kind = 255) {
  int n = 0;
  for (const TUnitRecord& u : Units)
    if (u.Free == 0 && u.Owner == owner && (kind == 255 || u.Kind == kind)) ++n;
  return n;
}

int LiveBuildings(std::uint8_t owner) {
  int n = 0;
  for (const TBuildingRecord& b : Buildings)
    if (b.Free == 0 && b.Owner == owner) ++n;
  return n;
}

TEST_F(CampaignTest, ScenarioStartsTheWorldItDescribes) {
  EXPECT_EQ(GameScreen, 0);
  EXPECT_EQ(Mission.PlayerCount, 3);
  EXPECT_EQ(Players[2].Credits, 20000);
  EXPECT_EQ(Players[1].Side, 1);
  EXPECT_EQ(LiveBuildings(1), 4);
  EXPECT_EQ(LiveBuildings(2), 9);
  EXPECT_EQ(LiveUnits(2, UnitHarvester), 2);
  EXPECT_EQ(LiveUnits(3), 6);
  EXPECT_EQ(Worms[1].Removed, 0);
  EXPECT_EQ(OssinFields[1].Free, 0);
}

// Computer players do not erect buildings: they produce from the ones they have. The attack
// waves go for the idle local player's base, which falls.
TEST_F(CampaignTest, HalfAnHourOfComputerPlay) {
  const TPlayerRecord start2 = Players[2], start3 = Players[3];
  Meals = 0;
  WorldClockCalls.WormTick = CountingWormTick;
  int wavesSeen[4] = {};
  std::uint8_t waveWas[4] = {};
  for (std::int32_t t = 0; t < HalfHourTicks; ++t) {
    Step(1);
    for (int p = 2; p <= 3; ++p) {
      if (Players[p].WaveActive != 0 && waveWas[p] == 0) ++wavesSeen[p];
      waveWas[p] = Players[p].WaveActive;
    }
  }
  for (int p = 2; p <= 3; ++p) {
    SCOPED_TRACE(p);
    const TPlayerRecord& now = Players[p];
    const TPlayerRecord& was = p == 2 ? start2 : start3;
    EXPECT_GT(now.ResourceDelivered, was.ResourceDelivered + 5000) << "harvesters stopped early";
    EXPECT_GT(now.UnitsMade, was.UnitsMade + 10) << "little produced";
    EXPECT_GT(wavesSeen[p], 0) << "no attack wave";
    EXPECT_EQ(now.Destroyed, 0);
    EXPECT_EQ(LiveBuildings(static_cast<std::uint8_t>(p)), 9);
  }
  EXPECT_GT(Players[2].BuildingsDestroyed + Players[3].BuildingsDestroyed, 0);
  EXPECT_EQ(LiveBuildings(1), 0) << "the waves left the idle base standing";
  EXPECT_GE(Meals, 2) << "the worms ate nothing";
  EXPECT_EQ(WorldTickCount, HalfHourTicks);
}

TEST_F(CampaignTest, SameSeedSameWorldByteForByte) {
  const std::int32_t ticks = testsan::Sanitized ? 10 * TicksPerMinute : HalfHourTicks;
  Step(ticks);
  const std::vector<std::uint8_t> first = WorldBytes();

  FreshProgram(Seed);
  StartMissionFromFiles();
  Randomize(Seed);
  Step(ticks);
  EXPECT_TRUE(first == WorldBytes());
}

TEST_F(CampaignTest, LoadedGameContinuesAsTheUnsavedOne) {
  // The save file keeps no random state: both runs are re-seeded at the save point.
  Step(10 * TicksPerMinute);
  ASSERT_TRUE(SaveGame("ten.sav"));
  Randomize(Seed + 1);
  Step(10 * TicksPerMinute);
  const std::vector<std::uint8_t> unsaved = WorldBytes();

  FreshProgram(Seed + 2);
  StartMissionFromFiles();  // a different game running when the save is loaded
  Step(100);
  ASSERT_TRUE(LoadGame("ten.sav"));
  GameScreen = 0;
  ResumeLoadedGame();
  EXPECT_EQ(WorldTickCount, 10 * TicksPerMinute);
  Randomize(Seed + 1);
  Step(10 * TicksPerMinute);
  EXPECT_TRUE(unsaved == WorldBytes());
}

}  // namespace
