#include "game/world/tileindex.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>

#include "game/base/rules.h"

namespace zarn {

namespace {

using namespace tile_index;

bool OnGrid(long x, long y) { return x >= 1 && x <= MapMaxSize && y >= 1 && y <= MapMaxSize; }

bool OnMap(const TUnitRecord& u) { return u.Free == 0 && u.OffMap == 0; }

// The cells the unit holds now: its own tile, then the tile it steps into when that differs.
// Tiles off the grid are outside every map; nothing asks about them.
void CellsOf(const TUnitRecord& u, std::int32_t& a, std::int32_t& b) {
  a = b = -1;
  if (!OnMap(u)) return;
  if (OnGrid(u.X, u.Y)) a = static_cast<std::int32_t>(CellIndex(u.X, u.Y));
  if (OnGrid(u.NextX, u.NextY)) {
    const auto c = static_cast<std::int32_t>(CellIndex(u.NextX, u.NextY));
    if (c != a) b = c;
  }
}

// A unit's own tile (its first node) files it in that tile's block too.
void BlockUnlink(int slot, std::int32_t cell) {
  const std::int16_t prev = BlockPrev[static_cast<std::size_t>(slot)], next = BlockNext[static_cast<std::size_t>(slot)];
  if (prev != None) BlockNext[static_cast<std::size_t>(prev)] = next;
  else BlockHead[static_cast<std::size_t>(BlockOfCell(cell))] = next;
  if (next != None) BlockPrev[static_cast<std::size_t>(next)] = prev;
}

void BlockLink(int slot, std::int32_t cell) {
  std::int16_t& head = BlockHead[static_cast<std::size_t>(BlockOfCell(cell))];
  BlockPrev[static_cast<std::size_t>(slot)] = None;
  BlockNext[static_cast<std::size_t>(slot)] = head;
  if (head != None) BlockPrev[static_cast<std::size_t>(head)] = static_cast<std::int16_t>(slot);
  head = static_cast<std::int16_t>(slot);
}

void Unlink(int node) {
  const std::int32_t cell = NodeCell[static_cast<std::size_t>(node)];
  if (cell < 0) return;
  if (node % 2 == 0) BlockUnlink(node / 2, cell);
  const std::int16_t prev = Prev[static_cast<std::size_t>(node)], next = Next[static_cast<std::size_t>(node)];
  if (prev != None) Next[static_cast<std::size_t>(prev)] = next;
  else Head[static_cast<std::size_t>(cell)] = next;
  if (next != None) Prev[static_cast<std::size_t>(next)] = prev;
  NodeCell[static_cast<std::size_t>(node)] = -1;
}

void Link(int node, std::int32_t cell) {
  const std::int16_t head = Head[static_cast<std::size_t>(cell)];
  Prev[static_cast<std::size_t>(node)] = None;
  Next[static_cast<std::size_t>(node)] = head;
  if (head != None) Prev[static_cast<std::size_t>(head)] = static_cast<std::int16_t>(node);
  Head[static_cast<std::size_t>(cell)] = static_cast<std::int16_t>(node);
  NodeCell[static_cast<std::size_t>(node)] = cell;
  if (node % 2 == 0) BlockLink(node / 2, cell);
}

void Place(int node, std::int32_t cell) {
  if (NodeCell[static_cast<std::size_t>(node)] == cell) return;
  Unlink(node);
  if (cell >= 0) Link(node, cell);
}

void SetHarvester(int slot, bool is, int owner) {
  std::int16_t& at = HarvesterAt[static_cast<std::size_t>(slot)];
  std::int8_t& in = HarvesterIn[static_cast<std::size_t>(slot)];
  const int list = HarvesterList(owner);
  if (is == (at >= 0) && (!is || in == list)) return;
  if (at >= 0) {
    // The last one of its list takes the freed place.
    auto& from = Harvesters[static_cast<std::size_t>(in)];
    int& count = HarvesterCount[static_cast<std::size_t>(in)];
    const std::uint16_t last = from[static_cast<std::size_t>(--count)];
    from[static_cast<std::size_t>(at)] = last;
    HarvesterAt[last] = at;
    at = -1;
  }
  if (!is) return;
  int& count = HarvesterCount[static_cast<std::size_t>(list)];
  at = static_cast<std::int16_t>(count);
  in = static_cast<std::int8_t>(list);
  Harvesters[static_cast<std::size_t>(list)][static_cast<std::size_t>(count++)] = static_cast<std::uint16_t>(slot);
}

// A unit's own tile counts it in its block under its owner.
void CountInBlock(int slot, int by) {
  const std::int32_t cell = NodeCell[static_cast<std::size_t>(2 * slot)];
  if (cell < 0) return;
  auto& counts = BlockOwners[static_cast<std::size_t>(BlockOfCell(cell))];
  for (const int k : {OwnerBucket(Brief[static_cast<std::size_t>(slot)].Owner), AllOwners})
    counts[static_cast<std::size_t>(k)] = static_cast<std::uint16_t>(counts[static_cast<std::size_t>(k)] + by);
}

bool BitOf(const TSlotBits& bits, int slot) { return ((bits[static_cast<std::size_t>(slot >> 6)] >> (slot & 63)) & 1) != 0; }

// A live unit counts under its owner and kind.
void CountLive(int slot, int by) {
  if (!BitOf(LiveBits, slot)) return;
  const TUnitBrief& b = Brief[static_cast<std::size_t>(slot)];
  LiveOwned[b.Owner] = static_cast<std::uint16_t>(LiveOwned[b.Owner] + by);
  LiveOwnedKinds[b.Owner][b.Kind] = static_cast<std::uint16_t>(LiveOwnedKinds[b.Owner][b.Kind] + by);
}

void Update(int slot, const TUnitRecord& u) {
  ++Changes;
  CountLive(slot, -1);
  std::int32_t a = -1, b = -1;
  CellsOf(u, a, b);
  CountInBlock(slot, -1);
  Place(2 * slot, a);
  Place(2 * slot + 1, b);
  const bool offGrid = OnMap(u) && !OnGrid(u.X, u.Y);
  if (offGrid != OffGrid[static_cast<std::size_t>(slot)]) {
    OffGrid[static_cast<std::size_t>(slot)] = offGrid;
    OffGridCount += offGrid ? 1 : -1;
  }
  SetHarvester(slot, u.Free == 0 && u.Kind == UnitHarvester, u.Owner);
  Brief[static_cast<std::size_t>(slot)] = {u.X, u.Y, u.Owner, u.Kind};
  CountInBlock(slot, +1);
  const auto word = static_cast<std::size_t>(slot >> 6);
  const std::uint64_t bit = std::uint64_t{1} << (slot & 63);
  PlacedBits[word] = u.OffMap == 0 ? PlacedBits[word] | bit : PlacedBits[word] & ~bit;
  LiveBits[word] = u.Free == 0 ? LiveBits[word] | bit : LiveBits[word] & ~bit;
  CountLive(slot, +1);
}

std::string Describe(int slot, const char* what) {
  const TUnitRecord& u = Units[slot];
  return "unit " + std::to_string(slot) + " (" + std::to_string(u.X) + ", " + std::to_string(u.Y) + ") next (" +
         std::to_string(u.NextX) + ", " + std::to_string(u.NextY) + ") off map " + std::to_string(u.OffMap) +
         " free " + std::to_string(u.Free) + ": " + what;
}

}  // namespace

void UnitTilesChanged(const TUnitRecord& u) {
  // Records outside the table (copies, trials) are nobody's business here.
  if (std::less<const TUnitRecord*>{}(&u, Units.begin()) || !std::less<const TUnitRecord*>{}(&u, Units.end())) return;
  Update(static_cast<int>(&u - Units.begin()), u);
}

std::uint32_t UnitChangeCount() { return Changes; }
int UnitsOffGrid() { return OffGridCount; }

void RebuildTileIndex() {
  Head.fill(None);
  NodeCell.fill(-1);
  BlockHead.fill(None);
  HarvesterAt.fill(-1);
  HarvesterCount.fill(0);
  OffGrid.fill(false);
  OffGridCount = 0;
  PlacedBits.fill(0);
  LiveBits.fill(0);
  LiveOwned.fill(0);
  for (auto& kinds : LiveOwnedKinds) kinds.fill(0);
  for (auto& counts : BlockOwners) counts.fill(0);
  for (int s = 0; s <= MaxUnitSlots; ++s) Update(s, Units[s]);
}

int CountLiveUnits(int owner, int kind, int last) {
  if (owner < 0 || owner > 255 || kind > 255) return 0;
  last = std::clamp(last, 0, MaxUnitSlots);
  int n = kind < 0 ? LiveOwned[static_cast<std::size_t>(owner)]
                   : LiveOwnedKinds[static_cast<std::size_t>(owner)][static_cast<std::size_t>(kind)];
  // The counts cover every slot: slot 0 and those past the last are taken off again.
  const auto counted = [&](int s) {
    const TUnitBrief& b = Brief[static_cast<std::size_t>(s)];
    return b.Owner == owner && (kind < 0 || b.Kind == kind) ? 1 : 0;
  };
  if (BitOf(LiveBits, 0)) n -= counted(0);
  ForEachSlotIn(LiveBits, last + 1, MaxUnitSlots, [&](int s) { n -= counted(s); });
  return n;
}

std::string TileIndexMismatch() {
  int harvesters = 0, offGrid = 0;
  static std::array<std::uint16_t, 256> owned;
  static std::array<std::array<std::uint16_t, 256>, 256> ownedKinds;
  owned.fill(0);
  for (auto& kinds : ownedKinds) kinds.fill(0);
  for (int s = 0; s <= MaxUnitSlots; ++s) {
    const TUnitRecord& u = Units[s];
    std::int32_t a = -1, b = -1;
    CellsOf(u, a, b);
    const bool off = OnMap(u) && !OnGrid(u.X, u.Y);
    offGrid += off ? 1 : 0;
    if (off != OffGrid[static_cast<std::size_t>(s)]) return Describe(s, "off the grid unnoticed");
    if (NodeCell[static_cast<std::size_t>(2 * s)] != a || NodeCell[static_cast<std::size_t>(2 * s + 1)] != b)
      return Describe(s, "its tiles are not the indexed ones");
    // Each placed node is in its cell's list, and that list is well linked and holds only
    // nodes placed in that cell.
    for (const int node : {2 * s, 2 * s + 1}) {
      const std::int32_t cell = NodeCell[static_cast<std::size_t>(node)];
      if (cell < 0) continue;
      bool found = false;
      int length = 0;
      std::int16_t prev = None;
      for (std::int16_t n = Head[static_cast<std::size_t>(cell)]; n != None; prev = n, n = Next[static_cast<std::size_t>(n)]) {
        if (n < 0 || n >= NodeCount || ++length > NodeCount) return Describe(s, "its tile's list is broken");
        if (Prev[static_cast<std::size_t>(n)] != prev || NodeCell[static_cast<std::size_t>(n)] != cell)
          return Describe(s, "its tile's list is broken");
        found |= n == node;
      }
      if (!found) return Describe(s, "missing from its tile's list");
    }
    const TUnitBrief& brief = Brief[static_cast<std::size_t>(s)];
    if (u.Free == 0 && (brief.X != u.X || brief.Y != u.Y || brief.Owner != u.Owner || brief.Kind != u.Kind))
      return Describe(s, "its place, owner or kind changed unnoticed");
    if (BitOf(PlacedBits, s) != (u.OffMap == 0)) return Describe(s, "lifted or put down unnoticed");
    if (BitOf(LiveBits, s) != (u.Free == 0)) return Describe(s, "made or removed unnoticed");
    if (u.Free == 0) {
      ++owned[u.Owner];
      ++ownedKinds[u.Owner][u.Kind];
    }
    const bool harvester = u.Free == 0 && u.Kind == UnitHarvester;
    const std::int16_t at = HarvesterAt[static_cast<std::size_t>(s)];
    if (harvester != (at >= 0)) return Describe(s, "missing from or left in the harvester list");
    if (harvester) {
      ++harvesters;
      const auto list = static_cast<std::size_t>(HarvesterList(u.Owner));
      if (HarvesterIn[static_cast<std::size_t>(s)] != static_cast<std::int8_t>(list) || at >= HarvesterCount[list] ||
          Harvesters[list][static_cast<std::size_t>(at)] != s)
        return Describe(s, "misplaced in the harvester lists");
    }
  }
  // Each block's list is well linked and holds exactly the units whose own tile is in it.
  int filed = 0, gridded = 0;
  for (int b = 0; b < BlockSide * BlockSide; ++b) {
    std::int16_t prev = None;
    std::array<std::uint16_t, OwnerBuckets + 1> counts{};
    for (std::int16_t s = BlockHead[static_cast<std::size_t>(b)]; s != None; prev = s, s = BlockNext[static_cast<std::size_t>(s)]) {
      if (s < 0 || s > MaxUnitSlots || ++filed > MaxUnitSlots + 1) return "a block's list is broken";
      const std::int32_t cell = NodeCell[static_cast<std::size_t>(2 * s)];
      if (BlockPrev[static_cast<std::size_t>(s)] != prev || cell < 0 || BlockOfCell(cell) != b)
        return Describe(s, "misfiled in the blocks");
      ++counts[static_cast<std::size_t>(OwnerBucket(Units[s].Owner))];
      ++counts[AllOwners];
    }
    if (counts != BlockOwners[static_cast<std::size_t>(b)]) return "a block's count of units by owner is wrong";
  }
  for (int s = 0; s <= MaxUnitSlots; ++s) gridded += NodeCell[static_cast<std::size_t>(2 * s)] >= 0 ? 1 : 0;
  if (filed != gridded) return "the blocks do not hold every unit on the grid";
  if (owned != LiveOwned || ownedKinds != LiveOwnedKinds) return "the counts of live units by owner are wrong";
  int listed = 0;
  for (const int n : HarvesterCount) listed += n;
  if (harvesters != listed) return "the harvester lists are too long";
  if (offGrid != OffGridCount) return "the count of units off the grid is wrong";
  return {};
}

void CheckTileIndex() {
  if (!TileIndexSelfCheck) return;
  if (std::string m = TileIndexMismatch(); !m.empty()) throw std::logic_error("tile index: " + m);
}

}  // namespace zarn
