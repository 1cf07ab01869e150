// The linear and arc filters and subdivision: what goes, what stays, and that each command
// is one undo step that leaves an unsuitable toolpath as it was.

#include "edit/filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>

#include "edit/subdivide.h"
#include "model/geometry.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoint;
using testing::AddPoints;
using testing::Records;

struct FilterFixture : ::testing::Test, testing::EditParts {
  std::string Filtered(const char* points, double t = 0.001) {
    store.count = 0;
    AddPoints(store, points);
    const Outcome o = LinearFilter(ctx, t);
    EXPECT_TRUE(o.ok() || o.code() == OutcomeCode::Unchanged) << o.reason();
    return Records(store);
  }
};

TEST_F(FilterFixture, LinearFilterDropsPointsOnALineButNotCornersOrFeedChanges) {
  // Three collinear points at one feed lose the middle one, at the end of the store as before
  // a rapid; the plunge is no part of the line.
  EXPECT_EQ(Filtered("1 0 0 5 500, 3 0 0 0 500, 4 1 0 0 500, 4 2 0 0 500"),
            "1 0 0 5, 3 0 0 0, 4 2 0 0");
  EXPECT_EQ(Filtered("1 0 0 5 500, 3 0 0 0 500, 4 1 0 0 500, 4 2 0 0 500, 1 2 0 5 500"),
            "1 0 0 5, 3 0 0 0, 4 2 0 0, 1 2 0 5");
  // A rapid without a feed: the first cut's feed stands for it, nothing is divided by 0.
  EXPECT_EQ(Filtered("1 -1 0 0 0, 3 0 0 0 500, 4 1 0 0 500"), "1 -1 0 0, 3 1 0 0");
  // A feed 20 % up keeps the point where it changes; 5 % does not.
  EXPECT_EQ(Filtered("1 0 0 5 500, 3 0 0 0 500, 4 1 0 0 500, 4 2 0 0 600"),
            "1 0 0 5, 3 0 0 0, 4 1 0 0, 4 2 0 0");
  EXPECT_EQ(Filtered("1 0 0 5 500, 3 0 0 0 500, 4 1 0 0 500, 4 2 0 0 525"),
            "1 0 0 5, 3 0 0 0, 4 2 0 0");
  // An arc's end is an anchor: the line after it keeps its first point.
  EXPECT_EQ(Filtered("1 0 0 5 500, 3 0 0 0 500, 6 10 10 0 500, 91 0 10 0 500, 3 11 10 0 500, "
                     "4 12 10 0 500, 4 13 10 0 500"),
            "1 0 0 5, 3 0 0 0, 6 10 10 0, 91 0 10 0, 3 11 10 0, 4 13 10 0");
  // The tolerance is the single-precision one: a point 0.0010000000474974513 off stays
  // within 0.001.
  EXPECT_EQ(Filtered("1 0 0 5 500, 3 0 0 0 500, 4 1 0.001 0 500, 4 2 0 0 500"),
            "1 0 0 5, 3 0 0 0, 4 2 0 0");
}

