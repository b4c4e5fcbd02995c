#include "game/world/passability.h"

#include <algorithm>

#include "game/base/globals.h"
#include "game/base/maps.h"
#include "game/base/video.h"
#include "game/world/tileindex.h"

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

std::uint8_t UnitFlags(const tile_index::TUnitBrief& u, int player) {
  const int k = u.Kind;
  std::uint8_t f = 0;
  if (k < 14) f |= OnGround;
  if (k >= 4 && k <= 13) f |= OnVehicle;
  if (IsInfantry(k) && u.Owner == player) f |= OnOwnInfantry;
  if (IsAircraft(k)) f |= OnAircraft;
  return f;
}

// The index lists slot 0 and slots past UnitSlots too; CanEnter counts only 1..UnitSlots.
std::uint8_t UnitsOnTile(int x, int y, int player, int selfSlot) {
  std::uint8_t t = 0;
  const int last = LastUnitSlot();
  ForEachUnitOnTile(x, y, [&](int i) {
    if (i != selfSlot && i >= 1 && i <= last) t |= UnitFlags(tile_index::Brief[static_cast<std::size_t>(i)], player);
  });
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
