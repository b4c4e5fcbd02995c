// The scenario editor menu (28) and its screens: the map of a new scenario (30), the objects
// that may be built (31), the mission settings (32), and loading (33) and saving (34) scenario
// files.
#include <algorithm>
#include <exception>
#include <memory>
#include <string>

#include "game/menus/dmenus.h"
#include "game/menus/filescreens.h"
#include "game/menus/editormenus.h"
#include "game/world/filenotices.h"
#include "game/world/gamestart.h"
#include "game/world/scenario.h"

namespace zarn {

namespace {

constexpr MenuButtonRect MenuButtons[] = {{41, 48, 277, 64},    {41, 66, 277, 82},
                                           {41, 84, 277, 100},   {41, 138, 118, 154},
                                           {132, 138, 277, 154}, {41, 102, 277, 118},
                                           {41, 120, 277, 136}};
constexpr MenuButtonRect MenuBox{41, 48, 277, 154};
constexpr std::string_view MenuPictures[] = {"tnewscen.img", "tloadscn.img", "tsavescn.img",
                                             "texitmap.img", "teditmap.img", "tobjenab.img",
                                             "tupgrade.img"};
enum { MenuNew = 1, MenuLoad, MenuSave, MenuExit, MenuEdit, MenuEnable, MenuSettings };

// Accept and back of the enabled-objects screen.
constexpr MenuButtonRect EnableButtons[] = {{33, 170, 125, 186}, {211, 170, 287, 186}};
// Accept and back of the settings screen.
constexpr MenuButtonRect SettingsButtons[] = {{33, 175, 106, 191}, {211, 175, 287, 191}};

constexpr int ObjectKinds = 34;
constexpr int SettingsRows = 10;
constexpr int SettingsX = 56;

struct TSettingsRow {
  std::string_view Title;
  std::int32_t Minimum, Maximum;
  int ValueDx;  // where the value text starts, from the bar's x
  bool NumberFirst;
  std::array<std::string_view, 9> Labels;
};

const TSettingsRow SettingsTable[SettingsRows] = {
    {"КОНСТРУКТОРСКИЙ ДВОР"_cp1251, 0, 2, 100, true,
     {"ВСЕ КРОМЕ ПЛИТЫ2Х2 И Р-БАШНИ"_cp1251, "ВСЕ КРОМЕ Р-БАШНИ"_cp1251, "ВСЕ"_cp1251}},
    {"КАЗАРМА"_cp1251, 0, 1, 60, true, {"ВСЕ КРОМЕ ОТРЯДА ПЕХОТЫ"_cp1251, "ВСЕ"_cp1251}},
    {"АКАДЕМИЯ"_cp1251, 0, 1, 60, true, {"ВСЕ КРОМЕ ОТРЯДА Т-ПЕХОТЫ"_cp1251, "ВСЕ"_cp1251}},
    {"Л-ЗАВОД"_cp1251, 0, 1, 60, true, {"ВСЕ КРОМЕ КВАДА"_cp1251, "ВСЕ"_cp1251}},
    {"Т-ЗАВОД"_cp1251, 0, 3, 60, true,
     {"ВСЕ КРОМЕ ПСД, РПУ И ОСАДНОГО ТАНКА"_cp1251, "ВСЕ КРОМЕ РПУ И ОСАДНОГО ТАНКА"_cp1251,
      "ВСЕ КРОМЕ ОСАДНОГО ТАНКА"_cp1251, "ВСЕ"_cp1251}},
    {"А-ЗАВОД"_cp1251, 0, 1, 60, true, {"ВСЕ КРОМЕ СКЕЛЬТРЕЛА"_cp1251, "ВСЕ"_cp1251}},
    {"ВСЕГО АЛЬЯНСОВ"_cp1251, 1, 8, 100, true, {}},
    {"УРОВЕНЬ ИГРЫ"_cp1251, 1, 12, 100, true, {}},
    {"ТИП МИССИИ"_cp1251, 1, 9, 60, true,
     {"СОБРАТЬ 2000 ОССИНА"_cp1251, "СОБРАТЬ 5000 ОССИНА"_cp1251, "СОБРАТЬ 10000 ОССИНА"_cp1251,
      "ПОСТРОИТЬ АКАДЕМИЮ"_cp1251, "ПОСТРОИТЬ РАДАР"_cp1251, "УНИЧТОЖЫТЬ ВСЕ ЮНИТЫ ВРАГА"_cp1251,
      "УНИЧТОЖЫТЬ ВСЕ ЗДАНИЯ ВРАГА"_cp1251, "ПРОДЕРЖАТЬСЯ 30 МИНУТ"_cp1251,
      "УНИЧТОЖЫТЬ ЗА 60 МИНУТ"_cp1251}},
    {"ДОМ ИГРОКА"_cp1251, 0, 4, 100, false, {}},
};

int SettingsRowY(int row) { return 17 + 16 * row; }  // row from 0

std::int32_t* SettingsField(int row) {
  if (row < 6) return &MissionSettingsCopy.UpgradeLimits[row + 1];
  switch (row) {
    case 6: return &MissionSettingsCopy.PlayerCount;
    case 7: return &MissionSettingsCopy.MissionNumber;
    case 8: return &MissionSettingsCopy.GoalType;
    default: return &EditorHouse;
  }
}

void EscapeToScenarioMenu() {
  OpenScenarioEditorMenu();
  ListBoxFree(FileListBox);
}

void EscapeFromObjectEnable() {
  OpenScenarioEditorMenu();
  ListBoxFree(CheckList);
}

// ---- Acts of the file screens ----

void AcceptScenarioMap() {
  std::string chosen;
  if (!FileListChoice(chosen)) return;
  if (!EditorLoadMap(chosen + ".map")) return;
  InitShroud();
  RemoveAllWorms();
  KillAllUnits();
  DestroyAllBuildings();
  ListBoxFree(FileListBox);
  OpenScenarioEditorMenu();
}

// What a scenario file replaces, kept so that a scenario whose map cannot be read leaves the
// editor as it was.
struct TScenarioSnapshot {
  TMissionRecord SavedMission = Mission;
  Table1<TPlayerRecord, MaxPlayers> SavedPlayers = Players;
  std::string SavedMapFile = MapFileName;
  TMapPlacements SavedPlacements = MapPlacements;
  decltype(WormList) SavedWorms = WormList;
  decltype(UnitList) SavedUnits = UnitList;
  decltype(BuildingList) SavedBuildings = BuildingList;
  std::uint8_t SavedSide = EditorSide;
  std::uint8_t SavedPlayer = EditorPlayer;
  std::int32_t SavedTick = WorldTickCount;

