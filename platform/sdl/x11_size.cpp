// The size an X window really has. Under X with no window manager, SDL switches a window to
// desktop full screen, reports the desktop's size, and leaves the X window as it was; only
// the X server can tell. Kept apart because the X headers define names that clash with ours.
#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

namespace plat::detail {

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
