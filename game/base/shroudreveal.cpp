// Lifting the shroud around a unit or building: the square becomes visible and the ring around
// it turns into soft edge pieces that fit whatever edges were there before.
#include <algorithm>

#include "game/base/globals.h"
#include "game/base/mapview.h"
#include "game/base/maps.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

long GridWidth(const TTileGrid& g) { return std::min<long>(g.Width, MapMaxSize); }
long GridHeight(const TTileGrid& g) { return std::min<long>(g.Height, MapMaxSize); }
bool OnGrid(const TTileGrid& g, long x, long y) {
  return x >= 1 && x <= GridWidth(g) && y >= 1 && y <= GridHeight(g);
}
bool ShroudSkipped() { return DebugFlags.DebugMode != 0 && DebugFlags.ShadowEnabled == 0; }

// Ring positions around a revealed square and how each shroud value changes there (-1 keeps).
enum TRing { Left, Right, Top, Bottom, TopLeft, BottomLeft, TopRight, BottomRight };
constexpr std::int8_t RingTable[10][8] = {
    //  L   R   T   B  TL  BL  TR  BR
    {3, 9, 1, 9, -1, 3, 1, 9},      // 0 top-left corner
    {9, 9, -1, 9, -1, 9, -1, 9},    // 1 top edge
    {9, 4, 1, 9, 1, 9, -1, 4},      // 2 top-right corner
    {-1, 9, 9, 9, -1, -1, 9, 9},    // 3 left edge
    {9, -1, 9, 9, 9, 9, -1, -1},    // 4 right edge
    {3, 9, 9, 6, 3, -1, 9, 6},      // 5 bottom-left corner
    {9, 9, 9, -1, 9, -1, 9, -1},    // 6 bottom edge
    {9, 4, 9, 6, 9, 6, 4, -1},      // 7 bottom-right corner
    {3, 4, 1, 6, 0, 5, 2, 7},       // 8 covered
    {-1, -1, -1, -1, -1, -1, -1, -1}  // 9 visible
};

void FixRingCell(long x, long y, TRing where) {
  if (!OnGrid(ShroudMap, x, y)) return;
  std::uint8_t& v = ShroudMap.Cell(x, y);
  if (v > ShroudVisible) return;  // not a shroud value: leave it alone
  const std::int8_t to = RingTable[v][where];
  if (to >= 0) v = static_cast<std::uint8_t>(to);
}

}  // namespace

void RevealArea(i32 x, i32 y, i32 r) {
  if (ShroudSkipped()) return;
  // Work in long and only over the map: a huge radius must not mean a huge loop.
  const long cx = x, cy = y, rr = r;
  const long x1 = std::max<long>(cx - rr, 1), x2 = std::min<long>(cx + rr, GridWidth(ShroudMap));
  const long y1 = std::max<long>(cy - rr, 1), y2 = std::min<long>(cy + rr, GridHeight(ShroudMap));
  for (long yy = y1; yy <= y2; ++yy)
    for (long xx = x1; xx <= x2; ++xx) ShroudMap.Cell(xx, yy) = ShroudVisible;

  const long d = rr + 1;
  const long cols1 = std::max<long>(cx - d + 1, 0);
  const long cols2 = std::min<long>(cx + d - 1, GridWidth(ShroudMap) + 1);
  for (long xx = cols1; xx <= cols2; ++xx) {
    FixRingCell(xx, cy - d, Top);
    FixRingCell(xx, cy + d, Bottom);
  }
  const long rows1 = std::max<long>(cy - d + 1, 0);
  const long rows2 = std::min<long>(cy + d - 1, GridHeight(ShroudMap) + 1);
  for (long yy = rows1; yy <= rows2; ++yy) {
    FixRingCell(cx - d, yy, Left);
    FixRingCell(cx + d, yy, Right);
  }
  FixRingCell(cx - d, cy - d, TopLeft);
  FixRingCell(cx - d, cy + d, BottomLeft);
  FixRingCell(cx + d, cy - d, TopRight);
  FixRingCell(cx + d, cy + d, BottomRight);
}

}  // namespace zarn
