// The video, resource and widget library: the lowest layer of the game and the owner of the
// shared game state. Including this header gives all of it.
#pragma once

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "records are stored byte for byte and assume a little-endian host");

#include "game/base/cp1251.h"
#include "game/base/files.h"
#include "game/base/random.h"
#include "game/base/tables.h"
#include "game/base/rules.h"
#include "game/base/maps.h"
#include "game/base/messagelines.h"
#include "game/base/records.h"
#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/options.h"
#include "game/base/video.h"
#include "game/base/fonts.h"
#include "game/base/archive.h"
#include "game/base/screenshot.h"
#include "game/base/timefmt.h"
#include "game/base/sprites.h"
#include "game/base/mapview.h"
#include "game/base/listbox.h"
#include "game/base/widgets.h"
#include "game/base/textpanel.h"
#include "game/base/stats.h"
