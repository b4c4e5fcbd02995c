// Keyboard and pointer events of the main window: the game's input state and the clicks routed
// by GameScreen.
#include <algorithm>
#include <string>

#include "game/base/dvga.h"
#include "game/menus/dmenus.h"
#include "game/shell/Main.h"
#include "game/shell/dresurse.h"
#include "game/world/editorrules.h"
#include "game/world/gamestart.h"
#include "game/world/messages.h"

namespace zarn {

namespace {

bool Ctrl(plat::ShiftState s) { return (s & plat::kCtrl) != 0; }
bool Alt(plat::ShiftState s) { return (s & plat::kAlt) != 0; }

int DigitOfChar(std::uint8_t c) { return c >= '0' && c <= '9' ? c - '0' : -1; }

// The list that takes the focus on a left press, by screen.
TListWidget* PressedList(int screen) {
  switch (screen) {
    case 8: case 9: case 10: case 12: case 13: case 22: case 26: case 27: case 30: case 33:
    case 34: case 36:
      return &FileListBox;
    case 31:
      return &CheckList;
    case 39:
      return &TopicList;
    case 40:
      return &ShortList;
    default:
      return nullptr;
  }
}

void DebugKey(TMainForm& form, int key) {
  switch (key) {
    case plat::vk::Return:
      form.FullScreen();
      break;
    case 'G':
      DebugFlags.GodMode = DebugFlags.GodMode ? 0 : 1;
      ShowMessageLine(InFontCodePage(DebugFlags.GodMode ? "God Mode On" : "God Mode Off"));
      break;
    case 'I':
      ShowFrameRate = ShowFrameRate ? 0 : 1;
      break;
    case 'L':
      ShellCalls.OpenDefeat();
      break;
    case 'S':
      DebugFlags.ShadowEnabled = DebugFlags.ShadowEnabled ? 0 : 1;
      ShowMessageLine(InFontCodePage(DebugFlags.ShadowEnabled ? "Shadow Enabled" : "Shadow Disabled"));
      break;
    case 'W':
      ShellCalls.OpenVictory();
      break;
    default:
      break;
  }
}

void ScrollKey(int key) {
  switch (key) {
    case plat::vk::Left: ScrollViewLeft(); break;
    case plat::vk::Up: ScrollViewUp(); break;
    case plat::vk::Right: ScrollViewRight(); break;
    case plat::vk::Down: ScrollViewDown(); break;
    default: break;
  }
}

void PlayScreenKey(int key, plat::ShiftState shift) {
  ScrollKey(key);
  if (Ctrl(shift) && key >= '0' && key <= '9') ShellCalls.StoreGroup(key - '0');
  if (key == plat::vk::OemPlus) GameSpeedUp();
  if (key == plat::vk::OemMinus) GameSpeedDown();
  if (key == plat::vk::Return && NetRole != RoleSingle) {
    ShellCalls.SendChat(GameOptions.PlayerName, ChatLine);
    ChatLine.assign(1, ' ');
  }
  if (Ctrl(shift)) {
    if (key == 'C') CentreViewOnSelection();
    if (key == 'M') ToggleMusic();
    if (key == 'S') ToggleSound();
  }
}

}  // namespace

void TMainForm::FormKeyDown(int& key, plat::ShiftState shift) {
  if (DebugFlags.DebugMode && Alt(shift)) DebugKey(*this, key);
  KeyCode = key;
  if (key == plat::vk::F12 || key == plat::vk::Snapshot) PrintScreen();
  switch (GameScreen) {
    case 0:
      PlayScreenKey(key, shift);
      break;
    case 8: case 26: case 34:
      ListBoxKey(FileListBox);
      EditLineKey(EditBox1);
      break;
    case 9: case 10: case 12: case 13: case 22: case 27: case 30: case 33: case 36:
      ListBoxKey(FileListBox);
      break;
    case 20:
      EditLineKey(EditBox1);
      EditLineKey(EditBox2);
      break;
    case 31:
      ListBoxKey(CheckList);
      break;
    case 39:
      ListBoxKey(TopicList);
      break;
    case 40:
      ListBoxKey(ShortList);
      break;
    case 21:
      if (!DebugFlags.DebugMode) break;
      if (key == plat::vk::F1 && Form1) Form1->Show();
      if (key == plat::vk::F1 + 4) ShellCalls.OpenMapEditorMenu();
      if (key == plat::vk::F1 + 5) {
        PageListCreate(PageList2, 75, 175);
        PageListClear(PageList2);
        PageListSetMode2(PageList2, 0);
        ShellCalls.OpenScenarioEditorMenu();
      }
      break;
    case 24:
      ScrollKey(key);
      if (key == 'E') EditorFillViewGround();
      if (key == 'G') EditorFillViewSand();
      if (key == 'M') EditorFillViewRock();
      if (key == 'S') EditorFillViewOssin();
      break;
    case 29:
      ScrollKey(key);
      break;
    default:
      break;
  }
}

void TMainForm::FormKeyPress(std::uint8_t& key) {
  TypedChar = key;
  switch (GameScreen) {
    case 0:
      if (int g = DigitOfChar(key); g >= 0) ShellCalls.RecallGroup(g);
      if (NetRole != RoleSingle) {
        if (key > 27)
          TypeChatChar(key);
        else if (key == 8 && !ChatLine.empty())
          ChatLine.pop_back();
        if (!ChatLine.empty()) {
          std::string line = GameOptions.PlayerName;
          line.append(": ").append(ChatLine).push_back('_');
          ShowMessageLine2(line);
        }
      }
      break;
    case 8: case 26: case 34:
      EditLineChar(EditBox1);
      break;
    case 20:
      EditLineChar(EditBox1);
      EditLineChar(EditBox2);
      break;
    default:
      break;
  }
}

void TMainForm::DXDrawMouseMove(plat::ShiftState, int x, int y) {
  if (GameOptions.ScreenMode == 1 || GameOptions.ScreenMode == 2) {
    x >>= 1;
    y >>= 1;
  }
  MouseX = std::clamp(x, 0, ScreenWidth - 1);
  MouseY = std::clamp(y, 0, ScreenHeight - 1);
}

void TMainForm::DXDrawMouseDown(plat::MouseButton button, plat::ShiftState shift, int x, int y) {
  // The pointer's position as of the press (a press without a move before it still counts).
  DXDrawMouseMove(shift, x, y);
  if (button == plat::MouseButton::Right) {
    if (GameScreen == 0) {
      if (NetRole == RoleSingle)
        ShellCalls.GameRightClick();
      else
        ShellCalls.NetGameRightClick();
    } else if (GameScreen == 24) {
      RightButtonUp = 0;
    } else if (GameScreen == 29) {
      RightButtonUp = 0;
      ShellCalls.ScenarioEditorClick();
    }
    return;
  }
  if (button != plat::MouseButton::Left) return;
  MouseButtonUp = 0;
  if (TListWidget* list = PressedList(GameScreen)) ListBoxFocus(*list);
}

void TMainForm::DXDrawMouseUp(plat::MouseButton button, plat::ShiftState shift, int x, int y) {
  DXDrawMouseMove(shift, x, y);
  if (button == plat::MouseButton::Left) {
    MouseButtonUp = 1;
    if (TListWidget* list = PressedList(GameScreen)) ListBoxUnfocus(*list);
  } else if (button == plat::MouseButton::Right && (GameScreen == 24 || GameScreen == 29)) {
    RightButtonUp = 1;
  }
}

void TMainForm::DXDrawClick() {
  switch (GameScreen) {
    case 0:
      if (NetRole == RoleSingle)
        ShellCalls.GameClick();
      else
        ShellCalls.NetGameClick();
      break;
    case 24:
      ShellCalls.MapEditorClick();
      break;
    case 29:
      ShellCalls.ScenarioEditorClick();
      break;
    default:
      if (void (*click)() = ScreenProcs[GameScreen].Click) click();
      break;
  }
}

void TMainForm::DXDrawDblClick() {
  if (GameScreen == 0) {
    ShellCalls.GameDoubleClick();
    return;
  }
  if (void (*dbl)() = ScreenProcs[GameScreen].DblClick) dbl();
}

}  // namespace zarn
