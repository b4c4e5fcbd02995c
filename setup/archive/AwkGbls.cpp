#include "setup/archive/AwkGbls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>

namespace zarn3set {
namespace {

// cp866 0x80..0xFF as Unicode code points.
constexpr char16_t kCp866High[128] = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A,
    0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425,
    0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430,
    0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562,
    0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534,
    0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560,
    0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x0440, 0x0441, 0x0442,
    0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D,
    0x044E, 0x044F, 0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E, 0x00B0,
    0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
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
  std::string out;
  for (char ch : oemName) {
    auto c = static_cast<unsigned char>(ch);
    AppendUtf8(out, c < 0x80 ? c : kCp866High[c - 0x80]);
  }
  return SlashToBackslash(out);
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
  // Halves go to the even neighbour, as the original run-time's rounding did.
  double p = std::nearbyint(static_cast<double>(done) * 100.0 / static_cast<double>(total));
  if (p < 0) p = 0;
  return static_cast<std::uint8_t>(p > 100 ? 100 : p);
}

bool HasWildcards(const std::string& text) {
  return text.find_first_of("*?") != std::string::npos;
}

bool MatchFileSpec(const std::string& name, const std::string& spec) {
  std::string n = name, s = spec;
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
