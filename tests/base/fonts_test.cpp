#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <utility>

#include "game/base/dvga.h"

using namespace zarn;

namespace {

// An 8 x 8 font: 'A' fills columns 0..4 of every row, 'B' only column 0 of row 2, the rest
// (space included) blank.
std::vector<std::uint8_t> SmallFont(int width = 8, int height = 8) {
  std::vector<std::uint8_t> f = {static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(height)};
  f.resize(2 + 2050, 0);
  for (int r = 0; r < 8; ++r) f[2 + 'A' * 8 + r] = 0xF8;
  f[2 + 'B' * 8 + 2] = 0x80;
  return f;
}

// A 16 x 16 font: 'W' has row 12 spanning columns 0..11 (bits 15..4), the first eight rows
// narrower; 'N' is only eight columns wide.
std::vector<std::uint8_t> WideFont() {
  std::vector<std::uint8_t> f = {16, 16};
  f.resize(2 + 8194, 0);
  auto row = [&](int c, int r, std::uint16_t bits) {
    f[2 + c * 32 + r * 2] = static_cast<std::uint8_t>(bits);
    f[2 + c * 32 + r * 2 + 1] = static_cast<std::uint8_t>(bits >> 8);
  };
  row('W', 0, 0xC000);
  row('W', 12, 0xFFF0);
  row('N', 3, 0xFF00);
  return f;
}

class Fonts : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFonts();
    FileError = 0;
    ErrorFileName.clear();
    ResetClipRect();
    BackBuffer.fill(0);
  }
  void TearDown() override { ResetFonts(); }
  std::vector<std::uint8_t> buffers[12];
};

int Lit() { return static_cast<int>(std::count_if(BackBuffer.begin(), BackBuffer.end(), [](auto b) { return b != 0; })); }

}  // namespace

TEST_F(Fonts, SlotsAreCountedOnlyForFullLoadsAndReusedPerBuffer) {
  EXPECT_EQ(FontDataSize(8, 8), 2050);
  EXPECT_EQ(FontDataSize(8, 9), 8194);
  EXPECT_EQ(FontDataSize(9, 8), 8194);

  ASSERT_EQ(LoadFontBytes("a.fnt", SmallFont(), buffers[0]), 1);
  EXPECT_EQ(buffers[0].size(), 2050u);
  EXPECT_EQ(LoadFontBytes("a.fnt", SmallFont(6, 7), buffers[0]), 1);  // same buffer, same slot
  EXPECT_EQ(FontCount, 1);
  EXPECT_EQ(FontTable[1].Width, 6);

  // A 16-pixel font into a buffer that held an 8-pixel one: the buffer is resized, not overrun.
  ASSERT_EQ(LoadFontBytes("w.fnt", WideFont(), buffers[0]), 1);
  EXPECT_EQ(buffers[0].size(), 8194u);

  struct Bad {
    const char* what;
    std::vector<std::uint8_t> file;
    int code;
  };
  auto cut = SmallFont();
  cut.pop_back();
  auto wideAsSmall = WideFont();
  wideAsSmall.resize(2 + 2050);
  const Bad bad[] = {
      {"width 0", SmallFont(0, 8), FontErrorBadHeader},
      {"height 0", SmallFont(8, 0), FontErrorBadHeader},
      {"width 17", {17, 8}, FontErrorBadHeader},
      {"height 200", {8, 200}, FontErrorBadHeader},
      {"one byte short", cut, FontErrorShort},
      {"16-pixel header over an 8-pixel block", wideAsSmall, FontErrorShort},
      {"no header", {}, FontErrorShort},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.what);
    buffers[1] = {7};
    EXPECT_EQ(LoadFontBytes("bad.fnt", b.file, buffers[1]), 0);
    EXPECT_EQ(FileError, b.code);
    EXPECT_EQ(ErrorFileName, "bad.fnt");
    EXPECT_EQ(FontCount, 1);
    EXPECT_EQ(buffers[1], std::vector<std::uint8_t>{7});
  }

  for (int i = 2; i <= 10; ++i) ASSERT_EQ(LoadFontBytes("f", SmallFont(), buffers[i]), i);
  EXPECT_EQ(LoadFontBytes("f", SmallFont(), buffers[11]), 0);
  EXPECT_EQ(FileError, 50);
  EXPECT_EQ(ErrorText(FileError), "Font table is full");
  EXPECT_TRUE(buffers[11].empty());
}

