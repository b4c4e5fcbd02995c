// Which units hold each tile, and which live units are harvesters, kept up to date as units are
// created, step, are lifted, put down and removed, so that a search for the units on a tile reads
// a short list instead of the whole unit table.
//
// Whoever changes a unit's X, Y, NextX, NextY, OffMap, Free or Owner (or its Kind) in the table calls
// UnitTilesChanged for it; whoever writes the table wholesale calls RebuildTileIndex.
// TileIndexMismatch compares the index with a scan of the table, for the checks of the tests.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <string>

#include "game/base/globals.h"
#include "game/base/maps.h"

namespace zarn {

void UnitTilesChanged(const TUnitRecord& u);
void RebuildTileIndex();
// Changes so far (see tile_index::Changes).
std::uint32_t UnitChangeCount();
// Units on the map whose own tile (X, Y) lies off the 256 x 256 grid, where no list reaches them.
int UnitsOffGrid();

// Empty when the index says what a scan of the unit table says, else what differs first.
std::string TileIndexMismatch();
// Set by the tests: CheckTileIndex then throws std::logic_error on a mismatch, and so do the
// lists drawn from the building table (live slots, target blocks) when the table changed
// without BuildingChanges. Off in the game.
inline bool TileIndexSelfCheck = false;
void CheckTileIndex();

namespace tile_index {

// A unit holds up to two tiles: its own and the one it is stepping into. Node 2 s + k is the
// k-th tile of unit slot s; the nodes of one tile form a doubly linked list.
inline constexpr int NodeCount = 2 * (MaxUnitSlots + 1);
inline constexpr std::int16_t None = -1;
inline std::array<std::int16_t, MapCellBytes> Head = [] {
  std::array<std::int16_t, MapCellBytes> h{};
  h.fill(None);
  return h;
}();
inline std::array<std::int16_t, NodeCount> Next{};
inline std::array<std::int16_t, NodeCount> Prev{};
// The cell each node is linked into, -1 when none.
inline std::array<std::int32_t, NodeCount> NodeCell = [] {
  std::array<std::int32_t, NodeCount> c{};
  c.fill(-1);
  return c;
}();

// The units whose own tile lies in each block of 8 x 8 tiles, doubly linked by slot, so that a
// search of a square reads the units of a few blocks instead of every tile. Blocks run like the
// cells: one column of blocks per 8 columns.
inline constexpr int BlockShift = 3;
inline constexpr int BlockSide = MapMaxSize >> BlockShift;
inline int BlockOfCell(std::int32_t cell) {
  return ((cell / MapMaxSize) >> BlockShift) * BlockSide + ((cell % MapMaxSize) >> BlockShift);
}
inline std::array<std::int16_t, BlockSide * BlockSide> BlockHead = [] {
  std::array<std::int16_t, BlockSide * BlockSide> h{};
  h.fill(None);
  return h;
}();
inline std::array<std::int16_t, MaxUnitSlots + 1> BlockNext{};
inline std::array<std::int16_t, MaxUnitSlots + 1> BlockPrev{};

// What a search reads of each slot, kept beside the lists so that a walk through them does not
// load a unit record for every neighbour it passes over: as the record had it at its last change.
struct TUnitBrief {
  std::int32_t X = 0, Y = 0;
  std::uint8_t Owner = 0, Kind = 0;
};
inline std::array<TUnitBrief, MaxUnitSlots + 1> Brief{};

// How many units of each owner have their own tile in each block (players 1..8; 0 for any other
// owner; the last entry is all of them), so that a search for enemies passes over the blocks
// that hold friends alone.
inline constexpr int OwnerBuckets = MaxPlayers + 1;
inline constexpr int AllOwners = OwnerBuckets;
inline int OwnerBucket(int owner) { return owner >= 1 && owner <= MaxPlayers ? owner : 0; }
inline std::array<std::array<std::uint16_t, OwnerBuckets + 1>, BlockSide * BlockSide> BlockOwners{};

// Live units (Free 0) of every slot by owner, and by owner and kind, so that a count of a
// player's units does not walk the table.
inline std::array<std::uint16_t, 256> LiveOwned{};
inline std::array<std::array<std::uint16_t, 256>, 256> LiveOwnedKinds{};

// One bit for each slot: those whose OffMap is 0, and those whose Free is 0, so that a walk over
// the table visits only those.
using TSlotBits = std::array<std::uint64_t, (MaxUnitSlots + 64) / 64>;
inline TSlotBits PlacedBits{};
inline TSlotBits LiveBits{};

// Counts every change told to the index, so that a list drawn from the unit table can tell
// whether it is still current.
inline std::uint32_t Changes = 0;

// Units on the map whose own tile is off the grid: their count and which slots they are.
inline int OffGridCount = 0;
inline std::array<bool, MaxUnitSlots + 1> OffGrid{};

// The live harvesters (kind 10) by owner, in no particular order: one list for each player
// 1..8, one for any other owner.
inline constexpr int HarvesterLists = MaxPlayers + 1;
inline int HarvesterList(int owner) { return owner >= 1 && owner <= MaxPlayers ? owner - 1 : MaxPlayers; }
inline std::array<std::array<std::uint16_t, MaxUnitSlots + 1>, HarvesterLists> Harvesters{};
inline std::array<int, HarvesterLists> HarvesterCount{};
// Which list holds each slot and where, -1 when none.
inline std::array<std::int16_t, MaxUnitSlots + 1> HarvesterAt = [] {
  std::array<std::int16_t, MaxUnitSlots + 1> a{};
  a.fill(-1);
  return a;
}();
inline std::array<std::int8_t, MaxUnitSlots + 1> HarvesterIn{};

}  // namespace tile_index

// Calls f(slot) once for every unit slot 0..1000 that is live and on the map and whose (X, Y) or
// (NextX, NextY) is the tile; in no particular slot order. (x, y) must lie on the 256 x 256 grid.
template <typename F>
void ForEachUnitOnTile(long x, long y, F&& f) {
  std::int16_t n = tile_index::Head[CellIndex(x, y)];
  while (n != tile_index::None) {
    const std::int16_t next = tile_index::Next[static_cast<std::size_t>(n)];
    f(n >> 1);
    n = next;
  }
}

// Calls f(slot) once for every live unit on the map whose own tile (X, Y) lies in the square of
// half-width r round (cx, cy), and perhaps for other slots 1..LastUnitSlot() too, which f must
// still test; in no particular slot order. Reads the tiles of the square, or the unit table
// where that is shorter (or a unit stands off the grid).
// The owner, when given (not 0), tells that the caller wants no unit of that player: blocks that
// hold only that player's units are passed over.
template <typename F>
void ForEachUnitNearTile(long cx, long cy, long r, F&& f, int notOwner = 0) {
  const int last = LastUnitSlot();
  const long side = 2 * r + 1;
  if (UnitsOffGrid() != 0 || side * side > last) {
    for (int i = 1; i <= last; ++i) f(i);
    return;
  }
  using namespace tile_index;
  const int skip = OwnerBucket(notOwner);
  const long x0 = std::max<long>(1, cx - r), x1 = std::min<long>(MapMaxSize, cx + r);
  const long y0 = std::max<long>(1, cy - r), y1 = std::min<long>(MapMaxSize, cy + r);
  for (long bx = (x0 - 1) >> BlockShift; bx <= (x1 - 1) >> BlockShift; ++bx)
    for (long by = (y0 - 1) >> BlockShift; by <= (y1 - 1) >> BlockShift; ++by) {
      const auto block = static_cast<std::size_t>(bx * BlockSide + by);
      if (skip != 0 && BlockOwners[block][AllOwners] == BlockOwners[block][static_cast<std::size_t>(skip)]) continue;
      for (std::int16_t s = BlockHead[block]; s != None; s = BlockNext[static_cast<std::size_t>(s)]) {
        const TUnitBrief& u = Brief[static_cast<std::size_t>(s)];
        if (s >= 1 && s <= last && u.X >= x0 && u.X <= x1 && u.Y >= y0 && u.Y <= y1) f(s);
      }
    }
}

// Calls f(slot) for every slot first..last whose bit is set, in slot order, as a scan of the
// table would: a slot is looked at when the walk reaches it, so a unit placed, lifted, made or
// removed by f on a later slot is visited or passed over just the same.
template <typename F>
void ForEachSlotIn(const tile_index::TSlotBits& bits, int first, int last, F&& f) {
  last = std::min(last, MaxUnitSlots);
  for (int i = std::max(first, 0); i <= last;) {
    const std::uint64_t word = bits[static_cast<std::size_t>(i >> 6)] >> (i & 63);
    if (word == 0) {
      i = (i | 63) + 1;
      continue;
    }
    i += std::countr_zero(word);
    if (i > last) return;
    f(i);
    ++i;
  }
}

// Every slot 0..last whose OffMap is 0 (the world clock's units).
template <typename F>
void ForEachPlacedUnit(int last, F&& f) {
  ForEachSlotIn(tile_index::PlacedBits, 0, last, f);
}

// Live units of slots 1..last of the owner, of the kind or of any kind (kind < 0).
int CountLiveUnits(int owner, int kind, int last);

// Calls f(slot) for every live harvester of the owner, in no particular slot order.
template <typename F>
void ForEachHarvesterOf(int owner, F&& f) {
  const auto list = static_cast<std::size_t>(tile_index::HarvesterList(owner));
  for (int i = 0; i < tile_index::HarvesterCount[list]; ++i)
    f(static_cast<int>(tile_index::Harvesters[list][static_cast<std::size_t>(i)]));
}

}  // namespace zarn
