// The feed chart's data and layout: the profile measures cutting moves along their length
// (arcs by arc length, rapids left out), takes the slope at each move's end point, the
// decimation keeps every column's extremes, the axes come out on nice numbers, and the
// document's before series is the toolpath before the optimiser run (or a program read aside).

#include "feed/feed_chart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>

#include "app/feed_chart_commands.h"
#include "app/feed_commands.h"
#include "app/load_commands.h"
#include "feed/feed_profile.h"
#include "feed/master_model.h"
#include "model/statistics.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

constexpr double kQuarterArc = 10 * 3.14159265358979 / 2;  // radius 10, 90 degrees

TEST(FeedProfile, CutsFollowOneAnotherAlongTheirLength) {
  CPointStore s;
  // Two cuts, a rapid hop that adds nothing, a plunge, a quarter arc (G02 centred 10 to the
  // right of its start) and a cut after it.
  AddPoints(s,
            "1 0 0 5, 3 0 0 0 100, 4 10 0 0 200, 1 10 0 5, 1 50 50 5, 3 50 50 0 300, "
            "8 60 60 0 400, 91 10 0 0, 3 60 70 0 500");
  FeedProfile p;
  ASSERT_TRUE(BuildFeedProfile(s, p));
  ASSERT_EQ(p.moves.size(), 5u);
  const std::uint32_t records[] = {1, 2, 5, 6, 8};
  const int feeds[] = {100, 200, 300, 400, 500};
  const double ends[] = {5, 15, 20, 20 + kQuarterArc, 30 + kQuarterArc};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(std::tuple(p.moves[i].record, p.moves[i].feed, p.moves[i].slope),
              std::tuple(records[i], feeds[i], 0))
        << i;
    EXPECT_NEAR(p.moves[i].end, ends[i], 1e-4) << i;
  }
  EXPECT_FALSE(p.hasSlopes);
  // The whole distance is what `info` calls the cutting and the arc length together.
  const ToolpathStatistics st = CurrentStatistics(s);
  EXPECT_NEAR(p.Length(), st.cuttingLength + st.arcLength, 1e-9);

  // The move under a distance: a shared end belongs to the earlier move; outside, the ends.
  EXPECT_EQ(std::tuple(p.MoveAt(15.0), p.MoveAt(15.01), p.MoveAt(20.5), p.MoveAt(-3), p.MoveAt(1e9),
                       p.MoveAt(std::nan(""))),
            std::tuple(1u, 2u, 3u, 0u, 4u, 0u));
  EXPECT_FALSE(FeedProfile{}.MoveAt(1.0).has_value());

  // Only rapids, or nothing: no moves, no distance.
  CPointStore rapids;
  AddPoints(rapids, "1 0 0 5, 2 10 0 5, 2 10 10 5");
  ASSERT_TRUE(BuildFeedProfile(rapids, p));
  EXPECT_TRUE(p.moves.empty());
  EXPECT_EQ(p.Length(), 0.0);
}

TEST(FeedProfile, SlopeIsTheMasterRulesAnswerAtTheEndPoint) {
  // A 6 x 6 grid of material at height 10, flat except one steep cell at (2, 2).
  std::vector<MeshCell> cells(36);
  for (MeshCell& c : cells) c.z = 10.0f;
  cells[2 * 6 + 2].slope = 45;
  MasterGrid grid;
  grid.cellSize = 1.0;
  grid.columns = grid.rows = 6;
  grid.cells = cells.data();

  CPointStore s;
  // Ends at a flat place, ends on the steep cell, then leaves it for a flat place again.
  AddPoints(s, "1 4 4 20, 3 4 4 0 100, 4 2 2 0 100, 4 4.4 4.4 0 100, 4 4.4 4.4 12 100");
  FeedProfile p;
  ASSERT_TRUE(BuildFeedProfile(s, p, &grid, 1.0));
  EXPECT_TRUE(p.hasSlopes);
  ASSERT_EQ(p.moves.size(), 4u);
  // The third started on the steep cell, but the end point counts; above the material (the
  // fourth) there is nothing to meet.
  EXPECT_EQ(std::tuple(p.moves[0].slope, p.moves[1].slope, p.moves[2].slope, p.moves[3].slope),
            std::tuple(0, 45, 0, 0));
}

