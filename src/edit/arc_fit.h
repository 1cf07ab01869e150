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

// "Simplify": lines and arcs chosen together, the fewest blocks within one tolerance.
// Every point of the toolpath and every point on its linear cuts lies within `tolerance` of
// the result as the ISO writer writes it with I/J/K and three decimals and a reader takes it
// back (and as the store holds it). Runs of linear cuts at one feed are replaced, each from
// its first point on by the longest line or arc (in a chosen plane, a helix when its end lies
// at another height) that holds; a feed change, a rapid or an arc of the program ends a run,
// so feed changes stay where they were and no rapid is ever inside a fitted arc.
struct ArcSimplifyOptions {
  double tolerance = 0.01;
  bool xy = true, zx = true, yz = true;  // the planes arcs may lie in
};

// Radii of the arcs the simplification writes. Our rule: above 0.01 (a centre a reader can
// tell from the start by its offsets) and below 10000, which the writer's words and a
// record's single precision hold to a thousandth; a flatter run is a line.
inline constexpr double kSimplifyMinRadius = 0.01;
inline constexpr double kSimplifyMaxRadius = 10000.0;

struct ArcSimplifySummary {
  std::uint32_t pointsBefore = 0, pointsAfter = 0;
  std::uint32_t arcs = 0;      // arcs written
  std::uint32_t lines = 0;     // lines that replace two or more cuts
  std::uint64_t replaced = 0;  // cuts those arcs and lines replace
  double maxDeviation = 0;     // as measured against the result as read back
  bool stopped = false;        // Escape stopped it; the runs done so far are kept
};

Outcome SimplifyToolpath(EditContext& ctx, const ArcSimplifyOptions& options,
                         ArcSimplifySummary* summary = nullptr);

}  // namespace trevalon
