#include "game/base/cp1251.h"

namespace zarn {

std::string Cp1251ToCp866Str(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(Cp1251ToCp866Char(static_cast<std::uint8_t>(c)));
  return out;
}

std::string ToFontCodePage(std::string_view s) { return Cp1251ToCp866Str(s); }

std::uint8_t Cp866ToCp1251Char(std::uint8_t c) {
  if (c == 240) return 168;
  if (c == 241) return 184;
  if (c >= 128 && c <= 175) return static_cast<std::uint8_t>(c + 64);
  if (c >= 224 && c <= 239) return static_cast<std::uint8_t>(c + 16);
  return c;
}

namespace {

// Unicode code point of a cp1251 byte (0 where cp1251 has none).
char32_t CodePointOfCp1251(std::uint8_t b) {
  static constexpr char32_t high[64] = {
      0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
      0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
      0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
      0,      0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
      0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
      0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
      0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
      0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
  };
  if (b < 0x80) return b;
  if (b >= 0xC0) return 0x0410 + (b - 0xC0);
  return high[b - 0x80];
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  for (char ch : s) {
    const char32_t c = CodePointOfCp1251(static_cast<std::uint8_t>(ch));
    AppendUtf8(out, c ? c : U'?');
  }
  return out;
}

std::string Utf8ToCp1251(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const char32_t c = text_detail::DecodeUtf8(s.data(), s.size(), i);
    int code = text_detail::Cp1251FromCodePoint(c);
    if (code < 0) {
      code = '?';
      for (int b = 0x80; b < 0xC0; ++b)
        if (CodePointOfCp1251(static_cast<std::uint8_t>(b)) == c) code = b;
    }
    out += static_cast<char>(code);
  }
  return out;
}

}  // namespace zarn
