#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "game/base/dvga.h"

using namespace zarn;
namespace fs = std::filesystem;

namespace {

// Each test runs in an empty folder of its own with a "maps" folder inside.
class MapFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("zarn_maps_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "maps");
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
    SetMapSizeAndClear(64, 64);
    ResetMapPlacements();
  }
  static std::vector<std::uint8_t> Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static void Write(const fs::path& p, const std::vector<std::uint8_t>& b) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  }
  // A distinct terrain byte per cell, a field at (1, 1) and a bloom in the far corner.
  static void MakeMap(int w, int h) {
    SetMapSizeAndClear(w, h);
    for (int x = 1; x <= w; ++x)
      for (int y = 1; y <= h; ++y) GameMap.Cell(x, y) = static_cast<std::uint8_t>(x * 7 + y * 13);
    ResetMapPlacements();
    AddMapPlacement(PlacementField, 1, 1);
    AddMapPlacement(PlacementBloom, static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h));
  }
  fs::path old_, dir_;
};

}  // namespace

TEST_F(MapFiles, LayoutAndRoundTripByteForByte) {
  MakeMap(1, 1);
  ASSERT_EQ(SaveMapFile("tiny.map"), MapFileResult::Ok);
  EXPECT_EQ(fs::file_size("maps/tiny.map"), 6605u);

  MakeMap(3, 2);
  ASSERT_EQ(SaveMapFile("small.map"), MapFileResult::Ok);
  const auto b = Bytes("maps/small.map");
  ASSERT_EQ(b.size(), 4u + 6u + 6600u);
  // Header, then the terrain row by row although memory holds it column by column.
  const std::uint8_t head[10] = {3, 0, 2, 0, GameMap.Cell(1, 1), GameMap.Cell(2, 1), GameMap.Cell(3, 1),
                                 GameMap.Cell(1, 2), GameMap.Cell(2, 2), GameMap.Cell(3, 2)};
  EXPECT_EQ(0, std::memcmp(b.data(), head, 10));
  EXPECT_EQ(GameMap.Cells[256], GameMap.Cell(2, 1));
  const std::uint8_t list[18] = {1, 0, 1, 0, 1, 0, 2, 0, 3, 0, 2, 0, 0, 0, 1, 0, 1, 0};
  EXPECT_EQ(0, std::memcmp(&b[10], list, 18));

  for (auto [w, h, sx, sy] : {std::tuple{64, 40, 1.0f, 1.0f}, {128, 128, 2.0f, 3.2f}, {256, 1, 4.0f, 0.025f}}) {
    MakeMap(w, h);
    ASSERT_EQ(SaveMapFile("round.map"), MapFileResult::Ok);
    const auto saved = Bytes("maps/round.map");
    SetMapSizeAndClear(5, 5);
    ResetMapPlacements();
    ASSERT_EQ(ReadMapFile("ROUND.MAP"), MapFileResult::Ok);  // names match without regard to case
    EXPECT_FLOAT_EQ(ViewState.MinimapScaleX, sx);
    EXPECT_FLOAT_EQ(ViewState.MinimapScaleY, sy);
    EXPECT_EQ(MapPlacements[2].X, w);
    ASSERT_EQ(SaveMapFile("again.map"), MapFileResult::Ok);
    EXPECT_EQ(Bytes("maps/again.map"), saved) << w << "x" << h;
  }
}

