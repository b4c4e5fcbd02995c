#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/base/dvga.h"

using namespace zarn;

namespace {

// A minimal reader of 8-bit uncompressed BMP files, written from the format alone.
struct Bmp {
  int width = 0, height = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  std::vector<std::uint8_t> pixels;    // top row first
};

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | b.at(at + static_cast<std::size_t>(i));
  return v;
}

bool ReadBmp(const std::filesystem::path& path, Bmp& out) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || Le(b, 2, 4) != b.size()) return false;
  if (Le(b, 14, 4) != 40 || Le(b, 26, 2) != 1 || Le(b, 28, 2) != 8 || Le(b, 30, 4) != 0) return false;
  out.width = static_cast<int>(Le(b, 18, 4));
  out.height = static_cast<int>(Le(b, 22, 4));
  const std::size_t colours = Le(b, 46, 4) ? Le(b, 46, 4) : 256;
  for (std::size_t i = 0; i < colours; ++i) {
    const std::size_t at = 14 + 40 + i * 4;
    out.palette.push_back(static_cast<std::uint32_t>(b.at(at + 2)) << 16 | b.at(at + 1) << 8 | b.at(at));
  }
  const std::size_t stride = (static_cast<std::size_t>(out.width) + 3) / 4 * 4;
  const std::size_t offset = Le(b, 10, 4);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x)
      out.pixels.push_back(b.at(offset + static_cast<std::size_t>(out.height - 1 - y) * stride +
                                static_cast<std::size_t>(x)));
  return true;
}

// Runs in a fresh temporary folder, as the program runs in its own.
class InTempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() / ("zarn_shots_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
    ScreenshotNumber = 0;
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
    ScreenshotNumber = 0;
  }
  std::filesystem::path old_, dir_;
};

}  // namespace

TEST_F(InTempFolder, ScreenshotIsAnExactBmpOfTheBufferAndPalette) {
  for (int i = 0; i < 256; ++i)
    GamePalette[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i & 63),
                                                static_cast<std::uint8_t>((i / 2) & 63),
                                                static_cast<std::uint8_t>(63 - (i & 63))};
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 320; ++x) BackBuffer[static_cast<std::size_t>(y) * 320 + x] = static_cast<std::uint8_t>(x ^ y);

  ASSERT_TRUE(SaveScreenshot("shot.bmp"));
  EXPECT_EQ(std::filesystem::file_size("shot.bmp"), 65078u);
  Bmp bmp;
  ASSERT_TRUE(ReadBmp("shot.bmp", bmp));
  EXPECT_EQ(bmp.width, 320);
  EXPECT_EQ(bmp.height, 200);
  ASSERT_EQ(bmp.palette.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    const auto& e = GamePalette[static_cast<std::size_t>(i)];
    EXPECT_EQ(bmp.palette[static_cast<std::size_t>(i)],
              static_cast<std::uint32_t>(e.Red * 4) << 16 | (e.Green * 4) << 8 | (e.Blue * 4))
        << i;
  }
  ASSERT_EQ(bmp.pixels.size(), 64000u);
  EXPECT_TRUE(std::equal(bmp.pixels.begin(), bmp.pixels.end(), BackBuffer.begin()));

  // The fixed header fields a viewer relies on.
  std::ifstream in("shot.bmp", std::ios::binary);
  const std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(Le(b, 10, 4), 1078u);
  EXPECT_EQ(Le(b, 34, 4), 64000u);
  EXPECT_EQ(Le(b, 6, 4), 0u);
  // File row 0 is the bottom row of the picture.
  EXPECT_EQ(b[1078], BackBuffer[199 * 320]);
}

