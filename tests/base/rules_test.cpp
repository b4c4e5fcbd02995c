#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <utility>

#include "game/base/dvga.h"
#include "game/base/globals.h"

using namespace zarn;

namespace {

std::uint8_t FacingAtDegrees(double deg) {
  const double r = deg * std::numbers::pi / 180.0;
  return FacingFromVector(static_cast<float>(100.0 * std::cos(r)),
                          static_cast<float>(100.0 * std::sin(r)));
}

// True when every byte is plain ASCII or a cp866 Cyrillic letter.
bool IsCp866Text(std::string_view s) {
  for (char ch : s) {
    const auto c = static_cast<std::uint8_t>(ch);
    const bool ascii = c >= 32 && c < 127;
    const bool cyrillic = (c >= 128 && c <= 175) || (c >= 224 && c <= 241);
    if (!ascii && !cyrillic) return false;
  }
  return true;
}

}  // namespace

TEST(RuleFacings, VectorsPointTheWayTheScreenShows) {
  EXPECT_EQ(FacingFromVector(1, 0), FacingEast);
  EXPECT_EQ(FacingFromVector(0, 1), FacingSouth);
  EXPECT_EQ(FacingFromVector(0, -1), FacingNorth);
  EXPECT_EQ(FacingFromVector(-1, 0), FacingWest);
  EXPECT_EQ(FacingFromVector(1, -1), FacingNorthEast);
  EXPECT_EQ(FacingFromVector(1, 1), FacingSouthEast);
  EXPECT_EQ(FacingFromVector(-1, 1), FacingSouthWest);
  EXPECT_EQ(FacingFromVector(-1, -1), FacingNorthWest);
  // Whole degrees are truncated toward zero before the sectors are read.
  EXPECT_EQ(FacingAtDegrees(-0.9), FacingEast);
  EXPECT_EQ(FacingAtDegrees(22.9), FacingEast);
  EXPECT_EQ(FacingAtDegrees(23.1), FacingSouthEast);
  EXPECT_EQ(FacingAtDegrees(68.9), FacingSouthEast);
  EXPECT_EQ(FacingAtDegrees(69.1), FacingSouth);
  EXPECT_EQ(FacingAtDegrees(-21.5), FacingEast);  // -21 -> 339
  EXPECT_EQ(FacingAtDegrees(-22.5), FacingNorthEast);  // -22 -> 338
  // No direction at all: north rather than an undefined sector.
  EXPECT_EQ(FacingFromVector(0, 0), FacingNorth);
  EXPECT_EQ(FacingToward(5, 5, 5, 5), FacingNorth);
  EXPECT_EQ(FacingFromVector(INFINITY, 1), FacingNorth);
  EXPECT_EQ(FacingFromVector(NAN, NAN), FacingNorth);
}

TEST(RuleFacings, NeighbourCellsAgreeByAngleAndByComparison) {
  for (std::uint8_t f = 0; f < 8; ++f) {
    std::int32_t x = 10, y = 10;
    StepByFacing(f, x, y);
    EXPECT_EQ(FacingToward(10, 10, x, y), f);
    EXPECT_EQ(FacingBetweenCells(10, 10, x, y), f);
    // Far away along the same line too.
    EXPECT_EQ(FacingToward(10, 10, 10 + (x - 10) * 9, 10 + (y - 10) * 9), f);
  }
  std::int32_t x = 3, y = 4;
  StepByFacing(8, x, y);
  StepByFacing(255, x, y);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 4);
  EXPECT_EQ(FacingBetweenCells(3, 3, 3, 3), FacingNorth);
}

TEST(RuleFacings, TurningTakesTheShortestWay) {
  EXPECT_EQ(TurnTowardFacing(0, 7), 7);
  EXPECT_EQ(TurnTowardFacing(7, 0), 0);
  EXPECT_EQ(TurnTowardFacing(2, 6), 3);
  EXPECT_EQ(TurnTowardFacing(6, 2), 5);
  for (int from = 0; from < 8; ++from) {
    for (int to = 0; to < 8; ++to) {
      if (from == to) continue;
      const int d = std::abs(to - from);
      const int shortest = std::min(d, 8 - d);
      std::uint8_t f = static_cast<std::uint8_t>(from);
      int steps = 0;
      while (f != to && steps < 9) {
        f = TurnTowardFacing(f, static_cast<std::uint8_t>(to));
        ++steps;
      }
      EXPECT_EQ(steps, shortest) << from << " -> " << to;
    }
  }
  EXPECT_EQ(FacingNext(6), 7);
  EXPECT_EQ(FacingNext(7), 0);
  EXPECT_EQ(FacingPrev(0), 7);
  // A damaged facing still turns into the valid range.
  for (int bad = 8; bad < 256; bad += 31)
    for (std::uint8_t to = 0; to < 8; ++to)
      EXPECT_LE(TurnTowardFacing(static_cast<std::uint8_t>(bad), to), 7);
}

