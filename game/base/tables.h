// Fixed tables indexed from a lower bound (most game tables count from 1). Every index is
// checked: a wrong one throws RangeError instead of touching a neighbour's memory. Numbers from
// files, the wire or the player are validated where they enter, so the check never fires in play.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace zarn {

struct RangeError : std::out_of_range {
  using std::out_of_range::out_of_range;
};

[[noreturn]] void ThrowRangeError(long index, long lo, long hi);

template <typename T, int Lo, int Hi>
struct Table {
  static_assert(Hi >= Lo);
  static constexpr int Low = Lo;
  static constexpr int High = Hi;
  static constexpr std::size_t Count = static_cast<std::size_t>(Hi - Lo + 1);

  T items[Count];

  constexpr T& operator[](long i) {
    if (i < Lo || i > Hi) ThrowRangeError(i, Lo, Hi);
    return items[i - Lo];
  }
  constexpr const T& operator[](long i) const {
    if (i < Lo || i > Hi) ThrowRangeError(i, Lo, Hi);
    return items[i - Lo];
  }
  static constexpr bool InRange(long i) { return i >= Lo && i <= Hi; }
  constexpr T* begin() { return items; }
  constexpr T* end() { return items + Count; }
  constexpr const T* begin() const { return items; }
  constexpr const T* end() const { return items + Count; }
  constexpr T* data() { return items; }
  constexpr const T* data() const { return items; }
  static constexpr std::size_t size() { return Count; }
};

// 1-based table of N entries.
template <typename T, int N>
using Table1 = Table<T, 1, N>;

}  // namespace zarn
