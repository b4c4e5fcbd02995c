#include "game/world/units_pending.h"

namespace zarn {

void AddUnitMade(TPlayerRecord& player) { ++player.UnitsMade; }

// Empty until the computer player and the shroud land.
void RegisterComputerUnit(TPlayerRecord&, std::int32_t) {}
void RevealArea(std::int32_t, std::int32_t, std::int32_t) {}

}  // namespace zarn
