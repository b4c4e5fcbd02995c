// The screens of a network game as a player meets them, in the whole program on the null back
// end: the lobby, the server's map choice, the server waiting for its players, a client waiting
// for its server, a lost server, the start, and leaving a game as the server and as a client.
// Every one of them leads on, by a button or by Esc.
#include "tests/common/golden.h"
#include "tests/shell/netgame_fixture.h"

using namespace zarn;

namespace {

// The panel's menu button, inside its rows 158..163.
constexpr int MenuButtonX = 160, MenuButtonY = 160;

class NetScreensTest : public NetGameTest {
 protected:
  // The player went to another window, leaving ours past the window point (x, y): the window
  // system's last move there, the pointer gone, the focus with the other window.
  void PointerLeavesAt(int x, int y) {
    plat::null::InjectMouseMove(FormId(), x, y);
    plat::null::InjectMouseLeave(FormId());
    plat::null::InjectFocus(FormId(), false);
    Pass(2);
  }
  // Frames with the interface clock running, which paces the edge scrolling.
  void Frames(int n) {
    for (int i = 0; i < n; ++i) {
      plat::null::AdvanceClock(60);
      Pass(1);
    }
  }
};

TEST_F(NetScreensTest, TheServerListsItsPlayersWhileItWaitsAndEscLeavesForTheLobby) {
  ASSERT_NO_FATAL_FAILURE(EnterAsServer(3));
  Park();
  testgolden::ExpectPicture("net_server_alone", 0x286cc5cb00479dcfull);
  auto zed = Join("Zed", 3);
  auto ann = Join("Ann", 5);
  Park();
  testgolden::ExpectPicture("net_server_waiting", 0x435424cde13f78afull);
  // A player who leaves leaves the list (the name as the client sent it, its last blank too).
  zed.reset();
  ASSERT_TRUE(PassUntil([] { return PlayerConnections[2].Connected == 0; }));
  FillSeatList(FileListBox);
  EXPECT_EQ(FileListBox.Items, (std::vector<std::string>{"1  Server", "3  Ann "}));

  // The panel's menu button opens the in-game menu with the game still waiting; back to it.
  Click(MenuButtonX, MenuButtonY);
  ASSERT_EQ(GameScreen, ScreenGameMenu);
  EXPECT_TRUE(ServerRunning());
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenPlay);
  EXPECT_EQ(NetRole, RoleServer);
  EXPECT_TRUE(ServerRunning());

  // Esc ends the network game: the client is let go, and the in-game menu leads back to the
  // lobby, there being no game to go back to.
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenGameMenu);
  EXPECT_FALSE(ServerRunning());
  EXPECT_EQ(NetRole, RoleSingle);
  EXPECT_TRUE(PassUntil([&] { return ann->closed; }));
  Click(GameMenuButtons[9]);
  EXPECT_EQ(GameScreen, ScreenNetLobby);
  // From there the main menu, which Esc on the map choice and the lobby also leads to.
  Click(LobbyAcceptButton);
  ASSERT_EQ(GameScreen, ScreenNetMapChoice);
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenNetLobby);
  Key(plat::vk::Escape);
  EXPECT_EQ(GameScreen, ScreenMainMenu);
}

TEST_F(NetScreensTest, AClientWaitsChoosesItsSideLosesItsServerAndLeaves) {
  RecordingServer server;
  ASSERT_NO_FATAL_FAILURE(EnterAsClient(server));
  server.Send("[130 1 0 1 1 1 1 1 1 ]");
  ASSERT_TRUE(PassUntil([] { return SideChoiceOpen == 1; }));
  Park();
  testgolden::ExpectPicture("net_client_sides", 0x36a0d6c0385d6bc8ull);
  // The third sphere is side 3 (side 1 is taken).
  const TSphereRect& s = SideChooser.Spheres[3];
  Click((s.X1 + s.X2) / 2, (s.Y1 + s.Y2) / 2);
  ASSERT_TRUE(PassUntil([&] { return server.received.find("[30 2 3 ]") != std::string::npos; }));
  server.Send("[131 ]");
  ASSERT_TRUE(PassUntil([] { return SideChoiceOpen == 0; }));

  // The server goes (its player left the game): the client says so and keeps trying.
  server.Close();
  ASSERT_TRUE(PassUntil([] { return MessageLine.View().find("Error connecting") != std::string_view::npos; }));
  Park();
  testgolden::ExpectPicture("net_client_lost", 0xb462fd1dfdb39b77ull);
  // Esc: the in-game menu, and from it the lobby.
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenGameMenu);
  EXPECT_FALSE(ClientRunning());
  EXPECT_EQ(NetRole, RoleSingle);
  Key(plat::vk::Escape);
  EXPECT_EQ(GameScreen, ScreenNetLobby);
}

TEST_F(NetScreensTest, AClientWithNoServerToFindSaysSoAndEscLeads) {
  std::uint16_t port = 0;
  {
    RecordingServer gone;
    port = plat::ServerPort(gone.id);
  }
  ASSERT_NO_FATAL_FAILURE(AcceptAsClient(port, true));
  ASSERT_TRUE(PassUntil([] { return MessageLine.View() == "Error connecting to : 127.0.0.1"; }));
  EXPECT_EQ(ClientConnected, 0);
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenGameMenu);
  EXPECT_FALSE(ClientRunning());
  Click(GameMenuButtons[9]);
  EXPECT_EQ(GameScreen, ScreenNetLobby);
}

