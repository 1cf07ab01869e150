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

  // A maximum beyond the store's 16 bits is held to it; the unit rounds every feed.
  c.MaxFeed = 40000;
  c.FeedChgAng = 25;
  FeedRules wide(c);
  EXPECT_EQ(std::tuple(wide.MaxFeed(), wide.Finish(40000), wide.RoundFeed(999)),
            std::tuple(FeedRules::kHighestStoredFeed, 32750, 975));
}

TEST(FeedRules, LevelsAnchorsAndStepsUseSinglePrecisionConditions) {
  const FeedRules e{CuttingConditions{}};  // MaxFeed 1000, CornerMinAngle 10, reductions 0.1f
  // ((1 - 0.1f) x 0.7f + 0.1f) x 1000 = 729.99998... truncates to 729, not 730.
  EXPECT_EQ(std::tuple(e.Level(0.7f, 0.1f), e.Level(0.3f, 0.1f), e.Level(1.0f, 0.1f),
                       e.Level(0.0f, 0.1f)),
            std::tuple(729, 370, 1000, 100));
  // 45 degrees: step (370 - 729) / 30 = -11 in integers, 729 - 11 x 15 = 564; at 90:
  // 370 + (-9) x 30.
  EXPECT_EQ(std::tuple(e.SlopeFeed(45.0), e.SlopeFeed(0.0), e.SlopeFeed(90.0)),
            std::tuple(564, 1000, 100));
  // Corner feed of the arcs: real interpolation, then rounded: 1000 - 271 x 15/30 = 864.5;
  // 10 is not above the minimum angle (the caller's: the arc rules pass CornerMinAngle), nor
  // 370 once brought into 0..360; 200 is capped at 90.
  EXPECT_EQ(
      std::tuple(e.CornerFeed(15.0, 10.0), e.CornerFeed(10.0, 10.0), e.CornerFeed(370.0, 10.0),
                 e.CornerFeed(200.0, 10.0), e.CornerFeed(15.0, 15.0)),
      std::tuple(860, -1, -1, 100, -1));
  // The XY corners use whole steps: 1000 + (-9) x 15 = 865 -> 860; at 45: 729 - 11 x 15.
  EXPECT_EQ(e.CornerFeedSteps(45.0), 560);
}

}  // namespace
}  // namespace trevalon
