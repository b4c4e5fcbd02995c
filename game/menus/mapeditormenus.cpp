// The map editor menu (23), the new-map size screen (25), and the save (26) and load (27)
// screens of map files; also what both editors' menus share (opening, drawing, the edit button,
// loading a map).
#include <algorithm>
#include <exception>
#include <string>

#include "game/menus/dmenus.h"
#include "game/menus/editormenus.h"
#include "game/menus/filescreens.h"
#include "game/world/filenotices.h"
#include "game/world/gamestart.h"

namespace zarn {

namespace {

constexpr MenuButtonRect MenuButtons[] = {
    {41, 48, 277, 64}, {41, 66, 277, 82}, {41, 84, 277, 100}, {41, 138, 118, 154}, {132, 138, 277, 154}};
constexpr std::string_view MenuPictures[] = {"tnewmap.img", "tloadmap.img", "tsavemap.img",
                                             "texitmap.img", "teditmap.img"};
enum { MenuNew = 1, MenuLoad, MenuSave, MenuExit, MenuEdit };

// The new-map screen's accept and back buttons.
constexpr MenuButtonRect NewMapButtons[] = {{33, 175, 106, 191}, {211, 175, 287, 191}};
constexpr int WidthBarY = 68;
constexpr int HeightBarY = 96;

std::int32_t SideLength(std::int32_t index) {
  return MapSideLengths[static_cast<std::size_t>(std::clamp<std::int32_t>(index, 0, 5))];
}

void SaveTypedMap() {
  const std::string& typed = EditBox1.Text;
  if (!CheckTypedFileName(typed)) return;
  const std::string name = typed + ".map";
  // The placements are rebuilt from the live fields and blooms; the old list is kept until the
  // file is written, so a failed save leaves the map in memory exactly as it was.
  const TMapPlacements before = MapPlacements;
  ResetMapPlacements();
  StoreMapStartObjects();
  const MapFileResult r = SaveMapFile(name);
  if (r != MapFileResult::Ok) {
    MapPlacements = before;
    TellFileProblem(MapsFileText, name, NotWrittenText);
    return;
  }
  MapFileName = name;
  ListBoxFree(FileListBox);
  OpenMapEditorMenu();
}

void LoadChosenMap() {
  std::string chosen;
  if (!FileListChoice(chosen)) return;
  if (!EditorLoadMap(chosen + ".map")) return;
  ListBoxFree(FileListBox);
  OpenMapEditorMenu();
}

void DeleteChosenMap() { DeleteChosenFile(MapsFileText, "maps\\", ".map", ListMaps); }

void EscapeToMapEditorMenu() {
  OpenMapEditorMenu();
  ListBoxFree(FileListBox);
}

}  // namespace

std::string_view FactionName(std::int32_t house) {
  return house >= 0 && house < static_cast<std::int32_t>(FactionNames.size())
             ? FactionNames[static_cast<std::size_t>(house)]
             : std::string_view{};
}

void LeaveEditorMenus() {
  DebugFlags.ShadowEnabled = 1;
  OpenMainMenu();
}

void OpenEditorMenu(std::uint8_t screen) {
  DebugFlags.ShadowEnabled = 0;
  OpenMenuScreen(screen);
  if (!MapExists) NewMapTerrain();
}

void DrawEditorMenu(std::span<const MenuButtonRect> buttons, std::span<const std::string_view> pictures,
                    const MenuButtonRect& box) {
  if (!BeginMenuFrame(LeaveEditorMenus)) return;
  DrawMenuBackground();
  DrawButtonPictures(buttons, pictures);
  DrawHoverHighlight(buttons, MenuSide(), box);
  EndMenuFrame();
}

void EnterEditorScreen(std::uint8_t screen, void (*entryStep)(), void (*withoutMap)()) {
  if (MapExists) {
    GameScreen = screen;
    entryStep();
  } else {
    withoutMap();
  }
  ViewState.ViewX = 1;
  ViewState.ViewY = 1;
}

bool EditorLoadMap(std::string_view mapFile) {
  try {
    // LoadMapFile reads the whole file before it changes anything and reports a bad one.
    if (!LoadMapFile(mapFile)) return false;
  } catch (const std::exception& e) {
    ShowMessageProc(e.what());
    return false;
  }
  MapFileName = std::string(mapFile);
  ResetLastViewPos();
  ClearOssinFields();
  SpawnMapStartObjects();  // removes the blooms of the last map first
  MapExists = 1;
  return true;
}

// ---- Map editor menu (23) ----

void OpenMapEditorMenu() { OpenEditorMenu(ScreenMapEditorMenu); }

void MapEditorMenuDraw() { DrawEditorMenu(MenuButtons, MenuPictures, EnclosingBox(MenuButtons)); }

// Every button lies inside the enclosing box: the hit test alone rejects a point outside it.
void MapEditorMenuClick() {
  const int hit = ClickedButton(MenuButtons);
  if (hit == 0) return;
  PlayButtonSound();
  switch (hit) {
    case MenuNew: OpenNewMap(); break;
    case MenuLoad: OpenLoadMap(); break;
    case MenuSave: OpenSaveMap(); break;
    case MenuExit: LeaveEditorMenus(); break;
    case MenuEdit: EnterEditorScreen(ScreenMapEditing, MapEditorInputProc, OpenNewMap); break;
    default: break;
  }
}

// ---- New map (25) ----

void OpenNewMap() {
  OpenMenuScreen(ScreenNewMap);
  TrackBarCreate(TrackBars[1], 60, WidthBarY, 0, 5, 1, &NewMapWidthIndex);
  TrackBarCreate(TrackBars[2], 60, HeightBarY, 0, 5, 1, &NewMapHeightIndex);
}

void NewMapDraw() {
  if (!BeginMenuFrame(OpenMapEditorMenu)) return;
  DrawMenuBackground();
  DrawPicture("tmapsize.img", 60, 16, true);
  DrawPicture("tgorizon.img", 60, WidthBarY - 19, true);
  DrawPicture("tvertikl.img", 60, HeightBarY - 19, true);
  for (int y : {WidthBarY, HeightBarY}) {
    DrawPicture("textlow.img", 19, y - 1, true);
    DrawPicture("texthigh.img", 263, y - 4, true);
  }
  RecolorRect(10, 5, 300, 190, 0, MenuSide());
  DrawPicture("butt-ok.img", 33, 175);
  DrawPicture("butback2.img", 211, 175);
  TrackBarDraw(TrackBars[1]);
  TrackBarDraw(TrackBars[2]);
  DrawHoverHighlight(NewMapButtons, MenuSide());
  const std::string size = std::to_string(SideLength(NewMapWidthIndex)) + "x" +
                           std::to_string(SideLength(NewMapHeightIndex));
  DrawText(MainFont, 185, 20, 43, size);
  EndMenuFrame();
}

void NewMapClick() {
  switch (ClickedButton(NewMapButtons)) {
    case 1:
      PlayButtonSound();
      MapFileName = "noname.map";
      SetMapSizeAndClear(SideLength(NewMapWidthIndex), SideLength(NewMapHeightIndex));
      ResetMapPlacements();
      MapExists = 1;
      ResetLastViewPos();
      ClearOssinFields();
      RemoveAllBlooms();
      // The old objects would stand off a smaller map, and the shroud is the new map's. The
      // mission record and the players stay: they are the scenario being made.
      ClearWorldObjects();
      InitShroud();
      OpenMapEditorMenu();
      break;
    case 2:
      PlayButtonSound();
      OpenMapEditorMenu();
      break;
    default:
      TrackBarMouseDown(TrackBars[1], ClickX(), ClickY());
      TrackBarMouseDown(TrackBars[2], ClickX(), ClickY());
      break;
  }
}

// ---- Save map (26) ----

void OpenSaveMap() {
  OpenFileScreen(ScreenSaveMap, FileScreenKind::Save, ListMaps);
}

void SaveMapDraw() {
  FileScreenFrame(ScreenSaveMap, "tmapsave.img", FileScreenKind::Save, SaveTypedMap, EscapeToMapEditorMenu);
}
void SaveMapClick() { FileScreenClick(FileScreenKind::Save, SaveTypedMap, OpenMapEditorMenu, DeleteChosenMap); }
void SaveMapDblClick() { FileScreenDblClick(FileScreenKind::Save, SaveTypedMap); }

// ---- Load map (27) ----

void OpenLoadMap() {
  OpenFileScreen(ScreenLoadMap, FileScreenKind::Load, ListMaps);
}

void LoadMapDraw() {
  FileScreenFrame(ScreenLoadMap, "tmapload.img", FileScreenKind::Load, LoadChosenMap, EscapeToMapEditorMenu);
}
void LoadMapClick() { FileScreenClick(FileScreenKind::Load, LoadChosenMap, OpenMapEditorMenu); }
void LoadMapDblClick() { FileScreenDblClick(FileScreenKind::Load, LoadChosenMap); }

}  // namespace zarn
