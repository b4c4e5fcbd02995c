// The last page: the archive is copied into the install folder and extracted there under the
// progress window, then the shortcuts are made; the page tells how it went.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/system.h"
#include "setup/mainunit.h"

#include "setup/archive/AwkMain.h"
#include "setup/archive/UnRAR.h"

namespace zarn3set {

std::string ExtractWithComponent(const std::string& archive, TExtractEvents& events) {
  if (!UnrarDllLoaded) BindUnrarLibrary();
  TUnRAR UnRAR1;
  UnRAR1.SetCpuType(cptAuto);
  UnRAR1.SetFileMask("*.*");
  std::string error;
  bool ended = false;
  UnRAR1.OnBegin = [&](TZipCommon*, const std::string& name, int, bool& extract) {
    if (events.stopped && events.stopped()) {
      UnRAR1.SetCancel(true);
      extract = false;
      return;
    }
    if (events.begin) events.begin(name);
  };
  UnRAR1.OnProgress = [&](TZipCommon*, const std::string&, std::uint8_t percent) {
    if (events.progress) events.progress(percent);
    if (events.stopped && events.stopped()) UnRAR1.SetCancel(true);
  };
  UnRAR1.OnError = [&](TZipCommon*, const std::string& file, const std::string& extra, int, int code) {
    if (!error.empty()) return;
    error = MessageText(code);
    if (!file.empty()) error += " (" + file + ")";
    if (!extra.empty()) error += " " + extra;
  };
  UnRAR1.OnDeactivate = [&](TZipCommon*) { ended = true; };
  try {
    UnRAR1.SetArchiveFile(archive);
    UnRAR1.Extract();
  } catch (const std::exception& e) {
    if (error.empty()) error = e.what();
  }
  if (error.empty() && !ended && !(events.stopped && events.stopped())) error = "Error";
  return error;
}

TCopyForm::TCopyForm() {
  page.name = "finish";
  page.caption = kSetupCaption;
  page.rect = {(TScreen::kWidth - 536) / 2, (TScreen::kHeight - 226) / 2, 536, 226};
  Text = page.Add(TWidgetKind::Label, {20, 20, 496, 120});
  Text->bold = true;
  Button2 = page.Add(TWidgetKind::Button, {223, 160, 90, 28}, "Завершено");
  Button2->onClick = [this] {
    page.modalResult = 1;
    EndSetup(WizardEnd == TWizardEnd::Running ? TWizardEnd::Finished : WizardEnd);
  };
}

namespace {

// Copies the archive block by block so that the reason of a failure is the system's own
// (a full disk, a file-size limit). The copy is written to a new file beside the target and
// renamed over it, as the extraction writes its files: a link standing in the target's place
// is replaced, never written through, and a failed copy leaves nothing behind.
bool CopyArchive(const std::string& source, const std::string& target, std::string& why) {
  int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    why = std::strerror(errno);
    return false;
  }
  std::string dir = std::filesystem::path(target).parent_path().string();
  std::string temp;
  int out = -1;
  for (int attempt = 0; attempt < 100 && out < 0; ++attempt) {
    temp = dir + "/." + kArchiveName + ".part" + std::to_string(::getpid()) + "_" + std::to_string(attempt);
    out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (out < 0 && errno != EEXIST) break;
  }
  if (out < 0) {
    why = std::strerror(errno);
    ::close(in);
    return false;
  }
  std::vector<char> buffer(1 << 16);
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    for (ssize_t done = 0; ok && done < n;) {
      ssize_t w = ::write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) ok = false;
      else done += w;
    }
    if (!ok) break;
  }
  if (!ok) why = std::strerror(errno ? errno : EIO);
  if (::close(out) != 0 && ok) {
    ok = false;
    why = std::strerror(errno);
  }
  ::close(in);
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    why = std::strerror(errno);
  }
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

std::string LauncherFileOf(const std::string& shortcut) {
  return (std::filesystem::path(shortcut).parent_path() / kLauncherFileName).string();
}

}  // namespace

