// Sheet data files: the frame range and byte count are checked before anything is copied, and
// any frame number then draws inside the buffer or not at all.
#include <cstddef>
#include <cstdint>

#include "game/base/video.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarn;
  // Byte 0 picks the sheet, bytes 1..2 the first frame, byte 3 the count, the rest the file.
  if (size < 4) return 0;
  TSheetRef sheets[] = {TileSheet16.Ref(), SpriteSheet24.Ref(), SpriteSheet32.Ref(),
                        SpriteSheet48x32.Ref(), SpriteSheet48x48.Ref(), LargeIcons.Ref(), SmallIcons.Ref()};
  TSheetRef sheet = sheets[data[0] % 7];
  const int first = static_cast<std::int8_t>(data[1]) * 3 + data[2];
  const int count = data[3];
  PutSheetBytes({data + 4, size - 4}, sheet, first, count, data[0] & 0x80);
  for (long n = first - 1; n <= first + count; ++n) {
    const int x = static_cast<int>(n * 37 % 400) - 40, y = static_cast<int>(n * 53 % 280) - 40;
    DrawSprite16(x, y, n, data[2] % 10);
    DrawMask16(x, y, n);
    DrawTileOpaque(x, y, n);
    DrawSprite24(x, y, n, 3);
    DrawMask24(x, y, n);
    DrawSprite32(x, y, n, 1);
    DrawSprite48x32(x, y, n, 4);
    DrawSprite48x48(x, y, n, 5);
    DrawIconLarge(x, y, n);
    DrawIconSmall(x, y, n);
  }
  return 0;
}
