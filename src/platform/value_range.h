#pragma once
// The allowed values of a command's option. Declared once beside the options they limit, so
// that the desktop dialog's field and the script verb accept the same numbers.

#include <limits>

namespace trevalon {

struct IntRange {
  long lo, hi;
  constexpr bool Contains(long v) const { return v >= lo && v <= hi; }
};

struct RealRange {
  double lo, hi;
  bool aboveLo = false;  // lo itself is excluded (a tolerance must stay above 0)
  constexpr bool Contains(double v) const { return (aboveLo ? v > lo : v >= lo) && v <= hi; }
};

// Any finite number.
inline constexpr RealRange kAnyReal{-std::numeric_limits<double>::max(),
                                    std::numeric_limits<double>::max()};

}  // namespace trevalon
