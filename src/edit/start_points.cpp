#include "edit/start_points.h"

#include <algorithm>
#include <cmath>

#include "edit/path_runs.h"
#include "model/geometry.h"
#include "model/point_store.h"
#include "view/view_state.h"

namespace trevalon {

namespace {

constexpr double kClosedGap = 0.01;
constexpr double kSearchStart = 1000.0;

struct Xyz {
  double v[3];
};

Xyz PointOf(CPointStore& s, std::uint32_t i) {
  PointRegister r;
  s.Peek(i, r);
  return {{r.x, r.y, r.z}};
}

double Distance3(const Xyz& p, const Xyz& q) {
  const double dx = p.v[0] - q.v[0], dy = p.v[1] - q.v[1], dz = p.v[2] - q.v[2];
  return FlooredSqrt(dx * dx + dy * dy + dz * dz);
}

// The two model axes of the view's plane.
struct ViewPlane {
  int u, v;
  double Distance(const Xyz& click, const Xyz& p) const {
    const double du = p.v[u] - click.v[u], dv = p.v[v] - click.v[v];
    return FlooredSqrt(du * du + dv * dv);
  }
};

// How a closed path is a loop: from its lead (the whole run), or from the end of its first cut
// (the first cut leads into the loop).
enum class Loop { None, FromLead, FromFirstCut };

Loop LoopOf(CPointStore& s, const PathRun& run) {
  const Xyz last = PointOf(s, run.last);
  if (Distance3(last, PointOf(s, run.lead)) < kClosedGap) return Loop::FromLead;
  if (run.first != run.last && Distance3(last, PointOf(s, run.first)) < kClosedGap)
    return Loop::FromFirstCut;
  return Loop::None;
}

// A point on a move and where: move j of the loop (from point j-1 to point j), at the fraction
// t of the move (of its length for a line, of its sweep for an arc).
struct Foot {
  std::size_t move = 0;
  double t = 0;
  Xyz p{};
  double distance = kSearchStart;
};

// The point of an arc at the fraction t of its sweep; the height along the plane's normal
// runs evenly from start to end, as on a helix.
Xyz PointOnArc(const StoredArc& a, double t) {
  if (t <= 0) return {{a.start[0], a.start[1], a.start[2]}};
  if (t >= 1) return {{a.end[0], a.end[1], a.end[2]}};
  const PlaneAxes ax = AxesOfPlane(a.plane);
  const double r = std::hypot(a.start[ax.a] - a.centre[ax.a], a.start[ax.b] - a.centre[ax.b]);
  const double angle = a.type == MOVE_ARC_CW ? a.arc.startAngle - t * a.arc.sweep
                                             : a.arc.startAngle + t * a.arc.sweep;
  double p[3];
  PointOnCircle(a.centre, r, angle, a.plane, p);
  p[ax.normal] = a.start[ax.normal] + t * (a.end[ax.normal] - a.start[ax.normal]);
  return {{p[0], p[1], p[2]}};
}

// The fraction of the arc nearest to the click in the view's plane: the best of samples a
// degree apart, refined by a golden-section search between its neighbours. The arc's picture
// in the view's plane is a circle, a line or a curve of a helix, so one search serves all.
double NearestOnArc(const StoredArc& a, const ViewPlane& plane, const Xyz& click) {
  const int n = std::max(16, static_cast<int>(std::ceil(a.arc.sweep)));
  auto f = [&](double t) { return plane.Distance(click, PointOnArc(a, t)); };
  int best = 0;
  double bestD = f(0);
  for (int i = 1; i <= n; ++i) {
    const double d = f(static_cast<double>(i) / n);
    if (d < bestD) best = i, bestD = d;
  }
  double lo = std::max(0, best - 1) / static_cast<double>(n);
  double hi = std::min(n, best + 1) / static_cast<double>(n);
  const double g = 0.6180339887498949;
  double x1 = hi - g * (hi - lo), x2 = lo + g * (hi - lo), f1 = f(x1), f2 = f(x2);
  for (int k = 0; k < 80; ++k) {
    if (f1 <= f2) {
      hi = x2, x2 = x1, f2 = f1;
      x1 = hi - g * (hi - lo), f1 = f(x1);
    } else {
      lo = x1, x1 = x2, f1 = f2;
      x2 = lo + g * (hi - lo), f2 = f(x2);
    }
  }
  const double t = (lo + hi) / 2;
  return f(t) < bestD ? t : static_cast<double>(best) / n;
}

// The loop's points: its start (the lead or the first cut) and the end of every move after it.
std::vector<std::uint32_t> LoopPoints(CPointStore& s, const PathRun& run, Loop loop) {
  std::vector<std::uint32_t> pts{loop == Loop::FromLead ? run.lead : run.first};
  PointRegister r;
  for (std::uint32_t i = pts[0] + 1; i < run.end; ++i)
    if (s.Peek(i, r) && IsMotionType(r.type)) pts.push_back(i);
  return pts;
}

Foot NearestFoot(CPointStore& s, const std::vector<std::uint32_t>& pts, const ViewPlane& plane,
                 const std::vector<Xyz>& clicks) {
  // The moves once: their ends, and for an arc its geometry and how far from its centre any
  // point of it can lie (its radius, with the rise of a helix), which bounds the distance
  // from a click so that most arcs need no search.
  struct Move {
    Xyz a, b;
    bool arc = false;
    StoredArc geometry{};
    Xyz centre{};
    double reach = 0;
  };
  std::vector<Move> moves(pts.size());
  PointRegister r;
  for (std::size_t j = 1; j < pts.size(); ++j) {
    Move& m = moves[j];
    m.a = PointOf(s, pts[j - 1]), m.b = PointOf(s, pts[j]);
    s.Peek(pts[j], r);
    m.arc = IsArcType(r.type);
    if (!m.arc) continue;
    ArcOfPoint(s, pts[j], m.geometry);
    m.centre = {{m.geometry.centre[0], m.geometry.centre[1], m.geometry.centre[2]}};
    const PlaneAxes ax = AxesOfPlane(m.geometry.plane);
    const double r = std::hypot(m.a.v[ax.a] - m.centre.v[ax.a], m.a.v[ax.b] - m.centre.v[ax.b]);
    const double rise = std::fabs(m.b.v[ax.normal] - m.a.v[ax.normal]);
    m.reach = std::max(std::hypot(r, rise), Distance3(m.centre, m.b)) * (1 + 1e-9) + 1e-9;
  }
  Foot best;
  for (const Xyz& c : clicks) {
    for (std::size_t j = 1; j < pts.size(); ++j) {
      const Move& m = moves[j];
      Foot f;
      f.move = j;
      if (m.arc) {
        if (plane.Distance(c, m.centre) - m.reach >= best.distance) continue;
        f.t = NearestOnArc(m.geometry, plane, c);
        f.p = PointOnArc(m.geometry, f.t);
      } else {
        const Xyz &A = m.a, &B = m.b;
        const double du = B.v[plane.u] - A.v[plane.u], dv = B.v[plane.v] - A.v[plane.v];
        const double len2 = du * du + dv * dv;
        const double t =
            len2 > 0
                ? ((c.v[plane.u] - A.v[plane.u]) * du + (c.v[plane.v] - A.v[plane.v]) * dv) / len2
                : 0.0;
        f.t = std::clamp(t, 0.0, 1.0);
        if (f.t == 0) {
          f.p = A;
        } else if (f.t == 1) {
          f.p = B;
        } else {
          for (int k = 0; k < 3; ++k) f.p.v[k] = A.v[k] + f.t * (B.v[k] - A.v[k]);
        }
      }
      f.distance = plane.Distance(c, f.p);
      if (f.distance < best.distance) best = f;
    }
  }
  return best;
}

// A piece of an arc from `from` to `to` about the arc's centre, its share of the sweep being
// `share`. A piece of no share is left out; a piece whose chord is 0.001 or shorter and whose
// sweep is below half a turn becomes a linear cut, because an arc whose ends coincide reads as
// a whole circle.
void PutArcPiece(CPointStore& s, PathWriter& w, const StoredArc& a, const ArcCentreRecord& c,
                 const Xyz& from, const Xyz& to, double share, const PointRegister& move) {
  if (share <= 0) return;
  s.reg.x = to.v[0], s.reg.y = to.v[1], s.reg.z = to.v[2];
  s.reg.feed = move.feed, s.reg.mark = move.mark;
  if (Distance3(from, to) <= 0.001 && share * a.arc.sweep < 180.0) {
    s.reg.type = MOVE_LINE_CONT;
    w.Register();
    return;
  }
  s.reg.type = a.type;
  const PlaneAxes ax = AxesOfPlane(a.plane);
  double offset[3] = {0, 0, 0};
  offset[ax.a] = a.centre[ax.a] - from.v[ax.a];
  offset[ax.b] = a.centre[ax.b] - from.v[ax.b];
  w.Arc(a.plane, offset, c.feed, c.mark);
}

// Writes the loop of `run` anew from the foot point: the approach, the foot point on to the
// end of the loop, the loop's start on to the foot point, the retract.
void WriteLoop(CPointStore& s, PathWriter& w, const PathRun& run, Loop loop,
               const std::vector<std::uint32_t>& pts, const Foot& foot, double h) {
  PointRegister lead, firstCut, move, second;
  s.Peek(run.lead, lead);
  s.Peek(run.first, firstCut);
  s.Peek(pts[1], second);
  auto put = [&](const Xyz& p, double z, int type, int feed, int mark) {
    s.reg.x = p.v[0], s.reg.y = p.v[1], s.reg.z = z;
    s.reg.type = type, s.reg.feed = feed, s.reg.mark = mark;
    w.Register();
  };
  // The approach: down onto the foot point from the retract height. Our rule: a loop entered
  // by its first cut is entered the same way at its new start, by a cut straight down from as
  // high above it as the first cut started above the loop (from the retract height when the
  // first cut did not come down), at that cut's feed; so a loop cut into material is never
  // entered by a rapid.
  put(foot.p, h, MOVE_RAPID, lead.feed, lead.mark);
  if (loop == Loop::FromLead) {
    put(foot.p, foot.p.v[2], MOVE_RAPID_CONT, lead.feed, lead.mark);
  } else {
    const double above = lead.z - firstCut.z;
    if (above > 0 && foot.p.v[2] + above < h)
      put(foot.p, foot.p.v[2] + above, MOVE_RAPID_CONT, lead.feed, lead.mark);
    put(foot.p, foot.p.v[2], MOVE_LINE, firstCut.feed, firstCut.mark);
  }

  const std::size_t j = foot.move;
  s.Peek(pts[j], move);
  const Xyz moveStart = PointOf(s, pts[j - 1]), moveEnd = PointOf(s, pts[j]);
  const bool isArc = IsArcType(move.type);
  StoredArc arc{};
  ArcCentreRecord centre;
  if (isArc) {
    ArcOfPoint(s, pts[j], arc);
    centre = ReadArcCentre(s, pts[j]);
  }
  // The foot point on to the end of its move, and the rest of the loop.
  if (foot.t < 1) {
    if (isArc)
      PutArcPiece(s, w, arc, centre, foot.p, moveEnd, 1 - foot.t, move);
    else
      put(moveEnd, moveEnd.v[2], move.type, move.feed, move.mark);
  }
  w.Copy(pts[j] + 1, run.end);
  // Our rule: when the loop's last point is not exactly its start (they are less than 0.01
  // apart), a cut from the one to the other closes the loop, so that every move of the loop
  // keeps both its ends.
  const Xyz start = PointOf(s, pts[0]), last = PointOf(s, run.last);
  bool same = true;
  for (int k = 0; k < 3; ++k)
    same = same && static_cast<float>(start.v[k]) == static_cast<float>(last.v[k]);
  if (!same) put(start, start.v[2], MOVE_LINE_CONT, second.feed, second.mark);
  // The loop's start on to the foot point.
  w.Copy(pts[0] + 1, EndOfPoint(s, pts[j - 1]));
  if (foot.t > 0) {
    if (isArc)
      PutArcPiece(s, w, arc, centre, moveStart, foot.p, foot.t, move);
    else
      put(foot.p, foot.p.v[2], move.type, move.feed, move.mark);
  }
  put(foot.p, h, MOVE_RAPID, lead.feed, lead.mark);
}

struct Plan {
  enum Kind { Keep, Reverse, Rewrite } kind = Keep;
  Loop loop = Loop::None;
  Foot foot;
  std::vector<std::uint32_t> pts;
};

}  // namespace

Outcome StartPointsCommand(EditContext& ctx, StartPointPaths which,
                           const std::vector<ClickPosition>& clicks) {
  CPointStore& s = ctx.store;
  const int direction = ctx.view ? ctx.view->Direction() : 0;
  if (direction < 1 || direction > 3)
    return Outcome::Failed(OutcomeCode::Refused,
                           "start points are clicked in the top, front or side view");
  if (clicks.empty()) return Outcome::Unchanged("no start point clicked");
  const ViewPlane plane = direction == 1   ? ViewPlane{0, 1}
                          : direction == 2 ? ViewPlane{0, 2}
                                           : ViewPlane{1, 2};
  std::vector<Xyz> points;
  for (std::size_t k = 0; k < clicks.size() && k < kMaxStartPoints; ++k) {
    Xyz p{};
    ctx.view->WindowToModel(clicks[k].x, clicks[k].y, p.v);
    points.push_back(p);
  }

  const std::vector<PathRun> runs = CuttingRuns(s);
  std::vector<Plan> plans(runs.size());
  bool any = false;
  const bool open = which != StartPointPaths::Closed, closed = which != StartPointPaths::Open;
  for (std::size_t k = 0; k < runs.size(); ++k) {
    const PathRun& run = runs[k];
    Plan& plan = plans[k];
    plan.loop = LoopOf(s, run);
    if (plan.loop == Loop::None && open) {
      const Xyz first = PointOf(s, run.lead), last = PointOf(s, run.last);
      double best = kSearchStart;
      const Xyz* nearest = nullptr;
      for (const Xyz& c : points) {
        const double d = std::min(plane.Distance(c, first), plane.Distance(c, last));
        if (d < best) best = d, nearest = &c;
      }
      if (nearest && plane.Distance(*nearest, last) < plane.Distance(*nearest, first))
        plan.kind = Plan::Reverse;
    } else if (plan.loop != Loop::None && closed) {
      plan.pts = LoopPoints(s, run, plan.loop);
      plan.foot = NearestFoot(s, plan.pts, plane, points);
      if (plan.foot.distance < kSearchStart) plan.kind = Plan::Rewrite;
    }
    any = any || plan.kind != Plan::Keep;
  }
  if (!any) return Outcome::Unchanged("no path starts anywhere else");

  CommandFrame frame(ctx);
  frame.SaveUndo(Txt::CmdStartPoints);
  const std::uint32_t n = s.count;
  PathWriter w(s);
  w.NoteOrigins(frame.OriginNote());
  std::uint32_t done = 0;
  for (std::size_t k = 0; k < runs.size(); ++k) {
    const PathRun& run = runs[k];
    w.Copy(done, run.lead);
    switch (plans[k].kind) {
      case Plan::Keep:
        w.Copy(run.lead, run.end);
        break;
      case Plan::Reverse: {
        // The path's first point, where the tool now comes down, takes the document's
        // cutting feed; the cuts keep the feeds they travel with.
        const std::uint32_t at = s.count;
        w.ReversedPath(run.lead, run.end);
        if (w.ok() && ctx.cuttingFeed && s.FetchPoint(at)) {
          s.reg.feed = *ctx.cuttingFeed;
          s.StorePoint(at);
        }
        break;
      }
      case Plan::Rewrite:
        WriteLoop(s, w, run, plans[k].loop, plans[k].pts, plans[k].foot, ctx.retractHeight);
        break;
    }
    done = run.end;
  }
  w.Copy(done, n);
  return frame.FinishAppendedRewrite(w.ok(), CommandFrame::Rebuild::Plunges);
}

}  // namespace trevalon