// The decimation against a plain count of every column's moves, on moves whose ends often fall
// exactly on column borders and many of no length at all.
TEST(FeedProfile, DecimationKeepsEveryColumnsExtremes) {
  std::mt19937 random(7);
  FeedProfile p;
  double d = 0;
  for (int i = 0; i < 20000; ++i) {
    const int step = static_cast<int>(random() % 4);  // 0 to 3: many ends on borders
    d += step == 3 ? 0.37 : step;
    ProfileMove m;
    m.end = d;
    m.feed = static_cast<std::int16_t>(100 + random() % 900);
    m.slope = static_cast<std::int16_t>(random() % 91);
    p.moves.push_back(m);
  }
  // One spike too short for any pixel, far above all other feeds: its column's maximum.
  p.moves[12345].feed = 9999;
  p.moves[12345].end = p.moves[12344].end;
  const double perColumn = 2.0;
  const int columns = 500;  // the profile reaches further: the last column holds the rest
  ASSERT_GT(p.Length(), perColumn * columns);

  for (bool slopes : {false, true}) {
    SCOPED_TRACE(slopes);
    std::vector<double> lo(columns, 1e9), hi(columns, -1e9);
    for (std::size_t i = 0; i < p.moves.size(); ++i) {
      const double s = p.Start(i), e = p.moves[i].end;
      const double v = slopes ? p.moves[i].slope : p.moves[i].feed;
      for (int c = 0; c < columns; ++c) {
        const double from = c * perColumn, to = c == columns - 1 ? 1e18 : (c + 1) * perColumn;
        const bool touches = e > s ? s < to && e > from : s >= from && s < to;
        if (!touches) continue;
        lo[c] = std::min(lo[c], v);
        hi[c] = std::max(hi[c], v);
      }
    }
    const std::vector<ColumnValues> got = DecimateProfile(p, slopes, perColumn, columns);
    ASSERT_EQ(got.size(), static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      SCOPED_TRACE(c);
      const ColumnValues& g = got[static_cast<std::size_t>(c)];
      ASSERT_EQ(g.column, c);
      const double gl = g.single ? g.first : std::min(g.first, g.second);
      const double gh = g.single ? g.first : std::max(g.first, g.second);
      EXPECT_EQ(gl, lo[static_cast<std::size_t>(c)]);
      EXPECT_EQ(gh, hi[static_cast<std::size_t>(c)]);
    }
  }

  // In a column the extreme reached last comes second, so the line goes on from it.
  FeedProfile order;
  for (int f : {5, 1, 9}) order.moves.push_back({order.Length() + 0.1, 0, std::int16_t(f), 0});
  auto one = DecimateProfile(order, false, 10.0, 4);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(std::tuple(one[0].first, one[0].second), std::tuple(1, 9));
  order.moves[2].feed = 0;
  one = DecimateProfile(order, false, 10.0, 4);
  EXPECT_EQ(std::tuple(one[0].first, one[0].second), std::tuple(5, 0));
  EXPECT_TRUE(DecimateProfile(order, false, 0.0, 4).empty());
}

TEST(FeedChart, AxesOnNiceNumbers) {
  auto axis = [](const ChartAxis& a) {
    return std::tuple(a.lo, a.hi, a.step, a.first, a.decimals);
  };
  EXPECT_EQ(axis(NiceAxis(0, 1500, 5, true)), std::tuple(0, 1500, 500, 0, 0));
  ChartAxis a = NiceAxis(0, 5132.7, 8, false);
  EXPECT_EQ(std::tuple(a.hi, a.step), std::tuple(5132.7, 1000));
  a = NiceAxis(0, 0.37, 5, true);
  EXPECT_NEAR(a.step, 0.1, 1e-12);
  EXPECT_NEAR(a.hi, 0.4, 1e-12);
  EXPECT_EQ(a.decimals, 1);
  a = NiceAxis(-120, 800, 6, true);
  EXPECT_EQ(std::tuple(a.step, a.lo, a.first), std::tuple(200, -200, -200));
  // No width, or no number: still an axis.
  a = NiceAxis(5, 5, 5, true);
  EXPECT_GT(a.hi, a.lo);
  a = NiceAxis(std::nan(""), INFINITY, 5, false);
  EXPECT_EQ(std::tuple(a.lo, a.hi), std::tuple(0, 1));
}

