#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "game/world/dobjects.h"

using namespace zarn;

namespace {

class OssinFieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMapSizeAndClear(30, 30);
    std::fill(std::begin(OccupancyMap.Cells), std::end(OccupancyMap.Cells), 0);
    KillAllUnits();
    ClearOssinFields();
    UnitSlots = 200;
    next_ = 1;
  }
  void TearDown() override {
    SetUp();
    SetMapSizeAndClear(64, 64);
  }
  // Cells take the slots in the order they are laid.
  TOssinFieldRecord& Lay(int x, int y) {
    InitOssinField(OssinFields[next_], x, y);
    return OssinFields[next_++];
  }
  int next_ = 1;
};

TEST_F(OssinFieldsTest, PictureForEachNeighbourPattern) {
  struct Row {
    bool n, w, e, s;
    std::uint16_t picture;
  };
  const Row rows[] = {
      {1, 1, 1, 1, 179}, {0, 1, 1, 1, 181}, {1, 0, 1, 1, 183}, {1, 1, 0, 1, 185},
      {1, 1, 1, 0, 187}, {0, 0, 1, 1, 180}, {0, 1, 0, 1, 182}, {1, 0, 1, 0, 186},
      {1, 1, 0, 0, 188}, {1, 0, 0, 1, 194}, {0, 1, 1, 0, 193}, {0, 0, 0, 1, 189},
      {1, 0, 0, 0, 190}, {0, 0, 1, 0, 191}, {0, 1, 0, 0, 192}, {0, 0, 0, 0, 184}};
  for (const Row& r : rows) {
    for (bool corners : {false, true}) {  // the corners never change the picture
      SetUp();
      TOssinFieldRecord& c = Lay(10, 10);
      if (r.n) Lay(10, 9);
      if (r.w) Lay(9, 10);
      if (r.e) Lay(11, 10);
      if (r.s) Lay(10, 11);
      if (corners) {
        Lay(9, 9);
        Lay(11, 11);
      }
      RetileOssinField(c);
      EXPECT_EQ(c.Image, r.picture) << r.n << r.w << r.e << r.s << corners;
    }
  }
  // A surrounded cell turns inner and is drawn from the inner set from its next tiling on.
  SetUp();
  for (int y = 3; y <= 7; ++y)
    for (int x = 3; x <= 7; ++x) Lay(x, y);
  TOssinFieldRecord& centre = OssinFields[13];  // (5, 5)
  for (int pass = 0; pass < 2; ++pass)
    for (TOssinFieldRecord& f : OssinFields) RetileOssinField(f);
  EXPECT_EQ(centre.Inner, 1);
  EXPECT_EQ(centre.Image, 195);
  EXPECT_EQ(OssinFields[7].Image, 196);  // (4, 4): inner neighbours east and south only
}

TEST_F(OssinFieldsTest, NeighbourBitsCombineWithoutAddingUp) {
  TOssinFieldRecord& c = Lay(5, 5);
  Lay(6, 5);
  Lay(6, 5);  // one tile listed twice must not read as the south-west neighbour (16 + 16)
  EXPECT_EQ(NeighbourMask(5, 5), 16);
  RetileOssinField(c);
  EXPECT_EQ(c.Image, 191);
}

TEST_F(OssinFieldsTest, DrainingTheLastOfACellRetilesUpToTwoTilesAway) {
  for (int x = 4; x <= 9; ++x) Lay(x, 5);
  for (TOssinFieldRecord& f : OssinFields) RetileOssinField(f);
  for (TOssinFieldRecord& f : OssinFields) f.Image = 1;  // stale pictures show what was re-tiled
  TOssinFieldRecord& middle = OssinFields[3];              // (6, 5)
  DrainOssinField(middle, middle.Amount - 1);
  EXPECT_EQ(middle.Free, 0);
  EXPECT_EQ(middle.Amount, 1);
  DrainOssinField(middle, 1);  // 0 is below 1
  EXPECT_EQ(middle.Free, 1);
  const std::uint16_t expected[] = {191, 192, 1, 191, 193, 1};  // (9, 5), three away, untouched
  for (int i = 0; i < 6; ++i)
    if (i != 2) {
      EXPECT_EQ(OssinFields[i + 1].Image, expected[i]) << i;
    }
}

TEST_F(OssinFieldsTest, NearestSearchesTieToTheLowestSlot) {
  Lay(12, 10);
  Lay(8, 10);
  std::uint16_t slot = 0;
  std::int32_t x = 0, y = 0;
  ASSERT_EQ(FindNearestOssinField(10, 10, 5, slot, y, x), 0);
  EXPECT_EQ(std::tuple(slot, x, y), std::tuple(std::uint16_t{1}, 12, 10));
  EXPECT_EQ(FindNearestOssinField(10, 10, 1, slot, y, x), 1);
}

TEST_F(OssinFieldsTest, EnterableFieldSearchHasThreeResults) {
  InitUnit(Units[1], 10, 10, 1, 0, 1, UnitHarvester);
  std::int32_t x = 0, y = 0;
  std::uint16_t slot = 0;
  EXPECT_EQ(FindNearestEnterableField(1, 3, x, slot, y), FieldNoneNear);
  Lay(12, 10);
  OccupancyMap.Cell(12, 10) = 1;  // under a building
  EXPECT_EQ(FindNearestEnterableField(1, 3, x, slot, y), FieldNoneEnterable);
  Lay(7, 10);  // farther, but free
  ASSERT_EQ(FindNearestEnterableField(1, 3, x, slot, y), FieldFound);
  EXPECT_EQ(std::tuple(slot, x, y), std::tuple(std::uint16_t{2}, 7, 10));
  EXPECT_EQ(FindNearestEnterableField(5000, 3, x, slot, y), FieldNoneNear);
}

}  // namespace
