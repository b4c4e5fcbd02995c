// The background window: it opens the page of WizardStep 250 ms after the previous page closed.
#include "setup/mainunit.h"

#include "platform/app.h"

namespace zarn3set {

namespace {
int Timer1 = 0;
bool PageDue = false;

void ResumeWizard() { plat::SetTimerEnabled(Timer1, true); }

void Timer1Timer() {
  plat::SetTimerEnabled(Timer1, false);
  PageDue = true;
}

void ShowPage(TWizard& w) {
  switch (WizardStep) {
    case 0: w.ContractForm.ShowModal(); break;
    case 1: w.GetDirForm.ShowModal(); break;
    case 2: w.GetLinkDirForm.ShowModal(); break;
    case 3: w.CopyForm.ShowModal(); break;
    default: break;
  }
}

void LoadPicture(TRxGIFAnimator& pic, const std::string& stored) {
  if (stored.empty()) return;
  try {
    pic.Image().ReadData(stored);
  } catch (const std::exception& e) {
    Trace(std::string("picture not shown: ") + e.what());  // the pages work without it
  }
}
}  // namespace

void StepWizard(TPage& page, int delta) {
  page.modalResult = delta > 0 ? 1 : 2;
  WizardStep += delta;
  if (NextPageProc) NextPageProc();
}

void AddStepButtons(TPage& page, std::function<bool()> accept) {
  page.Add(TWidgetKind::Button, {330, 286, 90, 28}, "< Назад")->onClick = [&page] { StepWizard(page, -1); };
  page.Add(TWidgetKind::Button, {430, 286, 90, 28}, "Далее >")->onClick = [&page, accept] {
    if (accept()) StepWizard(page, 1);
  };
}

void EndSetup(TWizardEnd how) {
  if (WizardEnd == TWizardEnd::Running || how == TWizardEnd::Aborted) WizardEnd = how;
}

void AbortSetup(const std::string& text) {
  MessageDlg(kSetupCaption, text, {"Yes"});
  EndSetup(TWizardEnd::Aborted);
}

int RunWizard(TScreen& screen) {
  TWizard wizard;
  Wizard = &wizard;
  WizardStep = 0;
  WizardEnd = TWizardEnd::Running;
  ProgramFilesDir.clear();
  ProgramsMenuDir.clear();
  DesktopDir.clear();
  InstallDir.clear();
  LinkGroupDir.clear();
  DesktopLinkDir.clear();
  LoadPicture(screen.background, WizardPictures.background);
  LoadPicture(*wizard.ContractForm.page.widgets[0]->picture, WizardPictures.side);
  LoadPicture(*wizard.ContractForm.page.widgets[1]->picture, WizardPictures.small);
  for (int i = 0; i < 2; ++i) {
    wizard.ContractForm.page.widgets[i]->picture->autoSize = false;
    wizard.ContractForm.page.widgets[i]->picture->SetStretch(true);
  }
  NextPageProc = ResumeWizard;
  PageDue = false;
  Timer1 = plat::AddTimer(250, Timer1Timer, true);
  while (WizardEnd == TWizardEnd::Running && !plat::Terminated()) {
    if (screen.closeRequested) {
      EndSetup(TWizardEnd::Quit);
      break;
    }
    if (screen.dirty) screen.Repaint();
    plat::ProcessMessages(true);
    if (PageDue) {
      PageDue = false;
      ShowPage(wizard);
    }
  }
  plat::RemoveTimer(Timer1);
  Timer1 = 0;
  NextPageProc = nullptr;
  Wizard = nullptr;
  return WizardEnd == TWizardEnd::Aborted ? 1 : 0;
}

}  // namespace zarn3set
