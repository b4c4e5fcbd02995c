// The client's interpreter, the server's snapshots and start, and the lobby screens.
#include <algorithm>
#include <filesystem>
#include <random>
#include <set>

#include "game/menus/dmenus.h"
#include "net_fixture.h"

using namespace zarn;
namespace fs = std::filesystem;

namespace {

class NetClientTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    NetRole = RoleClient;
    LocalPlayer = 3;
    OwnConnectionIndex = 4;
  }
};

}  // namespace

TEST_F(NetClientTest, MessagesChangeTheClientsWorld) {
  ClientInterpretMessage("[142 5 10 11 1 3 6 ]");
  ASSERT_EQ(Units[5].Free, 0);
  EXPECT_EQ(Units[5].Owner, 3);
  EXPECT_EQ(Units[5].Kind, UnitLightTank);
  ClientInterpretMessage("[116 5 12 13 8 2 5 1 ]");
  EXPECT_EQ(Units[5].X, 12);
  EXPECT_EQ(Units[5].Y, 13);
  EXPECT_EQ(Units[5].StepProgress, 8);
  EXPECT_EQ(Units[5].MovePhase, 2);
  EXPECT_EQ(Units[5].TurretFacing, 5);
  EXPECT_EQ(Units[5].State, 1);
  EXPECT_EQ(TileIndexMismatch(), "") << "the units on each tile follow the snapshots";
  // Turrets take the display value as their facing, other buildings as the animation.
  ClientSocketRead("[144 7 20 20 1 3 16 ][144 8 30 30 1 3 4 ]");
  ClientSocketRead("[122 7 6 400 ][122 8 2 900 ]");
  EXPECT_EQ(Buildings[7].TurretFacing, 6);
  EXPECT_EQ(Buildings[7].Health, 400);
  EXPECT_EQ(Buildings[8].AnimFrame, 2);
  EXPECT_EQ(Buildings[8].Health, 900);
  // Credits only from the message meant for this connection.
  Players[3].Credits = 10;
  ClientInterpretMessage("[143 999 5 ]");
  EXPECT_EQ(Players[3].Credits, 10);
  ClientInterpretMessage("[143 999 4 ]");
  EXPECT_EQ(Players[3].Credits, 999);
  // A conversion: the unit shows its new owner; a stranger's code is ignored.
  ClientSocketRead("[167 5 2 4 ][168 5 ][-5 ]");
  EXPECT_EQ(Units[5].Owner, 4);
  EXPECT_EQ(Units[5].Side, 2);
  // A worm's strike ends under the sand.
  ClientInterpretMessage("[155 1 4 20 ]");
  Worms[1].Hidden = 0;
  ClientInterpretMessage("[151 1 ]");
  EXPECT_EQ(Worms[1].Hidden, 1);
  ClientInterpretMessage("[156 15 ]");
  EXPECT_EQ(GameOptions.GameSpeed, 15);
  ClientSocketRead("[156 18 ][156 0 ]");
  EXPECT_EQ(GameOptions.GameSpeed, 15);
}

TEST_F(NetClientTest, OutOfRangeSlotsTilesAndKindsAreDropped) {
  for (const char* bad : {"[142 1001 10 11 1 3 6 ]", "[142 5 0 11 1 3 6 ]", "[142 5 10 65 1 3 6 ]",
                          "[142 5 10 11 8 3 6 ]", "[142 5 10 11 1 9 6 ]", "[142 5 10 11 1 3 16 ]",
                          "[144 3001 10 11 1 3 4 ]", "[144 5 64 64 1 3 2 ]", "[144 5 10 11 1 3 18 ]",
                          "[116 1001 1 1 1 1 1 1 ]", "[149 11 1 1 1 1 1 1 1 ]", "[155 0 1 1 ]",
                          "[160 1001 ]", "[161 -1 ]", "[114 1001 1 1 1 ]", "[115 101 1 1 ]", "[112 0 ]"})
    ClientInterpretMessage(bad);
  EXPECT_EQ(CountLiveUnits(), 0);
  EXPECT_EQ(CountLiveBuildings(), 0);
  EXPECT_EQ(CountLiveWorms(), 0);
  EXPECT_EQ(UnitSlots, 200);
  EXPECT_EQ(BuildingSlots, 200);
  // A burst of random texts does not bring the client down.
  std::mt19937 rng(5);
  std::string noise;
  for (int i = 0; i < 200000; ++i) {
    noise += "[" + std::to_string(101 + rng() % 70) + " ";
    for (int f = static_cast<int>(rng() % 9); f > 0; --f) noise += std::to_string(static_cast<int>(rng() % 70) - 3) + " ";
    noise += "]";
  }
  ClientSocketRead(noise);
  SUCCEED();
}

