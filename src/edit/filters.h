#pragma once
// The two filters of the toolpath. The linear filter takes out the points of a cutting run
// that lie within a tolerance of the straight line from the last point that stays to a later
// one, unless the feed changes there; the arc filter turns arcs whose chord stays within a
// tolerance of them into straight cuts. Both record one undo snapshot and end with compaction
// and regeneration; a toolpath with nothing to filter is left as it was, without a snapshot.

#include <cstdint>
#include <vector>

#include "edit/command_frame.h"
#include "platform/value_range.h"

namespace trevalon {

// "필터링 공차" of both filters: 0.001 when the program starts. The dialog holds it as a
// single-precision number, so the filters work with that value (0.001 is 0.0010000000474974513).
inline constexpr double kFilterToleranceStart = 0.001;
inline constexpr RealRange kFilterToleranceRange{0.0, 1000.0, true};

// A tolerance as the filters use it: the single-precision value of what was entered.
inline double FilterTolerance(double entered) {
  return static_cast<double>(static_cast<float>(entered));
}

struct FilterSummary {
  std::uint32_t pointsBefore = 0, pointsAfter = 0;
  // The linear filter: points taken out. The arc filter: arcs made straight cuts.
  std::uint32_t changed = 0;
};

Outcome LinearFilter(EditContext& ctx, double tolerance, FilterSummary* summary = nullptr);
Outcome ArcFilter(EditContext& ctx, double tolerance, FilterSummary* summary = nullptr);

// The linear filter's walk without changing anything: the record indices of the points it
// takes out, in increasing order. `tolerance` is used as given (FilterTolerance is the
// caller's). The arc conversion runs it before it fits arcs.
std::vector<std::uint32_t> LinearFilterRemovals(CPointStore& store, double tolerance);

// Gives the records motion type 0. False when a record could not be written (a page shared
// with an undo snapshot could not be copied); the caller then puts the store back.
bool MarkRecordsRemoved(CPointStore& store, const std::vector<std::uint32_t>& records);

}  // namespace trevalon
