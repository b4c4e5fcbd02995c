#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "game/dx/DXSounds.h"
#include "platform/app.h"
#include "platform/audio.h"
#include "platform/forms.h"
#include "tests/common/fedpipe.h"
#include "platform/null/null.h"

namespace zarn {
namespace {

using Bytes = std::vector<std::uint8_t>;

TWave Tone(int samples, std::uint8_t seed) {
  TWave w;
  w.SetPCM(22050, 16, 1);
  Bytes s(static_cast<std::size_t>(samples) * 2);
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::uint8_t>(i * seed);
  w.SetSamples(s);
  return w;
}

// Three items: a tone, a silent item without samples, a looped tone.
void FillBank(TWaveCollection& bank) {
  bank.Clear();
  auto& a = bank.Add();
  a.SetName("Boom");
  a.SetWave(Tone(2205, 3));  // 100 ms
  bank.Add().SetName("Nothing");
  auto& c = bank.Add();
  c.SetName("Hum");
  c.SetLooped(true);
  c.SetWave(Tone(441, 5));
}

TEST(SoundBank, WritesAndReadsBackByteForByteAndFindsItemsByIndexAndName) {
  TWaveCollection bank;
  FillBank(bank);
  const Bytes file = bank.SaveToBytes();
  ASSERT_GT(file.size(), 20u);
  EXPECT_EQ(file[0], 0xFF);
  EXPECT_EQ(file[1], 10);
  EXPECT_EQ(file[2], 0);

  TWaveCollection back;
  back.LoadFromBytes(file);
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.Items(0).Name(), "Boom");
  EXPECT_EQ(back.Items(0).Wave().SaveToBytes(), Tone(2205, 3).SaveToBytes());
  EXPECT_TRUE(back.Items(1).Wave().Empty());
  EXPECT_FALSE(back.Items(1).Looped());
  EXPECT_TRUE(back.Items(2).Looped());
  EXPECT_EQ(back.Find("hum"), &back.Items(2));
  EXPECT_EQ(back.IndexOf("BOOM"), 0);
  EXPECT_EQ(back.Find("missing"), nullptr);
  EXPECT_EQ(back.SaveToBytes(), file);
}

TEST(SoundBank, ReadsWhatOtherWritersOfTheFormatPutThere) {
  // Item order values, long strings, an unknown property, no "Looped", and a name in the
  // resource header.
  TMemoryStream s;
  TComponentWriter w(s);
  w.WriteResHeader("SOUNDS");
  w.WriteSignature();
  w.WriteShortString("TWaveCollectionComponent");
  w.WriteShortString("");
  w.WriteShortString("Tag");
  w.WriteInteger(7);
  w.WriteShortString("List");
  w.WriteValueType(vaCollection);
  w.WriteInteger(1000);  // the item's order
  w.WriteValueType(vaList);
  w.WriteShortString("Name");
  w.WriteValueType(vaLString);
  const std::uint32_t n = 4;
  s.WriteBuffer(&n, 4);
  s.WriteBuffer("Shot", 4);
  w.WriteShortString("Comment");
  w.WriteValueType(vaList);
  w.WriteInteger(1);
  w.WriteString("x");
  w.WriteListEnd();
  w.WriteShortString("Wave.WAVE");
  w.WriteBinary(Tone(10, 1).SaveToBytes());
  w.WriteListEnd();
  w.WriteListEnd();
  w.WriteListEnd();
  w.WriteListEnd();
  w.FinishResHeader();

  TWaveCollection bank;
  bank.LoadFromBytes(s.Bytes());
  ASSERT_EQ(bank.Count(), 1);
  EXPECT_EQ(bank.Items(0).Name(), "Shot");
  EXPECT_FALSE(bank.Items(0).Looped());
  EXPECT_EQ(bank.Items(0).Wave().Size(), 20);
}

TEST(SoundBank, RejectsHostileBanksAndKeepsTheOldOne) {
  TWaveCollection good;
  FillBank(good);
  const Bytes file = good.SaveToBytes();

  TWaveCollection bank;
  FillBank(bank);
  bank.Items(0).SetName("Kept");
  const Bytes before = bank.SaveToBytes();
  auto rejects = [&](const Bytes& b, const char* what) {
    EXPECT_THROW(bank.LoadFromBytes(b), EDXError) << what << " " << b.size();
    EXPECT_EQ(bank.SaveToBytes(), before) << what;
  };

  Bytes wrongType = file;
  wrongType[1] = 11;
  rejects(wrongType, "resource type");
  Bytes wrongMark = file;
  wrongMark[0] = 0xFE;
  rejects(wrongMark, "first byte");
  for (std::size_t n = 1; n < file.size(); n += 13)
    rejects(Bytes(file.begin(), file.begin() + static_cast<long>(n)), "truncated");

  // Find the first binary length and make it claim more than the file holds.
  const std::string text(file.begin(), file.end());
  const std::size_t wave = text.find("Wave.WAVE");
  ASSERT_NE(wave, std::string::npos);
  Bytes longBinary = file;
  const std::size_t len = wave + 9 + 1;  // past the name and the tag
  longBinary[len + 3] = 0x7F;
  rejects(longBinary, "binary length");
  Bytes badTag = file;
  badTag[wave + 9] = 0x3C;
  rejects(badTag, "value tag");
  Bytes badWave = file;
  std::memcpy(badWave.data() + len + 4 + 8, "AVI ", 4);
  rejects(badWave, "item wave");

  // A wave the mixer cannot play is refused while loading, not half-way through binding.
  TWaveCollection odd;
  auto& item = odd.Add();
  TWave adpcm = Tone(100, 2);
  TWaveFormatEx f = adpcm.FormatRecord();
  f.wFormatTag = 2;
  adpcm.SetFormat(f);
  item.SetWave(adpcm);
  rejects(odd.SaveToBytes(), "format");
}

// The platform's null back end: a virtual clock and a mixer kept in memory.
class SoundPlay : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ZARN_PLATFORM", "null", 1);
    std::string why;
    ASSERT_TRUE(plat::Init(&why)) << why;
    form = plat::CreateForm("sound", 320, 200);
    ASSERT_NE(form, nullptr);
  }
  void TearDown() override { plat::Shutdown(); }
  // Moves the clock on in small steps, letting the loop run its timers.
  void Run(int ms) {
    for (int t = 0; t < ms; t += 10) {
      plat::null::AdvanceClock(10);
      plat::ProcessMessages(false);
    }
  }
  plat::Form* form = nullptr;
};

