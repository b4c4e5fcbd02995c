// Palette pulses (a few palette entries that glow), the creation and removal of worms, new
// resource cells on sand, and the resets that empty whole world tables at a game's start, on
// loading and in the editors.
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

// Red and grey pulses run 60, 62, 62, 60 .. 40, 40, 42 .. 62 (a pause of one step at each end);
// the blue pulse runs between 20 and 63 in steps of 1.
inline constexpr std::uint16_t PulseStartLevel = 60;
inline constexpr std::uint8_t BluePulseEntry = 10;

inline TPalettePulse RedPulse1{};  // entry 12
inline TPalettePulse RedPulse2{};  // entry 8
inline TPalettePulse RedPulse3{};  // entry 9
inline TBluePulse BluePulse{};     // entry 10
inline TPalettePulse WhitePulse{};  // entry 14

void InitRedPulse(TPalettePulse& p, std::uint16_t paletteIndex);
void InitWhitePulse(TPalettePulse& p, std::uint16_t paletteIndex);
void InitBluePulse(TBluePulse& p);
// The five pulses a game screen runs, each from its start.
void StartPalettePulses();
// One step each when its TickCount has come; writes the palette entry and rebuilds the 16-bit
// colour table.
void StepRedPulse(TPalettePulse& p);
void StepWhitePulse(TPalettePulse& p);
void StepBluePulse(TBluePulse& p);

// Worms: 5000 health, resting under the sand, first hunt five minutes of game time later.
inline constexpr std::int32_t WormHealth = 5000;
inline constexpr std::int32_t WormFirstHuntDelay = 5400;
void CreateWorm(TWormRecord& w, std::int32_t x, std::int32_t y, std::int32_t slot);
void RemoveWorm(TWormRecord& w);
void RemoveAllWorms();

// World resets.
void KillAllUnits();         // unit slots 0..1000, whatever UnitSlots says
void DestroyAllBuildings();  // building slots 1..3000, whatever BuildingSlots says
void ClearEffectSlots();     // explosions
void ClearProjectiles();     // unit shots
void ClearSecondProjectiles();  // building shots
void RemoveAllBlooms();
void ClearGroundMarks();  // the decals
void ClearOssinFields();
// Everything the world holds, emptied: units, buildings, ground marks, explosions, both shot
// tables and worms.
void ClearWorldObjects();
// The world emptied as a network game's set-up empties it: resource cells, the objects above,
// blooms and decals.
void EmptyTheWorld();

// First free resource-cell slot, 0 when none.
std::int32_t FindFreeOssinFieldSlot();
// A new resource cell on a sand tile of the map; amount 0 or less lets the cell choose its
// own. Nothing happens off the map, off sand or with the table full.
void NewOssinField(std::int32_t x, std::int32_t y, std::int32_t amount);

}  // namespace zarn
