// The game's shared state: the scalars that every layer reads and the world tables. All live
// for the whole program; the unit initialisation (SetDefaultOptions) and the world resets put
// them back to their start values.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "game/base/records.h"
#include "game/base/tables.h"

namespace zarn {

// Capacities of the world tables; UnitSlots and BuildingSlots say how much of them is in play.
inline constexpr int MaxUnitSlots = 1000;
inline constexpr int MaxBuildingSlots = 3000;
inline constexpr int ShotSlots = 150;
inline constexpr int ExplosionSlots = 50;
inline constexpr int WormSlots = 10;
inline constexpr int OssinFieldSlots = 1000;
inline constexpr int BloomSlots = 100;
inline constexpr int DecalSlots = 1000;
inline constexpr int GroundMarkSlots = 500;
inline constexpr int MaxPlayers = 8;

inline constexpr std::int32_t DefaultUnitSlots = 200;
inline constexpr std::int32_t DefaultBuildingSlots = 200;

// KeyCode when no key is waiting.
inline constexpr std::int32_t NoKey = 1976;

// Network roles.
inline constexpr std::uint8_t RoleSingle = 0;
inline constexpr std::uint8_t RoleServer = 1;
inline constexpr std::uint8_t RoleClient = 2;

// The three debug bytes (saved games store them in this order).
#pragma pack(push, 1)
struct TDebugFlags {
  std::uint8_t DebugMode;
  std::uint8_t ShadowEnabled;  // the shroud is drawn and kept
  std::uint8_t GodMode;        // the local player's buildings take no damage
};
#pragma pack(pop)
static_assert(sizeof(TDebugFlags) == 3);
static_assert(offsetof(TDebugFlags, DebugMode) == 0);
static_assert(offsetof(TDebugFlags, ShadowEnabled) == 1);
static_assert(offsetof(TDebugFlags, GodMode) == 2);

inline constexpr TDebugFlags DefaultDebugFlags{0, 1, 0};

inline std::uint8_t GameScreen = 0;
inline std::uint8_t NetRole = RoleSingle;
inline std::uint8_t NetGameStarted = 0;
inline std::uint8_t BroadcastEnabled = 0;
// Set when a network game is left before it started: the play screen holds no game, so the
// in-game menu's way back to play leads to the lobby instead. Any frame of a game clears it.
inline std::uint8_t NoGameToContinue = 0;

// Interface clock (+1 every 53 ms on every screen) and world clock (+1 before each world step).
inline std::int32_t TickCount = 0;
inline std::int32_t WorldTickCount = 0;

inline std::uint8_t LocalPlayer = 1;
inline std::int32_t UnitSlots = DefaultUnitSlots;
inline std::int32_t BuildingSlots = DefaultBuildingSlots;
// The last slot in play of each table, as a loop end: the counts come from settings, saved
// games and the wire, and a loop never walks past the table.
inline std::int32_t LastUnitSlot() { return std::clamp<std::int32_t>(UnitSlots, 0, MaxUnitSlots); }
inline std::int32_t LastBuildingSlot() { return std::clamp<std::int32_t>(BuildingSlots, 0, MaxBuildingSlots); }
inline TDebugFlags DebugFlags = DefaultDebugFlags;
// A map is loaded or made in the editor (the editor set-ups keep its objects).
inline std::uint8_t MapExists = 0;

// Input state in 320 x 200 picture coordinates.
inline std::int32_t KeyCode = NoKey;
inline std::uint8_t TypedChar = 0;
inline std::int32_t MouseX = 0;
inline std::int32_t MouseY = 0;

// The order waiting for a target click on the map (0 none).
inline std::uint8_t PendingOrder = 0;

inline TViewState ViewState{};
// The world's start-up values: two players, mission 1, goal 1, nothing available.
inline TMissionRecord Mission{{}, 2, 1, GoalCredits2000, {}, 0};
inline Table1<TPlayerRecord, MaxPlayers> Players{};
inline Table1<TPlayerConnection, MaxPlayers> PlayerConnections{};
// A player number as objects carry it (1..MaxPlayers; anything else is nobody's).
inline bool IsPlayer(std::uint8_t p) { return p >= 1 && p <= MaxPlayers; }
inline TPlayerRecord* PlayerRecord(std::uint8_t player) { return IsPlayer(player) ? &Players[player] : nullptr; }
// Straight-line distance between two cells.
inline double TileDistance(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  const double dx = static_cast<double>(x1) - x2, dy = static_cast<double>(y1) - y2;
  return std::sqrt(dx * dx + dy * dy);
}

// A table whose records all have the given flag bytes set to 1: the world starts empty (every
// slot free or removed) rather than with 1001 zeroed "live" units.
template <typename TableT, auto... Flags>
TableT TableWithFlagsSet() {
  TableT t{};
  for (auto& r : t) ((r.*Flags = 1), ...);
  return t;
}

// The world. Unit slot 0 is the delivery carrier and is never handed out by the slot search.
using TUnitTable = Table<TUnitRecord, 0, MaxUnitSlots>;
using TBuildingTable = Table1<TBuildingRecord, MaxBuildingSlots>;
using TShotTable = Table1<TShotRecord, ShotSlots>;
using TExplosionTable = Table1<TExplosionRecord, ExplosionSlots>;
using TWormTable = Table1<TWormRecord, WormSlots>;
using TOssinFieldTable = Table1<TOssinFieldRecord, OssinFieldSlots>;
using TBloomTable = Table1<TOssinBloomRecord, BloomSlots>;
using TDecalTable = Table1<TDecalRecord, DecalSlots>;
using TGroundMarkTable = Table1<TGroundMark, GroundMarkSlots>;

inline TUnitTable Units = TableWithFlagsSet<TUnitTable, &TUnitRecord::Free, &TUnitRecord::OffMap>();
inline TBuildingTable Buildings = TableWithFlagsSet<TBuildingTable, &TBuildingRecord::Free>();
inline TShotTable UnitShots{};  // Active 0 = free
inline TShotTable BuildingShots{};
inline TExplosionTable Explosions = TableWithFlagsSet<TExplosionTable, &TExplosionRecord::Free>();
inline TWormTable Worms = TableWithFlagsSet<TWormTable, &TWormRecord::Removed>();
inline TOssinFieldTable OssinFields =
    TableWithFlagsSet<TOssinFieldTable, &TOssinFieldRecord::Free>();
inline TBloomTable OssinBlooms = TableWithFlagsSet<TBloomTable, &TOssinBloomRecord::Removed>();
inline TDecalTable Decals = TableWithFlagsSet<TDecalTable, &TDecalRecord::Free>();
inline TGroundMarkTable GroundMarks = TableWithFlagsSet<TGroundMarkTable, &TGroundMark::Free>();

}  // namespace zarn
