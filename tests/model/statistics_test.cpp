#include "model/statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoint;

TEST(Statistics, OneRapidAndOneCut) {
  CPointStore s;
  AddPoint(s, MOVE_RAPID, 0, 0, 10);
  AddPoint(s, MOVE_LINE, 3, 4, 10, 500);
  ASSERT_EQ(ComputeStatistics(s), 1);
  EXPECT_EQ(s.stats.rapidLength, 0);  // record 0 is its own start
  EXPECT_DOUBLE_EQ(s.stats.cuttingLength, 5);
  EXPECT_DOUBLE_EQ(s.stats.cuttingTime, 5.0 / 500);
  EXPECT_EQ(s.stats.cuttingMin[0], 0);  // the rapid point is the cut's start
  EXPECT_EQ(s.stats.cuttingMax[1], 4);
  EXPECT_EQ(s.stats.maxFeed, 500);
  EXPECT_EQ(s.extentMax[0], 3);
}

TEST(Statistics, ArcsAddNothingToTheCutsAndDoNotMoveTheLastPoint) {
  CPointStore s;
  AddPoint(s, MOVE_ARC_CW, 10, 0, 0, 900);
  AddPoint(s, PLANE_XY, 5, 0, 0, 900);
  ComputeStatistics(s);
  EXPECT_EQ(s.stats.cuttingLength, 0);
  EXPECT_EQ(s.stats.maxFeed, 0);
  EXPECT_EQ(s.stats.cuttingMin[0], 10000.0);
  EXPECT_EQ(s.stats.cuttingMax[0], -10000.0);

  CPointStore t;
  AddPoint(t, MOVE_RAPID, 0, 0, 0);
  AddPoint(t, MOVE_LINE, 10, 0, 0, 100);
  AddPoint(t, MOVE_ARC_CCW, 20, 0, 0, 100);
  AddPoint(t, PLANE_XY, 5, 0, 0, 100);
  AddPoint(t, MOVE_LINE_CONT, 20, 10, 0, 100);  // measured from the last counted line
  ComputeStatistics(t);
  EXPECT_NEAR(t.stats.cuttingLength, 10 + std::hypot(10.0, 10.0), 1e-9);
}

TEST(Statistics, FeedZeroAddsLengthButNoTime) {
  CPointStore s;
  AddPoint(s, MOVE_LINE, 0, 0, 0, 100);
  AddPoint(s, MOVE_LINE_CONT, 10, 0, 0, 0);
  AddPoint(s, MOVE_LINE_CONT, 10, 0, 0, 100);  // same position: nothing
  AddPoint(s, MOVE_LINE_CONT, 10, 10, 0, -5);
  ComputeStatistics(s);
  EXPECT_DOUBLE_EQ(s.stats.cuttingLength, 20);
  EXPECT_DOUBLE_EQ(s.stats.cuttingTime, 0);
  EXPECT_EQ(s.stats.maxFeed, 100);
}

TEST(Statistics, ContinuationBeforeAnyCountedMoveStartsFromThePreviousMotion) {
  CPointStore s;
  AddPoint(s, MOVE_ARC_CW, 0, 0, 0, 100);
  AddPoint(s, PLANE_XY, 1, 0, 0, 100);
  AddPoint(s, MOVE_LINE_CONT, 0, 7, 0, 100);
  AddPoint(s, MOVE_RAPID_CONT, 0, 7, 9);
  ComputeStatistics(s);
  EXPECT_DOUBLE_EQ(s.stats.cuttingLength, 7);
  EXPECT_DOUBLE_EQ(s.stats.rapidLength, 9);
  EXPECT_EQ(s.stats.rapidMin[2], 9);  // a continuation rapid does not take its start
}

TEST(Statistics, EmptyStoreKeepsThePreviousRecord) {
  CPointStore s;
  AddPoint(s, MOVE_LINE, 0, 0, 0, 100);
  AddPoint(s, MOVE_LINE_CONT, 1, 0, 0, 100);
  ComputeStatistics(s);
  s.count = 0;
  EXPECT_EQ(ComputeStatistics(s), 0);
  EXPECT_EQ(s.stats.cuttingLength, 1);
  // What is shown is the store as it is now: nothing.
  const ToolpathStatistics now = CurrentStatistics(s);
  EXPECT_EQ(now.cuttingLength, 0);
  EXPECT_EQ(now.maxFeed, 0);
  EXPECT_EQ(now.cuttingMin[0], 10000.0);
  EXPECT_EQ(now.rapidMax[2], -10000.0);
  EXPECT_EQ(s.stats.cuttingLength, 1);
  s.count = 2;
  EXPECT_EQ(CurrentStatistics(s).cuttingLength, 1);
}

TEST(Statistics, ArcLengthIsTheTrueLengthOfEveryArc) {
  const double pi = std::numbers::pi;
  CPointStore s;
  AddPoint(s, MOVE_RAPID, 0, 0, 10);
  AddPoint(s, MOVE_LINE, 0, 0, 0, 100);
  AddPoint(s, MOVE_ARC_CCW, 0, 10, 0, 100);  // half circle of radius 5 in XY
  AddPoint(s, PLANE_XY, 0, 5, 0, 100);
  AddPoint(s, MOVE_ARC_CW, 5, 10, 5, 100);  // quarter in ZX, radius 5, about (0, 10, 5)
  AddPoint(s, PLANE_ZX, 0, 0, 5, 100);
  AddPoint(s, MOVE_ARC_CCW, 5, 10, 2, 100);  // closed in XY: a full helix turn, radius 3,
  AddPoint(s, PLANE_XY, -3, 0, 0, 100);      // 3 down
  ComputeStatistics(s);
  const double helix = std::hypot(2 * pi * 3, 3.0);
  EXPECT_NEAR(s.stats.arcLength, 5 * pi + 2.5 * pi + helix, 1e-6);
  EXPECT_DOUBLE_EQ(s.stats.cuttingLength, 10);  // the cuts alone, as written programs say
  EXPECT_DOUBLE_EQ(s.stats.cuttingTime, 0.1);
  EXPECT_EQ(CurrentStatistics(s).arcLength, s.stats.arcLength);

  // An arc end point whose centre record is missing (the last record, or another motion
  // after it) says no circle: it adds nothing and the walk goes on.
  CPointStore t;
  AddPoint(t, MOVE_LINE, 0, 0, 0, 100);
  AddPoint(t, MOVE_ARC_CW, 10, 0, 0, 100);
  AddPoint(t, MOVE_LINE, 10, 10, 0, 100);
  AddPoint(t, MOVE_ARC_CW, 0, 0, 0, 100);
  ComputeStatistics(t);
  EXPECT_EQ(t.stats.arcLength, 0);
  EXPECT_DOUBLE_EQ(t.stats.cuttingLength, 10);
}

}  // namespace
}  // namespace trevalon
