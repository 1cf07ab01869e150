#include "model/geometry.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <tuple>

#include "model/point_store.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoint;

// Axis directions are exact, other angles use the program's degree factor (0.0174532927,
// slightly above pi/180, so a true 60 degrees reads a little low), and differences are taken
// across the seam at 0.
TEST(Geometry, AnglesAndTheirDifferences) {
  // The last one shorter than the limit.
  EXPECT_EQ(std::tuple(Angle(0, 1), Angle(1, 0), Angle(0, -1), Angle(-1, 0), Angle(0.00005, 0)),
            std::tuple(0.0, 90.0, 180.0, 270.0, 0.0));
  EXPECT_NEAR(Angle(1, 1), 45.0, 1e-5);
  EXPECT_NEAR(Angle(-1, -1), 225.0, 1e-5);
  const double a = Angle(-1e-12, 1);  // just below the seam stays below 360
  EXPECT_TRUE(a >= 0.0 && a < 360.0) << a;
  EXPECT_NEAR(Angle(std::sqrt(3.0), 1.0), (M_PI / 3) / 0.0174532927, 1e-9);
  EXPECT_NE(Angle(std::sqrt(3.0), 1.0), 60.0);
  for (auto [from, to, diff] :
       {std::array{10, 350, 20}, {350, 10, 20}, {100, 40, 60}, {40, 100, 60}})
    EXPECT_EQ(AngleDifference(from, to), diff) << from << " " << to;
}

// Random arcs in the three planes: ArcParameters gives the sweep, radius and length they were
// drawn with (across the seam at 0 as well), and the centre rebuilt from the radius (negative
// for more than a half circle) is the centre they were drawn about.
TEST(Geometry, ArcsComeBackAsDrawn) {
  std::mt19937 rng(3);
  auto uni = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
  };
  for (int k = 0; k < 3000; ++k) {
    const int plane = PLANE_XY + k % 3, type = k % 2 ? MOVE_ARC_CW : MOVE_ARC_CCW;
    const double c[3] = {uni(-100, 100), uni(-100, 100), uni(-100, 100)}, r = uni(0.1, 500);
    const double a0 = uni(0, 360), sweep = k % 5 ? uni(1, 179) : uni(181, 359);
    double s[3], e[3], ijk[3];
    PointOnCircle(c, r, a0, plane, s);
    PointOnCircle(c, r, a0 + (type == MOVE_ARC_CW ? -sweep : sweep), plane, e);
    ArcDescription d;
    ArcParameters(s, e, c, type, plane, d);
    ASSERT_NEAR(d.sweep, sweep, 1e-4) << k;
    ASSERT_NEAR(d.radius, r, 1e-9 * r) << k;
    ASSERT_NEAR(d.length, r * sweep * kArcPi / 180, 1e-5 * r) << k;
    // The classic rebuild picks the side of the chord with a loose test (0.01): chords within
    // a few degrees of an axis may come back on the other side. Those are the classic reader's.
    const PlaneAxes ax = AxesOfPlane(plane);
    const double ca = e[ax.a] - s[ax.a], cb = e[ax.b] - s[ax.b];
    if (std::fabs(ca * cb) < 0.09 * (ca * ca + cb * cb)) continue;
    ArcCentreFromRadius(plane, s, e, sweep < 180 ? r : -r, type, ijk);
    ASSERT_NEAR(s[ax.a] + ijk[ax.a], c[ax.a], 1e-6 * r) << k;
    ASSERT_NEAR(s[ax.b] + ijk[ax.b], c[ax.b], 1e-6 * r) << k;
  }
}

// Start = end is a full circle; ZX and YZ measure angles from their first axis (z, then y),
// and unknown plane codes are XY.
TEST(Geometry, FullCirclesAndPlanes) {
  const double c[3] = {0, 0, 0}, p[3] = {10, 0, 0};
  double s[3];
  ArcDescription a;
  ArcParameters(p, p, c, MOVE_ARC_CW, PLANE_XY, a);
  EXPECT_EQ(a.sweep, 360);
  EXPECT_DOUBLE_EQ(a.length, 2 * kArcPi * 10);
  PointOnCircle(c, 2, 90, PLANE_ZX, s);
  EXPECT_LT(std::hypot(s[0] - 2, s[2]), 1e-6);
  PointOnCircle(c, 2, 0, PLANE_YZ, s);
  EXPECT_NEAR(s[1], 2, 1e-12);
  PointOnCircle(c, 2, 0, 17, s);
  EXPECT_NEAR(s[0], 2, 1e-12);
}

// Chords along an axis (which the loose side test of the classic rebuild gets right): a radius
// too short for the chord gives the chord's middle; a negative one the larger arc.
TEST(Geometry, CentreFromRadius) {
  const double s[3] = {0, 0, 0}, e[3] = {10, 0, 0}, h = std::sqrt(75.0);
  double ijk[3];
  for (auto [r, type, i, j] : {std::tuple(5.0, MOVE_ARC_CW, 5.0, 0.0),
                               {5.0, MOVE_ARC_CCW, 5.0, 0.0},
                               {10.0, MOVE_ARC_CCW, 5.0, h},
                               {-10.0, MOVE_ARC_CCW, 5.0, -h},
                               {2.0, MOVE_ARC_CCW, 5.0, 0.0}}) {
    ArcCentreFromRadius(PLANE_XY, s, e, r, type, ijk);
    EXPECT_LT(std::hypot(ijk[0] - i, ijk[1] - j), 1e-9) << r;
  }
  // ZX plane: a = z, b = x; the offset comes back as I (x) and K (z).
  const double ze[3] = {0, 0, 10};
  ArcCentreFromRadius(PLANE_ZX, s, ze, 10, MOVE_ARC_CCW, ijk);
  EXPECT_LT(std::hypot(ijk[2] - 5, std::fabs(ijk[0]) - h), 1e-9);
  EXPECT_EQ(ijk[1], 0);
}

