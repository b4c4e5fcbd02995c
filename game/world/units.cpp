#include "game/world/units.h"

#include <algorithm>

#include "game/base/dvga.h"
#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/world/buildings.h"
#include "game/world/messages.h"
#include "game/world/orders.h"
#include "game/world/placement.h"
#include "game/world/tileindex.h"
#include "game/base/mapview.h"
#include "game/world/players.h"
#include "game/world/tileindex.h"

namespace zarn {

namespace {

// Production keeps one unit in hand below the cap and the share; the world's own creations
// may fill them up.
bool RoomForUnit(std::uint8_t owner, bool strict) {
  const std::int32_t next = CountUnitsOfPlayer(owner) + 1;
  const std::int32_t cap = UnitCapOfPlayer(owner);
  const std::int32_t share = UnitShareOfPlayer();
  return strict ? (next < cap && next < share) : (next <= cap && next <= share);
}

}  // namespace

bool RoomToProduceUnit(std::uint8_t owner) { return RoomForUnit(owner, true); }

std::uint8_t FindFreeUnitSlot(std::uint16_t& slot) {
  const int last = LastUnitSlot();
  for (int i = 1; i <= last; ++i) {
    if (Units[i].Free == 1) {
      slot = static_cast<std::uint16_t>(i);
      return 0;
    }
  }
  return 1;
}

std::uint16_t CountLiveUnits() {
  const int last = LastUnitSlot();
  std::uint16_t n = 0;
  for (int i = 1; i <= last; ++i)
    if (Units[i].Free == 0) ++n;
  return n;
}

std::uint16_t CountLiveBuildings() { return static_cast<std::uint16_t>(LiveBuildingSlots().size()); }

std::uint16_t CountLiveWorms() {
  std::uint16_t n = 0;
  for (const TWormRecord& w : Worms)
    if (w.Removed == 0) ++n;
  return n;
}

std::uint16_t CountLiveOssinFields() {
  std::uint16_t n = 0;
  for (const TOssinFieldRecord& f : OssinFields)
    if (f.Free == 0) ++n;
  return n;
}

std::uint16_t CountLiveBlooms() {
  std::uint16_t n = 0;
  for (const TOssinBloomRecord& b : OssinBlooms)
    if (b.Removed == 0) ++n;
  return n;
}

std::uint16_t CountUnitsOfPlayer(std::uint8_t player) {
  return static_cast<std::uint16_t>(CountLiveUnits(player, -1, LastUnitSlot()));
}

std::uint16_t CountBuildingsOfPlayer(std::uint8_t player) {
  std::uint16_t n = 0;
  for (const int i : LiveBuildingSlots()) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free == 0 && b.Owner == player && b.Kind >= BuildingConstructionYard) ++n;
  }
  return n;
}

std::int32_t UnitCapOfPlayer(std::uint8_t player) {
  std::int32_t cap = 0;
  for (const int i : LiveBuildingSlots()) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free != 0 || b.Owner != player) continue;
    if (b.Kind == BuildingConstructionYard) cap += UnitsPerConstructionYard;
    else if (b.Kind == BuildingBarracks) cap += UnitsPerBarracks;
  }
  return cap;
}

std::int32_t UnitShareOfPlayer() {
  // A mission without a player count still has one player.
  const std::int32_t players = Mission.PlayerCount < 1 ? 1 : Mission.PlayerCount;
  return LastUnitSlot() / players;
}

void DeliverTextToPlayer(std::uint8_t player, std::string_view cp1251Text) {
  if (player == LocalPlayer) {
    ShowMessageLine(InFontCodePage(cp1251Text));
  } else if (NetRole == RoleServer) {
    // Only the server talks to the other seats; in single play they are computer players.
    NetSendTextToPlayerProc(player, cp1251Text);
  }
}

std::uint8_t ProduceUnit(std::int32_t x, std::int32_t y, std::uint8_t footprintClass,
                         std::uint8_t side, std::uint8_t owner, std::uint8_t kind) {
  if (kind >= UnitKindCount || !IsPlayer(owner)) return 1;
  std::uint16_t slot = 0;
  if (!RoomForUnit(owner, true) || FindFreeUnitSlot(slot) != 0) {
    DeliverTextToPlayer(owner, NoMoreUnitsText);
    return 1;
  }
  std::int32_t exitX = 0, exitY = 0;
  if (FindExitTile(x, y, footprintClass, owner, kind, exitX, exitY) != 0) return 1;
  InitUnit(Units[slot], exitX, exitY, slot, side, owner, kind);
  DeliverTextToPlayer(owner, "Наш объект ожидает"_cp1251);
  return 0;
}

