// The game names its files with its own relative paths ("data\zarn.res", "save\") in cp1251.
// NativePath turns them into paths of this system, matching each component without regard to
// case, so a data set unpacked with other capitals still loads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

std::filesystem::path NativePath(std::string_view gamePath);

// A file name that stays inside its folder ("maps\", "scenes\", "save\"): names come from file
// lists, the editors, the network and files, and none may reach another folder.
bool IsPlainFileName(std::string_view name);

// True when the name holds a byte that no file name may hold: a control character or one of
// \ / : * ? " < > |.
bool HoldsRefusedFileNameByte(std::string_view name);

// Whole-file read of a regular file of at most maxBytes, the most a file of its kind can hold;
// false when it cannot be opened or read, is larger, or is no regular file (a named pipe or a
// device is refused without waiting on it).
bool ReadWholeFile(const std::filesystem::path& path, std::uintmax_t maxBytes, std::vector<std::uint8_t>& out);

// Writes to a temporary file beside the target, flushes it and renames it into place: a failed
// write (a full disk, the file-size limit) never destroys the old file nor leaves the temporary
// one. False (and the old file untouched) on any failure.
bool ReplaceFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace zarn