// The distance of p from the cut a-b as the filter measures it: from the nearer end for a
// point beyond the cut, from a alone for a cut shorter than a thousandth.
double OffCut(const PointRecord& p, const PointRecord& a, const PointRecord& b) {
  const double d[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, w[3] = {p.x - a.x, p.y - a.y, p.z - a.z};
  const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  const double u =
      dd >= 1e-6 ? std::clamp((w[0] * d[0] + w[1] * d[1] + w[2] * d[2]) / dd, 0.0, 1.0) : 0.0;
  return std::hypot(w[0] - u * d[0], w[1] - u * d[1], w[2] - u * d[2]);
}

// The reference walk over a rapid and one run of cuts at one feed, measuring every point for
// every end: from the anchor, the first end that leaves a point between beyond the tolerance
// makes the point before it the next anchor, and the points strictly between go. Every point
// taken out thus lies within the tolerance of the cut that replaces it, which bounds every
// point of its cuts as well.
std::vector<std::uint32_t> ReferenceRemovals(const CPointStore& s, double t) {
  std::vector<std::uint32_t> out;
  std::uint32_t anchor = 0;
  for (std::uint32_t e = 2; e < s.count; ++e) {
    for (std::uint32_t j = anchor + 1; j < e; ++j) {
      if (OffCut(*s.RawRecord(j), *s.RawRecord(anchor), *s.RawRecord(e)) > t) {
        for (std::uint32_t r = anchor + 1; r + 1 < e; ++r) out.push_back(r);
        anchor = e - 1;
        break;
      }
    }
  }
  for (std::uint32_t r = anchor + 1; r + 1 < s.count; ++r) out.push_back(r);
  return out;
}

TEST_F(FilterFixture, LinearFilterTakesOutWhatTheReferenceWalkDoes) {
  // Hand-picked runs: out to X30 and back to X10 along one line (X30 lies on the line through
  // the anchor and X10 but 20 beyond the cut), turns back by less and by more than the
  // tolerance, and a long line with noise just under and over the tolerance, where the
  // shortcut that skips measuring is taken.
  for (const char* run :
       {"1 0 0 5, 3 0 0 0, 4 10 0 0, 4 20 0 0, 4 30 0 0, 4 20 0 0, 4 10 0 0, 4 10 5 0",
        "1 0 0 5, 3 0 0 0, 4 10 0 0, 4 9.996 0 0, 4 20 0 0",
        "1 0 0 5, 3 0 0 0, 4 10 0 0, 4 9.99 0 0, 4 20 0 0"}) {
    store.count = 0;
    AddPoints(store, run);
    EXPECT_EQ(LinearFilterRemovals(store, 0.005), ReferenceRemovals(store, 0.005)) << run;
  }
  store.count = 0;
  AddPoint(store, MOVE_RAPID, 0, 0, 5, 400);
  std::uint32_t seed = 7;
  auto noise = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return ((seed >> 8) % 2001) / 1000.0 - 1.0;  // -1 .. 1
  };
  for (int i = 0; i < 3000; ++i) {
    const double y = 0.0006 * noise() + i * 1e-5;
    AddPoint(store, i ? MOVE_LINE_CONT : MOVE_LINE, i * 0.05, y, 0, 400);
  }
  const std::vector<std::uint32_t> removed = LinearFilterRemovals(store, FilterTolerance(0.001));
  EXPECT_EQ(removed, ReferenceRemovals(store, FilterTolerance(0.001)));
  EXPECT_GT(removed.size(), 2000u);

  // Random runs: straight stretches with noise, turns back along the line, repeated points
  // and steps of a few micrometres.
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int round = 0; round < 200; ++round) {
    store.count = 0;
    const double t = FilterTolerance(round % 2 ? 0.01 : 0.001);
    AddPoint(store, MOVE_RAPID, 0, 0, 5, 500);
    double at[3] = {0, 0, 0}, dir[3] = {1, 0, 0};
    AddPoint(store, MOVE_LINE, 0, 0, 0, 500);
    for (int i = 0; i < 300; ++i) {
      const int r = static_cast<int>(rng() % 20);
      if (r == 0) {
        for (double& c : dir) c = unit(rng);
      } else if (r == 1) {
        for (double& c : dir) c = -c;  // back along the line
      }
      const double step = r == 2 ? 0.0 : r == 3 ? 0.003 * unit(rng) : 1 + unit(rng);
      for (int a = 0; a < 3; ++a) at[a] += dir[a] * step + t * 0.4 * unit(rng);
      AddPoint(store, MOVE_LINE_CONT, at[0], at[1], at[2], 500);
    }
    ASSERT_EQ(LinearFilterRemovals(store, t), ReferenceRemovals(store, t)) << "round " << round;
  }
}

TEST_F(FilterFixture, ArcFilterMakesArcsFlatterThanTheToleranceStraight) {
  // Radius 10: the chord of 1 degree lies 0.00038 from the arc, within 0.001 (the largest
  // such sweep is about 1.62 degrees); 2 degrees stay an arc.
  const double d1 = 1 * kDegToRad, d3 = 3 * kDegToRad;
  AddPoints(store, "1 10 0 5 300, 3 10 0 0 300");
  AddPoint(store, MOVE_ARC_CCW, 10 * std::cos(d1), 10 * std::sin(d1), 0, 300);
  AddPoint(store, PLANE_XY, -10, 0, 0, 300);
  AddPoint(store, MOVE_ARC_CCW, 10 * std::cos(d3), 10 * std::sin(d3), 0, 300);
  AddPoint(store, PLANE_XY, -10 * std::cos(d1), -10 * std::sin(d1), 0, 300);
  FilterSummary sum;
  ASSERT_TRUE(ArcFilter(ctx, 0.001, &sum).ok());
  ASSERT_EQ(std::tuple(sum.changed, store.count), std::tuple(1u, 5u));
  EXPECT_EQ(
      std::tuple(store.RawRecord(2)->type, store.RawRecord(3)->type, store.RawRecord(4)->type),
      std::tuple(MOVE_LINE_CONT, MOVE_ARC_CCW, PLANE_XY));
  // Nothing left to flatten: no change and no snapshot; one undo brings the arc back.
  EXPECT_EQ(ArcFilter(ctx, 0.001).code(), OutcomeCode::Unchanged);
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(std::tuple(store.RawRecord(2)->type, redraws), std::tuple(MOVE_ARC_CCW, 1));
}

