// The side panel on the demo data set: what the middle area and the command column show for
// each kind of selection, pinned by golden pictures (written to <build>/golden/<scene>.png when
// they differ) and by the colours a player reads.
#include <array>
#include <vector>

#include "tests/shell/playscreen_fixture.h"

using namespace zarn;

namespace {

using SidePanel = PlayScreenTest;

// The command column of the panel with room for captions wider than its box.
constexpr int ColumnX = 251, ColumnY = 159, ColumnW = 69, ColumnH = 41;

std::array<std::uint8_t, ColumnW * ColumnH> Column() {
  std::array<std::uint8_t, ColumnW * ColumnH> c{};
  for (int y = 0; y < ColumnH; ++y)
    for (int x = 0; x < ColumnW; ++x)
      c[static_cast<std::size_t>(y * ColumnW + x)] = BackBuffer[static_cast<std::size_t>((ColumnY + y) * ScreenWidth + ColumnX + x)];
  return c;
}

void PutColumn(const std::array<std::uint8_t, ColumnW * ColumnH>& c, int x0, int y0) {
  for (int y = 0; y < ColumnH; ++y)
    for (int x = 0; x < ColumnW; ++x) PutPixel(x0 + x, y0 + y, c[static_cast<std::size_t>(y * ColumnW + x)]);
}

// The pixels of a rectangle of the back buffer.
std::vector<std::uint8_t> Region(int x1, int y1, int x2, int y2) {
  std::vector<std::uint8_t> r;
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x) r.push_back(BackBuffer[static_cast<std::size_t>(y * ScreenWidth + x)]);
  return r;
}

// The text as the panel draws it alone on the panel's background, in the rectangle from (x, y).
std::vector<std::uint8_t> TextAlone(int x, int y, int x2, int y2, std::string_view cp1251) {
  ClearScreen();
  DrawPanelBase();
  DrawText(SecondFont, x, y, PanelTextColour, ToFontCodePage(cp1251));
  return Region(x, y, x2, y2);
}

TEST_F(SidePanel, HarvesterLoadIsTruncatedNotRounded) {
  TUnitRecord& h = AddUnit(1, 10, 10, UnitHarvester);
  h.Capacity = 1000;
  h.Load = 996;
  SelectUnits({1});
  DrawPanel();
  testgolden::ExpectPicture("panel_harvester_99", 0xe7172d8a302b7897ull);
  // Full: "100%" is a wider caption than "99%".
  h.Load = 1000;
  DrawPanel();
  testgolden::ExpectPicture("panel_harvester_full", 0x7c718794a62becbaull);
}

TEST_F(SidePanel, ForeignUnitIsNamedInRedWithoutCommands) {
  AddUnit(1, 10, 10, UnitLightTank, 2, 2);
  SelectUnits({1});
  DrawPanel();
  const auto withUnit = Column();
  EXPECT_GT(CountColour(75, 165, 140, 170, PanelAlertColour), 10);
  EXPECT_EQ(CountColour(75, 165, 140, 170, PanelOwnColour), 0);
  ClearScreen();
  DrawPanelBase();
  EXPECT_EQ(withUnit, Column()) << "a foreign unit got a command column";
}

TEST_F(SidePanel, UnitCommandsLightWhatTheUnitDoes) {
  TUnitRecord& t = AddUnit(1, 10, 10, UnitLightTank);
  SelectUnits({1});
  std::array<std::array<std::uint8_t, ColumnW * ColumnH>, 4> states;
  const std::uint8_t lit[4] = {2, 0, 1, 7};  // moving, no order, attacking, something else
  for (int i = 0; i < 4; ++i) {
    t.State = lit[i];
    DrawPanel();
    states[static_cast<std::size_t>(i)] = Column();
  }
  PendingOrder = 2;
  DrawPanel();
  const auto cancel = Column();
  ClearScreen();
  RestorePanel();
  for (int i = 0; i < 4; ++i) PutColumn(states[static_cast<std::size_t>(i)], 2 + 72 * i, 10);
  PutColumn(cancel, 2, 60);
  testgolden::ExpectPicture("panel_unit_commands", 0xa439db1501553b92ull);
}

