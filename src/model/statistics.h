#pragma once
// One walk over the point store that measures the toolpath: cutting and rapid lengths and
// extents, the highest feed and the estimated cutting time.

#include "model/point_store.h"

namespace trevalon {

// Fills store.stats and copies the cutting extents into store.extentMin/extentMax.
// Returns 0 and changes nothing when the store is empty.
int ComputeStatistics(CPointStore& store);

}  // namespace trevalon
