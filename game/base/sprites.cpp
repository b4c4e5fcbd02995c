#include "game/base/sprites.h"

#include <array>

#include "game/base/globals.h"
#include "game/base/rules.h"
#include "game/base/video.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

struct TOffset {
  i32 Dx;
  i32 Dy;
};
using TOffsets = std::array<TOffset, 8>;

// Facings from records may be anything; the tables only know 0..7.
std::size_t FacingIndex(i32 facing) { return static_cast<std::size_t>(facing & 7); }

// Infantry groups by facing: north, the three eastern facings, south, the three western ones.
i32 GroupOf(i32 facing, i32 north, i32 east, i32 south, i32 west) {
  switch (facing & 7) {
    case 0: return north;
    case 1: case 2: case 3: return east;
    case 4: return south;
    default: return west;
  }
}

// Three-frame walk: b on odd half-steps, b + 2 on odd quarter-steps, else b + 1.
i32 WalkOf3(i32 base, i32 counter) {
  if (IsOdd(counter / 2)) return base;
  if (IsOdd(counter / 4)) return base + 2;
  return base + 1;
}

// Flying units: a black silhouette as shadow down-right, the body up-left.
void Flying16(i32 px, i32 py, i32 frame, i32 side) {
  DrawMask16(px + 2, py + 2, frame);
  DrawSprite16(px - 1, py - 1, frame, side);
}
void Flying24(i32 px, i32 py, i32 frame, i32 side) {
  DrawMask24(px + 2, py + 2, frame);
  DrawSprite24(px - 1, py - 1, frame, side);
}

void Spray(i32 px, i32 py, i32 facing, i32 t, i32 side) {
  i32 dx = 0, dy = 0;
  HarvesterSprayOffset(facing, dx, dy);
  DrawSprite16(px + dx, py + dy, HarvesterSprayFrame(facing, t), side);
}

constexpr i32 EffectSide = 2;

void Effect(i32 px, i32 py, i32 frame, const TOffsets& offsets, i32 facing) {
  const TOffset o = offsets[FacingIndex(facing)];
  DrawSprite16(px + o.Dx, py + o.Dy, frame, EffectSide);
}

constexpr TOffsets ShotKind0Offsets{
    {{6, -3}, {16, -3}, {16, 6}, {16, 16}, {6, 16}, {-3, 16}, {-3, 6}, {-3, -3}}};
constexpr TOffsets ShotKind2AOffsets{
    {{6, -6}, {16, -6}, {16, 6}, {16, 14}, {6, 14}, {-3, 14}, {-3, 6}, {-3, -6}}};
constexpr TOffsets ShotKind2BOffsets{
    {{6, -8}, {16, -8}, {18, 1}, {17, 14}, {6, 14}, {-5, 14}, {-5, 1}, {-4, -9}}};
constexpr TOffsets ShotKind2COffsets{
    {{6, -8}, {14, -7}, {18, 2}, {12, 12}, {6, 12}, {0, 11}, {-5, 2}, {-4, -7}}};
constexpr TOffsets ShotKind4Offsets{
    {{-2, -18}, {14, -14}, {14, -2}, {14, 10}, {-2, 14}, {-16, 10}, {-16, -2}, {-16, -14}}};
constexpr TOffsets SprayOffsets{{{0, 7}, {-7, 6}, {-14, 1}, {-8, -6}, {0, -10}, {7, -7}, {14, 1}, {7, 6}}};

// The ripple block and the part of the screen it may touch.
constexpr int RippleSize = 24;
constexpr int RippleLastRow = 191;
std::array<std::uint8_t, RippleSize * RippleSize> RippleBlock{};

}  // namespace

void MoveOffsetByFacing(i32 counter, i32& x, i32& y, i32 facing) {
  const i32 d = counter >= 16 ? 0 : counter;
  switch (facing) {
    case 0: y -= d; break;
    case 1: x += d; y -= d; break;
    case 2: x += d; break;
    case 3: x += d; y += d; break;
    case 4: y += d; break;
    case 5: x -= d; y += d; break;
    case 6: x -= d; break;
    case 7: x -= d; y -= d; break;
    default: break;
  }
}

bool IsOdd(i32 n) { return n % 2 != 0; }

bool UnitUsesLargeSheet(std::uint8_t kind) {
  return kind == UnitSiegeTank || kind == UnitHarvester || kind == UnitGromador ||
         kind == UnitConstructionVehicle || kind == UnitCarrier;
}

