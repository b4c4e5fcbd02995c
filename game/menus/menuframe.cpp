#include "game/menus/menuframe.h"

#include <algorithm>

#include "game/sound/dsnd.h"

namespace zarn {

bool IsMenuScreen(int screen) {
  return (screen >= 1 && screen <= 13) || (screen >= 20 && screen <= 23) ||
         (screen >= 25 && screen <= 28) || (screen >= 30 && screen <= LastScreenNumber);
}

bool HasFileList(int screen) {
  switch (screen) {
    case ScreenSaveGame: case ScreenLoadGame: case ScreenLoadGameMain: case ScreenSaveMap:
    case ScreenLoadMap: case ScreenScenarioMapChoice: case ScreenLoadScenario:
    case ScreenSaveScenario:
      return true;
    default:
      return false;
  }
}

bool IsBuildMenuScreen(int screen) {
  return screen >= ScreenYardBuildMenu && screen <= ScreenHeavyFactoryBuildMenu;
}

bool InsideButton(const TMenuButtonRect& button, long x, long y) {
  return button.x1 < x && x < button.x2 && button.y1 < y && y < button.y2;
}

int HitButton(TMenuButtons buttons, long x, long y) {
  for (std::size_t i = 0; i < buttons.size(); ++i)
    if (InsideButton(buttons[i], x, y)) return static_cast<int>(i) + 1;
  return 0;
}

int ClickX() { return static_cast<std::uint16_t>(MouseX); }
int ClickY() { return static_cast<std::uint16_t>(MouseY); }

int ClickedButton(TMenuButtons buttons) { return HitButton(buttons, ClickX(), ClickY()); }

TMenuButtonRect EnclosingBox(TMenuButtons buttons) {
  if (buttons.empty()) return {0, 0, 0, 0};
  const TMenuButtonRect* widest = &buttons.front();
  for (const TMenuButtonRect& b : buttons)
    if (b.x2 - b.x1 > widest->x2 - widest->x1) widest = &b;
  return {widest->x1, buttons.front().y1, widest->x2, buttons.back().y2};
}

void OpenMenuScreen(std::uint8_t screen) {
  MenuState.HoveredButton = 0;
  GameScreen = screen;
}

std::int32_t TakeMenuKey() {
  SelectCursor(0);
  SetCursorColor(MenuCursorColor);
  LastKey = TakeKeyCode();
  return LastKey;
}

void CopyCursorInputState() { CursorInputState = CursorRecord.Flag; }

bool BeginMenuFrame(void (*escape)()) {
  if (TakeMenuKey() == KeyEsc && escape != nullptr) {
    escape();
    return false;
  }
  CopyCursorInputState();
  return true;
}

void EndMenuFrame() {
  DrawMouseCursor();
  PresentFrameProc();
}

int MenuSide() { return ViewState.LocalSide; }

void DrawHoverHighlight(TMenuButtons buttons, int side, const TMenuButtonRect& box) {
  // The pointer as the frame sees it; a click reads it the same way.
  const int x = ClickX(), y = ClickY();
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const TMenuButtonRect& b = buttons[i];
    const int number = static_cast<int>(i) + 1;
    if (InsideButton(b, x, y)) {
      RecolorRect(b.x1, b.y1, b.x2 - b.x1, b.y2 - b.y1, 0, side);
      if (MenuState.HoveredButton != number) {
        MenuState.HoveredButton = number;
        PlayHoverSound();
      }
    } else {
      RecolorRect(b.x1, b.y1, b.x2 - b.x1, b.y2 - b.y1, 2, side);
    }
  }
  if (!InsideButton(box, x, y)) MenuState.HoveredButton = 0;
}

void DrawHoverHighlight(TMenuButtons buttons, int side) {
  DrawHoverHighlight(buttons, side, EnclosingBox(buttons));
}

void DrawSingleButtonHighlight(const TMenuButtonRect& hit, int x, int y, int width, int height,
                               int side) {
  if (InsideButton(hit, ClickX(), ClickY())) {
    RecolorRect(x, y, width, height, 0, side);
    if (MenuState.HoveredButton != 1) {
      MenuState.HoveredButton = 1;
      PlayHoverSound();
    }
  } else {
    RecolorRect(x, y, width, height, 2, side);
    MenuState.HoveredButton = 0;
  }
}

int CentredX(int width) { return (ScreenWidth - width) / 2; }

bool DrawPicture(std::string_view name, int x, int y, bool transparent) {
  if (!LoadPicture(name)) return false;
  if (transparent)
    BlitPictureTransparent(x, y);
  else
    BlitPicture(x, y);
  return true;
}

int DrawPictureCentred(std::string_view name, int y, bool transparent) {
  if (!LoadPicture(name)) return CentredX(0);
  const int x = CentredX(PictureWidth());
  if (transparent)
    BlitPictureTransparent(x, y);
  else
    BlitPicture(x, y);
  return x;
}

void DrawMenuBackground() { DrawPicture("bigmenu.img", 0, 0); }

void DrawButtonPictures(TMenuButtons buttons, std::span<const std::string_view> names) {
  const std::size_t n = std::min(buttons.size(), names.size());
  for (std::size_t i = 0; i < n; ++i) DrawPicture(names[i], buttons[i].x1, buttons[i].y1);
}

void DrawScreenTitle(std::string_view name, int y, int side) {
  if (!LoadPicture(name)) return;
  const int x = CentredX(PictureWidth());
  BlitPictureTransparent(x, y);
  RecolorRect(x, y, PictureWidth(), PictureHeight(), 0, side);
}

}  // namespace zarn