TEST_F(FilterFixture, SubdivisionSplitsOnlyCutsLongerThanTheStepInItsScope) {
  const char* path = "1 0 0 0.5, 3 0 0 0, 4 2.5 0 0 0 1, 4 3.5 0 0, 4 5.5 0 0 0 1";
  AddPoints(store, path);
  SubdivideSummary sum;
  SubdivideRequest all;
  all.step = 1;
  ASSERT_TRUE(Subdivide(ctx, all, &sum).ok());
  // 2.5 long: 3 steps; exactly 1 long: alone; 2 long: int(2) + 1 = 3 steps.
  EXPECT_EQ(Records(store),
            "1 0 0 0.5, 3 0 0 0, 4 0.833333 0 0, 4 1.66667 0 0, 4 2.5 0 0, 4 3.5 0 0, "
            "4 4.16667 0 0, 4 4.83333 0 0, 4 5.5 0 0");
  // The steps keep the cut's mark.
  EXPECT_EQ(std::tuple(sum.cutsSplit, store.RawRecord(4)->mark), std::tuple(2u, 1));

  // The other scopes on the same path: the selected cuts (mark 1), the cuts ending inside a
  // polygon around x = 2.5 in the top view, and the one picked cut.
  view.SetDirection(1);
  view.scale = 10;
  view.width = 400, view.height = 400;
  auto window = [&](double x, double y) {
    const WindowPoint w = view.Project(x, y, 0);
    return RegionPoint{double(w.x + 200), double(w.y + 200), 0};
  };
  const RegionPoint a = window(2, -1), b = window(3, 1);
  const Region polygon = Region::Polygon({a, {b.x, a.y, 0}, b, {a.x, b.y, 0}});
  struct Scope {
    SubdivideRequest r;
    std::uint32_t points;
  };
  SubdivideRequest selected = all, inPolygon = all, point = all;
  selected.scope = SubdivideScope::Selected;
  inPolygon.scope = SubdivideScope::Polygon;
  inPolygon.region = &polygon;
  point.scope = SubdivideScope::Point;
  point.point = 4;  // the cut to 5.5
  for (const Scope& s : {Scope{selected, 9}, Scope{inPolygon, 7}, Scope{point, 7}}) {
    store.count = 0;
    AddPoints(store, path);
    const int before = redraws;
    ASSERT_TRUE(Subdivide(ctx, s.r).ok());
    EXPECT_EQ(store.count, s.points);
    // "1 Point" changes nothing on screen and asks for no redraw.
    EXPECT_EQ(redraws - before, s.r.scope == SubdivideScope::Point ? 0 : 1);
    ASSERT_EQ(undo.Undo(store), 1);  // every subdivision is one undo step
    EXPECT_EQ(Records(store), "1 0 0 0.5, 3 0 0 0, 4 2.5 0 0, 4 3.5 0 0, 4 5.5 0 0");
  }
  // A picked rapid, a point beyond the store, a step of 0: nothing changes.
  point.point = 0;
  const Outcome rapid = Subdivide(ctx, point);
  point.point = 99;
  const Outcome beyond = Subdivide(ctx, point);
  all.step = 0;
  EXPECT_EQ(std::tuple(rapid.code(), beyond.code(), Subdivide(ctx, all).code()),
            std::tuple(OutcomeCode::Unchanged, OutcomeCode::Refused, OutcomeCode::Refused));
  EXPECT_EQ(Records(store), "1 0 0 0.5, 3 0 0 0, 4 2.5 0 0, 4 3.5 0 0, 4 5.5 0 0");
}

}  // namespace
}  // namespace trevalon
