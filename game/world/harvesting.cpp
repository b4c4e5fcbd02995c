// Harvesting and the refinery: the harvester's field and homeward states, docking with the
// storage test, and the refinery's unloading into credits.
#include "game/world/harvesting.h"

#include <algorithm>
#include <cmath>

#include "game/base/cp1251.h"
#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/mapview.h"
#include "game/base/rules.h"
#include "game/sound/dsnd.h"
#include "game/world/buildings.h"
#include "game/world/messages.h"
#include "game/world/movement.h"
#include "game/world/computer.h"
#include "game/world/orders.h"
#include "game/world/ossinfields.h"
#include "game/world/passability.h"
#include "game/world/players.h"
#include "game/world/placement.h"
#include "game/world/tileindex.h"
#include "game/world/units.h"

namespace zarn {

namespace {

constexpr double NoneNear = 255.0;

// The nearest live cell in the square of half-width `range` around (cx, cy), leaving out the
// cell `skip`; ties keep the lower slot.
std::uint8_t NearestCell(std::int32_t cx, std::int32_t cy, std::int32_t range, std::int32_t skip,
                         std::uint16_t& slot, std::int32_t& x, std::int32_t& y) {
  double best = NoneNear;
  int found = 0;
  for (int i = 1; i <= OssinFieldSlots; ++i) {
    const TOssinFieldRecord& f = OssinFields[i];
    if (f.Free != 0 || i == skip) continue;
    if (std::abs(f.X - cx) > range || std::abs(f.Y - cy) > range) continue;
    const double d = TileDistance(f.X, f.Y, cx, cy);
    if (d < best) {
      best = d;
      found = i;
    }
  }
  if (found == 0) return 1;
  slot = static_cast<std::uint16_t>(found);
  x = OssinFields[found].X;
  y = OssinFields[found].Y;
  return 0;
}

// The harvester's refinery: a live refinery of its own owner. A slot freed and filled again by
// another building is not it.
bool OwnRefinery(const TUnitRecord& h, std::int32_t slot) {
  if (slot < 1 || slot > MaxBuildingSlots) return false;
  const TBuildingRecord& r = Buildings[slot];
  return r.Free == 0 && r.Kind == BuildingRefinery && r.Owner == h.Owner;
}

void WalkTo(TUnitRecord& h, std::int32_t x, std::int32_t y) {
  h.DestX = static_cast<std::uint16_t>(x);
  h.DestY = static_cast<std::uint16_t>(y);
  h.PathLength = 0;
  MoveStep(h);
}

void GoToCell(TUnitRecord& h, std::uint16_t slot, std::int32_t x, std::int32_t y) {
  h.TargetX = static_cast<std::uint16_t>(x);
  h.TargetY = static_cast<std::uint16_t>(y);
  h.TargetSlot = slot;
  WalkTo(h, x, y);
}

// No cell left near: home with what it holds, or stop when it holds nothing.
void GiveUpField(TUnitRecord& h) {
  if (h.Load > 0) ReturnToRefinery(h);
  else h.State = StateStop;
}

void TakeFromCell(TUnitRecord& h, TOssinFieldRecord& cell, std::int32_t cellSlot) {
  if (h.HarvestStart > WorldTickCount) return;
  h.HarvestStart = WorldTickCount + h.HarvestPeriod;
  // Never more than the cell holds: the rest does not exist.
  const std::int32_t take = std::clamp<std::int32_t>(cell.Amount, 0, HarvestTake);
  h.Load = static_cast<std::uint16_t>(h.Load + take);
  DrainOssinField(cell, take);
  if (NetRole != RoleSingle) {
    NetBroadcastHarvestStepProc(h.Slot, h.Load);
    NetBroadcastFieldHarvestProc(cellSlot, take);
  }
}

void StoreFullNotice(std::uint8_t owner) {
  constexpr auto text = "Постройте силос"_cp1251;
  if (owner == LocalPlayer) ShowMessageLine(InFontCodePage(text));
  else NetSendTextToPlayerProc(owner, text);
}

void DockingSound(const TBuildingRecord& r) {
  if (r.Owner == LocalPlayer || ShroudAt(r.X, r.Y) == ShroudVisible) PlaySilosNeededSound(r.X, r.Y);
}

}  // namespace

std::uint8_t FindFieldNearUnit(const TUnitRecord& h, std::int32_t& x, std::int32_t& y, std::uint16_t& slot) {
  return NearestCell(h.X, h.Y, h.Range, 0, slot, x, y);
}

std::uint8_t FindOtherFieldNearPoint(const TUnitRecord& h, std::uint16_t& slot, std::int32_t& x, std::int32_t& y) {
  return NearestCell(h.TargetX, h.TargetY, h.Range, slot, slot, x, y);
}

void HarvestStep(TUnitRecord& h) {
  if (h.Kind != UnitHarvester || h.State != StateHarvest) return;
  if (h.MovePhase == 2) {
    MoveStep(h);
    return;
  }
  if (h.MovePhase != 0) return;
  const std::int32_t cellSlot = h.TargetSlot;
  const bool known = cellSlot >= 1 && cellSlot <= OssinFieldSlots;
  std::uint16_t next = 0;
  std::int32_t x = 0, y = 0;
  if (CanEnter(h.Kind, h.Owner, h.TargetX, h.Slot, h.TargetY) == 1) {
    if (known) {
      TOssinFieldRecord& cell = OssinFields[cellSlot];
      if (h.X != cell.X || h.Y != cell.Y) {
        GoToCell(h, static_cast<std::uint16_t>(cellSlot), cell.X, cell.Y);
        return;
      }
      if (h.Load >= h.Capacity) {
        ReturnToRefinery(h);
        return;
      }
      if (cell.Free == 0) {
        TakeFromCell(h, cell, cellSlot);
        return;
      }
    } else if (h.Load >= h.Capacity) {
      ReturnToRefinery(h);
      return;
    }
    // The cell is used up (or was never one): the nearest other cell, else home.
    if (FindFieldNearUnit(h, x, y, next) == 0) GoToCell(h, next, x, y);
    else GiveUpField(h);
    return;
  }
  // Something else stands on the cell: try another near it.
  next = known ? static_cast<std::uint16_t>(cellSlot) : 0;
  if (FindOtherFieldNearPoint(h, next, x, y) == 0) GoToCell(h, next, x, y);
  else GiveUpField(h);
}

void SeekOtherRefinery(TUnitRecord& h) {
  if (h.Kind != UnitHarvester || h.Load == 0) return;
  std::uint16_t refinery = 0;
  if (FindNearestRefinery(h.Owner, h.X, h.Y, refinery) != 0) return;
  h.TargetSlot = refinery;
  std::int32_t dockX = 0, dockY = 0;
  if (FindDockTile(Buildings[refinery], h.Owner, h.X, h.Y, dockX, dockY) != 0) return;
  h.TargetX = static_cast<std::uint16_t>(dockX);
  h.TargetY = static_cast<std::uint16_t>(dockY);
  h.State = StateReturn;
}

void ReturnStep(TUnitRecord& h) {
  if (h.Kind != UnitHarvester || h.State != StateReturn) return;
  if (h.MovePhase == 2) {
    MoveStep(h);
    return;
  }
  if (h.MovePhase != 0) return;
  const std::int32_t slot = h.TargetSlot;
  const bool own = OwnRefinery(h, slot);
  if (CanEnter(h.Kind, h.Owner, h.TargetX, h.Slot, h.TargetY) == 1) {
    if (h.X != h.TargetX || h.Y != h.TargetY) {
      WalkTo(h, h.TargetX, h.TargetY);
      return;
    }
    if (!own || Buildings[slot].DockFree == 0) SeekOtherRefinery(h);
    else CheckStorageFull(Buildings[slot], h.Slot);
    return;
  }
  // The dock tile is taken: another tile of the same refinery, else the nearest other one.
  std::int32_t dockX = 0, dockY = 0;
  if (own && FindDockTile(Buildings[slot], h.Owner, h.X, h.Y, dockX, dockY) == 0) {
    h.TargetX = static_cast<std::uint16_t>(dockX);
    h.TargetY = static_cast<std::uint16_t>(dockY);
    WalkTo(h, dockX, dockY);
    return;
  }
  std::uint16_t refinery = 0;
  if (FindNearestRefinery(h.Owner, h.X, h.Y, refinery) != 0) return;
  h.TargetSlot = refinery;
  if (FindDockTile(Buildings[refinery], h.Owner, h.X, h.Y, dockX, dockY) != 0) return;
  h.TargetX = static_cast<std::uint16_t>(dockX);
  h.TargetY = static_cast<std::uint16_t>(dockY);
  WalkTo(h, dockX, dockY);
}

std::int32_t StorageCapacity(std::uint8_t player) { return StoragePerBuilding * CountStorageBuildings(player); }

bool LacksIncomeBonusBuilding(std::uint8_t player) {
  for (const int i : LiveBuildingSlots()) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free == 0 && b.Kind == BuildingResearchCentre && b.Owner == player) return false;
  }
  return true;
}

