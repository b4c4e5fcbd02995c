// The pointer on the play screen of single and network play: clicks on the map and the panel,
// right clicks, and the per-frame hover (cursor, edge scrolling, dragging on the minimap).
#pragma once

#include <cstdint>

namespace zarn {

// Cursor colours: normal (and over own objects), over a foreign unit or building, over a worm.
inline constexpr std::uint8_t CursorNormalColour = 200;
inline constexpr std::uint8_t CursorForeignColour = 12;
inline constexpr std::uint8_t CursorWormColour = 17;

void GameClick();
void NetGameClick();
void GameRightClick();
void NetGameRightClick();
// Once per frame before drawing, in single and network play.
void GameHover();

// Scrolls the view at each screen edge under the pointer, with the edge's cursor (not in a
// network game before its start); the play screen and both editors.
void EdgeScroll();

}  // namespace zarn
