// The program started on the null back end and a generated three-player mission on its play
// screen, driven through the main window's own pointer and key handlers. The frame's drawing is
// replaced by the two selection steps that the drawing runs every frame.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/menus/dmenus.h"
#include "game/net/netrequests.h"
#include "game/shell/selection.h"
#include "game/world/messages.h"
#include "tests/shell/campaign_world.h"
#include "tests/shell/shell_fixture.h"

namespace play_test {

using namespace zarn;

inline std::vector<int> Waves;
inline std::vector<std::string> SentTexts;

// Screen pixel of the middle of a map cell in the current view.
struct TPoint {
  int X, Y;
};
inline TPoint CellPoint(std::int32_t x, std::int32_t y) {
  return {(x - ViewState.ViewX) * 16 + 8, (y - ViewState.ViewY) * 16 + 8};
}

// Command column rows: move, stop, the unit's third and fourth buttons.
inline constexpr TPoint MoveButton{280, 163};
inline constexpr TPoint StopButton{280, 173};
inline constexpr TPoint ThirdButton{280, 183};
inline constexpr TPoint FourthButton{280, 193};
inline constexpr TPoint MenuButton{160, 160};
inline constexpr TPoint RepairLine{140, 180};
inline constexpr TPoint BuildMenuPicture{90, 180};

class PlayTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    Start();
    folder_ = std::make_unique<campaign_world::TGameFolder>(
        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    campaign_world::WriteMissionFiles();
    campaign_world::StartMissionFromFiles();
    Randomize(1208);
    WorldTickCount = 0;
    DebugFlags.ShadowEnabled = 0;
    GameOptions.MessageEnable = true;
    ViewState.ViewX = 1;
    ViewState.ViewY = 1;
    // An order that an earlier test left pending would change the cursor and the clicks.
    PendingOrder = 0;
    // Room for more than a yard's five units.
    Building(12, 14, BuildingBarracks);
    Waves.clear();
    SentTexts.clear();
    PlaySoundProc = [](std::int32_t, std::int32_t wave) { Waves.push_back(wave); };
    RequestTextTap = [](std::string_view t) { SentTexts.emplace_back(t); };
    ShellCalls.DrawGameScreen = [] {
      CheckSelection();
      TrackSelectionBox();
    };
    ShellCalls.DrawNetGameScreen = ShellCalls.DrawGameScreen;
    ShellCalls.OpenGameMenu = [] { GameScreen = 7; };
  }
  void TearDown() override {
    campaign_world::ClearMissionWorld();
    NetRole = RoleSingle;
    NetGameStarted = 0;
    SideChoiceOpen = 0;
    RequestTextTap = nullptr;
    PendingOrder = 0;
    BoxDragState = 0;
    ViewState = TViewState{};
    ShellCalls = DefaultShellCalls;
    ResetHooks();
    folder_.reset();
    ShellTest::TearDown();
  }

  // The form's coordinates are the window's: twice the picture's in the 640 x 400 modes.
  static int WindowScale() {
    return GameOptions.ScreenMode == 1 || GameOptions.ScreenMode == 2 ? 2 : 1;
  }
  static void MoveTo(TPoint p) {
    zarn::MainForm->DXDrawMouseMove(0, p.X * WindowScale(), p.Y * WindowScale());
  }
  static void Press(TPoint p) {
    zarn::MainForm->DXDrawMouseDown(plat::MouseButton::Left, 0, p.X * WindowScale(), p.Y * WindowScale());
  }
  static void Release(TPoint p) {
    zarn::MainForm->DXDrawMouseUp(plat::MouseButton::Left, 0, p.X * WindowScale(), p.Y * WindowScale());
  }
  // Press, one frame held, click and release (the class library reports the click first),
  // then the next frame.
  static void Click(TPoint p) {
    MoveTo(p);
    Press(p);
    Frame();
    zarn::MainForm->DXDrawClick();
    Release(p);
    Frame();
  }
  static void ClickCell(std::int32_t x, std::int32_t y) { Click(CellPoint(x, y)); }
  static void RightClick(TPoint p) {
    MoveTo(p);
    zarn::MainForm->DXDrawMouseDown(plat::MouseButton::Right, 0, p.X * WindowScale(), p.Y * WindowScale());
    zarn::MainForm->DXDrawMouseUp(plat::MouseButton::Right, 0, p.X * WindowScale(), p.Y * WindowScale());
    Frame();
  }
  static void RightClickCell(std::int32_t x, std::int32_t y) { RightClick(CellPoint(x, y)); }
  static void DoubleClick(TPoint p) {
    Click(p);
    Press(p);
    zarn::MainForm->DXDrawDblClick();
    Release(p);
    Frame();
  }
  // Held at `from`, dragged over frames to `to`, released there.
  static void Drag(TPoint from, TPoint to) {
    MoveTo(from);
    Press(from);
    Frame();
    MoveTo(to);
    Frame();
    zarn::MainForm->DXDrawClick();
    Release(to);
    Frame();
  }
  // A box dragged over whole cells, from the first cell's top left pixel to the last one's
  // bottom right.
  static void BoxCells(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    Drag({CellPoint(x1, y1).X - 8, CellPoint(x1, y1).Y - 8}, {CellPoint(x2, y2).X + 7, CellPoint(x2, y2).Y + 7});
  }
  static void Frame() { zarn::MainForm->DXTimerTimer(); }
  static void KeyDown(int key, plat::ShiftState shift) { zarn::MainForm->FormKeyDown(key, shift); }
  static void KeyPress(char c) {
    std::uint8_t k = static_cast<std::uint8_t>(c);
    zarn::MainForm->FormKeyPress(k);
  }

  static std::uint16_t Unit(std::int32_t x, std::int32_t y, std::uint8_t kind, std::uint8_t owner = 1) {
    const std::uint16_t slot = CreateUnitAt(x, y, kind, 0, Players[owner].Side, owner);
    EXPECT_NE(slot, 0);
    return slot;
  }
  static std::uint16_t Building(std::int32_t x, std::int32_t y, std::uint8_t kind, std::uint8_t owner = 1) {
    std::uint16_t slot = 0;
    EXPECT_EQ(FindFreeBuildingSlot(slot), 0);
    InitBuilding(Buildings[slot], x, y, kind, owner, Players[owner].Side, slot);
    return slot;
  }
  // The first live building of the kind and owner.
  static std::uint16_t FindBuilding(std::uint8_t kind, std::uint8_t owner = 1) {
    for (int i = 1; i <= BuildingSlots; ++i)
      if (Buildings[i].Free == 0 && Buildings[i].Kind == kind && Buildings[i].Owner == owner)
        return static_cast<std::uint16_t>(i);
    return 0;
  }
  // World steps of single play until the condition holds; false when it never did.
  template <typename F>
  static bool StepUntil(F done, int limit = 3000) {
    for (int i = 0; i < limit; ++i) {
      if (done()) return true;
      campaign_world::Step(1);
    }
    return done();
  }
  static std::vector<std::uint16_t> SelectedSlots() {
    std::vector<std::uint16_t> out;
    for (const TSelectionEntry& e : ViewState.Selection)
      if (e.InUse != 0) out.push_back(e.Index);
    return out;
  }
  static std::string MessageShown() { return std::string(MessageLine.View()); }
  static std::string FontTextOf(std::string_view cp1251) {
    return InFontCodePage(cp1251).bytes.substr(0, MessageLineLength);
  }

  std::unique_ptr<campaign_world::TGameFolder> folder_;
};

}  // namespace play_test
