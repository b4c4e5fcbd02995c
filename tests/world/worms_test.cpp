#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "game/world/dobjects.h"

using namespace zarn;

namespace {

// Every test of this program runs with the worms' remembered reach checked against the terrain.
const bool ReachChecked = [] {
  WormReachSelfCheck = true;
  return true;
}();

// Network traffic of the worms: 'w' warning (166, connection), 's' surfaced (150),
// 'u' submerged (151), 'd' damage (152), 'r' unit removed.
std::vector<std::pair<char, std::int32_t>> Net;
void Warn(std::int32_t c) { Net.push_back({'w', c}); }
void Surfaced(std::int32_t w) { Net.push_back({'s', w}); }
void Submerged(std::int32_t w) { Net.push_back({'u', w}); }
void Damaged(std::int32_t w, std::int32_t) { Net.push_back({'d', w}); }
void Removed(std::int32_t u) { Net.push_back({'r', u}); }
int CountOf(char kind) {
  int n = 0;
  for (auto& [k, v] : Net) n += k == kind;
  return n;
}

class WormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHooks();
    NetSendToPlayer166Proc = Warn;
    NetBroadcastWormSurfaceProc = Surfaced;
    NetBroadcast151Proc = Submerged;
    NetBroadcastDamageWormProc = Damaged;
    NetRemoveUnitProc = Removed;
    Net.clear();
    NetRole = RoleSingle;
    LocalPlayer = 1;
    SetMapSizeAndClear(30, 30);  // all sand
    KillAllUnits();
    RemoveAllWorms();
    UnitSlots = 200;
    WorldTickCount = 1000;
  }
  void TearDown() override {
    NetRole = RoleSingle;
    SetUp();
    ResetHooks();
    SetMapSizeAndClear(64, 64);
    WorldTickCount = 0;
  }
  static TUnitRecord& Put(int slot, std::uint8_t kind, std::uint8_t owner, int x, int y) {
    InitUnit(Units[slot], x, y, static_cast<std::uint16_t>(slot), 0, owner, kind);
    return Units[slot];
  }
  static TWormRecord& Worm(int x, int y, int slot = 1) {
    CreateWorm(Worms[slot], x, y, slot);
    return Worms[slot];
  }
  static void Rock(int x, int y) {
    GameMap.Cell(x, y) = MakeTerrainByte(1, 0);
    TerrainChanged();
  }
  static void Sand(int x, int y) {
    GameMap.Cell(x, y) = MakeTerrainByte(0, 0);
    TerrainChanged();
  }
  // The world clock without any frame drawn.
  static void Run(TWormRecord& w, int ticks) {
    for (int i = 0; i < ticks; ++i) {
      ++WorldTickCount;
      WormTick(w);
      CheckTileIndex();
    }
  }
};

TEST_F(WormsTest, HuntsTravelsAndEatsWithNoFrameDrawn) {
  NetRole = RoleServer;
  PlayerConnections[2].Connection = 7;
  TUnitRecord& tank = Put(3, 6, 2, 12, 9);
  TWormRecord& w = Worm(5, 5);
  Net.clear();
  Run(w, WormFirstHuntDelay - 1);
  EXPECT_EQ(w.Behaviour, WormResting);  // not before its first hunt time
  Run(w, 1);
  EXPECT_EQ(w.Behaviour, WormHunting);
  EXPECT_EQ(w.Prey, 3);

  Run(w, 200);
  EXPECT_EQ(tank.Free, 1);
  EXPECT_EQ(std::make_pair(w.X, w.Y), std::make_pair(12, 9));
  EXPECT_EQ(w.Hidden, 1);  // the strike ended and the worm went under again
  EXPECT_EQ(w.Prey, 0);
  EXPECT_GT(w.HuntTime, WorldTickCount);
  EXPECT_LE(w.HuntTime, WorldTickCount + 540);
  // Warned once, surfaced once, one unit removed, submerged once.
  const std::vector<std::pair<char, std::int32_t>> expected = {{'w', 7}, {'s', 1}, {'r', 3}, {'u', 1}};
  EXPECT_EQ(Net, expected);
  Run(w, 10);
  EXPECT_EQ(w.Behaviour, WormResting);
}

