// One presented frame through the game's own code: the 8-bit 320 x 200 back buffer through
// HiColorTable into the back bitmap (ConvertBackBuffer), and the whole PresentFrame, 1:1 at
// 320 x 200 and stretched to 640 x 400 (null back end).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/game_folder.h"
#include "game/base/dvga.h"
#include "game/shell/Main.h"
#include "game/shell/settings.h"
#include "platform/app.h"
#include "platform/null/null.h"
#include "platform/surface.h"

namespace {

using namespace zarn;

void FillPicture() {
  for (int i = 0; i < ScreenBytes; ++i)
    BackBuffer[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i * 7 + i / ScreenWidth) & 255);
}

void BM_ConvertBackBuffer(benchmark::State& state) {
  FillPicture();
  BuildHiColorTable565();
  plat::Surface bitmap;
  plat::SurfaceCreate(bitmap, ScreenWidth, ScreenHeight, plat::PixelFormat::Rgb565);
  for (auto _ : state) {
    ConvertBackBuffer(bitmap);
    benchmark::DoNotOptimize(bitmap.pixels.data());
  }
  if (bitmap.pixels[1] != HiColorTable[BackBuffer[1]]) state.SkipWithError("nothing converted");
}
BENCHMARK(BM_ConvertBackBuffer);

// The program started on the demo folder in a window of the screen mode, then PresentFrame
// timed on its own.
void PresentInMode(benchmark::State& state, int screenMode) {
  setenv("ZARN_PLATFORM", "null", 1);
  std::string why;
  if (!plat::Init(&why)) {
    state.SkipWithError(why.c_str());
    return;
  }
  const std::filesystem::path cwd = std::filesystem::current_path();
  ProgramFolderOverride = benchgame::GameCopy();
  char arg0[] = "zarn";
  char arg1[] = "-debug";  // stay windowed
  char* argv[] = {arg0, arg1};
  if (!CreateProgram(2, argv, &why)) {
    state.SkipWithError(why.c_str());
  } else {
    for (int passes = 0; (plat::null::FrameCount() == 0 || GameScreen != 21) && passes < 1000; ++passes) {
      plat::null::AdvanceClock(1);
      plat::ProcessMessages();
    }
    GameOptions.ScreenMode = screenMode;
    ApplyScreenMode();
    FillPicture();
    const auto before = plat::null::FrameCount();
    for (auto _ : state) PresentFrame();
    if (plat::null::FrameCount() - before < static_cast<std::uint64_t>(state.iterations())) state.SkipWithError("frames were not presented");
    DestroyProgram();
  }
  ProgramFolderOverride.clear();
  std::filesystem::current_path(cwd);
  plat::Shutdown();
}

void BM_PresentFrame640x400(benchmark::State& state) { PresentInMode(state, 1); }
BENCHMARK(BM_PresentFrame640x400)->Unit(benchmark::kMicrosecond);

void BM_PresentFrame320x200(benchmark::State& state) { PresentInMode(state, 0); }
BENCHMARK(BM_PresentFrame320x200)->Unit(benchmark::kMicrosecond);

}  // namespace
