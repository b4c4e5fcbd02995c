// GIF codec: pictures made by ImageMagick decode pixel for pixel; our files round-trip through
// our decoder and through ImageMagick's; damaged files give the library's texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/surface.h"
#include "setup/images/RxGIF.h"
#include "setup/lebytes.h"
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

// An 8-bit frame of its own colours (entry i distinct for every frame), one of them transparent
// when `hole` >= 0, placed at (left, top).
std::unique_ptr<TBitmap> Tile(int w, int h, int seed, int hole) {
  auto b = std::make_unique<TBitmap>();
  b->Create(w, h, 8);
  for (int i = 0; i < 256; ++i)
    b->palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(seed * 40 + 7),
                     static_cast<std::uint8_t>(255 - i)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->SetIndex(x, y, static_cast<unsigned>((x * 3 + y * 5 + seed * 11) % 16));
  if (hole >= 0) {
    b->transparent = true;
    b->transparentColor = RgbToColor(b->palette[hole]);
  }
  return b;
}

struct Placed { int w, h, left, top, disposal, hole; };

TGIFImage Animation(const std::vector<Placed>& frames) {
  TGIFImage img;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const Placed& p = frames[i];
    int at = img.AddFrame(*Tile(p.w, p.h, static_cast<int>(i), p.hole));
    TGIFFrame* f = img.Frame(at);
    f->left = p.left;
    f->top = p.top;
    f->disposal = p.disposal;
    f->delay = 100;
  }
  img.looping = true;
  // A background of the global table that no frame's pixels use: where ImageMagick shows it,
  // no frame drew.
  img.backgroundColor = RgbToColor(img.Frame(0)->Bitmap().palette[200]);
  TGIFImage back;
  back.LoadFromStream(img.SaveToStream());
  return back;
}

// Every frame composed by us, in order and each one afresh, against ImageMagick's coalesce:
// the same pixels where a frame drew, the background where none did.
void ExpectCoalescedLikeImageMagick(TGIFImage& img, const std::filesystem::path& dir, const std::string& what) {
  Spit(dir / "anim.gif", img.SaveToStream());
  Shell("convert " + Q((dir / "anim.gif").string()) + " -coalesce -depth 8 rgba:" + Q((dir / "c.rgba").string()));
  const std::string rgba = Slurp(dir / "c.rgba");
  const int w = img.screenWidth, h = img.screenHeight, n = img.FrameCount();
  ASSERT_EQ(rgba.size(), static_cast<std::size_t>(w) * h * 4 * n) << what;
  TGIFCanvas inOrder;
  for (int k = 0; k < n; ++k) {
    ComposeFrame(img, k, inOrder);
    TGIFCanvas fresh;
    ComposeFrame(img, k, fresh);
    for (const TGIFCanvas* c : {&inOrder, &fresh}) {
      ASSERT_EQ(c->picture.width, w);
      ASSERT_EQ(c->picture.height, h);
      int wrong = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const auto* q = reinterpret_cast<const std::uint8_t*>(rgba.data()) + ((k * h + y) * w + x) * 4;
          bool covered = c->covered[static_cast<std::size_t>(y) * w + x] != 0;
          TRGB p = c->picture.Pixel(x, y);
          // ImageMagick leaves such places transparent, or shows the background colour when
          // the first frame has no transparency.
          bool bare = q[3] == 0 || RgbToColor({q[0], q[1], q[2]}) == img.backgroundColor;
          if (covered ? bare || !(p == TRGB{q[0], q[1], q[2]}) : !bare) ++wrong;
        }
      EXPECT_EQ(wrong, 0) << what << ", frame " << k << (c == &fresh ? " afresh" : " in order");
    }
  }
}

