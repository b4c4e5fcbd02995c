// The display component on the null back end: its events, presentation, full screen, display
// modes, lost surfaces; and the form's frame clock in the loop.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "game/dx/DXDraws.h"
#include "game/dx/DXForms.h"
#include "game/dx/DXRender.h"
#include "platform/app.h"
#include "platform/null/null.h"

using namespace zarn;

namespace {

constexpr TDXDrawOptions kGameOptions =
    DXOpt(doAllowReboot) | DXOpt(doWaitVBlank) | DXOpt(doCenter) | DXOpt(doFlip);

class Display : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ZARN_PLATFORM", "null", 1);
    std::string why;
    ASSERT_TRUE(plat::Init(&why)) << why;
    plat::null::SetDesktopSize(1280, 1024);
    DXDisplayModesProc = nullptr;
    DXVideoMemoryLimit = -1;
    form = std::make_unique<TDXForm>(" ZARN III", 320, 200);
    draw = std::make_unique<TDXDraw>(form.get());
    draw->SetOptions(kGameOptions);
    draw->Display().SetBitCount(16);
    draw->Display().SetWidth(320);
    draw->Display().SetHeight(200);
    draw->RegisterNotifyEvent(&Display::Listen, this);
    draw->OnInitializing = [this](TCustomDXDraw&) { log.push_back("Initializing"); };
    draw->OnInitialize = [this](TCustomDXDraw&) { log.push_back("Initialize"); };
    draw->OnInitializeSurface = [this](TCustomDXDraw&) { log.push_back("InitializeSurface"); };
    draw->OnRestoreSurface = [this](TCustomDXDraw&) { log.push_back("RestoreSurface"); };
    draw->OnFinalizeSurface = [this](TCustomDXDraw&) { log.push_back("FinalizeSurface"); };
    draw->OnFinalize = [this](TCustomDXDraw&) { log.push_back("Finalize"); };
  }
  void TearDown() override {
    draw.reset();
    form.reset();
    DXDisplayModesProc = nullptr;
    DXVideoMemoryLimit = -1;
    plat::Shutdown();
  }
  static void Listen(void* self, int code) {
    static_cast<Display*>(self)->log.push_back(std::to_string(code));
  }
  // Shows the form and lets the loop deliver its first activation (which initialises).
  void ShowAndActivate() {
    form->Show();
    plat::ProcessMessages();
  }
  void Plot(int x, int y, std::uint16_t c) {
    auto& canvas = draw->Surface()->Canvas();
    ASSERT_NE(canvas.Handle(), nullptr);
    canvas.Handle()[y * canvas.Pitch() + x] = c;
    canvas.Release();
  }
  static std::uint16_t Shown(int x, int y) {
    const auto& f = plat::null::LastFrame();
    return f.pixels.at(static_cast<std::size_t>(y) * f.width + x);
  }
  void UseModes(std::vector<TDisplayModeInfo> modes) {
    DXDisplayModesProc = [modes] { return modes; };
  }

  std::unique_ptr<TDXForm> form;
  std::unique_ptr<TDXDraw> draw;
  std::vector<std::string> log;
};

TEST_F(Display, EventsComeInOrderOnInitialiseAndFinalise) {
  ShowAndActivate();  // the form's first show starts the display
  ASSERT_TRUE(draw->Initialized());
  EXPECT_EQ(log, (std::vector<std::string>{"Initializing", "1", "7", "2", "Initialize", "3",
                                           "InitializeSurface", "6", "RestoreSurface"}));
  log.clear();
  draw->Finalize();
  EXPECT_EQ(log, (std::vector<std::string>{"FinalizeSurface", "5", "Finalize", "4"}));
  EXPECT_FALSE(draw->Initialized());
  EXPECT_FALSE(draw->CanDraw());
  log.clear();
  draw->Finalize();  // twice is harmless
  EXPECT_TRUE(log.empty());

  // Closing the form finalises the display before the form's own handler runs.
  draw->Initialize();
  bool initialisedAtClose = true;
  form->OnClose = [&](TDXForm&, plat::CloseAction&) { initialisedAtClose = draw->Initialized(); };
  form->Close();
  EXPECT_FALSE(initialisedAtClose);
}

