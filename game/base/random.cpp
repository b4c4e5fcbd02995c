#include "game/base/random.h"

#include <chrono>

namespace zarn {

namespace {
std::uint32_t Next() {
  RandSeed = RandSeed * 134775813u + 1u;
  return RandSeed;
}
}  // namespace

int Random(int n) {
  if (n <= 0) return 0;
  return static_cast<int>((static_cast<std::uint64_t>(Next()) * static_cast<std::uint32_t>(n)) >> 32);
}

double RandomFloat() { return Next() / 4294967296.0; }

void Randomize(std::uint32_t seed) { RandSeed = seed; }

void RandomizeFromClock() {
  RandSeed = static_cast<std::uint32_t>(
      std::chrono::steady_clock::now().time_since_epoch().count() ^
      std::chrono::system_clock::now().time_since_epoch().count());
}

}  // namespace zarn