TEST_F(GifCodec, FramesComposeAtTheirPlacesWithEveryDisposalAsImageMagickCoalescesThem) {
  // Disposal 1 keeps, 2 clears to the background, 3 restores what was under it, 0 keeps.
  TGIFImage img = Animation({{40, 30, 0, 0, 1, -1},
                             {12, 10, 5, 4, 2, 3},
                             {10, 8, 20, 10, 3, 5},
                             {15, 15, 2, 12, 0, 7},
                             {8, 8, 30, 20, 2, -1},
                             {6, 6, 0, 0, 3, 2},
                             {9, 7, 25, 3, 1, 4},
                             {7, 9, 6, 6, 3, -1},
                             {11, 5, 14, 22, 1, 9}});
  ASSERT_EQ(img.FrameCount(), 9);
  EXPECT_EQ(img.Frame(2)->left, 20);
  EXPECT_EQ(img.Frame(3)->disposal, 0);
  ExpectCoalescedLikeImageMagick(img, dir, "full first frame");
  // The first frame leaves most of the screen bare and clears itself; an opaque full-screen
  // frame in the middle is where a composition afresh may start, unless it restores.
  TGIFImage sparse = Animation({{10, 10, 3, 3, 2, -1},
                                {12, 6, 20, 15, 1, 0},
                                {8, 8, 1, 20, 3, 6},
                                {36, 28, 0, 0, 3, -1},
                                {5, 5, 30, 2, 1, -1},
                                {36, 28, 0, 0, 1, -1},
                                {9, 9, 10, 10, 2, 1},
                                {6, 6, 12, 12, 1, 4}});
  EXPECT_EQ(sparse.screenWidth, 36);
  ExpectCoalescedLikeImageMagick(sparse, dir, "bare start");
}

TEST_F(GifCodec, WhereNoFrameDrewThePictureControlShowsTheBackground) {
  TGIFImage img = Animation({{40, 30, 0, 0, 1, -1}, {8, 6, 10, 20, 2, -1}, {4, 4, 30, 2, 1, -1}});
  TGIFCanvas c;
  ComposeFrame(img, 2, c);
  // Frame 1 is gone (cleared to the background), frame 0 shows round frame 2.
  EXPECT_EQ(c.covered[21 * 40 + 12], 0);
  EXPECT_EQ(c.picture.Pixel(31, 3), img.Frame(2)->Bitmap().Pixel(1, 1));
  EXPECT_EQ(c.picture.Pixel(29, 3), img.Frame(0)->Bitmap().Pixel(29, 3));
  ComposeFrame(img, 99, c);  // past the end: the last frame
  EXPECT_EQ(c.index, 2);
}

// The codes of a frame's image data, read as a decoder reads them (width grows when the next
// free code reaches 2^width, up to 12 bits; a clear code starts over).
std::vector<int> Codes(const std::string& data) {
  const int size = static_cast<std::uint8_t>(data[0]), clear = 1 << size;
  std::string bytes;
  for (std::size_t at = 1; at < data.size() && data[at] != 0; at += 1 + static_cast<std::uint8_t>(data[at]))
    bytes.append(data, at + 1, static_cast<std::uint8_t>(data[at]));
  std::vector<int> codes;
  int width = size + 1, next = clear + 2;
  bool first = true;
  std::size_t bit = 0;
  while (bit + static_cast<std::size_t>(width) <= bytes.size() * 8) {
    int code = 0;
    for (int i = 0; i < width; ++i, ++bit)
      code |= ((static_cast<std::uint8_t>(bytes[bit / 8]) >> (bit % 8)) & 1) << i;
    codes.push_back(code);
    if (code == clear + 1) break;
    if (code == clear) {
      width = size + 1;
      next = clear + 2;
      first = true;
      continue;
    }
    if (!first && next < 4096 && ++next == (1 << width) && width < 12) ++width;
    first = false;
  }
  return codes;
}

