// Resource archive images: the header walk must refuse or accept without touching memory
// outside the file, and every accepted record must read back within its bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "game/base/archive.h"

namespace {

void OpenAndReadAll(const std::vector<std::uint8_t>& file) {
  using namespace zarn;
  CloseAllArchives();
  static std::vector<std::uint8_t> buffer;
  if (OpenResourceArchiveBytes("fuzz.res", file, buffer) != 0) return;
  TArchiveEntry e;
  std::uint8_t sink[256];
  for (int i = 0; ArchiveEntryAt(1, i, e); ++i) {
    TResourceHandle h;
    if (FindResource(h, ArchiveEntryName(e)) != 0) __builtin_trap();
    std::uint16_t done = 1;
    std::int32_t total = 0;
    while (done != 0) {
      ReadResource(h, sink, sizeof sink, done);
      total += done;
    }
    // A name found earlier in the directory wins, so only the size read must match it.
    if (total != h.DataSize) __builtin_trap();
  }
  LoadPicture(ArchiveEntryAt(1, 0, e) ? ArchiveEntryName(e) : "none");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> file(data, data + size);
  OpenAndReadAll(file);
  // The same bytes with the magic stamped where the walk will look for each header, so the
  // checks behind the magic get their share of hostile positions and sizes.
  std::size_t pos = 0;
  for (int guard = 0; guard < 4000 && pos + 24 <= file.size(); ++guard) {
    file[pos + 14] = 0x76;
    file[pos + 15] = 0x19;
    std::int32_t at, len;
    std::memcpy(&at, file.data() + pos + 16, 4);
    std::memcpy(&len, file.data() + pos + 20, 4);
    const std::int64_t next = static_cast<std::int64_t>(at) + len;
    if (next <= static_cast<std::int64_t>(pos) || next >= static_cast<std::int64_t>(file.size())) break;
    pos = static_cast<std::size_t>(next);
  }
  OpenAndReadAll(file);
  return 0;
}
