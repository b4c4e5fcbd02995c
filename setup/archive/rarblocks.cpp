// RAR 1.5-4 block headers: {u16 CRC, u8 type, u16 flags, u16 size, [u32 added size]}.
#include "setup/archive/rarblocks.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace zarn3set {

static_assert(std::endian::native == std::endian::little, "the headers are read in place");

namespace {

const std::array<std::uint32_t, 256> kCrcTable = [] {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[i] = c;
  }
  return t;
}();

const std::uint8_t kMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr std::uint64_t kSfxWindow = 1 << 20;
constexpr std::size_t kBaseHeader = 7;
constexpr std::size_t kFileFixed = 32;  // a file header up to its name

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// A marker at `at` followed by a main header whose CRC holds.
bool MarkerWithMainHeader(const RarReadAt& read, std::uint64_t fileSize, std::uint64_t at) {
  std::uint8_t h[7 + 13];
  if (fileSize < at || fileSize - at < sizeof h || read(at, h, sizeof h) != sizeof h) return false;
  if (std::memcmp(h, kMarker, 7) != 0 || h[7 + 2] != kRarMainBlock) return false;
  std::size_t size = U16(h + 7 + 5);
  if (size < 13 || fileSize - at - 7 < size) return false;
  std::vector<std::uint8_t> main(size);
  if (read(at + 7, main.data(), size) != size) return false;
  return static_cast<std::uint16_t>(RarCrc32(0, main.data() + 2, size - 2)) == U16(main.data());
}

}  // namespace

bool FindRarMarker(const RarReadAt& read, std::uint64_t fileSize, std::uint64_t& at) {
  std::uint8_t head[7];
  if (fileSize < 7 || read(0, head, 7) != 7) return false;
  if (std::memcmp(head, kMarker, 7) == 0) {
    at = 0;
    return true;
  }
  if (head[0] != 'M' || head[1] != 'Z') return false;
  // The whole program is searched, a window at a time; windows overlap by a marker's length.
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(std::min(fileSize, kSfxWindow)));
  for (std::uint64_t base = 0; base + 7 <= fileSize; base += buf.size() - 6) {
    std::size_t n = read(base, buf.data(), buf.size());
    for (std::size_t i = base == 0 ? 1 : 0; i + 7 <= n; ++i) {
      const std::uint8_t* hit =
          static_cast<const std::uint8_t*>(std::memchr(buf.data() + i, kMarker[0], n - 6 - i));
      if (!hit) break;
      i = static_cast<std::size_t>(hit - buf.data());
      if (std::memcmp(hit, kMarker, 7) == 0 && MarkerWithMainHeader(read, fileSize, base + i)) {
        at = base + i;
        return true;
      }
    }
    if (n < buf.size()) break;
  }
  return false;
}

namespace {

bool ParseFileBlock(const std::uint8_t* h, std::size_t size, std::uint16_t flags,
                    RarFileBlock& f) {
  if (size < kFileFixed) return false;
  f.flags = flags;
  f.packSize = U32(h + 7);
  f.unpSize = U32(h + 11);
  f.hostOS = h[15];
  f.fileCRC = U32(h + 16);
  f.fileTime = U32(h + 20);
  f.unpVer = h[24];
  f.method = h[25];
  std::size_t nameSize = U16(h + 26);
  f.attr = U32(h + 28);
  std::size_t pos = kFileFixed;
  if (flags & kRarLargeFile) {
    if (size < pos + 8) return false;
    f.packSize |= static_cast<std::uint64_t>(U32(h + pos)) << 32;
    f.unpSize |= static_cast<std::uint64_t>(U32(h + pos + 4)) << 32;
    pos += 8;
  }
  if (nameSize == 0 || size < pos + nameSize) return false;
  const char* name = reinterpret_cast<const char*>(h + pos);
  std::size_t len = nameSize;
  // A Unicode name follows the OEM one after a zero byte.
  if (flags & kRarUnicodeName) len = strnlen(name, nameSize);
  f.name.assign(name, len);
  return true;
}

}  // namespace

bool RarFileBlock::IsDirectory() const {
  if ((flags & 0xE0) == 0xE0) return true;
  if (hostOS == 3 || hostOS == 5) return (attr & 0170000) == 0040000;
  return attr & 0x10;
}

