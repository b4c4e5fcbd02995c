#include "game/world/buildings.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/maps.h"
#include "game/base/random.h"
#include "game/base/rules.h"
#include "game/sound/dsnd.h"
#include "game/world/alarms.h"
#include "game/world/harvesting.h"
#include "game/world/shots.h"
#include "game/world/tileindex.h"
#include "game/world/turrets.h"
#include "game/world/units.h"
#include "game/base/mapview.h"
#include "game/world/players.h"

namespace zarn {

namespace {

// The first live decal under a new footprint goes: the building covers it.
void RemoveDecalUnder(std::int32_t x, std::int32_t y, std::uint8_t footprintClass) {
  static constexpr int Spans[4][2] = {{0, 0}, {1, 1}, {2, 1}, {2, 2}};
  const int* span = Spans[footprintClass <= 3 ? footprintClass : 0];
  const std::int32_t px = (x - 1) * 16, py = (y - 1) * 16;
  for (TDecalRecord& d : Decals) {
    if (d.Free != 0) continue;
    if (d.PixelX >= px && d.PixelX <= px + 16 * span[0] && d.PixelY >= py &&
        d.PixelY <= py + 16 * span[1]) {
      d.Free = 1;
      return;
    }
  }
}

void StartBurning(TUnitMarker& m) {
  m.Hidden = 0;
  m.Frame = 1;
  m.FramePeriod = 3;
  m.Life = 180;
  m.NextFrameTick = TickCount + m.FramePeriod;
  m.ExpiryTick = TickCount + m.Life;
}

// Owner of the unit or building that hit us; 0 when there is none.
std::uint8_t AttackerOwner(std::int32_t slot, std::uint8_t attackerClass) {
  if (attackerClass == AttackerUnit && TUnitTable::InRange(slot)) return Units[slot].Owner;
  if (attackerClass == AttackerBuilding && TBuildingTable::InRange(slot)) return Buildings[slot].Owner;
  return 0;
}

void Explode(const TBuildingRecord& b, std::int32_t px, std::int32_t py, std::int32_t kind) {
  CreateExplosion(b.X, b.Y, px, 2, kind, 1, py);
}

void DestructionEffects(const TBuildingRecord& b) {
  const std::int32_t px = (b.X - 1) * 16, py = (b.Y - 1) * 16;
  if (b.Kind == BuildingGunTurret || b.Kind == BuildingRocketTurret) {
    Explode(b, px, py, 6);
    CreateGroundMark(px, py, 1 + Random(3));
    return;
  }
  switch (b.FootprintClass) {
    case 1:
      Explode(b, px, py, 7);
      Explode(b, px + 16, py + 16, 7);
      CreateGroundMark(px, py, 1);
      CreateGroundMark(px + 16, py, 2);
      CreateGroundMark(px + 16, py + 16, 3);
      AddCraterDecal(px, py + 16);
      break;
    case 2:
      Explode(b, px, py, 7);
      Explode(b, px + 32, py, 7);
      Explode(b, px + 16, py + 16, 7);
      CreateGroundMark(px, py, 1);
      CreateGroundMark(px + 16, py, 2);
      CreateGroundMark(px + 32, py, 3);
      CreateGroundMark(px + 16, py + 16, 3);
      CreateGroundMark(px + 32, py + 16, 1);
      AddCraterDecal(px, py + 16);
      break;
    case 3:
      Explode(b, px, py, 7);
      Explode(b, px + 32, py, 7);
      Explode(b, px, py + 32, 7);
      Explode(b, px + 32, py + 32, 7);
      Explode(b, px + 16, py + 16, 7);
      CreateGroundMark(px, py, 1);
      CreateGroundMark(px + 16, py, 2);
      CreateGroundMark(px + 32, py, 3);
      CreateGroundMark(px + 16, py + 16, 2);
      CreateGroundMark(px, py + 32, 3);
      CreateGroundMark(px + 32, py + 32, 1);
      AddCraterDecal(px, py + 16);
      AddCraterDecal(px + 16, py + 32);
      break;
    default:  // slabs and walls leave nothing
      break;
  }
}

// A harvester docked in a refinery is off the map inside it: it goes down with the refinery
// instead of staying off the map for good.
void RemoveDockedHarvester(TBuildingRecord& b) {
  if (b.Kind != BuildingRefinery || b.DockFree != 0) return;
  const std::int32_t slot = b.TargetSlot;
  b.DockFree = 1;
  b.TargetSlot = 0;
  if (slot < 1 || slot > LastUnitSlot()) return;
  TUnitRecord& h = Units[slot];
  if (h.Free != 0 || h.Kind != UnitHarvester || h.OffMap != 1) return;
  if (NetRole == RoleSingle) RemoveUnit(h);
  else if (NetRole == RoleServer) NetRemoveUnitProc(slot);  // broadcasts, then removes
}

}  // namespace

bool IsProductionBuilding(std::uint8_t kind) {
  switch (kind) {
    case BuildingConstructionYard:
    case BuildingBarracks:
    case BuildingAcademy:
    case BuildingLightFactory:
    case BuildingHeavyFactory:
    case BuildingAirFactory:
      return true;
    default:
      return false;
  }
}

std::uint8_t FindFreeBuildingSlot(std::uint16_t& slot) {
  const int last = LastBuildingSlot();
  for (int i = 1; i <= last; ++i) {
    if (Buildings[i].Free == 1) {
      slot = static_cast<std::uint16_t>(i);
      return 0;
    }
  }
  return 1;
}

const std::vector<std::uint16_t>& LiveBuildingSlots() {
  static std::vector<std::uint16_t> live;
  static bool valid = false;
  static std::int32_t slots = 0;
  static std::uint32_t changes = 0;
  const auto gather = [] {
    std::vector<std::uint16_t> list;
    const int last = LastBuildingSlot();
    for (int i = 1; i <= last; ++i)
      if (Buildings[i].Free == 0) list.push_back(static_cast<std::uint16_t>(i));
    return list;
  };
  if (valid && slots == BuildingSlots && changes == BuildingChanges) {
    if (TileIndexSelfCheck && gather() != live)
      throw std::logic_error("the building table changed without BuildingChanges");
    return live;
  }
  live = gather();
  valid = true;
  slots = BuildingSlots;
  changes = BuildingChanges;
  return live;
}

void InitBuilding(TBuildingRecord& b, std::int32_t x, std::int32_t y, std::uint8_t kind,
                  std::uint8_t owner, std::uint8_t side, std::uint16_t slot) {
  // Clients learn of the building with the same arguments before the server fills the slot.
  if (NetRole == RoleServer) NetBroadcastInitBuildingProc(x, y, slot, kind, owner, side);
  ++BuildingChanges;

  // Nothing of the slot's last tenant may survive (saved games store every byte), nor its hold
  // on the ground when a live slot is filled again.
  if (b.Free == 0) MarkFootprint(b, 0);
  b = TBuildingRecord{};
  b.DockFree = 1;
  b.X = x;
  b.Y = y;
  b.Slot = slot;
  b.Side = side;
  b.Owner = owner;
  b.Kind = kind;

  std::int32_t health = 0;
  std::int16_t damage = 0;
  std::uint16_t actionPeriod = 0, range = 0, minRange = 0, cost = 0;
  BuildingTypeStats(kind, health, damage, actionPeriod, range, minRange, cost);
  b.Health = health;
  b.MaxHealth = static_cast<std::uint16_t>(health);
  b.Damage = damage;
  b.ActionPeriod = actionPeriod;
  b.Range = range;
  b.MinRange = minRange;
  b.Cost = cost;

  b.Deselected = 1;
  b.AnimFrames = BuildingAnimFrames(kind);
  if (kind == BuildingRadar) {
    b.AnimFrame = b.AnimFrames;
    // Not while a map or a saved game is being set up.
    if (owner == LocalPlayer && WorldTickCount > 0) {
      VoiceRadarOnline(side);
      StopSound();
    }
  }

  b.RepairOff = 1;
  b.RepairCost = static_cast<std::uint16_t>(CostStep(static_cast<std::int16_t>(b.Cost)));
  b.RepairPeriod = BuildingRepairPeriod;
  b.NextActionTick = WorldTickCount;
  b.TurretTurnTime = WorldTickCount;
  b.LastFireTick = WorldTickCount;
  b.TurretAimTime = WorldTickCount;
  b.TurretTurnPeriod = 360;
  b.TurretAimPeriod = 18;
  b.FireInterval = static_cast<std::uint16_t>(BuildingFireInterval(kind));

  b.Marker.Hidden = 1;
  b.FootprintClass = FootprintClass(kind);
  RemoveDecalUnder(x, y, b.FootprintClass);
  MarkFootprint(b, 1);

  b.UpgradeLevel = (kind == BuildingLightFactory && side == 0) ? 1 : 0;
  b.UpgradeIdle = 1;
  switch (kind) {
    case BuildingConstructionYard: b.Item = ItemSlab; break;
    case BuildingBarracks: b.Item = 1; break;
    case BuildingAcademy: b.Item = 3; break;
    case BuildingLightFactory: b.Item = side == 0 ? 6 : 5; break;
    case BuildingHeavyFactory: b.Item = 11; break;
    case BuildingAirFactory: b.Item = 15; break;
    default: b.Item = 0; break;
  }
  b.ProductionTarget = b.Item != 0 ? ItemCost(b.Item) : 0;

  TPlayerRecord* p = PlayerRecord(owner);
  if (kind != BuildingSlab && p) AddBuildingMade(*p);

  if (owner == LocalPlayer) {
    std::int32_t cx = x, cy = y;
    if (b.FootprintClass == 2) cx = x + 1;
    if (b.FootprintClass == 3) {
      cx = x + 1;
      cy = y + 1;
    }
    RevealArea(cx, cy, b.Range);
  } else if (NetRole == RoleSingle && kind == BuildingBarracks && p) {
    RebuildBasePoints(*p);
  }
}

void RemoveBuilding(TBuildingRecord& b) {
  // The footprint goes with the building, however it is removed (the server's message, the
  // map editor, slabs swallowed by a new building).
  if (b.Free == 0) MarkFootprint(b, 0);
  ++BuildingChanges;
  b.Free = 1;
  b.Marker.Hidden = 1;
  b.TargetSlot = 0;
}

std::uint8_t BuildingCoversTile(const TBuildingRecord& b, std::int32_t x, std::int32_t y) {
  const std::int32_t w = FootprintWidth(b.FootprintClass), h = FootprintHeight(b.FootprintClass);
  return (x >= b.X && x < b.X + w && y >= b.Y && y < b.Y + h) ? 0 : 1;
}

void NearestFootprintTile(const TBuildingRecord& b, std::int32_t x, std::int32_t y, std::int32_t& tx,
                          std::int32_t& ty) {
  const std::int32_t w = FootprintWidth(b.FootprintClass), h = FootprintHeight(b.FootprintClass);
  tx = std::clamp(x, b.X, b.X + w - 1);
  ty = std::clamp(y, b.Y, b.Y + h - 1);
}

void MarkFootprint(const TBuildingRecord& b, std::uint8_t value) {
  if (b.Kind < BuildingConstructionYard) return;  // slabs and walls never hold the ground
  const std::int32_t w = FootprintWidth(b.FootprintClass), h = FootprintHeight(b.FootprintClass);
  // A building at the map's edge (or a bad anchor from a file) must not write past the grid.
  for (std::int32_t cx = std::max(b.X, 1); cx <= std::min(b.X + w - 1, MapMaxSize); ++cx)
    for (std::int32_t cy = std::max(b.Y, 1); cy <= std::min(b.Y + h - 1, MapMaxSize); ++cy)
      OccupancyMap.Cell(cx, cy) = value;
}

std::int32_t PowerConsumption(std::uint8_t player) {
  std::int32_t sum = 0;
  const int last = LastBuildingSlot();
  for (int i = 1; i <= last; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free == 0 && b.Owner == player && b.Kind < BuildingKindCount) sum += PowerNeedTable[b.Kind];
  }
  return sum;
}

