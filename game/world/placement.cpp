#include "game/world/placement.h"

#include <algorithm>

#include "game/base/cp1251.h"
#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/maps.h"
#include "game/base/rules.h"
#include "game/base/video.h"
#include "game/sound/dsnd.h"
#include "game/world/buildings.h"
#include "game/world/passability.h"
#include "game/world/units.h"

namespace zarn {

namespace {

constexpr std::string_view BlockedText = "Что-то мешает построить"_cp1251;
constexpr std::string_view NoContactText = "Нельзя построить, отсутствуют коммуникации"_cp1251;
constexpr std::string_view NoSlotText = "Нельзя построить больше"_cp1251;

// Only terrain of this class carries buildings.
constexpr int TerrainBuildable = 4;

bool InsideRect(std::int32_t px, std::int32_t py, std::int32_t x, std::int32_t y, std::int32_t w,
                std::int32_t h) {
  return px >= x && px < x + w && py >= y && py < y + h;
}

// The owner hears of a refusal (on this screen, or from the server); a computer player's
// attempt fails silently. Either way the caller learns that nothing was built.
std::uint8_t Refuse(std::uint8_t owner, std::string_view text) {
  DeliverTextToPlayer(owner, text);
  return 1;
}

}  // namespace

int FootprintRing(std::int32_t x, std::int32_t y, std::uint8_t footprintClass, int distance,
                  TRingTile (&tiles)[MaxRingTiles]) {
  const std::int32_t w = FootprintWidth(footprintClass), h = FootprintHeight(footprintClass);
  const std::int32_t d = std::clamp(distance, 1, 2);
  int n = 0;
  auto add = [&](std::int32_t tx, std::int32_t ty) {
    if (n < MaxRingTiles) tiles[n++] = {tx, ty};
  };
  for (std::int32_t tx = x - d; tx <= x + w - 1 + d; ++tx) add(tx, y - d);
  for (std::int32_t tx = x - d; tx <= x + w - 1 + d; ++tx) add(tx, y + h - 1 + d);
  for (std::int32_t r = y - d + 1; r <= y + h - 2 + d; ++r) {
    add(x - d, r);
    add(x + w - 1 + d, r);
  }
  return n;
}

std::uint8_t IsFootprintBlocked(std::int32_t x, std::int32_t y, std::uint8_t yardFlag,
                                std::uint8_t footprintClass) {
  const std::int32_t w = FootprintWidth(footprintClass), h = FootprintHeight(footprintClass);
  for (std::int32_t tx = x; tx < x + w; ++tx)
    for (std::int32_t ty = y; ty < y + h; ++ty)
      if (!GameMap.Inside(tx, ty) || TerrainClass(GameMap.Cell(tx, ty)) != TerrainBuildable) return 1;

  const int lastUnit = LastUnitSlot();
  for (int i = 1; i <= lastUnit; ++i) {
    const TUnitRecord& u = Units[i];
    if (u.Free != 0 || u.OffMap != 0 || u.Kind >= UnitCarrier) continue;  // aircraft never block
    if (yardFlag == 1 && u.Kind == UnitConstructionVehicle) continue;
    if (InsideRect(u.X, u.Y, x, y, w, h) || InsideRect(u.NextX, u.NextY, x, y, w, h)) return 1;
  }

  const int lastBuilding = LastBuildingSlot();
  for (int i = 1; i <= lastBuilding; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free != 0 || b.Kind == BuildingSlab) continue;  // slabs never block; walls do
    const std::int32_t bw = FootprintWidth(b.FootprintClass), bh = FootprintHeight(b.FootprintClass);
    if (b.X < x + w && x < b.X + bw && b.Y < y + h && y < b.Y + bh) return 1;
  }
  return 0;
}

std::uint8_t LacksConnection(std::int32_t x, std::int32_t y, std::uint8_t footprintClass,
                             std::uint8_t player) {
  TRingTile ring[MaxRingTiles];
  const int n = FootprintRing(x, y, footprintClass, 1, ring);
  const int last = LastBuildingSlot();
  for (int t = 0; t < n; ++t) {
    for (int i = 1; i <= last; ++i) {
      const TBuildingRecord& b = Buildings[i];
      if (b.Free != 0 || BuildingCoversTile(b, ring[t].X, ring[t].Y) != 0) continue;
      // Slabs and walls join anyone's base; other buildings only their owner's.
      if (b.Kind <= BuildingWall || b.Owner == player) return 0;
    }
  }
  return 1;
}

