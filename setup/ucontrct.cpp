// The welcome page.
#include "setup/mainunit.h"

namespace zarn3set {

TContractForm::TContractForm() {
  page.name = "welcome";
  page.caption = "Добро пожаловать";
  page.rect = {(TScreen::kWidth - 536) / 2, (TScreen::kHeight - 348) / 2, 536, 348};
  page.Add(TWidgetKind::Picture, {12, 12, 120, 262});  // the tall side picture
  page.Add(TWidgetKind::Picture, {142, 12, 48, 48});   // the small one
  page.Add(TWidgetKind::Label, {142, 68, 386, 60},
           "    Добро пожаловать в программу \"Установка ZARN III\".\r\nЭта программа установит "
           "игру \"Zarn III\" на вашем\r\nкомпьютере.");
  page.Add(TWidgetKind::Label, {142, 132, 386, 140},
           "    Перед тем, как запустить программу Setup, необходимо\r\nвыйти из всех программ "
           "Windows.\r\n\r\n    Чтобы выйти из Setup, щёлкните по Выйти и затем\r\nзакройте все "
           "выполняющиеся программы. Щёлкните по\r\nНачать, чтобы продолжить работу с программой "
           "Setup.");
  TWidget* start = page.Add(TWidgetKind::Button, {330, 286, 90, 28}, "Начать");
  start->onClick = [this] { StepWizard(page, 1); };
  TWidget* quit = page.Add(TWidgetKind::Button, {430, 286, 90, 28}, "Выйти");
  quit->onClick = [this] {
    page.modalResult = 2;
    EndSetup(TWizardEnd::Quit);
  };
  page.focus = 4;
}

void TContractForm::ShowModal() {
  if (Screen && Screen->RunModal(page) < 0) EndSetup(TWizardEnd::Quit);
}

}  // namespace zarn3set