std::int32_t PowerSupply(std::uint8_t player) {
  std::int32_t sum = 0;
  const int last = LastBuildingSlot();
  for (int i = 1; i <= last; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free == 0 && b.Owner == player && b.Kind == BuildingPowerPlant) sum += b.PowerOutput;
  }
  return sum;
}

std::int32_t CountPowerPlants(std::uint8_t player) {
  std::int32_t n = 0;
  const int last = LastBuildingSlot();
  for (int i = 1; i <= last; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free == 0 && b.Owner == player && b.Kind == BuildingPowerPlant) ++n;
  }
  return std::max(n, 1);
}

std::int32_t CountStorageBuildings(std::uint8_t player) {
  std::int32_t n = 0;
  const int last = LastBuildingSlot();
  for (int i = 1; i <= last; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free == 0 && b.Owner == player && (b.Kind == BuildingRefinery || b.Kind == BuildingSilo)) ++n;
  }
  return n;
}

void PlayBuildingSelectSound(TBuildingRecord& b) {
  b.Deselected = 0;
  PlayBuildingSound(b.Owner == LocalPlayer ? b.Kind : BuildingSlab);
}

void DeselectBuilding(TBuildingRecord& b) { b.Deselected = 1; }

void DamageBuilding(TBuildingRecord& b, std::int32_t amount, std::int32_t attackerSlot,
                    std::uint8_t attackerClass) {
  if (b.Free != 0 || b.Kind == BuildingSlab) return;
  if (NetRole != RoleSingle) {
    NetBroadcastDamageBuildingProc(b.Slot, amount, attackerSlot, attackerClass);
  } else if (DebugFlags.GodMode != 0 && b.Owner == LocalPlayer) {
    return;
  }
  b.Health -= amount;

  if (b.Health <= 0) {
    // Only an enemy's kill counts: a plant that burns itself out credits nobody.
    const std::uint8_t killer = AttackerOwner(attackerSlot, attackerClass);
    if (TPlayerRecord* k = PlayerRecord(killer); k && killer != b.Owner) AddBuildingDestroyed(*k);
    b.Marker.Hidden = 1;
    if (b.Kind == BuildingRefinery || b.Kind == BuildingSilo) {
      if (TPlayerRecord* p = PlayerRecord(b.Owner)) {
        // The lost store's share of the credits; this building still counts.
        std::int32_t n = CountStorageBuildings(b.Owner);
        if (NetRole == RoleSingle && b.Owner != LocalPlayer) ++n;
        p->Credits -= p->Credits / std::max(n, 1);
      }
    }
    DestroyBuilding(b);
    return;
  }

  if (b.Health <= b.MaxHealth / 2) StartBurning(b.Marker);
  bool alert = attackerClass == AttackerUnit;
  if (attackerClass == AttackerBuilding && TBuildingTable::InRange(attackerSlot)) {
    // A plant's self-damage and the palace's weapon raise no alarm.
    const std::uint8_t k = Buildings[attackerSlot].Kind;
    alert = k != BuildingPowerPlant && k != BuildingPalace;
  }
  if (TPlayerRecord* p = PlayerRecord(b.Owner); p && alert)
    AlertEnemyInBase(*p, attackerSlot, b.Slot, attackerClass);
}

void DestroyBuilding(TBuildingRecord& b) {
  PlayBuildingDestroyedSound(b.X, b.Y);
  DestructionEffects(b);
  MarkFootprint(b, 0);
  RemoveDockedHarvester(b);
  if (NetRole == RoleSingle) {
    RemoveBuilding(b);
    if (TPlayerRecord* p = PlayerRecord(b.Owner); p && b.Owner != LocalPlayer) RebuildBasePoints(*p);
  } else if (NetRole == RoleServer) {
    NetRemoveBuildingProc(b.Slot);  // announces, then frees the slot
  }
  // A client leaves the slot to the server's message.
}

}  // namespace zarn
