// Bitmaps, their BMP form and colour reduction.
#include "setup/images/RxGraph.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "setup/lebytes.h"

namespace zarn3set {
namespace {

constexpr int kSix[6] = {0, 51, 102, 153, 204, 255};
constexpr int kSeven[7] = {0, 43, 85, 128, 170, 213, 255};
constexpr int kEight[8] = {0, 36, 73, 109, 146, 182, 219, 255};
constexpr int kFour[4] = {0, 85, 170, 255};

// Nearest-level tables of the two fixed palettes, built once.
struct LevelTables {
  std::array<std::uint8_t, 256> six{}, seven{}, eight{}, four{};
  LevelTables() {
    auto fill = [](std::array<std::uint8_t, 256>& t, std::span<const int> levels) {
      for (int v = 0; v < 256; ++v) {
        int best = 0;
        for (int i = 1; i < static_cast<int>(levels.size()); ++i)
          if (std::abs(levels[i] - v) < std::abs(levels[best] - v)) best = i;  // ties: lower
        t[v] = static_cast<std::uint8_t>(best);
      }
    };
    fill(six, kSix);
    fill(seven, kSeven);
    fill(eight, kEight);
    fill(four, kFour);
  }
};
const LevelTables& Levels() {
  static const LevelTables t;
  return t;
}

// Histogram reduction: the n most frequent colours, the others mapped to the nearest of them.
void Histogram(const TBitmap& src, int n, TBitmap& out) {
  constexpr int kSlots = 5191, kMax = 2049;
  struct Entry { TRGB c; std::uint32_t count = 0; bool used = false; int index = 0; };
  std::vector<Entry> table;
  std::uint8_t mask[3] = {0xFF, 0xFF, 0xFF};  // r, g, b
  // The slot of a pixel's masked colour: its own, or the free one where it would go.
  auto slotOf = [&](TRGB p) {
    TRGB c{static_cast<std::uint8_t>(p.r & mask[0]), static_cast<std::uint8_t>(p.g & mask[1]),
           static_cast<std::uint8_t>(p.b & mask[2])};
    int slot = ((c.r + c.g) * (c.g + c.b) * (c.b + c.r)) % kSlots;
    while (table[slot].used && !(table[slot].c == c)) slot = (slot + 1) % kSlots;
    table[slot].c = c;
    return slot;
  };
  for (;;) {
    table.assign(kSlots, {});
    int distinct = 0;
    bool full = false;
    for (int y = 0; y < src.height && !full; ++y)
      for (int x = 0; x < src.width; ++x) {
        int slot = slotOf(src.Pixel(x, y));
        if (!table[slot].used) {
          if (distinct == kMax) { full = true; break; }
          table[slot].used = true;
          ++distinct;
        }
        ++table[slot].count;
      }
    if (!full) break;
    if (mask[0] < mask[1]) mask[1] <<= 1;
    else if (mask[0] > mask[2]) mask[0] <<= 1;
    else mask[2] <<= 1;
  }
  std::vector<TRGB> chosen;
  std::vector<bool> taken(kSlots, false);
  for (int k = 0; k < n; ++k) {
    int best = -1;
    for (int s = 0; s < kSlots; ++s)
      if (table[s].used && !taken[s] && (best < 0 || table[s].count > table[best].count)) best = s;
    if (best < 0) break;
    taken[best] = true;
    chosen.push_back(table[best].c);
  }
  out.palette.assign(256, TRGB{128, 128, 128});
  for (std::size_t i = 0; i < chosen.size(); ++i) out.palette[i] = chosen[i];
  auto nearest = [&](TRGB c) {
    int best = 0, bestD = 1 << 30;
    for (int i = 0; i < static_cast<int>(chosen.size()); ++i) {
      int dr = c.r - chosen[i].r, dg = c.g - chosen[i].g, db = c.b - chosen[i].b;
      int d = dr * dr + dg * dg + db * db;
      if (d < bestD) { bestD = d; best = i; }
    }
    return best;
  };
  // Each distinct colour looks for its nearest entry once, not once for every pixel.
  for (Entry& e : table)
    if (e.used) e.index = nearest(e.c);
  for (int y = 0; y < src.height; ++y)
    for (int x = 0; x < src.width; ++x)
      out.SetIndex(x, y, static_cast<unsigned>(table[slotOf(src.Pixel(x, y))].index));
}

// Box-splitting quantiser over 4-bit cells.
int Quantize(const TBitmap& src, int n, TBitmap& out) {
  std::vector<std::uint32_t> hist(4096, 0);
  auto cell = [](TRGB p) { return ((p.r >> 4) << 8) | ((p.g >> 4) << 4) | (p.b >> 4); };
  for (int y = 0; y < src.height; ++y)
    for (int x = 0; x < src.width; ++x) ++hist[cell(src.Pixel(x, y))];
  std::vector<int> cells;
  for (int c = 0; c < 4096; ++c)
    if (hist[c]) cells.push_back(c);
  std::vector<std::vector<int>> boxes;
  if (!cells.empty()) boxes.push_back(cells);
  auto channel = [](int c, int axis) { return (c >> (8 - 4 * axis)) & 15; };
  while (static_cast<int>(boxes.size()) < n) {
    // Split the box with the widest channel range.
    int pick = -1, pickAxis = 0, pickRange = 0;
    for (int b = 0; b < static_cast<int>(boxes.size()); ++b) {
      if (boxes[b].size() < 2) continue;
      for (int a = 0; a < 3; ++a) {
        int lo = 15, hi = 0;
        for (int c : boxes[b]) { lo = std::min(lo, channel(c, a)); hi = std::max(hi, channel(c, a)); }
        if (hi - lo > pickRange) { pickRange = hi - lo; pick = b; pickAxis = a; }
      }
    }
    if (pick < 0) break;
    auto& box = boxes[pick];
    std::sort(box.begin(), box.end(),
              [&](int a, int b) { return channel(a, pickAxis) < channel(b, pickAxis); });
    std::vector<int> upper(box.begin() + static_cast<long>(box.size() / 2), box.end());
    box.resize(box.size() / 2);
    boxes.push_back(std::move(upper));
  }
  std::vector<int> boxOf(4096, 0);
  out.palette.assign(256, TRGB{0, 0, 0});
  for (int b = 0; b < static_cast<int>(boxes.size()); ++b) {
    std::uint64_t sum[3] = {0, 0, 0}, total = 0;
    for (int c : boxes[b]) {
      boxOf[c] = b;
      for (int a = 0; a < 3; ++a) sum[a] += static_cast<std::uint64_t>(channel(c, a) * 17) * hist[c];
      total += hist[c];
    }
    out.palette[b] = {static_cast<std::uint8_t>(sum[0] / total), static_cast<std::uint8_t>(sum[1] / total),
                      static_cast<std::uint8_t>(sum[2] / total)};
  }
  for (int y = 0; y < src.height; ++y)
    for (int x = 0; x < src.width; ++x) out.SetIndex(x, y, boxOf[cell(src.Pixel(x, y))]);
  return static_cast<int>(boxes.size());
}

void NotImplemented() {
  if (ShowNotImplementedProc) ShowNotImplementedProc();
  throw EAbort();
}

}  // namespace

bool TBitmap::Create(int w, int h, int bpp) {
  data.clear();
  palette.clear();
  width = height = 0;
  if (w <= 0 || h <= 0 || w > 16384 || h > 16384 ||
      static_cast<std::int64_t>(w) * h > (std::int64_t{1} << 26))
    return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) return false;
  width = w;
  height = h;
  bits = bpp;
  data.assign(static_cast<std::size_t>(Stride()) * h, 0);
  if (bpp <= 8) palette.assign(std::size_t{1} << bpp, TRGB{});
  return true;
}

