// What stands on a tile, the automatic choice of targets, idle turning, and the step advance of
// a unit between two tiles with what arriving does: crushing infantry, setting off a bloom,
// uncovering the map.
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

// Each: the first live object whose tile is (x, y), lowest slot first. 0 found, 1 none.
std::uint8_t FindUnitAtTile(std::int32_t x, std::int32_t y, std::uint16_t& slot);  // aircraft too
std::uint8_t FindWormAtTile(std::int32_t x, std::int32_t y, std::uint16_t& slot);
std::uint8_t FindBloomAtTile(std::int32_t x, std::int32_t y, std::uint16_t& slot);
// Buildings of kind 2 or more whose footprint covers (x, y); slabs and walls are not found.
std::uint8_t FindBuildingAtTile(std::int32_t x, std::int32_t y, std::uint16_t& slot);
// Unit, worm, bloom, building: the first that is there. cls is one of the Target... classes.
std::uint8_t ObjectAtTile(std::int32_t x, std::int32_t y, std::uint16_t& slot, std::uint8_t& cls);

// An enemy unit in range, else an enemy building, else (side 1 excepted) a worm. 1 when a
// target was chosen, 0 when none.
std::uint8_t FindTarget(TUnitRecord& u);
// Per tick: the target search of a unit that is not attacking, and idle turning.
void AutoTarget(TUnitRecord& u);
// Per tick: turning and advancing a stepping unit, and the effects of arriving on a tile.
void OnTileEntered(TUnitRecord& u);

}  // namespace zarn
