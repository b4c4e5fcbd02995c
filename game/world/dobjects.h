// The game world: the simulation. Including this header gives all of it.
#pragma once

#include "game/base/dvga.h"
#include "game/world/passability.h"
#include "game/world/messages.h"
