// The three fonts of the demo data set, loaded as the start-up loads them (the current folder
// must be the game folder). True when all three loaded.
#pragma once

#include <cstdint>
#include <vector>

#include "game/base/fonts.h"

namespace testfonts {

inline bool LoadDemoFonts(std::vector<std::uint8_t> (&buffers)[3]) {
  zarn::ResetFonts();
  zarn::MainFont = zarn::LoadFont("data\\latrus3.fnt", buffers[0]);
  zarn::SecondFont = zarn::LoadFont("data\\zarnrus.fnt", buffers[1]);
  zarn::ThirdFont = zarn::LoadFont("data\\year2000.fnt", buffers[2]);
  return zarn::MainFont != 0 && zarn::SecondFont != 0 && zarn::ThirdFont != 0;
}

}  // namespace testfonts
