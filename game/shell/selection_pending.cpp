// Until the selection topic is written: nothing is ever selected.
#include "game/shell/selection.h"

namespace zarn {

void ClearSelection() {}
void CheckSelection() {}
void TrackSelectionBox() {}

}  // namespace zarn
