#include <string>
#include <vector>

#include "tests/world/movement_fixture.h"

using namespace zarn;
using namespace zarn_test;

namespace {

std::vector<std::pair<int, std::string>> SentTexts;
void RecordText(std::int32_t player, std::string_view text) { SentTexts.emplace_back(player, std::string(text)); }

constexpr auto StoreFullText = "Постройте силос"_cp1251;

class HarvestingTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    SentTexts.clear();
  }
  // A harvester of the owner waiting in the refinery's dock.
  static TUnitRecord& Docked(int slot, TBuildingRecord& r, std::uint16_t load) {
    TUnitRecord& h = Put(slot, UnitHarvester, r.Owner, 1, 1);
    h.Load = load;
    StopCarrier(h);
    r.DockFree = 0;
    r.TargetSlot = static_cast<std::uint16_t>(slot);
    return h;
  }
  // Unloading actions until the dock is free; returns how many it took.
  static int UnloadAll(TBuildingRecord& r) {
    int actions = 0;
    while (r.DockFree == 0 && actions < 1000) {
      WorldTickCount += 20;
      RefineryUnload(r);
      ++actions;
    }
    return actions;
  }
  // A harvester arriving at the refinery's dock tile (9, 10), left of the refinery at (10, 10).
  static TUnitRecord& AtDock(int slot, std::uint8_t owner, int refinery, std::uint16_t load) {
    TUnitRecord& h = Put(slot, UnitHarvester, owner, 9, 10);
    h.Load = load;
    h.State = StateReturn;
    h.TargetSlot = static_cast<std::uint16_t>(refinery);
    h.TargetX = 9;
    h.TargetY = 10;
    return h;
  }
};

TEST_F(HarvestingTest, OneTripEndsAt714AndTheCapacityTestComesBeforeEachTake) {
  TOssinFieldRecord& cell = Cell(1, 5, 5, 800);
  TUnitRecord& h = Put(1, UnitHarvester, 1, 5, 5);  // starts harvesting where it is made
  ASSERT_EQ(h.State, StateHarvest);
  Steps(42 * 18 + 100);  // no refinery: it stays full on the cell
  EXPECT_EQ(h.Load, 714);
  EXPECT_EQ(cell.Amount, 800 - 714);
  EXPECT_EQ(h.State, StateHarvest);

  h.Load = 699;
  Steps(18);
  EXPECT_EQ(h.Load, 716);

  // A load of exactly the capacity is full: no more is taken.
  const std::int32_t left = cell.Amount;
  h.Load = h.Capacity;
  Steps(18 * 3);
  EXPECT_EQ(h.Load, h.Capacity);
  EXPECT_EQ(cell.Amount, left);
}

TEST_F(HarvestingTest, TakesNoMoreThanTheCellHoldsThenMovesOn) {
  TOssinFieldRecord& small = Cell(1, 5, 5, 5);
  Cell(2, 7, 6, 500);
  TUnitRecord& h = Put(1, UnitHarvester, 1, 5, 5);
  Step();
  EXPECT_EQ(h.Load, 5);
  EXPECT_EQ(small.Free, 1);
  Step();
  EXPECT_EQ(h.TargetSlot, 2);
  ASSERT_TRUE(StepUntil([&] { return h.Load > 5; }, 200));
  EXPECT_EQ(P(h.X, h.Y), P(7, 6));
  EXPECT_EQ(h.Load, 22);
}

TEST_F(HarvestingTest, CellSearchesKeepTheLowerSlotOnATie) {
  Cell(3, 12, 10, 500);
  Cell(2, 8, 10, 500);
  Cell(4, 10, 21 - 1, 500);  // distance 10: inside the square, farther
  TUnitRecord& h = Put(1, UnitHarvester, 1, 10, 10);
  std::int32_t x = 0, y = 0;
  std::uint16_t slot = 0;
  ASSERT_EQ(FindFieldNearUnit(h, x, y, slot), 0);
  EXPECT_EQ(slot, 2);
  EXPECT_EQ(P(x, y), P(8, 10));
  // Around the target point, the named cell left out.
  h.TargetX = 8;
  h.TargetY = 10;
  slot = 2;
  ASSERT_EQ(FindOtherFieldNearPoint(h, slot, x, y), 0);
  EXPECT_EQ(slot, 3);
  h.Range = 1;
  slot = 2;
  EXPECT_EQ(FindOtherFieldNearPoint(h, slot, x, y), 1);
}

