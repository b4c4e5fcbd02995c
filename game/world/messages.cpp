#include "game/world/messages.h"

#include <algorithm>
#include <cstring>

#include "game/base/cp1251.h"
#include "game/base/fonts.h"
#include "game/base/globals.h"
#include "game/base/options.h"

namespace zarn {

namespace {

void Show(TMessageLine& line, int x, int y, std::string_view fontText) {
  if (!GameOptions.MessageEnable) return;
  line.Hidden = 0;
  line.X = static_cast<std::uint16_t>(x);
  line.Y = static_cast<std::uint16_t>(y);
  line.Expiry = WorldTickCount + MessageLineTicks;
  const std::size_t n = std::min<std::size_t>(fontText.size(), MessageLineLength);
  std::memcpy(line.Text, fontText.data(), n);
  line.TextLength = static_cast<std::uint8_t>(n);
}

void Draw(TMessageLine& line) {
  if (line.Hidden) return;
  const std::string text(line.View());
  DrawText(MainFont, line.X + 1, line.Y + 1, 0, text);
  DrawText(MainFont, line.X, line.Y, 15, text);
  if (line.Expiry < WorldTickCount) line.Hidden = 1;
}

}  // namespace

FontText InFontCodePage(std::string_view cp1251Text) { return FontText{ToFontCodePage(cp1251Text)}; }

void ShowMessageLine(const FontText& text) { Show(MessageLine, 5, 140, text.bytes); }

void ShowMessageLine2(std::string_view cp1251Text) {
  // Cut before converting: the conversion keeps one byte per character.
  Show(MessageLine2, 5, 130, ToFontCodePage(cp1251Text.substr(0, MessageLineLength)));
}

void DrawMessageLine() { Draw(MessageLine); }
void DrawMessageLine2() { Draw(MessageLine2); }

void HideMessageLine() { MessageLine.Hidden = 1; }
void HideMessageLine2() { MessageLine2.Hidden = 1; }

}  // namespace zarn
