#include <gtest/gtest.h>

#include <vector>

#include "game/world/dobjects.h"

using namespace zarn;

namespace {

std::vector<std::int32_t> Waves;
void Sound(std::int32_t, std::int32_t wave) { Waves.push_back(wave); }
std::vector<std::int32_t> Announced;
void Announce(std::int32_t slot, std::int32_t, std::int32_t) { Announced.push_back(slot); }

class BloomsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHooks();
    PlaySoundProc = Sound;
    NetBroadcast115Proc = Announce;
    Waves.clear();
    Announced.clear();
    NetRole = RoleSingle;
    SetMapSizeAndClear(30, 30);
    ClearOssinFields();
    RemoveAllBlooms();
    ClearGroundMarks();
    Randomize(7);
  }
  void TearDown() override {
    SetUp();
    ResetHooks();
    SetMapSizeAndClear(64, 64);
  }
  static int Cells() { return CountLiveOssinFields(); }
  static std::int32_t AmountAt(int x, int y) {
    std::uint16_t slot = 0;
    std::uint8_t cls = 0;
    return FindOssinFieldAt(x, y, slot, cls) == 0 ? OssinFields[slot].Amount : -1;
  }
};

TEST_F(BloomsTest, BurstShapesAndSizes) {
  EXPECT_EQ(BloomBurstSize(0), 5);
  EXPECT_EQ(BloomBurstSize(5), 5);
  EXPECT_EQ(BloomBurstSize(6), 3);
  EXPECT_EQ(BloomBurstSize(7), 3);
  EXPECT_EQ(BloomBurstSize(8), 7);
  EXPECT_EQ(BloomBurstSize(9), 7);
  for (auto [size, cells] : {std::pair{3, 9}, {5, 21}, {7, 37}}) {
    ClearOssinFields();
    BloomBurstFill(15, 15, size);
    EXPECT_EQ(Cells(), cells) << size;
  }
  // The size-7 burst is round: no corner, full middle rows.
  EXPECT_EQ(AmountAt(12, 12), -1);
  EXPECT_EQ(AmountAt(13, 12), -1);
  EXPECT_NE(AmountAt(14, 12), -1);
  EXPECT_NE(AmountAt(12, 14), -1);
}

TEST_F(BloomsTest, BurstGrowsCellsAlreadyThereAndStopsAtTheMapEdge) {
  NewOssinField(15, 15, 450);
  BloomBurstFill(15, 15, 3);
  EXPECT_EQ(AmountAt(15, 15), 750);
  EXPECT_EQ(Cells(), 9);
  // Only the 13 cells of a size-7 burst in the corner that lie on the map.
  ClearOssinFields();
  BloomBurstFill(1, 1, 7);
  EXPECT_EQ(Cells(), 13);
  // On the largest map the far corner does not wrap round to the first column.
  SetMapSizeAndClear(256, 256);
  ClearOssinFields();
  BloomBurstFill(256, 256, 7);
  EXPECT_EQ(Cells(), 13);
  EXPECT_EQ(AmountAt(1, 256), -1);
}

TEST_F(BloomsTest, EruptionLeavesCellsASoundAndNoBloom) {
  AddBloom(10, 10);
  TOssinBloomRecord& b = OssinBlooms[1];
  ASSERT_EQ(b.Removed, 0);
  EruptBloom(b);
  EXPECT_EQ(b.Removed, 1);
  EXPECT_GE(Cells(), 9);
  EXPECT_NE(AmountAt(10, 10), -1);
  EXPECT_EQ(Waves, std::vector<std::int32_t>{86});
  const int before = Cells();
  EruptBloom(b);  // gone: nothing more
  EXPECT_EQ(Cells(), before);
}

TEST_F(BloomsTest, BloomTableFillsSilently) {
  NetRole = RoleServer;
  for (int i = 1; i <= BloomSlots; ++i) AddBloom(1 + i % 30, 1 + i / 30);
  EXPECT_EQ(CountLiveBlooms(), BloomSlots);
  AddBloom(20, 20);
  EXPECT_EQ(CountLiveBlooms(), BloomSlots);
  EXPECT_EQ(Announced.size(), static_cast<std::size_t>(BloomSlots));
  EXPECT_EQ(FindFreeBloomSlot(), 0);
  RemoveBloom(OssinBlooms[40]);
  EXPECT_EQ(FindFreeBloomSlot(), 40);
  AddBloom(0, 5);  // off the map
  EXPECT_EQ(FindFreeBloomSlot(), 40);
}

TEST_F(BloomsTest, MarksFitTheGroundAndComeSevenTimesInTen) {
  GameMap.Cell(2, 2) = MakeTerrainByte(1, 0);  // rock
  GameMap.Cell(3, 2) = MakeTerrainByte(4, 0);  // ground
  int made = 0;
  for (int i = 0; i < 1000; ++i) {
    TDecalRecord d{0, 0, 0, 1, 0};
    AddCraterMark(d, 16, 16);  // rock
    EXPECT_EQ(d.Free, 1);
    AddCraterMark(d, 32, 16);
    if (d.Free == 0) {
      ++made;
      EXPECT_GE(d.Tile, 245);
      EXPECT_LE(d.Tile, 249);
    }
    d.Free = 1;
    AddCraterMark(d, 64, 64);  // sand
    if (d.Free == 0) {
      EXPECT_TRUE(d.Tile == 250 || d.Tile == 251);
    }
    d.Free = 1;
    AddExplosionMark(d, 5, 6, 3);
    if (d.Free == 0) {
      EXPECT_EQ(d.Tile, 243);
    }
  }
  EXPECT_GT(made, 620);
  EXPECT_LT(made, 780);
  // A mark just off the map's last column reads the last column instead.
  TDecalRecord edge{0, 0, 0, 1, 0};
  for (int i = 0; i < 20 && edge.Free == 1; ++i) AddCraterMark(edge, 30 * 16 + 40, 2000);
  EXPECT_EQ(edge.Free, 0);
}

}  // namespace
