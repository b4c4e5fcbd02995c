// Input devices: the keyboard, the mouse and a joystick polled into 36 input states (up, down,
// left, right and buttons 1 to 32), over the platform's key table and joystick.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "game/dx/DXClass.h"
#include "game/dx/DXForms.h"
#include "game/dx/ForceFeedback.h"
#include "platform/keys.h"

namespace zarn {

struct EDXInputError : EDXError {
  using EDXError::EDXError;
};

inline constexpr const char* SDirectInputMouse = "DirectInput is necessary to use the mouse";

enum TDXInputState : int {
  isUp, isDown, isLeft, isRight,
  isButton1, isButton2, isButton3, isButton4, isButton5, isButton6, isButton7, isButton8,
  isButton9, isButton10, isButton11, isButton12, isButton13, isButton14, isButton15, isButton16,
  isButton17, isButton18, isButton19, isButton20, isButton21, isButton22, isButton23, isButton24,
  isButton25, isButton26, isButton27, isButton28, isButton29, isButton30, isButton31, isButton32,
};
inline constexpr int DXInputStateCount = 36;
using TDXInputStates = std::uint64_t;  // bit n = state n
constexpr TDXInputStates DXState(TDXInputState s) { return TDXInputStates{1} << s; }
constexpr bool HasState(TDXInputStates set, TDXInputState s) { return (set & DXState(s)) != 0; }
constexpr TDXInputState DXButton(int n) { return static_cast<TDXInputState>(isButton1 + n - 1); }

// Cooperative levels of a device.
inline constexpr std::uint32_t DISCL_EXCLUSIVE = 1, DISCL_NONEXCLUSIVE = 2;
inline constexpr std::uint32_t DISCL_FOREGROUND = 4, DISCL_BACKGROUND = 8;

// The process-wide input object, shared by every input component (made on first use).
struct TSharedDirectInput {
  int refCount = 0;
};
inline TSharedDirectInput* SharedDirectInput = nullptr;

class TCustomDXInput;

class TCustomInput {
 public:
  explicit TCustomInput(TCustomDXInput& owner);
  virtual ~TCustomInput() = default;
  TCustomInput(const TCustomInput&) = delete;
  TCustomInput& operator=(const TCustomInput&) = delete;

  virtual void Finalize();
  virtual void Initialize() = 0;
  virtual std::uint32_t GetCooperativeLevel() const;
  virtual void Update() = 0;

  TCustomDXInput& Owner() const { return owner_; }
  TForceFeedbackEffects& Effects() { return effects_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);             // re-initialises the device
  bool ForceFeedback() const { return forceFeedback_; }
  void SetForceFeedback(bool v);       // re-initialises the device
  bool BindInputStates = true;
  bool Initialized() const { return initialized_; }
  bool UsesDirectInput() const { return viaDirectInput_; }
  int ButtonCount() const { return buttonCount_; }
  TDXInputStates States() const { return states_; }
  std::uint32_t CooperativeLevel() const { return coopLevel_; }
  void ApplyCooperativeLevel() { coopLevel_ = GetCooperativeLevel(); }

 protected:
  // The owner's form is in the foreground, or the owner polls in the background too.
  bool MayPoll() const;

  TCustomDXInput& owner_;
  TForceFeedbackEffects effects_;
  bool enabled_ = true;
  bool forceFeedback_ = false;
  bool initialized_ = false;
  bool viaDirectInput_ = false;
  int buttonCount_ = 0;
  TDXInputStates states_ = 0;
  std::uint32_t coopLevel_ = 0;
};

class TKeyboard : public TCustomInput {
 public:
  using KeyAssign = std::array<std::int32_t, 3>;
  explicit TKeyboard(TCustomDXInput& owner);

  void Initialize() override;
  void Update() override;

  // The key table of the last Update (bit 7: down).
  const plat::KeyboardState& Keys() const { return keys_; }
  bool KeyDown(int virtualKey) const;
  // Three virtual keys per state (0: none).
  std::array<KeyAssign, DXInputStateCount> KeyAssigns;
  void SetDefaultKeyAssigns();
  // The stored "Assigns" property (also read under its older name): 36 x 3 little-endian
  // 32-bit codes. A record of another size is refused (false) and nothing changes.
  std::vector<std::uint8_t> AssignsBytes() const;
  bool LoadAssigns(std::span<const std::uint8_t> bytes);

