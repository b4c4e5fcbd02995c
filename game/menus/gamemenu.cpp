#include "game/menus/gamemenu.h"

#include "game/base/dvga.h"
#include "game/menus/campaign.h"
#include "game/menus/encyclopedia.h"
#include "game/menus/loadsave.h"
#include "game/menus/mainmenu.h"
#include "game/menus/menulists.h"
#include "game/menus/netlobby.h"
#include "game/menus/options.h"
#include "game/sound/dsnd.h"
#include "game/world/dobjects.h"

namespace zarn {

namespace {

constexpr std::array<std::string_view, 10> GameMenuPictures{
    "bsavegam.img", "bloadgam.img", "boptions.img", "bhelp.img",     "bsevnar.img",
    "border.img",   "bresetgm.img", "bnextdyn.img", "bexitgam.img", "bcontgam.img",
};

void ContinueGame() {
  if (NoGameToContinue) {
    NoGameToContinue = 0;
    OpenNetLobby();
    return;
  }
  GameScreen = ScreenPlay;
  PlayNextTrack();
}

void LeaveOrders() {
  ListBoxFree(FileListBox);
  OpenGameMenu();
}

}  // namespace

// --- In-game menu (7) ------------------------------------------------------------------------

void OpenGameMenu() {
  StopMusicProc();
  OpenMenuScreen(ScreenGameMenu);
}

void EscapeToGameMenu(TListWidget& list) {
  GameScreen = ScreenGameMenu;
  ListBoxFree(list);
}

void GameMenuClick() {
  const int button = ClickedButton(GameMenuButtons);
  if (button == 0) return;
  PlayButtonSound();
  switch (button) {
    case 1: OpenSaveGame(); break;
    case 2: OpenLoadGame(); break;
    case 3: OpenOptions(); break;
    case 4: OpenHelp(); break;
    case 5: OpenTopicList(); break;
    case 6: OpenOrders(); break;
    case 7: StartMission(); break;
    case 8: OpenFactionChoice(); break;
    case 9: OpenMainMenu(); break;
    default: ContinueGame(); break;
  }
}

void GameMenuDraw() {
  if (!BeginMenuFrame(ContinueGame)) return;
  DrawMenuBackground();
  DrawButtonPictures(GameMenuButtons, GameMenuPictures);
  DrawHoverHighlight(GameMenuButtons, MenuSide(), GameMenuBox);
  EndMenuFrame();
}

// --- Help (12) -------------------------------------------------------------------------------

void OpenHelp() {
  OpenMenuScreen(ScreenHelp);
  ListBoxCreate(FileListBox, 33, 36, false);
  ListBoxToFontCodePageProc();
}

void HelpClick() {
  if (!ListMissedButtonHit(FileListBox, HelpBackButton)) return;
  PlayButtonSound();
  ListBoxFree(FileListBox);
  OpenGameMenu();
}

void HelpDraw() {
  if (!BeginMenuFrame([] { EscapeToGameMenu(FileListBox); })) return;
  DrawMenuBackground();
  DrawScreenTitle("texthelp.img", 14, MenuSide());
  DrawPictureCentred("buttback.img", 160);
  ListBoxDraw(FileListBox, ClickX(), ClickY());
  DrawSingleButtonHighlight(HelpBackButton, 131, 160, 57, 16, MenuSide());
  EndMenuFrame();
}

// --- Orders (13) -----------------------------------------------------------------------------

void OpenOrders() {
  OpenMenuScreen(ScreenOrders);
  ListBoxCreate(FileListBox, 33, 48, false);
  LoadBriefingProc(ScenarioFaction(), Mission.MissionNumber);
}

void OrdersClick() {
  if (!ListMissedButtonHit(FileListBox, OrdersBackButton)) return;
  ListBoxFree(FileListBox);
  PlayButtonSound();
  OpenGameMenu();
}

void OrdersDraw() { DrawBriefingScreen("buttback.img", OrdersBackButton, 130, 60, LeaveOrders); }

}  // namespace zarn
