// Picture control, its timer, colour reduction, the icon list and animated cursors.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <random>
#include <thread>

#include "platform/null/null.h"
#include "platform/platform.h"
#include "setup/images/AniFile.h"
#include "setup/images/GIFCtrl.h"
#include "setup/images/IcoList.h"
#include "setup/images/RxGraph.h"
#include "setup/images/RxTimer.h"
#include "setup/lebytes.h"
#include "tests/common/fedpipe.h"
#include "tests/setup/setup_fixture.h"

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

TEST_F(NullLoop, PictureControlShowsEachFrameAtItsPlaceOverTheFramesBefore) {
  TGIFImage img = TwoColourGif(false);
  TBitmap dot;
  dot.Create(1, 1, 1);
  dot.palette[0] = {0, 255, 0};
  img.AddFrame(dot);
  img.Frame(1)->left = 3;
  img.Frame(1)->delay = 80;
  img.frameIndex = 0;
  TRxGIFAnimator pic;
  pic.SetImage(img);
  EXPECT_EQ(pic.width, 4);
  pic.SetFrameIndex(1);
  plat::Surface target;
  ASSERT_TRUE(plat::SurfaceCreate(target, 4, 2, plat::PixelFormat::Rgb565));
  pic.Paint(target);
  EXPECT_EQ(At(target, 3, 0), (TRGB{0, 255, 0}));  // the second frame, at its place
  EXPECT_EQ(At(target, 0, 0), (TRGB{255, 0, 0}));  // the first one still round it
  EXPECT_EQ(At(target, 3, 1), (TRGB{0, 255, 0}));
  EXPECT_EQ(At(target, 2, 0), (TRGB{0, 0, 255}));
}

TEST_F(NullLoop, TimerRunsItsEventInTheLoopOrInAThreadOfItsOwn) {
  const auto loopThread = std::this_thread::get_id();
  std::mutex m;
  std::condition_variable cv;
  std::vector<std::thread::id> where;
  auto record = [&] {
    std::lock_guard<std::mutex> hold(m);
    where.push_back(std::this_thread::get_id());
    cv.notify_all();
  };
  // Not threaded, or threaded with SyncEvent (the default): the loop runs it on its clock.
  for (bool threaded : {false, true}) {
    TRxTimer t;
    t.SetThreaded(threaded);
    t.SetInterval(100);
    t.SetOnTimer(record);
    EXPECT_FALSE(t.InOwnThread());
    plat::null::AdvanceClock(100);
    plat::ProcessMessages();
    ASSERT_EQ(where.size(), 1u) << threaded;
    EXPECT_EQ(where[0], loopThread);
    where.clear();
  }
  // Threaded without SyncEvent: its own thread sleeps the interval and runs the event there.
  TRxTimer t;
  t.SetInterval(20);
  t.SetSyncEvent(false);
  t.SetOnTimer(record);
  ASSERT_TRUE(t.InOwnThread());
  {
    std::unique_lock<std::mutex> lock(m);
    ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(10), [&] { return where.size() >= 2; }));
    EXPECT_NE(where[0], loopThread);
  }
  // Its priority is the niceness of that thread.
  std::atomic<int> nice = -100;
  t.SetThreadPriority(TThreadPriority::Lower);
  t.SetOnTimer([&] { nice = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid))); });
  const auto by = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (nice != 1 && std::chrono::steady_clock::now() < by) std::this_thread::yield();
  EXPECT_EQ(nice, 1);
  // An error of the event is shown in the loop's thread; an abort passes quietly.
  static std::vector<std::string> shown;
  static std::thread::id shownIn;
  shown.clear();
  ShowTimerErrorProc = [](const std::string& text) {
    shown.push_back(text);
    shownIn = std::this_thread::get_id();
  };
  bool aborted = false;
  t.SetOnTimer([&] {
    std::lock_guard<std::mutex> hold(m);
    if (!aborted) {
      aborted = true;
      throw EAbort();
    }
    throw std::runtime_error("tick failed");
  });
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (shown.empty() && std::chrono::steady_clock::now() < until) plat::ProcessMessages();
  t.SetEnabled(false);
  EXPECT_FALSE(t.InOwnThread());
  ShowTimerErrorProc = nullptr;
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0], "tick failed");
  EXPECT_EQ(shownIn, loopThread);
  EXPECT_TRUE(aborted);
}

