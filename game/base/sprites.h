// Which sheet frame shows a unit, a shot effect or a building: one small routine per kind that
// picks the frame from the facing, the movement counter or the animation phase, shifts the
// position where needed and copies the frame with the owner's side colours.
//
// Positions are world pixel positions of the object's cell (its top-left corner). Facings are
// 0..7 clockwise from north; a facing outside that range is taken modulo 8 when drawing.
#pragma once

#include <cstdint>

namespace zarn {

// Shifts (x, y) by the step progress toward the facing's neighbour. A counter of 16 or more
// counts as 0; a facing outside 0..7 leaves the position as it is.
void MoveOffsetByFacing(std::int32_t counter, std::int32_t& x, std::int32_t& y, std::int32_t facing);
bool IsOdd(std::int32_t n);

// The frame a unit kind shows while it stands (24 x 24 sheet for kinds 7, 10, 11, 12, 14; the
// 16 x 16 sheet for the rest); 0 for kinds that draw nothing. `second` picks the loaded carrier.
std::int32_t UnitStandingFrame(std::uint8_t kind, std::int32_t facing, bool second = false);
bool UnitUsesLargeSheet(std::uint8_t kind);
// The frame of a walking infantry kind (0..3) at the given movement counter.
std::int32_t InfantryWalkFrame(std::uint8_t kind, std::int32_t facing, std::int32_t counter);
// Spray frame of a harvester at time t (world tick or movement counter) and its offset.
std::int32_t HarvesterSprayFrame(std::int32_t facing, std::int32_t t);
void HarvesterSprayOffset(std::int32_t facing, std::int32_t& dx, std::int32_t& dy);

// Standing units: (px, py, facing, side).
void DrawInfantryStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawInfantrySquadStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawTrooperStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawTrooperSquadStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawTrikeStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawQuadStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawLightTankStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawRocketLauncherStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawTremolanTankStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawSkeltrelStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawCarrierStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawCarrierLoadedStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawSiegeTankStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawGromadorStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawHarvesterStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawHarvesterWorking(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawMcvStanding(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);

// Moving units: (px, py, counter, facing, side); each shifts by MoveOffsetByFacing first.
void DrawInfantryMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawInfantrySquadMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawTrooperMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawTrooperSquadMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawTrikeMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawQuadMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawLightTankMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawRocketLauncherMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawTremolanTankMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawSkeltrelMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawCarrierMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawCarrierLoadedMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawSiegeTankMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawGromadorMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawHarvesterMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawHarvesterMoving2(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);
void DrawMcvMoving(std::int32_t px, std::int32_t py, std::int32_t counter,
    std::int32_t facing, std::int32_t side);

// The routine pair of a unit kind: standing, or moving with the counter. `second` is the loaded
// carrier or the harvester at work. Kinds 8 and 13 share a drawing; kind 16 and above draw nothing.
void DrawUnitSprite(std::uint8_t kind, std::int32_t px, std::int32_t py, std::int32_t facing,
                    std::int32_t side, bool moving, std::int32_t counter, bool second);

// Shot effects: (px, py, facing), drawn in side 2's colours.
void DrawShotKind0(std::int32_t px, std::int32_t py, std::int32_t facing);
void DrawShotKind1(std::int32_t px, std::int32_t py, std::int32_t facing);
void DrawShotKind2A(std::int32_t px, std::int32_t py, std::int32_t facing);
void DrawShotKind2B(std::int32_t px, std::int32_t py, std::int32_t facing);
void DrawShotKind2C(std::int32_t px, std::int32_t py, std::int32_t facing);
void DrawShotKind4(std::int32_t px, std::int32_t py, std::int32_t facing);
void DrawShotKind5(std::int32_t px, std::int32_t py, std::int32_t facing);

// The heat ripple: the 24 x 24 block 4 pixels up and left of the screen point, saved and written
// back one pixel further right and down. Only columns 0..319 and rows 0..191 are touched.
void SaveRippleBlock(std::int32_t sx, std::int32_t sy);
void RestoreRippleBlock(std::int32_t sx, std::int32_t sy);

// Buildings: (px, py, phase or turret facing, side).
void DrawSlab(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side);
void DrawConstructionYard(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side);
void DrawWindtrap(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side);
void DrawGunTurret(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawRocketTurret(std::int32_t px, std::int32_t py, std::int32_t facing, std::int32_t side);
void DrawBarracks(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side);
void DrawAcademy(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side);
void DrawLightFactory(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side);
void DrawSilo(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side);
void DrawRadar(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side);
void DrawResearchCentre(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side);
void DrawRefinery(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side,
                  bool harvesterDocked, std::int32_t harvesterSide);
void DrawHeavyFactory(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side);
void DrawAirFactory(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side);
void DrawRepairFactory(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side);
void DrawPalace(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side);
void DrawStarport(std::int32_t px, std::int32_t py, std::int32_t phase, std::int32_t side);

}  // namespace zarn
