// Picture control, its timer, colour reduction, the icon list and animated cursors.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/null/null.h"
#include "platform/platform.h"
#include "setup/images/AniFile.h"
#include "setup/images/GIFCtrl.h"
#include "setup/images/IcoList.h"
#include "setup/images/RxGraph.h"

namespace zarn3set {
namespace {

class NullLoop : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(plat::Init(plat::BackendKind::Null)); }
  void TearDown() override { plat::Shutdown(); }
};

// A 4 x 2 picture: left half red, right half blue; pixel (3, 1) green and transparent.
TGIFImage TwoColourGif(bool withTransparency) {
  TBitmap b;
  b.Create(4, 2, 4);
  b.palette[0] = {255, 0, 0};
  b.palette[1] = {0, 0, 255};
  b.palette[2] = {0, 255, 0};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) b.SetIndex(x, y, x < 2 ? 0 : 1);
  b.SetIndex(3, 1, 2);
  if (withTransparency) {
    b.transparent = true;
    b.transparentColor = RgbToColor({0, 255, 0});
  }
  TGIFImage img;
  img.AddFrame(b);
  TGIFImage back;
  back.LoadFromStream(img.SaveToStream());
  return back;
}

TRGB At(const plat::Surface& s, int x, int y) {
  TRGB c;
  plat::UnpackColour(s.format, s.pixels[static_cast<std::size_t>(y) * s.width + x], c.r, c.g, c.b);
  return c;
}

TEST_F(NullLoop, PictureControlStretchesCentresAndLeavesTheTransparentColourOut) {
  plat::Surface target;
  ASSERT_TRUE(plat::SurfaceCreate(target, 40, 20, plat::PixelFormat::Rgb565));
  plat::SurfaceFill(target, plat::PackColour(target.format, 255, 255, 255));
  TRxGIFAnimator pic;
  pic.SetImage(TwoColourGif(true));
  EXPECT_EQ(pic.width, 4);  // sized to the picture
  pic.SetBounds(0, 0, 40, 20);
  pic.SetStretch(true);
  pic.Paint(target);
  EXPECT_EQ(At(target, 5, 5), (TRGB{255, 0, 0}));
  EXPECT_EQ(At(target, 25, 5), (TRGB{0, 0, 255}));
  EXPECT_EQ(At(target, 35, 15), (TRGB{255, 255, 255}));  // transparent: the background shows
  pic.SetTransparent(false);
  pic.Paint(target);
  EXPECT_EQ(At(target, 35, 15), (TRGB{0, 255, 0}));
  // Centred at its own size: (40 - 4) / 2 = 18, (20 - 2) / 2 = 9.
  plat::SurfaceFill(target, plat::PackColour(target.format, 0, 0, 0));
  pic.color = RgbToColor({8, 8, 8});
  pic.SetStretch(false);
  pic.SetCenter(true);
  pic.Paint(target);
  EXPECT_EQ(At(target, 18, 9), (TRGB{255, 0, 0}));
  EXPECT_EQ(At(target, 21, 10), (TRGB{0, 255, 0}));
  EXPECT_EQ(At(target, 17, 9), (TRGB{8, 8, 8}));
  // Hanging over the top left corner: only its lower right quarter lands, in place.
  plat::SurfaceFill(target, plat::PackColour(target.format, 255, 255, 255));
  pic.SetCenter(false);
  pic.SetStretch(true);
  pic.SetBounds(-20, -10, 40, 20);
  pic.Paint(target);
  EXPECT_EQ(At(target, 5, 5), (TRGB{0, 0, 255}));
  EXPECT_EQ(At(target, 15, 5), (TRGB{0, 255, 0}));
  EXPECT_EQ(At(target, 25, 15), (TRGB{255, 255, 255}));
}

