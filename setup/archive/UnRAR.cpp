// The RAR library's binding and TUnRAR, the component that extracts through it.
#include "setup/archive/UnRAR.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/app.h"
#include "platform/system.h"
#include "setup/archive/AwkMain.h"
#include "setup/archive/MyLibLod.h"

namespace zarn3set {
namespace {

void* SubstituteOpen(RAROpenArchiveData* data) {
  if (data) data->OpenResult = ERAR_EOPEN;
  return nullptr;
}
int SubstituteClose(void*) { return ERAR_SUCCESS; }
int SubstituteReadHeader(void*, RARHeaderData*) { return ERAR_BAD_DATA; }
int SubstituteProcessFile(void*, int, char*, char*) { return ERAR_BAD_ARCHIVE; }
void SubstituteSetChangeVolProc(void*, RARChangeVolProc) {}
void SubstituteSetProcessDataProc(void*, RARProcessDataProc) {}
void SubstituteSetPassword(void*, char*) {}

constexpr TUnrarEntryPoints kSubstitutes = {
    SubstituteOpen,        SubstituteClose,           SubstituteReadHeader,
    SubstituteProcessFile, SubstituteSetChangeVolProc, SubstituteSetProcessDataProc,
    SubstituteSetPassword,
};

// The component whose archive loop is running: the library's callbacks carry no context.
TUnRAR* ActiveUnRAR = nullptr;

constexpr std::size_t kCommentBufferSize = 16384;

template <typename Fn>
bool Resolve(void* lib, const char* name, Fn& out) {
  void* p = plat::LibrarySymbol(lib, name);
  out = reinterpret_cast<Fn>(p);
  return p != nullptr;
}

std::string FixedString(const char* field, std::size_t size) {
  return std::string(field, strnlen(field, size));
}

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  std::size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// Creates the missing levels of `relative` below `root`; never through a symbolic link.
bool MakeFoldersBelow(const std::string& root, const std::string& relative) {
  std::error_code ec;
  std::filesystem::create_directories(root, ec);
  struct stat st {};
  if (::stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  std::string path = root;
  std::size_t start = 0;
  while (start < relative.size()) {
    std::size_t end = relative.find('/', start);
    if (end == std::string::npos) break;  // the last level is the file itself
    std::string level = relative.substr(start, end - start);
    start = end + 1;
    if (level.empty() || level == ".") continue;
    path += "/" + level;
    if (::lstat(path.c_str(), &st) == 0) {
      if (!S_ISDIR(st.st_mode)) return false;  // a link or a file in the way
      continue;
    }
    if (::mkdir(path.c_str(), 0755) != 0) return false;
  }
  return true;
}

}  // namespace

TUnrarEntryPoints UnrarEntryPoints = kSubstitutes;

bool BindUnrarLibrary(const std::string& library) {
  UnbindUnrarLibrary();
  std::vector<std::string> names;
  if (!library.empty()) {
    names.push_back(library);
  } else {
    std::filesystem::path exe = plat::ExecutableFolder();
    if (!exe.empty()) names.push_back((exe / kUnrarLibraryName).string());
    names.push_back(kUnrarLibraryName);
  }
  void* lib = nullptr;
  for (const std::string& n : names)
    if ((lib = LoadLibrarySilently(n))) break;
  if (!lib) return false;
  TUnrarEntryPoints e{};
  // All seven or none: a library without one of them is not used.
  bool ok = Resolve(lib, "RAROpenArchive", e.RAROpenArchive) &&
            Resolve(lib, "RARCloseArchive", e.RARCloseArchive) &&
            Resolve(lib, "RARReadHeader", e.RARReadHeader) &&
            Resolve(lib, "RARProcessFile", e.RARProcessFile) &&
            Resolve(lib, "RARSetChangeVolProc", e.RARSetChangeVolProc) &&
            Resolve(lib, "RARSetProcessDataProc", e.RARSetProcessDataProc) &&
            Resolve(lib, "RARSetPassword", e.RARSetPassword);
  if (!ok) {
    plat::LibraryFree(lib);
    return false;
  }
  UnrarEntryPoints = e;
  UnrarLibHandle = lib;
  UnrarDllLoaded = true;
  return true;
}

void UnbindUnrarLibrary() {
  if (UnrarLibHandle) plat::LibraryFree(UnrarLibHandle);
  UnrarLibHandle = nullptr;
  UnrarDllLoaded = false;
  UnrarEntryPoints = kSubstitutes;
}

int RarErrorToMessageId(int code) {
  switch (code) {
    case ERAR_END_ARCHIVE: return M_EOF_NOT_FOUND;
    case ERAR_NO_MEMORY: return M_OUT_OF_MEMORY;
    case ERAR_BAD_DATA: return M_BAD_FILE_HEADER;
    case ERAR_BAD_ARCHIVE:
    case ERAR_UNKNOWN_FORMAT: return M_INVALID_ARC_TYPE;
    case ERAR_EOPEN: return M_ERROR_OPENING;
    case ERAR_ECREATE:
    case ERAR_EWRITE: return M_ERROR_WRITING;
    case ERAR_ECLOSE: return M_ERROR_CLOSING;
    case ERAR_EREAD: return M_ERROR_READING;
    case ERAR_UNKNOWN: return M_BROKEN_VOLUMES;
    case kRarWrongPassword: return M_INVALID_PASSWORD;
    default: return M_NONE;
  }
}

int RarProcessDataCallback(unsigned char* block, int size) {
  return ActiveUnRAR ? ActiveUnRAR->DataBlock(block, size) : 0;
}

int RarChangeVolumeCallback(char* arcName, int mode) {
  return ActiveUnRAR ? ActiveUnRAR->ChangeVolume(arcName, mode) : 0;
}

TUnRAR::TUnRAR() = default;

TUnRAR::~TUnRAR() {
  if (ActiveUnRAR == this) ActiveUnRAR = nullptr;
}

bool TUnRAR::IsFolder(const RARHeaderData& h) const {
  // The directory flag first: a Unix mode's 0x10 is group write, not a folder.
  if ((h.Flags & RHDF_DIRECTORY) == RHDF_DIRECTORY) return true;
  if (h.HostOS == 3 || h.HostOS == 5) return (h.FileAttr & 0170000) == 0040000;
  return h.FileAttr & 0x10;
}

int TUnRAR::DataBlock(unsigned char* block, int size) {
  if (cancel_) return 0;
  if (size < 0) return -1;
  remainingBytes_ -= size;
  if (outputMode_ != TOutputMode::omFiles && !OutputBlock(block, static_cast<std::size_t>(size))) {
    outFailed_ = true;
    return -1;
  }
  if (outputMode_ == TOutputMode::omFiles) {
    int percent = SetPercentDone(totalBytes_ - remainingBytes_, totalBytes_);
    if (percent != lastPercent_) {
      lastPercent_ = percent;
      if (OnProgress) OnProgress(this, outputName_, static_cast<std::uint8_t>(percent));
      plat::ProcessMessages();
    }
  }
  return 1;
}

int TUnRAR::ChangeVolume(char* arcName, int mode) {
  if (!arcName) return 0;
  std::string current = SlashToBackslash(FixedString(arcName, RAR_VOLNAME_SIZE));
  if (current.find('\\') == std::string::npos) {
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd)) current = AppendBackslash(SlashToBackslash(cwd)) + current;
  }
  std::string full;
  if (mode == RAR_VOL_NOTIFY) {
    volumeName_ = current;
    std::size_t slash = current.rfind('\\');
    std::string dir = current.substr(0, slash + 1), name = current.substr(slash + 1);
    if (OnNextVolume) {
      bool cancel = false;
      OnNextVolume(this, dir, name, volumeCounter_ + 1, FileExistsByFind(current), cancel);
      if (cancel) return 0;
    }
    ++volumeCounter_;
    full = AppendBackslash(SlashToBackslash(dir)) + name;
    volumeName_ = full;
  } else {
    volumeName_ = current;
    ReadVolumeCounter();
    if (!AskNextVolume(full)) return 0;
  }
  std::string native = NativePath(full);
  // The library's buffer is fixed: a name that does not fit is not cut, it fails.
  if (native.size() >= RAR_VOLNAME_SIZE) return 0;
  std::memcpy(arcName, native.c_str(), native.size() + 1);
  return 1;
}

