#include "game/world/orders.h"

#include <algorithm>
#include <cmath>

#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/maps.h"
#include "game/base/rules.h"
#include "game/world/buildings.h"
#include "game/world/ossinfields.h"
#include "game/world/passability.h"
#include "game/world/placement.h"
#include "game/world/targets.h"
#include "game/world/tileindex.h"
#include "game/world/units.h"

namespace zarn {

namespace {

constexpr double NoneNear = 255.0;

// Harvesters, construction vehicles and carriers carry no weapon.
bool Unarmed(std::uint8_t kind) {
  return kind == UnitHarvester || kind == UnitConstructionVehicle || kind == UnitCarrier;
}

// The rocket launcher cannot aim at what is too close.
bool TooCloseForLauncher(const TUnitRecord& u, std::int32_t x, std::int32_t y) {
  return u.Kind == UnitRocketLauncher && TileDistance(u.X, u.Y, x, y) <= u.MinRange + 1.0;
}

// A slot that names an existing record of the object class.
bool ValidTargetSlot(std::uint8_t cls, std::int32_t slot) {
  switch (cls) {
    case TargetUnit: return slot >= 1 && slot <= LastUnitSlot();
    case TargetBuilding: return slot >= 1 && slot <= LastBuildingSlot();
    case TargetWorm: return slot >= 1 && slot <= WormSlots;
    case TargetBloom: return slot >= 1 && slot <= BloomSlots;
    default: return false;
  }
}

void BeginAttack(TUnitRecord& u, std::int32_t x, std::int32_t y, std::uint8_t cls, std::int32_t slot) {
  u.State = StateAttack;
  u.FreeTargeting = 0;
  u.TargetClass = cls;
  u.TargetSlot = static_cast<std::uint16_t>(slot);
  SetTarget(u, x, y);
  u.PathLength = 0;
}

}  // namespace

void StopUnit(TUnitRecord& u) { u.State = StateStop; }

std::uint8_t SetTarget(TUnitRecord& u, std::int32_t x, std::int32_t y) {
  u.TargetX = static_cast<std::uint16_t>(x);
  u.TargetY = static_cast<std::uint16_t>(y);
  std::uint16_t slot = 0;
  std::uint8_t cls = 0;
  return ObjectAtTile(x, y, slot, cls);
}

void SetTargetSlot(TUnitRecord& u, std::uint16_t slot) { u.TargetSlot = slot; }

void NearestEnterableInBlock(const TUnitRecord& u, std::int32_t& x, std::int32_t& y) {
  y = std::clamp<std::int32_t>(y, 1, std::max<std::int32_t>(GameMap.Height, 1));
  const std::int32_t left = std::max(x - 2, 1), top = std::max(y - 2, 1);
  double best = NoneNear;
  std::int32_t bestX = x, bestY = y;
  for (std::int32_t row = top; row < top + 5; ++row) {
    for (std::int32_t col = left; col < left + 5; ++col) {
      if (CanEnter(u.Kind, u.Owner, col, u.Slot, row) != 1) continue;
      const double d = TileDistance(col, row, u.X, u.Y);
      if (d < best) {
        best = d;
        bestX = col;
        bestY = row;
      }
    }
  }
  x = bestX;
  y = bestY;
}

void MoveTo(TUnitRecord& u, std::int32_t x, std::int32_t y) {
  if (CanEnter(u.Kind, u.Owner, x, u.Slot, y) != 1) NearestEnterableInBlock(u, x, y);
  u.PathLength = 0;
  u.State = StateMove;
  u.DestX = static_cast<std::uint16_t>(x);
  u.DestY = static_cast<std::uint16_t>(y);
}

std::uint8_t MoveOrHarvest(TUnitRecord& u, std::int32_t x, std::int32_t y) {
  if (u.Kind != UnitHarvester || u.Load >= u.Capacity) return OrderRefused;
  std::uint16_t cell = 0;
  std::uint8_t cls = 0;
  if (FindOssinFieldAt(x, y, cell, cls) == 0) {
    u.TargetClass = cls;
  } else if (FindNearestOssinField(u.X, u.Y, u.Range, cell, y, x) != 0) {
    return OrderRefused;
  }
  u.State = StateHarvest;
  u.TargetSlot = cell;
  SetTarget(u, x, y);
  u.PathLength = 0;
  u.HarvestStart = WorldTickCount;
  return OrderTaken;
}

std::uint8_t CannotHitAir(std::uint8_t attackerKind, std::int32_t targetSlot) {
  if (!decltype(Units)::InRange(targetSlot)) return 0;
  const std::uint8_t target = Units[targetSlot].Kind;
  if (target != UnitCarrier && target != UnitSkeltrel) return 0;
  const bool antiAir = attackerKind == UnitHeavyTrooper || attackerKind == UnitHeavySquad ||
                       attackerKind == UnitRocketLauncher || attackerKind == UnitSkeltrel;
  return antiAir ? 0 : 1;
}

std::uint8_t AttackAt(TUnitRecord& u, std::int32_t x, std::int32_t y) {
  if (Unarmed(u.Kind) || TooCloseForLauncher(u, x, y)) return OrderRefused;
  std::uint16_t slot = 0;
  std::uint8_t cls = 0;
  if (ObjectAtTile(x, y, slot, cls) != 0) return OrderRefused;
  // The class is written only with the slot: a refused order must not leave the current
  // target's slot paired with another table.
  if (cls == TargetUnit && (slot == u.Slot || CannotHitAir(u.Kind, slot) == 1)) return OrderRefused;
  BeginAttack(u, x, y, cls, slot);
  return OrderTaken;
}

std::uint8_t AttackObject(TUnitRecord& u, std::int32_t x, std::int32_t y, std::uint8_t cls,
                          std::int32_t slot) {
  if (Unarmed(u.Kind) || TooCloseForLauncher(u, x, y)) return OrderRefused;
  if (!ValidTargetSlot(cls, slot)) return OrderRefused;
  if (cls == TargetBuilding) {
    NearestFootprintTile(Buildings[slot], u.X, u.Y, x, y);
  } else if (cls == TargetUnit && (slot == u.Slot || CannotHitAir(u.Kind, slot) == 1)) {
    return OrderRefused;
  }
  BeginAttack(u, x, y, cls, slot);
  return OrderTaken;
}

std::uint8_t HuntOrder(TUnitRecord& u) {
  if (Unarmed(u.Kind)) return OrderRefused;
  u.State = StateAttack;
  u.FreeTargeting = 1;
  u.PathLength = 0;
  return OrderTaken;
}

std::uint8_t CarrierPickUp(TUnitRecord& carrier, std::int32_t x, std::int32_t y) {
  if (carrier.Kind != UnitCarrier || carrier.CargoCount >= CarrierCapacity) return OrderRefused;
  int found = 0;
  const int last = LastUnitSlot();
  for (int i = 1; i <= last && found == 0; ++i) {
    const TUnitRecord& t = Units[i];
    if (t.Free == 0 && t.OffMap == 0 && t.Kind < UnitCarrier && t.X == x && t.Y == y) found = i;
  }
  if (found == 0 || Units[found].Owner != carrier.Owner) return OrderRefused;
  // A harvester fills a carrier on its own.
  if (Units[found].Kind == UnitHarvester && carrier.CargoCount != 0) return OrderRefused;
  if (carrier.CargoCount == 1) {
    const std::int32_t aboard = carrier.Cargo[1];
    if (decltype(Units)::InRange(aboard) && Units[aboard].Kind == UnitHarvester) return OrderRefused;
  }
  carrier.TargetClass = TargetUnit;
  carrier.TargetSlot = static_cast<std::uint16_t>(found);
  carrier.State = StatePickUp;
  SetTarget(carrier, x, y);
  carrier.PathLength = 0;
  return OrderTaken;
}

std::uint8_t CarrierDeliver(TUnitRecord& carrier, std::int32_t x, std::int32_t y) {
  if (carrier.Kind != UnitCarrier) return OrderRefused;
  if (CanEnter(UnitCarrier, carrier.Owner, x, carrier.Slot, y) != 1) {
    y = std::clamp<std::int32_t>(y, 1, std::max<std::int32_t>(GameMap.Height, 1));
    int tx = x, ty = y;
    FindTileBehind(UnitCarrier, carrier.Owner, carrier.Facing, carrier.Slot, tx, ty, carrier.X, carrier.Y);
    x = tx;
    y = ty;
  }
  SetTarget(carrier, x, y);
  carrier.PathLength = 0;
  carrier.State = StateDeliver;
  carrier.DestX = static_cast<std::uint16_t>(x);
  carrier.DestY = static_cast<std::uint16_t>(y);
  return OrderTaken;
}

void StopCarrier(TUnitRecord& u) {
  if (u.Kind >= UnitCarrier) return;
  u.OffMap = 1;
  UnitTilesChanged(u);
  if (NetRole != RoleSingle) NetBroadcastStopCarrierProc(u.Slot);
}

void UnloadAt(TUnitRecord& u, std::int32_t x, std::int32_t y) {
  u.OffMap = 0;
  if (NetRole != RoleSingle) NetBroadcastUnloadAtProc(u.Slot, x, y);
  u.X = x;
  u.Y = y;
  // The tile it held when it was lifted must not stay blocked far away.
  u.NextX = static_cast<std::int16_t>(x);
  u.NextY = static_cast<std::int16_t>(y);
  UnitTilesChanged(u);
  u.StepProgress = StepProgressOnTile;
  u.PathLength = 0;
  DeselectUnit(u);
  StopUnit(u);
}

std::uint8_t FindNearestRefinery(std::uint8_t owner, std::int32_t x, std::int32_t y, std::uint16_t& slot) {
  double best = NoneNear;
  int found = 0;
  for (const int i : LiveBuildingSlots()) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free != 0 || b.Kind != BuildingRefinery || b.Owner != owner || b.DockFree != 1) continue;
    std::int32_t tx = 0, ty = 0;
    NearestFootprintTile(b, x, y, tx, ty);
    const double d = TileDistance(tx, ty, x, y);
    if (d < best) {
      best = d;
      found = i;
    }
  }
  if (found == 0) return 1;
  slot = static_cast<std::uint16_t>(found);
  return 0;
}

