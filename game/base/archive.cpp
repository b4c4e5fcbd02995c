#include "game/base/archive.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>

#include "game/base/files.h"
#include "game/base/globals.h"
#include "game/base/options.h"
#include "game/base/video.h"
#include "platform/system.h"

namespace zarn {

int OpenErrorCode(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return 5;
  // Non-blocking: a named pipe must not hold the game until someone writes to it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return 0;
  }
  switch (errno) {
    case ENOENT: {
      const std::filesystem::path parent = path.parent_path();
      return parent.empty() || std::filesystem::is_directory(parent, ec) ? 2 : 3;
    }
    case ENOTDIR:
    case ENAMETOOLONG:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
      return 5;
    default:
      return 2;
  }
}

int ReadGameFile(const std::filesystem::path& path, std::uintmax_t maxBytes, std::vector<std::uint8_t>& bytes) {
  try {
    switch (plat::ReadRegularFile(path, maxBytes, bytes)) {
      case plat::ReadResult::Ok: return 0;
      case plat::ReadResult::TooLarge: return FileTooLargeCode;
      case plat::ReadResult::CannotRead: return ReadFailureCode;
      case plat::ReadResult::NotRegular:  // a folder is refused as the system refuses to open it
      case plat::ReadResult::CannotOpen: break;
    }
  } catch (const std::bad_alloc&) {
    return OutOfMemoryCode;
  }
  const int code = OpenErrorCode(path);
  std::error_code ec;
  return code != 0 ? code : std::filesystem::exists(path, ec) ? NotRegularFileCode : 2;
}

void CloseAllArchives() { ArchiveCount = 0; }

std::uint16_t ArchiveBufferSize(std::string_view gamePath) {
  const std::filesystem::path path = NativePath(gamePath);
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) {
    const int code = OpenErrorCode(path);
    ArchiveError = static_cast<std::int16_t>(code != 0 ? code : NotRegularFileCode);
    return 0;
  }
  const std::uintmax_t thousands = size / 1000 + 1 + 64;
  return thousands > 0xFFFF ? 0 : static_cast<std::uint16_t>(thousands);
}

int WalkArchive(std::span<const std::uint8_t> file, std::vector<TArchiveEntry>& entries) {
  std::vector<TArchiveEntry> found;
  const auto fileSize = static_cast<std::int64_t>(file.size());
  std::int64_t pos = 0;
  for (;;) {
    if (static_cast<int>(found.size()) >= ArchiveMaxRecords) return ArchiveErrorBadHeader;
    if (fileSize - pos < static_cast<std::int64_t>(sizeof(TArchiveEntry))) return ArchiveErrorRead;
    TArchiveEntry h;
    std::memcpy(&h, file.data() + pos, sizeof h);
    if (h.NameLength > ArchiveNameChars || h.Magic != ArchiveMagic) return ArchiveErrorBadHeader;
    // The data lies after its own header and inside the file, so every step moves forward.
    const std::int64_t end = static_cast<std::int64_t>(h.DataPosition) + h.DataSize;
    if (h.DataPosition < pos + static_cast<std::int64_t>(sizeof h) || h.DataSize < 0 || end > fileSize)
      return ArchiveErrorBadHeader;
    found.push_back(h);
    if (end == fileSize) break;
    pos = end;
  }
  entries = std::move(found);
  return 0;
}

std::uint16_t OpenResourceArchiveBytes(std::string_view name, std::span<const std::uint8_t> file,
                                       std::vector<std::uint8_t>& buffer) {
  if (ArchiveCount >= ArchiveMaxOpen) {
    ArchiveError = ArchiveErrorTableFull;
    return 1;
  }
  std::vector<TArchiveEntry> entries;
  if (const int e = WalkArchive(file, entries)) {
    ArchiveError = static_cast<std::int16_t>(e);
    return 1;
  }
  buffer.assign(ArchiveDirectoryBytes + file.size(), 0);
  std::memcpy(buffer.data(), entries.data(), entries.size() * sizeof(TArchiveEntry));
  if (!file.empty()) std::memcpy(buffer.data() + ArchiveDirectoryBytes, file.data(), file.size());
  ++ArchiveCount;
  TArchiveSlot& slot = ArchiveTable[ArchiveCount];
  slot.Name = std::string(name.substr(0, ArchiveNameChars));
  slot.RecordCount = static_cast<std::uint16_t>(entries.size());
  slot.BaseOffset = static_cast<std::int32_t>(ArchiveDirectoryBytes);
  slot.Buffer = &buffer;
  return 0;
}

