// The server's side of a client's requests. Nothing a client sends is trusted: every field is
// read and checked before anything changes, and a request acts only on the sender's own seat,
// units and buildings.
#include <algorithm>

#include "game/base/dvga.h"
#include "game/net/netgame.h"
#include "game/net/netrequests.h"
#include "game/sound/dsnd.h"
#include "game/world/dobjects.h"

namespace zarn {

namespace {

struct TRequest {
  int seat;
  TMessageReader& r;

  // A unit or building of the sender's own.
  bool Unit(std::int32_t& u) { return r.Unit(u) && Units[u].Free == 0 && Units[u].Owner == seat; }
  bool Building(std::int32_t& b) {
    return r.Building(b) && Buildings[b].Free == 0 && Buildings[b].Owner == seat;
  }
  // Side and owner as the request names them: they must be the sender's own.
  bool OwnSideAndOwner(std::int32_t side, std::int32_t owner) const {
    return owner == seat && side == PlayerConnections[seat].Side;
  }
};

// The smallest building level an item needs, or -1 when the building does not make it.
int LevelNeeded(std::uint8_t kind, std::int32_t item) {
  switch (kind) {
    case BuildingConstructionYard:
      if (item == 18) return 1;
      if (item == 34) return 2;
      return item == 17 || (item >= 20 && item <= 34) ? 0 : -1;
    case BuildingBarracks: return item == 2 ? 1 : item == 1 ? 0 : -1;
    case BuildingAcademy: return item == 4 ? 1 : item == 3 ? 0 : -1;
    case BuildingLightFactory: return item == 6 ? 1 : item == 5 ? 0 : -1;
    case BuildingAirFactory: return item == 16 ? 1 : item == 15 ? 0 : -1;
    case BuildingHeavyFactory:
      if (item == 8) return 3;
      if (item == 9) return 2;
      if (item == 13) return 1;
      return item >= 7 && item <= 14 ? 0 : -1;
    default: return -1;
  }
}

// A building goes up only from a finished item of one of the sender's yards that `fits`.
template <typename Fits>
TBuildingRecord* FinishedYard(int seat, Fits fits) {
  const int last = LastBuildingSlot();
  for (int i = 1; i <= last; ++i) {
    TBuildingRecord& y = Buildings[i];
    if (y.Free != 0 || y.Owner != seat || y.Kind != BuildingConstructionYard) continue;
    if (y.ProductionState == ProductionIdle || static_cast<std::int32_t>(y.ProductionProgress) < y.ProductionTarget)
      continue;
    if (fits(y.Item)) return &y;
  }
  return nullptr;
}

// Slabs laid so far from each yard's finished item: a client lays a block as four single slabs,
// so one item stands for one slab or four.
std::array<std::uint8_t, MaxBuildingSlots + 1> SlabsLaid{};

std::uint8_t SlabsOfItem(std::uint8_t item) { return item == ItemSlabBlock ? 4 : 1; }

void UseUpItem(TBuildingRecord& yard) {
  yard.ProductionState = ProductionIdle;
  yard.ProductionProgress = 0;
  SlabsLaid[yard.Slot] = 0;
}

std::uint16_t UpgradePrice(std::uint8_t kind) { return kind == BuildingHeavyFactory ? 300 : 200; }

void SendSides(int seat) {
  const std::array<std::uint8_t, 8>& a = SideChooser.Available;
  SendToConnection(SeatConnection(seat), MessageText(130, {a[0] != 0, a[1] != 0, a[2] != 0, a[3] != 0,
                                                           a[4] != 0, a[5] != 0, a[6] != 0, a[7] != 0}));
}

void ChooseSide(int seat, std::int32_t side) {
  TPlayerConnection& p = PlayerConnections[seat];
  if (SideChooser.Available[static_cast<std::size_t>(side)] == 0 && p.Side != side) {
    SendSides(seat);
    return;
  }
  // A second choice gives the first side back rather than holding two.
  if (p.Side < 8) SideChooser.Available[p.Side] = 1;
  p.Side = static_cast<std::uint8_t>(side);
  SideChooser.Available[static_cast<std::size_t>(side)] = 0;
  Players[seat].Side = p.Side;
  SendToConnection(SeatConnection(seat), MessageText(131, {}));
}

void OrderProduction(int seat, std::int32_t b, std::int32_t item) {
  TBuildingRecord& rec = Buildings[b];
  const int level = LevelNeeded(rec.Kind, item);
  if (level < 0 || rec.UpgradeLevel < level) return;
  const std::uint16_t price = ItemCost(static_cast<std::uint8_t>(item));
  std::int32_t& credits = Players[seat].Credits;
  if (credits <= price) return;
  credits -= price;
  if (OrderBuildingProduction(rec, static_cast<std::uint8_t>(item), price) != 0) credits += price;
  else SlabsLaid[rec.Slot] = 0;
}

void StartUpgrade(int seat, std::int32_t b) {
  TBuildingRecord& rec = Buildings[b];
  const std::uint16_t price = UpgradePrice(rec.Kind);
  std::int32_t& credits = Players[seat].Credits;
  if (credits < price) return;
  // The world refuses a building at its level limit or with an upgrade running.
  if (StartBuildingUpgrade(rec, price) == 0) credits -= price;
}

}  // namespace

void ForgetSlabsLaid() { SlabsLaid.fill(0); }

void ServerInterpretMessage(int seat, std::string_view message) {
  if (seat < 2 || seat > MaxPlayers || !PlayerConnections[seat].Connected) return;
  TMessageReader r(message);
  std::int32_t code = 0;
  if (!r.Code(code) || code < 1 || code > 64) return;
  TRequest q{seat, r};
  NetTrace("net request %d %d %.*s", int(seat), int(code), int(message.size()), message.data());
  std::int32_t u = 0, b = 0, x = 0, y = 0, v = 0, w = 0;

  // The lobby's messages; the rest are orders, which need a game under way.
  switch (code) {
    case 1: {
      // The seat named in the message is not looked at: the line is the sender's.
      if (!r.U16(v)) return;
      SendChat(PlayerConnections[seat].Name, WithoutClosingBlank(r.Text()));
      return;
    }
    case 29:
      if (!r.Number(v, INT32_MIN, INT32_MAX) || !r.Number(w, INT32_MIN, INT32_MAX)) return;
      PlayerConnections[seat].Name = CleanWireText(r.Text().substr(0, MaxPlayerNameLength + 1));
      SendSides(seat);
      return;
    case 30:
      if (!r.Number(v, INT32_MIN, INT32_MAX) || !r.Number(w, 0, 7)) return;
      if (!NetGameStarted) ChooseSide(seat, w);
      return;
    default:
      break;
  }
  if (!NetGameStarted) return;

  switch (code) {
    case 2:
      if (q.Unit(u) && r.Tile(x, y)) MoveTo(Units[u], x, y);
      break;
    case 4:
      if (q.Unit(u) && r.Tile(x, y)) AttackAt(Units[u], x, y);
      break;
    case 6:
      if (q.Unit(u)) StopUnit(Units[u]);
      break;
    case 7: {
      std::int32_t n = 0;
      if (!r.Number(n, 1, 14)) return;
      std::array<std::int32_t, 14> list{};
      for (int i = 0; i < n; ++i)
        if (!r.Number(list[static_cast<std::size_t>(i)], 0, MaxUnitSlots)) return;
      for (int i = 0; i < n; ++i) {
        TUnitRecord& rec = Units[list[static_cast<std::size_t>(i)]];
        if (rec.Free == 0 && rec.Owner == seat) StopUnit(rec);
      }
      break;
    }
    case 8:
      if (q.Unit(u) && r.Tile(x, y)) MoveOrHarvest(Units[u], x, y);
      break;
    case 9:
      if (q.Unit(u) && r.Tile(x, y)) CarrierPickUp(Units[u], x, y);
      break;
    case 10:
      if (q.Unit(u) && r.Tile(x, y)) CarrierDeliver(Units[u], x, y);
      break;
    case 16:
      if (q.Building(b) && r.U16(v)) StartUpgrade(seat, b);
      break;
    case 32:
      if (q.Unit(u)) DestroyUnit(Units[u]);
      break;
    case 36:
      if (q.Building(b)) ToggleBuildingRepair(Buildings[b]);
      break;
    case 38:
      if (q.Building(b) && r.U16(v) && r.Number(w, 1, 35)) OrderProduction(seat, b, w);
      break;
    case 39:
      if (q.Building(b)) {
        Broadcast(139, {b});
        ToggleProductionPause(Buildings[b]);
      }
      break;
    case 44: {
      std::int32_t kind = 0, side = 0, owner = 0;
      if (!r.Number(kind, 0, BuildingKindCount - 1) || !r.Tile(x, y) || !r.Number(side, 0, 7) ||
          !r.Number(owner, 1, MaxPlayers) || !q.OwnSideAndOwner(side, owner))
        return;
      TBuildingRecord* yard = FinishedYard(seat, [kind](std::uint8_t item) {
        return kind == BuildingSlab ? item == ItemSlab || item == ItemSlabBlock : ItemBuildingKind(item) == kind;
      });
      if (yard == nullptr ||
          PlaceBuilding(x, y, static_cast<std::uint8_t>(kind), static_cast<std::uint8_t>(side),
                        static_cast<std::uint8_t>(owner)) != 0)
        return;
      // One item, one building, or its one or four slabs.
      if (kind != BuildingSlab || ++SlabsLaid[yard->Slot] >= SlabsOfItem(yard->Item)) UseUpItem(*yard);
      break;
    }
    case 45:
      if (q.Unit(u)) DeployUnit(Units[u]);
      break;
    case 46:
      if (q.Building(b) && r.Tile(x, y)) UseSpecialWeapon(Buildings[b], x, y);
      break;
    case 48:
      if (q.Unit(u)) ReturnToRefinery(Units[u]);
      break;
    case 59:
      if (!q.Building(b)) return;
      Buildings[b].ProductionState = ProductionIdle;
      SlabsLaid[static_cast<std::size_t>(b)] = 0;
      break;
    case 62:
    case 63:
      if (q.Building(b)) Buildings[b].RepeatProduction = code == 62 ? 1 : 0;
      break;
    case 64: {
      std::int32_t owner = 0, side = 0;
      if (!r.Tile(x, y) || !r.Number(owner, 1, MaxPlayers) || !r.Number(side, 0, 7) ||
          !q.OwnSideAndOwner(side, owner))
        return;
      // A whole block, from a block item that has laid nothing yet.
      TBuildingRecord* yard = FinishedYard(seat, [](std::uint8_t item) { return item == ItemSlabBlock; });
      if (yard == nullptr || SlabsLaid[yard->Slot] != 0 ||
          PlaceSlabBlock(x, y, static_cast<std::uint8_t>(owner), static_cast<std::uint8_t>(side)) != 0)
        return;
      UseUpItem(*yard);
      break;
    }
    default:
      break;
  }
}

}  // namespace zarn
