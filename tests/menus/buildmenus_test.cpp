// The build menus as a player meets them: what each building offers, ordering and paying,
// refusals with their messages, upgrades, the long lists' scrolling and its pace, the choose
// button, the repeat check box and its network requests, and the way back to play. The yard's
// and the heavy factory's pictures are pinned by golden pictures.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "game/base/cp1251.h"
#include "game/menus/dmenus.h"
#include "tests/common/demofonts.h"
#include "tests/common/golden.h"
#include "tests/world/empty_world.h"

namespace fs = std::filesystem;
using namespace zarn;

namespace {

std::vector<std::string> Calls;

class BuildMenu : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const fs::path old = fs::current_path();
    fs::current_path(fs::path(ZARN_BINARY_DIR) / "game");
    loaded_ = LoadPaletteSheetFile("data\\army.dat", TileSheet16.Ref(), 1, 79) == 0 &&
              LoadSheetFile("data\\cursors.dat", TileSheet16.Ref(), 260, 44) == 0 &&
              LoadSheetFile("data\\icons.dat", LargeIcons.Ref(), 1, 43) == 0 &&
              OpenResourceArchive("data\\zarn.res", archive_) == 0;
    loaded_ = testfonts::LoadDemoFonts(fonts_) && loaded_;
    fs::current_path(old);
  }
  static void TearDownTestSuite() {
    CloseAllArchives();
    ResetFonts();
  }

  void SetUp() override {
    ASSERT_TRUE(loaded_) << "demo data set missing";
    ResetHooks();
    Calls.clear();
    PresentFrameProc = [] { Calls.push_back("present"); };
    NetRequestBuildMenu62Proc = [](std::int32_t b) { Calls.push_back("62 " + std::to_string(b)); };
    NetRequestBuildMenu63Proc = [](std::int32_t b) { Calls.push_back("63 " + std::to_string(b)); };
    NetWorldTickProc = [] { Calls.push_back("net step"); };
    BuildMenuButtonHeld = [] { return held_; };
    held_ = false;
    EmptyWorld64();
    NetRole = RoleSingle;
    LocalPlayer = 1;
    UnitSlots = DefaultUnitSlots;
    BuildingSlots = DefaultBuildingSlots;
    Mission = TMissionRecord{};
    Mission.PlayerCount = 2;
    for (int k = 1; k <= 6; ++k) Mission.UpgradeLimits[k] = 3;
    for (int k = 1; k <= 35; ++k) Mission.Available[k] = 1;
    Players[1].Credits = 5000;
    Players[2].Credits = 5000;
    ViewState = TViewState{};
    ViewState.LocalSide = 1;
    GameOptions.MessageEnable = true;
    HideMessageLine();
    MenuState = TMenuState{};
    GameScreen = ScreenPlay;
    KeyCode = NoKey;
    TickCount = 1000;
    WorldTickCount = 500;
    MouseX = 300;
    MouseY = 5;
    // The pointer as start-up leaves it, whatever screen a test before drew.
    ResetCursorState();
    SelectCursor(0);
    SetCursorColor(200);
    InitPointerAnimCounters();
    GameOptions.StarCraftCursor = true;
    ClearScreen();
  }

  static TBuildingRecord& Add(std::uint16_t slot, int x, int y, std::uint8_t kind, std::uint8_t owner = 1,
                              std::uint8_t side = 1) {
    InitBuilding(Buildings[slot], x, y, kind, owner, side, slot);
    return Buildings[slot];
  }
  // Everything the yard's conditions ask for: a power plant, a refinery, a radar, a light
  // factory and a starport of player 1.
  static void AddYardBase() {
    Add(10, 20, 20, BuildingPowerPlant);
    Add(11, 23, 20, BuildingRefinery);
    Add(12, 27, 20, BuildingRadar);
    Add(13, 30, 20, BuildingLightFactory);
    Add(14, 34, 20, BuildingStarport);
  }
  static void ClickAt(int x, int y) {
    MouseX = x;
    MouseY = y;
    ScreenProcsClick();
  }
  static void ScreenProcsClick() {
    switch (GameScreen) {
      case ScreenYardBuildMenu: YardBuildMenuClick(); break;
      case ScreenBarracksBuildMenu: BarracksBuildMenuClick(); break;
      case ScreenAcademyBuildMenu: AcademyBuildMenuClick(); break;
      case ScreenLightFactoryBuildMenu: LightFactoryBuildMenuClick(); break;
      case ScreenAirFactoryBuildMenu: AirFactoryBuildMenuClick(); break;
      case ScreenHeavyFactoryBuildMenu: HeavyFactoryBuildMenuClick(); break;
      default: FAIL() << "no build menu open";
    }
  }
  static void Frame() {
    switch (GameScreen) {
      case ScreenYardBuildMenu: YardBuildMenuDraw(); break;
      case ScreenHeavyFactoryBuildMenu: HeavyFactoryBuildMenuDraw(); break;
      case ScreenBarracksBuildMenu: BarracksBuildMenuDraw(); break;
      default: break;
    }
  }
  static void ClickOrder() { ClickAt(150, 175); }
  static void ClickChoose() { ClickAt(150, 190); }
  static void ClickForward() {
    ClickAt(30, 190);
    TickCount += 4;
  }
  static void ClickBack() {
    ClickAt(30, 175);
    TickCount += 4;
  }
  static std::uint8_t Selected() { return MenuState.BuildItems[static_cast<std::size_t>(MenuState.SelectedItem - 1)]; }
  static void SelectKind(std::uint8_t kind) {
    for (int i = 0; i < MenuState.BuildItemCount; ++i)
      if (MenuState.BuildItems[static_cast<std::size_t>(i)] == kind) MenuState.SelectedItem = i + 1;
    ASSERT_EQ(Selected(), kind);
  }
  static std::string Message() { return MessageLine.Hidden ? std::string() : std::string(MessageLine.View()); }
  static std::string Font(std::string_view cp1251) { return ToFontCodePage(cp1251); }
  static std::vector<std::uint8_t> Items() {
    return {MenuState.BuildItems.begin(), MenuState.BuildItems.begin() + MenuState.BuildItemCount};
  }

  static inline bool loaded_ = false;
  static inline bool held_ = false;
  static inline std::vector<std::uint8_t> fonts_[3];
  static inline std::vector<std::uint8_t> archive_;
};