TEST_F(NullLoop, AnimationStepsFramesOnTheTimerWithClampedDelays) {
  TGIFImage img;
  for (int i = 0; i < 3; ++i) {
    TBitmap b;
    b.Create(2, 2, 1);
    b.palette[1] = {static_cast<std::uint8_t>(i * 100), 0, 0};
    img.AddFrame(b);
  }
  img.Frame(0)->delay = 10;     // below 50
  img.Frame(1)->delay = 200;
  img.Frame(2)->delay = 60000;  // above 10000
  img.frameIndex = 0;
  TRxGIFAnimator pic;
  pic.SetImage(img);
  EXPECT_EQ(pic.FrameInterval(0), 50u);
  EXPECT_EQ(pic.FrameInterval(1), 200u);
  EXPECT_EQ(pic.FrameInterval(2), 10000u);
  EXPECT_EQ(pic.FrameInterval(3), 0u);
  int changes = 0, stops = 0;
  pic.OnFrameChanged = [&] { ++changes; };
  pic.OnStop = [&] { ++stops; };
  pic.loop = false;
  pic.SetAnimate(true);
  ASSERT_TRUE(pic.Animate());
  plat::null::AdvanceClock(50);
  plat::ProcessMessages();
  EXPECT_EQ(pic.FrameIndex(), 1);
  plat::null::AdvanceClock(200);
  plat::ProcessMessages();
  EXPECT_EQ(pic.FrameIndex(), 2);
  plat::null::AdvanceClock(10000);
  plat::ProcessMessages();
  EXPECT_EQ(pic.FrameIndex(), 0);  // wrapped, and without Loop the animation ends
  EXPECT_FALSE(pic.Animate());
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(stops, 1);
}

TEST(ColourReduction, FixedPalettesGreyAndThreeWayFollowTheirFormulas) {
  TBitmap src;
  src.Create(3, 2, 24);
  src.SetPixel(0, 0, {255, 0, 0});
  src.SetPixel(1, 0, {25, 26, 128});   // 25 ties to 0, 26 to 51; 128 is nearer 153
  src.SetPixel(2, 0, {100, 200, 50});
  src.SetPixel(0, 1, {0, 0, 0});
  src.SetPixel(1, 1, {255, 255, 255});
  src.SetPixel(2, 1, {10, 20, 30});
  TBitmap out;
  EXPECT_EQ(ReduceColors(src, mmTrunc666, 256, out), 216);
  EXPECT_EQ(out.Index(0, 0), 5u * 36);
  EXPECT_EQ(out.Index(1, 0), 0u * 36 + 1 * 6 + 3);
  EXPECT_EQ(out.palette[5 * 36], (TRGB{255, 0, 0}));
  EXPECT_EQ(ReduceColors(src, mmTrunc784, 256, out), 224);
  EXPECT_EQ(out.Index(1, 1), 6u * 32 + 7 * 4 + 3);
  EXPECT_EQ(out.palette[250], (TRGB{128, 128, 128}));
  ReduceColors(src, mmGrayscale, 256, out);
  EXPECT_EQ(out.Index(2, 0), (100u * 77 + 200 * 150 + 50 * 29) >> 8);
  ReduceColors(src, mmTripel, 256, out);
  // Rows count from the one stored first (the bottom row): (x + row) mod 3 picks the channel.
  EXPECT_EQ(out.Index(0, 1), 0u);                 // x 0, row 0: red 0 >> 2
  EXPECT_EQ(out.Index(1, 1), 64u + (255 >> 2));   // x 1, row 0: green
  EXPECT_EQ(out.Index(0, 0), 64u + (0 >> 2));     // x 0, row 1: green
  EXPECT_EQ(out.Index(2, 0), 0u + (100 >> 2));    // x 2, row 1: red
  // The histogram keeps up to n colours exactly; the quantiser gives at most n.
  ReduceColors(src, mmHistogram, 256, out);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(out.Pixel(x, y), src.Pixel(x, y));
  // Beyond n colours the rest take the nearest kept one: two reds and two blues are kept.
  TBitmap many;
  many.Create(5, 1, 24);
  const TRGB kinds[5] = {{200, 0, 0}, {0, 0, 200}, {200, 0, 0}, {0, 0, 200}, {190, 10, 0}};
  for (int x = 0; x < 5; ++x) many.SetPixel(x, 0, kinds[x]);
  ReduceColors(many, mmHistogram, 2, out);
  EXPECT_EQ(out.Index(4, 0), out.Index(0, 0));
  EXPECT_NE(out.Index(1, 0), out.Index(0, 0));
  EXPECT_EQ(out.Pixel(4, 0), (TRGB{200, 0, 0}));
  EXPECT_LE(ReduceColors(src, mmQuantize, 4, out), 4);
  EXPECT_THROW(ConvertBitmapToStream(TBitmap(), 8, mmHistogram), EInvalidGraphic);
  int notices = 0;
  ShowNotImplementedProc = [] {};
  EXPECT_THROW(ConvertBitmapToStream(src, 16, mmHistogram), EAbort);
  ShowNotImplementedProc = nullptr;
  (void)notices;
}

