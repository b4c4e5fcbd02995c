#include "setup/images/RxTimer.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "platform/app.h"
#include "setup/images/RxGraph.h"

namespace zarn3set {
namespace {

void ShowError(const std::string& text) {
  if (ShowTimerErrorProc) ShowTimerErrorProc(text);
  else std::fprintf(stderr, "%s\n", text.c_str());
}

// Niceness of each priority (the calling thread's own).
void ApplyPriority(TThreadPriority p) {
  static constexpr int kNice[] = {19, 2, 1, 0, -1, -2, -20};
  const auto tid = static_cast<id_t>(syscall(SYS_gettid));
  setpriority(PRIO_PROCESS, tid, kNice[static_cast<int>(p)]);  // refused raises leave it as is
}

}  // namespace

void TRxTimer::SetThreadPriority(TThreadPriority p) {
  {
    std::lock_guard<std::mutex> hold(m_);
    priority_ = p;
    priorityChanged_ = true;
  }
  Update();
}

TRxTimer::~TRxTimer() {
  {
    std::lock_guard<std::mutex> hold(m_);
    destroying_ = true;
    enabled_ = false;
    onTimer_ = nullptr;
    ++generation_;
  }
  wake_.notify_all();
  if (thread_.joinable()) {
    if (thread_.get_id() == std::this_thread::get_id()) thread_.detach();  // freed from its own event
    else thread_.join();
  }
  if (id_ > 0) plat::RemoveTimer(id_);
}

void TRxTimer::SetEnabled(bool on) {
  { std::lock_guard<std::mutex> hold(m_); enabled_ = on; }
  Update();
}

void TRxTimer::SetInterval(std::uint32_t ms) {
  { std::lock_guard<std::mutex> hold(m_); interval_ = ms; }
  Update();
}

void TRxTimer::SetThreaded(bool on) {
  { std::lock_guard<std::mutex> hold(m_); threaded_ = on; }
  Update();
}

void TRxTimer::SetSyncEvent(bool on) {
  { std::lock_guard<std::mutex> hold(m_); syncEvent_ = on; }
  Update();
}

void TRxTimer::SetOnTimer(std::function<void()> handler) {
  { std::lock_guard<std::mutex> hold(m_); onTimer_ = std::move(handler); }
  Update();
}

bool TRxTimer::HasOnTimer() const {
  std::lock_guard<std::mutex> hold(m_);
  return static_cast<bool>(onTimer_);
}

bool TRxTimer::Running() const {
  std::lock_guard<std::mutex> hold(m_);
  return RunningLocked();
}

bool TRxTimer::InOwnThread() const {
  std::lock_guard<std::mutex> hold(m_);
  return RunningLocked() && threaded_ && !syncEvent_;
}

// Runs the event where it was called from; an error is shown, an abort passes quietly.
void TRxTimer::Fire() {
  std::function<void()> handler;
  {
    std::lock_guard<std::mutex> hold(m_);
    if (!enabled_ || destroying_ || !onTimer_) return;
    handler = onTimer_;
  }
  try {
    handler();
  } catch (const EAbort&) {
  } catch (const std::exception& e) {
    std::string text = e.what();
    if (std::this_thread::get_id() == thread_.get_id()) plat::PostTask([text] { ShowError(text); });
    else ShowError(text);
  }
}

void TRxTimer::ThreadLoop() {
  std::unique_lock<std::mutex> lock(m_);
  priorityChanged_ = true;
  while (!destroying_) {
    if (priorityChanged_) {
      priorityChanged_ = false;
      ApplyPriority(priority_);
    }
    if (!(RunningLocked() && threaded_ && !syncEvent_)) {
      wake_.wait(lock);
      continue;
    }
    const std::uint64_t seen = generation_;
    const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(interval_);
    if (wake_.wait_until(lock, due, [&] { return generation_ != seen; })) continue;
    lock.unlock();
    Fire();
    lock.lock();
  }
}

void TRxTimer::Update() {
  bool loopTimer, ownThread;
  std::uint32_t interval;
  {
    std::lock_guard<std::mutex> hold(m_);
    ++generation_;
    loopTimer = RunningLocked() && !(threaded_ && !syncEvent_);
    ownThread = RunningLocked() && threaded_ && !syncEvent_;
    interval = interval_;
    if (ownThread && !thread_.joinable()) thread_ = std::thread([this] { ThreadLoop(); });
  }
  wake_.notify_all();
  if (!loopTimer) {
    if (loopArmed_) plat::SetTimerEnabled(id_, false);
    loopArmed_ = false;
    return;
  }
  loopArmed_ = true;
  if (id_ == 0) {
    id_ = plat::AddTimer(interval, [this] { Fire(); });
    if (id_ <= 0) {
      id_ = 0;
      loopArmed_ = false;
      throw EOutOfResources();
    }
  } else {
    plat::SetTimerInterval(id_, interval);
    plat::SetTimerEnabled(id_, true);
  }
}

}  // namespace zarn3set
