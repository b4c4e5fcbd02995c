#include <gtest/gtest.h>

#include <algorithm>

#include "game/base/globals.h"
#include "game/base/maps.h"
#include "game/base/video.h"
#include "game/world/passability.h"
#include "game/world/tileindex.h"

using namespace zarn;

namespace {

constexpr int Infantry = 0, Trike = 4, Quad = 5, Tank = 6, Harvester = 10, Carrier = 14, Skeltrel = 15;

// A 20 x 20 sand map, no buildings, every unit slot free.
class Passability : public ::testing::Test {
 protected:
  static void EmptyWorld(int size) {
    SetMapSizeAndClear(size, size);
    std::fill(std::begin(OccupancyMap.Cells), std::end(OccupancyMap.Cells), 0);
    for (auto& u : Units) u = TUnitRecord{.OffMap = 1, .Free = 1};
    RebuildTileIndex();
    UnitSlots = 200;
  }
  void SetUp() override { EmptyWorld(20); }
  void TearDown() override { EmptyWorld(64); }

  static void Put(int slot, int kind, int owner, int x, int y) {
    TUnitRecord& u = Units[slot];
    u = TUnitRecord{};
    u.Slot = static_cast<std::uint16_t>(slot);
    u.Kind = static_cast<std::uint8_t>(kind);
    u.Owner = static_cast<std::uint8_t>(owner);
    u.X = x;
    u.Y = y;
    u.NextX = static_cast<std::int16_t>(x);
    u.NextY = static_cast<std::int16_t>(y);
    UnitTilesChanged(u);
  }
  // Writes a field of a unit the way the world does: the tile index is told.
  template <typename F>
  static void Change(int slot, F&& f) {
    f(Units[slot]);
    UnitTilesChanged(Units[slot]);
  }
  static void Rock(int x, int y) { GameMap.Cell(x, y) = MakeTerrainByte(1, 3); }
};

}  // namespace

TEST_F(Passability, KindGroupsAgainstUnitsTerrainAndBuildings) {
  Put(1, Infantry, 2, 5, 5);  // enemy infantry of player 1
  Put(2, Infantry, 1, 6, 5);  // own infantry of player 1
  Put(3, Tank, 2, 7, 5);      // enemy tank
  Put(4, Carrier, 2, 8, 5);   // an aircraft over sand
  Rock(9, 5);
  OccupancyMap.Cell(10, 5) = 1;

  struct Row {
    int kind;
    int expect[6];  // tiles (5..10, 5): enemy inf, own inf, enemy tank, aircraft, rock, building
  };
  const Row rows[] = {
      {Infantry, {0, 0, 0, 1, 1, 0}},   // terrain never stops infantry
      {Trike, {0, 0, 0, 1, 0, 0}},
      {Quad, {0, 0, 0, 1, 0, 0}},
      {Tank, {1, 0, 0, 1, 0, 0}},       // drives over enemy infantry only
      {Harvester, {1, 0, 0, 1, 0, 0}},
      {Carrier, {1, 1, 1, 0, 1, 1}},    // aircraft avoid only aircraft
      {Skeltrel, {1, 1, 1, 0, 1, 1}},
  };
  for (const Row& r : rows)
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(CanEnter(r.kind, 1, 5 + i, 0, 5), r.expect[i]) << "kind " << r.kind << " tile x " << 5 + i;

  // Whose infantry it is depends on who asks: player 2 owns the man on (5, 5).
  EXPECT_EQ(CanEnter(Tank, 2, 5, 0, 5), 0);
  EXPECT_EQ(CanEnter(Tank, 2, 6, 0, 5), 1);
}

