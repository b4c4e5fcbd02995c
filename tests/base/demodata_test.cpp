// Checks the generated demo game folder against the file formats the game reads. The reading
// here is written independently of the generator and of the game's loaders.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/base/dvga.h"

namespace fs = std::filesystem;
using zarn::operator""_cp1251;

namespace {

using Bytes = std::vector<std::uint8_t>;

const fs::path kGame = fs::path(ZARN_BINARY_DIR) / "game";

Bytes Read(const fs::path& p) {
  Bytes b;
  EXPECT_TRUE(zarn::ReadWholeFile(p, zarn::MaxArchiveFileBytes, b)) << p;
  return b;
}

std::uint16_t U16(const Bytes& b, std::size_t at) { return std::uint16_t(b[at] | (b[at + 1] << 8)); }
std::int32_t I32(const Bytes& b, std::size_t at) {
  std::int32_t v;
  std::memcpy(&v, &b[at], 4);
  return v;
}

struct Img {
  int w = 0, h = 0;
  Bytes px;
};

// The archive walked by its own rules: headers of 24 bytes, magic 0x1976, data right after the
// header, the last record ending at the end of the file.
std::map<std::string, Img> ReadArchive(const Bytes& a, std::size_t& records) {
  std::map<std::string, Img> out;
  std::size_t pos = 0;
  records = 0;
  while (pos < a.size()) {
    EXPECT_LE(pos + 24, a.size());
    if (pos + 24 > a.size()) break;
    const std::size_t len = a[pos];
    EXPECT_GE(len, 1u);
    EXPECT_LE(len, 12u);
    const std::string name(reinterpret_cast<const char*>(&a[pos + 1]), std::min<std::size_t>(len, 12));
    EXPECT_EQ(U16(a, pos + 14), 0x1976) << name;
    const std::int32_t dataPos = I32(a, pos + 16), size = I32(a, pos + 20);
    EXPECT_EQ(dataPos, std::int32_t(pos + 24)) << name;
    EXPECT_GT(size, 4) << name;
    EXPECT_LE(std::size_t(dataPos) + std::size_t(size), a.size()) << name;
    if (size <= 4 || std::size_t(dataPos) + std::size_t(size) > a.size()) break;
    Img img;
    img.w = U16(a, std::size_t(dataPos));
    img.h = U16(a, std::size_t(dataPos) + 2);
    EXPECT_EQ(std::int64_t(img.w) * img.h + 4, size) << name;
    img.px.assign(a.begin() + dataPos + 4, a.begin() + dataPos + size);
    EXPECT_TRUE(out.emplace(name, std::move(img)).second) << "twice: " << name;
    ++records;
    pos = std::size_t(dataPos) + std::size_t(size);
  }
  EXPECT_EQ(pos, a.size());
  return out;
}

struct Sheets {
  Bytes palette;
  std::vector<Bytes> t16{1}, s24{1}, s32{1}, s48x32{1}, s48x48{1};  // index 0 unused: frames count from 1
};

void AddFrames(std::vector<Bytes>& sheet, const Bytes& data, std::size_t from, std::size_t frameSize) {
  for (std::size_t at = from; at + frameSize <= data.size(); at += frameSize)
    sheet.emplace_back(data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + frameSize));
}

Sheets LoadSheets() {
  Sheets s;
  const Bytes army = Read(kGame / "data" / "army.dat");
  s.palette.assign(army.begin(), army.begin() + 768);
  AddFrames(s.t16, army, 768, 256);
  for (const char* f : {"army3.dat", "turrets.dat", "rturrets.dat", "shutes.dat", "explos16.dat", "earthes.dat",
                        "mounds.dat", "gravels.dat", "ossins.dat", "rossins.dat", "sharv.dat", "traces.dat",
                        "glaukevy.dat", "craters.dat", "shadows.dat", "cursors.dat"})
    AddFrames(s.t16, Read(kGame / "data" / f), 0, 256);
  for (const char* f : {"army2.dat", "army4.dat", "explos24.dat", "crows.dat"})
    AddFrames(s.s24, Read(kGame / "data" / f), 0, 576);
  for (const char* f : {"smokes.dat", "b32x32.dat"}) AddFrames(s.s32, Read(kGame / "data" / f), 0, 1024);
  AddFrames(s.s48x32, Read(kGame / "data" / "b48x32.dat"), 0, 1536);
  AddFrames(s.s48x48, Read(kGame / "data" / "b48x48.dat"), 0, 2304);
  return s;
}

