#include "game/world/shots.h"

#include <algorithm>
#include <cmath>

#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/mapview.h"
#include "game/base/random.h"
#include "game/base/rules.h"
#include "game/base/sprites.h"
#include "game/sound/dsnd.h"
#include "game/world/buildings.h"
#include "game/world/blooms.h"
#include "game/world/damage.h"
#include "game/world/targets.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

// Shot effects are drawn in this side's colours.
constexpr int EffectColours = 2;

// Trunc of a float position; a damaged record's nonsense stays far off the map instead of
// being undefined.
i32 TruncPixel(float v) {
  if (!std::isfinite(v)) return -1000000;
  return static_cast<i32>(std::clamp(v, -1.0e6f, 1.0e6f));
}

// Map tile of a pixel position (division truncating toward zero, as the game does).
i32 TileOfPixel(i32 p) { return p / 16 + 1; }

TShotRecord* FirstFreeShot(TShotTable& table) {
  for (TShotRecord& s : table)
    if (s.Active == 0) return &s;
  return nullptr;
}

// The weapon sound a unit shot makes, by weapon class and shooter kind.
int UnitWeaponSound(std::uint8_t weaponClass, std::uint8_t kind) {
  switch (weaponClass) {
    case WeaponGun: return kind <= 3 ? 0 : (kind <= 5 ? 1 : 0);
    case WeaponRocket: return kind == 2 || kind == 3 ? 2 : (kind == UnitSkeltrel ? 5 : 0);
    case WeaponCannon:
      return kind == UnitLightTank ? 3 : (kind == UnitSiegeTank || kind == UnitGromador ? 4 : 0);
    case 3: return 0;
    case WeaponTremolan: return 7;
    case WeaponMissile:
      return kind == UnitRocketLauncher ? 5 : (kind == UnitPerwolan ? 6 : 0);
    default: return 0;
  }
}

// Weapon sound of a building shot, by the building's weapon type.
int BuildingWeaponSound(std::uint8_t weaponClass) {
  switch (weaponClass) {
    case 0: return 3;
    case 1: return 2;
    case 5: return 5;
    default: return 0;
  }
}

void InitShot(TShotRecord& s, std::uint8_t kind, std::uint8_t weaponClass, std::uint16_t shooter,
              i32 speed) {
  s = TShotRecord{};
  s.Active = 1;
  s.Shooter = shooter;
  s.ShotSpeed = speed;
  s.WeaponClass = weaponClass;
  s.ShooterKind = kind;
  s.StepLength = ShotStepLength;
}

// The aim offset a live unit target gives (its drawn position between two tiles); none for
// anything else.
void TargetOffsetOf(const TUnitRecord& shooter, std::uint8_t& facing, std::uint16_t& step) {
  facing = 0;
  step = 0;
  if (shooter.TargetClass != TargetUnit || !TUnitTable::InRange(shooter.TargetSlot)) return;
  const TUnitRecord& t = Units[shooter.TargetSlot];
  if (t.Free != 0 || t.OffMap != 0) return;
  facing = t.Facing;
  step = t.StepProgress;
}

void DrawEndSprite(const TShotRecord& s, long frame) {
  DrawSprite16(s.AimX, s.AimY, frame, EffectColours);
}

// The Tremolan wave hurts what it passes over, own objects too, but neither another Tremolan
// tank nor anything flying. Only where damage is decided, and only for a shooter still alive.
void TremolanPassesOver(const TShotRecord& s, i32 x, i32 y) {
  if (NetRole == RoleClient || !TUnitTable::InRange(s.Shooter)) return;
  const TUnitRecord& shooter = Units[s.Shooter];
  if (shooter.Free != 0 || shooter.Kind != UnitTremolanTank) return;
  std::uint16_t slot = 0;
  std::uint8_t cls = 0;
  if (ObjectAtTile(x, y, slot, cls) != 0) return;
  if (cls == TargetUnit) {
    TUnitRecord& victim = Units[slot];
    if (victim.Kind == UnitTremolanTank || victim.Kind >= UnitCarrier) return;
    DamageUnit(victim, shooter.Damage, s.Shooter, AttackerUnit);
  } else if (cls == TargetBuilding) {
    DamageBuilding(Buildings[slot], shooter.Damage, s.Shooter, AttackerUnit);
  }
}

}  // namespace

