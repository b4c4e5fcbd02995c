#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>

#include "game/base/dvga.h"

using namespace zarn;

namespace {

constexpr std::uint8_t Bg = 0xEE;

void Blank() {
  BackBuffer.fill(Bg);
  ViewState.ViewX = 1;
  ViewState.ViewY = 1;
  ResetClipRect();
}

int Changed() {
  int n = 0;
  for (auto b : BackBuffer) n += b != Bg;
  return n;
}

std::uint8_t Px(int x, int y) { return BackBuffer[static_cast<std::size_t>(y) * 320 + x]; }

// A frame whose every pixel is `value`.
template <typename Sheet>
void FillFrame(Sheet& sheet, int n, std::uint8_t value) {
  std::vector<std::uint8_t> bytes(Sheet::FrameBytes, value);
  ASSERT_TRUE(PutSheetFrames(sheet.Ref(), n, 1, bytes));
}

}  // namespace

TEST(Palette, HiColorTableInBothFormats) {
  GamePalette.fill({0, 0, 0});
  GamePalette[1] = {63, 63, 63};
  GamePalette[2] = {63, 0, 0};
  GamePalette[3] = {0, 63, 0};
  GamePalette[4] = {0, 0, 63};
  GamePalette[5] = {10, 21, 33};

  GameOptions.PaletteType = 0;
  BuildHiColorTable();
  EXPECT_EQ(HiColorTable[0], 0);
  EXPECT_EQ(HiColorTable[1], 0x7FFF);
  EXPECT_EQ(HiColorTable[2], 0x7C00);
  EXPECT_EQ(HiColorTable[3], 0x03E0);
  EXPECT_EQ(HiColorTable[4], 0x001F);
  EXPECT_EQ(HiColorTable[5], (5 << 10) | (10 << 5) | 16);

  GameOptions.PaletteType = 1;
  BuildHiColorTable();
  EXPECT_EQ(HiColorTable[1], 0xFFFF);
  EXPECT_EQ(HiColorTable[2], 0xF800);
  EXPECT_EQ(HiColorTable[3], 0x07E0);  // green keeps all six bits
  EXPECT_EQ(HiColorTable[4], 0x001F);
  EXPECT_EQ(HiColorTable[5], (5 << 11) | (21 << 5) | 16);

  // A component above 63 from a damaged file must not spill into the neighbouring field.
  GamePalette[6] = {0, 0, 255};
  BuildHiColorTable565();
  EXPECT_EQ(HiColorTable[6] & ~0x1F, 0);
  GameOptions.PaletteType = 0;
}

TEST(SideColours, RemapOnlyPixelsTwoToNine) {
  EXPECT_EQ(SideColor(9, 3), 235);
  EXPECT_EQ(SideColor(10, 3), 10);
  EXPECT_EQ(SideColor(1, 3), 1);
  EXPECT_EQ(SideColor(2, 0), 170);
  for (int p = 2; p <= 9; ++p) EXPECT_EQ(SideColor(static_cast<std::uint8_t>(p), 8), p);
  EXPECT_EQ(SideColorBase(9), 0);
  EXPECT_EQ(SideColorBase(-1), 0);

  // A sprite with side colours through the frame copy, and an 8-bit wrap in RecolorRect.
  Blank();
  std::vector<std::uint8_t> frame(256, 1);
  frame[0] = 9;
  frame[1] = 10;
  frame[2] = 2;
  ASSERT_TRUE(PutSheetFrames(TileSheet16.Ref(), 5, 1, frame));
  DrawSprite16Screen(100, 50, 5, 3);
  EXPECT_EQ(Px(100, 50), 235);
  EXPECT_EQ(Px(101, 50), 10);
  EXPECT_EQ(Px(102, 50), 228);
  EXPECT_EQ(Px(103, 50), Bg);  // colour 1 is transparent
  FillBox(0, 0, 3, 0, 9);
  RecolorRect(0, 0, 2, 1, 40, 3);  // 9 + 226 + 40 wraps to 19
  EXPECT_EQ(Px(0, 0), 19);
  EXPECT_EQ(Px(2, 0), 9);
}

