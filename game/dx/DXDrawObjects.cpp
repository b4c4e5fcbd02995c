// The device objects of the display: device, surfaces and their canvas, palettes, clipper,
// and the display modes with their search.
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#include "game/dx/DXDraws.h"
#include "platform/app.h"
#include "platform/forms.h"

namespace zarn {
namespace {

constexpr int kMaxSurfaceSide = 8192;  // what the platform's surfaces allow

std::uint16_t ConvertPixel(std::uint16_t c, plat::PixelFormat from, plat::PixelFormat to) {
  if (from == to) return c;
  if (from == plat::PixelFormat::Rgb555) {
    unsigned g5 = (c >> 5) & 31;
    return static_cast<std::uint16_t>((((c >> 10) & 31) << 11) | (((g5 << 1) | (g5 >> 4)) << 5) |
                                      (c & 31));
  }
  return static_cast<std::uint16_t>((((c >> 11) & 31) << 10) | (((c >> 6) & 31) << 5) | (c & 31));
}

// Eight pixels at a time with the compiler's vector types (plain shifts and masks, so any
// target has them); the scalar ConvertPixel finishes a row's tail.
using U16x8 = std::uint16_t __attribute__((vector_size(16)));

U16x8 ConvertPixels(U16x8 c, bool from555) {
  if (from555) {
    const U16x8 g5 = (c >> 5) & 31;
    return (((c >> 10) & 31) << 11) | (((g5 << 1) | (g5 >> 4)) << 5) | (c & 31);
  }
  return (((c >> 11) & 31) << 10) | (((c >> 6) & 31) << 5) | (c & 31);
}

// n pixels of a row, converted when the formats differ, each written once or twice (doubled).
void CopyRow(std::uint16_t* out, const std::uint16_t* in, int n, bool convert, bool from555, bool doubled) {
  int x = 0;
  for (; x + 8 <= n; x += 8) {
    U16x8 v;
    std::memcpy(&v, in + x, sizeof v);
    if (convert) v = ConvertPixels(v, from555);
    if (doubled) {
      const U16x8 lo = __builtin_shufflevector(v, v, 0, 0, 1, 1, 2, 2, 3, 3);
      const U16x8 hi = __builtin_shufflevector(v, v, 4, 4, 5, 5, 6, 6, 7, 7);
      std::memcpy(out + 2 * x, &lo, sizeof lo);
      std::memcpy(out + 2 * x + 8, &hi, sizeof hi);
    } else {
      std::memcpy(out + x, &v, sizeof v);
    }
  }
  const auto to = from555 ? plat::PixelFormat::Rgb565 : plat::PixelFormat::Rgb555;
  const auto from = from555 ? plat::PixelFormat::Rgb555 : plat::PixelFormat::Rgb565;
  for (; x < n; ++x) {
    const std::uint16_t v = convert ? ConvertPixel(in[x], from, to) : in[x];
    if (doubled) {
      out[2 * x] = v;
      out[2 * x + 1] = v;
    } else {
      out[x] = v;
    }
  }
}

plat::Rect ClipTo(plat::Rect r, int w, int h) {
  int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  int x1 = std::min(r.x + r.w, w), y1 = std::min(r.y + r.h, h);
  if (x1 <= x0 || y1 <= y0) return plat::Rect{};
  return plat::Rect{x0, y0, x1 - x0, y1 - y0};
}

// Copies src's srcRect into dst's dstRect, nearest sample at pixel centres (so doubling repeats
// each pixel exactly twice), clipped to both surfaces and converted between pixel formats.
void CopyRect(plat::Surface& dst, plat::Rect d, const plat::Surface& src, plat::Rect s, bool keyed,
              std::uint16_t key) {
  if (d.w <= 0 || d.h <= 0 || s.w <= 0 || s.h <= 0 || dst.pixels.empty() || src.pixels.empty())
    return;
  plat::Rect c = ClipTo(d, dst.width, dst.height);
  if (c.w == 0) return;
  const bool convert = dst.format != src.format;
  // Column map of the clipped span (-1: outside the source), in a buffer kept between calls:
  // every frame's present comes through here.
  static thread_local std::vector<int> cols;
  static thread_local std::vector<std::uint16_t> converted;
  cols.resize(static_cast<std::size_t>(c.w));
  for (int x = 0; x < c.w; ++x) {
    long long sx = s.x + ((2LL * (c.x + x - d.x) + 1) * s.w) / (2LL * d.w);
    cols[static_cast<std::size_t>(x)] = (sx >= 0 && sx < src.width) ? static_cast<int>(sx) : -1;
  }
  const bool plain = !convert && !keyed;
  const bool whole = cols.front() >= 0 && cols.back() >= 0;  // the map is monotonic
  const bool straight = plain && whole && s.w == d.w;
  // The doubled window: the clipped span starts on a source pixel's first copy and covers whole
  // pairs, so the column map is cols.front() + x / 2.
  const bool doubled = !keyed && whole && d.w == 2 * s.w && (c.x - d.x) % 2 == 0 && c.w % 2 == 0;
  const bool from555 = src.format == plat::PixelFormat::Rgb555;
  long long lastRow = -1;
  const std::uint16_t* lastOut = nullptr;
  for (int y = c.y; y < c.y + c.h; ++y) {
    long long sy = s.y + ((2LL * (y - d.y) + 1) * s.h) / (2LL * d.h);
    if (sy < 0 || sy >= src.height) continue;
    std::uint16_t* out = dst.pixels.data() + static_cast<std::size_t>(y) * dst.width + c.x;
    const std::uint16_t* in = src.pixels.data() + static_cast<std::size_t>(sy) * src.width;
    if (straight) {
      std::memmove(out, in + cols.front(), static_cast<std::size_t>(c.w) * 2);
      continue;
    }
    if (!keyed && whole && sy == lastRow && lastOut) {
      // A stretched row repeats the one above it.
      std::memcpy(out, lastOut, static_cast<std::size_t>(c.w) * 2);
      continue;
    }
    if (keyed) {
      for (int x = 0; x < c.w; ++x) {
        int sx = cols[static_cast<std::size_t>(x)];
        if (sx < 0) continue;
        std::uint16_t v = in[sx];
        if (v == key) continue;
        out[x] = convert ? ConvertPixel(v, src.format, dst.format) : v;
      }
      continue;
    }
    if (doubled || (whole && s.w == d.w)) {
      // Read in order: same width, or each source pixel written twice.
      CopyRow(out, in + cols.front(), doubled ? c.w / 2 : c.w, convert, from555, doubled);
    } else {
      // Any other scale: the source row converted once, then sampled.
      const std::uint16_t* from = in;
      if (convert) {
        converted.resize(static_cast<std::size_t>(src.width));
        CopyRow(converted.data(), in, src.width, true, from555, false);
        from = converted.data();
      }
      for (int x = 0; x < c.w; ++x) {
        const int sx = cols[static_cast<std::size_t>(x)];
        if (sx >= 0) out[x] = from[sx];
      }
    }
    lastRow = sy;
    lastOut = out;
  }
}

bool ValidBitCount(int bits) { return bits == 8 || bits == 16 || bits == 24 || bits == 32; }

}  // namespace

const TRGBQuads& SystemPaletteQuads() {
  static const TRGBQuads table = [] {
    TRGBQuads t{};
    struct C {
      int i;
      std::uint8_t r, g, b;
    };
    static constexpr C reserved[] = {
        {0, 0, 0, 0},         {1, 128, 0, 0},       {2, 0, 128, 0},     {3, 128, 128, 0},
        {4, 0, 0, 128},       {5, 128, 0, 128},     {6, 0, 128, 128},   {7, 192, 192, 192},
        {8, 192, 220, 192},   {9, 166, 202, 240},   {246, 255, 251, 240}, {247, 160, 160, 164},
        {248, 128, 128, 128}, {249, 255, 0, 0},     {250, 0, 255, 0},   {251, 255, 255, 0},
        {252, 0, 0, 255},     {253, 255, 0, 255},   {254, 0, 255, 255}, {255, 255, 255, 255},
    };
    for (const C& c : reserved) t[static_cast<std::size_t>(c.i)] = TRGBQuad{c.b, c.g, c.r, 0};
    return t;
  }();
  return table;
}

std::vector<TDisplayModeInfo> DefaultDisplayModes() {
  static constexpr int sizes[][2] = {{320, 200},  {320, 240},  {400, 300},  {512, 384},
                                     {640, 400},  {640, 480},  {800, 600},  {1024, 768},
                                     {1152, 864}, {1280, 960}, {1280, 1024}, {1600, 1200}};
  std::vector<TDisplayModeInfo> modes;
  for (const auto& s : sizes)
    for (int bits : {8, 16, 24, 32}) modes.push_back(TDisplayModeInfo{s[0], s[1], bits});
  return modes;
}

// ---------------------------------------------------------------------------------------------
// TDirectDraw

TDirectDraw::TDirectDraw(const void*) {
  if (plat::Backend() == plat::BackendKind::None) {
    SetDXResult(DDERR_GENERIC);
    throw EDirectDrawError(DXFormat(SCannotInitialized, "DirectDraw"));
  }
}

TDirectDraw::~TDirectDraw() {
  RestoreDisplayMode();
  // Objects made on the device lose their memory with it (last made first).
  while (!surfaces_.empty()) {
    TDirectDrawSurface* s = surfaces_.back();
    surfaces_.pop_back();
    s->Detach();
  }
  while (!palettes_.empty()) {
    TDirectDrawPalette* p = palettes_.back();
    palettes_.pop_back();
    p->made_ = false;
    p->owner_ = nullptr;
  }
  while (!clippers_.empty()) {
    TDirectDrawClipper* c = clippers_.back();
    clippers_.pop_back();
    c->window_ = nullptr;
    c->owner_ = nullptr;
  }
}

std::vector<TDisplayModeInfo> TDirectDraw::EnumDisplayModes() const {
  return DXDisplayModesProc ? DXDisplayModesProc() : DefaultDisplayModes();
}

std::int32_t TDirectDraw::SetCooperativeLevel(TDXForm* window, std::uint32_t flags) {
  std::int32_t r = DD_OK;
  if ((flags & DDSCL_FULLSCREEN) && (!(flags & DDSCL_EXCLUSIVE) || !window)) r = DDERR_INVALIDPARAMS;
  if (r == DD_OK) {
    window_ = window;
    coopFlags_ = flags;
  }
  SetDXResult(r);
  return r;
}

std::int32_t TDirectDraw::SetDisplayMode(int width, int height, int bitCount) {
  std::int32_t r = DD_OK;
  if (!(coopFlags_ & DDSCL_EXCLUSIVE)) {
    r = DDERR_NOEXCLUSIVEMODE;
  } else {
    TDisplayModeInfo want{width, height, bitCount};
    auto modes = EnumDisplayModes();
    if (std::find(modes.begin(), modes.end(), want) == modes.end()) {
      r = DDERR_UNSUPPORTEDMODE;
    } else {
      mode_ = want;
      modeSet_ = true;
      // Already full screen: the picture takes the new size at once.
      if (inFullScreen_ && window_) window_->SetClientSize(width, height);
    }
  }
  SetDXResult(r);
  return r;
}

bool TDirectDraw::EnterFullScreen(std::string* why) {
  plat::Form* form = window_ ? window_->Handle() : nullptr;
  if (!modeSet_ || !form) {
    if (why) *why = SFullScreenUnavailable;
    return false;
  }
  if (!inFullScreen_) {
    const int w = form->clientWidth, h = form->clientHeight;
    std::string reason;
    if (!plat::SetFullScreen(form, true, &reason)) {
      if (why) *why = reason.empty() ? std::string(SFullScreenUnavailable) : reason;
      return false;
    }
    savedWidth_ = w;
    savedHeight_ = h;
    inFullScreen_ = true;
  }
  // Full screen first, so that the window never flashes at the mode's size.
  plat::SetClientSize(form, mode_.width, mode_.height);
  return true;
}

void TDirectDraw::RestoreDisplayMode() {
  modeSet_ = false;
  if (!inFullScreen_) return;
  inFullScreen_ = false;
  plat::Form* form = window_ ? window_->Handle() : nullptr;
  if (!form) return;
  plat::SetFullScreen(form, false);
  plat::SetClientSize(form, savedWidth_, savedHeight_);
}

std::int32_t TDirectDraw::WaitForVerticalBlank(std::uint32_t) {
  // The platform's presentation keeps to the display's refresh itself.
  SetDXResult(DD_OK);
  return DD_OK;
}

// ---------------------------------------------------------------------------------------------
// TDirectDrawClipper and TDirectDrawPalette

TDirectDrawClipper::TDirectDrawClipper(TDirectDraw& owner) : owner_(&owner) {
  owner_->clippers_.push_back(this);
}

TDirectDrawClipper::~TDirectDrawClipper() {
  if (owner_) std::erase(owner_->clippers_, this);
}

void TDirectDrawClipper::SetHandle(TDXForm* window) {
  window_ = owner_ ? window : nullptr;
  SetDXResult(owner_ ? DD_OK : DDERR_GENERIC);
}

TDirectDrawPalette::TDirectDrawPalette(TDirectDraw& owner) : owner_(&owner) {
  owner_->palettes_.push_back(this);
}

TDirectDrawPalette::~TDirectDrawPalette() {
  if (owner_) std::erase(owner_->palettes_, this);
}

bool TDirectDrawPalette::CreatePalette(std::uint32_t caps, const TPaletteEntries& entries) {
  made_ = false;
  std::int32_t r = (owner_ && (caps & DDPCAPS_8BIT)) ? DD_OK : DDERR_INVALIDPARAMS;
  SetDXResult(r);
  if (r != DD_OK) return false;
  caps_ = caps;
  entries_ = entries;
  made_ = true;
  return true;
}

bool TDirectDrawPalette::SetEntries(int start, int count, const TDDPaletteEntry* entries) {
  if (!made_) return false;
  if (start < 0 || count < 0 || start > 256 || count > 256 - start || (count > 0 && !entries)) {
    SetDXResult(DDERR_INVALIDPARAMS);
    return false;
  }
  std::copy(entries, entries + count, entries_.begin() + start);
  SetDXResult(DD_OK);
  return true;
}

// ---------------------------------------------------------------------------------------------
// TDirectDrawSurfaceCanvas

TDirectDrawSurfaceCanvas::~TDirectDrawSurfaceCanvas() { Release(); }

std::uint16_t* TDirectDrawSurfaceCanvas::Handle() {
  if (!pixels_) pixels_ = surface_.Lock();
  return pixels_;
}

int TDirectDrawSurfaceCanvas::Pitch() const { return surface_.Width(); }

void TDirectDrawSurfaceCanvas::Release() {
  if (!pixels_) return;
  pixels_ = nullptr;
  surface_.Unlock();
}

int TDirectDrawSurfaceCanvas::Width() { return surface_.Width(); }
int TDirectDrawSurfaceCanvas::Height() { return surface_.Height(); }

TColor TDirectDrawSurfaceCanvas::Pixel(int x, int y) {
  const std::uint16_t* p = Handle();
  if (!p || x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
  std::uint8_t r, g, b;
  plat::UnpackColour(surface_.pixels_.format, p[static_cast<std::ptrdiff_t>(y) * Pitch() + x], r, g, b);
  return RGBColor(r, g, b);
}

void TDirectDrawSurfaceCanvas::SetPixel(int x, int y, TColor c) {
  std::uint16_t* p = Handle();
  if (!p || x < 0 || y < 0 || x >= Width() || y >= Height()) return;
  p[static_cast<std::ptrdiff_t>(y) * Pitch() + x] =
      plat::PackColour(surface_.pixels_.format, static_cast<std::uint8_t>(c),
                       static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c >> 16));
}

void TDirectDrawSurfaceCanvas::Draw(int x, int y, const plat::Surface& picture) {
  if (!Handle()) return;
  CopyRect(surface_.pixels_, plat::Rect{x, y, picture.width, picture.height}, picture,
           plat::Rect{0, 0, picture.width, picture.height}, false, 0);
}

void TDirectDrawSurfaceCanvas::StretchDraw(plat::Rect dst, const plat::Surface& picture) {
  if (!Handle()) return;
  CopyRect(surface_.pixels_, dst, picture, plat::Rect{0, 0, picture.width, picture.height}, false,
           0);
}

void TDirectDrawSurfaceCanvas::FillRect(plat::Rect r, std::uint16_t colour) {
  if (!Handle()) return;
  plat::Surface& s = surface_.pixels_;
  plat::Rect c = ClipTo(r, s.width, s.height);
  for (int y = c.y; y < c.y + c.h; ++y)
    std::fill_n(s.pixels.begin() + static_cast<std::ptrdiff_t>(y) * s.width + c.x, c.w, colour);
}

// ---------------------------------------------------------------------------------------------
// TDirectDrawSurface

TDirectDrawSurface::TDirectDrawSurface(TDirectDraw& owner) : owner_(&owner) {
  owner_->surfaces_.push_back(this);
}

TDirectDrawSurface::~TDirectDrawSurface() {
  Release();
  if (owner_) std::erase(owner_->surfaces_, this);
}

void TDirectDrawSurface::Detach() {
  Release();
  owner_ = nullptr;
}

void TDirectDrawSurface::Release() {
  if (canvas_) canvas_->Release();
  attached_.reset();
  if (owner_) owner_->videoUsed_ -= videoBytes_;
  videoBytes_ = 0;
  plat::SurfaceRelease(pixels_);
  made_ = false;
  desc_ = TDDSurfaceDesc{};
  clipper_ = nullptr;
  hasClipper_ = false;
  palette_ = nullptr;
}

bool TDirectDrawSurface::CreateSurface(const TDDSurfaceDesc& desc) {
  Release();
  std::int32_t r = DD_OK;
  TDDSurfaceDesc d = desc;
  const bool primary = (d.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0;
  plat::Form* screen = (owner_ && owner_->window_) ? owner_->window_->Handle() : nullptr;
  if (!owner_) {
    r = DDERR_GENERIC;
  } else if (primary) {
    // The primary surface is the window's whole picture.
    if (!screen) r = DDERR_GENERIC;
    else {
      d.dwWidth = screen->clientWidth;
      d.dwHeight = screen->clientHeight;
    }
    if ((d.dwFlags & DDSD_BACKBUFFERCOUNT) &&
        (d.dwBackBufferCount != 1 || !(d.dwCaps & DDSCAPS_FLIP) || !(d.dwCaps & DDSCAPS_COMPLEX)))
      r = DDERR_INVALIDPARAMS;
  } else if (!(d.dwFlags & DDSD_WIDTH) || !(d.dwFlags & DDSD_HEIGHT) || d.dwWidth <= 0 ||
             d.dwHeight <= 0) {
    r = DDERR_INVALIDPARAMS;
  }
  if (r == DD_OK && (d.dwWidth > kMaxSurfaceSide || d.dwHeight > kMaxSurfaceSide))
    r = DDERR_INVALIDPARAMS;
  const int chain = (primary && (d.dwFlags & DDSD_BACKBUFFERCOUNT)) ? 2 : 1;
  const std::int64_t bytes = static_cast<std::int64_t>(d.dwWidth) * d.dwHeight * 2 * chain;
  const bool system = (d.dwCaps & DDSCAPS_SYSTEMMEMORY) != 0;
  if (r == DD_OK && !system && DXVideoMemoryLimit >= 0 &&
      owner_->videoUsed_ + bytes > DXVideoMemoryLimit)
    r = DDERR_OUTOFVIDEOMEMORY;
  if (r == DD_OK && !plat::SurfaceCreate(pixels_, d.dwWidth, d.dwHeight, plat::PixelFormat::Rgb565))
    r = DDERR_INVALIDPARAMS;
  if (r != DD_OK) {
    SetDXResult(r);
    return false;
  }
  d.dwCaps = (d.dwCaps & ~(DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY)) |
             (system ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY);
  d.dwFlags |= DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.dwBitCount = 16;
  desc_ = d;
  made_ = true;
  if (!system) {
    videoBytes_ = bytes;
    owner_->videoUsed_ += bytes;
  }
  if (chain == 2) {
    attached_ = std::make_unique<TDirectDrawSurface>(*owner_);
    TDirectDrawSurface& back = *attached_;
    plat::SurfaceCreate(back.pixels_, d.dwWidth, d.dwHeight, plat::PixelFormat::Rgb565);
    back.desc_ = d;
    back.desc_.dwCaps = (d.dwCaps & ~(DDSCAPS_PRIMARYSURFACE)) | DDSCAPS_BACKBUFFER;
    back.desc_.dwFlags &= ~DDSD_BACKBUFFERCOUNT;
    back.desc_.dwBackBufferCount = 0;
    back.made_ = true;
    back.flipParent_ = this;
    back.SetKeyColor(0);
  }
  SetKeyColor(0);
  SetDXResult(DD_OK);
  return true;
}

void TDirectDrawSurface::SetSize(int width, int height) {
  if (width <= 0 || height <= 0) {
    Release();
    return;
  }
  TDDSurfaceDesc d;
  d.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  d.dwWidth = width;
  d.dwHeight = height;
  d.dwCaps = DDSCAPS_OFFSCREENPLAIN | (systemMemory_ ? DDSCAPS_SYSTEMMEMORY : 0);
  if (CreateSurface(d)) return;
  if (!systemMemory_) {
    d.dwCaps = (d.dwCaps & ~DDSCAPS_VIDEOMEMORY) | DDSCAPS_SYSTEMMEMORY;
    if (CreateSurface(d)) {
      systemMemory_ = true;
      return;
    }
  }
  throw EDirectDrawSurfaceError(DXFormat(SCannotMade, "Surface"));
}

TDirectDrawSurfaceCanvas& TDirectDrawSurface::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TDirectDrawSurfaceCanvas>(*this);
  return *canvas_;
}

std::uint16_t* TDirectDrawSurface::Lock() {
  if (!made_) return nullptr;
  std::uint16_t* p = plat::SurfaceLock(pixels_);
  SetDXResult(p ? DD_OK : DDERR_SURFACELOST);
  return p;
}

void TDirectDrawSurface::Unlock() { plat::SurfaceUnlock(pixels_); }

bool TDirectDrawSurface::IsLost() const { return made_ && plat::SurfaceIsLost(pixels_); }

bool TDirectDrawSurface::Restore() {
  if (!made_) return false;
  bool ok = plat::SurfaceRestore(pixels_);
  if (ok && attached_) ok = plat::SurfaceRestore(attached_->pixels_);
  SetDXResult(ok ? DD_OK : DDERR_GENERIC);
  return ok;
}

bool TDirectDrawSurface::Fill(std::uint16_t colour) {
  TDDBltFx fx;
  fx.dwFillColor = colour;
  return Blt(ClientRect(), plat::Rect{}, DDBLT_COLORFILL | DDBLT_WAIT, fx, nullptr);
}

bool TDirectDrawSurface::Blt(plat::Rect destRect, plat::Rect srcRect, std::uint32_t flags,
                             const TDDBltFx& fx, TDirectDrawSurface* source) {
  if (!made_) return false;
  if (IsLost()) {
    SetDXResult(DDERR_SURFACELOST);
    return false;
  }
  if (flags & DDBLT_COLORFILL) {
    plat::Rect c = ClipTo(destRect, pixels_.width, pixels_.height);
    const auto colour = static_cast<std::uint16_t>(fx.dwFillColor);
    for (int y = c.y; y < c.y + c.h; ++y)
      std::fill_n(pixels_.pixels.begin() + static_cast<std::ptrdiff_t>(y) * pixels_.width + c.x,
                  c.w, colour);
  } else {
    if (!source || !source->made_) {
      SetDXResult(DDERR_INVALIDPARAMS);
      return false;
    }
    if (source->IsLost()) {
      SetDXResult(DDERR_SURFACELOST);
      return false;
    }
    if (source == this) {
      plat::Surface copy = pixels_;
      CopyRect(pixels_, destRect, copy, srcRect, (flags & DDBLT_KEYSRC) != 0, keyColour_);
    } else {
      CopyRect(pixels_, destRect, source->pixels_, srcRect, (flags & DDBLT_KEYSRC) != 0,
               source->keyColour_);
    }
  }
  SetDXResult(DD_OK);
  if (desc_.dwCaps & DDSCAPS_PRIMARYSURFACE) Present();
  return true;
}

bool TDirectDrawSurface::Flip(std::uint32_t) {
  std::int32_t r = DD_OK;
  if (!made_ || !attached_) r = DDERR_INVALIDPARAMS;
  else if (IsLost() || attached_->IsLost()) r = DDERR_SURFACELOST;
  // Nothing else runs while we wait here: a surface still locked would never be released.
  else if (pixels_.lockCount > 0 || attached_->pixels_.lockCount > 0) r = DDERR_SURFACEBUSY;
  SetDXResult(r);
  if (r != DD_OK) return false;
  std::swap(pixels_.pixels, attached_->pixels_.pixels);
  Present();
  return true;
}

void TDirectDrawSurface::Present() {
  if (!owner_) return;
  TDXForm* window = (clipper_ && clipper_->Window()) ? clipper_->Window() : owner_->window_;
  plat::Form* form = window ? window->Handle() : nullptr;
  if (form) plat::Present(form, pixels_, false);
}

void TDirectDrawSurface::SetClipper(TDirectDrawClipper* clipper) {
  if (!made_) return;
  clipper_ = clipper;
  hasClipper_ = clipper != nullptr;
  SetDXResult(DD_OK);
}

void TDirectDrawSurface::SetPalette(TDirectDrawPalette* palette) {
  if (made_) palette_ = palette;
}

bool TDirectDrawSurface::SetColorKey(std::uint32_t, std::uint16_t low, std::uint16_t) {
  if (!made_) return false;
  keyColour_ = low;
  return true;
}

void TDirectDrawSurface::Assign(const TDirectDrawSurface* source) {
  if (source == this) return;
  if (!source || !source->made_ || !owner_) {
    Release();
    return;
  }
  // A duplicate shares the memory on a card; here it is a copy that costs no video memory.
  plat::Surface copy = source->pixels_;
  TDDSurfaceDesc d = source->desc_;
  Release();
  pixels_ = std::move(copy);
  pixels_.lockCount = 0;
  desc_ = d;
  desc_.dwCaps &= ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX);
  made_ = true;
  keyColour_ = source->keyColour_;
}

