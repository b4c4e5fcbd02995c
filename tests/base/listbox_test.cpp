#include <gtest/gtest.h>

#include <string>

#include "game/base/dvga.h"
#include "tests/base/widget_fixture.h"

using namespace zarn;
using namespace widget_fixture;

namespace {

class ListBox : public WidgetTest {
 protected:
  void Fill(TListWidget& rec, int n) {
    for (int i = 0; i < n; ++i) ASSERT_TRUE(ListBoxAdd(rec, "item" + std::to_string(i)));
  }
  void Key(TListWidget& rec, std::int32_t key) {
    KeyCode = key;
    ListBoxKey(rec);
  }
  TListWidget list;
};

}  // namespace

TEST_F(ListBox, KeysScrollTheViewAndPlaceTheThumb) {
  ListBoxCreate(list, 33, 52, true);
  Fill(list, 12);
  EXPECT_EQ(list.NeedsScrollbar, 1);
  const int trackTop = 52 + 12, travel = (52 + 108 - 13) - trackTop - 22;

  for (int i = 0; i < 5; ++i) Key(list, KeyDown);
  EXPECT_EQ(list.TopIndex, 2);  // 12 items, 10 shown
  EXPECT_EQ(list.Rects[ListRectThumb].Y1, trackTop + travel);
  EXPECT_EQ(list.Rects[ListRectThumb].Y2, trackTop + travel + 22);
  Key(list, KeyUp);
  EXPECT_EQ(list.TopIndex, 1);
  EXPECT_EQ(list.Rects[ListRectThumb].Y1, trackTop + travel / 2);
  Key(list, KeyHome);
  EXPECT_EQ(list.TopIndex, 0);
  EXPECT_EQ(list.Rects[ListRectThumb].Y1, trackTop);
  Key(list, KeyEnd);
  EXPECT_EQ(list.TopIndex, 2);
  Key(list, KeyPageUp);
  Key(list, KeyPageDown);
  Key(list, KeyUp);
  EXPECT_EQ(list.TopIndex, 1);
  EXPECT_EQ(KeyCode, NoKey);  // taken

  // Keys move the view, never the selection; other keys wait for the next handler.
  EXPECT_EQ(list.Selection, 0);
  Key(list, 13);
  EXPECT_EQ(KeyCode, 13);
  EXPECT_EQ(list.TopIndex, 1);

  // The short list shows six rows.
  TListWidget shortList;
  ShortListCreate(shortList, 33, 6, false);
  Fill(shortList, 8);
  Key(shortList, KeyEnd);
  EXPECT_EQ(shortList.TopIndex, 2);
  EXPECT_EQ(shortList.Rects[ListRectDown].Y1, 6 + 68 - 12);
}

TEST_F(ListBox, ListsThatFitNeverDivideAndKeepTheThumbAtTheTop) {
  for (const int n : {0, 3, 10}) {
    ListBoxCreate(list, 33, 52, true);
    Fill(list, n);
    if (n > 0) {
      EXPECT_EQ(list.NeedsScrollbar, 0) << n;
    }
    for (const std::int32_t key : {KeyEnd, KeyDown, KeyPageDown, KeyUp, KeyHome}) {
      Key(list, key);
      EXPECT_EQ(list.TopIndex, 0) << n;
      EXPECT_EQ(list.Rects[ListRectThumb].Y1, 52 + 12) << n;
      EXPECT_EQ(list.NeedsScrollbar, 0) << n;
    }
  }
  // Clearing a scrolled list brings it back to the top.
  Fill(list, 20);
  Key(list, KeyEnd);
  ASSERT_EQ(list.TopIndex, 20);
  ListBoxClear(list);
  EXPECT_EQ(list.TopIndex, 0);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Rects[ListRectThumb].Y1, 52 + 12);
}

TEST_F(ListBox, ItemsKeepTheirWholeTextAndAreCutOnlyWhenDrawn) {
  ListBoxCreate(list, 33, 52, false);
  const std::string longName(60, 'W');  // 360 pixels in the test font
  ASSERT_TRUE(ListBoxAdd(list, longName));
  EXPECT_EQ(list.Items[0], longName);
  EXPECT_EQ(FitText(MainFont, 232, longName).size(), 38u);  // 38 x 6 = 228 < 232

  ListBoxDraw(list, 0, 0);
  // The text stops inside the text area: nothing of it over the scroll bar.
  const int textRight = list.TextX + 232;
  EXPECT_GT(CountColour(43, list.TextX, list.TextY, textRight - 1, list.TextY + 7), 0);
  EXPECT_EQ(CountColour(43, textRight, list.TextY, 319, list.TextY + 7), 0);

  ListBoxToFontCodePage(list);
  EXPECT_EQ(list.Items[0], longName);  // plain Latin text is the same in both code pages
  TListWidget rus;
  ListBoxCreate(rus, 0, 0, false);
  ListBoxAdd(rus, "Ёж"_cp1251);
  ListBoxToFontCodePage(rus);
  EXPECT_EQ(rus.Items[0], std::string("\xF0\xA6"));
}

