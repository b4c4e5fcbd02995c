// Canvas primitives, noise, turned shapes and the tiny label font.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/demodata/demodata.h"

namespace demodata {

void Canvas::Rect(int x, int y, int rw, int rh, std::uint8_t c) {
  for (int yy = y; yy < y + rh; ++yy)
    for (int xx = x; xx < x + rw; ++xx) Set(xx, yy, c);
}

void Canvas::Frame(int x, int y, int rw, int rh, std::uint8_t c) {
  for (int xx = x; xx < x + rw; ++xx) {
    Set(xx, y, c);
    Set(xx, y + rh - 1, c);
  }
  for (int yy = y; yy < y + rh; ++yy) {
    Set(x, yy, c);
    Set(x + rw - 1, yy, c);
  }
}

void Canvas::Line(int x0, int y0, int x1, int y1, std::uint8_t c) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    Set(x0, y0, c);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void Canvas::Disc(double cx, double cy, double r, std::uint8_t c) {
  for (int y = static_cast<int>(std::floor(cy - r)); y <= static_cast<int>(std::ceil(cy + r)); ++y)
    for (int x = static_cast<int>(std::floor(cx - r)); x <= static_cast<int>(std::ceil(cx + r));
         ++x) {
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      if (dx * dx + dy * dy <= r * r) Set(x, y, c);
    }
}

void Canvas::Blit(const Canvas& src, int x, int y, bool transparent) {
  for (int yy = 0; yy < src.h; ++yy)
    for (int xx = 0; xx < src.w; ++xx) {
      const std::uint8_t c = src.px[yy * src.w + xx];
      if (transparent && c == kClear) continue;
      Set(x + xx, y + yy, c);
    }
}

void Canvas::Outline(std::uint8_t c) {
  const Canvas before = *this;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (before.Get(x, y) != kClear) continue;
      const bool next = before.Get(x - 1, y) != kClear || before.Get(x + 1, y) != kClear ||
                        before.Get(x, y - 1) != kClear || before.Get(x, y + 1) != kClear;
      if (next) Set(x, y, c);
    }
}

void Canvas::Replace(std::uint8_t from, std::uint8_t to) {
  for (auto& p : px)
    if (p == from) p = to;
}

double Noise(int x, int y, int seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                    static_cast<std::uint32_t>(y) * 668265263u +
                    static_cast<std::uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / double(0x1000000);
}

ShapePart Box(double x0, double y0, double x1, double y1, std::uint8_t c) {
  return {ShapePart::Box, x0, y0, x1, y1, 0, 0, c};
}
ShapePart Ball(double cx, double cy, double r, std::uint8_t c) {
  return {ShapePart::Ball, cx, cy, r, 0, 0, 0, c};
}
ShapePart Tri(double ax, double ay, double bx, double by, double cx, double cy, std::uint8_t c) {
  return {ShapePart::Tri, ax, ay, bx, by, cx, cy, c};
}

namespace {

bool Covers(const ShapePart& p, double u, double v) {
  switch (p.kind) {
    case ShapePart::Box:
      return u >= p.x0 && u <= p.x1 && v >= p.y0 && v <= p.y1;
    case ShapePart::Ball:
      return (u - p.x0) * (u - p.x0) + (v - p.y0) * (v - p.y0) <= p.x1 * p.x1;
    case ShapePart::Tri: {
      auto side = [&](double ax, double ay, double bx, double by) {
        return (bx - ax) * (v - ay) - (by - ay) * (u - ax);
      };
      const double d1 = side(p.x0, p.y0, p.x1, p.y1);
      const double d2 = side(p.x1, p.y1, p.x2, p.y2);
      const double d3 = side(p.x2, p.y2, p.x0, p.y0);
      const bool neg = d1 < 0 || d2 < 0 || d3 < 0;
      const bool pos = d1 > 0 || d2 > 0 || d3 > 0;
      return !(neg && pos);
    }
  }
  return false;
}

}  // namespace

void DrawShape(Canvas& cv, const Shape& s, double cx, double cy, double radius, double degrees) {
  const double a = degrees * std::numbers::pi / 180.0;
  const double ca = std::cos(a), sa = std::sin(a);
  const int x0 = static_cast<int>(std::floor(cx - radius * 1.5));
  const int x1 = static_cast<int>(std::ceil(cx + radius * 1.5));
  const int y0 = static_cast<int>(std::floor(cy - radius * 1.5));
  const int y1 = static_cast<int>(std::ceil(cy + radius * 1.5));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const double dx = (x + 0.5 - cx) / radius, dy = (y + 0.5 - cy) / radius;
      // Undo the clockwise turn to reach the shape's own frame.
      const double u = dx * ca + dy * sa;
      const double v = -dx * sa + dy * ca;
      int colour = -1;
      for (const auto& p : s)
        if (Covers(p, u, v)) colour = p.colour;
      if (colour >= 0) cv.Set(x, y, static_cast<std::uint8_t>(colour));
    }
}

