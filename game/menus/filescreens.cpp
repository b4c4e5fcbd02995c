#include "game/menus/filescreens.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "game/menus/dmenus.h"
#include "game/world/filenotices.h"
#include "game/world/gamestart.h"

namespace zarn {

namespace {

constexpr std::string_view NotDeletedText = " не удалён"_cp1251;
constexpr std::array<std::string_view, 3> SavePictures{"buttsave.img", "buttdel.img", "butback2.img"};
constexpr std::array<std::string_view, 2> LoadPictures{"buttload.img", "butback2.img"};

TMenuButtons Buttons(FileScreenKind kind) {
  if (kind == FileScreenKind::Save) return SaveScreenButtons;
  return LoadScreenButtons;
}

void DrawFileScreen(std::string_view title, FileScreenKind kind) {
  DrawMenuBackground();
  DrawScreenTitle(title, 12, MenuSide());
  if (kind == FileScreenKind::Save) {
    DrawButtonPictures(SaveScreenButtons, SavePictures);
    EditLineDraw(EditBox1);
  } else {
    DrawButtonPictures(LoadScreenButtons, LoadPictures);
  }
  ListBoxDraw(FileListBox, ClickX(), ClickY());
  DrawHoverHighlight(Buttons(kind), MenuSide());
  EndMenuFrame();
}

// A click on the list; true when it picked an item row, which on a save screen goes into the
// edit line.
bool PickFromList(FileScreenKind kind) {
  if (OfferClickToList(FileListBox, ClickX(), ClickY()) != ListPickedItem) return false;
  if (kind == FileScreenKind::Save) EditLineSetText(EditBox1, SelectedItem(FileListBox));
  return true;
}

}  // namespace

void OpenFileScreen(std::uint8_t screen, FileScreenKind kind, void (*fill)()) {
  OpenMenuScreen(screen);
  if (kind == FileScreenKind::Save) EditLineCreate(EditBox1, 33, 32);
  ListBoxCreate(FileListBox, 33, 52, true);
  fill();
  if (kind == FileScreenKind::Save && FileListBox.Count() > 0)
    EditLineSetText(EditBox1, FileListBox.Items.front());
}

bool FileListChoice(std::string& name) {
  name = SelectedItem(FileListBox);
  return !name.empty();
}

void DeleteChosenFile(std::string_view fileText, std::string_view folder, std::string_view extension,
                      void (*fill)()) {
  std::string chosen;
  if (!FileListChoice(chosen)) return;
  const std::string name = chosen + std::string(extension);
  std::error_code ec;
  if (!IsPlainFileName(name) || !std::filesystem::remove(NativePath(std::string(folder) + name), ec) || ec)
    TellFileProblem(fileText, name, NotDeletedText);
  ListBoxClear(FileListBox);
  fill();
}

void FileScreenFrame(std::uint8_t screen, std::string_view title, FileScreenKind kind, void (*act)(),
                     void (*escape)()) {
  if (!BeginMenuFrame(escape)) return;
  if (LastKey == KeyEnter) {
    GuardFileAction(act);
    if (GameScreen != screen) return;
  }
  DrawFileScreen(title, kind);
}

void FileScreenClick(FileScreenKind kind, void (*act)(), void (*back)(), void (*remove)()) {
  const TMenuButtons buttons = Buttons(kind);
  const int hit = ClickedButton(buttons);
  if (hit == 0) {
    PickFromList(kind);
    return;
  }
  PlayButtonSound();
  if (hit == 1) {
    GuardFileAction(act);
  } else if (hit == static_cast<int>(buttons.size())) {
    ListBoxFree(FileListBox);
    back();
  } else {
    GuardFileAction(remove);
  }
}

void FileScreenDblClick(FileScreenKind kind, void (*act)()) {
  if (PickFromList(kind)) GuardFileAction(act);
}

void GuardFileAction(void (*action)()) {
  try {
    action();
  } catch (const std::exception& e) {
    ShowMessageProc(e.what());
  }
}

}  // namespace zarn