// ---- Shots ----

void FireAt(TUnitRecord& u, i32 x, i32 y) {
  if ((x == u.X && y == u.Y) || WorldTickCount < u.NextFireTick) return;
  u.NextFireTick = WorldTickCount + u.FireInterval + Random(2);
  NetBroadcastFireAtProc(u.Slot, x, y);

  const long dx = std::labs(static_cast<long>(x) - u.X), dy = std::labs(static_cast<long>(y) - u.Y);
  const long d = std::max(dx, dy);
  if (d > u.Range) return;
  if (u.Kind == UnitRocketLauncher && d <= u.MinRange) return;

  std::uint8_t weapon = WeaponGun;
  i32 speed = 64;
  switch (u.Kind) {
    case UnitHeavyTrooper:
    case UnitHeavySquad:
      if (d > u.MinRange) weapon = WeaponRocket, speed = 128;
      break;
    case UnitLightTank:
    case UnitSiegeTank:
    case UnitGromador: weapon = WeaponCannon, speed = 128; break;
    case UnitRocketLauncher:
    case UnitPerwolan: weapon = WeaponMissile, speed = 160; break;
    case UnitTremolanTank: weapon = WeaponTremolan, speed = 64; break;
    case UnitSkeltrel: weapon = WeaponRocket, speed = 192; break;
    default: break;
  }

  // Read the target's position before anything below may clear the target.
  std::uint8_t targetFacing = 0;
  std::uint16_t targetStep = 0;
  TargetOffsetOf(u, targetFacing, targetStep);

  if (u.Owner != LocalPlayer && u.TargetClass == TargetUnit &&
      TUnitTable::InRange(u.TargetSlot) && Units[u.TargetSlot].Owner == LocalPlayer)
    RevealArea(u.X, u.Y, 1);
  // The server alone deals damage.
  if (NetRole == RoleClient) u.TargetSlot = 0;
  FireUnitShot(u.X, u.Y, x, y, u.Kind, weapon, targetFacing, u.Slot, targetStep, speed);
}

void SetUpShotFlight(TShotRecord& s, i32 sx, i32 sy, i32 tx, i32 ty, std::uint8_t targetFacing,
                     std::uint16_t targetStep, bool extraSteps) {
  const i32 startX = (sx - 1) * 16, startY = (sy - 1) * 16;
  i32 aimX = (tx - 1) * 16, aimY = (ty - 1) * 16;
  MoveOffsetByFacing(targetStep, aimX, aimY, targetFacing);
  s.PixelX = startX;
  s.PixelY = startY;
  s.AimX = aimX;
  s.AimY = aimY;
  s.PosX = static_cast<float>(startX);
  s.PosY = static_cast<float>(startY);
  s.NextStepTick = TickCount;
  s.StepInterval = 1;

  const double dx = aimX - startX, dy = aimY - startY;
  const double m = std::fabs(dx) > std::fabs(dy) ? dx : dy;
  const double f = std::fabs(m / s.ShotSpeed * 18.2);
  // An aim on the start pixel would divide by zero: such a shot stands still and lands.
  s.DirX = f > 0 ? static_cast<float>(dx / f) : 0.0f;
  s.DirY = f > 0 ? static_cast<float>(dy / f) : 0.0f;
  long steps = static_cast<long>(f) / 2 + 2 - static_cast<long>(145.6 / s.ShotSpeed);
  s.ShotFacing = FacingFromVector(static_cast<float>(dx), static_cast<float>(dy));
  if (extraSteps) {
    switch (s.WeaponClass) {
      case 0: steps += 1; break;
      case 3: case 4: case 6: case 7: steps += 2; break;
      case 1: case 2: case 5:
        if (s.ShooterKind == UnitPerwolan) steps += 2;
        break;
      default: break;
    }
  }
  s.Steps = static_cast<std::uint16_t>(std::clamp(steps, 0L, 65535L));
  s.StepCount = 0;
}

void FireUnitShot(i32 sx, i32 sy, i32 tx, i32 ty, std::uint8_t shooterKind,
                  std::uint8_t weaponClass, std::uint8_t targetFacing, std::uint16_t shooterSlot,
                  std::uint16_t targetStep, i32 speed) {
  TShotRecord* s = FirstFreeShot(UnitShots);
  if (s == nullptr || speed <= 0) return;
  InitShot(*s, shooterKind, weaponClass, shooterSlot, speed);
  SetUpShotFlight(*s, sx, sy, tx, ty, targetFacing, targetStep, true);
  PlayWeaponSound(sx, sy, UnitWeaponSound(weaponClass, shooterKind));
}

