// Saved games: any image is either refused with the running game untouched, or accepted with
// every restored record inside its table and the map.
// Start it on the seed saves the build writes (build/fuzz/fuzz/seeds/savegame); a valid save is
// some 70 KB, so the maximum length defaults to 256 KB unless -max_len is given.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "fuzz/savegame_world.h"

namespace {

void ApplyAndCheck(std::span<const std::uint8_t> image) {
  using namespace zarn;
  static std::vector<std::uint8_t> before;
  before = EncodeSaveGame();
  const SaveGameResult r = ApplySaveGame(image, fuzzsave::MapImage());
  if (r != SaveGameResult::Ok) {
    if (EncodeSaveGame() != before) __builtin_trap();
    return;
  }
  for (const TUnitRecord& u : Units)
    if (u.Free == 0 && !GameMap.Inside(u.X, u.Y)) __builtin_trap();
  for (const TBuildingRecord& b : Buildings)
    if (b.Free == 0 && (b.Kind >= BuildingKindCount || !GameMap.Inside(b.X, b.Y))) __builtin_trap();
  if (ShroudMap.Width != GameMap.Width || ShroudMap.Height != GameMap.Height) __builtin_trap();
  // What was accepted is what the game writes back, with the same length.
  if (EncodeSaveGame().size() > image.size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> args;
  static char maxLen[] = "-max_len=262144";
  args.assign(*argv, *argv + *argc);
  const bool given = std::any_of(args.begin(), args.end(),
                                 [](const char* a) { return std::string_view(a).starts_with("-max_len="); });
  if (!given) {
    args.insert(args.begin() + 1, maxLen);
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size()) - 1;
    *argv = args.data();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarn;
  ApplyAndCheck({data, size});
  if (size < SaveLeadBytes) return 0;

  // The length must match the counts in the header and the shroud's size, which mutations
  // seldom keep: also try the input cut or padded to the length its own counts give, with the
  // shroud sized to the map, so that the record checks behind the length get their share.
  std::int32_t units, buildings;
  std::memcpy(&units, data + offsetof(TSaveHeader, UnitCount), 4);
  std::memcpy(&buildings, data + offsetof(TSaveHeader, BuildingCount), 4);
  if (units < 0 || units > MaxUnitSlots + 1 || buildings < 0 || buildings > MaxBuildingSlots)
    return 0;
  static std::vector<std::uint8_t> fitted;
  fitted.assign(SaveGameFileSize(units, buildings, fuzzsave::MapWidth, fuzzsave::MapHeight), 0);
  std::copy_n(data, std::min(size, fitted.size()), fitted.begin());
  const std::size_t shroudAt = SaveGameFileSize(units, buildings, 0, 0) - 4;
  fitted[shroudAt] = fuzzsave::MapWidth;
  fitted[shroudAt + 1] = 0;
  fitted[shroudAt + 2] = fuzzsave::MapHeight;
  fitted[shroudAt + 3] = 0;
  ApplyAndCheck(fitted);
  return 0;
}
