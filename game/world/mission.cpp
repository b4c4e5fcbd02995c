#include "game/world/mission.h"

#include <algorithm>

#include "game/base/cp1251.h"
#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/rules.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

// Kinds below this are slabs (0) and walls (1).
constexpr std::uint8_t FirstRealBuildingKind = 2;

template <typename Match>
bool AnyBuilding(Match match) {
  for (i32 i = 1; i <= LastBuildingSlot(); ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free == 0 && b.Kind >= FirstRealBuildingKind && match(b)) return true;
  }
  return false;
}

template <typename Match>
bool AnyUnit(Match match) {
  for (i32 i = 1; i <= LastUnitSlot(); ++i) {
    const TUnitRecord& u = Units[i];
    if (u.Free == 0 && match(u)) return true;
  }
  return false;
}

i32 LocalCredits() {
  return LocalPlayer >= 1 && LocalPlayer <= MaxPlayers ? Players[LocalPlayer].Credits : 0;
}

}  // namespace

bool OwnsBuilding(std::uint8_t player) {
  return AnyBuilding([&](const TBuildingRecord& b) { return b.Owner == player; });
}
bool OwnsBuildingOfKind(std::uint8_t player, std::uint8_t kind) {
  return AnyBuilding([&](const TBuildingRecord& b) { return b.Owner == player && b.Kind == kind; });
}
bool OwnsUnit(std::uint8_t player) {
  return AnyUnit([&](const TUnitRecord& u) { return u.Owner == player; });
}
bool EnemyOwnsBuilding(std::uint8_t player) {
  return AnyBuilding([&](const TBuildingRecord& b) { return b.Owner != player; });
}
bool EnemyOwnsUnit(std::uint8_t player) {
  return AnyUnit([&](const TUnitRecord& u) { return u.Owner != player; });
}

std::int32_t CampaignGoal(std::int32_t mission) {
  if (mission < 1 || mission > CampaignMissionCount) return GoalNone;
  return CampaignGoals[static_cast<std::size_t>(mission - 1)];
}

std::string_view GoalBriefingText(std::int32_t goal) {
  static constexpr std::string_view Texts[] = {
      "",
      "ЦЕЛЬ: доведите казну до\n2000 кредитов (их дают\nхарвестеры с оссином)."_cp1251,
      "ЦЕЛЬ: доведите казну до\n5000 кредитов (их дают\nхарвестеры с оссином)."_cp1251,
      "ЦЕЛЬ: доведите казну до\n10000 кредитов (их дают\nхарвестеры с оссином)."_cp1251,
      "ЦЕЛЬ: постройте академию."_cp1251,
      "ЦЕЛЬ: постройте радар."_cp1251,
      "ЦЕЛЬ: уничтожьте все войска\nпротивника."_cp1251,
      "ЦЕЛЬ: уничтожьте все строения\nпротивника."_cp1251,
      "ЦЕЛЬ: удержите базу 30 минут."_cp1251,
      "ЦЕЛЬ: уничтожьте все строения\nпротивника за 60 минут."_cp1251,
  };
  if (goal < 0 || goal >= static_cast<std::int32_t>(std::size(Texts))) return {};
  return Texts[goal];
}

bool MinutesElapsed(i32 n) {
  const double minutes = static_cast<double>(WorldTickCount) / WorldTicksPerSecond / 60.0;
  return static_cast<i32>(minutes) >= n;  // truncated toward zero
}

void CheckMissionGoal(TMissionRecord& mission) {
  if ((WorldTickCount & (MissionGoalPeriod - 1)) != 0) return;
  const std::uint8_t me = LocalPlayer;
  const auto lost = [&] { return !OwnsBuilding(me) && !OwnsUnit(me); };
  switch (mission.GoalType) {
    case GoalCredits2000:
    case GoalCredits5000:
    case GoalCredits10000: {
      static constexpr i32 Quota[] = {2000, 5000, 10000};
      if (LocalCredits() >= Quota[mission.GoalType - GoalCredits2000]) OpenVictoryProc();
      break;
    }
    case GoalBuildAcademy:
    case GoalBuildRadar:
    case GoalKillAllUnits:
    case GoalKillAllBuildings: {
      if (lost()) {
        OpenDefeatProc();
        break;
      }
      bool won = false;
      switch (mission.GoalType) {
        case GoalBuildAcademy: won = OwnsBuildingOfKind(me, BuildingAcademy); break;
        case GoalBuildRadar: won = OwnsBuildingOfKind(me, BuildingRadar); break;
        case GoalKillAllUnits: won = !EnemyOwnsUnit(me); break;
        default: won = !EnemyOwnsBuilding(me); break;
      }
      if (won) OpenVictoryProc();
      break;
    }
    case GoalSurvive30:
      if (!OwnsBuilding(me))
        OpenDefeatProc();
      else if (MinutesElapsed(30))
        OpenVictoryProc();
      break;
    case GoalConquerIn60:
      if (!EnemyOwnsBuilding(me))
        OpenVictoryProc();
      else if (MinutesElapsed(60))
        OpenDefeatProc();
      break;
    default: break;  // no goal, or a type that means nothing
  }
}

}  // namespace zarn
