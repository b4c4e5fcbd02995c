#include "setup/images/GIFCtrl.h"

#include <algorithm>

namespace zarn3set {

TRxGIFAnimator::TRxGIFAnimator() {
  timer_.SetEnabled(false);
  image_.OnChange = [this] { ImageChanged(); };
}

TRxGIFAnimator::~TRxGIFAnimator() {
  OnStart = OnStop = OnChange = OnFrameChanged = nullptr;
  SetAnimate(false);
  destroying = true;
}

void TRxGIFAnimator::SetImage(const TGIFImage& image) {
  image_.Assign(image);  // fires ImageChanged
}

void TRxGIFAnimator::ImageChanged() {
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
  if (!visible || loading || destroying || image_.FrameCount() < 2) return;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  int next = frameIndex_ + 1;
  bool wrapped = next >= image_.FrameCount();
  if (wrapped) next = 0;
  frameIndex_ = next;
  if (OnFrameChanged) OnFrameChanged();
  Invalidate();
  timer_.SetInterval(FrameInterval(frameIndex_));
  if (!loop && wrapped) SetAnimate(false);
}

void TRxGIFAnimator::DrawPicture(plat::Surface& canvas) {
  TGIFFrame* f = image_.Frame(frameIndex_);
  bool clear = transparent_ && f && f->transparentColor != clNone && image_.IsTransparent();
  if (!clear && !image_.Empty()) plat::SurfaceFill(canvas, SurfaceColor(canvas, color));
  if (!f || image_.Empty()) return;
  const TBitmap* bmp = nullptr;
  try {
    bmp = &f->Bitmap();
  } catch (const std::exception&) {
    return;  // a damaged frame shows nothing
  }
  if (bmp->width < 1 || bmp->height < 1) return;
  plat::Rect r{0, 0, bmp->width, bmp->height};
  if (stretch_) r = {0, 0, width, height};
  else if (center_) r = {(width - bmp->width) / 2, (height - bmp->height) / 2, bmp->width, bmp->height};
  StretchDrawBitmap(canvas, r, *bmp, clear ? f->transparentColor : clNone);
}

}  // namespace zarn3set
