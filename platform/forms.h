// Forms: a top-level window with the class library's events. Mouse positions are in the
// form's logical picture (its client size), whatever size the window really has.
//
// Event order of a left click: OnMouseDown, OnClick, OnMouseUp. A double click adds
// OnDblClick, OnMouseDown (with kDouble), OnMouseUp. Key presses: OnKeyDown, then OnKeyPress
// with the typed character (cp1251), OnKeyUp on release.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/keys.h"
#include "platform/surface.h"

namespace plat {

enum class CloseAction : std::uint8_t { None, Hide, Free };

struct Form {
  int id = 0;
  std::string caption;  // UTF-8
  int clientWidth = 320;
  int clientHeight = 200;
  bool visible = false;
  bool active = false;
  bool fullScreen = false;
  bool everActivated = false;
  bool maximized = false;  // the logical picture follows the window's size

  std::function<void(MouseButton, ShiftState, int x, int y)> OnMouseDown;
  std::function<void(MouseButton, ShiftState, int x, int y)> OnMouseUp;
  std::function<void(ShiftState, int x, int y)> OnMouseMove;
  // The pointer came over the window or left it (a held button may carry moves outside).
  std::function<void()> OnMouseEnter;
  std::function<void()> OnMouseLeave;
  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  std::function<void(int& key, ShiftState)> OnKeyDown;
  std::function<void(int& key, ShiftState)> OnKeyUp;
  std::function<void(std::uint8_t& ch)> OnKeyPress;
  std::function<void()> OnActivate;
  std::function<void()> OnDeactivate;
  std::function<void(bool& canClose)> OnCloseQuery;
  std::function<void(CloseAction& action)> OnClose;  // action starts as Hide (Free: main form)
  std::function<void()> OnResize;

  // Internal state of the event synthesis.
  int pressX = 0, pressY = 0;
  bool clickArmed = false;
  std::uint64_t lastClickMs = 0;
  int lastClickX = -100, lastClickY = -100;
  bool lastClickValid = false;
  int mouseX = 0, mouseY = 0;
  // Over the window as of the last crossing or pointer event; assumed so until told otherwise.
  bool pointerInside = true;
  bool closing = false;
};

// The first form made is the main form: closing it ends the loop (Terminate).
Form* CreateForm(const std::string& caption, int clientWidth, int clientHeight,
                 std::string* error = nullptr);
void DestroyForm(Form* form);
Form* MainForm();
Form* FindForm(int id);
void ShowForm(Form* form);  // the first activation is delivered even if the system sends none
void HideForm(Form* form);
// Asks the form to close as the window's close button does (OnCloseQuery, OnClose).
void CloseForm(Form* form);
void SetCaption(Form* form, const std::string& caption);
// The logical picture size; in a window also the client size of the window.
void SetClientSize(Form* form, int width, int height);
// Full screen is the desktop's own mode with the picture scaled and centred. False (and the
// form stays windowed) with the reason when it cannot be had.
bool SetFullScreen(Form* form, bool on, std::string* error = nullptr);
// Maximised: the window takes the room the desktop gives it, and from then on the logical
// picture is the window's own size, whatever the window system or the user makes it (OnResize
// tells of each change).
void MaximizeForm(Form* form);
void ShowCursor(bool show);
bool CursorShown();
// The desktop's own pointer shapes, for every window of ours.
enum class SystemCursor : std::uint8_t { Arrow, Wait };
void SetSystemCursor(SystemCursor cursor);
SystemCursor CurrentSystemCursor();

// Shows the surface in the form: 1:1 centred when it is smaller than the client area and
// `stretch` is false, else stretched over it. False when the surface is lost or empty.
bool Present(Form* form, const Surface& surface, bool stretch);

enum class MessageKind : std::uint8_t { Information, Warning, Error };
// Modal where a window system exists; always returns (the null back end records it).
void MessageBox(Form* parent, const std::string& title, const std::string& text,
                MessageKind kind = MessageKind::Information);

// Text conversions at the window-system boundary (the game keeps cp1251 in memory).
std::string Cp1251ToUtf8(const std::string& text);
std::string Utf8ToCp1251(const std::string& text);  // characters without a code are dropped

}  // namespace plat
