// The 28 headerless sheet files, frame by frame in the order the game numbers them.
#include <cmath>
#include <stdexcept>
#include <utility>

#include "tools/demodata/demodata.h"

namespace demodata {

Canvas SandTile(int tile);
Canvas RockTile(int tile);
Canvas GroundTile(int tile);
Canvas CrystalTile(int neighbours, bool inner);
Canvas TraceTile(int orientation);
Canvas BloomTile();
Canvas CraterTile(int n);
Canvas ShroudTile(int v);

namespace {

void Append(Bytes& out, const Canvas& cv) { out.insert(out.end(), cv.px.begin(), cv.px.end()); }

// ---- Units --------------------------------------------------------------------------------
Canvas Vehicle(int kind, int facing, int size, bool loaded = false) {
  Canvas cv(size, size);
  DrawShape(cv, UnitShape(kind, loaded), size / 2.0, size / 2.0, size * 0.4, facing * 45.0);
  cv.Outline();
  return cv;
}

// Infantry: one soldier or a squad of three, facing group 0 north, 1 east, 2 south, 3 west.
Canvas Infantry(bool squad, bool heavy, int group, int step) {
  Canvas cv(16, 16);
  if (squad && heavy) {
    // Two big troopers side by side, against the riflemen's three small ones.
    const double pos[2][2] = {{4, 8}, {12, 8}};
    for (int i = 0; i < 2; ++i) {
      const double along = group % 2 ? 1 : 0;  // side by side across the way they face
      DrawSoldier(cv, along ? 8 : pos[i][0], along ? pos[i][0] : 8, 3.9, group,
                  step == 0 ? 0 : (i % 2 ? 2 : 1), heavy);
    }
  } else if (squad) {
    const double pos[3][2] = {{8, 4.5}, {4, 11}, {12, 11}};
    for (int i = 0; i < 3; ++i)
      DrawSoldier(cv, pos[i][0], pos[i][1], 3.4, group, step == 0 ? 0 : (i % 2 ? 2 : 1), heavy);
  } else {
    DrawSoldier(cv, 8, 8, 6.2, group, step, heavy);
  }
  cv.Outline();
  return cv;
}

// ---- Effects (drawn by the game with fixed colours) -----------------------------------------
Canvas Dot(std::uint8_t core, std::uint8_t rim) {
  // The game places these small shots by the frame's top-left corner.
  Canvas cv(16, 16);
  cv.Rect(0, 0, 4, 4, rim);
  cv.Rect(1, 1, 2, 2, core);
  return cv;
}

Canvas Missile(int facing, bool big) {
  Shape s = {Box(-0.12, -0.7, 0.12, 0.5, pal::Steel + 1), Tri(-0.12, -0.7, 0.12, -0.7, 0, -0.95, pal::Red),
             Box(-0.12, 0.5, 0.12, 0.95, pal::Fire + 2), Box(-0.06, 0.75, 0.06, 1.0, pal::Fire)};
  if (big) {
    s.push_back(Tri(-0.3, 0.5, 0.3, 0.5, 0, 0.1, pal::Steel + 3));
    s.push_back(Box(-0.06, -0.6, 0.06, 0.4, pal::Crystal + 3));
  }
  Canvas cv(16, 16);
  DrawShape(cv, s, 8, 8, big ? 7.0 : 5.5, facing * 45.0);
  return cv;
}

Canvas Blast(int size, double r, int seed, bool energy = false) {
  Canvas cv(size, size);
  const double c = size / 2.0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double d = std::hypot(x + 0.5 - c, y + 0.5 - c) / r + (Noise(x, y, seed) - 0.5) * 0.5;
      if (d >= 1.0) continue;
      const int step = static_cast<int>(d * 9);
      const std::uint8_t colour =
          energy ? static_cast<std::uint8_t>(pal::Crystal + step) : static_cast<std::uint8_t>(pal::Fire + step);
      cv.Set(x, y, colour);
    }
  return cv;
}

Canvas Puff(int n) {
  Canvas cv(16, 16);
  const double r = 2.5 + n;
  cv.Disc(8, 8, r, pal::Fire + 7);
  cv.Disc(8, 8, r * 0.6, pal::Fire + 3);
  cv.Disc(8, 8, r * 0.25, pal::Fire);
  return cv;
}

Canvas Spray(int facing, int phase) {
  // Sand thrown out behind a harvester at work; three phases per facing. Clods of dark, damp
  // sand with a pale dusty top, so that the spray stands out on light sand.
  Canvas cv(16, 16);
  const double a = (facing * 45.0 + 90.0) * 3.14159265 / 180.0;  // backward direction
  for (int k = 0; k < 7; ++k) {
    const double dist = 2.5 + ((k * 3 + phase * 2) % 6);
    const double spread = (Noise(k, phase, facing) - 0.5) * 1.3;
    const double x = 8 + std::cos(a + spread) * dist, y = 8 + std::sin(a + spread) * dist;
    const double r = dist < 5 ? 1.6 : 1.1;
    cv.Disc(x, y, r, pal::Ground + 13);
    cv.Set(static_cast<int>(x), static_cast<int>(y), k % 2 ? pal::Ground + 9 : pal::Sand + 1);
  }
  cv.Outline(pal::Ground + 15);
  return cv;
}

Canvas Smoke(int n) {
  Canvas cv(32, 32);
  for (int k = 0; k < 4; ++k) {
    const double y = 26 - k * 6 - n * 2, x = 16 + std::sin(k + n) * 3;
    cv.Disc(x, y, 3 + k, static_cast<std::uint8_t>(29 + (k + n) % 3));
  }
  cv.Disc(16, 27, 3, pal::Fire + 4 + n);
  cv.Disc(16, 28, 1.5, pal::Fire + 1);
  return cv;
}

Canvas WormFrame(int n) {
  // Frames 55..62: the worm rises with its mouth opening, then closes and sinks.
  static constexpr double kRise[8] = {0.3, 0.6, 0.9, 1.0, 1.0, 0.8, 0.5, 0.2};
  static constexpr double kOpen[8] = {0.0, 0.5, 1.0, 1.0, 0.7, 0.4, 0.0, 0.0};
  Canvas cv(24, 24);
  DrawWormHead(cv, 12, 12, kOpen[n], kRise[n]);
  return cv;
}

// ---- Cursors (drawn with side colours) ------------------------------------------------------
Canvas TargetCursor(int n) {  // type 3, centred
  Canvas cv(16, 16);
  const double r = 4 + (n % 5) * 0.6;
  for (int a = 0; a < 64; ++a) {
    const double t = a * 3.14159265 / 32;
    cv.Set(static_cast<int>(8 + std::cos(t) * r), static_cast<int>(8 + std::sin(t) * r), 3);
  }
  cv.Rect(7, 0, 2, 5, 2);
  cv.Rect(7, 11, 2, 5, 2);
  cv.Rect(0, 7, 5, 2, 2);
  cv.Rect(11, 7, 5, 2, 2);
  cv.Outline();
  return cv;
}

Canvas ObjectCursor(int n) {  // type 2, centred: four brackets that close in and open
  Canvas cv(16, 16);
  const int o = n < 5 ? n / 2 : (9 - n) / 2;
  for (auto [sx, sy] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}}) {
    const int x = sx ? 14 - o : 1 + o, y = sy ? 14 - o : 1 + o;
    const int dx = sx ? -1 : 1, dy = sy ? -1 : 1;
    for (int k = 0; k < 4; ++k) {
      cv.Set(x + dx * k, y, 2 + (n % 2));
      cv.Set(x, y + dy * k, 2 + (n % 2));
    }
  }
  cv.Outline();
  return cv;
}

