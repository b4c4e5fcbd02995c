// The RAR library over libarchive. The block headers are walked here, because libarchive
// neither checks a stored entry's CRC nor keeps the host system and attributes, passes hostile
// names through, and takes two entries of one name for the parts of a split file. Stored data
// is read here too, across volumes; libarchive unpacks packed entries.
#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "setup/archive/rarblocks.h"
#include "setup/archive/rardll.h"

#define RAR_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using zarn3set::RarArchiveLayout;
using zarn3set::RarFileBlock;
using zarn3set::RarWalkStatus;

// Names run from r00 to z99.
constexpr std::size_t kMaxVolumes = 1 + 9 * 100;

struct Volume {
  std::string name;
  int fd = -1;
  RarArchiveLayout layout;
};

// Where one part of an entry's data lies.
struct Piece {
  std::size_t volume;
  std::uint64_t offset, size;
  std::uint32_t crc;  // of this part's data; the last part's is the whole file's
};

struct Entry {
  RarFileBlock head;  // the first part's header, with the last part's size and CRC
  std::vector<Piece> pieces;
  bool complete = true;   // all its parts are known
  long readerIndex = -1;  // its place among the entries libarchive lists
};

// One volume for libarchive, from its marker on: an archive inside a program is read as if
// it started there, wherever that is.
struct VolumeStream {
  int fd;
  std::uint64_t base, size, pos;
  std::vector<unsigned char> buf;
};

struct RarHandle {
  std::vector<Volume> volumes;  // opened so far, in order
  std::vector<Entry> entries;
  std::size_t next = 0;       // the next entry ReadHeader answers
  long current = -1;          // the entry read and not yet processed
  int chainError = 0;         // why the set ends before its last volume
  archive* reader = nullptr;  // libarchive, positioned at entry `readerAt` (-1 before the first)
  long readerAt = -1;
  bool readerFailed = false;
  std::vector<VolumeStream> streams;  // what libarchive reads, one per volume
  RARChangeVolProc volProc = nullptr;
  RARProcessDataProc dataProc = nullptr;
  std::string password;

  ~RarHandle() {
    if (reader) archive_read_free(reader);
    for (Volume& v : volumes)
      if (v.fd >= 0) ::close(v.fd);
  }
};


int WalkResult(RarWalkStatus s) {
  switch (s) {
    case RarWalkStatus::Ok: return ERAR_END_ARCHIVE;
    case RarWalkStatus::Truncated: return ERAR_EREAD;
    case RarWalkStatus::Unsupported: return ERAR_UNKNOWN_FORMAT;
    default: return ERAR_BAD_DATA;
  }
}

bool IsUnixHost(const RarFileBlock& f) { return f.hostOS == 3 || f.hostOS == 5; }

time_t DosToTime(std::uint32_t dos) {
  std::tm tm{};
  tm.tm_year = static_cast<int>((dos >> 25) & 0x7F) + 80;
  tm.tm_mon = static_cast<int>((dos >> 21) & 0x0F) - 1;
  tm.tm_mday = static_cast<int>((dos >> 16) & 0x1F);
  tm.tm_hour = static_cast<int>((dos >> 11) & 0x1F);
  tm.tm_min = static_cast<int>((dos >> 5) & 0x3F);
  tm.tm_sec = static_cast<int>(dos & 0x1F) * 2;
  tm.tm_isdst = -1;
  if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1) return -1;
  return std::mktime(&tm);
}

