#include "game/menus/loadsave.h"

#include <exception>
#include <filesystem>

#include "game/base/dvga.h"
#include "game/menus/gamemenu.h"
#include "game/menus/mainmenu.h"
#include "game/menus/menulists.h"
#include "game/sound/dsnd.h"
#include "game/world/dobjects.h"
#include "game/world/filenotices.h"

namespace zarn {

namespace {

constexpr std::array<std::string_view, 2> LoadPictures{"buttload.img", "butback2.img"};
constexpr std::array<std::string_view, 3> SavePictures{"buttsave.img", "buttdel.img", "butback2.img"};
constexpr std::string_view NotDeletedText = " не удалён"_cp1251;

void OpenFileList(std::uint8_t screen) {
  OpenMenuScreen(screen);
  ListBoxCreate(FileListBox, 33, 52, true);
  ListSaveGames();
}

// Loads the selected saved game; true when the game now runs it. A failure has been shown and
// the running game is as it was.
bool LoadSelected() {
  if (!HasSelectedItem(FileListBox)) return false;
  const std::string name = SelectedItem(FileListBox) + ".sav";
  try {
    if (!LoadGame(name)) return false;
  } catch (const std::exception&) {
    TellFileProblem(SaveFileText, name, DamagedText);
    return false;
  }
  ListBoxFree(FileListBox);
  ResetLastViewPos();
  SetUnitSlotsForPlayers(Mission.PlayerCount);
  SetBuildingSlotsForPlayers(Mission.PlayerCount);
  ResumeLoadedGame();
  return true;
}

void LeaveLoadGame() {
  GameScreen = ScreenGameMenu;
  ListBoxFree(FileListBox);
}

void LeaveLoadGameMain() {
  ListBoxFree(FileListBox);
  OpenMainMenu();
}

void LoadScreenClick(void (*back)()) {
  switch (ClickedButton(LoadGameButtons)) {
    case 1:
      PlayButtonSound();
      LoadSelected();
      return;
    case 2:
      PlayButtonSound();
      back();
      return;
    default:
      OfferClickToList(FileListBox, ClickX(), ClickY());
      return;
  }
}

void LoadScreenDblClick() {
  if (OfferClickToList(FileListBox, ClickX(), ClickY()) == ListPickedItem) LoadSelected();
}

void LoadScreenDraw(void (*escape)()) {
  if (!BeginMenuFrame(escape)) return;
  if (LastKey == KeyEnter && LoadSelected()) return;
  DrawMenuBackground();
  DrawScreenTitle("loadgame.img", 12, MenuSide());
  DrawButtonPictures(LoadGameButtons, LoadPictures);
  ListBoxDraw(FileListBox, ClickX(), ClickY());
  DrawHoverHighlight(LoadGameButtons, MenuSide());
  EndMenuFrame();
}

// Saves under the typed name; true when saved and play goes on.
bool SaveTyped() {
  const std::string& text = EditBox1.Text;
  if (text.empty() || !CheckTypedFileName(text)) return false;
  try {
    if (!SaveGame(text + ".sav")) return false;
  } catch (const std::exception&) {
    TellFileProblem(SaveFileText, text + ".sav", NotWrittenText);
    return false;
  }
  GameScreen = ScreenPlay;
  ListBoxFree(FileListBox);
  PlayNextTrack();
  return true;
}

void DeleteSelected() {
  if (!HasSelectedItem(FileListBox)) return;
  const std::string name = SelectedItem(FileListBox) + ".sav";
  std::error_code ec;
  if (!IsPlainFileName(name) || !std::filesystem::remove(NativePath("save\\" + name), ec) || ec)
    TellFileProblem(SaveFileText, name, NotDeletedText);
  ListSaveGames();
}

void LeaveSaveGame() {
  GameScreen = ScreenGameMenu;
  ListBoxFree(FileListBox);
}

}  // namespace

// --- Save (8) --------------------------------------------------------------------------------

void OpenSaveGame() {
  OpenMenuScreen(ScreenSaveGame);
  EditLineCreate(EditBox1, 33, 32);
  ListBoxCreate(FileListBox, 33, 52, true);
  ListSaveGames();
  // The newest save first: Enter at once overwrites it.
  if (FileListBox.Count() > 0) EditLineSetText(EditBox1, FileListBox.Items.front());
}

void SaveGameClick() {
  switch (ClickedButton(SaveGameButtons)) {
    case 1:
      PlayButtonSound();
      SaveTyped();
      return;
    case 2:
      PlayButtonSound();
      DeleteSelected();
      return;
    case 3:
      PlayButtonSound();
      ListBoxFree(FileListBox);
      OpenGameMenu();
      return;
    default:
      break;
  }
  EditLineMouseDown(EditBox1, ClickX(), ClickY());
  // Picking a saved game puts its name in the edit line: saving then overwrites it.
  if (OfferClickToList(FileListBox, ClickX(), ClickY()) == ListPickedItem)
    EditLineSetText(EditBox1, SelectedItem(FileListBox));
}

void SaveGameDblClick() {
  if (OfferClickToList(FileListBox, ClickX(), ClickY()) != ListPickedItem) return;
  EditLineSetText(EditBox1, SelectedItem(FileListBox));
  SaveTyped();
}

void SaveGameDraw() {
  if (!BeginMenuFrame(LeaveSaveGame)) return;
  if (LastKey == KeyEnter && SaveTyped()) return;
  DrawMenuBackground();
  DrawScreenTitle("savegame.img", 12, MenuSide());
  DrawButtonPictures(SaveGameButtons, SavePictures);
  EditLineDraw(EditBox1);
  ListBoxDraw(FileListBox, ClickX(), ClickY());
  DrawHoverHighlight(SaveGameButtons, MenuSide());
  EndMenuFrame();
}

// --- Load (9 and 10) -------------------------------------------------------------------------

void OpenLoadGame() { OpenFileList(ScreenLoadGame); }
void LoadGameClick() { LoadScreenClick(+[] { ListBoxFree(FileListBox); OpenGameMenu(); }); }
void LoadGameDblClick() { LoadScreenDblClick(); }
void LoadGameDraw() { LoadScreenDraw(LeaveLoadGame); }

void OpenLoadGameMain() { OpenFileList(ScreenLoadGameMain); }
void LoadGameMainClick() { LoadScreenClick(LeaveLoadGameMain); }
void LoadGameMainDblClick() { LoadScreenDblClick(); }
void LoadGameMainDraw() { LoadScreenDraw(LeaveLoadGameMain); }

}  // namespace zarn
