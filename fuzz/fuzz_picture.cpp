// .img records: a picture is taken whole or left empty, and drawing it anywhere stays inside
// the back buffer.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "game/base/archive.h"
#include "game/base/video.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarn;
  // The first four bytes place the picture, the rest is the record.
  if (size < 4) return 0;
  const int x = static_cast<std::int8_t>(data[0]) * 4, y = static_cast<std::int8_t>(data[1]) * 4;
  const int first = data[2], rows = data[3];
  SetPictureFromRecord({data + 4, size - 4});
  BlitPicture(x, y);
  BlitPictureTransparent(x, y);
  BlitPictureRows(x, y, first, rows);
  return 0;
}
