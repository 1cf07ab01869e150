// The optimiser run on a document: master control, work array, write-back, feed-rise
// smoothing, tidy-up, undo, abort, and the whole run on a realistic finishing toolpath
// checked against the properties every optimised toolpath must have.

#include "feed/feed_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "app/application.h"
#include "app/feed_commands.h"
#include "feed/feed_control.h"
#include "model/point_store.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoint;
using testing::TempDir;

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
