// Test set-up: no units, buildings, decals or players, no footprints, and a 64 x 64 map.
#pragma once

#include <cstring>

#include "game/world/dobjects.h"

// Every unit and building slot free and blank, and the tile index of that.
inline void NoUnitsOrBuildings() {
  using namespace zarn;
  for (TUnitRecord& u : Units) {
    u = TUnitRecord{};
    u.Free = 1;
    u.OffMap = 1;
  }
  RebuildTileIndex();
  for (TBuildingRecord& b : Buildings) {
    b = TBuildingRecord{};
    b.Free = 1;
  }
}

inline void EmptyWorld64() {
  using namespace zarn;
  NoUnitsOrBuildings();
  for (TDecalRecord& d : Decals) d = TDecalRecord{0, 0, 0, 1, 0};
  for (TPlayerRecord& p : Players) p = TPlayerRecord{};
  std::memset(OccupancyMap.Cells, 0, sizeof OccupancyMap.Cells);
  SetMapSizeAndClear(64, 64);
}
