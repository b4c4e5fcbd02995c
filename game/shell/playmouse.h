// The pointer on the play screen of single and network play: clicks on the map and the panel,
// right clicks, and the per-frame hover (cursor, edge scrolling, dragging on the minimap).
#pragma once

#include <cstdint>

#include "game/base/archive.h"

namespace zarn {

// Cursor colours: normal (CursorNormalColour, also over own objects), over a foreign unit or
// building, over a worm.
inline constexpr std::uint8_t CursorForeignColour = 12;
inline constexpr std::uint8_t CursorWormColour = 17;

void GameClick();
void NetGameClick();
// A left click on the panel (row 158 and below): menu button, minimap, building buttons and the
// command column.
void GamePanelClick();
void NetGamePanelClick();
void GameRightClick();
void NetGameRightClick();
// Once per frame before drawing, in single and network play.
void GameHover();

// Panel regions under the pointer, the same on the four play screens (the menu button's rows
// overlap the panel's top rows).
bool OnMenuButton();
bool OnMinimap();
bool OnMiddleArea();
bool OnCommandColumn();
// Cursor shape 0 (arrow) in the normal colour.
void ArrowCursor();
// A click on the panel's menu button (the button sound, LastKey Esc, then the screen's menu) or
// on its minimap (the view jumps there); true when the click was theirs.
bool PanelMenuOrMinimapClick(void (*openMenu)());
// Once per frame with the pointer on the panel, on the four play screens: the menu button drawn
// pressed while the pointer rests on it, else edge scrolling; a held button drags the view on the
// minimap.
void PanelHover();

// Scrolls the view at each screen edge under the pointer, with the edge's cursor (not in a
// network game before its start, nor while the pointer is outside the window or the window has
// no focus); the play screen and both editors.
void EdgeScroll();

}  // namespace zarn