void CheckStorageFull(TBuildingRecord& r, std::int32_t harvester) {
  if (r.Free != 0 || r.Kind != BuildingRefinery || r.DockFree == 0) return;
  if (harvester < 1 || harvester > MaxUnitSlots || Units[harvester].Free != 0) return;
  if (!IsPlayer(r.Owner)) return;
  TPlayerRecord& owner = Players[r.Owner];
  // The store refuses while it is full, unless a replacement harvester is on its way.
  const bool full = owner.Credits >= StorageCapacity(r.Owner) && owner.ReplacementReady == 1;
  if (NetRole == RoleClient) {
    // The server decided; its messages take the harvester off the map.
    r.TargetSlot = static_cast<std::uint16_t>(harvester);
    r.DockFree = 0;
    DockingSound(r);
    return;
  }
  if (full && (NetRole == RoleServer || r.Owner == LocalPlayer)) {
    StoreFullNotice(r.Owner);
    return;
  }
  r.TargetSlot = static_cast<std::uint16_t>(harvester);
  StopCarrier(Units[harvester]);
  r.DockFree = 0;
  NetBroadcastStorageFullProc(r.Slot, harvester);
  DockingSound(r);
}

void RefineryUnload(TBuildingRecord& r) {
  if (r.Free != 0 || r.Kind != BuildingRefinery || r.DockFree == 1 || r.NextActionTick > WorldTickCount) return;
  r.NextActionTick = WorldTickCount + r.ActionPeriod;
  const std::int32_t slot = r.TargetSlot;
  // A dock that holds no harvester (it was lost meanwhile) is free again rather than shut.
  if (slot < 1 || slot > MaxUnitSlots || Units[slot].Free != 0 || Units[slot].Kind != UnitHarvester) {
    r.DockFree = 1;
    return;
  }
  if (!IsPlayer(r.Owner)) return;
  TPlayerRecord& owner = Players[r.Owner];
  TUnitRecord& h = Units[slot];
  if (h.Load > 0) {
    const std::uint16_t amount = std::min<std::uint16_t>(HarvestTake, h.Load);
    const double factor = LacksIncomeBonusBuilding(r.Owner) ? 1.0 : IncomeBonusFactor;
    const auto gain = static_cast<std::int32_t>(factor * amount);
    if (NetRole != RoleClient) AddCredits(owner, gain);
    AddResourceDelivered(owner, gain);
    h.Load = static_cast<std::uint16_t>(h.Load - amount);
  }
  if (h.Load != 0) return;
  std::int32_t exitX = 0, exitY = 0;
  if (FindExitTile(r.X, r.Y, r.FootprintClass, r.Owner, UnitHarvester, exitX, exitY) != 0) return;
  UnloadAt(h, exitX, exitY);
  if (NetRole == RoleSingle) SendHarvesterToField(owner, h.Slot);
  else MoveOrHarvest(h, h.ReturnX, h.ReturnY);
  if (r.Owner == LocalPlayer) VoiceHarvesterEvent(r.Side);
  r.DockFree = 1;
  NetBroadcastRefineryUnloadProc(r.Slot);
}

std::uint8_t HarvesterBoundFor(std::int32_t refinerySlot, std::uint8_t player) {
  const int last = LastUnitSlot();
  bool bound = false;
  ForEachHarvesterOf(player, [&](int i) {
    const TUnitRecord& u = Units[i];
    if (i >= 1 && i <= last && u.OffMap == 0 && u.Owner == player && u.State == StateReturn &&
        u.TargetSlot == refinerySlot)
      bound = true;
  });
  if (bound) return 0;
  if (IsPlayer(player) && Players[player].ReplacementReady == 0 && Players[player].ReplacementRefinery == refinerySlot)
    return 0;
  return 1;
}

}  // namespace zarn
