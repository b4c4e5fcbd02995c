// Whole missions, headless, 30 minutes of game time per iteration from the mission's start.
// The counter GameSecondsPerSecond is the game time simulated per second of wall time;
// LongestTickMs is the slowest single world-timer event, as a player feels it. Every run plays
// the same game, so each event is timed in every run and its fastest time counts: a pause of
// a shared machine that hits one run does not pass for the game's own work. LongestTickWallMs
// is the slowest event as measured, pauses and all. The label is a hash of every world table
// at the end: equal hashes mean equal games.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/shell/campaign_world.h"

namespace {

using namespace campaign_world;
using Clock = std::chrono::steady_clock;

std::uint32_t Fnv1a(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t h = 2166136261u;
  for (const std::uint8_t b : bytes) h = (h ^ b) * 16777619u;
  return h;
}

// Runs the half hour one world-timer event at a time; the longest event and the wall time.
struct TRun {
  double longestMs = 0, seconds = 0;
  std::vector<float> tickMs;
};
TRun TimedHalfHour() {
  TRun r;
  r.tickMs.resize(HalfHourTicks);
  const Clock::time_point start = Clock::now();
  for (std::int32_t t = 0; t < HalfHourTicks; ++t) {
    const Clock::time_point a = Clock::now();
    Step(1);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - a).count();
    r.tickMs[static_cast<std::size_t>(t)] = static_cast<float>(ms);
    r.longestMs = std::max(r.longestMs, ms);
  }
  r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return r;
}

void Report(benchmark::State& state, const std::vector<TRun>& runs, int waves) {
  double longestWall = 0, seconds = 0;
  for (const TRun& r : runs) {
    longestWall = std::max(longestWall, r.longestMs);
    seconds += r.seconds;
  }
  double longest = 0;
  std::int32_t longestAt = 0;
  for (std::int32_t t = 0; t < HalfHourTicks && !runs.empty(); ++t) {
    float fastest = runs.front().tickMs[static_cast<std::size_t>(t)];
    for (const TRun& r : runs) fastest = std::min(fastest, r.tickMs[static_cast<std::size_t>(t)]);
    if (fastest > longest) {
      longest = fastest;
      longestAt = t + 1;
    }
  }
  state.counters["GameSecondsPerSecond"] = 30.0 * 60.0 * static_cast<double>(runs.size()) / seconds;
  state.counters["LongestTickMs"] = longest;
  state.counters["LongestTickAt"] = longestAt;
  state.counters["LongestTickWallMs"] = longestWall;
  state.counters["MeanTickMs"] = 1000.0 * seconds / (static_cast<double>(runs.size()) * HalfHourTicks);
  char hash[16];
  std::snprintf(hash, sizeof hash, "%08x", Fnv1a(WorldBytes()));
  state.SetLabel(std::string("world ") + hash);
  if (waves >= 0) state.counters["Waves"] = waves;
}

// One half hour per iteration of the mission that writeFiles makes, in a folder of its own;
// beforeRun readies each run once the mission has started.
std::vector<TRun> HalfHours(benchmark::State& state, const char* tag, void (*writeFiles)(), void (*beforeRun)()) {
  TGameFolder folder(tag);
  FreshProgram(1);
  writeFiles();
  std::vector<TRun> runs;
  for (auto _ : state) {
    state.PauseTiming();
    FreshProgram(1);
    StartMissionFromFiles();
    Randomize(1);
    beforeRun();
    state.ResumeTiming();
    runs.push_back(TimedHalfHour());
  }
  return runs;
}

// The three-player campaign mission of the tests.
void BM_HalfHourMission(benchmark::State& state) {
  const std::vector<TRun> runs = HalfHours(state, "bench", WriteMissionFiles, [] {});
  Report(state, runs, -1);
}
BENCHMARK(BM_HalfHourMission)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

// Eight players on a 192 x 192 map: the local player's fortress in the middle, seven computer
// players round it that harvest, produce and send wave after wave at it, and four worms in the
// sand between. The fortress is large enough to stand the half hour, so the fighting goes on to
// the end.
constexpr int BusySide = 192;
constexpr int BusyPlayers = 8;
constexpr int FortressSize = 60;