void TDirectDrawSurface::Assign(TGraphic* source) {
  if (!source) {
    Release();
    return;
  }
  CopyGraphic(*source, source->Width(), source->Height(),
              plat::Rect{0, 0, source->Width(), source->Height()});
}

void TDirectDrawSurface::CopyGraphic(TGraphic& graphic, int width, int height,
                                     plat::Rect source) {
  if (width == 0) width = source.w;
  if (height == 0) height = source.h;
  SetSize(width, height);
  if (!made_) return;
  TDirectDrawSurfaceCanvas& canvas = Canvas();
  const plat::Rect whole{0, 0, width, height};
  if (auto* dib = dynamic_cast<TDIB*>(&graphic)) {
    canvas.CopyMode = cmSrcCopy;
    StretchBlt(canvas, whole, dib->Canvas(), source);
  } else if (graphic.Width() == width && graphic.Height() == height) {
    graphic.Draw(canvas, plat::Rect{-source.x, -source.y, width, height});
  } else {
    TDIB part;
    part.SetSize(source.w, source.h, 24);
    graphic.Draw(part.Canvas(), plat::Rect{-source.x, -source.y, graphic.Width(), graphic.Height()});
    StretchBlt(canvas, whole, part.Canvas(), plat::Rect{0, 0, source.w, source.h});
  }
  canvas.Release();
}