Canvas ArrowCursor(int n, bool second) {  // types 0: hot spot at the top-left corner
  Canvas cv(16, 16);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x <= y && x < 8; ++x) cv.Set(x, y, 5);
  for (int y = 8; y < 14; ++y) cv.Rect(3 + (y - 8) / 2, y, 2, 1, 5);
  if (second) {  // a hollow, slimmer arrow with a running glint
    for (int y = 2; y < 10; ++y)
      for (int x = 1; x < y - 1 && x < 7; ++x) cv.Set(x, y, 8);
    const int g = n % 12;
    cv.Set(g / 2 + 1, g + 1 < 12 ? g + 1 : 11, 2);
  } else {  // a glint that runs down the edge
    const int g = n % 12;
    cv.Set(0, g, 2);
    cv.Set(1, g, 3);
  }
  cv.Outline();
  return cv;
}

}  // namespace

std::vector<SheetFile> BuildSheets(const Bytes& palette) {
  std::vector<SheetFile> files;
  auto add = [&](const char* name, std::size_t bytes, Bytes& data) {
    if (data.size() != bytes) throw std::logic_error(std::string("sheet size mismatch: ") + name);
    files.push_back({name, bytes, std::exchange(data, Bytes{})});
  };

  Bytes army = palette;  // the palette comes first in army.dat
  {
    // Infantry: standing frame, then two walking frames per facing group.
    for (int g = 0; g < 4; ++g)
      for (int step = 0; step < 3; ++step) Append(army, Infantry(false, false, g, step));
    for (int g = 0; g < 4; ++g)
      for (int step = 0; step < 2; ++step) Append(army, Infantry(true, false, g, step));
    // Heavy troopers: facing south has two frames only.
    for (int g = 0; g < 4; ++g)
      for (int step = 0; step < (g == 2 ? 2 : 3); ++step) Append(army, Infantry(false, true, g, step));
    for (int g = 0; g < 4; ++g)
      for (int step = 0; step < 2; ++step) Append(army, Infantry(true, true, g, step));
    for (int kind : {4, 5, 6, 8, 9})
      for (int f = 0; f < 8; ++f) Append(army, Vehicle(kind, f, 16));
  }
  add("army.dat", 768 + 20224, army);

  Bytes b;
  for (int f = 0; f < 8; ++f) Append(b, Vehicle(15, f, 16));
  add("army3.dat", 2048, b);

  // Turrets and the slab are copied opaque without side colours: fixed colours, no colour 1.
  auto turret = [](int facing, bool rockets) {
    Canvas cv(16, 16);
    DrawBuilding(cv, -1, 0);
    cv.Rect(1, 1, 14, 14, pal::Steel + 5);
    cv.Frame(1, 1, 14, 14, pal::Steel + 6);
    Shape s = {Ball(0, 0.1, 0.55, pal::Steel + 2), Ball(0, 0.1, 0.3, pal::Steel + 4)};
    if (rockets) {
      s.push_back(Box(-0.4, -0.95, -0.12, 0.2, pal::Steel + 1));
      s.push_back(Box(0.12, -0.95, 0.4, 0.2, pal::Steel + 1));
      s.push_back(Box(-0.4, -0.95, 0.4, -0.8, pal::Red));
    } else {
      s.push_back(Box(-0.1, -1.0, 0.1, 0.0, pal::Steel + 6));
    }
    DrawShape(cv, s, 8, 8, 6.5, facing * 45.0);
    return cv;
  };
  for (int f = 0; f < 8; ++f) Append(b, turret(f, false));
  add("turrets.dat", 2048, b);
  for (int f = 0; f < 8; ++f) Append(b, turret(f, true));
  {
    Canvas slab(16, 16);
    DrawBuilding(slab, -1, 0);
    slab.Rect(1, 1, 14, 14, pal::Steel + 3);
    slab.Frame(0, 0, 16, 16, pal::Steel + 5);
    Append(b, slab);
    Canvas wall(16, 16, pal::Steel + 5);
    for (int y = 0; y < 16; y += 4) wall.Rect(0, y, 16, 1, pal::Steel + 7);
    for (int y = 0; y < 16; y += 4) wall.Rect((y / 4) % 2 ? 4 : 10, y, 1, 4, pal::Steel + 7);
    Append(b, wall);
  }
  add("rturrets.dat", 2560, b);

  Append(b, Dot(pal::White, pal::Yellow));   // 106 bullet
  Append(b, Dot(pal::Yellow, pal::Orange));  // 107 shell
  for (int f = 0; f < 8; ++f) Append(b, Missile(f, false));  // 108..115 rocket
  for (int f = 0; f < 8; ++f) Append(b, Missile(f, true));   // 116..123 heavy missile
  add("shutes.dat", 4608, b);

  for (int n = 0; n < 4; ++n) Append(b, Blast(16, 3.5 + n, 40 + n));  // 124..127 hits
  Append(b, Puff(1));                                                 // 128
  Append(b, Puff(0));                                                 // 129 bullet end
  Append(b, Blast(16, 5, 50));                                        // 130 rocket blast
  Append(b, Blast(16, 7.5, 51));                                      // 131
  Append(b, Blast(16, 6, 52, true));                                  // 132 converter flash
  add("explos16.dat", 2304, b);

  for (int t = 0; t < 16; ++t) Append(b, GroundTile(t));
  add("earthes.dat", 4096, b);
  for (int t = 0; t < 20; ++t) Append(b, RockTile(t));
  add("mounds.dat", 5120, b);
  for (int t = 0; t < 10; ++t) Append(b, SandTile(t));
  add("gravels.dat", 2560, b);

  // Field pictures in frame order (179.., then the rich set 195..): the sides present.
  constexpr int kN = 1, kW = 2, kE = 4, kS = 8;
  constexpr int kFieldOrder[16] = {kN | kW | kE | kS, kE | kS, kW | kE | kS, kW | kS,
                                   kN | kE | kS,      0,       kN | kW | kS, kN | kE,
                                   kN | kW | kE,      kN | kW, kS,           kN,
                                   kE,                kW,      kW | kE,      kN | kS};
  for (int m : kFieldOrder) Append(b, CrystalTile(m, false));
  add("ossins.dat", 4096, b);
  for (int m : kFieldOrder) Append(b, CrystalTile(m, true));
  add("rossins.dat", 4096, b);

  for (int phase = 0; phase < 3; ++phase)
    for (int f = 0; f < 8; ++f) Append(b, Spray(f, phase));
  add("sharv.dat", 6144, b);
  for (int o = 0; o < 4; ++o) Append(b, TraceTile(o));
  add("traces.dat", 1024, b);
  Append(b, BloomTile());
  add("glaukevy.dat", 256, b);
  for (int n = 0; n < 12; ++n) Append(b, CraterTile(n));
  add("craters.dat", 3072, b);
  for (int v = 0; v < 8; ++v) Append(b, ShroudTile(v));
  add("shadows.dat", 2048, b);

  for (int n = 0; n < 5; ++n) Append(b, TargetCursor(n));
  for (int n = 0; n < 10; ++n) Append(b, ObjectCursor(n));
  for (int n = 0; n < 17; ++n) Append(b, ArrowCursor(n, false));
  for (int n = 0; n < 12; ++n) Append(b, ArrowCursor(n, true));
  add("cursors.dat", 11264, b);

  for (int kind : {7, 11, 12, 10})
    for (int f = 0; f < 8; ++f) Append(b, Vehicle(kind, f, 24));
  add("army2.dat", 18432, b);
  for (int f = 0; f < 8; ++f) Append(b, Vehicle(14, f, 24));
  for (int f = 0; f < 8; ++f) Append(b, Vehicle(14, f, 24, true));
  add("army4.dat", 9216, b);
  Append(b, Blast(24, 10, 60));        // 49 large blast
  Append(b, Blast(24, 8, 61));         // 50
  Append(b, Blast(24, 11, 62));        // 51
  Append(b, Blast(24, 5, 63, true));   // 52..54 the converter's burst
  Append(b, Blast(24, 8, 64, true));
  Append(b, Blast(24, 11, 65, true));
  add("explos24.dat", 3456, b);
  for (int n = 0; n < 8; ++n) Append(b, WormFrame(n));
  add("crows.dat", 4608, b);

  for (int n = 0; n < 3; ++n) Append(b, Smoke(n));
  add("smokes.dat", 3072, b);
  // 32 x 32 frames 4..16: site, yard, power plant, radar x4, silo, barracks, academy,
  // light factory x2, research centre.
  const int k32[13][2] = {{-1, 0}, {2, 0}, {3, 0}, {6, 0}, {6, 1}, {6, 2}, {6, 3},
                          {5, 0},  {7, 0}, {8, 0}, {9, 0}, {9, 1}, {13, 0}};
  for (const auto& kp : k32) {
    Canvas cv(32, 32);
    DrawBuilding(cv, kp[0], kp[1]);
    Append(b, cv);
  }
  add("b32x32.dat", 13312, b);
  // 48 x 32 frames 1..11: refinery (spare, idle, phase 2, phase 1), heavy factory x2, repair,
  // repair (spare, lit), air factory x3.
  const int k48[11][2] = {{4, 0}, {4, 0}, {4, 2}, {4, 1}, {10, 0}, {10, 1},
                          {11, 0}, {11, 1}, {12, 0}, {12, 1}, {12, 2}};
  for (const auto& kp : k48) {
    Canvas cv(48, 32);
    DrawBuilding(cv, kp[0], kp[1]);
    Append(b, cv);
  }
  add("b48x32.dat", 16896, b);
  const int k4848[5][2] = {{14, 1}, {15, 0}, {14, 0}, {15, 1}, {14, 1}};
  for (const auto& kp : k4848) {
    Canvas cv(48, 48);
    DrawBuilding(cv, kp[0], kp[1]);
    Append(b, cv);
  }
  add("b48x48.dat", 11520, b);

  Append(b, PanelPicture());
  add("panel.dat", 13440, b);
  for (int n = 1; n <= 43; ++n) Append(b, IconLarge(n));
  add("icons.dat", 28380, b);
  for (int n = 1; n <= 18; ++n) Append(b, IconSmall(n));
  add("icons2.dat", 6048, b);
  return files;
}

}  // namespace demodata
