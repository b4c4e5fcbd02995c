#include "game/world/buildings_pending.h"

namespace zarn {

void RefineryUnload(TBuildingRecord&) {}
// No harvester is ever on its way until harvesting lands.
std::uint8_t HarvesterBoundFor(std::int32_t, std::uint8_t) { return 1; }
void TurretTick(TBuildingRecord&) {}
void CreateExplosion(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                     std::int32_t) {}
void CreateGroundMark(std::int32_t, std::int32_t, std::int32_t) {}
void AddCraterDecal(std::int32_t, std::int32_t) {}
void AddBuildingMade(TPlayerRecord& player) { ++player.BuildingsMade; }
void AddBuildingDestroyed(TPlayerRecord& player) { ++player.BuildingsDestroyed; }
void RebuildBasePoints(TPlayerRecord&) {}
void AlertEnemyInBase(TPlayerRecord&, std::int32_t, std::int32_t, std::uint8_t) {}

}  // namespace zarn