bool HasSidePixels(const Bytes& f) {
  for (auto p : f)
    if (p >= 2 && p <= 9) return true;
  return false;
}
bool HasColour(const Bytes& f, std::uint8_t c) {
  for (auto p : f)
    if (p == c) return true;
  return false;
}

}  // namespace

TEST(DemoData, FolderHasEverySheetFileWithItsExactSize) {
  for (const char* dir : {"data", "maps", "scenes", "music", "save"}) EXPECT_TRUE(fs::is_directory(kGame / dir)) << dir;
  const std::pair<const char*, std::uintmax_t> files[] = {
      {"army.dat", 768 + 20224}, {"army3.dat", 2048},    {"turrets.dat", 2048},  {"rturrets.dat", 2560},
      {"shutes.dat", 4608},      {"explos16.dat", 2304}, {"earthes.dat", 4096},  {"mounds.dat", 5120},
      {"gravels.dat", 2560},     {"ossins.dat", 4096},   {"rossins.dat", 4096},  {"sharv.dat", 6144},
      {"traces.dat", 1024},      {"glaukevy.dat", 256},  {"craters.dat", 3072},  {"shadows.dat", 2048},
      {"cursors.dat", 11264},    {"army2.dat", 18432},   {"army4.dat", 9216},    {"explos24.dat", 3456},
      {"crows.dat", 4608},       {"smokes.dat", 3072},   {"b32x32.dat", 13312},  {"b48x32.dat", 16896},
      {"b48x48.dat", 11520},     {"panel.dat", 13440},   {"icons.dat", 28380},   {"icons2.dat", 6048},
  };
  for (const auto& [name, size] : files) {
    std::error_code ec;
    EXPECT_EQ(fs::file_size(kGame / "data" / name, ec), size) << name;
  }
  // The game finds its files through lower-case names on disk as well.
  EXPECT_EQ(zarn::NativePath((kGame.string() + "\\DATA\\ZARN.RES")), kGame / "data" / "zarn.res");
}

TEST(DemoData, PaletteIsSixBitAndSidesCanBeToldApart) {
  const Sheets s = LoadSheets();
  for (auto c : s.palette) EXPECT_LE(c, 63);
  auto rgb = [&](int e) { return std::array<int, 3>{s.palette[e * 3], s.palette[e * 3 + 1], s.palette[e * 3 + 2]}; };
  const int base[8] = {168, 182, 197, 226, 211, 151, 159, 42};
  for (int p = 2; p <= 9; ++p)
    for (int a = 0; a < 8; ++a)
      for (int b = a + 1; b < 8; ++b) EXPECT_NE(rgb(base[a] + p), rgb(base[b] + p)) << "sides " << a << "," << b;
  // Text, alert, own and worm colours are distinct from black and from each other.
  std::set<std::array<int, 3>> named = {rgb(0), rgb(12), rgb(17), rgb(43), rgb(200)};
  EXPECT_EQ(named.size(), 5u);
}

// WCAG 2 relative luminance of a palette entry (six-bit components widened to eight bits).
double Luminance(const Bytes& palette, int e) {
  double l = 0;
  const double weight[3] = {0.2126, 0.7152, 0.0722};
  for (int k = 0; k < 3; ++k) {
    const int c6 = palette[static_cast<std::size_t>(e * 3 + k)] & 63;
    const double c = ((c6 << 2) | (c6 >> 4)) / 255.0;
    l += weight[k] * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
  }
  return l;
}

