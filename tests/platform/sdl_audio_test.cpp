// The SDL back end's sound for real: SDL's disk driver writes what the device would have
// played, so the samples that reached the output can be read back and compared.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"

#ifdef ZARN_HAVE_SDL

using namespace plat;
namespace fs = std::filesystem;

namespace {

class SdlDiskAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("zarn_sdl_audio_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    std::string error;
    ASSERT_TRUE(Init(BackendKind::Sdl, &error)) << error;
    ASSERT_EQ(Backend(), BackendKind::Sdl);
  }
  void TearDown() override {
    Shutdown();
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_VIDEODRIVER");
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // Opens the output into a fresh capture file; false when the disk driver cannot open.
  bool OpenCapture(const std::string& name) {
    capture_ = dir_ / name;
    setenv("SDL_DISKAUDIOFILE", capture_.c_str(), 1);
    std::string error;
    if (!AudioOpen(&error)) {
      std::fprintf(stderr, "disk audio: %s\n", error.c_str());
      return false;
    }
    opened_ = NowMs();
    return true;
  }

  // Closes the output (which flushes the file) and returns the left channel.
  std::vector<int> CloseAndReadLeft() {
    AudioClose();
    std::ifstream in(capture_, std::ios::binary);
    std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int> left(raw.size() / 4);
    for (std::size_t i = 0; i < left.size(); ++i)
      left[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(raw[4 * i]) |
                                          (static_cast<std::uint8_t>(raw[4 * i + 1]) << 8));
    return left;
  }

  // Runs the loop for `ms` of real time.
  void Pump(std::uint32_t ms) {
    std::uint64_t end = NowMs() + ms;
    while (NowMs() < end) ProcessMessages(true);
  }

  fs::path dir_, capture_;
  std::uint64_t opened_ = 0;
};

// A wave that is unlike itself at every shift, so the correlation peak is sharp.
std::vector<std::int16_t> Noise(int frames, std::uint32_t seed) {
  std::vector<std::int16_t> v(static_cast<std::size_t>(frames));
  for (auto& s : v) {
    seed = seed * 1664525u + 1013904223u;
    s = static_cast<std::int16_t>(static_cast<int>(seed >> 16) % 24001 - 12000);
  }
  return v;
}

// The wave as the mixer plays it at `rate`: each output frame takes the source frame under it.
std::vector<double> Resampled(const std::vector<std::int16_t>& wave, std::uint32_t own,
                              std::uint32_t rate, double gain) {
  double step = static_cast<double>(own) / rate;
  std::vector<double> out;
  for (double pos = 0; pos < static_cast<double>(wave.size()); pos += step)
    out.push_back(wave[static_cast<std::size_t>(pos)] * gain);
  return out;
}

// Where `shape` starts in `signal` (the best correlation), searched from `from`.
std::size_t FindStart(const std::vector<int>& signal, const std::vector<double>& shape,
                      std::size_t from) {
  std::size_t best = from;
  double bestScore = -1e300;
  std::size_t probe = shape.size() < 2000 ? shape.size() : 2000;
  for (std::size_t at = from; at + probe <= signal.size(); ++at) {
    double score = 0;
    for (std::size_t i = 0; i < probe; ++i) score += signal[at + i] * shape[i];
    if (score > bestScore) {
      bestScore = score;
      best = at;
    }
  }
  return best;
}

// Largest difference between `signal` and the sum of the placed shapes (silence elsewhere).
double Mismatch(const std::vector<int>& signal,
                const std::vector<std::pair<std::size_t, const std::vector<double>*>>& parts) {
  std::vector<double> want(signal.size(), 0.0);
  for (auto& [at, shape] : parts)
    for (std::size_t i = 0; i < shape->size() && at + i < want.size(); ++i)
      want[at + i] += (*shape)[i];
  double worst = 0;
  for (std::size_t i = 0; i < signal.size(); ++i)
    worst = std::max(worst, std::fabs(signal[i] - want[i]));
  return worst;
}

// A format 0 MIDI file: one note from the start for `ms` milliseconds at 120 beats a minute.
void WriteMidi(const fs::path& path, int ms) {
  int ticks = ms * 96 / 500;  // 96 ticks a beat, half a second a beat
  std::string track;
  auto delta = [&](int t) {
    std::string v(1, static_cast<char>(t & 0x7F));
    for (t >>= 7; t > 0; t >>= 7) v.insert(v.begin(), static_cast<char>(0x80 | (t & 0x7F)));
    track += v;
  };
  delta(0), track += std::string("\xC0\x00", 2);   // piano
  delta(0), track += std::string("\x90\x3C\x64", 3);  // middle C on
  delta(ticks), track += std::string("\x80\x3C\x40", 3);
  delta(0), track += std::string("\xFF\x2F\x00", 3);  // end of track
  std::string file("MThd\0\0\0\6\0\0\0\1\0\x60MTrk", 18);
  std::uint32_t n = static_cast<std::uint32_t>(track.size());
  file += static_cast<char>(n >> 24), file += static_cast<char>(n >> 16);
  file += static_cast<char>(n >> 8), file += static_cast<char>(n);
  std::ofstream(path, std::ios::binary) << file + track;
}

}  // namespace

