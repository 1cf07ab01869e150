// The feed rules on their own, as the rule-based feed changes use them without an engine: the
// levels come from the conditions once, and every feed is truncated, then rounded down to the
// feed change unit, except where a rule says otherwise.

#include "feed/feed_rules.h"

#include <gtest/gtest.h>

#include <cmath>

namespace trevalon {
namespace {

TEST(FeedRules, TruncationFloorsAndTheWrittenFeed) {
  EXPECT_EQ(TruncFeed(-2.7), -2);  // toward zero, not down
  EXPECT_EQ(TruncFeed(1e30), 1000000000L);
  EXPECT_EQ(TruncFeed(std::nan("")), 0);

  CuttingConditions c;  // MaxFeed 1000, unit 10, reductions 0.1f
  FeedRules rules(c);
  EXPECT_EQ(rules.CornerFloor(), 100);
  // The reference floor is truncated but not rounded to the unit.
  EXPECT_EQ(rules.ReferenceFloor(999), 99);
  // Written feeds: capped at the maximum, nothing left taken as the corner floor, rounded.
  EXPECT_EQ(rules.Finish(1200), 1000);
  EXPECT_EQ(rules.Finish(0), 100);
  EXPECT_EQ(rules.Finish(-5), 100);
  EXPECT_EQ(rules.Finish(567), 560);
  // The minimum angle of a corner is the caller's: the arc rules pass CornerMinAngle.
  EXPECT_EQ(rules.CornerFeed(15.0, 10.0), 860);
  EXPECT_EQ(rules.CornerFeed(15.0, 15.0), -1);

  // A maximum beyond the store's 16 bits is held to it; the unit rounds every feed.
  c.MaxFeed = 40000;
  c.FeedChgAng = 25;
  FeedRules wide(c);
  EXPECT_EQ(wide.MaxFeed(), FeedRules::kHighestStoredFeed);
  EXPECT_EQ(wide.Finish(40000), 32750);
  EXPECT_EQ(wide.RoundFeed(999), 975);
}

}  // namespace
}  // namespace trevalon
