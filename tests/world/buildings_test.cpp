#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/world/dobjects.h"
#include "tests/world/empty_world.h"

using namespace zarn;

namespace {

std::vector<std::pair<std::int32_t, std::string>> SentTexts;
std::vector<std::int32_t> ToggleRequests, RepairStops, RemovedUnits, RemovedBuildings;

class BuildingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHooks();
    SentTexts.clear();
    ToggleRequests.clear();
    RepairStops.clear();
    RemovedUnits.clear();
    RemovedBuildings.clear();
    NetSendTextToPlayerProc = [](std::int32_t p, std::string_view t) { SentTexts.emplace_back(p, std::string(t)); };
    NetToggleRepairProc = [](std::int32_t b) { ToggleRequests.push_back(b); };
    NetBroadcastRepairStopProc = [](std::int32_t b) { RepairStops.push_back(b); };
    NetRemoveUnitProc = [](std::int32_t u) { RemovedUnits.push_back(u); };
    NetRemoveBuildingProc = [](std::int32_t b) { RemovedBuildings.push_back(b); };
    EmptyWorld64();
    UnitSlots = 200;
    BuildingSlots = 200;
    Mission = TMissionRecord{{}, 2, 1, GoalCredits2000, {}, 0};
    NetRole = RoleSingle;
    LocalPlayer = 1;
    DebugFlags = DefaultDebugFlags;
    WorldTickCount = 1003;  // a building tick: (1003 and 3) = 3
    GameOptions.MessageEnable = true;
    MessageLine.Hidden = 1;
    MessageLine.TextLength = 0;
    Randomize(7);
  }
  void TearDown() override {
    ResetHooks();
    NetRole = RoleSingle;
  }

  static TBuildingRecord& Make(int slot, std::uint8_t kind, std::uint8_t owner, int x, int y,
                               std::uint8_t side = 1) {
    InitBuilding(Buildings[slot], x, y, kind, owner, side, static_cast<std::uint16_t>(slot));
    return Buildings[slot];
  }
  // Runs the world's building ticks up to and including tick last.
  static void RunUntil(std::int32_t last) {
    while (WorldTickCount < last) {
      ++WorldTickCount;
      if ((WorldTickCount & 3) == 3)
        for (int i = 1; i <= BuildingSlots; ++i) BuildingTick(Buildings[i]);
      CheckTileIndex();
    }
  }
  static std::string Shown() { return MessageLine.Hidden ? "" : std::string(MessageLine.View()); }
};

template <typename T>
T At(const std::uint8_t* bytes, std::size_t offset) {
  T v;
  std::memcpy(&v, bytes + offset, sizeof v);
  return v;
}

}  // namespace

// ---- The record ----

TEST_F(BuildingsTest, RecordFieldsLandOnTheirStoredOffsets) {
  TBuildingRecord b{};
  b.MaxHealth = 0x0102;
  b.X = 0x11223344;
  b.Health = -2;
  b.Kind = 17;
  b.TurretAimTime = -9;
  b.ProductionProgress = 12.5f;
  b.Marker.ExpiryTick = 0x0C0D0E0F;
  b.RepeatProduction = 9;
  std::uint8_t bytes[sizeof b];
  std::memcpy(bytes, &b, sizeof b);
  EXPECT_EQ(bytes[0] + bytes[1] * 256, 0x0102);
  EXPECT_EQ(bytes[40] + bytes[43] * 256, 0x1144);
  EXPECT_EQ(At<std::int32_t>(bytes, 48), -2);
  EXPECT_EQ(bytes[66], 17);
  EXPECT_EQ(At<std::int32_t>(bytes, 104), -9);
  EXPECT_EQ(At<float>(bytes, 108), 12.5f);
  EXPECT_EQ(At<std::int32_t>(bytes, 136), 0x0C0D0E0F);
  EXPECT_EQ(bytes[140], 9);
}

TEST_F(BuildingsTest, InitBuildingLeavesNothingOfTheSlotsLastTenant) {
  TBuildingRecord clean{};
  InitBuilding(clean, 10, 12, BuildingRefinery, 1, 1, 5);
  std::memset(&Buildings[5], 0xAB, sizeof(TBuildingRecord));
  InitBuilding(Buildings[5], 10, 12, BuildingRefinery, 1, 1, 5);
  EXPECT_EQ(std::memcmp(&clean, &Buildings[5], sizeof clean), 0);

  EXPECT_EQ(Buildings[5].RepairCost, 20);
  // The 3 x 2 footprint holds the ground.
  for (int x = 10; x <= 12; ++x)
    for (int y = 12; y <= 13; ++y) EXPECT_EQ(OccupancyMap.Cell(x, y), 1) << x << "," << y;
  EXPECT_EQ(OccupancyMap.Cell(13, 12), 0);
  EXPECT_EQ(OccupancyMap.Cell(10, 14), 0);
}

