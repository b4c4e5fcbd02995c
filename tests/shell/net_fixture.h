// Network play in one test: the null back end, the world emptied on a 64 x 64 map, every network
// hook filled, and loopback helpers that pump the loop until something has happened.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "game/base/dvga.h"
#include "game/menus/netlobby.h"
#include "game/net/netgame.h"
#include "game/net/netrequests.h"
#include "game/world/dobjects.h"
#include "platform/app.h"
#include "platform/net.h"
#include "platform/null/null.h"
#include "platform/platform.h"

// A plain client that records what the server sends.
struct RawClient {
  int id = 0;
  bool connected = false, closed = false;
  std::string received;
  explicit RawClient(std::uint16_t port) {
    plat::ClientEvents e;
    e.OnConnect = [this] { connected = true; };
    e.OnRead = [this](std::string_view d) { received.append(d); };
    e.OnDisconnect = [this] { closed = true; };
    e.OnError = [this](int) { closed = true; };
    id = plat::ClientOpen("127.0.0.1", port, std::move(e));
  }
  ~RawClient() { plat::ClientClose(id); }
  void Send(std::string_view s) const { plat::ClientSend(id, s); }
};

// A plain server on loopback that records what its one client sends and sends what the test
// tells it to; the client's connection is the last one accepted.
struct RecordingServer {
  int id = 0;
  int connection = -1;
  int accepts = 0;
  std::string received;
  RecordingServer() {
    plat::ServerEvents e;
    e.OnAccept = [this](int c) {
      connection = c;
      ++accepts;
    };
    e.OnRead = [this](int, std::string_view d) { received.append(d); };
    e.OnDisconnect = [this](int c) {
      if (c == connection) connection = -1;  // a client's first, dropped connection may end late
    };
    id = plat::ServerOpen(0, std::move(e), nullptr, "127.0.0.1");
  }
  ~RecordingServer() { Close(); }
  void Send(std::string_view s) const { plat::ServerSend(id, connection, s); }
  void Close() {
    if (id != 0) plat::ServerClose(id);
    id = 0;
  }
};

class NetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ZARN_PLATFORM", "null", 1);
    std::string why;
    ASSERT_TRUE(plat::Init(&why)) << why;
    using namespace zarn;
    ResetHooks();
    FillNetHooks();
    SetDefaultOptions();
    GameOptions.NetService = "0";  // any free port
    BytesSent = BytesReceived = 0;
    Randomize(1025);
    // The world, role, seats, players and selection as the game's own resets leave them: the
    // tests below build their worlds by hand, without a game start.
    NetTeardown();
    NetRole = RoleSingle;
    EmptyTheWorld();
    ResetGameRecords();
    ClearSelectionAndGroups();
    LocalPlayer = 1;
    SetMapSizeAndClear(64, 64);
    ResetPlayerRecords();
    SideChooserCreate(SideChooser, 33, 142);
    UnitSlots = 200;
    BuildingSlots = 200;
  }
  void TearDown() override {
    using namespace zarn;
    CloseServer();
    CloseClient();
    NetRole = RoleSingle;
    ResetHooks();
    plat::Shutdown();
  }

  // A client as the protocol makes one: a first connection, dropped once it is up, then the
  // second, which the server seats.
  static std::unique_ptr<RawClient> PairedClient(std::uint16_t port) {
    const std::int32_t before = zarn::NextConnectionIndex;
    {
      RawClient first(port);
      EXPECT_TRUE(PumpUntil([&] { return first.connected && zarn::NextConnectionIndex > before; }));
    }
    return std::make_unique<RawClient>(port);
  }

  // Loop passes until `done`, at most `seconds` of real time.
  template <class F>
  static bool PumpUntil(F done, int seconds = 20) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      plat::ProcessMessages();
      plat::NetPoll(1);
    }
    return true;
  }

  // The lobby's accept with "as server" set: the map choice opens and the program is the server.
  static void AcceptLobbyAsServer() {
    using namespace zarn;
    GameOptions.AsServer = true;
    OpenNetLobby();
    MouseX = 60;
    MouseY = 180;
    NetLobbyClick();
    ASSERT_EQ(GameScreen, ScreenNetMapChoice);
    ASSERT_EQ(NetRole, RoleServer);
  }

  // Seat `seat` as if a client had been admitted on connection `connection` (no socket).
  static void Seat(int seat, int side) {
    using namespace zarn;
    PlayerConnections[seat].Connected = 1;
    PlayerConnections[seat].Side = static_cast<std::uint8_t>(side);
    PlayerConnections[seat].PlayerNumber = static_cast<std::uint8_t>(seat);
    InitPlayerRecord(Players[seat], static_cast<std::uint8_t>(seat), static_cast<std::uint8_t>(side), 1000);
  }
};
