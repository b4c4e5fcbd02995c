#include <sys/resource.h>
#include <sys/wait.h>

#include <cstring>
#include <functional>
#include <limits>
#include <tuple>

#include "tests/world/savefiles_fixture.h"

using namespace savefiles_test;

namespace {

class SaveGameTest : public SaveFilesTest {
 protected:
  // A game under way: units with gaps (and the delivery carrier in slot 0), buildings, a worm,
  // resource cells, a bloom, a decal, a shot, players with money and a shroud half uncovered.
  static void GameUnderWay() {
    Mission.PlayerCount = 2;
    Mission.MissionNumber = 4;
    Mission.GoalType = GoalSurvive30;
    InitPlayerRecord(Players[1], 1, 1, 5000);
    InitPlayerRecord(Players[2], 2, 0, 7000);
    WorldTickCount = 1234;
    TickCount = 98765;
    InitUnit(Units[0], 1, 1, 0, 1, 1, UnitCarrier);
    InitUnit(Units[3], 30, 30, 3, 1, 1, 6);
    InitUnit(Units[17], 31, 30, 17, 0, 2, 8);
    Units[17].Health = 77;
    InitBuilding(Buildings[2], 6, 6, 2, 1, 1, 2);
    InitBuilding(Buildings[40], 12, 12, 0, 2, 0, 40);
    CreateWorm(Worms[2], 50, 20, 2);
    NewOssinField(40, 40, 650);
    AddBloom(50, 50);
    Decals[3] = TDecalRecord{250, 160, 176, 0, 0};
    UnitShots[5].Active = 1;
    UnitShots[5].Shooter = 3;
    for (int x = 1; x <= 32; ++x)
      for (int y = 1; y <= 64; ++y) ShroudMap.Cell(x, y) = ShroudVisible;
    ViewState.ViewX = 12;
    ViewState.ViewY = 9;
    SetMinimapScalesFromMap();
    ViewState.SelectedCount = 1;
    ViewState.Selection[1] = TSelectionEntry{3, 1, 0};
    UnitSlots = 200;
    BuildingSlots = 200;
  }
};

TEST_F(SaveGameTest, LengthFollowsTheBlocksAndUnitsFollowTheFlags) {
  ASSERT_TRUE(SaveGame("empty.sav"));
  EXPECT_EQ(fs::file_size("save/empty.sav"), SaveGameFileSize(0, 0, 64, 64));
  EXPECT_EQ(fs::file_size("save/empty.sav"), 68287u + 4 + 4096);

  GameUnderWay();
  ASSERT_TRUE(SaveGame("game.sav"));
  const auto b = Bytes("save/game.sav");
  ASSERT_EQ(b.size(), SaveGameFileSize(3, 2, 64, 64));
  EXPECT_EQ(b.size(), 144u + 72 + 636 + 3 + 3 * 260 + 2 * 144 + 16000 + 1200 + 2120 + 6000 + 8000 + 1200 + 9000 +
                          9000 + 14912 + 4 + 64 * 64);
  std::int32_t counts[4];
  std::memcpy(counts, &b[128], sizeof counts);
  EXPECT_EQ(counts[0], 3);
  EXPECT_EQ(counts[1], 2);
  EXPECT_EQ(counts[2], 1234);
  EXPECT_EQ(counts[3], 98765);
  // Slot order, slot 0 first; each record carries its own slot.
  std::uint16_t slot;
  std::memcpy(&slot, &b[855 + 12], 2);
  EXPECT_EQ(slot, 0);
  std::memcpy(&slot, &b[855 + 2 * 260 + 12], 2);
  EXPECT_EQ(slot, 17);
  std::memcpy(&slot, &b[855 + 3 * 260 + 144 + 4], 2);
  EXPECT_EQ(slot, 40);
  // The shroud, row by row: the first row starts with 32 visible cells.
  const std::size_t shroud = b.size() - 4096;
  EXPECT_EQ(b[shroud - 4], 64);
  EXPECT_EQ(b[shroud + 31], ShroudVisible);
  EXPECT_EQ(b[shroud + 32], ShroudCovered);
  EXPECT_EQ(b[shroud + 64 + 31], ShroudVisible);

  // No units: the buildings follow the debug flags directly.
  KillAllUnits();
  ASSERT_TRUE(SaveGame("nounits.sav"));
  const auto n = Bytes("save/nounits.sav");
  std::memcpy(&slot, &n[855 + 4], 2);
  EXPECT_EQ(slot, 2);
}

TEST_F(SaveGameTest, RoundTripRestoresTheWorldByteForByte) {
  GameUnderWay();
  ASSERT_TRUE(SaveGame("game.sav"));
  const auto written = Bytes("save/game.sav");

  // Another game runs when the save is loaded.
  EmptyWorld();
  MakeMap(40, 30);
  InitShroud();
  MapFileName = "elsewhere.map";
  InitUnit(Units[1], 5, 5, 1, 0, 2, 4);
  // It looks for targets on a tick of the saved game's number.
  WorldTickCount = 1234;
  BuildingSlots = 200;
  FindTarget(Units[1]);
  DebugFlags = TDebugFlags{0, 0, 1};
  ASSERT_TRUE(LoadGame("game.sav"));
  EXPECT_TRUE(Shown.empty());

  EXPECT_EQ(MapFileName, "test.map");
  EXPECT_EQ(GameMap.Width, 64);
  EXPECT_EQ(GameMap.Cell(6, 6), RockByte);
  EXPECT_EQ(WorldTickCount, 1234);
  EXPECT_EQ(TickCount, 98765);
  EXPECT_EQ(Units[1].Free, 1);  // the running game's unit is gone
  EXPECT_EQ(Units[17].Free, 0);  // slots kept, gaps stay
  EXPECT_EQ(Units[17].Health, 77);
  EXPECT_EQ(Units[0].Kind, UnitCarrier);
  EXPECT_NE(OccupancyMap.Cell(6, 6), 0);  // the yard's footprint is marked again
  EXPECT_EQ(OccupancyMap.Cell(12, 12), 0);  // slabs hold no ground
  EXPECT_EQ(DebugFlags.GodMode, 0);
  EXPECT_EQ(EncodeSaveGame(), written);
  // On the same tick a unit sees the loaded buildings, not the running game's.
  InitUnit(Units[20], 8, 8, 20, 0, 2, 6);
  ASSERT_EQ(FindTarget(Units[20]), 1);
  EXPECT_EQ(Units[20].TargetSlot, 2);

  // In debug mode the running flags stay.
  DebugFlags = TDebugFlags{1, 0, 1};
  ASSERT_TRUE(LoadGame("game.sav"));
  EXPECT_EQ(DebugFlags.GodMode, 1);
  EXPECT_EQ(DebugFlags.ShadowEnabled, 0);
}

TEST_F(SaveGameTest, DamagedAndHostileSavesAreRefusedAndTheGameGoesOn) {
  GameUnderWay();
  ASSERT_TRUE(SaveGame("game.sav"));
  const auto good = Bytes("save/game.sav");
  const std::size_t unit1 = 855 + 260, building0 = 855 + 3 * 260;
  const std::size_t shroud = good.size() - 4096 - 4;
  const std::size_t players = shroud - 14912;

  auto put16 = [](std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) { std::memcpy(&b[at], &v, 2); };
  auto put32 = [](std::vector<std::uint8_t>& b, std::size_t at, std::int32_t v) { std::memcpy(&b[at], &v, 4); };
  const std::vector<std::pair<const char*, std::function<void(std::vector<std::uint8_t>&)>>> damage = {
      {"truncated", [](auto& b) { b.pop_back(); }},
      {"trailing byte", [](auto& b) { b.push_back(9); }},
      {"only a header", [](auto& b) { b.resize(144); }},
      {"negative unit count", [&](auto& b) { put32(b, 128, -1); }},
      {"1002 units", [&](auto& b) { put32(b, 128, 1002); }},
      {"3001 buildings", [&](auto& b) { put32(b, 132, 3001); }},
      {"one unit more than written", [&](auto& b) { put32(b, 128, 4); }},
      {"unit slot 1001", [&](auto& b) { put16(b, unit1 + 12, 1001); }},
      {"unit slot twice", [&](auto& b) { put16(b, unit1 + 12, 17); }},
      {"unit kind 16", [](auto& b) { b[unit1 + 68] = 16; }},
      {"unit side 9", [](auto& b) { b[unit1 + 64] = 9; }},
      {"unit owner 0", [](auto& b) { b[unit1 + 66] = 0; }},
      {"unit off the map", [&](auto& b) { put32(b, unit1 + 40, 65); }},
      {"unit path too long", [&](auto& b) { put16(b, unit1 + 220, 11); }},
      {"free unit record", [](auto& b) { b[unit1 + 72] = 1; }},
      {"building slot 0", [&](auto& b) { put16(b, building0 + 4, 0); }},
      {"building slot 3001", [&](auto& b) { put16(b, building0 + 4, 3001); }},
      {"building kind 18", [](auto& b) { b[building0 + 66] = 18; }},
      {"building owner 9", [](auto& b) { b[building0 + 65] = 9; }},
      {"no players in the mission", [&](auto& b) { put32(b, 144 + 24, 0); }},
      {"selection past the units", [&](auto& b) { put16(b, 144 + 72 + 16, 1001); }},
      {"roster entry past the units", [&](auto& b) { b[players + 1024] = 0; put32(b, players + 1028, 5000); }},
      {"base points", [&](auto& b) { put32(b, players + 4, 5); }},
      {"shroud width 0", [&](auto& b) { put16(b, shroud, 0); }},
      {"shroud width 257", [&](auto& b) { put16(b, shroud, 257); }},
      {"shroud unlike the map", [&](auto& b) { put16(b, shroud, 32); b.erase(b.end() - 2048, b.end()); }},
      {"map name too long", [](auto& b) { b[0] = 128; }},
      {"map name leaves maps", [](auto& b) { b[1] = '/'; }},
      {"map missing", [](auto& b) { b[1] = 'X'; }},
      {"map name of control bytes", [](auto& b) { b[1] = 0x07; b[3] = 0x1B; }},
      {"map name with a wildcard", [](auto& b) { b[1] = '?'; }},
      {"world clock no game reaches", [&](auto& b) { put32(b, 136, std::numeric_limits<std::int32_t>::max()); }},
      {"interface clock below 0", [&](auto& b) { put32(b, 140, -1); }},
  };

  // What must survive every refusal: the running game, whole.
  const std::vector<std::uint8_t> before = EncodeSaveGame();
  const TTileGrid terrain = GameMap;
  // Each is told as a damaged save, never by bytes of its own; only a sound map name that names
  // no map is told as the map missing.
  const std::string damagedSave("Файл save\\bad.sav повреждён"_cp1251);
  const std::string mapMissing("Файл maps\\Xest.map отсутствует"_cp1251);
  for (const auto& [what, spoil] : damage) {
    std::vector<std::uint8_t> bad = good;
    spoil(bad);
    Write("save/bad.sav", bad);
    Shown.clear();
    EXPECT_FALSE(LoadGame("bad.sav")) << what;
    EXPECT_EQ(Shown, std::vector<std::string>{std::string_view(what) == "map missing" ? mapMissing : damagedSave})
        << what;
    EXPECT_EQ(EncodeSaveGame(), before) << what;
    EXPECT_EQ(0, std::memcmp(&GameMap, &terrain, sizeof terrain)) << what;
  }

  // A damaged map is named as such; so is a missing save.
  Write("maps/test.map", {64, 0, 64, 0, 1, 2, 3});
  Shown.clear();
  EXPECT_FALSE(LoadGame("game.sav"));
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_EQ(Shown[0], std::string("Файл maps\\test.map повреждён"_cp1251));
  EXPECT_FALSE(LoadGame("none.sav"));
  EXPECT_EQ(Shown.back(), std::string("Файл save\\none.sav отсутствует"_cp1251));
  EXPECT_EQ(EncodeSaveGame(), before);
}

// Money and statistics near the top of their 32 bits load from a saved game or a scenario (the
// files hold whatever figure was written), and play then stops them at the top instead of
// wrapping them below zero.
TEST_F(SaveGameTest, FiguresNearTheTopLoadAndPlayStopsThemThere) {
  constexpr std::int32_t Top = std::numeric_limits<std::int32_t>::max();
  GameUnderWay();
  Players[1].Credits = Top - 10;
  Players[1].ResourceDelivered = Top - 10;
  Players[1].UnitsMade = Top;
  Players[1].BuildingsMade = Top;
  ASSERT_TRUE(SaveGame("rich.sav"));
  EmptyWorld();
  ASSERT_TRUE(LoadGame("rich.sav"));
  ASSERT_EQ(Players[1].Credits, Top - 10);

  // A refinery of player 1 empties a harvester of 17: 17 more than the top allows.
  auto harvest = [] {
    TBuildingRecord& r = Buildings[9];
    if (r.Free != 0) InitBuilding(r, 40, 20, BuildingRefinery, 1, 1, 9);
    InitUnit(Units[30], 44, 24, 30, 1, 1, UnitHarvester);
    Units[30].Load = 17;
    StopCarrier(Units[30]);
    r.DockFree = 0;
    r.TargetSlot = 30;
    r.NextActionTick = 0;
    RefineryUnload(r);
    EXPECT_EQ(Units[30].Load, 0);
  };
  harvest();
  EXPECT_EQ(Players[1].Credits, Top);
  EXPECT_EQ(Players[1].ResourceDelivered, Top);
  EXPECT_EQ(Players[1].UnitsMade, Top);  // the harvester made above counts no further
  EXPECT_EQ(Players[1].BuildingsMade, Top);

  // The same from a scenario's start credits.
  Players[1].Credits = Top - 3;
  ASSERT_TRUE(SaveScenario("rich.scn"));
  Players[1].Credits = 0;
  ASSERT_FALSE(LoadScenario("rich.scn"));
  ASSERT_EQ(Players[1].Credits, Top - 3);
  harvest();
  EXPECT_EQ(Players[1].Credits, Top);
}

TEST_F(SaveGameTest, TheViewIsSettledAgainstTheLoadedWorld) {
  GameUnderWay();
  ViewState.Selection[1] = TSelectionEntry{3, 1, 0};
  ViewState.Selection[2] = TSelectionEntry{5, 1, 0};  // a free slot
  ViewState.Selection[3] = TSelectionEntry{17, 1, 0};
  ViewState.SelectedCount = 9;
  ViewState.Groups[2][1] = TSelectionEntry{5, 1, 0};
  ViewState.Groups[2][2] = TSelectionEntry{3, 1, 0};
  ViewState.ViewX = 300;
  ViewState.ViewY = 0;
  ViewState.MinimapScaleX = std::numeric_limits<float>::quiet_NaN();
  ASSERT_TRUE(SaveGame("view.sav"));
  ViewState = TViewState{};
  ASSERT_TRUE(LoadGame("view.sav"));
  EXPECT_EQ(ViewState.SelectedCount, 2);
  EXPECT_EQ(ViewState.Selection[1].InUse, 1);
  EXPECT_EQ(ViewState.Selection[2].InUse, 0);
  EXPECT_EQ(ViewState.Selection[3].InUse, 1);
  EXPECT_EQ(ViewState.Groups[2][1].InUse, 0);
  EXPECT_EQ(ViewState.Groups[2][2].InUse, 1);
  EXPECT_EQ(ViewState.ViewX, 45);
  EXPECT_EQ(ViewState.ViewY, 1);
  EXPECT_FLOAT_EQ(ViewState.MinimapScaleX, 1.0f);
  EXPECT_FLOAT_EQ(ViewState.MinimapScaleY, 1.6f);

  // One building or worm: kept only while it stands, and alone.
  for (auto [kind, index, count] : {std::tuple{SelectedBuilding, 7, 0}, std::tuple{SelectedBuilding, 2, 1},
                                    std::tuple{SelectedWorm, 2, 1}, std::tuple{SelectedWorm, 3, 0}}) {
    ViewState.SelectionKind = kind;
    ViewState.SelectedCount = 1;
    ViewState.Selection[1] = TSelectionEntry{static_cast<std::uint16_t>(index), 1, 0};
    ViewState.Selection[2] = TSelectionEntry{3, 1, 0};
    ASSERT_TRUE(SaveGame("view.sav"));
    ASSERT_TRUE(LoadGame("view.sav"));
    EXPECT_EQ(ViewState.SelectedCount, count) << int(kind) << " " << index;
    EXPECT_EQ(ViewState.Selection[2].InUse, 0) << int(kind) << " " << index;
  }
}

TEST_F(SaveGameTest, WritingWithoutTheFolderOrOverAFailureKeepsPlaying) {
  GameUnderWay();
  ASSERT_TRUE(SaveGame("game.sav"));
  const auto old = Bytes("save/game.sav");
  fs::rename("save", "saved");
  EXPECT_FALSE(SaveGame("game.sav"));
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_EQ(Shown[0], std::string("Каталог save отсутствует"_cp1251));
  fs::rename("saved", "save");

  EXPECT_FALSE(SaveGame("../escape.sav"));
  EXPECT_FALSE(fs::exists("escape.sav"));

  // A write that fails half way (here the new file's temporary name is taken by a folder, which
  // stops root as well as anyone) keeps the old save and tells the player.
  const fs::path blocker = "save/game.sav.tmp" + std::to_string(::getpid());
  fs::create_directory(blocker);
  WorldTickCount = 5555;
  Shown.clear();
  EXPECT_FALSE(SaveGame("game.sav"));
  fs::remove(blocker);
  EXPECT_EQ(Bytes("save/game.sav"), old);
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_EQ(Shown[0], std::string("Файл save\\game.sav не записан"_cp1251));

  // A folder where the save should go is not replaced.
  fs::create_directory("save/folder.sav");
  Shown.clear();
  EXPECT_FALSE(SaveGame("folder.sav"));
  EXPECT_TRUE(fs::is_directory("save/folder.sav"));
  EXPECT_EQ(Shown.size(), 1u);
  for (const auto& e : fs::directory_iterator("save"))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();

  // The file-size limit (a full quota) reached half way: told as a save not written, in a
  // process of its own, which must not be ended by the signal for it.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{4096, 4096};
    Shown.clear();
    const bool refused = ::setrlimit(RLIMIT_FSIZE, &limit) == 0 && !SaveGame("game.sav");
    const bool told = Shown.size() == 1 && Shown[0] == std::string("Файл save\\game.sav не записан"_cp1251);
    ::_exit(refused && told ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  EXPECT_EQ(Bytes("save/game.sav"), old);
  for (const auto& e : fs::directory_iterator("save"))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

}  // namespace
