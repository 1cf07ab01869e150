// The optimiser engine's rules, one at a time, on toolpaths small enough to work out by hand.
// The expected feeds follow the engine's arithmetic: double arithmetic on single-precision
// conditions, whole steps, truncation toward zero, rounding down to the feed change unit.
// Then the rules on their own, and the whole run on a document.

#include "feed/feed_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>
#include <vector>

#include "app/application.h"
#include "app/feed_commands.h"
#include "feed/feed_control.h"
#include "feed/feed_rules.h"
#include "feed/feed_run.h"
#include "model/point_record.h"
#include "model/point_store.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

struct P {
  int type;
  double x, y, z;
};

class EngineTest : public ::testing::Test {
 protected:
  CFeedControl fc{"/nonexistent"};
  ChannelSettings& ch = fc.channels[1];
  CuttingConditions& c = ch.conditions;
  std::vector<FeedPoint> out;

  // Fills the work array and runs the engine (set up by `prepare`); the output lands in `out`.
  void Run(const std::vector<P>& pts, int feed = 100,
           const std::function<void(CFeedEngine&)>& prepare = {}) {
    ch.work.reset(new FeedPoint[pts.size() + 1]);
    for (std::size_t i = 0; i < pts.size(); ++i) {
      FeedPoint& r = ch.work[i];
      r = FeedPoint{};
      r.X = pts[i].x, r.Y = pts[i].y, r.Z = pts[i].z;
      r.ProgFeed = r.Feed = feed;
      r.MotionType = static_cast<std::uint32_t>(pts[i].type);
    }
    ch.pointCount = static_cast<std::uint32_t>(pts.size());
    CFeedEngine e(fc, 1);
    if (prepare) prepare(e);
    ASSERT_EQ(e.Run(), 1);
    out.assign(fc.output.get(), fc.output.get() + fc.outputCount);
  }
  std::vector<int> Feeds() const {
    std::vector<int> f;
    for (const FeedPoint& p : out) f.push_back(p.Feed);
    return f;
  }
  // No corner ever counts: isolates the slope and short-move rules.
  void NoCorners() { c.CornerMinAngle = 90.0f; }
};

// The levels, anchors and steps the engine asks of its rules: FeedRules.LevelsAnchorsAndSteps.

TEST_F(EngineTest, FlatMovesComeOutAtTheMaximumFeedRoundedToTheUnit) {
  c.MaxFeed = 1005;
  Run({{1, 0, 0, 5}, {2, 0, 0, 1}, {3, 0, 0, 0}, {4, 40, 0, 0}, {4, 80, 0, 0}, {1, 80, 0, 5}});
  ASSERT_EQ(out.size(), 6u);
  EXPECT_EQ(std::tuple(out[3].Feed, out[4].Feed, ch.pointCount, ch.slowedMoves),
            std::tuple(1000, 1000, 6u, 0u));
}

TEST_F(EngineTest, SlopeRule) {
  // A rising 45-degree move: 564, stored as 560. A plunge (code 3, 90 degrees) takes the
  // plunge feed, rounded to the unit.
  NoCorners();
  c.PlungeFeed = 305;
  Run({{1, 0, 0, 5}, {3, 0, 0, 0}, {4, 10, 0, 10}, {4, 20, 0, 10}});
  EXPECT_EQ(Feeds(), (std::vector<int>{1000, 300, 560, 1000}));

  // Falling 45 degrees with ZupZdown 0.5: 564 x 0.5 = 282 -> 280; with 0.1 the result is
  // raised to MaxFeed x SlopeMaxReduction = 100.
  // Without the Z up / Z down check the falling move keeps its slope feed.
  for (auto [ratio, check, feed] : {std::tuple(0.5f, 1, 280), {0.1f, 1, 100}, {0.1f, 0, 560}}) {
    c.ZupZdown = ratio, c.UpDownChk = check;
    Run({{1, 0, 0, 20}, {3, 0, 0, 10}, {4, 10, 0, 0}});
    EXPECT_EQ(out[2].Feed, feed) << ratio << " " << check;
  }
}

