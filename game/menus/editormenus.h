// The menus around the two editors: the map editor menu with its new, load and save screens,
// and the scenario editor menu with its map choice, enabled objects, settings, load and save
// screens. Both editors' working screens are the shell's; these menus lead into them.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "game/base/cp1251.h"
#include "game/base/records.h"
#include "game/base/tables.h"
#include "game/base/widgets.h"
#include "game/menus/menuframe.h"

namespace zarn {

// Side lengths offered by the new-map screen's two track bars.
inline constexpr std::array<std::int32_t, 6> MapSideLengths{32, 64, 96, 128, 192, 256};
inline std::int32_t NewMapWidthIndex = 1;
inline std::int32_t NewMapHeightIndex = 1;

// The faction names by house 0..4.
inline constexpr std::array<std::string_view, 5> FactionNames{
    "ГОРВАССЕН"_cp1251, "АЛМИРЕТ"_cp1251, "ТЕЛИКС"_cp1251, "ДРЕВОКАРИ"_cp1251, "ОСКРАН"_cp1251};
// The name of a house; empty outside 0..4.
std::string_view FactionName(std::int32_t house);

// The settings screen's working copy and the player's house it edits.
inline TMissionRecord MissionSettingsCopy{};
inline std::int32_t EditorHouse = 0;

// The track bars of the new-map, settings and scenario editing screens (1-based).
inline Table1<TTrackWidget, 10> TrackBars{};

// --- Map editor menus (screens 23, 25, 26, 27). ---
void OpenMapEditorMenu();
void MapEditorMenuDraw();
void MapEditorMenuClick();
void OpenNewMap();
void NewMapDraw();
void NewMapClick();
void OpenSaveMap();
void SaveMapDraw();
void SaveMapClick();
void SaveMapDblClick();
void OpenLoadMap();
void LoadMapDraw();
void LoadMapClick();
void LoadMapDblClick();

// --- Scenario editor menus (screens 28, 30..34). ---
void OpenScenarioEditorMenu();
void ScenarioEditorMenuDraw();
void ScenarioEditorMenuClick();
void OpenScenarioMapChoice();
void ScenarioMapChoiceDraw();
void ScenarioMapChoiceClick();
void ScenarioMapChoiceDblClick();
void OpenObjectEnable();
void ObjectEnableDraw();
void ObjectEnableClick();
void OpenScenarioSettings();
// The value shown beside settings row 0..9 (number and label, or the faction name).
std::string SettingsValueText(int row);
void ScenarioSettingsDraw();
void ScenarioSettingsClick();
void OpenLoadScenario();
void LoadScenarioDraw();
void LoadScenarioClick();
void LoadScenarioDblClick();
void OpenSaveScenario();
void SaveScenarioDraw();
void SaveScenarioClick();
void SaveScenarioDblClick();

// --- Shared by the editors' file screens. ---
// The map file under "maps\" chosen by name + ".map": read, its start objects spawned. A
// missing or damaged file is shown and nothing changes. True when loaded.
bool EditorLoadMap(std::string_view mapFile);
// The edit buttons: with a map, the editor's screen and its entry step; without one, the
// screen that makes or chooses a map. Either way the view starts at the map's corner.
void EnterEditorScreen(std::uint8_t screen, void (*entryStep)(), void (*withoutMap)());
// Leaving the editors' menus for good: shadow drawing back on.
void LeaveEditorMenus();
// The two editor menus: opening (shadow drawing off, a blank map when there is none) and a frame
// (their buttons' pictures on the background, hover in the local faction's colours).
void OpenEditorMenu(std::uint8_t screen);
void DrawEditorMenu(std::span<const MenuButtonRect> buttons, std::span<const std::string_view> pictures,
                    const MenuButtonRect& box);

}  // namespace zarn
