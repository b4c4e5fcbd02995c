#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <string>
#include <filesystem>
#include <fstream>

#include "game/base/dvga.h"

using namespace zarn;

namespace {

struct Record {
  std::string name;
  std::vector<std::uint8_t> data;
};

std::vector<std::uint8_t> Header(const std::string& name, std::int32_t pos, std::int32_t size,
                                 std::uint16_t magic = ArchiveMagic) {
  std::vector<std::uint8_t> h(24, 0);
  h[0] = static_cast<std::uint8_t>(name.size());
  std::memcpy(h.data() + 1, name.data(), std::min<std::size_t>(name.size(), 12));
  std::memcpy(h.data() + 14, &magic, 2);
  std::memcpy(h.data() + 16, &pos, 4);
  std::memcpy(h.data() + 20, &size, 4);
  return h;
}

std::vector<std::uint8_t> BuildArchive(const std::vector<Record>& records) {
  std::vector<std::uint8_t> out;
  for (const Record& r : records) {
    const auto pos = static_cast<std::int32_t>(out.size() + 24);
    const auto h = Header(r.name, pos, static_cast<std::int32_t>(r.data.size()));
    out.insert(out.end(), h.begin(), h.end());
    out.insert(out.end(), r.data.begin(), r.data.end());
  }
  return out;
}

std::vector<std::uint8_t> Img(int w, int h, std::uint8_t first) {
  std::vector<std::uint8_t> v = {static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8),
                                 static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(h >> 8)};
  for (int i = 0; i < w * h; ++i) v.push_back(static_cast<std::uint8_t>(first + i));
  return v;
}

void SetField(std::vector<std::uint8_t>& file, std::size_t at, std::int32_t v) {
  std::memcpy(file.data() + at, &v, 4);
}

class Archive : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseAllArchives();
    ArchiveError = 0;
  }
  void TearDown() override { CloseAllArchives(); }
  std::vector<std::uint8_t> buffers[12];
};

}  // namespace

TEST_F(Archive, RoundTripDirectoryAndReads) {
  const auto file = BuildArchive({{"a.img", Img(2, 2, 1)}, {"menu.img", Img(3, 2, 50)}, {"c", {7, 8, 9}}});
  ASSERT_EQ(OpenResourceArchiveBytes("zarn.res", file, buffers[0]), 0);
  EXPECT_EQ(ArchiveCount, 1);
  EXPECT_EQ(ArchiveTable[1].RecordCount, 3);
  EXPECT_EQ(ArchiveTable[1].BaseOffset, 64000);
  // The directory holds the three headers in file order, the file image follows at 64000.
  EXPECT_EQ(std::memcmp(buffers[0].data(), file.data(), 24), 0);
  EXPECT_EQ(buffers[0][72], 0);
  EXPECT_EQ(std::memcmp(buffers[0].data() + 64000, file.data(), file.size()), 0);

  TResourceHandle h;
  ASSERT_EQ(FindResource(h, "menu.img"), 0);
  EXPECT_EQ(h.Archive, 1);
  EXPECT_EQ(h.RecordIndex, 1);
  EXPECT_EQ(h.DataPosition, 24 + 8 + 24);
  EXPECT_EQ(ResourceSize(h), 10);
  EXPECT_EQ(buffers[0][64000 + h.DataPosition + 4], 50);

  // Reads stop at the record's end, however much is asked for.
  std::uint8_t out[64] = {};
  std::uint16_t done = 0;
  ReadResource(h, out, 6, done);
  EXPECT_EQ(done, 6);
  EXPECT_EQ(out[4], 50);
  ReadResource(h, out, 60000, done);
  EXPECT_EQ(done, 4);
  EXPECT_EQ(out[3], 55);
  ReadResource(h, out, 1, done);
  EXPECT_EQ(done, 0);
  ResourceReset(h);
  ReadResource(h, out, 1, done);
  EXPECT_EQ(done, 1);

  // Names match exactly; a miss leaves the handle as it was.
  const TResourceHandle before = h;
  EXPECT_EQ(FindResource(h, "MENU.IMG"), 1);
  EXPECT_EQ(FindResource(h, "menu.im"), 1);
  EXPECT_EQ(h.DataPosition, before.DataPosition);
  EXPECT_EQ(h.Name, "menu.img");

  TArchiveEntry e;
  ASSERT_TRUE(ArchiveEntryAt(1, 2, e));
  EXPECT_EQ(ArchiveEntryName(e), "c");
  EXPECT_FALSE(ArchiveEntryAt(1, 3, e));
  EXPECT_FALSE(ArchiveEntryAt(2, 0, e));
}

