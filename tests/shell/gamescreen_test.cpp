// One frame of the play screen: a whole frame of a generated mission pinned by a golden picture,
// the outline and message of a building being placed, the status line's figures, and the
// network screen's debug lines and side chooser.
#include <cstdlib>

#include "game/shell/playmouse.h"
#include "platform/app.h"
#include "platform/null/null.h"
#include "tests/shell/campaign_world.h"
#include "tests/shell/playscreen_fixture.h"

using namespace zarn;

namespace {

using GameScreenFrame = PlayScreenTest;

std::uint16_t FirstBuilding(std::uint8_t kind, std::uint8_t owner) {
  for (int i = 1; i <= BuildingSlots; ++i)
    if (Buildings[i].Free == 0 && Buildings[i].Kind == kind && Buildings[i].Owner == owner)
      return static_cast<std::uint16_t>(i);
  return 0;
}

TEST_F(GameScreenFrame, WholeFrameOfAGeneratedMission) {
  StartGeneratedMission("frame");
  ViewState.ViewX = 1;
  ViewState.ViewY = 1;
  const std::uint16_t yard = FirstBuilding(BuildingConstructionYard, 1);
  ASSERT_NE(yard, 0);
  SelectOne(yard, 1);
  Buildings[yard].Deselected = 0;
  Buildings[yard].Item = 20;
  TickCount = 4000;
  WorldTickCount |= 9;
  MouseX = 200;
  MouseY = 120;
  ArrowCursor();  // as the hover step leaves it over empty ground
  ResetLastViewPos();
  ClearScreen();
  DrawGameScreen();
  EXPECT_EQ(presents_, 1);
  testgolden::ExpectPicture("game_frame_mission", 0x822f9a5cf4997758ull);
  // The figures at the top.
  EXPECT_EQ(StatusCache.Units, CountUnitsOfPlayer(1));
  EXPECT_GT(CountColour(200, 5, 318, 15, PanelOwnColour), 20);
}

class Placement : public PlayScreenTest {
 protected:
  void SetUp() override {
    PlayScreenTest::SetUp();
    AddBuilding(1, 5, 3, BuildingConstructionYard);  // 3 x 3 on the plateau
    Buildings[1].Item = 20;                          // a finished power plant, 2 x 2
    SelectOne(1, 1);
    PendingOrder = 4;
  }
  static void PointAtCell(int x, int y) {
    MouseX = (x - ViewState.ViewX) * 16 + 5;
    MouseY = (y - ViewState.ViewY) * 16 + 5;
  }
  static std::string Message() { return std::string(MessageLine.View()); }
  static std::string NoPlace() { return InFontCodePage("Здесь нельзя поставить"_cp1251).bytes; }
};

TEST_F(Placement, OutlineShowsWhereTheBuildingFits) {
  PointAtCell(7, 4);  // touching the yard, on rock
  ClearScreen();
  DrawPlacementOutline();
  EXPECT_EQ(Message(), " ");
  EXPECT_EQ(MessageLine.Hidden, 0);
  // 32 x 32 from the snapped point (96, 48).
  EXPECT_EQ(Pixel(96, 48), 43);
  EXPECT_EQ(Pixel(127, 79), 43);
  EXPECT_EQ(Pixel(128, 48), 0);
  EXPECT_EQ(CountColour(96, 48, 127, 79, 43), 4 * 31);

  PointAtCell(19, 2);  // half on sand
  ClearScreen();
  DrawPlacementOutline();
  EXPECT_EQ(Message(), NoPlace());
  EXPECT_EQ(CountColour(288, 16, 319, 47, 12), 4 * 31) << "the refused outline is in the alert colour";
}

TEST_F(Placement, RefusedWhereBlockedOrUnconnected) {
  PointAtCell(17, 11);  // rock, but away from every own building
  ClearScreen();
  DrawPlacementOutline();
  EXPECT_EQ(Message(), NoPlace());
  EXPECT_EQ(CountColour(256, 160, 287, 191, 12), 0) << "drawn over the panel";
  ViewState.ViewY = 5;
  PointAtCell(17, 11);
  ClearScreen();
  DrawPlacementOutline();
  EXPECT_EQ(CountColour(256, 96, 287, 127, 12), 4 * 31);
  // A tank on the cell blocks it even beside the yard.
  ViewState.ViewY = 1;
  AddUnit(1, 8, 5, UnitLightTank);
  PointAtCell(7, 4);
  ClearScreen();
  DrawPlacementOutline();
  EXPECT_EQ(Message(), NoPlace());
  EXPECT_EQ(CountColour(96, 48, 127, 79, 12), 4 * 31);
}

TEST_F(Placement, OverThePanelOnlyTheMessageChanges) {
  PointAtCell(7, 4);
  MouseY = 170;  // cell row 11 of the view: sand under the panel
  ClearScreen();
  DrawPlacementOutline();
  EXPECT_EQ(Message(), NoPlace());
  EXPECT_EQ(CountColour(0, 0, 319, 199, 0), 320 * 200);
  // The panel's top rows snap to a map row, yet the pointer is on the panel.
  MouseY = 158;
  DrawPlacementOutline();
  EXPECT_EQ(CountColour(0, 0, 319, 199, 0), 320 * 200);
}

TEST_F(Placement, NothingWithoutABuildingOfThisSeatSelectedAlone) {
  PointAtCell(7, 4);
  // A stale order with a unit selection: the entry's index is a building slot, not a unit.
  ViewState.SelectionKind = 0;
  ClearScreen();
  DrawPlacementOutline();
  EXPECT_EQ(MessageLine.Hidden, 1);
  EXPECT_EQ(CountColour(0, 0, 319, 199, 0), 320 * 200);
  // Another player's building, and a unit item.
  ViewState.SelectionKind = 1;
  Buildings[1].Owner = 2;
  DrawPlacementOutline();
  Buildings[1].Owner = 1;
  Buildings[1].Item = 5;
  DrawPlacementOutline();
  EXPECT_EQ(MessageLine.Hidden, 1);
  EXPECT_EQ(CountColour(0, 0, 319, 199, 0), 320 * 200);
  // The slab block takes 2 x 2.
  Buildings[1].Item = ItemSlabBlock;
  DrawPlacementOutline();
  EXPECT_EQ(CountColour(96, 48, 127, 79, 43), 4 * 31);
}

TEST_F(GameScreenFrame, StatusLineCountsOnTicksWithNineAndShowsCapsAbove99As99) {
  Players[1].Credits = 1234;
  for (std::uint16_t i = 1; i <= 6; ++i) AddBuilding(i, 2 + 3 * i, 30, BuildingBarracks);  // cap 120
  AddUnit(1, 3, 3, UnitTrike);
  // The status line drawn now is the two texts drawn alone.
  const auto expectShown = [](std::string_view units) {
    ClearScreen();
    DrawStatusLine();
    const auto shown = BackBuffer;
    ClearScreen();
    DrawText(ThirdFont, 200, 5, 200, "   1234");
    DrawText(ThirdFont, 260, 5, 200, units);
    EXPECT_EQ(shown, BackBuffer) << units;
  };
  WorldTickCount = 1000;  // 1000 & 9 = 8: the old figures stay
  StatusCache = TStatusCache{7, 8};
  expectShown("  7/8");
  EXPECT_EQ(StatusCache.Units, 7);

  WorldTickCount = 1001;
  expectShown("  1/99");
  EXPECT_EQ(StatusCache.Units, 1);
  EXPECT_EQ(StatusCache.Cap, 120);
}

TEST_F(GameScreenFrame, SurvivalCountdownRunsBelowZero) {
  Mission.GoalType = GoalSurvive30;
  WorldTickCount = 32760 + 182;  // ten seconds past the limit
  ClearScreen();
  DrawGameScreen();
  const auto shown = BackBuffer;
  std::vector<std::uint8_t> top(shown.begin(), shown.begin() + 320 * 9);
  ClearScreen();
  DrawText(MainFont, 100, 1, 200, TicksToMinSec(-182));
  std::vector<std::uint8_t> want(BackBuffer.begin(), BackBuffer.begin() + 320 * 9);
  for (std::size_t i = 0; i < top.size(); ++i)
    if (want[i] == 200) {
      EXPECT_EQ(top[i], 200) << "pixel " << i;
    }
  EXPECT_EQ(TicksToMinSec(-182).front(), '-');
}

class NetScreen : public PlayScreenTest {
 protected:
  void SetUp() override {
    PlayScreenTest::SetUp();
    setenv("ZARN_PLATFORM", "null", 1);
    ASSERT_TRUE(plat::Init());
    BytesSent = BytesReceived = BytesSentLastSecond = BytesReceivedLastSecond = 0;
    NetRates = TNetRates{};
    DebugFlags.DebugMode = 1;
    ShowFrameRate = 1;
    // The cursor's mask and colour outlive a program and the previous test; the frame draws
    // the cursor with them before it sets the colour for the next frame.
    SelectCursor(1);
    SetCursorColor(CursorNormalColour);
  }
  void TearDown() override {
    NetRole = RoleSingle;
    SideChoiceOpen = 0;
    DebugFlags.DebugMode = 0;
    ShowFrameRate = 0;
    BytesSent = BytesReceived = BytesSentLastSecond = BytesReceivedLastSecond = 0;
    plat::Shutdown();
  }
};

TEST_F(NetScreen, ByteRatesAreTheBytesOfTheLastWholeSecond) {
  NetRole = RoleClient;
  plat::null::AdvanceClock(5000);
  BytesSent = 100;
  BytesReceived = 7;
  DrawNetDebugLines(true);
  BytesSent = 150;
  DrawNetDebugLines(true);
  EXPECT_EQ(NetRates.Sent, 100);
  EXPECT_EQ(NetRates.Received, 7);
  plat::null::AdvanceClock(999);
  DrawNetDebugLines(true);
  EXPECT_EQ(NetRates.Sent, 100);
  plat::null::AdvanceClock(2);
  BytesSent = 300;
  DrawNetDebugLines(true);
  EXPECT_EQ(NetRates.Sent, 200);
  EXPECT_EQ(NetRates.Received, 0);
  EXPECT_EQ(BytesSent, 300u) << "the totals go on";
  // The lobby's lines leave the figures alone; without debug mode nothing is drawn.
  plat::null::AdvanceClock(5000);
  BytesSent = 1000;
  DrawNetDebugLines(false);
  EXPECT_EQ(NetRates.Sent, 200);
  DebugFlags.DebugMode = 0;
  ClearScreen();
  DrawNetDebugLines(true);
  EXPECT_EQ(NetRates.Sent, 200);
  EXPECT_EQ(CountColour(0, 0, 319, 80, 0), 320 * 81);
}

TEST_F(NetScreen, OnlyAClientWithItsChooserOpenDrawsTheSideChooser) {
  DebugFlags.DebugMode = 0;
  SideChooserCreate(SideChooser, 100, 50);
  SideChoiceOpen = 1;
  NetRole = RoleServer;
  DrawNetGameScreen();
  const auto server = BackBuffer;
  NetRole = RoleClient;
  SideChoiceOpen = 0;
  DrawNetGameScreen();
  EXPECT_TRUE(BackBuffer == server);
  SideChoiceOpen = 1;
  DrawNetGameScreen();
  EXPECT_FALSE(BackBuffer == server);
  EXPECT_EQ(presents_, 3);
}

}  // namespace