TEST_F(EngineTest, SlopeAtOrBelowTheMinimumAngleKeepsItsFeed) {
  NoCorners();
  c.SlopeMinAngle = 45.0f;
  // tan(45) = 1 exactly in the geometry; the program's degree factor makes it 44.99999...,
  // so the move is not above the minimum and keeps the maximum feed. 46 degrees is above it:
  // 729 - 11 x 16 = 553 -> 550.
  for (auto [degrees, feed] : {std::pair(45, 1000), {46, 550}}) {
    Run({{1, 0, 0, 5},
         {3, 0, 0, 0},
         {4, 10, 0, degrees == 45 ? 10 : 10 * std::tan(46 * M_PI / 180)}});
    EXPECT_EQ(out[2].Feed, feed) << degrees;
  }
}

TEST_F(EngineTest, XyCornerGivesZonesOfTheSearchDistanceOnLongLegs) {
  c.ConCorChk = 0;
  const double a = 75 * M_PI / 180;
  Run({{1, 0, 0, 0},
       {3, 100, 0, 0},
       {4, 100 + 100 * std::cos(a), 100 * std::sin(a), 0},
       {1, 0, 0, 5}});
  // 75 degrees: 370 + (-9) x 15 = 235 -> 230 in 5 % zones (5 of 100) on both sides.
  ASSERT_EQ(out.size(), 6u);
  EXPECT_EQ(Feeds(), (std::vector<int>{1000, 1000, 230, 230, 1000, 1000}));
  EXPECT_NEAR(out[1].X, 95.0, 1e-9);
  EXPECT_EQ(out[2].X, 100.0);
  EXPECT_NEAR(out[3].X, 100 + 5 * std::cos(a), 1e-9);
  EXPECT_NEAR(out[3].Y, 5 * std::sin(a), 1e-9);
  // Only the first piece of a split code-3 move keeps code 3.
  EXPECT_EQ(std::tuple(out[1].MotionType, out[2].MotionType, out[3].MotionType, ch.slowedMoves),
            std::tuple(3u, 4u, 4u, 2u));
}

TEST_F(EngineTest, ShallowCornersDependOnTheEngagementCheck) {
  const double a = 8 * M_PI / 180;
  std::vector<P> path{
      {1, 0, 0, 5}, {3, 0, 0, 0}, {4, 50, 0, 0}, {4, 50 + 50 * std::cos(a), 50 * std::sin(a), 0}};
  // 8 degrees is not above CornerMinAngle 10: without the check nothing changes.
  c.ConCorChk = 0;
  Run(path);
  EXPECT_EQ(out.size(), 4u);
  // With it, the corner (above the effective minimum of 10 x 5 / 5, at most 10 / 3) is
  // raised to its engagement angle: twice the turn, 16 degrees (the circle through the
  // corner and the zone points is far larger than the tool): 1000 - 9 x 16 = 856 -> 850.
  c.ConCorChk = 1;
  Run(path);
  ASSERT_EQ(out.size(), 6u);
  EXPECT_EQ(std::tuple(out[3].Feed, out[4].Feed), std::tuple(850, 850));
  // A 3-degree corner lies below the effective minimum: nothing changes.
  const double b = 3 * M_PI / 180;
  Run({{1, 0, 0, 5}, {3, 0, 0, 0}, {4, 50, 0, 0}, {4, 50 + 50 * std::cos(b), 50 * std::sin(b), 0}});
  EXPECT_EQ(out.size(), 4u);
}

