#include "game/world/computer.h"

#include <algorithm>

#include "game/base/globals.h"
#include "game/base/maps.h"
#include "game/base/random.h"
#include "game/base/rules.h"
#include "game/world/alarms.h"
#include "game/world/buildings.h"
#include "game/world/ferries.h"
#include "game/world/orders.h"
#include "game/world/ossinfields.h"
#include "game/world/players.h"
#include "game/world/tileindex.h"
#include "game/world/units.h"

namespace zarn {

namespace {

bool Available(std::uint8_t unitKind) { return Mission.Available[unitKind + 1] != 0; }

bool OwnsLiveBuilding(std::uint8_t player, std::uint8_t kind) {
  for (const int i : LiveBuildingSlots())
    if (Buildings[i].Free == 0 && Buildings[i].Owner == player && Buildings[i].Kind == kind) return true;
  return false;
}

int CountLiveOfKind(std::uint8_t player, std::uint8_t unitKind) {
  return CountLiveUnits(player, unitKind, LastUnitSlot());
}

// Room for one more unit under the cap and the player's share of the slots.
bool RoomToProduce(std::uint8_t player) {
  const std::int32_t next = CountUnitsOfPlayer(player) + 1;
  return next < UnitCapOfPlayer(player) && next < UnitShareOfPlayer();
}

int FirstFreeRosterEntry(const TPlayerRecord& p, int from) {
  for (int i = from; i <= 96; ++i)
    if (p.Roster[i].Free != 0) return i;
  return 0;
}

bool Ordered(TPlayerRecord& p, std::uint8_t unitKind, std::uint8_t buildingKind) {
  return Available(unitKind) && OrderUnitAtBuilding(p, unitKind, buildingKind) == 0;
}

// The side's own heavy unit, made only with a research centre.
int SideUnit(std::uint8_t side) {
  switch (side) {
    case 0: return UnitGromador;
    case 1: return UnitTremolanTank;
    case 2: return UnitPerwolan;
    default: return -1;
  }
}

void ThinkTimer(TPlayerRecord& p) {
  if (WorldTickCount < p.NextThink) return;
  p.NextThink = WorldTickCount + p.ThinkPeriod;
  ReviewProduction(p);
}

}  // namespace

void ComputerPlayerThink(TPlayerRecord& p) {
  if (PlayerNumberOf(p) != LocalPlayer) {
    ProduceHarvesters(p);
    ThinkTimer(p);
    BloomErrandTick(p);
    DefenceTick(p);
    if (WorldTickCount >= p.NextAttack && p.WaveActive == 0) LaunchAttackWave(p);
    if (p.WaveActive != 0) AttackWaveTick(p);
  }
  OutwardFerryPickUpTick(p);
  OutwardFerryDeliveryTick(p);
  HomewardFerryPickUpTick(p);
  HomewardFerryDeliveryTick(p);
}

void ReviewProduction(TPlayerRecord& p) {
  if (!RoomToProduce(PlayerNumberOf(p))) return;
  const int first = FirstFreeRosterEntry(p, 1);
  if (first == 0) return;
  ChooseProduction(p);
  if (FirstFreeRosterEntry(p, first + 1) != 0) ChooseProduction(p);
}

void ChooseProduction(TPlayerRecord& p) {
  if (Ordered(p, UnitSkeltrel, BuildingAirFactory)) return;

  // At most three candidates count: with the side unit in, the light tank is never chosen.
  int candidates[3];
  int count = 0;
  const int sideUnit = SideUnit(p.Side);
  if (sideUnit >= 0 && OwnsLiveBuilding(PlayerNumberOf(p), BuildingResearchCentre) &&
      Available(static_cast<std::uint8_t>(sideUnit)))
    candidates[count++] = sideUnit;
  for (const std::uint8_t k : {UnitRocketLauncher, UnitSiegeTank, UnitLightTank})
    if (count < 3 && Available(k)) candidates[count++] = k;
  if (count > 0 &&
      OrderUnitAtBuilding(p, static_cast<std::uint8_t>(candidates[Random(count)]), BuildingHeavyFactory) == 0)
    return;

  if (Ordered(p, UnitQuad, BuildingLightFactory)) return;
  if ((p.Side == 1 || p.Side == 2) && Ordered(p, UnitTrike, BuildingLightFactory)) return;
  if (Ordered(p, UnitHeavySquad, BuildingAcademy)) return;
  if (Ordered(p, UnitHeavyTrooper, BuildingAcademy)) return;
  if (p.Credits < WarChestCredits && Available(UnitInfantrySquad))
    OrderUnitAtBuilding(p, UnitInfantrySquad, BuildingBarracks);
}

std::uint8_t OrderUnitAtBuilding(TPlayerRecord& p, std::uint8_t unitKind, std::uint8_t buildingKind) {
  if (unitKind >= UnitKindCount) return 1;
  const std::uint8_t n = PlayerNumberOf(p);
  for (const int i : LiveBuildingSlots()) {
    TBuildingRecord& b = Buildings[i];
    if (b.Free != 0 || b.Kind != buildingKind || b.Owner != n || b.ProductionState == ProductionRunning) continue;
    const std::uint8_t item = UnitKindToItem(unitKind);
    const std::uint16_t price = ItemCost(item);
    if (p.Credits < price) return 1;
    p.Credits -= price;
    if (OrderBuildingProduction(b, item, price) != 0) {
      p.Credits += price;  // a refused order costs nothing
      return 1;
    }
    return 0;
  }
  return 1;
}

std::uint8_t OrderUnitForPlayer(TPlayerRecord& p, std::uint8_t unitKind) {
  if (!RoomToProduce(PlayerNumberOf(p))) return 1;
  std::uint8_t building = 0;
  if (unitKind <= UnitInfantrySquad) building = BuildingBarracks;
  else if (unitKind <= UnitHeavySquad) building = BuildingAcademy;
  else if (unitKind <= UnitQuad) building = BuildingLightFactory;
  else if (unitKind <= UnitGromador || unitKind == UnitPerwolan) building = BuildingHeavyFactory;
  else if (unitKind == UnitCarrier || unitKind == UnitSkeltrel) building = BuildingAirFactory;
  else return 1;  // construction vehicles and unknown kinds
  return OrderUnitAtBuilding(p, unitKind, building);
}

void ProduceHarvesters(TPlayerRecord& p) {
  const std::uint8_t n = PlayerNumberOf(p);
  int refineries = 0;
  for (const int i : LiveBuildingSlots())
    if (Buildings[i].Free == 0 && Buildings[i].Owner == n && Buildings[i].Kind == BuildingRefinery) ++refineries;
  if (refineries == 0) return;
  const int wanted = refineries == 1 ? 2 : 2 * refineries - 1;
  if (CountLiveOfKind(n, UnitHarvester) < wanted && p.Credits >= ItemCost(UnitKindToItem(UnitHarvester)))
    OrderUnitForPlayer(p, UnitHarvester);

  const bool ferryBusy = p.OutwardFerryPickUp != 0 || p.OutwardFerryDelivery != 0;
  // The lowest slot of the idle ones goes.
  const int last = LastUnitSlot();
  int first = 0;
  ForEachHarvesterOf(n, [&](int i) {
    if (i < 1 || i > last || (first != 0 && i > first)) return;
    const TUnitRecord& u = Units[i];
    if (u.Free != 0 || u.Owner != n || u.Kind != UnitHarvester || u.OffMap != 0 || u.State != StateIdle) return;
    if (u.Load >= u.Capacity || (ferryBusy && p.OutwardHarvester == i)) return;
    first = i;
  });
  if (first != 0) SendHarvesterToField(p, first);
}

void SendHarvesterToField(TPlayerRecord& p, std::int32_t harvester) {
  if (harvester < 1 || harvester > MaxUnitSlots) return;
  TUnitRecord& h = Units[harvester];
  if (h.Free != 0 || h.Kind != UnitHarvester) return;
  const std::int32_t radius = std::min<std::int32_t>(GameMap.Width, GameMap.Height);
  std::uint16_t cell = 0;
  std::int32_t x = 0, y = 0;
  if (FindNearestOssinField(h.X, h.Y, radius, cell, y, x) == 0)
    MoveOrHarvest(h, x, y);
  else
    ShootNearestBloom(p);
}

void ShootNearestBloom(TPlayerRecord& p) {
  if (p.BloomErrand != 0) return;
  int entry = 0;
  for (int i = 1; i <= 96 && entry == 0; ++i) {
    TPlayerListEntry& e = p.Roster[i];
    if (e.Busy != 0 || !EntryHoldsOwnUnit(p, e)) continue;
    const TUnitRecord& u = Units[e.Unit];
    if (u.State == StateIdle && u.OffMap == 0 && u.Kind != UnitPerwolan) entry = i;
  }
  if (entry == 0) return;
  TUnitRecord& shooter = Units[p.Roster[entry].Unit];
  double best = 255;
  int bloom = 0;
  for (int i = 1; i <= BloomSlots; ++i) {
    const TOssinBloomRecord& b = OssinBlooms[i];
    if (b.Removed != 0) continue;
    const double d = TileDistance(b.X, b.Y, shooter.X, shooter.Y);
    if (d < best) {
      best = d;
      bloom = i;
    }
  }
  if (bloom == 0) return;
  p.Roster[entry].Busy = 1;
  AttackAt(shooter, OssinBlooms[bloom].X, OssinBlooms[bloom].Y);
  p.BloomErrand = 1;
  p.BloomErrandEntry = entry;
}

void BloomErrandTick(TPlayerRecord& p) {
  if (p.BloomErrand == 0) return;
  if (p.BloomErrandEntry < 1 || p.BloomErrandEntry > 96) {
    p.BloomErrand = 0;
    return;
  }
  TPlayerListEntry& e = p.Roster[p.BloomErrandEntry];
  if (!EntryHoldsOwnUnit(p, e)) {  // the shooter died or changed hands
    p.BloomErrand = 0;
    return;
  }
  TUnitRecord& u = Units[e.Unit];
  if (u.State != StateIdle) return;
  SendToGatheringTile(p, u);
  e.Busy = 0;
  p.BloomErrand = 0;
}

}  // namespace zarn