TEST_F(GifCodec, EncoderClearsItsTableOnceTheNextCodeWouldPass4093) {
  // Noise fills the table quickly. After a clear code the free codes run from clear + 2; the
  // encoder writes one code per new entry and, once the next code exceeds 4093, the pixel alone
  // and a clear code: 4094 - 258 entries, the pixel, then the clear.
  std::mt19937 rng(5);
  TBitmap b;
  b.Create(200, 200, 8);
  for (int i = 0; i < 256; ++i) b.palette[i] = {static_cast<std::uint8_t>(i), 0, 0};
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) b.SetIndex(x, y, rng() & 0xFF);
  TGIFImage img;
  img.AddFrame(b);
  TGIFImage back;
  back.LoadFromStream(img.SaveToStream());
  std::vector<int> codes = Codes(back.Frame(0)->image->imageData);
  std::vector<std::size_t> clears;
  for (std::size_t i = 0; i < codes.size(); ++i)
    if (codes[i] == 256) clears.push_back(i);
  ASSERT_GE(clears.size(), 3u);
  EXPECT_EQ(clears[0], 0u);
  EXPECT_EQ(clears[1] - clears[0] - 1, 4094u - 258u + 1u);
  EXPECT_EQ(clears[2] - clears[1] - 1, 4094u - 258u + 1u);
  EXPECT_EQ(codes.back(), 257);
  const TBitmap& d = back.Frame(0)->Bitmap();
  int off = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) off += d.Index(x, y) != b.Index(x, y);
  EXPECT_EQ(off, 0);
}

TEST_F(GifCodec, BackgroundByteIsTheFirstGlobalEntryOfTheBackgroundColourElseZero) {
  TBitmap b;
  b.Create(4, 4, 4);
  for (int i = 0; i < 16; ++i) b.palette[i] = {static_cast<std::uint8_t>(i * 16), 1, 2};
  b.palette[9] = b.palette[5];  // the first equal entry counts
  TGIFImage img;
  img.AddFrame(b);
  auto byte11 = [&](TColor bg) {
    img.backgroundColor = bg;
    return static_cast<int>(static_cast<std::uint8_t>(img.SaveToStream()[11]));
  };
  EXPECT_EQ(byte11(RgbToColor({5 * 16, 1, 2})), 5);
  EXPECT_EQ(byte11(RgbToColor({12 * 16, 1, 2})), 12);
  EXPECT_EQ(byte11(RgbToColor({1, 2, 3})), 0);  // not in the table
  EXPECT_EQ(byte11(clNone), 0);
  TGIFImage back;
  back.LoadFromStream((img.backgroundColor = RgbToColor({12 * 16, 1, 2}), img.SaveToStream()));
  EXPECT_EQ(back.backgroundColor, RgbToColor({12 * 16, 1, 2}));
}

TEST_F(GifCodec, AssignAndAssignToCarryFramesScreensAndTransparency) {
  TGIFImage img = Animation({{20, 10, 0, 0, 1, -1}, {6, 4, 9, 5, 2, 3}});
  img.backgroundColor = RgbToColor(img.data->colorMap.colors[2]);
  // A single frame becomes a one-frame image with that frame's screen.
  TGIFImage one;
  one.Assign(*img.Frame(1));
  ASSERT_EQ(one.FrameCount(), 1);
  EXPECT_EQ(one.frameIndex, 0);
  EXPECT_EQ(one.screenWidth, 20);
  EXPECT_EQ(one.Frame(0)->left, 9);
  EXPECT_EQ(one.data, img.data);
  EXPECT_EQ(one.backgroundColor, img.backgroundColor);
  EXPECT_EQ(one.Frame(0)->image, img.Frame(1)->image);  // encoded data shared, not copied
  one.Assign(*one.Frame(0));                            // its own frame: nothing lost
  ASSERT_EQ(one.FrameCount(), 1);
  EXPECT_EQ(one.Frame(0)->Bitmap().width, 6);
  // To a bitmap: the current frame's, transparent with its colour; the first without a current.
  img.frameIndex = 1;
  TBitmap bmp;
  img.AssignTo(bmp);
  EXPECT_EQ(bmp.width, 6);
  EXPECT_TRUE(bmp.transparent);
  EXPECT_EQ(bmp.transparentColor, img.Frame(1)->transparentColor);
  img.frameIndex = -1;
  img.AssignTo(bmp);
  EXPECT_EQ(bmp.width, 20);
  EXPECT_FALSE(bmp.transparent);
  // A frame assigned over another takes its place data; the owner's screen grows to cover it.
  img.Frame(1)->left = 30;
  img.Frame(0)->Assign(*img.Frame(1));
  EXPECT_EQ(img.screenWidth, 36);
  // A frame's Draw stretches it into the rectangle, its transparent colour left out on request.
  plat::Surface s;
  ASSERT_TRUE(plat::SurfaceCreate(s, 12, 8, plat::PixelFormat::Rgb565));
  TGIFFrame* f = img.Frame(1);
  const TBitmap& fb = f->Bitmap();
  int hx = -1, hy = -1;
  for (int y = 0; y < fb.height && hx < 0; ++y)
    for (int x = 0; x < fb.width; ++x)
      if (RgbToColor(fb.Pixel(x, y)) == f->transparentColor) { hx = x; hy = y; break; }
  ASSERT_GE(hx, 0);
  for (bool leaveOut : {false, true}) {
    plat::SurfaceFill(s, plat::PackColour(s.format, 0, 0, 0));
    f->Draw(s, {0, 0, 12, 8}, leaveOut);
    std::uint16_t got = s.pixels[static_cast<std::size_t>(hy * 2) * 12 + hx * 2];
    TRGB c = fb.Pixel(hx, hy);
    EXPECT_EQ(got, leaveOut ? plat::PackColour(s.format, 0, 0, 0) : plat::PackColour(s.format, c.r, c.g, c.b));
  }
}

