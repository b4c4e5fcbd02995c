// Routines that the buildings call and that belong to topics not yet in the world (harvesting,
// turrets, explosions and decals, players and the computer player's alarms). Each moves to its
// topic's file when that lands, and its declaration leaves this header.
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

// Harvesting: one unloading action of a refinery with a docked harvester.
void RefineryUnload(TBuildingRecord& refinery);
// Harvesting: 0 when a harvester of the player is on its way to the refinery in that slot (or a
// replacement is being delivered to it), else 1.
std::uint8_t HarvesterBoundFor(std::int32_t refinerySlot, std::uint8_t player);
// Turrets: the turret's target search, turning and firing.
void TurretTick(TBuildingRecord& turret);
// Explosions and ground decals, at map pixels.
void CreateExplosion(std::int32_t tileX, std::int32_t tileY, std::int32_t pixelX, std::int32_t extra,
                     std::int32_t kind, std::int32_t side, std::int32_t pixelY);
void CreateGroundMark(std::int32_t pixelX, std::int32_t pixelY, std::int32_t piece);
void AddCraterDecal(std::int32_t pixelX, std::int32_t pixelY);
// Players: statistics and the computer player's base points.
void AddBuildingMade(TPlayerRecord& player);
void AddBuildingDestroyed(TPlayerRecord& player);
void RebuildBasePoints(TPlayerRecord& player);
// Alarms: an enemy hit a building of the player.
void AlertEnemyInBase(TPlayerRecord& player, std::int32_t attacker, std::int32_t building,
                      std::uint8_t attackerClass);

}  // namespace zarn