TEST_F(SidePanel, ProductionCaptionThroughEveryState) {
  AddBuilding(1, 5, 3, BuildingConstructionYard);
  AddBuilding(2, 9, 3, BuildingBarracks);
  std::vector<std::array<std::uint8_t, ColumnW * ColumnH>> shots;
  auto shoot = [&](std::uint16_t slot) {
    SelectOne(slot, 1);
    DrawPanel();
    shots.push_back(Column());
  };
  TBuildingRecord& barracks = Buildings[2];
  barracks.Item = 2;
  barracks.ProductionState = ProductionIdle;
  shoot(2);  // "ПОСТРОИТЬ"
  barracks.ProductionState = ProductionRunning;
  barracks.ProductionTarget = 150;
  barracks.ProductionProgress = 59.9f;  // 39.9 % shows 39
  shoot(2);
  barracks.ProductionProgress = 150;
  shoot(2);  // "СДЕЛАНО"
  barracks.ProductionState = ProductionPaused;
  barracks.ProductionProgress = 30;
  shoot(2);  // "<-СТОИТ->"
  TBuildingRecord& yard = Buildings[1];
  yard.Item = 20;
  yard.ProductionState = ProductionRunning;
  yard.ProductionTarget = 300;
  yard.ProductionProgress = 300;
  shoot(1);  // "ПОСТАВИТЬ"
  PendingOrder = 4;
  shoot(1);  // picture 39, "ОТМЕНИТЬ"
  ClearScreen();
  for (std::size_t i = 0; i < shots.size(); ++i)
    PutColumn(shots[i], 2 + 72 * static_cast<int>(i % 4), 2 + 50 * static_cast<int>(i / 4));
  testgolden::ExpectPicture("panel_production_states", 0x642d6b22e6f4e556ull);
}

TEST_F(SidePanel, PowerPlantShowsDemandAndOutputInRedWhenShort) {
  TBuildingRecord& plant = AddBuilding(1, 5, 3, BuildingPowerPlant);
  AddBuilding(2, 8, 3, BuildingHeavyFactory);   // draws 35
  AddBuilding(3, 12, 3, BuildingAirFactory);    // 40
  plant.PowerOutput = 60;
  SelectOne(1, 1);
  DrawPanel();
  testgolden::ExpectPicture("panel_power_short", 0x66a6cba61d20bc7full);
  // Demand 75 over one plant: the output is drawn in the alert colour at (222, 187).
  EXPECT_GT(CountColour(222, 187, 240, 195, PanelAlertColour), 5);
  plant.PowerOutput = 100;
  DrawPanel();
  EXPECT_EQ(CountColour(222, 187, 240, 195, PanelAlertColour), 0);
  EXPECT_GT(CountColour(222, 187, 240, 195, PanelTextColour), 5);
}

