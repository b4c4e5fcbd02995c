// Which procedures draw, click and double-click each screen. Screens whose topics are not built
// yet have no entry: they draw nothing and ignore clicks.
#include "game/menus/dmenus.h"
#include "game/shell/Main.h"

namespace zarn {

void InstallScreenProcs() {
  ScreenProcs = {};
  ScreenProcs[0] = {[] { NetRole != RoleSingle ? NetGameFrame() : GameFrame(); }, nullptr, nullptr};
  // Accepting the lobby or the map choice enters the play screen, whose first network frame
  // sets the game up.
  ScreenProcs[20] = {NetLobbyDraw, [] {
                       NetLobbyClick();
                       if (GameScreen == ScreenPlay) FullScreenWanted = 1;
                     }, nullptr};
  ScreenProcs[21] = {MainMenuDraw, MainMenuClick, nullptr};
  ScreenProcs[22] = {NetMapChoiceDraw, [] {
                       NetMapChoiceClick();
                       if (GameScreen == ScreenPlay) FullScreenWanted = 1;
                     }, nullptr};
  ScreenProcs[24] = {MapEditorFrame, nullptr, nullptr};
  ScreenProcs[29] = {ScenarioEditorFrame, nullptr, nullptr};
}

}  // namespace zarn
