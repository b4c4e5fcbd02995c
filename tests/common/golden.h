// Golden pictures: the 320 x 200 back buffer pinned by a hash; when it differs (or
// ZARN_GOLDEN_WRITE=1) the picture is written to <build>/golden/<scene>.png for a look.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "game/base/video.h"
#include "tests/common/png.h"

namespace testgolden {

// FNV-1a of the back buffer.
inline std::uint64_t BufferHash() {
  std::uint64_t h = 14695981039346656037ull;
  for (std::uint8_t b : zarn::BackBuffer) h = (h ^ b) * 1099511628211ull;
  return h;
}

// The game palette's six-bit components widened to eight bits.
inline std::array<std::uint8_t, 768> Palette8() {
  std::array<std::uint8_t, 768> p{};
  for (std::size_t i = 0; i < 256; ++i) {
    const zarn::TPaletteEntry e = zarn::GamePalette[i];
    const std::uint8_t c[3] = {e.Red, e.Green, e.Blue};
    for (int k = 0; k < 3; ++k)
      p[i * 3 + k] = static_cast<std::uint8_t>(((c[k] & 63) << 2) | ((c[k] & 63) >> 4));
  }
  return p;
}

inline void ExpectPicture(const std::string& scene, std::uint64_t want) {
  const std::uint64_t got = BufferHash();
  const char* always = std::getenv("ZARN_GOLDEN_WRITE");
  const std::filesystem::path png = std::filesystem::path(ZARN_BINARY_DIR) / "golden" / (scene + ".png");
  if (got != want || (always != nullptr && std::string(always) == "1"))
    testpng::Write(png, zarn::ScreenWidth, zarn::ScreenHeight, zarn::BackBuffer, Palette8());
  EXPECT_EQ(got, want) << scene << ": picture differs, see " << png << " (hash 0x" << std::hex << got << ")";
}

}  // namespace testgolden
