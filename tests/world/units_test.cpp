#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/world/dobjects.h"
#include "tests/world/empty_world.h"

using namespace zarn;

namespace {

struct SentText {
  std::int32_t player;
  std::string text;
};
std::vector<SentText> Sent;

struct InitBroadcast {
  std::int32_t x, y, slot, side, owner, kind;
  std::uint8_t slotWasFree;
};
std::vector<InitBroadcast> Broadcasts;

void RecordText(std::int32_t player, std::string_view text) { Sent.push_back({player, std::string(text)}); }

void RecordInit(std::int32_t x, std::int32_t y, std::int32_t slot, std::int32_t side,
                std::int32_t owner, std::int32_t kind) {
  Broadcasts.push_back({x, y, slot, side, owner, kind, Units[slot].Free});
}

class UnitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHooks();
    NetSendTextToPlayerProc = RecordText;
    NetBroadcastInitUnitProc = RecordInit;
    Sent.clear();
    Broadcasts.clear();
    NoUnitsOrBuildings();
    for (TWormRecord& w : Worms) w.Removed = 1;
    for (TOssinFieldRecord& f : OssinFields) f.Free = 1;
    for (TOssinBloomRecord& b : OssinBlooms) b.Removed = 1;
    for (TPlayerRecord& p : Players) p = TPlayerRecord{};
    UnitSlots = 200;
    BuildingSlots = 200;
    Mission.PlayerCount = 2;
    NetRole = RoleSingle;
    LocalPlayer = 1;
    WorldTickCount = 500;
    GameOptions.MessageEnable = true;
    MessageLine.Hidden = 1;
    MessageLine.TextLength = 0;
  }
  void TearDown() override { ResetHooks(); }

  static void AddBuilding(int slot, std::uint8_t owner, std::uint8_t kind) {
    Buildings[slot].Free = 0;
    Buildings[slot].Owner = owner;
    Buildings[slot].Kind = kind;
    ++BuildingChanges;  // written behind InitBuilding's back
  }
  static std::string ShownLine() { return std::string(MessageLine.View()); }
};

}  // namespace

TEST_F(UnitsTest, OneConstructionYardLetsProductionStopBeforeTheCap) {
  AddBuilding(1, 1, BuildingConstructionYard);
  AddBuilding(2, 1, BuildingSlab);
  AddBuilding(3, 2, BuildingBarracks);  // another player's barracks adds nothing
  EXPECT_EQ(UnitCapOfPlayer(1), 5);
  for (int i = 0; i < 4; ++i) ASSERT_EQ(ProduceUnit(10, 10, 1, 0, 1, UnitTrike), 0) << i;
  EXPECT_EQ(ShownLine(), ToFontCodePage("Наш объект ожидает"_cp1251));
  EXPECT_EQ(ProduceUnit(10, 10, 1, 0, 1, UnitTrike), 1);
  EXPECT_EQ(ShownLine(), ToFontCodePage("Нельзя создать больше"_cp1251));
  EXPECT_EQ(CountUnitsOfPlayer(1), 4);
  // The world may still bring the player up to the cap itself, silently.
  MessageLine.TextLength = 0;
  EXPECT_NE(CreateUnitAt(12, 12, UnitQuad, 0, 0, 1), 0);
  EXPECT_EQ(CreateUnitAt(12, 13, UnitQuad, 0, 0, 1), 0);
  EXPECT_EQ(CountUnitsOfPlayer(1), 5);
  EXPECT_EQ(ShownLine(), "");
  // Barracks raise the cap by 20.
  AddBuilding(4, 1, BuildingBarracks);
  EXPECT_EQ(UnitCapOfPlayer(1), 25);
  EXPECT_EQ(ProduceUnit(10, 10, 1, 0, 1, UnitTrike), 0);
  EXPECT_EQ(CountBuildingsOfPlayer(1), 2);  // the slab is not a building that counts
}