TEST(Primitives, LinesAndBoxesClipAtEveryEdge) {
  Blank();
  PutPixel(-1, 0, 7);
  PutPixel(320, 0, 7);
  PutPixel(0, -1, 7);
  PutPixel(0, 200, 7);
  PutPixel(INT_MIN, INT_MAX, 7);
  EXPECT_EQ(Changed(), 0);
  PutPixel(319, 199, 7);
  EXPECT_EQ(Px(319, 199), 7);

  Blank();
  DrawHLine(10, 5, 3, 7);  // x2 < x1: nothing
  DrawVLine(3, 10, 5, 7);
  EXPECT_EQ(Changed(), 0);
  DrawHLine(INT_MIN, INT_MAX, 0, 7);  // whole row, no overflow
  DrawVLine(319, INT_MIN, INT_MAX, 7);
  DrawHLine(0, 319, 200, 7);
  DrawVLine(-1, 0, 199, 7);
  EXPECT_EQ(Changed(), 320 + 199);

  // Swapped corners fill the same box; a box hanging off all four edges fills the screen.
  Blank();
  FillBox(30, 20, 10, 5, 4);
  const auto swapped = BackBuffer;
  Blank();
  FillBox(10, 5, 30, 20, 4);
  EXPECT_EQ(BackBuffer, swapped);
  EXPECT_EQ(Changed(), 21 * 16);
  Blank();
  FillBox(-50, -50, 400, 300, 4);
  EXPECT_EQ(Changed(), 64000);

  // A frame partly off the screen keeps only its visible sides.
  Blank();
  DrawFrame(-5, -5, 9, 9, 3);
  EXPECT_EQ(Changed(), 10 + 9);
  EXPECT_EQ(Px(9, 0), 3);
  EXPECT_EQ(Px(0, 9), 3);
  EXPECT_EQ(Px(8, 8), Bg);

  // PutPixelClipped honours ClipRect, and a clip rectangle wider than the screen still stops
  // at the buffer.
  Blank();
  SetClipRect(10, 20, 10, 20);
  PutPixelClipped(9, 15, 1);
  PutPixelClipped(21, 15, 1);
  PutPixelClipped(15, 21, 1);
  PutPixelClipped(15, 15, 1);
  EXPECT_EQ(Changed(), 1);
  SetClipRect(-1000, 1000, -1000, 1000);
  PutPixelClipped(-1, -1, 1);
  PutPixelClipped(320, 200, 1);
  EXPECT_EQ(Changed(), 1);
  ResetClipRect();

  Blank();
  RecolorRect(310, 190, 50, 50, 0, 0);  // off the corner: no overrun
  RecolorRect(INT_MAX - 1, 0, 10, 10, 0, 0);
  EXPECT_EQ(Changed(), 0);
}

TEST(Primitives, SelectionFrameFollowsTheView) {
  Blank();
  ViewState.ViewX = 3;
  ViewState.ViewY = 2;
  EXPECT_EQ(ScreenXOf(48), 16);
  EXPECT_EQ(ScreenYOf(48), 32);
  DrawSelectionFrame(48, 48, 5);
  EXPECT_EQ(Px(14, 30), 5);
  EXPECT_EQ(Px(34, 50), 5);
  EXPECT_EQ(Px(15, 31), Bg);
  EXPECT_EQ(Changed(), 21 * 2 + 19 * 2);
  Blank();
}

