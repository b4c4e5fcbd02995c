#include "game/world/buildingdraw.h"

#include "game/base/globals.h"
#include "game/base/rules.h"
#include "game/base/sprites.h"
#include "game/base/video.h"

namespace zarn {

namespace {

constexpr std::uint8_t SelectionColour = 14;
constexpr int MarkerSide = 2;
constexpr std::int16_t MarkerFramePeriod = 3;
constexpr std::int16_t MarkerLife = 180;

bool IsOneCellKind(std::uint8_t kind) {
  return kind == BuildingSlab || kind == BuildingGunTurret || kind == BuildingRocketTurret;
}

bool TileInView(const TBuildingRecord& b) {
  const long vx = ViewState.ViewX, vy = ViewState.ViewY;
  return vx <= b.X && b.X <= vx + 19 && vy <= b.Y && b.Y <= vy + 9;
}

// World pixel origin of the footprint; far-off anchors from a damaged record stay far off.
std::int32_t PixelOf(std::int32_t tile) {
  const long p = (static_cast<long>(tile) - 1) * 16;
  return static_cast<std::int32_t>(p < -1000000 ? -1000000 : p > 1000000 ? 1000000 : p);
}

}  // namespace

void DrawBuildingSprite(const TBuildingRecord& b) {
  const std::int32_t px = PixelOf(b.X), py = PixelOf(b.Y);
  const std::int32_t phase = b.AnimFrame, side = b.Side;
  switch (b.Kind) {
    case BuildingSlab: DrawSlab(px, py, phase, side); break;
    case BuildingConstructionYard: DrawConstructionYard(px, py, phase, side); break;
    case BuildingPowerPlant: DrawWindtrap(px, py, phase, side); break;
    case BuildingRefinery: DrawRefinery(px, py, phase, side, b.DockFree == 0, side); break;
    case BuildingSilo: DrawSilo(px, py, phase, side); break;
    case BuildingRadar: DrawRadar(px, py, phase, side); break;
    case BuildingBarracks: DrawBarracks(px, py, phase, side); break;
    case BuildingAcademy: DrawAcademy(px, py, phase, side); break;
    case BuildingLightFactory: DrawLightFactory(px, py, phase, side); break;
    case BuildingHeavyFactory: DrawHeavyFactory(px, py, phase, side); break;
    case BuildingRepairFactory: DrawRepairFactory(px, py, phase, side); break;
    case BuildingAirFactory: DrawAirFactory(px, py, phase, side); break;
    case BuildingResearchCentre: DrawResearchCentre(px, py, phase, side); break;
    case BuildingStarport: DrawStarport(px, py, phase, side); break;
    case BuildingPalace: DrawPalace(px, py, phase, side); break;
    case BuildingGunTurret: DrawGunTurret(px, py, b.TurretFacing, side); break;
    case BuildingRocketTurret: DrawRocketTurret(px, py, b.TurretFacing, side); break;
    default: break;  // walls are drawn with the terrain by the world
  }
}

void DrawBuildingFrame(const TBuildingRecord& b) {
  const int sx = ScreenXOf(PixelOf(b.X)), sy = ScreenYOf(PixelOf(b.Y));
  const int w = FootprintWidth(b.FootprintClass) * 16, h = FootprintHeight(b.FootprintClass) * 16;
  DrawFrame(sx, sy, sx + w - 1, sy + h - 1, SelectionColour);
}

void DrawBuildings(const TBuildingRecord& b) {
  if (b.Free != 0) return;
  if (IsOneCellKind(b.Kind) && !TileInView(b)) return;
  DrawBuildingSprite(b);
  if (b.Deselected == 0) DrawBuildingFrame(b);
}

void DrawBuildingMarker(TBuildingRecord& b) {
  if (b.Free != 0 || b.Kind == BuildingSlab) return;
  if ((b.Kind == BuildingGunTurret || b.Kind == BuildingRocketTurret) && !TileInView(b)) return;
  TUnitMarker& m = b.Marker;
  if (m.Hidden != 0) return;
  if (m.ExpiryTick <= TickCount) {
    HideBuildingMarker(m);
    return;
  }
  // A frame outside 1..3 (a damaged record) starts the flame over.
  if (m.Frame < 1 || m.Frame > 3) m.Frame = 1;
  DrawSprite32(PixelOf(b.X), PixelOf(b.Y) - 16, m.Frame, MarkerSide);
  if (m.NextFrameTick <= TickCount) {
    m.NextFrameTick = TickCount + m.FramePeriod;
    m.Frame = static_cast<std::int16_t>(m.Frame >= 3 ? 1 : m.Frame + 1);
  }
}

void ShowBuildingMarker(TUnitMarker& marker) {
  marker.Hidden = 0;
  marker.Frame = 1;
  marker.FramePeriod = MarkerFramePeriod;
  marker.Life = MarkerLife;
  marker.NextFrameTick = TickCount + MarkerFramePeriod;
  marker.ExpiryTick = TickCount + MarkerLife;
}

void HideBuildingMarker(TUnitMarker& marker) { marker.Hidden = 1; }

}  // namespace zarn
