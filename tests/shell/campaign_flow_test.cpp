// The campaign played through the window's handlers: the faction choice, the briefing, play,
// victory and defeat with the score, the next or the same mission, and the end of the campaign.
#include <map>

#include "game/base/cp1251.h"
#include "game/shell/dresurse.h"
#include "game/world/mission.h"
#include "tests/shell/game_fixture.h"

using namespace zarn;

namespace {

std::vector<int> Waves;
void RecordSound(std::int32_t, std::int32_t wave) { Waves.push_back(wave); }
int MusicStops = 0;

// What a briefing must say for each goal, written apart from the game's own texts.
const std::map<std::int32_t, std::vector<std::string_view>> GoalWords{
    {GoalCredits2000, {"2000", "кредитов"_cp1251}},
    {GoalCredits5000, {"5000", "кредитов"_cp1251}},
    {GoalCredits10000, {"10000", "кредитов"_cp1251}},
    {GoalBuildAcademy, {"академию"_cp1251}},
    {GoalBuildRadar, {"радар"_cp1251}},
    {GoalKillAllUnits, {"войска"_cp1251}},
    {GoalKillAllBuildings, {"строения"_cp1251}},
    {GoalSurvive30, {"30"}},
    {GoalConquerIn60, {"строения"_cp1251, "60"}},
};
// Numbers that only the goal of their own kind may name.
const std::map<std::string_view, std::int32_t> GoalNumbers{
    {"2000", GoalCredits2000}, {"5000", GoalCredits5000}, {"10000", GoalCredits10000},
    {"30", GoalSurvive30},     {"60", GoalConquerIn60}};

void ExpectBriefingStatesGoal(const std::string& briefing, std::int32_t goal) {
  ASSERT_TRUE(GoalWords.count(goal)) << "goal " << goal;
  for (std::string_view w : GoalWords.at(goal))
    EXPECT_NE(briefing.find(ToFontCodePage(w)), std::string::npos) << "goal " << goal << " lacks " << w;
  for (const auto& [number, owner] : GoalNumbers)
    if (owner != goal) {
      EXPECT_EQ(briefing.find(number), std::string::npos) << "goal " << goal << " names " << number;
    }
  // A money goal tests the credits in hand, not what was mined.
  if (goal >= GoalCredits2000 && goal <= GoalCredits10000) {
    EXPECT_EQ(briefing.find(ToFontCodePage("единиц"_cp1251)), std::string::npos) << "goal " << goal;
  }
}

class CampaignFlowTest : public GameTest {
 protected:
  void StartAndRecord() {
    StartGame();
    Waves.clear();
    PlaySoundProc = RecordSound;
    MusicStops = 0;
    StopMusicProc = [] { ++MusicStops; };
  }
  // The world's goal test on its next period.
  void RunGoalTest() {
    WorldTickCount = (WorldTickCount / MissionGoalPeriod + 1) * MissionGoalPeriod;
    CheckMissionGoal(Mission);
    Pass(2);
  }
  void WinMission() {
    ASSERT_EQ(GameScreen, ScreenPlay);
    Players[1].Credits = 20000;
    const std::int32_t goal = Mission.GoalType;
    Mission.GoalType = GoalCredits2000;  // the test entry: the goal is met at once
    RunGoalTest();
    Mission.GoalType = goal;
  }
  void LoseMission() {
    ASSERT_EQ(GameScreen, ScreenPlay);
    KillAllUnits();
    DestroyAllBuildings();
    Mission.GoalType = GoalKillAllBuildings;
    RunGoalTest();
  }
};

TEST_F(CampaignFlowTest, FactionChoiceBriefingPlayVictoryScoreAndNextMission) {
  StartAndRecord();
  ASSERT_EQ(GameScreen, ScreenMainMenu);
  Click(MainMenuButtons[0]);
  ASSERT_EQ(GameScreen, ScreenFactionChoice);
  // No Esc on the faction choice: a faction is the only way on.
  Key(plat::vk::Escape);
  EXPECT_EQ(GameScreen, ScreenFactionChoice);

  Waves.clear();
  const std::uint64_t before = plat::NowMs();
  Click(FactionButtons[1]);
  EXPECT_GE(plat::NowMs() - before, 2000u) << "the voice's pause";
  EXPECT_EQ(Waves, std::vector<int>{98});
  ASSERT_EQ(GameScreen, ScreenMissionStart);
  EXPECT_EQ(Players[1].Side, 2);
  EXPECT_EQ(ScenarioFileName, "tel1.scn");
  EXPECT_EQ(Mission.MissionNumber, 1);
  ExpectBriefingStatesGoal(ListText(FileListBox), Mission.GoalType);
  EXPECT_NE(ListText(FileListBox).find(ToFontCodePage("Пилот!"_cp1251)), std::string::npos);

  // The left column of the begin button is no part of it.
  Click(104, 176);
  EXPECT_EQ(GameScreen, ScreenMissionStart);
  Click(105, 176);
  ASSERT_EQ(GameScreen, ScreenPlay);

  Players[1].UnitsMade = 1;
  const std::uint64_t won = plat::NowMs();
  WinMission();
  ASSERT_EQ(GameScreen, ScreenVictory);
  EXPECT_GE(plat::NowMs() - won, 5000u) << "the victory voice's pause";
  MusicStops = 0;
  Click(YesButton);
  ASSERT_EQ(GameScreen, ScreenScore);
  EXPECT_EQ(MusicStops, 1) << "the victory music ends with its screen";
  EXPECT_EQ(MissionWon, 1);
  EXPECT_GE(StatsPanel.RowCount, 2) << "a row per player still in the game";
  EXPECT_EQ(StatsPanel.Rows[1].Side, 2);
  // More units live than were made (units taken over): the losses go below zero.
  EXPECT_LT(StatsPanel.Rows[1].Values[StatUnitsLost], 0);
  Click(YesButton);
  ASSERT_EQ(GameScreen, ScreenMissionStart);
  EXPECT_EQ(Mission.MissionNumber, 2);
  EXPECT_EQ(ScenarioFileName, "tel2.scn");
  EXPECT_EQ(Mission.GoalType, GoalBuildRadar);
  ExpectBriefingStatesGoal(ListText(FileListBox), GoalBuildRadar);
}

TEST_F(CampaignFlowTest, EachFactionButtonPicksItsSideVoiceAndScenario) {
  StartAndRecord();
  const struct {
    int Button, Side, Wave;
    const char* Scenario;
  } cases[] = {{0, 1, 96, "alm1.scn"}, {1, 2, 98, "tel1.scn"}, {2, 0, 97, "gor1.scn"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Scenario);
    OpenFactionChoice();
    Waves.clear();
    Click(FactionButtons[static_cast<std::size_t>(c.Button)]);
    EXPECT_EQ(Waves, std::vector<int>{c.Wave});
    EXPECT_EQ(GameScreen, ScreenMissionStart);
    EXPECT_EQ(Players[1].Side, c.Side);
    EXPECT_EQ(ViewState.LocalSide, c.Side);
    EXPECT_EQ(ScenarioFileName, c.Scenario);
  }
}

TEST_F(CampaignFlowTest, DefeatRepeatsTheMissionAndTwelveVictoriesEndWithTheAuthors) {
  StartAndRecord();
  OpenFactionChoice();
  Click(FactionButtons[0]);
  Click(BeginButton);
  WinMission();
  Click(YesButton);
  Click(YesButton);
  ASSERT_EQ(Mission.MissionNumber, 2);
  Click(BeginButton);
  LoseMission();
  ASSERT_EQ(GameScreen, ScreenDefeat);
  Click(YesButton);
  ASSERT_EQ(GameScreen, ScreenScore);
  EXPECT_EQ(MissionWon, 0);
  // Esc on the score makes the button's choice.
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenMissionStart);
  EXPECT_EQ(Mission.MissionNumber, 2);
  EXPECT_EQ(ScenarioFileName, "alm2.scn");

