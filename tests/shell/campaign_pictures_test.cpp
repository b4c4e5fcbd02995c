// The campaign's screens as the program draws them, pointer parked in the bottom-right corner:
// pinned here, and the references (<build>/golden/campaign_*.png) that the check of the real
// program under X compares its screenshots with.
#include "tests/common/golden.h"
#include "tests/shell/game_fixture.h"

using namespace zarn;

namespace {

using CampaignPicturesTest = GameTest;

TEST_F(CampaignPicturesTest, FactionChoiceBriefingGameMenuVictoryAndTheNextBriefing) {
  StartGame();
  plat::SetTimerEnabled(MainForm->Timer1, false);
  Click(MainMenuButtons[0]);
  Park();
  testgolden::ExpectPicture("campaign_faction", 0xc752d291ace8649aull);
  Click(FactionButtons[0]);
  Park();
  testgolden::ExpectPicture("campaign_briefing1", 0xc9b9929ea907cc38ull);
  Click(BeginButton);
  Key(plat::vk::Escape);
  Park();
  testgolden::ExpectPicture("campaign_gamemenu", 0x6ed143bea8f06809ull);
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenPlay);
  ShellCalls.OpenVictory();
  Park();
  testgolden::ExpectPicture("campaign_victory", 0xc2cfc77eeb01195eull);
  Click(YesButton);
  ASSERT_EQ(GameScreen, ScreenScore);
  Park();
  testgolden::ExpectPicture("campaign_score", 0x5d3ed88b0e5b8e2bull);
  Click(YesButton);
  Park();
  testgolden::ExpectPicture("campaign_briefing2", 0x14054ff96646b818ull);
  Click(BeginButton);
  ShellCalls.OpenDefeat();
  Park();
  testgolden::ExpectPicture("campaign_defeat", 0x7c4fd48ef304e7b2ull);
}

// The last mission under way, saved for the check of the real program (which loads it and wins
// it), and the authors screen that follows the last victory.
TEST_F(CampaignPicturesTest, TheLastMissionEndsOnTheAuthorsScreen) {
  StartGame();
  plat::SetTimerEnabled(MainForm->Timer1, false);
  Players[1].Side = 1;
  Mission.MissionNumber = 12;
  StartMission();
  Click(BeginButton);
  ASSERT_EQ(GameScreen, ScreenPlay);
  ASSERT_TRUE(SaveGame("lastmission.sav"));
  const char* write = std::getenv("ZARN_GOLDEN_WRITE");
  if (write != nullptr && std::string(write) == "1")
    fs::copy_file(folder / "save" / "lastmission.sav", fs::path(ZARN_BINARY_DIR) / "golden" / "lastmission.sav",
                  fs::copy_options::overwrite_existing);
  ShellCalls.OpenVictory();
  Click(YesButton);
  Click(YesButton);
  ASSERT_EQ(GameScreen, ScreenAuthors);
  MenuAnimNextTick = TickCount + 1000;
  Park();
  testgolden::ExpectPicture("campaign_authors", 0x2a6364001bca0aa5ull);
}

}  // namespace
