#include <chrono>

#include "tests/world/savefiles_fixture.h"

using namespace savefiles_test;

namespace {

class GameStartTest : public SaveFilesTest {
 protected:
  void TearDown() override {
    GameOptions = TGameOptions{};
    SaveFilesTest::TearDown();
  }
};

TEST_F(GameStartTest, SlotCountsFollowThePlayersWithinTheTables) {
  GameOptions.MaxUnitForAlliance = 500;
  SetUnitSlotsForPlayers(3);
  EXPECT_EQ(UnitSlots, 1000);  // 1500 capped
  GameOptions.MaxBuildForAlliance = 200;
  SetBuildingSlotsForPlayers(2);
  EXPECT_EQ(BuildingSlots, 400);
  GameOptions.MaxBuildForAlliance = 2000000000;
  SetBuildingSlotsForPlayers(8);
  EXPECT_EQ(BuildingSlots, 3000);
  // Counts from the network stay within the tables too.
  SetUnitSlots(70000);
  EXPECT_EQ(UnitSlots, 1000);
  SetBuildingSlots(-4);
  EXPECT_EQ(BuildingSlots, 0);
}

TEST_F(GameStartTest, SpeedKeysMoveBetween15And17) {
  static int applied = 0;
  applied = 0;
  ApplyGameSpeedProc = [] { ++applied; };
  GameOptions.GameSpeed = 15;
  GameSpeedUp();
  GameSpeedUp();
  EXPECT_EQ(GameOptions.GameSpeed, 17);
  GameSpeedUp();
  EXPECT_EQ(GameOptions.GameSpeed, 17);
  GameSpeedDown();
  GameSpeedDown();
  EXPECT_EQ(GameOptions.GameSpeed, 15);
  GameSpeedDown();
  EXPECT_EQ(GameOptions.GameSpeed, 15);
  EXPECT_EQ(applied, 4);
}

TEST_F(GameStartTest, TheViewStaysOnTheMapAndNeverBelowColumnOne) {
  EXPECT_EQ(ClampViewX(-5), 1);
  EXPECT_EQ(ClampViewX(30), 30);
  EXPECT_EQ(ClampViewX(60), 44);
  EXPECT_EQ(ClampViewY(60), 54);
  MakeMap(20, 8);
  for (int x : {-3, 0, 1, 7, 300}) EXPECT_EQ(ClampViewX(x), 1) << x;
  for (int y : {-3, 0, 1, 7, 300}) EXPECT_EQ(ClampViewY(y), 1) << y;

  // Centring on a building, and on nothing out of range.
  MakeMap(64, 64);
  InitBuilding(Buildings[3], 40, 30, 2, 1, 1, 3);
  ViewState.SelectedCount = 1;
  ViewState.SelectionKind = SelectedBuilding;
  ViewState.Selection[1] = TSelectionEntry{3, 1, 0};
  CentreViewOnSelection();
  EXPECT_EQ(ViewState.ViewX, 30);
  EXPECT_EQ(ViewState.ViewY, 25);
  ViewState.Selection[1].Index = 4000;
  CentreViewOnSelection();
  EXPECT_EQ(ViewState.ViewX, 30);
}

TEST_F(GameStartTest, PickingABloomFreeTileAlwaysEnds) {
  std::int32_t x = 10, y = 10;
  EXPECT_TRUE(PickBloomFreeTile(10, 10, 12, y, x, 12));  // no bloom there: left alone
  EXPECT_EQ(x, 10);

  for (int bx = 10; bx <= 11; ++bx)
    for (int by = 10; by <= 11; ++by) AddBloom(bx, by);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(PickBloomFreeTile(10, 10, 12, y, x, 12));  // all four taken
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 10);
  EXPECT_FALSE(PickBloomFreeTile(10, 10, 10, y, x, 10));  // no width: only the corner

  // One free tile in a crowded rectangle is found.
  for (TOssinBloomRecord& b : OssinBlooms)
    if (b.X == 11 && b.Y == 11) b.Removed = 1;
  EXPECT_TRUE(PickBloomFreeTile(10, 10, 12, y, x, 12));
  EXPECT_EQ(x, 11);
  EXPECT_EQ(y, 11);
}

