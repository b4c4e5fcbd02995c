// Route finding by obstacle following: head straight for the destination and, where the way is
// blocked, turn along the obstacle, once keeping it on one hand and once on the other. Cheap
// enough to run for hundreds of units per tick, and good enough round walls and buildings.
#include <algorithm>

#include "game/base/globals.h"
#include "game/base/maps.h"
#include "game/base/rules.h"
#include "game/world/movement.h"
#include "game/world/passability.h"

namespace zarn {

namespace {

// One search's steps, 1-based like the unit's path. A search takes at most one step per pass
// and stops when its count reaches the limit, so the limit plus one entry is enough.
struct TRouteScratch {
  TPathStep Steps[RouteScratchSteps + 2];
  int Count = 0;
};

bool Outside(std::int32_t x, std::int32_t y) { return IsOutsideMap(x, y); }

// Follows obstacles from the unit's tile toward its destination, turning with `turn` where the
// way is blocked. Returns true when it reached the destination. `passes` is the number of
// passes it completed (the pass that arrives or leaves the map is not counted).
bool TracePath(const TUnitRecord& u, int limit, bool turnLeft, TRouteScratch& s,
               int& passes) {
  const std::int32_t destX = u.DestX, destY = u.DestY;
  const auto turn = [turnLeft](std::uint8_t f) { return turnLeft ? FacingPrev(f) : FacingNext(f); };
  s.Count = 0;
  int budget = limit;
  std::int32_t curX = u.X, curY = u.Y;
  std::uint8_t d = FacingBetweenCells(curX, curY, destX, destY);
  std::int32_t trialX = curX, trialY = curY;
  StepByFacing(d, trialX, trialY);
  for (;;) {
    if (CanEnter(u.Kind, u.Owner, trialX, u.Slot, trialY) == 1) {
      curX = trialX;
      curY = trialY;
      ++s.Count;
      s.Steps[s.Count] = TPathStep{curX, curY, d, {}};
      if (curX == destX && curY == destY) {
        passes = limit - budget;
        return true;
      }
      d = FacingBetweenCells(curX, curY, destX, destY);
      trialX = curX;
      trialY = curY;
      StepByFacing(d, trialX, trialY);
      // Never straight back onto the tile just left.
      if (s.Count >= 2 && trialX == s.Steps[s.Count - 1].X && trialY == s.Steps[s.Count - 1].Y) {
        d = turn(d);
        trialX = curX;
        trialY = curY;
        StepByFacing(d, trialX, trialY);
      }
    } else {
      if (Outside(trialX, trialY)) {
        passes = limit - budget;
        return false;
      }
      d = turn(d);
      trialX = curX;
      trialY = curY;
      StepByFacing(d, trialX, trialY);
    }
    --budget;
    if (s.Count >= limit || budget <= 0) {
      passes = limit - budget;
      return false;
    }
  }
}

// Copies the first ten steps of a route into the unit's path, reversed: the next step to take
// is the last entry.
void TakePath(TUnitRecord& u, const TRouteScratch& s) {
  const int n = std::min<int>(s.Count, PathSteps);
  u.PathLength = static_cast<std::uint16_t>(n);
  for (int i = 1; i <= n; ++i) u.Path[n + 1 - i] = s.Steps[i];
}

}  // namespace

int RouteSearchLimit() {
  const int m = std::max<int>(GameMap.Width, GameMap.Height);
  return std::clamp(m + m / 2, 0, RouteScratchSteps);
}

int PlanPath(TUnitRecord& u, int limit) {
  limit = std::clamp(limit, 0, RouteScratchSteps);
  TRouteScratch left, right;
  int passes = 0;
  const bool leftFound = TracePath(u, limit, true, left, passes);
  // The right-hand search gets no more passes than the left one used: it can win only with a
  // route found sooner.
  limit = std::clamp(passes, 0, limit);
  int unused = 0;
  const bool rightFound = TracePath(u, limit, false, right, unused);
  if (leftFound && (!rightFound || left.Count <= right.Count)) {
    TakePath(u, left);
    return left.Count;
  }
  if (rightFound) {
    TakePath(u, right);
    return right.Count;
  }
  return 0;
}

bool PathStillClear(const TUnitRecord& u) {
  const int n = std::min<int>(u.PathLength, PathSteps);
  for (int k = n; k >= 1; --k) {
    const TPathStep& e = u.Path[k];
    if (CanEnter(u.Kind, u.Owner, e.X, u.Slot, e.Y) != 1) return false;
  }
  return true;
}

}  // namespace zarn
