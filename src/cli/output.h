#pragma once
// Printed forms shared by several verbs and shortcuts.

#include <iosfwd>

#include "model/point_store.h"

namespace trevalon::cli {

// The statistics of the store as it is now as one JSON object on one line (reals with 6
// decimals). The arcs' length comes last, so that what printed before keeps its place.
void PrintStatisticsJson(std::ostream& out, CPointStore& store);

}  // namespace trevalon::cli
