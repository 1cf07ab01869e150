#include "view/drawn_arc.h"

#include <algorithm>
#include <cmath>

namespace trevalon {

namespace {
constexpr double kTwoPi = 6.283185307179586;
}  // namespace

DrawnArc DrawnArcOf(const double s[3], const PointRecord& end, const PointRecord& centre) {
  DrawnArc d;
  if (centre.type == PLANE_ZX) d.a = 2, d.b = 0, d.n = 1;
  if (centre.type == PLANE_YZ) d.a = 1, d.b = 2, d.n = 0;
  const double e[3] = {end.x, end.y, end.z};
  const double off[3] = {centre.x, centre.y, centre.z};
  d.ca = s[d.a] + off[d.a];
  d.cb = s[d.b] + off[d.b];
  d.r = std::hypot(s[d.a] - d.ca, s[d.b] - d.cb);
  d.start = std::atan2(s[d.b] - d.cb, s[d.a] - d.ca);
  const double ae = std::atan2(e[d.b] - d.cb, e[d.a] - d.ca);
  const bool closed = std::fabs(s[d.a] - e[d.a]) < 1e-6 && std::fabs(s[d.b] - e[d.b]) < 1e-6;
  if (end.type == MOVE_ARC_CCW) {
    d.sweep = closed ? kTwoPi : std::fmod(ae - d.start + 2 * kTwoPi, kTwoPi);
    if (d.sweep <= 0) d.sweep += kTwoPi;
  } else {
    d.sweep = closed ? -kTwoPi : -std::fmod(d.start - ae + 2 * kTwoPi, kTwoPi);
    if (d.sweep >= 0) d.sweep -= kTwoPi;
  }
  return d;
}

int ChordSteps(double sweep, double radius, double tol, double minRadius) {
  if (!(radius > minRadius)) return 1;
  const double step = 2.0 * std::acos(1.0 - tol / radius);
  const double want = std::ceil(std::fabs(sweep) / step);
  return want >= 4000 || !(want == want) ? 4000 : std::max(2, static_cast<int>(want));
}

}  // namespace trevalon