struct TBase {
  int X, Y;  // top-left corner of a 20 x 20 plateau
};
constexpr TBase BusyBases[BusyPlayers + 1] = {
    {0, 0}, {66, 66}, {10, 10}, {86, 10}, {162, 10}, {162, 86}, {162, 162}, {86, 162}, {10, 162}};

bool OnBusyRock(int x, int y) {
  for (int p = 1; p <= BusyPlayers; ++p) {
    const int size = p == 1 ? FortressSize : 20;
    if (x >= BusyBases[p].X && x < BusyBases[p].X + size && y >= BusyBases[p].Y && y < BusyBases[p].Y + size)
      return true;
  }
  return false;
}

void AddBusyObject(auto& list, int x, int y, std::uint8_t kind, std::uint8_t owner) {
  ++list.Count;
  list.Entries[list.Count] = TScenarioObjectEntry{static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), kind,
                                                  static_cast<std::uint8_t>(owner % 3), owner, 0};
}

void WriteBusyMissionFiles() {
  SetMapSizeAndClear(BusySide, BusySide);
  for (int x = 1; x <= BusySide; ++x)
    for (int y = 1; y <= BusySide; ++y) GameMap.Cell(x, y) = OnBusyRock(x, y) ? RockByte : SandByte;
  ResetMapPlacements();
  WormList.Count = 0;
  UnitList.Count = 0;
  BuildingList.Count = 0;

  // The fortress: rows of buildings and turrets, all of the local player.
  static constexpr std::uint8_t fortressKinds[] = {
      BuildingConstructionYard, BuildingGunTurret, BuildingPowerPlant,    BuildingRocketTurret, BuildingSilo,
      BuildingGunTurret,        BuildingRadar,     BuildingRocketTurret,  BuildingBarracks,     BuildingGunTurret,
      BuildingAcademy,          BuildingRocketTurret, BuildingRepairFactory, BuildingGunTurret, BuildingResearchCentre,
      BuildingRocketTurret,     BuildingPowerPlant, BuildingGunTurret,    BuildingStarport,     BuildingRocketTurret};
  int n = 0;
  for (int row = 0; row < 12; ++row)
    for (int col = 0; col < 12; ++col, ++n)
      AddBusyObject(BuildingList, BusyBases[1].X + 1 + col * 5, BusyBases[1].Y + 1 + row * 5,
                    fortressKinds[n % std::size(fortressKinds)], 1);
  // Its guard on the sand round the plateau.
  static constexpr std::uint8_t guardKinds[] = {UnitSiegeTank, UnitRocketLauncher, UnitLightTank, UnitHeavySquad};
  const int lo = BusyBases[1].X - 3, hi = BusyBases[1].X + FortressSize + 2;
  for (int k = 0, placed = 0; placed < 100; ++k) {
    const int along = lo + 2 * (k / 4), side = k % 4;
    if (along > hi) break;
    const int x = side == 0 ? along : side == 1 ? hi : side == 2 ? lo : along;
    const int y = side == 0 ? lo : side == 1 ? along : side == 2 ? along : hi;
    AddBusyObject(UnitList, x, y, guardKinds[placed++ % std::size(guardKinds)], 1);
  }

  for (std::uint8_t p = 2; p <= BusyPlayers; ++p) {
    const int x = BusyBases[p].X + 2, y = BusyBases[p].Y + 2;
    AddBusyObject(BuildingList, x, y, BuildingConstructionYard, p);
    AddBusyObject(BuildingList, x + 5, y, BuildingRefinery, p);
    AddBusyObject(BuildingList, x + 10, y, BuildingBarracks, p);
    AddBusyObject(BuildingList, x, y + 5, BuildingPowerPlant, p);
    AddBusyObject(BuildingList, x + 5, y + 5, BuildingBarracks, p);
    AddBusyObject(BuildingList, x + 10, y + 5, BuildingLightFactory, p);
    AddBusyObject(BuildingList, x, y + 10, BuildingHeavyFactory, p);
    AddBusyObject(BuildingList, x + 5, y + 10, BuildingSilo, p);
    AddBusyObject(BuildingList, x + 10, y + 10, BuildingPowerPlant, p);
    // Fields on the sand toward the middle, two harvesters by them, four tanks on the plateau.
    const int fx = BusyBases[p].X < 76 ? BusyBases[p].X + 22 : BusyBases[p].X - 8;
    const int fy = BusyBases[p].Y < 76 ? BusyBases[p].Y + 22 : BusyBases[p].Y - 8;
    for (int dx = 0; dx < 6; ++dx)
      for (int dy = 0; dy < 6; ++dy)
        AddMapPlacement(PlacementField, static_cast<std::uint16_t>(fx + dx), static_cast<std::uint16_t>(fy + dy));
    AddBusyObject(UnitList, fx - 1, fy - 1, UnitHarvester, p);
    AddBusyObject(UnitList, fx + 6, fy + 6, UnitHarvester, p);
    for (int k = 0; k < 4; ++k) AddBusyObject(UnitList, x + 3 + k, y + 15, UnitLightTank, p);
  }
  if (SaveMapFile("campaign.map") != MapFileResult::Ok) throw std::runtime_error("map not written");

  WormList.Count = 4;
  WormList.Entries[1] = TScenarioWormEntry{60, 40};
  WormList.Entries[2] = TScenarioWormEntry{140, 60};
  WormList.Entries[3] = TScenarioWormEntry{60, 140};
  WormList.Entries[4] = TScenarioWormEntry{140, 140};
  MapFileName = "campaign.map";
  Mission = TMissionRecord{};
  Mission.PlayerCount = BusyPlayers;
  Mission.MissionNumber = 1;
  Mission.GoalType = GoalNone;
  for (int k = 1; k <= 6; ++k) Mission.UpgradeLimits[k] = 3;
  for (int k = 1; k <= 35; ++k) Mission.Available[k] = 1;
  for (TPlayerRecord& p : Players) p = TPlayerRecord{};
  for (std::uint8_t p = 1; p <= BusyPlayers; ++p)
    InitPlayerRecord(Players[p], p, static_cast<std::uint8_t>(p % 3), p == 1 ? 1000 : 6000);
  if (!SaveScenario("campaign.scn")) throw std::runtime_error("scenario not written");
}

