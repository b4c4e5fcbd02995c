// Ini files as the game's settings use them: sections and keys matched without regard to
// case; rewriting a value keeps every other line (comments included) as it was.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

struct IniFile {
  std::filesystem::path path;
  std::vector<std::string> lines;  // without line ends
  bool crlf = true;                // line end used when written
  bool dirty = false;
};

// A missing file loads as empty (true); an unreadable one gives false and the reason.
bool IniLoad(IniFile& ini, const std::filesystem::path& path, std::string* error = nullptr);
void IniParse(IniFile& ini, std::string_view text);
std::string IniText(const IniFile& ini);
// Written to a temporary file and renamed into place.
bool IniSave(IniFile& ini, std::string* error = nullptr);

bool IniSectionExists(const IniFile& ini, std::string_view section);
bool IniValueExists(const IniFile& ini, std::string_view section, std::string_view key);
std::string IniReadString(const IniFile& ini, std::string_view section, std::string_view key,
                          std::string_view def = "");
// Decimal or hexadecimal ("$1F", "0x1F"); anything else gives the default.
long long IniReadInteger(const IniFile& ini, std::string_view section, std::string_view key,
                         long long def);
bool IniReadBool(const IniFile& ini, std::string_view section, std::string_view key, bool def);
void IniWriteString(IniFile& ini, std::string_view section, std::string_view key,
                    std::string_view value);
void IniWriteInteger(IniFile& ini, std::string_view section, std::string_view key,
                     long long value);
void IniWriteBool(IniFile& ini, std::string_view section, std::string_view key, bool value);
std::vector<std::string> IniSectionKeys(const IniFile& ini, std::string_view section);
std::vector<std::string> IniSections(const IniFile& ini);
void IniDeleteKey(IniFile& ini, std::string_view section, std::string_view key);
void IniEraseSection(IniFile& ini, std::string_view section);

}  // namespace plat
