#include "game/base/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <system_error>

#include "game/base/cp1251.h"

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

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) return false;
  in.seekg(0, std::ios::beg);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) return false;
  out = std::move(bytes);
  return true;
}

bool ReplaceFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  std::filesystem::path temp = path;
  temp += ".tmp" + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  bool ok = true;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      ok = false;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  return ReplaceFileAtomically(
      path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace zarn