i32 UnitStandingFrame(std::uint8_t kind, i32 facing, bool second) {
  const i32 f = facing & 7;
  switch (kind) {
    case UnitInfantryman: return GroupOf(f, 1, 4, 7, 10);
    case UnitInfantrySquad: return GroupOf(f, 13, 15, 17, 19);
    case UnitHeavyTrooper: return GroupOf(f, 21, 24, 27, 29);
    case UnitHeavySquad: return GroupOf(f, 32, 34, 36, 38);
    case UnitTrike: return 40 + f;
    case UnitQuad: return 48 + f;
    case UnitLightTank: return 56 + f;
    case UnitSiegeTank: return 1 + f;
    case UnitRocketLauncher:
    case UnitPerwolan: return 64 + f;
    case UnitTremolanTank: return 72 + f;
    case UnitHarvester: return 25 + f;
    case UnitGromador: return 9 + f;
    case UnitConstructionVehicle: return 17 + f;
    case UnitCarrier: return (second ? 41 : 33) + f;
    case UnitSkeltrel: return 80 + f;
    default: return 0;
  }
}

i32 InfantryWalkFrame(std::uint8_t kind, i32 facing, i32 counter) {
  const i32 f = facing & 7;
  switch (kind) {
    case UnitInfantryman: return WalkOf3(UnitStandingFrame(kind, f), counter);
    case UnitHeavyTrooper:
      // Walking south has only two pictures.
      if (f == 4) return IsOdd(counter / 2) || IsOdd(counter / 4) ? 28 : 27;
      return WalkOf3(UnitStandingFrame(kind, f), counter);
    case UnitInfantrySquad:
    case UnitHeavySquad: return UnitStandingFrame(kind, f) + (IsOdd(counter / 2) ? 1 : 0);
    default: return UnitStandingFrame(kind, f);
  }
}

i32 HarvesterSprayFrame(i32 facing, i32 t) { return 211 + (facing & 7) + 8 * ((t & 15) / 6); }

void HarvesterSprayOffset(i32 facing, i32& dx, i32& dy) {
  const TOffset o = SprayOffsets[FacingIndex(facing)];
  dx = o.Dx;
  dy = o.Dy;
}

// ---- Standing units ----

void DrawInfantryStanding(i32 px, i32 py, i32 facing, i32 side) {
  DrawSprite16(px, py, UnitStandingFrame(UnitInfantryman, facing), side);
}
void DrawInfantrySquadStanding(i32 px, i32 py, i32 facing, i32 side) {
  DrawSprite16(px, py, UnitStandingFrame(UnitInfantrySquad, facing), side);
}
void DrawTrooperStanding(i32 px, i32 py, i32 facing, i32 side) {
  DrawSprite16(px, py, UnitStandingFrame(UnitHeavyTrooper, facing), side);
}
void DrawTrooperSquadStanding(i32 px, i32 py, i32 facing, i32 side) {
  DrawSprite16(px, py, UnitStandingFrame(UnitHeavySquad, facing), side);
}
void DrawTrikeStanding(i32 px, i32 py, i32 facing, i32 side) {
  DrawSprite16(px, py, UnitStandingFrame(UnitTrike, facing), side);
}
void DrawQuadStanding(i32 px, i32 py, i32 facing, i32 side) {
  DrawSprite16(px, py, UnitStandingFrame(UnitQuad, facing), side);
}
void DrawLightTankStanding(i32 px, i32 py, i32 facing, i32 side) {
  DrawSprite16(px, py, UnitStandingFrame(UnitLightTank, facing), side);
}
void DrawRocketLauncherStanding(i32 px, i32 py, i32 facing, i32 side) {
  DrawSprite16(px, py, UnitStandingFrame(UnitRocketLauncher, facing), side);
}
void DrawTremolanTankStanding(i32 px, i32 py, i32 facing, i32 side) {
  DrawSprite16(px, py, UnitStandingFrame(UnitTremolanTank, facing), side);
}
void DrawSkeltrelStanding(i32 px, i32 py, i32 facing, i32 side) {
  Flying16(px, py, UnitStandingFrame(UnitSkeltrel, facing), side);
}
void DrawCarrierStanding(i32 px, i32 py, i32 facing, i32 side) {
  Flying24(px, py, UnitStandingFrame(UnitCarrier, facing, false), side);
}
void DrawCarrierLoadedStanding(i32 px, i32 py, i32 facing, i32 side) {
  Flying24(px, py, UnitStandingFrame(UnitCarrier, facing, true), side);
}
void DrawSiegeTankStanding(i32 px, i32 py, i32 facing, i32 side) {
  DrawSprite24(px, py, UnitStandingFrame(UnitSiegeTank, facing), side);
}
void DrawGromadorStanding(i32 px, i32 py, i32 facing, i32 side) {
  DrawSprite24(px, py, UnitStandingFrame(UnitGromador, facing), side);
}
void DrawHarvesterStanding(i32 px, i32 py, i32 facing, i32 side) {
  DrawSprite24(px, py, UnitStandingFrame(UnitHarvester, facing), side);
}
void DrawHarvesterWorking(i32 px, i32 py, i32 facing, i32 side) {
  DrawHarvesterStanding(px, py, facing, side);
  Spray(px, py, facing, WorldTickCount, side);
}
void DrawMcvStanding(i32 px, i32 py, i32 facing, i32 side) {
  DrawSprite24(px, py, UnitStandingFrame(UnitConstructionVehicle, facing), side);
}

