// A headless battle: two mixed armies on a generated map fight until one side is gone. With a
// fixed seed the whole fight is the same on every run.
#include <cmath>
#include <tuple>

#include "game/world/shots.h"
#include "tests/world/movement_fixture.h"

using namespace zarn;
using namespace zarn_test;

namespace {

constexpr std::uint8_t ArmyKinds[] = {UnitInfantryman, UnitInfantrySquad, UnitHeavyTrooper, UnitHeavySquad,
                                      UnitTrike,       UnitQuad,          UnitLightTank,    UnitSiegeTank,
                                      UnitRocketLauncher, UnitTremolanTank, UnitGromador,  UnitLightTank};
constexpr int ArmySize = 12;
constexpr int TickLimit = 30000;

class BattleTest : public WorldTest {
 protected:
  struct Outcome {
    int winner = 0;  // 0: nobody within the limit
    int ticks = 0;
    int survivors = 0;
    long healthLeft = 0;
    bool operator==(const Outcome&) const = default;
  };

  static int Alive(std::uint8_t owner) {
    int n = 0;
    for (int i = 1; i <= UnitSlots; ++i)
      n += (Units[i].Free == 0 && Units[i].OffMap == 0 && Units[i].Owner == owner) ? 1 : 0;
    return n;
  }

  // The nearest live enemy of the unit, 0 when none.
  static int NearestEnemy(const TUnitRecord& u) {
    int best = 0;
    double bestD = 1e9;
    for (int i = 1; i <= UnitSlots; ++i) {
      const TUnitRecord& v = Units[i];
      if (v.Free != 0 || v.OffMap != 0 || v.Owner == u.Owner) continue;
      const double d = std::hypot(v.X - u.X, v.Y - u.Y);
      if (d < bestD) bestD = d, best = i;
    }
    return best;
  }

  // The commanders: every idle unit is sent at the nearest enemy.
  static void Command() {
    for (int i = 1; i <= UnitSlots; ++i) {
      TUnitRecord& u = Units[i];
      if (u.Free != 0 || u.OffMap != 0 || u.State != StateIdle) continue;
      if (const int e = NearestEnemy(u)) {
        if (AttackAt(u, Units[e].X, Units[e].Y) != OrderTaken) MoveTo(u, Units[e].X, Units[e].Y);
      }
    }
  }

  static Outcome Fight(std::uint32_t seed) {
    Reset(32, 32);
    ClearEffectSlots();
    ClearGroundMarks();
    for (auto& s : UnitShots) s = TShotRecord{};
    TickCount = 0;
    Randomize(seed);
    // Rock outcrops that vehicles must drive round.
    for (int n = 0; n < 40; ++n) {
      const int x = 8 + Random(16), y = 1 + Random(32);
      GameMap.Cell(x, y) = 1 << 5;
    }
    for (int i = 0; i < ArmySize; ++i) {
      Put(1 + i, ArmyKinds[i], 1, 2 + i % 3, 4 + 2 * i);
      Put(21 + i, ArmyKinds[ArmySize - 1 - i], 2, 29 + i % 3, 5 + 2 * i);
    }
    for (int i = 1; i <= UnitSlots; ++i) Units[i].NextSearchTick = WorldTickCount + 18;
    Command();

    Outcome o;
    for (int t = 1; t <= TickLimit; ++t) {
      Step();
      ++TickCount;
      for (auto& s : UnitShots) UpdateShot(s);
      if (t % 36 == 0) Command();
      const int a = Alive(1), b = Alive(2);
      if (a == 0 || b == 0) {
        o.winner = a > 0 ? 1 : (b > 0 ? 2 : 0);
        o.ticks = t;
        o.survivors = a + b;
        for (int i = 1; i <= UnitSlots; ++i)
          if (Units[i].Free == 0) o.healthLeft += Units[i].Health;
        return o;
      }
    }
    o.ticks = TickLimit;
    return o;
  }
};

TEST_F(BattleTest, SameSeedSameBattle) {
  const Outcome first = Fight(20240611);
  EXPECT_NE(first.winner, 0) << "no side was destroyed within " << TickLimit << " ticks";
  EXPECT_LT(first.ticks, TickLimit);
  EXPECT_GT(first.survivors, 0);
  const Outcome again = Fight(20240611);
  EXPECT_EQ(std::tie(again.winner, again.ticks, again.survivors, again.healthLeft),
            std::tie(first.winner, first.ticks, first.survivors, first.healthLeft));
}

}  // namespace
