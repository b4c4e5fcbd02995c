// The archive component family: TAwkMain (cancel flag, stopwatch) -> TZipCommon (archive,
// output folder, events, volumes) -> TUnBase (selection, progress step) -> TUnRAR (extraction
// through the RAR library bound in UnRAR.h).
//
// Use: set ArchiveFile (SetArchiveFile), optionally ExtractDir, FileMask, the events; then
// Extract(). Paths are UTF-8; "/" and "\" are both accepted and kept as "\" inside.
// Errors are raised as E_RAISE with one of the messages of err_msgs.h.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "setup/archive/AwkGbls.h"
#include "setup/archive/Awktypes.h"
#include "setup/archive/err_msgs.h"
#include "setup/archive/rardll.h"

namespace zarn3set {

class TarxTimer {
 public:
  void Start();
  void Stop();
  std::uint64_t StartTick() const { return start_; }
  std::uint64_t StopTick() const { return stop_; }
  float ElapsedTime() const { return elapsed_; }

 private:
  std::uint64_t start_ = 0, stop_ = 0;
  float elapsed_ = 0;
};

class TarxFileAttr {
 public:
  bool ftArchive() const { return attr_ & 0x20; }
  bool ftHidden() const { return attr_ & 0x02; }
  bool ftReadOnly() const { return attr_ & 0x01; }
  bool ftSysFile() const { return attr_ & 0x04; }
  bool ftVolumeID() const { return attr_ & 0x08; }
  bool ftDirectory() const { return attr_ & 0x10; }
  void SetArchive(bool on) { Set(0x20, on); }
  void SetHidden(bool on) { Set(0x02, on); }
  void SetReadOnly(bool on) { Set(0x01, on); }
  void SetSysFile(bool on) { Set(0x04, on); }
  void SetVolumeID(bool on) { Set(0x08, on); }
  void SetDirectory(bool on) { Set(0x10, on); }
  int Attr() const { return attr_; }
  void Assign(const TarxFileAttr& other) { attr_ = other.attr_ & 0x3F; }

 private:
  void Set(int bit, bool on) { attr_ = on ? (attr_ | bit) : (attr_ & ~bit); }
  int attr_ = 0x21;
};

class TAwkMain {
 public:
  virtual ~TAwkMain() = default;
  bool Cancel() const { return cancel_; }
  // Stores the flag and lets pending window messages run (a Stop button sets it).
  void SetCancel(bool flag);
  TarxTimer& Timer() { return timer_; }

 protected:
  bool cancel_ = false;
  TarxTimer timer_;
};

class TZipCommon : public TAwkMain {
 public:
  const std::string& ArchiveFile() const { return archiveFile_; }
  // Empty clears it (atNA); otherwise stores it with "\" separators and detects its type.
  void SetArchiveFile(const std::string& name);
  TArcType ArcType() const { return arcType_; }
  const std::string& ExtractDir() const { return extractDir_; }
  // Stored with "\" separators and a trailing "\"; empty takes the archive's folder.
  void SetExtractDir(const std::string& dir);
  bool UseStoredDirs() const { return useStoredDirs_; }
  void SetUseStoredDirs(bool on) { useStoredDirs_ = on; }
  TarxFileAttr& FileAttr() { return fileAttr_; }
  const std::string& OutputFileName() const { return outputName_; }

  TNotifyEvent OnActivate, OnDeactivate;
  TBeginEvent OnBegin;
  TEndEvent OnEnd;
  TProgressEvent OnProgress;
  TErrorEvent OnError;
  TNextVolumeEvent OnNextVolume;
  TFileExistsEvent OnFileExists;
  TGetPasswordEvent OnGetPassword;
  TElapsedTimeEvent OnElapsedTime;

