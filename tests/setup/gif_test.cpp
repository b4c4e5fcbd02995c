// GIF codec: pictures made by ImageMagick decode pixel for pixel; our files round-trip through
// our decoder and through ImageMagick's; damaged files give the library's texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "setup/images/RxGIF.h"
#include "tests/setup/setup_fixture.h"

namespace zarn3set {
namespace {

using setup_test::Q;
using setup_test::Shell;
using setup_test::Slurp;
using setup_test::Spit;
using setup_test::TempDirTest;

// A picture of exactly `colors` distinct colours in a pattern that keeps every run short.
TBitmap Pattern(int w, int h, int colors, unsigned seed) {
  TBitmap b;
  b.Create(w, h, 24);
  std::mt19937 rng(seed);
  std::vector<TRGB> pal(colors);
  for (int i = 0; i < colors; ++i)
    pal[i] = {static_cast<std::uint8_t>(i * 37 + 11), static_cast<std::uint8_t>(255 - i),
              static_cast<std::uint8_t>((i * 91) & 0xFF)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int i = (x + y * w) < colors ? (x + y * w) : static_cast<int>(rng() % colors);
      if ((x / 4 + y / 3) % 5 == 0) i = (x * 7 + y) % colors;  // some repeats for the dictionary
      b.SetPixel(x, y, pal[i]);
    }
  return b;
}

void WritePpm(const std::filesystem::path& p, const TBitmap& b) {
  std::ofstream o(p, std::ios::binary);
  o << "P6\n" << b.width << " " << b.height << "\n255\n";
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) {
      TRGB c = b.Pixel(x, y);
      o.put(static_cast<char>(c.r)).put(static_cast<char>(c.g)).put(static_cast<char>(c.b));
    }
}

// ImageMagick's own decoding of a GIF as raw RGBA rows.
std::string ImRgba(const std::filesystem::path& gif, const std::filesystem::path& out) {
  Shell("convert " + Q(gif.string()) + " -depth 8 rgba:" + Q(out.string()));
  return Slurp(out);
}

void ExpectSamePixels(TGIFImage& ours, const std::string& rgba, bool honourAlpha,
                      const std::string& what) {
  TGIFFrame* f = ours.Frame(0);
  ASSERT_NE(f, nullptr) << what;
  const TBitmap& b = f->Bitmap();
  ASSERT_EQ(rgba.size(), static_cast<std::size_t>(b.width) * b.height * 4) << what;
  int wrong = 0;
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) {
      const auto* q = reinterpret_cast<const std::uint8_t*>(rgba.data()) + (y * b.width + x) * 4;
      TRGB c = b.Pixel(x, y);
      bool clear = honourAlpha && q[3] == 0;
      if (clear) {
        if (RgbToColor(c) != f->transparentColor) ++wrong;
      } else if (c.r != q[0] || c.g != q[1] || c.b != q[2]) {
        ++wrong;
      }
    }
  EXPECT_EQ(wrong, 0) << what << ": pixels that differ from ImageMagick's decoding";
}

class GifCodec : public TempDirTest {};

