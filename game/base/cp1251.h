// Interface texts are cp1251 bytes; the bitmap fonts are indexed in cp866.
// Sources are UTF-8: write a Russian text once as "..."_cp1251 and it is converted at compile
// time (a character without a cp1251 code is a compile error).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zarn {

namespace text_detail {

// cp1251 code of a Unicode code point, or -1.
constexpr int Cp1251FromCodePoint(char32_t c) {
  if (c < 0x80) return static_cast<int>(c);
  if (c >= 0x0410 && c <= 0x044F) return static_cast<int>(c - 0x0410 + 0xC0);
  switch (c) {
    case 0x0401: return 0xA8;  // Ё
    case 0x0451: return 0xB8;  // ё
    case 0x00A0: return 0xA0;
    case 0x00A9: return 0xA9;
    case 0x00AB: return 0xAB;
    case 0x00BB: return 0xBB;
    case 0x00B0: return 0xB0;
    case 0x00B1: return 0xB1;
    case 0x00B7: return 0xB7;
    case 0x2013: return 0x96;
    case 0x2014: return 0x97;
    case 0x2018: return 0x91;
    case 0x2019: return 0x92;
    case 0x201C: return 0x93;
    case 0x201D: return 0x94;
    case 0x201E: return 0x84;
    case 0x2026: return 0x85;
    case 0x2116: return 0xB9;  // №
    default: return -1;
  }
}

// Decodes one UTF-8 sequence at s[i]; advances i. Returns U+FFFF on malformed input.
constexpr char32_t DecodeUtf8(const char* s, std::size_t n, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  auto cont = [&](std::size_t k) -> char32_t {
    if (i + k >= n) return 0xFFFF0000;
    const auto b = static_cast<unsigned char>(s[i + k]);
    return (b & 0xC0) == 0x80 ? char32_t(b & 0x3F) : char32_t(0xFFFF0000);
  };
  char32_t c = 0xFFFF;
  std::size_t len = 1;
  if (b0 < 0x80) {
    c = b0;
  } else if ((b0 & 0xE0) == 0xC0) {
    c = (char32_t(b0 & 0x1F) << 6) | cont(1);
    len = 2;
  } else if ((b0 & 0xF0) == 0xE0) {
    c = (char32_t(b0 & 0x0F) << 12) | (cont(1) << 6) | cont(2);
    len = 3;
  } else if ((b0 & 0xF8) == 0xF0) {
    c = (char32_t(b0 & 0x07) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3);
    len = 4;
  }
  if (c & 0xFFFF0000) c = 0xFFFF;
  i += len;
  return c;
}

template <std::size_t N>
struct Utf8Literal {
  char bytes[N]{};
  consteval Utf8Literal(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i) bytes[i] = s[i];
  }
  consteval std::size_t Cp1251Length() const {
    std::size_t i = 0, count = 0;
    while (i < N - 1) {
      if (Cp1251FromCodePoint(DecodeUtf8(bytes, N - 1, i)) < 0)
        throw "character without a cp1251 code in a _cp1251 text";
      ++count;
    }
    return count;
  }
};

template <Utf8Literal L>
struct Cp1251Storage {
  static constexpr std::size_t length = L.Cp1251Length();
  static constexpr std::array<char, length + 1> bytes = [] {
    std::array<char, length + 1> out{};
    std::size_t i = 0, k = 0;
    while (i < sizeof(L.bytes) - 1)
      out[k++] = static_cast<char>(Cp1251FromCodePoint(DecodeUtf8(L.bytes, sizeof(L.bytes) - 1, i)));
    return out;
  }();
};

}  // namespace text_detail

// "Привет"_cp1251: the cp1251 bytes of a UTF-8 source text, as a static string_view.
template <text_detail::Utf8Literal L>
constexpr std::string_view operator""_cp1251() {
  return {text_detail::Cp1251Storage<L>::bytes.data(), text_detail::Cp1251Storage<L>::length};
}

// cp1251 -> cp866 for the fonts: Ё 168 -> 240, ё 184 -> 241, А..п 192..239 -> 128..175,
// р..я 240..255 -> 224..239; every other byte unchanged.
constexpr std::uint8_t Cp1251ToCp866Char(std::uint8_t c) {
  if (c == 168) return 240;
  if (c == 184) return 241;
  if (c >= 192 && c <= 239) return static_cast<std::uint8_t>(c - 64);
  if (c >= 240) return static_cast<std::uint8_t>(c - 16);
  return c;
}
std::string Cp1251ToCp866Str(std::string_view s);
// The one conversion that every caller uses before drawing interface text with a font.
std::string ToFontCodePage(std::string_view s);

// Conversions at the file-system and terminal boundary (names on disk are UTF-8).
std::string Cp1251ToUtf8(std::string_view s);
// Characters without a cp1251 code become '?'.
std::string Utf8ToCp1251(std::string_view s);
// The inverse of Cp1251ToCp866Char over the cp866 range that it produces.
std::uint8_t Cp866ToCp1251Char(std::uint8_t c);

}  // namespace zarn
