#include "game/world/editorrules.h"

#include <string_view>

#include "game/base/cp1251.h"
#include "game/base/globals.h"
#include "game/base/rules.h"
#include "game/base/maps.h"
#include "game/base/video.h"
#include "game/world/blooms.h"
#include "game/world/buildings.h"
#include "game/world/messages.h"
#include "game/world/ossinfields.h"
#include "game/world/pulses.h"
#include "game/world/targets.h"
#include "game/world/units.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

constexpr std::string_view OssinOnSandOnly = "Оссин можно расположить только на песке"_cp1251;
constexpr std::string_view BloomOnSandOnly = "Залежи можно расположить только на песке"_cp1251;
constexpr std::string_view ZarnOnSandOnly = "Зарны можно расположить только на песке"_cp1251;
constexpr std::string_view MountainOnGroundOnly = "Горы можно расположить только на земле"_cp1251;
constexpr std::string_view NoMoreWorms = "Больше червей создать нельзя"_cp1251;
constexpr std::string_view ClearMessage = " ";

void Say(std::string_view cp1251Text) { ShowMessageLine(InFontCodePage(cp1251Text)); }

bool Inside(i32 x, i32 y) { return GameMap.Inside(x, y); }
int ClassAt(i32 x, i32 y) { return TerrainClass(GameMap.Cell(x, y)); }
void SetTerrain(i32 x, i32 y, int cls, int tile) {
  GameMap.Cell(x, y) = MakeTerrainByte(cls, tile);
  TerrainChanged();
}

bool FieldAt(i32 x, i32 y) {
  std::uint16_t slot = 0;
  std::uint8_t cls = 0;
  return FindOssinFieldAt(x, y, slot, cls) == 0;
}

bool BloomAt(i32 x, i32 y) {
  std::uint16_t slot = 0;
  return FindBloomAtTile(x, y, slot) == 0;
}

// Tiles of the terrain strip's items; an item outside the tile range picks nothing.
bool TileFromItem(i32 item, i32 first, int& tile) {
  tile = item - first;
  return tile >= 0 && tile <= 31;
}

template <typename Visit>
void ForEachViewTile(Visit visit) {
  const i32 vx = ViewState.ViewX, vy = ViewState.ViewY;
  for (i32 y = vy; y <= vy + 9; ++y)
    for (i32 x = vx; x <= vx + 19; ++x)
      if (Inside(x, y)) visit(x, y);
}

}  // namespace

std::uint8_t EditorBuildingPalette(int place) { return static_cast<std::uint8_t>(place + 17); }

void RemoveFieldAndBloom(i32 x, i32 y) {
  std::uint16_t slot = 0;
  std::uint8_t cls = 0;
  if (FindOssinFieldAt(x, y, slot, cls) == 0) FreeOssinField(OssinFields[slot]);
  if (FindBloomAtTile(x, y, slot) == 0) RemoveBloom(OssinBlooms[slot]);
}

void EditorPlaceOssinField(i32 x, i32 y) {
  if (!Inside(x, y) || FieldAt(x, y)) return;
  if (ClassAt(x, y) != TerrainSand) {
    Say(OssinOnSandOnly);
    return;
  }
  NewOssinField(x, y, 0);
  ResetLastViewPos();
  Say(ClearMessage);
}

void EditorPlaceBloom(i32 x, i32 y) {
  if (!Inside(x, y) || BloomAt(x, y)) return;
  if (ClassAt(x, y) != TerrainSand) {
    Say(BloomOnSandOnly);
    return;
  }
  AddBloom(x, y);
  ResetLastViewPos();
  Say(ClearMessage);
}

void EditorPlaceZarn(i32 x, i32 y, i32 pageItem) {
  if (!Inside(x, y)) return;
  if (ClassAt(x, y) != TerrainSand) {
    Say(ZarnOnSandOnly);
    return;
  }
  int tile = 0;
  if (!TileFromItem(pageItem, ZarnFirstItem, tile)) return;
  Say(ClearMessage);
  RemoveFieldAndBloom(x, y);
  SetTerrain(x, y, TerrainSand, tile);
  ResetLastViewPos();
}

void EditorPlaceMountain(i32 x, i32 y, i32 pageItem) {
  if (!Inside(x, y)) return;
  const int cls = ClassAt(x, y);
  if (cls != TerrainGround && cls != TerrainRock) {
    Say(MountainOnGroundOnly);  // rock takes mountains too, but the advice is about ground
    return;
  }
  int tile = 0;
  if (!TileFromItem(pageItem, MountainFirstItem, tile)) return;
  Say(ClearMessage);
  RemoveFieldAndBloom(x, y);
  SetTerrain(x, y, TerrainRock, tile);
  ResetLastViewPos();
}

void EditorPaintSand(i32 x, i32 y) {
  if (!Inside(x, y)) return;
  RemoveFieldAndBloom(x, y);
  SetTerrain(x, y, TerrainSand, 0);
  RetileGroundAround(x, y);
  ResetLastViewPos();
}

void EditorPaintGround(i32 x, i32 y) {
  if (!Inside(x, y)) return;
  SetTerrain(x, y, TerrainGround, 0);
  RetileGroundAround(x, y);
  ResetLastViewPos();
}

void EditorEraseObjects(i32 x, i32 y) {
  if (!Inside(x, y)) return;
  RemoveFieldAndBloom(x, y);
  EditorPaintGround(x, y);
  ResetLastViewPos();
}

