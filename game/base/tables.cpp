#include "game/base/tables.h"

namespace zarn {

void ThrowRangeError(long index, long lo, long hi) {
  throw RangeError("index " + std::to_string(index) + " outside " + std::to_string(lo) + ".." +
                   std::to_string(hi));
}

}  // namespace zarn