TEST(RuleKinds, ItemBuildingKindEdges) {
  // Items up to 16 are units; 18 is the 2 x 2 slab block; the wall closes the table.
  const std::pair<std::uint8_t, std::uint8_t> edges[] = {
      {0, 255}, {16, 255}, {17, BuildingSlab}, {ItemSlabBlock, BuildingSlab}, {19, 2},
      {34, 17}, {ItemWall, BuildingWall}, {36, 255}, {255, 255}};
  for (const auto& [item, kind] : edges) EXPECT_EQ(ItemBuildingKind(item), kind) << "item " << int{item};
  for (std::uint8_t item = 19; item <= 34; ++item) EXPECT_EQ(ItemBuildingKind(item), item - 17);
}

TEST(RuleKinds, BuildingCostsMatchTheirItemPrices) {
  for (int kind = 0; kind < BuildingKindCount; ++kind) {
    const auto k = static_cast<std::uint8_t>(kind);
    std::int32_t health;
    std::int16_t damage;
    std::uint16_t period, range, minRange, cost;
    BuildingTypeStats(k, health, damage, period, range, minRange, cost);
    const std::uint8_t item = BuildingKindToItem(k);
    EXPECT_TRUE(ItemIsBuilding(item));
    EXPECT_EQ(cost, ItemCost(item)) << "kind " << kind;
    EXPECT_EQ(ItemBuildingKind(item), k);
    EXPECT_GE(range, minRange);
  }
  EXPECT_EQ(ItemCost(ItemSlabBlock), 4 * ItemCost(ItemSlab));
  EXPECT_EQ(ItemCost(36), 0);
  // Repair steps grow with the price.
  EXPECT_EQ(CostStep(5), 2.0f);
  EXPECT_EQ(CostStep(6), 5.0f);
  EXPECT_EQ(CostStep(21), 10.0f);
  EXPECT_EQ(CostStep(450), 25.0f);
}

TEST(RuleKinds, UnitItemsMapBothWays) {
  for (std::uint8_t kind = 0; kind < UnitKindCount; ++kind) {
    EXPECT_TRUE(ItemIsUnit(UnitKindToItem(kind)));
    EXPECT_EQ(ItemToUnitKind(UnitKindToItem(kind)), kind);
  }
  EXPECT_EQ(UnitKindToItem(16), 1);
  EXPECT_EQ(ItemToUnitKind(17), 0);
}

TEST(RuleKinds, SquadsFireTwiceAsOftenAsTheirSingles) {
  EXPECT_EQ(UnitFireInterval(UnitHeavySquad), UnitFireInterval(UnitHeavyTrooper) / 2);
  EXPECT_EQ(UnitFireInterval(UnitGromador), UnitFireInterval(UnitSiegeTank) / 2);
  std::int32_t health;
  std::int16_t damage;
  std::uint16_t turn, range, minRange;
  for (std::uint8_t k = 0; k < UnitKindCount; ++k) {
    UnitTypeStats(k, health, damage, turn, range, minRange);
    EXPECT_GT(health, 0);
    EXPECT_GE(range, minRange);
    EXPECT_EQ(turn, 1);
  }
}

TEST(RuleKinds, KindsPastTheTablesGetDefinedValues) {
  std::int32_t health;
  std::int16_t damage;
  std::uint16_t turn, period, cost, range = 999, minRange = 999;
  UnitTypeStats(16, health, damage, turn, range, minRange);
  EXPECT_EQ(range, 1);
  EXPECT_EQ(minRange, 1);
  EXPECT_EQ(health, 100);
  EXPECT_EQ(UnitFireInterval(200), 1);
  period = range = minRange = cost = 999;
  BuildingTypeStats(18, health, damage, period, range, minRange, cost);
  EXPECT_EQ(period, 1);
  EXPECT_EQ(range, 1);
  EXPECT_EQ(minRange, 1);
  EXPECT_EQ(cost, 0);
  EXPECT_EQ(health, 200);
  EXPECT_EQ(FootprintClass(99), 0);
  // A wall has no health of its own; the palace recharges for fifteen minutes.
  BuildingTypeStats(BuildingWall, health, damage, period, range, minRange, cost);
  EXPECT_EQ(health, 0);
  EXPECT_EQ(BuildingFireInterval(BuildingPalace), 16200);
  EXPECT_EQ(BuildingFireInterval(BuildingRadar), 0);
}

