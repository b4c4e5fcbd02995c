// The display component and its two presentation drivers.
#include "game/dx/DXDraws.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "game/dx/DXRender.h"
#include "platform/forms.h"

namespace zarn {
namespace {

std::string DisplayModeError(int w, int h, int bits) {
  char text[96];
  std::snprintf(text, sizeof text, "Display mode cannot be changed (%dx%d %dbit)", w, h, bits);
  return text;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Drivers

void TDXDrawDriver::Finalize() {
  TCustomDXDraw& d = owner_;
  d.clipper_.reset();
  d.palette_.reset();
  d.surface_ = nullptr;
  d.back_.reset();
  d.primary_.reset();  // takes a flipping chain's back buffer with it
}

bool TDXDrawDriver::Restore() {
  TCustomDXDraw& d = owner_;
  if (!d.primary_ || !d.surface_) return false;
  bool ok = d.primary_->Restore();
  ok = d.surface_->Restore() && ok;
  if (ok) {
    d.primary_->Fill(0);
    d.surface_->Fill(0);
  }
  return ok;
}

void TDXDrawDriverBlt::Initialize() {
  TCustomDXDraw& d = owner_;
  d.primary_ = std::make_unique<TDirectDrawSurface>(*d.ddraw_);
  TDDSurfaceDesc desc;
  desc.dwFlags = DDSD_CAPS;
  desc.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (!d.primary_->CreateSurface(desc)) throw EDXDrawError(DXFormat(SCannotMade, "Primary Surface"));
  d.clipper_ = std::make_unique<TDirectDrawClipper>(*d.ddraw_);
  d.clipper_->SetHandle(d.parentForm_);
  d.primary_->SetClipper(d.clipper_.get());
  d.palette_ = std::make_unique<TDirectDrawPalette>(*d.ddraw_);
  const bool all256 = HasOpt(d.effective_, doAllowPalette256);
  d.palette_->CreatePalette(all256 ? 76 : 12, d.PaletteEntriesFrom(d.PaletteTable));
  d.primary_->SetPalette(d.palette_.get());
  InitializeSurface();
}

void TDXDrawDriverBlt::InitializeSurface() {
  TCustomDXDraw& d = owner_;
  d.surface_ = nullptr;
  d.back_.reset();
  d.effective_ &= ~DXOpt(doSystemMemory);
  TDDSurfaceDesc desc;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwWidth = std::max(d.storedWidth_, 1);
  desc.dwHeight = std::max(d.storedHeight_, 1);
  desc.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  if (HasOpt(d.options_, doSystemMemory)) desc.dwCaps |= DDSCAPS_SYSTEMMEMORY;
  if (HasOpt(d.effective_, do3D)) desc.dwCaps |= DDSCAPS_3DDEVICE;
  d.back_ = std::make_unique<TDirectDrawSurface>(*d.ddraw_);
  if (!d.back_->CreateSurface(desc)) {
    desc.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    if (!d.back_->CreateSurface(desc)) {
      d.back_.reset();
      throw EDXDrawError(DXFormat(SCannotMade, "Surface"));
    }
  }
  d.surface_ = d.back_.get();
  if (!(d.surface_->Caps() & DDSCAPS_VIDEOMEMORY)) d.effective_ |= DXOpt(doSystemMemory);
  d.surface_->SetPalette(d.palette_.get());
  d.surface_->Fill(0);
  if (HasOpt(d.effective_, do3D)) DXMake3DObjects(d);
}

void TDXDrawDriverBlt::Flip() {
  TCustomDXDraw& d = owner_;
  TDirectDrawSurface& primary = *d.primary_;
  TDirectDrawSurface& back = *d.surface_;
  // The primary surface is the window's picture: it follows the window's size.
  if (TDXForm* f = d.parentForm_) {
    if (f->ClientWidth() != primary.Width() || f->ClientHeight() != primary.Height()) {
      TDDSurfaceDesc desc;
      desc.dwFlags = DDSD_CAPS;
      desc.dwCaps = DDSCAPS_PRIMARYSURFACE;
      if (!primary.CreateSurface(desc)) return;
      primary.SetClipper(d.clipper_.get());
      primary.SetPalette(d.palette_.get());
    }
  }
  plat::Rect dest{d.left_, d.top_, back.Width(), back.Height()};
  if (HasOpt(d.effective_, doStretch)) {
    dest.w = d.width_;
    dest.h = d.height_;
  } else if (HasOpt(d.effective_, doCenter)) {
    dest.x += (d.width_ - back.Width()) / 2;
    dest.y += (d.height_ - back.Height()) / 2;
  }
  if (HasOpt(d.effective_, doWaitVBlank)) d.ddraw_->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN);
  primary.Blt(dest, back.ClientRect(), DDBLT_WAIT, TDDBltFx{}, &back);
}

bool TDXDrawDriverBlt::SetSize(int width, int height) {
  TCustomDXDraw& d = owner_;
  d.storedWidth_ = std::max(width, 1);
  d.storedHeight_ = std::max(height, 1);
  ++d.updateCount_;
  try {
    d.listeners_.Notify(dxntFinalizeSurface);
    if (d.calledDoInitializeSurface_) {
      d.calledDoInitializeSurface_ = false;
      d.DoFinalizeSurface();
    }
    InitializeSurface();
    d.listeners_.Notify(dxntInitializeSurface);
    d.calledDoInitializeSurface_ = true;
    d.DoInitializeSurface();
  } catch (...) {
    --d.updateCount_;
    throw;
  }
  --d.updateCount_;
  return true;
}

void TDXDrawDriverFlip::Initialize() {
  TCustomDXDraw& d = owner_;
  d.primary_ = std::make_unique<TDirectDrawSurface>(*d.ddraw_);
  TDDSurfaceDesc desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  if (HasOpt(d.effective_, do3D)) desc.dwCaps |= DDSCAPS_3DDEVICE;
  if (!d.primary_->CreateSurface(desc)) throw EDXDrawError(DXFormat(SCannotMade, "Primary Surface"));
  d.surface_ = d.primary_->AttachedSurface();
  d.effective_ &= ~DXOpt(doSystemMemory);
  if (d.surface_->Caps() & DDSCAPS_SYSTEMMEMORY) d.effective_ |= DXOpt(doSystemMemory);
  d.clipper_ = std::make_unique<TDirectDrawClipper>(*d.ddraw_);
  d.palette_ = std::make_unique<TDirectDrawPalette>(*d.ddraw_);
  const bool all256 = HasOpt(d.effective_, doAllowPalette256);
  d.palette_->CreatePalette(all256 ? 68 : 4, d.PaletteEntriesFrom(d.PaletteTable));
  d.primary_->SetPalette(d.palette_.get());
  d.surface_->SetPalette(d.palette_.get());
  if (HasOpt(d.effective_, do3D)) DXMake3DObjects(d);
}

void TDXDrawDriverFlip::Flip() {
  TCustomDXDraw& d = owner_;
  if (d.parentForm_ && d.parentForm_->Active()) d.primary_->Flip(DDFLIP_WAIT);
}

// ---------------------------------------------------------------------------------------------
// TCustomDXDraw

TCustomDXDraw::TCustomDXDraw(TDXForm* parent) {
  options_ = DXDrawDefaultOptions;
  ApplyOptions();
  PaletteTable = SystemPaletteQuads();
  RestoreColorTable = SystemPaletteQuads();
  if (parent) SetParent(parent);
}

TCustomDXDraw::~TCustomDXDraw() {
  try {
    Finalize();
  } catch (...) {
    // An event handler failed while the display went: it goes all the same.
  }
  listeners_.Notify(dxntDestroying);
  if (parentForm_ && hookId_) parentForm_->Unhook(hookId_);
}

void TCustomDXDraw::SetParent(TDXForm* parent) {
  if (parentForm_ && hookId_) parentForm_->Unhook(hookId_);
  parentForm_ = parent;
  hookId_ = 0;
  if (!parent) return;
  hookId_ = parent->Hook([this](TDXFormMessage msg, const std::function<void()>& previous) {
    OnParentMessage(msg, previous);
  });
  FollowParent();
}

void TCustomDXDraw::FollowParent() {
  if (parentForm_ && alignClient_)
    SetBounds(0, 0, parentForm_->ClientWidth(), parentForm_->ClientHeight());
}

void TCustomDXDraw::SetAlignClient(bool on) {
  alignClient_ = on;
  FollowParent();
}

void TCustomDXDraw::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  if (autoSize_ && !busy_) SetSurfaceSize(width_, height_);
}

void TCustomDXDraw::SetAutoSize(bool on) {
  if (autoSize_ == on) return;
  autoSize_ = on;
  if (on && !busy_) SetSurfaceSize(width_, height_);
}

void TCustomDXDraw::ApplyOptions() {
  TDXDrawOptions e = options_;
  if (!HasOpt(e, doFullScreen))
    e &= ~(DXOpt(doNoWindowChange) | DXOpt(doAllowReboot) | DXOpt(doAllowPalette256) | DXOpt(doFlip));
  if (!HasOpt(e, do3D)) e &= ~DXDraw3DOptions;
  if (HasOpt(e, doSystemMemory)) e &= ~DXOpt(doFlip);
  e &= ~DXOpt(doHardware);
  effective_ = e;
}

void TCustomDXDraw::SetOptions(TDXDrawOptions value) {
  options_ = value;
  if (!initialized_) {
    ApplyOptions();
    return;
  }
  // While shown only the presentation details change; the rest waits for the next start.
  constexpr TDXDrawOptions live =
      DXOpt(doWaitVBlank) | DXOpt(doStretch) | DXOpt(doCenter) | DXOpt(doDither);
  effective_ = (effective_ & ~live) | (value & live);
  if (!HasOpt(value, do3D)) effective_ &= ~DXDraw3DOptions;
}

int TCustomDXDraw::SurfaceWidth() const {
  return surface_ && surface_->HasInterface() ? surface_->Width() : storedWidth_;
}

int TCustomDXDraw::SurfaceHeight() const {
  return surface_ && surface_->HasInterface() ? surface_->Height() : storedHeight_;
}

void TCustomDXDraw::SetSurfaceWidth(int w) { SetSurfaceSize(w, SurfaceHeight()); }
void TCustomDXDraw::SetSurfaceHeight(int h) { SetSurfaceSize(SurfaceWidth(), h); }

void TCustomDXDraw::SetSurfaceSize(int w, int h) {
  if ((w == SurfaceWidth() && h == SurfaceHeight()) || busy_) return;
  if (initialized_) {
    try {
      if (!driver_->SetSize(w, h)) return;
    } catch (...) {
      Finalize();
      throw;
    }
  } else {
    storedWidth_ = w;
    storedHeight_ = h;
  }
  listeners_.Notify(dxntSetSurfaceSize);
}

void TCustomDXDraw::Loaded() {
  if (autoSize_) {
    storedWidth_ = width_;
    storedHeight_ = height_;
  }
  listeners_.Notify(dxntSetSurfaceSize);
  // On a form the display starts when the form is first shown.
  if (AutoInitialize && !parentForm_) Initialize();
}

void TCustomDXDraw::SetCooperativeLevel() {
  if (!ddraw_) return;
  std::uint32_t flags = DDSCL_NORMAL;
  if (HasOpt(effective_, doFullScreen)) {
    flags = DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX;
    if (HasOpt(effective_, doNoWindowChange)) flags |= DDSCL_NOWINDOWCHANGES;
    if (HasOpt(effective_, doAllowReboot)) flags |= DDSCL_ALLOWREBOOT;
  }
  ddraw_->SetCooperativeLevel(parentForm_, flags);  // a failure only stays in DXResult
}

void TCustomDXDraw::Initialize() {
  initializeRequested_ = true;
  Finalize();
  if (!parentForm_ || !parentForm_->Handle()) throw EDXDrawError(SFormNotFound);
  bool fellBack = false;
  try {
    DoInitializing();
    busy_ = true;
    internalInitialized_ = true;
    listeners_.Notify(dxntInitializing);

    if (HasOpt(options_, doFullScreen) && HasOpt(options_, do3D) && HasOpt(options_, doHardware) &&
        !HasOpt(options_, doSystemMemory))
      DXChoose3DDevice(*this);
    ddraw_ = std::make_unique<TDirectDraw>();
    SetCooperativeLevel();
    fullScreenError_.clear();
    if (HasOpt(effective_, doFullScreen)) {
      if (!display_.SetDisplayMode(display_.Width(), display_.Height(), display_.BitCount()))
        throw EDXDrawError(
            DisplayModeError(display_.Width(), display_.Height(), display_.BitCount()));
      std::string why;
      if (!ddraw_->EnterFullScreen(&why)) {
        // No full screen here: carry on in the window (Options keep asking for full screen,
        // so the shell does not retry every frame).
        fellBack = true;
        fullScreenError_ = why;
        const TDXDrawOptions asked = options_;
        options_ &= ~DXOpt(doFullScreen);
        ApplyOptions();
        options_ = asked;
        SetCooperativeLevel();
      }
    }
    if (HasOpt(effective_, doFlip))
      driver_ = std::make_unique<TDXDrawDriverFlip>(*this);
    else
      driver_ = std::make_unique<TDXDrawDriverBlt>(*this);
    if (autoSize_) {
      storedWidth_ = width_;
      storedHeight_ = height_;
    }
    driver_->Initialize();
    busy_ = false;
    initialized_ = true;
  } catch (...) {
    busy_ = false;
    Finalize();
    throw;
  }
  listeners_.Notify(dxntSetSurfaceSize);
  listeners_.Notify(dxntInitialize);
  calledDoInitialize_ = true;
  DoInitialize();
  listeners_.Notify(dxntInitializeSurface);
  calledDoInitializeSurface_ = true;
  DoInitializeSurface();
  Restore();
  if (fellBack) ReportFullScreenFailure(fullScreenError_);
}

void TCustomDXDraw::ReportFullScreenFailure(const std::string& reason) {
  if (OnFullScreenFailed) {
    OnFullScreenFailed(*this, reason);
    return;
  }
  plat::Form* f = parentForm_ ? parentForm_->Handle() : nullptr;
  std::string text = SFullScreenUnavailable;
  if (!reason.empty() && reason != text) text += ".\n" + reason;
  plat::MessageBox(f, f ? f->caption : std::string(), text, plat::MessageKind::Warning);
}

void TCustomDXDraw::Finalize() {
  if (!internalInitialized_) return;
  storedWidth_ = SurfaceWidth();
  storedHeight_ = SurfaceHeight();
  display_.ClearModes();
  busy_ = true;
  // The display goes whatever the handlers do; the first failure is passed on afterwards.
  std::exception_ptr failure;
  auto guarded = [&failure](auto&& step) {
    try {
      step();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  };
  guarded([this] {
    if (calledDoInitializeSurface_) {
      calledDoInitializeSurface_ = false;
      DoFinalizeSurface();
    }
  });
  guarded([this] { listeners_.Notify(dxntFinalizeSurface); });
  guarded([this] {
    if (calledDoInitialize_) {
      calledDoInitialize_ = false;
      DoFinalize();
    }
  });
  guarded([this] { listeners_.Notify(dxntFinalize); });
  calledDoInitializeSurface_ = false;
  calledDoInitialize_ = false;
  internalInitialized_ = false;
  initialized_ = false;
  ApplyOptions();
  if (driver_) driver_->Finalize();
  driver_.reset();
  surface_ = nullptr;
  back_.reset();
  primary_.reset();
  palette_.reset();
  clipper_.reset();
  ddraw_.reset();  // leaves full screen
  busy_ = false;
  // The window may have changed size on the way out of full screen.
  FollowParent();
  if (failure) std::rethrow_exception(failure);
}

bool TCustomDXDraw::CheckSurfaces() {
  if (!initialized_ || busy_ || !primary_ || !primary_->HasInterface()) return false;
  if (primary_->IsLost() || (surface_ && surface_->IsLost())) {
    Restore();
    return !primary_->IsLost() && !(surface_ && surface_->IsLost());
  }
  return true;
}

void TCustomDXDraw::Flip() {
  if (initialized_ && !busy_ && CheckSurfaces()) driver_->Flip();
}

bool TCustomDXDraw::CanDraw() {
  return initialized_ && !busy_ && surface_ && surface_->HasInterface() && CheckSurfaces();
}

void TCustomDXDraw::Restore() {
  if (!initialized_ || busy_) return;
  busy_ = true;
  try {
    if (driver_->Restore()) {
      primary_->SetPalette(palette_.get());
      surface_->SetPalette(palette_.get());
      if (palette_) palette_->SetEntries(0, 256, PaletteEntriesFrom(RestoreColorTable).data());
      listeners_.Notify(dxntRestore);
      DoRestoreSurface();
      if (palette_) palette_->SetEntries(0, 256, PaletteEntriesFrom(PaletteTable).data());
    }
  } catch (...) {
    busy_ = false;
    throw;
  }
  busy_ = false;
}

void TCustomDXDraw::Paint() {
  const TDXDrawOptions wait = effective_ & DXOpt(doWaitVBlank);
  effective_ &= ~DXOpt(doWaitVBlank);
  Flip();
  effective_ = (effective_ & ~DXOpt(doWaitVBlank)) | wait;
}

void TCustomDXDraw::UpdatePalette() {
  if (palette_) palette_->SetEntries(0, 256, PaletteEntriesFrom(PaletteTable).data());
}

TPaletteEntries TCustomDXDraw::PaletteEntriesFrom(const TRGBQuads& table) const {
  TPaletteEntries out{};
  const bool all = HasOpt(effective_, doAllowPalette256);
  const TRGBQuads& sys = SystemPaletteQuads();
  for (std::size_t i = 0; i < 256; ++i) {
    // The system keeps its 20 reserved colours unless the palette may take all 256.
    const TRGBQuad& q = (!all && (i < 10 || i >= 246)) ? sys[i] : table[i];
    out[i] = TDDPaletteEntry{q.rgbRed, q.rgbGreen, q.rgbBlue, 0x40};
  }
  return out;
}

void TCustomDXDraw::OnParentMessage(TDXFormMessage msg, const std::function<void()>& previous) {
  switch (msg) {
    case TDXFormMessage::Close:
      // The display goes before the form closes.
      Finalize();
      previous();
      break;
    case TDXFormMessage::Show:
      previous();
      if (AutoInitialize && !initializeRequested_) Initialize();
      break;
    case TDXFormMessage::Resize:
      previous();
      FollowParent();
      break;
    default:
      // Losing the focus in full screen needs nothing here: the desktop's mode never changed.
      previous();
      break;
  }
}

void TCustomDXDraw::DoFinalize() {
  if (OnFinalize) OnFinalize(*this);
}
void TCustomDXDraw::DoFinalizeSurface() {
  if (OnFinalizeSurface) OnFinalizeSurface(*this);
}
void TCustomDXDraw::DoInitialize() {
  if (OnInitialize) OnInitialize(*this);
}
void TCustomDXDraw::DoInitializeSurface() {
  if (OnInitializeSurface) OnInitializeSurface(*this);
}
void TCustomDXDraw::DoInitializing() {
  if (OnInitializing) OnInitializing(*this);
}
void TCustomDXDraw::DoRestoreSurface() {
  if (OnRestoreSurface) OnRestoreSurface(*this);
}

}  // namespace zarn
