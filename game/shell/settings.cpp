#include "game/shell/settings.h"

#include <algorithm>

#include "game/base/options.h"
#include "platform/ini.h"
#include "platform/system.h"

namespace zarn {

namespace {

std::int32_t ReadInt(const plat::IniFile& ini, const char* key, std::int32_t current) {
  const long long v = plat::IniReadInteger(ini, SettingsSection, key, current);
  // Anything outside 32 bits is no number the game could mean: keep the current value.
  if (v < INT32_MIN || v > INT32_MAX) return current;
  return static_cast<std::int32_t>(v);
}

bool ReadBool(const plat::IniFile& ini, const char* key, bool current) {
  return plat::IniReadBool(ini, SettingsSection, key, current);
}

std::string ReadString(const plat::IniFile& ini, const char* key, const std::string& current) {
  return plat::IniReadString(ini, SettingsSection, key, current);
}

}  // namespace

std::filesystem::path ProgramFolder() {
  if (!ProgramFolderOverride.empty()) return ProgramFolderOverride;
  return plat::ExecutableFolder();
}

std::filesystem::path SettingsPath() { return ProgramFolder() / SettingsFileName; }

void ClampGameOptions() {
  TGameOptions& o = GameOptions;
  // The options screen offers only these ranges; a hand-edited file must not stop the world
  // clock (speed 18 gives a timer interval of 0) or divide the volume into nonsense.
  o.GameSpeed = std::clamp(o.GameSpeed, 15, 17);
  o.ScrollPause = std::clamp(o.ScrollPause, 0, 18);
  o.SoundVolume = std::clamp(o.SoundVolume, 0, 100);
  o.Partners = std::clamp(o.Partners, 1, 8);
  o.MaxUnitForAlliance = std::max(o.MaxUnitForAlliance, 1);
  o.MaxBuildForAlliance = std::max(o.MaxBuildForAlliance, 1);
  o.NetPort = std::clamp(o.NetPort, 1, 65535);
}

bool LoadSettings(std::string* why) {
  plat::IniFile ini;
  if (!plat::IniLoad(ini, SettingsPath(), why)) return false;
  TGameOptions o = GameOptions;
  o.MusicEnable = ReadBool(ini, "MusicEnable", o.MusicEnable);
  o.SoundEnable = ReadBool(ini, "SoundEnable", o.SoundEnable);
  o.UnitSpeak = ReadBool(ini, "UnitSpeak", o.UnitSpeak);
  o.UnitExecuteSpeak = ReadBool(ini, "UnitExecuteSpeak", o.UnitExecuteSpeak);
  o.BuildSpeak = ReadBool(ini, "BuildSpeak", o.BuildSpeak);
  o.SevnarSpeak = ReadBool(ini, "SevnarSpeak", o.SevnarSpeak);
  o.MessageEnable = ReadBool(ini, "MessageEnable", o.MessageEnable);
  o.AsServer = ReadBool(ini, "AsServer", o.AsServer);
  o.RusChat = ReadBool(ini, "RusChat", o.RusChat);
  o.CrowEnable = ReadBool(ini, "CrowEnable", o.CrowEnable);
  o.StarCraftCursor = ReadBool(ini, "StarCraftCursor", o.StarCraftCursor);
  o.Server = ReadString(ini, "Server", o.Server);
  o.PlayerName = ReadString(ini, "PlayerName", o.PlayerName);
  o.SoundVolume = ReadInt(ini, "SoundVolume", o.SoundVolume);
  o.ScrollPause = ReadInt(ini, "ScrollPause", o.ScrollPause);
  o.Partners = ReadInt(ini, "Partners", o.Partners);
  o.MaxUnitForAlliance = ReadInt(ini, "MaxUnitForAlliance", o.MaxUnitForAlliance);
  o.MaxBuildForAlliance = ReadInt(ini, "MaxBuildForAlliance", o.MaxBuildForAlliance);
  o.GameSpeed = ReadInt(ini, "GameSpeed", o.GameSpeed);
  o.NetPort = ReadInt(ini, "NetPort", o.NetPort);
  o.NetService = ReadString(ini, "NetService", o.NetService);
  o.PaletteType = ReadInt(ini, "PaletteType", o.PaletteType);
  o.ScreenMode = ReadInt(ini, "ScreenMode", o.ScreenMode);
  o.SoundSystemDisable = ReadBool(ini, "SoundSystemDisable", o.SoundSystemDisable);
  GameOptions = o;
  ClampGameOptions();
  ClientSocketPort = GameOptions.NetPort;
  ClientSocketService = GameOptions.NetService;
  ServerSocketService = GameOptions.NetService;
  return true;
}

bool SaveSettings() {
  plat::IniFile ini;
  // An unreadable file is not overwritten: the player's own lines would be lost with it.
  if (!plat::IniLoad(ini, SettingsPath())) return false;
  const TGameOptions& o = GameOptions;
  const char* s = SettingsSection;
  plat::IniWriteBool(ini, s, "MusicEnable", o.MusicEnable);
  plat::IniWriteBool(ini, s, "SoundEnable", o.SoundEnable);
  plat::IniWriteBool(ini, s, "UnitSpeak", o.UnitSpeak);
  plat::IniWriteBool(ini, s, "UnitExecuteSpeak", o.UnitExecuteSpeak);
  plat::IniWriteBool(ini, s, "BuildSpeak", o.BuildSpeak);
  plat::IniWriteBool(ini, s, "SevnarSpeak", o.SevnarSpeak);
  plat::IniWriteBool(ini, s, "MessageEnable", o.MessageEnable);
  plat::IniWriteBool(ini, s, "AsServer", o.AsServer);
  plat::IniWriteBool(ini, s, "RusChat", o.RusChat);
  plat::IniWriteBool(ini, s, "CrowEnable", o.CrowEnable);
  plat::IniWriteBool(ini, s, "StarCraftCursor", o.StarCraftCursor);
  plat::IniWriteBool(ini, s, "SoundSystemDisable", o.SoundSystemDisable);
  plat::IniWriteString(ini, s, "Server", o.Server);
  plat::IniWriteString(ini, s, "PlayerName", o.PlayerName);
  plat::IniWriteInteger(ini, s, "SoundVolume", o.SoundVolume);
  plat::IniWriteInteger(ini, s, "ScrollPause", o.ScrollPause);
  plat::IniWriteInteger(ini, s, "Partners", o.Partners);
  plat::IniWriteInteger(ini, s, "MaxUnitForAlliance", o.MaxUnitForAlliance);
  plat::IniWriteInteger(ini, s, "MaxBuildForAlliance", o.MaxBuildForAlliance);
  plat::IniWriteInteger(ini, s, "GameSpeed", o.GameSpeed);
  plat::IniWriteInteger(ini, s, "PaletteType", o.PaletteType);
  plat::IniWriteInteger(ini, s, "ScreenMode", o.ScreenMode);
  return plat::IniSave(ini);
}

}  // namespace zarn
