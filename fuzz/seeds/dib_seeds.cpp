// dib_seeds DIR: writes small BMP files of every kind the loader takes (each bit count, masks,
// run-length 8 and 4, the old core header, top-down rows), for the BMP fuzz target to start
// from: random bytes seldom get past the headers. Each one is checked to load before it is written.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/dx/DIB.h"

namespace {

using namespace zarn;
using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A BMP around a header of `headerSize` (40 or 12), its colour table and pixel bytes.
Bytes Assemble(int headerSize, int width, int height, int bits, std::uint32_t compression,
               int colours, const Bytes& pixels) {
  const int entry = headerSize == 12 ? 3 : 4;
  Bytes b;
  const std::uint32_t offset = 14 + headerSize + colours * entry;
  Put16(b, 0x4D42);
  Put32(b, offset + static_cast<std::uint32_t>(pixels.size()));
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, static_cast<std::uint32_t>(headerSize));
  if (headerSize == 12) {
    Put16(b, static_cast<std::uint32_t>(width));
    Put16(b, static_cast<std::uint32_t>(height));
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(bits));
  } else {
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(height));
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(bits));
    Put32(b, compression);
    Put32(b, static_cast<std::uint32_t>(pixels.size()));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, static_cast<std::uint32_t>(colours));
    Put32(b, 0);
  }
  for (int i = 0; i < colours; ++i)
    for (int k = 0; k < entry; ++k) b.push_back(static_cast<std::uint8_t>(i * 40 + k * 17));
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

bool Write(const std::filesystem::path& dir, const std::string& name, const Bytes& bytes) {
  TDIB check;
  try {
    check.LoadFromBytes(bytes);
    check.Decompress();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dib_seeds: %s does not load: %s\n", name.c_str(), e.what());
    return false;
  }
  std::ofstream out(dir / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dib_seeds DIR\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  bool ok = true;
  // The writer's own files, one per bit count.
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    TDIB d;
    if (bits == 16) d.SetPixelFormat(MakeDIBPixelFormat(5, 6, 5));
    d.SetSize(7, 5, bits);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) d.SetPixel(x, y, static_cast<std::uint32_t>(x * 37 + y * 101));
    ok &= Write(dir, "plain" + std::to_string(bits) + ".bmp", d.SaveToBytes());
  }
  // Run-length 8: a run, a literal, a move (delta), end of line, end of picture.
  ok &= Write(dir, "rle8.bmp",
              Assemble(40, 8, 4, 8, 1, 4,
                       {3, 1, 0, 3, 2, 3, 1, 0, 0, 2, 1, 1, 0, 0, 4, 2, 0, 1}));
  // Run-length 4: two-colour runs, a literal of nibbles, end of line, end of picture.
  ok &= Write(dir, "rle4.bmp",
              Assemble(40, 8, 3, 4, 2, 16, {5, 0x12, 0, 4, 0x34, 0x56, 0, 0, 8, 0x7F, 0, 1}));
  // The old core header, and rows stored top-down.
  ok &= Write(dir, "core8.bmp", Assemble(12, 4, 2, 8, 0, 256, {0, 1, 1, 0, 1, 0, 0, 1}));
  ok &= Write(dir, "topdown24.bmp",
              Assemble(40, 2, -2, 24, 0, 0, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}));
  return ok ? 0 : 1;
}
