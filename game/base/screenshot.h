// Screenshots: the back buffer written as a 320 x 200 8-bit BMP with the game's palette.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/base/video.h"

namespace zarn {

#pragma pack(push, 1)
struct TBmpFileHeader {
  std::uint16_t Magic;  // "BM"
  std::uint32_t FileSize;
  std::uint32_t Reserved;
  std::uint32_t PixelOffset;
};
struct TBmpInfoHeader {
  std::uint32_t Size;  // 40
  std::int32_t Width;
  std::int32_t Height;  // positive: rows bottom-up
  std::uint16_t Planes;
  std::uint16_t BitCount;
  std::uint32_t Compression;
  std::uint32_t ImageSize;
  std::int32_t XPelsPerMeter;
  std::int32_t YPelsPerMeter;
  std::uint32_t ColorsUsed;
  std::uint32_t ColorsImportant;
};
#pragma pack(pop)
static_assert(sizeof(TBmpFileHeader) == 14 && offsetof(TBmpFileHeader, FileSize) == 2 &&
              offsetof(TBmpFileHeader, PixelOffset) == 10);
static_assert(sizeof(TBmpInfoHeader) == 40 && offsetof(TBmpInfoHeader, Width) == 4 &&
              offsetof(TBmpInfoHeader, Height) == 8 && offsetof(TBmpInfoHeader, Planes) == 12 &&
              offsetof(TBmpInfoHeader, BitCount) == 14 && offsetof(TBmpInfoHeader, Compression) == 16 &&
              offsetof(TBmpInfoHeader, ImageSize) == 20 && offsetof(TBmpInfoHeader, ColorsUsed) == 32);

inline constexpr std::size_t ScreenshotPixelOffset = 14 + 40 + 1024;                     // 1078
inline constexpr std::size_t ScreenshotFileBytes = ScreenshotPixelOffset + ScreenBytes;  // 65078
inline constexpr int LastScreenshotNumber = 99;

// Picture rows in file order (bottom row first).
inline std::array<std::uint8_t, ScreenBytes> ScreenshotBuffer{};
// Number of the next screenshot file; PrintScreenFile moves it past files already there.
inline std::int32_t ScreenshotNumber = 0;

void CopyScreenRow(int sourceRow, int targetRow);
// The whole BMP image of the back buffer and GamePalette.
std::vector<std::uint8_t> BuildScreenshot();
// Writes the BMP to a game path, replacing an old file only once the new one is complete.
bool SaveScreenshot(std::string_view gamePath);

// "screen" + number padded to two digits + ".bmp".
std::string ScreenshotFileName(int number);
// The Print Screen action: writes the next unused screenNN.bmp in the current folder (after
// the 99th, screen99.bmp is rewritten). Returns the file name, or empty when the write failed.
std::string PrintScreenFile(std::string* failedName = nullptr);
// The message line shown after a shot, in the font code page.
std::string ScreenshotSavedText(std::string_view fileName);
// The message line's text when a shot could not be written (font code page).
std::string ScreenshotNotSavedText(std::string_view fileName);

}  // namespace zarn