 protected:
  // The output name of an entry ("\" separated) and the folder it goes below (ExtractDir or
  // its default). A drive and leading "\" are dropped; false for a ".." level or no name.
  bool MakeOutputName(const std::string& entryName, std::string& out, std::string& root) const;
  // Reports through OnError (unless cancelled) and goes on.
  void Report(int code, const std::string& fileName, const std::string& extra = {});
  // Reports through OnError and raises E_RAISE with the code's message.
  [[noreturn]] void Raise(int code, const std::string& fileName = {},
                          const std::string& extra = {});
  // Reads the volume counter from the current volume's extension.
  void ReadVolumeCounter();
  std::string NextVolumeName() const;
  // The first volume of the set the current volume belongs to ("" when none is found): the
  // same name with an extension of kVolumeExtensions, or the digits 001.
  std::string FirstVolumeName() const;
  // Asks OnNextVolume for the next volume; true with `found` set to its full name.
  bool AskNextVolume(std::string& found);

  std::string archiveFile_;
  TArcType arcType_ = atNA;
  std::string extractDir_;
  bool useStoredDirs_ = true;
  TarxFileAttr fileAttr_;
  std::string outputName_;
  std::string volumeName_;   // the current volume
  int volumeCounter_ = 0;    // the number of the current volume's extension
  char volumeLetter_ = 0;    // the extension's letter, 0 for digits only
  int volumeDigits_ = 0;     // digits in the extension (0: none)
};

// Extensions of archives that may start a volume set.
inline constexpr const char* kVolumeExtensions[18] = {
    ".UUE", ".XXE", ".ENC", ".TAR", ".Z",   ".GZ",  ".ZIP", ".ZOO", ".LHA",
    ".LZH", ".ARC", ".ARJ", ".BH",  ".PAK", ".CAB", ".RAR", ".EXE", ".ACE"};

class TUnBase : public TZipCommon {
 public:
  const std::string& FileMask() const { return fileMask_; }
  void SetFileMask(const std::string& mask) { fileMask_ = mask.empty() ? "*.*" : mask; }
  TCpuType CpuType() const { return cpuType_; }
  void SetCpuType(TCpuType t) { cpuType_ = t; }
  TProgressNotify ProgressNotify() const { return progressNotify_; }
  void SetProgressNotify(TProgressNotify p) { progressNotify_ = p; }
  TOutputMode OutputMode() const { return outputMode_; }
  int ProgressStep() const { return progressStep_; }

  // Extracts the selected entries as files below ExtractDir.
  void Extract();
  // The selected entries' data, one after another, written to a stream (mode 2), to an open
  // file descriptor (mode 3) or into a block (mode 4; answers the bytes written). Data that
  // cannot be written fails with "Error writing to file".
  void ExtractToStream(std::ostream& out);
  void ExtractToHandle(int fd);
  std::size_t ExtractToMemory(void* block, std::size_t size);

 protected:
  virtual void DoExtract() = 0;

  std::string fileMask_ = "*.*";
  TCpuType cpuType_ = cptAuto;
  TProgressNotify progressNotify_ = TProgressNotify::Ten;
  // Hands a block to the output of modes 2 to 4; false when it cannot be written.
  bool OutputBlock(const unsigned char* block, std::size_t size);

  TOutputMode outputMode_ = TOutputMode::omFiles;
  std::ostream* outStream_ = nullptr;
  int outHandle_ = -1;
  unsigned char* outBlock_ = nullptr;
  std::size_t outSize_ = 0, outPos_ = 0;
  bool outFailed_ = false;
  std::int64_t totalBytes_ = 0, remainingBytes_ = 0;
  int progressStep_ = 0;
};

class TUnRAR : public TUnBase {
 public:
  TUnRAR();
  ~TUnRAR() override;
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& p) { password_ = p; }

  // Entries extracted by the last run (accepted by OnBegin).
  int EntryCount() const { return entryCount_; }

 protected:
  void DoExtract() override;

 private:
  friend int RarProcessDataCallback(unsigned char* block, int size);
  friend int RarChangeVolumeCallback(char* arcName, int mode);
  void RunArchive();
  void ProcessArchive(int operation);
  bool IsFolder(const RARHeaderData& h) const;
  int DataBlock(unsigned char* block, int size);
  int ChangeVolume(char* arcName, int mode);

  std::string password_;
  int entryCount_ = 0;
  int lastPercent_ = -1;
};

}  // namespace zarn3set
