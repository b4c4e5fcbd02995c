// The install-folder page, and the folder list it shares with the group page.
#include <algorithm>
#include <filesystem>

#include "setup/mainunit.h"

namespace zarn3set {

void TFolderChooser::Build(TPage& page, const std::string& name, const std::string& heading,
                           int listHeight, const std::string& label, const std::string& text) {
  page.name = name;
  page.caption = kSetupCaption;
  page.rect = {(TScreen::kWidth - 536) / 2, (TScreen::kHeight - 348) / 2, 536, 348};
  page.Add(TWidgetKind::Label, {16, 8, 500, 20}, heading);
  list = page.Add(TWidgetKind::List, {16, 34, 300, listHeight});
  int y = 34 + listHeight + 10;
  page.Add(TWidgetKind::Label, {16, y + 4, 60, 20}, label);
  edit = page.Add(TWidgetKind::Edit, {76, y, 444, 24});
  suffix = text;
  list->onClick = [this] { Choose(); };
}

void TFolderChooser::Show(const std::string& dir) {
  folder = dir;
  list->items.clear();
  std::filesystem::path p = dir;
  if (p.has_parent_path() && p.parent_path() != p) list->items.push_back("..");
  std::vector<std::string> subs;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(p, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_directory(ec) && it->path().filename().string()[0] != '.')
      subs.push_back(it->path().filename().string());
  std::sort(subs.begin(), subs.end());
  list->items.insert(list->items.end(), subs.begin(), subs.end());
  list->selected = -1;
  list->top = 0;
  edit->text = (folder == "/" ? std::string() : folder) + "/" + suffix;
  edit->caret = edit->text.size();
  if (changed) changed();
}

void TFolderChooser::Choose() {
  if (list->selected < 0 || list->selected >= static_cast<int>(list->items.size())) return;
  std::filesystem::path p = folder;
  const std::string& item = list->items[list->selected];
  Show(item == ".." ? p.parent_path().string() : (p / item).string());
}

bool TakeFolder(const std::string& typed, std::string& folder) {
  std::string taken = ExpandFolder(typed);
  if (taken.empty() || taken[0] != '/') {
    MessageDlg(kSetupCaption, kNotAbsoluteText + typed, {"OK"});
    return false;
  }
  // The archive component and the shortcuts take "\" for a separator: such a folder could
  // not be installed into.
  if (taken.find('\\') != std::string::npos) {
    MessageDlg(kSetupCaption, kBackslashText + typed, {"OK"});
    return false;
  }
  std::string why;
  if (!MakeFolders(taken, why)) {
    MessageDlg(kSetupCaption, kCannotMakeFolderText + taken + ": " + why, {"OK"});
    return false;
  }
  if (taken != "/") taken += "/";
  Trace("folder " + taken);
  folder = taken;
  return true;
}

TGetDirForm::TGetDirForm() {
  chooser.Build(page, "folder", "   Выберите папку для установки игры", 196, "Папка:", kInstallFolderName);
  FreeLine = page.Add(TWidgetKind::Label, {330, 40, 196, 40});
  NeedLine = page.Add(TWidgetKind::Label, {330, 84, 196, 40}, "Для установки надо 5 Mb");
  chooser.edit->onChange = [this] { UpdateFreeSpace(); };
  chooser.changed = [this] { UpdateFreeSpace(); };
  AddStepButtons(page, [this] { return TakeFolder(chooser.edit->text, InstallDir); });
}

void TGetDirForm::UpdateFreeSpace() {
  std::string folder = ExpandFolder(chooser.edit->text);
  std::int64_t free = !folder.empty() && folder[0] == '/' ? FreeBytes(folder) : -1;
  FreeLine->caption = "Свободно на диске  " + (free < 0 ? std::string("?") : std::to_string(free / 1048576)) + " Mb";
  if (Screen) Screen->dirty = true;
}

void TGetDirForm::ShowModal() {
  GetProgramFilesDir(ProgramFilesDir);
  if (ProgramFilesDir.empty()) return AbortSetup(kRegistryError);
  GetProgramsMenuDir(ProgramsMenuDir);
  if (ProgramsMenuDir.empty()) return AbortSetup(kRegistryError);
  // Without a desktop only the desktop shortcut is lost: the group page disables its box.
  GetDesktopDir(DesktopDir);
  chooser.Show(ProgramFilesDir);
  if (FreeBytes(ProgramFilesDir) < 0) return AbortSetup(kFreeSpaceError);
  if (Screen && Screen->RunModal(page) < 0) EndSetup(TWizardEnd::Quit);
}

}  // namespace zarn3set