TEST_F(EngineTest, ZonesCoveringMoreThan80PercentCollapseIntoOneFeed) {
  c.ConCorChk = 0;
  // Two 90-degree corners 12 apart: zones of 41 % at both ends of the middle move (82 %).
  Run({{1, 0, -50, 5}, {3, 0, -50, 0}, {4, 0, 0, 0}, {4, 12, 0, 0}, {4, 12, 50, 0}});
  ASSERT_EQ(out.size(), 7u);  // the two long moves are split once each, the middle not
  EXPECT_EQ(std::tuple(out[3].X, out[4].X, out[4].Y, out[4].Feed), std::tuple(0.0, 12.0, 0.0, 100));
  // 20 apart: 25 % zones stay zones, the middle keeps the maximum feed.
  Run({{1, 0, -50, 5}, {3, 0, -50, 0}, {4, 0, 0, 0}, {4, 20, 0, 0}, {4, 20, 50, 0}});
  ASSERT_EQ(out.size(), 9u);
  EXPECT_EQ(Feeds(), (std::vector<int>{1000, 1000, 1000, 100, 100, 1000, 100, 100, 1000}));
}

TEST_F(EngineTest, ShortMoveBetweenSlowerNeighboursTakesTheirMean) {
  NoCorners();
  // Rising 45 degrees (560), a flat move of 2 (shorter than the tool radius 5), then a
  // vertical rise (code 4, 90 degrees: 100): the short move gets (560 + 100) / 2 = 330.
  Run({{1, 0, 0, 5}, {3, 0, 0, 0}, {4, 10, 0, 10}, {4, 12, 0, 10}, {4, 12, 0, 20}});
  EXPECT_EQ(Feeds(), (std::vector<int>{1000, 1000, 560, 330, 100}));
  // A long flat move keeps its feed.
  Run({{1, 0, 0, 5}, {3, 0, 0, 0}, {4, 10, 0, 10}, {4, 22, 0, 10}, {4, 22, 0, 20}});
  EXPECT_EQ(out[3].Feed, 1000);
}

TEST_F(EngineTest, SmoothingRampsAFeedDropOverEqualPieces) {
  NoCorners();
  c.FeedChgSmoothCheck = 1;
  // Slope moves all at 300: weights 0 and a slope reduction of 0.3.
  c.SideWeight0 = c.SideWeight30 = c.SideWeight60 = 0.0f;
  c.SlopeMaxReduction = 0.3f;
  const double h = 1.42;  // a 45-degree move of length 2.008
  Run({{1, 0, 0, 5}, {3, 0, 0, 0}, {4, 50, 0, 0}, {4, 50 + h, 0, h}, {4, 60 + h, 0, 10 + h}});
  // The 2-long move after 1000 and before 300: 2 x 2.008 + 1 = 5 pieces.
  ASSERT_EQ(out.size(), 9u);
  EXPECT_EQ(Feeds(), (std::vector<int>{1000, 1000, 1000, 860, 720, 580, 440, 300, 300}));
  for (int k = 1; k <= 5; ++k) EXPECT_NEAR(out[2 + k].X, 50 + h * k / 5, 1e-9);
  EXPECT_EQ(out[7].X, 50 + h);  // the last piece ends on the move's own point

  // Output capacity: starting with room for one record, the pass restarts with doubled
  // capacities and produces the same output.
  std::vector<FeedPoint> large = out;
  fc.firstOutputCapacity = 1;
  Run({{1, 0, 0, 5}, {3, 0, 0, 0}, {4, 50, 0, 0}, {4, 50 + h, 0, h}, {4, 60 + h, 0, 10 + h}});
  EXPECT_GE(fc.outputCapacity, 16u);
  ASSERT_EQ(out.size(), large.size());
  for (std::size_t i = 0; i < out.size(); ++i)
    EXPECT_EQ(std::tuple(out[i].Feed, out[i].X), std::tuple(large[i].Feed, large[i].X)) << i;
}

TEST_F(EngineTest, ArcFeedFollowsItsEngagement) {
  // A quarter circle of radius 10 about the origin, entered along its tangent.
  std::vector<P> path{
      {1, 10, -50, 5}, {3, 10, -50, 0}, {4, 10, 0, 0}, {6, 0, 10, 0}, {PLANE_XY, -10, 0, 0}};
  c.ConCorChk = 0;
  // 2 asin(5 x 0.5 / 10) = 28.96 degrees: 1000 - 271 x 28.96 / 30 = 738 -> 730.
  Run(path);
  // The move into the arc: its last 5 of 50 (10 %) at the arc's feed.
  ASSERT_EQ(out.size(), 6u);
  EXPECT_NEAR(out[2].Y, -5.0, 1e-9);
  EXPECT_EQ(std::tuple(out[3].Feed, out[4].Feed, out[5].MotionType, out[5].X),
            std::tuple(730, 730, std::uint32_t{PLANE_XY}, -10.0));
  // With the engagement check the tool radius comes off: radius 5, 60 degrees: 370.
  c.ConCorChk = 1;
  Run(path);
  EXPECT_EQ(out[4].Feed, 370);
}