// Attack waves launched by the computer players, counted one event at a time.
int WavesLaunched = 0;
std::int32_t LastWaveTick = 0;
std::uint8_t WaveWas[BusyPlayers + 1] = {};
void CountingPlayerTick(TPlayerRecord& p) {
  PlayerTick(p);
  const int n = PlayerNumberOf(p);
  if (n < 1 || n > BusyPlayers) return;
  if (p.WaveActive != 0 && WaveWas[n] == 0) {
    ++WavesLaunched;
    LastWaveTick = WorldTickCount;
  }
  WaveWas[n] = p.WaveActive;
}

void BM_EightPlayerHalfHour(benchmark::State& state) {
  const std::vector<TRun> runs = HalfHours(state, "bench8", WriteBusyMissionFiles, [] {
    WavesLaunched = 0;
    LastWaveTick = 0;
    std::fill(std::begin(WaveWas), std::end(WaveWas), std::uint8_t{0});
    WorldClockCalls.PlayerTick = CountingPlayerTick;
  });
  Report(state, runs, WavesLaunched);
  state.counters["LastWaveMinute"] = static_cast<double>(LastWaveTick) / TicksPerMinute;
  state.counters["LocalBuildingsLeft"] = CountBuildingsOfPlayer(1);
  state.counters["UnitsAtEnd"] = CountLiveUnits();
  state.counters["UnitSlots"] = UnitSlots;
  state.counters["BuildingSlots"] = BuildingSlots;
  WorldClockCalls = DefaultWorldClockCalls;
  ClearMissionWorld();
}
BENCHMARK(BM_EightPlayerHalfHour)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

}  // namespace
