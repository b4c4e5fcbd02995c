// The installer's widgets as a person uses them: the edit line's caret and keys, the folder
// list walked by keys with its focus shown, and long texts kept inside their places.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/keys.h"
#include "platform/surface.h"
#include "setup/mainunit.h"
#include "setup/ui.h"
#include "tests/setup/setup_fixture.h"

namespace zarn3set {
namespace {

class Widgets : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(UiInit(&error)) << error;
    ASSERT_TRUE(plat::SurfaceCreate(surface, TScreen::kWidth, TScreen::kHeight, plat::PixelFormat::Rgb565));
    page.rect = {20, 20, 560, 300};
  }
  void TearDown() override {
    plat::SurfaceRelease(surface);
    UiShutdown();
  }
  void Paint() {
    FillRect(surface, {0, 0, surface.width, surface.height}, kOutside);
    page.Paint(surface);
  }
  TRGB At(int x, int y) const {
    TRGB c{};
    plat::UnpackColour(surface.format, surface.pixels[static_cast<std::size_t>(y) * surface.width + x], c.r, c.g, c.b);
    return c;
  }
  bool Black(int x, int y) const {
    TRGB c = At(x, y);
    return c.r < 8 && c.g < 8 && c.b < 8;
  }
  // The window rectangle of a widget (under the page's 22-pixel title bar).
  plat::Rect Where(const TWidget* w) const { return {page.rect.x + w->rect.x, page.rect.y + 22 + w->rect.y, w->rect.w, w->rect.h}; }
  // The x of the caret: a black column over the edit line's inner height; -1 when none.
  int CaretX(const TWidget* edit) {
    Paint();
    plat::Rect a = Where(edit);
    for (int x = a.x + 1; x < a.x + a.w - 1; ++x) {
      bool full = true;
      for (int y = a.y + 3; y < a.y + a.h - 3 && full; ++y) full = Black(x, y);
      if (full) return x;
    }
    return -1;
  }
  void Keys(std::initializer_list<int> keys) {
    for (int k : keys) page.KeyDown(k);
  }

  static constexpr TColor kOutside = 0x0000FF00;  // green, which no widget draws
  plat::Surface surface;
  TPage page;
};

TEST_F(Widgets, TheEditLineEditsWhereItsCaretIs) {
  TWidget* edit = page.Add(TWidgetKind::Edit, {10, 10, 300, 24});
  int changes = 0;
  edit->onChange = [&] { ++changes; };
  page.focus = 0;
  page.KeyPress("/игры/zarn");
  EXPECT_EQ(edit->caret, edit->text.size());
  using namespace plat::vk;
  Keys({Home});
  EXPECT_EQ(edit->caret, 0u);
  page.KeyPress("~");
  Keys({Right, Right, Right});  // over "/", "и" (two bytes), "г"
  page.KeyPress("Р");
  EXPECT_EQ(edit->text, "~/игРры/zarn");
  Keys({Left, Left, Left, Delete});  // the "и"
  EXPECT_EQ(edit->text, "~/гРры/zarn");
  Keys({Back});  // the "/"
  EXPECT_EQ(edit->text, "~гРры/zarn");
  Keys({End, Back, Left, Left, Back});
  EXPECT_EQ(edit->text, "~гРры/ar");
  Keys({Home, Back, Left, End, Delete, Right});  // nothing before the start nor after the end
  EXPECT_EQ(edit->text, "~гРры/ar");
  EXPECT_EQ(edit->caret, edit->text.size());
  EXPECT_EQ(changes, 3 + 4);  // one per typing and per deletion; moves change nothing
}

TEST_F(Widgets, TheCaretIsShownAndAClickPlacesIt) {
  TWidget* edit = page.Add(TWidgetKind::Edit, {10, 10, 300, 24});
  page.focus = 0;
  page.KeyPress("/home/someone/Games/ZarnIII");
  plat::Rect a = Where(edit);
  int end = CaretX(edit);
  EXPECT_EQ(end, a.x + 4 + TextWidth(edit->text));
  page.KeyDown(plat::vk::Home);
  EXPECT_EQ(CaretX(edit), a.x + 4);
  page.focus = -1;  // no caret without the focus
  EXPECT_EQ(CaretX(edit), -1);
  // A click between "/home" and "/someone" puts the caret there.
  int x = a.x + 4 + TextWidth("/home") + 1;
  page.MouseDown(x, a.y + 12);
  EXPECT_EQ(page.focus, 0);
  EXPECT_EQ(edit->caret, 5u);
  EXPECT_EQ(CaretX(edit), a.x + 4 + TextWidth("/home"));
}

