#pragma once
// Arc conversion ("Linear <--> ARC", dialog "Arc Convert"): every arc made linear cuts, or
// circular arcs fitted to runs of linear cuts, plane by plane (XY, then ZX, then YZ).
//
// A fitted arc is judged as the ISO writer writes it with centre offsets and three decimals
// and a reader takes it back: start, end and centre offsets rounded as written, in single
// precision as a store holds them. Every point of the run it replaces and every cut between
// them lies within the tolerance of that arc (measured, in 3D, the point's height off the
// arc's plane included), so a program written with I/J/K and read back keeps the toolpath
// within the tolerance. Both commands record one undo snapshot.

#include <cstdint>

#include "edit/command_frame.h"
#include "platform/value_range.h"

namespace trevalon {

// The values of the dialog "Arc Convert", with the values it opens with when the program
// starts: a fit within 0.01 of at most 1000 cuts, radii above 0.1 and below 1000, in all
// three planes, without the linear filter first (whose tolerance starts at the filters' own
// 0.001).
struct ArcFitOptions {
  double tolerance = 0.01;            // "Arc 변환 공차"
  std::int32_t maxPoints = 1000;      // "Arc 변환 포인트": cuts one arc may replace
  double minRadius = 0.1;             // "최소 반경"
  double maxRadius = 1000.0;          // "최대 반경"
  bool prefilter = false;             // "필터링후  변환"
  double prefilterTolerance = 0.001;  // its "필터링 공차"
  bool xy = true;                     // "XY 평면 ARC 변환"
  bool zx = true;                     // "ZX 평면 ARC 변환"
  bool yz = true;                     // "YZ 평면 ARC 변환"
};

inline constexpr RealRange kArcToleranceRange{0.0, 10.0, true};
// A fit needs at least three cuts (four points): three points lie on some circle whatever
// the toolpath does, so a fit through fewer proves nothing about its shape.
inline constexpr IntRange kArcPointsRange{3, 100000};
inline constexpr RealRange kArcRadiusRange{0.0, 100000.0};

struct ArcFitSummary {
  std::uint32_t pointsBefore = 0, pointsAfter = 0;
  std::uint32_t arcs = 0;      // arcs fitted, or arcs made linear cuts
  std::uint64_t replaced = 0;  // linear cuts the fitted arcs replace
  // The largest deviation of a replaced point or cut from its arc as written, as the fit
  // measured it.
  double maxDeviation = 0;
  bool stopped = false;  // Escape stopped the fitting; the arcs fitted so far are kept
};

// "G02, G03 -> G01": every arc becomes linear cuts within `tolerance` of it.
// Our chord rule: points at equal angles, as many as make each chord's sagitta at most the
// tolerance less what single precision can lose at the arc's coordinates. A helix (an arc
// whose end lies at another height along the plane's normal) climbs evenly along its points,
// and an arc whose start and end lie at different distances from the centre (as a rounded
// program gives) changes its radius evenly from one to the other, so every chord stays close
// to the arc the program describes. An arc after a rapid starts a cutting run.
Outcome ArcsToLines(EditContext& ctx, double tolerance, ArcFitSummary* summary = nullptr);

// "G01 -> G02, G03": the linear filter first when asked, then one pass per chosen plane.
Outcome FitArcs(EditContext& ctx, const ArcFitOptions& options, ArcFitSummary* summary = nullptr);

}  // namespace trevalon
