#include <set>
#include <vector>

#include "tests/world/movement_fixture.h"

using namespace zarn;
using namespace zarn_test;

namespace {

class RoutesTest : public WorldTest {
 protected:
  // Drives the unit with the world step until it stops moving; returns every tile it stood on.
  static std::vector<std::pair<long, long>> Walk(TUnitRecord& u, int limit = 2000) {
    std::vector<std::pair<long, long>> tiles{P(u.X, u.Y)};
    for (int i = 0; i < limit && u.State == StateMove; ++i) {
      Step();
      if (tiles.back() != P(u.X, u.Y)) tiles.push_back(P(u.X, u.Y));
    }
    return tiles;
  }
  static void Wall(int x, int fromY, int toY) {
    for (int y = fromY; y <= toY; ++y) Block(x, y);
  }
  static bool Visits(const std::vector<std::pair<long, long>>& tiles, long x, long y) {
    for (auto& t : tiles)
      if (t == P(x, y)) return true;
    return false;
  }
};

TEST_F(RoutesTest, StepsAreStoredReversedAndTheNearLeftRouteWinsTheTie) {
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 2, 10);
  tank.DestX = 7;
  tank.DestY = 10;
  EXPECT_EQ(PlanPath(tank, RouteSearchLimit()), 5);
  ASSERT_EQ(tank.PathLength, 5);
  // The next step is the last entry; the destination is entry 1.
  EXPECT_EQ(P(tank.Path[5].X, tank.Path[5].Y), P(3, 10));
  EXPECT_EQ(tank.Path[5].Facing, FacingEast);
  EXPECT_EQ(P(tank.Path[1].X, tank.Path[1].Y), P(7, 10));

  // A diagonal leg first, then straight on: facings follow the sign comparison.
  tank.DestX = 4;
  tank.DestY = 14;
  EXPECT_EQ(PlanPath(tank, RouteSearchLimit()), 4);
  EXPECT_EQ(P(tank.Path[4].X, tank.Path[4].Y), P(3, 11));
  EXPECT_EQ(tank.Path[4].Facing, FacingSouthEast);
  EXPECT_EQ(tank.Path[2].Facing, FacingSouth);

  // Unreachable (enclosed) destination: nothing is copied, the old path stays.
  for (int x = 12; x <= 16; ++x) Block(x, 12), Block(x, 16);
  for (int y = 13; y <= 15; ++y) Block(12, y), Block(16, y);
  tank.DestX = 14;
  tank.DestY = 14;
  EXPECT_EQ(PlanPath(tank, RouteSearchLimit()), 0);
  EXPECT_EQ(tank.PathLength, 4);
}

TEST_F(RoutesTest, DetoursRoundAWallOnTheShorterSideLeftOnATie) {
  // A wall symmetric about the unit's row: both hands give routes of one length; left (north).
  Wall(10, 6, 14);
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 5, 10);
  MoveTo(tank, 15, 10);
  auto tiles = Walk(tank);
  EXPECT_EQ(tank.State, StateIdle);
  EXPECT_EQ(P(tank.X, tank.Y), P(15, 10));
  EXPECT_TRUE(Visits(tiles, 10, 5));
  for (auto& t : tiles) EXPECT_FALSE(t.first == 10 && t.second >= 6 && t.second <= 14);

  // Reaching further north than south: the right hand (clockwise, south) is shorter and wins.
  Reset(20, 20);
  Wall(10, 3, 12);
  TUnitRecord& t2 = Put(1, UnitLightTank, 1, 5, 10);
  MoveTo(t2, 15, 10);
  tiles = Walk(t2);
  EXPECT_EQ(P(t2.X, t2.Y), P(15, 10));
  EXPECT_TRUE(Visits(tiles, 10, 13));
  EXPECT_FALSE(Visits(tiles, 10, 2));

  // And the other way round the left hand wins.
  Reset(20, 20);
  Wall(10, 8, 17);
  TUnitRecord& t3 = Put(1, UnitLightTank, 1, 5, 10);
  MoveTo(t3, 15, 10);
  tiles = Walk(t3);
  EXPECT_EQ(P(t3.X, t3.Y), P(15, 10));
  EXPECT_TRUE(Visits(tiles, 10, 7));
  EXPECT_FALSE(Visits(tiles, 10, 18));
}

