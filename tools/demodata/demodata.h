// The demo data set generator: our own procedural art in exactly the formats the game reads.
// Every picture is a plain 8-bit canvas of palette indices; the writers at the end lay them out
// as sheet files, .img records of the resource archive and font files.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace demodata {

using Bytes = std::vector<std::uint8_t>;

// Colour 1 is the transparent colour of every sprite, tile and picture drawn transparently.
inline constexpr std::uint8_t kClear = 1;
inline constexpr std::uint8_t kBlack = 0;

// Palette landmarks that the game itself uses (panel texts, bevels, minimap) and our own ramps.
namespace pal {
inline constexpr std::uint8_t Red = 12, White = 14, LightGrey = 15, MidGrey = 16, Yellow = 17,
                              Orange = 18, DarkGrey = 19;
inline constexpr std::uint8_t Fire = 20;    // 20..28 white-hot to dark red, 29..31 smoke
inline constexpr std::uint8_t Steel = 32;   // 32..39 light to dark steel
inline constexpr std::uint8_t Text = 43;    // normal interface text
inline constexpr std::uint8_t BevelLight = 44, BevelFace = 48, BevelDark = 54;
inline constexpr std::uint8_t Ground = 56;  // 56..71 firm ground, light to dark
inline constexpr std::uint8_t Crystal = 72; // 72..87 the resource's crystals, light to dark
inline constexpr std::uint8_t Scorch = 88;  // 88..99 burnt ground and crater shades
inline constexpr std::uint8_t Sand = 100;   // 100..119 sand, light to dark
inline constexpr std::uint8_t Rock = 120;   // 120..127 rock, light to dark
inline constexpr std::uint8_t MenuBack = 128;
inline constexpr std::uint8_t Maroon = 129; // 129..140 menu art, light to dark
inline constexpr std::uint8_t Gold = 141;   // 141..148 menu gold, light to dark
inline constexpr std::uint8_t Tag = 149;    // the letters naming a building or an item, and only those
inline constexpr std::uint8_t Own = 200;
inline constexpr std::uint8_t Heading = 228;
inline constexpr std::uint8_t Worm = 238;   // 238..247 worm skin, light to dark
}  // namespace pal

// The base that the game adds to source pixels 2..9 for each side.
inline constexpr std::array<int, 9> kSideBase = {168, 182, 197, 226, 211, 151, 159, 42, 0};

// 768 bytes, three 6-bit components per entry.
Bytes BuildPalette();

struct Canvas {
  int w = 0, h = 0;
  Bytes px;
  Canvas() = default;
  Canvas(int width, int height, std::uint8_t fill = kClear)
      : w(width), h(height), px(static_cast<std::size_t>(width * height), fill) {}
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
  std::uint8_t Get(int x, int y) const { return Inside(x, y) ? px[y * w + x] : kClear; }
  void Set(int x, int y, std::uint8_t c) {
    if (Inside(x, y)) px[y * w + x] = c;
  }
  void Fill(std::uint8_t c) { px.assign(px.size(), c); }
  void Rect(int x, int y, int rw, int rh, std::uint8_t c);
  void Frame(int x, int y, int rw, int rh, std::uint8_t c);
  void Line(int x0, int y0, int x1, int y1, std::uint8_t c);
  void Disc(double cx, double cy, double r, std::uint8_t c);
  // Copies src at (x, y), skipping colour 1 when transparent.
  void Blit(const Canvas& src, int x, int y, bool transparent = true);
  // A dark rim around everything that is not colour 1, so sprites read on any ground.
  void Outline(std::uint8_t c = kBlack);
  // Replaces every pixel of value from with to.
  void Replace(std::uint8_t from, std::uint8_t to);
};

// Deterministic noise in [0, 1) for textures; the same (x, y, seed) always gives the same value.
double Noise(int x, int y, int seed);

// ---- Fonts -------------------------------------------------------------------------------
struct Font {
  int width = 8, height = 8;
  // 256 glyphs, 16 rows each, bit 15 the leftmost pixel (8-high fonts use rows 0..7).
  std::array<std::array<std::uint16_t, 16>, 256> rows{};
  int Advance(std::uint8_t c) const;
  int TextWidth(std::string_view cp866) const;
};

// Reads a PSF console font and maps cp866 codes through its Unicode table. Throws on bad input.
Font LoadPsfAsCp866(const std::filesystem::path& psfGz);
// Replaces the picture of one code with eight rows of 8 pixels (high bit leftmost).
void PatchGlyph(Font& f, std::uint8_t code, const std::array<std::uint8_t, 8>& rows8);
// The same from rows drawn as text, '#' a set pixel, leftmost first; missing rows are blank.
void PatchGlyphRows(Font& f, std::uint8_t code, std::initializer_list<std::string_view> rows);
// Reads a bitmap font that FreeType opens (X11 PCF, gzipped or not) and maps cp866 codes through
// its Unicode charmap. Throws on bad input.
Font LoadBitmapFontAsCp866(const std::filesystem::path& file);
// The font file of the game: width, height, the glyph block and its two trailing bytes.
Bytes FontFileBytes(const Font& f);

