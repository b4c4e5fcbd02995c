#include "tests/setup/fakelib/fakeunrar.h"

#include <cstring>
#include <string>
#include <vector>

#include "setup/archive/rardll.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

FakeRarScript gScript{};
std::string gLog;
struct Handle {
  int next = 0, current = -1;
  RARChangeVolProc vol = nullptr;
  RARProcessDataProc data = nullptr;
  std::string password;
};
// The volume buffer with guard bytes behind it: a copy past its end shows there.
constexpr unsigned char kGuard = 0xA5;
unsigned char gVolume[RAR_VOLNAME_SIZE + 64];
std::string gVolumeName;
int gVolumeAnswer = -2;

}  // namespace

FAKE_EXPORT void FakeRarSetScript(const FakeRarScript* s) {
  gScript = *s;
  gLog.clear();
  gVolumeName.clear();
  gVolumeAnswer = -2;
}
FAKE_EXPORT const char* FakeRarLog() { return gLog.c_str(); }
FAKE_EXPORT const char* FakeRarVolume(int* answer, int* guardIntact) {
  *answer = gVolumeAnswer;
  *guardIntact = 1;
  for (std::size_t i = RAR_VOLNAME_SIZE; i < sizeof gVolume; ++i)
    if (gVolume[i] != kGuard) *guardIntact = 0;
  return gVolumeName.c_str();
}

FAKE_EXPORT void* RAROpenArchive(RAROpenArchiveData* d) {
  gLog += "open " + std::to_string(d->OpenMode) + " " + std::to_string(d->CmtBufSize) + ";";
  d->OpenResult = static_cast<unsigned>(gScript.openResult);
  return gScript.openResult ? nullptr : new Handle;
}
FAKE_EXPORT int RARCloseArchive(void* h) {
  gLog += "close;";
  delete static_cast<Handle*>(h);
  return 0;
}
FAKE_EXPORT int RARReadHeader(void* hv, RARHeaderData* out) {
  auto* h = static_cast<Handle*>(hv);
  if (h->next >= gScript.entryCount) {
    gLog += "end;";
    return gScript.endResult;
  }
  const FakeRarEntry& e = gScript.entries[h->next];
  h->current = h->next++;
  std::memset(out->FileName, 0, sizeof out->FileName);
  std::strncpy(out->FileName, e.name, sizeof out->FileName - 1);
  out->Flags = e.flags;
  out->UnpSize = e.unpSize;
  out->PackSize = e.unpSize;
  out->HostOS = e.hostOS;
  out->FileAttr = e.attr;
  gLog += "read;";
  return 0;
}
FAKE_EXPORT int RARProcessFile(void* hv, int op, char* path, char* name) {
  auto* h = static_cast<Handle*>(hv);
  const FakeRarEntry& e = gScript.entries[h->current];
  gLog += "process " + std::to_string(op);
  if (op != 0) gLog += std::string(" ") + (path ? path : "-") + " " + (name ? name : "-");
  gLog += ";";
  if (op == 0) return 0;
  if (e.password[0]) {
    if (h->password.empty()) return ERAR_UNKNOWN_FORMAT;
    if (h->password != e.password) return ERAR_BAD_DATA;
  }
  if (e.volumeMode >= 0 && h->vol) {
    std::memset(gVolume, kGuard, sizeof gVolume);
    std::strncpy(reinterpret_cast<char*>(gVolume), e.volumeName, RAR_VOLNAME_SIZE - 1);
    gVolume[RAR_VOLNAME_SIZE - 1] = 0;
    gVolumeAnswer = h->vol(reinterpret_cast<char*>(gVolume), e.volumeMode);
    gVolumeName = reinterpret_cast<char*>(gVolume);
    if (gVolumeAnswer == 0) return ERAR_EOPEN;
  }
  std::vector<unsigned char> block(static_cast<std::size_t>(e.blockSize > 0 ? e.blockSize : 1));
  for (int i = 0; i < e.blocks; ++i)
    if (!h->data || h->data(block.data(), e.blockSize) == 0) {
      gLog += "stopped;";
      return ERAR_UNKNOWN;
    }
  return e.result;
}
FAKE_EXPORT void RARSetChangeVolProc(void* h, RARChangeVolProc p) { static_cast<Handle*>(h)->vol = p; }
FAKE_EXPORT void RARSetProcessDataProc(void* h, RARProcessDataProc p) {
  static_cast<Handle*>(h)->data = p;
}
FAKE_EXPORT void RARSetPassword(void* h, char* p) {
  static_cast<Handle*>(h)->password = p ? p : "";
  gLog += std::string("password ") + (p ? p : "") + ";";
}
