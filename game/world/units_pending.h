// Routines that unit creation calls and whose topics (the players, the map view) are not yet in
// the world; each leaves this header when its topic takes it over.
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

// Players: the units-made statistic and the computer player's roster.
void AddUnitMade(TPlayerRecord& player);
void RegisterComputerUnit(TPlayerRecord& player, std::int32_t unit);
// Map view: lifts the shroud around (x, y).
void RevealArea(std::int32_t x, std::int32_t y, std::int32_t radius);

}  // namespace zarn
