// Side names, tick-count time texts, padding and the clock wait.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zarn {

// Display name of side 0..8 in cp1251; empty for other values.
std::string SideName(int side);
// "m:ss" of a tick count (18.2 ticks a second); a negative count gives "-" and the time.
std::string TicksToMinSec(std::int64_t ticks);
// "h:mm:ss"; negative counts as above.
std::string TicksToHourMinSec(std::int64_t ticks);
// Fills up to `length` on the left or the right; longer texts come back unchanged.
std::string PadString(std::string_view text, int length, char fill, bool left);
// Waits n seconds (n <= 0 returns at once).
void WaitSeconds(int n);

}  // namespace zarn
