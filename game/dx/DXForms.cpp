#include "game/dx/DXForms.h"

#include <algorithm>
#include <utility>

#include "platform/app.h"

namespace zarn {
namespace {

struct FormTimer {
  TDXForm* form;
  TCustomDXTimer* timer;
};
std::vector<FormTimer> gFormTimers;
bool gClockIsOurs = false;

std::uint64_t PlatformClock() { return plat::NowMs(); }

// The one idle handler of the application runs whichever frame clock resumed last; with
// none the loop may wait for messages.
void AppIdle(bool& done) {
  if (!DXRunIdle()) done = true;
}

void InstallApplicationHooks() {
  plat::SetIdleHandler(AppIdle);
  plat::OnAppActivate = DXApplicationActivated;
  plat::OnAppDeactivate = DXApplicationDeactivated;
  TCustomDXTimer::ApplicationActive = plat::AppActive();
  if (!DXClockProc) {
    DXClockProc = PlatformClock;
    gClockIsOurs = true;
  }
}

void RemoveApplicationHooks() {
  plat::SetIdleHandler(nullptr);
  plat::OnAppActivate = nullptr;
  plat::OnAppDeactivate = nullptr;
  if (gClockIsOurs && DXClockProc == PlatformClock) DXClockProc = nullptr;
  gClockIsOurs = false;
}

}  // namespace

void DXApplicationActivated() {
  TCustomDXTimer::ApplicationActive = true;
  auto timers = gFormTimers;  // a handler may add or remove timers
  for (const FormTimer& ft : timers) {
    bool still = std::any_of(gFormTimers.begin(), gFormTimers.end(),
                             [&](const FormTimer& f) { return f.timer == ft.timer; });
    if (still) ft.timer->AppActivated();
  }
}

void DXApplicationDeactivated() {
  TCustomDXTimer::ApplicationActive = false;
  auto timers = gFormTimers;
  for (const FormTimer& ft : timers) {
    bool still = std::any_of(gFormTimers.begin(), gFormTimers.end(),
                             [&](const FormTimer& f) { return f.timer == ft.timer; });
    if (still) ft.timer->AppDeactivated();
  }
}

TDXForm::TDXForm(const std::string& caption, int clientWidth, int clientHeight) {
  std::string why;
  form_ = plat::CreateForm(caption, clientWidth, clientHeight, &why);
  if (!form_) throw EDXError(why.empty() ? std::string(SFormNotFound) : why);
  formId_ = form_->id;
  form_->OnActivate = [this] { Dispatch(TDXFormMessage::Activate); };
  form_->OnDeactivate = [this] { Dispatch(TDXFormMessage::Deactivate); };
  form_->OnResize = [this] { Dispatch(TDXFormMessage::Resize); };
  form_->OnClose = [this](plat::CloseAction& action) {
    plat::CloseAction* outer = closeAction_;
    closeAction_ = &action;
    Dispatch(TDXFormMessage::Close);
    closeAction_ = outer;
  };
  if (DXFormCount++ == 0) InstallApplicationHooks();
}

TDXForm::~TDXForm() {
  std::erase_if(gFormTimers, [this](const FormTimer& ft) { return ft.form == this; });
  if (plat::Form* f = Handle()) {
    // The window may outlive us for a moment (the loop owns it): it must not call back.
    f->OnActivate = nullptr;
    f->OnDeactivate = nullptr;
    f->OnResize = nullptr;
    f->OnClose = nullptr;
    plat::DestroyForm(f);
  }
  if (--DXFormCount == 0) RemoveApplicationHooks();
}

plat::Form* TDXForm::Handle() const {
  // The platform may have closed every window at shutdown: look the form up, never trust it.
  plat::Form* f = plat::FindForm(formId_);
  return f == form_ ? f : nullptr;
}

int TDXForm::ClientWidth() const {
  plat::Form* f = Handle();
  return f ? f->clientWidth : 0;
}
int TDXForm::ClientHeight() const {
  plat::Form* f = Handle();
  return f ? f->clientHeight : 0;
}
bool TDXForm::Active() const {
  plat::Form* f = Handle();
  return f && f->active;
}
bool TDXForm::Visible() const {
  plat::Form* f = Handle();
  return f && f->visible;
}
bool TDXForm::FullScreen() const {
  plat::Form* f = Handle();
  return f && f->fullScreen;
}

void TDXForm::SetClientSize(int w, int h) {
  if (plat::Form* f = Handle()) plat::SetClientSize(f, w, h);
}

void TDXForm::Show() {
  plat::Form* f = Handle();
  if (!f || f->visible) return;
  plat::ShowForm(f);
  Dispatch(TDXFormMessage::Show);
}

void TDXForm::Hide() {
  if (plat::Form* f = Handle()) plat::HideForm(f);
}

void TDXForm::Close() {
  if (plat::Form* f = Handle()) plat::CloseForm(f);
}

int TDXForm::Hook(TDXFormHook hook) {
  int id = nextHookId_++;
  hooks_.push_back(HookEntry{id, std::move(hook)});
  return id;
}

void TDXForm::Unhook(int id) {
  std::erase_if(hooks_, [id](const HookEntry& h) { return h.id == id; });
}

void TDXForm::Dispatch(TDXFormMessage msg) {
  // A hook may unhook itself (or others) while the message runs: walk a copy.
  std::vector<HookEntry> chain = hooks_;
  DispatchFrom(chain, chain.size(), msg);
}

void TDXForm::DispatchFrom(const std::vector<HookEntry>& chain, std::size_t n,
                           TDXFormMessage msg) {
  if (n == 0) {
    WndProc(msg);
    return;
  }
  const HookEntry& h = chain[n - 1];
  h.hook(msg, [this, &chain, n, msg] { DispatchFrom(chain, n - 1, msg); });
}

void TDXForm::WndProc(TDXFormMessage msg) {
  switch (msg) {
    case TDXFormMessage::Show:
      if (OnShow) OnShow(*this);
      break;
    case TDXFormMessage::Activate:
      if (OnActivate) OnActivate(*this);
      break;
    case TDXFormMessage::Deactivate:
      if (OnDeactivate) OnDeactivate(*this);
      break;
    case TDXFormMessage::Close:
      if (OnClose) {
        plat::CloseAction local = plat::CloseAction::Hide;
        OnClose(*this, closeAction_ ? *closeAction_ : local);
      }
      break;
    case TDXFormMessage::Resize:
      if (OnResize) OnResize(*this);
      break;
  }
}

void TDXForm::CacheWindow() {
  plat::Form* f = Handle();
  cached_ = f != nullptr;
  if (!f) return;
  cachedWidth_ = f->clientWidth;
  cachedHeight_ = f->clientHeight;
  cachedFullScreen_ = f->fullScreen;
}

void TDXForm::RestoreWindow() {
  if (!cached_) return;
  cached_ = false;
  plat::Form* f = Handle();
  if (!f) return;
  if (f->fullScreen != cachedFullScreen_) plat::SetFullScreen(f, cachedFullScreen_);
  plat::SetClientSize(f, cachedWidth_, cachedHeight_);
}

void TDXForm::AddTimer(TCustomDXTimer& timer) {
  RemoveTimer(timer);
  gFormTimers.push_back(FormTimer{this, &timer});
}

void TDXForm::RemoveTimer(TCustomDXTimer& timer) {
  std::erase_if(gFormTimers, [&timer](const FormTimer& ft) { return ft.timer == &timer; });
}

}  // namespace zarn
