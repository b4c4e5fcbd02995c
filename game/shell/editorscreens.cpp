// One frame of the map editor and of the scenario editor: the map with its objects, the status
// lines, the panel with the minimap, the middle area and the mode buttons, and the outline of
// what the brush would place.
#include "game/shell/editorscreens.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "game/base/dvga.h"
#include "game/menus/editormenus.h"
#include "game/shell/Main.h"
#include "game/shell/gamescreen.h"
#include "game/shell/playmouse.h"
#include "game/shell/sidepanel.h"
#include "game/world/blooms.h"
#include "game/world/buildingdraw.h"
#include "game/world/editorrules.h"
#include "game/world/gamestart.h"
#include "game/world/messages.h"
#include "game/world/ossinfields.h"
#include "game/world/pulses.h"
#include "game/world/scenario.h"
#include "game/world/shots.h"
#include "game/world/worms.h"

namespace zarn {

namespace {

constexpr std::uint8_t StatusColour = 15;
constexpr std::uint8_t CaptionColour = 12;
constexpr std::uint8_t ValueColour = 43;
constexpr std::uint8_t OutlineColour = 12;

constexpr int ButtonX = 259;
constexpr std::array<int, 5> ButtonRows{159, 167, 175, 183, 191};

constexpr std::array<std::string_view, 5> MapModeButtons{"ЗЕМЛЯ"_cp1251, "ГОРЫ"_cp1251, "ОССИН"_cp1251,
                                                         "ЗАЛЕЖИ"_cp1251, "ЗАРНЫ"_cp1251};
constexpr std::array<std::string_view, 4> MapModeCaptions{
    "ЗЕМЛЯ"_cp1251, "ГОРЫ"_cp1251, "ОССИН НА ПОВЕРХНОСТИ"_cp1251, "ГЛУБИННЫЕ ЗАЛЕЖИ ОССИНА"_cp1251};
constexpr std::array<std::string_view, 5> ScenarioModeButtons{
    "ЮНИТЫ"_cp1251, "ЗДАНИЯ"_cp1251, "ОРМИ-ТАЛУК"_cp1251, "АЛЪЯНС"_cp1251, "КВОТА"_cp1251};

void Text(int font, int x, int y, std::uint8_t colour, std::string_view cp1251) {
  DrawText(font, x, y, colour, ToFontCodePage(cp1251));
}

int MiniX(double px) { return static_cast<int>(px / ViewState.MinimapScaleX) + MinimapScreenX; }
int MiniY(double py) { return static_cast<int>(py / ViewState.MinimapScaleY) + MinimapScreenY; }

void MiniPoint(double px, double py, std::uint8_t colour) {
  if (ViewState.MinimapScaleX <= 0 || ViewState.MinimapScaleY <= 0) return;
  PutMinimapPixel(MiniX(px), MiniY(py), colour);
}

void MiniTerrain() {
  std::uint8_t colour = 0;
  WalkMinimapSamples([&](int c, int r, long x, long y) {
    colour = MinimapTerrainColour(GameMap.Cell(x, y), colour);
    PutPixel(c + MinimapScreenX, r + MinimapScreenY, colour);
  });
}

void MiniFieldsAndBlooms() {
  for (const TOssinFieldRecord& f : OssinFields)
    if (f.Free == 0) MiniPoint(f.X - 1, f.Y, MinimapFieldColour);
  for (const TOssinBloomRecord& b : OssinBlooms)
    if (b.Removed == 0) MiniPoint(b.X - 1, b.Y, MinimapBloomColour);
}

int CountLiveFields() {
  return static_cast<int>(std::count_if(OssinFields.begin(), OssinFields.end(),
                                        [](const TOssinFieldRecord& f) { return f.Free == 0; }));
}
int CountLiveBlooms() {
  return static_cast<int>(std::count_if(OssinBlooms.begin(), OssinBlooms.end(),
                                        [](const TOssinBloomRecord& b) { return b.Removed == 0; }));
}

void DrawMapStatusLine() {
  std::string line = "Map: " + std::to_string(ViewState.ViewX) + ":" + std::to_string(ViewState.ViewY) +
                     "[" + std::to_string(GameMap.Width) + "x" + std::to_string(GameMap.Height) + "] \"" +
                     MapFileName + "\"";
  Text(MainFont, 1, 1, StatusColour, line);
}

// Terrain of the view, then the blooms and the live resource cells.
void DrawEditorGround() {
  RedrawMapView();
  LastViewPos = {ViewState.ViewX, ViewState.ViewY};
  for (const TOssinBloomRecord& b : OssinBlooms) DrawBloom(b);
  for (TOssinFieldRecord& f : OssinFields) DrawOssinField(f);
}

void DrawOutline(int widthCells, int heightCells) { DrawPointerOutline(widthCells, heightCells, OutlineColour); }

void DrawModeButtons(const std::array<std::string_view, 5>& captions) {
  for (std::size_t i = 0; i < captions.size(); ++i)
    DrawFlatButton(ButtonX, ButtonRows[i], ToFontCodePage(captions[i]), 1);
}

}  // namespace

// ---- Minimaps ----

void DrawMapEditorMinimap() {
  MiniTerrain();
  MiniFieldsAndBlooms();
  DrawMinimapViewFrame();
}

void DrawScenarioEditorMinimap() {
  MiniTerrain();
  MiniFieldsAndBlooms();
  std::uint8_t colour = 170;
  const std::int32_t lastBuilding = LastBuildingSlot();
  for (std::int32_t i = 1; i <= lastBuilding; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free != 0) continue;
    MinimapSideColour(b.Side, false, colour);
    const std::uint8_t cls = FootprintClass(b.Kind);
    const int w = FootprintWidth(cls), h = FootprintHeight(cls);
    for (int dy = 0; dy < h; ++dy)
      for (int dx = 0; dx < w; ++dx) MiniPoint(b.X + dx, b.Y + dy, colour);
  }
  const std::int32_t lastUnit = LastUnitSlot();
  for (std::int32_t i = 1; i <= lastUnit; ++i) {
    const TUnitRecord& u = Units[i];
    if (u.Free != 0 || u.OffMap != 0) continue;
    MinimapSideColour(u.Side, true, colour);
    MiniPoint(u.X - 1, u.Y - 1, colour);
  }
  for (const TWormRecord& w : Worms)
    if (w.Removed == 0) MiniPoint(w.X - 1, w.Y - 1, MinimapWormColour);
  DrawMinimapViewFrame();
}

