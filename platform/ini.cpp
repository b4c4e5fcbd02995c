// Ini files kept as their lines, so that rewriting a value leaves everything else alone.
#include "platform/ini.h"

#include <cerrno>
#include <cstring>

#include "platform/system.h"

namespace plat {
namespace {

// Folds ASCII and cp1251 Cyrillic letters to lower case.
unsigned char Fold(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDF) return static_cast<unsigned char>(c + 32);
  if (c == 0xA8) return 0xB8;
  return c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Fold(static_cast<unsigned char>(a[i])) != Fold(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// "[name]" gives the name; anything else false.
bool SectionOf(std::string_view line, std::string_view& name) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return false;
  std::size_t close = line.find(']');
  if (close == std::string_view::npos) return false;
  name = Trim(line.substr(1, close - 1));
  return true;
}

bool KeyOf(std::string_view line, std::string_view& key, std::string_view& value) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return false;
  std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(t.substr(0, eq));
  value = Trim(t.substr(eq + 1));
  return !key.empty();
}

// Lines [begin, end) of the first section with that name; false when absent.
bool FindSection(const IniFile& ini, std::string_view section, std::size_t& header,
                 std::size_t& end) {
  std::string_view name;
  for (std::size_t i = 0; i < ini.lines.size(); ++i) {
    if (!SectionOf(ini.lines[i], name) || !SameName(name, section)) continue;
    header = i;
    end = i + 1;
    while (end < ini.lines.size() && !SectionOf(ini.lines[end], name)) ++end;
    return true;
  }
  return false;
}

bool FindKey(const IniFile& ini, std::string_view section, std::string_view key,
             std::size_t& line, std::string_view& value) {
  std::size_t header, end;
  if (!FindSection(ini, section, header, end)) return false;
  std::string_view k;
  for (std::size_t i = header + 1; i < end; ++i)
    if (KeyOf(ini.lines[i], k, value) && SameName(k, key)) {
      line = i;
      return true;
    }
  return false;
}

// Line breaks in a name or value would split it into lines of their own.
std::string OneLine(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

}  // namespace

void IniParse(IniFile& ini, std::string_view text) {
  ini.lines.clear();
  ini.crlf = text.find("\r\n") != std::string_view::npos || text.empty();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    std::string_view line = text.substr(start, nl == std::string_view::npos ? text.npos
                                                                           : nl - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ini.lines.emplace_back(line);
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  ini.dirty = false;
}

bool IniLoad(IniFile& ini, const std::filesystem::path& path, std::string* error) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    ini.path = path;
    IniParse(ini, "");
    return true;
  }
  // A settings file of hand-written lines; anything larger is not one.
  constexpr std::uintmax_t MaxIniBytes = 1u << 20;
  std::string text;
  switch (ReadRegularFile(path, MaxIniBytes, text)) {
    case ReadResult::Ok:
      break;
    case ReadResult::NotRegular:
      if (error) *error = "File " + path.string() + " is not a regular file";
      return false;
    case ReadResult::TooLarge:
      if (error) *error = "File " + path.string() + " is larger than a settings file can be";
      return false;
    default:
      if (error) *error = "Cannot read " + path.string() + ": " + std::strerror(errno);
      return false;
  }
  ini.path = path;
  IniParse(ini, text);
  return true;
}

std::string IniText(const IniFile& ini) {
  std::string out;
  const char* eol = ini.crlf ? "\r\n" : "\n";
  for (const std::string& line : ini.lines) {
    out += line;
    out += eol;
  }
  return out;
}

bool IniSave(IniFile& ini, std::string* error) {
  if (!WriteFileAtomically(ini.path, IniText(ini), error)) return false;
  ini.dirty = false;
  return true;
}

bool IniSectionExists(const IniFile& ini, std::string_view section) {
  std::size_t h, e;
  return FindSection(ini, section, h, e);
}

bool IniValueExists(const IniFile& ini, std::string_view section, std::string_view key) {
  std::size_t line;
  std::string_view value;
  return FindKey(ini, section, key, line, value);
}

