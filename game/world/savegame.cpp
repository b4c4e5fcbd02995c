#include "game/world/savegame.h"

#include <bitset>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "game/base/dvga.h"
#include "game/world/filenotices.h"
#include "game/world/ossinfields.h"
#include "game/world/buildings.h"
#include "game/world/gamestart.h"
#include "game/world/pulses.h"
#include "game/world/tileindex.h"

namespace zarn {

namespace {

constexpr std::string_view NoSaveFolderText = "Каталог save отсутствует"_cp1251;

constexpr std::uint16_t MaxPathLength = 10;
constexpr std::int32_t MaxSavedTick = INT32_MAX / 2;
constexpr std::size_t MaxSaveUnits = MaxUnitSlots + 1;  // slot 0 too
constexpr std::size_t MaxSaveFileSize = SaveGameFileSize(MaxSaveUnits, MaxBuildingSlots, MapMaxSize, MapMaxSize);

// The map name a saved game holds: bytes that no map's file name can hold mean a damaged save,
// told as such, never shown as they stand.
bool IsSavedMapName(std::string_view name) {
  return IsPlainFileName(name) && !HoldsRefusedFileNameByte(name);
}

std::filesystem::path SavePath(std::string_view name) {
  std::string game = "save\\";
  game += name;
  return NativePath(game);
}

std::uint16_t GetU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// A save image taken apart, every block where the world will take it from.
struct TSaveImage {
  TSaveHeader Header;
  TMissionRecord Mission;
  TViewState View;
  TDebugFlags Debug;
  std::vector<TUnitRecord> Units;
  std::vector<TBuildingRecord> Buildings;
  TOssinFieldTable Fields;
  TBloomTable Blooms;
  TWormTable Worms;
  TGroundMarkTable GroundMarks;
  TDecalTable Decals;
  TExplosionTable Explosions;
  TShotTable UnitShots;
  TShotTable BuildingShots;
  Table1<TPlayerRecord, MaxPlayers> Players;
  std::uint16_t ShroudWidth;
  std::uint16_t ShroudHeight;
  const std::uint8_t* Shroud;  // row by row, inside the image
};

// Each fixed-size block in file order, with where it goes.
template <typename F>
void ForEachTable(TSaveImage& s, F f) {
  f(&s.Fields, sizeof s.Fields);
  f(&s.Blooms, sizeof s.Blooms);
  f(&s.Worms, sizeof s.Worms);
  f(&s.GroundMarks, sizeof s.GroundMarks);
  f(&s.Decals, sizeof s.Decals);
  f(&s.Explosions, sizeof s.Explosions);
  f(&s.UnitShots, sizeof s.UnitShots);
  f(&s.BuildingShots, sizeof s.BuildingShots);
  f(&s.Players, sizeof s.Players);
}

SaveGameResult Split(std::span<const std::uint8_t> bytes, TSaveImage& s) {
  if (bytes.size() < SaveLeadBytes) return SaveGameResult::BadLength;
  const std::uint8_t* at = bytes.data();
  auto take = [&at](void* p, std::size_t n) {
    std::memcpy(p, at, n);
    at += n;
  };
  take(&s.Header, sizeof s.Header);
  take(&s.Mission, sizeof s.Mission);
  take(&s.View, sizeof s.View);
  take(&s.Debug, sizeof s.Debug);
  const std::int32_t u = s.Header.UnitCount, b = s.Header.BuildingCount;
  if (u < 0 || u > static_cast<std::int32_t>(MaxSaveUnits) || b < 0 || b > MaxBuildingSlots)
    return SaveGameResult::BadCount;
  const std::size_t shroudAt = SaveGameFileSize(u, b, 0, 0) - 4;
  if (bytes.size() < shroudAt + 4) return SaveGameResult::BadLength;
  s.ShroudWidth = GetU16(bytes.data() + shroudAt);
  s.ShroudHeight = GetU16(bytes.data() + shroudAt + 2);
  if (s.ShroudWidth < 1 || s.ShroudWidth > MapMaxSize || s.ShroudHeight < 1 || s.ShroudHeight > MapMaxSize)
    return SaveGameResult::BadShroud;
  if (bytes.size() != SaveGameFileSize(u, b, s.ShroudWidth, s.ShroudHeight)) return SaveGameResult::BadLength;

  s.Units.resize(static_cast<std::size_t>(u));
  s.Buildings.resize(static_cast<std::size_t>(b));
  if (u > 0) take(s.Units.data(), s.Units.size() * sizeof(TUnitRecord));
  if (b > 0) take(s.Buildings.data(), s.Buildings.size() * sizeof(TBuildingRecord));
  ForEachTable(s, take);
  s.Shroud = at + 4;
  return SaveGameResult::Ok;
}

// Everything that the world later uses as a table index or a map cell must be in range, so that
// no saved number can make a checked index throw in play.
bool RecordsOk(const TSaveImage& s) {
  const int w = s.ShroudWidth, h = s.ShroudHeight;
  auto onMap = [w, h](std::int64_t x, std::int64_t y) { return x >= 1 && x <= w && y >= 1 && y <= h; };

  if (s.Header.MapNameLength > sizeof s.Header.MapName) return false;
  // Both clocks count up from 0 at 19 steps a second at most; a figure play cannot reach in a
  // year would overflow them and every "now + period" on the way.
  if (s.Header.WorldTick < 0 || s.Header.WorldTick > MaxSavedTick || s.Header.Tick < 0 || s.Header.Tick > MaxSavedTick)
    return false;
  if (s.Mission.PlayerCount < 1 || s.Mission.PlayerCount > MaxPlayers) return false;

  std::bitset<MaxUnitSlots + 1> unitSeen;
  for (const TUnitRecord& r : s.Units) {
    if (r.Slot > MaxUnitSlots || unitSeen[r.Slot]) return false;
    unitSeen[r.Slot] = true;
    if (r.Free != 0 || r.Kind >= UnitKindCount || r.Side > 8 || !IsPlayer(r.Owner)) return false;
    if (!onMap(r.X, r.Y) || !onMap(r.NextX, r.NextY)) return false;
    if (r.PathLength > MaxPathLength || r.CargoCount > 6) return false;
  }
  std::bitset<MaxBuildingSlots + 1> buildingSeen;
  for (const TBuildingRecord& r : s.Buildings) {
    if (r.Slot < 1 || r.Slot > MaxBuildingSlots || buildingSeen[r.Slot]) return false;
    buildingSeen[r.Slot] = true;
    if (r.Free != 0 || r.Kind >= BuildingKindCount || r.Side > 8 || !IsPlayer(r.Owner)) return false;
    if (!onMap(r.X, r.Y)) return false;
  }

  const TViewState& v = s.View;
  if (v.SelectedCount > 14 || v.SelectionKind > SelectedWorm) return false;
  const int selectionLimit = v.SelectionKind == SelectedUnits      ? MaxUnitSlots
                             : v.SelectionKind == SelectedBuilding ? MaxBuildingSlots
                                                                   : WormSlots;
  for (const TSelectionEntry& e : v.Selection)
    if (e.InUse != 0 && e.Index > selectionLimit) return false;
  for (const TSelectionList& g : v.Groups)
    for (const TSelectionEntry& e : g)
      if (e.InUse != 0 && e.Index > MaxUnitSlots) return false;

  for (const TWormRecord& r : s.Worms)
    if (r.Removed == 0 && (!onMap(r.X, r.Y) || r.PathLength > MaxPathLength || r.Prey > MaxUnitSlots)) return false;
  for (const TOssinFieldRecord& r : s.Fields)
    if (r.Free == 0 && !onMap(r.X, r.Y)) return false;
  for (const TOssinBloomRecord& r : s.Blooms)
    if (r.Removed == 0 && !onMap(r.X, r.Y)) return false;
  for (const TGroundMark& r : s.GroundMarks)
    if (r.Free == 0 && !onMap(r.X + 1, r.Y + 1)) return false;
  for (const TShotRecord& r : s.UnitShots)
    if (r.Active != 0 && (r.Shooter > MaxUnitSlots || r.WeaponClass > 7)) return false;
  for (const TShotRecord& r : s.BuildingShots)
    if (r.Active != 0 && (r.Shooter > MaxBuildingSlots || r.WeaponClass > 7)) return false;

  for (const TPlayerRecord& p : s.Players) {
    if (p.BasePointCount < 0 || p.BasePointCount > 4 || p.Side > 8) return false;
    auto listOk = [](const auto& list) {
      for (const TPlayerListEntry& e : list)
        if (e.Free == 0 && (e.Unit < 0 || e.Unit > MaxUnitSlots)) return false;
      return true;
    };
    if (!listOk(p.AttackList) || !listOk(p.DefenceList) || !listOk(p.Roster)) return false;
    if (p.ReplacementReady == 0 && (p.ReplacementHarvester > MaxUnitSlots || p.ReplacementRefinery > MaxBuildingSlots))
      return false;
  }
  return true;
}

std::vector<TUnitRecord> PackLiveUnits() {
  std::vector<TUnitRecord> out;
  const std::int32_t last = LastUnitSlot();
  for (std::int32_t i = 0; i <= last; ++i)
    if (Units[i].Free == 0) out.push_back(Units[i]);
  return out;
}

std::vector<TBuildingRecord> PackLiveBuildings() {
  std::vector<TBuildingRecord> out;
  const std::int32_t last = LastBuildingSlot();
  for (std::int32_t i = 1; i <= last; ++i)
    if (Buildings[i].Free == 0) out.push_back(Buildings[i]);
  return out;
}

void UnpackUnits(const std::vector<TUnitRecord>& units) {
  for (const TUnitRecord& r : units) Units[r.Slot] = r;
  RebuildTileIndex();
}

bool LiveUnitSlot(std::uint16_t i) { return i <= MaxUnitSlots && Units[i].Free == 0; }

// The view of a saved game as the loaded world can use it: entries whose objects are not in
// that world are dropped and the count follows what is left, the view stays inside the map and
// the minimap scales follow the map's size.
void SettleLoadedView() {
  TViewState& v = ViewState;
  auto dropAllBut = [&](int keep) {
    for (int n = keep + 1; n <= 14; ++n) v.Selection[n].InUse = 0;
  };
  const TSelectionEntry& first = v.Selection[1];
  // A building or a worm is selected alone, in entry 1, and only while it stands.
  auto keepFirst = [&](bool live) {
    dropAllBut(1);
    v.SelectedCount = first.InUse != 0 && live ? 1 : 0;
  };
  switch (v.SelectionKind) {
    case SelectedUnits: {
      std::uint16_t left = 0;
      for (TSelectionEntry& e : v.Selection) {
        if (v.SelectedCount == 0 || !LiveUnitSlot(e.Index)) e.InUse = 0;
        if (e.InUse != 0) ++left;
      }
      v.SelectedCount = left;
      break;
    }
    case SelectedBuilding:
      keepFirst(first.Index >= 1 && first.Index <= MaxBuildingSlots && Buildings[first.Index].Free == 0);
      break;
    case SelectedWorm:
      keepFirst(first.Index >= 1 && first.Index <= WormSlots && Worms[first.Index].Removed == 0);
      break;
    default:
      v.SelectionKind = SelectedUnits;
      v.SelectedCount = 0;
      dropAllBut(0);
      break;
  }
  for (TSelectionList& g : v.Groups)
    for (TSelectionEntry& e : g)
      if (!LiveUnitSlot(e.Index)) e.InUse = 0;
  ClampViewOrigin();
  SetMinimapScalesFromMap();
}

void UnpackBuildings(const std::vector<TBuildingRecord>& buildings) {
  ++BuildingChanges;
  for (const TBuildingRecord& r : buildings) {
    Buildings[r.Slot] = r;
    if (r.Kind >= 2) MarkFootprint(Buildings[r.Slot], 1);
  }
}

}  // namespace

std::vector<std::uint8_t> EncodeSaveGame() {
  const std::vector<TUnitRecord> units = PackLiveUnits();
  const std::vector<TBuildingRecord> buildings = PackLiveBuildings();
  TSaveHeader h{};
  const std::size_t nameLength = std::min<std::size_t>(MapFileName.size(), sizeof h.MapName);
  h.MapNameLength = static_cast<std::uint8_t>(nameLength);
  std::memcpy(h.MapName, MapFileName.data(), nameLength);
  h.UnitCount = static_cast<std::int32_t>(units.size());
  h.BuildingCount = static_cast<std::int32_t>(buildings.size());
  h.WorldTick = WorldTickCount;
  h.Tick = TickCount;

  const int w = ShroudMap.Width, sh = ShroudMap.Height;
  std::vector<std::uint8_t> out(SaveGameFileSize(units.size(), buildings.size(), w, sh));
  std::uint8_t* at = out.data();
  auto put = [&at](const void* p, std::size_t n) {
    if (n == 0) return;
    std::memcpy(at, p, n);
    at += n;
  };
  put(&h, sizeof h);
  put(&Mission, sizeof Mission);
  put(&ViewState, sizeof ViewState);
  put(&DebugFlags, sizeof DebugFlags);
  put(units.data(), units.size() * sizeof(TUnitRecord));
  put(buildings.data(), buildings.size() * sizeof(TBuildingRecord));
  put(&OssinFields, sizeof OssinFields);
  put(&OssinBlooms, sizeof OssinBlooms);
  put(&Worms, sizeof Worms);
  put(&GroundMarks, sizeof GroundMarks);
  put(&Decals, sizeof Decals);
  put(&Explosions, sizeof Explosions);
  put(&UnitShots, sizeof UnitShots);
  put(&BuildingShots, sizeof BuildingShots);
  put(&Players, sizeof Players);
  const std::uint16_t size[2] = {ShroudMap.Width, ShroudMap.Height};
  put(size, sizeof size);
  for (int y = 1; y <= sh; ++y)
    for (int x = 1; x <= w; ++x) *at++ = ShroudMap.Cell(x, y);
  return out;
}

std::string SaveGameMapName(std::span<const std::uint8_t> save) {
  if (save.size() < sizeof(TSaveHeader)) return {};
  const std::size_t n = save[0];
  if (n > sizeof(TSaveHeader::MapName)) return {};
  return std::string(reinterpret_cast<const char*>(save.data()) + 1, n);
}

SaveGameResult ApplySaveGame(std::span<const std::uint8_t> save, std::span<const std::uint8_t> map) {
  static TSaveImage s;  // large: kept off the stack
  if (const SaveGameResult r = Split(save, s); r != SaveGameResult::Ok) return r;
  if (!RecordsOk(s)) return SaveGameResult::BadRecord;
  const std::string mapName = SaveGameMapName(save);
  if (!IsSavedMapName(mapName)) return SaveGameResult::BadMap;
  // The shroud and every position were checked against the shroud's size: the map must match.
  if (map.size() < 4) return SaveGameResult::BadMap;
  if (GetU16(map.data()) != s.ShroudWidth || GetU16(map.data() + 2) != s.ShroudHeight) return SaveGameResult::BadShroud;
  // The last check; it changes the terrain only when the map is sound.
  if (ApplyMapFile(map) != MapFileResult::Ok) return SaveGameResult::BadMap;

  KillAllUnits();
  DestroyAllBuildings();
  Mission = s.Mission;
  ViewState = s.View;
  if (DebugFlags.DebugMode == 0) DebugFlags = s.Debug;
  OssinFields = s.Fields;
  // The cells are in place, as after a mission's start: a cell drained from now on re-tiles its
  // neighbours. A game loaded before any mission ran kept the program's start-up bulk mode, and
  // its drained fields left their edges drawn as they were.
  OssinBulkMode = 0;
  OssinBlooms = s.Blooms;
  Worms = s.Worms;
  GroundMarks = s.GroundMarks;
  Decals = s.Decals;
  Explosions = s.Explosions;
  UnitShots = s.UnitShots;
  BuildingShots = s.BuildingShots;
  Players = s.Players;

  MapFileName = mapName;
  InitShroud();
  ShroudMap.Width = s.ShroudWidth;
  ShroudMap.Height = s.ShroudHeight;
  const std::uint8_t* cell = s.Shroud;
  for (int y = 1; y <= s.ShroudHeight; ++y)
    for (int x = 1; x <= s.ShroudWidth; ++x) ShroudMap.Cell(x, y) = *cell++;
  UnpackUnits(s.Units);
  ClearOccupancy();
  UnpackBuildings(s.Buildings);
  SettleLoadedView();
  WorldTickCount = s.Header.WorldTick;
  TickCount = s.Header.Tick;
  return SaveGameResult::Ok;
}

bool SaveGame(std::string_view name) {
  std::error_code ec;
  if (!std::filesystem::is_directory(NativePath("save"), ec)) {
    ShowMessageProc(NoSaveFolderText);
    return false;
  }
  if (!IsPlainFileName(name)) {
    TellFileProblem(SaveFileText, name, NotWrittenText);
    return false;
  }
  const std::vector<std::uint8_t> bytes = EncodeSaveGame();
  if (!ReplaceFileAtomically(SavePath(name), std::span<const std::uint8_t>(bytes))) {
    TellFileProblem(SaveFileText, name, NotWrittenText);
    return false;
  }
  return true;
}

bool LoadGame(std::string_view name) {
  if (!IsPlainFileName(name)) {
    TellFileProblem(SaveFileText, name, MissingText);
    return false;
  }
  const std::filesystem::path path = SavePath(name);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    TellFileProblem(SaveFileText, name, MissingText);
    return false;
  }
  std::vector<std::uint8_t> save;
  if (!ReadWholeFile(path, MaxSaveFileSize, save)) {
    TellFileProblem(SaveFileText, name, DamagedText);
    return false;
  }
  const std::string mapName = SaveGameMapName(save);
  std::vector<std::uint8_t> map;
  if (IsSavedMapName(mapName)) {
    if (!ReadWholeFile(NativePath("maps\\" + mapName), MapFileSize(MapMaxSize, MapMaxSize), map)) {
      TellFileProblem(MapsFileText, mapName, MissingText);
      return false;
    }
  }
  const SaveGameResult r = ApplySaveGame(save, map);
  if (r == SaveGameResult::BadMap && !map.empty()) {
    TellFileProblem(MapsFileText, mapName, DamagedText);
    return false;
  }
  if (r != SaveGameResult::Ok) {
    TellFileProblem(SaveFileText, name, DamagedText);
    return false;
  }
  return true;
}

}  // namespace zarn
