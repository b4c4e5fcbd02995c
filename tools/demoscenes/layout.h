// Laying out the demo maps and the positions on them: terrain, resource fields, blooms and
// the bases of the players.
#pragma once

#include <cstdint>
#include <vector>

namespace demoscenes {

// A deterministic generator of our own, so the data set never depends on the game's.
struct Rng {
  std::uint32_t state;
  int Next(int n) {
    state = state * 1664525u + 1013904223u;
    return n <= 0 ? 0 : static_cast<int>((state >> 8) % static_cast<std::uint32_t>(n));
  }
};

// A rock plateau that carries a base.
struct Plateau {
  int X, Y, W, H;
};

// Sand with dunes, the plateaus with their edges, a few mounds, resource fields near each plateau
// and in the middle, and some blooms; written into GameMap and MapPlacements.
void DrawMap(int width, int height, const std::vector<Plateau>& plateaus, int fieldsPerBase, int blooms,
             std::uint32_t seed);
// Plateaus of 14 x 12 in the corners (and the edge middles for more than four players).
std::vector<Plateau> CornerPlateaus(int width, int height, int count);

// Puts the buildings (kinds in order) onto the plateau row by row, starting at the side that
// faces the map's middle; returns how many fitted.
int PlaceBase(const Plateau& p, int mapWidth, const std::vector<std::uint8_t>& kinds, std::uint8_t owner,
              std::uint8_t side);
// Units of the kinds, two abreast on the sand beside the plateau's inner side, between the base
// and its field; the first unit (where a mission's view opens) stands nearest the base's top.
void PlaceUnits(const Plateau& p, int mapWidth, const std::vector<std::uint8_t>& kinds, std::uint8_t owner,
                std::uint8_t side);

}  // namespace demoscenes
