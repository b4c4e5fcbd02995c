// Whether a unit may enter a tile, the map-bound and sand tests, and the search for a free
// tile behind a unit.
#pragma once

#include <cstdint>

namespace zarn {

// 1 when a unit of this kind and owner may enter (x, y), else 0. The unit's own slot
// (0 for none) never blocks it.
std::uint8_t CanEnter(int kind, int player, int x, int selfSlot, int y);

// The units on every tile as CanEnter sees them for one asking player and slot, gathered in one
// pass over the unit table, so that many questions in a row cost one pass instead of one each.
// It answers exactly as CanEnter would only while no unit moves, appears or leaves: make one
// on the stack, ask, let it go. One lives at a time; a second one made meanwhile asks CanEnter.
struct TTileUnitSnapshot {
  TTileUnitSnapshot(int player, int selfSlot);
  ~TTileUnitSnapshot();
  TTileUnitSnapshot(const TTileUnitSnapshot&) = delete;
  TTileUnitSnapshot& operator=(const TTileUnitSnapshot&) = delete;
  // CanEnter(kind, player, x, selfSlot, y) with the snapshot's player and slot.
  std::uint8_t CanEnter(int kind, int x, int y) const;

 private:
  int Player, SelfSlot;
  bool Owner = false;  // false for one made while another lived
};

bool IsOutsideMap(int x, int y);
// 1 for a tile inside the map whose terrain is sand, else 0.
std::uint8_t IsSandTile(int x, int y);

// Replaces (x, y) by the first enterable tile behind it as seen along the facing, never the
// unit's own tile (unitX, unitY); leaves (x, y) alone when none of the 25 candidates will do.
void FindTileBehind(int kind, int player, int facing, int selfSlot, int& x, int& y, int unitX, int unitY);

}  // namespace zarn
