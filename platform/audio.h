// Sound output: one mixer of PCM sound buffers (the wave player) and a MIDI music player.
// Both work only between AudioOpen and AudioClose; every call is safe at any other time and
// then does nothing (creating a buffer returns 0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace plat {

bool AudioOpen(std::string* error = nullptr);
void AudioClose();
bool AudioIsOpen();
// Output rate of the mixer (samples per second; stereo, 16-bit).
std::uint32_t AudioRate();

// --- Sound buffers ------------------------------------------------------------------------
// PCM as a wave file's format block describes it.
struct PcmFormat {
  std::uint16_t formatTag = 1;  // 1 = PCM; nothing else is played
  std::uint16_t channels = 1;   // 1 or 2
  std::uint32_t samplesPerSec = 22050;
  std::uint16_t bitsPerSample = 16;  // 8 (unsigned) or 16 (signed)
};
constexpr std::int32_t kVolumeMin = -10000;  // hundredths of a decibel, 0 = full
constexpr std::int32_t kVolumeMax = 0;
constexpr std::int32_t kPanLeft = -10000;
constexpr std::int32_t kPanRight = 10000;
constexpr std::uint32_t kFrequencyMin = 100;
constexpr std::uint32_t kFrequencyMax = 200000;

// A buffer holding `bytes` of samples (a partial last frame is dropped). Returns an id > 0,
// or 0 with the reason when the format is not one we play or the audio is closed.
int SoundCreate(const PcmFormat& format, const void* data, std::size_t bytes,
                std::string* error = nullptr);
// A new buffer sharing the samples of `id`, starting with its volume, pan and frequency.
int SoundDuplicate(int id);
void SoundDestroy(int id);
bool SoundValid(int id);
// Plays from the start (or, when already playing, from where it is) once or looping.
bool SoundPlay(int id, bool loop);
void SoundStop(int id);  // stops and keeps the position, like the hardware buffers
bool SoundPlaying(int id);
void SoundSetVolume(int id, std::int32_t hundredthsDb);  // clamped to kVolumeMin..0
void SoundSetPan(int id, std::int32_t pan);              // clamped to -10000..10000
void SoundSetFrequency(int id, std::uint32_t hz);        // 0 = the buffer's own rate
std::int32_t SoundVolume(int id);
std::int32_t SoundPan(int id);
std::uint32_t SoundFrequency(int id);  // the rate in use
PcmFormat SoundFormat(int id);
std::size_t SoundBytes(int id);
std::size_t SoundCount();  // live buffers, for leak checks

// --- Music --------------------------------------------------------------------------------
enum class MusicMode : std::uint8_t { Stopped, Playing, Paused };
// Loads and starts a MIDI file (any format the player knows). False with the reason when it
// cannot be opened; the previous track is stopped in every case.
bool MusicPlay(const std::string& path, std::string* error = nullptr);
void MusicStop();  // no end-of-track event follows a stop
void MusicPause();
void MusicResume();
MusicMode MusicState();
void MusicSetVolume(int percent);  // 0..100
int MusicVolume();
// Runs in the loop's thread when a track has played to its end.
inline std::function<void()> OnMusicEnd;

}  // namespace plat
