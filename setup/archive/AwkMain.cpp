#include "setup/archive/AwkMain.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string_view>

#include "platform/app.h"

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
    // A self-extracting program: look for the RAR marker inside it.
    constexpr std::string_view kMarker("Rar!\x1A\x07\x00", 7);
    std::string buf(1 << 20, '\0');
    ssize_t got = ::pread(fd, buf.data(), buf.size(), 0);
    if (got > 7 && std::string_view(buf.data() + 1, static_cast<std::size_t>(got) - 1).find(kMarker) !=
                       std::string_view::npos)
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
  // Refused, not repaired: absolute names, drives and ".." levels would land outside the folder.
  if (entryName.empty() || entryName[0] == '\\' || entryName.find(':') != std::string::npos)
    return false;
  std::size_t start = 0;
  while (start <= entryName.size()) {
    std::size_t end = entryName.find('\\', start);
    if (end == std::string::npos) end = entryName.size();
    std::string level = entryName.substr(start, end - start);
    if (level == "..") return false;
    start = end + 1;
  }
  if (entryName.back() == '\\') return false;
  std::string dir = extractDir_;
  if (dir.empty()) {
    std::string name;
    SplitPath(archiveFile_, dir, name);
  }
  if (dir.empty()) dir = ".\\";
  std::string folder, file;
  SplitPath(entryName, folder, file);
  out = dir + (useStoredDirs_ ? entryName : file);
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
    if (first == 0) volumeLetter_ = 0;
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
  if (volumeLetter_ == 0 && volumeDigits_ > 0)
    ext = (n < 10 ? "00" : n < 100 ? "0" : "") + num;
  else
    ext = std::string(1, volumeLetter_ ? volumeLetter_ : 'r') + (n < 10 ? "0" : "") + num;
  return stem + "." + ext;
}

bool TZipCommon::AskNextVolume(std::string& found) {
  if (!OnNextVolume) return false;
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

}  // namespace zarn3set
