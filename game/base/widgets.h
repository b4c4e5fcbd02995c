// The small controls of the menu screens: the one-line edit, check boxes and track bars bound
// to settings, the side chooser (a sphere per available side), chat typing, the network seats
// and the file lists of the load and save screens.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/base/tables.h"

namespace zarn {

inline constexpr int EditMaxChars = 27;
inline constexpr int ChatMaxChars = 60;
inline constexpr int FileListMax = 200;
inline constexpr std::uint8_t NoSide = 8;

inline constexpr std::int32_t KeyBackspace = 8;
inline constexpr std::int32_t KeyLeft = 37;
inline constexpr std::int32_t KeyRight = 39;
inline constexpr std::int32_t KeyDelete = 46;

struct TEditWidget {
  std::uint16_t X = 0, Y = 0, Width = 254, Height = 14;
  std::uint16_t TextX = 5, TextY = 5, TextWidth = 244, TextHeight = 10;
  std::uint16_t Caret = 1;  // the caret stands before this character; length + 1 is the end
  std::uint16_t CaretPeriod = 9;
  std::int32_t NextCaret = 0;
  std::string Text;
  std::uint8_t Focus = 1;
  std::uint8_t CaretVisible = 1;
};

struct TCheckWidget {
  std::uint16_t X = 0, Y = 0, Width = 0, Height = 14;
  bool* Value = nullptr;
};

struct TTrackWidget {
  std::uint16_t X = 0, Y = 0, Width = 200, Height = 12;
  std::uint16_t ThumbX = 0;
  std::int32_t* Value = nullptr;
  std::int32_t Minimum = 0, Maximum = 0, Step = 1;
};

struct TSphereRect {
  std::int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  std::uint8_t Shown = 0;
};

struct TSideChooser {
  std::uint16_t X = 0, Y = 0, Width = 254, Height = 14;
  std::uint16_t TextX = 5, TextY = 5, TextWidth = 244, TextHeight = 10;
  std::uint8_t Selected = 0;  // NoSide when no side is available
  std::array<std::uint8_t, 8> Available{1, 1, 1, 1, 1, 1, 1, 1};
  std::array<TSphereRect, 8> Spheres{};
};

// The chat text being typed on the play screen of a network game.
inline std::string ChatLine = " ";
// The edit lines of the save, lobby and editor screens.
inline TEditWidget EditBox1, EditBox2;

// Edit line.
void EditLineCreate(TEditWidget& rec, int x, int y);
void EditLineSetText(TEditWidget& rec, std::string_view text);
void EditLineDraw(TEditWidget& rec);
void EditLineMouseDown(TEditWidget& rec, int x, int y);
// Backspace, Left, Right, Delete; any other pending key stays pending.
void EditLineKey(TEditWidget& rec);
// Inserts the last typed character at the caret (printable characters, up to 27 in all).
void EditLineChar(TEditWidget& rec);

// Check box.
void CheckBoxCreate(TCheckWidget& rec, int x, int y, int width, bool* value);
void CheckBoxDraw(const TCheckWidget& rec);
// True when the press toggled the value.
bool CheckBoxMouseDown(TCheckWidget& rec, int x, int y);

// Track bar. The value is drawn clamped to minimum..maximum; an empty range keeps the thumb at
// the left end.
void TrackBarCreate(TTrackWidget& rec, int x, int y, std::int32_t minimum, std::int32_t maximum,
                    std::int32_t step, std::int32_t* value);
void TrackBarPlaceThumb(TTrackWidget& rec);
void TrackBarDraw(TTrackWidget& rec);
// True when the press was on the bar (the value may have stayed at an end).
bool TrackBarMouseDown(TTrackWidget& rec, int x, int y);

// Side chooser.
void SideChooserCreate(TSideChooser& rec, int x, int y);
void SideChooserSet(TSideChooser& rec, const std::array<std::uint8_t, 8>& flags);
void SideChooserDraw(const TSideChooser& rec);
// True when the press chose a side.
bool SideChooserMouseDown(TSideChooser& rec, int x, int y);

// Chat: maps the key through the Russian layout when RusChat is on and appends it to ChatLine.
// Brackets frame network messages and are dropped; the line stops at 60 characters.
void TypeChatChar(std::uint8_t c);
// The cp1251 character of a key on the Russian layout; keys outside the layout stay.
std::uint8_t RussianLayoutChar(std::uint8_t c);

// Network seats.
void ResetPlayerSlots();
int CountUsedPlayerSlots();

// File lists: FileListBox := the names (without extension) of the ordinary files of the folder,
// newest first, at most 200.
void ListSaveGames();
void ListMaps();
void ListScenes();
// The same for any game folder ("save\") and extension (".sav").
void ListGameFiles(std::string_view folder, std::string_view extension);

}  // namespace zarn
