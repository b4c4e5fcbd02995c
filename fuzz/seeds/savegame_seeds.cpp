// savegame_seeds DIR: writes saved games made by the game's own writer, for the saved-game fuzz
// target to start from (a valid save is far longer than random inputs ever grow, and its length
// must match its header). Each one is checked to load before it is written.
#include <cstdio>
#include <filesystem>
#include <string>

#include "fuzz/savegame_world.h"
#include "game/base/files.h"

namespace {

using namespace zarn;

void EmptyWorld() {
  dobjectsInitialization();
  (void)fuzzsave::MapImage();
  KillAllUnits();
  DestroyAllBuildings();
  ClearOssinFields();
  InitShroud();
  ClearOccupancy();
  InitPlayerRecord(Players[1], 1, 1, 5000);
  InitPlayerRecord(Players[2], 2, 0, 7000);
  UnitSlots = 200;
  BuildingSlots = 200;
}

void Battle() {
  WorldTickCount = 1234;
  TickCount = 98765;
  std::uint16_t slot = 0;
  for (std::uint8_t kind = 0; kind < UnitKindCount; ++kind)
    InitUnit(Units[slot], 4 + kind * 2, 10 + kind % 3, slot, kind % 2, kind % 2 + 1, kind), ++slot;
  Units[3].Health = 7;
  InitBuilding(Buildings[1], 6, 24, 0, 1, 1, 1);
  InitBuilding(Buildings[2], 12, 24, 2, 1, 1, 2);
  InitBuilding(Buildings[3], 30, 30, 5, 2, 0, 3);
  CreateWorm(Worms[1], 40, 20, 1);
  NewOssinField(20, 34, 650);
  AddBloom(44, 36);
  UnitShots[1].Active = 1;
  UnitShots[1].Shooter = 2;
  for (int x = 1; x <= 24; ++x)
    for (int y = 1; y <= fuzzsave::MapHeight; ++y) ShroudMap.Cell(x, y) = ShroudVisible;
  ViewState.SelectedCount = 1;
  ViewState.Selection[1] = TSelectionEntry{3, 1, 0};
}

void Crowd() {
  Mission.PlayerCount = 8;
  for (std::uint8_t p = 3; p <= 8; ++p) InitPlayerRecord(Players[p], p, p - 1, 1000 * p);
  for (std::uint16_t s = 0; s < 150; ++s)
    InitUnit(Units[s], 1 + s % fuzzsave::MapWidth, 1 + s / fuzzsave::MapWidth, s, s % 8,
             static_cast<std::uint8_t>(s % 8 + 1), static_cast<std::uint8_t>(s % 4));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: savegame_seeds DIR\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  struct Seed {
    const char* name;
    void (*build)();
  } seeds[] = {{"empty.sav", [] {}}, {"battle.sav", Battle}, {"crowd.sav", Crowd}};
  for (const Seed& s : seeds) {
    EmptyWorld();
    s.build();
    const std::vector<std::uint8_t> image = EncodeSaveGame();
    if (ApplySaveGame(image, fuzzsave::MapImage()) != SaveGameResult::Ok) {
      std::fprintf(stderr, "savegame_seeds: %s does not load\n", s.name);
      return 1;
    }
    if (!ReplaceFileAtomically(dir / s.name, std::span<const std::uint8_t>(image))) {
      std::fprintf(stderr, "savegame_seeds: cannot write %s\n", (dir / s.name).c_str());
      return 1;
    }
  }
  return 0;
}
