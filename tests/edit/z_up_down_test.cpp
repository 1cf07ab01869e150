// Z up to Z down: climbing cuts are cut downhill, as whole paths or as the climbing parts.

#include "edit/z_up_down.h"

#include <gtest/gtest.h>

#include "model/point_store.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoints;
using testing::Records;

struct ZUpDown : ::testing::Test, testing::EditParts {};

// Path 1 climbs 8 and stays up; path 2 climbs 10 and comes down 8.
constexpr const char* kTwoPaths =
    "1 0 0 50, 2 0 0 0, 3 10 0 0, 4 20 0 8, 4 30 0 8, 1 30 0 50, 2 40 0 50, 2 40 0 0, "
    "3 50 0 0, 4 60 0 10, 4 70 0 2";

TEST_F(ZUpDown, WholePathsTurnWhenTheyClimbMoreThanTheyDescend) {
  AddPoints(store, kTwoPaths);
  ZUpDownOptions o;
  o.risingOnly = false;
  ASSERT_TRUE(ZUpDownCommand(ctx, o).ok());
  EXPECT_EQ(Records(store),
            "1 0 0 50, 2 30 0 50, 2 30 0 8, 3 20 0 8, 4 10 0 0, 4 0 0 0, 1 0 0 50, 2 40 0 50, "
            "2 40 0 0, 3 50 0 0, 4 60 0 10, 4 70 0 2");
  ASSERT_EQ(undo.Undo(store), 1);
  // Steeper than the climb (38.7 and 45 degrees), or a climb above the search height: nothing.
  o.angle = 50;
  EXPECT_EQ(ZUpDownCommand(ctx, o).code(), OutcomeCode::Unchanged);
  o.angle = 10, o.height = 7;
  EXPECT_EQ(ZUpDownCommand(ctx, o).code(), OutcomeCode::Unchanged);
}

TEST_F(ZUpDown, ClimbingPartsAreCutDownhillInTheirPlace) {
  AddPoints(store, kTwoPaths);
  ZUpDownOptions o;  // rising parts only, climbs of 5 and more
  ASSERT_TRUE(ZUpDownCommand(ctx, o).ok());
  EXPECT_EQ(Records(store),
            "1 0 0 50, 2 0 0 0, 3 10 0 0, 1 10 0 50, 2 20 0 50, 2 20 0 8, 3 10 0 0, 1 10 0 50, "
            "2 20 0 50, 2 20 0 8, 3 30 0 8, 1 30 0 50, 2 40 0 50, 2 40 0 0, 3 50 0 0, "
            "1 50 0 50, 2 60 0 50, 2 60 0 10, 3 50 0 0, 1 50 0 50, 2 60 0 50, 2 60 0 10, "
            "3 70 0 2");
  // Only selected paths: none is.
  ASSERT_EQ(undo.Undo(store), 1);
  o.selectedOnly = true;
  EXPECT_EQ(ZUpDownCommand(ctx, o).code(), OutcomeCode::Unchanged);
  o.selectedOnly = false, o.safe = 11;  // no climb is worth turning
  EXPECT_EQ(ZUpDownCommand(ctx, o).code(), OutcomeCode::Unchanged);
}

}  // namespace
}  // namespace trevalon
