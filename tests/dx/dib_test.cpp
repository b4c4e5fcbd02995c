#include "game/dx/DIB.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/common/fedpipe.h"

namespace zarn {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
std::uint32_t Get32(const Bytes& b, std::size_t at) {
  std::uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

// A BMP file with a 40-byte header, `colors` quads of (i, 2i, 3i) and the given pixel bytes.
Bytes Bmp(std::int32_t w, std::int32_t h, std::uint16_t bits, std::uint32_t comp, int colors,
          const Bytes& pixels, std::uint32_t imageSize = 0, std::uint32_t headerSize = 40) {
  Bytes b{'B', 'M'};
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, headerSize);
  Put32(b, static_cast<std::uint32_t>(w));
  Put32(b, static_cast<std::uint32_t>(h));
  Put16(b, 1);
  Put16(b, bits);
  Put32(b, comp);
  Put32(b, imageSize ? imageSize : static_cast<std::uint32_t>(pixels.size()));
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, static_cast<std::uint32_t>(colors == (1 << bits) ? 0 : colors));
  Put32(b, 0);
  for (int i = 0; i < colors; ++i) {
    b.push_back(static_cast<std::uint8_t>(i));
    b.push_back(static_cast<std::uint8_t>(2 * i));
    b.push_back(static_cast<std::uint8_t>(3 * i));
    b.push_back(0);
  }
  b.insert(b.end(), pixels.begin(), pixels.end());
  const auto size = static_cast<std::uint32_t>(b.size());
  const auto offBits = static_cast<std::uint32_t>(14 + headerSize + 4 * colors);
  std::memcpy(b.data() + 2, &size, 4);
  std::memcpy(b.data() + 10, &offBits, 4);
  return b;
}

TEST(DIB, EightBitPictureWritesTheBmpLayoutAndReadsBackByteForByte) {
  TDIB d;
  TColorTable t = GreyscaleColorTable();
  t[7] = {1, 2, 3, 0};
  d.SetColorTable(t);
  d.SetSize(5, 3, 8);
  EXPECT_EQ(d.WidthBytes(), 8);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) d.SetPixel(x, y, static_cast<std::uint32_t>(10 * y + x));
  const Bytes file = d.SaveToBytes();
  ASSERT_EQ(file.size(), 14u + 40 + 256 * 4 + 8 * 3);
  EXPECT_EQ(Get32(file, 2), file.size());
  EXPECT_EQ(Get32(file, 10), 14u + 40 + 1024);
  EXPECT_EQ(file[14 + 40 + 7 * 4 + 2], 3);  // red of entry 7
  // Rows are stored bottom-up: the file's first row is the picture's last.
  EXPECT_EQ(file[14 + 40 + 1024], 20);

  TDIB back;
  back.LoadFromBytes(file);
  EXPECT_EQ(back.Width(), 5);
  EXPECT_EQ(back.Height(), 3);
  EXPECT_EQ(back.ColorTable()[7], (TDIBQuad{1, 2, 3, 0}));
  EXPECT_EQ(back.GetPixel(4, 2), 24u);
  EXPECT_EQ(back.SaveToBytes(), file);
}

TEST(DIB, EveryBitCountRoundTrips) {
  struct Case {
    int bits;
    TPixelFormat format;
    std::uint32_t value;
  };
  const Case cases[] = {
      {1, MakeDIBPixelFormat(8, 8, 8), 1},         {4, MakeDIBPixelFormat(8, 8, 8), 0xB},
      {16, MakeDIBPixelFormat(5, 6, 5), 0xF81F},   {16, MakeDIBPixelFormat(5, 5, 5), 0x7C1F},
      {24, MakeDIBPixelFormat(8, 8, 8), 0x123456}, {32, MakeDIBPixelFormat(8, 8, 8), 0x00ABCDEF}};
  for (const Case& c : cases) {
    TDIB d;
    d.SetPixelFormat(c.format);
    d.SetSize(9, 4, c.bits);
    d.SetPixel(8, 3, c.value);
    d.SetPixel(0, 0, c.value);
    const Bytes file = d.SaveToBytes();
    TDIB back;
    back.LoadFromBytes(file);
    EXPECT_EQ(back.BitCount(), c.bits);
    EXPECT_EQ(back.PixelFormat(), c.format) << c.bits;
    EXPECT_EQ(back.GetPixel(8, 3), c.value) << c.bits;
    EXPECT_EQ(back.GetPixel(0, 0), c.value) << c.bits;
    EXPECT_EQ(back.GetPixel(1, 1), 0u) << c.bits;
    EXPECT_EQ(back.SaveToBytes(), file) << c.bits;
  }
  TDIB d;
  d.SetPixelFormat(MakeDIBPixelFormat(6, 5, 5));
  EXPECT_THROW(d.SetSize(2, 2, 16), EInvalidGraphicOperation);
  try {
    d.SetSize(2, 2, 7);
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "Bitcount in invalid (7)");
  }
}

