// The simplification of arc conversion: the fewest lines and arcs within one tolerance.
//
// A run is a motion point and the linear cuts after it at one feed. From each point of the
// run that starts a block, every kind of block is tried (a line, an arc in each chosen plane)
// and the one reaching furthest along the run is written; a line wins a tie. How far a kind
// reaches is found by doubling the span while it holds and halving back between the longest
// span that held and the shortest that failed. A span holds when every point of the run it
// replaces, and every cut between them, lies within the tolerance of the block as written and
// read back: start, end and centre offsets rounded to three decimals and stored in single
// precision, the centre rebuilt from the offsets (both the arc of the end radius and the one
// whose radius changes evenly from the start's are measured, as readers differ), and as the
// store holds it when that differs.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "edit/arc_fit.h"
#include "edit/arc_fit_math.h"
#include "model/geometry.h"
#include "model/point_store.h"
#include "view/status_line.h"

namespace trevalon {

namespace {

using namespace arcmath;

// A point of the run.
struct SPoint {
  std::uint32_t index = 0;  // its record
  double x[3] = {0, 0, 0};  // as stored
  double r[3] = {0, 0, 0};  // as a reader gets it back from the written program
  double along = 0;         // length along the cuts from the run's first point
  std::int32_t feed = 0, mark = 0;
  bool exact = true;  // stored as read back
};

// One block of the result: from the point before it to point `end` of the run.
struct Piece {
  int end = 0;
  int plane = 0;  // 0 for a line, else the arc's plane code
  int type = MOVE_LINE_CONT;
  double offA = 0, offB = 0;  // an arc's centre offsets as written
  bool helix = false;         // an arc whose end lies at another height
  double deviation = 0;
};

enum class Verdict { Soft, Ok, Bad };

// Doubling stops at a span that fails in the arc's own terms (Bad), or after this many points
// of a run that looks straight in the plane (Soft, no circle to speak of): lines take those.
constexpr int kSoftSpan = 256;

class RunSimplifier {
 public:
  RunSimplifier(const ArcSimplifyOptions& o) : o_(o), t_(o.tolerance), limit_(o.tolerance - 1e-6) {}

  // The blocks of the run pts[0 .. n-1], each from the end of the one before.
  void Run(const std::vector<SPoint>& pts, std::vector<Piece>& out) {
    p_ = pts.data();
    // The limit less what single precision can move the run's points by from the values
    // the program gave (half a unit in the last place of each coordinate, twice over).
    double reach = 0;
    for (const SPoint& p : pts)
      reach = std::max({reach, std::fabs(p.x[0]), std::fabs(p.x[1]), std::fabs(p.x[2])});
    limit_ = t_ - 1e-6 - reach * 1.2e-7;
    const int last = static_cast<int>(pts.size()) - 1;
    for (int i = 0; i < last;) {
      Piece best;
      best.end = i + 1;
      best.deviation = LineDeviation(i, i + 1);
      if (i + 2 <= last) {
        LongestLine(i, last, best);
        const int planes[3] = {o_.xy ? PLANE_XY : 0, o_.zx ? PLANE_ZX : 0, o_.yz ? PLANE_YZ : 0};
        for (int plane : planes)
          if (plane) LongestArc(i, last, plane, best);
      }
      out.push_back(best);
      i = best.end;
    }
  }

 private:
  void LongestLine(int i, int last, Piece& best) {
    int good = i + 1, bad = last + 1;
    double goodDev = best.deviation;
    for (int k = 2;; k *= 2) {
      const int j = std::min(last, i + k);
      const double d = LineDeviation(i, j);
      if (!(d <= limit_)) {
        bad = j;
        break;
      }
      good = j, goodDev = d;
      if (j == last) break;
    }
    while (bad - good > 1) {
      const int mid = good + (bad - good) / 2;
      const double d = LineDeviation(i, mid);
      if (d <= limit_)
        good = mid, goodDev = d;
      else
        bad = mid;
    }
    if (good > best.end) {
      best = Piece{};
      best.end = good;
      best.deviation = goodDev;
    }
  }

  void LongestArc(int i, int last, int plane, Piece& best) {
    Piece found, f;
    bool have = false;
    int good = i + 1, bad = last + 1;
    for (int k = 2;; k *= 2) {
      const int j = std::min(last, i + k);
      const Verdict v = Arc(i, j, plane, f);
      if (v == Verdict::Bad || (v == Verdict::Soft && k >= kSoftSpan)) {
        bad = j;
        break;
      }
      if (v == Verdict::Ok) good = j, found = f, have = true;
      if (j == last) {
        if (v == Verdict::Soft) bad = j;
        break;
      }
    }
    if (!have) return;
    while (bad - good > 1) {
      const int mid = good + (bad - good) / 2;
      if (Arc(i, mid, plane, f) == Verdict::Ok)
        good = mid, found = f;
      else
        bad = mid;
    }
    if (found.end > best.end) best = found;
  }