  void Restore() const {
    Mission = SavedMission;
    Players = SavedPlayers;
    MapFileName = SavedMapFile;
    MapPlacements = SavedPlacements;
    WormList = SavedWorms;
    UnitList = SavedUnits;
    BuildingList = SavedBuildings;
    EditorSide = SavedSide;
    EditorPlayer = SavedPlayer;
    WorldTickCount = SavedTick;
  }
};

void LoadChosenScenario() {
  std::string chosen;
  if (!FileListChoice(chosen)) return;
  const std::string name = chosen + ".scn";
  // Large (the lists hold thousands of entries): kept off the stack.
  auto before = std::make_unique<TScenarioSnapshot>();
  if (LoadScenario(name)) return;  // shown; nothing changed
  bool built = false;
  try {
    // The map is read whole before anything changes; a bad one has been shown.
    built = BuildScenarioWorld();
  } catch (const std::exception& e) {
    ShowMessageProc(e.what());
  }
  if (!built) {
    before->Restore();
    return;
  }
  ScenarioFileName = name;
  ListBoxFree(FileListBox);
  SetUnitSlotsForPlayers(Mission.PlayerCount);
  SetBuildingSlotsForPlayers(Mission.PlayerCount);
  PageListCreate(PageList2, 75, 175);
  PageListClear(PageList2);
  PageListSetMode2(PageList2, 0);
  OpenScenarioEditorMenu();
}

void SaveTypedScenario() {
  const std::string& typed = EditBox1.Text;
  if (!CheckTypedFileName(typed)) return;
  const std::string name = typed + ".scn";
  PackWorldIntoScenario();
  if (!SaveScenario(name)) return;  // shown; the screen stays
  ScenarioFileName = name;
  ListBoxFree(FileListBox);
  OpenScenarioEditorMenu();
}

void DeleteChosenScenario() { DeleteChosenFile(ScenesFileText, "scenes\\", ".scn", ListScenes); }

}  // namespace

// ---- Scenario editor menu (28) ----

void OpenScenarioEditorMenu() { OpenEditorMenu(ScreenScenarioEditorMenu); }

void ScenarioEditorMenuDraw() { DrawEditorMenu(MenuButtons, MenuPictures, MenuBox); }

// Every button lies inside the enclosing box: the hit test alone rejects a point outside it.
void ScenarioEditorMenuClick() {
  const int hit = ClickedButton(MenuButtons);
  if (hit == 0) return;
  PlayButtonSound();
  switch (hit) {
    case MenuNew: OpenScenarioMapChoice(); break;
    case MenuLoad: OpenLoadScenario(); break;
    case MenuSave: OpenSaveScenario(); break;
    case MenuExit: LeaveEditorMenus(); break;
    case MenuEdit:
      EnterEditorScreen(ScreenScenarioEditing, ScenarioEditorInputProc, OpenScenarioMapChoice);
      break;
    case MenuEnable: OpenObjectEnable(); break;
    case MenuSettings: OpenScenarioSettings(); break;
    default: break;
  }
}

// ---- Map of a new scenario (30) ----

void OpenScenarioMapChoice() {
  OpenFileScreen(ScreenScenarioMapChoice, FileScreenKind::Load, ListMaps);
}

void ScenarioMapChoiceDraw() {
  FileScreenFrame(ScreenScenarioMapChoice, "tmapload.img", FileScreenKind::Load, AcceptScenarioMap,
                  EscapeToScenarioMenu);
}
void ScenarioMapChoiceClick() { FileScreenClick(FileScreenKind::Load, AcceptScenarioMap, OpenScenarioEditorMenu); }
void ScenarioMapChoiceDblClick() { FileScreenDblClick(FileScreenKind::Load, AcceptScenarioMap); }

// ---- Enabled objects (31) ----

void OpenObjectEnable() {
  OpenMenuScreen(ScreenObjectEnable);
  CheckListCreate(CheckList, 33, 52, true);
  for (int kind = 1; kind <= ObjectKinds; ++kind)
    CheckListAdd(CheckList, UnitLongName(static_cast<std::uint8_t>(kind)), Mission.Available[kind] != 0);
}

void ObjectEnableDraw() {
  if (!BeginMenuFrame(EscapeFromObjectEnable)) return;
  DrawMenuBackground();
  DrawPicture("butt-ok.img", 33, 170);
  DrawPicture("butback2.img", 211, 170);
  CheckListDraw(CheckList, ClickX(), ClickY());
  DrawHoverHighlight(EnableButtons, MenuSide());
  EndMenuFrame();
}

void ObjectEnableClick() {
  switch (ClickedButton(EnableButtons)) {
    case 1:
      PlayButtonSound();
      for (int row = 0; row < CheckList.Count() && row < ObjectKinds; ++row)
        Mission.Available[row + 1] = CheckListFlag(CheckList, row) ? 1 : 0;
      ListBoxFree(CheckList);
      OpenScenarioEditorMenu();
      break;
    case 2:
      PlayButtonSound();
      ListBoxFree(CheckList);
      OpenScenarioEditorMenu();
      break;
    default:
      CheckListMouseDown(CheckList, ClickX(), ClickY());
      break;
  }
}

// ---- Settings (32) ----

void OpenScenarioSettings() {
  MissionSettingsCopy = Mission;
  OpenMenuScreen(ScreenScenarioSettings);
  EditorHouse = ScenarioFaction();
  for (int row = 0; row < SettingsRows; ++row) {
    const TSettingsRow& r = SettingsTable[row];
    TrackBarCreate(TrackBars[row + 1], SettingsX, SettingsRowY(row), r.Minimum, r.Maximum, 1,
                   SettingsField(row));
  }
}

std::string SettingsValueText(int row) {
  if (row < 0 || row >= SettingsRows) return {};
  const TSettingsRow& r = SettingsTable[row];
  const std::int32_t v = *SettingsField(row);
  if (!r.NumberFirst) return std::string(FactionName(v));
  std::string text = std::to_string(v);
  const std::int32_t label = v - r.Minimum;
  if (label >= 0 && label < static_cast<std::int32_t>(r.Labels.size()) &&
      !r.Labels[static_cast<std::size_t>(label)].empty()) {
    text += ' ';
    text += r.Labels[static_cast<std::size_t>(label)];
  }
  return text;
}

void ScenarioSettingsDraw() {
  if (!BeginMenuFrame(OpenScenarioEditorMenu)) return;
  DrawMenuBackground();
  for (int row = 0; row < SettingsRows; ++row) {
    const int y = SettingsRowY(row);
    DrawPicture("textlow.img", 15, y - 1, true);
    DrawPicture("texthigh.img", 259, y - 4, true);
    DrawText(SecondFont, SettingsX, y - 7, 43, ToFontCodePage(SettingsTable[row].Title));
    DrawText(SecondFont, SettingsX + SettingsTable[row].ValueDx, y - 7, 43,
             ToFontCodePage(SettingsValueText(row)));
  }
  RecolorRect(10, 5, 300, 190, 0, MenuSide());
  DrawPicture("butt-ok.img", 33, 175);
  DrawPicture("butback2.img", 211, 175);
  for (int row = 1; row <= SettingsRows; ++row) TrackBarDraw(TrackBars[row]);
  DrawHoverHighlight(SettingsButtons, MenuSide());
  EndMenuFrame();
}

void ScenarioSettingsClick() {
  switch (ClickedButton(SettingsButtons)) {
    case 1:
      PlayButtonSound();
      Mission = MissionSettingsCopy;
      ScenarioFaction() = static_cast<std::uint8_t>(std::clamp<std::int32_t>(EditorHouse, 0, 4));
      SetUnitSlotsForPlayers(Mission.PlayerCount);
      SetBuildingSlotsForPlayers(Mission.PlayerCount);
      OpenScenarioEditorMenu();
      break;
    case 2:
      PlayButtonSound();
      OpenScenarioEditorMenu();
      break;
    default:
      for (int row = 1; row <= SettingsRows; ++row) TrackBarMouseDown(TrackBars[row], ClickX(), ClickY());
      break;
  }
}

// ---- Load scenario (33) ----

void OpenLoadScenario() {
  OpenFileScreen(ScreenLoadScenario, FileScreenKind::Load, ListScenes);
}

void LoadScenarioDraw() {
  FileScreenFrame(ScreenLoadScenario, "tscnload.img", FileScreenKind::Load, LoadChosenScenario,
                  EscapeToScenarioMenu);
}
void LoadScenarioClick() { FileScreenClick(FileScreenKind::Load, LoadChosenScenario, OpenScenarioEditorMenu); }
void LoadScenarioDblClick() { FileScreenDblClick(FileScreenKind::Load, LoadChosenScenario); }

// ---- Save scenario (34) ----

void OpenSaveScenario() {
  OpenFileScreen(ScreenSaveScenario, FileScreenKind::Save, ListScenes);
}

void SaveScenarioDraw() {
  FileScreenFrame(ScreenSaveScenario, "tscnsave.img", FileScreenKind::Save, SaveTypedScenario,
                  EscapeToScenarioMenu);
}
void SaveScenarioClick() { FileScreenClick(FileScreenKind::Save, SaveTypedScenario, OpenScenarioEditorMenu, DeleteChosenScenario); }
void SaveScenarioDblClick() { FileScreenDblClick(FileScreenKind::Save, SaveTypedScenario); }

}  // namespace zarn
