// A world in an empty folder of its own (with maps, scenes and save inside) on a 64 x 64 map
// of sand with a rock plateau, for the scenario, saved-game and game-start tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/world/dobjects.h"
#include "tests/world/empty_world.h"

namespace savefiles_test {

namespace fs = std::filesystem;
using namespace zarn;

inline constexpr std::uint8_t SandByte = 0;
inline constexpr std::uint8_t RockByte = 4 << 5;

inline std::vector<std::string> Shown;

inline std::vector<std::uint8_t> Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void Write(const fs::path& p, const std::vector<std::uint8_t>& b) {
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

inline void EmptyWorld() {
  NoUnitsOrBuildings();
  for (TWormRecord& w : Worms) {
    w = TWormRecord{};
    w.Removed = 1;
  }
  for (TOssinFieldRecord& f : OssinFields) {
    f = TOssinFieldRecord{};
    f.Free = 1;
  }
  for (TOssinBloomRecord& b : OssinBlooms) {
    b = TOssinBloomRecord{};
    b.Removed = 1;
  }
  for (TDecalRecord& d : Decals) d = TDecalRecord{0, 0, 0, 1, 0};
  for (TGroundMark& g : GroundMarks) g = TGroundMark{1, 0, 0, 0, 0, 0};
  for (TExplosionRecord& e : Explosions) {
    e = TExplosionRecord{};
    e.Free = 1;
  }
  UnitShots = {};
  BuildingShots = {};
  for (TPlayerRecord& p : Players) p = TPlayerRecord{};
  Mission = TMissionRecord{{}, 2, 1, GoalCredits2000, {}, 0};
  ViewState = TViewState{};
  DebugFlags = DefaultDebugFlags;
  WorldTickCount = 0;
  TickCount = 0;
  UnitSlots = DefaultUnitSlots;
  BuildingSlots = DefaultBuildingSlots;
  LocalPlayer = 1;
  NetRole = RoleSingle;
}

// Sand with a 16 x 16 rock plateau at (5, 5), a field placement and a bloom placement.
inline void MakeMap(int w, int h) {
  SetMapSizeAndClear(w, h);
  for (int x = 1; x <= w; ++x)
    for (int y = 1; y <= h; ++y) GameMap.Cell(x, y) = (x >= 5 && x < 21 && y >= 5 && y < 21) ? RockByte : SandByte;
  ResetMapPlacements();
  AddMapPlacement(PlacementField, 40, 40);
  AddMapPlacement(PlacementBloom, 50, 50);
}

class SaveFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHooks();
    Shown.clear();
    ShowMessageProc = [](std::string_view t) { Shown.emplace_back(t); };
    Randomize(7);
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("zarn_savefiles_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "maps");
    fs::create_directories(dir_ / "scenes");
    fs::create_directories(dir_ / "save");
    fs::current_path(dir_);
    EmptyWorld();
    MakeMap(64, 64);
    ASSERT_EQ(SaveMapFile("test.map"), MapFileResult::Ok);
    MapFileName = "test.map";
    InitShroud();
    ClearOccupancy();
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
    EmptyWorld();
    SetMapSizeAndClear(64, 64);
    ResetMapPlacements();
    MapFileName = "alm1.map";
    ResetHooks();
  }
  fs::path old_, dir_;
};

}  // namespace savefiles_test
