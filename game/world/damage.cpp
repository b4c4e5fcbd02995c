#include "game/world/damage.h"

#include <algorithm>
#include <cstdlib>

#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/maps.h"
#include "game/base/random.h"
#include "game/base/rules.h"
#include "game/base/sprites.h"
#include "game/sound/dsnd.h"
#include "game/world/buildings.h"
#include "game/world/alarms.h"
#include "game/world/blooms.h"
#include "game/world/players.h"
#include "game/world/worms.h"
#include "game/world/orders.h"
#include "game/world/ossinfields.h"
#include "game/world/pulses.h"
#include "game/world/shots.h"
#include "game/world/tileindex.h"
#include "game/world/units.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

// Owner of the unit or building that hit us; 0 for a slot that names nothing.
std::uint8_t AttackerOwner(i32 slot, std::uint8_t attackerClass) {
  if (attackerClass == AttackerUnit && TUnitTable::InRange(slot)) return Units[slot].Owner;
  if (attackerClass == AttackerBuilding && TBuildingTable::InRange(slot))
    return Buildings[slot].Owner;
  return 0;
}

bool AttackerTile(i32 slot, std::uint8_t attackerClass, i32& x, i32& y) {
  if (attackerClass == AttackerUnit && TUnitTable::InRange(slot)) {
    x = Units[slot].X, y = Units[slot].Y;
    return true;
  }
  if (attackerClass == AttackerBuilding && TBuildingTable::InRange(slot)) {
    x = Buildings[slot].X, y = Buildings[slot].Y;
    return true;
  }
  return false;
}

bool IsAircraft(std::uint8_t kind) { return kind == UnitCarrier || kind == UnitSkeltrel; }

bool InSquare(long x, long y, long cx, long cy, long radius) {
  return std::labs(x - cx) <= radius && std::labs(y - cy) <= radius;
}

// Steps 1 to 3 of every hit: false when the unit takes nothing.
bool TakeHit(TUnitRecord& u, i32 damage, bool splash, i32 attacker, std::uint8_t attackerClass) {
  if (u.OffMap != 0 || u.Free != 0) return false;
  if (NetRole != RoleSingle) {
    if (splash)
      NetBroadcastSplashDamageProc(u.Slot, damage);
    else
      NetBroadcastDamageUnitProc(u.Slot, damage, attacker, attackerClass);
  } else if (DebugFlags.GodMode != 0 && u.Owner == LocalPlayer) {
    return false;
  }
  u.Health -= damage;
  return true;
}

void SmokeWhenHurt(TUnitRecord& u) {
  if (u.Kind >= UnitTrike && u.Health < u.MaxHealth / 2) StartUnitMarker(u.Marker);
}

// A dying harvester this full spills its load round itself.
void SpillWhenFull(const TUnitRecord& u) {
  if (u.Kind != UnitHarvester || u.Capacity == 0) return;
  if (static_cast<long>(u.Load) * 100 / u.Capacity >= SpillThresholdPercent)
    SpillHarvester(u.X - 1, u.Y - 1, u.Load);
}

void DieOrdinarily(TUnitRecord& u) {
  SpillWhenFull(u);
  PlayDeathSound(u.X, u.Y, u.Kind);
  KillUnit(u);
}

void RemoveAndMirror(TUnitRecord& u) {
  // The server tells the clients first; its hook also frees the slot, which stays harmless
  // to repeat here.
  if (NetRole == RoleServer) NetRemoveUnitProc(u.Slot);
  RemoveUnit(u);
}

}  // namespace