TEST_F(Fonts, FileErrorsNameTheFile) {
  const auto dir = std::filesystem::temp_directory_path() / ("zarn_fonts_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string missing = (dir / "latrus3.fnt").string();
  EXPECT_EQ(LoadFont(missing, buffers[0]), 0);
  EXPECT_EQ(FileError, 2);
  EXPECT_EQ(ErrorText(FileError), "File " + missing + " not found");
  EXPECT_EQ(FontCount, 0);

  const auto bytes = SmallFont();
  std::ofstream(missing, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  EXPECT_EQ(LoadFont(missing, buffers[0]), 1);
  const std::pair<int, const char*> texts[] = {
      {0, "Ok"},           {3, "Path not found"},  {4, "Files open too much"}, {5, "Access denied"},
      {12, "Incorrect access code to file"}, {50, "Font table is full"}, {101, "Need *.hit file"},
      {1, "Error"},        {77, "Error"},          {-2, "Error"}};
  for (const auto& [code, text] : texts) EXPECT_EQ(ErrorText(code), text) << code;
  std::filesystem::remove_all(dir);
}

TEST_F(Fonts, WidthsAdvancesAndFitting) {
  const int small = LoadFontBytes("s", SmallFont(), buffers[0]);
  const TFontSlot& s = *FontOf(small);
  EXPECT_EQ(CharWidth(s, 'A'), 4);  // lowest set bit is bit 3
  EXPECT_EQ(Advance(s, 'A'), 6);
  EXPECT_EQ(CharWidth(s, 'B'), 0);  // bit 7 only: a one-pixel glyph measures 0
  EXPECT_EQ(Advance(s, ' '), 6);    // blank glyphs advance by the cell width - 2
  EXPECT_EQ(TextWidth(small, "AA "), 18);
  EXPECT_EQ(TextWidth(0, "AA"), 0);
  EXPECT_EQ(TextWidth(5, "AA"), 0);

  EXPECT_EQ(TextFitCount(small, 100, ""), 2);
  EXPECT_EQ(TextFitCount(small, 0, "A"), 1);
  EXPECT_EQ(TextFitCount(small, 12, "AAA"), 2);   // 6 fits, 6 + 6 reaches 12
  EXPECT_EQ(TextFitCount(small, 13, "AA"), 3);    // all fit
  EXPECT_EQ(TextFitCount(small, 13, "AAA"), 3);

  // 16-pixel fonts are measured on their own 16-bit rows, all sixteen of them.
  const int wide = LoadFontBytes("w", WideFont(), buffers[1]);
  const TFontSlot& w = *FontOf(wide);
  EXPECT_EQ(CharWidth(w, 'W'), 11);  // row 12: lowest set bit 4 -> 15 - 4
  EXPECT_EQ(CharWidth(w, 'N'), 7);   // bits 15..8
  EXPECT_EQ(Advance(w, ' '), 14);
}

TEST_F(Fonts, TextIsDrawnThroughTheClipRectangle) {
  const int small = LoadFontBytes("s", SmallFont(), buffers[0]);
  DrawText(small, 10, 20, 5, "AB");
  EXPECT_EQ(Lit(), 5 * 8 + 1);
  EXPECT_EQ(BackBuffer[20 * 320 + 10], 5);
  EXPECT_EQ(BackBuffer[20 * 320 + 15], 0);
  EXPECT_EQ(BackBuffer[22 * 320 + 16], 5);  // 'B' one advance (6) further on

  BackBuffer.fill(0);
  SetClipRect(12, 100, 0, 22);
  DrawText(small, 10, 20, 5, "A");
  EXPECT_EQ(Lit(), 3 * 3);
  ResetClipRect();

  // Off every edge of the screen: nothing written outside the buffer.
  BackBuffer.fill(0);
  DrawText(small, -3, -3, 5, "A");
  DrawText(small, 318, 198, 5, "AAAA");
  EXPECT_EQ(Lit(), 2 * 5 + 2 * 2);

  const int wide = LoadFontBytes("w", WideFont(), buffers[1]);
  BackBuffer.fill(0);
  DrawText(wide, 0, 0, 9, "W");
  EXPECT_EQ(Lit(), 2 + 12);
  EXPECT_EQ(BackBuffer[12 * 320 + 11], 9);
  BackBuffer.fill(0);
  DrawText(0, 0, 0, 9, "W");  // handle 0 draws nothing
  EXPECT_EQ(Lit(), 0);
}

TEST_F(Fonts, ButtonsAndFrames) {
  SecondFont = static_cast<std::uint16_t>(LoadFontBytes("s", SmallFont(), buffers[0]));
  auto px = [](int x, int y) { return BackBuffer[static_cast<std::size_t>(y) * 320 + x]; };
  DrawButton(100, 50, "A", 1);
  EXPECT_EQ(px(100, 50), 44);
  EXPECT_EQ(px(158, 50), 44);
  EXPECT_EQ(px(159, 50), 48);
  EXPECT_EQ(px(100, 59), 48);
  EXPECT_EQ(px(101, 59), 54);
  EXPECT_EQ(px(159, 59), 54);
  EXPECT_EQ(px(100, 58), 44);
  EXPECT_EQ(px(159, 51), 54);
  // Caption "A" is 6 wide: offset 27; highlighted top-left at (127, 52), shadow right and below.
  EXPECT_EQ(px(127, 52), 43);
  EXPECT_EQ(px(131, 52), 43);
  EXPECT_EQ(px(132, 53), 0);
  EXPECT_EQ(px(110, 55), 48);

  BackBuffer.fill(0);
  DrawFlatButton(0, 0, "A", 0);
  EXPECT_EQ(px(1, 7), 54);
  EXPECT_EQ(px(0, 7), 48);
  EXPECT_EQ(px(27, 1), 12);
  EXPECT_EQ(px(1, 6), 48);

  BackBuffer.fill(0);
  DrawIconFrame(10, 10);
  EXPECT_EQ(px(10, 10), 44);
  EXPECT_EQ(px(41, 10), 48);
  EXPECT_EQ(px(10, 32), 48);
  EXPECT_EQ(px(41, 32), 54);
  EXPECT_EQ(Lit(), 32 + 31 + 21 + 21 + 1);  // corners shared with the lines

  // A caption wider than the face (11 x 6 = 66 pixels) is centred over it, not thrown right.
  BackBuffer.fill(0);
  DrawButton(100, 50, "AAAAAAAAAAA", 1);
  EXPECT_EQ(px(97, 52), 43);
  EXPECT_EQ(px(170, 52), 0);
  SecondFont = 0;
}
