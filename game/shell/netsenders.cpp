// The server's broadcasts behind the world's network hooks, the client's requests behind the
// others, and chat.
#include "game/base/dvga.h"
#include "game/shell/netgame.h"
#include "game/shell/netrequests.h"
#include "game/sound/dsnd.h"
#include "game/world/dobjects.h"

namespace zarn {

namespace {

bool IsServer() { return NetRole == RoleServer; }

template <typename TableT>
bool InTable(const TableT& table, std::int32_t slot) {
  return slot >= TableT::Low && slot < TableT::Low + static_cast<std::int32_t>(table.size());
}

// The five actions that the server performs itself after telling the clients.
void NetEruptBloom(std::int32_t bloom) {
  Broadcast(112, {bloom});
  if (IsServer() && InTable(OssinBlooms, bloom)) EruptBloom(OssinBlooms[bloom]);
}
void NetCrushUnit(std::int32_t unit) {
  Broadcast(113, {unit});
  if (IsServer() && InTable(Units, unit)) CrushUnit(Units[unit]);
}
void NetRemoveUnit(std::int32_t unit) {
  Broadcast(111, {unit});
  if (IsServer() && InTable(Units, unit)) RemoveUnit(Units[unit]);
}
void NetRemoveBuilding(std::int32_t building) {
  Broadcast(145, {building});
  if (IsServer() && InTable(Buildings, building)) RemoveBuilding(Buildings[building]);
}
void NetInitOssinField(std::int32_t field, std::int32_t x, std::int32_t y, std::int32_t amount) {
  Broadcast(114, {field, x, y, amount});
  if (!IsServer() || !InTable(OssinFields, field)) return;
  InitOssinField(OssinFields[field], x, y);
  if (amount > 0) OssinFields[field].Amount = amount;
}

void NetSendTextToPlayer(std::int32_t player, std::string_view text) {
  if (!IsServer()) return;
  const std::int32_t connection = SeatConnection(player);
  if (connection >= 0) SendToConnection(connection, MessageText(141, {}, CleanWireText(text, 255)));
}

// The world names the player by the connection it remembers for the seat; only a seated
// client's connection is one (the server's own seat holds a placeholder).
void NetSendToPlayer166(std::int32_t connection) {
  if (!IsServer()) return;
  for (int seat = 2; seat <= MaxPlayers; ++seat)
    if (SeatConnection(seat) == connection) SendToConnection(connection, MessageText(166, {}));
}

void SendChatHook(std::string_view text) { SendChat(GameOptions.PlayerName, text); }

}  // namespace

void SendChat(std::string_view playerName, std::string_view text) {
  const std::string line = CleanWireText(text, MaxChatLength);
  if (NetRole == RoleServer) {
    // The name travels as the first field, which ends at a space.
    std::string name = CleanWireText(playerName, MaxPlayerNameLength);
    for (char& c : name)
      if (c == ' ') c = '_';
    ShowMessageLine2(name + ": " + line);
    if (BroadcastEnabled) BroadcastToClients("[101 " + name + " " + line + "]");
  } else if (NetRole == RoleClient) {
    SendToServer(MessageText(1, {LocalPlayer}, line));
  }
}

void FillNetHooks() {
  NetBroadcastPauseProductionProc = [](std::int32_t building) { Broadcast(139, {building}); };
  NetEruptBloomProc = NetEruptBloom;
  NetCrushUnitProc = NetCrushUnit;
  NetRemoveUnitProc = NetRemoveUnit;
  NetRemoveBuildingProc = NetRemoveBuilding;
  NetInitOssinFieldProc = NetInitOssinField;
  NetSendTextToPlayerProc = NetSendTextToPlayer;
  NetSendToPlayer166Proc = NetSendToPlayer166;
  SendChatProc = SendChatHook;

  NetBroadcastReplaceHarvesterProc = [] { Broadcast(164, {}); };
  NetBroadcast165Proc = [] { Broadcast(165, {}); };
  NetBroadcastStopCarrierProc = [](std::int32_t u) { Broadcast(120, {u}); };
  NetBroadcastUpgradeDoneProc = [](std::int32_t b) { Broadcast(124, {b}); };
  NetBroadcastRefineryUnloadProc = [](std::int32_t b) { Broadcast(126, {b}); };
  NetBroadcastRepairStopProc = [](std::int32_t b) { Broadcast(137, {b}); };
  NetBroadcastProductionDoneProc = [](std::int32_t b) { Broadcast(140, {b}); };
  NetBroadcastWormSurfaceProc = [](std::int32_t w) { Broadcast(150, {w}); };
  NetBroadcast151Proc = [](std::int32_t w) { Broadcast(151, {w}); };
  NetBroadcastDamageUnitProc = [](std::int32_t u, std::int32_t d, std::int32_t a, std::int32_t c) {
    Broadcast(117, {u, d, a, c});
  };
  NetBroadcastDamageBuildingProc = [](std::int32_t b, std::int32_t d, std::int32_t a,
                                      std::int32_t c) { Broadcast(134, {b, d, a, c}); };
  NetBroadcastUnloadAtProc = [](std::int32_t u, std::int32_t x, std::int32_t y) {
    Broadcast(119, {u, x, y});
  };
  NetBroadcastUpgradeProgressProc = [](std::int32_t b, std::int32_t p, std::int32_t t) {
    Broadcast(123, {b, p, t});
  };
  NetBroadcastFireAtProc = [](std::int32_t u, std::int32_t x, std::int32_t y) {
    Broadcast(128, {u, x, y});
  };
  NetBroadcastTurretFireProc = [](std::int32_t b, std::int32_t x, std::int32_t y) {
    Broadcast(133, {b, x, y});
  };
  NetBroadcastProductionStepProc = [](std::int32_t b, std::int32_t p, std::int32_t t) {
    Broadcast(138, {b, p, t});
  };
  NetBroadcastCreateWormProc = [](std::int32_t x, std::int32_t y, std::int32_t w) {
    Broadcast(155, {w, x, y});
  };
  NetBroadcast115Proc = [](std::int32_t k, std::int32_t x, std::int32_t y) {
    Broadcast(115, {k, x, y});
  };
  NetBroadcastHarvestStepProc = [](std::int32_t u, std::int32_t load) { Broadcast(121, {u, load}); };
  NetBroadcastFieldHarvestProc = [](std::int32_t f, std::int32_t a) { Broadcast(127, {f, a}); };
  NetBroadcastStorageFullProc = [](std::int32_t r, std::int32_t h) { Broadcast(125, {r, h}); };
  NetBroadcastSplashDamageProc = [](std::int32_t u, std::int32_t d) { Broadcast(118, {u, d}); };
  NetBroadcastRepairStepProc = [](std::int32_t b, std::int32_t h) { Broadcast(136, {b, h}); };
  NetBroadcastPowerPlantProc = [](std::int32_t b, std::int32_t v) { Broadcast(147, {b, v}); };
  NetBroadcastDamageWormProc = [](std::int32_t w, std::int32_t d) { Broadcast(152, {w, d}); };
  NetBroadcastInitUnitProc = [](std::int32_t x, std::int32_t y, std::int32_t slot, std::int32_t side,
                                std::int32_t owner, std::int32_t kind) {
    Broadcast(142, {slot, x, y, side, owner, kind});
  };
  NetBroadcastInitBuildingProc = [](std::int32_t x, std::int32_t y, std::int32_t slot,
                                    std::int32_t kind, std::int32_t owner, std::int32_t side) {
    Broadcast(144, {slot, x, y, side, owner, kind});
  };

  NetToggleRepairProc = NetToggleRepair;
  NetOrderProductionProc = NetOrderProduction;
  NetPlaceBuildingProc = NetPlaceBuilding;
  NetDeployUnitProc = NetDeployUnit;
  NetUseSpecialWeaponProc = NetUseSpecialWeapon;
  NetReturnToRefineryProc = NetReturnToRefinery;
  NetRequestBuildMenu62Proc = NetRequestBuildMenu62;
  NetRequestBuildMenu63Proc = NetRequestBuildMenu63;
  NetRequest16Proc = NetRequest16;
  NetRequest64Proc = NetRequest64;
}

}  // namespace zarn
