// The user's settings (zarn.ini, section "Options") and the start values that the unit
// initialisation gives the shared state before any window exists.
#pragma once

#include <cstdint>
#include <string>

namespace zarn {

// Fields in the order of the settings file's record; the options screen copies it whole to a
// backup and back.
struct TGameOptions {
  std::int32_t GameSpeed = 17;  // world step every (18 - GameSpeed) x 53 ms
  std::int32_t ScrollPause = 18;
  std::int32_t SoundVolume = 100;  // percent
  std::int32_t Partners = 2;       // players of a network game
  std::int32_t MaxUnitForAlliance = 100;
  std::int32_t MaxBuildForAlliance = 300;
  std::int32_t NetPort = 1025;     // the client socket's port; the server always uses 1025
  std::int32_t PaletteType = 0;    // 0: 15-bit colours, other: 16-bit
  std::int32_t ScreenMode = 1;     // 0: 320 x 200; 1: 640 x 400; 2: 640 x 400 accelerated
  bool SoundEnable = true;
  bool MusicEnable = false;
  bool UnitSpeak = true;
  bool UnitExecuteSpeak = true;
  bool BuildSpeak = true;
  bool SevnarSpeak = true;
  bool MessageEnable = true;
  bool AsServer = true;
  bool RusChat = false;
  bool CrowEnable = false;  // worms in network games
  bool StarCraftCursor = true;
  bool SoundSystemDisable = false;
  std::string PlayerName = "Server";
  std::string Server = "localhost";
  std::string NetService;

  bool operator==(const TGameOptions&) const = default;
};

inline TGameOptions GameOptions{};

// The unit initialisation: the settings' defaults and the start values of the shared scalars
// (slot counts, local player, debug flags, network flags).
void SetDefaultOptions();

}  // namespace zarn
