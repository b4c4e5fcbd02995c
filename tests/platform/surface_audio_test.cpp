#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "fixture.h"

using namespace plat;

TEST_F(NullPlatform, SurfacesStretchAndPresentScaledOrCentred) {
  Form* f = CreateForm("main", 640, 400);
  Surface small, big;
  ASSERT_TRUE(SurfaceCreate(small, 320, 200, PixelFormat::Rgb565));
  ASSERT_TRUE(SurfaceCreate(big, 640, 400, PixelFormat::Rgb565));
  std::uint16_t* p = SurfaceLock(small);
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 320 * 200; ++i) p[i] = static_cast<std::uint16_t>(i * 7);
  SurfaceUnlock(small);
  ASSERT_TRUE(SurfaceStretch(big, Rect{0, 0, 640, 400}, small, Rect{0, 0, 320, 200}));
  // Doubling repeats every source pixel exactly twice in both directions.
  for (int y = 0; y < 400; y += 37)
    for (int x = 0; x < 640; x += 13)
      ASSERT_EQ(big.pixels[y * 640 + x], small.pixels[(y / 2) * 320 + x / 2]) << x << "," << y;

  ASSERT_TRUE(Present(f, small, true));
  EXPECT_EQ(null::LastFrame().logical, (Rect{0, 0, 640, 400}));
  EXPECT_EQ(null::LastFrame().pixels, small.pixels);
  ASSERT_TRUE(Present(f, small, false));
  EXPECT_EQ(null::LastFrame().logical, (Rect{160, 100, 320, 200}));
  null::SetDesktopSize(1920, 1080);
  ASSERT_TRUE(SetFullScreen(f, true));
  ASSERT_TRUE(Present(f, big, false));
  EXPECT_EQ(null::LastFrame().window, (Rect{96, 0, 1728, 1080}));
  EXPECT_EQ(null::FrameCount(), 3u);

  EXPECT_FALSE(SurfaceCreate(small, 0, 10, PixelFormat::Rgb565));
  EXPECT_TRUE(small.pixels.empty());
  EXPECT_FALSE(Present(f, small, false));
  EXPECT_EQ(PackColour(PixelFormat::Rgb565, 255, 255, 255), 0xFFFF);
  EXPECT_EQ(PackColour(PixelFormat::Rgb555, 255, 0, 0), 0x7C00);
  std::uint8_t r, g, b;
  UnpackColour(PixelFormat::Rgb555, 0x7FFF, r, g, b);
  EXPECT_EQ(r + g + b, 765);
}

TEST_F(NullPlatform, LostSurfacesRefuseDrawingUntilRestored) {
  Form* f = CreateForm("main", 320, 200);
  Surface s;
  ASSERT_TRUE(SurfaceCreate(s, 320, 200, PixelFormat::Rgb555));
  SurfaceFill(s, 0x1234);
  null::InjectDeviceReset(f->id);
  ProcessMessages();
  EXPECT_TRUE(SurfaceIsLost(s));
  EXPECT_EQ(SurfaceLock(s), nullptr);
  EXPECT_FALSE(Present(f, s, false));
  ASSERT_TRUE(SurfaceRestore(s));
  EXPECT_FALSE(SurfaceIsLost(s));
  EXPECT_EQ(s.pixels[100], 0);  // contents are gone after a loss
  EXPECT_TRUE(Present(f, s, false));
  // One surface alone can be made lost too.
  null::LoseSurface(s);
  EXPECT_TRUE(SurfaceIsLost(s));
}

namespace {

std::vector<std::uint8_t> Tone8(int frames) {
  std::vector<std::uint8_t> v(static_cast<std::size_t>(frames));
  for (int i = 0; i < frames; ++i) v[i] = (i / 10) % 2 ? 228 : 28;  // square wave, +-100
  return v;
}

double Peak(const std::vector<std::int16_t>& pcm, int channel) {
  double peak = 0;
  for (std::size_t i = channel; i < pcm.size(); i += 2) peak = std::max(peak, std::fabs(pcm[i] * 1.0));
  return peak;
}

}  // namespace

TEST_F(NullPlatform, SoundBuffersPlayForTheirLengthAtTheirRate) {
  ASSERT_TRUE(AudioOpen());
  auto tone = Tone8(2205);  // 100 ms at 22050 Hz
  int id = SoundCreate(PcmFormat{1, 1, 22050, 8}, tone.data(), tone.size());
  ASSERT_GT(id, 0);
  EXPECT_EQ(SoundFrequency(id), 22050u);
  ASSERT_TRUE(SoundPlay(id, false));
  null::AdvanceClock(90);
  EXPECT_TRUE(SoundPlaying(id));
  null::AdvanceClock(20);
  EXPECT_FALSE(SoundPlaying(id));
  EXPECT_NEAR(Peak(null::AudioCapture(), 0), 100 * 256, 1);

  // Twice the rate: done in half the time.
  SoundSetFrequency(id, 44100);
  SoundPlay(id, false);
  null::AdvanceClock(55);
  EXPECT_FALSE(SoundPlaying(id));
  // Looping never ends by itself; stop does.
  SoundPlay(id, true);
  null::AdvanceClock(1000);
  EXPECT_TRUE(SoundPlaying(id));
  SoundStop(id);
  EXPECT_FALSE(SoundPlaying(id));
}

