// The wave player's mixer and the music player's state, shared by both back ends. The mixer
// runs on the audio thread of the SDL back end, so everything it reads is under gMix.
#include "platform/audio.h"

#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/app.h"
#include "platform/backend.h"

namespace plat {
namespace {

struct Samples {
  PcmFormat format;
  std::vector<std::int16_t> data;  // interleaved, format.channels per frame
  std::size_t frames = 0;
  std::size_t bytes = 0;
};

struct Voice {
  std::shared_ptr<const Samples> samples;
  bool playing = false;
  bool loop = false;
  double pos = 0;  // in frames of the source
  std::int32_t volume = 0;
  std::int32_t pan = 0;
  std::uint32_t frequency = 0;  // 0 = own rate
  float gainL = 1, gainR = 1;
};

std::mutex gMix;
std::map<int, Voice> gVoices;
int gNextVoice = 1;
bool gOpen = false;
std::uint32_t gRate = 44100;

MusicMode gMusicMode = MusicMode::Stopped;
int gMusicVolume = 100;
std::atomic<std::uint32_t> gMusicGen{0};

constexpr std::size_t kMaxSoundBytes = 256u << 20;

void Log(const std::string& line) {
  if (detail::Backend* b = detail::Current()) b->AudioLog(line);
}

void UpdateGains(Voice& v) {
  auto gain = [](std::int32_t hundredthsDb) -> float {
    if (hundredthsDb <= kVolumeMin) return 0.0f;
    return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
  };
  float g = gain(v.volume);
  v.gainL = g * (v.pan > 0 ? gain(-v.pan) : 1.0f);
  v.gainR = g * (v.pan < 0 ? gain(v.pan) : 1.0f);
}

Voice* Find(int id) {
  auto it = gVoices.find(id);
  return it == gVoices.end() ? nullptr : &it->second;
}

std::int32_t Clamp32(std::int32_t v, std::int32_t lo, std::int32_t hi) {
  return v < lo ? lo : v > hi ? hi : v;
}

}  // namespace

namespace detail {

void MixerSetOpen(bool open, std::uint32_t rate) {
  std::lock_guard<std::mutex> lock(gMix);
  gOpen = open;
  if (rate) gRate = rate;
}

void MixInto(std::int16_t* out, int frames, std::uint32_t rate) {
  if (frames <= 0 || rate == 0) return;
  std::vector<float> acc(static_cast<std::size_t>(frames) * 2, 0.0f);
  {
    std::lock_guard<std::mutex> lock(gMix);
    for (auto& [id, v] : gVoices) {
      if (!v.playing) continue;
      const Samples& s = *v.samples;
      if (s.frames == 0) {
        v.playing = false;
        v.pos = 0;
        continue;
      }
      double own = s.format.samplesPerSec;
      double step = (v.frequency ? v.frequency : own) / static_cast<double>(rate);
      int ch = s.format.channels;
      for (int i = 0; i < frames; ++i) {
        if (v.pos >= static_cast<double>(s.frames)) {
          if (!v.loop) {
            v.playing = false;
            v.pos = 0;  // a finished buffer starts again from the top
            break;
          }
          v.pos = std::fmod(v.pos, static_cast<double>(s.frames));
        }
        std::size_t f = static_cast<std::size_t>(v.pos);
        float l = s.data[f * ch];
        float r = ch == 2 ? s.data[f * ch + 1] : l;
        acc[2 * i] += l * v.gainL;
        acc[2 * i + 1] += r * v.gainR;
        v.pos += step;
      }
    }
  }
  for (std::size_t i = 0; i < acc.size(); ++i) {
    float m = acc[i] + out[i];
    out[i] = static_cast<std::int16_t>(m > 32767.0f ? 32767 : m < -32768.0f ? -32768 : m);
  }
}

void MarkMusicFinished() {
  std::uint32_t gen = gMusicGen.load();
  PostTask([gen] {
    if (gen != gMusicGen.load() || gMusicMode != MusicMode::Playing) return;  // stale
    gMusicMode = MusicMode::Stopped;
    Log("music end");
    if (OnMusicEnd) OnMusicEnd();
  });
}

void MarkMusicFailed(const std::string& why) {
  if (gMusicMode == MusicMode::Stopped) return;
  ++gMusicGen;
  gMusicMode = MusicMode::Stopped;
  Log("music fail " + why);
}

void AudioShutdown() { AudioClose(); }

}  // namespace detail

bool AudioOpen(std::string* error) {
  detail::Backend* b = detail::Current();
  if (!b) {
    if (error) *error = "The platform layer is not started";
    return false;
  }
  if (gOpen) return true;
  std::uint32_t rate = 44100;
  if (!b->AudioOpen(rate, error)) return false;
  detail::MixerSetOpen(true, rate);
  b->MusicVolume(gMusicVolume);
  Log("audio open");
  return true;
}

void AudioClose() {
  if (!gOpen) return;
  MusicStop();
  {
    std::lock_guard<std::mutex> lock(gMix);
    gVoices.clear();
  }
  if (detail::Backend* b = detail::Current()) b->AudioClose();
  detail::MixerSetOpen(false, 0);
  Log("audio close");
}

bool AudioIsOpen() { return gOpen; }
std::uint32_t AudioRate() { return gRate; }

int SoundCreate(const PcmFormat& format, const void* data, std::size_t bytes,
                std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return 0;
  };
  if (!gOpen) return fail("Sound output is not open");
  if (format.formatTag != 1) return fail("Only PCM sound is played");
  if (format.channels != 1 && format.channels != 2) return fail("Bad channel count");
  if (format.bitsPerSample != 8 && format.bitsPerSample != 16) return fail("Bad sample size");
  if (format.samplesPerSec < kFrequencyMin || format.samplesPerSec > kFrequencyMax)
    return fail("Bad sample rate");
  if (bytes > kMaxSoundBytes) return fail("Sound too large");
  if (bytes > 0 && !data) return fail("No sample data");
  auto s = std::make_shared<Samples>();
  s->format = format;
  std::size_t frameBytes = static_cast<std::size_t>(format.channels) * format.bitsPerSample / 8;
  s->frames = bytes / frameBytes;
  s->bytes = bytes;
  s->data.resize(s->frames * format.channels);
  const std::uint8_t* p = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < s->data.size(); ++i) {
    if (format.bitsPerSample == 8)
      s->data[i] = static_cast<std::int16_t>((static_cast<int>(p[i]) - 128) * 256);
    else
      s->data[i] = static_cast<std::int16_t>(p[2 * i] | (p[2 * i + 1] << 8));
  }
  std::lock_guard<std::mutex> lock(gMix);
  int id = gNextVoice++;
  Voice v;
  v.samples = std::move(s);
  UpdateGains(v);
  gVoices.emplace(id, std::move(v));
  Log("create " + std::to_string(id) + " " + std::to_string(format.channels) + "ch " +
      std::to_string(format.bitsPerSample) + "bit " + std::to_string(format.samplesPerSec) +
      "Hz " + std::to_string(bytes) + "B");
  return id;
}

