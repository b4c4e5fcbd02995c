// What the editors' working screens show: whole frames pinned on the demo data set (written to
// <build>/golden/ when they differ), and the brush and placement outlines.
#include "game/menus/dmenus.h"
#include "game/shell/editorscreens.h"
#include "game/world/dobjects.h"
#include "game/world/editorrules.h"
#include "game/world/scenario.h"
#include "tests/common/golden.h"
#include "tests/shell/shell_fixture.h"

using namespace zarn;

namespace {

class EditorDrawTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    plat::null::SetDesktopSize(640, 400);
  }
  void At(int x, int y) {
    plat::null::InjectMouseMove(FormId(), 2 * x, 2 * y);
    Pass(1);
  }
  // A 64 x 64 map with ground, rock, resource cells and a bloom, in the map editor.
  void MapEditorWithTerrain() {
    Start({"-editor"});
    // Built by hand, without the editors' own new map: emptied as the game empties a world.
    EmptyTheWorld();
    ResetGameRecords();
    SetMapSizeAndClear(64, 64);
    ResetMapPlacements();
    MapExists = 1;
    MapFileName = "noname.map";
    GameScreen = ScreenMapEditing;
    MapEditorInputProc();
    for (int x = 2; x <= 6; ++x) EditorPaintGround(x, 2);
    EditorPlaceMountain(4, 2, MountainFirstItem);
    for (int x = 3; x <= 5; ++x) EditorPlaceOssinField(x, 6);
    EditorPlaceBloom(8, 6);
    Pass(1);
  }
  static std::uint8_t Pixel(int x, int y) { return BackBuffer[static_cast<std::size_t>(y * ScreenWidth + x)]; }
};

// The editors' menus with the pointer in the corner, where no button is lit. The check of the
// real program under X compares its screens with these pictures.
TEST_F(EditorDrawTest, EditorMenus) {
  Start({"-editor"});
  At(2, 2);
  ASSERT_EQ(GameScreen, ScreenMapEditorMenu);
  testgolden::ExpectPicture("map_editor_menu", 0xd13126e9429ec548ull);
  OpenNewMap();
  Pass(1);
  testgolden::ExpectPicture("new_map", 0x7a6a43b5562859adull);
  OpenScenarioEditorMenu();
  Pass(1);
  testgolden::ExpectPicture("scenario_editor_menu", 0x28031ada92a95ba5ull);
  // The file screens: the title and the buttons (their lists hold whatever files exist).
  struct TFileScreen {
    void (*Open)();
    const char* Name;
    std::uint64_t Hash;
  };
  const TFileScreen files[] = {{OpenSaveMap, "save_map", 0xa182d075459fbf92ull},
                               {OpenLoadMap, "load_map", 0xa79c062481c06830ull},
                               {OpenSaveScenario, "save_scenario", 0xbfea3dc1de06f1bfull},
                               {OpenLoadScenario, "load_scenario", 0xc0078cd818096a62ull}};
  for (const TFileScreen& f : files) {
    f.Open();
    Pass(1);
    testgolden::ExpectPicture(f.Name, f.Hash);
  }
  OpenScenarioSettings();
  Pass(1);
  testgolden::ExpectPicture("scenario_settings", 0xc51cda821b24858eull);
}

TEST_F(EditorDrawTest, MapEditorFrame) {
  MapEditorWithTerrain();
  PageListSetMode(PageList1, 2);
  At(100, 60);
  testgolden::ExpectPicture("map_editor", 0x9179bed73bfc4026ull);
}

TEST_F(EditorDrawTest, ScenarioEditorFramesOfTheFiveModes) {
  MapEditorWithTerrain();
  Mission.PlayerCount = 2;
  Players[1].Credits = 5000;
  Players[1].Side = 1;
  EditorPlayer = 1;
  EditorSide = 1;
  ASSERT_EQ(EditorCreateUnit(3, 4, 3, 1, 1), 0);
  ASSERT_EQ(EditorCreateBuilding(7, 3, 2, 0, 2), 0);
  ASSERT_EQ(EditorCreateWorm(12, 5), 0);
  PageListCreate(PageList2, 75, 175);
  GameScreen = ScreenScenarioEditing;
  ScenarioEditorInputProc();
  At(100, 60);
  SetScenarioEditorMode(1);
  Pass(1);
  testgolden::ExpectPicture("scenario_editor_buildings", 0x4e47215e7c9ceac4ull);
  SetScenarioEditorMode(3);
  Pass(1);
  testgolden::ExpectPicture("scenario_editor_players", 0x2bbd4977d0f8eaf9ull);
  SetScenarioEditorMode(4);
  Pass(1);
  testgolden::ExpectPicture("scenario_editor_credits", 0x15b0a807de9f19efull);
}

TEST_F(EditorDrawTest, TheBrushOutlineFollowsThePointerOnTheMapOnly) {
  MapEditorWithTerrain();
  At(37, 21);  // cell (2, 1) of the view: outline from (32, 16)
  FillScreen(7);
  DrawBrushOutline();
  EXPECT_EQ(Pixel(32, 16), 12);
  EXPECT_EQ(Pixel(47, 31), 12);
  EXPECT_EQ(Pixel(48, 31), 7);
  EXPECT_EQ(Pixel(40, 24), 7);
  At(37, 170);  // over the panel
  FillScreen(7);
  DrawBrushOutline();
  for (std::uint8_t p : BackBuffer) ASSERT_EQ(p, 7);
  PendingOrder = 0;
  At(37, 21);
  FillScreen(7);
  DrawBrushOutline();
  for (std::uint8_t p : BackBuffer) ASSERT_EQ(p, 7);
}

TEST_F(EditorDrawTest, ThePlacementOutlineHasTheBuildingsFootprint) {
  MapEditorWithTerrain();
  PageListCreate(PageList2, 75, 175);
  PendingOrder = 4;
  At(5, 5);
  struct TCase {
    int Mode, Place, Width, Height;
  };
  // Units and worms one cell; the slab block 2 x 2; a yard (class 3) 3 x 3.
  for (const TCase c : {TCase{0, 0, 16, 16}, TCase{2, 0, 16, 16}, TCase{1, 1, 32, 32},
                        TCase{1, 2, 0, 0}}) {
    PageListSetMode2(PageList2, c.Mode);
    PageList2.Selected = c.Place;
    FillScreen(7);
    DrawEditorPlacementOutline();
    int w = c.Width, h = c.Height;
    if (w == 0) {
      const std::uint8_t cls = FootprintClass(ItemBuildingKind(EditorBuildingPalette(c.Place)));
      w = 16 * FootprintWidth(cls);
      h = 16 * FootprintHeight(cls);
    }
    EXPECT_EQ(Pixel(w - 1, h - 1), 12) << c.Mode << " " << c.Place;
    EXPECT_EQ(Pixel(w, h - 1), 7) << c.Mode << " " << c.Place;
    EXPECT_EQ(Pixel(w - 1, h), 7) << c.Mode << " " << c.Place;
  }
  // The player and credits modes place nothing and show no outline.
  PageListSetMode2(PageList2, 3);
  FillScreen(7);
  DrawEditorPlacementOutline();
  for (std::uint8_t p : BackBuffer) ASSERT_EQ(p, 7);
}

}  // namespace
