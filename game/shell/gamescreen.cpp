#include "game/shell/gamescreen.h"

#include "game/net/netgame.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "game/base/cp1251.h"
#include "game/base/dvga.h"
#include "game/shell/Main.h"
#include "game/shell/playmouse.h"
#include "game/shell/selection.h"
#include "game/shell/sidepanel.h"
#include "game/world/dobjects.h"
#include "platform/app.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

constexpr std::uint8_t ViewFrameColour = 43;
constexpr std::uint8_t ShroudColour = 0;
constexpr std::uint8_t DebugColour = 15;
constexpr std::uint8_t StatusColour = 200;
constexpr std::uint8_t NoPlaceColour = 12;
constexpr std::uint8_t PlaceColour = 43;
constexpr std::string_view NoPlaceText = "Здесь нельзя поставить"_cp1251;

std::string RightAligned(i32 n, int width) { return PadString(std::to_string(n), width, ' ', true); }

// --- Minimap ---

class TMinimapPlot {
 public:
  TMinimapPlot() : sx_(ViewState.MinimapScaleX), sy_(ViewState.MinimapScaleY) {}

  void Point(double px, double py, std::uint8_t colour) { Rect(px, py, px - 1, py - 1, colour); }

  // Pixels trunc(x1 / sx) .. trunc((x2 + 1) / sx) by the same in y; a point is x2 = x1 - 1.
  void Rect(double x1, double y1, double x2, double y2, std::uint8_t colour) {
    if (!(sx_ > 0) || !(sy_ > 0)) return;
    const long c1 = Cell(x1 / sx_), c2 = Cell((x2 + 1) / sx_);
    const long r1 = Cell(y1 / sy_), r2 = Cell((y2 + 1) / sy_);
    for (long r = r1; r <= r2; ++r)
      for (long c = c1; c <= c2; ++c) Set(c, r, colour);
  }

  static void Set(long c, long r, std::uint8_t colour) {
    if (c < 0 || c >= MinimapWidth || r < 0 || r >= MinimapHeight) return;
    MinimapBuffer[static_cast<std::size_t>(r * MinimapWidth + c)] = colour;
  }

 private:
  static long Cell(double v) { return std::isfinite(v) ? static_cast<long>(std::clamp(v, -1e6, 1e6)) : -1; }
  double sx_, sy_;
};

void RebuildMinimap() {
  MinimapBuffer.fill(0);
  std::uint8_t colour = 0;
  WalkMinimapSamples([&](int c, int r, long x, long y) {
    colour = MinimapTerrainColour(GameMap.Cell(x, y), colour);
    TMinimapPlot::Set(c, r, colour);
  });
  TMinimapPlot plot;
  for (const TOssinFieldRecord& f : OssinFields)
    if (f.Free == 0) plot.Point(f.X - 1, f.Y, MinimapFieldColour);
  for (const TOssinBloomRecord& b : OssinBlooms)
    if (b.Removed == 0) plot.Point(b.X - 1, b.Y, MinimapBloomColour);
  const int lastBuilding = LastBuildingSlot();
  for (int i = 1; i <= lastBuilding; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free != 0) continue;
    MinimapSideColour(b.Side, false, colour);
    const int cls = std::min<int>(b.FootprintClass, 3);
    plot.Rect(b.X, b.Y, b.X + FootprintWidth(static_cast<std::uint8_t>(cls)) - 1,
              b.Y + FootprintHeight(static_cast<std::uint8_t>(cls)) - 1, colour);
  }
  const int lastUnit = LastUnitSlot();
  for (int i = 1; i <= lastUnit; ++i) {
    const TUnitRecord& u = Units[i];
    if (u.Free != 0 || u.OffMap != 0) continue;
    MinimapSideColour(u.Side, true, colour);
    plot.Point(u.X - 1, u.Y - 1, colour);
  }
  for (const TWormRecord& w : Worms)
    if (w.Removed == 0) plot.Point(w.X - 1, w.Y - 1, MinimapWormColour);
  if (DebugFlags.ShadowEnabled != 0)
    WalkMinimapSamples([](int c, int r, long x, long y) {
      if (ShroudAt(x, y) < 9) TMinimapPlot::Set(c, r, ShroudColour);
    });
}

// --- The world in the view ---