std::string IniReadString(const IniFile& ini, std::string_view section, std::string_view key,
                          std::string_view def) {
  std::size_t line;
  std::string_view value;
  if (!FindKey(ini, section, key, line, value)) return std::string(def);
  // Matching quotes around a value are not part of it.
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

long long IniReadInteger(const IniFile& ini, std::string_view section, std::string_view key,
                         long long def) {
  std::string s = IniReadString(ini, section, key, "");
  std::string_view v = Trim(s);
  if (v.empty()) return def;
  bool neg = false;
  if (v.front() == '-' || v.front() == '+') {
    neg = v.front() == '-';
    v.remove_prefix(1);
  }
  int base = 10;
  if (!v.empty() && v.front() == '$') {
    base = 16;
    v.remove_prefix(1);
  } else if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
    base = 16;
    v.remove_prefix(2);
  }
  if (v.empty() || v.size() > 18) return def;
  long long n = 0;
  for (char c : v) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return def;
    n = n * base + d;
  }
  return neg ? -n : n;
}

bool IniReadBool(const IniFile& ini, std::string_view section, std::string_view key, bool def) {
  return IniReadInteger(ini, section, key, def ? 1 : 0) != 0;
}

void IniWriteString(IniFile& ini, std::string_view section, std::string_view key,
                    std::string_view value) {
  std::string k = OneLine(Trim(key));
  if (k.empty() || k.find('=') != std::string::npos) return;
  std::string line = k + "=" + OneLine(value);
  std::size_t at;
  std::string_view old;
  if (FindKey(ini, section, k, at, old)) {
    std::string_view existing, v;
    KeyOf(ini.lines[at], existing, v);
    line = std::string(existing) + "=" + OneLine(value);  // the key keeps its spelling
    if (ini.lines[at] != line) {
      ini.lines[at] = line;
      ini.dirty = true;
    }
    return;
  }
  std::size_t header, end;
  if (FindSection(ini, section, header, end)) {
    // After the section's last non-blank line, so blank separators stay where they were.
    std::size_t pos = end;
    while (pos > header + 1 && Trim(ini.lines[pos - 1]).empty()) --pos;
    ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(pos), line);
  } else {
    if (!ini.lines.empty() && !Trim(ini.lines.back()).empty()) ini.lines.emplace_back();
    ini.lines.push_back("[" + OneLine(Trim(section)) + "]");
    ini.lines.push_back(line);
  }
  ini.dirty = true;
}

void IniWriteInteger(IniFile& ini, std::string_view section, std::string_view key,
                     long long value) {
  IniWriteString(ini, section, key, std::to_string(value));
}

void IniWriteBool(IniFile& ini, std::string_view section, std::string_view key, bool value) {
  IniWriteString(ini, section, key, value ? "1" : "0");
}

std::vector<std::string> IniSectionKeys(const IniFile& ini, std::string_view section) {
  std::vector<std::string> keys;
  std::size_t header, end;
  if (!FindSection(ini, section, header, end)) return keys;
  std::string_view k, v;
  for (std::size_t i = header + 1; i < end; ++i)
    if (KeyOf(ini.lines[i], k, v)) keys.emplace_back(k);
  return keys;
}

std::vector<std::string> IniSections(const IniFile& ini) {
  std::vector<std::string> out;
  std::string_view name;
  for (const std::string& line : ini.lines)
    if (SectionOf(line, name)) out.emplace_back(name);
  return out;
}

void IniDeleteKey(IniFile& ini, std::string_view section, std::string_view key) {
  std::size_t at;
  std::string_view v;
  if (FindKey(ini, section, key, at, v)) {
    ini.lines.erase(ini.lines.begin() + static_cast<std::ptrdiff_t>(at));
    ini.dirty = true;
  }
}

void IniEraseSection(IniFile& ini, std::string_view section) {
  std::size_t header, end;
  if (!FindSection(ini, section, header, end)) return;
  ini.lines.erase(ini.lines.begin() + static_cast<std::ptrdiff_t>(header),
                  ini.lines.begin() + static_cast<std::ptrdiff_t>(end));
  ini.dirty = true;
}

}  // namespace plat
