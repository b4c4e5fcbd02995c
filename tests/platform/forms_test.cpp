#include <algorithm>
#include <string>
#include <vector>

#include "fixture.h"

using namespace plat;

namespace {

// Records every event of a form as text.
struct Recorder {
  std::vector<std::string> log;
  void Attach(Form* f) {
    f->OnMouseDown = [this](MouseButton b, ShiftState s, int x, int y) {
      log.push_back("down" + Name(b) + (s & kDouble ? "2" : "") + " " + Xy(x, y));
    };
    f->OnMouseUp = [this](MouseButton b, ShiftState, int x, int y) {
      log.push_back("up" + Name(b) + " " + Xy(x, y));
    };
    f->OnClick = [this] { log.push_back("click"); };
    f->OnDblClick = [this] { log.push_back("dblclick"); };
    f->OnKeyDown = [this](int& k, ShiftState s) {
      log.push_back("keydown " + std::to_string(k) + (s & kCtrl ? "+ctrl" : ""));
    };
    f->OnKeyUp = [this](int& k, ShiftState) { log.push_back("keyup " + std::to_string(k)); };
    f->OnKeyPress = [this](std::uint8_t& c) { log.push_back("press " + std::to_string(c)); };
    f->OnActivate = [this] { log.push_back("activate"); };
    f->OnDeactivate = [this] { log.push_back("deactivate"); };
  }
  static std::string Name(MouseButton b) {
    return b == MouseButton::Left ? "L" : b == MouseButton::Right ? "R" : "M";
  }
  static std::string Xy(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
  std::vector<std::string> Take() {
    auto out = log;
    log.clear();
    return out;
  }
};

using Log = std::vector<std::string>;

}  // namespace

TEST_F(NullPlatform, FirstActivationArrivesOnceWhetherOrNotTheSystemSendsIt) {
  for (bool sends : {false, true}) {
    null::SetSendsFocusEvents(sends);
    Recorder r;
    Form* f = CreateForm("main", 320, 200);
    r.Attach(f);
    ShowForm(f);
    ProcessMessages();
    ProcessMessages();
    EXPECT_EQ(r.Take(), Log{"activate"}) << "sends focus: " << sends;
    EXPECT_TRUE(AppActive());
    DestroyForm(f);
  }
}

TEST_F(NullPlatform, ClickOrderIsPressClickReleaseAndDoubleClickFollowsTheClassLibrary) {
  Recorder r;
  Form* f = CreateForm("main", 320, 200);
  ShowForm(f);
  ProcessMessages();
  r.Attach(f);
  null::InjectClick(f->id, 10, 20);
  ProcessMessages();
  EXPECT_EQ(r.Take(), (Log{"downL 10,20", "click", "upL 10,20"}));

  null::AdvanceClock(100);
  null::InjectClick(f->id, 11, 20);
  ProcessMessages();
  EXPECT_EQ(r.Take(), (Log{"dblclick", "downL2 11,20", "upL 11,20"}));

  // A third quick press starts a new click.
  null::AdvanceClock(100);
  null::InjectClick(f->id, 11, 20);
  ProcessMessages();
  EXPECT_EQ(r.Take(), (Log{"downL 11,20", "click", "upL 11,20"}));

  null::AdvanceClock(1000);
  null::InjectMouseDown(f->id, MouseButton::Right, 5, 5);
  null::InjectMouseUp(f->id, MouseButton::Right, 5, 5);
  ProcessMessages();
  EXPECT_EQ(r.Take(), (Log{"downR 5,5", "upR 5,5"}));
}

TEST_F(NullPlatform, SlowOrDistantSecondClicksAreSingleClicks) {
  Recorder r;
  Form* f = CreateForm("main", 320, 200);
  ShowForm(f);
  ProcessMessages();
  r.Attach(f);
  null::InjectClick(f->id, 11, 20);
  ProcessMessages();
  null::AdvanceClock(501);
  null::InjectClick(f->id, 11, 20);
  ProcessMessages();
  null::AdvanceClock(10);
  null::InjectClick(f->id, 20, 20);
  ProcessMessages();
  Log log = r.Take();
  EXPECT_EQ(std::count(log.begin(), log.end(), "click"), 3);
  EXPECT_EQ(std::count(log.begin(), log.end(), "dblclick"), 0);
}

TEST_F(NullPlatform, KeysGiveDownPressUpAndTheKeyboardState) {
  Recorder r;
  Form* f = CreateForm("main", 320, 200);
  ShowForm(f);
  ProcessMessages();
  r.Attach(f);
  null::InjectKeyDown(f->id, vk::LControl);
  null::InjectKeyDown(f->id, 'M');
  ProcessMessages();
  EXPECT_TRUE(KeyDown(vk::Control));
  EXPECT_TRUE(KeyDown(vk::LControl));
  EXPECT_TRUE(KeyDown('M'));
  null::InjectKeyUp(f->id, 'M');
  null::InjectKeyUp(f->id, vk::LControl);
  null::InjectKeyDown(f->id, vk::Return);
  null::InjectText(f->id, "\xC0z");  // cp1251 capital A of Cyrillic, then z
  ProcessMessages();
  EXPECT_EQ(r.Take(), (Log{"keydown 17+ctrl", "keydown 77+ctrl", "keyup 77", "keyup 17",
                           "keydown 13", "press 13", "press 192", "press 122"}));
  EXPECT_FALSE(KeyDown(vk::Control));
  EXPECT_TRUE(KeyDown(vk::Return));
  // Losing the focus releases every key, so none sticks.
  null::InjectFocus(f->id, false);
  ProcessMessages();
  EXPECT_EQ(r.Take(), Log{"deactivate"});
  EXPECT_FALSE(KeyDown(vk::Return));
  EXPECT_FALSE(AppActive());
}

TEST_F(NullPlatform, PointerIsMappedBackToTheLogicalPictureInFullScreen) {
  Recorder r;
  Form* f = CreateForm("main", 640, 400);
  ShowForm(f);
  ProcessMessages();
  r.Attach(f);
  int mx = -1, my = -1;
  f->OnMouseMove = [&](ShiftState, int x, int y) {
    mx = x;
    my = y;
  };
  null::InjectMouseMove(f->id, 639, 399);
  ProcessMessages();
  EXPECT_EQ(mx, 639);
  EXPECT_EQ(my, 399);

  null::SetDesktopSize(1280, 1024);
  ASSERT_TRUE(SetFullScreen(f, true));
  // 1280 x 800 picture, 112 rows of border above and below.
  null::InjectMouseMove(f->id, 640, 512);
  ProcessMessages();
  EXPECT_EQ(mx, 320);
  EXPECT_EQ(my, 200);
  null::InjectMouseMove(f->id, 1279, 911);
  ProcessMessages();
  EXPECT_EQ(mx, 639);
  EXPECT_EQ(my, 399);
  null::InjectMouseMove(f->id, 5, 20);  // on the border: clamped
  ProcessMessages();
  EXPECT_EQ(mx, 2);
  EXPECT_EQ(my, 0);
  // A press on the picture released on the border is not a click.
  null::InjectMouseDown(f->id, MouseButton::Left, 100, 500);
  null::InjectMouseUp(f->id, MouseButton::Left, 100, 1000);
  ProcessMessages();
  EXPECT_EQ(r.Take(), (Log{"downL 50,194", "upL 50,399"}));

  ASSERT_TRUE(SetFullScreen(f, false));
  int w, h;
  null::WindowSize(f->id, w, h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 400);
}

TEST_F(NullPlatform, FullScreenThatCannotBeHadLeavesTheFormInAWindow) {
  Form* f = CreateForm("main", 320, 200);
  null::SetFullScreenAvailable(false);
  std::string why;
  EXPECT_FALSE(SetFullScreen(f, true, &why));
  EXPECT_FALSE(why.empty());
  EXPECT_FALSE(f->fullScreen);
  int w, h;
  null::WindowSize(f->id, w, h);
  EXPECT_EQ(w, 320);
}

TEST_F(NullPlatform, ClosingAsksTheFormAndClosingTheMainFormEndsTheLoop) {
  Form* main = CreateForm("main", 320, 200);
  Form* second = CreateForm("second", 100, 100);
  ShowForm(main);
  ShowForm(second);
  ProcessMessages();
  EXPECT_TRUE(second->active);
  EXPECT_FALSE(main->active);
  bool allow = false;
  std::vector<std::string> log;
  main->OnCloseQuery = [&](bool& can) {
    log.push_back("query");
    can = allow;
  };
  main->OnClose = [&](CloseAction& a) {
    log.push_back(a == CloseAction::Free ? "close free" : "close other");
  };
  second->OnClose = [&](CloseAction& a) {
    log.push_back(a == CloseAction::Hide ? "second hide" : "second other");
  };
  null::InjectClose(second->id);
  null::InjectClose(main->id);
  ProcessMessages();
  EXPECT_FALSE(second->visible);
  EXPECT_FALSE(Terminated());
  allow = true;
  null::InjectClose(main->id);
  ProcessMessages();
  EXPECT_TRUE(Terminated());
  EXPECT_EQ(log, (std::vector<std::string>{"second hide", "query", "query", "close free"}));
}

TEST_F(NullPlatform, CaptionCursorAndMessageBoxesReachTheWindowSystem) {
  Form* f = CreateForm("a", 320, 200);
  SetCaption(f, " ZARN III  [Pause]");
  EXPECT_EQ(null::Caption(f->id), " ZARN III  [Pause]");
  ShowCursor(false);
  EXPECT_FALSE(null::CursorVisible());
  MessageBox(f, "Title", "Text", MessageKind::Error);
  ASSERT_EQ(null::MessageBoxes().size(), 1u);
  EXPECT_EQ(null::MessageBoxes()[0].text, "Text");
  EXPECT_EQ(null::MessageBoxes()[0].kind, MessageKind::Error);
}

TEST(PlatformText, Cp1251AndUtf8ConvertBothWays) {
  std::string cp;
  for (int c = 0x20; c < 0x100; ++c)
    if (c != 0x98 && c != 0x7F) cp += static_cast<char>(c);
  std::string utf = Cp1251ToUtf8(cp);
  EXPECT_EQ(Utf8ToCp1251(utf), cp);
  EXPECT_EQ(Cp1251ToUtf8("\xC7\xE0\xF0\xED" " \xA8"), "Зарн Ё");
  // Characters without a code and broken sequences are dropped, never misread.
  EXPECT_EQ(Utf8ToCp1251("a\xE4\xB8\xAD" "b\xC3"), "ab");
  EXPECT_EQ(Utf8ToCp1251("\x80x"), "x");
}
