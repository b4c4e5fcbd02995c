// Drawing the play screen runs every frame: with units or a worm selected it must not touch the
// heap. Counted by replacing the global operator new in this test program (compiled out under
// the sanitizers, which bring their own).
#if !defined(__SANITIZE_ADDRESS__)

#include <cstdlib>
#include <new>

#include "tests/shell/playscreen_fixture.h"

namespace {
bool counting = false;
int allocations = 0;
}  // namespace

// These replace the global pair: GCC cannot see that, and takes free() for a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
  if (counting) ++allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

using namespace zarn;

namespace {

using FrameHeap = PlayScreenTest;

// Heap allocations of one frame, on a minimap rebuild tick and on the one after it.
int AllocationsOfTwoFrames() {
  allocations = 0;
  counting = true;
  TickCount = 4000;
  DrawGameScreen();
  ++TickCount;
  DrawGameScreen();
  counting = false;
  return allocations;
}

TEST_F(FrameHeap, AFrameWithUnitsOrAWormSelectedAllocatesNothing) {
  StartGeneratedMission("heap");
  ASSERT_NE(CreateUnitAt(6, 6, UnitLightTank, 0, Players[LocalPlayer].Side, LocalPlayer), 0);
  DrawGameScreen();  // whatever is made once
  std::vector<std::uint16_t> own;
  for (int i = 1; i <= UnitSlots; ++i)
    if (Units[i].Free == 0 && Units[i].Owner == LocalPlayer) own.push_back(static_cast<std::uint16_t>(i));
  ASSERT_GE(own.size(), 2u);
  SelectOne(own[0], SelectedUnits);
  EXPECT_EQ(AllocationsOfTwoFrames(), 0) << "one unit";
  ViewState.Selection[2] = TSelectionEntry{own[1], 1, 0};
  ViewState.SelectedCount = 2;
  EXPECT_EQ(AllocationsOfTwoFrames(), 0) << "a group";
  CreateWorm(Worms[1], 10, 10, 1);
  SelectOne(1, SelectedWorm);
  EXPECT_EQ(AllocationsOfTwoFrames(), 0) << "a worm";
}

}  // namespace

#endif
