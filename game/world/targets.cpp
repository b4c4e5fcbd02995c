#include "game/world/targets.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/random.h"
#include "game/base/rules.h"
#include "game/world/buildings.h"
#include "game/world/orders.h"
#include "game/world/blooms.h"
#include "game/world/damage.h"
#include "game/world/tileindex.h"
#include "game/world/units.h"
#include "game/base/mapview.h"
#include "game/world/players.h"

namespace zarn {

namespace {

constexpr double NoneNear = 255.0;

// Pixels of a step: a unit moves one tile in 16.
constexpr std::uint16_t StepPixels = 16;

bool IsInfantry(std::uint8_t kind) { return kind <= UnitHeavySquad; }

// Harvesters, construction vehicles and carriers carry no weapon and only look about.
bool Unarmed(std::uint8_t kind) {
  return kind == UnitHarvester || kind == UnitConstructionVehicle || kind == UnitCarrier;
}

bool InRangeSquare(const TUnitRecord& u, std::int32_t x, std::int32_t y) {
  return std::abs(x - u.X) <= u.Range && std::abs(y - u.Y) <= u.Range;
}

// The launcher skips what FireAt would refuse to shoot at, so it never locks onto a target it
// cannot hit: the larger coordinate difference at most its minimum range.
bool InsideMinRange(const TUnitRecord& u, std::int32_t x, std::int32_t y) {
  if (u.Kind != UnitRocketLauncher) return false;
  return std::max(std::abs(x - u.X), std::abs(y - u.Y)) <= u.MinRange;
}

// Keeps the strictly nearest candidate; the lowest slot wins a tie.
struct Nearest {
  double best = NoneNear;
  int slot = 0;
  std::int32_t x = 0, y = 0;
  void Offer(const TUnitRecord& u, int candidate, std::int32_t cx, std::int32_t cy) {
    const double d = TileDistance(cx, cy, u.X, u.Y);
    // Offered in slot order only the first of equals wins; offered in any order, the lowest.
    if (d < best || (d == best && slot != 0 && candidate < slot)) {
      best = d;
      slot = candidate;
      x = cx;
      y = cy;
    }
  }
};

bool ChooseEnemyUnit(TUnitRecord& u) {
  const bool antiAir = u.Kind == UnitHeavyTrooper || u.Kind == UnitHeavySquad ||
                       u.Kind == UnitRocketLauncher || u.Kind == UnitSkeltrel;
  Nearest n;
  const auto offer = [&](int i) {
    // Owner and kind are read from the brief, which holds them exactly for a live unit (a free
    // slot fails on its record), so that friends cost no load of their record.
    const tile_index::TUnitBrief& brief = tile_index::Brief[static_cast<std::size_t>(i)];
    if (brief.Owner == u.Owner || (!antiAir && brief.Kind >= UnitCarrier)) return;
    const TUnitRecord& e = Units[i];
    if (e.Free != 0 || e.OffMap != 0) return;
    if (!InRangeSquare(u, e.X, e.Y) || InsideMinRange(u, e.X, e.Y)) return;
    n.Offer(u, i, e.X, e.Y);
  };
  ForEachUnitNearTile(u.X, u.Y, u.Range, offer, u.Owner);
  if (n.slot == 0) return false;
  u.TargetSlot = static_cast<std::uint16_t>(n.slot);
  SetTarget(u, n.x, n.y);
  u.TargetClass = TargetUnit;
  return true;
}

// The buildings that can be targets (live, kind 2 or more), filed by the 16 x 16 block of their
// anchor tile, and filed again only when a building was made or removed (a building never
// moves): a unit reads only the blocks its range square can touch. Owners may change in
// between, so the live record decides the rest.
constexpr int BlockShift = 4;
constexpr int BlockRow = (MapMaxSize >> BlockShift) + 1;
constexpr std::int32_t WidestFootprint = 3;

int BlockOf(std::int32_t v) { return (std::clamp<std::int32_t>(v, 1, MapMaxSize + 1) - 1) >> BlockShift; }

struct TTargetBlocks {
  std::array<int, BlockRow * BlockRow + 1> First{};  // of each block in Slots; one more ends the last
  std::vector<std::uint16_t> Slots;
};

TTargetBlocks FileTargetBuildings() {
  TTargetBlocks blocks;
  // Counted, then filed in slot order.
  std::array<int, BlockRow * BlockRow + 1> count{};
  const int last = LastBuildingSlot();
  const auto block = [](const TBuildingRecord& b) { return BlockOf(b.Y) * BlockRow + BlockOf(b.X); };
  for (int i = 1; i <= last; ++i)
    if (Buildings[i].Free == 0 && Buildings[i].Kind >= BuildingConstructionYard) ++count[static_cast<std::size_t>(block(Buildings[i]) + 1)];
  for (std::size_t k = 1; k < count.size(); ++k) count[k] += count[k - 1];
  blocks.First = count;
  blocks.Slots.resize(static_cast<std::size_t>(count.back()));
  for (int i = 1; i <= last; ++i)
    if (Buildings[i].Free == 0 && Buildings[i].Kind >= BuildingConstructionYard)
      blocks.Slots[static_cast<std::size_t>(count[static_cast<std::size_t>(block(Buildings[i]))]++)] = static_cast<std::uint16_t>(i);
  return blocks;
}

const TTargetBlocks& TargetBuildings() {
  static TTargetBlocks blocks;
  static bool valid = false;
  static std::int32_t slots = 0;
  static std::uint32_t changes = 0;
  if (valid && slots == BuildingSlots && changes == BuildingChanges) {
    if (TileIndexSelfCheck) {
      const TTargetBlocks now = FileTargetBuildings();
      if (now.First != blocks.First || now.Slots != blocks.Slots)
        throw std::logic_error("the building table changed without BuildingChanges");
    }
    return blocks;
  }
  blocks = FileTargetBuildings();
  valid = true;
  slots = BuildingSlots;
  changes = BuildingChanges;
  return blocks;
}

bool ChooseEnemyBuilding(TUnitRecord& u) {
  Nearest n;
  const TTargetBlocks& blocks = TargetBuildings();
  // A footprint reaches into the range square only from an anchor at most its width before it.
  const int bx0 = BlockOf(u.X - u.Range - (WidestFootprint - 1)), bx1 = BlockOf(u.X + u.Range);
  const int by0 = BlockOf(u.Y - u.Range - (WidestFootprint - 1)), by1 = BlockOf(u.Y + u.Range);
  for (int by = by0; by <= by1; ++by)
    for (int k = blocks.First[static_cast<std::size_t>(by * BlockRow + bx0)];
         k < blocks.First[static_cast<std::size_t>(by * BlockRow + bx1 + 1)]; ++k) {
      const int i = blocks.Slots[static_cast<std::size_t>(k)];
      const TBuildingRecord& b = Buildings[i];
      if (b.Free != 0 || b.Kind < BuildingConstructionYard || b.Owner == u.Owner) continue;
      std::int32_t tx = 0, ty = 0;
      NearestFootprintTile(b, u.X, u.Y, tx, ty);
      if (!InRangeSquare(u, tx, ty) || InsideMinRange(u, tx, ty)) continue;
      n.Offer(u, i, tx, ty);
    }
  if (n.slot == 0) return false;
  u.TargetSlot = static_cast<std::uint16_t>(n.slot);
  SetTarget(u, n.x, n.y);
  u.TargetClass = TargetBuilding;
  return true;
}

bool ChooseWorm(TUnitRecord& u) {
  Nearest n;
  for (int i = 1; i <= WormSlots; ++i) {
    const TWormRecord& w = Worms[i];
    if (w.Removed != 0) continue;
    if (!InRangeSquare(u, w.X, w.Y) || InsideMinRange(u, w.X, w.Y)) continue;
    n.Offer(u, i, w.X, w.Y);
  }
  if (n.slot == 0) return false;
  u.TargetSlot = static_cast<std::uint16_t>(n.slot);
  SetTarget(u, n.x, n.y);
  u.TargetClass = TargetWorm;
  return true;
}

void TurnOneStep(TUnitRecord& u) {
  u.TurretFacing = TurnTowardFacing(u.TurretFacing, u.Facing);
  u.NextTurnTick = WorldTickCount + u.TurnDelay * 4;
}

void IdleTurning(TUnitRecord& u) {
  if (WorldTickCount < u.NextTurnTick) return;
  if (u.TurretFacing == u.Facing) {
    if (WorldTickCount >= u.NextLookTick) {
      u.NextLookTick = WorldTickCount + u.IdleLookPeriod;
      u.Facing = static_cast<std::uint8_t>(Random(8));
    }
  } else {
    TurnOneStep(u);
  }
}

// What arriving on the new tile does. False when the unit was lost there.
bool ArrivalEffects(TUnitRecord& u) {
  if (u.Kind >= UnitCarrier) return true;
  std::uint16_t bloom = 0;
  if (FindBloomAtTile(u.X, u.Y, bloom) == 0) {
    if (NetRole != RoleSingle) {
      NetEruptBloomProc(bloom);
      NetRemoveUnitProc(u.Slot);
    } else {
      EruptBloom(OssinBlooms[bloom]);
      RemoveUnit(u);
    }
    return false;
  }
  if (u.Kind < UnitLightTank) return true;
  // Only the first is crushed: the lowest slot standing on the tile.
  const int last = LastUnitSlot();
  int first = 0;
  const auto consider = [&](int i) {
    if (i < 1 || i > last || (first != 0 && i > first)) return;
    const TUnitRecord& v = Units[i];
    if (v.Free != 0 || v.OffMap != 0 || !IsInfantry(v.Kind) || v.Owner == u.Owner) return;
    if (v.X == u.X && v.Y == u.Y) first = i;
  };
  if (u.X >= 1 && u.X <= MapMaxSize && u.Y >= 1 && u.Y <= MapMaxSize) ForEachUnitOnTile(u.X, u.Y, consider);
  else
    for (int i = 1; i <= last && first == 0; ++i) consider(i);
  if (first == 0) return true;
  if (NetRole != RoleSingle) NetCrushUnitProc(first);
  else CrushUnit(Units[first]);
  return true;
}

}  // namespace

std::uint8_t FindUnitAtTile(std::int32_t x, std::int32_t y, std::uint16_t& slot) {
  const int last = LastUnitSlot();
  if (x >= 1 && x <= MapMaxSize && y >= 1 && y <= MapMaxSize) {
    // Every live unit on the map standing on a tile of the grid is in the tile's list; the
    // lowest slot is the one a scan of the table finds first.
    int found = 0;
    ForEachUnitOnTile(x, y, [&](int i) {
      if (i >= 1 && i <= last && Units[i].X == x && Units[i].Y == y && (found == 0 || i < found)) found = i;
    });
    if (found == 0) return 1;
    slot = static_cast<std::uint16_t>(found);
    return 0;
  }
  for (int i = 1; i <= last; ++i) {
    const TUnitRecord& u = Units[i];
    if (u.Free == 0 && u.OffMap == 0 && u.X == x && u.Y == y) {
      slot = static_cast<std::uint16_t>(i);
      return 0;
    }
  }
  return 1;
}

std::uint8_t FindWormAtTile(std::int32_t x, std::int32_t y, std::uint16_t& slot) {
  for (int i = 1; i <= WormSlots; ++i) {
    const TWormRecord& w = Worms[i];
    if (w.Removed == 0 && w.X == x && w.Y == y) {
      slot = static_cast<std::uint16_t>(i);
      return 0;
    }
  }
  return 1;
}

std::uint8_t FindBloomAtTile(std::int32_t x, std::int32_t y, std::uint16_t& slot) {
  for (int i = 1; i <= BloomSlots; ++i) {
    const TOssinBloomRecord& b = OssinBlooms[i];
    if (b.Removed == 0 && b.X == x && b.Y == y) {
      slot = static_cast<std::uint16_t>(i);
      return 0;
    }
  }
  return 1;
}

std::uint8_t FindBuildingAtTile(std::int32_t x, std::int32_t y, std::uint16_t& slot) {
  const int last = LastBuildingSlot();
  for (int i = 1; i <= last; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free == 0 && b.Kind >= BuildingConstructionYard && BuildingCoversTile(b, x, y) == 0) {
      slot = static_cast<std::uint16_t>(i);
      return 0;
    }
  }
  return 1;
}

