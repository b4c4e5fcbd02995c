// Whether a unit may enter a tile, the map-bound and sand tests, and the search for a free
// tile behind a unit.
#pragma once

#include <cstdint>

namespace zarn {

// 1 when a unit of this kind and owner may enter (x, y), else 0. The unit's own slot
// (0 for none) never blocks it.
std::uint8_t CanEnter(int kind, int player, int x, int selfSlot, int y);

bool IsOutsideMap(int x, int y);
// 1 for a tile inside the map whose terrain is sand, else 0.
std::uint8_t IsSandTile(int x, int y);

// Replaces (x, y) by the first enterable tile behind it as seen along the facing, never the
// unit's own tile (unitX, unitY); leaves (x, y) alone when none of the 25 candidates will do.
void FindTileBehind(int kind, int player, int facing, int selfSlot, int& x, int& y, int unitX, int unitY);

}  // namespace zarn
