// Verbs of the filter menu: the linear and arc filters, subdivision and arc conversion. Each
// prints the points before and after; a toolpath with nothing to do is reported on the error
// stream and is no failure.

#include <cstdio>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/script.h"
#include "edit/arc_fit.h"
#include "edit/filters.h"
#include "edit/subdivide.h"

namespace trevalon::cli {

namespace {

void Say(Session& s, const char* verb, std::uint32_t before, std::uint32_t after,
         const std::string& what) {
  s.out << verb << ": " << before << " points -> " << after << " points (" << what << ")\n";
}

double Tolerance(const Args& a, std::size_t i, const char* verb, RealRange range) {
  const double t = a.Real(i, "tolerance");
  if (!range.Contains(t))
    Usage(std::string(verb) + ": the tolerance must lie above " + std::to_string(range.lo) +
          " and up to " + std::to_string(range.hi));
  return t;
}

// filter linear|arc T
void FilterVerb(Session& s, const Args& a) {
  a.Expect(2, 2);
  const bool linear = a[0] == "linear";
  if (!linear && a[0] != "arc") Usage("filter: linear T or arc T");
  const char* verb = linear ? "filter linear" : "filter arc";
  const double t = Tolerance(a, 1, verb, kFilterToleranceRange);
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  FilterSummary sum;
  const Outcome o = linear ? LinearFilter(ctx, t, &sum) : ArcFilter(ctx, t, &sum);
  CheckEdit(s, o, verb);
  if (o.ok())
    Say(s, verb, sum.pointsBefore, sum.pointsAfter,
        std::to_string(sum.changed) + (linear ? " taken out" : " arcs made straight"));
}

// subdivide S [scope=all|selected|polygon|point] [I | X1 Y1 X2 Y2 X3 Y3 ...]
void SubdivideVerb(Session& s, const Args& a) {
  a.Expect(1, 1000, {"scope"});
  SubdivideRequest r;
  r.step = a.Real(0, "step");
  if (!kSubdivideStepRange.Contains(r.step))
    Usage("subdivide: the step must lie above 0 and up to 1000000");
  const std::string* scope = a.Option("scope");
  const std::string name = scope ? *scope : "all";
  Region polygon;
  if (name == "all" || name == "selected") {
    r.scope = name == "all" ? SubdivideScope::All : SubdivideScope::Selected;
    if (a.size() != 1) Usage("subdivide: scope=" + name + " takes no more words");
  } else if (name == "point") {
    r.scope = SubdivideScope::Point;
    if (a.size() != 2) Usage("subdivide: scope=point needs the index of the point");
    const long long i = a.Int(1, "point");  // long is 32 bits on Windows
    if (i < 0 || i > 0xffffffffLL) Usage("subdivide: no point " + a[1]);
    r.point = static_cast<std::uint32_t>(i);
  } else if (name == "polygon") {
    r.scope = SubdivideScope::Polygon;
    if (a.size() < 7 || (a.size() - 1) % 2 != 0)
      Usage("subdivide: scope=polygon needs at least three vertices X Y in window pixels");
    std::vector<RegionPoint> vertices;
    for (std::size_t i = 1; i + 1 < a.size(); i += 2)
      vertices.push_back(
          {a.Real(i, "x", kWindowPositionRange), a.Real(i + 1, "y", kWindowPositionRange), 0});
    polygon = Region::Polygon(std::move(vertices));
    r.region = &polygon;
  } else {
    Usage("subdivide: scope is all, selected, polygon or point");
  }
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  SubdivideSummary sum;
  const Outcome o = Subdivide(ctx, r, &sum);
  CheckEdit(s, o, "subdivide");
  if (o.ok())
    Say(s, "subdivide", sum.pointsBefore, sum.pointsAfter,
        std::to_string(sum.cutsSplit) + " cuts split");
}

// arcs tolines T | arcs fit [tol=T] [points=N] [rmin=R] [rmax=R] [planes=xy,zx,yz]
// [prefilter=T] | arcs simplify [tol=T] [planes=xy,zx,yz]; options left out take the values
// the dialog "Arc Convert" opens with.
void ArcsVerb(Session& s, const Args& a) {
  if (a.size() == 0) Usage("arcs: tolines T, fit [options] or simplify [options]");
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  ArcFitSummary sum;
  if (a[0] == "tolines") {
    a.Expect(2, 2);
    const double t = Tolerance(a, 1, "arcs tolines", kArcToleranceRange);
    const Outcome o = ArcsToLines(ctx, t, &sum);
    CheckEdit(s, o, "arcs tolines");
    if (o.ok())
      Say(s, "arcs tolines", sum.pointsBefore, sum.pointsAfter,
          std::to_string(sum.arcs) + " arcs made linear cuts");
    return;
  }
  // planes=xy,zx,yz: the planes arcs may lie in.
  auto planes = [&a](const char* verb, bool& xy, bool& zx, bool& yz) {
    const std::string* list = a.Option("planes");
    if (!list) return;
    xy = zx = yz = false;
    std::istringstream words(*list);
    for (std::string p; std::getline(words, p, ',');) {
      if (p == "xy")
        xy = true;
      else if (p == "zx")
        zx = true;
      else if (p == "yz")
        yz = true;
      else
        Usage(std::string(verb) + ": planes is a list of xy, zx and yz, not '" + p + "'");
    }
    if (!xy && !zx && !yz) Usage(std::string(verb) + ": planes names no plane");
  };
  if (a[0] == "simplify") {
    a.Expect(1, 1, {"tol", "planes"});
    ArcSimplifyOptions o;
    o.tolerance = a.RealOption("tol", o.tolerance);
    if (!kArcToleranceRange.Contains(o.tolerance))
      Usage("arcs simplify: tol must lie above 0 and up to 10");
    planes("arcs simplify", o.xy, o.zx, o.yz);
    ArcSimplifySummary sum;
    const Outcome out = SimplifyToolpath(ctx, o, &sum);
    CheckEdit(s, out, "arcs simplify");
    if (out.ok()) {
      char what[200];
      std::snprintf(what, sizeof what, "%u arcs and %u lines for %llu cuts, largest deviation %.4f",
                    sum.arcs, sum.lines, static_cast<unsigned long long>(sum.replaced),
                    sum.maxDeviation);
      Say(s, "arcs simplify", sum.pointsBefore, sum.pointsAfter, what);
    }
    return;
  }
  if (a[0] != "fit") Usage("arcs: tolines T, fit [options] or simplify [options]");
  a.Expect(1, 1, {"tol", "points", "rmin", "rmax", "planes", "prefilter"});
  ArcFitOptions o;
  o.tolerance = a.RealOption("tol", o.tolerance);
  if (!kArcToleranceRange.Contains(o.tolerance))
    Usage("arcs fit: tol must lie above 0 and up to 10");
  const long points = a.IntOption("points", o.maxPoints);
  if (!kArcPointsRange.Contains(points)) Usage("arcs fit: points must lie in 3 to 100000");
  o.maxPoints = static_cast<std::int32_t>(points);
  o.minRadius = a.RealOption("rmin", o.minRadius);
  o.maxRadius = a.RealOption("rmax", o.maxRadius);
  if (!kArcRadiusRange.Contains(o.minRadius) || !kArcRadiusRange.Contains(o.maxRadius) ||
      !(o.minRadius < o.maxRadius))
    Usage("arcs fit: rmin and rmax lie in 0 to 100000, rmin below rmax");
  planes("arcs fit", o.xy, o.zx, o.yz);
  if (a.Has("prefilter")) {
    o.prefilter = true;
    o.prefilterTolerance = a.RealOption("prefilter", o.prefilterTolerance);
    if (!kFilterToleranceRange.Contains(o.prefilterTolerance))
      Usage("arcs fit: prefilter must lie above 0 and up to 1000");
  }
  const Outcome out = FitArcs(ctx, o, &sum);
  CheckEdit(s, out, "arcs fit");
  if (out.ok()) {
    char what[160];
    std::snprintf(what, sizeof what, "%u arcs for %llu cuts, largest deviation %.4f", sum.arcs,
                  static_cast<unsigned long long>(sum.replaced), sum.maxDeviation);
    Say(s, "arcs fit", sum.pointsBefore, sum.pointsAfter, what);
  }
}

VerbRegistrar registrar{
    {"filter",
     "filter linear|arc T   drop points on straight lines, or make arcs flatter than T "
     "straight cuts (undoable)",
     FilterVerb},
    {"subdivide",
     "subdivide S [scope=all|selected|polygon|point] [I | X1 Y1 X2 Y2 X3 Y3 ...]   split linear "
     "cuts longer than S into equal steps (undoable)",
     SubdivideVerb},
    {"arcs",
     "arcs tolines T | arcs fit [tol=0.01] [points=1000] [rmin=0.1] [rmax=1000] "
     "[planes=xy,zx,yz] [prefilter=T] | arcs simplify [tol=0.01] [planes=xy,zx,yz]   arcs to "
     "linear cuts, arcs fitted to linear cuts, or the fewest lines and arcs within tol "
     "(undoable)",
     ArcsVerb},
};

}  // namespace

}  // namespace trevalon::cli
