// Feeds from the material: the feed of one move under the conditions (the removal rate, the
// axial and radial limits, the floor and a plunge), the mode on a toolpath (its removal rate
// held, air cuts raised, over-engaged moves slowed, one undo step, refusals that change
// nothing) and the conditions' own keys in condition files.

#include "feed/material_feeds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "feed/cutting_conditions.h"
#include "test_support.h"

namespace trevalon {
namespace {

// The lowest feed is 2000 x 0.3 = 600.
CuttingConditions Conditions(float rate = 10000.0f, float axial = 0.0f, float radial = 0.0f) {
  CuttingConditions c;
  c.MaxFeed = 2000;
  c.PlungeFeed = 300;
  c.CornerMaxReduction = 0.3f;
  c.SlopeMaxReduction = 0.6f;
  c.FeedChgAng = 10;
  c.MaxRemovalRate = rate;
  c.MaxAxialDepth = axial;
  c.MaxRadialEngagement = radial;
  return c;
}

TEST(MaterialFeeds, FeedOfOneMove) {
  // Moves of 10 mm; a depth and width of 0 are no engagement to limit.
  struct Case {
    float rate, axial, radial;
    double volume, depth, width;
    bool plunge;
    std::int32_t airCutFeed, expected;
  } cases[] = {
      {10000, 0, 0, 0.0, 0, 0, false, 0, 2000},     // nothing to cut: MaxFeed
      {10000, 0, 0, 0.0, 0, 0, false, 5000, 5000},  // or the air-cut feed, above MaxFeed too
      {10000, 0, 0, 0.0005, 0, 0, false, 0, 2000},  // a tiny volume is nothing
      {10000, 0, 0, 10.0, 0, 0, false, 0, 2000},    // 10000 mm3/min allows 10000: capped
      {10000, 0, 0, 87.0, 0, 0, false, 0, 1140},    // 10000 x 10 / 87 = 1149.4, to a unit of 10
      {10000, 0, 0, 1000.0, 0, 0, false, 0, 600},   // 100 mm/min is below the lowest feed
      {10000, 0, 0, 20.0, 0, 0, true, 0, 300},      // a plunge takes at most PlungeFeed
      {10000, 0, 0, 500.0, 0, 0, true, 0, 300},     // ... also when its floor lies above
      // The engagement limits without a removal rate.
      {0, 2, 5, 100, 2, 5, false, 0, 2000},       // at the limits: the full feed
      {0, 2, 5, 100, 4, 5, false, 0, 1000},       // twice the depth: half the feed
      {0, 2, 5, 100, 2, 10, false, 0, 1000},      // twice the width: half the feed
      {0, 2, 5, 100, 3, 10, false, 0, 1000},      // both beyond: the smaller ratio, not the product
      {0, 2, 5, 100, 3, 6, false, 0, 1330},       // 2000 x 2 / 3 = 1333.3, down to a unit of 10
      {0, 2, 0, 100, 1, 10, false, 0, 2000},      // a limit not set limits nothing
      {0, 0, 5, 100, 20, 4, false, 0, 2000},      //
      {0, 2, 5, 100, 40, 10, false, 0, 600},      // never below the lowest feed
      {0, 2, 5, 0.0005, 40, 10, false, 0, 2000},  // an air cut is no cut (engagement or not)
      {0, 2, 5, 100, 4, 5, true, 0, 300},         // a plunge at most PlungeFeed
      // Both: the lower feed wins.
      {10000, 2, 5, 100, 4, 5, false, 0, 1000},  // the rate allows 1000, the depth 1000
      {10000, 2, 5, 80, 4, 5, false, 0, 1000},   // the rate allows 1250: the depth's 1000
      {10000, 2, 5, 150, 2, 5, false, 0, 660},   // within the limits: the rate's 666.7
  };
  for (const Case& k : cases) {
    CuttingConditions c = Conditions(k.rate, k.axial, k.radial);
    c.AirCutFeed = k.airCutFeed;
    EXPECT_EQ(MaterialFeed(c, k.volume, 10.0, k.plunge, k.depth, k.width), k.expected)
        << k.rate << " " << k.axial << " " << k.radial << " " << k.volume << " " << k.depth << " "
        << k.width << " " << k.plunge;
  }
}

// A toolpath of the records over a stock 100 x 100 x 10 (top at 0), cut with a flat D10.
struct Job {
  testing::EditParts parts;
  SimulationOptions sim;
  explicit Job(std::string_view records) {
    parts.store.Init();
    testing::AddPoints(parts.store, records);
    sim.tool.kind = SimToolKind::Flat;
    sim.tool.diameter = 10;
    sim.autoStock = false;
    sim.stock.min[0] = 0, sim.stock.min[1] = 0, sim.stock.min[2] = -10;
    sim.stock.max[0] = 100, sim.stock.max[1] = 100, sim.stock.max[2] = 0;
  }
  // A plunge, a slot 2 mm deep, the lift out of it, a cut in the air above the stock, and a
  // rapid.
  Job()
      : Job("1 20 50 5, 3 20 50 -2 1000, 4 70 50 -2 1000, 4 70 50 3 1000, 4 90 50 3 1000, "
            "1 90 50 10") {}
  int Feed(std::uint32_t i) {
    parts.store.FetchPoint(i);
    return parts.store.reg.feed;
  }
};

TEST(MaterialFeeds, RunSetsFeedsInPlaceWithOneUndo) {
  Job job;
  CuttingConditions c = Conditions();
  c.AirCutFeed = 4000;
  c.CornerMaxReduction = 0.1f;  // the lowest feed 200
  c.FeedChgAng = 1;
  FeedRunSummary summary;
  MaterialFeedCounts counts;
  ASSERT_TRUE(MaterialFeeds(job.parts.ctx, c, job.sim, &summary, &counts).ok());
  // The plunge at PlungeFeed; the lift leaves through the cut (nothing to take) and the cut
  // in the air take the air-cut feed.
  EXPECT_EQ(std::tuple(job.parts.store.count, job.Feed(1), job.Feed(3), job.Feed(4), counts.cuts,
                       counts.airCuts),
            std::tuple(6u, 300, 4000, 4000, 2u, 2u));
  // The slot takes 10 x 2 mm over 50 mm: the half disc at its end, less the half of the
  // plunge's disc that lies in its way, 1000 mm3, so 10000 mm3/min allows 500 mm/min.
  EXPECT_NEAR(job.Feed(2), 500, 5);
  EXPECT_NEAR(counts.peakRate, 10000, 150);
  EXPECT_GT(summary.cuttingTimeAfter, summary.cuttingTimeBefore);
  // One undo takes the whole run back.
  ASSERT_TRUE(job.parts.undo.Undo(job.parts.store));
  EXPECT_EQ(std::tuple(job.Feed(2), job.Feed(4)), std::tuple(1000, 1000));
}

TEST(MaterialFeeds, RunSlowsOnlyTheOverEngagedMoves) {
  // A plunge, a full-width slot 2 mm deep, a step of 1 mm, and back along the wall taking
  // 1 mm of it.
  Job job("1 20 50 5, 3 20 50 -2 1000, 4 80 50 -2 1000, 4 80 51 -2 1000, 4 25 51 -2 1000");
  CPointStore& store = job.parts.store;
  // Radial engagement at most 5 mm: the slot (10 mm) at half the feed, the wall pass (1 mm)
  // at the full feed; the depth (2 mm) within its limit.
  FeedRunSummary summary;
  MaterialFeedCounts counts;
  ASSERT_TRUE(MaterialFeeds(job.parts.ctx, Conditions(0, 4, 5), job.sim, &summary, &counts).ok());
  // The step sideways sweeps its front across the slot's end, wider than the limit.
  EXPECT_EQ(std::tuple(job.Feed(1), job.Feed(2), job.Feed(3) > 1000 && job.Feed(3) < 2000,
                       job.Feed(4), counts.engagementHeld),
            std::tuple(300, 1000, true, 2000, 2u));
  EXPECT_NEAR(counts.peakRadial, 10, 1e-6);
  EXPECT_NEAR(counts.peakDepth, 2, 1e-6);
  ASSERT_TRUE(job.parts.undo.Undo(store));
  EXPECT_EQ(std::tuple(job.Feed(2), job.Feed(4)), std::tuple(1000, 1000));
  // A depth limit of 1 mm holds every cut to half the feed; the plunge stays at PlungeFeed.
  ASSERT_TRUE(MaterialFeeds(job.parts.ctx, Conditions(0, 1, 0), job.sim, nullptr, &counts).ok());
  EXPECT_EQ(std::tuple(job.Feed(1), job.Feed(2), job.Feed(4)), std::tuple(300, 1000, 1000));
  // Without any limit the run is refused and changes nothing.
  ASSERT_TRUE(job.parts.undo.Undo(store));
  const std::string before = testing::Records(store);
  EXPECT_EQ(MaterialFeeds(job.parts.ctx, Conditions(0, 0, 0), job.sim).code(),
            OutcomeCode::Refused);
  EXPECT_EQ(testing::Records(store), before);
}

TEST(MaterialFeeds, RefusedRunsChangeNothing) {
  CuttingConditions noRate = Conditions();
  noRate.MaxRemovalRate = 0;
  CuttingConditions noFeed = Conditions();
  noFeed.MaxFeed = 5;
  for (const CuttingConditions& c : {noRate, noFeed}) {
    Job job;
    const std::string before = testing::Records(job.parts.store);
    EXPECT_EQ(MaterialFeeds(job.parts.ctx, c, job.sim).code(), OutcomeCode::Refused);
    EXPECT_EQ(testing::Records(job.parts.store), before);
    EXPECT_EQ(job.Feed(2), 1000);
    EXPECT_FALSE(job.parts.undo.CanUndo());
  }
  Job bad;
  bad.sim.cell = 0;
  EXPECT_EQ(MaterialFeeds(bad.parts.ctx, Conditions(), bad.sim).code(), OutcomeCode::Refused);
  EXPECT_EQ(bad.Feed(2), 1000);
}

TEST(MaterialFeeds, OwnKeysInConditionFiles) {
  // Not set: the 23 lines as always. Set: keyword lines after them, read back by keyword.
  CuttingConditions c;
  const std::string plain = ConditionsFileText(c, Language::English);
  EXPECT_EQ(plain.find("MaxRemovalRate"), std::string::npos);
  c.MaxRemovalRate = 12500.5f;
  c.AirCutFeed = 6000;
  const std::string text = ConditionsFileText(c, Language::English);
  EXPECT_EQ(text.substr(0, plain.size()), plain);
  EXPECT_EQ(text.substr(plain.size()), "MaxRemovalRate 12500.500000\r\nAirCutFeed 6000\r\n");
  CuttingConditions back;
  ReadConditionsText(text, back);
  EXPECT_EQ(std::tuple(back.MaxRemovalRate, back.AirCutFeed), std::tuple(12500.5f, 6000));
  back.AirCutFeed = 40000;
  EXPECT_NE(ConditionsOutOfRange(back).find("AirCutFeed"), std::string::npos);
  back.AirCutFeed = 0, back.MaxRemovalRate = -1;
  EXPECT_NE(ConditionsOutOfRange(back).find("MaxRemovalRate"), std::string::npos);
  ASSERT_NE(FindConditionField("maxremovalrate"), nullptr);
  std::size_t n = 0;
  ConditionFields(n);
  EXPECT_EQ(n, 23u);
}

}  // namespace
}  // namespace trevalon
