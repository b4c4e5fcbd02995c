// Binding of the RAR library: loaded by name at start, its seven entry points resolved, and
// harmless substitutes when it is missing.
#pragma once

#include <string>

#include "setup/archive/rardll.h"

namespace zarn3set {

// The library's file name, looked for beside the program first.
inline constexpr const char* kUnrarLibraryName = "libunrar.so";

struct TUnrarEntryPoints {
  RAROpenArchiveFn RAROpenArchive;
  RARCloseArchiveFn RARCloseArchive;
  RARReadHeaderFn RARReadHeader;
  RARProcessFileFn RARProcessFile;
  RARSetChangeVolProcFn RARSetChangeVolProc;
  RARSetProcessDataProcFn RARSetProcessDataProc;
  RARSetPasswordFn RARSetPassword;
};

inline void* UnrarLibHandle = nullptr;
inline bool UnrarDllLoaded = false;
extern TUnrarEntryPoints UnrarEntryPoints;  // the substitutes until bound

// Loads the library (by default kUnrarLibraryName beside the program, then on the system's
// search path; `library` names another file) and resolves the entry points; on failure installs
// the substitutes. True when loaded.
bool BindUnrarLibrary(const std::string& library = {});
void UnbindUnrarLibrary();

// The component's message code for a library result code (0 = none).
int RarErrorToMessageId(int code);

// The component's own code for a wrong password (the library answers 12 for it).
inline constexpr int kRarWrongPassword = 22;

}  // namespace zarn3set
