#include <set>

#include "tests/world/movement_fixture.h"

using namespace zarn;
using namespace zarn_test;

namespace {

class MovementTest : public WorldTest {
 protected:
  // Every tile a ground unit of the player holds: its own and the one it is stepping into.
  static bool NoTwoShareATile(std::uint8_t owner) {
    std::set<std::pair<long, long>> held;
    for (int i = 1; i <= UnitSlots; ++i) {
      const TUnitRecord& u = Units[i];
      if (u.Free != 0 || u.OffMap != 0 || u.Kind >= UnitCarrier || u.Owner != owner) continue;
      std::set<std::pair<long, long>> mine{P(u.X, u.Y), P(u.NextX, u.NextY)};
      for (auto& t : mine)
        if (!held.insert(t).second) return false;
    }
    return true;
  }
};

TEST_F(MovementTest, CrossingUnitsNeverShareATile) {
  // Two columns of own units, infantry and vehicles, ordered through each other.
  const std::uint8_t kinds[] = {UnitLightTank, UnitInfantryman, UnitTrike, UnitSiegeTank, UnitHeavyTrooper, UnitQuad};
  int slot = 1;
  for (int i = 0; i < 6; ++i) {
    Put(slot, kinds[i], 1, 3, 4 + 2 * i);
    MoveTo(Units[slot], 16, 14 - 2 * i);
    ++slot;
    Put(slot, kinds[5 - i], 1, 16, 4 + 2 * i);
    MoveTo(Units[slot], 3, 14 - 2 * i);
    ++slot;
  }
  Block(9, 9), Block(10, 9), Block(9, 10), Block(10, 10);
  int arrived = 0;
  for (int t = 0; t < 3000 && arrived < slot - 1; ++t) {
    Step();
    ASSERT_TRUE(NoTwoShareATile(1)) << "tick " << t;
    arrived = 0;
    for (int i = 1; i < slot; ++i) arrived += Units[i].State == StateIdle ? 1 : 0;
  }
  EXPECT_GT(arrived, 0);
  for (int i = 1; i < slot; ++i) EXPECT_EQ(OccupancyMap.Cell(Units[i].X, Units[i].Y), 0) << i;
}

TEST_F(MovementTest, StepsTrackAndTiming) {
  TUnitRecord& trike = Put(1, UnitTrike, 1, 5, 5);
  TUnitRecord& tank = Put(2, UnitLightTank, 1, 5, 7);
  MoveTo(trike, 6, 5);
  MoveTo(tank, 6, 7);
  Step();
  EXPECT_EQ(trike.MovePhase, 2);
  EXPECT_EQ(P(trike.NextX, trike.NextY), P(6, 5));
  // Vehicles leave a track on the tile they start from.
  int marks = 0;
  for (const TGroundMark& m : GroundMarks) marks += m.Free == 0 ? 1 : 0;
  EXPECT_EQ(marks, 2);
  // A trike crosses a tile in four ticks, a tank in eight.
  Steps(3);
  EXPECT_EQ(trike.X, 6);
  EXPECT_EQ(tank.X, 5);
  Steps(4);
  EXPECT_EQ(tank.X, 6);
  Step();
  EXPECT_EQ(trike.State, StateIdle);
  EXPECT_EQ(tank.State, StateIdle);
}

TEST_F(MovementTest, ConvertedUnitReturnsAtExpiryEvenWhileAttacking) {
  // It attacks a unit of its former owner, which is no enemy once it is back.
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 5, 5);
  Put(2, UnitLightTank, 2, 6, 5);
  ASSERT_EQ(AttackAt(tank, 6, 5), OrderTaken);
  tank.NotConverted = 0;
  tank.FormerOwner = 2;
  tank.FormerSide = 1;
  tank.ConversionExpiry = WorldTickCount + 2;
  Step();
  EXPECT_EQ(tank.Owner, 1);
  Step();
  EXPECT_EQ(tank.Owner, 2);
  EXPECT_EQ(tank.Side, 1);
  EXPECT_EQ(tank.NotConverted, 1);
  EXPECT_NE(tank.State, StateAttack);
}

