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
  if (kind == FileScreenKind::Save)
    DrawHoverHighlight(SaveScreenButtons, MenuSide());
  else
    DrawHoverHighlight(LoadScreenButtons, MenuSide());
  EndMenuFrame();
}

// A click on the list; when it picked an item row, the item goes into the edit line (true).
bool FileListClickToEditLine() {
  if (OfferClickToList(FileListBox, ClickX(), ClickY()) != ListPickedItem) return false;
  EditLineSetText(EditBox1, SelectedItem(FileListBox));
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

void LoadScreenClick(void (*act)(), void (*back)()) {
  switch (ClickedButton(LoadScreenButtons)) {
    case 1:
      PlayButtonSound();
      GuardFileAction(act);
      break;
    case 2:
      PlayButtonSound();
      ListBoxFree(FileListBox);
      back();
      break;
    default:
      OfferClickToList(FileListBox, ClickX(), ClickY());
      break;
  }
}

void SaveScreenClick(void (*act)(), void (*remove)(), void (*back)()) {
  switch (ClickedButton(SaveScreenButtons)) {
    case 1:
      PlayButtonSound();
      GuardFileAction(act);
      break;
    case 2:
      PlayButtonSound();
      GuardFileAction(remove);
      break;
    case 3:
      PlayButtonSound();
      ListBoxFree(FileListBox);
      back();
      break;
    default:
      FileListClickToEditLine();
      break;
  }
}

void LoadScreenDblClick(void (*act)()) {
  if (OfferClickToList(FileListBox, ClickX(), ClickY()) == ListPickedItem) GuardFileAction(act);
}

void SaveScreenDblClick(void (*act)()) {
  if (FileListClickToEditLine()) GuardFileAction(act);
}

void GuardFileAction(void (*action)()) {
  try {
    action();
  } catch (const std::exception& e) {
    ShowMessageProc(e.what());
  }
}

}  // namespace zarn
