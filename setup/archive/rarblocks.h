// The block headers of a RAR 1.5-4 archive, walked and checked (header CRCs, sizes, names)
// without trusting anything the file says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zarn3set {

std::uint32_t RarCrc32(std::uint32_t crc, const void* data, std::size_t size);

enum : std::uint8_t { kRarMarkBlock = 0x72, kRarMainBlock = 0x73, kRarFileBlock = 0x74,
                      kRarEndBlock = 0x7B };
enum : std::uint16_t { kRarLongBlock = 0x8000, kRarLargeFile = 0x100, kRarUnicodeName = 0x200,
                       kRarSalt = 0x400, kRarExtTime = 0x1000 };
enum : std::uint16_t { kRarMainVolume = 0x01, kRarMainEncryptedHeaders = 0x80 };
enum : std::uint16_t { kRarSplitBefore = 0x01, kRarSplitAfter = 0x02 };
enum : std::uint16_t { kRarEndNextVolume = 0x01 };

// One file block: its header fields and where its packed data lies.
struct RarFileBlock {
  std::uint16_t flags = 0;
  std::uint64_t packSize = 0, unpSize = 0;
  std::uint8_t hostOS = 0;
  std::uint32_t fileCRC = 0, fileTime = 0;
  std::uint8_t unpVer = 0, method = 0;
  std::uint32_t attr = 0;
  std::string name;  // as stored (OEM code page), up to the Unicode part
  std::uint64_t dataOffset = 0;
  bool IsDirectory() const;
  bool IsEncrypted() const { return flags & 0x04; }
  bool IsSplit() const { return flags & 0x03; }
  bool SplitBefore() const { return flags & kRarSplitBefore; }
  bool SplitAfter() const { return flags & kRarSplitAfter; }
};

enum class RarWalkStatus : std::uint8_t {
  Ok,             // the end block or the end of the file at a block boundary
  NotRar,         // no marker block
  BadMainHeader,  // main header missing, cut or failing its CRC
  Unsupported,    // encrypted headers
  BadHeader,      // a later header fails its CRC or its sizes; `entries` stop before it
  Truncated,      // a header or data runs past the end of the file
};

struct RarArchiveLayout {
  std::uint64_t markerOffset = 0;  // non-zero inside a self-extracting program
  std::uint16_t mainFlags = 0;
  std::uint16_t endFlags = 0;  // the end block's flags (0 without one)
  std::vector<RarFileBlock> entries;
  RarWalkStatus status = RarWalkStatus::Ok;
  std::string problem;  // what failed, for messages
};

// Reads `size` bytes at `offset`; answers the count read.
using RarReadAt = std::function<std::size_t(std::uint64_t offset, void* buffer, std::size_t size)>;

// Where the archive starts: at 0, or anywhere inside a program starting with "MZ", at the
// first marker that a sound main header follows.
bool FindRarMarker(const RarReadAt& read, std::uint64_t fileSize, std::uint64_t& at);

// Walks every block from the marker to the end block.
RarArchiveLayout WalkRarBlocks(const RarReadAt& read, std::uint64_t fileSize);
RarArchiveLayout WalkRarBlocks(const std::uint8_t* data, std::size_t size);

// A stored name as a path below the target ("\" separated): a drive ("X:" or "X:\") and
// leading separators are removed; false when nothing is left or a level is "..".
bool StoredPathBelow(const std::string& stored, std::string& relative);

}  // namespace zarn3set
