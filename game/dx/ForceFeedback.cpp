#include "game/dx/ForceFeedback.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace zarn {

std::uint32_t FFMsToUs(std::int64_t ms) {
  if (ms == -1) return DI_INFINITE;
  if (ms <= 0) return 0;
  const std::int64_t us = ms > 0x7FFFFFFFll ? 0x7FFFFFFFll * 1000 : ms * 1000;
  return static_cast<std::uint32_t>(std::min<std::int64_t>(us, DI_INFINITE - 1));
}

TForceFeedbackEffect::TForceFeedbackEffect(TForceFeedbackEffect* parent) : parent_(parent) {}

TForceFeedbackEffect::~TForceFeedbackEffect() = default;

void TForceFeedbackEffect::Assign(const TForceFeedbackEffect& s) {
  if (&s == this) return;
  Name = s.Name;
  type_ = s.type_;
  attackLevel_ = s.attackLevel_;
  attackTime_ = s.attackTime_;
  fadeLevel_ = s.fadeLevel_;
  fadeTime_ = s.fadeTime_;
  period_ = s.period_;
  power_ = s.power_;
  time_ = s.time_;
  constant_ = s.constant_;
  condition_ = s.condition_;
  Clear();
  for (const auto& c : s.children_) Add().Assign(*c);
}

TForceFeedbackEffect& TForceFeedbackEffect::Child(int i) const {
  if (i < 0 || i >= Count()) throw std::out_of_range("List index out of bounds");
  return *children_[static_cast<std::size_t>(i)];
}

TForceFeedbackEffect& TForceFeedbackEffect::Add() {
  children_.push_back(std::make_unique<TForceFeedbackEffect>(this));
  return *children_.back();
}

void TForceFeedbackEffect::Clear() { children_.clear(); }

void TForceFeedbackEffect::SetEffectType(TForceFeedbackEffectType t) {
  if (t == type_) return;
  Stop();
  type_ = t;
}

void TForceFeedbackEffect::SetAttackLevel(std::int32_t v) {
  attackLevel_ = std::clamp(v, 0, 10000);
}
void TForceFeedbackEffect::SetAttackTime(std::int32_t v) { attackTime_ = std::max(v, 0); }
void TForceFeedbackEffect::SetFadeLevel(std::int32_t v) { fadeLevel_ = std::clamp(v, 0, 10000); }
void TForceFeedbackEffect::SetFadeTime(std::int32_t v) { fadeTime_ = std::max(v, 0); }
void TForceFeedbackEffect::SetPeriod(std::int32_t v) { period_ = std::max(v, 0); }
void TForceFeedbackEffect::SetPower(std::int32_t v) { power_ = std::clamp(v, 0, 10000); }

void TForceFeedbackEffect::SetTime(std::int32_t v) {
  const std::int32_t t = v < 0 ? -1 : v;
  if (t == time_) return;
  Stop();
  time_ = t;
}

void TForceFeedbackEffect::SetConstant(TFFPoint p) {
  constant_ = {std::clamp(p.X, -10000, 10000), std::clamp(p.Y, -10000, 10000)};
}

void TForceFeedbackEffect::SetCondition(TFFPoint p) {
  condition_ = {std::clamp(p.X, -10000, 10000), std::clamp(p.Y, -10000, 10000)};
}

