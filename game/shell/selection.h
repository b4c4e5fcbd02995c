// The selection on the play screen (up to 14 units, or one building or worm) and the ten
// control groups.
#pragma once

namespace zarn {

// Every in-use entry's mark off, the selection emptied.
void ClearSelection();
// Once per frame of the game screens: drops entries whose objects are gone or changed hands.
void CheckSelection();
// Once per frame of the game screens, after the world is drawn: the rubber band of a box drag.
void TrackSelectionBox();

}  // namespace zarn
