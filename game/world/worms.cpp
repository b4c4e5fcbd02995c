#include "game/world/worms.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <utility>
#include <vector>

#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/maps.h"
#include "game/base/mapview.h"
#include "game/base/rules.h"
#include "game/base/sprites.h"
#include "game/base/video.h"
#include "game/sound/dsnd.h"
#include "game/world/players.h"
#include "game/world/pulses.h"
#include "game/world/tileindex.h"
#include "game/world/units.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

constexpr i32 StepOnTile = 16;
constexpr i32 StepGrowth = 4;

bool OnTile(const TWormRecord& w) { return w.StepProgress > 15; }

// The unit slot of the prey when it names a live unit, else null.
TUnitRecord* PreyUnit(const TWormRecord& w) {
  const i32 last = LastUnitSlot();
  if (w.Prey < 1 || w.Prey > last) return nullptr;
  TUnitRecord& u = Units[w.Prey];
  return u.Free == 0 ? &u : nullptr;
}

bool OnSand(i32 x, i32 y) {
  return GameMap.Inside(x, y) && TerrainClass(GameMap.Cell(x, y)) == 0;
}

// Pixel position of a thing standing on or stepping off a tile (counter 16 = on the tile).
void CellPixel(i32 x, i32 y, i32 counter, i32 facing, i32& px, i32& py) {
  px = (x - 1) * 16;
  py = (y - 1) * 16;
  MoveOffsetByFacing(counter, px, py, facing);
}

// A unit a worm may hunt if it stands on sand: on the map and of a prey kind.
struct TPreyCandidate {
  i32 Slot, X, Y;
  i32 Square;  // squared distance to the worm asking
};

// The prey candidates of the unit table in slot order, gathered once for all worms of a tick
// and again only when a unit changed (a meal, a creation) in between.
const std::vector<TPreyCandidate>& PreyCandidates() {
  static std::vector<TPreyCandidate> list;
  static bool valid = false;
  static std::int32_t tick = 0, slots = 0;
  static std::uint32_t changes = 0;
  if (valid && tick == WorldTickCount && slots == UnitSlots && changes == UnitChangeCount()) return list;
  list.clear();
  const i32 last = LastUnitSlot();
  for (i32 i = 1; i <= last; ++i) {
    const TUnitRecord& u = Units[i];
    if (u.Free != 0 || u.OffMap != 0) continue;
    if (u.Kind < WormPreyFirstKind || u.Kind > WormPreyLastKind) continue;
    list.push_back({i, u.X, u.Y, 0});
  }
  valid = true;
  tick = WorldTickCount;
  slots = UnitSlots;
  changes = UnitChangeCount();
  return list;
}

// A walk treads only sand, one tile at a time (diagonals included), and gives up within
// WormWalkMaxSteps tiles of the worm: a unit on sand not joined to the worm's tile inside that
// square is out of every walk's reach, however near it stands.
constexpr i32 SandReach = WormWalkMaxSteps;
constexpr i32 SandSide = 2 * SandReach + 1;

// The tiles of that square joined to a worm's tile through sand, kept for each worm while it
// stands on the same tile of the same terrain: a resting worm looks for prey on every tick, and
// units walled off from it must not cost a trial path on each of them.
struct TSandReach {
  bool Valid = false;
  i32 X = 0, Y = 0;
  std::uint32_t Terrain = 0;
  std::vector<std::uint8_t> Joined;
  std::vector<std::uint8_t> Seen;  // the square's terrain as marked, for the tests' self-check

  bool Has(i32 x, i32 y) const {
    const i32 dx = x - X + SandReach, dy = y - Y + SandReach;
    return dx >= 0 && dx < SandSide && dy >= 0 && dy < SandSide &&
           Joined[static_cast<std::size_t>(dy * SandSide + dx)] != 0;
  }
};

std::vector<std::uint8_t> SquareTerrain(i32 cx, i32 cy) {
  std::vector<std::uint8_t> cells(static_cast<std::size_t>(SandSide * SandSide), 0xFF);
  for (i32 dy = 0; dy < SandSide; ++dy)
    for (i32 dx = 0; dx < SandSide; ++dx) {
      const i32 x = cx - SandReach + dx, y = cy - SandReach + dy;
      if (GameMap.Inside(x, y)) cells[static_cast<std::size_t>(dy * SandSide + dx)] = GameMap.Cell(x, y);
    }
  return cells;
}

