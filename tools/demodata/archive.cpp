// The packed resource archive: records one after another, each a 24-byte header followed by its
// data; the last record's data ends the file.
#include <cstddef>
#include <cstring>
#include <stdexcept>

#include "tools/demodata/demodata.h"

namespace demodata {

namespace {

#pragma pack(push, 1)
struct EntryHeader {
  std::uint8_t nameLength;
  char name[12];
  std::uint8_t reserved;
  std::uint16_t magic;
  std::int32_t dataPos;
  std::int32_t dataSize;
};
#pragma pack(pop)
static_assert(sizeof(EntryHeader) == 24);
static_assert(offsetof(EntryHeader, reserved) == 13);
static_assert(offsetof(EntryHeader, magic) == 14);
static_assert(offsetof(EntryHeader, dataPos) == 16);
static_assert(offsetof(EntryHeader, dataSize) == 20);

constexpr std::uint16_t kMagic = 0x1976;
// The game keeps the directory in 64000 bytes of its buffer.
constexpr std::size_t kMaxRecords = 64000 / sizeof(EntryHeader);

}  // namespace

Bytes BuildArchive(const std::vector<ArchiveRecord>& records) {
  if (records.empty() || records.size() > kMaxRecords)
    throw std::length_error("archive needs 1.." + std::to_string(kMaxRecords) + " records");
  Bytes out;
  for (const auto& r : records) {
    // An empty record would end the game's walk early; a long name could never be found.
    if (r.name.empty() || r.name.size() > 12) throw std::invalid_argument("bad record name: " + r.name);
    if (r.data.empty()) throw std::invalid_argument("empty record: " + r.name);
    EntryHeader h{};
    h.nameLength = static_cast<std::uint8_t>(r.name.size());
    std::memcpy(h.name, r.name.data(), r.name.size());
    h.magic = kMagic;
    const std::size_t dataPos = out.size() + sizeof h;
    if (dataPos + r.data.size() > 0x7FFFFFFF) throw std::length_error("archive too large");
    h.dataPos = static_cast<std::int32_t>(dataPos);
    h.dataSize = static_cast<std::int32_t>(r.data.size());
    const auto* p = reinterpret_cast<const std::uint8_t*>(&h);
    out.insert(out.end(), p, p + sizeof h);
    out.insert(out.end(), r.data.begin(), r.data.end());
  }
  return out;
}

}  // namespace demodata
