// The demo game folder's music: every file the game asks for is there and is a playable
// Standard MIDI File of 20 to 60 seconds.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "game/base/dvga.h"
#include "game/sound/dsnd.h"

using namespace zarn;
namespace fs = std::filesystem;

namespace {

std::set<std::string> gAsked;

std::uint8_t RecordMusic(std::string_view name) {
  gAsked.insert(std::string(name));
  return 0;
}

struct SmfSummary {
  std::string error;  // empty when the file parsed
  double seconds = 0;
  int notes = 0;
  std::set<int> channels;
};

// Walks a type 0 or 1 file through every event, with running status and one tempo map.
SmfSummary ReadSmf(const std::vector<std::uint8_t>& d) {
  SmfSummary s;
  auto be = [&](std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | d[at + std::size_t(i)];
    return v;
  };
  if (d.size() < 14 || std::string(d.begin(), d.begin() + 4) != "MThd" || be(4, 4) != 6)
    return {"no header"};
  const std::uint32_t format = be(8, 2), tracks = be(10, 2), division = be(12, 2);
  if (format > 1 || tracks == 0 || division == 0 || (division & 0x8000)) return {"bad header"};
  std::size_t p = 14;
  std::uint32_t longest = 0;
  double usPerTick = 500000.0 / division;
  for (std::uint32_t t = 0; t < tracks; ++t) {
    if (p + 8 > d.size() || std::string(d.begin() + long(p), d.begin() + long(p) + 4) != "MTrk")
      return {"no track"};
    const std::size_t end = p + 8 + be(p + 4, 4);
    if (end > d.size()) return {"track past the end"};
    p += 8;
    std::uint32_t tick = 0;
    std::uint8_t status = 0;
    bool ended = false;
    auto varlen = [&](std::uint32_t& v) {
      v = 0;
      for (int i = 0; i < 4; ++i) {
        if (p >= end) return false;
        const std::uint8_t b = d[p++];
        v = (v << 7) | (b & 0x7F);
        if (!(b & 0x80)) return true;
      }
      return false;
    };
    while (p < end && !ended) {
      std::uint32_t delta, len;
      if (!varlen(delta)) return {"bad delta"};
      tick += delta;
      if (p >= end) return {"event past the end"};
      if (d[p] == 0xFF) {
        if (p + 2 > end) return {"short meta"};
        const std::uint8_t type = d[p + 1];
        p += 2;
        if (!varlen(len) || p + len > end) return {"bad meta"};
        if (type == 0x51 && len == 3) usPerTick = double(be(p, 3)) / division;
        if (type == 0x2F) ended = true;
        p += len;
        continue;
      }
      if (d[p] == 0xF0 || d[p] == 0xF7) return {"sysex in a demo tune"};
      if (d[p] & 0x80) status = d[p++];
      if (!status) return {"data without status"};
      const int size = (status & 0xE0) == 0xC0 ? 1 : 2;
      if (p + std::size_t(size) > end) return {"short event"};
      for (int i = 0; i < size; ++i)
        if (d[p + std::size_t(i)] & 0x80) return {"data byte with the top bit"};
      if ((status & 0xF0) == 0x90 && d[p + 1] > 0) {
        ++s.notes;
        s.channels.insert(status & 0x0F);
      }
      p += std::size_t(size);
    }
    if (!ended || p != end) return {"track without its end"};
    longest = std::max(longest, tick);
  }
  s.seconds = longest * usPerTick / 1e6;
  return s;
}

TEST(DemoMusic, EveryTuneTheGameAsksForIsAPlayableFileOfTwentyToSixtySeconds) {
  const TPlayMusicProc saved = PlayMusicProc;
  PlayMusicProc = RecordMusic;
  gAsked.clear();
  PlayTitleMusic();
  PlayDefeatMusic();
  PlayVictoryMusic();
  PlayAuthorsMusic();
  Randomize(7);
  for (int i = 0; i < 2000; ++i) {
    PlayAmbientMusic();
    PlayBattleMusic();
  }
  PlayMusicProc = saved;
  EXPECT_EQ(gAsked.size(), 31u);  // every stem of the five lists and the four set pieces

  const fs::path folder = fs::path(ZARN_BINARY_DIR) / "game";
  std::set<std::vector<std::uint8_t>> distinct;
  for (const std::string& asked : gAsked) {
    std::string rel = asked;
    for (char& c : rel)
      if (c == '\\') c = '/';
    SCOPED_TRACE(rel);
    std::ifstream in(folder / rel, std::ios::binary);
    ASSERT_TRUE(in) << "missing";
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const SmfSummary s = ReadSmf(bytes);
    ASSERT_EQ(s.error, "");
    EXPECT_GE(s.seconds, 20.0);
    EXPECT_LE(s.seconds, 60.0);
    EXPECT_GE(s.notes, 50);
    distinct.insert(bytes);
  }
  EXPECT_EQ(distinct.size(), gAsked.size());  // no two names share one tune
}

TEST(DemoMusic, BattleTunesDriveWithDrumsAndCalmOnesDoNot) {
  const fs::path music = fs::path(ZARN_BINARY_DIR) / "game" / "music";
  auto read = [&](const char* name) {
    std::ifstream in(music / name, std::ios::binary);
    return ReadSmf({std::istreambuf_iterator<char>(in), {}});
  };
  for (const char* battle : {"zarn10.mid", "zarn12.mid", "zarn17.mid"}) {
    const SmfSummary s = read(battle);
    EXPECT_TRUE(s.channels.count(9)) << battle;
  }
  for (const char* calm : {"zarn1_1.mid", "zarn18.mid", "zarn9_2.mid"}) {
    const SmfSummary s = read(calm);
    EXPECT_FALSE(s.channels.count(9)) << calm;
  }
}

}  // namespace
