// A timer component. Its event runs in the loop's thread, paced by the loop's window timers,
// unless it is threaded without `SyncEvent`: then a thread of its own sleeps the interval and
// runs the event itself.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

namespace zarn3set {

class EOutOfResources : public std::runtime_error {
 public:
  EOutOfResources() : std::runtime_error("Not enough timers available") {}
};

// Where an event's error is shown (the loop's thread); without one it goes to stderr.
inline void (*ShowTimerErrorProc)(const std::string& text) = nullptr;

// Priorities of the timer's thread, as niceness steps of the thread: raising one above normal
// needs privileges and is left as it is where the system refuses it.
enum class TThreadPriority { Idle, Lowest, Lower, Normal, Higher, Highest, TimeCritical };

class TRxTimer {
 public:
  TRxTimer() = default;
  ~TRxTimer();
  TRxTimer(const TRxTimer&) = delete;
  TRxTimer& operator=(const TRxTimer&) = delete;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t ms);
  bool Threaded() const { return threaded_; }
  void SetThreaded(bool on);
  bool SyncEvent() const { return syncEvent_; }
  void SetSyncEvent(bool on);
  TThreadPriority ThreadPriority() const { return priority_; }
  void SetThreadPriority(TThreadPriority p);
  void SetOnTimer(std::function<void()> handler);
  bool HasOnTimer() const;
  // True while the event would fire (interval > 0, enabled, a handler).
  bool Running() const;
  // True while its own thread runs the event.
  bool InOwnThread() const;

 private:
  bool RunningLocked() const { return interval_ > 0 && enabled_ && onTimer_; }
  void Update();
  void Fire();
  void ThreadLoop();
  mutable std::mutex m_;  // the state below, shared with the thread
  std::condition_variable wake_;
  bool enabled_ = true;
  std::uint32_t interval_ = 1000;
  bool threaded_ = true;
  bool syncEvent_ = true;
  bool destroying_ = false;
  TThreadPriority priority_ = TThreadPriority::Normal;
  bool priorityChanged_ = false;  // the thread applies it before its next wait
  std::uint64_t generation_ = 0;  // bumped by every change: the thread starts its wait again
  std::function<void()> onTimer_;
  int id_ = 0;             // the loop's timer, made and changed in the loop's thread only
  bool loopArmed_ = false;
  std::thread thread_;
};

}  // namespace zarn3set
