// Shots, explosions and the marks they leave, and the drawing of units and their markers.
// A unit's or a building's attack is a projectile that flies in pixel steps paced by TickCount;
// when its flight ends the shooter's current target is hit. Explosions are short animations in
// their own table; dying vehicles leave decals on the ground.
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

// Every shot steps this many pixels along its direction.
inline constexpr std::uint16_t ShotStepLength = 2;

// Weapon classes of shots.
inline constexpr std::uint8_t WeaponGun = 0;
inline constexpr std::uint8_t WeaponRocket = 1;
inline constexpr std::uint8_t WeaponCannon = 2;
inline constexpr std::uint8_t WeaponTremolan = 4;
inline constexpr std::uint8_t WeaponMissile = 5;

// Explosion kinds 0..3 (infantry) last this many TickCount units per frame.
inline constexpr std::int16_t InfantryExplosionPeriod = 360;

// ---- Shots ----

// A unit fires at tile (x, y) when reloaded and in range. The reload is spent as soon as the
// unit may fire, whether or not a shot comes of it.
void FireAt(TUnitRecord& u, std::int32_t x, std::int32_t y);
// Sets up the first free unit shot (none free: nothing) and plays the weapon's sound.
void FireUnitShot(std::int32_t sx, std::int32_t sy, std::int32_t tx, std::int32_t ty,
                  std::uint8_t shooterKind, std::uint8_t weaponClass, std::uint8_t targetFacing,
                  std::uint16_t shooterSlot, std::uint16_t targetStep, std::int32_t speed);
// The same for a turret's or a palace's shot, in BuildingShots. The building's aim is the
// shot's direction of flight.
void FireBuildingShot(std::int32_t sx, std::int32_t sy, std::int32_t tx, std::int32_t ty,
                      std::uint8_t buildingKind, std::uint8_t weaponClass,
                      std::uint8_t targetFacing, std::uint8_t aim, std::uint16_t shooterSlot,
                      std::uint16_t targetStep, std::int32_t speed);
// The flight from tile (sx, sy) toward tile (tx, ty), the aim shifted by the target's step.
// Unit shots get extra steps by weapon class; building shots get none.
void SetUpShotFlight(TShotRecord& s, std::int32_t sx, std::int32_t sy, std::int32_t tx,
                     std::int32_t ty, std::uint8_t targetFacing, std::uint16_t targetStep,
                     bool extraSteps);
// The step interval a shot takes from its next step on (the slow-down near the end).
void AdjustShotTiming(TShotRecord& s);
// One step along the flight when its TickCount has come. False when it was not yet time.
bool StepShot(TShotRecord& s);
// One step of a unit shot: the flight, the Tremolan wave's damage on the way, the hit at the end.
void UpdateShot(TShotRecord& s);
// One frame of a shot; drawing changes nothing in the record.
void DrawShot(const TShotRecord& s);

// ---- Explosions and decals ----

// First free slot of 1..50; none free: nothing. Kinds 13 and above 15 show nothing and take no
// slot.
void CreateExplosion(std::int32_t tileX, std::int32_t tileY, std::int32_t pixelX,
                         std::int32_t extra, std::int32_t kind, std::int32_t side,
                         std::int32_t pixelY);
// Draws one explosion and advances it; frees the slot when it has run out.
void UpdateExplosion(TExplosionRecord& e);
// A scorch (tile 240 + size) or a crater in the first free decal; none free: nothing.
void CreateGroundMark(std::int32_t pixelX, std::int32_t pixelY, std::int32_t size);
void AddCraterDecal(std::int32_t pixelX, std::int32_t pixelY);

// ---- Units on the screen ----

// The smoke of a hurt vehicle: three frames for 180 TickCount units.
void StartUnitMarker(TUnitMarker& marker);
void DrawUnit(const TUnitRecord& u);
// Draws the marker and steps its animation; hides it once it has run out.
void DrawUnitMarker(TUnitRecord& u);

}  // namespace zarn
