// Production and upgrades of the six production buildings.
#include <algorithm>
#include <cmath>

#include "game/base/cp1251.h"
#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/rules.h"
#include "game/sound/dsnd.h"
#include "game/world/buildings.h"
#include "game/world/messages.h"
#include "game/world/players.h"
#include "game/world/units.h"

namespace zarn {

namespace {

constexpr std::string_view ProductionDoneText = "Изготовление завершено"_cp1251;
constexpr std::string_view UpgradeDoneText = "Модернизация завершена"_cp1251;

void Refund(std::uint8_t player, std::int32_t amount) {
  if (TPlayerRecord* p = PlayerRecord(player)) AddCredits(*p, amount);
}

// CostStep takes a 16-bit amount; larger prices take the largest step rather than wrapping.
float StepOf(std::uint16_t price) {
  return CostStep(static_cast<std::int16_t>(std::min<std::uint16_t>(price, 32767)));
}

// Highest upgrade level the mission allows for a production building.
std::int32_t UpgradeLimit(std::uint8_t kind) {
  switch (kind) {
    case BuildingConstructionYard: return Mission.UpgradeLimits[1];
    case BuildingBarracks: return Mission.UpgradeLimits[2];
    case BuildingAcademy: return Mission.UpgradeLimits[3];
    case BuildingLightFactory: return Mission.UpgradeLimits[4];
    case BuildingHeavyFactory: return Mission.UpgradeLimits[5];
    case BuildingAirFactory: return Mission.UpgradeLimits[6];
    default: return 0;
  }
}

bool IsFactoryWithDoor(std::uint8_t kind) {
  return kind == BuildingLightFactory || kind == BuildingHeavyFactory || kind == BuildingAirFactory;
}

}  // namespace

std::uint8_t OrderBuildingProduction(TBuildingRecord& b, std::uint8_t item, std::uint16_t price) {
  if (b.Free != 0 || !IsProductionBuilding(b.Kind)) return 1;
  if (item < 1 || item > ItemCount) return 1;
  if (NetRole == RoleClient) {
    NetOrderProductionProc(b.Slot, price, item);
    b.Item = item;
    return 0;
  }
  // Re-ordering gives back what the old item cost, whatever its progress. Its target is the
  // price that was paid for it.
  if (b.ProductionState != ProductionIdle) Refund(b.Owner, b.ProductionTarget);
  b.ProductionState = ProductionRunning;
  b.Item = item;
  b.ProductionProgress = 0;
  b.ProductionTarget = price;
  b.ProductionStep = StepOf(price);
  b.NextProductionTick = WorldTickCount;
  return 0;
}

void ToggleProductionPause(TBuildingRecord& b) {
  if (b.Free != 0) return;
  if (b.ProductionState == ProductionRunning) b.ProductionState = ProductionPaused;
  else if (b.ProductionState == ProductionPaused) b.ProductionState = ProductionRunning;
}

void AdvanceProduction(TBuildingRecord& b) {
  if (b.Free != 0 || !IsProductionBuilding(b.Kind)) return;
  // A building under repair stands still.
  if (b.RepairOff != 1 || b.ProductionState != ProductionRunning) return;
  if (b.NextProductionTick > WorldTickCount) return;
  b.NextProductionTick = WorldTickCount + ProductionPeriod;

  if (static_cast<std::int32_t>(b.ProductionProgress) < b.ProductionTarget) {
    b.ProductionProgress += b.ProductionStep;
    const std::int32_t done = static_cast<std::int32_t>(b.ProductionProgress);
    // A saved game may hold a negative progress against a target of 0.
    const std::int32_t percent = b.ProductionTarget > 0 ? done * 100 / b.ProductionTarget : 100;
    if (IsFactoryWithDoor(b.Kind) && b.AnimFrame == 0 && percent > 80) b.AnimFrame = b.AnimFrames;
    if (NetRole != RoleSingle) NetBroadcastProductionStepProc(b.Slot, done, b.ProductionTarget);
    if (done >= b.ProductionTarget && b.Owner == LocalPlayer) {
      ShowMessageLine(InFontCodePage(ProductionDoneText));
      VoiceBuildingReady(b.Side);
    }
    return;
  }

  if (b.Item < ItemSlab) {
    if (b.Owner == LocalPlayer) ShowMessageLine(InFontCodePage(ProductionDoneText));
    const std::uint8_t refused =
        ProduceUnit(b.X, b.Y, b.FootprintClass, b.Side, b.Owner, ItemToUnitKind(b.Item));
    b.ProductionState = ProductionIdle;
    b.ProductionProgress = 0;
    if (NetRole != RoleSingle) NetBroadcastProductionDoneProc(b.Slot);
    if (refused == 0) {
      if (b.Owner == LocalPlayer) VoiceUnitReady(b.Item, b.Side);
    } else {
      Refund(b.Owner, b.ProductionTarget);
    }
    return;
  }

  // A finished building waits for its owner to place it; remote owners are reminded.
  if (b.Owner != LocalPlayer && NetRole != RoleSingle) NetSendTextToPlayerProc(b.Owner, ProductionDoneText);
}

std::uint8_t StartBuildingUpgrade(TBuildingRecord& b, std::uint16_t price) {
  if (b.Free != 0 || !IsProductionBuilding(b.Kind)) return 1;
  // A second start would throw away the running upgrade and the price paid for it.
  if (b.UpgradeIdle == 0) return 1;
  if (b.UpgradeLevel >= UpgradeLimit(b.Kind)) return 1;
  b.UpgradeIdle = 0;
  b.UpgradeProgress = 0;
  b.UpgradeTarget = price;
  b.UpgradeStep = StepOf(price);
  if (NetRole != RoleSingle) NetRequest16Proc(b.Slot, price);
  b.NextUpgradeTick = WorldTickCount;
  return 0;
}

void AdvanceUpgrade(TBuildingRecord& b) {
  if (b.Free != 0 || !IsProductionBuilding(b.Kind)) return;
  if (b.UpgradeIdle != 0 || b.NextUpgradeTick > WorldTickCount) return;
  b.NextUpgradeTick = WorldTickCount + UpgradePeriod;

  if (static_cast<std::int32_t>(b.UpgradeProgress) < b.UpgradeTarget) {
    b.UpgradeProgress += b.UpgradeStep;
    if (NetRole != RoleSingle)
      NetBroadcastUpgradeProgressProc(b.Slot, static_cast<std::int32_t>(b.UpgradeProgress), b.UpgradeTarget);
    return;
  }
  ++b.UpgradeLevel;
  b.UpgradeIdle = 1;
  if (NetRole != RoleSingle) NetBroadcastUpgradeDoneProc(b.Slot);
  b.UpgradeProgress = 0;
  if (NetRole != RoleClient) DeliverTextToPlayer(b.Owner, UpgradeDoneText);
}

void AutoProduce(TBuildingRecord& b) {
  if (b.Free != 0 || !IsProductionBuilding(b.Kind)) return;
  if (b.RepeatProduction == 0 || b.ProductionState != ProductionIdle) return;
  TPlayerRecord* p = PlayerRecord(b.Owner);
  if (!p) return;
  const std::int32_t next = CountUnitsOfPlayer(b.Owner) + 1;
  if (next >= UnitCapOfPlayer(b.Owner) || next >= UnitShareOfPlayer()) return;
  const std::uint16_t price = ItemCost(b.Item);
  if (p->Credits <= price) return;
  if (OrderBuildingProduction(b, b.Item, price) == 0) p->Credits -= price;
}

}  // namespace zarn
