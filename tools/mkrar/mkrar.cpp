// mkrar ARCHIVE FOLDER: stores every file and folder below FOLDER in a RAR archive.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tools/mkrar/rarwriter.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mkrar ARCHIVE FOLDER\n");
    return 2;
  }
  std::vector<zarn_tools::RarEntry> entries;
  std::string error;
  if (!zarn_tools::EntriesOfFolder(argv[2], entries, error)) {
    std::fprintf(stderr, "mkrar: %s\n", error.c_str());
    return 1;
  }
  std::string bytes = zarn_tools::WriteRar(entries);
  std::filesystem::path out = argv[1];
  std::filesystem::path tmp = out;
  tmp += ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f.flush()) {
      std::fprintf(stderr, "mkrar: cannot write %s\n", tmp.c_str());
      return 1;
    }
  }
  std::error_code ec;
  std::filesystem::rename(tmp, out, ec);
  if (ec) {
    std::fprintf(stderr, "mkrar: %s: %s\n", out.c_str(), ec.message().c_str());
    return 1;
  }
  return 0;
}
