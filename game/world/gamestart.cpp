#include "game/world/gamestart.h"

#include <algorithm>
#include <string>

#include "game/base/dvga.h"
#include "game/world/filenotices.h"
#include "game/sound/dsnd.h"
#include "game/world/messages.h"
#include "game/world/pulses.h"
#include "game/world/blooms.h"
#include "game/world/units.h"
#include "game/world/scenario.h"

namespace zarn {

namespace {


constexpr std::string_view MusicOffText = "Музыка отключена"_cp1251;
constexpr std::string_view MusicOnText = "Музыка включена"_cp1251;
constexpr std::string_view SoundOffText = "Звуки отключены"_cp1251;
constexpr std::string_view SoundOnText = "Звуки включены"_cp1251;

// Random tries before PickBloomFreeTile scans the rectangle instead.
constexpr int BloomFreeTries = 1000;

void ReportMapProblem(std::string_view name, MapFileResult r) {
  TellFileProblem(MapsFileText, name,
                  r == MapFileResult::CannotRead || r == MapFileResult::BadName ? MissingText
                                                                                : DamagedText);
}

// Steps 1 to 3 of both set-ups: the screen, the seat, the slot counts and the pulses.
void CommonGameSetUp() {
  GameScreen = 0;
  LocalPlayer = 1;
  ResetLastViewPos();
  HideMessageLine();
  MenuButtonIdle = 1;
  // A click that left the play screen never saw its release here.
  BoxDragState = 0;
  // Nor does an order of the game before wait for a target in this one.
  PendingOrder = 0;
  SetCursorColor(CursorNormalColour);
  SetUnitSlotsForPlayers(Mission.PlayerCount);
  SetBuildingSlotsForPlayers(Mission.PlayerCount);
  SetMinimapScalesFromMap();
  StartPalettePulses();
}

}  // namespace

void SetMinimapScalesFromMap() {
  ViewState.MinimapScaleX = static_cast<float>(GameMap.Width * 0.015625);
  ViewState.MinimapScaleY = static_cast<float>(GameMap.Height * 0.025);
}

void dobjectsInitialization() {
  ResetPlayerRecords();
  Players[1].Side = 1;
  Mission.PlayerCount = 2;
  for (std::int32_t& limit : Mission.UpgradeLimits) limit = 0;
  Mission.MissionNumber = 1;
  Mission.GoalType = GoalCredits2000;
}

void ResetPlayerRecords() {
  for (TPlayerRecord& p : Players) {
    p.Destroyed = 1;
    p.Credits = 0;
  }
}

bool LoadMapFile(std::string_view name) {
  const MapFileResult r = ReadMapFile(name);
  if (r != MapFileResult::Ok) {
    ReportMapProblem(name, r);
    return false;
  }
  InitShroud();
  SetMinimapScalesFromMap();
  return true;
}

bool LoadMapWithObjects(std::string_view name) {
  const MapFileResult r = ReadMapFile(name);
  if (r != MapFileResult::Ok) {
    ReportMapProblem(name, r);
    return false;
  }
  SpawnMapStartObjects();
  InitShroud();
  SetMinimapScalesFromMap();
  return true;
}

void SpawnMapStartObjects() {
  RemoveAllBlooms();
  for (const TMapPlacement& p : MapPlacements) {
    if (p.Kind == PlacementField) NewOssinField(p.X, p.Y, 0);
    else if (p.Kind == PlacementBloom) AddBloom(p.X, p.Y);
  }
}

void StoreMapStartObjects() {
  for (const TOssinFieldRecord& f : OssinFields)
    if (f.Free == 0 && !AddMapPlacement(PlacementField, f.X, f.Y)) return;
  for (const TOssinBloomRecord& b : OssinBlooms) {
    if (b.Removed != 0) continue;
    if (!AddMapPlacement(PlacementBloom, static_cast<std::uint16_t>(b.X), static_cast<std::uint16_t>(b.Y))) return;
  }
}

void SetUnitSlots(std::int32_t n) { UnitSlots = std::clamp<std::int32_t>(n, 0, MaxUnitSlots); }
void SetBuildingSlots(std::int32_t n) { BuildingSlots = std::clamp<std::int32_t>(n, 0, MaxBuildingSlots); }

void SetUnitSlotsForPlayers(std::int32_t players) {
  const std::int64_t want = static_cast<std::int64_t>(players) * GameOptions.MaxUnitForAlliance;
  SetUnitSlots(static_cast<std::int32_t>(std::clamp<std::int64_t>(want, 0, MaxUnitSlots)));
}

void SetBuildingSlotsForPlayers(std::int32_t players) {
  const std::int64_t want = static_cast<std::int64_t>(players) * GameOptions.MaxBuildForAlliance;
  SetBuildingSlots(static_cast<std::int32_t>(std::clamp<std::int64_t>(want, 0, MaxBuildingSlots)));
}

void ToggleMusic() {
  GameOptions.MusicEnable = !GameOptions.MusicEnable;
  if (!GameOptions.MusicEnable) {
    ShowMessageLine(InFontCodePage(MusicOffText));
    StopMusicProc();
  } else {
    ShowMessageLine(InFontCodePage(MusicOnText));
    if (GameScreen == 0) PlayNextTrack();
  }
}

void ToggleSound() {
  GameOptions.SoundEnable = !GameOptions.SoundEnable;
  ShowMessageLine(InFontCodePage(GameOptions.SoundEnable ? SoundOnText : SoundOffText));
}

void GameSpeedUp() {
  if (GameOptions.GameSpeed > 16) return;
  ++GameOptions.GameSpeed;
  ApplyGameSpeedProc();
}

void GameSpeedDown() {
  if (GameOptions.GameSpeed < 16) return;
  --GameOptions.GameSpeed;
  ApplyGameSpeedProc();
}

void PlayNextTrack() { PlayAmbientMusic(); }

// A map narrower than the view would give 0 or less: the view then stays at column 1.
std::int32_t ClampViewX(std::int32_t x) {
  return std::max<std::int32_t>(1, std::min<std::int32_t>(std::max<std::int32_t>(x, 1), GameMap.Width - ViewColumns));
}

std::int32_t ClampViewY(std::int32_t y) {
  return std::max<std::int32_t>(1, std::min<std::int32_t>(std::max<std::int32_t>(y, 1), GameMap.Height - ViewRows));
}

void CentreViewOnSelection() {
  if (ViewState.SelectedCount == 0) return;
  for (const TSelectionEntry& e : ViewState.Selection) {
    if (e.InUse != 1) continue;
    std::int32_t x = 0, y = 0;
    switch (ViewState.SelectionKind) {
      case SelectedUnits:
        if (e.Index > MaxUnitSlots) return;
        x = Units[e.Index].X;
        y = Units[e.Index].Y;
        break;
      case SelectedBuilding:
        if (e.Index < 1 || e.Index > MaxBuildingSlots) return;
        x = Buildings[e.Index].X;
        y = Buildings[e.Index].Y;
        break;
      case SelectedWorm:
        if (e.Index < 1 || e.Index > WormSlots) return;
        x = Worms[e.Index].X;
        y = Worms[e.Index].Y;
        break;
      default: return;
    }
    ViewState.ViewX = static_cast<std::uint16_t>(ClampViewX(x - 10));
    ViewState.ViewY = static_cast<std::uint16_t>(ClampViewY(y - 5));
    return;
  }
}

void ClearSelectionAndGroups() {
  ViewState.SelectedCount = 0;
  ViewState.SelectionKind = SelectedUnits;
  // Whole entries, so that no group of a new game names an object of the game before.
  for (TSelectionEntry& e : ViewState.Selection) e = TSelectionEntry{};
  for (TSelectionList& g : ViewState.Groups) g = ViewState.Selection;
}

void SelectFirstOwnUnit() {
  const std::int32_t last = LastUnitSlot();
  for (std::int32_t i = 1; i <= last; ++i) {
    TUnitRecord& u = Units[i];
    if (u.Free != 0 || u.Owner != LocalPlayer) continue;
    ViewState.ViewX = static_cast<std::uint16_t>(u.X);
    ViewState.ViewY = static_cast<std::uint16_t>(u.Y);
    ViewState.SelectedCount = 1;
    ViewState.Selection[1].Index = static_cast<std::uint16_t>(i);
    ViewState.Selection[1].InUse = 1;
    ViewState.SelectionKind = SelectedUnits;
    SelectUnit(u);
    return;
  }
}

void DrawCredits(std::uint8_t owner) {
  if (owner < 1 || owner > MaxPlayers) return;
  const std::string text = std::to_string(Players[owner].Credits);
  DrawText(MainFont, 257 - TextWidth(MainFont, text), 5, 43, text);
}

bool BloomAt(std::int32_t x, std::int32_t y) {
  for (const TOssinBloomRecord& b : OssinBlooms)
    if (b.Removed == 0 && b.X == x && b.Y == y) return true;
  return false;
}

bool PickBloomFreeTile(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t& tileY,
                       std::int32_t& tileX, std::int32_t y2) {
  if (!BloomAt(tileX, tileY)) return true;
  // Random tiles first, as the start positions of a network game expect; a crowded rectangle
  // ends in a scan rather than a loop that never finishes.
  for (int i = 0; i < BloomFreeTries; ++i) {
    const std::int32_t x = x1 + Random(x2 - x1), y = y1 + Random(y2 - y1);
    if (!BloomAt(x, y)) {
      tileX = x;
      tileY = y;
      return true;
    }
  }
  const std::int32_t lastX = std::max(x1, x2 - 1), lastY = std::max(y1, y2 - 1);
  for (std::int32_t y = y1; y <= lastY; ++y)
    for (std::int32_t x = x1; x <= lastX; ++x)
      if (!BloomAt(x, y)) {
        tileX = x;
        tileY = y;
        return true;
      }
  return false;
}

void StartGame() {
  CommonGameSetUp();
  ResetCursorState();
  ClearSelectionAndGroups();
  ViewState.LocalSide = Players[1].Side;
  SelectFirstOwnUnit();
  CentreViewOnSelection();
  ResetGroundMarks();
  ClearEffectSlots();
  ClearProjectiles();
  ClearSecondProjectiles();
  ClearGroundMarks();
  ScrollNextTime = 0;
  PlayNextTrack();
}

void ResetGameRecords() {
  for (TPlayerRecord& p : Players) p = TPlayerRecord{};
  Mission = TMissionRecord{};
  dobjectsInitialization();
  WorldTickCount = 0;
  UnitSlots = DefaultUnitSlots;
  BuildingSlots = DefaultBuildingSlots;
}

void ResumeLoadedGame() {
  CommonGameSetUp();
  ResetCursorState();
  ScrollNextTime = 0;
  InitPointerAnimCounters();
  PlayNextTrack();
}

bool BuildScenarioWorld() {
  ResetMapPlacements();
  if (!LoadMapFile(MapFileName)) return false;
  ResetLastViewPos();
  ClearOssinFields();
  SpawnMapStartObjects();
  BuildWorldFromScenario();
  MapExists = 1;
  return true;
}

}  // namespace zarn
