// Golden pictures: the 320 x 200 back buffer pinned by a hash; when it differs (or
// ZARN_GOLDEN_WRITE=1) the picture is written to <build>/golden/<scene>.png for a look.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "game/base/dvga.h"
#include "tests/common/png.h"

namespace testgolden {

// The graphics data files, in the order and at the frames the game loads them.
struct TSheetFile {
  const char* Name;
  zarn::TSheetRef (*Sheet)();
  int First;
  int Count;
};

inline const TSheetFile kSheetFiles[] = {
    {"data\\army3.dat", [] { return zarn::TileSheet16.Ref(); }, 80, 8},
    {"data\\turrets.dat", [] { return zarn::TileSheet16.Ref(); }, 88, 8},
    {"data\\rturrets.dat", [] { return zarn::TileSheet16.Ref(); }, 96, 10},
    {"data\\shutes.dat", [] { return zarn::TileSheet16.Ref(); }, 106, 18},
    {"data\\explos16.dat", [] { return zarn::TileSheet16.Ref(); }, 124, 9},
    {"data\\earthes.dat", [] { return zarn::TileSheet16.Ref(); }, 133, 16},
    {"data\\mounds.dat", [] { return zarn::TileSheet16.Ref(); }, 149, 20},
    {"data\\gravels.dat", [] { return zarn::TileSheet16.Ref(); }, 169, 10},
    {"data\\ossins.dat", [] { return zarn::TileSheet16.Ref(); }, 179, 16},
    {"data\\rossins.dat", [] { return zarn::TileSheet16.Ref(); }, 195, 16},
    {"data\\sharv.dat", [] { return zarn::TileSheet16.Ref(); }, 211, 24},
    {"data\\traces.dat", [] { return zarn::TileSheet16.Ref(); }, 235, 4},
    {"data\\glaukevy.dat", [] { return zarn::TileSheet16.Ref(); }, 239, 1},
    {"data\\craters.dat", [] { return zarn::TileSheet16.Ref(); }, 240, 12},
    {"data\\shadows.dat", [] { return zarn::TileSheet16.Ref(); }, 252, 8},
    {"data\\cursors.dat", [] { return zarn::TileSheet16.Ref(); }, 260, 44},
    {"data\\army2.dat", [] { return zarn::SpriteSheet24.Ref(); }, 1, 32},
    {"data\\army4.dat", [] { return zarn::SpriteSheet24.Ref(); }, 33, 16},
    {"data\\explos24.dat", [] { return zarn::SpriteSheet24.Ref(); }, 49, 6},
    {"data\\crows.dat", [] { return zarn::SpriteSheet24.Ref(); }, 55, 8},
    {"data\\smokes.dat", [] { return zarn::SpriteSheet32.Ref(); }, 1, 3},
    {"data\\b32x32.dat", [] { return zarn::SpriteSheet32.Ref(); }, 4, 13},
    {"data\\b48x32.dat", [] { return zarn::SpriteSheet48x32.Ref(); }, 1, 11},
    {"data\\b48x48.dat", [] { return zarn::SpriteSheet48x48.Ref(); }, 1, 5},
};

// Palette and every sheet of the game folder in the current directory; true when all loaded.
inline bool LoadSheets() {
  using namespace zarn;
  bool ok = LoadPaletteSheetFile("data\\army.dat", TileSheet16.Ref(), 1, 79) == 0;
  for (const TSheetFile& f : kSheetFiles) ok = ok && LoadSheetFile(f.Name, f.Sheet(), f.First, f.Count) == 0;
  return ok;
}

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

// The back buffer as <build>/golden/<scene>.png; its path.
inline std::filesystem::path WritePicture(const std::string& scene) {
  const std::filesystem::path png = std::filesystem::path(ZARN_BINARY_DIR) / "golden" / (scene + ".png");
  testpng::Write(png, zarn::ScreenWidth, zarn::ScreenHeight, zarn::BackBuffer, Palette8());
  return png;
}

inline void ExpectPicture(const std::string& scene, std::uint64_t want) {
  const std::uint64_t got = BufferHash();
  const char* always = std::getenv("ZARN_GOLDEN_WRITE");
  const std::filesystem::path png = std::filesystem::path(ZARN_BINARY_DIR) / "golden" / (scene + ".png");
  if (got != want || (always != nullptr && std::string(always) == "1")) WritePicture(scene);
  EXPECT_EQ(got, want) << scene << ": picture differs, see " << png << " (hash 0x" << std::hex << got << ")";
}

}  // namespace testgolden
