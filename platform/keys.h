// Keyboard and joystick state. Keys use the virtual-key numbers the game's code was written
// with (letters are their capital ASCII codes, digits their ASCII codes).
#pragma once

#include <array>
#include <cstdint>

namespace plat {

namespace vk {
constexpr int LButton = 1, RButton = 2, Cancel = 3, MButton = 4;
constexpr int Back = 8, Tab = 9, Clear = 12, Return = 13;
constexpr int Shift = 16, Control = 17, Menu = 18, Pause = 19, Capital = 20;
constexpr int Escape = 27, Space = 32, Prior = 33, Next = 34, End = 35, Home = 36;
constexpr int Left = 37, Up = 38, Right = 39, Down = 40;
constexpr int Select = 41, Print = 42, Execute = 43, Snapshot = 44, Insert = 45, Delete = 46;
constexpr int Help = 47;
constexpr int Key0 = 48, Key9 = 57, KeyA = 65, KeyZ = 90;
constexpr int LWin = 91, RWin = 92, Apps = 93;
constexpr int Numpad0 = 96, Numpad9 = 105, Multiply = 106, Add = 107, Separator = 108;
constexpr int Subtract = 109, Decimal = 110, Divide = 111;
constexpr int F1 = 112, F12 = 123, F24 = 135;
constexpr int NumLock = 144, Scroll = 145;
constexpr int LShift = 160, RShift = 161, LControl = 162, RControl = 163, LMenu = 164;
constexpr int RMenu = 165;
constexpr int Oem1 = 186, OemPlus = 187, OemComma = 188, OemMinus = 189, OemPeriod = 190;
constexpr int Oem2 = 191, Oem3 = 192, Oem4 = 219, Oem5 = 220, Oem6 = 221, Oem7 = 222;
constexpr int Oem102 = 226;
}  // namespace vk

// Shift state of a key or mouse event, as the class library's set of flags.
enum ShiftFlag : std::uint8_t {
  kShift = 1, kAlt = 2, kCtrl = 4, kLeft = 8, kRight = 16, kMiddle = 32, kDouble = 64
};
using ShiftState = std::uint8_t;

enum class MouseButton : std::uint8_t { Left, Right, Middle };

// 256 bytes, bit 7 set while the key is down (the generic Shift/Control/Menu too).
using KeyboardState = std::array<std::uint8_t, 256>;
void GetKeyboardState(KeyboardState& out);
bool KeyDown(int virtualKey);
ShiftState CurrentShift();

// A joystick as the polling code sees it: axes scaled to -32768..32767, buttons as bits.
struct JoystickState {
  bool present = false;
  std::int32_t x = 0, y = 0, z = 0;
  std::uint32_t buttons = 0;
  int buttonCount = 0;
};
int JoystickCount();
bool PollJoystick(int index, JoystickState& out);  // false (and not present) when absent

}  // namespace plat
