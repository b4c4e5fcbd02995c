// A tiny resource archive with the widgets' pictures and an 8 x 8 font whose every character
// advances 6 pixels, so that positions and cuts are easy to reason about.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "game/base/dvga.h"

namespace widget_fixture {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Img(int w, int h, std::uint8_t colour, bool border1 = false) {
  Bytes v = {static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8), static_cast<std::uint8_t>(h),
             static_cast<std::uint8_t>(h >> 8)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
      v.push_back(border1 && edge ? 1 : colour);
    }
  return v;
}

inline Bytes Archive(const std::vector<std::pair<std::string, Bytes>>& records) {
  Bytes out;
  for (const auto& [name, data] : records) {
    Bytes h(24, 0);
    h[0] = static_cast<std::uint8_t>(name.size());
    std::memcpy(h.data() + 1, name.data(), name.size());
    const std::uint16_t magic = zarn::ArchiveMagic;
    const auto pos = static_cast<std::int32_t>(out.size() + 24);
    const auto size = static_cast<std::int32_t>(data.size());
    std::memcpy(h.data() + 14, &magic, 2);
    std::memcpy(h.data() + 16, &pos, 4);
    std::memcpy(h.data() + 20, &size, 4);
    out.insert(out.end(), h.begin(), h.end());
    out.insert(out.end(), data.begin(), data.end());
  }
  return out;
}

// Each glyph's rows differ by character but always end on bit 3: width 4, advance 6.
inline Bytes Font() {
  Bytes f = {8, 8};
  f.resize(2 + 2050, 0);
  for (int c = 33; c < 256; ++c)
    for (int r = 0; r < 8; ++r) f[2 + static_cast<std::size_t>(c) * 8 + r] = static_cast<std::uint8_t>(((c * 37 + r * 11) & 0xF0) | 0x08);
  return f;
}

inline std::uint64_t HashScreen() {
  std::uint64_t h = 1469598103934665603ull;
  for (const std::uint8_t b : zarn::BackBuffer) h = (h ^ b) * 1099511628211ull;
  return h;
}

inline int CountColour(std::uint8_t c, int x1 = 0, int y1 = 0, int x2 = 319, int y2 = 199) {
  int n = 0;
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x) n += zarn::BackBuffer[static_cast<std::size_t>(y) * 320 + x] == c;
  return n;
}

inline std::uint8_t Pixel(int x, int y) { return zarn::BackBuffer[static_cast<std::size_t>(y) * 320 + x]; }

// Sets up the archive, the font as MainFont, a clean buffer and the interface clock.
class WidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zarn::CloseAllArchives();
    zarn::ResetFonts();
    zarn::ResetClipRect();
    zarn::ResetHooks();
    zarn::BackBuffer.fill(0);
    zarn::TickCount = 1000;
    zarn::KeyCode = zarn::NoKey;
    zarn::TypedChar = 0;
    zarn::ViewState.LocalSide = 0;
    zarn::GameOptions = zarn::TGameOptions{};
    const Bytes file = Archive({
        {"listbox.img", Img(254, 108, 2)},
        {"dvigok.img", Img(12, 22, 5)},
        {"chktrue.img", Img(12, 10, 20)},
        {"chkfalse.img", Img(12, 10, 21)},
        {"editbox.img", Img(254, 14, 22)},
        {"trackbar.img", Img(200, 12, 3)},
        {"dvigok2.img", Img(20, 16, 23, true)},
        {"sphera.img", Img(10, 10, 4)},
        {"pagelist.img", Img(174, 18, 24)},
    });
    ASSERT_EQ(zarn::OpenResourceArchiveBytes("zarn.res", file, archive_), 0);
    zarn::MainFont = zarn::LoadFontBytes("main.fnt", Font(), font_);
    ASSERT_EQ(zarn::MainFont, 1);
  }
  void TearDown() override {
    zarn::CloseAllArchives();
    zarn::ResetFonts();
    zarn::MainFont = 0;
    zarn::KeyCode = zarn::NoKey;
  }
  Bytes archive_, font_;
};

}  // namespace widget_fixture
