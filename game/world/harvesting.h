// The resource economy: harvesters take Ossin from resource cells, carry it to a refinery and
// dock there; the refinery turns the load into its owner's credits and sends the harvester back
// to its field. Storage is limited by the owner's refineries and silos.
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

// One take from a cell, and the most one refinery action turns into credits.
inline constexpr std::uint16_t HarvestTake = 17;
// Credits each refinery or silo can store.
inline constexpr std::int32_t StoragePerBuilding = 2000;
// The research centre raises a refinery's income by a fifth.
inline constexpr double IncomeBonusFactor = 1.2;

// State handlers of a settled harvester: harvesting (5) and returning to a refinery (3).
void HarvestStep(TUnitRecord& h);
void ReturnStep(TUnitRecord& h);
// A loaded harvester turns to the nearest own refinery with a free dock.
void SeekOtherRefinery(TUnitRecord& h);

// The nearest live cell within Range of the harvester's tile. 0 found, 1 none.
std::uint8_t FindFieldNearUnit(const TUnitRecord& h, std::int32_t& x, std::int32_t& y, std::uint16_t& slot);
// The nearest live cell within Range of (TargetX, TargetY), other than the one in `slot`; the
// found one replaces it. 0 found, 1 none.
std::uint8_t FindOtherFieldNearPoint(const TUnitRecord& h, std::uint16_t& slot, std::int32_t& x, std::int32_t& y);

// A harvester on the refinery's dock tile docks unless its owner's store is full.
void CheckStorageFull(TBuildingRecord& refinery, std::int32_t harvester);
// 2000 per live refinery or silo of the player.
std::int32_t StorageCapacity(std::uint8_t player);
// One unloading action of a refinery with a docked harvester (every building tick).
void RefineryUnload(TBuildingRecord& refinery);
// True when the player owns no live research centre.
bool LacksIncomeBonusBuilding(std::uint8_t player);
// 0 when a harvester of the player is on its way to the refinery in that slot, or the player's
// replacement harvester is being flown to it; else 1.
std::uint8_t HarvesterBoundFor(std::int32_t refinerySlot, std::uint8_t player);

}  // namespace zarn
