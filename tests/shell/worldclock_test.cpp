#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/base/dvga.h"
#include "game/shell/worldclock.h"
#include "game/net/netgame.h"
#include "game/world/dobjects.h"

using namespace zarn;

namespace {

// One visit of the clock: what was called, on which slot, at which world tick.
struct Visit {
  char what;  // W worm, U unit, B building, S unit shot, T building shot, P player, G goal,
              // N start net game, Z snapshots, A anim counters, L list repeat
  int slot;
  int tick;
  bool operator==(const Visit&) const = default;
};

std::vector<Visit> Log;

template <typename T, typename TableT>
int SlotOf(const TableT& table, const T& record) {
  return static_cast<int>(&record - table.begin()) + TableT::Low;
}

void Record(char what, int slot) { Log.push_back({what, slot, WorldTickCount}); }

const TWorldClockCalls Recording{
    [](TWormRecord& w) { Record('W', SlotOf(Worms, w)); },
    [](TUnitRecord& u) { Record('U', SlotOf(Units, u)); },
    [](TBuildingRecord& b) { Record('B', SlotOf(Buildings, b)); },
    [](TShotRecord& s) { Record('S', SlotOf(UnitShots, s)); },
    [](TShotRecord& s) { Record('T', SlotOf(BuildingShots, s)); },
    [](TPlayerRecord& p) { Record('P', SlotOf(Players, p)); },
    [](TMissionRecord&) { Record('G', 0); },
    [] {
      Record('N', 0);
      NetGameStarted = 1;
    },
    [] { Record('Z', 0); },
    [] { Record('A', 0); },
    [](MenuList list, std::int32_t, std::int32_t) { Record('L', static_cast<int>(list)); },
};

// How many visits of one kind, and the slots visited in order.
std::vector<int> Slots(const std::vector<Visit>& log, char what) {
  std::vector<int> out;
  for (const Visit& v : log)
    if (v.what == what) out.push_back(v.slot);
  return out;
}

std::vector<int> Range(int from, int to) {
  std::vector<int> out;
  for (int i = from; i <= to; ++i) out.push_back(i);
  return out;
}

class WorldClock : public ::testing::Test {
 protected:
  void SetUp() override {
    // Units of an earlier test would stand off the map yet in the tile index, and a network
    // game of an earlier test would leave its role.
    EmptyTheWorld();
    NetTeardown();
    NetRole = RoleSingle;
    Log.clear();
    WorldClockCalls = Recording;
    SetDefaultOptions();
    GameScreen = 0;
    WorldTickCount = 0;
    TickCount = 0;
    Mission.PlayerCount = 2;
    for (auto& u : Units) u.OffMap = 1;
    RebuildTileIndex();
    for (auto& w : Worms) w.Removed = 1;
    // Shots in flight: the clock passes over the others.
    for (auto& s : UnitShots) s.Active = 0;
    for (auto& s : BuildingShots) s.Active = 0;
    for (const int s : FlyingShots) UnitShots[s].Active = BuildingShots[s].Active = 1;
  }
  static constexpr int FlyingShots[] = {1, 77, 150};
  // The shot visits of one tick, unit shots first.
  static void WantShots(std::vector<Visit>& want, int tick) {
    for (const char what : {'S', 'T'})
      for (const int s : FlyingShots) want.push_back({what, s, tick});
  }
  void TearDown() override { WorldClockCalls = DefaultWorldClockCalls; }

  // A unit slot put on the map, told to the index as the game tells it.
  static void Place(int slot) {
    Units[slot].OffMap = 0;
    UnitTilesChanged(Units[slot]);
  }
  // Buildings 1..n live (the clock visits live slots only: a free slot's tick does nothing).
  static void LiveBuildings(int n) {
    for (int b = 1; b <= n; ++b) Buildings[b].Free = 0;
    ++BuildingChanges;
  }

  // The visits of one timer event.
  std::vector<Visit> Event() {
    Log.clear();
    WorldTimerStep();
    return Log;
  }
};

}  // namespace

