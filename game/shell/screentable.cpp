// Which procedures draw, click and double-click each screen. Screens whose topics are not built
// yet have no entry: they draw nothing and ignore clicks.
#include "game/menus/dmenus.h"
#include "game/shell/Main.h"

namespace zarn {

void InstallScreenProcs() {
  ScreenProcs = {};
  ScreenProcs[0] = {[] { NetRole != RoleSingle ? NetGameFrame() : GameFrame(); }, nullptr, nullptr};
  ScreenProcs[1] = {YardBuildMenuDraw, YardBuildMenuClick, nullptr};
  ScreenProcs[2] = {BarracksBuildMenuDraw, BarracksBuildMenuClick, nullptr};
  ScreenProcs[3] = {AcademyBuildMenuDraw, AcademyBuildMenuClick, nullptr};
  ScreenProcs[4] = {LightFactoryBuildMenuDraw, LightFactoryBuildMenuClick, nullptr};
  ScreenProcs[5] = {AirFactoryBuildMenuDraw, AirFactoryBuildMenuClick, nullptr};
  ScreenProcs[6] = {HeavyFactoryBuildMenuDraw, HeavyFactoryBuildMenuClick, nullptr};
  BuildMenuButtonHeld = [] { return MouseButtonUp == 0; };
  ScreenProcs[21] = {MainMenuDraw, MainMenuClick, nullptr};
  ScreenProcs[24] = {MapEditorFrame, nullptr, nullptr};
  ScreenProcs[29] = {ScenarioEditorFrame, nullptr, nullptr};
}

}  // namespace zarn
