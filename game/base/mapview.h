// The map view: the top 158 rows show 20 x 10 cells of the map from the view origin in
// ViewState. Terrain drawing with a saved copy for an unmoved view, scrolling, the shroud of
// unseen cells with its soft edge pieces, and the short-lived ground marks of moving units.
#pragma once

#include <array>
#include <cstdint>

#include "game/base/video.h"

namespace zarn {

inline constexpr int ViewColumns = 20;
inline constexpr int ViewRows = 10;

// Shroud values: edge pieces 0..7 (top-left, top, top-right, left, right, bottom-left, bottom,
// bottom-right), 8 covered, 9 visible.
inline constexpr std::uint8_t ShroudCovered = 8;
inline constexpr std::uint8_t ShroudVisible = 9;

// How long a ground mark lasts, in world ticks.
inline constexpr std::int32_t GroundMarkLife = 360;

// Rows 0..157 of the back buffer as of the last terrain draw.
inline std::array<std::uint8_t, PanelOffset> ViewCopy{};
// TickCount before which no scroll step happens.
inline std::int32_t ScrollNextTime = 0;

void SaveMapView();
void RestoreMapView();
// Terrain of the view. Cells outside the map draw black.
void DrawMapTerrain();
// Restores the saved copy when the view has not moved since LastViewPos, else draws and saves.
void RedrawMapView();

// Highest view origin that the scroll keys reach: max(1, width - 19) and max(1, height - 9).
std::int32_t MaxViewX();
std::int32_t MaxViewY();
// Pulls the view origin into [1, MaxViewX()] x [1, MaxViewY()] (after a map or a game loads).
void ClampViewOrigin();

// One step each, paced by ScrollPause; the pause is used up even at the edge.
void ScrollViewRight();
void ScrollViewDown();
void ScrollViewLeft();
void ScrollViewUp();
// Centres the view on the minimap point under the pointer.
void ViewFromMinimapClick();

// A new 128 x 128 sand map with the small starting plateau.
void NewMapTerrain();

void ResetGroundMarks();
// 1..500, the first free record; 0 when none is.
std::int32_t FindFreeGroundMark();
// Only on class-0 terrain inside the map.
void AddGroundMark(std::int32_t x, std::int32_t y, std::int32_t facing);
// Frees the mark once expired; draws it when it lies near the view.
void DrawGroundMark(std::int32_t i);

// The shroud takes the size of GameMap; all covered when ShadowEnabled, else all visible.
void InitShroud();
void ClearOccupancy();
// The 16 x 16 cell at world pixel position (px, py) in colour 0.
void BlackTile(std::int32_t px, std::int32_t py);
// 8 outside the map.
std::uint8_t ShroudAt(std::int32_t x, std::int32_t y);
// Inside the map only.
void SetShroud(std::int32_t x, std::int32_t y, std::uint8_t v);
void DrawShroudCell(std::int32_t x, std::int32_t y);
void DrawShroudView();
// Uncovers the square of radius r around (x, y) and turns the ring around it into edge pieces.
void RevealArea(std::int32_t x, std::int32_t y, std::int32_t r);

}  // namespace zarn