int SoundDuplicate(int id) {
  std::lock_guard<std::mutex> lock(gMix);
  Voice* src = Find(id);
  if (!src) return 0;
  Voice v;
  v.samples = src->samples;  // shared, never copied
  v.volume = src->volume;
  v.pan = src->pan;
  v.frequency = src->frequency;
  UpdateGains(v);
  int dup = gNextVoice++;
  gVoices.emplace(dup, std::move(v));
  Log("duplicate " + std::to_string(id) + " -> " + std::to_string(dup));
  return dup;
}

void SoundDestroy(int id) {
  std::lock_guard<std::mutex> lock(gMix);
  if (gVoices.erase(id)) Log("destroy " + std::to_string(id));
}

bool SoundValid(int id) {
  std::lock_guard<std::mutex> lock(gMix);
  return Find(id) != nullptr;
}

bool SoundPlay(int id, bool loop) {
  std::lock_guard<std::mutex> lock(gMix);
  Voice* v = Find(id);
  if (!v) return false;
  v->playing = true;
  v->loop = loop;
  Log("play " + std::to_string(id) + " loop=" + (loop ? "1" : "0"));
  return true;
}

void SoundStop(int id) {
  std::lock_guard<std::mutex> lock(gMix);
  if (Voice* v = Find(id)) {
    v->playing = false;
    Log("stop " + std::to_string(id));
  }
}

