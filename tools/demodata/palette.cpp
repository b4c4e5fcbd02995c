// The game palette. Entries the game names itself (text 43, alert 12, own 200, the side colour
// bases, the minimap colours 55/116/125/235) are placed where the game expects them; the rest
// are our own ramps for terrain, fire, steel and the menus.
#include <algorithm>
#include <cmath>

#include "tools/demodata/demodata.h"

namespace demodata {

namespace {

struct Rgb {
  double r, g, b;
};

// Linear ramp from a to b over n entries starting at first.
void Ramp(Bytes& p, int first, int n, Rgb a, Rgb b) {
  for (int i = 0; i < n; ++i) {
    const double t = n == 1 ? 0.0 : double(i) / (n - 1);
    const int e = first + i;
    p[e * 3 + 0] = static_cast<std::uint8_t>(std::lround(a.r + (b.r - a.r) * t));
    p[e * 3 + 1] = static_cast<std::uint8_t>(std::lround(a.g + (b.g - a.g) * t));
    p[e * 3 + 2] = static_cast<std::uint8_t>(std::lround(a.b + (b.b - a.b) * t));
  }
}

void Put(Bytes& p, int e, Rgb c) { Ramp(p, e, 1, c, c); }

// WCAG 2 relative luminance of six-bit components.
double Luminance(Rgb c) {
  double l = 0;
  const double weight[3] = {0.2126, 0.7152, 0.0722}, v[3] = {c.r, c.g, c.b};
  for (int k = 0; k < 3; ++k) {
    const double s = std::lround(v[k]) * 4.05 / 255.0;
    l += weight[k] * (s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4));
  }
  return l;
}

// Side ramps: twelve steps from bright to dark; the game uses base + 2 .. base + 9 and the
// hover and press offsets reach two steps beyond on either end.
constexpr std::array<Rgb, 8> kSideBright = {{
    {63, 40, 36},  // 0 red
    {40, 50, 63},  // 1 blue
    {42, 63, 38},  // 2 green
    {56, 40, 63},  // 3 violet
    {63, 50, 28},  // 4 orange
    {36, 63, 63},  // 5 cyan
    {63, 63, 63},  // 6 white
    {63, 60, 30},  // 7 gold
}};
constexpr std::array<Rgb, 8> kSideDark = {{
    {22, 0, 0},
    {0, 4, 24},
    {0, 20, 2},
    {18, 0, 26},
    {26, 8, 0},
    {0, 20, 22},
    {16, 16, 18},
    {14, 8, 0},
}};

void SideRamp(Bytes& p, int side, int fromStep, int toStep) {
  const int base = kSideBase[static_cast<std::size_t>(side)];
  for (int k = fromStep; k <= toStep; ++k) {
    const double t = k / 11.0;
    const Rgb a = kSideBright[static_cast<std::size_t>(side)];
    const Rgb b = kSideDark[static_cast<std::size_t>(side)];
    Put(p, base + k, {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t});
  }
}

}  // namespace

Bytes BuildPalette() {
  Bytes p(768, 0);
  // Unused entries stay a dim grey so a stray index is visible but not garish.
  for (int e = 0; e < 256; ++e) Put(p, e, {20, 20, 20});
  Put(p, 0, {0, 0, 0});
  Put(p, 1, {40, 0, 40});  // only seen where a picture is copied opaque
  Ramp(p, 2, 8, {58, 58, 56}, {14, 14, 14});  // side pixels as stored, unrecoloured
  Put(p, 10, {16, 28, 63});
  Put(p, 11, {4, 8, 34});
  Put(p, 12, {63, 10, 8});
  Put(p, 13, {40, 2, 0});
  Put(p, 14, {56, 56, 56});
  Put(p, 15, {60, 60, 60});  // message lines: see the own colour below
  Put(p, 16, {32, 32, 32});
  Put(p, 17, {63, 58, 12});
  Put(p, 18, {63, 40, 4});
  Put(p, 19, {20, 20, 20});
  Ramp(p, 20, 9, {63, 63, 52}, {34, 4, 0});    // fire
  Ramp(p, 29, 3, {34, 32, 30}, {14, 13, 12});  // smoke
  Ramp(p, 32, 8, {54, 54, 52}, {8, 8, 9});     // steel
  Put(p, 40, {63, 63, 58});
  Put(p, 41, {63, 62, 50});
  // 42..53 the gold side ramp (side 7) with the text colour at its bright end.
  for (int side : {5, 6, 0, 1, 2, 4, 3, 7}) SideRamp(p, side, 0, 11);
  // Where two extended ramps overlap, the core steps of each side win.
  for (int side : {5, 6, 0, 1, 2, 4, 3, 7}) SideRamp(p, side, 2, 9);
  Put(p, pal::Text, {60, 58, 44});
  // The face of the side panel's and editors' buttons: dark, so that the red of the active
  // order (pulsing in play) and the light of the others both stand out from it.
  Put(p, pal::BevelFace, {11, 10, 3});
  // The score table's bars (one side colour each) carry light numbers: each kept under a
  // quarter of white's luminance by darkening its side's step.
  for (const int e : {170, 184, 199, 228}) {
    Rgb c{double(p[e * 3]), double(p[e * 3 + 1]), double(p[e * 3 + 2])};
    while (Luminance(c) > 0.2) c = {c.r * 0.95, c.g * 0.95, c.b * 0.95};
    Put(p, e, c);
  }
  Put(p, pal::Tag, {63, 61, 40});
  // Texts over the map (status line and countdown in the own colour, message lines in 15) are
  // near white, and the ground ramps below stay under a quarter of white's luminance: three
  // times the contrast at least, on any ground.
  Put(p, pal::Own, {50, 63, 50});
  Put(p, pal::BevelDark, {12, 8, 2});
  Put(p, 55, {34, 26, 16});  // minimap ground
  Ramp(p, pal::Ground, 16, {33, 26, 19}, {12, 9, 7});
  Ramp(p, pal::Crystal, 16, {44, 26, 48}, {18, 4, 26});
  Ramp(p, pal::Scorch, 12, {30, 24, 16}, {4, 3, 2});
  Ramp(p, pal::Sand, 20, {42, 33, 19}, {24, 17, 7});
  Put(p, 116, {40, 32, 18});  // minimap sand, inside the sand ramp
  Ramp(p, pal::Rock, 8, {24, 21, 19}, {6, 5, 4});
  Put(p, 125, {22, 20, 18});  // minimap rock, inside the rock ramp
  Put(p, pal::MenuBack, {18, 6, 4});
  Ramp(p, pal::Maroon, 12, {46, 22, 14}, {8, 2, 1});
  Ramp(p, pal::Gold, 8, {63, 56, 30}, {26, 16, 4});
  Ramp(p, pal::Worm, 10, {56, 46, 34}, {16, 10, 6});
  Ramp(p, 248, 8, {46, 22, 52}, {22, 6, 30});  // crystal glints
  for (auto& b : p) b = std::min<std::uint8_t>(b, 63);
  return p;
}

}  // namespace demodata
