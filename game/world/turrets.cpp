#include "game/world/turrets.h"

#include <algorithm>
#include <cstdlib>

#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/mapview.h"
#include "game/base/random.h"
#include "game/base/rules.h"
#include "game/world/buildings.h"
#include "game/world/tileindex.h"
#include "game/world/worms.h"
#include "game/world/damage.h"
#include "game/world/shots.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

bool IsTurret(std::uint8_t kind) {
  return kind == BuildingGunTurret || kind == BuildingRocketTurret;
}

bool InSquare(const TBuildingRecord& t, long x, long y) {
  return std::labs(x - t.X) <= t.Range && std::labs(y - t.Y) <= t.Range;
}

std::uint8_t FindUnit(TBuildingRecord& t, bool groundOnly) {
  double best = 255;
  int found = 0;
  // Strictly nearer wins, the lowest slot among equals: what a search in slot order keeps.
  ForEachUnitNearTile(t.X, t.Y, t.Range, [&](int i) {
    const TUnitRecord& u = Units[i];
    if (u.Free != 0 || u.OffMap != 0 || u.Owner == t.Owner) return;
    if (groundOnly && u.Kind >= UnitCarrier) return;
    if (!InSquare(t, u.X, u.Y)) return;
    const double d = TileDistance(u.X, u.Y, t.X, t.Y);
    if (d < best || (d == best && found != 0 && i < found)) best = d, found = i;
  });
  if (found == 0) return 0;
  t.TargetSlot = static_cast<std::uint16_t>(found);
  t.TargetX = static_cast<std::uint16_t>(Units[found].X);
  t.TargetY = static_cast<std::uint16_t>(Units[found].Y);
  t.TargetClass = TargetUnit;
  return 1;
}

// Turning toward a target in range and firing once it is faced.
void Engage(TBuildingRecord& t, i32 tx, i32 ty) {
  if (!InSquare(t, tx, ty)) {
    TurretDropTarget(t);
    return;
  }
  if (tx != t.X || ty != t.Y) t.TurretAim = FacingToward(t.X, t.Y, tx, ty);
  if (t.TurretFacing == t.TurretAim) TurretFireAt(t, tx, ty);
  t.TurretEngaged = 1;
}

void EngageTarget(TBuildingRecord& t) {
  if (t.TargetClass == TargetUnit) {
    if (!TUnitTable::InRange(t.TargetSlot) || t.TargetSlot == 0) {
      TurretDropTarget(t);
      return;
    }
    const TUnitRecord& u = Units[t.TargetSlot];
    // Gone, lifted, or come over to our side (a converted unit): let it be.
    if (u.Free != 0 || u.OffMap != 0 || u.Owner == t.Owner) {
      TurretDropTarget(t);
      return;
    }
    Engage(t, u.X, u.Y);
  } else if (t.TargetClass == TargetWorm) {
    if (!TWormTable::InRange(t.TargetSlot) || Worms[t.TargetSlot].Removed != 0) {
      TurretDropTarget(t);
      return;
    }
    const TWormRecord& w = Worms[t.TargetSlot];
    Engage(t, w.X, w.Y);
  }
}

}  // namespace

void TurretSetTarget(TBuildingRecord& t, i32 x, i32 y) {
  if (t.Free != 0 || t.Kind < BuildingGunTurret) return;
  t.TurretState = TurretEngaging;
  t.TargetX = static_cast<std::uint16_t>(x);
  t.TargetY = static_cast<std::uint16_t>(y);
}

void TurretDropTarget(TBuildingRecord& t) { t.TurretState = TurretDropped; }

std::uint8_t FindUnitForGunTurret(TBuildingRecord& t) { return FindUnit(t, true); }
std::uint8_t FindUnitForRocketTurret(TBuildingRecord& t) { return FindUnit(t, false); }

std::uint8_t FindWormForTurret(TBuildingRecord& t) {
  if (t.Side == 1) return 0;
  for (int i = 1; i <= WormSlots; ++i) {
    const TWormRecord& w = Worms[i];
    if (w.Removed != 0 || !InSquare(t, w.X, w.Y)) continue;
    t.TargetSlot = static_cast<std::uint16_t>(i);
    t.TargetX = static_cast<std::uint16_t>(w.X);
    t.TargetY = static_cast<std::uint16_t>(w.Y);
    t.TargetClass = TargetWorm;
    return 1;
  }
  return 0;
}