TEST(ColourReduction, BmpFormRoundTripsTopDownRowsTurnRoundAndImpossibleHeightsAreRefused) {
  TBitmap b;
  b.Create(2, 2, 8);
  b.SetIndex(0, 0, 7);
  b.SetIndex(1, 1, 9);
  std::string bmp = ConvertBitmapToStream(b, 8, mmHistogram);
  TBitmap back = LoadBmp(bmp);
  EXPECT_EQ(back.Index(0, 0), 7u);
  EXPECT_EQ(back.Index(1, 1), 9u);
  auto height = [&](std::int32_t h) {
    std::string s = bmp;
    std::memcpy(&s[22], &h, 4);
    return s;
  };
  TBitmap flipped = LoadBmp(height(-2));  // the rows stored top first
  EXPECT_EQ(flipped.Index(0, 1), 7u);
  EXPECT_EQ(flipped.Index(1, 0), 9u);
  EXPECT_THROW(LoadBmp(height(INT32_MIN)), EInvalidGraphic);
  EXPECT_THROW(LoadBmp(height(0)), EInvalidGraphic);
  EXPECT_THROW(LoadBmp(bmp.substr(0, bmp.size() - 1)), EInvalidGraphic);
}

std::string TinyIcon(std::uint8_t colourIndex) {
  // One 2 x 2 icon of 1 bit: directory, BMP header with doubled height, table, rows, mask.
  std::string s("\0\0\1\0\1\0", 6);
  std::string img(40, '\0');
  auto put32 = [](std::string& d, std::size_t at, std::uint32_t v) { std::memcpy(&d[at], &v, 4); };
  put32(img, 0, 40);
  put32(img, 4, 2);
  put32(img, 8, 4);
  img[12] = 1;
  img[14] = 1;
  img += std::string("\0\0\0\0", 4) + std::string("\0\0\xFF\0", 4);  // black, red
  std::string row(4, '\0');
  row[0] = static_cast<char>(colourIndex ? 0xC0 : 0);
  img += row + row + std::string(8, '\0');
  std::string dir(16, '\0');
  dir[0] = 2;
  dir[1] = 2;
  put32(dir, 8, static_cast<std::uint32_t>(img.size()));
  put32(dir, 12, 22);
  return s + dir + img;
}

std::string Chunk(const std::string& id, const std::string& body) {
  std::uint32_t n = static_cast<std::uint32_t>(body.size());
  std::string s = id + std::string(reinterpret_cast<const char*>(&n), 4) + body;
  if (n & 1) s += '\0';
  return s;
}

// `padding` bytes follow each icon inside its chunk.
std::string AniFile(int frames, const std::vector<std::uint32_t>* seq, std::size_t padding = 0) {
  TAniHeader h{36, static_cast<std::uint32_t>(frames),
               static_cast<std::uint32_t>(seq ? seq->size() : frames), 2, 2, 1, 1, 6, 1};
  std::string body = "ACON" + Chunk("anih", std::string(reinterpret_cast<const char*>(&h), 36));
  body += Chunk("LIST", "INFO" + Chunk("INAM", "Hourglass") + Chunk("IART", "us"));
  if (seq) body += Chunk("seq ", std::string(reinterpret_cast<const char*>(seq->data()), seq->size() * 4));
  std::string fram = "fram";
  for (int i = 0; i < frames; ++i) fram += Chunk("icon", TinyIcon(static_cast<std::uint8_t>(i % 2)) + std::string(padding, '\0'));
  body += Chunk("LIST", fram);
  return Chunk("RIFF", body);
}

