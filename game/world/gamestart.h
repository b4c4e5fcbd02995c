// World-level operations around a game: the world's start values, the players' reset, loading
// a map with or without its start objects, the slot counts in play, the two game set-ups (a new
// game on a freshly built world, and the resumption of a loaded or networked game), the music,
// sound and speed keys, the view's clamping and centring, and the build menus' credits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zarn {

// The map of the running game, the scenario or the editor: a file name inside "maps\".
inline std::string MapFileName = "alm1.map";
// The side panel draws its menu button pressed while this is 0 (the panel's hover sets it).
inline std::uint8_t MenuButtonIdle = 1;
// The selection box: 3 while the left button is held on a game screen, else 0; the pointer
// where the hold began.
inline std::uint8_t BoxDragState = 0;
inline std::int32_t BoxDragAnchorX = 0;
inline std::int32_t BoxDragAnchorY = 0;

// Once at program start: players reset, player 1 on side 1, a two-player mission 1 with goal 1.
void dobjectsInitialization();
// Every player out (destroyed 1) with no credits; nothing else of the records changes.
void ResetPlayerRecords();

// Terrain and map size from "maps\" + name, a fresh shroud and the minimap scales; the map's
// start objects are not created. A missing or damaged file is reported to the player and the
// terrain stays as it was. True when the map was loaded.
bool LoadMapFile(std::string_view name);
// As LoadMapFile, creating the map's resource fields and blooms as well.
bool LoadMapWithObjects(std::string_view name);
// All blooms removed, then every placement of the map becomes a resource cell or a bloom.
void SpawnMapStartObjects();
// The world of the scenario just loaded: its map with the map's start objects, then the
// scenario's players, units and buildings. False (reported to the player) when the map fails.
bool BuildScenarioWorld();
// Adds every live resource cell and bloom to the placement list (the caller resets it first).
void StoreMapStartObjects();

// Map columns and rows per minimap pixel, from the map's size.
void SetMinimapScalesFromMap();

// Slot counts in play, kept within the tables' capacities.
void SetUnitSlots(std::int32_t n);
void SetBuildingSlots(std::int32_t n);
void SetUnitSlotsForPlayers(std::int32_t players);
void SetBuildingSlotsForPlayers(std::int32_t players);

void ToggleMusic();
void ToggleSound();
// Between 15 and 17: up only from 16 or less, down only from 16 or more.
void GameSpeedUp();
void GameSpeedDown();
void PlayNextTrack();

// The view origin for a wanted column or row: within the map's last full view, never below 1.
std::int32_t ClampViewX(std::int32_t x);
std::int32_t ClampViewY(std::int32_t y);
void CentreViewOnSelection();
void ClearSelectionAndGroups();
void SelectFirstOwnUnit();

// The credits of the given player (the owner of the building whose build menu is open), right
// aligned to x = 257 at the top of the menu.
void DrawCredits(std::uint8_t owner);

// When a live bloom stands on (tileX, tileY), moves the tile to one of the rectangle
// x1 .. x2 - 1, y1 .. y2 - 1 that holds none: random tries first, then a scan. False when every
// tile of the rectangle holds a bloom (the tile is left as it was).
bool PickBloomFreeTile(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t& tileY,
                       std::int32_t& tileX, std::int32_t y2);
bool BloomAt(std::int32_t x, std::int32_t y);

// A new game on a world that has just been built.
void StartGame();
// The players, the mission record, the clock and the slot counts as a fresh program has them,
// for a network game and a new map: no game before leaves its time (the status line, the
// players' timers), its goal (the computer players' attack pace), its slot counts or the
// records of players not in the new game behind. The lobby, the map choice, the network set-up
// and the scenario editor fill in the rest.
void ResetGameRecords();
// After a saved game is loaded or a network game starts: selection, view and effects stay.
void ResumeLoadedGame();

}  // namespace zarn
