// The building update: kind-specific work (power plants, refineries, animations, turrets), then
// repair, production, upgrade and the repeat order.
#include <algorithm>

#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/rules.h"
#include "game/world/buildings.h"
#include "game/world/alarms.h"
#include "game/world/harvesting.h"
#include "game/world/shots.h"
#include "game/world/turrets.h"

namespace zarn {

namespace {

// Radar dish and the refinery's lights: counts down and starts over.
void LoopingAnimation(TBuildingRecord& b) {
  if (b.NextActionTick > WorldTickCount) return;
  b.NextActionTick = WorldTickCount + b.ActionPeriod;
  if (b.AnimFrame > 0) --b.AnimFrame;
  else b.AnimFrame = b.AnimFrames;
}

// A factory's door, opened by production near its end, closes frame by frame.
void OneShotAnimation(TBuildingRecord& b) {
  if (b.AnimFrame == 0 || b.NextActionTick > WorldTickCount) return;
  b.NextActionTick = WorldTickCount + b.ActionPeriod;
  --b.AnimFrame;
}

void StopRepair(TBuildingRecord& b) {
  b.RepairOff = 1;
  if (NetRole != RoleSingle) NetBroadcastRepairStopProc(b.Slot);
}

}  // namespace

void BuildingTick(TBuildingRecord& b) {
  if (b.Free != 0 || b.Kind == BuildingSlab || b.Kind == BuildingWall) return;
  switch (b.Kind) {
    case BuildingPowerPlant:
      PowerPlantTick(b);
      break;
    case BuildingRefinery:
      RefineryUnload(b);
      if (HarvesterBoundFor(b.Slot, b.Owner) == 0) LoopingAnimation(b);
      else b.AnimFrame = 0;
      break;
    case BuildingRadar:
      LoopingAnimation(b);
      break;
    case BuildingLightFactory:
    case BuildingHeavyFactory:
    case BuildingAirFactory:
      OneShotAnimation(b);
      break;
    case BuildingGunTurret:
    case BuildingRocketTurret:
      TurretTick(b);
      break;
    default:
      break;
  }
  // An overloaded plant may have burnt itself out just now: a freed slot is neither repaired
  // (nor charged for) nor producing.
  if (b.Free != 0) return;
  RepairBuilding(b);
  AdvanceProduction(b);
  AdvanceUpgrade(b);
  AutoProduce(b);
}

void ToggleBuildingRepair(TBuildingRecord& b) {
  if (b.Free != 0) return;
  if (NetRole == RoleClient) {
    // The server keeps the books: it hears of both directions, or it would go on repairing
    // and charging after the player switched repair off.
    if (b.RepairOff == 0) {
      b.RepairOff = 1;
    } else {
      b.RepairOff = 0;
      b.NextRepairTick = WorldTickCount;
    }
    NetToggleRepairProc(b.Slot);
    return;
  }
  if (b.RepairOff == 0) {
    b.RepairOff = 1;
    // The clients' copies stop too.
    if (NetRole == RoleServer) NetBroadcastRepairStopProc(b.Slot);
    return;
  }
  b.RepairOff = 0;
  if (NetRole != RoleSingle) NetToggleRepairProc(b.Slot);
  b.NextRepairTick = WorldTickCount;
}

void RepairBuilding(TBuildingRecord& b) {
  if (b.Free != 0 || b.Kind == BuildingSlab || b.RepairOff == 1) return;
  if (b.NextRepairTick > WorldTickCount) return;
  b.NextRepairTick = WorldTickCount + b.RepairPeriod;

  // Full health ends the repair before anything is charged.
  if (b.Health >= b.MaxHealth) {
    b.Health = b.MaxHealth;
    StopRepair(b);
    return;
  }
  TPlayerRecord* p = PlayerRecord(b.Owner);
  if (!p || p->Credits < b.RepairCost) {
    StopRepair(b);
    return;
  }
  // Health per credit follows the building's health per credit of its price. A building
  // without a price, or one whose step buys no health, cannot be repaired: stop rather than
  // charge for nothing.
  if (b.Cost == 0) {
    StopRepair(b);
    return;
  }
  const double ratio = static_cast<double>(b.MaxHealth) / b.Cost;
  const std::int32_t gain = static_cast<std::int32_t>(ratio * (b.RepairCost * 1.5));
  if (gain <= 0) {
    StopRepair(b);
    return;
  }
  b.Health = std::min<std::int32_t>(b.Health + gain, b.MaxHealth);
  p->Credits -= b.RepairCost;
  if (NetRole != RoleSingle) NetBroadcastRepairStepProc(b.Slot, b.Health);
}

void PowerPlantTick(TBuildingRecord& b) {
  if (b.Free != 0 || b.Kind != BuildingPowerPlant) return;
  // The computer players' plants neither report nor wear out in single play.
  if (NetRole == RoleSingle && b.Owner != LocalPlayer) return;
  // Whole percents, exactly: floating point would make 29 of 100 read as 28.
  const std::int32_t percent =
      b.MaxHealth > 0 ? static_cast<std::int32_t>(static_cast<std::int64_t>(b.Health) * 100 / b.MaxHealth) : 0;
  b.PowerOutput = static_cast<std::uint16_t>(std::clamp(percent, 0, 100));
  NetBroadcastPowerPlantProc(b.Slot, b.PowerOutput);

  if (b.NextActionTick > WorldTickCount) return;
  b.NextActionTick = WorldTickCount + b.ActionPeriod;
  if (PowerConsumption(b.Owner) > PowerSupply(b.Owner))
    DamageBuilding(b, b.MaxHealth / 100, b.Slot, AttackerBuilding);
}

}  // namespace zarn
