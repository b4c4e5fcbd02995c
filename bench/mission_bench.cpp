// A whole three-player mission, headless: 30 minutes of game time per iteration from the
// mission's start. The counter GameSecondsPerSecond is the game time simulated per second of
// wall time.
#include <benchmark/benchmark.h>

#include "tests/shell/campaign_world.h"

namespace {

using namespace campaign_world;

void BM_HalfHourMission(benchmark::State& state) {
  TGameFolder folder("bench");
  FreshProgram(1);
  WriteMissionFiles();
  for (auto _ : state) {
    state.PauseTiming();
    FreshProgram(1);
    StartMissionFromFiles();
    Randomize(1);
    state.ResumeTiming();
    Step(HalfHourTicks);
    benchmark::DoNotOptimize(Players[2].UnitsMade);
  }
  state.counters["GameSecondsPerSecond"] =
      benchmark::Counter(30.0 * 60.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HalfHourMission)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

}  // namespace