TEST_F(EngineTest, MasterModelSlowsMovesUnderSteepMaterial) {
  NoCorners();
  std::vector<MeshCell> cells(20 * 20);
  for (MeshCell& m : cells) m.x = 0, m.y = 0, m.z = 10.0f, m.slope = 45;
  ch.master.originX = ch.master.originY = 0;
  ch.master.cellSize = 1.0;
  ch.master.columns = ch.master.rows = 20;
  ch.master.cells = cells.data();
  c.LmxByMaster = 1;
  // A flat move of 3 (no zone: not longer than 1.2 x 5) under material at 45 degrees: 560.
  // Above the material nothing is found.
  for (auto [z, feed] : {std::pair(0, 560), {11, 1000}}) {
    Run({{1, 5, 10, double(z)}, {3, 8, 10, double(z)}});
    EXPECT_EQ(out[1].Feed, feed) << z;
  }
  // A plunge of 20 (zones of 5 / 20 = 25 %) into the material, then the short move: the
  // plunge's last 25 % at the feed of the steepness met at its end (560), and the short move
  // after it slowed whole: 1000 x (1 - 0.9 x 45 / 90) = 550.
  Run({{1, 5, 10, 20}, {3, 5, 10, 0}, {4, 8, 10, 0}});
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(Feeds(), (std::vector<int>{1000, 1000, 560, 550}));
  EXPECT_NEAR(out[1].Z, 5.0, 1e-9);
  // Master control off: the mesh is not consulted.
  c.LmxByMaster = 0;
  Run({{1, 5, 10, 0}, {3, 8, 10, 0}});
  EXPECT_EQ(out[1].Feed, 1000);
}

TEST_F(EngineTest, AbortLeavesTheRecordsAsTheyStandAndStillOutputs) {
  // 600 records: the abort raised after the first window leaves the rest unreset.
  std::vector<P> path{{1, 0, 0, 5}};
  for (int i = 1; i < 600; ++i) path.push_back({i == 1 ? 3 : 4, double(i), 0, 0});
  int windows = 0;
  Run(path, 123, [&](CFeedEngine& e) {
    e.onWindow = [&](std::uint32_t, std::uint32_t) {
      ++windows;
      ch.abort = 1;
    };
  });
  // The second window stops at its first record; the rest as it stood, rounded to the unit.
  ASSERT_EQ(out.size(), 600u);
  EXPECT_EQ(std::tuple(windows, out[100].Feed, out[500].Feed), std::tuple(2, 1000, 120));
}

TEST_F(EngineTest, ZoneWalksGiveTheSameResultWithAndWithoutSkipping) {
  // A winding 3D path of short moves with rapids and sharp turns, treated once with
  // the walks jumping by path length and once point by point.
  std::vector<P> path;
  for (int run = 0; run < 6; ++run) {
    double y0 = run * 7.0;
    path.push_back({1, 0, y0, 10});
    for (int k = 0; k < 400; ++k) {
      double t = k * 0.15;
      double x = t * 2.0 + std::sin(t * (1 + run)) * 3.0;
      double y = y0 + std::cos(t * 0.7) * 2.0 + (k % 37 == 0 ? 1.5 : 0.0);
      double z = std::sin(t * 0.5) * 2.0 - (k % 53 < 3 ? 1.0 : 0.0);
      path.push_back({k == 0 ? 3 : 4, x, y, z});
    }
  }
  c.SafetyDistance = 3.0f;
  Run(path, 0, [](CFeedEngine& e) { e.skipByPathLength = true; });
  const std::vector<FeedPoint> a = out;
  Run(path, 0, [](CFeedEngine& e) { e.skipByPathLength = false; });
  const std::vector<FeedPoint>& b = out;
  ASSERT_EQ(a.size(), b.size());
  EXPECT_GT(a.size(), path.size());
  int slowed = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(std::tuple(a[i].Feed, a[i].X), std::tuple(b[i].Feed, b[i].X)) << i;
    slowed += a[i].Feed < 1000;
  }
  EXPECT_GT(slowed, 100);
}

