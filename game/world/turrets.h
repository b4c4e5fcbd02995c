// Gun and rocket turrets defend a base on their own: a turret without a target looks for the
// nearest enemy unit (failing that a worm) within its range, turns toward it one facing step at a
// time, fires when it faces it and drops it when it leaves the range or disappears. Turret and
// palace shots fly in BuildingShots and hit when they arrive.
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

// TurretState values.
inline constexpr std::uint8_t TurretDropped = 0;
inline constexpr std::uint8_t TurretEngaging = 1;
inline constexpr std::uint8_t TurretIdle = 10;

// The palace missile's blast: half-width in tiles.
inline constexpr std::int32_t MissileBlastRadius = 3;

// The turret's update on a building tick (gun and rocket turrets).
void TurretTick(TBuildingRecord& t);
// Fires at a tile when reloaded; the reload is spent even when the tile is out of range.
void TurretFireAt(TBuildingRecord& t, std::int32_t x, std::int32_t y);
void TurretSetTarget(TBuildingRecord& t, std::int32_t x, std::int32_t y);
void TurretDropTarget(TBuildingRecord& t);
// 1 when a target was found and stored in the turret's target fields, else 0.
std::uint8_t FindUnitForGunTurret(TBuildingRecord& t);
std::uint8_t FindUnitForRocketTurret(TBuildingRecord& t);
std::uint8_t FindWormForTurret(TBuildingRecord& t);
// One step of a building shot; the hit when it arrives.
void UpdateBuildingShot(TShotRecord& s);
// Drawn exactly as a unit shot.
void DrawBuildingShot(const TShotRecord& s);
// What a building shot does on arrival, through the record of the building that fired it.
void ProjectileHit(TBuildingRecord& b);

}  // namespace zarn
