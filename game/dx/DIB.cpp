#include "game/dx/DIB.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string>

#include "platform/system.h"

namespace zarn {

TColorTable GreyscaleColorTable() {
  TColorTable t{};
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<std::uint8_t>(i);
    t[static_cast<std::size_t>(i)] = {v, v, v, 0};
  }
  return t;
}

TPixelFormat MakeDIBPixelFormat(int r, int g, int b) {
  TPixelFormat f;
  f.RBitMask = ((1u << r) - 1) << (g + b);
  f.GBitMask = ((1u << g) - 1) << b;
  f.BBitMask = (1u << b) - 1;
  f.RBitCount = r;
  f.GBitCount = g;
  f.BBitCount = b;
  f.RShift = g + b;
  f.GShift = b;
  f.BShift = 0;
  return f;
}

namespace {

// Counts the contiguous ones of a mask from its lowest set bit; returns the shift too.
int MaskBits(std::uint32_t mask, int& shift) {
  if (mask == 0) {
    shift = 0;
    return 0;
  }
  shift = std::countr_zero(mask);
  return std::countr_one(mask >> shift);
}

}  // namespace

TPixelFormat MakeDIBPixelFormatMask(std::uint32_t rMask, std::uint32_t gMask, std::uint32_t bMask) {
  TPixelFormat f;
  f.RBitMask = rMask;
  f.GBitMask = gMask;
  f.BBitMask = bMask;
  f.RBitCount = MaskBits(rMask, f.RShift);
  f.GBitCount = MaskBits(gMask, f.GShift);
  f.BBitCount = MaskBits(bMask, f.BShift);
  return f;
}

TDIBSharedImage::~TDIBSharedImage() {
  if (Palette) PaletteManager().DeletePalette(Palette);
}

std::int32_t TDIBSharedImage::InfoBlockSize() const {
  if (Empty()) return 0;
  const bool masks = BitCount == 16 || BitCount == 32;
  return 40 + (masks ? 12 : 0) + ColorCount * 4;
}

std::vector<std::uint8_t> TDIBSharedImage::InfoBlock() const {
  std::vector<std::uint8_t> out;
  if (Empty()) return out;
  TBitmapInfoHeader h{};
  h.biSize = 40;
  h.biWidth = Width;
  h.biHeight = Height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<std::uint16_t>(BitCount);
  const bool masks = BitCount == 16 || BitCount == 32;
  h.biCompression = masks        ? BI_BITFIELDS
                    : Compressed ? (BitCount == 4 ? BI_RLE4 : BI_RLE8)
                                 : BI_RGB;
  h.biSizeImage = static_cast<std::uint32_t>(ImageSize());
  const auto* hp = reinterpret_cast<const std::uint8_t*>(&h);
  out.insert(out.end(), hp, hp + sizeof h);
  if (masks) {
    const std::uint32_t m[3] = {PixelFormat.RBitMask, PixelFormat.GBitMask, PixelFormat.BBitMask};
    const auto* mp = reinterpret_cast<const std::uint8_t*>(m);
    out.insert(out.end(), mp, mp + sizeof m);
  }
  const auto* cp = reinterpret_cast<const std::uint8_t*>(ColorTable.data());
  out.insert(out.end(), cp, cp + ColorCount * 4);
  return out;
}

namespace {

// One permanent empty image that every empty picture points at.
const std::shared_ptr<TDIBSharedImage>& EmptySharedImage() {
  static const std::shared_ptr<TDIBSharedImage> empty = std::make_shared<TDIBSharedImage>();
  return empty;
}

std::int32_t StrideOf(std::int32_t bitCount, std::int32_t width) {
  return static_cast<std::int32_t>((static_cast<std::int64_t>(bitCount) * width + 31) / 32 * 4);
}

// Checks the format that storage is to be made with; returns the format in force.
TPixelFormat CheckFormat(std::int32_t bitCount, const TPixelFormat& asked) {
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
      return MakeDIBPixelFormat(8, 8, 8);
    case 16:
      if (asked == MakeDIBPixelFormat(5, 5, 5) || asked == MakeDIBPixelFormat(5, 6, 5))
        return asked;
      throw EInvalidGraphicOperation(SInvalidDIBPixelFormat);
    case 32:
      if (asked == MakeDIBPixelFormat(8, 8, 8)) return asked;
      throw EInvalidGraphicOperation(SInvalidDIBPixelFormat);
    default:
      throw EInvalidGraphicOperation(DXFormat(SInvalidDIBBitCount, std::to_string(bitCount)));
  }
}