  for (int m = 2; m <= 12; ++m) {
    SCOPED_TRACE(m);
    ASSERT_EQ(Mission.MissionNumber, m);
    ExpectBriefingStatesGoal(ListText(FileListBox), CampaignGoal(m));
    Click(BeginButton);
    WinMission();
    Click(YesButton);
    Click(YesButton);
  }
  EXPECT_EQ(GameScreen, ScreenAuthors);
  EXPECT_FALSE(TextPanel.Lines.empty());
  Click(10, 10);
  EXPECT_EQ(GameScreen, ScreenMainMenu);
}

TEST_F(CampaignFlowTest, AMissingScenarioOrASideWithoutACampaignReturnsToTheMainMenu) {
  StartGame();
  fs::remove(folder / "scenes" / "gor1.scn");
  OpenFactionChoice();
  Click(FactionButtons[2]);
  EXPECT_EQ(GameScreen, ScreenMainMenu);
  ASSERT_EQ(plat::null::MessageBoxes().size(), 1u);
  EXPECT_NE(plat::null::MessageBoxes()[0].text.find("gor1.scn"), std::string::npos);

  plat::null::ClearMessageBoxes();
  Players[1].Side = 7;
  Mission.MissionNumber = 3;
  StartMission();
  EXPECT_EQ(GameScreen, ScreenMainMenu);
  EXPECT_EQ(plat::null::MessageBoxes().size(), 1u);
}

