// The world's shared records. Saved games (and scenario files, for the mission) store them byte
// for byte, so every layout below is a file format: packed, little-endian, each size and each
// field offset pinned by a static_assert. Bytes that carry nothing are named Reserved/Unused so
// that the offsets hold. Readers and writers copy records to and from byte buffers with memcpy;
// a buffer is never cast to a record (its fields would be misaligned).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "game/base/tables.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "records are stored byte for byte and assume a little-endian host");

namespace zarn {

#pragma pack(push, 1)

// The small timed marker drawn above a unit (smoke of a hurt vehicle, a burning building).
struct TUnitMarker {
  std::int16_t FramePeriod;  // TickCount units per frame (3)
  std::int16_t Life;         // TickCount units (180)
  std::int16_t Frame;        // sprite frame 1..3
  std::uint8_t Hidden;       // 1 = not shown
  std::uint8_t Unused7;
  std::int32_t NextFrameTick;  // TickCount
  std::int32_t ExpiryTick;     // TickCount
};
static_assert(sizeof(TUnitMarker) == 16);
static_assert(offsetof(TUnitMarker, FramePeriod) == 0);
static_assert(offsetof(TUnitMarker, Life) == 2);
static_assert(offsetof(TUnitMarker, Frame) == 4);
static_assert(offsetof(TUnitMarker, Hidden) == 6);
static_assert(offsetof(TUnitMarker, Unused7) == 7);
static_assert(offsetof(TUnitMarker, NextFrameTick) == 8);
static_assert(offsetof(TUnitMarker, ExpiryTick) == 12);

// One step of a unit's or a worm's path. Paths are stored in reverse: the next step to take is
// entry [path length].
struct TPathStep {
  std::int32_t X;
  std::int32_t Y;
  std::uint8_t Facing;  // 0..7
  std::uint8_t Unused9[3];
};
static_assert(sizeof(TPathStep) == 12);
static_assert(offsetof(TPathStep, X) == 0);
static_assert(offsetof(TPathStep, Y) == 4);
static_assert(offsetof(TPathStep, Facing) == 8);
static_assert(offsetof(TPathStep, Unused9) == 9);

using TPath = Table1<TPathStep, 10>;
static_assert(sizeof(TPath) == 120);

// Unit order states.
inline constexpr std::uint8_t StateStop = 0;
inline constexpr std::uint8_t StateAttack = 1;
inline constexpr std::uint8_t StateMove = 2;
inline constexpr std::uint8_t StateReturn = 3;
inline constexpr std::uint8_t StateHarvest = 5;
inline constexpr std::uint8_t StateIdle = 10;  // also the state of a fresh unit
inline constexpr std::uint8_t StatePickUp = 11;
inline constexpr std::uint8_t StateDeliver = 12;

// Target classes as ObjectAtTile reports them.
inline constexpr std::uint8_t TargetUnit = 0;
inline constexpr std::uint8_t TargetBuilding = 1;
inline constexpr std::uint8_t TargetWorm = 2;
inline constexpr std::uint8_t TargetBloom = 3;

struct TUnitRecord {
  std::uint16_t MaxHealth;
  std::int16_t Damage;
  std::int16_t NextX;  // second tile held while stepping
  std::int16_t NextY;
  std::uint16_t DestX;
  std::uint16_t DestY;
  std::uint16_t Slot;  // own slot; 0 for the delivery carrier
  std::int16_t MoveCounter;
  std::uint16_t StepProgress;  // 0..16; 16 = standing on its tile
  std::uint16_t TurnDelay;
  std::int16_t IdleLookPeriod;
  std::uint16_t FireInterval;
  std::uint16_t SearchPeriod;
  std::uint16_t ConversionPeriod;
  std::uint16_t HarvestPeriod;
  std::uint16_t Range;
  std::uint16_t MinRange;
  std::uint16_t Load;
  std::uint16_t Capacity;
  std::uint8_t Reserved38[2];
  std::int32_t X;  // 1-based tile
  std::int32_t Y;
  std::int32_t Health;
  std::uint16_t TargetX;
  std::uint16_t TargetY;
  std::uint16_t TargetSlot;
  std::int16_t ReturnX;  // harvester: field tile to go back to
  std::int16_t ReturnY;
  std::uint8_t TargetClass;
  std::uint8_t Reserved63;
  std::uint8_t Side;
  std::uint8_t FormerSide;
  std::uint8_t Owner;  // player 1..8
  std::uint8_t FormerOwner;
  std::uint8_t Kind;       // 0..15
  std::uint8_t MovePhase;  // 0 resting, 2 stepping
  std::uint8_t State;
  std::uint8_t OffMap;  // 1 while carried or removed
  std::uint8_t Free;    // 1 = slot free
  std::uint8_t Facing;
  std::uint8_t TurretFacing;
  std::uint8_t Reserved75;
  std::int32_t NextTurnTick;
  std::int32_t NextLookTick;
  std::int32_t NextFireTick;
  std::int32_t ConversionExpiry;
  std::int32_t HarvestStart;
  std::int32_t NextSearchTick;
  TPath Path;
  std::uint16_t PathLength;  // 0..10
  Table1<std::uint16_t, 6> Cargo;
  std::uint16_t CargoCount;  // 0..6
  std::uint8_t NotConverted;  // 0 while converted
  std::uint8_t Deselected;    // 0 = selected
  std::uint8_t Reserved238[2];
  TUnitMarker Marker;
  std::uint8_t FreeTargeting;  // 1 = holds position, picks its own targets
  std::uint8_t Reserved257[3];
};
static_assert(sizeof(TUnitRecord) == 260);
static_assert(offsetof(TUnitRecord, MaxHealth) == 0);
static_assert(offsetof(TUnitRecord, Damage) == 2);
static_assert(offsetof(TUnitRecord, NextX) == 4);
static_assert(offsetof(TUnitRecord, NextY) == 6);
static_assert(offsetof(TUnitRecord, DestX) == 8);
static_assert(offsetof(TUnitRecord, DestY) == 10);
static_assert(offsetof(TUnitRecord, Slot) == 12);
static_assert(offsetof(TUnitRecord, MoveCounter) == 14);
static_assert(offsetof(TUnitRecord, StepProgress) == 16);
static_assert(offsetof(TUnitRecord, TurnDelay) == 18);
static_assert(offsetof(TUnitRecord, IdleLookPeriod) == 20);
static_assert(offsetof(TUnitRecord, FireInterval) == 22);
static_assert(offsetof(TUnitRecord, SearchPeriod) == 24);
static_assert(offsetof(TUnitRecord, ConversionPeriod) == 26);
static_assert(offsetof(TUnitRecord, HarvestPeriod) == 28);
static_assert(offsetof(TUnitRecord, Range) == 30);
static_assert(offsetof(TUnitRecord, MinRange) == 32);
static_assert(offsetof(TUnitRecord, Load) == 34);
static_assert(offsetof(TUnitRecord, Capacity) == 36);
static_assert(offsetof(TUnitRecord, Reserved38) == 38);
static_assert(offsetof(TUnitRecord, X) == 40);
static_assert(offsetof(TUnitRecord, Y) == 44);
static_assert(offsetof(TUnitRecord, Health) == 48);
static_assert(offsetof(TUnitRecord, TargetX) == 52);
static_assert(offsetof(TUnitRecord, TargetY) == 54);
static_assert(offsetof(TUnitRecord, TargetSlot) == 56);
static_assert(offsetof(TUnitRecord, ReturnX) == 58);
static_assert(offsetof(TUnitRecord, ReturnY) == 60);
static_assert(offsetof(TUnitRecord, TargetClass) == 62);
static_assert(offsetof(TUnitRecord, Reserved63) == 63);
static_assert(offsetof(TUnitRecord, Side) == 64);
static_assert(offsetof(TUnitRecord, FormerSide) == 65);
static_assert(offsetof(TUnitRecord, Owner) == 66);
static_assert(offsetof(TUnitRecord, FormerOwner) == 67);
static_assert(offsetof(TUnitRecord, Kind) == 68);
static_assert(offsetof(TUnitRecord, MovePhase) == 69);
static_assert(offsetof(TUnitRecord, State) == 70);
static_assert(offsetof(TUnitRecord, OffMap) == 71);
static_assert(offsetof(TUnitRecord, Free) == 72);
static_assert(offsetof(TUnitRecord, Facing) == 73);
static_assert(offsetof(TUnitRecord, TurretFacing) == 74);
static_assert(offsetof(TUnitRecord, Reserved75) == 75);
static_assert(offsetof(TUnitRecord, NextTurnTick) == 76);
static_assert(offsetof(TUnitRecord, NextLookTick) == 80);
static_assert(offsetof(TUnitRecord, NextFireTick) == 84);
static_assert(offsetof(TUnitRecord, ConversionExpiry) == 88);
static_assert(offsetof(TUnitRecord, HarvestStart) == 92);
static_assert(offsetof(TUnitRecord, NextSearchTick) == 96);
static_assert(offsetof(TUnitRecord, Path) == 100);
static_assert(offsetof(TUnitRecord, PathLength) == 220);
static_assert(offsetof(TUnitRecord, Cargo) == 222);
static_assert(offsetof(TUnitRecord, CargoCount) == 234);
static_assert(offsetof(TUnitRecord, NotConverted) == 236);
static_assert(offsetof(TUnitRecord, Deselected) == 237);
static_assert(offsetof(TUnitRecord, Reserved238) == 238);
static_assert(offsetof(TUnitRecord, Marker) == 240);
static_assert(offsetof(TUnitRecord, FreeTargeting) == 256);
static_assert(offsetof(TUnitRecord, Reserved257) == 257);

// Production states of a building.
inline constexpr std::uint8_t ProductionIdle = 0;
inline constexpr std::uint8_t ProductionRunning = 1;
inline constexpr std::uint8_t ProductionPaused = 2;

struct TBuildingRecord {
  std::uint16_t MaxHealth;
  std::int16_t Damage;
  std::uint16_t Slot;
  std::uint16_t UpgradeLevel;
  std::uint16_t PowerOutput;  // power plant: health in percent
  std::uint16_t Unused10;     // zeroed at creation, read nowhere
  std::uint16_t AnimFrame;
  std::uint16_t AnimFrames;
  std::uint16_t ActionPeriod;
  std::uint16_t TurretTurnPeriod;
  std::uint16_t FireInterval;
  std::uint16_t RepairPeriod;
  std::uint16_t Range;
  std::uint16_t MinRange;
  std::uint16_t RepairCost;
  std::uint16_t Cost;
  std::uint16_t ProductionTarget;
  std::uint16_t UpgradeTarget;
  std::uint16_t TurretAimPeriod;
  std::uint8_t Reserved38[2];
  std::int32_t X;  // anchor tile (top-left of the footprint)
  std::int32_t Y;
  std::int32_t Health;
  std::uint16_t TargetX;
  std::uint16_t TargetY;
  std::uint16_t TargetSlot;
  std::uint8_t Reserved58[4];
  std::uint8_t TargetClass;
  std::uint8_t Reserved63;
  std::uint8_t Side;
  std::uint8_t Owner;
  std::uint8_t Kind;  // 0..17
  std::uint8_t FootprintClass;
  std::uint8_t Item;
  std::uint8_t ProductionState;
  std::uint8_t TurretEngaged;
  std::uint8_t TurretState;
  std::uint8_t Free;  // 1 = slot free
  std::uint8_t RepairOff;
  std::uint8_t UpgradeIdle;
  std::uint8_t DockFree;
  std::uint8_t Deselected;
  std::uint8_t TurretAim;
  std::uint8_t TurretFacing;
  std::uint8_t Reserved79;
  std::int32_t NextActionTick;
  std::int32_t TurretTurnTime;
  std::int32_t LastFireTick;
  std::int32_t NextRepairTick;
  std::int32_t NextProductionTick;
  std::int32_t NextUpgradeTick;
  std::int32_t TurretAimTime;
  float ProductionProgress;
  float ProductionStep;
  float UpgradeStep;
  float UpgradeProgress;
  TUnitMarker Marker;  // shown while the building burns
  std::uint8_t RepeatProduction;
  std::uint8_t Reserved141[3];
};
static_assert(sizeof(TBuildingRecord) == 144);
static_assert(offsetof(TBuildingRecord, MaxHealth) == 0);
static_assert(offsetof(TBuildingRecord, Damage) == 2);
static_assert(offsetof(TBuildingRecord, Slot) == 4);
static_assert(offsetof(TBuildingRecord, UpgradeLevel) == 6);
static_assert(offsetof(TBuildingRecord, PowerOutput) == 8);
static_assert(offsetof(TBuildingRecord, Unused10) == 10);
static_assert(offsetof(TBuildingRecord, AnimFrame) == 12);
static_assert(offsetof(TBuildingRecord, AnimFrames) == 14);
static_assert(offsetof(TBuildingRecord, ActionPeriod) == 16);
static_assert(offsetof(TBuildingRecord, TurretTurnPeriod) == 18);
static_assert(offsetof(TBuildingRecord, FireInterval) == 20);
static_assert(offsetof(TBuildingRecord, RepairPeriod) == 22);
static_assert(offsetof(TBuildingRecord, Range) == 24);
static_assert(offsetof(TBuildingRecord, MinRange) == 26);
static_assert(offsetof(TBuildingRecord, RepairCost) == 28);
static_assert(offsetof(TBuildingRecord, Cost) == 30);
static_assert(offsetof(TBuildingRecord, ProductionTarget) == 32);
static_assert(offsetof(TBuildingRecord, UpgradeTarget) == 34);
static_assert(offsetof(TBuildingRecord, TurretAimPeriod) == 36);
static_assert(offsetof(TBuildingRecord, Reserved38) == 38);
static_assert(offsetof(TBuildingRecord, X) == 40);
static_assert(offsetof(TBuildingRecord, Y) == 44);
static_assert(offsetof(TBuildingRecord, Health) == 48);
static_assert(offsetof(TBuildingRecord, TargetX) == 52);
static_assert(offsetof(TBuildingRecord, TargetY) == 54);
static_assert(offsetof(TBuildingRecord, TargetSlot) == 56);
static_assert(offsetof(TBuildingRecord, Reserved58) == 58);
static_assert(offsetof(TBuildingRecord, TargetClass) == 62);
static_assert(offsetof(TBuildingRecord, Reserved63) == 63);
static_assert(offsetof(TBuildingRecord, Side) == 64);
static_assert(offsetof(TBuildingRecord, Owner) == 65);
static_assert(offsetof(TBuildingRecord, Kind) == 66);
static_assert(offsetof(TBuildingRecord, FootprintClass) == 67);
static_assert(offsetof(TBuildingRecord, Item) == 68);
static_assert(offsetof(TBuildingRecord, ProductionState) == 69);
static_assert(offsetof(TBuildingRecord, TurretEngaged) == 70);
static_assert(offsetof(TBuildingRecord, TurretState) == 71);
static_assert(offsetof(TBuildingRecord, Free) == 72);
static_assert(offsetof(TBuildingRecord, RepairOff) == 73);
static_assert(offsetof(TBuildingRecord, UpgradeIdle) == 74);
static_assert(offsetof(TBuildingRecord, DockFree) == 75);
static_assert(offsetof(TBuildingRecord, Deselected) == 76);
static_assert(offsetof(TBuildingRecord, TurretAim) == 77);
static_assert(offsetof(TBuildingRecord, TurretFacing) == 78);
static_assert(offsetof(TBuildingRecord, Reserved79) == 79);
static_assert(offsetof(TBuildingRecord, NextActionTick) == 80);
static_assert(offsetof(TBuildingRecord, TurretTurnTime) == 84);
static_assert(offsetof(TBuildingRecord, LastFireTick) == 88);
static_assert(offsetof(TBuildingRecord, NextRepairTick) == 92);
static_assert(offsetof(TBuildingRecord, NextProductionTick) == 96);
static_assert(offsetof(TBuildingRecord, NextUpgradeTick) == 100);
static_assert(offsetof(TBuildingRecord, TurretAimTime) == 104);
static_assert(offsetof(TBuildingRecord, ProductionProgress) == 108);
static_assert(offsetof(TBuildingRecord, ProductionStep) == 112);
static_assert(offsetof(TBuildingRecord, UpgradeStep) == 116);
static_assert(offsetof(TBuildingRecord, UpgradeProgress) == 120);
static_assert(offsetof(TBuildingRecord, Marker) == 124);
static_assert(offsetof(TBuildingRecord, RepeatProduction) == 140);
static_assert(offsetof(TBuildingRecord, Reserved141) == 141);

// A projectile of a unit or a building.
struct TShotRecord {
  std::int32_t PixelX;  // map pixels, Trunc of PosX
  std::int32_t PixelY;
  std::int32_t AimX;
  std::int32_t AimY;
  std::uint8_t Reserved16[4];
  std::int32_t ShotSpeed;
  std::uint16_t StepInterval;  // TickCount units
  std::uint16_t StepCount;
  std::uint16_t Steps;
  std::uint16_t Shooter;  // slot of the firing unit or building
  std::uint16_t StepLength;
  std::uint8_t Reserved34[2];
  float DirX;
  float DirY;
  float PosX;
  float PosY;
  std::uint8_t WeaponClass;  // 0..7
  std::uint8_t ShooterKind;
  std::uint8_t Active;  // 0 = slot free
  std::uint8_t ShotFacing;
  std::int32_t NextStepTick;  // TickCount
};
static_assert(sizeof(TShotRecord) == 60);
static_assert(offsetof(TShotRecord, PixelX) == 0);
static_assert(offsetof(TShotRecord, PixelY) == 4);
static_assert(offsetof(TShotRecord, AimX) == 8);
static_assert(offsetof(TShotRecord, AimY) == 12);
static_assert(offsetof(TShotRecord, Reserved16) == 16);
static_assert(offsetof(TShotRecord, ShotSpeed) == 20);
static_assert(offsetof(TShotRecord, StepInterval) == 24);
static_assert(offsetof(TShotRecord, StepCount) == 26);
static_assert(offsetof(TShotRecord, Steps) == 28);
static_assert(offsetof(TShotRecord, Shooter) == 30);
static_assert(offsetof(TShotRecord, StepLength) == 32);
static_assert(offsetof(TShotRecord, Reserved34) == 34);
static_assert(offsetof(TShotRecord, DirX) == 36);
static_assert(offsetof(TShotRecord, DirY) == 40);
static_assert(offsetof(TShotRecord, PosX) == 44);
static_assert(offsetof(TShotRecord, PosY) == 48);
static_assert(offsetof(TShotRecord, WeaponClass) == 52);
static_assert(offsetof(TShotRecord, ShooterKind) == 53);
static_assert(offsetof(TShotRecord, Active) == 54);
static_assert(offsetof(TShotRecord, ShotFacing) == 55);
static_assert(offsetof(TShotRecord, NextStepTick) == 56);

struct TExplosionRecord {
  std::int16_t FramePeriod;  // TickCount units per frame
  std::int16_t Frame;        // from 1
  std::int16_t FrameCount;
  std::uint16_t TileX;
  std::uint16_t TileY;
  std::uint16_t PixelX;
  std::uint16_t PixelY;
  std::uint8_t SideColour;
  std::uint8_t ExplosionKind;  // kind of the unit that died
  std::uint8_t Extra;          // stored, not drawn
  std::uint8_t Free;           // 1 = slot free
  std::uint8_t Reserved18[2];
  std::int32_t NextFrameTick;  // TickCount
};
static_assert(sizeof(TExplosionRecord) == 24);
static_assert(offsetof(TExplosionRecord, FramePeriod) == 0);
static_assert(offsetof(TExplosionRecord, Frame) == 2);
static_assert(offsetof(TExplosionRecord, FrameCount) == 4);
static_assert(offsetof(TExplosionRecord, TileX) == 6);
static_assert(offsetof(TExplosionRecord, TileY) == 8);
static_assert(offsetof(TExplosionRecord, PixelX) == 10);
static_assert(offsetof(TExplosionRecord, PixelY) == 12);
static_assert(offsetof(TExplosionRecord, SideColour) == 14);
static_assert(offsetof(TExplosionRecord, ExplosionKind) == 15);
static_assert(offsetof(TExplosionRecord, Extra) == 16);
static_assert(offsetof(TExplosionRecord, Free) == 17);
static_assert(offsetof(TExplosionRecord, Reserved18) == 18);
static_assert(offsetof(TExplosionRecord, NextFrameTick) == 20);

// One single-tile resource cell.
struct TOssinFieldRecord {
  std::uint16_t Image;  // tile of the 16 x 16 sheet; 0 = nothing drawn
  std::uint16_t X;
  std::uint16_t Y;
  std::uint8_t Reserved6[2];
  std::int32_t Amount;
  std::uint8_t Free;   // 1 = slot free
  std::uint8_t Tiled;  // neighbourhood tiled for drawing
  std::uint8_t Inner;  // all eight neighbours were cells at the last tiling
  std::uint8_t Reserved15;
};
static_assert(sizeof(TOssinFieldRecord) == 16);
static_assert(offsetof(TOssinFieldRecord, Image) == 0);
static_assert(offsetof(TOssinFieldRecord, X) == 2);
static_assert(offsetof(TOssinFieldRecord, Y) == 4);
static_assert(offsetof(TOssinFieldRecord, Reserved6) == 6);
static_assert(offsetof(TOssinFieldRecord, Amount) == 8);
static_assert(offsetof(TOssinFieldRecord, Free) == 12);
static_assert(offsetof(TOssinFieldRecord, Tiled) == 13);
static_assert(offsetof(TOssinFieldRecord, Inner) == 14);
static_assert(offsetof(TOssinFieldRecord, Reserved15) == 15);

// A hidden deposit that erupts into resource cells.
struct TOssinBloomRecord {
  std::int32_t X;
  std::int32_t Y;
  std::uint8_t Removed;  // 1 = slot free
  std::uint8_t Unused9[3];
};
static_assert(sizeof(TOssinBloomRecord) == 12);
static_assert(offsetof(TOssinBloomRecord, X) == 0);
static_assert(offsetof(TOssinBloomRecord, Y) == 4);
static_assert(offsetof(TOssinBloomRecord, Removed) == 8);
static_assert(offsetof(TOssinBloomRecord, Unused9) == 9);

// A lasting mark on the ground, drawn as a map tile at a pixel position.
struct TDecalRecord {
  std::uint16_t Tile;
  std::uint16_t PixelX;
  std::uint16_t PixelY;
  std::uint8_t Free;  // 1 = slot free
  std::uint8_t Unused7;
};
static_assert(sizeof(TDecalRecord) == 8);
static_assert(offsetof(TDecalRecord, Tile) == 0);
static_assert(offsetof(TDecalRecord, PixelX) == 2);
static_assert(offsetof(TDecalRecord, PixelY) == 4);
static_assert(offsetof(TDecalRecord, Free) == 6);
static_assert(offsetof(TDecalRecord, Unused7) == 7);

// A short-lived vehicle track.
struct TGroundMark {
  std::uint8_t Free;  // 1 = free
  std::uint8_t Reserved1;
  std::uint16_t X;            // 0-based cell
  std::uint16_t Y;
  std::uint16_t Orientation;  // 0..3
  std::int32_t Expiry;        // WorldTickCount
};
static_assert(sizeof(TGroundMark) == 12);
static_assert(offsetof(TGroundMark, Free) == 0);
static_assert(offsetof(TGroundMark, Reserved1) == 1);
static_assert(offsetof(TGroundMark, X) == 2);
static_assert(offsetof(TGroundMark, Y) == 4);
static_assert(offsetof(TGroundMark, Orientation) == 6);
static_assert(offsetof(TGroundMark, Expiry) == 8);

// A palette entry that glows: one step per TickCount (red and grey pulses).
struct TPalettePulse {
  std::uint16_t PaletteIndex;
  std::uint8_t Reserved2[2];
  std::int32_t NextTick;       // TickCount
  std::uint16_t Level;         // colour component 0..63
  std::uint16_t Direction;     // 0 rising, 1 falling
  std::uint8_t Stopped;        // 1 = does not step
  std::uint8_t Reserved13[3];
};
static_assert(sizeof(TPalettePulse) == 16);
static_assert(offsetof(TPalettePulse, PaletteIndex) == 0);
static_assert(offsetof(TPalettePulse, Reserved2) == 2);
static_assert(offsetof(TPalettePulse, NextTick) == 4);
static_assert(offsetof(TPalettePulse, Level) == 8);
static_assert(offsetof(TPalettePulse, Direction) == 10);
static_assert(offsetof(TPalettePulse, Stopped) == 12);
static_assert(offsetof(TPalettePulse, Reserved13) == 13);

// The blue pulse always writes palette entry 10, so it has no index.
struct TBluePulse {
  std::int32_t NextTick;
  std::uint16_t Level;
  std::uint16_t Direction;
  std::uint8_t Stopped;
  std::uint8_t Reserved9[3];
};
static_assert(sizeof(TBluePulse) == 12);
static_assert(offsetof(TBluePulse, NextTick) == 0);
static_assert(offsetof(TBluePulse, Level) == 4);
static_assert(offsetof(TBluePulse, Direction) == 6);
static_assert(offsetof(TBluePulse, Stopped) == 8);
static_assert(offsetof(TBluePulse, Reserved9) == 9);

// Worm behaviours.
inline constexpr std::uint8_t WormGivingUp = 0;
inline constexpr std::uint8_t WormHunting = 1;
inline constexpr std::uint8_t WormTravelling = 2;
inline constexpr std::uint8_t WormResting = 10;

struct TWormRecord {
  std::int32_t MaxHealth;
  std::int32_t NextX;  // tile of the step being taken
  std::int32_t NextY;
  std::int32_t DestX;
  std::int32_t DestY;
  std::int32_t Slot;  // 1..10
  std::uint8_t Reserved24[4];
  std::int32_t StepProgress;  // 0..16; 16 = standing on a tile
  std::int32_t StepPeriod;
  std::int32_t StrikeCounter;  // 8..0 during a strike
  std::int32_t StrikeFramePeriod;
  std::int32_t DigestPause;
  std::int32_t X;  // 1-based tile
  std::int32_t Y;
  std::int32_t Health;
  std::uint16_t TargetX;
  std::uint16_t TargetY;
  std::uint16_t Prey;  // unit slot, 0 = none
  std::uint8_t Reserved66[6];
  std::uint8_t MoveState;  // 0 resting, 2 moving
  std::uint8_t Behaviour;
  std::uint8_t Removed;  // 1 = slot free
  std::uint8_t Facing;
  std::int32_t StepTimer;    // WorldTickCount of the next movement step
  std::int32_t StrikeTimer;  // WorldTickCount of the next strike frame
  std::int32_t HuntTime;     // earliest WorldTickCount of the next hunt
  TPath Path;
  std::uint16_t PathLength;
  std::uint8_t Deselected;  // 0 = selected
  std::uint8_t Hidden;      // 1 = under the sand
};
static_assert(sizeof(TWormRecord) == 212);
static_assert(offsetof(TWormRecord, MaxHealth) == 0);
static_assert(offsetof(TWormRecord, NextX) == 4);
static_assert(offsetof(TWormRecord, NextY) == 8);
static_assert(offsetof(TWormRecord, DestX) == 12);
static_assert(offsetof(TWormRecord, DestY) == 16);
static_assert(offsetof(TWormRecord, Slot) == 20);
static_assert(offsetof(TWormRecord, Reserved24) == 24);
static_assert(offsetof(TWormRecord, StepProgress) == 28);
static_assert(offsetof(TWormRecord, StepPeriod) == 32);
static_assert(offsetof(TWormRecord, StrikeCounter) == 36);
static_assert(offsetof(TWormRecord, StrikeFramePeriod) == 40);
static_assert(offsetof(TWormRecord, DigestPause) == 44);
static_assert(offsetof(TWormRecord, X) == 48);
static_assert(offsetof(TWormRecord, Y) == 52);
static_assert(offsetof(TWormRecord, Health) == 56);
static_assert(offsetof(TWormRecord, TargetX) == 60);
static_assert(offsetof(TWormRecord, TargetY) == 62);
static_assert(offsetof(TWormRecord, Prey) == 64);
static_assert(offsetof(TWormRecord, Reserved66) == 66);
static_assert(offsetof(TWormRecord, MoveState) == 72);
static_assert(offsetof(TWormRecord, Behaviour) == 73);
static_assert(offsetof(TWormRecord, Removed) == 74);
static_assert(offsetof(TWormRecord, Facing) == 75);
static_assert(offsetof(TWormRecord, StepTimer) == 76);
static_assert(offsetof(TWormRecord, StrikeTimer) == 80);
static_assert(offsetof(TWormRecord, HuntTime) == 84);
static_assert(offsetof(TWormRecord, Path) == 88);
static_assert(offsetof(TWormRecord, PathLength) == 208);
static_assert(offsetof(TWormRecord, Deselected) == 210);
static_assert(offsetof(TWormRecord, Hidden) == 211);

// One entry of a computer player's unit lists.
struct TPlayerListEntry {
  std::uint8_t Free;  // 1 = empty; a free entry's unit slot is stale
  std::uint8_t Busy;  // the unit is on an errand
  std::uint8_t Unused2[2];
  std::int32_t Unit;
};
static_assert(sizeof(TPlayerListEntry) == 8);
static_assert(offsetof(TPlayerListEntry, Free) == 0);
static_assert(offsetof(TPlayerListEntry, Busy) == 1);
static_assert(offsetof(TPlayerListEntry, Unused2) == 2);
static_assert(offsetof(TPlayerListEntry, Unit) == 4);

struct TBasePoint {
  std::int32_t X;
  std::int32_t Y;
};
static_assert(sizeof(TBasePoint) == 8);
static_assert(offsetof(TBasePoint, X) == 0);
static_assert(offsetof(TBasePoint, Y) == 4);

// A player's money, statistics and the state of its computer player. Ticks are WorldTickCount
// values.
struct TPlayerRecord {
  std::int32_t Credits;
  std::int32_t BasePointCount;  // 0..4
  std::int32_t UnitsMade;
  std::int32_t BuildingsMade;
  std::int32_t UnitsDestroyed;
  std::int32_t BuildingsDestroyed;
  std::int32_t ResourceDelivered;
  Table1<TBasePoint, 4> BasePoints;
  std::uint8_t Destroyed;  // 1 = the player is out
  std::uint8_t Number;     // own player number 1..8
  std::uint8_t Side;
  std::uint8_t Unused63;
  std::int32_t LastBaseAlarm;
  std::int32_t LastBuildingAttack;
  std::int32_t LastUnitAlarm;
  std::int32_t LastUnitAttack;
  std::uint8_t ReplacementReady;  // 1 = no harvester delivery under way
  std::uint8_t CarrierHome;       // 1 = the delivery carrier is not out
  std::uint16_t ReplacementHarvester;
  std::uint16_t ReplacementRefinery;
  std::uint8_t Unused86[2];
  std::int32_t DeliveryX;
  std::int32_t DeliveryY;
  std::int32_t NextDestroyedCheck;
  std::uint16_t DestroyedCheckPeriod;
  std::uint8_t Unused102[2];
  std::int32_t SpareTimer;  // set, never read
  std::uint16_t SparePeriod;
  std::uint8_t Unused110[2];
  Table1<TPlayerListEntry, 70> AttackList;
  Table1<TPlayerListEntry, 44> DefenceList;
  Table1<TPlayerListEntry, 96> Roster;
  std::int32_t NextThink;
  std::uint16_t ThinkPeriod;
  std::uint8_t OutwardFerryPickUp;
  std::uint8_t OutwardFerryDelivery;
  std::uint8_t HomewardFerryPickUp;
  std::uint8_t HomewardFerryDelivery;
  std::uint8_t BloomErrand;
  std::uint8_t UnitAlarmRaised;
  std::uint8_t BaseAlarmRaised;
  std::uint8_t DefenceActive;
  std::uint8_t SecondAlarm;  // cleared, never raised
  std::uint8_t Unused1807;
  std::int32_t OutwardCarrier;
  std::int32_t OutwardHarvester;
  std::int32_t HomewardCarrier;
  std::int32_t HomewardHarvester;
  std::int32_t BloomErrandEntry;  // roster index of the bloom shooter
  std::int32_t Attacker;          // slot of what attacked the base
  std::int32_t SecondAlarmSlot;   // never set
  std::uint8_t AttackerIsBuilding;
  std::uint8_t SecondAlarmType;  // never set
  std::uint8_t Unused1838[2];
  std::int32_t NextAttack;
  std::uint16_t AttackInterval;
  std::uint8_t Unused1846[2];
  std::int32_t WaveTargetBuilding;
  std::int32_t WaveTarget;
  std::int32_t WaveSizeBase;
  std::uint8_t WaveActive;
  std::uint8_t WaveTargetIsBuilding;
  std::uint8_t Unused1862[2];
};
static_assert(sizeof(TPlayerRecord) == 1864);
static_assert(offsetof(TPlayerRecord, Credits) == 0);
static_assert(offsetof(TPlayerRecord, BasePointCount) == 4);
static_assert(offsetof(TPlayerRecord, UnitsMade) == 8);
static_assert(offsetof(TPlayerRecord, BuildingsMade) == 12);
static_assert(offsetof(TPlayerRecord, UnitsDestroyed) == 16);
static_assert(offsetof(TPlayerRecord, BuildingsDestroyed) == 20);
static_assert(offsetof(TPlayerRecord, ResourceDelivered) == 24);
static_assert(offsetof(TPlayerRecord, BasePoints) == 28);
static_assert(offsetof(TPlayerRecord, Destroyed) == 60);
static_assert(offsetof(TPlayerRecord, Number) == 61);
static_assert(offsetof(TPlayerRecord, Side) == 62);
static_assert(offsetof(TPlayerRecord, Unused63) == 63);
static_assert(offsetof(TPlayerRecord, LastBaseAlarm) == 64);
static_assert(offsetof(TPlayerRecord, LastBuildingAttack) == 68);
static_assert(offsetof(TPlayerRecord, LastUnitAlarm) == 72);
static_assert(offsetof(TPlayerRecord, LastUnitAttack) == 76);
static_assert(offsetof(TPlayerRecord, ReplacementReady) == 80);
static_assert(offsetof(TPlayerRecord, CarrierHome) == 81);
static_assert(offsetof(TPlayerRecord, ReplacementHarvester) == 82);
static_assert(offsetof(TPlayerRecord, ReplacementRefinery) == 84);
static_assert(offsetof(TPlayerRecord, Unused86) == 86);
static_assert(offsetof(TPlayerRecord, DeliveryX) == 88);
static_assert(offsetof(TPlayerRecord, DeliveryY) == 92);
static_assert(offsetof(TPlayerRecord, NextDestroyedCheck) == 96);
static_assert(offsetof(TPlayerRecord, DestroyedCheckPeriod) == 100);
static_assert(offsetof(TPlayerRecord, Unused102) == 102);
static_assert(offsetof(TPlayerRecord, SpareTimer) == 104);
static_assert(offsetof(TPlayerRecord, SparePeriod) == 108);
static_assert(offsetof(TPlayerRecord, Unused110) == 110);
static_assert(offsetof(TPlayerRecord, AttackList) == 112);
static_assert(offsetof(TPlayerRecord, DefenceList) == 672);
static_assert(offsetof(TPlayerRecord, Roster) == 1024);
static_assert(offsetof(TPlayerRecord, NextThink) == 1792);
static_assert(offsetof(TPlayerRecord, ThinkPeriod) == 1796);
static_assert(offsetof(TPlayerRecord, OutwardFerryPickUp) == 1798);
static_assert(offsetof(TPlayerRecord, OutwardFerryDelivery) == 1799);
static_assert(offsetof(TPlayerRecord, HomewardFerryPickUp) == 1800);
static_assert(offsetof(TPlayerRecord, HomewardFerryDelivery) == 1801);
static_assert(offsetof(TPlayerRecord, BloomErrand) == 1802);
static_assert(offsetof(TPlayerRecord, UnitAlarmRaised) == 1803);
static_assert(offsetof(TPlayerRecord, BaseAlarmRaised) == 1804);
static_assert(offsetof(TPlayerRecord, DefenceActive) == 1805);
static_assert(offsetof(TPlayerRecord, SecondAlarm) == 1806);
static_assert(offsetof(TPlayerRecord, Unused1807) == 1807);
static_assert(offsetof(TPlayerRecord, OutwardCarrier) == 1808);
static_assert(offsetof(TPlayerRecord, OutwardHarvester) == 1812);
static_assert(offsetof(TPlayerRecord, HomewardCarrier) == 1816);
static_assert(offsetof(TPlayerRecord, HomewardHarvester) == 1820);
static_assert(offsetof(TPlayerRecord, BloomErrandEntry) == 1824);
static_assert(offsetof(TPlayerRecord, Attacker) == 1828);
static_assert(offsetof(TPlayerRecord, SecondAlarmSlot) == 1832);
static_assert(offsetof(TPlayerRecord, AttackerIsBuilding) == 1836);
static_assert(offsetof(TPlayerRecord, SecondAlarmType) == 1837);
static_assert(offsetof(TPlayerRecord, Unused1838) == 1838);
static_assert(offsetof(TPlayerRecord, NextAttack) == 1840);
static_assert(offsetof(TPlayerRecord, AttackInterval) == 1844);
static_assert(offsetof(TPlayerRecord, Unused1846) == 1846);
static_assert(offsetof(TPlayerRecord, WaveTargetBuilding) == 1848);
static_assert(offsetof(TPlayerRecord, WaveTarget) == 1852);
static_assert(offsetof(TPlayerRecord, WaveSizeBase) == 1856);
static_assert(offsetof(TPlayerRecord, WaveActive) == 1860);
static_assert(offsetof(TPlayerRecord, WaveTargetIsBuilding) == 1861);
static_assert(offsetof(TPlayerRecord, Unused1862) == 1862);

// Mission goal types.
inline constexpr std::int32_t GoalNone = 0;
inline constexpr std::int32_t GoalCredits2000 = 1;
inline constexpr std::int32_t GoalCredits5000 = 2;
inline constexpr std::int32_t GoalCredits10000 = 3;
inline constexpr std::int32_t GoalBuildAcademy = 4;
inline constexpr std::int32_t GoalBuildRadar = 5;
inline constexpr std::int32_t GoalKillAllUnits = 6;
inline constexpr std::int32_t GoalKillAllBuildings = 7;
inline constexpr std::int32_t GoalSurvive30 = 8;
inline constexpr std::int32_t GoalConquerIn60 = 9;

// The running game's mission; scenario files carry it whole.
struct TMissionRecord {
  // Highest upgrade level per producing building: yard, barracks, academy, light factory,
  // heavy factory, air factory.
  Table1<std::int32_t, 6> UpgradeLimits;
  std::int32_t PlayerCount;  // players 1..PlayerCount take part
  std::int32_t MissionNumber;
  std::int32_t GoalType;  // 0..9
  // Available[k] = 1 when object kind k (1..35) may be produced.
  Table1<std::uint8_t, 35> Available;
  std::uint8_t Unused71;
};
static_assert(sizeof(TMissionRecord) == 72);
static_assert(offsetof(TMissionRecord, UpgradeLimits) == 0);
static_assert(offsetof(TMissionRecord, PlayerCount) == 24);
static_assert(offsetof(TMissionRecord, MissionNumber) == 28);
static_assert(offsetof(TMissionRecord, GoalType) == 32);
static_assert(offsetof(TMissionRecord, Available) == 36);
static_assert(offsetof(TMissionRecord, Unused71) == 71);

// Selection kinds.
inline constexpr std::uint8_t SelectedUnits = 0;
inline constexpr std::uint8_t SelectedBuilding = 1;
inline constexpr std::uint8_t SelectedWorm = 2;

struct TSelectionEntry {
  std::uint16_t Index;  // unit, building or worm slot
  std::uint8_t InUse;
  std::uint8_t Reserved3;
};
static_assert(sizeof(TSelectionEntry) == 4);
static_assert(offsetof(TSelectionEntry, Index) == 0);
static_assert(offsetof(TSelectionEntry, InUse) == 2);
static_assert(offsetof(TSelectionEntry, Reserved3) == 3);

using TSelectionList = Table1<TSelectionEntry, 14>;
static_assert(sizeof(TSelectionList) == 56);

// The view, the selection and the control groups of the player at this seat.
struct TViewState {
  std::uint16_t ViewX;  // 1-based map column at the left screen edge
  std::uint16_t ViewY;
  float MinimapScaleX;
  float MinimapScaleY;
  std::uint8_t LocalSide;
  std::uint8_t Reserved13;
  std::uint16_t SelectedCount;  // 0..14
  TSelectionList Selection;
  std::uint8_t SelectionKind;
  std::uint8_t Reserved73;
  Table<TSelectionList, 0, 9> Groups;
  std::uint8_t Reserved634[2];
};
static_assert(sizeof(TViewState) == 636);
static_assert(offsetof(TViewState, ViewX) == 0);
static_assert(offsetof(TViewState, ViewY) == 2);
static_assert(offsetof(TViewState, MinimapScaleX) == 4);
static_assert(offsetof(TViewState, MinimapScaleY) == 8);
static_assert(offsetof(TViewState, LocalSide) == 12);
static_assert(offsetof(TViewState, Reserved13) == 13);
static_assert(offsetof(TViewState, SelectedCount) == 14);
static_assert(offsetof(TViewState, Selection) == 16);
static_assert(offsetof(TViewState, SelectionKind) == 72);
static_assert(offsetof(TViewState, Reserved73) == 73);
static_assert(offsetof(TViewState, Groups) == 74);
static_assert(offsetof(TViewState, Reserved634) == 634);

#pragma pack(pop)

// Side byte of a seat that has no side yet.
inline constexpr std::uint8_t SeatWithoutSide = 8;

// One seat of a network game (seat number = player number). Never stored byte for byte.
struct TPlayerConnection {
  std::string Name;  // nickname as the client reported it (cp1251)
  std::uint8_t Side = SeatWithoutSide;
  std::uint8_t PlayerNumber = 0;
  std::int32_t Connection = 0;  // index in the server socket's list of connections
  std::uint8_t Connected = 0;   // 1 = a client occupies the seat
};

}  // namespace zarn