TEST_F(MovementTest, AttackApproachHoldAndGoneTargets) {
  TUnitRecord& tank = Put(1, UnitLightTank, 1, 2, 10);  // range 4
  TUnitRecord& enemy = Put(2, UnitLightTank, 2, 12, 10);
  tank.Health = enemy.Health = 1000000;  // nobody dies of the exchange
  ASSERT_EQ(AttackAt(tank, 12, 10), OrderTaken);
  Step();
  EXPECT_EQ(tank.State, StateAttack);
  EXPECT_EQ(tank.MovePhase, 2);  // pursuing
  EXPECT_EQ(P(tank.DestX, tank.DestY), P(10, 10));  // nearest free tile by the target
  ASSERT_TRUE(StepUntil([&] { return tank.X >= 8 && tank.StepProgress >= 16; }, 500));
  // In range: it stops approaching and faces the target.
  Steps(10);
  EXPECT_EQ(tank.X, 8);
  EXPECT_EQ(tank.Facing, FacingEast);

  // The target is lifted away: the attacker stops, then idles.
  StopCarrier(enemy);
  Step();
  EXPECT_EQ(tank.State, StateStop);
  Step();
  EXPECT_EQ(tank.State, StateIdle);

  // Holding position: a target out of range ends the attack.
  TUnitRecord& far = Put(3, UnitLightTank, 2, 18, 18);
  ASSERT_EQ(AttackAt(tank, 18, 18), OrderTaken);
  tank.FreeTargeting = 1;
  Step();
  EXPECT_EQ(tank.State, StateStop);
  EXPECT_EQ(P(tank.X, tank.Y), P(8, 10));
  (void)far;

  // A target class naming no table ends the attack rather than freezing the unit.
  ASSERT_EQ(AttackAt(tank, 18, 18), OrderTaken);
  tank.TargetClass = 7;
  Step();
  EXPECT_EQ(tank.State, StateStop);
}

TEST_F(MovementTest, PerwolanFiresOncePerOrderWhenFacingTheTarget) {
  TUnitRecord& p = Put(1, UnitPerwolan, 1, 5, 5);
  Put(2, UnitInfantryman, 2, 5, 9);  // south, so the turret turns first; out of its own reach
  ASSERT_EQ(AttackAt(p, 5, 9), OrderTaken);
  Step();
  EXPECT_EQ(p.Facing, FacingSouth);
  EXPECT_EQ(p.State, StateAttack);
  ASSERT_TRUE(StepUntil([&] { return p.State != StateAttack; }, 200));
  EXPECT_EQ(p.TurretFacing, FacingSouth);
  int shots = 0;
  for (const TShotRecord& s : UnitShots) shots += s.Active != 0 ? 1 : 0;
  EXPECT_EQ(shots, 1);
}

TEST_F(MovementTest, LongHarvesterTripWalksWhenNoCarrierComes) {
  Reset(40, 20);
  TUnitRecord& h = Put(1, UnitHarvester, 1, 2, 5);
  Cell(1, 35, 5, 500);
  h.State = StateHarvest;
  h.TargetSlot = 1;
  h.TargetX = 35;
  h.TargetY = 5;
  Step();
  EXPECT_EQ(h.State, StateHarvest);
  EXPECT_EQ(h.MovePhase, 2);
  ASSERT_TRUE(StepUntil([&] { return h.X == 35 && h.Load > 0; }, 3000));
}

// ---- Carriers ----

class CarrierTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    carrier = &Put(10, UnitCarrier, 1, 10, 10);
  }
  void PickUp(int slot) {
    carrier->State = StatePickUp;
    carrier->TargetSlot = static_cast<std::uint16_t>(slot);
    carrier->TargetX = static_cast<std::uint16_t>(Units[slot].X);
    carrier->TargetY = static_cast<std::uint16_t>(Units[slot].Y);
    Step();
  }
  void Board(int slot, std::uint8_t kind) {
    Put(slot, kind, 1, 1, 1);
    StopCarrier(Units[slot]);
    ++carrier->CargoCount;
    carrier->Cargo[carrier->CargoCount] = static_cast<std::uint16_t>(slot);
  }
  TUnitRecord* carrier = nullptr;
};

