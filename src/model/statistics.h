#pragma once
// One walk over the point store that measures the toolpath: cutting and rapid lengths and
// extents, the highest feed and the estimated cutting time.

#include "model/point_store.h"

namespace trevalon {

// Sees each record the statistics' walk loads (every record below count whose fetch gives 1),
// in order, before the walk measures it: a caller that needs a walk of its own over the same
// records (the view's fit after a load) rides along instead of walking the store again.
class RecordVisitor {
 public:
  virtual void Visit(std::uint32_t i, const PointRegister& r) = 0;

 protected:
  ~RecordVisitor() = default;
};

// Fills store.stats and copies the cutting extents into store.extentMin/extentMax.
// Returns 0 and changes nothing when the store is empty. `also`, when given, sees the records
// the walk loads.
int ComputeStatistics(CPointStore& store, RecordVisitor* also = nullptr);

// The statistics of the store as it is now, for showing them: a fresh walk, and for an empty
// store the start values (ComputeStatistics keeps the last walk's record then, so an emptied
// or switched-to empty layer would otherwise show the lengths of a toolpath no longer there).
// store.stats is left as ComputeStatistics leaves it.
ToolpathStatistics CurrentStatistics(CPointStore& store);

// The length of the arc whose end point is record i, as the statistics' arc length counts it;
// 0 when record i is no arc end point or has no centre record after it. The register is left
// holding some record near i.
double StoredArcLength(CPointStore& store, std::uint32_t i);

}  // namespace trevalon
