#include "game/base/video.h"

#include <algorithm>
#include <cstring>

#include "game/base/archive.h"
#include "game/base/files.h"
#include "game/base/globals.h"
#include "game/base/options.h"

namespace zarn {

namespace {


// Clamp a span of coordinates to [lo, hi]; false when nothing is left.
bool ClampSpan(long& a, long& b, long lo, long hi) {
  if (a < lo) a = lo;
  if (b > hi) b = hi;
  return a <= b;
}

std::uint8_t* At(int x, int y) {
  return BackBuffer.data() + static_cast<std::size_t>(y) * ScreenWidth + static_cast<std::size_t>(x);
}

}  // namespace

void BuildHiColorTable555() {
  for (std::size_t i = 0; i < GamePalette.size(); ++i) {
    const unsigned r = GamePalette[i].Red & 63u, g = GamePalette[i].Green & 63u,
                   b = GamePalette[i].Blue & 63u;
    HiColorTable[i] = static_cast<std::uint16_t>(((r >> 1) << 10) | ((g >> 1) << 5) | (b >> 1));
  }
}

void BuildHiColorTable565() {
  for (std::size_t i = 0; i < GamePalette.size(); ++i) {
    const unsigned r = GamePalette[i].Red & 63u, g = GamePalette[i].Green & 63u,
                   b = GamePalette[i].Blue & 63u;
    HiColorTable[i] = static_cast<std::uint16_t>(((r >> 1) << 11) | (g << 5) | (b >> 1));
  }
}

void BuildHiColorTable() {
  if (GameOptions.PaletteType != 0)
    BuildHiColorTable565();
  else
    BuildHiColorTable555();
}

std::uint8_t SideColorBase(int side) {
  static constexpr std::uint8_t bases[9] = {168, 182, 197, 226, 211, 151, 159, 42, 0};
  return side >= 0 && side <= 8 ? bases[side] : 0;
}

std::uint8_t SideColor(std::uint8_t pixel, int side) {
  if (pixel < 2 || pixel > 9) return pixel;
  return static_cast<std::uint8_t>(pixel + SideColorBase(side));
}

void SetClipRect(std::int32_t left, std::int32_t right, std::int32_t top, std::int32_t bottom) {
  ClipRect = {left, right, top, bottom};
}

void ResetClipRect() { ClipRect = TClipRect{}; }

void ResetLastViewPos() { LastViewPos = TViewPos{}; }

const std::uint8_t* TSheetRef::Frame(long n) const {
  if (n < 1 || n > Capacity || !Loaded[n]) return nullptr;
  return Pixels + static_cast<std::size_t>(n - 1) * FrameBytes();
}

bool PutSheetFrames(TSheetRef sheet, int first, int count, std::span<const std::uint8_t> bytes) {
  if (first < 1 || count < 0 || count > sheet.Capacity || first > sheet.Capacity - count + 1)
    return false;
  const std::size_t need = static_cast<std::size_t>(count) * sheet.FrameBytes();
  if (bytes.size() < need) return false;
  std::memcpy(sheet.Pixels + static_cast<std::size_t>(first - 1) * sheet.FrameBytes(), bytes.data(),
              need);
  for (int n = first; n < first + count; ++n) sheet.Loaded[n] = true;
  return true;
}

int PutSheetBytes(std::span<const std::uint8_t> bytes, TSheetRef sheet, int first, int count,
                  bool withPalette) {
  if (first < 1 || count < 0 || count > sheet.Capacity || first > sheet.Capacity - count + 1)
    return DataFileRangeError;
  const std::size_t palette = withPalette ? sizeof(GamePalette) : 0;
  const std::size_t need = palette + static_cast<std::size_t>(count) * sheet.FrameBytes();
  // The file is read with an exact count: a longer file is fine, a shorter one is not.
  if (bytes.size() < need) return DataFileReadError;
  if (withPalette) std::memcpy(GamePalette.data(), bytes.data(), palette);
  PutSheetFrames(sheet, first, count, bytes.subspan(palette));
  return 0;
}

namespace {

int ReadDataFile(std::string_view gamePath, std::vector<std::uint8_t>& bytes) {
  const int code = ReadGameFile(NativePath(gamePath), MaxSheetFileBytes, bytes);
  if (code == 0) return 0;
  if (code == ReadFailureCode) return DataFileReadError;
  // These say more than "does not open".
  if (code == OutOfMemoryCode || code == NotRegularFileCode || code == FileTooLargeCode) return code;
  return DataFileOpenError;
}

}  // namespace

int LoadSheetFile(std::string_view gamePath, TSheetRef sheet, int first, int count) {
  std::vector<std::uint8_t> bytes;
  if (const int e = ReadDataFile(gamePath, bytes)) return e;
  return PutSheetBytes(bytes, sheet, first, count, false);
}

int LoadPaletteSheetFile(std::string_view gamePath, TSheetRef sheet, int first, int count) {
  std::vector<std::uint8_t> bytes;
  if (const int e = ReadDataFile(gamePath, bytes)) return e;
  return PutSheetBytes(bytes, sheet, first, count, true);
}

int LoadDataBlock(std::string_view gamePath, std::span<std::uint8_t> dest) {
  std::vector<std::uint8_t> bytes;
  if (const int e = ReadDataFile(gamePath, bytes)) return e;
  if (bytes.size() < dest.size()) return DataFileReadError;
  std::memcpy(dest.data(), bytes.data(), dest.size());
  return 0;
}

int PictureWidth() {
  if (PictureBuffer.size() < 4) return 0;
  return PictureBuffer[0] | (PictureBuffer[1] << 8);
}

int PictureHeight() {
  if (PictureBuffer.size() < 4) return 0;
  return PictureBuffer[2] | (PictureBuffer[3] << 8);
}

std::int32_t TakeKeyCode() {
  const std::int32_t k = KeyCode;
  KeyCode = NoKey;
  return k;
}

std::uint8_t LastTypedChar() { return TypedChar; }

void PutPixel(int x, int y, std::uint8_t colour) {
  if (x >= 0 && x < ScreenWidth && y >= 0 && y < ScreenHeight) *At(x, y) = colour;
}

void PutPixelClipped(int x, int y, std::uint8_t colour) {
  // The clip rectangle may be set wider than the screen: the buffer bounds still hold.
  if (x >= ClipRect.X1 && x <= ClipRect.X2 && y >= ClipRect.Y1 && y <= ClipRect.Y2) PutPixel(x, y, colour);
}

void DrawHLine(int x1, int x2, int y, std::uint8_t colour) {
  if (y < 0 || y >= ScreenHeight) return;
  long a = x1, b = x2;
  if (!ClampSpan(a, b, 0, ScreenWidth - 1)) return;
  std::memset(At(static_cast<int>(a), y), colour, static_cast<std::size_t>(b - a + 1));
}

void DrawVLine(int x, int y1, int y2, std::uint8_t colour) {
  if (x < 0 || x >= ScreenWidth) return;
  long a = y1, b = y2;
  if (!ClampSpan(a, b, 0, ScreenHeight - 1)) return;
  for (long y = a; y <= b; ++y) *At(x, static_cast<int>(y)) = colour;
}

void FillBox(int x1, int y1, int x2, int y2, std::uint8_t colour) {
  if (x2 < x1) std::swap(x1, x2);
  long a = y1, b = y2;
  if (b < a) std::swap(a, b);
  if (!ClampSpan(a, b, 0, ScreenHeight - 1)) return;
  for (long y = a; y <= b; ++y) DrawHLine(x1, x2, static_cast<int>(y), colour);
}

void DrawFrame(int x1, int y1, int x2, int y2, std::uint8_t colour) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  DrawHLine(x1, x2, y1, colour);
  DrawHLine(x1, x2, y2, colour);
  DrawVLine(x1, y1, y2, colour);
  DrawVLine(x2, y1, y2, colour);
  if (DrawLog != nullptr) DrawLog->push_back({TDrawnKind::Frame, "frame", x1, y1, x2, y2, colour});
}

