#include "game/shell/soundout.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <new>

#include "game/base/archive.h"
#include "game/base/files.h"
#include "game/base/fonts.h"
#include "game/base/globals.h"
#include "game/base/options.h"
#include "game/menus/dmenus.h"
#include "game/shell/Main.h"
#include "game/world/gamestart.h"
#include "platform/audio.h"

namespace zarn {

void StartSoundDevice() {
  if (GameOptions.SoundSystemDisable) {
    GameOptions.SoundEnable = false;
    GameOptions.MusicEnable = false;
    return;
  }
  if (!SoundDevice) {
    SoundDeviceFailed = true;
    return;
  }
  try {
    SoundDevice->Initialize();
    SoundDeviceFailed = false;
  } catch (const std::exception&) {
    SoundDeviceFailed = true;
  }
}

void LoadSoundBank() {
  SoundBankLoaded = false;
  if (!SoundWaves) return;
  // The collection is left as it was on any failure; effects stay silent and the player is told
  // why.
  std::vector<std::uint8_t> bytes;
  if (const int code = ReadGameFile(NativePath(SoundBankFile), MaxSoundBankBytes, bytes)) {
    ReportFileProblem(FileProblemText(SoundBankFile, code));
    return;
  }
  try {
    SoundWaves->Items().LoadFromBytes(bytes);
    SoundBankLoaded = true;
  } catch (const std::bad_alloc&) {
    ReportFileProblem(OutOfMemoryText(SoundBankFile));
  } catch (const std::exception& e) {
    ReportFileProblem("File " + std::string(SoundBankFile) + " is damaged: " + e.what());
  }
}

std::int32_t EffectBufferVolume(std::int32_t percent, std::int32_t soundVolume) {
  const std::int64_t a = std::max<std::int32_t>(percent, 1);
  const std::int64_t scaled = a * soundVolume / 100;  // truncation toward zero
  std::int64_t v = scaled * 20;
  if (v < 0) v = 0;
  v -= 2000;
  return static_cast<std::int32_t>(std::min<std::int64_t>(v, 0));
}

void PlaySound(std::int32_t volume, std::int32_t wave) {
  // For checks of the real program: which effects the interface asked for, one line each.
  static const bool trace = std::getenv("ZARN_TRACE_SOUND") != nullptr;
  if (trace) std::fprintf(stderr, "sound %d %d\n", int(volume), int(wave));
  if (!GameOptions.SoundEnable || SoundDeviceFailed || !SoundBankLoaded || !SoundWaves) return;
  TWaveCollection& items = SoundWaves->Items();
  if (wave < 0 || wave > items.Count() - 1) return;
  TWaveCollectionItem& item = items.Items(wave);
  item.SetVolume(EffectBufferVolume(volume, GameOptions.SoundVolume));
  item.Play(false);
}

std::uint8_t PlayMusic(std::string_view fileName) {
  if (!GameOptions.MusicEnable || SoundDeviceFailed) return 1;
  plat::MusicStop();
  if (!plat::MusicPlay(NativePath(fileName).string())) return 1;
  return 0;
}

void StopMusic() { plat::MusicStop(); }

void PauseResumeMusic() {
  switch (plat::MusicState()) {
    case plat::MusicMode::Playing:
      plat::MusicPause();
      break;
    case plat::MusicMode::Paused:
      plat::MusicResume();
      break;
    case plat::MusicMode::Stopped:
      break;
  }
}

void MediaPlayerNotify() {
  // A notice that arrives while a track still plays belongs to an earlier track.
  if (plat::MusicState() == plat::MusicMode::Playing) return;
  if (GameScreen == 0)
    PlayNextTrack();
  else if (GameScreen == 41)
    OpenMainMenu();
}

}  // namespace zarn
