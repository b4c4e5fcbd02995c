// One world step of a single-player game with every table full: 1000 units (a third moving
// across the map, a third attacking, the rest idle and searching), 3000 buildings, both shot
// tables in flight and ten worms out hunting, on a 256 x 256 map. Each iteration starts from the
// same world.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <utility>

#include "game/shell/worldclock.h"
#include "game/world/dobjects.h"
#include "game/world/shots.h"
#include "game/world/turrets.h"

namespace {

using namespace zarn;

struct WorldCopy {
  TUnitTable units;
  TBuildingTable buildings;
  TShotTable unitShots, buildingShots;
  TExplosionTable explosions;
  TDecalTable decals;
  TGroundMarkTable marks;
  TWormTable worms;
  TCellArea occupancy;
  Table1<TPlayerRecord, MaxPlayers> players;
  std::int32_t tick;
};

void BuildFullWorld() {
  SetMapSizeAndClear(256, 256);
  std::fill(std::begin(OccupancyMap.Cells), std::end(OccupancyMap.Cells), 0);
  KillAllUnits();
  DestroyAllBuildings();
  ClearOssinFields();
  ClearProjectiles();
  ClearSecondProjectiles();
  RemoveAllWorms();
  UnitSlots = MaxUnitSlots;
  BuildingSlots = MaxBuildingSlots;
  NetRole = RoleSingle;
  LocalPlayer = 1;
  WorldTickCount = 1;

  // Buildings on a 4-tile grid over the top 188 rows, every kind but slabs and walls.
  int slot = 1;
  for (int row = 0; row < 47 && slot <= MaxBuildingSlots; ++row)
    for (int col = 0; col < 64 && slot <= MaxBuildingSlots; ++col, ++slot) {
      const auto kind = static_cast<std::uint8_t>(2 + slot % 16);
      const auto owner = static_cast<std::uint8_t>(1 + slot % 8);
      InitBuilding(Buildings[slot], 1 + col * 4, 1 + row * 4, kind, owner, 0, static_cast<std::uint16_t>(slot));
    }

  // Units in the band below, owners 1 and 2 facing each other.
  static constexpr std::uint8_t kinds[] = {0, 2, 4, 6, 7, 8, 9, 10, 11, 13, 14, 15};
  for (int i = 1; i <= MaxUnitSlots; ++i) {
    const int x = 1 + ((i - 1) % 125) * 2, y = 192 + ((i - 1) / 125) * 8;
    const auto owner = static_cast<std::uint8_t>(x < 128 ? 1 : 2);
    InitUnit(Units[i], x, y, static_cast<std::uint16_t>(i), owner - 1, owner,
             kinds[static_cast<std::size_t>(i) % std::size(kinds)]);
  }
  for (int i = 1; i <= MaxUnitSlots; ++i) {
    TUnitRecord& u = Units[i];
    if (i % 3 == 0) MoveTo(u, 257 - u.X, 448 - u.Y);
    else if (i % 3 == 1) AttackAt(u, 250 - u.X, u.Y);
  }

  for (int i = 1; i <= ShotSlots; ++i) {
    FireUnitShot(1 + i, 200, 250 - i, 250, UnitLightTank, 2, 0, static_cast<std::uint16_t>(i), 16, 8);
    FireBuildingShot(1 + i, 10, 250 - i, 240, BuildingGunTurret, 0, 0, 3, static_cast<std::uint16_t>(i), 16, 8);
  }
  // Ten worms due to hunt: five within reach of the units' band, five too far from it to reach
  // any unit, which look again on every tick.
  static constexpr std::pair<int, int> wormTiles[] = {{30, 170},  {90, 180}, {150, 175}, {210, 185}, {250, 160},
                                                      {20, 30},   {70, 60},  {130, 40},  {190, 80},  {240, 20}};
  for (int w = 1; w <= WormSlots; ++w) {
    const auto [x, y] = wormTiles[w - 1];
    CreateWorm(Worms[w], x, y, w);
    Worms[w].HuntTime = WorldTickCount;
  }
  WorldTickCount = 1003;  // a building tick
}

void Save(WorldCopy& c) {
  c.units = Units;
  c.buildings = Buildings;
  c.unitShots = UnitShots;
  c.buildingShots = BuildingShots;
  c.explosions = Explosions;
  c.decals = Decals;
  c.marks = GroundMarks;
  c.worms = Worms;
  c.occupancy = OccupancyMap;
  c.players = Players;
  c.tick = WorldTickCount;
}

void Restore(const WorldCopy& c) {
  Units = c.units;
  Buildings = c.buildings;
  UnitShots = c.unitShots;
  BuildingShots = c.buildingShots;
  Explosions = c.explosions;
  Decals = c.decals;
  GroundMarks = c.marks;
  Worms = c.worms;
  OccupancyMap = c.occupancy;
  Players = c.players;
  WorldTickCount = c.tick;
  RebuildTileIndex();  // the unit and building tables were written wholesale
  ++BuildingChanges;
}

void BM_WorldStepFull(benchmark::State& state) {
  WorldClockCalls = DefaultWorldClockCalls;
  BuildFullWorld();
  auto start = std::make_unique<WorldCopy>();
  Save(*start);
  // A few steps first, so that the measured step has paths in mid-walk, not only fresh plans.
  for (int i = 0; i < 8; ++i) {
    ++WorldTickCount;
    LocalWorldTick();
  }
  auto warm = std::make_unique<WorldCopy>();
  Save(*warm);
  for (auto _ : state) {
    state.PauseTiming();
    Restore(*warm);
    state.ResumeTiming();
    LocalWorldTick();
  }
  Restore(*start);
  WorldClockCalls = DefaultWorldClockCalls;
}
BENCHMARK(BM_WorldStepFull)->Unit(benchmark::kMicrosecond);

// The worms' part of the step above, on the first tick, when all ten look for prey at once.
void BM_WormStepAmongFullWorld(benchmark::State& state) {
  BuildFullWorld();
  auto start = std::make_unique<WorldCopy>();
  Save(*start);
  for (auto _ : state) {
    state.PauseTiming();
    Restore(*start);
    state.ResumeTiming();
    for (int w = 1; w <= WormSlots; ++w) WormTick(Worms[w]);
  }
  int hunting = 0;
  for (int w = 1; w <= WormSlots; ++w) hunting += Worms[w].Behaviour == WormHunting ? 1 : 0;
  state.counters["Hunting"] = hunting;
  Restore(*start);
}
BENCHMARK(BM_WormStepAmongFullWorld)->Unit(benchmark::kMicrosecond);

// The worst case of the worms' search: 1000 units, each on a sand tile walled in by rock, round
// ten worms on the open sand between them. No path reaches any unit, so every worm looks again
// on every tick.
void BM_WormSearchAmongWalledOffUnits(benchmark::State& state) {
  BuildFullWorld();
  constexpr std::uint8_t rock = 4 << 5;
  for (int x = 1; x <= 256; ++x)
    for (int y = 1; y <= 256; ++y) GameMap.Cell(x, y) = 0;
  KillAllUnits();
  DestroyAllBuildings();
  for (int i = 1; i <= MaxUnitSlots; ++i) {
    // Pockets on a 4-tile lattice of 40 x 25 from (50, 78).
    const int x = 50 + ((i - 1) % 40) * 4, y = 78 + ((i - 1) / 40) * 4;
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy)
        if (dx != 0 || dy != 0) GameMap.Cell(x + dx, y + dy) = rock;
    const auto owner = static_cast<std::uint8_t>(1 + i % 2);
    InitUnit(Units[i], x, y, static_cast<std::uint16_t>(i), owner - 1, owner, UnitLightTank);
  }
  for (int w = 1; w <= WormSlots; ++w) {
    CreateWorm(Worms[w], 52 + 16 * w, 80 + 8 * w, w);
    Worms[w].HuntTime = WorldTickCount;
  }
  auto start = std::make_unique<WorldCopy>();
  Save(*start);
  for (auto _ : state) {
    for (int w = 1; w <= WormSlots; ++w) WormTick(Worms[w]);
    ++WorldTickCount;
  }
  int hunting = 0;
  for (int w = 1; w <= WormSlots; ++w) hunting += Worms[w].Behaviour == WormHunting ? 1 : 0;
  state.counters["Hunting"] = hunting;
  Restore(*start);
}
BENCHMARK(BM_WormSearchAmongWalledOffUnits)->Unit(benchmark::kMicrosecond);

}  // namespace
