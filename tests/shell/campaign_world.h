// A three-player desert mission made from scratch for the whole-game runs: a 96 x 96 map of
// sand with three rock plateaus and resource fields, the local player idle on its base, two
// computer players each with a yard, a refinery, factories, harvesters and credits, and two
// worms. It is written as real map and scenario files in a folder of its own and started the
// way the campaign starts a mission. Used by the tests and the bench, so no test framework here.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "game/base/random.h"
#include "game/net/netgame.h"
#include "game/shell/worldclock.h"
#include "game/world/dobjects.h"

namespace campaign_world {

namespace fs = std::filesystem;
using namespace zarn;

inline constexpr int MapSide = 96;
inline constexpr std::uint8_t SandByte = 0;
inline constexpr std::uint8_t RockByte = 4 << 5;
// 30 minutes of game time at 18.2 world ticks a second.
inline constexpr std::int32_t TicksPerMinute = 60 * 182 / 10;
inline constexpr std::int32_t HalfHourTicks = 30 * TicksPerMinute;

struct TPlateau {
  int X, Y;
};
// Top-left corners of the 20 x 20 rock plateaus of players 1, 2 and 3.
inline constexpr TPlateau Plateaus[4] = {{0, 0}, {4, 4}, {72, 4}, {4, 72}};
inline constexpr std::uint8_t Sides[4] = {0, 1, 0, 2};

inline bool OnPlateau(int x, int y) {
  for (int p = 1; p <= 3; ++p)
    if (x >= Plateaus[p].X && x < Plateaus[p].X + 20 && y >= Plateaus[p].Y && y < Plateaus[p].Y + 20) return true;
  return false;
}

inline void AddObject(auto& list, int x, int y, std::uint8_t kind, std::uint8_t owner) {
  ++list.Count;
  list.Entries[list.Count] = TScenarioObjectEntry{static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), kind,
                                                  Sides[owner], owner, 0};
}

inline void AddBase(std::uint8_t owner, bool computer) {
  const int x = Plateaus[owner].X + 2, y = Plateaus[owner].Y + 2;
  AddObject(BuildingList, x, y, BuildingConstructionYard, owner);
  AddObject(BuildingList, x + 5, y, BuildingRefinery, owner);
  AddObject(BuildingList, x + 10, y, BuildingPowerPlant, owner);
  AddObject(BuildingList, x, y + 5, BuildingPowerPlant, owner);
  if (!computer) return;
  AddObject(BuildingList, x + 5, y + 5, BuildingBarracks, owner);
  AddObject(BuildingList, x + 10, y + 5, BuildingLightFactory, owner);
  AddObject(BuildingList, x, y + 10, BuildingHeavyFactory, owner);
  AddObject(BuildingList, x + 5, y + 10, BuildingSilo, owner);
  AddObject(BuildingList, x + 10, y + 10, BuildingPowerPlant, owner);
  // Two harvesters on the sand just off the plateau, four tanks on it.
  const int sx = owner == 2 ? Plateaus[owner].X - 3 : Plateaus[owner].X + 3;
  const int sy = owner == 2 ? Plateaus[owner].Y + 3 : Plateaus[owner].Y - 3;
  AddObject(UnitList, sx, sy, UnitHarvester, owner);
  AddObject(UnitList, sx + (owner == 2 ? 0 : 3), sy + (owner == 2 ? 3 : 0), UnitHarvester, owner);
  for (int k = 0; k < 4; ++k) AddObject(UnitList, x + 3 + k, y + 15, UnitLightTank, owner);
}

// The map and the scenario, as files of the current folder.
inline void WriteMissionFiles() {
  SetMapSizeAndClear(MapSide, MapSide);
  for (int x = 1; x <= MapSide; ++x)
    for (int y = 1; y <= MapSide; ++y) GameMap.Cell(x, y) = OnPlateau(x, y) ? RockByte : SandByte;
  ResetMapPlacements();
  // 5 x 5 patches of resource cells on the sand between the bases.
  for (const auto& [fx, fy] : {std::pair{34, 10}, std::pair{60, 30}, std::pair{10, 34}, std::pair{30, 60},
                               std::pair{46, 46}, std::pair{80, 36}, std::pair{36, 80}, std::pair{70, 70}})
    for (int dx = 0; dx < 5; ++dx)
      for (int dy = 0; dy < 5; ++dy)
        AddMapPlacement(PlacementField, static_cast<std::uint16_t>(fx + dx), static_cast<std::uint16_t>(fy + dy));
  AddMapPlacement(PlacementBloom, 56, 56);
  AddMapPlacement(PlacementBloom, 40, 64);
  if (SaveMapFile("campaign.map") != MapFileResult::Ok) throw std::runtime_error("map not written");

  WormList.Count = 0;
  UnitList.Count = 0;
  BuildingList.Count = 0;
  WormList.Count = 2;
  WormList.Entries[1] = TScenarioWormEntry{62, 40};
  WormList.Entries[2] = TScenarioWormEntry{40, 62};
  AddBase(1, false);
  AddBase(2, true);
  AddBase(3, true);
  MapFileName = "campaign.map";
  Mission = TMissionRecord{};
  Mission.PlayerCount = 3;
  Mission.MissionNumber = 1;
  Mission.GoalType = GoalNone;
  for (int k = 1; k <= 6; ++k) Mission.UpgradeLimits[k] = 3;
  for (int k = 1; k <= 35; ++k) Mission.Available[k] = 1;
  for (TPlayerRecord& p : Players) p = TPlayerRecord{};
  for (std::uint8_t n = 1; n <= 3; ++n) InitPlayerRecord(Players[n], n, Sides[n], n == 1 ? 1000 : 20000);
  if (!SaveScenario("campaign.scn")) throw std::runtime_error("scenario not written");
}

