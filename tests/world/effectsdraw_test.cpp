// Explosions of every kind at every frame and the smoke over hurt vehicles, drawn from the demo
// data set through the world's own drawing and pinned by the picture's hash.
#include <gtest/gtest.h>

#include <filesystem>

#include "game/world/dobjects.h"
#include "tests/common/golden.h"

namespace fs = std::filesystem;
using namespace zarn;

namespace {

class EffectsPicture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const fs::path old = fs::current_path();
    fs::current_path(fs::path(ZARN_BINARY_DIR) / "game");
    loaded_ = testgolden::LoadSheets();
    fs::current_path(old);
  }
  void SetUp() override {
    ASSERT_TRUE(loaded_) << "demo data set missing";
    SetMapSizeAndClear(24, 16);
    KillAllUnits();
    for (TExplosionRecord& e : Explosions) e.Free = 1;
    ViewState.ViewX = 1;
    ViewState.ViewY = 1;
    TickCount = 1000;
    ClearScreen();
    for (int y = 0; y < ScreenHeight; y += 16)
      for (int x = 0; x < ScreenWidth; x += 16) DrawTileOpaque(x, y, 169);  // sand
  }
  void TearDown() override {
    for (TExplosionRecord& e : Explosions) e.Free = 1;
    KillAllUnits();
    TickCount = 0;
  }
  static inline bool loaded_ = false;
};

TEST_F(EffectsPicture, EveryExplosionFrameAndTheSmokeOfHurtVehicles) {
  // One row per explosion kind (0..12, two sides), one column per frame.
  int row = 0;
  for (int kind = 0; kind <= 12; ++kind, ++row) {
    const int y = 4 + (row % 7) * 24, x0 = row < 7 ? 4 : 164;
    for (int frame = 1; frame <= 4; ++frame) {
      CreateExplosion(1, 1, x0 + (frame - 1) * 30, 0, kind, kind % 2 ? 1 : 4, y);
      TExplosionRecord* e = nullptr;
      for (TExplosionRecord& r : Explosions)
        if (r.Free == 0) e = &r;
      ASSERT_NE(e, nullptr);
      if (frame > e->FrameCount) {
        e->Free = 1;
        continue;
      }
      e->Frame = static_cast<std::int16_t>(frame);
      UpdateExplosion(*e);
      e->Free = 1;
    }
  }
  // Smoke over three hurt tanks, one at each of its frames, beside the short rows.
  for (int f = 1; f <= 3; ++f) {
    TUnitRecord& tank = Units[f];
    InitUnit(tank, 3 + f * 2, 3, static_cast<std::uint16_t>(f), 0, 1, UnitLightTank);
    StartUnitMarker(tank.Marker);
    tank.Marker.Frame = static_cast<std::int16_t>(f);
    DrawUnit(tank);
    DrawUnitMarker(tank);
  }
  testgolden::ExpectPicture("explosions-smoke", 0x6288ded2e95d66d3ull);
}

}  // namespace