// The texts drawn over the map, status line and countdown (own colour 200) and the message and
// editor status lines (15), stand out from every colour of the ground under them: the WCAG 2
// contrast ratio (L1 + 0.05) / (L2 + 0.05) is at least 3, the least asked of large text.
TEST(DemoData, PlayScreenTextStandsOutFromEveryTerrainColour) {
  const Sheets s = LoadSheets();
  std::set<int> ground;
  // Terrain, resource fields, tracks, the bloom and craters.
  for (int n = 133; n <= 210; ++n)
    for (auto p : s.t16[static_cast<std::size_t>(n)]) ground.insert(p);
  for (int n = 235; n <= 251; ++n)
    for (auto p : s.t16[static_cast<std::size_t>(n)]) ground.insert(p);
  ground.erase(1);  // transparent
  ASSERT_GE(ground.size(), 10u);
  for (int text : {200, 15}) {
    double least = 100;
    int worst = -1;
    for (int g : ground) {
      const double a = Luminance(s.palette, text), b = Luminance(s.palette, g);
      const double ratio = (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
      if (ratio < least) {
        least = ratio;
        worst = g;
      }
    }
    EXPECT_GE(least, 3.0) << "text colour " << text << " on ground colour " << worst;
  }
}

TEST(DemoData, ArchiveParsesAndHoldsEveryPictureTheScreensLoad) {
  std::size_t records = 0;
  const auto pics = ReadArchive(Read(kGame / "data" / "zarn.res"), records);
  EXPECT_LE(records, 2666u);
  for (const auto& [name, img] : pics) {
    EXPECT_GE(img.w, 1) << name;
    EXPECT_LE(img.w, 320) << name;
    EXPECT_LE(img.h, 200) << name;
  }
  const char* needed[] = {
      "bigmenu.img",  "bildmenu.img", "tzarn3.img",   "frame1.img",   "frame2.img",   "frame3.img",
      "frame4.img",   "frame5.img",   "frame6.img",   "frame7.img",   "tnewgame.img", "toldgame.img",
      "tnetgame.img", "teditor.img",  "tauthors.img", "tquit.img",    "listbox.img",  "dvigok.img",
      "dvigok2.img",  "editbox.img",  "trackbar.img", "chktrue.img",  "chkfalse.img", "sphera.img",
      "pagelist.img", "butt-ok.img",  "butback2.img", "buttback.img", "buttload.img", "buttsave.img",
      "buttdel.img",  "but-yes.img",  "tbegin.img",   "loadgame.img", "savegame.img", "texthelp.img",
      "tvictory.img", "victory.img",  "tlose.img",    "tolose.img",   "almireth.img", "telix.img",
      "gorvasen.img", "saflag.img",   "sgflag.img",   "stflag.img",   "aflag.img",    "gflag.img",
      "tflag.img",    "tkonveer.img", "digitbox.img", "textlow.img",  "texthigh.img", "bcrow.img",
      "oskran.img",   "bdrevkar.img", "rocket.img",   "sabotage.img", "bfregate.img",
  };
  for (const char* n : needed) EXPECT_TRUE(pics.count(n)) << n;
  // The build picture of every item (and the second trike picture).
  const char* build[] = {"bsolder", "btruper", "btrike",  "btrike2", "bbtr",    "b1tank",  "bbtank",  "brtank",
                         "bttank",  "bharvest", "bgromdor", "bpsd",  "bperwoln", "bnositel", "bstelth", "bplita",
                         "bplita2", "bkdvor",  "benergy", "belevatr", "bsilos", "bradar",  "bkazarma", "bakademy",
                         "blzavod", "btzavod", "brzavod", "bazavod", "bxcenter", "bsport", "bpalace", "bturret",
                         "brturret", "bwall"};
  for (const char* n : build) EXPECT_TRUE(pics.count(std::string(n) + ".img")) << n;

  // Sizes the screens rely on: full-screen backgrounds, the title height the main menu's button
  // table assumes, button pictures that fill their hover rectangles.
  auto size = [&](const char* n) { return pics.count(n) ? std::pair{pics.at(n).w, pics.at(n).h} : std::pair{0, 0}; };
  EXPECT_EQ(size("bigmenu.img"), std::pair(320, 200));
  EXPECT_EQ(size("bildmenu.img"), std::pair(320, 200));
  EXPECT_EQ(size("tzarn3.img").second, 36);
  EXPECT_EQ(size("listbox.img"), std::pair(254, 108));
  EXPECT_EQ(size("editbox.img"), std::pair(254, 14));
  EXPECT_EQ(size("trackbar.img"), std::pair(200, 8));
  EXPECT_EQ(size("pagelist.img"), std::pair(174, 18));
  EXPECT_EQ(size("butt-ok.img"), std::pair(73, 16));
  EXPECT_EQ(size("butback2.img"), std::pair(76, 16));
  EXPECT_EQ(size("bsavegam.img"), std::pair(236, 16));
  // Hover-highlighted buttons must be drawn in side pixels, or the highlight shows nothing.
  for (const char* n : {"butt-ok.img", "bsavegam.img", "tnewmap.img", "tbegin.img", "but-yes.img"})
    if (pics.count(n)) {
      EXPECT_TRUE(HasSidePixels(pics.at(n).px)) << n;
    }
}

TEST(DemoData, FontsHaveTheGameFormatAndLegibleCyrillic) {
  for (const char* name : {"latrus3.fnt", "zarnrus.fnt", "year2000.fnt"}) {
    const Bytes f = Read(kGame / "data" / name);
    ASSERT_GE(f.size(), 2u) << name;
    const int w = f[0], h = f[1];
    EXPECT_GE(w, 1);
    EXPECT_LE(w, 16);
    EXPECT_GE(h, 1);
    EXPECT_LE(h, 16);
    const bool small = w <= 8 && h <= 8;
    ASSERT_EQ(f.size(), small ? 2052u : 8196u) << name;
    const std::size_t glyph = small ? 8 : 32;
    auto rows = [&](int c) { return Bytes(f.begin() + 2 + c * glyph, f.begin() + 2 + (c + 1) * glyph); };
    auto blank = [&](int c) {
      for (auto b : rows(c))
        if (b) return false;
      return true;
    };
    // Printable ASCII, А..я, Ё and ё all have pictures, and no two capitals of one alphabet
    // share one (Latin A and Cyrillic А may).
    std::set<Bytes> latin, cyrillic;
    for (int c = 33; c < 256; ++c) {
      const bool letter = c < 127 || (c >= 128 && c <= 175) || (c >= 224 && c <= 241);
      if (!letter) continue;
      EXPECT_FALSE(blank(c)) << name << " code " << c;
      if (c >= 'A' && c <= 'Z') {
        EXPECT_TRUE(latin.insert(rows(c)).second) << c;
      }
      if (c >= 128 && c <= 159) {
        EXPECT_TRUE(cyrillic.insert(rows(c)).second) << c;
      }
    }
    EXPECT_TRUE(blank(' ')) << name;
    // No letter borrows a box-drawing picture (a console font once drew Г as ├).
    for (int c = 128; c <= 175; ++c)
      for (int box = 176; box <= 223; ++box) EXPECT_NE(rows(c), rows(box)) << name << " " << c << " " << box;
    // "Ё" in interface text reaches the font as code 240.
    EXPECT_EQ(zarn::ToFontCodePage("Ё"_cp1251), std::string(1, char(240)));
  }
  // Proportional spacing: on the 8-wide font, "i" ends further left than "W" (the game spaces
  // text by each glyph's lowest set bit).
  const Bytes f = Read(kGame / "data" / "latrus3.fnt");
  auto right = [&](int c) {
    int widest = 0;
    for (int r = 0; r < 8; ++r)
      for (int bit = 0; bit < 8; ++bit)
        if (f[2 + c * 8 + r] & (1 << bit)) widest = std::max(widest, 7 - bit);
    return widest;
  };
  EXPECT_LT(right('i'), right('W'));
  EXPECT_LT(right('l'), right(128 + 22));  // Ж
  // The first two fonts are faces of their own: most letters are drawn differently.
  const Bytes second = Read(kGame / "data" / "zarnrus.fnt");
  ASSERT_EQ(second.size(), f.size());
  int same = 0, letters = 0;
  for (int c = 33; c < 256; ++c) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 128 && c <= 175) ||
                        (c >= 224 && c <= 239);
    if (!letter) continue;
    ++letters;
    same += std::equal(f.begin() + 2 + c * 8, f.begin() + 2 + (c + 1) * 8, second.begin() + 2 + c * 8);
  }
  EXPECT_LT(same * 10, letters) << same << " of " << letters << " letters drawn alike";
}