TEST(RuleNames, EveryKindHasANameInTheFontCodePage) {
  for (std::uint8_t item = 1; item <= ItemCount; ++item) {
    EXPECT_FALSE(UnitLongName(item).empty()) << int(item);
    EXPECT_FALSE(UnitShortName(item).empty()) << int(item);
    EXPECT_TRUE(IsCp866Text(UnitLongName(item))) << int(item);
    EXPECT_TRUE(IsCp866Text(UnitShortName(item))) << int(item);
    const std::string pic = TypeImageName(item, 0);
    ASSERT_GT(pic.size(), 4u);
    EXPECT_EQ(pic.substr(pic.size() - 4), ".img");
  }
  for (std::uint8_t k = 0; k < UnitKindCount; ++k) {
    EXPECT_FALSE(UnitCaption(k).empty());
    EXPECT_TRUE(IsCp866Text(UnitCaption(k)));
  }
  for (std::uint8_t k = 1; k < BuildingKindCount; ++k) {
    EXPECT_FALSE(BuildingCaption(k).empty());
    EXPECT_TRUE(IsCp866Text(BuildingCaption(k)));
  }
  // Cyrillic П is 0x8F in the fonts.
  EXPECT_EQ(static_cast<std::uint8_t>(UnitLongName(1)[0]), 0x8F);
  EXPECT_EQ(UnitLongName(3), ToFontCodePage("Тяжёлый пехотинец"_cp1251));
  EXPECT_EQ(UnitShortName(36), "");
  EXPECT_EQ(UnitCaption(16), "");
  EXPECT_EQ(BuildingCaption(BuildingSlab), "");
  EXPECT_EQ(TypeImageName(5, 2), "btrike2.img");
  EXPECT_EQ(TypeImageName(5, 1), "btrike.img");
}

TEST(RuleNames, ABuildingShowsTheSameIconInTheMenuAndOnThePanel) {
  for (std::uint8_t kind = 1; kind < BuildingKindCount; ++kind)
    EXPECT_EQ(TypePictureIndex(BuildingKindToItem(kind), 0), TypeIconIndex3(kind)) << int(kind);
  EXPECT_EQ(TypePictureIndex(5, 2), 38);
  EXPECT_EQ(TypeIconIndex(4, 2), 38);
  EXPECT_EQ(TypePictureIndex(36, 0), 1);
}

TEST(RuleBars, LengthStaysWithinTheBar) {
  EXPECT_EQ(BarLength(-5, 10, 20), 1);
  EXPECT_EQ(BarLength(30, 10, 20), 20);
  EXPECT_EQ(BarLength(5, 10, 20), 10);
  EXPECT_EQ(BarLength(0, 10, 23), 0);
  EXPECT_EQ(BarLength(99, 100, 23), 22);
  // No divisor: a stub bar instead of a crash or a huge length.
  EXPECT_EQ(BarLength(5, 0, 23), 1);
  EXPECT_EQ(BarLength(5, -10, 23), 1);
  // Large values neither overflow nor wrap through 16 bits.
  EXPECT_EQ(BarLength(2000000000, 1, 23), 23);
  EXPECT_EQ(BarLength(2000000000, 3, 2000000000), 65535);
  EXPECT_EQ(BarLength(70000, 100000, 100000), 65535);
  EXPECT_EQ(BarLength(5, 10, -20), 0);
}

TEST(RuleSelection, FirstActiveSlotFindsTheSingleSelectedUnit) {
  const TViewState saved = ViewState;
  ViewState = TViewState{};
  EXPECT_EQ(FirstActiveSlot(), 14);
  ViewState.Selection[14].InUse = 1;
  EXPECT_EQ(FirstActiveSlot(), 14);
  ViewState.Selection[9].InUse = 1;
  EXPECT_EQ(FirstActiveSlot(), 9);
  ViewState.Selection[1].InUse = 1;
  EXPECT_EQ(FirstActiveSlot(), 1);
  ViewState = saved;
}