// The campaign's mission start and the begin button: scenario, its map, the map's start
// objects, the world from the lists, then the game start.
inline void StartMissionFromFiles() {
  dobjectsInitialization();
  if (LoadScenario("campaign.scn")) throw std::runtime_error("scenario not loaded");
  if (!BuildScenarioWorld()) throw std::runtime_error("map not loaded");
  GameScreen = 7;
  StartGame();
}

// Every unit, building, worm, resource cell and bloom gone.
inline void ClearWorld() {
  KillAllUnits();
  DestroyAllBuildings();
  RemoveAllWorms();
  ClearOssinFields();
  RemoveAllBlooms();
}

// After a mission: the world emptied and the players, mission record and clock of a fresh
// program, by the game's own resets.
inline void ClearMissionWorld() {
  EmptyTheWorld();
  ResetGameRecords();
  MapFileName = "alm1.map";
}

// World-timer events of single play on the play screen, each with the interface-timer events
// that fall between two of them at the game's speed (shots fly on the interface clock).
inline void Step(std::int32_t ticks) {
  ApplyGameSpeed();
  const std::int32_t interfaceTicks = WorldTimerInterval / ClockTickMs;
  for (std::int32_t i = 0; i < ticks; ++i) {
    for (std::int32_t k = 0; k < interfaceTicks; ++k) InterfaceTimerStep();
    ++WorldTickCount;
    LocalWorldTick();
  }
}

template <typename T>
void AppendBytes(std::vector<std::uint8_t>& out, const T& v) {
  const auto* b = reinterpret_cast<const std::uint8_t*>(&v);
  out.insert(out.end(), b, b + sizeof v);
}

// Every world table byte for byte, with the clock and the random generator's state. A free unit
// or building slot counts only as free: what a dead record leaves behind is not game state, and
// a saved game does not carry it.
inline std::vector<std::uint8_t> WorldBytes() {
  std::vector<std::uint8_t> out;
  static TUnitTable units;
  static TBuildingTable buildings;
  units = Units;
  buildings = Buildings;
  for (TUnitRecord& u : units)
    if (u.Free != 0) {
      u = TUnitRecord{};
      u.Free = 1;
      u.OffMap = 1;
    }
  for (TBuildingRecord& b : buildings)
    if (b.Free != 0) {
      b = TBuildingRecord{};
      b.Free = 1;
    }
  AppendBytes(out, units);
  AppendBytes(out, buildings);
  AppendBytes(out, Worms);
  AppendBytes(out, OssinFields);
  AppendBytes(out, OssinBlooms);
  AppendBytes(out, GroundMarks);
  AppendBytes(out, Decals);
  AppendBytes(out, Explosions);
  AppendBytes(out, UnitShots);
  AppendBytes(out, BuildingShots);
  AppendBytes(out, Players);
  AppendBytes(out, Mission);
  AppendBytes(out, GameMap);
  AppendBytes(out, ShroudMap);
  AppendBytes(out, OccupancyMap);
  AppendBytes(out, WorldTickCount);
  AppendBytes(out, RandSeed);
  return out;
}

// A folder of its own with maps, scenes and save inside; the current folder while it lives.
class TGameFolder {
 public:
  explicit TGameFolder(const std::string& tag) {
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("zarn_campaign_" + tag + "_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    for (const char* sub : {"maps", "scenes", "save"}) fs::create_directories(dir_ / sub);
    fs::current_path(dir_);
  }
  ~TGameFolder() {
    std::error_code ec;
    fs::current_path(old_, ec);
    fs::remove_all(dir_, ec);
  }
  TGameFolder(const TGameFolder&) = delete;
  TGameFolder& operator=(const TGameFolder&) = delete;

 private:
  fs::path old_, dir_;
};

// The campaign's maps and scenarios of a game folder, copied into the current folder.
inline void CopyCampaignFiles(const fs::path& game) {
  for (const char* d : {"maps", "scenes"})
    fs::copy(game / d, d, fs::copy_options::overwrite_existing | fs::copy_options::recursive);
}

// The settings, the hooks, the clocks and the generator as a fresh program without a settings
// file has them, single play at a fixed seed. The world is the mission start's to set.
inline void FreshProgram(std::uint32_t seed) {
  SetDefaultOptions();  // no settings file: a settings test before must not set the unit limit
  ResetHooks();
  // With the hooks reset, a mission start cannot end a network game an earlier test left open.
  NetTeardown();
  NetRole = RoleSingle;
  // The interface clock of a program just started. The world's records keep its absolute
  // values (a shot's next step, a marker's frames, an explosion's), so a later start plays the
  // same but its tables differ by the time the program has run.
  TickCount = 0;
  WorldClockCalls = DefaultWorldClockCalls;
  Randomize(seed);
}

}  // namespace campaign_world
