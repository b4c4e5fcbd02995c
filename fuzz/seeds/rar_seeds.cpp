// rar_seeds DIR: writes RAR archives for the RAR fuzz targets to start from (a plain archive,
// one inside a program, and volume sets joined by the library target's separator): random
// bytes seldom get past a header CRC.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/mkrar/rarwriter.h"

namespace {

void Put(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: rar_seeds DIR\n");
    return 2;
  }
  std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  using zarn_tools::RarEntry;
  std::vector<RarEntry> entries(4);
  entries[0].name = "zarn";
  entries[0].data = std::string(300, 'z');
  entries[1].name = "data";
  entries[1].directory = true;
  entries[1].attr = 040755;
  entries[2].name = "data\\army.dat";
  entries[2].data = "army";
  entries[3].name = "data\\empty.dat";
  std::string plain = zarn_tools::WriteRar(entries);
  Put(dir / "plain.rar", plain);
  Put(dir / "program.exe", "MZ" + std::string(500, '\x90') + plain);
  const std::string separator = "\n--next volume--\n";
  for (std::size_t size : {100u, 250u}) {
    std::string joined;
    for (const std::string& v : zarn_tools::WriteRarVolumes(entries, size))
      joined += (joined.empty() ? "" : separator) + v;
    Put(dir / ("volumes" + std::to_string(size) + ".rar"), joined);
  }
  return 0;
}