TEST_F(NullPlatform, VolumeAndPanAttenuateAsHundredthsOfADecibel) {
  ASSERT_TRUE(AudioOpen());
  auto tone = Tone8(22050);
  int master = SoundCreate(PcmFormat{1, 1, 22050, 8}, tone.data(), tone.size());
  SoundSetVolume(master, -2000);  // -20 dB: a tenth
  SoundSetPan(master, 10000);     // right only
  int dup = SoundDuplicate(master);
  ASSERT_GT(dup, 0);
  EXPECT_EQ(SoundVolume(dup), -2000);
  EXPECT_EQ(SoundPan(dup), 10000);
  EXPECT_EQ(SoundCount(), 2u);
  null::ClearAudioCapture();
  SoundPlay(dup, false);
  null::AdvanceClock(100);
  EXPECT_NEAR(Peak(null::AudioCapture(), 1), 100 * 256 * 0.1, 30);
  EXPECT_LT(Peak(null::AudioCapture(), 0), 5);
  // Destroying the master leaves the duplicate's shared samples alive.
  SoundDestroy(master);
  null::AdvanceClock(100);
  EXPECT_TRUE(SoundPlaying(dup));
  SoundSetVolume(dup, -50000);
  EXPECT_EQ(SoundVolume(dup), kVolumeMin);
  SoundSetVolume(dup, 500);
  EXPECT_EQ(SoundVolume(dup), 0);
}

TEST_F(NullPlatform, SoundBuffersRejectWhatTheyCannotPlay) {
  std::uint8_t data[16] = {};
  std::string why;
  EXPECT_EQ(SoundCreate(PcmFormat{}, data, sizeof data, &why), 0);  // audio not open
  ASSERT_TRUE(AudioOpen());
  EXPECT_EQ(SoundCreate(PcmFormat{2, 1, 22050, 16}, data, sizeof data), 0);  // ADPCM
  EXPECT_EQ(SoundCreate(PcmFormat{1, 3, 22050, 16}, data, sizeof data), 0);
  EXPECT_EQ(SoundCreate(PcmFormat{1, 1, 22050, 12}, data, sizeof data), 0);
  EXPECT_EQ(SoundCreate(PcmFormat{1, 1, 0, 16}, data, sizeof data), 0);
  EXPECT_EQ(SoundCreate(PcmFormat{1, 1, 22050, 16}, nullptr, 10), 0);
  // A partial last frame is dropped; an empty buffer is silence.
  int odd = SoundCreate(PcmFormat{1, 2, 22050, 16}, data, 7);
  ASSERT_GT(odd, 0);
  int empty = SoundCreate(PcmFormat{1, 1, 22050, 16}, nullptr, 0);
  ASSERT_GT(empty, 0);
  SoundPlay(empty, false);
  null::AdvanceClock(10);
  EXPECT_FALSE(SoundPlaying(empty));
  EXPECT_FALSE(SoundPlay(9999, false));
  AudioClose();
  EXPECT_EQ(SoundCount(), 0u);
}

TEST_F(NullPlatform, MusicEndIsReportedInTheLoopOnlyForATrackThatPlayedOut) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("zarn_platform_music_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::filesystem::path mid = dir / "a.mid";
  std::ofstream(mid, std::ios::binary) << std::string("MThd\0\0\0\6\0\0\0\1\0\x60", 14);
  ASSERT_TRUE(AudioOpen());
  int ends = 0;
  OnMusicEnd = [&] { ++ends; };
  EXPECT_FALSE(MusicPlay((dir / "missing.mid").string()));
  EXPECT_EQ(MusicState(), MusicMode::Stopped);
  ASSERT_TRUE(MusicPlay(mid.string()));
  MusicPause();
  EXPECT_EQ(MusicState(), MusicMode::Paused);
  MusicResume();
  EXPECT_EQ(MusicState(), MusicMode::Playing);
  null::FinishMusic();
  EXPECT_EQ(ends, 0);  // never from the audio thread, only in the loop
  ProcessMessages();
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(MusicState(), MusicMode::Stopped);
  // An end that races with a stop or a new track is stale.
  ASSERT_TRUE(MusicPlay(mid.string()));
  null::FinishMusic();
  MusicStop();
  ProcessMessages();
  ASSERT_TRUE(MusicPlay(mid.string()));
  ProcessMessages();
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(MusicState(), MusicMode::Playing);
  std::filesystem::remove_all(dir);
}

TEST_F(NullPlatform, JoystickStateIsInjectable) {
  JoystickState js;
  EXPECT_FALSE(PollJoystick(0, js));
  EXPECT_FALSE(js.present);
  null::InjectJoystick(0, JoystickState{true, -32768, 100, 0, 0x5, 4});
  EXPECT_EQ(JoystickCount(), 1);
  ASSERT_TRUE(PollJoystick(0, js));
  EXPECT_EQ(js.x, -32768);
  EXPECT_EQ(js.buttons, 5u);
}
