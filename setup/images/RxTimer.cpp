#include "setup/images/RxTimer.h"

#include "platform/app.h"

namespace zarn3set {

TRxTimer::~TRxTimer() {
  destroying_ = true;
  enabled_ = false;
  onTimer_ = nullptr;
  if (id_ > 0) plat::RemoveTimer(id_);
}

void TRxTimer::SetEnabled(bool on) {
  enabled_ = on;
  Update();
}

void TRxTimer::SetInterval(std::uint32_t ms) {
  interval_ = ms;
  Update();
}

void TRxTimer::SetOnTimer(std::function<void()> handler) {
  onTimer_ = std::move(handler);
  Update();
}

bool TRxTimer::Running() const { return interval_ > 0 && enabled_ && onTimer_; }

void TRxTimer::Update() {
  bool run = Running();
  if (!run) {
    if (id_ > 0) plat::SetTimerEnabled(id_, false);
    return;
  }
  if (id_ == 0) {
    id_ = plat::AddTimer(interval_, [this] {
      if (enabled_ && !destroying_ && onTimer_) onTimer_();
    });
  } else {
    plat::SetTimerInterval(id_, interval_);
    plat::SetTimerEnabled(id_, true);
  }
}

}  // namespace zarn3set
