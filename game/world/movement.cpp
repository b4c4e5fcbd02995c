// The per-tick behaviour of a unit: a converted unit may change back, the state machine of its
// kind carries out its order (orders act only between steps, when the unit stands on its
// tile), then the step advance and the automatic target choice run for every unit.
#include "game/world/movement.h"

#include <algorithm>

#include "game/base/globals.h"
#include "game/base/maps.h"
#include "game/base/mapview.h"
#include "game/base/rules.h"
#include "game/world/buildings.h"
#include "game/world/harvesting.h"
#include "game/world/ferries.h"
#include "game/world/orders.h"
#include "game/world/passability.h"
#include "game/world/shots.h"
#include "game/world/targets.h"
#include "game/world/tileindex.h"
#include "game/world/units.h"
#include "game/world/players.h"

namespace zarn {

namespace {

bool Settled(const TUnitRecord& u) { return u.StepProgress >= StepProgressOnTile; }

// The state every machine shares: a stopped unit becomes idle once it stands on its tile.
void SettleStop(TUnitRecord& u) {
  if (!Settled(u)) return;
  u.State = StateIdle;
  u.MovePhase = 0;
  u.NextTurnTick = WorldTickCount;
}

void EndConversion(TUnitRecord& u) {
  if (u.NotConverted != 0 || u.ConversionExpiry > WorldTickCount) return;
  u.Side = u.FormerSide;
  u.Owner = u.FormerOwner;
  UnitTilesChanged(u);  // the harvesters are listed by owner
  u.State = StateStop;
  u.NotConverted = 1;
  if (NetRole == RoleSingle && u.Owner != LocalPlayer && IsPlayer(u.Owner))
    RegisterComputerUnit(Players[u.Owner], u.Slot);
}

// A harvester with a long trip (or none) asks its player for a carrier. Only single play has
// ferries. 1 when a carrier was sent.
std::uint8_t AskForFerry(TUnitRecord& u) {
  if (u.Kind != UnitHarvester || NetRole != RoleSingle || !IsPlayer(u.Owner)) return 0;
  if (u.State == StateReturn) return FerryHarvesterHome(Players[u.Owner], u.Slot);
  if (u.State == StateHarvest) return FerryHarvesterOut(Players[u.Owner], u.Slot);
  return 0;
}

// Starts the step stored last in the path. A step that can no longer be entered is not taken:
// the path is dropped and planned again at the next settled tick.
void TakeNextStep(TUnitRecord& u) {
  if (u.PathLength > PathSteps) u.PathLength = PathSteps;
  if (u.PathLength == 0) return;
  const TPathStep e = u.Path[u.PathLength];
  if (CanEnter(u.Kind, u.Owner, e.X, u.Slot, e.Y) != 1) {
    u.PathLength = 0;
    return;
  }
  u.NextX = static_cast<std::int16_t>(e.X);
  u.NextY = static_cast<std::int16_t>(e.Y);
  UnitTilesChanged(u);
  u.Facing = e.Facing;
  --u.PathLength;
  u.StepProgress = 0;
  u.MovePhase = 2;
  u.NextTurnTick = WorldTickCount;
  if (u.Kind >= UnitTrike && u.Kind <= UnitPerwolan) AddGroundMark(u.X, u.Y, u.Facing);
}

bool InRange(const TUnitRecord& u, std::int32_t tx, std::int32_t ty) {
  return u.X - u.Range <= tx && tx <= u.X + u.Range && u.Y - u.Range <= ty && ty <= u.Y + u.Range;
}

bool StandsOn(const TUnitRecord& u, std::int32_t x, std::int32_t y) { return u.X == x && u.Y == y; }

void FaceToward(TUnitRecord& u, std::int32_t x, std::int32_t y) {
  if (!StandsOn(u, x, y)) u.Facing = FacingToward(u.X, u.Y, x, y);
}

// In range: face the target and report 0.
std::uint8_t Engage(TUnitRecord& u, std::int32_t tx, std::int32_t ty) {
  FaceToward(u, tx, ty);
  return 0;
}

// Heads for the target point (TargetX, TargetY), or the nearest enterable tile around it.
void HeadForTargetPoint(TUnitRecord& u) {
  std::int32_t x = u.TargetX, y = u.TargetY;
  FaceToward(u, x, y);
  if (CanEnter(u.Kind, u.Owner, x, u.Slot, y) != 1) NearestEnterableInBlock(u, x, y);
  u.DestX = static_cast<std::uint16_t>(x);
  u.DestY = static_cast<std::uint16_t>(y);
  u.PathLength = 0;
  MoveStep(u);
}

// Out of range of a moving target: keep to a path toward where it stands, or plan one.
std::uint8_t Pursue(TUnitRecord& u, std::int32_t tx, std::int32_t ty, bool keepPath) {
  if (InRange(u, tx, ty)) return Engage(u, tx, ty);
  if (keepPath && u.PathLength > 0 && u.TargetX == tx && u.TargetY == ty) {
    MoveStep(u);
    return 1;
  }
  SetTarget(u, tx, ty);
  HeadForTargetPoint(u);
  return 1;
}

std::uint8_t Hold(TUnitRecord& u, std::int32_t tx, std::int32_t ty) {
  if (InRange(u, tx, ty)) return Engage(u, tx, ty);
  StopUnit(u);
  return 1;
}

bool ValidSlot(std::int32_t slot, std::int32_t first, std::int32_t last) { return slot >= first && slot <= last; }

// The tile to fire at, by target class. False when the class names nothing.
bool FiringTile(const TUnitRecord& u, std::int32_t& x, std::int32_t& y) {
  const std::int32_t slot = u.TargetSlot;
  switch (u.TargetClass) {
    case TargetUnit:
      x = Units[slot].X;
      y = Units[slot].Y;
      return true;
    case TargetBuilding:
      x = u.TargetX;
      y = u.TargetY;
      return true;
    case TargetWorm:
      x = Worms[slot].X;
      y = Worms[slot].Y;
      return true;
    case TargetBloom:
      x = OssinBlooms[slot].X;
      y = OssinBlooms[slot].Y;
      return true;
    default:
      return false;
  }
}

}  // namespace

// ---- The unit step ----

void UpdateUnit(TUnitRecord& u) {
  if (u.OffMap == 1) return;
  EndConversion(u);
  if (u.Kind == UnitHarvester) UpdateHarvester(u);
  else if (u.Kind == UnitCarrier) UpdateCarrier(u);
  else UpdateCombatUnit(u);
  OnTileEntered(u);
  AutoTarget(u);
}

void UpdateCombatUnit(TUnitRecord& u) {
  switch (u.State) {
    case StateStop:
      SettleStop(u);
      break;
    case StateAttack:
      if (!Settled(u)) break;
      if (AttackTargetGone(u)) StopUnit(u);
      else AttackStep(u);
      break;
    case StateMove:
      if (Settled(u)) MoveStep(u);
      break;
    default:
      break;
  }
}

void UpdateHarvester(TUnitRecord& u) {
  switch (u.State) {
    case StateStop:
      SettleStop(u);
      break;
    case StateMove:
      if (Settled(u)) MoveStep(u);
      break;
    case StateReturn:
      if (Settled(u)) ReturnStep(u);
      break;
    case StateHarvest:
      if (Settled(u)) HarvestStep(u);
      break;
    case StateIdle:
      // A computer player's full harvester goes home by itself.
      if (u.Owner != LocalPlayer && u.Load >= u.Capacity) ReturnToRefinery(u);
      break;
    default:
      break;
  }
}

void UpdateCarrier(TUnitRecord& u) {
  switch (u.State) {
    case StateStop:
      SettleStop(u);
      break;
    case StateMove:
      if (Settled(u)) MoveStep(u);
      break;
    case StatePickUp:
      if (Settled(u)) CarrierPickUpStep(u);
      break;
    case StateDeliver:
      if (Settled(u)) CarrierDeliverStep(u);
      break;
    default:
      break;
  }
}

// ---- Moving ----

void MoveStep(TUnitRecord& u) {
  const int limit = RouteSearchLimit();
  if (!Settled(u)) return;
  if (u.X == u.DestX && u.Y == u.DestY) {
    if (u.State == StateMove) u.State = StateIdle;
    u.MovePhase = 0;
    return;
  }
  if (u.PathLength > 0 && PathStillClear(u)) {
    TakeNextStep(u);
    return;
  }
  if (CanEnter(u.Kind, u.Owner, u.DestX, u.Slot, u.DestY) != 1) {
    if (u.DestY == 0) u.DestY = 1;
    if (u.DestY > GameMap.Height) u.DestY = GameMap.Height;
    int x = u.DestX, y = u.DestY;
    FindTileBehind(u.Kind, u.Owner, u.Facing, u.Slot, x, y, u.X, u.Y);
    u.DestX = static_cast<std::uint16_t>(x);
    u.DestY = static_cast<std::uint16_t>(y);
  }
  const int routeLength = PlanPath(u, limit);
  if (u.PathLength == 0) {
    AskForFerry(u);
    StopUnit(u);
    return;
  }
  // A harvester with a long way to go waits for a carrier when one comes; otherwise it walks.
  if (routeLength > FerryRouteLength && u.Kind == UnitHarvester && AskForFerry(u) == 1) {
    StopUnit(u);
    return;
  }
  TakeNextStep(u);
}

// ---- Attacking ----

bool AttackTargetGone(const TUnitRecord& u) {
  const std::int32_t slot = u.TargetSlot;
  switch (u.TargetClass) {
    case TargetUnit:
      return !ValidSlot(slot, 1, MaxUnitSlots) || Units[slot].Free != 0 || Units[slot].OffMap == 1;
    case TargetBuilding:
      return !ValidSlot(slot, 1, MaxBuildingSlots) || Buildings[slot].Free != 0;
    case TargetWorm:
      return !ValidSlot(slot, 1, WormSlots) || Worms[slot].Removed != 0;
    case TargetBloom:
      return !ValidSlot(slot, 1, BloomSlots) || OssinBlooms[slot].Removed != 0;
    default:
      // A class that names no table (a damaged saved game) has nothing to attack.
      return true;
  }
}

std::uint8_t PursueUnitTarget(TUnitRecord& u) {
  const TUnitRecord& t = Units[u.TargetSlot];
  return Pursue(u, t.X, t.Y, true);
}

std::uint8_t PursueWormTarget(TUnitRecord& u) {
  const TWormRecord& w = Worms[u.TargetSlot];
  return Pursue(u, w.X, w.Y, false);
}

std::uint8_t PursueBloomTarget(TUnitRecord& u) {
  const TOssinBloomRecord& b = OssinBlooms[u.TargetSlot];
  return Pursue(u, b.X, b.Y, false);
}

std::uint8_t HoldOnUnitTarget(TUnitRecord& u) {
  const TUnitRecord& t = Units[u.TargetSlot];
  return Hold(u, t.X, t.Y);
}

std::uint8_t HoldOnWormTarget(TUnitRecord& u) {
  const TWormRecord& w = Worms[u.TargetSlot];
  return Hold(u, w.X, w.Y);
}

std::uint8_t ApproachBuildingTarget(TUnitRecord& u) {
  std::int32_t tx = 0, ty = 0;
  NearestFootprintTile(Buildings[u.TargetSlot], u.X, u.Y, tx, ty);
  if (InRange(u, tx, ty)) return Engage(u, tx, ty);
  if (u.PathLength == 0) {
    u.TargetX = static_cast<std::uint16_t>(tx);
    u.TargetY = static_cast<std::uint16_t>(ty);
    HeadForTargetPoint(u);
    return 1;
  }
  MoveStep(u);
  return 1;
}

void AttackStep(TUnitRecord& u) {
  if (AttackTargetGone(u)) return;  // the slot is read below
  std::uint8_t approaching = 0;
  if (u.FreeTargeting == 0) {
    switch (u.TargetClass) {
      case TargetUnit: approaching = PursueUnitTarget(u); break;
      case TargetBuilding: approaching = ApproachBuildingTarget(u); break;
      case TargetWorm: approaching = PursueWormTarget(u); break;
      case TargetBloom: approaching = PursueBloomTarget(u); break;
      default: break;
    }
  } else {
    switch (u.TargetClass) {
      case TargetUnit: approaching = HoldOnUnitTarget(u); break;
      case TargetBuilding: approaching = ApproachBuildingTarget(u); break;
      case TargetWorm: approaching = HoldOnWormTarget(u); break;
      default: break;  // a bloom is shot at from where the unit stands
    }
  }
  if (approaching == 1) return;
  if (u.TurretFacing != u.Facing) return;
  std::int32_t x = 0, y = 0;
  if (FiringTile(u, x, y)) FireAt(u, x, y);
  // The Perwolan fires once per attack order.
  if (u.Kind == UnitPerwolan) u.State = StateStop;
}

}  // namespace zarn