unsigned TBitmap::Index(int x, int y) const {
  const std::uint8_t* r = Row(y);
  switch (bits) {
    case 1: return (r[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (r[x >> 1] & 15) : (r[x >> 1] >> 4);
    case 8: return r[x];
    default: return 0;
  }
}

void TBitmap::SetIndex(int x, int y, unsigned v) {
  std::uint8_t* r = Row(y);
  switch (bits) {
    case 1: {
      std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
      r[x >> 3] = static_cast<std::uint8_t>((v & 1) ? (r[x >> 3] | bit) : (r[x >> 3] & ~bit));
      break;
    }
    case 4:
      if (x & 1) r[x >> 1] = static_cast<std::uint8_t>((r[x >> 1] & 0xF0) | (v & 15));
      else r[x >> 1] = static_cast<std::uint8_t>((r[x >> 1] & 0x0F) | ((v & 15) << 4));
      break;
    case 8: r[x] = static_cast<std::uint8_t>(v); break;
    default: break;
  }
}

TRGB TBitmap::Pixel(int x, int y) const {
  if (bits == 24) {
    const std::uint8_t* p = Row(y) + x * 3;
    return {p[2], p[1], p[0]};
  }
  unsigned i = Index(x, y);
  return i < palette.size() ? palette[i] : TRGB{};
}

void TBitmap::SetPixel(int x, int y, TRGB c) {
  if (bits != 24) return;
  std::uint8_t* p = Row(y) + x * 3;
  p[0] = c.b;
  p[1] = c.g;
  p[2] = c.r;
}

std::string TBitmap::SaveBmp(std::uint32_t colorsUsed) const {
  int tableEntries = bits <= 8 ? (1 << bits) : 0;
  std::uint32_t offset = 54 + 4 * tableEntries;
  std::string s;
  s += "BM";
  PutLe32(s, offset + static_cast<std::uint32_t>(data.size()));
  PutLe32(s, 0);
  PutLe32(s, offset);
  PutLe32(s, 40);
  PutLe32(s, static_cast<std::uint32_t>(width));
  PutLe32(s, static_cast<std::uint32_t>(height));
  PutLe16(s, 1);
  PutLe16(s, static_cast<unsigned>(bits));
  PutLe32(s, 0);
  PutLe32(s, static_cast<std::uint32_t>(data.size()));
  PutLe32(s, 0);
  PutLe32(s, 0);
  PutLe32(s, colorsUsed ? colorsUsed : static_cast<std::uint32_t>(tableEntries));
  PutLe32(s, 0);
  for (int i = 0; i < tableEntries; ++i) {
    TRGB c = i < static_cast<int>(palette.size()) ? palette[i] : TRGB{128, 128, 128};
    s += static_cast<char>(c.b);
    s += static_cast<char>(c.g);
    s += static_cast<char>(c.r);
    s += '\0';
  }
  s.append(reinterpret_cast<const char*>(data.data()), data.size());
  return s;
}

TBitmap LoadBmp(const std::string& bytes) {
  const EInvalidGraphic bad("Bitmap image is not valid");
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') throw bad;
  std::uint32_t offset = GetLe32(bytes, 10), headerSize = GetLe32(bytes, 14);
  std::int32_t w = static_cast<std::int32_t>(GetLe32(bytes, 18));
  std::int32_t h = static_cast<std::int32_t>(GetLe32(bytes, 22));
  int bpp = GetLe16(bytes, 28);
  std::uint32_t compression = GetLe32(bytes, 30), used = GetLe32(bytes, 46);
  if (headerSize < 40 || compression != 0 || h == 0 || h == INT32_MIN || w <= 0) throw bad;
  bool topDown = h < 0;
  if (topDown) h = -h;
  TBitmap b;
  if (!b.Create(w, h, bpp)) throw bad;
  std::size_t table = 14 + headerSize;
  int entries = bpp <= 8 ? (used && used <= (1u << bpp) ? static_cast<int>(used) : 1 << bpp) : 0;
  if (bpp <= 8 && offset >= table + 4 * (std::size_t{1} << bpp)) entries = 1 << bpp;
  if (table + 4 * static_cast<std::size_t>(entries) > bytes.size()) throw bad;
  for (int i = 0; i < entries; ++i) {
    const char* q = bytes.data() + table + 4 * i;
    b.palette[i] = {static_cast<std::uint8_t>(q[2]), static_cast<std::uint8_t>(q[1]),
                    static_cast<std::uint8_t>(q[0])};
  }
  if (offset > bytes.size() || bytes.size() - offset < b.data.size()) throw bad;
  std::size_t stride = static_cast<std::size_t>(b.Stride());
  for (int r = 0; r < h; ++r) {
    int dst = topDown ? h - 1 - r : r;
    std::memcpy(b.data.data() + dst * stride, bytes.data() + offset + r * stride, stride);
  }
  return b;
}

int ReduceColors(const TBitmap& src, TMappingMethod method, int colors, TBitmap& out) {
  if (src.bits != 24 || src.Empty()) throw EInvalidGraphic("Bitmap image is not valid");
  if (!out.Create(src.width, src.height, 8)) throw EInvalidGraphic("Bitmap image is not valid");
  const LevelTables& L = Levels();
  out.palette.assign(256, TRGB{128, 128, 128});
  switch (method) {
    case mmTrunc666:
      for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
          for (int b = 0; b < 6; ++b)
            out.palette[r * 36 + g * 6 + b] = {static_cast<std::uint8_t>(kSix[r]),
                                               static_cast<std::uint8_t>(kSix[g]),
                                               static_cast<std::uint8_t>(kSix[b])};
      for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) {
          TRGB p = src.Pixel(x, y);
          out.SetIndex(x, y, L.six[p.r] * 36 + L.six[p.g] * 6 + L.six[p.b]);
        }
      return 216;
    case mmTrunc784:
      for (int r = 0; r < 7; ++r)
        for (int g = 0; g < 8; ++g)
          for (int b = 0; b < 4; ++b)
            out.palette[r * 32 + g * 4 + b] = {static_cast<std::uint8_t>(kSeven[r]),
                                               static_cast<std::uint8_t>(kEight[g]),
                                               static_cast<std::uint8_t>(kFour[b])};
      for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) {
          TRGB p = src.Pixel(x, y);
          out.SetIndex(x, y, L.seven[p.r] * 32 + L.eight[p.g] * 4 + L.four[p.b]);
        }
      return 224;
    case mmGrayscale:
      for (int i = 0; i < 256; ++i)
        out.palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                          static_cast<std::uint8_t>(i)};
      for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) {
          TRGB p = src.Pixel(x, y);
          out.SetIndex(x, y, (p.r * 77 + p.g * 150 + p.b * 29) >> 8);
        }
      return 0;
    case mmTripel:
      for (int i = 0; i < 64; ++i) {
        std::uint8_t v = static_cast<std::uint8_t>(4 * i);
        out.palette[i] = {v, 0, 0};
        out.palette[64 + i] = {0, v, 0};
        out.palette[128 + i] = {0, 0, v};
        out.palette[192 + i] = {0, 0, 0};
      }
      // Rows counted from the first row in memory (the bottom one).
      for (int m = 0; m < src.height; ++m)
        for (int x = 0; x < src.width; ++x) {
          int y = src.height - 1 - m;
          TRGB p = src.Pixel(x, y);
          int k = (x + m) % 3;
          out.SetIndex(x, y, k == 0 ? p.r >> 2 : k == 1 ? 64 + (p.g >> 2) : 128 + (p.b >> 2));
        }
      return 0;
    case mmQuantize:
      return Quantize(src, std::clamp(colors, 2, 256), out);
    case mmHistogram:
    default:
      Histogram(src, std::clamp(colors, 2, 256), out);
      return 0;
  }
}

