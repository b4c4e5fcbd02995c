#include "game/menus/menus_pending.h"

#include "game/menus/menuframe.h"

namespace zarn {

void OpenFactionChoice() { OpenMenuScreen(ScreenFactionChoice); }
void OpenLoadGameMain() { OpenMenuScreen(ScreenLoadGameMain); }
void OpenNetLobby() { OpenMenuScreen(ScreenNetLobby); }
void OpenAuthors() {
  OpenMenuScreen(ScreenAuthors);
  MenuAnimFrame = 1;
}

}  // namespace zarn

// The build menus: only the screen until their topic is written.
#include "game/menus/buildmenus.h"
namespace zarn {
void OpenYardBuildMenu(std::int32_t) { OpenMenuScreen(ScreenYardBuildMenu); }
void OpenBarracksBuildMenu(std::int32_t) { OpenMenuScreen(ScreenBarracksBuildMenu); }
void OpenAcademyBuildMenu(std::int32_t) { OpenMenuScreen(ScreenAcademyBuildMenu); }
void OpenLightFactoryBuildMenu(std::int32_t) { OpenMenuScreen(ScreenLightFactoryBuildMenu); }
void OpenAirFactoryBuildMenu(std::int32_t) { OpenMenuScreen(ScreenAirFactoryBuildMenu); }
void OpenHeavyFactoryBuildMenu(std::int32_t) { OpenMenuScreen(ScreenHeavyFactoryBuildMenu); }
}  // namespace zarn
