// Selection and control groups: picking, the selection box, the double click, the groups and
// the per-frame check that keeps the selection (and the order waiting for a target) valid.
#include "game/shell/selection.h"

#include <algorithm>
#include <cstdlib>

#include "game/base/dvga.h"
#include "game/shell/Main.h"
#include "game/shell/playmouse.h"
#include "game/sound/dsnd.h"
#include "game/world/dobjects.h"

namespace zarn {

namespace {

// Selection entries come from files and earlier gestures: every index is checked before use.
TUnitRecord* UnitAt(std::uint16_t i) { return i <= MaxUnitSlots ? &Units[i] : nullptr; }
TBuildingRecord* BuildingAt(std::uint16_t i) {
  return i >= 1 && i <= MaxBuildingSlots ? &Buildings[i] : nullptr;
}
TWormRecord* WormAt(std::uint16_t i) { return i >= 1 && i <= WormSlots ? &Worms[i] : nullptr; }

bool OnMap(const TUnitRecord& u) { return u.Free == 0 && u.OffMap == 0; }

bool CellHidden(std::int32_t x, std::int32_t y) {
  return DebugFlags.ShadowEnabled != 0 && ShroudAt(x, y) != ShroudVisible;
}

// The mark of the object an entry holds, by the selection's kind.
void MarkOff(const TSelectionEntry& e, std::uint8_t kind) {
  switch (kind) {
    case SelectedUnits:
      if (TUnitRecord* u = UnitAt(e.Index)) DeselectUnit(*u);
      break;
    case SelectedBuilding:
      if (TBuildingRecord* b = BuildingAt(e.Index)) DeselectBuilding(*b);
      break;
    case SelectedWorm:
      if (TWormRecord* w = WormAt(e.Index)) StopWormSound(*w);
      break;
    default:
      break;
  }
}

struct TCellBox {
  std::int32_t X1, X2, Y1, Y2;
};

// Screen corners sorted, the bottom kept in the map area, each turned into a cell.
TCellBox CellsOfBox(int x1, int x2, int y1, int y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  y2 = std::min(y2, 158);
  return {x1 / 16 + ViewState.ViewX, x2 / 16 + ViewState.ViewX, y1 / 16 + ViewState.ViewY,
          y2 / 16 + ViewState.ViewY};
}

// The lowest unit slot on the map at the cell that passes the test, 0 when none.
template <typename Pred>
std::uint16_t UnitOnCell(std::int32_t x, std::int32_t y, Pred ok) {
  const int last = LastUnitSlot();
  for (int i = 1; i <= last; ++i) {
    const TUnitRecord& u = Units[i];
    if (OnMap(u) && u.X == x && u.Y == y && ok(u)) return static_cast<std::uint16_t>(i);
  }
  return 0;
}

// Whether the selection can still receive the order that waits for a target.
bool PendingOrderFits() {
  if (ViewState.SelectedCount == 0) return false;
  switch (PendingOrder) {
    case 0:
      return true;
    case 1:
      if (ViewState.SelectionKind == SelectedUnits) return true;
      if (const TBuildingRecord* b = OwnSelectedBuilding()) return b->Kind == BuildingPalace;
      return false;
    case 4:
      if (const TBuildingRecord* b = OwnSelectedBuilding()) return b->Kind == BuildingConstructionYard;
      return false;
    default:
      return ViewState.SelectionKind == SelectedUnits;
  }
}

}  // namespace

std::int32_t PointerCellX() { return MouseX / 16 + ViewState.ViewX; }
std::int32_t PointerCellY() { return MouseY / 16 + ViewState.ViewY; }

void ClearSelection() {
  for (TSelectionEntry& e : ViewState.Selection) {
    if (e.InUse == 0) continue;
    MarkOff(e, ViewState.SelectionKind);
    e.InUse = 0;
  }
  ViewState.SelectedCount = 0;
  ViewState.SelectionKind = SelectedUnits;
}

int FirstSelectedEntry() {
  if (ViewState.SelectedCount == 0) return 0;
  for (int n = 1; n <= SelectionEntries; ++n)
    if (ViewState.Selection[n].InUse != 0) return n;
  return 0;
}

TUnitRecord* SingleSelectedUnit() {
  if (ViewState.SelectionKind != SelectedUnits) return nullptr;
  const int n = FirstSelectedEntry();
  if (n == 0) return nullptr;
  TUnitRecord* u = UnitAt(ViewState.Selection[n].Index);
  return u && u->Free == 0 ? u : nullptr;
}

TUnitRecord* OwnSelectedUnit() {
  TUnitRecord* u = SingleSelectedUnit();
  return u && u->Owner == LocalPlayer ? u : nullptr;
}

TBuildingRecord* LiveSelectedBuilding() {
  if (ViewState.SelectedCount == 0 || ViewState.SelectionKind != SelectedBuilding) return nullptr;
  if (ViewState.Selection[1].InUse == 0) return nullptr;
  TBuildingRecord* b = BuildingAt(ViewState.Selection[1].Index);
  return b && b->Free == 0 ? b : nullptr;
}

TBuildingRecord* OwnSelectedBuilding() {
  TBuildingRecord* b = LiveSelectedBuilding();
  return b && b->Owner == LocalPlayer ? b : nullptr;
}

void DropSelectionEntry(int entry) {
  TSelectionEntry& e = ViewState.Selection[entry];
  if (e.InUse == 0) return;
  MarkOff(e, ViewState.SelectionKind);
  e.InUse = 0;
  if (ViewState.SelectedCount > 0) --ViewState.SelectedCount;
}

void DropUnfitPendingOrder() {
  if (PendingOrder == 0 || PendingOrderFits()) return;
  PendingOrder = 0;
  SetCursorColor(CursorNormalColour);
}

bool HitTest(bool includeAllBuildings, std::uint16_t& index, std::uint8_t& kind) {
  if (NetRole != RoleSingle && NetGameStarted == 0) return true;
  if (MouseX < 3 || MouseX > 317 || MouseY < 3 || MouseY > 157) return true;
  const std::int32_t x = PointerCellX(), y = PointerCellY();
  if (CellHidden(x, y)) return true;
  if (std::uint16_t slot = 0; FindUnitAtTile(x, y, slot) == 0) {
    index = slot;
    kind = SelectedUnits;
    return false;
  }
  const int last = LastBuildingSlot();
  for (int i = 1; i <= last; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free != 0 || (!includeAllBuildings && b.Kind < BuildingConstructionYard)) continue;
    if (BuildingCoversTile(b, x, y) != 0) continue;
    index = static_cast<std::uint16_t>(i);
    kind = SelectedBuilding;
    return false;
  }
  if (std::uint16_t slot = 0; FindWormAtTile(x, y, slot) == 0) {
    index = slot;
    kind = SelectedWorm;
    return false;
  }
  return true;
}