TEST_F(GifCodec, DecodesImageMagickPicturesOfEveryCodeSizePixelForPixel) {
  for (int bits = 1; bits <= 8; ++bits) {
    int colors = 1 << bits;
    TBitmap src = Pattern(37 + bits * 5, 23 + bits * 3, colors, static_cast<unsigned>(bits));
    WritePpm(dir / "in.ppm", src);
    for (int variant = 0; variant < 3; ++variant) {
      // 0: 89a; 1: 87a; 2: 89a interlaced
      std::filesystem::path gif = dir / ("p" + std::to_string(bits) + "_" + std::to_string(variant) + ".gif");
      std::string target = (variant == 1 ? "gif87:" : "gif:") + gif.string();
      Shell("convert " + Q((dir / "in.ppm").string()) + (variant == 2 ? " -interlace GIF" : "") +
          " " + Q(target));
      std::string bytes = Slurp(gif);
      ASSERT_GT(bytes.size(), 13u);
      EXPECT_EQ(bytes.substr(0, 6), variant == 1 ? "GIF87a" : "GIF89a");
      TGIFImage img;
      img.LoadFromStream(bytes);
      std::string what = std::to_string(bits) + " bits, variant " + std::to_string(variant);
      ASSERT_EQ(img.FrameCount(), 1) << what;
      EXPECT_EQ(img.version, variant == 1 ? 1 : 2);
      EXPECT_EQ(img.Frame(0)->interlaced, variant == 2) << what;
      EXPECT_EQ(static_cast<int>(static_cast<std::uint8_t>(img.Frame(0)->image->imageData[0])),
                std::max(2, bits)) << what;
      EXPECT_EQ(img.Width(), src.width);
      ExpectSamePixels(img, ImRgba(gif, dir / "im.rgba"), false, what);
      // And the source itself: no colour was lost on either side.
      const TBitmap& b = img.Frame(0)->Bitmap();
      int off = 0;
      for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) off += !(b.Pixel(x, y) == src.Pixel(x, y));
      EXPECT_EQ(off, 0) << what;
    }
  }
}

TEST_F(GifCodec, TransparentColourComesFromTheGraphicControlBlock) {
  TBitmap src = Pattern(40, 30, 16, 7);
  src.SetPixel(0, 0, {255, 0, 0});
  src.SetPixel(5, 9, {255, 0, 0});
  WritePpm(dir / "in.ppm", src);
  Shell("convert " + Q((dir / "in.ppm").string()) + " -transparent '#ff0000' " +
      Q((dir / "t.gif").string()));
  TGIFImage img;
  img.LoadFromFile((dir / "t.gif").string());
  TGIFFrame* f = img.Frame(0);
  ASSERT_NE(f, nullptr);
  ASSERT_NE(f->transparentColor, clNone);
  EXPECT_TRUE(img.IsTransparent());
  ExpectSamePixels(img, ImRgba(dir / "t.gif", dir / "t.rgba"), true, "transparent");
  // The two red pixels are the transparent ones.
  const TBitmap& b = f->Bitmap();
  EXPECT_EQ(RgbToColor(b.Pixel(5, 9)), f->transparentColor);
}

TEST_F(GifCodec, OurFilesRoundTripThroughOurDecoderAndImageMagicks) {
  std::mt19937 rng(99);
  struct Case { int w, h, bits; bool noise; };
  // Noise of 256 colours over 300 x 300 fills the code table many times over (clear codes).
  for (Case c : {Case{1, 1, 1, false}, Case{17, 5, 1, true}, Case{64, 64, 4, true},
                 Case{300, 300, 8, true}, Case{513, 7, 8, false}, Case{200, 150, 4, false}}) {
    TBitmap b;
    ASSERT_TRUE(b.Create(c.w, c.h, c.bits));
    for (int i = 0; i < (1 << c.bits); ++i)
      b.palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                      static_cast<std::uint8_t>(i * 3)};
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x)
        b.SetIndex(x, y, c.noise ? rng() : static_cast<unsigned>((x / 9 + y / 4) % (1 << c.bits)));
    TGIFImage img;
    img.AddFrame(b);
    std::string bytes = img.SaveToStream();
    std::string what = std::to_string(c.w) + "x" + std::to_string(c.h) + "x" + std::to_string(c.bits);
    TGIFImage back;
    back.LoadFromStream(bytes);
    ASSERT_EQ(back.FrameCount(), 1) << what;
    const TBitmap& d = back.Frame(0)->Bitmap();
    ASSERT_EQ(d.width, c.w);
    ASSERT_EQ(d.height, c.h);
    int off = 0;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) off += d.Index(x, y) != b.Index(x, y);
    EXPECT_EQ(off, 0) << what;
    Spit(dir / "rt.gif", bytes);
    ExpectSamePixels(back, ImRgba(dir / "rt.gif", dir / "rt.rgba"), false, what + " (ImageMagick)");
  }
}

