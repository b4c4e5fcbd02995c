#include "game/base/rules.h"

#include <cmath>
#include <numbers>

#include "game/base/globals.h"

namespace zarn {

namespace {

struct UnitRule {
  std::int32_t health;
  std::int16_t damage;
  std::uint16_t range;
  std::uint16_t minRange;
  std::int32_t fireInterval;
};

constexpr std::int32_t OneSecond = TicksPerSecond;               // 18
constexpr std::int32_t OneAndHalfSeconds = TicksPerSecond * 3 / 2;  // 27
constexpr std::int32_t TwoSeconds = TicksPerSecond * 2;           // 36
constexpr std::int32_t ThreeSeconds = TicksPerSecond * 3;         // 54

constexpr UnitRule UnitRules[UnitKindCount] = {
    {20, 1, 2, 1, OneSecond},                  // infantryman
    {40, 3, 2, 1, OneSecond},                  // infantry squad
    {25, 2, 5, 3, OneAndHalfSeconds},          // heavy trooper
    {60, 6, 5, 3, OneAndHalfSeconds / 2},      // heavy trooper squad
    {40, 3, 3, 1, OneSecond},                  // trike
    {70, 5, 3, 1, OneSecond},                  // quad
    {100, 10, 4, 1, TwoSeconds},               // light tank
    {200, 20, 6, 1, ThreeSeconds},             // siege tank
    {100, 25, 8, 3, ThreeSeconds},             // rocket launcher
    {100, 30, 7, 1, TwoSeconds},               // Tremolan tank
    {100, 0, 10, 1, 1},                        // harvester
    {300, 40, 5, 1, ThreeSeconds / 2},         // Gromador
    {100, 0, 2, 1, 1},                         // construction vehicle
    {100, 0, 8, 3, ThreeSeconds},              // Perwolan
    {100, 0, 3, 1, 1},                         // carrier
    {100, 10, 7, 1, TwoSeconds},               // Skeltrel
};
// Kinds past the table (only 16 is ever asked for).
constexpr UnitRule UnitDefault = {100, 100, 1, 1, 1};

struct BuildingRule {
  std::int32_t health;
  std::int16_t damage;
  std::uint16_t cost;
  std::uint16_t range;
  std::uint16_t minRange;
  std::uint16_t actionPeriod;
  std::uint8_t footprint;
  std::uint16_t frames;
};

constexpr BuildingRule BuildingRules[BuildingKindCount] = {
    {200, 100, 5, 1, 1, 3, 0, 1},       // slab
    {0, 100, 50, 1, 1, 2, 0, 1},        // wall: no health of its own
    {200, 100, 900, 1, 1, 3, 1, 1},     // construction yard
    {100, 100, 300, 1, 1, 540, 1, 1},   // power plant
    {300, 100, 400, 1, 1, 18, 2, 2},    // refinery
    {100, 100, 150, 1, 1, 1, 1, 1},     // silo
    {300, 100, 400, 10, 1, 8, 1, 3},    // radar
    {200, 100, 300, 1, 1, 2, 1, 1},     // barracks
    {400, 100, 400, 1, 1, 2, 1, 1},     // academy
    {300, 100, 400, 1, 1, 54, 1, 2},    // light vehicle factory
    {500, 100, 600, 1, 1, 72, 2, 2},    // heavy vehicle factory
    {400, 100, 700, 1, 1, 2, 2, 1},     // repair factory
    {600, 100, 500, 1, 1, 72, 2, 5},    // air factory
    {400, 100, 500, 1, 1, 1, 1, 1},     // research centre
    {600, 100, 500, 4, 1, 1, 3, 1},     // starport
    {1000, 100, 1000, 1, 1, 1, 3, 1},   // palace
    {140, 10, 125, 5, 1, 1, 0, 1},      // gun turret
    {200, 15, 250, 7, 3, 1, 0, 1},      // rocket turret
};
constexpr BuildingRule BuildingDefault = {200, 100, 0, 1, 1, 1, 0, 1};

constexpr std::uint16_t ItemPrices[ItemCount + 1] = {
    0,                                                     // item 0 means nothing
    60,  100, 100, 150, 150, 200, 300, 600, 450, 600,      // 1..10
    300, 800, 900, 750, 800, 600, 5,   20,  900, 300,      // 11..20
    400, 150, 400, 300, 400, 400, 600, 700, 500, 500,      // 21..30
    500, 1000, 125, 250, 50,                               // 31..35
};

const UnitRule& UnitRuleOf(std::uint8_t kind) {
  return kind < UnitKindCount ? UnitRules[kind] : UnitDefault;
}
const BuildingRule& BuildingRuleOf(std::uint8_t kind) {
  return kind < BuildingKindCount ? BuildingRules[kind] : BuildingDefault;
}

}  // namespace

// ---- Facing and direction ----

std::uint8_t FacingFromVector(float dx, float dy) {
  const double x = dx, y = dy;
  const double r = std::sqrt(x * x + y * y);
  if (!(r > 0.0) || !std::isfinite(r)) return FacingNorth;
  const double s = y / r;
  const bool negative = s < 0.0;
  constexpr double pi = std::numbers::pi;
  double angle;
  if (std::fabs(s) >= 1.0) {
    angle = pi / 2;
  } else {
    const double a = std::fabs(std::atan(s / std::sqrt(1.0 - s * s)));
    if (x >= 0 && y >= 0) angle = a;
    else if (x < 0 && y >= 0) angle = pi - a;
    else if (x < 0) angle = -(pi - a);
    else angle = -a;
  }
  int degrees = static_cast<int>(std::trunc(angle * 180.0 / pi));
  if (degrees < 0) degrees += 360;
  if (negative && degrees == 90) degrees = 270;  // straight up
  if (degrees <= 22 || degrees >= 339) return FacingEast;
  if (degrees <= 68) return FacingSouthEast;
  if (degrees <= 112) return FacingSouth;
  if (degrees <= 158) return FacingSouthWest;
  if (degrees <= 202) return FacingWest;
  if (degrees <= 248) return FacingNorthWest;
  if (degrees <= 292) return FacingNorth;
  return FacingNorthEast;
}

std::uint8_t FacingToward(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  return FacingFromVector(static_cast<float>(static_cast<std::int64_t>(x2) - x1),
                          static_cast<float>(static_cast<std::int64_t>(y2) - y1));
}

std::uint8_t FacingBetweenCells(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  if (x2 == x1) return y2 > y1 ? FacingSouth : FacingNorth;
  if (x2 > x1) return y2 == y1 ? FacingEast : (y2 > y1 ? FacingSouthEast : FacingNorthEast);
  return y2 == y1 ? FacingWest : (y2 > y1 ? FacingSouthWest : FacingNorthWest);
}

void StepByFacing(std::uint8_t facing, std::int32_t& x, std::int32_t& y) {
  static constexpr int StepX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
  static constexpr int StepY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
  if (facing > 7) return;
  x += StepX[facing];
  y += StepY[facing];
}

std::uint8_t FacingPrev(std::uint8_t f) {
  return (f >= 1 && f <= 7) ? static_cast<std::uint8_t>(f - 1) : FacingNorthWest;
}

std::uint8_t FacingNext(std::uint8_t f) {
  if (f <= 5) return static_cast<std::uint8_t>(f + 1);
  if (f == 7) return FacingNorth;
  return FacingNorthWest;
}

std::uint8_t TurnTowardFacing(std::uint8_t current, std::uint8_t target) {
  const int d = target > current ? target - current : current - target;
  const bool clockwise = target > current ? d <= 4 : d >= 5;
  if (clockwise) return current >= 7 ? FacingNorth : static_cast<std::uint8_t>(current + 1);
  return (current == 0 || current > 7) ? FacingNorthWest : static_cast<std::uint8_t>(current - 1);
}

// ---- Per-kind constants ----

std::int32_t UnitHealth(std::uint8_t kind) { return UnitRuleOf(kind).health; }
std::int16_t UnitDamage(std::uint8_t kind) { return UnitRuleOf(kind).damage; }

void UnitTypeStats(std::uint8_t kind, std::int32_t& health, std::int16_t& damage,
                   std::uint16_t& turnDelay, std::uint16_t& range, std::uint16_t& minRange) {
  const UnitRule& r = UnitRuleOf(kind);
  range = r.range;
  minRange = r.minRange;
  health = UnitHealth(kind);
  damage = UnitDamage(kind);
  turnDelay = static_cast<std::uint16_t>(ConstOne());
}

std::int32_t UnitFireInterval(std::uint8_t kind) { return UnitRuleOf(kind).fireInterval; }

std::int32_t BuildingHealth(std::uint8_t kind) { return BuildingRuleOf(kind).health; }
std::int16_t BuildingDamage(std::uint8_t kind) { return BuildingRuleOf(kind).damage; }

void BuildingTypeStats(std::uint8_t kind, std::int32_t& health, std::int16_t& damage,
                       std::uint16_t& actionPeriod, std::uint16_t& range, std::uint16_t& minRange,
                       std::uint16_t& cost) {
  const BuildingRule& r = BuildingRuleOf(kind);
  actionPeriod = r.actionPeriod;
  range = r.range;
  minRange = r.minRange;
  cost = r.cost;
  health = BuildingHealth(kind);
  damage = BuildingDamage(kind);
}

std::int32_t BuildingFireInterval(std::uint8_t kind) {
  if (kind == BuildingPalace) return PalaceFireInterval;
  if (kind == BuildingGunTurret || kind == BuildingRocketTurret) return TurretFireInterval;
  return 0;
}

std::uint8_t FootprintClass(std::uint8_t buildingKind) {
  return buildingKind < BuildingKindCount ? BuildingRules[buildingKind].footprint : 0;
}

std::int32_t FootprintWidth(std::uint8_t footprintClass) {
  return footprintClass == 1 ? 2 : (footprintClass == 2 || footprintClass == 3) ? 3 : 1;
}

std::int32_t FootprintHeight(std::uint8_t footprintClass) {
  return (footprintClass == 1 || footprintClass == 2) ? 2 : footprintClass == 3 ? 3 : 1;
}

std::uint16_t BuildingAnimFrames(std::uint8_t buildingKind) {
  return buildingKind < BuildingKindCount ? BuildingRules[buildingKind].frames : 1;
}

std::uint16_t ItemCost(std::uint8_t item) { return item <= ItemCount ? ItemPrices[item] : 0; }

float CostStep(std::int16_t amount) {
  if (amount <= 5) return 2.0f;
  if (amount <= 20) return 5.0f;
  if (amount <= 99) return 10.0f;
  if (amount <= 299) return 15.0f;
  if (amount <= 449) return 20.0f;
  return 25.0f;
}

std::uint8_t ItemToUnitKind(std::uint8_t item) {
  return (item >= 2 && item <= 16) ? static_cast<std::uint8_t>(item - 1) : UnitInfantryman;
}

std::uint8_t UnitKindToItem(std::uint8_t kind) {
  return (kind >= 1 && kind <= 15) ? static_cast<std::uint8_t>(kind + 1) : 1;
}

std::uint8_t ItemBuildingKind(std::uint8_t item) {
  if (item == ItemSlab || item == ItemSlabBlock) return BuildingSlab;
  if (item >= ItemFirstBuilding && item <= 34) return static_cast<std::uint8_t>(item - 17);
  if (item == ItemWall) return BuildingWall;
  return 255;
}

std::uint8_t BuildingKindToItem(std::uint8_t kind) {
  if (kind == BuildingSlab) return ItemSlab;
  if (kind == BuildingWall) return ItemWall;
  if (kind < BuildingKindCount) return static_cast<std::uint8_t>(kind + 17);
  return 0;
}

bool ItemIsUnit(std::uint8_t item) { return item >= 1 && item <= 16; }
bool ItemIsBuilding(std::uint8_t item) { return item >= ItemSlab && item <= ItemWall; }

std::int32_t ConstOne() { return 1; }

// ---- Bars and selection ----

std::uint16_t BarLength(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (a < 0 || b <= 0) return 1;
  if (c <= 0) return 0;
  const double v = std::trunc(static_cast<double>(a) / b * c);
  const double limit = c < 65535 ? c : 65535;
  return static_cast<std::uint16_t>(v > limit ? limit : v);
}

std::uint16_t FirstActiveSlot() {
  for (int i = 1; i < 14; ++i)
    if (ViewState.Selection[i].InUse != 0) return static_cast<std::uint16_t>(i);
  return 14;
}

}  // namespace zarn