TEST_F(Passability, StepTilesSelfSlotAndAbsentUnits) {
  // Slot 1 stands on (5, 5) and steps into (6, 5): it holds both.
  Put(1, Tank, 1, 5, 5);
  Change(1, [](TUnitRecord& u) { u.NextX = 6; });
  for (int x : {5, 6}) {
    EXPECT_EQ(CanEnter(Trike, 1, x, 0, 5), 0) << x;
    EXPECT_EQ(CanEnter(Tank, 1, x, 1, 5), 1) << "own slot never blocks, tile " << x;
  }
  // Lifted by a carrier, or a slot that is free with stale coordinates: neither blocks.
  Change(1, [](TUnitRecord& u) { u.OffMap = 1; });
  EXPECT_EQ(CanEnter(Trike, 1, 5, 0, 5), 1);
  Put(2, Tank, 1, 7, 7);
  Change(2, [](TUnitRecord& u) { u.Free = 1; });
  EXPECT_EQ(CanEnter(Trike, 1, 7, 0, 7), 1);
  // Only slots 1..UnitSlots are in play; slot 0 is the delivery carrier's.
  Put(0, Tank, 1, 8, 8);
  Put(201, Tank, 1, 9, 9);
  EXPECT_EQ(CanEnter(Trike, 1, 8, 0, 8), 1);
  EXPECT_EQ(CanEnter(Trike, 1, 9, 0, 9), 1);
  UnitSlots = 201;
  EXPECT_EQ(CanEnter(Trike, 1, 9, 0, 9), 0);
}

TEST_F(Passability, MapBoundsAndSand) {
  for (int k : {Infantry, Tank, Carrier}) {
    for (auto [x, y] : {std::pair{0, 5}, {5, 0}, {21, 5}, {5, 21}, {-70000, 300}}) EXPECT_EQ(CanEnter(k, 1, x, 0, y), 0);
    EXPECT_EQ(CanEnter(k, 1, 20, 0, 20), 1);
  }
  Rock(3, 3);
  GameMap.Cell(4, 3) = MakeTerrainByte(4, 0);
  GameMap.Cell(5, 3) = MakeTerrainByte(0, 17);
  EXPECT_EQ(IsSandTile(3, 3) + IsSandTile(4, 3) + IsSandTile(0, 3) + IsSandTile(21, 3), 0);
  EXPECT_EQ(IsSandTile(5, 3), 1);
  EXPECT_TRUE(IsOutsideMap(1, 21));
  EXPECT_FALSE(IsOutsideMap(20, 20));
}

TEST_F(Passability, TileBehindSearchOrder) {
  // Facing 2 (toward growing x): the first candidate is the tile left of the target.
  int x = 10, y = 10;
  FindTileBehind(Tank, 1, 2, 0, x, y, 15, 15);
  EXPECT_EQ(x, 9);
  EXPECT_EQ(y, 10);
  // With it blocked the search fans out in that column: below first, then above.
  Rock(9, 10);
  x = 10, y = 10;
  FindTileBehind(Tank, 1, 2, 0, x, y, 15, 15);
  EXPECT_EQ(x, 9);
  EXPECT_EQ(y, 11);
  // The unit's own tile is skipped even when enterable.
  x = 10, y = 10;
  FindTileBehind(Tank, 1, 2, 0, x, y, 9, 11);
  EXPECT_EQ(x, 9);
  EXPECT_EQ(y, 9);
  // Facing 6 looks toward growing x; facings 3..5 toward falling y; 7, 0, 1 toward growing y.
  for (auto [facing, ex, ey] : {std::tuple{6, 11, 10}, {3, 10, 9}, {5, 10, 9}, {7, 10, 11}, {0, 10, 11}, {1, 10, 11}}) {
    x = 10, y = 10;
    FindTileBehind(Tank, 1, facing, 0, x, y, 15, 15);
    EXPECT_EQ(std::pair(x, y), std::pair(ex, ey)) << "facing " << facing;
  }
  // Deep search: facing 4 with rows 9..11 of columns 7..13 blocked finds row 8 left of centre
  // only after the right-hand side.
  for (int cx = 7; cx <= 13; ++cx)
    for (int cy = 6; cy <= 9; ++cy) Rock(cx, cy);
  GameMap.Cell(7, 6) = 0;   // (x-3, y-4): the last candidate
  x = 10, y = 10;
  FindTileBehind(Tank, 1, 4, 0, x, y, 15, 15);
  EXPECT_EQ(x, 7);
  EXPECT_EQ(y, 6);
  // All 25 blocked: unchanged.
  Rock(7, 6);
  x = 10, y = 10;
  FindTileBehind(Tank, 1, 4, 0, x, y, 15, 15);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 10);
  // Infantry ignores the rock and takes the first candidate.
  FindTileBehind(Infantry, 1, 4, 0, x, y, 15, 15);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 9);
  // At the map's edge the candidates outside the map are passed over.
  x = 1, y = 1;
  FindTileBehind(Carrier, 1, 2, 0, x, y, 15, 15);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 1);
}

