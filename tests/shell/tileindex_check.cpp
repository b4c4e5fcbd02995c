// Every test of this program runs with the tile index compared with the unit table after each
// world tick (the world clock's own check, off in the game), and with each worm's remembered
// reach compared with the terrain it was marked on.
#include "game/world/tileindex.h"
#include "game/world/worms.h"

namespace {

const bool CheckedEveryTick = [] {
  zarn::TileIndexSelfCheck = true;
  zarn::WormReachSelfCheck = true;
  return true;
}();

}  // namespace
