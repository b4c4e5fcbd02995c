#include "game/base/fonts.h"

#include <algorithm>
#include <bit>

#include "game/base/archive.h"
#include "game/base/cp1251.h"
#include "game/base/files.h"
#include "game/base/video.h"

namespace zarn {

std::span<const std::uint8_t> TFontSlot::Glyphs() const {
  if (Buffer == nullptr) return {};
  return {Buffer->data(), Buffer->size()};
}

std::uint16_t FontDataSize(int width, int height) { return width <= 8 && height <= 8 ? 2050 : 8194; }

std::uint16_t LoadFontBytes(std::string_view name, std::span<const std::uint8_t> file,
                            std::vector<std::uint8_t>& buffer) {
  auto fail = [&](int code) -> std::uint16_t {
    FileError = code;
    ErrorFileName = std::string(name);
    return 0;
  };
  if (FontCount >= FontSlots) return fail(FontErrorTableFull);
  if (file.size() < 2) return fail(FontErrorShort);
  const int width = file[0], height = file[1];
  if (width < 1 || width > FontMaxCell || height < 1 || height > FontMaxCell)
    return fail(FontErrorBadHeader);
  const std::size_t size = FontDataSize(width, height);
  if (file.size() < 2 + size) return fail(FontErrorShort);

  // The whole font is in hand: only now does it take a slot.
  int slot = 0;
  for (int i = 1; i <= FontCount; ++i)
    if (FontTable[i].Buffer == &buffer) slot = i;
  if (slot == 0) slot = ++FontCount;
  buffer.assign(file.begin() + 2, file.begin() + 2 + static_cast<std::ptrdiff_t>(size));
  TFontSlot& f = FontTable[slot];
  f.Width = static_cast<std::uint8_t>(width);
  f.Height = static_cast<std::uint8_t>(height);
  f.Buffer = &buffer;
  return static_cast<std::uint16_t>(slot);
}

std::uint16_t LoadFont(std::string_view gamePath, std::vector<std::uint8_t>& buffer) {
  if (FontCount >= FontSlots) {
    FileError = FontErrorTableFull;
    ErrorFileName = std::string(gamePath);
    return 0;
  }
  std::vector<std::uint8_t> file;
  if (const int code = ReadGameFile(NativePath(gamePath), MaxSheetFileBytes, file)) {
    FileError = code;
    ErrorFileName = std::string(gamePath);
    return 0;
  }
  return LoadFontBytes(gamePath, file, buffer);
}

void ResetFonts() {
  FontTable = {};
  FontCount = 0;
}

const TFontSlot* FontOf(int handle) {
  if (handle < 1 || handle > FontCount) return nullptr;
  const TFontSlot& f = FontTable[handle];
  if (f.Buffer == nullptr || f.Buffer->size() < FontDataSize(f.Width, f.Height)) return nullptr;
  return &f;
}

namespace {

// Row r of glyph c, aligned so that bit (cell bits - 1) is the leftmost pixel.
unsigned GlyphRow(std::span<const std::uint8_t> g, bool wide, std::uint8_t c, int r) {
  if (!wide) return g[static_cast<std::size_t>(c) * 8 + static_cast<std::size_t>(r)];
  const std::size_t at = static_cast<std::size_t>(c) * 32 + static_cast<std::size_t>(r) * 2;
  return g[at] | (g[at + 1] << 8);
}

}  // namespace

void DrawGlyph(int x, int y, std::uint8_t colour, const TFontSlot& font, std::uint8_t c) {
  const std::span<const std::uint8_t> g = font.Glyphs();
  const bool wide = font.Wide();
  if (g.size() < FontDataSize(font.Width, font.Height)) return;
  const int bits = wide ? 16 : 8;
  const int rows = std::min<int>(font.Height, bits);
  for (int r = 0; r < rows; ++r) {
    const unsigned row = GlyphRow(g, wide, c, r);
    if (row == 0) continue;
    for (int col = 0; col < bits; ++col)
      if (row & (1u << (bits - 1 - col))) PutPixelClipped(x + col, y + r, colour);
  }
}

std::uint16_t CharWidth(const TFontSlot& font, std::uint8_t c) {
  const std::span<const std::uint8_t> g = font.Glyphs();
  const bool wide = font.Wide();
  if (g.size() < FontDataSize(font.Width, font.Height)) return 0;
  const int bits = wide ? 16 : 8;
  int widest = 0;
  for (int r = 0; r < bits; ++r) {
    const unsigned row = GlyphRow(g, wide, c, r);
    if (row == 0) continue;
    widest = std::max(widest, bits - 1 - std::countr_zero(row));
  }
  return static_cast<std::uint16_t>(widest);
}

int Advance(const TFontSlot& font, std::uint8_t c) {
  const int w = CharWidth(font, c);
  if (w != 0) return w + 2;
  return std::max(0, font.Width - 2);
}

std::uint16_t TextWidth(int font, std::string_view text) {
  const TFontSlot* f = FontOf(font);
  if (f == nullptr) return 0;
  unsigned total = 0;
  for (const char ch : text) total += static_cast<unsigned>(Advance(*f, static_cast<std::uint8_t>(ch)));
  return static_cast<std::uint16_t>(total);
}

std::uint16_t TextFitCount(int font, int maxWidth, std::string_view text) {
  if (text.empty()) return 2;
  const TFontSlot* f = FontOf(font);
  long total = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int adv = f ? Advance(*f, static_cast<std::uint8_t>(text[i])) : 0;
    if (total + adv >= maxWidth) return static_cast<std::uint16_t>(i + 1);
    total += adv;
  }
  return static_cast<std::uint16_t>(text.size() + 1);
}

