// The feed rules on their own, as the rule-based feed changes use them without an engine: the
// levels come from the conditions once, and every feed is truncated, then rounded down to the
// feed change unit, except where a rule says otherwise.

#include "feed/feed_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace trevalon {
namespace {

TEST(FeedRules, TruncationFloorsAndTheWrittenFeed) {
  // Toward zero, not down; capped; not a number is 0.
  EXPECT_EQ(std::tuple(TruncFeed(-2.7), TruncFeed(1e30), TruncFeed(std::nan(""))),
            std::tuple(-2, 1000000000L, 0));

  CuttingConditions c;  // MaxFeed 1000, unit 10, reductions 0.1f
  FeedRules rules(c);
  EXPECT_EQ(rules.CornerFloor(), 100);
  // The reference floor is truncated but not rounded to the unit.
  EXPECT_EQ(rules.ReferenceFloor(999), 99);
  // Written feeds: capped at the maximum, nothing left taken as the corner floor, rounded.
  EXPECT_EQ(std::tuple(rules.Finish(1200), rules.Finish(0), rules.Finish(-5), rules.Finish(567)),
            std::tuple(1000, 100, 100, 560));
  // The minimum angle of a corner is the caller's: the arc rules pass CornerMinAngle.
  EXPECT_EQ(std::tuple(rules.CornerFeed(15.0, 10.0), rules.CornerFeed(15.0, 15.0)),
            std::tuple(860, -1));

  // A maximum beyond the store's 16 bits is held to it; the unit rounds every feed.
  c.MaxFeed = 40000;
  c.FeedChgAng = 25;
  FeedRules wide(c);
  EXPECT_EQ(std::tuple(wide.MaxFeed(), wide.Finish(40000), wide.RoundFeed(999)),
            std::tuple(FeedRules::kHighestStoredFeed, 32750, 975));
}

}  // namespace
}  // namespace trevalon
