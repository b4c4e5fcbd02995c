// The wizard: the background window that opens the pages one after another, the pages
// themselves, the progress window and the copy-and-extract step.
#pragma once

#include <functional>
#include <string>

#include "setup/ui.h"
#include "setup/vunit.h"

namespace zarn3set {

inline constexpr const char* kSetupCaption = " Установка ZARN III";

// The wizard's pictures in their stored form (4-byte length, then GIF data); empty: none.
struct TWizardPictures {
  std::string background, small, side;
};
inline TWizardPictures WizardPictures;

// Extraction of the archive into its own folder. Answers "" on success, else the reason.
struct TExtractEvents {
  std::function<void(const std::string& name)> begin;
  std::function<void(int percent)> progress;
  std::function<bool()> stopped;  // asked often: true ends the extraction
};
using TExtractProc = std::function<std::string(const std::string& archive, TExtractEvents& events)>;
std::string ExtractWithComponent(const std::string& archive, TExtractEvents& events);
inline TExtractProc ExtractProc = ExtractWithComponent;
// Where zarn3.rar is looked for; empty: beside the program.
inline std::string ArchiveSourceDir;

enum class TWizardEnd : std::uint8_t { Running, Finished, Quit, Aborted };
inline TWizardEnd WizardEnd = TWizardEnd::Running;
// Ends the setup (the loop stops when the current page has closed).
void EndSetup(TWizardEnd how);
// Shows a message that ends the setup.
void AbortSetup(const std::string& text);

class TProgressForm {
 public:
  TProgressForm();
  TPage page;
  int PMin = 0, PMax = 100, PPos = 0;
  void SetPMin(int v) { PMin = v; }
  void SetPMax(int v) { PMax = v; }
  // The bar shows value x 100 / PMax percent (0 while PMax is 0 or less).
  void SetPPos(int value);
  void SetText(const std::string& text);
  void SetButtonName(const std::string& text);
  bool GetStoped() const { return stopped_; }
  void Show(const std::string& caption);
  void Hide();
  TWidget *Label1, *Label2, *PBar, *StopButton;

 private:
  bool stopped_ = false;
};

class TContractForm {
 public:
  TContractForm();
  TPage page;
  void ShowModal();
};

// Shared by the install-folder and group pages: a folder list whose choice fills the edit line.
struct TFolderChooser {
  TWidget* list = nullptr;
  TWidget* edit = nullptr;
  std::string folder;  // shown in the list
  std::string suffix;  // added to the chosen folder in the edit line
  std::function<void()> changed;
  // Lays out a folder page: its title, the heading, the list `listHeight` high and under it
  // the edit line with its label; a choice in the list fills the edit line.
  void Build(TPage& page, const std::string& name, const std::string& heading, int listHeight,
             const std::string& label, const std::string& suffix);
  void Show(const std::string& dir);
  void Choose();
};

// Closes the page and moves the wizard `delta` pages on (or back).
void StepWizard(TPage& page, int delta);
// The page's "< Назад" and "Далее >"; forward only when `accept` agrees.
void AddStepButtons(TPage& page, std::function<bool()> accept);

// The folder typed or chosen ("~" expanded, absolute), made with all its levels, with a
// trailing "/"; false after telling why when it cannot be had (the page then stays open).
bool TakeFolder(const std::string& typed, std::string& folder);

class TGetDirForm {
 public:
  TGetDirForm();
  TPage page;
  TFolderChooser chooser;
  TWidget *FreeLine, *NeedLine;
  void ShowModal();
  void UpdateFreeSpace();
};

class TGetLinkDirForm {
 public:
  TGetLinkDirForm();
  TPage page;
  TFolderChooser chooser;
  TWidget* DesktopBox;
  void ShowModal();
};

class TCopyForm {
 public:
  TCopyForm();
  TPage page;
  TWidget *Text, *Button2;
  void ShowModal();
  // Copies, extracts and makes the shortcuts; answers the page's closing text.
  std::string Install();
  // Unpacks the archive into its folder under the progress window; answers "" when it did,
  // else the page's closing text.
  std::string Extracting(const std::string& archive);
};

struct TWizard {
  TContractForm ContractForm;
  TGetDirForm GetDirForm;
  TCopyForm CopyForm;
  TGetLinkDirForm GetLinkDirForm;
  TProgressForm ProgressForm;
};
inline TWizard* Wizard = nullptr;

// Runs the whole setup on `screen` (made by the caller). Answers the program's exit status:
// 0 when finished or left by the user, 1 when an error ended it.
int RunWizard(TScreen& screen);

// Texts of this installer beyond the pages' own.
inline constexpr const char* kRegistryError = "Ошибка при чтении Registry! Прервать установку?";
inline constexpr const char* kFreeSpaceError =
    "Ошибка при определении свобоного места на диске! Прервать установку?";
inline constexpr const char* kInstalledText = "Игра успешно установлена";
inline constexpr const char* kNotAbsoluteText = "Укажите полный путь к папке (он начинается с /): ";
inline constexpr const char* kCannotMakeFolderText = "Не удалось создать папку ";
inline constexpr const char* kNotInstalledText = "Игра не установлена: ";
inline constexpr const char* kEmptyArchiveText = "в архиве нет файлов";
inline constexpr const char* kNoProgramText = "в архиве нет программы ";
inline constexpr const char* kBackslashText = "Имя папки не может содержать знак \\: ";
inline constexpr const char* kCancelledText = "Установка прервана.";
inline constexpr const char* kNoShortcutsText = "Ярлыки не созданы.";

}  // namespace zarn3set
