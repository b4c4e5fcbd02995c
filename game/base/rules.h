// The game's fixed rules: object numbering, facings and turning, the per-kind constants a new
// unit or building receives, prices, names, build pictures and icon numbers. Everything here is
// a pure lookup and may be called from anywhere.
#pragma once

#include <cstdint>
#include <string>

namespace zarn {

// Unit kinds (byte 0..15). Kind 16 exists only as the tables' default.
inline constexpr std::uint8_t UnitInfantryman = 0;
inline constexpr std::uint8_t UnitInfantrySquad = 1;
inline constexpr std::uint8_t UnitHeavyTrooper = 2;
inline constexpr std::uint8_t UnitHeavySquad = 3;
inline constexpr std::uint8_t UnitTrike = 4;
inline constexpr std::uint8_t UnitQuad = 5;
inline constexpr std::uint8_t UnitLightTank = 6;
inline constexpr std::uint8_t UnitSiegeTank = 7;
inline constexpr std::uint8_t UnitRocketLauncher = 8;
inline constexpr std::uint8_t UnitTremolanTank = 9;
inline constexpr std::uint8_t UnitHarvester = 10;
inline constexpr std::uint8_t UnitGromador = 11;
inline constexpr std::uint8_t UnitConstructionVehicle = 12;
inline constexpr std::uint8_t UnitPerwolan = 13;
inline constexpr std::uint8_t UnitCarrier = 14;
inline constexpr std::uint8_t UnitSkeltrel = 15;
inline constexpr int UnitKindCount = 16;

// Building kinds (byte 0..17).
inline constexpr std::uint8_t BuildingSlab = 0;
inline constexpr std::uint8_t BuildingWall = 1;
inline constexpr std::uint8_t BuildingConstructionYard = 2;
inline constexpr std::uint8_t BuildingPowerPlant = 3;
inline constexpr std::uint8_t BuildingRefinery = 4;
inline constexpr std::uint8_t BuildingSilo = 5;
inline constexpr std::uint8_t BuildingRadar = 6;
inline constexpr std::uint8_t BuildingBarracks = 7;
inline constexpr std::uint8_t BuildingAcademy = 8;
inline constexpr std::uint8_t BuildingLightFactory = 9;
inline constexpr std::uint8_t BuildingHeavyFactory = 10;
inline constexpr std::uint8_t BuildingRepairFactory = 11;
inline constexpr std::uint8_t BuildingAirFactory = 12;
inline constexpr std::uint8_t BuildingResearchCentre = 13;
inline constexpr std::uint8_t BuildingStarport = 14;
inline constexpr std::uint8_t BuildingPalace = 15;
inline constexpr std::uint8_t BuildingGunTurret = 16;
inline constexpr std::uint8_t BuildingRocketTurret = 17;
inline constexpr int BuildingKindCount = 18;

// Item codes (1..35): what production, prices, names and build pictures are indexed by.
// 1..16 are unit kinds 0..15, 19..34 building kinds 2..17.
inline constexpr std::uint8_t ItemSlab = 17;
inline constexpr std::uint8_t ItemSlabBlock = 18;  // four slabs, 2 x 2
inline constexpr std::uint8_t ItemFirstBuilding = 19;
inline constexpr std::uint8_t ItemWall = 35;
inline constexpr int ItemCount = 35;

// Facings, clockwise from north on the screen (y grows downward).
inline constexpr std::uint8_t FacingNorth = 0;
inline constexpr std::uint8_t FacingNorthEast = 1;
inline constexpr std::uint8_t FacingEast = 2;
inline constexpr std::uint8_t FacingSouthEast = 3;
inline constexpr std::uint8_t FacingSouth = 4;
inline constexpr std::uint8_t FacingSouthWest = 5;
inline constexpr std::uint8_t FacingWest = 6;
inline constexpr std::uint8_t FacingNorthWest = 7;

// World ticks in one second of game time.
inline constexpr int TicksPerSecond = 18;
// The palace's special weapon recharges for fifteen minutes; turrets fire every 1.5 s.
inline constexpr std::int32_t PalaceFireInterval = 15 * TicksPerSecond * 60;  // 16200
inline constexpr std::int32_t TurretFireInterval = TicksPerSecond * 3 / 2;    // 27

// ---- Facing and direction ----

// Facing of a vector by its angle in whole degrees. A zero (or non-finite) vector gives north.
std::uint8_t FacingFromVector(float dx, float dy);
// Facing from tile (x1, y1) toward tile (x2, y2).
std::uint8_t FacingToward(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
// Facing by comparison only (no angles); equal cells give north.
std::uint8_t FacingBetweenCells(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
// Moves (x, y) one cell toward the facing; a value above 7 leaves them unchanged.
void StepByFacing(std::uint8_t facing, std::int32_t& x, std::int32_t& y);
std::uint8_t FacingPrev(std::uint8_t f);
std::uint8_t FacingNext(std::uint8_t f);
// One turning step from current toward target (always one step, also when they are equal).
std::uint8_t TurnTowardFacing(std::uint8_t current, std::uint8_t target);

// ---- Per-kind constants ----

std::int32_t UnitHealth(std::uint8_t kind);
std::int16_t UnitDamage(std::uint8_t kind);
// Range and minimum range are max(|dx|, |dy|) in tiles. Kinds past the table get range 1.
void UnitTypeStats(std::uint8_t kind, std::int32_t& health, std::int16_t& damage,
                   std::uint16_t& turnDelay, std::uint16_t& range, std::uint16_t& minRange);
// World ticks between two shots.
std::int32_t UnitFireInterval(std::uint8_t kind);

std::int32_t BuildingHealth(std::uint8_t kind);
std::int16_t BuildingDamage(std::uint8_t kind);
// Kinds past the table get range 1, action period 1 and cost 0.
void BuildingTypeStats(std::uint8_t kind, std::int32_t& health, std::int16_t& damage,
                       std::uint16_t& actionPeriod, std::uint16_t& range, std::uint16_t& minRange,
                       std::uint16_t& cost);
// The palace and the turrets fire; 0 for every other kind (they never do).
std::int32_t BuildingFireInterval(std::uint8_t kind);
// 0 one cell, 1 2x2, 2 3 wide by 2 high, 3 3x3.
std::uint8_t FootprintClass(std::uint8_t buildingKind);
// Width and height in cells of a footprint class (class 0 for anything unknown).
std::int32_t FootprintWidth(std::uint8_t footprintClass);
std::int32_t FootprintHeight(std::uint8_t footprintClass);
std::uint16_t BuildingAnimFrames(std::uint8_t buildingKind);

// Price in credits; 0 for item 0 and items above 35.
std::uint16_t ItemCost(std::uint8_t item);
// Repair and production price step of an amount.
float CostStep(std::int16_t amount);
// Items 2..16 -> kinds 1..15; everything else 0 (so item 1 is the infantryman too).
std::uint8_t ItemToUnitKind(std::uint8_t item);
// Kinds 1..15 -> items 2..16; everything else item 1.
std::uint8_t UnitKindToItem(std::uint8_t kind);
// Building kind that a finished item places: 17 and 18 slabs (18 is a 2x2 block), 19..34
// kinds 2..17, 35 the wall. 255 for items that are not buildings.
std::uint8_t ItemBuildingKind(std::uint8_t item);
// Item of a building kind: slab 17, wall 35, kinds 2..17 items 19..34; 0 past the table.
std::uint8_t BuildingKindToItem(std::uint8_t kind);
bool ItemIsUnit(std::uint8_t item);
bool ItemIsBuilding(std::uint8_t item);
// The turn delay of every unit kind.
std::int32_t ConstOne();

// ---- Names, pictures and icons (names are returned in the fonts' code page) ----

std::string UnitLongName(std::uint8_t item);
std::string UnitShortName(std::uint8_t item);
std::string_view UnitCaption(std::uint8_t unitKind);
std::string_view BuildingCaption(std::uint8_t buildingKind);
// Build-menu picture file of an item.
std::string TypeImageName(std::uint8_t item, std::uint8_t side);
// Large icon of an item (build menus).
std::int16_t TypePictureIndex(std::uint8_t item, std::uint8_t side);
// Large icon of a unit on the side panel.
std::int16_t TypeIconIndex(std::uint8_t unitKind, std::uint8_t side);
// Small icon of a unit.
std::int16_t TypeIconIndex2(std::uint8_t unitKind, std::uint8_t side);
// Large icon of a building.
std::int16_t TypeIconIndex3(std::uint8_t buildingKind);

// ---- Bars and selection ----

// Length of a bar of c pixels showing a of b: 1 when a < 0 or b <= 0, else a / b * c
// truncated and kept within 0..c.
std::uint16_t BarLength(std::int32_t a, std::int32_t b, std::int32_t c);
// Number of the first selection entry in use (the single selected unit); 14 when none is.
std::uint16_t FirstActiveSlot();

}  // namespace zarn
