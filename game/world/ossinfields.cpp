#include "game/world/ossinfields.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "game/base/globals.h"
#include "game/base/maps.h"
#include "game/base/random.h"
#include "game/base/rules.h"
#include "game/base/video.h"
#include "game/world/passability.h"

namespace zarn {

namespace {

// Nearest searches start here and fail when nothing beats it.
constexpr double NoneNear = 255.0;

bool InSquare(std::int32_t cx, std::int32_t cy, std::int32_t x, std::int32_t y, std::int32_t half) {
  return std::abs(cx - x) <= half && std::abs(cy - y) <= half;
}

// Bit of the neighbour at offset (dx, dy), 0 for the cell itself or anything farther.
std::uint8_t NeighbourBit(std::int32_t dx, std::int32_t dy) {
  if (dx < -1 || dx > 1 || dy < -1 || dy > 1 || (dx == 0 && dy == 0)) return 0;
  static constexpr std::uint8_t bits[3][3] = {{1, 2, 4}, {8, 0, 16}, {32, 64, 128}};
  return bits[dy + 1][dx + 1];
}

// Bits combine with OR: two cells on one tile (a map may list a tile twice) must not add up to
// another neighbour's bit.
template <typename Cells>
std::uint8_t MaskAmong(const Cells& cells, std::int32_t x, std::int32_t y, bool innerOnly) {
  std::uint8_t mask = 0;
  for (const TOssinFieldRecord& f : cells) {
    if (f.Free != 0 || (innerOnly && f.Inner != 1)) continue;
    mask |= NeighbourBit(static_cast<std::int32_t>(f.X) - x, static_cast<std::int32_t>(f.Y) - y);
  }
  return mask;
}

std::uint8_t MaskOf(std::int32_t x, std::int32_t y, bool innerOnly) { return MaskAmong(OssinFields, x, y, innerOnly); }

// The live cells within `reach` of a tile, in slot order: all that retiling round the tile reads
// or changes, gathered once instead of a walk over the whole table for every mask.
class TNearCells {
 public:
  TNearCells(std::int32_t x, std::int32_t y, std::int32_t reach) {
    for (TOssinFieldRecord& f : OssinFields)
      if (f.Free == 0 && InSquare(f.X, f.Y, x, y, reach)) cells_.push_back(&f);
  }
  struct TIterator {
    TOssinFieldRecord* const* at;
    TOssinFieldRecord& operator*() const { return **at; }
    TIterator& operator++() {
      ++at;
      return *this;
    }
    bool operator!=(const TIterator& o) const { return at != o.at; }
  };
  TIterator begin() const { return {cells_.data()}; }
  TIterator end() const { return {cells_.data() + cells_.size()}; }

