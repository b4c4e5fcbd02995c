// The map and scenario editors' operations on one tile: resource cells, blooms, sand ridges,
// mountains, sand and ground with edges that match their neighbours, whole screens of terrain,
// units, buildings and worms. Each refuses tiles outside the map and says why on the message
// line where the player can do something about it.
#pragma once

#include <cstdint>

#include "game/base/tables.h"

namespace zarn {

// Terrain classes the editors paint.
inline constexpr int TerrainSand = 0;
inline constexpr int TerrainRock = 1;
inline constexpr int TerrainGround = 4;

// Items of the terrain strip: mountains start at 149, sand ridges at 169.
inline constexpr int MountainFirstItem = 149;
inline constexpr int ZarnFirstItem = 169;

// Unit kind for each place of the scenario editor's unit strip, and the item of each place of
// its building strip.
inline constexpr int EditorUnitPlaces = 20;
inline constexpr int EditorBuildingPlaces = 18;
inline constexpr std::uint8_t EditorUnitPalette[EditorUnitPlaces] = {0,  1,  2,  3,  4,  5,  6,
                                                                     7,  8,  9,  10, 11, 12, 13,
                                                                     14, 15, 17, 18, 19, 20};
std::uint8_t EditorBuildingPalette(int place);  // place + 17

void EditorPlaceOssinField(std::int32_t x, std::int32_t y);
void EditorPlaceBloom(std::int32_t x, std::int32_t y);
// pageItem: the terrain strip's current item.
void EditorPlaceZarn(std::int32_t x, std::int32_t y, std::int32_t pageItem);
void EditorPlaceMountain(std::int32_t x, std::int32_t y, std::int32_t pageItem);
void EditorPaintSand(std::int32_t x, std::int32_t y);
void EditorPaintGround(std::int32_t x, std::int32_t y);
void EditorEraseObjects(std::int32_t x, std::int32_t y);
// The visible 20 x 10 block of the map.
void EditorFillViewGround();
void EditorFillViewRock();
void EditorFillViewSand();
void EditorFillViewOssin();
// place: the object strip's current place; side and owner: the editor's chosen side and player.
void EditorPlaceUnit(std::int32_t x, std::int32_t y, std::int32_t place, std::uint8_t side,
                     std::uint8_t owner);
void EditorPlaceBuilding(std::int32_t x, std::int32_t y, std::int32_t place, std::uint8_t side,
                         std::uint8_t owner);
void EditorPlaceWorm(std::int32_t x, std::int32_t y);

// Each fills the first free slot; 0 done, 1 refused (table full, or a tile off the map).
std::uint8_t EditorCreateUnit(std::int32_t x, std::int32_t y, std::uint8_t kind, std::uint8_t side,
                              std::uint8_t owner);
std::uint8_t EditorCreateBuilding(std::int32_t x, std::int32_t y, std::uint8_t kind,
                                  std::uint8_t side, std::uint8_t owner);
std::uint8_t EditorCreateWorm(std::int32_t x, std::int32_t y);

// The first live resource cell and the first live bloom at exactly (x, y) go.
void RemoveFieldAndBloom(std::int32_t x, std::int32_t y);

// Ground edges: bit k - 1 of the mask for neighbour k (1 NW, 2 N, 3 NE, 4 W, 5 E, 6 SW, 7 S,
// 8 SE) that is ground or rock or off the map.
inline constexpr std::uint8_t GroundN = 2;
inline constexpr std::uint8_t GroundW = 8;
inline constexpr std::uint8_t GroundE = 16;
inline constexpr std::uint8_t GroundS = 64;
std::uint8_t GroundNeighbourMask(std::int32_t x, std::int32_t y);
// Ground tile for a mask; only N, W, E and S count.
int GroundEdgeTile(std::uint8_t mask);
void ChooseGroundEdgeTile(std::int32_t x, std::int32_t y);
// Re-chooses the edges of every ground tile of the 3 x 3 block around (x, y).
void RetileGroundAround(std::int32_t x, std::int32_t y);

}  // namespace zarn
