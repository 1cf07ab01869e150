// The arc the drawings sample: its sweep by direction and plane, a whole turn for a closed arc,
// and a chord count that stays in bounds for any radius, a damaged one included.

#include "view/drawn_arc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

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

}  // namespace
}  // namespace trevalon::testing
