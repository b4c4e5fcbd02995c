// The null back end: no window system. Time is virtual, input is injected by tests, and
// frames, sound and message boxes are kept in memory.
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/app.h"
#include "platform/backend.h"
#include "platform/null/null.h"

namespace plat::null {
namespace {

using detail::RawEvent;

constexpr std::size_t kCaptureLimit = 44100 * 2 * 120;  // two minutes of stereo

struct Window {
  std::string caption;
  int w = 0, h = 0;      // client size in a window
  bool visible = false;
  bool fullScreen = false;
};

struct State {
  std::uint64_t clock = 0;
  std::uint32_t autoAdvance = 0;
  bool jumpToTimers = true;
  int desktopW = 1280, desktopH = 1024;
  bool fullScreenAvailable = true;
  bool sendsFocus = false;
  bool cursor = true;
  SystemCursor cursorShape = SystemCursor::Arrow;
  bool audioAvailable = true;
  bool audioOpen = false;
  std::uint32_t rate = 44100;
  std::uint64_t mixRemainder = 0;  // rate x ms not yet turned into frames
  std::map<int, Window> windows;
  std::deque<RawEvent> events;
  std::map<int, JoystickState> joysticks;
  std::uint64_t frames = 0;
  Frame last;
  std::vector<Box> boxes;
  std::function<void()> boxAnswer;
  std::vector<std::string> audioLog;
  std::vector<std::int16_t> capture;
};

State* gState = nullptr;
State gEmpty;  // answers queries while the back end is not current

State& S() { return gState ? *gState : gEmpty; }

void Push(RawEvent ev) {
  if (gState) gState->events.push_back(std::move(ev));
}

void Mix(std::uint64_t ms) {
  State& s = S();
  if (!s.audioOpen) return;
  s.mixRemainder += ms * s.rate;
  std::uint64_t frames = s.mixRemainder / 1000;
  s.mixRemainder %= 1000;
  while (frames > 0) {
    int chunk = static_cast<int>(frames > 4096 ? 4096 : frames);
    std::vector<std::int16_t> buf(static_cast<std::size_t>(chunk) * 2, 0);
    detail::MixInto(buf.data(), chunk, s.rate);
    if (s.capture.size() < kCaptureLimit) s.capture.insert(s.capture.end(), buf.begin(), buf.end());
    frames -= static_cast<std::uint64_t>(chunk);
  }
}

class NullBackend final : public detail::Backend {
 public:
  NullBackend() { gState = &state_; }
  ~NullBackend() override { gState = nullptr; }

  BackendKind Kind() const override { return BackendKind::Null; }
  const char* Name() const override { return "null"; }
  std::uint64_t NowMs() override { return state_.clock; }
  void SleepMs(std::uint32_t ms) override { AdvanceClock(ms); }

  bool PollEvent(RawEvent& ev) override {
    if (state_.events.empty()) {
      // The loop drains events once per pass: that is where automatic time passes.
      if (state_.autoAdvance) AdvanceClock(state_.autoAdvance);
      return false;
    }
    ev = std::move(state_.events.front());
    state_.events.pop_front();
    return true;
  }

  void WaitEvents(std::uint32_t ms) override {
    if (!state_.jumpToTimers || !state_.events.empty()) return;
    bool any = false;
    std::uint64_t due = detail::NextTimerDue(any);
    if (any && due > state_.clock) AdvanceClock(std::min<std::uint64_t>(due - state_.clock, ms));
  }

