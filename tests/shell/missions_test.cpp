// Every mission of the campaign started the way the briefing's begin button starts it, then ten
// minutes of game time with the computer players at work. One test per mission, so that each
// fits its time limit under the sanitizers too.
#include <gtest/gtest.h>

#include "tests/shell/campaign_world.h"
#include "game/menus/dmenus.h"

using namespace zarn;
namespace fs = std::filesystem;

namespace {

int Decided = 0;
void CountDecision() { ++Decided; }

struct TCampaignMission {
  int Side, Number;
};

class MissionsTest : public ::testing::TestWithParam<TCampaignMission> {
 protected:
  void SetUp() override { campaign_world::CopyCampaignFiles(fs::path(ZARN_BINARY_DIR) / "game"); }
  void TearDown() override {
    campaign_world::ClearWorld();
    ListBoxFree(FileListBox);
    WorldClockCalls = DefaultWorldClockCalls;
    ResetHooks();
  }
  campaign_world::TGameFolder folder_{"missions"};
};

TEST_P(MissionsTest, LoadsAndRunsTenMinutes) {
  const auto [side, m] = GetParam();
  campaign_world::FreshProgram(static_cast<std::uint32_t>(1000 * side + m));
  OpenVictoryProc = CountDecision;
  OpenDefeatProc = CountDecision;
  Players[1].Side = static_cast<std::uint8_t>(side);
  Mission.MissionNumber = m;
  StartMission();
  ASSERT_EQ(GameScreen, ScreenMissionStart);
  EXPECT_EQ(Mission.GoalType, CampaignGoal(m));
  ASSERT_GE(Mission.PlayerCount, 2);
  StartGame();
  ASSERT_EQ(GameScreen, ScreenPlay);
  Decided = 0;
  // No mission is decided at its first goal test.
  campaign_world::Step(MissionGoalPeriod);
  EXPECT_EQ(Decided, 0);
  campaign_world::Step(10 * campaign_world::TicksPerMinute - MissionGoalPeriod);
  for (int p = 2; p <= Mission.PlayerCount; ++p) EXPECT_EQ(Players[p].Destroyed, 0) << "player " << p;
}

std::vector<TCampaignMission> AllMissions() {
  std::vector<TCampaignMission> all;
  for (int side : {1, 2, 0})
    for (int m = 1; m <= CampaignMissions; ++m) all.push_back({side, m});
  return all;
}

// Named by the mission's scenario file: "atr3.scn" gives atr3.
INSTANTIATE_TEST_SUITE_P(Campaign, MissionsTest, ::testing::ValuesIn(AllMissions()),
                         [](const ::testing::TestParamInfo<TCampaignMission>& info) {
                           const std::string file = CampaignScenarioName(info.param.Side, info.param.Number);
                           return file.substr(0, file.find('.'));
                         });

}  // namespace
