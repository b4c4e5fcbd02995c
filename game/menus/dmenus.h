// The menu screens: every screen of the game other than the play screen and the editors'
// working screens, as open, click and draw procedures keyed by GameScreen. Including this
// header gives all of them.
#pragma once

#include "game/base/dvga.h"
#include "game/sound/dsnd.h"
#include "game/world/dobjects.h"
#include "game/menus/menuframe.h"
#include "game/menus/mainmenu.h"
#include "game/menus/buildmenus.h"
#include "game/menus/menulists.h"
#include "game/menus/campaign.h"
#include "game/menus/gamemenu.h"
#include "game/menus/filescreens.h"
#include "game/menus/loadsave.h"
#include "game/menus/options.h"
#include "game/menus/encyclopedia.h"
#include "game/menus/netlobby.h"
#include "game/menus/editormenus.h"
