#pragma once
// The arithmetic shared by the two ways of fitting arcs (the described fit and the
// simplification): an arc as a reader takes it back, the value a written coordinate is read
// back as, and the small helpers both measure with. Only the arc conversion includes it.

#include <algorithm>
#include <cmath>
#include <limits>

#include "ncio/nc_block_words.h"

namespace trevalon::arcmath {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Largest sweep of a fitted arc. Our rule: 300 degrees, so that the end of an arc is always
// well apart from its start and no reader takes it for a whole circle.
inline constexpr double kMaxSweep = 300.0 * kPi / 180.0;
// Shortest chord of a fitted arc, as written.
inline constexpr double kMinChord = 0.005;

// The length of (a, b); no guard against overflow, which no coordinate comes near.
inline double Len(double a, double b) {
  return std::sqrt(a * a + b * b);
}

// atan2(cross, dot) for dot > 0: the angle between two vectors less than a quarter turn
// apart. Points along a fitted arc lie a few degrees apart, where the series of the arctangent
// is exact to far below a micrometre at any radius.
inline double TurnAngle(double cross, double dot) {
  const double x = cross / dot;
  if (std::fabs(x) > 0.1) return std::atan2(cross, dot);
  const double x2 = x * x;
  // x - x^3/3 + ... - x^11/11; the first term left out is below 0.1^13 / 13.
  return x * (1 - x2 * (1.0 / 3 - x2 * (1.0 / 5 - x2 * (1.0 / 7 - x2 * (1.0 / 9 - x2 / 11)))));
}

// The value a reader stores for a coordinate the ISO writer writes with three decimals.
// A value near a thousandth (every coordinate a program of three decimals was read into) is
// that thousandth, k / 1000 correctly rounded as the reader's number routine gives it; one
// near the middle between two thousandths goes through the writer's own text.
inline double AsRead(double v) {
  const double k = std::nearbyint(v * 1000.0);
  if (std::fabs(v * 1000.0 - k) < 0.25 && std::fabs(k) < 1e12)
    return static_cast<double>(static_cast<float>(k / 1000.0 + 0.0));
  return static_cast<double>(static_cast<float>(ncwords::WrittenValue(v)));
}

// An arc as one reader or the store sees it: start, end and centre in the plane, the height
// of its plane, the radii at start and end and its sweep in radians in its direction.
struct ArcView {
  double sa = 0, sb = 0, sh = 0, ea = 0, eb = 0, ca = 0, cb = 0;
  double rs = 0, re = 0, sweep = 0;
  double dir = 1;  // +1 counter-clockwise (from +a towards +b), -1 clockwise
};

inline ArcView MakeView(double sa, double sb, double sh, double ea, double eb, double ca, double cb,
                        double dir) {
  ArcView v{sa, sb, sh, ea, eb, ca, cb, 0, 0, 0, dir};
  v.rs = Len(sa - ca, sb - cb);
  v.re = Len(ea - ca, eb - cb);
  // The turn from the start's radius to the end's, by one arctangent.
  const double xs = sa - ca, ys = sb - cb, xe = ea - ca, ye = eb - cb;
  const double turn = std::atan2(xs * ye - ys * xe, xs * xe + ys * ye);
  double sweep = dir > 0 ? turn : -turn;
  if (sweep < 0) sweep += kTwoPi;
  if (sweep >= kTwoPi) sweep -= kTwoPi;
  v.sweep = sweep;
  return v;
}

// A point of a run as a deviation walk sees it: from the arc's centre in the plane (a, b), how
// far round the arc it lies (phi), its distance from the arc in the plane (radial) and its
// height off the arc along the normal (dh).
struct ArcWalkPoint {
  double a = 0, b = 0, phi = 0, radial = 0, dh = 0;
};

// How far the cut from `prev` to `cur` strays from the arc: the larger of its ends' distances
// in the plane and of how deep it sags inside the circle, with the larger of their heights off.
// The sag is measured where the cut comes nearest the centre, against the arc's radius there:
// `radiusAt(phi)` at that point's angle (the two fits differ in how a reader's arc changes its
// radius between start and end).
template <class RadiusAt>
double CutSag(const ArcWalkPoint& prev, const ArcWalkPoint& cur, RadiusAt radiusAt) {
  const double da = cur.a - prev.a, db = cur.b - prev.b;
  const double dd = da * da + db * db;
  const double u = dd > 0 ? std::clamp(-(prev.a * da + prev.b * db) / dd, 0.0, 1.0) : 0.0;
  const double nearest = Len(prev.a + u * da, prev.b + u * db);
  const double inner = std::max(0.0, radiusAt(prev.phi + u * (cur.phi - prev.phi)) - nearest);
  return Len(std::max({prev.radial, cur.radial, inner}),
             std::max(std::fabs(prev.dh), std::fabs(cur.dh)));
}

}  // namespace trevalon::arcmath
