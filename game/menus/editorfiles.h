// The file screens of the two editors (save map, load map, map choice, load and save scenario):
// one layout of title, buttons, edit line and file list, and the acts they share.
#pragma once

#include <string>
#include <string_view>

#include "game/menus/menuframe.h"

namespace zarn {

// Save screens: save, delete, back. Load screens: load, back.
inline constexpr TMenuButtonRect SaveScreenButtons[] = {
    {33, 170, 125, 186}, {132, 170, 204, 186}, {211, 170, 287, 186}};
inline constexpr TMenuButtonRect LoadScreenButtons[] = {{33, 170, 125, 186}, {211, 170, 287, 186}};

enum class FileScreenKind { Save, Load };

// The list box (and on a save screen the edit line, holding the newest name) for a new screen.
void OpenFileScreen(bool withEditLine, void (*fill)());
void DrawFileScreen(std::string_view title, FileScreenKind kind);
// The selected item of the file list; false when nothing is selected.
bool FileListChoice(std::string& name);
// A click on the list; when it chose an item row, the item goes into the edit line (true).
bool FileListClickToEditLine();
// Deletes folder + selected item + extension and lists the folder again.
void DeleteChosenFile(std::string_view folder, std::string_view extension, void (*fill)());
// A typed name that may name a file (TypedFileNameOk); otherwise the player is told, false.
bool AcceptTypedName(std::string_view typed);
// One frame of a file screen: Esc runs `escape`, Enter runs `act` (the screen stays when the
// act does not leave it), then the screen is drawn.
void FileScreenFrame(std::uint8_t screen, std::string_view title, FileScreenKind kind, void (*act)(),
                     void (*escape)());
// A click on a load screen: load (act), back (to `back`, the list freed), or the list.
void LoadScreenClick(void (*act)(), void (*back)());
// A click on a save screen: save (act), delete (remove), back, or the list (its item into the
// edit line).
void SaveScreenClick(void (*act)(), void (*remove)(), void (*back)());
// Double clicks: on an item row they act (a save screen takes the item as the name first).
void LoadScreenDblClick(void (*act)());
void SaveScreenDblClick(void (*act)());
// Runs a file action; anything it throws is shown in a message box and the screen stays.
void GuardFileAction(void (*action)());

}  // namespace zarn