TEST_F(WormsTest, StrikeEatsOnlyTheHuntedUnitAndOnlyOnce) {
  NetRole = RoleServer;
  TWormRecord& w = Worm(8, 8);
  TUnitRecord& prey = Put(4, 6, 2, 8, 8);
  w.Prey = 4;
  w.Behaviour = WormHunting;
  w.StrikeTimer = WorldTickCount + 100;  // the first frame lasts: the counter stays at 8
  WormSurface(w);
  WormSurface(w);  // already up: nothing more
  EXPECT_EQ(CountOf('s'), 1);
  Run(w, 1);
  EXPECT_EQ(prey.Free, 1);
  // A new unit takes the slot on the same tile while the counter still reads 8.
  Put(4, 6, 2, 8, 8);
  Run(w, 3);
  EXPECT_EQ(Units[4].Free, 0);
  EXPECT_EQ(CountOf('r'), 1);
  EXPECT_EQ(CountOf('s'), 1);  // a surfaced worm never surfaces again

  // A prey whose slot went to a unit elsewhere is not eaten either.
  TWormRecord& w2 = Worm(20, 20, 2);
  Put(5, 6, 2, 3, 3);
  w2.Prey = 5;
  WormSurface(w2);
  Run(w2, 60);
  EXPECT_EQ(Units[5].Free, 0);
  EXPECT_EQ(w2.Hidden, 1);
}

TEST_F(WormsTest, DrawingNeitherEatsNorAdvancesTheStrike) {
  TWormRecord& w = Worm(3, 3);
  Put(2, 6, 2, 3, 3);
  w.Prey = 2;
  w.Hidden = 0;
  w.StrikeCounter = 8;
  ViewState.ViewX = ViewState.ViewY = 1;
  for (int i = 0; i < 50; ++i, ++WorldTickCount) DrawWorm(w);
  EXPECT_EQ(Units[2].Free, 0);
  EXPECT_EQ(w.StrikeCounter, 8);
  w.StrikeCounter = 0;
  DrawWorm(w);
  EXPECT_EQ(w.Hidden, 0);
}

TEST_F(WormsTest, PreyMustStandOnSandAndStayThere) {
  Put(1, 6, 2, 10, 10);
  Rock(10, 10);
  Put(2, 1, 2, 6, 6);   // an infantry squad is no prey
  Put(3, 14, 2, 7, 7);  // nor a carrier
  TWormRecord& w = Worm(5, 5);
  w.Facing = FacingSouthWest;
  EXPECT_EQ(FindPrey(w), 1);

  // Lowest slot wins a tie; the nearer one wins otherwise.
  GameMap.Cell(10, 10) = MakeTerrainByte(0, 0);
  TerrainChanged();
  Put(4, 6, 2, 5, 10);
  Put(5, 6, 2, 10, 5);
  EXPECT_EQ(FindPrey(w), 0);
  EXPECT_EQ(w.Prey, 4);
  // The trial paths leave the worm as it was.
  EXPECT_EQ(w.Facing, FacingSouthWest);
  EXPECT_EQ(w.PathLength, 0);
  EXPECT_EQ(w.MoveState, 0);
  EXPECT_EQ(w.StepProgress, 16);

  StartHunt(w);
  Run(w, 1);
  ASSERT_EQ(w.Behaviour, WormHunting);
  Rock(5, 10);  // the prey is now on rock
  Run(w, 20);
  EXPECT_EQ(w.Behaviour, WormResting);
}

TEST_F(WormsTest, WarnsOtherPlayersOnlyAsTheServerAndDiesBelowHalfHealth) {
  TWormRecord& w = Worm(5, 5);
  Put(1, 6, 2, 9, 9);
  w.Prey = 1;
  StartHunt(w);  // single play: the computer player needs no message
  EXPECT_EQ(CountOf('w'), 0);
  NetRole = RoleServer;
  PlayerConnections[2].Connection = 3;
  StartHunt(w);
  EXPECT_EQ(Net, (std::vector<std::pair<char, std::int32_t>>{{'w', 3}}));
  Units[1].Owner = 1;  // the local player hears the advisor instead
  StartHunt(w);
  EXPECT_EQ(CountOf('w'), 1);

  // Half of the health is still enough to stay.
  DamageWorm(w, 2500);
  EXPECT_EQ(w.Removed, 0);
  DamageWorm(w, 1);
  EXPECT_EQ(w.Removed, 1);
  EXPECT_EQ(CountOf('d'), 2);
}