TEST_F(BuildMenu, WhatEachBuildingOffers) {
  Add(1, 2, 2, BuildingConstructionYard);
  OpenYardBuildMenu(1);
  EXPECT_EQ(GameScreen, ScreenYardBuildMenu);
  EXPECT_EQ(Items(), (std::vector<std::uint8_t>{18, 17, 20})) << "a bare yard";
  AddYardBase();
  OpenYardBuildMenu(1);
  EXPECT_EQ(Items(), (std::vector<std::uint8_t>{18, 17, 30, 31, 29, 27, 34, 28, 33, 24, 25, 26, 22, 23, 21, 20, 32}));
  // Without its availability the academy (25) is offered to faction 0 only.
  const auto offersAcademy = [] {
    OpenYardBuildMenu(1);
    const std::vector<std::uint8_t> items = Items();
    return std::find(items.begin(), items.end(), 25) != items.end();
  };
  Mission.Available[25] = 0;
  EXPECT_FALSE(offersAcademy());
  ViewState.LocalSide = 0;
  EXPECT_TRUE(offersAcademy());
  ViewState.LocalSide = 1;
  Mission.Available[25] = 1;
  // A building of another player does not count.
  Buildings[14].Owner = 2;
  OpenYardBuildMenu(1);
  EXPECT_EQ(Items().size(), 15u);

  Add(2, 5, 5, BuildingBarracks);
  OpenBarracksBuildMenu(2);
  EXPECT_EQ(Items(), (std::vector<std::uint8_t>{2, 1}));
  Mission.Available[2] = 0;
  OpenBarracksBuildMenu(2);
  EXPECT_EQ(Items(), (std::vector<std::uint8_t>{1}));
  Add(3, 8, 5, BuildingLightFactory);
  ViewState.LocalSide = 0;
  OpenLightFactoryBuildMenu(3);
  EXPECT_EQ(Items(), (std::vector<std::uint8_t>{6}));
  Add(4, 11, 5, BuildingHeavyFactory, 1, 0);
  Add(5, 15, 5, BuildingResearchCentre);
  OpenHeavyFactoryBuildMenu(4);
  EXPECT_EQ(Items(), (std::vector<std::uint8_t>{12, 8, 9, 7, 13, 11}));
  EXPECT_EQ(MenuState.MenuOwner, 1);
  EXPECT_EQ(MenuState.HoveredButton, 4);
}

