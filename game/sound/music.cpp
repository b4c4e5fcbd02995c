#include <array>

#include "game/sound/dsnd.h"

namespace zarn {

namespace {

constexpr std::array<std::string_view, 7> Calm1 = {"zarn1_1", "zarn1_2", "zarn16_2", "zarn19_2",
                                                   "zarn7_1", "zarn7_2", "zarn7_4"};
constexpr std::array<std::string_view, 4> Calm2 = {"zarn0_1", "zarn7_3", "zarn9_1", "zarn9_2"};
constexpr std::array<std::string_view, 8> Calm3 = {"zarn16_1", "zarn18", "zarn19_1", "zarn2",
                                                   "zarn3",    "zarn4",  "zarn5",    "zarn6"};
constexpr std::array<std::string_view, 3> Battle1 = {"zarn10", "zarn15", "zarn8_2"};
constexpr std::array<std::string_view, 4> Battle2 = {"zarn11", "zarn13", "zarn14", "zarn17"};

void PlayStem(std::string_view stem) { PlayMusicProc(MusicFile(stem)); }

template <std::size_t N>
void PlayOneOf(const std::array<std::string_view, N>& list) {
  PlayStem(list[static_cast<std::size_t>(Random(static_cast<int>(N)))]);
}

}  // namespace

std::string MusicFile(std::string_view stem) {
  std::string name = "music\\";
  name += stem;
  name += ".mid";
  return name;
}

void PlayTitleMusic() { PlayStem("zarn0_2"); }
void PlayDefeatMusic() { PlayStem("zarn1_3"); }
void PlayVictoryMusic() { PlayStem("zarn8_1"); }
void PlayAuthorsMusic() { PlayStem("zarn20"); }

void PlayAmbientMusic() {
  const int r = Random(12);
  if (r < 2) PlayOneOf(Calm1);
  else if (r < 6) PlayOneOf(Calm2);
  else PlayOneOf(Calm3);
}

void PlayBattleMusic() {
  const int r = Random(12);
  if (r < 2) PlayOneOf(Battle1);
  else if (r < 6) PlayOneOf(Battle2);
  else PlayStem("zarn12");
}

}  // namespace zarn
