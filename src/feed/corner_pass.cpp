// The optimiser engine's corner pass: the walk from a corner point to its zone points, the
// XY and the elevation corners of straight moves, and the arc rule with the corners where an
// arc meets its neighbours.
#include <algorithm>
#include <cmath>

#include "feed/feed_engine.h"
#include "model/geometry.h"
#include "model/point_record.h"
#include "model/point_store.h"

namespace trevalon {

namespace {

// Zone walks give up after this many points; the zone point is then the last point walked.
// Keeps an absurd safety distance in a condition file from making a run quadratic.
constexpr int kMaxWalk = 2000;
// Legs shorter than this in XY have no heading worth comparing.
constexpr double kShortestLeg = 0.01;

// Angle of the triangle at its corner, from the two legs a, b and the chord c, in degrees;
// -1 when a leg has no length.
double InteriorAngle(double a, double b, double c) {
  if (a <= 0 || b <= 0) return -1;
  double cs = (a * a + b * b - c * c) / (2.0 * a * b);
  cs = std::clamp(cs, -1.0, 1.0);
  return std::acos(cs) / kDegToRad;
}

}  // namespace

// ---- Corners ---------------------------------------------------------------------------------

// Walks from the corner point i along the cutting moves (forward or back) to the first point
// whose straight distance from i is at least `distance`. The zone point lies on the last
// segment walked, at exactly that distance from i (the sphere around i meets the segment
// there); when the path ends or turns into a rapid first, it is the last point walked. Arcs
// on the way count as their chords. A first move longer than the distance gets a zone of
// distance x 100 / its length percent (at least 1).
bool CFeedEngine::WalkZone(std::uint32_t i, bool forward, double distance, Leg& leg) const {
  // Bit masks of the motion codes: the walk runs over millions of records.
  constexpr std::uint32_t kMotionBits = 1u << 1 | 1u << 2 | 1u << 3 | 1u << 4 | 1u << 6 | 1u << 8;
  constexpr std::uint32_t kCutBits = 1u << 3 | 1u << 4 | 1u << 6 | 1u << 8;
  auto bit = [](std::uint32_t t) { return t < 32 ? 1u << t : 0u; };
  const FeedPoint& c = w_[i];
  const double D2 = distance * distance;
  std::uint32_t cur = i;
  std::uint32_t k = i;
  bool found = false;
  double d2 = 0;
  for (int steps = 0; steps < kMaxWalk; ++steps) {
    // The next motion point in the walk's direction; forward it must end a cut, backward
    // the move ending at the current point must be a cut.
    if (forward) {
      do {
        ++k;
      } while (k < n_ && !(bit(w_[k].MotionType) & kMotionBits));
      if (k >= n_ || !(bit(w_[k].MotionType) & kCutBits)) break;
    } else {
      if (!(bit(w_[cur].MotionType) & kCutBits)) break;
      do {
        if (k == 0) break;
        --k;
      } while (!(bit(w_[k].MotionType) & kMotionBits));
      if (k == cur || !(bit(w_[k].MotionType) & kMotionBits)) break;
    }
    const FeedPoint& q = w_[k];
    double dx = q.X - c.X, dy = q.Y - c.Y, dz = q.Z - c.Z;
    d2 = dx * dx + dy * dy + dz * dz;
    if (steps == 0) {
      leg.neighbour = forward ? k : i;
      leg.moveLength = FlooredSqrt(d2);
    }
    if (d2 >= D2) {
      found = true;
      if (steps == 0 && leg.moveLength > distance) {
        double f = distance / leg.moveLength;
        leg.point[0] = c.X + dx * f;
        leg.point[1] = c.Y + dy * f;
        leg.point[2] = c.Z + dz * f;
        leg.zoneOnMove = true;
        leg.pct = std::max(1, static_cast<int>(TruncFeed(distance * 100.0 / leg.moveLength)));
        leg.found = true;
        return true;
      }
      break;
    }
    cur = k;
    if (steps == 0 && pathLength_) {
      // Every point whose path length from i is below the distance lies nearer than it in a
      // straight line too: jump over them (by doubling steps, then halving) to the last one.
      const double reach = distance - 1e-6 - 1e-12 * std::fabs(pathLength_[i]);
      const std::uint32_t run = runOf_[i];
      const double base = pathLength_[i];
      auto near = [&](std::uint32_t idx) {
        return runOf_[idx] == run && std::fabs(pathLength_[idx] - base) < reach;
      };
      std::uint32_t last = cur;  // known near
      if (forward) {
        std::uint32_t step = 1, far = cur;
        while (true) {
          std::uint64_t probe = static_cast<std::uint64_t>(last) + step;
          if (probe >= n_ || !near(static_cast<std::uint32_t>(probe))) {
            far = probe >= n_ ? n_ : static_cast<std::uint32_t>(probe);
            break;
          }
          last = static_cast<std::uint32_t>(probe);
          step *= 2;
        }
        while (far - last > 1) {
          std::uint32_t mid = last + (far - last) / 2;
          if (near(mid))
            last = mid;
          else
            far = mid;
        }
        // The walk resumes from the last motion point at or before `last`.
        while (last > cur && !(bit(w_[last].MotionType) & kMotionBits)) --last;
      } else {
        std::uint32_t step = 1;
        std::int64_t far;
        while (true) {
          std::int64_t probe = static_cast<std::int64_t>(last) - step;
          if (probe < 0 || !near(static_cast<std::uint32_t>(probe))) {
            far = probe < 0 ? -1 : probe;  // -1: before the first record
            break;
          }
          last = static_cast<std::uint32_t>(probe);
          step *= 2;
        }
        while (last - far > 1) {
          std::int64_t mid = far + (last - far) / 2;
          if (near(static_cast<std::uint32_t>(mid)))
            last = static_cast<std::uint32_t>(mid);
          else
            far = mid;
        }
        while (last < cur && !(bit(w_[last].MotionType) & kMotionBits)) ++last;
      }
      cur = k = last;
    }
  }
  leg.found = true;
  if (found) {
    // On the segment from cur to k, the point at exactly `distance` from i.
    const FeedPoint& s = w_[cur];
    const FeedPoint& q = w_[k];
    double a[3] = {s.X - c.X, s.Y - c.Y, s.Z - c.Z};
    double d[3] = {q.X - s.X, q.Y - s.Y, q.Z - s.Z};
    double A = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    double B = 2.0 * (a[0] * d[0] + a[1] * d[1] + a[2] * d[2]);
    double C = a[0] * a[0] + a[1] * a[1] + a[2] * a[2] - D2;
    double t = 1.0;
    if (A > 0) {
      double disc = std::max(B * B - 4.0 * A * C, 0.0);
      t = std::clamp((-B + std::sqrt(disc)) / (2.0 * A), 0.0, 1.0);
    }
    leg.point[0] = s.X + d[0] * t;
    leg.point[1] = s.Y + d[1] * t;
    leg.point[2] = s.Z + d[2] * t;
    return true;
  }
  if (cur == i) {
    leg.found = false;
    return false;
  }
  leg.point[0] = w_[cur].X;
  leg.point[1] = w_[cur].Y;
  leg.point[2] = w_[cur].Z;
  return true;
}

// Engagement angle of a corner from its two legs a, b and the chord c between their ends:
// 0 on a straight line (the circle through the three points has a radius of 10000 or more),
// 90 when that circle is no larger than the tool radius + 2, else twice the turn of the
// corner, limited to 90 x sqrt(rt / rc) and to 90.
double CFeedEngine::Engagement(double a, double b, double c) const {
  double inner = InteriorAngle(a, b, c);
  if (inner < 0) return 0;
  double s = std::sin(inner * kDegToRad);
  double rc = s > 1e-9 ? c / (2.0 * s) : 10000.0;
  if (rc >= 10000.0) return 0;
  if (rc <= rt_ + 2.0) return 90;
  double e = 2.0 * (180.0 - inner);
  e = std::min(e, 90.0 * std::sqrt(std::max(rt_, 0.0) / rc));
  return std::min(e, 90.0);
}

// Lowers the two moves at corner point i to the corner feed: a zone where the move is longer
// than the zone distance, else the whole move (on the outgoing side only a code-4 move).
void CFeedEngine::ApplyCorner(std::uint32_t i, const Leg& in, const Leg& out, int cornerFeed) {
  FeedPoint& r = w_[i];
  if (r.Feed > cornerFeed) {
    if (in.zoneOnMove) {
      SetEndZone(r, in.pct, cornerFeed);
    } else {
      LowerWhole(r, cornerFeed);
    }
  }
  if (out.neighbour == kNone) return;
  FeedPoint& nr = w_[out.neighbour];
  if (nr.Feed > cornerFeed) {
    if (out.zoneOnMove) {
      SetStartZone(nr, out.pct, cornerFeed);
    } else if (nr.MotionType == MOVE_LINE_CONT) {
      LowerWhole(nr, cornerFeed);
    }
  }
}

// The XY corner at the end of the move into point i: the change of XY heading between the
// leg from the incoming zone point to i and the leg from i to the outgoing zone point. A
// corner that lies inside the zone of the corner before it is treated on its own; where the
// two overlap the lower feed stays, since zones and feeds are only ever lowered.
void CFeedEngine::XyCorner(std::uint32_t i, const Leg& in, const Leg& out) {
  const FeedPoint& c = w_[i];
  double vin[3] = {c.X - in.point[0], c.Y - in.point[1], c.Z - in.point[2]};
  double vout[3] = {out.point[0] - c.X, out.point[1] - c.Y, out.point[2] - c.Z};
  double hin2 = vin[0] * vin[0] + vin[1] * vin[1];
  double hout2 = vout[0] * vout[0] + vout[1] * vout[1];
  // No XY direction out of the corner, or a leg too short for a heading: no corner.
  if (hout2 < kShortestLeg * kShortestLeg || hin2 < kShortestLeg * kShortestLeg) return;
  // An incoming leg that is all but vertical has no heading either (corner angle 0).
  if (vin[2] != 0 && hin2 / (vin[2] * vin[2]) < 0.1) return;
  double angle = AngleDifference(Angle(vin[1], vin[0]), Angle(vout[1], vout[0]));
  if (angle > 180.0) angle = 360.0 - angle;
  if (angle > 90.0) angle = 90.0;
  const CuttingConditions& cc = ch_.conditions;
  if (angle < xyMinAngle_) return;  // below the effective minimum: nothing changes
  if (cc.ConCorChk == 1) {
    double hin = std::sqrt(hin2), hout = std::sqrt(hout2);
    double cx = out.point[0] - in.point[0], cy = out.point[1] - in.point[1];
    angle = std::max(angle, Engagement(hin, hout, std::sqrt(cx * cx + cy * cy)));
  }
  if (!(angle > cc.CornerMinAngle)) return;
  ApplyCorner(i, in, out, CornerFeedSteps(angle));
}

// The elevation corner at point i: the change of the angle above the XY plane between the
// incoming and the outgoing leg (signed, so that a ridge or a valley counts with both of its
// sides). The engagement is measured on the legs unfolded into the vertical plane: horizontal
// run against height. Legs shorter than the deviation 0.05 x rt (at least 0.2) are not
// taken: on such legs the last decimal of the coordinates decides the angle.
void CFeedEngine::ElevationCorner(std::uint32_t i, const Leg& in, const Leg& out) {
  const FeedPoint& c = w_[i];
  double hin = std::hypot(c.X - in.point[0], c.Y - in.point[1]);
  double zin = c.Z - in.point[2];
  double hout = std::hypot(out.point[0] - c.X, out.point[1] - c.Y);
  double zout = out.point[2] - c.Z;
  double lin = std::hypot(hin, zin), lout = std::hypot(hout, zout);
  if (lin < elevationDeviation_ || lout < elevationDeviation_) return;
  // As in the XY corners, an all but vertical incoming leg (a plunge) makes no corner.
  if (zin != 0 && hin * hin / (zin * zin) < 0.1) return;
  auto elevation = [](double h, double dz) {
    if (std::fabs(dz) < 0.0001) return 0.0;
    double a = std::atan2(std::fabs(dz), h) / kDegToRad;
    return dz < 0 ? -a : a;
  };
  double angle = std::fabs(elevation(hout, zout) - elevation(hin, zin));
  if (angle > 90.0) angle = 90.0;
  const CuttingConditions& cc = ch_.conditions;
  if (angle < elevationMinAngle_) return;
  if (cc.ConCorChk == 1) {
    double chord = std::hypot(hin + hout, zin + zout);
    angle = std::max(angle, Engagement(lin, lout, chord));
  }
  if (!(angle > cc.CornerMinAngle)) return;
  ApplyCorner(i, in, out, CornerFeedSteps(angle));
}

// ---- Arcs ------------------------------------------------------------------------------------

// The arc's centre is its start point (the motion point before it) plus the offset in the arc
// centre record that follows it; its radius is the distance of the end point from the centre
// in the arc's plane. An arc without its centre record has no radius and takes no arc rule.
void CFeedEngine::ArcRule(std::uint32_t i) {
  std::uint32_t p = Prev(i);
  if (p == kNone || i + 1 >= n_) return;
  const FeedPoint& rec = w_[i + 1];
  if (!IsPlaneCode(static_cast<int>(rec.MotionType))) return;
  int plane = static_cast<int>(rec.MotionType);
  PlaneAxes ax = AxesOfPlane(plane);
  const FeedPoint& s = w_[p];
  double centre[3] = {s.X + rec.X, s.Y + rec.Y, s.Z + rec.Z};
  double end[3] = {w_[i].X, w_[i].Y, w_[i].Z};
  double radius = std::hypot(end[ax.a] - centre[ax.a], end[ax.b] - centre[ax.b]);
  const CuttingConditions& c = ch_.conditions;
  if (c.ConCorChk == 1) radius -= rt_;
  double engagement = 90.0;
  if (radius > 0) {
    double x = std::min(search_ * 0.5 / radius, 1.0);
    engagement = 2.0 * std::asin(x) / kDegToRad;
  }
  int feed = CornerFeed(engagement);
  if (feed != -1 && feed < w_[i].Feed) w_[i].Feed = feed;
  int arcFeed = w_[i].Feed;
  ArcEndCorner(i, true, centre, plane, arcFeed);
  ArcEndCorner(i, false, centre, plane, arcFeed);
}

// The corner where the arc meets the move next to it (atEnd: the move after the arc's end,
// else the move into its start). Moves within the search distance of that point take the
// corner feed whole; the first one reaching farther takes it whole when it ends within 1.2
// times the distance, else in a zone covering its part within the distance.
void CFeedEngine::ArcEndCorner(std::uint32_t arc, bool atEnd, const double centre[3], int plane,
                               int arcFeed) {
  std::uint32_t p = Prev(arc);
  std::uint32_t joint = atEnd ? arc : p;        // the arc's point where the corner is
  std::uint32_t first = atEnd ? Next(arc) : p;  // record of the neighbouring move
  if (first == kNone || !IsLinearCode(w_[first].MotionType)) return;
  std::uint32_t firstStart = atEnd ? arc : Prev(p);
  if (firstStart == kNone) return;

  // The arc's tangent at the joint: the radius there turned by +90 degrees for a
  // counter-clockwise arc and by -90 for a clockwise one.
  PlaneAxes ax = AxesOfPlane(plane);
  const FeedPoint& j = w_[joint];
  double pj[3] = {j.X, j.Y, j.Z};
  double rad[3] = {0, 0, 0};
  rad[ax.a] = pj[ax.a] - centre[ax.a];
  rad[ax.b] = pj[ax.b] - centre[ax.b];
  double tan[3] = {0, 0, 0};
  bool ccw = w_[arc].MotionType == MOVE_ARC_CCW;
  tan[ax.a] = ccw ? -rad[ax.b] : rad[ax.b];
  tan[ax.b] = ccw ? rad[ax.a] : -rad[ax.a];
  double move[3] = {w_[first].X - w_[firstStart].X, w_[first].Y - w_[firstStart].Y, 0};
  if (std::hypot(tan[0], tan[1]) < 1e-9 || std::hypot(move[0], move[1]) < kShortestLeg) return;
  double change = AngleDifference(Angle(tan[1], tan[0]), Angle(move[1], move[0]));
  if (change > 180.0) change = 360.0 - change;
  if (change <= 5.0 && arcFeed >= rules_.MaxFeed()) return;
  int cf = CornerFeed(change);
  int fc = (cf == -1 || arcFeed < cf) ? arcFeed : cf;

  const double S = search_;
  std::uint32_t k = first;
  for (int steps = 0; steps < kMaxWalk && k != kNone && IsLinearCode(w_[k].MotionType); ++steps) {
    std::uint32_t nearEnd = atEnd ? Prev(k) : k;
    std::uint32_t farEnd = atEnd ? k : Prev(k);
    if (nearEnd == kNone || farEnd == kNone) return;
    double d = Distance(j, w_[farEnd]);
    FeedPoint& r = w_[k];
    if (d <= S) {
      LowerWhole(r, fc);
      k = atEnd ? Next(k) : farEnd;
      continue;
    }
    if (d <= 1.2 * S) {
      LowerWhole(r, fc);
    } else {
      double dn = Distance(j, w_[nearEnd]);
      double len = Distance(w_[nearEnd], w_[farEnd]);
      int pct = len > 0 ? static_cast<int>(TruncFeed((S - dn) * 100.0 / len)) : 0;
      if (pct > 0) {
        if (atEnd) {
          SetStartZone(r, pct, fc);
        } else {
          SetEndZone(r, pct, fc);
        }
      }
    }
    return;
  }
}

}  // namespace trevalon
