// The pointer resting on the play screen: cursor shape and colour, scrolling at the edges, the
// menu button's highlight and dragging the view on the minimap.
#include "tests/shell/play_fixture.h"

namespace {

using namespace play_test;

TEST_F(PlayTest, TheCursorTellsWhatIsUnderThePointer) {
  Unit(10, 9, UnitLightTank);
  Unit(12, 9, UnitLightTank, 2);
  Worms[1].X = 2;
  Worms[1].Y = 2;
  const std::uint16_t yard = FindBuilding(BuildingConstructionYard);
  struct {
    TPoint at;
    std::uint8_t type, colour;
  } cases[] = {
      {CellPoint(10, 9), 2, 200},
      {CellPoint(12, 9), 2, 12},
      {CellPoint(2, 2), 2, 17},
      {CellPoint(Buildings[yard].X, Buildings[yard].Y), 2, 200},
      {CellPoint(14, 3), 0, 200},
      {{280, 180}, 0, 200},
  };
  for (const auto& c : cases) {
    MoveTo(c.at);
    Frame();
    EXPECT_EQ(CursorRecord.Type, c.type) << c.at.X << "," << c.at.Y;
    EXPECT_EQ(CursorRecord.Color, c.colour) << c.at.X << "," << c.at.Y;
  }
}

TEST_F(PlayTest, TheEdgesScrollAndTheMenuButtonLightsUp) {
  ViewState.ViewX = 10;
  ViewState.ViewY = 10;
  ScrollNextTime = 0;
  GameOptions.ScrollPause = 8;
  MoveTo({1, 80});
  Frame();
  EXPECT_EQ(ViewState.ViewX, 9);
  EXPECT_EQ(CursorRecord.Type, 4);
  // Paced: the next step waits for the interface clock.
  Frame();
  EXPECT_EQ(ViewState.ViewX, 9);
  TickCount += 20;
  MoveTo({318, 80});
  Frame();
  EXPECT_EQ(ViewState.ViewX, 10);
  EXPECT_EQ(CursorRecord.Type, 5);
  TickCount += 20;
  MoveTo({160, 199});
  Frame();
  EXPECT_EQ(ViewState.ViewY, 11);
  EXPECT_EQ(CursorRecord.Type, 7);

  MenuButtonIdle = 1;
  MoveTo(MenuButton);
  Frame();
  EXPECT_EQ(MenuButtonIdle, 0);
}

// The pointer at the left edge, then what the window system says, in order: only a pointer
// over the focused window scrolls. The window system reports the last move of a pointer on its
// way out at its point outside the window, which the picture clamps to its corner.
TEST_F(PlayTest, OnlyAPointerOverTheFocusedWindowScrolls) {
  const int form = zarn::MainForm->Handle()->id;
  const struct {
    const char* what;
    void (*event)(int form);
    bool scrolls;
  } steps[] = {
      {"left", plat::null::InjectMouseLeave, false},
      {"entered", plat::null::InjectMouseEnter, true},
      {"moved out", [](int f) { plat::null::InjectMouseMove(f, -1, -1); }, false},
      {"entered", plat::null::InjectMouseEnter, true},
      {"focus lost", [](int f) { plat::null::InjectFocus(f, false); }, false},
      {"focus back", [](int f) { plat::null::InjectFocus(f, true); }, true},
  };
  GameOptions.ScrollPause = 8;
  for (const auto& s : steps) {
    ViewState.ViewX = 10;
    ScrollNextTime = 0;
    MoveTo({0, 80});
    s.event(form);
    plat::ProcessMessages();
    Frame();
    EXPECT_EQ(ViewState.ViewX, s.scrolls ? 9 : 10) << s.what;
  }
}

TEST_F(PlayTest, TheMinimapMovesTheViewByClickAndByDrag) {
  Click({33, 179});
  const std::uint16_t x = ViewState.ViewX, y = ViewState.ViewY;
  EXPECT_GT(x, 30);
  EXPECT_GT(y, 30);
  MoveTo({33, 179});
  Press({33, 179});
  Frame();
  MoveTo({50, 190});
  Frame();
  EXPECT_GT(ViewState.ViewX, x);
  EXPECT_GT(ViewState.ViewY, y);
  Release({50, 190});
  // Column 0 is not the minimap (and the edge does not scroll while paced).
  ScrollNextTime = TickCount + 1000;
  const std::uint16_t held = ViewState.ViewX;
  Click({0, 179});
  EXPECT_EQ(ViewState.ViewX, held);
}

TEST_F(PlayTest, AnEditorStartsWithTheRightButtonUp) {
  GameScreen = 24;
  zarn::MainForm->DXDrawMouseDown(plat::MouseButton::Right, 0, 100, 100);
  ASSERT_EQ(RightButtonUp, 0);
  // The press opened the editor's menu; the release came on another screen.
  GameScreen = 23;
  zarn::MainForm->DXDrawMouseUp(plat::MouseButton::Right, 0, 100, 100);
  MapEditorInput();
  EXPECT_EQ(RightButtonUp, 1);
}

}  // namespace
