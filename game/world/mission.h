// Mission goals: victory and defeat of the local player, tested on every 128th world tick.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "game/base/records.h"

namespace zarn {

// World ticks between two goal tests (the tick count must be a multiple of it).
inline constexpr std::int32_t MissionGoalPeriod = 128;
inline constexpr double WorldTicksPerSecond = 18.2;

// The campaign's goals by mission number (every faction alike): money first, then building,
// then war, and a long siege at the end. The scenarios and the briefings both come from it.
inline constexpr int CampaignMissionCount = 12;
inline constexpr std::array<std::int32_t, CampaignMissionCount> CampaignGoals{
    GoalCredits2000,      GoalBuildRadar,  GoalCredits5000,      GoalBuildAcademy,
    GoalKillAllUnits,     GoalCredits10000, GoalKillAllBuildings, GoalSurvive30,
    GoalKillAllBuildings, GoalConquerIn60, GoalKillAllBuildings, GoalKillAllBuildings};
// The goal of campaign mission 1..12; GoalNone for any other number.
std::int32_t CampaignGoal(std::int32_t mission);
// What a briefing says about a goal (cp1251, lines split by '\n'); empty for no goal or a type
// out of range.
std::string_view GoalBriefingText(std::int32_t goal);

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