int OpenVolume(const std::string& name, Volume& v) {
  v.name = name;
  v.fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (v.fd < 0 || ::fstat(v.fd, &st) != 0 || !S_ISREG(st.st_mode)) return ERAR_EOPEN;
  int fd = v.fd;
  v.layout = zarn3set::WalkRarBlocks(
      [fd](std::uint64_t offset, void* buffer, std::size_t n) -> std::size_t {
        std::size_t done = 0;
        while (done < n) {
          ssize_t r = ::pread(fd, static_cast<char*>(buffer) + done, n - done,
                              static_cast<off_t>(offset + done));
          if (r < 0 && errno == EINTR) continue;
          if (r <= 0) break;
          done += static_cast<std::size_t>(r);
        }
        return done;
      },
      static_cast<std::uint64_t>(st.st_size));
  switch (v.layout.status) {
    case RarWalkStatus::NotRar:
    case RarWalkStatus::BadMainHeader: return ERAR_BAD_ARCHIVE;
    case RarWalkStatus::Unsupported: return ERAR_UNKNOWN_FORMAT;
    default: return ERAR_SUCCESS;
  }
}

// Adds the entries of volume `vi`; a part continued from the volume before joins its entry.
int AddEntries(RarHandle& h, std::size_t vi) {
  const RarArchiveLayout& layout = h.volumes[vi].layout;
  for (std::size_t i = 0; i < layout.entries.size(); ++i) {
    const RarFileBlock& b = layout.entries[i];
    bool pending = !h.entries.empty() && !h.entries.back().complete;
    if (pending && i == 0 && b.SplitBefore()) {
      Entry& e = h.entries.back();
      if (b.name != e.head.name) return ERAR_UNKNOWN;
      e.pieces.push_back({vi, b.dataOffset, b.packSize, b.fileCRC});
      e.complete = !b.SplitAfter();
      e.head.unpSize = b.unpSize;
      e.head.fileCRC = b.fileCRC;
      continue;
    }
    if (pending) return ERAR_UNKNOWN;  // the split entry does not go on here
    Entry e;
    e.head = b;
    e.pieces.push_back({vi, b.dataOffset, b.packSize, b.fileCRC});
    e.complete = !b.SplitAfter();
    e.readerIndex = static_cast<long>(h.entries.size());
    h.entries.push_back(std::move(e));
  }
  return ERAR_SUCCESS;
}

bool NeedsNextVolume(const RarHandle& h) {
  const RarArchiveLayout& last = h.volumes.back().layout;
  if (last.status != RarWalkStatus::Ok || !(last.mainFlags & zarn3set::kRarMainVolume)) return false;
  if (!h.entries.empty() && !h.entries.back().complete) return true;
  return last.endFlags & zarn3set::kRarEndNextVolume;
}

// "name.rar" is followed by "name.r00", "name.r00" by "name.r01", "name.r99" by "name.s00",
// "name.001" by "name.002".
std::string NextVolumeName(const std::string& name) {
  std::size_t slash = name.rfind('/');
  std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name + ".r00";
  std::string ext = name.substr(dot + 1);
  bool letter = !ext.empty() && !std::isdigit(static_cast<unsigned char>(ext[0]));
  std::string digits = ext.substr(letter ? 1 : 0);
  bool counter = !digits.empty() && digits.size() <= 6 &&
                 digits.find_first_not_of("0123456789") == std::string::npos;
  if (!counter) return name.substr(0, dot) + ".r00";
  long n = std::stol(digits) + 1;
  std::string num = std::to_string(n);
  if (letter && n >= 100) {
    num = std::to_string(n - 100);
    ext[0] = static_cast<char>(ext[0] + 1);
  }
  if (num.size() < digits.size()) num.insert(0, digits.size() - num.size(), '0');
  return name.substr(0, dot + 1) + (letter ? ext.substr(0, 1) : "") + num;
}