TEST_F(RoutesTest, LongRoutesArePlannedAgainEveryTenSteps) {
  Reset(40, 20);
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 2, 5);
  MoveTo(tank, 27, 5);
  Step();
  EXPECT_EQ(tank.PathLength, 9);  // 25 planned, ten kept, one begun
  ASSERT_TRUE(StepUntil([&] { return tank.X == 12 && tank.StepProgress >= 16; }, 500));
  EXPECT_EQ(tank.PathLength, 0);
  Step();  // planned again from where it stands
  EXPECT_EQ(tank.PathLength, 9);
  EXPECT_EQ(P(tank.NextX, tank.NextY), P(13, 5));
  ASSERT_TRUE(StepUntil([&] { return tank.State == StateIdle; }, 2000));
  EXPECT_EQ(P(tank.X, tank.Y), P(27, 5));
}

TEST_F(RoutesTest, DestinationsAtHomeOrBlocked) {
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 5, 5);
  MoveTo(tank, 5, 5);
  Step();
  EXPECT_EQ(tank.State, StateIdle);
  EXPECT_EQ(tank.PathLength, 0);
  EXPECT_EQ(tank.MovePhase, 0);

  // A destination that became blocked after the order is replaced by a tile behind it.
  MoveTo(tank, 10, 5);
  Block(10, 5);
  tank.Facing = FacingEast;
  Step();
  EXPECT_EQ(P(tank.DestX, tank.DestY), P(9, 5));
  ASSERT_TRUE(StepUntil([&] { return tank.State == StateIdle; }, 500));
  EXPECT_EQ(P(tank.X, tank.Y), P(9, 5));

  // Nowhere to go: the unit stops, then idles.
  for (int x = 12; x <= 16; ++x) Block(x, 12), Block(x, 16);
  for (int y = 13; y <= 15; ++y) Block(12, y), Block(16, y);
  MoveTo(tank, 14, 14);
  Step();
  EXPECT_EQ(tank.State, StateStop);
  Step();
  EXPECT_EQ(tank.State, StateIdle);
  EXPECT_EQ(P(tank.X, tank.Y), P(9, 5));
}

TEST_F(RoutesTest, StoredStepIntoAnOccupiedTileIsNotTaken) {
  // The way to an enclosed destination cannot be planned, so the old path would be kept; its
  // next step is now held by another tank.
  for (int x = 12; x <= 16; ++x) Block(x, 12), Block(x, 16);
  for (int y = 13; y <= 15; ++y) Block(12, y), Block(16, y);
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 5, 5);
  MoveTo(tank, 14, 14);
  tank.Path[1] = TPathStep{6, 6, FacingSouthEast, {}};
  tank.PathLength = 1;
  Put(2, UnitLightTank, 1, 6, 6);
  Step();
  EXPECT_EQ(tank.MovePhase, 0);
  EXPECT_EQ(P(tank.NextX, tank.NextY), P(5, 5));
  EXPECT_EQ(tank.PathLength, 0);
  Step();  // planned again, found nothing: stopped
  EXPECT_EQ(tank.State, StateStop);
  EXPECT_EQ(P(tank.X, tank.Y), P(5, 5));
}

}  // namespace

namespace {

TEST_F(RoutesTest, BothHandsFindRoutesOfOneLengthAndTheLeftOneIsTaken) {
  // Along a row every diagonal detour costs no step, only a turn: the left hand meets three
  // blocks, the right hand two, and both arrive in ten steps.
  Block(3, 10);
  Block(4, 10);
  Block(4, 9);
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 2, 10);
  tank.DestX = 12;
  tank.DestY = 10;
  ASSERT_EQ(PlanPath(tank, RouteSearchLimit()), 10);
  ASSERT_EQ(tank.PathLength, 10);
  EXPECT_EQ(P(tank.Path[10].X, tank.Path[10].Y), P(3, 9));
  EXPECT_EQ(P(tank.Path[9].X, tank.Path[9].Y), P(4, 8));

  // Without the left hand's route the right one, as long, is found.
  Block(3, 9);
  Block(2, 9);
  Block(1, 9);
  ASSERT_EQ(PlanPath(tank, RouteSearchLimit()), 10);
  EXPECT_EQ(P(tank.Path[10].X, tank.Path[10].Y), P(3, 11));
}

}  // namespace
