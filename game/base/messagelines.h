// The two timed one-line notices over the map: line 1 for the game's own notices, line 2
// (ten pixels higher) for chat and network texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zarn {

constexpr int MessageLineLength = 40;

#pragma pack(push, 1)
struct TMessageLine {
  std::uint16_t X;                     // screen position of the text
  std::uint16_t Y;
  std::int32_t Expiry;                 // WorldTickCount after which the line hides
  std::uint8_t TextLength;             // short string: length, then the characters
  char Text[MessageLineLength];        // in the fonts' code page
  std::uint8_t Hidden;                 // 1 = not shown

  std::string_view View() const {
    return {Text, TextLength <= MessageLineLength ? TextLength : static_cast<std::size_t>(MessageLineLength)};
  }
};
#pragma pack(pop)
static_assert(sizeof(TMessageLine) == 50);
static_assert(offsetof(TMessageLine, X) == 0);
static_assert(offsetof(TMessageLine, Y) == 2);
static_assert(offsetof(TMessageLine, Expiry) == 4);
static_assert(offsetof(TMessageLine, TextLength) == 8);
static_assert(offsetof(TMessageLine, Text) == 9);
static_assert(offsetof(TMessageLine, Hidden) == 49);

inline TMessageLine MessageLine{5, 140, 0, 0, {}, 1};
inline TMessageLine MessageLine2{5, 130, 0, 0, {}, 1};

}  // namespace zarn
