// Every screen drawn on the demo data set, checked for its texts: each one whole on the screen,
// apart from the others, clear of the pictures, frames and track bars around it and inside the
// button it labels (tests/common/textfit.h).
#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/menus/dmenus.h"
#include "game/shell/editorscreens.h"
#include "game/world/dobjects.h"
#include "tests/common/golden.h"
#include "tests/common/textfit.h"
#include "tests/shell/game_fixture.h"
#include "tests/shell/playscreen_fixture.h"

using namespace zarn;

namespace {

// The opaque pictures that carry words on a plain ground: the main menu's items, the factions'
// buttons and the other buttons.
const std::set<std::string>& Lettered() {
  static const std::set<std::string> names = {
      "tnewgame.img", "toldgame.img", "tnetgame.img", "teditor.img",  "tauthors.img", "tquit.img",
      "bsavegam.img", "bloadgam.img", "boptions.img", "bhelp.img",    "bsevnar.img",  "border.img",
      "bresetgm.img", "bnextdyn.img", "bexitgam.img", "bcontgam.img", "tnewmap.img",  "tloadmap.img",
      "tsavemap.img", "texitmap.img", "teditmap.img", "tnewscen.img", "tloadscn.img", "tsavescn.img",
      "tobjenab.img", "tupgrade.img", "butt-ok.img",  "butback2.img", "buttload.img", "buttsave.img",
      "buttdel.img",  "buttback.img", "tbegin.img",   "but-yes.img",  "almireth.img", "telix.img",
      "gorvasen.img"};
  return names;
}

struct TScreen {
  void (*Open)();
  const char* Name;
};

std::string Listed(const std::vector<std::string>& faults) {
  std::string all;
  for (const std::string& f : faults) all += "\n  " + f;
  return all;
}

class TextFitTest : public GameTest {
 protected:
  // One frame of the screen now open, drawn with the log on, and its faults.
  void Check(const char* screen) {
    rec_.Log().clear();
    MainForm->DXTimerTimer();
    ASSERT_FALSE(rec_.Log().empty()) << screen << ": nothing drawn";
    const std::vector<std::string> faults = textfit::Faults(rec_.Log());
    EXPECT_TRUE(faults.empty()) << screen << ":" << Listed(faults);
    const std::vector<std::string> dull = textfit::Unreadable(rec_.Log(), BackBuffer.data(), Lettered());
    EXPECT_TRUE(dull.empty()) << screen << ", contrast:" << Listed(dull);
    const char* write = std::getenv("ZARN_GOLDEN_WRITE");
    if (write != nullptr && std::string(write) == "1")
      testpng::Write(fs::path(ZARN_BINARY_DIR) / "golden" / ("fit " + std::string(screen) + ".png"),
                     ScreenWidth, ScreenHeight, BackBuffer, testgolden::Palette8());
    ++screens_;
  }
  // The pointer where no button lights up and no list row is hovered.
  void Park() {
    plat::null::InjectMouseMove(FormId(), 636, 396);
    Pass(2);
  }
  std::int32_t OwnBuilding(std::uint8_t kind) {
    for (std::int32_t i = 1; i <= LastBuildingSlot(); ++i)
      if (Buildings[i].Free == 0 && Buildings[i].Owner == LocalPlayer && Buildings[i].Kind == kind) return i;
    return 0;
  }

