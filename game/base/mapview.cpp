#include "game/base/mapview.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "game/base/globals.h"
#include "game/base/maps.h"
#include "game/base/options.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

// First terrain frame of each class that has its own tiles; other classes use the tile number.
long TerrainFrame(std::uint8_t cell) {
  const int tile = TerrainTile(cell);
  switch (TerrainClass(cell)) {
    case 0: return tile + 169;
    case 1: return tile + 149;
    case 4: return tile + 133;
    default: return tile;
  }
}

void BlackScreenCell(int sx, int sy) { FillBox(sx, sy, sx + 15, sy + 15, 0); }

// Origin used for drawing: a saved view outside the map is taken as 1.
long DrawOrigin(long view, long size) { return view == 0 || view > size ? 1 : view; }

// Inside the grid's size and its storage: a size read from a damaged file never reaches past it.
long GridWidth(const TTileGrid& g) { return std::min<long>(g.Width, MapMaxSize); }
long GridHeight(const TTileGrid& g) { return std::min<long>(g.Height, MapMaxSize); }
bool OnGrid(const TTileGrid& g, long x, long y) {
  return x >= 1 && x <= GridWidth(g) && y >= 1 && y <= GridHeight(g);
}
bool MapCell(long x, long y) { return OnGrid(GameMap, x, y); }

// Near the view: the window plus a margin, for things that may reach into it.
bool NearView(long cx, long cy) {
  const long vx = ViewState.ViewX, vy = ViewState.ViewY;
  return vx - 2 < cx && cx < vx + 19 && vy - 3 < cy && cy < vy + 10;
}

bool ShroudSkipped() { return DebugFlags.DebugMode != 0 && DebugFlags.ShadowEnabled == 0; }

// Scroll pacing shared by the four steps: false while the pause runs.
bool TakeScrollStep() {
  if (ScrollNextTime > TickCount) return false;
  ScrollNextTime = TickCount + 18 - GameOptions.ScrollPause;
  return true;
}

long TruncScaled(long mouse, float scale) {
  const double v = static_cast<double>(mouse) * static_cast<double>(scale);
  if (!std::isfinite(v)) return 0;
  return static_cast<long>(std::clamp(v, -1e6, 1e6));
}

}  // namespace

void SaveMapView() { std::memcpy(ViewCopy.data(), BackBuffer.data(), ViewCopy.size()); }

void RestoreMapView() { std::memcpy(BackBuffer.data(), ViewCopy.data(), ViewCopy.size()); }

void DrawMapTerrain() {
  const long x0 = DrawOrigin(ViewState.ViewX, GridWidth(GameMap));
  const long y0 = DrawOrigin(ViewState.ViewY, GridHeight(GameMap));
  for (int row = 0; row < ViewRows; ++row)
    for (int col = 0; col < ViewColumns; ++col) {
      const long x = x0 + col, y = y0 + row;
      const int sx = col * 16, sy = row * 16;
      const std::uint8_t* frame =
          MapCell(x, y) ? TileSheet16.Frame(TerrainFrame(GameMap.Cell(x, y))) : nullptr;
      if (frame == nullptr)
        BlackScreenCell(sx, sy);
      else
        CopyFrame(frame, 16, 16, sx, sy, TFrameMode::Opaque, NoRecolor);
    }
}

void RedrawMapView() {
  if (ViewState.ViewX == LastViewPos.X && ViewState.ViewY == LastViewPos.Y) {
    RestoreMapView();
    return;
  }
  DrawMapTerrain();
  SaveMapView();
}

i32 MaxViewX() { return std::max<i32>(1, GridWidth(GameMap) - (ViewColumns - 1)); }
i32 MaxViewY() { return std::max<i32>(1, GridHeight(GameMap) - (ViewRows - 1)); }

void ClampViewOrigin() {
  ViewState.ViewX = static_cast<std::uint16_t>(std::clamp<i32>(ViewState.ViewX, 1, MaxViewX()));
  ViewState.ViewY = static_cast<std::uint16_t>(std::clamp<i32>(ViewState.ViewY, 1, MaxViewY()));
}

void ScrollViewRight() {
  if (!TakeScrollStep()) return;
  if (ViewState.ViewX <= GridWidth(GameMap) - ViewColumns) ++ViewState.ViewX;
  ClampViewOrigin();
}

void ScrollViewDown() {
  if (!TakeScrollStep()) return;
  if (ViewState.ViewY <= GridHeight(GameMap) - ViewRows) ++ViewState.ViewY;
  ClampViewOrigin();
}

void ScrollViewLeft() {
  if (!TakeScrollStep()) return;
  if (ViewState.ViewX > 1) --ViewState.ViewX;
  ClampViewOrigin();
}

void ScrollViewUp() {
  if (!TakeScrollStep()) return;
  if (ViewState.ViewY > 1) --ViewState.ViewY;
  ClampViewOrigin();
}

void ViewFromMinimapClick() {
  long vx = TruncScaled(MouseX - 1, ViewState.MinimapScaleX) + 1 - ViewColumns / 2;
  long vy = TruncScaled(MouseY - 159, ViewState.MinimapScaleY) + 1 - ViewRows / 2;
  // A map narrower than the view has nowhere to scroll: the origin stays at 1.
  vx = std::clamp<long>(vx, 1, std::max<long>(1, GridWidth(GameMap) - ViewColumns));
  vy = std::clamp<long>(vy, 1, std::max<long>(1, GridHeight(GameMap) - ViewRows));
  ViewState.ViewX = static_cast<std::uint16_t>(vx);
  ViewState.ViewY = static_cast<std::uint16_t>(vy);
}

