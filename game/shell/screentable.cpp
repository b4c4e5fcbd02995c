// Which procedures draw, click and double-click each screen. Screens whose topics are not built
// yet have no entry: they draw nothing and ignore clicks.
#include "game/menus/dmenus.h"
#include "game/shell/Main.h"

namespace zarn {

void InstallScreenProcs() {
  ScreenProcs = {};
  ScreenProcs[0] = {[] { NetRole != RoleSingle ? NetGameFrame() : GameFrame(); }, nullptr, nullptr};
  ScreenProcs[21] = {MainMenuDraw, MainMenuClick, nullptr};
  ScreenProcs[24] = {MapEditorFrame, nullptr, nullptr};
  ScreenProcs[29] = {ScenarioEditorFrame, nullptr, nullptr};
}

}  // namespace zarn
