// Network input: any byte stream from a client, framed and interpreted by the server, changes
// nothing of other players; any stream from the server is taken by a client without a crash.
// The first byte picks the side; the rest is the stream, fed in pieces.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "game/net/netgame.h"
#include "game/world/dobjects.h"

namespace {

using namespace zarn;

void Setup(std::uint8_t role) {
  static const bool once = [] {
    SetMapSizeAndClear(64, 64);
    for (int y = 1; y <= 32; ++y)
      for (int x = 1; x <= 32; ++x) GameMap.Cell(x, y) = 4 << 5;
    return true;
  }();
  (void)once;
  KillAllUnits();
  DestroyAllBuildings();
  RemoveAllWorms();
  RemoveAllBlooms();
  ClearOssinFields();
  ResetPlayerRecords();
  NetTeardown();
  UnitSlots = 200;
  BuildingSlots = 200;
  NetRole = role;
  NetGameStarted = 1;
  LocalPlayer = role == RoleServer ? 1 : 3;
  for (int seat = 1; seat <= 3; ++seat) {
    PlayerConnections[seat].Connected = 1;
    PlayerConnections[seat].Side = static_cast<std::uint8_t>(seat - 1);
    InitPlayerRecord(Players[seat], static_cast<std::uint8_t>(seat), static_cast<std::uint8_t>(seat - 1), 1000);
  }
  InitUnit(Units[5], 10, 10, 5, 1, 2, UnitLightTank);
  InitUnit(Units[7], 12, 10, 7, 1, 2, UnitHarvester);
  InitUnit(Units[8], 14, 10, 8, 1, 2, UnitConstructionVehicle);
  InitUnit(Units[6], 50, 50, 6, 2, 3, UnitLightTank);
  InitBuilding(Buildings[7], 20, 20, BuildingConstructionYard, 2, 1, 7);
  InitBuilding(Buildings[8], 24, 20, BuildingHeavyFactory, 2, 1, 8);
  InitBuilding(Buildings[9], 50, 40, BuildingHeavyFactory, 3, 2, 9);
  Buildings[7].ProductionState = ProductionRunning;
  Buildings[7].Item = 20;
  Buildings[7].ProductionTarget = 10;
  Buildings[7].ProductionProgress = 10;
}

template <typename T>
std::vector<std::uint8_t> Bytes(const T& rec) {
  std::vector<std::uint8_t> out(sizeof(T));
  std::memcpy(out.data(), &rec, sizeof(T));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool server = (data[0] & 1) == 0;
  Setup(server ? RoleServer : RoleClient);
  const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto unit6 = Bytes(Units[6]);
  const auto building9 = Bytes(Buildings[9]);
  const auto player1 = Bytes(Players[1]);
  const auto player3 = Bytes(Players[3]);

  // Pieces of varying size, as reads arrive.
  TMessageFramer framer;
  std::size_t at = 0, piece = 1 + (data[0] >> 1);
  while (at < stream.size()) {
    const std::string_view part = stream.substr(at, piece);
    at += part.size();
    piece = piece * 3 % 97 + 1;
    if (server)
      framer.Feed(part, [](std::string_view m) { ServerInterpretMessage(2, m); });
    else
      framer.Feed(part, [](std::string_view m) { ClientInterpretMessage(m); });
    if (framer.Buffered() > 2 * MaxMessageBytes) __builtin_trap();
  }
  if (server) {
    if (Bytes(Units[6]) != unit6 || Bytes(Buildings[9]) != building9) __builtin_trap();
    if (Bytes(Players[1]) != player1 || Bytes(Players[3]) != player3) __builtin_trap();
    if (PlayerConnections[2].Name.size() > MaxPlayerNameLength + 1) __builtin_trap();
  }
  return 0;
}
