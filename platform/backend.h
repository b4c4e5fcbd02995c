// What a back end supplies to the shared code of the layer (internal to platform/).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/app.h"
#include "platform/audio.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/surface.h"

namespace plat::detail {

struct RawEvent {
  enum Kind : std::uint8_t {
    None, MouseMove, MouseDown, MouseUp, KeyDown, KeyUp, Text, FocusGained, FocusLost,
    CloseRequest, Resized, DeviceReset,
    MouseEnter, MouseLeave,  // the pointer came over the window or left it
    FullScreenLost  // the window system did not keep the window full screen
  };
  Kind kind = None;
  int window = 0;  // form id
  int x = 0, y = 0;  // window coordinates
  MouseButton button = MouseButton::Left;
  int key = 0;  // virtual key (sided for Shift, Control, Alt)
  bool repeat = false;
  std::string text;  // cp1251 characters typed
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual BackendKind Kind() const = 0;
  virtual const char* Name() const = 0;
  virtual std::uint64_t NowMs() = 0;
  virtual void SleepMs(std::uint32_t ms) = 0;
  virtual bool PollEvent(RawEvent& ev) = 0;
  // Blocks up to `ms` or until an event is likely pending.
  virtual void WaitEvents(std::uint32_t ms) = 0;

  virtual bool WindowCreate(int id, const std::string& caption, int w, int h,
                            std::string* error) = 0;
  virtual void WindowDestroy(int id) = 0;
  virtual void WindowShow(int id, bool show) = 0;
  virtual void WindowCaption(int id, const std::string& caption) = 0;
  virtual void WindowResize(int id, int w, int h) = 0;
  virtual bool WindowFullScreen(int id, bool on, std::string* error) = 0;
  virtual void WindowSize(int id, int& w, int& h) = 0;  // the coordinates of mouse events
  // Takes the desktop's room; WindowSize tells the size it got.
  virtual void WindowMaximize(int id) = 0;
  virtual void CursorShow(bool show) = 0;
  virtual void CursorShape(SystemCursor cursor) = 0;
  // Shows `s` inside `logical` (a rectangle of the form's logical picture of size lw x lh).
  virtual bool WindowPresent(int id, const Surface& s, Rect logical, int lw, int lh) = 0;
  virtual void ShowMessage(int parent, const std::string& title, const std::string& text,
                           MessageKind kind) = 0;

  // Audio: the shared mixer is driven by the back end's output.
  virtual bool AudioOpen(std::uint32_t& rate, std::string* error) = 0;
  virtual void AudioClose() = 0;
  virtual void AudioLog(const std::string&) {}
  virtual bool MusicPlay(const std::string& path, std::string* error) = 0;
  virtual void MusicStop() = 0;
  virtual void MusicPause() = 0;
  virtual void MusicResume() = 0;
  virtual void MusicVolume(int percent) = 0;

  virtual int JoystickCount() = 0;
  virtual bool JoystickPoll(int index, JoystickState& out) = 0;
};

std::unique_ptr<Backend> MakeNullBackend();
#ifdef ZARN_HAVE_SDL
std::unique_ptr<Backend> MakeSdlBackend(std::string* error);
#endif

Backend* Current();  // null before Init
// Around a message box, whose loop is the window system's: a quit signal then ends the program
// at once instead of waiting for the loop.
void EnterModalBox();
void LeaveModalBox();

// Shared parts the loop calls.
void DispatchEvent(const RawEvent& ev);
void DeliverFirstActivations();
void ResetKeyboard();
void FormsShutdown();
void TimersShutdown();
void AudioShutdown();
void MarkMusicFinished();  // any thread: the track played to its end
// Loop thread: a track accepted by MusicPlay could not be started after all (no end event).
void MarkMusicFailed(const std::string& why);
// Playing time of a standard MIDI file up to its last event; 0 when it cannot be told.
std::uint64_t MidiLengthMs(const std::vector<std::uint8_t>& file);
// The mixer: adds every playing buffer into interleaved stereo S16 (any thread).
void MixInto(std::int16_t* out, int frames, std::uint32_t rate);
void MixerSetOpen(bool open, std::uint32_t rate);
// Due time of the earliest enabled timer (false when none).
std::uint64_t NextTimerDue(bool& any);
// Presentation was reset: every surface made before is lost.
void LoseAllSurfaces();
std::uint32_t SurfaceEpoch();

}  // namespace plat::detail