TEST_F(Archive, LaterArchivesAreSearchedInOrderAndTheTableHoldsTen) {
  for (int i = 0; i < 10; ++i) {
    const auto file = BuildArchive({{"p" + std::to_string(i), Img(1, 1, static_cast<std::uint8_t>(i))},
                                    {"shared", Img(1, 1, static_cast<std::uint8_t>(100 + i))}});
    ASSERT_EQ(OpenResourceArchiveBytes("r", file, buffers[i]), 0);
  }
  const auto file = BuildArchive({{"x", {1}}});
  EXPECT_EQ(OpenResourceArchiveBytes("r", file, buffers[10]), 1);
  EXPECT_EQ(ArchiveError, 50);
  EXPECT_EQ(ArchiveCount, 10);
  EXPECT_TRUE(buffers[10].empty());
  TResourceHandle h;
  ASSERT_EQ(FindResource(h, "p7"), 0);
  EXPECT_EQ(h.Archive, 8);
  ASSERT_EQ(FindResource(h, "shared"), 0);
  EXPECT_EQ(h.Archive, 1);
}

TEST_F(Archive, HostileHeadersAreRefusedAndChangeNothing) {
  const auto good = BuildArchive({{"a", {1, 2, 3}}, {"b", {4, 5}}});
  ASSERT_EQ(OpenResourceArchiveBytes("good", good, buffers[0]), 0);
  const std::size_t second = 24 + 3;

  struct Case {
    const char* what;
    std::vector<std::uint8_t> file;
    int code;
  };
  std::vector<Case> cases;
  auto with = [&](const char* what, auto change, int code) {
    auto f = good;
    change(f);
    cases.push_back({what, f, code});
  };
  with("magic 0x1977", [&](auto& f) { f[second + 14] = 0x77; }, 51);
  with("name length 13", [&](auto& f) { f[0] = 13; }, 51);
  with("data before its header ends", [&](auto& f) { SetField(f, second + 16, 24); }, 51);
  with("data position backward", [&](auto& f) { SetField(f, second + 16, 0); }, 51);
  with("negative size", [&](auto& f) { SetField(f, 20, -3); }, 51);
  with("size past the end", [&](auto& f) { SetField(f, second + 20, 3); }, 51);
  with("huge position", [&](auto& f) { SetField(f, second + 16, 0x7FFFFFFF); }, 51);
  with("overflowing sum", [&](auto& f) {
    SetField(f, second + 16, 0x7FFFFFF0);
    SetField(f, second + 20, 0x7FFFFFF0);
  }, 51);
  with("trailing bytes too few for a header", [&](auto& f) { f.push_back(0); }, 52);
  with("header cut short", [&](auto& f) { f.resize(second + 10); }, 52);
  cases.push_back({"empty file", {}, 52});
  // More records than the directory holds.
  std::vector<std::uint8_t> many;
  for (int i = 0; i < ArchiveMaxRecords + 1; ++i) {
    const auto h = Header("z", static_cast<std::int32_t>(many.size() + 24), 0);
    many.insert(many.end(), h.begin(), h.end());
  }
  cases.push_back({"2667 records", many, 51});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ArchiveError = 0;
    buffers[1] = {42};
    EXPECT_EQ(OpenResourceArchiveBytes("bad", c.file, buffers[1]), 1);
    EXPECT_EQ(ArchiveError, c.code);
    EXPECT_EQ(ArchiveCount, 1);
    EXPECT_EQ(buffers[1], std::vector<std::uint8_t>{42});
  }
  // Exactly a full directory is fine.
  many.resize(many.size() - 24);
  EXPECT_EQ(OpenResourceArchiveBytes("full", many, buffers[2]), 0);
  EXPECT_EQ(ArchiveTable[2].RecordCount, ArchiveMaxRecords);
}

