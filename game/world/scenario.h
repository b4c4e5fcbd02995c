// Scenario files "scenes\<name>": the players with their sides and start credits, the mission,
// and the worms, units and buildings that stand on the map at the start. The writer packs the
// live world into three list buffers and writes them; the reader fills the buffers and sets up
// the players; BuildWorldFromScenario turns the buffers into the world once the map is loaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "game/base/records.h"
#include "game/base/tables.h"

namespace zarn {

inline constexpr int ScenarioMaxWorms = 10;
inline constexpr int ScenarioMaxUnits = 1000;
inline constexpr int ScenarioMaxBuildings = 3000;
inline constexpr int ScenarioTitleChars = 11;
inline constexpr int ScenarioMapNameChars = 127;
// Highest side a file may give (the sides that have names).
inline constexpr std::uint8_t MaxSide = 8;

#pragma pack(push, 1)

struct TScenarioWormEntry {
  std::uint16_t X;
  std::uint16_t Y;
};
static_assert(sizeof(TScenarioWormEntry) == 4);
static_assert(offsetof(TScenarioWormEntry, X) == 0);
static_assert(offsetof(TScenarioWormEntry, Y) == 2);

// Units and buildings alike.
struct TScenarioObjectEntry {
  std::uint16_t X;
  std::uint16_t Y;
  std::uint8_t Kind;
  std::uint8_t Side;
  std::uint8_t Owner;
  std::uint8_t Unused7;
};
static_assert(sizeof(TScenarioObjectEntry) == 8);
static_assert(offsetof(TScenarioObjectEntry, X) == 0);
static_assert(offsetof(TScenarioObjectEntry, Y) == 2);
static_assert(offsetof(TScenarioObjectEntry, Kind) == 4);
static_assert(offsetof(TScenarioObjectEntry, Side) == 5);
static_assert(offsetof(TScenarioObjectEntry, Owner) == 6);
static_assert(offsetof(TScenarioObjectEntry, Unused7) == 7);
using TScenarioUnitEntry = TScenarioObjectEntry;
using TScenarioBuildingEntry = TScenarioObjectEntry;

struct TScenarioHeader {
  std::uint8_t TitleLength;  // the title is not read back
  char Title[ScenarioTitleChars];
  std::uint8_t MapNameLength;
  char MapName[ScenarioMapNameChars];
  std::uint16_t WormCount;
  std::uint16_t UnitCount;
  std::uint16_t BuildingCount;
  std::uint8_t Unused146[2];
  Table1<std::int32_t, 8> Credits;  // players 1..8; 0 above the player count
  Table1<std::uint8_t, 8> Sides;
};
static_assert(sizeof(TScenarioHeader) == 188);
static_assert(offsetof(TScenarioHeader, TitleLength) == 0);
static_assert(offsetof(TScenarioHeader, Title) == 1);
static_assert(offsetof(TScenarioHeader, MapNameLength) == 12);
static_assert(offsetof(TScenarioHeader, MapName) == 13);
static_assert(offsetof(TScenarioHeader, WormCount) == 140);
static_assert(offsetof(TScenarioHeader, UnitCount) == 142);
static_assert(offsetof(TScenarioHeader, BuildingCount) == 144);
static_assert(offsetof(TScenarioHeader, Unused146) == 146);
static_assert(offsetof(TScenarioHeader, Credits) == 148);
static_assert(offsetof(TScenarioHeader, Sides) == 180);

#pragma pack(pop)

inline constexpr std::size_t ScenarioFixedBytes = sizeof(TScenarioHeader) + sizeof(TMissionRecord);
static_assert(ScenarioFixedBytes == 260);

constexpr std::size_t ScenarioFileSize(std::size_t worms, std::size_t units, std::size_t buildings) {
  return ScenarioFixedBytes + worms * sizeof(TScenarioWormEntry) + (units + buildings) * sizeof(TScenarioObjectEntry);
}

// A count followed by entries 1..count.
template <typename T, int N>
struct TScenarioList {
  std::uint16_t Count = 0;
  Table1<T, N> Entries{};
};

inline TScenarioList<TScenarioWormEntry, ScenarioMaxWorms> WormList{};
inline TScenarioList<TScenarioUnitEntry, ScenarioMaxUnits> UnitList{};
inline TScenarioList<TScenarioBuildingEntry, ScenarioMaxBuildings> BuildingList{};

// The scenario file of the mission or the editor: a file name inside "scenes\".
inline std::string ScenarioFileName;

// The scenario editor's brush: the side and the owner of what it places.
inline std::uint8_t EditorSide = 1;
inline std::uint8_t EditorPlayer = 1;

// "GORVASSEN", "ALMIRETH", ... by side; empty for sides without a faction word.
std::string_view FactionWord(std::uint8_t side);
// Faction word of the side and the mission number, cut to 11 characters.
std::string ScenarioTitle(std::uint8_t side, std::int32_t missionNumber);

enum class ScenarioFileResult : std::uint8_t {
  Ok = 0,
  BadName,     // empty, or names something outside "scenes\"
  Missing,     // cannot be opened or read
  BadLength,   // not exactly the length that its counts give
  BadCount,    // more worms, units or buildings than the lists hold
  BadPlayers,  // player count outside 1..8, or a side of a player out of range
  BadTitle,    // title or map name longer than its field, or an unusable map name
  BadEntry,    // an entry of unknown kind, side or owner, or off any map
  CannotWrite,
};

// The file image of the current lists, mission, players and map name.
std::vector<std::uint8_t> EncodeScenarioFile();
// Checks the whole image; only when it is sound does it fill the lists, MapFileName and
// Mission and set up the players. Anything else leaves all of them as they were.
ScenarioFileResult ApplyScenarioFile(std::span<const std::uint8_t> bytes);

// Writes "scenes\" + name; the old file survives a failed write. True when written; a failure
// is shown to the player.
bool SaveScenario(std::string_view name);
// Reads "scenes\" + name. True on failure (missing or damaged: shown to the player, nothing
// changed); false when loaded.
bool LoadScenario(std::string_view name);

void PackWorldIntoScenario();
// Empties the world and rebuilds worms, units and buildings from the lists, entry i into slot
// i. Entries off the loaded map are left out (their slots stay free).
void BuildWorldFromScenario();

}  // namespace zarn