// Opens the volume after the last one: the caller is told through the volume callback (which
// may name another file) or, when it is missing, asked for it.
int LoadNextVolume(RarHandle& h) {
  if (h.volumes.size() >= kMaxVolumes) return ERAR_UNKNOWN;
  const std::string current = h.volumes.back().name;
  std::string next = NextVolumeName(current);
  struct stat st {};
  bool exists = ::stat(next.c_str(), &st) == 0;
  if (h.volProc || !exists) {
    if (!h.volProc) return ERAR_EOPEN;
    std::vector<char> buf(RAR_VOLNAME_SIZE, 0);
    const std::string& offer = exists ? next : current;
    if (offer.size() >= buf.size()) return ERAR_EOPEN;
    std::memcpy(buf.data(), offer.data(), offer.size());
    if (h.volProc(buf.data(), exists ? RAR_VOL_NOTIFY : RAR_VOL_ASK) <= 0) return ERAR_EOPEN;
    buf.back() = 0;
    next = buf.data();
  }
  Volume v;
  int r = OpenVolume(next, v);
  if (r != ERAR_SUCCESS) {
    if (v.fd >= 0) ::close(v.fd);
    return r == ERAR_EOPEN ? r : ERAR_UNKNOWN;
  }
  // A file met before (a link, a renamed copy) would make the set go round for ever.
  struct stat seen {}, now {};
  bool again = ::fstat(v.fd, &now) != 0;
  for (const Volume& old : h.volumes)
    again = again || (::fstat(old.fd, &seen) == 0 && seen.st_dev == now.st_dev && seen.st_ino == now.st_ino);
  h.volumes.push_back(std::move(v));
  if (again) return ERAR_UNKNOWN;
  if (!(h.volumes.back().layout.mainFlags & zarn3set::kRarMainVolume)) return ERAR_UNKNOWN;
  return AddEntries(h, h.volumes.size() - 1);
}

// Loads volumes until entry `index` is known whole.
int CompleteEntry(RarHandle& h, std::size_t index) {
  while (!h.entries[index].complete) {
    if (h.chainError) return h.chainError;
    const RarArchiveLayout& last = h.volumes.back().layout;
    if (last.status != RarWalkStatus::Ok) return WalkResult(last.status);
    if (!NeedsNextVolume(h)) return ERAR_UNKNOWN;
    if (int r = LoadNextVolume(h)) return h.chainError = r;
  }
  return ERAR_SUCCESS;
}

la_ssize_t StreamRead(archive*, void* data, const void** out) {
  auto* v = static_cast<VolumeStream*>(data);
  std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(v->buf.size(), v->size - std::min(v->pos, v->size)));
  ssize_t n = 0;
  do n = want ? ::pread(v->fd, v->buf.data(), want, static_cast<off_t>(v->base + v->pos)) : 0;
  while (n < 0 && errno == EINTR);
  if (n < 0) return -1;
  v->pos += static_cast<std::uint64_t>(n);
  *out = v->buf.data();
  return n;
}

la_int64_t StreamSkip(archive*, void* data, la_int64_t request) {
  auto* v = static_cast<VolumeStream*>(data);
  std::uint64_t left = v->size - std::min(v->pos, v->size);
  la_int64_t n = std::min<la_int64_t>(request, static_cast<la_int64_t>(left));
  if (n < 0) return 0;
  v->pos += static_cast<std::uint64_t>(n);
  return n;
}

la_int64_t StreamSeek(archive*, void* data, la_int64_t offset, int whence) {
  auto* v = static_cast<VolumeStream*>(data);
  la_int64_t from = whence == SEEK_CUR ? static_cast<la_int64_t>(v->pos)
                  : whence == SEEK_END ? static_cast<la_int64_t>(v->size) : 0;
  if (offset < -from || from + offset > static_cast<la_int64_t>(v->size)) return ARCHIVE_FATAL;
  v->pos = static_cast<std::uint64_t>(from + offset);
  return static_cast<la_int64_t>(v->pos);
}

int StreamSwitch(archive*, void*, void* next) {
  if (next) static_cast<VolumeStream*>(next)->pos = 0;
  return ARCHIVE_OK;
}

