// Sound and music output: the effect bank played through the sound component, the music player,
// and what happens when a track ends.
#pragma once

#include <cstdint>
#include <string_view>

#include "game/dx/DXSounds.h"

namespace zarn {

// The main form's sound components, bound by it at creation (null before and in bare tests).
inline TDXSound* SoundDevice = nullptr;
inline TDXWaveList* SoundWaves = nullptr;

// Run-time state that is never saved: the device failed this run, the bank is loaded.
inline bool SoundDeviceFailed = false;
inline bool SoundBankLoaded = false;

// Start-up step: initialises the sound device unless the player switched the sound system off.
// A device that fails turns sound and music off for this run only; the settings keep the
// player's own choices.
void StartSoundDevice();

// Loads data\zarn.snd into the wave list. A missing or bad bank leaves effects silent for this
// run; the player's SoundEnable stays as it is.
void LoadSoundBank();

// Buffer volume in hundredths of a decibel for a volume in percent and the player's effect
// volume: Trunc(max(a, 1) x SoundVolume / 100) x 20 - 2000, never above 0.
std::int32_t EffectBufferVolume(std::int32_t percent, std::int32_t soundVolume);

void PlaySound(std::int32_t volume, std::int32_t wave);
// 0 played, 1 not played.
std::uint8_t PlayMusic(std::string_view fileName);
void StopMusic();
void PauseResumeMusic();
// The music player's end-of-track notice.
void MediaPlayerNotify();

}  // namespace zarn
