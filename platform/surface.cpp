// 16-bit software surfaces.
#include "platform/surface.h"

#include <algorithm>

#include "platform/backend.h"

namespace plat {
namespace {
std::uint32_t gEpoch = 1;  // 0 is never current: a surface with it is lost
constexpr int kMaxSide = 8192;

Rect Clip(Rect r, int w, int h) {
  int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  int x1 = std::min(r.x + r.w, w), y1 = std::min(r.y + r.h, h);
  if (x1 <= x0 || y1 <= y0) return Rect{};
  return Rect{x0, y0, x1 - x0, y1 - y0};
}
}  // namespace

namespace detail {
void LoseAllSurfaces() { ++gEpoch; }
std::uint32_t SurfaceEpoch() { return gEpoch; }
}  // namespace detail

bool SurfaceCreate(Surface& s, int width, int height, PixelFormat format) {
  SurfaceRelease(s);
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  s.width = width;
  s.height = height;
  s.format = format;
  s.pixels.assign(static_cast<std::size_t>(width) * height, 0);
  s.epoch = gEpoch;
  return true;
}

void SurfaceRelease(Surface& s) {
  s.width = s.height = 0;
  s.pixels.clear();
  s.pixels.shrink_to_fit();
  s.lockCount = 0;
  s.epoch = 0;
}

bool SurfaceIsLost(const Surface& s) { return s.epoch != gEpoch; }

std::uint16_t* SurfaceLock(Surface& s) {
  if (s.pixels.empty() || SurfaceIsLost(s)) return nullptr;
  ++s.lockCount;
  return s.pixels.data();
}

void SurfaceUnlock(Surface& s) {
  if (s.lockCount > 0) --s.lockCount;
}

bool SurfaceRestore(Surface& s) {
  if (s.pixels.empty()) return false;
  if (SurfaceIsLost(s)) {
    std::fill(s.pixels.begin(), s.pixels.end(), 0);
    s.epoch = gEpoch;
  }
  return true;
}

void SurfaceFill(Surface& s, std::uint16_t colour) {
  if (SurfaceIsLost(s)) return;
  std::fill(s.pixels.begin(), s.pixels.end(), colour);
}

bool SurfaceStretch(Surface& dst, Rect dstRect, const Surface& src, Rect srcRect) {
  if (dst.pixels.empty() || src.pixels.empty() || SurfaceIsLost(dst) || SurfaceIsLost(src) ||
      dst.format != src.format || dstRect.w <= 0 || dstRect.h <= 0 || srcRect.w <= 0 ||
      srcRect.h <= 0)
    return false;
  Rect clipped = Clip(dstRect, dst.width, dst.height);
  if (clipped.w == 0) return true;
  for (int y = clipped.y; y < clipped.y + clipped.h; ++y) {
    // Sample centres, so that doubling repeats each source pixel exactly twice.
    long long sy = srcRect.y + ((2LL * (y - dstRect.y) + 1) * srcRect.h) / (2LL * dstRect.h);
    if (sy < 0 || sy >= src.height) continue;
    std::uint16_t* out = dst.pixels.data() + static_cast<std::size_t>(y) * dst.width;
    const std::uint16_t* in = src.pixels.data() + static_cast<std::size_t>(sy) * src.width;
    for (int x = clipped.x; x < clipped.x + clipped.w; ++x) {
      long long sx = srcRect.x + ((2LL * (x - dstRect.x) + 1) * srcRect.w) / (2LL * dstRect.w);
      if (sx < 0 || sx >= src.width) continue;
      out[x] = in[sx];
    }
  }
  return true;
}

std::uint16_t PackColour(PixelFormat format, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  if (format == PixelFormat::Rgb565)
    return static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
  return static_cast<std::uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}

void UnpackColour(PixelFormat format, std::uint16_t c, std::uint8_t& r, std::uint8_t& g,
                  std::uint8_t& b) {
  // Replicate the top bits so that full intensity stays 255.
  auto expand5 = [](unsigned v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); };
  auto expand6 = [](unsigned v) { return static_cast<std::uint8_t>((v << 2) | (v >> 4)); };
  if (format == PixelFormat::Rgb565) {
    r = expand5((c >> 11) & 31);
    g = expand6((c >> 5) & 63);
    b = expand5(c & 31);
  } else {
    r = expand5((c >> 10) & 31);
    g = expand5((c >> 5) & 31);
    b = expand5(c & 31);
  }
}

Rect FitRect(int ww, int wh, int lw, int lh) {
  if (ww <= 0 || wh <= 0 || lw <= 0 || lh <= 0) return Rect{};
  if (ww == lw && wh == lh) return Rect{0, 0, lw, lh};
  // Largest size of the picture's shape that fits; centred.
  long long w = ww, h = static_cast<long long>(ww) * lh / lw;
  if (h > wh) {
    h = wh;
    w = static_cast<long long>(wh) * lw / lh;
  }
  return Rect{static_cast<int>((ww - w) / 2), static_cast<int>((wh - h) / 2),
              static_cast<int>(w), static_cast<int>(h)};
}

}  // namespace plat