TEST_F(BuildMenu, CreditsEqualToThePriceLeaveZeroAndStartProduction) {
  Add(1, 2, 2, BuildingConstructionYard);
  OpenYardBuildMenu(1);
  SelectKind(17);
  Players[1].Credits = ItemCost(17);
  ClickOrder();
  EXPECT_EQ(Players[1].Credits, 0);
  EXPECT_EQ(Buildings[1].ProductionState, ProductionRunning);
  EXPECT_EQ(Buildings[1].Item, 17);
  EXPECT_EQ(Buildings[1].ProductionTarget, ItemCost(17));
  EXPECT_EQ(GameScreen, ScreenPlay);

  Add(2, 6, 2, BuildingBarracks);
  OpenBarracksBuildMenu(2);
  SelectKind(1);
  Players[1].Credits = ItemCost(1) - 1;
  ClickOrder();
  EXPECT_EQ(Players[1].Credits, ItemCost(1) - 1);
  EXPECT_EQ(Buildings[2].ProductionState, ProductionIdle);
  EXPECT_EQ(Message(), Font("Не хватает финансов"_cp1251));
  EXPECT_EQ(GameScreen, ScreenPlay);
}

TEST_F(BuildMenu, UnitLimitIsOneBelowTheCap) {
  Add(1, 2, 2, BuildingBarracks);  // cap 20
  for (std::uint16_t s = 1; s <= 19; ++s) InitUnit(Units[s], 10 + s, 30, s, 1, 1, UnitTrike);
  OpenBarracksBuildMenu(1);
  SelectKind(1);
  ClickOrder();
  EXPECT_EQ(Message(), Font("Нельзя создать больше"_cp1251));
  EXPECT_EQ(Players[1].Credits, 5000);
  EXPECT_EQ(Buildings[1].ProductionState, ProductionIdle);
  EXPECT_EQ(GameScreen, ScreenPlay);

  RemoveUnit(Units[19]);
  HideMessageLine();
  OpenBarracksBuildMenu(1);
  SelectKind(1);
  ClickOrder();
  EXPECT_EQ(Message(), "");
  EXPECT_EQ(Players[1].Credits, 5000 - ItemCost(Selected()));
  // The limit counts the local player's units even on another player's building.
  Add(2, 6, 2, BuildingBarracks, 2, 2);
  for (std::uint16_t s = 19; s <= 20; ++s) InitUnit(Units[s], 10 + s, 31, s, 1, 1, UnitTrike);
  OpenBarracksBuildMenu(2);
  SelectKind(1);
  ClickOrder();
  EXPECT_EQ(Message(), Font("Нельзя создать больше"_cp1251));
}

TEST_F(BuildMenu, HeavyFactoryUpgradeCosts300) {
  TBuildingRecord& f = Add(1, 2, 2, BuildingHeavyFactory);
  f.UpgradeLevel = 2;
  OpenHeavyFactoryBuildMenu(1);
  ASSERT_EQ(Selected(), 8) << "the siege tank first";
  Frame();
  testgolden::ExpectPicture("buildmenu_heavy_upgrade", 0xde57f2bbc84b0a1dull);
  ClickOrder();
  EXPECT_EQ(Players[1].Credits, 5000 - 300);
  EXPECT_EQ(f.UpgradeIdle, 0);
  EXPECT_EQ(f.UpgradeTarget, 300);
  EXPECT_EQ(f.ProductionState, ProductionIdle) << "an upgrade, not an order";
  EXPECT_EQ(GameScreen, ScreenPlay);
  // A second click while it runs: nothing.
  OpenHeavyFactoryBuildMenu(1);
  ClickOrder();
  EXPECT_EQ(Players[1].Credits, 5000 - 300);
  // Short of money: the message, nothing paid.
  f.UpgradeIdle = 1;
  Players[1].Credits = 299;
  OpenHeavyFactoryBuildMenu(1);
  ClickOrder();
  EXPECT_EQ(Message(), Font("Не хватает финансов для модернизации"_cp1251));
  EXPECT_EQ(Players[1].Credits, 299);
  // Exactly the price: the upgrade starts and leaves nothing.
  Players[1].Credits = 300;
  OpenHeavyFactoryBuildMenu(1);
  ClickOrder();
  EXPECT_EQ(Players[1].Credits, 0);
  EXPECT_EQ(f.UpgradeIdle, 0);
  f.UpgradeIdle = 1;
  // At the mission's limit: silently nothing.
  HideMessageLine();
  Players[1].Credits = 5000;
  Mission.UpgradeLimits[5] = 2;
  OpenHeavyFactoryBuildMenu(1);
  ClickOrder();
  EXPECT_EQ(Message(), "");
  EXPECT_EQ(Players[1].Credits, 5000);
  EXPECT_EQ(f.UpgradeIdle, 1);
}