void TDirectDrawSurface::AssignTo(TDIB& dest) {
  dest.SetSize(Width(), Height(), 24);
  if (dest.Empty()) return;
  TDirectDrawSurfaceCanvas& canvas = Canvas();
  StretchBlt(dest.Canvas(), ClientRect(), canvas, ClientRect());
  canvas.Release();
}

// ---------------------------------------------------------------------------------------------
// TDirectDrawDisplay

TDirectDrawDisplay& TDirectDrawDisplay::operator=(const TDirectDrawDisplay& source) {
  if (this == &source) return *this;
  bitCount_ = source.bitCount_;
  FixedBitCount = source.FixedBitCount;
  FixedRatio = source.FixedRatio;
  FixedSize = source.FixedSize;
  height_ = source.height_;
  width_ = source.width_;
  return *this;
}

void TDirectDrawDisplay::SetBitCount(int v) {
  if (!ValidBitCount(v)) throw EDirectDrawError(SInvalidDisplayBitCount);
  bitCount_ = v;
}

void TDirectDrawDisplay::FillModes() {
  modes_.clear();
  if (!owner_ || !owner_->DDraw()) return;
  for (const TDisplayModeInfo& m : owner_->DDraw()->EnumDisplayModes()) {
    TDDSurfaceDesc d;
    d.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = m.width;
    d.dwHeight = m.height;
    d.dwBitCount = m.bitCount;
    modes_.emplace_back(d);
  }
}

