// The in-game menu (7) that Esc on the play screen opens, and the two text screens reached from
// it: the help (12) and the mission's orders (13).
#pragma once

#include <array>

#include "game/menus/menuframe.h"

namespace zarn {

inline constexpr std::array<MenuButtonRect, 10> GameMenuButtons{{
    {41, 20, 277, 36},
    {41, 38, 277, 54},
    {41, 56, 277, 72},
    {41, 74, 277, 90},
    {41, 92, 277, 108},
    {41, 110, 277, 126},
    {41, 128, 277, 144},
    {41, 146, 277, 162},
    {41, 164, 118, 180},
    {136, 164, 277, 180},
}};
inline constexpr MenuButtonRect GameMenuBox{41, 20, 277, 180};
inline constexpr MenuButtonRect HelpBackButton{131, 160, 188, 176};
inline constexpr MenuButtonRect OrdersBackButton{130, 168, 189, 184};

void OpenGameMenu();
// Esc on the screens reached from it (save, load, help, topic list): straight back, the list's
// strings freed and the music left as it is.
void EscapeToGameMenu(TListWidget& list);
void GameMenuClick();
void GameMenuDraw();

void OpenHelp();
void HelpClick();
void HelpDraw();

void OpenOrders();
void OrdersClick();
void OrdersDraw();

}  // namespace zarn
