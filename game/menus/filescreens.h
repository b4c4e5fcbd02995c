// The file screens (saved games; the editors' maps and scenarios): one layout of title, buttons,
// edit line and file list, and the acts they share.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/menus/menuframe.h"

namespace zarn {

// Save screens: save, delete, back. Load screens: load, back.
inline constexpr std::array<MenuButtonRect, 3> SaveScreenButtons{{
    {33, 170, 125, 186}, {132, 170, 204, 186}, {211, 170, 287, 186}}};
inline constexpr std::array<MenuButtonRect, 2> LoadScreenButtons{{
    {33, 170, 125, 186}, {211, 170, 287, 186}}};

enum class FileScreenKind { Save, Load };

// Opens the screen with its list box filled by `fill`; a save screen also gets the edit line,
// holding the list's first (newest) name.
void OpenFileScreen(std::uint8_t screen, FileScreenKind kind, void (*fill)());
// The selected item of the file list; false when nothing is selected.
bool FileListChoice(std::string& name);
// Deletes folder + selected item + extension and lists the folder again; a file that cannot be
// deleted is shown with `fileText` ("Файл save\").
void DeleteChosenFile(std::string_view fileText, std::string_view folder, std::string_view extension,
                      void (*fill)());
// One frame of a file screen: Esc runs `escape`, Enter runs `act` (the screen stays when the
// act does not leave it), then the screen is drawn.
void FileScreenFrame(std::uint8_t screen, std::string_view title, FileScreenKind kind, void (*act)(),
                     void (*escape)());
// A click: load or save (act), delete (remove, save screens only), back (the list freed, then
// `back`), or the list (on a save screen a picked item goes into the edit line, so saving
// overwrites it).
void FileScreenClick(FileScreenKind kind, void (*act)(), void (*back)(), void (*remove)() = nullptr);
// Double clicks: on an item row they act (a save screen takes the item as the name first).
void FileScreenDblClick(FileScreenKind kind, void (*act)());
// Runs a file action; anything it throws is shown in a message box and the screen stays.
void GuardFileAction(void (*action)());

}  // namespace zarn
