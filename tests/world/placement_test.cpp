#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/world/dobjects.h"
#include "tests/world/empty_world.h"

using namespace zarn;

namespace {

constexpr std::uint8_t Rock = 4 << 5;  // terrain class 4 carries buildings
constexpr std::uint8_t Sand = 0;

std::vector<std::pair<std::int32_t, std::string>> SentTexts;
std::vector<std::int32_t> Waves;
std::vector<std::int32_t> PlaceRequests, DeployRequests, RemovedUnits;

class PlacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHooks();
    SentTexts.clear();
    Waves.clear();
    PlaceRequests.clear();
    DeployRequests.clear();
    RemovedUnits.clear();
    NetSendTextToPlayerProc = [](std::int32_t p, std::string_view t) { SentTexts.emplace_back(p, std::string(t)); };
    PlaySoundProc = [](std::int32_t, std::int32_t wave) { Waves.push_back(wave); };
    NetPlaceBuildingProc = [](std::int32_t x, std::int32_t, std::int32_t kind, std::int32_t, std::int32_t) {
      PlaceRequests.push_back(kind * 1000 + x);
    };
    NetDeployUnitProc = [](std::int32_t u) { DeployRequests.push_back(u); };
    NetRemoveUnitProc = [](std::int32_t u) { RemovedUnits.push_back(u); };
    EmptyWorld64();
    for (int x = 1; x <= 64; ++x)
      for (int y = 1; y <= 64; ++y) GameMap.Cell(x, y) = Rock;
    UnitSlots = 200;
    BuildingSlots = 200;
    Mission = TMissionRecord{{}, 2, 1, GoalCredits2000, {}, 0};
    NetRole = RoleSingle;
    LocalPlayer = 1;
    WorldTickCount = 100;
    GameOptions.MessageEnable = true;
    GameOptions.SoundEnable = true;
    MessageLine.Hidden = 1;
    MessageLine.TextLength = 0;
  }
  void TearDown() override {
    ResetHooks();
    NetRole = RoleSingle;
  }

  static TBuildingRecord& Put(std::uint8_t kind, std::uint8_t owner, int x, int y) {
    std::uint16_t slot = 0;
    EXPECT_EQ(FindFreeBuildingSlot(slot), 0);
    InitBuilding(Buildings[slot], x, y, kind, owner, 1, slot);
    return Buildings[slot];
  }
  static TUnitRecord& PutUnit(std::uint8_t kind, std::uint8_t owner, int x, int y) {
    std::uint16_t slot = 0;
    EXPECT_EQ(FindFreeUnitSlot(slot), 0);
    InitUnit(Units[slot], x, y, slot, 1, owner, kind);
    return Units[slot];
  }
  static TBuildingRecord* At(int x, int y, std::uint8_t kind) {
    for (int i = 1; i <= BuildingSlots; ++i)
      if (Buildings[i].Free == 0 && Buildings[i].Kind == kind && Buildings[i].X == x && Buildings[i].Y == y)
        return &Buildings[i];
    return nullptr;
  }
  static std::string Shown() { return MessageLine.Hidden ? "" : std::string(MessageLine.View()); }
  static int PlaceSounds() {
    int n = 0;
    for (int w : Waves) n += w == 87;
    return n;
  }
};

}  // namespace

TEST_F(PlacementTest, AnyonesSlabOrWallConnectsButOnlyOwnBuildingsDo) {
  Put(BuildingSlab, 2, 9, 10);  // the enemy's slab left of (10, 10)
  EXPECT_EQ(LacksConnection(10, 10, 1, 1), 0);
  EXPECT_EQ(PlaceBuilding(10, 10, BuildingBarracks, 1, 1), 0);

  Put(BuildingBarracks, 2, 30, 30);  // only an enemy building touches (32, 30)
  EXPECT_EQ(LacksConnection(32, 30, 1, 1), 1);
  EXPECT_EQ(PlaceBuilding(32, 30, BuildingSilo, 1, 1), 1);
  // The message line holds 40 characters.
  EXPECT_EQ(Shown(), ToFontCodePage("Нельзя построить, отсутствуют коммуникации"_cp1251).substr(0, 40));
  EXPECT_EQ(At(32, 30, BuildingSilo), nullptr);
  EXPECT_EQ(LacksConnection(32, 30, 1, 2), 0);  // its owner may

  Put(BuildingWall, 2, 50, 49);  // a corner of the ring counts too
  EXPECT_EQ(LacksConnection(51, 50, 0, 1), 0);
  EXPECT_EQ(LacksConnection(52, 50, 0, 1), 1);
}

