#include <set>

#include "tests/world/players_fixture.h"

namespace players_test {
namespace {

std::uint8_t OrderedKind(const TBuildingRecord& b) {
  return b.ProductionState == ProductionRunning ? ItemToUnitKind(b.Item) : 255;
}

TEST_F(PlayersTest, ThreeHeavyCandidatesAtMostSoTheLightTankLosesToTheSideUnit) {
  Allow({UnitTremolanTank, UnitRocketLauncher, UnitSiegeTank, UnitLightTank});
  Build(3, BuildingResearchCentre, Computer, 20, 20);
  TBuildingRecord& factory = Build(4, BuildingHeavyFactory, Computer, 10, 10);
  std::set<int> chosen;
  for (int seed = 1; seed <= 60; ++seed) {
    Randomize(static_cast<std::uint32_t>(seed));
    factory.ProductionState = ProductionIdle;
    Cpu().Credits = 100000;
    ChooseProduction(Cpu());
    chosen.insert(OrderedKind(factory));
  }
  EXPECT_EQ(chosen, (std::set<int>{UnitTremolanTank, UnitRocketLauncher, UnitSiegeTank}));

  // Without the research centre the light tank is in.
  DestroyBuilding(Buildings[3]);
  chosen.clear();
  for (int seed = 1; seed <= 60; ++seed) {
    Randomize(static_cast<std::uint32_t>(seed));
    factory.ProductionState = ProductionIdle;
    ChooseProduction(Cpu());
    chosen.insert(OrderedKind(factory));
  }
  EXPECT_EQ(chosen, (std::set<int>{UnitRocketLauncher, UnitSiegeTank, UnitLightTank}));
}

TEST_F(PlayersTest, InfantryIsTheLastResortOnlyBelowTheWarChest) {
  Allow({UnitInfantrySquad});
  TBuildingRecord& barracks = Build(4, BuildingBarracks, Computer, 10, 10);
  Cpu().Credits = 5000;
  ChooseProduction(Cpu());
  EXPECT_EQ(barracks.ProductionState, ProductionIdle);
  EXPECT_EQ(Cpu().Credits, 5000);
  Cpu().Credits = 4999;
  ChooseProduction(Cpu());
  EXPECT_EQ(OrderedKind(barracks), UnitInfantrySquad);
  EXPECT_EQ(Cpu().Credits, 4999 - ItemCost(UnitKindToItem(UnitInfantrySquad)));
}

TEST_F(PlayersTest, OrdersGoToAnIdleBuildingAndArePaidOnlyWhenAffordable) {
  TBuildingRecord& busy = Build(4, BuildingHeavyFactory, Computer, 10, 10);
  TBuildingRecord& idle = Build(5, BuildingHeavyFactory, Computer, 20, 10);
  busy.ProductionState = ProductionRunning;
  const std::uint16_t price = ItemCost(UnitKindToItem(UnitSiegeTank));
  Cpu().Credits = price - 1;
  EXPECT_EQ(OrderUnitAtBuilding(Cpu(), UnitSiegeTank, BuildingHeavyFactory), 1);
  EXPECT_EQ(Cpu().Credits, price - 1);
  EXPECT_EQ(idle.ProductionState, ProductionIdle);
  Cpu().Credits = price;
  EXPECT_EQ(OrderUnitAtBuilding(Cpu(), UnitSiegeTank, BuildingHeavyFactory), 0);
  EXPECT_EQ(Cpu().Credits, 0);
  EXPECT_EQ(OrderedKind(idle), UnitSiegeTank);
  // No such building at all.
  EXPECT_EQ(OrderUnitAtBuilding(Cpu(), UnitSkeltrel, BuildingAirFactory), 1);
}

TEST_F(PlayersTest, HarvestersKeptPerRefinery) {
  Build(2, BuildingBarracks, Computer, 40, 40);  // room under the unit cap
  TBuildingRecord& factory = Build(3, BuildingHeavyFactory, Computer, 10, 10);
  Build(4, BuildingRefinery, Computer, 10, 20);
  Cpu().Credits = 10000;
  Put(10, UnitHarvester, Computer, 30, 30);
  ProduceHarvesters(Cpu());
  EXPECT_EQ(OrderedKind(factory), UnitHarvester);  // one refinery: two harvesters

  factory.ProductionState = ProductionIdle;
  Put(11, UnitHarvester, Computer, 31, 30);
  ProduceHarvesters(Cpu());
  EXPECT_EQ(factory.ProductionState, ProductionIdle);

  Build(5, BuildingRefinery, Computer, 20, 20);
  Build(6, BuildingRefinery, Computer, 30, 20);
  Put(12, UnitHarvester, Computer, 32, 30);
  Put(13, UnitHarvester, Computer, 33, 30);
  ProduceHarvesters(Cpu());
  EXPECT_EQ(OrderedKind(factory), UnitHarvester);  // three refineries: five
  factory.ProductionState = ProductionIdle;
  Put(14, UnitHarvester, Computer, 34, 30);
  ProduceHarvesters(Cpu());
  EXPECT_EQ(factory.ProductionState, ProductionIdle);
}

TEST_F(PlayersTest, WithNoResourceLeftABloomIsShotOpen) {
  OssinBlooms[4] = TOssinBloomRecord{30, 30, 0, {}};
  OssinBlooms[2] = TOssinBloomRecord{50, 50, 0, {}};
  TUnitRecord& tank = Put(5, UnitLightTank, Computer, 25, 25);
  tank.State = StateIdle;
  TUnitRecord& h = Put(6, UnitHarvester, Computer, 20, 20);
  SendHarvesterToField(Cpu(), h.Slot);
  EXPECT_EQ(Cpu().BloomErrand, 1);
  const int entry = Cpu().BloomErrandEntry;
  EXPECT_EQ(Cpu().Roster[entry].Unit, 5);
  EXPECT_EQ(Cpu().Roster[entry].Busy, 1);
  EXPECT_EQ(tank.State, StateAttack);
  EXPECT_EQ(tank.TargetClass, TargetBloom);
  EXPECT_EQ(tank.TargetSlot, 4);

  // A busy unit is not taken elsewhere; back idle, it is free again.
  EXPECT_EQ(TakeRosterUnit(Cpu()), 0);
  tank.State = StateIdle;
  BloomErrandTick(Cpu());
  EXPECT_EQ(Cpu().BloomErrand, 0);
  EXPECT_EQ(Cpu().Roster[entry].Busy, 0);

  // A shooter that dies ends the errand.
  tank.State = StateIdle;
  ShootNearestBloom(Cpu());
  EXPECT_EQ(Cpu().BloomErrand, 1);
  RemoveUnit(tank);
  BloomErrandTick(Cpu());
  EXPECT_EQ(Cpu().BloomErrand, 0);
}

// What the human player meets: the computer player builds up, harvests, gathers its army at
// its barracks and attacks the human's base.
TEST_F(PlayersTest, ComputerPlayerBuildsHarvestsAndAttacks) {
  Mission.GoalType = GoalSurvive30;
  Allow({UnitLightTank, UnitSiegeTank, UnitRocketLauncher, UnitHarvester});
  InitPlayerRecord(Cpu(), Computer, 1, 20000);
  Build(1, BuildingConstructionYard, Human, 50, 50);
  Build(2, BuildingRefinery, Human, 54, 50);
  Build(10, BuildingConstructionYard, Computer, 4, 4);
  Build(11, BuildingBarracks, Computer, 4, 10);
  Build(12, BuildingHeavyFactory, Computer, 10, 4);
  Build(13, BuildingRefinery, Computer, 16, 4);
  for (int i = 0; i < 3; ++i) Build(14 + i, BuildingPowerPlant, Computer, 4 + 3 * i, 16);
  int cell = 1;
  for (int y = 24; y < 28; ++y)
    for (int x = 24; x < 30; ++x) Cell(cell++, x, y, 800);

  // A harvester first, then the army, one unit at a time from the one factory.
  Steps(1000);
  EXPECT_GE(Cpu().UnitsMade, 3);
  EXPECT_GE(LiveUnits(Computer, UnitHarvester), 1);
  EXPECT_GT(CountInUse(Cpu().Roster), 0);
  bool harvesting = false;
  for (int i = 1; i <= UnitSlots; ++i)
    if (Units[i].Free == 0 && Units[i].Owner == Computer && Units[i].Kind == UnitHarvester &&
        (Units[i].State == StateHarvest || Units[i].Load > 0))
      harvesting = true;
  EXPECT_TRUE(harvesting);

  // The first wave is due 1080 ticks after the start.
  const bool attacked = StepUntil(
      [] {
        for (int i = 1; i <= UnitSlots; ++i) {
          const TUnitRecord& u = Units[i];
          if (u.Free == 0 && u.Owner == Computer && u.State == StateAttack && u.TargetClass == TargetBuilding &&
              Buildings[u.TargetSlot].Owner == Human)
            return true;
        }
        return false;
      },
      1200);
  EXPECT_TRUE(attacked);
  EXPECT_GT(CountInUse(Cpu().AttackList), 0);
  EXPECT_EQ(Cpu().WaveSizeBase, 11);
}

}  // namespace
}  // namespace players_test
