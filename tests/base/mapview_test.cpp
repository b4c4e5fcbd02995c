// The map view as the player sees it: how far the view scrolls, what the terrain cells show,
// how the shroud lifts and frays at its edges, and how long ground marks last.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "game/base/dvga.h"
#include "tests/common/click.h"
#include "tests/common/markersheets.h"

using namespace zarn;

namespace {

class MapView : public ::testing::Test {
 protected:
  void SetUp() override {
    markers::LoadMarkerSheets();
    markers::ClearBuffer();
    SetMapSizeAndClear(64, 64);
    ViewState.ViewX = 1;
    ViewState.ViewY = 1;
    ViewState.MinimapScaleX = 1.0f;
    ViewState.MinimapScaleY = 1.6f;
    GameOptions.ScrollPause = 18;
    ScrollNextTime = 0;
    TickCount = 100;
    WorldTickCount = 0;
    DebugFlags = DefaultDebugFlags;
    ResetLastViewPos();
    ResetGroundMarks();
    InitShroud();
  }
  void TearDown() override { SetUp(); }

  // Frame drawn at screen cell (col, row) of the view, 0 when none (black or untouched).
  static long FrameAtCell(int col, int row) {
    for (const auto& m : markers::FindMarks())
      if (m.x == col * 16 && m.y == row * 16) return m.frame;
    return 0;
  }
  static bool CellIsBlack(int col, int row) {
    for (int y = row * 16; y < row * 16 + 16; ++y)
      for (int x = col * 16; x < col * 16 + 16; ++x)
        if (markers::Px(x, y) != 0) return false;
    return true;
  }
  // Every step one pause later, so none is swallowed.
  static void Steps(void (*step)(), int n) {
    for (int i = 0; i < n; ++i) {
      step();
      TickCount += 18;
    }
  }
};

}  // namespace

TEST_F(MapView, ScrollingStopsAtTheMapEdgesAndKeepsItsPace) {
  Steps(ScrollViewRight, 100);
  Steps(ScrollViewDown, 100);
  EXPECT_EQ(ViewState.ViewX, 45);
  EXPECT_EQ(ViewState.ViewY, 55);
  Steps(ScrollViewLeft, 100);
  Steps(ScrollViewUp, 100);
  EXPECT_EQ(ViewState.ViewX, 1);
  EXPECT_EQ(ViewState.ViewY, 1);

  // Two steps within the pause move once; the pause is used up even at the edge.
  GameOptions.ScrollPause = 10;  // 8 ticks between steps
  ScrollNextTime = 0;
  ScrollViewRight();
  ScrollViewRight();
  EXPECT_EQ(ViewState.ViewX, 2);
  TickCount += 8;
  ScrollViewUp();  // at the edge already
  EXPECT_EQ(ScrollNextTime, TickCount + 8);
  ScrollViewRight();
  EXPECT_EQ(ViewState.ViewX, 2);
}

TEST_F(MapView, ViewOriginNeverLeavesTheMapEvenOnSmallMapsOrBadSaves) {
  ClickAt(64, 199, ViewFromMinimapClick);
  EXPECT_EQ(ViewState.ViewX, 44);
  EXPECT_EQ(ViewState.ViewY, 54);
  ClickAt(1, 159, ViewFromMinimapClick);
  EXPECT_EQ(ViewState.ViewX, 1);
  EXPECT_EQ(ViewState.ViewY, 1);

  // A map smaller than the view: no scrolling, and a click keeps the origin at 1.
  SetMapSizeAndClear(16, 8);
  ClickAt(60, 190, ViewFromMinimapClick);
  EXPECT_EQ(ViewState.ViewX, 1);
  EXPECT_EQ(ViewState.ViewY, 1);
  Steps(ScrollViewRight, 3);
  Steps(ScrollViewDown, 3);
  EXPECT_EQ(ViewState.ViewX, 1);
  EXPECT_EQ(ViewState.ViewY, 1);

  // A scale from a damaged save gives a sane origin, not a wrapped one.
  SetMapSizeAndClear(64, 64);
  ViewState.MinimapScaleX = std::numeric_limits<float>::quiet_NaN();
  ViewState.MinimapScaleY = 1e30f;
  ViewFromMinimapClick();
  EXPECT_EQ(ViewState.ViewX, 1);
  EXPECT_EQ(ViewState.ViewY, 54);

  // An origin past the limits is pulled back by the next scroll step or on request.
  ViewState.ViewX = 60000;
  ViewState.ViewY = 0;
  ScrollViewLeft();
  EXPECT_EQ(ViewState.ViewX, 45);
  EXPECT_EQ(ViewState.ViewY, 1);
  ViewState.ViewY = 300;
  ClampViewOrigin();
  EXPECT_EQ(ViewState.ViewY, 55);
}

