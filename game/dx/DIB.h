// Device-independent bitmaps: pictures whose pixels are kept as the BMP format stores them
// (rows bottom-up, each padded to 4 bytes), shared between copies until one is written.
// Reads and writes BMP files, keeping run-length encoded pixels encoded until they are needed.
// Pictures live in plain memory until a canvas is asked for; then in a section of their own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "game/dx/DXClass.h"
#include "game/dx/Graphics.h"
#include "platform/clipboard.h"

namespace zarn {

struct EInvalidGraphic : EDXError {
  using EDXError::EDXError;
};
struct EInvalidGraphicOperation : EDXError {
  using EDXError::EDXError;
};
struct EOutOfResources : EDXError {
  using EDXError::EDXError;
};

inline constexpr const char* SInvalidDIB = "DIB is invalid";
inline constexpr const char* SInvalidDIBPixelFormat = "PixelFormat in invalid";
inline constexpr const char* SInvalidDIBBitCount = "Bitcount in invalid (%d)";

// Pictures larger than this are refused before anything is allocated.
inline constexpr std::int32_t kMaxDIBSide = 32767;
inline constexpr std::int64_t kMaxDIBBytes = 64ll << 20;

inline constexpr std::uint32_t BI_RGB = 0;
inline constexpr std::uint32_t BI_RLE8 = 1;
inline constexpr std::uint32_t BI_RLE4 = 2;
inline constexpr std::uint32_t BI_BITFIELDS = 3;

#pragma pack(push, 1)
struct TBitmapFileHeader {
  std::uint16_t bfType;  // "BM"
  std::uint32_t bfSize;
  std::uint16_t bfReserved1;
  std::uint16_t bfReserved2;
  std::uint32_t bfOffBits;
};
struct TBitmapInfoHeader {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};
struct TBitmapCoreHeader {
  std::uint32_t bcSize;
  std::uint16_t bcWidth;
  std::uint16_t bcHeight;
  std::uint16_t bcPlanes;
  std::uint16_t bcBitCount;
};
#pragma pack(pop)
static_assert(sizeof(TBitmapFileHeader) == 14 && offsetof(TBitmapFileHeader, bfOffBits) == 10);
static_assert(sizeof(TBitmapInfoHeader) == 40 && offsetof(TBitmapInfoHeader, biCompression) == 16);
static_assert(offsetof(TBitmapInfoHeader, biClrUsed) == 32);
static_assert(sizeof(TBitmapCoreHeader) == 12);

using TColorTable = std::array<TDIBQuad, 256>;
// Entry i = (i, i, i).
TColorTable GreyscaleColorTable();

struct TPixelFormat {
  std::uint32_t RBitMask = 0, GBitMask = 0, BBitMask = 0;
  std::int32_t RBitCount = 0, GBitCount = 0, BBitCount = 0;
  std::int32_t RShift = 0, GShift = 0, BShift = 0;
  bool operator==(const TPixelFormat&) const = default;
};
TPixelFormat MakeDIBPixelFormat(int rBits, int gBits, int bBits);
TPixelFormat MakeDIBPixelFormatMask(std::uint32_t rMask, std::uint32_t gMask, std::uint32_t bMask);

// The storage that pictures share.
struct TDIBSharedImage {
  TDIBSharedImage() = default;
  TDIBSharedImage(const TDIBSharedImage&) = delete;
  TDIBSharedImage& operator=(const TDIBSharedImage&) = delete;
  ~TDIBSharedImage();

  std::int32_t BitCount = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t WidthBytes = 0;  // row stride
  std::int64_t Size = 0;        // pixel bytes: stride x height
  TColorTable ColorTable = GreyscaleColorTable();
  std::int32_t ColorCount = 0;
  TPixelFormat PixelFormat = MakeDIBPixelFormat(8, 8, 8);
  bool PaletteChanged = false;
  // Encoded pixels: Bits holds the run-length data as read, until it is decoded.
  bool Compressed = false;
  // Pixels in plain memory, with no section and no device context.
  bool PlainMemory = true;
  std::vector<std::uint8_t> Bits;  // rows bottom-up, or the encoded bytes
  HPALETTE Palette;                // from the palette manager, made when first asked for

  bool Empty() const { return Width <= 0 || Height <= 0; }
  // The bytes that follow the file header: header, masks, colour table.
  std::int32_t InfoBlockSize() const;
  std::vector<std::uint8_t> InfoBlock() const;
  std::int64_t ImageSize() const {
    return Compressed ? static_cast<std::int64_t>(Bits.size()) : Size;
  }
};

class TDIB;

// The canvas of a picture: every drawing first makes the picture's image its own.
class TDIBCanvas : public TCanvas {
 public:
  explicit TDIBCanvas(TDIB& dib) : dib_(dib) {}
  int Width() override;
  int Height() override;
  TColor Pixel(int x, int y) override;
  void SetPixel(int x, int y, TColor colour) override;

 private:
  TDIB& dib_;
};

class TDIB : public TGraphic {
 public:
  TDIB();
  TDIB(const TDIB& other);
  TDIB& operator=(const TDIB& other);
  ~TDIB() override;

  // None empties; another picture is shared until one of them is written; a picture gives its
  // graphic; a bitmap is copied with its palette, pixel format and bit count; any other graphic
  // is drawn into a 24-bit image of its size.
  void Assign(std::nullptr_t) { Clear(); }
  void Assign(const TGraphic* source);
  void Assign(const TPicture* source) { Assign(source ? source->Graphic() : nullptr); }
  bool Empty() const override { return image_->Empty(); }
  void Clear();