TEST_F(NetClientTest, TheMapNameIsABareFileNameAndAMissingMapEndsTheConnection) {
  const fs::path oldCwd = fs::current_path();
  fs::current_path(fs::path(ZARN_BINARY_DIR) / "game");
  GameOptions.MessageEnable = true;
  MessageLine.Hidden = 1;
  MapFileName = "field.map";  // the map of a game before
  ClientInterpretMessage("[157   alm2.map  ]");
  EXPECT_EQ(MessageLine.Hidden, 1);
  EXPECT_EQ(MapFileName, "alm2.map");
  ClientInterpretMessage("[157 ..\\data\\zarn.res]");
  EXPECT_EQ(MessageLine.Hidden, 0);
  MessageLine.Hidden = 1;
  ClientInterpretMessage("[157 nosuch.map ]");
  EXPECT_EQ(MessageLine.Hidden, 0);
  EXPECT_FALSE(ClientRunning());
  // What came in the same read after the end of the connection is not acted on.
  ClientSocketRead("[157 nosuch.map ][142 5 10 11 1 3 6 ][158 1 1 5 ]");
  EXPECT_EQ(NetGameStarted, 0);
  EXPECT_NE(Units[5].Free, 0);
  fs::current_path(oldCwd);
}

TEST_F(NetClientTest, TheLobbyExchangeNamesTheSeatAndChoosesASide) {
  GameOptions.PlayerName = "Eve";
  ClientInterpretMessage("[129 6 5 ]");
  EXPECT_EQ(OwnConnectionIndex, 6);
  EXPECT_EQ(LocalPlayer, 5);
  ClientInterpretMessage("[130 0 1 1 0 0 0 0 1 ]");
  EXPECT_EQ(SideChoiceOpen, 1);
  EXPECT_EQ(SideChooser.Selected, 1);
  EXPECT_EQ(SideAvailable, (std::array<std::uint8_t, 8>{0, 1, 1, 0, 0, 0, 0, 1}));
  ClientInterpretMessage("[130 0 1 2 0 0 0 0 1 ]");  // a flag must be 0 or 1
  EXPECT_EQ(SideAvailable[2], 1);
  ViewState.LocalSide = 2;
  ClientInterpretMessage("[131 ]");
  EXPECT_EQ(SideChoiceOpen, 0);
  EXPECT_EQ(Players[5].Side, 2);
  ClientInterpretMessage("[129 6 1 ]");  // the server's own seat is never a client's
  EXPECT_EQ(LocalPlayer, 5);
}

TEST_F(NetTest, SnapshotsCarryLiveUnitsBuildingsButNoSlabsAndNoOwnCredits) {
  NetRole = RoleServer;
  InitUnit(Units[2], 10, 11, 2, 1, 2, UnitLightTank);
  InitUnit(Units[3], 12, 13, 3, 1, 2, UnitTrike);
  Units[3].OffMap = 1;
  InitBuilding(Buildings[1], 20, 20, BuildingSlab, 2, 1, 1);
  InitBuilding(Buildings[2], 22, 20, BuildingGunTurret, 2, 1, 2);
  Buildings[2].TurretFacing = 3;
  InitBuilding(Buildings[3], 24, 20, BuildingRefinery, 2, 1, 3);
  Buildings[3].AnimFrame = 2;
  const TUnitRecord& u = Units[2];
  EXPECT_EQ(UnitSnapshotText(), "[116 2 10 11 " + std::to_string(u.StepProgress) + " " +
                                    std::to_string(u.MovePhase) + " " + std::to_string(u.TurretFacing) +
                                    " " + std::to_string(u.State) + " ]");
  EXPECT_EQ(BuildingSnapshotText(), "[122 2 3 " + std::to_string(Buildings[2].Health) + " ][122 3 2 " +
                                        std::to_string(Buildings[3].Health) + " ]");
  EXPECT_EQ(WormSnapshotText(), "");
}

TEST_F(NetTest, StartVehiclesGoToEverySeatWithASideInRegionsOfTheirOwn) {
  NetRole = RoleServer;
  GameOptions.Partners = 8;
  for (int k = 1; k <= 8; ++k) Seat(k, k - 1);
  PlaceStartVehicles();
  std::set<int> regions;
  for (int s = 1; s <= 8; ++s) {
    ASSERT_EQ(Units[s].Free, 0) << s;
    EXPECT_EQ(Units[s].Owner, s);
    EXPECT_EQ(Units[s].Side, s - 1);
    // 64 x 64: q 16, h 32; a region's centre column and row name it.
    regions.insert((Units[s].X - 1) / 16 + 4 * ((Units[s].Y - 1) / 32));
  }
  EXPECT_EQ(regions.size(), 8u);
  // The server's own vehicle is selected.
  EXPECT_EQ(ViewState.SelectedCount, 1);
  EXPECT_EQ(Units[ViewState.Selection[1].Index].Owner, 1);

  // A seat whose client left before choosing a side gets nothing; the next seat does.
  KillAllUnits();
  GameOptions.Partners = 3;
  PlayerConnections[2].Side = SeatWithoutSide;
  PlaceStartVehicles();
  EXPECT_EQ(Units[1].Owner, 1);
  EXPECT_EQ(Units[2].Owner, 3);
  EXPECT_EQ(Units[3].Owner, 4);
  EXPECT_EQ(Units[4].Free, 1);
}

