// Which frame each unit, effect and building shows, where, and in which colours.
#include <gtest/gtest.h>

#include <vector>

#include "game/base/dvga.h"
#include "tests/common/markersheets.h"

using markers::Mark;
using markers::Shadow;
using namespace zarn;

namespace {

class SpriteChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    markers::LoadMarkerSheets();
    markers::ClearBuffer();
    ViewState.ViewX = 1;
    ViewState.ViewY = 1;
    WorldTickCount = 0;
  }
  // Draws with a fresh buffer and reads back what landed.
  template <typename F>
  std::vector<Mark> Draw(F&& f) {
    markers::ClearBuffer();
    f();
    return markers::FindMarks();
  }
  template <typename F>
  long OnlyFrame(F&& f) {
    const auto m = Draw(f);
    return m.size() == 1 ? m[0].frame : -1;
  }
};

}  // namespace

TEST(SpriteRules, MoveOffsetFollowsTheFacingAndIgnoresFullSteps) {
  const int want[8][2] = {{0, -5}, {5, -5}, {5, 0}, {5, 5}, {0, 5}, {-5, 5}, {-5, 0}, {-5, -5}};
  for (int f = 0; f < 8; ++f) {
    std::int32_t x = 100, y = 100;
    MoveOffsetByFacing(5, x, y, f);
    EXPECT_EQ(x, 100 + want[f][0]) << f;
    EXPECT_EQ(y, 100 + want[f][1]) << f;
  }
  for (int counter : {16, 17, 255}) {
    std::int32_t x = 7, y = 9;
    MoveOffsetByFacing(counter, x, y, 3);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 9);
  }
  std::int32_t x = 7, y = 9;
  MoveOffsetByFacing(5, x, y, 8);
  EXPECT_EQ(x, 7);
  EXPECT_EQ(y, 9);
  EXPECT_TRUE(IsOdd(-1));
  EXPECT_FALSE(IsOdd(-2));
}

TEST_F(SpriteChoice, MovingTrikeIsShiftedByItsCounterInItsSideColours) {
  EXPECT_EQ(Draw([] { DrawTrikeMoving(16, 16, 5, 3, 3); }),
            (std::vector<Mark>{{markers::Sheet16, 43, 21, 21, 226}}));
  EXPECT_EQ(Draw([] { DrawTrikeMoving(16, 16, 16, 3, 3); }),
            (std::vector<Mark>{{markers::Sheet16, 43, 16, 16, 226}}));
  // The view shifts everything: the same trike two cells further into the map.
  ViewState.ViewX = 2;
  EXPECT_EQ(Draw([] { DrawTrikeMoving(32, 16, 0, 0, 0); }),
            (std::vector<Mark>{{markers::Sheet16, 40, 16, 16, 168}}));
}

TEST_F(SpriteChoice, WalkingInfantryCyclesThroughItsFacingGroup) {
  using Walk = void (*)(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t);
  auto walk = [&](Walk draw, int facing, std::vector<int> counters) {
    std::vector<long> frames;
    for (int counter : counters) frames.push_back(OnlyFrame([&] { draw(32, 32, counter, facing, 0); }));
    return frames;
  };
  EXPECT_EQ(walk(DrawInfantryMoving, 2, {0, 2, 4, 6}), (std::vector<long>{5, 4, 6, 4}));
  EXPECT_EQ(walk(DrawTrooperMoving, 7, {0, 2, 4, 6}), (std::vector<long>{30, 29, 31, 29}));
  // Heavy trooper walking south has two pictures only.
  EXPECT_EQ(walk(DrawTrooperMoving, 4, {0, 2, 4, 6, 8}), (std::vector<long>{27, 28, 28, 28, 27}));
  EXPECT_EQ(walk(DrawInfantrySquadMoving, 6, {0, 2, 4, 6}), (std::vector<long>{19, 20, 19, 20}));
  EXPECT_EQ(walk(DrawTrooperSquadMoving, 0, {0, 2}), (std::vector<long>{32, 33}));
}