namespace {

// Far-off positions are pinned well outside the screen instead of overflowing.
int ToScreen(long p, long view) {
  return static_cast<int>(std::clamp(p - (view - 1) * 16, -100000L, 100000L));
}

}  // namespace

int ScreenXOf(int px) { return ToScreen(px, ViewState.ViewX); }
int ScreenYOf(int py) { return ToScreen(py, ViewState.ViewY); }

void DrawSelectionFrame(int px, int py, std::uint8_t colour) {
  const int sx = ScreenXOf(px), sy = ScreenYOf(py);
  DrawFrame(sx - 2, sy - 2, sx + 18, sy + 18, colour);
}

void RecolorRect(int x, int y, int width, int height, int offset, int side) {
  long x1 = x, x2 = static_cast<long>(x) + width - 1;
  long y1 = y, y2 = static_cast<long>(y) + height - 1;
  if (!ClampSpan(x1, x2, 0, ScreenWidth - 1) || !ClampSpan(y1, y2, 0, ScreenHeight - 1)) return;
  const auto shift = static_cast<std::uint8_t>(SideColorBase(side) + offset);
  for (long yy = y1; yy <= y2; ++yy) {
    std::uint8_t* p = At(static_cast<int>(x1), static_cast<int>(yy));
    for (long xx = x1; xx <= x2; ++xx, ++p)
      if (*p >= 2 && *p <= 9) *p = static_cast<std::uint8_t>(*p + shift);
  }
}