TEST(FeedChart, SeriesLieInThePlotAtMostTwoPointsPerColumn) {
  FeedProfile after, before;
  for (int i = 0; i < 100000; ++i) {
    after.moves.push_back({(i + 1) * 0.05, std::uint32_t(i), std::int16_t(i % 97 ? 800 : 250), 0});
    before.moves.push_back({(i + 1) * 0.05, std::uint32_t(i), 1200, 0});
  }
  FeedChartOptions options;
  options.width = 900;
  options.height = 400;
  const FeedChart c = LayOutFeedChart(after, &before, options);
  EXPECT_EQ(std::tuple(c.picture.width, c.picture.height), std::tuple(900, 400));
  std::vector<const ChartShape*> lines;
  for (const ChartShape& s : c.picture.shapes)
    if (s.kind == ChartShape::Kind::Line && s.points.size() > 10) lines.push_back(&s);
  ASSERT_EQ(lines.size(), 2u);  // before, then after on top
  EXPECT_EQ(std::tuple(lines[0]->colour, lines[1]->colour),
            std::tuple(kChartBeforeColour, kChartAfterColour));
  const double plotWidth = c.right - c.left;
  for (const ChartShape* l : lines) {
    EXPECT_LE(l->points.size(), 2 * plotWidth);
    for (const ChartPoint& pt : l->points)
      EXPECT_TRUE(pt.x > c.left && pt.x < c.right && pt.y >= c.top && pt.y <= c.bottom)
          << pt.x << ", " << pt.y;
  }
  // The before line is flat at 1200; the after line dips to 250 and reaches 800.
  EXPECT_NEAR(lines[0]->points.front().y, c.YOfFeed(1200), 0.5);
  double top = 1e9, low = -1e9;
  for (const ChartPoint& pt : lines[1]->points)
    top = std::min(top, pt.y), low = std::max(low, pt.y);
  EXPECT_NEAR(top, c.YOfFeed(800), 0.5);
  EXPECT_NEAR(low, c.YOfFeed(250), 0.5);
  // The axis reaches the longer series' end, and a pixel column maps back to its distance.
  EXPECT_DOUBLE_EQ(c.distance.hi, 5000.0);
  EXPECT_NEAR(c.DistanceAt(c.XOf(1234.5)), 1234.5, 1e-9);
  EXPECT_GT(c.feed.hi, 1200);
}

// ---- The removal rate in place of the slope --------------------------------------------------

FeedProfile RateProfile() {
  FeedProfile p;
  // Moves ending at records 2, 3 and 6 (a rapid at 4 and an arc centre at 5 are no moves).
  p.moves = {{10.0, 2, 1000, 10}, {30.0, 3, 500, 40}, {35.0, 6, 2000, 80}};
  p.hasSlopes = true;
  return p;
}

TEST(RemovalRateChart, RatesFollowTheRecords) {
  FeedProfile p = RateProfile();
  // The simulation's moves: records 1 (no profile move), 2, 3, 4 (a rapid), 6; the move of
  // record 6 took nothing.
  ASSERT_TRUE(AddRemovalRates(p, {1, 2, 3, 4, 6}, {5.f, 20.f, 8.f, 100.f, 0.f},
                              {1.f, 10.f, 20.f, 3.f, 5.f}));
  ASSERT_TRUE(p.HasRates());
  EXPECT_EQ(p.rates, (std::vector<float>{20.f * 1000 / 10, 8.f * 500 / 20, 0.f}));
  // A simulation without the profile's records leaves them at 0.
  ASSERT_TRUE(AddRemovalRates(p, {7}, {1.f}, {1.f}));
  EXPECT_EQ(p.rates, std::vector<float>(3, 0.f));
}

