#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "fixture.h"

using namespace plat;

namespace {

// Runs loop passes until `done` or a real-time limit.
template <class F>
bool PumpUntil(F done, int seconds = 20) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ProcessMessages();
    NetPoll(1);
  }
  return true;
}

struct Peer {
  std::string sent, received;
};

}  // namespace

TEST_F(NullPlatform, ServerAndThreeClientsExchangeTenThousandSplitMessagesIntact) {
  std::map<int, Peer> atServer;  // by connection index
  std::vector<int> accepted;
  int disconnects = 0;
  ServerEvents se;
  se.OnAccept = [&](int c) { accepted.push_back(c); };
  se.OnRead = [&](int c, std::string_view d) { atServer[c].received.append(d); };
  se.OnDisconnect = [&](int) { ++disconnects; };
  std::string why;
  int server = ServerOpen(0, se, &why, "127.0.0.1");
  ASSERT_GT(server, 0) << why;
  std::uint16_t port = ServerPort(server);

  Peer clients[3];
  int ids[3];
  int connected = 0;
  for (int k = 0; k < 3; ++k) {
    ClientEvents ce;
    ce.OnConnect = [&] { ++connected; };
    ce.OnRead = [&, k](std::string_view d) { clients[k].received.append(d); };
    ids[k] = ClientOpen("127.0.0.1", port, ce);
    ASSERT_GT(ids[k], 0);
  }
  ASSERT_TRUE(PumpUntil([&] { return connected == 3 && accepted.size() == 3; }));
  EXPECT_EQ(accepted, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(ServerRemoteAddress(server, 1), "127.0.0.1");

  // 10,000 messages in all, each written in two pieces split at a position that walks
  // through every byte of it; lengths 1..300 at random.
  std::mt19937 rng(1025);
  auto message = [&](int n) {
    std::string m = "[" + std::to_string(n) + " ";
    std::uniform_int_distribution<int> len(0, 300), byte(32, 126);
    for (int i = len(rng); i > 0; --i) m += static_cast<char>(byte(rng));
    return m + "]";
  };
  int split = 0;
  auto sendSplit = [&](auto send, const std::string& m, std::string& log) {
    std::size_t at = static_cast<std::size_t>(split++) % (m.size() + 1);
    ASSERT_TRUE(send(std::string_view(m).substr(0, at)));
    ASSERT_TRUE(send(std::string_view(m).substr(at)));
    log += m;
  };
  std::map<int, std::string> toClient;  // what the server sent on each connection
  for (int n = 0; n < 10000; ++n) {
    int k = n % 3;
    std::string m = message(n);
    if (n % 2 == 0) {
      sendSplit([&](std::string_view d) { return ClientSend(ids[k], d); }, m, clients[k].sent);
    } else {
      int conn = accepted[k];
      sendSplit([&](std::string_view d) { return ServerSend(server, conn, d); }, m,
                toClient[conn]);
    }
    if (n % 50 == 0) ProcessMessages();
  }
  auto total = [&] {
    std::size_t got = 0, want = 0;
    for (auto& [c, p] : atServer) got += p.received.size();
    for (auto& c : clients) got += c.received.size(), want += c.sent.size();
    for (auto& [c, s] : toClient) want += s.size();
    return got >= want;
  };
  ASSERT_TRUE(PumpUntil(total));
  // Each client's stream arrived whole and in order at one connection, and the reverse.
  for (int k = 0; k < 3; ++k) {
    int conn = -1;
    for (auto& [c, p] : atServer)
      if (p.received == clients[k].sent) conn = c;
    ASSERT_NE(conn, -1) << "client " << k;
    EXPECT_EQ(clients[k].received, toClient[conn]) << "client " << k;
  }
  // A client that leaves is reported to the server; the others stay.
  ClientClose(ids[1]);
  ASSERT_TRUE(PumpUntil([&] { return disconnects == 1; }));
  EXPECT_EQ(ServerConnectionCount(server), 2);
  ServerClose(server);
}

TEST_F(NullPlatform, APeerThatStopsReadingNeverBlocksTheServer) {
  int accepted = -1, errors = 0, disconnects = 0, lastError = 0;
  std::vector<int> conns;
  ServerEvents se;
  se.OnAccept = [&](int c) { conns.push_back(c); };
  se.OnError = [&](int, int e) {
    ++errors;
    lastError = e;
  };
  se.OnDisconnect = [&](int) { ++disconnects; };
  int server = ServerOpen(0, se, nullptr, "127.0.0.1");
  ASSERT_GT(server, 0);
  // A raw socket that never reads, with a tiny receive window.
  int stuck = ::socket(AF_INET, SOCK_STREAM, 0);
  int small = 4096;
  ::setsockopt(stuck, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(ServerPort(server));
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(stuck, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
  std::string got;
  bool connected = false;
  ClientEvents ce;
  ce.OnConnect = [&] { connected = true; };
  ce.OnRead = [&](std::string_view d) { got.append(d); };
  int good = ClientOpen("localhost", ServerPort(server), ce);  // resolved off the loop
  ASSERT_TRUE(PumpUntil([&] { return conns.size() == 2 && connected; }));
  accepted = conns[0];

  kMaxPendingBytes = 2u << 20;
  std::string chunk(64 * 1024, 'x');
  auto start = std::chrono::steady_clock::now();
  int sent = 0;
  while (ServerSend(server, accepted, chunk)) {
    ++sent;
    ServerSend(server, conns[1], "[143 1000 1 ]");
    ProcessMessages();
  }
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_GT(sent, 8);  // it buffered well past what the peer took
  ASSERT_TRUE(PumpUntil([&] { return disconnects == 1; }));
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(lastError, ENOBUFS);
  EXPECT_FALSE(ServerConnectionOpen(server, accepted));
  // The reading client got everything meant for it meanwhile.
  ASSERT_TRUE(PumpUntil([&] { return got.size() >= 13u * static_cast<unsigned>(sent); }));
  EXPECT_EQ(got.substr(0, 13), "[143 1000 1 ]");
  kMaxPendingBytes = 8u << 20;
  ::close(stuck);
  ClientClose(good);
  ServerClose(server);
}

TEST_F(NullPlatform, ConnectFailuresArriveAsEventsNeverFromTheCall) {
  // A port with nothing listening on it.
  int probe = ServerOpen(0, {}, nullptr, "127.0.0.1");
  std::uint16_t port = ServerPort(probe);
  ServerClose(probe);
  int error = 0, disconnects = 0;
  ClientEvents ce;
  ce.OnError = [&](int e) { error = e; };
  ce.OnDisconnect = [&] { ++disconnects; };
  int c = ClientOpen("127.0.0.1", port, ce);
  ASSERT_GT(c, 0);
  EXPECT_EQ(error, 0);
  ASSERT_TRUE(PumpUntil([&] { return error != 0; }));
  EXPECT_EQ(error, ECONNREFUSED);
  EXPECT_EQ(disconnects, 0);
  EXPECT_FALSE(ClientActive(c));
  EXPECT_EQ(ClientOpen("", 1025, ce), 0);
  std::string why;
  int a = ServerOpen(0, {}, &why, "127.0.0.1");
  EXPECT_EQ(ServerOpen(ServerPort(a), {}, &why, "127.0.0.1"), 0);  // port taken
  EXPECT_FALSE(why.empty());
}