// Opens libarchive over every volume known so far.
bool OpenReader(RarHandle& h) {
  if (h.reader) archive_read_free(h.reader);
  h.reader = archive_read_new();
  h.readerAt = -1;
  if (!h.reader) return false;
  h.streams.clear();
  for (const Volume& v : h.volumes) {
    struct stat st {};
    if (::fstat(v.fd, &st) != 0 || static_cast<std::uint64_t>(st.st_size) < v.layout.markerOffset)
      return false;
    std::uint64_t size = static_cast<std::uint64_t>(st.st_size) - v.layout.markerOffset;
    h.streams.push_back({v.fd, v.layout.markerOffset, size, 0, std::vector<unsigned char>(65536)});
  }
  archive_read_support_format_rar(h.reader);
  archive_read_set_format_option(h.reader, "rar", "hdrcharset", "CP866");
  archive_read_set_read_callback(h.reader, StreamRead);
  archive_read_set_skip_callback(h.reader, StreamSkip);
  archive_read_set_seek_callback(h.reader, StreamSeek);
  archive_read_set_switch_callback(h.reader, StreamSwitch);
  archive_read_set_callback_data(h.reader, &h.streams[0]);
  for (std::size_t i = 1; i < h.streams.size(); ++i)
    archive_read_append_callback_data(h.reader, &h.streams[i]);
  return archive_read_open1(h.reader) == ARCHIVE_OK;
}

// Moves libarchive to entry `index`; false when it cannot follow the walked headers.
bool SeekReader(RarHandle& h, long index) {
  // Volumes found since it was opened are given to it afresh.
  bool grown = h.reader && h.streams.size() != h.volumes.size();
  if (grown) h.readerFailed = false;
  if (h.readerFailed) return false;
  if (!h.reader || grown || h.readerAt > index) {
    if (!OpenReader(h)) {
      h.readerFailed = true;
      return false;
    }
  }
  while (h.readerAt < index) {
    archive_entry* e = nullptr;
    int r = archive_read_next_header(h.reader, &e);
    if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
      h.readerFailed = true;
      return false;
    }
    ++h.readerAt;
    const RarFileBlock& f = h.entries[static_cast<std::size_t>(h.readerAt)].head;
    if (archive_entry_size_is_set(e) && static_cast<std::uint64_t>(archive_entry_size(e)) != f.unpSize &&
        !f.IsDirectory()) {
      h.readerFailed = true;
      return false;
    }
  }
  return true;
}

// Hands a block to the data callback, then to `outFd` (when there is one).
int Emit(RarHandle& h, const unsigned char* data, std::size_t n, int outFd) {
  if (h.dataProc && h.dataProc(const_cast<unsigned char*>(data), static_cast<int>(n)) <= 0)
    return ERAR_UNKNOWN;
  for (std::size_t done = 0; outFd >= 0 && done < n;) {
    ssize_t w = ::write(outFd, data + done, n - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return ERAR_EWRITE;
    done += static_cast<std::size_t>(w);
  }
  return ERAR_SUCCESS;
}

// A stored entry's parts, read from their volumes, each part's CRC and the whole one checked.
int ReadStored(RarHandle& h, const Entry& e, int outFd) {
  std::vector<unsigned char> buf(65536);
  std::uint32_t crc = 0;
  std::uint64_t total = 0;
  for (std::size_t k = 0; k < e.pieces.size(); ++k) {
    const Piece& p = e.pieces[k];
    int fd = h.volumes[p.volume].fd;
    std::uint32_t partCrc = 0;
    for (std::uint64_t done = 0; done < p.size;) {
      std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), p.size - done));
      ssize_t n = ::pread(fd, buf.data(), want, static_cast<off_t>(p.offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return ERAR_EREAD;
      std::size_t got = static_cast<std::size_t>(n);
      crc = zarn3set::RarCrc32(crc, buf.data(), got);
      partCrc = zarn3set::RarCrc32(partCrc, buf.data(), got);
      done += got;
      total += got;
      if (total > e.head.unpSize) return ERAR_BAD_DATA;
      if (int r = Emit(h, buf.data(), got, outFd)) return r;
    }
    // 0xFFFFFFFF: no CRC of the part was stored.
    if (k + 1 < e.pieces.size() && p.crc != 0xFFFFFFFFu && partCrc != p.crc) return ERAR_BAD_DATA;
  }
  if (total != e.head.unpSize || crc != e.head.fileCRC) return ERAR_BAD_DATA;
  return ERAR_SUCCESS;
}

