// The build menus of the six production buildings (screens 1 to 6), each opened with the slot of
// the building whose menu it is.
#pragma once

#include <cstdint>

namespace zarn {

void OpenYardBuildMenu(std::int32_t building);
void OpenBarracksBuildMenu(std::int32_t building);
void OpenAcademyBuildMenu(std::int32_t building);
void OpenLightFactoryBuildMenu(std::int32_t building);
void OpenAirFactoryBuildMenu(std::int32_t building);
void OpenHeavyFactoryBuildMenu(std::int32_t building);

}  // namespace zarn