void HitTarget(TUnitRecord& shooter) {
  if (NetRole == RoleClient || shooter.OffMap != 0 || shooter.Free != 0 || shooter.TargetSlot == 0)
    return;
  const i32 slot = shooter.TargetSlot;
  switch (shooter.TargetClass) {
    case TargetUnit: {
      if (!TUnitTable::InRange(slot)) return;
      TUnitRecord& target = Units[slot];
      if (shooter.Kind == UnitTremolanTank && target.Kind == UnitTremolanTank) return;
      if (shooter.Kind == UnitPerwolan)
        ConvertUnit(target, shooter.Side, shooter.Owner);
      else
        DamageUnit(target, shooter.Damage, shooter.Slot, AttackerUnit);
      break;
    }
    case TargetBuilding:
      if (TBuildingTable::InRange(slot))
        DamageBuilding(Buildings[slot], shooter.Damage, shooter.Slot, AttackerUnit);
      break;
    case TargetWorm:
      if (TWormTable::InRange(slot)) DamageWorm(Worms[slot], shooter.Damage);
      break;
    case TargetBloom:
      if (!TBloomTable::InRange(slot)) return;
      if (NetRole != RoleSingle)
        NetEruptBloomProc(slot);
      else
        EruptBloom(OssinBlooms[slot]);
      break;
    default: break;
  }
}

void DamageUnit(TUnitRecord& u, i32 damage, i32 attackerSlot, std::uint8_t attackerClass) {
  if (!TakeHit(u, damage, false, attackerSlot, attackerClass)) return;
  const std::uint8_t attackerOwner = AttackerOwner(attackerSlot, attackerClass);

  if (u.Health >= 1) {
    SmokeWhenHurt(u);
    if (attackerOwner == 0 || attackerOwner == u.Owner) return;
    const bool palace = attackerClass == AttackerBuilding &&
                        Buildings[attackerSlot].Kind == BuildingPalace;
    if (TPlayerRecord* p = PlayerRecord(u.Owner); p && !palace)
      UnitAttacked(*p, u.Slot, attackerSlot, attackerClass);
    // A unit on the move or already attacking keeps to its order.
    if (u.State == StateAttack || u.State == StateMove || u.Kind == UnitConstructionVehicle) return;
    i32 ax = 0, ay = 0;
    if (AttackerTile(attackerSlot, attackerClass, ax, ay)) AttackAt(u, ax, ay);
    return;
  }

  // Only an enemy's kill counts.
  if (TPlayerRecord* k = PlayerRecord(attackerOwner); k && attackerOwner != u.Owner)
    AddUnitDestroyed(*k);
  if (u.Kind == UnitGromador)
    DestroyUnit(u);
  else
    DieOrdinarily(u);
}

void DamageUnitSplash(TUnitRecord& u, i32 damage) {
  if (!TakeHit(u, damage, true, 0, AttackerUnit)) return;
  if (u.Health >= 1)
    SmokeWhenHurt(u);
  else
    DieOrdinarily(u);
}

void SplashDamageUnits(i32 x, i32 y, i32 radius, i32 percent) {
  const int last = LastUnitSlot();
  for (int i = 1; i <= last; ++i) {
    TUnitRecord& u = Units[i];
    if (u.Free != 0 || u.OffMap != 0 || IsAircraft(u.Kind)) continue;
    if (!InSquare(u.X, u.Y, x, y, radius)) continue;
    DamageUnitSplash(u, u.MaxHealth / 100 * percent);
  }
}

void SplashDamageBuildings(i32 x, i32 y, i32 radius, std::uint8_t attackerClass, i32 attackerSlot,
                           i32 percent) {
  const int last = LastBuildingSlot();
  for (int i = 1; i <= last; ++i) {
    TBuildingRecord& b = Buildings[i];
    if (b.Free != 0 || b.Kind < BuildingConstructionYard) continue;
    // The nearest footprint tile is the point itself when the point lies inside.
    i32 tx = 0, ty = 0;
    NearestFootprintTile(b, x, y, tx, ty);
    if (!InSquare(tx, ty, x, y, radius)) continue;
    DamageBuilding(b, b.MaxHealth / 100 * percent, attackerSlot, attackerClass);
  }
}