void FixSideColours(Canvas& cv, int side) {
  // The neutral side takes the menu gold: its own ramp holds the buttons' dark face.
  const int base = side == 7 ? pal::Gold - 2 : kSideBase[static_cast<std::size_t>(side)];
  for (auto& p : cv.px)
    if (p >= 2 && p <= 9) p = static_cast<std::uint8_t>(p + base);
}

// ---- Tiny letters, five rows high ---------------------------------------------------------
namespace {

// Each glyph: its width and five rows of bits, the high bit leftmost.
struct TinyGlyph {
  char32_t c;
  int w;
  std::uint8_t rows[5];
};
constexpr TinyGlyph kTiny[] = {
    {U'А', 3, {2, 5, 7, 5, 5}},  {U'Б', 3, {7, 4, 6, 5, 6}},       {U'В', 3, {6, 5, 6, 5, 6}},
    {U'Г', 3, {7, 4, 4, 4, 4}},  {U'Д', 5, {14, 10, 10, 31, 17}},  {U'Е', 3, {7, 4, 6, 4, 7}},
    {U'Ж', 5, {21, 21, 14, 21, 21}}, {U'З', 3, {6, 1, 2, 1, 6}},   {U'И', 4, {9, 11, 13, 9, 9}},
    {U'К', 3, {5, 5, 6, 5, 5}},  {U'Л', 3, {3, 5, 5, 5, 5}},       {U'М', 5, {17, 27, 21, 17, 17}},
    {U'Н', 3, {5, 5, 7, 5, 5}},  {U'О', 3, {2, 5, 5, 5, 2}},       {U'П', 3, {7, 5, 5, 5, 5}},
    {U'Р', 3, {6, 5, 6, 4, 4}},  {U'С', 3, {3, 4, 4, 4, 3}},       {U'Т', 3, {7, 2, 2, 2, 2}},
    {U'У', 3, {5, 5, 3, 1, 6}},  {U'Ф', 5, {4, 31, 21, 31, 4}},    {U'Х', 3, {5, 5, 2, 5, 5}},
    {U'Ц', 4, {10, 10, 10, 15, 1}}, {U'Ч', 3, {5, 5, 3, 1, 1}},    {U'Ш', 5, {21, 21, 21, 21, 31}},
    {U'Ы', 5, {17, 17, 29, 21, 29}}, {U'Ь', 3, {4, 4, 6, 5, 6}},   {U'Э', 3, {6, 1, 3, 1, 6}},
    {U'Я', 3, {3, 5, 3, 5, 5}},  {U'0', 3, {7, 5, 5, 5, 7}},       {U'1', 3, {2, 6, 2, 2, 7}},
    {U'2', 3, {6, 1, 2, 4, 7}},  {U'3', 3, {6, 1, 2, 1, 6}},       {U'4', 3, {5, 5, 7, 1, 1}},
    {U'5', 3, {7, 4, 6, 1, 6}},  {U'6', 3, {3, 4, 7, 5, 7}},       {U'7', 3, {7, 1, 2, 2, 2}},
    {U'8', 3, {7, 5, 7, 5, 7}},  {U'9', 3, {7, 5, 7, 1, 6}},       {U'-', 3, {0, 0, 7, 0, 0}},
};

}  // namespace

void DrawTinyText(Canvas& cv, int x, int y, std::string_view utf8, std::uint8_t colour) {
  for (std::size_t i = 0; i < utf8.size();) {
    // Two-byte UTF-8 covers the Cyrillic capitals; everything else here is ASCII.
    char32_t c = static_cast<std::uint8_t>(utf8[i]);
    if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
      c = ((c & 0x1F) << 6) | (static_cast<std::uint8_t>(utf8[i + 1]) & 0x3F);
      i += 2;
    } else {
      ++i;
    }
    int w = 3;
    for (const auto& g : kTiny) {
      if (g.c != c) continue;
      w = g.w;
      for (int r = 0; r < 5; ++r)
        for (int b = 0; b < g.w; ++b)
          if (g.rows[r] & (1 << (g.w - 1 - b))) cv.Set(x + b, y + r, colour);
    }
    x += w + 1;
  }
}

}  // namespace demodata