TEST_F(Display, FailedInitialisationRaisesAndLeavesItFinalised) {
  TDXDraw orphan;
  EXPECT_THROW(
      {
        try {
          orphan.Initialize();
        } catch (const EDXDrawError& e) {
          EXPECT_STREQ(e.what(), "Form not found");
          throw;
        }
      },
      EDXDrawError);

  draw->SetAutoSize(false);
  draw->SetSurfaceWidth(20000);  // more than any surface may be
  log.clear();
  try {
    draw->Initialize();
    FAIL() << "a surface that cannot be made must raise";
  } catch (const EDXDrawError& e) {
    EXPECT_STREQ(e.what(), "Surface cannot be made");
  }
  EXPECT_FALSE(draw->Initialized());
  EXPECT_EQ(draw->DDraw(), nullptr);
  // The events that had fired are wound back; those that had not stay silent.
  EXPECT_EQ(log, (std::vector<std::string>{"Initializing", "1", "5", "4"}));

  // The 3D path reports that no device exists, and leaves the display finalised.
  draw->SetSurfaceWidth(320);
  draw->SetOptions(kGameOptions | DXOpt(do3D));
  try {
    draw->Initialize();
    FAIL();
  } catch (const EDXDrawError& e) {
    EXPECT_STREQ(e.what(), S3DDeviceNotFound);
  }
  EXPECT_FALSE(draw->Initialized());
}

TEST_F(Display, OptionsDecideTheDriverAndTheCooperativeLevel) {
  draw->SetOptions(kGameOptions | DXOpt(doHardware));
  // In a window: no flipping, no reboot, never hardware.
  EXPECT_EQ(draw->EffectiveOptions(), DXOpt(doWaitVBlank) | DXOpt(doCenter));
  draw->Initialize();
  EXPECT_NE(dynamic_cast<TDXDrawDriverBlt*>(draw->Driver()), nullptr);
  EXPECT_EQ(draw->DDraw()->CooperativeLevel(), DDSCL_NORMAL);
  EXPECT_TRUE(draw->Primary()->HasClipper());

  // While shown only the presentation options follow.
  draw->SetOptions(kGameOptions | DXOpt(doStretch) | DXOpt(doFullScreen));
  EXPECT_EQ(draw->EffectiveOptions(), DXOpt(doWaitVBlank) | DXOpt(doStretch) | DXOpt(doCenter));

  draw->Finalize();
  EXPECT_EQ(draw->EffectiveOptions(), DXOpt(doFullScreen) | DXOpt(doAllowReboot) |
                                          DXOpt(doWaitVBlank) | DXOpt(doStretch) | DXOpt(doCenter) |
                                          DXOpt(doFlip));
  draw->Initialize();
  EXPECT_NE(dynamic_cast<TDXDrawDriverFlip*>(draw->Driver()), nullptr);
  EXPECT_EQ(draw->DDraw()->CooperativeLevel(), 0x53u);
  EXPECT_EQ(draw->Surface(), draw->Primary()->AttachedSurface());
}