TEST_F(GameStartTest, MapLoadingKeepsTheTerrainWhenTheFileIsBad) {
  MakeMap(30, 20);
  const TTileGrid before = GameMap;
  EXPECT_FALSE(LoadMapFile("missing.map"));
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_EQ(Shown[0], std::string("Файл maps\\missing.map отсутствует"_cp1251));
  Write("maps/bad.map", {0, 1, 4, 0, 9, 9});  // width 256, too short
  EXPECT_FALSE(LoadMapWithObjects("bad.map"));
  EXPECT_EQ(Shown.back(), std::string("Файл maps\\bad.map повреждён"_cp1251));
  EXPECT_EQ(0, std::memcmp(&GameMap, &before, sizeof before));

  // A sound file: terrain, size, a fresh shroud and the scales, but no start objects...
  ASSERT_TRUE(LoadMapFile("test.map"));
  EXPECT_EQ(GameMap.Width, 64);
  EXPECT_EQ(ShroudMap.Width, 64);
  EXPECT_EQ(ShroudMap.Cell(64, 64), ShroudCovered);
  EXPECT_FLOAT_EQ(ViewState.MinimapScaleX, 1.0f);
  EXPECT_FLOAT_EQ(ViewState.MinimapScaleY, 1.6f);
  EXPECT_EQ(FindFreeOssinFieldSlot(), 1);
  // ...which the other loader creates, and the editor stores back.
  ASSERT_TRUE(LoadMapWithObjects("test.map"));
  EXPECT_EQ(OssinFields[1].Free, 0);
  EXPECT_EQ(OssinFields[1].X, 40);
  EXPECT_TRUE(BloomAt(50, 50));
  ResetMapPlacements();
  StoreMapStartObjects();
  EXPECT_EQ(MapPlacements[1].Kind, PlacementField);
  EXPECT_EQ(MapPlacements[2].Kind, PlacementBloom);
  EXPECT_EQ(MapPlacements[2].X, 50);
  EXPECT_EQ(MapPlacements[3].Kind, PlacementEmpty);
}

TEST_F(GameStartTest, StartingSelectsTheFirstOwnUnitResumingKeepsTheSelection) {
  InitPlayerRecord(Players[1], 1, 2, 1000);
  InitPlayerRecord(Players[2], 2, 0, 1000);
  InitUnit(Units[2], 40, 40, 2, 0, 2, 6);
  InitUnit(Units[4], 8, 50, 4, 2, 1, 6);
  InitUnit(Units[6], 9, 50, 6, 2, 1, 6);
  ViewState.Groups[3][1] = TSelectionEntry{6, 1, 0};
  UnitShots[1].Active = 1;
  Decals[1].Free = 0;
  GameScreen = 7;
  StartGame();
  EXPECT_EQ(GameScreen, 0);
  EXPECT_EQ(ViewState.LocalSide, 2);
  EXPECT_EQ(ViewState.SelectedCount, 1);
  EXPECT_EQ(ViewState.Selection[1].Index, 4);
  EXPECT_EQ(Units[4].Deselected, 0);
  EXPECT_EQ(ViewState.Groups[3][1].InUse, 0);
  EXPECT_EQ(ViewState.ViewX, 1);   // 8 - 10, clamped
  EXPECT_EQ(ViewState.ViewY, 45);  // 50 - 5
  EXPECT_EQ(UnitShots[1].Active, 0);
  EXPECT_EQ(Decals[1].Free, 1);
  EXPECT_EQ(UnitSlots, 200);  // 2 players x 100

  ViewState.Selection[1].Index = 6;
  ViewState.ViewX = 33;
  UnitShots[1].Active = 1;
  ResumeLoadedGame();
  EXPECT_EQ(ViewState.Selection[1].Index, 6);
  EXPECT_EQ(ViewState.ViewX, 33);
  EXPECT_EQ(UnitShots[1].Active, 1);
  EXPECT_EQ(AnimCounters[4].FrameCount, 12);
}

TEST_F(GameStartTest, StartValuesAndPlayerReset) {
  Players[3].Credits = 500;
  Players[3].Side = 2;
  Mission.PlayerCount = 6;
  Mission.UpgradeLimits[2] = 3;
  dobjectsInitialization();
  for (int k = 1; k <= 8; ++k) {
    EXPECT_EQ(Players[k].Destroyed, 1);
    EXPECT_EQ(Players[k].Credits, 0);
  }
  EXPECT_EQ(Players[3].Side, 2);  // nothing else changes
  EXPECT_EQ(Players[1].Side, 1);
  EXPECT_EQ(Mission.PlayerCount, 2);
  EXPECT_EQ(Mission.UpgradeLimits[2], 0);
  EXPECT_EQ(Mission.GoalType, GoalCredits2000);
}

}  // namespace
