// The removal rate on the feed chart: rates matched to the profile's moves by record, and the
// chart's second series on its own right axis in place of the slope.

#include <gtest/gtest.h>

#include <algorithm>

#include "feed/feed_chart.h"
#include "feed/feed_profile.h"

namespace trevalon {
namespace {

FeedProfile Profile() {
  FeedProfile p;
  // Moves ending at records 2, 3 and 6 (a rapid at 4 and an arc centre at 5 are no moves).
  p.moves = {{10.0, 2, 1000, 10}, {30.0, 3, 500, 40}, {35.0, 6, 2000, 80}};
  p.hasSlopes = true;
  return p;
}

TEST(RemovalRateChart, RatesFollowTheRecords) {
  FeedProfile p = Profile();
  // The simulation's moves: records 1 (no profile move), 2, 3, 4 (a rapid), 6; the move of
  // record 6 took nothing.
  ASSERT_TRUE(AddRemovalRates(p, {1, 2, 3, 4, 6}, {5.f, 20.f, 8.f, 100.f, 0.f},
                              {1.f, 10.f, 20.f, 3.f, 5.f}));
  ASSERT_TRUE(p.HasRates());
  EXPECT_FLOAT_EQ(p.rates[0], 20.f * 1000 / 10);
  EXPECT_FLOAT_EQ(p.rates[1], 8.f * 500 / 20);
  EXPECT_FLOAT_EQ(p.rates[2], 0.f);
  // A simulation without the profile's records leaves them at 0.
  ASSERT_TRUE(AddRemovalRates(p, {7}, {1.f}, {1.f}));
  EXPECT_EQ(p.rates, std::vector<float>(3, 0.f));
}

bool HasText(const FeedChart& c, const std::string& text) {
  return std::any_of(c.picture.shapes.begin(), c.picture.shapes.end(),
                     [&](const ChartShape& s) { return s.text == text; });
}
bool HasLine(const FeedChart& c, ChartColour colour) {
  return std::any_of(c.picture.shapes.begin(), c.picture.shapes.end(), [&](const ChartShape& s) {
    return s.kind == ChartShape::Kind::Line && s.colour == colour && s.points.size() >= 2;
  });
}

TEST(RemovalRateChart, SecondSeriesOnTheRightInPlaceOfTheSlope) {
  FeedProfile p = Profile();
  const FeedChart plain = LayOutFeedChart(p, nullptr, {});
  EXPECT_TRUE(plain.hasSlopes);
  EXPECT_FALSE(plain.hasRates);
  EXPECT_FALSE(HasText(plain, "removal rate (mm3/min)"));

  ASSERT_TRUE(AddRemovalRates(p, {2, 3, 6}, {20.f, 8.f, 0.f}, {10.f, 20.f, 5.f}));
  const FeedChart rated = LayOutFeedChart(p, nullptr, {});
  EXPECT_TRUE(rated.hasRates);
  EXPECT_FALSE(rated.hasSlopes);
  EXPECT_TRUE(HasText(rated, "removal rate (mm3/min)"));
  EXPECT_TRUE(HasText(rated, "removal rate"));
  EXPECT_FALSE(HasText(rated, "slope (deg)"));
  EXPECT_TRUE(HasLine(rated, kChartRateColour));
  EXPECT_FALSE(HasLine(rated, kChartSlopeColour));
  // The axis reaches the highest rate, 2000 mm3/min.
  EXPECT_GE(rated.rate.hi, 2000.0);
  EXPECT_EQ(rated.rate.lo, 0.0);
}

}  // namespace
}  // namespace trevalon
