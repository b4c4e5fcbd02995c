// Keyboard, joystick and mouse polling on the null back end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "game/dx/DXInput.h"
#include "platform/app.h"
#include "platform/null/null.h"

using namespace zarn;

namespace {

class Input : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ZARN_PLATFORM", "null", 1);
    std::string why;
    ASSERT_TRUE(plat::Init(&why)) << why;
    form = std::make_unique<TDXForm>("input", 320, 200);
    form->Show();
    plat::ProcessMessages();  // first activation
    id = form->Handle()->id;
  }
  void TearDown() override {
    form.reset();
    plat::null::RemoveJoysticks();
    plat::Shutdown();
  }
  void Key(int vk, bool down) {
    if (down)
      plat::null::InjectKeyDown(id, vk);
    else
      plat::null::InjectKeyUp(id, vk);
    plat::ProcessMessages();
  }

  std::unique_ptr<TDXForm> form;
  int id = 0;
};

TEST_F(Input, KeysSetTheirAssignedStates) {
  for (bool direct : {true, false}) {
    TDXInput input(form.get());
    input.SetUseDirectInput(direct);
    input.Loaded();
    EXPECT_EQ(input.HasDirectInput(), direct);
    Key(plat::vk::Up, true);
    Key('Z', true);
    input.Update();
    EXPECT_EQ(input.States(), DXState(isUp) | DXState(isButton1)) << "direct " << direct;
    EXPECT_TRUE(input.Keyboard().KeyDown(plat::vk::Up));
    Key(plat::vk::Up, false);
    Key(plat::vk::Numpad0 + 6, true);  // the keypad moves too
    input.Update();
    EXPECT_EQ(input.States(), DXState(isRight) | DXState(isButton1));
    Key(plat::vk::Numpad0 + 6, false);
    Key('Z', false);
    input.Update();
    EXPECT_EQ(input.States(), 0u);
  }
}

