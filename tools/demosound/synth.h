// A tiny synthesizer for the demo sound bank: tones, chirps, noise, envelopes, filters and
// formant vowels, rendered into floating-point sample buffers in -1 .. 1.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace demosound {

inline constexpr int kRate = 22050;

using Buffer = std::vector<float>;

Buffer Silence(double seconds);
// A sine sweeping from f0 to f1 (exponentially) over the length.
Buffer Chirp(double seconds, double f0, double f1, double amp = 0.8);
// Square-ish tone (odd harmonics) at f.
Buffer Square(double seconds, double f, double amp = 0.5);
// White noise from a seeded generator.
Buffer Noise(double seconds, std::uint32_t seed, double amp = 0.8);

// Envelopes and shaping, in place.
void Decay(Buffer& b, double timeConstant);  // exp(-t / tc)
void AttackRelease(Buffer& b, double attack, double release);
void LowPass(Buffer& b, double cutoffHz);  // one pole
void LowPassSweep(Buffer& b, double fromHz, double toHz);
void HighPass(Buffer& b, double cutoffHz);
void Tremolo(Buffer& b, double hz, double depth);
void Gain(Buffer& b, double g);

// Mixes src into dst starting at offset seconds (dst grows as needed).
void MixAt(Buffer& dst, const Buffer& src, double offsetSeconds, double gain = 1.0);
Buffer Concat(const Buffer& a, const Buffer& b);

// A voiced phrase: each character of vowels ('a','e','i','o','u','y') is one syllable of
// syllableSeconds, the formants gliding between them; f0 is the voice's pitch, drifting by
// pitchGlide (ratio end/start) over the phrase. Consonant marks: 's' a hiss, 't' a click,
// 'm' a hum, '-' a short pause.
Buffer Voice(std::string_view phrase, double f0, double syllableSeconds, double pitchGlide = 1.0,
             double roughness = 0.0, std::uint32_t seed = 1);

// Scales the peak to `peak` and converts to signed 16-bit little-endian bytes.
std::vector<std::uint8_t> ToPcm16(const Buffer& b, double peak = 0.85);

}  // namespace demosound
