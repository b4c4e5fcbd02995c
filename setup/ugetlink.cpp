// The page of the shortcut group and the desktop shortcut.
#include "setup/mainunit.h"

namespace zarn3set {

TGetLinkDirForm::TGetLinkDirForm() {
  chooser.Build(page, "group", "Выберите группу для размещения ярлыков", 186, "Группа", kGroupName);
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
