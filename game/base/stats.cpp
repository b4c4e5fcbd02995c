#include "game/base/stats.h"

#include <algorithm>
#include <string>

#include "game/base/cp1251.h"
#include "game/base/fonts.h"
#include "game/base/globals.h"
#include "game/base/timefmt.h"
#include "game/base/video.h"

namespace zarn {

namespace {

inline constexpr std::uint8_t ShadowColour = 0;
inline constexpr std::uint8_t HeaderColour = 43;
inline constexpr std::uint8_t TitleColour = 12;
inline constexpr std::uint8_t ValueColour = 43;

struct TColumnLayout {
  std::string_view Title;
  std::int32_t X;
};

// Which row value each column 1..7 shows.
constexpr std::array<int, StatsColumnCount> ColumnValue = {
    -1, StatUnitsProduced, StatUnitsDestroyed, StatUnitsLost, StatBuildingsErected,
    StatBuildingsDestroyed, StatBuildingsLost, StatResourceDelivered};

int LineHeight(int font) {
  const TFontSlot* f = FontOf(font);
  return (f != nullptr ? f->Height : 8) + 2;
}

// Centres a text over the columns first..last.
void DrawGroupHeader(const TStatsPanel& panel, int first, int last, std::string_view title) {
  const std::string text = ToFontCodePage(title);
  const int left = panel.Left + panel.Columns[first].X;
  const int right = panel.Left + panel.Columns[last].X + panel.Columns[last].Width;
  const int x = left + (right - left - TextWidth(panel.Font, text)) / 2;
  DrawSideStatsRow(x, panel.Top, panel.Font, text, HeaderColour);
}

}  // namespace

std::uint8_t StatsSideColour(int side) {
  switch (side) {
    case 0: return 170;
    case 1: return 184;
    case 2: return 199;
    case 3: return 228;
    default: return 0;
  }
}

std::int32_t StatsCellValue(const TStatsRow& row, int column) {
  if (column < 1 || column >= StatsColumnCount) return 0;
  return row.Values[static_cast<std::size_t>(ColumnValue[static_cast<std::size_t>(column)])];
}

void ClearStatsRows(TStatsPanel& panel) {
  panel.RowCount = 0;
  for (TStatsRow& r : panel.Rows) r = TStatsRow{};
}

void ShowMissionStats(TStatsPanel& panel, int rowHeight, int font) {
  static const TColumnLayout columns[StatsColumnCount] = {
      {"АЛЬЯНС"_cp1251, 0},      {"ПОСТРОЕНО"_cp1251, 45}, {"УБИТО"_cp1251, 91},
      {"ПОТЕРИ"_cp1251, 118},    {"ВОЗВЕДЕНО"_cp1251, 150}, {"РАЗРУШЕНО"_cp1251, 196},
      {"ПОТЕРИ"_cp1251, 243},    {"ДОБЫТО"_cp1251, 275},
  };
  panel.Left = 7;
  panel.Top = 20;
  panel.Right = 318;
  panel.Bottom = 160;
  panel.RowHeight = static_cast<std::int16_t>(rowHeight);
  panel.Font = static_cast<std::int16_t>(font);
  for (int c = 0; c < StatsColumnCount; ++c) {
    TStatsColumn& col = panel.Columns[c];
    col.Title = ToFontCodePage(columns[c].Title);
    col.X = columns[c].X;
    col.X2 = columns[c].X;
    const bool full = c == 0 || c == StatsColumnCount - 1;
    col.Width = TextWidth(font, col.Title) - (full ? 0 : 1);
    col.Maximum = 1;
  }
  ClearStatsRows(panel);
}

bool StatsColumns(TStatsPanel& panel, int side, const std::array<std::int32_t, 7>& values) {
  if (panel.RowCount < 0) panel.RowCount = 0;
  if (panel.RowCount >= StatsMaxRows) return false;
  ++panel.RowCount;
  TStatsRow& row = panel.Rows[panel.RowCount];
  row.Side = static_cast<std::uint8_t>(side);
  row.Values = values;
  for (int c = 1; c < StatsColumnCount; ++c)
    panel.Columns[c].Maximum = std::max(panel.Columns[c].Maximum, StatsCellValue(row, c));
  return true;
}

std::array<std::int32_t, 7> PlayerStatsValues(int player) {
  std::array<std::int32_t, 7> v{};
  if (player < 1 || player > MaxPlayers) return v;
  const TPlayerRecord& p = Players[player];
  // What is still on the map, counted like what was made: every unit of the player, and every
  // building but the foundation slabs (walls included).
  std::int32_t units = 0, buildings = 0;
  const int lastUnit = LastUnitSlot();
  for (int i = 1; i <= lastUnit; ++i)
    if (Units[i].Free == 0 && Units[i].Owner == player) ++units;
  const int lastBuilding = LastBuildingSlot();
  for (int i = 1; i <= lastBuilding; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free == 0 && b.Owner == player && b.Kind >= 1) ++buildings;
  }
  v[StatUnitsProduced] = p.UnitsMade;
  v[StatBuildingsErected] = p.BuildingsMade;
  v[StatUnitsDestroyed] = p.UnitsDestroyed;
  v[StatBuildingsDestroyed] = p.BuildingsDestroyed;
  v[StatUnitsLost] = static_cast<std::int32_t>(static_cast<std::int64_t>(p.UnitsMade) - units);
  v[StatBuildingsLost] = static_cast<std::int32_t>(static_cast<std::int64_t>(p.BuildingsMade) - buildings);
  v[StatResourceDelivered] = p.ResourceDelivered;
  return v;
}