TEST(DemoData, SpritesShowKindsFacingsSidesAndTerrainApart) {
  const Sheets s = LoadSheets();
  ASSERT_EQ(s.t16.size(), 304u);  // frames 1..303
  ASSERT_EQ(s.s24.size(), 63u);
  ASSERT_EQ(s.s32.size(), 17u);
  ASSERT_EQ(s.s48x32.size(), 12u);
  ASSERT_EQ(s.s48x48.size(), 6u);
  // Vehicles on the 16 x 16 sheet: trike 40, quad 48, light tank 56, rocket launcher 64,
  // Tremolan 72, Skeltrel 80; each in eight different facings, side-coloured, and no two kinds
  // drawn alike.
  for (int first : {40, 48, 56, 64, 72, 80}) {
    std::set<Bytes> facings;
    for (int f = 0; f < 8; ++f) {
      EXPECT_TRUE(HasSidePixels(s.t16[first + f])) << first + f;
      facings.insert(s.t16[first + f]);
    }
    EXPECT_EQ(facings.size(), 8u) << first;
  }
  std::set<Bytes> kinds;
  for (int first : {1, 13, 21, 32, 40, 48, 56, 64, 72, 80}) kinds.insert(s.t16[first]);
  for (int first : {1, 9, 17, 25, 33, 41}) kinds.insert(s.s24[first]);
  EXPECT_EQ(kinds.size(), 16u);
  // Walking infantry frames differ from the standing one.
  EXPECT_NE(s.t16[4], s.t16[5]);
  EXPECT_NE(s.t16[5], s.t16[6]);
  for (int n = 1; n <= 39; ++n) EXPECT_TRUE(HasSidePixels(s.t16[n])) << n;
  // Buildings are side-coloured; the 48-wide sprites are copied opaque, so they hold no colour 1.
  for (int n : {5, 6, 7, 11, 12, 13, 14, 16}) EXPECT_TRUE(HasSidePixels(s.s32[n])) << n;
  for (int n = 1; n <= 11; ++n) EXPECT_FALSE(HasColour(s.s48x32[n], 1)) << n;
  for (int n = 1; n <= 5; ++n) EXPECT_FALSE(HasColour(s.s48x48[n], 1)) << n;
  // Terrain tiles and other opaque 16 x 16 frames (turrets, slab, bloom) hold no colour 1.
  for (int n = 88; n <= 105; ++n) EXPECT_FALSE(HasColour(s.t16[n], 1)) << n;
  for (int n = 133; n <= 178; ++n) EXPECT_FALSE(HasColour(s.t16[n], 1)) << n;
  EXPECT_FALSE(HasColour(s.t16[239], 1));
  // Terrain classes apart: the average brightness of sand, ground and rock differ clearly.
  auto bright = [&](const Bytes& f) {
    double sum = 0;
    for (auto p : f) sum += s.palette[p * 3] + s.palette[p * 3 + 1] + s.palette[p * 3 + 2];
    return sum / f.size();
  };
  const double sand = bright(s.t16[169]), ground = bright(s.t16[133]), rock = bright(s.t16[149]);
  EXPECT_GT(sand - ground, 15);
  EXPECT_GT(ground - rock, 5);
  // Shroud edges are only black or transparent, and each of the eight differs.
  std::set<Bytes> edges;
  for (int n = 252; n <= 259; ++n) {
    for (auto p : s.t16[n]) EXPECT_TRUE(p == 0 || p == 1) << n;
    edges.insert(s.t16[n]);
  }
  EXPECT_EQ(edges.size(), 8u);
}

