// Scenario files: any image is either refused with the lists, the mission and the players
// untouched, or accepted and built into a world without leaving its tables or the map.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/world/dobjects.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarn;
  static const bool once = [] {
    SetMapSizeAndClear(40, 40);
    return true;
  }();
  (void)once;
  static std::vector<std::uint8_t> before;
  before = EncodeScenarioFile();
  const TPlayerRecord player1 = Players[1];
  if (ApplyScenarioFile({data, size}) != ScenarioFileResult::Ok) {
    if (EncodeScenarioFile() != before) __builtin_trap();
    if (Players[1].Credits != player1.Credits || Players[1].Side != player1.Side) __builtin_trap();
    return 0;
  }
  if (Mission.PlayerCount < 1 || Mission.PlayerCount > MaxPlayers) __builtin_trap();
  // An accepted image writes back to itself.
  if (EncodeScenarioFile().size() != size) __builtin_trap();
  BuildWorldFromScenario();
  for (const TUnitRecord& u : Units)
    if (u.Free == 0 && !GameMap.Inside(u.X, u.Y)) __builtin_trap();
  return 0;
}