std::uint16_t CreateUnitAt(std::int32_t x, std::int32_t y, std::uint8_t kind, std::uint8_t offMap,
                           std::uint8_t side, std::uint8_t owner) {
  if (kind >= UnitKindCount || !IsPlayer(owner)) return 0;
  std::uint16_t slot = 0;
  if (!RoomForUnit(owner, false) || FindFreeUnitSlot(slot) != 0) return 0;
  InitUnit(Units[slot], x, y, slot, side, owner, kind);
  if (offMap == 1) {
    Units[slot].OffMap = 1;
    UnitTilesChanged(Units[slot]);
  }
  return slot;
}

void InitUnit(TUnitRecord& u, std::int32_t x, std::int32_t y, std::uint16_t slot,
              std::uint8_t side, std::uint8_t owner, std::uint8_t kind) {
  // Clients learn of the unit before the server fills the slot, with the same arguments.
  if (NetRole == RoleServer) NetBroadcastInitUnitProc(x, y, slot, side, owner, kind);

  u.CargoCount = 0;
  u.Free = 0;
  u.X = x;
  u.Y = y;
  u.NextX = static_cast<std::int16_t>(x);
  u.NextY = static_cast<std::int16_t>(y);
  u.Slot = slot;
  u.Side = side;
  u.Owner = owner;
  u.Kind = kind;

  std::int32_t health = 0;
  std::int16_t damage = 0;
  std::uint16_t turnDelay = 0, range = u.Range, minRange = u.MinRange;
  UnitTypeStats(kind, health, damage, turnDelay, range, minRange);
  u.Health = health;
  u.MaxHealth = static_cast<std::uint16_t>(health);
  u.Damage = damage;
  u.MinRange = minRange;
  u.Range = range;
  u.TurnDelay = turnDelay;
  u.FireInterval = static_cast<std::uint16_t>(UnitFireInterval(kind));

  u.MovePhase = 0;
  u.State = StateIdle;
  u.FreeTargeting = 1;
  u.Facing = FacingEast;
  u.TurretFacing = FacingEast;
  u.MoveCounter = 0;
  u.StepProgress = StepProgressOnTile;
  u.OffMap = 0;
  u.Deselected = 1;
  u.NextTurnTick = WorldTickCount;
  u.NextLookTick = WorldTickCount;
  u.NextFireTick = WorldTickCount;
  u.NextSearchTick = WorldTickCount;
  u.IdleLookPeriod = UnitIdleLookPeriod;
  u.ConversionPeriod = UnitConversionPeriod;
  u.SearchPeriod = UnitSearchPeriod;
  u.HarvestPeriod = UnitHarvestPeriod;
  u.PathLength = 0;
  u.Marker.Hidden = 1;
  u.NotConverted = 1;
  u.Load = 0;
  u.Capacity = UnitLoadCapacity;
  UnitTilesChanged(u);

  const bool ownerIsPlayer = IsPlayer(owner);
  if (ownerIsPlayer) AddUnitMade(Players[owner]);
  // A harvester born on or near a resource cell starts harvesting at once.
  if (kind == UnitHarvester) MoveOrHarvest(u, x, y);
  if (NetRole == RoleSingle && owner != LocalPlayer && ownerIsPlayer)
    RegisterComputerUnit(Players[owner], slot);
  if (owner == LocalPlayer && slot != 0) {
    const bool nearSighted = kind == UnitHarvester || kind == UnitConstructionVehicle;
    RevealArea(x, y, nearSighted ? 1 : (u.Range / 3) * 2);
  }
}

void RemoveUnit(TUnitRecord& u) {
  u.OffMap = 1;
  u.Marker.Hidden = 1;
  u.PathLength = 0;
  u.TargetSlot = 0;
  u.NotConverted = 1;
  u.Deselected = 1;
  u.Free = 1;
  u.CargoCount = 0;
  UnitTilesChanged(u);
}

void SelectUnit(TUnitRecord& u) { u.Deselected = 0; }
void DeselectUnit(TUnitRecord& u) { u.Deselected = 1; }

}  // namespace zarn
