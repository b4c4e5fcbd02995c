// The looks of units, soldiers and the sand worm, as parts in the object's own frame (nose
// toward -y). Side-coloured parts use pixel values 2 (bright) .. 9 (dark), which the game remaps.
#include <cmath>

#include "tools/demodata/demodata.h"

namespace demodata {

namespace {

constexpr std::uint8_t kTrack = pal::Steel + 5, kWheel = pal::Steel + 6, kGun = pal::Steel + 2,
                       kMetal = pal::Steel + 3;

void Tracks(Shape& s, double inner, double outer, double len) {
  s.push_back(Box(-outer, -len, -inner, len, kTrack));
  s.push_back(Box(inner, -len, outer, len, kTrack));
}

// A tracked hull with a wedge nose and a dark engine deck at the back, so that front and back
// read apart at every facing.
void Hull(Shape& s, double half, double nose, double front, double back, std::uint8_t c) {
  s.push_back(Box(-half, front, half, back, c));
  s.push_back(Tri(-half, front, half, front, 0, nose, c));
  s.push_back(Box(-half + 0.08, back - 0.3, half - 0.08, back, 9));
}

}  // namespace

Shape UnitShape(int kind, bool loaded) {
  Shape s;
  switch (kind) {
    case 4:  // trike: three wheels, narrow body
      s = {Ball(-0.5, 0.55, 0.25, kWheel), Ball(0.5, 0.55, 0.25, kWheel),
           Ball(0, -0.7, 0.22, kWheel),    Box(-0.22, -0.65, 0.22, 0.7, 4),
           Box(-0.16, 0.0, 0.16, 0.35, 7), Tri(-0.22, -0.62, 0.22, -0.62, 0, -0.98, 2)};
      break;
    case 5:  // quad: four wheels, tapered nose with headlights, cabin, gun, dark rear rack
      s = {Ball(-0.55, -0.4, 0.25, kWheel),  Ball(0.55, -0.4, 0.25, kWheel),
           Ball(-0.55, 0.55, 0.25, kWheel),  Ball(0.55, 0.55, 0.25, kWheel),
           Box(-0.45, -0.45, 0.45, 0.85, 5), Tri(-0.45, -0.45, 0.45, -0.45, 0, -0.95, 5),
           Box(-0.45, 0.4, 0.45, 0.85, 9),   Box(-0.3, -0.3, 0.3, 0.25, 3),
           Box(-0.36, -0.72, -0.1, -0.5, pal::Yellow), Box(0.1, -0.72, 0.36, -0.5, pal::Yellow),
           Box(-0.09, -1.0, 0.09, -0.2, kGun)};
      break;
    case 6:  // light tank: tracks, wedge hull, round turret, one barrel
      // Short hull and a long barrel: the barrel sticks out well beyond the front.
      s.push_back(Box(-0.92, -0.5, -0.5, 0.92, kTrack));
      s.push_back(Box(0.5, -0.5, 0.92, 0.92, kTrack));
      Hull(s, 0.55, -0.65, -0.35, 0.92, 6);
      s.push_back(Ball(0, 0.3, 0.36, 3));
      s.push_back(Box(-0.1, -1.0, 0.1, 0.2, kGun));
      break;
    case 7:  // siege tank: wide tracks, big turret, twin barrels
      Tracks(s, 0.55, 0.88, 0.85);
      Hull(s, 0.6, -0.95, -0.5, 0.9, 5);
      s.push_back(Ball(0, 0.15, 0.45, 3));
      s.push_back(Box(-0.22, -1.0, -0.08, 0.0, kGun));
      s.push_back(Box(0.08, -1.0, 0.22, 0.0, kGun));
      s.push_back(Ball(0, 0.15, 0.15, 8));
      break;
    case 8:  // rocket launcher: two rocket racks, red tips
      s.push_back(Box(-0.7, -0.45, -0.45, 0.85, kTrack));
      s.push_back(Box(0.45, -0.45, 0.7, 0.85, kTrack));
      Hull(s, 0.5, -0.65, -0.35, 0.85, 5);
      s.push_back(Box(-0.36, -0.95, -0.1, 0.3, 2));
      s.push_back(Box(0.1, -0.95, 0.36, 0.3, 2));
      s.push_back(Box(-0.36, -0.95, -0.1, -0.7, pal::Red));
      s.push_back(Box(0.1, -0.95, 0.36, -0.7, pal::Red));
      break;
    case 9:  // Tremolan tank: a wide wave dish out front, narrow tracks, engine block behind
      s.push_back(Box(-0.6, -0.3, -0.38, 0.95, kTrack));
      s.push_back(Box(0.38, -0.3, 0.6, 0.95, kTrack));
      Hull(s, 0.4, -0.5, -0.3, 0.95, 7);
      s.push_back(Box(-0.3, 0.7, -0.12, 0.95, kGun));
      s.push_back(Box(0.12, 0.7, 0.3, 0.95, kGun));
      s.push_back(Tri(-1.0, -0.95, 1.0, -0.95, 0, -0.35, 3));  // dish
      s.push_back(Ball(0, -0.7, 0.22, 9));
      s.push_back(Ball(0, -0.7, 0.1, pal::Crystal + 1));
      break;
    case 10:  // harvester: front scoop, hopper of crystals
      // A narrow body behind a scoop wider than anything else on the field.
      s = {Ball(-0.46, 0.6, 0.22, kWheel), Ball(0.46, 0.6, 0.22, kWheel),
           Ball(-0.46, -0.1, 0.22, kWheel), Ball(0.46, -0.1, 0.22, kWheel),
           Box(-0.42, -0.5, 0.42, 0.85, 4),  Box(-0.3, 0.0, 0.3, 0.72, 8),
           Ball(-0.1, 0.3, 0.14, pal::Crystal + 4), Ball(0.12, 0.42, 0.12, pal::Crystal + 2),
           Box(-1.0, -1.0, 1.0, -0.62, kMetal), Box(-0.3, -0.56, 0.3, -0.2, 2)};
      break;
    case 11:  // Gromador: huge hull, two turrets
      s.push_back(Box(-0.97, -0.6, -0.75, 0.9, kTrack));
      s.push_back(Box(0.75, -0.6, 0.97, 0.9, kTrack));
      Hull(s, 0.8, -0.85, -0.5, 0.9, 6);
      s.push_back(Ball(-0.38, 0.1, 0.3, 3));
      s.push_back(Ball(0.38, 0.1, 0.3, 3));
      s.push_back(Box(-0.44, -1.0, -0.32, 0.1, kGun));
      s.push_back(Box(0.32, -1.0, 0.44, 0.1, kGun));
      break;
    case 12:  // mobile construction yard: cab with headlights in front, house behind, crane
      s = {Ball(-0.55, -0.55, 0.22, kWheel), Ball(0.55, -0.55, 0.22, kWheel),
           Ball(-0.55, 0.6, 0.22, kWheel),   Ball(0.55, 0.6, 0.22, kWheel),
           Box(-0.55, -0.8, 0.55, 0.85, 5),  Box(-0.45, -0.1, 0.45, 0.72, 2),
           Box(-0.45, 0.25, 0.45, 0.36, 7),  Box(-0.5, -0.8, 0.5, -0.45, 8),
           Box(-0.5, -0.9, -0.2, -0.75, pal::Yellow), Box(0.2, -0.9, 0.5, -0.75, pal::Yellow),
           Box(-0.06, -1.0, 0.06, -0.1, kMetal), Box(-0.3, -1.0, 0.3, -0.9, kMetal)};
      break;
    case 13:  // Perwolan: one heavy converter missile
      Tracks(s, 0.45, 0.7, 0.75);
      s.push_back(Box(-0.5, -0.6, 0.5, 0.8, 6));
      s.push_back(Box(-0.2, -0.98, 0.2, 0.5, 2));
      s.push_back(Tri(-0.2, -0.75, 0.2, -0.75, 0, -1.0, pal::Crystal + 2));
      break;
    case 14:  // carrier: pointed nose, wings forward of the middle, wide tail plane behind
      s = {Box(-0.95, -0.4, 0.95, -0.05, 3),   Box(-0.2, -0.7, 0.2, 0.9, 5),
           Tri(-0.2, -0.7, 0.2, -0.7, 0, -1.0, 5), Box(-0.5, 0.6, 0.5, 0.9, 7),
           Box(-0.12, -0.72, 0.12, -0.5, pal::Yellow),
           Box(-0.95, -0.4, -0.8, -0.05, pal::Red), Box(0.8, -0.4, 0.95, -0.05, pal::Red)};
      if (loaded) {
        s.push_back(Box(-0.38, -0.42, 0.38, 0.42, kMetal));
        s.push_back(Box(-0.38, -0.05, 0.38, 0.05, 9));
      }
      break;
    case 15:  // Skeltrel: delta wing fighter
      s = {Tri(0, -1.0, -0.92, 0.8, 0.92, 0.8, 4), Tri(0, -0.5, -0.45, 0.7, 0.45, 0.7, 7),
           Ball(0, -0.25, 0.17, 2), Box(-0.14, 0.6, 0.14, 0.92, 9)};
      break;
    default:  // anything else: a plain marked box
      s = {Box(-0.6, -0.6, 0.6, 0.6, 5), Tri(-0.3, -0.6, 0.3, -0.6, 0, -0.95, 2)};
      break;
  }
  return s;
}

void DrawSoldier(Canvas& cv, double cx, double cy, double size, int group, int step, bool heavy) {
  const double fwd = step == 1 ? -0.25 : step == 2 ? 0.2 : 0.0;
  Shape s = {
      Box(-0.3, -0.05 + fwd, -0.08, 0.62 + fwd, 8),  // left leg
      Box(0.08, -0.05 - fwd, 0.3, 0.62 - fwd, 8),    // right leg
  };
  if (heavy) {
    // Broad armour, a big pack and a launcher tube longer than the man: a bulk that reads apart
    // from the rifleman even at one pixel to the pixel.
    s.push_back(Box(-0.55, 0.2, 0.45, 0.78, 7));    // pack
    s.push_back(Box(-0.78, -0.34, 0.62, 0.3, 6));   // armour
    s.push_back(Ball(-0.1, -0.02, 0.3, 2));         // helmet
    s.push_back(Box(0.5, -1.0, 0.84, 0.95, kMetal));  // launcher tube
    s.push_back(Box(0.54, -1.0, 0.8, -0.84, pal::Red));
  } else {
    s.push_back(Box(-0.46, -0.22, 0.46, 0.26, 4));  // shoulders
    s.push_back(Ball(0, 0.0, 0.24, 2));             // helmet
    s.push_back(Box(0.22, -0.92, 0.34, 0.12, kGun));
  }
  DrawShape(cv, s, cx, cy, size, group * 90.0);
}

void DrawWormHead(Canvas& cv, double cx, double cy, double open, double rise) {
  // Rings of the body coming out of the sand, then the mouth seen from above.
  const double r = 4 + 7 * rise;
  cv.Disc(cx, cy, r + 2, pal::Sand + 12);
  cv.Disc(cx, cy, r, pal::Worm + 4);
  cv.Disc(cx, cy, r * 0.8, pal::Worm + 2);
  if (open > 0) {
    cv.Disc(cx, cy, r * 0.75 * open, pal::Worm + 9);
    cv.Disc(cx, cy, r * 0.45 * open, kBlack);
    for (int k = 0; k < 8; ++k) {  // teeth around the mouth
      const double a = k * 0.785398;
      cv.Set(static_cast<int>(cx + std::cos(a) * r * 0.62 * open),
             static_cast<int>(cy + std::sin(a) * r * 0.62 * open), pal::White);
    }
  }
}

}  // namespace demodata
