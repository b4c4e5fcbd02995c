// Seats and sockets for real on loopback: admission, freeing, the end of admission at the start,
// the client's reconnect pace, a slow reader, a reader that stops, and a hostile client.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "net_fixture.h"

using namespace zarn;

namespace {

// A blocking socket that the test reads by hand, as slowly as it likes.
int BlockingConnect(std::uint16_t port, int receiveBuffer) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (receiveBuffer > 0) setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

class NetLoopbackTest : public NetTest {
 protected:
  // The second connection of a pair, blocking and with a small receive window.
  static int PairedBlockingConnect(std::uint16_t port) {
    const std::int32_t before = NextConnectionIndex;
    {
      RawClient first(port);
      EXPECT_TRUE(PumpUntil([&] { return first.connected && NextConnectionIndex > before; }));
    }
    return BlockingConnect(port, 4096);
  }
  void SetUp() override {
    NetTest::SetUp();
    NetRole = RoleServer;
    Seat(1, 0);
    PlayerConnections[1].Name = "Host";
    StartServer();
    ASSERT_TRUE(ServerRunning());
  }
};

}  // namespace

TEST_F(NetLoopbackTest, EverySecondConnectionBeforeTheStartGetsASeatUntilTheyRunOut) {
  // Clients as the protocol makes them: each first connection is dropped, each second seated.
  std::vector<std::unique_ptr<RawClient>> clients;
  for (int k = 0; k < 8; ++k) {
    clients.push_back(PairedClient(ListeningPort()));
    // One at a time, so that the accept order is known.
    ASSERT_TRUE(PumpUntil([&] { return NextConnectionIndex == 2 * k + 2; }));
  }
  for (int seat = 2; seat <= 8; ++seat) EXPECT_EQ(SeatConnection(seat), 2 * (seat - 2) + 1);
  ASSERT_TRUE(PumpUntil([&] { return clients[6]->received.size() >= 25 && clients[7]->closed; }));
  EXPECT_EQ(clients[0]->received, "[129 1 2 ][160 200 ][161 200 ]");
  EXPECT_EQ(clients[6]->received, "[129 13 8 ][160 200 ][161 200 ]");
  EXPECT_EQ(clients[7]->received, "");  // no seat left: let go

  // A seat freed before the start frees its side, and the next client takes the seat.
  clients[1]->Send("[30 3 5 ]");
  ASSERT_TRUE(PumpUntil([&] { return PlayerConnections[3].Side == 5; }));
  EXPECT_EQ(SideChooser.Available[5], 0);
  clients[1].reset();
  ASSERT_TRUE(PumpUntil([&] { return PlayerConnections[3].Connected == 0; }));
  EXPECT_EQ(PlayerConnections[3].Side, SeatWithoutSide);
  EXPECT_EQ(SideChooser.Available[5], 1);
  const auto late = PairedClient(ListeningPort());
  ASSERT_TRUE(PumpUntil([&] { return late->received.size() >= 11; }));
  EXPECT_EQ(late->received.substr(0, 11), "[129 17 3 ]");

  // Once the game runs, nobody new comes in.
  NetGameStarted = 1;
  RawClient after(ListeningPort());
  ASSERT_TRUE(PumpUntil([&] { return after.closed; }));
  EXPECT_EQ(after.received, "");
  EXPECT_EQ(NextConnectionIndex, 18);

  // The end of the game: every seat and flag is reset, and no broadcast goes anywhere.
  BroadcastEnabled = 1;
  CloseServer();
  EXPECT_EQ(BroadcastEnabled, 0);
  EXPECT_EQ(NetGameStarted, 0);
  EXPECT_EQ(CountUsedPlayerSlots(), 0);
  for (int seat = 1; seat <= 8; ++seat) EXPECT_EQ(PlayerConnections[seat].Connected, 0);
  NetRemoveUnitProc(3);
  SendToConnection(1, "[165 ]");
}

