// Tile grids (terrain, shroud, building occupancy), the map's placement list of resource fields
// and blooms, and the map files under "maps\" that hold both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "game/base/tables.h"

namespace zarn {

constexpr int MapMaxSize = 256;
constexpr int MapPlacementCount = 1100;
constexpr std::size_t MapCellBytes = MapMaxSize * MapMaxSize;

// Byte offset of cell (x, y), both 1..256: one column of 256 bytes per x. Anything else throws,
// so a bad coordinate never reads a neighbour's memory.
constexpr std::size_t CellIndex(long x, long y) {
  if (x < 1 || x > MapMaxSize) ThrowRangeError(x, 1, MapMaxSize);
  if (y < 1 || y > MapMaxSize) ThrowRangeError(y, 1, MapMaxSize);
  return static_cast<std::size_t>((x - 1) * MapMaxSize + (y - 1));
}

#pragma pack(push, 1)

// Terrain (class in bits 5..7, tile in 0..4) or shroud values; only Width x Height cells count.
struct TTileGrid {
  std::uint16_t Width;
  std::uint16_t Height;
  std::uint8_t Cells[MapCellBytes];

  std::uint8_t& Cell(long x, long y) { return Cells[CellIndex(x, y)]; }
  std::uint8_t Cell(long x, long y) const { return Cells[CellIndex(x, y)]; }
  bool Inside(long x, long y) const { return x >= 1 && x <= Width && y >= 1 && y <= Height; }
};
static_assert(sizeof(TTileGrid) == 4 + MapCellBytes);
static_assert(offsetof(TTileGrid, Width) == 0);
static_assert(offsetof(TTileGrid, Height) == 2);
static_assert(offsetof(TTileGrid, Cells) == 4);

// The building occupancy: only the cell area; its size is that of GameMap.
struct TCellArea {
  std::uint8_t Cells[MapCellBytes];

  std::uint8_t& Cell(long x, long y) { return Cells[CellIndex(x, y)]; }
  std::uint8_t Cell(long x, long y) const { return Cells[CellIndex(x, y)]; }
};
static_assert(sizeof(TCellArea) == MapCellBytes);

enum : std::uint8_t { PlacementEmpty = 0, PlacementField = 1, PlacementBloom = 2 };

struct TMapPlacement {
  std::uint8_t Kind;  // PlacementEmpty, PlacementField, PlacementBloom
  std::uint8_t Zero;  // always 0
  std::uint16_t X;
  std::uint16_t Y;
};
static_assert(sizeof(TMapPlacement) == 6);
static_assert(offsetof(TMapPlacement, Kind) == 0);
static_assert(offsetof(TMapPlacement, Zero) == 1);
static_assert(offsetof(TMapPlacement, X) == 2);
static_assert(offsetof(TMapPlacement, Y) == 4);

#pragma pack(pop)

using TMapPlacements = Table1<TMapPlacement, MapPlacementCount>;
static_assert(sizeof(TMapPlacements) == 6600);

// The unit initialisation starts with a 64 x 64 map.
inline TTileGrid GameMap{64, 64, {}};
inline TTileGrid ShroudMap{64, 64, {}};
inline TCellArea OccupancyMap{};
inline TMapPlacements MapPlacements{};

// Size of a map file of W x H cells: header, terrain row by row, the placements.
constexpr std::size_t MapFileSize(int width, int height) {
  return 4 + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) + sizeof(TMapPlacements);
}

enum class MapFileResult : std::uint8_t {
  Ok = 0,
  BadName,       // empty, or names something outside "maps\"
  CannotRead,    // missing, not a plain file, or unreadable
  BadSize,       // width or height outside 1..256
  BadLength,     // not exactly the length that width and height give
  BadPlacement,  // a placement of unknown kind or outside the map
  CannotWrite,
};

// Every cell within width x height becomes 0 (class 0, tile 0). Sizes outside 1..256 throw.
void SetMapSizeAndClear(int width, int height);
// Counts the changes of the terrain (a new or loaded map, an editor's brush), so that what is
// worked out from the terrain can tell whether it is still current. Whoever writes cells of
// GameMap calls TerrainChanged.
inline std::uint32_t TerrainChanges = 0;
inline void TerrainChanged() { ++TerrainChanges; }
// Every entry becomes kind 0 at (1, 1).
void ResetMapPlacements();
// Stores into the first empty entry; false (nothing changed) when all are in use.
bool AddMapPlacement(std::uint8_t kind, std::uint16_t x, std::uint16_t y);

// Reads "maps\" + name (cp1251). The whole file is checked first; on any failure GameMap,
// MapPlacements and the minimap scales stay as they were. On success GameMap takes the file's
// size and terrain, MapPlacements its list, and the minimap scales follow the size.
MapFileResult ReadMapFile(std::string_view name);
// Writes GameMap and MapPlacements to "maps\" + name; the old file survives a failed write.
MapFileResult SaveMapFile(std::string_view name);

// The file image of the current map, and the check-and-apply step behind ReadMapFile.
std::vector<std::uint8_t> EncodeMapFile();
MapFileResult ApplyMapFile(std::span<const std::uint8_t> bytes);

}  // namespace zarn
