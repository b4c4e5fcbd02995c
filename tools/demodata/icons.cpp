// Subjects drawn at any size (icons, build pictures, encyclopedia pictures) and the control
// panel's background.
#include <algorithm>
#include <cmath>

#include "tools/demodata/demodata.h"

namespace demodata {

namespace {

Canvas Scaled(const Canvas& src, int w, int h) {
  Canvas out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.Set(x, y, src.Get(x * src.w / w, y * src.h / h));
  return out;
}

Canvas BuildingCanvas(int kind) {
  if (kind == 0 || kind == 1 || kind == 16 || kind == 17 || kind == -18) {
    // Slabs, walls and turrets: a few cells of plate with the feature.
    // Each tells itself apart at icon size: one plate, four plates in two shades, a wall
    // course, and the turrets standing on sand (the gun light, the rocket launcher dark).
    Canvas cv(32, 32);
    DrawBuilding(cv, -1, 0);
    cv.Rect(1, 1, 30, 30, pal::Steel + 3);
    if (kind == -18) {
      cv.Rect(1, 1, 15, 15, pal::Steel + 1);
      cv.Rect(16, 16, 15, 15, pal::Steel + 1);
      cv.Rect(1, 16, 15, 15, pal::Steel + 6);
      cv.Rect(16, 1, 15, 15, pal::Steel + 6);
    } else if (kind == 1) {
      cv.Rect(2, 8, 28, 16, pal::Steel + 5);
      for (int y = 8; y < 24; y += 4) cv.Rect(2, y, 28, 1, pal::Steel + 7);
    } else if (kind >= 16) {
      cv.Rect(0, 0, 32, 32, pal::Sand + 4);
      const std::uint8_t body = kind == 17 ? pal::Scorch + 6 : pal::Steel + 1;
      Shape s = {Ball(0, 0.1, 0.7, body), Ball(0, 0.1, 0.35, pal::Steel + 4)};
      if (kind == 17) {
        s.push_back(Box(-0.4, -0.95, -0.12, 0.2, pal::Steel + 1));
        s.push_back(Box(0.12, -0.95, 0.4, 0.2, pal::Steel + 1));
        s.push_back(Box(-0.4, -0.95, 0.4, -0.8, pal::Red));
      } else {
        s.push_back(Box(-0.1, -1.0, 0.1, 0.0, pal::Steel + 6));
      }
      DrawShape(cv, s, 16, 16, 13, 45);
    }
    return cv;
  }
  const int fp = (kind == 4 || kind == 10 || kind == 11 || kind == 12) ? 2 : (kind == 14 || kind == 15) ? 3 : 1;
  Canvas cv(fp == 1 ? 32 : 48, fp == 3 ? 48 : 32);
  DrawBuilding(cv, kind, 0, false);
  return cv;
}

}  // namespace

void DrawSubject(Canvas& cv, Subject what, int kind, int side, int x, int y, int w, int h) {
  Canvas part(w, h);
  const double cx = w / 2.0, cy = h / 2.0, r = std::min(w, h) * 0.42;
  switch (what) {
    case Subject::Unit:
      if (kind <= 3) {
        const bool heavy = kind >= 2, squad = kind == 1 || kind == 3;
        if (squad && heavy) {
          DrawSoldier(part, cx - r * 0.5, cy, r * 0.55, 1, 1, heavy);
          DrawSoldier(part, cx + r * 0.5, cy, r * 0.55, 1, 2, heavy);
        } else if (squad) {
          DrawSoldier(part, cx - r * 0.6, cy + r * 0.35, r * 0.5, 1, 1, heavy);
          DrawSoldier(part, cx + r * 0.6, cy + r * 0.35, r * 0.5, 1, 2, heavy);
          DrawSoldier(part, cx, cy - r * 0.45, r * 0.5, 1, 0, heavy);
        } else {
          DrawSoldier(part, cx, cy, r * 0.95, 1, 1, heavy);
        }
      } else {
        DrawShape(part, UnitShape(kind), cx, cy, r, 45.0);
      }
      break;
    case Subject::Building: {
      const Canvas b = BuildingCanvas(kind);
      const double s = std::min(double(w) / b.w, double(h) / b.h);
      const int bw = std::max(1, int(b.w * s)), bh = std::max(1, int(b.h * s));
      part.Blit(Scaled(b, bw, bh), (w - bw) / 2, (h - bh) / 2);
      break;
    }
    case Subject::Worm:
      part.Rect(0, 0, w, h, pal::Sand + 6);
      DrawWormHead(part, cx, cy, 1.0, std::min(1.0, r / 11.0));
      break;
    case Subject::Cancel:
      for (int t = -1; t <= 1; ++t) {
        part.Line(int(cx - r) + t, int(cy - r), int(cx + r) + t, int(cy + r), pal::Red);
        part.Line(int(cx + r) + t, int(cy - r), int(cx - r) + t, int(cy + r), pal::Red);
      }
      break;
    case Subject::Launch: {
      Shape s = {Box(-0.2, -0.6, 0.2, 0.7, pal::Steel + 1), Tri(-0.2, -0.6, 0.2, -0.6, 0, -1.0, pal::Red),
                 Tri(-0.2, 0.3, -0.5, 0.8, -0.2, 0.7, 4), Tri(0.2, 0.3, 0.5, 0.8, 0.2, 0.7, 4),
                 Box(-0.12, 0.7, 0.12, 1.0, pal::Fire + 1)};
      DrawShape(part, s, cx, cy, r, 0);
      break;
    }
    case Subject::Saboteur:
      DrawSoldier(part, cx, cy, r * 0.95, 1, 1, false);
      part.Disc(cx - r * 0.3, cy + r * 0.45, r * 0.25, kBlack);
      part.Set(int(cx - r * 0.3), int(cy + r * 0.2), pal::Fire);
      break;
    case Subject::Frigate: {
      Shape s = {Tri(0, -1.0, -0.6, 0.9, 0.6, 0.9, 5), Box(-0.9, 0.2, 0.9, 0.45, 3),
                 Ball(0, -0.2, 0.2, 2), Box(-0.3, 0.85, 0.3, 1.0, pal::Fire + 1)};
      DrawShape(part, s, cx, cy, r, 90);
      break;
    }
    case Subject::Woodsmen:
    case Subject::Oskran:
      DrawSoldier(part, cx - r * 0.55, cy + r * 0.3, r * 0.55, 2, 1, what == Subject::Oskran);
      DrawSoldier(part, cx + r * 0.55, cy + r * 0.3, r * 0.55, 2, 2, what == Subject::Oskran);
      DrawSoldier(part, cx, cy - r * 0.4, r * 0.55, 2, 0, what == Subject::Oskran);
      break;
  }
  part.Outline();
  FixSideColours(part, side);
  cv.Blit(part, x, y);
}

namespace {

struct IconDef {
  Subject what;
  int kind, side;
  const char* tag;
};

// A factory's icon carries what it makes, large over its roof: at icon size the halls
// themselves look much alike.
int FactoryProduct(const IconDef& d) {
  if (d.what != Subject::Building) return -1;
  switch (d.kind) {
    case 7: return 1;    // barracks: an infantry squad
    case 8: return 2;    // academy: a heavy trooper
    case 9: return 4;    // light factory: a trike
    case 10: return 6;   // heavy factory: a tank
    case 12: return 14;  // air factory: a carrier
    default: return -1;
  }
}

// Large icons 1..43 by number.
const IconDef kLarge[43] = {
    {Subject::Unit, 0, 7, "ПЕХ"},      {Subject::Unit, 1, 7, "ПЕХ3"},      {Subject::Unit, 2, 7, "Т-П"},
    {Subject::Unit, 3, 7, "Т-П3"},     {Subject::Unit, 4, 7, "ТРК"},       {Subject::Unit, 5, 7, "КВД"},
    {Subject::Unit, 6, 7, "ТНК"},      {Subject::Unit, 7, 7, "ОСД"},       {Subject::Unit, 8, 7, "РПУ"},
    {Subject::Unit, 11, 7, "ГРМ"},     {Subject::Unit, 10, 7, "ХРВ"},      {Subject::Unit, 12, 7, "ПСД"},
    {Subject::Unit, 14, 7, "НОС"},     {Subject::Worm, 0, 7, "ЧРВ"},       {Subject::Unit, 9, 7, "ТРМ"},
    {Subject::Woodsmen, 0, 3, "ДРВ"},  {Subject::Building, 0, 7, "ПЛ"},     {Subject::Building, -18, 7, "ПЛ4"},
    {Subject::Building, 2, 7, "ДВОР"}, {Subject::Building, 3, 7, "ВЕТР"},  {Subject::Building, 4, 7, "ЭЛЕВ"},
    {Subject::Building, 5, 7, "СИЛ"},  {Subject::Building, 6, 7, "РАДР"},  {Subject::Building, 7, 7, "КАЗ"},
    {Subject::Building, 8, 7, "АКАД"}, {Subject::Building, 9, 7, "Л-З"},   {Subject::Building, 10, 7, "Т-З"},
    {Subject::Building, 12, 7, "А-З"}, {Subject::Building, 11, 7, "Р-З"},  {Subject::Building, 16, 7, "ОРД"},
    {Subject::Building, 17, 7, "РКБ"}, {Subject::Building, 14, 7, "ПОРТ"}, {Subject::Building, 13, 7, "НЦ"},
    {Subject::Building, 15, 7, "ДВРЦ"}, {Subject::Building, 1, 7, "СТН"},  {Subject::Launch, 0, 7, "ПУСК"},
    {Subject::Unit, 15, 7, "СКЛ"},     {Subject::Unit, 4, 2, "РДР"},       {Subject::Cancel, 0, 7, ""},
    {Subject::Unit, 13, 7, "ПРВ"},     {Subject::Saboteur, 0, 2, "САБ"},   {Subject::Unit, 2, 4, "ОСК"},
    {Subject::Oskran, 0, 4, "ОСК3"},
};

// Small icons 1..18 by number.
const IconDef kSmall[18] = {
    {Subject::Unit, 0, 7, ""},  {Subject::Unit, 1, 7, ""},  {Subject::Unit, 2, 7, ""},
    {Subject::Unit, 3, 7, ""},  {Subject::Unit, 4, 7, ""},  {Subject::Unit, 5, 7, ""},
    {Subject::Unit, 6, 7, ""},  {Subject::Unit, 7, 7, ""},  {Subject::Unit, 8, 7, ""},
    {Subject::Unit, 11, 7, ""}, {Subject::Unit, 10, 7, ""}, {Subject::Unit, 12, 7, ""},
    {Subject::Unit, 14, 7, ""}, {Subject::Unit, 9, 7, ""},  {Subject::Worm, 0, 7, ""},
    {Subject::Unit, 15, 7, ""}, {Subject::Unit, 4, 2, ""},  {Subject::Unit, 13, 7, ""},
};

}  // namespace

Canvas IconLarge(int n) {
  const IconDef& d = kLarge[std::clamp(n, 1, 43) - 1];
  Canvas cv(30, 22, pal::Maroon + 9);
  cv.Frame(0, 0, 30, 22, pal::Maroon + 6);
  DrawSubject(cv, d.what, d.kind, d.side, 1, 1, 28, 20);
  if (const int product = FactoryProduct(d); product >= 0) {
    cv.Rect(11, 1, 18, 15, pal::Maroon + 9);
    DrawSubject(cv, Subject::Unit, product, d.side, 11, 1, 18, 15);
  }
  if (*d.tag) DrawTag(cv, 2, cv.h - GetFonts().narrow.height - 1, d.tag);
  return cv;
}

int TagWidth(std::string_view utf8) { return TextWidth(GetFonts().narrow, utf8); }

void DrawTag(Canvas& cv, int x, int y, std::string_view utf8) {
  const Font& f = GetFonts().narrow;
  cv.Rect(x - 2, y - 2, TagWidth(utf8) + 2, f.height + 3, pal::Maroon + 10);
  DrawText(cv, f, x + 1, y + 1, utf8, kBlack);
  DrawText(cv, f, x, y, utf8, pal::Tag);
}

Canvas IconSmall(int n) {
  const IconDef& d = kSmall[std::clamp(n, 1, 18) - 1];
  Canvas cv(24, 14, pal::Maroon + 9);
  DrawSubject(cv, d.what, d.kind, d.side, 2, 0, 20, 14);
  return cv;
}

Canvas PanelPicture() {
  // 42 rows from screen row 158: minimap well on the left, the info area, the menu button at
  // (152, 159) in side pixels, the command column from x 258.
  Canvas cv(320, 42, pal::Maroon + 8);
  for (int y = 0; y < 42; ++y)
    for (int x = 0; x < 320; ++x)
      if (Noise(x, y, 90) < 0.12) cv.Set(x, y, pal::Maroon + 7);
  cv.Rect(0, 0, 320, 1, pal::Gold + 2);
  cv.Rect(0, 0, 66, 42, kBlack);  // minimap well: screen (1, 159) .. (64, 198)
  cv.Frame(0, 0, 66, 42, pal::Gold + 4);
  cv.Frame(70, 2, 184, 39, pal::Maroon + 5);
  cv.Frame(257, 0, 63, 42, pal::Gold + 4);
  cv.Rect(258, 1, 61, 40, pal::Maroon + 10);
  // The menu button, recoloured by the local side every frame.
  cv.Rect(152, 1, 19, 4, 4);
  cv.Rect(152, 1, 19, 1, 2);
  cv.Rect(152, 4, 19, 1, 8);
  return cv;
}

}  // namespace demodata
