#include "game/world/players.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include "game/base/cp1251.h"
#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/rules.h"
#include "game/world/alarms.h"
#include "game/world/computer.h"
#include "game/world/ferries.h"
#include "game/world/orders.h"
#include "game/world/passability.h"
#include "game/world/tileindex.h"
#include "game/world/units.h"

namespace zarn {

namespace {

void FreeEntry(TPlayerListEntry& e) {
  e.Free = 1;
  e.Busy = 0;
}

template <typename List>
void FreeAll(List& list) {
  for (TPlayerListEntry& e : list) {
    FreeEntry(e);
    e.Unit = 0;
  }
}

template <typename List>
bool ListHolds(const List& list, std::int32_t unit) {
  for (const TPlayerListEntry& e : list)
    if (e.Free == 0 && e.Unit == unit) return true;
  return false;
}

template <typename List>
void ForgetIn(List& list, std::int32_t unit) {
  for (TPlayerListEntry& e : list)
    if (e.Free == 0 && e.Unit == unit) FreeEntry(e);
}

bool IsGroundUnit(std::uint8_t kind) { return kind != UnitCarrier && kind != UnitSkeltrel; }

// The tiles that some ground unit other than `self` is on the way to, marked in one walk over
// the units for all the tiles a search asks about: a mark counts when it carries this search's
// stamp, so nothing is cleared between searches.
class TClaimedTiles {
 public:
  explicit TClaimedTiles(std::int32_t self) {
    if (++stamp_ == 0) {  // wrapped: old marks could pass for new ones
      marks_.fill(0);
      stamp_ = 1;
    }
    ForEachPlacedUnit(LastUnitSlot(), [&](int i) {
      const TUnitRecord& u = Units[i];
      if (i == 0 || i == self || u.Free != 0 || !IsGroundUnit(u.Kind) || u.State != StateMove) return;
      if (u.DestX >= 1 && u.DestX <= MapMaxSize && u.DestY >= 1 && u.DestY <= MapMaxSize)
        marks_[CellIndex(u.DestX, u.DestY)] = stamp_;
    });
  }
  // (x, y) on the grid.
  bool Claimed(std::int32_t x, std::int32_t y) const { return marks_[CellIndex(x, y)] == stamp_; }

 private:
  static inline std::array<std::uint32_t, MapCellBytes> marks_{};
  static inline std::uint32_t stamp_ = 0;
};

}  // namespace

void InitPlayerRecord(TPlayerRecord& p, std::uint8_t number, std::uint8_t side, std::int32_t credits) {
  const std::int32_t now = WorldTickCount;
  std::memset(&p, 0, sizeof p);
  p.Credits = credits;
  p.Number = number;
  p.Side = side;
  p.LastBaseAlarm = now - AlarmQuietTicks;
  p.LastBuildingAttack = now;
  p.LastUnitAlarm = now - AlarmQuietTicks;
  p.LastUnitAttack = now;
  p.ReplacementReady = 1;
  p.CarrierHome = 1;
  p.DestroyedCheckPeriod = DestroyedCheckTicks;
  p.NextDestroyedCheck = now + DestroyedCheckTicks;
  p.SparePeriod = SpareTicks;
  p.SpareTimer = now + SpareTicks;
  FreeAll(p.AttackList);
  FreeAll(p.DefenceList);
  FreeAll(p.Roster);
  p.ThinkPeriod = ThinkTicks;
  p.NextThink = now + ThinkTicks;
  if (Mission.GoalType == GoalSurvive30) {
    p.AttackInterval = 810;
    p.NextAttack = now + 1080;
    p.WaveSizeBase = 10;
  } else {
    p.AttackInterval = 1080;
    p.NextAttack = now + 2160;
    p.WaveSizeBase = 2;
  }
}

void PlayerTick(TPlayerRecord& p) {
  if (p.Destroyed != 0) return;
  ReplaceHarvester(p);
  DeliverReplacementHarvester(p);
  RecallDeliveryCarrier(p);
  BaseAlarmTimeout(p);
  UnitAlarmTimeout(p);
  if (NetRole != RoleSingle) CheckPlayerDestroyed(p);
  if (NetRole == RoleSingle) ComputerPlayerThink(p);
}

void AddSaturating(std::int32_t& counter, std::int64_t amount) {
  counter = static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{counter} + amount, INT32_MIN, INT32_MAX));
}
void AddCredits(TPlayerRecord& p, std::int32_t amount) { AddSaturating(p.Credits, amount); }
void AddUnitMade(TPlayerRecord& p) { AddSaturating(p.UnitsMade, 1); }
void AddBuildingMade(TPlayerRecord& p) { AddSaturating(p.BuildingsMade, 1); }
void AddUnitDestroyed(TPlayerRecord& p) { AddSaturating(p.UnitsDestroyed, 1); }
void AddBuildingDestroyed(TPlayerRecord& p) { AddSaturating(p.BuildingsDestroyed, 1); }
void AddResourceDelivered(TPlayerRecord& p, std::int32_t amount) { AddSaturating(p.ResourceDelivered, amount); }