TEST_F(PlacementTest, SlabsUnderTheFootprintSetTheStartingHealthAndAreTakenUp) {
  // 2 x 2 barracks (200): none 50 %, one 62 %, two 75 %, four 100 %.
  const int cases[4][2] = {{0, 100}, {1, 124}, {2, 150}, {4, 200}};
  int x = 5;
  for (const auto& c : cases) {
    for (int i = 0; i < c[0]; ++i) Put(BuildingSlab, 1, x + i % 2, 3 + i / 2);
    Put(BuildingWall, 1, x, 2);  // contact
    ASSERT_EQ(PlaceBuilding(x, 3, BuildingBarracks, 1, 1), 0) << c[0];
    EXPECT_EQ(At(x, 3, BuildingBarracks)->Health, c[1]) << c[0];
    EXPECT_EQ(At(x, 3, BuildingBarracks)->MaxHealth, 200);
    for (int i = 0; i < c[0]; ++i) EXPECT_EQ(At(x + i % 2, 3 + i / 2, BuildingSlab), nullptr);
    x += 4;
  }
  // A 3 x 3 palace over four of its nine: 50 + Trunc(4 / 9 x 50) = 72 %.
  Put(BuildingWall, 1, 30, 19);
  for (int i = 0; i < 4; ++i) Put(BuildingSlab, 1, 30 + i, 20);  // the fourth lies outside
  Put(BuildingSlab, 1, 30, 21);
  ASSERT_EQ(PlaceBuilding(30, 20, BuildingPalace, 1, 1), 0);
  EXPECT_EQ(At(30, 20, BuildingPalace)->Health, 720);
  EXPECT_NE(At(33, 20, BuildingSlab), nullptr);

  // A turret on a slab starts whole; on bare rock at half.
  Put(BuildingSlab, 1, 40, 40);
  Put(BuildingSlab, 1, 40, 39);
  ASSERT_EQ(PlaceBuilding(40, 40, BuildingGunTurret, 1, 1), 0);
  EXPECT_EQ(At(40, 40, BuildingGunTurret)->Health, 140);
  ASSERT_EQ(PlaceBuilding(41, 39, BuildingGunTurret, 1, 1), 0);
  EXPECT_EQ(At(41, 39, BuildingGunTurret)->Health, 70);
  EXPECT_EQ(SlabCoverPercent(50, 50, 1), 50);
}

TEST_F(PlacementTest, WhatBlocksAFootprint) {
  EXPECT_EQ(IsFootprintBlocked(10, 10, 0, 3), 0);
  // Terrain: one tile of sand, also under a slab, or a tile past the map's edge.
  GameMap.Cell(12, 12) = Sand;
  Put(BuildingSlab, 1, 12, 12);
  EXPECT_EQ(IsFootprintBlocked(10, 10, 0, 3), 1);
  EXPECT_EQ(IsFootprintBlocked(10, 10, 0, 1), 0);
  EXPECT_EQ(IsFootprintBlocked(63, 63, 0, 1), 0);
  EXPECT_EQ(IsFootprintBlocked(64, 63, 0, 1), 1);
  EXPECT_EQ(IsFootprintBlocked(0, 5, 0, 0), 1);

  // Units on the ground, also by the tile they step into; aircraft never.
  TUnitRecord& tank = PutUnit(UnitLightTank, 2, 20, 20);
  EXPECT_EQ(IsFootprintBlocked(19, 19, 0, 1), 1);
  tank.X = 30;
  tank.NextX = 20;
  EXPECT_EQ(IsFootprintBlocked(19, 19, 0, 1), 1);
  tank.NextX = 30;
  EXPECT_EQ(IsFootprintBlocked(19, 19, 0, 1), 0);
  PutUnit(UnitCarrier, 2, 20, 20);
  EXPECT_EQ(IsFootprintBlocked(19, 19, 0, 1), 0);
  // The construction vehicle does not block its own yard.
  PutUnit(UnitConstructionVehicle, 1, 25, 25);
  EXPECT_EQ(IsFootprintBlocked(25, 25, 0, 1), 1);
  EXPECT_EQ(IsFootprintBlocked(25, 25, 1, 1), 0);

  // Slabs never block; walls and other buildings do.
  Put(BuildingSlab, 1, 40, 40);
  EXPECT_EQ(IsFootprintBlocked(40, 40, 0, 0), 0);
  Put(BuildingWall, 1, 42, 40);
  EXPECT_EQ(IsFootprintBlocked(41, 40, 0, 1), 1);
  Put(BuildingRefinery, 2, 50, 50);
  EXPECT_EQ(IsFootprintBlocked(52, 51, 0, 0), 1);
  EXPECT_EQ(IsFootprintBlocked(53, 51, 0, 0), 0);
  EXPECT_EQ(PlaceBuilding(52, 49, BuildingSilo, 1, 2), 1);
  EXPECT_EQ(PlaceBuilding(52, 49, BuildingSilo, 1, 1), 1);
  EXPECT_EQ(Shown(), ToFontCodePage("Что-то мешает построить"_cp1251));
}