void NewMapTerrain() {
  SetMapSizeAndClear(128, 128);
  struct TCellSet {
    std::uint8_t X, Y, Class, Tile;
  };
  // The plateau: rock edges (class 4) around mounds (class 1).
  static constexpr TCellSet plateau[] = {
      {5, 5, 4, 1}, {6, 5, 4, 2}, {7, 5, 1, 14}, {8, 5, 4, 2}, {9, 5, 4, 2}, {10, 5, 4, 2},
      {11, 5, 4, 2}, {12, 5, 4, 3},
      {5, 6, 4, 4}, {6, 6, 1, 14}, {7, 6, 1, 14}, {8, 6, 1, 14}, {9, 6, 1, 14}, {10, 6, 4, 0},
      {11, 6, 4, 0}, {12, 6, 4, 5},
      {5, 7, 4, 4}, {6, 7, 1, 14}, {7, 7, 4, 0}, {8, 7, 4, 0}, {9, 7, 4, 0}, {10, 7, 4, 0},
      {11, 7, 4, 0}, {12, 7, 4, 5},
      {5, 8, 4, 4}, {6, 8, 1, 14}, {7, 8, 4, 0}, {8, 8, 1, 14}, {9, 8, 1, 14}, {10, 8, 1, 14},
      {11, 8, 1, 14}, {12, 8, 1, 14},
      {4, 9, 1, 14}, {5, 9, 1, 14}, {6, 9, 1, 14}, {7, 9, 4, 0}, {8, 9, 1, 14}, {9, 9, 4, 0},
      {10, 9, 4, 0}, {11, 9, 4, 0}, {12, 9, 4, 5},
      {5, 10, 4, 6}, {6, 10, 4, 7}, {7, 10, 4, 7}, {8, 10, 1, 14}, {9, 10, 4, 7}, {10, 10, 4, 7},
      {11, 10, 4, 7}, {12, 10, 4, 8},
      {8, 11, 1, 14},
  };
  for (const TCellSet& c : plateau) GameMap.Cell(c.X, c.Y) = MakeTerrainByte(c.Class, c.Tile);
  TerrainChanged();
}

void ResetGroundMarks() {
  // Whole marks: a new game's saved file must not carry the places of an earlier game's marks.
  for (TGroundMark& m : GroundMarks) {
    m = TGroundMark{};
    m.Free = 1;
  }
}

i32 FindFreeGroundMark() {
  for (i32 i = 1; i <= GroundMarkSlots; ++i)
    if (GroundMarks[i].Free == 1) return i;
  return 0;
}

void AddGroundMark(i32 x, i32 y, i32 facing) {
  if (!MapCell(x, y) || TerrainClass(GameMap.Cell(x, y)) != 0) return;
  const i32 i = FindFreeGroundMark();
  if (i == 0) return;
  // Tracks run along the facing: north-south, east-west and the two diagonals.
  static constexpr std::uint16_t orientation[8] = {0, 3, 1, 2, 0, 3, 1, 2};
  TGroundMark& m = GroundMarks[i];
  m.Free = 0;
  m.X = static_cast<std::uint16_t>(x - 1);
  m.Y = static_cast<std::uint16_t>(y - 1);
  m.Orientation = orientation[facing & 7];
  m.Expiry = WorldTickCount + GroundMarkLife;
}

void DrawGroundMark(i32 i) {
  TGroundMark& m = GroundMarks[i];
  if (m.Free == 1) return;
  if (m.Expiry < WorldTickCount) {
    m.Free = 1;
    return;
  }
  if (!NearView(m.X, m.Y)) return;
  DrawTileTransparent(m.X * 16, m.Y * 16, 235 + (m.Orientation & 3));
}

void InitShroud() {
  ShroudMap.Width = GameMap.Width;
  ShroudMap.Height = GameMap.Height;
  std::memset(ShroudMap.Cells, DebugFlags.ShadowEnabled != 0 ? ShroudCovered : ShroudVisible,
              sizeof(ShroudMap.Cells));
}

void ClearOccupancy() {
  const long w = GridWidth(GameMap), h = GridHeight(GameMap);
  for (long x = 1; x <= w; ++x)
    for (long y = 1; y <= h; ++y) OccupancyMap.Cell(x, y) = 0;
}

void BlackTile(i32 px, i32 py) { BlackScreenCell(ScreenXOf(px), ScreenYOf(py)); }

std::uint8_t ShroudAt(i32 x, i32 y) { return OnGrid(ShroudMap, x, y) ? ShroudMap.Cell(x, y) : ShroudCovered; }

void SetShroud(i32 x, i32 y, std::uint8_t v) {
  if (OnGrid(ShroudMap, x, y)) ShroudMap.Cell(x, y) = v;
}

void DrawShroudCell(i32 x, i32 y) {
  if (!NearView(static_cast<long>(x) - 1, static_cast<long>(y) - 1)) return;
  const std::uint8_t v = ShroudAt(x, y);
  const i32 px = (x - 1) * 16, py = (y - 1) * 16;
  if (v == ShroudCovered)
    BlackTile(px, py);
  else if (v < ShroudCovered)
    DrawTileTransparent(px, py, 252 + v);
}

void DrawShroudView() {
  if (ShroudSkipped()) return;
  const i32 vx = ViewState.ViewX, vy = ViewState.ViewY;
  for (i32 y = vy; y < vy + ViewRows; ++y)
    for (i32 x = vx; x < vx + ViewColumns; ++x) DrawShroudCell(x, y);
}

}  // namespace zarn