TEST_F(SoundPlay, OverlappingPlaysOfOneEffectAreReapedAfterTheyEnd) {
  TDXSound sound(form);
  sound.Options();
  TDXWaveList list;
  list.SetDXSound(&sound);
  FillBank(list.Items());
  sound.Initialize();
  ASSERT_TRUE(sound.Initialized());
  TWaveCollection& bank = list.Items();
  ASSERT_NE(bank.Items(0).Buffer(), nullptr);
  EXPECT_TRUE(bank.Items(0).Buffer()->HasInterface());
  EXPECT_FALSE(bank.Items(1).Buffer()->HasInterface());  // silence: no buffer at all

  const std::size_t base = plat::SoundCount();
  bank.Items(0).Play();
  Run(30);
  bank.Items(0).Play();
  Run(30);
  bank.Items(0).Play();
  bank.Items(1).Play();  // silence plays nothing
  EXPECT_EQ(bank.OneShotCount(), 3);
  EXPECT_EQ(plat::SoundCount(), base + 3);
  Run(100 + 500 + 20);  // the effect's 100 ms, then at most one 500 ms tick
  EXPECT_EQ(bank.OneShotCount(), 0);
  EXPECT_EQ(plat::SoundCount(), base);

  // Looped items play their master buffer; the volume reaches the next one-shot.
  bank.Items(2).Play();
  EXPECT_TRUE(bank.Items(2).Buffer()->Playing());
  bank.Items(2).Stop();
  EXPECT_FALSE(bank.Items(2).Buffer()->Playing());
  bank.Items(0).SetVolume(-2000);
  EXPECT_EQ(plat::SoundVolume(bank.Items(0).Buffer()->SoundId()), -2000);
  bank.Items(0).Play();
  EXPECT_EQ(bank.OneShotCount(), 1);

  // Waiting plays block until the effect has ended and keep nothing.
  Run(1000);
  const std::uint64_t before = plat::NowMs();
  bank.Items(0).Play(true);
  EXPECT_GE(plat::NowMs() - before, 100u);
  EXPECT_EQ(bank.OneShotCount(), 0);

  // Buffers that the mixer lost (its output was re-opened) are restored on the next play.
  const int oldId = bank.Items(0).Buffer()->SoundId();
  plat::AudioClose();
  ASSERT_TRUE(plat::AudioOpen());
  bank.Items(0).Play();
  EXPECT_NE(bank.Items(0).Buffer()->SoundId(), oldId);
  EXPECT_EQ(bank.OneShotCount(), 1);

  sound.Finalize();
  EXPECT_EQ(bank.OneShotCount(), 0);
  EXPECT_EQ(bank.Items(0).Buffer(), nullptr);
  bank.Items(0).Play();  // not initialised: nothing
  EXPECT_EQ(plat::SoundCount(), 0u);
}

