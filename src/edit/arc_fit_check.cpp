#include "edit/arc_fit_check.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/geometry.h"
#include "model/point_store.h"

namespace trevalon {

namespace {

struct Move {
  int type = 0;  // MOVE_*
  int plane = PLANE_XY;
  double at[3] = {0, 0, 0};
  double centre[3] = {0, 0, 0};  // arcs: start + the centre record's offsets
  std::int32_t feed = 0;
};

std::vector<Move> Moves(const CPointStore& s) {
  std::vector<Move> out;
  out.reserve(s.count);
  for (std::uint32_t i = 0; i < s.count; ++i) {
    const PointRecord* r = s.RawRecord(i);
    if (!r || IsUnsoundRecord(*r) || !IsMotionType(r->type)) continue;
    Move m;
    m.type = r->type;
    m.at[0] = r->x, m.at[1] = r->y, m.at[2] = r->z;
    m.feed = r->feed;
    if (IsArcType(m.type)) {
      const PointRecord* c = i + 1 < s.count ? s.RawRecord(i + 1) : nullptr;
      if (c && IsPlaneCode(c->type) && !out.empty()) {
        m.plane = c->type;
        const PlaneAxes ax = AxesOfPlane(m.plane);
        const double off[3] = {c->x, c->y, c->z};
        for (int a = 0; a < 3; ++a)
          m.centre[a] = out.back().at[a] + (a == ax.normal ? 0.0 : off[a]);
        ++i;
      } else {
        m.type = MOVE_LINE_CONT;  // an arc without its centre is written as a straight move
      }
    }
    out.push_back(m);
  }
  return out;
}

bool Near(const double p[3], const double q[3], int skipAxis = -1) {
  for (int a = 0; a < 3; ++a)
    if (a != skipAxis && std::fabs(p[a] - q[a]) > 0.0011) return false;
  return true;
}

// One arc of the fitted toolpath, in degrees as the program's geometry measures arcs.
class ArcGauge {
 public:
  ArcGauge(const double start[3], const Move& arc) : type_(arc.type), plane_(arc.plane) {
    ax_ = AxesOfPlane(plane_);
    for (int a = 0; a < 3; ++a) s_[a] = start[a], e_[a] = arc.at[a], c_[a] = arc.centre[a];
    ArcParameters(s_, e_, c_, type_, plane_, desc_);
    rs_ = std::hypot(s_[ax_.a] - c_[ax_.a], s_[ax_.b] - c_[ax_.b]);
    re_ = std::hypot(e_[ax_.a] - c_[ax_.a], e_[ax_.b] - c_[ax_.b]);
  }
  double sweep() const { return desc_.sweep; }
  double startRadius() const { return rs_; }
  double endRadius() const { return re_; }
  const double* end() const { return e_; }
  int normal() const { return ax_.normal; }

  // How far round the arc the point lies, in degrees from the start in the arc's direction;
  // negative before the start.
  double Progress(const double p[3]) const {
    const double angle = Angle(p[ax_.b] - c_[ax_.b], p[ax_.a] - c_[ax_.a]);
    double d = type_ == MOVE_ARC_CW ? desc_.startAngle - angle : angle - desc_.startAngle;
    d = std::fmod(d, 360.0);
    if (d < 0) d += 360.0;
    if (d > desc_.sweep + (360.0 - desc_.sweep) / 2) d -= 360.0;
    return d;
  }
  // The radius the arc has at a progress: the end radius, and the radius changing evenly from
  // the start's; the larger difference counts.
  double RadialOff(double rho, double progress) const {
    const double f = desc_.sweep > 0 ? progress / desc_.sweep : 0;
    return std::max(std::fabs(rho - re_), std::fabs(rho - (rs_ + (re_ - rs_) * f)));
  }
  // A point's distance from the arc in its plane.
  double InPlane(const double p[3], double progress) const {
    if (progress < 0) return std::hypot(p[ax_.a] - s_[ax_.a], p[ax_.b] - s_[ax_.b]);
    if (progress > desc_.sweep) return std::hypot(p[ax_.a] - e_[ax_.a], p[ax_.b] - e_[ax_.b]);
    return RadialOff(std::hypot(p[ax_.a] - c_[ax_.a], p[ax_.b] - c_[ax_.b]), progress);
  }
  // Along the normal from the arc, which climbs evenly from its start's height to its end's
  // (a fitted arc lies in its plane; an arc of a program may be a helix).
  double Height(const double p[3], double progress) const {
    const double f = desc_.sweep > 0 ? std::clamp(progress / desc_.sweep, 0.0, 1.0) : 0;
    return p[ax_.normal] - (s_[ax_.normal] + (e_[ax_.normal] - s_[ax_.normal]) * f);
  }
  // The largest distance of the cut p-q from the arc: its ends, and the point where it comes
  // nearest the centre (a cut is a chord: inside the circle between its ends).
  double Cut(const double p[3], double pp, const double q[3], double pq) const {
    const double ua = p[ax_.a] - c_[ax_.a], ub = p[ax_.b] - c_[ax_.b];
    const double da = q[ax_.a] - p[ax_.a], db = q[ax_.b] - p[ax_.b];
    const double dd = da * da + db * db;
    const double u = dd > 0 ? std::clamp(-(ua * da + ub * db) / dd, 0.0, 1.0) : 0.0;
    const double nearest = std::hypot(ua + u * da, ub + u * db);
    const double progress = pp + u * (pq - pp);
    double reach = re_;
    if (progress >= 0 && progress <= desc_.sweep && desc_.sweep > 0)
      reach = std::max(reach, rs_ + (re_ - rs_) * progress / desc_.sweep);
    const double inPlane =
        std::max({InPlane(p, pp), InPlane(q, pq), std::max(0.0, reach - nearest)});
    return std::hypot(inPlane, std::max(std::fabs(Height(p, pp)), std::fabs(Height(q, pq))));
  }
  double Point(const double p[3], double progress) const {
    return std::hypot(InPlane(p, progress), Height(p, progress));
  }