// New storage; pixels cleared unless compressed (the reader supplies the encoded bytes).
std::shared_ptr<TDIBSharedImage> MakeStorage(std::int32_t width, std::int32_t height,
                                             std::int32_t bitCount, bool compressed,
                                             const TColorTable& table, const TPixelFormat& format,
                                             bool plainMemory) {
  const TPixelFormat f = CheckFormat(bitCount, format);
  if (width <= 0 || height <= 0) return EmptySharedImage();
  const std::int32_t stride = StrideOf(bitCount, width);
  const std::int64_t size = static_cast<std::int64_t>(stride) * height;
  if (width > kMaxDIBSide || height > kMaxDIBSide || size > kMaxDIBBytes)
    throw EOutOfResources(DXFormat(SCannotMade, "DIB"));
  auto img = std::make_shared<TDIBSharedImage>();
  img->BitCount = bitCount;
  img->Width = width;
  img->Height = height;
  img->WidthBytes = stride;
  img->Size = size;
  img->ColorTable = table;
  img->ColorCount = bitCount <= 8 ? (1 << bitCount) : 0;
  img->PixelFormat = f;
  img->Compressed = compressed;
  img->PlainMemory = plainMemory || compressed;
  if (!compressed) img->Bits.assign(static_cast<std::size_t>(size), 0);
  return img;
}

// A private, decoded copy of an image.
std::shared_ptr<TDIBSharedImage> DecodedCopy(const TDIBSharedImage& src, bool plainMemory) {
  auto img = MakeStorage(src.Width, src.Height, src.BitCount, false, src.ColorTable,
                         src.PixelFormat, plainMemory);
  if (img->Empty()) return img;
  if (src.Compressed)
    DecodeDIBRle(src.Bits, src.BitCount == 4, src.Width, src.Height, src.WidthBytes,
                 img->Bits.data());
  else
    img->Bits = src.Bits;
  img->PaletteChanged = true;
  return img;
}

// Pixel x of a row of the bit count.
std::uint32_t ValueAt(const std::uint8_t* row, std::int32_t x, std::int32_t bits) {
  switch (bits) {
    case 1:
      return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4:
      return (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4;
    case 8:
      return row[x];
    case 16:
      return static_cast<std::uint32_t>(row[2 * x] | row[2 * x + 1] << 8);
    case 24:
      return static_cast<std::uint32_t>(row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16);
    default: {
      std::uint32_t v;
      std::memcpy(&v, row + 4 * x, 4);
      return v;
    }
  }
}

void PutValue(std::uint8_t* row, std::int32_t x, std::int32_t bits, std::uint32_t v) {
  switch (bits) {
    case 1: {
      const auto bit = static_cast<std::uint8_t>(0x80 >> (x % 8));
      row[x / 8] = static_cast<std::uint8_t>((v & 1) ? row[x / 8] | bit : row[x / 8] & ~bit);
      break;
    }
    case 4: {
      std::uint8_t& b = row[x / 2];
      b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (v & 0x0F))
                  : static_cast<std::uint8_t>((b & 0x0F) | ((v & 0x0F) << 4));
      break;
    }
    case 8:
      row[x] = static_cast<std::uint8_t>(v);
      break;
    case 16:
      row[2 * x] = static_cast<std::uint8_t>(v);
      row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
      break;
    case 24:
      row[3 * x] = static_cast<std::uint8_t>(v);
      row[3 * x + 1] = static_cast<std::uint8_t>(v >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(v >> 16);
      break;
    default:
      std::memcpy(row + 4 * x, &v, 4);
      break;
  }
}

// A channel of a packed value scaled to 8 bits, and back.
std::uint8_t Channel(std::uint32_t v, std::uint32_t mask, int shift, int bits) {
  if (bits <= 0) return 0;
  const std::uint32_t max = (1u << bits) - 1;
  return static_cast<std::uint8_t>(((v & mask) >> shift) * 255 / max);
}
std::uint32_t Pack(std::uint8_t c, int shift, int bits) {
  if (bits <= 0) return 0;
  const std::uint32_t max = (1u << bits) - 1;
  return ((c * max + 127) / 255) << shift;
}

TColor ColorOfImage(const TDIBSharedImage& img, std::uint32_t v) {
  if (img.BitCount <= 8) return v < 256 ? QuadColor(img.ColorTable[v]) : 0;
  const TPixelFormat& f = img.PixelFormat;
  return RGBColor(Channel(v, f.RBitMask, f.RShift, f.RBitCount),
                  Channel(v, f.GBitMask, f.GShift, f.GBitCount),
                  Channel(v, f.BBitMask, f.BShift, f.BBitCount));
}

}  // namespace

