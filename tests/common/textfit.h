// The layout check of a drawn frame: every text stands whole on the screen, apart from every
// other text, off every picture's drawing and off the lines of frames, and inside any button face
// it touches. It reads the draw log (zarn::DrawLog) of one frame.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
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
        merged = true;
        break;
      }
    if (!merged) out.push_back({d.Name, b, {d.ClipX1, d.ClipY1, d.ClipX2, d.ClipY2}, i});
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
      // One heading written twice, one line over the other.
      if (!clipped && texts[b].Name == t.Name && texts[b].Box.X1 == t.Box.X1 &&
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