TEST_F(SoundPlay, StereoWavesPlayAsTwoChannelsForTheirOwnLength) {
  struct Case {
    std::uint16_t bits, channels;
  } cases[] = {{8, 2}, {16, 2}, {8, 1}, {16, 1}};
  for (const Case& c : cases) {
    TDXSound sound(form);
    TDXWaveList list;
    list.SetDXSound(&sound);
    TWave w;
    w.SetPCM(22050, c.bits, c.channels);
    EXPECT_EQ(w.FormatRecord().nBlockAlign, c.bits / 8 * c.channels);
    EXPECT_EQ(w.FormatRecord().nAvgBytesPerSec, 22050u * c.bits / 8 * c.channels);
    // 4410 frames: 200 ms whatever the layout.
    w.SetSamples(Bytes(std::size_t(4410) * c.bits / 8 * c.channels, 0x40));
    // Through the bank's file, as the game reads it.
    TWaveCollection source;
    source.Add().SetWave(w);
    list.Items().LoadFromBytes(source.SaveToBytes());
    sound.Initialize();
    TDirectSoundBuffer* buffer = list.Items().Items(0).Buffer();
    ASSERT_NE(buffer, nullptr);
    const plat::PcmFormat f = plat::SoundFormat(buffer->SoundId());
    EXPECT_EQ(f.channels, c.channels);
    EXPECT_EQ(f.bitsPerSample, c.bits);
    Run(1000);
    const std::uint64_t before = plat::NowMs();
    list.Items().Items(0).Play(true);
    const std::uint64_t took = plat::NowMs() - before;
    EXPECT_GE(took, 200u) << c.bits << " bit, " << c.channels << " channels";
    EXPECT_LT(took, 260u) << c.bits << " bit, " << c.channels << " channels";
    sound.Finalize();
  }
}

