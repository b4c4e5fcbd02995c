// Terrain tiles (sand, rock, ground with its sand edges), resource fields, ground marks, the
// bloom, craters and the shroud's edge pieces.
#include <algorithm>
#include <cmath>

#include "tools/demodata/demodata.h"

namespace demodata {

// Sides as bits: N 1, W 2, E 4, S 8.
enum : int { kN = 1, kW = 2, kE = 4, kS = 8 };

namespace {

std::uint8_t SandAt(int x, int y, int seed) {
  const double n = Noise(x, y, seed) * 0.6 + Noise(x / 4, y / 4, seed + 1) * 0.4;
  return static_cast<std::uint8_t>(pal::Sand + 4 + static_cast<int>(n * 5));
}

std::uint8_t GroundAt(int x, int y, int seed) {
  const double n = Noise(x, y, seed + 40) * 0.5 + Noise(x / 3, y / 3, seed + 41) * 0.5;
  return static_cast<std::uint8_t>(pal::Ground + 4 + static_cast<int>(n * 5));
}

// How far (pixels) a side's sand band reaches in at position t along the edge.
double Band(int t, int seed) { return 3.0 + Noise(t, seed, 77) * 2.0; }

}  // namespace

Canvas SandTile(int tile) {
  Canvas cv(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) cv.Set(x, y, SandAt(x, y, 3));  // one seed: tiles join up
  if (tile > 0) {
    // Dunes: curved ridges, each tile with its own count and slant.
    const int ridges = 1 + tile % 3;
    for (int r = 0; r < ridges; ++r) {
      const double base = 3 + r * (12.0 / ridges) + tile % 2;
      for (int x = 0; x < 16; ++x) {
        const double y = base + std::sin((x + tile * 3) * (0.25 + 0.05 * (tile % 4))) * 2.0;
        const int yi = static_cast<int>(y);
        cv.Set(x, yi, pal::Sand + 1);
        cv.Set(x, yi + 1, pal::Sand + 12);
      }
    }
    if (tile >= 7) cv.Disc(4 + tile % 5 * 2, 11, 1.5, pal::Rock + 3);  // a stone in the sand
  }
  return cv;
}

Canvas RockTile(int tile) {
  Canvas cv(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const double n = Noise(x, y, 11) * 0.5 + Noise(x / 4, y / 4, 12 + tile) * 0.5;
      cv.Set(x, y, static_cast<std::uint8_t>(pal::Rock + 1 + static_cast<int>(n * 4)));
    }
  // Boulders and cracks placed by the tile number, so every tile of the set differs.
  const int boulders = 1 + tile % 3;
  for (int b = 0; b < boulders; ++b) {
    const double cx = 3 + Noise(tile, b, 13) * 10, cy = 3 + Noise(b, tile, 14) * 10;
    const double r = 2 + Noise(tile, b, 15) * 2.5;
    cv.Disc(cx + 0.7, cy + 0.7, r, pal::Rock + 7);
    cv.Disc(cx, cy, r, pal::Rock + 2);
    cv.Disc(cx - r / 3, cy - r / 3, r / 2.5, pal::Rock);
  }
  if (tile % 2) cv.Line(0, 4 + tile % 8, 15, 12 - tile % 5, pal::Rock + 7);
  if (tile >= 10) cv.Line(5 + tile % 6, 0, 8, 15, pal::Rock + 6);
  return cv;
}

int GroundOpenSides(int tile) {
  // The sides without ground or rock beside them, by the map editor's edge tile numbers.
  static constexpr int kOpen[16] = {0,           kN | kW,      kN,      kN | kE,
                                    kW,          kN | kW | kE | kS, kE, kW | kS,
                                    kS,          kE | kS,      kN | kW | kE, kW | kE | kS,
                                    kN | kW | kS, kN | kE | kS, kN | kS, kW | kE};
  return kOpen[tile & 15];
}

Canvas GroundTile(int tile) {
  const int open = GroundOpenSides(tile);
  Canvas cv(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      bool sand = false;
      if ((open & kN) && y < Band(x, 1)) sand = true;
      if ((open & kS) && 15 - y < Band(x, 2)) sand = true;
      if ((open & kW) && x < Band(y, 3)) sand = true;
      if ((open & kE) && 15 - x < Band(y, 4)) sand = true;
      // Round the corner where two open sides meet.
      auto corner = [&](bool on, int cx, int cy) {
        if (on && std::hypot(x + 0.5 - cx, y + 0.5 - cy) > 12.0) sand = true;
      };
      corner((open & kN) && (open & kW), 16, 16);
      corner((open & kN) && (open & kE), 0, 16);
      corner((open & kS) && (open & kW), 16, 0);
      corner((open & kS) && (open & kE), 0, 0);
      std::uint8_t c = sand ? SandAt(x, y, 3) : GroundAt(x, y, 5);
      cv.Set(x, y, c);
    }
  // A darker rim where ground meets sand.
  Canvas rim = cv;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const bool g = rim.Get(x, y) < pal::Sand;
      if (!g) continue;
      for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        const int nx = x + dx, ny = y + dy;
        if (rim.Inside(nx, ny) && rim.Get(nx, ny) >= pal::Sand) cv.Set(x, y, pal::Ground + 13);
      }
    }
  return cv;
}

