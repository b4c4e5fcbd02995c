// 16-bit software display surfaces that the game fills, and their presentation in a form.
#pragma once

#include <cstdint>
#include <vector>

namespace plat {

enum class PixelFormat : std::uint8_t { Rgb565, Rgb555 };

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const Rect&) const = default;
};

struct Surface {
  int width = 0;
  int height = 0;
  PixelFormat format = PixelFormat::Rgb565;
  std::vector<std::uint16_t> pixels;  // width x height, rows top-down, pitch = width
  int lockCount = 0;
  std::uint32_t epoch = 0;  // presentation generation it was made in; stale = lost
};

// False for sizes of 0 or less or beyond 8192 (the surface is then left empty).
bool SurfaceCreate(Surface& s, int width, int height, PixelFormat format);
void SurfaceRelease(Surface& s);
// Lost when presentation was reset since the surface was made or restored: Restore before
// drawing (a lost surface cannot be locked or presented).
bool SurfaceIsLost(const Surface& s);
// Pointer to row 0 while locked; null when lost or empty. Pitch is in pixels (= width).
std::uint16_t* SurfaceLock(Surface& s);
void SurfaceUnlock(Surface& s);
// Clears the lost state; the contents are gone (filled with 0). False when empty.
bool SurfaceRestore(Surface& s);
void SurfaceFill(Surface& s, std::uint16_t colour);
// Nearest-neighbour stretch of a source rectangle into a destination rectangle, both clipped
// to their surfaces. Formats must match (false otherwise, or when either is lost or empty).
bool SurfaceStretch(Surface& dst, Rect dstRect, const Surface& src, Rect srcRect);
// Converts 8-8-8 to the surface's 16-bit format.
std::uint16_t PackColour(PixelFormat format, std::uint8_t r, std::uint8_t g, std::uint8_t b);
void UnpackColour(PixelFormat format, std::uint16_t c, std::uint8_t& r, std::uint8_t& g,
                  std::uint8_t& b);

// Where a picture of size (lw, lh) lands in a window of size (ww, wh): 1:1 at the origin
// when the window is exactly its size, else scaled with its shape kept and centred.
Rect FitRect(int ww, int wh, int lw, int lh);

}  // namespace plat
