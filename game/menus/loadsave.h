// The saved-game screens: save (8) from the in-game menu, load from the in-game menu (9) and
// from the main menu (10). They are file screens (filescreens.h) over the "save\" folder.
#pragma once

#include "game/menus/filescreens.h"

namespace zarn {

void OpenSaveGame();
void SaveGameClick();
void SaveGameDblClick();
void SaveGameDraw();

void OpenLoadGame();
void LoadGameClick();
void LoadGameDblClick();
void LoadGameDraw();

void OpenLoadGameMain();
void LoadGameMainClick();
void LoadGameMainDblClick();
void LoadGameMainDraw();

}  // namespace zarn
