// Mission goals: victory and defeat of the local player, tested on every 128th world tick.
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

// World ticks between two goal tests (the tick count must be a multiple of it).
inline constexpr std::int32_t MissionGoalPeriod = 128;
inline constexpr double WorldTicksPerSecond = 18.2;

// Opens the victory or defeat screen through the hooks when the goal is decided.
void CheckMissionGoal(TMissionRecord& mission);
// Whether n whole minutes of game time have passed since the mission started.
bool MinutesElapsed(std::int32_t n);

// What the goals ask about a player: a live building of kind 2 or more (walls and slabs do
// not count), of a given kind, a live unit.
bool OwnsBuilding(std::uint8_t player);
bool OwnsBuildingOfKind(std::uint8_t player, std::uint8_t kind);
bool OwnsUnit(std::uint8_t player);
// The same for any player other than the given one.
bool EnemyOwnsBuilding(std::uint8_t player);
bool EnemyOwnsUnit(std::uint8_t player);

}  // namespace zarn