bool StatsColumnsForPlayer(TStatsPanel& panel, int player) {
  if (player < 1 || player > MaxPlayers) return false;
  return StatsColumns(panel, Players[player].Side, PlayerStatsValues(player));
}

void DrawSideStatsRow(int x, int y, int font, std::string_view text, std::uint8_t colour) {
  DrawText(font, x + 1, y + 1, ShadowColour, text);
  DrawText(font, x, y, colour, text);
}

void DrawFilledBox(int x1, int y1, int x2, int y2, int side) {
  FillBox(x1, y1, x2, y2, StatsSideColour(side));
}

void DrawOutlineBox(int x1, int y1, int x2, int y2, int side) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  const std::uint8_t c = StatsSideColour(side);
  DrawHLine(x1 + 1, x2 - 1, y1, c);
  DrawHLine(x1 + 1, x2 - 1, y2, c);
  DrawVLine(x1, y1 + 1, y2 - 1, c);
  DrawVLine(x2, y1 + 1, y2 - 1, c);
}

void DrawStatsCell(const TStatsPanel& panel, std::int32_t value, int column, int side, int rowY) {
  if (column < 0 || column >= StatsColumnCount) return;
  const TStatsColumn& col = panel.Columns[column];
  const int x = panel.Left + col.X;
  DrawOutlineBox(x - 1, rowY - 3, x + col.Width, rowY + 7, side);
  if (value >= 1) {
    // 64-bit: large resource totals would overflow the product; a value above the column's
    // maximum (a row changed after it was added) fills the box and no more.
    const std::int64_t room = std::max(0, col.Width - 3);
    const std::int64_t len = std::min(room, room * value / std::max(1, col.Maximum));
    DrawFilledBox(x + 1, rowY - 1, x + 1 + static_cast<int>(len), rowY + 5, side);
  }
  // A negative count (units taken over from others) shows as "-n" without a bar.
  const std::string text = std::to_string(value);
  const int tx = x + (col.Width - TextWidth(panel.Font, text)) / 2;
  DrawSideStatsRow(tx, rowY - 2, panel.Font, text, ValueColour);
}

void ShowGameSummary(const TStatsPanel& panel) {
  const int lh = LineHeight(panel.Font);
  DrawGroupHeader(panel, 0, 0, "АЛЬЯНС"_cp1251);
  DrawGroupHeader(panel, 1, 3, "ЮНИТЫ"_cp1251);
  DrawGroupHeader(panel, 4, 6, "ЗДАНИЯ"_cp1251);
  DrawGroupHeader(panel, 7, 7, "ОССИН"_cp1251);
  const int titleY = panel.Top + lh;
  for (int c = 0; c < StatsColumnCount; ++c)
    DrawSideStatsRow(panel.Left + panel.Columns[c].X, titleY, panel.Font, panel.Columns[c].Title, TitleColour);

  const int rows = std::clamp<int>(panel.RowCount, 0, StatsMaxRows);
  int y = titleY;
  for (int r = 1; r <= rows; ++r) {
    y += panel.RowHeight;
    const TStatsRow& row = panel.Rows[r];
    DrawSideStatsRow(panel.Left + panel.Columns[0].X, y - 2, panel.Font, ToFontCodePage(SideName(row.Side)),
                     ValueColour);
    for (int c = 1; c < StatsColumnCount; ++c) DrawStatsCell(panel, StatsCellValue(row, c), c, row.Side, y);
  }
  const std::string elapsed = ToFontCodePage("Истёкшее время: "_cp1251) + TicksToHourMinSec(WorldTickCount);
  DrawSideStatsRow(panel.Left, y + std::max<int>(panel.RowHeight, lh), panel.Font, elapsed, HeaderColour);
}

}  // namespace zarn
