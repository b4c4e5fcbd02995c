#include "game/world/alarms.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "game/base/cp1251.h"
#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/random.h"
#include "game/base/rules.h"
#include "game/sound/dsnd.h"
#include "game/world/buildings.h"
#include "game/world/messages.h"
#include "game/world/orders.h"
#include "game/world/players.h"
#include "game/world/palaceweapons.h"

namespace zarn {

namespace {

constexpr std::string_view EnemyInBaseText = "Противник на территории базы!"_cp1251;

bool IsComputerOfSinglePlay(const TPlayerRecord& p) {
  return NetRole == RoleSingle && PlayerNumberOf(p) != LocalPlayer;
}

// Slot numbers of attackers and targets come from records that saved games carry: check them.
bool ValidSlot(std::int32_t slot, std::uint8_t isBuilding) {
  return isBuilding != 0 ? slot >= 1 && slot <= MaxBuildingSlots : slot >= 1 && slot <= MaxUnitSlots;
}

bool ObjectLive(std::int32_t slot, std::uint8_t isBuilding) {
  if (!ValidSlot(slot, isBuilding)) return false;
  return isBuilding != 0 ? Buildings[slot].Free == 0 : Units[slot].Free == 0;
}

// The owner the record names, live or not: a shot may land after its shooter died.
std::uint8_t ObjectOwner(std::int32_t slot, std::uint8_t isBuilding) {
  if (!ValidSlot(slot, isBuilding)) return 0;
  return isBuilding != 0 ? Buildings[slot].Owner : Units[slot].Owner;
}

void ObjectTile(std::int32_t slot, std::uint8_t isBuilding, std::int32_t& x, std::int32_t& y) {
  if (isBuilding != 0) {
    x = Buildings[slot].X;
    y = Buildings[slot].Y;
  } else {
    x = Units[slot].X;
    y = Units[slot].Y;
  }
}

bool IsInfantryUnit(std::int32_t slot, std::uint8_t isBuilding) {
  return isBuilding == 0 && ValidSlot(slot, 0) && Units[slot].Kind <= UnitHeavySquad;
}

// An attack counts only from another player's object.
bool HostileAttacker(const TPlayerRecord& p, std::int32_t slot, std::uint8_t isBuilding) {
  const std::uint8_t owner = ObjectOwner(slot, isBuilding);
  return owner >= 1 && owner <= MaxPlayers && owner != PlayerNumberOf(p);
}

std::uint8_t AttackOn(TUnitRecord& u, std::int32_t slot, std::uint8_t isBuilding) {
  std::int32_t x = 0, y = 0;
  ObjectTile(slot, isBuilding, x, y);
  return AttackObject(u, x, y, isBuilding != 0 ? TargetBuilding : TargetUnit, slot);
}

// Every defender still with us gets the attack order again; false when none took it.
bool ReorderDefenders(TPlayerRecord& p) {
  bool any = false;
  for (TPlayerListEntry& e : p.DefenceList)
    if (EntryHoldsOwnUnit(p, e) && AttackOn(Units[e.Unit], p.Attacker, p.AttackerIsBuilding) == OrderTaken)
      any = true;
  return any;
}

// The local player's live building (kind 2 or more) nearest to (x, y), of the kind or of any
// kind when kind is negative.
std::int32_t NearestLocalBuilding(std::int32_t x, std::int32_t y, int kind) {
  double best = 255;
  std::int32_t found = 0;
  const int last = LastBuildingSlot();
  for (int i = 1; i <= last; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free != 0 || b.Owner != LocalPlayer || b.Kind < BuildingConstructionYard) continue;
    if (kind >= 0 && b.Kind != kind) continue;
    const double d = TileDistance(b.X, b.Y, x, y);
    if (d < best) {
      best = d;
      found = i;
    }
  }
  return found;
}

bool WaveTargetGone(const TPlayerRecord& p) {
  if (!ObjectLive(p.WaveTarget, p.WaveTargetIsBuilding)) return true;
  return p.WaveTargetIsBuilding == 0 && Units[p.WaveTarget].Owner == PlayerNumberOf(p);
}

}  // namespace