TEST(Sprites, EveryVariantClipsAtEveryEdge) {
  FillFrame(TileSheet16, 1, 20);
  FillFrame(SpriteSheet24, 1, 20);
  FillFrame(SpriteSheet32, 1, 20);
  FillFrame(SpriteSheet48x32, 1, 20);
  FillFrame(SpriteSheet48x48, 1, 20);
  FillFrame(LargeIcons, 1, 20);
  FillFrame(SmallIcons, 1, 20);

  struct Case {
    const char* name;
    int w, h, shift;  // frame size and the offset of its top-left corner from the position
    void (*draw)(int, int);
  };
  const Case cases[] = {
      {"TileTransparent", 16, 16, 0, [](int x, int y) { DrawTileTransparent(x, y, 1); }},
      {"TileClipped", 16, 16, 0, [](int x, int y) { DrawTileClipped(x, y, 1); }},
      {"TileOpaque", 16, 16, 0, [](int x, int y) { DrawTileOpaque(x, y, 1); }},
      {"Sprite16", 16, 16, 0, [](int x, int y) { DrawSprite16(x, y, 1, 2); }},
      {"Sprite16Screen", 16, 16, 0, [](int x, int y) { DrawSprite16Screen(x, y, 1, 2); }},
      {"Mask16", 16, 16, 0, [](int x, int y) { DrawMask16(x, y, 1); }},
      {"Sprite24", 24, 24, -4, [](int x, int y) { DrawSprite24(x, y, 1, 2); }},
      {"Mask24", 24, 24, -4, [](int x, int y) { DrawMask24(x, y, 1); }},
      {"Sprite32", 32, 32, 0, [](int x, int y) { DrawSprite32(x, y, 1, 2); }},
      {"Sprite48x32", 48, 32, 0, [](int x, int y) { DrawSprite48x32(x, y, 1, 2); }},
      {"Sprite48x48", 48, 48, 0, [](int x, int y) { DrawSprite48x48(x, y, 1, 2); }},
      {"IconLarge", 30, 22, 0, [](int x, int y) { DrawIconLarge(x, y, 1); }},
      {"IconSmall", 24, 14, 0, [](int x, int y) { DrawIconSmall(x, y, 1); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Half off each edge and each corner: exactly the visible part is drawn.
    const int hx = c.w / 2, hy = c.h / 2;
    const struct { int x, y, visible; } spots[] = {
        {-hx, 50, (c.w - hx) * c.h},          {320 - hx, 50, hx * c.h},
        {50, -hy, c.w * (c.h - hy)},          {50, 200 - hy, c.w * hy},
        {-hx, -hy, (c.w - hx) * (c.h - hy)},  {320 - hx, 200 - hy, hx * hy},
        {-1000, 50, 0},                       {50, 5000, 0},
        {INT_MIN / 2, INT_MAX / 2, 0},
    };
    for (const auto& s : spots) {
      Blank();
      c.draw(s.x - c.shift, s.y - c.shift);
      EXPECT_EQ(Changed(), s.visible) << "at " << s.x << "," << s.y;
    }
  }
  Blank();
}

TEST(Sprites, FramesOutsideTheLoadedSheetDrawNothing) {
  TileSheet16.Clear();
  FillFrame(TileSheet16, 3, 20);
  Blank();
  for (long n : {0L, -1L, 2L, 4L, 303L, 304L, 100000L}) DrawSprite16Screen(10, 10, n, 0);
  DrawSprite24(10, 10, 63, 0);
  DrawSprite48x48(10, 10, 6, 0);
  DrawIconLarge(10, 10, 44);
  DrawIconSmall(10, 10, 0);
  EXPECT_EQ(Changed(), 0);
  DrawSprite16Screen(10, 10, 3, 0);
  EXPECT_EQ(Changed(), 256);
}

TEST(Sprites, TransparencyMasksAndWideSpritesWriteColourOne) {
  std::vector<std::uint8_t> f16(256, 1), f48(48 * 32, 1);
  f16[0] = 2;
  f16[1] = 30;
  f48[0] = 2;
  ASSERT_TRUE(PutSheetFrames(TileSheet16.Ref(), 7, 1, f16));
  ASSERT_TRUE(PutSheetFrames(SpriteSheet48x32.Ref(), 2, 1, f48));
  Blank();
  DrawMask16(0, 0, 7);
  EXPECT_EQ(Px(0, 0), 0);
  EXPECT_EQ(Px(1, 0), 0);
  EXPECT_EQ(Changed(), 2);
  Blank();
  DrawTileOpaque(0, 0, 7);  // opaque tiles keep colour 1 and no side colours
  EXPECT_EQ(Px(0, 0), 2);
  EXPECT_EQ(Changed(), 256);
  Blank();
  DrawSprite48x32(0, 0, 2, 1);
  EXPECT_EQ(Px(0, 0), 184);
  EXPECT_EQ(Px(47, 31), 1);
  EXPECT_EQ(Changed(), 48 * 32);
  // A 16 x 16 frame half below row 199 draws only its visible rows, from the frame's top.
  Blank();
  DrawSprite16Screen(0, 192, 7, 8);
  EXPECT_EQ(Px(0, 192), 2);
  EXPECT_EQ(Px(1, 192), 30);
  EXPECT_EQ(Changed(), 2);
  // Clipped at the top: rows of the source are skipped, not shifted.
  Blank();
  DrawSprite16Screen(0, -1, 7, 8);
  EXPECT_EQ(Changed(), 0);
}

TEST(Pictures, BlitsClipAndEmptyPicturesDrawNothing) {
  // 40 x 30 picture: row r holds colour r + 10, with one transparent pixel.
  PictureBuffer = {40, 0, 30, 0};
  for (int r = 0; r < 30; ++r)
    for (int c = 0; c < 40; ++c) PictureBuffer.push_back(static_cast<std::uint8_t>(r + 10));
  PictureBuffer[4 + 5] = 1;
  EXPECT_EQ(PictureWidth(), 40);
  EXPECT_EQ(PictureHeight(), 30);

  Blank();
  BlitPicture(300, 190);
  EXPECT_EQ(Changed(), 20 * 10);
  EXPECT_EQ(Px(300, 190), 10);
  Blank();
  BlitPicture(-20, -10);
  EXPECT_EQ(Changed(), 20 * 20);
  EXPECT_EQ(Px(0, 0), 20);
  Blank();
  BlitPictureTransparent(0, 0);
  EXPECT_EQ(Changed(), 40 * 30 - 1);
  Blank();
  BlitPictureRows(0, 0, 10, 5);  // rows 10..14 at the top
  EXPECT_EQ(Px(0, 0), 20);
  EXPECT_EQ(Px(0, 4), 24);
  EXPECT_EQ(Changed(), 40 * 5);
  Blank();
  BlitPictureRows(0, 0, 28, 10);  // beyond the picture: only what it holds
  BlitPictureRows(0, 100, -1, 10);
  BlitPictureRows(0, 100, 30, 1);
  EXPECT_EQ(Changed(), 40 * 2);

  // A buffer that claims more pixels than it holds draws nothing.
  PictureBuffer.resize(100);
  Blank();
  BlitPicture(0, 0);
  EXPECT_EQ(Changed(), 0);
  PictureBuffer.clear();
  BlitPicture(0, 0);
  EXPECT_EQ(Changed(), 0);
}

TEST(Panel, RestorePanelAndScreenFills) {
  PanelCopy.fill(77);
  FillScreen(3);
  RestorePanel();
  EXPECT_EQ(BackBuffer[PanelOffset - 1], 3);
  EXPECT_EQ(BackBuffer[PanelOffset], 77);
  EXPECT_EQ(BackBuffer[63999], 77);
  ClearScreen();
  EXPECT_EQ(std::count(BackBuffer.begin(), BackBuffer.end(), 0), 64000);
}

TEST(SmallRoutines, TerrainBytesAndKeyCode) {
  EXPECT_EQ(MakeTerrainByte(5, 17), 177);
  EXPECT_EQ(TerrainClass(177), 5);
  EXPECT_EQ(TerrainTile(177), 17);
  EXPECT_EQ(TerrainClass(0xFF), 7);
  EXPECT_EQ(TerrainTile(0xFF), 31);
  KeyCode = 27;
  EXPECT_EQ(TakeKeyCode(), 27);
  EXPECT_EQ(TakeKeyCode(), 1976);
  TypedChar = 'q';
  EXPECT_EQ(LastTypedChar(), 'q');
}

TEST(SheetFiles, LoadersCheckSizeAndRangeBeforeChangingAnything) {
  const auto dir = std::filesystem::temp_directory_path() / ("zarn_video_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  auto write = [&](const char* name, std::size_t n, std::uint8_t v) {
    std::ofstream(dir / name, std::ios::binary) << std::string(n, static_cast<char>(v));
    return (dir / name).string();
  };
  SpriteSheet32.Clear();
  const std::string good = write("b32.dat", 2 * 1024, 9);
  EXPECT_EQ(LoadSheetFile(good, SpriteSheet32.Ref(), 4, 2), 0);
  EXPECT_NE(SpriteSheet32.Frame(5), nullptr);
  EXPECT_EQ(SpriteSheet32.Frame(6), nullptr);
  EXPECT_EQ(SpriteSheet32.Frame(5)[1023], 9);

  // Short file, frames past the sheet's end, a missing file: all refused, nothing touched.
  const std::string shortFile = write("short.dat", 1024 + 1023, 5);
  EXPECT_EQ(LoadSheetFile(shortFile, SpriteSheet32.Ref(), 4, 2), DataFileReadError);
  EXPECT_EQ(LoadSheetFile(good, SpriteSheet32.Ref(), 16, 2), DataFileRangeError);
  EXPECT_EQ(LoadSheetFile(good, SpriteSheet32.Ref(), 0, 1), DataFileRangeError);
  EXPECT_EQ(LoadSheetFile((dir / "none.dat").string(), SpriteSheet32.Ref(), 1, 1), DataFileOpenError);
  EXPECT_EQ(LoadSheetFile(dir.string(), SpriteSheet32.Ref(), 1, 1), DataFileOpenError);
  EXPECT_EQ(SpriteSheet32.Frame(4)[0], 9);
  EXPECT_EQ(SpriteSheet32.Frame(16), nullptr);

  // The palette file: 768 bytes of palette, then tiles.
  std::string army(768 + 256, '\0');
  army[0] = 63;
  army[768] = 42;
  std::ofstream(dir / "army.dat", std::ios::binary) << army;
  const auto oldPalette = GamePalette;
  EXPECT_EQ(LoadPaletteSheetFile((dir / "army.dat").string(), TileSheet16.Ref(), 1, 2), DataFileReadError);
  EXPECT_EQ(GamePalette, oldPalette);
  EXPECT_EQ(LoadPaletteSheetFile((dir / "army.dat").string(), TileSheet16.Ref(), 1, 1), 0);
  EXPECT_EQ(GamePalette[0].Red, 63);
  EXPECT_EQ(TileSheet16.Frame(1)[0], 42);

  std::array<std::uint8_t, 10> block{};
  EXPECT_EQ(LoadDataBlock(write("panel.dat", 9, 1), block), DataFileReadError);
  EXPECT_EQ(block[0], 0);
  EXPECT_EQ(LoadDataBlock(write("panel.dat", 10, 1), block), 0);
  EXPECT_EQ(block[9], 1);
  std::filesystem::remove_all(dir);
}
