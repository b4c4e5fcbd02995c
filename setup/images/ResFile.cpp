#include "setup/images/ResFile.h"

#include <algorithm>
#include <vector>

#include "platform/system.h"
#include "setup/images/RxGraph.h"
#include "setup/lebytes.h"

namespace zarn3set {
namespace {

[[noreturn]] void Bad() { throw EInvalidGraphic("Stream read error"); }

bool Fits(const std::string& s, std::uint64_t at, std::uint64_t n) { return at <= s.size() && n <= s.size() - at; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// A resource's name as the caller gives it: a number, or a text.
struct ResName {
  bool isId = false;
  std::uint16_t id = 0;
  std::string text;  // upper-cased ASCII letters
};

ResName ParseName(const std::string& name) {
  ResName r;
  std::string digits = !name.empty() && name[0] == '#' ? name.substr(1) : name;
  if (!digits.empty() && digits.size() <= 5 &&
      std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    unsigned long v = std::stoul(digits);
    if (v <= 0xFFFF) {
      r.isId = true;
      r.id = static_cast<std::uint16_t>(v);
      return r;
    }
  }
  for (char c : name) r.text += Upper(c);
  return r;
}

}  // namespace

void TModule::LoadFromFile(const std::string& path) {
  // A named pipe or a device is refused rather than waited on.
  constexpr std::uintmax_t MaxProgramFileBytes = 256u << 20;
  std::string bytes;
  if (plat::ReadRegularFile(path, MaxProgramFileBytes, bytes) != plat::ReadResult::Ok) Bad();
  LoadFromStream(bytes);
}

void TModule::LoadFromStream(const std::string& bytes) {
  if (bytes.size() < 64 || bytes[0] != 'M' || bytes[1] != 'Z') Bad();
  const std::uint32_t pe = GetLe32(bytes, 0x3C);
  if (!Fits(bytes, pe, 24) || bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0) Bad();
  const std::uint32_t sections = GetLe16(bytes, pe + 6), optSize = GetLe16(bytes, pe + 20);
  const std::uint32_t opt = pe + 24;
  if (!Fits(bytes, opt, optSize) || optSize < 2) Bad();
  const std::uint16_t magic = GetLe16(bytes, opt);
  std::uint32_t countAt, dirsAt;
  if (magic == 0x10B) countAt = 92, dirsAt = 96;        // 32-bit programs
  else if (magic == 0x20B) countAt = 108, dirsAt = 112;  // 64-bit programs
  else Bad();
  // The resource table is the third data directory.
  if (optSize < dirsAt + 3 * 8 || GetLe32(bytes, opt + countAt) < 3) Bad();
  const std::uint32_t rva = GetLe32(bytes, opt + dirsAt + 16), size = GetLe32(bytes, opt + dirsAt + 20);
  const std::uint32_t table = opt + optSize;
  if (sections == 0 || !Fits(bytes, table, std::uint64_t{sections} * 40)) Bad();
  TModule m;
  m.bytes_ = bytes;
  m.sections_ = sections;
  m.sectionTable_ = table;
  auto at = m.RvaToOffset(rva, std::max<std::uint32_t>(size, 16));
  if (rva == 0 || size < 16 || !at) Bad();
  m.rsrcOffset_ = *at;
  m.rsrcRva_ = rva;
  m.rsrcSize_ = size;
  *this = std::move(m);
}

std::optional<std::uint32_t> TModule::RvaToOffset(std::uint32_t rva, std::uint32_t size) const {
  for (std::uint32_t i = 0; i < sections_; ++i) {
    const std::uint32_t s = sectionTable_ + 40 * i;
    const std::uint32_t va = GetLe32(bytes_, s + 12), raw = GetLe32(bytes_, s + 20);
    const std::uint32_t rawSize = GetLe32(bytes_, s + 16);
    if (rva < va || std::uint64_t{rva} + size > std::uint64_t{va} + rawSize) continue;
    const std::uint64_t off = std::uint64_t{raw} + (rva - va);
    if (!Fits(bytes_, off, size)) return std::nullopt;
    return static_cast<std::uint32_t>(off);
  }
  return std::nullopt;
}

std::optional<std::string> TModule::Find(std::uint16_t type, const std::string& name) const {
  if (!Loaded()) return std::nullopt;
  const std::string& s = bytes_;
  const std::uint64_t base = rsrcOffset_, end = base + rsrcSize_;
  if (end > s.size()) return std::nullopt;
  // The entries of a directory at `dir` (relative to the table), each (name field, target).
  auto entries = [&](std::uint32_t dir) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> out;
    if (base + dir + 16 > end) return out;
    const std::uint32_t n = std::uint32_t{GetLe16(s, base + dir + 12)} + GetLe16(s, base + dir + 14);
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::uint64_t e = base + dir + 16 + 8 * std::uint64_t{i};
      if (e + 8 > end) break;
      out.emplace_back(GetLe32(s, e), GetLe32(s, e + 4));
    }
    return out;
  };
  auto nameMatches = [&](std::uint32_t field, const ResName& want) {
    if (!(field & 0x80000000u)) return want.isId && field == want.id;
    if (want.isId) return false;
    const std::uint64_t at = base + (field & 0x7FFFFFFFu);
    if (at + 2 > end) return false;
    const std::uint32_t len = GetLe16(s, at);
    if (len != want.text.size() || at + 2 + 2 * std::uint64_t{len} > end) return false;
    for (std::uint32_t i = 0; i < len; ++i) {
      std::uint16_t c = GetLe16(s, at + 2 + 2 * i);
      if (c > 0x7F || Upper(static_cast<char>(c)) != want.text[i]) return false;
    }
    return true;
  };
  auto subdir = [&](const std::vector<std::pair<std::uint32_t, std::uint32_t>>& list,
                    const ResName& want) -> std::optional<std::uint32_t> {
    for (auto [field, target] : list)
      if ((target & 0x80000000u) && nameMatches(field, want)) return target & 0x7FFFFFFFu;
    return std::nullopt;
  };
  ResName typeName;
  typeName.isId = true;
  typeName.id = type;
  auto typeDir = subdir(entries(0), typeName);
  if (!typeDir) return std::nullopt;
  auto nameDir = subdir(entries(*typeDir), ParseName(name));
  if (!nameDir) return std::nullopt;
  for (auto [field, target] : entries(*nameDir)) {
    (void)field;
    if (target & 0x80000000u) continue;  // a language level holds data, not folders
    const std::uint64_t d = base + target;
    if (d + 16 > end) continue;
    auto at = RvaToOffset(GetLe32(s, d), GetLe32(s, d + 4));
    if (!at) continue;
    return s.substr(*at, GetLe32(s, d + 4));
  }
  return std::nullopt;
}

