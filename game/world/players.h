// The player records: money, statistics, base points and the computer player's three unit lists
// (the roster of waiting combat units, the current attack wave and the defenders), and the
// per-player update that the world step runs every 32nd tick.
#pragma once

#include <cstdint>
#include <string_view>

#include "game/base/records.h"

namespace zarn {

inline constexpr std::int32_t AlarmQuietTicks = 540;
inline constexpr std::uint16_t DestroyedCheckTicks = 90;
inline constexpr std::uint16_t SpareTicks = 180;
inline constexpr std::uint16_t ThinkTicks = 36;
// A computer player holds back from attack waves and its last-resort infantry below this.
inline constexpr std::int32_t WarChestCredits = 5000;

// Fresh record for a player taking part: money, number and side; every list empty, every timer
// started from now.
void InitPlayerRecord(TPlayerRecord& player, std::uint8_t number, std::uint8_t side,
                      std::int32_t credits);

// The per-player update: harvester replacement, alarm timeouts, then the loss check of network
// games or the computer player of single play.
void PlayerTick(TPlayerRecord& player);

// Money and statistics stop at the ends of their 32 bits: a saved game or a scenario may hold any
// figure, and play only ever adds to it.
void AddSaturating(std::int32_t& counter, std::int64_t amount);
void AddCredits(TPlayerRecord& player, std::int32_t amount);

// Statistics, each one field of the record.
void AddUnitMade(TPlayerRecord& player);
void AddBuildingMade(TPlayerRecord& player);
void AddUnitDestroyed(TPlayerRecord& player);
void AddBuildingDestroyed(TPlayerRecord& player);
void AddResourceDelivered(TPlayerRecord& player, std::int32_t amount);

// Player colours by index 0..8 (cp1251); any other index gives an empty text.
std::string_view PlayerColourName(std::int32_t index);
// Network games: a player with no unit and no building left is out.
void CheckPlayerDestroyed(TPlayerRecord& player);

// The number of the player a record belongs to: its place in Players, else its Number byte.
std::uint8_t PlayerNumberOf(const TPlayerRecord& player);
// A live unit of this player (slot 1..MaxUnitSlots; slot 0 is the delivery carrier).
bool IsOwnLiveUnit(const TPlayerRecord& player, std::int32_t unit);
// True when the entry is in use and still holds a live unit of the player. An entry in use whose
// unit is gone or changed hands is freed on the way, so the lists never hand out a stranger.
bool EntryHoldsOwnUnit(const TPlayerRecord& player, TPlayerListEntry& entry);
// True when any of the three lists holds the unit.
bool UnitInAnyList(const TPlayerRecord& player, std::int32_t unit);

// A combat unit joins the computer player's roster and goes to a gathering tile. Harvesters,
// carriers and construction vehicles, strangers and units listed already are not taken.
void RegisterComputerUnit(TPlayerRecord& player, std::int32_t unit);
// A unit that died, changed hands or was eaten leaves every list (harvesters and carriers are
// never listed).
void ForgetUnit(TPlayerRecord& player, std::int32_t unit);
// The first waiting roster unit leaves the roster for another list. 0 when none.
std::int32_t TakeRosterUnit(TPlayerRecord& player);

// Base points: one beside each of the first four barracks of the player.
void RebuildBasePoints(TPlayerRecord& player);
// The nearest free gathering tile beside a base point; false (x, y untouched) when the player
// has no base point or no tile qualifies.
bool FindGatheringTile(const TPlayerRecord& player, const TUnitRecord& u, std::int32_t& x,
                       std::int32_t& y);
void SendToGatheringTile(const TPlayerRecord& player, TUnitRecord& u);

}  // namespace zarn
