// A real game on loopback: this process is the server, seven scripted clients run as processes
// of their own. Lobby, names and sides, the map choice, the start vehicles, the clients' orders,
// and in the end every client's units stand where the server's do.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "game/menus/dmenus.h"
#include "game/shell/worldclock.h"
#include "net_fixture.h"

extern char** environ;

using namespace zarn;
namespace fs = std::filesystem;

namespace {

struct UnitView {
  int x, y, step, health, owner, side;
  bool operator==(const UnitView&) const = default;
};

std::map<int, UnitView> ServerUnits() {
  std::map<int, UnitView> out;
  for (int i = 0; i <= MaxUnitSlots; ++i) {
    const TUnitRecord& u = Units[i];
    if (u.Free == 0 && u.OffMap == 0) out[i] = {u.X, u.Y, u.StepProgress, u.Health, u.Owner, u.Side};
  }
  return out;
}

std::map<int, UnitView> ReadUnits(const fs::path& file, int& player) {
  std::map<int, UnitView> out;
  std::ifstream in(file);
  in >> player;
  int slot = 0;
  UnitView v{};
  while (in >> slot >> v.x >> v.y >> v.step >> v.health >> v.owner >> v.side) out[slot] = v;
  return out;
}

// Waits for a child with a bound; false when it did not end in time.
bool WaitChild(pid_t pid, int& status, int seconds) {
  for (int i = 0; i < seconds * 100; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    usleep(10000);
  }
  return false;
}

}  // namespace

TEST_F(NetTest, EightPlayersPlayOnLoopbackAndEveryClientSeesTheServersUnits) {
  const fs::path game = fs::path(ZARN_BINARY_DIR) / "game";
  const fs::path out = fs::temp_directory_path() / ("zarn_netgame_" + std::to_string(getpid()));
  fs::create_directories(out);
  const fs::path oldCwd = fs::current_path();
  fs::current_path(game);

  // The server's lobby and map choice, clicked.
  GameOptions.Partners = 8;
  GameOptions.PlayerName = "Host";
  GameOptions.CrowEnable = false;
  ASSERT_NO_FATAL_FAILURE(AcceptLobbyAsServer());
  int row = -1;
  for (int i = 0; i < FileListBox.Count(); ++i)
    if (FileListBox.Items[static_cast<std::size_t>(i)] == "alm1") row = i;
  ASSERT_GE(row, 0);
  FileListBox.Selection = static_cast<std::uint16_t>(row);
  NetMapChoiceClick();
  ASSERT_EQ(GameScreen, ScreenPlay);
  EXPECT_EQ(MapFileName, "alm1.map");
  EXPECT_EQ(PlayerConnections[1].Side, 0);
  EXPECT_EQ(UnitSlots, std::min(MaxUnitSlots, GameOptions.MaxUnitForAlliance * 8));

  NetGameSetup();
  ASSERT_TRUE(ServerRunning());
  const std::string port = std::to_string(ListeningPort());

  std::vector<pid_t> peers;
  for (int k = 2; k <= 8; ++k) {
    const std::string name = "P" + std::to_string(k) + " [x]";
    const std::string file = (out / ("peer" + std::to_string(k))).string();
    std::vector<std::string> args = {ZARN_NET_PEER, game.string(), port, name, file};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, ZARN_NET_PEER, nullptr, nullptr, argv.data(), environ), 0);
    peers.push_back(pid);
  }

  // Every seat taken, named and with a side of its own. Seven clients connecting at once put
  // their pairs out of step: a connection left alone is seated after a while of the lobby.
  ASSERT_TRUE(PumpUntil(
      [] {
        plat::null::AdvanceClock(5);
        AdmitWaitingConnections();
        return CountUsedPlayerSlots() >= 8;
      },
      60));
  std::set<int> sides;
  for (int k = 1; k <= 8; ++k) sides.insert(PlayerConnections[k].Side);
  EXPECT_EQ(sides.size(), 8u);
  std::set<std::string> names;
  for (int k = 2; k <= 8; ++k) names.insert(PlayerConnections[k].Name);
  // Each keeps the blank its client wrote after it.
  EXPECT_EQ(names, (std::set<std::string>{"P2 (x) ", "P3 (x) ", "P4 (x) ", "P5 (x) ", "P6 (x) ", "P7 (x) ", "P8 (x) "}));

  // The first world step starts the game: one construction vehicle for every seat.
  WorldTimerStep();
  ASSERT_EQ(NetGameStarted, 1);
  std::map<int, std::pair<int, int>> start;
  for (int s = 1; s <= 8; ++s) {
    ASSERT_EQ(Units[s].Free, 0);
    EXPECT_EQ(Units[s].Kind, UnitConstructionVehicle);
    EXPECT_EQ(Units[s].Side, PlayerConnections[Units[s].Owner].Side);
    start[s] = {Units[s].X, Units[s].Y};
  }
  std::set<int> owners;
  for (int s = 1; s <= 8; ++s) owners.insert(Units[s].Owner);
  EXPECT_EQ(owners.size(), 8u);

  // The clients' orders reach the server's world: every client's vehicle moves, the server's
  // own stays where it was (the clients tried to move it too).
  auto clientsMoved = [&] {
    for (int s = 1; s <= 8; ++s)
      if (Units[s].Owner != 1 && std::make_pair(Units[s].X, Units[s].Y) == start[s]) return false;
    return true;
  };
  for (int t = 0; t < 3000 && !clientsMoved(); ++t) {
    WorldTimerStep();
    plat::ProcessMessages();
    plat::NetPoll(1);
  }
  ASSERT_TRUE(clientsMoved());
  for (int t = 0; t < 400; ++t) {
    WorldTimerStep();
    plat::NetPoll(0);
  }
  for (int s = 1; s <= 8; ++s) {
    if (Units[s].Owner != 1) continue;
    EXPECT_EQ(std::make_pair(Units[s].X, Units[s].Y), start[s]);
  }
  EXPECT_EQ(Players[1].Destroyed, 0);

  // Everything written, then the game ends; each client reports what it knows.
  ASSERT_TRUE(PumpUntil([] { return PendingToClients() == 0; }, 30));
  const auto server = ServerUnits();
  CloseServer();
  for (int k = 2; k <= 8; ++k) {
    int status = -1;
    ASSERT_TRUE(WaitChild(peers[static_cast<std::size_t>(k - 2)], status, 60)) << "peer " << k;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "peer " << k << " status " << status;
    int player = 0;
    const auto seen = ReadUnits(out / ("peer" + std::to_string(k)), player);
    EXPECT_GE(player, 2);
    EXPECT_EQ(seen, server) << "peer " << k;
  }
  fs::current_path(oldCwd);
  fs::remove_all(out);
}
