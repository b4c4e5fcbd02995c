#include "game/world/scenario.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "game/base/dvga.h"
#include "game/world/filenotices.h"
#include "game/world/buildings.h"
#include "game/world/gamestart.h"
#include "game/world/players.h"
#include "game/world/pulses.h"
#include "game/world/units.h"

namespace zarn {

namespace {


constexpr std::size_t MaxScenarioFileSize =
    ScenarioFileSize(ScenarioMaxWorms, ScenarioMaxUnits, ScenarioMaxBuildings);

std::filesystem::path ScenePath(std::string_view name) {
  std::string game = "scenes\\";
  game += name;
  return NativePath(game);
}

bool EntryOk(const TScenarioObjectEntry& e, int kinds) {
  return e.Kind < kinds && e.Side <= MaxSide && e.Owner >= 1 && e.Owner <= MaxPlayers && e.X >= 1 &&
         e.X <= MapMaxSize && e.Y >= 1 && e.Y <= MapMaxSize;
}

bool OnMap(std::int32_t x, std::int32_t y) { return GameMap.Inside(x, y); }

}  // namespace

std::string_view FactionWord(std::uint8_t side) {
  static constexpr std::string_view Words[] = {"GORVASSEN", "ALMIRETH", "TELIX", "DREVOKARI", "OSKRAN"};
  return side < std::size(Words) ? Words[side] : std::string_view{};
}

std::string ScenarioTitle(std::uint8_t side, std::int32_t missionNumber) {
  std::string title(FactionWord(side));
  title += std::to_string(missionNumber);
  if (title.size() > ScenarioTitleChars) title.resize(ScenarioTitleChars);
  return title;
}

std::vector<std::uint8_t> EncodeScenarioFile() {
  TScenarioHeader h{};
  const std::string title = ScenarioTitle(Players[1].Side, Mission.MissionNumber);
  h.TitleLength = static_cast<std::uint8_t>(title.size());
  std::memcpy(h.Title, title.data(), title.size());
  const std::size_t nameLength = std::min<std::size_t>(MapFileName.size(), ScenarioMapNameChars);
  h.MapNameLength = static_cast<std::uint8_t>(nameLength);
  std::memcpy(h.MapName, MapFileName.data(), nameLength);
  h.WormCount = WormList.Count;
  h.UnitCount = UnitList.Count;
  h.BuildingCount = BuildingList.Count;
  const std::int32_t players = std::clamp<std::int32_t>(Mission.PlayerCount, 0, MaxPlayers);
  for (std::int32_t k = 1; k <= players; ++k) {
    h.Credits[k] = Players[k].Credits;
    h.Sides[k] = Players[k].Side;
  }

  std::vector<std::uint8_t> out(ScenarioFileSize(h.WormCount, h.UnitCount, h.BuildingCount));
  std::uint8_t* at = out.data();
  auto put = [&at](const void* p, std::size_t n) {
    if (n == 0) return;
    std::memcpy(at, p, n);
    at += n;
  };
  put(&h, sizeof h);
  put(&Mission, sizeof Mission);
  put(WormList.Entries.data(), h.WormCount * sizeof(TScenarioWormEntry));
  put(UnitList.Entries.data(), h.UnitCount * sizeof(TScenarioUnitEntry));
  put(BuildingList.Entries.data(), h.BuildingCount * sizeof(TScenarioBuildingEntry));
  return out;
}

ScenarioFileResult ApplyScenarioFile(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < ScenarioFixedBytes) return ScenarioFileResult::BadLength;
  TScenarioHeader h;
  std::memcpy(&h, bytes.data(), sizeof h);
  TMissionRecord mission;
  std::memcpy(&mission, bytes.data() + sizeof h, sizeof mission);

  if (h.WormCount > ScenarioMaxWorms || h.UnitCount > ScenarioMaxUnits || h.BuildingCount > ScenarioMaxBuildings)
    return ScenarioFileResult::BadCount;
  if (bytes.size() != ScenarioFileSize(h.WormCount, h.UnitCount, h.BuildingCount))
    return ScenarioFileResult::BadLength;
  if (h.TitleLength > ScenarioTitleChars || h.MapNameLength > ScenarioMapNameChars)
    return ScenarioFileResult::BadTitle;
  const std::string mapName(h.MapName, h.MapNameLength);
  if (!IsPlainFileName(mapName)) return ScenarioFileResult::BadTitle;
  if (mission.PlayerCount < 1 || mission.PlayerCount > MaxPlayers) return ScenarioFileResult::BadPlayers;
  for (std::int32_t k = 1; k <= mission.PlayerCount; ++k)
    if (h.Sides[k] > MaxSide) return ScenarioFileResult::BadPlayers;