void FireBuildingShot(i32 sx, i32 sy, i32 tx, i32 ty, std::uint8_t buildingKind,
                      std::uint8_t weaponClass, std::uint8_t targetFacing, std::uint8_t aim,
                      std::uint16_t shooterSlot, std::uint16_t targetStep, i32 speed) {
  TShotRecord* s = FirstFreeShot(BuildingShots);
  if (s == nullptr || speed <= 0) return;
  InitShot(*s, buildingKind, weaponClass, shooterSlot, speed);
  SetUpShotFlight(*s, sx, sy, tx, ty, targetFacing, targetStep, false);
  s->ShotFacing = aim;
  PlayWeaponSound(sx, sy, BuildingWeaponSound(weaponClass));
}

void AdjustShotTiming(TShotRecord& s) {
  const long left = static_cast<long>(s.Steps) - s.StepCount;
  switch (s.WeaponClass) {
    case WeaponGun:
      if (left == 1) s.StepInterval = 1;
      break;
    case WeaponRocket:
    case WeaponCannon:
      if (left == 1) s.StepInterval = 2;
      break;
    case WeaponMissile:
      if (s.ShooterKind == UnitPerwolan) {
        // The converting beam lingers over its last four steps.
        if (left == 4) s.StepInterval = 8;
      } else if (left == 1) {
        s.StepInterval = 2;
      }
      break;
    default: break;
  }
}

bool StepShot(TShotRecord& s) {
  if (TickCount < s.NextStepTick) return false;
  AdjustShotTiming(s);
  s.NextStepTick = TickCount + s.StepInterval;
  s.PosX += s.StepLength * s.DirX;
  s.PosY += s.StepLength * s.DirY;
  s.PixelX = TruncPixel(s.PosX);
  s.PixelY = TruncPixel(s.PosY);
  ++s.StepCount;
  return true;
}

void UpdateShot(TShotRecord& s) {
  if (s.Active == 0) return;
  if (s.StepCount >= s.Steps) {
    if (TUnitTable::InRange(s.Shooter)) HitTarget(Units[s.Shooter]);
    s.Active = 0;
    return;
  }
  const i32 oldX = TileOfPixel(s.PixelX), oldY = TileOfPixel(s.PixelY);
  if (!StepShot(s)) return;
  const i32 newX = TileOfPixel(s.PixelX), newY = TileOfPixel(s.PixelY);
  if (s.WeaponClass == WeaponTremolan && (newX != oldX || newY != oldY))
    TremolanPassesOver(s, newX, newY);
}

void DrawShot(const TShotRecord& s) {
  if (s.Active == 0) return;
  const long left = static_cast<long>(s.Steps) - s.StepCount;
  const bool end = left == 0;
  switch (s.WeaponClass) {
    case WeaponGun:
      if (end)
        DrawEndSprite(s, 129);
      else
        DrawShotKind0(s.PixelX, s.PixelY, s.ShotFacing);
      break;
    case WeaponRocket:
    case WeaponCannon:
    case WeaponMissile:
      if (s.WeaponClass == WeaponMissile && s.ShooterKind == UnitPerwolan) {
        if (left == 3)
          DrawEndSprite(s, 132);
        else if (left == 2)
          DrawSprite24(s.AimX, s.AimY, 52, EffectColours);
        else if (left == 1)
          DrawSprite24(s.AimX, s.AimY, 53, EffectColours);
        else if (end)
          DrawSprite24(s.AimX, s.AimY, 54, EffectColours);
        else
          DrawShotKind5(s.PixelX, s.PixelY, s.ShotFacing);
        break;
      }
      if (end) {
        DrawEndSprite(s, 131);
      } else if (left == 1) {
        DrawEndSprite(s, 130);
      } else if (s.WeaponClass == WeaponRocket) {
        DrawShotKind1(s.PixelX, s.PixelY, s.ShotFacing);
      } else if (s.WeaponClass == WeaponMissile) {
        DrawShotKind5(s.PixelX, s.PixelY, s.ShotFacing);
      } else if (s.ShooterKind == UnitLightTank) {
        DrawShotKind2A(s.PixelX, s.PixelY, s.ShotFacing);
      } else if (s.ShooterKind == UnitSiegeTank) {
        DrawShotKind2B(s.PixelX, s.PixelY, s.ShotFacing);
      } else if (s.ShooterKind == UnitGromador) {
        DrawShotKind2C(s.PixelX, s.PixelY, s.ShotFacing);
      }
      break;
    case WeaponTremolan: DrawShotKind4(s.PixelX, s.PixelY, s.ShotFacing); break;
    default: break;
  }
}

