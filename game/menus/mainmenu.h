// The main menu (screen 21): the title, the animated picture, six buttons in a column of
// recoloured captions. The shell opens it at start-up and most screens finally return to it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "game/menus/menuframe.h"

namespace zarn {

// Buttons 1..5: new game, load game, network game, editor, authors; 6 quits.
inline constexpr int MainMenuQuit = 6;

// Fixed: the layout assumes a title 36 pixels high, whatever the title picture's height.
inline constexpr std::array<MenuButtonRect, 6> MainMenuButtons{{
    {200, 66, 285, 82},
    {197, 86, 288, 102},
    {193, 106, 293, 122},
    {205, 126, 281, 142},
    {215, 146, 271, 160},
    {220, 166, 266, 179},
}};
inline constexpr MenuButtonRect MainMenuBox{193, 66, 293, 179};

// "frame1.img".."frame7.img"; frame 7 also stands for any value out of range.
std::string_view MenuAnimPicture(int frame);
// Moves the animation on by one frame (7 wraps to 1) once its time has come.
void StepMenuAnimation();
// Fills the screen, draws the title centred at y 10 and the current animation frame under it
// (stepping the animation); returns the title's height. The authors screen draws the same.
int DrawMenuTitleAndAnimation();

void OpenMainMenu();
void MainMenuClick();
// One frame; Esc ends the program.
void MainMenuDraw();
// The picture of the main menu, without the frame's key handling.
void DrawMainMenu();

}  // namespace zarn
