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
  ScreenProcs[23] = {MapEditorMenuDraw, MapEditorMenuClick, nullptr};
  ScreenProcs[24] = {MapEditorFrame, nullptr, nullptr};
  ScreenProcs[25] = {NewMapDraw, NewMapClick, nullptr};
  ScreenProcs[26] = {SaveMapDraw, SaveMapClick, SaveMapDblClick};
  ScreenProcs[27] = {LoadMapDraw, LoadMapClick, LoadMapDblClick};
  ScreenProcs[28] = {ScenarioEditorMenuDraw, ScenarioEditorMenuClick, nullptr};
  ScreenProcs[29] = {ScenarioEditorFrame, nullptr, nullptr};
  ScreenProcs[7] = {GameMenuDraw, GameMenuClick, nullptr};
  ScreenProcs[8] = {SaveGameDraw, SaveGameClick, SaveGameDblClick};
  ScreenProcs[9] = {LoadGameDraw, LoadGameClick, LoadGameDblClick};
  ScreenProcs[10] = {LoadGameMainDraw, LoadGameMainClick, LoadGameMainDblClick};
  ScreenProcs[11] = {OptionsDraw, OptionsClick, nullptr};
  ScreenProcs[12] = {HelpDraw, HelpClick, nullptr};
  ScreenProcs[13] = {OrdersDraw, OrdersClick, nullptr};
  ScreenProcs[35] = {FactionChoiceDraw, FactionChoiceClick, nullptr};
  ScreenProcs[36] = {MissionStartDraw, MissionStartClick, nullptr};
  ScreenProcs[37] = {VictoryDraw, VictoryClick, nullptr};
  ScreenProcs[38] = {DefeatDraw, DefeatClick, nullptr};
  ScreenProcs[39] = {TopicListDraw, TopicListClick, nullptr};
  ScreenProcs[40] = {TopicPageDraw, TopicPageClick, nullptr};
  ScreenProcs[41] = {AuthorsDraw, AuthorsClick, nullptr};
  ScreenProcs[42] = {ScoreDraw, ScoreClick, nullptr};
  ScreenProcs[30] = {ScenarioMapChoiceDraw, ScenarioMapChoiceClick, ScenarioMapChoiceDblClick};
  ScreenProcs[31] = {ObjectEnableDraw, ObjectEnableClick, nullptr};
  ScreenProcs[32] = {ScenarioSettingsDraw, ScenarioSettingsClick, nullptr};
  ScreenProcs[33] = {LoadScenarioDraw, LoadScenarioClick, LoadScenarioDblClick};
  ScreenProcs[34] = {SaveScenarioDraw, SaveScenarioClick, SaveScenarioDblClick};
}

}  // namespace zarn