TEST_F(SdlDiskAudio, AWaveReachesTheOutputScaledByItsVolumeAndTwoPlaysAdd) {
  ASSERT_TRUE(OpenCapture("one.raw")) << "SDL's disk audio driver cannot open here";
  const std::uint32_t rate = AudioRate();
  auto wave = Noise(22050 / 5, 7);  // 200 ms at 22050 Hz, mono 16-bit
  PcmFormat fmt{1, 1, 22050, 16};
  int id = SoundCreate(fmt, wave.data(), wave.size() * 2);
  ASSERT_GT(id, 0);
  SoundSetVolume(id, -600);  // -6 dB
  Pump(50);
  std::uint64_t asked = NowMs();
  ASSERT_TRUE(SoundPlay(id, false));
  Pump(500);
  EXPECT_FALSE(SoundPlaying(id));
  auto left = CloseAndReadLeft();
  ASSERT_GT(left.size(), rate / 4);

  auto shape = Resampled(wave, 22050, rate, std::pow(10.0, -600 / 2000.0));
  std::size_t at = FindStart(left, shape, 0);
  EXPECT_LE(Mismatch(left, {{at, &shape}}), 2.0) << "start " << at;
  std::printf("[ figures  ] a sound starts %.0f ms after it is asked for (disk driver)\n",
              at * 1000.0 / rate - static_cast<double>(asked - opened_));

  // One wave and its duplicate, the second a little later: the output is their sum.
  ASSERT_TRUE(OpenCapture("two.raw"));
  id = SoundCreate(fmt, wave.data(), wave.size() * 2);
  int dup = SoundDuplicate(id);
  ASSERT_GT(dup, 0);
  Pump(30);
  SoundPlay(id, false);
  Pump(70);
  SoundPlay(dup, false);
  Pump(500);
  left = CloseAndReadLeft();
  auto full = Resampled(wave, 22050, rate, 1.0);
  // Both copies correlate alike: find one, take it away, find the other.
  std::size_t a = FindStart(left, full, 0);
  std::vector<int> rest = left;
  for (std::size_t i = 0; i < full.size() && a + i < rest.size(); ++i)
    rest[a + i] -= static_cast<int>(std::lround(full[i]));
  std::size_t b = FindStart(rest, full, 0);
  std::size_t first = std::min(a, b), second = std::max(a, b);
  EXPECT_GT(second, first + rate / 50) << "the second play starts later";
  EXPECT_LE(Mismatch(left, {{first, &full}, {second, &full}}), 2.0);
}

TEST_F(SdlDiskAudio, AShortMidiTrackEndsInTheLoopWithoutFreezingIt) {
  ASSERT_TRUE(OpenCapture("music.raw")) << "SDL's disk audio driver cannot open here";
  fs::path mid = dir_ / "short.mid";
  WriteMidi(mid, 1000);
  int ends = 0;
  OnMusicEnd = [&] { ++ends; };
  std::uint64_t t0 = NowMs();
  std::string error;
  ASSERT_TRUE(MusicPlay(mid.string(), &error)) << error;
  std::uint64_t call = NowMs() - t0;
  EXPECT_LT(call, 200u) << "starting a track must not block the loop";
  EXPECT_EQ(MusicState(), MusicMode::Playing);
  // The loop keeps turning while the track loads and plays: a timer ticks throughout.
  int ticks = 0;
  AddTimer(20, [&] { ++ticks; });
  std::uint64_t deadline = t0 + 8000;
  while (ends == 0 && NowMs() < deadline) ProcessMessages(true);
  std::uint64_t took = NowMs() - t0;
  EXPECT_EQ(ends, 1) << "no end of track after " << took << " ms";
  EXPECT_EQ(MusicState(), MusicMode::Stopped);
  EXPECT_GT(ticks, static_cast<int>(took / 20 / 3)) << "the loop was held up";
  std::printf("[ figures  ] MusicPlay returned in %llu ms; a 1 s track ended after %llu ms\n",
              static_cast<unsigned long long>(call), static_cast<unsigned long long>(took));
  EXPECT_GE(took, 1000u) << "the end came before the last note";
  // Something was actually heard, and it began soon after it was asked for.
  auto left = CloseAndReadLeft();
  int peak = 0;
  std::size_t heard = left.size();
  for (std::size_t i = 0; i < left.size(); ++i) {
    peak = std::max(peak, std::abs(left[i]));
    if (heard == left.size() && std::abs(left[i]) > 50) heard = i;
  }
  EXPECT_GT(peak, 100);
  std::printf("[ figures  ] the first note was heard %.0f ms after MusicPlay\n",
              heard * 1000.0 / AudioRate() - static_cast<double>(t0 - opened_));

  // A missing file is refused at once; a stop during the load leaves silence and no end.
  ASSERT_TRUE(OpenCapture("music2.raw"));
  EXPECT_FALSE(MusicPlay((dir_ / "missing.mid").string(), &error));
  EXPECT_FALSE(error.empty());
  ASSERT_TRUE(MusicPlay(mid.string()));
  MusicStop();
  Pump(3000);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(MusicState(), MusicMode::Stopped);

  // Paused while it loads, it stays silent and unended however long the pause.
  ASSERT_TRUE(MusicPlay(mid.string()));
  MusicPause();
  Pump(3000);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(MusicState(), MusicMode::Paused);
  // What the output had written by the resume (the file lags what was played, never leads).
  std::size_t quiet = static_cast<std::size_t>(fs::file_size(capture_) / 4);
  ASSERT_GT(quiet, AudioRate() * 4u);
  MusicResume();
  deadline = NowMs() + 5000;
  while (ends == 1 && NowMs() < deadline) ProcessMessages(true);
  EXPECT_EQ(ends, 2);
  left = CloseAndReadLeft();
  // Until the resume nothing was heard.
  peak = 0;
  for (std::size_t i = 0; i < quiet && i < left.size(); ++i)
    peak = std::max(peak, std::abs(left[i]));
  EXPECT_LT(peak, 50);
}

#endif  // ZARN_HAVE_SDL