std::string ConvertBitmapToStream(const TBitmap& bitmap, int targetBits, TMappingMethod method) {
  if (bitmap.Empty()) throw EInvalidGraphic("Bitmap image is not valid");
  if (bitmap.bits == targetBits && method != mmGrayscale) return bitmap.SaveBmp();
  if (targetBits != 1 && targetBits != 4 && targetBits != 8 && targetBits != 24) NotImplemented();
  // Everything goes through true colour first.
  TBitmap rgb;
  if (!rgb.Create(bitmap.width, bitmap.height, 24)) throw EInvalidGraphic("Bitmap image is not valid");
  for (int y = 0; y < bitmap.height; ++y)
    for (int x = 0; x < bitmap.width; ++x) rgb.SetPixel(x, y, bitmap.Pixel(x, y));
  if (targetBits == 24) return rgb.SaveBmp();
  TBitmap eight;
  int colors = targetBits == 1 ? 2 : targetBits == 4 ? 16 : 256;
  int used = ReduceColors(rgb, targetBits == 8 ? method : mmHistogram, colors, eight);
  if (targetBits == 8) return eight.SaveBmp(static_cast<std::uint32_t>(used));
  TBitmap small;
  small.Create(bitmap.width, bitmap.height, targetBits);
  for (int i = 0; i < colors; ++i) small.palette[i] = eight.palette[i];
  for (int y = 0; y < bitmap.height; ++y)
    for (int x = 0; x < bitmap.width; ++x) small.SetIndex(x, y, eight.Index(x, y));
  return small.SaveBmp();
}

std::string ConvertBitmapForColors(const TBitmap& bitmap, int colors) {
  int bits = colors <= 2 ? 1 : colors <= 16 ? 4 : colors <= 256 ? 8 : 24;
  return ConvertBitmapToStream(bitmap, bits, DefaultReductionMethod);
}

}  // namespace zarn3set
