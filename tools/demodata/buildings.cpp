// Building sprites: a concrete plate, raised blocks in the owner's colours (pixels 2..9), the
// kind's own feature (crane, blades, dish, dome, doors, pad) and a two-letter label.
#include <cmath>

#include "tools/demodata/demodata.h"

namespace demodata {

namespace {

void Plate(Canvas& cv) {
  for (int y = 0; y < cv.h; ++y)
    for (int x = 0; x < cv.w; ++x) {
      std::uint8_t c = pal::Steel + 4;
      if (x % 16 == 0 || y % 16 == 0) c = pal::Steel + 5;
      if (Noise(x, y, 7) < 0.08) c = pal::Steel + 3;
      cv.Set(x, y, c);
    }
  cv.Frame(0, 0, cv.w, cv.h, pal::Steel + 6);
}

// A raised block: light top and left edges, dark bottom and right, black rim.
void Block(Canvas& cv, int x, int y, int w, int h, std::uint8_t face = 5) {
  cv.Rect(x, y, w, h, face);
  cv.Rect(x, y, w, 1, 3);
  cv.Rect(x, y, 1, h, 3);
  cv.Rect(x, y + h - 1, w, 1, 8);
  cv.Rect(x + w - 1, y, 1, h, 8);
  cv.Frame(x - 1, y - 1, w + 2, h + 2, kBlack);
}

void LabelText(Canvas& cv, int x, int y, const char* utf8) {
  DrawText(cv, GetFonts().small, x + 1, y + 1, utf8, kBlack);
  DrawText(cv, GetFonts().small, x, y, utf8, pal::Tag);
}

void Light(Canvas& cv, int x, int y, bool lit) {
  cv.Rect(x, y, 2, 2, lit ? pal::Yellow : pal::Steel + 6);
}

void Door(Canvas& cv, int x, int y, int w, int h, bool open) {
  cv.Frame(x - 1, y - 1, w + 2, h + 1, kBlack);
  if (open) {
    cv.Rect(x, y, w, h, kBlack);
    cv.Rect(x, y, w, 2, 9);
    Light(cv, x + 1, y + h - 3, true);
    Light(cv, x + w - 3, y + h - 3, true);
  } else {
    cv.Rect(x, y, w, h, 8);
    for (int yy = y + 1; yy < y + h; yy += 3) cv.Rect(x, yy, w, 1, 9);
  }
}

}  // namespace

void DrawBuilding(Canvas& cv, int kind, int phase, bool lettered) {
  Plate(cv);
  const auto Label = [&](Canvas& c, int x, int y, const char* utf8) {
    if (lettered) LabelText(c, x, y, utf8);
  };
  switch (kind) {
    case 2:  // construction yard: a crane over the hall
      Block(cv, 3, 9, 26, 20);
      cv.Rect(7, 3, 2, 18, pal::Steel + 1);
      cv.Line(7, 3, 27, 5, pal::Steel + 1);
      cv.Line(7, 4, 27, 6, pal::Steel + 2);
      cv.Line(26, 6, 26, 12, pal::Steel + 6);
      Label(cv, 10, 18, "КД");
      break;
    case 3: {  // power plant: a turbine with blades
      Block(cv, 4, 16, 24, 13);
      cv.Disc(16, 11, 9, kBlack);
      cv.Disc(16, 11, 8, 4);
      for (int k = 0; k < 4; ++k) {
        const double a = k * 1.5708 + 0.4;
        cv.Line(16, 11, static_cast<int>(16 + std::cos(a) * 7), static_cast<int>(11 + std::sin(a) * 7),
                pal::Steel);
      }
      cv.Disc(16, 11, 2, 2);
      Label(cv, 9, 20, "ВТ");
      break;
    }
    case 5:  // silo: two round tanks
      Block(cv, 3, 18, 26, 11);
      for (int cx : {10, 22}) {
        cv.Disc(cx, 12, 7.5, kBlack);
        cv.Disc(cx, 12, 6.5, 4);
        cv.Disc(cx - 2, 10, 2.5, 2);
      }
      Label(cv, 9, 20, "СЛ");
      break;
    case 6: {  // radar: the dish turns with the phase
      Block(cv, 3, 18, 26, 11);
      cv.Disc(16, 11, 9, kBlack);
      cv.Disc(16, 11, 8, 3);
      cv.Disc(16, 11, 5, 7);
      const double a = phase * 1.5708 - 0.785;
      cv.Line(16, 11, static_cast<int>(std::lround(16 + std::cos(a) * 8)),
              static_cast<int>(std::lround(11 + std::sin(a) * 8)), 2);
      cv.Disc(16 + std::cos(a) * 7, 11 + std::sin(a) * 7, 1.6, pal::Red);
      Label(cv, 9, 20, "РД");
      break;
    }
    case 7:  // barracks: a long hut with a flag
      Block(cv, 2, 10, 28, 19, 6);
      cv.Rect(2, 14, 28, 2, 4);
      cv.Rect(27, 1, 1, 10, pal::Steel + 6);
      cv.Rect(22, 1, 5, 4, 2);
      Label(cv, 8, 18, "КЗ");
      break;
    case 8:  // academy: a dome
      Block(cv, 2, 14, 28, 15);
      cv.Disc(16, 13, 10, kBlack);
      cv.Disc(16, 13, 9, 3);
      cv.Disc(13, 10, 3.5, 2);
      Label(cv, 9, 19, "АК");
      break;
    case 9:  // light vehicle factory: the door opens while it works
      Block(cv, 2, 3, 28, 27);
      Door(cv, 8, 16, 16, 13, phase != 0);
      Label(cv, 8, 5, "ЛЗ");
      break;
    case 13:  // research centre: a ringed dome with an aerial
      Block(cv, 3, 12, 26, 17);
      cv.Disc(16, 12, 9, kBlack);
      cv.Disc(16, 12, 8, 2);
      cv.Disc(16, 12, 5.5, 6);
      cv.Disc(16, 12, 3, 2);
      cv.Rect(16, 1, 1, 4, pal::Steel + 1);
      cv.Set(16, 1, pal::Red);
      Label(cv, 9, 21, "ХЦ");
      break;
    case 4: {  // refinery: tanks on the left, a docking pad on the right
      Block(cv, 2, 3, 26, 26);
      cv.Disc(10, 11, 6, kBlack);
      cv.Disc(10, 11, 5, 4);
      cv.Disc(20, 11, 6, kBlack);
      cv.Disc(20, 11, 5, 4);
      for (int y = 4; y < 30; ++y)
        for (int x = 31; x < 47; ++x)
          cv.Set(x, y, ((x + y) / 3) % 2 ? pal::Yellow : pal::Steel + 6);
      cv.Rect(33, 7, 12, 20, pal::Steel + 5);
      for (int k = 0; k < 3; ++k) Light(cv, 6 + k * 8, 20, k == phase);
      Label(cv, 7, 20, "ЭЛ");
      break;
    }
    case 10:  // heavy vehicle factory: a wide gate
      Block(cv, 2, 2, 44, 28);
      cv.Rect(2, 10, 44, 1, 8);
      Door(cv, 14, 14, 20, 15, phase != 0);
      Label(cv, 4, 3, "ТЗ");
      Light(cv, 40, 4, phase != 0);
      break;
    case 11:  // repair factory: a pad with a red cross
      Block(cv, 2, 2, 20, 28);
      cv.Rect(25, 3, 21, 26, pal::Steel + 6);
      cv.Frame(25, 3, 21, 26, pal::Yellow);
      cv.Rect(33, 8, 5, 16, phase ? pal::Yellow : pal::Red);
      cv.Rect(28, 13, 15, 5, phase ? pal::Yellow : pal::Red);
      Label(cv, 4, 12, "РЗ");
      break;
    case 12:  // air factory: an arched hangar with a running beacon
      Block(cv, 2, 6, 44, 24);
      for (int x = 4; x < 45; x += 4) cv.Rect(x, 7, 1, 22, 7);
      for (int k = 0; k < 5; ++k) Light(cv, 6 + k * 9, 2, k == phase % 5 && phase != 0);
      Door(cv, 28, 18, 16, 11, phase != 0);
      Label(cv, 6, 16, "АЗ");
      break;
    case 14:  // starport: a landing circle and a control tower
      cv.Disc(28, 27, 19, kBlack);
      cv.Disc(28, 27, 18, pal::Steel + 6);
      cv.Disc(28, 27, 16, pal::Yellow);
      cv.Disc(28, 27, 14, pal::Steel + 5);
      cv.Rect(22, 20, 3, 15, pal::Yellow);
      cv.Rect(31, 20, 3, 15, pal::Yellow);
      cv.Rect(22, 26, 12, 3, pal::Yellow);
      Block(cv, 2, 2, 14, 16);
      cv.Rect(4, 4, 10, 3, 2);
      Label(cv, 2, 38, "КП");
      if (phase) cv.Disc(28, 27, 6, 4);
      break;
    case 15:  // palace: a great dome between two towers
      Block(cv, 4, 16, 40, 29);
      cv.Disc(24, 18, 13, kBlack);
      cv.Disc(24, 18, 12, 3);
      cv.Disc(20, 14, 4, 2);
      for (int cx : {8, 40}) {
        cv.Disc(cx, 10, 5, kBlack);
        cv.Disc(cx, 10, 4, 4);
        cv.Set(cx, 4, phase ? pal::Yellow : pal::Red);
      }
      Label(cv, 16, 34, "ДВ");
      break;
    default:  // a building site: crossed beams on the plate
      cv.Line(2, 2, cv.w - 3, cv.h - 3, pal::Steel + 1);
      cv.Line(cv.w - 3, 2, 2, cv.h - 3, pal::Steel + 1);
      cv.Frame(3, 3, cv.w - 6, cv.h - 6, pal::Yellow);
      break;
  }
}

}  // namespace demodata