void DrawWorld(bool worms) {
  RedrawMapView();
  LastViewPos = TViewPos{ViewState.ViewX, ViewState.ViewY};
  for (const TOssinBloomRecord& b : OssinBlooms) DrawBloom(b);
  for (TOssinFieldRecord& f : OssinFields) DrawOssinField(f);
  for (int i = 1; i <= GroundMarkSlots; ++i) DrawGroundMark(i);
  for (const TDecalRecord& d : Decals) DrawDecal(d);
  if (worms)
    for (const TWormRecord& w : Worms) DrawWorm(w);
  const int lastBuilding = LastBuildingSlot();
  for (int i = 1; i <= lastBuilding; ++i) DrawBuildings(Buildings[i]);
  for (TExplosionRecord& e : Explosions)
    if (e.ExplosionKind < 4) UpdateExplosion(e);

  const int lastUnit = LastUnitSlot();
  auto units = [&](std::uint8_t first, std::uint8_t last, bool sprites, bool markers) {
    for (int i = 0; i <= lastUnit; ++i) {
      TUnitRecord& u = Units[i];
      if (u.Free != 0 || u.OffMap != 0 || u.Kind < first || u.Kind > last) continue;
      if (sprites) DrawUnit(u);
      if (markers) DrawUnitMarker(u);
    }
  };
  units(0, 3, true, false);
  units(4, 13, true, false);
  units(4, 13, false, true);
  for (int i = 1; i <= lastBuilding; ++i) DrawBuildingMarker(Buildings[i]);
  units(14, 255, true, true);

  for (const TShotRecord& s : UnitShots) DrawShot(s);
  for (const TShotRecord& s : BuildingShots) DrawBuildingShot(s);
  for (TExplosionRecord& e : Explosions)
    if (e.ExplosionKind >= 4) UpdateExplosion(e);
  DrawShroudView();
}

bool DebugLinesShown() { return DebugFlags.DebugMode != 0 && ShowFrameRate != 0; }

void DrawPanel() {
  TrackSelectionBox();
  DrawPanelBase();
  DrawMinimap();
  DrawObjectInfo();
  DrawCommandPanel();
}

void DrawSurvivalCountdown() {
  i32 limit = 0;
  if (Mission.GoalType == GoalSurvive30) limit = 32760;
  if (Mission.GoalType == GoalConquerIn60) limit = 65520;
  if (limit == 0) return;
  DrawText(MainFont, 100, 1, StatusColour, TicksToMinSec(static_cast<std::int64_t>(limit) - WorldTickCount));
}

}  // namespace

void StepPulses() {
  StepRedPulse(RedPulse1);
  StepBluePulse(BluePulse);
  StepRedPulse(RedPulse2);
  StepRedPulse(RedPulse3);
  StepWhitePulse(WhitePulse);
}

std::uint8_t MinimapTerrainColour(std::uint8_t cell, std::uint8_t previous) {
  switch (TerrainClass(cell)) {
    case 0: return 116;
    case 1: return 125;
    case 4: return 55;
    default: return previous;
  }
}

bool MinimapSideColour(int side, bool unit, std::uint8_t& colour) {
  static constexpr std::uint8_t bySide[5] = {170, 184, 199, 228, 184};
  if (side < 0 || side > (unit ? 4 : 3)) return false;
  colour = bySide[side];
  return true;
}

void DrawMinimapViewFrame() {
  const double sx = ViewState.MinimapScaleX, sy = ViewState.MinimapScaleY;
  if (!(sx > 0) || !(sy > 0)) return;
  const auto pixel = [](double v) { return static_cast<int>(std::clamp(v, -1e6, 1e6)); };
  const int x1 = pixel(ViewState.ViewX / sx), y1 = pixel(ViewState.ViewY / sy) + MinimapScreenY;
  const int x2 = pixel((ViewState.ViewX + 20) / sx) - 1, y2 = pixel((ViewState.ViewY + 10) / sy) + MinimapScreenY - 1;
  // On a map smaller than the view the frame would reach past the minimap into the panel.
  for (int x = x1; x <= x2; ++x) {
    PutMinimapPixel(x, y1, ViewFrameColour);
    PutMinimapPixel(x, y2, ViewFrameColour);
  }
  for (int y = y1; y <= y2; ++y) {
    PutMinimapPixel(x1, y, ViewFrameColour);
    PutMinimapPixel(x2, y, ViewFrameColour);
  }
}

void PutMinimapPixel(int x, int y, std::uint8_t colour) {
  if (x >= MinimapScreenX && x < MinimapScreenX + MinimapWidth && y >= MinimapScreenY &&
      y < MinimapScreenY + MinimapHeight)
    PutPixel(x, y, colour);
}

void DrawMinimap() {
  if (TickCount % 4 == 0) RebuildMinimap();
  for (int r = 0; r < MinimapHeight; ++r)
    for (int c = 0; c < MinimapWidth; ++c)
      PutPixel(c + MinimapScreenX, r + MinimapScreenY, MinimapBuffer[static_cast<std::size_t>(r * MinimapWidth + c)]);
  DrawMinimapViewFrame();
}

void DrawPlacementOutline() {
  SetCursorColor(CursorNormalColour);
  // Only a building of the local player, selected alone, places anything.
  if (PendingOrder != 4) return;
  const TBuildingRecord* yard = OwnSelectedBuilding();
  if (!yard || yard->Item < ItemSlab || yard->Item > ItemWall) return;
  const TBuildingRecord& b = *yard;
  const std::uint8_t cls = b.Item == ItemSlabBlock ? 1 : FootprintClass(ItemBuildingKind(b.Item));
  const i32 cx = PointerCellX(), cy = PointerCellY();
  const bool refused = IsFootprintBlocked(cx, cy, 0, cls) != 0 || LacksConnection(cx, cy, cls, LocalPlayer) != 0;
  // Converted once: this runs every frame while a building waits to be placed.
  static const FontText noPlace = InFontCodePage(NoPlaceText), blank{" "};
  ShowMessageLine(refused ? noPlace : blank);
  DrawPointerOutline(FootprintWidth(cls), FootprintHeight(cls), refused ? NoPlaceColour : PlaceColour);
}