void SelectObject(std::uint16_t index, std::uint8_t kind) {
  // Everything selected before loses its mark, not only the first entry: a stale entry left in
  // use would come back with the next group stored.
  ClearSelection();
  ViewState.SelectedCount = 1;
  ViewState.SelectionKind = kind;
  ViewState.Selection[1] = TSelectionEntry{index, 1, 0};
  switch (kind) {
    case SelectedUnits:
      if (TUnitRecord* u = UnitAt(index)) {
        SelectUnit(*u);
        if (u->Owner == LocalPlayer) PlaySelectAck();
      }
      break;
    case SelectedBuilding:
      if (TBuildingRecord* b = BuildingAt(index)) PlayBuildingSelectSound(*b);
      break;
    case SelectedWorm:
      if (TWormRecord* w = WormAt(index)) StartWormSound(*w);
      break;
    default:
      break;
  }
}

bool BoxSelect(int x1, int x2, int y1, int y2, std::uint8_t unitKind, bool allKinds) {
  const TCellBox box = CellsOfBox(x1, x2, y1, y2);
  std::uint16_t taken[SelectionEntries];
  int n = 0;
  for (std::int32_t y = box.Y1; y <= box.Y2 && n < SelectionEntries; ++y)
    for (std::int32_t x = box.X1; x <= box.X2 && n < SelectionEntries; ++x) {
      const std::uint16_t slot = UnitOnCell(x, y, [&](const TUnitRecord& u) {
        return u.Owner == LocalPlayer && (allKinds || u.Kind == unitKind);
      });
      if (slot != 0) taken[n++] = slot;
    }
  if (n == 0) return true;
  ClearSelection();
  for (int i = 0; i < n; ++i) {
    ViewState.Selection[i + 1] = TSelectionEntry{taken[i], 1, 0};
    SelectUnit(Units[taken[i]]);
  }
  ViewState.SelectionKind = SelectedUnits;
  ViewState.SelectedCount = static_cast<std::uint16_t>(n);
  PlaySelectAckSound();
  return false;
}

bool FirstObjectInBox(int x1, int x2, int y1, int y2, std::uint16_t& index, std::uint8_t& kind) {
  const TCellBox box = CellsOfBox(x1, x2, y1, y2);
  for (std::int32_t y = box.Y1; y <= box.Y2; ++y)
    for (std::int32_t x = box.X1; x <= box.X2; ++x) {
      if (CellHidden(x, y)) continue;
      if (std::uint16_t slot = UnitOnCell(x, y, [](const TUnitRecord&) { return true; })) {
        index = slot;
        kind = SelectedUnits;
        return false;
      }
    }
  for (std::int32_t y = box.Y1; y <= box.Y2; ++y)
    for (std::int32_t x = box.X1; x <= box.X2; ++x) {
      if (CellHidden(x, y)) continue;
      if (std::uint16_t slot = 0; FindWormAtTile(x, y, slot) == 0) {
        index = slot;
        kind = SelectedWorm;
        return false;
      }
    }
  return true;
}

