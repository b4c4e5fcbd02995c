// The RAR library over libarchive. libarchive unpacks the data; the block headers are walked
// here first, because libarchive neither checks a stored entry's CRC nor keeps the host system
// and attributes, and passes hostile names through.
#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

struct RarHandle {
  std::string arcName;
  int fd = -1;
  RarArchiveLayout layout;
  std::size_t next = 0;       // the next entry ReadHeader answers
  long current = -1;          // the entry read and not yet processed
  archive* reader = nullptr;  // libarchive, positioned at entry `readerAt` (-1 before the first)
  long readerAt = -1;
  bool readerFailed = false;
  RARChangeVolProc volProc = nullptr;
  RARProcessDataProc dataProc = nullptr;
  std::string password;
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

// A stored name that must not be used as a path below a folder.
bool UnsafeName(const std::string& name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/') return true;
  if (name.size() >= 2 && name[1] == ':') return true;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("\\/", start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) return true;
    start = end + 1;
  }
  return false;
}

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

// Moves libarchive to entry `index`; false when it cannot follow the walked headers.
bool SeekReader(RarHandle& h, long index) {
  if (h.readerFailed) return false;
  if (!h.reader || h.readerAt > index) {
    if (h.reader) archive_read_free(h.reader);
    h.reader = archive_read_new();
    h.readerAt = -1;
    if (!h.reader) return false;
    archive_read_support_format_rar(h.reader);
    archive_read_set_format_option(h.reader, "rar", "hdrcharset", "CP866");
    if (archive_read_open_filename(h.reader, h.arcName.c_str(), 65536) != ARCHIVE_OK) {
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
    const RarFileBlock& f = h.layout.entries[static_cast<std::size_t>(h.readerAt)];
    if (archive_entry_size_is_set(e) && static_cast<std::uint64_t>(archive_entry_size(e)) != f.unpSize &&
        !f.IsDirectory()) {
      h.readerFailed = true;
      return false;
    }
  }
  return true;
}

struct TempFile {
  std::string path;
  int fd = -1;
  ~TempFile() {
    if (fd >= 0) ::close(fd);
    if (!path.empty()) ::unlink(path.c_str());
  }
};

// Reads entry `index`'s data, checks its CRC and size, and writes it to `out` (may be null)
// after handing each block to the data callback.
int ReadData(RarHandle& h, const RarFileBlock& f, long index, int outFd) {
  if (!SeekReader(h, index)) return ERAR_BAD_DATA;
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
    if (total > f.unpSize) return ERAR_BAD_DATA;
    if (h.dataProc && h.dataProc(buf.data(), static_cast<int>(n)) == 0) return ERAR_UNKNOWN;
    for (la_ssize_t done = 0; outFd >= 0 && done < n;) {
      ssize_t w = ::write(outFd, buf.data() + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return ERAR_EWRITE;
      done += w;
    }
  }
  if (total != f.unpSize || crc != f.fileCRC) return ERAR_BAD_DATA;
  return ERAR_SUCCESS;
}

int Extract(RarHandle& h, const RarFileBlock& f, long index, const char* destPath,
            const char* destName) {
  std::string target;
  if (destName && *destName) {
    target = destName;
    if (target[0] != '/' && destPath && *destPath) target = std::string(destPath) + "/" + target;
  } else {
    if (UnsafeName(f.name)) return ERAR_ECREATE;
    std::string name = f.name;
    for (char& c : name)
      if (c == '\\') c = '/';
    target = (destPath && *destPath ? std::string(destPath) + "/" : std::string()) + name;
  }
  while (target.size() > 1 && target.back() == '/') target.pop_back();
  if (f.IsDirectory()) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? ERAR_SUCCESS : ERAR_ECREATE;
    return ::mkdir(target.c_str(), 0755) == 0 ? ERAR_SUCCESS : ERAR_ECREATE;
  }
  mode_t mode = 0644;
  if (IsUnixHost(f)) {
    // Only regular files: no links, devices or pipes are made.
    if ((f.attr & 0170000) != 0100000 && (f.attr & 0170000) != 0) return ERAR_ECREATE;
    mode = f.attr & 0777;
  } else if (f.attr & 0x01) {
    mode = 0444;
  }
  std::size_t slash = target.rfind('/');
  std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.empty() || base == "." || base == "..") return ERAR_ECREATE;
  // Written beside the target and renamed over it: a symlink in its place is replaced, never
  // followed, and a failed entry leaves the old file as it was.
  TempFile tmp;
  for (int attempt = 0; attempt < 100 && tmp.fd < 0; ++attempt) {
    std::string p = dir + "." + base + ".part" + std::to_string(::getpid()) + "_" +
                    std::to_string(attempt);
    tmp.fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (tmp.fd >= 0) tmp.path = p;
    else if (errno != EEXIST) break;
  }
  if (tmp.fd < 0) return ERAR_ECREATE;
  int r = ReadData(h, f, index, tmp.fd);
  if (r != ERAR_SUCCESS) return r;
  ::fchmod(tmp.fd, mode);
  time_t t = DosToTime(f.fileTime);
  if (t != -1) {
    timespec times[2] = {{t, 0}, {t, 0}};
    ::futimens(tmp.fd, times);
  }
  int fd = tmp.fd;
  tmp.fd = -1;
  if (::close(fd) != 0) return ERAR_ECLOSE;
  if (::rename(tmp.path.c_str(), target.c_str()) != 0) return ERAR_ECREATE;
  tmp.path.clear();
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
  h->arcName = data->ArcName;
  h->fd = ::open(data->ArcName, O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (h->fd < 0 || ::fstat(h->fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (h->fd >= 0) ::close(h->fd);
    data->OpenResult = ERAR_EOPEN;
    return nullptr;
  }
  int fd = h->fd;
  h->layout = zarn3set::WalkRarBlocks(
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
  int result = ERAR_SUCCESS;
  switch (h->layout.status) {
    case RarWalkStatus::NotRar: result = ERAR_BAD_ARCHIVE; break;
    case RarWalkStatus::BadMainHeader: result = ERAR_BAD_ARCHIVE; break;
    case RarWalkStatus::Unsupported: result = ERAR_UNKNOWN_FORMAT; break;
    default: break;
  }
  if (result != ERAR_SUCCESS) {
    ::close(h->fd);
    data->OpenResult = static_cast<unsigned>(result);
    return nullptr;
  }
  data->OpenResult = ERAR_SUCCESS;
  return h.release();
}

RAR_EXPORT int RARCloseArchive(void* handle) {
  auto* h = static_cast<RarHandle*>(handle);
  if (!h) return ERAR_ECLOSE;
  if (h->reader) archive_read_free(h->reader);
  int r = ::close(h->fd) == 0 ? ERAR_SUCCESS : ERAR_ECLOSE;
  delete h;
  return r;
}

RAR_EXPORT int RARReadHeader(void* handle, RARHeaderData* header) {
  auto* h = static_cast<RarHandle*>(handle);
  if (!h || !header) return ERAR_BAD_DATA;
  h->current = -1;
  if (h->next >= h->layout.entries.size()) return WalkResult(h->layout.status);
  const RarFileBlock& f = h->layout.entries[h->next];
  h->current = static_cast<long>(h->next++);
  CopyBounded(header->ArcName, RAR_NAME_SIZE, h->arcName);
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
  const RarFileBlock& f = h->layout.entries[static_cast<std::size_t>(index)];
  // A name that did not fit the header record is not extracted under a cut name.
  if (f.name.size() >= RAR_NAME_SIZE) return ERAR_BAD_DATA;
  if (f.IsSplit()) return ERAR_UNKNOWN;  // volumes are not read
  // libarchive cannot decrypt: without a password the entry is unsupported, with one it
  // cannot be verified, which is what a wrong password looks like.
  if (f.IsEncrypted()) return h->password.empty() ? ERAR_UNKNOWN_FORMAT : ERAR_BAD_DATA;
  if (f.method != 0x30 && f.unpVer < 29) return ERAR_UNKNOWN_FORMAT;
  if (operation == RAR_TEST) return f.IsDirectory() ? ERAR_SUCCESS : ReadData(*h, f, index, -1);
  return Extract(*h, f, index, destPath, destName);
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