std::uint8_t FindDockTile(const TBuildingRecord& refinery, std::uint8_t owner, std::int32_t x, std::int32_t y,
                          std::int32_t& dockX, std::int32_t& dockY) {
  TRingTile ring[MaxRingTiles];
  const int n = FootprintRing(refinery.X, refinery.Y, refinery.FootprintClass, 1, ring);
  double best = NoneNear;
  int found = -1;
  for (int i = 0; i < n; ++i) {
    // No self slot: a harvester already standing on the ring does not count its own tile free.
    if (CanEnter(UnitHarvester, owner, ring[i].X, 0, ring[i].Y) != 1) continue;
    const double d = TileDistance(ring[i].X, ring[i].Y, x, y);
    if (d < best) {
      best = d;
      found = i;
    }
  }
  if (found < 0) return 1;
  dockX = ring[found].X;
  dockY = ring[found].Y;
  return 0;
}

std::uint8_t ReturnToRefinery(TUnitRecord& u) {
  if (u.Kind != UnitHarvester || u.Load == 0) return OrderRefused;
  if (NetRole == RoleClient) NetReturnToRefineryProc(u.Slot);
  std::uint16_t refinery = 0;
  if (FindNearestRefinery(u.Owner, u.X, u.Y, refinery) != 0) return OrderRefused;
  std::int32_t dockX = 0, dockY = 0;
  // The refinery becomes the target only with a dock tile: a harvester left harvesting must
  // keep its cell's slot, or it would drain the cell numbered like the refinery.
  if (FindDockTile(Buildings[refinery], u.Owner, u.X, u.Y, dockX, dockY) != 0) return OrderRefused;
  u.TargetSlot = refinery;
  u.ReturnX = static_cast<std::int16_t>(u.TargetX);
  u.ReturnY = static_cast<std::int16_t>(u.TargetY);
  u.TargetX = static_cast<std::uint16_t>(dockX);
  u.TargetY = static_cast<std::uint16_t>(dockY);
  u.State = StateReturn;
  return OrderTaken;
}

}  // namespace zarn
