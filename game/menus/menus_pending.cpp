#include "game/menus/menus_pending.h"

#include "game/menus/menuframe.h"

namespace zarn {

void OpenMapEditorMenu() { OpenMenuScreen(ScreenMapEditorMenu); }

}  // namespace zarn