// A packed entry unpacked by libarchive, its CRC and size checked.
int ReadPacked(RarHandle& h, const Entry& e, int outFd) {
  if (!SeekReader(h, e.readerIndex)) return ERAR_BAD_DATA;
  std::vector<unsigned char> buf(65536);
  std::uint32_t crc = 0;
  std::uint64_t total = 0;
  while (true) {
    la_ssize_t n = archive_read_data(h.reader, buf.data(), buf.size());
    if (n < 0) {
      h.readerFailed = true;
      return ERAR_BAD_DATA;
    }
    if (n == 0) break;
    crc = zarn3set::RarCrc32(crc, buf.data(), static_cast<std::size_t>(n));
    total += static_cast<std::uint64_t>(n);
    if (total > e.head.unpSize) return ERAR_BAD_DATA;
    if (int r = Emit(h, buf.data(), static_cast<std::size_t>(n), outFd)) return r;
  }
  if (total != e.head.unpSize || crc != e.head.fileCRC) return ERAR_BAD_DATA;
  return ERAR_SUCCESS;
}

int ReadData(RarHandle& h, const Entry& e, int outFd) {
  return e.head.method == 0x30 ? ReadStored(h, e, outFd) : ReadPacked(h, e, outFd);
}

// The trusted folder an output goes below, the levels under it and the file's own name.
// The caller's folder is trusted; of a name the library forms, and of the levels of a
// caller's name below the caller's folder, none is.
int SplitTarget(const RarFileBlock& f, const char* destPath, const char* destName,
                std::string& base, std::vector<std::string>& levels, std::string& leaf) {
  std::string dest = destPath ? destPath : "";
  std::string rel;
  if (destName && *destName) {
    std::string name = destName;
    if (name[0] != '/' && !dest.empty()) name = dest + "/" + name;
    std::string prefix = dest.empty() || dest.back() == '/' ? dest : dest + "/";
    if (!prefix.empty() && name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) {
      base = prefix;
      rel = name.substr(prefix.size());
    } else {
      std::size_t slash = name.rfind('/');
      base = slash == std::string::npos ? "." : name.substr(0, slash + 1);
      rel = slash == std::string::npos ? name : name.substr(slash + 1);
    }
  } else {
    std::string relative;
    if (!zarn3set::StoredPathBelow(f.name, relative)) return ERAR_ECREATE;
    base = dest.empty() ? "." : dest;
    rel = relative;
    for (char& c : rel)
      if (c == '\\') c = '/';
  }
  levels.clear();
  std::size_t start = 0;
  while (start <= rel.size()) {
    std::size_t end = rel.find('/', start);
    if (end == std::string::npos) end = rel.size();
    std::string level = rel.substr(start, end - start);
    start = end + 1;
    if (level.empty() || level == ".") continue;
    if (level == "..") return ERAR_ECREATE;
    levels.push_back(level);
  }
  if (levels.empty()) return ERAR_ECREATE;
  leaf = levels.back();
  levels.pop_back();
  return ERAR_SUCCESS;
}

struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// Opens the folder `levels` below `base`, making the missing ones; a link at any level is
// refused, never followed.
int OpenFolderBelow(const std::string& base, const std::vector<std::string>& levels, Fd& dir) {
  dir.fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir.fd < 0) return ERAR_ECREATE;
  for (const std::string& level : levels) {
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(dir.fd, level.c_str(), flags);
    if (fd < 0 && errno == ENOENT && ::mkdirat(dir.fd, level.c_str(), 0755) == 0)
      fd = ::openat(dir.fd, level.c_str(), flags);
    if (fd < 0) return ERAR_ECREATE;
    ::close(dir.fd);
    dir.fd = fd;
  }
  return ERAR_SUCCESS;
}

