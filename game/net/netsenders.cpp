// The server's broadcasts behind the world's network hooks, the client's requests behind the
// others, and chat.
#include "game/base/dvga.h"
#include "game/net/netgame.h"
#include "game/net/netrequests.h"
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
  if (connection >= 0) SendToConnection(connection, MessageText(141, {}, CleanWireText(text)));
}

// The world names the player by the connection it remembers for the seat; only a seated
// client's connection is one (the server's own seat holds a placeholder).
void NetSendToPlayer166(std::int32_t connection) {
  if (!IsServer()) return;
  for (int seat = 2; seat <= MaxPlayers; ++seat)
    if (SeatConnection(seat) == connection) SendToConnection(connection, MessageText(166, {}));
}

void SendChatHook(std::string_view text) { SendChat(GameOptions.PlayerName, text); }

// A hook whose fields go on the wire as they come: "[Code f1 f2 ... ]" to every client.
template <int Code, typename... Fields>
void Relay(void (*&hook)(Fields...)) {
  hook = [](Fields... fields) { Broadcast(Code, {fields...}); };
}

}  // namespace

void SendChat(std::string_view playerName, std::string_view text) {
  // The line travels whole; the message line shows what fits.
  const std::string line = CleanWireText(text);
  if (NetRole == RoleServer) {
    // A name keeps the blank its client wrote after it; the line shows the name without it.
    ShowMessageLine2(std::string(WithoutClosingBlank(playerName)) + ": " + line);
    // Receivers read the name up to its first blank: only that much is sent, so that the rest
    // of a name never runs into the text.
    const std::string name = CleanWireText(ChatName(playerName));
    if (BroadcastEnabled) BroadcastToClients(MessageText(101, {}, name + " " + line));
  } else if (NetRole == RoleClient) {
    SendToServer(MessageText(1, {LocalPlayer}, line));
  }
}

void FillNetHooks() {
  Relay<139>(NetBroadcastPauseProductionProc);
  NetEruptBloomProc = NetEruptBloom;
  NetCrushUnitProc = NetCrushUnit;
  NetRemoveUnitProc = NetRemoveUnit;
  NetRemoveBuildingProc = NetRemoveBuilding;
  NetInitOssinFieldProc = NetInitOssinField;
  NetSendTextToPlayerProc = NetSendTextToPlayer;
  NetSendToPlayer166Proc = NetSendToPlayer166;
  SendChatProc = SendChatHook;

  Relay<164>(NetBroadcastReplaceHarvesterProc);
  Relay<165>(NetBroadcast165Proc);
  Relay<120>(NetBroadcastStopCarrierProc);
  Relay<124>(NetBroadcastUpgradeDoneProc);
  Relay<126>(NetBroadcastRefineryUnloadProc);
  Relay<137>(NetBroadcastRepairStopProc);
  Relay<140>(NetBroadcastProductionDoneProc);
  Relay<150>(NetBroadcastWormSurfaceProc);
  Relay<151>(NetBroadcast151Proc);
  Relay<117>(NetBroadcastDamageUnitProc);
  Relay<134>(NetBroadcastDamageBuildingProc);
  Relay<119>(NetBroadcastUnloadAtProc);
  Relay<123>(NetBroadcastUpgradeProgressProc);
  Relay<128>(NetBroadcastFireAtProc);
  Relay<133>(NetBroadcastTurretFireProc);
  Relay<138>(NetBroadcastProductionStepProc);
  Relay<115>(NetBroadcast115Proc);
  Relay<121>(NetBroadcastHarvestStepProc);
  Relay<127>(NetBroadcastFieldHarvestProc);
  Relay<125>(NetBroadcastStorageFullProc);
  Relay<118>(NetBroadcastSplashDamageProc);
  Relay<136>(NetBroadcastRepairStepProc);
  Relay<147>(NetBroadcastPowerPlantProc);
  Relay<152>(NetBroadcastDamageWormProc);
  // These three take their fields in another order than the wire.
  NetBroadcastCreateWormProc = [](std::int32_t x, std::int32_t y, std::int32_t w) {
    Broadcast(155, {w, x, y});
  };
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
