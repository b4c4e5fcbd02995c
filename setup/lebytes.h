// Little-endian numbers in byte strings, as the picture and archive formats store them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace zarn3set {

inline void PutLe16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
inline void PutLe32(std::string& s, std::uint32_t v) {
  PutLe16(s, v & 0xFFFF);
  PutLe16(s, v >> 16);
}
// Reads past the end of `s` give 0: callers check sizes first, a damaged file never reads out.
inline std::uint16_t GetLe16(const std::string& s, std::size_t at) {
  std::uint16_t v = 0;
  if (at <= s.size() && s.size() - at >= 2) std::memcpy(&v, s.data() + at, 2);
  return v;
}
inline std::uint32_t GetLe32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  if (at <= s.size() && s.size() - at >= 4) std::memcpy(&v, s.data() + at, 4);
  return v;
}

}  // namespace zarn3set