TEST_F(MapView, TerrainCellsShowTheirClassTilesAndBlackBeyondTheMap) {
  GameMap.Cell(1, 1) = MakeTerrainByte(0, 3);
  GameMap.Cell(2, 1) = MakeTerrainByte(1, 19);
  GameMap.Cell(3, 1) = MakeTerrainByte(4, 15);
  GameMap.Cell(4, 1) = MakeTerrainByte(2, 7);
  GameMap.Cell(1, 10) = MakeTerrainByte(1, 0);
  DrawMapTerrain();
  EXPECT_EQ(FrameAtCell(0, 0), 172);
  EXPECT_EQ(FrameAtCell(1, 0), 168);
  EXPECT_EQ(FrameAtCell(2, 0), 148);
  EXPECT_EQ(FrameAtCell(3, 0), 7);
  EXPECT_EQ(FrameAtCell(0, 9), 149);
  EXPECT_EQ(FrameAtCell(19, 9), 169);

  // A saved view near the far corner of a full-size map: cells past the edge are black and
  // nothing reads outside the grid.
  SetMapSizeAndClear(256, 256);
  GameMap.Cell(256, 256) = MakeTerrainByte(4, 1);
  ViewState.ViewX = 250;
  ViewState.ViewY = 250;
  markers::ClearBuffer();
  DrawMapTerrain();
  EXPECT_EQ(FrameAtCell(6, 6), 134);
  EXPECT_EQ(FrameAtCell(5, 5), 169);
  EXPECT_TRUE(CellIsBlack(7, 6));
  EXPECT_TRUE(CellIsBlack(19, 9));
  EXPECT_TRUE(CellIsBlack(6, 7));

  // An origin outside the map is drawn from the first cell.
  SetMapSizeAndClear(64, 64);
  GameMap.Cell(1, 1) = MakeTerrainByte(0, 9);
  ViewState.ViewX = 0;
  ViewState.ViewY = 65;
  markers::ClearBuffer();
  DrawMapTerrain();
  EXPECT_EQ(FrameAtCell(0, 0), 178);
}

TEST_F(MapView, UnmovedViewIsRestoredFromItsCopy) {
  GameMap.Cell(1, 1) = MakeTerrainByte(0, 1);
  RedrawMapView();
  EXPECT_EQ(FrameAtCell(0, 0), 170);
  LastViewPos = {ViewState.ViewX, ViewState.ViewY};
  // The map changes but the view did not move: the saved picture comes back.
  GameMap.Cell(1, 1) = MakeTerrainByte(0, 2);
  markers::ClearBuffer();
  RedrawMapView();
  EXPECT_EQ(FrameAtCell(0, 0), 170);
  EXPECT_EQ(markers::Px(0, 158), markers::Background);  // the panel is not part of the copy
  ViewState.ViewX = 2;
  GameMap.Cell(2, 1) = MakeTerrainByte(0, 4);
  RedrawMapView();
  EXPECT_EQ(FrameAtCell(0, 0), 173);
}