void EditorFillViewGround() {
  ForEachViewTile([](i32 x, i32 y) {
    RemoveFieldAndBloom(x, y);
    SetTerrain(x, y, TerrainGround, 0);
    RetileGroundAround(x, y);
  });
  ResetLastViewPos();
}

void EditorFillViewRock() {
  ForEachViewTile([](i32 x, i32 y) {
    RemoveFieldAndBloom(x, y);
    SetTerrain(x, y, TerrainRock, 1);
  });
  ResetLastViewPos();
}

void EditorFillViewSand() {
  ForEachViewTile([](i32 x, i32 y) {
    RemoveFieldAndBloom(x, y);
    SetTerrain(x, y, TerrainSand, 0);
  });
  ResetLastViewPos();
}

void EditorFillViewOssin() {
  ForEachViewTile([](i32 x, i32 y) { EditorPlaceOssinField(x, y); });
  ResetLastViewPos();
}

std::uint8_t EditorCreateUnit(i32 x, i32 y, std::uint8_t kind, std::uint8_t side,
                              std::uint8_t owner) {
  // The strip's places past the sixteen unit kinds name no unit.
  if (!Inside(x, y) || kind > 15) return 1;
  std::uint16_t slot = 0;
  if (FindFreeUnitSlot(slot) != 0) return 1;
  InitUnit(Units[slot], x, y, slot, side, owner, kind);
  return 0;
}

std::uint8_t EditorCreateBuilding(i32 x, i32 y, std::uint8_t kind, std::uint8_t side,
                                  std::uint8_t owner) {
  if (!Inside(x, y) || kind > 17) return 1;
  std::uint16_t slot = 0;
  if (FindFreeBuildingSlot(slot) != 0) return 1;
  InitBuilding(Buildings[slot], x, y, kind, owner, side, slot);
  return 0;
}

std::uint8_t EditorCreateWorm(i32 x, i32 y) {
  if (!Inside(x, y)) return 1;
  for (i32 i = 1; i <= WormSlots; ++i)
    if (Worms[i].Removed != 0) {
      CreateWorm(Worms[i], x, y, i);
      return 0;
    }
  return 1;
}

void EditorPlaceUnit(i32 x, i32 y, i32 place, std::uint8_t side, std::uint8_t owner) {
  if (place < 0 || place >= EditorUnitPlaces) return;
  EditorCreateUnit(x, y, EditorUnitPalette[place], side, owner);
}

void EditorPlaceBuilding(i32 x, i32 y, i32 place, std::uint8_t side, std::uint8_t owner) {
  if (place < 0 || place >= EditorBuildingPlaces) return;
  const std::uint8_t item = EditorBuildingPalette(place);
  if (item == ItemSlabBlock) {
    // Each slab on its own: those that would lie off the map are left out.
    EditorCreateBuilding(x, y, BuildingSlab, side, owner);
    EditorCreateBuilding(x + 1, y, BuildingSlab, side, owner);
    EditorCreateBuilding(x, y + 1, BuildingSlab, side, owner);
    EditorCreateBuilding(x + 1, y + 1, BuildingSlab, side, owner);
    return;
  }
  EditorCreateBuilding(x, y, ItemBuildingKind(item), side, owner);
}

void EditorPlaceWorm(i32 x, i32 y) {
  if (!Inside(x, y)) return;
  if (EditorCreateWorm(x, y) == 0)
    Say(ClearMessage);
  else
    Say(NoMoreWorms);
}

std::uint8_t GroundNeighbourMask(i32 x, i32 y) {
  static constexpr i32 Dx[8] = {-1, 0, 1, -1, 1, -1, 0, 1};
  static constexpr i32 Dy[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
  std::uint8_t mask = 0;
  for (int k = 0; k < 8; ++k) {
    const i32 nx = x + Dx[k], ny = y + Dy[k];
    // The map's outside counts as ground, so border tiles get no edge toward it.
    bool solid = true;
    if (Inside(nx, ny)) {
      const int cls = ClassAt(nx, ny);
      solid = cls == TerrainGround || cls == TerrainRock;
    }
    if (solid) mask = static_cast<std::uint8_t>(mask | (1u << k));
  }
  return mask;
}

int GroundEdgeTile(std::uint8_t mask) {
  const bool n = mask & GroundN, w = mask & GroundW, e = mask & GroundE, s = mask & GroundS;
  if (n && w && e && s) return 0;
  if (w && e && s) return 2;
  if (n && e && s) return 4;
  if (n && w && s) return 6;
  if (n && w && e) return 8;
  if (e && s) return 1;
  if (w && s) return 3;
  if (n && e) return 7;
  if (n && w) return 9;
  if (n && s) return 15;
  if (w && e) return 14;
  if (s) return 10;
  if (n) return 11;
  if (e) return 12;
  if (w) return 13;
  return 5;
}

void ChooseGroundEdgeTile(i32 x, i32 y) {
  if (!Inside(x, y)) return;
  SetTerrain(x, y, TerrainGround, GroundEdgeTile(GroundNeighbourMask(x, y)));
}

void RetileGroundAround(i32 x, i32 y) {
  for (i32 yy = y - 1; yy <= y + 1; ++yy)
    for (i32 xx = x - 1; xx <= x + 1; ++xx)
      if (Inside(xx, yy) && ClassAt(xx, yy) == TerrainGround) ChooseGroundEdgeTile(xx, yy);
}

}  // namespace zarn
