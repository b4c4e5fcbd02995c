#include <cstring>
#include <functional>

#include "tests/world/savefiles_fixture.h"

using namespace savefiles_test;

namespace {

class ScenarioTest : public SaveFilesTest {
 protected:
  // Three players: 1 on side 1 with 5000, 2 on side 0 with 7000, 3 on side 2 with 9000.
  static void ThreePlayers() {
    Mission.PlayerCount = 3;
    Mission.MissionNumber = 3;
    Mission.GoalType = GoalKillAllBuildings;
    const std::uint8_t sides[] = {1, 0, 2};
    for (int k = 1; k <= 3; ++k) {
      Players[k].Side = sides[k - 1];
      Players[k].Credits = 3000 + 2000 * k;
    }
    Players[5].Credits = 123;  // not taking part: must not reach the file
    Players[5].Side = 3;
  }
};

TEST_F(ScenarioTest, HeaderLayoutTitlesAndPlayersAboveTheCount) {
  EXPECT_EQ(ScenarioTitle(1, 3), "ALMIRETH3");
  EXPECT_EQ(ScenarioTitle(0, 10), "GORVASSEN10");
  EXPECT_EQ(ScenarioTitle(0, 123), "GORVASSEN12");  // cut to 11 characters

  ThreePlayers();
  PackWorldIntoScenario();
  ASSERT_TRUE(SaveScenario("empty.scn"));
  const auto b = Bytes("scenes/empty.scn");
  ASSERT_EQ(b.size(), 260u);  // nothing on the map: header and mission only
  EXPECT_EQ(b[0], 9);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[1]), 9), "ALMIRETH3");
  EXPECT_EQ(b[12], 8);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[13]), 8), "test.map");
  std::int32_t credits[8];
  std::memcpy(credits, &b[148], sizeof credits);
  EXPECT_EQ(credits[0], 5000);
  EXPECT_EQ(credits[2], 9000);
  for (int k = 3; k < 8; ++k) EXPECT_EQ(credits[k], 0) << k;
  EXPECT_EQ(b[180], 1);
  EXPECT_EQ(b[182], 2);
  for (int k = 3; k < 8; ++k) EXPECT_EQ(b[180 + k], 0) << k;
  EXPECT_EQ(0, std::memcmp(&b[188], &Mission, 72));

  // Reading it back sets up exactly the three players, from tick 0.
  EmptyWorld();
  WorldTickCount = 999;
  MapFileName = "other.map";
  // A player of a larger game before: nothing of it stays.
  InitPlayerRecord(Players[5], 5, 3, 7000);
  Players[5].UnitsMade = 12;
  ASSERT_FALSE(LoadScenario("empty.scn"));
  EXPECT_EQ(MapFileName, "test.map");
  EXPECT_EQ(WorldTickCount, 0);
  EXPECT_EQ(Mission.PlayerCount, 3);
  EXPECT_EQ(Mission.GoalType, GoalKillAllBuildings);
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(Players[k].Destroyed, 0) << k;
    EXPECT_EQ(Players[k].Number, k);
    EXPECT_EQ(Players[k].Credits, 3000 + 2000 * k);
  }
  EXPECT_EQ(Players[3].Side, 2);
  TPlayerRecord out{};
  out.Destroyed = 1;
  for (int k = 4; k <= 8; ++k) EXPECT_EQ(std::memcmp(&Players[k], &out, sizeof out), 0) << k;
  EXPECT_EQ(EditorSide, 1);
  EXPECT_EQ(EditorPlayer, 1);
}

TEST_F(ScenarioTest, RoundTripPacksLiveSlotsAndRewritesTheSameBytes) {
  ThreePlayers();
  InitUnit(Units[5], 30, 31, 5, 1, 1, 6);
  InitUnit(Units[9], 32, 33, 9, 0, 2, 4);
  InitBuilding(Buildings[7], 6, 6, 2, 1, 1, 7);
  InitBuilding(Buildings[12], 12, 6, 7, 2, 0, 12);
  CreateWorm(Worms[4], 45, 46, 4);
  PackWorldIntoScenario();
  ASSERT_EQ(UnitList.Count, 2);
  ASSERT_TRUE(SaveScenario("mission.scn"));
  const auto written = Bytes("scenes/mission.scn");
  EXPECT_EQ(written.size(), ScenarioFileSize(1, 2, 2));

  EmptyWorld();
  WormList.Count = UnitList.Count = BuildingList.Count = 0;
  ASSERT_FALSE(LoadScenario("mission.scn"));
  ASSERT_TRUE(LoadMapFile(MapFileName));
  BuildWorldFromScenario();

  // Slots 5 and 9 close up into 1 and 2.
  ASSERT_EQ(Units[1].Free, 0);
  ASSERT_EQ(Units[2].Free, 0);
  EXPECT_EQ(Units[5].Free, 1);
  EXPECT_EQ(Units[9].Free, 1);
  EXPECT_EQ(Units[1].Slot, 1);
  EXPECT_EQ(Units[1].Kind, 6);
  EXPECT_EQ(Units[1].X, 30);
  EXPECT_EQ(Units[1].Y, 31);
  EXPECT_EQ(Units[1].Owner, 1);
  EXPECT_EQ(Units[2].Kind, 4);
  EXPECT_EQ(Units[2].Owner, 2);
  EXPECT_EQ(Units[2].Side, 0);
  EXPECT_EQ(Buildings[1].Kind, 2);
  EXPECT_EQ(Buildings[2].Kind, 7);
  EXPECT_EQ(Buildings[2].X, 12);
  EXPECT_EQ(Buildings[7].Free, 1);
  EXPECT_NE(OccupancyMap.Cell(6, 6), 0);  // the yard holds its ground
  EXPECT_EQ(Worms[1].Removed, 0);
  EXPECT_EQ(Worms[1].X, 45);
  EXPECT_EQ(Worms[4].Removed, 1);

  PackWorldIntoScenario();
  EXPECT_EQ(EncodeScenarioFile(), written);
}