std::string_view PlayerColourName(std::int32_t index) {
  static constexpr std::string_view Names[9] = {
      "Красный"_cp1251, "Синий"_cp1251,   "Зелёный"_cp1251, "Сиреневый"_cp1251, "Светло-красный"_cp1251,
      "Белый"_cp1251,   "Бежевый"_cp1251, "Жёлтый"_cp1251,  "Чёрный"_cp1251};
  if (index < 0 || index > 8) return {};
  return Names[index];
}

void CheckPlayerDestroyed(TPlayerRecord& p) {
  const std::int32_t now = WorldTickCount;
  if (now < p.NextDestroyedCheck) return;
  p.NextDestroyedCheck = now + p.DestroyedCheckPeriod;
  const std::uint8_t n = PlayerNumberOf(p);
  if (CountUnitsOfPlayer(n) != 0 || CountBuildingsOfPlayer(n) != 0) return;
  p.Destroyed = 1;
  if (NetRole != RoleServer || n < 1 || n > MaxPlayers) return;
  std::string text(PlayerColourName(PlayerConnections[n].Side));
  text += " игрок уничтожен!"_cp1251;
  SendChatProc(text);
}

std::uint8_t PlayerNumberOf(const TPlayerRecord& p) {
  for (int i = 1; i <= MaxPlayers; ++i)
    if (&Players[i] == &p) return static_cast<std::uint8_t>(i);
  return p.Number;
}

bool IsOwnLiveUnit(const TPlayerRecord& p, std::int32_t unit) {
  if (unit < 1 || unit > MaxUnitSlots) return false;
  const TUnitRecord& u = Units[unit];
  return u.Free == 0 && u.Owner == PlayerNumberOf(p);
}

bool EntryHoldsOwnUnit(const TPlayerRecord& p, TPlayerListEntry& e) {
  if (e.Free != 0) return false;
  if (IsOwnLiveUnit(p, e.Unit)) return true;
  FreeEntry(e);
  return false;
}

bool UnitInAnyList(const TPlayerRecord& p, std::int32_t unit) {
  return ListHolds(p.Roster, unit) || ListHolds(p.AttackList, unit) || ListHolds(p.DefenceList, unit);
}

void RegisterComputerUnit(TPlayerRecord& p, std::int32_t unit) {
  if (p.Destroyed != 0 || !IsOwnLiveUnit(p, unit)) return;
  TUnitRecord& u = Units[unit];
  if (u.Kind == UnitHarvester || u.Kind == UnitCarrier || u.Kind == UnitConstructionVehicle) return;
  if (UnitInAnyList(p, unit)) return;
  for (TPlayerListEntry& e : p.Roster) {
    if (e.Free == 0) continue;
    e.Free = 0;
    e.Busy = 0;
    e.Unit = unit;
    SendToGatheringTile(p, u);
    return;
  }
}

void ForgetUnit(TPlayerRecord& p, std::int32_t unit) {
  if (unit >= 0 && unit <= MaxUnitSlots) {
    const std::uint8_t kind = Units[unit].Kind;
    if (kind == UnitHarvester || kind == UnitCarrier) return;
  }
  ForgetIn(p.AttackList, unit);
  ForgetIn(p.DefenceList, unit);
  ForgetIn(p.Roster, unit);
}

std::int32_t TakeRosterUnit(TPlayerRecord& p) {
  for (TPlayerListEntry& e : p.Roster) {
    if (e.Busy != 0 || !EntryHoldsOwnUnit(p, e)) continue;
    FreeEntry(e);
    return e.Unit;
  }
  return 0;
}

void RebuildBasePoints(TPlayerRecord& p) {
  p.BasePointCount = 0;
  const std::uint8_t n = PlayerNumberOf(p);
  const int last = LastBuildingSlot();
  for (int i = 1; i <= last && p.BasePointCount < 4; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free != 0 || b.Kind != BuildingBarracks || b.Owner != n) continue;
    ++p.BasePointCount;
    p.BasePoints[p.BasePointCount] = TBasePoint{b.X + 3, b.Y};
  }
}

bool FindGatheringTile(const TPlayerRecord& p, const TUnitRecord& u, std::int32_t& x, std::int32_t& y) {
  const int points = std::clamp<std::int32_t>(p.BasePointCount, 0, 4);
  if (points == 0) return false;
  const TClaimedTiles claimed(u.Slot);
  double best = 255;
  bool found = false;
  for (int i = 1; i <= points; ++i) {
    const std::int32_t px = p.BasePoints[i].X, py = p.BasePoints[i].Y;
    for (std::int32_t block = 0; block < 2; ++block)
      for (std::int32_t ty = py; ty <= py + 1; ++ty)
        for (std::int32_t tx = px + 6 * block; tx <= px + 6 * block + 5; ++tx) {
          // A tile it can enter lies on the map.
          if (CanEnter(u.Kind, u.Owner, tx, u.Slot, ty) != 1 || claimed.Claimed(tx, ty)) continue;
          const double d = TileDistance(tx, ty, u.X, u.Y);
          if (d < best) {
            best = d;
            x = tx;
            y = ty;
            found = true;
          }
        }
  }
  return found;
}

void SendToGatheringTile(const TPlayerRecord& p, TUnitRecord& u) {
  if (u.Free != 0 || u.OffMap != 0) return;
  std::int32_t x = u.X, y = u.Y;
  FindGatheringTile(p, u, x, y);
  MoveTo(u, x, y);
}

}  // namespace zarn
