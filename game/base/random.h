// The program's one random generator, shared by the world and the sound choices.
// Seed it for a repeatable game (tests do).
#pragma once

#include <cstdint>

namespace zarn {

inline std::uint32_t RandSeed = 0;

// 0 .. n-1; 0 when n <= 0.
int Random(int n);
// A number in [0, 1).
double RandomFloat();
void Randomize(std::uint32_t seed);
// Seeds from the clock (start-up).
void RandomizeFromClock();

}  // namespace zarn