TEST_F(EngineTest, XyCornerDistanceWithTheReduceCheck) {
  // Before any run the kept distance is 0: the check's floor of 0.3 applies. A run without
  // the check keeps the search distance for the runs with it.
  c.XyChgReduceCheck = 1;
  EXPECT_DOUBLE_EQ(CFeedEngine(fc, 1).XyCornerDistance(), 0.3);
  c.XyChgReduceCheck = 0;
  c.SafetyDistance = 0.5f;  // raised to 1.0
  EXPECT_DOUBLE_EQ(CFeedEngine(fc, 1).XyCornerDistance(), 1.0);
  c.SafetyDistance = 8.0f;
  c.XyChgReduceCheck = 1;
  EXPECT_DOUBLE_EQ(CFeedEngine(fc, 1).XyCornerDistance(), 1.0);
}

TEST_F(EngineTest, DegenerateInputDoesNotBreakTheRun) {
  // A feed change unit of 0 counts as 1; zero-length moves take no rule; a linear record
  // with no motion before it passes through; an empty work array gives an empty output.
  c.FeedChgAng = 0;
  c.MaxFeed = 1005;
  Run({{4, 0, 0, 0}, {4, 0, 0, 0}, {4, 10, 0, 10}, {4, 10, 0, 10}, {0, 1, 1, 1}});
  // 553 = 733 + (-12) x 15 with the 1005 anchors, unrounded.
  EXPECT_EQ(std::tuple(out.size(), out[0].Feed, out[2].Feed), std::tuple(5u, 1005, 553));
  Run({});
  EXPECT_EQ(std::tuple(out.size(), ch.pointCount), std::tuple(0ul, 0u));
  // Absurd conditions from a hand-edited file: feeds stay within what the store can hold.
  c.FeedChgAng = 10;
  c.MaxFeed = 100000;
  c.SideWeight30 = 1e30f;
  c.CorWeight60 = -1e30f;
  c.ZupZdown = -1e30f;
  c.CornerMaxReduction = 5.0f;
  Run({{1, 0, 0, 5}, {3, 0, 0, 0}, {4, 10, 0, 10}, {4, 20, 0, 0}, {4, 20, 20, 0}});
  for (const FeedPoint& p : out) EXPECT_TRUE(p.Feed >= 0 && p.Feed <= 32767) << p.Feed;
  c = CuttingConditions{};
  c.FeedChgAng = 0;
  // An arc without its centre record and zero tool diameter and safety distance.
  c.ToolDiameter = 0;
  c.SafetyDistance = 0;
  Run({{1, 0, 0, 0}, {3, 1, 0, 0}, {6, 2, 1, 0}, {4, 2, 1, 0}, {4, 2, 5, 0}});
  EXPECT_GE(out.size(), 5u);
  for (const FeedPoint& p : out) EXPECT_TRUE(p.Feed > 0 && p.Feed <= 1005) << p.Feed;
}

// ---- The rules on their own ------------------------------------------------------------------

// The feed rules on their own, as the rule-based feed changes use them without an engine: the
// levels come from the conditions once, and every feed is truncated, then rounded down to the
// feed change unit, except where a rule says otherwise.

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

// ---- The run on a document ---------------------------------------------------------------------

// The optimiser run on a document: master control, work array, write-back, feed-rise
// smoothing, tidy-up, undo, abort, and the whole run on a realistic finishing toolpath
// checked against the properties every optimised toolpath must have.

