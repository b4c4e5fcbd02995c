#include "platform/clipboard.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#if ZARN_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <errno.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>
#endif

namespace plat {
namespace {

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

std::atomic<int> xErrorsIgnored{0};

bool WantX() {
  const char* display = std::getenv("DISPLAY");
  const char* platform = std::getenv("ZARN_PLATFORM");
  return display && *display && !(platform && std::strcmp(platform, "null") == 0);
}

#if ZARN_HAVE_X11
// What the selection carries is little-endian, as the clipboard formats are.
std::uint32_t Le32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  if (at <= s.size() && s.size() - at >= 4) std::memcpy(&v, s.data() + at, 4);
  return v;
}
void PutLe32(std::string& s, std::uint32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); }

// Bytes from the start of a device-independent bitmap to its pixels: header, masks, colour
// table; 0 when the header cannot be read.
std::size_t DibInfoSize(const std::string& dib) {
  const std::uint32_t size = Le32(dib, 0);
  if (size == 12) {
    if (dib.size() < 12) return 0;
    const unsigned bits = static_cast<unsigned char>(dib[10]) | static_cast<unsigned char>(dib[11]) << 8;
    const std::size_t total = 12 + (bits <= 8 ? std::size_t{3} << bits : 0);
    return total <= dib.size() ? total : 0;
  }
  if (size < 40 || dib.size() < 40) return 0;
  const unsigned bits = static_cast<unsigned char>(dib[14]) | static_cast<unsigned char>(dib[15]) << 8;
  const std::uint32_t compression = Le32(dib, 16);
  std::uint64_t colours = Le32(dib, 32);
  if (colours == 0 && bits <= 8) colours = 1u << bits;
  if (colours > 256) colours = 256;
  const std::uint64_t masks = size == 40 && compression == 3 ? 12 : 0;
  const std::uint64_t total = size + masks + colours * 4;
  return total <= dib.size() ? static_cast<std::size_t>(total) : 0;
}

// The X types hold files: "GIF Image" data lose the length they carry first, a DIB gains the
// file header of a BMP file. What cannot be converted becomes empty.
std::string ToX(TClipFormat f, const std::string& data) {
  if (f == CF_DIB) {
    const std::size_t info = DibInfoSize(data);
    if (info == 0) return std::string();
    std::string out("BM");
    PutLe32(out, static_cast<std::uint32_t>(14 + data.size()));
    PutLe32(out, 0);
    PutLe32(out, static_cast<std::uint32_t>(14 + info));
    return out + data;
  }
  if (ClipboardFormatName(f) != "GIF Image") return data;
  const std::uint32_t n = Le32(data, 0);
  return data.size() >= 4 && n <= data.size() - 4 ? data.substr(4, n) : std::string();
}

std::string FromX(TClipFormat f, const std::string& data) {
  if (f == CF_DIB) {
    // The pixels follow the colour table at once, whatever gap the file left.
    if (data.size() < 14 || data.compare(0, 2, "BM") != 0) return std::string();
    const std::string dib = data.substr(14);
    const std::size_t info = DibInfoSize(dib);
    const std::uint32_t offset = Le32(data, 10);
    if (info == 0 || offset < 14 + info || offset > data.size()) return std::string();
    return dib.substr(0, info) + data.substr(offset);
  }
  if (ClipboardFormatName(f) != "GIF Image") return data;
  std::string out;
  PutLe32(out, static_cast<std::uint32_t>(data.size()));
  return out + data;
}
#endif

}  // namespace

int XErrorsIgnored() { return xErrorsIgnored.load(); }

