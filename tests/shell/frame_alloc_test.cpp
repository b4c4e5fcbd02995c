// The heap of this test program is our own (compiled out under the sanitizers, which bring
// theirs): counted, to see that drawing the play screen every frame does not touch it, and
// limited, to see the program start where memory runs short.
#if !defined(__SANITIZE_ADDRESS__)

#include <cstdlib>
#include <new>

#include "tests/shell/playscreen_fixture.h"
#include "tests/shell/shell_fixture.h"

namespace {
bool counting = false;
int allocations = 0;
// Allocations of this size or more fail, as under a low limit of address space.
std::size_t failFrom = SIZE_MAX;
}  // namespace

// These replace the global pair: GCC cannot see that, and takes free() for a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
  if (counting) ++allocations;
  if (n >= failFrom) throw std::bad_alloc();
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

// With too little memory the player is told so, naming what could not be loaded, instead of
// being told that a sound file or the archive is damaged: the game goes on without its sound
// bank (2.7 MB), and it cannot go on without the pictures' archive (1.1 MB).
TEST_F(ShellTest, MemoryRunningOutAtStartUpIsToldAsSuch) {
  const struct {
    std::size_t failFrom;
    bool runs;
    const char* text;
  } cases[] = {
      {2'000'000, true, "Файл data\\zarn.snd не загружен: недостаточно памяти"},
      {1'000'000, false, "Файл data\\zarn.res не загружен: недостаточно памяти"},
  };
  for (const auto& c : cases) {
    TearDown();
    SetUp();
    failFrom = c.failFrom;
    Start({"-debug"});
    failFrom = SIZE_MAX;
    ASSERT_EQ(plat::null::MessageBoxes().size(), 1u) << c.failFrom;
    EXPECT_EQ(plat::null::MessageBoxes()[0].text, c.text);
    EXPECT_EQ(!plat::Terminated(), c.runs) << c.text;
  }
}

}  // namespace

#endif
