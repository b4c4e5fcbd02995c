#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/world/dobjects.h"

using namespace zarn;

namespace {

class EditorRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHooks();
    NetRole = RoleSingle;
    GameOptions.MessageEnable = true;
    SetMapSizeAndClear(10, 10);  // sand
    ClearOssinFields();
    RemoveAllBlooms();
    RemoveAllWorms();
    KillAllUnits();
    DestroyAllBuildings();
    UnitSlots = BuildingSlots = 200;
    ViewState.ViewX = ViewState.ViewY = 1;
    MessageLine.Hidden = 1;
    MessageLine.TextLength = 0;
  }
  void TearDown() override {
    SetUp();
    SetMapSizeAndClear(64, 64);
  }
  static int ClassOf(int x, int y) { return TerrainClass(GameMap.Cell(x, y)); }
  static int TileOf(int x, int y) { return TerrainTile(GameMap.Cell(x, y)); }
  static void Put(int x, int y, int cls, int tile = 0) { GameMap.Cell(x, y) = MakeTerrainByte(cls, tile); }
  static std::string Said() { return std::string(MessageLine.View()); }
  static std::string Text(std::string_view cp1251) { return ToFontCodePage(cp1251); }
};

TEST_F(EditorRulesTest, GroundEdgeForEveryPatternOfSideNeighbours) {
  struct Row {
    bool n, w, e, s;
    int tile;
  };
  const Row rows[] = {{1, 1, 1, 1, 0},  {0, 1, 1, 1, 2},  {1, 0, 1, 1, 4},  {1, 1, 0, 1, 6},
                      {1, 1, 1, 0, 8},  {0, 0, 1, 1, 1},  {0, 1, 0, 1, 3},  {1, 0, 1, 0, 7},
                      {1, 1, 0, 0, 9},  {1, 0, 0, 1, 15}, {0, 1, 1, 0, 14}, {0, 0, 0, 1, 10},
                      {1, 0, 0, 0, 11}, {0, 0, 1, 0, 12}, {0, 1, 0, 0, 13}, {0, 0, 0, 0, 5}};
  for (const Row& r : rows)
    for (int corners : {0, 1, 4}) {  // diagonals (ground or rock) never matter
      SetMapSizeAndClear(10, 10);
      Put(5, 5, TerrainGround);
      if (r.n) Put(5, 4, TerrainGround);
      if (r.w) Put(4, 5, TerrainRock);
      if (r.e) Put(6, 5, TerrainGround);
      if (r.s) Put(5, 6, TerrainRock);
      if (corners != 0) {
        Put(4, 4, corners);
        Put(6, 6, corners);
        Put(6, 4, corners);
      }
      ChooseGroundEdgeTile(5, 5);
      EXPECT_EQ(TileOf(5, 5), r.tile) << r.n << r.w << r.e << r.s << corners;
      EXPECT_EQ(ClassOf(5, 5), TerrainGround);
    }
}

TEST_F(EditorRulesTest, TheMapsOutsideCountsAsGround) {
  EditorPaintGround(1, 1);
  EXPECT_EQ(TileOf(1, 1), 9);  // north and west are outside
  EditorPaintGround(10, 10);
  EXPECT_EQ(TileOf(10, 10), 1);  // east and south
  EXPECT_EQ(GroundNeighbourMask(1, 1), 1 | 2 | 4 | 8 | 32);
}

TEST_F(EditorRulesTest, SandRetilesNeighboursButScreenFillsDoNot) {
  for (int x = 3; x <= 5; ++x)
    for (int y = 3; y <= 5; ++y) EditorPaintGround(x, y);
  EXPECT_EQ(TileOf(4, 4), 0);
  EXPECT_EQ(TileOf(4, 3), 2);
  EditorPaintSand(4, 5);
  EXPECT_EQ(ClassOf(4, 5), TerrainSand);
  EXPECT_EQ(TileOf(4, 4), 8);  // lost its south side
  EXPECT_EQ(TileOf(3, 5), 11);

  SetMapSizeAndClear(40, 20);
  ViewState.ViewX = 11;
  EditorPaintGround(10, 5);
  const int before = TileOf(10, 5);
  EditorFillViewRock();
  EXPECT_EQ(ClassOf(11, 5), TerrainRock);
  EXPECT_EQ(TileOf(11, 5), 1);
  EXPECT_EQ(ClassOf(31, 5), TerrainSand);  // right of the view
  EXPECT_EQ(TileOf(10, 5), before);
  EditorFillViewGround();
  EXPECT_EQ(TileOf(11, 5), 0);  // rock all round counts as ground
}

