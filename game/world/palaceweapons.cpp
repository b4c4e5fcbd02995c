#include "game/world/palaceweapons.h"

#include <algorithm>

#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/maps.h"
#include "game/base/random.h"
#include "game/base/rules.h"
#include "game/sound/dsnd.h"
#include "game/world/players.h"
#include "game/world/orders.h"
#include "game/world/passability.h"
#include "game/world/shots.h"
#include "game/world/targets.h"
#include "game/world/tileindex.h"
#include "game/world/units.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

// Up to two tiles off in either direction, turned back where it would leave the map.
i32 Scatter(i32 v, i32 size) {
  const i32 d = Random(3);
  i32 sign = Random(2) == 0 ? -1 : 1;
  if (v + d * sign < 1 || v + d * sign > size) sign = -sign;
  return std::clamp(v + d * sign, 1, std::max(1, size));
}

// The missile: the palace locks on whatever stands at the tile; an empty tile leaves the
// weapon charged. false when nothing was fired.
bool FireMissile(TBuildingRecord& b, i32 x, i32 y, bool scatter) {
  if (!GameMap.Inside(x, y)) return false;
  std::uint16_t slot = 0;
  std::uint8_t cls = 0;
  if (ObjectAtTile(x, y, slot, cls) != 0) return false;
  b.TargetSlot = slot;
  b.TargetClass = cls;
  if (scatter) {
    b.TargetX = static_cast<std::uint16_t>(Scatter(x, GameMap.Width));
    b.TargetY = static_cast<std::uint16_t>(Scatter(y, GameMap.Height));
  } else {
    b.TargetX = static_cast<std::uint16_t>(x);
    b.TargetY = static_cast<std::uint16_t>(y);
  }
  FireBuildingShot(b.X, b.Y, b.TargetX, b.TargetY, b.Kind, WeaponMissile, 0, b.TurretAim, b.Slot, 0,
                   128);
  b.LastFireTick = WorldTickCount + b.FireInterval;
  if (b.Owner == LocalPlayer)
    PlaySpecialWeaponSound();
  else
    VoiceSpecialWeapon(ViewState.LocalSide);
  return true;
}

}  // namespace

void UseSpecialWeapon(TBuildingRecord& b, i32 x, i32 y) {
  // Only the palace carries one: a turret's short reload must never arm it.
  if (b.Free != 0 || b.Kind != BuildingPalace || b.LastFireTick > WorldTickCount) return;
  if (NetRole != RoleSingle) {
    // A client asks the server and shows its own shot (which hits nothing there).
    if (NetRole == RoleClient) NetUseSpecialWeaponProc(b.Slot, x, y);
    FireMissile(b, x, y, false);
    return;
  }
  switch (b.Side) {
    case 0:
    case 3: FireMissile(b, x, y, true); break;
    case 2:
      ConvertFirstEnemyUnit(b.Owner);
      b.LastFireTick = WorldTickCount + b.FireInterval;
      break;
    case 1: {
      i32 cx = 1, cy = 1;
      const std::uint16_t corner = NearestMapCorner(b.X, b.Y, cx, cy);
      // The squads gather two tiles in from the corner's edges.
      const i32 gx = corner == 0 || corner == 2 ? cx + 2 : cx - 5;
      const i32 gy = corner == 0 || corner == 1 ? cy + 2 : cy - 5;
      SummonTroops(b.X, b.Y, gx, gy, b.Owner);
      b.LastFireTick = WorldTickCount + b.FireInterval;
      break;
    }
    default: break;
  }
}

std::uint16_t NearestMapCorner(i32 x, i32 y, i32& cx, i32& cy) {
  const i32 w = GameMap.Width, h = GameMap.Height;
  const i32 corners[4][2] = {{1, 1}, {w, 1}, {1, h}, {w, h}};
  double best = 255;
  std::uint16_t found = 0;
  cx = corners[0][0];
  cy = corners[0][1];
  for (std::uint16_t i = 0; i < 4; ++i) {
    const double d = TileDistance(corners[i][0], corners[i][1], x, y);
    if (d < best) {
      best = d;
      found = i;
      cx = corners[i][0];
      cy = corners[i][1];
    }
  }
  return found;
}

void ListTroopTiles(i32 x, i32 y, TTroopTiles& list) {
  int n = 1;
  for (i32 row = 0; row < 4; ++row)
    for (i32 col = 0; col < 4; ++col, ++n) {
      // Tiles past the map edges wrap to numbers far outside it, which nothing can enter.
      list[n].X = static_cast<std::uint16_t>(x + 2 * col);
      list[n].Y = static_cast<std::uint16_t>(y + row);
    }
}

std::uint8_t FindTroopTile(const TTroopTiles& list, std::uint8_t owner, i32& x, i32& y) {
  for (const TTroopTile& t : list) {
    if (CanEnter(UnitHeavySquad, owner, t.X, 0, t.Y) != 1) continue;
    x = t.X;
    y = t.Y;
    return 0;
  }
  return 1;
}

int SummonTroops(i32 px, i32 py, i32 gx, i32 gy, std::uint8_t owner) {
  TTroopTiles tiles{};
  ListTroopTiles(gx, gy, tiles);
  std::uint16_t made[TroopSquads] = {};
  int count = 0;
  for (int i = 0; i < TroopSquads; ++i) {
    i32 x = 0, y = 0;
    if (FindTroopTile(tiles, owner, x, y) != 0) break;
    const std::uint16_t slot = CreateUnitAt(x, y, UnitHeavySquad, 0, TroopSide, owner);
    if (slot == 0) break;
    made[count++] = slot;
  }
  for (int i = 0; i < count; ++i) MoveTo(Units[made[i]], px, py);
  return count;
}

std::uint16_t ConvertFirstEnemyUnit(std::uint8_t owner) {
  const int last = LastUnitSlot();
  for (int i = 1; i <= last; ++i) {
    TUnitRecord& u = Units[i];
    if (u.Free != 0 || u.OffMap != 0 || u.Owner == owner) continue;
    if (u.Kind == UnitHarvester || u.Kind == UnitCarrier) continue;
    if (NetRole == RoleSingle && u.Owner != LocalPlayer)
      if (TPlayerRecord* p = PlayerRecord(u.Owner)) ForgetUnit(*p, u.Slot);
    u.Owner = owner;
    UnitTilesChanged(u);
    u.Side = 2;
    // For good: a running conversion must not hand it back when it ends.
    u.NotConverted = 1;
    DeselectUnit(u);
    StopUnit(u);
    if (NetRole == RoleSingle && owner != LocalPlayer)
      if (TPlayerRecord* p = PlayerRecord(owner)) RegisterComputerUnit(*p, u.Slot);
    return static_cast<std::uint16_t>(i);
  }
  return 0;
}

}  // namespace zarn
