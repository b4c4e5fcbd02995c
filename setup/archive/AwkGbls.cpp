#include "setup/archive/AwkGbls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>

#include "platform/forms.h"

namespace zarn3set {
namespace {

// cp866 to cp1251 as the system's OEM-to-ANSI conversion does it: letters to letters, the
// box-drawing characters to their nearest plain ones.
char OemToAnsiChar(unsigned char c) {
  if (c < 0x80) return static_cast<char>(c);
  if (c <= 0xAF) return static_cast<char>(c + 0x40);  // А..п
  if (c >= 0xE0 && c <= 0xEF) return static_cast<char>(c + 0x10);  // р..я
  if (c >= 0xF0) {
    static const unsigned char kTail[16] = {0xA8, 0xB8, 0xAA, 0xBA, 0xAF, 0xBF, 0xA1, 0xA2,
                                            0xB0, 0x95, 0xB7, 'v',  0xB9, 0xA4, '#',  0xA0};
    return static_cast<char>(kTail[c - 0xF0]);
  }
  if (c <= 0xB2 || c >= 0xDB) return '#';
  if (c == 0xB3 || c == 0xBA) return '|';
  if (c == 0xC4 || c == 0xCD) return '-';
  return '+';
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool Wild(const char* s, const char* p) {
  // Iterative "*" and "?" match with one back-track point.
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*s) {
    if (*p == '?' || (*p && *p != '*' && Lower(*p) == Lower(*s))) {
      ++s;
      ++p;
    } else if (*p == '*') {
      star = p++;
      resume = s;
    } else if (star) {
      p = star + 1;
      s = ++resume;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return !*p;
}

}  // namespace

std::string AppendBackslash(const std::string& path) {
  if (path.empty() || path.back() == '\\') return path;
  return path + "\\";
}

std::string SlashToBackslash(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string OemToAnsiPath(const std::string& oemName) {
  std::string ansi;
  for (char c : oemName) ansi += OemToAnsiChar(static_cast<unsigned char>(c));
  // The system's ANSI code page here is UTF-8.
  return SlashToBackslash(plat::Cp1251ToUtf8(ansi));
}

std::int64_t OctStrToInt(const std::string& text) {
  std::int64_t v = 0;
  for (char c : text)
    if (c >= '0' && c <= '7') v = v * 8 + (c - '0');
  return v;
}

double DosDateToDateTimeSafe(std::uint32_t dos) {
  constexpr double k1980 = 29221.0;
  if (dos == 0) return k1980;
  int year = static_cast<int>(dos >> 25) + 1980, month = static_cast<int>((dos >> 21) & 15),
      day = static_cast<int>((dos >> 16) & 31);
  int hour = static_cast<int>((dos >> 11) & 31), minute = static_cast<int>((dos >> 5) & 63),
      second = static_cast<int>(dos & 31) * 2;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month < 1 || month > 12 || day < 1 ||
      day > kDays[month - 1] + (month == 2 && leap ? 1 : 0) || hour > 23 || minute > 59 ||
      second > 59)
    return k1980;
  // Days from 1899-12-30 (civil-date arithmetic).
  int y = year - (month <= 2 ? 1 : 0);
  int era = y / 400;
  int yoe = y - era * 400;
  int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  long days = static_cast<long>(era) * 146097 + doe - 719468;  // from 1970-01-01
  return static_cast<double>(days + 25569) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

bool FileExistsByFind(const std::string& path) {
  struct stat st {};
  return ::stat(NativePath(path).c_str(), &st) == 0;
}

bool CheckDriveReady(const std::string& path) {
  std::string native = NativePath(path);
  std::size_t slash = native.rfind('/');
  std::string folder = slash == std::string::npos ? "." : native.substr(0, slash + 1);
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool OpenFileForRead(const std::string& path, int& fd) {
  fd = -1;
  if (!CheckDriveReady(path)) return false;
  fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  return fd >= 0;
}

std::uint8_t SetPercentDone(std::int64_t done, std::int64_t total) {
  if (total < 1) return 0;
  // Halves go to the even neighbour.
  double p = std::nearbyint(static_cast<double>(done) * 100.0 / static_cast<double>(total));
  if (p < 0) p = 0;
  return static_cast<std::uint8_t>(p > 100 ? 100 : p);
}

bool HasWildcards(const std::string& text) {
  return text.find_first_of("*?") != std::string::npos;
}

bool MatchFileMask(const std::string& name, const std::string& mask) {
  std::string n = name, s = mask;
  if (!n.empty() && n.back() == '.') n.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (n.empty()) return s == "*";
  if (s.empty()) return n == "*";
  if (n.find('.') == std::string::npos && s.find(".*") != std::string::npos) n += ".*";
  if (s.find('.') == std::string::npos && n.find(".*") != std::string::npos) s += ".*";
  return Wild(n.c_str(), s.c_str());
}

std::string NativePath(const std::string& path) {
  std::string out = path;
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

}  // namespace zarn3set