// ---- Buttons and outlines ----

void DrawMapEditorButtons() { DrawModeButtons(MapModeButtons); }
void DrawScenarioEditorButtons() { DrawModeButtons(ScenarioModeButtons); }

void DrawBrushOutline() {
  SetCursorColor(CursorNormalColour);
  if (PendingOrder == 4) DrawOutline(1, 1);
}

void DrawEditorPlacementOutline() {
  SetCursorColor(CursorNormalColour);
  if (PendingOrder != 4) return;
  switch (PageList2.Mode) {
    case 0:
    case 2:
      DrawOutline(1, 1);
      break;
    case 1: {
      if (PageList2.Selected < 0 || PageList2.Selected >= EditorBuildingPlaces) return;
      const std::uint8_t item = EditorBuildingPalette(PageList2.Selected);
      const std::uint8_t kind = ItemBuildingKind(item);
      if (item != ItemSlabBlock && kind == 255) return;
      const std::uint8_t cls = item == ItemSlabBlock ? 1 : FootprintClass(kind);
      DrawOutline(FootprintWidth(cls), FootprintHeight(cls));
      break;
    }
    default:
      break;
  }
}

// ---- Frames ----

void DrawMapEditorScreen() {
  DrawEditorGround();
  StepPulses();
  DrawMapStatusLine();
  Text(MainFont, 1, 10, StatusColour, "Ossins: " + std::to_string(CountLiveFields()) + "/1000");
  Text(MainFont, 1, 19, StatusColour, "Glaus: " + std::to_string(CountLiveBlooms()) + "/100");
  DrawPanelBase();
  DrawMapEditorMinimap();
  const int mode = PageList1.Mode;
  if (mode >= 0 && mode < static_cast<int>(MapModeCaptions.size()))
    Text(SecondFont, 78, 167, CaptionColour, MapModeCaptions[static_cast<std::size_t>(mode)]);
  DrawMapEditorButtons();
  PageListDraw(PageList1);
  DrawMessageLine();
  DrawMouseCursor();
  DrawBrushOutline();
  PresentFrameProc();
}

