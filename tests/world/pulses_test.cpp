#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "game/world/dobjects.h"

using namespace zarn;

namespace {

// Two fields compared at once.
std::pair<long, long> P(long a, long b) { return {a, b}; }

std::vector<std::vector<std::int32_t>> Sent;
void RecordField(std::int32_t slot, std::int32_t x, std::int32_t y, std::int32_t amount) {
  Sent.push_back({slot, x, y, amount});
}

class PulsesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHooks();
    NetInitOssinFieldProc = RecordField;
    Sent.clear();
    SetMapSizeAndClear(20, 20);
    ClearOssinFields();
    NetRole = RoleSingle;
    TickCount = 500;
  }
  void TearDown() override {
    SetUp();
    ResetHooks();
    SetMapSizeAndClear(64, 64);
  }
  template <typename Pulse, typename Step>
  static std::vector<int> Run(Pulse& p, Step step, int steps) {
    std::vector<int> levels;
    for (int i = 0; i < steps; ++i, ++TickCount) {
      step(p);
      step(p);  // a second call in the same tick does nothing
      levels.push_back(p.Level);
    }
    return levels;
  }
};

TEST_F(PulsesTest, PulsesStepAsTheirSequences) {
  InitRedPulse(RedPulse1, 12);
  EXPECT_EQ(Run(RedPulse1, StepRedPulse, 26),
            (std::vector<int>{62, 62, 60, 58, 56, 54, 52, 50, 48, 46, 44, 42, 40,
                              40, 42, 44, 46, 48, 50, 52, 54, 56, 58, 60, 62, 62}));
  EXPECT_EQ(GamePalette[12], (TPaletteEntry{62, 0, 0}));

  InitBluePulse(BluePulse);
  std::vector<int> blue{61, 62, 63, 63};
  for (int l = 62; l >= 20; --l) blue.push_back(l);
  blue.insert(blue.end(), {20, 21});
  EXPECT_EQ(Run(BluePulse, StepBluePulse, static_cast<int>(blue.size())), blue);
  EXPECT_EQ(GamePalette[10], (TPaletteEntry{0, 0, 21}));

  InitWhitePulse(WhitePulse, 14);
  WhitePulse.Stopped = 1;
  StepWhitePulse(WhitePulse);
  EXPECT_EQ(WhitePulse.Level, 60);
}