int TDirectDrawDisplay::Count() {
  if (modes_.empty()) FillModes();
  return static_cast<int>(modes_.size());
}

const TDirectDrawDisplayMode& TDirectDrawDisplay::Modes(int index) {
  if (index < 0 || index >= Count()) throw std::out_of_range("display mode index");
  return modes_[static_cast<std::size_t>(index)];
}

int TDirectDrawDisplay::IndexOf(int width, int height, int bitCount) {
  const int n = Count();
  for (int i = 0; i < n; ++i) {
    const auto& m = modes_[static_cast<std::size_t>(i)];
    if (m.Width() == width && m.Height() == height && m.BitCount() == bitCount) return i;
  }
  return -1;
}

bool TDirectDrawDisplay::TrySet(int w, int h, int bits) {
  TDirectDraw* dd = owner_ ? owner_->DDraw() : nullptr;
  if (!dd || dd->SetDisplayMode(w, h, bits) != DD_OK) return false;
  width_ = w;
  height_ = h;
  bitCount_ = bits;
  return true;
}

bool TDirectDrawDisplay::SetDisplayMode(int width, int height, int bitCount) {
  if (width <= 0 || height <= 0 || !ValidBitCount(bitCount)) return false;
  if (TrySet(width, height, bitCount)) return true;
  if (FixedRatio && Search(width, height, bitCount, true)) return true;
  return Search(width, height, bitCount, false);
}

bool TDirectDrawDisplay::Search(int w, int h, int bits, bool ratio) {
  const int n = Count();
  int bestW = 0x7FFFFFFF, bestH = 0x7FFFFFFF, chosen = bits;
  bool found = false;
  const double want = static_cast<double>(w) / h;
  for (int i = 0; i < n; ++i) {
    const auto& m = modes_[static_cast<std::size_t>(i)];
    const int mw = m.Width(), mh = m.Height(), mb = m.BitCount();
    if (mw > bestW || mh > bestH || mh <= 0) continue;
    if (ratio && static_cast<double>(mw) / mh != want) continue;
    if (FixedSize) {
      if (mw != w || mh != h) continue;
    } else if (mw < w || mh < h) {
      continue;
    }
    if (FixedBitCount) {
      if (mb != bits) continue;
    } else if ((mb <= 8 || bits <= 8) && mb < bits) {
      continue;
    }
    bestW = mw;  // later modes win ties
    bestH = mh;
    chosen = mb;
    found = true;
  }
  if (!found) return false;
  if (chosen != bits && IndexOf(bestW, bestH, bits) >= 0) chosen = bits;
  return TrySet(bestW, bestH, chosen);
}

}  // namespace zarn