TEST_F(WorldClock, SinglePlayVisitsTheWorldInOrderOverManySteps) {
  UnitSlots = 5;
  BuildingSlots = 3;
  LocalPlayer = 2;
  Mission.PlayerCount = 4;
  Worms[2].Removed = 0;
  Worms[10].Removed = 0;
  Place(0);  // the delivery carrier
  Place(3);
  Place(5);  // the last slot in play
  Place(6);  // beyond UnitSlots
  LiveBuildings(4);     // the last one beyond BuildingSlots

  for (int step = 1; step <= 130; ++step) {
    const std::vector<Visit> log = Event();
    ASSERT_EQ(WorldTickCount, step);
    const int t = step;
    std::vector<Visit> want{{'A', 0, t - 1}, {'W', 2, t}, {'W', 10, t}, {'U', 0, t}, {'U', 3, t},
                            {'U', 5, t}};
    if ((t & 3) == 3)
      for (int b = 1; b <= 3; ++b) want.push_back({'B', b, t});
    WantShots(want, t);
    if ((t & 31) == 31)
      for (int p = 2; p <= 4; ++p) want.push_back({'P', p, t});
    want.push_back({'G', 0, t});
    ASSERT_EQ(log, want) << "step " << step;
  }
}

TEST_F(WorldClock, SinglePlayFirstBuildingPlayerStepsAndDefaultSlotCount) {
  // Default 200 slots: units 0..200 all visited when on the map.
  for (int i = 0; i <= 1000; ++i) Place(i);
  LiveBuildings(1);
  std::vector<int> firstBuilding, firstPlayer;
  for (int step = 1; step <= 32; ++step) {
    const auto log = Event();
    if (step == 1) {
      EXPECT_EQ(Slots(log, 'U'), Range(0, 200));
    }
    if (!Slots(log, 'B').empty() && firstBuilding.empty()) firstBuilding.push_back(step);
    if (!Slots(log, 'P').empty() && firstPlayer.empty()) firstPlayer.push_back(step);
  }
  EXPECT_EQ(firstBuilding, std::vector<int>{3});
  EXPECT_EQ(firstPlayer, std::vector<int>{31});
}

TEST_F(WorldClock, PlayerStepSkippedWhenLocalPlayerBeyondCountAndCappedAtEight) {
  WorldTickCount = 30;
  LocalPlayer = 3;
  Mission.PlayerCount = 2;
  EXPECT_TRUE(Slots(Event(), 'P').empty());
  // A mission claiming more than eight players never indexes past the table.
  WorldTickCount = 62;
  LocalPlayer = 1;
  Mission.PlayerCount = 12;
  EXPECT_EQ(Slots(Event(), 'P'), Range(1, 8));
}

TEST_F(WorldClock, WorldStandsStillOnMenusInSinglePlay) {
  for (int screen : {1, 6, 7, 21, 40, 41, 255}) {
    GameScreen = static_cast<std::uint8_t>(screen);
    const auto log = Event();
    EXPECT_EQ(WorldTickCount, 0) << screen;
    // Only the menu animation counters (and a list's repeat) on these screens.
    for (const Visit& v : log) {
      EXPECT_TRUE(v.what == 'A' || v.what == 'L') << screen;
    }
  }
}

TEST_F(WorldClock, MenuListsRepeatOnTheirScreens) {
  const std::vector<std::pair<int, int>> lists{{8, 0},  {9, 0},  {10, 0}, {12, 0}, {13, 0},
                                               {22, 0}, {26, 0}, {27, 0}, {30, 0}, {33, 0},
                                               {34, 0}, {36, 0}, {31, 1}, {39, 2}, {40, 3}};
  for (auto [screen, list] : lists) {
    GameScreen = static_cast<std::uint8_t>(screen);
    EXPECT_EQ(Slots(Event(), 'L'), std::vector<int>{list}) << screen;
  }
  for (int screen : {7, 11, 14, 21, 23, 25, 28, 29, 32, 35, 37, 38, 41}) {
    GameScreen = static_cast<std::uint8_t>(screen);
    EXPECT_TRUE(Slots(Event(), 'L').empty()) << screen;
  }
}

TEST_F(WorldClock, ClientStepsOnlyTheShots) {
  NetRole = RoleClient;
  Place(1);
  Worms[1].Removed = 0;
  GameOptions.CrowEnable = true;
  EXPECT_TRUE(Slots(Event(), 'S').empty());  // not started yet
  EXPECT_EQ(WorldTickCount, 0);

  NetGameStarted = 1;
  for (int step = 1; step <= 8; ++step) {
    const auto log = Event();
    EXPECT_EQ(WorldTickCount, step);
    std::vector<Visit> want{{'A', 0, step - 1}};
    WantShots(want, step);
    ASSERT_EQ(log, want);
  }
}

