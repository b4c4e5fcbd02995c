// The server's interpreter: what a seated client may do, and that nothing else changes.
#include <cstring>
#include <random>
#include <vector>

#include "net_fixture.h"

using namespace zarn;

namespace {

// Seat 2 owns unit 5 and buildings 7 (yard) and 8 (heavy factory); seat 3 owns unit 6 and
// building 9.
class NetServerTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    // Rock (terrain class 4) in the north-west quarter, where buildings may stand.
    for (int y = 1; y <= 32; ++y)
      for (int x = 1; x <= 32; ++x) GameMap.Cell(x, y) = 4 << 5;
    NetRole = RoleServer;
    NetGameStarted = 1;
    Seat(2, 1);
    Seat(3, 2);
    InitUnit(Units[5], 10, 10, 5, 1, 2, UnitLightTank);
    InitUnit(Units[6], 50, 50, 6, 2, 3, UnitLightTank);
    InitBuilding(Buildings[7], 20, 20, BuildingConstructionYard, 2, 1, 7);
    InitBuilding(Buildings[8], 24, 20, BuildingHeavyFactory, 2, 1, 8);
    InitBuilding(Buildings[9], 50, 40, BuildingHeavyFactory, 3, 2, 9);
    Players[2].Credits = 1000;
    Players[3].Credits = 1000;
  }
  static void From(int seat, std::string_view stream) {
    TMessageFramer f;
    f.Feed(stream, [seat](std::string_view m) { ServerInterpretMessage(seat, m); });
  }
  // The yard (building 7) with `item` made and waiting to be placed.
  static TBuildingRecord& FinishedYard(std::uint8_t item) {
    TBuildingRecord& yard = Buildings[7];
    yard.ProductionState = ProductionRunning;
    yard.Item = item;
    yard.ProductionTarget = ItemCost(item);
    yard.ProductionProgress = static_cast<float>(yard.ProductionTarget);
    return yard;
  }
  template <typename T>
  static std::vector<std::uint8_t> Bytes(const T& rec) {
    std::vector<std::uint8_t> out(sizeof(T));
    std::memcpy(out.data(), &rec, sizeof(T));
    return out;
  }
};

}  // namespace

TEST_F(NetServerTest, OrdersActOnlyOnTheSendersOwnUnitsAndBuildings) {
  const auto other = Bytes(Units[6]);
  const auto otherBuilding = Bytes(Buildings[9]);
  From(2, "[2 6 30 30 ][4 6 30 30 ][6 6 ][32 6 ][45 6 ][48 6 ][36 9 ][39 9 ][59 9 ][62 9 ][16 9 300 ]"
          "[38 9 100 8 ][7 1 6 ]");
  EXPECT_EQ(Bytes(Units[6]), other);
  EXPECT_EQ(Bytes(Buildings[9]), otherBuilding);
  EXPECT_EQ(Players[3].Credits, 1000);
  // A group stop names every unit: another's, even amid its own, keeps going.
  MoveTo(Units[6], 40, 40);
  MoveTo(Units[5], 20, 20);
  From(2, "[7 2 6 5 ]");
  EXPECT_NE(Units[6].State, StateStop);
  EXPECT_EQ(Units[5].State, StateStop);
  // A chat line is the sender's, whatever seat it names.
  GameOptions.MessageEnable = true;
  PlayerConnections[2].Name = "Mal";
  PlayerConnections[3].Name = "Carol";
  From(2, "[1 3 hi ]");
  EXPECT_EQ(MessageLine2.View(), "Mal: hi");

  // Its own unit obeys; an unseated connection (seat 0) is never heard.
  From(0, "[2 5 30 31 ]");
  EXPECT_NE(Units[5].DestX, 30);
  From(2, "[2 5 30 31 ]");
  EXPECT_EQ(Units[5].DestX, 30);
  EXPECT_EQ(Units[5].DestY, 31);
  From(2, "[62 7 ]");
  EXPECT_EQ(Buildings[7].RepeatProduction, 1);
  From(2, "[63 7 ]");
  EXPECT_EQ(Buildings[7].RepeatProduction, 0);
}