TEST_F(PulsesTest, WorldResetsLeaveEveryTableEmptyAndItsRecordsBlank) {
  UnitSlots = BuildingSlots = 10;  // the resets ignore the slot counts in play
  // Each record also keeps a place of its own, as the records of a game under way do.
  const auto at = [](const auto& table, const auto& r) { return static_cast<std::uint16_t>(&r - &*table.begin()); };
  for (TUnitRecord& u : Units) u.Free = u.OffMap = 0, u.DestX = at(Units, u);
  for (TBuildingRecord& b : Buildings) b.Free = 0, b.Kind = 0, b.Health = at(Buildings, b);
  ++BuildingChanges;
  InitBuilding(Buildings[3000], 3, 3, BuildingPowerPlant, 1, 0, 3000);
  for (TShotRecord& s : UnitShots) s.Active = 1, s.PixelX = at(UnitShots, s);
  for (TShotRecord& s : BuildingShots) s.Active = 1, s.PixelX = at(BuildingShots, s);
  for (TExplosionRecord& e : Explosions) e.Free = 0, e.TileX = at(Explosions, e);
  for (TOssinBloomRecord& b : OssinBlooms) b.Removed = 0, b.X = at(OssinBlooms, b);
  for (TDecalRecord& d : Decals) d.Free = 0, d.PixelX = at(Decals, d);
  for (TGroundMark& m : GroundMarks) m.Free = 0, m.X = at(GroundMarks, m);
  for (int i = 1; i <= WormSlots; ++i) CreateWorm(Worms[i], i, i, i);
  for (int i = 1; i <= OssinFieldSlots; ++i) InitOssinField(OssinFields[i], 1 + i % 20, 1 + i % 19);

  KillAllUnits();
  DestroyAllBuildings();
  ClearProjectiles();
  ClearSecondProjectiles();
  ClearEffectSlots();
  RemoveAllBlooms();
  ClearGroundMarks();
  RemoveAllWorms();
  ClearOssinFields();
  ResetGroundMarks();

  auto all = [](auto& table, auto pred) { return std::all_of(table.begin(), table.end(), pred); };
  EXPECT_TRUE(all(Units, [](auto& u) { return u.Free == 1 && u.OffMap == 1; }));
  EXPECT_TRUE(all(Buildings, [](auto& b) { return b.Free == 1; }));
  EXPECT_EQ(OccupancyMap.Cell(4, 4), 0);
  EXPECT_TRUE(all(UnitShots, [](auto& s) { return s.Active == 0; }));
  EXPECT_TRUE(all(BuildingShots, [](auto& s) { return s.Active == 0; }));
  EXPECT_TRUE(all(Explosions, [](auto& e) { return e.Free == 1; }));
  EXPECT_TRUE(all(OssinBlooms, [](auto& b) { return b.Removed == 1; }));
  EXPECT_TRUE(all(Decals, [](auto& d) { return d.Free == 1; }));
  EXPECT_TRUE(all(Worms, [](auto& w) { return w.Removed == 1 && w.PathLength == 0 && w.Prey == 0; }));
  EXPECT_TRUE(all(OssinFields, [](auto& f) { return f.Free == 1 && f.Tiled == 0; }));
  EXPECT_EQ(OssinBulkMode, 0);
  // Whole records freed: every slot alike, nothing of what stood there before left in any.
  auto alike = [](const auto& table) {
    return std::all_of(table.begin(), table.end(),
                       [&](const auto& r) { return std::memcmp(&r, &*table.begin(), sizeof r) == 0; });
  };
  EXPECT_TRUE(alike(Units));
  EXPECT_TRUE(alike(Buildings));
  EXPECT_TRUE(alike(UnitShots));
  EXPECT_TRUE(alike(BuildingShots));
  EXPECT_TRUE(alike(Explosions));
  EXPECT_TRUE(alike(OssinBlooms));
  EXPECT_TRUE(alike(Decals));
  EXPECT_TRUE(alike(GroundMarks));
  EXPECT_TRUE(alike(Worms));
  EXPECT_TRUE(alike(OssinFields));
  UnitSlots = DefaultUnitSlots;
  BuildingSlots = DefaultBuildingSlots;
}

TEST_F(PulsesTest, NewOssinFieldOnlyOnSandInsideTheMap) {
  GameMap.Cell(5, 5) = MakeTerrainByte(1, 2);  // rock
  for (auto [x, y] : {std::pair{5, 5}, {0, 5}, {-1, 5}, {21, 5}, {5, 256}}) NewOssinField(x, y, 0);
  EXPECT_EQ(CountLiveOssinFields(), 0);  // -1 must not wrap to column 255
  NewOssinField(6, 5, 0);
  NewOssinField(7, 5, 1234);
  EXPECT_EQ(P(OssinFields[1].X, OssinFields[2].Amount), P(6, 1234));
  for (TOssinFieldRecord& f : OssinFields) f.Free = 0;  // full
  NewOssinField(9, 9, 0);
  EXPECT_EQ(FindFreeOssinFieldSlot(), 0);
  EXPECT_TRUE(Sent.empty());
}

TEST_F(PulsesTest, TheServerSendsTheAmountItChose) {
  NetRole = RoleServer;
  NewOssinField(6, 5, 0);
  ASSERT_EQ(Sent.size(), 1u);
  const std::int32_t amount = Sent[0][3];
  EXPECT_TRUE(amount % 100 == 0 && amount >= 400 && amount <= 800) << amount;
  EXPECT_EQ(CountLiveOssinFields(), 0);  // the hook makes the cell, on every machine alike
  NetRole = RoleClient;
  NewOssinField(8, 5, 0);
  EXPECT_EQ(Sent.back(), (std::vector<std::int32_t>{1, 8, 5, 0}));  // the server decides
}

}  // namespace
