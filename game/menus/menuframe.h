// What every menu screen shares: the screen numbers kept in GameScreen, the menu state, the
// button tables with their hit test and hover highlight, and the common steps of the open, click
// and draw procedures.
//
// A menu screen is a number and a handful of plain procedures. The shell calls the draw
// procedure of the current screen once per frame and the click procedure on a click; a screen
// moves to another by calling that screen's open procedure.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "game/base/dvga.h"

namespace zarn {

// --- Screen numbers (GameScreen). 14..19 are unused; 0, 24 and 29 are the shell's own. ---
inline constexpr std::uint8_t ScreenPlay = 0;
inline constexpr std::uint8_t ScreenYardBuildMenu = 1;
inline constexpr std::uint8_t ScreenBarracksBuildMenu = 2;
inline constexpr std::uint8_t ScreenAcademyBuildMenu = 3;
inline constexpr std::uint8_t ScreenLightFactoryBuildMenu = 4;
inline constexpr std::uint8_t ScreenAirFactoryBuildMenu = 5;
inline constexpr std::uint8_t ScreenHeavyFactoryBuildMenu = 6;
inline constexpr std::uint8_t ScreenGameMenu = 7;
inline constexpr std::uint8_t ScreenSaveGame = 8;
inline constexpr std::uint8_t ScreenLoadGame = 9;       // reached from the in-game menu
inline constexpr std::uint8_t ScreenLoadGameMain = 10;  // reached from the main menu
inline constexpr std::uint8_t ScreenOptions = 11;
inline constexpr std::uint8_t ScreenHelp = 12;
inline constexpr std::uint8_t ScreenOrders = 13;
inline constexpr std::uint8_t ScreenNetLobby = 20;
inline constexpr std::uint8_t ScreenMainMenu = 21;
inline constexpr std::uint8_t ScreenNetMapChoice = 22;
inline constexpr std::uint8_t ScreenMapEditorMenu = 23;
inline constexpr std::uint8_t ScreenMapEditing = 24;
inline constexpr std::uint8_t ScreenNewMap = 25;
inline constexpr std::uint8_t ScreenSaveMap = 26;
inline constexpr std::uint8_t ScreenLoadMap = 27;
inline constexpr std::uint8_t ScreenScenarioEditorMenu = 28;
inline constexpr std::uint8_t ScreenScenarioEditing = 29;
inline constexpr std::uint8_t ScreenScenarioMapChoice = 30;
inline constexpr std::uint8_t ScreenObjectEnable = 31;
inline constexpr std::uint8_t ScreenScenarioSettings = 32;
inline constexpr std::uint8_t ScreenLoadScenario = 33;
inline constexpr std::uint8_t ScreenSaveScenario = 34;
inline constexpr std::uint8_t ScreenFactionChoice = 35;
inline constexpr std::uint8_t ScreenMissionStart = 36;
inline constexpr std::uint8_t ScreenVictory = 37;
inline constexpr std::uint8_t ScreenDefeat = 38;
inline constexpr std::uint8_t ScreenTopicList = 39;
inline constexpr std::uint8_t ScreenTopicPage = 40;
inline constexpr std::uint8_t ScreenAuthors = 41;
inline constexpr std::uint8_t ScreenScore = 42;

// --- Shared state. ---

inline constexpr int BuildItemSlots = 18;

struct TMenuState {
  // Object kinds offered by the open build menu, item 1 first.
  std::array<std::uint8_t, BuildItemSlots> BuildItems{};
  std::int32_t BuildItemCount = 0;
  std::int32_t SelectedItem = 0;    // 1-based
  std::int32_t FirstShownItem = 0;  // 1-based
  // The button under the pointer (1-based, 0 none); while a build menu is open, the slot of
  // the building whose menu it is.
  std::int32_t HoveredButton = 0;
  // Owner of that building while a build menu is open.
  std::uint8_t MenuOwner = 0;
  // Picture file of the open encyclopedia page.
  std::string TopicPicture;
};

inline TMenuState MenuState{};

// The main menu's (and the authors screen's) animation: frame 1..7 and when it next steps.
inline constexpr std::uint8_t MenuAnimFrames = 7;
inline constexpr std::int32_t MenuAnimPeriod = 5;
inline std::uint8_t MenuAnimFrame = 1;
inline std::int32_t MenuAnimNextTick = 0;

// The key taken by the current frame (NoKey when none).
inline constexpr std::int32_t KeyEnter = 13;
inline constexpr std::int32_t KeyEsc = 27;
inline std::int32_t LastKey = NoKey;

// The cursor record's input-state byte as of the last frame drawn; every frame copies it once.
inline std::uint8_t CursorInputState = 0;

// Colour of the arrow cursor on the menu screens.
inline constexpr std::uint8_t MenuCursorColor = 200;

// --- Buttons. ---

// A button in 320 x 200 screen pixels. A point hits it only strictly inside: the edge lines
// belong to no button.
struct MenuButtonRect {
  std::int32_t x1;
  std::int32_t y1;
  std::int32_t x2;
  std::int32_t y2;
};
using TMenuButtons = std::span<const MenuButtonRect>;

bool InsideButton(const MenuButtonRect& button, long x, long y);
// The pointer as click and draw procedures read it: MouseX and MouseY taken as unsigned 16-bit
// values.
int ClickX();
int ClickY();
// 1-based number of the first button hit by the pointer, 0 for none.
int ClickedButton(TMenuButtons buttons);
// Left and right edges of the widest button, the first button's top, the last button's bottom.
MenuButtonRect EnclosingBox(TMenuButtons buttons);

// --- The common steps of the procedures. ---

// What every open procedure does first: no button hovered, the screen shown from the next frame.
void OpenMenuScreen(std::uint8_t screen);

// The arrow cursor in the menu colour and LastKey := the pending key; then on Esc call `escape`
// (nullptr: the screen ignores Esc) and return false, drawing nothing more this frame; otherwise
// copy the cursor's input state (once per frame drawn) and return true. Screens that handle
// Enter read LastKey after it.
bool BeginMenuFrame(void (*escape)());
// The last two acts of every menu frame: the cursor, then the picture to the display.
void EndMenuFrame();

// The faction whose colours the menus reached from play use.
int MenuSide();

// Hover highlight: the button under the pointer in the side's colours, the others two palette
// steps off; the hover sound plays once per button entered. HoveredButton falls back to 0 only
// when the pointer leaves the enclosing box, so crossing a gap between buttons inside it does
// not replay the sound for the button last hovered.
void DrawHoverHighlight(TMenuButtons buttons, int side, const MenuButtonRect& box);
void DrawHoverHighlight(TMenuButtons buttons, int side);
// The one-button screens: `hit` is tested strictly, the recoloured box is separate; leaving
// the hit area resets HoveredButton at once.
void DrawSingleButtonHighlight(const MenuButtonRect& hit, int x, int y, int width, int height,
                               int side);

// --- Pictures. ---

// x that centres a picture of this width on the screen.
int CentredX(int width);
// Loads a picture and blits it at (x, y); a missing picture draws nothing.
void DrawPicture(std::string_view name, int x, int y, bool transparent = false);
// The same, centred horizontally.
void DrawPictureCentred(std::string_view name, int y, bool transparent = false);
// "bigmenu.img" over the whole screen.
void DrawMenuBackground();
// Each button's picture at its top-left corner; names[i] belongs to button i + 1.
void DrawButtonPictures(TMenuButtons buttons, std::span<const std::string_view> names);
// A screen title: centred, transparent, then recoloured over its own rectangle in the side's
// colours.
void DrawScreenTitle(std::string_view name, int y, int side);

}  // namespace zarn