namespace {

// A glyph as rows of bits, bit 15 leftmost, whatever the font's cell size.
struct Glyphs {
  int w = 0, h = 0;
  Bytes file;
  std::uint16_t Row(int c, int r) const {
    if (w <= 8 && h <= 8) return std::uint16_t(file[2 + c * 8 + r] << 8);
    return std::uint16_t(file[2 + c * 32 + r * 2] | (file[2 + c * 32 + r * 2 + 1] << 8));
  }
  bool Ink(int c, int x, int y) const { return (Row(c, y) & (0x8000 >> x)) != 0; }
  int Distance(int a, int b) const {
    int d = 0;
    for (int r = 0; r < h; ++r) d += __builtin_popcount(unsigned(Row(a, r) ^ Row(b, r)));
    return d;
  }
  int Top(int c) const {
    for (int r = 0; r < h; ++r)
      if (Row(c, r)) return r;
    return h;
  }
};

Glyphs LoadGlyphs(const char* name) {
  Glyphs g;
  g.file = Read(kGame / "data" / name);
  if (g.file.size() >= 2) {
    g.w = g.file[0];
    g.h = g.file[1];
  }
  return g;
}

}  // namespace

TEST(DemoData, CyrillicLettersHaveTheirOwnShapes) {
  for (const char* name : {"latrus3.fnt", "zarnrus.fnt", "year2000.fnt"}) {
    const Glyphs g = LoadGlyphs(name);
    ASSERT_EQ(g.file.size(), g.w <= 8 && g.h <= 8 ? 2052u : 8196u) << name;
    // Capitals that look like Latin ones must be drawn (nearly) the same.
    const std::pair<int, char> alike[] = {{128, 'A'}, {130, 'B'}, {133, 'E'}, {138, 'K'}, {140, 'M'}, {141, 'H'},
                                          {142, 'O'}, {144, 'P'}, {145, 'C'}, {146, 'T'}, {149, 'X'}};
    for (const auto& [cyr, lat] : alike) EXPECT_LE(g.Distance(cyr, lat), 3) << name << " code " << cyr << " vs " << lat;
    // П: a bar across the top and two legs down to the bottom, nothing between them.
    const int p = 143, top = g.Top(p);
    int left = 16, right = -1, bottom = -1;
    for (int y = 0; y < g.h; ++y)
      for (int x = 0; x < 16; ++x)
        if (g.Ink(p, x, y)) {
          left = std::min(left, x);
          right = std::max(right, x);
          bottom = y;
        }
    ASSERT_GE(right - left, 2) << name;  // two legs and a column between them at least
    ASSERT_GE(bottom - top, 4) << name;
    for (int x = left; x <= right; ++x) EXPECT_TRUE(g.Ink(p, x, top)) << name << " top bar at " << x;
    for (int y = top + 1; y <= bottom; ++y) {
      EXPECT_TRUE(g.Ink(p, left, y)) << name << " left leg, row " << y;
      EXPECT_TRUE(g.Ink(p, right, y)) << name << " right leg, row " << y;
      EXPECT_FALSE(g.Ink(p, (left + right) / 2, y)) << name << " between the legs, row " << y;
    }
    // Й carries a breve that И lacks: it reaches higher, or their top rows differ.
    EXPECT_TRUE(g.Top(137) < g.Top(136) || g.Row(137, g.Top(137)) != g.Row(136, g.Top(136))) << name;
    EXPECT_GE(g.Distance(137, 136), 3) << name;
    // Likewise Ё (code 240) carries a diaeresis that Е lacks.
    EXPECT_GE(g.Distance(240, 133), 2) << name;
    // Small letters sit lower than capitals (б, й, ф and ё reach up): a box piece or a capital
    // in a small letter's place would reach the capitals' height.
    const int capTop = g.Top(128);
    for (int c : {160, 162, 163, 164, 165, 166, 167, 168, 170, 171, 172, 173, 174, 175, 224, 225, 226, 227, 229,
                  230, 231, 232, 233, 234, 235, 236, 237, 238, 239})
      EXPECT_GT(g.Top(c), capTop + (g.h > 6 ? 1 : 0)) << name << " code " << c;  // a row lower on 4 x 6
    // Capitals start at the capitals' height.
    for (int c = 128; c <= 159; ++c) {
      if (c == 137) continue;
      EXPECT_EQ(g.Top(c), capTop) << name << " code " << c;
    }
  }
}

