// Device-independent bitmaps of 1, 4, 8 and 24 bits, their BMP form, and the colour reduction
// that turns a true-colour picture into a palette one (the GIF writer needs palette pixels).
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zarn3set {

static_assert(std::endian::native == std::endian::little, "BMP and GIF fields are little-endian");

// A colour as 0x00BBGGRR; clNone marks "no colour".
using TColor = std::uint32_t;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clWindow = 0x00FFFFFF;  // the window colour of the desktop's usual scheme

struct TRGB {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const TRGB&) const = default;
};
inline TColor RgbToColor(TRGB c) { return c.r | (c.g << 8) | (c.b << 16); }
inline TRGB ColorToRgb(TColor c) {
  return {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
          static_cast<std::uint8_t>(c >> 16)};
}

class EInvalidGraphic : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// The conversion was given up after the user was told (the message is already shown).
class EAbort : public std::runtime_error {
 public:
  EAbort() : std::runtime_error("Operation aborted") {}
};

// Rows are kept bottom-up with 4-byte aligned strides, as in a BMP file.
struct TBitmap {
  int width = 0;
  int height = 0;
  int bits = 24;                // 1, 4, 8 or 24
  std::vector<TRGB> palette;    // 2^bits entries for palette bitmaps
  std::vector<std::uint8_t> data;
  TColor transparentColor = clNone;
  bool transparent = false;

  static int StrideOf(int width, int bits) { return ((width * bits + 31) / 32) * 4; }
  int Stride() const { return StrideOf(width, bits); }
  bool Empty() const { return width <= 0 || height <= 0 || data.empty(); }
  // Sizes above 16384 on a side or 2^26 pixels are refused (false, bitmap left empty).
  bool Create(int w, int h, int bpp);
  std::uint8_t* Row(int y) { return data.data() + static_cast<std::size_t>(height - 1 - y) * Stride(); }
  const std::uint8_t* Row(int y) const {
    return data.data() + static_cast<std::size_t>(height - 1 - y) * Stride();
  }
  unsigned Index(int x, int y) const;         // palette bitmaps
  void SetIndex(int x, int y, unsigned v);    // value masked to the bit depth
  TRGB Pixel(int x, int y) const;             // any depth
  void SetPixel(int x, int y, TRGB c);        // 24-bit bitmaps

  // 14-byte file header, 40-byte info header, the whole table, rows; `colorsUsed` 0 gives the
  // table's size as the header's colours-used count.
  std::string SaveBmp(std::uint32_t colorsUsed = 0) const;
};

// Reads a BMP image (uncompressed, 1/4/8/24 bits); the whole colour table is read when it
// stands before the pixels, even past the colours-used count. Raises EInvalidGraphic.
TBitmap LoadBmp(const std::string& bytes);

// Reduction methods of ConvertBitmapToStream.
enum TMappingMethod : int {
  mmHistogram = 0, mmQuantize = 1, mmTrunc784 = 2, mmTrunc666 = 3, mmTripel = 4, mmGrayscale = 5
};
constexpr TMappingMethod DefaultReductionMethod = mmHistogram;

// 24-bit rows (bottom-up, BGR, aligned) into 8-bit indices written over `out`; fills the
// palette (256 entries) and answers the colours-used count to store (0: leave as is): the
// quantiser's colour count, 224 and 216 for the fixed palettes.
int ReduceColors(const TBitmap& src24, TMappingMethod method, int colors, TBitmap& out8);

// A BMP image of the bitmap in the target depth (1, 4, 8 or 24). Any other target raises
// EAbort after the "not implemented" notice, as the picture library does.
std::string ConvertBitmapToStream(const TBitmap& bitmap, int targetBits, TMappingMethod method);
std::string ConvertBitmapForColors(const TBitmap& bitmap, int colors);

// Where "not implemented" notices go (a message box in the installer; tests record them).
inline void (*ShowNotImplementedProc)() = nullptr;
inline constexpr const char* kNotImplementedText = "Функция не реализована";

}  // namespace zarn3set