TEST_F(BuildingsTest, DefaultItemsAndUpgradesBySideAndWhatCountsAsMade) {
  EXPECT_EQ(Make(1, BuildingLightFactory, 1, 5, 5, 0).Item, 6);
  EXPECT_EQ(Buildings[1].UpgradeLevel, 1);
  EXPECT_EQ(Make(2, BuildingLightFactory, 1, 8, 5, 2).Item, 5);
  EXPECT_EQ(Buildings[2].UpgradeLevel, 0);
  Make(6, BuildingSlab, 1, 30, 30);
  Make(7, BuildingWall, 1, 31, 30);
  // Slabs and walls leave the ground to the units; slabs are no buildings made.
  EXPECT_EQ(OccupancyMap.Cell(30, 30) + OccupancyMap.Cell(31, 30), 0);
  EXPECT_EQ(Players[1].BuildingsMade, 3);
}

TEST_F(BuildingsTest, FootprintsStayInsideTheGridAndGoWithTheBuilding) {
  TBuildingRecord& edge = Make(1, BuildingPalace, 1, 255, 255);
  EXPECT_EQ(OccupancyMap.Cell(256, 256), 1);
  RemoveBuilding(edge);
  EXPECT_EQ(OccupancyMap.Cell(255, 255), 0);
  EXPECT_EQ(OccupancyMap.Cell(256, 256), 0);
  EXPECT_EQ(edge.Free, 1);

  TBuildingRecord& b = Make(2, BuildingBarracks, 1, 20, 20);
  std::int32_t tx = 0, ty = 0;
  NearestFootprintTile(b, 30, 10, tx, ty);
  EXPECT_EQ(tx * 100 + ty, 2120);
  RemoveBuilding(b);
  for (int x = 20; x <= 21; ++x)
    for (int y = 20; y <= 21; ++y) EXPECT_EQ(OccupancyMap.Cell(x, y), 0);
}

// ---- Production as the player sees it ----

TEST_F(BuildingsTest, ThreeHundredCreditItemStepsEveryTwentyTicksAndAppearsOnTheSixteenthAction) {
  Make(1, BuildingConstructionYard, 1, 30, 30);  // room for units
  Make(2, BuildingBarracks, 1, 33, 30);
  TBuildingRecord& f = Make(3, BuildingHeavyFactory, 1, 10, 10);
  Players[1].Credits = 1000;
  Players[1].Credits -= 300;  // the build menu pays
  ASSERT_EQ(OrderBuildingProduction(f, 7, 300), 0);
  EXPECT_EQ(f.ProductionStep, 20.0f);

  std::vector<std::int32_t> actionTicks;
  float last = 0;
  std::int32_t reachedAt = -1, unitAt = -1;
  WorldTickCount = 1002;
  while (WorldTickCount < 1400 && unitAt < 0) {
    RunUntil(WorldTickCount + 1);
    if (f.ProductionProgress != last) {
      if (f.ProductionProgress > last) actionTicks.push_back(WorldTickCount);
      last = f.ProductionProgress;
      if (f.ProductionProgress >= 300 && reachedAt < 0) reachedAt = WorldTickCount;
    }
    if (CountUnitsOfPlayer(1) == 1) unitAt = WorldTickCount;
  }
  ASSERT_EQ(actionTicks.size(), 15u);
  for (std::size_t i = 1; i < actionTicks.size(); ++i) EXPECT_EQ(actionTicks[i] - actionTicks[i - 1], 20);
  EXPECT_EQ(actionTicks.front(), 1003);
  EXPECT_EQ(reachedAt, 1003 + 14 * 20);
  EXPECT_EQ(unitAt, 1003 + 15 * 20);
  EXPECT_EQ(f.ProductionState, ProductionIdle);
  EXPECT_EQ(Players[1].Credits, 700);
  EXPECT_EQ(Shown(), ToFontCodePage("Наш объект ожидает"_cp1251));
}

