// Resource blooms (hidden deposits that burst into a patch of resource cells when shot or driven
// over) and decals (lasting scorches, craters and debris drawn as map tiles).
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

inline constexpr long BloomTile = 239;
inline constexpr long ExplosionMarkFirstTile = 240;  // + size
inline constexpr std::int32_t BloomBurstGrowth = 300;
inline constexpr std::int32_t BloomMarkSize = 11;

void PlaceBloom(TOssinBloomRecord& bloom, std::int32_t x, std::int32_t y);
void RemoveBloom(TOssinBloomRecord& bloom);
// First free slot 1..100, 0 when none.
std::int32_t FindFreeBloomSlot();
// A bloom on a tile of the map in the first free slot; nothing when the table is full.
void AddBloom(std::int32_t x, std::int32_t y);
// The burst: resource cells around the bloom, a mark, the sound; the bloom is gone.
void EruptBloom(TOssinBloomRecord& bloom);
// 3, 5 or 7 from a roll of 0..9 (60% 5, 20% 3, 20% 7).
std::int32_t BloomBurstSize(std::int32_t roll);
// Whether cell (row i, column j), both 1..size, belongs to the burst shape of that size.
bool BloomShapeCell(std::int32_t size, std::int32_t i, std::int32_t j);
// Each cell of the shape around (x, y) inside the map: an existing cell grows by 300, else a
// new cell is made (on sand).
void BloomBurstFill(std::int32_t x, std::int32_t y, std::int32_t size);
void DrawBloom(const TOssinBloomRecord& bloom);

// Marks, each made 7 times in 10. The caller finds the free decal slot.
void AddExplosionMark(TDecalRecord& decal, std::int32_t pixelX, std::int32_t pixelY,
                      std::int32_t size);
// A crater fitting the ground under it; none on rock and the other classes.
void AddCraterMark(TDecalRecord& decal, std::int32_t pixelX, std::int32_t pixelY);
void RemoveDecal(TDecalRecord& decal);
void DrawDecal(const TDecalRecord& decal);

}  // namespace zarn