namespace {

// The pixels the text inks, unclipped, for the draw log.
void LogText(const TFontSlot& f, int x, int y, std::uint8_t colour, std::string_view text) {
  const std::span<const std::uint8_t> g = f.Glyphs();
  const bool wide = f.Wide();
  const int bits = wide ? 16 : 8, rows = std::min<int>(f.Height, bits);
  int x1 = 1 << 20, y1 = 1 << 20, x2 = -(1 << 20), y2 = -(1 << 20);
  long cx = x;
  for (const char ch : text) {
    const auto c = static_cast<std::uint8_t>(ch);
    for (int r = 0; r < rows; ++r) {
      const unsigned row = GlyphRow(g, wide, c, r);
      if (row == 0) continue;
      const int first = bits - 1 - (std::bit_width(row) - 1), last = bits - 1 - std::countr_zero(row);
      x1 = std::min<int>(x1, static_cast<int>(cx) + first);
      x2 = std::max<int>(x2, static_cast<int>(cx) + last);
      y1 = std::min(y1, y + r);
      y2 = std::max(y2, y + r);
    }
    cx += Advance(f, c);
  }
  if (x2 < x1) return;  // nothing inked
  TDrawnItem item{TDrawnKind::Text, std::string(text), x1, y1, x2, y2, colour};
  const int w = x2 - x1 + 1;
  item.Pixels.assign(static_cast<std::size_t>(w * (y2 - y1 + 1)), 0);
  cx = x;
  for (const char ch : text) {
    const auto c = static_cast<std::uint8_t>(ch);
    for (int r = 0; r < rows; ++r) {
      const unsigned row = GlyphRow(g, wide, c, r);
      for (int b = 0; b < bits; ++b)
        if (row & (1u << (bits - 1 - b))) item.Pixels[static_cast<std::size_t>((y + r - y1) * w + cx + b - x1)] = 1;
    }
    cx += Advance(f, c);
  }
  item.ClipX1 = ClipRect.X1;
  item.ClipY1 = ClipRect.Y1;
  item.ClipX2 = ClipRect.X2;
  item.ClipY2 = ClipRect.Y2;
  DrawLog->push_back(std::move(item));
}

}  // namespace

void DrawText(int font, int x, int y, std::uint8_t colour, std::string_view text) {
  const TFontSlot* f = FontOf(font);
  if (f == nullptr) return;
  if (DrawLog != nullptr) LogText(*f, x, y, colour, text);
  long cx = x;
  for (const char ch : text) {
    if (cx > ClipRect.X2 || cx > ScreenWidth) break;  // the rest lies beyond the right edge
    const auto c = static_cast<std::uint8_t>(ch);
    DrawGlyph(static_cast<int>(cx), y, colour, *f, c);
    cx += Advance(*f, c);
  }
}

