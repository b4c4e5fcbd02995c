// A tiny PNG writer for test pictures: 8-bit palette images, zlib stored blocks (no
// compression), so a failing picture test can show what it drew.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/system.h"

namespace testpng {

inline std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::uint8_t b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

inline void Chunk(std::vector<std::uint8_t>& out, std::string_view type, std::span<const std::uint8_t> data) {
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  PutU32(out, Crc32(std::span(out).subspan(start)));
}

// pixels: width x height palette indices, row-major; palette: 256 x RGB, 8 bits each.
inline std::vector<std::uint8_t> Encode(int width, int height, std::span<const std::uint8_t> pixels,
                                        std::span<const std::uint8_t, 768> palette) {
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    const auto row = pixels.subspan(static_cast<std::size_t>(y) * width, static_cast<std::size_t>(width));
    raw.insert(raw.end(), row.begin(), row.end());
  }
  std::vector<std::uint8_t> z{0x78, 0x01};
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  for (std::size_t at = 0; at < raw.size(); at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    z.push_back(at + n >= raw.size() ? 1 : 0);
    z.push_back(static_cast<std::uint8_t>(n));
    z.push_back(static_cast<std::uint8_t>(n >> 8));
    z.push_back(static_cast<std::uint8_t>(~n));
    z.push_back(static_cast<std::uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  PutU32(z, (b << 16) | a);

  std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutU32(header, static_cast<std::uint32_t>(width));
  PutU32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 3, 0, 0, 0});  // 8 bits, palette, deflate, no filter, no interlace
  Chunk(out, "IHDR", header);
  Chunk(out, "PLTE", palette);
  Chunk(out, "IDAT", z);
  Chunk(out, "IEND", {});
  return out;
}

inline bool Write(const std::filesystem::path& path, int width, int height, std::span<const std::uint8_t> pixels,
                  std::span<const std::uint8_t, 768> palette) {
  const auto bytes = Encode(width, height, pixels, palette);
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  // Renamed into place: an X check of another program may be reading the picture meanwhile.
  return plat::WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace testpng