TEST_F(WormsTest, PathSearchPrefersTheShorterWalkAndLeftOnTies) {
  TWormRecord& w = Worm(5, 5);
  w.DestX = 5;
  w.DestY = 1;
  Rock(5, 4);
  BuildWormPath(w);
  ASSERT_EQ(w.PathLength, 4);
  EXPECT_EQ(std::make_pair(w.Path[4].X, w.Path[4].Y), std::make_pair(4, 4));  // left
  EXPECT_EQ(std::make_pair(w.Path[1].X, w.Path[1].Y), std::make_pair(5, 1));
  Rock(4, 4);
  BuildWormPath(w);
  ASSERT_GT(w.PathLength, 0);
  EXPECT_EQ(std::make_pair(w.Path[w.PathLength].X, w.Path[w.PathLength].Y), std::make_pair(6, 4));

  // Walled in: no path, the worm gives up.
  for (int x = 1; x <= 30; ++x) Rock(x, 3);
  w.Behaviour = WormHunting;
  w.PathLength = 0;
  WormPathStep(w);
  EXPECT_EQ(w.PathLength, 0);
  EXPECT_EQ(w.Behaviour, WormGivingUp);
}

TEST_F(WormsTest, LongRoutesAreStoredTenStepsAtATimeAndHaveALimit) {
  SetMapSizeAndClear(128, 10);
  TWormRecord& w = Worm(1, 5);
  w.DestX = 16;
  w.DestY = 5;
  BuildWormPath(w);
  ASSERT_EQ(w.PathLength, 10);
  EXPECT_EQ(w.Path[10].X, 2);
  EXPECT_EQ(w.Path[1].X, 11);
  w.DestX = 100;  // 99 steps
  BuildWormPath(w);
  EXPECT_EQ(w.PathLength, 10);
  w.DestX = 101;  // exactly 100 steps fail
  BuildWormPath(w);
  EXPECT_EQ(w.PathLength, 0);

  // A destination beyond the last row is pulled onto it first.
  w.DestX = 3;
  w.DestY = 40;
  w.PathLength = 0;
  WormPathStep(w);
  EXPECT_EQ(w.DestY, 10);
  EXPECT_EQ(w.MoveState, 2);
}