void TrackSelectionBox() {
  if (MouseButtonUp == 0) {
    if (BoxDragState != 3) {
      BoxDragState = 3;
      BoxDragAnchorX = MouseX;
      BoxDragAnchorY = MouseY;
    }
    SelectCursor(1);
    SetCursorColor(CursorNormalColour);
    DrawFrame(std::min(BoxDragAnchorX, MouseX), std::min(BoxDragAnchorY, MouseY),
              std::max(BoxDragAnchorX, MouseX), std::max(BoxDragAnchorY, MouseY), CursorNormalColour);
    return;
  }
  if (BoxDragState == 3 && std::abs(BoxDragAnchorX - MouseX) > 5 &&
      std::abs(BoxDragAnchorY - MouseY) > 5) {
    std::uint16_t index = 0;
    std::uint8_t kind = 0;
    if (!FirstObjectInBox(BoxDragAnchorX, MouseX, BoxDragAnchorY, MouseY, index, kind) &&
        BoxSelect(BoxDragAnchorX, MouseX, BoxDragAnchorY, MouseY, 0, true))
      SelectObject(index, kind);
  }
  BoxDragState = 0;
}

void GameDoubleClick() {
  std::uint16_t index = 0;
  std::uint8_t kind = 0;
  if (HitTest(false, index, kind) || kind != SelectedUnits) return;
  const std::uint8_t unitKind = Units[index].Kind;
  std::uint16_t found = 0;
  std::uint8_t foundKind = 0;
  if (FirstObjectInBox(1, 319, 1, 160, found, foundKind)) return;
  if (BoxSelect(1, 319, 1, 160, unitKind, false)) SelectObject(index, SelectedUnits);
}

void StoreGroup(int group) {
  if (group < 0 || group > 9) return;
  TSelectionList& g = ViewState.Groups[group];
  // Only units make a group: a building or a worm would come back as a unit slot.
  if (ViewState.SelectionKind == SelectedUnits && ViewState.SelectedCount != 0) {
    g = ViewState.Selection;
  } else {
    for (TSelectionEntry& e : g) e.InUse = 0;
  }
}

void RecallGroup(int group) {
  if (group < 0 || group > 9) return;
  TSelectionList& g = ViewState.Groups[group];
  int n = 0;
  for (TSelectionEntry& e : g) {
    if (e.InUse == 0) continue;
    const TUnitRecord* u = UnitAt(e.Index);
    if (!u || u->Free != 0 || u->Owner != LocalPlayer) {
      e.InUse = 0;
      continue;
    }
    ++n;
  }
  if (n == 0) return;
  ClearSelection();
  ViewState.Selection = g;
  for (TSelectionEntry& e : ViewState.Selection)
    if (e.InUse != 0) SelectUnit(Units[e.Index]);
  ViewState.SelectedCount = static_cast<std::uint16_t>(n);
  ViewState.SelectionKind = SelectedUnits;
}

void CheckSelection() {
  if (ViewState.SelectedCount != 0) {
    switch (ViewState.SelectionKind) {
      case SelectedBuilding: {
        const TBuildingRecord* b = BuildingAt(ViewState.Selection[1].Index);
        if (ViewState.Selection[1].InUse == 0 || !b || b->Free != 0) ViewState.SelectedCount = 0;
        break;
      }
      case SelectedWorm: {
        const TWormRecord* w = WormAt(ViewState.Selection[1].Index);
        if (ViewState.Selection[1].InUse == 0 || !w || w->Removed != 0) ViewState.SelectedCount = 0;
        break;
      }
      case SelectedUnits: {
        const bool several = ViewState.SelectedCount > 1;
        int left = 0;
        for (int n = 1; n <= SelectionEntries; ++n) {
          TSelectionEntry& e = ViewState.Selection[n];
          if (e.InUse == 0) continue;
          const TUnitRecord* u = UnitAt(e.Index);
          // Lifted, removed, or (in a group of own units) taken over by another player.
          if (!u || !OnMap(*u) || (several && u->Owner != LocalPlayer)) {
            MarkOff(e, SelectedUnits);
            e.InUse = 0;
            continue;
          }
          ++left;
        }
        ViewState.SelectedCount = static_cast<std::uint16_t>(left);
        break;
      }
      default:
        ViewState.SelectedCount = 0;
        break;
    }
  }
  DropUnfitPendingOrder();
}

}  // namespace zarn
