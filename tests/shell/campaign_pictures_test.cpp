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
  testgolden::ExpectPicture("campaign_faction", 0x285365164ca562d8ull);
  Click(FactionButtons[0]);
  Park();
  testgolden::ExpectPicture("campaign_briefing1", 0x607c2c60e7488c06ull);
  Click(BeginButton);
  Key(plat::vk::Escape);
  Park();
  testgolden::ExpectPicture("campaign_gamemenu", 0xb1bde721b7a4bc0aull);
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenPlay);
  ShellCalls.OpenVictory();
  Park();
  testgolden::ExpectPicture("campaign_victory", 0xfc35976c0abdf2f9ull);
  Click(YesButton);
  ASSERT_EQ(GameScreen, ScreenScore);
  Park();
  testgolden::ExpectPicture("campaign_score", 0x403954ba93ab3b5full);
  Click(YesButton);
  Park();
  testgolden::ExpectPicture("campaign_briefing2", 0xeefb58c4e9d9e366ull);
  Click(BeginButton);
  ShellCalls.OpenDefeat();
  Park();
  testgolden::ExpectPicture("campaign_defeat", 0x0177462fc4cc7c9full);
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