TEST_F(NetLoopbackTest, AConnectionLeftWithoutItsPairIsSeatedAfterAWhile) {
  // The first connection of a client gets no seat; the second gets seat 2 and its three
  // messages.
  RawClient first(ListeningPort());
  ASSERT_TRUE(PumpUntil([&] { return first.connected && NextConnectionIndex == 1; }));
  RawClient second(ListeningPort());
  ASSERT_TRUE(PumpUntil([&] { return second.received.size() >= 30; }));
  EXPECT_EQ(second.received, "[129 1 2 ][160 200 ][161 200 ]");
  EXPECT_EQ(first.received, "");
  // A first connection that stays open (a stray one, or a client whose pair was split by
  // another's) waits, then is seated, and the next pair is in step again.
  AdmitWaitingConnections();
  plat::null::AdvanceClock(UnpairedAdmitMs - 1);
  AdmitWaitingConnections();
  EXPECT_EQ(SeatConnection(3), -1);
  plat::null::AdvanceClock(1);
  AdmitWaitingConnections();
  EXPECT_EQ(SeatConnection(3), 0);
  ASSERT_TRUE(PumpUntil([&] { return first.received.size() >= 30; }));
  EXPECT_EQ(first.received, "[129 0 3 ][160 200 ][161 200 ]");
  const auto next = PairedClient(ListeningPort());
  ASSERT_TRUE(PumpUntil([&] { return next->received.size() >= 10; }));
  EXPECT_EQ(next->received.substr(0, 10), "[129 3 4 ]");
  // A lone connection seated by the wait starts the count afresh: of the next two connections
  // the first waits and the second is admitted, as the second of any pair.
  RawClient stray(ListeningPort());
  ASSERT_TRUE(PumpUntil([&] { return stray.connected && NextConnectionIndex == 5; }));
  plat::null::AdvanceClock(UnpairedAdmitMs);
  AdmitWaitingConnections();
  EXPECT_EQ(SeatConnection(5), 4);
  RawClient pairFirst(ListeningPort());
  ASSERT_TRUE(PumpUntil([&] { return pairFirst.connected && NextConnectionIndex == 6; }));
  RawClient pairSecond(ListeningPort());
  ASSERT_TRUE(PumpUntil([&] { return pairSecond.received.size() >= 10; }));
  EXPECT_EQ(pairSecond.received.substr(0, 10), "[129 6 6 ]");
  EXPECT_EQ(pairFirst.received, "");
  EXPECT_EQ(SeatConnection(7), -1);
}

TEST_F(NetLoopbackTest, AClientConnectsTwiceKeepsTheSecondAndRetriesAtMostOnceASecond) {
  CloseServer();
  int accepts = 0;
  bool dropAll = false;
  int server = 0;
  std::vector<int> open;
  auto events = [&] {
    plat::ServerEvents e;
    e.OnAccept = [&](int c) {
      ++accepts;
      if (dropAll) plat::ServerDisconnect(server, c);
    };
    return e;
  };
  server = plat::ServerOpen(0, events(), nullptr, "127.0.0.1");
  ASSERT_GT(server, 0);
  GameOptions.NetService = std::to_string(plat::ServerPort(server));
  NetRole = RoleClient;
  // The set-up connects, then the lobby calls this every frame; the second connection is kept.
  for (int i = 0; i < 200 && ClientConnected == 0; ++i) {
    ConnectToServer("127.0.0.1");
    plat::ProcessMessages();
    plat::NetPoll(5);
  }
  ASSERT_EQ(ClientConnected, 1);
  for (int i = 0; i < 100; ++i) {
    ConnectToServer("127.0.0.1");
    plat::ProcessMessages();
    plat::NetPoll(1);
  }
  EXPECT_EQ(accepts, 2);
  EXPECT_EQ(plat::ServerConnectionCount(server), 1);
  // A server that never seats it: after a while it connects once more.
  plat::null::AdvanceClock(SeatWaitMs);
  for (int i = 0; i < 100; ++i) {
    ConnectToServer("127.0.0.1");
    plat::ProcessMessages();
    plat::NetPoll(1);
  }
  EXPECT_EQ(accepts, 3);
  // Seated: it stays, however long.
  ASSERT_TRUE(PumpUntil([&] { return plat::ServerConnectionCount(server) == 1; }));
  ClientSocketRead("[129 2 2 ]");
  plat::null::AdvanceClock(10 * SeatWaitMs);
  for (int i = 0; i < 100; ++i) {
    ConnectToServer("127.0.0.1");
    plat::NetPoll(1);
  }
  EXPECT_EQ(accepts, 3);

  // A server that drops every connection: over three seconds of frames, one try a second.
  dropAll = true;
  plat::ServerClose(server);
  server = plat::ServerOpen(static_cast<std::uint16_t>(std::stoi(GameOptions.NetService)), events(), nullptr,
                            "127.0.0.1");
  ASSERT_GT(server, 0);
  accepts = 0;
  for (int i = 0; i < 300; ++i) {
    ConnectToServer("127.0.0.1");
    plat::ProcessMessages();
    plat::NetPoll(2);
    plat::null::AdvanceClock(10);
  }
  EXPECT_GE(accepts, 2);
  EXPECT_LE(accepts, 4);
  plat::ServerClose(server);
}

