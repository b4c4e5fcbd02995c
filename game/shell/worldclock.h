// The world clock: what each event of the world timer does on each screen, the order in which
// one world step visits the world, and the network steps of the server and the clients.
// The timer itself belongs to the main window: it reads WorldTimerInterval and calls
// WorldTimerStep; the interface timer (53 ms) calls InterfaceTimerStep.
#pragma once

#include <cstdint>

#include "game/base/records.h"
#include "game/net/netgame.h"
#include "game/world/worldstep.h"

namespace zarn {

inline constexpr std::int32_t ClockTickMs = 53;

// Interval of the world timer in ms, set by ApplyGameSpeed.
inline std::int32_t WorldTimerInterval = ClockTickMs;

// Advances the four menu animation counters.
void StepMenuAnimCounters();

// The menu list boxes whose arrows repeat while the button is held.
enum class MenuList : std::uint8_t { Files, Checks, Topics, Short };
void MenuListMouseRepeat(MenuList list, std::int32_t x, std::int32_t y);

// Everything the clock calls below it, so that a test can record the visits.
struct TWorldClockCalls {
  void (*WormTick)(TWormRecord&);
  void (*UpdateUnit)(TUnitRecord&);
  void (*BuildingTick)(TBuildingRecord&);
  void (*UpdateShot)(TShotRecord&);
  void (*UpdateBuildingShot)(TShotRecord&);
  void (*PlayerTick)(TPlayerRecord&);
  void (*CheckMissionGoal)(TMissionRecord&);
  void (*StartNetGame)();
  void (*ServerSnapshots)();
  void (*StepMenuAnimCounters)();
  void (*MenuListMouseRepeat)(MenuList, std::int32_t, std::int32_t);
};

inline constexpr TWorldClockCalls DefaultWorldClockCalls{
    &WormTick,         &UpdateUnit,           &BuildingTick,       &UpdateShot,
    &UpdateBuildingShot, &PlayerTick,         &CheckMissionGoal,   &StartNetGame,
    &ServerSnapshots,  &StepMenuAnimCounters, &MenuListMouseRepeat,
};

inline TWorldClockCalls WorldClockCalls = DefaultWorldClockCalls;

// World timer interval := (18 - GameSpeed) x 53 ms.
void ApplyGameSpeed();

// One world-timer event.
void WorldTimerStep();
// One interface-timer event: TickCount + 1, on every screen.
void InterfaceTimerStep();

// Single play: worms, units, buildings (t & 3 = 3), shots, players (t & 31 = 31), goal.
void LocalWorldTick();
// Network: the server's step and snapshots, or the client's step.
void NetWorldTick();
void ServerWorldStep();
void ClientWorldStep();

}  // namespace zarn