  textfit::Recorder rec_;
  int screens_ = 0;
};

TEST_F(TextFitTest, CampaignMenusAndBuildMenus) {
  StartGame();
  plat::SetTimerEnabled(MainForm->Timer1, false);
  Park();
  Check("main menu");
  OpenNetLobby();
  Park();
  Check("network lobby");
  OpenNetMapChoice();
  Park();
  Check("server's map choice");
  OpenMainMenu();
  Park();
  Click(MainMenuButtons[0]);
  Park();
  Check("faction choice");
  Click(FactionButtons[0]);
  Park();
  Check("mission start");
  Click(BeginButton);
  ASSERT_EQ(GameScreen, ScreenPlay);
  Park();
  Check("play");

  // Every build menu on the player's first building of its kind, with the first item, which on
  // the yard (slabs) needs an upgrade first.
  struct TMenu {
    std::uint8_t Kind;
    void (*Open)(std::int32_t);
    const char* Name;
  };
  const TMenu menus[] = {{BuildingConstructionYard, OpenYardBuildMenu, "yard build menu"},
                         {BuildingBarracks, OpenBarracksBuildMenu, "barracks build menu"},
                         {BuildingLightFactory, OpenLightFactoryBuildMenu, "light factory build menu"},
                         {BuildingHeavyFactory, OpenHeavyFactoryBuildMenu, "heavy factory build menu"}};
  int opened = 0;
  for (const TMenu& m : menus) {
    std::int32_t slot = OwnBuilding(m.Kind);
    if (slot == 0) {
      // Not in this mission's base: one of the kind in a free slot serves (the menu reads its
      // record only).
      const std::int32_t yard = OwnBuilding(BuildingConstructionYard);
      ASSERT_NE(yard, 0);
      for (std::int32_t i = 1; i <= LastBuildingSlot() && slot == 0; ++i)
        if (Buildings[i].Free != 0) slot = i;
      ASSERT_NE(slot, 0);
      InitBuilding(Buildings[slot], Buildings[yard].X, Buildings[yard].Y, m.Kind, LocalPlayer,
                   Players[LocalPlayer].Side, static_cast<std::uint16_t>(slot));
    }
    for (int k = 1; k <= 35; ++k) Mission.Available[k] = 1;
    m.Open(slot);
    Park();
    Check(m.Name);
    ++opened;
    GameScreen = ScreenPlay;
  }
  EXPECT_EQ(opened, 4);

  OpenMenu();
  Park();
  Check("in-game menu");
  const TScreen fromGameMenu[] = {{OpenOptions, "options"},      {OpenHelp, "help"},
                                  {OpenOrders, "orders"},        {OpenSaveGame, "save game"},
                                  {OpenLoadGame, "load game"},   {OpenTopicList, "encyclopedia"}};
  for (const TScreen& s : fromGameMenu) {
    s.Open();
    Park();
    Check(s.Name);
  }
  OpenTopicPage("[Tank", "b1tank.img");
  Park();
  Check("encyclopedia page");

  GameScreen = ScreenPlay;
  ShellCalls.OpenVictory();
  Park();
  Check("victory");
  Click(YesButton);
  ASSERT_EQ(GameScreen, ScreenScore);
  Park();
  Check("score");
  ShellCalls.OpenDefeat();
  Park();
  Check("defeat");

  // The credits scroll past the animation: every frame of the way.
  OpenAuthors();
  for (int frame = 0; frame < 60 && GameScreen == ScreenAuthors; ++frame) {
    for (int skip = 0; skip < 4; ++skip) {
      TextPanel.NextStep = TickCount;  // a step every frame drawn
      MainForm->DXTimerTimer();
    }
    Check("authors");
  }
}

TEST_F(TextFitTest, EditorMenusAndScreens) {
  Start({"-editor"});
  plat::SetTimerEnabled(MainForm->Timer1, false);
  Park();
  Check("map editor menu");
  const TScreen menus[] = {{OpenNewMap, "new map"},
                           {OpenSaveMap, "save map"},
                           {OpenLoadMap, "load map"},
                           {OpenScenarioEditorMenu, "scenario editor menu"},
                           {OpenObjectEnable, "enabled objects"},
                           {OpenScenarioMapChoice, "new scenario"},
                           {OpenSaveScenario, "save scenario"},
                           {OpenLoadScenario, "load scenario"},
                           {OpenScenarioSettings, "scenario settings"}};
  for (const TScreen& s : menus) {
    s.Open();
    Park();
    Check(s.Name);
  }
  // The longest value texts of the settings: every row at its first value.
  MissionSettingsCopy.UpgradeLimits[1] = 0;
  MissionSettingsCopy.UpgradeLimits[5] = 0;
  MissionSettingsCopy.GoalType = 7;
  Check("scenario settings, longest values");

  SetMapSizeAndClear(64, 64);
  MapExists = 1;
  GameScreen = ScreenMapEditing;
  MapEditorInputProc();
  for (int mode = 0; mode <= 4; ++mode) {
    PageListSetMode(PageList1, mode);
    Park();
    Check("map editor");
  }
  PageListCreate(PageList2, 75, 175);
  GameScreen = ScreenScenarioEditing;
  ScenarioEditorInputProc();
  for (int mode = 0; mode <= 4; ++mode) {
    SetScenarioEditorMode(mode);
    Park();
    Check("scenario editor");
  }
}

// Whether the list box's picture draws anything but its plain ground on the ring of pixels
// round a text (its frame's lines are along its sides, where a picture's ground is sought).
bool Framed(const std::vector<TDrawnItem>& log, const textfit::TBox& text) {
  const textfit::TBox ring = text.Grown(1, 1);
  std::map<std::uint8_t, int> count;
  std::vector<std::uint8_t> seen;
  for (const TDrawnItem& d : log) {
    if (d.Name != "listbox.img") continue;
    const int w = d.X2 - d.X1 + 1;
    for (int y = std::max(ring.Y1, d.Y1); y <= std::min(ring.Y2, d.Y2); ++y)
      for (int x = std::max(ring.X1, d.X1); x <= std::min(ring.X2, d.X2); ++x)
        if (!text.Holds({x, y, x, y})) {
          seen.push_back(d.Pixels[static_cast<std::size_t>((y - d.Y1) * w + (x - d.X1))]);
          ++count[seen.back()];
        }
  }
  if (count.empty()) return false;
  const auto ground = std::max_element(count.begin(), count.end(), [](auto& a, auto& b) { return a.second < b.second; });
  return std::any_of(seen.begin(), seen.end(), [&](std::uint8_t c) { return c != ground->first; });
}

// The pages of text: every line of every page whole in its box (no letter lost at the right
// edge) and a column clear of the box's frame; the credits whole on the screen and clear of the
// animation beside them.
TEST_F(TextFitTest, EveryLineOfEveryTextPageShowsWholeInsideItsBox) {
  StartGame();
  plat::SetTimerEnabled(MainForm->Timer1, false);
  Park();
  int lines = 0;
  auto pages = [&](TListWidget& list, const std::string& what) {
    ASSERT_GT(list.Count(), 0) << what;
    for (int top = 0; top < list.Count(); top += list.VisibleRows) {
      list.TopIndex = static_cast<std::uint16_t>(top);
      rec_.Log().clear();
      MainForm->DXTimerTimer();
      const std::vector<TDrawnItem>& log = rec_.Log();
      ASSERT_TRUE(std::any_of(log.begin(), log.end(), [](const TDrawnItem& d) { return d.Name == "listbox.img"; }))
          << what;
      for (int row = 0; row < list.VisibleRows && top + row < list.Count(); ++row) {
        const std::string& item = list.Items[static_cast<std::size_t>(top + row)];
        if (item.find_first_not_of(' ') == std::string::npos) continue;
        ++lines;
        const auto drawn = std::find_if(log.begin(), log.end(), [&](const TDrawnItem& d) {
          return d.Kind == TDrawnKind::Text && d.Name == item;
        });
        EXPECT_NE(drawn, log.end()) << what << ", line " << top + row << " is cut: \"" << textfit::Utf8(item) << "\"";
        if (drawn != log.end()) {
          EXPECT_FALSE(Framed(log, textfit::BoxOf(*drawn)))
              << what << ", line " << top + row << " touches the box's frame: \"" << textfit::Utf8(item) << "\"";
        }
      }
    }
  };
  OpenHelp();
  pages(FileListBox, "help");
  for (const TTopicRow& t : TopicRows) {
    if (t.Key.empty()) continue;
    OpenTopicPage("[" + std::string(t.Key), std::string(t.Picture) + ".img");
    pages(ShortList, "encyclopedia " + std::string(t.Key));
  }
  OpenMainMenu();
  Click(MainMenuButtons[0]);
  Click(FactionButtons[0]);
  ASSERT_EQ(GameScreen, ScreenMissionStart);
  for (int side = 0; side <= 2; ++side)
    for (int mission = 1; mission <= CampaignMissionCount; ++mission) {
      LoadBriefingProc(side, mission);
      pages(FileListBox, "briefing " + std::to_string(side) + "/" + std::to_string(mission));
    }
  EXPECT_GT(lines, 300);

  OpenAuthors();
  rec_.Log().clear();
  MainForm->DXTimerTimer();
  int beside = 0;
  for (const TDrawnItem& d : rec_.Log())
    if (d.Kind == TDrawnKind::Picture && d.Name.rfind("frame", 0) == 0) beside = d.X2;
  ASSERT_GT(beside, 0);
  ASSERT_GT(TextPanel.Lines.size(), 10u);
  for (const std::string& line : TextPanel.Lines) {
    const int w = TextWidth(TextPanel.Font, line), left = TextPanel.CentreX - w / 2;
    EXPECT_TRUE(left > beside + textfit::TextGap && left + w < ScreenWidth) << "credits: \"" << textfit::Utf8(line) << "\"";
  }
}

// The side panel for every kind of selection it has words for.
class PanelTextFit : public PlayScreenTest {
 protected:
  void Check(const std::string& what) {
    rec_.Log().clear();
    DrawPanel();
    const std::vector<std::string> faults = textfit::Faults(rec_.Log());
    EXPECT_TRUE(faults.empty()) << what << ":" << Listed(faults);
    const std::vector<std::string> dull = textfit::Unreadable(rec_.Log(), BackBuffer.data(), {});
    EXPECT_TRUE(dull.empty()) << what << ", contrast:" << Listed(dull);
  }
  textfit::Recorder rec_;
};

TEST_F(PanelTextFit, EveryUnitKindBuildingKindAndState) {
  // Units: name, picture and the command column of each kind, idle and busy, and the cancel.
  for (std::uint8_t kind = 0; kind <= 15; ++kind) {
    for (std::uint8_t state : {0, 1, 3, 5, 11, 12}) {
      TUnitRecord& u = AddUnit(1, 10, 10, kind);
      u.State = state;
      if (kind == UnitHarvester) {
        u.Capacity = 1000;
        u.Load = state == 0 ? 0 : 996;
      }
      SelectUnits({1});
      Check("unit kind " + std::to_string(kind) + " state " + std::to_string(state));
    }
    PendingOrder = 1;
    Check("unit kind " + std::to_string(kind) + " with an order pending");
    PendingOrder = 0;
  }
  // A foreign unit, fourteen units, a loaded carrier.
  AddUnit(1, 10, 10, 7, 2, 2);
  SelectUnits({1});
  Check("foreign unit");
  for (std::uint16_t i = 1; i <= 14; ++i) AddUnit(i, 10 + i, 10, 1);
  SelectUnits({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
  Check("fourteen units");

  // Buildings: every kind, damaged (repair button), upgrading, producing, finished, paused.
  for (std::uint8_t kind = 0; kind <= 18; ++kind) {
    for (int phase = 0; phase < 5; ++phase) {
      TBuildingRecord& b = AddBuilding(1, 10, 10, kind);
      b.Health = b.MaxHealth / 3;
      b.RepairOff = phase == 1 ? 0 : 1;
      if (phase == 2) {
        b.UpgradeIdle = 0;
        b.UpgradeTarget = 300;
        b.UpgradeProgress = 299;
      }
      b.ProductionState = phase == 3 ? ProductionRunning : phase == 4 ? ProductionPaused : ProductionIdle;
      b.Item = 7;
      b.ProductionTarget = 100;
      b.ProductionProgress = phase == 3 ? 99.0f : 0.0f;
      SelectOne(1, SelectedBuilding);
      Check("building kind " + std::to_string(kind) + " phase " + std::to_string(phase));
    }
  }
  AddBuilding(1, 10, 10, BuildingPowerPlant, 2, 2);
  SelectOne(1, SelectedBuilding);
  Check("foreign building");
}

}  // namespace
