// A game started after another in the same program run is the game a fresh program starts:
// mission B played after mission A equals mission B alone, and a saved game loaded after
// another game equals it loaded alone, byte for byte at the same ticks (the world, the view and
// selection, and the picture). The fresh run is this test program again, in a process of its own.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "game/shell/selection.h"
#include "tests/common/golden.h"
#include "tests/shell/campaign_world.h"
#include "tests/shell/game_fixture.h"

using namespace zarn;

namespace {

constexpr const char* OutVariable = "ZARN_CLEAN_START_OUT";
constexpr const char* SaveVariable = "ZARN_CLEAN_START_SAVE";

// The parts of the bytes below that differ, named, with the first offset in each.
std::string Differences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  const std::pair<const char*, std::size_t> parts[] = {
      {"Units", sizeof(Units)},       {"Buildings", sizeof(Buildings)},
      {"Worms", sizeof(Worms)},       {"OssinFields", sizeof(OssinFields)},
      {"OssinBlooms", sizeof(OssinBlooms)}, {"GroundMarks", sizeof(GroundMarks)},
      {"Decals", sizeof(Decals)},     {"Explosions", sizeof(Explosions)},
      {"UnitShots", sizeof(UnitShots)}, {"BuildingShots", sizeof(BuildingShots)},
      {"Players", sizeof(Players)},   {"Mission", sizeof(Mission)},
      {"GameMap", sizeof(GameMap)},   {"ShroudMap", sizeof(ShroudMap)},
      {"OccupancyMap", sizeof(OccupancyMap)}, {"WorldTickCount", sizeof(WorldTickCount)},
      {"RandSeed", sizeof(RandSeed)}, {"ViewState", sizeof(ViewState)},
      {"PendingOrder", sizeof(PendingOrder)},
      {"UnitSlots", sizeof(UnitSlots)}, {"BuildingSlots", sizeof(BuildingSlots)},
      {"the picture", sizeof(BackBuffer)}};
  std::string out;
  std::size_t at = 0;
  for (const auto& [name, size] : parts) {
    for (std::size_t i = at; i < at + size && i < a.size() && i < b.size(); ++i)
      if (a[i] != b[i]) {
        out += std::string(name) + " at " + std::to_string(i - at) + "; ";
        break;
      }
    at += size;
  }
  return out;
}

// Equal bytes, or the parts that differ named (and the two pictures written out for a look).
void Compare(const std::vector<std::uint8_t>& after, const std::vector<std::uint8_t>& fresh) {
  ASSERT_EQ(after.size(), fresh.size());
  EXPECT_EQ(Differences(after, fresh), "");
  if (!std::equal(fresh.end() - ScreenBytes, fresh.end(), after.end() - ScreenBytes)) {
    std::copy(fresh.end() - ScreenBytes, fresh.end(), BackBuffer.begin());
    testgolden::WritePicture("clean_start_fresh");
    std::copy(after.end() - ScreenBytes, after.end(), BackBuffer.begin());
    testgolden::WritePicture("clean_start_after");
  }
}

