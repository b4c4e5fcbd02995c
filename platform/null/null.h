// The null back end's controls for tests and headless runs: a virtual clock, injected input,
// and the frames, sound and message boxes kept in memory.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/surface.h"

namespace plat::null {

// Only valid while the null back end is current.
bool Active();

void AdvanceClock(std::uint64_t ms);  // also mixes that much sound into the capture
// Milliseconds the clock moves on each loop pass (0 by default: time stands still).
void SetAutoAdvance(std::uint32_t msPerPass);
// When set, a loop that would wait jumps its clock to the next due timer.
void SetJumpToTimers(bool on);

void SetDesktopSize(int w, int h);
void SetFullScreenAvailable(bool available);
// Whether the window system sends focus events (the first activation must not depend on it).
void SetSendsFocusEvents(bool sends);

// Injected input, in window coordinates. Keys are virtual keys (sided for modifiers allowed).
void InjectMouseMove(int form, int x, int y);
void InjectMouseDown(int form, MouseButton b, int x, int y);
void InjectMouseUp(int form, MouseButton b, int x, int y);
void InjectClick(int form, int x, int y);  // down and up
void InjectKeyDown(int form, int key, bool repeat = false);
void InjectKeyUp(int form, int key);
void InjectText(int form, const std::string& cp1251);
void InjectFocus(int form, bool gained);
// The pointer crossing the window's border (a move to a point outside the window leaves it too).
void InjectMouseEnter(int form);
void InjectMouseLeave(int form);
void InjectClose(int form);
// The window system gives the window another client size (the user or the window manager).
void InjectResize(int form, int w, int h);
void InjectDeviceReset(int form);  // presentation loses its surfaces
void InjectJoystick(int index, const JoystickState& state);
void RemoveJoysticks();

struct Frame {
  int form = 0;
  int width = 0, height = 0;
  PixelFormat format = PixelFormat::Rgb565;
  std::vector<std::uint16_t> pixels;  // the surface as presented
  Rect logical;                       // where it went in the logical picture
  Rect window;                        // where the logical picture went in the window
};
std::uint64_t FrameCount();
const Frame& LastFrame();
// Marks the surface lost, as a presentation reset does.
void LoseSurface(Surface& s);

struct Box {
  std::string title, text;
  MessageKind kind;
};
const std::vector<Box>& MessageBoxes();
void ClearMessageBoxes();
// Runs while a box is shown, as the person answering it would; unset, a box returns at once.
void SetMessageBoxAnswer(std::function<void()> answer);

// Every sound and music call, one line each, e.g. "play 3 loop=0", "music play x.mid".
const std::vector<std::string>& AudioLog();
void ClearAudioLog();
// The mixed output (interleaved stereo S16 at AudioRate) since the last clear.
const std::vector<std::int16_t>& AudioCapture();
void ClearAudioCapture();
void FinishMusic();  // the playing track reaches its end
void SetAudioAvailable(bool available);

std::string Caption(int form);
bool CursorVisible();
SystemCursor CursorShape();  // the shape the pointer has over our windows
void WindowSize(int form, int& w, int& h);

}  // namespace plat::null
