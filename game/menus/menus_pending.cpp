#include "game/menus/menus_pending.h"

#include "game/menus/menuframe.h"

namespace zarn {

void OpenFactionChoice() { OpenMenuScreen(ScreenFactionChoice); }
void OpenLoadGameMain() { OpenMenuScreen(ScreenLoadGameMain); }
void OpenNetLobby() { OpenMenuScreen(ScreenNetLobby); }
void OpenMapEditorMenu() { OpenMenuScreen(ScreenMapEditorMenu); }
void OpenAuthors() {
  OpenMenuScreen(ScreenAuthors);
  MenuAnimFrame = 1;
}

}  // namespace zarn