TEST_F(CampaignFlowTest, ThePickedFactionAndMissionHoldWhateverTheScenarioSays) {
  StartGame();
  // A scenario whose player 1 is of another side and whose mission number is another.
  ASSERT_FALSE(LoadScenario("alm4.scn"));
  Players[1].Side = 0;
  Mission.MissionNumber = 9;
  ASSERT_TRUE(SaveScenario("alm3.scn"));
  Players[1].Side = 1;
  Mission.MissionNumber = 3;
  StartMission();
  ASSERT_EQ(GameScreen, ScreenMissionStart);
  EXPECT_EQ(Players[1].Side, 1);
  EXPECT_EQ(Mission.MissionNumber, 3);
  EXPECT_NE(ListText(FileListBox).find(ToFontCodePage("Горвассены близко"_cp1251)), std::string::npos);
}

TEST_F(CampaignFlowTest, ABriefingClickNeverStartsTheGameAndAnEmptyRowDoesNothing) {
  StartGame();
  OpenFactionChoice();
  Click(FactionButtons[0]);
  ASSERT_EQ(GameScreen, ScreenMissionStart);
  // Inside the list's box, below its last line of text.
  Click(100, 140);
  EXPECT_EQ(GameScreen, ScreenMissionStart);
  EXPECT_LT(FileListBox.Selection, FileListBox.Count());
  // A list lying over the button takes the click.
  ListBoxCreate(FileListBox, 33, 100, false);
  ListBoxAdd(FileListBox, "x");
  Click(BeginButton);
  EXPECT_EQ(GameScreen, ScreenMissionStart);
}

TEST_F(CampaignFlowTest, EveryScenarioOfTheCampaignIsBriefedWithItsOwnGoal) {
  StartGame();
  for (int side : {0, 1, 2})
    for (int m = 1; m <= 12; ++m) {
      const std::string name = CampaignScenarioName(side, m);
      SCOPED_TRACE(name);
      ASSERT_FALSE(LoadScenario(name));
      ListBoxCreate(FileListBox, 33, 48, false);
      LoadBriefing(side, m);
      ExpectBriefingStatesGoal(ListText(FileListBox), Mission.GoalType);
      // Every line is read whole: the list cuts what does not fit its width.
      for (const std::string& line : FileListBox.Items)
        EXPECT_EQ(FitText(MainFont, FileListBox.TextWidth, line), line);
    }
}

}  // namespace

namespace {

// The pauses after a faction is picked and before victory or defeat: the clock runs, the sound
// plays on, and what the player pressed meanwhile is dropped.
TEST_F(CampaignFlowTest, WaitSecondsRunsOnTheClockAndDropsQueuedInput) {
  StartGame();
  ASSERT_EQ(GameScreen, ScreenMainMenu);
  plat::null::ClearAudioCapture();
  VoiceFaction0();
  plat::null::InjectClick(FormId(), 2 * 242, 2 * 74);  // new game
  plat::null::InjectKeyDown(FormId(), plat::vk::Escape);  // would end the program
  const std::uint64_t before = plat::NowMs();
  WaitSeconds(2);
  EXPECT_GE(plat::NowMs() - before, 2000u);
  EXPECT_LT(plat::NowMs() - before, 2100u);
  EXPECT_GE(plat::null::AudioCapture().size(), 2u * plat::AudioRate() * 19 / 10) << "the sound stopped";
  Pass(3);
  EXPECT_EQ(GameScreen, ScreenMainMenu);
  EXPECT_FALSE(plat::Terminated());
  // Input after the wait arrives as ever.
  Click(MainMenuButtons[0]);
  EXPECT_EQ(GameScreen, ScreenFactionChoice);
}

}  // namespace