// The three rule tables row for row, as the game's rules give them.
TEST(RuleTables, UnitsBuildingsAndItemsRowForRow) {
  struct UnitRow {
    std::int32_t health;
    std::int16_t damage;
    std::uint16_t range, minRange;
    std::int32_t fireInterval;
    const char* caption;
  };
  const UnitRow units[] = {
      {20, 1, 2, 1, 18, "ПЕХОТИНЕЦ"},      {40, 3, 2, 1, 18, "ПЕХОТА"},
      {25, 2, 5, 3, 27, "ГВАРДЕЕЦ"},       {60, 6, 5, 3, 13, "ГВАРДИЯ"},
      {40, 3, 3, 1, 18, "ТРАЙК"},          {70, 5, 3, 1, 18, "КВАД"},
      {100, 10, 4, 1, 36, "ТАНК"},         {200, 20, 6, 1, 54, "ОСАДНЫЙ ТАНК"},
      {100, 25, 8, 3, 54, "РПУ"},          {100, 30, 7, 1, 36, "ТРЕМОЛАН-ТАНК"},
      {100, 0, 10, 1, 1, "ХАРВЕСТЕР"},     {300, 40, 5, 1, 27, "ГРОМАДОР"},
      {100, 0, 2, 1, 1, "ПСД"},            {100, 0, 8, 3, 54, "ПЕРВОЛАН"},
      {100, 0, 3, 1, 1, "НОСИТЕЛЬ"},       {100, 10, 7, 1, 36, "СКЕЛЬТРЕЛ"},
  };
  static_assert(std::size(units) == UnitKindCount);
  for (std::uint8_t k = 0; k < UnitKindCount; ++k) {
    SCOPED_TRACE("unit kind " + std::to_string(k));
    const UnitRow& want = units[k];
    std::int32_t health;
    std::int16_t damage;
    std::uint16_t turn, range, minRange;
    UnitTypeStats(k, health, damage, turn, range, minRange);
    EXPECT_EQ(health, want.health);
    EXPECT_EQ(damage, want.damage);
    EXPECT_EQ(range, want.range);
    EXPECT_EQ(minRange, want.minRange);
    EXPECT_EQ(turn, 1);
    EXPECT_EQ(UnitFireInterval(k), want.fireInterval);
    EXPECT_EQ(UnitCaption(k), ToFontCodePage(Utf8ToCp1251(want.caption)));
  }

  struct BuildingRow {
    std::int32_t health;
    std::int16_t damage;
    std::uint16_t cost, range, minRange, period;
    std::uint8_t footprint;
    std::uint16_t frames;
    const char* caption;
  };
  const BuildingRow buildings[] = {
      {200, 100, 5, 1, 1, 3, 0, 1, ""},
      {0, 100, 50, 1, 1, 2, 0, 1, "СТЕНА"},
      {200, 100, 900, 1, 1, 3, 1, 1, "КОНСТРУКТОРСКИЙ ДВОР"},
      {100, 100, 300, 1, 1, 540, 1, 1, "ВЕТРЯК"},
      {300, 100, 400, 1, 1, 18, 2, 2, "ЭЛЕВАТОР"},
      {100, 100, 150, 1, 1, 1, 1, 1, "СИЛОС"},
      {300, 100, 400, 10, 1, 8, 1, 3, "РАДАР"},
      {200, 100, 300, 1, 1, 2, 1, 1, "КАЗАРМА"},
      {400, 100, 400, 1, 1, 2, 1, 1, "АКАДЕМИЯ"},
      {300, 100, 400, 1, 1, 54, 1, 2, "Л-ЗАВОД"},
      {500, 100, 600, 1, 1, 72, 2, 2, "Т-ЗАВОД"},
      {400, 100, 700, 1, 1, 2, 2, 1, "Р-ЗАВОД"},
      {600, 100, 500, 1, 1, 72, 2, 5, "А-ЗАВОД"},
      {400, 100, 500, 1, 1, 1, 1, 1, "Х-ЦЕНТР"},
      {600, 100, 500, 4, 1, 1, 3, 1, "КОСМОПОРТ"},
      {1000, 100, 1000, 1, 1, 1, 3, 1, "ДВОРЕЦ"},
      {140, 10, 125, 5, 1, 1, 0, 1, "ОРУДИЙНАЯ БАШНЯ"},
      {200, 15, 250, 7, 3, 1, 0, 1, "РАКЕТНАЯ БАШНЯ"},
  };
  static_assert(std::size(buildings) == BuildingKindCount);
  for (std::uint8_t k = 0; k < BuildingKindCount; ++k) {
    SCOPED_TRACE("building kind " + std::to_string(k));
    const BuildingRow& want = buildings[k];
    std::int32_t health;
    std::int16_t damage;
    std::uint16_t period, range, minRange, cost;
    BuildingTypeStats(k, health, damage, period, range, minRange, cost);
    EXPECT_EQ(health, want.health);
    EXPECT_EQ(damage, want.damage);
    EXPECT_EQ(cost, want.cost);
    EXPECT_EQ(range, want.range);
    EXPECT_EQ(minRange, want.minRange);
    EXPECT_EQ(period, want.period);
    EXPECT_EQ(FootprintClass(k), want.footprint);
    EXPECT_EQ(BuildingAnimFrames(k), want.frames);
    EXPECT_EQ(BuildingCaption(k), ToFontCodePage(Utf8ToCp1251(want.caption)));
    EXPECT_EQ(BuildingFireInterval(k), k == BuildingPalace ? 16200 : k >= 16 ? 27 : 0);
  }

  struct ItemRow {
    std::uint16_t price;
    const char *longName, *shortName, *picture;
  };
  const ItemRow items[] = {
      {60, "Пехотинец", "Пехотинец", "bsolder.img"},
      {100, "Отряд пехоты", "Отряд пехоты", "bsolder.img"},
      {100, "Тяжёлый пехотинец", "Т-пехота", "btruper.img"},
      {150, "Отряд тяжёлой пехоты", "Отряд Т-пехоты", "btruper.img"},
      {150, "Трайк", "Трайк", "btrike.img"},
      {200, "Квад", "Квад", "bbtr.img"},
      {300, "Лёгкий танк", "Лёгкий танк", "b1tank.img"},
      {600, "Осадный танк", "Осадный танк", "bbtank.img"},
      {450, "Ракетная пусковая установка", "РПУ", "brtank.img"},
      {600, "Тремолан-танк", "Тремолан-танк", "bttank.img"},
      {300, "Харвестер", "Харвестер", "bharvest.img"},
      {800, "Громадор", "Громадор", "bgromdor.img"},
      {900, "Передвижной сборочный двор", "ПСД", "bpsd.img"},
      {750, "Перволан", "Перволан", "bperwoln.img"},
      {800, "Носитель", "Носитель", "bnositel.img"},
      {600, "Скельтрел", "Скельтрел", "bstelth.img"},
      {5, "Плита", "Плита", "bplita.img"},
      {20, "Плиты", "Плиты", "bplita2.img"},
      {900, "Конструкторский двор", "Конструкторский двор", "bkdvor.img"},
      {300, "Ветряк", "Ветряк", "benergy.img"},
      {400, "Элеватор", "Элеватор", "belevatr.img"},
      {150, "Силос", "Силос", "bsilos.img"},
      {400, "Радар", "Радар", "bradar.img"},
      {300, "Казарма", "Казарма", "bkazarma.img"},
      {400, "Академия", "Академия", "bakademy.img"},
      {400, "Завод лёгких бронемашин", "Л-Завод", "blzavod.img"},
      {600, "Завод тяжёлой техники", "Т-Завод", "btzavod.img"},
      {700, "Ремонтный завод", "Р-завод", "brzavod.img"},
      {500, "Авиа-завод", "А-завод", "bazavod.img"},
      {500, "Научный центр", "Научный центр", "bxcenter.img"},
      {500, "Космопорт", "Космопорт", "bsport.img"},
      {1000, "Дворец", "Дворец", "bpalace.img"},
      {125, "Орудийная башня", "Орудийная башня", "bturret.img"},
      {250, "Ракетная башня", "Ракетная башня", "brturret.img"},
      {50, "Стена", "Стена", "bwall.img"},
  };
  static_assert(std::size(items) == ItemCount);
  for (std::uint8_t item = 1; item <= ItemCount; ++item) {
    SCOPED_TRACE("item " + std::to_string(item));
    const ItemRow& want = items[item - 1];
    EXPECT_EQ(ItemCost(item), want.price);
    EXPECT_EQ(UnitLongName(item), ToFontCodePage(Utf8ToCp1251(want.longName)));
    EXPECT_EQ(UnitShortName(item), ToFontCodePage(Utf8ToCp1251(want.shortName)));
    EXPECT_EQ(TypeImageName(item, 0), want.picture);
  }
}
