// The video, resource and widget library: the lowest layer of the game and the owner of the
// shared game state. Including this header gives all of it.
#pragma once

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "records are stored byte for byte and assume a little-endian host");

#include "game/base/cp1251.h"
#include "game/base/files.h"
#include "game/base/random.h"
#include "game/base/tables.h"
