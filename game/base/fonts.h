// 1-bit bitmap fonts (8 x 8 or up to 16 x 16 cells, proportional advance), text drawing through
// the clip rectangle, the bevelled push-buttons of the menus and the file error texts.
//
// Font file: byte width, byte height (1..16 each), then the glyph block: 256 glyphs of 8 bytes
// (one byte per row, bit 7 leftmost) + 2 bytes when both are at most 8, else 256 glyphs of 32
// bytes (16 little-endian u16 rows, bit 15 leftmost) + 2 bytes. Text is drawn in cp866: convert
// interface text with ToFontCodePage first.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "game/base/tables.h"

namespace zarn {

inline constexpr int FontSlots = 10;
inline constexpr int FontMaxCell = 16;
inline constexpr int FontErrorTableFull = 50;
inline constexpr int FontErrorBadHeader = 51;
inline constexpr int FontErrorShort = 100;

struct TFontSlot {
  std::uint8_t Width = 0;
  std::uint8_t Height = 0;
  std::uint8_t Spare[2] = {0, 0};
  // The caller's glyph storage; LoadFont sizes it from the file's header.
  std::vector<std::uint8_t>* Buffer = nullptr;
  bool Wide() const { return Width > 8 || Height > 8; }
  std::span<const std::uint8_t> Glyphs() const;
};

inline Table1<TFontSlot, FontSlots> FontTable{};
inline std::int16_t FontCount = 0;
// Code of the last failed file or font operation (0 = none) and the file it concerned.
inline std::int32_t FileError = 0;
inline std::string ErrorFileName;

inline std::uint16_t MainFont = 0;
inline std::uint16_t SecondFont = 0;
inline std::uint16_t ThirdFont = 0;

std::uint16_t FontDataSize(int width, int height);
// Handle 1..10, or 0 with FileError set (and ErrorFileName naming the file). A buffer that
// already backs a slot reloads that slot. Nothing changes unless the whole font was read.
std::uint16_t LoadFont(std::string_view gamePath, std::vector<std::uint8_t>& buffer);
// The same on a file image in memory (the fuzzer and the tests use it).
std::uint16_t LoadFontBytes(std::string_view name, std::span<const std::uint8_t> file,
                            std::vector<std::uint8_t>& buffer);
// Empties the table (start of a test; the buffers stay with their owners).
void ResetFonts();

// Null for handle 0, an unused slot or a slot whose buffer no longer holds the glyphs.
const TFontSlot* FontOf(int handle);

void DrawGlyph(int x, int y, std::uint8_t colour, const TFontSlot& font, std::uint8_t c);
// Widest row of the glyph: for a row whose lowest set bit is bit k, (cell bits - 1) - k.
std::uint16_t CharWidth(const TFontSlot& font, std::uint8_t c);
int Advance(const TFontSlot& font, std::uint8_t c);
std::uint16_t TextWidth(int font, std::string_view text);
std::uint16_t TextFitCount(int font, int maxWidth, std::string_view text);
void DrawText(int font, int x, int y, std::uint8_t colour, std::string_view text);

void DrawIconFrame(int x, int y);
void DrawButtonFace(int x, int y);
void DrawFlatButtonFace(int x, int y);
// state 1 highlights the caption. Captions are in the font code page.
void DrawButton(int x, int y, std::string_view caption, int state);
void DrawFlatButton(int x, int y, std::string_view caption, int state);

std::string ErrorText(int code);
// What the player is told when a data file fails to load at start-up: the file and what is
// wrong with it (codes of the font, archive and sheet loaders and of the runtime).
std::string FileProblemText(std::string_view gamePath, int code);
// Memory ran out while the file was loaded: the file is not to blame (cp1251).
std::string OutOfMemoryText(std::string_view gamePath);
// Memory ran out with no one file to name (cp1251).
std::string_view OutOfMemoryText();

}  // namespace zarn