void RestorePanel() { std::memcpy(BackBuffer.data() + PanelOffset, PanelCopy.data(), PanelBytes); }

void ClearScreen() { BackBuffer.fill(0); }

void FillScreen(std::uint8_t colour) { BackBuffer.fill(colour); }

void CopyFrame(const std::uint8_t* src, int width, int height, int x, int y, TFrameMode mode,
               int side) {
  if (src == nullptr || width <= 0 || height <= 0) return;
  // Visible part in frame coordinates; the source keeps its full row stride.
  long c0 = 0, c1 = width - 1, r0 = 0, r1 = height - 1;
  if (!ClampSpan(c0, c1, -static_cast<long>(x), ScreenWidth - 1L - x)) return;
  if (!ClampSpan(r0, r1, -static_cast<long>(y), ScreenHeight - 1L - y)) return;
  const std::uint8_t base = side == NoRecolor ? 0 : SideColorBase(side);
  const std::size_t w = static_cast<std::size_t>(width);
  for (long r = r0; r <= r1; ++r) {
    const std::uint8_t* s = src + static_cast<std::size_t>(r) * w + static_cast<std::size_t>(c0);
    std::uint8_t* d = At(static_cast<int>(x + c0), static_cast<int>(y + r));
    for (long c = c0; c <= c1; ++c, ++s, ++d) {
      const std::uint8_t p = *s;
      switch (mode) {
        case TFrameMode::Opaque:
          *d = (p >= 2 && p <= 9) ? static_cast<std::uint8_t>(p + base) : p;
          break;
        case TFrameMode::Transparent:
          if (p != TransparentColor) *d = (p >= 2 && p <= 9) ? static_cast<std::uint8_t>(p + base) : p;
          break;
        case TFrameMode::Mask:
          if (p != TransparentColor) *d = 0;
          break;
      }
    }
  }
}

void DrawIconLarge(int x, int y, long n) {
  CopyFrame(LargeIcons.Frame(n), LargeIcons.Width, LargeIcons.Height, x, y, TFrameMode::Opaque, NoRecolor);
  if (DrawLog != nullptr) {
    const std::uint8_t* f = LargeIcons.Frame(n);
    DrawLog->push_back({TDrawnKind::Picture, "icon", x, y, x + LargeIcons.Width - 1, y + LargeIcons.Height - 1, 0, false,
                        std::vector<std::uint8_t>(f, f + LargeIcons.Width * LargeIcons.Height)});
  }
}

void DrawIconSmall(int x, int y, long n) {
  CopyFrame(SmallIcons.Frame(n), SmallIcons.Width, SmallIcons.Height, x, y, TFrameMode::Opaque, NoRecolor);
  if (DrawLog != nullptr) {
    const std::uint8_t* f = SmallIcons.Frame(n);
    DrawLog->push_back({TDrawnKind::Picture, "icon", x, y, x + SmallIcons.Width - 1, y + SmallIcons.Height - 1, 0, false,
                        std::vector<std::uint8_t>(f, f + SmallIcons.Width * SmallIcons.Height)});
  }
}

