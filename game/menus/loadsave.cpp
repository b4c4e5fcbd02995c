#include "game/menus/loadsave.h"

#include <exception>

#include "game/base/dvga.h"
#include "game/menus/gamemenu.h"
#include "game/menus/mainmenu.h"
#include "game/menus/menulists.h"
#include "game/sound/dsnd.h"
#include "game/world/dobjects.h"
#include "game/world/filenotices.h"

namespace zarn {

namespace {

// Loads the selected saved game and plays it. A failure has been shown and the running game is
// as it was; the screen stays.
void LoadChosenGame() {
  std::string chosen;
  if (!FileListChoice(chosen)) return;
  const std::string name = chosen + ".sav";
  try {
    if (!LoadGame(name)) return;
  } catch (const std::exception&) {
    TellFileProblem(SaveFileText, name, DamagedText);
    return;
  }
  EndNetGameProc();
  ListBoxFree(FileListBox);
  ResetLastViewPos();
  SetUnitSlotsForPlayers(Mission.PlayerCount);
  SetBuildingSlotsForPlayers(Mission.PlayerCount);
  ResumeLoadedGame();
}

// Saves under the typed name and plays on; a name that cannot be used, or a save that cannot
// be written, is shown and the screen stays.
void SaveTypedGame() {
  const std::string& text = EditBox1.Text;
  if (!CheckTypedFileName(text)) return;
  try {
    if (!SaveGame(text + ".sav")) return;
  } catch (const std::exception&) {
    TellFileProblem(SaveFileText, text + ".sav", NotWrittenText);
    return;
  }
  GameScreen = ScreenPlay;
  ListBoxFree(FileListBox);
  PlayNextTrack();
}

void DeleteChosenGame() { DeleteChosenFile(SaveFileText, "save\\", ".sav", ListSaveGames); }

}  // namespace

// --- Save (8) --------------------------------------------------------------------------------

void OpenSaveGame() { OpenFileScreen(ScreenSaveGame, FileScreenKind::Save, ListSaveGames); }
void SaveGameClick() { FileScreenClick(FileScreenKind::Save, SaveTypedGame, OpenGameMenu, DeleteChosenGame); }
void SaveGameDblClick() { FileScreenDblClick(FileScreenKind::Save, SaveTypedGame); }
void SaveGameDraw() {
  FileScreenFrame(ScreenSaveGame, "savegame.img", FileScreenKind::Save, SaveTypedGame,
                  [] { EscapeToGameMenu(FileListBox); });
}

// --- Load (9 and 10) -------------------------------------------------------------------------

void OpenLoadGame() { OpenFileScreen(ScreenLoadGame, FileScreenKind::Load, ListSaveGames); }
void LoadGameClick() { FileScreenClick(FileScreenKind::Load, LoadChosenGame, OpenGameMenu); }
void LoadGameDblClick() { FileScreenDblClick(FileScreenKind::Load, LoadChosenGame); }
void LoadGameDraw() {
  FileScreenFrame(ScreenLoadGame, "loadgame.img", FileScreenKind::Load, LoadChosenGame,
                  [] { EscapeToGameMenu(FileListBox); });
}

void OpenLoadGameMain() { OpenFileScreen(ScreenLoadGameMain, FileScreenKind::Load, ListSaveGames); }
void LoadGameMainClick() { FileScreenClick(FileScreenKind::Load, LoadChosenGame, OpenMainMenu); }
void LoadGameMainDblClick() { FileScreenDblClick(FileScreenKind::Load, LoadChosenGame); }
void LoadGameMainDraw() {
  FileScreenFrame(ScreenLoadGameMain, "loadgame.img", FileScreenKind::Load, LoadChosenGame, [] {
    ListBoxFree(FileListBox);
    OpenMainMenu();
  });
}

}  // namespace zarn
