// The computer player's economy: what it produces, how it keeps its harvesters busy, and its
// errand of shooting resource blooms open when no resource cell is left. Its fighting half (base
// defence and attack waves) is in alarms.h; its carrier lifts in ferries.h.
#pragma once

#include <cstdint>

#include "game/base/records.h"

namespace zarn {

// The computer player's part of the per-player update (single play only): its own production,
// errands, defence and waves unless it is the local player; the carrier ferries for everyone.
void ComputerPlayerThink(TPlayerRecord& player);

// Every think period: new units while the roster has room.
void ReviewProduction(TPlayerRecord& player);
// One production order by what the mission allows: aircraft, then the heavy units, then the
// light ones.
void ChooseProduction(TPlayerRecord& player);
// The first live building of the kind that is not busy producing takes the order; the player
// pays. 0 ordered, 1 not (no building, not enough credits).
std::uint8_t OrderUnitAtBuilding(TPlayerRecord& player, std::uint8_t unitKind, std::uint8_t buildingKind);
// The same at whichever building makes the kind, within the player's unit cap and share.
std::uint8_t OrderUnitForPlayer(TPlayerRecord& player, std::uint8_t unitKind);

// Keeps two harvesters per refinery minus one (two with a single refinery) and sends an idle
// one out.
void ProduceHarvesters(TPlayerRecord& player);
// An emptied harvester goes to the nearest resource cell; with none left, a bloom is shot open.
void SendHarvesterToField(TPlayerRecord& player, std::int32_t harvester);
void ShootNearestBloom(TPlayerRecord& player);
void BloomErrandTick(TPlayerRecord& player);

}  // namespace zarn