TEST_F(EditorRulesTest, FieldsAndBloomsOnlyOnSandAndOnlyOnce) {
  EditorPlaceOssinField(2, 2);
  EXPECT_EQ(CountLiveOssinFields(), 1);
  EXPECT_EQ(Said(), " ");
  MessageLine.TextLength = 0;
  EditorPlaceOssinField(2, 2);
  EXPECT_EQ(CountLiveOssinFields(), 1);
  EXPECT_EQ(Said(), "");  // refused silently
  Put(3, 3, TerrainGround);
  EditorPlaceOssinField(3, 3);
  EXPECT_EQ(Said(), Text("Оссин можно расположить только на песке"_cp1251));
  EditorPlaceBloom(3, 3);
  EXPECT_EQ(Said(), Text("Залежи можно расположить только на песке"_cp1251));
  EditorPlaceMountain(2, 2, MountainFirstItem + 3);  // rock would do too, but ground is advised
  EXPECT_EQ(Said(), Text("Горы можно расположить только на земле"_cp1251));
  EditorPlaceMountain(3, 3, MountainFirstItem + 3);
  EXPECT_EQ(GameMap.Cell(3, 3), MakeTerrainByte(TerrainRock, 3));
  EditorPlaceZarn(3, 3, ZarnFirstItem + 1);
  EXPECT_EQ(Said(), Text("Зарны можно расположить только на песке"_cp1251));
  EditorPlaceBloom(4, 4);
  EditorPlaceBloom(4, 4);
  EXPECT_EQ(CountLiveBlooms(), 1);
  EditorFillViewOssin();
  EXPECT_EQ(CountLiveOssinFields(), 99);  // every sand tile of the 10 x 10 map
  EditorEraseObjects(4, 4);
  EXPECT_EQ(CountLiveBlooms(), 0);
  EXPECT_EQ(CountLiveOssinFields(), 98);
  EXPECT_EQ(ClassOf(4, 4), TerrainGround);
}

TEST_F(EditorRulesTest, OperationsOffTheMapChangeNothing) {
  const auto terrain = GameMap;
  for (auto [x, y] : {std::pair{0, 1}, {1, 0}, {11, 5}, {5, 11}, {257, 1}, {-3, -3}}) {
    EditorPlaceOssinField(x, y);
    EditorPlaceBloom(x, y);
    EditorPlaceZarn(x, y, ZarnFirstItem + 1);
    EditorPlaceMountain(x, y, MountainFirstItem);
    EditorPaintSand(x, y);
    EditorPaintGround(x, y);
    EditorEraseObjects(x, y);
    EditorPlaceUnit(x, y, 6, 1, 1);
    EditorPlaceBuilding(x, y, 2, 1, 1);
    EditorPlaceWorm(x, y);
  }
  EXPECT_EQ(0, std::memcmp(&terrain, &GameMap, sizeof(GameMap)));
  EXPECT_EQ(CountLiveOssinFields() + CountLiveBlooms() + CountLiveUnits() + CountLiveBuildings() +
                CountLiveWorms(),
            0);
  // A view partly past the map fills only what lies on it.
  ViewState.ViewX = ViewState.ViewY = 5;
  EditorFillViewSand();
  EditorFillViewGround();
  EXPECT_EQ(ClassOf(10, 10), TerrainGround);
  EXPECT_EQ(ClassOf(4, 4), TerrainSand);
}

TEST_F(EditorRulesTest, UnitsBuildingsAndWorms) {
  EditorPlaceUnit(3, 3, 10, 2, 3);
  EXPECT_EQ(Units[1].Kind, 10);
  EXPECT_EQ(Units[1].Owner, 3);
  EXPECT_EQ(Units[1].Side, 2);
  EditorPlaceUnit(3, 4, 17, 2, 3);  // a place that names no unit kind
  EXPECT_EQ(CountLiveUnits(), 1);

  EditorPlaceBuilding(10, 10, 1, 2, 3);  // 2 x 2 slabs in the corner: one fits
  EXPECT_EQ(CountLiveBuildings(), 1);
  EXPECT_EQ(Buildings[1].Kind, BuildingSlab);
  EditorPlaceBuilding(2, 2, 1, 2, 3);
  EXPECT_EQ(CountLiveBuildings(), 5);
  EditorPlaceBuilding(5, 5, 6, 2, 3);  // item 23: kind 6
  EXPECT_EQ(Buildings[6].Kind, BuildingRadar);

  for (int i = 0; i < WormSlots; ++i) EditorPlaceWorm(1 + i % 5, 7);
  EXPECT_EQ(CountLiveWorms(), WormSlots);
  EXPECT_EQ(Said(), " ");
  EditorPlaceWorm(8, 8);
  EXPECT_EQ(Said(), Text("Больше червей создать нельзя"_cp1251));
  EXPECT_EQ(CountLiveWorms(), WormSlots);
}

}  // namespace
