// The rapid rebuild and the plunge clean-up: every rapid run becomes retract, traverse and
// plunge at the retract height; every cutting run is entered straight down from it.

#include "edit/rapid_rebuild.h"

#include <gtest/gtest.h>

#include <tuple>

#include "model/point_store.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoints;
using testing::Records;

TEST(RapidRebuild, MakesEveryRunRetractTraversePlungeWithoutRepeatingAPoint) {
  CPointStore s;
  // A start rapid, a cut, placeholder rapids left by a removed piece, a cut, trailing rapids.
  AddPoints(s,
            "1 0 0 5, 3 0 0 -1, 4 10 0 -1, 2 12 0 -1, 2 14 0 -1, 4 20 0 -1, 1 20 0 30, 2 0 0 30");
  ASSERT_TRUE(RapidRebuild(s, 50));
  EXPECT_EQ(Records(s),
            // the first rapid: its own position at 50 (once), then down onto it
            "1 0 0 50, 2 0 0 5, 3 0 0 -1, 4 10 0 -1, "
            // the hop: retract above the last cut, traverse, plunge, the cut after it
            "1 10 0 50, 2 14 0 50, 2 14 0 -1, 3 20 0 -1, "
            // the final rapids go; the retract (straight up) stays at the retract height
            "1 20 0 50");
}

TEST(RapidRebuild, KeepsArcsWithTheirCentresAndRunsTwiceToTheSameResult) {
  CPointStore s;
  AddPoints(s, "1 0 0 5, 3 0 0 0, 6 10 0 0, 91 5 0 0, 2 30 0 0, 4 40 0 0");
  ASSERT_TRUE(RapidRebuild(s, 20));
  const std::string once = Records(s);
  EXPECT_EQ(once,
            "1 0 0 20, 2 0 0 5, 3 0 0 0, 6 10 0 0, 91 5 0 0, 1 10 0 20, 2 30 0 20, 2 30 0 0, "
            "3 40 0 0");
  ASSERT_TRUE(RapidRebuild(s, 20));
  EXPECT_EQ(Records(s), once);
}

TEST(PlungeCleanup, EntersEveryCuttingRunFromTheRetractHeight) {
  CPointStore s;
  // Run 1: entered from a rapid at the cut's height beside it (a point above is put in).
  // Run 2: entered from straight above, but from below the retract height (raised).
  // Run 3: entered from the retract height: left alone.
  AddPoints(s,
            "1 0 0 0, 3 5 0 0, 1 5 0 10, 2 8 0 10, 2 8 0 0, 3 9 0 0, "
            "1 9 0 60, 2 12 0 60, 2 12 0 0, 3 13 0 0");
  ASSERT_TRUE(PlungeCleanup(s, 50));
  EXPECT_EQ(Records(s),
            "1 0 0 50, 2 0 0 0, 3 5 0 0, 1 5 0 10, 2 8 0 50, 2 8 0 0, 3 9 0 0, "
            "1 9 0 60, 2 12 0 60, 2 12 0 0, 3 13 0 0");
}

TEST(RapidRebuild, AFullStoreLeavesTheToolpathAsItWas) {
  CPointStore s;
  // Fill the store to its capacity with one run of a rapid and cuts: the rebuild needs one
  // record more than there is room for and must give up without a trace.
  AddPoints(s, "1 0 0 5, 3 0 0 0");
  s.FetchPoint(1);
  s.reg.type = MOVE_LINE_CONT;
  for (std::uint32_t i = s.count; i < CPointStore::kCapacity; ++i) {
    s.reg.x = i % 2;
    s.StorePoint(i);
  }
  s.count = CPointStore::kCapacity;
  EXPECT_FALSE(RapidRebuild(s, 50));
  ASSERT_EQ(s.count, CPointStore::kCapacity);
  EXPECT_EQ(std::tuple(s.RawRecord(0)->type, float{s.RawRecord(0)->z},
                       s.RawRecord(CPointStore::kCapacity - 1)->type),
            std::tuple(std::int16_t{MOVE_RAPID}, 5.0f, std::int16_t{MOVE_LINE_CONT}));
}

}  // namespace
}  // namespace trevalon