TEST_F(NetLoopbackTest, AMegabyteBurstReachesASlowReaderIntact) {
  // A small receive window, read 2 KB at a time with a pause after each read: the writer is
  // far ahead.
  const int fd = PairedBlockingConnect(ListeningPort());
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(PumpUntil([] { return SeatConnection(2) == 1; }));
  std::string sent;
  std::mt19937 rng(3);
  for (int i = 0; sent.size() < (1u << 20); ++i) {
    std::string text(1000, 'a');
    for (char& c : text) c = static_cast<char>('a' + rng() % 26);
    const std::string m = "[141 " + std::to_string(i) + text + "]";
    SendToConnection(SeatConnection(2), m);
    sent += m;
  }
  std::string got;
  char buf[2048];
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (got.size() < sent.size() + 30 && std::chrono::steady_clock::now() < end) {  // the seat's three messages come first
    plat::NetPoll(0);
    const ssize_t n = recv(fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n > 0) got.append(buf, static_cast<std::size_t>(n));
    else if (n == 0) break;
    usleep(200);
  }
  close(fd);
  ASSERT_GE(got.size(), 30u);
  EXPECT_TRUE(got.substr(got.find("[141 ")) == sent) << got.size() << " bytes of " << sent.size();
  EXPECT_EQ(BytesSent, got.size());
}

TEST_F(NetLoopbackTest, AClientThatStopsReadingIsLetGoPastItsBacklog) {
  const int fd = PairedBlockingConnect(ListeningPort());
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(PumpUntil([] { return SeatConnection(2) == 1; }));
  const std::string text = "[141 " + std::string(100000, 'b') + "]";
  for (int i = 0; i < 1000 && PlayerConnections[2].Connected; ++i) {
    SendToConnection(SeatConnection(2), text);
    plat::NetPoll(0);
  }
  EXPECT_EQ(PlayerConnections[2].Connected, 0);
  // What the kernel took plus the backlog the server was willing to keep.
  EXPECT_LT(BytesSent, MaxClientBacklog + (16u << 20));
  close(fd);
  // Nothing goes to a seat that is gone.
  const std::uint64_t before = BytesSent;
  NetSendTextToPlayerProc(2, "late");
  EXPECT_EQ(BytesSent, before);
}

// The client ends its own connection from inside the handling of its own request (its answers
// pile up): the server must not free what its read loop still uses, and the others play on.
TEST_F(NetLoopbackTest, AClientThatSendsButNeverReadsIsLetGoAndTheOthersPlayOn) {
  const int mallory = PairedBlockingConnect(ListeningPort());
  ASSERT_GE(mallory, 0);
  ASSERT_TRUE(PumpUntil([] { return SeatConnection(2) >= 0; }));
  const auto paired = PairedClient(ListeningPort());
  RawClient& alice = *paired;
  ASSERT_TRUE(PumpUntil([] { return SeatConnection(3) >= 0; }));
  NetGameStarted = 1;
  BroadcastEnabled = 1;
  InitUnit(Units[1], 5, 5, 1, 0, 1, UnitLightTank);
  // Chat lines, each relayed to everyone, mallory included.
  std::string burst;
  for (int i = 0; i < 500; ++i) burst += "[1 2 " + std::string(40, static_cast<char>('a' + i % 26)) + " ]";
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  std::size_t off = 0;
  while (PlayerConnections[2].Connected && std::chrono::steady_clock::now() < end) {
    const ssize_t n = send(mallory, burst.data() + off, burst.size() - off, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n > 0) off = (off + static_cast<std::size_t>(n)) % burst.size();
    plat::NetPoll(0);
    ServerSnapshots();
    if (alice.received.size() > (1u << 20)) alice.received.clear();
  }
  EXPECT_EQ(PlayerConnections[2].Connected, 0);
  ASSERT_TRUE(ServerRunning());
  ASSERT_EQ(PlayerConnections[3].Connected, 1);
  // What mallory still has in the pipe reaches nobody; alice goes on getting her snapshots.
  ASSERT_TRUE(PumpUntil([&] { return PendingToClients() == 0; }));
  alice.received.clear();
  ServerSnapshots();
  ASSERT_TRUE(PumpUntil([&] { return alice.received.find("[116 1 5 5 ") != std::string::npos; }));
  close(mallory);
  for (int i = 0; i < 20; ++i) plat::NetPoll(1);
  EXPECT_TRUE(ServerRunning());
}

