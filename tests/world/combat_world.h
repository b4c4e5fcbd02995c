// A small empty world for the fight tests: a 64 x 64 sand map, every table free, single play
// with player 1 at this seat, hooks that record what combat sends upward.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "game/world/dobjects.h"
#include "tests/world/empty_world.h"

namespace combat_test {

using namespace zarn;

struct TRecorded {
  std::vector<int> Waves;                 // sound bank indices played
  std::vector<std::vector<int>> FireAts;  // unit, x, y
  std::vector<std::vector<int>> TurretFires;
  std::vector<int> Removed;  // units the server removed
  std::vector<std::vector<int>> Damages;
  std::vector<std::vector<int>> SpecialWeapons;
};
inline TRecorded Recorded;

inline void RecordSound(std::int32_t, std::int32_t wave) { Recorded.Waves.push_back(wave); }
inline void RecordFireAt(std::int32_t u, std::int32_t x, std::int32_t y) {
  Recorded.FireAts.push_back({u, x, y});
}
inline void RecordTurretFire(std::int32_t b, std::int32_t x, std::int32_t y) {
  Recorded.TurretFires.push_back({b, x, y});
}
inline void RecordRemove(std::int32_t u) { Recorded.Removed.push_back(u); }
inline void RecordDamage(std::int32_t u, std::int32_t d, std::int32_t a, std::int32_t c) {
  Recorded.Damages.push_back({u, d, a, c});
}
inline void RecordSpecial(std::int32_t b, std::int32_t x, std::int32_t y) {
  Recorded.SpecialWeapons.push_back({b, x, y});
}

inline void ResetWorld() {
  ResetHooks();
  Recorded = {};
  PlaySoundProc = RecordSound;
  NetBroadcastFireAtProc = RecordFireAt;
  NetBroadcastTurretFireProc = RecordTurretFire;
  NetRemoveUnitProc = RecordRemove;
  NetBroadcastDamageUnitProc = RecordDamage;
  NetUseSpecialWeaponProc = RecordSpecial;
  NoUnitsOrBuildings();
  for (TShotRecord& s : UnitShots) s = TShotRecord{};
  for (TShotRecord& s : BuildingShots) s = TShotRecord{};
  for (TExplosionRecord& e : Explosions) e = TExplosionRecord{}, e.Free = 1;
  for (TWormRecord& w : Worms) w = TWormRecord{}, w.Removed = 1;
  for (TOssinFieldRecord& f : OssinFields) f = TOssinFieldRecord{}, f.Free = 1;
  for (TOssinBloomRecord& b : OssinBlooms) b = TOssinBloomRecord{}, b.Removed = 1;
  for (TDecalRecord& d : Decals) d = TDecalRecord{}, d.Free = 1;
  GameMap.Width = 64;
  GameMap.Height = 64;
  for (auto& c : GameMap.Cells) c = MakeTerrainByte(0, 0);
  for (auto& c : OccupancyMap.Cells) c = 0;
  UnitSlots = 200;
  BuildingSlots = 200;
  Mission.PlayerCount = 2;
  NetRole = RoleSingle;
  LocalPlayer = 1;
  DebugFlags = DefaultDebugFlags;
  ViewState = TViewState{};
  ViewState.ViewX = 1;
  ViewState.ViewY = 1;
  WorldTickCount = 1000;
  TickCount = 5000;
  for (int i = 1; i <= MaxPlayers; ++i)
    InitPlayerRecord(Players[i], static_cast<std::uint8_t>(i), 0, 0);
  Randomize(11);
}

// A live unit of the kind in the slot, standing on (x, y) in the given state.
inline TUnitRecord& PutUnit(int slot, std::uint8_t kind, std::uint8_t owner, std::int32_t x,
                            std::int32_t y, std::uint8_t state = StateIdle) {
  TUnitRecord& u = Units[slot];
  InitUnit(u, x, y, static_cast<std::uint16_t>(slot), owner == 1 ? 0 : 2, owner, kind);
  u.State = state;
  return u;
}

inline TBuildingRecord& PutBuilding(int slot, std::uint8_t kind, std::uint8_t owner, std::int32_t x,
                                    std::int32_t y, std::uint8_t side = 0) {
  TBuildingRecord& b = Buildings[slot];
  InitBuilding(b, x, y, kind, owner, side, static_cast<std::uint16_t>(slot));
  return b;
}

inline int LiveExplosions() {
  int n = 0;
  for (const TExplosionRecord& e : Explosions) n += e.Free == 0;
  return n;
}

inline int ActiveShots(const TShotTable& t) {
  int n = 0;
  for (const TShotRecord& s : t) n += s.Active != 0;
  return n;
}

// Runs a unit shot to its end, the interface clock moving on with every step.
inline void FlyOut(TShotRecord& s, bool building = false) {
  for (int i = 0; i < 2000 && s.Active != 0; ++i) {
    if (building)
      UpdateBuildingShot(s);
    else
      UpdateShot(s);
    TickCount += 8;
  }
}

}  // namespace combat_test