// ---- Explosions and decals ----

void CreateExplosion(i32 tileX, i32 tileY, i32 pixelX, i32 extra, i32 kind, i32 side,
                         i32 pixelY) {
  std::int16_t frames = 0, period = 0;
  if (kind >= 0 && kind <= 3) {
    frames = 2, period = InfantryExplosionPeriod;
    tileX = (pixelX + 4) / 16 + 1;
    tileY = (pixelY + 4) / 16 + 1;
  } else if (kind >= 4 && kind <= 6) {
    frames = 3, period = 3;
  } else if (kind >= 7 && kind <= 12) {
    frames = 4, period = 3;
  } else if (kind == 14 || kind == 15) {
    frames = 3, period = 3;
  } else {
    // The Perwolan's death (and anything unknown) shows nothing: no slot is held for it.
    return;
  }
  for (TExplosionRecord& e : Explosions) {
    if (e.Free == 0) continue;
    e = TExplosionRecord{};
    e.Free = 0;
    e.TileX = static_cast<std::uint16_t>(tileX);
    e.TileY = static_cast<std::uint16_t>(tileY);
    e.PixelX = static_cast<std::uint16_t>(pixelX);
    e.PixelY = static_cast<std::uint16_t>(pixelY);
    e.ExplosionKind = static_cast<std::uint8_t>(kind);
    e.SideColour = static_cast<std::uint8_t>(side);
    e.Extra = static_cast<std::uint8_t>(extra);
    e.Frame = 1;
    e.FrameCount = frames;
    e.FramePeriod = period;
    e.NextFrameTick = TickCount + period;
    return;
  }
}

void UpdateExplosion(TExplosionRecord& e) {
  if (e.Free != 0) return;
  if (e.Frame > e.FrameCount) {
    e.Free = 1;
    return;
  }
  // Pixels left of or above the map were stored as 16-bit wraps.
  const i32 px = static_cast<std::int16_t>(e.PixelX), py = static_cast<std::int16_t>(e.PixelY);
  const int side = e.SideColour;
  const std::uint8_t kind = e.ExplosionKind;
  if (kind <= 3) {
    const long first = kind == 0 || kind == 2 ? 124 : 126;
    if (e.Frame == 2 && GameMap.Inside(e.TileX, e.TileY)) {
      const int cls = TerrainClass(GameMap.Cell(e.TileX, e.TileY));
      // Hard ground keeps no remains.
      if (cls == 4 || cls == 1) {
        e.Frame = static_cast<std::int16_t>(e.FrameCount + 1);
        e.Free = 1;
        return;
      }
    }
    DrawSprite16(px, py, first + (e.Frame == 1 ? 0 : 1), side);
  } else if (kind <= 6) {
    if (e.Frame <= 2)
      DrawSprite16(px, py, 129 + e.Frame, side);
    else
      DrawSprite24(px, py, 49, side);
  } else if (kind <= 12) {
    if (e.Frame <= 2)
      DrawSprite16(px, py, 129 + e.Frame, side);
    else
      DrawSprite24(px, py, 47 + e.Frame, side);
  }
  if (TickCount >= e.NextFrameTick) {
    e.NextFrameTick = TickCount + e.FramePeriod;
    ++e.Frame;
  }
}

void CreateGroundMark(i32 pixelX, i32 pixelY, i32 size) {
  for (TDecalRecord& d : Decals)
    if (d.Free != 0) {
      AddExplosionMark(d, pixelX, pixelY, size);
      return;
    }
}

void AddCraterDecal(i32 pixelX, i32 pixelY) {
  for (TDecalRecord& d : Decals)
    if (d.Free != 0) {
      AddCraterMark(d, pixelX, pixelY);
      return;
    }
}

}  // namespace zarn
