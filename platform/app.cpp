// The application loop: window events first, then due timers, then the idle handler.
#include "platform/app.h"

#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/backend.h"
#include "platform/net.h"

namespace plat {
namespace {

std::unique_ptr<detail::Backend> gBackend;
bool gTerminated = false;
IdleHandler gIdle;

struct Timer {
  int id = 0;
  std::uint32_t interval = 0;
  bool enabled = false;
  std::uint64_t due = 0;
  TimerHandler handler;
};
std::vector<Timer> gTimers;
int gNextTimerId = 1;

// Window events kept back by DropPendingInput (focus, close, resize): dispatched first by the
// next pass of the loop.
std::vector<detail::RawEvent> gHeld;

std::mutex gTaskMutex;
std::vector<std::function<void()>> gTasks;

// TERM and INT close the main form from the loop, as the window's close box does.
constexpr int kQuitSignals[] = {SIGTERM, SIGINT};
volatile std::sig_atomic_t gQuitSignal = 0;
std::atomic<int> gModalBoxes{0};
static_assert(std::atomic<int>::is_always_lock_free);
struct sigaction gOldQuitActions[2];
bool gQuitSignalsInstalled = false;

void OnQuitSignal(int sig) {
  if (gModalBoxes.load(std::memory_order_relaxed) > 0) {
    // A message box runs a loop of the window system's own that hears nothing of ours: the
    // program ends now, as the signal's own action would end it.
    ::signal(sig, SIG_DFL);
    ::raise(sig);
    return;
  }
  gQuitSignal = sig;
}

// The window system may show a message box from a child process that shares the program's
// display connection. Such a child must not outlive the program: a quit signal ends the program
// at once, and a child left behind would keep the box and the dead program's window on the screen.
thread_local pid_t tForkingParent = 0;

void BeforeFork() { tForkingParent = gModalBoxes.load() > 0 ? ::getpid() : 0; }

void InForkedChild() {
  if (tForkingParent == 0) return;
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The program may have ended before the line above could take effect.
  if (::getppid() != tForkingParent) ::_exit(1);
}

void TieBoxChildrenToTheProgram() {
  static std::once_flag once;
  std::call_once(once, [] { ::pthread_atfork(BeforeFork, nullptr, InForkedChild); });
}

void InstallQuitSignals() {
  if (gQuitSignalsInstalled) return;
  for (int i = 0; i < 2; ++i) {
    ::sigaction(kQuitSignals[i], nullptr, &gOldQuitActions[i]);
    // A signal the program was started to ignore (in the background) stays ignored.
    if (gOldQuitActions[i].sa_handler == SIG_IGN) continue;
    struct sigaction sa {};
    sa.sa_handler = OnQuitSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(kQuitSignals[i], &sa, nullptr);
  }
  gQuitSignalsInstalled = true;
}

void RestoreQuitSignals() {
  if (!gQuitSignalsInstalled) return;
  for (int i = 0; i < 2; ++i) ::sigaction(kQuitSignals[i], &gOldQuitActions[i], nullptr);
  gQuitSignalsInstalled = false;
  gQuitSignal = 0;
}

// A quit signal that arrived since the last pass closes the main form (or ends a program that
// has none).
void AnswerQuitSignal() {
  if (gQuitSignal == 0) return;
  gQuitSignal = 0;
  if (Form* f = MainForm()) CloseForm(f);
  else Terminate();
}

Timer* FindTimer(int id) {
  for (Timer& t : gTimers)
    if (t.id == id) return &t;
  return nullptr;
}

void Arm(Timer& t) {
  t.due = NowMs() + (t.interval == 0 ? 1 : t.interval);
}

// Runs the handlers of all due timers once each, in the order they were made.
void RunDueTimers() {
  if (gTimers.empty()) return;
  std::uint64_t now = NowMs();
  std::vector<int> due;
  for (const Timer& t : gTimers)
    if (t.enabled && t.interval > 0 && now >= t.due) due.push_back(t.id);
  for (int id : due) {
    Timer* t = FindTimer(id);
    if (!t || !t->enabled || now < t->due) continue;  // changed by an earlier handler
    // Keep the pace when on time, but never queue a backlog: a late timer restarts from now.
    std::uint64_t next = t->due + t->interval;
    t->due = next > now ? next : now + t->interval;
    TimerHandler h = t->handler;  // the handler may remove its own timer
    if (h) h();
    if (gTerminated) return;
  }
}

// Milliseconds until the next enabled timer, capped.
std::uint32_t UntilNextTimer(std::uint32_t cap) {
  std::uint64_t now = NowMs();
  std::uint64_t best = cap;
  for (const Timer& t : gTimers) {
    if (!t.enabled || t.interval == 0) continue;
    std::uint64_t wait = t.due > now ? t.due - now : 0;
    if (wait < best) best = wait;
  }
  return static_cast<std::uint32_t>(best);
}

void RunTasks() {
  std::vector<std::function<void()>> tasks;
  {
    std::lock_guard<std::mutex> lock(gTaskMutex);
    tasks.swap(gTasks);
  }
  for (auto& task : tasks)
    if (task) task();
}

bool TasksPending() {
  std::lock_guard<std::mutex> lock(gTaskMutex);
  return !gTasks.empty();
}

}  // namespace

namespace detail {
Backend* Current() { return gBackend.get(); }
void EnterModalBox() {
  TieBoxChildrenToTheProgram();
  gModalBoxes.fetch_add(1);
}
void LeaveModalBox() { gModalBoxes.fetch_sub(1); }
void TimersShutdown() { gTimers.clear(); }
// Used by the null back end to find where its virtual clock should jump.
std::uint64_t NextTimerDue(bool& any) {
  any = false;
  std::uint64_t best = 0;
  for (const Timer& t : gTimers) {
    if (!t.enabled || t.interval == 0) continue;
    if (!any || t.due < best) best = t.due;
    any = true;
  }
  return best;
}
}  // namespace detail

bool Init(std::string* error) {
  if (gBackend) return true;
  const char* choice = std::getenv("ZARN_PLATFORM");
  if (choice && std::strcmp(choice, "null") == 0) return Init(BackendKind::Null, error);
  if (choice && *choice && std::strcmp(choice, "sdl") != 0) {
    if (error) *error = std::string("Unknown ZARN_PLATFORM \"") + choice + "\" (null or sdl)";
    return false;
  }
  return Init(BackendKind::Sdl, error);
}

bool Init(BackendKind kind, std::string* error) {
  if (gBackend) return gBackend->Kind() == kind;
  if (kind == BackendKind::Null) {
    gBackend = detail::MakeNullBackend();
  } else if (kind == BackendKind::Sdl) {
#ifdef ZARN_HAVE_SDL
    gBackend = detail::MakeSdlBackend(error);
    if (!gBackend) return false;
#else
    if (error) *error = "This program was built without SDL2; run it with ZARN_PLATFORM=null";
    return false;
#endif
  } else {
    if (error) *error = "No such back end";
    return false;
  }
  // After the back end, whose library may have put its own handlers there.
  InstallQuitSignals();
  gTerminated = false;
  return true;
}

void Shutdown() {
  if (!gBackend) return;
  NetCloseAll();
  detail::AudioShutdown();
  detail::FormsShutdown();
  detail::TimersShutdown();
  gIdle = nullptr;
  {
    std::lock_guard<std::mutex> lock(gTaskMutex);
    gTasks.clear();
  }
  OnAppActivate = nullptr;
  OnDisplayLost = nullptr;
  OnAppDeactivate = nullptr;
  OnMusicEnd = nullptr;
  RestoreQuitSignals();
  gBackend.reset();
  gTerminated = false;
}

BackendKind Backend() { return gBackend ? gBackend->Kind() : BackendKind::None; }
const char* BackendName() { return gBackend ? gBackend->Name() : "none"; }

std::uint64_t NowMs() { return gBackend ? gBackend->NowMs() : 0; }
void SleepMs(std::uint32_t ms) {
  if (gBackend) gBackend->SleepMs(ms);
}

void DropPendingInput() {
  if (!gBackend) return;
  detail::RawEvent ev;
  while (gBackend->PollEvent(ev)) {
    switch (ev.kind) {
      case detail::RawEvent::MouseMove: case detail::RawEvent::MouseDown: case detail::RawEvent::MouseUp:
      case detail::RawEvent::KeyDown: case detail::RawEvent::KeyUp: case detail::RawEvent::Text:
        break;
      default:
        gHeld.push_back(ev);
        break;
    }
  }
}

void SetIdleHandler(IdleHandler handler) { gIdle = std::move(handler); }
bool HasIdleHandler() { return static_cast<bool>(gIdle); }

int AddTimer(std::uint32_t intervalMs, TimerHandler handler, bool enabled) {
  Timer t;
  t.id = gNextTimerId++;
  t.interval = intervalMs;
  t.enabled = enabled;
  t.handler = std::move(handler);
  Arm(t);
  gTimers.push_back(std::move(t));
  return gTimers.back().id;
}

void SetTimerInterval(int id, std::uint32_t intervalMs) {
  if (Timer* t = FindTimer(id)) {
    if (t->interval == intervalMs) return;
    t->interval = intervalMs;
    Arm(*t);
  }
}

void SetTimerEnabled(int id, bool enabled) {
  if (Timer* t = FindTimer(id)) {
    if (t->enabled == enabled) return;
    t->enabled = enabled;
    if (enabled) Arm(*t);
  }
}

void SetTimerHandler(int id, TimerHandler handler) {
  if (Timer* t = FindTimer(id)) t->handler = std::move(handler);
}

void RemoveTimer(int id) {
  for (auto it = gTimers.begin(); it != gTimers.end(); ++it)
    if (it->id == id) {
      gTimers.erase(it);
      return;
    }
}

bool TimerEnabled(int id) {
  Timer* t = FindTimer(id);
  return t && t->enabled;
}
std::uint32_t TimerInterval(int id) {
  Timer* t = FindTimer(id);
  return t ? t->interval : 0;
}

void PostTask(std::function<void()> task) {
  std::lock_guard<std::mutex> lock(gTaskMutex);
  gTasks.push_back(std::move(task));
}

void ProcessMessages(bool mayWait) {
  if (!gBackend) return;
  detail::RawEvent ev;
  if (!gHeld.empty()) {
    std::vector<detail::RawEvent> held;
    held.swap(gHeld);
    for (const detail::RawEvent& h : held)
      if (!gTerminated) detail::DispatchEvent(h);
  }
  AnswerQuitSignal();
  while (!gTerminated && gBackend->PollEvent(ev)) detail::DispatchEvent(ev);
  detail::DeliverFirstActivations();
  if (gTerminated) return;
  RunTasks();
  NetPoll(0);
  if (gTerminated) return;
  RunDueTimers();
  if (gTerminated) return;
  bool done = true;
  if (gIdle) {
    done = false;
    IdleHandler idle = gIdle;  // the handler may replace itself
    idle(done);
  }
  if (!done || !mayWait || gTerminated || TasksPending()) return;
  // Nothing to do until input or the next timer: sleep in short slices so sockets stay live.
  std::uint32_t wait = UntilNextTimer(10);
  if (wait == 0) return;
  if (NetHasSockets()) {
    NetPoll(static_cast<int>(wait < 5 ? wait : 5));
    gBackend->WaitEvents(0);
  } else {
    gBackend->WaitEvents(wait);
  }
}

void Run() {
  while (gBackend && !gTerminated) ProcessMessages(true);
}

void Terminate() { gTerminated = true; }
bool Terminated() { return gTerminated; }
void ClearTerminated() { gTerminated = false; }

}  // namespace plat