TEST_F(Display, FlippedPictureLandsCentredOrStretched) {
  draw->SetAutoSize(false);
  form->SetClientSize(328, 227);
  EXPECT_EQ(draw->Width(), 328);  // the display fills the form
  draw->SetSurfaceWidth(320);
  draw->SetSurfaceHeight(200);
  ShowAndActivate();
  ASSERT_TRUE(draw->CanDraw());
  Plot(0, 0, 0x1234);
  Plot(319, 199, 0xF00F);
  draw->Flip();
  const auto& f = plat::null::LastFrame();
  ASSERT_EQ(f.width, 328);
  ASSERT_EQ(f.height, 227);
  EXPECT_EQ(Shown(4, 13), 0x1234);  // (328 - 320) div 2, (227 - 200) div 2
  EXPECT_EQ(Shown(4 + 319, 13 + 199), 0xF00F);
  EXPECT_EQ(Shown(3, 12), 0);

  // Stretched over a 640 x 400 form: every pixel becomes a 2 x 2 block.
  draw->SetOptions(kGameOptions | DXOpt(doStretch));
  form->SetClientSize(640, 400);
  draw->Flip();
  ASSERT_EQ(plat::null::LastFrame().width, 640);
  EXPECT_EQ(Shown(0, 0), 0x1234);
  EXPECT_EQ(Shown(1, 1), 0x1234);
  EXPECT_EQ(Shown(2, 2), 0);
  EXPECT_EQ(Shown(638, 398), 0xF00F);
  EXPECT_EQ(Shown(639, 399), 0xF00F);

  // A 0 x 0 surface while shown is a 1 x 1 surface, and its listeners hear of it.
  log.clear();
  draw->SetSurfaceWidth(0);
  draw->SetSurfaceHeight(0);
  EXPECT_EQ(draw->SurfaceWidth(), 1);
  EXPECT_EQ(draw->SurfaceHeight(), 1);
  EXPECT_EQ((std::vector<std::string>(log.begin(), log.begin() + 5)),
            (std::vector<std::string>{"5", "FinalizeSurface", "3", "InitializeSurface", "7"}));
}

TEST_F(Display, CanvasDrawsConvertedAndClipped) {
  ShowAndActivate();
  plat::Surface pic;
  ASSERT_TRUE(plat::SurfaceCreate(pic, 2, 1, plat::PixelFormat::Rgb555));
  pic.pixels = {0x7FFF, 0x03E0};  // white, full green in 5-5-5
  auto& canvas = draw->Surface()->Canvas();
  canvas.StretchDraw(plat::Rect{318, 0, 4, 2}, pic);  // half of it falls off the edge
  ASSERT_NE(canvas.Handle(), nullptr);
  EXPECT_EQ(canvas.Handle(), canvas.Handle());  // one context until released
  EXPECT_EQ(canvas.Handle()[318], 0xFFFF);
  EXPECT_EQ(canvas.Handle()[319], 0xFFFF);
  EXPECT_EQ(canvas.Handle()[320 + 318], 0xFFFF);
  canvas.Draw(-1, 5, pic);
  EXPECT_EQ(canvas.Handle()[5 * 320], 0x07E0);  // green in 5-6-5
  canvas.Release();
  EXPECT_FALSE(canvas.HandleAllocated());
}