TEST_F(SpriteChoice, EveryKindAndFacingPicksItsOwnFrame) {
  // The dispatch by kind lands on the right sheet, frame and side; kinds 8 and 13 share.
  for (std::uint8_t kind = 0; kind < UnitKindCount; ++kind)
    for (int f = 0; f < 8; ++f) {
      const auto m = Draw([&] { DrawUnitSprite(kind, 64, 64, f, 1, false, 0, false); });
      ASSERT_EQ(m.size(), 1u) << int(kind) << " " << f;
      const int sheet = UnitUsesLargeSheet(kind) ? markers::Sheet24 : markers::Sheet16;
      EXPECT_EQ(m[0], (Mark{sheet, UnitStandingFrame(kind, f), m[0].x, m[0].y, 182})) << int(kind) << " " << f;
    }
  EXPECT_EQ(OnlyFrame([] { DrawUnitSprite(UnitPerwolan, 64, 64, 2, 0, false, 0, false); }), 66);
  EXPECT_EQ(Draw([] { DrawUnitSprite(16, 64, 64, 2, 0, false, 0, false); }).size(), 0u);
  EXPECT_EQ(UnitStandingFrame(UnitInfantryman, 1), UnitStandingFrame(UnitInfantryman, 3));
  EXPECT_EQ(UnitStandingFrame(UnitSkeltrel, 7), 87);
  EXPECT_EQ(UnitStandingFrame(UnitCarrier, 2, true), 43);
  // A facing beyond 7 from a damaged record draws as facing mod 8, never a stray frame.
  EXPECT_EQ(OnlyFrame([] { DrawTrikeStanding(64, 64, 10, 0); }), 42);
}

TEST_F(SpriteChoice, FlyingUnitsCastAShadowDownRight) {
  // Carrier at cell (5, 5): the 24 x 24 frame sits 4 pixels up and left of the cell.
  EXPECT_EQ(Draw([] { DrawCarrierStanding(64, 64, 2, 1); }),
            (std::vector<Mark>{{markers::Sheet24, 35, 64 - 1 - 4, 64 - 1 - 4, 182}}));
  EXPECT_EQ(markers::FindShadows(), (std::vector<Shadow>{{64 + 2 - 4, 64 + 2 - 4}}));
  EXPECT_EQ(Draw([] { DrawCarrierLoadedMoving(64, 64, 4, 2, 1); }),
            (std::vector<Mark>{{markers::Sheet24, 43, 64 + 4 - 1 - 4, 64 - 1 - 4, 182}}));
  EXPECT_EQ(Draw([] { DrawSkeltrelMoving(64, 64, 3, 4, 0); }),
            (std::vector<Mark>{{markers::Sheet16, 84, 63, 66, 168}}));
  EXPECT_EQ(markers::FindShadows(), (std::vector<Shadow>{{66, 69}}));
}

TEST_F(SpriteChoice, HarvesterSprayRunsOnTheWorldClockOrTheCounter) {
  WorldTickCount = 12;
  EXPECT_EQ(Draw([] { DrawHarvesterWorking(64, 64, 4, 0); }),
            (std::vector<Mark>{{markers::Sheet16, 231, 64, 54, 168}, {markers::Sheet24, 29, 60, 60, 168}}));
  // Three phases of six ticks over sixteen: 0..5, 6..11, 12..15.
  std::vector<long> phases;
  for (int t : {0, 5, 6, 11, 12, 15, 16}) phases.push_back(HarvesterSprayFrame(0, t) - 211);
  EXPECT_EQ(phases, (std::vector<long>{0, 0, 8, 8, 16, 16, 0}));
  // Moving with spray: the counter both shifts and times it; facing west sprays from the east.
  EXPECT_EQ(Draw([] { DrawHarvesterMoving2(64, 64, 6, 6, 1); }),
            (std::vector<Mark>{{markers::Sheet24, 31, 54, 60, 182}, {markers::Sheet16, 225, 72, 65, 182}}));
  EXPECT_EQ(Draw([] { DrawHarvesterMoving(64, 64, 6, 6, 1); }).size(), 1u);
}

TEST_F(SpriteChoice, ShotEffectsUseSideTwoAndTheirOffsets) {
  using Effect = void (*)(std::int32_t, std::int32_t, std::int32_t);
  auto one = [&](Effect draw, int facing) {
    const auto m = Draw([&] { draw(64, 64, facing); });
    if (m.size() != 1 || m[0].sideBase != 197) return std::vector<long>{};
    return std::vector<long>{m[0].frame, m[0].x, m[0].y};
  };
  EXPECT_EQ(one(DrawShotKind0, 3), (std::vector<long>{106, 80, 80}));
  EXPECT_EQ(one(DrawShotKind1, 5), (std::vector<long>{113, 64, 64}));
  EXPECT_EQ(one(DrawShotKind2A, 7), (std::vector<long>{107, 61, 58}));
  EXPECT_EQ(one(DrawShotKind2B, 7), (std::vector<long>{107, 60, 55}));
  EXPECT_EQ(one(DrawShotKind2C, 1), (std::vector<long>{107, 78, 57}));
  EXPECT_EQ(one(DrawShotKind5, 0), (std::vector<long>{116, 64, 64}));
}

