// A game started after another in the same program run is the game a fresh program starts:
// mission B played after mission A equals mission B alone, a saved game loaded after another
// game equals it loaded alone, a network game served or joined after other games equals it
// served or joined alone (over loopback), and the editors entered after a game equal them
// entered alone (but for the mission record and players, which a new map keeps), byte for byte at the same ticks (the world, the view and selection, the
// picture, and for a network game its seats, connection numbers and wire). The fresh run is
// this test program again, in a process of its own.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "game/shell/selection.h"
#include "tests/common/golden.h"
#include "tests/shell/campaign_world.h"
#include "tests/shell/netgame_fixture.h"

using namespace zarn;

namespace {

constexpr const char* OutVariable = "ZARN_CLEAN_START_OUT";
constexpr const char* SaveVariable = "ZARN_CLEAN_START_SAVE";

// The size of the network's text at the end of the bytes (its last four bytes give it).
std::size_t NetworkBytes(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t n = 0;
  if (bytes.size() < sizeof n) return bytes.size();
  std::memcpy(&n, bytes.data() + bytes.size() - sizeof n, sizeof n);
  return std::min<std::size_t>(n + sizeof n, bytes.size());
}

// The named parts of the bytes below, in order. The network's part (seats, connection numbers,
// what the clients were sent) is text, after the picture.
constexpr std::pair<const char*, std::size_t> Parts[] = {
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

// The parts of the bytes that differ, named, with the first offset in each.
std::string Differences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  std::string out;
  std::size_t at = 0;
  for (const auto& [name, size] : Parts) {
    for (std::size_t i = at; i < at + size && i < a.size() && i < b.size(); ++i)
      if (a[i] != b[i]) {
        out += std::string(name) + " at " + std::to_string(i - at) + "; ";
        break;
      }
    at += size;
  }
  return out;
}

// The named parts zeroed, and the picture's rows y1..y2.
void LeaveOut(std::vector<std::uint8_t>& bytes, std::initializer_list<std::string_view> names, int y1, int y2) {
  std::size_t at = 0;
  for (const auto& [name, size] : Parts) {
    const bool named = std::find(names.begin(), names.end(), name) != names.end();
    if (named) std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), size, 0);
    at += size;
  }
  const std::size_t picture = at - sizeof(BackBuffer);
  std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(picture + static_cast<std::size_t>(y1 * ScreenWidth)),
            bytes.begin() + static_cast<std::ptrdiff_t>(picture + static_cast<std::size_t>((y2 + 1) * ScreenWidth)), 0);
}

// Equal bytes, or the parts that differ named (and the two pictures written out for a look).
void Compare(const std::vector<std::uint8_t>& after, const std::vector<std::uint8_t>& fresh) {
  const std::size_t end = after.size() - NetworkBytes(after);
  ASSERT_GE(end, ScreenBytes);
  ASSERT_EQ(end, fresh.size() - NetworkBytes(fresh));
  EXPECT_EQ(Differences(after, fresh), "");
  EXPECT_EQ(std::string(after.begin() + static_cast<std::ptrdiff_t>(end), after.end()),
            std::string(fresh.begin() + static_cast<std::ptrdiff_t>(end), fresh.end()));
  const auto picture = [end](const std::vector<std::uint8_t>& bytes) {
    return bytes.begin() + static_cast<std::ptrdiff_t>(end - ScreenBytes);
  };
  if (!std::equal(picture(fresh), picture(fresh) + ScreenBytes, picture(after))) {
    std::copy(picture(fresh), picture(fresh) + ScreenBytes, BackBuffer.begin());
    testgolden::WritePicture("clean_start_fresh");
    std::copy(picture(after), picture(after) + ScreenBytes, BackBuffer.begin());
    testgolden::WritePicture("clean_start_after");
  }
}