// A 3D finishing raster: zig-zag passes along X over a wavy surface with a sharp ridge,
// flat near both ends, where each pass starts and ends with one long move; the passes are
// linked by half circles at one end and by square stepovers at the other; every 8 passes the
// tool retracts, traverses and plunges again.
void FinishingRaster(CPointStore& s, int passes, int pointsPerPass, double step) {
  const double length = step * (pointsPerPass - 1);
  auto z = [&](double x, double y) {
    if (x < 5 || x > length - 5) return -10.0;
    double w = std::min(x - 5, length - 5 - x) / 5.0;
    w = std::min(w, 1.0);
    double ridge = 4.0 - std::fabs(x - length / 2) * 0.4;
    return -10.0 + w * (3.0 * std::sin(x / 7.0) * std::cos(y / 9.0) + std::max(ridge, 0.0));
  };
  const double stepover = 1.0;
  for (int p = 0; p < passes; ++p) {
    double y = p * stepover;
    bool forward = p % 2 == 0;
    auto xAt = [&](int k) { return forward ? k * step : length - k * step; };
    if (p % 8 == 0) {
      AddPoint(s, 1, xAt(0), y, 20);
      AddPoint(s, 2, xAt(0), y, 2);
      AddPoint(s, 3, xAt(0), y, z(xAt(0), y), 300);
    } else if (forward) {
      AddPoint(s, 4, xAt(0), y, -10.0, 1200);  // square stepover at the left end
    } else {
      // Half-circle link at the right end, counter-clockwise around its centre.
      AddPoint(s, 6, xAt(0), y, -10.0, 1200);
      AddPoint(s, PLANE_XY, 0, stepover / 2, 0);
    }
    const int flat = static_cast<int>(8.0 / step);  // points within the flat long moves
    for (int k = 1; k < pointsPerPass; ++k) {
      if ((k < flat || k > pointsPerPass - 1 - flat) && k != pointsPerPass - 1) continue;
      AddPoint(s, 4, xAt(k), y, z(xAt(k), y), 1200);
    }
    if (p % 8 == 7) AddPoint(s, 1, xAt(pointsPerPass - 1), y, 20);
  }
}

struct StoredPoint {
  int type;
  float x, y, z;
  int feed;
};
std::vector<StoredPoint> Points(const CPointStore& s) {
  std::vector<StoredPoint> v;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    const PointRecord* r = s.RawRecord(i);
    v.push_back({r->type, r->x, r->y, r->z, r->feed});
  }
  return v;
}

class FeedRun : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::StartInTempDir(app, dir);
    doc = &app.NewDocument();
  }
  CuttingConditions& Conditions() { return app.FeedControl().channels[1].conditions; }

  TempDir dir;
  HeadlessPlatform platform;
  CApplication app{platform};
  CDocument* doc = nullptr;
};

// Every original point comes back in order; the points between lie on the original move
// they split, in order along it; rapids, arcs and centre records are unchanged.
void ExpectSameGeometry(const std::vector<StoredPoint>& before,
                        const std::vector<StoredPoint>& after) {
  std::size_t j = 0;
  double lastT = 0;
  for (std::size_t i = 0; i < after.size(); ++i) {
    const StoredPoint& a = after[i];
    ASSERT_LT(j, before.size()) << "extra point " << i;
    const StoredPoint& b = before[j];
    if (a.x == b.x && a.y == b.y && a.z == b.z) {
      bool sameKind = (IsRapidType(a.type) && IsRapidType(b.type)) ||
                      (IsLinearType(a.type) && IsLinearType(b.type)) || a.type == b.type;
      ASSERT_TRUE(sameKind) << "point " << i << " type " << a.type << " was " << b.type;
      ++j;
      lastT = 0;
      continue;
    }
    // A split point: on the linear move from before[j - 1] to before[j], past the last one.
    // (A cut after an arc starts a cutting run again: type 3 after the tidy-up.)
    ASSERT_TRUE(j > 0 && IsLinearType(b.type) && IsLinearType(a.type)) << "point " << i;
    std::size_t k = j - 1;
    while (k > 0 && IsPlaneCode(before[k].type)) --k;  // the arc's end, not its centre
    const StoredPoint& s = before[k];
    double d[3] = {double(b.x) - s.x, double(b.y) - s.y, double(b.z) - s.z};
    double q[3] = {double(a.x) - s.x, double(a.y) - s.y, double(a.z) - s.z};
    double len2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    double t = (q[0] * d[0] + q[1] * d[1] + q[2] * d[2]) / len2;
    double off[3] = {q[0] - t * d[0], q[1] - t * d[1], q[2] - t * d[2]};
    EXPECT_LT(std::sqrt(off[0] * off[0] + off[1] * off[1] + off[2] * off[2]), 1e-3)
        << "point " << i;
    EXPECT_TRUE(t > lastT && t < 1.0) << "point " << i << ": " << t;
    lastT = t;
  }
  EXPECT_EQ(j, before.size());
}

