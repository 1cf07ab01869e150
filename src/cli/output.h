#pragma once
// Printed forms shared by several verbs and shortcuts.

#include <iosfwd>
#include <string>
#include <string_view>

#include "model/machine_time.h"
#include "model/point_store.h"

namespace trevalon::cli {

// A real as the JSON forms print it: six decimals.
std::string JsonReal(double v);
// A string as a JSON string, quotes included: quotes, backslashes and control characters
// escaped; bytes that are not UTF-8 (a file name may hold any) become U+FFFD.
std::string JsonString(std::string_view s);

// The statistics of the store as it is now, then the machine time for `machine`, as the
// members of a JSON object without its braces (reals with 6 decimals). The arcs' length and
// the machine time come last, so that what printed before keeps its place. A machine time
// that could not be estimated (no memory for the plan) is null.
std::string StatisticsJsonMembers(CPointStore& store, const MachineLimits& machine);

// The same as one JSON object on one line.
void PrintStatisticsJson(std::ostream& out, CPointStore& store, const MachineLimits& machine);

}  // namespace trevalon::cli
