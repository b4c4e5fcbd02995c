// zarn3set: installs the game from zarn3.rar beside it into a folder of the user's choice and
// makes its launchers.
#include <csignal>
#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "setup/mainunit.h"

namespace zarn3set {
// The wizard's pictures, made by the build.
extern const unsigned char kWizardBackground[], kWizardSmall[], kWizardSide[];
extern const unsigned kWizardBackgroundSize, kWizardSmallSize, kWizardSideSize;
}  // namespace zarn3set

int main() {
  using namespace zarn3set;
  // A write past the file-size limit fails with an error the pages report, not a signal.
  std::signal(SIGXFSZ, SIG_IGN);
  std::string error;
  plat::DrawWithProcessorOnly = true;  // still pages
  if (!plat::Init(&error)) {
    std::fprintf(stderr, "zarn3set: %s\n", error.c_str());
    return 2;
  }
  if (!UiInit(&error)) {
    plat::MessageBox(nullptr, kSetupCaption, error, plat::MessageKind::Error);
    std::fprintf(stderr, "zarn3set: %s\n", error.c_str());
    plat::Shutdown();
    return 2;
  }
  auto bytes = [](const unsigned char* p, unsigned n) { return std::string(reinterpret_cast<const char*>(p), n); };
  WizardPictures.background = bytes(kWizardBackground, kWizardBackgroundSize);
  WizardPictures.small = bytes(kWizardSmall, kWizardSmallSize);
  WizardPictures.side = bytes(kWizardSide, kWizardSideSize);
  ShowNotImplementedProc = [] { MessageDlg(kSetupCaption, kNotImplementedText, {"OK"}); };
  int status = 2;
  {
    TScreen screen;
    if (screen.Create(kSetupCaption, &error)) {
      status = RunWizard(screen);
    } else {
      std::fprintf(stderr, "zarn3set: %s\n", error.c_str());
    }
    screen.Destroy();
  }
  UiShutdown();
  plat::Shutdown();
  return status;
}
