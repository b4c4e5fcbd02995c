// Unit orders: each sets a unit's state and target fields, checks which kinds may take it and
// moves the target tile where the requested one cannot be entered; the per-tick state machine
// carries the order out. Refusing orders return 0 when taken, 1 when refused or ignored.
// (Deploying a construction vehicle is DeployUnit, with building placement.)
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

inline constexpr std::uint8_t OrderTaken = 0;
inline constexpr std::uint8_t OrderRefused = 1;

// A carrier holds at most this many units.
inline constexpr std::uint16_t CarrierCapacity = 6;

void StopUnit(TUnitRecord& u);
// Aims at tile (x, y). 0 when something stands there, 1 when the tile is empty.
std::uint8_t SetTarget(TUnitRecord& u, std::int32_t x, std::int32_t y);
void SetTargetSlot(TUnitRecord& u, std::uint16_t slot);

// The enterable tile of the 5 x 5 block around (x, y) nearest to the unit replaces (x, y); y is
// first brought into the map. Unchanged when the whole block is blocked.
void NearestEnterableInBlock(const TUnitRecord& u, std::int32_t& x, std::int32_t& y);
void MoveTo(TUnitRecord& u, std::int32_t x, std::int32_t y);
// A harvester with room harvests the cell at (x, y) or the nearest within its range.
std::uint8_t MoveOrHarvest(TUnitRecord& u, std::int32_t x, std::int32_t y);

// 1 when the target unit flies and the attacker's weapon cannot reach the air.
std::uint8_t CannotHitAir(std::uint8_t attackerKind, std::int32_t targetSlot);
// Attacks whatever stands at (x, y), own objects included; never the unit itself.
std::uint8_t AttackAt(TUnitRecord& u, std::int32_t x, std::int32_t y);
// Attacks a given object (the computer player's choice): cls 0 unit, 1 building, 2 worm, 3 bloom.
std::uint8_t AttackObject(TUnitRecord& u, std::int32_t x, std::int32_t y, std::uint8_t cls,
                          std::int32_t slot);
// Attack state with free choice of targets; the target fields stay.
std::uint8_t HuntOrder(TUnitRecord& u);

// A carrier flies to an own ground unit at (x, y) to lift it.
std::uint8_t CarrierPickUp(TUnitRecord& carrier, std::int32_t x, std::int32_t y);
// A carrier flies to (x, y), or the nearest free tile behind it, to put its cargo down.
std::uint8_t CarrierDeliver(TUnitRecord& carrier, std::int32_t x, std::int32_t y);
// A ground unit leaves the map: aboard a carrier, or into a refinery's dock.
void StopCarrier(TUnitRecord& u);
// A unit off the map is put down at (x, y).
void UnloadAt(TUnitRecord& u, std::int32_t x, std::int32_t y);

// The player's refinery with a free dock whose footprint comes nearest to (x, y). 0 found, 1 none.
std::uint8_t FindNearestRefinery(std::uint8_t owner, std::int32_t x, std::int32_t y, std::uint16_t& slot);
// The tile of the refinery's contact ring that a harvester of the owner may enter nearest to
// (x, y). 0 found, 1 none.
std::uint8_t FindDockTile(const TBuildingRecord& refinery, std::uint8_t owner, std::int32_t x, std::int32_t y,
                          std::int32_t& dockX, std::int32_t& dockY);
// A loaded harvester heads for the dock of its nearest refinery.
std::uint8_t ReturnToRefinery(TUnitRecord& u);

}  // namespace zarn
