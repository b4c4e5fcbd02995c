#include "game/base/textpanel.h"

#include <algorithm>

#include "game/base/archive.h"
#include "game/base/cp1251.h"
#include "game/base/fonts.h"
#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/rules.h"
#include "game/base/video.h"

namespace zarn {

namespace {

inline constexpr std::uint8_t PageFrameColour = 12;
inline constexpr std::uint8_t PanelTextColour = 43;
inline constexpr int IconStep = 29;  // object strip: icon width and gap
inline constexpr int UncolouredSide = 8;  // side 8 leaves the tiles as they are

void Fill(TPageListWidget& rec, int first, int last) {
  for (int n = first; n <= last; ++n) PageListAdd(rec, n);
}

// Shared by both strips: `shown` items fit the strip, each `step` pixels wide.
bool MouseDown(TPageListWidget& rec, int x, int y, int shown, int step) {
  if (!(x >= rec.X && x <= rec.X + rec.Width && y >= rec.Y && y <= rec.Y + rec.Height)) return false;
  if (rec.LeftArrow.Contains(x, y)) {
    if (rec.First > 0) --rec.First;
  } else if (rec.RightArrow.Contains(x, y)) {
    if (rec.First < rec.Count - shown) ++rec.First;
  } else if (rec.Strip.Contains(x, y)) {
    if (rec.Count <= 0) return false;  // nothing to choose
    rec.Selected = std::clamp(rec.First + (x - rec.CaptionX) / step, 0, rec.Count - 1);
  } else {
    return false;
  }
  PlayClickSoundProc();
  return true;
}

bool Holds(const TPageListWidget& rec, int i) {
  return i >= 0 && i < rec.Count && i < PageListCapacity;
}

}  // namespace

void PageListCreate(TPageListWidget& rec, int x, int y) {
  rec = TPageListWidget{};
  rec.X = x;
  rec.Y = y;
  rec.CaptionX = x + 14;
  rec.CaptionY = y + 1;
  rec.LeftArrow = {x, y, x + 14, y + 18};
  rec.RightArrow = {x + 160, y, x + 174, y + 18};
  rec.Strip = {x + 15, y + 1, x + 159, y + 18};
  PageListClear(rec);
}

void PageListClear(TPageListWidget& rec) {
  rec.Count = 0;
  rec.Items.fill(PageListEmpty);
  rec.Selected = 0;
}

void PageListAdd(TPageListWidget& rec, int item) {
  if (rec.Count < 0) rec.Count = 0;
  if (rec.Count >= PageListCapacity) return;
  rec.Items[static_cast<std::size_t>(rec.Count)] = static_cast<std::uint8_t>(item);
  ++rec.Count;
}

void PageListSetMode(TPageListWidget& rec, int mode) {
  PageListClear(rec);
  rec.Mode = mode;
  switch (mode) {
    case 0: Fill(rec, 133, 133); break;
    case 1: Fill(rec, 149, 168); break;
    case 2: Fill(rec, 179, 179); break;
    case 3: Fill(rec, 239, 239); break;
    case 4: Fill(rec, 170, 178); break;
    default: break;
  }
  rec.First = 0;
}

void PageListSetMode2(TPageListWidget& rec, int mode) {
  PageListClear(rec);
  rec.Mode = mode;
  switch (mode) {
    case 0:
      for (int item = 1; item <= 16; ++item) PageListAdd(rec, TypePictureIndex(static_cast<std::uint8_t>(item), 1));
      break;
    case 1:
      for (int item = 17; item <= 34; ++item) PageListAdd(rec, TypePictureIndex(static_cast<std::uint8_t>(item), 1));
      break;
    case 2: PageListAdd(rec, 14); break;
    default: break;
  }
  rec.First = 0;
}

void PageListDraw(const TPageListWidget& rec) {
  if (LoadPicture("pagelist.img")) BlitPicture(rec.X, rec.Y);
  for (int j = 0; j < PageListShown; ++j) {
    const int i = rec.First + j;
    if (!Holds(rec, i)) continue;
    const int x = rec.CaptionX + 1 + 16 * j;
    DrawSprite16Screen(x, rec.CaptionY, rec.Items[static_cast<std::size_t>(i)], UncolouredSide);
    if (i == rec.Selected) DrawFrame(x, rec.CaptionY, x + 15, rec.CaptionY + 15, PageFrameColour);
  }
}

void PageListDraw2(const TPageListWidget& rec) {
  if (LoadPicture("pagelist.img")) BlitPicture(rec.X, rec.Y);
  for (int j = 0; j < PageListShown2; ++j) {
    const int i = rec.First + j;
    if (!Holds(rec, i)) continue;
    const int x = rec.CaptionX + IconStep * j;
    DrawIconLarge(x, rec.CaptionY - 1, rec.Items[static_cast<std::size_t>(i)]);
    if (i == rec.Selected) DrawFrame(x, rec.CaptionY - 1, x + 28, rec.CaptionY + 20, PageFrameColour);
  }
}

bool PageListMouseDown(TPageListWidget& rec, int x, int y) { return MouseDown(rec, x, y, PageListShown, 16); }
bool PageListMouseDown2(TPageListWidget& rec, int x, int y) {
  return MouseDown(rec, x, y, PageListShown2, IconStep);
}

// ---- Text panel ----

void TextPanelSetBox(TTextPanelWidget& rec, int x, int y, int width, int height) {
  rec.X = static_cast<std::uint16_t>(x);
  rec.Y = static_cast<std::uint16_t>(y);
  rec.Width = static_cast<std::uint16_t>(width);
  rec.Height = static_cast<std::uint16_t>(height);
  rec.ScrollY = y + height;  // the text starts below the box
}

void TextPanelCreate(TTextPanelWidget& rec, int centreX, int lineHeight, int font) {
  rec.Lines.clear();
  TextPanelSetBox(rec, 0, 0, ScreenWidth, ScreenHeight);
  rec.Step = 1;
  rec.Period = 1;
  rec.CentreX = static_cast<std::uint16_t>(centreX >= 0 && centreX < ScreenWidth ? centreX : 160);
  rec.LineHeight = static_cast<std::uint16_t>(std::clamp(lineHeight, 0, 200));
  rec.Font = static_cast<std::uint16_t>(font);
  rec.NextStep = TickCount;
}

void TextPanelFree(TTextPanelWidget& rec) {
  rec.Lines.clear();
  rec.Lines.shrink_to_fit();
}

void TextPanelToFontCodePage(TTextPanelWidget& rec) {
  for (std::string& s : rec.Lines) s = ToFontCodePage(s);
}

void TextPanelDraw(TTextPanelWidget& rec) {
  SetClipRect(rec.X, rec.X + rec.Width, rec.Y, rec.Y + rec.Height);
  std::int64_t y0 = rec.ScrollY;
  for (const std::string& line : rec.Lines) {
    const int w = TextWidth(rec.Font, line);
    const int left = rec.CentreX - w / 2;
    if (left >= 1 && left + w < ScreenWidth && y0 >= 11 && y0 < 189)
      DrawText(rec.Font, left, static_cast<int>(y0), PanelTextColour, line);
    y0 += rec.LineHeight;
  }
  // All of the text has passed the top: start again from below.
  if (y0 < 0) rec.ScrollY = 265 - 8 * rec.LineHeight;
  ResetClipRect();
  if (TickCount >= rec.NextStep) {
    rec.NextStep = TickCount + rec.Period;
    rec.ScrollY -= rec.Step;
  }
}

}  // namespace zarn