TEST_F(SpriteChoice, RippleShiftsThePictureByOnePixelInsideItsRows) {
  auto pattern = [](int x, int y) { return static_cast<std::uint8_t>((x * 7 + y * 13) % 251); };
  auto paint = [&] {
    for (int y = 0; y < ScreenHeight; ++y)
      for (int x = 0; x < ScreenWidth; ++x) BackBuffer[static_cast<std::size_t>(y * ScreenWidth + x)] = pattern(x, y);
  };
  // Facing 2 offsets by (14, -2): the block's corner lands at (100 + 14 - 4, 100 - 2 - 4).
  paint();
  DrawShotKind4(100, 100, 2);
  const int bx = 110, by = 94;
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) {
      const bool moved = x >= bx + 1 && x <= bx + 24 && y >= by + 1 && y <= by + 24;
      const std::uint8_t want = moved ? pattern(x - 1, y - 1) : pattern(x, y);
      ASSERT_EQ(markers::Px(x, y), want) << x << "," << y;
    }
  // Rows from 192 on are never touched, even by a block that reaches them.
  paint();
  DrawShotKind4(52, 166, 4);  // offset (-2, 14): point (50, 180), block from (46, 176)
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) {
      const bool moved = x >= 47 && x <= 70 && y >= 177 && y <= 191;
      ASSERT_EQ(markers::Px(x, y), moved ? pattern(x - 1, y - 1) : pattern(x, y)) << x << "," << y;
    }
  // Off the left and top edges the outside reads as colour 1.
  paint();
  SaveRippleBlock(2, 2);  // block from (-2, -2)
  RestoreRippleBlock(2, 2);
  EXPECT_EQ(markers::Px(0, 0), 1);                 // came from (-1, -1), outside
  EXPECT_EQ(markers::Px(1, 1), pattern(0, 0));
  EXPECT_EQ(markers::Px(22, 22), pattern(21, 21));
  EXPECT_EQ(markers::Px(23, 23), pattern(23, 23));  // past the block
}

TEST_F(SpriteChoice, BuildingsPickTheirFrameByPhase) {
  using Draw4 = void (*)(std::int32_t, std::int32_t, std::int32_t, std::int32_t);
  auto phases = [&](Draw4 draw, int last) {
    std::vector<long> frames;
    for (int phase = 0; phase <= last; ++phase) frames.push_back(OnlyFrame([&] { draw(0, 0, phase, 0); }));
    return frames;
  };
  EXPECT_EQ(phases(DrawAirFactory, 5), (std::vector<long>{9, 10, 11, 11, 10, 10}));
  EXPECT_EQ(phases(DrawRadar, 4), (std::vector<long>{7, 8, 9, 10, 7}));
  EXPECT_EQ(phases(DrawLightFactory, 3), (std::vector<long>{14, 15, 15, 14}));
  EXPECT_EQ(phases(DrawHeavyFactory, 3), (std::vector<long>{5, 6, 6, 5}));
  std::vector<long> refinery;
  for (int phase = 0; phase <= 3; ++phase)
    refinery.push_back(OnlyFrame([&] { DrawRefinery(0, 0, phase, 0, false, 0); }));
  EXPECT_EQ(refinery, (std::vector<long>{2, 4, 3, 2}));

  // A docked harvester sits in the refinery's bay, in its own side's colours.
  EXPECT_EQ(Draw([] { DrawRefinery(32, 16, 1, 0, true, 3); }),
            (std::vector<Mark>{{markers::Sheet48x32, 2, 32, 16, 168}, {markers::Sheet24, 29, 60, 20, 226}}));
  // Turrets and slabs are fixed-colour tiles: no side colours.
  EXPECT_EQ(Draw([] { DrawGunTurret(16, 16, 3, 1); }), (std::vector<Mark>{{markers::Sheet16, 91, 16, 16, 0}}));
  EXPECT_EQ(Draw([] { DrawRocketTurret(16, 16, 7, 1); }),
            (std::vector<Mark>{{markers::Sheet16, 103, 16, 16, 0}}));
  EXPECT_EQ(Draw([] { DrawSlab(16, 16, 0, 1); }), (std::vector<Mark>{{markers::Sheet16, 104, 16, 16, 0}}));
}