// Rows long enough for the eight-pixel steps and a tail: drawn 1:1, doubled and tripled, every
// shown pixel is its source pixel with 5-5-5 widened to 5-6-5 (green's top bit repeated below).
TEST_F(Display, CanvasConvertsEveryPixelAtEveryScale) {
  ShowAndActivate();
  constexpr int w = 37, h = 2;
  plat::Surface pic;
  ASSERT_TRUE(plat::SurfaceCreate(pic, w, h, plat::PixelFormat::Rgb555));
  for (int i = 0; i < w * h; ++i) pic.pixels[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>((i * 2654435761u) >> 17);
  const auto widened = [](std::uint16_t c) {
    const unsigned r = (c >> 10) & 31, g = (c >> 5) & 31, b = c & 31;
    return static_cast<std::uint16_t>((r << 11) | (((g << 1) | (g >> 4)) << 5) | b);
  };
  auto& canvas = draw->Surface()->Canvas();
  for (const int scale : {1, 2, 3}) {
    const int x0 = 3, y0 = 7 + 10 * scale;
    canvas.StretchDraw(plat::Rect{x0, y0, w * scale, h * scale}, pic);
    for (int y = 0; y < h * scale; ++y)
      for (int x = 0; x < w * scale; ++x)
        ASSERT_EQ(canvas.Handle()[(y0 + y) * 320 + x0 + x], widened(pic.pixels[static_cast<std::size_t>((y / scale) * w + x / scale)]))
            << "scale " << scale << " at " << x << ", " << y;
  }
  canvas.Release();
}

TEST_F(Display, FullScreenScalesThePictureWithoutChangingTheMonitor) {
  draw->SetOptions(kGameOptions | DXOpt(doFullScreen));
  ShowAndActivate();
  ASSERT_TRUE(draw->FullScreenActive());
  EXPECT_TRUE(form->FullScreen());
  EXPECT_EQ(form->ClientWidth(), 320);  // the mode is the picture's size
  EXPECT_EQ(form->ClientHeight(), 200);
  EXPECT_EQ(draw->SurfaceWidth(), 320);
  Plot(10, 20, 0xABCD);
  draw->Flip();
  const auto& f = plat::null::LastFrame();
  EXPECT_EQ(Shown(10, 20), 0xABCD);
  EXPECT_EQ(f.window, (plat::Rect{0, 112, 1280, 800}));  // scaled to the desktop, centred

  // An inactive form does not flip.
  const auto frames = plat::null::FrameCount();
  plat::null::InjectFocus(form->Handle()->id, false);
  plat::ProcessMessages();
  draw->Flip();
  EXPECT_EQ(plat::null::FrameCount(), frames);

  // Finalising leaves full screen and gives the window its size back.
  draw->Finalize();
  EXPECT_FALSE(form->FullScreen());
  EXPECT_EQ(form->ClientWidth(), 320);

  // 640 x 400 windowed, then full screen at 640 x 400 and back, as the shell toggles it.
  form->SetClientSize(640, 400);
  form->CacheWindow();
  draw->Display().SetWidth(640);
  draw->Display().SetHeight(400);
  draw->Initialize();
  EXPECT_EQ(form->ClientWidth(), 640);
  EXPECT_EQ(draw->SurfaceHeight(), 400);
  draw->Finalize();
  form->RestoreWindow();
  EXPECT_EQ(form->ClientWidth(), 640);
  EXPECT_EQ(form->ClientHeight(), 400);
  EXPECT_FALSE(form->WindowCached());
}

TEST_F(Display, WithoutFullScreenTheGameStaysInAWindowAndSaysSo) {
  plat::null::SetFullScreenAvailable(false);
  draw->SetOptions(kGameOptions | DXOpt(doFullScreen));
  ShowAndActivate();
  ASSERT_TRUE(draw->Initialized());
  EXPECT_FALSE(draw->FullScreenActive());
  EXPECT_FALSE(form->FullScreen());
  EXPECT_TRUE(HasOpt(draw->Options(), doFullScreen));  // the shell does not retry every frame
  EXPECT_FALSE(HasOpt(draw->EffectiveOptions(), doFullScreen));
  EXPECT_EQ(draw->DDraw()->CooperativeLevel(), DDSCL_NORMAL);
  ASSERT_EQ(plat::null::MessageBoxes().size(), 1u);
  EXPECT_NE(plat::null::MessageBoxes()[0].text.find("stays in a window"), std::string::npos);
  Plot(0, 0, 0x5555);
  draw->Flip();
  EXPECT_EQ(Shown(0, 0), 0x5555);

  std::string reason;
  draw->OnFullScreenFailed = [&](TCustomDXDraw&, const std::string& r) { reason = r; };
  draw->Initialize();
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(plat::null::MessageBoxes().size(), 1u);
}

TEST_F(Display, ModeSearchPicksTheSmallestFittingMode) {
  draw->SetOptions(kGameOptions | DXOpt(doFullScreen));
  form->Show();
  auto fullScreenAt = [&](int w, int h, int bits) {
    draw->Display().SetWidth(w);
    draw->Display().SetHeight(h);
    draw->Display().SetBitCount(bits);
    draw->Initialize();
    TDisplayModeInfo got{form->ClientWidth(), form->ClientHeight(), draw->Display().BitCount()};
    draw->Finalize();
    return got;
  };
  // No exact 320 x 200: the same 8:5 shape wins over the smaller 320 x 240.
  UseModes({{320, 240, 16}, {640, 400, 16}, {640, 480, 16}});
  EXPECT_EQ(fullScreenAt(320, 200, 16), (TDisplayModeInfo{640, 400, 16}));
  EXPECT_EQ(draw->Display().Width(), 640);
  UseModes({{640, 480, 16}, {320, 240, 16}, {800, 600, 16}});
  EXPECT_EQ(fullScreenAt(320, 200, 16), (TDisplayModeInfo{320, 240, 16}));
  // An exact match is taken at once, whatever is listed before it.
  UseModes({{640, 400, 16}, {320, 200, 16}});
  EXPECT_EQ(fullScreenAt(320, 200, 16), (TDisplayModeInfo{320, 200, 16}));

  // Other depths when the bit count is not fixed: deeper yes, 8-bit no; 8 bits takes deeper.
  draw->Display().FixedBitCount = false;
  UseModes({{320, 200, 8}, {320, 200, 32}});
  EXPECT_EQ(fullScreenAt(320, 200, 16), (TDisplayModeInfo{320, 200, 32}));
  UseModes({{320, 200, 16}});
  EXPECT_EQ(fullScreenAt(320, 200, 8), (TDisplayModeInfo{320, 200, 16}));
  UseModes({{320, 200, 8}, {640, 480, 8}});
  try {
    fullScreenAt(320, 200, 16);
    FAIL() << "no acceptable mode";
  } catch (const EDXDrawError& e) {
    EXPECT_STREQ(e.what(), "Display mode cannot be changed (320x200 16bit)");
  }
  EXPECT_FALSE(draw->Initialized());
  EXPECT_FALSE(form->FullScreen());

  // Bad values are refused before anything is asked for.
  TDirectDrawDisplay& d = draw->Display();
  d.SetWidth(-1);
  EXPECT_EQ(d.Width(), 0);
  EXPECT_FALSE(d.SetDisplayMode(d.Width(), 200, 16));
  EXPECT_THROW(d.SetBitCount(12), EDirectDrawError);
  EXPECT_EQ(d.BitCount(), 16);
}

TEST_F(Display, LostSurfacesAreRestoredBeforeDrawing) {
  ShowAndActivate();
  Plot(5, 5, 0x7777);
  log.clear();
  plat::null::InjectDeviceReset(form->Handle()->id);
  plat::ProcessMessages();
  EXPECT_TRUE(draw->Surface()->IsLost());
  EXPECT_TRUE(draw->CanDraw());  // restores them
  EXPECT_FALSE(draw->Surface()->IsLost());
  EXPECT_FALSE(draw->Primary()->IsLost());
  EXPECT_EQ(log, (std::vector<std::string>{"6", "RestoreSurface"}));
  EXPECT_EQ(draw->Surface()->Pixels().pixels[5 * 320 + 5], 0);  // the contents are gone
  draw->Flip();
  EXPECT_EQ(Shown(5, 5), 0);
}

TEST_F(Display, SurfacesFallBackToSystemMemory) {
  ShowAndActivate();
  TDirectDraw& dd = *draw->DDraw();
  DXVideoMemoryLimit = dd.VideoMemoryUsed();  // the card is full
  TDirectDrawSurface s(dd);
  s.SetSize(64, 32);
  EXPECT_TRUE(s.SystemMemory());
  EXPECT_TRUE(s.Caps() & DDSCAPS_SYSTEMMEMORY);
  DXVideoMemoryLimit = -1;
  s.SetSize(128, 64);  // keeps to system memory
  EXPECT_TRUE(s.Caps() & DDSCAPS_SYSTEMMEMORY);
  s.SetSize(0, 10);  // releases, raises nothing
  EXPECT_FALSE(s.HasInterface());

  // The display's own back surface: its options say where it went.
  draw->Finalize();
  DXVideoMemoryLimit = 320 * 200 * 2;  // room for the primary only
  draw->Initialize();
  EXPECT_TRUE(HasOpt(draw->EffectiveOptions(), doSystemMemory));
  EXPECT_TRUE(draw->CanDraw());
}

// Two colours side by side: red then blue.
struct Swatch : TGraphic {
  std::int32_t Width() const override { return 2; }
  std::int32_t Height() const override { return 1; }
  void Draw(TCanvas& c, plat::Rect r) const override {
    StretchColours(c, r, 2, 1, [](int x, int) { return x ? RGBColor(0, 0, 255) : RGBColor(255, 0, 0); });
  }
};

TEST_F(Display, SurfacesTakeGraphicsStretchedAndGiveA24BitPicture) {
  ShowAndActivate();
  TDirectDrawSurface s(*draw->DDraw());
  const auto shown = [&](int w) {
    std::string row;
    for (std::uint16_t p : s.Pixels().pixels)
      row += p == 0xF800 ? 'r' : p == 0x07E0 ? 'g' : p == 0x001F ? 'b' : p == 0 ? '.' : '?';
    return std::to_string(s.Width()) + "x" + std::to_string(s.Height()) + " " + row.substr(0, static_cast<std::size_t>(w));
  };
  // A picture of red, green, blue, black over a black row.
  TDIB pic;
  pic.SetSize(4, 2, 24);
  pic.SetPixel(0, 0, 0xFF0000);
  pic.SetPixel(1, 0, 0x00FF00);
  pic.SetPixel(2, 0, 0x0000FF);
  s.CopyGraphic(pic, 4, 2, plat::Rect{1, 0, 2, 1});  // green and blue, each doubled both ways
  EXPECT_EQ(shown(8), "4x2 ggbbggbb");
  s.CopyGraphic(pic, 0, 0, plat::Rect{0, 0, 3, 2});  // a size of 0 is the rectangle's
  EXPECT_EQ(shown(6), "3x2 rgb...");
  Swatch swatch;
  s.CopyGraphic(swatch, 2, 1, plat::Rect{1, 0, 1, 1});  // of the size: drawn at minus (1, 0)
  EXPECT_EQ(shown(2), "2x1 b.");
  s.CopyGraphic(swatch, 4, 1, plat::Rect{0, 0, 2, 1});  // otherwise through a 24-bit picture
  EXPECT_EQ(shown(4), "4x1 rrbb");
  TPicture holder;
  holder.SetGraphic(std::make_unique<Swatch>());
  s.Assign(&holder);  // at the graphic's own size
  EXPECT_EQ(shown(2), "2x1 rb");

  TDIB out;
  s.AssignTo(out);
  EXPECT_EQ(out.BitCount(), 24);
  EXPECT_EQ(out.Width(), 2);
  EXPECT_EQ(out.Height(), 1);
  EXPECT_EQ(out.GetPixel(0, 0), 0xFF0000u);  // red, as a 24-bit value stores it
  EXPECT_EQ(out.GetPixel(1, 0), 0x0000FFu);
  s.Assign(nullptr);
  EXPECT_FALSE(s.HasInterface());
}

TEST_F(Display, FrameClockRunsInTheIdlePassAndHearsActivation) {
  TDXTimer timer;
  form->AddTimer(timer);
  timer.SetActiveOnly(false);
  timer.SetInterval(0);
  timer.SetEnabled(false);
  int frames = 0, deactivations = 0;
  timer.OnTimer = [&](TCustomDXTimer&, int) { ++frames; };
  timer.OnDeactivate = [&](TCustomDXTimer&) { ++deactivations; };
  // The display switches the clock on and off, as the main form does.
  draw->OnInitialize = [&](TCustomDXDraw&) { timer.SetEnabled(true); };
  draw->OnFinalize = [&](TCustomDXDraw&) { timer.SetEnabled(false); };
  ShowAndActivate();
  plat::null::AdvanceClock(5);
  plat::ProcessMessages();
  plat::null::AdvanceClock(5);
  plat::ProcessMessages();
  EXPECT_GE(frames, 2);
  plat::null::InjectFocus(form->Handle()->id, false);
  plat::ProcessMessages();
  EXPECT_EQ(deactivations, 1);
  draw->Finalize();
  const int before = frames;
  plat::null::AdvanceClock(5);
  plat::ProcessMessages();
  EXPECT_EQ(frames, before);
  EXPECT_FALSE(plat::HasIdleHandler() && DXIdleTimer != nullptr);
  form->RemoveTimer(timer);
}

}  // namespace
