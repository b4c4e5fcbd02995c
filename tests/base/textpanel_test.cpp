#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/base/dvga.h"
#include "tests/base/widget_fixture.h"

using namespace zarn;
using namespace widget_fixture;

namespace {

int g_clicks = 0;
void CountClick() { ++g_clicks; }

class Strips : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    g_clicks = 0;
    PlayClickSoundProc = CountClick;
    PageListCreate(strip, 74, 170);
  }
  // Centres of the strip's parts.
  int LeftX() const { return strip.X + 7; }
  int RightX() const { return strip.X + 167; }
  int MidY() const { return strip.Y + 9; }
  TPageListWidget strip;
};

}  // namespace

TEST_F(Strips, TerrainStripScrollsWithinItsItemsAndClicks) {
  PageListSetMode(strip, 1);
  EXPECT_EQ(strip.Count, 20);
  EXPECT_EQ(strip.Items[0], 149);
  EXPECT_EQ(strip.Items[19], 168);
  EXPECT_EQ(strip.Items[20], PageListEmpty);

  for (int i = 0; i < 15; ++i) EXPECT_TRUE(PageListMouseDown(strip, RightX(), MidY()));
  EXPECT_EQ(strip.First, 11);
  EXPECT_EQ(g_clicks, 15);
  PageListMouseDown(strip, LeftX(), MidY());
  EXPECT_EQ(strip.First, 10);
  EXPECT_TRUE(PageListMouseDown(strip, strip.CaptionX + 40, MidY()));
  EXPECT_EQ(strip.Selected, 12);
  for (int i = 0; i < 12; ++i) PageListMouseDown(strip, LeftX(), MidY());
  EXPECT_EQ(strip.First, 0);
  EXPECT_FALSE(PageListMouseDown(strip, strip.X + 200, MidY()));  // outside

  // The other modes and the 31-item limit.
  PageListSetMode(strip, 4);
  EXPECT_EQ(strip.Count, 9);
  EXPECT_EQ(strip.First, 0);
  EXPECT_EQ(strip.Selected, 0);
  PageListMouseDown(strip, RightX(), MidY());
  EXPECT_EQ(strip.First, 0);  // nine fit
  PageListSetMode(strip, 3);
  EXPECT_EQ(strip.Count, 1);
  EXPECT_EQ(strip.Items[0], 239);
  PageListClear(strip);
  for (int i = 0; i < 40; ++i) PageListAdd(strip, i);
  EXPECT_EQ(strip.Count, PageListCapacity);
}

TEST_F(Strips, AClickOnAnEmptyStripChangesNothing) {
  PageListSetMode(strip, 9);  // no such mode: nothing to show
  EXPECT_EQ(strip.Count, 0);
  const TPageListWidget before = strip;
  EXPECT_FALSE(PageListMouseDown(strip, strip.CaptionX + 40, MidY()));
  EXPECT_FALSE(PageListMouseDown2(strip, strip.CaptionX + 40, MidY()));
  EXPECT_EQ(strip.Selected, before.Selected);
  EXPECT_EQ(g_clicks, 0);
  PageListMouseDown(strip, RightX(), MidY());
  EXPECT_EQ(strip.First, 0);
  PageListDraw(strip);
  PageListDraw2(strip);
}

TEST_F(Strips, ObjectStripSelectsBy29PixelIcons) {
  PageListSetMode2(strip, 0);
  EXPECT_EQ(strip.Count, 16);
  EXPECT_EQ(strip.Items[0], TypePictureIndex(1, 1));
  PageListSetMode2(strip, 1);
  EXPECT_EQ(strip.Count, 18);
  EXPECT_EQ(strip.Items[17], TypePictureIndex(34, 1));
  PageListSetMode2(strip, 2);
  EXPECT_EQ(strip.Count, 1);
  EXPECT_EQ(strip.Items[0], 14);

  PageListSetMode2(strip, 0);
  for (int i = 0; i < 20; ++i) PageListMouseDown2(strip, RightX(), MidY());
  EXPECT_EQ(strip.First, 11);  // 16 - 5
  PageListMouseDown2(strip, strip.CaptionX + 40, MidY());
  EXPECT_EQ(strip.Selected, 12);
  PageListMouseDown2(strip, strip.CaptionX + 144, MidY());
  EXPECT_EQ(strip.Selected, 15);  // never past the last item
}

