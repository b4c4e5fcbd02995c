#include "game/world/blooms.h"

#include <algorithm>

#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/maps.h"
#include "game/base/random.h"
#include "game/base/video.h"
#include "game/sound/dsnd.h"
#include "game/world/ossinfields.h"
#include "game/world/pulses.h"
#include "game/world/shots.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

// 7 times in 10 a mark is left.
bool MarkChance() {
  const i32 r = Random(10);
  return r != 0 && r != 5 && r != 9;
}

}  // namespace

void PlaceBloom(TOssinBloomRecord& b, i32 x, i32 y) {
  b.Removed = 0;
  b.X = x;
  b.Y = y;
}

void RemoveBloom(TOssinBloomRecord& b) { b.Removed = 1; }

i32 FindFreeBloomSlot() {
  for (i32 i = 1; i <= BloomSlots; ++i)
    if (OssinBlooms[i].Removed == 1) return i;
  return 0;
}

void AddBloom(i32 x, i32 y) {
  if (!GameMap.Inside(x, y)) return;
  const i32 slot = FindFreeBloomSlot();
  if (slot == 0) return;
  if (NetRole == RoleServer) NetBroadcast115Proc(slot, x, y);
  PlaceBloom(OssinBlooms[slot], x, y);
}

i32 BloomBurstSize(i32 roll) {
  if (roll <= 5) return 5;
  if (roll <= 7) return 3;
  return 7;
}

bool BloomShapeCell(i32 size, i32 i, i32 j) {
  if (i < 1 || i > size || j < 1 || j > size) return false;
  switch (size) {
    case 3: return true;
    case 5: return !((i == 1 || i == 5) && (j == 1 || j == 5));
    case 7:
      if (i == 1 || i == 7) return j >= 3 && j <= 5;
      if (i == 2 || i == 6) return j >= 2 && j <= 6;
      return true;
    default: return true;
  }
}

void BloomBurstFill(i32 x, i32 y, i32 size) {
  const i32 half = size / 2;
  for (i32 i = 1; i <= size; ++i)
    for (i32 j = 1; j <= size; ++j) {
      if (!BloomShapeCell(size, i, j)) continue;
      // Whole tile coordinates; cells past the map's edge are simply left out.
      const i32 cx = x - half + j - 1, cy = y - half + i - 1;
      if (!GameMap.Inside(cx, cy)) continue;
      if (AddToOssinField(cx, cy, BloomBurstGrowth) == 0) NewOssinField(cx, cy, 0);
    }
}

void EruptBloom(TOssinBloomRecord& b) {
  if (b.Removed != 0) return;
  const i32 size = BloomBurstSize(Random(10));
  BloomBurstFill(b.X, b.Y, size);
  CreateGroundMark((b.X - 1) * 16, (b.Y - 1) * 16, BloomMarkSize);
  PlayBloomBurstSound(b.X, b.Y);
  RemoveBloom(b);
}

void DrawBloom(const TOssinBloomRecord& b) {
  if (b.Removed != 0) return;
  const i32 vx = ViewState.ViewX, vy = ViewState.ViewY;
  if (b.X >= vx && b.X < vx + 20 && b.Y >= vy && b.Y < vy + 10)
    DrawTileOpaque((b.X - 1) * 16, (b.Y - 1) * 16, BloomTile);
}

void AddExplosionMark(TDecalRecord& d, i32 pixelX, i32 pixelY, i32 size) {
  if (!MarkChance()) return;
  d.Free = 0;
  d.PixelX = static_cast<std::uint16_t>(pixelX);
  d.PixelY = static_cast<std::uint16_t>(pixelY);
  d.Tile = static_cast<std::uint16_t>(ExplosionMarkFirstTile + size);
}

void AddCraterMark(TDecalRecord& d, i32 pixelX, i32 pixelY) {
  if (!MarkChance()) return;
  // The tile under the mark's middle, kept on the map.
  const i32 x = std::clamp<i32>((pixelX + 4) / 16 + 1, 1, std::max<i32>(1, GameMap.Width));
  const i32 y = std::clamp<i32>((pixelY + 4) / 16 + 1, 1, std::max<i32>(1, GameMap.Height));
  std::uint16_t tile;
  switch (TerrainClass(GameMap.Cell(x, y))) {
    case 0: tile = static_cast<std::uint16_t>(250 + Random(2)); break;
    case 4: tile = static_cast<std::uint16_t>(245 + Random(5)); break;
    default: return;
  }
  d.Free = 0;
  d.PixelX = static_cast<std::uint16_t>(pixelX);
  d.PixelY = static_cast<std::uint16_t>(pixelY);
  d.Tile = tile;
}

void RemoveDecal(TDecalRecord& d) { d.Free = 1; }

void DrawDecal(const TDecalRecord& d) {
  if (d.Free != 0) return;
  const i32 column = d.PixelX / 16, row = d.PixelY / 16;
  const i32 vx = ViewState.ViewX, vy = ViewState.ViewY;
  if (vx - 2 < column && column < vx + 19 && vy - 3 < row && row < vy + 10)
    DrawTileClipped(d.PixelX, d.PixelY, d.Tile);
}

}  // namespace zarn