void UnitAttacked(TPlayerRecord& p, std::int32_t victim, std::int32_t attacker, std::uint8_t attackerIsBuilding) {
  if (p.Destroyed != 0 || !HostileAttacker(p, attacker, attackerIsBuilding)) return;
  const std::int32_t now = WorldTickCount;
  p.LastUnitAttack = now;
  if (IsComputerOfSinglePlay(p) && IsOwnLiveUnit(p, victim)) {
    TUnitRecord& v = Units[victim];
    if (v.Kind == UnitHarvester) {
      // A harvester runs infantry over.
      if (IsInfantryUnit(attacker, attackerIsBuilding) && ObjectLive(attacker, 0))
        MoveTo(v, Units[attacker].X, Units[attacker].Y);
    } else if (v.Kind == UnitCarrier) {
      if (p.BasePointCount > 0) SendToGatheringTile(p, v);
    } else if (UnitInWave(p, victim)) {
      std::int32_t x = 0, y = 0;
      ObjectTile(attacker, attackerIsBuilding, x, y);
      RetargetWave(p, x, y, attackerIsBuilding, attacker);
    }
  }
  if (p.UnitAlarmRaised == 0 && now >= p.LastUnitAlarm + AlarmQuietTicks) {
    p.LastUnitAlarm = now;
    p.UnitAlarmRaised = 1;
    if (PlayerNumberOf(p) == LocalPlayer) {
      StopMusicProc();
      PlayBattleMusic();
    }
  }
}

void UnitAlarmTimeout(TPlayerRecord& p) {
  if (p.UnitAlarmRaised != 0 && WorldTickCount >= p.LastUnitAttack + AlarmQuietTicks) p.UnitAlarmRaised = 0;
}

void AlertEnemyInBase(TPlayerRecord& p, std::int32_t attacker, std::int32_t building,
                      std::uint8_t attackerIsBuilding) {
  // Our own units hitting our own buildings raise no alarm.
  if (p.Destroyed != 0 || !HostileAttacker(p, attacker, attackerIsBuilding)) return;
  const std::int32_t now = WorldTickCount;
  p.LastBuildingAttack = now;
  if (IsComputerOfSinglePlay(p)) {
    // Repair is switched on, never off again by a second hit.
    if (building >= 1 && building <= MaxBuildingSlots && Buildings[building].Free == 0 &&
        Buildings[building].RepairOff == 1)
      ToggleBuildingRepair(Buildings[building]);
    if (!DefendBase(p, attacker, attackerIsBuilding) && IsInfantryUnit(attacker, attackerIsBuilding) &&
        ObjectLive(attacker, 0)) {
      const std::uint8_t n = PlayerNumberOf(p);
      const int last = LastUnitSlot();
      for (int i = 1; i <= last; ++i) {
        TUnitRecord& h = Units[i];
        if (h.Free != 0 || h.Owner != n || h.Kind != UnitHarvester) continue;
        MoveTo(h, Units[attacker].X, Units[attacker].Y);
        break;
      }
    }
  }
  if (p.BaseAlarmRaised != 0 || now < p.LastBaseAlarm + AlarmQuietTicks) return;
  p.LastBaseAlarm = now;
  p.BaseAlarmRaised = 1;
  const std::uint8_t n = PlayerNumberOf(p);
  if (n == LocalPlayer) {
    VoiceEnemyInBase(p.Side);
    ShowMessageLine(InFontCodePage(EnemyInBaseText));
    StopMusicProc();
    PlayBattleMusic();
  } else if (NetRole == RoleServer) {
    NetSendTextToPlayerProc(n, EnemyInBaseText);
  }
}

