#include "game/menus/menuframe.h"

#include <algorithm>

#include "game/sound/dsnd.h"

namespace zarn {

bool InsideButton(const MenuButtonRect& button, long x, long y) {
  return button.x1 < x && x < button.x2 && button.y1 < y && y < button.y2;
}

int ClickX() { return static_cast<std::uint16_t>(MouseX); }
int ClickY() { return static_cast<std::uint16_t>(MouseY); }

int ClickedButton(TMenuButtons buttons) {
  for (std::size_t i = 0; i < buttons.size(); ++i)
    if (InsideButton(buttons[i], ClickX(), ClickY())) return static_cast<int>(i) + 1;
  return 0;
}

MenuButtonRect EnclosingBox(TMenuButtons buttons) {
  if (buttons.empty()) return {0, 0, 0, 0};
  const MenuButtonRect* widest = &buttons.front();
  for (const MenuButtonRect& b : buttons)
    if (b.x2 - b.x1 > widest->x2 - widest->x1) widest = &b;
  return {widest->x1, buttons.front().y1, widest->x2, buttons.back().y2};
}

void OpenMenuScreen(std::uint8_t screen) {
  MenuState.HoveredButton = 0;
  GameScreen = screen;
}

bool BeginMenuFrame(void (*escape)()) {
  SelectCursor(0);
  SetCursorColor(MenuCursorColor);
  LastKey = TakeKeyCode();
  if (LastKey == KeyEsc && escape != nullptr) {
    escape();
    return false;
  }
  CursorInputState = CursorRecord.Flag;
  return true;
}

void EndMenuFrame() {
  DrawMouseCursor();
  PresentFrameProc();
}

int MenuSide() { return ViewState.LocalSide; }

void DrawHoverHighlight(TMenuButtons buttons, int side, const MenuButtonRect& box) {
  // The pointer as the frame sees it; a click reads it the same way.
  const int x = ClickX(), y = ClickY();
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const MenuButtonRect& b = buttons[i];
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

void DrawSingleButtonHighlight(const MenuButtonRect& hit, int x, int y, int width, int height,
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

namespace {

void BlitLoaded(int x, int y, bool transparent) {
  if (transparent)
    BlitPictureTransparent(x, y);
  else
    BlitPicture(x, y);
}

}  // namespace

void DrawPicture(std::string_view name, int x, int y, bool transparent) {
  if (LoadPicture(name)) BlitLoaded(x, y, transparent);
}

void DrawPictureCentred(std::string_view name, int y, bool transparent) {
  if (LoadPicture(name)) BlitLoaded(CentredX(PictureWidth()), y, transparent);
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
