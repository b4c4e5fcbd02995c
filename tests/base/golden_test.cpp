// Whole pictures drawn from the demo data set, pinned by a hash of the 320 x 200 buffer: the
// terrain and the shroud's edges, every unit kind at every facing in two sides' colours, every
// building, and text in the three fonts. When a hash differs the picture is written to
// <build>/golden/<scene>.png so that it can be looked at; ZARN_GOLDEN_WRITE=1 writes them all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "game/base/dvga.h"
#include "game/base/stats.h"
#include "game/base/timefmt.h"
#include "tests/common/demofonts.h"
#include "tests/common/golden.h"

namespace fs = std::filesystem;
using namespace zarn;
using zarn::operator""_cp1251;

namespace {

const fs::path kGame = fs::path(ZARN_BINARY_DIR) / "game";

class Golden : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const fs::path old = fs::current_path();
    fs::current_path(kGame);
    loaded_ = testgolden::LoadSheets();
    loaded_ = testfonts::LoadDemoFonts(fonts_) && loaded_;
    fs::current_path(old);
  }
  static void TearDownTestSuite() { ResetFonts(); }

  void SetUp() override {
    ASSERT_TRUE(loaded_) << "demo data set missing under " << kGame;
    ClearScreen();
    ViewState.ViewX = 1;
    ViewState.ViewY = 1;
    WorldTickCount = 0;
    TickCount = 0;
    DebugFlags = DefaultDebugFlags;
    ResetGroundMarks();
  }

  // Compares the buffer with its pinned hash; on a difference (or when asked) writes the PNG.
  static void Check(const std::string& scene, std::uint64_t want) {
    testgolden::ExpectPicture(scene, want);
  }

  // Sand over the whole buffer, so sprites are seen on the ground they stand on.
  static void SandEverywhere() {
    for (int y = 0; y < ScreenHeight; y += 16)
      for (int x = 0; x < ScreenWidth; x += 16) DrawTileOpaque(x, y, 169);
  }

  static inline bool loaded_ = false;
  static inline std::vector<std::uint8_t> fonts_[3];
};

// A map whose top rows hold every terrain tile and the rest the new-map plateau.
void TerrainCatalogue() {
  NewMapTerrain();
  std::vector<std::uint8_t> tiles;
  for (int t = 0; t < 10; ++t) tiles.push_back(MakeTerrainByte(0, t));
  for (int t = 0; t < 20; ++t) tiles.push_back(MakeTerrainByte(1, t));
  for (int t = 0; t < 16; ++t) tiles.push_back(MakeTerrainByte(4, t));
  for (std::size_t i = 0; i < tiles.size(); ++i)
    GameMap.Cell(static_cast<long>(i % 20) + 1, static_cast<long>(i / 20) + 1) = tiles[i];
}

}  // namespace

TEST_F(Golden, TerrainWithEveryTileAndGroundMarks) {
  TerrainCatalogue();
  for (int f = 0; f < 8; ++f) AddGroundMark(14 + f % 4, 5 + f / 4 * 2, f);
  DrawMapTerrain();
  for (int i = 1; i <= GroundMarkSlots; ++i)
    if (GroundMarks[i].Free == 0) DrawGroundMark(i);
  Check("terrain", 0x2b0f208281667f71ull);
}

TEST_F(Golden, ShroudWithEveryEdgePiece) {
  TerrainCatalogue();
  InitShroud();
  RevealArea(4, 4, 2);
  RevealArea(8, 6, 1);  // overlaps the first: mixed edges
  RevealArea(15, 5, 1);
  RevealArea(18, 8, 0);
  DrawMapTerrain();
  DrawShroudView();
  Check("shroud", 0x807a982ee39a5e75ull);
}

TEST_F(Golden, SmallUnitsAtEveryFacingInTwoSides) {
  SandEverywhere();
  const std::uint8_t kinds[] = {0, 1, 2, 3, 4, 5, 6, 8, 9, 13, 15};
  for (int row = 0; row < 11; ++row)
    for (int col = 0; col < 16; ++col)
      DrawUnitSprite(kinds[row], col * 20 + 2, row * 18 + 1, col % 8, col < 8 ? 0 : 1, false, 0, false);
  Check("units-small", 0xbbb21675701b0f45ull);
}

TEST_F(Golden, InfantryWalkingAtEveryFacing) {
  SandEverywhere();
  // Counters 16, 18, 20: the three walking pictures without a position shift.
  for (int kind = 0; kind < 4; ++kind)
    for (int step = 0; step < 3; ++step)
      for (int col = 0; col < 16; ++col)
        DrawUnitSprite(static_cast<std::uint8_t>(kind), col * 20 + 2, (kind * 3 + step) * 16 + 4, col % 8,
                       col < 8 ? 2 : 3, true, 16 + 2 * step, false);
  Check("infantry-walk", 0x3cd48536cff6e183ull);
}

TEST_F(Golden, LargeVehiclesAtEveryFacingInTwoSides) {
  SandEverywhere();
  const std::uint8_t kinds[] = {UnitSiegeTank, UnitGromador, UnitConstructionVehicle};
  for (int k = 0; k < 3; ++k)
    for (int side = 0; side < 2; ++side)
      for (int f = 0; f < 8; ++f)
        DrawUnitSprite(kinds[k], f * 40 + 12, (k * 2 + side) * 32 + 8, f, side, false, 0, false);
  Check("units-large", 0xc98d5982eaf57dc5ull);
}

