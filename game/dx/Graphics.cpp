#include "game/dx/Graphics.h"

#include <algorithm>

namespace zarn {

HPALETTE TPaletteManager::AllocPalette(std::span<const TDIBQuad> entries) {
  std::uint32_t key = static_cast<std::uint32_t>(entries.size());
  for (const TDIBQuad& q : entries) key += q.rgbRed + q.rgbGreen + q.rgbBlue;
  for (TPaletteItem& item : items_) {
    const auto& have = item.Palette->Entries;
    if (item.Key == key && std::equal(have.begin(), have.end(), entries.begin(), entries.end())) {
      ++item.UseCount;
      return item.Palette;
    }
  }
  auto palette = std::make_shared<TGDIPalette>();
  palette->Entries.assign(entries.begin(), entries.end());
  items_.push_back(TPaletteItem{key, palette, 1});
  return palette;
}

void TPaletteManager::DeletePalette(const HPALETTE& palette) {
  auto it = std::find_if(items_.begin(), items_.end(),
                         [&](const TPaletteItem& i) { return i.Palette == palette; });
  if (it != items_.end() && --it->UseCount <= 0) items_.erase(it);
}

int TPaletteManager::UseCount(const HPALETTE& palette) const {
  for (const TPaletteItem& i : items_)
    if (i.Palette == palette) return i.UseCount;
  return 0;
}

TPaletteManager& PaletteManager() {
  static TPaletteManager manager;
  return manager;
}

HPALETTE TCanvas::SelectPalette(HPALETTE palette) {
  std::swap(palette_, palette);
  return palette;
}

namespace {

TColor Rop(std::uint32_t rop, TColor src, TColor dst) {
  switch (rop) {
    case cmSrcPaint:
      return src | dst;
    case cmSrcAnd:
      return src & dst;
    case cmSrcInvert:
      return src ^ dst;
    case cmNotSrcCopy:
      return ~src & 0xFFFFFF;
    default:
      return src;
  }
}

}  // namespace

void StretchColours(TCanvas& dst, plat::Rect d, int sw, int sh,
                    const std::function<TColor(int, int)>& colourAt) {
  if (d.w <= 0 || d.h <= 0 || sw <= 0 || sh <= 0) return;
  const int x0 = std::max(d.x, 0), y0 = std::max(d.y, 0);
  const int x1 = std::min(d.x + d.w, dst.Width()), y1 = std::min(d.y + d.h, dst.Height());
  const bool plainCopy = dst.CopyMode == cmSrcCopy;
  for (int y = y0; y < y1; ++y) {
    // Each destination pixel takes the source pixel under its centre.
    const int sy = static_cast<int>(((2LL * (y - d.y) + 1) * sh) / (2LL * d.h));
    for (int x = x0; x < x1; ++x) {
      const int sx = static_cast<int>(((2LL * (x - d.x) + 1) * sw) / (2LL * d.w));
      const TColor c = colourAt(sx, sy);
      dst.SetPixel(x, y, plainCopy ? c : Rop(dst.CopyMode, c, dst.Pixel(x, y)));
    }
  }
}

void StretchBlt(TCanvas& dst, plat::Rect d, TCanvas& src, plat::Rect s) {
  const int w = src.Width(), h = src.Height();
  StretchColours(dst, d, s.w, s.h, [&](int x, int y) {
    const int sx = s.x + x, sy = s.y + y;
    return sx >= 0 && sy >= 0 && sx < w && sy < h ? src.Pixel(sx, sy) : 0;
  });
}

// ---------------------------------------------------------------------------------------------
// TBitmap

TBitmap::TBitmap(std::int32_t width, std::int32_t height, int bitCount)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), bitCount_(bitCount) {
  values_.assign(static_cast<std::size_t>(width_) * height_, 0);
  if (bitCount <= 8) Palette.assign(std::size_t{1} << bitCount, TDIBQuad{0, 0, 0, 0});
}

std::uint32_t TBitmap::Value(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return values_[static_cast<std::size_t>(y) * width_ + x];
}

void TBitmap::SetValue(int x, int y, std::uint32_t v) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  values_[static_cast<std::size_t>(y) * width_ + x] = v;
}

TColor TBitmap::ColorAt(int x, int y) const {
  const std::uint32_t v = Value(x, y);
  if (bitCount_ <= 8) return v < Palette.size() ? QuadColor(Palette[v]) : 0;
  std::uint32_t rm = RMask, gm = GMask, bm = BMask;
  if (!HasMasks) {
    if (bitCount_ == 16) {
      rm = 0x7C00, gm = 0x3E0, bm = 0x1F;
    } else {
      rm = 0xFF0000, gm = 0xFF00, bm = 0xFF;
    }
  }
  auto channel = [v](std::uint32_t mask) -> std::uint8_t {
    if (mask == 0) return 0;
    const int shift = __builtin_ctz(mask);
    const std::uint32_t max = mask >> shift;
    return static_cast<std::uint8_t>(((v & mask) >> shift) * 255 / max);
  };
  return RGBColor(channel(rm), channel(gm), channel(bm));
}

void TBitmap::Draw(TCanvas& canvas, plat::Rect rect) const {
  StretchColours(canvas, rect, width_, height_, [this](int x, int y) { return ColorAt(x, y); });
}

}  // namespace zarn