TEST_F(HarvestingTest, UnloadingPays714Or840WithTheResearchCentre) {
  TBuildingRecord& r = Build(1, BuildingRefinery, 1, 10, 10);
  Players[1].Credits = 0;
  TUnitRecord& h = Docked(1, r, 714);
  EXPECT_EQ(UnloadAll(r), 42);
  EXPECT_EQ(Players[1].Credits, 714);
  EXPECT_EQ(Players[1].ResourceDelivered, 714);
  EXPECT_EQ(h.OffMap, 0);  // put down beside the refinery
  EXPECT_EQ(BuildingCoversTile(r, h.X, h.Y), 1);

  Build(2, BuildingResearchCentre, 1, 2, 2);
  Players[1].Credits = 0;
  Docked(1, r, 714);
  EXPECT_EQ(UnloadAll(r), 42);
  EXPECT_EQ(Players[1].Credits, 840);

  // A remainder below 17 goes in one action: 5 gives 6 with the bonus.
  Players[1].Credits = 0;
  Docked(1, r, 5);
  EXPECT_EQ(UnloadAll(r), 1);
  EXPECT_EQ(Players[1].Credits, 6);

  // The next action waits for the refinery's period.
  Docked(1, r, 100);
  RefineryUnload(r);
  EXPECT_EQ(Units[1].Load, 100);

  // A client keeps the statistic but earns nothing itself: the server's snapshots bring it.
  NetRole = RoleClient;
  Players[1].Credits = 0;
  WorldTickCount += 20;
  RefineryUnload(r);
  EXPECT_EQ(Units[1].Load, 83);
  EXPECT_EQ(Players[1].Credits, 0);
}

TEST_F(HarvestingTest, DockWithoutItsHarvesterIsFreedAgain) {
  TBuildingRecord& r = Build(1, BuildingRefinery, 1, 10, 10);
  Docked(1, r, 300);
  RemoveUnit(Units[1]);
  WorldTickCount += 20;
  RefineryUnload(r);
  EXPECT_EQ(r.DockFree, 1);
  EXPECT_EQ(Players[1].Credits, 0);
}

TEST_F(HarvestingTest, FullStoreRefusesTheHarvester) {
  TBuildingRecord& r = Build(1, BuildingRefinery, 1, 10, 10);
  EXPECT_EQ(StorageCapacity(1), 2000);
  Players[1].Credits = 2000;
  TUnitRecord& h = AtDock(1, 1, 1, 300);
  Step();
  EXPECT_EQ(h.OffMap, 0);
  EXPECT_EQ(r.DockFree, 1);
  EXPECT_EQ(h.State, StateReturn);
  EXPECT_EQ(MessageLine.Hidden, 0);
  EXPECT_EQ(std::string(MessageLine.View()), InFontCodePage(StoreFullText).bytes);

  // While a replacement harvester is on its way the store takes it.
  Players[1].ReplacementReady = 0;
  Step();
  EXPECT_EQ(h.OffMap, 1);
  EXPECT_EQ(r.DockFree, 0);
  EXPECT_EQ(r.TargetSlot, 1);

  // A silo adds room.
  Build(2, BuildingSilo, 1, 2, 2);
  EXPECT_EQ(StorageCapacity(1), 4000);
}