TEST_F(ScenarioTest, DamagedAndHostileFilesAreRefusedAndChangeNothing) {
  ThreePlayers();
  InitUnit(Units[1], 30, 31, 1, 1, 1, 6);
  InitBuilding(Buildings[1], 6, 6, 2, 1, 1, 1);
  PackWorldIntoScenario();
  const std::vector<std::uint8_t> good = EncodeScenarioFile();
  ASSERT_EQ(good.size(), 276u);

  // Units start at 260, buildings at 268.
  const std::vector<std::pair<const char*, std::function<void(std::vector<std::uint8_t>&)>>> damage = {
      {"truncated", [](auto& b) { b.pop_back(); }},
      {"trailing byte", [](auto& b) { b.push_back(0); }},
      {"shorter than the header", [](auto& b) { b.resize(100); }},
      {"11 worms", [](auto& b) { b[140] = 11; }},
      {"1001 units", [](auto& b) { b[142] = 0xE9; b[143] = 0x03; }},
      {"3001 buildings", [](auto& b) { b[144] = 0xB9; b[145] = 0x0B; }},
      {"no players", [](auto& b) { b[188 + 24] = 0; }},
      {"nine players", [](auto& b) { b[188 + 24] = 9; }},
      {"side of player 2", [](auto& b) { b[181] = 9; }},
      {"title too long", [](auto& b) { b[0] = 12; }},
      {"map name too long", [](auto& b) { b[12] = 128; }},
      {"empty map name", [](auto& b) { b[12] = 0; }},
      {"map name leaves maps", [](auto& b) { b[13] = '.'; b[14] = '.'; b[15] = '/'; }},
      {"unit kind 16", [](auto& b) { b[264] = 16; }},
      {"unit side 9", [](auto& b) { b[265] = 9; }},
      {"unit owner 0", [](auto& b) { b[266] = 0; }},
      {"unit owner 9", [](auto& b) { b[266] = 9; }},
      {"unit at column 0", [](auto& b) { b[260] = 0; }},
      {"unit past column 256", [](auto& b) { b[260] = 1; b[261] = 1; }},
      {"building kind 18", [](auto& b) { b[272] = 18; }},
      {"building owner 0", [](auto& b) { b[274] = 0; }},
  };

  // A different scenario is loaded: every refusal must leave it exactly so.
  EmptyWorld();
  Mission.PlayerCount = 2;
  Mission.MissionNumber = 8;
  Players[1].Credits = 4444;
  Players[1].Side = 2;
  MapFileName = "kept.map";
  PackWorldIntoScenario();
  const std::vector<std::uint8_t> before = EncodeScenarioFile();
  for (const auto& [what, spoil] : damage) {
    std::vector<std::uint8_t> bad = good;
    spoil(bad);
    EXPECT_NE(ApplyScenarioFile(bad), ScenarioFileResult::Ok) << what;
    EXPECT_EQ(EncodeScenarioFile(), before) << what;
    EXPECT_EQ(Players[1].Credits, 4444) << what;
    EXPECT_EQ(MapFileName, "kept.map") << what;
  }

  // Through the file: the player is told, and the result says failure.
  std::vector<std::uint8_t> bad = good;
  bad[142] = 0xFF;
  bad[143] = 0xFF;
  Write("scenes/bad.scn", bad);
  EXPECT_TRUE(LoadScenario("bad.scn"));
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_EQ(Shown[0], std::string("Файл scenes\\bad.scn повреждён"_cp1251));
  EXPECT_TRUE(LoadScenario("none.scn"));
  EXPECT_EQ(Shown.back(), std::string("Файл scenes\\none.scn отсутствует"_cp1251));
  EXPECT_TRUE(LoadScenario("../save/x"));
  EXPECT_EQ(EncodeScenarioFile(), before);
}

TEST_F(ScenarioTest, EntriesOffASmallerMapAreLeftOut) {
  InitUnit(Units[1], 60, 60, 1, 1, 1, 6);
  InitUnit(Units[2], 10, 10, 2, 1, 1, 6);
  PackWorldIntoScenario();
  MakeMap(32, 32);
  BuildWorldFromScenario();
  EXPECT_EQ(Units[1].Free, 1);
  EXPECT_EQ(Units[2].Free, 0);
  EXPECT_EQ(Units[2].X, 10);
}

TEST_F(ScenarioTest, AFailedWriteKeepsTheOldFileAndTellsThePlayer) {
  PackWorldIntoScenario();
  ASSERT_TRUE(SaveScenario("keep.scn"));
  const auto old = Bytes("scenes/keep.scn");
  // The new file's temporary name taken by a folder: the write fails for root too.
  const fs::path blocker = "scenes/keep.scn.tmp" + std::to_string(::getpid());
  fs::create_directory(blocker);
  Mission.MissionNumber = 5;
  Shown.clear();
  EXPECT_FALSE(SaveScenario("keep.scn"));
  fs::remove(blocker);
  EXPECT_EQ(Bytes("scenes/keep.scn"), old);
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_EQ(Shown.back(), std::string("Файл scenes\\keep.scn не записан"_cp1251));
  // A folder in the scenario's place stays a folder.
  fs::create_directory("scenes/folder.scn");
  EXPECT_FALSE(SaveScenario("folder.scn"));
  EXPECT_TRUE(fs::is_directory("scenes/folder.scn"));
  EXPECT_FALSE(SaveScenario("a/b.scn"));
}

}  // namespace
