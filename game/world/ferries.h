// Harvesting never stops for want of a harvester or a long drive: a player with a refinery and
// no harvester gets one flown in from a map corner by the delivery carrier (unit slot 0), and a
// player's idle carriers lift harvesters out to their fields (ferry A) or home to a refinery
// (ferry B).
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

// The delivery carrier lives in this unit slot only while a replacement is under way.
inline constexpr std::int32_t DeliveryCarrierSlot = 0;

// The three steps of the replacement, in this order on every player tick.
void ReplaceHarvester(TPlayerRecord& player);
void DeliverReplacementHarvester(TPlayerRecord& player);
void RecallDeliveryCarrier(TPlayerRecord& player);

// A harvester facing a long trip asks for a lift. 1 when a carrier took the job, else 0.
std::uint8_t FerryHarvesterOut(TPlayerRecord& player, std::int32_t harvester);
std::uint8_t FerryHarvesterHome(TPlayerRecord& player, std::int32_t harvester);

// The ferries' phases, run for every player in this order.
void OutwardFerryPickUpTick(TPlayerRecord& player);
void OutwardFerryDeliveryTick(TPlayerRecord& player);
void HomewardFerryPickUpTick(TPlayerRecord& player);
void HomewardFerryDeliveryTick(TPlayerRecord& player);

}  // namespace zarn
