// A timer component over the application loop's window timers: its event always runs in the
// loop's thread, between other events (what the synchronised threaded timer guarantees too).
#pragma once

#include <cstdint>
#include <functional>

namespace zarn3set {

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
  void SetThreaded(bool on) { threaded_ = on; Update(); }
  bool SyncEvent() const { return syncEvent_; }
  void SetSyncEvent(bool on) { syncEvent_ = on; }
  void SetOnTimer(std::function<void()> handler);
  bool HasOnTimer() const { return static_cast<bool>(onTimer_); }
  // True while the loop would fire it (interval > 0, enabled, a handler).
  bool Running() const;

 private:
  void Update();
  bool enabled_ = true;
  std::uint32_t interval_ = 1000;
  bool threaded_ = true;
  bool syncEvent_ = true;
  bool destroying_ = false;
  std::function<void()> onTimer_;
  int id_ = 0;
};

}  // namespace zarn3set