void BaseAlarmTimeout(TPlayerRecord& p) {
  if (p.BaseAlarmRaised == 0 || WorldTickCount < p.LastBuildingAttack + AlarmQuietTicks) return;
  ReleaseDefenders(p);
  p.BaseAlarmRaised = 0;
}

bool DefendBase(TPlayerRecord& p, std::int32_t attacker, std::uint8_t attackerIsBuilding) {
  if (p.DefenceActive != 0) return false;
  p.Attacker = attacker;
  p.AttackerIsBuilding = attackerIsBuilding != 0 ? 1 : 0;
  if (!ObjectLive(attacker, p.AttackerIsBuilding)) return false;
  bool assigned = false;
  for (TPlayerListEntry& e : p.DefenceList) {
    if (!EntryHoldsOwnUnit(p, e)) {
      const std::int32_t unit = TakeRosterUnit(p);
      if (unit == 0) break;
      e.Free = 0;
      e.Busy = 0;
      e.Unit = unit;
    }
    AttackOn(Units[e.Unit], attacker, p.AttackerIsBuilding);
    p.DefenceActive = 1;
    assigned = true;
  }
  return assigned;
}

void DefenceTick(TPlayerRecord& p) {
  if (p.DefenceActive == 0) return;
  if (!ObjectLive(p.Attacker, p.AttackerIsBuilding)) {
    p.DefenceActive = 0;
    return;
  }
  if (p.AttackerIsBuilding == 0) {
    // An attacker that left the base is let go.
    const TUnitRecord& a = Units[p.Attacker];
    const std::uint8_t n = PlayerNumberOf(p);
    double best = 255;
    bool any = false;
    const int last = LastBuildingSlot();
    for (int i = 1; i <= last; ++i) {
      const TBuildingRecord& b = Buildings[i];
      if (b.Free != 0 || b.Owner != n || b.Kind < BuildingConstructionYard) continue;
      const double d = TileDistance(b.X, b.Y, a.X, a.Y);
      if (d < best) {
        best = d;
        any = true;
      }
    }
    if (!any || best > DefenceReach) {
      ReleaseDefenders(p);
      return;
    }
  }
  if (!ReorderDefenders(p)) p.DefenceActive = 0;
}

void ReleaseDefenders(TPlayerRecord& p) {
  for (TPlayerListEntry& e : p.DefenceList) {
    if (!EntryHoldsOwnUnit(p, e)) continue;
    e.Free = 1;
    e.Busy = 0;
    for (TPlayerListEntry& r : p.Roster) {
      if (r.Free == 0) continue;
      r.Free = 0;
      r.Busy = 0;
      r.Unit = e.Unit;
      SendToGatheringTile(p, Units[e.Unit]);
      break;
    }
  }
  p.DefenceActive = 0;
}

void LaunchAttackWave(TPlayerRecord& p) {
  const std::uint8_t n = PlayerNumberOf(p);
  const int lastBuilding = LastBuildingSlot();
  for (int i = 1; i <= lastBuilding; ++i) {
    TBuildingRecord& b = Buildings[i];
    if (b.Free != 0 || b.Owner != n || b.Kind != BuildingPalace) continue;
    if (b.Side == 0 || b.Side == 3) {
      if (const std::int32_t t = ChooseAttackTarget(p); t != 0) UseSpecialWeapon(b, Buildings[t].X, Buildings[t].Y);
    }
    break;
  }
  if (p.Credits < WarChestCredits) return;

  const int sign = Random(2) == 0 ? -1 : 1;
  p.NextAttack = WorldTickCount + p.AttackInterval + sign * Random(p.AttackInterval / 2);

  const std::int32_t m = std::clamp<std::int32_t>(p.WaveSizeBase, 0, MaxWaveSizeBase) / 2;
  const std::int32_t size = std::min<std::int32_t>(m + Random(m + 1), 70);
  bool taken = false;
  for (int i = 1; i <= size; ++i) {
    TPlayerListEntry& e = p.AttackList[i];
    if (EntryHoldsOwnUnit(p, e)) continue;
    const std::int32_t unit = TakeRosterUnit(p);
    if (unit == 0) break;
    e.Free = 0;
    e.Busy = 0;
    e.Unit = unit;
    taken = true;
  }
  if (!taken) return;
  const std::int32_t target = ChooseAttackTarget(p);
  if (target == 0) return;
  p.WaveTargetBuilding = target;
  RetargetWave(p, Buildings[target].X, Buildings[target].Y, 1, target);
  if (p.WaveSizeBase < MaxWaveSizeBase) ++p.WaveSizeBase;
  if (Mission.GoalType != GoalSurvive30) p.AttackInterval = static_cast<std::uint16_t>(p.AttackInterval + 18);
  p.WaveActive = 1;
}