std::string TCopyForm::Extracting(const std::string& archive) {
  TProgressForm& progress = Wizard->ProgressForm;
  progress.SetPMax(100);
  progress.SetPPos(0);
  progress.SetText("");
  progress.Show("Extracting ZARN III");
  TExtractEvents events;
  int files = 0;
  events.begin = [&](const std::string& stored) {
    ++files;
    std::string name = stored;  // the component keeps "\" separators
    for (char& c : name)
      if (c == '\\') c = '/';
    Trace("extracting " + name);
    progress.SetText("  " + name);
    progress.SetPMax(100);
    progress.SetPPos(0);
    if (Screen) Screen->Pump();
  };
  events.progress = [&](int percent) {
    progress.SetPPos(percent);
    if (Screen) Screen->Pump();
  };
  events.stopped = [&] { return progress.GetStoped() || (Screen && Screen->closeRequested); };
  std::string error = ExtractProc ? ExtractProc(archive, events) : "Unrar.dll not found";
  bool stopped = events.stopped();
  progress.Hide();
  if (stopped) return std::string(kCancelledText) + "\r\n" + kNoShortcutsText;
  if (!error.empty()) return kNotInstalledText + error + "\r\n" + kNoShortcutsText;
  if (files == 0) return std::string(kNotInstalledText) + kEmptyArchiveText + "\r\n" + kNoShortcutsText;
  return {};
}

std::string TCopyForm::Install() {
  std::filesystem::path dir = ArchiveSourceDir.empty() ? plat::ExecutableFolder() : std::filesystem::path(ArchiveSourceDir);
  std::string source = (dir / kArchiveName).string();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(source, ec)) {
    AbortSetup("Ошибка, файл " + source + " не найден! Прервать установку?");
    return {};
  }
  std::string target = InstallDir + kArchiveName;
  // Installing from the install folder itself: the archive is already in place.
  std::string why;
  if (!std::filesystem::equivalent(source, target, ec) && !CopyArchive(source, target, why)) {
    WizardEnd = TWizardEnd::Aborted;
    return kNotInstalledText + target + ": " + why + "\r\n" + kNoShortcutsText;
  }

  if (std::string failed = Extracting(target); !failed.empty()) {
    WizardEnd = TWizardEnd::Aborted;
    return failed;
  }

  // Both shortcuts or none, and none to a program the archive did not hold.
  std::string program = InstallDir + kGameProgram;
  if (!std::filesystem::is_regular_file(LauncherProgram(program), ec)) {
    WizardEnd = TWizardEnd::Aborted;
    return kNotInstalledText + std::string(kNoProgramText) + LauncherProgram(program) + "\r\n" + kNoShortcutsText;
  }
  std::vector<std::string> wanted{LinkGroupDir + kShortcutName};
  if (!DesktopLinkDir.empty()) wanted.push_back(DesktopLinkDir + kShortcutName);
  std::vector<std::string> made;
  for (const std::string& link : wanted) {
    if (!CreateShellLink(program, link, "", "")) {
      for (const std::string& m : made) std::filesystem::remove(LauncherFileOf(m), ec);
      WizardEnd = TWizardEnd::Aborted;
      return std::string("Не удалось создать ярлык ") + LauncherFileOf(link) + "\r\n" + kNoShortcutsText;
    }
    made.push_back(link);
  }
  Trace("installed " + InstallDir);
  return kInstalledText;
}

void TCopyForm::ShowModal() {
  Text->caption.clear();
  Button2->visible = false;
  if (Screen) {
    Screen->Push(&page);
    Screen->Repaint();
  }
  std::string outcome = Install();
  if (Screen) Screen->Pop(&page);
  if (outcome.empty()) return;  // the setup was ended by a message
  Trace("outcome " + outcome.substr(0, outcome.find('\r')));
  Text->caption = outcome;
  Button2->visible = true;
  page.focus = 1;
  if (Screen && Screen->RunModal(page) < 0 && WizardEnd == TWizardEnd::Running) EndSetup(TWizardEnd::Quit);
}

}  // namespace zarn3set
