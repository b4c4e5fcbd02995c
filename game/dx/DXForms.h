// The form base of the component layer: a platform window whose messages the display and
// input components can hook (as a window subclass would), the cached window state used around
// full screen, and the glue that runs the frame clock in the application's idle pass.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/dx/DXClass.h"
#include "platform/forms.h"

namespace zarn {

// The window messages the components react to.
enum class TDXFormMessage : std::uint8_t {
  Show,        // the window was shown (a position change with the show flag)
  Activate,    // the window became active
  Deactivate,  // the window lost the focus
  Close,       // the window is asked to close
  Resize,      // the client size changed
};

class TDXForm;

// Receives every message of the form before the form does; calling `previous` passes it on
// (to the next older hook and, last, to the form's own handling).
using TDXFormHook = std::function<void(TDXFormMessage msg, const std::function<void()>& previous)>;

// Number of live forms of the layer.
inline int DXFormCount = 0;

class TDXForm {
 public:
  // Makes the platform window (hidden). Throws EDXError when the window cannot be made.
  TDXForm(const std::string& caption, int clientWidth, int clientHeight);
  virtual ~TDXForm();
  TDXForm(const TDXForm&) = delete;
  TDXForm& operator=(const TDXForm&) = delete;

  // The platform window; null once the platform has closed it.
  plat::Form* Handle() const;
  int ClientWidth() const;
  int ClientHeight() const;
  bool Active() const;
  bool Visible() const;
  bool FullScreen() const;
  void SetClientSize(int w, int h);

  void Show();
  void Hide();
  void Close();

  // The form's own handlers of the hooked messages (run after the hooks passed them on).
  std::function<void(TDXForm&)> OnShow;
  std::function<void(TDXForm&)> OnActivate;
  std::function<void(TDXForm&)> OnDeactivate;
  std::function<void(TDXForm&, plat::CloseAction&)> OnClose;
  std::function<void(TDXForm&)> OnResize;

  // Window subclassing: the newest hook sees a message first. Returns an id for Unhook.
  int Hook(TDXFormHook hook);
  void Unhook(int id);
  // Runs a message through the hooks and the form (what the window system does).
  void Dispatch(TDXFormMessage msg);

  // Remembers the window's size and full-screen state before full screen; RestoreWindow puts
  // them back once.
  void CacheWindow();
  void RestoreWindow();
  bool WindowCached() const { return cached_; }

  // The frame clocks that belong to this form: they hear of the application's activation.
  void AddTimer(TCustomDXTimer& timer);
  void RemoveTimer(TCustomDXTimer& timer);

 protected:
  // The form's own handling of a message, after the hooks.
  virtual void WndProc(TDXFormMessage msg);

 private:
  struct HookEntry {
    int id;
    TDXFormHook hook;
  };
  void DispatchFrom(const std::vector<HookEntry>& chain, std::size_t n, TDXFormMessage msg);

  plat::Form* form_ = nullptr;
  int formId_ = 0;
  std::vector<HookEntry> hooks_;
  int nextHookId_ = 1;
  plat::CloseAction* closeAction_ = nullptr;  // of the Close message being dispatched
  bool cached_ = false;
  int cachedWidth_ = 0, cachedHeight_ = 0;
  bool cachedFullScreen_ = false;
};

// The application's activation, as the main window hears it: tells every form's timers and
// keeps TCustomDXTimer::ApplicationActive current. Installed with the first form.
void DXApplicationActivated();
void DXApplicationDeactivated();

}  // namespace zarn
