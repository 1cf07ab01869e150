// Feeds from the material: the feed of one move under the conditions, the mode on a toolpath
// (its removal rate held, air cuts raised, one undo step, refusals that change nothing) and
// the conditions' own keys in condition files.

#include "feed/material_feeds.h"

#include <gtest/gtest.h>

#include <cmath>

#include "feed/cutting_conditions.h"
#include "test_support.h"

namespace trevalon {
namespace {

CuttingConditions Conditions() {
  CuttingConditions c;
  c.MaxFeed = 2000;
  c.PlungeFeed = 300;
  c.CornerMaxReduction = 0.3f;
  c.SlopeMaxReduction = 0.6f;
  c.FeedChgAng = 10;
  c.MaxRemovalRate = 10000.0f;
  return c;
}

TEST(MaterialFeeds, FeedOfOneMove) {
  struct Case {
    double volume, length;
    bool plunge;
    std::int32_t airCutFeed, expected;
  } cases[] = {
      {0.0, 10, false, 0, 2000},     // nothing to cut: MaxFeed
      {0.0, 10, false, 5000, 5000},  // or the air-cut feed, above MaxFeed too
      {0.0005, 10, false, 0, 2000},  // a tiny volume is nothing
      {10.0, 10, false, 0, 2000},    // 10000 mm3/min allows 10000: capped at MaxFeed
      {87.0, 10, false, 0, 1140},    // 10000 x 10 / 87 = 1149.4, down to a unit of 10
      {1000.0, 10, false, 0, 600},   // 100 mm/min is below the lowest feed, 2000 x 0.3
      {20.0, 10, true, 0, 300},      // a plunge takes at most PlungeFeed
      {500.0, 10, true, 0, 300},     // ... also when its floor lies above
  };
  for (const Case& k : cases) {
    CuttingConditions c = Conditions();
    c.AirCutFeed = k.airCutFeed;
    EXPECT_EQ(MaterialFeed(c, k.volume, k.length, k.plunge), k.expected)
        << k.volume << " " << k.length << " " << k.plunge;
  }
}

struct Job {
  testing::EditParts parts;
  SimulationOptions sim;
  Job() {
    parts.store.Init();
    // A plunge, a slot with a flat D10 2 mm deep, the lift out of it, a cut in the air above
    // the stock, and a rapid.
    testing::AddPoints(parts.store,
                       "1 20 50 5, 3 20 50 -2 1000, 4 70 50 -2 1000, 4 70 50 3 1000, "
                       "4 90 50 3 1000, 1 90 50 10");
    sim.tool.kind = SimToolKind::Flat;
    sim.tool.diameter = 10;
    sim.autoStock = false;
    sim.stock.min[0] = 0, sim.stock.min[1] = 0, sim.stock.min[2] = -10;
    sim.stock.max[0] = 100, sim.stock.max[1] = 100, sim.stock.max[2] = 0;
  }
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
  EXPECT_EQ(job.parts.store.count, 6u);
  EXPECT_EQ(job.Feed(1), 300);  // the plunge
  // The slot takes 10 x 2 mm over 50 mm: the half disc at its end, less the half of the
  // plunge's disc that lies in its way, 1000 mm3, so 10000 mm3/min allows 500 mm/min.
  EXPECT_NEAR(job.Feed(2), 500, 5);
  EXPECT_EQ(job.Feed(3), 4000);  // the lift leaves through the cut: nothing to take
  EXPECT_EQ(job.Feed(4), 4000);  // in the air
  EXPECT_EQ(counts.cuts, 2u);
  EXPECT_EQ(counts.airCuts, 2u);
  EXPECT_NEAR(counts.peakRate, 10000, 150);
  EXPECT_GT(summary.cuttingTimeAfter, summary.cuttingTimeBefore);
  // One undo takes the whole run back.
  ASSERT_TRUE(job.parts.undo.Undo(job.parts.store));
  EXPECT_EQ(job.Feed(2), 1000);
  EXPECT_EQ(job.Feed(4), 1000);
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
  EXPECT_EQ(back.MaxRemovalRate, 12500.5f);
  EXPECT_EQ(back.AirCutFeed, 6000);
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