namespace {

// Rows first .. first + n - 1 of the picture, clipped to what the picture holds.
void BlitPictureSpan(int x, int y, int first, int n, TFrameMode mode) {
  const int w = PictureWidth(), h = PictureHeight();
  if (w == 0 || h == 0 || n <= 0) return;
  // LoadPicture only accepts records that hold every pixel; recheck for pictures set by hand.
  if (PictureBuffer.size() < 4 + static_cast<std::size_t>(w) * h) return;
  long a = first, b = static_cast<long>(first) + n - 1;
  if (!ClampSpan(a, b, 0, h - 1)) return;
  const std::uint8_t* src = PictureBuffer.data() + 4 + static_cast<std::size_t>(a) * w;
  const int rows = static_cast<int>(b - a + 1);
  CopyFrame(src, w, rows, x, y, mode, NoRecolor);
  if (DrawLog != nullptr)
    DrawLog->push_back({TDrawnKind::Picture, PictureName, x, y, x + w - 1, y + rows - 1, 0,
                        mode == TFrameMode::Transparent,
                        std::vector<std::uint8_t>(src, src + static_cast<std::size_t>(w) * rows)});
}

}  // namespace

void BlitPicture(int x, int y) { BlitPictureSpan(x, y, 0, PictureHeight(), TFrameMode::Opaque); }

void BlitPictureTransparent(int x, int y) {
  BlitPictureSpan(x, y, 0, PictureHeight(), TFrameMode::Transparent);
}

void BlitPictureRows(int x, int y, int first, int n) {
  if (first < 0) return;
  BlitPictureSpan(x, y, first, n, TFrameMode::Opaque);
}

void DrawTileTransparent(int px, int py, long n) {
  CopyFrame(TileSheet16.Frame(n), 16, 16, ScreenXOf(px), ScreenYOf(py), TFrameMode::Transparent, NoRecolor);
}

void DrawTileClipped(int px, int py, long n) {
  CopyFrame(TileSheet16.Frame(n), 16, 16, ScreenXOf(px), ScreenYOf(py), TFrameMode::Transparent, NoRecolor);
}

void DrawTileOpaque(int px, int py, long n) {
  CopyFrame(TileSheet16.Frame(n), 16, 16, ScreenXOf(px), ScreenYOf(py), TFrameMode::Opaque, NoRecolor);
}

void DrawSprite16(int px, int py, long n, int side) {
  CopyFrame(TileSheet16.Frame(n), 16, 16, ScreenXOf(px), ScreenYOf(py), TFrameMode::Transparent, side);
}

void DrawSprite16Screen(int x, int y, long n, int side) {
  CopyFrame(TileSheet16.Frame(n), 16, 16, x, y, TFrameMode::Transparent, side);
}

void DrawMask16(int px, int py, long n) {
  CopyFrame(TileSheet16.Frame(n), 16, 16, ScreenXOf(px), ScreenYOf(py), TFrameMode::Mask, NoRecolor);
}

void DrawSprite24(int px, int py, long n, int side) {
  CopyFrame(SpriteSheet24.Frame(n), 24, 24, ScreenXOf(px) - 4, ScreenYOf(py) - 4,
            TFrameMode::Transparent, side);
}

void DrawMask24(int px, int py, long n) {
  CopyFrame(SpriteSheet24.Frame(n), 24, 24, ScreenXOf(px) - 4, ScreenYOf(py) - 4, TFrameMode::Mask,
            NoRecolor);
}

void DrawSprite32(int px, int py, long n, int side) {
  CopyFrame(SpriteSheet32.Frame(n), 32, 32, ScreenXOf(px), ScreenYOf(py), TFrameMode::Transparent, side);
}

void DrawSprite48x32(int px, int py, long n, int side) {
  CopyFrame(SpriteSheet48x32.Frame(n), 48, 32, ScreenXOf(px), ScreenYOf(py), TFrameMode::Opaque, side);
}

void DrawSprite48x48(int px, int py, long n, int side) {
  CopyFrame(SpriteSheet48x48.Frame(n), 48, 48, ScreenXOf(px), ScreenYOf(py), TFrameMode::Opaque, side);
}

}  // namespace zarn
