#include "game/dx/DXInput.h"

#include <algorithm>
#include <cstring>

#include "platform/app.h"
#include "platform/forms.h"

namespace zarn {
namespace {

constexpr std::size_t kAssignsSize = DXInputStateCount * 3 * 4;
static_assert(kAssignsSize == 432);

TSharedDirectInput* AcquireSharedInput() {
  // The platform's key table and joysticks are the input object; without a platform running
  // there is none (and no error: the devices fall back to the plain key state).
  if (plat::Backend() == plat::BackendKind::None) return nullptr;
  if (!SharedDirectInput) SharedDirectInput = new TSharedDirectInput;
  ++SharedDirectInput->refCount;
  return SharedDirectInput;
}

void ReleaseSharedInput() {
  if (!SharedDirectInput) return;
  if (--SharedDirectInput->refCount <= 0) {
    delete SharedDirectInput;
    SharedDirectInput = nullptr;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TCustomInput

TCustomInput::TCustomInput(TCustomDXInput& owner) : owner_(owner) {}

void TCustomInput::Finalize() {
  initialized_ = false;
  viaDirectInput_ = false;
  buttonCount_ = 0;
  states_ = 0;
}

std::uint32_t TCustomInput::GetCooperativeLevel() const {
  return DISCL_NONEXCLUSIVE | (owner_.ActiveOnly() ? DISCL_FOREGROUND : DISCL_BACKGROUND);
}

bool TCustomInput::MayPoll() const {
  return !owner_.ActiveOnly() || (owner_.Form() && owner_.Form()->Active());
}

void TCustomInput::SetEnabled(bool v) {
  if (enabled_ == v) return;
  enabled_ = v;
  Finalize();
  Initialize();
  ApplyCooperativeLevel();
}

void TCustomInput::SetForceFeedback(bool v) {
  if (forceFeedback_ == v) return;
  forceFeedback_ = v;
  Finalize();
  Initialize();
  ApplyCooperativeLevel();
}

// ---------------------------------------------------------------------------------------------
// TKeyboard

TKeyboard::TKeyboard(TCustomDXInput& owner) : TCustomInput(owner) { SetDefaultKeyAssigns(); }

void TKeyboard::SetDefaultKeyAssigns() {
  for (auto& a : KeyAssigns) a = KeyAssign{0, 0, 0};
  KeyAssigns[isUp] = {'K', plat::vk::Up, plat::vk::Numpad0 + 8};
  KeyAssigns[isDown] = {'J', plat::vk::Down, plat::vk::Numpad0 + 2};
  KeyAssigns[isLeft] = {'H', plat::vk::Left, plat::vk::Numpad0 + 4};
  KeyAssigns[isRight] = {'L', plat::vk::Right, plat::vk::Numpad0 + 6};
  KeyAssigns[isButton1] = {'Z', plat::vk::Space, 0};
  KeyAssigns[isButton2] = {'X', plat::vk::Return, 0};
  KeyAssigns[isButton9] = {plat::vk::F1 + 1, 0, 0};
}

std::vector<std::uint8_t> TKeyboard::AssignsBytes() const {
  std::vector<std::uint8_t> out(kAssignsSize);
  std::size_t at = 0;
  for (const KeyAssign& a : KeyAssigns)
    for (std::int32_t code : a) {
      std::memcpy(out.data() + at, &code, 4);
      at += 4;
    }
  return out;
}

bool TKeyboard::LoadAssigns(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kAssignsSize) return false;
  std::size_t at = 0;
  for (KeyAssign& a : KeyAssigns)
    for (std::int32_t& code : a) {
      std::memcpy(&code, bytes.data() + at, 4);
      at += 4;
    }
  return true;
}

void TKeyboard::Initialize() {
  if (!enabled_) return;
  viaDirectInput_ = owner_.HasDirectInput();
  buttonCount_ = viaDirectInput_ ? 32 : 0;
  initialized_ = true;
}

bool TKeyboard::KeyDown(int virtualKey) const {
  return virtualKey > 0 && virtualKey < 256 && (keys_[static_cast<std::size_t>(virtualKey)] & 0x80);
}

void TKeyboard::Update() {
  keys_.fill(0);
  states_ = 0;
  if (!initialized_ || !MayPoll()) return;
  plat::GetKeyboardState(keys_);
  for (int s = 0; s < DXInputStateCount; ++s)
    for (std::int32_t key : KeyAssigns[static_cast<std::size_t>(s)])
      if (KeyDown(key)) {
        states_ |= DXState(static_cast<TDXInputState>(s));
        break;
      }
}

// ---------------------------------------------------------------------------------------------
// TMouse

TMouse::TMouse(TCustomDXInput& owner) : TCustomInput(owner) {
  enabled_ = false;
  BindInputStates = false;
}

void TMouse::Initialize() {
  if (!enabled_) return;
  if (!owner_.HasDirectInput()) throw EDXInputError(SDirectInputMouse);
  viaDirectInput_ = true;
  buttonCount_ = 3;
  havePosition_ = false;
  initialized_ = true;
}

bool TMouse::Button(int n) const {
  return n >= 0 && n < 3 && buttons_[static_cast<std::size_t>(n)];
}

void TMouse::Update() {
  states_ = 0;
  dx_ = dy_ = 0;
  buttons_ = {};
  if (!initialized_ || !MayPoll()) return;
  plat::Form* f = owner_.Form() ? owner_.Form()->Handle() : nullptr;
  if (!f) return;
  // Relative movement: the first poll only learns where the pointer is.
  if (havePosition_) {
    dx_ = f->mouseX - lastX_;
    dy_ = f->mouseY - lastY_;
  }
  lastX_ = f->mouseX;
  lastY_ = f->mouseY;
  havePosition_ = true;
  buttons_ = {plat::KeyDown(plat::vk::LButton), plat::KeyDown(plat::vk::RButton),
              plat::KeyDown(plat::vk::MButton)};
  if (dx_ < 0) states_ |= DXState(isLeft);
  if (dx_ > 0) states_ |= DXState(isRight);
  if (dy_ < 0) states_ |= DXState(isUp);
  if (dy_ > 0) states_ |= DXState(isDown);
  for (int b = 0; b < 3; ++b)
    if (buttons_[static_cast<std::size_t>(b)]) states_ |= DXState(DXButton(b + 1));
}

// ---------------------------------------------------------------------------------------------
// TJoystick

TJoystick::TJoystick(TCustomDXInput& owner) : TCustomInput(owner) {}

std::uint32_t TJoystick::GetCooperativeLevel() const {
  if (!autoCenter_) return DISCL_EXCLUSIVE | DISCL_FOREGROUND;
  return TCustomInput::GetCooperativeLevel();
}

void TJoystick::Initialize() {
  device_ = -1;
  if (!enabled_ || id_ < 0) return;
  // The joystick at position ID among those present.
  if (id_ >= plat::JoystickCount()) return;
  plat::JoystickState st;
  if (!plat::PollJoystick(id_, st) || !st.present) return;
  device_ = id_;
  viaDirectInput_ = owner_.HasDirectInput();
  buttonCount_ = std::clamp(st.buttonCount, 0, 32);
  initialized_ = true;
}

void TJoystick::SetID(int id) {
  if (id == id_) return;
  id_ = id;
  Finalize();
  Initialize();
}

void TJoystick::SetAutoCenter(bool v) {
  autoCenter_ = v;
  ApplyCooperativeLevel();
}

int TJoystick::DeadZone(int axis) const {
  return axis >= 0 && axis < 3 ? deadZone_[static_cast<std::size_t>(axis)] : -1;
}

void TJoystick::SetDeadZone(int axis, int percent) {
  if (axis >= 0 && axis < 3) deadZone_[static_cast<std::size_t>(axis)] = std::clamp(percent, 0, 100);
}

int TJoystick::Range(int axis) const {
  return axis >= 0 && axis < 3 ? range_[static_cast<std::size_t>(axis)] : -1;
}

void TJoystick::SetRange(int axis, int range) {
  if (axis >= 0 && axis < 3) range_[static_cast<std::size_t>(axis)] = std::max(range, 0);
}

int TJoystick::Scale(int axis, std::int32_t raw) const {
  const auto a = static_cast<std::size_t>(axis);
  constexpr long long half = 32767;
  long long v = std::clamp<long long>(raw, -half, half);
  const long long dead = half * deadZone_[a] / 100;
  const long long mag = v < 0 ? -v : v;
  if (mag <= dead || dead >= half) return 0;
  // Past the dead zone the position runs from 0 to the full range.
  long long scaled = (mag - dead) * range_[a] / (half - dead);
  return static_cast<int>(v < 0 ? -scaled : scaled);
}

void TJoystick::Update() {
  states_ = 0;
  pos_ = {};
  buttons_ = 0;
  if (!initialized_ || !MayPoll()) return;
  plat::JoystickState st;
  if (!plat::PollJoystick(device_, st) || !st.present) return;
  pos_ = {Scale(0, st.x), Scale(1, st.y), Scale(2, st.z)};
  buttons_ = st.buttons;
  for (int b = 0; b < 32; ++b)
    if (buttons_ & (1u << b)) states_ |= DXState(DXButton(b + 1));
  if (pos_[0] < 0) states_ |= DXState(isLeft);
  if (pos_[0] > 0) states_ |= DXState(isRight);
  if (pos_[1] < 0) states_ |= DXState(isUp);
  if (pos_[1] > 0) states_ |= DXState(isDown);
}

// ---------------------------------------------------------------------------------------------
// TCustomDXInput

TCustomDXInput::TCustomDXInput(TDXForm* owner) : form_(owner) {
  if (!owner) throw EDXInputError(SFormNotFound);
  joystick_ = std::make_unique<TJoystick>(*this);
  keyboard_ = std::make_unique<TKeyboard>(*this);
  mouse_ = std::make_unique<TMouse>(*this);
  devices_ = {joystick_.get(), keyboard_.get(), mouse_.get()};
  hookId_ = owner->Hook([this](TDXFormMessage msg, const std::function<void()>& previous) {
    OnFormMessage(msg, previous);
  });
}

TCustomDXInput::~TCustomDXInput() {
  Finalize();
  if (form_ && hookId_) form_->Unhook(hookId_);
}

void TCustomDXInput::Loaded() { Initialize(); }

void TCustomDXInput::Initialize() {
  Finalize();
  if (useDirectInput_ && AcquireSharedInput()) holdsShared_ = true;
  try {
    for (TCustomInput* d : devices_) d->Initialize();
  } catch (...) {
    Finalize();
    throw;
  }
  for (TCustomInput* d : devices_) d->ApplyCooperativeLevel();
  Update();
}

void TCustomDXInput::Finalize() {
  for (TCustomInput* d : devices_) d->Finalize();
  if (holdsShared_) ReleaseSharedInput();
  holdsShared_ = false;
  states_ = 0;
}

void TCustomDXInput::SetActiveOnly(bool v) {
  activeOnly_ = v;
  for (TCustomInput* d : devices_) d->ApplyCooperativeLevel();
}

void TCustomDXInput::SetUseDirectInput(bool v) {
  if (useDirectInput_ == v) return;
  useDirectInput_ = v;
  Initialize();
}

void TCustomDXInput::Update() {
  states_ = 0;
  for (TCustomInput* d : devices_) {
    d->Update();
    if (d->BindInputStates) states_ |= d->States();
  }
}

void TCustomDXInput::OnFormMessage(TDXFormMessage msg, const std::function<void()>& previous) {
  previous();
  if (msg == TDXFormMessage::Activate) mouse_->Reacquire();
}

}  // namespace zarn