// The prey is the nearest unit a trial path reaches: a nearer one walled in by rock is passed
// over, the lowest slot wins among equal distances, a unit 100 steps away is out of reach, and
// a unit that appears within the same tick is seen at once.
TEST_F(WormsTest, PreyIsTheNearestUnitAPathReaches) {
  SetMapSizeAndClear(128, 60);
  TWormRecord& w = Worm(10, 10);
  Put(7, UnitLightTank, 2, 13, 14);  // 5 away
  Put(3, UnitLightTank, 2, 15, 10);  // 5 away, lower slot
  Put(2, UnitLightTank, 2, 20, 20);
  ASSERT_EQ(FindPrey(w), 0);
  EXPECT_EQ(w.Prey, 3);
  EXPECT_EQ(w.TargetX, 15);
  EXPECT_EQ(w.TargetY, 10);

  // Slot 3 walled in: the other unit at the same distance.
  for (int x = 14; x <= 16; ++x)
    for (int y = 9; y <= 11; ++y)
      if (x != 15 || y != 10) Rock(x, y);
  ASSERT_EQ(FindPrey(w), 0);
  EXPECT_EQ(w.Prey, 7);
  // Walled in too: the farther one, on the same tick.
  for (int x = 12; x <= 14; ++x)
    for (int y = 13; y <= 15; ++y)
      if (x != 13 || y != 14) Rock(x, y);
  ++WorldTickCount;
  ASSERT_EQ(FindPrey(w), 0);
  EXPECT_EQ(w.Prey, 2);
  // A unit made in between, nearer: found without waiting for the next tick.
  Put(9, UnitQuad, 2, 11, 11);
  ASSERT_EQ(FindPrey(w), 0);
  EXPECT_EQ(w.Prey, 9);

  // Behind a wall whose one gap is a step between two corners: reached, past a nearer unit
  // walled in all round.
  KillAllUnits();
  TWormRecord& corner = Worm(40, 10, 3);
  Put(6, UnitLightTank, 2, 44, 10);
  for (int x = 43; x <= 45; ++x)
    for (int y = 9; y <= 11; ++y)
      if (x != 44 || y != 10) Rock(x, y);
  Put(8, UnitLightTank, 2, 50, 16);
  for (int x = 48; x <= 52; ++x)
    for (int y = 14; y <= 18; ++y)
      if ((x == 48 || x == 52 || y == 14 || y == 18) && (x != 48 || y != 14)) Rock(x, y);
  ASSERT_EQ(FindPrey(corner), 0);
  EXPECT_EQ(corner.Prey, 8);

  // Reach: 99 steps along a row is a path, 100 is none.
  KillAllUnits();
  TWormRecord& far = Worm(1, 40, 2);
  Put(4, UnitLightTank, 2, 101, 40);
  EXPECT_EQ(FindPrey(far), 1);
  Put(5, UnitLightTank, 2, 100, 40);
  ASSERT_EQ(FindPrey(far), 0);
  EXPECT_EQ(far.Prey, 5);

  // Behind such a wall too, past ten nearer units in rock rooms too large to be seen as pockets
  // at a glance.
  KillAllUnits();
  TWormRecord& rooms = Worm(80, 30, 4);
  const auto room = [](int cx, int cy, bool cornerGap) {
    for (int x = cx - 3; x <= cx + 3; ++x)
      for (int y = cy - 3; y <= cy + 3; ++y)
        if ((x == cx - 3 || x == cx + 3 || y == cy - 3 || y == cy + 3) && !(cornerGap && x == cx - 3 && y == cy - 3))
          Rock(x, y);
  };
  const std::pair<int, int> rooms10[] = {{66, 20}, {74, 20}, {82, 20}, {90, 20}, {98, 20},
                                         {58, 40}, {66, 40}, {74, 40}, {74, 4},  {82, 4}};
  for (int k = 0; k < 10; ++k) {
    room(rooms10[k].first, rooms10[k].second, false);
    Put(10 + k, UnitLightTank, 2, rooms10[k].first, rooms10[k].second);
  }
  room(100, 50, true);
  Put(30, UnitLightTank, 2, 100, 50);
  ASSERT_EQ(FindPrey(rooms), 0);
  EXPECT_EQ(rooms.Prey, 30);
}

// A resting worm remembers which sand joins it to the units about it, so that units walled off
// cost no trial path on every tick; a change of the terrain is seen at once.
TEST_F(WormsTest, AWallOpenedOrClosedChangesWhatAWaitingWormReaches) {
  SetMapSizeAndClear(64, 64);
  TWormRecord& w = Worm(10, 10);
  Put(5, UnitLightTank, 2, 30, 30);
  for (int x = 29; x <= 31; ++x)
    for (int y = 29; y <= 31; ++y)
      if (x != 30 || y != 30) Rock(x, y);
  Put(6, UnitLightTank, 2, 40, 40);
  for (int x = 39; x <= 41; ++x)
    for (int y = 39; y <= 41; ++y)
      if (x != 40 || y != 40) Rock(x, y);
  for (int tick = 0; tick < 3; ++tick) {
    ++WorldTickCount;
    EXPECT_EQ(FindPrey(w), 1);
  }
  Sand(31, 31);  // a gap in the nearer wall
  ASSERT_EQ(FindPrey(w), 0);
  EXPECT_EQ(w.Prey, 5);
  Rock(31, 31);
  Sand(39, 39);
  ASSERT_EQ(FindPrey(w), 0);
  EXPECT_EQ(w.Prey, 6);

  // A test that writes the terrain behind the counter's back is told so.
  Rock(39, 39);
  EXPECT_EQ(FindPrey(w), 1);
  GameMap.Cell(39, 39) = MakeTerrainByte(0, 0);
  EXPECT_THROW(FindPrey(w), std::logic_error);
}

}  // namespace
