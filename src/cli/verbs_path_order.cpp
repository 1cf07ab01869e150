// Verbs of the path order commands: reverse, startpoints, sort, zupdown and transform. Options
// not given keep the values of the verb's last use in the session, starting from those the
// command's dialog opens with, as the dialogs keep theirs. Two are taken afresh each time, as
// a script reads best: the scope (all paths unless the command says otherwise, as a polygon
// scope needs its vertices on the same line) and a transform's copies (none unless asked for).
// Window positions (polygon vertices, start point clicks) are those of the document's current
// view.

#include <optional>
#include <string>
#include <vector>

#include "cli/script.h"
#include "edit/path_scope.h"
#include "edit/reverse.h"
#include "edit/sort_paths.h"
#include "edit/start_points.h"
#include "edit/transform.h"
#include "edit/z_up_down.h"

namespace trevalon::cli {

namespace {

// More numbers than any polygon input takes: its clicks, of which the drop rule may take out
// many.
constexpr std::size_t kMostWords = 100000;

double RealIn(const Args& a, const std::string& verb, const char* key, double fallback,
              RealRange range) {
  const double v = a.RealOption(key, fallback);
  if (!range.Contains(v))
    Usage(verb + ": " + key + " must lie in " + std::to_string(range.lo) + " to " +
          std::to_string(range.hi));
  return v;
}

long IntIn(const Args& a, const std::string& verb, const char* key, long fallback, IntRange range) {
  const long v = a.IntOption(key, fallback);
  if (!range.Contains(v))
    Usage(verb + ": " + key + " must lie in " + std::to_string(range.lo) + " to " +
          std::to_string(range.hi));
  return v;
}

// scope=all|selected|polygon (all when not given) and, for the polygon, its vertices: the
// positional words from `from` on, X Y pairs of window positions. Sets `polygon` to the polygon
// the input gives, or leaves it empty when the input gives none.
PathScope Scope(const Args& a, const std::string& verb, std::size_t from,
                std::optional<Region>& polygon) {
  PathScope scope = PathScope::All;
  if (const std::string* v = a.Option("scope"); v && !ParsePathScope(*v, scope))
    Usage(verb + ": scope is all, selected or polygon, not '" + *v + "'");
  const std::size_t numbers = a.size() - from;
  if (scope != PathScope::Polygon) {
    if (numbers != 0) Usage(verb + ": window positions are only given with scope=polygon");
    return scope;
  }
  if (numbers % 2 != 0) Usage(verb + ": the polygon's vertices come in pairs X Y");
  std::vector<RegionPoint> clicks;
  for (std::size_t i = from; i < a.size(); i += 2)
    clicks.push_back(
        {static_cast<double>(a.Int(i, "X")), static_cast<double>(a.Int(i + 1, "Y")), 0});
  polygon = PolygonFromClicks(clicks, kPathPolygonLimit, true);
  // Our rule: the polygon input ends without a polygon when its vertices reach the limit, as
  // the desktop's does; a script that gives that many is told the limit and fails, instead
  // of hearing that the command had nothing to do.
  if (!polygon && clicks.size() >= kPathPolygonLimit &&
      PolygonFromClicks(clicks, clicks.size() + 1, true))
    Failure(verb + ": the polygon has " + std::to_string(kPathPolygonLimit) +
            " or more vertices 5 pixels apart; at most " + std::to_string(kPathPolygonLimit - 1) +
            " are taken; nothing changed");
  return scope;
}

const char* kNoPolygon =
    "the polygon input gives no polygon (fewer than 3 vertices 5 pixels apart, or 100 or more)";

// reverse [dir=0|1] [order=0|1] [twoway=0|1] [scope=all|selected|polygon] [X1 Y1 X2 Y2 ...]
// reverse path I
void Reverse(Session& s, const Args& a) {
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  if (a.size() >= 1 && a[0] == "path") {
    a.Expect(2, 2);
    const long index = a.Int(1, "I");
    if (index < 0 || index > static_cast<long>(UINT32_MAX))
      Usage("reverse path: I is the index of a record");
    CheckEdit(s, ReversePathCommand(ctx, static_cast<std::uint32_t>(index)), "reverse path");
    return;
  }
  a.Expect(0, kMostWords, {"dir", "order", "twoway", "scope"});
  ReverseOptions& kept = s.Remembered<ReverseOptions>("reverse");
  ReverseOptions o = kept;
  o.direction = a.FlagOption("dir", o.direction);
  o.order = a.FlagOption("order", o.order);
  o.twoWay = a.FlagOption("twoway", o.twoWay);
  std::optional<Region> polygon;
  o.scope = Scope(a, "reverse", 0, polygon);
  kept = o;
  if (o.scope == PathScope::Polygon && !polygon) {
    CheckEdit(s, Outcome::Unchanged(kNoPolygon), "reverse");
    return;
  }
  CheckEdit(s, ReverseCommand(ctx, o, polygon ? &*polygon : nullptr), "reverse");
}

// startpoints open|closed|both X1 Y1 [X2 Y2 ...]
void StartPoints(Session& s, const Args& a) {
  a.Expect(3, kMostWords);
  StartPointPaths which;
  if (a[0] == "open") {
    which = StartPointPaths::Open;
  } else if (a[0] == "closed") {
    which = StartPointPaths::Closed;
  } else if (a[0] == "both") {
    which = StartPointPaths::Both;
  } else {
    Usage("startpoints: open, closed or both, not '" + a[0] + "'");
  }
  if (a.size() % 2 != 1) Usage("startpoints: the clicks come in pairs X Y");
  if (a.size() / 2 > kMaxStartPoints)
    Usage("startpoints: at most " + std::to_string(kMaxStartPoints) + " start points");
  std::vector<ClickPosition> clicks;
  for (std::size_t i = 1; i < a.size(); i += 2)
    clicks.push_back({static_cast<int>(a.Int(i, "X")), static_cast<int>(a.Int(i + 1, "Y"))});
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  CheckEdit(s, StartPointsCommand(ctx, which, clicks), "startpoints");
}

// sort [mode=1|2|3|4] [dist=D] [height=H]
void Sort(Session& s, const Args& a) {
  a.Expect(0, 0, {"mode", "dist", "height"});
  SortOptions& kept = s.Remembered<SortOptions>("sort");
  SortOptions o = kept;
  o.mode = static_cast<int>(IntIn(a, "sort", "mode", o.mode, kSortModeRange));
  o.distance = RealIn(a, "sort", "dist", o.distance, kSortDistanceRange);
  o.height = RealIn(a, "sort", "height", o.height, kSortHeightRange);
  kept = o;
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  CheckEdit(s, SortCommand(ctx, o), "sort");
}

// zupdown [rising=0|1] [height=H] [angle=A] [safe=S] [selected=0|1]
void ZUpDown(Session& s, const Args& a) {
  a.Expect(0, 0, {"rising", "height", "angle", "safe", "selected"});
  ZUpDownOptions& kept = s.Remembered<ZUpDownOptions>("zupdown");
  ZUpDownOptions o = kept;
  o.risingOnly = a.FlagOption("rising", o.risingOnly);
  o.height = RealIn(a, "zupdown", "height", o.height, kZUpDownHeightRange);
  o.angle = RealIn(a, "zupdown", "angle", o.angle, kZUpDownAngleRange);
  o.safe = RealIn(a, "zupdown", "safe", o.safe, kZUpDownSafeRange);
  o.selectedOnly = a.FlagOption("selected", o.selectedOnly);
  kept = o;
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  CheckEdit(s, ZUpDownCommand(ctx, o), "zupdown");
}

// transform move [dx=] [dy=] [dz=] [copies=N] [scope=...] [X1 Y1 ...]
// transform rotate angle=A [cx=] [cy=] [cz=] [copies=N] [scope=...] [X1 Y1 ...]
// transform mirror [sx=] [sy=] [sz=] [cx=] [cy=] [cz=] [copies=N] [scope=...] [X1 Y1 ...]
void Transform(Session& s, const Args& a) {
  if (a.size() < 1) Usage("transform: move, rotate or mirror");
  const std::string verb = "transform " + a[0];
  TransformOptions& kept = s.Remembered<TransformOptions>("transform");
  TransformOptions o = kept;
  o.copy = false;
  if (a[0] == "move") {
    a.Expect(1, kMostWords, {"dx", "dy", "dz", "copies", "scope"});
    o.method = TransformMethod::Move;
    o.dx = RealIn(a, verb, "dx", o.dx, kTransformDistanceRange);
    o.dy = RealIn(a, verb, "dy", o.dy, kTransformDistanceRange);
    o.dz = RealIn(a, verb, "dz", o.dz, kTransformDistanceRange);
  } else if (a[0] == "rotate") {
    a.Expect(1, kMostWords, {"angle", "cx", "cy", "cz", "copies", "scope"});
    if (!a.Has("angle")) Usage(verb + ": angle=A is needed");
    o.method = TransformMethod::Rotate;
    o.angle = RealIn(a, verb, "angle", o.angle, kTransformAngleRange);
  } else if (a[0] == "mirror") {
    a.Expect(1, kMostWords, {"sx", "sy", "sz", "cx", "cy", "cz", "copies", "scope"});
    o.method = TransformMethod::Mirror;
    o.scaleX = a.Has("sx"), o.scaleY = a.Has("sy"), o.scaleZ = a.Has("sz");
    o.sx = RealIn(a, verb, "sx", o.sx, kTransformFactorRange);
    o.sy = RealIn(a, verb, "sy", o.sy, kTransformFactorRange);
    o.sz = RealIn(a, verb, "sz", o.sz, kTransformFactorRange);
  } else {
    Usage("transform: move, rotate or mirror, not '" + a[0] + "'");
  }
  o.cx = RealIn(a, verb, "cx", o.cx, kTransformCentreRange);
  o.cy = RealIn(a, verb, "cy", o.cy, kTransformCentreRange);
  o.cz = RealIn(a, verb, "cz", o.cz, kTransformCentreRange);
  if (a.Has("copies")) {
    o.copy = true;
    o.copies = static_cast<int>(IntIn(a, verb, "copies", o.copies, kTransformCopiesRange));
  }
  std::optional<Region> polygon;
  o.scope = Scope(a, verb, 1, polygon);
  kept = o;
  if (o.scope == PathScope::Polygon && !polygon) {
    CheckEdit(s, Outcome::Unchanged(kNoPolygon), verb);
    return;
  }
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  CheckEdit(s, TransformCommand(ctx, o, polygon ? &*polygon : nullptr), verb);
}

VerbRegistrar registrar{
    {"reverse",
     "reverse [dir=0|1] [order=0|1] [twoway=0|1] [scope=all|selected|polygon] [X1 Y1 X2 Y2 X3 Y3 "
     "...], reverse path I   reverse the direction or the order of paths (polygon vertices in "
     "window pixels)",
     Reverse},
    {"startpoints",
     "startpoints open|closed|both X1 Y1 [X2 Y2 ...]   start paths at the points clicked in the "
     "top, front or side view (window pixels, at most 20)",
     StartPoints},
    {"sort", "sort [mode=1|2|3|4] [dist=D] [height=H]   sort the paths by nearest distance", Sort},
    {"zupdown",
     "zupdown [rising=0|1] [height=H] [angle=A] [safe=S] [selected=0|1]   turn climbing cuts "
     "round so that they are cut downhill",
     ZUpDown},
    {"transform",
     "transform move [dx=] [dy=] [dz=] | rotate angle=A [cx=] [cy=] [cz=] | mirror [sx=] [sy=] "
     "[sz=] [cx=] [cy=] [cz=], each [copies=N] [scope=all|selected|polygon] [X1 Y1 ...]   move, "
     "turn, mirror or scale paths, or copy them",
     Transform},
};

}  // namespace

}  // namespace trevalon::cli