TEST_F(InTempFolder, PrintScreenSkipsExistingShotsAndStopsAt99) {
  BackBuffer.fill(3);
  std::ofstream("screen00.bmp") << "old";
  std::ofstream("SCREEN01.BMP") << "old";  // other capitals count as taken too
  EXPECT_EQ(PrintScreenFile(), "screen02.bmp");
  EXPECT_EQ(ScreenshotNumber, 3);
  EXPECT_EQ(std::filesystem::file_size("screen00.bmp"), 3u);
  EXPECT_EQ(PrintScreenFile(), "screen03.bmp");

  ScreenshotNumber = 98;
  EXPECT_EQ(PrintScreenFile(), "screen98.bmp");
  EXPECT_EQ(PrintScreenFile(), "screen99.bmp");
  EXPECT_EQ(ScreenshotNumber, 99);
  BackBuffer.fill(4);
  EXPECT_EQ(PrintScreenFile(), "screen99.bmp");  // rewritten by every later shot
  Bmp bmp;
  ASSERT_TRUE(ReadBmp("screen99.bmp", bmp));
  EXPECT_EQ(bmp.pixels[0], 4);

  EXPECT_EQ(ScreenshotFileName(7), "screen07.bmp");
  const std::string text = ScreenshotSavedText("screen07.bmp");
  EXPECT_EQ(text, ToFontCodePage("Файл \""_cp1251) + "screen07.bmp" + ToFontCodePage("\" сохранён."_cp1251));
}

TEST_F(InTempFolder, FailedWriteKeepsTheOldFile) {
  std::filesystem::create_directory("locked");
  std::ofstream("locked/shot.bmp") << "old";
  // The temporary name taken by a folder: the write fails for root too.
  const std::filesystem::path blocker = "locked/shot.bmp.tmp" + std::to_string(::getpid());
  std::filesystem::create_directory(blocker);
  EXPECT_FALSE(SaveScreenshot("locked\\shot.bmp"));
  std::filesystem::remove(blocker);
  EXPECT_EQ(std::filesystem::file_size("locked/shot.bmp"), 3u);
  std::filesystem::create_directory("locked/dir.bmp");
  EXPECT_FALSE(SaveScreenshot("locked\\dir.bmp"));
  EXPECT_TRUE(std::filesystem::is_directory("locked/dir.bmp"));
}

TEST(TimeTexts, MinutesSecondsHoursAndNegatives) {
  EXPECT_EQ(TicksToMinSec(1100), "1:00");
  EXPECT_EQ(TicksToMinSec(200), "0:10");
  EXPECT_EQ(TicksToMinSec(0), "0:00");
  EXPECT_EQ(TicksToMinSec(18), "0:00");
  EXPECT_EQ(TicksToMinSec(19), "0:01");
  EXPECT_EQ(TicksToMinSec(65600), "60:04");
  EXPECT_EQ(TicksToMinSec(-200), "-0:10");
  EXPECT_EQ(TicksToMinSec(-1100), "-1:00");
  EXPECT_EQ(TicksToHourMinSec(65600), "1:00:04");
  EXPECT_EQ(TicksToHourMinSec(0), "0:00:00");
  EXPECT_EQ(TicksToHourMinSec(-65600), "-1:00:04");
  EXPECT_FALSE(TicksToMinSec(INT64_MIN).empty());
}

TEST(SmallTexts, SideNamesAndPadding) {
  const std::string_view names[] = {"Горвассен"_cp1251, "Алмирет"_cp1251,  "Теликс"_cp1251,
                                     "Древокари"_cp1251, "Оскран"_cp1251,   "Железяка"_cp1251,
                                     "Чужой"_cp1251,     "Терран"_cp1251,   "Теневик"_cp1251};
  for (int side = 0; side < 9; ++side) EXPECT_EQ(SideName(side), names[side]) << side;
  EXPECT_EQ(SideName(9), "");
  EXPECT_EQ(SideName(-1), "");
  EXPECT_EQ(PadString("7", 2, '0', true), "07");
  EXPECT_EQ(PadString("7", 3, '.', false), "7..");
  EXPECT_EQ(PadString("1234", 2, '0', true), "1234");
  EXPECT_EQ(PadString("", -5, '0', true), "");
}