void MarkJoinedSand(TSandReach& r) {
  static std::vector<std::pair<i32, i32>> todo;
  r.Joined.assign(static_cast<std::size_t>(SandSide * SandSide), 0);
  todo.clear();
  // Walks start from the worm's tile whatever it is, but only sand is ever a prey's tile.
  r.Joined[static_cast<std::size_t>(SandReach * SandSide + SandReach)] = OnSand(r.X, r.Y) ? 1 : 0;
  todo.emplace_back(r.X, r.Y);
  while (!todo.empty()) {
    const auto [x, y] = todo.back();
    todo.pop_back();
    for (i32 ny = y - 1; ny <= y + 1; ++ny)
      for (i32 nx = x - 1; nx <= x + 1; ++nx) {
        const i32 dx = nx - r.X + SandReach, dy = ny - r.Y + SandReach;
        if (dx < 0 || dx >= SandSide || dy < 0 || dy >= SandSide) continue;
        std::uint8_t& mark = r.Joined[static_cast<std::size_t>(dy * SandSide + dx)];
        if (mark != 0 || !OnSand(nx, ny)) continue;
        mark = 1;
        todo.emplace_back(nx, ny);
      }
  }
}

// Slot 0 serves a worm record that is not in the table, and is never kept.
TSandReach& ReachOf(const TWormRecord& w) {
  static std::array<TSandReach, WormSlots + 1> reach;
  return reach[w.Slot >= 1 && w.Slot <= WormSlots ? static_cast<std::size_t>(w.Slot) : 0];
}

// The worm's reach when it is at hand; null when it would have to be marked anew.
const TSandReach* KnownReach(const TWormRecord& w) {
  const TSandReach& r = ReachOf(w);
  if (!r.Valid || r.X != w.X || r.Y != w.Y || r.Terrain != TerrainChanges) return nullptr;
  if (WormReachSelfCheck && r.Seen != SquareTerrain(w.X, w.Y))
    throw std::logic_error("the terrain changed without TerrainChanged");
  return &r;
}

const TSandReach& MarkReach(const TWormRecord& w) {
  TSandReach& r = ReachOf(w);
  r.X = w.X;
  r.Y = w.Y;
  r.Terrain = TerrainChanges;
  MarkJoinedSand(r);
  if (WormReachSelfCheck) r.Seen = SquareTerrain(w.X, w.Y);
  r.Valid = w.Slot >= 1 && w.Slot <= WormSlots;
  return r;
}

struct TWalkStep {
  i32 X, Y;
  std::uint8_t Facing;
};

struct TWalk {
  std::array<TWalkStep, WormWalkMaxSteps> Steps{};
  int Count = 0;
  bool Reached = false;
};

// One obstacle-following walk from the worm's tile toward its destination, turning one way
// around whatever is not sand.
TWalk Walk(const TWormRecord& w, bool turnLeft) {
  TWalk walk;
  i32 cx = w.X, cy = w.Y;
  std::uint8_t facing = FacingBetweenCells(cx, cy, w.DestX, w.DestY);
  i32 px = cx, py = cy;
  StepByFacing(facing, px, py);
  for (int budget = WormWalkBudget;;) {
    if (WormPassable(px, py)) {
      walk.Steps[static_cast<std::size_t>(walk.Count++)] = {px, py, facing};
      cx = px;
      cy = py;
      if (cx != w.DestX || cy != w.DestY) {
        facing = FacingBetweenCells(cx, cy, w.DestX, w.DestY);
        px = cx;
        py = cy;
        StepByFacing(facing, px, py);
      }
    } else {
      if (!GameMap.Inside(px, py)) return walk;
      facing = turnLeft ? FacingPrev(facing) : FacingNext(facing);
      px = cx;
      py = cy;
      StepByFacing(facing, px, py);
    }
    --budget;
    // Running out fails even in the iteration that arrived.
    if (walk.Count >= WormWalkMaxSteps || budget <= 0) return walk;
    if (cx == w.DestX && cy == w.DestY) {
      walk.Reached = true;
      return walk;
    }
  }
}

