// A scripted stand-in for the RAR library, loaded by name like the real one: each entry says
// what its processing answers, how its data arrives, which password it wants and which volume
// request it makes. Calls are logged for the tests to read.
#pragma once

extern "C" {

struct FakeRarEntry {
  char name[400];          // longer than the header field on purpose
  unsigned flags, unpSize, hostOS, attr;
  int result;              // processing answer once the data has been handed over
  int blocks, blockSize;   // data callback calls
  char password[32];       // wanted password ("" = none)
  int volumeMode;          // -1 none, else the mode of a volume request made first
  char volumeName[1100];   // the name in the volume buffer for that request
};

struct FakeRarScript {
  int openResult;
  int endResult;  // what reading past the last entry answers
  int entryCount;
  FakeRarEntry entries[8];
};

using FakeRarSetScriptFn = void (*)(const FakeRarScript*);
using FakeRarLogFn = const char* (*)();
using FakeRarVolumeFn = const char* (*)(int* answer, int* guardIntact);

}  // extern "C"
