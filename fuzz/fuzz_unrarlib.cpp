// The RAR library as the installer calls it, on hostile bytes: one archive, or a volume set
// when the input holds the separator below. Every entry is tested (data read, CRC checked);
// nothing may crash, and an entry that passes must have handed exactly its size to the
// data callback.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "setup/archive/rardll.h"

namespace {

constexpr std::string_view kVolumeSeparator = "\n--next volume--\n";

std::uint64_t gData = 0;

int OnData(unsigned char*, int size) {
  gData += static_cast<std::uint64_t>(size);
  return 1;
}

int OnVolume(char*, int mode) { return mode == RAR_VOL_NOTIFY ? 1 : 0; }

// A folder of this run's own, removed at exit (kept in a plain array: it outlives statics).
char gFolder[] = "/tmp/fuzz_unrarlib_XXXXXX";

const char* Folder() {
  static const bool made = [] {
    if (!::mkdtemp(gFolder)) __builtin_trap();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(gFolder, ec);
    });
    return true;
  }();
  (void)made;
  return gFolder;
}

void Write(const std::string& path, std::string_view bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) __builtin_trap();
  if (!bytes.empty() && ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
    __builtin_trap();
  ::close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string first = std::string(Folder()) + "/f.rar";
  std::vector<std::string> names = {first};
  for (int i = 0; i < 4; ++i) names.push_back(std::string(Folder()) + "/f.r0" + std::to_string(i));
  for (const std::string& n : names) ::unlink(n.c_str());
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::size_t cut = input.find(kVolumeSeparator);
    Write(names[i], input.substr(0, cut));
    if (cut == std::string_view::npos) break;
    input.remove_prefix(cut + kVolumeSeparator.size());
  }

  RAROpenArchiveData open{};
  std::string arc = first;
  open.ArcName = arc.data();
  open.OpenMode = RAR_OM_EXTRACT;
  void* h = RAROpenArchive(&open);
  if (!h) return 0;
  RARSetProcessDataProc(h, OnData);
  RARSetChangeVolProc(h, OnVolume);
  RARHeaderData header{};
  for (int guard = 0; guard < 10000 && RARReadHeader(h, &header) == ERAR_SUCCESS; ++guard) {
    if (std::memchr(header.FileName, 0, sizeof header.FileName) == nullptr) __builtin_trap();
    gData = 0;
    int r = RARProcessFile(h, RAR_TEST, nullptr, nullptr);
    bool folder = (header.Flags & RHDF_DIRECTORY) == RHDF_DIRECTORY;
    if (r == ERAR_SUCCESS && !folder && gData != header.UnpSize) __builtin_trap();
  }
  RARCloseArchive(h);
  return 0;
}
