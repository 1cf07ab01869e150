#pragma once
// Printed forms shared by several verbs and shortcuts.

#include <iosfwd>

#include "model/point_store.h"

namespace trevalon::cli {

// The statistics record as one JSON object on one line (reals with 6 decimals).
void PrintStatisticsJson(std::ostream& out, const CPointStore& store);

}  // namespace trevalon::cli