TEST_F(BuildingsTest, RefusedUnitIsRefundedAndReorderingRefundsTheOldItem) {
  // No yard and no barracks: no room for a unit.
  TBuildingRecord& f = Make(1, BuildingHeavyFactory, 1, 10, 10);
  Players[1].Credits = 0;
  OrderBuildingProduction(f, 7, 300);
  f.ProductionProgress = 300;
  AdvanceProduction(f);
  EXPECT_EQ(CountUnitsOfPlayer(1), 0);
  EXPECT_EQ(Players[1].Credits, 300);
  EXPECT_EQ(f.ProductionState, ProductionIdle);

  Players[1].Credits = 0;
  WorldTickCount += 20;
  OrderBuildingProduction(f, 7, 300);
  f.ProductionProgress = 140;
  OrderBuildingProduction(f, 8, 600);
  EXPECT_EQ(Players[1].Credits, 300);
  EXPECT_EQ(f.ProductionProgress, 0.0f);
  EXPECT_EQ(f.ProductionTarget, 600);
  // A building that makes nothing takes no order.
  EXPECT_EQ(OrderBuildingProduction(Make(2, BuildingSilo, 1, 20, 20), 7, 300), 1);
}

TEST_F(BuildingsTest, PauseAndRepairHoldProductionStill) {
  TBuildingRecord& f = Make(1, BuildingBarracks, 1, 10, 10);
  OrderBuildingProduction(f, 1, 60);
  RunUntil(1003 + 40);
  const float made = f.ProductionProgress;
  EXPECT_GT(made, 0.0f);
  ToggleProductionPause(f);
  EXPECT_EQ(f.ProductionState, ProductionPaused);
  RunUntil(WorldTickCount + 100);
  EXPECT_EQ(f.ProductionProgress, made);
  ToggleProductionPause(f);
  f.Health = 100;
  Players[1].Credits = 10000;
  ToggleBuildingRepair(f);
  RunUntil(WorldTickCount + 20);
  EXPECT_EQ(f.ProductionProgress, made);
  EXPECT_GT(f.Health, 100);
}

TEST_F(BuildingsTest, UpgradesFollowTheMissionsLimitsAndOneRunsAtATime) {
  Mission.UpgradeLimits[4] = 2;  // light factory
  Mission.UpgradeLimits[2] = 0;  // barracks
  TBuildingRecord& f = Make(1, BuildingLightFactory, 1, 10, 10, 0);  // starts at level 1
  TBuildingRecord& barracks = Make(2, BuildingBarracks, 1, 14, 10);
  EXPECT_EQ(StartBuildingUpgrade(barracks, 300), 1);
  EXPECT_EQ(barracks.UpgradeIdle, 1);

  ASSERT_EQ(StartBuildingUpgrade(f, 400), 0);
  EXPECT_EQ(f.UpgradeStep, 20.0f);
  RunUntil(WorldTickCount + 3 * 16);
  const float progress = f.UpgradeProgress;
  EXPECT_GT(progress, 0.0f);
  // A second start while one runs would lose the first one's progress and price.
  EXPECT_EQ(StartBuildingUpgrade(f, 100), 1);
  EXPECT_EQ(f.UpgradeProgress, progress);
  EXPECT_EQ(f.UpgradeTarget, 400);

  RunUntil(WorldTickCount + 25 * 16);
  EXPECT_EQ(f.UpgradeLevel, 2);
  EXPECT_EQ(f.UpgradeIdle, 1);
  EXPECT_EQ(Shown(), ToFontCodePage("Модернизация завершена"_cp1251));
  EXPECT_EQ(StartBuildingUpgrade(f, 400), 1);  // the mission's limit is reached
}

// ---- Repair ----

TEST_F(BuildingsTest, RepairBuysHealthByThePriceAndStopsAtFullHealth) {
  TBuildingRecord& r = Make(1, BuildingRefinery, 1, 10, 10);
  r.Health = 250;
  Players[1].Credits = 1000;
  ToggleBuildingRepair(r);
  EXPECT_EQ(r.RepairOff, 0);
  RepairBuilding(r);
  EXPECT_EQ(r.Health, 272);  // Trunc(300 / 400 x 30) = 22 for 20 credits
  EXPECT_EQ(Players[1].Credits, 980);
  RunUntil(WorldTickCount + 12);
  EXPECT_EQ(r.Health, 294);
  RunUntil(WorldTickCount + 12);
  EXPECT_EQ(r.Health, 300);  // never past full health
  EXPECT_EQ(Players[1].Credits, 940);
  RunUntil(WorldTickCount + 12);
  EXPECT_EQ(r.RepairOff, 1);
  EXPECT_EQ(Players[1].Credits, 940);  // finding it whole costs nothing
}

