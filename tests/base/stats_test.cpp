#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "game/base/dvga.h"
#include "tests/base/widget_fixture.h"

using namespace zarn;
using namespace widget_fixture;

namespace {

class Stats : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    ShowMissionStats(panel, 20, MainFont);
  }
  void TearDown() override {
    for (int i = 1; i <= 20; ++i) {
      Units[i].Free = 1;
      Units[i].Owner = 0;
      Buildings[i].Free = 1;
      Buildings[i].Owner = 0;
      Buildings[i].Kind = 0;
    }
    Players = {};
    WidgetTest::TearDown();
  }
  int ColumnX(int c) const { return panel.Left + panel.Columns[c].X; }
  TStatsPanel panel;
};

}  // namespace

TEST_F(Stats, ColumnsTakeTheirTitlesWidthsAndMaxima) {
  // Every character advances 6 pixels in the test font.
  EXPECT_EQ(panel.Columns[0].Width, 6 * 6);      // "АЛЬЯНС", not shortened
  EXPECT_EQ(panel.Columns[1].Width, 9 * 6 - 1);  // "ПОСТРОЕНО"
  EXPECT_EQ(panel.Columns[3].Width, 6 * 6 - 1);  // "ПОТЕРИ"
  EXPECT_EQ(panel.Columns[7].Width, 6 * 6);      // "ДОБЫТО", not shortened
  EXPECT_EQ(panel.Columns[5].X, 196);
  EXPECT_EQ(panel.Columns[5].Title, ToFontCodePage("РАЗРУШЕНО"_cp1251));
  for (int c = 0; c < StatsColumnCount; ++c) EXPECT_EQ(panel.Columns[c].Maximum, 1);

  EXPECT_TRUE(StatsColumns(panel, 0, {5, 2, 7, 1, 3, 0, 900}));
  EXPECT_TRUE(StatsColumns(panel, 1, {9, 1, 0, 4, -2, 0, 100}));
  EXPECT_EQ(panel.Columns[1].Maximum, 9);  // units produced
  EXPECT_EQ(panel.Columns[2].Maximum, 7);  // enemy units destroyed
  EXPECT_EQ(panel.Columns[3].Maximum, 3);  // units lost
  EXPECT_EQ(panel.Columns[4].Maximum, 2);  // buildings erected
  EXPECT_EQ(panel.Columns[5].Maximum, 4);
  EXPECT_EQ(panel.Columns[6].Maximum, 1);  // all zero: stays 1
  EXPECT_EQ(panel.Columns[7].Maximum, 900);
  EXPECT_EQ(StatsCellValue(panel.Rows[2], 3), -2);

  for (int side = 2; side < 8; ++side) EXPECT_TRUE(StatsColumns(panel, side, {}));
  EXPECT_FALSE(StatsColumns(panel, 0, {99, 99, 99, 99, 99, 99, 99}));  // a ninth row
  EXPECT_EQ(panel.RowCount, 8);
  EXPECT_EQ(panel.Columns[1].Maximum, 9);

  ShowMissionStats(panel, 14, MainFont);
  EXPECT_EQ(panel.RowCount, 0);
  EXPECT_EQ(panel.RowHeight, 14);
  EXPECT_EQ(panel.Rows[1].Values[0], 0);
}

TEST_F(Stats, CellsDrawABoxABarAndTheNumber) {
  StatsColumns(panel, 0, {10, 0, 0, 0, 0, 0, 0});
  const int y = 100, x = ColumnX(1), w = panel.Columns[1].Width;

  // Full column maximum: the bar spans width - 3.
  DrawStatsCell(panel, 10, 1, 0, y);
  EXPECT_EQ(Pixel(x + 1, y - 3), 170);  // outline, side 0
  EXPECT_EQ(Pixel(x - 1, y - 3), 0);    // corners left out
  EXPECT_EQ(Pixel(x + w, y), 170);
  EXPECT_EQ(Pixel(x + 1 + (w - 3), y + 5), 170);
  EXPECT_EQ(Pixel(x + 1 + (w - 3) + 1, y + 5), 0);

  // A fifth of the maximum: (w - 3) * 2 div 10 (the number is centred, clear of the bar's end).
  BackBuffer.fill(0);
  DrawStatsCell(panel, 2, 1, 1, y);
  EXPECT_EQ(Pixel(x + 1 + (w - 3) * 2 / 10, y + 5), 184);
  EXPECT_EQ(Pixel(x + 2 + (w - 3) * 2 / 10, y + 5), 0);

  // Zero: the box and "0", no bar.
  BackBuffer.fill(0);
  DrawStatsCell(panel, 0, 1, 2, y);
  EXPECT_EQ(CountColour(199), 2 * (w) + 2 * 9);
  EXPECT_GT(CountColour(43), 0);

  // Negative: "-2" (two characters) and no bar.
  BackBuffer.fill(0);
  DrawStatsCell(panel, -2, 1, 3, y);
  EXPECT_EQ(CountColour(228), 2 * (w) + 2 * 9);
  const int tx = x + (w - 12) / 2;
  EXPECT_GT(CountColour(43, tx, y - 2, tx + 5, y + 5), 0);
  EXPECT_GT(CountColour(43, tx + 6, y - 2, tx + 11, y + 5), 0);

  // A side above 3 draws its boxes in colour 0.
  BackBuffer.fill(9);
  DrawStatsCell(panel, 0, 1, 5, y);
  EXPECT_EQ(Pixel(x + 1, y - 3), 0);
  EXPECT_EQ(Pixel(x + w, y), 0);

  // A value past the maximum stops at the box, and a huge one does not overflow.
  BackBuffer.fill(9);
  DrawStatsCell(panel, 1000, 1, 0, y);
  EXPECT_EQ(Pixel(x + 1, y + 5), 170);
  EXPECT_EQ(Pixel(x + w - 2, y + 5), 170);
  EXPECT_EQ(Pixel(x + w - 1, y + 5), 9);
  BackBuffer.fill(9);
  DrawStatsCell(panel, INT_MAX, 1, 0, y);
  EXPECT_EQ(Pixel(x + w, y + 5), 170);
  EXPECT_NE(Pixel(x + w + 1, y + 5), 170);
}

