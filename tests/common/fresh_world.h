// The world as a fresh program has it, for tests and benchmarks that run one after another in
// one process. The game frees a slot by its flag alone, so a slot reused or left free keeps the
// fields of an earlier game (a picture of the editors, a hash of the tables and a saved game all
// show them); the map, its placements, the scenario's lists and the players stay as the last
// game left them. A network game's role, seats and side chooser outlive it as well, and the
// world steps and draws by the role.
#pragma once

#include "game/shell/netgame.h"
#include "game/world/dobjects.h"
#include "game/world/scenario.h"
#include "game/world/tileindex.h"

namespace fresh_world {

// The tables' start-up values, taken when the program is loaded (these are initialised after
// the tables, which every file that includes this one defines first).
struct TStartTables {
  decltype(zarn::Units) Units = zarn::Units;
  decltype(zarn::Buildings) Buildings = zarn::Buildings;
  decltype(zarn::UnitShots) UnitShots = zarn::UnitShots;
  decltype(zarn::BuildingShots) BuildingShots = zarn::BuildingShots;
  decltype(zarn::Explosions) Explosions = zarn::Explosions;
  decltype(zarn::Worms) Worms = zarn::Worms;
  decltype(zarn::OssinFields) OssinFields = zarn::OssinFields;
  decltype(zarn::OssinBlooms) OssinBlooms = zarn::OssinBlooms;
  decltype(zarn::Decals) Decals = zarn::Decals;
  decltype(zarn::GroundMarks) GroundMarks = zarn::GroundMarks;
  decltype(zarn::GameMap) GameMap = zarn::GameMap;
  decltype(zarn::ShroudMap) ShroudMap = zarn::ShroudMap;
  decltype(zarn::OccupancyMap) OccupancyMap = zarn::OccupancyMap;
  decltype(zarn::MapPlacements) MapPlacements = zarn::MapPlacements;
  decltype(zarn::Mission) Mission = zarn::Mission;
  decltype(zarn::Players) Players = zarn::Players;
  decltype(zarn::WormList) WormList = zarn::WormList;
  decltype(zarn::UnitList) UnitList = zarn::UnitList;
  decltype(zarn::BuildingList) BuildingList = zarn::BuildingList;
  decltype(zarn::ViewState) ViewState = zarn::ViewState;
};
inline const TStartTables StartTables{};

inline void FreshWorld() {
  using namespace zarn;
  const TStartTables& s = StartTables;
  Units = s.Units;
  Buildings = s.Buildings;
  UnitShots = s.UnitShots;
  BuildingShots = s.BuildingShots;
  Explosions = s.Explosions;
  Worms = s.Worms;
  OssinFields = s.OssinFields;
  OssinBlooms = s.OssinBlooms;
  Decals = s.Decals;
  GroundMarks = s.GroundMarks;
  GameMap = s.GameMap;
  ShroudMap = s.ShroudMap;
  OccupancyMap = s.OccupancyMap;
  MapPlacements = s.MapPlacements;
  Mission = s.Mission;
  Players = s.Players;
  WormList = s.WormList;
  UnitList = s.UnitList;
  BuildingList = s.BuildingList;
  ViewState = s.ViewState;
  RebuildTileIndex();
  NetTeardown();
  NetRole = RoleSingle;
  LocalPlayer = 1;
}

}  // namespace fresh_world
