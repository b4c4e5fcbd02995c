// An empty sand world for the movement, route and harvesting tests, with the world step those
// tests drive: units every tick, the refineries' unloading every 4th.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "game/world/dobjects.h"

namespace zarn_test {

using namespace zarn;

inline std::pair<long, long> P(long a, long b) { return {a, b}; }

class WorldTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(20, 20); }
  void TearDown() override {
    ResetHooks();
    NetRole = RoleSingle;
    KillAllUnits();
    DestroyAllBuildings();
    ClearOssinFields();
    SetMapSizeAndClear(64, 64);
  }

  static void Reset(int width, int height) {
    ResetHooks();
    SetMapSizeAndClear(width, height);
    std::fill(std::begin(OccupancyMap.Cells), std::end(OccupancyMap.Cells), 0);
    KillAllUnits();
    DestroyAllBuildings();
    ClearOssinFields();
    RemoveAllBlooms();
    RemoveAllWorms();
    ClearProjectiles();
    UnitSlots = BuildingSlots = 200;
    NetRole = RoleSingle;
    LocalPlayer = 1;
    WorldTickCount = 1000;
    for (auto& p : Players) {
      p = TPlayerRecord{};
      p.ReplacementReady = 1;
      p.CarrierHome = 1;
    }
    HideMessageLine();
    for (auto& m : GroundMarks) m.Free = 1;
  }

  static TUnitRecord& Put(int slot, std::uint8_t kind, std::uint8_t owner, int x, int y) {
    InitUnit(Units[slot], x, y, static_cast<std::uint16_t>(slot), 0, owner, kind);
    return Units[slot];
  }
  static TBuildingRecord& Build(int slot, std::uint8_t kind, std::uint8_t owner, int x, int y) {
    InitBuilding(Buildings[slot], x, y, kind, owner, 0, static_cast<std::uint16_t>(slot));
    return Buildings[slot];
  }
  static TOssinFieldRecord& Cell(int slot, int x, int y, int amount) {
    InitOssinField(OssinFields[slot], x, y);
    OssinFields[slot].Amount = amount;
    return OssinFields[slot];
  }
  static void Block(int x, int y) { OccupancyMap.Cell(x, y) = 1; }

  // One world step as the clock runs it, with this topic's routines.
  static void Step() {
    ++WorldTickCount;
    for (int i = 0; i <= UnitSlots; ++i)
      if (Units[i].OffMap == 0) UpdateUnit(Units[i]);
    if ((WorldTickCount & 3) == 3)
      for (int i = 1; i <= BuildingSlots; ++i)
        if (Buildings[i].Free == 0 && Buildings[i].Kind == BuildingRefinery) RefineryUnload(Buildings[i]);
    CheckTileIndex();
  }
  static void Steps(int n) {
    for (int i = 0; i < n; ++i) Step();
  }
  // Steps until the predicate holds; false when it did not within the limit.
  template <typename Pred>
  static bool StepUntil(Pred done, int limit) {
    for (int i = 0; i < limit; ++i) {
      if (done()) return true;
      Step();
    }
    return done();
  }
};

}  // namespace zarn_test