TEST_F(BuildMenu, YardListOfSeventeenScrollsFourRowsAtItsPace) {
  Add(1, 2, 2, BuildingConstructionYard);
  AddYardBase();
  OpenYardBuildMenu(1);
  ASSERT_EQ(MenuState.BuildItemCount, 17);
  Frame();
  testgolden::ExpectPicture("buildmenu_yard_top", 0xe069e68a803dd1efull);
  for (int i = 2; i <= 17; ++i) {
    ClickForward();
    EXPECT_EQ(MenuState.SelectedItem, i);
    EXPECT_EQ(MenuState.FirstShownItem, std::max(1, i - 3));
  }
  ClickForward();
  EXPECT_EQ(MenuState.SelectedItem, 1);
  EXPECT_EQ(MenuState.FirstShownItem, 1);
  ClickBack();
  EXPECT_EQ(MenuState.SelectedItem, 17);
  EXPECT_EQ(MenuState.FirstShownItem, 14);
  ClickBack();
  EXPECT_EQ(MenuState.SelectedItem, 16);
  EXPECT_EQ(MenuState.FirstShownItem, 14);
  // A second step before four ticks have passed is ignored.
  ClickAt(30, 175);
  ClickAt(30, 175);
  EXPECT_EQ(MenuState.SelectedItem, 15);
  // Holding the button on an arrow steps every fourth tick.
  TickCount += 4;
  held_ = true;
  MouseX = 30;
  MouseY = 190;
  for (int t = 0; t < 12; ++t) {
    Frame();
    ++TickCount;
  }
  // 15 -> 16 -> 17 -> round to 1.
  EXPECT_EQ(MenuState.SelectedItem, 1);
  EXPECT_EQ(MenuState.FirstShownItem, 1);
  EXPECT_EQ(GameScreen, ScreenYardBuildMenu);
  // Back from 1 to 17, then up past the top row: the list follows the selection.
  held_ = false;
  TickCount += 4;
  for (int i = 0; i < 5; ++i) ClickBack();
  EXPECT_EQ(MenuState.SelectedItem, 13);
  EXPECT_EQ(MenuState.FirstShownItem, 13);
}

TEST_F(BuildMenu, ShortListsWrapWithoutPacing) {
  Add(1, 2, 2, BuildingBarracks);
  OpenBarracksBuildMenu(1);
  ClickAt(30, 190);
  ClickAt(30, 190);
  EXPECT_EQ(MenuState.SelectedItem, 1) << "two entries: forward twice comes back";
  ClickAt(30, 175);
  EXPECT_EQ(MenuState.SelectedItem, 2);
  // The arrow keys step it too.
  KeyCode = 38;
  Frame();
  EXPECT_EQ(MenuState.SelectedItem, 1);
  // A list row selects its entry.
  ClickAt(20, 60);
  EXPECT_EQ(MenuState.SelectedItem, 2);
  ClickAt(20, 52);  // between the rows
  EXPECT_EQ(MenuState.SelectedItem, 2);
  EXPECT_EQ(GameScreen, ScreenBarracksBuildMenu);
}

