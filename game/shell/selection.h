// The selection on the play screen (up to 14 units, or one building or worm) and the ten
// control groups.
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

inline constexpr int SelectionEntries = 14;

// Every in-use entry's mark off, the selection emptied.
void ClearSelection();
// Once per frame of the game screens: drops entries whose objects are gone or changed hands.
void CheckSelection();
// Once per frame of the game screens, after the world is drawn: the rubber band of a box drag.
void TrackSelectionBox();

// The map cell under the pointer (16 pixels a cell from the view's corner).
std::int32_t PointerCellX();
std::int32_t PointerCellY();

// The object under the pointer in the map area: kind 0 unit, 1 building, 2 worm. True when
// there is none. Slabs and walls are found only with includeAllBuildings.
bool HitTest(bool includeAllBuildings, std::uint16_t& index, std::uint8_t& kind);
// The object alone becomes the selection, with its mark and its sound.
void SelectObject(std::uint16_t index, std::uint8_t kind);
// Own units in a screen rectangle, at most one a cell, row by row, at most 14; of one kind
// unless allKinds. True when none was taken (the selection stays).
bool BoxSelect(int x1, int x2, int y1, int y2, std::uint8_t unitKind, bool allKinds);
// The first unit (any owner), else the first live worm, in a screen rectangle. False when found.
bool FirstObjectInBox(int x1, int x2, int y1, int y2, std::uint16_t& index, std::uint8_t& kind);
void GameDoubleClick();
void StoreGroup(int group);
void RecallGroup(int group);

// The first in-use entry of a unit selection, 0 when none.
int FirstSelectedEntry();
// The unit of the first in-use entry when it is a live unit (any owner), else null.
TUnitRecord* SingleSelectedUnit();
// The same, only when the unit belongs to the player at this seat.
TUnitRecord* OwnSelectedUnit();
// The selected building when it is live (any owner), else null.
TBuildingRecord* LiveSelectedBuilding();
// The same, only when it belongs to the player at this seat.
TBuildingRecord* OwnSelectedBuilding();
// Takes an entry out of a unit selection: mark off, flag cleared, one fewer selected.
void DropSelectionEntry(int entry);
// Clears PendingOrder (cursor colour back to normal) when the selection no longer fits it.
void DropUnfitPendingOrder();

}  // namespace zarn