void DrawScenarioEditorScreen() {
  DrawEditorGround();
  for (const TWormRecord& w : Worms) DrawWorm(w);
  const std::int32_t lastBuilding = LastBuildingSlot();
  for (std::int32_t i = 1; i <= lastBuilding; ++i) DrawBuildings(Buildings[i]);
  const std::int32_t lastUnit = LastUnitSlot();
  for (auto [lo, hi] : {std::pair{0, 3}, std::pair{4, 13}, std::pair{14, 255}})
    for (std::int32_t i = 1; i <= lastUnit; ++i) {
      const TUnitRecord& u = Units[i];
      if (u.Free == 0 && u.OffMap == 0 && u.Kind >= lo && u.Kind <= hi) DrawUnit(u);
    }
  StepPulses();

  int liveUnits = 0, liveBuildings = 0, liveWorms = 0;
  for (std::int32_t i = 1; i <= lastUnit; ++i) liveUnits += Units[i].Free == 0 ? 1 : 0;
  for (std::int32_t i = 1; i <= lastBuilding; ++i) liveBuildings += Buildings[i].Free == 0 ? 1 : 0;
  for (const TWormRecord& w : Worms) liveWorms += w.Removed == 0 ? 1 : 0;
  DrawMapStatusLine();
  Text(MainFont, 1, 10, StatusColour, "Units: " + std::to_string(liveUnits) + "/" + std::to_string(UnitSlots));
  Text(MainFont, 1, 19, StatusColour,
       "Builds: " + std::to_string(liveBuildings) + "/" + std::to_string(BuildingSlots));
  Text(MainFont, 1, 28, StatusColour, "Crows: " + std::to_string(liveWorms) + "/10");
  Text(MainFont, 1, 37, StatusColour, "Level: " + std::to_string(Mission.MissionNumber));

  DrawPanelBase();
  DrawScenarioEditorMinimap();
  switch (PageList2.Mode) {
    case 0:
    case 1:
    case 2:
      Text(SecondFont, 78, 167, CaptionColour, ScenarioModeButtons[static_cast<std::size_t>(PageList2.Mode)]);
      PageListDraw2(PageList2);
      break;
    case 3:
      Text(SecondFont, 78, 165, CaptionColour, ScenarioModeButtons[3]);
      Text(SecondFont, 171, 165, ValueColour, std::to_string(EditorPlayer));
      TrackBarDraw(TrackBars[1]);
      break;
    case 4:
      Text(SecondFont, 78, 165, CaptionColour, ScenarioModeButtons[4]);
      Text(SecondFont, 78, 180, CaptionColour, "ДИНАСТИЯ"_cp1251);
      Text(SecondFont, 171, 165, ValueColour,
           std::to_string(Players[std::clamp<int>(EditorPlayer, 1, MaxPlayers)].Credits));
      Text(SecondFont, 118, 165, ValueColour, std::to_string(EditorPlayer));
      Text(SecondFont, 171, 180, ValueColour, FactionName(EditorSide));
      TrackBarDraw(TrackBars[1]);
      TrackBarDraw(TrackBars[2]);
      break;
    default:
      break;
  }
  DrawScenarioEditorButtons();
  DrawMessageLine();
  DrawMouseCursor();
  DrawEditorPlacementOutline();
  PresentFrameProc();
}

}  // namespace zarn