  // The largest distance of the points between pts[i] and pts[j] from the line between them
  // as read back (and as stored, where that differs); infinity when one lies beyond the
  // tolerance. The cuts between them lie within the same distance: the distance from a
  // straight piece is convex along a cut.
  double LineDeviation(int i, int j) const {
    const SPoint &a = p_[i], &b = p_[j];
    double worst = Off(a.r, b.r, i, j);
    if (worst <= limit_ && !(a.exact && b.exact)) worst = std::max(worst, Off(a.x, b.x, i, j));
    return worst;
  }
  double Off(const double a[3], const double b[3], int i, int j) const {
    const double d[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    const double lim2 = limit_ * limit_;
    double worst = 0;
    for (int m = j - 1; m > i; --m) {
      const double* p = p_[m].x;
      const double w[3] = {p[0] - a[0], p[1] - a[1], p[2] - a[2]};
      double u = dd > 0 ? (w[0] * d[0] + w[1] * d[1] + w[2] * d[2]) / dd : 0.0;
      u = std::clamp(u, 0.0, 1.0);
      const double e[3] = {w[0] - u * d[0], w[1] - u * d[1], w[2] - u * d[2]};
      const double off2 = e[0] * e[0] + e[1] * e[1] + e[2] * e[2];
      if (!(off2 <= lim2)) return kInfinity;
      worst = std::max(worst, off2);
    }
    return std::sqrt(worst);
  }

  // The arc from pts[i] to pts[j] in the plane: the circle through both that fits the points
  // between best in the least-squares sense (of the algebraic distance |P - C|^2 - R^2, which
  // puts the centre on the chord's perpendicular bisector by one division of sums), its
  // centre offsets on the grid of written thousandths around it.
  Verdict Arc(int i, int j, int plane, Piece& out) const {
    const PlaneAxes ax = AxesOfPlane(plane);
    const SPoint &p0 = p_[i], &pk = p_[j];
    const double ea = pk.x[ax.a] - p0.x[ax.a], eb = pk.x[ax.b] - p0.x[ax.b];
    const double L2 = ea * ea + eb * eb;
    const double L = std::sqrt(L2);
    if (Len(pk.r[ax.a] - p0.r[ax.a], pk.r[ax.b] - p0.r[ax.b]) < kMinChord) return Verdict::Soft;
    // A quick look at the middle point's height: an arc climbs evenly along its normal, so a
    // run whose middle lies far off that climb is no arc in this plane.
    {
      const SPoint& pm = p_[(i + j) / 2];
      const double f = (pm.along - p0.along) / std::max(pk.along - p0.along, 1e-12);
      const double h = p0.x[ax.normal] + (pk.x[ax.normal] - p0.x[ax.normal]) * f;
      if (!(std::fabs(pm.x[ax.normal] - h) <=
            4 * t_ + 0.1 * std::fabs(pk.x[ax.normal] - p0.x[ax.normal])))
        return Verdict::Bad;
    }
    double Sa = 0, Sb = 0, Saa = 0, Sbb = 0, Sab = 0, Sra = 0, Srb = 0;
    for (int m = i + 1; m < j; ++m) {
      const double a = p_[m].x[ax.a] - p0.x[ax.a], b = p_[m].x[ax.b] - p0.x[ax.b];
      const double rr = a * a + b * b;
      Sa += a, Sb += b, Saa += a * a, Sbb += b * b, Sab += a * b;
      Sra += a * rr, Srb += b * rr;
    }
    // With p the offset of a point from the chord along its left normal and q its algebraic
    // distance from the chord's circle of diameter L, the centre lies s = sum(q p) / 2 sum(p^2)
    // along the normal from the chord's middle.
    const double den = eb * eb * Saa - 2 * ea * eb * Sab + ea * ea * Sbb;  // L^2 sum(p^2)
    if (!(den > 1e-24 * L2 * L2)) return Verdict::Soft;                    // no bulge at all
    const double num = -eb * Sra + ea * Srb + ea * eb * (Saa - Sbb) + (eb * eb - ea * ea) * Sab;
    const double sStar = num * L / (2 * den);
    // An arc turning counter-clockwise bulges to the right of its chord.
    const int type = -eb * Sa + ea * Sb < 0 ? MOVE_ARC_CCW : MOVE_ARC_CW;
    const double R = Len(L / 2, sStar);
    if (!(R < kSimplifyMaxRadius)) return Verdict::Soft;
    if (!(R > kSimplifyMinRadius)) return Verdict::Bad;
    const double ca = p0.x[ax.a] + ea / 2 - sStar * eb / L;
    const double cb = p0.x[ax.b] + eb / 2 + sStar * ea / L;
    return Measure(i, j, ax, type, ca, cb, plane, out) ? Verdict::Ok : Verdict::Bad;
  }

  bool Measure(int i, int j, const PlaneAxes& ax, int type, double ca, double cb, int plane,
               Piece& out) const {
    const SPoint &p0 = p_[i], &pk = p_[j];
    const double dir = type == MOVE_ARC_CCW ? 1 : -1;
    // The writer keeps the arc in its plane unless its end is written at another height.
    const bool helix = p0.r[ax.normal] != pk.r[ax.normal];
    const double length = pk.along - p0.along;
    auto acceptable = [&](const ArcView& v, double climb) {
      if (std::fabs(v.rs - v.re) > 0.01) return false;
      if (!(v.re > kSimplifyMinRadius && v.re < kSimplifyMaxRadius)) return false;
      if (v.sweep > kMaxSweep || v.sweep <= 0) return false;
      const double arcLength = Len(v.re * v.sweep, climb);
      return arcLength >= 0.5 * length && arcLength <= 2.0 * length;
    };
    const double rsh = p0.r[ax.normal], reh = helix ? pk.r[ax.normal] : rsh;
    const double sh = p0.x[ax.normal], eh = helix ? pk.x[ax.normal] : sh;
    auto judge = [&](double oa, double ob, double stopAbove) {
      const float fa = static_cast<float>(oa), fb = static_cast<float>(ob);
      // A reader finds no offset word below a thousandth.
      const double ra = std::fabs(fa) < 0.001 ? 0.0 : AsRead(fa);
      const double rb = std::fabs(fb) < 0.001 ? 0.0 : AsRead(fb);
      const double rsa = p0.r[ax.a], rsb = p0.r[ax.b];
      const ArcView read = MakeView(rsa, rsb, rsh, pk.r[ax.a], pk.r[ax.b], rsa + ra, rsb + rb, dir);
      if (!acceptable(read, reh - rsh)) return kInfinity;
      const double asRead = Deviation(read, reh, ax, i, j, stopAbove);
      if (!(asRead <= limit_) || (p0.exact && pk.exact)) return asRead;
      const double sa = p0.x[ax.a], sb = p0.x[ax.b];
      const ArcView stored = MakeView(sa, sb, sh, pk.x[ax.a], pk.x[ax.b], sa + fa, sb + fb, dir);
      if (!acceptable(stored, eh - sh)) return kInfinity;
      return std::max(asRead, Deviation(stored, eh, ax, i, j, limit_));
    };
    double bestA = std::nearbyint((ca - p0.r[ax.a]) * 1000.0) / 1000.0;
    double bestB = std::nearbyint((cb - p0.r[ax.b]) * 1000.0) / 1000.0;
    double bestDev = judge(bestA, bestB, limit_ + 0.0025);
    // When rounding takes the offsets just beyond the limit, the first neighbour on the grid
    // that holds.
    if (bestDev > limit_ && bestDev <= limit_ + 0.0025) {
      const double oa = bestA, ob = bestB;
      for (int n = 0; n < 9 && !(bestDev <= limit_); ++n) {
        if (n == 4) continue;
        const double na = oa + (n % 3 - 1) * 0.001, nb = ob + (n / 3 - 1) * 0.001;
        const double d = judge(na, nb, limit_);
        if (d <= limit_) bestDev = d, bestA = na, bestB = nb;
      }
    }
    if (!(bestDev <= limit_)) return false;
    out = Piece{};
    out.end = j;
    out.plane = plane;
    out.type = type;
    out.offA = bestA, out.offB = bestB;
    out.helix = helix;
    out.deviation = bestDev;
    return true;
  }

  // The largest distance of the points pts[i .. j], and of the cuts between them, from the
  // arc: in the plane from the circles of the start's and the end's radius (a reader's arc
  // has one of them, or a radius changing evenly between them), along the normal from the height
  // climbing evenly with the angle from the start's to `endHeight`; a point before the start or
  // beyond the end from that end. The points must go round the arc in its direction (back by no
  // more than the tolerance) and no cut may turn a quarter of a circle. Infinity once beyond
  // `stopAbove`.
  double Deviation(const ArcView& v, double endHeight, const PlaneAxes& ax, int i, int j,
                   double stopAbove) const {
    // A failing arc usually fails at the points reached last, and a point's distance from the
    // circle of the end radius is never more than its distance from the arc.
    for (int m = j; m > i; --m) {
      const double* p = p_[m].x;
      if (!(std::fabs(Len(p[ax.a] - v.ca, p[ax.b] - v.cb) - v.re) <= stopAbove)) return kInfinity;
    }
    const double sx = v.sa - v.ca, sy = v.sb - v.cb;
    const double climb = endHeight - v.sh;
    double worst = 0, furthest = -kInfinity;
    ArcWalkPoint prev;
    for (int m = i; m <= j; ++m) {
      const double* p = p_[m].x;
      const double va = p[ax.a] - v.ca, vb = p[ax.b] - v.cb;
      const double rho = Len(va, vb);
      double phi;
      if (m == i) {
        phi = v.dir * std::atan2(sx * vb - sy * va, sx * va + sy * vb);
      } else {
        const double dot = prev.a * va + prev.b * vb;
        if (dot <= 0) return kInfinity;  // a cut turning a quarter of a circle or more
        phi = prev.phi + v.dir * TurnAngle(prev.a * vb - prev.b * va, dot);
      }
      if (phi < furthest - t_ / std::max(rho, 1e-9)) return kInfinity;  // goes back
      furthest = std::max(furthest, phi);
      const double f = v.sweep > 0 ? std::clamp(phi / v.sweep, 0.0, 1.0) : 0.0;
      const double dh = p[ax.normal] - (v.sh + climb * f);
      double radial;
      if (phi >= 0 && phi <= v.sweep) {
        // Every radius between the start's and the end's: the reader's arc has one of them.
        radial = std::max(std::fabs(rho - v.re), std::fabs(rho - v.rs));
      } else {
        const double ta = phi < 0 ? v.sa : v.ea, tb = phi < 0 ? v.sb : v.eb;
        radial = Len(p[ax.a] - ta, p[ax.b] - tb);
      }
      const ArcWalkPoint cur{va, vb, phi, radial, dh};
      double dev = Len(radial, dh);
      // The cut from the point before, against the larger of the two radii.
      if (m > i)
        dev = std::max(dev, CutSag(prev, cur, [&v](double) { return std::max(v.rs, v.re); }));
      worst = std::max(worst, dev);
      if (!(worst <= stopAbove)) return kInfinity;
      prev = cur;
    }
    return worst;
  }

  const ArcSimplifyOptions& o_;
  double t_, limit_;
  const SPoint* p_ = nullptr;
};

SPoint MakePoint(const PointRegister& reg, std::uint32_t index) {
  SPoint p;
  p.index = index;
  p.x[0] = reg.x, p.x[1] = reg.y, p.x[2] = reg.z;
  for (int a = 0; a < 3; ++a) {
    p.r[a] = AsRead(p.x[a]);
    if (p.r[a] != p.x[a]) p.exact = false;
  }
  p.feed = reg.feed, p.mark = reg.mark;
  return p;
}

}  // namespace

Outcome SimplifyToolpath(EditContext& ctx, const ArcSimplifyOptions& o,
                         ArcSimplifySummary* summary) {
  if (!kArcToleranceRange.Contains(o.tolerance))
    return Outcome::Failed(OutcomeCode::Refused, "the tolerance must lie above 0 and up to 10");
  CPointStore& s = ctx.store;
  const std::uint32_t before = s.count;
  if (before == 0) return Outcome::Unchanged("the toolpath is empty");

  CommandFrame frame(ctx);
  bool changed = false, failed = false;
  ArcSimplifySummary sum;
  RunSimplifier simplifier(o);
  std::vector<SPoint> run;
  std::vector<Piece> pieces;
  const Messages& msg = ctx.msg;
  SPoint last;  // the motion point the next run starts from
  bool haveLast = false;

  // Writes the blocks of the run: a line keeps the record of its end and the cuts before it
  // go; an arc takes the record of the run's next point for its end and the record after it
  // for its centre, and the others go.
  auto write = [&] {
    pieces.clear();
    simplifier.Run(run, pieces);
    int from = 0;
    for (const Piece& piece : pieces) {
      const int k = piece.end - from;
      sum.maxDeviation = std::max(sum.maxDeviation, piece.deviation);
      if (k < 2) {
        from = piece.end;
        continue;
      }
      if (!changed) frame.SaveUndo(Txt::CmdArcSimplify);
      changed = true;
      sum.replaced += static_cast<std::uint64_t>(k);
      bool ok = true;
      int removeFrom = from + 1;
      if (piece.plane) {
        ++sum.arcs;
        const SPoint &p0 = run[from], &p1 = run[from + 1], &pk = run[piece.end];
        const PlaneAxes ax = AxesOfPlane(piece.plane);
        PointRegister& r = s.reg;
        r = PointRegister{};
        r.x = pk.x[0], r.y = pk.x[1], r.z = pk.x[2];
        double* end[3] = {&r.x, &r.y, &r.z};
        if (!piece.helix) *end[ax.normal] = p0.x[ax.normal];  // the arc lies in its plane
        r.type = piece.type;
        r.feed = p1.feed;
        r.mark = p1.mark;
        r.plane = piece.plane;
        ok = s.StorePoint(p1.index) != 0;
        double offset[3] = {0, 0, 0};
        offset[ax.a] = piece.offA;
        offset[ax.b] = piece.offB;
        r.x = offset[0], r.y = offset[1], r.z = offset[2];
        r.type = piece.plane;
        ok = ok && s.StorePoint(p1.index + 1);
        removeFrom = from + 2;
        for (int m = removeFrom; m <= piece.end && ok; ++m) {
          const std::uint32_t idx = run[m].index;
          if (idx == p1.index + 1 || !s.FetchPoint(idx)) continue;
          s.reg.type = MOVE_NONE;
          ok = s.StorePoint(idx) != 0;
        }
      } else {
        ++sum.lines;
        for (int m = removeFrom; m < piece.end && ok; ++m) {
          if (!s.FetchPoint(run[m].index)) continue;
          s.reg.type = MOVE_NONE;
          ok = s.StorePoint(run[m].index) != 0;
        }
      }
      if (!ok) {
        failed = true;
        return;
      }
      from = piece.end;
    }
    // The next run starts where the last block ends as stored: an arc in its plane ends at
    // its start's height.
    const Piece& end = pieces.back();
    if (end.plane && !end.helix) {
      const int n = AxesOfPlane(end.plane).normal;
      const int start = pieces.size() > 1 ? pieces[pieces.size() - 2].end : 0;
      last.x[n] = run[start].x[n];
      last.r[n] = AsRead(last.x[n]);
      last.exact = last.exact && last.r[n] == last.x[n];
    }
  };

  // The walk: runs of linear cuts at one feed after a motion point.
  std::uint32_t nextTick = 0;
  for (std::uint32_t i = 0; i < before && !failed; ++i) {
    if (i >= nextTick) {
      nextTick = i + 65536;
      char line[120];
      std::snprintf(line, sizeof line, msg.Text(Txt::SimplifyProcessing), 100.0 * i / before);
      msg.Help(line);
      if (msg.platform().EscapePressed()) {
        sum.stopped = true;
        break;
      }
    }
    if (!s.FetchPoint(i) || !IsMotionType(s.reg.type)) continue;
    // The record as read: writing a finished run uses the register.
    const PointRegister here = s.reg;
    const int type = here.type;
    if (IsLinearType(type) && !IsRapidType(type) && haveLast) {
      if (run.empty() || here.feed != run[1].feed) {
        // A feed change ends the run; the next starts at its last point.
        if (run.size() > 2) write();
        run.clear();
        last.along = 0;
        run.push_back(last);
      }
      SPoint p = MakePoint(here, i);
      const SPoint& q = run.back();
      p.along = q.along + std::sqrt((p.x[0] - q.x[0]) * (p.x[0] - q.x[0]) +
                                    (p.x[1] - q.x[1]) * (p.x[1] - q.x[1]) +
                                    (p.x[2] - q.x[2]) * (p.x[2] - q.x[2]));
      run.push_back(p);
      last = p;
      continue;
    }
    if (run.size() > 2) write();
    run.clear();
    last = MakePoint(here, i);
    haveLast = true;
    // An arc's centre record belongs to it.
    if (IsArcType(type) && i + 1 < before && s.FetchPoint(i + 1) && IsPlaneCode(s.reg.type)) ++i;
  }
  if (!failed && !sum.stopped && run.size() > 2) write();
  msg.Help(HelpPaneText("", msg.language()));
  if (failed) return frame.Rollback("no memory to simplify the toolpath");
  if (changed) {
    frame.Compact();
    frame.Regenerate();
    frame.Compact();
    frame.Finish();
  }
  sum.pointsBefore = before;
  sum.pointsAfter = s.count;
  if (summary) *summary = sum;
  if (sum.stopped)
    return Outcome::Cancelled("stopped by Escape; the runs simplified so far are kept");
  if (!changed) return Outcome::Unchanged("no run of linear cuts could be written shorter");
  return Outcome::Done();
}

}  // namespace trevalon
