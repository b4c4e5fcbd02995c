#include "game/base/files.h"

#include <system_error>

#include "game/base/cp1251.h"
#include "platform/system.h"

namespace zarn {

namespace {

// cp1251 upper case, for comparing names.
std::uint8_t FoldCp1251(std::uint8_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(c - 32);
  if (c >= 0xE0) return static_cast<std::uint8_t>(c - 32);
  if (c == 0xB8) return 0xA8;
  return c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldCp1251(static_cast<std::uint8_t>(a[i])) != FoldCp1251(static_cast<std::uint8_t>(b[i])))
      return false;
  return true;
}

}  // namespace

std::filesystem::path NativePath(std::string_view gamePath) {
  namespace fs = std::filesystem;
  fs::path result;
  bool absolute = !gamePath.empty() && (gamePath[0] == '/' || gamePath[0] == '\\');
  if (absolute) result = "/";
  std::size_t start = 0;
  while (start <= gamePath.size()) {
    std::size_t end = gamePath.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = gamePath.size();
    const std::string_view part = gamePath.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    std::string name = Cp1251ToUtf8(part);
    if (part != "..") {
      std::error_code ec;
      const fs::path dir = result.empty() ? fs::path(".") : result;
      if (!fs::exists(dir / name, ec)) {
        for (fs::directory_iterator it(dir, ec), last; !ec && it != last; it.increment(ec)) {
          const std::string candidate = it->path().filename().string();
          if (SameName(Utf8ToCp1251(candidate), part)) {
            name = candidate;
            break;
          }
        }
      }
    }
    result /= name;
  }
  return result;
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string_view("\\/\0", 3)) == std::string_view::npos;
}

bool HoldsRefusedFileNameByte(std::string_view name) {
  constexpr std::string_view refused = "\\/:*?\"<>|";
  for (const unsigned char c : name)
    if (c < 32 || c == 127 || refused.find(static_cast<char>(c)) != std::string_view::npos) return true;
  return false;
}

bool ReadWholeFile(const std::filesystem::path& path, std::uintmax_t maxBytes, std::vector<std::uint8_t>& out) {
  return plat::ReadRegularFile(path, maxBytes, out) == plat::ReadResult::Ok;
}

bool ReplaceFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  return plat::WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  return plat::WriteFileAtomically(path, bytes);
}

}  // namespace zarn
