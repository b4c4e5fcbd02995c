// Alarms of every player when its units or buildings are attacked, and the computer player's
// fighting: base defence from its roster, attack waves against the local player's buildings on
// its own clock, and its palace weapon.
#pragma once

#include <cstdint>

#include "game/base/records.h"
#include "game/base/tables.h"

namespace zarn {

// Building kinds a wave prefers as its target, drawn at random.
inline constexpr Table<std::uint8_t, 0, 15> AttackPreferenceTable{
    {4, 5, 10, 9, 8, 7, 2, 12, 6, 3, 11, 13, 14, 15, 16, 17}};
// Defence ends when the attacker is further than this from the nearest own building.
inline constexpr double DefenceReach = 30;
inline constexpr std::int32_t MaxWaveSizeBase = 70;

// A unit of the player was hit by another player's unit or building (isBuilding 1).
void UnitAttacked(TPlayerRecord& player, std::int32_t victim, std::int32_t attacker,
                  std::uint8_t attackerIsBuilding);
// A building of the player was hit; attackerIsBuilding 1 for a building attacker.
void AlertEnemyInBase(TPlayerRecord& player, std::int32_t attacker, std::int32_t building,
                      std::uint8_t attackerIsBuilding);
void UnitAlarmTimeout(TPlayerRecord& player);
void BaseAlarmTimeout(TPlayerRecord& player);

// Defenders from the roster go for the attacker. True when at least one took the order.
bool DefendBase(TPlayerRecord& player, std::int32_t attacker, std::uint8_t attackerIsBuilding);
void DefenceTick(TPlayerRecord& player);
// Defenders go back to the roster and their gathering tiles; the defence ends.
void ReleaseDefenders(TPlayerRecord& player);

void LaunchAttackWave(TPlayerRecord& player);
// The local player's building nearest to the first base point, of a kind drawn from the
// preference table, else of any kind. 0 when there is none (or no base point).
std::int32_t ChooseAttackTarget(TPlayerRecord& player);
// Sends the wave at a target unless it is gone or one of the player's own units.
void RetargetWave(TPlayerRecord& player, std::int32_t x, std::int32_t y, std::uint8_t isBuilding,
                  std::int32_t slot);
void SendAttackWave(TPlayerRecord& player, std::int32_t x, std::int32_t y, std::uint8_t isBuilding,
                    std::int32_t slot);
void AttackWaveTick(TPlayerRecord& player);
bool UnitInWave(const TPlayerRecord& player, std::int32_t unit);

}  // namespace zarn
