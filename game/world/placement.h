// Placing buildings and slab blocks: what blocks a footprint, the contact with the base, the
// foundation's share of slabs, and the tile where a unit leaves its building.
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

// The rings around a footprint: the contact ring touches it, the outer ring lies one tile
// further out. At most 24 tiles (the outer ring of a 3 x 3 footprint).
struct TRingTile {
  std::int32_t X;
  std::int32_t Y;
};
inline constexpr int MaxRingTiles = 24;
// Fills tiles in ring order; returns how many. distance 1 gives the contact ring, 2 the outer.
int FootprintRing(std::int32_t x, std::int32_t y, std::uint8_t footprintClass, int distance,
                  TRingTile (&tiles)[MaxRingTiles]);

// 1 blocked, 0 free. With yardFlag 1, mobile construction vehicles do not block.
std::uint8_t IsFootprintBlocked(std::int32_t x, std::int32_t y, std::uint8_t yardFlag,
                                std::uint8_t footprintClass);
// 1 when the footprint touches neither a slab or wall (anyone's) nor one of the player's own
// buildings, 0 when connected.
std::uint8_t LacksConnection(std::int32_t x, std::int32_t y, std::uint8_t footprintClass,
                             std::uint8_t player);
// Health percentage 50..100 by the slabs under the footprint; removes the slabs it counts.
std::int32_t SlabCoverPercent(std::int32_t x, std::int32_t y, std::uint8_t footprintClass);

// 0 placed (or handed to the server), 1 refused.
std::uint8_t PlaceBuilding(std::int32_t x, std::int32_t y, std::uint8_t kind, std::uint8_t side,
                           std::uint8_t owner);
// The checks of PlaceBuilding before a slot is sought: 1 (and the owner told why) when the
// kind's footprint is blocked at (x, y) or, but for the construction yard, out of contact with
// the base; 0 when it may stand there. A client runs them on its own copy of the world.
std::uint8_t FootprintRefused(std::int32_t x, std::int32_t y, std::uint8_t kind, std::uint8_t owner);
std::uint8_t PlaceSlabBlock(std::int32_t x, std::int32_t y, std::uint8_t owner, std::uint8_t side);

// The first tile around a building that a unit of the kind may enter: the contact ring, then
// the outer ring (a one-cell building offers only its own tile). 0 found, 1 none.
std::uint8_t FindExitTile(std::int32_t x, std::int32_t y, std::uint8_t footprintClass,
                              std::uint8_t owner, std::uint8_t unitKind, std::int32_t& exitX,
                              std::int32_t& exitY);

// A mobile construction vehicle becomes a construction yard on its own tile. 0 deployed (or
// handed to the server), 1 refused: the vehicle stays.
std::uint8_t DeployUnit(TUnitRecord& u);

}  // namespace zarn
