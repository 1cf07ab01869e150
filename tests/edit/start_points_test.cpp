// Start points: an open path starts at its end nearer to a click; a closed loop is written
// anew from the point nearest to a click, an arc split there about its own centre.

#include "edit/start_points.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "model/geometry.h"
#include "model/point_store.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoints;
using testing::Records;

struct StartPoints : ::testing::Test, testing::EditParts {
  StartPoints() { TopView(400, 400); }
  // The click that lands on model point (x, y) of the top view.
  static ClickPosition At(double x, double y) {
    return {static_cast<int>(x) + 200, 200 - static_cast<int>(y)};
  }
};

TEST_F(StartPoints, OpenPathsStartAtTheEndNearerToTheirNearestClick) {
  AddPoints(store,
            "1 0 0 50, 2 0 0 0, 3 10 0 0, 1 10 0 50, 2 20 0 50, 2 20 0 0, 3 30 0 0, "
            "1 30 0 50");
  // One click beside the first path's start, one beside the second path's end.
  ASSERT_TRUE(StartPointsCommand(ctx, StartPointPaths::Open, {At(-1, 0), At(29, 1)}).ok());
  EXPECT_EQ(Records(store),
            "1 0 0 50, 2 0 0 0, 3 10 0 0, 1 10 0 50, 2 30 0 50, 2 30 0 0, 3 20 0 0, 1 20 0 50");
  // Closed paths only: nothing to do for open ones.
  EXPECT_EQ(StartPointsCommand(ctx, StartPointPaths::Closed, {At(29, 1)}).code(),
            OutcomeCode::Unchanged);
}

TEST_F(StartPoints, AClosedLoopStartsAtTheFootPointAndUndoBringsItBack) {
  const char* square = "1 0 0 50, 2 0 0 -1, 3 10 0 -1, 4 10 10 -1, 4 0 10 -1, 4 0 0 -1";
  AddPoints(store, square);
  // The click lies 1 beside the right edge, 4 up it.
  ASSERT_TRUE(StartPointsCommand(ctx, StartPointPaths::Both, {At(11, 4)}).ok());
  EXPECT_EQ(Records(store),
            "1 0 0 50, 2 10 4 50, 2 10 4 -1, 3 10 10 -1, 4 0 10 -1, 4 0 0 -1, 4 10 0 -1, "
            "4 10 4 -1, 1 10 4 50");
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(Records(store), square);
}

TEST_F(StartPoints, AWholeCircleIsSplitIntoTwoArcsAboutItsCentre) {
  AddPoints(store, "1 10 0 50, 2 10 0 -1, 6 10 0 -1 500, 91 -10 0 0 500");
  ASSERT_TRUE(StartPointsCommand(ctx, StartPointPaths::Closed, {At(0, 12)}).ok());
  // The foot point is (0, 10) as the angle routines place it.
  EXPECT_EQ(Records(store),
            "1 10 0 50, 2 3.65002e-08 10 50, 2 3.65002e-08 10 -1, 6 10 0 -1, "
            "91 -3.65002e-08 -10 0, 6 3.65002e-08 10 -1, 91 -10 0 0, 1 3.65002e-08 10 50");
  for (std::uint32_t i : {3u, 5u}) {
    StoredArc a;
    ArcOfPoint(store, i, a);
    EXPECT_LT(std::hypot(a.centre[0], a.centre[1]), 1e-6) << i;
    EXPECT_NEAR(a.arc.radius, 10, 1e-5) << i;
    if (i == 3) {
      EXPECT_NEAR(a.arc.sweep, 270, 1e-3);
    }
  }
}

TEST_F(StartPoints, ALoopEnteredByACutIsEnteredTheSameWayAtItsNewStart) {
  // A plunge at feed 50 from 5 down to the loop, which closes at the plunge's end.
  AddPoints(store,
            "1 0 0 5, 3 0 0 -1 50, 4 10 0 -1 500, 4 10 10 -1 500, 4 0 10 -1 500, 4 0 0 -1 500");
  ASSERT_TRUE(StartPointsCommand(ctx, StartPointPaths::Closed, {At(5, 0)}).ok());
  EXPECT_EQ(Records(store),
            "1 5 0 50, 2 5 0 5, 3 5 0 -1, 4 10 0 -1, 4 10 10 -1, 4 0 10 -1, 4 0 0 -1, "
            "4 5 0 -1, 1 5 0 50");
  EXPECT_EQ(std::tuple(store.RawRecord(2)->feed, store.RawRecord(7)->feed), std::tuple(50, 500));
}

TEST_F(StartPoints, OutsideTheOrthographicViewsNothingChanges) {
  AddPoints(store, "1 0 0 50, 2 0 0 0, 3 10 0 0");
  view.SetDirection(4);
  EXPECT_EQ(StartPointsCommand(ctx, StartPointPaths::Open, {At(9, 0)}).code(),
            OutcomeCode::Refused);
  EXPECT_EQ(std::tuple(Records(store), undo.undoPos),
            std::tuple("1 0 0 50, 2 0 0 0, 3 10 0 0", 0u));
}

}  // namespace
}  // namespace trevalon