TEST_F(PlacementTest, ExitTilesFollowTheContactRingThenTheOuterRing) {
  TRingTile ring[MaxRingTiles];
  ASSERT_EQ(FootprintRing(10, 10, 1, 1, ring), 12);
  const int contact[12][2] = {{9, 9},   {10, 9},  {11, 9},  {12, 9},  {9, 12},  {10, 12},
                              {11, 12}, {12, 12}, {9, 10},  {12, 10}, {9, 11},  {12, 11}};
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(ring[i].X, contact[i][0]) << i;
    EXPECT_EQ(ring[i].Y, contact[i][1]) << i;
  }
  const int sizes[2][4] = {{8, 12, 14, 16}, {0, 20, 22, 24}};
  for (std::uint8_t cls = 0; cls <= 3; ++cls)
    for (int d = 1; d <= (cls == 0 ? 1 : 2); ++d) EXPECT_EQ(FootprintRing(10, 10, cls, d, ring), sizes[d - 1][cls]);
  ASSERT_EQ(FootprintRing(10, 10, 3, 2, ring), 24);
  EXPECT_EQ(ring[0].X, 8);
  EXPECT_EQ(ring[0].Y, 8);
  EXPECT_EQ(ring[23].X, 14);
  EXPECT_EQ(ring[23].Y, 13);

  Put(BuildingBarracks, 1, 10, 10);
  std::int32_t ex = 0, ey = 0;
  ASSERT_EQ(FindExitTile(10, 10, 1, 1, UnitInfantryman, ex, ey), 0);
  EXPECT_EQ(ex, 9);
  EXPECT_EQ(ey, 9);
  // The first tile taken: the next one in ring order.
  PutUnit(UnitTrike, 2, 9, 9);
  ASSERT_EQ(FindExitTile(10, 10, 1, 1, UnitInfantryman, ex, ey), 0);
  EXPECT_EQ(ex, 10);
  EXPECT_EQ(ey, 9);
  // The whole contact ring taken: the outer ring's first tile.
  FootprintRing(10, 10, 1, 1, ring);
  for (int i = 1; i < 12; ++i) PutUnit(UnitTrike, 2, ring[i].X, ring[i].Y);
  ASSERT_EQ(FindExitTile(10, 10, 1, 1, UnitInfantryman, ex, ey), 0);
  EXPECT_EQ(ex, 8);
  EXPECT_EQ(ey, 8);
  // Both rings taken: none.
  FootprintRing(10, 10, 1, 2, ring);
  for (int i = 0; i < 20; ++i) PutUnit(UnitTrike, 2, ring[i].X, ring[i].Y);
  EXPECT_EQ(FindExitTile(10, 10, 1, 1, UnitInfantryman, ex, ey), 1);

  // Off the map's edge nothing is enterable; a one-cell building offers only its own tile.
  ASSERT_EQ(FindExitTile(1, 1, 1, 1, UnitInfantryman, ex, ey), 0);
  EXPECT_EQ(ex, 1);
  EXPECT_EQ(ey, 3);
  EXPECT_EQ(FindExitTile(40, 40, 0, 1, UnitInfantryman, ex, ey), 0);
  EXPECT_EQ(ex, 40);
}