namespace {

// How many pixels of two square frames' silhouettes (everything but colour 1) differ, at the
// best of all shifts up to two pixels: a kind drawn a little off centre is still the same look.
int SilhouetteDistance(const Bytes& a, const Bytes& b, int side) {
  int best = side * side;
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) {
      int n = 0;
      for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
          const int bx = x + dx, by = y + dy;
          const bool inB = bx >= 0 && by >= 0 && bx < side && by < side && b[by * side + bx] != 1;
          n += (a[y * side + x] != 1) != inB;
        }
      best = std::min(best, n);
    }
  return best;
}

}  // namespace

TEST(DemoData, EveryPairOfUnitKindsDiffersInSilhouette) {
  const Sheets s = LoadSheets();
  ASSERT_EQ(s.t16.size(), 304u);
  ASSERT_EQ(s.s24.size(), 63u);
  // First frame of each facing group north, east, south, west (vehicles: facings 0, 2, 4, 6).
  struct Kind {
    const char* name;
    std::array<int, 4> frames;
  };
  const Kind small[] = {{"infantryman", {1, 4, 7, 10}},  {"infantry squad", {13, 15, 17, 19}},
                        {"heavy trooper", {21, 24, 27, 29}}, {"heavy squad", {32, 34, 36, 38}},
                        {"trike", {40, 42, 44, 46}},         {"quad", {48, 50, 52, 54}},
                        {"light tank", {56, 58, 60, 62}},    {"rocket launcher", {64, 66, 68, 70}},
                        {"Tremolan", {72, 74, 76, 78}},      {"Skeltrel", {80, 82, 84, 86}}};
  const Kind large[] = {{"siege tank", {1, 3, 5, 7}},       {"Gromador", {9, 11, 13, 15}},
                        {"yard vehicle", {17, 19, 21, 23}},   {"harvester", {25, 27, 29, 31}},
                        {"carrier", {33, 35, 37, 39}}};
  // A clear margin: a tenth of the frame's pixels, whichever way the two face.
  auto check = [](const auto& kinds, const std::vector<Bytes>& sheet, int side) {
    for (std::size_t i = 0; i < std::size(kinds); ++i)
      for (std::size_t j = i + 1; j < std::size(kinds); ++j)
        for (int g = 0; g < 4; ++g)
          EXPECT_GE(SilhouetteDistance(sheet[kinds[i].frames[g]], sheet[kinds[j].frames[g]], side),
                    side * side / 10)
              << kinds[i].name << " vs " << kinds[j].name << ", facing group " << g;
  };
  check(small, s.t16, 16);
  check(large, s.s24, 24);
}

