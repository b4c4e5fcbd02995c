#include "game/menus/editorfiles.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "game/menus/dmenus.h"
#include "game/menus/editormenus.h"
#include "game/world/filenotices.h"

namespace zarn {

namespace {

constexpr std::string_view FileWordText = "Файл "_cp1251;
constexpr std::string_view NotDeletedText = " не удалён"_cp1251;
constexpr std::string_view BadNameText = "Недопустимое имя файла: "_cp1251;

}  // namespace

void OpenFileScreen(bool withEditLine, void (*fill)()) {
  if (withEditLine) EditLineCreate(EditBox1, 33, 32);
  ListBoxCreate(FileListBox, 33, 52, true);
  fill();
  if (withEditLine && FileListBox.Count() > 0) EditLineSetText(EditBox1, FileListBox.Items.front());
}

void DrawFileScreen(std::string_view title, FileScreenKind kind) {
  DrawMenuBackground();
  DrawScreenTitle(title, 12, MenuSide());
  if (kind == FileScreenKind::Save) {
    static constexpr std::string_view pictures[] = {"buttsave.img", "buttdel.img", "butback2.img"};
    DrawButtonPictures(SaveScreenButtons, pictures);
    EditLineDraw(EditBox1);
  } else {
    static constexpr std::string_view pictures[] = {"buttload.img", "butback2.img"};
    DrawButtonPictures(LoadScreenButtons, pictures);
  }
  ListBoxDraw(FileListBox, ClickX(), ClickY());
  if (kind == FileScreenKind::Save)
    DrawHoverHighlight(SaveScreenButtons, MenuSide());
  else
    DrawHoverHighlight(LoadScreenButtons, MenuSide());
  EndMenuFrame();
}

bool FileListChoice(std::string& name) {
  if (FileListBox.Selection >= FileListBox.Count()) return false;
  name = FileListBox.Items[FileListBox.Selection];
  return !name.empty();
}

bool FileListClickToEditLine() {
  if (ListBoxMouseDown(FileListBox, ClickX(), ClickY()) != ListHitRow) return false;
  std::string chosen;
  if (!FileListChoice(chosen)) return false;
  EditLineSetText(EditBox1, chosen);
  return true;
}

void DeleteChosenFile(std::string_view folder, std::string_view extension, void (*fill)()) {
  std::string chosen;
  if (!FileListChoice(chosen)) return;
  const std::string name = chosen + std::string(extension);
  std::error_code ec;
  if (!TypedFileNameOk(chosen) || !std::filesystem::remove(NativePath(std::string(folder) + name), ec) || ec) {
    std::string text(FileWordText);
    text += folder;
    TellFileProblem(text, name, NotDeletedText);
  }
  ListBoxClear(FileListBox);
  fill();
}

bool AcceptTypedName(std::string_view typed) {
  if (TypedFileNameOk(typed)) return true;
  ShowMessageProc(std::string(BadNameText) + std::string(typed));
  return false;
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
      ListBoxMouseDown(FileListBox, ClickX(), ClickY());
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
  if (ListBoxMouseDown(FileListBox, ClickX(), ClickY()) == ListHitRow) GuardFileAction(act);
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
