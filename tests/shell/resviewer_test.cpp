// The archive viewer's window in debug mode: opened by F1 on the main menu, worked by the
// pointer, drawn with the game's list, buttons and fonts; its picture and files.
#include <cstdlib>
#include <fstream>

#include "game/shell/dresurse.h"
#include "tests/shell/shell_fixture.h"

using namespace zarn;

namespace {

class ViewerTest : public ShellTest {
 protected:
  void Open() {
    Start({"-debug"});
    ASSERT_EQ(GameScreen, 21);
    ASSERT_NE(Form1, nullptr);
    plat::null::InjectKeyDown(FormId(), plat::vk::F1);
    Pass(2);
    ASSERT_TRUE(Form1->Shown());
    viewer = Form1->Window()->id;
    // The main menu stops drawing, so the last frame shown is the viewer's.
    ScreenProcs[21].Frame = nullptr;
    Form1->Paint();
  }
  // Centre of button 1..6 and of visible list row 0..9, in window coordinates.
  void Button(int n) {
    plat::null::InjectClick(viewer, 60 + (n - 1) % 3 * 100, 133 + (n - 1) / 3 * 14);
    Pass(1);
  }
  void Row(int r) {
    plat::null::InjectClick(viewer, 70, 23 + r * 10);
    Pass(1);
  }
  // The presented window picture at (x, y) as 8-bit components.
  static void Shown(int x, int y, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b) {
    const auto& f = plat::null::LastFrame();
    plat::UnpackColour(f.format, f.pixels[static_cast<std::size_t>(y) * f.width + x], r, g, b);
  }
  // Pixels of the colour in the controls' rectangle.
  static int Count(std::uint8_t colour, int x1, int y1, int x2, int y2) {
    int n = 0;
    for (int y = y1; y <= y2; ++y)
      for (int x = x1; x <= x2; ++x) n += Form1->Controls[static_cast<std::size_t>(y) * 320 + x] == colour;
    return n;
  }
  // With ZARN_SHOTS set to a folder, the window as shown is kept there as a PPM picture.
  static void Keep(const char* name) {
    const char* dir = std::getenv("ZARN_SHOTS");
    if (!dir) return;
    const auto& f = plat::null::LastFrame();
    std::ofstream out(fs::path(dir) / (std::string(name) + ".ppm"), std::ios::binary);
    out << "P6\n" << f.width << " " << f.height << "\n255\n";
    for (std::uint16_t px : f.pixels) {
      std::uint8_t c[3];
      plat::UnpackColour(f.format, px, c[0], c[1], c[2]);
      out.write(reinterpret_cast<const char*>(c), 3);
    }
  }
  int viewer = 0;
};

TEST_F(ViewerTest, F1OpensTheWindowAndThePointerListsLoadsAndDrawsAPicture) {
  Open();
  const auto& f = plat::null::LastFrame();
  ASSERT_EQ(f.form, viewer);
  ASSERT_EQ(f.width, 640);
  ASSERT_EQ(f.height, 200);
  EXPECT_EQ(plat::null::Caption(viewer), "ZARN III [ просмотр упакованного файла ресурсов ]");
  // Before "Read List" the list is empty and "Load" does nothing.
  EXPECT_EQ(Count(ListTextColour, 37, 19, 130, 118) + Count(ListSelectedColour, 37, 19, 130, 118), 0);
  Button(2);
  EXPECT_TRUE(Form1->Edit2.empty());

  Button(1);  // Read List
  const int records = ArchiveTable[1].RecordCount;
  ASSERT_GT(records, 20);
  ASSERT_EQ(static_cast<int>(Form1->Rows.size()), records);
  EXPECT_EQ(Form1->Edit1, std::to_string(records - 1));
  // Ten rows of names and numbers, the first selected.
  EXPECT_GT(Count(ListSelectedColour, 37, 19, 130, 27), 10);
  EXPECT_GT(Count(ListTextColour, 37, 29, 130, 118), 100);
  EXPECT_GT(Count(ListTextColour, 200, 29, 268, 118), 100);  // the Offset and Size columns
  Keep("viewer-list");

  // Scrolling by the down arrow, then picking the third visible row.
  const TListRect down = Form1->ListView.Rects[ListRectDown];
  plat::null::InjectClick(viewer, (down.X1 + down.X2) / 2, (down.Y1 + down.Y2) / 2);
  Pass(1);
  EXPECT_EQ(Form1->ListView.TopIndex, 1);
  Row(2);
  ASSERT_EQ(Form1->ListView.Selection, 3);
  Button(2);  // Load
  EXPECT_EQ(Form1->Edit2, Form1->Rows[3].Name);
  ASSERT_TRUE(Form1->DrawEnabled);
  Button(3);  // Draw
  Keep("viewer-picture");
  ASSERT_TRUE(LoadPicture(Form1->Rows[3].Name));
  const int w = PictureWidth(), h = PictureHeight();
  ASSERT_EQ(Form1->ImageWidth, w);
  ASSERT_EQ(Form1->ImageHeight, h);
  // The right half: the picture 1:1 in palette colours, white beyond it.
  for (int y = 0; y < h; y += 3)
    for (int x = 0; x < w; x += 3) {
      const TPaletteEntry& p = GamePalette[PictureBuffer[4 + static_cast<std::size_t>(y) * w + x]];
      std::uint8_t r, g, b;
      Shown(320 + x, y, r, g, b);
      ASSERT_EQ(r >> 3, (p.Red * 4) >> 3) << x << "," << y;
      ASSERT_EQ(g >> 2, (p.Green * 4) >> 2) << x << "," << y;
      ASSERT_EQ(b >> 3, (p.Blue * 4) >> 3) << x << "," << y;
    }
  std::uint8_t r, g, b;
  Shown(639, 199, r, g, b);
  if (w < 320 || h < 200) {
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 255);
    EXPECT_EQ(b, 255);
  }
}

TEST_F(ViewerTest, SaveButtonsWriteBlockFilesIntoTheImagesFolder) {
  Open();
  fs::create_directories(folder / "images");
  Button(1);
  Row(0);
  Button(4);  // Save
  const std::string name = Form1->Rows[0].Name;
  ASSERT_TRUE(LoadPicture(name));
  const std::string blk = name.substr(0, name.find('.')) + ".blk";
  const fs::path file = folder / "images" / blk;
  ASSERT_TRUE(fs::exists(file)) << file;
  EXPECT_EQ(fs::file_size(file), 768u + 4 + std::uintmax_t(PictureWidth()) * PictureHeight());
  EXPECT_EQ(Form1->Edit3, "images\\" + blk);
  Button(6);  // Save All IMG
  int written = 0;
  for (const auto& e : fs::directory_iterator(folder / "images")) written += e.path().extension() == ".img";
  EXPECT_EQ(written, static_cast<int>(Form1->Rows.size()));
  // The main window's picture is not touched by the viewer's drawing.
  const auto before = BackBuffer;
  Button(1);
  EXPECT_EQ(BackBuffer, before);
}

}  // namespace
