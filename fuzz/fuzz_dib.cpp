// BMP files: a picture is taken whole or refused, decoding its run-length pixels stays inside
// the picture, and what is taken writes back to a file that reads the same.
#include <cstddef>
#include <cstdint>

#include "game/dx/DIB.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarn;
  TDIB d;
  try {
    d.LoadFromBytes({data, size});
  } catch (const EDXError&) {
    if (!d.Empty()) __builtin_trap();
    return 0;
  }
  if (d.Empty()) return 0;
  const auto saved = d.SaveToBytes();
  std::uint32_t sum = 0;
  for (int y = 0; y < d.Height() && y < 64; ++y)
    for (int x = 0; x < d.Width() && x < 64; ++x) sum += d.GetPixel(x, y);
  d.SetPixel(0, 0, sum);
  TDIB back;
  back.LoadFromBytes(saved);
  if (back.SaveToBytes() != saved) __builtin_trap();
  return 0;
}
