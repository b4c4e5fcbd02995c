// Writes RAR 1.5-4 archives in the store method: the installer's game archive and the test
// archives (which may be made deliberately wrong through the fields below).
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace zarn_tools {

struct RarEntry {
  std::string name;  // stored bytes (cp866), "\" separated
  std::string data;
  std::uint8_t hostOS = 3;       // 3 Unix: attr is the mode; 0/2 DOS/Windows attributes
  std::uint32_t attr = 0100644;
  std::uint32_t dosTime = 0x21 << 16;  // 1980-01-01
  bool directory = false;
  std::uint16_t extraFlags = 0;  // e.g. 0x04 encrypted, 0x02 continued in the next volume
  bool badDataCrc = false;       // store a CRC that the data fails
};

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size);
// The archive's bytes: marker, main header, the entries, end block.
std::string WriteRar(const std::vector<RarEntry>& entries, std::uint16_t mainFlags = 0);
// A volume set: each volume holds at most `dataPerVolume` bytes of entry data, an entry that
// does not fit goes on in the next volume.
std::vector<std::string> WriteRarVolumes(const std::vector<RarEntry>& entries,
                                         std::size_t dataPerVolume);
// The names of a set whose first volume is `first` ("game.rar", "game.r00", "game.r01", ...).
std::vector<std::string> VolumeNames(const std::string& first, std::size_t count);
// Byte offset of entry `index`'s header in an archive made by WriteRar.
std::size_t EntryHeaderOffset(const std::vector<RarEntry>& entries, std::size_t index);

// A UTF-8 name in cp866; false when a character has no code there.
bool Utf8ToCp866(const std::string& utf8, std::string& out);
// A local time as DOS date and time (2-second steps, clamped to 1980).
std::uint32_t DosTimeOf(std::time_t t);
// Every file and folder below `folder`, sorted, with Unix modes and times.
bool EntriesOfFolder(const std::filesystem::path& folder, std::vector<RarEntry>& out,
                     std::string& error);

}  // namespace zarn_tools
