// Two display widgets of the editors and information screens: the palette strips (a row of
// tiles or icons between a left and a right arrow) and the text panel that scrolls centred
// lines upward through a box.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zarn {

inline constexpr int PageListCapacity = 31;
inline constexpr std::uint8_t PageListEmpty = 169;
inline constexpr int PageListShown = 9;   // tiles of the terrain strip
inline constexpr int PageListShown2 = 5;  // icons of the object strip

struct TPageRect {
  std::int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  bool Contains(int x, int y) const { return x >= X1 && x <= X2 && y >= Y1 && y <= Y2; }
};

struct TPageListWidget {
  std::int32_t Count = 0;  // at most 31
  std::int32_t First = 0;  // first visible index
  std::int32_t X = 0, Y = 0, Width = 174, Height = 18;
  std::int32_t CaptionX = 14, CaptionY = 1, CaptionWidth = 144, CaptionHeight = 16;
  std::int32_t Selected = 0;
  std::int32_t Mode = 0;
  std::array<std::uint8_t, PageListCapacity> Items{};  // frame or icon numbers
  TPageRect LeftArrow, RightArrow, Strip;
};

struct TTextPanelWidget {
  std::uint16_t X = 0, Y = 0, Width = 320, Height = 200;
  std::uint16_t Period = 1;  // TickCount units per step
  std::uint16_t CentreX = 160;
  std::int16_t Step = 1;     // pixels per step
  std::uint16_t LineHeight = 10;
  std::uint16_t Font = 0;
  std::int32_t ScrollY = 200;  // y of the first line
  std::int32_t NextStep = 0;
  std::vector<std::string> Lines;
};

// The editors' object choosers and the credits panel of the authors screen.
inline TPageListWidget PageList1, PageList2;
inline TTextPanelWidget TextPanel;

void PageListCreate(TPageListWidget& rec, int x, int y);
void PageListClear(TPageListWidget& rec);
// Appends an item while fewer than 31 are held.
void PageListAdd(TPageListWidget& rec, int item);
// Terrain strip: 0 ground, 1 mountains, 2 resource, 3 bloom, 4 special terrain.
void PageListSetMode(TPageListWidget& rec, int mode);
// Object strip: 0 units, 1 buildings, 2 worms.
void PageListSetMode2(TPageListWidget& rec, int mode);
void PageListDraw(const TPageListWidget& rec);
void PageListDraw2(const TPageListWidget& rec);
// True when the press hit an arrow or an item (each plays the click sound).
bool PageListMouseDown(TPageListWidget& rec, int x, int y);
bool PageListMouseDown2(TPageListWidget& rec, int x, int y);

void TextPanelSetBox(TTextPanelWidget& rec, int x, int y, int width, int height);
void TextPanelCreate(TTextPanelWidget& rec, int centreX, int lineHeight, int font);
void TextPanelFree(TTextPanelWidget& rec);
void TextPanelToFontCodePage(TTextPanelWidget& rec);
void TextPanelDraw(TTextPanelWidget& rec);

}  // namespace zarn
