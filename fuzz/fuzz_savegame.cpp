// Saved games: any image is either refused with the running game untouched, or accepted with
// every restored record inside its table and the map.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "game/world/dobjects.h"

namespace {

// The map every image is read against: 48 x 40 of sand (the shroud must match it).
const std::vector<std::uint8_t>& MapImage() {
  static const std::vector<std::uint8_t> image = [] {
    zarn::SetMapSizeAndClear(48, 40);
    zarn::ResetMapPlacements();
    return zarn::EncodeMapFile();
  }();
  return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarn;
  const std::vector<std::uint8_t>& map = MapImage();
  static std::vector<std::uint8_t> before;
  before = EncodeSaveGame();
  const SaveGameResult r = ApplySaveGame({data, size}, map);
  if (r != SaveGameResult::Ok) {
    if (EncodeSaveGame() != before) __builtin_trap();
    return 0;
  }
  for (const TUnitRecord& u : Units)
    if (u.Free == 0 && !GameMap.Inside(u.X, u.Y)) __builtin_trap();
  for (const TBuildingRecord& b : Buildings)
    if (b.Free == 0 && (b.Kind >= BuildingKindCount || !GameMap.Inside(b.X, b.Y))) __builtin_trap();
  if (ShroudMap.Width != GameMap.Width || ShroudMap.Height != GameMap.Height) __builtin_trap();
  // What was accepted is what the game writes back, with the same length.
  if (EncodeSaveGame().size() > size) __builtin_trap();
  return 0;
}
