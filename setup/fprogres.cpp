// The progress window of the extraction.
#include <algorithm>

#include "setup/mainunit.h"

namespace zarn3set {

TProgressForm::TProgressForm() {
  page.name = "progress";
  page.rect = {(TScreen::kWidth - 528) / 2, (TScreen::kHeight - 166) / 2, 528, 166};
  page.busy = true;
  Label1 = page.Add(TWidgetKind::Label, {16, 12, 496, 20});
  Label1->oneLine = true;  // a long install path must not hide the file's name
  PBar = page.Add(TWidgetKind::Progress, {16, 40, 496, 22});
  Label2 = page.Add(TWidgetKind::Label, {16, 72, 120, 20});
  StopButton = page.Add(TWidgetKind::Button, {422, 100, 90, 28}, "Стоп");
  StopButton->visible = false;
  StopButton->onClick = [this] { stopped_ = true; };
  SetPPos(0);
}

void TProgressForm::SetPPos(int value) {
  PPos = value;
  // A maximum of 0 (or less) has no proportion to show.
  int percent = PMax > 0 ? static_cast<int>(std::int64_t{value} * 100 / PMax) : 0;
  percent = std::clamp(percent, 0, 100);
  if (percent != PBar->position) Trace("progress " + std::to_string(percent));
  PBar->position = percent;
  Label2->caption = std::to_string(PBar->position) + " %";
  if (Screen) Screen->dirty = true;
}

void TProgressForm::SetText(const std::string& text) {
  Label1->caption = text;
  if (Screen) Screen->dirty = true;
}

void TProgressForm::SetButtonName(const std::string& text) { StopButton->caption = text; }

void TProgressForm::Show(const std::string& caption) {
  page.caption = caption;
  stopped_ = false;
  if (Screen) {
    Screen->Push(&page);
    Screen->Repaint();
  }
}

void TProgressForm::Hide() {
  if (Screen) Screen->Pop(&page);
}

}  // namespace zarn3set
