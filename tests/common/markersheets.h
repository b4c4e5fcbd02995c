// Sheets whose frames say who they are: every frame is transparent except three pixels at its
// top-left corner (one pixel in) that name the sheet and the frame and carry one side-coloured
// pixel. After a draw, FindMarks reads back which frames landed where, with which side colours.
#pragma once

#include <cstdint>
#include <vector>

#include "game/base/video.h"

namespace markers {

enum Sheet { Sheet16 = 0, Sheet24 = 1, Sheet32 = 2, Sheet48x32 = 3, Sheet48x48 = 4 };

struct Mark {
  int sheet;
  long frame;
  int x, y;  // screen position of the frame's top-left corner
  int sideBase;
  bool operator==(const Mark&) const = default;
};

// Mask copies turn the three marker pixels black: a shadow.
struct Shadow {
  int x, y;
  bool operator==(const Shadow&) const = default;
};

inline constexpr std::uint8_t Background = 250;

inline void FillSheet(zarn::TSheetRef sheet, int id) {
  std::vector<std::uint8_t> bytes(sheet.FrameBytes() * static_cast<std::size_t>(sheet.Capacity), 1);
  for (int n = 1; n <= sheet.Capacity; ++n) {
    std::uint8_t* f = bytes.data() + static_cast<std::size_t>(n - 1) * sheet.FrameBytes();
    // One pixel in from the corner, clear of selection frames drawn around the footprint.
    const std::size_t at = static_cast<std::size_t>(sheet.Width) + 1;
    f[at] = static_cast<std::uint8_t>(30 + n % 200);
    f[at + 1] = static_cast<std::uint8_t>(20 + n / 200 + 2 * id);
    f[at + 2] = 2;  // side-coloured
  }
  zarn::PutSheetFrames(sheet, 1, sheet.Capacity, bytes);
}

inline void LoadMarkerSheets() {
  FillSheet(zarn::TileSheet16.Ref(), Sheet16);
  FillSheet(zarn::SpriteSheet24.Ref(), Sheet24);
  FillSheet(zarn::SpriteSheet32.Ref(), Sheet32);
  FillSheet(zarn::SpriteSheet48x32.Ref(), Sheet48x32);
  FillSheet(zarn::SpriteSheet48x48.Ref(), Sheet48x48);
}

inline void ClearBuffer() { zarn::BackBuffer.fill(Background); }

inline std::uint8_t Px(int x, int y) {
  return zarn::BackBuffer[static_cast<std::size_t>(y * zarn::ScreenWidth + x)];
}

inline std::vector<Mark> FindMarks() {
  std::vector<Mark> out;
  for (int y = 0; y < zarn::ScreenHeight; ++y)
    for (int x = 0; x + 2 < zarn::ScreenWidth; ++x) {
      const int a = Px(x, y), b = Px(x + 1, y);
      if (a < 30 || a >= 230 || b < 20 || b >= 30) continue;
      const int id = (b - 20) / 2, high = (b - 20) % 2;
      out.push_back({id, (a - 30) + 200L * high, x - 1, y - 1, static_cast<std::uint8_t>(Px(x + 2, y) - 2)});
    }
  return out;
}

inline std::vector<Shadow> FindShadows() {
  std::vector<Shadow> out;
  for (int y = 0; y < zarn::ScreenHeight; ++y)
    for (int x = 0; x + 2 < zarn::ScreenWidth; ++x)
      if (Px(x, y) == 0 && Px(x + 1, y) == 0 && Px(x + 2, y) == 0 && (x == 0 || Px(x - 1, y) != 0))
        out.push_back({x - 1, y - 1});
  return out;
}

}  // namespace markers
