// The whole game folder (data, maps, scenarios, music) under the program on the null back end,
// and input given through the window's real handlers in 320 x 200 coordinates.
#pragma once

#include <string>
#include <vector>

#include "game/menus/dmenus.h"
#include "tests/shell/shell_fixture.h"

class GameTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    for (const char* sub : {"maps", "scenes", "music"}) {
      const fs::path from = fs::path(ZARN_BINARY_DIR) / "game" / sub;
      fs::create_directories(folder / sub);
      for (const auto& e : fs::directory_iterator(from)) fs::copy_file(e.path(), folder / sub / e.path().filename());
    }
  }

  // "-debug" keeps the 640 x 400 window (no full screen): the pointer is halved on the way in.
  void StartGame() { Start({"-debug"}); }
  // Clicks far enough apart in time never pair into a double click.
  void Click(int x, int y) {
    plat::null::AdvanceClock(1000);
    plat::null::InjectClick(FormId(), 2 * x, 2 * y);
    Pass(2);
  }
  void DoubleClick(int x, int y) {
    plat::null::AdvanceClock(1000);
    plat::null::InjectClick(FormId(), 2 * x, 2 * y);
    plat::null::InjectClick(FormId(), 2 * x, 2 * y);
    Pass(2);
  }
  void Key(int vk) {
    plat::null::InjectKeyDown(FormId(), vk);
    plat::null::InjectKeyUp(FormId(), vk);
    Pass(2);
  }
  void Type(const std::string& cp1251) {
    plat::null::InjectText(FormId(), cp1251);
    Pass(2);
  }
  // Main menu -> the first faction -> its briefing -> play.
  void PlayFirstMission() {
    StartGame();
    Click(zarn::MainMenuButtons[0]);
    Click(zarn::FactionButtons[0]);
    Click(zarn::BeginButton);
    ASSERT_EQ(zarn::GameScreen, zarn::ScreenPlay);
  }
  void OpenMenu() {
    Key(plat::vk::Escape);
    ASSERT_EQ(zarn::GameScreen, zarn::ScreenGameMenu);
  }
  // The pointer parked in the bottom-right corner, where it lights nothing (for pictures).
  void Park() {
    plat::null::InjectMouseMove(FormId(), 620, 390);
    Pass(2);
  }
  // Centre of a button.
  void Click(const zarn::MenuButtonRect& b) { Click((b.x1 + b.x2) / 2, (b.y1 + b.y2) / 2); }

  // The briefing or help text now in the file list, one string.
  static std::string ListText(const zarn::TListWidget& list) {
    std::string all;
    for (const std::string& s : list.Items) all += s + "\n";
    return all;
  }
};
