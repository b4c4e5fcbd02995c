#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "game/base/dvga.h"
#include "tests/base/widget_fixture.h"
#include "tests/common/png.h"

using namespace zarn;
using namespace widget_fixture;
namespace fs = std::filesystem;

namespace {

class Widgets : public WidgetTest {
 protected:
  void Type(TEditWidget& e, std::string_view text) {
    for (const char c : text) {
      TypedChar = static_cast<std::uint8_t>(c);
      EditLineChar(e);
    }
  }
  void Key(TEditWidget& e, std::int32_t key) {
    KeyCode = key;
    EditLineKey(e);
  }
};

}  // namespace

TEST_F(Widgets, EditLineTypesUpTo27PrintableCharactersAtTheCaret) {
  TEditWidget e;
  EditLineCreate(e, 33, 32);
  EXPECT_EQ(e.Caret, 1);
  Key(e, KeyBackspace);  // nothing before the caret
  EXPECT_EQ(e.Text, "");
  EXPECT_EQ(e.Caret, 1);

  Type(e, "abc\b\r\x1b\t\x01" "d");  // control characters are not text
  EXPECT_EQ(e.Text, "abcd");
  EXPECT_EQ(e.Caret, 5);
  Key(e, KeyLeft);
  Key(e, KeyLeft);
  Type(e, "X");
  EXPECT_EQ(e.Text, "abXcd");
  EXPECT_EQ(e.Caret, 4);
  Key(e, KeyDelete);
  EXPECT_EQ(e.Text, "abXd");
  Key(e, KeyBackspace);
  EXPECT_EQ(e.Text, "abd");
  EXPECT_EQ(e.Caret, 3);
  for (int i = 0; i < 5; ++i) Key(e, KeyLeft);
  EXPECT_EQ(e.Caret, 1);
  for (int i = 0; i < 9; ++i) Key(e, KeyRight);
  EXPECT_EQ(e.Caret, 4);
  Key(e, KeyDelete);  // at the end: nothing
  EXPECT_EQ(e.Text, "abd");
  Key(e, 13);
  EXPECT_EQ(KeyCode, 13);  // left for the screen

  Type(e, std::string(30, 'z'));
  EXPECT_EQ(e.Text.size(), 27u);
  EXPECT_EQ(e.Caret, 28);
  Type(e, "q");
  EXPECT_EQ(e.Text.size(), 27u);

  // A name taken from a list stays whole; typing into it adds nothing past 27.
  const std::string longName(40, 'n');
  EditLineSetText(e, longName);
  EXPECT_EQ(e.Text, longName);
  EXPECT_EQ(e.Caret, 41);
  Type(e, "x");
  EXPECT_EQ(e.Text, longName);
  Key(e, KeyBackspace);
  EXPECT_EQ(e.Text.size(), 39u);

  // Without the focus neither keys nor characters reach it.
  EditLineMouseDown(e, 10, 10);
  EXPECT_EQ(e.Focus, 0);
  KeyCode = KeyBackspace;
  EditLineKey(e);
  EXPECT_EQ(KeyCode, KeyBackspace);
  Type(e, "y");
  EXPECT_EQ(e.Text.size(), 39u);
  EditLineMouseDown(e, 40, 40);
  EXPECT_EQ(e.Focus, 1);
}

TEST_F(Widgets, CheckBoxesToggleTheirSetting) {
  bool value = false;
  TCheckWidget c;
  CheckBoxCreate(c, 100, 50, 80, &value);
  EXPECT_FALSE(CheckBoxMouseDown(c, 98, 55));   // x - 2 is outside
  EXPECT_FALSE(CheckBoxMouseDown(c, 180, 55));  // x + width too
  EXPECT_FALSE(CheckBoxMouseDown(c, 120, 65));
  EXPECT_FALSE(value);
  EXPECT_TRUE(CheckBoxMouseDown(c, 99, 50));
  EXPECT_TRUE(value);
  EXPECT_TRUE(CheckBoxMouseDown(c, 179, 64));
  EXPECT_FALSE(value);

  CheckBoxDraw(c);
  EXPECT_EQ(Pixel(100, 50), 21);
  value = true;
  CheckBoxDraw(c);
  EXPECT_EQ(Pixel(100, 50), 20);
}

