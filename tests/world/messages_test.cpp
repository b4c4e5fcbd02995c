#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <type_traits>

#include "game/base/cp1251.h"
#include "game/base/fonts.h"
#include "game/base/globals.h"
#include "game/base/options.h"
#include "game/base/video.h"
#include "game/world/messages.h"

using namespace zarn;

// Line 1 takes font-page text only, line 2 cp1251 only: a double conversion does not compile.
static_assert(!std::is_invocable_v<decltype(ShowMessageLine), std::string_view>);
static_assert(!std::is_invocable_v<decltype(ShowMessageLine), std::string>);
static_assert(!std::is_invocable_v<decltype(ShowMessageLine2), FontText>);

namespace {

class MessageLines : public ::testing::Test {
 protected:
  void SetUp() override {
    GameOptions.MessageEnable = true;
    WorldTickCount = 1000;
    MessageLine.Hidden = 1;
    MessageLine2.Hidden = 1;
  }
  void TearDown() override {
    ResetFonts();
    MainFont = 0;
    BackBuffer.fill(0);
    WorldTickCount = 0;
    GameOptions.MessageEnable = true;
  }

  // An 8 x 8 font whose every glyph is one pixel in its top-left corner.
  void LoadDotFont() {
    std::vector<std::uint8_t> file(2 + FontDataSize(8, 8), 0);
    file[0] = 8;
    file[1] = 8;
    for (int c = 0; c < 256; ++c) file[2 + c * 8] = 0x80;
    ResetFonts();
    MainFont = LoadFontBytes("dot", file, glyphs_);
    ASSERT_NE(MainFont, 0);
  }
  static std::uint8_t Pixel(int x, int y) { return BackBuffer[static_cast<std::size_t>(y * ScreenWidth + x)]; }

  std::vector<std::uint8_t> glyphs_;
};

}  // namespace

TEST_F(MessageLines, ShowingSetsPositionExpiryAndFontText) {
  ShowMessageLine(InFontCodePage("Нет денег"_cp1251));
  EXPECT_EQ(MessageLine.Hidden, 0);
  EXPECT_EQ(std::tuple(MessageLine.X, MessageLine.Y, MessageLine.Expiry), std::tuple(5, 140, 1090));
  EXPECT_EQ(MessageLine.View(), ToFontCodePage("Нет денег"_cp1251));
  // Line 2 converts on its own and keeps the first 40 characters.
  const std::string longText(39, 'a');
  ShowMessageLine2(longText + std::string("Жbcdef"_cp1251));
  EXPECT_EQ(std::tuple(MessageLine2.X, MessageLine2.Y), std::tuple(5, 130));
  EXPECT_EQ(MessageLine2.View(), longText + ToFontCodePage("Ж"_cp1251));
  // Text kept in the font page already is stored as it is.
  ShowMessageLine(AlreadyInFontCodePage(ToFontCodePage("Ёж"_cp1251)));
  EXPECT_EQ(MessageLine.View(), ToFontCodePage("Ёж"_cp1251));

  GameOptions.MessageEnable = false;  // switched off: neither line changes
  const TMessageLine one = MessageLine, two = MessageLine2;
  ShowMessageLine(InFontCodePage("other"));
  ShowMessageLine2("other");
  EXPECT_EQ(0, std::memcmp(&one, &MessageLine, sizeof one));
  EXPECT_EQ(0, std::memcmp(&two, &MessageLine2, sizeof two));
}

TEST_F(MessageLines, DrawnWithShadowUntilExpiryPassesEvenWhilePaused) {
  LoadDotFont();
  BackBuffer.fill(7);
  ShowMessageLine(InFontCodePage("ab"));
  ShowMessageLine2("c");
  for (int frame = 0; frame < 500; ++frame) DrawMessageLine();  // the world paused
  DrawMessageLine2();
  EXPECT_EQ(MessageLine.Hidden, 0);
  EXPECT_EQ(std::tuple(Pixel(5, 140), Pixel(6, 141)), std::tuple(15, 0));  // text over its shadow
  EXPECT_EQ(std::tuple(Pixel(5, 130), Pixel(6, 131)), std::tuple(15, 0));

  WorldTickCount = 1090;  // expiry reached, not passed
  DrawMessageLine();
  EXPECT_EQ(MessageLine.Hidden, 0);
  WorldTickCount = 1091;  // passed: drawn one last time, then hidden
  BackBuffer.fill(7);
  DrawMessageLine();
  EXPECT_EQ(Pixel(5, 140), 15);
  EXPECT_EQ(MessageLine.Hidden, 1);
  BackBuffer.fill(7);
  DrawMessageLine();
  HideMessageLine2();
  DrawMessageLine2();
  EXPECT_EQ(std::tuple(Pixel(5, 140), Pixel(5, 130)), std::tuple(7, 7));
}