TEST_F(Widgets, ALongEditLineScrollsToKeepTheCaretInView) {
  TWidget* edit = page.Add(TWidgetKind::Edit, {10, 10, 200, 24});
  page.focus = 0;
  std::string path = "/home/someone";
  for (int i = 0; i < 12; ++i) path += "/папка" + std::to_string(i);
  page.KeyPress(path);
  plat::Rect a = Where(edit);
  int x = CaretX(edit);
  EXPECT_GT(x, a.x + 4);
  EXPECT_LT(x, a.x + a.w - 4);
  page.KeyDown(plat::vk::Home);
  EXPECT_EQ(CaretX(edit), a.x + 4);
  // Nothing drawn past the line's frame.
  for (int y = a.y; y < a.y + a.h; ++y)
    for (int x2 = a.x + a.w; x2 < a.x + a.w + 20; ++x2) ASSERT_FALSE(Black(x2, y)) << x2 << "," << y;
  // Walking right from the start, the caret never leaves the line.
  for (std::size_t i = 0; i < path.size(); ++i) {
    page.KeyDown(plat::vk::Right);
    int c = CaretX(edit);
    ASSERT_GE(c, a.x + 4) << i;
    ASSERT_LT(c, a.x + a.w - 4) << i;
  }
}

TEST_F(Widgets, TheFolderListIsWalkedByKeysAndOpensOnReturn) {
  TWidget* list = page.Add(TWidgetKind::List, {10, 10, 200, 4 + 3 * LineHeight()});  // three rows
  list->items = {"..", "a", "b", "c", "d", "e"};
  std::vector<int> opened;
  list->onClick = [&] { opened.push_back(list->selected); };
  page.focus = 0;
  using namespace plat::vk;
  Keys({Down});  // the first row is selected, not opened: ".." would climb a folder
  EXPECT_EQ(list->selected, 0);
  Keys({Down, Down, Down});
  EXPECT_EQ(list->selected, 3);
  EXPECT_EQ(list->top, 1);  // scrolled to keep it in view
  Keys({Up});
  EXPECT_EQ(list->selected, 2);
  Keys({End});
  EXPECT_EQ(list->selected, 5);
  EXPECT_EQ(list->top, 3);
  Keys({Down, Prior});
  EXPECT_EQ(list->selected, 3);
  Keys({Home});
  EXPECT_EQ(list->selected, 0);
  EXPECT_EQ(list->top, 0);
  Keys({Next});
  EXPECT_EQ(list->selected, 2);
  EXPECT_TRUE(opened.empty());
  Keys({Return});
  EXPECT_EQ(opened, std::vector<int>{2});
}

TEST_F(Widgets, PickingAFolderPutsTheCaretAtTheEndOfTheNewPath) {
  std::filesystem::path root = setup_test::TempDir("zarn3set_ui");
  ASSERT_FALSE(root.empty());
  std::filesystem::create_directories(root / "игры");
  TFolderChooser chooser;
  chooser.Build(page, "folder", "", 100, "Папка:", "ZarnIII");
  chooser.Show(root.string());
  auto focus = [&](const TWidget* w) {
    for (std::size_t i = 0; i < page.widgets.size(); ++i)
      if (page.widgets[i].get() == w) page.focus = static_cast<int>(i);
  };
  focus(chooser.edit);
  page.KeyDown(plat::vk::Home);
  ASSERT_EQ(chooser.edit->caret, 0u);
  focus(chooser.list);  // "..", then "игры"
  Keys({plat::vk::Down, plat::vk::Down, plat::vk::Return});
  EXPECT_EQ(chooser.edit->text, (root / "игры").string() + "/ZarnIII");
  EXPECT_EQ(chooser.edit->caret, chooser.edit->text.size());
  std::filesystem::remove_all(root);
}

TEST_F(Widgets, TheFocusedListFramesItsRowInDots) {
  TWidget* list = page.Add(TWidgetKind::List, {10, 10, 200, 100});
  list->items = {"..", "a", "b"};
  page.Add(TWidgetKind::Button, {10, 200, 90, 28}, "OK");
  plat::Rect a = Where(list);
  auto dotted = [&](int row) {
    Paint();
    int y = a.y + 2 + row * LineHeight();
    // Dots along the top of the row, every other pixel, on white or on the selection.
    int dots = 0;
    for (int x = a.x + 2; x < a.x + a.w - 2; ++x) {
      TRGB c = At(x, y);
      dots += std::abs(c.r - 0x40) < 6 && std::abs(c.g - 0x40) < 6 && std::abs(c.b - 0x40) < 6 ? 1 : 0;
    }
    return dots > (a.w - 4) / 2 - 2;
  };
  page.focus = 1;
  EXPECT_FALSE(dotted(0));
  page.KeyDown(plat::vk::Tab);  // to the list
  ASSERT_EQ(page.focus, 0);
  EXPECT_TRUE(dotted(0));  // nothing selected yet: the first row has the focus
  page.KeyDown(plat::vk::Down);
  page.KeyDown(plat::vk::Down);
  EXPECT_FALSE(dotted(0));
  EXPECT_TRUE(dotted(1));
}

