// What travels on the wire: every sender's exact text, read through a real socket, and the
// framing of a byte stream into messages.
#include <functional>
#include <random>
#include <vector>

#include "net_fixture.h"

using namespace zarn;

namespace {

std::vector<std::string> Frame(std::string_view stream) {
  std::vector<std::string> out;
  TMessageFramer f;
  f.Feed(stream, [&](std::string_view m) { out.emplace_back(m); });
  return out;
}

}  // namespace

TEST_F(NetTest, EveryRequestSenderWritesItsWireText) {
  RecordingServer server;
  ASSERT_GT(server.id, 0);
  GameOptions.NetService = std::to_string(plat::ServerPort(server.id));
  GameOptions.PlayerName = "Bob [x]";
  NetRole = RoleClient;
  LocalPlayer = 2;
  ConnectToServer("127.0.0.1");
  ASSERT_TRUE(PumpUntil([&] { return ClientConnected == 1 && server.connection >= 0; }));

  struct Row {
    std::function<void()> send;
    std::string wire;
  };
  const std::int32_t group[] = {3, 4};
  // More than a full selection: the server reads at most 14, so no more are sent.
  const std::int32_t crowd[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  const std::vector<Row> table = {
      {[] { NetOrderMoveTo(12, 30, 41); }, "[2 12 30 41 ]"},
      {[] { NetOrderAttackAt(5, 6, 7); }, "[4 5 6 7 ]"},
      {[] { NetOrderStopUnit(9); }, "[6 9 ]"},
      {[&] { NetRequestGroupStop(group); }, "[7 2 3 4 ]"},
      {[&] { NetRequestGroupStop(crowd); }, "[7 14 1 2 3 4 5 6 7 8 9 10 11 12 13 14 ]"},
      {[] { NetOrderMoveOrHarvest(1, 2, 3); }, "[8 1 2 3 ]"},
      {[] { NetOrderCarrierPickUp(14, 20, 21); }, "[9 14 20 21 ]"},
      {[] { NetOrderCarrierDeliver(14, 22, 23); }, "[10 14 22 23 ]"},
      {[] { NetRequest16Proc(7, 200); }, "[16 7 200 ]"},
      {[] { ClientInterpretMessage("[129 3 2 ]"); }, "[29 3 2 Bob (x) ]"},
      {[] { NetRequestSide(2, 5); }, "[30 2 5 ]"},
      {[] { NetOrderDestroyUnit(4); }, "[32 4 ]"},
      {[] { NetToggleRepairProc(8); }, "[36 8 ]"},
      {[] { NetOrderProductionProc(8, 150, 6); }, "[38 8 150 6 ]"},
      {[] { NetRequestPauseProduction(8); }, "[39 8 ]"},
      {[] { NetPlaceBuildingProc(10, 11, 3, 1, 2); }, "[44 3 10 11 1 2 ]"},
      {[] { NetDeployUnitProc(4); }, "[45 4 ]"},
      {[] { NetUseSpecialWeaponProc(8, 20, 21); }, "[46 8 20 21 ]"},
      {[] { NetReturnToRefineryProc(4); }, "[48 4 ]"},
      {[] { NetRequestProductionReset(8); }, "[59 8 ]"},
      {[] { NetRequestBuildMenu62Proc(8); }, "[62 8 ]"},
      {[] { NetRequestBuildMenu63Proc(8); }, "[63 8 ]"},
      {[] { NetRequest64Proc(5, 6, 2, 1); }, "[64 5 6 2 1 ]"},
      // A text field is followed by its blank like every other field.
      {[] { SendChat("Bob", "hi [all] and a line longer than forty characters"); },
       "[1 2 hi (all) and a line longer than forty characters ]"},
      {[] { SendChatProc("gg"); }, "[1 2 gg ]"},
  };
  std::string expected;
  for (const Row& row : table) {
    row.send();
    expected += row.wire;
  }
  ASSERT_TRUE(PumpUntil([&] { return server.received.size() >= expected.size(); }));
  EXPECT_EQ(server.received, expected);
  EXPECT_EQ(BytesSent, expected.size());

  // Single play sends nothing.
  NetRole = RoleSingle;
  NetOrderMoveTo(1, 2, 3);
  NetToggleRepairProc(8);
  plat::NetPoll(20);
  EXPECT_EQ(server.received, expected);
}

TEST_F(NetTest, EveryBroadcastWritesItsWireText) {
  NetRole = RoleServer;
  StartServer();
  ASSERT_TRUE(ServerRunning());
  const auto paired = PairedClient(ListeningPort());
  RawClient& client = *paired;
  ASSERT_TRUE(PumpUntil([&] { return SeatConnection(2) == 1; }));
  BroadcastEnabled = 1;

  struct Row {
    std::function<void()> send;
    std::string wire;
  };
  const std::vector<Row> table = {
      {[] { NetRemoveUnitProc(5); }, "[111 5 ]"},
      {[] { NetEruptBloomProc(3); }, "[112 3 ]"},
      {[] { NetCrushUnitProc(5); }, "[113 5 ]"},
      {[] { NetInitOssinFieldProc(1, 10, 11, 500); }, "[114 1 10 11 500 ]"},
      {[] { NetBroadcast115Proc(2, 3, 4); }, "[115 2 3 4 ]"},
      {[] { NetBroadcastDamageUnitProc(5, 30, 7, 1); }, "[117 5 30 7 1 ]"},
      {[] { NetBroadcastSplashDamageProc(5, 30); }, "[118 5 30 ]"},
      {[] { NetBroadcastUnloadAtProc(5, 8, 9); }, "[119 5 8 9 ]"},
      {[] { NetBroadcastStopCarrierProc(5); }, "[120 5 ]"},
      {[] { NetBroadcastHarvestStepProc(5, 700); }, "[121 5 700 ]"},
      {[] { NetBroadcastUpgradeProgressProc(6, 50, 200); }, "[123 6 50 200 ]"},
      {[] { NetBroadcastUpgradeDoneProc(6); }, "[124 6 ]"},
      {[] { NetBroadcastStorageFullProc(6, 5); }, "[125 6 5 ]"},
      {[] { NetBroadcastRefineryUnloadProc(6); }, "[126 6 ]"},
      {[] { NetBroadcastFieldHarvestProc(1, 100); }, "[127 1 100 ]"},
      {[] { NetBroadcastFireAtProc(5, 8, 9); }, "[128 5 8 9 ]"},
      {[] { NetBroadcastTurretFireProc(6, 8, 9); }, "[133 6 8 9 ]"},
      {[] { NetBroadcastDamageBuildingProc(6, 30, 5, 1); }, "[134 6 30 5 1 ]"},
      {[] { NetBroadcastRepairStepProc(6, 900); }, "[136 6 900 ]"},
      {[] { NetBroadcastRepairStopProc(6); }, "[137 6 ]"},
      {[] { NetBroadcastProductionStepProc(6, 40, 300); }, "[138 6 40 300 ]"},
      {[] { NetBroadcastPauseProductionProc(6); }, "[139 6 ]"},
      {[] { NetBroadcastProductionDoneProc(6); }, "[140 6 ]"},
      {[] { NetSendTextToPlayerProc(2, "done [ok]"); }, "[141 done (ok) ]"},
      {[] { NetSendTextToPlayerProc(3, "nobody sits there"); }, ""},
      {[] { NetBroadcastInitUnitProc(10, 11, 5, 1, 2, 12); }, "[142 5 10 11 1 2 12 ]"},
      {[] { NetBroadcastInitBuildingProc(10, 11, 6, 3, 2, 1); }, "[144 6 10 11 1 2 3 ]"},
      {[] { NetRemoveBuildingProc(6); }, "[145 6 ]"},
      {[] { NetBroadcastPowerPlantProc(6, 80); }, "[147 6 80 ]"},
      {[] { NetBroadcastWormSurfaceProc(1); }, "[150 1 ]"},
      {[] { NetBroadcast151Proc(1); }, "[151 1 ]"},
      {[] { NetBroadcastDamageWormProc(1, 40); }, "[152 1 40 ]"},
      {[] { NetBroadcastCreateWormProc(4, 20, 1); }, "[155 1 4 20 ]"},
      {[] { NetBroadcastReplaceHarvesterProc(); }, "[164 ]"},
      {[] { NetBroadcast165Proc(); }, "[165 ]"},
      {[] { NetSendToPlayer166Proc(1); }, "[166 ]"},
      {[] { NetSendToPlayer166Proc(0); }, ""},  // the first connection, dropped
      {[] { NetSendToPlayer166Proc(7); }, ""},  // no seat's connection
      // "[101 name text ]": receivers read the name up to a blank, so only its first word goes.
      {[] { SendChat("Old Srv", "hi [you]"); }, "[101 Old hi (you) ]"},
      {[] { SendChat("Ann ", "a b  c"); }, "[101 Ann a b  c ]"},
  };
  std::string expected = "[129 1 2 ][160 200 ][161 200 ]";
  for (const Row& row : table) {
    row.send();
    expected += row.wire;
  }
  ASSERT_TRUE(PumpUntil([&] { return client.received.size() >= expected.size(); }));
  EXPECT_EQ(client.received, expected);

  // Broadcasts stop with the game: nothing is sent while they are off.
  BroadcastEnabled = 0;
  NetBroadcast165Proc();
  NetRemoveUnitProc(5);
  plat::NetPoll(20);
  plat::ProcessMessages();
  EXPECT_EQ(client.received, expected);
}

TEST(NetFraming, AMessageSplitAtEveryByteArrivesOnceIntact) {
  const std::string stream = "[2 12 30 41 ][6 12 ][1 2 chat with spaces ]";
  const std::vector<std::string> whole = {"[2 12 30 41 ]", "[6 12 ]", "[1 2 chat with spaces ]"};
  EXPECT_EQ(Frame(stream), whole);
  for (std::size_t a = 0; a <= stream.size(); ++a)
    for (std::size_t b = a; b <= stream.size(); ++b) {
      TMessageFramer f;
      std::vector<std::string> got;
      auto each = [&](std::string_view m) { got.emplace_back(m); };
      f.Feed(std::string_view(stream).substr(0, a), each);
      f.Feed(std::string_view(stream).substr(a, b - a), each);
      f.Feed(std::string_view(stream).substr(b), each);
      ASSERT_EQ(got, whole) << "cut at " << a << " and " << b;
    }
}

TEST(NetFraming, GarbageAndOversizeInputStayBounded) {
  // Bytes before "[" are dropped; a fresh "[" starts over; a closing bracket alone is nothing.
  EXPECT_EQ(Frame("noise]][6 1 ]x[[7 1 2 ]"), (std::vector<std::string>{"[6 1 ]", "[7 1 2 ]"}));

  TMessageFramer f;
  int messages = 0;
  auto count = [&](std::string_view) { ++messages; };
  std::mt19937 rng(7);
  std::string noise(1 << 20, 0);
  for (char& c : noise) {
    c = static_cast<char>(rng() % 256);
    if (c == '[') c = 'x';
  }
  for (int i = 0; i < 8; ++i) f.Feed(noise, count);
  EXPECT_EQ(messages, 0);
  EXPECT_LT(f.Buffered(), 64u);

  // An opening bracket and 8 MB with no end: the tail is dropped at the cap.
  f.Feed("[", count);
  const std::string body(1 << 20, 'a');
  for (int i = 0; i < 8; ++i) {
    f.Feed(body, count);
    ASSERT_LE(f.Buffered(), 2 * MaxMessageBytes);
  }
  EXPECT_EQ(messages, 0);
  // The stream recovers at the next message.
  std::string got;
  f.Feed("]junk[6 3 ]", [&](std::string_view m) { got = m; });
  EXPECT_EQ(got, "[6 3 ]");
}

TEST(NetReader, FieldsAreReadStrictly) {
  std::int32_t code = 0, a = 0, b = 0;
  TMessageReader ok("[2 12 -30 ]");
  EXPECT_TRUE(ok.Code(code) && ok.Number(a, 0, 100) && ok.Number(b, -50, 0));
  EXPECT_EQ(code, 2);
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, -30);
  // A missing, malformed, out-of-range or overflowing field fails, and so does every later one.
  for (const char* bad : {"[2 x 30 ]", "[2 ]", "[2 12x ]", "[2 101 ]", "[2 99999999999 ]", "[2  12 ]"}) {
    TMessageReader r(bad);
    EXPECT_FALSE(r.Code(code) && r.Number(a, 0, 100)) << bad;
    EXPECT_FALSE(r.Number(a, 0, 100)) << bad;
  }
  TMessageReader text("[1 2 chat with spaces ]");
  EXPECT_TRUE(text.Code(code) && text.Number(a, 0, 10));
  EXPECT_EQ(text.Text(), "chat with spaces ");
  EXPECT_FALSE(TMessageReader("2 12 ]").Code(code));
}