void ExpectOptimisedFeeds(const std::vector<StoredPoint>& after, int maxFeed, int unit) {
  for (std::size_t i = 0; i < after.size(); ++i) {
    const StoredPoint& a = after[i];
    if (!IsLinearType(a.type) && !IsArcType(a.type)) continue;
    EXPECT_TRUE(a.feed > 0 && a.feed <= maxFeed && a.feed % unit == 0)
        << "point " << i << " feed " << a.feed;
  }
}

TEST_F(FeedRun, RealisticToolpathKeepsItsGeometryAndGetsValidFeeds) {
  // Without smoothing, with smoothing, and with a master model made from the same toolpath
  // (a document holding a model switches master control on).
  for (int pass : {0, 1, 2}) {
    SCOPED_TRACE(pass);
    const int smooth = pass == 1;
    if (pass == 2) {
      doc->store.Init();
      FinishingRaster(doc->store, 24, 301, 0.5);
      ASSERT_EQ(doc->master.Create(doc->store, doc->undo), 1);
    }
    doc->store.Init();
    FinishingRaster(doc->store, 24, 301, 0.5);
    std::vector<StoredPoint> before = Points(doc->store);
    CuttingConditions& c = Conditions();
    c.MaxFeed = 1500;
    c.FeedChgAng = 25;
    c.FeedChgSmoothCheck = smooth;
    FeedRunSummary r;
    ASSERT_TRUE(FeedOptimizerCommand(app, *doc, &r).ok());
    std::vector<StoredPoint> after = Points(doc->store);
    EXPECT_EQ(std::tuple(r.pointsBefore, r.pointsAfter, doc->store.stats.maxFeed, c.LmxByMaster),
              std::tuple(before.size(), after.size(), 1500, pass == 2 ? 1 : 0));
    EXPECT_GT(after.size(), before.size());  // corners and slopes split moves
    EXPECT_GT(r.slowedMoves, 100u);
    ExpectSameGeometry(before, after);
    ExpectOptimisedFeeds(after, 1500, 25);
  }
}

TEST_F(FeedRun, UndoBringsTheToolpathBackAndTheHelpLineReports) {
  FinishingRaster(doc->store, 3, 41, 0.5);
  const std::vector<PointRecord> before = testing::CopyOfRecords(doc->store);
  FeedRunSummary r;
  ASSERT_TRUE(FeedOptimizerCommand(app, *doc, &r).ok());
  EXPECT_GT(Points(doc->store).size(), before.size());
  char expected[200];
  std::snprintf(expected, sizeof expected,
                " Feed Optimizer: %u moves slowed, cutting time %.2f min -> %.2f min",
                r.slowedMoves, r.cuttingTimeBefore, r.cuttingTimeAfter);
  EXPECT_EQ(platform.helpText, expected);
  EXPECT_GT(r.cuttingTimeAfter, 0.0);
  ASSERT_EQ(doc->undo.Undo(doc->store), 1);
  EXPECT_TRUE(testing::HoldsRecords(doc->store, before));
}

