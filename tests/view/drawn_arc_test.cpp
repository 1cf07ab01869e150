// The arc the drawings sample: its sweep by direction and plane, a whole turn for a closed arc,
// and a chord count that stays in bounds for any radius, a damaged one included; and the
// points both drawings take along it: on the circle, in order, no chord further than the
// tolerance from it at the scale given, the height along the normal climbing evenly.

#include "view/drawn_arc.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace trevalon::testing {
namespace {

PointRecord Rec(int type, float x, float y, float z) {
  PointRecord r{};
  r.type = static_cast<decltype(r.type)>(type);
  r.x = x, r.y = y, r.z = z;
  return r;
}

constexpr double kPi = 3.141592653589793;

TEST(DrawnArc, SweepFollowsDirectionPlaneAndClosure) {
  const double s[3] = {10, 0, 0};
  // From (10,0) round the origin to (0,10): a quarter counter-clockwise, three quarters
  // clockwise.
  DrawnArc d = DrawnArcOf(s, Rec(MOVE_ARC_CCW, 0, 10, 0), Rec(PLANE_XY, -10, 0, 0));
  EXPECT_LT(std::hypot(d.sweep - kPi / 2, d.r - 10, d.start), 1e-9);
  d = DrawnArcOf(s, Rec(MOVE_ARC_CW, 0, 10, 0), Rec(PLANE_XY, -10, 0, 0));
  EXPECT_NEAR(d.sweep, -3 * kPi / 2, 1e-9);
  // An arc that ends where it starts is a whole turn, either way.
  EXPECT_NEAR(DrawnArcOf(s, Rec(MOVE_ARC_CCW, 10, 0, 0), Rec(PLANE_XY, -10, 0, 0)).sweep, 2 * kPi,
              1e-9);
  EXPECT_NEAR(DrawnArcOf(s, Rec(MOVE_ARC_CW, 10, 0, 0), Rec(PLANE_XY, -10, 0, 0)).sweep, -2 * kPi,
              1e-9);
  // G18: angles from +Z towards +X, Y the normal.
  const double t[3] = {0, 5, 10};
  d = DrawnArcOf(t, Rec(MOVE_ARC_CCW, 10, 5, 0), Rec(PLANE_ZX, 0, 0, -10));
  EXPECT_EQ(std::tuple(d.a, d.b, d.n), std::tuple(2, 0, 1));
  EXPECT_NEAR(d.sweep, kPi / 2, 1e-9);
}

TEST(DrawnArc, ChordCountStaysInBounds) {
  EXPECT_EQ(ChordSteps(kPi, 0.4, 0.33, 0.5), 1);  // smaller than a pixel: the end alone
  EXPECT_EQ(ChordSteps(1e-9, 100, 0.33, 0.5), 2);
  const int quarter = ChordSteps(kPi / 2, 100, 0.33, 0.5);
  EXPECT_GT(quarter, 2);
  EXPECT_LT(quarter, 40);
  // The tolerance vanishes beside a huge or infinite radius.
  for (auto [sweep, r] : {std::pair(2 * kPi, 1e30),
                          {2 * kPi, std::numeric_limits<double>::infinity()},
                          {std::nan(""), 100.0}})
    EXPECT_EQ(ChordSteps(sweep, r, 0.33, 0.5), 4000) << sweep << " " << r;
  EXPECT_EQ(ChordSteps(kPi, std::nan(""), 0.33, 0.5), 1);
}

TEST(DrawnArcSamples, OnTheCircleInOrderWithinTheTolerance) {
  const double s[3] = {10, 0, 2};
  const struct {
    PointRecord end, centre;
    double scale, tol, minRadius;
    int a, b, n;     // the plane's axes and its normal
    int wantPoints;  // -1: many, checked by the chords
  } cases[] = {
      // A helix quarter in XY drawn in pixels at two zooms, and in model units.
      {Rec(MOVE_ARC_CCW, 0, 10, 6), Rec(PLANE_XY, -10, 0, 0), 1.0, 0.33, 0.5, 0, 1, 2, -1},
      {Rec(MOVE_ARC_CCW, 0, 10, 6), Rec(PLANE_XY, -10, 0, 0), 40.0, 0.33, 0.5, 0, 1, 2, -1},
      {Rec(MOVE_ARC_CW, 0, 10, 6), Rec(PLANE_XY, -10, 0, 0), 1.0, 0.01, 0.015, 0, 1, 2, -1},
      // In ZX round (10, 0, -8): the radius 10 in Z and X.
      {Rec(MOVE_ARC_CCW, 10, 5, -18), Rec(PLANE_ZX, 0, 0, -10), 1.0, 0.01, 0.015, 2, 0, 1, -1},
      // Too small at this scale: the end alone, nothing between.
      {Rec(MOVE_ARC_CCW, 0, 10, 6), Rec(PLANE_XY, -10, 0, 0), 0.04, 0.33, 0.5, 0, 1, 2, 0},
  };
  for (const auto& c : cases) {
    std::vector<std::array<double, 3>> pts;
    SampleDrawnArc(s, c.end, c.centre, c.scale, c.tol, c.minRadius, [&](const double p[3]) {
      pts.push_back({p[0], p[1], p[2]});
    });
    if (c.wantPoints >= 0) {
      EXPECT_EQ(static_cast<int>(pts.size()), c.wantPoints);
      continue;
    }
    ASSERT_GE(pts.size(), 2u);
    const DrawnArc d = DrawnArcOf(s, c.end, c.centre);
    const double e[3] = {c.end.x, c.end.y, c.end.z};
    std::vector<std::array<double, 3>> all{{s[0], s[1], s[2]}};
    all.insert(all.end(), pts.begin(), pts.end());
    all.push_back({e[0], e[1], e[2]});
    double lastAngle = d.start, lastH = s[c.n];
    for (std::size_t k = 1; k < all.size(); ++k) {
      const auto& p = all[k];
      EXPECT_NEAR(std::hypot(p[c.a] - d.ca, p[c.b] - d.cb), d.r, 1e-6);
      // Each step turns the same way as the sweep and the normal moves monotonically.
      const double turn =
          std::remainder(std::atan2(p[c.b] - d.cb, p[c.a] - d.ca) - lastAngle, 2 * kPi);
      EXPECT_GT(turn * d.sweep, 0) << k;
      EXPECT_GE((p[c.n] - lastH) * (e[c.n] - s[c.n]), 0) << k;
      // The chord's middle lies within the tolerance (at the scale) of the circle.
      const auto& q = all[k - 1];
      const double mid = std::hypot(0.5 * (p[c.a] + q[c.a]) - d.ca, 0.5 * (p[c.b] + q[c.b]) - d.cb);
      EXPECT_LE((d.r - mid) * c.scale, c.tol + 1e-9) << k;
      lastAngle += turn, lastH = p[c.n];
    }
  }
}

}  // namespace
}  // namespace trevalon::testing