TEST(LongTexts, ElideInTheMiddleAndBreakLongWords) {
  std::string error;
  ASSERT_TRUE(UiInit(&error)) << error;
  std::string path = "/home/someone/Игры";
  for (int i = 0; i < 20; ++i) path += "/очень_длинная_папка_" + std::to_string(i);
  path += "/data/zarn.res";
  std::string e = ElideMiddle(path, 300);
  EXPECT_LE(TextWidth(e), 300);
  EXPECT_GT(TextWidth(e), 300 - 2 * TextWidth("Ш"));  // the room is used
  EXPECT_EQ(e.rfind("/home/", 0), 0u);
  EXPECT_EQ(e.substr(e.size() - 14), "/data/zarn.res");
  EXPECT_NE(e.find("…"), std::string::npos);
  EXPECT_EQ(ElideMiddle("zarn.res", 300), "zarn.res");
  // Wrapped: at the blank, then the path broken where it must; nothing lost.
  std::vector<std::string> lines = WrapLines("Нет места: " + path, 300);
  ASSERT_GT(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Нет места:");
  std::string joined;
  for (const std::string& l : lines) {
    EXPECT_LE(TextWidth(l), 300) << l;
    joined += l;
  }
  EXPECT_EQ(joined, "Нет места:" + path);
  UiShutdown();
}

// The progress window's file line with an install path far wider than the window: one line,
// its middle elided, the file's name at its end, nothing drawn outside it. With
// ZARN3SET_PROGRESS_TEXT given, that text is drawn and its line written as a PPM picture to
// ZARN3SET_PROGRESS_PPM, for the check of the real program to compare with.
TEST_F(Widgets, TheProgressFileLineKeepsTheNameOfALongPathInView) {
  std::string line = "  /home/someone/Игры";
  for (int i = 0; i < 10; ++i) line += "/очень длинная папка " + std::to_string(i);
  line += "/Zarn III/data/zarn.res";
  const char* given = std::getenv("ZARN3SET_PROGRESS_TEXT");
  if (given && *given) line = given;
  TProgressForm f;
  f.SetText(line);
  f.SetPPos(40);
  page = std::move(f.page);
  Paint();
  plat::Rect label = Where(page.widgets[0].get()), bar = Where(page.widgets[1].get());
  auto inked = [&](plat::Rect r) {
    for (int y = r.y; y < r.y + r.h; ++y)
      for (int x = r.x; x < r.x + r.w; ++x) {
        TRGB c = At(x, y);
        if (c.r < 150 && c.g < 150 && c.b < 150) return true;
      }
    return false;
  };
  EXPECT_TRUE(inked({label.x, label.y, label.w, LineHeight()}));
  // Nothing under the first line, down to the bar, nor right of the line's place.
  EXPECT_FALSE(inked({label.x, label.y + label.h, label.w, bar.y - label.y - label.h}));
  EXPECT_FALSE(inked({label.x + label.w, label.y, page.rect.x + page.rect.w - 4 - label.x - label.w, label.h}));
  // The line ends with the file's name: its last pixels are the name's own, drawn alone.
  std::string name = line.substr(line.rfind('/') + 1);
  int nameWidth = TextWidth(name);
  int right = label.x + label.w - 1;
  while (right > label.x && !inked({right, label.y, 1, LineHeight()})) --right;
  plat::Surface alone;
  ASSERT_TRUE(plat::SurfaceCreate(alone, nameWidth + 8, LineHeight(), plat::PixelFormat::Rgb565));
  FillRect(alone, {0, 0, alone.width, alone.height}, 0x00C8D0D4);
  DrawText(alone, 0, 0, name, 0);
  int aloneRight = alone.width - 1;
  auto aloneInked = [&](int x) {
    for (int y = 0; y < alone.height; ++y) {
      TRGB c{};
      plat::UnpackColour(alone.format, alone.pixels[static_cast<std::size_t>(y) * alone.width + x], c.r, c.g, c.b);
      if (c.r < 150 && c.g < 150 && c.b < 150) return true;
    }
    return false;
  };
  while (aloneRight > 0 && !aloneInked(aloneRight)) --aloneRight;
  int differ = 0;
  for (int dx = 0; dx <= aloneRight - 1; ++dx)
    for (int y = 0; y < LineHeight(); ++y)
      differ += surface.pixels[static_cast<std::size_t>(label.y + y) * surface.width + right - aloneRight + dx] !=
                alone.pixels[static_cast<std::size_t>(y) * alone.width + dx];
  EXPECT_EQ(differ, 0) << "the file's name is not at the end of the line";
  plat::SurfaceRelease(alone);
  if (const char* ppm = std::getenv("ZARN3SET_PROGRESS_PPM"); ppm && *ppm) {
    std::ofstream out(ppm, std::ios::binary);
    out << "P6\n" << label.w << " " << label.h << "\n255\n";
    for (int y = label.y; y < label.y + label.h; ++y)
      for (int x = label.x; x < label.x + label.w; ++x) {
        TRGB c = At(x, y);
        out << static_cast<char>(c.r) << static_cast<char>(c.g) << static_cast<char>(c.b);
      }
  }
}

}  // namespace
}  // namespace zarn3set