TEST_F(UnitsTest, EachPlayerGetsItsShareOfTheSlots) {
  Mission.PlayerCount = 8;
  for (int b = 1; b <= 10; ++b) AddBuilding(b, 3, BuildingBarracks);
  EXPECT_EQ(UnitShareOfPlayer(), 25);
  int made = 0;
  while (ProduceUnit(20, 20, 1, 1, 3, UnitLightTank) == 0 && made < 100) ++made;
  EXPECT_EQ(made, 24);
  EXPECT_EQ(CreateUnitAt(20, 21, UnitLightTank, 0, 1, 3) != 0, true);  // the 25th
  EXPECT_EQ(CreateUnitAt(20, 22, UnitLightTank, 0, 1, 3), 0);
  // A mission without a player count shares among one player rather than dividing by zero.
  Mission.PlayerCount = 0;
  EXPECT_EQ(UnitShareOfPlayer(), 200);
  Mission.PlayerCount = -3;
  EXPECT_EQ(UnitShareOfPlayer(), 200);
  EXPECT_NE(CreateUnitAt(20, 23, UnitLightTank, 0, 1, 3), 0);
}

TEST_F(UnitsTest, SlotSearchAndCountsCoverTheLastSlotButNeverSlotZero) {
  UnitSlots = 5;
  for (int i = 1; i <= 4; ++i) Units[i].Free = 0;
  std::uint16_t slot = 99;
  ASSERT_EQ(FindFreeUnitSlot(slot), 0);
  EXPECT_EQ(slot, 5);
  Units[5].Free = 0;
  Units[5].Owner = 7;
  RebuildTileIndex();  // written directly
  EXPECT_EQ(FindFreeUnitSlot(slot), 1);  // slot 0 and slot 6 are free but not in play
  EXPECT_EQ(CountLiveUnits(), 5);
  EXPECT_EQ(CountUnitsOfPlayer(7), 1);
  // A slot count past the table is kept within it.
  UnitSlots = 5000;
  EXPECT_EQ(FindFreeUnitSlot(slot), 0);
  EXPECT_EQ(slot, 6);
  UnitSlots = 200;

  BuildingSlots = 3;
  AddBuilding(3, 2, BuildingConstructionYard);
  AddBuilding(4, 2, BuildingConstructionYard);  // beyond BuildingSlots
  EXPECT_EQ(CountLiveBuildings(), 1);
  EXPECT_EQ(UnitCapOfPlayer(2), 5);
  Worms[10].Removed = 0;
  OssinFields[1000].Free = 0;
  OssinBlooms[100].Removed = 0;
  OssinBlooms[1].Removed = 0;
  EXPECT_EQ(CountLiveWorms(), 1);
  EXPECT_EQ(CountLiveOssinFields(), 1);
  EXPECT_EQ(CountLiveBlooms(), 2);
}

TEST_F(UnitsTest, SlotCountsPastTheTablesStopAtTheirLastSlots) {
  // Full tables with counts beyond them: no free slot, and no step past the last one.
  for (TUnitRecord& u : Units) u.Free = 0;
  for (TBuildingRecord& b : Buildings) b.Free = 0;
  ++BuildingChanges;
  UnitSlots = BuildingSlots = 5000;
  std::uint16_t slot = 0;
  EXPECT_EQ(FindFreeUnitSlot(slot), 1);
  EXPECT_EQ(FindFreeBuildingSlot(slot), 1);
  EXPECT_EQ(CountLiveUnits(), MaxUnitSlots);
  EXPECT_EQ(CountLiveBuildings(), MaxBuildingSlots);
}