TEST_F(MapView, RevealedSquareGetsSoftEdges) {
  EXPECT_EQ(ShroudAt(0, 5), ShroudCovered);
  EXPECT_EQ(ShroudAt(65, 5), ShroudCovered);
  RevealArea(10, 10, 1);
  for (int y = 9; y <= 11; ++y)
    for (int x = 9; x <= 11; ++x) EXPECT_EQ(ShroudAt(x, y), ShroudVisible);
  for (int x = 9; x <= 11; ++x) EXPECT_EQ(ShroudAt(x, 8), 1);
  for (int x = 9; x <= 11; ++x) EXPECT_EQ(ShroudAt(x, 12), 6);
  for (int y = 9; y <= 11; ++y) EXPECT_EQ(ShroudAt(8, y), 3);
  for (int y = 9; y <= 11; ++y) EXPECT_EQ(ShroudAt(12, y), 4);
  EXPECT_EQ(ShroudAt(8, 8), 0);
  EXPECT_EQ(ShroudAt(12, 8), 2);
  EXPECT_EQ(ShroudAt(8, 12), 5);
  EXPECT_EQ(ShroudAt(12, 12), 7);
  EXPECT_EQ(ShroudAt(7, 7), ShroudCovered);
  EXPECT_EQ(ShroudAt(13, 10), ShroudCovered);

  // A second square just right of the first: the seam between them opens fully, the shared
  // top row becomes a continuous top edge.
  RevealArea(14, 10, 1);
  for (int y = 9; y <= 11; ++y) EXPECT_EQ(ShroudAt(12, y), ShroudVisible) << y;
  EXPECT_EQ(ShroudAt(12, 8), 1);
  EXPECT_EQ(ShroudAt(8, 8), 0);
  EXPECT_EQ(ShroudAt(16, 8), 2);

  // At the map's corner only cells inside change; a huge radius is bounded by the map.
  RevealArea(1, 1, 0);
  EXPECT_EQ(ShroudAt(1, 1), ShroudVisible);
  EXPECT_EQ(ShroudAt(2, 1), 4);
  EXPECT_EQ(ShroudAt(1, 2), 6);
  EXPECT_EQ(ShroudAt(2, 2), 7);
  RevealArea(32, 32, 2000000000);
  EXPECT_EQ(ShroudAt(64, 64), ShroudVisible);
  RevealArea(-2000000000, 5, 3);  // nowhere near the map
}

TEST_F(MapView, ShroudSwitchesAndDebugMode) {
  DebugFlags.ShadowEnabled = 0;
  InitShroud();
  EXPECT_EQ(ShroudAt(5, 5), ShroudVisible);
  EXPECT_EQ(ShroudMap.Width, 64);
  // Debug mode without the shadow leaves the shroud alone and draws none of it.
  DebugFlags.DebugMode = 1;
  SetShroud(5, 5, ShroudCovered);
  RevealArea(5, 5, 1);
  EXPECT_EQ(ShroudAt(5, 5), ShroudCovered);
  DrawShroudView();
  EXPECT_FALSE(CellIsBlack(4, 4));
  DebugFlags.DebugMode = 0;
  RevealArea(5, 5, 1);
  EXPECT_EQ(ShroudAt(5, 5), ShroudVisible);
  SetShroud(0, 5, 3);  // outside: ignored
  EXPECT_EQ(ShroudAt(0, 5), ShroudCovered);
}

TEST_F(MapView, ShroudDrawsBlackCellsEdgePiecesAndBlackBeyondTheMap) {
  RevealArea(3, 3, 1);
  DrawShroudView();
  EXPECT_TRUE(CellIsBlack(0, 5));  // covered
  EXPECT_FALSE(CellIsBlack(2, 2));  // visible: untouched
  EXPECT_EQ(markers::Px(32, 32), markers::Background);
  // Edge pieces: the top-left corner at (1, 1), the right edge at (5, 3).
  EXPECT_EQ(FrameAtCell(0, 0), 252);
  EXPECT_EQ(FrameAtCell(4, 2), 256);

  // Scrolled to the last column of a map: the columns beyond it are black.
  SetMapSizeAndClear(30, 30);
  DebugFlags.ShadowEnabled = 0;
  InitShroud();
  ViewState.ViewX = 25;
  markers::ClearBuffer();
  DrawShroudView();
  EXPECT_FALSE(CellIsBlack(5, 0));
  EXPECT_TRUE(CellIsBlack(6, 0));
  EXPECT_TRUE(CellIsBlack(19, 9));
  BlackTile(-8, -8);  // half off the screen: clipped
  EXPECT_EQ(markers::Px(8, 8), markers::Background);
}

