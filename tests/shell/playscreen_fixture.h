// The play screen's drawing on the demo data set: the graphics and fonts as the start-up loads
// them, an empty 64 x 64 sand map with a rock plateau, player 1 at this seat, nothing selected.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/base/dvga.h"
#include "game/shell/Main.h"
#include "game/shell/gamescreen.h"
#include "game/shell/sidepanel.h"
#include "game/world/dobjects.h"
#include "tests/common/demofonts.h"
#include "tests/common/golden.h"
#include "tests/shell/campaign_world.h"
#include "tests/world/empty_world.h"

class PlayScreenTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    namespace fs = std::filesystem;
    const fs::path old = fs::current_path();
    fs::current_path(fs::path(ZARN_BINARY_DIR) / "game");
    loaded_ = zarn::LoadGraphics() == zarn::GraphicsOk;
    loaded_ = testfonts::LoadDemoFonts(fonts_) && loaded_;
    fs::current_path(old);
  }
  static void TearDownTestSuite() {
    zarn::CloseAllArchives();
    zarn::ResetFonts();
  }

  void SetUp() override {
    using namespace zarn;
    ASSERT_TRUE(loaded_) << "demo data set missing";
    // The settings as a program without a settings file starts with, whatever a test before
    // this one changed.
    SetDefaultOptions();
    ResetHooks();
    presents_ = 0;
    PresentFrameProc = [] { ++presents_; };
    EmptyWorld64();
    for (int x = 1; x <= 64; ++x)
      for (int y = 1; y <= 64; ++y)
        GameMap.Cell(x, y) = MakeTerrainByte(x >= 5 && x <= 20 && y >= 3 && y <= 14 ? 4 : 0, 0);
    ClearOssinFields();
    RemoveAllBlooms();
    RemoveAllWorms();
    ClearEffectSlots();
    ClearProjectiles();
    ClearSecondProjectiles();
    ClearGroundMarks();
    ResetGroundMarks();
    DebugFlags = TDebugFlags{0, 0, 0};
    InitShroud();
    NetRole = RoleSingle;
    GameScreen = 0;
    LocalPlayer = 1;
    UnitSlots = DefaultUnitSlots;
    BuildingSlots = DefaultBuildingSlots;
    Mission = TMissionRecord{};
    Mission.PlayerCount = 2;
    InitPlayerRecord(Players[1], 1, 1, 5000);
    InitPlayerRecord(Players[2], 2, 2, 5000);
    ViewState = TViewState{};
    ViewState.ViewX = 1;
    ViewState.ViewY = 1;
    ViewState.MinimapScaleX = static_cast<float>(64 * 0.015625);
    ViewState.MinimapScaleY = static_cast<float>(64 * 0.025);
    ViewState.LocalSide = 1;
    PendingOrder = 0;
    MenuButtonIdle = 1;
    TickCount = 400;
    WorldTickCount = 1001;  // 1001 & 9 = 9: the status line counts afresh
    GameOptions.MessageEnable = true;
    HideMessageLine();
    HideMessageLine2();
    ResetLastViewPos();
    ResetCursorState();
    // The cursor animations as the start-up sets them.
    static const int counters[4][3] = {{5, 260, 2}, {10, 265, 2}, {17, 275, 2}, {12, 292, 2}};
    for (int i = 1; i <= 4; ++i)
      AnimCounterInit(AnimCounters[i], counters[i - 1][0], counters[i - 1][1], counters[i - 1][2]);
    MouseX = 300;
    MouseY = 100;
    ClearScreen();
  }

  // A generated mission started from its files in a fresh game folder, 90 world ticks in.
  void StartGeneratedMission(const std::string& folder) {
    mission_ = std::make_unique<campaign_world::TGameFolder>(folder);
    const zarn::TDebugFlags flags = zarn::DebugFlags;  // these pictures are drawn without shroud
    campaign_world::FreshProgram(77);
    zarn::DebugFlags = flags;
    campaign_world::WriteMissionFiles();
    campaign_world::StartMissionFromFiles();
    zarn::GameScreen = 0;
    campaign_world::Step(90);
    zarn::PresentFrameProc = [] { ++presents_; };
  }

  static zarn::TUnitRecord& AddUnit(std::uint16_t slot, int x, int y, std::uint8_t kind,
                                    std::uint8_t owner = 1, std::uint8_t side = 1) {
    zarn::TUnitRecord& u = zarn::Units[slot];
    zarn::InitUnit(u, x, y, slot, side, owner, kind);
    return u;
  }
  static zarn::TBuildingRecord& AddBuilding(std::uint16_t slot, int x, int y, std::uint8_t kind,
                                            std::uint8_t owner = 1, std::uint8_t side = 1) {
    zarn::TBuildingRecord& b = zarn::Buildings[slot];
    zarn::InitBuilding(b, x, y, kind, owner, side, slot);
    return b;
  }
  static void SelectUnits(std::initializer_list<std::uint16_t> slots) {
    using namespace zarn;
    int e = 0;
    for (std::uint16_t s : slots) {
      ++e;
      ViewState.Selection[e] = TSelectionEntry{s, 1, 0};
      SelectUnit(Units[s]);
    }
    ViewState.SelectedCount = static_cast<std::uint16_t>(e);
    ViewState.SelectionKind = 0;
  }
  static void SelectOne(std::uint16_t index, std::uint8_t kind) {
    zarn::ViewState.Selection[1] = zarn::TSelectionEntry{index, 1, 0};
    zarn::ViewState.SelectedCount = 1;
    zarn::ViewState.SelectionKind = kind;
  }
  // The panel as the game screen draws it.
  static void DrawPanel() {
    zarn::ClearScreen();
    zarn::DrawPanelBase();
    zarn::DrawObjectInfo();
    zarn::DrawCommandPanel();
  }
  static std::uint8_t Pixel(int x, int y) {
    return zarn::BackBuffer[static_cast<std::size_t>(y * zarn::ScreenWidth + x)];
  }
  // Pixels of colour c inside the rectangle.
  static int CountColour(int x1, int y1, int x2, int y2, std::uint8_t c) {
    int n = 0;
    for (int y = y1; y <= y2; ++y)
      for (int x = x1; x <= x2; ++x) n += Pixel(x, y) == c;
    return n;
  }

  std::unique_ptr<campaign_world::TGameFolder> mission_;
  static inline bool loaded_ = false;
  static inline std::vector<std::uint8_t> fonts_[3];
  static inline int presents_ = 0;
};
