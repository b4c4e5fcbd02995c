// Map files: any image is either refused with the map, its placements and the minimap scales
// untouched, or accepted and written back byte for byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "game/base/dvga.h"

namespace {

void ApplyAndCheck(std::span<const std::uint8_t> image) {
  using namespace zarn;
  static std::vector<std::uint8_t> before;
  before = EncodeMapFile();
  const float scale_x = ViewState.MinimapScaleX, scale_y = ViewState.MinimapScaleY;
  if (ApplyMapFile(image) != MapFileResult::Ok) {
    if (EncodeMapFile() != before) __builtin_trap();
    if (ViewState.MinimapScaleX != scale_x || ViewState.MinimapScaleY != scale_y) __builtin_trap();
    return;
  }
  if (GameMap.Width < 1 || GameMap.Width > MapMaxSize || GameMap.Height < 1 || GameMap.Height > MapMaxSize)
    __builtin_trap();
  if (!std::ranges::equal(EncodeMapFile(), image)) __builtin_trap();
  for (const TMapPlacement& p : MapPlacements)
    if (p.Kind != PlacementEmpty && !GameMap.Inside(p.X, p.Y)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarn;
  static const bool once = [] {
    SetMapSizeAndClear(40, 40);
    ResetMapPlacements();
    return true;
  }();
  (void)once;
  ApplyAndCheck({data, size});
  if (size < 4) return 0;

  // The length must match the header exactly, which random bytes seldom do: also try the input
  // cut or padded to the length its own header gives, with the placement kinds once kept as
  // they are and once folded into the known kinds, so the checks behind the length get their share.
  const int w = data[0] | (data[1] << 8), h = data[2] | (data[3] << 8);
  if (w < 1 || w > MapMaxSize || h < 1 || h > MapMaxSize) return 0;
  static std::vector<std::uint8_t> fitted;
  fitted.assign(MapFileSize(w, h), 0);
  std::copy_n(data, std::min(size, fitted.size()), fitted.begin());
  ApplyAndCheck(fitted);
  const std::size_t list = 4 + static_cast<std::size_t>(w) * h;
  for (std::size_t at = list; at + sizeof(TMapPlacement) <= fitted.size(); at += sizeof(TMapPlacement))
    fitted[at] %= 3;
  ApplyAndCheck(fitted);
  return 0;
}
