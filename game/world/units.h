// Unit slots: finding and freeing them, the per-player counts, the unit cap and the share of
// slots per player, and the two ways a unit comes into being (produced by a building with
// messages, or created at a tile by the world itself, silently).
#pragma once

#include <cstdint>
#include <string_view>

#include "game/base/cp1251.h"
#include "game/base/records.h"

namespace zarn {

// Values every new unit starts with.
inline constexpr std::uint16_t UnitLoadCapacity = 700;
inline constexpr std::int16_t UnitIdleLookPeriod = 360;
inline constexpr std::uint16_t UnitConversionPeriod = 360;
inline constexpr std::uint16_t UnitSearchPeriod = 18;
inline constexpr std::uint16_t UnitHarvestPeriod = 18;
inline constexpr std::uint16_t StepProgressOnTile = 16;

// Production capacity per building: a construction yard carries 5 units, barracks 20.
inline constexpr std::int32_t UnitsPerConstructionYard = 5;
inline constexpr std::int32_t UnitsPerBarracks = 20;

// First free slot of 1..UnitSlots (slot 0 is the delivery carrier and never handed out).
// 0 when found, 1 when none.
std::uint8_t FindFreeUnitSlot(std::uint16_t& slot);

// Live records of each world table.
std::uint16_t CountLiveUnits();
std::uint16_t CountLiveBuildings();
std::uint16_t CountLiveWorms();
std::uint16_t CountLiveOssinFields();
std::uint16_t CountLiveBlooms();

std::uint16_t CountUnitsOfPlayer(std::uint8_t player);
// Slabs and walls are not counted.
std::uint16_t CountBuildingsOfPlayer(std::uint8_t player);
std::int32_t UnitCapOfPlayer(std::uint8_t player);
// Unit slots one player may hold: UnitSlots shared out among the mission's players.
std::int32_t UnitShareOfPlayer();

// The refusal of a unit over the cap or the share (cp1251).
inline constexpr std::string_view NoMoreUnitsText = "Нельзя создать больше"_cp1251;
// Production keeps one unit in hand below the player's cap and share: true when one more fits.
bool RoomToProduceUnit(std::uint8_t owner);
// A building finished a unit: puts it on the first free tile around the building's anchor.
// 0 created, 1 not (cap, share, no slot or no exit tile).
std::uint8_t ProduceUnit(std::int32_t x, std::int32_t y, std::uint8_t footprintClass,
                         std::uint8_t side, std::uint8_t owner, std::uint8_t kind);
// The world creates a unit at (x, y) itself, off the map when offMap is 1. Returns the new
// slot, 0 when none was created.
std::uint16_t CreateUnitAt(std::int32_t x, std::int32_t y, std::uint8_t kind, std::uint8_t offMap,
                           std::uint8_t side, std::uint8_t owner);
// Fills a slot with a fresh unit of the kind.
void InitUnit(TUnitRecord& u, std::int32_t x, std::int32_t y, std::uint16_t slot,
              std::uint8_t side, std::uint8_t owner, std::uint8_t kind);
// Frees a slot; the rest of the record stays until the next InitUnit overwrites it.
void RemoveUnit(TUnitRecord& u);

void SelectUnit(TUnitRecord& u);
void DeselectUnit(TUnitRecord& u);

// A notice for one player (cp1251): shown here for the local player, sent over the network by
// the server to anyone else; nobody else sees it.
void DeliverTextToPlayer(std::uint8_t player, std::string_view cp1251Text);

}  // namespace zarn
