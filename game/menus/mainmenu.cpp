#include "game/menus/mainmenu.h"

#include "game/menus/campaign.h"
#include "game/menus/encyclopedia.h"
#include "game/menus/loadsave.h"
#include "game/menus/editormenus.h"
#include "game/menus/netlobby.h"
#include "game/sound/dsnd.h"

namespace zarn {

namespace {

constexpr std::uint8_t BackgroundColour = 128;
constexpr int TitleY = 10;
constexpr int AnimationX = 20;

// The captions are placed under the title as it really is; the buttons stay where a title of
// 36 pixels would put them. Every blit clips, so a title of any size cannot push them off the
// buffer.
struct TCaption {
  std::string_view Picture;
  int X;
  int Dy;  // below the title's height
};
constexpr std::array<TCaption, 6> Captions{{
    {"tnewgame.img", 200, 30},
    {"toldgame.img", 197, 50},
    {"tnetgame.img", 193, 70},
    {"teditor.img", 210, 90},
    {"tauthors.img", 215, 110},
    {"tquit.img", 220, 130},
}};

// The caption column takes side 8's colours (base 0) three steps down: with byte wrap the
// lowest caption colour 2 becomes 255.
constexpr int ColumnX = 192;
constexpr int ColumnDy = 30;
constexpr int ColumnWidth = 102;
constexpr int ColumnHeight = 125;
constexpr int ColumnSide = 8;
constexpr int ColumnOffset = -3;
constexpr int HighlightSide = 0;

}  // namespace

std::string_view MenuAnimPicture(int frame) {
  static constexpr std::array<std::string_view, 7> names{
      "frame1.img", "frame2.img", "frame3.img", "frame4.img",
      "frame5.img", "frame6.img", "frame7.img"};
  return frame >= 1 && frame <= 6 ? names[static_cast<std::size_t>(frame - 1)] : names[6];
}

void StepMenuAnimation() {
  if (TickCount < MenuAnimNextTick) return;
  MenuAnimNextTick = TickCount + MenuAnimPeriod;
  // A frame out of range (never set by the game) starts over rather than counting on.
  MenuAnimFrame = MenuAnimFrame >= MenuAnimFrames ? 1 : static_cast<std::uint8_t>(MenuAnimFrame + 1);
}

int DrawMenuTitleAndAnimation() {
  FillScreen(BackgroundColour);
  int titleHeight = 0;
  if (LoadPicture("tzarn3.img")) {
    titleHeight = PictureHeight();
    BlitPicture(CentredX(PictureWidth()), TitleY);
  }
  // The frame shown is the one current before the step.
  const bool haveFrame = LoadPicture(MenuAnimPicture(MenuAnimFrame));
  StepMenuAnimation();
  if (haveFrame) BlitPicture(AnimationX, titleHeight + 20);
  return titleHeight;
}

void OpenMainMenu() {
  OpenMenuScreen(ScreenMainMenu);
  MenuAnimFrame = 1;
  // No game runs from here: whatever starts next is single play until the lobby says otherwise
  // (a server's or client's role left over would keep the computer players from their units).
  EndNetGameProc();
  NetRole = RoleSingle;
}

void MainMenuClick() {
  // Buttons 1 to 5 open their screens; the music stops on every button.
  static constexpr void (*opens[])() = {OpenFactionChoice, OpenLoadGameMain, OpenNetLobby, OpenMapEditorMenu,
                                        OpenAuthors};
  const int button = ClickedButton(MainMenuButtons);
  if (button == 0) return;
  StopMusicProc();
  if (button == MainMenuQuit) {
    QuitProc();
    return;
  }
  PlayButtonSound();
  opens[button - 1]();
}

void DrawMainMenu() {
  const int h = DrawMenuTitleAndAnimation();
  for (const TCaption& c : Captions) DrawPicture(c.Picture, c.X, h + c.Dy);
  RecolorRect(ColumnX, h + ColumnDy, ColumnWidth, ColumnHeight, ColumnOffset, ColumnSide);
  DrawHoverHighlight(MainMenuButtons, HighlightSide, MainMenuBox);
  EndMenuFrame();
}

void MainMenuDraw() {
  if (!BeginMenuFrame(QuitProc)) return;
  DrawMainMenu();
}

}  // namespace zarn
