// The palace's special weapon, fired at a chosen tile once charged: a missile (sides 0 and 3,
// and every palace in a network game), guard squads summoned from the nearest map corner
// (side 1), or the take-over of an enemy unit (side 2).
#pragma once

#include <cstdint>

#include "game/base/records.h"
#include "game/base/tables.h"

namespace zarn {

// Squads summoned by one use, and the tiles they may appear on.
inline constexpr int TroopSquads = 10;
inline constexpr int TroopTiles = 16;
// Summoned squads are guard troopers of this side.
inline constexpr std::uint8_t TroopSide = 4;

struct TTroopTile {
  std::uint16_t X;
  std::uint16_t Y;
};
using TTroopTiles = Table1<TTroopTile, TroopTiles>;

void UseSpecialWeapon(TBuildingRecord& b, std::int32_t x, std::int32_t y);
// Of the corners 0 (1, 1), 1 (width, 1), 2 (1, height), 3 (width, height), the one nearest to
// (x, y); a later corner wins only when strictly nearer.
std::uint16_t NearestMapCorner(std::int32_t x, std::int32_t y, std::int32_t& cx, std::int32_t& cy);
// Four rows from y down, each with the columns x, x + 2, x + 4, x + 6.
void ListTroopTiles(std::int32_t x, std::int32_t y, TTroopTiles& list);
// The first listed tile a guard squad of the owner may enter. 0 found, 1 none.
std::uint8_t FindTroopTile(const TTroopTiles& list, std::uint8_t owner, std::int32_t& x,
                           std::int32_t& y);
// Up to ten squads at the gathering point (gx, gy), marching to the palace at (px, py).
// Returns how many were made.
int SummonTroops(std::int32_t px, std::int32_t py, std::int32_t gx, std::int32_t gy,
                 std::uint8_t owner);
// The enemy unit in the lowest slot (harvesters and carriers excepted) changes hands for good.
// Returns its slot, 0 when there was none.
std::uint16_t ConvertFirstEnemyUnit(std::uint8_t owner);

}  // namespace zarn
