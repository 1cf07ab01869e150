#include "model/statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>

#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoints;

TEST(Statistics, OneRapidAndOneCutAndThenAnEmptyStore) {
  CPointStore s;
  AddPoints(s, "1 0 0 10, 3 3 4 10 500");
  ASSERT_EQ(ComputeStatistics(s), 1);
  // Record 0 is its own start; the rapid point is the cut's start.
  EXPECT_EQ(
      std::tuple(s.stats.rapidLength, s.stats.cuttingLength, s.stats.cuttingTime,
                 s.stats.cuttingMin[0], s.stats.cuttingMax[1], s.stats.maxFeed, s.extentMax[0]),
      std::tuple(0.0, 5.0, 5.0 / 500, 0.0, 4.0, 500, 3.0));
  // An empty store keeps the previous record, while what is shown is the store as it is now.
  s.count = 0;
  EXPECT_EQ(ComputeStatistics(s), 0);
  const ToolpathStatistics now = CurrentStatistics(s);
  EXPECT_EQ(std::tuple(now.cuttingLength, now.maxFeed, now.cuttingMin[0], now.rapidMax[2],
                       s.stats.cuttingLength),
            std::tuple(0.0, 0, 10000.0, -10000.0, 5.0));
  s.count = 2;
  EXPECT_DOUBLE_EQ(CurrentStatistics(s).cuttingLength, 5);
}

// Where each cut is measured from: arcs are no cut and do not move the last point, a
// continuation before any counted move starts from the previous motion, and a feed of 0 or
// below adds length but no time.
TEST(Statistics, CutsAreMeasuredFromTheLastCountedPoint) {
  CPointStore s;
  AddPoints(s, "8 10 0 0 900, 91 5 0 0 900");
  ComputeStatistics(s);
  EXPECT_EQ(std::tuple(s.stats.cuttingLength, s.stats.maxFeed, s.stats.cuttingMin[0],
                       s.stats.cuttingMax[0]),
            std::tuple(0.0, 0, 10000.0, -10000.0));

  CPointStore t;  // the last line is measured from the last counted line
  AddPoints(t, "1 0 0 0, 3 10 0 0 100, 6 20 0 0 100, 91 5 0 0 100, 4 20 10 0 100");
  ComputeStatistics(t);
  EXPECT_NEAR(t.stats.cuttingLength, 10 + std::hypot(10.0, 10.0), 1e-9);

  CPointStore u;
  AddPoints(u, "3 0 0 0 100, 4 10 0 0 0, 4 10 0 0 100, 4 10 10 0 -5");
  ComputeStatistics(u);
  EXPECT_EQ(std::tuple(u.stats.cuttingLength, u.stats.cuttingTime, u.stats.maxFeed),
            std::tuple(20.0, 0.0, 100));

  CPointStore v;
  AddPoints(v, "8 0 0 0 100, 91 1 0 0 100, 4 0 7 0 100, 2 0 7 9");
  ComputeStatistics(v);
  // A continuation rapid does not take its start.
  EXPECT_EQ(std::tuple(v.stats.cuttingLength, v.stats.rapidLength, v.stats.rapidMin[2]),
            std::tuple(7.0, 9.0, 9.0));
}

TEST(Statistics, ArcLengthIsTheTrueLengthOfEveryArc) {
  const double pi = std::numbers::pi;
  CPointStore s;
  // A half circle of radius 5 in XY; a quarter in ZX, radius 5, about (0, 10, 5); one closed
  // in XY: a full helix turn of radius 3, 3 down.
  AddPoints(s,
            "1 0 0 10, 3 0 0 0 100, 6 0 10 0 100, 91 0 5 0 100, 8 5 10 5 100, 92 0 0 5 100, "
            "6 5 10 2 100, 91 -3 0 0 100");
  ComputeStatistics(s);
  const double helix = std::hypot(2 * pi * 3, 3.0);
  EXPECT_NEAR(s.stats.arcLength, 5 * pi + 2.5 * pi + helix, 1e-6);
  // The cuts alone, as written programs say.
  EXPECT_EQ(std::tuple(s.stats.cuttingLength, s.stats.cuttingTime, CurrentStatistics(s).arcLength),
            std::tuple(10.0, 0.1, s.stats.arcLength));

  // An arc end point whose centre record is missing (the last record, or another motion
  // after it) says no circle: it adds nothing and the walk goes on.
  CPointStore t;
  AddPoints(t, "3 0 0 0 100, 8 10 0 0 100, 3 10 10 0 100, 8 0 0 0 100");
  ComputeStatistics(t);
  EXPECT_EQ(std::tuple(t.stats.arcLength, t.stats.cuttingLength), std::tuple(0.0, 10.0));
}

}  // namespace
}  // namespace trevalon
