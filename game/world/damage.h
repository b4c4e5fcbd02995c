// Everything that hurts a unit ends here: hits of shots, splash damage, crushing and conversion;
// hurt units smoke and fight back, dead ones explode, spill their load and free their cargo.
// The server decides and mirrors each change through the hooks; a client's copy applies the
// change the server reports.
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

// A harvester this full (percent of its capacity) spills its load when it dies.
inline constexpr std::int32_t SpillThresholdPercent = 70;

// The end of a unit shot's flight: the shooter's current target is hit.
void HitTarget(TUnitRecord& shooter);
// attackerClass: AttackerUnit or AttackerBuilding.
void DamageUnit(TUnitRecord& u, std::int32_t damage, std::int32_t attackerSlot,
                std::uint8_t attackerClass);
// Blast damage: no credit, no retaliation, no self-destruction.
void DamageUnitSplash(TUnitRecord& u, std::int32_t damage);
// Every ground unit in the square of half-width radius takes percent of its full health (in
// whole hundredths: below 100 health nothing).
void SplashDamageUnits(std::int32_t x, std::int32_t y, std::int32_t radius, std::int32_t percent);
// Every live building of kind 2 or more reaching into the square, the same share.
void SplashDamageBuildings(std::int32_t x, std::int32_t y, std::int32_t radius,
                           std::uint8_t attackerClass, std::int32_t attackerSlot,
                           std::int32_t percent);
// The Gromador blows itself up (other kinds ignore it).
void DestroyUnit(TUnitRecord& u);
// The unit changes sides for its conversion period. Aircraft, and the guard troopers of side 3,
// are immune.
void ConvertUnit(TUnitRecord& u, std::uint8_t side, std::uint8_t owner);
// Infantry run over by a vehicle.
void CrushUnit(TUnitRecord& u);// The common end of every death; a unit already gone is left alone.
void KillUnit(TUnitRecord& u);
// A tenth of the load on each of the nine tiles from (x0, y0) on.
void SpillHarvester(std::int32_t x0, std::int32_t y0, std::int32_t load);

}  // namespace zarn