  bool WindowCreate(int id, const std::string& caption, int w, int h, std::string*) override {
    state_.windows[id] = Window{caption, w, h, false, false};
    return true;
  }
  void WindowDestroy(int id) override { state_.windows.erase(id); }
  void WindowShow(int id, bool show) override {
    auto it = state_.windows.find(id);
    if (it == state_.windows.end()) return;
    it->second.visible = show;
    if (show && state_.sendsFocus) Push(RawEvent{RawEvent::FocusGained, id});
  }
  void WindowCaption(int id, const std::string& caption) override {
    auto it = state_.windows.find(id);
    if (it != state_.windows.end()) it->second.caption = caption;
  }
  void WindowResize(int id, int w, int h) override {
    auto it = state_.windows.find(id);
    if (it == state_.windows.end()) return;
    it->second.w = w;
    it->second.h = h;
  }
  bool WindowFullScreen(int id, bool on, std::string* error) override {
    auto it = state_.windows.find(id);
    if (it == state_.windows.end()) return false;
    if (on && !state_.fullScreenAvailable) {
      if (error) *error = "Full screen is not available here";
      return false;
    }
    it->second.fullScreen = on;
    return true;
  }
  void WindowSize(int id, int& w, int& h) override {
    auto it = state_.windows.find(id);
    if (it == state_.windows.end()) return;
    if (it->second.fullScreen) {
      w = state_.desktopW;
      h = state_.desktopH;
    } else {
      w = it->second.w;
      h = it->second.h;
    }
  }
  void WindowMaximize(int id) override {
    auto it = state_.windows.find(id);
    if (it == state_.windows.end()) return;
    it->second.w = state_.desktopW;
    it->second.h = state_.desktopH;
  }
  void CursorShow(bool show) override { state_.cursor = show; }
  void CursorShape(SystemCursor cursor) override { state_.cursorShape = cursor; }
  bool WindowPresent(int id, const Surface& s, Rect logical, int lw, int lh) override {
    int ww = lw, wh = lh;
    WindowSize(id, ww, wh);
    Frame& f = state_.last;
    f.form = id;
    f.width = s.width;
    f.height = s.height;
    f.format = s.format;
    f.pixels = s.pixels;
    f.logical = logical;
    f.window = FitRect(ww, wh, lw, lh);
    ++state_.frames;
    return true;
  }
  void ShowMessage(int, const std::string& title, const std::string& text,
                   MessageKind kind) override {
    state_.boxes.push_back(Box{title, text, kind});
    if (state_.boxAnswer) state_.boxAnswer();
  }

  bool AudioOpen(std::uint32_t& rate, std::string* error) override {
    if (!state_.audioAvailable) {
      if (error) *error = "No sound device";
      return false;
    }
    state_.audioOpen = true;
    rate = state_.rate;
    return true;
  }
  void AudioClose() override { state_.audioOpen = false; }
  void AudioLog(const std::string& line) override { state_.audioLog.push_back(line); }
  bool MusicPlay(const std::string& path, std::string* error) override {
    // Only what a player could open: a readable standard MIDI file.
    std::ifstream in(path, std::ios::binary);
    char head[4] = {};
    if (!in.read(head, 4) || std::string(head, 4) != "MThd") {
      if (error) *error = "Cannot open music " + path;
      return false;
    }
    return true;
  }
  void MusicStop() override {}
  void MusicPause() override {}
  void MusicResume() override {}
  void MusicVolume(int) override {}

  int JoystickCount() override { return static_cast<int>(state_.joysticks.size()); }
  bool JoystickPoll(int index, JoystickState& out) override {
    auto it = state_.joysticks.find(index);
    if (it == state_.joysticks.end()) {
      out = JoystickState{};
      return false;
    }
    out = it->second;
    out.present = true;
    return true;
  }

