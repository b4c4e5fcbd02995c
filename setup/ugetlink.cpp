// The page of the shortcut group and the desktop shortcut.
#include "setup/mainunit.h"

namespace zarn3set {

TGetLinkDirForm::TGetLinkDirForm() {
  page.name = "group";
  page.caption = kSetupCaption;
  page.rect = {(TScreen::kWidth - 536) / 2, (TScreen::kHeight - 348) / 2, 536, 348};
  page.Add(TWidgetKind::Label, {16, 8, 500, 20}, "Выберите группу для размещения ярлыков");
  chooser.list = page.Add(TWidgetKind::List, {16, 34, 300, 186});
  page.Add(TWidgetKind::Label, {16, 234, 60, 20}, "Группа");
  chooser.edit = page.Add(TWidgetKind::Edit, {76, 230, 444, 24});
  chooser.suffix = kGroupName;
  chooser.list->onClick = [this] { chooser.Choose(); };
  DesktopBox = page.Add(TWidgetKind::CheckBox, {16, 260, 300, 22}, "Ярлык на рабочий стол");
  DesktopBox->checked = true;
  AddStepButtons(page, [this] {
    if (!TakeFolder(chooser.edit->text, LinkGroupDir)) return false;
    DesktopLinkDir = DesktopBox->checked && DesktopBox->enabled && !DesktopDir.empty() ? DesktopDir + "/" : "";
    return true;
  });
}

void TGetLinkDirForm::ShowModal() {
  chooser.Show(ProgramsMenuDir);
  if (DesktopDir.empty()) {
    DesktopBox->enabled = false;
    DesktopBox->checked = false;
  }
  if (Screen && Screen->RunModal(page) < 0) EndSetup(TWizardEnd::Quit);
}

}  // namespace zarn3set
