// Font files: loading is all or nothing, and measuring and drawing any text in a loaded font
// stays inside the glyph block and the back buffer.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "game/base/fonts.h"
#include "game/base/video.h"

namespace {

void LoadAndDraw(const std::uint8_t* data, std::size_t size) {
  using namespace zarn;
  ResetFonts();
  static std::vector<std::uint8_t> buffer;
  const int font = LoadFontBytes("fuzz.fnt", {data, size}, buffer);
  if (font == 0) return;
  std::string text;
  for (int c = 0; c < 256; ++c) text.push_back(static_cast<char>(c));
  TextWidth(font, text);
  TextFitCount(font, 200, text);
  DrawText(font, -20, 190, 15, text);
  DrawText(font, 300, -5, 15, text);
  SecondFont = static_cast<std::uint16_t>(font);
  DrawButton(280, 195, text.substr(32, 20), 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LoadAndDraw(data, size);
  // Short inputs also run padded to a full glyph block, so the glyph paths see fuzzed rows.
  std::vector<std::uint8_t> padded(data, data + size);
  if (padded.size() < 2 + 8194) padded.resize(2 + 8194, 0);
  LoadAndDraw(padded.data(), padded.size());
  return 0;
}