TEST_F(BuildMenu, ChooseOnlyOnAnIdleBuildingAndEscReturnsToPlay) {
  TBuildingRecord& b = Add(1, 2, 2, BuildingBarracks);
  const auto choose = [](std::uint8_t kind) {
    OpenBarracksBuildMenu(1);
    SelectKind(kind);
    ClickChoose();
    EXPECT_EQ(GameScreen, ScreenPlay);
  };
  b.Item = 1;
  choose(1);
  EXPECT_EQ(b.Item, 1);
  b.UpgradeLevel = 1;
  choose(2);
  EXPECT_EQ(b.Item, 2);
  // Just ordered (progress still 0): the paid item stays.
  b.Item = 1;
  b.ProductionState = ProductionRunning;
  b.ProductionProgress = 0;
  choose(2);
  EXPECT_EQ(b.Item, 1);

  OpenBarracksBuildMenu(1);
  KeyCode = KeyEsc;
  Frame();
  EXPECT_EQ(GameScreen, ScreenPlay);
  EXPECT_TRUE(Calls.empty()) << "Esc draws nothing more";
}

TEST_F(BuildMenu, EmptyListOnlyReturnsToPlay) {
  for (int k = 1; k <= 35; ++k) Mission.Available[k] = 0;
  TBuildingRecord& f = Add(1, 2, 2, BuildingHeavyFactory);
  f.Item = 8;
  OpenHeavyFactoryBuildMenu(1);
  ASSERT_EQ(MenuState.BuildItemCount, 0);
  Frame();
  testgolden::ExpectPicture("buildmenu_heavy_empty", 0xd78d17f26a64a97aull);
  ClickAt(30, 190);
  EXPECT_EQ(MenuState.SelectedItem, 1);
  ClickOrder();
  EXPECT_EQ(GameScreen, ScreenPlay);
  EXPECT_EQ(Message(), "") << "nothing was ordered, so nothing was refused";
  EXPECT_EQ(Players[1].Credits, 5000);
  EXPECT_EQ(f.ProductionState, ProductionIdle);
  OpenHeavyFactoryBuildMenu(1);
  ClickChoose();
  EXPECT_EQ(GameScreen, ScreenPlay);
  EXPECT_EQ(f.Item, 8);
}

TEST_F(BuildMenu, ClosesWhenItsBuildingIsGoneOrChangedHands) {
  TBuildingRecord& b = Add(1, 2, 2, BuildingBarracks);
  OpenBarracksBuildMenu(1);
  RemoveBuilding(b);
  ClickOrder();
  EXPECT_EQ(GameScreen, ScreenPlay);
  EXPECT_EQ(Players[1].Credits, 5000);

  Add(1, 2, 2, BuildingBarracks);
  OpenBarracksBuildMenu(1);
  Buildings[1].Owner = 2;
  Frame();
  EXPECT_EQ(GameScreen, ScreenPlay);
  EXPECT_TRUE(Calls.empty());
  Buildings[1].Owner = 1;
  OpenBarracksBuildMenu(1);
  Buildings[1].Owner = 2;
  ClickOrder();
  EXPECT_EQ(Players[1].Credits, 5000);
  EXPECT_EQ(Buildings[1].ProductionState, ProductionIdle);
  // A free slot never opens.
  OpenYardBuildMenu(7);
  EXPECT_EQ(GameScreen, ScreenPlay);
}

TEST_F(BuildMenu, RepeatCheckBoxAndTheServersWorldStep) {
  TBuildingRecord& b = Add(3, 2, 2, BuildingBarracks);
  OpenBarracksBuildMenu(3);
  ClickAt(70, 5);
  EXPECT_EQ(b.RepeatProduction, 1);
  ClickAt(70, 5);
  EXPECT_EQ(b.RepeatProduction, 0);
  EXPECT_EQ(Calls, (std::vector<std::string>{"62 3", "63 3"}));
  EXPECT_EQ(GameScreen, ScreenBarracksBuildMenu);

  Calls.clear();
  Frame();
  NetRole = RoleServer;
  Frame();
  Frame();
  NetRole = RoleSingle;
  EXPECT_EQ(Calls, (std::vector<std::string>{"present", "present", "net step", "present", "net step"}));
}

}  // namespace
