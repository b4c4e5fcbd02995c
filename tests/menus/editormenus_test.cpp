// The editors' menus without a program around them: which typed names may name a file and how
// the save screens refuse the others, the settings screen's texts, and where its track bars write.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "game/menus/dmenus.h"
#include "tests/common/click.h"

using namespace zarn;

namespace {

TEST(EditorMenus, TypedNamesStayInsideTheirFolder) {
  for (const char* good : {"desert", "alm1", "my map", "a.b", "Карта"})
    EXPECT_TRUE(TypedFileNameOk(good)) << good;
  for (const char* bad : {"", ".", "..", "../x", "x/..", "a/b", "a\\b", "c:x", "*", "a?", "tab\t", "\x7f",
                          "a\"b", "<a", "a>", "a|b"})
    EXPECT_FALSE(TypedFileNameOk(bad)) << bad;
}

TEST(EditorMenus, SettingsShowNumbersLabelsAndTheHouse) {
  MissionSettingsCopy = TMissionRecord{};
  MissionSettingsCopy.UpgradeLimits[1] = 1;
  MissionSettingsCopy.UpgradeLimits[5] = 2;
  MissionSettingsCopy.PlayerCount = 8;
  MissionSettingsCopy.MissionNumber = 12;
  MissionSettingsCopy.GoalType = 9;
  EditorHouse = 4;
  EXPECT_EQ(SettingsValueText(0), "1 ВСЕ КРОМЕ Р-БАШНИ"_cp1251);
  EXPECT_EQ(SettingsValueText(4), "2 ВСЕ КРОМЕ ОСАДНОГО ТАНКА"_cp1251);
  EXPECT_EQ(SettingsValueText(6), "8");
  EXPECT_EQ(SettingsValueText(7), "12");
  EXPECT_EQ(SettingsValueText(8), "9 УНИЧТОЖЫТЬ ЗА 60 МИНУТ"_cp1251);
  EXPECT_EQ(SettingsValueText(9), "ОСКРАН"_cp1251);
  // Values a file may hold outside the bars' ranges show the number alone, or nothing.
  MissionSettingsCopy.GoalType = 0;
  EditorHouse = 7;
  EXPECT_EQ(SettingsValueText(8), "0");
  EXPECT_EQ(SettingsValueText(9), "");
  EXPECT_EQ(SettingsValueText(10), "");
}

TEST(EditorMenus, SettingsBarsWorkOnTheCopyUntilAccepted) {
  Mission.PlayerCount = 2;
  Mission.GoalType = 1;
  Players[1].Side = 1;
  OpenScenarioSettings();
  EXPECT_EQ(GameScreen, ScreenScenarioSettings);
  EXPECT_EQ(EditorHouse, 1);
  // Row 7 (players, 1..8) sits at y 113; a press right of its thumb adds one.
  ClickAt(240, 117, ScenarioSettingsClick);
  EXPECT_EQ(MissionSettingsCopy.PlayerCount, 3);
  EXPECT_EQ(Mission.PlayerCount, 2);
  // The house bar (row 10, y 161), one step left of its thumb.
  ClickAt(58, 165, ScenarioSettingsClick);
  EXPECT_EQ(EditorHouse, 0);
  ClickAt(50, 183, ScenarioSettingsClick);
  EXPECT_EQ(GameScreen, ScreenScenarioEditorMenu);
  EXPECT_EQ(Mission.PlayerCount, 3);
  EXPECT_EQ(Players[1].Side, 0);
}

TEST(EditorMenus, TheEnclosingBoxOfTheScenarioMenuTakesInTheLowerButtons) {
  MapExists = 1;
  OpenScenarioEditorMenu();
  // Settings, the seventh button, lies between the third and the exit button.
  ClickAt(60, 128, ScenarioEditorMenuClick);
  EXPECT_EQ(GameScreen, ScreenScenarioSettings);
  OpenScenarioEditorMenu();
  ClickAt(60, 110, ScenarioEditorMenuClick);
  EXPECT_EQ(GameScreen, ScreenObjectEnable);
  EXPECT_EQ(CheckList.Count(), 34);
}

}  // namespace

TEST(EditorMenus, TheEditButtonsStartTheViewAtTheMapsCorner) {
  MapExists = 1;
  const struct {
    void (*open)();
    void (*click)();
    std::uint8_t editing;
  } menus[] = {{OpenMapEditorMenu, MapEditorMenuClick, ScreenMapEditing},
               {OpenScenarioEditorMenu, ScenarioEditorMenuClick, ScreenScenarioEditing}};
  for (const auto& m : menus) {
    m.open();
    ViewState.ViewX = 7;
    ViewState.ViewY = 9;
    ClickAt(200, 146, m.click);  // the edit button
    EXPECT_EQ(GameScreen, m.editing);
    EXPECT_EQ(ViewState.ViewX, 1);
    EXPECT_EQ(ViewState.ViewY, 1);
  }
}

std::vector<std::string> Shown;

TEST(EditorMenus, TheSaveScreensRefuseABadNameWithAMessageAndAnEmptyOneSilently) {
  const auto oldShow = ShowMessageProc;
  ShowMessageProc = [](std::string_view text) { Shown.emplace_back(text); };
  MapExists = 1;
  const struct {
    void (*open)();
    void (*click)();
    std::uint8_t screen;
  } screens[] = {{OpenSaveMap, SaveMapClick, ScreenSaveMap},
                 {OpenSaveScenario, SaveScenarioClick, ScreenSaveScenario}};
  for (const auto& s : screens) {
    SCOPED_TRACE(int(s.screen));
    s.open();
    Shown.clear();
    MouseX = 60;  // the save button
    MouseY = 178;
    EditLineSetText(EditBox1, "a|b");
    s.click();
    EXPECT_EQ(GameScreen, s.screen);
    EXPECT_EQ(Shown.size(), 1u);
    EditLineSetText(EditBox1, "");
    s.click();
    EXPECT_EQ(GameScreen, s.screen);
    EXPECT_EQ(Shown.size(), 1u);
  }
  ShowMessageProc = oldShow;
}

TEST(EditorMenus, AFileActionThatThrowsIsShownAndGoesNoFurther) {
  const auto oldShow = ShowMessageProc;
  ShowMessageProc = [](std::string_view text) { Shown.emplace_back(text); };
  Shown.clear();
  GuardFileAction([] { throw std::runtime_error("disk gone"); });
  EXPECT_EQ(Shown, std::vector<std::string>{"disk gone"});
  ShowMessageProc = oldShow;
}

TEST(EditorMenus, EscOnTheEnabledObjectsFreesTheirList) {
  OpenObjectEnable();
  ASSERT_EQ(CheckList.Count(), 34);
  KeyCode = KeyEsc;
  ObjectEnableDraw();
  EXPECT_EQ(GameScreen, ScreenScenarioEditorMenu);
  EXPECT_EQ(CheckList.Count(), 0);
}