TEST_F(SoundPlay, BankLoadedWhileSilentGetsBuffersWhenSoundStarts) {
  TWaveCollection source;
  FillBank(source);
  const Bytes file = source.SaveToBytes();
  const auto path = std::filesystem::temp_directory_path() / ("zarn_dx_test_bank_" + std::to_string(::getpid()) + ".snd");
  ASSERT_TRUE(source.SaveToFile(path));

  TDXSound sound(form);
  TDXWaveList list;
  list.SetDXSound(&sound);
  list.Items().LoadFromFile(path);
  std::filesystem::remove(path);
  EXPECT_EQ(list.Items().Count(), 3);
  EXPECT_EQ(list.Items().Items(0).Buffer(), nullptr);
  sound.Initialize();
  EXPECT_TRUE(list.Items().Items(0).Buffer()->HasInterface());
  EXPECT_EQ(plat::SoundBytes(list.Items().Items(0).Buffer()->SoundId()), 4410u);

  // Loading again while bound re-creates the buffers at once.
  list.Items().LoadFromBytes(file);
  EXPECT_TRUE(list.Items().Items(2).Buffer()->HasInterface());
  EXPECT_THROW(list.Items().LoadFromFile("/nonexistent/zarn.snd"), EWaveCollectionError);
  EXPECT_EQ(list.Items().Count(), 3);
  // A good bank behind a named pipe is not read: a pipe can keep a reader waiting for good.
  TWaveCollection one;
  one.Add().SetWave(source.Items(0).Wave());
  const Bytes good = one.SaveToBytes();
  testpipe::TFedPipe pipe(path, std::string(good.begin(), good.end()));
  ASSERT_TRUE(pipe.Made());
  EXPECT_THROW(list.Items().LoadFromFile(path), EWaveCollectionError);
  EXPECT_EQ(list.Items().Count(), 3);
}

TEST_F(SoundPlay, ComponentStatesListenersAndOptions) {
  EXPECT_THROW(TDXSound(nullptr).Initialize(), EDXSoundError);

  std::vector<int> codes;  // outlives the component, which tells it of its end
  TDXSound sound(form);
  auto proc = +[](void* data, int code) { static_cast<std::vector<int>*>(data)->push_back(code); };
  sound.RegisterNotifyEvent(proc, &codes);
  sound.SetOptions(soGlobalFocus | soExclusive);
  sound.Initialize();
  EXPECT_EQ(sound.CooperativeLevel(), DSSCL_EXCLUSIVE);
  sound.SetOptions(soWritePrimary);  // waits for the next initialisation
  EXPECT_EQ(sound.CooperativeLevel(), DSSCL_EXCLUSIVE);
  sound.Initialize();
  EXPECT_EQ(sound.CooperativeLevel(), DSSCL_WRITEPRIMARY);
  EXPECT_EQ(codes, (std::vector<int>{1, 2, 4, 3, 1, 2, 4}));

  // Attaching to an initialised component tells the newcomer at once.
  std::vector<int> late;
  sound.RegisterNotifyEvent(proc, &late);
  EXPECT_EQ(late, (std::vector<int>{2, 4}));
  sound.UnRegisterNotifyEvent(proc, &late);
  EXPECT_EQ(late, (std::vector<int>{2, 4, 3}));

  // A sticky-focus option reaches new buffers only when set after initialisation.
  sound.SetOptions(soStickyFocus);
  TDXWaveList list;
  FillBank(list.Items());
  list.SetDXSound(&sound);
  EXPECT_EQ(list.Items().Items(0).Buffer()->CreationFlags(),
            DSBCAPS_CTRLDEFAULT | DSBCAPS_STICKYFOCUS);
}

// The demo bank that the build lays into the game folder: one distinct, playable effect for
// every sound number the game uses.
TEST(DemoBank, HoldsNinetyNineDistinctPlayableEffects) {
  const std::filesystem::path file =
      std::filesystem::path(ZARN_BINARY_DIR) / "game" / "data" / "zarn.snd";
  ASSERT_TRUE(std::filesystem::exists(file)) << "no demo bank at " << file;
  TWaveCollection bank;
  bank.LoadFromFile(file);
  ASSERT_EQ(bank.Count(), 99);
  std::vector<Bytes> seen;
  for (int i = 0; i < bank.Count(); ++i) {
    const TWave& w = bank.Items(i).Wave();
    EXPECT_TRUE(WavePlayable(w)) << i;
    EXPECT_GT(w.Size(), 0) << i;
    EXPECT_LT(w.Size(), 22050 * 2 * 3) << i;  // short effects
    Bytes b(w.Samples().begin(), w.Samples().end());
    for (const Bytes& other : seen) EXPECT_NE(b, other) << i;
    seen.push_back(std::move(b));
  }
}

}  // namespace
}  // namespace zarn