TEST_F(NetServerTest, MalformedOrOutOfRangeFieldsDropTheWholeMessage) {
  const auto before = Bytes(Units[5]);
  for (const char* bad : {"[2 x 30 41 ]", "[2 5 30 ]", "[2 5 0 41 ]", "[2 5 65 41 ]", "[2 5 30 -1 ]",
                          "[2 5 30 41x ]", "[2 1001 30 41 ]", "[2 5 99999999999 41 ]", "[x 5 30 41 ]",
                          "[65 5 ]", "[100 5 ]", "[7 0 ]", "[7 15 5 5 5 5 5 5 5 5 5 5 5 5 5 5 5 ]",
                          "[7 3 5 5 ]", "[7 2 5 x ]"})
    From(2, bad);
  EXPECT_EQ(Bytes(Units[5]), before);
  // 7 with n fields: every listed own unit stops.
  From(2, "[2 5 30 41 ]");
  ASSERT_NE(Units[5].State, StateStop);
  From(2, "[7 2 6 5 ]");
  EXPECT_EQ(Units[5].State, StateStop);
}

TEST_F(NetServerTest, ProductionIsPricedByTheServerAndMustBeTheBuildingsOwn) {
  // The client's price is ignored; the item must be one the building makes.
  From(2, "[38 8 1 7 ]");
  EXPECT_EQ(Buildings[8].ProductionState, ProductionRunning);
  EXPECT_EQ(Buildings[8].Item, 7);
  EXPECT_EQ(Players[2].Credits, 1000 - ItemCost(7));
  const std::int32_t left = Players[2].Credits;
  From(2, "[38 7 1 7 ]");  // a yard makes no tanks
  From(2, "[38 8 1 8 ]");  // level 3 needed
  From(2, "[38 8 1 36 ]");
  EXPECT_EQ(Players[2].Credits, left);
  EXPECT_EQ(Buildings[7].ProductionState, ProductionIdle);
  // Credits equal to the price are not enough.
  Players[2].Credits = ItemCost(20);
  From(2, "[38 7 0 20 ]");
  EXPECT_EQ(Buildings[7].ProductionState, ProductionIdle);
  Players[2].Credits = ItemCost(20) + 1;
  From(2, "[38 7 0 20 ]");
  EXPECT_EQ(Buildings[7].ProductionState, ProductionRunning);
  EXPECT_EQ(Players[2].Credits, 1);
}

TEST_F(NetServerTest, AnUpgradeIsCheckedAndPaidOnTheServer) {
  Mission.UpgradeLimits[5] = 1;  // heavy factory: one level
  Players[2].Credits = 299;
  From(2, "[16 8 0 ]");
  EXPECT_EQ(Buildings[8].UpgradeIdle, 1);
  Players[2].Credits = 300;
  From(2, "[16 8 0 ]");
  EXPECT_EQ(Buildings[8].UpgradeIdle, 0);
  EXPECT_EQ(Players[2].Credits, 0);
  // A second request while one runs, or past the limit, costs nothing.
  Players[2].Credits = 1000;
  From(2, "[16 8 0 ]");
  Buildings[8].UpgradeIdle = 1;
  Buildings[8].UpgradeLevel = 1;
  From(2, "[16 8 0 ]");
  EXPECT_EQ(Players[2].Credits, 1000);
}

TEST_F(NetServerTest, BuildingsArePlacedOnlyFromTheSendersOwnFinishedItem) {
  const std::uint16_t live = CountLiveBuildings();
  // Nothing finished in the yard: no building at all.
  From(2, "[44 3 20 22 1 2 ]");
  EXPECT_EQ(CountLiveBuildings(), live);
  // A finished power plant (item 20): not for another owner or side, not outside the map, not
  // another kind.
  TBuildingRecord& yard = FinishedYard(20);
  From(2, "[44 3 20 22 2 3 ][44 3 20 22 1 1 ][44 3 20 22 2 2 ][64 20 22 3 2 ][44 3 0 22 1 2 ]"
          "[44 99 20 22 1 2 ][44 4 20 22 1 2 ]");
  EXPECT_EQ(CountLiveBuildings(), live);
  From(2, "[44 3 20 22 1 2 ]");
  ASSERT_EQ(CountLiveBuildings(), live + 1);
  // The item is used up.
  EXPECT_EQ(yard.ProductionState, ProductionIdle);
  From(2, "[44 3 20 24 1 2 ]");
  EXPECT_EQ(CountLiveBuildings(), live + 1);
}

