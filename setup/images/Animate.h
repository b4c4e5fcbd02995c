// A graphic control that paints through an off-screen picture, and the drawing of bitmaps into
// the installer's 16-bit surfaces (stretched, with a transparent colour left out).
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/surface.h"
#include "setup/images/RxGraph.h"

namespace zarn3set {

// Stretches the whole bitmap into `r` of the surface (clipped); pixels of the transparent
// colour (clNone: none) are left out. With `covered` (one byte a pixel, rows top-down), the
// pixels it marks 0 take `holes`, or are left out when that is clNone.
void StretchDrawBitmap(plat::Surface& dst, plat::Rect r, const TBitmap& bmp,
                       TColor transparent = clNone,
                       const std::vector<std::uint8_t>* covered = nullptr, TColor holes = clNone);
std::uint16_t SurfaceColor(const plat::Surface& s, TColor c);

class TRxImageControl {
 public:
  TRxImageControl() = default;
  virtual ~TRxImageControl() = default;
  int left = 0, top = 0, width = 105, height = 105;
  TColor color = 0x00C0C0C0;  // the parent's colour
  bool visible = true;
  bool destroying = false;
  bool loading = false;

  // Paints into an off-screen picture of the client size, then copies it in one piece.
  void Paint(plat::Surface& target);
  void SetBounds(int l, int t, int w, int h) { left = l; top = t; width = w; height = h; }
  bool NeedsRepaint() const { return invalid_; }
  void Invalidate() { invalid_ = true; }

 protected:
  virtual void DrawPicture(plat::Surface& canvas) = 0;
  std::recursive_mutex lock_;  // held around picture changes and drawing
  std::atomic<bool> invalid_ = true;  // set from the timer's thread too
  plat::Surface off_;  // the off-screen picture, kept while the size stays
};

}  // namespace zarn3set