TEST_F(NetTest, TheLobbyStoresItsSettingsAndItsBackButtonRestoresThem) {
  GameOptions.Partners = 3;
  GameOptions.MaxUnitForAlliance = 200;
  GameOptions.AsServer = false;
  GameOptions.RusChat = false;
  OpenNetLobby();
  EXPECT_EQ(GameScreen, ScreenNetLobby);
  // Toggle a switch, then Back: the switch returns, the main menu opens.
  MouseX = 20;
  MouseY = 140;
  NetLobbyClick();
  EXPECT_TRUE(GameOptions.RusChat);
  MouseX = 212;  // on the picture, outside the hit area
  MouseY = 180;
  NetLobbyClick();
  EXPECT_EQ(GameScreen, ScreenNetLobby);
  MouseX = 288;
  NetLobbyClick();
  EXPECT_EQ(GameScreen, ScreenMainMenu);
  EXPECT_FALSE(GameOptions.RusChat);

  // Accept as a client: the edit lines become the settings, the slots follow the player count.
  OpenNetLobby();
  EditLineSetText(EditBox1, "Zed");
  EditLineSetText(EditBox2, "10.0.0.7");
  MouseX = 60;
  MouseY = 180;
  NetLobbyClick();
  EXPECT_EQ(GameScreen, ScreenPlay);
  EXPECT_EQ(NetRole, RoleClient);
  EXPECT_EQ(GameOptions.PlayerName, "Zed");
  EXPECT_EQ(GameOptions.Server, "10.0.0.7");
  EXPECT_EQ(UnitSlots, 600);
  GameOptions.Partners = 8;
  OpenNetLobby();
  NetLobbyClick();
  EXPECT_EQ(UnitSlots, MaxUnitSlots);  // 8 x 200, held to the table
}

TEST_F(NetClientTest, TheStartPutsTheViewOnTheVehicleAndSelectsItAlone) {
  ClientInterpretMessage("[142 6 20 22 1 3 0 ]");
  ASSERT_EQ(Units[6].Free, 0);
  Units[6].Deselected = 1;
  ViewState.SelectedCount = 2;
  ViewState.Selection[2].InUse = 1;
  ViewState.Groups[3][1].InUse = 1;
  ClientInterpretMessage("[158 11 17 6 ]");
  EXPECT_EQ(NetGameStarted, 1);
  EXPECT_EQ(ViewState.ViewX, 11);
  EXPECT_EQ(ViewState.ViewY, 17);
  EXPECT_EQ(ViewState.SelectedCount, 1);
  EXPECT_EQ(ViewState.Selection[1].Index, 6);
  EXPECT_EQ(ViewState.Selection[1].InUse, 1);
  EXPECT_EQ(ViewState.Selection[2].InUse, 0);
  EXPECT_EQ(ViewState.Groups[3][1].InUse, 0);
  EXPECT_EQ(Units[6].Deselected, 0);
}

TEST_F(NetTest, BackToTheMainMenuFromTheMapChoiceIsSinglePlayAgain) {
  ASSERT_NO_FATAL_FAILURE(AcceptLobbyAsServer());
  OpenNetLobby();  // Esc on the map choice
  MouseX = 288;
  NetLobbyClick();
  EXPECT_EQ(GameScreen, ScreenMainMenu);
  EXPECT_EQ(NetRole, RoleSingle);
}

TEST_F(NetTest, TheMapChoiceNeedsASideAndSeatsTheServer) {
  const fs::path oldCwd = fs::current_path();
  fs::current_path(fs::path(ZARN_BINARY_DIR) / "game");
  GameOptions.Partners = 2;
  GameOptions.PlayerName = "Host";
  OpenNetMapChoice();
  ASSERT_GT(FileListBox.Count(), 0);
  SideChooserSet(SideChooser, {0, 0, 0, 0, 0, 0, 0, 0});
  MouseX = 50;
  MouseY = 178;
  NetMapChoiceClick();
  EXPECT_EQ(GameScreen, ScreenNetMapChoice);
  SideChooserSet(SideChooser, {0, 0, 1, 1, 1, 1, 1, 1});
  NetMapChoiceClick();
  EXPECT_EQ(GameScreen, ScreenPlay);
  EXPECT_EQ(NetRole, RoleServer);
  EXPECT_EQ(MapFileName, FileListBox.Items[FileListBox.Selection] + ".map");
  EXPECT_EQ(PlayerConnections[1].Side, 2);
  EXPECT_EQ(PlayerConnections[1].Name, "Host");
  EXPECT_EQ(SideChooser.Available[2], 0);
  EXPECT_EQ(Players[1].Side, 2);
  EXPECT_EQ(Players[1].Credits, 1000);
  EXPECT_EQ(CountUsedPlayerSlots(), 1);
  fs::current_path(oldCwd);
}
