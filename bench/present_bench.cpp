// One presented frame: the 8-bit 320 x 200 picture through the 16-bit colour table into the
// back bitmap, stretched onto a 640 x 400 display surface and flipped (null back end).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "game/dx/DXDraws.h"
#include "platform/app.h"
#include "platform/surface.h"

namespace {

using namespace zarn;

constexpr int kW = 320, kH = 200;

struct Picture {
  std::vector<std::uint8_t> indices = std::vector<std::uint8_t>(kW * kH);
  std::array<std::uint16_t, 256> colours{};
  plat::Surface bitmap;
  Picture() {
    for (int i = 0; i < kW * kH; ++i) indices[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i * 7 + i / kW) & 255);
    for (int c = 0; c < 256; ++c)
      colours[static_cast<std::size_t>(c)] = plat::PackColour(plat::PixelFormat::Rgb565, static_cast<std::uint8_t>(c),
                                                              static_cast<std::uint8_t>(255 - c), static_cast<std::uint8_t>(c * 3));
    plat::SurfaceCreate(bitmap, kW, kH, plat::PixelFormat::Rgb565);
  }
  // The back buffer to the back bitmap, a scan line at a time.
  void Convert() {
    for (int y = 0; y < kH; ++y) {
      const std::uint8_t* in = indices.data() + static_cast<std::size_t>(y) * kW;
      std::uint16_t* out = bitmap.pixels.data() + static_cast<std::size_t>(y) * kW;
      for (int x = 0; x < kW; ++x) out[x] = colours[in[x]];
    }
  }
};

void BM_Convert8To16(benchmark::State& state) {
  Picture pic;
  for (auto _ : state) {
    pic.Convert();
    benchmark::DoNotOptimize(pic.bitmap.pixels.data());
  }
}
BENCHMARK(BM_Convert8To16);

void PresentAt(benchmark::State& state, int w, int h) {
  setenv("ZARN_PLATFORM", "null", 1);
  std::string why;
  if (!plat::Init(&why)) {
    state.SkipWithError(why.c_str());
    return;
  }
  {
    TDXForm form("bench", w, h);
    TDXDraw draw(&form);
    draw.SetOptions(DXOpt(doAllowReboot) | DXOpt(doWaitVBlank) | DXOpt(doCenter) | DXOpt(doFlip));
    draw.Initialize();
    Picture pic;
    const plat::Rect whole{0, 0, draw.SurfaceWidth(), draw.SurfaceHeight()};
    for (auto _ : state) {
      if (!draw.CanDraw()) continue;
      pic.Convert();
      auto& canvas = draw.Surface()->Canvas();
      if (whole.w == kW && whole.h == kH) canvas.Draw(0, 0, pic.bitmap);
      else canvas.StretchDraw(whole, pic.bitmap);
      canvas.Release();
      draw.Flip();
    }
  }
  plat::Shutdown();
}

void BM_PresentFrame640x400(benchmark::State& state) { PresentAt(state, 640, 400); }
BENCHMARK(BM_PresentFrame640x400)->Unit(benchmark::kMicrosecond);

void BM_PresentFrame320x200(benchmark::State& state) { PresentAt(state, 320, 200); }
BENCHMARK(BM_PresentFrame320x200)->Unit(benchmark::kMicrosecond);

}  // namespace
