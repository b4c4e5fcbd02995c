// A picture control that shows a GIF's current frame (stretched, centred or at its own size)
// and can step through its frames with a timer.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "setup/images/Animate.h"
#include "setup/images/RxGIF.h"
#include "setup/images/RxTimer.h"

namespace zarn3set {

class TRxGIFAnimator : public TRxImageControl {
 public:
  TRxGIFAnimator();
  ~TRxGIFAnimator() override;

  TGIFImage& Image() { return image_; }
  void SetImage(const TGIFImage& image);  // copies
  bool Animate() const { return animate_; }
  void SetAnimate(bool on);
  bool autoSize = true;
  bool Center() const { return center_; }
  void SetCenter(bool on) { if (on != center_) { center_ = on; Invalidate(); } }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool on) { if (on != stretch_) { stretch_ = on; Invalidate(); } }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool on) { if (on != transparent_) { transparent_ = on; Invalidate(); } }
  bool loop = true;
  int FrameIndex() const { return frameIndex_; }
  // Ticks run in the timer's own thread; OnFrameChanged is still called in the loop's.
  bool AsyncDrawing() const { return asyncDrawing_; }
  void SetAsyncDrawing(bool on);
  void SetFrameIndex(int index);
  // Interval for a frame: 0 below two frames or out of range, else its delay within 50..10000.
  std::uint32_t FrameInterval(int index);
  void Tick();  // one timer step (public for the loop's timer and for tests)

  std::function<void()> OnStart, OnStop, OnChange, OnFrameChanged;
  TRxTimer& Timer() { return timer_; }

 protected:
  void DrawPicture(plat::Surface& canvas) override;

 private:
  void ImageChanged();
  void RefreshAfterChange();
  TGIFImage image_;
  TGIFCanvas canvas_;  // the last frame composed, for the next one
  TRxTimer timer_;
  bool animate_ = false, center_ = false, stretch_ = false, transparent_ = true;
  bool asyncDrawing_ = false;
  std::atomic<int> frameIndex_ = -1;
  std::shared_ptr<TRxGIFAnimator*> self_;  // lets posted events see that the control is gone
};

}  // namespace zarn3set
