// Every test of this program runs with the tile index compared with the unit table after each
// world tick (the world clock's own check, off in the game).
#include "game/world/tileindex.h"

namespace {

const bool CheckedEveryTick = [] {
  zarn::TileIndexSelfCheck = true;
  return true;
}();

}  // namespace