TEST_F(HarvestingTest, ServerSendsTheNoticeToARemoteOwner) {
  NetRole = RoleServer;
  NetSendTextToPlayerProc = RecordText;
  TBuildingRecord& r = Build(1, BuildingRefinery, 2, 10, 10);
  Players[2].Credits = 5000;
  TUnitRecord& h = AtDock(1, 2, 1, 300);
  Step();
  EXPECT_EQ(h.OffMap, 0);
  EXPECT_EQ(r.DockFree, 1);
  ASSERT_FALSE(SentTexts.empty());
  EXPECT_EQ(SentTexts[0], std::make_pair(2, std::string(StoreFullText)));
}

TEST_F(HarvestingTest, ReturnsOnlyToItsOwnLiveRefinery) {
  // The refinery was destroyed and its slot now holds an enemy's refinery on the same spot.
  Build(1, BuildingRefinery, 1, 10, 10);
  TUnitRecord& h = AtDock(1, 1, 1, 300);
  RemoveBuilding(Buildings[1]);
  TBuildingRecord& enemy = Build(1, BuildingRefinery, 2, 10, 10);
  TBuildingRecord& own = Build(2, BuildingRefinery, 1, 3, 15);
  Step();
  EXPECT_EQ(h.OffMap, 0);
  EXPECT_EQ(enemy.DockFree, 1);
  EXPECT_EQ(h.TargetSlot, 2);
  EXPECT_EQ(h.State, StateReturn);
  ASSERT_TRUE(StepUntil([&] { return h.OffMap == 1; }, 1000));
  EXPECT_EQ(own.DockFree, 0);
  EXPECT_EQ(own.TargetSlot, 1);

  // A silo in the slot is no refinery either.
  h.State = StateReturn;
  RemoveBuilding(Buildings[2]);
  Build(2, BuildingSilo, 1, 3, 15);
  UnloadAt(h, 9, 10);
  h.State = StateReturn;
  h.TargetSlot = 2;
  h.TargetX = 9;
  h.TargetY = 10;
  Step();
  EXPECT_EQ(h.OffMap, 0);
  EXPECT_EQ(h.TargetSlot, 2);  // no other refinery of its owner: it waits
  EXPECT_EQ(Buildings[2].DockFree, 1);
}

TEST_F(HarvestingTest, HarvesterBoundForTheRefinery) {
  Build(1, BuildingRefinery, 1, 10, 10);
  EXPECT_EQ(HarvesterBoundFor(1, 1), 1);
  TUnitRecord& h = AtDock(1, 1, 1, 300);
  h.X = 3;  // still on the way
  EXPECT_EQ(HarvesterBoundFor(1, 1), 0);
  EXPECT_EQ(HarvesterBoundFor(1, 2), 1);
  h.State = StateHarvest;
  EXPECT_EQ(HarvesterBoundFor(1, 1), 1);
  Players[1].ReplacementReady = 0;
  Players[1].ReplacementRefinery = 1;
  EXPECT_EQ(HarvesterBoundFor(1, 1), 0);
}

TEST_F(HarvestingTest, FullCycleFieldRefineryAndBack) {
  Build(1, BuildingRefinery, 1, 10, 10);
  Cell(1, 4, 4, 800);
  TUnitRecord& h = Put(1, UnitHarvester, 1, 4, 4);
  ASSERT_TRUE(StepUntil([&] { return h.State == StateReturn; }, 2000));
  EXPECT_EQ(h.Load, 714);
  EXPECT_EQ(P(h.ReturnX, h.ReturnY), P(4, 4));
  ASSERT_TRUE(StepUntil([&] { return h.OffMap == 1; }, 1000));
  ASSERT_TRUE(StepUntil([&] { return h.OffMap == 0; }, 2000));
  EXPECT_EQ(Players[1].Credits, 714);
  EXPECT_EQ(h.Load, 0);
  // Sent back to the field it came from.
  EXPECT_EQ(h.State, StateHarvest);
  ASSERT_TRUE(StepUntil([&] { return h.Load > 0; }, 1000));
  EXPECT_EQ(P(h.X, h.Y), P(4, 4));
}

}  // namespace
