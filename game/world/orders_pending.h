// Routines that orders, target searches and step effects call and that belong to topics not yet
// in the world (blooms, damage). Each moves to its topic's file when that lands, and its
// declaration leaves this header.
#pragma once

#include "game/base/records.h"

namespace zarn {

// Blooms: a bloom bursts into resource cells and disappears.
void EruptBloom(TOssinBloomRecord& bloom);
// Damage: a unit run over by a tracked vehicle dies.
void CrushUnit(TUnitRecord& unit);

}  // namespace zarn