TEST_F(ListBox, PressesSelectRowsScrollAndPage) {
  ListBoxCreate(list, 33, 52, true);
  Fill(list, 3);
  auto row = [&](int r) { return list.TextY + 10 * r + 3; };

  EXPECT_EQ(ListBoxMouseDown(list, list.TextX + 10, row(5)), ListHitRow);  // below the items
  EXPECT_EQ(list.Selection, 0);
  EXPECT_EQ(ListBoxMouseDown(list, list.TextX + 10, row(2)), ListHitRow);
  EXPECT_EQ(list.Selection, 2);
  EXPECT_EQ(ListBoxMouseDown(list, 10, 10), ListHitNone);
  EXPECT_EQ(list.Selection, 2);

  Fill(list, 27);  // 30 items
  ListBoxPress(list);
  EXPECT_EQ(ListBoxMouseDown(list, 33 + 240, 52 + 108 - 5), ListHitScroll);  // down arrow
  EXPECT_EQ(list.TopIndex, 1);
  EXPECT_EQ(list.Pressed, 0);  // a press clears the held state
  EXPECT_EQ(ListBoxMouseDown(list, 33 + 240, 52 + 5), ListHitScroll);  // up arrow
  EXPECT_EQ(list.TopIndex, 0);
  EXPECT_EQ(ListBoxMouseDown(list, 33 + 240, 52 + 90), ListHitScroll);  // track below the thumb
  EXPECT_EQ(list.TopIndex, 10);
  const int thumbTop = list.Rects[ListRectThumb].Y1;
  EXPECT_EQ(ListBoxMouseDown(list, 33 + 240, thumbTop + 5), ListHitScroll);  // on the thumb
  EXPECT_EQ(list.TopIndex, 10);
  EXPECT_EQ(ListBoxMouseDown(list, 33 + 240, thumbTop - 1), ListHitScroll);  // above it
  EXPECT_EQ(list.TopIndex, 0);
  // A row press while scrolled picks the item under the pointer.
  Key(list, KeyEnd);
  EXPECT_EQ(ListBoxMouseDown(list, list.TextX + 50, row(9)), ListHitRow);
  EXPECT_EQ(list.Selection, 29);
}

TEST_F(ListBox, CheckAndColumnListsHandleTheirRows) {
  CheckListCreate(list, 33, 52, true);
  for (int i = 0; i < ListCheckRows; ++i) ASSERT_TRUE(CheckListAdd(list, "kind", i % 2 == 0));
  EXPECT_FALSE(CheckListAdd(list, "one too many", true));  // 40 flags, no more
  EXPECT_EQ(list.Count(), ListCheckRows);
  EXPECT_TRUE(CheckListFlag(list, 0));
  EXPECT_FALSE(CheckListFlag(list, 1));
  EXPECT_FALSE(CheckListFlag(list, 40));

  const int y1 = list.TextY + 10 + 2;
  EXPECT_EQ(ListBoxMouseDown(list, list.TextX + 14, y1), ListHitRow);  // on the tick box
  EXPECT_TRUE(CheckListFlag(list, 1));
  EXPECT_EQ(list.Selection, 1);
  EXPECT_EQ(ListBoxMouseDown(list, list.TextX + 15, y1), ListHitRow);  // on the caption
  EXPECT_TRUE(CheckListFlag(list, 1));
  // The last rows can be ticked too.
  KeyCode = KeyEnd;
  ListBoxKey(list);
  EXPECT_EQ(ListBoxMouseDown(list, list.TextX + 2, list.TextY + 92), ListHitRow);
  EXPECT_TRUE(CheckListFlag(list, 39));

  TListWidget topics;
  ColumnListCreate(topics, 33, 52, true);
  EXPECT_EQ(topics.ColumnSelection, -1);
  for (const char* s : {"[HEADING", "entry", ""}) ListBoxAdd(topics, s);
  EXPECT_EQ(ListBoxMouseDown(topics, topics.TextX + 20, topics.TextY + 2), ListHitRow);
  EXPECT_EQ(topics.ColumnSelection, -1);
  ListBoxMouseDown(topics, topics.TextX + 20, topics.TextY + 12);
  EXPECT_EQ(topics.ColumnSelection, 1);
  ListBoxMouseDown(topics, topics.TextX + 20, topics.TextY + 2);
  EXPECT_EQ(topics.ColumnSelection, 1);

  // Headings in 228 from their second character; entries indented by three spaces, the
  // selected one in 17.
  BackBuffer.fill(0);
  ListBoxDraw(topics, 0, 0);
  EXPECT_GT(CountColour(228, topics.TextX, topics.TextY, topics.TextX + 5, topics.TextY + 7), 0);
  EXPECT_EQ(CountColour(17, topics.TextX, topics.TextY + 10, topics.TextX + 17, topics.TextY + 17), 0);
  EXPECT_GT(CountColour(17, topics.TextX + 18, topics.TextY + 10, topics.TextX + 60, topics.TextY + 17), 0);
}