Canvas CrystalTile(int neighbours, bool inner) {
  // Transparent cell; crystals reach the edges toward neighbouring field cells.
  Canvas cv(16, 16);
  const int margin = 4;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const int left = (neighbours & kW) ? 0 : margin, right = (neighbours & kE) ? 15 : 15 - margin;
      const int top = (neighbours & kN) ? 0 : margin, bottom = (neighbours & kS) ? 15 : 15 - margin;
      if (x < left || x > right || y < top || y > bottom) continue;
      const double n = Noise(x, y, inner ? 21 : 20);
      if (n < (inner ? 0.75 : 0.5)) {
        const int shade = inner ? static_cast<int>(n * 8) : 4 + static_cast<int>(n * 12);
        cv.Set(x, y, static_cast<std::uint8_t>(pal::Crystal + shade));
      }
    }
  // Glints, more on rich cells.
  for (int k = 0; k < (inner ? 6 : 3); ++k) {
    const int x = 4 + static_cast<int>(Noise(k, neighbours, 22) * 8);
    const int y = 4 + static_cast<int>(Noise(neighbours, k, 23) * 8);
    cv.Set(x, y, 248);
    cv.Set(x + 1, y, 250);
  }
  return cv;
}

Canvas TraceTile(int orientation) {
  // Track marks: 0 north-south, 1 east-west, 2 north-west to south-east, 3 north-east to
  // south-west.
  Canvas cv(16, 16);
  for (int t = 0; t < 16; t += 2)
    for (int off : {-3, 3}) {
      int x = 0, y = 0;
      switch (orientation) {
        case 0: x = 8 + off, y = t; break;
        case 1: x = t, y = 8 + off; break;
        case 2: x = t + off, y = t - off; break;
        default: x = 15 - t + off, y = t + off; break;
      }
      cv.Set(x, y, pal::Sand + 15);
      cv.Set(x + (orientation == 0 ? 0 : 0), y + (orientation == 1 ? 0 : 1), pal::Sand + 13);
    }
  return cv;
}

Canvas BloomTile() {
  Canvas cv = SandTile(0);
  cv.Disc(8, 8.5, 6, pal::Sand + 14);
  cv.Disc(8, 8, 5, pal::Sand + 2);
  cv.Disc(7, 7, 2.5, pal::Crystal + 6);
  cv.Set(10, 9, pal::Crystal + 3);
  cv.Set(5, 10, pal::Crystal + 3);
  cv.Set(6, 6, 248);
  return cv;
}

Canvas CraterTile(int n) {
  // 240..244 scorch marks growing with the number, 245..249 craters in ground, 250..251 in sand.
  Canvas cv(16, 16);
  if (n < 5) {
    const double r = 2.5 + n * 1.2;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const double d = std::hypot(x + 0.5 - 8, y + 0.5 - 8) + Noise(x, y, 30 + n) * 2.0;
        if (d < r) cv.Set(x, y, static_cast<std::uint8_t>(pal::Scorch + 11 - static_cast<int>(d / r * 6)));
      }
  } else {
    const bool sand = n >= 10;
    const double r = 3.5 + (n % 5) * 0.8;
    cv.Disc(8.5, 8.5, r + 1.5, sand ? pal::Sand + 16 : pal::Scorch + 3);
    cv.Disc(8, 8, r, sand ? pal::Sand + 18 : pal::Scorch + 8);
    cv.Disc(8.6, 8.6, r * 0.6, sand ? pal::Sand + 19 : pal::Scorch + 11);
    cv.Disc(7, 7, r * 0.3, sand ? pal::Sand + 10 : pal::Scorch + 5);
  }
  return cv;
}

Canvas ShroudTile(int v) {
  // The covered side is black; the side toward the seen area thins out in a dither.
  // 0 top-left corner, 1 top edge, 2 top-right, 3 left, 4 right, 5 bottom-left, 6 bottom,
  // 7 bottom-right: the edge pieces lie outside the seen area at that position.
  Canvas cv(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      // Distance into the seen area, from 0 (deep in the cover) to 16.
      double d = 0;
      switch (v) {
        case 1: d = y; break;         // seen area below
        case 6: d = 15 - y; break;    // seen area above
        case 3: d = x; break;         // seen area to the right
        case 4: d = 15 - x; break;    // seen area to the left
        case 0: d = 16 - std::hypot(16 - x, 16 - y); break;
        case 2: d = 16 - std::hypot(x + 1, 16 - y); break;
        case 5: d = 16 - std::hypot(16 - x, y + 1); break;
        default: d = 16 - std::hypot(x + 1, y + 1); break;
      }
      const double cover = 1.0 - std::clamp(d / 15.0, 0.0, 1.0);
      const double bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
      if (cover * 16 > bayer[y % 4][x % 4] + 0.5) cv.Set(x, y, kBlack);
    }
  return cv;
}

}  // namespace demodata