TEST_F(UnitsTest, InitUnitGivesEveryKindItsRuleValues) {
  for (std::uint8_t kind = 0; kind < UnitKindCount; ++kind) {
    TUnitRecord u;
    std::memset(&u, 0xA5, sizeof u);  // whatever the slot held before
    InitUnit(u, 7, 9, 33, 2, 2, kind);
    std::int32_t health;
    std::int16_t damage;
    std::uint16_t turn, range, minRange;
    UnitTypeStats(kind, health, damage, turn, range, minRange);
    EXPECT_EQ(u.Health, health);
    EXPECT_EQ(u.MaxHealth, health);
    EXPECT_EQ(u.Damage, damage);
    EXPECT_EQ(u.Range, range);
    EXPECT_EQ(u.MinRange, minRange);
    EXPECT_EQ(u.FireInterval, UnitFireInterval(kind));
    EXPECT_EQ(u.Kind, kind);
    EXPECT_EQ(u.Free, 0);
    EXPECT_EQ(u.OffMap, 0);
    EXPECT_EQ(u.CargoCount, 0);
    EXPECT_EQ(u.Load, 0);
  }
  EXPECT_EQ(Players[2].UnitsMade, UnitKindCount);
  // A fresh rocket launcher as saved games store it, over a slot full of old bytes.
  TUnitRecord u;
  std::memset(&u, 0xA5, sizeof u);
  InitUnit(u, 3, 4, 5, 1, 1, UnitRocketLauncher);
  const auto* b = reinterpret_cast<const std::uint8_t*>(&u);
  // {offset, width, value}: health, tiles, slot, timers and periods, ranges, capacity, state,
  // facings, the four start ticks, path, conversion and selection bytes, marker, targeting.
  const int expected[][3] = {
      {0, 2, 100}, {4, 2, 3},   {6, 2, 4},   {12, 2, 5},   {14, 2, 0},  {16, 2, 16},
      {18, 2, 1},  {20, 2, 360}, {22, 2, 54}, {24, 2, 18},  {26, 2, 360}, {28, 2, 18},
      {30, 2, 8},  {32, 2, 3},   {36, 2, 700}, {48, 4, 100}, {69, 1, 0},  {70, 1, 10},
      {73, 1, 2},  {74, 1, 2},   {76, 4, 500}, {80, 4, 500}, {84, 4, 500}, {96, 4, 500},
      {220, 2, 0}, {236, 1, 1},  {237, 1, 1},  {246, 1, 1},  {256, 1, 1}};
  for (const auto& e : expected) {
    std::int32_t v = 0;
    for (int k = e[1] - 1; k >= 0; --k) v = v << 8 | b[e[0] + k];
    EXPECT_EQ(v, e[2]) << "offset " << e[0];
  }
}

TEST_F(UnitsTest, RefusalsAndNoticesReachOnlyThePlayerConcerned) {
  AddBuilding(1, 1, BuildingConstructionYard);
  AddBuilding(2, 2, BuildingConstructionYard);
  Mission.PlayerCount = 2;
  UnitSlots = 2;  // one slot each: production refuses at once

  // Single play: a computer player's refusal is neither shown nor sent.
  EXPECT_EQ(ProduceUnit(5, 5, 1, 1, 2, UnitTrike), 1);
  EXPECT_TRUE(Sent.empty());
  EXPECT_EQ(ShownLine(), "");
  // The local player sees it, converted for the fonts.
  EXPECT_EQ(ProduceUnit(5, 5, 1, 0, 1, UnitTrike), 1);
  EXPECT_EQ(ShownLine(), ToFontCodePage("Нельзя создать больше"_cp1251));
  EXPECT_TRUE(Sent.empty());
  // The server sends it to the remote seat as it is.
  NetRole = RoleServer;
  MessageLine.TextLength = 0;
  EXPECT_EQ(ProduceUnit(5, 5, 1, 1, 2, UnitTrike), 1);
  ASSERT_EQ(Sent.size(), 1u);
  EXPECT_EQ(Sent[0].player, 2);
  EXPECT_EQ(Sent[0].text, std::string("Нельзя создать больше"_cp1251));
  EXPECT_EQ(ShownLine(), "");
  // A client never speaks for the server.
  NetRole = RoleClient;
  EXPECT_EQ(ProduceUnit(5, 5, 1, 1, 2, UnitTrike), 1);
  EXPECT_EQ(Sent.size(), 1u);

  // The server's announcement of a finished unit goes the same way.
  NetRole = RoleServer;
  UnitSlots = 200;
  EXPECT_EQ(ProduceUnit(5, 5, 1, 1, 2, UnitTrike), 0);
  ASSERT_EQ(Sent.size(), 2u);
  EXPECT_EQ(Sent[1].text, std::string("Наш объект ожидает"_cp1251));
  // Nothing was changed by the refusals.
  EXPECT_EQ(CountLiveUnits(), 1);
}

