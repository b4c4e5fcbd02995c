#include "game/base/timefmt.h"

#include <algorithm>
#include <cmath>

#include "game/base/cp1251.h"
#include "game/base/globals.h"
#include "platform/app.h"

namespace zarn {

std::string SideName(int side) {
  static constexpr std::string_view names[9] = {
      "Горвассен"_cp1251, "Алмирет"_cp1251,  "Теликс"_cp1251, "Древокари"_cp1251, "Оскран"_cp1251,
      "Железяка"_cp1251,  "Чужой"_cp1251,    "Терран"_cp1251, "Теневик"_cp1251,
  };
  if (side < 0 || side > 8) return {};
  return std::string(names[side]);
}

namespace {

// Whole seconds of a non-negative tick count, truncated as the game's clocks always were.
std::int64_t Seconds(std::uint64_t ticks) {
  return static_cast<std::int64_t>(std::trunc(static_cast<double>(ticks) / 18.2));
}

std::uint64_t Magnitude(std::int64_t ticks) {
  return ticks < 0 ? 0 - static_cast<std::uint64_t>(ticks) : static_cast<std::uint64_t>(ticks);
}

std::string TwoDigits(std::int64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); }

}  // namespace

std::string TicksToMinSec(std::int64_t ticks) {
  // A count below zero (a timer already past) keeps its sign instead of showing "-1:-5".
  const std::string sign = ticks < 0 ? "-" : "";
  const std::int64_t s = Seconds(Magnitude(ticks));
  const std::int64_t m = s / 60;
  return sign + std::to_string(m) + ":" + TwoDigits(s - 60 * m);
}

std::string TicksToHourMinSec(std::int64_t ticks) {
  const std::string sign = ticks < 0 ? "-" : "";
  const std::int64_t s = Seconds(Magnitude(ticks));
  const std::int64_t h = s / 3600;
  const std::int64_t m = s / 60 - 60 * h;
  return sign + std::to_string(h) + ":" + TwoDigits(m) + ":" + TwoDigits(s - 60 * m - 3600 * h);
}

std::string PadString(std::string_view text, int length, char fill, bool left) {
  std::string out(text);
  if (length > 0 && out.size() < static_cast<std::size_t>(length)) {
    const std::size_t n = static_cast<std::size_t>(length) - out.size();
    if (left)
      out.insert(0, n, fill);
    else
      out.append(n, fill);
  }
  return out;
}

void WaitSeconds(int n) {
  // Without a platform there is no clock to wait on.
  if (n <= 0 || plat::Backend() == plat::BackendKind::None) return;
  // The platform's monotonic clock (virtual in headless runs); sound plays on by itself.
  const std::uint64_t until = plat::NowMs() + static_cast<std::uint64_t>(n) * 1000;
  for (std::uint64_t now = plat::NowMs(); now < until; now = plat::NowMs())
    plat::SleepMs(static_cast<std::uint32_t>(std::min<std::uint64_t>(until - now, 10)));
  // What the player pressed while nothing moved was not meant for the screen that follows.
  plat::DropPendingInput();
  KeyCode = NoKey;
}

}  // namespace zarn