TEST_F(BuildingsTest, RepairNeverChargesForNothing) {
  // Whole already; a wall (health 0 of 0); a kind past the table (cost 0); too poor.
  Make(1, BuildingSilo, 1, 10, 10);
  Make(2, BuildingWall, 1, 20, 20);
  Make(3, 18, 1, 30, 30).Health = 50;
  Make(4, BuildingRadar, 1, 40, 40).Health = 10;
  Players[1].Credits = 19;
  for (int i = 1; i <= 4; ++i) {
    const std::int32_t health = Buildings[i].Health;
    ToggleBuildingRepair(Buildings[i]);
    RepairBuilding(Buildings[i]);
    EXPECT_EQ(Buildings[i].RepairOff, 1) << i;
    EXPECT_EQ(Buildings[i].Health, health) << i;
  }
  EXPECT_EQ(Players[1].Credits, 19);
}

TEST_F(BuildingsTest, RepairSwitchTellsTheOtherSideInBothDirections) {
  TBuildingRecord& b = Make(7, BuildingRadar, 1, 10, 10);
  NetRole = RoleClient;
  ToggleBuildingRepair(b);
  ToggleBuildingRepair(b);
  EXPECT_EQ(ToggleRequests, (std::vector<std::int32_t>{7, 7}));
  EXPECT_EQ(b.RepairOff, 1);

  NetRole = RoleServer;
  ToggleRequests.clear();
  ToggleBuildingRepair(b);
  EXPECT_EQ(b.RepairOff, 0);
  EXPECT_TRUE(RepairStops.empty());
  ToggleBuildingRepair(b);
  EXPECT_EQ(b.RepairOff, 1);
  EXPECT_EQ(RepairStops, (std::vector<std::int32_t>{7}));
}

// ---- Power ----

TEST_F(BuildingsTest, EachKindDrawsItsOwnPower) {
  // Slab, wall, yard, plant, refinery, silo, radar, barracks, academy, light factory, heavy
  // factory, repair, air factory, research centre, starport, palace, gun and rocket turrets.
  const std::int32_t need[18] = {0, 0, 0, 0, 30, 5, 30, 20, 20, 20, 35, 25, 40, 50, 80, 80, 5, 10};
  for (std::uint8_t kind = 0; kind < 18; ++kind) {
    DestroyAllBuildings();
    Make(1, kind, 1, 10, 10);
    Make(2, BuildingRadar, 2, 30, 30);  // another owner's draw is not ours
    EXPECT_EQ(PowerConsumption(1), need[kind]) << "kind " << int(kind);
  }
}

TEST_F(BuildingsTest, OverloadedPowerWearsTheLocalPlayersPlantsOnly) {
  TBuildingRecord& plant = Make(1, BuildingPowerPlant, 1, 10, 10);
  Make(2, BuildingRefinery, 1, 13, 10);
  Make(3, BuildingRadar, 1, 17, 10);
  Make(4, BuildingBarracks, 1, 20, 10);
  Make(5, BuildingBarracks, 1, 23, 10);
  RunUntil(WorldTickCount + 2 * 540);
  EXPECT_EQ(PowerSupply(1), 100);
  EXPECT_EQ(PowerConsumption(1), 100);
  EXPECT_EQ(plant.Health, 100);

  Make(6, BuildingAcademy, 1, 26, 10);
  RunUntil(WorldTickCount + 540);
  EXPECT_EQ(plant.Health, 99);
  EXPECT_EQ(plant.PowerOutput, 99);
  EXPECT_EQ(Players[1].BuildingsDestroyed, 0);

  // A computer player's plants do not wear in single play.
  TBuildingRecord& theirs = Make(10, BuildingPowerPlant, 2, 40, 40);
  Make(11, BuildingPalace, 2, 43, 40);
  RunUntil(WorldTickCount + 3 * 540);
  EXPECT_EQ(theirs.Health, theirs.MaxHealth);
  EXPECT_EQ(CountPowerPlants(2), 1);
  EXPECT_EQ(CountPowerPlants(3), 1);  // never 0
}

TEST_F(BuildingsTest, AnOverloadedPlantThatBurnsOutCreditsNobodyAndCostsNothingMore) {
  TBuildingRecord& plant = Make(1, BuildingPowerPlant, 1, 10, 10);
  Make(2, BuildingPalace, 1, 13, 10);  // needs 80 of the plant's 1
  plant.Health = 1;
  Players[1].Credits = 500;
  ToggleBuildingRepair(plant);
  plant.NextActionTick = WorldTickCount + 4;
  plant.NextRepairTick = WorldTickCount;  // due together with the plant's action
  RunUntil(WorldTickCount + 4);
  EXPECT_EQ(plant.Free, 1);
  EXPECT_EQ(Players[1].BuildingsDestroyed, 0);
  EXPECT_EQ(Players[1].Credits, 500);
}