TEST_F(ListBox, HeldArrowsRepeatEveryTwoTicks) {
  ListBoxCreate(list, 33, 52, false);
  Fill(list, 30);
  const int ax = 33 + 240, downY = 52 + 100;

  ListBoxMouseRepeat(list, ax, downY);
  EXPECT_EQ(list.TopIndex, 0);  // not held
  ListBoxPress(list);
  for (int t = 0; t < 8; ++t) {
    ListBoxMouseRepeat(list, ax, downY);
    ListBoxMouseRepeat(list, ax, downY);  // twice in one tick: once
    ++TickCount;
  }
  EXPECT_EQ(list.TopIndex, 4);
  // Over the text area or outside the box nothing repeats.
  ListBoxMouseRepeat(list, list.TextX + 5, list.TextY + 5);
  TickCount += 2;
  ListBoxMouseRepeat(list, 5, 5);
  TickCount += 2;
  EXPECT_EQ(list.TopIndex, 4);
  ListBoxMouseRepeat(list, ax, 52 + 5);
  EXPECT_EQ(list.TopIndex, 3);
  ListBoxRelease(list);
  TickCount += 2;
  ListBoxMouseRepeat(list, ax, 52 + 5);
  EXPECT_EQ(list.TopIndex, 3);
}

TEST_F(ListBox, DrawingLightsTheArrowUnderThePointerAndTheSelection) {
  ListBoxCreate(list, 33, 52, true);
  Fill(list, 12);
  list.Selection = 1;
  const auto& up = list.Rects[ListRectUp];
  const auto& down = list.Rects[ListRectDown];
  ListBoxDraw(list, up.X1 + 3, up.Y1 + 3);
  // Side 0: 2 -> 170 lit, 172 dark.
  EXPECT_EQ(Pixel(up.X1, up.Y1), 170);
  EXPECT_EQ(Pixel(down.X1, down.Y1), 172);
  EXPECT_EQ(Pixel(33, 52), 2);  // the frame outside the rectangles keeps its colour
  EXPECT_GT(CountColour(17, list.TextX, list.TextY + 10, list.TextX + 231, list.TextY + 17), 0);
  EXPECT_EQ(CountColour(17, list.TextX, list.TextY, list.TextX + 231, list.TextY + 7), 0);
  EXPECT_GT(CountColour(5 + 168, up.X1, list.Rects[ListRectThumb].Y1, up.X2, list.Rects[ListRectThumb].Y2), 0);
  const std::uint64_t plain = HashScreen();

  BackBuffer.fill(0);
  ListBoxDraw(list, down.X1 + 3, down.Y1 + 3);
  EXPECT_EQ(Pixel(up.X1, up.Y1), 172);
  EXPECT_EQ(Pixel(down.X1, down.Y1), 170);
  EXPECT_NE(HashScreen(), plain);

  // The short list draws the top of the picture and its bottom edge, nothing below the box.
  BackBuffer.fill(0);
  TListWidget s;
  ShortListCreate(s, 33, 6, false);
  ListBoxDraw(s, 0, 0);
  EXPECT_EQ(Pixel(33, 6 + 67), 2);
  EXPECT_EQ(Pixel(33, 6 + 68), 0);
  EXPECT_EQ(HashScreen(), 0x1d6020d6e6d8df8bu) << std::hex << HashScreen();
}
