// Writes the demo sound bank data/zarn.snd into a game folder: 99 short synthesized effects
// and voice cues, one per sound number the game plays.
//
//   zarn_demosound <game folder>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "game/dx/DXSounds.h"
#include "tools/demosound/synth.h"

using namespace demosound;

namespace {

constexpr int kBankSize = 99;

struct Cue {
  std::string name;
  Buffer samples;
};

// The advisor's phrases by line; each faction speaks all of them in its own voice.
constexpr const char* kPhrases[19] = {
    "a-o",      "e-a",      "i-o-a",   "o-ta-i-e", "a-e-u",   "u-a-o-sa", "u-ti-a",
    "ma-a-o",   "e-se-i-a", "i-o-a-e", "o-u-a",    "u-o-a-u", "a-ti-u",   "e-o",
    "o-i-ta-u", "a-u",      "i-e",     "o-me-a",   "u-e-i",
};
constexpr const char* kLineNames[19] = {
    "spare 0",
    "spare 1",
    "spare 2",
    "building ready",
    "harvester arrived",
    "special weapon alert",
    "unit ready",
    "radar online",
    "enemy in base",
    "victory",
    "defeat",
    "unit lost to worm",
    "carrier drop",
    "spare 13",
    "special unit ready",
    "spare 15",
    "spare 16",
    "spare 17",
    "spare 18",
};

struct FactionVoice {
  const char* name;
  double pitch;
  double roughness;
  double tremolo;  // a metallic flutter for the machine-like voice
};
// Sound numbers n, n + 19, n + 38 belong to the factions in this order.
constexpr FactionVoice kFactions[3] = {
    {"Almireth", 175, 0.02, 0},
    {"Gorvassen", 100, 0.18, 0},
    {"Telix", 235, 0.0, 60},
};

Buffer AdvisorLine(int faction, int line) {
  const FactionVoice& v = kFactions[faction];
  const double glide = line == 9 ? 1.35 : line == 10 ? 0.7 : 1.0 + 0.03 * (line % 5);
  Buffer b = Voice(kPhrases[line], v.pitch * (1 + 0.015 * line), 0.16, glide, v.roughness,
                   static_cast<std::uint32_t>(faction * 100 + line + 1));
  if (v.tremolo > 0) Tremolo(b, v.tremolo, 0.5);
  if (line == 5 || line == 8) {  // alerts open with a two-tone beep
    Buffer beep = Concat(Chirp(0.08, 880, 880, 0.5), Chirp(0.08, 660, 660, 0.5));
    AttackRelease(beep, 0.005, 0.01);
    b = Concat(beep, b);
  }
  return b;
}

Buffer Gunshot(double cutoff, double decay, std::uint32_t seed) {
  Buffer b = Noise(0.25, seed);
  LowPass(b, cutoff);
  Decay(b, decay);
  return b;
}

Buffer Explosion(double seconds, double fromHz, double toHz, double decay, std::uint32_t seed) {
  Buffer b = Noise(seconds, seed);
  LowPassSweep(b, fromHz, toHz);
  Decay(b, decay);
  Buffer thump = Chirp(0.3, 90, 35, 0.9);
  Decay(thump, 0.1);
  MixAt(b, thump, 0);
  AttackRelease(b, 0.002, 0.05);
  return b;
}

Buffer Scream(double from, double to, const char* phrase, std::uint32_t seed) {
  Buffer b = Voice(phrase, from, 0.14, to / from, 0.25, seed);
  AttackRelease(b, 0.01, 0.08);
  return b;
}

Buffer Ack(const char* phrase, double pitch, std::uint32_t seed) {
  Buffer b = Voice(phrase, pitch, 0.11, 1.1, 0.05, seed);
  LowPass(b, 3500);  // as if over a radio
  HighPass(b, 300);
  return b;
}

Buffer Tone(double seconds, double f, double decay) {
  Buffer b = Chirp(seconds, f, f, 0.7);
  Decay(b, decay);
  AttackRelease(b, 0.002, 0.01);
  return b;
}

Buffer Effect(int i) {
  switch (i) {
    // Weapons, by weapon class: 58 gun, 60 heavy gun, 59 machine gun, 61 rocket, 62 laser,
    // 63 sonic, 65 flame, 64 artillery.
    case 58:
      return Gunshot(2500, 0.04, 58);
    case 59: {
      Buffer b;
      for (int k = 0; k < 4; ++k) MixAt(b, Gunshot(4000, 0.015, 590 + k), 0.07 * k);
      return b;
    }
    case 60: {
      Buffer b = Gunshot(900, 0.09, 60);
      Buffer boom = Chirp(0.25, 120, 50, 0.8);
      Decay(boom, 0.08);
      MixAt(b, boom, 0);
      return b;
    }
    case 61: {
      Buffer b = Noise(0.6, 61);
      LowPassSweep(b, 400, 5000);
      AttackRelease(b, 0.15, 0.2);
      return b;
    }
    case 62: {
      Buffer b = Chirp(0.3, 2400, 300, 0.7);
      Decay(b, 0.15);
      return b;
    }
    case 63: {
      Buffer b = Chirp(0.5, 180, 180, 0.7);
      Tremolo(b, 30, 0.9);
      AttackRelease(b, 0.05, 0.15);
      return b;
    }
    case 64: {
      Buffer b = Chirp(0.35, 1200, 200, 0.5);  // the shell's whistle, then the blast
      MixAt(b, Gunshot(700, 0.12, 64), 0.3);
      return b;
    }
    case 65: {
      Buffer b = Noise(0.7, 65);
      LowPass(b, 1500);
      Tremolo(b, 12, 0.6);
      AttackRelease(b, 0.05, 0.2);
      return b;
    }
    // Infantry deaths.
    case 66:
      return Scream(320, 180, "a-a", 66);
    case 67:
      return Scream(260, 140, "o-u", 67);
    case 68:
      return Scream(400, 220, "e-a", 68);
    case 69:
      return Scream(220, 110, "u-o", 69);
    case 70:
      return Scream(360, 300, "i-a", 70);
    case 71: {  // crushed
      Buffer b;
      for (int k = 0; k < 5; ++k) {
        Buffer c = Noise(0.05, 710 + k);
        LowPass(c, 1800);
        Decay(c, 0.015);
        MixAt(b, c, 0.035 * k);
      }
      return b;
    }
    case 72:
      return Explosion(0.8, 3000, 300, 0.25, 72);
    case 73:
      return Explosion(1.0, 2000, 150, 0.35, 73);
    case 74:
      return Explosion(0.6, 5000, 500, 0.15, 74);
    case 75: {  // a building goes down: blast and a long rumble
      Buffer b = Explosion(1.6, 2500, 80, 0.6, 75);
      MixAt(b, Explosion(0.8, 1500, 100, 0.3, 751), 0.25, 0.7);
      return b;
    }
    // Unit acknowledgements.
    case 76:
      return Ack("ye-sa", 130, 76);
    case 77:
      return Ack("a-ti-o", 125, 77);
    case 78:
      return Ack("e-o-u", 140, 78);
    case 79:
      return Ack("o-ka-i", 120, 79);
    case 80:
      return Ack("mo-vi-a", 135, 80);
    case 81:
      return Ack("a-ta-a", 115, 81);
    case 82:
      return Concat(Tone(0.12, 1000, 0.1), Voice("si-lo-sa", 165, 0.14, 1.0, 0.02, 82));
    case 83: {  // worm: a deep growl
      Buffer b = Noise(1.0, 83);
      LowPass(b, 180);
      Tremolo(b, 7, 0.7);
      AttackRelease(b, 0.2, 0.3);
      return b;
    }
    case 84: {
      Buffer b = Chirp(0.8, 60, 140, 0.8);
      MixAt(b, Noise(0.8, 84, 0.3), 0);
      LowPass(b, 400);
      AttackRelease(b, 0.1, 0.3);
      return b;
    }
    case 85: {
      Buffer b = Chirp(0.8, 150, 50, 0.8);
      Tremolo(b, 11, 0.5);
      LowPass(b, 500);
      AttackRelease(b, 0.1, 0.3);
      return b;
    }
    case 86: {  // a resource bloom bursts: pop and fizz
      Buffer b = Chirp(0.05, 300, 80, 0.9);
      Buffer fizz = Noise(0.6, 86, 0.4);
      HighPass(fizz, 2500);
      Decay(fizz, 0.2);
      MixAt(b, fizz, 0.03);
      return b;
    }
    case 87: {  // building set down
      Buffer b = Chirp(0.2, 160, 60, 0.9);
      Decay(b, 0.06);
      MixAt(b, Gunshot(1200, 0.03, 87), 0, 0.5);
      return b;
    }
    case 88: {  // special weapon: siren
      Buffer b;
      for (int k = 0; k < 3; ++k) {
        MixAt(b, Chirp(0.25, 600, 900, 0.6), 0.5 * k);
        MixAt(b, Chirp(0.25, 900, 600, 0.6), 0.5 * k + 0.25);
      }
      return b;
    }
    case 89:
      return Tone(0.05, 1200, 0.02);  // button
    case 90:
      return Tone(0.025, 2500, 0.008);  // hover
    case 91: {                          // power plant hum
      Buffer b = Square(0.6, 100, 0.5);
      LowPass(b, 800);
      AttackRelease(b, 0.08, 0.2);
      return b;
    }
    case 92: {  // refinery machinery
      Buffer b = Noise(0.6, 92);
      LowPass(b, 900);
      Tremolo(b, 6, 0.8);
      AttackRelease(b, 0.05, 0.15);
      return b;
    }
    case 93: {  // factory clank
      Buffer b;
      for (int k = 0; k < 3; ++k) MixAt(b, Tone(0.12, 330 + 110 * k, 0.04), 0.12 * k);
      return b;
    }
    case 94: {  // chime
      Buffer b = Tone(0.5, 784, 0.2);
      MixAt(b, Tone(0.5, 1175, 0.2), 0.1);
      return b;
    }
    case 95:
      return Tone(0.02, 3000, 0.006);  // click
    case 96:
      return Voice("a-mi-re-ta", kFactions[0].pitch, 0.16, 1.0, 0.02, 96);
    // The faction choice: 96 Almireth, 97 Gorvassen, 98 Telix.
    case 97:
      return Voice("go-ra-se-na", kFactions[1].pitch, 0.16, 1.0, 0.18, 97);
    case 98: {
      Buffer b = Voice("te-li-sa", kFactions[2].pitch, 0.16, 1.0, 0.0, 98);
      Tremolo(b, kFactions[2].tremolo, 0.5);
      return b;
    }
    default:  // 57: spare blip
      return Concat(Tone(0.06, 700, 0.05), Tone(0.06, 1050, 0.05));
  }
}

Cue MakeCue(int i) {
  if (i == 0) return {"silence", Silence(0.05)};  // sound 0 is played to cut effects short
  if (i < 57) {
    const int faction = i / 19, line = i % 19;
    return {std::string(kFactions[faction].name) + ": " + kLineNames[line],
            AdvisorLine(faction, line)};
  }
  static const char* names[] = {
      "spare blip",
      "gun",
      "machine gun",
      "heavy gun",
      "rocket",
      "laser",
      "sonic",
      "artillery",
      "flame",
      "death 1",
      "death 2",
      "death 3",
      "death 4",
      "death 5",
      "crushed",
      "vehicle explodes",
      "heavy vehicle explodes",
      "light vehicle explodes",
      "building destroyed",
      "select 1",
      "select 2",
      "select 3",
      "order 1",
      "order 2",
      "order 3",
      "silos needed",
      "worm",
      "worm roar 1",
      "worm roar 2",
      "bloom burst",
      "building placed",
      "special weapon",
      "button",
      "hover",
      "power plant",
      "refinery",
      "factory",
      "construction yard",
      "click",
      "Almireth",
      "Gorvassen",
      "Telix",
  };
  return {names[i - 57], Effect(i)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <game folder>\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = std::filesystem::path(argv[1]) / "data";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    std::fprintf(stderr, "cannot make %s: %s\n", folder.string().c_str(), ec.message().c_str());
    return 1;
  }
  zarn::TWaveCollection bank;
  for (int i = 0; i < kBankSize; ++i) {
    Cue cue = MakeCue(i);
    zarn::TWaveCollectionItem& item = bank.Add();
    item.SetName(cue.name);
    zarn::TWave wave;
    wave.SetPCM(kRate, 16, 1);
    wave.SetSamples(ToPcm16(cue.samples, i == 0 ? 0 : 0.85));
    item.SetWave(wave);
  }
  const std::filesystem::path out = folder / "zarn.snd";
  if (!bank.SaveToFile(out)) {
    std::fprintf(stderr, "cannot write %s\n", out.string().c_str());
    return 1;
  }
  return 0;
}