TEST_F(MapFiles, BadFilesAreRejectedWithTheWorldUntouched) {
  MakeMap(10, 8);
  ASSERT_EQ(SaveMapFile("good.map"), MapFileResult::Ok);
  const auto good = Bytes("maps/good.map");
  MakeMap(20, 30);
  ViewState.MinimapScaleX = 0.5f;
  const auto mapBefore = std::make_unique<TTileGrid>(GameMap);
  const TMapPlacements listBefore = MapPlacements;
  auto unchanged = [&] {
    return std::memcmp(mapBefore.get(), &GameMap, sizeof(TTileGrid)) == 0 &&
           std::memcmp(&listBefore, &MapPlacements, sizeof listBefore) == 0 && ViewState.MinimapScaleX == 0.5f;
  };
  auto variant = [&](std::size_t at, int value) {
    auto b = good;
    if (value < 0) b.resize(at);
    else if (at >= b.size()) b.push_back(static_cast<std::uint8_t>(value));
    else b[at] = static_cast<std::uint8_t>(value);
    return b;
  };
  const std::size_t list = 4 + 80;  // the placements of a 10 x 8 map
  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
    MapFileResult result;
  } cases[] = {
      {"empty", {}, MapFileResult::BadLength},
      {"width 0", variant(0, 0), MapFileResult::BadSize},
      {"width 257", variant(1, 1), MapFileResult::BadSize},
      {"height 0", variant(2, 0), MapFileResult::BadSize},
      {"one byte short", variant(good.size() - 1, -1), MapFileResult::BadLength},
      {"one byte long", variant(good.size(), 0), MapFileResult::BadLength},
      {"size says more", variant(0, 11), MapFileResult::BadLength},
      {"bloom right of map", variant(list + 6 + 2, 11), MapFileResult::BadPlacement},
      {"field at y 0", variant(list + 4, 0), MapFileResult::BadPlacement},
      {"last entry kind 3", variant(good.size() - 6, 3), MapFileResult::BadPlacement},
  };
  for (const auto& c : cases) {
    Write("maps/bad.map", c.bytes);
    EXPECT_EQ(ReadMapFile("bad.map"), c.result) << c.what;
    EXPECT_TRUE(unchanged()) << c.what;
  }
  EXPECT_EQ(ReadMapFile("missing.map"), MapFileResult::CannotRead);
  fs::create_directories("maps/folder.map");
  EXPECT_EQ(ReadMapFile("folder.map"), MapFileResult::CannotRead);
  { std::ofstream("maps/huge.map", std::ios::binary).seekp(50'000'000) << 'x'; }
  EXPECT_EQ(ReadMapFile("huge.map"), MapFileResult::BadLength);
  // Names never leave the maps folder.
  Write("outside.map", good);
  for (const char* name : {"..\\outside.map", "../outside.map", "", ".."}) {
    EXPECT_EQ(ReadMapFile(name), MapFileResult::BadName) << name;
    EXPECT_EQ(SaveMapFile(name), MapFileResult::BadName) << name;
  }
  EXPECT_TRUE(unchanged());
  EXPECT_EQ(Bytes("outside.map"), good);
  // Empty entries carry no position, so their coordinates are not judged.
  Write("maps/odd.map", variant(list + 500 * 6 + 2, 200));
  EXPECT_EQ(ReadMapFile("odd.map"), MapFileResult::Ok);
}

TEST_F(MapFiles, FailedSaveKeepsTheOldFile) {
  MakeMap(4, 4);
  ASSERT_EQ(SaveMapFile("keep.map"), MapFileResult::Ok);
  const auto old = Bytes("maps/keep.map");
  fs::create_directories("maps/blocked.map/inner");  // in the way of the rename
  EXPECT_EQ(SaveMapFile("blocked.map"), MapFileResult::CannotWrite);
  GameMap.Width = 0;
  EXPECT_EQ(SaveMapFile("keep.map"), MapFileResult::BadSize);
  EXPECT_EQ(Bytes("maps/keep.map"), old);
  for (const auto& e : fs::directory_iterator("maps")) EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos);
  fs::remove_all("maps");  // a missing folder is made
  MakeMap(2, 2);
  EXPECT_EQ(SaveMapFile("new.map"), MapFileResult::Ok);
}

TEST_F(MapFiles, GridSizeAndPlacementList) {
  std::memset(GameMap.Cells, 0xAB, sizeof GameMap.Cells);
  SetMapSizeAndClear(3, 2);
  EXPECT_EQ(GameMap.Cell(3, 2), 0);
  EXPECT_THROW(SetMapSizeAndClear(0, 5), RangeError);
  EXPECT_THROW(GameMap.Cell(1, 257), RangeError);

  ResetMapPlacements();
  EXPECT_EQ(MapPlacements[1100].X, 1);
  for (int i = 1; i <= MapPlacementCount; ++i) ASSERT_TRUE(AddMapPlacement(PlacementField, 2, 2));
  const TMapPlacements full = MapPlacements;
  EXPECT_FALSE(AddMapPlacement(PlacementBloom, 9, 9));
  EXPECT_EQ(0, std::memcmp(&full, &MapPlacements, sizeof full));
  MapPlacements[700].Kind = PlacementEmpty;  // the first empty entry is the one used
  EXPECT_TRUE(AddMapPlacement(PlacementBloom, 9, 9));
  EXPECT_EQ(MapPlacements[700].Kind, PlacementBloom);
}
