// A small desert world for the player tests: a 64 x 64 sand map, player 1 at this seat and
// player 2 a computer player of single play, hooks that count what the players send upward, and
// the world step as the clock runs it (players every 32nd tick).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "game/world/dobjects.h"

namespace players_test {

using namespace zarn;

struct TSent {
  int StopMusic = 0;
  int Replace164 = 0;
  int Delivered165 = 0;
  std::vector<int> Removed;
  std::vector<std::string> Chat;
  std::vector<std::string> PlayerTexts;
};
inline TSent Sent;

inline void CountStopMusic() { ++Sent.StopMusic; }
inline void Count164() { ++Sent.Replace164; }
inline void Count165() { ++Sent.Delivered165; }
inline void NoteRemoved(std::int32_t u) { Sent.Removed.push_back(u); }
inline void NoteChat(std::string_view t) { Sent.Chat.emplace_back(t); }
inline void NoteText(std::int32_t, std::string_view t) { Sent.PlayerTexts.emplace_back(t); }

class PlayersTest : public ::testing::Test {
 protected:
  static constexpr std::uint8_t Human = 1;
  static constexpr std::uint8_t Computer = 2;

  void SetUp() override {
    ResetHooks();
    Sent = {};
    StopMusicProc = CountStopMusic;
    NetBroadcastReplaceHarvesterProc = Count164;
    NetBroadcast165Proc = Count165;
    NetRemoveUnitProc = NoteRemoved;
    SendChatProc = NoteChat;
    NetSendTextToPlayerProc = NoteText;
    SetMapSizeAndClear(64, 64);
    std::fill(std::begin(OccupancyMap.Cells), std::end(OccupancyMap.Cells), 0);
    KillAllUnits();
    DestroyAllBuildings();
    ClearOssinFields();
    RemoveAllBlooms();
    RemoveAllWorms();
    ClearProjectiles();
    ClearSecondProjectiles();
    UnitSlots = BuildingSlots = 200;
    NetRole = RoleSingle;
    LocalPlayer = Human;
    WorldTickCount = 1000;
    Mission = TMissionRecord{};
    Mission.PlayerCount = 2;
    Mission.GoalType = GoalCredits5000;
    for (auto& p : Players) p = TPlayerRecord{};
    InitPlayerRecord(Players[Human], Human, 0, 3000);
    InitPlayerRecord(Players[Computer], Computer, 1, 3000);
    HideMessageLine();
    Randomize(7);
  }
  void TearDown() override {
    ResetHooks();
    NetRole = RoleSingle;
    KillAllUnits();
    DestroyAllBuildings();
    ClearOssinFields();
    RemoveAllBlooms();
    Mission = TMissionRecord{{}, 2, 1, GoalCredits2000, {}, 0};
  }

  static TPlayerRecord& Cpu() { return Players[Computer]; }

  static void Allow(std::initializer_list<int> unitKinds) {
    for (int k : unitKinds) Mission.Available[k + 1] = 1;
  }
  static TUnitRecord& Put(int slot, std::uint8_t kind, std::uint8_t owner, int x, int y) {
    InitUnit(Units[slot], x, y, static_cast<std::uint16_t>(slot), owner == Computer ? 1 : 0, owner, kind);
    return Units[slot];
  }
  static TBuildingRecord& Build(int slot, std::uint8_t kind, std::uint8_t owner, int x, int y) {
    InitBuilding(Buildings[slot], x, y, kind, owner, owner == Computer ? 1 : 0, static_cast<std::uint16_t>(slot));
    return Buildings[slot];
  }
  static void Cell(int slot, int x, int y, int amount) {
    InitOssinField(OssinFields[slot], x, y);
    OssinFields[slot].Amount = amount;
  }
  static int RosterCount(const TPlayerRecord& p, std::int32_t unit) {
    return static_cast<int>(std::count_if(p.Roster.begin(), p.Roster.end(),
                                          [&](const TPlayerListEntry& e) { return e.Free == 0 && e.Unit == unit; }));
  }
  static int InUse(const Table1<TPlayerListEntry, 70>& l) { return CountInUse(l); }
  template <typename L>
  static int CountInUse(const L& l) {
    return static_cast<int>(std::count_if(l.begin(), l.end(), [](const TPlayerListEntry& e) { return e.Free == 0; }));
  }
  static int LiveUnits(std::uint8_t owner, std::uint8_t kind) {
    int n = 0;
    for (int i = 1; i <= UnitSlots; ++i)
      if (Units[i].Free == 0 && Units[i].Owner == owner && Units[i].Kind == kind) ++n;
    return n;
  }
  static std::string Line1() { return std::string(MessageLine.View()); }

  // One world step as the clock runs it.
  static void Step() {
    ++WorldTickCount;
    for (int i = 0; i <= UnitSlots; ++i)
      if (Units[i].OffMap == 0) UpdateUnit(Units[i]);
    if ((WorldTickCount & 3) == 3)
      for (int i = 1; i <= BuildingSlots; ++i) {
        BuildingTick(Buildings[i]);
        if (Buildings[i].Free == 0 && Buildings[i].Kind == BuildingRefinery) RefineryUnload(Buildings[i]);
      }
    for (auto& s : UnitShots) UpdateShot(s);
    for (auto& s : BuildingShots) UpdateBuildingShot(s);
    if ((WorldTickCount & 31) == 0)
      for (int p = LocalPlayer; p <= Mission.PlayerCount; ++p) PlayerTick(Players[p]);
    CheckTileIndex();
  }
  static void Steps(int n) {
    for (int i = 0; i < n; ++i) Step();
  }
  template <typename Pred>
  static bool StepUntil(Pred done, int limit) {
    for (int i = 0; i < limit; ++i) {
      if (done()) return true;
      Step();
    }
    return done();
  }
};

}  // namespace players_test
