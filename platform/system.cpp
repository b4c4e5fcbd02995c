// Dynamic libraries, atomic writes, the user's folders and desktop launchers.
#include "platform/system.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <csignal>

namespace plat {
namespace {

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

std::filesystem::path EnvPath(const char* name) {
  const char* v = std::getenv(name);
  return v && *v == '/' ? std::filesystem::path(v) : std::filesystem::path();
}

// A folder named in ~/.config/user-dirs.dirs, e.g. XDG_DESKTOP_DIR="$HOME/Desktop".
std::filesystem::path UserDir(const std::string& key) {
  std::filesystem::path config = EnvPath("XDG_CONFIG_HOME");
  if (config.empty()) config = HomeFolder() / ".config";
  std::ifstream in(config / "user-dirs.dirs");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + "=", 0) != 0) continue;
    std::string v = line.substr(key.size() + 1);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    if (v.rfind("$HOME", 0) == 0) return HomeFolder().string() + v.substr(5);
    if (!v.empty() && v.front() == '/') return v;
  }
  return {};
}

// Escapes for a string value of a launcher file.
std::string EntryValue(std::string_view s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

void* LibraryLoad(const std::string& name, std::string* error) {
  dlerror();
  void* h = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h && error) {
    const char* why = dlerror();
    *error = name + " not loaded: " + (why ? why : "unknown reason");
  }
  return h;
}

void* LibrarySymbol(void* library, const std::string& symbol, std::string* error) {
  if (!library) {
    if (error) *error = "No library";
    return nullptr;
  }
  dlerror();
  void* p = ::dlsym(library, symbol.c_str());
  const char* why = dlerror();
  if (why || !p) {
    if (error) *error = symbol + " not found: " + (why ? why : "null");
    return nullptr;
  }
  return p;
}

void LibraryFree(void* library) {
  if (library) ::dlclose(library);
}

namespace {

// SIGXFSZ is ignored, so that a write past the file-size limit fails with EFBIG like any other
// instead of the signal ending the program with the temporary file left behind. A handler of the
// program's own is left alone.
void IgnoreFileSizeSignal() {
  static const bool done = [] {
    struct sigaction old {};
    if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) ::signal(SIGXFSZ, SIG_IGN);
    return true;
  }();
  (void)done;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error) {
  IgnoreFileSizeSignal();
  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  std::filesystem::path tmp = path;
  tmp += ".tmp" + std::to_string(::getpid());
  auto fail = [&](const std::string& what, int fd) {
    if (error) *error = Errno(what + path.string());
    if (fd >= 0) ::close(fd);
    ::unlink(tmp.c_str());
    return false;
  };
  // A leftover of an ended run is removed; a link planted there is never followed.
  ::unlink(tmp.c_str());
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return fail("Cannot write ", -1);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail("Cannot write ", fd);
    done += static_cast<std::size_t>(n);
  }
  // Keep the mode of the file being replaced.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
  if (::fsync(fd) != 0) return fail("Cannot write ", fd);
  if (::close(fd) != 0) return fail("Cannot write ", -1);
  if (::rename(tmp.c_str(), path.c_str()) != 0) return fail("Cannot replace ", -1);
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

namespace {

template <typename Buffer>
ReadResult ReadRegular(const std::filesystem::path& path, std::uintmax_t maxBytes, Buffer& out) {
  // Non-blocking, so that a named pipe does not wait for a writer; it is refused below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ReadResult::CannotOpen;
  struct stat st {};
  ReadResult result = ReadResult::Ok;
  if (::fstat(fd, &st) != 0) result = ReadResult::CannotRead;
  else if (!S_ISREG(st.st_mode)) result = ReadResult::NotRegular;
  else if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) result = ReadResult::TooLarge;
  Buffer bytes;
  if (result == ReadResult::Ok) {
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    // One byte more than the file held, to see it grow past what was judged.
    char extra = 0;
    while (result == ReadResult::Ok) {
      void* at = done < bytes.size() ? static_cast<void*>(bytes.data() + done) : &extra;
      const std::size_t want = done < bytes.size() ? bytes.size() - done : 1;
      const ssize_t n = ::read(fd, at, want);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) result = ReadResult::CannotRead;
      else if (n == 0) break;
      else if (done >= bytes.size()) result = ReadResult::TooLarge;
      else done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
  }
  ::close(fd);
  if (result == ReadResult::Ok) out = std::move(bytes);
  return result;
}

}  // namespace

ReadResult ReadRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes, std::string& out) {
  return ReadRegular(path, maxBytes, out);
}
ReadResult ReadRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes,
                           std::vector<std::uint8_t>& out) {
  return ReadRegular(path, maxBytes, out);
}

std::filesystem::path HomeFolder() { return EnvPath("HOME"); }

std::filesystem::path DesktopFolder() {
  std::filesystem::path p = UserDir("XDG_DESKTOP_DIR");
  if (!p.empty()) return p;
  std::filesystem::path home = HomeFolder();
  return home.empty() ? home : home / "Desktop";
}

std::filesystem::path ApplicationsMenuFolder() {
  std::filesystem::path data = EnvPath("XDG_DATA_HOME");
  if (data.empty()) {
    std::filesystem::path home = HomeFolder();
    if (home.empty()) return {};
    data = home / ".local" / "share";
  }
  return data / "applications";
}

std::filesystem::path ProgramsFolder() {
  std::filesystem::path data = EnvPath("XDG_DATA_HOME");
  if (!data.empty()) return data;
  std::filesystem::path home = HomeFolder();
  return home.empty() ? home : home / ".local" / "share";
}

std::filesystem::path ExecutableFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe.parent_path();
}

std::string LauncherQuote(std::string_view argument) {
  bool plain = !argument.empty();
  for (char c : argument)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || std::strchr("/._-+,:=@", c) ||
          static_cast<unsigned char>(c) >= 0x80))
      plain = false;
  std::string out;
  if (plain) {
    for (char c : argument) out += c;
    return out;
  }
  out = "\"";
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    if (c == '%') out += '%';  // field codes start with %
    out += c;
  }
  out += '"';
  return out;
}

bool WriteLauncher(const std::filesystem::path& file, const Launcher& launcher,
                   std::string* error) {
  if (launcher.name.empty() || launcher.exec.empty()) {
    if (error) *error = "A launcher needs a name and a program";
    return false;
  }
  std::string exec = LauncherQuote(launcher.exec.string());
  if (!launcher.arguments.empty()) exec += " " + launcher.arguments;
  std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
  text += "Name=" + EntryValue(launcher.name) + "\n";
  if (!launcher.comment.empty()) text += "Comment=" + EntryValue(launcher.comment) + "\n";
  // The Exec value is escaped once more as a string value.
  text += "Exec=" + EntryValue(exec) + "\n";
  if (!launcher.workingFolder.empty())
    text += "Path=" + EntryValue(launcher.workingFolder.string()) + "\n";
  if (!launcher.icon.empty()) text += "Icon=" + EntryValue(launcher.icon.string()) + "\n";
  text += "Terminal=false\nCategories=Game;StrategyGame;\n";
  std::error_code ec;
  if (!file.parent_path().empty()) std::filesystem::create_directories(file.parent_path(), ec);
  if (!WriteFileAtomically(file, text, error)) return false;
  if (::chmod(file.c_str(), launcher.mode & 07777) != 0) {
    if (error) *error = Errno("Cannot set the mode of " + file.string());
    return false;
  }
  return true;
}

}  // namespace plat
