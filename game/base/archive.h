// The packed resource archive (data\zarn.res), its records and .img pictures, the mouse
// cursors and the frame counters that animate them.
//
// Archive file: records of a 24-byte header followed by the record's data; the next header
// follows the data; the last record's data ends the file. Opening checks every header before
// the archive joins the table; reads never leave their record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "game/base/tables.h"

namespace zarn {

inline constexpr std::uint16_t ArchiveMagic = 0x1976;
inline constexpr std::size_t ArchiveDirectoryBytes = 64000;  // the file image starts here
inline constexpr int ArchiveMaxRecords = 2666;                // what fits the directory
inline constexpr int ArchiveMaxOpen = 10;
inline constexpr int ArchiveNameChars = 12;

// Error codes of ArchiveError (texts by ErrorText): runtime file codes 2, 3, 5 and these.
inline constexpr int ArchiveErrorTableFull = 50;
inline constexpr int ArchiveErrorBadHeader = 51;
inline constexpr int ArchiveErrorRead = 52;

#pragma pack(push, 1)
struct TArchiveEntry {
  std::uint8_t NameLength;  // 0..12
  char Name[12];
  std::uint8_t Reserved;
  std::uint16_t Magic;  // 0x1976
  std::int32_t DataPosition;  // from the start of the file
  std::int32_t DataSize;
};

struct TImgPicture {
  std::uint16_t Width;
  std::uint16_t Height;
  // Width x Height pixel bytes follow, row-major.
};

struct TAnimCounter {
  std::int16_t FrameCount;
  std::int16_t CurrentFrame;  // 1-based
  std::int16_t FirstSprite;   // of TileSheet16
  std::uint16_t Period;       // TickCount units
  std::int32_t NextStep;      // TickCount value
};

struct TCursorRecord {
  std::uint8_t Color;
  std::uint8_t Type;  // 0..7 select a mask; higher values draw nothing
  std::uint8_t Flag;
};
#pragma pack(pop)

static_assert(sizeof(TArchiveEntry) == 24);
static_assert(offsetof(TArchiveEntry, Name) == 1 && offsetof(TArchiveEntry, Reserved) == 13 &&
              offsetof(TArchiveEntry, Magic) == 14 && offsetof(TArchiveEntry, DataPosition) == 16 &&
              offsetof(TArchiveEntry, DataSize) == 20);
static_assert(sizeof(TImgPicture) == 4 && offsetof(TImgPicture, Height) == 2);
static_assert(sizeof(TAnimCounter) == 12);
static_assert(offsetof(TAnimCounter, CurrentFrame) == 2 && offsetof(TAnimCounter, FirstSprite) == 4 &&
              offsetof(TAnimCounter, Period) == 6 && offsetof(TAnimCounter, NextStep) == 8);

// One open archive. The buffer belongs to the caller: the directory from offset 0, the whole
// file from offset 64000 on.
struct TArchiveSlot {
  std::string Name;  // the archive's file name cut to 12 characters
  std::uint16_t RecordCount = 0;
  std::int32_t BaseOffset = 0;
  std::vector<std::uint8_t>* Buffer = nullptr;
};

inline std::int16_t ArchiveError = 0;
inline std::int16_t ArchiveCount = 0;
inline Table1<TArchiveSlot, ArchiveMaxOpen> ArchiveTable{};

struct TResourceHandle {
  std::string Name;
  std::uint16_t Archive = 0;      // 1..ArchiveCount; 0 = none
  std::uint16_t RecordIndex = 0;  // 0-based
  std::int32_t DataPosition = 0;
  std::int32_t DataSize = 0;
  std::int32_t ReadPosition = 0;
};

// Runtime result code of a file that does not open: 2 not found, 3 path not found,
// 4 too many open files, 5 access denied; 0 when it opens.
int OpenErrorCode(const std::filesystem::path& path);
// Reads a whole regular file of at most maxBytes: 0, an open code as above, ReadFailureCode (the
// runtime's disk read error) when reading fails, or one of the codes below.
inline constexpr int ReadFailureCode = 100;
inline constexpr int OutOfMemoryCode = 8;  // as the system's own "not enough memory"
inline constexpr int NotRegularFileCode = 150;  // a named pipe, a device, a link to one
inline constexpr int FileTooLargeCode = 151;  // larger than any file of its kind
int ReadGameFile(const std::filesystem::path& path, std::uintmax_t maxBytes, std::vector<std::uint8_t>& bytes);
// The most the game reads of each kind of data file: the archive's buffer size counts thousands
// in 16 bits; a font holds under 64 KB of glyphs and the largest sheet 28 KB; a sound bank of
// short effects stays far below its limit.
inline constexpr std::uintmax_t MaxArchiveFileBytes = 0xFFFFull * 1000;
inline constexpr std::uintmax_t MaxSheetFileBytes = 1u << 20;
inline constexpr std::uintmax_t MaxSoundBankBytes = 64u << 20;

void CloseAllArchives();
// Buffer size in thousands of bytes: file size div 1000 + 1 + 64; 0 when the file does not
// open (ArchiveError = runtime code) or the size does not fit 16 bits.
std::uint16_t ArchiveBufferSize(std::string_view gamePath);
// 0 ok, 1 failed (ArchiveError tells why; the table and the buffer are then untouched).
// The buffer is resized to hold the directory and the file.
std::uint16_t OpenResourceArchive(std::string_view gamePath, std::vector<std::uint8_t>& buffer);
// The same on a file image already in memory (the fuzzer and the tests use it).
std::uint16_t OpenResourceArchiveBytes(std::string_view name, std::span<const std::uint8_t> file,
                                       std::vector<std::uint8_t>& buffer);
// Checks a file image and lists its headers; ArchiveError-style code, 0 when sound.
int WalkArchive(std::span<const std::uint8_t> file, std::vector<TArchiveEntry>& entries);

// Directory entry `index` (0-based) of an open archive; false when there is none.
bool ArchiveEntryAt(int archive, int index, TArchiveEntry& entry);
std::string ArchiveEntryName(const TArchiveEntry& entry);

// 0 found (handle filled, read position 0), 1 not found (handle untouched).
std::uint8_t FindResourceIn(int archive, std::string_view name, TResourceHandle& handle);
std::uint8_t FindResource(TResourceHandle& handle, std::string_view name);
void ResourceReset(TResourceHandle& handle, int recordSize = 1);
std::int32_t ResourceSize(const TResourceHandle& handle);
// Copies up to count bytes from the read position; done = what was copied, which stops at
// the record's end.
void ReadResource(TResourceHandle& handle, void* destination, std::uint16_t count, std::uint16_t& done);
void CloseResource(TResourceHandle& handle);

// Loads the named .img record into PictureBuffer. A missing record or one shorter than its
// width x height leaves an empty picture and returns false.
bool LoadPicture(std::string_view name);
// The checks of LoadPicture on a record's bytes (for the fuzzer).
bool SetPictureFromRecord(std::span<const std::uint8_t> record);

// Mouse cursor.
inline TCursorRecord CursorRecord{15, 1, 0};
inline std::array<std::uint16_t, 16> CursorMask{};
extern const std::array<std::array<std::uint16_t, 16>, 8> CursorMasks;
void ResetCursorState();
void SetCursorColor(std::uint8_t colour);
// The pointer's colour with no order waiting for a target.
inline constexpr std::uint8_t CursorNormalColour = 200;
void SetCursorShape(const std::array<std::uint16_t, 16>& mask);
void SelectCursor(std::uint8_t type);
void DrawCursorMask(int x, int y);
void DrawMouseCursor();

// Frame counters of the cursors and menu animations, first to fourth.
inline Table1<TAnimCounter, 4> AnimCounters{};
void AnimCounterInit(TAnimCounter& counter, int frameCount, int firstSprite, int period);
// The four counters of the animated pointers, as start-up and a resumed game set them.
void InitPointerAnimCounters();
void AnimCounterStep(TAnimCounter& counter);
void DrawPictureCursor(const TAnimCounter& counter, int x, int y);

}  // namespace zarn
