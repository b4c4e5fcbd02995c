// Empty until the topic files take these routines over (worms.cpp, units, shots,
// turrets, players, mission goals); see worldstep.h.
#include "game/world/worldstep.h"

namespace zarn {

void WormTick(TWormRecord&) {}
void UpdateUnit(TUnitRecord&) {}
void UpdateShot(TShotRecord&) {}
void UpdateBuildingShot(TShotRecord&) {}
void PlayerTick(TPlayerRecord&) {}
void CheckMissionGoal(TMissionRecord&) {}

}  // namespace zarn
