#include "tools/demomusic/tunes.h"

#include <array>
#include <cstdint>
#include <vector>

namespace demomusic {
namespace {

constexpr int kBar = 4 * kTicksPerQuarter;
constexpr int kEighth = kTicksPerQuarter / 2;

// General MIDI programs (0-based) and channels.
enum Program {
  kHarp = 46, kStrings = 48, kSlowStrings = 49, kTimpani = 47, kTrumpet = 56, kBrass = 61,
  kFrenchHorn = 60, kFlute = 73, kPanFlute = 75, kOboe = 68, kSitar = 104, kWarmPad = 89,
  kFingerBass = 33, kSynthBass = 38, kContrabass = 43, kChoir = 52, kMarimba = 12
};
enum Channel { kMelodyCh = 0, kPadCh = 1, kBassCh = 2, kAccentCh = 3, kDrumCh = 9 };

class Rng {
 public:
  explicit Rng(const std::string& seed) {
    for (unsigned char c : seed) state_ = (state_ ^ c) * 1099511628211ull;
  }
  int Next(int n) {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return int((state_ >> 11) % uint64_t(n));
  }

 private:
  uint64_t state_ = 1469598103934665603ull;
};

using Scale = std::array<int, 7>;
constexpr Scale kMajor = {0, 2, 4, 5, 7, 9, 11};
constexpr Scale kMinor = {0, 2, 3, 5, 7, 8, 10};
constexpr Scale kDorian = {0, 2, 3, 5, 7, 9, 10};
constexpr Scale kHarmonic = {0, 2, 3, 5, 7, 8, 11};
// A touch of the desert: the raised third over a minor sixth.
constexpr Scale kPhrygianDominant = {0, 1, 4, 5, 7, 8, 10};

struct Style {
  Scale scale;
  int bpm;
  int melodyProgram, padProgram, bassProgram, accentProgram;
  bool drums;
  int velocity;
  std::vector<std::vector<int>> progressions;  // scale degrees, one per bar
  std::vector<std::vector<int>> rhythms;       // note lengths in eighths, summing to 8
};

// Pitch of a scale degree (may be negative or past 7) above the tonic `root`.
int Pitch(const Scale& s, int root, int degree) {
  int octave = degree >= 0 ? degree / 7 : -((6 - degree) / 7);
  return root + 12 * octave + s[size_t(degree - 7 * octave)];
}

Style StyleFor(Mood mood, Rng& rng) {
  const std::vector<std::vector<int>> calmRhythms = {
      {4, 2, 2}, {2, 2, 4}, {3, 1, 4}, {6, 2}, {2, 2, 2, 2}, {8}};
  const std::vector<std::vector<int>> battleRhythms = {
      {1, 1, 2, 1, 1, 2}, {2, 1, 1, 2, 2}, {3, 3, 2}, {1, 1, 1, 1, 2, 2}, {4, 1, 1, 2}};
  switch (mood) {
    case Mood::Calm: {
      const Scale scales[] = {kDorian, kMinor, kMajor, kPhrygianDominant};
      const int melodies[] = {kFlute, kPanFlute, kOboe, kSitar, kHarp};
      const int pads[] = {kWarmPad, kSlowStrings, kChoir};
      return {scales[rng.Next(4)], 66 + rng.Next(20), melodies[rng.Next(5)], pads[rng.Next(3)],
              kFingerBass, kHarp, false, 70,
              {{0, 5, 3, 4}, {0, 3, 0, 4}, {0, 6, 5, 4}, {0, 2, 3, 0}}, calmRhythms};
    }
    case Mood::Battle: {
      const Scale scales[] = {kHarmonic, kMinor, kPhrygianDominant};
      const int melodies[] = {kBrass, kTrumpet, kStrings};
      return {scales[rng.Next(3)], 128 + rng.Next(28), melodies[rng.Next(3)], kStrings,
              kSynthBass, kTimpani, true, 100,
              {{0, 5, 6, 4}, {0, 0, 5, 6}, {0, 6, 5, 6}, {0, 3, 4, 4}}, battleRhythms};
    }
    case Mood::Title:
      return {kPhrygianDominant, 96, kFrenchHorn, kSlowStrings, kContrabass, kTimpani, true, 90,
              {{0, 1, 0, 6}, {0, 5, 1, 0}}, calmRhythms};
    case Mood::Victory:
      return {kMajor, 120, kTrumpet, kStrings, kFingerBass, kTimpani, true, 105,
              {{0, 3, 4, 0}, {0, 5, 3, 4}}, battleRhythms};
    case Mood::Defeat:
      return {kMinor, 60, kOboe, kSlowStrings, kContrabass, kChoir, false, 60,
              {{0, 5, 3, 4}, {0, 3, 4, 0}}, calmRhythms};
    case Mood::Authors:
      return {kMajor, 104, kMarimba, kWarmPad, kFingerBass, kHarp, false, 80,
              {{0, 4, 5, 3}, {0, 3, 4, 4}}, calmRhythms};
  }
  return {};
}

// One bar of melody: chord tones on the strong beats, steps in between.
std::vector<std::pair<int, int>> MelodyBar(const Style& st, Rng& rng, int chord, int& degree) {
  std::vector<std::pair<int, int>> notes;  // (degree, length in eighths)
  const std::vector<int>& rhythm = st.rhythms[size_t(rng.Next(int(st.rhythms.size())))];
  int at = 0;
  for (int len : rhythm) {
    if (at % 4 == 0) {
      // Nearest chord tone to where the line already is.
      int best = degree, bestDist = 99;
      for (int k = -2; k <= 2; ++k)
        for (int t : {0, 2, 4}) {
          int cand = chord + t + 7 * k;
          int dist = cand > degree ? cand - degree : degree - cand;
          if (dist < bestDist || (dist == bestDist && rng.Next(2) == 0)) best = cand, bestDist = dist;
        }
      degree = best;
    } else {
      degree += rng.Next(5) - 2;
    }
    // Keep the line within a comfortable octave and a half.
    if (degree < 0) degree += 2;
    if (degree > 11) degree -= 3;
    notes.push_back({degree, len});
    at += len;
  }
  return notes;
}

}  // namespace

Track Compose(const std::string& name, Mood mood) {
  Rng rng(name);
  const Style st = StyleFor(mood, rng);
  const int root = 60 + rng.Next(7) - 3;

  // 20 to 60 seconds: pick a bar count that lands near 36 s, in whole four-bar phrases.
  const double barSeconds = 4 * 60.0 / st.bpm;
  int phrases = int(36.0 / (barSeconds * 4) + 0.5);
  if (phrases < 2) phrases = 2;
  while (phrases * 4 * barSeconds > 56.0) --phrases;
  while (phrases * 4 * barSeconds < 24.0) ++phrases;

  Track tr;
  tr.Tempo(0, st.bpm);
  tr.Program(0, kMelodyCh, st.melodyProgram);
  tr.Program(0, kPadCh, st.padProgram);
  tr.Program(0, kBassCh, st.bassProgram);
  tr.Program(0, kAccentCh, st.accentProgram);
  tr.Controller(0, kMelodyCh, 91, 60);  // reverb
  tr.Controller(0, kPadCh, 91, 80);
  tr.Controller(0, kPadCh, 7, 80);

  // Two phrases of melody (A and B) repeated with small changes: tunes should be hummable.
  const std::vector<int>& progA = st.progressions[size_t(rng.Next(int(st.progressions.size())))];
  const std::vector<int>& progB = st.progressions[size_t(rng.Next(int(st.progressions.size())))];
  int degree = 4;
  std::vector<std::vector<std::pair<int, int>>> phraseA, phraseB;
  for (int b = 0; b < 4; ++b) phraseA.push_back(MelodyBar(st, rng, progA[size_t(b)], degree));
  for (int b = 0; b < 4; ++b) phraseB.push_back(MelodyBar(st, rng, progB[size_t(b)], degree));

  const bool battle = mood == Mood::Battle || mood == Mood::Victory;
  for (int p = 0; p < phrases; ++p) {
    const bool isB = p % 4 == 2;
    const std::vector<int>& prog = isB ? progB : progA;
    const auto& melody = isB ? phraseB : phraseA;
    const bool last = p == phrases - 1;
    for (int b = 0; b < 4; ++b) {
      const uint32_t barTick = uint32_t((p * 4 + b) * kBar);
      const int chord = (last && b == 3) ? 0 : prog[size_t(b)];
      // Melody, silent in the first phrase of calm pieces so they open on the pad alone.
      if (!(p == 0 && !battle && phrases > 3)) {
        uint32_t t = barTick;
        for (auto [deg, len] : melody[size_t(b)]) {
          int d = deg;
          if (p >= 3 && p % 2 == 1 && rng.Next(4) == 0) d += rng.Next(3) - 1;  // variation
          if (last && b == 3) d = 7;  // end on the tonic
          const int vel = st.velocity + (t % kTicksPerQuarter == 0 ? 10 : 0) - rng.Next(8);
          tr.Note(t, uint32_t(len * kEighth - 20), kMelodyCh, Pitch(st.scale, root, d), vel);
          t += uint32_t(len * kEighth);
          if (last && b == 3) break;
        }
      }
      // Pad: held chords when calm, stabs in battle.
      for (int tone : {0, 2, 4}) {
        const int key = Pitch(st.scale, root - 12, chord + tone);
        if (battle) {
          for (int beat = 0; beat < 4; beat += 2)
            tr.Note(barTick + uint32_t(beat * kTicksPerQuarter), kTicksPerQuarter, kPadCh, key,
                    st.velocity - 25);
        } else {
          tr.Note(barTick, kBar - 10, kPadCh, key, st.velocity - 20);
        }
      }
      // Bass.
      const int bassKey = Pitch(st.scale, root - 24, chord);
      if (battle) {
        for (int e = 0; e < 8; ++e)
          tr.Note(barTick + uint32_t(e * kEighth), kEighth - 30, kBassCh,
                  bassKey + (e % 4 == 3 ? 12 : 0), st.velocity - 10);
      } else {
        tr.Note(barTick, 2 * kTicksPerQuarter - 20, kBassCh, bassKey, st.velocity);
        tr.Note(barTick + 2 * kTicksPerQuarter, 2 * kTicksPerQuarter - 20, kBassCh,
                Pitch(st.scale, root - 24, chord + 4), st.velocity - 10);
      }
      // Accent: timpani or harp on the bar's first beat, every other bar.
      if (b % 2 == 0)
        tr.Note(barTick, kTicksPerQuarter, kAccentCh, Pitch(st.scale, root - 12, chord),
                st.velocity - 15);
      // Drums.
      if (st.drums && !(last && b == 3)) {
        for (int e = 0; e < 8; ++e) {
          const uint32_t t = barTick + uint32_t(e * kEighth);
          if (e == 0 || e == 4 || (battle && e == 5 && b % 2 == 1)) tr.Note(t, 60, kDrumCh, 36, 100);
          if (e == 2 || e == 6) tr.Note(t, 60, kDrumCh, battle ? 38 : 37, battle ? 90 : 60);
          if (battle) tr.Note(t, 30, kDrumCh, 42, e % 2 == 0 ? 70 : 50);
        }
        if (b == 0) tr.Note(barTick, 200, kDrumCh, 49, battle ? 90 : 60);
      }
    }
  }
  // Final chord, held.
  const uint32_t end = uint32_t(phrases * 4 * kBar);
  for (int tone : {0, 2, 4}) tr.Note(end - kBar + kTicksPerQuarter, kBar - kTicksPerQuarter, kPadCh, Pitch(st.scale, root - 12, tone), st.velocity - 15);
  tr.Note(end - kBar, kBar, kBassCh, root - 24, st.velocity);
  return tr;
}

}  // namespace demomusic
