// Routines that the world clock calls and that network play builds: the network game start and
// the server's snapshots. Each has an empty body here until network play takes it over.
#pragma once

#include <cstdint>
#include <string_view>

namespace zarn {

// Starts a network game on the server once every seat is filled (sets NetGameStarted).
void StartNetGame();
// The server's per-step snapshots to the clients.
void ServerSnapshots();

}  // namespace zarn

namespace zarn {
// The client's connection to the server; nothing is sent until network play takes it over.
void SendToServer(std::string_view text);
}  // namespace zarn
