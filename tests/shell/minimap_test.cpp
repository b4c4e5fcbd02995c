// The minimap: terrain colours by class, fields, blooms, buildings and units by side, worms,
// the shroud over everything, the view frame, the scale on small and large maps, and the
// rebuild only on every fourth interface tick.
#include "tests/shell/playscreen_fixture.h"

using namespace zarn;

namespace {

class Minimap : public PlayScreenTest {
 protected:
  // Screen pixel of minimap pixel (c, r).
  static std::uint8_t At(int c, int r) { return Pixel(c + 1, r + 159); }
  static void Draw() {
    ClearScreen();
    DrawMinimap();
  }
};

TEST_F(Minimap, ColoursOfTerrainObjectsAndSides) {
  for (int x = 40; x <= 50; ++x)
    for (int y = 40; y <= 50; ++y) GameMap.Cell(x, y) = MakeTerrainByte(1, 0);
  NewOssinField(30, 30, 500);
  OssinBlooms[1] = TOssinBloomRecord{56, 10, 0, {}};
  AddBuilding(1, 10, 5, BuildingPowerPlant, 1, 1);     // 2 x 2
  AddBuilding(2, 30, 50, BuildingConstructionYard, 2, 2);
  AddUnit(1, 40, 20, UnitLightTank, 2, 2);
  AddUnit(2, 45, 26, UnitTrike, 1, 3);
  AddUnit(3, 47, 26, UnitTrike, 1, 4);
  CreateWorm(Worms[1], 50, 30, 1);
  ViewState.ViewX = 11;
  ViewState.ViewY = 17;
  Draw();
  testgolden::ExpectPicture("minimap_colours", 0x222455558ab61544ull);

  // On 64 x 64 one column is one map column and one row 1.6 map rows.
  EXPECT_EQ(At(60, 30), 116);  // sand
  EXPECT_EQ(At(8, 4), 55);     // rock: map (9, 7.4)
  EXPECT_EQ(At(44, 27), 125);  // class 1: map (45, 44.2)
  EXPECT_EQ(At(29, 18), 235);  // field (30, 30) plotted at (29, 30)
  EXPECT_EQ(At(55, 6), 12);    // bloom (56, 10) at (55, 10)
  for (int c = 10; c <= 12; ++c)
    for (int r = 3; r <= 4; ++r) EXPECT_EQ(At(c, r), 184) << c << "," << r;  // side 1
  EXPECT_EQ(At(30, 31), 199);   // side 2 building (30, 50)
  EXPECT_EQ(At(39, 11), 199);   // side 2 unit (40, 20) at (39, 19)
  EXPECT_EQ(At(44, 15), 228);   // side 3 unit
  EXPECT_EQ(At(46, 15), 184);   // side 4 unit
  EXPECT_EQ(At(49, 18), 14);    // worm (50, 30) at (49, 29)
  // The view frame: (11, 17) .. (31, 27) in map cells.
  EXPECT_EQ(Pixel(11, 159 + 10), 43);
  EXPECT_EQ(Pixel(30, 159 + 10), 43);
  EXPECT_EQ(Pixel(20, 158 + 16), 43);
  EXPECT_EQ(Pixel(20, 159 + 12), 116) << "the frame is an outline";
}

TEST_F(Minimap, ShroudHidesEvenUnits) {
  DebugFlags.ShadowEnabled = 1;
  InitShroud();
  for (int x = 1; x <= 20; ++x)
    for (int y = 1; y <= 16; ++y) SetShroud(x, y, ShroudVisible);
  AddUnit(1, 40, 40, UnitLightTank, 2, 2);  // hidden
  AddUnit(2, 10, 12, UnitLightTank, 2, 2);  // seen
  ViewState.ViewX = 40;
  Draw();
  testgolden::ExpectPicture("minimap_shroud", 0xa0b2d9d561112c95ull);
  EXPECT_EQ(At(39, 24), 0);
  EXPECT_EQ(At(9, 6), 199);
  EXPECT_EQ(At(25, 3), 0);
  EXPECT_EQ(At(3, 3), 116);
}

TEST_F(Minimap, LargeMapColumnCoversFourCells) {
  SetMapSizeAndClear(256, 256);
  for (int x = 1; x <= 256; ++x)
    for (int y = 1; y <= 256; ++y) GameMap.Cell(x, y) = MakeTerrainByte(x <= 8 ? 4 : 0, 0);
  ViewState.MinimapScaleX = static_cast<float>(256 * 0.015625);
  ViewState.MinimapScaleY = static_cast<float>(256 * 0.025);
  AddUnit(1, 201, 131, UnitLightTank, 1, 1);  // (200, 130) / (4, 6.4)
  ViewState.ViewX = 100;
  ViewState.ViewY = 200;
  Draw();
  EXPECT_EQ(At(0, 0), 55);
  EXPECT_EQ(At(1, 0), 55);   // map column 5
  EXPECT_EQ(At(2, 0), 116);  // map column 9
  EXPECT_EQ(At(50, 20), 184);
  EXPECT_EQ(At(63, 39), 116);
}

TEST_F(Minimap, TheViewFrameStaysInTheBoxOnANarrowMap) {
  SetMapSizeAndClear(16, 16);
  ViewState.MinimapScaleX = static_cast<float>(16 * 0.015625);
  ViewState.MinimapScaleY = static_cast<float>(16 * 0.025);
  Draw();
  EXPECT_GT(CountColour(1, 159, 64, 198, 43), 0);
  EXPECT_EQ(CountColour(65, 150, 319, 199, 43), 0);
  EXPECT_EQ(CountColour(0, 150, 0, 199, 43), 0);
}

TEST_F(Minimap, RebuiltOnlyOnEveryFourthTick) {
  Draw();
  AddUnit(1, 30, 30, UnitLightTank, 2, 2);
  for (int t = 1; t <= 3; ++t) {
    ++TickCount;
    Draw();
    EXPECT_EQ(At(29, 18), 116) << "rebuilt on tick " << TickCount;
  }
  ++TickCount;
  Draw();
  EXPECT_EQ(At(29, 18), 199);
}

TEST_F(Minimap, NoMapDrawsBlackAndNeverHangs) {
  GameMap.Width = 0;
  GameMap.Height = 0;
  ViewState.MinimapScaleX = 0;
  ViewState.MinimapScaleY = 0;
  AddUnit(1, 30, 30, UnitLightTank, 2, 2);
  Draw();
  EXPECT_EQ(CountColour(1, 159, 64, 198, 0), 64 * 40);
}

}  // namespace
