#include "tools/demosound/synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace demosound {

namespace {

constexpr double kPi = std::numbers::pi;

std::size_t Samples(double seconds) {
  return static_cast<std::size_t>(std::max(0.0, seconds) * kRate);
}

struct Lcg {
  std::uint32_t s;
  double Next() {  // -1 .. 1
    s = s * 1664525u + 1013904223u;
    return static_cast<double>(s >> 8) / 8388608.0 - 1.0;
  }
};

// Two-pole resonator (a formant).
struct Resonator {
  double a1 = 0, a2 = 0, g = 0, y1 = 0, y2 = 0;
  void Set(double f, double bw) {
    const double r = std::exp(-kPi * bw / kRate);
    a1 = 2 * r * std::cos(2 * kPi * f / kRate);
    a2 = -r * r;
    g = 1 - r;
  }
  double Step(double x) {
    const double y = g * x + a1 * y1 + a2 * y2;
    y2 = y1;
    y1 = y;
    return y;
  }
};

struct Formants {
  double f1, f2, f3;
};

Formants VowelFormants(char v) {
  switch (v) {
    case 'a':
      return {730, 1090, 2440};
    case 'e':
      return {530, 1840, 2480};
    case 'i':
      return {270, 2290, 3010};
    case 'o':
      return {570, 840, 2410};
    case 'u':
      return {300, 870, 2240};
    case 'y':
      return {440, 1020, 2240};  // a central vowel
    default:
      return {500, 1500, 2500};
  }
}

bool IsVowel(char c) {
  return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'y';
}

}  // namespace

Buffer Silence(double seconds) { return Buffer(Samples(seconds), 0.0f); }

Buffer Chirp(double seconds, double f0, double f1, double amp) {
  Buffer b(Samples(seconds));
  double phase = 0;
  const double n = static_cast<double>(b.size());
  for (std::size_t i = 0; i < b.size(); ++i) {
    const double f = f0 * std::pow(f1 / f0, static_cast<double>(i) / n);
    phase += 2 * kPi * f / kRate;
    b[i] = static_cast<float>(amp * std::sin(phase));
  }
  return b;
}

Buffer Square(double seconds, double f, double amp) {
  Buffer b(Samples(seconds));
  for (std::size_t i = 0; i < b.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    double v = 0;
    for (int h = 1; h <= 7; h += 2) v += std::sin(2 * kPi * f * h * t) / h;
    b[i] = static_cast<float>(amp * v);
  }
  return b;
}

Buffer Noise(double seconds, std::uint32_t seed, double amp) {
  Buffer b(Samples(seconds));
  Lcg r{seed * 2654435761u + 12345u};
  for (float& s : b) s = static_cast<float>(amp * r.Next());
  return b;
}

void Decay(Buffer& b, double tc) {
  for (std::size_t i = 0; i < b.size(); ++i)
    b[i] *= static_cast<float>(std::exp(-static_cast<double>(i) / kRate / tc));
}

void AttackRelease(Buffer& b, double attack, double release) {
  const double n = static_cast<double>(b.size());
  const double a = attack * kRate, r = release * kRate;
  for (std::size_t i = 0; i < b.size(); ++i) {
    const double x = static_cast<double>(i);
    double g = 1;
    if (a > 0 && x < a) g = x / a;
    if (r > 0 && n - x < r) g = std::min(g, (n - x) / r);
    b[i] *= static_cast<float>(g);
  }
}

void LowPass(Buffer& b, double cutoff) {
  const double k = 1 - std::exp(-2 * kPi * cutoff / kRate);
  double y = 0;
  for (float& s : b) {
    y += k * (s - y);
    s = static_cast<float>(y);
  }
}

void LowPassSweep(Buffer& b, double fromHz, double toHz) {
  double y = 0;
  const double n = static_cast<double>(b.size());
  for (std::size_t i = 0; i < b.size(); ++i) {
    const double f = fromHz * std::pow(toHz / fromHz, static_cast<double>(i) / n);
    const double k = 1 - std::exp(-2 * kPi * f / kRate);
    y += k * (b[i] - y);
    b[i] = static_cast<float>(y);
  }
}

void HighPass(Buffer& b, double cutoff) {
  const double k = 1 - std::exp(-2 * kPi * cutoff / kRate);
  double low = 0;
  for (float& s : b) {
    low += k * (s - low);
    s = static_cast<float>(s - low);
  }
}

void Tremolo(Buffer& b, double hz, double depth) {
  for (std::size_t i = 0; i < b.size(); ++i)
    b[i] *= static_cast<float>(
        1 - depth * 0.5 * (1 + std::sin(2 * kPi * hz * static_cast<double>(i) / kRate)));
}

