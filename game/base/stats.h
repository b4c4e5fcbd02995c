// The per-side statistics table of the end of a mission and of the score screen: a row per
// side with its name and seven counters, each drawn as a number in a box over a bar whose
// length is proportional to the value.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/base/tables.h"

namespace zarn {

inline constexpr int StatsMaxRows = 8;
inline constexpr int StatsColumnCount = 8;

// Order of the values of a row.
enum TStatsValue : int {
  StatUnitsProduced = 0,
  StatBuildingsErected = 1,
  StatUnitsDestroyed = 2,
  StatBuildingsDestroyed = 3,
  StatUnitsLost = 4,
  StatBuildingsLost = 5,
  StatResourceDelivered = 6,
};

struct TStatsColumn {
  std::string Title;  // font code page
  std::int32_t X = 0;  // from the panel's left edge
  std::int32_t X2 = 0;
  std::int32_t Width = 0;
  std::int32_t Maximum = 1;  // never below 1: bars divide by it
};

struct TStatsRow {
  std::uint8_t Side = 0;
  std::array<std::int32_t, 7> Values{};
};

struct TStatsPanel {
  std::int16_t Left = 7, Top = 20, Right = 318, Bottom = 160;
  std::int16_t RowHeight = 0;
  std::int16_t Font = 0;
  std::int16_t RowCount = 0;
  Table<TStatsColumn, 0, StatsColumnCount - 1> Columns{};
  Table1<TStatsRow, StatsMaxRows> Rows{};
};

inline TStatsPanel StatsPanel;

// Palette index of a side's boxes and bars (0 for sides without one).
std::uint8_t StatsSideColour(int side);
// The value of a row that column 1..7 shows.
std::int32_t StatsCellValue(const TStatsRow& row, int column);

void ShowMissionStats(TStatsPanel& panel, int rowHeight, int font);
void ClearStatsRows(TStatsPanel& panel);
// Appends a row (values in TStatsValue order); a ninth row is dropped. False when dropped.
bool StatsColumns(TStatsPanel& panel, int side, const std::array<std::int32_t, 7>& values);
// The row of player 1..8 from its record and what it still has on the map. Losses are counted
// over the same kinds as what was made (walls count, foundation slabs do not).
std::array<std::int32_t, 7> PlayerStatsValues(int player);
bool StatsColumnsForPlayer(TStatsPanel& panel, int player);
void ShowGameSummary(const TStatsPanel& panel);

void DrawSideStatsRow(int x, int y, int font, std::string_view text, std::uint8_t colour);
void DrawStatsCell(const TStatsPanel& panel, std::int32_t value, int column, int side, int rowY);
void DrawFilledBox(int x1, int y1, int x2, int y2, int side);
void DrawOutlineBox(int x1, int y1, int x2, int y2, int side);

}  // namespace zarn
