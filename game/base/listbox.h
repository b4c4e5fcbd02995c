// The scrollable lists of the menu screens, drawn into the back buffer: the plain list box
// (file lists, help and briefing text), the check list (a tick box per row), the column list
// (headings and indented entries) and the short list (six rows).
//
// Items keep their whole text; a row is cut to what fits only when it is drawn, so a file name
// taken from a list is the name on disk.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/base/tables.h"

namespace zarn {

inline constexpr int ListRowHeight = 10;
// Colours of a row's text, and of the selected row's in a highlighting list.
inline constexpr std::uint8_t ListTextColour = 43;
inline constexpr std::uint8_t ListSelectedColour = 17;
inline constexpr int ListCheckRows = 40;  // row flags of a check list
inline constexpr int ListMaxItems = 32767;
inline constexpr int ListThumbHeight = 22;
inline constexpr int ListCheckWidth = 15;  // the tick box at a check list row's start

// Results of ListBoxMouseDown.
inline constexpr int ListHitNone = 0;
inline constexpr int ListHitScroll = 1;  // an arrow, the track or the frame
inline constexpr int ListHitRow = 2;     // the text area

// Key codes the lists take.
inline constexpr std::int32_t KeyPageUp = 33;
inline constexpr std::int32_t KeyPageDown = 34;
inline constexpr std::int32_t KeyEnd = 35;
inline constexpr std::int32_t KeyHome = 36;
inline constexpr std::int32_t KeyUp = 38;
inline constexpr std::int32_t KeyDown = 40;

enum class TListKind : std::uint8_t { Plain, Check, Column, Short };

// Inclusive corners.
struct TListRect {
  std::int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  bool Contains(int x, int y) const { return x >= X1 && x <= X2 && y >= Y1 && y <= Y2; }
};

inline constexpr int ListRectUp = 1;
inline constexpr int ListRectDown = 2;
inline constexpr int ListRectThumb = 3;
inline constexpr int ListRectTrack = 4;

struct TListWidget {
  std::uint16_t X = 0, Y = 0, Width = 254, Height = 108;
  std::uint16_t TextX = 4, TextY = 5, TextWidth = 232, TextHeight = 100;
  std::uint16_t VisibleRows = 10;
  std::uint16_t Selection = 0;  // 0-based item index (the column list uses ColumnSelection)
  std::uint16_t TopIndex = 0;   // first visible item
  std::uint16_t RepeatInterval = 2;  // TickCount units
  std::int32_t NextRepeat = 0;
  std::vector<std::string> Items;
  Table1<TListRect, 4> Rects{};  // up arrow, down arrow, thumb, track
  std::uint8_t Highlight = 0;       // the selected row is drawn highlighted
  std::uint8_t NeedsScrollbar = 1;
  std::uint8_t Pressed = 0;         // the mouse button is held
  std::array<std::uint8_t, ListCheckRows> RowFlags{};  // check list
  std::int32_t ColumnSelection = -1;                   // column list
  TListKind Kind = TListKind::Plain;

  int Count() const { return static_cast<int>(Items.size()); }
};

// The lists of the menu screens (the world clock repeats their arrows while the button is held).
inline TListWidget FileListBox;
inline TListWidget CheckList;
inline TListWidget TopicList;
inline TListWidget ShortList;

void ListBoxCreate(TListWidget& rec, int x, int y, bool highlight);
void CheckListCreate(TListWidget& rec, int x, int y, bool highlight);
void ColumnListCreate(TListWidget& rec, int x, int y, bool highlight);
void ShortListCreate(TListWidget& rec, int x, int y, bool highlight);
void ListBoxFree(TListWidget& rec);
void ListBoxClear(TListWidget& rec);

// Appends the whole text. False (nothing added) when the list is full, and for a check list
// past its 40 row flags.
bool ListBoxAdd(TListWidget& rec, std::string_view text);
bool CheckListAdd(TListWidget& rec, std::string_view text, bool flag);
// Appends a line of text (font code page) broken at spaces into rows that each show whole in
// the list's text area; a word wider than the area is broken where it must. False when the
// list filled up on the way.
bool ListBoxAddWrapped(TListWidget& rec, std::string_view text);
// Every item to the fonts' code page (after filling a list with interface text).
void ListBoxToFontCodePage(TListWidget& rec);

// The check state of row i; false for rows without a flag.
bool CheckListFlag(const TListWidget& rec, int row);

// Draws any of the four kinds; the pointer lights the arrow under it.
void ListBoxDraw(TListWidget& rec, int mouseX, int mouseY);
// ListHitNone outside, ListHitScroll on the arrows, track or frame, ListHitRow in the text area.
int ListBoxMouseDown(TListWidget& rec, int x, int y);
void ListBoxPress(TListWidget& rec);
void ListBoxRelease(TListWidget& rec);
// Repeats an arrow while the button is held (called on every world timer step).
void ListBoxMouseRepeat(TListWidget& rec, int x, int y);
// Takes the pending key when it is one of the list's; any other key stays pending.
void ListBoxKey(TListWidget& rec);

// Scrolling (each places the thumb again).
void ListBoxScrollUp(TListWidget& rec);
void ListBoxScrollDown(TListWidget& rec);
void ListBoxPageUp(TListWidget& rec);
void ListBoxPageDown(TListWidget& rec);
void ListBoxFirstPage(TListWidget& rec);
void ListBoxLastPage(TListWidget& rec);
void ListBoxPlaceThumb(TListWidget& rec);

// The variants' names for the same operations.
inline void CheckListDraw(TListWidget& rec, int mx, int my) { ListBoxDraw(rec, mx, my); }
inline void ColumnListDraw(TListWidget& rec, int mx, int my) { ListBoxDraw(rec, mx, my); }
inline void ShortListDraw(TListWidget& rec, int mx, int my) { ListBoxDraw(rec, mx, my); }
inline int CheckListMouseDown(TListWidget& rec, int x, int y) { return ListBoxMouseDown(rec, x, y); }
inline int ColumnListMouseDown(TListWidget& rec, int x, int y) { return ListBoxMouseDown(rec, x, y); }
inline int ShortListMouseDown(TListWidget& rec, int x, int y) { return ListBoxMouseDown(rec, x, y); }
inline void ListBoxFocus(TListWidget& rec) { ListBoxPress(rec); }
inline void ListBoxUnfocus(TListWidget& rec) { ListBoxRelease(rec); }

// The part of a text that fits `width` pixels of the font (the characters before the first
// one that does not fit).
std::string_view FitText(int font, int width, std::string_view text);

}  // namespace zarn