TEST_F(Input, ActiveOnlyPollsNothingInTheBackground) {
  TDXInput input(form.get());
  input.Loaded();
  Key(plat::vk::Return, true);
  input.Update();
  EXPECT_TRUE(input.Has(isButton2));
  EXPECT_EQ(input.Keyboard().CooperativeLevel(), DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);

  plat::null::InjectFocus(id, false);
  plat::ProcessMessages();
  Key(plat::vk::Return, true);  // typed into another window
  input.Update();
  EXPECT_EQ(input.States(), 0u);
  EXPECT_FALSE(input.Keyboard().KeyDown(plat::vk::Return));

  input.SetActiveOnly(false);  // the game's setting
  EXPECT_EQ(input.Keyboard().CooperativeLevel(), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
  input.Update();
  EXPECT_TRUE(input.Has(isButton2));
}

TEST_F(Input, JoystickMovesAndButtonsAppearScaled) {
  plat::JoystickState stick;
  stick.present = true;
  stick.x = -32767;
  stick.y = 32767;
  stick.buttons = 0b101;
  stick.buttonCount = 4;
  plat::null::InjectJoystick(0, stick);
  TDXInput input(form.get());
  input.SetActiveOnly(false);
  input.Loaded();
  TJoystick& j = input.Joystick();
  ASSERT_TRUE(j.Initialized());
  EXPECT_EQ(j.ButtonCount(), 4);
  EXPECT_EQ(input.States(),
            DXState(isLeft) | DXState(isDown) | DXState(isButton1) | DXState(isButton3));
  EXPECT_EQ(j.X(), -1000);
  EXPECT_EQ(j.Y(), 1000);

  // Inside the dead zone (50 % of the half range) an axis rests at 0.
  stick.x = 16000;
  stick.y = -20000;
  stick.buttons = 0;
  plat::null::InjectJoystick(0, stick);
  input.Update();
  EXPECT_EQ(j.X(), 0);
  // Past the dead zone (16383) the rest of the half range maps onto 0..1000: 3617 of 16384.
  EXPECT_EQ(j.Y(), -220);
  EXPECT_EQ(input.States(), DXState(isUp));
  // Half way through the live part is half the range; the zone's edge is still 0.
  stick.x = 24575;
  stick.y = -16383;
  plat::null::InjectJoystick(0, stick);
  input.Update();
  EXPECT_EQ(j.X(), 500);
  EXPECT_EQ(j.Y(), 0);

  stick.x = 16000;
  plat::null::InjectJoystick(0, stick);
  j.SetDeadZone(0, 0);
  j.SetRange(0, 100);
  input.Update();
  EXPECT_EQ(j.X(), 48);  // 16000 / 32767 of 100
  EXPECT_TRUE(input.Has(isRight));
  j.SetDeadZone(0, 20);  // 6553: (16000 - 6553) / (32767 - 6553) of 100
  input.Update();
  EXPECT_EQ(j.X(), 36);
  j.SetDeadZone(1, 250);
  j.SetRange(1, -5);
  EXPECT_EQ(j.DeadZoneY(), 100);
  EXPECT_EQ(j.RangeY(), 0);

  // A joystick that is not there leaves its states empty; the keyboard still works.
  j.SetID(3);
  EXPECT_FALSE(j.Initialized());
  Key(plat::vk::Left, true);
  input.Update();
  EXPECT_EQ(input.States(), DXState(isLeft));
  j.SetAutoCenter(false);
  EXPECT_EQ(j.CooperativeLevel(), DISCL_EXCLUSIVE | DISCL_FOREGROUND);
}

TEST_F(Input, MouseNeedsDirectInputAndIsUnboundByDefault) {
  TDXInput input(form.get());
  input.SetActiveOnly(false);
  input.Loaded();
  EXPECT_FALSE(input.Mouse().Enabled());
  input.Mouse().SetEnabled(true);
  ASSERT_TRUE(input.Mouse().Initialized());
  input.Update();  // learns where the pointer is
  plat::null::InjectMouseMove(id, 50, 10);
  plat::null::InjectMouseDown(id, plat::MouseButton::Left, 50, 10);
  plat::ProcessMessages();
  input.Update();
  EXPECT_EQ(input.Mouse().X(), 50);
  EXPECT_TRUE(input.Mouse().Button(0));
  EXPECT_EQ(input.Mouse().States(), DXState(isRight) | DXState(isDown) | DXState(isButton1));
  EXPECT_EQ(input.States(), 0u);  // not bound to the merged states
  input.Mouse().BindInputStates = true;
  input.Update();  // no movement since
  EXPECT_EQ(input.States(), DXState(isButton1));

  // Without the input object the mouse cannot start.
  EXPECT_THROW(
      {
        try {
          input.SetUseDirectInput(false);
        } catch (const EDXInputError& e) {
          EXPECT_STREQ(e.what(), SDirectInputMouse);
          throw;
        }
      },
      EDXInputError);
  EXPECT_FALSE(input.Keyboard().Initialized());  // a failed start leaves nothing half made
  EXPECT_THROW(TDXInput(nullptr), EDXInputError);
}

TEST_F(Input, KeyAssignsStoreAndRefuseBadRecords) {
  TDXInput input(form.get());
  TKeyboard& k = input.Keyboard();
  auto bytes = k.AssignsBytes();
  ASSERT_EQ(bytes.size(), 432u);
  EXPECT_EQ(bytes[0], 75);                     // up: K
  EXPECT_EQ(bytes[4], 38);                     // Up arrow
  EXPECT_EQ(bytes[8], 104);                    // keypad 8
  EXPECT_EQ(bytes[(isButton9 * 3) * 4], 113);  // F2

  bytes[0] = 'W';
  ASSERT_TRUE(k.LoadAssigns(bytes));
  EXPECT_EQ(k.KeyAssigns[isUp][0], 'W');
  bytes.pop_back();
  EXPECT_FALSE(k.LoadAssigns(bytes));
  EXPECT_EQ(k.KeyAssigns[isUp][0], 'W');

  // Codes outside the key table are ignored, never read past it.
  k.KeyAssigns[isDown] = {-7, 100000, 256};
  input.SetActiveOnly(false);
  input.Loaded();
  Key('W', true);
  input.Update();
  EXPECT_EQ(input.States(), DXState(isUp));
}

}  // namespace