TEST_F(Golden, HarvestersAndCarriersAtEveryFacingInTwoSides) {
  SandEverywhere();
  WorldTickCount = 7;  // the spray's middle phase
  const std::pair<std::uint8_t, bool> variants[] = {
      {UnitHarvester, false}, {UnitHarvester, true}, {UnitCarrier, false}, {UnitCarrier, true}};
  for (int v = 0; v < 4; ++v)
    for (int side = 0; side < 2; ++side)
      for (int f = 0; f < 8; ++f)
        DrawUnitSprite(variants[v].first, f * 40 + 12, (v * 2 + side) * 25 + 5, f, side == 0 ? 1 : 3,
                       false, 0, variants[v].second);
  Check("units-harvest-carry", 0x89739905eb72beb3ull);
}

TEST_F(Golden, EveryBuildingKind) {
  SandEverywhere();
  auto at = [](int cell) { return cell * 16; };
  // Large buildings, side 0.
  DrawPalace(at(0), at(0), 0, 0);
  DrawStarport(at(3), at(0), 0, 0);
  DrawRefinery(at(6), at(0), 0, 0, false, 0);
  DrawHeavyFactory(at(9), at(0), 0, 0);
  DrawRepairFactory(at(12), at(0), 0, 0);
  DrawAirFactory(at(15), at(0), 0, 0);
  DrawSlab(at(18), at(0), 0, 0);
  DrawSlab(at(19), at(0), 0, 0);
  DrawSlab(at(18), at(1), 0, 0);
  DrawSlab(at(19), at(1), 0, 0);
  // Two-by-two buildings, side 0, then side 1 in their other phases.
  void (*small[])(std::int32_t, std::int32_t, std::int32_t, std::int32_t) = {
      DrawConstructionYard, DrawWindtrap, DrawSilo, DrawRadar, DrawBarracks, DrawAcademy, DrawLightFactory,
      DrawResearchCentre};
  for (int i = 0; i < 8; ++i) small[i](at(i * 2), at(3), 0, 0);
  for (int i = 0; i < 8; ++i) small[i](at(i * 2), at(6), 1, 1);
  DrawRadar(at(16), at(3), 2, 0);
  DrawRadar(at(18), at(3), 3, 0);
  // Turrets at every facing.
  for (int f = 0; f < 8; ++f) {
    DrawGunTurret(at(f), at(5), f, 0);
    DrawRocketTurret(at(8 + f), at(5), f, 0);
  }
  // Side 1 in motion: docked refinery, working factories.
  DrawRefinery(at(0), at(8), 0, 1, true, 1);
  DrawRefinery(at(3), at(8), 1, 1, false, 1);
  DrawHeavyFactory(at(6), at(8), 1, 1);
  DrawAirFactory(at(9), at(8), 2, 1);
  DrawRepairFactory(at(12), at(8), 0, 1);
  DrawPalace(at(15), at(8), 0, 1);
  // Shot effects along the bottom.
  for (int f = 0; f < 8; ++f) {
    DrawShotKind1(at(f), at(11), f);
    DrawShotKind5(at(8 + f), at(11), f);
  }
  DrawShotKind0(at(16), at(11), 2);
  DrawShotKind2A(at(18), at(11), 4);
  Check("buildings", 0x7decdb304378029bull);
}

TEST_F(Golden, TextInAllThreeFonts) {
  FillScreen(128);
  const std::string lines[] = {
      ToFontCodePage("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"_cp1251),
      ToFontCodePage("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"_cp1251),
      "Quick brown fox 0123456789 !?.,:;()-+",
  };
  const std::uint16_t fonts[] = {MainFont, SecondFont, ThirdFont};
  const std::uint8_t colours[] = {15, 14, 200};
  int y = 2;
  for (int f = 0; f < 3; ++f)
    for (int l = 0; l < 3; ++l) {
      DrawText(fonts[f], 2, y, colours[l], lines[l]);
      y += f == 2 ? 16 : 11;
    }
  Check("text", 0x7a47b3773ba86fcfull);
}

// The score table's layout is made for the narrow second font: every column caption and every
// side name (their last ink and shadow, TextWidth - 1) ends before the next column begins.
TEST_F(Golden, ScoreCaptionsAndSideNamesFitTheirColumns) {
  TStatsPanel panel;
  ShowMissionStats(panel, 20, SecondFont);
  for (int c = 0; c < StatsColumnCount; ++c) {
    const int next = c + 1 < StatsColumnCount ? panel.Columns[c + 1].X : panel.Right - panel.Left;
    EXPECT_LT(TextWidth(SecondFont, panel.Columns[c].Title) - 1, next - panel.Columns[c].X)
        << "column " << c;
  }
  for (int side = 0; side <= 8; ++side)
    EXPECT_LT(TextWidth(SecondFont, ToFontCodePage(SideName(side))) - 1, panel.Columns[1].X)
        << "side " << side;
}