TEST_F(GifCodec, ClipboardCarriesTheFirstBitmapAndTheGifDataWhenEveryFrameIsEncoded) {
  ASSERT_FALSE(ClipboardUsesX());  // the tests' own clipboard, in the process
  TGIFImage img = Animation({{20, 10, 0, 0, 1, -1}, {6, 4, 9, 5, 2, 3}});
  auto items = img.SaveToClipboardFormat();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].first, CF_BITMAP);
  EXPECT_EQ(LoadBmp(items[0].second).width, 20);
  EXPECT_EQ(items[1].first, CF_GIF());
  EXPECT_EQ(ClipboardFormatName(CF_GIF()), "GIF Image");
  EXPECT_EQ(GetLe32(items[1].second, 0), items[1].second.size() - 4);
  img.CopyToClipboard();
  TGIFImage pasted;
  pasted.LoadFromClipboardFormat();
  ASSERT_EQ(pasted.FrameCount(), 2);
  EXPECT_EQ(pasted.frameIndex, 0);
  EXPECT_EQ(pasted.Frame(1)->bitmap, nullptr);  // loaded, not decoded
  ASSERT_NE(pasted.Frame(0)->bitmap, nullptr);  // taken from the bitmap beside the data
  EXPECT_EQ(pasted.Frame(0)->bitmap->Pixel(3, 2), img.Frame(0)->Bitmap().Pixel(3, 2));
  // A frame without encoded data: the first frame's bitmap alone.
  TBitmap red;
  red.Create(3, 2, 24);
  for (int x = 0; x < 3; ++x) red.SetPixel(x, 1, {255, 0, 0});
  img.AddFrame(red);
  items = img.SaveToClipboardFormat();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].first, CF_BITMAP);
  TGIFImage single;
  single.AddFrame(red);
  single.CopyToClipboard();
  EXPECT_FALSE(ClipboardHasFormat(CF_GIF()));
  pasted.LoadFromClipboardFormat();  // a bitmap becomes a one-frame image
  ASSERT_EQ(pasted.FrameCount(), 1);
  EXPECT_EQ(pasted.Frame(0)->Bitmap().Pixel(2, 1), (TRGB{255, 0, 0}));
  EXPECT_TRUE(TGIFImage().SaveToClipboardFormat().empty());
  // Damaged or foreign contents raise and leave nothing half made.
  ClipboardSetData({{CF_GIF(), std::string("\xFF\xFF\0\0GIF", 7)}});
  EXPECT_THROW(pasted.LoadFromClipboardFormat(), EReadError);
  ClipboardSetData({{CF_TEXT, "hello"}});
  EXPECT_THROW(pasted.LoadFromClipboardFormat(), EInvalidGraphic);
  ClipboardClear();
}

TEST(GifCodecTables, ColourCountsMustBePowersOfTwo) {
  EXPECT_EQ(ColorsToBits(2), 1);
  EXPECT_EQ(ColorsToBits(256), 8);
  EXPECT_THROW(ColorsToBits(3), EGIFError);
  EXPECT_THROW(ColorsToBits(512), EGIFError);
}

}  // namespace
}  // namespace zarn3set