TEST(DIB, CoreHeadersAndTopDownRowsReadLikeTheUsualForm) {
  const Bytes pixels{1, 2, 0, 0, 3, 4, 0, 0};  // two rows of two pixels, stride 4
  const Bytes usual = Bmp(2, 2, 8, BI_RGB, 256, pixels);
  Bytes core{'B', 'M'};
  Put32(core, 0);
  Put32(core, 0);
  Put32(core, 0);
  Put32(core, 12);
  Put16(core, 2);
  Put16(core, 2);
  Put16(core, 1);
  Put16(core, 8);
  for (int i = 0; i < 256; ++i) {
    core.push_back(static_cast<std::uint8_t>(i));
    core.push_back(static_cast<std::uint8_t>(2 * i));
    core.push_back(static_cast<std::uint8_t>(3 * i));
  }
  core.insert(core.end(), pixels.begin(), pixels.end());
  TDIB a, b;
  a.LoadFromBytes(usual);
  b.LoadFromBytes(core);
  EXPECT_EQ(a.ColorTable(), b.ColorTable());
  EXPECT_EQ(a.SaveToBytes(), b.SaveToBytes());
  EXPECT_EQ(a.GetPixel(0, 0), 3u);  // bottom-up: the first row is the bottom one

  TDIB top;
  top.LoadFromBytes(Bmp(2, -2, 8, BI_RGB, 256, pixels));
  EXPECT_EQ(top.Height(), 2);
  EXPECT_EQ(top.GetPixel(0, 0), 1u);  // top-down: the first row is the top one
  EXPECT_EQ(top.GetPixel(1, 1), 4u);
}

TEST(DIB, RunLengthPicturesStayEncodedUntilTheirPixelsAreAsked) {
  // RLE8, 6 x 3: row 0 "run 3 of 5, literal 9 8 7 (padded)", end of row; row 1 a move of
  // (2, 1) to row 2 column 2, then a run; end of picture.
  const Bytes rle{3, 5, 0, 3, 9, 8, 7, 0, 0, 0, 0, 2, 2, 1, 2, 6, 0, 1};
  const Bytes file = Bmp(6, 3, 8, BI_RLE8, 256, rle);
  TDIB d;
  d.LoadFromBytes(file);
  EXPECT_TRUE(d.Compressed());
  EXPECT_EQ(d.SaveToBytes(), file);  // still encoded, byte for byte
  TDIB shared(d);
  const std::uint8_t expectBottom[6] = {5, 5, 5, 9, 8, 7};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(d.GetPixel(x, 2), expectBottom[x]) << x;
  EXPECT_EQ(d.GetPixel(0, 1), 0u);
  EXPECT_EQ(d.GetPixel(1, 0), 0u);
  EXPECT_EQ(d.GetPixel(2, 0), 6u);
  EXPECT_EQ(d.GetPixel(3, 0), 6u);
  EXPECT_FALSE(d.Compressed());
  EXPECT_TRUE(shared.Compressed());  // the copy it shared with is untouched
  EXPECT_EQ(shared.SaveToBytes(), file);

  // RLE4: a run alternates the halves of its byte; a literal of 3 pixels takes 2 bytes.
  const Bytes rle4{5, 0x12, 0, 3, 0xAB, 0xC0, 0, 1};
  TDIB f;
  f.LoadFromBytes(Bmp(8, 1, 4, BI_RLE4, 16, rle4));
  const std::uint32_t expect4[8] = {1, 2, 1, 2, 1, 0xA, 0xB, 0xC};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(f.GetPixel(x, 0), expect4[x]) << x;
}