void WormMoveStep(TWormRecord& w) {
  if (w.MoveState != 2 || WorldTickCount < w.StepTimer) return;
  w.StepTimer = WorldTickCount + w.StepPeriod;
  if (w.StepProgress < StepOnTile) {
    w.StepProgress += StepGrowth;
    WormAdvance(w);
  }
}

void TakeNextStep(TWormRecord& w) {
  const TPathStep& s = w.Path[w.PathLength];
  w.NextX = s.X;
  w.NextY = s.Y;
  w.Facing = s.Facing;
  --w.PathLength;
  w.StepProgress = 0;
  w.MoveState = 2;
  w.StepTimer = WorldTickCount;
}

}  // namespace

void WormTick(TWormRecord& w) {
  if (w.Removed != 0) return;
  WormBehaviourStep(w);
}

void WormBehaviourStep(TWormRecord& w) {
  // A surfaced worm stays on its prey's tile until the strike is over.
  if (w.Hidden != 0) {
    if (OnTile(w)) {
      switch (w.Behaviour) {
        case WormGivingUp:
          w.Behaviour = WormResting;
          w.MoveState = 0;
          w.StepTimer = WorldTickCount;
          break;
        case WormHunting: WormHuntStep(w); break;
        case WormTravelling: WormPathStep(w); break;
        default: break;
      }
    }
    WormMoveStep(w);
    if (WorldTickCount >= w.HuntTime) WormHuntCheck(w);
  }
  // Strikes run on the world clock, so a world stepped without frames finishes them too.
  if (w.Hidden == 0 && w.Removed == 0) WormStrikeStep(w);
}

void WormAdvance(TWormRecord& w) {
  i32 px = w.X * 16, py = w.Y * 16;
  const i32 p = w.StepProgress;
  switch (w.Facing) {
    case 0: py -= p; break;
    case 1: px += p; py -= p; break;
    case 2: px += p; break;
    case 3: px += p; py += p; break;
    case 4: py += p; break;
    case 5: px -= p; py += p; break;
    case 6: px -= p; break;
    case 7: px -= p; py -= p; break;
    default: break;
  }
  if (w.StepProgress > 15) {
    w.X = px / 16;
    w.Y = py / 16;
  }
}

bool WormPassable(i32 x, i32 y) { return OnSand(x, y); }

void WormHuntCheck(TWormRecord& w) {
  if (w.MoveState != 0 || w.Behaviour == WormHunting) return;
  if (FindPrey(w) == 0) StartHunt(w);
}

std::uint8_t FindPrey(TWormRecord& w) {
  // The nearest unit that a trial path reaches wins, the lowest slot on equal distance. Trying
  // the candidates nearest first, the first one a path reaches is that unit; mostly it is the
  // very first, so the nearest is picked out alone and the rest are sorted only when it fails.
  // Units not joined to the worm through sand are left out once the worm's reach is known.
  const TSandReach* reach = KnownReach(w);
  static std::vector<TPreyCandidate> near;
  near.clear();
  for (const TPreyCandidate& c : PreyCandidates()) {
    const i32 dx = c.X - w.X, dy = c.Y - w.Y;
    // A walk takes one tile per step and fails at its 100th: farther tiles are out of reach,
    // and all nearer ones lie well inside the distance limit of 255.
    if (std::max(std::abs(dx), std::abs(dy)) >= WormWalkMaxSteps) continue;
    if (reach != nullptr ? !reach->Has(c.X, c.Y) : !OnSand(c.X, c.Y)) continue;
    near.push_back({c.Slot, c.X, c.Y, dx * dx + dy * dy});
  }
  // Squared distances of tiles this near differ by far more than the rounding of a square
  // root: only equal squares need the Euclidean distance itself, and then the slot.
  const auto nearer = [&w](const TPreyCandidate& a, const TPreyCandidate& b) {
    if (a.Square != b.Square) return a.Square < b.Square;
    const double da = std::hypot(static_cast<double>(a.X - w.X), static_cast<double>(a.Y - w.Y));
    const double db = std::hypot(static_cast<double>(b.X - w.X), static_cast<double>(b.Y - w.Y));
    return da != db ? da < db : a.Slot < b.Slot;
  };
  const auto take = [&w](const TPreyCandidate& c) {
    w.Prey = static_cast<std::uint16_t>(c.Slot);
    w.TargetX = static_cast<std::uint16_t>(c.X);
    w.TargetY = static_cast<std::uint16_t>(c.Y);
    return std::uint8_t{0};
  };
  if (near.empty()) return 1;
  const auto first = std::min_element(near.begin(), near.end(), nearer);
  if (TryWormPath(w, Units[first->Slot])) return take(*first);
  if (reach == nullptr) reach = &MarkReach(w);
  std::sort(near.begin(), near.end(), nearer);
  // A path that failed toward a tile fails toward every unit on it.
  static std::vector<std::pair<i32, i32>> failed;
  failed.clear();
  failed.emplace_back(near.front().X, near.front().Y);
  for (const TPreyCandidate& c : near) {
    if (!reach->Has(c.X, c.Y) || std::find(failed.begin(), failed.end(), std::pair{c.X, c.Y}) != failed.end())
      continue;
    if (TryWormPath(w, Units[c.Slot])) return take(c);
    failed.emplace_back(c.X, c.Y);
  }
  return 1;
}

