// The sanitizers' build runs the world and the frames some 25 times slower than the plain one:
// the longest game runs play less there, so that each test stays well inside its time limit on a
// busy machine. The plain run keeps their full length.
#pragma once

namespace testsan {

// GCC names the address sanitizer by a macro; clang tells it as a feature.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool Sanitized = true;
#elif defined(__has_feature)
inline constexpr bool Sanitized = __has_feature(address_sanitizer);
#else
inline constexpr bool Sanitized = false;
#endif

}  // namespace testsan