 private:
  std::vector<TOssinFieldRecord*> cells_;
};

// A cell that was surrounded last time is drawn from the inner set this time, by which of its
// neighbours are surrounded themselves; whether it stays inner is decided for the next time.
// `near` holds every live cell next to it.
template <typename Cells>
void RetileAmong(TOssinFieldRecord& cell, const Cells& near) {
  if (cell.Free != 0) return;
  cell.Image = 0;
  const bool wasInner = cell.Inner == 1;
  const std::uint8_t mask = MaskAmong(near, cell.X, cell.Y, false);
  cell.Inner = mask == NeighbourAll ? 1 : 0;
  cell.Image = wasInner ? OssinPicture(MaskAmong(near, cell.X, cell.Y, true), true) : OssinPicture(mask, false);
}

// The live cells of `near` round (x, y), each retiled; `near` reaches two tiles past them.
void RetileAroundAmong(std::int32_t x, std::int32_t y, const TNearCells& near) {
  for (TOssinFieldRecord& f : near)
    if (f.Free == 0 && InSquare(f.X, f.Y, x, y, 1)) RetileAmong(f, near);
}

}  // namespace

void InitOssinField(TOssinFieldRecord& cell, std::int32_t x, std::int32_t y) {
  cell.X = static_cast<std::uint16_t>(x);
  cell.Y = static_cast<std::uint16_t>(y);
  cell.Amount = 100 * (Random(5) + 1) + 300;
  cell.Image = 0;
  cell.Free = 0;
  cell.Tiled = 0;
  cell.Inner = 0;
}

std::uint8_t AddToOssinField(std::int32_t x, std::int32_t y, std::int32_t amount) {
  for (TOssinFieldRecord& f : OssinFields) {
    if (f.Free == 0 && f.X == x && f.Y == y) {
      f.Amount += amount;
      return 1;
    }
  }
  return 0;
}

void DrainOssinField(TOssinFieldRecord& cell, std::int32_t amount) {
  cell.Amount -= amount;
  if (cell.Amount < 1) {
    FreeOssinField(cell);
    RetileWide(cell.X, cell.Y);
  }
}

void FreeOssinField(TOssinFieldRecord& cell) {
  cell.Tiled = 0;
  cell.Free = 1;
  if (OssinBulkMode != 1) RetileWide(cell.X, cell.Y);
}

std::uint8_t NeighbourMask(std::int32_t x, std::int32_t y) { return MaskOf(x, y, false); }
std::uint8_t InnerNeighbourMask(std::int32_t x, std::int32_t y) { return MaskOf(x, y, true); }

std::uint16_t OssinPicture(std::uint8_t mask, bool inner) {
  const bool n = (mask & NeighbourN) != 0, w = (mask & NeighbourW) != 0;
  const bool e = (mask & NeighbourE) != 0, s = (mask & NeighbourS) != 0;
  std::uint16_t outer;
  if (n && w && e && s) outer = 179;
  else if (w && e && s) outer = 181;
  else if (n && e && s) outer = 183;
  else if (n && w && s) outer = 185;
  else if (n && w && e) outer = 187;
  else if (e && s) outer = 180;
  else if (w && s) outer = 182;
  else if (n && e) outer = 186;
  else if (n && w) outer = 188;
  else if (n && s) outer = 194;
  else if (w && e) outer = 193;
  else if (s) outer = 189;
  else if (n) outer = 190;
  else if (e) outer = 191;
  else if (w) outer = 192;
  else outer = 184;
  return inner ? static_cast<std::uint16_t>(outer + (OssinInnerFirstTile - OssinOuterFirstTile)) : outer;
}

void RetileOssinField(TOssinFieldRecord& cell) {
  if (cell.Free != 0) return;
  RetileAmong(cell, TNearCells(cell.X, cell.Y, 1));
}

void RetileAround(std::int32_t x, std::int32_t y) { RetileAroundAmong(x, y, TNearCells(x, y, 2)); }

void RetileWide(std::int32_t x, std::int32_t y) {
  const TNearCells near(x, y, 3);
  for (TOssinFieldRecord& f : near) {
    if (f.Free != 0 || !InSquare(f.X, f.Y, x, y, 1)) continue;
    RetileAmong(f, near);
    RetileAroundAmong(f.X, f.Y, near);
  }
}

void DrawOssinField(TOssinFieldRecord& cell) {
  if (cell.Free != 0) return;
  const std::int32_t vx = ViewState.ViewX, vy = ViewState.ViewY;
  if (cell.X < vx || cell.X >= vx + 20 || cell.Y < vy || cell.Y >= vy + 10) return;
  if (cell.Tiled != 1) {
    RetileWide(cell.X, cell.Y);
    cell.Tiled = 1;
  }
  if (cell.Image != 0) DrawTileTransparent((cell.X - 1) * 16, (cell.Y - 1) * 16, cell.Image);
}

std::uint8_t FindOssinFieldAt(std::int32_t x, std::int32_t y, std::uint16_t& slot, std::uint8_t& cls) {
  for (int i = 1; i <= OssinFieldSlots; ++i) {
    const TOssinFieldRecord& f = OssinFields[i];
    if (f.Free == 0 && f.X == x && f.Y == y) {
      slot = static_cast<std::uint16_t>(i);
      cls = 0;
      return 0;
    }
  }
  return 1;
}

std::uint8_t FindNearestOssinField(std::int32_t x, std::int32_t y, std::int32_t halfWidth,
                                   std::uint16_t& slot, std::int32_t& cellY, std::int32_t& cellX) {
  double best = NoneNear;
  int found = 0;
  for (int i = 1; i <= OssinFieldSlots; ++i) {
    const TOssinFieldRecord& f = OssinFields[i];
    if (f.Free != 0 || !InSquare(f.X, f.Y, x, y, halfWidth)) continue;
    const double d = TileDistance(f.X, f.Y, x, y);
    if (d < best) {
      best = d;
      found = i;
    }
  }
  if (found == 0) return 1;
  slot = static_cast<std::uint16_t>(found);
  cellX = OssinFields[found].X;
  cellY = OssinFields[found].Y;
  return 0;
}

std::uint8_t FindNearestEnterableField(std::int32_t unitSlot, std::int32_t halfWidth,
                                       std::int32_t& cellX, std::uint16_t& slot, std::int32_t& cellY) {
  if (!decltype(Units)::InRange(unitSlot)) return FieldNoneNear;
  const TUnitRecord& u = Units[unitSlot];
  double best = NoneNear;
  int found = 0;
  bool anyInSquare = false;
  for (int i = 1; i <= OssinFieldSlots; ++i) {
    const TOssinFieldRecord& f = OssinFields[i];
    if (f.Free != 0 || !InSquare(f.X, f.Y, u.X, u.Y, halfWidth)) continue;
    anyInSquare = true;
    if (CanEnter(UnitHarvester, u.Owner, f.X, unitSlot, f.Y) != 1) continue;
    const double d = TileDistance(f.X, f.Y, u.X, u.Y);
    if (d < best) {
      best = d;
      found = i;
    }
  }
  if (found == 0) return anyInSquare ? FieldNoneEnterable : FieldNoneNear;
  slot = static_cast<std::uint16_t>(found);
  cellX = OssinFields[found].X;
  cellY = OssinFields[found].Y;
  return FieldFound;
}

}  // namespace zarn