std::uint8_t ObjectAtTile(std::int32_t x, std::int32_t y, std::uint16_t& slot, std::uint8_t& cls) {
  if (FindUnitAtTile(x, y, slot) == 0) cls = TargetUnit;
  else if (FindWormAtTile(x, y, slot) == 0) cls = TargetWorm;
  else if (FindBloomAtTile(x, y, slot) == 0) cls = TargetBloom;
  else if (FindBuildingAtTile(x, y, slot) == 0) cls = TargetBuilding;
  else return 1;
  return 0;
}

std::uint8_t FindTarget(TUnitRecord& u) {
  if (ChooseEnemyUnit(u) || ChooseEnemyBuilding(u)) return 1;
  // Side 1 leaves the worms alone.
  if (u.Side != 1 && ChooseWorm(u)) return 1;
  return 0;
}

void AutoTarget(TUnitRecord& u) {
  if (u.MovePhase != 0) return;
  if (Unarmed(u.Kind)) {
    IdleTurning(u);
  } else if (u.State != StateAttack) {
    if (u.NextSearchTick < WorldTickCount) {
      u.NextSearchTick = WorldTickCount + u.SearchPeriod;
      if (FindTarget(u) == 1) {
        HuntOrder(u);
        return;
      }
    }
    IdleTurning(u);
  }
  // An attacking unit still turns toward the facing its attack asks for.
  if (WorldTickCount >= u.NextTurnTick && u.TurretFacing != u.Facing) TurnOneStep(u);
}

