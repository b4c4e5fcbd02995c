// The saved-game screens: save (8) from the in-game menu, load from the in-game menu (9) and
// from the main menu (10). One list box and one edit line serve them all.
#pragma once

#include <array>

#include "game/menus/menuframe.h"

namespace zarn {

inline constexpr std::array<TMenuButtonRect, 2> LoadGameButtons{{
    {33, 170, 125, 186},
    {211, 170, 287, 186},
}};
inline constexpr std::array<TMenuButtonRect, 3> SaveGameButtons{{
    {33, 170, 125, 186},
    {132, 170, 204, 186},
    {211, 170, 287, 186},
}};

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
