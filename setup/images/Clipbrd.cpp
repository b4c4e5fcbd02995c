#include "setup/images/Clipbrd.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "setup/lebytes.h"

namespace zarn3set {
namespace {

constexpr std::size_t kMaxRead = 64u << 20;
constexpr auto kReadTime = std::chrono::seconds(5);

std::mutex& NamesLock() {
  static std::mutex m;
  return m;
}
std::vector<std::string>& Names() {  // index + 0xC000 is the format's number
  static std::vector<std::string> names;
  return names;
}

// What the clipboard holds while it is ours (in the process, or offered on the selection).
struct Store {
  std::mutex m;
  std::vector<std::pair<TClipFormat, std::string>> items;
  bool ours = false;  // false once another program took the selection
};
Store& TheStore() {
  static Store* s = new Store;  // never destroyed: the serving thread may outlive static data
  return *s;
}

// The X side: one connection and window that own the selection, served by a thread.
struct XSide {
  Display* dpy = nullptr;
  Window win = 0;
  Atom clipboard = 0, targets = 0, incr = 0, property = 0;
  std::thread server;
  int wake[2] = {-1, -1};
  bool failed = false;
};

std::mutex& XLock() {
  static std::mutex* m = new std::mutex;
  return *m;
}
XSide& X() {
  static XSide* x = new XSide;
  return *x;
}

// A requestor that went away, or a bad atom from another program, must not end ours: errors
// on the clipboard's connections are ignored (Xlib's own handler would exit); those of other
// connections (the window's) go to the handler that was there before.
std::mutex& ConnectionsLock() {
  static std::mutex* m = new std::mutex;
  return *m;
}
std::vector<Display*>& Connections() {
  static auto* v = new std::vector<Display*>;
  return *v;
}
XErrorHandler previousHandler = nullptr;

int OnXError(Display* dpy, XErrorEvent* e) {
  {
    std::lock_guard<std::mutex> hold(ConnectionsLock());
    const auto& ours = Connections();
    if (std::find(ours.begin(), ours.end(), dpy) != ours.end()) return 0;
  }
  return previousHandler ? previousHandler(dpy, e) : 0;
}

Display* OpenConnection() {
  Display* dpy = XOpenDisplay(nullptr);
  if (dpy) {
    std::lock_guard<std::mutex> hold(ConnectionsLock());
    Connections().push_back(dpy);
  }
  return dpy;
}

void CloseConnection(Display* dpy) {
  {
    std::lock_guard<std::mutex> hold(ConnectionsLock());
    std::erase(Connections(), dpy);
  }
  XCloseDisplay(dpy);
}

bool WantX() {
  const char* display = std::getenv("DISPLAY");
  const char* platform = std::getenv("ZARN_PLATFORM");
  return display && *display && !(platform && std::strcmp(platform, "null") == 0);
}

Atom AtomOf(Display* dpy, TClipFormat f) {
  return XInternAtom(dpy, ClipboardFormatMime(f).c_str(), False);
}

// The item a requested type names (the icon format also answers its older types), or none.
const std::pair<TClipFormat, std::string>* ItemOfAtom(
    Display* dpy, Atom a, const std::vector<std::pair<TClipFormat, std::string>>& items) {
  for (const auto& item : items) {
    if (AtomOf(dpy, item.first) == a) return &item;
    if (ClipboardFormatMime(item.first) == "image/vnd.microsoft.icon" &&
        (a == XInternAtom(dpy, "image/x-icon", False) || a == XInternAtom(dpy, "image/ico", False)))
      return &item;
  }
  return nullptr;
}

// "GIF Image" data carry their length first; the X type holds the GIF file alone.
bool LengthFirst(TClipFormat f) { return ClipboardFormatName(f) == "GIF Image"; }

std::string ToX(TClipFormat f, const std::string& data) {
  if (!LengthFirst(f)) return data;
  const std::uint32_t n = GetLe32(data, 0);
  return data.size() >= 4 && n <= data.size() - 4 ? data.substr(4, n) : std::string();
}

std::string FromX(TClipFormat f, const std::string& data) {
  if (!LengthFirst(f)) return data;
  std::string out;
  PutLe32(out, static_cast<std::uint32_t>(data.size()));
  return out + data;
}

void Answer(XSide& x, const XSelectionRequestEvent& rq) {
  XSelectionEvent ev{};
  ev.type = SelectionNotify;
  ev.display = rq.display;
  ev.requestor = rq.requestor;
  ev.selection = rq.selection;
  ev.target = rq.target;
  ev.time = rq.time;
  ev.property = None;
  const Atom property = rq.property != None ? rq.property : rq.target;
  std::vector<std::pair<TClipFormat, std::string>> items;
  {
    std::lock_guard<std::mutex> hold(TheStore().m);
    if (TheStore().ours) items = TheStore().items;
  }
  // What fits in one request goes; a larger picture is refused rather than cut.
  long maxBytes = std::max(XExtendedMaxRequestSize(x.dpy), XMaxRequestSize(x.dpy)) * 4 - 1024;
  if (rq.selection == x.clipboard && !items.empty()) {
    if (rq.target == x.targets) {
      std::vector<Atom> list{x.targets};
      for (const auto& item : items) list.push_back(AtomOf(x.dpy, item.first));
      XChangeProperty(x.dpy, rq.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(list.data()), static_cast<int>(list.size()));
      ev.property = property;
    } else if (const auto* item = ItemOfAtom(x.dpy, rq.target, items)) {
      const std::string data = ToX(item->first, item->second);
      if (static_cast<long>(data.size()) <= maxBytes) {
        XChangeProperty(x.dpy, rq.requestor, property, rq.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
        ev.property = property;
      }
    }
  }
  XSendEvent(x.dpy, rq.requestor, False, 0, reinterpret_cast<XEvent*>(&ev));
  XFlush(x.dpy);
}

void Serve(XSide* x) {
  for (;;) {
    pollfd fds[2] = {{ConnectionNumber(x->dpy), POLLIN, 0}, {x->wake[0], POLLIN, 0}};
    {
      std::lock_guard<std::mutex> hold(XLock());
      while (XPending(x->dpy)) {
        XEvent e;
        XNextEvent(x->dpy, &e);
        if (e.type == SelectionRequest) {
          Answer(*x, e.xselectionrequest);
        } else if (e.type == SelectionClear && e.xselectionclear.selection == x->clipboard) {
          std::lock_guard<std::mutex> store(TheStore().m);
          TheStore().ours = false;  // another program's contents now
          TheStore().items.clear();
        }
      }
    }
    if (poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) return;
  }
}

// The connection that owns the selection, opened once; nullptr when there is no display.
XSide* OpenX() {
  XSide& x = X();
  if (x.dpy || x.failed) return x.dpy ? &x : nullptr;
  static std::once_flag threads;
  std::call_once(threads, [] {
    XInitThreads();
    previousHandler = XSetErrorHandler(OnXError);
  });
  x.dpy = OpenConnection();
  if (!x.dpy || pipe(x.wake) != 0) {
    if (x.dpy) CloseConnection(x.dpy);
    x.dpy = nullptr;
    x.failed = true;
    return nullptr;
  }
  x.win = XCreateSimpleWindow(x.dpy, DefaultRootWindow(x.dpy), 0, 0, 1, 1, 0, 0, 0);
  x.clipboard = XInternAtom(x.dpy, "CLIPBOARD", False);
  x.targets = XInternAtom(x.dpy, "TARGETS", False);
  x.incr = XInternAtom(x.dpy, "INCR", False);
  x.property = XInternAtom(x.dpy, "ZARN_CLIPBOARD", False);
  XFlush(x.dpy);
  x.server = std::thread(Serve, &x);
  // The thread ends with the process; it only ever waits on the connection.
  x.server.detach();
  return &x;
}

// Reads a whole property, following the incremental transfer of large data.
std::optional<std::string> ReadProperty(Display* dpy, Window win, Atom property, Atom incr,
                                        std::chrono::steady_clock::time_point deadline) {
  auto take = [&](Atom& type, std::string& out) {
    unsigned char* data = nullptr;
    int format = 0;
    unsigned long count = 0, after = 0;
    if (XGetWindowProperty(dpy, win, property, 0, static_cast<long>(kMaxRead / 4), True, AnyPropertyType,
                           &type, &format, &count, &after, &data) != Success)
      return false;
    std::size_t unit = format == 32 ? sizeof(long) : static_cast<std::size_t>(format / 8);
    if (data && after == 0 && out.size() + count * unit <= kMaxRead)
      out.append(reinterpret_cast<const char*>(data), count * unit);
    if (data) XFree(data);
    return after == 0;
  };
  std::string out;
  Atom type = None;
  if (!take(type, out)) return std::nullopt;
  if (type != incr) return out;
  out.clear();
  // Incremental: each new value of the property is the next piece; an empty one ends it.
  for (;;) {
    XEvent e;
    while (!XCheckTypedWindowEvent(dpy, win, PropertyNotify, &e)) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return std::nullopt;
      pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
      poll(&fd, 1, static_cast<int>(left.count()));
      XPending(dpy);
    }
    if (e.xproperty.atom != property || e.xproperty.state != PropertyNewValue) continue;
    std::string piece;
    if (!take(type, piece)) return std::nullopt;
    if (piece.empty()) return out;
    if (out.size() + piece.size() > kMaxRead) return std::nullopt;
    out += piece;
  }
}

// Asks the selection's owner for one type, on a connection of its own.
std::optional<std::string> Request(const std::string& type) {
  {
    std::lock_guard<std::mutex> hold(XLock());
    if (!OpenX()) return std::nullopt;  // also sets the error handling up
  }
  Display* dpy = OpenConnection();
  if (!dpy) return std::nullopt;
  const Atom clipboard = XInternAtom(dpy, "CLIPBOARD", False);
  const Atom target = XInternAtom(dpy, type.c_str(), False);
  const Atom property = XInternAtom(dpy, "ZARN_CLIPBOARD", False);
  const Atom incr = XInternAtom(dpy, "INCR", False);
  std::optional<std::string> result;
  if (XGetSelectionOwner(dpy, clipboard) != None) {
    Window win = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(dpy, win, PropertyChangeMask);
    XConvertSelection(dpy, clipboard, target, property, win, CurrentTime);
    XFlush(dpy);
    const auto deadline = std::chrono::steady_clock::now() + kReadTime;
    for (;;) {
      XEvent e;
      if (XCheckTypedWindowEvent(dpy, win, SelectionNotify, &e)) {
        if (e.xselection.property != None)
          result = ReadProperty(dpy, win, e.xselection.property, incr, deadline);
        break;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
      poll(&fd, 1, static_cast<int>(left.count()));
      XPending(dpy);
    }
    XDestroyWindow(dpy, win);
  }
  CloseConnection(dpy);
  return result;
}

// The X types a format is read under, the usual one first.
std::vector<std::string> Types(TClipFormat format) {
  const std::string mime = ClipboardFormatMime(format);
  if (mime == "image/vnd.microsoft.icon") return {mime, "image/x-icon", "image/ico"};
  return {mime};
}

// Whether the selection's owner lists the type among its TARGETS.
bool Listed(const std::string& type) {
  auto list = Request("TARGETS");
  if (!list) return false;
  Display* dpy = OpenConnection();
  if (!dpy) return false;
  const Atom wanted = XInternAtom(dpy, type.c_str(), False);
  CloseConnection(dpy);
  for (std::size_t i = 0; i + sizeof(Atom) <= list->size(); i += sizeof(Atom)) {
    Atom a;
    std::memcpy(&a, list->data() + i, sizeof a);
    if (a == wanted) return true;
  }
  return false;
}

// True when the contents are ours (so the store answers).
bool OursNow() {
  std::lock_guard<std::mutex> hold(TheStore().m);
  return TheStore().ours;
}

}  // namespace

TClipFormat RegisterClipboardFormat(const std::string& name) {
  std::lock_guard<std::mutex> hold(NamesLock());
  auto& names = Names();
  auto it = std::find(names.begin(), names.end(), name);
  if (it == names.end()) it = names.insert(names.end(), name);
  return 0xC000u + static_cast<TClipFormat>(it - names.begin());
}

std::string ClipboardFormatName(TClipFormat format) {
  if (format == CF_TEXT) return "Text";
  if (format == CF_BITMAP) return "Bitmap";
  std::lock_guard<std::mutex> hold(NamesLock());
  const auto& names = Names();
  return format >= 0xC000u && format - 0xC000u < names.size() ? names[format - 0xC000u] : std::string();
}

std::string ClipboardFormatMime(TClipFormat format) {
  static const std::map<std::string, std::string> known{
      {"Text", "text/plain"}, {"Bitmap", "image/bmp"}, {"GIF Image", "image/gif"},
      {"Icon Image", "image/vnd.microsoft.icon"}};
  const std::string name = ClipboardFormatName(format);
  auto it = known.find(name);
  return it != known.end() ? it->second : "application/x-zarn-" + name;
}

bool ClipboardUsesX() {
  if (!WantX()) return false;
  std::lock_guard<std::mutex> hold(XLock());
  return OpenX() != nullptr;
}

void ClipboardSetData(std::vector<std::pair<TClipFormat, std::string>> items) {
  {
    std::lock_guard<std::mutex> hold(TheStore().m);
    TheStore().items = std::move(items);
    TheStore().ours = true;
  }
  if (!WantX()) return;
  std::lock_guard<std::mutex> hold(XLock());
  XSide* x = OpenX();
  if (!x) return;
  XSetSelectionOwner(x->dpy, x->clipboard, x->win, CurrentTime);
  const bool owner = XGetSelectionOwner(x->dpy, x->clipboard) == x->win;
  XFlush(x->dpy);
  if (!owner) {
    std::lock_guard<std::mutex> store(TheStore().m);
    TheStore().ours = false;
    TheStore().items.clear();
    throw EClipboardError("Cannot open clipboard");
  }
}

void ClipboardClear() { ClipboardSetData({}); }

std::optional<std::string> ClipboardGetData(TClipFormat format) {
  if (OursNow() || !ClipboardUsesX()) {
    std::lock_guard<std::mutex> hold(TheStore().m);
    for (const auto& [f, data] : TheStore().items)
      if (f == format) return data;
    return std::nullopt;
  }
  // Only what the owner lists: some owners answer any type with what they hold.
  std::optional<std::string> got;
  for (const std::string& type : Types(format))
    if (Listed(type) && (got = Request(type))) break;
  if (!got) return got;
  return FromX(format, *got);
}

bool ClipboardHasFormat(TClipFormat format) {
  if (OursNow() || !ClipboardUsesX()) {
    std::lock_guard<std::mutex> hold(TheStore().m);
    return std::any_of(TheStore().items.begin(), TheStore().items.end(),
                       [&](const auto& item) { return item.first == format; });
  }
  for (const std::string& type : Types(format))
    if (Listed(type)) return true;
  return false;
}

}  // namespace zarn3set