 private:
  int type_, plane_;
  PlaneAxes ax_{0, 1, 2};
  double s_[3], e_[3], c_[3];
  double rs_ = 0, re_ = 0;
  ArcDescription desc_;
};

// The distance of p from the piece a-b (from its nearer end beyond it).
double OffPiece(const double p[3], const double a[3], const double b[3]) {
  const double d[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double w[3] = {p[0] - a[0], p[1] - a[1], p[2] - a[2]};
  const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  const double u =
      dd > 0 ? std::clamp((w[0] * d[0] + w[1] * d[1] + w[2] * d[2]) / dd, 0.0, 1.0) : 0.0;
  return std::hypot(w[0] - u * d[0], w[1] - u * d[1], w[2] - u * d[2]);
}

// The straight cut `m` from `from` as the replacement of the original moves from j on up to
// the one ending where it ends: true, with j past that move, when that move is found before
// a point lies more than 10 off the cut. The points passed over are measured from the cut
// (the cuts between them lie no further off than they).
bool MatchLine(const std::vector<Move>& o, std::size_t& j, const double from[3], const Move& m,
               ArcFitCheck& r) {
  double worst = 0;
  std::uint64_t rapids = 0, feeds = 0;
  for (std::size_t k = j; k < o.size(); ++k) {
    if (o[k].feed != m.feed) ++feeds;
    if (Near(o[k].at, m.at)) {
      if (k > j) {
        ++r.lines;
        r.mergedPoints += k - j;
        r.rapidsInLines += rapids;
        r.feedChanges += feeds;
        r.maxLineDeviation = std::max(r.maxLineDeviation, worst);
      }
      j = k + 1;
      return true;
    }
    if (IsRapidType(o[k].type)) ++rapids;
    worst = std::max(worst, OffPiece(o[k].at, from, m.at));
    if (worst > 10.0) return false;
  }
  return false;
}

}  // namespace

ArcFitCheck CheckFittedToolpath(const CPointStore& original, const CPointStore& fitted) {
  ArcFitCheck r;
  const std::vector<Move> o = Moves(original), f = Moves(fitted);
  r.movesBefore = o.size();
  r.movesAfter = f.size();
  std::size_t j = 0;  // the next original move to find
  for (std::size_t q = 0; q < f.size(); ++q) {
    const Move& m = f[q];
    if (!IsArcType(m.type)) {
      // Cuts are found at their place, the points they pass over measured from them (cuts of
      // no length are not written; a simplification writes one cut for a run of cuts).
      if (!IsRapidType(m.type) && q > 0 && MatchLine(o, j, f[q - 1].at, m, r)) continue;
      // Rapids a little ahead at most; rapids the writer adds are found nowhere and passed
      // over.
      std::size_t k = j;
      while (k < o.size() && k < j + 64 && !Near(o[k].at, m.at)) ++k;
      if (k < o.size() && k < j + 64) {
        j = k + 1;
      } else if (!IsRapidType(m.type)) {
        ++r.unmatched;
      }
      continue;
    }
    if (q == 0 || j == 0) {
      ++r.unmatched;
      continue;
    }
    const ArcGauge arc(f[q - 1].at, m);
    const std::uint64_t arcIndex = r.arcs;
    r.maxRadiusMismatch =
        std::max(r.maxRadiusMismatch, std::fabs(arc.startRadius() - arc.endRadius()));
    r.minRadius = std::min(r.minRadius, arc.endRadius());
    r.maxRadius = std::max(r.maxRadius, arc.endRadius());
    // The run: from the original point where the arc starts to the one where it ends (in
    // the plane: the arc's end lies at its start's height), going round the whole sweep.
    const Move* prev = &o[j - 1];
    double prevProgress = arc.Progress(prev->at);
    double worst = arc.Point(prev->at, prevProgress);
    std::size_t k = j;
    std::uint64_t points = 0, rapids = 0, feeds = 0;
    bool found = false;
    for (; k < o.size() && k < j + 2000000; ++k) {
      const Move& p = o[k];
      if (IsRapidType(p.type)) ++rapids;
      if (p.feed != m.feed) ++feeds;
      const double progress = arc.Progress(p.at);
      worst = std::max(
          {worst, arc.Point(p.at, progress), arc.Cut(prev->at, prevProgress, p.at, progress)});
      ++points;
      if (Near(p.at, arc.end(), arc.normal()) && progress >= arc.sweep() - 1.0) {
        found = true;
        break;
      }
      if (worst > 10.0) break;  // lost: this is no run of the arc
      prev = &p;
      prevProgress = progress;
    }
    if (!found) {
      ++r.unmatched;
      continue;
    }
    ++r.arcs;
    r.replacedPoints += points;
    r.rapidsInArcs += rapids;
    r.feedChanges += feeds;
    if (worst > r.maxDeviation) r.maxDeviation = worst, r.worstArc = arcIndex;
    j = k + 1;
  }
  return r;
}

}  // namespace trevalon
