// The simplified toolpath of drag frames: every level stays within its tolerance of every move
// and keeps every run whole at its ends and in its pen; levels halve; and a preparation on the
// second thread is dropped when the store or a layer changed while it ran; and the arc both
// drawings sample.

#include "view/toolpath_lod.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
#include <tuple>
#include <vector>

#include "model/layer_table.h"
#include "test_support.h"
#include "view/drawn_arc.h"

namespace trevalon {
namespace {

using testing::AddPoint;

// A wavy finishing run of `points` points per pass, little separate paths (a rapid, then two or
// three cuts) of alternating feed, a selected stretch, and arcs in the three planes.
void MixedToolpath(CPointStore& s, int passes, int points) {
  s.Init();
  AddPoint(s, MOVE_RAPID, 0, 0, 20);
  for (int p = 0; p < passes; ++p) {
    for (int k = 0; k < points; ++k) {
      const int kk = p % 2 == 0 ? k : points - 1 - k;
      const double x = 100.0 * kk / (points - 1), y = 2.0 * p;
      const double z = 5 * std::sin(x / 9.0) * std::cos(y / 7.0) + 0.003 * (k % 5);
      AddPoint(s, k == 0 && p == 0 ? MOVE_LINE : MOVE_LINE_CONT, x, y, z, 900, k > 40 && k < 60);
    }
  }
  for (int n = 0; n < 200; ++n) {
    const double x = 120 + (n % 20) * 3.0, y = (n / 20) * 3.0;
    AddPoint(s, MOVE_RAPID, x, y, 5);
    AddPoint(s, MOVE_LINE, x + 0.4, y + 0.1, 0, 300 + 100 * (n % 3));
    AddPoint(s, MOVE_LINE_CONT, x + 0.5, y + 0.9, 0, 300 + 100 * (n % 3));
    if (n % 2) AddPoint(s, MOVE_LINE_CONT, x + 1.3, y + 0.2, -0.5, 2000);
  }
  // The second arc is a helix: a whole turn in ZX.
  testing::AddPoints(s,
                     "1 0 -10 0, 3 10 -10 0 500, 6 -10 -10 0 500, 91 -10 0 0, 8 -10 -10 20 700, "
                     "92 5 0 0, 6 -10 -4 2 700, 93 0 3 -2");
}

struct LodRun {
  int pen;
  std::vector<LodVertex> v;
};

// The runs of a level: a piece that does not start where the last one ended starts a run.
std::vector<LodRun> Runs(const LodLevel& level) {
  std::vector<LodRun> runs;
  std::uint32_t end = UINT32_MAX;
  for (const LodPiece& p : level.pieces) {
    if (p.first != end) {
      runs.push_back({p.pen, {level.vertices[p.first]}});
    }
    for (std::uint32_t k = 1; k < p.count; ++k)
      runs.back().v.push_back(level.vertices[p.first + k]);
    end = p.first + p.count - 1;
  }
  return runs;
}

double Distance(const LodVertex& p, const LodVertex& a, const LodVertex& b) {
  const double d[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, w[3] = {p.x - a.x, p.y - a.y, p.z - a.z};
  const double len2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  const double t =
      len2 > 0 ? std::clamp((w[0] * d[0] + w[1] * d[1] + w[2] * d[2]) / len2, 0.0, 1.0) : 0.0;
  double e2 = 0;
  for (int k = 0; k < 3; ++k) e2 += (w[k] - t * d[k]) * (w[k] - t * d[k]);
  return std::sqrt(e2);
}

bool Same(const LodVertex& a, const LodVertex& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

std::shared_ptr<ToolpathLod> Prepare(CPointStore& store, CLayerTable& layers, LodParams params) {
  LodSource source;
  EXPECT_TRUE(source.Take(store, layers));
  return BuildToolpathLod(source.Inputs(), params);
}

// Every vertex of the walk (the stride copy with stride 1 keeps them all) lies within the
// level's tolerance of the kept line between the kept vertices around it; the kept vertices
// are the walk's own, in order; runs keep their ends and pens; and each coarser level has at
// most half the vertices of the one before it.
TEST(ToolpathLod, EveryLevelStaysWithinItsToleranceAndKeepsEveryRun) {
  CPointStore store;
  CLayerTable layers;
  MixedToolpath(store, 30, 1500);
  for (bool byLayer : {true, false}) {
    for (bool rapids : {false, true}) {
      LodParams params;
      params.byLayer = byLayer;
      params.showRapids = rapids;
      params.baseTolerance = 0.002;
      auto lod = Prepare(store, layers, params);
      ASSERT_TRUE(lod);
      EXPECT_EQ(std::tuple(lod->pens.lowFeed, lod->pens.highFeed), std::tuple(300, 2000));
      auto all = StrideToolpathLod(store, layers, params, lod->pens, 1);
      ASSERT_EQ(lod->layers.size(), 1u);
      const std::vector<LodRun> walk = Runs(all->layers[0].levels[0]);
      const LodLayer& layer = lod->layers[0];
      ASSERT_GE(layer.levels.size(), 3u);
      std::uint64_t previous = 0;
      for (const LodRun& r : walk) previous += r.v.size();
      EXPECT_EQ(layer.sourceVertices, previous);
      double lastTolerance = 0;
      for (const LodLevel& level : layer.levels) {
        SCOPED_TRACE(level.tolerance);
        EXPECT_GT(level.tolerance, lastTolerance);
        lastTolerance = level.tolerance;
        if (&level != &layer.levels.front()) {
          EXPECT_LE(level.vertices.size() * 2, previous);
        }
        previous = level.vertices.size();
        const std::vector<LodRun> kept = Runs(level);
        ASSERT_EQ(kept.size(), walk.size());
        for (std::size_t r = 0; r < walk.size(); ++r) {
          const LodRun& w = walk[r];
          const LodRun& k = kept[r];
          ASSERT_TRUE(k.pen == w.pen && Same(k.v.front(), w.v.front()) &&
                      Same(k.v.back(), w.v.back()))
              << "run " << r;
          std::size_t j = 0;  // k.v[j] is the last kept vertex at or before walk vertex i
          for (std::size_t i = 0; i < w.v.size(); ++i) {
            if (j + 1 < k.v.size() && Same(w.v[i], k.v[j + 1])) {
              ++j;
              continue;
            }
            ASSERT_LT(j + 1, k.v.size());
            ASSERT_LE(Distance(w.v[i], k.v[j], k.v[j + 1]), level.tolerance * 1.0001 + 1e-5)
                << "run " << r << " vertex " << i;
          }
          ASSERT_EQ(j + 1, k.v.size()) << "kept vertices out of the walk's order, run " << r;
        }
        // The boxes of the pieces hold their vertices.
        for (const LodPiece& p : level.pieces) {
          for (std::uint32_t q = p.first; q < p.first + p.count; ++q) {
            const LodVertex& v = level.vertices[q];
            ASSERT_TRUE(v.x >= p.lo[0] && v.x <= p.hi[0] && v.y >= p.lo[1] && v.y <= p.hi[1] &&
                        v.z >= p.lo[2] && v.z <= p.hi[2]);
          }
        }
      }
      // The coarsest levels hold little more than the ends of the runs.
      EXPECT_LT(layer.levels.back().vertices.size(), 4 * walk.size() + 200);
    }
  }
}

// Records a damaged file may leave: coordinates beyond the sane limit or no numbers, a centre
// record far away or without its arc, an arc without its centre. The walk passes them as the
// full drawing does, and the copy is made.
TEST(ToolpathLod, DamagedRecordsAreWalkedWithoutHarm) {
  CPointStore store;
  CLayerTable layers;
  store.Init();
  AddPoint(store, MOVE_RAPID, 0, 0, 0);
  AddPoint(store, MOVE_LINE, 1, std::nan(""), 0, 100);
  // An unsound ZX centre (the arc is drawn straight), a YZ centre without its arc, an arc
  // without its centre, huge coordinates.
  testing::AddPoints(store,
                     "8 2 2 0 100, 91 1 3e38 0, 6 3 1 0 100, 92 0 0 1e9, 93 1 1 1, 8 4 4 4 100, "
                     "4 3e38 0 0 100, 4 5 -3e38 1 100, 4 6 6 6 100");
  store.count += 5000;  // counted but never written
  for (bool rapids : {false, true}) {
    LodParams params;
    params.showRapids = rapids;
    params.baseTolerance = 1e-6;
    auto lod = Prepare(store, layers, params);
    ASSERT_TRUE(lod);
    ASSERT_TRUE(StrideToolpathLod(store, layers, params, lod->pens, 3));
    EXPECT_GE(lod->layers[0].levels.size(), 1u);
  }
}

// Waits for the preparing thread (at most ten seconds).
bool WaitFor(LodPreparer& p) {
  for (int k = 0; k < 10000 && !p.Finished(); ++k)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return p.Finished();
}

// The thread walks snapshots: the store and the layers are edited while it runs, as the user
// interface does between frames (built with ThreadSanitizer, this shows any record the two
// threads share unguarded); a copy of records that are gone is never handed out, and one of
// records still in place is.
TEST(ToolpathLod, APreparationOfAnEditedToolpathIsDropped) {
  CPointStore store;
  CLayerTable layers;
  MixedToolpath(store, 120, 4000);
  LodParams params;
  params.baseTolerance = 0.001;
  std::atomic<int> finished{0};
  auto done = [&] { ++finished; };

  LodPreparer p;
  ASSERT_TRUE(p.Start(store, layers, params, done));
  EXPECT_FALSE(p.Start(store, layers, params, done));  // one at a time
  EXPECT_TRUE(p.Describes(store, layers));
  ASSERT_TRUE(WaitFor(p));
  LodPreparer::Result kept = p.Take(store, layers);
  ASSERT_TRUE(kept.lod);
  EXPECT_TRUE(!p.Running() && kept.source->Matches(store, layers));

  // Edits of every kind while the walk runs: a changed mark, an appended point, a selection
  // cleared, a layer saved and echoed, the whole store replaced by an undo state.
  const std::vector<std::function<void()>> edits = {
      [&] {
        store.FetchPoint(10);
        store.reg.mark = 1;
        store.StorePoint(10);
      },
      [&] { AddPoint(store, MOVE_LINE_CONT, 1, 2, 3, 900); },
      [&] { store.ClearSelection(); },
      [&] { layers.SaveLayer(7, store); },
      [&] {
        RecordSnapshot before;
        ASSERT_TRUE(store.Snapshot(before));
        store.FetchPoint(5);
        store.reg.x += 1;
        store.StorePoint(5);
        store.Restore(before);  // the records are as before, in their old pages
      },
  };
  for (std::size_t e = 0; e < edits.size(); ++e) {
    SCOPED_TRACE(e);
    ASSERT_TRUE(p.Start(store, layers, params, done));
    edits[e]();
    ASSERT_TRUE(WaitFor(p));
    LodPreparer::Result r = p.Take(store, layers);
    // Restored pages are the pages the walk read: the copy still describes the store. The
    // copy taken before any edit no longer fits either (except after the restore).
    EXPECT_EQ(bool(r.lod), e == 4);
    if (e < 4) {
      EXPECT_FALSE(kept.source->Matches(store, layers));
    }
  }
  EXPECT_EQ(finished.load(), 6);

  // Stopped on the way: nothing comes out; and a view closed during a walk waits for it.
  ASSERT_TRUE(p.Start(store, layers, params, done));
  p.Cancel();
  ASSERT_TRUE(WaitFor(p));
  EXPECT_FALSE(p.Take(store, layers).lod);
  {
    LodPreparer closing;
    ASSERT_TRUE(closing.Start(store, layers, params, nullptr));
  }
}

// ---- The drawn arc -----------------------------------------------------------------------------

// The arc the drawings sample: its sweep by direction and plane, a whole turn for a closed arc,
// and a chord count that stays in bounds for any radius, a damaged one included; and the
// points both drawings take along it: on the circle, in order, no chord further than the
// tolerance from it at the scale given, the height along the normal climbing evenly.

PointRecord Rec(int type, float x, float y, float z) {
  PointRecord r{};
  r.type = static_cast<decltype(r.type)>(type);
  r.x = x, r.y = y, r.z = z;
  return r;
}

constexpr double kPi = 3.141592653589793;

TEST(DrawnArc, SweepFollowsDirectionPlaneAndClosure) {
  const double s[3] = {10, 0, 0};
  // From (10,0) round the origin to (0,10): a quarter counter-clockwise, three quarters
  // clockwise.
  DrawnArc d = DrawnArcOf(s, Rec(MOVE_ARC_CCW, 0, 10, 0), Rec(PLANE_XY, -10, 0, 0));
  EXPECT_LT(std::hypot(d.sweep - kPi / 2, d.r - 10, d.start), 1e-9);
  d = DrawnArcOf(s, Rec(MOVE_ARC_CW, 0, 10, 0), Rec(PLANE_XY, -10, 0, 0));
  EXPECT_NEAR(d.sweep, -3 * kPi / 2, 1e-9);
  // An arc that ends where it starts is a whole turn, either way.
  EXPECT_NEAR(DrawnArcOf(s, Rec(MOVE_ARC_CCW, 10, 0, 0), Rec(PLANE_XY, -10, 0, 0)).sweep, 2 * kPi,
              1e-9);
  EXPECT_NEAR(DrawnArcOf(s, Rec(MOVE_ARC_CW, 10, 0, 0), Rec(PLANE_XY, -10, 0, 0)).sweep, -2 * kPi,
              1e-9);
  // G18: angles from +Z towards +X, Y the normal.
  const double t[3] = {0, 5, 10};
  d = DrawnArcOf(t, Rec(MOVE_ARC_CCW, 10, 5, 0), Rec(PLANE_ZX, 0, 0, -10));
  EXPECT_EQ(std::tuple(d.a, d.b, d.n), std::tuple(2, 0, 1));
  EXPECT_NEAR(d.sweep, kPi / 2, 1e-9);
}

TEST(DrawnArc, ChordCountStaysInBounds) {
  EXPECT_EQ(ChordSteps(kPi, 0.4, 0.33, 0.5), 1);  // smaller than a pixel: the end alone
  EXPECT_EQ(ChordSteps(1e-9, 100, 0.33, 0.5), 2);
  const int quarter = ChordSteps(kPi / 2, 100, 0.33, 0.5);
  EXPECT_GT(quarter, 2);
  EXPECT_LT(quarter, 40);
  // The tolerance vanishes beside a huge or infinite radius.
  for (auto [sweep, r] : {std::pair(2 * kPi, 1e30),
                          {2 * kPi, std::numeric_limits<double>::infinity()},
                          {std::nan(""), 100.0}})
    EXPECT_EQ(ChordSteps(sweep, r, 0.33, 0.5), 4000) << sweep << " " << r;
  EXPECT_EQ(ChordSteps(kPi, std::nan(""), 0.33, 0.5), 1);
}

TEST(DrawnArcSamples, OnTheCircleInOrderWithinTheTolerance) {
  const double s[3] = {10, 0, 2};
  const struct {
    PointRecord end, centre;
    double scale, tol, minRadius;
    int a, b, n;     // the plane's axes and its normal
    int wantPoints;  // -1: many, checked by the chords
  } cases[] = {
      // A helix quarter in XY drawn in pixels at two zooms, and in model units.
      {Rec(MOVE_ARC_CCW, 0, 10, 6), Rec(PLANE_XY, -10, 0, 0), 1.0, 0.33, 0.5, 0, 1, 2, -1},
      {Rec(MOVE_ARC_CCW, 0, 10, 6), Rec(PLANE_XY, -10, 0, 0), 40.0, 0.33, 0.5, 0, 1, 2, -1},
      {Rec(MOVE_ARC_CW, 0, 10, 6), Rec(PLANE_XY, -10, 0, 0), 1.0, 0.01, 0.015, 0, 1, 2, -1},
      // In ZX round (10, 0, -8): the radius 10 in Z and X.
      {Rec(MOVE_ARC_CCW, 10, 5, -18), Rec(PLANE_ZX, 0, 0, -10), 1.0, 0.01, 0.015, 2, 0, 1, -1},
      // Too small at this scale: the end alone, nothing between.
      {Rec(MOVE_ARC_CCW, 0, 10, 6), Rec(PLANE_XY, -10, 0, 0), 0.04, 0.33, 0.5, 0, 1, 2, 0},
  };
  for (const auto& c : cases) {
    std::vector<std::array<double, 3>> pts;
    SampleDrawnArc(s, c.end, c.centre, c.scale, c.tol, c.minRadius, [&](const double p[3]) {
      pts.push_back({p[0], p[1], p[2]});
    });
    if (c.wantPoints >= 0) {
      EXPECT_EQ(static_cast<int>(pts.size()), c.wantPoints);
      continue;
    }
    ASSERT_GE(pts.size(), 2u);
    const DrawnArc d = DrawnArcOf(s, c.end, c.centre);
    const double e[3] = {c.end.x, c.end.y, c.end.z};
    std::vector<std::array<double, 3>> all{{s[0], s[1], s[2]}};
    all.insert(all.end(), pts.begin(), pts.end());
    all.push_back({e[0], e[1], e[2]});
    double lastAngle = d.start, lastH = s[c.n];
    for (std::size_t k = 1; k < all.size(); ++k) {
      const auto& p = all[k];
      EXPECT_NEAR(std::hypot(p[c.a] - d.ca, p[c.b] - d.cb), d.r, 1e-6);
      // Each step turns the same way as the sweep and the normal moves monotonically.
      const double turn =
          std::remainder(std::atan2(p[c.b] - d.cb, p[c.a] - d.ca) - lastAngle, 2 * kPi);
      EXPECT_GT(turn * d.sweep, 0) << k;
      EXPECT_GE((p[c.n] - lastH) * (e[c.n] - s[c.n]), 0) << k;
      // The chord's middle lies within the tolerance (at the scale) of the circle.
      const auto& q = all[k - 1];
      const double mid = std::hypot(0.5 * (p[c.a] + q[c.a]) - d.ca, 0.5 * (p[c.b] + q[c.b]) - d.cb);
      EXPECT_LE((d.r - mid) * c.scale, c.tol + 1e-9) << k;
      lastAngle += turn, lastH = p[c.n];
    }
  }
}

}  // namespace
}  // namespace trevalon