// Another player's base on the rock: a building placed there would join it.
TEST_F(NetServerTest, APlacedBuildingIsTheSendersOwnOrTheRequestIsDropped) {
  InitBuilding(Buildings[10], 8, 20, BuildingConstructionYard, 3, 2, 10);
  const std::uint16_t live = CountLiveBuildings();
  TBuildingRecord& yard = FinishedYard(20);
  // Beside seat 3's yard, as seat 3's, in either side's colour; and as seat 2's there (no
  // contact with its own base).
  From(2, "[44 3 8 22 2 3 ][44 3 8 22 1 3 ][44 3 8 22 2 2 ][44 3 8 22 1 2 ]");
  EXPECT_EQ(CountLiveBuildings(), live);
  EXPECT_EQ(yard.ProductionState, ProductionRunning);  // the item is still there
  // Seat 3's finished item does not pay for seat 2's building.
  yard.ProductionState = ProductionIdle;
  TBuildingRecord& other = Buildings[10];
  other.ProductionState = ProductionRunning;
  other.Item = 20;
  other.ProductionTarget = ItemCost(20);
  other.ProductionProgress = static_cast<float>(other.ProductionTarget);
  From(2, "[44 3 20 22 1 2 ]");
  EXPECT_EQ(CountLiveBuildings(), live);
  From(3, "[44 3 8 22 2 3 ]");
  ASSERT_EQ(CountLiveBuildings(), live + 1);
  for (int i = 1; i <= MaxBuildingSlots; ++i)
    if (Buildings[i].Free == 0 && Buildings[i].X == 8 && Buildings[i].Y == 22) {
      EXPECT_EQ(Buildings[i].Owner, 3);
    }
}

TEST_F(NetServerTest, OneSlabItemLaysOneSlabAndOneBlockItemFour) {
  TBuildingRecord& yard = Buildings[7];
  const std::uint16_t live = CountLiveBuildings();
  // A single slab: one, however many requests follow.
  FinishedYard(ItemSlab);
  From(2, "[44 0 20 22 1 2 ][44 0 21 22 1 2 ][44 0 20 23 1 2 ]");
  EXPECT_EQ(CountLiveBuildings(), live + 1);
  EXPECT_EQ(yard.ProductionState, ProductionIdle);
  // A block laid as four single slabs (as a client lays it), then nothing more; the client's
  // production reset after them changes nothing.
  FinishedYard(ItemSlabBlock);
  From(2, "[44 0 21 22 1 2 ][44 0 20 23 1 2 ][44 0 21 23 1 2 ][44 0 22 22 1 2 ]");
  EXPECT_EQ(CountLiveBuildings(), live + 5);
  EXPECT_EQ(yard.ProductionState, ProductionIdle);
  From(2, "[59 7 ][44 0 22 23 1 2 ][64 22 22 2 1 ]");
  EXPECT_EQ(CountLiveBuildings(), live + 5);
  // A whole block in one request: only from a block item that laid nothing yet, and once.
  FinishedYard(ItemSlab);
  From(2, "[64 20 24 2 1 ]");
  EXPECT_EQ(CountLiveBuildings(), live + 5);
  // Not for another owner, nor in another side's colour.
  FinishedYard(ItemSlabBlock);
  From(2, "[64 20 24 3 2 ][64 20 24 3 1 ][64 20 24 2 2 ]");
  EXPECT_EQ(CountLiveBuildings(), live + 5);
  From(2, "[44 0 20 24 1 2 ][64 21 24 2 1 ]");
  EXPECT_EQ(CountLiveBuildings(), live + 6);
  From(2, "[59 7 ]");
  FinishedYard(ItemSlabBlock);
  From(2, "[64 20 25 2 1 ][64 22 24 2 1 ]");
  EXPECT_EQ(CountLiveBuildings(), live + 10);
  EXPECT_EQ(yard.ProductionState, ProductionIdle);
}