 private:
  State state_;
};

}  // namespace

bool Active() { return gState != nullptr; }

void AdvanceClock(std::uint64_t ms) {
  if (!gState) return;
  Mix(ms);
  gState->clock += ms;
}
void SetAutoAdvance(std::uint32_t msPerPass) { S().autoAdvance = msPerPass; }
void SetJumpToTimers(bool on) { S().jumpToTimers = on; }
void SetDesktopSize(int w, int h) {
  if (w > 0 && h > 0) {
    S().desktopW = w;
    S().desktopH = h;
  }
}
void SetFullScreenAvailable(bool available) { S().fullScreenAvailable = available; }
void SetSendsFocusEvents(bool sends) { S().sendsFocus = sends; }

void InjectMouseMove(int form, int x, int y) {
  RawEvent ev{RawEvent::MouseMove, form, x, y};
  Push(ev);
}
void InjectMouseDown(int form, MouseButton b, int x, int y) {
  RawEvent ev{RawEvent::MouseDown, form, x, y, b};
  Push(ev);
}
void InjectMouseUp(int form, MouseButton b, int x, int y) {
  RawEvent ev{RawEvent::MouseUp, form, x, y, b};
  Push(ev);
}
void InjectClick(int form, int x, int y) {
  InjectMouseDown(form, MouseButton::Left, x, y);
  InjectMouseUp(form, MouseButton::Left, x, y);
}
void InjectKeyDown(int form, int key, bool repeat) {
  RawEvent ev{RawEvent::KeyDown, form};
  ev.key = key;
  ev.repeat = repeat;
  Push(ev);
}
void InjectKeyUp(int form, int key) {
  RawEvent ev{RawEvent::KeyUp, form};
  ev.key = key;
  Push(ev);
}
void InjectText(int form, const std::string& cp1251) {
  RawEvent ev{RawEvent::Text, form};
  ev.text = cp1251;
  Push(ev);
}
void InjectFocus(int form, bool gained) {
  Push(RawEvent{gained ? RawEvent::FocusGained : RawEvent::FocusLost, form});
}
void InjectMouseEnter(int form) { Push(RawEvent{RawEvent::MouseEnter, form}); }
void InjectMouseLeave(int form) { Push(RawEvent{RawEvent::MouseLeave, form}); }
void InjectClose(int form) { Push(RawEvent{RawEvent::CloseRequest, form}); }
void InjectResize(int form, int w, int h) {
  if (!gState || w <= 0 || h <= 0) return;
  auto it = gState->windows.find(form);
  if (it == gState->windows.end()) return;
  it->second.w = w;
  it->second.h = h;
  Push(RawEvent{RawEvent::Resized, form});
}
void InjectDeviceReset(int form) { Push(RawEvent{RawEvent::DeviceReset, form}); }
void InjectJoystick(int index, const JoystickState& state) { S().joysticks[index] = state; }
void RemoveJoysticks() { S().joysticks.clear(); }

std::uint64_t FrameCount() { return S().frames; }
const Frame& LastFrame() { return S().last; }
void LoseSurface(Surface& s) { s.epoch = 0; }

const std::vector<Box>& MessageBoxes() { return S().boxes; }
void ClearMessageBoxes() { S().boxes.clear(); }
void SetMessageBoxAnswer(std::function<void()> answer) { S().boxAnswer = std::move(answer); }
const std::vector<std::string>& AudioLog() { return S().audioLog; }
void ClearAudioLog() { S().audioLog.clear(); }
const std::vector<std::int16_t>& AudioCapture() { return S().capture; }
void ClearAudioCapture() { S().capture.clear(); }
void FinishMusic() { detail::MarkMusicFinished(); }
void SetAudioAvailable(bool available) { S().audioAvailable = available; }

std::string Caption(int form) {
  auto it = S().windows.find(form);
  return it == S().windows.end() ? "" : it->second.caption;
}
bool CursorVisible() { return S().cursor; }
SystemCursor CursorShape() { return S().cursorShape; }
void WindowSize(int form, int& w, int& h) {
  w = h = 0;
  if (gState) {
    auto it = gState->windows.find(form);
    if (it == gState->windows.end()) return;
    if (it->second.fullScreen) {
      w = gState->desktopW;
      h = gState->desktopH;
    } else {
      w = it->second.w;
      h = it->second.h;
    }
  }
}

}  // namespace plat::null

namespace plat::detail {
std::unique_ptr<Backend> MakeNullBackend() { return std::make_unique<null::NullBackend>(); }
}  // namespace plat::detail