class CleanStartTest : public NetGameTest {
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
    return Shown();
  }
  // The world, the view and selection, the slot counts, the network's state as `net` tells
  // it, and the picture.
  std::vector<std::uint8_t> Shown(const std::string& net = "") {
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
    out.insert(out.end(), net.begin(), net.end());
    const std::uint32_t netBytes = static_cast<std::uint32_t>(net.size());
    campaign_world::AppendBytes(out, netBytes);
    return out;
  }
  // The network game of the server, from the main menu: three players, two clients seated on
  // the waiting screen, the start and a while of play. Then the world, the view, the picture
  // and the network's state: the seats, the connection numbers and all that each client was
  // sent.
  std::vector<std::uint8_t> ServeNetGame(bool start) {
    EXPECT_NO_FATAL_FAILURE(EnterAsServer(3, start));
    auto zed = Join("Zed", 3);
    auto ann = Join("Ann", 5);
    Randomize(4242);
    Tick();
    EXPECT_EQ(NetGameStarted, 1);
    for (int i = 0; i < 150; ++i) Tick();
    // Everything sent since the start (the counters begin there) has arrived.
    const auto sinceStart = [](const RawClient& c) { return c.received.substr(c.received.find("[154 ")); };
    EXPECT_TRUE(PassUntil([&] { return sinceStart(*zed).size() + sinceStart(*ann).size() == BytesSent; }));
    std::string net = "next connection " + std::to_string(NextConnectionIndex) + ", admitted " +
                      std::to_string(ClientCount) + ", seats";
    for (const TPlayerConnection& p : PlayerConnections)
      net += " (" + p.Name + " " + std::to_string(p.Side) + " " + std::to_string(p.PlayerNumber) + " " +
             std::to_string(p.Connection) + " " + std::to_string(p.Connected) + ")";
    net += "\nZed:" + zed->received + "\nAnn:" + ann->received + "\n";
    return Shown(net);
  }
  // The network game of a client, from the main menu, with a server that the test scripts:
  // seated in seat 2, a side chosen, the start, a snapshot and a while of play. Then the world,
  // the view, the picture and the network's state: the client's seat, connection number and
  // sides offered, and all that it sent.
  std::vector<std::uint8_t> JoinNetGame(bool start) {
    RecordingServer server;
    EXPECT_NO_FATAL_FAILURE(EnterAsClient(server, start));
    server.Send("[130 1 0 1 1 1 1 1 1 ]");
    EXPECT_TRUE(PassUntil([] { return SideChoiceOpen == 1; }));
    const TSphereRect& s = SideChooser.Spheres[3];
    Click((s.X1 + s.X2) / 2, (s.Y1 + s.Y2) / 2);
    EXPECT_TRUE(PassUntil([&] { return server.received.find("[30 2 3 ]") != std::string::npos; }));
    server.Send("[131 ]");
    EXPECT_TRUE(PassUntil([] { return SideChoiceOpen == 0; }));
    Randomize(4242);
    server.Send("[154 ][156 17 ][157 alm1.map ][114 1 23 7 400 ][114 2 24 7 500 ][142 1 10 10 0 1 12 ]"
                "[142 2 30 20 3 2 12 ][158 18 12 2 ]");
    EXPECT_TRUE(PassUntil([] { return NetGameStarted == 1; }));
    server.Send("[116 2 31 20 16 0 2 0 ][116 1 11 10 16 0 2 0 ][143 1500 1 ]");
    EXPECT_TRUE(PassUntil([] { return Units[2].X == 31 && Units[1].X == 11; }));
    for (int i = 0; i < 20; ++i) Tick();
    std::string net = "player " + std::to_string(LocalPlayer) + ", connection " + std::to_string(OwnConnectionIndex) +
                      ", connected " + std::to_string(ClientConnected) + ", sides";
    for (const std::uint8_t a : SideAvailable) net += " " + std::to_string(a);
    net += "\nsent:" + server.received + "\n";
    return Shown(net);
  }
  // From the main menu: the map editor on a new map, and then the scenario editor on it. What
  // each shows (the world, the view and the picture), one after the other.
  std::vector<std::uint8_t> EnterEditors() {
    Randomize(4242);  // the generator may carry over from a game
    Click(MainMenuButtons[3]);
    EXPECT_EQ(GameScreen, ScreenMapEditorMenu);
    Click(60, 56);  // new map
    EXPECT_EQ(GameScreen, ScreenNewMap);
    Click(50, 183);  // accept
    Click(200, 146);  // edit
    EXPECT_EQ(GameScreen, ScreenMapEditing);
    Pass(4);
    std::vector<std::uint8_t> out = Shown();
    Key(plat::vk::Escape);
    Click(60, 146);  // exit to the main menu
    EXPECT_EQ(GameScreen, ScreenMainMenu);
    Key(plat::vk::F1 + 5);  // the scenario editor, on the map in memory
    EXPECT_EQ(GameScreen, ScreenScenarioEditorMenu);
    Click(200, 146);  // edit
    EXPECT_EQ(GameScreen, ScreenScenarioEditing);
    Pass(4);
    const std::vector<std::uint8_t> scenario = Shown();
    out.insert(out.end(), scenario.begin(), scenario.end());
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

// A network game served after a single game and another network game: a mission played a
// while, then a four-player network game started, played and left, then the main menu.
TEST_F(CleanStartTest, ANetworkGameServedAfterOtherGamesIsTheOneAFreshProgramServes) {
  if (std::getenv(OutVariable) != nullptr) {  // the fresh run: the network game alone
    WriteOut(ServeNetGame(true));
    return;
  }
  const std::vector<std::uint8_t> fresh = Fresh("ANetworkGameServedAfterOtherGamesIsTheOneAFreshProgramServes");
  ASSERT_FALSE(fresh.empty());
  PlayMissionA();
  OpenMenu();
  Click(GameMenuButtons[8]);
  ASSERT_EQ(GameScreen, ScreenMainMenu);
  {
    ASSERT_NO_FATAL_FAILURE(EnterAsServer(4, false));
    auto bob = Join("Bob", 2);
    auto cy = Join("Cy", 5);
    auto dee = Join("Dee", 7);
    Tick();
    ASSERT_EQ(NetGameStarted, 1);
    for (int i = 0; i < 60; ++i) Tick();
    Click(100, 100);  // the start vehicle's order waits for its target
    Key(plat::vk::Escape);
    ASSERT_EQ(GameScreen, ScreenGameMenu);
    ASSERT_TRUE(PassUntil([&] { return bob->closed && cy->closed && dee->closed; }));
  }
  Click(GameMenuButtons[8]);
  ASSERT_EQ(GameScreen, ScreenMainMenu);
  Compare(ServeNetGame(false), fresh);
}

// The editors entered after a game: a mission played a while, then the main menu.
TEST_F(CleanStartTest, TheEditorsEnteredAfterAGameAreTheOnesAFreshProgramEnters) {
  if (std::getenv(OutVariable) != nullptr) {  // the fresh run: the editors alone
    StartGame();
    WriteOut(EnterEditors());
    return;
  }
  const std::vector<std::uint8_t> fresh = Fresh("TheEditorsEnteredAfterAGameAreTheOnesAFreshProgramEnters");
  ASSERT_FALSE(fresh.empty());
  PlayMissionA();
  OpenMenu();
  Click(GameMenuButtons[8]);
  ASSERT_EQ(GameScreen, ScreenMainMenu);
  const TMissionRecord mission = Mission;
  const auto players = Players;
  const std::vector<std::uint8_t> after = EnterEditors();
  ASSERT_EQ(after.size(), fresh.size());
  // A new map changes the map's state only: the mission record and the players stay as the game
  // left them, with the slot counts that follow its player count (the scenario editor's
  // "Builds:" line) and its clock.
  EXPECT_EQ(std::memcmp(&Mission, &mission, sizeof mission), 0);
  EXPECT_EQ(std::memcmp(&Players, &players, sizeof players), 0);
  const auto half = static_cast<std::ptrdiff_t>(after.size() / 2);
  std::vector<std::uint8_t> mapAfter(after.begin(), after.begin() + half), mapFresh(fresh.begin(), fresh.begin() + half);
  std::vector<std::uint8_t> scenarioAfter(after.begin() + half, after.end()), scenarioFresh(fresh.begin() + half, fresh.end());
  for (auto* bytes : {&mapAfter, &mapFresh, &scenarioAfter, &scenarioFresh})
    LeaveOut(*bytes, {"Players", "Mission", "WorldTickCount", "UnitSlots", "BuildingSlots"}, 16, 28);
  Compare(mapAfter, mapFresh);
  Compare(scenarioAfter, scenarioFresh);
}

// A network game joined after a single game and a network game served: a mission played a
// while, then a two-player network game served, started and left, then the main menu.
TEST_F(CleanStartTest, ANetworkGameJoinedAfterOtherGamesIsTheOneAFreshProgramJoins) {
  if (std::getenv(OutVariable) != nullptr) {  // the fresh run: the network game alone
    WriteOut(JoinNetGame(true));
    return;
  }
  const std::vector<std::uint8_t> fresh = Fresh("ANetworkGameJoinedAfterOtherGamesIsTheOneAFreshProgramJoins");
  ASSERT_FALSE(fresh.empty());
  PlayMissionA();
  OpenMenu();
  Click(GameMenuButtons[8]);
  {
    ASSERT_NO_FATAL_FAILURE(EnterAsServer(2, false));
    auto bob = Join("Bob", 2);
    Tick();
    ASSERT_EQ(NetGameStarted, 1);
    for (int i = 0; i < 30; ++i) Tick();
    Key(plat::vk::Escape);
    ASSERT_EQ(GameScreen, ScreenGameMenu);
  }
  Click(GameMenuButtons[8]);
  ASSERT_EQ(GameScreen, ScreenMainMenu);
  Compare(JoinNetGame(false), fresh);
}

}  // namespace