TEST(AnimatedCursor, KeepsEveryFrameWithoutASequenceAndFollowsOneWhenGiven) {
  TAnimatedCursorImage a;
  a.LoadFromStream(AniFile(3, nullptr));
  EXPECT_EQ(a.frames.size(), 3u);
  EXPECT_EQ(a.title, "Hourglass");
  EXPECT_EQ(a.creator, "us");
  EXPECT_EQ(a.frames[0].jiffies, 6u);
  std::vector<std::uint32_t> seq{1, 1, 0};
  a.LoadFromStream(AniFile(3, &seq));  // frame 2 is never shown: dropped
  ASSERT_EQ(a.frames.size(), 3u);
  TBitmap strip = a.AssignToBitmap(RgbToColor({1, 2, 3}));
  EXPECT_EQ(strip.width, 6);
  EXPECT_EQ(strip.Pixel(0, 0), (TRGB{255, 0, 0}));  // frame 1 first
  EXPECT_EQ(strip.Pixel(4, 0), (TRGB{0, 0, 0}));
  TIconList list;
  a.AssignTo(list);
  EXPECT_EQ(list.GetCount(), 3);
  // Damage: a sequence naming a missing frame, a header without icon frames, truncation.
  std::vector<std::uint32_t> badSeq{0, 7};
  TAnimatedCursorImage b;
  EXPECT_THROW(b.LoadFromStream(AniFile(2, &badSeq)), EInvalidGraphic);
  std::string noIcons = AniFile(1, nullptr);
  noIcons[8 + 4 + 8 + 32] = 0;  // flags
  EXPECT_THROW(b.LoadFromStream(noIcons), EInvalidGraphic);
  // A long sequence over one large icon is refused, not copied step by step.
  std::vector<std::uint32_t> repeat(100, 0);
  EXPECT_THROW(b.LoadFromStream(AniFile(1, &repeat, 1 << 20)), EInvalidGraphic);
  std::string whole = AniFile(2, nullptr);
  for (std::size_t cut : {std::size_t{5}, std::size_t{30}, whole.size() - 3})
    EXPECT_THROW(b.LoadFromStream(whole.substr(0, cut)), EInvalidGraphic) << cut;
  EXPECT_TRUE(b.frames.empty());
  ShowNotImplementedProc = [] {};
  EXPECT_THROW(b.SaveToStream(), EAbort);
  ShowNotImplementedProc = nullptr;
}

TEST(IconList, OperationsNotifyOnceAndTheStoredFormRoundTrips) {
  TIconList list;
  int changes = 0;
  list.OnChange = [&](TIconList*) { ++changes; };
  TIcon red, black;
  red.LoadFromStream(TinyIcon(1));
  black.LoadFromStream(TinyIcon(0));
  EXPECT_EQ(list.Add(&red), 0);
  EXPECT_EQ(list.Add(nullptr), 1);  // an empty entry
  list.Insert(1, &black);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(list.Get(2), nullptr);
  list.HoldChanges();
  list.HoldChanges();
  list.Exchange(0, 1);
  list.Move(2, 0);
  list.ReleaseChanges();
  EXPECT_EQ(changes, 3);
  list.ReleaseChanges();
  EXPECT_EQ(changes, 4);  // nested updates notify once, at the end
  list.Get(1)->Assign(&red);  // a change inside an entry reaches the list
  EXPECT_EQ(changes, 5);
  EXPECT_THROW(list.Get(3), EListError);
  EXPECT_EQ(red.ToBitmap().Pixel(0, 0), (TRGB{255, 0, 0}));
  std::string odd = TinyIcon(1);
  odd[22 + 14] = 16;  // a depth whose pixels we do not know: nothing is read for it
  TIcon strange;
  strange.LoadFromStream(odd);
  EXPECT_TRUE(strange.ToBitmap().Empty());
  EXPECT_EQ(list.IndexOf(&red), -1);  // the list holds copies
  std::string stored = list.SaveToStream();
  TIconList back;
  back.LoadFromStream(stored);
  ASSERT_EQ(back.GetCount(), 3);
  EXPECT_EQ(back.Get(0), nullptr);
  EXPECT_EQ(back.SaveToStream(), stored);
  // A damaged stream leaves the list as it was.
  EXPECT_THROW(back.LoadFromStream(stored.substr(0, stored.size() - 5)), EInvalidGraphic);
  EXPECT_EQ(back.GetCount(), 3);
  back.Clear();
  EXPECT_EQ(back.GetCount(), 0);
}

}  // namespace
}  // namespace zarn3set