struct TempFile {
  int dir = -1;
  std::string name;
  int fd = -1;
  ~TempFile() {
    if (fd >= 0) ::close(fd);
    if (!name.empty()) ::unlinkat(dir, name.c_str(), 0);
  }
};

int Extract(RarHandle& h, const Entry& e, const char* destPath, const char* destName) {
  const RarFileBlock& f = e.head;
  std::string base, leaf;
  std::vector<std::string> levels;
  if (int r = SplitTarget(f, destPath, destName, base, levels, leaf)) return r;
  Fd dir;
  if (int r = OpenFolderBelow(base, levels, dir)) return r;
  if (f.IsDirectory()) {
    struct stat st {};
    if (::fstatat(dir.fd, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
      return S_ISDIR(st.st_mode) ? ERAR_SUCCESS : ERAR_ECREATE;
    return ::mkdirat(dir.fd, leaf.c_str(), 0755) == 0 ? ERAR_SUCCESS : ERAR_ECREATE;
  }
  mode_t mode = 0644;
  if (IsUnixHost(f)) {
    // Only regular files: no links, devices or pipes are made.
    if ((f.attr & 0170000) != 0100000 && (f.attr & 0170000) != 0) return ERAR_ECREATE;
    mode = f.attr & 0777;
  } else if (f.attr & 0x01) {
    mode = 0444;
  }
  // Written beside the target and renamed over it: a link in its place is replaced, never
  // followed, and a failed entry leaves the old file as it was.
  TempFile tmp;
  tmp.dir = dir.fd;
  for (int attempt = 0; attempt < 100 && tmp.fd < 0; ++attempt) {
    std::string p = "." + leaf + ".part" + std::to_string(::getpid()) + "_" + std::to_string(attempt);
    tmp.fd = ::openat(dir.fd, p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (tmp.fd >= 0) tmp.name = p;
    else if (errno != EEXIST) break;
  }
  if (tmp.fd < 0) return ERAR_ECREATE;
  if (int r = ReadData(h, e, tmp.fd)) return r;
  ::fchmod(tmp.fd, mode);
  time_t t = DosToTime(f.fileTime);
  if (t != -1) {
    timespec times[2] = {{t, 0}, {t, 0}};
    ::futimens(tmp.fd, times);
  }
  int fd = tmp.fd;
  tmp.fd = -1;
  if (::close(fd) != 0) return ERAR_ECLOSE;
  if (::renameat(dir.fd, tmp.name.c_str(), dir.fd, leaf.c_str()) != 0) return ERAR_ECREATE;
  tmp.name.clear();
  return ERAR_SUCCESS;
}

void CopyBounded(char* to, std::size_t size, const std::string& from) {
  std::size_t n = std::min(size - 1, from.size());
  std::memcpy(to, from.data(), n);
  to[n] = 0;
}

}  // namespace

RAR_EXPORT void* RAROpenArchive(RAROpenArchiveData* data) {
  if (!data) return nullptr;
  data->CmtSize = 0;
  data->CmtState = 0;
  if (!data->ArcName) {
    data->OpenResult = ERAR_EOPEN;
    return nullptr;
  }
  auto h = std::unique_ptr<RarHandle>(new (std::nothrow) RarHandle);
  if (!h) {
    data->OpenResult = ERAR_NO_MEMORY;
    return nullptr;
  }
  h->volumes.emplace_back();
  int result = OpenVolume(data->ArcName, h->volumes.back());
  if (result != ERAR_SUCCESS) {
    data->OpenResult = static_cast<unsigned>(result);
    return nullptr;
  }
  // A broken chain is told when the reader reaches it; the entries before it are good.
  h->chainError = AddEntries(*h, 0);
  data->OpenResult = ERAR_SUCCESS;
  return h.release();
}

RAR_EXPORT int RARCloseArchive(void* handle) {
  auto* h = static_cast<RarHandle*>(handle);
  if (!h) return ERAR_ECLOSE;
  int r = ERAR_SUCCESS;
  for (Volume& v : h->volumes) {
    if (v.fd >= 0 && ::close(v.fd) != 0) r = ERAR_ECLOSE;
    v.fd = -1;
  }
  delete h;
  return r;
}

RAR_EXPORT int RARReadHeader(void* handle, RARHeaderData* header) {
  auto* h = static_cast<RarHandle*>(handle);
  if (!h || !header) return ERAR_BAD_DATA;
  h->current = -1;
  while (h->next >= h->entries.size()) {
    if (h->chainError) return h->chainError;
    const RarArchiveLayout& last = h->volumes.back().layout;
    if (last.status != RarWalkStatus::Ok) return WalkResult(last.status);
    if (!NeedsNextVolume(*h)) return ERAR_END_ARCHIVE;
    if (int r = LoadNextVolume(*h)) return h->chainError = r;
  }
  const RarFileBlock& f = h->entries[h->next].head;
  // A name that does not fit the record is not handed on cut short.
  if (f.name.size() >= RAR_NAME_SIZE) return ERAR_BAD_DATA;
  h->current = static_cast<long>(h->next++);
  CopyBounded(header->ArcName, RAR_NAME_SIZE, h->volumes.back().name);
  CopyBounded(header->FileName, RAR_NAME_SIZE, f.name);
  header->Flags = f.flags;
  header->PackSize = static_cast<unsigned>(f.packSize);
  header->UnpSize = static_cast<unsigned>(f.unpSize);
  header->HostOS = f.hostOS;
  header->FileCRC = f.fileCRC;
  header->FileTime = f.fileTime;
  header->UnpVer = f.unpVer;
  header->Method = f.method;
  header->FileAttr = f.attr;
  header->CmtSize = 0;
  header->CmtState = 0;
  return ERAR_SUCCESS;
}

RAR_EXPORT int RARProcessFile(void* handle, int operation, char* destPath, char* destName) {
  auto* h = static_cast<RarHandle*>(handle);
  if (!h) return ERAR_BAD_ARCHIVE;
  long index = h->current;
  h->current = -1;
  if (index < 0) return ERAR_BAD_ARCHIVE;
  if (operation == RAR_SKIP) return ERAR_SUCCESS;
  if (operation != RAR_TEST && operation != RAR_EXTRACT) return ERAR_UNKNOWN_FORMAT;
  std::size_t i = static_cast<std::size_t>(index);
  // A part whose beginning lies in a volume not read cannot be made whole.
  if (h->entries[i].head.SplitBefore()) return ERAR_UNKNOWN;
  if (int r = CompleteEntry(*h, i)) return r;
  const Entry& e = h->entries[i];
  const RarFileBlock& f = e.head;
  // libarchive cannot decrypt: without a password the entry is unsupported, with one it
  // cannot be verified, which is what a wrong password looks like.
  if (f.IsEncrypted()) return h->password.empty() ? ERAR_UNKNOWN_FORMAT : ERAR_BAD_DATA;
  if (f.method != 0x30 && f.unpVer < 29) return ERAR_UNKNOWN_FORMAT;
  if (operation == RAR_TEST) return f.IsDirectory() ? ERAR_SUCCESS : ReadData(*h, e, -1);
  return Extract(*h, e, destPath, destName);
}

RAR_EXPORT void RARSetChangeVolProc(void* handle, RARChangeVolProc proc) {
  if (auto* h = static_cast<RarHandle*>(handle)) h->volProc = proc;
}

RAR_EXPORT void RARSetProcessDataProc(void* handle, RARProcessDataProc proc) {
  if (auto* h = static_cast<RarHandle*>(handle)) h->dataProc = proc;
}

RAR_EXPORT void RARSetPassword(void* handle, char* password) {
  if (auto* h = static_cast<RarHandle*>(handle)) h->password = password ? password : "";
}