void TUnRAR::DoExtract() {
  if (!UnrarDllLoaded) Raise(M_UNRARDLL_NOT_FOUND);
  volumeName_ = archiveFile_;
  ReadVolumeCounter();
  // One file wanted from a later volume: it may start in any volume before, so the set is
  // read from its first one; ArchiveFile is the caller's again afterwards.
  std::string first = HasWildcards(fileMask_) ? std::string() : FirstVolumeName();
  if (!first.empty()) {
    struct Restore {
      TUnRAR* self;
      std::string name;
      ~Restore() { self->SetArchiveFile(name); }
    } restore{this, archiveFile_};
    SetArchiveFile(first);
    volumeName_ = archiveFile_;
    ReadVolumeCounter();
    RunArchive();
    return;
  }
  RunArchive();
}

void TUnRAR::RunArchive() {
  if (archiveFile_.empty()) Raise(M_INVALID_FILE_NAME);
  while (arcType_ != atRAR && arcType_ != atRarExe) {
    // No archive to open is a failure, not an empty extraction.
    std::string next;
    if (!AskNextVolume(next))
      Raise(arcType_ == atFileOpenErr ? M_FILE_NOT_FOUND : M_INVALID_ARC_TYPE, archiveFile_);
    SetArchiveFile(next);
    if (arcType_ != atRAR && arcType_ != atRarExe) Raise(M_INVALID_ARC_TYPE, next);
  }
  progressStep_ = static_cast<int>(progressNotify_) * 5 + 5;
  ProcessArchive(outputMode_ == TOutputMode::omFiles ? RAR_EXTRACT : RAR_TEST);
}

