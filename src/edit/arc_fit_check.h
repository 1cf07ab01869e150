#pragma once
// The check of an arc conversion, independent of the fitting: a toolpath with fitted arcs
// (normally a written program read back) is walked beside the toolpath it was fitted from,
// each arc is matched with the run of cuts it replaced, and every point and cut of that run
// is measured from the arc as the fitted toolpath holds it. Straight moves must be found in
// the original at their place (rapids the writer adds around the program are passed over).

#include <cstdint>
#include <limits>

namespace trevalon {

class CPointStore;

struct ArcFitCheck {
  std::uint64_t movesBefore = 0, movesAfter = 0;  // motion moves of the two toolpaths
  std::uint64_t arcs = 0;                         // arcs of the fitted toolpath matched
  std::uint64_t replacedPoints = 0;               // original points inside those arcs
  std::uint64_t unmatched = 0;     // cuts or arcs of the fitted toolpath found nowhere
  std::uint64_t rapidsInArcs = 0;  // rapids of the original inside a replaced run
  std::uint64_t feedChanges = 0;   // replaced cuts whose feed is not their arc's
  // The largest distance of a replaced point or of a cut between two of them from its arc
  // (3D: in the arc's plane from the circle, along its normal from the plane), and where.
  double maxDeviation = 0;
  std::uint64_t worstArc = 0;  // index of the arc among the fitted toolpath's arcs
  // Straight cuts that replace a run of cuts (as a simplification writes them): how many, the
  // original points they pass over, rapids among those, and the largest distance of such a
  // point from its cut.
  std::uint64_t lines = 0, mergedPoints = 0, rapidsInLines = 0;
  double maxLineDeviation = 0;
  // The largest difference between an arc's radius at its start and at its end.
  double maxRadiusMismatch = 0;
  double minRadius = std::numeric_limits<double>::infinity(), maxRadius = 0;
};

// Both stores are only read.
ArcFitCheck CheckFittedToolpath(const CPointStore& original, const CPointStore& fitted);

}  // namespace trevalon
