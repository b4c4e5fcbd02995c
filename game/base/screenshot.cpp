#include "game/base/screenshot.h"

#include <cstring>
#include <system_error>

#include "game/base/cp1251.h"
#include "game/base/files.h"

namespace zarn {

void CopyScreenRow(int sourceRow, int targetRow) {
  if (sourceRow < 0 || sourceRow >= ScreenHeight || targetRow < 0 || targetRow >= ScreenHeight) return;
  std::memcpy(ScreenshotBuffer.data() + static_cast<std::size_t>(targetRow) * ScreenWidth,
              BackBuffer.data() + static_cast<std::size_t>(sourceRow) * ScreenWidth, ScreenWidth);
}

std::vector<std::uint8_t> BuildScreenshot() {
  for (int r = 0; r < ScreenHeight; ++r) CopyScreenRow(ScreenHeight - 1 - r, r);

  TBmpFileHeader fh{};
  fh.Magic = 0x4D42;
  fh.FileSize = static_cast<std::uint32_t>(ScreenshotFileBytes);
  fh.PixelOffset = static_cast<std::uint32_t>(ScreenshotPixelOffset);
  TBmpInfoHeader ih{};
  ih.Size = sizeof ih;
  ih.Width = ScreenWidth;
  ih.Height = ScreenHeight;
  ih.Planes = 1;
  ih.BitCount = 8;
  ih.ImageSize = ScreenBytes;

  std::vector<std::uint8_t> out(ScreenshotFileBytes, 0);
  std::memcpy(out.data(), &fh, sizeof fh);
  std::memcpy(out.data() + sizeof fh, &ih, sizeof ih);
  std::uint8_t* pal = out.data() + sizeof fh + sizeof ih;
  for (const TPaletteEntry& e : GamePalette) {
    // 6-bit components scaled to 8 bits; out-of-range values are masked rather than wrapped.
    *pal++ = static_cast<std::uint8_t>((e.Blue & 63) * 4);
    *pal++ = static_cast<std::uint8_t>((e.Green & 63) * 4);
    *pal++ = static_cast<std::uint8_t>((e.Red & 63) * 4);
    *pal++ = 0;
  }
  std::memcpy(out.data() + ScreenshotPixelOffset, ScreenshotBuffer.data(), ScreenBytes);
  return out;
}

bool SaveScreenshot(std::string_view gamePath) {
  const std::vector<std::uint8_t> bytes = BuildScreenshot();
  return ReplaceFileAtomically(NativePath(gamePath), bytes);
}

std::string ScreenshotFileName(int number) {
  std::string digits = std::to_string(number);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
  return "screen" + digits + ".bmp";
}

std::string PrintScreenFile(std::string* failedName) {
  // Earlier sessions' shots stay: start at the first number not yet on disk.
  std::error_code ec;
  if (ScreenshotNumber < 0) ScreenshotNumber = 0;
  while (ScreenshotNumber < LastScreenshotNumber &&
         std::filesystem::exists(NativePath(ScreenshotFileName(ScreenshotNumber)), ec))
    ++ScreenshotNumber;
  if (ScreenshotNumber > LastScreenshotNumber) ScreenshotNumber = LastScreenshotNumber;
  const std::string name = ScreenshotFileName(ScreenshotNumber);
  if (!SaveScreenshot(name)) {
    if (failedName) *failedName = name;
    return {};
  }
  if (ScreenshotNumber < LastScreenshotNumber) ++ScreenshotNumber;
  return name;
}

std::string ScreenshotSavedText(std::string_view fileName) {
  return ToFontCodePage("Файл \""_cp1251) + std::string(fileName) + ToFontCodePage("\" сохранён."_cp1251);
}

std::string ScreenshotNotSavedText(std::string_view fileName) {
  return ToFontCodePage("Файл \""_cp1251) + std::string(fileName) + ToFontCodePage("\" не записан."_cp1251);
}

}  // namespace zarn