void DestroyUnit(TUnitRecord& u) {
  if (u.Kind != UnitGromador || u.Free != 0) return;
  if (NetRole != RoleClient) {
    // The Gromador stands in both blasts itself.
    static constexpr i32 Outer[3] = {50, 40, 30};
    static constexpr i32 Inner[3] = {80, 70, 60};
    const i32 x = u.X, y = u.Y, slot = u.Slot;
    const i32 outer = Outer[Random(3)];
    SplashDamageUnits(x, y, 2, outer);
    SplashDamageBuildings(x, y, 2, AttackerUnit, slot, outer);
    const i32 inner = Inner[Random(3)];
    SplashDamageUnits(x, y, 1, inner);
    SplashDamageBuildings(x, y, 1, AttackerUnit, slot, inner);
  }
  // Its own blast may have finished it already: a unit dies once.
  if (u.Free != 0) return;
  PlayDeathSound(u.X, u.Y, u.Kind);
  KillUnit(u);
}

void ConvertUnit(TUnitRecord& u, std::uint8_t side, std::uint8_t owner) {
  if (u.Free != 0 || u.OffMap != 0) return;
  if (IsAircraft(u.Kind)) return;
  if (u.Side == 3 && (u.Kind == UnitHeavyTrooper || u.Kind == UnitHeavySquad)) return;
  // The former owner's computer player lets go of it.
  if (NetRole == RoleSingle && u.Owner != LocalPlayer)
    if (TPlayerRecord* p = PlayerRecord(u.Owner)) ForgetUnit(*p, u.Slot);
  u.FormerSide = u.Side;
  u.FormerOwner = u.Owner;
  u.Side = side;
  u.Owner = owner;
  UnitTilesChanged(u);  // the harvesters are listed by owner
  u.ConversionExpiry = WorldTickCount + u.ConversionPeriod;
  u.NotConverted = 0;
  u.State = StateStop;
  if (NetRole == RoleSingle && owner != LocalPlayer)
    if (TPlayerRecord* p = PlayerRecord(owner)) RegisterComputerUnit(*p, u.Slot);
}

void CrushUnit(TUnitRecord& u) {
  if (u.Free != 0) return;
  u.Health = 0;
  PlayCrushSound(u.X, u.Y);
  KillUnit(u);
}

void KillUnit(TUnitRecord& u) {
  if (u.Free != 0) return;
  i32 px = (u.X - 1) * 16, py = (u.Y - 1) * 16;
  MoveOffsetByFacing(u.StepProgress, px, py, u.Facing);
  CreateExplosion(u.X, u.Y, px, 0, u.Kind, u.Side, py);

  if (u.Kind == UnitTrike || u.Kind == UnitQuad) {
    const int r = Random(10);
    if (r == 1 || r == 5) AddCraterDecal(px, py);
  } else if (u.Kind == UnitCarrier) {
    CreateGroundMark(px, py, 0);
  } else if (u.Kind >= UnitLightTank && u.Kind <= UnitPerwolan) {
    if (Random(10) < 5) AddCraterDecal(px, py);
  }

  const int cargo = std::min<int>(u.CargoCount, CarrierCapacity);
  if (NetRole == RoleSingle && u.Owner != LocalPlayer) {
    if (TPlayerRecord* p = PlayerRecord(u.Owner)) {
      ForgetUnit(*p, u.Slot);
      if (u.Kind == UnitCarrier)
        for (int i = 1; i <= cargo; ++i) ForgetUnit(*p, u.Cargo[i]);
    }
  }
  // Whatever the carrier holds goes down with it.
  for (int i = 1; i <= cargo; ++i)
    if (TUnitTable::InRange(u.Cargo[i]) && u.Cargo[i] != u.Slot) RemoveAndMirror(Units[u.Cargo[i]]);
  RemoveAndMirror(u);
}

void SpillHarvester(i32 x0, i32 y0, i32 load) {
  const i32 amount = load / 10;
  if (amount <= 0) return;
  for (long y = y0; y <= static_cast<long>(y0) + 2; ++y)
    for (long x = x0; x <= static_cast<long>(x0) + 2; ++x) {
      if (!GameMap.Inside(x, y)) continue;
      const i32 tx = static_cast<i32>(x), ty = static_cast<i32>(y);
      if (AddToOssinField(tx, ty, amount) == 0) NewOssinField(tx, ty, amount);
    }
}

}  // namespace zarn
