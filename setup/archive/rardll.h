// The published interface of the RAR extraction library: its records, result codes and seven
// entry points. The installer loads the library by name and binds these entry points; our own
// libunrar.so implements them.
#pragma once

#include <cstddef>
#include <cstdint>



extern "C" {

// Result codes.
enum : int {
  ERAR_SUCCESS = 0,
  ERAR_END_ARCHIVE = 10,
  ERAR_NO_MEMORY = 11,
  ERAR_BAD_DATA = 12,
  ERAR_BAD_ARCHIVE = 13,
  ERAR_UNKNOWN_FORMAT = 14,
  ERAR_EOPEN = 15,
  ERAR_ECREATE = 16,
  ERAR_ECLOSE = 17,
  ERAR_EREAD = 18,
  ERAR_EWRITE = 19,
  ERAR_SMALL_BUF = 20,
  ERAR_UNKNOWN = 21,
};

// Open modes and file operations.
enum : int { RAR_OM_LIST = 0, RAR_OM_EXTRACT = 1 };
enum : int { RAR_SKIP = 0, RAR_TEST = 1, RAR_EXTRACT = 2 };
// Volume callback modes: ask for a missing volume, or notify that the next one is opened.
enum : int { RAR_VOL_ASK = 0, RAR_VOL_NOTIFY = 1 };

// Header flags of a file entry.
enum : unsigned {
  RHDF_SPLITBEFORE = 0x01,
  RHDF_SPLITAFTER = 0x02,
  RHDF_ENCRYPTED = 0x04,
  RHDF_SOLID = 0x10,
  RHDF_DIRECTORY = 0xE0,  // all three dictionary bits set
};

// Size of the name fields of the header record, and of the volume name buffer that the
// volume callback may rewrite (terminator included).
constexpr std::size_t RAR_NAME_SIZE = 260;
constexpr std::size_t RAR_VOLNAME_SIZE = 1024;

// Plain C layout, as any compiler lays out the library's side.
struct RAROpenArchiveData {
  char* ArcName;
  unsigned int OpenMode;
  unsigned int OpenResult;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
};

struct RARHeaderData {
  char ArcName[RAR_NAME_SIZE];
  char FileName[RAR_NAME_SIZE];
  unsigned int Flags;
  unsigned int PackSize;
  unsigned int UnpSize;
  unsigned int HostOS;
  unsigned int FileCRC;
  unsigned int FileTime;
  unsigned int UnpVer;
  unsigned int Method;
  unsigned int FileAttr;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
};
static_assert(offsetof(RAROpenArchiveData, CmtBuf) == 16);
static_assert(offsetof(RARHeaderData, Flags) == 520);
static_assert(offsetof(RARHeaderData, FileAttr) == 552);

// Volume callback: answers 0 to stop. The name buffer holds RAR_VOLNAME_SIZE bytes.
using RARChangeVolProc = int (*)(char* arcName, int mode);
// Data callback: each unpacked block; answers 0 to stop.
using RARProcessDataProc = int (*)(unsigned char* block, int size);

using RAROpenArchiveFn = void* (*)(RAROpenArchiveData* data);
using RARCloseArchiveFn = int (*)(void* handle);
using RARReadHeaderFn = int (*)(void* handle, RARHeaderData* header);
using RARProcessFileFn = int (*)(void* handle, int operation, char* destPath, char* destName);
using RARSetChangeVolProcFn = void (*)(void* handle, RARChangeVolProc proc);
using RARSetProcessDataProcFn = void (*)(void* handle, RARProcessDataProc proc);
using RARSetPasswordFn = void (*)(void* handle, char* password);

// The entry points as the library exports them.
void* RAROpenArchive(RAROpenArchiveData* data);
int RARCloseArchive(void* handle);
int RARReadHeader(void* handle, RARHeaderData* header);
int RARProcessFile(void* handle, int operation, char* destPath, char* destName);
void RARSetChangeVolProc(void* handle, RARChangeVolProc proc);
void RARSetProcessDataProc(void* handle, RARProcessDataProc proc);
void RARSetPassword(void* handle, char* password);

}  // extern "C"
