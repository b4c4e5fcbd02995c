// Resource cells: single-tile deposits of Ossin in OssinFields 1..1000. Filling, adding to,
// draining and freeing them; the tiling that draws a group of cells as one field with edges;
// drawing; and the searches for cells.
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

// While 1, freeing a cell does not re-tile its neighbours (the whole table is being cleared).
inline std::uint8_t OssinBulkMode = 1;

// Neighbour bits of a cell at (x, y): NW 1, N 2, NE 4, W 8, E 16, SW 32, S 64, SE 128.
inline constexpr std::uint8_t NeighbourN = 2;
inline constexpr std::uint8_t NeighbourW = 8;
inline constexpr std::uint8_t NeighbourE = 16;
inline constexpr std::uint8_t NeighbourS = 64;
inline constexpr std::uint8_t NeighbourAll = 255;

// First tile of the outer and inner picture sets in the 16 x 16 tile sheet.
inline constexpr std::uint16_t OssinOuterFirstTile = 179;
inline constexpr std::uint16_t OssinInnerFirstTile = 195;

// Fills a slot with a fresh cell of 400, 500, 600, 700 or 800 (random), not yet tiled.
void InitOssinField(TOssinFieldRecord& cell, std::int32_t x, std::int32_t y);
// Adds to the first live cell at (x, y). 1 when one was there, 0 when not (nothing changed).
std::uint8_t AddToOssinField(std::int32_t x, std::int32_t y, std::int32_t amount);
// Takes from a cell; a cell left with less than 1 is freed and its surroundings re-tiled.
void DrainOssinField(TOssinFieldRecord& cell, std::int32_t amount);
void FreeOssinField(TOssinFieldRecord& cell);

// Bits of the neighbour positions holding a live cell; the Inner variant counts only cells
// that were surrounded at their last tiling.
std::uint8_t NeighbourMask(std::int32_t x, std::int32_t y);
std::uint8_t InnerNeighbourMask(std::int32_t x, std::int32_t y);
// Picture of a cell from its N, W, E, S neighbours (the diagonals do not matter).
std::uint16_t OssinPicture(std::uint8_t mask, bool inner);

void RetileOssinField(TOssinFieldRecord& cell);
// Every live cell of the 3 x 3 square around (x, y).
void RetileAround(std::int32_t x, std::int32_t y);
// Every live cell of that square and the squares around each of them: up to two tiles away.
void RetileWide(std::int32_t x, std::int32_t y);

// Draws a cell lying in the view, tiling its surroundings the first time.
void DrawOssinField(TOssinFieldRecord& cell);

// The first live cell at exactly (x, y); cls is 0. 0 found, 1 none.
std::uint8_t FindOssinFieldAt(std::int32_t x, std::int32_t y, std::uint16_t& slot, std::uint8_t& cls);
// The nearest live cell with |cx - x| <= halfWidth and |cy - y| <= halfWidth; the lowest slot
// wins a tie. 0 found, 1 none.
std::uint8_t FindNearestOssinField(std::int32_t x, std::int32_t y, std::int32_t halfWidth,
                                   std::uint16_t& slot, std::int32_t& cellY, std::int32_t& cellX);
// Results of FindNearestEnterableField.
inline constexpr std::uint8_t FieldFound = 0;
inline constexpr std::uint8_t FieldNoneNear = 1;
inline constexpr std::uint8_t FieldNoneEnterable = 2;
// As FindNearestOssinField around the unit's tile, counting only cells a harvester of the unit's
// owner may drive onto.
std::uint8_t FindNearestEnterableField(std::int32_t unitSlot, std::int32_t halfWidth,
                                       std::int32_t& cellX, std::uint16_t& slot, std::int32_t& cellY);

}  // namespace zarn
