// The playing time of MIDI files, which tells the music player when a track has ended.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backend.h"

using plat::detail::MidiLengthMs;

namespace {

std::string Vlq(std::uint32_t t) {
  std::string v(1, static_cast<char>(t & 0x7F));
  for (t >>= 7; t > 0; t >>= 7) v.insert(v.begin(), static_cast<char>(0x80 | (t & 0x7F)));
  return v;
}

std::string Be(std::uint32_t v, int n) {
  std::string s;
  for (int i = n - 1; i >= 0; --i) s += static_cast<char>(v >> (8 * i));
  return s;
}

std::string Track(const std::string& events) { return "MTrk" + Be(events.size(), 4) + events; }

std::vector<std::uint8_t> File(int format, int division, const std::vector<std::string>& tracks) {
  std::string f = "MThd" + Be(6, 4) + Be(format, 2) + Be(tracks.size(), 2) + Be(division, 2);
  for (auto& t : tracks) f += Track(t);
  return std::vector<std::uint8_t>(f.begin(), f.end());
}

const std::string kEnd = std::string("\xFF\x2F\x00", 3);
std::string Tempo(std::uint32_t us) { return std::string("\xFF\x51\x03", 3) + Be(us, 3); }

}  // namespace

TEST(MidiLength, FollowsTheTempoMapAcrossTracks) {
  // 96 ticks a beat at the default half second: 192 ticks play for one second.
  std::string note = Vlq(0) + std::string("\x90\x3C\x64", 3) + Vlq(192) +
                     std::string("\x3C\x00", 2)  // running status: note on, velocity 0
                     + Vlq(0) + kEnd;
  EXPECT_EQ(MidiLengthMs(File(0, 96, {note})), 1000u);

  // Format 1: the tempo map in the first track, the longest part in the last. After one beat
  // the tempo doubles, so the remaining three beats take 750 ms.
  std::string map = Vlq(96) + Tempo(250000) + Vlq(0) + kEnd;
  std::string part = Vlq(0) + std::string("\xC1\x05", 2) + Vlq(384) +
                     std::string("\x81\x3C\x40", 3) + Vlq(0) + kEnd;
  std::string sysex = Vlq(10) + std::string("\xF0\x03\x7E\x7F\xF7", 5) + Vlq(0) + kEnd;
  EXPECT_EQ(MidiLengthMs(File(1, 96, {map, sysex, part})), 500u + 750u);

  // The end-of-track event's own delay counts: it is the composer's length.
  std::string tail = Vlq(0) + std::string("\x90\x3C\x64", 3) + Vlq(96) + kEnd;
  EXPECT_EQ(MidiLengthMs(File(0, 96, {tail})), 500u);

  // SMPTE time: 25 frames of 40 ticks a second.
  std::string smpte = Vlq(2000) + kEnd;
  EXPECT_EQ(MidiLengthMs(File(0, 0xE728, {smpte})), 2000u);
}

TEST(MidiLength, AnythingMalformedIsUnknownAndNeverReadsPastTheEnd) {
  EXPECT_EQ(MidiLengthMs({}), 0u);
  std::string riff = "RIFF\x10\0\0\0RMIDdata";
  EXPECT_EQ(MidiLengthMs(std::vector<std::uint8_t>(riff.begin(), riff.end())), 0u);
  EXPECT_EQ(MidiLengthMs(File(0, 0, {Vlq(10) + kEnd})), 0u);             // no division
  EXPECT_EQ(MidiLengthMs(File(0, 96, {Vlq(0) + "\x3C\x40"})), 0u);       // running nothing
  EXPECT_EQ(MidiLengthMs(File(0, 96, {"\xFF\xFF\xFF\xFF\x7F" + kEnd})), 0u);  // 5-byte delay
  std::string meta = Vlq(0) + std::string("\xFF\x01\x7F", 3) + "short";  // text past the end
  EXPECT_EQ(MidiLengthMs(File(0, 96, {meta})), 0u);

  // Every truncation of a good file: a clean answer (the sanitizers watch the reads).
  std::string note = Vlq(0) + std::string("\x90\x3C\x64", 3) + Vlq(192) +
                     std::string("\x80\x3C\x40", 3) + Vlq(0) + kEnd;
  auto good = File(1, 96, {Vlq(0) + Tempo(400000) + Vlq(0) + kEnd, note});
  for (std::size_t n = 0; n < good.size(); ++n) {
    std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
    std::vector<std::uint8_t> heap(cut);  // exact size, so an over-read is caught
    EXPECT_LE(MidiLengthMs(heap), 800u) << n;
  }
  EXPECT_EQ(MidiLengthMs(good), 800u);
}