// A quarter circle becomes 56 chords on the circle (the normal component of the offset is
// dropped); an arc after a rapid starts with a cut, one below radius 0.01 is its end point
// alone; a helix's chords stay at the start height and only the end point goes down; a
// tolerance of 0 does not run away.
TEST(Geometry, ArcToChords) {
  CPointStore s;
  AddPoint(s, MOVE_LINE, 10, 0, 0, 200);
  s.reg.x = 0, s.reg.y = 10, s.reg.z = 0;
  s.reg.feed = 200, s.reg.mark = 0, s.reg.plane = PLANE_XY;
  double off[3] = {-10, 0, 3};
  std::uint32_t next = ArcToChords(s, 1, MOVE_ARC_CCW, off, kReaderChordTolerance);
  EXPECT_EQ(next, 57u);  // 55 chord points and the end point
  s.count = next;
  for (std::uint32_t i = 1; i < next; ++i) {
    ASSERT_EQ(s.FetchPoint(i), 1);
    EXPECT_EQ(s.reg.type, MOVE_LINE_CONT);  // the arc follows a cut
    EXPECT_NEAR(std::hypot(s.reg.x, s.reg.y), 10, 1e-5);
    EXPECT_EQ(s.reg.z, 0);
  }
  EXPECT_EQ(off[2], 0);

  s.count = 0;
  AddPoint(s, MOVE_RAPID, 0, 0, 0);
  s.reg.x = 0.005, s.reg.y = 0.005, s.reg.z = 0, s.reg.plane = 0, s.reg.feed = 50;
  double tiny[3] = {0.0025, 0.0025, 0};
  EXPECT_EQ(ArcToChords(s, 1, MOVE_ARC_CW, tiny, 0.001), 2u);
  EXPECT_EQ(s.reg.plane, PLANE_XY);
  s.count = 2;
  ASSERT_EQ(s.FetchPoint(1), 1);
  EXPECT_EQ(s.reg.type, MOVE_LINE);
  EXPECT_EQ(s.reg.feed, 50);

  s.count = 0;
  AddPoint(s, MOVE_LINE, 10, 0, 0, 100);
  s.reg.x = -10, s.reg.y = 0, s.reg.z = -2, s.reg.plane = PLANE_XY;
  double half[3] = {-10, 0, 0};
  next = ArcToChords(s, 1, MOVE_ARC_CCW, half, 0.01);
  s.count = next;
  for (std::uint32_t i = 1; i < next; ++i) {
    s.FetchPoint(i);
    EXPECT_EQ(s.reg.z, i + 1 < next ? 0 : -2);
  }

  s.count = 0;
  AddPoint(s, MOVE_LINE, 1, 0, 0, 100);
  s.reg.x = -1, s.reg.y = 0, s.reg.z = 0;
  double unit[3] = {-1, 0, 0};
  next = ArcToChords(s, 1, MOVE_ARC_CCW, unit, 0.0);
  EXPECT_GT(next, 1u);
  EXPECT_LE(next, 360002u);
}

TEST(Geometry, ArcOfPointReadsTheCentreRecord) {
  CPointStore s;
  AddPoint(s, MOVE_LINE, 0, 0, 5, 100);
  AddPoint(s, MOVE_ARC_CW, 0, 10, 5, 100);
  AddPoint(s, PLANE_XY, 0, 5, 7, 100);  // a normal component is ignored
  StoredArc a;
  ArcOfPoint(s, 1, a);
  EXPECT_EQ(std::tuple(a.centre[1], a.centre[2]), std::tuple(5.0, 5.0));
  EXPECT_NEAR(a.arc.radius, 5, 1e-12);
  EXPECT_NEAR(a.arc.sweep, 180, 1e-4);
  EXPECT_NEAR(a.arc.length, 5 * kArcPi, 1e-3);
}

TEST(Geometry, SegmentIntersection) {
  const double p1[3] = {0, 0, 0}, p2[3] = {10, 10, 0};
  const double p3[3] = {0, 10, 10}, p4[3] = {10, 0, 0};
  double out[3];
  ASSERT_EQ(IntersectSegmentsXY(p1, p2, p3, p4, out), 1);
  // Half way down the toolpath segment.
  EXPECT_LT(std::hypot(out[0] - 5, out[1] - 5, out[2] - 5), 1e-12);
  const double q3[3] = {0, 1, 0}, q4[3] = {10, 11, 0};
  EXPECT_EQ(IntersectSegmentsXY(p1, p2, q3, q4, out), 0);  // parallel
  const double r3[3] = {20, 0, 0}, r4[3] = {30, -10, 0};
  EXPECT_EQ(IntersectSegmentsXY(p1, p2, r3, r4, out), 0);  // crossing outside
  EXPECT_EQ(IntersectSegmentsXY(p1, p1, p3, p4, out), 0);
}

}  // namespace
}  // namespace trevalon