// ---- Moving units ----

void DrawInfantryMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawSprite16(px, py, InfantryWalkFrame(UnitInfantryman, facing, counter), side);
}
void DrawInfantrySquadMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawSprite16(px, py, InfantryWalkFrame(UnitInfantrySquad, facing, counter), side);
}
void DrawTrooperMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawSprite16(px, py, InfantryWalkFrame(UnitHeavyTrooper, facing, counter), side);
}
void DrawTrooperSquadMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawSprite16(px, py, InfantryWalkFrame(UnitHeavySquad, facing, counter), side);
}
void DrawTrikeMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawTrikeStanding(px, py, facing, side);
}
void DrawQuadMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawQuadStanding(px, py, facing, side);
}
void DrawLightTankMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawLightTankStanding(px, py, facing, side);
}
void DrawRocketLauncherMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawRocketLauncherStanding(px, py, facing, side);
}
void DrawTremolanTankMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawTremolanTankStanding(px, py, facing, side);
}
void DrawSkeltrelMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawSkeltrelStanding(px, py, facing, side);
}
void DrawCarrierMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawCarrierStanding(px, py, facing, side);
}
void DrawCarrierLoadedMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawCarrierLoadedStanding(px, py, facing, side);
}
void DrawSiegeTankMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawSiegeTankStanding(px, py, facing, side);
}
void DrawGromadorMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawGromadorStanding(px, py, facing, side);
}
void DrawHarvesterMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawHarvesterStanding(px, py, facing, side);
}
void DrawHarvesterMoving2(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawHarvesterStanding(px, py, facing, side);
  Spray(px, py, facing, counter, side);
}
void DrawMcvMoving(i32 px, i32 py, i32 counter, i32 facing, i32 side) {
  MoveOffsetByFacing(counter, px, py, facing);
  DrawMcvStanding(px, py, facing, side);
}

void DrawUnitSprite(std::uint8_t kind, i32 px, i32 py, i32 facing, i32 side, bool moving, i32 counter,
                    bool second) {
  using Standing = void (*)(i32, i32, i32, i32);
  using Moving = void (*)(i32, i32, i32, i32, i32);
  struct TPair {
    Standing Stand;
    Moving Move;
  };
  static constexpr std::array<TPair, UnitKindCount> pairs{{
      {DrawInfantryStanding, DrawInfantryMoving},
      {DrawInfantrySquadStanding, DrawInfantrySquadMoving},
      {DrawTrooperStanding, DrawTrooperMoving},
      {DrawTrooperSquadStanding, DrawTrooperSquadMoving},
      {DrawTrikeStanding, DrawTrikeMoving},
      {DrawQuadStanding, DrawQuadMoving},
      {DrawLightTankStanding, DrawLightTankMoving},
      {DrawSiegeTankStanding, DrawSiegeTankMoving},
      {DrawRocketLauncherStanding, DrawRocketLauncherMoving},
      {DrawTremolanTankStanding, DrawTremolanTankMoving},
      {DrawHarvesterStanding, DrawHarvesterMoving},
      {DrawGromadorStanding, DrawGromadorMoving},
      {DrawMcvStanding, DrawMcvMoving},
      {DrawRocketLauncherStanding, DrawRocketLauncherMoving},
      {DrawCarrierStanding, DrawCarrierMoving},
      {DrawSkeltrelStanding, DrawSkeltrelMoving},
  }};
  if (kind >= UnitKindCount) return;
  TPair pair = pairs[kind];
  if (second && kind == UnitHarvester) pair = {DrawHarvesterWorking, DrawHarvesterMoving2};
  if (second && kind == UnitCarrier) pair = {DrawCarrierLoadedStanding, DrawCarrierLoadedMoving};
  if (moving)
    pair.Move(px, py, counter, facing, side);
  else
    pair.Stand(px, py, facing, side);
}

// ---- Shot effects ----

void DrawShotKind0(i32 px, i32 py, i32 facing) { Effect(px, py, 106, ShotKind0Offsets, facing); }
void DrawShotKind1(i32 px, i32 py, i32 facing) { DrawSprite16(px, py, 108 + (facing & 7), EffectSide); }
void DrawShotKind2A(i32 px, i32 py, i32 facing) { Effect(px, py, 107, ShotKind2AOffsets, facing); }
void DrawShotKind2B(i32 px, i32 py, i32 facing) { Effect(px, py, 107, ShotKind2BOffsets, facing); }
void DrawShotKind2C(i32 px, i32 py, i32 facing) { Effect(px, py, 107, ShotKind2COffsets, facing); }
void DrawShotKind5(i32 px, i32 py, i32 facing) { DrawSprite16(px, py, 116 + (facing & 7), EffectSide); }

