// Helper routines of the archive component family.
#pragma once

#include <cstdint>
#include <string>

namespace zarn3set {

std::string AppendBackslash(const std::string& path);
std::string SlashToBackslash(std::string path);
// An entry name from the OEM code page (cp866) to the system's one (UTF-8), with "\" separators.
std::string OemToAnsiPath(const std::string& oemName);
std::int64_t OctStrToInt(const std::string& text);
// A DOS date and time (date in the high word) as a day count from 1899-12-30; 0 or an invalid
// value gives 1980-01-01.
double DosDateToDateTimeSafe(std::uint32_t dosDateTime);
bool FileExistsByFind(const std::string& path);
// True when the folder of `path` can be reached (the platform has no drives to wait for).
bool CheckDriveReady(const std::string& path);
bool OpenFileForRead(const std::string& path, int& fd);
// min(round(done x 100 / total), 100); 0 when total < 1.
std::uint8_t SetPercentDone(std::int64_t done, std::int64_t total);
bool HasWildcards(const std::string& text);
bool MatchFileMask(const std::string& name, const std::string& mask);

// A component path ("\" separated) as a native one.
std::string NativePath(const std::string& path);

}  // namespace zarn3set
