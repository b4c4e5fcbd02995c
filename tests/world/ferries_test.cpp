#include "tests/world/players_fixture.h"

namespace players_test {
namespace {

class ReplacementTest : public PlayersTest {
 protected:
  void SetUp() override {
    PlayersTest::SetUp();
    Build(2, BuildingConstructionYard, Human, 40, 44);
    Build(3, BuildingRefinery, Human, 40, 40);
    Cell(1, 30, 30, 800);
  }
  static TUnitRecord& Carrier() { return Units[DeliveryCarrierSlot]; }
};

TEST_F(ReplacementTest, HarvesterIsFlownInAndTheCarrierLeaves) {
  ReplaceHarvester(Players[Human]);
  ASSERT_EQ(Carrier().Free, 0);
  EXPECT_EQ(Carrier().Kind, UnitCarrier);
  EXPECT_EQ(Carrier().X, 64);  // corner nearest to the refinery
  EXPECT_EQ(Carrier().Y, 64);
  EXPECT_EQ(Carrier().CargoCount, 1);
  EXPECT_EQ(Sent.Replace164, 1);
  const int h = Players[Human].ReplacementHarvester;
  EXPECT_EQ(Units[h].OffMap, 1);
  EXPECT_EQ(Players[Human].UnitsMade, 0);

  // Put down only once the carrier stands by the refinery.
  ASSERT_TRUE(StepUntil([&] { return Units[h].OffMap == 0; }, 2000));
  EXPECT_LE(std::abs(Carrier().X - 42), 1);
  EXPECT_LE(std::abs(Carrier().Y - 41), 1);
  EXPECT_EQ(Players[Human].UnitsMade, 1);
  EXPECT_EQ(Sent.Delivered165, 1);
  EXPECT_EQ(Units[h].ReturnX, 30);
  ASSERT_TRUE(StepUntil([&] { return Carrier().Free == 1; }, 2000));
  EXPECT_EQ(Players[Human].ReplacementReady, 1);
  EXPECT_EQ(Players[Human].CarrierHome, 1);
  EXPECT_EQ(Sent.Removed.back(), 0);
}

TEST_F(ReplacementTest, SecondDeliveryWaitsForSlotZero) {
  Build(4, BuildingRefinery, Computer, 10, 10);
  ReplaceHarvester(Players[Human]);
  ReplaceHarvester(Cpu());
  EXPECT_EQ(Cpu().ReplacementReady, 1);
  EXPECT_EQ(LiveUnits(Computer, UnitHarvester), 0);
}

TEST_F(ReplacementTest, LostRefineryMeansTheCarrierFliesHomeEmpty) {
  ReplaceHarvester(Players[Human]);
  const int h = Players[Human].ReplacementHarvester;
  DestroyBuilding(Buildings[3]);
  Carrier().X = 43;  // within one tile of (42, 41)
  Carrier().Y = 42;
  Carrier().MovePhase = 0;
  DeliverReplacementHarvester(Players[Human]);
  EXPECT_EQ(Units[h].Free, 1);
  EXPECT_EQ(Carrier().CargoCount, 0);
  EXPECT_EQ(Sent.Delivered165, 1);
  EXPECT_EQ(Sent.Replace164, 1);
  EXPECT_EQ(Carrier().DestX, 64);
  EXPECT_EQ(Players[Human].CarrierHome, 0);
}

TEST_F(ReplacementTest, RefineryRebuiltElsewhereInTheSameSlotIsNotTheTarget) {
  ReplaceHarvester(Players[Human]);
  const int h = Players[Human].ReplacementHarvester;
  DestroyBuilding(Buildings[3]);
  Build(3, BuildingRefinery, Human, 20, 20);
  Carrier().X = 42;
  Carrier().Y = 41;
  Carrier().MovePhase = 0;
  DeliverReplacementHarvester(Players[Human]);
  EXPECT_EQ(Units[h].Free, 1);
}

TEST_F(ReplacementTest, CarrierThatStoppedShortIsSentAgain) {
  ReplaceHarvester(Players[Human]);
  Carrier().X = 50;
  Carrier().Y = 50;
  Carrier().MovePhase = 0;
  Carrier().State = StateIdle;
  DeliverReplacementHarvester(Players[Human]);
  EXPECT_EQ(Carrier().State, StateMove);
  EXPECT_EQ(Carrier().DestX, 42);
  EXPECT_EQ(Carrier().DestY, 41);
  EXPECT_EQ(Players[Human].ReplacementReady, 0);
}

TEST_F(PlayersTest, FerriesNeverUseSlotZero) {
  TUnitRecord& h = Put(5, UnitHarvester, Computer, 10, 10);
  InitUnit(Units[0], 12, 10, 0, 1, Computer, UnitCarrier);
  EXPECT_EQ(FerryHarvesterOut(Cpu(), h.Slot), 0);
  EXPECT_EQ(Cpu().OutwardFerryPickUp, 0);
  Put(6, UnitCarrier, Computer, 14, 10);
  EXPECT_EQ(FerryHarvesterOut(Cpu(), h.Slot), 1);
  EXPECT_EQ(Cpu().OutwardCarrier, 6);
  // The other ferry does not take the busy carrier.
  TUnitRecord& h2 = Put(7, UnitHarvester, Computer, 20, 10);
  EXPECT_EQ(FerryHarvesterHome(Cpu(), h2.Slot), 0);
  RemoveUnit(Units[0]);
}

TEST_F(PlayersTest, OutwardFerryLiftsAndSetsDown) {
  Cell(1, 40, 12, 800);
  TUnitRecord& h = Put(5, UnitHarvester, Computer, 10, 10);
  MoveOrHarvest(h, 40, 12);
  h.DestX = 40;
  h.DestY = 12;
  TUnitRecord& c = Put(6, UnitCarrier, Computer, 14, 10);
  ASSERT_EQ(FerryHarvesterOut(Cpu(), h.Slot), 1);
  ASSERT_TRUE(StepUntil([&] { return Cpu().OutwardFerryPickUp == 0 && Cpu().OutwardFerryDelivery == 0; }, 3000));
  EXPECT_EQ(h.OffMap, 0);
  EXPECT_LE(std::abs(h.X - 40), 2);
  EXPECT_EQ(c.CargoCount, 0);
  EXPECT_EQ(h.State, StateHarvest);
}

TEST_F(PlayersTest, HomewardFerryForAFullStoreAsksForASilo) {
  Build(3, BuildingRefinery, Human, 40, 40);
  Players[Human].Credits = 2000;
  TUnitRecord& h = Put(5, UnitHarvester, Human, 10, 10);
  h.Load = 700;
  TUnitRecord& c = Put(6, UnitCarrier, Human, 14, 10);
  ASSERT_EQ(FerryHarvesterHome(Players[Human], h.Slot), 1);
  // Lifted; then set down as the delivery tick finds it.
  c.CargoCount = 0;
  c.MovePhase = 0;
  Players[Human].HomewardFerryPickUp = 0;
  Players[Human].HomewardFerryDelivery = 1;
  HomewardFerryDeliveryTick(Players[Human]);
  EXPECT_EQ(Players[Human].HomewardFerryDelivery, 0);
  EXPECT_EQ(Line1(), ToFontCodePage("Постройте силос"_cp1251));
  EXPECT_NE(h.State, StateReturn);
}

TEST_F(PlayersTest, OnlyARouteLongerThanTwentyStepsCallsACarrier) {
  for (int steps : {20, 21}) {
    SetUp();
    Cell(1, 10 + steps, 10, 800);
    TUnitRecord& h = Put(5, UnitHarvester, Computer, 10, 10);
    Put(6, UnitCarrier, Computer, 10, 30);
    MoveOrHarvest(h, 10 + steps, 10);
    h.DestX = static_cast<std::uint16_t>(10 + steps);
    h.DestY = 10;
    MoveStep(h);
    if (steps == 20) {
      EXPECT_EQ(Cpu().OutwardFerryPickUp, 0);
      EXPECT_NE(h.MovePhase, 0) << "walks its twenty steps";
    } else {
      EXPECT_EQ(Cpu().OutwardFerryPickUp, 1);
      EXPECT_EQ(Cpu().OutwardCarrier, 6);
      EXPECT_EQ(h.MovePhase, 0) << "waits for the carrier";
    }
  }
}


}  // namespace
}  // namespace players_test
