#include "game/menus/campaign.h"

#include <exception>

#include "game/base/dvga.h"
#include "game/menus/encyclopedia.h"
#include "game/menus/mainmenu.h"
#include "game/menus/menulists.h"
#include "game/sound/dsnd.h"
#include "game/world/dobjects.h"
#include "game/world/filenotices.h"

namespace zarn {

namespace {

constexpr int FactionSides[3] = {1, 2, 0};
constexpr std::uint8_t OutlineColour = 43;

// The victory and defeat screens: one pattern, two sets of pictures.
void DrawEndScreen(std::string_view title, std::string_view scene) {
  DrawMenuBackground();
  DrawScreenTitle(title, 14, MenuSide());
  if (LoadPicture(scene)) {
    const int x = CentredX(PictureWidth());
    BlitPicture(x, 34);
    DrawFrame(x - 1, 33, x + PictureWidth(), 34 + PictureHeight(), OutlineColour);
  }
  DrawPictureCentred("but-yes.img", 160);
  DrawSingleButtonHighlight(YesButton, 142, 160, 36, 16, MenuSide());
  EndMenuFrame();
}

void EndScreenClick(std::uint8_t won) {
  if (!InsideButton(YesButton, ClickX(), ClickY())) return;
  StopMusicProc();
  PlayButtonSound();
  MissionWon = won;
  OpenScore();
}

void NextMission() {
  if (MissionWon == 0) {
    StartMission();
  } else if (Mission.MissionNumber >= CampaignMissions) {
    OpenAuthors();
  } else {
    ++Mission.MissionNumber;
    StartMission();
  }
}

}  // namespace

void DrawBriefingScreen(std::string_view buttonPicture, const MenuButtonRect& hit, int boxX, int boxWidth,
                        void (*escape)()) {
  if (!BeginMenuFrame(escape)) return;
  DrawMenuBackground();
  const int side = ScenarioFaction();
  if (side == 1)
    DrawPictureCentred("saflag.img", 10);
  else if (side == 0)
    DrawPictureCentred("sgflag.img", 8);
  else
    DrawPictureCentred("stflag.img", 10);
  DrawPictureCentred(buttonPicture, 168);
  ListBoxDraw(FileListBox, ClickX(), ClickY());
  DrawSingleButtonHighlight(hit, boxX, 168, boxWidth, 16, MenuSide());
  EndMenuFrame();
}

std::string CampaignScenarioName(int side, int mission) {
  if (side < 0 || side >= static_cast<int>(FactionPrefixes.size())) return {};
  return std::string(FactionPrefixes[static_cast<std::size_t>(side)]) + std::to_string(mission) + ".scn";
}

// --- Faction choice (35) ---------------------------------------------------------------------

void OpenFactionChoice() { OpenMenuScreen(ScreenFactionChoice); }

void FactionChoiceClick() {
  const int button = ClickedButton(FactionButtons);
  if (button == 0) return;
  const auto side = static_cast<std::uint8_t>(FactionSides[button - 1]);
  ScenarioFaction() = side;
  ViewState.LocalSide = side;
  Mission.MissionNumber = 1;
  if (button == 1)
    VoiceFaction0();
  else if (button == 2)
    VoiceFaction1();
  else
    VoiceFaction2();
  WaitSeconds(2);
  StartMission();
}

void FactionChoiceDraw() {
  if (!BeginMenuFrame(nullptr)) return;
  FillScreen(0);
  DrawPicture("almireth.img", 19, 68);
  DrawPicture("telix.img", 119, 68);
  DrawPicture("gorvasen.img", 219, 68);
  EndMenuFrame();
}

// --- Mission start (36) ----------------------------------------------------------------------

namespace {

// The scenario, its map and the world built from them; false (a message shown) when any of it
// cannot be read.
bool LoadMission(int side, std::int32_t mission) {
  ScenarioFileName = CampaignScenarioName(side, mission);
  if (ScenarioFileName.empty()) {
    ShowMessageProc("Для этой стороны нет кампании"_cp1251);
    return false;
  }
  try {
    if (LoadScenario(ScenarioFileName)) return false;
    // The picked faction and mission hold whatever the scenario file says.
    ScenarioFaction() = static_cast<std::uint8_t>(side);
    Mission.MissionNumber = mission;
    ViewState.LocalSide = static_cast<std::uint8_t>(side);
    return BuildScenarioWorld();
  } catch (const std::exception&) {
    TellFileProblem(ScenesFileText, ScenarioFileName, DamagedText);
    return false;
  }
}

}  // namespace

void StartMission() {
  EndNetGameProc();
  const int side = ScenarioFaction();
  const std::int32_t mission = Mission.MissionNumber;
  if (!LoadMission(side, mission)) {
    OpenMainMenu();
    return;
  }
  OpenMenuScreen(ScreenMissionStart);
  ListBoxCreate(FileListBox, 33, 48, false);
  LoadBriefingProc(side, mission);
}

void MissionStartClick() {
  if (!ListMissedButtonHit(FileListBox, BeginButton)) return;
  ListBoxFree(FileListBox);
  PlayButtonSound();
  StartGame();
}

void MissionStartDraw() { DrawBriefingScreen("tbegin.img", BeginButton, 104, 115, nullptr); }

// --- Victory (37) and defeat (38) ------------------------------------------------------------

void OpenVictory() {
  OpenMenuScreen(ScreenVictory);
  VoiceVictory(MenuSide());
  WaitSeconds(5);
  PlayVictoryMusic();
}

void OpenDefeat() {
  OpenMenuScreen(ScreenDefeat);
  VoiceDefeat(MenuSide());
  WaitSeconds(5);
  PlayDefeatMusic();
}

void VictoryClick() { EndScreenClick(1); }
void DefeatClick() { EndScreenClick(0); }

void VictoryDraw() {
  if (!BeginMenuFrame(nullptr)) return;
  DrawEndScreen("tvictory.img", "victory.img");
}

void DefeatDraw() {
  if (!BeginMenuFrame(nullptr)) return;
  DrawEndScreen("tlose.img", "tolose.img");
}

// --- Score (42) ------------------------------------------------------------------------------

void OpenScore() {
  OpenMenuScreen(ScreenScore);
  ShowMissionStats(StatsPanel, 20, SecondFont);
  for (int p = 1; p <= MaxPlayers; ++p)
    if (Players[p].Destroyed == 0) StatsColumnsForPlayer(StatsPanel, p);
}

void ScoreClick() {
  if (!InsideButton(YesButton, ClickX(), ClickY())) return;
  PlayButtonSound();
  NextMission();
}

void ScoreDraw() {
  if (!BeginMenuFrame(NextMission)) return;
  ClearScreen();
  DrawMenuBackground();
  ShowGameSummary(StatsPanel);
  DrawPictureCentred("but-yes.img", 160);
  DrawSingleButtonHighlight(YesButton, 142, 160, 36, 16, MenuSide());
  EndMenuFrame();
}

}  // namespace zarn
