#include "setup/images/Animate.h"

#include <algorithm>

namespace zarn3set {

std::uint16_t SurfaceColor(const plat::Surface& s, TColor c) {
  TRGB rgb = ColorToRgb(c);
  return plat::PackColour(s.format, rgb.r, rgb.g, rgb.b);
}

void StretchDrawBitmap(plat::Surface& dst, plat::Rect r, const TBitmap& bmp, TColor transparent,
                       const std::vector<std::uint8_t>* covered, TColor holes) {
  if (bmp.Empty() || r.w <= 0 || r.h <= 0 || dst.pixels.empty()) return;
  if (covered && covered->size() != static_cast<std::size_t>(bmp.width) * bmp.height) covered = nullptr;
  const std::uint16_t holeColour = holes == clNone ? 0 : SurfaceColor(dst, holes);
  int x0 = std::max(0, r.x), y0 = std::max(0, r.y);
  int x1 = std::min(dst.width, r.x + r.w), y1 = std::min(dst.height, r.y + r.h);
  // Colours of the palette packed once.
  std::vector<std::uint16_t> packed;
  std::vector<bool> clear;
  if (bmp.bits <= 8) {
    for (const TRGB& c : bmp.palette) {
      packed.push_back(plat::PackColour(dst.format, c.r, c.g, c.b));
      clear.push_back(transparent != clNone && RgbToColor(c) == (transparent & 0xFFFFFF));
    }
  }
  for (int y = y0; y < y1; ++y) {
    int sy = static_cast<int>((static_cast<std::int64_t>(y - r.y) * bmp.height) / r.h);
    std::uint16_t* row = dst.pixels.data() + static_cast<std::size_t>(y) * dst.width;
    for (int x = x0; x < x1; ++x) {
      int sx = static_cast<int>((static_cast<std::int64_t>(x - r.x) * bmp.width) / r.w);
      if (covered && !(*covered)[static_cast<std::size_t>(sy) * bmp.width + sx]) {
        if (holes != clNone) row[x] = holeColour;
        continue;
      }
      if (bmp.bits <= 8) {
        unsigned i = bmp.Index(sx, sy);
        if (i >= packed.size() || clear[i]) continue;
        row[x] = packed[i];
      } else {
        TRGB c = bmp.Pixel(sx, sy);
        if (transparent != clNone && RgbToColor(c) == (transparent & 0xFFFFFF)) continue;
        row[x] = plat::PackColour(dst.format, c.r, c.g, c.b);
      }
    }
  }
}

void TRxImageControl::Paint(plat::Surface& target) {
  if (!visible || destroying || width <= 0 || height <= 0) return;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  plat::Surface& off = off_;
  if ((off.width != width || off.height != height || off.format != target.format ||
       plat::SurfaceIsLost(off)) &&
      !plat::SurfaceCreate(off, width, height, target.format))
    return;
  // The columns and rows of the control that lie on the target.
  const int x0 = std::clamp(-left, 0, width), x1 = std::clamp(target.width - left, x0, width);
  const int y0 = std::clamp(-top, 0, height), y1 = std::clamp(target.height - top, y0, height);
  auto onTarget = [&](int x, int y) {
    return target.pixels.data() + static_cast<std::size_t>(top + y) * target.width + (left + x);
  };
  // The parent's background under the control shows through transparent pictures.
  for (int y = y0; y < y1; ++y)
    std::copy(onTarget(x0, y), onTarget(x1, y), off.pixels.data() + static_cast<std::size_t>(y) * width + x0);
  DrawPicture(off);
  // Back in one piece.
  for (int y = y0; y < y1; ++y) {
    const std::uint16_t* row = off.pixels.data() + static_cast<std::size_t>(y) * width;
    std::copy(row + x0, row + x1, onTarget(x0, y));
  }
  invalid_ = false;
}

}  // namespace zarn3set