  std::int32_t Width() const override { return image_->Width; }
  std::int32_t Height() const override { return image_->Height; }
  std::int32_t BitCount() const { return image_->BitCount; }
  std::int32_t WidthBytes() const { return image_->WidthBytes; }
  std::int64_t Size() const { return image_->Size; }
  std::int32_t ColorCount() const { return image_->ColorCount; }
  std::int32_t InfoBlockSize() const { return image_->InfoBlockSize(); }
  bool Compressed() const { return image_->Compressed; }
  bool SharesImageWith(const TDIB& other) const { return image_ == other.image_; }

  // The picture's own colour table and pixel format, which new storage is made with.
  const TColorTable& ColorTable() const { return colorTable_; }
  void SetColorTable(const TColorTable& table) { colorTable_ = table; }
  // Puts the picture's colour table into its image (making the image private first).
  void ApplyColorTable();
  const TColorTable& ImageColorTable() const { return image_->ColorTable; }
  const TPixelFormat& PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(const TPixelFormat& f) { pixelFormat_ = f; }
  bool PaletteChanged() const { return image_->PaletteChanged; }
  // The shared palette of the image's colours (none without a colour table).
  HPALETTE GetPalette() const;
  // The palette's entries become the colour table (the picture takes the palette over).
  void SetPalette(HPALETTE palette);

  // New, cleared storage; 0 or less for a side empties the picture. Bit counts 1, 4, 8, 16
  // (5-5-5 or 5-6-5), 24 and 32 (8-8-8).
  void SetSize(std::int32_t width, std::int32_t height, std::int32_t bitCount);
  void SetWidth(std::int32_t width);
  void SetHeight(std::int32_t height);

  // Writable pixels (private and decoded first); null for an empty picture.
  std::uint8_t* PixelPointer();
  // Row y counted from the top.
  std::uint8_t* ScanLine(std::int32_t y);
  const std::uint8_t* ScanLineReadOnly(std::int32_t y);
  // A pixel's value (palette index or packed colour); out of the picture reads 0 and writes
  // nothing.
  std::uint32_t GetPixel(std::int32_t x, std::int32_t y);
  void SetPixel(std::int32_t x, std::int32_t y, std::uint32_t value);
  // A value's colour, and the value nearest a colour (the first of equals in a colour table).
  TColor ColorOf(std::uint32_t value) const;
  std::uint32_t ValueOf(TColor colour) const;
  // Decodes run-length pixels now (pictures decode by themselves when pixels are asked for).
  void Decompress();

  // The image leaves plain memory for a section with a device context (decoded).
  void EnsureSection();
  bool HasDeviceContext() const { return !image_->Empty() && !image_->PlainMemory; }
  TCanvas& Canvas();
  // Stretched into the rectangle; encoded pixels are drawn as they are, the picture unchanged.
  void Draw(TCanvas& canvas, plat::Rect rect) const override;

  // BMP file: a 14-byte file header, then the information block and the pixels. An empty
  // stream leaves the picture unchanged; any fault throws EInvalidGraphic and the picture keeps
  // its old image.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  // The information block and pixels without the file header (the clipboard's form).
  void ReadData(TStream& stream);
  void WriteData(TStream& stream) const;
  void LoadFromBytes(std::span<const std::uint8_t> bytes);
  std::vector<std::uint8_t> SaveToBytes() const;
  void LoadFromFile(const std::filesystem::path& path);
  bool SaveToFile(const std::filesystem::path& path) const;

  // The clipboard's form: the device-independent bitmap format with the WriteData bytes, no
  // palette.
  void SaveToClipboardFormat(plat::TClipFormat& format, std::string& data, HPALETTE& palette) const;
  void LoadFromClipboardFormat(plat::TClipFormat format, const std::string& data,
                               const HPALETTE& palette);
  // Through the clipboard itself (the X selection under a desktop).
  void CopyToClipboard() const;
  void LoadFromClipboardFormat();

 private:
  friend class TDIBCanvas;
  void SwitchImage(std::shared_ptr<TDIBSharedImage> image);
  // A private, decoded image; it stays in plain memory only when it was and keepPlainMemory.
  void Unshare(bool keepPlainMemory);
  // The image's private, decoded copy in its place; the colour table as it stands.
  void SwitchToDecodedCopy(bool plainMemory);
  // The image already has this size and format (its pixels and colours aside).
  bool HasStorage(std::int32_t width, std::int32_t height, std::int32_t bitCount,
                  const TPixelFormat& format) const;
  // New, cleared storage made with the table and format in place of the image; the picture
  // changes only once the storage is made. 0 or less for a side empties the picture.
  void TakeNewStorage(std::int32_t width, std::int32_t height, std::int32_t bitCount,
                      const TColorTable& table, const TPixelFormat& format);

  std::shared_ptr<TDIBSharedImage> image_;
  std::unique_ptr<TDIBCanvas> canvas_;
  TColorTable colorTable_ = GreyscaleColorTable();
  TPixelFormat pixelFormat_ = MakeDIBPixelFormat(8, 8, 8);
};

// Decodes run-length pixels (BI_RLE8 or BI_RLE4) into rows bottom-up of the given stride;
// runs and moves that would leave the row or the picture are clipped.
void DecodeDIBRle(std::span<const std::uint8_t> encoded, bool rle4, std::int32_t width,
                  std::int32_t height, std::int32_t stride, std::uint8_t* out);

}  // namespace zarn
