// Console fonts (PSF, with their Unicode tables) and X11 bitmap fonts (read with FreeType) turned
// into the game's cp866 bitmap fonts, and text drawing into our pictures with the same glyphs and
// spacing rule the game uses.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <zlib.h>

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>

#include "game/base/cp1251.h"
#include "tools/demodata/demodata.h"

namespace demodata {

namespace {

// cp866 codes 128..255 as Unicode code points.
constexpr char32_t kCp866High[128] = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A,
    0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425,
    0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430,
    0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562,
    0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534,
    0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560,
    0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x0440, 0x0441, 0x0442,
    0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D,
    0x044E, 0x044F, 0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E, 0x00B0,
    0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

Bytes Gunzip(const std::filesystem::path& path) {
  gzFile f = gzopen(path.string().c_str(), "rb");
  if (!f) throw std::runtime_error("cannot open font " + path.string());
  Bytes out;
  std::uint8_t buf[65536];
  for (;;) {
    const int n = gzread(f, buf, sizeof buf);
    if (n < 0) {
      gzclose(f);
      throw std::runtime_error("cannot unpack font " + path.string());
    }
    if (n == 0) break;
    out.insert(out.end(), buf, buf + n);
    if (out.size() > (8u << 20)) break;  // no console font is this large
  }
  gzclose(f);
  return out;
}

std::uint32_t Le32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

bool IsBoxDrawing(int c) { return c >= 176 && c <= 223; }

struct Psf {
  int width = 8, height = 0, count = 0, rowBytes = 1;
  std::size_t glyphsAt = 0;
  Bytes data;
  std::map<char32_t, int> glyphOf;
};

Psf ParsePsf(Bytes data, const std::string& what) {
  Psf p;
  auto need = [&](std::size_t end) {
    if (end > data.size()) throw std::runtime_error("font file is cut short: " + what);
  };
  need(4);
  std::size_t table = 0;
  bool hasTable = false, utf8 = false;
  if (data[0] == 0x36 && data[1] == 0x04) {
    p.height = data[3];
    p.count = (data[2] & 1) ? 512 : 256;
    hasTable = (data[2] & 6) != 0;
    p.glyphsAt = 4;
  } else if (data[0] == 0x72 && data[1] == 0xB5 && data[2] == 0x4A && data[3] == 0x86) {
    need(32);
    p.glyphsAt = Le32(data, 8);
    hasTable = (Le32(data, 12) & 1) != 0;
    p.count = static_cast<int>(Le32(data, 16));
    const std::uint32_t charSize = Le32(data, 20);
    p.height = static_cast<int>(Le32(data, 24));
    p.width = static_cast<int>(Le32(data, 28));
    p.rowBytes = (p.width + 7) / 8;
    if (p.count <= 0 || p.count > 65536 || charSize != std::uint32_t(p.rowBytes * p.height))
      throw std::runtime_error("bad font header: " + what);
    utf8 = true;
  } else {
    throw std::runtime_error("not a console font: " + what);
  }
  if (p.height <= 0 || p.height > 32 || p.width > 16)
    throw std::runtime_error("font size not usable: " + what);
  table = p.glyphsAt + std::size_t(p.count) * p.rowBytes * p.height;
  need(table);
  if (!hasTable) throw std::runtime_error("font has no Unicode table: " + what);
  std::size_t at = table;
  for (int g = 0; g < p.count && at < data.size(); ++g) {
    bool inSequence = false;
    while (at < data.size()) {
      char32_t u = 0;
      if (utf8) {
        const std::uint8_t b = data[at];
        if (b == 0xFF) {
          ++at;
          break;
        }
        if (b == 0xFE) {
          inSequence = true;
          ++at;
          continue;
        }
        int len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
        need(at + len);
        u = len == 1 ? b : len == 2 ? b & 0x1F : len == 3 ? b & 0x0F : b & 0x07;
        for (int k = 1; k < len; ++k) u = (u << 6) | (data[at + k] & 0x3F);
        at += len;
      } else {
        need(at + 2);
        u = data[at] | (data[at + 1] << 8);
        at += 2;
        if (u == 0xFFFF) break;
        if (u == 0xFFFE) {
          inSequence = true;
          continue;
        }
      }
      if (!inSequence && !p.glyphOf.count(u)) p.glyphOf[u] = g;
    }
  }
  p.data = std::move(data);
  return p;
}

// The cp866 font whose glyph for each code is the source's glyph for that code's Unicode point;
// `glyph` fills a glyph's rows (bit 15 leftmost) and returns false when the source has none.
Font MapCp866(int width, int height,
              const std::function<bool(char32_t, std::array<std::uint16_t, 16>&)>& glyph) {
  Font f;
  f.width = width;
  f.height = height;
  for (int c = 32; c < 256; ++c) {
    if (c == 127) continue;
    auto& rows = f.rows[static_cast<std::size_t>(c)];
    if (!glyph(c < 128 ? char32_t(c) : kCp866High[c - 128], rows)) continue;
    // Letters start at the left edge: the game spaces text by each glyph's right edge.
    if (!IsBoxDrawing(c)) {
      std::uint16_t all = 0;
      for (auto b : rows) all |= b;
      if (all != 0)
        while (!(all & 0x8000)) {
          all = std::uint16_t(all << 1);
          for (auto& b : rows) b = std::uint16_t(b << 1);
        }
    }
  }
  return f;
}

}  // namespace

Font LoadPsfAsCp866(const std::filesystem::path& psfGz) {
  const Psf p = ParsePsf(Gunzip(psfGz), psfGz.string());
  if (p.height > 16) throw std::runtime_error("font taller than 16 rows: " + psfGz.string());
  return MapCp866(p.width, p.height, [&](char32_t u, std::array<std::uint16_t, 16>& rows) {
    const auto it = p.glyphOf.find(u);
    if (it == p.glyphOf.end()) return false;
    const std::size_t at = p.glyphsAt + std::size_t(it->second) * p.rowBytes * p.height;
    for (int r = 0; r < p.height; ++r) {
      std::uint16_t bits = std::uint16_t(p.data[at + r * p.rowBytes] << 8);
      if (p.rowBytes > 1) bits |= p.data[at + r * p.rowBytes + 1];
      rows[static_cast<std::size_t>(r)] = bits;
    }
    return true;
  });
}

Font LoadBitmapFontAsCp866(const std::filesystem::path& file) {
  const std::string what = file.string();
  FT_Library lib = nullptr;
  if (FT_Init_FreeType(&lib)) throw std::runtime_error("cannot start FreeType");
  const std::unique_ptr<FT_LibraryRec_, FT_Error (*)(FT_Library)> libGuard(lib, FT_Done_FreeType);
  FT_Face face = nullptr;
  if (FT_New_Face(lib, what.c_str(), 0, &face)) throw std::runtime_error("cannot open font " + what);
  const std::unique_ptr<FT_FaceRec_, FT_Error (*)(FT_Face)> faceGuard(face, FT_Done_Face);
  if (face->num_fixed_sizes < 1 || FT_Select_Size(face, 0) ||
      FT_Select_Charmap(face, FT_ENCODING_UNICODE))
    throw std::runtime_error("not a Unicode bitmap font: " + what);
  const int width = face->available_sizes[0].width, height = face->available_sizes[0].height;
  const int ascent = static_cast<int>(face->size->metrics.ascender >> 6);
  if (width < 1 || width > 16 || height < 1 || height > 16)
    throw std::runtime_error("font size not usable: " + what);
  return MapCp866(width, height, [&](char32_t u, std::array<std::uint16_t, 16>& rows) {
    if (FT_Get_Char_Index(face, u) == 0) return false;
    if (FT_Load_Char(face, u, FT_LOAD_RENDER | FT_LOAD_MONOCHROME | FT_LOAD_TARGET_MONO))
      throw std::runtime_error("cannot draw a glyph of " + what);
    const FT_GlyphSlot g = face->glyph;
    const FT_Bitmap& bm = g->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_MONO || bm.pitch < 0)
      throw std::runtime_error("glyph is not a top-down monochrome bitmap: " + what);
    for (unsigned r = 0; r < bm.rows; ++r)
      for (unsigned c = 0; c < bm.width; ++c) {
        if (!(bm.buffer[r * unsigned(bm.pitch) + c / 8] & (0x80 >> (c % 8)))) continue;
        const int x = g->bitmap_left + int(c), y = ascent - g->bitmap_top + int(r);
        if (x < 0 || x >= 16 || y < 0 || y >= height)
          throw std::runtime_error("glyph leaves its cell in " + what);
        rows[static_cast<std::size_t>(y)] |= std::uint16_t(0x8000 >> x);
      }
    return true;
  });
}