TEST_F(Widgets, TrackBarThumbFollowsTheClampedValue) {
  std::int32_t value = 50;
  TTrackWidget t;
  TrackBarCreate(t, 60, 100, 0, 100, 10, &value);
  EXPECT_EQ(t.ThumbX, 60 + 90);

  // Left of the thumb steps down, right of thumb + 18 steps up, between does nothing.
  EXPECT_TRUE(TrackBarMouseDown(t, 70, 105));
  EXPECT_EQ(value, 40);
  EXPECT_EQ(t.ThumbX, 60 + 72);
  EXPECT_TRUE(TrackBarMouseDown(t, t.ThumbX + 10, 105));
  EXPECT_EQ(value, 40);
  EXPECT_TRUE(TrackBarMouseDown(t, t.ThumbX + 19, 105));
  EXPECT_EQ(value, 50);
  EXPECT_FALSE(TrackBarMouseDown(t, 60, 105));  // x itself is outside
  for (int i = 0; i < 10; ++i) TrackBarMouseDown(t, 259, 98);
  EXPECT_EQ(value, 100);
  EXPECT_EQ(t.ThumbX, 60 + 180);
  for (int i = 0; i < 12; ++i) TrackBarMouseDown(t, 61, 98);
  EXPECT_EQ(value, 0);

  // A value outside the range draws at the end and steps back inside.
  value = 500;
  TrackBarDraw(t);
  EXPECT_EQ(t.ThumbX, 60 + 180);
  EXPECT_EQ(Pixel(t.ThumbX + 5, 99), 23);
  TrackBarMouseDown(t, 61, 105);
  EXPECT_EQ(value, 100);

  // An empty range never divides; steps cannot overflow.
  std::int32_t one = 3;
  TrackBarCreate(t, 60, 100, 3, 3, 1, &one);
  EXPECT_EQ(t.ThumbX, 60);
  TrackBarMouseDown(t, 250, 105);
  EXPECT_EQ(one, 3);
  std::int32_t big = INT_MAX - 1;
  TrackBarCreate(t, 60, 100, INT_MIN, INT_MAX, INT_MAX, &big);
  TrackBarMouseDown(t, 259, 105);
  EXPECT_EQ(big, INT_MAX);
  big = -5;  // mid-bar; one step down passes INT_MIN
  TrackBarMouseDown(t, 61, 105);
  EXPECT_EQ(big, INT_MIN);
}

