// Buildings on the map: the sprite of each kind, the selection frame of a selected building and
// the flame marker that a burning building shows above itself.
#pragma once

#include "game/base/records.h"

namespace zarn {

// One building: its sprite, then its selection frame when selected. Free slots and walls draw
// no sprite; slabs and turrets only when their tile is in the view.
void DrawBuildings(const TBuildingRecord& b);
void DrawBuildingSprite(const TBuildingRecord& b);
void DrawBuildingFrame(const TBuildingRecord& b);
// Draws the marker and steps its animation; hides it once it has run out.
void DrawBuildingMarker(TBuildingRecord& b);
void ShowBuildingMarker(TUnitMarker& marker);
void HideBuildingMarker(TUnitMarker& marker);

}  // namespace zarn