void PatchGlyph(Font& f, std::uint8_t code, const std::array<std::uint8_t, 8>& rows8) {
  auto& rows = f.rows[code];
  rows.fill(0);
  for (std::size_t r = 0; r < 8; ++r) rows[r] = std::uint16_t(rows8[r] << 8);
}

void PatchGlyphRows(Font& f, std::uint8_t code, std::initializer_list<std::string_view> rows) {
  if (rows.size() > 16) throw std::logic_error("glyph taller than 16 rows");
  auto& out = f.rows[code];
  out.fill(0);
  std::size_t r = 0;
  for (std::string_view row : rows) {
    if (row.size() > 16) throw std::logic_error("glyph wider than 16 columns");
    for (std::size_t x = 0; x < row.size(); ++x)
      if (row[x] == '#') out[r] = static_cast<std::uint16_t>(out[r] | (0x8000 >> x));
    ++r;
  }
}

Bytes FontFileBytes(const Font& f) {
  Bytes out;
  out.push_back(static_cast<std::uint8_t>(f.width));
  out.push_back(static_cast<std::uint8_t>(f.height));
  const bool small = f.width <= 8 && f.height <= 8;
  for (const auto& rows : f.rows) {
    if (small) {
      for (int r = 0; r < 8; ++r) out.push_back(static_cast<std::uint8_t>(rows[r] >> 8));
    } else {
      for (int r = 0; r < 16; ++r) {
        out.push_back(static_cast<std::uint8_t>(rows[r] & 0xFF));
        out.push_back(static_cast<std::uint8_t>(rows[r] >> 8));
      }
    }
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

int Font::Advance(std::uint8_t c) const {
  // The game's rule: the glyph's right edge plus two, or the cell width less two when blank.
  int widest = 0;
  for (int r = 0; r < 16; ++r) {
    const std::uint16_t b = rows[c][static_cast<std::size_t>(r)];
    if (!b) continue;
    int lowest = 0;
    while (!(b & (1 << lowest))) ++lowest;
    widest = std::max(widest, 15 - lowest);
  }
  return widest == 0 ? width - 2 : widest + 2;
}

int Font::TextWidth(std::string_view cp866) const {
  int w = 0;
  for (char c : cp866) w += Advance(static_cast<std::uint8_t>(c));
  return w;
}

namespace {
Fonts g_fonts;
}

const Fonts& GetFonts() { return g_fonts; }
void SetFonts(Fonts fonts) { g_fonts = std::move(fonts); }

std::string ToCp866(std::string_view utf8) { return zarn::Cp1251ToCp866Str(zarn::Utf8ToCp1251(utf8)); }

int TextWidth(const Font& f, std::string_view utf8, int scale) {
  return f.TextWidth(ToCp866(utf8)) * scale;
}

int DrawText(Canvas& cv, const Font& f, int x, int y, std::string_view utf8, std::uint8_t colour,
             int scale) {
  const int start = x;
  for (char ch : ToCp866(utf8)) {
    const auto c = static_cast<std::uint8_t>(ch);
    for (int r = 0; r < f.height; ++r)
      for (int b = 0; b < 16; ++b)
        if (f.rows[c][static_cast<std::size_t>(r)] & (0x8000 >> b))
          cv.Rect(x + b * scale, y + r * scale, scale, scale, colour);
    x += f.Advance(c) * scale;
  }
  return x - start;
}

void DrawShadowText(Canvas& cv, const Font& f, int x, int y, std::string_view utf8,
                    std::uint8_t colour, int scale) {
  DrawText(cv, f, x + 1, y + 1, utf8, kBlack, scale);
  DrawText(cv, f, x, y, utf8, colour, scale);
}

}  // namespace demodata
