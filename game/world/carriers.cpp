// The carrier's two errands: flying to an own ground unit and lifting it, and flying to a drop
// point and setting its cargo down around itself, the most recently loaded unit first.
#include "game/base/globals.h"
#include "game/sound/dsnd.h"
#include "game/world/movement.h"
#include "game/world/orders.h"
#include "game/world/passability.h"

namespace zarn {

namespace {

bool WithinOneTile(const TUnitRecord& u, std::int32_t x, std::int32_t y) {
  return u.X - 1 <= x && x <= u.X + 1 && u.Y - 1 <= y && y <= u.Y + 1;
}

void FlyTo(TUnitRecord& carrier, std::int32_t x, std::int32_t y) {
  carrier.DestX = static_cast<std::uint16_t>(x);
  carrier.DestY = static_cast<std::uint16_t>(y);
  carrier.PathLength = 0;
  MoveStep(carrier);
}

// What a carrier may lift: a live ground unit on the map of its own owner, while there is
// room; a harvester fills a carrier on its own.
bool MayLift(const TUnitRecord& carrier, std::int32_t slot) {
  if (slot < 1 || slot > MaxUnitSlots || carrier.CargoCount >= CarrierCapacity) return false;
  const TUnitRecord& t = Units[slot];
  if (t.Free != 0 || t.OffMap != 0 || t.Kind >= UnitCarrier || t.Owner != carrier.Owner) return false;
  if (t.Kind == UnitHarvester && carrier.CargoCount != 0) return false;
  if (carrier.CargoCount == 1 && CargoAboard(carrier.Cargo[1]) && Units[carrier.Cargo[1]].Kind == UnitHarvester)
    return false;
  return true;
}

}  // namespace

bool CargoAboard(std::int32_t slot) {
  if (slot < 1 || slot > MaxUnitSlots) return false;
  const TUnitRecord& t = Units[slot];
  return t.Free == 0 && t.OffMap == 1 && t.Kind < UnitCarrier;
}

void CarrierPickUpStep(TUnitRecord& carrier) {
  if (carrier.MovePhase == 2) {
    MoveStep(carrier);
    return;
  }
  if (carrier.MovePhase != 0) return;
  const std::int32_t slot = carrier.TargetSlot;
  // The unit died, boarded another carrier or changed hands meanwhile: nothing to lift.
  if (!MayLift(carrier, slot)) {
    StopUnit(carrier);
    return;
  }
  TUnitRecord& t = Units[slot];
  if (WithinOneTile(carrier, t.X, t.Y)) {
    ++carrier.CargoCount;
    carrier.Cargo[carrier.CargoCount] = static_cast<std::uint16_t>(slot);
    StopCarrier(t);
    StopUnit(carrier);
    return;
  }
  FlyTo(carrier, carrier.TargetX, carrier.TargetY);
}

void ListBlockTiles(std::int32_t x, std::int32_t y, TBlockTiles& list) {
  int i = 0;
  for (std::int32_t row = y; row < y + 3; ++row)
    for (std::int32_t col = x; col < x + 3; ++col) list[i++] = TBlockTile{col, row};
}

std::uint8_t FindDropTile(const TUnitRecord& carrier, const TUnitRecord& unit, const TBlockTiles& list,
                          std::int32_t& x, std::int32_t& y) {
  for (const TBlockTile& t : list) {
    if (CanEnter(unit.Kind, carrier.Owner, t.X, unit.Slot, t.Y) == 1) {
      x = t.X;
      y = t.Y;
      return 0;
    }
  }
  return 1;
}

void CarrierDeliverStep(TUnitRecord& carrier) {
  if (carrier.MovePhase == 2) {
    MoveStep(carrier);
    return;
  }
  if (carrier.MovePhase != 0) return;
  if (!WithinOneTile(carrier, carrier.TargetX, carrier.TargetY)) {
    FlyTo(carrier, carrier.TargetX, carrier.TargetY);
    return;
  }
  TBlockTiles block;
  ListBlockTiles(carrier.X - 1, carrier.Y - 1, block);
  if (carrier.CargoCount > CarrierCapacity) carrier.CargoCount = CarrierCapacity;
  while (carrier.CargoCount > 0) {
    const std::int32_t slot = carrier.Cargo[carrier.CargoCount];
    // A unit that is no longer aboard (it died, or its slot went to a new unit) is not put
    // down again.
    if (!CargoAboard(slot)) {
      --carrier.CargoCount;
      continue;
    }
    TUnitRecord& unit = Units[slot];
    std::int32_t x = 0, y = 0;
    if (FindDropTile(carrier, unit, block, x, y) != 0) {
      FlyTo(carrier, carrier.TargetX, carrier.TargetY);
      return;
    }
    UnloadAt(unit, x, y);
    --carrier.CargoCount;
  }
  StopUnit(carrier);
  if (carrier.Owner == LocalPlayer && carrier.Deselected == 0) VoiceCarrierDrop(carrier.Side);
}

}  // namespace zarn