TEST_F(Widgets, SideChooserSpacesTheAvailableSides) {
  TSideChooser s;
  SideChooserCreate(s, 33, 142);
  EXPECT_EQ(s.Selected, 0);
  const int gap8 = (244 - 80) / 9;
  EXPECT_EQ(s.Spheres[7].X1, 38 + gap8 + 7 * (10 + gap8));

  SideChooserSet(s, {1, 0, 0, 1, 0, 1, 0, 0});
  EXPECT_EQ(s.Selected, 0);
  const int gap = (244 - 30) / 9;
  ASSERT_EQ(gap, 23);
  const int tx = 33 + 5, ty = 142 + 5;
  EXPECT_EQ(s.Spheres[0].X1, tx + gap);
  EXPECT_EQ(s.Spheres[3].X1, tx + gap + 10 + gap);
  EXPECT_EQ(s.Spheres[5].X1, tx + gap + 2 * (10 + gap));
  EXPECT_EQ(s.Spheres[5].X2, s.Spheres[5].X1 + 9);
  EXPECT_EQ(s.Spheres[5].Y1, ty);
  EXPECT_EQ(s.Spheres[5].Y2, ty + 9);
  EXPECT_FALSE(s.Spheres[1].Shown);

  EXPECT_TRUE(SideChooserMouseDown(s, s.Spheres[3].X1 + 4, ty + 4));
  EXPECT_EQ(s.Selected, 3);
  EXPECT_FALSE(SideChooserMouseDown(s, s.Spheres[3].X2 + 2, ty + 4));  // between spheres
  EXPECT_EQ(s.Selected, 3);

  SideChooserDraw(s);
  EXPECT_EQ(Pixel(s.Spheres[3].X1, ty), 4 + SideColorBase(3));
  EXPECT_EQ(Pixel(s.Spheres[5].X1, ty), 4 + SideColorBase(5));
  EXPECT_EQ(Pixel(s.Spheres[3].X1 - 1, ty - 1), 43);  // the chosen side's frame
  EXPECT_EQ(Pixel(s.Spheres[0].X1 - 1, ty - 1), 22);

  SideChooserSet(s, {0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(s.Selected, NoSide);
  EXPECT_FALSE(SideChooserMouseDown(s, tx + 30, ty + 4));
}

TEST_F(Widgets, ChatTypingMapsTheLayoutAndKeepsTheWireSafe) {
  ChatLine = " ";
  GameOptions.RusChat = true;
  TypeChatChar('q');
  TypeChatChar('Q');
  TypeChatChar('`');
  TypeChatChar('?');
  TypeChatChar('[');  // the key of "х"
  TypeChatChar('1');
  EXPECT_EQ(ChatLine, std::string(" ") + char(Cp1251ToCp866Char(0xE9)) + char(Cp1251ToCp866Char(0xC9)) +
                          char(Cp1251ToCp866Char(0xB8)) + "," + char(Cp1251ToCp866Char(0xF5)) + "1");
  EXPECT_EQ(static_cast<std::uint8_t>(ChatLine[1]), 169);

  GameOptions.RusChat = false;
  ChatLine = " ";
  for (const char c : std::string("a[b]c\n")) TypeChatChar(static_cast<std::uint8_t>(c));
  EXPECT_EQ(ChatLine, " abc");
  for (int i = 0; i < 100; ++i) TypeChatChar('x');
  EXPECT_EQ(ChatLine.size(), static_cast<std::size_t>(ChatMaxChars));
  ChatLine = " ";
}

namespace {

class FileLists : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("zarn_filelist_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    base_ = fs::file_time_type::clock::now() - std::chrono::hours(24);
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Make(const std::string& name, int minutes) {
    std::ofstream(dir_ / name) << "x";
    fs::last_write_time(dir_ / name, base_ + std::chrono::minutes(minutes));
  }
  std::vector<std::string> List(std::string_view ext) {
    ListGameFiles(dir_.string() + "/", ext);
    return FileListBox.Items;
  }
  fs::path dir_;
  fs::file_time_type base_;
};

}  // namespace

TEST_F(FileLists, NewestFirstWithExtensionCutAndOnlyOrdinaryFiles) {
  Make("older.sav", 1);
  Make("newest.SAV", 30);
  Make("middle.sav", 10);
  Make("twin-b.sav", 20);
  Make("twin-a.sav", 20);
  Make("map.map", 40);
  fs::create_directory(dir_ / "folder.sav");
  const std::string longName = "a very long saved game name that is wider than the list";
  Make(longName + ".sav", 5);

  const std::vector<std::string> expect = {"newest", "twin-a", "twin-b", "middle", longName, "older"};
  EXPECT_EQ(List(".sav"), expect);
  EXPECT_EQ(List(".map"), std::vector<std::string>{"map"});
  EXPECT_TRUE(List(".scn").empty());

  // Refilling replaces the list, and a missing folder gives an empty one.
  ListGameFiles((dir_ / "none").string() + "/", ".sav");
  EXPECT_TRUE(FileListBox.Items.empty());
}

TEST_F(FileLists, TheNewest200AreKeptWhateverTheFolderOrder) {
  // Old files first on disk, new ones later: a list cut before sorting would lose the new ones.
  for (int i = 0; i < 230; ++i) Make("f" + std::to_string(i) + ".map", i);
  const auto names = List(".map");
  ASSERT_EQ(names.size(), 200u);
  EXPECT_EQ(names.front(), "f229");
  EXPECT_EQ(names.back(), "f30");
}

TEST_F(FileLists, TheGameFoldersAreRelativeToTheProgramFolder) {
  const fs::path old = fs::current_path();
  fs::create_directories(dir_ / "Save");
  fs::create_directories(dir_ / "maps");
  fs::create_directories(dir_ / "scenes");
  std::ofstream(dir_ / "Save" / "one.sav") << "x";
  std::ofstream(dir_ / "maps" / "two.map") << "x";
  std::ofstream(dir_ / "scenes" / "three.scn") << "x";
  fs::current_path(dir_);
  ListSaveGames();
  EXPECT_EQ(FileListBox.Items, std::vector<std::string>{"one"});
  ListMaps();
  EXPECT_EQ(FileListBox.Items, std::vector<std::string>{"two"});
  ListScenes();
  EXPECT_EQ(FileListBox.Items, std::vector<std::string>{"three"});
  fs::current_path(old);
  ListBoxFree(FileListBox);
}

// The menu widgets drawn from the demo data set, pinned by a hash of the buffer; on a difference
// the picture is written to <build>/golden/widgets.png (ZARN_GOLDEN_WRITE=1 always writes it).
TEST(WidgetsGolden, MenuWidgetsOnTheDemoData) {
  const fs::path game = fs::path(ZARN_BINARY_DIR) / "game";
  const fs::path old = fs::current_path();
  fs::current_path(game);
  CloseAllArchives();
  ResetFonts();
  std::vector<std::uint8_t> archive, font;
  const bool archiveOk = OpenResourceArchive("data\\zarn.res", archive) == 0;
  const bool paletteOk = LoadPaletteSheetFile("data\\army.dat", TileSheet16.Ref(), 1, 79) == 0;
  MainFont = LoadFont("data\\latrus3.fnt", font);
  fs::current_path(old);
  ASSERT_TRUE(archiveOk && paletteOk && MainFont != 0) << "demo data set missing under " << game;

  ResetClipRect();
  ClearScreen();
  TickCount = 0;
  ViewState.LocalSide = 1;
  TListWidget list;
  ListBoxCreate(list, 33, 4, true);
  for (const char* s : {"Первая миссия", "Вторая миссия", "База у скал", "Оазис", "Песчаная буря",
                        "Долгая осада", "Пятнадцать танков", "Ночь", "Утро", "Последний рубеж",
                        "Ещё одна", "И ещё"})
    ListBoxAdd(list, Utf8ToCp1251(s));
  ListBoxToFontCodePage(list);
  list.Selection = 2;
  KeyCode = KeyDown;
  ListBoxKey(list);
  ListBoxDraw(list, list.Rects[ListRectDown].X1 + 2, list.Rects[ListRectDown].Y1 + 2);

  TEditWidget edit;
  EditLineCreate(edit, 33, 116);
  EditLineSetText(edit, ToFontCodePage("Сохранение 1"_cp1251));
  EditLineDraw(edit);
  bool on = true, off = false;
  TCheckWidget c1, c2;
  CheckBoxCreate(c1, 33, 134, 100, &on);
  CheckBoxCreate(c2, 160, 134, 100, &off);
  CheckBoxDraw(c1);
  CheckBoxDraw(c2);
  std::int32_t value = 70;
  TTrackWidget track;
  TrackBarCreate(track, 33, 156, 0, 100, 10, &value);
  TrackBarDraw(track);
  TSideChooser sides;
  SideChooserCreate(sides, 33, 176);
  SideChooserSet(sides, {1, 1, 0, 1, 0, 1, 1, 0});
  SideChooserMouseDown(sides, sides.Spheres[3].X1 + 2, sides.Spheres[3].Y1 + 2);
  SideChooserDraw(sides);

  std::uint64_t got = 1469598103934665603ull;
  for (const std::uint8_t b : BackBuffer) got = (got ^ b) * 1099511628211ull;
  const std::uint64_t want = 0x4451ab9ccf24ab33u;
  const fs::path png = fs::path(ZARN_BINARY_DIR) / "golden" / "widgets.png";
  const char* always = std::getenv("ZARN_GOLDEN_WRITE");
  if (got != want || (always != nullptr && std::string(always) == "1")) {
    std::array<std::uint8_t, 768> pal{};
    for (std::size_t i = 0; i < 768; ++i) pal[i] = static_cast<std::uint8_t>((&GamePalette[0].Red)[i] << 2);
    testpng::Write(png, ScreenWidth, ScreenHeight, BackBuffer, pal);
  }
  EXPECT_EQ(got, want) << "picture differs, see " << png << " (hash 0x" << std::hex << got << ")";

  CloseAllArchives();
  ResetFonts();
  MainFont = 0;
  ViewState.LocalSide = 0;
}