TEST(RemovalRateChart, SecondSeriesOnTheRightInPlaceOfTheSlope) {
  // Whether the chart has the series, the axis titles and the lines of either.
  auto shows = [](const FeedChart& c) {
    auto text = [&](const std::string& t) {
      return std::any_of(c.picture.shapes.begin(), c.picture.shapes.end(),
                         [&](const ChartShape& s) { return s.text == t; });
    };
    auto line = [&](ChartColour colour) {
      return std::any_of(
          c.picture.shapes.begin(), c.picture.shapes.end(), [&](const ChartShape& s) {
            return s.kind == ChartShape::Kind::Line && s.colour == colour && s.points.size() >= 2;
          });
    };
    return std::tuple(c.hasSlopes, c.hasRates, text("slope (deg)"), text("removal rate (mm3/min)"),
                      text("removal rate"), line(kChartSlopeColour), line(kChartRateColour));
  };
  FeedProfile p = RateProfile();
  EXPECT_EQ(shows(LayOutFeedChart(p, nullptr, {})),
            std::tuple(true, false, true, false, false, true, false));
  ASSERT_TRUE(AddRemovalRates(p, {2, 3, 6}, {20.f, 8.f, 0.f}, {10.f, 20.f, 5.f}));
  const FeedChart rated = LayOutFeedChart(p, nullptr, {});
  EXPECT_EQ(shows(rated), std::tuple(false, true, false, true, true, false, true));
  // The axis reaches the highest rate, 2000 mm3/min.
  EXPECT_GE(rated.rate.hi, 2000.0);
  EXPECT_EQ(rated.rate.lo, 0.0);
}

// ---- The document's series ---------------------------------------------------------------------

TEST(FeedChartSeries, BeforeIsTheToolpathTheOptimiserFoundOrAProgramReadAside) {
  AppInTempDir t;
  CDocument& doc = *t.doc;
  const std::string program = t.Write("cut.nc", "G00 X0 Y0 Z5\nG01 Z0 F700\nX50\nY50\nX0\nM30\n");
  ASSERT_TRUE(LoadNcCommand(t.app, doc, program).ok());
  FeedChartSeries series;
  ASSERT_TRUE(CollectFeedChartSeries(t.app, doc, {}, series).ok());
  EXPECT_FALSE(series.hasBefore);
  ASSERT_TRUE(FeedOptimizerCommand(t.app, doc).ok());

  ASSERT_TRUE(CollectFeedChartSeries(t.app, doc, {}, series).ok());
  ASSERT_TRUE(series.hasBefore);
  ASSERT_EQ(series.before.moves.size(), 4u);
  for (const ProfileMove& m : series.before.moves) EXPECT_EQ(m.feed, 700);
  EXPECT_NEAR(series.before.Length(), 155.0, 1e-9);
  EXPECT_NEAR(series.after.Length(), 155.0, 1e-3);
  EXPECT_TRUE(std::any_of(series.after.moves.begin(), series.after.moves.end(),
                          [](const ProfileMove& m) { return m.feed != 700; }));

  // A program read aside serves as the before series and changes nothing of the document.
  const std::string other = t.Write("other.nc", "G00 X0 Y0 Z5\nG01 Z0 F300\nX10\nM30\n");
  const std::string records = Records(doc.store);
  const std::uint32_t undoTop = doc.undo.undoTop;
  const std::uint64_t edits = doc.edits;
  ASSERT_TRUE(CollectFeedChartSeries(t.app, doc, other, series).ok());
  ASSERT_EQ(series.before.moves.size(), 2u);
  EXPECT_EQ(series.before.moves[1].feed, 300);
  EXPECT_EQ(std::tuple(Records(doc.store), doc.undo.undoTop, doc.edits),
            std::tuple(records, undoTop, edits));
  const Outcome missing = CollectFeedChartSeries(t.app, doc, t.dir.file("none.nc"), series);
  EXPECT_EQ(missing.code(), OutcomeCode::CannotOpen);

  // Another program in the work layer: the optimiser's before belonged to the old one.
  ASSERT_TRUE(LoadNcCommand(t.app, doc, other).ok());
  ASSERT_TRUE(CollectFeedChartSeries(t.app, doc, {}, series).ok());
  EXPECT_FALSE(series.hasBefore);
}

}  // namespace
}  // namespace trevalon::testing