bool TryWormPath(const TWormRecord& worm, const TUnitRecord& unit) {
  // A trial on a copy: looking for prey must not turn or redirect the worm.
  TWormRecord trial = worm;
  trial.DestX = unit.X;
  trial.DestY = unit.Y;
  trial.PathLength = 0;
  trial.StepProgress = StepOnTile;
  trial.MoveState = 0;
  WormPathStep(trial);
  return trial.MoveState == 2;  // a step of a new path was taken
}

void StartHunt(TWormRecord& w) {
  w.Behaviour = WormHunting;
  if (const TUnitRecord* u = PreyUnit(w)) {
    if (u->Owner != LocalPlayer) {
      // Only the server has other players to warn.
      if (NetRole == RoleServer && u->Owner >= 1 && u->Owner <= MaxPlayers)
        NetSendToPlayer166Proc(PlayerConnections[u->Owner].Connection);
    } else {
      VoiceUnitLostToWorm(u->Side);
    }
  }
  w.PathLength = 0;
}

void WormGiveUp(TWormRecord& w) { w.Behaviour = WormGivingUp; }

void WormPathStep(TWormRecord& w) {
  if (w.X == w.DestX && w.Y == w.DestY) {
    if (w.Behaviour == WormTravelling) w.Behaviour = WormResting;
    w.MoveState = 0;
    return;
  }
  if (w.PathLength > w.Path.size()) w.PathLength = 0;  // a damaged record: start afresh
  if (w.PathLength == 0 || WormPathBlocked(w)) {
    if (!WormPassable(w.DestX, w.DestY))
      w.DestY = std::clamp<i32>(w.DestY, 1, std::max<i32>(1, GameMap.Height));
    BuildWormPath(w);
    if (w.PathLength == 0) {
      WormGiveUp(w);
      return;
    }
  }
  TakeNextStep(w);
}

bool WormPathBlocked(const TWormRecord& w) {
  const int n = std::min<int>(w.PathLength, static_cast<int>(w.Path.size()));
  for (int k = 1; k <= n; ++k)
    if (!WormPassable(w.Path[k].X, w.Path[k].Y)) return true;
  return false;
}

void BuildWormPath(TWormRecord& w) {
  const TWalk left = Walk(w, true);
  const TWalk right = Walk(w, false);
  const TWalk* chosen = nullptr;
  if (left.Reached && right.Reached)
    chosen = right.Count < left.Count ? &right : &left;
  else if (left.Reached)
    chosen = &left;
  else if (right.Reached)
    chosen = &right;
  if (chosen == nullptr) {
    w.PathLength = 0;
    return;
  }
  // Longer routes are walked ten steps at a time; the first step goes last.
  const int n = std::min<int>(chosen->Count, static_cast<int>(w.Path.size()));
  w.PathLength = static_cast<std::uint16_t>(n);
  for (int i = 0; i < n; ++i) {
    const TWalkStep& s = chosen->Steps[static_cast<std::size_t>(i)];
    TPathStep& p = w.Path[n - i];
    p.X = s.X;
    p.Y = s.Y;
    p.Facing = s.Facing;
  }
}

