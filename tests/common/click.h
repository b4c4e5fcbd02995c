// A press as the click procedures see it: the pointer moved to (x, y), then the procedure run.
#pragma once

#include "game/base/globals.h"

inline void ClickAt(int x, int y, void (*click)()) {
  zarn::MouseX = x;
  zarn::MouseY = y;
  click();
}
