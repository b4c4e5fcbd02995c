#include "game/dx/DXClass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/dx/ForceFeedback.h"

namespace zarn {
namespace {

TEST(HashCollection, NamesHashAndChainsStayConsistentThroughRenamesAndDeletes) {
  EXPECT_EQ(HashName("a"), 16);
  EXPECT_EQ(HashName("ab"), 226);
  EXPECT_EQ(HashName("AB"), 226);
  EXPECT_EQ(HashName(""), 0);

  THashCollection c;
  auto add = [&](const char* name) -> THashCollectionItem& {
    auto& item = c.AddItem(std::make_unique<THashCollectionItem>());
    item.SetName(name);
    return item;
  };
  THashCollectionItem& boom = add("Boom");
  THashCollectionItem& bOOm = add("bOOm");  // same bucket, goes first
  THashCollectionItem& other = add("x");
  EXPECT_EQ(c.BucketHead(HashName("boom")), &bOOm);
  EXPECT_EQ(bOOm.NextInChain(), &boom);

  boom.SetName("Boom");  // the same text: nothing moves
  EXPECT_EQ(c.BucketHead(HashName("boom")), &bOOm);
  boom.SetName("boom");  // a new text in the same bucket goes to its head
  EXPECT_EQ(c.BucketHead(HashName("boom")), &boom);
  EXPECT_EQ(boom.NextInChain(), &bOOm);
  EXPECT_EQ(bOOm.PrevInChain(), &boom);

  // Deleting the last item of a chain (no next) and a lone item.
  c.Delete(bOOm.Index());
  EXPECT_EQ(boom.NextInChain(), nullptr);
  EXPECT_EQ(c.Find("BOOM"), &boom);
  c.Delete(other.Index());
  EXPECT_EQ(c.BucketHead(HashName("x")), nullptr);
  EXPECT_EQ(c.Find("x"), nullptr);
  EXPECT_EQ(c.Count(), 1);
  EXPECT_EQ(boom.Index(), 0);

  add("one");
  add("two");
  add("three");
  c.Item(3).SetIndex(0);
  for (int i = 0; i < c.Count(); ++i) EXPECT_EQ(c.Item(i).Index(), i);
  EXPECT_EQ(c.Item(0).Name(), "three");
  EXPECT_EQ(c.IndexOf("TWO"), 3);
  EXPECT_THROW(c.Item(4), std::out_of_range);
  EXPECT_EQ(c.Item(1).DisplayName(), "boom");
}

TEST(Listeners, AreToldLastFirstOnceEachEvenWhileDetaching) {
  TDXListenerList list;
  struct Log {
    std::vector<std::string>* out;
    const char* name;
    TDXListenerList* list;
    bool detachOther;
    Log* other;
  };
  std::vector<std::string> out;
  auto proc = +[](void* d, int code) {
    auto* l = static_cast<Log*>(d);
    l->out->push_back(std::string(l->name) + std::to_string(code));
    if (l->detachOther)
      l->list->Remove(
          +[](void*, int) {}, nullptr);
  };
  Log a{&out, "a", &list, false, nullptr}, b{&out, "b", &list, false, nullptr};
  list.Add(proc, &a);
  list.Add(proc, &b);
  list.Add(proc, &a);  // moves to the end
  EXPECT_EQ(list.Count(), 2u);
  list.Notify(2);
  EXPECT_EQ(out, (std::vector<std::string>{"a2", "b2"}));

  // A listener that removes another while it is told: the removed one is not called.
  out.clear();
  struct Remover {
    TDXListenerList* list;
    void* victim;
    TDXNotifyProc proc;
    std::vector<std::string>* out;
  } r{&list, &b, proc, &out};
  auto removing = +[](void* d, int) {
    auto* rm = static_cast<Remover*>(d);
    rm->out->push_back("r");
    rm->list->Remove(rm->proc, rm->victim);
  };
  list.Add(removing, &r);
  list.Notify(3);
  EXPECT_EQ(out, (std::vector<std::string>{"r", "a3"}));
}

class FrameClock : public ::testing::Test {
 protected:
  static inline std::uint64_t now = 0;
  void SetUp() override {
    now = (1ull << 32) + 5;  // past where a 32-bit millisecond clock wraps
    DXClockProc = [] { return now; };
  }
  void TearDown() override {
    DXClockProc = nullptr;
    DXIdleTimer = nullptr;
  }
};

TEST_F(FrameClock, LagIsCountedInIntervalsAndMaxLagKeepsTheLongest) {
  TDXTimer t;
  std::vector<int> lags;
  t.OnTimer = [&](TCustomDXTimer&, int lag) { lags.push_back(lag); };
  t.SetInterval(-5);
  EXPECT_EQ(t.Interval(), 0);
  t.SetActiveOnly(false);
  t.Loaded();
  EXPECT_EQ(DXIdleTimer, &t);

  // In order, each from the previous tick; lag 0 means no tick.
  const struct {
    int interval, setMaxLag;  // setMaxLag -1: left as it is
    std::uint64_t pause;
    int lag, maxLag;
  } steps[] = {
      {0, -1, 35, 35, 35},          // MaxLag 10 grows to 35; the lag is not cut
      {1000, -1, 999, 0, 35},       // not yet a whole interval
      {1000, -1, 1501, 2, 35},      // 2500 ms since the last tick
      {0, -1, 0, 1, 35},            // every idle pass is a tick, lag at least 1
      {0, 0, 60000, 60000, 0},      // MaxLag 0 does not grow
      {0, 10, 20, 20, 20},
  };
  for (const auto& s : steps) {
    t.SetInterval(s.interval);
    if (s.setMaxLag >= 0) t.SetMaxLag(s.setMaxLag);
    const std::size_t before = lags.size();
    now += s.pause;
    DXRunIdle();
    if (s.lag == 0) {
      EXPECT_EQ(lags.size(), before) << s.pause;
    } else {
      ASSERT_EQ(lags.size(), before + 1) << s.pause;
      EXPECT_EQ(lags.back(), s.lag) << s.pause;
    }
    EXPECT_EQ(t.MaxLag(), s.maxLag) << s.pause;
  }
}

TEST_F(FrameClock, FrameRateAndTheOneIdleHandler) {
  TDXTimer a, b;
  a.SetActiveOnly(false);
  b.SetActiveOnly(false);
  a.SetInterval(0);
  a.Loaded();
  for (int i = 0; i < 50; ++i) {
    now += 10;
    DXRunIdle();
  }
  EXPECT_EQ(a.FrameRate(), 0);  // not yet a full second
  for (int i = 0; i < 50; ++i) {
    now += 10;
    DXRunIdle();
  }
  EXPECT_EQ(a.FrameRate(), 100);

  b.Loaded();  // the later one to resume owns the idle handler
  EXPECT_EQ(DXIdleTimer, &b);
  a.SetEnabled(false);  // disabling either clears it for both
  EXPECT_EQ(DXIdleTimer, nullptr);
  EXPECT_FALSE(DXRunIdle());
}

TEST(Libraries, AreLoadedOncePerNameAndFailuresAreNotRemembered) {
  DXFreeLibraries();
  void* a = DXLoadLibrary("libm.so.6", "cos");
  void* b = DXLoadLibrary("LIBM.so.6", "sin");
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(DXLoadedLibraryCount(), 1);
  try {
    DXLoadLibrary("no-such-library.so", "x");
    FAIL();
  } catch (const EDXLibraryError& e) {
    EXPECT_STREQ(e.what(), "no-such-library.so not loaded");
  }
  EXPECT_EQ(DXLoadedLibraryCount(), 1);
  EXPECT_THROW(DXLoadLibrary("libm.so.6", "no_such_entry"), EDXLibraryError);
  DXFreeLibraries();
  EXPECT_EQ(DXLoadedLibraryCount(), 0);
}

TEST(ComponentStream, SkipsEveryValueKindAndRefusesBottomlessNesting) {
  TMemoryStream s;
  TComponentWriter w(s);
  w.WriteInteger(-5);
  w.WriteInteger(300);
  w.WriteInteger(70000);
  w.WriteString(std::string(300, 'x'));
  w.WriteIdent("soExclusive");
  w.WriteBoolean(true);
  w.WriteBinary(std::vector<std::uint8_t>(5, 1));
  w.WriteValueType(vaSet);
  w.WriteShortString("a");
  w.WriteShortString("");
  w.WriteValueType(vaNil);
  const std::uint8_t ext[11] = {vaExtended};
  s.WriteBuffer(ext, 11);
  w.WriteValueType(vaCollection);
  w.WriteValueType(vaList);
  w.WriteShortString("P");
  w.WriteInteger(1);
  w.WriteListEnd();
  w.WriteListEnd();
  const std::int64_t end = s.Position();
  s.SetPosition(0);
  TComponentReader r(s);
  for (int i = 0; i < 11; ++i) r.SkipValue();
  EXPECT_EQ(s.Position(), end);

  TMemoryStream deep(std::vector<std::uint8_t>(100000, vaList));
  TComponentReader rd(deep);
  EXPECT_THROW(rd.SkipValue(), EStreamError);
}

TEST(ForceFeedback, PropertiesClampAndParametersFollowTheRules) {
  TForceFeedbackEffects root;
  EXPECT_EQ(root.Name, "Effects");
  EXPECT_EQ(root.Period(), 50);
  EXPECT_EQ(root.Power(), 10000);
  EXPECT_EQ(root.Time(), 1000);

  TForceFeedbackEffect& e = root.Add();
  e.SetPower(20000);
  e.SetAttackLevel(-3);
  e.SetConstant({30000, -4});
  e.SetTime(-7);
  EXPECT_EQ(e.Power(), 10000);
  EXPECT_EQ(e.AttackLevel(), 0);
  EXPECT_EQ(e.Constant(), (TFFPoint{10000, -4}));
  EXPECT_EQ(e.Time(), -1);

  e.SetEffectType(etConstantForce);
  e.SetConstant({3, 4});
  e.SetAttackTime(200);
  TForceFeedbackParams p = e.Params();
  EXPECT_EQ(p.effect.dwSize, 52u);
  EXPECT_EQ(p.effect.dwFlags, 0x12u);
  EXPECT_EQ(p.effect.dwDuration, DI_INFINITE);
  EXPECT_EQ(p.constantMagnitude, 5);
  EXPECT_EQ(p.direction[0], -3);
  EXPECT_EQ(p.envelope.dwAttackTime, 0u);  // capped by a time that is not positive

  // Large times saturate instead of wrapping around to short ones.
  e.SetTime(5000000);
  e.SetAttackTime(0x7FFFFFFF);
  e.SetEffectType(etPeriodic);
  e.SetPeriod(0x7FFFFFFF);
  p = e.Params();
  EXPECT_EQ(p.effect.dwDuration, 0xFFFFFFFEu);
  EXPECT_EQ(p.envelope.dwAttackTime, 0xFFFFFFFEu);
  EXPECT_EQ(p.periodic.dwPeriod, 0xFFFFFFFEu);
  EXPECT_EQ(FFMsToUs(1234), 1234000u);
  EXPECT_EQ(FFMsToUs(-1), DI_INFINITE);

  e.SetEffectType(etCondition);
  e.SetCondition({100, -200});
  p = e.Params();
  EXPECT_EQ(p.condition[1].lPositiveCoefficient, -200);
  EXPECT_EQ(p.condition[1].lNegativeCoefficient, 200);
}

TEST(ForceFeedback, TheStoredTreeReadsBackAndBadTreesChangeNothing) {
  TForceFeedbackEffects root;
  TForceFeedbackEffect& a = root.Add();
  a.Name = "Rumble";
  a.SetEffectType(etPeriodic);
  a.SetPeriod(120);
  a.Add().Name = "Inner";
  const auto bytes = root.SaveToBytes();

  TForceFeedbackEffects back;
  back.LoadFromBytes(bytes);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.Child(0).Name, "Rumble");
  EXPECT_EQ(back.Child(0).EffectType(), etPeriodic);
  EXPECT_EQ(back.Child(0).Period(), 120);
  ASSERT_EQ(back.Child(0).Count(), 1);
  EXPECT_EQ(back.Child(0).Child(0).Name, "Inner");
  EXPECT_EQ(back.SaveToBytes(), bytes);

  for (std::size_t n = 0; n < bytes.size(); n += 7) {
    TForceFeedbackEffects t;
    EXPECT_THROW(t.LoadFromBytes(std::span(bytes.data(), n)), EDXError) << n;
    EXPECT_EQ(t.Count(), 0);
  }
}

}  // namespace
}  // namespace zarn
