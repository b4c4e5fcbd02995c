// zarn_demoscenes OUT: writes the campaign's maps and scenarios (three factions, twelve missions
// each: OUT/maps/<pre><n>.map and OUT/scenes/<pre><n>.scn) and a few network maps
// (OUT/maps/net<n>.map), all through the game's own map and scenario writers.
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "game/world/dobjects.h"
#include "tools/demoscenes/layout.h"

namespace {

using namespace zarn;
using namespace demoscenes;

// Side of each faction, its file prefix, and the side of the first opponent in each mission
// whose briefing names the enemy (-1: the briefing names none). The briefings tell these.
struct Faction {
  std::uint8_t Side;
  const char* Prefix;
  std::array<int, 12> NamedEnemy;
};
constexpr Faction Factions[] = {
    {1, "alm", {-1, -1, 0, -1, -1, -1, 2, -1, 0, -1, -1, -1}},
    {2, "tel", {-1, -1, -1, -1, -1, -1, 0, -1, 1, -1, -1, -1}},
    {0, "gor", {-1, 1, 1, -1, -1, -1, 1, -1, 2, -1, -1, -1}},
};

// Opponents' sides: the named enemy first, then the other factions in turn, never the
// player's own and never one twice.
std::vector<std::uint8_t> EnemySides(const Faction& f, int mission, int count) {
  std::vector<std::uint8_t> sides;
  const int named = f.NamedEnemy[static_cast<std::size_t>(mission - 1)];
  if (named >= 0) sides.push_back(static_cast<std::uint8_t>(named));
  for (std::uint8_t s = 0; static_cast<int>(sides.size()) < count; s = static_cast<std::uint8_t>((s + 1) % 4))
    if (s != f.Side && std::find(sides.begin(), sides.end(), s) == sides.end()) sides.push_back(s);
  return sides;
}

// What each mission adds to what may be produced (unit kinds and building kinds).
struct Unlock {
  std::vector<std::uint8_t> Units, Buildings;
};
const Unlock Unlocks[12] = {
    {{UnitInfantryman, UnitTrike, UnitHarvester}, {BuildingPowerPlant, BuildingRefinery, BuildingSilo, BuildingBarracks, BuildingWall}},
    {{UnitInfantrySquad, UnitQuad}, {BuildingRadar, BuildingLightFactory}},
    {{UnitLightTank}, {BuildingHeavyFactory, BuildingGunTurret}},
    {{UnitHeavyTrooper}, {BuildingAcademy}},
    {{UnitHeavySquad, UnitSiegeTank}, {BuildingRepairFactory}},
    {{UnitRocketLauncher, UnitConstructionVehicle}, {BuildingRocketTurret}},
    {{UnitCarrier}, {BuildingAirFactory}},
    {{UnitTremolanTank, UnitGromador, UnitPerwolan}, {BuildingResearchCentre}},
    {{UnitSkeltrel}, {BuildingStarport}},
    {{}, {BuildingPalace}},
    {{}, {}},
    {{}, {}},
};

void SetAvailability(int mission) {
  for (std::uint8_t& a : Mission.Available) a = 0;
  Mission.Available[ItemSlab] = 1;
  Mission.Available[ItemSlabBlock] = 1;
  for (int m = 0; m < mission; ++m) {
    for (std::uint8_t k : Unlocks[m].Units) Mission.Available[UnitKindToItem(k)] = 1;
    for (std::uint8_t k : Unlocks[m].Buildings) Mission.Available[BuildingKindToItem(k)] = 1;
  }
  const std::int32_t limit = std::min(3, mission / 3);
  for (std::int32_t& l : Mission.UpgradeLimits) l = limit;
}

// The base a player starts with grows through the campaign; computer players get more.
std::vector<std::uint8_t> BaseOf(int mission, bool computer) {
  std::vector<std::uint8_t> b = {BuildingConstructionYard, BuildingPowerPlant, BuildingRefinery};
  if (mission >= 3 || computer) b.push_back(BuildingBarracks);
  if (computer) {
    b.push_back(BuildingPowerPlant);
    if (mission >= 2) b.push_back(BuildingLightFactory);
    if (mission >= 4) b.push_back(BuildingHeavyFactory);
    if (mission >= 3) b.push_back(BuildingGunTurret);
    if (mission >= 7) b.push_back(BuildingAirFactory);
    if (mission >= 6) b.push_back(BuildingRocketTurret);
  }
  return b;
}

std::vector<std::uint8_t> ArmyOf(int mission, bool computer) {
  std::vector<std::uint8_t> a = {UnitHarvester, UnitInfantryman, UnitInfantryman, UnitTrike};
  if (mission >= 3) a.push_back(UnitLightTank);
  if (mission >= 5) a.push_back(UnitSiegeTank);
  if (computer) {
    for (int i = 0; i < mission / 2; ++i) a.push_back(mission >= 6 ? UnitRocketLauncher : UnitQuad);
    if (mission >= 8) a.push_back(UnitLightTank);
  }
  return a;
}

bool WriteMission(const Faction& f, int mission) {
  const std::string stem = std::string(f.Prefix) + std::to_string(mission);
  const int size = mission <= 3 ? 64 : mission <= 8 ? 96 : 128;
  const int players = mission <= 4 ? 2 : mission <= 8 ? 3 : 4;
  const std::vector<Plateau> bases = CornerPlateaus(size, size, players);
  DrawMap(size, size, bases, 2 + mission / 6, 3 + mission, 1000u * f.Side + mission);
  MapFileName = stem + ".map";
  if (SaveMapFile(MapFileName) != MapFileResult::Ok) return false;

  Mission.PlayerCount = players;
  Mission.MissionNumber = mission;
  Mission.GoalType = CampaignGoal(mission);
  SetAvailability(mission);
  WormList.Count = UnitList.Count = BuildingList.Count = 0;
  const std::vector<std::uint8_t> enemies = EnemySides(f, mission, players - 1);
  for (int k = 1; k <= players; ++k) {
    const std::uint8_t side = k == 1 ? f.Side : enemies[static_cast<std::size_t>(k - 2)];
    Players[k].Side = side;
    // The player starts below every money goal: a mission is never won before it begins.
    Players[k].Credits = k == 1 ? 1000 + 500 * mission : 1500 + 750 * mission;
    PlaceBase(bases[k - 1], size, BaseOf(mission, k > 1), static_cast<std::uint8_t>(k), side);
    PlaceUnits(bases[k - 1], size, ArmyOf(mission, k > 1), static_cast<std::uint8_t>(k), side);
  }
  // Worms from the third mission on, in the open sand of the middle.
  for (int i = 0; mission >= 3 && i < 1 + mission / 5; ++i) {
    const std::uint16_t x = static_cast<std::uint16_t>(size / 2 - 8 + 8 * i), y = static_cast<std::uint16_t>(size / 2 + 10);
    WormList.Entries[++WormList.Count] = {x, y};
  }
  return SaveScenario(stem + ".scn");
}

bool WriteNetMap(int n, int size, int seats) {
  DrawMap(size, size, CornerPlateaus(size, size, seats), 3, 6, 5000u + n);
  return SaveMapFile("net" + std::to_string(n) + ".map") == MapFileResult::Ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: zarn_demoscenes OUT\n");
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(argv[1]) / "maps", ec);
  std::filesystem::create_directories(std::filesystem::path(argv[1]) / "scenes", ec);
  std::filesystem::current_path(argv[1], ec);
  if (ec) {
    std::fprintf(stderr, "zarn_demoscenes: cannot enter %s\n", argv[1]);
    return 1;
  }
  bool ok = true;
  for (const Faction& f : Factions)
    for (int m = 1; m <= 12; ++m) ok = WriteMission(f, m) && ok;
  ok = WriteNetMap(1, 64, 2) && ok;
  ok = WriteNetMap(2, 96, 4) && ok;
  ok = WriteNetMap(3, 128, 8) && ok;
  if (!ok) std::fprintf(stderr, "zarn_demoscenes: a map or scenario could not be written\n");
  return ok ? 0 : 1;
}
