// Unit movement and the per-tick behaviour of every unit: the state machines of combat units,
// harvesters and carriers, the step-by-step route planner with its two obstacle-following
// searches, the attack approach, and the carrier's pick-up and delivery.
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

// A unit's path holds this many steps; longer routes are planned again when they are used up.
inline constexpr std::uint16_t PathSteps = 10;
// The largest search limit a 256 x 256 map gives (256 + 256 div 2).
inline constexpr int RouteScratchSteps = 384;
// A harvester facing a longer route asks its player for a carrier lift.
inline constexpr int FerryRouteLength = 20;

// One unit step, for every slot whose OffMap is 0.
void UpdateUnit(TUnitRecord& u);

// The three state machines: harvesters (kind 10), carriers (kind 14), every other kind.
void UpdateCombatUnit(TUnitRecord& u);
void UpdateHarvester(TUnitRecord& u);
void UpdateCarrier(TUnitRecord& u);

// Takes the next step toward (DestX, DestY), planning a route when there is none or it is
// blocked.
void MoveStep(TUnitRecord& u);
// The search limit of the current map: the longer side and half of it again, at most 384.
int RouteSearchLimit();
// Plans a route to (DestX, DestY) with both searches and stores the better one, reversed, in
// the unit's path. Returns the chosen route's full length, 0 when neither search got there
// (the old path, if any, is then kept).
int PlanPath(TUnitRecord& u, int limit);
// Every remaining step of the path may still be entered.
bool PathStillClear(const TUnitRecord& u);

// One attack action (approach or fire); entered from the attack state when settled.
void AttackStep(TUnitRecord& u);
// True when the object the unit attacks no longer exists.
bool AttackTargetGone(const TUnitRecord& u);
// The approach steps: 1 while approaching (or given up), 0 when the target is in range.
std::uint8_t PursueUnitTarget(TUnitRecord& u);
std::uint8_t PursueWormTarget(TUnitRecord& u);
std::uint8_t PursueBloomTarget(TUnitRecord& u);
std::uint8_t HoldOnUnitTarget(TUnitRecord& u);
std::uint8_t HoldOnWormTarget(TUnitRecord& u);
std::uint8_t ApproachBuildingTarget(TUnitRecord& u);

// ---- Carriers (carriers.cpp) ----

struct TBlockTile {
  std::int32_t X;
  std::int32_t Y;
};
using TBlockTiles = TBlockTile[9];

void CarrierPickUpStep(TUnitRecord& carrier);
void CarrierDeliverStep(TUnitRecord& carrier);
// The 3 x 3 block whose top-left tile is (x, y), row by row from the top, left to right.
void ListBlockTiles(std::int32_t x, std::int32_t y, TBlockTiles& list);
// The first listed tile that the carried unit may enter. 0 found, 1 none.
std::uint8_t FindDropTile(const TUnitRecord& carrier, const TUnitRecord& unit, const TBlockTiles& list,
                          std::int32_t& x, std::int32_t& y);
// True when the cargo entry names a unit that is really aboard (live and off the map).
bool CargoAboard(std::int32_t slot);

}  // namespace zarn