TEST(DemoData, VehiclesShowWhichWayTheyFaceAndTheSprayStandsOut) {
  const Sheets s = LoadSheets();
  ASSERT_EQ(s.t16.size(), 304u);
  ASSERT_EQ(s.s24.size(), 63u);
  auto differing = [](const Bytes& a, const Bytes& b) {
    int d = 0;
    for (std::size_t i = 0; i < a.size(); ++i) d += a[i] != b[i];
    return d;
  };
  auto ink = [](const Bytes& a) {
    int n = 0;
    for (auto p : a) n += p != 1;
    return n;
  };
  // A unit facing one way must not look like the same unit facing the opposite way: a large
  // share of its pixels differ between the two.
  auto check = [&](const std::vector<Bytes>& sheet, int first, const char* what) {
    for (int f = 0; f < 4; ++f) {
      const Bytes& a = sheet[std::size_t(first + f)];
      const Bytes& b = sheet[std::size_t(first + f + 4)];
      EXPECT_GE(differing(a, b) * 100, ink(a) * 45) << what << " facing " << f << " vs " << f + 4;
    }
  };
  for (int first : {40, 48, 56, 64, 72, 80}) check(s.t16, first, ("16x16 from " + std::to_string(first)).c_str());
  for (int first : {1, 9, 17, 25, 33, 41}) check(s.s24, first, ("24x24 from " + std::to_string(first)).c_str());
  // The harvester's spray (211..234) is dark enough and large enough to be seen on sand.
  auto brightness = [&](std::uint8_t p) { return s.palette[p * 3] + s.palette[p * 3 + 1] + s.palette[p * 3 + 2]; };
  double sand = 0;
  for (auto p : s.t16[169]) sand += brightness(p);
  sand /= 256;
  for (int n = 211; n <= 234; ++n) {
    int seen = 0;
    for (auto p : s.t16[std::size_t(n)])
      if (p != 1 && std::abs(brightness(p) - sand) > 40) ++seen;
    EXPECT_GE(seen, 20) << "spray frame " << n;
  }
}

namespace {

// Our art's colour for an item's tag, used for no other pixel of an icon or a build picture.
constexpr std::uint8_t TagColour = 149;

struct Ink {
  int w = 0, h = 0;
  std::vector<bool> on;
  bool operator==(const Ink&) const = default;
};

// The pixels of one colour, cropped to their bounding box.
Ink InkOf(const std::uint8_t* px, int w, int h, std::uint8_t colour) {
  int x1 = w, y1 = h, x2 = -1, y2 = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (px[y * w + x] == colour) {
        x1 = std::min(x1, x), x2 = std::max(x2, x), y1 = std::min(y1, y), y2 = std::max(y2, y);
      }
  Ink ink;
  if (x2 < 0) return ink;
  ink.w = x2 - x1 + 1, ink.h = y2 - y1 + 1;
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x) ink.on.push_back(px[y * w + x] == colour);
  return ink;
}

// A text set as the game sets it (each glyph's right edge plus two), as ink.
Ink SetText(const Glyphs& g, std::string_view cp866) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(16 * (cp866.size() + 1) * g.h), 0);
  const int w = 16 * static_cast<int>(cp866.size() + 1);
  int x = 0;
  for (const char ch : cp866) {
    const auto c = static_cast<std::uint8_t>(ch);
    int right = -1;
    for (int r = 0; r < g.h; ++r)
      for (int b = 0; b < 16; ++b)
        if (g.Ink(c, b, r)) {
          px[static_cast<std::size_t>(r * w + x + b)] = 1;
          right = std::max(right, b);
        }
    x += right > 0 ? right + 2 : std::max(0, g.w - 2);
  }
  return InkOf(px.data(), w, g.h, 1);
}

std::string Upper1251(std::string s) {
  for (char& ch : s) {
    const auto c = static_cast<std::uint8_t>(ch);
    if (c >= 0xE0) ch = static_cast<char>(c - 0x20);
    else if (c == 0xB8) ch = static_cast<char>(0xA8);
  }
  return s;
}

}  // namespace