TForceFeedbackParams TForceFeedbackEffect::Params() const {
  TForceFeedbackParams p;
  TDIEffect& e = p.effect;
  e.dwSize = sizeof(TDIEffect);
  e.dwFlags = DIEFF_CARTESIAN_OBJECTOFFSETS;
  e.dwDuration = FFMsToUs(time_);
  e.dwSamplePeriod = 0;
  e.dwGain = static_cast<std::uint32_t>(power_);
  e.dwTriggerButton = DIEB_NOTRIGGER;
  e.dwTriggerRepeatInterval = 0;
  e.cAxes = type_ == etCondition ? 1 : 2;
  const std::int64_t limit = std::max(time_, 0);
  p.envelope.dwSize = sizeof(TDIEnvelope);
  p.envelope.dwAttackLevel = static_cast<std::uint32_t>(attackLevel_);
  p.envelope.dwAttackTime = FFMsToUs(std::min<std::int64_t>(attackTime_, limit));
  p.envelope.dwFadeLevel = static_cast<std::uint32_t>(fadeLevel_);
  p.envelope.dwFadeTime = FFMsToUs(std::min<std::int64_t>(fadeTime_, limit));
  // The force points along the negated constant vector, as strong as the vector is long.
  p.direction[0] = -constant_.X;
  p.direction[1] = -constant_.Y;
  const auto length = static_cast<std::int32_t>(
      std::lround(std::hypot(static_cast<double>(constant_.X), static_cast<double>(constant_.Y))));
  switch (type_) {
    case etConstantForce:
      p.constantMagnitude = length;
      e.cbTypeSpecificParams = 4;
      break;
    case etPeriodic:
      p.periodic = {static_cast<std::uint32_t>(length), 0, 0, FFMsToUs(period_)};
      e.cbTypeSpecificParams = sizeof(TDIPeriodic);
      break;
    case etCondition:
      p.condition[0] = {constant_.X, condition_.X, -condition_.X, 0, 0, 0};
      p.condition[1] = {constant_.Y, condition_.Y, -condition_.Y, 0, 0, 0};
      e.cbTypeSpecificParams = sizeof(TDICondition);
      break;
    case etNone:
      break;
  }
  return p;
}

void TForceFeedbackEffect::Start() {
  for (auto& c : children_) c->Start();
}

void TForceFeedbackEffect::Stop() {
  for (auto& c : children_) c->Stop();
}

// ---------------------------------------------------------------------------------------------
// The stored tree