TEST(DIB, RunsAndMovesThatLeaveThePictureAreClipped) {
  // A run far past the right edge, a move past the top, a literal cut short by the end of
  // the data: nothing is written outside the 4 x 2 picture and nothing crashes.
  const Bytes rle{255, 7, 0, 0, 0, 2, 200, 0, 2, 9, 0, 2, 255, 255, 0, 9, 1, 2};
  TDIB d;
  d.LoadFromBytes(Bmp(4, 2, 8, BI_RLE8, 256, rle));
  for (int x = 0; x < 4; ++x) EXPECT_EQ(d.GetPixel(x, 1), 7u);
  EXPECT_EQ(d.GetPixel(0, 0), 0u);
  std::vector<std::uint8_t> out(8, 0xEE);
  DecodeDIBRle(Bytes{0, 2, 1, 0, 0, 20, 1, 2, 3}, false, 4, 2, 4, out.data());
  EXPECT_EQ(out, (Bytes{0xEE, 1, 2, 3, 0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST(DIB, PicturesShareTheirImageUntilOneIsWritten) {
  TDIB a;
  a.SetSize(3, 3, 8);
  a.SetPixel(1, 1, 42);
  TDIB b = a;
  EXPECT_TRUE(a.SharesImageWith(b));
  b.SetPixel(1, 1, 7);
  EXPECT_FALSE(a.SharesImageWith(b));
  EXPECT_EQ(a.GetPixel(1, 1), 42u);
  EXPECT_EQ(b.GetPixel(1, 1), 7u);

  TDIB e;
  e.SetWidth(10);  // an empty picture becomes 8-bit with the other side 1
  EXPECT_EQ(e.Height(), 1);
  EXPECT_EQ(e.BitCount(), 8);
  e.SetHeight(0);
  EXPECT_TRUE(e.Empty());
  EXPECT_TRUE(e.SaveToBytes().empty());
}

// A canvas that records what it is given, and the palette and stretch mode it had then.
struct Probe : TCanvas {
  TColor px[4][4] = {};
  HPALETTE seenPalette;
  int seenMode = -1;
  int Width() override { return 4; }
  int Height() override { return 4; }
  TColor Pixel(int x, int y) override { return px[y][x]; }
  void SetPixel(int x, int y, TColor c) override {
    px[y][x] = c;
    seenPalette = Palette();
    seenMode = StretchMode;
  }
};

// Two colours side by side: (4, 5, 6) then (1, 2, 3).
struct Swatch : TGraphic {
  std::int32_t Width() const override { return 2; }
  std::int32_t Height() const override { return 1; }
  void Draw(TCanvas& c, plat::Rect r) const override {
    StretchColours(c, r, 2, 1, [](int x, int) { return x ? RGBColor(1, 2, 3) : RGBColor(4, 5, 6); });
  }
};

// Colour i of the Bmp helper's table.
TColor Colour(int i) { return RGBColor(static_cast<std::uint8_t>(3 * i), static_cast<std::uint8_t>(2 * i), static_cast<std::uint8_t>(i)); }

TEST(DIB, DrawStretchesThroughItsPaletteAndLeavesThePictureAsItWas) {
  // RLE8, 2 x 2: the bottom row 3 4, the top row 1 2.
  TDIB d;
  d.LoadFromBytes(Bmp(2, 2, 8, BI_RLE8, 256, Bytes{1, 3, 1, 4, 0, 0, 1, 1, 1, 2, 0, 1}));
  Probe canvas;
  d.Draw(canvas, plat::Rect{0, 0, 4, 4});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(canvas.px[y][x], Colour(1 + (x >= 2) + 2 * (y >= 2))) << x << ", " << y;
  EXPECT_EQ(canvas.seenPalette, d.GetPalette());  // selected while drawing
  EXPECT_EQ(canvas.seenMode, COLORONCOLOR);
  EXPECT_EQ(canvas.Palette(), nullptr);  // and both put back
  EXPECT_EQ(canvas.StretchMode, 0);
  EXPECT_EQ(canvas.RealizeCount, 1);
  EXPECT_TRUE(d.Compressed());
  EXPECT_FALSE(d.HasDeviceContext());
  TDIB empty;
  empty.Draw(canvas, plat::Rect{0, 0, 4, 4});
  EXPECT_EQ(canvas.RealizeCount, 1);
}

TEST(DIB, ACanvasTakesThePictureIntoASectionOfItsOwn) {
  TDIB a;
  a.LoadFromBytes(Bmp(2, 1, 8, BI_RGB, 256, Bytes{5, 6, 0, 0}));
  EXPECT_FALSE(a.HasDeviceContext());
  TDIB plain(a);
  TCanvas& c = a.Canvas();
  EXPECT_TRUE(a.HasDeviceContext());
  EXPECT_FALSE(plain.HasDeviceContext());
  TDIB b(a);  // shares the section until the canvas draws
  EXPECT_EQ(c.Pixel(0, 0), Colour(5));
  c.SetPixel(1, 0, Colour(7));
  EXPECT_EQ(a.GetPixel(1, 0), 7u);
  EXPECT_EQ(b.GetPixel(1, 0), 6u);
  EXPECT_FALSE(a.SharesImageWith(b));
}

TEST(DIB, EqualColourTablesShareOnePaletteOfTheManager) {
  const int before = PaletteManager().Count();
  {
    const Bytes file = Bmp(2, 1, 8, BI_RGB, 256, Bytes{5, 6, 0, 0});
    TDIB a, b, rgb;
    a.LoadFromBytes(file);
    b.LoadFromBytes(file);
    const HPALETTE pa = a.GetPalette();
    ASSERT_TRUE(pa);
    EXPECT_EQ(pa->Entries.size(), 256u);
    EXPECT_EQ(pa->Entries[5], (TDIBQuad{5, 10, 15, 0}));
    EXPECT_EQ(b.GetPalette(), pa);
    EXPECT_EQ(PaletteManager().UseCount(pa), 2);
    EXPECT_EQ(PaletteManager().Count(), before + 1);
    rgb.SetSize(2, 2, 24);
    EXPECT_EQ(rgb.GetPalette(), nullptr);

    auto grey = std::make_shared<TGDIPalette>();
    const TColorTable g = GreyscaleColorTable();
    grey->Entries.assign(g.begin(), g.end());
    b.SetPalette(grey);
    EXPECT_EQ(b.ImageColorTable()[5], (TDIBQuad{5, 5, 5, 0}));
    EXPECT_EQ(a.ImageColorTable()[5], (TDIBQuad{5, 10, 15, 0}));
    EXPECT_NE(b.GetPalette(), pa);
    EXPECT_EQ(PaletteManager().UseCount(pa), 1);
  }
  EXPECT_EQ(PaletteManager().Count(), before);
}

TEST(DIB, TheClipboardCarriesThePictureWithoutItsFileHeader) {
  ASSERT_FALSE(plat::ClipboardUsesX());  // the tests' own clipboard, in the process
  const Bytes file = Bmp(2, 1, 8, BI_RGB, 256, Bytes{5, 6, 0, 0});
  TDIB a, b;
  a.LoadFromBytes(file);
  plat::TClipFormat format = 0;
  std::string data;
  HPALETTE palette = std::make_shared<TGDIPalette>();
  a.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, 8u);
  EXPECT_EQ(palette, nullptr);
  EXPECT_EQ(Bytes(data.begin(), data.end()), Bytes(file.begin() + 14, file.end()));
  a.CopyToClipboard();
  b.LoadFromClipboardFormat();
  EXPECT_EQ(b.SaveToBytes(), a.SaveToBytes());
  plat::ClipboardClear();
  EXPECT_THROW(b.LoadFromClipboardFormat(), EInvalidGraphic);
}

TEST(DIB, AssignTakesABitmapsFormatAndDrawsAnyOtherGraphicIn24Bits) {
  struct Case {
    int bits;
    bool masks;
    std::uint32_t value;
    TPixelFormat format;
  } const cases[] = {
      {8, false, 2, MakeDIBPixelFormat(8, 8, 8)},
      {16, false, 0x7C00, MakeDIBPixelFormat(5, 5, 5)},
      {16, true, 0xF800, MakeDIBPixelFormat(5, 6, 5)},
      {32, false, 0xFF8040, MakeDIBPixelFormat(8, 8, 8)},
  };
  for (const Case& c : cases) {
    TBitmap bm(3, 2, c.bits);
    if (c.bits == 8) bm.Palette[2] = {40, 50, 60, 0};
    if (c.masks) {
      bm.HasMasks = true;
      bm.RMask = 0xF800, bm.GMask = 0x7E0, bm.BMask = 0x1F;
    }
    bm.SetValue(2, 1, c.value);
    TDIB d;
    d.Assign(&bm);
    EXPECT_EQ(d.BitCount(), c.bits);
    EXPECT_EQ(d.Width(), 3);
    EXPECT_EQ(d.PixelFormat(), c.format) << c.bits;
    EXPECT_EQ(d.GetPixel(2, 1), c.value) << c.bits;
    EXPECT_EQ(d.GetPixel(0, 0), 0u) << c.bits;
    if (c.bits == 8) {
      EXPECT_EQ(d.ImageColorTable()[2], (TDIBQuad{40, 50, 60, 0}));
    }
  }
  TPicture picture;
  picture.SetGraphic(std::make_unique<Swatch>());
  TDIB d;
  d.Assign(&picture);
  EXPECT_EQ(d.BitCount(), 24);
  EXPECT_EQ(d.GetPixel(0, 0), 0x040506u);
  EXPECT_EQ(d.GetPixel(1, 0), 0x010203u);
  d.Assign(static_cast<const TPicture*>(nullptr));
  EXPECT_TRUE(d.Empty());

  // A bitmap that no storage can take leaves the picture's pixels and colours as they were.
  TColorTable table = GreyscaleColorTable();
  table[7] = {1, 2, 3, 0};
  d.SetColorTable(table);
  d.SetSize(2, 2, 8);
  d.SetPixel(1, 0, 7);
  const Bytes before = d.SaveToBytes();
  TBitmap badMasks(2, 2, 16);
  badMasks.HasMasks = true;
  badMasks.RMask = 0xF000, badMasks.GMask = 0x0F00, badMasks.BMask = 0x00FF;
  TBitmap badBits(2, 2, 7);
  badBits.Palette.assign(128, TDIBQuad{9, 9, 9, 0});
  TBitmap tooWide(kMaxDIBSide + 1, 1, 24);
  for (const TBitmap* source : {&badMasks, &badBits, &tooWide}) {
    EXPECT_THROW(d.Assign(source), EDXError) << source->BitCount();
    EXPECT_EQ(d.SaveToBytes(), before) << source->BitCount();
    EXPECT_EQ(d.ColorTable(), table) << source->BitCount();
    EXPECT_EQ(d.PixelFormat(), MakeDIBPixelFormat(8, 8, 8)) << source->BitCount();
  }
}

TEST(DIB, RejectsHostileFilesAndKeepsTheOldPicture) {
  TDIB d;
  d.SetSize(2, 2, 8);
  d.SetPixel(0, 0, 99);
  const Bytes before = d.SaveToBytes();

  d.LoadFromBytes({});  // an empty stream changes nothing
  EXPECT_EQ(d.SaveToBytes(), before);

  const Bytes px(16, 1);
  std::vector<Bytes> hostile;
  hostile.push_back(Bytes(before.begin(), before.begin() + 13));
  Bytes wrongType = before;
  wrongType[0] = 'X';
  hostile.push_back(wrongType);
  hostile.push_back(Bmp(2, 2, 8, BI_RGB, 256, px, 0, 52));        // unknown header length
  hostile.push_back(Bmp(2, 2, 4, BI_RLE8, 16, px));               // RLE8 with 4 bits
  hostile.push_back(Bmp(2, 2, 24, BI_RLE4, 0, px));               // RLE4 with 24 bits
  hostile.push_back(Bmp(2, 2, 8, 4, 256, px));                    // unknown compression
  hostile.push_back(Bmp(-2, 2, 8, BI_RGB, 256, px));              // negative width
  hostile.push_back(Bmp(100000, 100000, 8, BI_RGB, 256, px));     // huge: refused unallocated
  hostile.push_back(Bmp(30000, 30000, 24, BI_RGB, 0, px));        // 2.7 GB of pixels
  hostile.push_back(Bmp(4, 4, 8, BI_RGB, 256, Bytes(15, 1)));     // one pixel byte short
  hostile.push_back(Bmp(4, 4, 8, BI_RLE8, 256, px, 0x7FFFFFFF));  // encoded size beyond the end
  Bytes cut = Bmp(4, 4, 8, BI_RGB, 256, px);
  cut.resize(100);  // cut in the colour table
  hostile.push_back(cut);
  for (const Bytes& h : hostile) {
    EXPECT_THROW(d.LoadFromBytes(h), EDXError) << h.size();
    EXPECT_EQ(d.SaveToBytes(), before);
  }
  Bytes bitfields = Bmp(2, 2, 16, BI_BITFIELDS, 0, {});
  bitfields.resize(54);
  Put32(bitfields, 0xF000);
  Put32(bitfields, 0x0F00);
  Put32(bitfields, 0x00FF);
  bitfields.insert(bitfields.end(), 8, 0);
  EXPECT_THROW(d.LoadFromBytes(bitfields), EInvalidGraphicOperation);  // masks of no allowed format
  EXPECT_EQ(d.SaveToBytes(), before);

  // A good picture behind a named pipe is not read: a pipe can keep a reader waiting for good.
  TDIB other;
  other.SetSize(3, 1, 8);
  const Bytes good = other.SaveToBytes();
  testpipe::TFedPipe pipe(std::filesystem::temp_directory_path() /
                              ("zarn_dib_pipe_" + std::to_string(::getpid()) + ".bmp"),
                          std::string(good.begin(), good.end()));
  ASSERT_TRUE(pipe.Made());
  EXPECT_THROW(d.LoadFromFile(pipe.Path()), EInvalidGraphic);
  EXPECT_EQ(d.SaveToBytes(), before);
}

}  // namespace
}  // namespace zarn