bool PreyOutOfReach(const TWormRecord& w) {
  const TUnitRecord* u = PreyUnit(w);
  return u == nullptr || u->OffMap == 1 || !OnSand(u->X, u->Y);
}

void WormHuntStep(TWormRecord& w) {
  if (PreyOutOfReach(w)) {
    WormGiveUp(w);
    return;
  }
  const TUnitRecord& u = *PreyUnit(w);
  i32 ux, uy, wx, wy;
  CellPixel(u.X, u.Y, u.StepProgress, u.Facing, ux, uy);
  CellPixel(w.X, w.Y, w.StepProgress, w.Facing, wx, wy);
  if (ux == wx && uy == wy) {
    WormSurface(w);
    return;
  }
  w.TargetX = static_cast<std::uint16_t>(u.X);
  w.TargetY = static_cast<std::uint16_t>(u.Y);
  if (w.TargetX != w.X || w.TargetY != w.Y) w.Facing = FacingToward(w.X, w.Y, w.TargetX, w.TargetY);
  w.DestX = w.TargetX;
  w.DestY = w.TargetY;
  w.PathLength = 0;
  WormPathStep(w);
}

void WormSurface(TWormRecord& w) {
  if (w.Hidden == 0) return;  // already striking
  w.Hidden = 0;
  if (NetRole == RoleServer) NetBroadcastWormSurfaceProc(w.Slot);
  w.StrikeCounter = WormStrikeFrames;
  PlayWormSound(w.X, w.Y);
}

void WormStrikeStep(TWormRecord& w) {
  // A client waits for the server's messages instead.
  if (NetRole == RoleClient || w.Hidden != 0) return;
  if (w.StrikeCounter == WormStrikeFrames) {
    EatPrey(w);
  } else if (w.StrikeCounter <= 0) {
    w.Hidden = 1;
    if (NetRole == RoleServer) NetBroadcast151Proc(w.Slot);
    return;
  }
  if (WorldTickCount >= w.StrikeTimer) {
    w.StrikeTimer = WorldTickCount + w.StrikeFramePeriod;
    --w.StrikeCounter;
  }
}

long WormStrikeSprite(i32 counter) {
  if (counter >= 1 && counter <= WormStrikeFrames) return 63 - counter;
  if (counter < 0) return 55;
  return 0;
}

void EatPrey(TWormRecord& w) {
  TUnitRecord* u = PreyUnit(w);
  // Only the unit the worm surfaced under, and only once.
  w.Prey = 0;
  if (u == nullptr || u->OffMap != 0 || u->X != w.X || u->Y != w.Y) return;
  if (u->Owner >= 1 && u->Owner <= MaxPlayers) ForgetUnit(Players[u->Owner], u->Slot);
  if (NetRole == RoleServer) NetRemoveUnitProc(u->Slot);
  RemoveUnit(*u);
  w.HuntTime = WorldTickCount + w.DigestPause;
}

void DrawWorm(const TWormRecord& w) {
  if (w.Removed != 0) return;
  const i32 vx = ViewState.ViewX, vy = ViewState.ViewY;
  if (!(vx - 2 < w.X - 1 && w.X - 1 < vx + 20 && vy - 2 < w.Y - 1 && w.Y - 1 < vy + 10)) return;
  const i32 px = (w.X - 1) * 16, py = (w.Y - 1) * 16;

  // Head, then the tail one cell behind it.
  i32 hx = px, hy = py;
  if (w.MoveState == 2) MoveOffsetByFacing(w.StepProgress, hx, hy, w.Facing);
  static constexpr i32 TailDx[8] = {0, -16, -16, -16, 0, 16, 16, 16};
  static constexpr i32 TailDy[8] = {16, 16, 0, -16, -16, -16, 0, 16};
  const int f = w.Facing & 7;
  DrawSandBulge(ScreenXOf(hx), ScreenYOf(hy));
  DrawSandBulge(ScreenXOf(hx + TailDx[f]), ScreenYOf(hy + TailDy[f]));

  if (w.Hidden == 0) {
    if (const long sprite = WormStrikeSprite(w.StrikeCounter); sprite != 0) {
      i32 sx = px, sy = py;
      MoveOffsetByFacing(w.StepProgress, sx, sy, w.Facing);
      DrawSprite24(sx, sy, sprite, WormSideColour);
    }
  }
  if (w.Deselected == 0) DrawSelectionFrame(px, py, WormSelectionColour);
}

