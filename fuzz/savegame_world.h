// The world every saved-game image is read against in fuzzing: a 48 x 40 map of sand. Shared by
// the fuzz target and the writer of its seed saves.
#pragma once

#include <cstdint>
#include <vector>

#include "game/world/dobjects.h"

namespace fuzzsave {

inline constexpr int MapWidth = 48, MapHeight = 40;

// The map file image of that map; sets the map as a side effect on first use.
inline const std::vector<std::uint8_t>& MapImage() {
  static const std::vector<std::uint8_t> image = [] {
    zarn::SetMapSizeAndClear(MapWidth, MapHeight);
    zarn::ResetMapPlacements();
    return zarn::EncodeMapFile();
  }();
  return image;
}

}  // namespace fuzzsave