// The interface fonts, loaded once by main before any picture is drawn.
struct Fonts {
  Font small;  // 8 x 8
  Font narrow;  // 5 x 8, the buttons' and panels' face
  Font large;  // 8 x 14
};
const Fonts& GetFonts();
void SetFonts(Fonts fonts);

// UTF-8 source text -> cp866 bytes for drawing.
std::string ToCp866(std::string_view utf8);
// Draws text (UTF-8) with a font; scale > 1 enlarges each pixel. Returns the width drawn.
int DrawText(Canvas& cv, const Font& f, int x, int y, std::string_view utf8, std::uint8_t colour,
             int scale = 1);
int TextWidth(const Font& f, std::string_view utf8, int scale = 1);
// Text with a one-pixel black shadow below and right.
void DrawShadowText(Canvas& cv, const Font& f, int x, int y, std::string_view utf8,
                    std::uint8_t colour, int scale = 1);
// Tiny labels on icons (UTF-8): Cyrillic capitals and digits five pixels high.
void DrawTinyText(Canvas& cv, int x, int y, std::string_view utf8, std::uint8_t colour);

// ---- Shapes: objects drawn from parts in their own frame, turned to any facing --------------
struct ShapePart {
  enum Kind { Box, Ball, Tri } kind = Box;
  // Box: x0, y0 .. x1, y1; Ball: centre x0, y0 and radius x1; Tri: (x0,y0) (x1,y1) (x2,y2).
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::uint8_t colour = 0;
};
using Shape = std::vector<ShapePart>;
ShapePart Box(double x0, double y0, double x1, double y1, std::uint8_t c);
ShapePart Ball(double cx, double cy, double r, std::uint8_t c);
ShapePart Tri(double ax, double ay, double bx, double by, double cx, double cy, std::uint8_t c);

// Draws the shape (units of the shape: -1..1 across, nose toward -y) centred at (cx, cy),
// `radius` pixels to the unit, turned `degrees` clockwise. Later parts cover earlier ones.
void DrawShape(Canvas& cv, const Shape& s, double cx, double cy, double radius, double degrees);

// Unit and building looks, shared by the sheets, the icons and the large pictures.
Shape UnitShape(int unitKind, bool loaded = false);
// A person for the infantry frames: facing group 0 north, 1 east, 2 south, 3 west; step 0..2.
void DrawSoldier(Canvas& cv, double cx, double cy, double size, int group, int step, bool heavy);
// Buildings into a canvas of their footprint size (32x32, 48x32, 48x48), phase for animation;
// `lettered` with the two letters of the map sprites (portraits carry their item's tag instead).
void DrawBuilding(Canvas& cv, int buildingKind, int phase, bool lettered = true);
void DrawWormHead(Canvas& cv, double cx, double cy, double open, double rise);

// Subjects of icons and large pictures: a unit or building kind, or one of the specials.
enum class Subject { Unit, Building, Worm, Cancel, Launch, Saboteur, Frigate, Woodsmen, Oskran };
// Draws the subject fitted into (x, y, w, h) of cv; side picks the fixed colours of its
// side-coloured parts. Building kind -18 is the block of four slabs.
void DrawSubject(Canvas& cv, Subject what, int kind, int side, int x, int y, int w, int h);
// An item's tag in the narrow face, light on a dark ground with a shadow: the one label of its
// icon and of its build picture.
void DrawTag(Canvas& cv, int x, int y, std::string_view utf8);
int TagWidth(std::string_view utf8);

// Maps the side pixels 2..9 of a finished picture to a fixed ramp (for pictures that are not
// recoloured by the game: icons, build pictures).
void FixSideColours(Canvas& cv, int side);

// ---- The generated files ---------------------------------------------------------------
struct SheetFile {
  std::string name;   // "army.dat"
  std::size_t bytes;  // the exact size the game reads
  Bytes data;
};
std::vector<SheetFile> BuildSheets(const Bytes& palette);

struct Picture {
  std::string name;  // record name in the archive, at most 12 characters
  Canvas image;
  std::string origin;  // which screen loads it (for the generator's listing)
};
std::vector<Picture> BuildPictures();
Bytes ImgBytes(const Canvas& cv);

// The packed resource archive: 24-byte headers each followed by the record's data.
struct ArchiveRecord {
  std::string name;
  Bytes data;
};
Bytes BuildArchive(const std::vector<ArchiveRecord>& records);

// Frame helpers shared by sheets and icons.
Canvas IconLarge(int n);  // 30 x 22, icons 1..43
Canvas IconSmall(int n);  // 24 x 14, icons 1..18
Canvas PanelPicture();    // 320 x 42

}  // namespace demodata