std::int32_t SlabCoverPercent(std::int32_t x, std::int32_t y, std::uint8_t footprintClass) {
  const std::int32_t w = FootprintWidth(footprintClass), h = FootprintHeight(footprintClass);
  const std::int32_t needed = w * h;
  std::int32_t counted = 0;
  const int last = LastBuildingSlot();
  for (int i = 1; i <= last; ++i) {
    TBuildingRecord& b = Buildings[i];
    if (b.Free != 0 || b.Kind != BuildingSlab || !InsideRect(b.X, b.Y, x, y, w, h)) continue;
    ++counted;
    RemoveBuilding(b);
  }
  // Stacked slabs count once per tile at most: never more than full health.
  if (counted >= needed) return 100;
  return 50 + static_cast<std::int32_t>(static_cast<double>(counted) / needed * 50);
}

std::uint8_t PlaceBuilding(std::int32_t x, std::int32_t y, std::uint8_t kind, std::uint8_t side,
                           std::uint8_t owner) {
  if (NetRole == RoleClient) {
    NetPlaceBuildingProc(x, y, kind, side, owner);
    return 0;
  }
  if (kind >= BuildingKindCount || owner < 1 || owner > MaxPlayers) return 1;
  if (FootprintRefused(x, y, kind, owner) != 0) return 1;
  std::uint16_t slot = 0;
  if (FindFreeBuildingSlot(slot) != 0) return Refuse(owner, NoSlotText);
  TBuildingRecord& b = Buildings[slot];
  InitBuilding(b, x, y, kind, owner, side, slot);
  if (kind != BuildingSlab && kind != BuildingConstructionYard)
    b.Health = b.Health * SlabCoverPercent(x, y, FootprintClass(kind)) / 100;
  PlayPlaceBuildingSound();
  return 0;
}

std::uint8_t FootprintRefused(std::int32_t x, std::int32_t y, std::uint8_t kind, std::uint8_t owner) {
  if (kind >= BuildingKindCount) return 1;
  const std::uint8_t cls = FootprintClass(kind);
  // The yard may stand where its vehicle stands, and needs no contact.
  if (kind == BuildingConstructionYard)
    return IsFootprintBlocked(x, y, 1, cls) != 0 ? Refuse(owner, BlockedText) : 0;
  if (IsFootprintBlocked(x, y, 0, cls) != 0) return Refuse(owner, BlockedText);
  if (LacksConnection(x, y, cls, owner) != 0) return Refuse(owner, NoContactText);
  return 0;
}

std::uint8_t PlaceSlabBlock(std::int32_t x, std::int32_t y, std::uint8_t owner, std::uint8_t side) {
  if (NetRole == RoleClient) return 0;
  if (owner < 1 || owner > MaxPlayers) return 1;
  if (IsFootprintBlocked(x, y, 0, 1) != 0) return Refuse(owner, BlockedText);
  if (LacksConnection(x, y, 1, owner) != 0) return Refuse(owner, NoContactText);
  static constexpr std::int32_t Offsets[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  for (const auto& o : Offsets) {
    std::uint16_t slot = 0;
    // Slabs already laid stay; slots do not come free in between, so the rest would fail too.
    if (FindFreeBuildingSlot(slot) != 0) return Refuse(owner, NoSlotText);
    InitBuilding(Buildings[slot], x + o[0], y + o[1], BuildingSlab, owner, side, slot);
  }
  PlayPlaceBuildingSound();
  return 0;
}

std::uint8_t FindExitTile(std::int32_t x, std::int32_t y, std::uint8_t footprintClass,
                              std::uint8_t owner, std::uint8_t unitKind, std::int32_t& exitX,
                              std::int32_t& exitY) {
  auto tryTile = [&](std::int32_t tx, std::int32_t ty) {
    if (CanEnter(unitKind, owner, tx, 0, ty) != 1) return false;
    exitX = tx;
    exitY = ty;
    return true;
  };
  if (footprintClass == 0) return tryTile(x, y) ? 0 : 1;
  TRingTile ring[MaxRingTiles];
  for (int distance = 1; distance <= 2; ++distance) {
    const int n = FootprintRing(x, y, footprintClass, distance, ring);
    for (int t = 0; t < n; ++t)
      if (tryTile(ring[t].X, ring[t].Y)) return 0;
  }
  return 1;
}

std::uint8_t DeployUnit(TUnitRecord& u) {
  if (u.Free != 0 || u.OffMap != 0 || u.Kind != UnitConstructionVehicle) return 1;
  if (NetRole == RoleClient) {
    NetDeployUnitProc(u.Slot);
    return 0;
  }
  if (PlaceBuilding(u.X, u.Y, BuildingConstructionYard, u.Side, u.Owner) != 0) return 1;
  if (NetRole != RoleSingle) NetRemoveUnitProc(u.Slot);  // removes and broadcasts
  else RemoveUnit(u);
  return 0;
}

}  // namespace zarn
