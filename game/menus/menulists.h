// What the list screens share: a click offered to a list that tells an item row from an empty
// row or the arrows, the test for a selection that names an item, and the check of a file name
// typed by the player.
#pragma once

#include <string>
#include <string_view>

#include "game/base/listbox.h"
#include "game/menus/menuframe.h"

namespace zarn {

// Results of OfferClickToList.
inline constexpr int ListTookNothing = 0;
inline constexpr int ListTookClick = 1;  // arrows, track, frame, an empty row or a heading
inline constexpr int ListPickedItem = 2;  // a row that holds an item (the selection moved there)

// Gives the click to the list. An empty row or a heading leaves the selection as it was.
int OfferClickToList(TListWidget& list, int x, int y);
// The click of a screen with a text list and one button: the list takes the click first
// (scrolling), even where it would overlap the button; true when it did not and the pointer is
// strictly inside the button.
bool ListMissedButtonHit(TListWidget& list, const MenuButtonRect& button);
// The list's selection names one of its items (plain and short lists: Selection; column
// list: ColumnSelection).
bool HasSelectedItem(const TListWidget& list);
// The selected item's text; empty when nothing is selected.
std::string SelectedItem(const TListWidget& list);

// Why a typed file name cannot be used (empty text when it can): the characters that name
// another folder or that the file system refuses, "..", and control characters.
std::string FileNameProblem(std::string_view name);
// A name typed for a file: not empty and without a FileNameProblem, so that it names exactly
// one file inside its folder.
bool TypedFileNameOk(std::string_view name);
// TypedFileNameOk; its FileNameProblem, if any, shown in a message box.
bool CheckTypedFileName(std::string_view name);

}  // namespace zarn
