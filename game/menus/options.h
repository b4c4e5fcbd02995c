// The options screen (11): game speed, volume, scrolling pause and seven switches, edited on a
// copy of the settings that only the accept button puts in force.
#pragma once

#include <array>

#include "game/base/dvga.h"
#include "game/menus/menuframe.h"

namespace zarn {

// The working copy every widget of the screen points into.
inline TGameOptions GameOptionsBackup{};
inline std::array<TCheckWidget, 7> OptionChecks{};
inline std::array<TTrackWidget, 3> OptionBars{};

inline constexpr std::array<MenuButtonRect, 2> OptionsButtons{{
    {33, 175, 106, 191},
    {211, 175, 287, 191},
}};
inline constexpr MenuButtonRect OptionsBox{33, 175, 287, 191};

void OpenOptions();
void OptionsClick();
void OptionsDraw();

}  // namespace zarn
