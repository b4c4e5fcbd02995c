#include "tools/demoscenes/layout.h"

#include <algorithm>

#include "game/world/dobjects.h"

namespace demoscenes {

using namespace zarn;

namespace {

constexpr std::uint8_t Sand = 0, Mound = 1, Rock = 4;
constexpr std::uint8_t MoundTile = 14;

bool InPlateau(const std::vector<Plateau>& ps, int x, int y, int margin) {
  for (const Plateau& p : ps)
    if (x >= p.X - margin && x < p.X + p.W + margin && y >= p.Y - margin && y < p.Y + p.H + margin) return true;
  return false;
}

// Rock tiles: 0 inside, 1..8 the corners and edges (top-left, top, top-right, left, right,
// bottom-left, bottom, bottom-right).
std::uint8_t RockTile(const Plateau& p, int x, int y) {
  const bool top = y == p.Y, bottom = y == p.Y + p.H - 1, left = x == p.X, right = x == p.X + p.W - 1;
  if (top) return left ? 1 : right ? 3 : 2;
  if (bottom) return left ? 6 : right ? 8 : 7;
  return left ? 4 : right ? 5 : 0;
}

// A round patch of resource cells on sand.
void FieldBlob(int cx, int cy, int radius, const std::vector<Plateau>& ps) {
  for (int y = cy - radius; y <= cy + radius; ++y)
    for (int x = cx - radius; x <= cx + radius; ++x) {
      if (!GameMap.Inside(x, y) || (x - cx) * (x - cx) + (y - cy) * (y - cy) > radius * radius) continue;
      if (InPlateau(ps, x, y, 1) || TerrainClass(GameMap.Cell(x, y)) != Sand) continue;
      AddMapPlacement(PlacementField, static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y));
    }
}

// The plateau's side that faces the map's middle: +1 east, -1 west.
int InnerSide(const Plateau& p, int width) { return p.X + p.W / 2 < width / 2 ? 1 : -1; }

// The first sand column beside the inner side, where the units stand.
int UnitColumn(const Plateau& p, int width) { return InnerSide(p, width) > 0 ? p.X + p.W : p.X - 1; }

}  // namespace

std::vector<Plateau> CornerPlateaus(int width, int height, int count) {
  const int w = 14, h = 12, m = 4;
  std::vector<Plateau> all = {{m, m, w, h},
                              {width - m - w + 1, height - m - h + 1, w, h},
                              {width - m - w + 1, m, w, h},
                              {m, height - m - h + 1, w, h},
                              {(width - w) / 2, m, w, h},
                              {(width - w) / 2, height - m - h + 1, w, h},
                              {m, (height - h) / 2, w, h},
                              {width - m - w + 1, (height - h) / 2, w, h}};
  all.resize(static_cast<std::size_t>(std::clamp(count, 1, 8)));
  return all;
}

void DrawMap(int width, int height, const std::vector<Plateau>& plateaus, int fieldsPerBase, int blooms,
             std::uint32_t seed) {
  Rng rng{seed};
  SetMapSizeAndClear(width, height);
  ResetMapPlacements();
  for (int x = 1; x <= width; ++x)
    for (int y = 1; y <= height; ++y)
      GameMap.Cell(x, y) = MakeTerrainByte(Sand, static_cast<std::uint8_t>(rng.Next(6) == 0 ? 1 + rng.Next(3) : 0));
  for (const Plateau& p : plateaus)
    for (int x = p.X; x < p.X + p.W; ++x)
      for (int y = p.Y; y < p.Y + p.H; ++y) GameMap.Cell(x, y) = MakeTerrainByte(Rock, RockTile(p, x, y));

  // Outcrops in the open: small rock shelves with mounds on them, cover and obstacles.
  const int outcrops = width * height / 1200;
  for (int i = 0; i < outcrops; ++i) {
    const Plateau o{6 + rng.Next(width - 16), 6 + rng.Next(height - 16), 4 + rng.Next(4), 3 + rng.Next(3)};
    if (InPlateau(plateaus, o.X, o.Y, 10) || InPlateau(plateaus, o.X + o.W, o.Y + o.H, 10)) continue;
    for (int x = o.X; x < o.X + o.W; ++x)
      for (int y = o.Y; y < o.Y + o.H; ++y) {
        const bool inner = x > o.X && x < o.X + o.W - 1 && y > o.Y && y < o.Y + o.H - 1;
        GameMap.Cell(x, y) = inner && rng.Next(2) == 0 ? MakeTerrainByte(Mound, MoundTile)
                                                        : MakeTerrainByte(Rock, RockTile(o, x, y));
      }
  }

  // Every base has a field beside its units, within the harvester's reach and in the opening
  // view; more lie further out. The middle holds the rich ones worth fighting for.
  for (const Plateau& p : plateaus) {
    const int cx = UnitColumn(p, width) + 5 * InnerSide(p, width), cy = p.Y + 6;
    FieldBlob(cx, cy, 3, plateaus);
    for (int i = 1; i < fieldsPerBase; ++i)
      FieldBlob(cx + InnerSide(p, width) * (4 + rng.Next(5)), cy + rng.Next(9) - 2, 3, plateaus);
  }
  FieldBlob(width / 2, height / 2, std::min(width, height) / 12 + 2, plateaus);
  for (int i = 0; i < blooms; ++i) {
    const int x = 2 + rng.Next(width - 2), y = 2 + rng.Next(height - 2);
    if (!InPlateau(plateaus, x, y, 2) && TerrainClass(GameMap.Cell(x, y)) == Sand)
      AddMapPlacement(PlacementBloom, static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y));
  }
}

int PlaceBase(const Plateau& p, int mapWidth, const std::vector<std::uint8_t>& kinds, std::uint8_t owner,
              std::uint8_t side) {
  // Rows fill from the inner edge outwards, so the first buildings (the yard first) stand
  // nearest the units and the field.
  const bool east = InnerSide(p, mapWidth) > 0;
  const int first = p.X + 1, last = p.X + p.W - 2;  // the columns inside the rim
  int edge = east ? last : first, y = p.Y + 1, rowHeight = 0, placed = 0;
  for (std::uint8_t kind : kinds) {
    const std::uint8_t cls = FootprintClass(kind);
    const int w = FootprintWidth(cls), h = FootprintHeight(cls);
    if (east ? edge - w + 1 < first : edge + w - 1 > last) {
      edge = east ? last : first;
      y += rowHeight + 1;
      rowHeight = 0;
    }
    if (y + h > p.Y + p.H - 1 || BuildingList.Count >= ScenarioMaxBuildings) break;
    const int x = east ? edge - w + 1 : edge;
    BuildingList.Entries[++BuildingList.Count] =
        TScenarioObjectEntry{static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), kind, side, owner, 0};
    edge += east ? -(w + 1) : w + 1;
    rowHeight = std::max(rowHeight, h);
    ++placed;
  }
  return placed;
}

void PlaceUnits(const Plateau& p, int mapWidth, const std::vector<std::uint8_t>& kinds, std::uint8_t owner,
                std::uint8_t side) {
  const int x0 = UnitColumn(p, mapWidth), out = InnerSide(p, mapWidth);
  int i = 0;
  for (std::uint8_t kind : kinds) {
    if (UnitList.Count >= ScenarioMaxUnits) return;
    const int x = x0 + (i % 2) * out, y = p.Y + 3 + i / 2;
    UnitList.Entries[++UnitList.Count] =
        TScenarioObjectEntry{static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), kind, side, owner, 0};
    ++i;
  }
}

}  // namespace demoscenes
