// The map editor's (screen 24) and the scenario editor's (screen 29) working screens: one
// frame of each, their minimaps, mode buttons and brush outlines, and their pointer handling
// (clicks, and the per-frame hover that paints while a button is held).
#pragma once

#include <cstdint>

namespace zarn {

// The scenario editor's track bars work on these; each change is copied into EditorPlayer and
// EditorSide, which the world keeps as bytes.
inline std::int32_t EditorPlayerValue = 1;
inline std::int32_t EditorSideValue = 1;

// Drawing.
void DrawMapEditorScreen();
void DrawScenarioEditorScreen();
void DrawMapEditorMinimap();
void DrawScenarioEditorMinimap();
void DrawMapEditorButtons();
void DrawScenarioEditorButtons();
void DrawBrushOutline();
void DrawEditorPlacementOutline();

// Pointer.
void MapEditorClick();
void ScenarioEditorClick();
void MapEditorHover();
void ScenarioEditorHover();
// The scenario editor's mode buttons: the object strip, and the track bars of modes 3 and 4.
void SetScenarioEditorMode(int mode);
// On entering the scenario editor: the track bars of its current mode again (the menus use
// the same bars).
void RestoreScenarioEditorBars();

}  // namespace zarn
