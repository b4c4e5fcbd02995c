#include "game/world/ferries.h"

#include <algorithm>
#include <cstdlib>

#include "game/base/cp1251.h"
#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/maps.h"
#include "game/base/rules.h"
#include "game/world/buildings.h"
#include "game/world/computer.h"
#include "game/world/harvesting.h"
#include "game/world/messages.h"
#include "game/world/orders.h"
#include "game/world/ossinfields.h"
#include "game/world/placement.h"
#include "game/world/players.h"
#include "game/world/palaceweapons.h"
#include "game/world/units.h"

namespace zarn {

namespace {

TUnitRecord& DeliveryCarrier() { return Units[DeliveryCarrierSlot]; }

// Slot 0 still holds this player's carrier (and not another player's next delivery).
bool OwnDeliveryCarrier(const TPlayerRecord& p) {
  const TUnitRecord& c = DeliveryCarrier();
  return c.Free == 0 && c.Kind == UnitCarrier && c.Owner == PlayerNumberOf(p);
}

bool WithinOneTile(const TUnitRecord& u, std::int32_t x, std::int32_t y) {
  return std::labs(static_cast<long>(u.X) - x) <= 1 && std::labs(static_cast<long>(u.Y) - y) <= 1;
}

bool OwnLiveOfKind(const TPlayerRecord& p, std::int32_t slot, std::uint8_t kind) {
  return IsOwnLiveUnit(p, slot) && Units[slot].Kind == kind;
}

// The delivery carrier keeps the anchor of the refinery it flies to in its return fields (a
// carrier has no use for them), so that a refinery rebuilt in the same slot elsewhere is not
// taken for the one it set out for.
void NoteRefineryAnchor(TUnitRecord& carrier, const TBuildingRecord& r) {
  carrier.ReturnX = static_cast<std::int16_t>(r.X);
  carrier.ReturnY = static_cast<std::int16_t>(r.Y);
}

// The refinery the replacement was meant for, or nullptr when it is gone: slot freed, or taken
// by another building, owner or place.
TBuildingRecord* ReplacementRefinery(const TPlayerRecord& p) {
  const std::int32_t slot = p.ReplacementRefinery;
  if (slot < 1 || slot > MaxBuildingSlots) return nullptr;
  TBuildingRecord& r = Buildings[slot];
  const TUnitRecord& c = DeliveryCarrier();
  if (r.Free != 0 || r.Kind != BuildingRefinery || r.Owner != PlayerNumberOf(p) || r.X != c.ReturnX ||
      r.Y != c.ReturnY)
    return nullptr;
  return &r;
}

void RemoveAndAnnounce(TUnitRecord& u, std::int32_t slot) {
  RemoveUnit(u);
  NetRemoveUnitProc(slot);
}

// An idle carrier that lost its way to (x, y) is sent again. True when it is there.
bool ArrivedOrResent(TUnitRecord& c, std::int32_t x, std::int32_t y) {
  if (WithinOneTile(c, x, y)) return true;
  if (c.State == StateIdle || c.State == StateStop) MoveTo(c, x, y);
  return false;
}

// One ferry's fields in the player record.
struct TFerry {
  std::uint8_t& PickUp;
  std::uint8_t& Delivery;
  std::int32_t& Carrier;
  std::int32_t& Harvester;
  bool OtherBusy;
  std::int32_t OtherCarrier;
};

TFerry Outward(TPlayerRecord& p) {
  return {p.OutwardFerryPickUp, p.OutwardFerryDelivery, p.OutwardCarrier, p.OutwardHarvester,
          p.HomewardFerryPickUp != 0 || p.HomewardFerryDelivery != 0, p.HomewardCarrier};
}

TFerry Homeward(TPlayerRecord& p) {
  return {p.HomewardFerryPickUp, p.HomewardFerryDelivery, p.HomewardCarrier, p.HomewardHarvester,
          p.OutwardFerryPickUp != 0 || p.OutwardFerryDelivery != 0, p.OutwardCarrier};
}

std::uint8_t StartFerry(TPlayerRecord& p, TFerry f, std::int32_t harvester) {
  if (f.PickUp != 0 || f.Delivery != 0 || !OwnLiveOfKind(p, harvester, UnitHarvester)) return 0;
  const std::uint8_t n = PlayerNumberOf(p);
  const int last = LastUnitSlot();
  // Slot 0 is the delivery carrier, never a ferry.
  for (int i = 1; i <= last; ++i) {
    TUnitRecord& c = Units[i];
    if (c.Free != 0 || c.Kind != UnitCarrier || c.OffMap != 0 || c.Owner != n || c.CargoCount != 0 ||
        c.State != StateIdle || (f.OtherBusy && f.OtherCarrier == i))
      continue;
    const TUnitRecord& h = Units[harvester];
    if (CarrierPickUp(c, h.X, h.Y) != OrderTaken) return 0;
    f.Carrier = i;
    f.Harvester = harvester;
    f.PickUp = 1;
    return 1;
  }
  if (n != LocalPlayer) OrderUnitForPlayer(p, UnitCarrier);
  return 0;
}

// Both ends of the errand still exist and belong to the player; the carrier rests.
bool FerryReady(const TPlayerRecord& p, std::uint8_t& phase, const TFerry& f) {
  if (!OwnLiveOfKind(p, f.Carrier, UnitCarrier) || !OwnLiveOfKind(p, f.Harvester, UnitHarvester)) {
    phase = 0;
    return false;
  }
  return Units[f.Carrier].MovePhase == 0;
}

void PickUpTick(TPlayerRecord& p, TFerry f) {
  if (f.PickUp == 0 || !FerryReady(p, f.PickUp, f)) return;
  TUnitRecord& c = Units[f.Carrier];
  const TUnitRecord& h = Units[f.Harvester];
  if (c.CargoCount != 0) {
    std::int32_t x = h.DestX, y = h.DestY;
    if (!GameMap.Inside(x, y)) {
      x = h.TargetX;
      y = h.TargetY;
    }
    CarrierDeliver(c, x, y);
    f.PickUp = 0;
    f.Delivery = 1;
  } else {
    CarrierPickUp(c, h.X, h.Y);
  }
}

// True when the harvester is down again and the phase ended.
bool DeliveryTick(TPlayerRecord& p, TFerry f) {
  if (f.Delivery == 0 || !FerryReady(p, f.Delivery, f)) return false;
  TUnitRecord& c = Units[f.Carrier];
  if (c.CargoCount == 1) {
    CarrierDeliver(c, c.TargetX, c.TargetY);
    return false;
  }
  f.Delivery = 0;
  return true;
}

}  // namespace

void ReplaceHarvester(TPlayerRecord& p) {
  if (p.ReplacementReady != 1 || p.CarrierHome != 1 || DeliveryCarrier().Free != 1) return;
  const std::uint8_t n = PlayerNumberOf(p);
  const int lastUnit = LastUnitSlot();
  for (int i = 1; i <= lastUnit; ++i)
    if (Units[i].Free == 0 && Units[i].Owner == n && Units[i].Kind == UnitHarvester) return;
  TBuildingRecord* refinery = nullptr;
  const int lastBuilding = LastBuildingSlot();
  for (int i = 1; i <= lastBuilding && refinery == nullptr; ++i) {
    TBuildingRecord& b = Buildings[i];
    if (b.Free == 0 && b.Owner == n && b.Kind == BuildingRefinery) refinery = &b;
  }
  if (refinery == nullptr) return;

  p.ReplacementReady = 0;
  const std::uint16_t h = CreateUnitAt(1, 1, UnitHarvester, 0, refinery->Side, n);
  if (h == 0) {
    p.ReplacementReady = 1;
    return;
  }
  AddSaturating(p.UnitsMade, -1);
  TUnitRecord& harvester = Units[h];
  StopCarrier(harvester);
  harvester.Load = 5;
  p.ReplacementHarvester = h;
  p.ReplacementRefinery = refinery->Slot;

  std::int32_t cx = 1, cy = 1;
  NearestMapCorner(refinery->X, refinery->Y, cx, cy);
  p.DeliveryX = cx;
  p.DeliveryY = cy;
  TUnitRecord& c = DeliveryCarrier();
  InitUnit(c, cx, cy, DeliveryCarrierSlot, refinery->Side, n, UnitCarrier);
  AddSaturating(p.UnitsMade, -1);
  // The harvester is aboard for real: a carrier that goes down takes it along.
  c.CargoCount = 1;
  c.Cargo[1] = h;
  NoteRefineryAnchor(c, *refinery);
  NetBroadcastReplaceHarvesterProc();
  MoveTo(c, refinery->X + 2, refinery->Y + 1);
}

void DeliverReplacementHarvester(TPlayerRecord& p) {
  if (p.ReplacementReady == 1) return;
  TUnitRecord& c = DeliveryCarrier();
  const std::int32_t h = p.ReplacementHarvester;
  const bool harvesterAboard = OwnLiveOfKind(p, h, UnitHarvester) && Units[h].OffMap == 1;
  if (!OwnDeliveryCarrier(p)) {
    // The carrier is gone: whatever it carried goes with it, and a new one may be sent.
    if (harvesterAboard) RemoveAndAnnounce(Units[h], h);
    p.ReplacementReady = 1;
    p.CarrierHome = 1;
    return;
  }
  if (c.MovePhase != 0) return;
  if (!ArrivedOrResent(c, c.ReturnX + 2, c.ReturnY + 1)) return;

  TBuildingRecord* r = ReplacementRefinery(p);
  if (r == nullptr || !harvesterAboard) {
    // Nothing to deliver to: the harvester is dropped and the carrier flies home empty.
    if (harvesterAboard) RemoveAndAnnounce(Units[h], h);
    c.CargoCount = 0;
    NetBroadcast165Proc();
  } else {
    std::int32_t ex = 0, ey = 0;
    if (FindExitTile(r->X, r->Y, r->FootprintClass, r->Owner, UnitHarvester, ex, ey) != 0) return;
    TUnitRecord& harvester = Units[h];
    UnloadAt(harvester, ex, ey);
    std::uint16_t cell = 0;
    std::int32_t fx = 0, fy = 0;
    if (FindNearestOssinField(r->X, r->Y, GameMap.Width, cell, fy, fx) == 0) {
      harvester.ReturnX = static_cast<std::int16_t>(fx);
      harvester.ReturnY = static_cast<std::int16_t>(fy);
    }
    CheckStorageFull(*r, h);
    AddUnitMade(p);
    c.CargoCount = 0;
    NetBroadcast165Proc();
  }
  MoveTo(c, p.DeliveryX, p.DeliveryY);
  p.ReplacementReady = 1;
  p.CarrierHome = 0;
}

void RecallDeliveryCarrier(TPlayerRecord& p) {
  if (p.CarrierHome == 1) return;
  TUnitRecord& c = DeliveryCarrier();
  if (!OwnDeliveryCarrier(p)) {
    p.CarrierHome = 1;
    return;
  }
  if (c.MovePhase != 0 || !ArrivedOrResent(c, p.DeliveryX, p.DeliveryY)) return;
  RemoveAndAnnounce(c, DeliveryCarrierSlot);
  p.ReplacementReady = 1;
  p.CarrierHome = 1;
}

std::uint8_t FerryHarvesterOut(TPlayerRecord& p, std::int32_t harvester) {
  return StartFerry(p, Outward(p), harvester);
}

std::uint8_t FerryHarvesterHome(TPlayerRecord& p, std::int32_t harvester) {
  return StartFerry(p, Homeward(p), harvester);
}

void OutwardFerryPickUpTick(TPlayerRecord& p) { PickUpTick(p, Outward(p)); }

void OutwardFerryDeliveryTick(TPlayerRecord& p) {
  const TFerry f = Outward(p);
  if (DeliveryTick(p, f)) {
    TUnitRecord& h = Units[f.Harvester];
    MoveOrHarvest(h, h.X, h.Y);
  }
}

void HomewardFerryPickUpTick(TPlayerRecord& p) { PickUpTick(p, Homeward(p)); }

void HomewardFerryDeliveryTick(TPlayerRecord& p) {
  const TFerry f = Homeward(p);
  if (!DeliveryTick(p, f)) return;
  TUnitRecord& h = Units[f.Harvester];
  const std::uint8_t n = PlayerNumberOf(p);
  if (n != LocalPlayer) {
    ReturnToRefinery(h);
  } else if (p.Credits >= StorageCapacity(n) && p.ReplacementReady == 1) {
    ShowMessageLine(InFontCodePage("Постройте силос"_cp1251));
  } else {
    ReturnToRefinery(h);
  }
}

}  // namespace zarn
