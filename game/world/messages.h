// Showing, drawing and hiding the two message lines over the map.
#pragma once

#include <string>
#include <string_view>

#include "game/base/messagelines.h"

namespace zarn {

// Text that is already in the fonts' code page. Line 1 takes only this, line 2 only cp1251
// text, so the compiler stops a text from being converted twice or not at all.
struct FontText {
  std::string bytes;
};
// Converts a cp1251 interface text for the fonts.
FontText InFontCodePage(std::string_view cp1251Text);
// Wraps a text stored in the fonts' code page already (some panel captions are).
inline FontText AlreadyInFontCodePage(std::string_view fontText) { return FontText{std::string(fontText)}; }

constexpr int MessageLineTicks = 90;

// Line 1, at (5, 140), for 90 world ticks; nothing when the player switched messages off.
void ShowMessageLine(const FontText& text);
// Line 2, at (5, 130), for 90 world ticks: chat and network texts, given in cp1251.
void ShowMessageLine2(std::string_view cp1251Text);

// Once per drawn play frame. A line is drawn for the last time in the frame in which its
// expiry has passed; expiry counts world ticks, so a paused world keeps it up.
void DrawMessageLine();
void DrawMessageLine2();

void HideMessageLine();
void HideMessageLine2();

}  // namespace zarn
