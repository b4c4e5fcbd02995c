// The 320 x 200 back buffer of palette indices, the palette and its 16-bit colour table, the
// sprite sheets and every primitive that draws into the buffer.
//
// Every primitive clips to the buffer: a caller that strays off the screen loses pixels, never
// memory. Frame numbers count from 1; a frame outside the loaded part of a sheet draws nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <span>
#include <string_view>
#include <vector>

namespace zarn {

inline constexpr int ScreenWidth = 320;
inline constexpr int ScreenHeight = 200;
inline constexpr int ScreenBytes = ScreenWidth * ScreenHeight;
inline constexpr int MapViewRows = 158;
inline constexpr int PanelOffset = MapViewRows * ScreenWidth;  // 50560
inline constexpr int PanelBytes = ScreenBytes - PanelOffset;   // 13440
inline constexpr std::uint8_t TransparentColor = 1;

// Row-major, offset = y * 320 + x. Rows 0..157 show the map, rows 158..199 the panel.
inline std::array<std::uint8_t, ScreenBytes> BackBuffer{};
// The second drawing buffer of the same size (kept for screens that compose off-screen).
inline std::array<std::uint8_t, ScreenBytes> SecondBuffer{};
// The control-panel picture (data\panel.dat); RestorePanel copies it over the panel rows.
inline std::array<std::uint8_t, PanelBytes> PanelCopy{};

#pragma pack(push, 1)
// 6-bit components 0..63.
struct TPaletteEntry {
  std::uint8_t Red;
  std::uint8_t Green;
  std::uint8_t Blue;
  bool operator==(const TPaletteEntry&) const = default;
};
#pragma pack(pop)
static_assert(sizeof(TPaletteEntry) == 3);
static_assert(offsetof(TPaletteEntry, Green) == 1 && offsetof(TPaletteEntry, Blue) == 2);

inline std::array<TPaletteEntry, 256> GamePalette{};
inline std::array<std::uint16_t, 256> HiColorTable{};

void BuildHiColorTable555();
void BuildHiColorTable565();
// 5-6-5 when GameOptions.PaletteType is nonzero, else 5-5-5. Rebuild after a palette change.
void BuildHiColorTable();

// Pixels 2..9 of a side-coloured sprite are shifted by this base (8-bit wrap).
std::uint8_t SideColorBase(int side);
std::uint8_t SideColor(std::uint8_t pixel, int side);

// Inclusive bounds honoured by PutPixelClipped (and so by text and the mask cursor).
struct TClipRect {
  std::int32_t X1 = 0;
  std::int32_t X2 = ScreenWidth - 1;
  std::int32_t Y1 = 0;
  std::int32_t Y2 = ScreenHeight - 1;
};
inline TClipRect ClipRect{};
void SetClipRect(std::int32_t left, std::int32_t right, std::int32_t top, std::int32_t bottom);
void ResetClipRect();

// View position at the last terrain draw; (-1, -1) forces the next draw to redo everything.
struct TViewPos {
  std::int32_t X = -1;
  std::int32_t Y = -1;
};
inline TViewPos LastViewPos{};
void ResetLastViewPos();

// Sheets of equal frames, row-major, no header. `Loaded` remembers which frames a data file
// filled, so a frame that never arrived draws nothing rather than garbage.
struct TSheetRef {
  int Width;
  int Height;
  int Capacity;
  std::uint8_t* Pixels;
  bool* Loaded;  // [0] unused; 1..Capacity
  std::size_t FrameBytes() const { return static_cast<std::size_t>(Width) * Height; }
  // Null when n is outside 1..Capacity or the frame was never loaded.
  const std::uint8_t* Frame(long n) const;
};

template <int W, int H, int N>
struct TFrameSheet {
  static constexpr int Width = W;
  static constexpr int Height = H;
  static constexpr int Capacity = N;
  static constexpr std::size_t FrameBytes = static_cast<std::size_t>(W) * H;
  std::array<std::uint8_t, FrameBytes * N> Pixels{};
  std::array<bool, N + 1> Loaded{};
  TSheetRef Ref() { return {W, H, N, Pixels.data(), Loaded.data()}; }
  const std::uint8_t* Frame(long n) const {
    if (n < 1 || n > N || !Loaded[static_cast<std::size_t>(n)]) return nullptr;
    return Pixels.data() + static_cast<std::size_t>(n - 1) * FrameBytes;
  }
  void Clear() {
    Pixels.fill(0);
    Loaded.fill(false);
  }
};

// Capacities are the frames that the data files fill (the highest frame number in use).
inline TFrameSheet<16, 16, 303> TileSheet16;
inline TFrameSheet<24, 24, 62> SpriteSheet24;
inline TFrameSheet<32, 32, 16> SpriteSheet32;
inline TFrameSheet<48, 32, 11> SpriteSheet48x32;
inline TFrameSheet<48, 48, 5> SpriteSheet48x48;
inline TFrameSheet<30, 22, 43> LargeIcons;
inline TFrameSheet<24, 14, 18> SmallIcons;

// Copies `count` frames from bytes into the sheet from frame `first` on and marks them loaded.
// False (sheet untouched) when the frames do not fit the sheet or the bytes are too few.
bool PutSheetFrames(TSheetRef sheet, int first, int count, std::span<const std::uint8_t> bytes);

// Headerless data files. Result 0 ok, 4 the file does not open, 100 the file is shorter than
// the exact byte count, 51 the frames do not fit the sheet. Nothing changes unless 0.
inline constexpr int DataFileOpenError = 4;
inline constexpr int DataFileReadError = 100;
inline constexpr int DataFileRangeError = 51;
int LoadSheetFile(std::string_view gamePath, TSheetRef sheet, int first, int count);
// data\army.dat: 768 palette bytes (6-bit components), then `count` tiles.
int LoadPaletteSheetFile(std::string_view gamePath, TSheetRef sheet, int first, int count);
// A plain block of exactly dest.size() bytes (the panel picture).
int LoadDataBlock(std::string_view gamePath, std::span<std::uint8_t> dest);
// The checks of the two loaders above on bytes already read (also for the fuzzer).
int PutSheetBytes(std::span<const std::uint8_t> bytes, TSheetRef sheet, int first, int count,
                  bool withPalette);

// The last picture loaded by LoadPicture: u16 width, u16 height, pixels. Grows to fit any
// picture; empty (0 x 0) when the last load failed.
inline std::vector<std::uint8_t> PictureBuffer;
int PictureWidth();
int PictureHeight();

// What a frame drew where, kept only while a test points DrawLog at a list (the layout checks
// of every screen); the default, null, costs a test of one pointer.
enum class TDrawnKind : std::uint8_t { Text, Picture, Face, Frame };
struct TDrawnItem {
  TDrawnKind Kind = TDrawnKind::Text;
  std::string Name;               // the text (font code page) or the picture's record name
  int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;  // inclusive, unclipped: a text's inked pixels, else the rect
  std::uint8_t Colour = 0;
  bool Transparent = false;       // pictures: colour 1 left out
  std::vector<std::uint8_t> Pixels;  // pictures: the copied pixels; texts: 1 where inked; row-major
  int ClipX1 = 0, ClipY1 = 0, ClipX2 = 0, ClipY2 = 0;  // texts: the clip rectangle in force
};
inline std::vector<TDrawnItem>* DrawLog = nullptr;
// Name of the picture in PictureBuffer (for the log).
inline std::string PictureName;

// Terrain byte: class in bits 5..7, tile in bits 0..4.
constexpr std::uint8_t MakeTerrainByte(int terrainClass, int tile) {
  return static_cast<std::uint8_t>(tile + terrainClass * 32);
}
constexpr int TerrainClass(std::uint8_t b) { return (b >> 5) & 7; }
constexpr int TerrainTile(std::uint8_t b) { return b & 31; }

// Returns the pending key code and marks it taken (1976).
std::int32_t TakeKeyCode();
std::uint8_t LastTypedChar();

// Screen primitives.
void PutPixel(int x, int y, std::uint8_t colour);
void PutPixelClipped(int x, int y, std::uint8_t colour);
void DrawHLine(int x1, int x2, int y, std::uint8_t colour);
void DrawVLine(int x, int y1, int y2, std::uint8_t colour);
void FillBox(int x1, int y1, int x2, int y2, std::uint8_t colour);
void DrawFrame(int x1, int y1, int x2, int y2, std::uint8_t colour);
void DrawSelectionFrame(int px, int py, std::uint8_t colour);
void RecolorRect(int x, int y, int width, int height, int offset, int side);
void RestorePanel();
void ClearScreen();
void FillScreen(std::uint8_t colour);
void DrawIconLarge(int x, int y, long n);
void DrawIconSmall(int x, int y, long n);

// Pictures from PictureBuffer.
void BlitPicture(int x, int y);
void BlitPictureTransparent(int x, int y);
void BlitPictureRows(int x, int y, int first, int n);

// Screen position of a world pixel position under the current view.
int ScreenXOf(int px);
int ScreenYOf(int py);

// Sheet frames at world pixel positions (the cell's top-left corner).
void DrawTileTransparent(int px, int py, long n);
void DrawTileClipped(int px, int py, long n);
void DrawTileOpaque(int px, int py, long n);
void DrawSprite16(int px, int py, long n, int side);
void DrawSprite16Screen(int x, int y, long n, int side);
void DrawMask16(int px, int py, long n);
void DrawSprite24(int px, int py, long n, int side);
void DrawMask24(int px, int py, long n);
void DrawSprite32(int px, int py, long n, int side);
void DrawSprite48x32(int px, int py, long n, int side);
void DrawSprite48x48(int px, int py, long n, int side);

// The one frame copy behind them all, clipped to the buffer.
enum class TFrameMode : std::uint8_t {
  Opaque,       // every pixel written
  Transparent,  // colour 1 skipped
  Mask,         // colour 1 skipped, every other pixel written as 0
};
inline constexpr int NoRecolor = -1;
void CopyFrame(const std::uint8_t* src, int width, int height, int x, int y, TFrameMode mode,
               int side);

}  // namespace zarn