namespace {

constexpr const char* kResName = "TFORCEFEEDBACKEFFECTCOMPONENT";
constexpr const char* kCarrier = "TForceFeedbackEffectComponent";
constexpr int kMaxDepth = 16;
constexpr const char* kTypeNames[] = {"etNone", "etConstantForce", "etPeriodic", "etCondition"};

void WriteItems(TComponentWriter& w, const TForceFeedbackEffect& e);

void WriteItem(TComponentWriter& w, const TForceFeedbackEffect& e) {
  w.WriteValueType(vaList);
  auto integer = [&](const char* name, std::int32_t v) {
    w.WriteShortString(name);
    w.WriteInteger(v);
  };
  w.WriteShortString("Name");
  w.WriteString(e.Name);
  w.WriteShortString("EffectType");
  w.WriteIdent(kTypeNames[e.EffectType()]);
  integer("AttackLevel", e.AttackLevel());
  integer("AttackTime", e.AttackTime());
  integer("ConditionX", e.Condition().X);
  integer("ConditionY", e.Condition().Y);
  integer("ConstantX", e.Constant().X);
  integer("ConstantY", e.Constant().Y);
  integer("FadeLevel", e.FadeLevel());
  integer("FadeTime", e.FadeTime());
  integer("Period", e.Period());
  integer("Power", e.Power());
  integer("Time", e.Time());
  w.WriteShortString("Effects");
  WriteItems(w, e);
  w.WriteListEnd();
}

void WriteItems(TComponentWriter& w, const TForceFeedbackEffect& e) {
  w.WriteValueType(vaCollection);
  for (int i = 0; i < e.Count(); ++i) WriteItem(w, e.Child(i));
  w.WriteListEnd();
}

bool Same(std::string_view a, std::string_view b) { return DXLowerCase(a) == DXLowerCase(b); }

void ReadItems(TComponentReader& r, TForceFeedbackEffect& into, int depth);

void ReadItem(TComponentReader& r, TForceFeedbackEffect& e, int depth) {
  TFFPoint constant, condition;
  while (!r.EndOfList()) {
    const std::string prop = r.ReadShortString();
    const TValueType t = r.ReadValueType();
    if (Same(prop, "Name")) {
      e.Name = r.ReadString(t);
    } else if (Same(prop, "EffectType")) {
      const std::string id = r.ReadIdent(t);
      int k = 0;
      while (k < 4 && !Same(id, kTypeNames[k])) ++k;
      if (k == 4) throw EStreamError(SInvalidStreamFormat);
      e.SetEffectType(static_cast<TForceFeedbackEffectType>(k));
    } else if (Same(prop, "Effects")) {
      if (t != vaCollection) throw EStreamError(SInvalidStreamFormat);
      ReadItems(r, e, depth + 1);
    } else if (t == vaInt8 || t == vaInt16 || t == vaInt32) {
      const std::int32_t v = r.ReadInteger(t);
      if (Same(prop, "AttackLevel"))
        e.SetAttackLevel(v);
      else if (Same(prop, "AttackTime"))
        e.SetAttackTime(v);
      else if (Same(prop, "FadeLevel"))
        e.SetFadeLevel(v);
      else if (Same(prop, "FadeTime"))
        e.SetFadeTime(v);
      else if (Same(prop, "Period"))
        e.SetPeriod(v);
      else if (Same(prop, "Power"))
        e.SetPower(v);
      else if (Same(prop, "Time"))
        e.SetTime(v);
      else if (Same(prop, "ConstantX"))
        constant.X = v;
      else if (Same(prop, "ConstantY"))
        constant.Y = v;
      else if (Same(prop, "ConditionX"))
        condition.X = v;
      else if (Same(prop, "ConditionY"))
        condition.Y = v;
    } else {
      r.SkipValue(t);
    }
  }
  e.SetConstant(constant);
  e.SetCondition(condition);
}

void ReadItems(TComponentReader& r, TForceFeedbackEffect& into, int depth) {
  if (depth > kMaxDepth) throw EStreamError(SInvalidStreamFormat);
  while (!r.EndOfList()) {
    TValueType t = r.ReadValueType();
    if (t == vaInt8 || t == vaInt16 || t == vaInt32) {
      r.ReadInteger(t);
      t = r.ReadValueType();
    }
    if (t != vaList) throw EStreamError(SInvalidStreamFormat);
    ReadItem(r, into.Add(), depth);
  }
}

}  // namespace

TForceFeedbackEffects::TForceFeedbackEffects() { Name = "Effects"; }

std::vector<std::uint8_t> TForceFeedbackEffects::SaveToBytes() const {
  TMemoryStream s;
  TComponentWriter w(s);
  w.WriteResHeader(kResName);
  w.WriteSignature();
  w.WriteShortString(kCarrier);
  w.WriteShortString("");
  w.WriteShortString("Effects");
  w.WriteValueType(vaCollection);
  WriteItem(w, *this);
  w.WriteListEnd();
  w.WriteListEnd();  // properties
  w.WriteListEnd();  // children
  w.FinishResHeader();
  return std::move(s.Bytes());
}

void TForceFeedbackEffects::LoadFromBytes(std::span<const std::uint8_t> bytes) {
  TReadOnlyStream s(bytes);
  TComponentReader r(s);
  r.ReadResHeader();
  r.ReadSignature();
  r.ReadShortString();
  r.ReadShortString();
  TForceFeedbackEffect carrier;
  while (!r.EndOfList()) {
    const std::string prop = r.ReadShortString();
    const TValueType t = r.ReadValueType();
    if (Same(prop, "Effects") && t == vaCollection)
      ReadItems(r, carrier, 0);
    else
      r.SkipValue(t);
  }
  if (!r.EndOfList()) throw EStreamError(SInvalidStreamFormat);
  if (carrier.Count() > 0) Assign(carrier.Child(0));
}

}  // namespace zarn