std::uint16_t OpenResourceArchive(std::string_view gamePath, std::vector<std::uint8_t>& buffer) {
  if (ArchiveCount >= ArchiveMaxOpen) {
    ArchiveError = ArchiveErrorTableFull;
    return 1;
  }
  const std::filesystem::path path = NativePath(gamePath);
  std::vector<std::uint8_t> file;
  if (const int code = ReadGameFile(path, MaxArchiveFileBytes, file)) {
    ArchiveError = static_cast<std::int16_t>(code == ReadFailureCode ? ArchiveErrorRead : code);
    return 1;
  }
  // The table keeps the file name, not the folder.
  const std::size_t cut = gamePath.find_last_of("\\/");
  const std::string_view base = cut == std::string_view::npos ? gamePath : gamePath.substr(cut + 1);
  return OpenResourceArchiveBytes(base, file, buffer);
}

namespace {

// The slot of an open archive whose buffer still holds its directory, or null.
const TArchiveSlot* OpenSlot(int archive) {
  if (archive < 1 || archive > ArchiveCount) return nullptr;
  const TArchiveSlot& slot = ArchiveTable[archive];
  if (slot.Buffer == nullptr) return nullptr;
  if (slot.Buffer->size() < ArchiveDirectoryBytes) return nullptr;
  return &slot;
}

// The record's bytes inside its archive's buffer (empty when the handle points nowhere).
std::span<const std::uint8_t> RecordBytes(const TResourceHandle& handle) {
  const TArchiveSlot* slot = OpenSlot(handle.Archive);
  if (slot == nullptr || handle.DataPosition < 0 || handle.DataSize < 0) return {};
  const std::size_t from = ArchiveDirectoryBytes + static_cast<std::size_t>(handle.DataPosition);
  const std::size_t size = slot->Buffer->size();
  if (from > size) return {};
  const std::size_t n = std::min(static_cast<std::size_t>(handle.DataSize), size - from);
  return {slot->Buffer->data() + from, n};
}

}  // namespace

bool ArchiveEntryAt(int archive, int index, TArchiveEntry& entry) {
  const TArchiveSlot* slot = OpenSlot(archive);
  if (slot == nullptr || index < 0 || index >= slot->RecordCount) return false;
  std::memcpy(&entry, slot->Buffer->data() + static_cast<std::size_t>(index) * sizeof entry, sizeof entry);
  return true;
}

std::string ArchiveEntryName(const TArchiveEntry& entry) {
  return std::string(entry.Name, std::min<std::size_t>(entry.NameLength, ArchiveNameChars));
}

std::uint8_t FindResourceIn(int archive, std::string_view name, TResourceHandle& handle) {
  const TArchiveSlot* slot = OpenSlot(archive);
  if (slot == nullptr) return 1;
  TArchiveEntry e;
  for (int i = 0; i < slot->RecordCount; ++i) {
    if (!ArchiveEntryAt(archive, i, e)) break;
    if (ArchiveEntryName(e) != name) continue;
    handle.Name = ArchiveEntryName(e);
    handle.Archive = static_cast<std::uint16_t>(archive);
    handle.RecordIndex = static_cast<std::uint16_t>(i);
    handle.DataPosition = e.DataPosition;
    handle.DataSize = e.DataSize;
    handle.ReadPosition = 0;
    return 0;
  }
  return 1;
}

std::uint8_t FindResource(TResourceHandle& handle, std::string_view name) {
  for (int a = 1; a <= ArchiveCount; ++a)
    if (FindResourceIn(a, name, handle) == 0) return 0;
  return 1;
}

void ResourceReset(TResourceHandle& handle, int /*recordSize*/) { handle.ReadPosition = 0; }

std::int32_t ResourceSize(const TResourceHandle& handle) { return handle.DataSize; }

void ReadResource(TResourceHandle& handle, void* destination, std::uint16_t count, std::uint16_t& done) {
  done = 0;
  const std::span<const std::uint8_t> record = RecordBytes(handle);
  if (handle.ReadPosition < 0 || static_cast<std::size_t>(handle.ReadPosition) >= record.size()) return;
  const std::size_t left = record.size() - static_cast<std::size_t>(handle.ReadPosition);
  const auto n = static_cast<std::uint16_t>(std::min<std::size_t>(count, left));
  std::memcpy(destination, record.data() + handle.ReadPosition, n);
  handle.ReadPosition += n;
  done = n;
}

void CloseResource(TResourceHandle& /*handle*/) {}

bool SetPictureFromRecord(std::span<const std::uint8_t> record) {
  static const std::uint8_t empty[4] = {0, 0, 0, 0};
  if (record.size() >= sizeof(TImgPicture)) {
    const std::size_t w = record[0] | (record[1] << 8), h = record[2] | (record[3] << 8);
    const std::size_t need = sizeof(TImgPicture) + w * h;
    if (record.size() >= need) {
      PictureBuffer.assign(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(need));
      return true;
    }
  }
  PictureBuffer.assign(std::begin(empty), std::end(empty));
  return false;
}

bool LoadPicture(std::string_view name) {
  PictureName = std::string(name);
  TResourceHandle handle;
  if (FindResource(handle, name) != 0) return SetPictureFromRecord({});
  const bool ok = SetPictureFromRecord(RecordBytes(handle));
  CloseResource(handle);
  return ok;
}