TEST_F(GifCodec, TrueColourBitmapBecomesAnEightBitGlobalTableAndRewritesKeepImageData) {
  TBitmap src = Pattern(50, 40, 200, 3);
  TGIFImage img;
  img.Assign(src);
  std::string bytes = img.SaveToStream();
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[10]) & 0x87, 0x87);  // global table of 256
  TGIFImage back;
  back.LoadFromStream(bytes);
  EXPECT_FALSE(back.Frame(0)->localColors);
  const TBitmap& d = back.Frame(0)->Bitmap();
  int off = 0;  // at most 256 colours: the histogram keeps them all
  for (int y = 0; y < d.height; ++y)
    for (int x = 0; x < d.width; ++x) off += !(d.Pixel(x, y) == src.Pixel(x, y));
  EXPECT_EQ(off, 0);
  // Written again: the frame's data are kept byte for byte; a lone looping frame gets no loop block.
  back.looping = true;
  std::string again = back.SaveToStream();
  EXPECT_EQ(again.find("NETSCAPE"), std::string::npos);
  EXPECT_NE(again.find(back.Frame(0)->image->imageData), std::string::npos);
  EXPECT_THROW(back.SetWidth(3), EGIFError);
  TGIFImage empty;
  try {
    empty.SaveToStream();
    ADD_FAILURE();
  } catch (const EGIFError& e) {
    EXPECT_STREQ(e.what(), kGifNoData);
  }
}

std::string Message(const std::string& bytes) {
  TGIFImage img;
  try {
    img.LoadFromStream(bytes);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "loaded";
}

TEST_F(GifCodec, DamagedFilesAreRejectedWithTheLibrarysTexts) {
  TBitmap b;
  b.Create(8, 8, 4);
  for (int i = 0; i < 64; ++i) b.SetIndex(i % 8, i / 8, static_cast<unsigned>(i % 5));
  TGIFImage img;
  img.AddFrame(b);
  const std::string good = img.SaveToStream();
  ASSERT_EQ(Message(good), "loaded");
  std::size_t desc = good.find('\x2C', 13);
  ASSERT_NE(desc, std::string::npos);
  std::size_t lzw = desc + 10;  // no local table: the minimum code size follows the descriptor

  std::string v = good;
  v.replace(3, 3, "90a");
  EXPECT_EQ(Message(v), kGifBadVersion);

  for (int size : {0, 1, 10, 12}) {
    std::string s = good;
    s[lzw] = static_cast<char>(size);
    EXPECT_EQ(Message(s), kGifBadCodeSize) << size;
  }
  // A first code after the clear code that is not a literal, then a code far past the table.
  std::string c = good;
  c[lzw + 2] = static_cast<char>(0xFF);
  c[lzw + 3] = static_cast<char>(0xFF);
  EXPECT_EQ(Message(c), kGifBadData);

  std::string ext = good;
  ext.insert(desc, "\x21\x42\x00", 3);
  EXPECT_EQ(Message(ext), "Неопределенное расширение GIF: 42");

  EXPECT_EQ(Message(good.substr(0, good.size() - 6)), kStreamReadError);
  EXPECT_EQ(Message(good.substr(0, 9)), kStreamReadError);
  // A frame too large for memory is refused, not allocated.
  std::string huge = good;
  huge[desc + 5] = huge[desc + 6] = huge[desc + 7] = huge[desc + 8] = static_cast<char>(0xFF);
  EXPECT_EQ(Message(huge), kGifBadData);
}

TEST(GifCodecTables, ColourCountsMustBePowersOfTwo) {
  EXPECT_EQ(ColorsToBits(2), 1);
  EXPECT_EQ(ColorsToBits(256), 8);
  EXPECT_THROW(ColorsToBits(3), EGIFError);
  EXPECT_THROW(ColorsToBits(512), EGIFError);
}

}  // namespace
}  // namespace zarn3set
