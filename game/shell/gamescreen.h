// One frame of the play screen, single and network: the world in the view, the panel, the
// minimap, the outline of a building being placed and the figures at the top.
#pragma once

#include <array>
#include <cstdint>

#include "game/base/dvga.h"

namespace zarn {

inline constexpr int MinimapWidth = 64;
inline constexpr int MinimapHeight = 40;
// The minimap's top left pixel on the screen.
inline constexpr int MinimapScreenX = 1;
inline constexpr int MinimapScreenY = 159;
// A screen pixel drawn only inside the minimap's box.
void PutMinimapPixel(int x, int y, std::uint8_t colour);

// The minimap as last rebuilt (every fourth TickCount); row-major, MinimapWidth per row.
inline std::array<std::uint8_t, MinimapWidth * MinimapHeight> MinimapBuffer{};

// The local player's unit count and cap as the status line last counted them.
struct TStatusCache {
  std::int32_t Units = 0;
  std::int32_t Cap = 0;
};
inline TStatusCache StatusCache{};

// Bytes per second shown by the debug lines, and when the figures next roll over (ms).
struct TNetRates {
  std::int64_t Sent = 0;
  std::int64_t Received = 0;
  std::uint64_t NextRollover = 0;
};
inline TNetRates NetRates{};

// Minimap pieces that the editors' minimaps share: a terrain sample's colour (other classes keep
// the previous sample's), the colour of a side (false for none), the walk of one sample per
// minimap pixel (c 0..63, r 0..39, map cell x, y) and the view frame clipped to the box.
inline constexpr std::uint8_t MinimapFieldColour = 235;
inline constexpr std::uint8_t MinimapBloomColour = 12;
inline constexpr std::uint8_t MinimapWormColour = 14;
std::uint8_t MinimapTerrainColour(std::uint8_t cell, std::uint8_t previous);
bool MinimapSideColour(int side, bool unit, std::uint8_t& colour);
template <typename Visit>
void WalkMinimapSamples(Visit visit);
void DrawMinimapViewFrame();

void DrawGameScreen();
void DrawNetGameScreen();
void DrawMinimap();
void DrawPlacementOutline();
// The outline of a footprint of w x h cells from the cell under the pointer; nothing while the
// pointer is over the panel. The game's placement and both editors' brushes.
void DrawPointerOutline(int widthCells, int heightCells, std::uint8_t colour);
void DrawStatusLine();
// The network screens' debug lines (debug mode with the frame rate shown): clock, pointer, view
// and connection figures, and with `withRates` the bytes per second each way. The lobby screen
// draws them without the rates.
void DrawNetDebugLines(bool withRates);
// The five palette pulses, stepped once by every frame that draws the map.
void StepPulses();

template <typename Visit>
void WalkMinimapSamples(Visit visit) {
  const int w = GameMap.Width, h = GameMap.Height;
  if (w <= 0 || h <= 0) return;
  const double stepX = w * 0.015625, stepY = h * 0.025;
  for (int r = 0; r < MinimapHeight; ++r) {
    const double y = 1 + r * stepY;
    if (y > h) break;
    for (int c = 0; c < MinimapWidth; ++c) {
      const double x = 1 + c * stepX;
      if (x > w) break;
      visit(c, r, static_cast<long>(x), static_cast<long>(y));
    }
  }
}

}  // namespace zarn