std::int32_t ChooseAttackTarget(TPlayerRecord& p) {
  if (p.BasePointCount < 1) return 0;
  const std::uint8_t kind = AttackPreferenceTable[Random(16)];
  const TBasePoint& bp = p.BasePoints[1];
  if (const std::int32_t t = NearestLocalBuilding(bp.X, bp.Y, kind); t != 0) return t;
  return NearestLocalBuilding(bp.X, bp.Y, -1);
}

void RetargetWave(TPlayerRecord& p, std::int32_t x, std::int32_t y, std::uint8_t isBuilding, std::int32_t slot) {
  isBuilding = isBuilding != 0 ? 1 : 0;
  if (!ObjectLive(slot, isBuilding)) return;
  if (isBuilding == 0 && Units[slot].Owner == PlayerNumberOf(p)) return;
  p.WaveTarget = slot;
  p.WaveTargetIsBuilding = isBuilding;
  SendAttackWave(p, x, y, isBuilding, slot);
}

void SendAttackWave(TPlayerRecord& p, std::int32_t x, std::int32_t y, std::uint8_t isBuilding, std::int32_t slot) {
  p.WaveActive = 0;
  const std::int32_t fallback = p.WaveTargetBuilding;
  const bool fallbackStands = fallback >= 1 && fallback <= MaxBuildingSlots && Buildings[fallback].Free == 0;
  for (TPlayerListEntry& e : p.AttackList) {
    if (!EntryHoldsOwnUnit(p, e)) continue;  // dead or gone over to another player
    TUnitRecord& u = Units[e.Unit];
    StopUnit(u);
    AttackObject(u, x, y, isBuilding != 0 ? TargetBuilding : TargetUnit, slot);
    if (u.State == StateAttack)
      p.WaveActive = 1;
    else if (fallbackStands)
      AttackObject(u, Buildings[fallback].X, Buildings[fallback].Y, TargetBuilding, fallback);
  }
}

void AttackWaveTick(TPlayerRecord& p) {
  if (p.WaveActive == 0) return;
  bool anyone = false;
  for (TPlayerListEntry& e : p.AttackList)
    if (EntryHoldsOwnUnit(p, e)) anyone = true;
  if (WorldTickCount > p.NextAttack || !anyone) {
    p.WaveActive = 0;
    return;
  }
  if (WaveTargetGone(p)) {
    if (!ObjectLive(p.WaveTargetBuilding, 1)) p.WaveTargetBuilding = ChooseAttackTarget(p);
    if (p.WaveTargetBuilding == 0) {
      p.WaveActive = 0;
      return;
    }
    p.WaveTarget = p.WaveTargetBuilding;
    p.WaveTargetIsBuilding = 1;
  }
  std::int32_t x = 0, y = 0;
  ObjectTile(p.WaveTarget, p.WaveTargetIsBuilding, x, y);
  RetargetWave(p, x, y, p.WaveTargetIsBuilding, p.WaveTarget);
}

bool UnitInWave(const TPlayerRecord& p, std::int32_t unit) {
  if (p.WaveActive == 0) return false;
  for (const TPlayerListEntry& e : p.AttackList)
    if (e.Free == 0 && e.Unit == unit) return true;
  return false;
}

}  // namespace zarn
