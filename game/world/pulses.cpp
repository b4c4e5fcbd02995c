#include "game/world/pulses.h"

#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/maps.h"
#include "game/base/mapview.h"
#include "game/base/random.h"
#include "game/base/video.h"
#include "game/world/buildings.h"
#include "game/world/ossinfields.h"
#include "game/world/units.h"

namespace zarn {

namespace {

constexpr std::uint16_t RedHigh = 61, RedLow = 40, RedStep = 2;
constexpr std::uint16_t BlueHigh = 63, BlueLow = 20;

// Advances the clock check shared by every pulse. False when the pulse does not step now.
template <typename Pulse>
bool PulseDue(Pulse& p) {
  if (p.Stopped == 1 || p.NextTick > TickCount) return false;
  p.NextTick = TickCount + 1;
  return true;
}

template <typename Pulse>
void Swing(Pulse& p, std::uint16_t high, std::uint16_t low, std::uint16_t step) {
  if (p.Direction == 0) {
    if (p.Level < high) p.Level = static_cast<std::uint16_t>(p.Level + step);
    else p.Direction = 1;
  } else {
    if (p.Level > low) p.Level = static_cast<std::uint16_t>(p.Level - step);
    else p.Direction = 0;
  }
}

void WriteEntry(std::uint16_t index, std::uint16_t r, std::uint16_t g, std::uint16_t b) {
  if (index >= GamePalette.size()) return;
  GamePalette[index] = {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
  BuildHiColorTable();
}

template <typename Pulse>
void StartPulse(Pulse& p) {
  p.NextTick = TickCount;
  p.Level = PulseStartLevel;
  p.Direction = 0;
  p.Stopped = 0;
}

}  // namespace

void InitRedPulse(TPalettePulse& p, std::uint16_t paletteIndex) {
  StartPulse(p);
  p.PaletteIndex = paletteIndex;
}

void InitWhitePulse(TPalettePulse& p, std::uint16_t paletteIndex) {
  StartPulse(p);
  p.PaletteIndex = paletteIndex;
}

void InitBluePulse(TBluePulse& p) { StartPulse(p); }

void StartPalettePulses() {
  InitRedPulse(RedPulse1, 12);
  InitBluePulse(BluePulse);
  InitRedPulse(RedPulse2, 8);
  InitRedPulse(RedPulse3, 9);
  InitWhitePulse(WhitePulse, 14);
}

void StepRedPulse(TPalettePulse& p) {
  if (!PulseDue(p)) return;
  Swing(p, RedHigh, RedLow, RedStep);
  WriteEntry(p.PaletteIndex, p.Level, 0, 0);
}

void StepWhitePulse(TPalettePulse& p) {
  if (!PulseDue(p)) return;
  Swing(p, RedHigh, RedLow, RedStep);
  WriteEntry(p.PaletteIndex, p.Level, p.Level, p.Level);
}

void StepBluePulse(TBluePulse& p) {
  if (!PulseDue(p)) return;
  Swing(p, BlueHigh, BlueLow, 1);
  WriteEntry(BluePulseEntry, 0, 0, p.Level);
}

void CreateWorm(TWormRecord& w, std::int32_t x, std::int32_t y, std::int32_t slot) {
  w.X = x;
  w.Y = y;
  w.NextX = x;
  w.NextY = y;
  w.Slot = slot;
  if (NetRole == RoleServer) NetBroadcastCreateWormProc(x, y, slot);
  w.StepPeriod = 1;
  w.Health = WormHealth;
  w.MaxHealth = WormHealth;
  w.MoveState = 0;
  w.Behaviour = WormResting;
  w.Facing = 2;
  w.Hidden = 1;
  w.StrikeCounter = 0;
  w.StepProgress = 16;
  w.Removed = 0;
  w.Deselected = 1;
  w.StepTimer = WorldTickCount;
  w.StrikeTimer = WorldTickCount;
  w.StrikeFramePeriod = 5;
  w.DigestPause = 540;
  w.HuntTime = WorldTickCount + WormFirstHuntDelay;
  w.PathLength = 0;
}

void RemoveWorm(TWormRecord& w) {
  w.Removed = 1;
  w.PathLength = 0;
  w.Prey = 0;
  w.Hidden = 1;
  w.Deselected = 1;
}

// The resets free whole records: a slot handed out again fills only some of its fields, and a
// new game must not inherit the rest from the game before (nor show them in its saved file).
// Each record is first removed as it stands (off the map, the tile index and the occupancy),
// then blanked and removed again, which leaves it as the program starts with it.
void RemoveAllWorms() {
  for (TWormRecord& w : Worms) {
    w = TWormRecord{};
    RemoveWorm(w);
  }
}

void KillAllUnits() {
  for (TUnitRecord& u : Units) {
    RemoveUnit(u);
    u = TUnitRecord{};
    RemoveUnit(u);
  }
}

void DestroyAllBuildings() {
  for (TBuildingRecord& b : Buildings) {
    RemoveBuilding(b);
    b = TBuildingRecord{};
    RemoveBuilding(b);
  }
}

void ClearEffectSlots() {
  for (TExplosionRecord& e : Explosions) {
    e = TExplosionRecord{};
    e.Free = 1;
  }
}

void ClearProjectiles() {
  for (TShotRecord& s : UnitShots) s = TShotRecord{};
}

void ClearSecondProjectiles() {
  for (TShotRecord& s : BuildingShots) s = TShotRecord{};
}

void RemoveAllBlooms() {
  // Whole records: a new game's saved file must not carry an earlier game's bloom places.
  for (TOssinBloomRecord& b : OssinBlooms) {
    b = TOssinBloomRecord{};
    b.Removed = 1;
  }
}

void ClearGroundMarks() {
  for (TDecalRecord& d : Decals) {
    d = TDecalRecord{};
    d.Free = 1;
  }
}

void ClearOssinFields() {
  OssinBulkMode = 1;
  for (TOssinFieldRecord& f : OssinFields) {
    FreeOssinField(f);
    f = TOssinFieldRecord{};
    FreeOssinField(f);
  }
  OssinBulkMode = 0;
}

std::int32_t FindFreeOssinFieldSlot() {
  for (int i = 1; i <= OssinFieldSlots; ++i)
    if (OssinFields[i].Free == 1) return i;
  return 0;
}

void NewOssinField(std::int32_t x, std::int32_t y, std::int32_t amount) {
  const std::int32_t slot = FindFreeOssinFieldSlot();
  // Coordinates are checked whole: a spill left of column 1 must not wrap to the far edge.
  if (slot == 0 || !GameMap.Inside(x, y) || TerrainClass(GameMap.Cell(x, y)) != 0) return;
  if (NetRole == RoleSingle) {
    TOssinFieldRecord& cell = OssinFields[slot];
    InitOssinField(cell, x, y);
    if (amount > 0) cell.Amount = amount;
    return;
  }
  // The server draws the amount itself and sends it, so that every machine holds the same cell.
  if (NetRole == RoleServer && amount <= 0) amount = 100 * (Random(5) + 1) + 300;
  NetInitOssinFieldProc(slot, x, y, amount);
}

void EmptyTheWorld() {
  ClearOssinFields();
  ClearWorldObjects();
  RemoveAllBlooms();
  ClearGroundMarks();
}

void ClearWorldObjects() {
  KillAllUnits();
  DestroyAllBuildings();
  ResetGroundMarks();
  ClearEffectSlots();
  ClearProjectiles();
  ClearSecondProjectiles();
  RemoveAllWorms();
}

}  // namespace zarn
