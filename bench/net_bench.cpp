// Network play: encoding one step's snapshots with every table full, and what one client
// receives per second at the fastest game speed (a world step every 53 ms).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "game/net/netgame.h"
#include "game/shell/worldclock.h"
#include "game/world/dobjects.h"

// Every allocation of the program counts here, so that a benchmark can tell how many its
// code made per message.
std::atomic<std::uint64_t> Allocations{0};

void* operator new(std::size_t size) {
  Allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
// GCC takes the pair for a mismatch once both are inlined into a caller.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using namespace zarn;

// 1000 units and 3000 buildings on a 256 x 256 map, placed directly (no world rules), with
// realistic field widths: three-digit tiles, moving units, damaged buildings.
void FullWorld() {
  SetMapSizeAndClear(256, 256);
  KillAllUnits();
  DestroyAllBuildings();
  UnitSlots = MaxUnitSlots;
  BuildingSlots = MaxBuildingSlots;
  for (int i = 1; i <= MaxUnitSlots; ++i) {
    TUnitRecord& u = Units[i];
    u.Free = 0;
    u.OffMap = 0;
    u.X = 1 + i % 256;
    u.Y = 1 + (i * 7) % 256;
    u.StepProgress = static_cast<std::uint16_t>(i % 17);
    u.MovePhase = 2;
    u.TurretFacing = static_cast<std::uint8_t>(i % 8);
    u.State = 1;
    u.Side = static_cast<std::uint8_t>(i % 8);
    u.Owner = static_cast<std::uint8_t>(1 + i % 8);
  }
  for (int i = 1; i <= MaxBuildingSlots; ++i) {
    TBuildingRecord& b = Buildings[i];
    b.Free = 0;
    b.Kind = static_cast<std::uint8_t>(1 + i % 17);
    b.AnimFrame = static_cast<std::uint16_t>(i % 4);
    b.Health = 1000 + i % 1000;
  }
}

void BM_UnitSnapshot1000(benchmark::State& state) {
  FullWorld();
  std::size_t bytes = 0;
  const std::uint64_t allocations = Allocations;
  for (auto _ : state) {
    std::string text = UnitSnapshotText();
    bytes = text.size();
    benchmark::DoNotOptimize(text);
  }
  state.counters["allocations_per_step"] =
      static_cast<double>(Allocations - allocations) / static_cast<double>(state.iterations());
  state.counters["bytes"] = static_cast<double>(bytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_UnitSnapshot1000);

void BM_FullSnapshotStep(benchmark::State& state) {
  FullWorld();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string units = UnitSnapshotText();
    const std::string buildings = BuildingSnapshotText();
    bytes = units.size() + buildings.size() + std::string("[143 1000000 6 ]").size();
    benchmark::DoNotOptimize(units);
    benchmark::DoNotOptimize(buildings);
  }
  // Speed 17: one world step every (18 - 17) x 53 ms.
  GameOptions.GameSpeed = 17;
  ApplyGameSpeed();
  const double stepsPerSecond = 1000.0 / WorldTimerInterval;
  state.counters["bytes_per_step_per_client"] = static_cast<double>(bytes);
  state.counters["bytes_per_second_per_client"] = bytes * stepsPerSecond;
}
BENCHMARK(BM_FullSnapshotStep);

// A client reads one step's snapshots (1000 units, 3000 buildings) as they arrive, cut into
// reads of 1460 bytes (one TCP segment): framing, parsing and applying each message.
void BM_ClientReadsSnapshotStep(benchmark::State& state) {
  FullWorld();
  const std::string step = UnitSnapshotText() + BuildingSnapshotText();
  std::size_t messages = 0;
  for (char c : step) messages += c == ']';
  NetRole = RoleClient;
  ClientSocketRead(step);  // the framer's buffer grows once
  const std::uint64_t allocations = Allocations;
  for (auto _ : state)
    for (std::size_t at = 0; at < step.size(); at += 1460)
      ClientSocketRead(std::string_view(step).substr(at, 1460));
  state.counters["allocations_per_message"] =
      static_cast<double>(Allocations - allocations) / static_cast<double>(state.iterations() * messages);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * messages));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * step.size()));
  NetRole = RoleSingle;
}
BENCHMARK(BM_ClientReadsSnapshotStep);

}  // namespace
