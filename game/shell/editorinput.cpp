// The editors' pointer: clicks on the map and the panel, and the per-frame hover that applies
// the brush while a button is held (one cell per frame under the pointer), scrolls at the
// screen edges and drags the view on the minimap.
#include <algorithm>

#include "game/base/dvga.h"
#include "game/menus/dmenus.h"
#include "game/shell/Main.h"
#include "game/shell/playmouse.h"
#include "game/shell/editorscreens.h"
#include "game/shell/selection.h"
#include "game/sound/dsnd.h"
#include "game/world/buildings.h"
#include "game/world/editorrules.h"
#include "game/world/gamestart.h"
#include "game/world/pulses.h"
#include "game/world/scenario.h"
#include "game/world/units.h"

namespace zarn {

namespace {

constexpr int MapRows = 158;

// The mode button under the pointer (0..4), -1 for none; the last button's rows end at 197.
int ModeButtonAt() { return OnCommandColumn() ? std::min((MouseY - 159) / 8, 4) : -1; }

// The panel's menu button and minimap, shared by both editors; true when the click was theirs.
bool PanelCommonClick(void (*openMenu)()) {
  ArrowCursor();
  return PanelMenuOrMinimapClick(openMenu);
}

std::uint8_t ClampedPlayer() { return static_cast<std::uint8_t>(std::clamp<int>(EditorPlayer, 1, MaxPlayers)); }

// The track bars write the int32 mirrors; the world keeps bytes.
void TakeBarValues() {
  EditorPlayer = static_cast<std::uint8_t>(std::clamp<std::int32_t>(EditorPlayerValue, 1, MaxPlayers));
  EditorSide = static_cast<std::uint8_t>(std::clamp<std::int32_t>(EditorSideValue, 0, MaxSide));
}

void CreateModeBars(int mode) {
  EditorPlayerValue = ClampedPlayer();
  EditorSideValue = EditorSide;
  if (mode == 3) {
    // A one-player mission gives the range 1..1: the bar stays at its left end.
    TrackBarCreate(TrackBars[1], 63, 172, 1, std::max<std::int32_t>(1, Mission.PlayerCount), 1, &EditorPlayerValue);
  } else if (mode == 4) {
    TrackBarCreate(TrackBars[1], 73, 172, 1000, 150000, 1, &Players[ClampedPlayer()].Credits);
    TrackBarCreate(TrackBars[2], 63, 188, 1, 4, 1, &EditorSideValue);
  }
}

}  // namespace

// ---- Map editor ----

void MapEditorClick() {
  if (MouseY < MapRows) {
    if (PageList1.Mode == 3) EditorPlaceBloom(PointerCellX(), PointerCellY());
    return;
  }
  if (PanelCommonClick(OpenMapEditorMenu)) return;
  if (OnMiddleArea()) {
    PageListMouseDown(PageList1, MouseX, MouseY);
    return;
  }
  if (const int mode = ModeButtonAt(); mode >= 0) PageListSetMode(PageList1, mode);
}

void MapEditorHover() {
  if (MouseY >= MapRows) {
    PanelHover();
    return;
  }
  if (PendingOrder == 0) {
    ArrowCursor();
    EdgeScroll();
    return;
  }
  if (PendingOrder == 4) {
    SelectCursor(8);
    const std::int32_t x = PointerCellX(), y = PointerCellY();
    const int selected = PageList1.Selected;
    const std::int32_t item =
        selected >= 0 && selected < PageList1.Count ? PageList1.Items[static_cast<std::size_t>(selected)] : 0;
    if (MouseButtonUp == 0) {
      switch (PageList1.Mode) {
        case 0: EditorEraseObjects(x, y); break;
        case 1: EditorPlaceMountain(x, y, item); break;
        case 2: EditorPlaceOssinField(x, y); break;
        case 4: EditorPlaceZarn(x, y, item); break;
        default: break;  // blooms go down on the click
      }
    }
    if (RightButtonUp == 0) {
      EditorPaintSand(x, y);
      ResetLastViewPos();
    }
  }
  SetCursorColor(CursorNormalColour);
  EdgeScroll();
}

// ---- Scenario editor ----

void SetScenarioEditorMode(int mode) {
  PageListSetMode2(PageList2, mode);
  if (mode <= 3) Players[ClampedPlayer()].Side = EditorSide;
  if (mode == 4) EditorSide = Players[ClampedPlayer()].Side;
  CreateModeBars(mode);
}

void RestoreScenarioEditorBars() { CreateModeBars(PageList2.Mode); }

void ScenarioEditorClick() {
  if (MouseY < MapRows) {
    const std::int32_t x = PointerCellX(), y = PointerCellY();
    if (MouseButtonUp == 0) {
      switch (PageList2.Mode) {
        case 0: EditorPlaceUnit(x, y, PageList2.Selected, EditorSide, ClampedPlayer()); break;
        case 1: EditorPlaceBuilding(x, y, PageList2.Selected, EditorSide, ClampedPlayer()); break;
        case 2: EditorPlaceWorm(x, y); break;
        default: break;
      }
    }
    if (RightButtonUp == 0) {
      std::uint16_t index = 0;
      std::uint8_t kind = 0;
      if (!HitTest(true, index, kind)) {
        if (kind == SelectedUnits)
          RemoveUnit(Units[index]);
        else if (kind == SelectedBuilding)
          RemoveBuilding(Buildings[index]);
        else
          RemoveWorm(Worms[index]);
      }
    }
    return;
  }
  if (PanelCommonClick(OpenScenarioEditorMenu)) return;
  if (OnMiddleArea()) {
    switch (PageList2.Mode) {
      case 0: case 1: case 2:
        PageListMouseDown2(PageList2, MouseX, MouseY);
        break;
      case 3:
        TrackBarMouseDown(TrackBars[1], MouseX, MouseY);
        TakeBarValues();
        break;
      case 4:
        TrackBarMouseDown(TrackBars[1], MouseX, MouseY);
        TrackBarMouseDown(TrackBars[2], MouseX, MouseY);
        TakeBarValues();
        break;
      default:
        break;
    }
    return;
  }
  if (const int mode = ModeButtonAt(); mode >= 0) SetScenarioEditorMode(mode);
}

void ScenarioEditorHover() {
  if (MouseY >= MapRows) {
    PanelHover();
    return;
  }
  if (PendingOrder == 0 || PageList2.Mode == 3 || PageList2.Mode == 4)
    SelectCursor(0);
  else if (PendingOrder == 4)
    SelectCursor(8);
  SetCursorColor(CursorNormalColour);
  EdgeScroll();
}

}  // namespace zarn