  // Read into spare lists so that a bad entry leaves the live ones alone.
  static TScenarioList<TScenarioWormEntry, ScenarioMaxWorms> worms;
  static TScenarioList<TScenarioUnitEntry, ScenarioMaxUnits> units;
  static TScenarioList<TScenarioBuildingEntry, ScenarioMaxBuildings> buildings;
  worms.Count = h.WormCount;
  units.Count = h.UnitCount;
  buildings.Count = h.BuildingCount;
  const std::uint8_t* at = bytes.data() + ScenarioFixedBytes;
  auto take = [&at](void* p, std::size_t n) {
    if (n == 0) return;
    std::memcpy(p, at, n);
    at += n;
  };
  take(worms.Entries.data(), worms.Count * sizeof(TScenarioWormEntry));
  take(units.Entries.data(), units.Count * sizeof(TScenarioUnitEntry));
  take(buildings.Entries.data(), buildings.Count * sizeof(TScenarioBuildingEntry));
  for (int i = 1; i <= worms.Count; ++i) {
    const TScenarioWormEntry& w = worms.Entries[i];
    if (w.X < 1 || w.X > MapMaxSize || w.Y < 1 || w.Y > MapMaxSize) return ScenarioFileResult::BadEntry;
  }
  for (int i = 1; i <= units.Count; ++i)
    if (!EntryOk(units.Entries[i], UnitKindCount)) return ScenarioFileResult::BadEntry;
  for (int i = 1; i <= buildings.Count; ++i)
    if (!EntryOk(buildings.Entries[i], BuildingKindCount)) return ScenarioFileResult::BadEntry;

  MapFileName = mapName;
  WormList = worms;
  UnitList = units;
  BuildingList = buildings;
  Mission = mission;
  // Whole records: a player not in this mission keeps nothing of a game before it.
  for (TPlayerRecord& p : Players) p = TPlayerRecord{};
  ResetPlayerRecords();
  WorldTickCount = 0;
  for (std::int32_t k = 1; k <= Mission.PlayerCount; ++k)
    InitPlayerRecord(Players[k], static_cast<std::uint8_t>(k), h.Sides[k], h.Credits[k]);
  EditorSide = Players[1].Side;
  EditorPlayer = 1;
  return ScenarioFileResult::Ok;
}

bool SaveScenario(std::string_view name) {
  bool written = false;
  if (IsPlainFileName(name)) {
    const std::vector<std::uint8_t> bytes = EncodeScenarioFile();
    std::error_code ec;
    std::filesystem::create_directories(NativePath("scenes"), ec);
    written = ReplaceFileAtomically(ScenePath(name), std::span<const std::uint8_t>(bytes));
  }
  if (!written) TellFileProblem(ScenesFileText, name, NotWrittenText);
  return written;
}

bool LoadScenario(std::string_view name) {
  std::vector<std::uint8_t> bytes;
  if (!IsPlainFileName(name)) {
    TellFileProblem(ScenesFileText, name, MissingText);
    return true;
  }
  const std::filesystem::path path = ScenePath(name);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    TellFileProblem(ScenesFileText, name, MissingText);
    return true;
  }
  // A file longer than any scenario is never pulled into memory.
  if (!ReadWholeFile(path, MaxScenarioFileSize, bytes)) {
    TellFileProblem(ScenesFileText, name, DamagedText);
    return true;
  }
  if (ApplyScenarioFile(bytes) != ScenarioFileResult::Ok) {
    TellFileProblem(ScenesFileText, name, DamagedText);
    return true;
  }
  return false;
}

void PackWorldIntoScenario() {
  WormList.Count = 0;
  for (const TWormRecord& w : Worms) {
    if (w.Removed != 0) continue;
    WormList.Entries[++WormList.Count] = {static_cast<std::uint16_t>(w.X), static_cast<std::uint16_t>(w.Y)};
  }
  auto object = [](std::int32_t x, std::int32_t y, std::uint8_t kind, std::uint8_t side, std::uint8_t owner) {
    return TScenarioObjectEntry{static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), kind, side, owner, 0};
  };
  UnitList.Count = 0;
  const std::int32_t lastUnit = LastUnitSlot();
  for (std::int32_t i = 1; i <= lastUnit; ++i) {
    const TUnitRecord& u = Units[i];
    if (u.Free != 0) continue;
    UnitList.Entries[++UnitList.Count] = object(u.X, u.Y, u.Kind, u.Side, u.Owner);
  }
  BuildingList.Count = 0;
  const std::int32_t lastBuilding = LastBuildingSlot();
  for (std::int32_t i = 1; i <= lastBuilding; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free != 0) continue;
    BuildingList.Entries[++BuildingList.Count] = object(b.X, b.Y, b.Kind, b.Side, b.Owner);
  }
}

void BuildWorldFromScenario() {
  ClearOccupancy();
  InitShroud();
  RemoveAllWorms();
  KillAllUnits();
  DestroyAllBuildings();
  WorldTickCount = 0;
  // The lists were checked against the largest map; the loaded one may be smaller.
  for (int i = 1; i <= WormList.Count; ++i) {
    const TScenarioWormEntry& e = WormList.Entries[i];
    if (OnMap(e.X, e.Y)) CreateWorm(Worms[i], e.X, e.Y, i);
  }
  for (int i = 1; i <= UnitList.Count; ++i) {
    const TScenarioUnitEntry& e = UnitList.Entries[i];
    if (OnMap(e.X, e.Y))
      InitUnit(Units[i], e.X, e.Y, static_cast<std::uint16_t>(i), e.Side, e.Owner, e.Kind);
  }
  for (int i = 1; i <= BuildingList.Count; ++i) {
    const TScenarioBuildingEntry& e = BuildingList.Entries[i];
    if (OnMap(e.X, e.Y))
      InitBuilding(Buildings[i], e.X, e.Y, e.Kind, e.Owner, e.Side, static_cast<std::uint16_t>(i));
  }
}

}  // namespace zarn
