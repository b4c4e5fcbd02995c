// Orders from the side panel and the map. Single play calls the world's orders; a network game
// sends the requests instead (the senders apply them at once on the server), except deploying,
// returning to the refinery, the special weapon and placing, which mirror themselves.
#include "game/shell/panelorders.h"

#include <algorithm>
#include <array>
#include <span>

#include "game/base/dvga.h"
#include "game/menus/buildmenus.h"
#include "game/net/netrequests.h"
#include "game/shell/playmouse.h"
#include "game/shell/selection.h"
#include "game/sound/dsnd.h"
#include "game/world/dobjects.h"

namespace zarn {

namespace {

bool InNetGame() { return NetRole != RoleSingle; }

bool Between(int v, int lo, int hi) { return v >= lo && v <= hi; }

void OrderMove(TUnitRecord& u, std::int32_t x, std::int32_t y, bool net) {
  if (net) NetOrderMoveTo(u.Slot, x, y);
  else MoveTo(u, x, y);
}
void OrderAttack(TUnitRecord& u, std::int32_t x, std::int32_t y, bool net) {
  if (net) NetOrderAttackAt(u.Slot, x, y);
  else AttackAt(u, x, y);
}
void OrderStop(TUnitRecord& u, bool net) {
  if (net) NetOrderStopUnit(u.Slot);
  else StopUnit(u);
}

// The unit of a selection entry when it is live and the local player's.
TUnitRecord* OwnLiveUnit(const TSelectionEntry& e) {
  if (e.InUse == 0 || e.Index > MaxUnitSlots) return nullptr;
  TUnitRecord& u = Units[e.Index];
  return u.Free == 0 && u.Owner == LocalPlayer ? &u : nullptr;
}

// Each own, live unit of a unit selection; foreign or free entries leave the selection.
template <typename F>
void ForEachOwnSelectedUnit(F order) {
  if (ViewState.SelectedCount == 0 || ViewState.SelectionKind != SelectedUnits) return;
  for (int n = 1; n <= SelectionEntries; ++n) {
    const TSelectionEntry& e = ViewState.Selection[n];
    if (e.InUse == 0) continue;
    if (TUnitRecord* u = OwnLiveUnit(e)) order(*u);
    else DropSelectionEntry(n);
  }
}

void GroupOrder(std::int32_t x, std::int32_t y, bool attack) {
  const bool net = InNetGame();
  ForEachOwnSelectedUnit([&](TUnitRecord& u) {
    if (attack) OrderAttack(u, x, y, net);
    else OrderMove(u, x, y, net);
  });
}

bool IsOwnObject(std::uint16_t index, std::uint8_t kind) {
  if (kind == TargetUnit) return Units[index].Owner == LocalPlayer;
  if (kind == TargetBuilding) return Buildings[index].Owner == LocalPlayer;
  return false;
}

void UnitCommand(int y, bool net) {
  TUnitRecord* u = OwnSelectedUnit();
  if (!u) return;
  const bool several = ViewState.SelectedCount > 1;
  if (Between(y, 159, 168)) {
    PendingOrder = 2;
  } else if (Between(y, 169, 178)) {
    if (!several) OrderStop(*u, net);
    else if (NetRole == RoleClient) SendGroupStop();
    else StopSelection();
  } else if (Between(y, 179, 188)) {
    switch (u->Kind) {
      case UnitHarvester: PendingOrder = 3; break;
      case UnitConstructionVehicle: DeployUnit(*u); break;
      case UnitCarrier: PendingOrder = 5; break;
      default: PendingOrder = 1; break;
    }
  } else if (Between(y, 189, 197)) {
    switch (u->Kind) {
      case UnitHarvester: ReturnToRefinery(*u); break;
      case UnitGromador:
        if (net) NetOrderDestroyUnit(u->Slot);
        else DestroyUnit(*u);
        break;
      case UnitCarrier: PendingOrder = 6; break;
      default: break;
    }
  }
}

void TogglePause(TBuildingRecord& b) {
  switch (NetRole) {
    case RoleClient:
      NetRequestPauseProduction(b.Slot);
      break;
    case RoleServer:
      NetBroadcastPauseProductionProc(b.Slot);
      ToggleProductionPause(b);
      break;
    default:
      ToggleProductionPause(b);
      break;
  }
}

void BuyItem(TBuildingRecord& b) {
  TPlayerRecord& player = Players[LocalPlayer];
  const std::uint16_t price = ItemCost(b.Item);
  if (b.Kind != BuildingConstructionYard && !RoomToProduceUnit(LocalPlayer)) {
    ShowMessageLine(InFontCodePage(NoMoreUnitsText));
    return;
  }
  if (price >= player.Credits) return;
  // Paid only for an order the building took: a refused one must not swallow the money.
  if (OrderBuildingProduction(b, b.Item, price) == 0) player.Credits -= price;
}

// A client checks the footprint on its copy of the world before it asks the server, so that
// a refused place keeps the order waiting (the server's refusal would come back too late).
bool ClientRefuses(std::int32_t x, std::int32_t y, std::uint8_t kind, std::uint8_t owner) {
  return NetRole == RoleClient && FootprintRefused(x, y, kind, owner) != 0;
}

// Item 18 in a network game: four single slabs, refused only when all four are.
bool PlaceNetSlabBlock(const TBuildingRecord& yard, std::int32_t x, std::int32_t y) {
  static constexpr std::int32_t Offsets[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  bool any = false;
  for (const auto& o : Offsets) {
    const std::int32_t sx = x + o[0], sy = y + o[1];
    if (ClientRefuses(sx, sy, BuildingSlab, yard.Owner)) continue;
    if (PlaceBuilding(sx, sy, BuildingSlab, yard.Side, yard.Owner) == 0) any = true;
  }
  return any;
}

void PlaceFinishedBuilding(std::int32_t x, std::int32_t y, bool net) {
  TBuildingRecord* yard = OwnSelectedBuilding();
  if (!yard) return;
  if (yard->Item == ItemSlabBlock) {
    if (net ? !PlaceNetSlabBlock(*yard, x, y) : PlaceSlabBlock(x, y, yard->Owner, yard->Side) != 0)
      return;
  } else {
    const std::uint8_t kind = ItemBuildingKind(yard->Item);
    if (kind == 255) return;
    if (ClientRefuses(x, y, kind, yard->Owner)) return;
    if (PlaceBuilding(x, y, kind, yard->Side, yard->Owner) != 0) return;
  }
  yard->ProductionState = ProductionIdle;
  yard->ProductionProgress = 0;
  PendingOrder = 0;
  // The server's yard would otherwise keep its finished item and give the money back later.
  if (net) NetRequestProductionReset(yard->Slot);
}

void MapClick(bool net) {
  const std::int32_t cx = PointerCellX(), cy = PointerCellY();
  switch (PendingOrder) {
    case 0: {
      std::uint16_t index = 0;
      std::uint8_t kind = 0;
      if (!HitTest(false, index, kind)) SelectObject(index, kind);
      return;
    }
    case 1:
      if (ViewState.SelectedCount == 0) return;
      if (ViewState.SelectionKind == SelectedBuilding) {
        if (TBuildingRecord* b = OwnSelectedBuilding()) UseSpecialWeapon(*b, cx, cy);
      } else if (ViewState.SelectionKind == SelectedUnits) {
        if (ViewState.SelectedCount > 1) {
          GroupAttackOrder(cx, cy);
          PlayOrderAck2();
        } else {
          TUnitRecord* u = OwnSelectedUnit();
          if (!u) return;  // not ours: the order waits for another selection
          OrderAttack(*u, cx, cy, net);
          PlayOrderAck();
        }
      }
      PendingOrder = 0;
      return;
    case 2: case 3: case 5: case 6: {
      if (ViewState.SelectedCount == 0 || ViewState.SelectionKind != SelectedUnits) return;
      if (ViewState.SelectedCount > 1) {
        GroupMoveOrder(cx, cy);
        PlayOrderAck2();
      } else {
        TUnitRecord* u = OwnSelectedUnit();
        if (!u) return;
        switch (PendingOrder) {
          case 2: OrderMove(*u, cx, cy, net); break;
          case 3:
            if (net) NetOrderMoveOrHarvest(u->Slot, cx, cy);
            else MoveOrHarvest(*u, cx, cy);
            break;
          case 5:
            if (net) NetOrderCarrierPickUp(u->Slot, cx, cy);
            else CarrierPickUp(*u, cx, cy);
            break;
          default:
            if (net) NetOrderCarrierDeliver(u->Slot, cx, cy);
            else CarrierDeliver(*u, cx, cy);
            break;
        }
        PlayOrderAck();
      }
      PendingOrder = 0;
      return;
    }
    case 4:
      PlaceFinishedBuilding(cx, cy, net);
      return;
    default:
      return;
  }
}

// The right-click order for the target at (x, y) of a selection of several units.
void GroupTargetOrder(std::int32_t x, std::int32_t y) {
  std::uint16_t index = 0;
  std::uint8_t kind = 0;
  if (TargetAtCell(x, y, index, kind) || IsOwnObject(index, kind)) GroupMoveOrder(x, y);
  else if (kind == TargetUnit || kind == TargetBuilding) GroupAttackOrder(x, y);
  PlayOrderAck2();
}

// A right-click order at (x, y) for the selection: several units as a group; a single own unit
// by what stands there (harvesters and carriers by their own rules, unless plain is asked).
void RightClickOrder(std::int32_t x, std::int32_t y, bool net, bool plain) {
  if (ViewState.SelectedCount == 0 || ViewState.SelectionKind != SelectedUnits) return;
  if (ViewState.SelectedCount > 1) {
    GroupTargetOrder(x, y);
    return;
  }
  TUnitRecord* u = OwnSelectedUnit();
  if (!u) return;
  std::uint16_t slot = 0;
  std::uint8_t kind = 0;
  if (!plain && u->Kind == UnitHarvester) {
    if (FindOssinFieldAt(x, y, slot, kind) != 0) {
      OrderMove(*u, x, y, net);
    } else if (net) {
      NetOrderMoveOrHarvest(u->Slot, x, y);
    } else {
      MoveOrHarvest(*u, x, y);
      if (u->State != StateHarvest) MoveTo(*u, x, y);
    }
  } else if (!plain && u->Kind == UnitCarrier) {
    if (FindUnitAtTile(x, y, slot) != 0) OrderMove(*u, x, y, net);
    else if (net) NetOrderCarrierPickUp(u->Slot, x, y);
    else CarrierPickUp(*u, x, y);
  } else if (TargetAtCell(x, y, slot, kind) || IsOwnObject(slot, kind)) {
    OrderMove(*u, x, y, net);
  } else {
    OrderAttack(*u, x, y, net);
  }
  PlayOrderAck();
}

void MapRightClick(bool net) { RightClickOrder(PointerCellX(), PointerCellY(), net, false); }

// Harvesters and carriers get no special treatment on the minimap.
void MinimapRightClick(bool net) {
  if (!OnMinimap()) return;
  auto cell = [](int pointer, float scale, int size) {
    const double v = static_cast<double>(pointer) * static_cast<double>(scale);
    return std::clamp<std::int32_t>(static_cast<std::int32_t>(std::clamp(v, -1e6, 1e6)) + 1, 1,
                                    std::max(1, size));
  };
  RightClickOrder(cell(MouseX - 1, ViewState.MinimapScaleX, GameMap.Width),
                  cell(MouseY - 159, ViewState.MinimapScaleY, GameMap.Height), net, true);
}

}  // namespace

void UnitCommandClick(int, int y) { UnitCommand(y, false); }
void NetUnitCommandClick(int, int y) { UnitCommand(y, true); }

void BuildingPanelClick(int x, int y) {
  TBuildingRecord* b = OwnSelectedBuilding();
  if (!b) return;
  if (Between(x, 75, 106) && Between(y, 171, 194)) {
    switch (b->Kind) {
      case BuildingConstructionYard: OpenYardBuildMenu(b->Slot); break;
      case BuildingBarracks: OpenBarracksBuildMenu(b->Slot); break;
      case BuildingAcademy: OpenAcademyBuildMenu(b->Slot); break;
      case BuildingLightFactory: OpenLightFactoryBuildMenu(b->Slot); break;
      case BuildingHeavyFactory: OpenHeavyFactoryBuildMenu(b->Slot); break;
      case BuildingAirFactory: OpenAirFactoryBuildMenu(b->Slot); break;
      default: break;
    }
  } else if (Between(x, 115, 179) && Between(y, 177, 186)) {
    if (b->RepairCost < Players[b->Owner].Credits) ToggleBuildingRepair(*b);
  }
}

void PanelButtonClick(int, int) {
  TBuildingRecord* b = OwnSelectedBuilding();
  if (!b) return;
  if (b->Kind == BuildingPalace) {
    // Sides 0 and 3 aim their missile; the other weapons need no target in single play.
    if (InNetGame() || b->Side == 0 || b->Side == 3) PendingOrder = 1;
    else UseSpecialWeapon(*b, 1, 1);
    return;
  }
  if (!IsProductionBuilding(b->Kind)) return;
  switch (b->ProductionState) {
    case ProductionIdle:
      BuyItem(*b);
      break;
    case ProductionRunning:
      if (static_cast<std::int32_t>(b->ProductionProgress) < b->ProductionTarget) TogglePause(*b);
      else if (b->Item >= 17) PendingOrder = 4;
      break;
    case ProductionPaused:
      TogglePause(*b);
      break;
    default:
      break;
  }
}

void GameMapClick() { MapClick(false); }
void NetGameMapClick() { MapClick(true); }
void GameMapRightClick() { MapRightClick(false); }
void NetGameMapRightClick() { MapRightClick(true); }
void GameMinimapRightClick() { MinimapRightClick(false); }
void NetGameMinimapRightClick() { MinimapRightClick(true); }

void GroupAttackOrder(std::int32_t x, std::int32_t y) { GroupOrder(x, y, true); }
void GroupMoveOrder(std::int32_t x, std::int32_t y) { GroupOrder(x, y, false); }

void StopSelection() {
  ForEachOwnSelectedUnit([](TUnitRecord& u) { StopUnit(u); });
}

void SendGroupStop() {
  std::array<std::int32_t, SelectionEntries> units{};
  std::size_t n = 0;
  ForEachOwnSelectedUnit([&](TUnitRecord& u) { units[n++] = u.Slot; });
  NetRequestGroupStop(std::span(units).first(n));
}

bool TargetAtCell(std::int32_t x, std::int32_t y, std::uint16_t& index, std::uint8_t& kind) {
  if (FindUnitAtTile(x, y, index) == 0) kind = TargetUnit;
  else if (FindBuildingAtTile(x, y, index) == 0) kind = TargetBuilding;
  else if (FindWormAtTile(x, y, index) == 0) kind = TargetWorm;
  else if (FindBloomAtTile(x, y, index) == 0) kind = TargetBloom;
  else return true;
  return false;
}

}  // namespace zarn
