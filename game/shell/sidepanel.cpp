#include "game/shell/sidepanel.h"

#include "game/base/dvga.h"
#include "game/world/dobjects.h"

namespace zarn {

void DrawPanelBase() {
  RestorePanel();
  RecolorRect(152, 159, 19, 4, MenuButtonIdle == 0 ? -2 : 0, ViewState.LocalSide);
}

}  // namespace zarn
