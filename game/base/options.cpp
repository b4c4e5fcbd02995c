#include "game/base/options.h"

#include "game/base/globals.h"

namespace zarn {

void SetDefaultOptions() {
  GameOptions = TGameOptions{};
  BroadcastEnabled = 0;
  NetGameStarted = 0;
  UnitSlots = DefaultUnitSlots;
  BuildingSlots = DefaultBuildingSlots;
  LocalPlayer = 1;
  DebugFlags = DefaultDebugFlags;
}

}  // namespace zarn