TEST_F(Strips, StripsDrawTheirVisibleItemsAndFrameTheSelection) {
  const auto saved = std::make_unique<decltype(TileSheet16)>(TileSheet16);
  for (int n = 1; n <= 40; ++n) {
    std::vector<std::uint8_t> tile(256, static_cast<std::uint8_t>(100 + n % 50));
    PutSheetFrames(TileSheet16.Ref(), 130 + n, 1, tile);
  }
  PageListSetMode(strip, 1);
  strip.First = 2;
  strip.Selected = 4;
  PageListDraw(strip);
  const int cx = strip.CaptionX + 1, cy = strip.CaptionY;
  EXPECT_EQ(Pixel(strip.X, strip.Y), 24);
  EXPECT_EQ(Pixel(cx + 5, cy + 5), 100 + (151 - 130) % 50);            // item 2: frame 151
  EXPECT_EQ(Pixel(cx + 16 * 8 + 5, cy + 5), 100 + (159 - 130) % 50);   // the ninth shown
  EXPECT_EQ(Pixel(cx + 16 * 2, cy + 5), 12);                           // the selection's frame
  EXPECT_EQ(Pixel(cx + 16 * 2 + 15, cy + 15), 12);
  EXPECT_EQ(CountColour(12), 60);
  TileSheet16 = *saved;
}

namespace {

class TextPanel : public WidgetTest {
 protected:
  TTextPanelWidget panel;
};

}  // namespace

TEST_F(TextPanel, LinesScrollUpwardInsideTheBox) {
  TextPanelCreate(panel, 160, 10, MainFont);
  TextPanelSetBox(panel, 0, 49, 320, 140);
  EXPECT_EQ(panel.ScrollY, 189);
  panel.Lines = {"ab", std::string(55, 'w'), "cd"};  // the second is 330 pixels wide
  panel.ScrollY = 100;
  TextPanelDraw(panel);
  EXPECT_EQ(panel.ScrollY, 99);
  // "ab" is 12 wide, centred on 160.
  EXPECT_GT(CountColour(43, 154, 100, 165, 107), 0);
  EXPECT_EQ(CountColour(43, 0, 110, 319, 117), 0);  // too wide: never drawn
  EXPECT_GT(CountColour(43, 154, 120, 165, 127), 0);
  EXPECT_EQ(ClipRect.X1, 0);
  EXPECT_EQ(ClipRect.X2, 319);
  EXPECT_EQ(ClipRect.Y2, 199);

  // One step per period of the interface clock.
  TextPanelDraw(panel);
  EXPECT_EQ(panel.ScrollY, 99);
  ++TickCount;
  TextPanelDraw(panel);
  EXPECT_EQ(panel.ScrollY, 98);

  // Clipped to the box: a line half above it shows only its lower rows.
  BackBuffer.fill(0);
  panel.ScrollY = 46;
  TextPanelDraw(panel);
  EXPECT_EQ(CountColour(43, 0, 0, 319, 48), 0);
  EXPECT_GT(CountColour(43, 154, 49, 165, 53), 0);

  // Once all of the text has passed the top it starts again from below.
  panel.ScrollY = -31;
  ++TickCount;
  TextPanelDraw(panel);
  EXPECT_EQ(panel.ScrollY, 265 - 80 - 1);
}

TEST_F(TextPanel, AnEmptyPanelDrawsNothingAndKeepsScrolling) {
  TextPanelCreate(panel, 400, 12, MainFont);
  EXPECT_EQ(panel.CentreX, 160);
  EXPECT_EQ(panel.ScrollY, 200);
  for (int i = 0; i < 250; ++i) {
    TextPanelDraw(panel);
    ++TickCount;
  }
  EXPECT_EQ(CountColour(0), 64000);
  EXPECT_EQ(panel.ScrollY, 265 - 96 - 49);

  panel.Lines = {std::string("Ёж"_cp1251)};
  TextPanelToFontCodePage(panel);
  EXPECT_EQ(panel.Lines[0], std::string("\xF0\xA6"));
  TextPanelFree(panel);
  EXPECT_TRUE(panel.Lines.empty());
}