void DamageWorm(TWormRecord& w, i32 amount) {
  if (w.Removed != 0) return;
  w.Health -= amount;
  if (NetRole == RoleServer) NetBroadcastDamageWormProc(w.Slot, amount);
  if (w.Health < w.MaxHealth / 2) RemoveWorm(w);
}

void StartWormSound(TWormRecord& w) {
  w.Deselected = 0;
  PlayWormSound2(w.X, w.Y);
}

void StopWormSound(TWormRecord& w) { w.Deselected = 1; }

void SetWormTarget(TWormRecord& w, i32 x, i32 y) {
  w.TargetX = static_cast<std::uint16_t>(x);
  w.TargetY = static_cast<std::uint16_t>(y);
}

// ---- The sand bulge ----

namespace {
// The bulge may reach below the map rows; the panel is drawn over it afterwards.
constexpr i32 BulgeBottom = 191;
bool InBulgeArea(i32 x, i32 y) { return x >= 0 && x < ScreenWidth && y >= 0 && y <= BulgeBottom; }
}  // namespace

void GrabSandPatch(i32 sx, i32 sy, TSandPatch16& patch) {
  for (i32 r = 0; r < 16; ++r)
    for (i32 c = 0; c < 16; ++c) {
      const i32 x = sx + c, y = sy + r;
      patch[static_cast<std::size_t>(r * 16 + c)] =
          InBulgeArea(x, y) ? BackBuffer[static_cast<std::size_t>(y * ScreenWidth + x)] : TransparentColor;
    }
}

void EnlargeSandPatch(const TSandPatch16& small, TSandPatch24& large) {
  // Odd rows and columns are doubled: 16 + 8 = 24.
  std::array<int, 24> from{};
  for (int i = 0, k = 0; i < 16; ++i) {
    from[static_cast<std::size_t>(k++)] = i;
    if (i % 2 == 1) from[static_cast<std::size_t>(k++)] = i;
  }
  for (int r = 0; r < 24; ++r)
    for (int c = 0; c < 24; ++c)
      large[static_cast<std::size_t>(r * 24 + c)] =
          small[static_cast<std::size_t>(from[static_cast<std::size_t>(r)] * 16 + from[static_cast<std::size_t>(c)])];
}

void MaskSandPatch(TSandPatch24& patch) {
  auto clear = [&](int r, int c1, int c2) {
    for (int c = c1; c <= c2; ++c) patch[static_cast<std::size_t>(r * 24 + c)] = TransparentColor;
  };
  clear(0, 0, 23);
  clear(23, 0, 23);
  for (int r = 0; r < 24; ++r) {
    clear(r, 0, 0);
    clear(r, 23, 23);
  }
  // Rounded corners.
  for (int r : {1, 22}) clear(r, 0, 3), clear(r, 20, 23);
  for (int r : {2, 21}) clear(r, 0, 2), clear(r, 21, 23);
  for (int r : {3, 4, 19, 20}) clear(r, 0, 1), clear(r, 22, 23);
}

void PasteSandPatch(i32 sx, i32 sy, const TSandPatch24& patch) {
  for (i32 r = 0; r < 24; ++r)
    for (i32 c = 0; c < 24; ++c) {
      const std::uint8_t v = patch[static_cast<std::size_t>(r * 24 + c)];
      const i32 x = sx - 2 + c, y = sy - 2 + r;
      if (v != TransparentColor && InBulgeArea(x, y))
        BackBuffer[static_cast<std::size_t>(y * ScreenWidth + x)] = v;
    }
}

void DrawSandBulge(i32 sx, i32 sy) {
  TSandPatch16 small;
  TSandPatch24 large;
  GrabSandPatch(sx, sy, small);
  EnlargeSandPatch(small, large);
  MaskSandPatch(large);
  PasteSandPatch(sx, sy, large);
}

}  // namespace zarn