 private:
  plat::KeyboardState keys_{};
};

class TMouse : public TCustomInput {
 public:
  explicit TMouse(TCustomDXInput& owner);
  void Initialize() override;
  void Update() override;
  int X() const { return dx_; }  // movement since the last Update
  int Y() const { return dy_; }
  int Z() const { return 0; }
  bool Button(int n) const;  // 0 .. 2
  // The window came back: the next poll learns the position afresh (no jump).
  void Reacquire() { havePosition_ = false; }

 private:
  int lastX_ = 0, lastY_ = 0;
  int dx_ = 0, dy_ = 0;
  std::array<bool, 3> buttons_{};
  bool havePosition_ = false;
};

class TJoystick : public TCustomInput {
 public:
  explicit TJoystick(TCustomDXInput& owner);
  void Initialize() override;
  std::uint32_t GetCooperativeLevel() const override;
  void Update() override;

  int ID() const { return id_; }
  void SetID(int id);  // re-initialises the device
  bool AutoCenter() const { return autoCenter_; }
  void SetAutoCenter(bool v);
  // Axes 0..2 = X, Y, Z. Dead zones in percent of the half range (0 .. 100), ranges >= 0.
  int DeadZone(int axis) const;
  void SetDeadZone(int axis, int percent);
  int Range(int axis) const;
  void SetRange(int axis, int range);
  int DeadZoneX() const { return DeadZone(0); }
  int DeadZoneY() const { return DeadZone(1); }
  int DeadZoneZ() const { return DeadZone(2); }
  int RangeX() const { return Range(0); }
  int RangeY() const { return Range(1); }
  int RangeZ() const { return Range(2); }
  // The scaled positions of the last Update.
  int X() const { return pos_[0]; }
  int Y() const { return pos_[1]; }
  int Z() const { return pos_[2]; }
  std::uint32_t Buttons() const { return buttons_; }

 private:
  int Scale(int axis, std::int32_t raw) const;

  int id_ = 0;
  bool autoCenter_ = true;
  std::array<int, 3> deadZone_{50, 50, 50};
  std::array<int, 3> range_{1000, 1000, 1000};
  std::array<int, 3> pos_{};
  std::uint32_t buttons_ = 0;
  int device_ = -1;  // the platform's joystick index while initialised
};

class TCustomDXInput {
 public:
  // owner: the form whose window the devices belong to; none raises "Form not found".
  explicit TCustomDXInput(TDXForm* owner);
  virtual ~TCustomDXInput();
  TCustomDXInput(const TCustomDXInput&) = delete;
  TCustomDXInput& operator=(const TCustomDXInput&) = delete;

  TDXForm* Form() const { return form_; }
  bool ActiveOnly() const { return activeOnly_; }
  void SetActiveOnly(bool v);  // re-applies the cooperative levels
  bool UseDirectInput() const { return useDirectInput_; }
  void SetUseDirectInput(bool v);  // re-initialises every device
  TKeyboard& Keyboard() { return *keyboard_; }
  TMouse& Mouse() { return *mouse_; }
  TJoystick& Joystick() { return *joystick_; }

  // After the owner has set the properties up: initialises the devices.
  virtual void Loaded();
  void Initialize();
  void Finalize();
  // Polls every device; States is the union of those bound to the input states.
  void Update();
  TDXInputStates States() const { return states_; }
  bool Has(TDXInputState s) const { return HasState(states_, s); }

  // Whether a shared input object is held (the platform offers one while it runs).
  bool HasDirectInput() const { return holdsShared_; }

 private:
  void OnFormMessage(TDXFormMessage msg, const std::function<void()>& previous);

  TDXForm* form_;
  int hookId_ = 0;
  bool activeOnly_ = true;
  bool useDirectInput_ = true;
  bool holdsShared_ = false;
  std::unique_ptr<TJoystick> joystick_;
  std::unique_ptr<TKeyboard> keyboard_;
  std::unique_ptr<TMouse> mouse_;
  std::vector<TCustomInput*> devices_;
  TDXInputStates states_ = 0;
};

using TDXInput = TCustomDXInput;

}  // namespace zarn