#if ZARN_HAVE_X11
namespace {

constexpr std::size_t kMaxRead = 64u << 20;
constexpr auto kReadTime = std::chrono::seconds(5);

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

// The clipboard's own connections: a requestor that goes away there is routine and not told.
std::mutex& ConnectionsLock() {
  static std::mutex* m = new std::mutex;
  return *m;
}
std::vector<Display*>& Connections() {
  static auto* v = new std::vector<Display*>;
  return *v;
}

int OnXError(Display* dpy, XErrorEvent* e) {
  ++xErrorsIgnored;
  bool clipboard;
  {
    std::lock_guard<std::mutex> hold(ConnectionsLock());
    const auto& ours = Connections();
    clipboard = std::find(ours.begin(), ours.end(), dpy) != ours.end();
  }
  if (!clipboard)
    std::fprintf(stderr, "%s: X error %d of request %d ignored\n", program_invocation_short_name,
                 static_cast<int>(e->error_code), static_cast<int>(e->request_code));
  return 0;
}

Display* OpenConnection() {
  KeepXErrorsHarmless();  // before the connection's first request
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
  // A requestor that went away is told here, within the answer, not at some later request.
  XSync(x.dpy, False);
}

void Serve(XSide* x) {
  for (;;) {
    pollfd fds[2] = {{ConnectionNumber(x->dpy), POLLIN, 0}, {x->wake[0], POLLIN, 0}};
    {
      std::lock_guard<std::mutex> hold(XLock());
      while (XPending(x->dpy)) {
        XEvent e;
        XNextEvent(x->dpy, &e);
        if (e.type == SelectionRequest) Answer(*x, e.xselectionrequest);
      }
    }
    if (poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) {
      char drained[64];
      (void)!read(x->wake[0], drained, sizeof drained);
    }
  }
}

// A round trip of another thread on the serving connection reads whatever came meanwhile into
// Xlib's queue, where the waiting server would not see it: it is woken to look.
void WakeIfQueued(XSide& x) {
  if (XQLength(x.dpy) > 0) (void)!write(x.wake[1], "", 1);
}

// The connection that owns the selection, opened once; nullptr when there is no display.
XSide* OpenX() {
  XSide& x = X();
  if (x.dpy || x.failed) return x.dpy ? &x : nullptr;
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

// Takes the selection for what the store now holds; false when the desktop refused it.
bool XTake() {
  std::lock_guard<std::mutex> hold(XLock());
  XSide* x = OpenX();
  if (!x) return true;
  XSetSelectionOwner(x->dpy, x->clipboard, x->win, CurrentTime);
  const bool owner = XGetSelectionOwner(x->dpy, x->clipboard) == x->win;
  XFlush(x->dpy);
  WakeIfQueued(*x);
  return owner;
}

// Whether the selection is still ours: asked of the server, which knows at once when another
// program has taken it (the notice to us may not have been read yet).
bool XStillOwner() {
  std::lock_guard<std::mutex> hold(XLock());
  XSide& x = X();
  if (!x.dpy) return true;
  const bool owner = XGetSelectionOwner(x.dpy, x.clipboard) == x.win;
  WakeIfQueued(x);
  return owner;
}

bool XOpened() {
  std::lock_guard<std::mutex> hold(XLock());
  return OpenX() != nullptr;
}

// What another program offers of a format.
std::optional<std::string> XRead(TClipFormat format) {
  // Only what the owner lists: some owners answer any type with what they hold.
  std::optional<std::string> got;
  for (const std::string& type : Types(format))
    if (Listed(type) && (got = Request(type))) break;
  if (!got) return got;
  return FromX(format, *got);
}

bool XHas(TClipFormat format) {
  for (const std::string& type : Types(format))
    if (Listed(type)) return true;
  return false;
}

}  // namespace

void KeepXErrorsHarmless() {
  static std::once_flag threads;
  std::call_once(threads, [] { XInitThreads(); });
  XSetErrorHandler(OnXError);
}

#else  // no X library: the clipboard stays in the process

namespace {
bool XTake() { return true; }
bool XStillOwner() { return true; }

bool XOpened() { return false; }
std::optional<std::string> XRead(TClipFormat) { return std::nullopt; }
bool XHas(TClipFormat) { return false; }
}  // namespace

void KeepXErrorsHarmless() {}

#endif

namespace {

// True when the contents are ours (so the store answers); once another program has taken the
// clipboard, ours are dropped.
bool OursNow() {
  {
    std::lock_guard<std::mutex> hold(TheStore().m);
    if (!TheStore().ours) return false;
  }
  if (XStillOwner()) return true;
  std::lock_guard<std::mutex> hold(TheStore().m);
  TheStore().ours = false;
  TheStore().items.clear();
  return false;
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
  if (format == CF_DIB) return "DIB";
  std::lock_guard<std::mutex> hold(NamesLock());
  const auto& names = Names();
  return format >= 0xC000u && format - 0xC000u < names.size() ? names[format - 0xC000u] : std::string();
}

std::string ClipboardFormatMime(TClipFormat format) {
  static const std::map<std::string, std::string> known{
      {"Text", "text/plain"}, {"Bitmap", "image/bmp"}, {"DIB", "image/bmp"},
      {"GIF Image", "image/gif"}, {"Icon Image", "image/vnd.microsoft.icon"}};
  const std::string name = ClipboardFormatName(format);
  auto it = known.find(name);
  return it != known.end() ? it->second : "application/x-zarn-" + name;
}

bool ClipboardUsesX() { return WantX() && XOpened(); }

void ClipboardSetData(std::vector<std::pair<TClipFormat, std::string>> items) {
  {
    std::lock_guard<std::mutex> hold(TheStore().m);
    TheStore().items = std::move(items);
    TheStore().ours = true;
  }
  if (!WantX() || XTake()) return;
  std::lock_guard<std::mutex> store(TheStore().m);
  TheStore().ours = false;
  TheStore().items.clear();
  throw EClipboardError("Cannot open clipboard");
}

void ClipboardClear() { ClipboardSetData({}); }

std::optional<std::string> ClipboardGetData(TClipFormat format) {
  if (OursNow() || !ClipboardUsesX()) {
    std::lock_guard<std::mutex> hold(TheStore().m);
    for (const auto& [f, data] : TheStore().items)
      if (f == format) return data;
    return std::nullopt;
  }
  return XRead(format);
}

bool ClipboardHasFormat(TClipFormat format) {
  if (OursNow() || !ClipboardUsesX()) {
    std::lock_guard<std::mutex> hold(TheStore().m);
    return std::any_of(TheStore().items.begin(), TheStore().items.end(),
                       [&](const auto& item) { return item.first == format; });
  }
  return XHas(format);
}

}  // namespace plat
