// The build menus of the six production buildings (screens 1 to 6), each opened with the slot of
// the building whose menu it is.
#pragma once

#include <cstdint>

#include "game/base/widgets.h"

namespace zarn {

void OpenYardBuildMenu(std::int32_t building);
void OpenBarracksBuildMenu(std::int32_t building);
void OpenAcademyBuildMenu(std::int32_t building);
void OpenLightFactoryBuildMenu(std::int32_t building);
void OpenAirFactoryBuildMenu(std::int32_t building);
void OpenHeavyFactoryBuildMenu(std::int32_t building);

void YardBuildMenuClick();
void BarracksBuildMenuClick();
void AcademyBuildMenuClick();
void LightFactoryBuildMenuClick();
void AirFactoryBuildMenuClick();
void HeavyFactoryBuildMenuClick();

void YardBuildMenuDraw();
void BarracksBuildMenuDraw();
void AcademyBuildMenuDraw();
void LightFactoryBuildMenuDraw();
void AirFactoryBuildMenuDraw();
void HeavyFactoryBuildMenuDraw();

// The TickCount before which the yard and heavy factory lists do not step again.
inline std::int32_t BuildListRepeatTick = 0;
// The open menu's repeat-production check box and the value it shows.
inline TCheckWidget RepeatCheckBox{};
inline bool RepeatProductionShown = false;
// Whether the left button is held now; the shell points it at its pointer state.
inline bool (*BuildMenuButtonHeld)() = [] { return false; };

// The minimum upgrade level of the open menu's building that object kind `kind` needs there
// (0 when any level will do).
int BuildMenuLevelNeeded(int screen, std::uint8_t kind);

}  // namespace zarn
