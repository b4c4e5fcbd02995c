#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "game/sound/dsnd.h"

using namespace zarn;

namespace {

struct Played {
  int volume, wave;
  bool operator==(const Played&) const = default;
};
std::vector<Played> sounds;
std::vector<std::string> tracks;

class Sound : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHooks();
    PlaySoundProc = [](std::int32_t v, std::int32_t w) { sounds.push_back({v, w}); };
    PlayMusicProc = [](std::string_view name) -> std::uint8_t { return tracks.emplace_back(name), 0; };
    sounds.clear();
    tracks.clear();
    GameOptions = TGameOptions{};
    GameMap.Width = GameMap.Height = 64;
    ViewState.ViewX = 11;  // the view centre is (21, 15)
    ViewState.ViewY = 10;
    ViewState.LocalSide = 1;
  }
  void TearDown() override {
    ResetHooks();
    ViewState = TViewState{};
  }
  // The one sound played since the last call.
  static Played Only() {
    EXPECT_EQ(sounds.size(), 1u);
    const Played p = sounds.empty() ? Played{-1, -1} : sounds.back();
    sounds.clear();
    return p;
  }
};

}  // namespace

TEST_F(Sound, PositionalVolumeAndWavesByKind) {
  PlayCrushSound(30, 19);  // the view's far corner
  EXPECT_EQ(Only(), (Played{100, 71}));
  PlayCrushSound(41, 15);  // 20 right of the centre: (90.51 - 20) / 90.51
  EXPECT_EQ(Only(), (Played{77, 71}));
  PlayWormSound(64, 64);  // d = 65.19
  EXPECT_EQ(Only(), (Played{27, 83}));
  PlayWormSound(-5000, 9000);  // beyond the map's diagonal: silent, never a wild number
  EXPECT_EQ(Only(), (Played{0, 83}));

  const int death[17] = {0, 0, 0, 0, 72, 72, 72, 73, -1, 72, 74, 73, 74, 72, 72, 72, -1};
  for (int kind = 0; kind <= 16; ++kind) {
    PlayDeathSound(20, 15, kind);
    if (death[kind] < 0) {
      EXPECT_TRUE(sounds.empty()) << kind;
    } else {
      const int w = Only().wave;
      if (kind <= 3) EXPECT_TRUE(w >= 66 && w <= 70) << w;
      else EXPECT_EQ(w, death[kind]) << kind;
    }
  }
  const int weapon[8] = {58, 60, 59, 61, 62, 63, 65, 64};
  for (int c = 0; c < 8; ++c) {
    PlayWeaponSound(20, 15, c);
    EXPECT_EQ(Only().wave, weapon[c]);
  }
  PlayWeaponSound(20, 15, 8);
  EXPECT_TRUE(sounds.empty());
  for (auto [kind, p] : {std::pair{3, Played{100, 94}}, {6, {60, 91}}, {10, {50, 92}}, {12, {60, 93}}, {11, {100, 89}}}) {
    PlayBuildingSound(kind);
    EXPECT_EQ(Only(), p) << kind;
  }
}

TEST_F(Sound, VoiceLinesPerFactionAndSettings) {
  // Almireth (1) plays the base line, Gorvassen (0) +19, every other side +38.
  for (auto [side, offset] : {std::pair{1, 0}, {0, 19}, {2, 38}, {3, 38}}) {
    VoiceBuildingReady(side);
    VoiceUnitReady(3, side);
    VoiceUnitReady(16, side);
    VoiceCarrierDrop(side);
    EXPECT_EQ(sounds, (std::vector<Played>{{100, 3 + offset}, {100, 6 + offset}, {100, 14 + offset}, {100, 12 + offset}}));
    sounds.clear();
  }
  ViewState.LocalSide = 0;  // no side given: the seat's own faction
  VoiceRadarOnline();
  EXPECT_EQ(Only(), (Played{100, 26}));

  // Each setting silences its group, without drawing a random number; victory and defeat and
  // the interface sounds still play.
  GameOptions.UnitSpeak = GameOptions.UnitExecuteSpeak = GameOptions.BuildSpeak = GameOptions.SevnarSpeak = false;
  Randomize(5);
  PlaySelectAck();
  PlayOrderAck();
  PlayBuildingSound(3);
  PlaySpecialWeaponSound();
  VoiceEnemyInBase();
  EXPECT_TRUE(sounds.empty());
  const int next = Random(1000);
  Randomize(5);
  EXPECT_EQ(next, Random(1000));
  VoiceVictory();
  VoiceDefeat();
  PlayHoverSound();
  EXPECT_EQ(sounds, (std::vector<Played>{{100, 28}, {100, 29}, {75, 90}}));
}

TEST_F(Sound, MusicChoiceFromSeededRandom) {
  PlayTitleMusic();
  EXPECT_EQ(tracks, std::vector<std::string>{"music\\zarn0_2.mid"});
  const std::vector<std::vector<std::string>> calm = {
      {"zarn1_1", "zarn1_2", "zarn16_2", "zarn19_2", "zarn7_1", "zarn7_2", "zarn7_4"},
      {"zarn0_1", "zarn7_3", "zarn9_1", "zarn9_2"},
      {"zarn16_1", "zarn18", "zarn19_1", "zarn2", "zarn3", "zarn4", "zarn5", "zarn6"}};
  const std::vector<std::vector<std::string>> battle = {
      {"zarn10", "zarn15", "zarn8_2"}, {"zarn11", "zarn13", "zarn14", "zarn17"}, {"zarn12"}};
  // The list by Random(12) (0..1, 2..5, 6..11), then the track by Random(length); the lone
  // battle track takes no second draw.
  auto expect = [](const auto& lists) {
    const int r = Random(12);
    const auto& list = lists[r < 2 ? 0 : r < 6 ? 1 : 2];
    return "music\\" + list[list.size() == 1 ? 0 : static_cast<std::size_t>(Random(static_cast<int>(list.size())))] + ".mid";
  };
  std::set<std::string> heard;
  for (std::uint32_t seed = 1; seed <= 300; ++seed) {
    for (bool isBattle : {false, true}) {
      Randomize(seed);
      const std::string want = isBattle ? expect(battle) : expect(calm);
      const int after = Random(1000);
      tracks.clear();
      Randomize(seed);
      isBattle ? PlayBattleMusic() : PlayAmbientMusic();
      ASSERT_EQ(tracks, std::vector<std::string>{want}) << seed;
      ASSERT_EQ(Random(1000), after) << "same number of draws";
      heard.insert(want);
    }
  }
  EXPECT_EQ(heard.size(), 27u);  // every calm and battle track comes up
}