// ---- Damage and destruction ----

TEST_F(BuildingsTest, LosingAStoreCostsItsShareOfTheCredits) {
  TBuildingRecord& silo = Make(1, BuildingSilo, 1, 10, 10);
  Make(2, BuildingSilo, 1, 13, 10);
  InitUnit(Units[5], 30, 30, 5, 2, 2, UnitLightTank);
  Players[1].Credits = 3000;
  DamageBuilding(silo, 1000, 5, AttackerUnit);
  EXPECT_EQ(silo.Free, 1);
  EXPECT_EQ(Players[1].Credits, 1500);
  EXPECT_EQ(Players[2].BuildingsDestroyed, 1);

  // A computer player in single play counts one store more.
  TBuildingRecord& theirs = Make(3, BuildingRefinery, 2, 40, 40);
  Make(4, BuildingRocketTurret, 1, 36, 40);
  Players[2].Credits = 900;
  DamageBuilding(theirs, 1000, 4, AttackerBuilding);
  EXPECT_EQ(Players[2].Credits, 450);
  EXPECT_EQ(Players[1].BuildingsDestroyed, 1);
}

TEST_F(BuildingsTest, DamageBurnsAtHalfHealthAndGodModeSparesTheLocalPlayer) {
  TBuildingRecord& b = Make(1, BuildingBarracks, 1, 10, 10);
  DamageBuilding(b, 99, 0, AttackerUnit);
  EXPECT_EQ(b.Marker.Hidden, 1);
  DamageBuilding(b, 1, 0, AttackerUnit);
  EXPECT_EQ(b.Health, 100);
  EXPECT_EQ(b.Marker.Hidden, 0);
  EXPECT_EQ(b.Marker.ExpiryTick, TickCount + 180);

  DebugFlags.GodMode = 1;
  DamageBuilding(b, 50, 0, AttackerUnit);
  EXPECT_EQ(b.Health, 100);
  TBuildingRecord& slab = Make(2, BuildingSlab, 1, 20, 20);
  DamageBuilding(slab, 5000, 0, AttackerUnit);
  EXPECT_EQ(slab.Free, 0);  // foundation slabs take no damage at all
}

TEST_F(BuildingsTest, AHarvesterDockedInADestroyedRefineryGoesWithIt) {
  TBuildingRecord& r = Make(1, BuildingRefinery, 1, 10, 10);
  InitUnit(Units[4], 12, 12, 4, 1, 1, UnitHarvester);
  Units[4].OffMap = 1;  // inside, unloading
  r.DockFree = 0;
  r.TargetSlot = 4;
  DamageBuilding(r, 1000, 0, 7);
  EXPECT_EQ(r.Free, 1);
  EXPECT_EQ(Units[4].Free, 1);
  EXPECT_EQ(CountUnitsOfPlayer(1), 0);
  for (int x = 10; x <= 12; ++x) EXPECT_EQ(OccupancyMap.Cell(x, 10), 0);

  // On the server both removals go out as messages.
  NetRole = RoleServer;
  TBuildingRecord& r2 = Make(2, BuildingRefinery, 1, 20, 20);
  InitUnit(Units[6], 22, 22, 6, 1, 1, UnitHarvester);
  Units[6].OffMap = 1;
  r2.DockFree = 0;
  r2.TargetSlot = 6;
  DamageBuilding(r2, 1000, 0, 7);
  EXPECT_EQ(RemovedUnits, (std::vector<std::int32_t>{6}));
  EXPECT_EQ(RemovedBuildings, (std::vector<std::int32_t>{2}));
  EXPECT_EQ(OccupancyMap.Cell(20, 20), 0);
}

TEST_F(BuildingsTest, RepeatOrdersSurviveAMissionWithoutPlayers) {
  Mission.PlayerCount = 0;
  Make(1, BuildingConstructionYard, 1, 30, 30);
  TBuildingRecord& b = Make(2, BuildingBarracks, 1, 10, 10);
  b.RepeatProduction = 1;
  Players[1].Credits = 100;
  AutoProduce(b);
  EXPECT_EQ(b.ProductionState, ProductionRunning);
  EXPECT_EQ(Players[1].Credits, 40);
  // Credits must exceed the price.
  TBuildingRecord& c = Make(3, BuildingBarracks, 1, 14, 10);
  c.RepeatProduction = 1;
  Players[1].Credits = 60;
  AutoProduce(c);
  EXPECT_EQ(c.ProductionState, ProductionIdle);
  EXPECT_EQ(Players[1].Credits, 60);
}
