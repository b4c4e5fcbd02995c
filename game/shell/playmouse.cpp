// Routing of the pointer on the play screen to the selection, the orders and the panel.
#include "game/shell/playmouse.h"

#include "game/base/dvga.h"
#include "game/menus/dmenus.h"
#include "game/shell/Main.h"
#include "game/net/netgame.h"
#include "game/net/netrequests.h"
#include "game/shell/panelorders.h"
#include "game/shell/selection.h"
#include "game/sound/dsnd.h"
#include "game/world/dobjects.h"

namespace zarn {

namespace {

bool Between(int v, int lo, int hi) { return v >= lo && v <= hi; }

void OpenGameMenuFromPanel() {
  if (NetRole == RoleSingle) StopMusicProc();
  ShellCalls.OpenGameMenu();
}

void PanelClick(bool net) {
  ArrowCursor();
  if (PendingOrder == 0) {
    if (PanelMenuOrMinimapClick(OpenGameMenuFromPanel)) return;
    if (OnMiddleArea()) {
      BuildingPanelClick(MouseX, MouseY);
      return;
    }
  }
  if (!OnCommandColumn() || ViewState.SelectedCount == 0) return;
  if (PendingOrder != 0) {
    PendingOrder = 0;
    SetCursorColor(CursorNormalColour);
    return;
  }
  switch (ViewState.SelectionKind) {
    case SelectedBuilding:
      PanelButtonClick(MouseX, MouseY);
      break;
    case SelectedUnits:
      // Own units only: the command column refuses a clicked foreign unit itself.
      if (net) NetUnitCommandClick(MouseX, MouseY);
      else UnitCommandClick(MouseX, MouseY);
      break;
    default:
      break;
  }
}

// A click that opened another screen is released there: the box drag must not carry over.
void ForgetDragIfScreenLeft() {
  if (GameScreen != 0) BoxDragState = 0;
}

void MapHover() {
  if (PendingOrder != 0) {
    SelectCursor(PendingOrder == 4 ? 8 : 3);
    SetCursorColor(CursorNormalColour);
    EdgeScroll();
    return;
  }
  std::uint16_t index = 0;
  std::uint8_t kind = 0;
  if (HitTest(false, index, kind)) {
    ArrowCursor();
    EdgeScroll();
    return;
  }
  SelectCursor(2);
  switch (kind) {
    case SelectedUnits:
      SetCursorColor(Units[index].Owner == LocalPlayer ? CursorNormalColour : CursorForeignColour);
      break;
    case SelectedBuilding:
      SetCursorColor(Buildings[index].Owner == LocalPlayer ? CursorNormalColour : CursorForeignColour);
      break;
    default:
      SetCursorColor(CursorWormColour);
      break;
  }
}

}  // namespace

bool OnMenuButton() { return Between(MouseX, 151, 171) && Between(MouseY, 158, 163); }
bool OnMinimap() { return Between(MouseX, 1, 64) && Between(MouseY, 159, 198); }
bool OnMiddleArea() { return Between(MouseX, 74, 249) && Between(MouseY, 164, 195); }
bool OnCommandColumn() { return Between(MouseX, 259, 317) && Between(MouseY, 159, 197); }

void ArrowCursor() {
  SelectCursor(0);
  SetCursorColor(CursorNormalColour);
}

bool PanelMenuOrMinimapClick(void (*openMenu)()) {
  if (OnMenuButton()) {
    LastKey = KeyEsc;
    PlayButtonSound();
    openMenu();
    return true;
  }
  if (OnMinimap()) {
    ViewFromMinimapClick();
    return true;
  }
  return false;
}

void PanelHover() {
  ArrowCursor();
  if (OnMenuButton()) MenuButtonIdle = 0;
  else EdgeScroll();
  if (MouseButtonUp == 0 && OnMinimap()) ViewFromMinimapClick();
}

void EdgeScroll() {
  if (NetRole != RoleSingle && NetGameStarted == 0) return;
  if (!PointerInWindow || !WindowFocused) return;
  // Each edge on its own, so that a corner scrolls both ways; the later cursor wins.
  const struct {
    bool on;
    std::uint8_t cursor;
    void (*scroll)();
  } edges[] = {{MouseX < 3, 4, ScrollViewLeft},
               {MouseX >= 317, 5, ScrollViewRight},
               {MouseY < 3, 6, ScrollViewUp},
               {MouseY >= 198, 7, ScrollViewDown}};
  for (const auto& e : edges) {
    if (!e.on) continue;
    SelectCursor(e.cursor);
    SetCursorColor(CursorNormalColour);
    e.scroll();
  }
}

void GamePanelClick() { PanelClick(false); }
void NetGamePanelClick() { PanelClick(true); }

void GameClick() {
  if (MouseY >= 158) GamePanelClick();
  else GameMapClick();
  ForgetDragIfScreenLeft();
}

void NetGameClick() {
  if (MouseY >= 158) {
    NetGamePanelClick();
  } else if (NetRole == RoleClient && SideChoiceOpen != 0) {
    // Only a press on a side chooses: a stray click must not send the first side offered.
    if (SideChooserMouseDown(SideChooser, MouseX, MouseY) && SideChooser.Selected != SeatWithoutSide) {
      ViewState.LocalSide = SideChooser.Selected;
      NetRequestSide(LocalPlayer, SideChooser.Selected);
    }
  } else {
    NetGameMapClick();
  }
  ForgetDragIfScreenLeft();
}

void GameRightClick() {
  if (MouseY < 158) GameMapRightClick();
  else GameMinimapRightClick();
}

void NetGameRightClick() {
  if (MouseY < 158) NetGameMapRightClick();
  else NetGameMinimapRightClick();
}

void GameHover() {
  // Esc may have opened the menu in this frame while the button was held.
  ForgetDragIfScreenLeft();
  if (GameScreen != 0) return;
  if (MouseY >= 158) PanelHover();
  else MapHover();
}

}  // namespace zarn
