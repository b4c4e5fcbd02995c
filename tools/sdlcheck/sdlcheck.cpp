// Shows a known 320 x 200 picture full screen through the display component and reports
// where pointer presses land in the picture. With a 640 x 400 desktop the picture is doubled.
//
//   zarn_sdlcheck <folder> [seconds]
//
// Writes <folder>/expected.ppm (the picture as the desktop should show it), prints "ready" once
// the picture is on screen, "pointer X Y" for the first press, and ends after that press or
// after the given seconds (default 20). Exit 0 after a press, 2 on a timeout, 1 on errors.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "game/dx/DXDraws.h"
#include "platform/app.h"
#include "platform/surface.h"

namespace {

using namespace zarn;

constexpr int kW = 320, kH = 200;

// Colours whose components are 0 or 255 survive any 16-to-24-bit widening unchanged.
std::uint16_t Colour(int n) {
  const std::uint8_t r = (n & 1) ? 255 : 0, g = (n & 2) ? 255 : 0, b = (n & 4) ? 255 : 0;
  return plat::PackColour(plat::PixelFormat::Rgb565, r, g, b);
}

// Bands of the eight colours, a one-pixel checker in the top-left corner (any smoothing or
// offset shows there) and a red last pixel.
plat::Surface MakePicture() {
  plat::Surface s;
  plat::SurfaceCreate(s, kW, kH, plat::PixelFormat::Rgb565);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      int n = (x / 40 + y / 50) % 8;
      if (x < 16 && y < 16) n = ((x + y) & 1) ? 7 : 0;
      s.pixels[static_cast<std::size_t>(y) * kW + x] = Colour(n);
    }
  s.pixels.back() = Colour(1);
  return s;
}

bool WriteExpected(const std::string& path, const plat::Surface& pic, int scale) {
  std::ofstream out(path, std::ios::binary);
  if (!out) return false;
  out << "P6\n" << kW * scale << ' ' << kH * scale << "\n255\n";
  for (int y = 0; y < kH * scale; ++y)
    for (int x = 0; x < kW * scale; ++x) {
      std::uint8_t rgb[3];
      plat::UnpackColour(pic.format, pic.pixels[static_cast<std::size_t>(y / scale) * kW + x / scale],
                         rgb[0], rgb[1], rgb[2]);
      out.write(reinterpret_cast<const char*>(rgb), 3);
    }
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder> [seconds]\n", argv[0]);
    return 1;
  }
  const std::string folder = argv[1];
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
  std::string why;
  if (!plat::Init(&why)) {
    std::fprintf(stderr, "%s\n", why.c_str());
    return 1;
  }
  int result = 2;
  try {
    TDXForm form(" sdlcheck", kW, kH);
    TDXDraw draw(&form);
    draw.SetOptions(DXOpt(doFullScreen) | DXOpt(doAllowReboot) | DXOpt(doWaitVBlank) |
                    DXOpt(doCenter) | DXOpt(doFlip));
    draw.Display().SetBitCount(16);
    draw.Display().SetWidth(kW);
    draw.Display().SetHeight(kH);
    draw.OnFullScreenFailed = [](TCustomDXDraw&, const std::string& reason) {
      std::printf("fullscreen-failed %s\n", reason.c_str());
      std::fflush(stdout);
    };
    bool pressed = false;
    form.Handle()->OnMouseDown = [&](plat::MouseButton, plat::ShiftState, int x, int y) {
      if (pressed) return;
      pressed = true;
      std::printf("pointer %d %d\n", x, y);
      std::fflush(stdout);
    };
    const plat::Surface picture = MakePicture();
    if (!WriteExpected(folder + "/expected.ppm", picture, 2)) {
      std::fprintf(stderr, "cannot write %s/expected.ppm\n", folder.c_str());
      return 1;
    }
    plat::ShowCursor(false);  // keep the pointer out of the screenshot
    form.Show();
    const std::uint64_t end = plat::NowMs() + static_cast<std::uint64_t>(seconds) * 1000;
    int frames = 0;
    while (!pressed && !plat::Terminated() && plat::NowMs() < end) {
      plat::ProcessMessages();
      if (draw.CanDraw()) {
        auto& canvas = draw.Surface()->Canvas();
        canvas.Draw(0, 0, picture);
        canvas.Release();
        draw.Flip();
        if (++frames == 30) {
          std::printf("ready %s %dx%d\n", draw.FullScreenActive() ? "fullscreen" : "window",
                      form.ClientWidth(), form.ClientHeight());
          std::fflush(stdout);
        }
      }
      plat::SleepMs(10);
    }
    if (pressed) result = 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    result = 1;
  }
  plat::Shutdown();
  return result;
}
