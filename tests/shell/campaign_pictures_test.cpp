// The campaign's screens as the program draws them, pointer parked in the bottom-right corner:
// pinned here, and the references (<build>/golden/campaign_*.png) that the check of the real
// program under X compares its screenshots with.
#include "tests/common/golden.h"
#include "tests/shell/game_fixture.h"

using namespace zarn;

namespace {

class CampaignPicturesTest : public GameTest {
 protected:
  void Park() {
    plat::null::InjectMouseMove(FormId(), 620, 390);
    Pass(2);
  }
};

TEST_F(CampaignPicturesTest, FactionChoiceBriefingGameMenuVictoryAndTheNextBriefing) {
  StartGame();
  plat::SetTimerEnabled(MainForm->Timer1, false);
  Click(MainMenuButtons[0]);
  Park();
  testgolden::ExpectPicture("campaign_faction", 0x7bc8ed61bc20ea1cull);
  Click(FactionButtons[0]);
  Park();
  testgolden::ExpectPicture("campaign_briefing1", 0x4d34edd64a74dac6ull);
  Click(BeginButton);
  Key(plat::vk::Escape);
  Park();
  testgolden::ExpectPicture("campaign_gamemenu", 0xb1bde721b7a4bc0aull);
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenPlay);
  ShellCalls.OpenVictory();
  Park();
  testgolden::ExpectPicture("campaign_victory", 0xd32597c4784e6657ull);
  Click(YesButton);
  ASSERT_EQ(GameScreen, ScreenScore);
  Park();
  testgolden::ExpectPicture("campaign_score", 0x1cff01637f284029ull);
  Click(YesButton);
  Park();
  testgolden::ExpectPicture("campaign_briefing2", 0xeefb58c4e9d9e366ull);
}

}  // namespace
