// The layout check of a drawn frame: every text stands whole on the screen, apart from every
// other text, off every picture's drawing and off the lines of frames, and inside any button face
// it touches. It reads the draw log (zarn::DrawLog) of one frame.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "game/base/dvga.h"

namespace textfit {

struct TBox {
  int X1, Y1, X2, Y2;
  bool Meets(const TBox& o) const { return X1 <= o.X2 && o.X1 <= X2 && Y1 <= o.Y2 && o.Y1 <= Y2; }
  bool Holds(const TBox& o) const { return X1 <= o.X1 && o.X2 <= X2 && Y1 <= o.Y1 && o.Y2 <= Y2; }
  TBox Grown(int dx, int dy) const { return {X1 - dx, Y1 - dy, X2 + dx, Y2 + dy}; }
};

inline TBox BoxOf(const zarn::TDrawnItem& d) { return {d.X1, d.Y1, d.X2, d.Y2}; }

// One text with its shadow copies (the same text drawn again a pixel or so away).
struct TText {
  std::string Name;
  TBox Box;
  TBox Clip;
  std::size_t First;  // position in the log of its first copy
  std::uint8_t Colour;  // of the copy on top (the ones before are shadows)
};

// Blank columns wanted between two texts side by side: one is the gap between letters, so words
// of different texts need more to be read apart.
inline constexpr int TextGap = 3;

inline std::vector<TText> Texts(const std::vector<zarn::TDrawnItem>& log) {
  std::vector<TText> out;
  for (std::size_t i = 0; i < log.size(); ++i) {
    const zarn::TDrawnItem& d = log[i];
    if (d.Kind != zarn::TDrawnKind::Text) continue;
    const TBox b = BoxOf(d);
    bool merged = false;
    for (TText& t : out)
      if (t.Name == d.Name && std::abs(t.Box.X1 - b.X1) <= 2 && std::abs(t.Box.Y1 - b.Y1) <= 2) {
        t.Box = {std::min(t.Box.X1, b.X1), std::min(t.Box.Y1, b.Y1), std::max(t.Box.X2, b.X2),
                 std::max(t.Box.Y2, b.Y2)};
        t.Colour = d.Colour;
        merged = true;
        break;
      }
    if (!merged) out.push_back({d.Name, b, {d.ClipX1, d.ClipY1, d.ClipX2, d.ClipY2}, i, d.Colour});
  }
  return out;
}

inline bool Clipped(const TText& t) {
  return t.Clip.X1 > 0 || t.Clip.Y1 > 0 || t.Clip.X2 < zarn::ScreenWidth - 1 || t.Clip.Y2 < zarn::ScreenHeight - 1;
}

// What of the text can be seen: a text panel's lines scroll through its clip rectangle.
inline TBox Visible(const TText& t) {
  return {std::max(t.Box.X1, t.Clip.X1), std::max(t.Box.Y1, t.Clip.Y1), std::min(t.Box.X2, t.Clip.X2),
          std::min(t.Box.Y2, t.Clip.Y2)};
}

// Colours of a picture's plain ground: those found along at least two of its four sides, two to
// five pixels in from the edge (inside any outline; what it shows seldom reaches two sides).
inline std::set<std::uint8_t> Ground(const zarn::TDrawnItem& p) {
  const int w = p.X2 - p.X1 + 1, h = p.Y2 - p.Y1 + 1;
  std::array<std::uint8_t, 256> sides{};
  auto band = [&](int x1, int y1, int x2, int y2, std::uint8_t bit) {
    for (int y = std::max(0, y1); y <= std::min(h - 1, y2); ++y)
      for (int x = std::max(0, x1); x <= std::min(w - 1, x2); ++x)
        sides[p.Pixels[static_cast<std::size_t>(y * w + x)]] |= bit;
  };
  band(2, 2, w - 3, 5, 1);
  band(2, h - 6, w - 3, h - 3, 2);
  band(2, 2, 5, h - 3, 4);
  band(w - 6, 2, w - 3, h - 3, 8);
  std::set<std::uint8_t> g;
  for (int c = 0; c < 256; ++c)
    if (std::popcount(sides[static_cast<std::size_t>(c)]) >= 2) g.insert(static_cast<std::uint8_t>(c));
  return g;
}

// Whether a picture draws anything that is not its plain ground inside the box (transparent
// pictures: anything at all; a picture copied over the text hides it wherever it lies).
inline bool PictureMarks(const zarn::TDrawnItem& p, const TBox& box, bool drawnAfter) {
  const TBox pb = BoxOf(p);
  if (!pb.Meets(box)) return false;
  if (drawnAfter && !p.Transparent) return true;
  const int w = p.X2 - p.X1 + 1;
  std::set<std::uint8_t> ground = p.Transparent ? std::set<std::uint8_t>{1} : Ground(p);
  if (!p.Transparent) {
    // A plain field the picture lays out for the text: the colour of most of the place.
    std::array<int, 256> count{};
    int all = 0;
    for (int y = std::max(box.Y1, pb.Y1); y <= std::min(box.Y2, pb.Y2); ++y)
      for (int x = std::max(box.X1, pb.X1); x <= std::min(box.X2, pb.X2); ++x, ++all)
        ++count[p.Pixels[static_cast<std::size_t>((y - p.Y1) * w + (x - p.X1))]];
    for (int c = 0; c < 256; ++c)
      if (2 * count[static_cast<std::size_t>(c)] > all) ground.insert(static_cast<std::uint8_t>(c));
  }
  for (int y = std::max(box.Y1, pb.Y1); y <= std::min(box.Y2, pb.Y2); ++y)
    for (int x = std::max(box.X1, pb.X1); x <= std::min(box.X2, pb.X2); ++x)
      if (!ground.count(p.Pixels[static_cast<std::size_t>((y - p.Y1) * w + (x - p.X1))])) return true;
  return false;
}

// Whether a button face drawn between the picture and the text covers the text's place.
inline bool FaceBetween(const std::vector<zarn::TDrawnItem>& log, std::size_t picture, std::size_t text, const TBox& box) {
  for (std::size_t k = picture + 1; k < text; ++k)
    if (log[k].Kind == zarn::TDrawnKind::Face && BoxOf(log[k]).Holds(box)) return true;
  return false;
}

// Whether the box crosses one of the frame's four lines.
inline bool FrameMarks(const zarn::TDrawnItem& f, const TBox& box) {
  const TBox lines[4] = {{f.X1, f.Y1, f.X2, f.Y1}, {f.X1, f.Y2, f.X2, f.Y2}, {f.X1, f.Y1, f.X1, f.Y2}, {f.X2, f.Y1, f.X2, f.Y2}};
  for (const TBox& l : lines)
    if (l.Meets(box)) return true;
  return false;
}

// A font code page text readable in a test's message.
inline std::string Utf8(std::string_view cp866) {
  std::string out;
  for (const char ch : cp866) {
    const auto c = static_cast<std::uint8_t>(ch);
    char32_t u = c;
    if (c >= 128 && c <= 175) u = 0x410 + (c - 128);
    else if (c >= 224 && c <= 239) u = 0x440 + (c - 224);
    else if (c == 240) u = 0x401;
    else if (c == 241) u = 0x451;
    if (u < 128) {
      out += static_cast<char>(u);
    } else {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

inline std::string Show(const TText& t) {
  return "\"" + Utf8(t.Name) + "\" (" + std::to_string(t.Box.X1) + "," + std::to_string(t.Box.Y1) + ")-(" +
         std::to_string(t.Box.X2) + "," + std::to_string(t.Box.Y2) + ")";
}

// Every fault of the frame's layout, one line each (texts in the font code page).
inline std::vector<std::string> Faults(const std::vector<zarn::TDrawnItem>& log) {
  std::vector<std::string> faults;
  const std::vector<TText> texts = Texts(log);
  const TBox screen{0, 0, zarn::ScreenWidth - 1, zarn::ScreenHeight - 1};
  for (std::size_t a = 0; a < texts.size(); ++a) {
    const TText& t = texts[a];
    const bool clipped = Clipped(t);
    if (!clipped && !screen.Holds(t.Box)) faults.push_back(Show(t) + " is cut by the screen's edge");
    const TBox seen = clipped ? Visible(t) : t.Box;
    if (seen.X2 < seen.X1 || seen.Y2 < seen.Y1) continue;
    for (std::size_t b = a + 1; b < texts.size(); ++b) {
      const TBox other = Clipped(texts[b]) ? Visible(texts[b]) : texts[b].Box;
      if (seen.Grown(TextGap, 0).Meets(other)) faults.push_back(Show(t) + " runs into " + Show(texts[b]));
      // One heading written twice, one line over the other (a group's header over a column of
      // the same word is set apart by its colour).
      if (!clipped && texts[b].Name == t.Name && texts[b].Colour == t.Colour && texts[b].Box.X1 == t.Box.X1 &&
          std::abs(texts[b].Box.Y1 - t.Box.Y1) <= 16)
        faults.push_back(Show(t) + " stands twice, again as " + Show(texts[b]));
    }
    for (std::size_t i = 0; i < log.size(); ++i) {
      const zarn::TDrawnItem& d = log[i];
      switch (d.Kind) {
        case zarn::TDrawnKind::Picture:
          if (PictureMarks(d, seen, i > t.First) && !FaceBetween(log, i, t.First, seen))
            faults.push_back(Show(t) + " lies on the picture " + d.Name + " at (" + std::to_string(d.X1) + "," +
                             std::to_string(d.Y1) + ")");
          break;
        case zarn::TDrawnKind::Face:
          if (BoxOf(d).Meets(seen) && !BoxOf(d).Holds(seen))
            faults.push_back(Show(t) + " leaves its button at (" + std::to_string(d.X1) + "," + std::to_string(d.Y1) + ")");
          break;
        case zarn::TDrawnKind::Frame:
          if (FrameMarks(d, seen))
            faults.push_back(Show(t) + " crosses the " + d.Name + " at (" + std::to_string(d.X1) + "," +
                             std::to_string(d.Y1) + ")-(" + std::to_string(d.X2) + "," + std::to_string(d.Y2) + ")");
          break;
        case zarn::TDrawnKind::Text: break;
      }
    }
  }
  // Captions drawn as pictures: their ink apart from other pictures' ink, and not covered by a
  // picture copied over them.
  for (std::size_t a = 0; a < log.size(); ++a) {
    const zarn::TDrawnItem& p = log[a];
    if (p.Kind != zarn::TDrawnKind::Picture || !p.Transparent) continue;
    const int w = p.X2 - p.X1 + 1;
    for (std::size_t b = 0; b < log.size(); ++b) {
      const zarn::TDrawnItem& q = log[b];
      if (b == a || q.Kind != zarn::TDrawnKind::Picture || !BoxOf(p).Meets(BoxOf(q)) || q.Name == p.Name) continue;
      if (b < a) continue;  // a caption on its background, or a pair already seen
      const int qw = q.X2 - q.X1 + 1;
      bool meets = false;
      for (int y = std::max(p.Y1, q.Y1); y <= std::min(p.Y2, q.Y2) && !meets; ++y)
        for (int x = std::max(p.X1, q.X1); x <= std::min(p.X2, q.X2) && !meets; ++x)
          meets = p.Pixels[static_cast<std::size_t>((y - p.Y1) * w + (x - p.X1))] != 1 &&
                  (!q.Transparent || q.Pixels[static_cast<std::size_t>((y - q.Y1) * qw + (x - q.X1))] != 1);
      if (meets)
        faults.push_back("the picture " + p.Name + " at (" + std::to_string(p.X1) + "," + std::to_string(p.Y1) +
                         ") meets the picture " + q.Name + " at (" + std::to_string(q.X1) + "," + std::to_string(q.Y1) + ")");
    }
  }
  return faults;
}

// WCAG 2 contrast of two entries of the game palette: (L1 + 0.05) / (L2 + 0.05), L the relative
// luminance. 3 is the least asked of large text.
inline double Luminance(std::uint8_t e) {
  const zarn::TPaletteEntry p = zarn::GamePalette[e];
  const int c6[3] = {p.Red & 63, p.Green & 63, p.Blue & 63};
  const double weight[3] = {0.2126, 0.7152, 0.0722};
  double l = 0;
  for (int k = 0; k < 3; ++k) {
    const double c = ((c6[k] << 2) | (c6[k] >> 4)) / 255.0;
    l += weight[k] * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
  }
  return l;
}
inline double Contrast(std::uint8_t a, std::uint8_t b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

inline constexpr double LeastContrast = 3.0;

// Counts, over the ink of one text, the pixels beside the ink and how many of them are too
// close in brightness to the ink above them. `ink(x, y)` tells the text's own pixels.
template <class Ink>
void CountEdges(const std::uint8_t* screen, const TBox& area, Ink ink, int& edges, int& weak) {
  const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
  for (int y = area.Y1; y <= area.Y2; ++y)
    for (int x = area.X1; x <= area.X2; ++x) {
      if (!ink(x, y)) continue;
      const std::uint8_t c = screen[y * zarn::ScreenWidth + x];
      for (int k = 0; k < 4; ++k) {
        const int nx = x + dx[k], ny = y + dy[k];
        if (nx < area.X1 || nx > area.X2 || ny < area.Y1 || ny > area.Y2 || ink(nx, ny)) continue;
        ++edges;
        if (Contrast(c, screen[ny * zarn::ScreenWidth + nx]) < LeastContrast) ++weak;
      }
    }
}

// Texts and lettered pictures that do not stand out from what lies under them: more than a tenth
// of the pixels along their ink (a shadow's included) under 3:1 against the ink. `lettered`
// names the opaque pictures that carry words on a plain ground; pictures drawn transparently
// are captions and titles.
inline std::vector<std::string> Unreadable(const std::vector<zarn::TDrawnItem>& log, const std::uint8_t* screen,
                                           const std::set<std::string>& lettered) {
  std::vector<std::string> faults;
  const TBox screenBox{0, 0, zarn::ScreenWidth - 1, zarn::ScreenHeight - 1};
  auto judge = [&](const std::string& what, int edges, int weak) {
    if (edges > 0 && weak * 10 > edges)
      faults.push_back(what + ": " + std::to_string(weak) + " of " + std::to_string(edges) + " edge pixels under 3:1");
  };
  for (std::size_t i = 0; i < log.size(); ++i) {
    const zarn::TDrawnItem& d = log[i];
    const TBox box = BoxOf(d);
    if (d.Kind == zarn::TDrawnKind::Text) {
      // Only the copy on top: the ones before it are its shadow.
      bool covered = false;
      for (std::size_t j = i + 1; j < log.size() && !covered; ++j)
        covered = log[j].Kind == zarn::TDrawnKind::Text && log[j].Name == d.Name &&
                  std::abs(log[j].X1 - d.X1) <= 2 && std::abs(log[j].Y1 - d.Y1) <= 2;
      if (covered || d.Pixels.empty()) continue;
      const TBox clip{std::max(0, d.ClipX1), std::max(0, d.ClipY1), std::min(zarn::ScreenWidth - 1, d.ClipX2),
                      std::min(zarn::ScreenHeight - 1, d.ClipY2)};
      const TBox area{std::max(clip.X1, box.X1 - 1), std::max(clip.Y1, box.Y1 - 1), std::min(clip.X2, box.X2 + 1),
                      std::min(clip.Y2, box.Y2 + 1)};
      const int w = box.X2 - box.X1 + 1;
      auto ink = [&](int x, int y) {
        return box.Holds({x, y, x, y}) && d.Pixels[static_cast<std::size_t>((y - box.Y1) * w + (x - box.X1))] != 0 &&
               screen[y * zarn::ScreenWidth + x] == d.Colour;
      };
      int edges = 0, weak = 0;
      CountEdges(screen, area, ink, edges, weak);
      judge(Show(Texts({d}).front()), edges, weak);
    } else if (d.Kind == zarn::TDrawnKind::Picture && (d.Transparent || lettered.count(d.Name))) {
      // Letters: what is neither the ground (the transparent colour, or the picture's most
      // common colour) nor black (shadows, outlines); the outermost rows and columns are frames.
      const int w = box.X2 - box.X1 + 1, h = box.Y2 - box.Y1 + 1;
      std::uint8_t ground = 1;
      if (!d.Transparent) {
        std::array<int, 256> count{};
        for (const std::uint8_t p : d.Pixels) ++count[p];
        ground = static_cast<std::uint8_t>(std::max_element(count.begin(), count.end()) - count.begin());
      }
      const TBox inner{std::max(0, box.X1 + 1), std::max(0, box.Y1 + 1), std::min(screenBox.X2, box.X2 - 1),
                       std::min(screenBox.Y2, box.Y2 - 1)};
      if (w < 3 || h < 3 || inner.X2 < inner.X1 || inner.Y2 < inner.Y1) continue;
      auto ink = [&](int x, int y) {
        const std::uint8_t p = d.Pixels[static_cast<std::size_t>((y - box.Y1) * w + (x - box.X1))];
        return p != ground && p != 0;
      };
      int edges = 0, weak = 0;
      CountEdges(screen, inner, ink, edges, weak);
      judge("the picture " + d.Name + " at (" + std::to_string(d.X1) + "," + std::to_string(d.Y1) + ")", edges, weak);
    }
  }
  return faults;
}

// Records what the frames drawn inside its lifetime put where.
class Recorder {
 public:
  Recorder() { zarn::DrawLog = &log_; }
  ~Recorder() { zarn::DrawLog = nullptr; }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;
  std::vector<zarn::TDrawnItem>& Log() { return log_; }

 private:
  std::vector<zarn::TDrawnItem> log_;
};

}  // namespace textfit