class CleanStartTest : public GameTest {
 protected:
  // The bytes that tell a game: the world after two minutes of world ticks on a seeded
  // generator (the generator may carry over from one game to the next), the view and selection,
  // the slot counts and the picture.
  std::vector<std::uint8_t> Played() {
    // Ends on a tick that recounts the status line's figures, and frames enough to rebuild the
    // minimap: the first frames of a game still show the caches of the game before.
    campaign_world::Step(2 * campaign_world::TicksPerMinute);
    while ((WorldTickCount & 9) != 9) campaign_world::Step(1);
    for (int i = 0; i < 8; ++i) {
      plat::null::AdvanceClock(60);
      Pass(1);
    }
    Park();
    std::vector<std::uint8_t> out = campaign_world::WorldBytes();
    campaign_world::AppendBytes(out, ViewState);
    campaign_world::AppendBytes(out, PendingOrder);
    campaign_world::AppendBytes(out, UnitSlots);
    campaign_world::AppendBytes(out, BuildingSlots);
    // The parked pointer's animation runs on the program's clock, which goes on from game to
    // game: its corner is left out.
    std::array<std::uint8_t, ScreenBytes> picture = BackBuffer;
    for (int y = 185; y < ScreenHeight; ++y)
      for (int x = 300; x < ScreenWidth; ++x) picture[static_cast<std::size_t>(y * ScreenWidth + x)] = 0;
    campaign_world::AppendBytes(out, picture);
    return out;
  }
  // The first saved game of the load screen now shown, loaded and played.
  std::vector<std::uint8_t> PlayLoaded() {
    EXPECT_EQ(FileListBox.Items, std::vector<std::string>{"clean"});
    Click(80, 60);
    Click(LoadScreenButtons[0]);
    EXPECT_EQ(GameScreen, ScreenPlay);
    Randomize(4242);  // a saved game does not carry the generator
    return Played();
  }
  static void WriteOut(const std::vector<std::uint8_t>& bytes) {
    const char* out = std::getenv(OutVariable);
    ASSERT_NE(out, nullptr);
    std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
  }
  // The bytes of the named test of this file run alone in a fresh process.
  std::vector<std::uint8_t> Fresh(const std::string& test, const std::string& env = "") {
    const fs::path file = folder / "fresh.bin";
    const std::string command = "ZARN_PLATFORM=null " + env + " " + std::string(OutVariable) + "='" + file.string() +
                                "' '" + fs::read_symlink("/proc/self/exe").string() +
                                "' --gtest_filter=CleanStartTest." + test +
                                " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Mission A played a while: units selected and grouped, the view moved, shots and marks left.
  void PlayMissionA() {
    PlayFirstMission();
    // Its harvester earns the money goal within two minutes: no goal, so that play goes on.
    Mission.GoalType = GoalNone;
    plat::SetTimerEnabled(MainForm->Timer1, false);
    campaign_world::Step(campaign_world::TicksPerMinute);
    // The harvester selected at the start may be inside the refinery by now: a unit that stays
    // on the map is selected instead.
    for (int i = 1; i <= LastUnitSlot(); ++i)
      if (Units[i].Free == 0 && Units[i].OffMap == 0 && Units[i].Owner == LocalPlayer && Units[i].Kind != UnitHarvester) {
        SelectObject(static_cast<std::uint16_t>(i), TargetUnit);
        break;
      }
    ASSERT_GT(ViewState.SelectedCount, 0);
    int key = '2';
    MainForm->FormKeyDown(key, plat::kCtrl);  // stored as group 2
    Click(280, 163);                          // a move order waiting for its target
    ASSERT_NE(PendingOrder, 0);
    Key(plat::vk::Right);
    campaign_world::Step(campaign_world::TicksPerMinute);
  }
  // Telix's first mission from the faction choice, played.
  std::vector<std::uint8_t> PlayMissionB() {
    // The world moves only when the test steps it, in both runs alike.
    plat::SetTimerEnabled(MainForm->Timer1, false);
    Randomize(4242);  // before the mission's world is built: its resource cells draw from it
    Click(FactionButtons[1]);
    Click(BeginButton);
    EXPECT_EQ(GameScreen, ScreenPlay);
    return Played();
  }
};

// Each test runs itself again in a fresh process (the output file named in its environment),
// where it plays only the game it compares with.
TEST_F(CleanStartTest, MissionBAfterMissionAIsMissionBOfAFreshProgram) {
  if (std::getenv(OutVariable) != nullptr) {  // the fresh run: Telix's first mission alone
    StartGame();
    Click(MainMenuButtons[0]);
    WriteOut(PlayMissionB());
    return;
  }
  const std::vector<std::uint8_t> fresh = Fresh("MissionBAfterMissionAIsMissionBOfAFreshProgram");
  ASSERT_FALSE(fresh.empty());
  PlayMissionA();
  OpenMenu();
  Click(GameMenuButtons[7]);  // another faction
  ASSERT_EQ(GameScreen, ScreenFactionChoice);
  Compare(PlayMissionB(), fresh);
}

TEST_F(CleanStartTest, AGameLoadedAfterAnotherIsTheGameLoadedByAFreshProgram) {
  if (const char* save = std::getenv(SaveVariable)) {  // the fresh run: the saved game loaded alone
    StartGame();
    fs::copy_file(save, folder / "save" / "clean.sav");
    plat::SetTimerEnabled(MainForm->Timer1, false);
    Click(MainMenuButtons[1]);
    WriteOut(PlayLoaded());
    return;
  }
  PlayMissionA();
  ASSERT_TRUE(SaveGame("clean.sav"));
  const fs::path save = folder / "kept.sav";
  fs::copy_file(folder / "save" / "clean.sav", save);
  const std::vector<std::uint8_t> fresh =
      Fresh("AGameLoadedAfterAnotherIsTheGameLoadedByAFreshProgram", std::string(SaveVariable) + "='" + save.string() + "'");
  ASSERT_FALSE(fresh.empty());
  // Mission A goes on, changes more, then the saved game is loaded from the in-game menu.
  campaign_world::Step(campaign_world::TicksPerMinute);
  Click(100, 100);
  OpenMenu();
  Click(GameMenuButtons[1]);
  ASSERT_EQ(GameScreen, ScreenLoadGame);
  Compare(PlayLoaded(), fresh);
}

}  // namespace
