// Our server with a client, and our client with a server, each written from the protocol's
// description alone (peer/letter_peer.h): admission, names, sides, the start, an order that
// travels and comes back as a snapshot, and chat.
#include <filesystem>

#include "game/shell/worldclock.h"
#include "net_fixture.h"
#include "peer/letter_peer.h"

using namespace zarn;
namespace fs = std::filesystem;

namespace {

class NetLetterTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    oldCwd_ = fs::current_path();
    fs::current_path(fs::path(ZARN_BINARY_DIR) / "game");
    GameOptions.Partners = 2;
    GameOptions.CrowEnable = false;
    GameOptions.MessageEnable = true;
  }
  void TearDown() override {
    fs::current_path(oldCwd_);
    NetTest::TearDown();
  }
  // One pass of our loop: its sockets, a little of its clock, the lobby's waiting seats.
  static void Pass() {
    plat::ProcessMessages();
    plat::NetPoll(1);
    plat::null::AdvanceClock(5);
    AdmitWaitingConnections();
  }

 private:
  fs::path oldCwd_;
};

}  // namespace

TEST_F(NetLetterTest, OurServerSeatsAndPlaysWithAClientThatFollowsTheProtocol) {
  NetRole = RoleServer;
  GameOptions.AsServer = true;
  GameScreen = ScreenPlay;
  MapFileName = "alm1.map";
  ResetSeats();
  Seat(1, 0);
  PlayerConnections[1].Name = "Host";
  SideChooser.Available[0] = 0;
  StartServer();
  ASSERT_TRUE(ServerRunning());

  letter::Client pat;
  pat.port = ListeningPort();
  pat.playerName = "Pat Smith";
  pat.Start();
  ASSERT_TRUE(PumpUntil([&] {
    Pass();
    pat.Frame();
    return pat.sideGranted;
  }));
  // Its second connection is seated in seat 2; the name keeps the blank written after it.
  EXPECT_EQ(pat.ownConnection, 1);
  EXPECT_EQ(pat.localPlayer, 2);
  EXPECT_EQ(pat.received.at(0), "[129 1 2 ]");
  EXPECT_EQ(PlayerConnections[2].Connection, 1);
  EXPECT_EQ(PlayerConnections[2].Name, "Pat Smith ");
  EXPECT_EQ(PlayerConnections[2].Side, pat.side);
  EXPECT_NE(pat.side, 0);

  // Both seats used: the next world step starts the game.
  WorldTimerStep();
  ASSERT_EQ(NetGameStarted, 1);
  ASSERT_TRUE(PumpUntil([&] {
    Pass();
    pat.Frame();
    return pat.started;
  }));
  EXPECT_EQ(pat.mapName, "alm1.map ");
  const long u = pat.unit;
  ASSERT_EQ(Units[u].Owner, 2);
  ASSERT_EQ(pat.units[u].owner, 2);
  const long x0 = Units[u].X, y0 = Units[u].Y;

  // Its move request moves its vehicle on the server, and the snapshots show it to the client.
  const long tx = x0 > 3 ? x0 - 2 : x0 + 2;
  pat.Send(letter::Message(2, {u, tx, y0}));
  ASSERT_TRUE(PumpUntil([&] {
    WorldTimerStep();
    Pass();
    pat.Frame();
    return pat.units[u].x == tx && pat.units[u].y == y0;
  }));
  EXPECT_EQ(Units[u].X, tx);

  // Chat: the line comes back whole under the name's first word.
  pat.Send(letter::TextMessage(1, {2}, "hello there"));
  ASSERT_TRUE(PumpUntil([&] {
    Pass();
    pat.Frame();
    return !pat.chat.empty();
  }));
  EXPECT_EQ(pat.chat.front(), "Pat: hello there ");
  EXPECT_EQ(MessageLine2.View(), "Pat Smith: hello there");
}

TEST_F(NetLetterTest, OurClientIsSeatedAndPlaysWithAServerThatFollowsTheProtocol) {
  letter::Server lead;
  lead.SeatSelf("Lead", 0);
  GameOptions.NetService = std::to_string(lead.port);
  GameOptions.Server = "127.0.0.1";
  GameOptions.PlayerName = "Bob";
  GameOptions.AsServer = false;
  NetRole = RoleClient;
  NetGameSetup();
  // The lobby frame: connect while not connected, choose the first side offered.
  auto frame = [&] {
    if (!NetGameStarted) ConnectToServer(GameOptions.Server);
    if (SideChoiceOpen) {
      for (int k = 0; k < 8; ++k)
        if (SideAvailable[static_cast<std::size_t>(k)] != 0) {
          ViewState.LocalSide = static_cast<std::uint8_t>(k);
          NetRequestSide(LocalPlayer, k);
          SideChoiceOpen = 0;
          break;
        }
    }
    Pass();
    lead.Frame();
  };
  ASSERT_TRUE(PumpUntil([&] {
    frame();
    return lead.UsedSeats() == 2 && SideChoiceOpen == 0 && lead.requests.size() >= 2;
  }));
  // The server saw two connections and seated the second.
  EXPECT_EQ(lead.nextConnectionIndex, 2);
  EXPECT_EQ(LocalPlayer, 2);
  EXPECT_EQ(OwnConnectionIndex, 1);
  EXPECT_EQ(lead.seats[2].connection, 1);
  EXPECT_EQ(lead.seats[2].name, "Bob ");
  EXPECT_EQ(lead.requests.at(0), "[29 1 2 Bob ]");
  EXPECT_EQ(lead.seats[2].side, 1);

  lead.Start("alm1.map", {{{10, 10}}, {{20, 12}}});
  ASSERT_TRUE(PumpUntil([&] {
    frame();
    return NetGameStarted == 1;
  }));
  EXPECT_EQ(MapFileName, "alm1.map");
  ASSERT_EQ(Units[2].Free, 0);
  EXPECT_EQ(Units[2].Owner, 2);
  EXPECT_EQ(Units[2].Side, 1);
  EXPECT_EQ(Units[1].Owner, 1);
  EXPECT_EQ(ViewState.Selection[1].Index, 2);

  // The order goes out; the server's snapshot brings the vehicle there.
  NetOrderMoveTo(2, 22, 13);
  ASSERT_TRUE(PumpUntil([&] {
    frame();
    lead.Snapshots();
    return Units[2].X == 22 && Units[2].Y == 13;
  }));
  EXPECT_EQ(lead.requests.back(), "[2 2 22 13 ]");
  EXPECT_EQ(Units[1].X, 10);

  // Chat from the server.
  lead.Broadcast(letter::TextMessage(101, {}, "Lead hi all"));
  ASSERT_TRUE(PumpUntil([&] {
    frame();
    return MessageLine2.Hidden == 0;
  }));
  EXPECT_EQ(MessageLine2.View(), "Lead: hi all ");
}
