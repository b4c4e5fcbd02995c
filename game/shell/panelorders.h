// Orders to the selection: the command column, the building buttons, the production and
// special-weapon button, the target click that completes PendingOrder, and the right-click
// orders on the map and the minimap. In a network game the same gestures send requests.
#pragma once

#include <cstdint>

namespace zarn {

void UnitCommandClick(int x, int y);
void NetUnitCommandClick(int x, int y);
void BuildingPanelClick(int x, int y);
void PanelButtonClick(int x, int y);
void GameMapClick();
void NetGameMapClick();
void GameMapRightClick();
void NetGameMapRightClick();
void GameMinimapRightClick();
void NetGameMinimapRightClick();

// Every own, live unit of the selection attacks or moves to (x, y); other entries leave the
// selection.
void GroupAttackOrder(std::int32_t x, std::int32_t y);
void GroupMoveOrder(std::int32_t x, std::int32_t y);
// Every own, live unit of the selection stops; other entries leave the selection.
void StopSelection();
// The client's group stop: request 7 with the selection's own, live units.
void SendGroupStop();

// What a right click at (x, y) aims at, any owner: kind 0 unit, 1 building (kind 2 or more),
// 2 worm, 3 bloom. True when there is nothing.
bool TargetAtCell(std::int32_t x, std::int32_t y, std::uint16_t& index, std::uint8_t& kind);

}  // namespace zarn
