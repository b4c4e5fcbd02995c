// Forms and the class library's event order built from the window system's raw events.
#include "platform/forms.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/app.h"
#include "platform/backend.h"

namespace plat {
namespace {

std::vector<std::unique_ptr<Form>> gForms;
int gNextFormId = 1;
int gMainFormId = 0;
int gPendingActivation = 0;  // shown form still waiting for its first activation
bool gAppActive = false;
bool gCursorShown = true;
SystemCursor gCursor = SystemCursor::Arrow;
KeyboardState gKeys{};

constexpr std::uint64_t kDoubleClickMs = 500;
constexpr int kDoubleClickSlop = 2;

void SetKey(int key, bool down) {
  if (key <= 0 || key > 255) return;
  gKeys[key] = down ? 0x80 : 0;
  // The generic modifier is down while either side is.
  auto generic = [](int l, int r, int g) {
    gKeys[g] = ((gKeys[l] | gKeys[r]) & 0x80) ? 0x80 : 0;
  };
  if (key == vk::LShift || key == vk::RShift) generic(vk::LShift, vk::RShift, vk::Shift);
  if (key == vk::LControl || key == vk::RControl)
    generic(vk::LControl, vk::RControl, vk::Control);
  if (key == vk::LMenu || key == vk::RMenu) generic(vk::LMenu, vk::RMenu, vk::Menu);
}

int GenericKey(int key) {
  switch (key) {
    case vk::LShift: case vk::RShift: return vk::Shift;
    case vk::LControl: case vk::RControl: return vk::Control;
    case vk::LMenu: case vk::RMenu: return vk::Menu;
    default: return key;
  }
}

void UpdateAppActive() {
  bool any = false;
  for (auto& f : gForms)
    if (f->active) any = true;
  if (any == gAppActive) return;
  gAppActive = any;
  if (any) {
    if (OnAppActivate) OnAppActivate();
  } else {
    if (OnAppDeactivate) OnAppDeactivate();
  }
}

void Deactivate(Form* f, bool leavingApp = true) {
  if (!f || !f->active) return;
  f->active = false;
  detail::ResetKeyboard();  // keys released while we were away must not stick
  if (f->OnDeactivate) f->OnDeactivate();
  if (leavingApp) UpdateAppActive();
}

void Activate(Form* f) {
  if (!f || f->active || !f->visible) return;
  for (auto& other : gForms)
    if (other.get() != f) Deactivate(other.get(), false);  // focus stays with us
  f->active = true;
  f->everActivated = true;
  if (gPendingActivation == f->id) gPendingActivation = 0;
  // The application activates before its window does.
  bool wasActive = gAppActive;
  gAppActive = true;
  if (!wasActive && OnAppActivate) OnAppActivate();
  if (f->OnActivate) f->OnActivate();
}

// Window coordinates to the logical picture; `inside` tells whether the point is on it.
void MapPointer(Form* f, int wx, int wy, int& lx, int& ly, bool& inside) {
  int ww = f->clientWidth, wh = f->clientHeight;
  if (detail::Current()) detail::Current()->WindowSize(f->id, ww, wh);
  Rect r = FitRect(ww, wh, f->clientWidth, f->clientHeight);
  if (r.w <= 0 || r.h <= 0) {
    lx = ly = 0;
    inside = false;
    return;
  }
  // Floor division so that points left of or above the picture stay outside.
  auto scale = [](int v, int origin, int span, int logical) {
    long long d = static_cast<long long>(v - origin) * logical;
    long long q = d / span;
    if (d < 0 && q * span != d) --q;
    return static_cast<int>(q);
  };
  lx = scale(wx, r.x, r.w, f->clientWidth);
  ly = scale(wy, r.y, r.h, f->clientHeight);
  inside = lx >= 0 && ly >= 0 && lx < f->clientWidth && ly < f->clientHeight;
  lx = std::clamp(lx, 0, f->clientWidth - 1);
  ly = std::clamp(ly, 0, f->clientHeight - 1);
}

// A maximised form's logical picture takes the window's size; true when it changed.
bool FollowWindow(Form* f) {
  int w = f->clientWidth, h = f->clientHeight;
  if (detail::Current()) detail::Current()->WindowSize(f->id, w, h);
  if (w <= 0 || h <= 0 || w > 16384 || h > 16384 || (w == f->clientWidth && h == f->clientHeight))
    return false;
  f->clientWidth = w;
  f->clientHeight = h;
  return true;
}

// Tells the form when the pointer crosses its border. A pointer event at a point outside the
// window counts as leaving it: the window system reports the last move of a pointer on its way
// out, and moves of a held button carried outside, at their own points.
void PointerCrossing(Form* f, bool inside) {
  if (f->pointerInside == inside) return;
  f->pointerInside = inside;
  if (inside) {
    if (f->OnMouseEnter) f->OnMouseEnter();
  } else if (f->OnMouseLeave) {
    f->OnMouseLeave();
  }
}

void PointerAt(Form* f, int wx, int wy) {
  int ww = f->clientWidth, wh = f->clientHeight;
  if (detail::Current()) detail::Current()->WindowSize(f->id, ww, wh);
  PointerCrossing(f, wx >= 0 && wy >= 0 && wx < ww && wy < wh);
}

ShiftState MouseShift() {
  ShiftState s = CurrentShift();
  if (gKeys[vk::LButton] & 0x80) s |= kLeft;
  if (gKeys[vk::RButton] & 0x80) s |= kRight;
  if (gKeys[vk::MButton] & 0x80) s |= kMiddle;
  return s;
}

int ButtonKey(MouseButton b) {
  return b == MouseButton::Left ? vk::LButton : b == MouseButton::Right ? vk::RButton
                                                                         : vk::MButton;
}

void MouseDown(Form* f, const detail::RawEvent& ev) {
  int x, y;
  bool inside;
  MapPointer(f, ev.x, ev.y, x, y, inside);
  PointerAt(f, ev.x, ev.y);
  SetKey(ButtonKey(ev.button), true);
  f = FindForm(ev.window);  // the crossing's handlers may have destroyed the form
  if (!f) return;
  f->mouseX = x;
  f->mouseY = y;
  ShiftState shift = MouseShift();
  if (ev.button == MouseButton::Left) {
    std::uint64_t now = NowMs();
    bool dbl = f->lastClickValid && now - f->lastClickMs <= kDoubleClickMs &&
               std::abs(x - f->lastClickX) <= kDoubleClickSlop &&
               std::abs(y - f->lastClickY) <= kDoubleClickSlop;
    if (dbl) {
      // The second press of a double click: no click on its release; a third press starts
      // a new click.
      f->lastClickValid = false;
      f->clickArmed = false;
      if (f->OnDblClick) f->OnDblClick();
      if (f->OnMouseDown) f->OnMouseDown(ev.button, shift | kDouble, x, y);
      return;
    }
    f->lastClickValid = true;
    f->lastClickMs = now;
    f->lastClickX = x;
    f->lastClickY = y;
    f->clickArmed = true;
  }
  if (f->OnMouseDown) f->OnMouseDown(ev.button, shift, x, y);
}

void MouseUp(Form* f, const detail::RawEvent& ev) {
  int x, y;
  bool inside;
  MapPointer(f, ev.x, ev.y, x, y, inside);
  PointerAt(f, ev.x, ev.y);
  SetKey(ButtonKey(ev.button), false);
  f = FindForm(ev.window);  // the crossing's handlers may have destroyed the form
  if (!f) return;
  f->mouseX = x;
  f->mouseY = y;
  ShiftState shift = MouseShift();
  if (ev.button == MouseButton::Left && f->clickArmed) {
    f->clickArmed = false;
    if (inside && f->OnClick) f->OnClick();
  }
  if (f->OnMouseUp) f->OnMouseUp(ev.button, shift, x, y);
}

void KeyPress(Form* f, std::uint8_t ch) {
  if (f->OnKeyPress) f->OnKeyPress(ch);
}

}  // namespace

namespace detail {

void ResetKeyboard() {
  gKeys.fill(0);
}

void DispatchEvent(const RawEvent& ev) {
  Form* f = FindForm(ev.window);
  if (ev.kind == RawEvent::DeviceReset) {
    LoseAllSurfaces();
    return;
  }
  if (!f) return;
  switch (ev.kind) {
    case RawEvent::MouseMove: {
      int x, y;
      bool inside;
      MapPointer(f, ev.x, ev.y, x, y, inside);
      f->mouseX = x;
      f->mouseY = y;
      PointerAt(f, ev.x, ev.y);
      f = FindForm(ev.window);  // the crossing's handlers may have destroyed the form
      if (!f) break;
      if (f->OnMouseMove) f->OnMouseMove(MouseShift(), x, y);
      break;
    }
    case RawEvent::MouseEnter: PointerCrossing(f, true); break;
    case RawEvent::MouseLeave: PointerCrossing(f, false); break;
    case RawEvent::MouseDown: MouseDown(f, ev); break;
    case RawEvent::MouseUp: MouseUp(f, ev); break;
    case RawEvent::KeyDown: {
      if (ev.key <= 0 || ev.key > 255) break;
      SetKey(ev.key, true);
      int key = GenericKey(ev.key);
      if (f->OnKeyDown) f->OnKeyDown(key, CurrentShift());
      // Keys that type a control character.
      int ch = 0;
      switch (GenericKey(ev.key)) {
        case vk::Back: ch = 8; break;
        case vk::Tab: ch = 9; break;
        case vk::Return: ch = 13; break;
        case vk::Escape: ch = 27; break;
        default: break;
      }
      if (ch && !(CurrentShift() & (kAlt | kCtrl))) KeyPress(f, static_cast<std::uint8_t>(ch));
      break;
    }
    case RawEvent::KeyUp: {
      if (ev.key <= 0 || ev.key > 255) break;
      SetKey(ev.key, false);
      int key = GenericKey(ev.key);
      if (f->OnKeyUp) f->OnKeyUp(key, CurrentShift());
      break;
    }
    case RawEvent::Text:
      for (char c : ev.text) {
        if (!FindForm(ev.window)) break;  // a handler may have destroyed the form
        KeyPress(f, static_cast<std::uint8_t>(c));
      }
      break;
    case RawEvent::FocusGained: Activate(f); break;
    case RawEvent::FocusLost: Deactivate(f); break;
    case RawEvent::CloseRequest: CloseForm(f); break;
    case RawEvent::Resized:
      if (f->maximized) FollowWindow(f);
      if (f->OnResize) f->OnResize();
      break;
    case RawEvent::FullScreenLost:
      f->fullScreen = false;
      if (f->OnResize) f->OnResize();
      break;
    default: break;
  }
}

void DeliverFirstActivations() {
  if (gPendingActivation == 0) return;
  Form* f = FindForm(gPendingActivation);
  gPendingActivation = 0;
  if (f && f->visible && !f->active) Activate(f);
}

void FormsShutdown() {
  while (!gForms.empty()) DestroyForm(gForms.back().get());
  gNextFormId = 1;
  gMainFormId = 0;
  gPendingActivation = 0;
  gAppActive = false;
  gCursorShown = true;
  gCursor = SystemCursor::Arrow;
  gKeys.fill(0);
}

}  // namespace detail

void GetKeyboardState(KeyboardState& out) { out = gKeys; }
bool KeyDown(int virtualKey) {
  return virtualKey > 0 && virtualKey < 256 && (gKeys[virtualKey] & 0x80);
}
ShiftState CurrentShift() {
  ShiftState s = 0;
  if (gKeys[vk::Shift] & 0x80) s |= kShift;
  if (gKeys[vk::Menu] & 0x80) s |= kAlt;
  if (gKeys[vk::Control] & 0x80) s |= kCtrl;
  return s;
}

bool AppActive() { return gAppActive; }

int JoystickCount() { return detail::Current() ? detail::Current()->JoystickCount() : 0; }
bool PollJoystick(int index, JoystickState& out) {
  out = JoystickState{};
  return detail::Current() && detail::Current()->JoystickPoll(index, out);
}

Form* CreateForm(const std::string& caption, int clientWidth, int clientHeight,
                 std::string* error) {
  detail::Backend* b = detail::Current();
  if (!b) {
    if (error) *error = "The platform layer is not started";
    return nullptr;
  }
  if (clientWidth <= 0 || clientHeight <= 0 || clientWidth > 16384 || clientHeight > 16384) {
    if (error) *error = "Bad window size";
    return nullptr;
  }
  auto f = std::make_unique<Form>();
  f->id = gNextFormId++;
  f->caption = caption;
  f->clientWidth = clientWidth;
  f->clientHeight = clientHeight;
  if (!b->WindowCreate(f->id, caption, clientWidth, clientHeight, error)) return nullptr;
  if (gMainFormId == 0) gMainFormId = f->id;
  gForms.push_back(std::move(f));
  return gForms.back().get();
}

void DestroyForm(Form* form) {
  if (!form) return;
  for (auto it = gForms.begin(); it != gForms.end(); ++it) {
    if (it->get() != form) continue;
    if (form->active) {
      form->active = false;
      UpdateAppActive();
    }
    if (detail::Current()) detail::Current()->WindowDestroy(form->id);
    if (gMainFormId == form->id) gMainFormId = 0;
    if (gPendingActivation == form->id) gPendingActivation = 0;
    gForms.erase(it);
    return;
  }
}

Form* MainForm() { return FindForm(gMainFormId); }

Form* FindForm(int id) {
  for (auto& f : gForms)
    if (f->id == id) return f.get();
  return nullptr;
}

void ShowForm(Form* form) {
  if (!form || form->visible) return;
  form->visible = true;
  if (detail::Current()) detail::Current()->WindowShow(form->id, true);
  gPendingActivation = form->id;
}

void HideForm(Form* form) {
  if (!form || !form->visible) return;
  Deactivate(form);
  form->visible = false;
  if (gPendingActivation == form->id) gPendingActivation = 0;
  if (detail::Current()) detail::Current()->WindowShow(form->id, false);
}

void CloseForm(Form* form) {
  if (!form || form->closing) return;
  bool canClose = true;
  if (form->OnCloseQuery) form->OnCloseQuery(canClose);
  if (!canClose) return;
  bool isMain = form->id == gMainFormId;
  CloseAction action = isMain ? CloseAction::Free : CloseAction::Hide;
  form->closing = true;
  if (form->OnClose) form->OnClose(action);
  form->closing = false;
  if (action == CloseAction::None) return;
  HideForm(form);
  // Closing the main form ends the program; the form itself goes at Shutdown.
  if (isMain) Terminate();
}

void SetCaption(Form* form, const std::string& caption) {
  if (!form) return;
  form->caption = caption;
  if (detail::Current()) detail::Current()->WindowCaption(form->id, caption);
}

void SetClientSize(Form* form, int width, int height) {
  if (!form || width <= 0 || height <= 0 || width > 16384 || height > 16384) return;
  if (form->clientWidth == width && form->clientHeight == height) return;
  form->clientWidth = width;
  form->clientHeight = height;
  if (detail::Current()) detail::Current()->WindowResize(form->id, width, height);
  if (form->OnResize) form->OnResize();
}

bool SetFullScreen(Form* form, bool on, std::string* error) {
  if (!form) return false;
  if (form->fullScreen == on) return true;
  detail::Backend* b = detail::Current();
  if (!b) return false;
  if (!b->WindowFullScreen(form->id, on, error)) {
    if (on) b->WindowFullScreen(form->id, false, nullptr);  // stay in a window
    form->fullScreen = false;
    return false;
  }
  form->fullScreen = on;
  return true;
}

void MaximizeForm(Form* form) {
  if (!form) return;
  form->maximized = true;
  if (detail::Current()) detail::Current()->WindowMaximize(form->id);
  if (FollowWindow(form) && form->OnResize) form->OnResize();
}

void ShowCursor(bool show) {
  gCursorShown = show;
  if (detail::Current()) detail::Current()->CursorShow(show);
}
bool CursorShown() { return gCursorShown; }

void SetSystemCursor(SystemCursor cursor) {
  if (cursor == gCursor) return;
  gCursor = cursor;
  if (detail::Current()) detail::Current()->CursorShape(cursor);
}
SystemCursor CurrentSystemCursor() { return gCursor; }

bool Present(Form* form, const Surface& surface, bool stretch) {
  detail::Backend* b = detail::Current();
  if (!form || !b || surface.width <= 0 || surface.height <= 0 || SurfaceIsLost(surface) ||
      surface.pixels.size() != static_cast<std::size_t>(surface.width) * surface.height)
    return false;
  int lw = form->clientWidth, lh = form->clientHeight;
  Rect r{0, 0, lw, lh};
  if (!stretch && (surface.width != lw || surface.height != lh)) {
    r = Rect{(lw - surface.width) / 2, (lh - surface.height) / 2, surface.width,
             surface.height};
  }
  return b->WindowPresent(form->id, surface, r, lw, lh);
}

void MessageBox(Form* parent, const std::string& title, const std::string& text,
                MessageKind kind) {
  if (!detail::Current()) return;
  struct Modal {
    Modal() { detail::EnterModalBox(); }
    ~Modal() { detail::LeaveModalBox(); }
  } modal;
  detail::Current()->ShowMessage(parent ? parent->id : 0, title, text, kind);
}

}  // namespace plat
