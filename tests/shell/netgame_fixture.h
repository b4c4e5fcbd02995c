// The whole program in a network game on the null back end, with real loopback sockets: the
// lobby and the map choice reached by clicks, plain clients that join as the protocol makes
// them, and the world timer driven one event at a time.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "game/net/netgame.h"
#include "platform/net.h"
#include "tests/shell/game_fixture.h"
#include "tests/shell/net_fixture.h"

class NetGameTest : public GameTest {
 protected:
  void TearDown() override {
    zarn::CloseServer();
    zarn::CloseClient();
    GameTest::TearDown();
  }
  // Loop passes until `done`, at most `seconds` of real time (the sockets are real).
  template <class F>
  bool PassUntil(F done, int seconds = 20) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      Pass(1);
      plat::NetPoll(1);
    }
    return true;
  }
  // Main menu -> lobby, with the settings a player would set there.
  void OpenLobby(bool asServer, int partners, bool start = true) {
    using namespace zarn;
    if (start) StartGame();
    plat::SetTimerEnabled(MainForm->Timer1, false);
    Click(MainMenuButtons[2]);
    ASSERT_EQ(GameScreen, ScreenNetLobby);
    if (GameOptions.AsServer != asServer) Click(20, 158);
    ASSERT_EQ(GameOptions.AsServer, asServer);
    while (GameOptions.Partners < partners) Click(220, 124);
    while (GameOptions.Partners > partners) Click(36, 124);
    ASSERT_EQ(GameOptions.Partners, partners);
  }
  // Lobby -> map choice ("alm1") -> the server's waiting screen, listening on a free port.
  void EnterAsServer(int partners, bool start = true) {
    using namespace zarn;
    ASSERT_NO_FATAL_FAILURE(OpenLobby(true, partners, start));
    GameOptions.NetService = "0";
    Click(LobbyAcceptButton);
    ASSERT_EQ(GameScreen, ScreenNetMapChoice);
    // The list puts the newest map first, and the copies of the game folder are made within the
    // same moment: the map is chosen by its name.
    const auto row = std::find(FileListBox.Items.begin(), FileListBox.Items.end(), "alm1");
    ASSERT_NE(row, FileListBox.Items.end());
    FileListBox.Selection = static_cast<std::uint16_t>(row - FileListBox.Items.begin());
    Click(MapChoiceAcceptButton);
    ASSERT_EQ(MapFileName, "alm1.map");
    ASSERT_EQ(GameScreen, ScreenPlay);
    Pass(2);
    ASSERT_TRUE(ServerRunning());
  }
  // A client seated, named and given a side by the server on the waiting screen.
  std::unique_ptr<RawClient> Join(const std::string& name, int side) {
    using namespace zarn;
    // As the protocol makes a client: a first connection, dropped once it is up, then the
    // second, which the server seats.
    const std::int32_t before = NextConnectionIndex;
    {
      RawClient first(ListeningPort());
      EXPECT_TRUE(PassUntil([&] { return first.connected && NextConnectionIndex > before; }));
    }
    auto c = std::make_unique<RawClient>(ListeningPort());
    EXPECT_TRUE(PassUntil([&] { return c->received.find("[161 ") != std::string::npos; }));
    const std::size_t at = c->received.find("[129 ");
    std::int32_t connection = 0, seat = 0;
    std::sscanf(c->received.c_str() + at, "[129 %d %d ]", &connection, &seat);
    c->Send("[29 " + std::to_string(connection) + " " + std::to_string(seat) + " " + name + " ]");
    EXPECT_TRUE(PassUntil([&] { return c->received.find("[130 ") != std::string::npos; }));
    c->Send("[30 " + std::to_string(seat) + " " + std::to_string(side) + " ]");
    EXPECT_TRUE(PassUntil([&] { return c->received.find("[131 ") != std::string::npos; }));
    return c;
  }
  // Lobby -> the client's waiting screen, for the server at 127.0.0.1 on `port`.
  void AcceptAsClient(std::uint16_t port, bool start) {
    using namespace zarn;
    ASSERT_NO_FATAL_FAILURE(OpenLobby(false, 2, start));
    GameOptions.NetService = std::to_string(port);
    Click(100, 80);  // the server's line, its old text away and the address typed
    for (int i = 0; i < 30; ++i) Key(plat::vk::Back);
    Type("127.0.0.1");
    Click(LobbyAcceptButton);
    ASSERT_EQ(GameScreen, ScreenPlay);
  }
  // Lobby -> the client's waiting screen, connected to `server` and seated in seat 2.
  void EnterAsClient(RecordingServer& server, bool start = true) {
    using namespace zarn;
    ASSERT_GT(server.id, 0);
    ASSERT_NO_FATAL_FAILURE(AcceptAsClient(plat::ServerPort(server.id), start));
    // Our client connects twice, keeping the second connection.
    ASSERT_TRUE(PassUntil([&] { return server.accepts == 2 && server.connection >= 0 && ClientConnected; }));
    server.Send("[129 1 2 ][160 400 ][161 400 ]");
    ASSERT_TRUE(PassUntil([&] { return server.received.find("[29 1 2 ") != std::string::npos; }));
  }
  // One world timer event.
  void Tick() {
    using namespace zarn;
    plat::SetTimerEnabled(MainForm->Timer1, true);
    plat::null::AdvanceClock(plat::TimerInterval(MainForm->Timer1) + 1);
    plat::ProcessMessages();
    plat::SetTimerEnabled(MainForm->Timer1, false);
    Pass(2);
  }
};
