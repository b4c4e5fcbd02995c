#include "tools/mkrar/rarwriter.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>

#include "setup/lebytes.h"

namespace zarn_tools {
namespace {

using zarn3set::PutLe16;
using zarn3set::PutLe32;

// The header's CRC field (its first two bytes) from the rest of it.
void SealHeader(std::string& h) {
  std::uint32_t crc = Crc32(0, h.data() + 2, h.size() - 2);
  h[0] = static_cast<char>(crc & 0xFF);
  h[1] = static_cast<char>((crc >> 8) & 0xFF);
}

// The header of one part of an entry: `part` of its data, `splitFlags` 0x01 when it goes on
// from the volume before, 0x02 when it goes on in the next one.
std::string FileHeader(const RarEntry& e, std::size_t part, std::uint16_t splitFlags,
                       std::uint32_t crc) {
  std::string h;
  PutLe16(h, 0);
  h += '\x74';
  std::uint16_t flags = 0x8000 | e.extraFlags | splitFlags | (e.directory ? 0xE0 : 0);
  PutLe16(h, flags);
  PutLe16(h, static_cast<unsigned>(32 + e.name.size()));
  PutLe32(h, static_cast<std::uint32_t>(part));
  PutLe32(h, static_cast<std::uint32_t>(e.data.size()));
  h += static_cast<char>(e.hostOS);
  PutLe32(h, e.badDataCrc ? crc ^ 0x5A5A5A5A : crc);
  PutLe32(h, e.dosTime);
  h += static_cast<char>(20);    // version needed: 2.0
  h += static_cast<char>(0x30);  // store
  PutLe16(h, static_cast<unsigned>(e.name.size()));
  PutLe32(h, e.attr);
  h += e.name;
  SealHeader(h);
  return h;
}

std::string MarkerAndMain(std::uint16_t mainFlags) {
  std::string out("\x52\x61\x72\x21\x1A\x07\x00", 7);
  std::string main;
  PutLe16(main, 0);
  main += '\x73';
  PutLe16(main, mainFlags);
  PutLe16(main, 13);
  PutLe16(main, 0);  // reserved
  PutLe32(main, 0);
  SealHeader(main);
  return out + main;
}

std::string EndBlock(std::uint16_t flags) {
  std::string end;
  PutLe16(end, 0);
  end += '\x7B';
  PutLe16(end, 0x4000 | flags);
  PutLe16(end, 7);
  SealHeader(end);
  return end;
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
  return static_cast<std::uint32_t>(::crc32(crc, static_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

std::string WriteRar(const std::vector<RarEntry>& entries, std::uint16_t mainFlags) {
  std::string out = MarkerAndMain(mainFlags);
  for (const RarEntry& e : entries)
    out += FileHeader(e, e.data.size(), 0, Crc32(0, e.data.data(), e.data.size())) + e.data;
  return out + EndBlock(0);
}

std::vector<std::string> WriteRarVolumes(const std::vector<RarEntry>& entries,
                                         std::size_t dataPerVolume) {
  constexpr std::uint16_t kVolume = 0x01, kFirstVolume = 0x100, kNextVolume = 0x01;
  if (dataPerVolume == 0) dataPerVolume = 1;
  std::vector<std::string> volumes;
  std::string current = MarkerAndMain(kVolume | kFirstVolume);
  std::size_t room = dataPerVolume;
  for (const RarEntry& e : entries) {
    std::size_t done = 0;
    do {
      if (room == 0 && done < e.data.size()) {
        volumes.push_back(current + EndBlock(kNextVolume));
        current = MarkerAndMain(kVolume);
        room = dataPerVolume;
      }
      std::size_t take = std::min(room, e.data.size() - done);
      bool after = done + take < e.data.size();
      std::uint16_t split = static_cast<std::uint16_t>((done > 0 ? 0x01 : 0) | (after ? 0x02 : 0));
      // A part that goes on carries its own CRC; the last one the whole file's.
      std::uint32_t crc = after ? Crc32(0, e.data.data() + done, take)
                                : Crc32(0, e.data.data(), e.data.size());
      current += FileHeader(e, take, split, crc) + e.data.substr(done, take);
      done += take;
      room -= take;
    } while (done < e.data.size());
  }
  volumes.push_back(current + EndBlock(0));
  return volumes;
}

std::vector<std::string> VolumeNames(const std::string& first, std::size_t count) {
  std::vector<std::string> names;
  std::string stem = first.substr(0, first.rfind('.'));
  for (std::size_t i = 0; i < count; ++i) {
    char ext[8];
    std::snprintf(ext, sizeof ext, ".%c%02zu", static_cast<char>('r' + (i - 1) / 100), (i - 1) % 100);
    names.push_back(i == 0 ? first : stem + ext);
  }
  return names;
}

std::size_t EntryHeaderOffset(const std::vector<RarEntry>& entries, std::size_t index) {
  std::size_t at = 7 + 13;
  for (std::size_t i = 0; i < index && i < entries.size(); ++i)
    at += 32 + entries[i].name.size() + entries[i].data.size();
  return at;
}

bool Utf8ToCp866(const std::string& utf8, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    if ((c & 0xE0) != 0xC0 || i + 1 >= utf8.size()) return false;
    unsigned cp = (c & 0x1Fu) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
    i += 2;
    if (cp >= 0x410 && cp <= 0x43F) out += static_cast<char>(0x80 + cp - 0x410);
    else if (cp >= 0x440 && cp <= 0x44F) out += static_cast<char>(0xE0 + cp - 0x440);
    else if (cp == 0x401) out += static_cast<char>(0xF0);
    else if (cp == 0x451) out += static_cast<char>(0xF1);
    else return false;
  }
  return true;
}

std::uint32_t DosTimeOf(std::time_t tt) {
  std::tm tm{};
  localtime_r(&tt, &tm);
  if (tm.tm_year < 80) return 0x21 << 16;
  if (tm.tm_year > 80 + 127) tm.tm_year = 80 + 127;
  return static_cast<std::uint32_t>(tm.tm_year - 80) << 25 |
         static_cast<std::uint32_t>(tm.tm_mon + 1) << 21 |
         static_cast<std::uint32_t>(tm.tm_mday) << 16 |
         static_cast<std::uint32_t>(tm.tm_hour) << 11 |
         static_cast<std::uint32_t>(tm.tm_min) << 5 | static_cast<std::uint32_t>(tm.tm_sec / 2);
}

bool EntriesOfFolder(const std::filesystem::path& folder, std::vector<RarEntry>& out,
                     std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<fs::path> paths;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    paths.push_back(it->path());
  if (ec) {
    error = folder.string() + ": " + ec.message();
    return false;
  }
  std::sort(paths.begin(), paths.end());
  for (const fs::path& p : paths) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) {
      error = p.string() + ": not a file or a folder";
      return false;
    }
    RarEntry e;
    std::string rel = p.lexically_relative(folder).generic_string();
    std::replace(rel.begin(), rel.end(), '/', '\\');
    if (!Utf8ToCp866(rel, e.name) || e.name.size() >= 260) {
      error = p.string() + ": the name cannot be stored";
      return false;
    }
    e.attr = st.st_mode & (S_IFMT | 0777);
    e.directory = S_ISDIR(st.st_mode);
    e.dosTime = DosTimeOf(st.st_mtime);
    if (S_ISREG(st.st_mode)) {
      std::ifstream in(p, std::ios::binary);
      e.data.assign(std::istreambuf_iterator<char>(in), {});
      if (!in.good() && !in.eof()) {
        error = p.string() + ": cannot be read";
        return false;
      }
      if (e.data.size() > 0xFFFFFFFFu) {
        error = p.string() + ": too large";
        return false;
      }
    }
    out.push_back(std::move(e));
  }
  return true;
}

}  // namespace zarn_tools