TEST_F(CarrierTest, LiftsOnlyALiveOwnGroundUnitWhileThereIsRoom) {
  TUnitRecord& enemy = Put(1, UnitLightTank, 2, 11, 10);
  PickUp(1);
  EXPECT_EQ(carrier->CargoCount, 0);
  EXPECT_EQ(enemy.OffMap, 0);
  EXPECT_EQ(carrier->State, StateStop);

  TUnitRecord& other = Put(2, UnitCarrier, 1, 11, 11);
  PickUp(2);
  EXPECT_EQ(carrier->CargoCount, 0);
  EXPECT_EQ(other.OffMap, 0);

  TUnitRecord& gone = Put(3, UnitLightTank, 1, 9, 10);
  RemoveUnit(gone);
  PickUp(3);
  EXPECT_EQ(carrier->CargoCount, 0);

  for (int s = 20; s < 26; ++s) Board(s, UnitInfantryman);
  TUnitRecord& seventh = Put(4, UnitInfantryman, 1, 9, 9);
  PickUp(4);
  EXPECT_EQ(carrier->CargoCount, 6);
  EXPECT_EQ(seventh.OffMap, 0);

  carrier->CargoCount = 0;
  PickUp(4);
  EXPECT_EQ(carrier->CargoCount, 1);
  EXPECT_EQ(carrier->Cargo[1], 4);
  EXPECT_EQ(seventh.OffMap, 1);

  // Out of reach: it flies to the pick-up point.
  TUnitRecord& distant = Put(5, UnitLightTank, 1, 16, 10);
  PickUp(5);
  EXPECT_EQ(carrier->State, StatePickUp);
  EXPECT_EQ(carrier->MovePhase, 2);
  EXPECT_EQ(distant.OffMap, 0);
}

TEST_F(CarrierTest, DeliversMostRecentFirstAndWaitsForRoom) {
  for (int s = 1; s <= 6; ++s) Board(s, UnitInfantryman);
  // Only the bottom row of the 3 x 3 block is free.
  for (int x = 9; x <= 11; ++x) Block(x, 9), Block(x, 10);
  ASSERT_EQ(CarrierDeliver(*carrier, 10, 10), OrderTaken);
  Step();
  EXPECT_EQ(carrier->CargoCount, 3);
  EXPECT_EQ(P(Units[6].X, Units[6].Y), P(9, 11));
  EXPECT_EQ(P(Units[5].X, Units[5].Y), P(10, 11));
  EXPECT_EQ(P(Units[4].X, Units[4].Y), P(11, 11));
  for (int s = 1; s <= 3; ++s) EXPECT_EQ(Units[s].OffMap, 1) << s;
  EXPECT_EQ(carrier->State, StateDeliver);
  Steps(20);
  EXPECT_EQ(carrier->CargoCount, 3);  // still no room

  // Room again: the rest come down and the carrier stops.
  for (int x = 9; x <= 11; ++x) OccupancyMap.Cell(x, 9) = 0;
  Step();
  EXPECT_EQ(carrier->CargoCount, 0);
  EXPECT_EQ(carrier->State, StateStop);
}

TEST_F(CarrierTest, DeliveryDropsEntriesWhoseUnitIsGone) {
  Board(1, UnitInfantryman);
  Board(2, UnitInfantryman);
  Board(3, UnitInfantryman);
  RemoveUnit(Units[2]);                       // died aboard
  Put(3, UnitLightTank, 2, 18, 18);           // slot taken by a new unit far away
  ASSERT_EQ(CarrierDeliver(*carrier, 10, 10), OrderTaken);
  Step();
  EXPECT_EQ(carrier->CargoCount, 0);
  EXPECT_EQ(Units[1].OffMap, 0);
  EXPECT_EQ(Units[2].Free, 1);
  EXPECT_EQ(Units[2].OffMap, 1);
  EXPECT_EQ(P(Units[3].X, Units[3].Y), P(18, 18));
}

}  // namespace
