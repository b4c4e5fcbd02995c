// The pointer on the play screen of single and network play: clicks on the map and the panel,
// right clicks, and the per-frame hover (cursor, edge scrolling, dragging on the minimap).
#pragma once

namespace zarn {

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
