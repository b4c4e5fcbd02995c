// Which procedures draw, click and double-click each screen. Screens whose topics are not built
// yet have no entry: they draw nothing and ignore clicks.
#include "game/menus/dmenus.h"
#include "game/shell/Main.h"

namespace zarn {

void InstallScreenProcs() {
  ScreenProcs = {};
  ScreenProcs[0] = {[] { NetRole != RoleSingle ? NetGameFrame() : GameFrame(); }, nullptr, nullptr};
  ScreenProcs[21] = {MainMenuDraw, MainMenuClick, nullptr};
  ScreenProcs[23] = {MapEditorMenuDraw, MapEditorMenuClick, nullptr};
  ScreenProcs[24] = {MapEditorFrame, nullptr, nullptr};
  ScreenProcs[25] = {NewMapDraw, NewMapClick, nullptr};
  ScreenProcs[26] = {SaveMapDraw, SaveMapClick, SaveMapDblClick};
  ScreenProcs[27] = {LoadMapDraw, LoadMapClick, LoadMapDblClick};
  ScreenProcs[28] = {ScenarioEditorMenuDraw, ScenarioEditorMenuClick, nullptr};
  ScreenProcs[29] = {ScenarioEditorFrame, nullptr, nullptr};
  ScreenProcs[30] = {ScenarioMapChoiceDraw, ScenarioMapChoiceClick, ScenarioMapChoiceDblClick};
  ScreenProcs[31] = {ObjectEnableDraw, ObjectEnableClick, nullptr};
  ScreenProcs[32] = {ScenarioSettingsDraw, ScenarioSettingsClick, nullptr};
  ScreenProcs[33] = {LoadScenarioDraw, LoadScenarioClick, LoadScenarioDblClick};
  ScreenProcs[34] = {SaveScenarioDraw, SaveScenarioClick, SaveScenarioDblClick};
}

}  // namespace zarn