TEST_F(WorldClock, ServerStartsWhenEverySeatHasASideThenSteps) {
  NetRole = RoleServer;
  GameOptions.Partners = 3;
  PlayerConnections[1].Side = 0;
  PlayerConnections[4].Side = 2;
  EXPECT_EQ(CountUsedPlayerSlots(), 2);
  EXPECT_TRUE(Slots(Event(), 'N').empty());
  EXPECT_EQ(WorldTickCount, 0);

  PlayerConnections[8].Side = 1;
  const auto log = Event();
  EXPECT_EQ(Slots(log, 'N').size(), 1u);
  // The started game steps in the same event.
  EXPECT_EQ(WorldTickCount, 1);
  EXPECT_EQ(Slots(log, 'Z').size(), 1u);
  EXPECT_TRUE(Slots(Event(), 'N').empty());
}

TEST_F(WorldClock, ServerStepVisitsEverySeatEveryFourthTickAndHasNoGoal) {
  NetRole = RoleServer;
  NetGameStarted = 1;
  UnitSlots = 2;
  BuildingSlots = 2;
  LiveBuildings(2);
  Place(2);
  Worms[4].Removed = 0;
  WorldTickCount = 2;
  const auto log = Event();  // t = 3
  std::vector<Visit> want{{'A', 0, 2}, {'U', 2, 3}, {'B', 1, 3}, {'B', 2, 3}};
  WantShots(want, 3);
  for (int p = 1; p <= 8; ++p) want.push_back({'P', p, 3});
  want.push_back({'Z', 0, 3});
  EXPECT_EQ(log, want);  // worms only with CrowEnable; no goal test

  GameOptions.CrowEnable = true;
  const auto next = Event();  // t = 4
  EXPECT_EQ(Slots(next, 'W'), std::vector<int>{4});
  EXPECT_TRUE(Slots(next, 'B').empty());
  EXPECT_TRUE(Slots(next, 'P').empty());
}

TEST_F(WorldClock, ServerWithBuildMenuOpenStepsLikeThePlayScreen) {
  NetRole = RoleServer;
  NetGameStarted = 1;
  Place(1);
  std::vector<std::vector<Visit>> onPlay, onMenu;
  for (int i = 0; i < 8; ++i) onPlay.push_back(Event());
  WorldTickCount = 0;
  for (int screen = 1; screen <= 6; ++screen) {
    GameScreen = static_cast<std::uint8_t>(screen);
    onMenu.push_back(Event());
  }
  GameScreen = 2;
  onMenu.push_back(Event());
  onMenu.push_back(Event());
  EXPECT_EQ(onMenu, onPlay);
  EXPECT_EQ(WorldTickCount, 8);

  // The in-game menu stops it.
  GameScreen = 7;
  Event();
  EXPECT_EQ(WorldTickCount, 8);
}

TEST_F(WorldClock, NetWorldTickHookTargetStepsByRole) {
  NetRole = RoleServer;
  Log.clear();
  NetWorldTick();
  EXPECT_EQ(Slots(Log, 'Z').size(), 1u);
  NetRole = RoleClient;
  Log.clear();
  NetWorldTick();
  EXPECT_TRUE(Slots(Log, 'Z').empty());
  EXPECT_EQ(Slots(Log, 'T'), std::vector<int>(std::begin(FlyingShots), std::end(FlyingShots)));
}

TEST(WorldClockSpeed, IntervalFollowsGameSpeedAndNeverStopsTheClock) {
  const std::vector<std::pair<int, int>> cases{{15, 159}, {16, 106}, {17, 53},
                                               {18, 53},  {99, 53},  {0, 954}, {-5, 954}};
  for (auto [speed, ms] : cases) {
    GameOptions.GameSpeed = speed;
    ApplyGameSpeed();
    EXPECT_EQ(WorldTimerInterval, ms) << speed;
  }
  GameOptions.GameSpeed = 17;
}

TEST(WorldClockSpeed, InterfaceTimerCountsOnEveryScreen) {
  TickCount = 0;
  for (int screen : {0, 7, 21}) {
    GameScreen = static_cast<std::uint8_t>(screen);
    InterfaceTimerStep();
  }
  EXPECT_EQ(TickCount, 3);
  GameScreen = 0;
}

TEST(WorldClockMenus, TheTimerStepsTheMenuAnimationCounters) {
  WorldClockCalls = DefaultWorldClockCalls;
  const std::int32_t savedScreen = GameScreen;
  GameScreen = 21;  // the main menu: nothing but the counters moves
  TickCount = 1000;
  for (TAnimCounter& c : AnimCounters) AnimCounterInit(c, 5, 260, 2);
  const int before = AnimCounters[1].CurrentFrame;
  WorldTimerStep();
  TickCount += 2;
  WorldTimerStep();
  for (const TAnimCounter& c : AnimCounters) EXPECT_NE(c.CurrentFrame, before);
  GameScreen = static_cast<std::uint8_t>(savedScreen);
}
