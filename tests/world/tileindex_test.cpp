// The index of the units on each tile: it follows units through their lives, and its check
// notices a unit that changed tiles behind its back. Every world test of this program runs with
// that check after each tick.
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "tests/world/movement_fixture.h"

using namespace zarn;
using namespace zarn_test;

namespace {

const bool CheckedEveryTick = [] {
  TileIndexSelfCheck = true;
  return true;
}();

std::vector<int> OnTile(int x, int y) {
  std::vector<int> slots;
  ForEachUnitOnTile(x, y, [&](int s) { slots.push_back(s); });
  std::sort(slots.begin(), slots.end());
  return slots;
}

std::vector<int> HarvesterSlots(int owner = 1) {
  std::vector<int> slots;
  ForEachHarvesterOf(owner, [&](int s) { slots.push_back(s); });
  std::sort(slots.begin(), slots.end());
  return slots;
}

using Slots = std::vector<int>;

class TileIndexTest : public WorldTest {};

TEST_F(TileIndexTest, FollowsUnitsFromCreationToRemoval) {
  ASSERT_TRUE(CheckedEveryTick);
  Put(3, UnitLightTank, 1, 5, 5);
  Put(4, UnitInfantryman, 2, 5, 5);
  Put(7, UnitHarvester, 1, 12, 12);
  EXPECT_EQ(OnTile(5, 5), (Slots{3, 4}));
  EXPECT_EQ(HarvesterSlots(), Slots{7});

  // A step holds both tiles until it is done, then only the new one.
  MoveTo(Units[3], 6, 5);
  Step();
  EXPECT_EQ(OnTile(6, 5), Slots{3});
  EXPECT_EQ(OnTile(5, 5), (Slots{3, 4}));
  Steps(16);
  EXPECT_EQ(Units[3].X, 6);
  EXPECT_EQ(OnTile(6, 5), Slots{3});
  EXPECT_EQ(OnTile(5, 5), Slots{4});

  // Lifted: on no tile; put down elsewhere: there, and nowhere it stood before.
  StopCarrier(Units[4]);
  EXPECT_EQ(OnTile(5, 5), Slots{});
  UnloadAt(Units[4], 9, 2);
  EXPECT_EQ(OnTile(9, 2), Slots{4});

  // A unit made off the map holds nothing until it is put down.
  Build(1, BuildingConstructionYard, 1, 15, 15);
  const std::uint16_t off = CreateUnitAt(10, 10, UnitLightTank, 1, 0, 1);
  ASSERT_NE(off, 0);
  EXPECT_EQ(OnTile(10, 10), Slots{});

  // Harvesters are listed by owner: a converted one moves to its new owner's list and back.
  Units[7].ConversionPeriod = 5;
  ConvertUnit(Units[7], 1, 2);
  EXPECT_EQ(HarvesterSlots(1), Slots{});
  EXPECT_EQ(HarvesterSlots(2), Slots{7});
  WorldTickCount += 5;
  Step();
  EXPECT_EQ(HarvesterSlots(1), Slots{7});
  EXPECT_EQ(HarvesterSlots(2), Slots{});

  RemoveUnit(Units[3]);
  RemoveUnit(Units[7]);
  EXPECT_EQ(OnTile(6, 5), Slots{});
  EXPECT_EQ(HarvesterSlots(), Slots{});
  EXPECT_EQ(TileIndexMismatch(), "");
}

TEST_F(TileIndexTest, CheckNoticesAUnitMovedBehindItsBack) {
  Put(2, UnitTrike, 1, 4, 4);
  Put(5, UnitHarvester, 1, 8, 8);
  ASSERT_EQ(TileIndexMismatch(), "");

  Units[2].X = 14;  // as a move path that forgot to tell the index would leave it
  EXPECT_NE(TileIndexMismatch().find("unit 2 "), std::string::npos) << TileIndexMismatch();
  EXPECT_THROW(CheckTileIndex(), std::logic_error);
  UnitTilesChanged(Units[2]);
  EXPECT_EQ(TileIndexMismatch(), "");

  Units[5].Owner = 3;  // given away behind the index's back
  EXPECT_NE(TileIndexMismatch().find("unit 5 "), std::string::npos) << TileIndexMismatch();
  UnitTilesChanged(Units[5]);
  EXPECT_EQ(HarvesterSlots(3), Slots{5});
  Units[5].Free = 1;  // freed without RemoveUnit
  EXPECT_NE(TileIndexMismatch().find("unit 5 "), std::string::npos) << TileIndexMismatch();
  RebuildTileIndex();
  EXPECT_EQ(TileIndexMismatch(), "");
  EXPECT_EQ(HarvesterSlots(3), Slots{});
  EXPECT_EQ(OnTile(14, 4), Slots{2});
}

// A whole battle on a crowded map: units step, die and are crushed every tick, and the index
// agrees with the unit table after each one (the fixture's step checks it).
TEST_F(TileIndexTest, StaysRightThroughACrowdedMelee) {
  Reset(16, 16);
  int slot = 1;
  for (int x = 2; x <= 15; x += 2)
    for (int y = 2; y <= 6; ++y, ++slot)
      Put(slot, static_cast<std::uint8_t>(slot % 12), 1, x, y);
  for (int x = 2; x <= 15; x += 2)
    for (int y = 11; y <= 15; ++y, ++slot)
      Put(slot, static_cast<std::uint8_t>(slot % 12), 2, x, y);
  for (int i = 1; i < slot; ++i) {
    TUnitRecord& u = Units[i];
    if (AttackAt(u, 17 - u.X, 17 - u.Y) != OrderTaken) MoveTo(u, 17 - u.X, 17 - u.Y);
  }
  EXPECT_NO_THROW(Steps(400));
  EXPECT_LT(CountLiveUnits(), slot - 1) << "nobody fought";
}

// The walks and counts that stand in for scans of the unit table give what the scan gives.
TEST_F(TileIndexTest, WalksAndCountsAnswerAsAScanOfTheTable) {
  UnitSlots = 10;
  Put(0, UnitCarrier, 1, 3, 3);  // slot 0 is never counted
  for (int s = 1; s <= 8; ++s) Put(s, s % 2 ? UnitLightTank : UnitTrike, s <= 5 ? 1 : 2, s + 1, 9);
  Put(11, UnitLightTank, 1, 20, 20);  // past the last slot in play
  StopCarrier(Units[4]);
  StopCarrier(Units[7]);
  const auto scanned = [](int owner, int kind) {
    int n = 0;
    for (int i = 1; i <= LastUnitSlot(); ++i)
      n += Units[i].Free == 0 && Units[i].Owner == owner && (kind < 0 || Units[i].Kind == kind) ? 1 : 0;
    return n;
  };
  for (const int owner : {1, 2, 3})
    for (const int kind : {-1, int{UnitLightTank}, int{UnitTrike}, int{UnitCarrier}})
      EXPECT_EQ(CountLiveUnits(owner, kind, LastUnitSlot()), scanned(owner, kind)) << owner << " " << kind;
  EXPECT_EQ(CountUnitsOfPlayer(1), 5);

  // Units lifted and put down by the walk itself, ahead of it and behind it: the walk visits what
  // a scan that looks at each slot as it reaches it visits.
  const auto walk = [](bool indexed) {
    std::vector<int> visited;
    const auto visit = [&](int i) {
      visited.push_back(i);
      if (i == 2) {
        UnloadAt(Units[4], 15, 15);  // ahead: visited
        StopCarrier(Units[5]);       // ahead: passed over
        StopCarrier(Units[1]);       // behind
      }
    };
    if (indexed) ForEachPlacedUnit(LastUnitSlot(), visit);
    else
      for (int i = 0; i <= LastUnitSlot(); ++i)
        if (Units[i].OffMap == 0) visit(i);
    return visited;
  };
  const TUnitTable before = Units;
  const std::vector<int> scan = walk(false);
  Units = before;
  RebuildTileIndex();
  EXPECT_EQ(walk(true), scan);
  EXPECT_EQ(scan, (Slots{0, 1, 2, 3, 4, 6, 8}));
  EXPECT_EQ(TileIndexMismatch(), "");
}

// A search for another player's units passes over the blocks that hold the owner's units alone,
// and still finds an enemy among friends.
TEST_F(TileIndexTest, ASearchForEnemiesPassesOverBlocksOfFriends) {
  int slot = 1;
  for (int x = 1; x <= 24; x += 2)
    for (int y = 1; y <= 24; y += 3) Put(slot++, UnitLightTank, 1, x, y);
  const auto offered = [](int owner) {
    Slots slots;
    ForEachUnitNearTile(12, 12, 6, [&](int s) { slots.push_back(s); }, owner);
    return slots;
  };
  EXPECT_EQ(offered(1), Slots{});
  EXPECT_FALSE(offered(2).empty());
  Put(slot, UnitTrike, 2, 13, 14);
  const Slots withEnemy = offered(1);
  EXPECT_NE(std::find(withEnemy.begin(), withEnemy.end(), slot), withEnemy.end());
  // Given away, it is a friend again; taken back, an enemy.
  Units[slot].Owner = 1;
  UnitTilesChanged(Units[slot]);
  EXPECT_EQ(offered(1), Slots{});
  Units[slot].Owner = 2;
  UnitTilesChanged(Units[slot]);
  EXPECT_EQ(offered(1).empty(), false);
  EXPECT_EQ(TileIndexMismatch(), "");
}

}  // namespace