// CanEnter reads the units from the tile index: for every kind, asking player and own slot it
// answers as a scan of the unit table would, also after units stepped, were lifted or freed.
TEST_F(Passability, CanEnterFollowsTheUnitsAsTheyChange) {
  Put(1, Infantry, 2, 5, 5);
  Put(2, Infantry, 1, 6, 5);
  Put(3, Tank, 2, 7, 5);
  Change(3, [](TUnitRecord& u) { u.NextX = 8; });  // stepping: holds (7, 5) and (8, 5)
  Put(4, Carrier, 2, 8, 6);
  Put(5, Skeltrel, 1, 9, 9);
  Put(6, Trike, 1, 10, 10);
  Change(6, [](TUnitRecord& u) { u.OffMap = 1; });
  Put(7, Quad, 2, 11, 11);
  Change(7, [](TUnitRecord& u) { u.Free = 1; });
  Put(8, Harvester, 1, 300, 12);  // coordinates outside any map
  Change(8, [](TUnitRecord& u) { u.NextX = -1; });
  Put(0, Tank, 1, 12, 12);        // the delivery carrier's slot is not in play
  Put(201, Tank, 1, 13, 13);      // past UnitSlots
  Put(9, Infantry, 1, 14, 14);
  Put(10, Infantry, 1, 14, 14);   // two on one tile
  Rock(9, 5);
  Rock(15, 15);
  OccupancyMap.Cell(10, 5) = 1;
  OccupancyMap.Cell(16, 16) = 1;

  // The rule read straight off the unit table.
  const auto byScan = [](int kind, int player, int x, int self, int y) {
    if (x < 1 || x > GameMap.Width || y < 1 || y > GameMap.Height) return 0;
    bool ground = false, vehicle = false, ownInfantry = false, air = false;
    for (int i = 1; i <= UnitSlots; ++i) {
      const TUnitRecord& u = Units[i];
      if (i == self || u.Free != 0 || u.OffMap != 0) continue;
      if (!((u.X == x && u.Y == y) || (u.NextX == x && u.NextY == y))) continue;
      ground |= u.Kind < 14;
      vehicle |= u.Kind >= 4 && u.Kind <= 13;
      ownInfantry |= u.Kind <= 3 && u.Owner == player;
      air |= u.Kind >= 14;
    }
    const bool rock = TerrainClass(GameMap.Cell(x, y)) == 1;
    if (kind <= 3 && ground) return 0;
    if ((kind == 4 || kind == 5) && (rock || ground)) return 0;
    if (kind >= 6 && kind <= 13 && (rock || vehicle || ownInfantry)) return 0;
    if (kind >= 14 && air) return 0;
    return kind < 14 && OccupancyMap.Cell(x, y) != 0 ? 0 : 1;
  };
  const auto compareAll = [&](const char* when) {
    int mismatches = 0;
    for (int player : {1, 2, 3})
      for (int self : {0, 1, 2, 3, 4, 9, 10})
        for (int kind = 0; kind <= 15; ++kind)
          for (int x = -1; x <= 22; ++x)
            for (int y = -1; y <= 22; ++y)
              if (CanEnter(kind, player, x, self, y) != byScan(kind, player, x, self, y)) {
                if (++mismatches <= 5)
                  ADD_FAILURE() << when << ": player " << player << " self " << self << " kind " << kind << " tile ("
                                << x << ", " << y << ")";
              }
    EXPECT_EQ(mismatches, 0) << when;
  };
  compareAll("first");

  Change(1, [](TUnitRecord& u) { u.X = u.NextX = 3; });
  Change(3, [](TUnitRecord& u) {
    u.X = 8;
    u.NextX = 9;
    u.Y = u.NextY = 6;
  });
  Change(4, [](TUnitRecord& u) { u.OffMap = 1; });
  Change(9, [](TUnitRecord& u) { u.Free = 1; });
  Change(6, [](TUnitRecord& u) { u.OffMap = 0; });  // put down again
  compareAll("after moves");
  EXPECT_EQ(TileIndexMismatch(), "");
}
