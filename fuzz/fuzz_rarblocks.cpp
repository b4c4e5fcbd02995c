// RAR block headers: the walk must accept or refuse any bytes without reading outside them,
// and every entry it accepts must lie inside the file.
#include <cstddef>
#include <cstdint>

#include "setup/archive/rarblocks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarn3set;
  RarArchiveLayout layout = WalkRarBlocks(data, size);
  if (layout.status == RarWalkStatus::NotRar && !layout.entries.empty()) __builtin_trap();
  std::uint64_t previous = 0;
  for (const RarFileBlock& f : layout.entries) {
    if (f.name.empty()) __builtin_trap();
    if (f.dataOffset > size || f.packSize > size - f.dataOffset) __builtin_trap();
    if (f.dataOffset <= previous) __builtin_trap();  // blocks only move forward
    if (f.IsDirectory() && (f.flags & 0xE0) != 0xE0 && f.hostOS != 3 && f.hostOS != 5 &&
        !(f.attr & 0x10))
      __builtin_trap();
    previous = f.dataOffset;
  }
  return 0;
}