TEST_F(NetScreensTest, AGameUnderWayLeftByEitherSideGoesOnAsSinglePlay) {
  ASSERT_NO_FATAL_FAILURE(EnterAsServer(2));
  auto zed = Join("Zed", 3);
  Tick();
  ASSERT_EQ(NetGameStarted, 1);
  // The server's own vehicle, alone in the selection; the client was told its own.
  ASSERT_EQ(ViewState.SelectedCount, 1);
  const TUnitRecord& own = Units[ViewState.Selection[1].Index];
  EXPECT_EQ(own.Owner, 1);
  EXPECT_EQ(own.Kind, UnitConstructionVehicle);
  EXPECT_TRUE(PassUntil([&] { return zed->received.find("[158 ") != std::string::npos; }));
  // The view opens on it and stays there, though the pointer went out to another window by the
  // edge that the view could scroll towards.
  const std::int32_t vx = ClampViewX(own.X - 9), vy = ClampViewY(own.Y - 5);
  PointerLeavesAt(vx > 1 ? -1 : 640, 160);
  Frames(30);
  EXPECT_EQ(ViewState.ViewX, vx);
  EXPECT_EQ(ViewState.ViewY, vy);
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenGameMenu);
  EXPECT_TRUE(PassUntil([&] { return zed->closed; }));
  EXPECT_EQ(NetRole, RoleSingle);
  const std::int32_t before = WorldTickCount;
  Click(GameMenuButtons[9]);
  ASSERT_EQ(GameScreen, ScreenPlay);
  // The world runs here now, a few seconds of it.
  for (int i = 0; i < 40 && GameScreen == ScreenPlay; ++i) Tick();
  EXPECT_GT(WorldTickCount, before);
  // Restarting the mission from the menu is single play as well.
  Key(plat::vk::Escape);
  Click(GameMenuButtons[6]);
  EXPECT_EQ(GameScreen, ScreenMissionStart);
}

// A client's game opens on the view its start message gives, though the player's pointer left
// the window at an edge while waiting.
TEST_F(NetScreensTest, AClientWhoseServerLeavesAGameUnderWayPlaysOnAlone) {
  RecordingServer server;
  ASSERT_NO_FATAL_FAILURE(EnterAsClient(server));
  PointerLeavesAt(640, 160);  // the right edge
  server.Send("[154 ][156 17 ][157 alm1.map ][142 1 10 10 3 2 12 ][158 1 1 1 ]");
  ASSERT_TRUE(PassUntil([] { return NetGameStarted == 1; }));
  Frames(30);
  EXPECT_EQ(ViewState.ViewX, 1);  // where the start message put it
  EXPECT_EQ(ViewState.ViewY, 1);
  server.Close();
  ASSERT_TRUE(PassUntil([] { return MessageLine.View() == "Listening..."; }));
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenGameMenu);
  EXPECT_EQ(NetRole, RoleSingle);
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenPlay);
  EXPECT_EQ(Units[1].Free, 0);
  const std::int32_t before = WorldTickCount;
  // The world runs here now, a few seconds of it.
  for (int i = 0; i < 40 && GameScreen == ScreenPlay; ++i) Tick();
  EXPECT_GT(WorldTickCount, before);
}

// The panel's menu button leaves the network game open; every road from the in-game menu into
// another game closes it first, so that no socket goes on taking players or requests.
TEST_F(NetScreensTest, EveryRoadFromTheInGameMenuIntoAnotherGameEndsTheNetworkGame) {
  ASSERT_NO_FATAL_FAILURE(EnterAsServer(3));
  auto zed = Join("Zed", 3);
  Click(MenuButtonX, MenuButtonY);
  ASSERT_EQ(GameScreen, ScreenGameMenu);
  ASSERT_TRUE(ServerRunning());
  Click(GameMenuButtons[6]);  // the mission again
  EXPECT_EQ(GameScreen, ScreenMissionStart);
  EXPECT_FALSE(ServerRunning());
  EXPECT_EQ(NetRole, RoleSingle);
  EXPECT_TRUE(PassUntil([&] { return zed->closed; }));

  RecordingServer server;
  Click(BeginButton);
  Key(plat::vk::Escape);
  Click(GameMenuButtons[8]);  // the main menu, and a network game from there
  ASSERT_EQ(GameScreen, ScreenMainMenu);
  ASSERT_NO_FATAL_FAILURE(EnterAsClient(server, false));
  Click(MenuButtonX, MenuButtonY);
  ASSERT_EQ(GameScreen, ScreenGameMenu);
  ASSERT_TRUE(ClientRunning());
  Click(GameMenuButtons[8]);
  EXPECT_EQ(GameScreen, ScreenMainMenu);
  EXPECT_FALSE(ClientRunning());
  EXPECT_TRUE(PassUntil([&] { return server.connection < 0; }));
}

// A client that has not got the server's map leaves the game and says why; it does not knock
// again, and Esc leads on.
TEST_F(NetScreensTest, AClientWithoutTheServersMapSaysSoAndStaysOut) {
  RecordingServer server;
  ASSERT_NO_FATAL_FAILURE(EnterAsClient(server));
  server.Send("[154 ][156 17 ][157 nosuch.map ]");
  ASSERT_TRUE(PassUntil([] { return !ClientRunning(); }));
  for (int i = 0; i < 5; ++i) {
    plat::null::AdvanceClock(ReconnectIntervalMs);
    Pass(2);
    plat::NetPoll(20);
  }
  EXPECT_EQ(server.accepts, 2);  // the two connections of its admission, and no more
  Park();
  testgolden::ExpectPicture("net_client_nomap", 0x8bbbc33ef21db522ull);
  Key(plat::vk::Escape);
  ASSERT_EQ(GameScreen, ScreenGameMenu);
  Key(plat::vk::Escape);
  EXPECT_EQ(GameScreen, ScreenNetLobby);
}

}  // namespace
