// cp1251 <-> UTF-8 at the window system's boundary.
#include <cstdint>
#include <string>

#include "platform/forms.h"

namespace plat {
namespace {

// Code points of cp1251 0x80..0xBF (0 = unassigned); 0xC0..0xFF are U+0410..U+044F.
constexpr std::uint16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char32_t CodePoint(std::uint8_t c) {
  if (c < 0x80) return c;
  if (c >= 0xC0) return 0x0410 + (c - 0xC0);
  return kHigh[c - 0x80];
}

int Cp1251Of(char32_t u) {
  if (u < 0x80) return static_cast<int>(u);
  if (u >= 0x0410 && u <= 0x044F) return static_cast<int>(u - 0x0410 + 0xC0);
  for (int i = 0; i < 64; ++i)
    if (kHigh[i] != 0 && kHigh[i] == u) return 0x80 + i;
  return -1;
}

void AppendUtf8(std::string& out, char32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

}  // namespace

std::string Cp1251ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char ch : text) {
    char32_t u = CodePoint(static_cast<std::uint8_t>(ch));
    if (u != 0 || ch == 0) AppendUtf8(out, u);
  }
  return out;
}

std::string Utf8ToCp1251(const std::string& text) {
  std::string out;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    std::uint8_t c = static_cast<std::uint8_t>(text[i]);
    char32_t u;
    int len;
    if (c < 0x80) {
      u = c;
      len = 1;
    } else if ((c & 0xE0) == 0xC0) {
      u = c & 0x1F;
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      u = c & 0x0F;
      len = 3;
    } else if ((c & 0xF8) == 0xF0) {
      u = c & 0x07;
      len = 4;
    } else {
      ++i;  // stray continuation byte
      continue;
    }
    if (i + len > n) break;
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      std::uint8_t cc = static_cast<std::uint8_t>(text[i + k]);
      if ((cc & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      u = (u << 6) | (cc & 0x3F);
    }
    if (!ok) {
      ++i;
      continue;
    }
    i += len;
    int code = Cp1251Of(u);
    if (code >= 0) out += static_cast<char>(code);
  }
  return out;
}

}  // namespace plat