const std::array<std::array<std::uint16_t, 16>, 8> CursorMasks = {{
    {0xC000, 0xA000, 0x9000, 0x8800, 0x8000, 0x0200, 0x8100, 0x8F80, 0xA000, 0xC000, 0x8000, 0, 0, 0, 0, 0},
    {0x0400, 0x0400, 0x0400, 0x0400, 0x0000, 0xF5E0, 0x0000, 0x0400, 0x0400, 0x0400, 0x0400, 0, 0, 0, 0, 0},
    {0xFC3F, 0x8001, 0x8001, 0x8001, 0x8001, 0x8001, 0x0000, 0x0000, 0x0000, 0x0000, 0x8001, 0x8001, 0x8001,
     0x8001, 0x8001, 0xFC3F},
    {0x9009, 0x500A, 0x300C, 0xF00F, 0, 0, 0, 0, 0, 0, 0, 0, 0xF00F, 0x300C, 0x500A, 0x9009},
    {0x0500, 0x0D00, 0x1500, 0x2500, 0x4500, 0x8500, 0x4500, 0x2500, 0x1500, 0x0D00, 0x0500, 0, 0, 0, 0, 0},
    {0xA000, 0xB000, 0xA800, 0xA400, 0xA200, 0xA100, 0xA200, 0xA400, 0xA800, 0xB000, 0xA000, 0, 0, 0, 0, 0},
    {0x0400, 0x0A00, 0x1100, 0x2080, 0x4040, 0xFFE0, 0x0000, 0xFFE0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0xFFE0, 0x0000, 0xFFE0, 0x4040, 0x2080, 0x1100, 0x0A00, 0x0400, 0, 0, 0, 0, 0, 0, 0, 0},
}};

void ResetCursorState() {
  CursorRecord.Type = 1;
  CursorRecord.Flag = 0;
}

void SetCursorColor(std::uint8_t colour) { CursorRecord.Color = colour; }

void SetCursorShape(const std::array<std::uint16_t, 16>& mask) { CursorMask = mask; }

void SelectCursor(std::uint8_t type) {
  CursorRecord.Type = type;
  if (type < CursorMasks.size()) CursorMask = CursorMasks[type];
}

void DrawCursorMask(int x, int y) {
  for (int row = 0; row < 16; ++row)
    for (int col = 0; col < 16; ++col)
      if (CursorMask[static_cast<std::size_t>(row)] & (0x8000u >> col))
        PutPixelClipped(x + col, y + row, CursorRecord.Color);
}

void DrawPictureCursor(const TAnimCounter& counter, int x, int y) {
  int side;
  switch (CursorRecord.Color) {
    case 12: side = 0; break;
    case 17: side = 7; break;
    case 200: side = 2; break;
    default:
      DrawCursorMask(x, y);
      return;
  }
  DrawSprite16Screen(x, y, static_cast<long>(counter.FirstSprite) + counter.CurrentFrame - 1, side);
}

void DrawMouseCursor() {
  const int x = static_cast<int>(MouseX), y = static_cast<int>(MouseY);
  switch (CursorRecord.Type) {
    case 0: DrawPictureCursor(AnimCounters[GameOptions.StarCraftCursor ? 4 : 3], x, y); break;
    case 1: DrawCursorMask(x - 5, y - 5); break;
    case 2: DrawPictureCursor(AnimCounters[2], x - 8, y - 8); break;
    case 3: DrawPictureCursor(AnimCounters[1], x - 8, y - 8); break;
    case 4: DrawCursorMask(x, y - 5); break;
    case 5: DrawCursorMask(x - 7, y - 5); break;
    case 6: DrawCursorMask(x - 5, y); break;
    case 7: DrawCursorMask(x - 5, y - 7); break;
    default: break;
  }
}

void AnimCounterInit(TAnimCounter& counter, int frameCount, int firstSprite, int period) {
  counter.FrameCount = static_cast<std::int16_t>(frameCount);
  counter.CurrentFrame = 1;
  counter.FirstSprite = static_cast<std::int16_t>(firstSprite);
  counter.Period = static_cast<std::uint16_t>(period);
  counter.NextStep = static_cast<std::int32_t>(TickCount) + counter.Period;
}

void InitPointerAnimCounters() {
  AnimCounterInit(AnimCounters[1], 5, 260, 2);
  AnimCounterInit(AnimCounters[2], 10, 265, 2);
  AnimCounterInit(AnimCounters[3], 17, 275, 2);
  AnimCounterInit(AnimCounters[4], 12, 292, 2);
}

void AnimCounterStep(TAnimCounter& counter) {
  const auto now = static_cast<std::int32_t>(TickCount);
  if (now < counter.NextStep) return;
  counter.NextStep = now + counter.Period;
  if (counter.CurrentFrame >= counter.FrameCount)
    counter.CurrentFrame = 1;
  else
    ++counter.CurrentFrame;
}

}  // namespace zarn