TEST_F(FeedRun, CancelEmptyDocumentAndEscape) {
  // Cancel: nothing changes but the dialog result.
  testing::AddPoints(doc->store, "1 0 0 5, 3 0 0 0 100, 4 50 0 0 100");
  CFeedControl& fc = app.FeedControl();
  fc.Current().dialogResult = 0;
  EXPECT_FALSE(RunFeedOptimizer(app, *doc).ok());
  EXPECT_EQ(doc->store.RawRecord(2)->feed, 100);

  // Escape after the first window: the analysis stops, the output is still written back
  // (the records of the later windows with their old feeds).
  doc->store.Init();
  FinishingRaster(doc->store, 3, 101, 0.5);
  const std::uint32_t n = doc->store.count;
  platform.escapeAfterPolls = 0;
  Conditions().MaxFeed = 2000;
  FeedRunSummary r;
  ASSERT_TRUE(FeedOptimizerCommand(app, *doc, &r).ok());
  EXPECT_GE(doc->store.count, n);
  // The next run starts afresh.
  EXPECT_EQ(
      std::tuple(r.aborted, doc->store.RawRecord(doc->store.count - 1)->feed, fc.Current().abort),
      std::tuple(true, 1200, 0));

  // An empty document stays empty.
  platform.escapeAfterPolls = -1;
  doc->store.Init();
  ASSERT_TRUE(FeedOptimizerCommand(app, *doc, &r).ok());
  EXPECT_EQ(std::tuple(doc->store.count, r.slowedMoves), std::tuple(0u, 0u));
}

TEST_F(FeedRun, MasterControlRulesAndTheFirstOpening) {
  testing::AddPoints(doc->store, "1 0 0 5, 3 0 0 0 100, 4 50 0 0 100");
  CFeedControl& fc = app.FeedControl();
  CuttingConditions& c = Conditions();
  // A master-model file that cannot be loaded switches master control off for good.
  c.LmxByMaster = 1;
  fc.Current().masterModelFile = dir.file("missing.mma");
  ASSERT_TRUE(FeedOptimizerCommand(app, *doc).ok());
  EXPECT_EQ(std::tuple(c.LmxByMaster, platform.lastCaption, fc.Current().master.cells),
            std::tuple(0, "Error message", nullptr));
  // The first opening made SlopeMaxReduction follow the corner reduction (0.1 x 2.0); a
  // value set afterwards survives later openings.
  EXPECT_FLOAT_EQ(c.SlopeMaxReduction, 0.2f);
  c.SlopeMaxReduction = 0.5f;
  ASSERT_TRUE(FeedOptimizerCommand(app, *doc).ok());
  EXPECT_FLOAT_EQ(c.SlopeMaxReduction, 0.5f);
}

TEST(FeedRiseSmoothing, RiseBeforeASlowerPointWithinTheToolRadiusIsHalved) {
  // From 300 to 900, then 400 within 5 of the point before and 200 beyond: (300 + 400) / 2,
  // and 350 -> 400 is no sharp rise.
  CPointStore s;
  testing::AddPoints(s, "1 0 0 5 1000, 3 0 0 0 300, 4 2 0 0 900, 4 4 0 0 400, 4 9 0 0 200");
  EXPECT_EQ(SmoothFeedRises(s, 5.0, 10), 1u);
  EXPECT_EQ(std::tuple(s.RawRecord(2)->feed, s.RawRecord(3)->feed), std::tuple(350, 400));
  // Rounded down to the unit: 355 -> 340; no change when the walk finds nothing slower.
  CPointStore t, u;
  testing::AddPoints(t, "1 0 0 5 1000, 3 0 0 0 300, 4 2 0 0 900, 4 4 0 0 410");
  EXPECT_EQ(SmoothFeedRises(t, 5.0, 20), 1u);
  EXPECT_EQ(t.RawRecord(2)->feed, 340);
  testing::AddPoints(u, "1 0 0 5 1000, 3 0 0 0 300, 4 2 0 0 900, 4 9 0 0 100");
  EXPECT_EQ(SmoothFeedRises(u, 5.0, 10), 0u);
}

}  // namespace
}  // namespace trevalon
