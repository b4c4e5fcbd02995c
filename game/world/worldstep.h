// The per-tick world routines that the world clock drives, each from its own topic.
#pragma once

#include "game/world/buildings.h"  // BuildingTick
#include "game/world/mission.h"    // CheckMissionGoal
#include "game/world/movement.h"   // UpdateUnit
#include "game/world/players.h"    // PlayerTick
#include "game/world/shots.h"      // UpdateShot
#include "game/world/tileindex.h"  // CheckTileIndex
#include "game/world/turrets.h"    // UpdateBuildingShot
#include "game/world/worms.h"      // WormTick
