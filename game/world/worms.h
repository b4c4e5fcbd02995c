// Sand worms: resting under the sand, hunting the nearest ground unit on sand with their own
// obstacle-following path search, surfacing on the prey for an eight-frame strike, and the
// sand bulge that shows a worm moving under the terrain.
#pragma once

#include <array>
#include <cstdint>

#include "game/base/records.h"

namespace zarn {

inline constexpr std::int32_t WormStrikeFrames = 8;
// The path search: two walks, each of at most 150 probes and 100 accepted steps.
inline constexpr int WormWalkBudget = 150;
inline constexpr int WormWalkMaxSteps = 100;
// Prey: ground units from the heavy trooper up to the Perwolan (infantry squads and aircraft
// are left alone).
inline constexpr std::uint8_t WormPreyFirstKind = 2;
inline constexpr std::uint8_t WormPreyLastKind = 13;
inline constexpr int WormSideColour = 2;
inline constexpr std::uint8_t WormSelectionColour = 17;

// One world step of a worm; nothing for a removed one. A surfaced worm only strikes.
void WormTick(TWormRecord& worm);
void WormBehaviourStep(TWormRecord& worm);
// Walks the pixel position on by the step progress; past 15 the worm stands on the new tile.
void WormAdvance(TWormRecord& worm);

// 1 when a sand tile inside the map (other worms do not block).
bool WormPassable(std::int32_t x, std::int32_t y);
// Looks for prey when resting and past the hunt time; starts the hunt when one is found.
void WormHuntCheck(TWormRecord& worm);
// The nearest reachable prey into prey and target. 0 found, 1 none.
std::uint8_t FindPrey(TWormRecord& worm);
// Set by the tests: a worm's remembered reach is then compared with the terrain it was marked
// on, and a change not told through TerrainChanged throws std::logic_error. Off in the game.
inline bool WormReachSelfCheck = false;
// Whether a path to the unit's tile can be built; the worm itself is not changed.
bool TryWormPath(const TWormRecord& worm, const TUnitRecord& unit);
void StartHunt(TWormRecord& worm);
void WormGiveUp(TWormRecord& worm);

// At a tile: the next step toward the destination, building a path when needed.
void WormPathStep(TWormRecord& worm);
bool WormPathBlocked(const TWormRecord& worm);
// Up to ten steps toward the destination into the path; path length 0 when no walk got there.
void BuildWormPath(TWormRecord& worm);

// At a tile while hunting: give up on prey that left the sand, else chase it or surface on it.
void WormHuntStep(TWormRecord& worm);
bool PreyOutOfReach(const TWormRecord& worm);
void WormSurface(TWormRecord& worm);
// The strike, one frame per strike frame period: the meal at its start, submerging at its end.
void WormStrikeStep(TWormRecord& worm);
// Sprite of the 24 x 24 sheet for a strike counter; 0 for none.
long WormStrikeSprite(std::int32_t counter);
void EatPrey(TWormRecord& worm);

// Draws the worm when near the view: the sand bulge, the strike frame, the selection frame.
void DrawWorm(const TWormRecord& worm);

void DamageWorm(TWormRecord& worm, std::int32_t amount);
void StartWormSound(TWormRecord& worm);
void StopWormSound(TWormRecord& worm);
void SetWormTarget(TWormRecord& worm, std::int32_t x, std::int32_t y);

// The sand bulge: a 16 x 16 block of the back buffer at screen (sx, sy), enlarged to 24 x 24,
// its edge and corners made transparent and pasted back 2 pixels up and left.
using TSandPatch16 = std::array<std::uint8_t, 16 * 16>;
using TSandPatch24 = std::array<std::uint8_t, 24 * 24>;
void GrabSandPatch(std::int32_t sx, std::int32_t sy, TSandPatch16& patch);
void EnlargeSandPatch(const TSandPatch16& small, TSandPatch24& large);
void MaskSandPatch(TSandPatch24& patch);
void PasteSandPatch(std::int32_t sx, std::int32_t sy, const TSandPatch24& patch);
void DrawSandBulge(std::int32_t sx, std::int32_t sy);

}  // namespace zarn
