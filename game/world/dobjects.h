// The game world: units, buildings, shots, worms, players and everything that steps them.
// Including this header gives all of it (and the base library below it).
#pragma once

#include "game/base/dvga.h"
#include "game/world/units.h"
#include "game/world/passability.h"
#include "game/world/messages.h"
#include "game/world/buildings.h"
#include "game/world/placement.h"
#include "game/world/ossinfields.h"
#include "game/world/orders.h"
#include "game/world/targets.h"
#include "game/world/pulses.h"
#include "game/world/buildingdraw.h"