// Each item the build menus offer shows one label on its icon and on its picture: its own tag,
// and nothing else lettered in the tag's colour (the buildings' map letters stay off them).
TEST(DemoData, EveryBuildIconAndPictureCarriesItsOwnItemsTagAlone) {
  struct Row {
    std::uint8_t item, side;
    const char* name;  // as the build menus and the encyclopedia call it
    const char* tag;
  };
  const Row rows[] = {
      {1, 0, "Пехотинец", "ПЕХ"},          {2, 0, "Отряд пехоты", "ПЕХ3"},     {3, 0, "Т-пехота", "Т-П"},
      {4, 0, "Отряд Т-пехоты", "Т-П3"},    {5, 0, "Трайк", "ТРК"},             {5, 2, "Рейдер Теликсов", "РДР"},
      {6, 0, "Квад", "КВД"},               {7, 0, "Лёгкий танк", "ТНК"},       {8, 0, "Осадный танк", "ОСД"},
      {9, 0, "РПУ", "РПУ"},                {10, 0, "Тремолан-танк", "ТРМ"},    {11, 0, "Харвестер", "ХРВ"},
      {12, 0, "Громадор", "ГРМ"},          {13, 0, "ПСД", "ПСД"},              {14, 0, "Перволан", "ПРВ"},
      {15, 0, "Носитель", "НОС"},          {16, 0, "Скельтрел", "СКЛ"},        {17, 0, "Плита", "ПЛ"},
      {18, 0, "Плиты", "ПЛ4"},             {20, 0, "Ветряк", "ВЕТР"},          {21, 0, "Элеватор", "ЭЛЕВ"},
      {22, 0, "Силос", "СИЛ"},             {23, 0, "Радар", "РАДР"},           {24, 0, "Казарма", "КАЗ"},
      {25, 0, "Академия", "АКАД"},         {26, 0, "Л-Завод", "Л-З"},          {27, 0, "Т-Завод", "Т-З"},
      {28, 0, "Р-завод", "Р-З"},           {29, 0, "А-завод", "А-З"},          {30, 0, "Научный центр", "НЦ"},
      {31, 0, "Космопорт", "ПОРТ"},        {32, 0, "Дворец", "ДВРЦ"},          {33, 0, "Орудийная башня", "ОРД"},
      {34, 0, "Ракетная башня", "РКБ"},
  };
  const Glyphs g = LoadGlyphs("zarnrus.fnt");
  ASSERT_GT(g.h, 0);
  const Bytes icons = Read(kGame / "data" / "icons.dat");
  ASSERT_EQ(icons.size(), 43u * 660u);
  std::size_t records = 0;
  const auto pics = ReadArchive(Read(kGame / "data" / "zarn.res"), records);
  std::set<std::string> tags;
  std::map<std::string, std::string> picturesTag;
  for (const Row& r : rows) {
    const std::string what = std::to_string(r.item) + " " + r.name;
    // The tag's letters stand in the name in their order (a digit counts the squad's men).
    const std::string name = Upper1251(zarn::Utf8ToCp1251(r.name)), tag = zarn::Utf8ToCp1251(r.tag);
    bool ordered = true;
    std::size_t at = 0;
    for (const char c : tag) {
      if (std::isdigit(static_cast<unsigned char>(c))) continue;
      const std::size_t k = name.find(c, at);
      ordered = ordered && k != std::string::npos;
      at = k + 1;
      if (!ordered) break;
    }
    EXPECT_TRUE(ordered) << what << ": tag " << r.tag;
    EXPECT_TRUE(tags.insert(tag).second) << what << ": tag " << r.tag << " stands for another item too";

    const Ink want = SetText(g, zarn::ToFontCodePage(tag));
    const int icon = zarn::TypePictureIndex(r.item, r.side);
    ASSERT_TRUE(icon >= 1 && icon <= 43) << what;
    EXPECT_EQ(InkOf(&icons[static_cast<std::size_t>(icon - 1) * 660], 30, 22, TagColour), want)
        << what << ": icon " << icon << " does not carry the tag " << r.tag << " alone";
    // A squad shows the picture of its single man, with his tag.
    const std::string picture = zarn::TypeImageName(r.item, r.side);
    ASSERT_TRUE(pics.count(picture)) << what << ": " << picture;
    const std::string pictureTag = zarn::Utf8ToCp1251(picturesTag.emplace(picture, r.tag).first->second);
    const Img& p = pics.at(picture);
    EXPECT_EQ(InkOf(p.px.data(), p.w, p.h, TagColour), SetText(g, zarn::ToFontCodePage(pictureTag)))
        << what << ": " << picture << " does not carry the tag of its item alone";
  }
}