TEST_F(UnitsTest, ServerBroadcastsACreationBeforeFillingTheSlot) {
  AddBuilding(1, 4, BuildingConstructionYard);
  AddBuilding(2, 1, BuildingConstructionYard);
  NetRole = RoleServer;
  const std::uint16_t slot = CreateUnitAt(30, 31, UnitHarvester, 0, 3, 4);
  ASSERT_NE(slot, 0);
  ASSERT_EQ(Broadcasts.size(), 1u);
  const InitBroadcast& b = Broadcasts[0];
  EXPECT_EQ(b.slotWasFree, 1);
  EXPECT_EQ(b.x, 30);
  EXPECT_EQ(b.y, 31);
  EXPECT_EQ(b.slot, slot);
  EXPECT_EQ(b.side, 3);
  EXPECT_EQ(b.owner, 4);
  EXPECT_EQ(b.kind, UnitHarvester);
  // Single play broadcasts nothing.
  NetRole = RoleSingle;
  EXPECT_NE(CreateUnitAt(30, 32, UnitTrike, 0, 0, 1), 0);
  EXPECT_EQ(Broadcasts.size(), 1u);
}

TEST_F(UnitsTest, CreationOffTheMapAndRemoval) {
  AddBuilding(1, 1, BuildingConstructionYard);
  const std::uint16_t carried = CreateUnitAt(8, 8, UnitHarvester, 1, 0, 1);
  ASSERT_NE(carried, 0);
  EXPECT_EQ(Units[carried].OffMap, 1);
  const std::uint16_t s = CreateUnitAt(9, 9, UnitTrike, 0, 0, 1);
  ASSERT_NE(s, 0);
  EXPECT_EQ(Units[s].OffMap, 0);
  // Kinds and owners that do not exist are refused.
  EXPECT_EQ(CreateUnitAt(9, 9, 16, 0, 0, 1), 0);
  EXPECT_EQ(CreateUnitAt(9, 9, UnitTrike, 0, 0, 0), 0);
  EXPECT_EQ(CreateUnitAt(9, 9, UnitTrike, 0, 0, 9), 0);
  EXPECT_EQ(ProduceUnit(9, 9, 1, 0, 1, 200), 1);

  SelectUnit(Units[s]);
  EXPECT_EQ(Units[s].Deselected, 0);
  Units[s].TargetSlot = 12;
  Units[s].PathLength = 3;
  Units[s].Health = 17;
  RemoveUnit(Units[s]);
  EXPECT_EQ(Units[s].Free, 1);
  EXPECT_EQ(Units[s].OffMap, 1);
  EXPECT_EQ(Units[s].Deselected, 1);
  EXPECT_EQ(Units[s].TargetSlot, 0);
  EXPECT_EQ(Units[s].PathLength, 0);
  EXPECT_EQ(Units[s].Health, 17);  // left for the next InitUnit
  EXPECT_EQ(CountUnitsOfPlayer(1), 1);
  std::uint16_t slot = 0;
  ASSERT_EQ(FindFreeUnitSlot(slot), 0);
  EXPECT_EQ(slot, s);
}

TEST_F(UnitsTest, AProducedHarvesterNearAResourceCellStartsHarvesting) {
  AddBuilding(1, 1, BuildingConstructionYard);
  AddBuilding(2, 1, BuildingBarracks);
  OssinFields[40].Free = 0;
  OssinFields[40].X = 14;
  OssinFields[40].Y = 12;
  OssinFields[40].Amount = 100;
  ASSERT_EQ(ProduceUnit(10, 10, 2, 0, 1, UnitHarvester), 0);
  std::uint16_t h = 0;
  for (int i = 1; i <= UnitSlots; ++i)
    if (Units[i].Free == 0) h = static_cast<std::uint16_t>(i);
  ASSERT_NE(h, 0);
  EXPECT_EQ(Units[h].State, StateHarvest);
  EXPECT_EQ(Units[h].TargetSlot, 40);
  // Far from any cell it stays fresh.
  OssinFields[40].Free = 1;
  const std::uint16_t idle = CreateUnitAt(40, 40, UnitHarvester, 0, 0, 1);
  ASSERT_NE(idle, 0);
  EXPECT_EQ(Units[idle].State, StateIdle);
}
