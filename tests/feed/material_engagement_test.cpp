// Feeds from the material bounded by the engagement: the feed of one move under the axial and
// radial limits (with the removal rate, the floor and a plunge), the run slowing only the
// over-engaged moves (the keys themselves are read and written as the other own keys).

#include <gtest/gtest.h>

#include "feed/cutting_conditions.h"
#include "feed/material_feeds.h"
#include "test_support.h"

namespace trevalon {
namespace {

CuttingConditions Conditions(float axial, float radial, float rate = 0.0f) {
  CuttingConditions c;
  c.MaxFeed = 2000;
  c.PlungeFeed = 300;
  c.CornerMaxReduction = 0.2f;  // the lowest feed 400
  c.SlopeMaxReduction = 0.6f;
  c.FeedChgAng = 10;
  c.MaxRemovalRate = rate;
  c.MaxAxialDepth = axial;
  c.MaxRadialEngagement = radial;
  return c;
}

TEST(MaterialEngagement, FeedOfOneMove) {
  struct Case {
    float axial, radial, rate;
    double volume, depth, width;
    bool plunge;
    std::int32_t expected;
  } cases[] = {
      {2, 5, 0, 100, 2, 5, false, 2000},       // at the limits: the full feed
      {2, 5, 0, 100, 4, 5, false, 1000},       // twice the depth: half the feed
      {2, 5, 0, 100, 2, 10, false, 1000},      // twice the width: half the feed
      {2, 5, 0, 100, 3, 10, false, 1000},      // both beyond: the smaller ratio, not the product
      {2, 5, 0, 100, 3, 6, false, 1330},       // 2000 x 2 / 3 = 1333.3, down to a unit of 10
      {2, 0, 0, 100, 1, 10, false, 2000},      // a limit not set limits nothing
      {0, 5, 0, 100, 20, 4, false, 2000},      //
      {2, 5, 0, 100, 40, 10, false, 400},      // never below the lowest feed
      {2, 5, 0, 0.0005, 40, 10, false, 2000},  // an air cut is no cut (engagement or not)
      {2, 5, 0, 100, 4, 5, true, 300},         // a plunge at most PlungeFeed
      // With the removal rate (10000 mm3/min over 10 mm): the lower feed wins.
      {2, 5, 10000, 100, 4, 5, false, 1000},  // the rate allows 1000, the depth 1000
      {2, 5, 10000, 80, 4, 5, false, 1000},   // the rate allows 1250: the depth's 1000
      {2, 5, 10000, 150, 2, 5, false, 660},   // within the limits: the rate's 666.7
  };
  for (const Case& k : cases) {
    const CuttingConditions c = Conditions(k.axial, k.radial, k.rate);
    EXPECT_EQ(MaterialFeed(c, k.volume, 10.0, k.plunge, k.depth, k.width), k.expected)
        << k.axial << " " << k.radial << " " << k.rate << " " << k.volume << " " << k.depth << " "
        << k.width << " " << k.plunge;
  }
}

TEST(MaterialEngagement, RunSlowsOnlyTheOverEngagedMoves) {
  testing::EditParts parts;
  parts.store.Init();
  // A plunge, a full-width slot with a flat D10 2 mm deep, a step of 1 mm, and back along
  // the wall taking 1 mm of it.
  testing::AddPoints(parts.store,
                     "1 20 50 5, 3 20 50 -2 1000, 4 80 50 -2 1000, 4 80 51 -2 1000, "
                     "4 25 51 -2 1000");
  SimulationOptions sim;
  sim.tool.kind = SimToolKind::Flat;
  sim.tool.diameter = 10;
  sim.autoStock = false;
  sim.stock.min[0] = 0, sim.stock.min[1] = 0, sim.stock.min[2] = -10;
  sim.stock.max[0] = 100, sim.stock.max[1] = 100, sim.stock.max[2] = 0;
  auto feed = [&](std::uint32_t i) {
    parts.store.FetchPoint(i);
    return parts.store.reg.feed;
  };
  // Radial engagement at most 5 mm: the slot (10 mm) at half the feed, the wall pass (1 mm)
  // at the full feed; the depth (2 mm) within its limit.
  const CuttingConditions c = Conditions(4, 5);
  FeedRunSummary summary;
  MaterialFeedCounts counts;
  ASSERT_TRUE(MaterialFeeds(parts.ctx, c, sim, &summary, &counts).ok());
  EXPECT_EQ(feed(1), 300);   // the plunge: PlungeFeed
  EXPECT_EQ(feed(2), 1000);  // the slot
  // The step sideways sweeps its front across the slot's end, wider than the limit.
  EXPECT_GT(feed(3), 1000);
  EXPECT_LT(feed(3), 2000);
  EXPECT_EQ(feed(4), 2000);  // along the wall
  EXPECT_EQ(counts.engagementHeld, 2u);
  EXPECT_NEAR(counts.peakRadial, 10, 1e-6);
  EXPECT_NEAR(counts.peakDepth, 2, 1e-6);
  ASSERT_TRUE(parts.undo.Undo(parts.store));
  EXPECT_EQ(feed(2), 1000);
  EXPECT_EQ(feed(4), 1000);
  // A depth limit of 1 mm holds every cut to half the feed; the plunge stays at PlungeFeed.
  ASSERT_TRUE(MaterialFeeds(parts.ctx, Conditions(1, 0), sim, nullptr, &counts).ok());
  EXPECT_EQ(feed(1), 300);
  EXPECT_EQ(feed(2), 1000);
  EXPECT_EQ(feed(4), 1000);
  // Without any limit the run is refused and changes nothing.
  ASSERT_TRUE(parts.undo.Undo(parts.store));
  const std::string before = testing::Records(parts.store);
  EXPECT_EQ(MaterialFeeds(parts.ctx, Conditions(0, 0), sim).code(), OutcomeCode::Refused);
  EXPECT_EQ(testing::Records(parts.store), before);
}

}  // namespace
}  // namespace trevalon