TEST_F(PlacementTest, AComputerPlayersRefusalIsARefusalAndItsVehicleStays) {
  Put(BuildingSilo, 1, 20, 20);
  TUnitRecord& mcv = PutUnit(UnitConstructionVehicle, 2, 21, 21);
  EXPECT_EQ(PlaceBuilding(30, 30, BuildingBarracks, 1, 2), 1);  // no contact
  EXPECT_EQ(PlaceSlabBlock(30, 30, 2, 1), 1);
  EXPECT_EQ(DeployUnit(mcv), 1);  // the player 1 silo stands in the way
  EXPECT_EQ(mcv.Free, 0);
  EXPECT_EQ(PlaceSounds(), 0);
  EXPECT_EQ(Shown(), "");
  EXPECT_TRUE(SentTexts.empty());

  // Deployed where it stands, without contact: the vehicle goes.
  mcv.X = mcv.NextX = 40;
  mcv.Y = mcv.NextY = 40;
  EXPECT_EQ(DeployUnit(mcv), 0);
  EXPECT_EQ(mcv.Free, 1);
  ASSERT_NE(At(40, 40, BuildingConstructionYard), nullptr);
  EXPECT_EQ(At(40, 40, BuildingConstructionYard)->Health, 200);
  EXPECT_EQ(OccupancyMap.Cell(41, 41), 1);
  EXPECT_EQ(PlaceSounds(), 1);
}

TEST_F(PlacementTest, ClientsAskTheServerAndTheServerTellsTheOwner) {
  TUnitRecord& mcv = PutUnit(UnitConstructionVehicle, 1, 5, 5);
  NetRole = RoleClient;
  EXPECT_EQ(PlaceBuilding(30, 30, BuildingRadar, 1, 1), 0);
  EXPECT_EQ(PlaceRequests, (std::vector<std::int32_t>{BuildingRadar * 1000 + 30}));
  EXPECT_EQ(At(30, 30, BuildingRadar), nullptr);
  EXPECT_EQ(PlaceSlabBlock(30, 30, 1, 1), 0);
  EXPECT_EQ(At(30, 30, BuildingSlab), nullptr);
  EXPECT_EQ(DeployUnit(mcv), 0);
  EXPECT_EQ(DeployRequests, (std::vector<std::int32_t>{mcv.Slot}));
  EXPECT_EQ(mcv.Free, 0);

  NetRole = RoleServer;
  EXPECT_EQ(PlaceBuilding(30, 30, BuildingRadar, 1, 3), 1);
  ASSERT_EQ(SentTexts.size(), 1u);
  EXPECT_EQ(SentTexts[0].first, 3);
  EXPECT_EQ(SentTexts[0].second, "Нельзя построить, отсутствуют коммуникации"_cp1251);
  EXPECT_EQ(DeployUnit(mcv), 0);
  EXPECT_EQ(RemovedUnits, (std::vector<std::int32_t>{mcv.Slot}));
}

TEST_F(PlacementTest, SlabBlocksAndRunningOutOfSlots) {
  Put(BuildingConstructionYard, 1, 10, 10);
  ASSERT_EQ(PlaceSlabBlock(12, 10, 1, 1), 0);
  for (int x = 12; x <= 13; ++x)
    for (int y = 10; y <= 11; ++y) EXPECT_NE(At(x, y, BuildingSlab), nullptr);
  EXPECT_EQ(PlaceSounds(), 1);

  // Two slots left: two slabs are laid and stay, and the block is refused.
  BuildingSlots = 8;
  Put(BuildingConstructionYard, 2, 30, 30);
  EXPECT_EQ(PlaceSlabBlock(32, 30, 2, 1), 1);
  EXPECT_NE(At(32, 30, BuildingSlab), nullptr);
  EXPECT_NE(At(33, 30, BuildingSlab), nullptr);
  EXPECT_EQ(At(32, 31, BuildingSlab), nullptr);
  EXPECT_EQ(PlaceSlabBlock(14, 10, 1, 1), 1);
  EXPECT_EQ(Shown(), ToFontCodePage("Нельзя построить больше"_cp1251));
  EXPECT_EQ(PlaceBuilding(14, 10, BuildingSilo, 1, 1), 1);
}