TEST_F(MapView, GroundMarksOnlyOnSandAndOnlyForTheirLifetime) {
  GameMap.Cell(5, 5) = MakeTerrainByte(1, 0);
  AddGroundMark(5, 5, 2);
  EXPECT_EQ(FindFreeGroundMark(), 1);
  AddGroundMark(0, 5, 2);  // outside the map
  AddGroundMark(65, 65, 2);
  EXPECT_EQ(FindFreeGroundMark(), 1);

  WorldTickCount = 1000;
  const std::uint16_t want[8] = {0, 3, 1, 2, 0, 3, 1, 2};
  for (int f = 0; f < 8; ++f) {
    AddGroundMark(f + 1, 1, f);
    EXPECT_EQ(GroundMarks[f + 1].Orientation, want[f]) << f;
    EXPECT_EQ(GroundMarks[f + 1].X, f);
    EXPECT_EQ(GroundMarks[f + 1].Y, 0);
  }
  DrawGroundMark(3);
  EXPECT_EQ(FrameAtCell(2, 0), 236);
  WorldTickCount = 1360;
  DrawGroundMark(3);
  EXPECT_EQ(GroundMarks[3].Free, 0);
  WorldTickCount = 1361;
  markers::ClearBuffer();
  DrawGroundMark(3);
  EXPECT_EQ(GroundMarks[3].Free, 1);
  EXPECT_EQ(FrameAtCell(2, 0), 0);

  // Far from the view: kept but not drawn.
  const std::int32_t far = FindFreeGroundMark();
  AddGroundMark(40, 40, 0);
  EXPECT_EQ(GroundMarks[far].Free, 0);
  markers::ClearBuffer();
  DrawGroundMark(far);
  EXPECT_TRUE(markers::FindMarks().empty());

  for (int i = 1; i <= GroundMarkSlots; ++i) GroundMarks[i].Free = 0;
  EXPECT_EQ(FindFreeGroundMark(), 0);
  AddGroundMark(2, 2, 0);  // no room: nothing happens
  ResetGroundMarks();
  EXPECT_EQ(FindFreeGroundMark(), 1);
}

TEST_F(MapView, NewMapHasItsPlateauAndOccupancyClears) {
  NewMapTerrain();
  EXPECT_EQ(GameMap.Width, 128);
  EXPECT_EQ(GameMap.Height, 128);
  EXPECT_EQ(GameMap.Cell(5, 5), MakeTerrainByte(4, 1));
  EXPECT_EQ(GameMap.Cell(12, 5), MakeTerrainByte(4, 3));
  EXPECT_EQ(GameMap.Cell(4, 9), MakeTerrainByte(1, 14));
  EXPECT_EQ(GameMap.Cell(12, 10), MakeTerrainByte(4, 8));
  EXPECT_EQ(GameMap.Cell(8, 11), MakeTerrainByte(1, 14));
  EXPECT_EQ(GameMap.Cell(4, 5), 0);
  EXPECT_EQ(GameMap.Cell(9, 11), 0);
  int rock = 0;
  for (int x = 1; x <= 128; ++x)
    for (int y = 1; y <= 128; ++y) rock += GameMap.Cell(x, y) != 0;
  EXPECT_EQ(rock, 50);

  OccupancyMap.Cell(128, 128) = 3;
  OccupancyMap.Cell(129, 1) = 3;  // outside the map: not the map's business
  ClearOccupancy();
  EXPECT_EQ(OccupancyMap.Cell(128, 128), 0);
  EXPECT_EQ(OccupancyMap.Cell(129, 1), 3);
  OccupancyMap.Cell(129, 1) = 0;
}
