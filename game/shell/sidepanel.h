// The side panel below the map: its background with the menu button, the middle area for the
// current selection and the command column.
#pragma once

namespace zarn {

// The panel background and the menu button, tinted pressed while the pointer is on it.
void DrawPanelBase();

}  // namespace zarn