void OnTileEntered(TUnitRecord& u) {
  if (u.MovePhase != 2 || WorldTickCount < u.NextTurnTick) return;
  u.NextTurnTick = WorldTickCount + u.TurnDelay;
  if (u.TurretFacing != u.Facing) {
    u.TurretFacing = TurnTowardFacing(u.TurretFacing, u.Facing);
    u.NextTurnTick = WorldTickCount + u.TurnDelay * (IsInfantry(u.Kind) ? 2 : 4);
    return;
  }
  if (u.StepProgress < StepPixels) {
    const bool fast = u.Kind == UnitTrike || u.Kind == UnitQuad || u.Kind == UnitCarrier || u.Kind == UnitSkeltrel;
    u.StepProgress = static_cast<std::uint16_t>(u.StepProgress + (fast ? 4 : 2));
    if (u.StepProgress >= StepPixels) {
      // The tile changes by one whole step, however far the progress overshot 16 (a progress
      // from a saved game need not be even), never by two.
      u.StepProgress = StepPixels;
      std::int32_t x = u.X, y = u.Y;
      StepByFacing(u.Facing, x, y);
      u.X = x;
      u.Y = y;
      UnitTilesChanged(u);
      if (!ArrivalEffects(u)) return;
    }
  }
  if (u.Owner == LocalPlayer && u.Slot != 0 && u.StepProgress >= StepPixels) {
    const bool nearSighted = u.Kind == UnitHarvester || u.Kind == UnitConstructionVehicle;
    RevealArea(u.X, u.Y, nearSighted ? 1 : (u.Range / 3) * 2);
  }
}

}  // namespace zarn