TEST_F(Archive, FilesOnDiskAndErrorCodes) {
  const auto dir = std::filesystem::temp_directory_path() / ("zarn_archive_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto file = BuildArchive({{"pic.img", Img(4, 3, 10)}});
  std::ofstream((dir / "zarn.res"), std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  const std::string path = (dir / "zarn.res").string();
  EXPECT_EQ(ArchiveBufferSize(path), file.size() / 1000 + 1 + 64);
  ASSERT_EQ(OpenResourceArchive(path, buffers[0]), 0);
  EXPECT_EQ(ArchiveTable[1].Name, "zarn.res");

  EXPECT_EQ(ArchiveBufferSize((dir / "none.res").string()), 0);
  EXPECT_EQ(ArchiveError, 2);
  EXPECT_EQ(OpenResourceArchive((dir / "none.res").string(), buffers[1]), 1);
  EXPECT_EQ(ArchiveError, 2);
  EXPECT_EQ(OpenResourceArchive((dir / "nodir" / "x.res").string(), buffers[1]), 1);
  EXPECT_EQ(ArchiveError, 3);
  EXPECT_EQ(OpenResourceArchive(dir.string(), buffers[1]), 1);
  EXPECT_EQ(ArchiveError, 5);
  EXPECT_EQ(ArchiveCount, 1);
  std::filesystem::remove_all(dir);
}

TEST_F(Archive, PicturesLoadWholeOrNotAtAll) {
  std::vector<std::uint8_t> shortPic = Img(10, 10, 0);
  shortPic.pop_back();
  const auto file = BuildArchive({{"big.img", Img(400, 200, 3)},
                                  {"small.img", Img(2, 3, 20)},
                                  {"short.img", shortPic},
                                  {"tiny.img", {5, 0}}});
  ASSERT_EQ(OpenResourceArchiveBytes("zarn.res", file, buffers[0]), 0);

  // Larger than the screen: the buffer grows to hold it.
  ASSERT_TRUE(LoadPicture("big.img"));
  EXPECT_EQ(PictureWidth(), 400);
  EXPECT_EQ(PictureHeight(), 200);
  EXPECT_EQ(PictureBuffer.size(), 4u + 400 * 200);
  EXPECT_EQ(PictureBuffer.back(), static_cast<std::uint8_t>(3 + 400 * 200 - 1));

  // After a good picture, a missing or damaged one is empty, not the old one again.
  for (const char* bad : {"nothing.img", "short.img", "tiny.img"}) {
    ASSERT_TRUE(LoadPicture("small.img"));
    EXPECT_EQ(PictureWidth(), 2);
    EXPECT_FALSE(LoadPicture(bad)) << bad;
    EXPECT_EQ(PictureWidth(), 0);
    EXPECT_EQ(PictureHeight(), 0);
    BackBuffer.fill(9);
    BlitPicture(0, 0);
    EXPECT_EQ(std::count(BackBuffer.begin(), BackBuffer.end(), 9), 64000);
  }
}

TEST(Cursor, MasksTypesAndPictureCursors) {
  ResetClipRect();
  BackBuffer.fill(0);
  MouseX = 100;
  MouseY = 100;
  SetCursorColor(15);
  SelectCursor(1);
  DrawMouseCursor();
  // Type 1: row 6 (F5E0) drawn at y - 5 + 5, columns 0..3 from x - 5.
  EXPECT_EQ(BackBuffer[100 * 320 + 95], 15);
  EXPECT_EQ(BackBuffer[100 * 320 + 99], 0);  // bit 11 of F5E0 is clear
  EXPECT_EQ(BackBuffer[95 * 320 + 100], 15);

  // Type 9 keeps the old mask but draws nothing.
  BackBuffer.fill(0);
  SelectCursor(9);
  EXPECT_EQ(CursorMask, CursorMasks[1]);
  DrawMouseCursor();
  EXPECT_EQ(std::count(BackBuffer.begin(), BackBuffer.end(), 0), 64000);

  // The mask at the screen's corner is clipped.
  BackBuffer.fill(0);
  SelectCursor(2);
  DrawCursorMask(312, 192);
  EXPECT_EQ(BackBuffer[192 * 320 + 312], 15);

  // A picture cursor in colour 200 draws a 16 x 16 frame with side 2's colours; another colour
  // falls back to the mask.
  std::vector<std::uint8_t> frame(256, 4);
  ASSERT_TRUE(PutSheetFrames(TileSheet16.Ref(), 262, 1, frame));
  TAnimCounter c{};
  TickCount = 0;
  AnimCounterInit(c, 5, 260, 2);
  c.CurrentFrame = 3;
  BackBuffer.fill(0);
  SetCursorColor(200);
  DrawPictureCursor(c, 10, 10);
  EXPECT_EQ(BackBuffer[10 * 320 + 10], 4 + 197);
  SetCursorColor(16);
  SelectCursor(0);
  BackBuffer.fill(0);
  DrawPictureCursor(c, 10, 10);
  EXPECT_EQ(BackBuffer[10 * 320 + 10], 16);  // mask 0 has its top-left bit set
  ResetCursorState();
  EXPECT_EQ(CursorRecord.Type, 1);
}

// Each mask row for row, and where each mask type is drawn against the pointer.
TEST(Cursor, EightMasksAndTheirHotSpots) {
  const std::array<std::array<std::uint16_t, 16>, 8> masks = {{
      {0xC000, 0xA000, 0x9000, 0x8800, 0x8000, 0x0200, 0x8100, 0x8F80, 0xA000, 0xC000, 0x8000},
      {0x0400, 0x0400, 0x0400, 0x0400, 0x0000, 0xF5E0, 0x0000, 0x0400, 0x0400, 0x0400, 0x0400},
      {0xFC3F, 0x8001, 0x8001, 0x8001, 0x8001, 0x8001, 0, 0, 0, 0, 0x8001, 0x8001, 0x8001, 0x8001,
       0x8001, 0xFC3F},
      {0x9009, 0x500A, 0x300C, 0xF00F, 0, 0, 0, 0, 0, 0, 0, 0, 0xF00F, 0x300C, 0x500A, 0x9009},
      {0x0500, 0x0D00, 0x1500, 0x2500, 0x4500, 0x8500, 0x4500, 0x2500, 0x1500, 0x0D00, 0x0500},
      {0xA000, 0xB000, 0xA800, 0xA400, 0xA200, 0xA100, 0xA200, 0xA400, 0xA800, 0xB000, 0xA000},
      {0x0400, 0x0A00, 0x1100, 0x2080, 0x4040, 0xFFE0, 0x0000, 0xFFE0},
      {0xFFE0, 0x0000, 0xFFE0, 0x4040, 0x2080, 0x1100, 0x0A00, 0x0400},
  }};
  // Types 2 and 3 (and 0) are picture cursors; the others draw their mask off the pointer.
  const struct {
    std::uint8_t type;
    int dx, dy;
  } spots[] = {{1, -5, -5}, {4, 0, -5}, {5, -7, -5}, {6, -5, 0}, {7, -5, -7}};
  ResetClipRect();
  SetCursorColor(15);
  for (std::uint8_t type = 0; type < 8; ++type) {
    SelectCursor(type);
    EXPECT_EQ(CursorMask, masks[type]) << "type " << int{type};
  }
  MouseX = 100;
  MouseY = 60;
  for (const auto& s : spots) {
    SCOPED_TRACE("type " + std::to_string(s.type));
    SelectCursor(s.type);
    BackBuffer.fill(0);
    DrawMouseCursor();
    const auto drawn = BackBuffer;
    BackBuffer.fill(0);
    for (int row = 0; row < 16; ++row)
      for (int col = 0; col < 16; ++col)
        if (masks[s.type][static_cast<std::size_t>(row)] & (0x8000u >> col))
          BackBuffer[static_cast<std::size_t>((60 + s.dy + row) * 320 + 100 + s.dx + col)] = 15;
    EXPECT_TRUE(drawn == BackBuffer);
  }
  ResetCursorState();
}

TEST(AnimCounter, CyclesAtMostOncePerPeriod) {
  TAnimCounter c{};
  TickCount = 100;
  AnimCounterInit(c, 4, 260, 3);
  EXPECT_EQ(c.CurrentFrame, 1);
  EXPECT_EQ(c.NextStep, 103);
  std::vector<int> seen;
  for (int t = 100; t <= 115; ++t) {
    TickCount = t;
    AnimCounterStep(c);
    seen.push_back(c.CurrentFrame);
  }
  const std::vector<int> expected = {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 1, 1, 1, 2};
  EXPECT_EQ(seen, expected);
  TickCount = 0;
}
