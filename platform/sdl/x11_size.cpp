// What only X can tell or do: the size an X window really has, and the end of the program when
// the X server goes away. Kept apart because the X headers define names that clash with ours.
#include "platform/app.h"
#include "platform/clipboard.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace plat::detail {

#if defined(SDL_VIDEO_DRIVER_X11)
namespace {
// Xlib's own handler calls exit(), and the clean-up that exit() runs destroys the windows,
// which waits in Xlib for events of a server that is gone: the program spun for ever and took
// no signal. Nothing can be shown any more, so the program ends here, saying why.
int DisplayLost(Display*) {
  // What the program keeps at its end is written first; a failure there must not stop the end.
  static bool once = false;
  if (!once && plat::OnDisplayLost) {
    once = true;
    try {
      plat::OnDisplayLost();
    } catch (...) {
    }
  }
  std::fprintf(stderr, "%s: the connection to the display was lost\n", program_invocation_short_name);
  std::fflush(nullptr);
  _exit(1);
}
}  // namespace
#endif

// Under X, makes a lost display end the program at once and a protocol error not end it (SDL's
// X library must be loaded; SDL's video start has installed a handler of its own, ours replaces it).
void EndOnDisplayLoss() {
#if defined(SDL_VIDEO_DRIVER_X11)
  void* lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
  if (!lib) return;
  using Handler = int (*)(Display*);
  using SetHandler = Handler (*)(Handler);
  if (auto set = reinterpret_cast<SetHandler>(dlsym(lib, "XSetIOErrorHandler"))) set(DisplayLost);
  dlclose(lib);
#endif
  KeepXErrorsHarmless();
}

// The size an X window really has. Under X with no window manager, SDL switches a window to
// desktop full screen, reports the desktop's size, and leaves the X window as it was; only
// the X server can tell.
// False when the size cannot be told this way (not X, or no X library loaded).
bool RealWindowSize(SDL_Window* window, int& w, int& h) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
    return false;
  // SDL loaded the X library for itself; borrow it rather than link it into every program.
  void* lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
  if (!lib) return false;
  using Sync = int (*)(Display*, Bool);
  using Attributes = Status (*)(Display*, Window, XWindowAttributes*);
  auto sync = reinterpret_cast<Sync>(dlsym(lib, "XSync"));
  auto attributes = reinterpret_cast<Attributes>(dlsym(lib, "XGetWindowAttributes"));
  bool ok = false;
  if (sync && attributes) {
    sync(info.info.x11.display, False);
    XWindowAttributes a;
    if (attributes(info.info.x11.display, info.info.x11.window, &a)) {
      w = a.width;
      h = a.height;
      ok = true;
    }
  }
  dlclose(lib);
  return ok;
#else
  (void)window, (void)w, (void)h;
  return false;
#endif
}

}  // namespace plat::detail
