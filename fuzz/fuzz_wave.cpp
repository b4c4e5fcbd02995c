// RIFF WAVE payloads: a wave is taken whole or refused with the layer's error, and whatever
// is taken writes back to a file that reads the same.
#include <cstddef>
#include <cstdint>

#include "game/dx/Wave.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarn;
  TWave w;
  try {
    w.LoadFromBytes({data, size});
  } catch (const EDXError&) {
    if (!w.Empty()) __builtin_trap();  // a refused file leaves the wave as it was
    return 0;
  }
  const auto again = w.SaveToBytes();
  if (again.empty()) return 0;
  TWave back;
  back.LoadFromBytes(again);
  if (back.SaveToBytes() != again) __builtin_trap();
  return 0;
}