void TUnRAR::ProcessArchive(int operation) {
  const TUnrarEntryPoints& lib = UnrarEntryPoints;
  entryCount_ = 0;
  if (OnActivate) OnActivate(this);
  std::string archive = NativePath(archiveFile_);
  std::vector<char> comment(kCommentBufferSize);
  RAROpenArchiveData open{};
  open.ArcName = archive.data();
  open.OpenMode = RAR_OM_EXTRACT;
  open.CmtBuf = comment.data();
  open.CmtBufSize = static_cast<unsigned>(comment.size());
  void* handle = lib.RAROpenArchive(&open);
  if (!handle || open.OpenResult != ERAR_SUCCESS) {
    if (handle) lib.RARCloseArchive(handle);
    int msg = RarErrorToMessageId(static_cast<int>(open.OpenResult));
    Raise(msg ? msg : M_ERROR_OPENING, archiveFile_);
  }
  lib.RARSetProcessDataProc(handle, RarProcessDataCallback);
  lib.RARSetChangeVolProc(handle, RarChangeVolumeCallback);
  TUnRAR* previous = ActiveUnRAR;
  ActiveUnRAR = this;
  cancel_ = false;
  outFailed_ = false;
  bool wild = HasWildcards(fileMask_);
  if (OnElapsedTime) timer_.Start();
  password_.clear();
  try {
    int readResult = ERAR_SUCCESS;
    int headerIndex = 0;  // headers read, for finding an entry again
    while (!cancel_) {
      RARHeaderData header{};
      readResult = lib.RARReadHeader(handle, &header);
      if (readResult != ERAR_SUCCESS) break;
      ++headerIndex;
      std::string name = OemToAnsiPath(Trim(FixedString(header.FileName, RAR_NAME_SIZE)));
      totalBytes_ = remainingBytes_ = header.UnpSize;
      lastPercent_ = -1;
      bool selected = !IsFolder(header) && MatchFileMask(name, fileMask_);
      if (!selected && IsFolder(header) && useStoredDirs_ && wild && operation == RAR_EXTRACT) {
        // Folders are not entries, but an empty one (a save folder) must not be lost.
        std::string folderName, root;
        if (!MakeOutputName(name, folderName, root)) Raise(M_INVALID_FILE_NAME, name);
        if (!MakeFoldersBelow(NativePath(root), NativePath(folderName.substr(root.size())) + "/"))
          Raise(M_ERROR_WRITING, name);
      }
      if (!selected) {
        int r = lib.RARProcessFile(handle, RAR_SKIP, nullptr, nullptr);
        if (r != ERAR_SUCCESS) Raise(RarErrorToMessageId(r) ? RarErrorToMessageId(r) : M_ERROR_READING, name);
        continue;
      }
      std::string root;
      if (!MakeOutputName(name, outputName_, root)) Raise(M_INVALID_FILE_NAME, name);
      std::string native = NativePath(outputName_);
      bool accept = true;
      struct stat st {};
      if (operation == RAR_EXTRACT && ::lstat(native.c_str(), &st) == 0 && OnFileExists)
        OnFileExists(this, outputName_, DosDateToDateTimeSafe(header.FileTime), accept);
      if (accept && operation == RAR_EXTRACT) {
        std::string below = NativePath(outputName_.substr(root.size()));
        if (!MakeFoldersBelow(NativePath(root), below)) Raise(M_ERROR_WRITING, name);
      }
      if (accept) {
        ++entryCount_;
        if (OnBegin) OnBegin(this, outputName_, entryCount_, accept);
        if (!accept) --entryCount_;
      }
      if (!accept) {
        int r = lib.RARProcessFile(handle, RAR_SKIP, nullptr, nullptr);
        if (!wild) break;
        if (r != ERAR_SUCCESS) Raise(RarErrorToMessageId(r) ? RarErrorToMessageId(r) : M_ERROR_READING, name);
        continue;
      }
      bool encrypted = header.Flags & RHDF_ENCRYPTED;
      auto askPassword = [&] {
        if (password_.empty() && OnGetPassword) {
          bool tryAgain = true;
          OnGetPassword(this, outputName_, password_, tryAgain);
          if (!tryAgain) password_.clear();
        }
        // Without one the library refuses the entry, and that failure is reported.
        lib.RARSetPassword(handle, password_.data());
      };
      if (encrypted) askPassword();
      std::string folder = native.substr(0, native.rfind('/') + 1);
      int r = ERAR_SUCCESS;
      for (int attempt = 1;; ++attempt) {
        r = lib.RARProcessFile(handle, operation, folder.data(), native.data());
        if (!(r == ERAR_BAD_DATA && encrypted && !password_.empty()) || cancel_) break;
        r = kRarWrongPassword;
        if (attempt == 3) break;
        Report(M_INVALID_PASSWORD, outputName_);
        password_.clear();
        askPassword();
        if (password_.empty()) break;
        // The library has read past the entry: open it again and find the same entry.
        lib.RARCloseArchive(handle);
        handle = lib.RAROpenArchive(&open);
        if (!handle || open.OpenResult != ERAR_SUCCESS) Raise(M_ERROR_OPENING, archiveFile_);
        lib.RARSetProcessDataProc(handle, RarProcessDataCallback);
        lib.RARSetChangeVolProc(handle, RarChangeVolumeCallback);
        lib.RARSetPassword(handle, password_.data());
        RARHeaderData again{};
        for (int i = 0; i < headerIndex; ++i) {
          if (lib.RARReadHeader(handle, &again) != ERAR_SUCCESS) Raise(M_BAD_FILE_HEADER, name);
          if (i + 1 < headerIndex) lib.RARProcessFile(handle, RAR_SKIP, nullptr, nullptr);
        }
        totalBytes_ = remainingBytes_ = header.UnpSize;
        lastPercent_ = -1;
      }
      if (cancel_) break;
      if (OnEnd) OnEnd(this, outputName_, r == ERAR_SUCCESS);
      if (outFailed_) Raise(M_ERROR_WRITING, name);
      if (r != ERAR_SUCCESS) {
        // Bad data while the entry is processed is its CRC failing; a bad header is caught
        // when the header is read.
        int msg = r == ERAR_BAD_DATA ? M_CRC_FAILED : RarErrorToMessageId(r);
        Raise(msg ? msg : M_CRC_FAILED, name);
      }
      if (!wild) break;
    }
    if (!cancel_ && readResult != ERAR_SUCCESS && readResult != ERAR_END_ARCHIVE) {
      int msg = readResult == ERAR_BAD_DATA ? M_BAD_FILE_HEADER : RarErrorToMessageId(readResult);
      Raise(msg ? msg : M_BAD_FILE_HEADER, archiveFile_);
    }
  } catch (...) {
    // Failures end the run and reach the caller; the archive is closed, OnDeactivate stays.
    if (OnElapsedTime) timer_.Stop();
    lib.RARCloseArchive(handle);
    ActiveUnRAR = previous;
    throw;
  }
  if (OnElapsedTime) {
    timer_.Stop();
    OnElapsedTime(this, timer_.ElapsedTime());
  }
  lib.RARCloseArchive(handle);
  ActiveUnRAR = previous;
  if (OnDeactivate) OnDeactivate(this);
}

}  // namespace zarn3set