void Gain(Buffer& b, double g) {
  for (float& s : b) s = static_cast<float>(s * g);
}

void MixAt(Buffer& dst, const Buffer& src, double offsetSeconds, double gain) {
  const std::size_t off = Samples(offsetSeconds);
  if (dst.size() < off + src.size()) dst.resize(off + src.size(), 0.0f);
  for (std::size_t i = 0; i < src.size(); ++i) dst[off + i] += static_cast<float>(src[i] * gain);
}

Buffer Concat(const Buffer& a, const Buffer& b) {
  Buffer out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

Buffer Voice(std::string_view phrase, double f0, double syl, double pitchGlide, double roughness,
             std::uint32_t seed) {
  Buffer out;
  std::vector<char> vowels;
  for (char c : phrase)
    if (IsVowel(c)) vowels.push_back(c);
  if (vowels.empty()) return Silence(syl);
  const double total = syl * static_cast<double>(vowels.size());
  Resonator r1, r2, r3;
  Lcg noise{seed};
  double phase = 0;
  double elapsed = 0;
  std::size_t vi = 0;
  for (std::size_t k = 0; k < phrase.size(); ++k) {
    const char c = phrase[k];
    if (c == '-') {
      MixAt(out, Silence(syl * 0.4), static_cast<double>(out.size()) / kRate);
      continue;
    }
    if (c == 's') {
      Buffer h = Noise(syl * 0.5, seed + static_cast<std::uint32_t>(k), 0.35);
      HighPass(h, 3000);
      AttackRelease(h, 0.01, 0.03);
      MixAt(out, h, static_cast<double>(out.size()) / kRate);
      continue;
    }
    if (c == 't') {
      Buffer h = Noise(0.03, seed + static_cast<std::uint32_t>(k), 0.6);
      HighPass(h, 1500);
      Decay(h, 0.008);
      MixAt(out, h, static_cast<double>(out.size()) / kRate);
      continue;
    }
    if (c == 'm') {
      Buffer h = Chirp(syl * 0.5, f0, f0, 0.3);
      LowPass(h, 400);
      AttackRelease(h, 0.02, 0.02);
      MixAt(out, h, static_cast<double>(out.size()) / kRate);
      continue;
    }
    if (!IsVowel(c)) continue;
    const Formants a = VowelFormants(vowels[vi]);
    const Formants b = VowelFormants(vowels[std::min(vi + 1, vowels.size() - 1)]);
    Buffer s(Samples(syl));
    for (std::size_t i = 0; i < s.size(); ++i) {
      const double u = static_cast<double>(i) / static_cast<double>(s.size());
      // Hold the vowel, then glide towards the next one.
      const double m = u < 0.6 ? 0 : (u - 0.6) / 0.4;
      if (i % 64 == 0) {
        r1.Set(a.f1 + (b.f1 - a.f1) * m, 90);
        r2.Set(a.f2 + (b.f2 - a.f2) * m, 110);
        r3.Set(a.f3 + (b.f3 - a.f3) * m, 170);
      }
      const double t = (elapsed + static_cast<double>(i) / kRate) / total;
      const double f =
          f0 * std::pow(pitchGlide, t) *
          (1 + 0.02 * std::sin(2 * kPi * 5.5 * (elapsed + static_cast<double>(i) / kRate)));
      phase += f / kRate;
      if (phase >= 1) phase -= 1;
      double src = 1 - 2 * phase;  // sawtooth: a rough glottal pulse
      src += roughness * noise.Next();
      const double v = r1.Step(src) * 1.0 + r2.Step(src) * 0.6 + r3.Step(src) * 0.3;
      // Syllable envelope.
      const double env = std::min(1.0, std::min(u / 0.12, (1 - u) / 0.15 + 0.25));
      s[i] = static_cast<float>(v * std::max(0.0, env));
    }
    elapsed += syl;
    MixAt(out, s, static_cast<double>(out.size()) / kRate);
    ++vi;
  }
  return out;
}

std::vector<std::uint8_t> ToPcm16(const Buffer& b, double peak) {
  float maxAbs = 0;
  for (float s : b) maxAbs = std::max(maxAbs, std::fabs(s));
  const double scale = maxAbs > 0 ? peak / maxAbs : 0;
  std::vector<std::uint8_t> out(b.size() * 2);
  for (std::size_t i = 0; i < b.size(); ++i) {
    const auto v =
        static_cast<std::int16_t>(std::lround(std::clamp(b[i] * scale, -1.0, 1.0) * 32767));
    out[2 * i] = static_cast<std::uint8_t>(v & 0xFF);
    out[2 * i + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  }
  return out;
}

}  // namespace demosound
