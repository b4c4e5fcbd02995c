// Force-feedback effects of an input device: a tree of named effects with their property
// rules, the parameter records a device would be given, and the stored "Effects" property.
// No device of the game has force feedback, so nothing here ever plays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "game/dx/DXClass.h"

namespace zarn {

enum TForceFeedbackEffectType : std::uint8_t { etNone, etConstantForce, etPeriodic, etCondition };

struct TFFPoint {
  std::int32_t X = 0, Y = 0;
  bool operator==(const TFFPoint&) const = default;
};

inline constexpr std::uint32_t DI_INFINITE = 0xFFFFFFFFu;
inline constexpr std::uint32_t DIEFF_CARTESIAN_OBJECTOFFSETS = 0x12;
inline constexpr std::uint32_t DIEB_NOTRIGGER = 0xFFFFFFFFu;

// Milliseconds to the microseconds of the device records: -1 (infinite) stays infinite, other
// negatives are 0, and large values saturate below infinite instead of wrapping.
std::uint32_t FFMsToUs(std::int64_t ms);

#pragma pack(push, 1)
struct TDIEnvelope {
  std::uint32_t dwSize;  // 20
  std::uint32_t dwAttackLevel;
  std::uint32_t dwAttackTime;
  std::uint32_t dwFadeLevel;
  std::uint32_t dwFadeTime;
};
// The effect record; the four reference fields stay 0 here (the arrays travel beside it).
struct TDIEffect {
  std::uint32_t dwSize;  // 52
  std::uint32_t dwFlags;
  std::uint32_t dwDuration;
  std::uint32_t dwSamplePeriod;
  std::uint32_t dwGain;
  std::uint32_t dwTriggerButton;
  std::uint32_t dwTriggerRepeatInterval;
  std::uint32_t cAxes;
  std::uint32_t rgdwAxes;
  std::uint32_t rglDirection;
  std::uint32_t lpEnvelope;
  std::uint32_t cbTypeSpecificParams;
  std::uint32_t lpvTypeSpecificParams;
};
struct TDIPeriodic {
  std::uint32_t dwMagnitude;
  std::int32_t lOffset;
  std::uint32_t dwPhase;
  std::uint32_t dwPeriod;
};
struct TDICondition {
  std::int32_t lOffset;
  std::int32_t lPositiveCoefficient;
  std::int32_t lNegativeCoefficient;
  std::uint32_t dwPositiveSaturation;
  std::uint32_t dwNegativeSaturation;
  std::int32_t lDeadBand;
};
#pragma pack(pop)
static_assert(sizeof(TDIEnvelope) == 20);
static_assert(sizeof(TDIEffect) == 52 && offsetof(TDIEffect, dwGain) == 16 &&
              offsetof(TDIEffect, cAxes) == 28);
static_assert(sizeof(TDIPeriodic) == 16 && sizeof(TDICondition) == 24);

// What a device would be sent for one effect.
struct TForceFeedbackParams {
  TDIEffect effect{};
  TDIEnvelope envelope{};
  std::int32_t direction[2] = {0, 0};
  std::int32_t constantMagnitude = 0;  // constant force
  TDIPeriodic periodic{};              // periodic
  TDICondition condition[2]{};         // condition: the X and the Y effect
};

class TForceFeedbackEffect {
 public:
  explicit TForceFeedbackEffect(TForceFeedbackEffect* parent = nullptr);
  virtual ~TForceFeedbackEffect();
  TForceFeedbackEffect(const TForceFeedbackEffect&) = delete;
  TForceFeedbackEffect& operator=(const TForceFeedbackEffect&) = delete;

  // Copies the properties and, recursively, the children.
  void Assign(const TForceFeedbackEffect& source);

  TForceFeedbackEffect* Parent() const { return parent_; }
  int Count() const { return static_cast<int>(children_.size()); }
  TForceFeedbackEffect& Child(int i) const;
  TForceFeedbackEffect& Add();
  void Clear();

  std::string Name;
  TForceFeedbackEffectType EffectType() const { return type_; }
  void SetEffectType(TForceFeedbackEffectType t);
  std::int32_t AttackLevel() const { return attackLevel_; }
  std::int32_t AttackTime() const { return attackTime_; }
  std::int32_t FadeLevel() const { return fadeLevel_; }
  std::int32_t FadeTime() const { return fadeTime_; }
  std::int32_t Period() const { return period_; }
  std::int32_t Power() const { return power_; }
  std::int32_t Time() const { return time_; }
  TFFPoint Constant() const { return constant_; }
  TFFPoint Condition() const { return condition_; }
  // Levels and power 0 .. 10000; times and period 0 and above; vectors -10000 .. 10000 per
  // component; Time is -1 (infinite) or 0 and above.
  void SetAttackLevel(std::int32_t v);
  void SetAttackTime(std::int32_t v);
  void SetFadeLevel(std::int32_t v);
  void SetFadeTime(std::int32_t v);
  void SetPeriod(std::int32_t v);
  void SetPower(std::int32_t v);
  void SetTime(std::int32_t v);
  void SetConstant(TFFPoint p);
  void SetCondition(TFFPoint p);

  TForceFeedbackParams Params() const;
  // Without a device nothing plays; these keep the tree's order of starting and stopping.
  bool Playing() const { return false; }
  void Start();
  void Stop();

 private:
  TForceFeedbackEffect* parent_;
  std::vector<std::unique_ptr<TForceFeedbackEffect>> children_;
  TForceFeedbackEffectType type_ = etNone;
  std::int32_t attackLevel_ = 0, attackTime_ = 0, fadeLevel_ = 0, fadeTime_ = 0;
  std::int32_t period_ = 50, power_ = 10000, time_ = 1000;
  TFFPoint constant_, condition_;
};

// The root of a device's tree, named "Effects", stored as the binary property "Effects".
class TForceFeedbackEffects : public TForceFeedbackEffect {
 public:
  TForceFeedbackEffects();
  // The property's bytes: a resource with one stored carrier component.
  std::vector<std::uint8_t> SaveToBytes() const;
  // Checks the whole resource before the tree changes; throws EStreamError when malformed.
  void LoadFromBytes(std::span<const std::uint8_t> bytes);
};

}  // namespace zarn
