// Types of the archive component family: archive kinds, options, events and its exception.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace zarn3set {

enum class TArcType : std::uint8_t {
  atNA, atUnsupported, atFileOpenErr, atUnknown, atARC, atArcExe, atARJ, atArjExe, atBH,
  atBHExe, atCAB, atGZip, atHA, atLHA, atLhaExe, atLZH, atLzhExe, atPAK, atPakExe, atRAR,
  atRarExe, atTAR, atUUE, atZIP, atZipExe, atZip250, atZip250Exe, atZOO,
};
using enum TArcType;

enum class TCpuType : std::uint8_t { cptAuto, cpt8086, cpt80286, cpt80386, cpt80486 };
using enum TCpuType;

// Progress is reported in steps of (value x 5 + 5) percent.
enum class TProgressNotify : std::uint8_t { Five, Ten, Fifteen, Twenty, TwentyFive };

// Where extracted data goes: files written by the library, or handed to the caller.
enum class TOutputMode : std::uint8_t { omFiles = 1, omStream1 = 2, omStream2 = 3, omMemory = 4 };

class TZipCommon;

// Events. Names and texts are UTF-8 (the system's code page); paths use "\" inside the
// component, as the archive stores them.
using TNotifyEvent = std::function<void(TZipCommon* Sender)>;
using TBeginEvent =
    std::function<void(TZipCommon* Sender, const std::string& FileName, int EntryNo, bool& Extract)>;
using TEndEvent =
    std::function<void(TZipCommon* Sender, const std::string& FileName, bool CRCPass)>;
using TProgressEvent =
    std::function<void(TZipCommon* Sender, const std::string& FileName, std::uint8_t Percent)>;
using TErrorEvent =
    std::function<void(TZipCommon* Sender, const std::string& FileName,
                       const std::string& ExtraText, int VolumeID, int MsgCode)>;
using TNextVolumeEvent =
    std::function<void(TZipCommon* Sender, std::string& VolumeDir, std::string& VolumeName,
                       int VolumeID, bool FileExists, bool& Cancel)>;
using TFileExistsEvent = std::function<void(TZipCommon* Sender, const std::string& FileName,
                                            double FileDate, bool& Accept)>;
using TGetPasswordEvent = std::function<void(TZipCommon* Sender, const std::string& FileName,
                                             std::string& Password, bool& TryAgain)>;
using TElapsedTimeEvent = std::function<void(TZipCommon* Sender, float Seconds)>;

// The component's raised error; what() is one of its messages (err_msgs.h).
class E_RAISE : public std::runtime_error {
 public:
  E_RAISE(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

}  // namespace zarn3set
