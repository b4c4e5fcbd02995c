// The world as a fresh program has it, for tests and benchmarks that run one after another in
// one process. The game frees a slot by its flag alone, so a slot reused or left free keeps the
// fields of an earlier game (a picture of the editors, a hash of the tables and a saved game all
// show them); the map, its placements, the scenario's lists and the players stay as the last
// game left them. A network game's role, seats and side chooser outlive it as well, and the
// world steps and draws by the role.
#pragma once

#include "game/net/netgame.h"
#include "game/world/dobjects.h"
#include "game/world/scenario.h"
#include "game/world/tileindex.h"

namespace fresh_world {

// The tables a game changes, each restored to its start-up value.
#define FRESH_WORLD_TABLES(X)                                                              \
  X(Units) X(Buildings) X(UnitShots) X(BuildingShots) X(Explosions) X(Worms) X(OssinFields) \
  X(OssinBlooms) X(Decals) X(GroundMarks) X(GameMap) X(ShroudMap) X(OccupancyMap)            \
  X(MapPlacements) X(Mission) X(Players) X(WormList) X(UnitList) X(BuildingList) X(ViewState)

// The start-up values, taken when the program is loaded (these are initialised after the
// tables, which every file that includes this one defines first).
struct TStartTables {
#define FRESH_WORLD_COPY(name) decltype(zarn::name) name = zarn::name;
  FRESH_WORLD_TABLES(FRESH_WORLD_COPY)
#undef FRESH_WORLD_COPY
};
inline const TStartTables StartTables{};

inline void FreshWorld() {
  using namespace zarn;
#define FRESH_WORLD_RESTORE(name) name = StartTables.name;
  FRESH_WORLD_TABLES(FRESH_WORLD_RESTORE)
#undef FRESH_WORLD_RESTORE
  // Written wholesale: what is worked out from the buildings and the terrain is out of date.
  RebuildTileIndex();
  ++BuildingChanges;
  TerrainChanged();
  NetTeardown();
  NetRole = RoleSingle;
  LocalPlayer = 1;
}

}  // namespace fresh_world
