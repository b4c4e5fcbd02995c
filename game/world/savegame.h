// Saved games "save\<name>": the whole world state as raw record blocks (mission, view and
// selection, debug flags, live units and buildings, every fixed world table, the players and the
// shroud). Terrain is not stored: the map named in the header is read again on loading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "game/base/globals.h"
#include "game/base/maps.h"
#include "game/base/records.h"

namespace zarn {

#pragma pack(push, 1)
struct TSaveHeader {
  std::uint8_t MapNameLength;
  char MapName[127];
  std::int32_t UnitCount;
  std::int32_t BuildingCount;
  std::int32_t WorldTick;
  std::int32_t Tick;
};
#pragma pack(pop)
static_assert(sizeof(TSaveHeader) == 144);
static_assert(offsetof(TSaveHeader, MapNameLength) == 0);
static_assert(offsetof(TSaveHeader, MapName) == 1);
static_assert(offsetof(TSaveHeader, UnitCount) == 128);
static_assert(offsetof(TSaveHeader, BuildingCount) == 132);
static_assert(offsetof(TSaveHeader, WorldTick) == 136);
static_assert(offsetof(TSaveHeader, Tick) == 140);

// Blocks 1 to 4, then the live units and buildings, then blocks 7 to 15, then the shroud.
inline constexpr std::size_t SaveLeadBytes =
    sizeof(TSaveHeader) + sizeof(TMissionRecord) + sizeof(TViewState) + sizeof(TDebugFlags);
inline constexpr std::size_t SaveTableBytes =
    sizeof(TOssinFieldTable) + sizeof(TBloomTable) + sizeof(TWormTable) + sizeof(TGroundMarkTable) +
    sizeof(TDecalTable) + sizeof(TExplosionTable) + 2 * sizeof(TShotTable) + sizeof(Players);
static_assert(SaveLeadBytes == 855);
static_assert(SaveTableBytes == 16000 + 1200 + 2120 + 6000 + 8000 + 1200 + 9000 + 9000 + 14912);

constexpr std::size_t SaveGameFileSize(std::size_t units, std::size_t buildings, std::size_t shroudWidth,
                                       std::size_t shroudHeight) {
  return SaveLeadBytes + units * sizeof(TUnitRecord) + buildings * sizeof(TBuildingRecord) + SaveTableBytes + 4 +
         shroudWidth * shroudHeight;
}

enum class SaveGameResult : std::uint8_t {
  Ok = 0,
  BadName,      // empty, or names something outside "save\"
  Missing,      // the file cannot be opened or read
  BadLength,    // not exactly the length that its counts and shroud size give
  BadCount,     // more units or buildings than the tables hold
  BadShroud,    // shroud size outside 1..256 or unlike the map's
  BadRecord,    // a record with a slot, kind, side, owner or position out of range, or a slot twice
  BadMap,       // the named map is missing or damaged
  NoFolder,     // the "save" folder is missing
  CannotWrite,
};

// The file image of the running game.
std::vector<std::uint8_t> EncodeSaveGame();
// The map name a save image names (empty when the image is too short or the name too long).
std::string SaveGameMapName(std::span<const std::uint8_t> save);
// Checks the save image and the map image it names; only when both are sound does it free the
// world and rebuild it from them. Anything else leaves the running game as it was.
SaveGameResult ApplySaveGame(std::span<const std::uint8_t> save, std::span<const std::uint8_t> map);

// Writes "save\" + name; the old file survives a failed write, which is shown to the player.
bool SaveGame(std::string_view name);
// Reads "save\" + name and its map. True when the game was loaded; a failure is shown to the
// player and the running game is untouched.
bool LoadGame(std::string_view name);

}  // namespace zarn
