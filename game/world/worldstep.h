// The per-tick world routines that the world clock drives. Each belongs to its own topic (worms,
// units, buildings, shots, turrets, players, mission goals); until a topic's file is written,
// its routine is declared and given an empty body here, and that file takes it over.
#pragma once

#include "game/base/records.h"

namespace zarn {

// One worm step; called for every worm that is not removed.
void WormTick(TWormRecord& worm);
// One unit step; called for every unit slot whose OffMap byte is 0.
void UpdateUnit(TUnitRecord& unit);
// The building update; called for every building slot on every 4th world tick.
void BuildingTick(TBuildingRecord& building);
// One step of a unit's shot, and of a turret's or palace's shot.
void UpdateShot(TShotRecord& shot);
void UpdateBuildingShot(TShotRecord& shot);
// The per-player update and the computer player.
void PlayerTick(TPlayerRecord& player);
// Victory and defeat; acts on every 128th world tick.
void CheckMissionGoal(TMissionRecord& mission);

}  // namespace zarn
