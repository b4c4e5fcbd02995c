#include "game/world/passability.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <vector>

#include "game/base/globals.h"
#include "game/base/maps.h"
#include "game/base/video.h"

namespace zarn {

namespace {

constexpr int TerrainRock = 1;  // the class that stops vehicles
constexpr int TerrainSand = 0;

bool IsInfantry(int kind) { return kind >= 0 && kind <= 3; }
bool IsAircraft(int kind) { return kind == 14 || kind == 15; }

// What a tile holds for CanEnter: the kinds and owners of the units on it (their own tile or
// the one they are stepping into), the asking unit itself left out.
enum : std::uint8_t {
  OnGround = 1,          // any unit below kind 14
  OnVehicle = 2,         // kinds 4..13
  OnOwnInfantry = 4,     // kinds 0..3 of the asking player
  OnAircraft = 8,        // kinds 14..15
};

std::uint8_t UnitFlags(const TUnitRecord& u, int player) {
  const int k = u.Kind;
  std::uint8_t f = 0;
  if (k < 14) f |= OnGround;
  if (k >= 4 && k <= 13) f |= OnVehicle;
  if (IsInfantry(k) && u.Owner == player) f |= OnOwnInfantry;
  if (IsAircraft(k)) f |= OnAircraft;
  return f;
}

bool Counts(const TUnitRecord& u, int i, int selfSlot) { return i != selfSlot && u.Free == 0 && u.OffMap == 0; }

int LastUnitSlot() { return std::clamp<int>(UnitSlots, 0, decltype(Units)::High); }

std::uint8_t UnitsOnTile(int x, int y, int player, int selfSlot) {
  std::uint8_t t = 0;
  const int last = LastUnitSlot();
  for (int i = 1; i <= last; ++i) {
    const TUnitRecord& u = Units[i];
    if (!Counts(u, i, selfSlot)) continue;
    if (!((u.X == x && u.Y == y) || (u.NextX == x && u.NextY == y))) continue;
    t |= UnitFlags(u, player);
  }
  return t;
}

// The rules of CanEnter once the units on the tile are known.
std::uint8_t CanEnterWith(int kind, int x, int y, std::uint8_t on) {
  if (IsOutsideMap(x, y)) return 0;
  const bool rock = TerrainClass(GameMap.Cell(x, y)) == TerrainRock;
  if (IsInfantry(kind)) {
    if (on & OnGround) return 0;
  } else if (kind == 4 || kind == 5) {
    if (rock || (on & OnGround)) return 0;
  } else if (kind >= 6 && kind <= 13) {
    // Enemy infantry does not stop the heavier vehicles: they drive over it.
    if (rock || (on & (OnVehicle | OnOwnInfantry))) return 0;
  } else if (IsAircraft(kind)) {
    if (on & OnAircraft) return 0;
  }
  // Buildings stop everything that does not fly.
  if (kind < 14 && OccupancyMap.Cell(x, y) != 0) return 0;
  return 1;
}

bool OnGrid(long x, long y) { return x >= 1 && x <= MapMaxSize && y >= 1 && y <= MapMaxSize; }

// The snapshot's per-cell flags; all zero while no snapshot is alive.
thread_local std::uint8_t SnapshotCells[MapCellBytes];
thread_local bool SnapshotAlive = false;
// The cells the living snapshot marked, to be cleared again; kept to reuse its storage.
thread_local std::vector<std::uint32_t> SnapshotTouched;

}  // namespace

bool IsOutsideMap(int x, int y) { return x < 1 || x > GameMap.Width || y < 1 || y > GameMap.Height; }

std::uint8_t IsSandTile(int x, int y) {
  if (IsOutsideMap(x, y)) return 0;
  return TerrainClass(GameMap.Cell(x, y)) == TerrainSand ? 1 : 0;
}

std::uint8_t CanEnter(int kind, int player, int x, int selfSlot, int y) {
  if (IsOutsideMap(x, y)) return 0;
  return CanEnterWith(kind, x, y, UnitsOnTile(x, y, player, selfSlot));
}

TTileUnitSnapshot::TTileUnitSnapshot(int player, int selfSlot) : Player(player), SelfSlot(selfSlot) {
  if (SnapshotAlive) return;  // nested: answer through CanEnter
  SnapshotAlive = true;
  Owner = true;
  const int last = LastUnitSlot();
  SnapshotTouched.clear();
  const auto mark = [](long x, long y, std::uint8_t f) {
    if (!OnGrid(x, y)) return;  // such a tile is outside every map: CanEnter never asks
    const std::size_t c = CellIndex(x, y);
    if (SnapshotCells[c] == 0) SnapshotTouched.push_back(static_cast<std::uint32_t>(c));
    SnapshotCells[c] |= f;
  };
  try {
    for (int i = 1; i <= last; ++i) {
      const TUnitRecord& u = Units[i];
      if (!Counts(u, i, selfSlot)) continue;
      const std::uint8_t f = UnitFlags(u, player);
      if (f == 0) continue;
      mark(u.X, u.Y, f);
      mark(u.NextX, u.NextY, f);
    }
  } catch (...) {
    // Out of memory for the list of marked cells: no destructor will run, so clean up here.
    std::fill(std::begin(SnapshotCells), std::end(SnapshotCells), std::uint8_t{0});
    SnapshotTouched.clear();
    SnapshotAlive = false;
    throw;
  }
}

TTileUnitSnapshot::~TTileUnitSnapshot() {
  if (!Owner) return;
  for (const std::uint32_t c : SnapshotTouched) SnapshotCells[c] = 0;
  SnapshotTouched.clear();
  SnapshotAlive = false;
}

std::uint8_t TTileUnitSnapshot::CanEnter(int kind, int x, int y) const {
  if (!Owner) return zarn::CanEnter(kind, Player, x, SelfSlot, y);
  if (IsOutsideMap(x, y)) return 0;
  return CanEnterWith(kind, x, y, SnapshotCells[CellIndex(x, y)]);
}

void FindTileBehind(int kind, int player, int facing, int selfSlot, int& x, int& y, int unitX, int unitY) {
  // The candidates fan out sideways along each line behind the tile, nearest first.
  int ax, ay;    // one step backwards along the facing
  bool alongX;   // the facing runs along x (2 and 6) rather than along y
  switch (facing) {
    case 2: ax = -1; ay = 0; alongX = true; break;
    case 6: ax = 1; ay = 0; alongX = true; break;
    case 3: case 4: case 5: ax = 0; ay = -1; alongX = false; break;
    default: ax = 0; ay = 1; alongX = false; break;
  }
  auto tryTile = [&](int cx, int cy) {
    if (cx == unitX && cy == unitY) return false;
    if (CanEnter(kind, player, cx, selfSlot, cy) != 1) return false;
    x = cx;
    y = cy;
    return true;
  };
  const int x0 = x, y0 = y;
  if (tryTile(x0 + ax, y0 + ay)) return;
  for (int step = 1; step <= 4; ++step) {
    const int lx = x0 + ax * step, ly = y0 + ay * step;
    for (int side = 1; side <= 3; ++side) {
      if (alongX) {
        if (tryTile(lx, ly + side) || tryTile(lx, ly - side)) return;
      } else {
        if (tryTile(lx + side, ly) || tryTile(lx - side, ly)) return;
      }
    }
  }
}

}  // namespace zarn
