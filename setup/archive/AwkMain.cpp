#include "setup/archive/AwkMain.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ostream>

#include "platform/app.h"
#include "setup/archive/rarblocks.h"

namespace zarn3set {
namespace {

std::uint64_t TickCount() {
  if (plat::Backend() != plat::BackendKind::None) return plat::NowMs();
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::uint16_t Le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

bool LooksLikeTar(const unsigned char* h, std::size_t n) {
  if (n < 512) return false;
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < 512; ++i) sum += (i >= 148 && i < 156) ? ' ' : h[i];
  std::string field(reinterpret_cast<const char*>(h + 148), 8);
  if (field.find_first_of("01234567") == std::string::npos) return false;
  return OctStrToInt(field) == sum;
}

TArcType DetectType(const std::string& name) {
  int fd = -1;
  if (!OpenFileForRead(name, fd)) return atFileOpenErr;
  unsigned char head[512] = {};
  ssize_t n = ::read(fd, head, sizeof head);
  TArcType type = atUnknown;
  if (n >= 2 && head[0] == 'M' && head[1] == 'Z') {
    // A self-extracting program: an archive anywhere inside it.
    struct stat st {};
    std::uint64_t at = 0;
    auto readAt = [fd](std::uint64_t offset, void* buffer, std::size_t size) -> std::size_t {
      ssize_t got = ::pread(fd, buffer, size, static_cast<off_t>(offset));
      return got > 0 ? static_cast<std::size_t>(got) : 0;
    };
    if (::fstat(fd, &st) == 0 && FindRarMarker(readAt, static_cast<std::uint64_t>(st.st_size), at))
      type = atRarExe;
  } else if (n >= 4) {
    std::uint16_t L = Le16(head), H = Le16(head + 2);
    std::uint32_t D = static_cast<std::uint32_t>(H) << 16 | L;
    if (L == 0x4B50 && H != 0x3447) type = atZIP;
    else if (D == 0x50000000) type = atZip250;
    else if (std::memcmp(head, "MSCF", 4) == 0) type = atCAB;
    else if (D == 0x07054842) type = atBH;
    else if (L == 0x1E1F || L == 0x8B1F || L == 0x9D1F || L == 0x9E1F || L == 0xA01F) type = atGZip;
    else if (L == 0x4148) type = atHA;
    else if (L == 0x4F5A) type = atZOO;
    else if (L == 0xEA60) type = atARJ;
    else if (H == 0x6C2D) type = atLHA;
    else if (L == 0x081A || L == 0x091A) type = atARC;
    else if (L == 0x0A1A || L == 0x0B1A) type = atPAK;
    else if (L == 0x6152) type = atRAR;
    else if (LooksLikeTar(head, static_cast<std::size_t>(n))) type = atTAR;
  }
  ::close(fd);
  return type;
}

// Splits "dir\name" into the folder (with its "\") and the name.
void SplitPath(const std::string& path, std::string& dir, std::string& name) {
  std::size_t slash = path.rfind('\\');
  dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  name = slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void TarxTimer::Start() {
  start_ = TickCount();
  elapsed_ = 0;
}

void TarxTimer::Stop() {
  stop_ = TickCount();
  elapsed_ = static_cast<float>(static_cast<double>(stop_ - start_) * 0.001);
}

void TAwkMain::SetCancel(bool flag) {
  cancel_ = flag;
  plat::ProcessMessages();
}

void TZipCommon::SetArchiveFile(const std::string& name) {
  if (name.empty()) {
    archiveFile_.clear();
    arcType_ = atNA;
    return;
  }
  archiveFile_ = SlashToBackslash(name);
  arcType_ = DetectType(archiveFile_);
}

void TZipCommon::SetExtractDir(const std::string& dir) {
  if (!dir.empty()) {
    extractDir_ = AppendBackslash(SlashToBackslash(dir));
    return;
  }
  std::string folder, name;
  SplitPath(archiveFile_, folder, name);
  extractDir_ = folder;
}

bool TZipCommon::MakeOutputName(const std::string& entryName, std::string& out,
                                std::string& root) const {
  // A drive and leading "\" are dropped so the entry lands below the folder; ".." is refused.
  std::string relative;
  if (!entryName.empty() && entryName.back() == '\\') return false;
  if (!StoredPathBelow(entryName, relative)) return false;
  std::string dir = extractDir_;
  if (dir.empty()) {
    std::string name;
    SplitPath(archiveFile_, dir, name);
  }
  if (dir.empty()) dir = ".\\";
  std::string folder, file;
  SplitPath(relative, folder, file);
  out = dir + (useStoredDirs_ ? relative : file);
  root = dir;
  return true;
}

void TZipCommon::Report(int code, const std::string& fileName, const std::string& extra) {
  if (OnError && !cancel_) {
    std::string dir, name;
    SplitPath(fileName, dir, name);
    OnError(this, name, extra, volumeCounter_, code);
  }
}

void TZipCommon::Raise(int code, const std::string& fileName, const std::string& extra) {
  if (OnError) {
    std::string dir, name;
    SplitPath(fileName, dir, name);
    OnError(this, name, extra, volumeCounter_, code);
  }
  throw E_RAISE(code, MessageText(code));
}

void TZipCommon::ReadVolumeCounter() {
  volumeCounter_ = -1;
  volumeLetter_ = 0;
  volumeDigits_ = 0;
  std::string dir, name;
  SplitPath(volumeName_, dir, name);
  std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return;
  std::string ext = name.substr(dot + 1);
  std::size_t first = 0;
  if (!ext.empty() && !(ext[0] >= '0' && ext[0] <= '9')) {
    volumeLetter_ = ext[0];
    first = 1;
  }
  std::string digits = ext.substr(first);
  if (digits.empty() || digits.size() > 6 ||
      digits.find_first_not_of("0123456789") != std::string::npos) {
    volumeLetter_ = 0;  // "rar", "exe": no counter, the set goes on with r00
    return;
  }
  volumeDigits_ = static_cast<int>(digits.size());
  volumeCounter_ = std::stoi(digits);
}

std::string TZipCommon::NextVolumeName() const {
  std::string dir, name;
  SplitPath(volumeName_, dir, name);
  std::size_t dot = name.rfind('.');
  std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  int n = volumeCounter_ + 1;
  std::string num = std::to_string(n);
  std::string ext;
  if (n >= 100)
    ext = num;  // r99 is followed by 100, the letter gives way to the third digit
  else if (volumeLetter_ == 0 && volumeDigits_ > 0)
    ext = (n < 10 ? "00" : "0") + num;
  else
    ext = std::string(1, volumeLetter_ ? volumeLetter_ : 'r') + (n < 10 ? "0" : "") + num;
  return stem + "." + ext;
}

std::string TZipCommon::FirstVolumeName() const {
  if (volumeCounter_ < 0 || (volumeLetter_ == 0 && volumeCounter_ <= 1)) return {};
  std::string dir, name;
  SplitPath(volumeName_, dir, name);
  std::string stem = dir + name.substr(0, name.rfind('.'));
  auto isRar = [](const std::string& path) {
    TArcType t = DetectType(path);
    return t == atRAR || t == atRarExe;
  };
  if (volumeLetter_ == 0) return isRar(stem + ".001") ? stem + ".001" : std::string();
  for (const char* ext : kVolumeExtensions) {
    // The extension in either case: the names are matched without case on disk.
    std::string lower = ext;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string& e : {std::string(ext), lower})
      if (FileExistsByFind(stem + e) && isRar(stem + e)) return stem + e;
  }
  return {};
}

bool TZipCommon::AskNextVolume(std::string& found) {
  if (!OnNextVolume) {
    Report(M_FILE_NOT_FOUND, NextVolumeName());
    return false;
  }
  std::string dir, name;
  SplitPath(volumeName_, dir, name);
  if (dir.empty()) {
    char cwd[4096];
    dir = ::getcwd(cwd, sizeof cwd) ? AppendBackslash(SlashToBackslash(cwd)) : ".\\";
  }
  name = NextVolumeName();
  // A handler that neither cancels nor names an existing file is not asked for ever.
  for (int offer = 0; offer < 100; ++offer) {
    if (!CheckDriveReady(dir)) return false;
    bool cancel = false;
    OnNextVolume(this, dir, name, volumeCounter_ + 1, FileExistsByFind(dir + name), cancel);
    if (cancel) return false;
    dir = AppendBackslash(SlashToBackslash(dir));
    if (FileExistsByFind(dir + name)) {
      found = dir + name;
      volumeName_ = found;
      ++volumeCounter_;
      return true;
    }
  }
  return false;
}

void TUnBase::Extract() {
  outputMode_ = TOutputMode::omFiles;
  if (cpuType_ == cpt80486) cpuType_ = cptAuto;
  DoExtract();
}

void TUnBase::ExtractToStream(std::ostream& out) {
  outputMode_ = TOutputMode::omStream1;
  outStream_ = &out;
  DoExtract();
}

void TUnBase::ExtractToHandle(int fd) {
  outputMode_ = TOutputMode::omStream2;
  outHandle_ = fd;
  DoExtract();
}

std::size_t TUnBase::ExtractToMemory(void* block, std::size_t size) {
  outputMode_ = TOutputMode::omMemory;
  outBlock_ = static_cast<unsigned char*>(block);
  outSize_ = block ? size : 0;
  outPos_ = 0;
  DoExtract();
  return outPos_;
}

bool TUnBase::OutputBlock(const unsigned char* block, std::size_t size) {
  switch (outputMode_) {
    case TOutputMode::omStream1:
      return outStream_ &&
             outStream_->write(reinterpret_cast<const char*>(block), static_cast<std::streamsize>(size));
    case TOutputMode::omStream2:
      for (std::size_t done = 0; done < size;) {
        ssize_t w = ::write(outHandle_, block + done, size - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        done += static_cast<std::size_t>(w);
      }
      return true;
    case TOutputMode::omMemory:
      // The block never grows: data past its end is a write error, not a silent cut.
      if (size > outSize_ - outPos_) return false;
      if (size) std::memcpy(outBlock_ + outPos_, block, size);
      outPos_ += size;
      return true;
    default:
      return true;
  }
}

}  // namespace zarn3set
