// Buildings on the map: which sprite, the selection frame around the footprint, and the flame
// marker of a burning building.
#include <gtest/gtest.h>

#include <vector>

#include "game/world/dobjects.h"
#include "tests/common/markersheets.h"

using markers::Mark;
using namespace zarn;

namespace {

class BuildingDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    markers::LoadMarkerSheets();
    markers::ClearBuffer();
    ViewState.ViewX = 1;
    ViewState.ViewY = 1;
    TickCount = 1000;
  }

  static TBuildingRecord Building(std::uint8_t kind, std::int32_t x, std::int32_t y) {
    TBuildingRecord b{};
    b.Kind = kind;
    b.X = x;
    b.Y = y;
    b.Side = 1;
    b.FootprintClass = FootprintClass(kind);
    b.DockFree = 1;
    b.Deselected = 1;
    b.Marker.Hidden = 1;
    return b;
  }

  // The rectangle drawn in colour 14: its corners, or -1s when there is none.
  static std::vector<int> FrameBox() {
    int x1 = 9999, y1 = 9999, x2 = -1, y2 = -1;
    for (int y = 0; y < ScreenHeight; ++y)
      for (int x = 0; x < ScreenWidth; ++x)
        if (markers::Px(x, y) == 14) {
          x1 = std::min(x1, x);
          y1 = std::min(y1, y);
          x2 = std::max(x2, x);
          y2 = std::max(y2, y);
        }
    if (x2 < 0) return {-1, -1, -1, -1};
    return {x1, y1, x2, y2};
  }
};

}  // namespace

TEST_F(BuildingDraw, SelectedBuildingsGetAFrameAroundTheirFootprint) {
  TBuildingRecord palace = Building(BuildingPalace, 3, 2);
  palace.Deselected = 0;
  DrawBuildings(palace);
  EXPECT_EQ(FrameBox(), (std::vector<int>{32, 16, 79, 63}));
  EXPECT_EQ(markers::FindMarks(), (std::vector<Mark>{{markers::Sheet48x48, 2, 32, 16, 182}}));

  markers::ClearBuffer();
  TBuildingRecord turret = Building(BuildingGunTurret, 5, 5);
  turret.Deselected = 0;
  turret.TurretFacing = 6;
  DrawBuildings(turret);
  EXPECT_EQ(FrameBox(), (std::vector<int>{64, 64, 79, 79}));
  EXPECT_EQ(markers::FindMarks(), (std::vector<Mark>{{markers::Sheet16, 94, 64, 64, 0}}));

  markers::ClearBuffer();
  TBuildingRecord factory = Building(BuildingHeavyFactory, 2, 2);
  factory.Deselected = 0;
  factory.AnimFrame = 2;
  ViewState.ViewX = 2;  // the frame follows the view
  DrawBuildings(factory);
  EXPECT_EQ(FrameBox(), (std::vector<int>{0, 16, 47, 47}));
  EXPECT_EQ(markers::FindMarks(), (std::vector<Mark>{{markers::Sheet48x32, 6, 0, 16, 182}}));

  markers::ClearBuffer();
  factory.Deselected = 1;
  DrawBuildings(factory);
  EXPECT_EQ(FrameBox(), (std::vector<int>{-1, -1, -1, -1}));
}

TEST_F(BuildingDraw, SpritesByKindAndWhatIsNotDrawn) {
  TBuildingRecord refinery = Building(BuildingRefinery, 1, 1);
  refinery.DockFree = 0;
  DrawBuildings(refinery);
  EXPECT_EQ(markers::FindMarks(),
            (std::vector<Mark>{{markers::Sheet48x32, 2, 0, 0, 182}, {markers::Sheet24, 29, 28, 4, 182}}));

  // Free slots, walls and one-cell kinds outside the view draw nothing.
  markers::ClearBuffer();
  TBuildingRecord freed = Building(BuildingSilo, 2, 2);
  freed.Free = 1;
  DrawBuildings(freed);
  DrawBuildings(Building(BuildingWall, 2, 2));
  DrawBuildings(Building(BuildingSlab, 21, 1));
  DrawBuildings(Building(BuildingRocketTurret, 1, 11));
  DrawBuildings(Building(40, 2, 2));  // no such kind
  EXPECT_TRUE(markers::FindMarks().empty());
  // A large building just left of the view still shows its visible part.
  ViewState.ViewX = 3;
  DrawBuildings(Building(BuildingSilo, 1, 1));  // covers columns 1..2: clipped entirely
  DrawBuildings(Building(BuildingPalace, 1, 1));
  const auto m = markers::FindMarks();
  EXPECT_TRUE(m.empty());  // marker pixels lie in the clipped columns
  EXPECT_EQ(markers::Px(0, 0), 1);  // but the palace's third column is on screen

  // A far-off anchor from a damaged record does not upset the drawing.
  markers::ClearBuffer();
  TBuildingRecord far = Building(BuildingStarport, 2000000000, -2000000000);
  far.Deselected = 0;
  DrawBuildings(far);
  EXPECT_EQ(FrameBox(), (std::vector<int>{-1, -1, -1, -1}));
}

TEST_F(BuildingDraw, BurningMarkerAnimatesAndRunsOut) {
  TBuildingRecord b = Building(BuildingBarracks, 3, 3);
  ShowBuildingMarker(b.Marker);
  EXPECT_EQ(b.Marker.Hidden, 0);
  EXPECT_EQ(b.Marker.Frame, 1);
  EXPECT_EQ(b.Marker.FramePeriod, 3);
  EXPECT_EQ(b.Marker.Life, 180);
  EXPECT_EQ(b.Marker.NextFrameTick, 1003);
  EXPECT_EQ(b.Marker.ExpiryTick, 1180);

  std::vector<long> frames;
  for (int t = 1000; t < 1012; ++t) {
    TickCount = t;
    markers::ClearBuffer();
    DrawBuildingMarker(b);
    const auto m = markers::FindMarks();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0], (Mark{markers::Sheet32, m[0].frame, 32, 16, 197}));
    frames.push_back(m[0].frame);
  }
  EXPECT_EQ(frames, (std::vector<long>{1, 1, 1, 1, 2, 2, 2, 3, 3, 3, 1, 1}));

  // A further hit renews the life; once it has run out the marker hides itself.
  TickCount = 1100;
  ShowBuildingMarker(b.Marker);
  TickCount = 1279;
  markers::ClearBuffer();
  DrawBuildingMarker(b);
  EXPECT_EQ(markers::FindMarks().size(), 1u);
  TickCount = 1280;
  markers::ClearBuffer();
  DrawBuildingMarker(b);
  EXPECT_TRUE(markers::FindMarks().empty());
  EXPECT_EQ(b.Marker.Hidden, 1);

  // Slabs never burn; turrets only show it inside the view.
  TBuildingRecord slab = Building(BuildingSlab, 3, 3);
  ShowBuildingMarker(slab.Marker);
  TBuildingRecord turret = Building(BuildingGunTurret, 30, 3);
  ShowBuildingMarker(turret.Marker);
  DrawBuildingMarker(slab);
  DrawBuildingMarker(turret);
  EXPECT_TRUE(markers::FindMarks().empty());
  HideBuildingMarker(turret.Marker);
  EXPECT_EQ(turret.Marker.Hidden, 1);
}
