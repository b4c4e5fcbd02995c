// The little of the class library's graphics that the bitmap and surface components need: a
// canvas to draw on (a device context in 8-8-8 colour), the graphic kinds that can be drawn,
// a picture that holds one, and the shared GDI palettes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "game/dx/DXClass.h"
#include "platform/surface.h"

namespace zarn {

// A colour as 0x00BBGGRR.
using TColor = std::uint32_t;
inline constexpr TColor RGBColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return r | (g << 8) | (static_cast<TColor>(b) << 16);
}

#pragma pack(push, 1)
// A colour table entry as bitmaps store it (blue, green, red, reserved).
struct TDIBQuad {
  std::uint8_t rgbBlue, rgbGreen, rgbRed, rgbReserved;
  bool operator==(const TDIBQuad&) const = default;
};
#pragma pack(pop)
static_assert(sizeof(TDIBQuad) == 4);
inline TColor QuadColor(const TDIBQuad& q) { return RGBColor(q.rgbRed, q.rgbGreen, q.rgbBlue); }

// Raster operations of a canvas's copy mode.
inline constexpr std::uint32_t cmSrcCopy = 0x00CC0020;
inline constexpr std::uint32_t cmSrcPaint = 0x00EE0086;
inline constexpr std::uint32_t cmSrcAnd = 0x008800C6;
inline constexpr std::uint32_t cmSrcInvert = 0x00660046;
inline constexpr std::uint32_t cmNotSrcCopy = 0x00330008;
inline constexpr int COLORONCOLOR = 3;  // stretch mode: drop the rows and columns left out

// A GDI palette: its entries. Shared pictures share one through the palette manager.
struct TGDIPalette {
  std::vector<TDIBQuad> Entries;
};
using HPALETTE = std::shared_ptr<const TGDIPalette>;

// One palette per distinct colour table in the process: asked for a table it gives the palette
// that holds those entries (its use count raised), or makes one.
class TPaletteManager {
 public:
  HPALETTE AllocPalette(std::span<const TDIBQuad> entries);
  // Lowers the use count; the palette goes at 0.
  void DeletePalette(const HPALETTE& palette);
  int Count() const { return static_cast<int>(items_.size()); }
  int UseCount(const HPALETTE& palette) const;

 private:
  struct TPaletteItem {
    std::uint32_t Key = 0;  // entry count + the sum of every red, green and blue
    HPALETTE Palette;
    int UseCount = 0;
  };
  std::vector<TPaletteItem> items_;
};
TPaletteManager& PaletteManager();

// What pictures are drawn on. Reads outside read 0, writes outside write nothing.
class TCanvas {
 public:
  virtual ~TCanvas() = default;
  virtual int Width() = 0;
  virtual int Height() = 0;
  virtual TColor Pixel(int x, int y) = 0;
  virtual void SetPixel(int x, int y, TColor colour) = 0;

  std::uint32_t CopyMode = cmSrcCopy;
  int StretchMode = 0;
  // The palette selected into the context; SelectPalette returns the one it replaces.
  HPALETTE SelectPalette(HPALETTE palette);
  const HPALETTE& Palette() const { return palette_; }
  int RealizeCount = 0;  // how often a palette was realised on it

 private:
  HPALETTE palette_;
};

// Copies src's rectangle into dst's, nearest sample, clipped to both, with dst's copy mode.
void StretchBlt(TCanvas& dst, plat::Rect d, TCanvas& src, plat::Rect s);
// The same from anything that tells a colour per source pixel (sw x sh of them).
void StretchColours(TCanvas& dst, plat::Rect d, int sw, int sh,
                    const std::function<TColor(int, int)>& colourAt);

class TGraphic {
 public:
  virtual ~TGraphic() = default;
  virtual std::int32_t Width() const = 0;
  virtual std::int32_t Height() const = 0;
  virtual bool Empty() const { return Width() <= 0 || Height() <= 0; }
  // Stretched into the rectangle of the canvas.
  virtual void Draw(TCanvas& canvas, plat::Rect rect) const = 0;
};

// A bitmap of the class library: pixel values of 1, 4, 8, 16, 24 or 32 bits, a palette for 8
// bits or fewer, and at 16 or 32 bits masks of its own or none (5-5-5 and 8-8-8 then).
class TBitmap : public TGraphic {
 public:
  TBitmap(std::int32_t width, std::int32_t height, int bitCount);
  std::int32_t Width() const override { return width_; }
  std::int32_t Height() const override { return height_; }
  int BitCount() const { return bitCount_; }
  std::vector<TDIBQuad> Palette;
  bool HasMasks = false;
  std::uint32_t RMask = 0, GMask = 0, BMask = 0;

  std::uint32_t Value(int x, int y) const;
  void SetValue(int x, int y, std::uint32_t v);
  TColor ColorAt(int x, int y) const;
  void Draw(TCanvas& canvas, plat::Rect rect) const override;

 private:
  std::int32_t width_, height_;
  int bitCount_;
  std::vector<std::uint32_t> values_;  // rows top-down
};

// Holds one graphic (or none).
class TPicture {
 public:
  TGraphic* Graphic() const { return graphic_.get(); }
  void SetGraphic(std::unique_ptr<TGraphic> g) { graphic_ = std::move(g); }

 private:
  std::unique_ptr<TGraphic> graphic_;
};

}  // namespace zarn