TEST_F(NetServerTest, LobbyMessagesActOnTheSendersSeat) {
  NetGameStarted = 0;
  PlayerConnections[3].Side = SeatWithoutSide;
  PlayerConnections[2].Side = SeatWithoutSide;
  SideChooserSet(SideChooser, {1, 1, 1, 1, 1, 1, 1, 1});
  // A name is cut to what the lobby lets a player type (with the blank after it); the seat
  // named in the message does not matter.
  From(2, "[29 0 3 Mallory (the) very long name that goes on and on]");
  EXPECT_EQ(PlayerConnections[2].Name, "Mallory (the) very long name");
  EXPECT_EQ(PlayerConnections[3].Name, "");
  // Both forms of a text field: with the blank before the bracket it is kept.
  From(2, "[29 0 2 Mal ]");
  EXPECT_EQ(PlayerConnections[2].Name, "Mal ");
  From(2, "[29 0 2 Mal lory]");
  EXPECT_EQ(PlayerConnections[2].Name, "Mal lory");
  From(2, "[30 3 4 ]");
  EXPECT_EQ(PlayerConnections[2].Side, 4);
  EXPECT_EQ(PlayerConnections[3].Side, SeatWithoutSide);
  // A second choice gives the first side back; a taken side is refused.
  From(2, "[30 2 5 ]");
  EXPECT_EQ(PlayerConnections[2].Side, 5);
  EXPECT_EQ(SideChooser.Available[4], 1);
  EXPECT_EQ(SideChooser.Available[5], 0);
  From(3, "[30 3 5 ]");
  EXPECT_EQ(PlayerConnections[3].Side, SeatWithoutSide);
  From(3, "[30 3 8 ][30 3 -1 ]");
  EXPECT_EQ(PlayerConnections[3].Side, SeatWithoutSide);
  // After the start nobody changes sides.
  NetGameStarted = 1;
  From(2, "[30 2 6 ]");
  EXPECT_EQ(PlayerConnections[2].Side, 5);
}

TEST_F(NetServerTest, AFloodOfHostileTextsChangesNothingOfOtherPlayers) {
  const auto unit6 = Bytes(Units[6]);
  const auto building9 = Bytes(Buildings[9]);
  std::vector<std::vector<std::uint8_t>> players;
  for (int p = 1; p <= MaxPlayers; ++p)
    if (p != 2) players.push_back(Bytes(Players[p]));
  const std::string names[] = {PlayerConnections[1].Name, PlayerConnections[3].Name};

  std::mt19937 rng(2026);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const std::string tokens[] = {"0", "1", "2", "5", "6", "7", "8", "9", "-1", "64", "1000", "1001", "3000",
                                "65535", "65536", "2147483647", "-2147483648", "99999999999", "x", "",
                                "[", "]", " "};
  std::string stream;
  for (int i = 0; i < 40000; ++i) {
    stream += "[" + std::to_string(pick(3) ? pick(70) : pick(300) - 50) + " ";
    for (int f = pick(18); f > 0; --f) stream += tokens[pick(std::size(tokens))] + " ";
    if (pick(4) == 0) stream += "text [with] brackets";
    stream += "]";
    if (pick(50) == 0) stream += std::string(static_cast<std::size_t>(pick(100000)), 'z');
  }
  From(2, stream);
  EXPECT_EQ(Bytes(Units[6]), unit6);
  EXPECT_EQ(Bytes(Buildings[9]), building9);
  std::size_t k = 0;
  for (int p = 1; p <= MaxPlayers; ++p) {
    if (p == 2) continue;
    EXPECT_EQ(Bytes(Players[p]), players[k++]) << "player " << p;
  }
  EXPECT_EQ(PlayerConnections[1].Name, names[0]);
  EXPECT_EQ(PlayerConnections[3].Name, names[1]);
  EXPECT_LE(PlayerConnections[2].Name.size(), MaxPlayerNameLength + 1);
}

TEST_F(NetServerTest, TheServersOwnOrdersHappenAtOnceAndAClientsOnlyTravel) {
  InitUnit(Units[4], 12, 12, 4, 0, 1, UnitLightTank);
  NetOrderMoveTo(4, 30, 31);
  EXPECT_EQ(Units[4].DestX, 30);
  EXPECT_EQ(Units[4].DestY, 31);
  const std::int32_t group[] = {4, 99999};
  NetRequestGroupStop(group);
  EXPECT_EQ(Units[4].State, StateStop);
  // On a client the order only travels; its world waits for the server.
  NetRole = RoleClient;
  NetOrderMoveTo(4, 40, 41);
  EXPECT_EQ(Units[4].DestX, 30);
}