void DrawShotKind4(i32 px, i32 py, i32 facing) {
  const TOffset o = ShotKind4Offsets[FacingIndex(facing)];
  const i32 sx = ScreenXOf(px + o.Dx), sy = ScreenYOf(py + o.Dy);
  SaveRippleBlock(sx, sy);
  RestoreRippleBlock(sx, sy);
}

void SaveRippleBlock(i32 sx, i32 sy) {
  for (int r = 0; r < RippleSize; ++r)
    for (int c = 0; c < RippleSize; ++c) {
      const long x = static_cast<long>(sx) - 4 + c, y = static_cast<long>(sy) - 4 + r;
      const bool inside = x >= 0 && x < ScreenWidth && y >= 0 && y <= RippleLastRow;
      RippleBlock[static_cast<std::size_t>(r * RippleSize + c)] =
          inside ? BackBuffer[static_cast<std::size_t>(y * ScreenWidth + x)] : 1;
    }
}

void RestoreRippleBlock(i32 sx, i32 sy) {
  for (int r = 0; r < RippleSize; ++r)
    for (int c = 0; c < RippleSize; ++c) {
      const long x = static_cast<long>(sx) - 3 + c, y = static_cast<long>(sy) - 3 + r;
      if (x >= 0 && x < ScreenWidth && y >= 0 && y <= RippleLastRow)
        BackBuffer[static_cast<std::size_t>(y * ScreenWidth + x)] =
            RippleBlock[static_cast<std::size_t>(r * RippleSize + c)];
    }
}

// ---- Buildings ----

void DrawSlab(i32 px, i32 py, i32, i32) { DrawTileOpaque(px, py, 104); }
void DrawConstructionYard(i32 px, i32 py, i32, i32 side) { DrawSprite32(px, py, 5, side); }
void DrawWindtrap(i32 px, i32 py, i32, i32 side) { DrawSprite32(px, py, 6, side); }
// Turrets are fixed-colour tiles: no side colours.
void DrawGunTurret(i32 px, i32 py, i32 facing, i32) { DrawTileOpaque(px, py, 88 + (facing & 7)); }
void DrawRocketTurret(i32 px, i32 py, i32 facing, i32) { DrawTileOpaque(px, py, 96 + (facing & 7)); }
void DrawBarracks(i32 px, i32 py, i32, i32 side) { DrawSprite32(px, py, 12, side); }
void DrawAcademy(i32 px, i32 py, i32, i32 side) { DrawSprite32(px, py, 13, side); }
void DrawSilo(i32 px, i32 py, i32, i32 side) { DrawSprite32(px, py, 11, side); }
void DrawResearchCentre(i32 px, i32 py, i32, i32 side) { DrawSprite32(px, py, 16, side); }
void DrawRepairFactory(i32 px, i32 py, i32, i32 side) { DrawSprite48x32(px, py, 7, side); }
void DrawPalace(i32 px, i32 py, i32, i32 side) { DrawSprite48x48(px, py, 2, side); }
void DrawStarport(i32 px, i32 py, i32, i32 side) { DrawSprite48x48(px, py, 3, side); }

void DrawLightFactory(i32 px, i32 py, i32 phase, i32 side) {
  DrawSprite32(px, py, phase == 1 || phase == 2 ? 15 : 14, side);
}

void DrawRadar(i32 px, i32 py, i32 phase, i32 side) {
  DrawSprite32(px, py, phase >= 1 && phase <= 3 ? 7 + phase : 7, side);
}

void DrawRefinery(i32 px, i32 py, i32 phase, i32 side, bool harvesterDocked, i32 harvesterSide) {
  if (harvesterDocked) {
    DrawSprite48x32(px, py, 2, side);
    DrawSprite24(px + 32, py + 8, 29, harvesterSide);
    return;
  }
  DrawSprite48x32(px, py, phase == 1 ? 4 : phase == 2 ? 3 : 2, side);
}

void DrawHeavyFactory(i32 px, i32 py, i32 phase, i32 side) {
  DrawSprite48x32(px, py, phase == 1 || phase == 2 ? 6 : 5, side);
}

void DrawAirFactory(i32 px, i32 py, i32 phase, i32 side) {
  i32 frame = 9;
  if (phase == 1 || phase == 4 || phase == 5) frame = 10;
  if (phase == 2 || phase == 3) frame = 11;
  DrawSprite48x32(px, py, frame, side);
}

}  // namespace zarn