std::optional<std::string> TModule::FindInGroup(std::uint16_t groupType, const std::string& name) const {
  const bool cursor = groupType == kRtGroupCursor;
  auto group = Find(groupType, name);
  if (!group) return std::nullopt;
  const std::string& g = *group;
  if (g.size() < 6 || GetLe16(g, 0) != 0 || GetLe16(g, 2) != (cursor ? 2 : 1)) Bad();
  const std::uint32_t count = GetLe16(g, 4);
  if (count == 0 || !Fits(g, 6, 14 * std::uint64_t{count})) Bad();
  // The image nearest the large icon size, then the one of most colours.
  int best = -1;
  std::uint32_t bestScore = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t e = 6 + 14 * i;
    int w = cursor ? GetLe16(g, e) : static_cast<std::uint8_t>(g[e]);
    int h = cursor ? GetLe16(g, e + 2) / 2 : static_cast<std::uint8_t>(g[e + 1]);
    if (!cursor && w == 0) w = 256;
    if (!cursor && h == 0) h = 256;
    const int bits = GetLe16(g, e + 6);
    const std::uint32_t score = static_cast<std::uint32_t>(std::abs(w - 32) + std::abs(h - 32)) * 256 +
                                static_cast<std::uint32_t>(255 - std::min(bits, 255));
    if (best < 0 || score < bestScore) best = static_cast<int>(i), bestScore = score;
  }
  const std::uint32_t e = 6 + 14 * static_cast<std::uint32_t>(best);
  auto image = Find(cursor ? kRtCursor : kRtIcon, "#" + std::to_string(GetLe16(g, e + 12)));
  if (!image) Bad();
  std::string pixels = *image, hotspot;
  if (cursor) {
    if (pixels.size() < 4) Bad();
    hotspot = pixels.substr(0, 4);
    pixels.erase(0, 4);
  }
  if (pixels.size() < 40) Bad();
  // One directory entry, then the image: the icon (or cursor) file form.
  std::string out("\0\0", 2);
  PutLe16(out, cursor ? 2 : 1);
  PutLe16(out, 1);
  const std::int32_t w = static_cast<std::int32_t>(GetLe32(pixels, 4));
  const std::int32_t h = static_cast<std::int32_t>(GetLe32(pixels, 8)) / 2;
  out += static_cast<char>(w > 0 && w < 256 ? w : 0);
  out += static_cast<char>(h > 0 && h < 256 ? h : 0);
  out += cursor ? '\0' : g[e + 2];
  out += '\0';
  if (cursor) {
    out += hotspot;
  } else {
    PutLe16(out, GetLe16(g, e + 4));
    PutLe16(out, GetLe16(g, e + 6));
  }
  PutLe32(out, static_cast<std::uint32_t>(pixels.size()));
  PutLe32(out, 22);
  return out + pixels;
}

std::string TModule::LoadIcon(const std::string& name) const {
  if (auto icon = FindInGroup(kRtGroupIcon, name)) return *icon;
  if (auto cursor = FindInGroup(kRtGroupCursor, name)) return *cursor;
  throw EResNotFound(name);
}

}  // namespace zarn3set
