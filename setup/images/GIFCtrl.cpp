#include "setup/images/GIFCtrl.h"

#include <algorithm>

#include "platform/app.h"

namespace zarn3set {

TRxGIFAnimator::TRxGIFAnimator() : self_(std::make_shared<TRxGIFAnimator*>(this)) {
  timer_.SetEnabled(false);
  image_.OnChange = [this] { ImageChanged(); };
}

TRxGIFAnimator::~TRxGIFAnimator() {
  {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    OnStart = OnStop = OnChange = OnFrameChanged = nullptr;
  }
  SetAnimate(false);
  destroying = true;
  *self_ = nullptr;
}

void TRxGIFAnimator::SetAsyncDrawing(bool on) {
  asyncDrawing_ = on;
  timer_.SetSyncEvent(!on);
}

void TRxGIFAnimator::SetImage(const TGIFImage& image) {
  image_.Assign(image);  // fires ImageChanged
}

void TRxGIFAnimator::ImageChanged() {
  canvas_ = TGIFCanvas();
  frameIndex_ = image_.frameIndex;
  timer_.SetInterval(FrameInterval(frameIndex_));
  RefreshAfterChange();
  if (OnChange) OnChange();
}

void TRxGIFAnimator::RefreshAfterChange() {
  if (destroying) return;
  if (autoSize && !loading && !image_.Empty()) {
    width = image_.screenWidth;
    height = image_.screenHeight;
  }
  Invalidate();
}

std::uint32_t TRxGIFAnimator::FrameInterval(int index) {
  if (image_.FrameCount() < 2 || index < 0 || index >= image_.FrameCount()) return 0;
  return std::clamp<std::uint32_t>(image_.Frame(index)->delay, 50, 10000);
}

void TRxGIFAnimator::SetFrameIndex(int index) {
  if (index < 0 || index >= image_.FrameCount() || index == frameIndex_) return;
  frameIndex_ = index;
  timer_.SetInterval(FrameInterval(index));
  if (OnFrameChanged) OnFrameChanged();
  Invalidate();
}

void TRxGIFAnimator::SetAnimate(bool on) {
  if (on == animate_) return;
  if (on) {
    timer_.SetOnTimer([this] { Tick(); });
    timer_.SetEnabled(true);
    animate_ = timer_.Enabled();
    if (OnStart) OnStart();
  } else {
    timer_.SetEnabled(false);
    timer_.SetOnTimer(nullptr);
    animate_ = false;
    if (OnStop) OnStop();
    Invalidate();
  }
}

void TRxGIFAnimator::Tick() {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  if (!visible || loading || destroying || image_.FrameCount() < 2) return;
  int next = frameIndex_ + 1;
  bool wrapped = next >= image_.FrameCount();
  if (wrapped) next = 0;
  frameIndex_ = next;
  if (asyncDrawing_ && timer_.InOwnThread()) {
    std::weak_ptr<TRxGIFAnimator*> self = self_;
    plat::PostTask([self] {
      auto alive = self.lock();
      if (alive && *alive && (*alive)->OnFrameChanged) (*alive)->OnFrameChanged();
    });
  } else if (OnFrameChanged) {
    OnFrameChanged();
  }
  Invalidate();
  timer_.SetInterval(FrameInterval(frameIndex_));
  if (!loop && wrapped) SetAnimate(false);
}

void TRxGIFAnimator::DrawPicture(plat::Surface& canvas) {
  TGIFFrame* f = image_.Frame(frameIndex_);
  // Where no frame has drawn, the parent shows through a transparent picture; otherwise the
  // frame's transparent colour, the image's background or the window colour fills it.
  bool clear = transparent_ && image_.IsTransparent();
  if (!clear && !image_.Empty()) plat::SurfaceFill(canvas, SurfaceColor(canvas, color));
  if (!f || image_.Empty()) return;
  ComposeFrame(image_, frameIndex_, canvas_);
  const TBitmap& screen = canvas_.picture;
  if (screen.width < 1 || screen.height < 1) return;
  TColor background = f->transparentColor != clNone ? f->transparentColor
                      : image_.IsTransparent() && image_.backgroundColor != clNone ? image_.backgroundColor
                                                                                    : clWindow;
  plat::Rect r{0, 0, screen.width, screen.height};
  if (stretch_) r = {0, 0, width, height};
  else if (center_) r = {(width - screen.width) / 2, (height - screen.height) / 2, screen.width, screen.height};
  StretchDrawBitmap(canvas, r, screen, clNone, &canvas_.covered, clear ? clNone : background);
}

}  // namespace zarn3set