void DrawPointerOutline(int widthCells, int heightCells, std::uint8_t colour) {
  // The snapped row of the panel's top rows is still a map row: the pointer itself decides.
  if (MouseY >= 158) return;
  const int sx = MouseX / 16 * 16, sy = MouseY / 16 * 16;
  DrawFrame(sx, sy, sx + widthCells * 16 - 1, sy + heightCells * 16 - 1, colour);
}

void DrawStatusLine() {
  const TPlayerRecord* local = PlayerRecord(LocalPlayer);
  DrawText(ThirdFont, 200, 5, StatusColour, RightAligned(local ? local->Credits : 0, 7));
  if ((WorldTickCount & 9) == 9) {
    StatusCache.Units = CountUnitsOfPlayer(LocalPlayer);
    StatusCache.Cap = UnitCapOfPlayer(LocalPlayer);
  }
  const i32 cap = std::min<i32>(StatusCache.Cap, 99);
  DrawText(ThirdFont, 260, 5, StatusColour, RightAligned(StatusCache.Units, 3) + "/" + std::to_string(cap));
}

void DrawNetDebugLines(bool withRates) {
  if (!DebugLinesShown()) return;
  const auto line = [](int y, std::uint8_t colour, const std::string& text) { DrawText(MainFont, 1, y, colour, text); };
  line(1, DebugColour, "Timer: " + std::to_string(WorldTickCount));
  line(10, DebugColour, "mouse  " + std::to_string(MouseX) + ":" + std::to_string(MouseY));
  line(20, DebugColour, "map  " + std::to_string(ViewState.ViewX) + ":" + std::to_string(ViewState.ViewY));
  if (NetRole == RoleServer) {
    line(30, PanelTextColour, "Net Server Game");
    line(40, PanelTextColour, "Connections " + std::to_string(NextConnectionIndex));
    line(50, PanelTextColour, "Partners " + std::to_string(ClientCount));
  } else {
    line(30, PanelTextColour, "Net Client Game");
    line(40, PanelTextColour, "Connection " + std::to_string(OwnConnectionIndex));
    line(50, PanelTextColour, "Alliance " + std::to_string(LocalPlayer));
  }
  if (!withRates) return;
  const std::uint64_t now = plat::NowMs();
  if (now > NetRates.NextRollover) {
    NetRates.NextRollover = now + 1000;
    // The bytes of the second just ended; the running totals go on.
    NetRates.Sent = static_cast<std::int64_t>(BytesSent - BytesSentLastSecond);
    NetRates.Received = static_cast<std::int64_t>(BytesReceived - BytesReceivedLastSecond);
    BytesSentLastSecond = BytesSent;
    BytesReceivedLastSecond = BytesReceived;
  }
  line(60, PanelTextColour, "MessGet " + std::to_string(NetRates.Received));
  line(70, PanelTextColour, "MessPut " + std::to_string(NetRates.Sent));
}

void DrawGameScreen() {
  DrawWorld(true);
  DrawSurvivalCountdown();
  StepPulses();
  if (DebugLinesShown()) {
    DrawText(MainFont, 1, 1, DebugColour, "RTimer:" + std::to_string(WorldTickCount));
    DrawText(MainFont, 1, 9, DebugColour,
             "Map:" + std::to_string(ViewState.ViewX) + ":" + std::to_string(ViewState.ViewY));
    DrawText(MainFont, 1, 17, DebugColour, "Level:" + std::to_string(Mission.MissionNumber));
  }
  DrawPanel();
  CheckSelection();
  DrawMessageLine();
  DrawStatusLine();
  if (DebugLinesShown()) {
    const TPlayerRecord* first = PlayerRecord(1);
    DrawText(ThirdFont, 210, 15, PanelAlertColour, std::to_string(first ? first->Credits : 0));
    DrawText(ThirdFont, 270, 15, PanelAlertColour,
             RightAligned(CountUnitsOfPlayer(2), 3) + "/" + std::to_string(UnitCapOfPlayer(2)));
  }
  DrawMouseCursor();
  DrawPlacementOutline();
  PresentFrameProc();
}

void DrawNetGameScreen() {
  DrawWorld(GameOptions.CrowEnable);
  StepPulses();
  DrawNetDebugLines(true);
  DrawPanel();
  CheckSelection();
  DrawMessageLine();
  DrawMessageLine2();
  DrawStatusLine();
  if (NetRole == RoleClient && SideChoiceOpen) SideChooserDraw(SideChooser);
  DrawMouseCursor();
  DrawPlacementOutline();
  PresentFrameProc();
}

}  // namespace zarn
