// mkrar [-v BYTES] ARCHIVE FOLDER: stores every file and folder below FOLDER in a RAR archive;
// with -v, in a volume set of ARCHIVE, .r00, .r01, ... holding at most BYTES of data each.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "tools/mkrar/rarwriter.h"

namespace {

bool WriteFile(const std::filesystem::path& out, const std::string& bytes) {
  std::filesystem::path tmp = out;
  tmp += ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f.flush()) {
      std::fprintf(stderr, "mkrar: cannot write %s\n", tmp.c_str());
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(tmp, out, ec);
  if (ec) {
    std::fprintf(stderr, "mkrar: %s: %s\n", out.c_str(), ec.message().c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  unsigned long long volumeSize = 0;
  if (argc == 5 && std::strcmp(argv[1], "-v") == 0) {
    char* end = nullptr;
    volumeSize = std::strtoull(argv[2], &end, 10);
    if (!end || *end || volumeSize == 0) {
      std::fprintf(stderr, "mkrar: bad volume size %s\n", argv[2]);
      return 2;
    }
    argv += 2;
    argc -= 2;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: mkrar [-v BYTES] ARCHIVE FOLDER\n");
    return 2;
  }
  std::vector<zarn_tools::RarEntry> entries;
  std::string error;
  if (!zarn_tools::EntriesOfFolder(argv[2], entries, error)) {
    std::fprintf(stderr, "mkrar: %s\n", error.c_str());
    return 1;
  }
  if (volumeSize == 0) return WriteFile(argv[1], zarn_tools::WriteRar(entries)) ? 0 : 1;
  std::vector<std::string> volumes = zarn_tools::WriteRarVolumes(entries, volumeSize);
  std::vector<std::string> names = zarn_tools::VolumeNames(argv[1], volumes.size());
  for (std::size_t i = 0; i < volumes.size(); ++i)
    if (!WriteFile(names[i], volumes[i])) return 1;
  return 0;
}