void DecodeDIBRle(std::span<const std::uint8_t> d, bool rle4, std::int32_t width,
                  std::int32_t height, std::int32_t stride, std::uint8_t* out) {
  std::int64_t x = 0, y = 0;
  auto put = [&](std::int64_t px, std::uint8_t v) {
    if (px < 0 || px >= width || y < 0 || y >= height) return;
    std::uint8_t* row = out + y * stride;
    if (!rle4) {
      row[px] = v;
    } else {
      std::uint8_t& b = row[px / 2];
      b = (px & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (v & 0x0F))
                   : static_cast<std::uint8_t>((b & 0x0F) | (v << 4));
    }
  };
  const std::size_t n = d.size();
  std::size_t i = 0;
  while (i + 1 < n && y < height) {
    const std::uint8_t count = d[i], value = d[i + 1];
    i += 2;
    if (count > 0) {
      // A run: past the right edge nothing is drawn.
      for (int k = 0; k < count && x < width; ++k, ++x)
        put(x, rle4 ? static_cast<std::uint8_t>((k & 1) ? value & 0x0F : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of row
      x = 0;
      ++y;
    } else if (value == 1) {  // end of picture
      break;
    } else if (value == 2) {  // move right and up
      if (i + 1 >= n) break;
      x = std::min<std::int64_t>(x + d[i], width);
      y += d[i + 1];
      i += 2;
    } else {  // literal pixels
      const std::size_t bytes = rle4 ? (value + 1u) / 2u : value;
      const std::size_t have = std::min(bytes, n - i);
      for (std::size_t k = 0; k < value && x < width; ++k, ++x) {
        const std::size_t at = rle4 ? k / 2 : k;
        if (at >= have) break;
        const std::uint8_t b = d[i + at];
        put(x, rle4 ? static_cast<std::uint8_t>((k & 1) ? b & 0x0F : b >> 4) : b);
      }
      i += bytes + (bytes & 1);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// TDIB

int TDIBCanvas::Width() { return dib_.Width(); }
int TDIBCanvas::Height() { return dib_.Height(); }
TColor TDIBCanvas::Pixel(int x, int y) { return dib_.ColorOf(dib_.GetPixel(x, y)); }
void TDIBCanvas::SetPixel(int x, int y, TColor colour) {
  if (x < 0 || y < 0 || x >= dib_.Width() || y >= dib_.Height()) return;
  dib_.Unshare(false);  // the drawing is this picture's alone
  dib_.SetPixel(x, y, dib_.ValueOf(colour));
}

TDIB::TDIB() : image_(EmptySharedImage()) {}

TDIB::TDIB(const TDIB& other) : image_(EmptySharedImage()) { Assign(&other); }

TDIB& TDIB::operator=(const TDIB& other) {
  Assign(&other);
  return *this;
}

TDIB::~TDIB() = default;

void TDIB::SwitchImage(std::shared_ptr<TDIBSharedImage> image) {
  if (image == image_) return;
  image_ = std::move(image);
  colorTable_ = image_->ColorTable;
  pixelFormat_ = image_->PixelFormat;
}

void TDIB::Assign(const TGraphic* source) {
  if (source == this) return;
  if (!source) {
    Clear();
  } else if (const auto* dib = dynamic_cast<const TDIB*>(source)) {
    SwitchImage(dib->image_);
  } else {
    // A bitmap keeps its palette and pixel format; any other graphic is drawn in 24 bits. The
    // table and the format are worked out and the storage made before the picture changes: a
    // source that it cannot take leaves it with its old image.
    int bits = 24;
    TColorTable table = colorTable_;
    TPixelFormat format = MakeDIBPixelFormat(8, 8, 8);
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
      table = {};
      std::copy_n(bitmap->Palette.begin(), std::min<std::size_t>(bitmap->Palette.size(), 256), table.begin());
      bits = bitmap->BitCount();
      if (bits == 16)
        format = bitmap->HasMasks ? MakeDIBPixelFormatMask(bitmap->RMask, bitmap->GMask, bitmap->BMask)
                                  : MakeDIBPixelFormat(5, 5, 5);
    }
    const std::int32_t width = source->Width(), height = source->Height();
    if (HasStorage(width, height, bits, format)) {
      colorTable_ = table;
      pixelFormat_ = format;
      ApplyColorTable();
    } else {
      TakeNewStorage(width, height, bits, table, format);
    }
    if (Empty()) return;
    std::memset(PixelPointer(), 0, static_cast<std::size_t>(Size()));
    source->Draw(Canvas(), plat::Rect{0, 0, Width(), Height()});
  }
}

void TDIB::Clear() { SwitchImage(EmptySharedImage()); }

void TDIB::Unshare(bool keepPlainMemory) {
  if (image_->Empty()) return;
  if (image_.use_count() > 1 || image_->Compressed || (image_->PlainMemory && !keepPlainMemory))
    SwitchToDecodedCopy(image_->PlainMemory && keepPlainMemory);
}

void TDIB::SwitchToDecodedCopy(bool plainMemory) {
  const TColorTable keep = colorTable_;  // a colour table set but not yet applied stays
  SwitchImage(DecodedCopy(*image_, plainMemory));
  colorTable_ = keep;
}

void TDIB::EnsureSection() {
  if (!image_->Empty() && image_->PlainMemory) SwitchToDecodedCopy(false);
}

TCanvas& TDIB::Canvas() {
  EnsureSection();
  if (!canvas_) canvas_ = std::make_unique<TDIBCanvas>(*this);
  return *canvas_;
}

HPALETTE TDIB::GetPalette() const {
  TDIBSharedImage& img = *image_;
  if (img.Empty() || img.ColorCount == 0) return nullptr;
  if (img.PaletteChanged || !img.Palette) {
    img.PaletteChanged = false;
    if (img.Palette) PaletteManager().DeletePalette(img.Palette);
    img.Palette = PaletteManager().AllocPalette(
        std::span<const TDIBQuad>(img.ColorTable.data(), static_cast<std::size_t>(img.ColorCount)));
  }
  return img.Palette;
}

void TDIB::SetPalette(HPALETTE palette) {
  if (!palette) return;
  TColorTable table{};
  std::copy_n(palette->Entries.begin(), std::min<std::size_t>(palette->Entries.size(), 256),
              table.begin());
  colorTable_ = table;
  ApplyColorTable();
}

TColor TDIB::ColorOf(std::uint32_t value) const { return ColorOfImage(*image_, value); }

std::uint32_t TDIB::ValueOf(TColor c) const {
  const auto r = static_cast<std::uint8_t>(c), g = static_cast<std::uint8_t>(c >> 8),
             b = static_cast<std::uint8_t>(c >> 16);
  const TDIBSharedImage& img = *image_;
  if (img.BitCount > 8) {
    const TPixelFormat& f = img.PixelFormat;
    return Pack(r, f.RShift, f.RBitCount) | Pack(g, f.GShift, f.GBitCount) |
           Pack(b, f.BShift, f.BBitCount);
  }
  std::uint32_t best = 0;
  int bestDistance = 1 << 30;
  for (int i = 0; i < img.ColorCount; ++i) {
    const TDIBQuad& q = img.ColorTable[static_cast<std::size_t>(i)];
    const int dr = q.rgbRed - r, dg = q.rgbGreen - g, db = q.rgbBlue - b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<std::uint32_t>(i);
      if (d == 0) break;
    }
  }
  return best;
}

void TDIB::Draw(TCanvas& canvas, plat::Rect rect) const {
  if (Empty()) return;
  const bool colours = ColorCount() > 0;
  HPALETTE old;
  if (colours) {
    old = canvas.SelectPalette(GetPalette());
    ++canvas.RealizeCount;
  }
  const int oldMode = canvas.StretchMode;
  canvas.StretchMode = COLORONCOLOR;
  const TDIBSharedImage& img = *image_;
  std::vector<std::uint8_t> decoded;
  const std::uint8_t* bits = img.Bits.data();
  if (img.Compressed) {
    decoded.assign(static_cast<std::size_t>(img.Size), 0);
    DecodeDIBRle(img.Bits, img.BitCount == 4, img.Width, img.Height, img.WidthBytes, decoded.data());
    bits = decoded.data();
  }
  StretchColours(canvas, rect, img.Width, img.Height, [&](int x, int y) {
    const std::uint8_t* row = bits + static_cast<std::int64_t>(img.Height - 1 - y) * img.WidthBytes;
    return ColorOfImage(img, ValueAt(row, x, img.BitCount));
  });
  canvas.StretchMode = oldMode;
  if (colours) canvas.SelectPalette(old);
}

void TDIB::ApplyColorTable() {
  if (colorTable_ == image_->ColorTable) return;
  if (image_->Empty()) return;  // the empty image is everyone's
  Unshare(true);
  image_->ColorTable = colorTable_;
  image_->PaletteChanged = true;
}

void TDIB::SetSize(std::int32_t width, std::int32_t height, std::int32_t bitCount) {
  if (!HasStorage(width, height, bitCount, pixelFormat_))
    TakeNewStorage(width, height, bitCount, colorTable_, pixelFormat_);
}

bool TDIB::HasStorage(std::int32_t width, std::int32_t height, std::int32_t bitCount,
                      const TPixelFormat& format) const {
  return !image_->Empty() && width == image_->Width && height == image_->Height &&
         bitCount == image_->BitCount && format == image_->PixelFormat;
}

void TDIB::TakeNewStorage(std::int32_t width, std::int32_t height, std::int32_t bitCount,
                          const TColorTable& table, const TPixelFormat& format) {
  if (width <= 0 || height <= 0) {
    Clear();
    return;
  }
  auto img = MakeStorage(width, height, bitCount, false, table, format, image_->PlainMemory);
  img->PaletteChanged = true;
  SwitchImage(std::move(img));
}

void TDIB::SetWidth(std::int32_t width) {
  if (width <= 0)
    Clear();
  else if (Empty())
    SetSize(width, 1, 8);
  else
    SetSize(width, Height(), BitCount());
}

void TDIB::SetHeight(std::int32_t height) {
  if (height <= 0)
    Clear();
  else if (Empty())
    SetSize(1, height, 8);
  else
    SetSize(Width(), height, BitCount());
}

std::uint8_t* TDIB::PixelPointer() {
  if (Empty()) return nullptr;
  Unshare(true);
  return image_->Bits.data();
}

std::uint8_t* TDIB::ScanLine(std::int32_t y) {
  if (Empty() || y < 0 || y >= Height()) return nullptr;
  std::uint8_t* p = PixelPointer();
  return p + static_cast<std::int64_t>(Height() - 1 - y) * WidthBytes();
}

const std::uint8_t* TDIB::ScanLineReadOnly(std::int32_t y) {
  if (Empty() || y < 0 || y >= Height()) return nullptr;
  Decompress();
  return image_->Bits.data() + static_cast<std::int64_t>(Height() - 1 - y) * WidthBytes();
}

void TDIB::Decompress() {
  if (image_->Compressed) SwitchToDecodedCopy(image_->PlainMemory);
}

std::uint32_t TDIB::GetPixel(std::int32_t x, std::int32_t y) {
  if (x < 0 || x >= Width()) return 0;
  const std::uint8_t* row = ScanLineReadOnly(y);
  return row ? ValueAt(row, x, BitCount()) : 0;
}

void TDIB::SetPixel(std::int32_t x, std::int32_t y, std::uint32_t v) {
  if (x < 0 || x >= Width()) return;
  if (std::uint8_t* row = ScanLine(y)) PutValue(row, x, BitCount(), v);
}

void TDIB::LoadFromStream(TStream& stream) {
  TBitmapFileHeader fh{};
  const std::int64_t got = stream.Read(&fh, sizeof fh);
  if (got == 0) return;
  if (got < static_cast<std::int64_t>(sizeof fh) || fh.bfType != 0x4D42)
    throw EInvalidGraphic(SInvalidDIB);
  ReadData(stream);
}

void TDIB::ReadData(TStream& stream) {
  std::uint32_t headerSize = 0;
  const std::int64_t got = stream.Read(&headerSize, 4);
  if (got == 0) {
    Clear();
    return;
  }
  try {
    if (got < 4) throw EInvalidGraphic(SInvalidDIB);
    TBitmapInfoHeader h{};
    const bool core = headerSize == 12;
    if (core) {
      TBitmapCoreHeader c{};
      stream.ReadBuffer(reinterpret_cast<std::uint8_t*>(&c) + 4, 8);
      h.biWidth = c.bcWidth;
      h.biHeight = c.bcHeight;
      h.biPlanes = c.bcPlanes;
      h.biBitCount = c.bcBitCount;
    } else if (headerSize == 40) {
      stream.ReadBuffer(reinterpret_cast<std::uint8_t*>(&h) + 4, 36);
    } else {
      throw EInvalidGraphic(SInvalidDIB);
    }
    const std::int32_t bits = h.biBitCount;
    const std::uint32_t comp = h.biCompression;
    // Encodings only with the bit counts that they are defined for.
    if (comp > BI_BITFIELDS || (comp == BI_RLE8 && bits != 8) || (comp == BI_RLE4 && bits != 4) ||
        (comp == BI_BITFIELDS && bits != 16 && bits != 32))
      throw EInvalidGraphic(SInvalidDIB);
    if (h.biWidth < 0 || h.biHeight == std::numeric_limits<std::int32_t>::min() ||
        (h.biHeight < 0 && (comp == BI_RLE8 || comp == BI_RLE4)))
      throw EInvalidGraphic(SInvalidDIB);

    TPixelFormat format;
    if (comp == BI_BITFIELDS) {
      std::uint32_t m[3];
      stream.ReadBuffer(m, sizeof m);
      format = MakeDIBPixelFormatMask(m[0], m[1], m[2]);
    } else {
      format = bits == 16 ? MakeDIBPixelFormat(5, 5, 5) : MakeDIBPixelFormat(8, 8, 8);
    }

    std::uint32_t colors = h.biClrUsed;
    if (colors == 0 && bits <= 8) colors = 1u << std::min(bits, 8);
    colors = std::min<std::uint32_t>(colors, 256);
    TColorTable table{};
    const std::int64_t entry = core ? 3 : 4;
    if (static_cast<std::int64_t>(colors) * entry > stream.Remaining())
      throw EInvalidGraphic(SInvalidDIB);
    for (std::uint32_t i = 0; i < colors; ++i) {
      std::uint8_t q[4] = {0, 0, 0, 0};
      stream.ReadBuffer(q, entry);
      table[i] = {q[0], q[1], q[2], 0};
    }

    const std::int32_t width = h.biWidth;
    const std::int32_t height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const bool compressed = comp == BI_RLE8 || comp == BI_RLE4;
    auto img = MakeStorage(width, height, bits, compressed, table, format, image_->PlainMemory);
    if (!img->Empty()) {
      if (compressed) {
        if (h.biSizeImage > stream.Remaining()) throw EInvalidGraphic(SInvalidDIB);
        img->Bits.resize(h.biSizeImage);
        stream.ReadBuffer(img->Bits.data(), h.biSizeImage);
      } else {
        if (img->Size > stream.Remaining()) throw EInvalidGraphic(SInvalidDIB);
        if (h.biHeight > 0) {
          stream.ReadBuffer(img->Bits.data(), img->Size);
        } else {  // top-down rows: the first one read is the top row
          for (std::int32_t y = 0; y < height; ++y)
            stream.ReadBuffer(
                img->Bits.data() + static_cast<std::int64_t>(height - 1 - y) * img->WidthBytes,
                img->WidthBytes);
        }
      }
      img->PaletteChanged = true;
    }
    SwitchImage(std::move(img));
  } catch (const EStreamError&) {
    throw EInvalidGraphic(SInvalidDIB);
  } catch (const EOutOfResources&) {
    // Sizes beyond what any picture of the game needs are a damaged file.
    throw EInvalidGraphic(SInvalidDIB);
  }
}

void TDIB::WriteData(TStream& stream) const {
  if (Empty()) return;
  const std::vector<std::uint8_t> info = image_->InfoBlock();
  stream.WriteBuffer(info.data(), static_cast<std::int64_t>(info.size()));
  stream.WriteBuffer(image_->Bits.data(), image_->ImageSize());
}

void TDIB::SaveToStream(TStream& stream) const {
  if (Empty()) return;
  TBitmapFileHeader fh{};
  fh.bfType = 0x4D42;
  fh.bfSize = static_cast<std::uint32_t>(InfoBlockSize() + image_->ImageSize() + 14);
  fh.bfOffBits = static_cast<std::uint32_t>(InfoBlockSize() + 14);
  stream.WriteBuffer(&fh, sizeof fh);
  WriteData(stream);
}

void TDIB::LoadFromBytes(std::span<const std::uint8_t> bytes) {
  TReadOnlyStream s(bytes);
  LoadFromStream(s);
}

std::vector<std::uint8_t> TDIB::SaveToBytes() const {
  TMemoryStream s;
  SaveToStream(s);
  return std::move(s.Bytes());
}

void TDIB::LoadFromFile(const std::filesystem::path& path) {
  // A named pipe or a device is refused rather than waited on; no bitmap comes near the bound.
  constexpr std::uintmax_t MaxBitmapFileBytes = 256u << 20;
  std::vector<std::uint8_t> bytes;
  if (plat::ReadRegularFile(path, MaxBitmapFileBytes, bytes) != plat::ReadResult::Ok)
    throw EInvalidGraphic(DXFormat("Cannot open file %s", path.string()));
  LoadFromBytes(bytes);
}

bool TDIB::SaveToFile(const std::filesystem::path& path) const {
  const std::vector<std::uint8_t> bytes = SaveToBytes();
  return plat::WriteFileAtomically(
      path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void TDIB::SaveToClipboardFormat(plat::TClipFormat& format, std::string& data,
                                 HPALETTE& palette) const {
  TMemoryStream s;
  WriteData(s);
  format = plat::CF_DIB;
  data.assign(s.Bytes().begin(), s.Bytes().end());
  palette = nullptr;
}

void TDIB::LoadFromClipboardFormat(plat::TClipFormat, const std::string& data, const HPALETTE&) {
  TReadOnlyStream s(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(data.data()),
                                                  data.size()));
  ReadData(s);
}

void TDIB::CopyToClipboard() const {
  plat::TClipFormat format;
  std::string data;
  HPALETTE palette;
  SaveToClipboardFormat(format, data, palette);
  plat::ClipboardSetData({{format, std::move(data)}});
}

void TDIB::LoadFromClipboardFormat() {
  const auto data = plat::ClipboardGetData(plat::CF_DIB);
  if (!data) throw EInvalidGraphic("Unsupported clipboard format");
  LoadFromClipboardFormat(plat::CF_DIB, *data, nullptr);
}

}  // namespace zarn
