// Buildings: filling and freeing their slots, footprints, power, damage and destruction, the
// commands of the panel, the build menus and the network (production, upgrades, repair), and the
// update that runs for every slot on every 4th world tick.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "game/base/globals.h"
#include "game/base/records.h"
#include "game/base/tables.h"

namespace zarn {

// Power each building kind draws from its owner's plants.
inline constexpr Table<std::int32_t, 0, 17> PowerNeedTable{
    {0, 0, 0, 0, 30, 5, 30, 20, 20, 20, 35, 25, 40, 50, 80, 80, 5, 10}};

// World ticks between two production, upgrade and repair actions (each acts on the next
// building tick at or after its time).
inline constexpr std::int32_t ProductionPeriod = 18;
inline constexpr std::int32_t UpgradePeriod = 16;
inline constexpr std::uint16_t BuildingRepairPeriod = 10;

// Attacker classes of DamageBuilding.
inline constexpr std::uint8_t AttackerUnit = 0;
inline constexpr std::uint8_t AttackerBuilding = 1;

// Construction yard, barracks, academy and the light, heavy and air factories.
bool IsProductionBuilding(std::uint8_t kind);

// ---- Slots ----

// First free slot of 1..BuildingSlots. 0 found, 1 none.
std::uint8_t FindFreeBuildingSlot(std::uint16_t& slot);
// Fills a slot with a fresh building whose anchor (top-left tile) is (x, y).
void InitBuilding(TBuildingRecord& b, std::int32_t x, std::int32_t y, std::uint8_t kind,
                  std::uint8_t owner, std::uint8_t side, std::uint16_t slot);
// Frees a slot and gives its footprint back to the units.
void RemoveBuilding(TBuildingRecord& b);
// Counts the buildings made and removed, so that a list drawn from the building table can tell
// whether it is still current; whoever writes the table wholesale counts that too.
inline std::uint32_t BuildingChanges = 0;

// The slots of the live buildings in slot order: searches over the building table read this
// short list instead of thousands of free slots. Gathered again when BuildingChanges or the
// slot count moved; a search still reads each record (an owner or a state may change).
const std::vector<std::uint16_t>& LiveBuildingSlots();

// Calls f(slot) for each live building in slot order, as a loop over the table would; f may
// make and remove buildings: one made after the current slot is visited, one removed is not.
template <typename F>
void ForEachLiveBuilding(F&& f) {
  std::uint16_t done = 0;
  for (bool more = true; more;) {
    const std::uint32_t changes = BuildingChanges;
    const std::vector<std::uint16_t>& live = LiveBuildingSlots();
    more = false;
    for (auto it = std::upper_bound(live.begin(), live.end(), done); it != live.end(); ++it) {
      done = *it;
      if (Buildings[done].Free == 0) f(static_cast<int>(done));
      if (BuildingChanges != changes) {  // gathered anew, from the next slot on
        more = true;
        break;
      }
    }
  }
}

// ---- Footprints ----

// 0 when (x, y) lies in the building's footprint, 1 when not.
std::uint8_t BuildingCoversTile(const TBuildingRecord& b, std::int32_t x, std::int32_t y);
// The footprint tile nearest to (x, y); a point inside gives itself.
void NearestFootprintTile(const TBuildingRecord& b, std::int32_t x, std::int32_t y, std::int32_t& tx,
                          std::int32_t& ty);
// Sets every cell of the footprint in OccupancyMap to value (buildings of kind 2 and above
// only); cells past the grid are left alone.
void MarkFootprint(const TBuildingRecord& b, std::uint8_t value);

// ---- Counts over the player's live buildings ----

std::int32_t PowerConsumption(std::uint8_t player);
std::int32_t PowerSupply(std::uint8_t player);
// At least 1.
std::int32_t CountPowerPlants(std::uint8_t player);
// Refineries and silos.
std::int32_t CountStorageBuildings(std::uint8_t player);

// ---- Selection ----

void PlayBuildingSelectSound(TBuildingRecord& b);
void DeselectBuilding(TBuildingRecord& b);

// ---- Damage ----

// attackerClass: AttackerUnit or AttackerBuilding (anything else credits and alerts nobody).
void DamageBuilding(TBuildingRecord& b, std::int32_t amount, std::int32_t attackerSlot,
                    std::uint8_t attackerClass);
void DestroyBuilding(TBuildingRecord& b);

// ---- Commands (production.cpp, building_tick.cpp). The caller pays. 0 done, 1 refused. ----

std::uint8_t OrderBuildingProduction(TBuildingRecord& b, std::uint8_t item, std::uint16_t price);
void ToggleProductionPause(TBuildingRecord& b);
std::uint8_t StartBuildingUpgrade(TBuildingRecord& b, std::uint16_t price);
void ToggleBuildingRepair(TBuildingRecord& b);

// ---- Steps of the update ----

void AdvanceProduction(TBuildingRecord& b);
void AdvanceUpgrade(TBuildingRecord& b);
void RepairBuilding(TBuildingRecord& b);
void AutoProduce(TBuildingRecord& b);
void PowerPlantTick(TBuildingRecord& b);

// The building update, for every slot when (WorldTickCount and 3) = 3.
void BuildingTick(TBuildingRecord& b);

}  // namespace zarn