TEST_F(NetLoopbackTest, AHostileClientNeitherCrashesTheServerNorTouchesOthers) {
  const auto pairedMallory = PairedClient(ListeningPort());
  ASSERT_TRUE(PumpUntil([] { return SeatConnection(2) >= 0; }));
  const auto pairedAlice = PairedClient(ListeningPort());
  RawClient &mallory = *pairedMallory, &alice = *pairedAlice;
  ASSERT_TRUE(PumpUntil([] { return SeatConnection(2) >= 0 && SeatConnection(3) >= 0; }));
  NetGameStarted = 1;
  BroadcastEnabled = 1;
  InitUnit(Units[1], 5, 5, 1, 0, 1, UnitLightTank);
  InitUnit(Units[2], 50, 50, 2, 2, 3, UnitLightTank);
  InitUnit(Units[3], 10, 10, 3, 1, 2, UnitLightTank);
  const TUnitRecord host = Units[1], other = Units[2];

  std::mt19937 rng(99);
  std::string noise;
  for (int i = 0; i < 300000; ++i) noise += static_cast<char>(rng() % 256);
  mallory.Send(noise);
  mallory.Send("[2 1 30 30 ][2 2 30 30 ][32 1 ][32 2 ][7 2000000000 1 2 ][7 14 1 2 1 2 1 2 1 2 1 2 1 2 1 2 ]");
  mallory.Send("[160 1000 ][161 3000 ][29 0 9 evil(name) that is far too long to keep]");
  mallory.Send("[" + std::string(200000, '7'));
  mallory.Send("][1 2 hello (brackets) ]");
  ASSERT_TRUE(PumpUntil([&] { return alice.received.find("[101 ") != std::string::npos; }));
  EXPECT_NE(alice.received.find("[101 evil(name) hello (brackets) ]"), std::string::npos)
      << alice.received.substr(0, 300);
  EXPECT_EQ(std::memcmp(&Units[1], &host, sizeof host), 0);
  EXPECT_EQ(std::memcmp(&Units[2], &other, sizeof other), 0);
  EXPECT_EQ(UnitSlots, 200);
  EXPECT_EQ(BuildingSlots, 200);
  EXPECT_LE(PlayerConnections[2].Name.size(), MaxPlayerNameLength + 1);
  EXPECT_TRUE(ServerRunning());
}

TEST_F(NetLoopbackTest, EachStepSendsSnapshotsCreditsAndAnyChangeOfOwner) {
  const auto paired = PairedClient(ListeningPort());
  RawClient& client = *paired;
  ASSERT_TRUE(PumpUntil([] { return SeatConnection(2) == 1; }));
  Seat(2, 1);
  NetGameStarted = 1;
  BroadcastEnabled = 1;
  InitUnit(Units[4], 10, 11, 4, 1, 2, UnitLightTank);
  Players[2].Credits = 777;
  ServerSnapshots();
  // A conversion (a palace's weapon) shows on the next step, and so does its end.
  ConvertUnit(Units[4], 0, 1);
  ServerSnapshots();
  Units[4].Side = 1;
  Units[4].Owner = 2;
  ServerSnapshots();
  const std::string step = UnitSnapshotText();
  ASSERT_TRUE(PumpUntil([&] { return client.received.find("[167 4 1 2 ]") != std::string::npos; }));
  const std::string& got = client.received;
  EXPECT_NE(got.find(step + "[143 777 1 ]"), std::string::npos);
  EXPECT_LT(got.find("[167 4 0 1 ]"), got.find("[167 4 1 2 ]"));
  EXPECT_EQ(got.find("[143 1000"), std::string::npos);  // the server's own credits stay home
}
