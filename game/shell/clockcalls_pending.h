// Routines that the world clock calls and that other topics build: the network game start and
// the server's snapshots, the menus' animation counters, and the list boxes' auto-repeat. Each
// has an empty body here until its topic's file takes it over.
#pragma once

#include <cstdint>

namespace zarn {

// Starts a network game on the server once every seat is filled (sets NetGameStarted).
void StartNetGame();
// The server's per-step snapshots to the clients.
void ServerSnapshots();
// Advances the four menu animation counters.
void StepMenuAnimCounters();

// The menu list boxes whose arrows repeat while the button is held.
enum class MenuList : std::uint8_t { Files, Checks, Topics, Short };
void MenuListMouseRepeat(MenuList list, std::int32_t x, std::int32_t y);

}  // namespace zarn
