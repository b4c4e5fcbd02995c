// Units on the screen: the selection frame, the sprite of each kind, and the smoke marker of a
// hurt vehicle.
#include "game/base/globals.h"
#include "game/base/maps.h"
#include "game/base/rules.h"
#include "game/base/sprites.h"
#include "game/base/video.h"
#include "game/world/ossinfields.h"
#include "game/world/shots.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

constexpr std::uint8_t OwnFrameColour = 200;
constexpr std::uint8_t OtherFrameColour = 12;
constexpr int MarkerColours = 2;
constexpr std::int16_t MarkerFramePeriod = 3;
constexpr std::int16_t MarkerLife = 180;

// A unit is drawn when its cell lies in or just around the view.
bool UnitNearView(const TUnitRecord& u) {
  const long vx = ViewState.ViewX, vy = ViewState.ViewY;
  const long x = static_cast<long>(u.X) - 1, y = static_cast<long>(u.Y) - 1;
  return vx - 3 < x && x < vx + 22 && vy - 3 < y && y < vy + 10;
}

// World pixel of the unit's tile; the view test keeps it near the screen.
i32 PixelOf(i32 tile) { return (tile - 1) * 16; }

bool HarvesterAtWork(const TUnitRecord& u) {
  if (u.State != StateHarvest || u.Load >= u.Capacity) return false;
  std::uint16_t slot = 0;
  std::uint8_t cls = 0;
  return FindOssinFieldAt(u.X, u.Y, slot, cls) == 0;
}

}  // namespace

void StartUnitMarker(TUnitMarker& marker) {
  marker.Hidden = 0;
  marker.Frame = 1;
  marker.FramePeriod = MarkerFramePeriod;
  marker.Life = MarkerLife;
  marker.NextFrameTick = TickCount + MarkerFramePeriod;
  marker.ExpiryTick = TickCount + MarkerLife;
}

void DrawUnit(const TUnitRecord& u) {
  if (u.OffMap != 0 || u.Free != 0 || !UnitNearView(u)) return;
  const i32 px = PixelOf(u.X), py = PixelOf(u.Y);
  if (u.Deselected == 0) {
    i32 fx = px, fy = py;
    MoveOffsetByFacing(u.StepProgress, fx, fy, u.TurretFacing);
    DrawSelectionFrame(fx, fy, u.Owner == LocalPlayer ? OwnFrameColour : OtherFrameColour);
  }
  bool second = false;
  if (u.Kind == UnitCarrier) second = u.CargoCount > 0;
  if (u.Kind == UnitHarvester) second = HarvesterAtWork(u);
  DrawUnitSprite(u.Kind, px, py, u.TurretFacing, u.Side, u.MovePhase == 2, u.StepProgress, second);
}

void DrawUnitMarker(TUnitRecord& u) {
  if (u.OffMap != 0 || u.Free != 0 || !UnitNearView(u)) return;
  TUnitMarker& m = u.Marker;
  if (m.Hidden != 0) return;
  if (TickCount >= m.ExpiryTick) {
    m.Hidden = 1;
    return;
  }
  i32 px = PixelOf(u.X), py = PixelOf(u.Y);
  MoveOffsetByFacing(u.StepProgress, px, py, u.TurretFacing);
  // A frame outside 1..3 (a damaged record) starts the smoke over.
  if (m.Frame < 1 || m.Frame > 3) m.Frame = 1;
  DrawSprite32(px, py - 16, m.Frame, MarkerColours);
  if (TickCount >= m.NextFrameTick) {
    m.NextFrameTick = TickCount + m.FramePeriod;
    m.Frame = static_cast<std::int16_t>(m.Frame >= 3 ? 1 : m.Frame + 1);
  }
}

}  // namespace zarn