void TurretTick(TBuildingRecord& t) {
  if (t.Free != 0 || !IsTurret(t.Kind)) return;
  if (t.TurretState == TurretDropped) {
    t.TurretState = TurretIdle;
    t.TurretEngaged = 0;
    t.NextActionTick = WorldTickCount;
  } else if (t.TurretState == TurretEngaging) {
    EngageTarget(t);
  }

  if (t.NextActionTick <= WorldTickCount) {
    t.NextActionTick = WorldTickCount + t.ActionPeriod;
    if (t.TurretFacing != t.TurretAim) {
      t.TurretFacing = TurnTowardFacing(t.TurretFacing, t.TurretAim);
      t.NextActionTick = WorldTickCount + 2 * t.ActionPeriod;
    }
  }

  if (t.TurretEngaged == 0 && t.TurretState != TurretEngaging && t.TurretAimTime < WorldTickCount) {
    t.TurretAimTime = WorldTickCount + t.TurretAimPeriod;
    std::uint8_t found = t.Kind == BuildingRocketTurret ? FindUnitForRocketTurret(t)
                                                        : FindUnitForGunTurret(t);
    if (found == 0) found = FindWormForTurret(t);
    if (found != 0) TurretSetTarget(t, t.TargetX, t.TargetY);
  }
}

void TurretFireAt(TBuildingRecord& t, i32 x, i32 y) {
  if ((x == t.X && y == t.Y) || t.LastFireTick > WorldTickCount) return;
  t.LastFireTick = WorldTickCount + t.FireInterval;
  NetBroadcastTurretFireProc(t.Slot, x, y);
  const long d = std::max(std::labs(static_cast<long>(x) - t.X),
                          std::labs(static_cast<long>(y) - t.Y));
  if (d > t.Range) return;

  std::uint8_t weapon = WeaponGun;
  i32 speed = 64;
  if (t.Kind == BuildingRocketTurret && d > t.MinRange) weapon = WeaponRocket, speed = 128;

  // The shot aims at a live unit's drawn position; at the tile for a worm and on a client.
  const TUnitRecord* target = nullptr;
  if (t.TargetClass == TargetUnit && t.TargetSlot != 0 && TUnitTable::InRange(t.TargetSlot) &&
      Units[t.TargetSlot].Free == 0 && Units[t.TargetSlot].OffMap == 0)
    target = &Units[t.TargetSlot];
  if (target && t.Owner != LocalPlayer && target->Owner == LocalPlayer) RevealArea(t.X, t.Y, 1);

  std::uint8_t facing = 0;
  std::uint16_t step = 0;
  if (NetRole == RoleClient) {
    t.TargetSlot = 0;
  } else if (target) {
    facing = target->Facing;
    step = target->StepProgress;
  }
  FireBuildingShot(t.X, t.Y, x, y, t.Kind, weapon, facing, t.TurretAim, t.Slot, step, speed);
}

void UpdateBuildingShot(TShotRecord& s) {
  if (s.Active == 0) return;
  if (s.StepCount >= s.Steps) {
    if (TBuildingTable::InRange(s.Shooter)) ProjectileHit(Buildings[s.Shooter]);
    s.Active = 0;
    return;
  }
  // The same flight as a unit shot; it does no damage on the way.
  StepShot(s);
}

void DrawBuildingShot(const TShotRecord& s) { DrawShot(s); }

void ProjectileHit(TBuildingRecord& b) {
  if (NetRole == RoleClient || b.Free != 0) return;
  // A destroyed shooter's slot may hold another building by now: only the palace and the
  // turrets ever fire.
  if (b.Kind == BuildingPalace) {
    static constexpr i32 Percents[7] = {51, 60, 60, 51, 70, 51, 70};
    const i32 percent = Percents[Random(7)];
    SplashDamageUnits(b.TargetX, b.TargetY, MissileBlastRadius, percent);
    SplashDamageBuildings(b.TargetX, b.TargetY, MissileBlastRadius, AttackerBuilding, b.Slot,
                          percent);
    return;
  }
  if (!IsTurret(b.Kind)) return;
  const i32 slot = b.TargetSlot;
  switch (b.TargetClass) {
    case TargetUnit:
      if (slot != 0 && TUnitTable::InRange(slot))
        DamageUnit(Units[slot], b.Damage, b.Slot, AttackerBuilding);
      break;
    case TargetBuilding:
      if (TBuildingTable::InRange(slot))
        DamageBuilding(Buildings[slot], b.Damage, b.Slot, AttackerBuilding);
      break;
    case TargetWorm:
      if (TWormTable::InRange(slot)) DamageWorm(Worms[slot], b.Damage);
      break;
    default: break;
  }
}

}  // namespace zarn
