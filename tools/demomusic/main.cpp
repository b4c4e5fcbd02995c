// Writes the demo music into a game folder: one short General MIDI tune under every name the
// game plays, calm pieces for the ambient lists, driving ones for battle.
//
//   zarn_demomusic <game folder>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "tools/demomusic/tunes.h"

using namespace demomusic;

namespace {

struct Piece {
  const char* name;
  Mood mood;
};

constexpr Piece kPieces[] = {
    // Calm lists.
    {"zarn1_1", Mood::Calm}, {"zarn1_2", Mood::Calm}, {"zarn16_2", Mood::Calm},
    {"zarn19_2", Mood::Calm}, {"zarn7_1", Mood::Calm}, {"zarn7_2", Mood::Calm},
    {"zarn7_4", Mood::Calm}, {"zarn0_1", Mood::Calm}, {"zarn7_3", Mood::Calm},
    {"zarn9_1", Mood::Calm}, {"zarn9_2", Mood::Calm}, {"zarn16_1", Mood::Calm},
    {"zarn18", Mood::Calm}, {"zarn19_1", Mood::Calm}, {"zarn2", Mood::Calm},
    {"zarn3", Mood::Calm}, {"zarn4", Mood::Calm}, {"zarn5", Mood::Calm}, {"zarn6", Mood::Calm},
    // Battle lists.
    {"zarn10", Mood::Battle}, {"zarn15", Mood::Battle}, {"zarn8_2", Mood::Battle},
    {"zarn11", Mood::Battle}, {"zarn13", Mood::Battle}, {"zarn14", Mood::Battle},
    {"zarn17", Mood::Battle}, {"zarn12", Mood::Battle},
    // Title, defeat, victory and the authors' screen.
    {"zarn0_2", Mood::Title}, {"zarn1_3", Mood::Defeat}, {"zarn8_1", Mood::Victory},
    {"zarn20", Mood::Authors},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <game folder>\n", argv[0]);
    return 2;
  }
  const std::filesystem::path dir = std::filesystem::path(argv[1]) / "music";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    std::fprintf(stderr, "cannot make %s: %s\n", dir.c_str(), ec.message().c_str());
    return 1;
  }
  for (const Piece& p : kPieces) {
    const std::vector<uint8_t> bytes = WriteSmf(Compose(p.name, p.mood), p.name);
    const std::filesystem::path file = dir / (std::string(p.name) + ".mid");
    const std::filesystem::path tmp = dir / (std::string(p.name) + ".mid.tmp");
    {
      std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
      if (!out) {
        std::fprintf(stderr, "cannot write %s\n", tmp.c_str());
        return 1;
      }
    }
    std::filesystem::rename(tmp, file, ec);
    if (ec) {
      std::fprintf(stderr, "cannot write %s: %s\n", file.c_str(), ec.message().c_str());
      return 1;
    }
  }
  return 0;
}
