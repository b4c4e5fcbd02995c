// Start-up: from creating the program to the first presented frame of the main menu, on the
// null back end, with the demo game folder (settings, graphics files, archive, fonts, sound bank).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "bench/game_folder.h"
#include "game/base/dvga.h"
#include "game/shell/Main.h"
#include "game/shell/settings.h"
#include "platform/app.h"
#include "platform/null/null.h"

namespace {

namespace fs = std::filesystem;

using benchgame::GameCopy;

void BM_StartupToFirstMainMenuFrame(benchmark::State& state) {
  setenv("ZARN_PLATFORM", "null", 1);
  const fs::path folder = GameCopy();
  const fs::path cwd = fs::current_path();
  char arg0[] = "zarn";
  char arg1[] = "-debug";  // stay windowed: full screen would only add a mode switch
  char* argv[] = {arg0, arg1};
  for (auto _ : state) {
    std::string why;
    if (!plat::Init(&why)) {
      state.SkipWithError(why.c_str());
      break;
    }
    zarn::ProgramFolderOverride = folder;
    if (!zarn::CreateProgram(2, argv, &why)) {
      state.SkipWithError(why.c_str());
      plat::Shutdown();
      break;
    }
    int passes = 0;
    while ((plat::null::FrameCount() == 0 || zarn::GameScreen != 21) && passes++ < 1000) {
      plat::null::AdvanceClock(1);
      plat::ProcessMessages();
    }
    state.PauseTiming();
    if (plat::null::FrameCount() == 0) state.SkipWithError("no frame presented");
    zarn::DestroyProgram();
    zarn::ProgramFolderOverride.clear();
    fs::current_path(cwd);
    plat::Shutdown();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartupToFirstMainMenuFrame)->Unit(benchmark::kMillisecond);

}  // namespace