std::uint32_t RarCrc32(std::uint32_t crc, const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = kCrcTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

RarArchiveLayout WalkRarBlocks(const RarReadAt& read, std::uint64_t fileSize) {
  RarArchiveLayout out;
  auto fail = [&](RarWalkStatus s, std::string why) {
    out.status = s;
    out.problem = std::move(why);
    return out;
  };
  if (!FindRarMarker(read, fileSize, out.markerOffset)) return fail(RarWalkStatus::NotRar, "no marker");
  std::uint64_t pos = out.markerOffset + 7;
  std::vector<std::uint8_t> header;
  bool first = true;
  while (true) {
    if (pos == fileSize && !first) return out;  // old archives may lack the end block
    std::uint8_t base[kBaseHeader];
    if (pos > fileSize || fileSize - pos < kBaseHeader || read(pos, base, kBaseHeader) != kBaseHeader)
      return fail(first ? RarWalkStatus::BadMainHeader : RarWalkStatus::Truncated,
                  "header cut at " + std::to_string(pos));
    std::uint8_t type = base[2];
    std::uint16_t flags = U16(base + 3);
    std::size_t size = U16(base + 5);
    if (size < kBaseHeader + ((flags & kRarLongBlock) ? 4 : 0))
      return fail(first ? RarWalkStatus::BadMainHeader : RarWalkStatus::BadHeader,
                  "header size " + std::to_string(size) + " at " + std::to_string(pos));
    if (fileSize - pos < size)
      return fail(first ? RarWalkStatus::BadMainHeader : RarWalkStatus::Truncated,
                  "header cut at " + std::to_string(pos));
    header.resize(size);
    if (read(pos, header.data(), size) != size)
      return fail(RarWalkStatus::Truncated, "header unreadable at " + std::to_string(pos));
    std::uint16_t crc = static_cast<std::uint16_t>(RarCrc32(0, header.data() + 2, size - 2));
    if (crc != U16(header.data()))
      return fail(first ? RarWalkStatus::BadMainHeader : RarWalkStatus::BadHeader,
                  "header CRC at " + std::to_string(pos));
    if (first) {
      if (type != kRarMainBlock || size < 13)
        return fail(RarWalkStatus::BadMainHeader, "no main header");
      out.mainFlags = flags;
      if (flags & kRarMainEncryptedHeaders)
        return fail(RarWalkStatus::Unsupported, "encrypted headers");
      first = false;
      pos += size;
      continue;
    }
    std::uint64_t added = 0;
    if (type == kRarFileBlock) {
      RarFileBlock f;
      if (!ParseFileBlock(header.data(), size, flags, f))
        return fail(RarWalkStatus::BadHeader, "file header fields at " + std::to_string(pos));
      f.dataOffset = pos + size;
      if (f.packSize > fileSize - f.dataOffset)
        return fail(RarWalkStatus::Truncated, "data cut for " + f.name);
      added = f.packSize;
      out.entries.push_back(std::move(f));
    } else if (type == kRarEndBlock) {
      out.endFlags = flags;
      return out;
    } else if (flags & kRarLongBlock) {
      added = U32(header.data() + 7);
      if (added > fileSize - (pos + size))
        return fail(RarWalkStatus::Truncated, "block cut at " + std::to_string(pos));
    }
    pos += size + added;
  }
}

RarArchiveLayout WalkRarBlocks(const std::uint8_t* data, std::size_t size) {
  return WalkRarBlocks(
      [&](std::uint64_t offset, void* buffer, std::size_t n) -> std::size_t {
        if (offset >= size) return 0;
        std::size_t k = std::min<std::uint64_t>(n, size - offset);
        std::memcpy(buffer, data + offset, k);
        return k;
      },
      size);
}

bool StoredPathBelow(const std::string& stored, std::string& relative) {
  std::string name = stored;
  for (char& c : name)
    if (c == '/') c = '\\';
  std::size_t start = 0;
  if (name.size() >= 2 && name[1] == ':' &&
      ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
    start = 2;
  while (start < name.size() && name[start] == '\\') ++start;
  relative.clear();
  while (start < name.size()) {
    std::size_t end = name.find('\\', start);
    if (end == std::string::npos) end = name.size();
    std::string level = name.substr(start, end - start);
    start = end + 1;
    if (level.empty() || level == ".") continue;
    // Anything still naming a drive or a parent could leave the target.
    if (level == ".." || level.find(':') != std::string::npos) return false;
    relative += (relative.empty() ? "" : "\\") + level;
  }
  return !relative.empty();
}

}  // namespace zarn3set