TEST_F(Stats, PlayerRowsCountLossesLikeWhatWasMade) {
  UnitSlots = 20;
  BuildingSlots = 20;
  TPlayerRecord& p = Players[2];
  p.Side = 1;
  p.UnitsMade = 5;
  p.BuildingsMade = 4;  // a yard, a refinery and two walls; slabs are not counted as made
  p.UnitsDestroyed = 3;
  p.BuildingsDestroyed = 1;
  p.ResourceDelivered = 2500;
  auto building = [](int slot, std::uint8_t kind, std::uint8_t owner) {
    Buildings[slot].Free = 0;
    Buildings[slot].Kind = kind;
    Buildings[slot].Owner = owner;
  };
  building(1, 2, 2);
  building(2, 4, 2);
  building(3, 1, 2);
  building(4, 1, 2);
  building(5, 0, 2);  // slab
  building(6, 3, 3);  // someone else's
  for (int i = 1; i <= 4; ++i) {
    Units[i].Free = 0;
    Units[i].Owner = static_cast<std::uint8_t>(i <= 3 ? 2 : 1);
  }

  auto v = PlayerStatsValues(2);
  EXPECT_EQ(v[StatUnitsProduced], 5);
  EXPECT_EQ(v[StatBuildingsErected], 4);
  EXPECT_EQ(v[StatUnitsDestroyed], 3);
  EXPECT_EQ(v[StatBuildingsDestroyed], 1);
  EXPECT_EQ(v[StatUnitsLost], 2);
  EXPECT_EQ(v[StatBuildingsLost], 0);  // the standing walls are not losses
  EXPECT_EQ(v[StatResourceDelivered], 2500);

  Buildings[3].Free = 1;  // a wall falls
  EXPECT_EQ(PlayerStatsValues(2)[StatBuildingsLost], 1);

  // Units taken over from another player can make the loss negative.
  for (int i = 5; i <= 10; ++i) {
    Units[i].Free = 0;
    Units[i].Owner = 2;
  }
  EXPECT_EQ(PlayerStatsValues(2)[StatUnitsLost], -4);

  ASSERT_TRUE(StatsColumnsForPlayer(panel, 2));
  EXPECT_EQ(panel.Rows[1].Side, 1);
  EXPECT_FALSE(StatsColumnsForPlayer(panel, 9));
  EXPECT_EQ(PlayerStatsValues(0), (std::array<std::int32_t, 7>{}));
  UnitSlots = DefaultUnitSlots;
  BuildingSlots = DefaultBuildingSlots;
}

TEST_F(Stats, TheSummaryDrawsEveryRow) {
  WorldTickCount = 65600;  // 1:00:04
  StatsColumns(panel, 0, {12, 4, 7, 2, 3, 1, 4000});
  StatsColumns(panel, 1, {3, 8, 0, 0, 12, 6, 1500});
  StatsColumns(panel, 6, {1, 1, 1, 1, 1, 1, 1});
  ShowGameSummary(panel);
  // Every column's title on the row under the group headers, the name column's too, in the
  // titles' colour (the group header above it is in the headers').
  for (int c = 0; c < StatsColumnCount; ++c)
    EXPECT_GT(CountColour(12, ColumnX(c), panel.Top + 3, ColumnX(c) + 5, panel.Top + 20), 0) << "column " << c;
  // Each row's cells in its side's colour; side 6 has none.
  EXPECT_GT(CountColour(170), 0);
  EXPECT_GT(CountColour(184), 0);
  EXPECT_EQ(CountColour(199), 0);
  EXPECT_EQ(HashScreen(), 0xc990d251a6802457u) << std::hex << HashScreen();
  WorldTickCount = 0;
}
