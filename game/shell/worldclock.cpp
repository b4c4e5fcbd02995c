#include "game/shell/worldclock.h"

#include <algorithm>

#include "game/base/archive.h"
#include "game/base/globals.h"
#include "game/base/listbox.h"
#include "game/base/options.h"
#include "game/base/widgets.h"

namespace zarn {

namespace {

void StepWorms() {
  for (int i = 1; i <= WormSlots; ++i)
    if (Worms[i].Removed == 0) WorldClockCalls.WormTick(Worms[i]);
}

void StepUnits() {
  ForEachPlacedUnit(LastUnitSlot(), [](int i) { WorldClockCalls.UpdateUnit(Units[i]); });
}

void StepBuildings() {
  // Every slot in order; a free slot's tick does nothing, so only the live ones are visited.
  ForEachLiveBuilding([](int i) { WorldClockCalls.BuildingTick(Buildings[i]); });
}

void StepShots() {
  // Every slot in order; a shot not in flight does nothing, so only those in flight are visited.
  for (int i = 1; i <= ShotSlots; ++i)
    if (UnitShots[i].Active != 0) WorldClockCalls.UpdateShot(UnitShots[i]);
  for (int i = 1; i <= ShotSlots; ++i)
    if (BuildingShots[i].Active != 0) WorldClockCalls.UpdateBuildingShot(BuildingShots[i]);
}

void StepPlayers(int first, int last) {
  first = std::max(first, 1);
  last = std::min(last, MaxPlayers);
  for (int p = first; p <= last; ++p) WorldClockCalls.PlayerTick(Players[p]);
}

void NetworkStep() {
  ++WorldTickCount;
  NetWorldTick();
}

// The play screen's event.
void PlayScreenStep() {
  if (NetRole == RoleSingle) {
    ++WorldTickCount;
    LocalWorldTick();
    return;
  }
  if (NetRole == RoleServer && !NetGameStarted) AdmitWaitingConnections();
  if (NetRole == RoleServer && !NetGameStarted && CountUsedPlayerSlots() >= GameOptions.Partners)
    WorldClockCalls.StartNetGame();
  if (NetGameStarted) NetworkStep();
}

}  // namespace

void ApplyGameSpeed() {
  // A speed of 18 or more from the settings file would give an interval of 0 or less, and a
  // timer that never fires freezes the world: hold it to the slowest..fastest real steps.
  const std::int32_t speed = std::clamp<std::int32_t>(GameOptions.GameSpeed, 0, 17);
  WorldTimerInterval = (18 - speed) * ClockTickMs;
}

void WorldTimerStep() {
  WorldClockCalls.StepMenuAnimCounters();
  const int screen = GameScreen;
  switch (screen) {
    case 0:
      PlayScreenStep();
      break;
    case 1: case 2: case 3: case 4: case 5: case 6:
      // Build menus. A single-player world stands still; a started network server keeps its
      // world at the timer's pace, never at the rate frames are drawn.
      if (NetRole == RoleServer && NetGameStarted) NetworkStep();
      break;
    case 8: case 9: case 10: case 12: case 13: case 22: case 26: case 27: case 30: case 33:
    case 34: case 36:
      WorldClockCalls.MenuListMouseRepeat(MenuList::Files, MouseX, MouseY);
      break;
    case 31:
      WorldClockCalls.MenuListMouseRepeat(MenuList::Checks, MouseX, MouseY);
      break;
    case 39:
      WorldClockCalls.MenuListMouseRepeat(MenuList::Topics, MouseX, MouseY);
      break;
    case 40:
      WorldClockCalls.MenuListMouseRepeat(MenuList::Short, MouseX, MouseY);
      break;
    default:
      break;
  }
}

void InterfaceTimerStep() { ++TickCount; }

void LocalWorldTick() {
  const std::int32_t t = WorldTickCount;
  StepWorms();
  StepUnits();
  if ((t & 3) == 3) StepBuildings();
  StepShots();
  if ((t & 31) == 31) StepPlayers(LocalPlayer, Mission.PlayerCount);
  WorldClockCalls.CheckMissionGoal(Mission);
  CheckTileIndex();
}

void NetWorldTick() {
  if (NetRole == RoleServer) {
    ServerWorldStep();
    WorldClockCalls.ServerSnapshots();
  } else {
    ClientWorldStep();
  }
}

void ServerWorldStep() {
  const std::int32_t t = WorldTickCount;
  if (GameOptions.CrowEnable) StepWorms();
  StepUnits();
  if ((t & 3) == 3) StepBuildings();
  StepShots();
  // Every seat, every 4th tick; a network game has no mission goal.
  if ((t & 3) == 3) StepPlayers(1, MaxPlayers);
  CheckTileIndex();
}

void ClientWorldStep() {
  StepShots();
  CheckTileIndex();
}

void StepMenuAnimCounters() {
  for (TAnimCounter& counter : AnimCounters) AnimCounterStep(counter);
}

void MenuListMouseRepeat(MenuList list, std::int32_t x, std::int32_t y) {
  switch (list) {
    case MenuList::Files: ListBoxMouseRepeat(FileListBox, x, y); break;
    case MenuList::Checks: ListBoxMouseRepeat(CheckList, x, y); break;
    case MenuList::Topics: ListBoxMouseRepeat(TopicList, x, y); break;
    case MenuList::Short: ListBoxMouseRepeat(ShortList, x, y); break;
  }
}

}  // namespace zarn