void DrawIconFrame(int x, int y) {
  if (DrawLog != nullptr) DrawLog->push_back({TDrawnKind::Frame, "icon frame", x, y, x + 31, y + 22, 44});
  DrawHLine(x, x + 31, y, 44);
  DrawHLine(x + 1, x + 31, y + 22, 54);
  DrawVLine(x, y, y + 21, 44);
  DrawVLine(x + 31, y + 1, y + 21, 54);
  PutPixel(x + 31, y, 48);
  PutPixel(x, y + 22, 48);
}

namespace {

void ButtonFace(int x, int y, int height) {
  const int bottom = y + height - 1;
  if (DrawLog != nullptr) DrawLog->push_back({TDrawnKind::Face, "button", x, y, x + 59, bottom, 48});
  FillBox(x + 1, y + 1, x + 58, bottom - 1, 48);
  DrawHLine(x, x + 58, y, 44);
  DrawHLine(x + 1, x + 59, bottom, 54);
  DrawVLine(x, y, bottom - 1, 44);
  DrawVLine(x + 59, y + 1, bottom, 54);
  PutPixel(x + 59, y, 48);
  PutPixel(x, bottom, 48);
}

void ButtonCaption(int x, int y, std::string_view caption, int state) {
  const int w = TextWidth(SecondFont, caption);
  // A caption wider than the face is centred over it, overhanging both sides (the offset used
  // to wrap round as a byte and threw the caption far to the right).
  const int o = (60 - w) / 2;
  DrawText(SecondFont, x + o + 1, y, 0, caption);
  DrawText(SecondFont, x + o, y + 1, 0, caption);
  DrawText(SecondFont, x + o + 1, y + 1, 0, caption);
  DrawText(SecondFont, x + o, y, state == 1 ? 43 : 12, caption);
}

}  // namespace

void DrawButtonFace(int x, int y) { ButtonFace(x, y, 10); }

void DrawFlatButtonFace(int x, int y) { ButtonFace(x, y, 8); }

void DrawButton(int x, int y, std::string_view caption, int state) {
  DrawButtonFace(x, y);
  ButtonCaption(x, y + 2, caption, state);
}

void DrawFlatButton(int x, int y, std::string_view caption, int state) {
  DrawFlatButtonFace(x, y);
  ButtonCaption(x, y + 1, caption, state);
}

std::string ErrorText(int code) {
  switch (code) {
    case 0: return "Ok";
    case 2: return "File " + ErrorFileName + " not found";
    case 3: return "Path not found";
    case 4: return "Files open too much";
    case 5: return "Access denied";
    case 12: return "Incorrect access code to file";
    case 50: return "Font table is full";
    case 101: return "Need *.hit file";
    default: return "Error";
  }
}

static_assert(FontErrorBadHeader == ArchiveErrorBadHeader && FontErrorShort == DataFileReadError);

std::string OutOfMemoryText(std::string_view gamePath) {
  return std::string("Файл "_cp1251) + std::string(gamePath) + std::string(" не загружен: недостаточно памяти"_cp1251);
}

std::string_view OutOfMemoryText() { return "Недостаточно памяти"_cp1251; }

std::string FileProblemText(std::string_view gamePath, int code) {
  const std::string file = "File " + std::string(gamePath);
  switch (code) {
    case 2: return file + " not found";
    case FontErrorBadHeader:  // the archive's bad record header has the same code
      return file + " is damaged: its header is not valid";
    case FontErrorShort:  // a data file or font shorter than its contents
    case ArchiveErrorRead: return file + " is damaged: it is cut short";
    case 3:
    case 4:
    case 5:
    case 12:
    case 50:
    case 101: return file + ": " + ErrorText(code);
    case NotRegularFileCode: return file + " is not a regular file";
    case FileTooLargeCode: return file + " is larger than a file of its kind can be";
    case OutOfMemoryCode: return OutOfMemoryText(gamePath);
    default: return file + " cannot be read (error " + std::to_string(code) + ")";
  }
}

}  // namespace zarn
