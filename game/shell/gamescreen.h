// One frame of the play screen, single and network: the world in the view, the panel, the
// minimap, the outline of a building being placed and the figures at the top.
#pragma once

#include <array>
#include <cstdint>

namespace zarn {

inline constexpr int MinimapWidth = 64;
inline constexpr int MinimapHeight = 40;

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

}  // namespace zarn