bool SoundPlaying(int id) {
  std::lock_guard<std::mutex> lock(gMix);
  Voice* v = Find(id);
  return v && v->playing;
}

void SoundSetVolume(int id, std::int32_t hundredthsDb) {
  std::lock_guard<std::mutex> lock(gMix);
  if (Voice* v = Find(id)) {
    v->volume = Clamp32(hundredthsDb, kVolumeMin, kVolumeMax);
    UpdateGains(*v);
    Log("volume " + std::to_string(id) + " " + std::to_string(v->volume));
  }
}

void SoundSetPan(int id, std::int32_t pan) {
  std::lock_guard<std::mutex> lock(gMix);
  if (Voice* v = Find(id)) {
    v->pan = Clamp32(pan, kPanLeft, kPanRight);
    UpdateGains(*v);
    Log("pan " + std::to_string(id) + " " + std::to_string(v->pan));
  }
}

void SoundSetFrequency(int id, std::uint32_t hz) {
  std::lock_guard<std::mutex> lock(gMix);
  if (Voice* v = Find(id)) {
    v->frequency = hz == 0 ? 0 : hz < kFrequencyMin ? kFrequencyMin
                                 : hz > kFrequencyMax ? kFrequencyMax : hz;
    Log("frequency " + std::to_string(id) + " " + std::to_string(v->frequency));
  }
}

std::int32_t SoundVolume(int id) {
  std::lock_guard<std::mutex> lock(gMix);
  Voice* v = Find(id);
  return v ? v->volume : 0;
}
std::int32_t SoundPan(int id) {
  std::lock_guard<std::mutex> lock(gMix);
  Voice* v = Find(id);
  return v ? v->pan : 0;
}
std::uint32_t SoundFrequency(int id) {
  std::lock_guard<std::mutex> lock(gMix);
  Voice* v = Find(id);
  if (!v) return 0;
  return v->frequency ? v->frequency : v->samples->format.samplesPerSec;
}
PcmFormat SoundFormat(int id) {
  std::lock_guard<std::mutex> lock(gMix);
  Voice* v = Find(id);
  return v ? v->samples->format : PcmFormat{};
}
std::size_t SoundBytes(int id) {
  std::lock_guard<std::mutex> lock(gMix);
  Voice* v = Find(id);
  return v ? v->samples->bytes : 0;
}
std::size_t SoundCount() {
  std::lock_guard<std::mutex> lock(gMix);
  return gVoices.size();
}

bool MusicPlay(const std::string& path, std::string* error) {
  detail::Backend* b = detail::Current();
  MusicStop();
  if (!b || !gOpen) {
    if (error) *error = "Sound output is not open";
    return false;
  }
  ++gMusicGen;
  if (!b->MusicPlay(path, error)) {
    Log("music fail " + path);
    return false;
  }
  gMusicMode = MusicMode::Playing;
  Log("music play " + path);
  return true;
}

void MusicStop() {
  if (gMusicMode == MusicMode::Stopped) return;
  ++gMusicGen;  // an end reported from now on belongs to the stopped track
  gMusicMode = MusicMode::Stopped;
  if (detail::Backend* b = detail::Current()) b->MusicStop();
  Log("music stop");
}

void MusicPause() {
  if (gMusicMode != MusicMode::Playing) return;
  gMusicMode = MusicMode::Paused;
  if (detail::Backend* b = detail::Current()) b->MusicPause();
  Log("music pause");
}

void MusicResume() {
  if (gMusicMode != MusicMode::Paused) return;
  gMusicMode = MusicMode::Playing;
  if (detail::Backend* b = detail::Current()) b->MusicResume();
  Log("music resume");
}

MusicMode MusicState() { return gMusicMode; }

void MusicSetVolume(int percent) {
  gMusicVolume = percent < 0 ? 0 : percent > 100 ? 100 : percent;
  if (detail::Backend* b = detail::Current(); b && gOpen) b->MusicVolume(gMusicVolume);
  Log("music volume " + std::to_string(gMusicVolume));
}

int MusicVolume() { return gMusicVolume; }

}  // namespace plat