TEST_F(SidePanel, FourteenUnitsFillSevenColumnsOfTwo) {
  std::vector<std::uint16_t> slots;
  for (std::uint16_t s = 1; s <= 14; ++s) {
    TUnitRecord& u = AddUnit(s, 2 + s, 20, static_cast<std::uint8_t>(s % 10));
    u.Health = u.MaxHealth * s / 14;
  }
  SelectUnits({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
  DrawPanel();
  testgolden::ExpectPicture("panel_fourteen_units", 0xafcd3e37a623955full);
  // The seventh column starts at x 225 and its pictures end at 248; nothing drawn past it.
  ClearScreen();
  DrawObjectInfo();
  EXPECT_LT(CountColour(225, 165, 248, 194, 0), 24 * 30) << "no picture in the last column";
  EXPECT_EQ(CountColour(249, 160, 258, 199, 0), 10 * 40);
  EXPECT_EQ(CountColour(75, 160, 224, 164, 0), 150 * 5);
}

TEST_F(SidePanel, ACarrierShowsItsCargoToItsOwnerAndInANetworkGame) {
  TUnitRecord& carrier = AddUnit(1, 10, 10, UnitCarrier);
  AddUnit(2, 11, 10, UnitLightTank);
  TUnitRecord& hurt = AddUnit(3, 12, 10, UnitLightTank);
  hurt.Health = hurt.MaxHealth / 3;
  carrier.Cargo[1] = 2;
  carrier.Cargo[2] = 3;
  carrier.CargoCount = 2;
  SelectUnits({1});
  DrawPanel();
  // Cargo pictures from (175, 165) down, each with its health bar 14 rows below it.
  EXPECT_EQ(CountColour(175, 179, 198, 179, PanelOwnColour), 24);
  EXPECT_GT(CountColour(175, 195, 198, 195, PanelWormColour), 0);
  EXPECT_EQ(CountColour(175, 195, 198, 195, PanelOwnColour), 0);
  carrier.Owner = 2;
  DrawPanel();
  EXPECT_EQ(CountColour(175, 179, 198, 179, PanelOwnColour), 0) << "a foreign cargo shown in single play";
  NetRole = RoleClient;
  DrawPanel();
  EXPECT_EQ(CountColour(175, 179, 198, 179, PanelOwnColour), 24);
}

TEST_F(SidePanel, StorageAndUpgradeFiguresAndTheNativeInfantrysNames) {
  AddBuilding(1, 5, 3, BuildingSilo);
  AddBuilding(2, 8, 3, BuildingRefinery);
  Players[1].Credits = 5001;
  SelectOne(1, 1);
  DrawPanel();
  const auto heading = Region(180, 167, 300, 173);
  const auto rule = Region(178, 174, 232, 174);
  const auto stock = Region(180, 177, 300, 185);
  const auto most = Region(180, 187, 300, 195);
  EXPECT_EQ(heading, TextAlone(180, 167, 300, 173, "ОССИН"_cp1251));
  EXPECT_EQ(stock, TextAlone(180, 177, 300, 185, "ЕСТЬ:   2500"_cp1251));
  EXPECT_EQ(most, TextAlone(180, 187, 300, 195, "МАКС: 2000"_cp1251));
  // The rule under the heading: x 180 to 230 in the text colour.
  ASSERT_EQ(rule.size(), 55u);
  for (std::size_t i = 2; i <= 52; ++i) EXPECT_EQ(rule[i], PanelTextColour) << "x " << 178 + i;
  DrawPanelBase();
  const auto bare = Region(178, 174, 232, 174);
  EXPECT_EQ(std::vector<std::uint8_t>(rule.begin(), rule.begin() + 2), std::vector<std::uint8_t>(bare.begin(), bare.begin() + 2));
  EXPECT_EQ(std::vector<std::uint8_t>(rule.end() - 2, rule.end()), std::vector<std::uint8_t>(bare.end() - 2, bare.end()));
  TBuildingRecord& yard = AddBuilding(3, 12, 3, BuildingConstructionYard);
  yard.UpgradeIdle = 0;
  yard.UpgradeTarget = 250;
  yard.UpgradeProgress = 99.9f;
  SelectOne(3, 1);
  DrawPanel();
  const auto upgrading = Region(115, 187, 250, 193);
  EXPECT_EQ(upgrading, TextAlone(115, 187, 250, 193, "МОДЕРНИЗАЦИЯ 39%"_cp1251));
  yard.UpgradeIdle = 1;
  DrawPanel();
  const auto idle = Region(115, 187, 250, 193);
  EXPECT_EQ(idle, TextAlone(115, 187, 250, 193, ""));

  // Infantry of sides 3 and 4 are named by their side in single play only.
  AddUnit(1, 20, 20, UnitInfantryman, 2, 3);
  SelectUnits({1});
  const auto name = [] {
    DrawPanel();
    return Region(75, 165, 250, 170);
  };
  const auto single = name();
  NetRole = RoleClient;
  const auto network = name();
  EXPECT_NE(single, network);
  Units[1].Side = 1;
  EXPECT_EQ(name(), network);
  NetRole = RoleSingle;
  EXPECT_EQ(name(), network) << "a side-1 infantryman renamed";
}

TEST_F(SidePanel, WormAndSpecialWeapon) {
  CreateWorm(Worms[1], 30, 30, 1);
  Worms[1].Health = WormHealth / 3;  // below half: yellow bar
  SelectOne(1, 2);
  DrawPanel();
  EXPECT_GT(CountColour(75, 165, 180, 170, PanelWormColour), 10);
  EXPECT_GT(CountColour(75, 194, 106, 194, PanelWormColour), 5);

  TBuildingRecord& palace = AddBuilding(1, 5, 3, BuildingPalace);
  palace.LastFireTick = WorldTickCount + 10;
  SelectOne(1, 1);
  DrawPanel();
  const auto charging = Column();
  ClearScreen();
  DrawPanelBase();
  EXPECT_EQ(charging, Column()) << "a charging weapon shows a button";
  palace.LastFireTick = WorldTickCount;
  DrawPanel();
  EXPECT_NE(charging, Column()) << "a ready weapon shows no button";
}

TEST_F(SidePanel, MenuButtonIsDrawnPressedForOneFrameOfHover) {
  ClearScreen();
  DrawPanelBase();
  const auto idle = BackBuffer;
  MenuButtonIdle = 0;  // the hover step found the pointer on the button
  DrawPanelBase();
  EXPECT_NE(idle, BackBuffer);
  EXPECT_EQ(MenuButtonIdle, 1);
  DrawPanelBase();
  EXPECT_EQ(idle, BackBuffer) << "stays pressed after the pointer left";
}

}  // namespace