TEST_F(NullLoop, AsyncDrawingStepsFramesInTheTimersThreadAndTellsTheLoop) {
  TGIFImage img;
  for (int i = 0; i < 3; ++i) {
    TBitmap b;
    b.Create(2, 2, 1);
    img.AddFrame(b);
    img.Frame(i)->delay = 10;  // raised to 50 ms
  }
  img.frameIndex = 0;
  TRxGIFAnimator pic;
  pic.SetImage(img);
  pic.SetAsyncDrawing(true);
  std::vector<std::thread::id> where;
  pic.OnFrameChanged = [&] { where.push_back(std::this_thread::get_id()); };
  pic.SetAnimate(true);
  ASSERT_TRUE(pic.Timer().InOwnThread());
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (where.size() < 3 && std::chrono::steady_clock::now() < until) plat::ProcessMessages();
  pic.SetAnimate(false);
  ASSERT_GE(where.size(), 3u);
  for (auto id : where) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_TRUE(pic.NeedsRepaint());
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

// The nearest of `levels` to v, the lower one on a tie.
int Nearest(const std::vector<int>& levels, int v) {
  int best = 0;
  for (int i = 1; i < static_cast<int>(levels.size()); ++i)
    if (std::abs(levels[i] - v) < std::abs(levels[best] - v)) best = i;
  return best;
}

TEST(ColourReduction, FixedPalettesHoldTheirLevelsAndEveryChannelValueTakesTheNearest) {
  const std::vector<int> six{0, 51, 102, 153, 204, 255};
  const std::vector<int> red7{0, 43, 85, 128, 170, 213, 255};
  const std::vector<int> green8{0, 36, 73, 109, 146, 182, 219, 255};
  const std::vector<int> blue4{0, 85, 170, 255};
  // Each channel value once per channel: column v of row c has value v in channel c only.
  TBitmap src;
  src.Create(256, 3, 24);
  for (int v = 0; v < 256; ++v) {
    auto b = static_cast<std::uint8_t>(v);
    src.SetPixel(v, 0, {b, 0, 0});
    src.SetPixel(v, 1, {0, b, 0});
    src.SetPixel(v, 2, {0, 0, b});
  }
  TBitmap out;
  ASSERT_EQ(ReduceColors(src, mmTrunc666, 256, out), 216);
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        ASSERT_EQ(out.palette[r * 36 + g * 6 + b], (TRGB{static_cast<std::uint8_t>(six[r]),
                                                         static_cast<std::uint8_t>(six[g]),
                                                         static_cast<std::uint8_t>(six[b])}));
  for (int i = 216; i < 256; ++i) ASSERT_EQ(out.palette[i], (TRGB{128, 128, 128}));
  for (int v = 0; v < 256; ++v) {
    ASSERT_EQ(out.Index(v, 0), static_cast<unsigned>(Nearest(six, v) * 36)) << v;
    ASSERT_EQ(out.Index(v, 1), static_cast<unsigned>(Nearest(six, v) * 6)) << v;
    ASSERT_EQ(out.Index(v, 2), static_cast<unsigned>(Nearest(six, v))) << v;
  }
  ASSERT_EQ(ReduceColors(src, mmTrunc784, 256, out), 224);
  for (int r = 0; r < 7; ++r)
    for (int g = 0; g < 8; ++g)
      for (int b = 0; b < 4; ++b)
        ASSERT_EQ(out.palette[r * 32 + g * 4 + b], (TRGB{static_cast<std::uint8_t>(red7[r]),
                                                         static_cast<std::uint8_t>(green8[g]),
                                                         static_cast<std::uint8_t>(blue4[b])}));
  for (int i = 224; i < 256; ++i) ASSERT_EQ(out.palette[i], (TRGB{128, 128, 128}));
  for (int v = 0; v < 256; ++v) {
    ASSERT_EQ(out.Index(v, 0), static_cast<unsigned>(Nearest(red7, v) * 32)) << v;
    ASSERT_EQ(out.Index(v, 1), static_cast<unsigned>(Nearest(green8, v) * 4)) << v;
    ASSERT_EQ(out.Index(v, 2), static_cast<unsigned>(Nearest(blue4, v))) << v;
  }
}

TEST(ColourReduction, ConvertedHeadersCountTheColoursEachMethodUses) {
  TBitmap src;
  src.Create(6, 1, 24);
  const TRGB kinds[6] = {{250, 0, 0}, {0, 250, 0}, {0, 0, 250}, {250, 0, 0}, {5, 5, 5}, {0, 250, 0}};
  for (int x = 0; x < 6; ++x) src.SetPixel(x, 0, kinds[x]);
  auto used = [&](TMappingMethod m) {
    std::string bmp = ConvertBitmapToStream(src, 8, m);
    EXPECT_EQ(GetLe16(bmp, 28), 8);
    EXPECT_EQ(GetLe32(bmp, 10), 14u + 40 + 1024);  // the whole table stands before the pixels
    return GetLe32(bmp, 46);
  };
  EXPECT_EQ(used(mmTrunc666), 216u);
  EXPECT_EQ(used(mmTrunc784), 224u);
  EXPECT_EQ(used(mmQuantize), 4u);  // four distinct colours, four boxes
  EXPECT_EQ(used(mmHistogram), 256u);
  EXPECT_EQ(used(mmGrayscale), 256u);
  // Read back, the pixels keep their colours and the table its grey tail.
  TBitmap back = LoadBmp(ConvertBitmapToStream(src, 8, mmTrunc666));
  EXPECT_EQ(back.Pixel(0, 0), (TRGB{255, 0, 0}));
  EXPECT_EQ(back.palette[250], (TRGB{128, 128, 128}));
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

TEST(AnimatedCursor, BecomesAGifOfItsFramesOnTheWindowColour) {
  std::vector<std::uint32_t> seq{1, 0, 1};
  TAnimatedCursorImage a;
  a.LoadFromStream(AniFile(2, &seq));
  a.frames[1].jiffies = 9;
  std::string& masked = a.frames[2].icon.data;
  masked[masked.size() - 8] = static_cast<char>(0x80);  // the mask's first stored row: (0, 1)
  TGIFImage img;
  img.Assign(a);
  ASSERT_EQ(img.FrameCount(), 3);
  EXPECT_EQ(img.frameIndex, 0);
  EXPECT_EQ(img.backgroundColor, clWindow);
  EXPECT_EQ(img.Frame(0)->delay, 100u);  // 6 jiffies
  EXPECT_EQ(img.Frame(1)->delay, 150u);  // 9 jiffies
  EXPECT_EQ(img.screenWidth, 2);
  EXPECT_EQ(img.Frame(0)->Bitmap().Pixel(0, 0), (TRGB{255, 0, 0}));
  EXPECT_EQ(img.Frame(1)->Bitmap().Pixel(0, 0), (TRGB{0, 0, 0}));
  EXPECT_EQ(img.Frame(2)->Bitmap().Pixel(0, 1), ColorToRgb(clWindow));
  EXPECT_EQ(img.Frame(2)->Bitmap().Pixel(1, 1), (TRGB{255, 0, 0}));
  // Written and read back as an animation of three frames.
  TGIFImage back;
  back.LoadFromStream(img.SaveToStream());
  EXPECT_EQ(back.FrameCount(), 3);
  EXPECT_EQ(back.Frame(1)->delay, 150u);
  TIcon first;
  a.AssignTo(first);
  EXPECT_EQ(first.data, a.frames[0].icon.data);
  // Reduced to the cursor's colour count (1 bit: at least 16 colours), the strip keeps its colours.
  TBitmap strip = a.AssignToBitmap(RgbToColor({1, 2, 3}), true);
  EXPECT_EQ(strip.bits, 4);
  EXPECT_EQ(strip.Pixel(0, 0), (TRGB{255, 0, 0}));
}

// A small program file: a DOS header, the PE headers and one section holding the resource
// tree (type, name, language), its strings, data entries and data.
struct Res {
  std::uint16_t type;
  std::string name;  // "#n" for a number
  std::string data;
};

void Le(std::string& s, std::size_t at, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string ProgramFile(const std::vector<Res>& res, bool wide = false) {
  constexpr std::uint32_t kVa = 0x1000, kRaw = 0x200;
  std::vector<std::uint16_t> types;
  for (const Res& r : res)
    if (std::find(types.begin(), types.end(), r.type) == types.end()) types.push_back(r.type);
  std::size_t off = 16 + 8 * types.size();
  std::vector<std::size_t> typeDir, nameDir(res.size()), str(res.size()), entry(res.size()), data(res.size());
  for (std::uint16_t t : types) {
    typeDir.push_back(off);
    off += 16 + 8 * static_cast<std::size_t>(std::count_if(res.begin(), res.end(), [&](const Res& r) { return r.type == t; }));
  }
  for (std::size_t i = 0; i < res.size(); ++i) nameDir[i] = off, off += 16 + 8;
  for (std::size_t i = 0; i < res.size(); ++i)
    if (res[i].name[0] != '#') str[i] = off, off += (2 + 2 * res[i].name.size() + 3) & ~std::size_t{3};
  for (std::size_t i = 0; i < res.size(); ++i) entry[i] = off, off += 16;
  for (std::size_t i = 0; i < res.size(); ++i) data[i] = off, off += (res[i].data.size() + 3) & ~std::size_t{3};
  std::string sec(off, '\0');
  auto dir = [&](std::size_t at, std::size_t names, std::size_t ids) {
    Le(sec, at + 12, static_cast<std::uint32_t>(names), 2);
    Le(sec, at + 14, static_cast<std::uint32_t>(ids), 2);
  };
  dir(0, 0, types.size());
  // Named entries come before numbered ones.
  std::vector<std::size_t> order(res.size());
  for (std::size_t i = 0; i < res.size(); ++i) order[i] = i;
  std::stable_partition(order.begin(), order.end(), [&](std::size_t i) { return res[i].name[0] != '#'; });
  for (std::size_t t = 0; t < types.size(); ++t) {
    Le(sec, 16 + 8 * t, types[t], 4);
    Le(sec, 16 + 8 * t + 4, 0x80000000u | static_cast<std::uint32_t>(typeDir[t]), 4);
    std::size_t n = 0, named = 0;
    for (std::size_t i : order) {
      if (res[i].type != types[t]) continue;
      named += res[i].name[0] != '#';
      std::size_t e = typeDir[t] + 16 + 8 * n++;
      if (res[i].name[0] == '#') {
        Le(sec, e, static_cast<std::uint32_t>(std::stoul(res[i].name.substr(1))), 4);
      } else {
        Le(sec, e, 0x80000000u | static_cast<std::uint32_t>(str[i]), 4);
        Le(sec, str[i], static_cast<std::uint32_t>(res[i].name.size()), 2);
        for (std::size_t c = 0; c < res[i].name.size(); ++c) Le(sec, str[i] + 2 + 2 * c, static_cast<std::uint8_t>(res[i].name[c]), 2);
      }
      Le(sec, e + 4, 0x80000000u | static_cast<std::uint32_t>(nameDir[i]), 4);
    }
    dir(typeDir[t], named, n - named);
  }
  for (std::size_t i = 0; i < res.size(); ++i) {
    dir(nameDir[i], 0, 1);
    Le(sec, nameDir[i] + 16, 1033, 4);
    Le(sec, nameDir[i] + 20, static_cast<std::uint32_t>(entry[i]), 4);
    Le(sec, entry[i], kVa + static_cast<std::uint32_t>(data[i]), 4);
    Le(sec, entry[i] + 4, static_cast<std::uint32_t>(res[i].data.size()), 4);
    sec.replace(data[i], res[i].data.size(), res[i].data);
  }
  const std::uint32_t optSize = wide ? 240 : 224, dirs = wide ? 112 : 96;
  std::string f(kRaw, '\0');
  f[0] = 'M';
  f[1] = 'Z';
  Le(f, 0x3C, 0x40, 4);
  f.replace(0x40, 4, std::string("PE\0\0", 4));
  Le(f, 0x44, wide ? 0x8664 : 0x14C, 2);
  Le(f, 0x46, 1, 2);
  Le(f, 0x54, optSize, 2);
  const std::uint32_t opt = 0x58;
  Le(f, opt, wide ? 0x20B : 0x10B, 2);
  Le(f, opt + dirs - 4, 16, 4);
  Le(f, opt + dirs + 16, kVa, 4);
  Le(f, opt + dirs + 20, static_cast<std::uint32_t>(sec.size()), 4);
  const std::uint32_t sh = opt + optSize;
  f.replace(sh, 5, ".rsrc");
  Le(f, sh + 8, static_cast<std::uint32_t>(sec.size()), 4);
  Le(f, sh + 12, kVa, 4);
  Le(f, sh + 16, static_cast<std::uint32_t>(sec.size()), 4);
  Le(f, sh + 20, kRaw, 4);
  return f + sec;
}

// A square 24-bit image of one colour in the resource form (header with doubled height, rows,
// mask), with pixel (0, 0) masked out.
std::string IconImage(int size, TRGB c) {
  std::string s(40, '\0');
  Le(s, 0, 40, 4);
  Le(s, 4, static_cast<std::uint32_t>(size), 4);
  Le(s, 8, static_cast<std::uint32_t>(size * 2), 4);
  Le(s, 12, 1, 2);
  Le(s, 14, 24, 2);
  const int stride = (size * 3 + 3) & ~3, maskStride = ((size + 31) / 32) * 4;
  for (int y = 0; y < size; ++y) {
    std::string row(static_cast<std::size_t>(stride), '\0');
    for (int x = 0; x < size; ++x) {
      row[x * 3] = static_cast<char>(c.b);
      row[x * 3 + 1] = static_cast<char>(c.g);
      row[x * 3 + 2] = static_cast<char>(c.r);
    }
    s += row;
  }
  for (int y = 0; y < size; ++y) {
    std::string row(static_cast<std::size_t>(maskStride), '\0');
    if (y == size - 1) row[0] = static_cast<char>(0x80);  // stored bottom-up: the top row last
    s += row;
  }
  return s;
}

std::string Group(bool cursor, const std::vector<std::pair<int, std::string>>& images) {
  std::string g(6 + 14 * images.size(), '\0');
  Le(g, 2, cursor ? 2 : 1, 2);
  Le(g, 4, static_cast<std::uint32_t>(images.size()), 2);
  for (std::size_t i = 0; i < images.size(); ++i) {
    const std::size_t e = 6 + 14 * i;
    const int size = static_cast<int>(GetLe32(images[i].second, cursor ? 8 : 4));
    if (cursor) {
      Le(g, e, static_cast<std::uint32_t>(size), 2);
      Le(g, e + 2, static_cast<std::uint32_t>(size * 2), 2);
    } else {
      g[e] = g[e + 1] = static_cast<char>(size);
    }
    Le(g, e + 4, 1, 2);
    Le(g, e + 6, 24, 2);
    Le(g, e + 8, static_cast<std::uint32_t>(images[i].second.size()), 4);
    Le(g, e + 12, static_cast<std::uint32_t>(images[i].first), 2);
  }
  return g;
}

std::string SampleProgram(bool wide = false) {
  const std::string small = IconImage(2, {255, 0, 0}), big = IconImage(16, {0, 0, 255});
  const std::string pointer = std::string("\3\0\5\0", 4) + IconImage(8, {0, 200, 0});
  return ProgramFile({{kRtIcon, "#1", small},
                      {kRtIcon, "#2", big},
                      {kRtGroupIcon, "MainIcon", Group(false, {{1, small}, {2, big}})},
                      {kRtGroupIcon, "#7", Group(false, {{1, small}})},
                      {kRtGroupIcon, "BROKEN", Group(false, {{9, small}})},
                      {kRtCursor, "#4", pointer},
                      {kRtGroupCursor, "ARROW", Group(true, {{4, pointer}})}},
                     wide);
}

class ProgramFiles : public setup_test::TempDirTest {};

TEST_F(ProgramFiles, IconsAndCursorsComeFromAProgramFilesResources) {
  for (bool wide : {false, true}) {
    // binutils reads the file as a program file of its kind and finds the named resources.
    const auto path = dir / "sample.exe";
    setup_test::Spit(path, SampleProgram(wide));
    const auto listing = dir / "objdump.txt";
    setup_test::Shell("objdump -p " + setup_test::Q(path.string()) + " > " + setup_test::Q(listing.string()));
    const std::string text = setup_test::Slurp(listing);
    EXPECT_NE(text.find(wide ? "file format pei-x86-64" : "file format pei-i386"), std::string::npos);
    for (const char* name : {"]: MainIcon, Value", "]: BROKEN, Value", "]: ARROW, Value", "Num Names: 2, IDs: 1"})
      EXPECT_NE(text.find(name), std::string::npos) << name;
    TModule exe;
    exe.LoadFromStream(SampleProgram(wide));
    TIconList list;
    int changes = 0;
    list.OnChange = [&](TIconList*) { ++changes; };
    // By name in any case: of the group's two images the one nearer the large icon size.
    EXPECT_EQ(list.AddResource(exe, "MAINICON"), 0);
    EXPECT_EQ(list.AddResource(exe, "#7"), 1);
    list.InsertResource(1, exe, "arrow");
    list.InsertResource(3, exe, "#7");  // at the end: the index equal to the count
    EXPECT_EQ(changes, 4);
    ASSERT_EQ(list.GetCount(), 4);
    TIcon* main = list.Get(0);
    EXPECT_EQ(GetLe16(main->data, 2), 1);  // an icon file of one image
    EXPECT_EQ(main->Width(), 16);
    EXPECT_EQ(main->ToBitmap().Pixel(5, 5), (TRGB{0, 0, 255}));
    EXPECT_EQ(main->ToBitmap(clWindow).Pixel(0, 0), ColorToRgb(clWindow));  // the mask
    TIcon* arrow = list.Get(1);
    EXPECT_EQ(GetLe16(arrow->data, 2), 2);  // a cursor file, its hot spot kept
    EXPECT_EQ(GetLe16(arrow->data, 10), 3);
    EXPECT_EQ(GetLe16(arrow->data, 12), 5);
    EXPECT_EQ(arrow->ToBitmap().Pixel(4, 4), (TRGB{0, 200, 0}));
    EXPECT_EQ(list.Get(2)->Width(), 2);
    EXPECT_EQ(list.Get(3)->data, list.Get(2)->data);
    // What cannot be found or read leaves the list as it was.
    const std::string before = list.SaveToStream();
    try {
      list.AddResource(exe, "NOPE");
      ADD_FAILURE();
    } catch (const EResNotFound& e) {
      EXPECT_STREQ(e.what(), "Resource NOPE not found");
    }
    EXPECT_THROW(list.AddResource(exe, "#2"), EResNotFound);  // an image, not a group
    EXPECT_THROW(list.InsertResource(5, exe, "#7"), EListError);
    EXPECT_THROW(list.AddResource(exe, "BROKEN"), EInvalidGraphic);  // names a missing image
    EXPECT_EQ(list.SaveToStream(), before);
    EXPECT_EQ(changes, 4);
  }
}

// Of a group's images the one nearest 32 x 32 is taken, and of equally near ones the one of
// most colours; a size byte of 0 is 256.
TEST(IconList, TheImageNearestThirtyTwoSquareIsTakenThenTheMostColours) {
  struct Case {
    std::vector<std::pair<int, int>> images;  // size, bits per pixel
    std::size_t want;
  };
  const Case cases[] = {
      {{{24, 24}, {32, 1}, {48, 24}}, 1},  // the size before the colours
      {{{32, 4}, {32, 24}, {32, 8}}, 1},
      {{{16, 8}, {64, 24}, {48, 4}}, 0},   // 16 and 48 equally near
      {{{256, 24}, {64, 24}}, 1},
  };
  for (const Case& c : cases) {
    std::vector<Res> res;
    std::vector<std::pair<int, std::string>> members;
    for (std::size_t i = 0; i < c.images.size(); ++i) {
      const std::uint8_t k = static_cast<std::uint8_t>(40 * i);
      members.emplace_back(static_cast<int>(i + 1), IconImage(c.images[i].first, {k, 100, static_cast<std::uint8_t>(255 - k)}));
      res.push_back({kRtIcon, "#" + std::to_string(i + 1), members.back().second});
    }
    std::string group = Group(false, members);
    for (std::size_t i = 0; i < c.images.size(); ++i) Le(group, 6 + 14 * i + 6, static_cast<std::uint32_t>(c.images[i].second), 2);
    res.push_back({kRtGroupIcon, "G", group});
    TModule exe;
    exe.LoadFromStream(ProgramFile(res));
    TIconList list;
    list.AddResource(exe, "G");
    const std::uint8_t k = static_cast<std::uint8_t>(40 * c.want);
    EXPECT_EQ(list.Get(0)->ToBitmap().Pixel(1, 1), (TRGB{k, 100, static_cast<std::uint8_t>(255 - k)})) << c.want;
  }
}

TEST(IconList, DamagedProgramFilesAreRefusedWithoutReadingOutside) {
  const std::string good = SampleProgram();
  TModule exe;
  EXPECT_THROW(exe.LoadFromStream("MZ"), EInvalidGraphic);
  EXPECT_THROW(exe.LoadFromStream(std::string(300, 'M')), EInvalidGraphic);
  for (std::size_t cut : {std::size_t{0x40}, std::size_t{0x60}, std::size_t{0x150}, std::size_t{0x210}})
    EXPECT_THROW(exe.LoadFromStream(good.substr(0, cut)), EInvalidGraphic) << cut;
  EXPECT_FALSE(exe.Loaded());
  // Headers intact, the tree cut short or pointing anywhere: not found or refused, never a crash.
  TModule cut;
  std::string shortTree = good;
  Le(shortTree, 0x58 + 96 + 20, 0x7FFFFFFF, 4);
  EXPECT_THROW(cut.LoadFromStream(shortTree), EInvalidGraphic);
  std::mt19937 rng(3);
  for (int round = 0; round < 300; ++round) {
    std::string bad = good;
    for (int k = 0; k < 4; ++k) bad[0x200 + rng() % (bad.size() - 0x200)] = static_cast<char>(rng());
    TModule m;
    m.LoadFromStream(bad);
    TIconList list;
    for (const char* name : {"MAINICON", "#7", "ARROW", "BROKEN"}) {
      try {
        list.AddResource(m, name);
      } catch (const EResNotFound&) {
      } catch (const EInvalidGraphic&) {
      }
    }
  }
}

// A good file behind a named pipe is not read by any picture loader: a pipe can keep a reader
// waiting for good. The same bytes in a file load.
TEST_F(ProgramFiles, PicturesBehindANamedPipeAreRefusedUnread) {
  const struct {
    const char* name;
    std::string bytes;
    std::function<bool(const std::string&)> load;  // true when loaded
  } cases[] = {
      {"p.gif", TwoColourGif(false).SaveToStream(),
       [](const std::string& p) { TGIFImage g; g.LoadFromFile(p); return g.FrameCount() == 1; }},
      {"p.ani", AniFile(2, nullptr),
       [](const std::string& p) { TAnimatedCursorImage a; a.LoadFromFile(p); return a.frames.size() == 2; }},
      {"p.exe", SampleProgram(),
       [](const std::string& p) { TModule m; m.LoadFromFile(p); return m.Loaded(); }},
  };
  for (const auto& c : cases) {
    const auto path = dir / c.name;
    setup_test::Spit(path, c.bytes);
    EXPECT_TRUE(c.load(path.string())) << c.name;
    testpipe::TFedPipe pipe(path, c.bytes);
    ASSERT_TRUE(pipe.Made());
    EXPECT_ANY_THROW(c.load(path.string())) << c.name;
  }
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
  // Through the clipboard under the icon format.
  red.CopyToClipboard();
  EXPECT_TRUE(ClipboardHasFormat(CF_ICON()));
  EXPECT_EQ(ClipboardFormatName(CF_ICON()), "Icon Image");
  TIcon pasted;
  pasted.LoadFromClipboardFormat();
  EXPECT_EQ(pasted.data, red.data);
  ClipboardSetData({{CF_ICON(), "not an icon"}});
  EXPECT_THROW(pasted.LoadFromClipboardFormat(), EInvalidGraphic);
  EXPECT_EQ(pasted.data, red.data);
  ClipboardClear();
  EXPECT_THROW(pasted.LoadFromClipboardFormat(), EInvalidGraphic);
  // Stored only when it differs from the ancestor's list, or is not empty without one.
  EXPECT_TRUE(list.ShouldStore(nullptr));
  EXPECT_FALSE(TIconList().ShouldStore(nullptr));
  std::string stored = list.SaveToStream();
  TIconList back;
  back.LoadFromStream(stored);
  ASSERT_EQ(back.GetCount(), 3);
  EXPECT_EQ(back.Get(0), nullptr);
  EXPECT_EQ(back.SaveToStream(), stored);
  EXPECT_FALSE(back.ShouldStore(&list));
  back.Exchange(0, 1);
  EXPECT_TRUE(back.ShouldStore(&list));
  back.Exchange(0, 1);
  // A damaged stream leaves the list as it was.
  EXPECT_THROW(back.LoadFromStream(stored.substr(0, stored.size() - 5)), EInvalidGraphic);
  EXPECT_EQ(back.GetCount(), 3);
  back.Clear();
  EXPECT_EQ(back.GetCount(), 0);
}

}  // namespace
}  // namespace zarn3set
