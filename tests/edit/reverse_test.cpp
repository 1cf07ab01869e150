// Reversing paths: every move keeps its kind, feed and centre and only runs the other way; the
// scopes put the chosen paths first; one picked path keeps its place. The commands that turn
// paths round in their place as well (Z up to Z down, the start points), and the sort, which
// puts them in another order.

#include "edit/reverse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <tuple>

#include "edit/compaction.h"
#include "edit/path_runs.h"
#include "edit/rapid_rebuild.h"
#include "edit/sort_paths.h"
#include "edit/start_points.h"
#include "edit/z_up_down.h"
#include "model/geometry.h"
#include "model/point_store.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

// Every field of every record, for comparisons that include feeds and marks.
std::string Full(const CPointStore& s) {
  std::string out;
  char one[128];
  for (std::uint32_t i = 0; i < s.count; ++i) {
    const PointRecord* r = s.RawRecord(i);
    std::snprintf(one, sizeof one, "%d %.9g %.9g %.9g %d %d; ", r->type, double{r->x}, double{r->y},
                  double{r->z}, r->feed, r->mark);
    out += one;
  }
  return out;
}

// Each arc as (in-plane centre, radius at its start, radius at its end).
struct ArcSeen {
  double ca, cb, r0, r1;
};
std::vector<ArcSeen> Arcs(CPointStore& s) {
  std::vector<ArcSeen> arcs;
  for (std::uint32_t i = 0; i < s.count; ++i) {
    if (!s.IsArc(i)) continue;
    StoredArc a;
    ArcOfPoint(s, i, a);
    const PlaneAxes ax = AxesOfPlane(a.plane);
    arcs.push_back({a.centre[ax.a], a.centre[ax.b],
                    std::hypot(a.start[ax.a] - a.centre[ax.a], a.start[ax.b] - a.centre[ax.b]),
                    std::hypot(a.end[ax.a] - a.centre[ax.a], a.end[ax.b] - a.centre[ax.b])});
  }
  return arcs;
}

struct Reverse : ::testing::Test, testing::EditParts {};

// A path with lines, arcs in all three planes and values as NC programs give them.
constexpr const char* kMixedPath =
    "1 1.5 -2.25 3 7 0, 3 12.345 67.891 -1.5 100 1, 8 18.655 67.891 -1.5 200 1, "
    "91 3.155 -2.359 0 200 1, 6 18.655 60.001 -1.5 300 0, 91 -4.118 -3.945 0 300 0, "
    "4 18.655 60.001 2.75 400 0, 6 26.655 60.001 10.75 500 0, 92 0 0 8 500 0, "
    "8 26.655 52.001 18.75 600 0, 93 0 -8 0 600 0";

TEST_F(Reverse, ReversingARangeTwiceGivesEveryRecordBackAndArcsKeepTheirCentres) {
  AddPoints(store, kMixedPath);
  const std::string before = Full(store);
  const std::vector<ArcSeen> arcsBefore = Arcs(store);

  ASSERT_TRUE(ReverseRange(store, 0, store.count - 2));
  CompactStore(store);
  // Types and feeds travel with the moves: the last point starts the run with the first
  // point's feed, every arc runs the other way.
  EXPECT_EQ(Records(store),
            "1 26.655 52.001 18.75, 6 26.655 60.001 10.75, 93 0 0 -8, 8 18.655 60.001 2.75, "
            "92 -8 0 0, 4 18.655 60.001 -1.5, 8 18.655 67.891 -1.5, 91 -4.118 3.945 0, "
            "6 12.345 67.891 -1.5, 91 -3.155 -2.359 0, 3 1.5 -2.25 3");
  EXPECT_EQ(std::tuple(store.RawRecord(0)->feed, store.RawRecord(1)->feed,
                       store.RawRecord(10)->feed, store.RawRecord(10)->mark),
            std::tuple(7, 600, 100, 1));
  // Every centre stays where it was (the arcs come in the opposite order), and each arc starts
  // and ends on its circle.
  const std::vector<ArcSeen> arcsAfter = Arcs(store);
  ASSERT_EQ(arcsAfter.size(), arcsBefore.size());
  for (std::size_t k = 0; k < arcsBefore.size(); ++k) {
    const ArcSeen &b = arcsBefore[k], &a = arcsAfter[arcsAfter.size() - 1 - k];
    EXPECT_LT(std::max({std::fabs(a.ca - b.ca), std::fabs(a.cb - b.cb), std::fabs(a.r0 - b.r1),
                        std::fabs(a.r1 - b.r0)}),
              1e-5)
        << k;
  }

  ASSERT_TRUE(ReverseRange(store, 0, store.count - 1));
  CompactStore(store);
  EXPECT_EQ(Full(store), before);
}

// Four passes along X at y = 0, 10, 20, 30, each from x = 0 to 100 in two cuts, joined as the
// rapid rebuild joins them; the passes' middle points carry their number as feed.
void FourPasses(CPointStore& s, double retract) {
  AddPoints(s,
            "1 0 0 5, 2 0 0 0, 3 50 0 0 1, 4 100 0 0 1, 1 0 10 5, 2 0 10 0, 3 50 10 0 2, "
            "4 100 10 0 2, 1 0 20 5, 2 0 20 0, 3 50 20 0 3, 4 100 20 0 3, 1 0 30 5, 2 0 30 0, "
            "3 50 30 0 4, 4 100 30 0 4");
  ASSERT_TRUE(RapidRebuild(s, retract));
}

// The cutting runs as "y:from>to" with the direction of each pass.
std::string Passes(CPointStore& s) {
  std::string out;
  for (std::uint32_t i = 1; i < s.count; ++i) {
    if (!s.IsLinear(i)) continue;
    const double y = s.reg.y, to = s.reg.x;
    s.FetchPoint(s.PrevMotion(i));
    char part[64];
    if (s.reg.type == MOVE_RAPID_CONT || s.reg.type == MOVE_RAPID) {
      std::snprintf(part, sizeof part, "%s%d:%d", out.empty() ? "" : " ", static_cast<int>(y),
                    static_cast<int>(s.reg.x));
      out += part;
    }
    if (!s.IsLinear(i + 1)) {
      std::snprintf(part, sizeof part, ">%d", static_cast<int>(to));
      out += part;
    }
  }
  return out;
}

TEST_F(Reverse, TwoWayAlternatesDirectionTwiceRestoresAndOrderKeepsDirections) {
  FourPasses(store, retract);
  const std::string canonical = Full(store);
  ASSERT_EQ(Passes(store), "0:0>100 10:0>100 20:0>100 30:0>100");

  ReverseOptions twoWay;
  twoWay.direction = false, twoWay.twoWay = true;
  ASSERT_TRUE(ReverseCommand(ctx, twoWay).ok());
  EXPECT_EQ(Passes(store), "0:0>100 10:100>0 20:0>100 30:100>0");
  // The traverses are made anew at the retract height: no cut is entered from below it.
  EXPECT_EQ(Records(store).substr(0, 81),
            "1 0 0 50, 2 0 0 0, 3 50 0 0, 4 100 0 0, 1 100 0 50, 2 100 10 50, 2 100 10 0, 3 50");

  store.count = 0;
  FourPasses(store, retract);
  const ReverseOptions direction;
  ASSERT_TRUE(ReverseCommand(ctx, direction).ok());
  EXPECT_EQ(Passes(store), "0:100>0 10:100>0 20:100>0 30:100>0");
  ASSERT_TRUE(ReverseCommand(ctx, direction).ok());
  EXPECT_EQ(Full(store), canonical);

  // Direction and order together: the paths come backwards, each in its own direction.
  ReverseOptions both;
  both.order = true;
  ASSERT_TRUE(ReverseCommand(ctx, both).ok());
  EXPECT_EQ(Passes(store), "30:0>100 20:0>100 10:0>100 0:0>100");
  // Order alone runs the whole toolpath backwards.
  ReverseOptions order;
  order.direction = false, order.order = true;
  ASSERT_TRUE(ReverseCommand(ctx, order).ok());
  EXPECT_EQ(Passes(store), "0:100>0 10:100>0 20:100>0 30:100>0");
  // Each reversal is one undo step: undo brings back the toolpath before the order reversal.
  EXPECT_EQ(undo.undoPos, 5u);
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(Passes(store), "30:0>100 20:0>100 10:0>100 0:0>100");
}

TEST_F(Reverse, APlungeAtFeedStaysTheWayIntoTheReversedPath) {
  // Down by rapid to 5 above the material, then at feed 600 to -14 and cut at 1200.
  AddPoints(store,
            "1 -40 -30 50, 2 -40 -30 -9, 3 -40 -30 -14 600, 4 -30 -30 -14 1200, "
            "4 -30 -20 -14 1200, 1 -30 -20 50");
  ASSERT_TRUE(RapidRebuild(store, retract));
  const std::string before = Records(store);
  const ReverseOptions direction;
  ASSERT_TRUE(ReverseCommand(ctx, direction).ok());
  // No rapid down into the material at the new start: the plunge comes with it.
  EXPECT_EQ(Records(store),
            "1 -40 -30 50, 2 -30 -20 50, 2 -30 -20 -9, 3 -30 -20 -14, 4 -30 -30 -14, "
            "4 -40 -30 -14, 1 -40 -30 50");
  EXPECT_EQ(std::tuple(store.RawRecord(3)->feed, store.RawRecord(5)->feed), std::tuple(600, 1200));
  // Twice: every move back with its cutting feed (a rapid's feed is no part of a move).
  ASSERT_TRUE(ReverseCommand(ctx, direction).ok());
  EXPECT_EQ(Records(store), before);
  EXPECT_EQ(std::tuple(store.RawRecord(2)->feed, store.RawRecord(4)->feed), std::tuple(600, 1200));
}

TEST_F(Reverse, ChosenPathsComeFirstAndTheOthersFollowInTheirOldOrder) {
  FourPasses(store, retract);
  // Select passes 2 and 4 (every point of them, as a path selection marks them) and the
  // second cut of pass 3 alone.
  for (std::uint32_t i = 0; i < store.count; ++i) {
    store.FetchPoint(i);
    const int y = static_cast<int>(store.reg.y);
    if (y == 10 || y == 30 || (y == 20 && store.reg.x == 100)) store.reg.mark = 1;
    store.StorePoint(i);
  }
  ReverseOptions selected;
  selected.scope = PathScope::Selected;
  ASSERT_TRUE(ReverseCommand(ctx, selected).ok());
  // Passes 2 and 4 reversed, then the selected half of pass 3 reversed as a path of its own,
  // then pass 1 and the first half of pass 3, in their direction.
  EXPECT_EQ(Passes(store), "10:100>0 20:100>50 30:100>0 0:0>100 20:0>50");

  // A polygon round pass 1's middle (window positions of the top view) chooses pass 1.
  store.count = 0;
  FourPasses(store, retract);
  view.SetDirection(1);
  view.width = 400, view.height = 400, view.scale = 2, view.cu = 50, view.cv = -15;
  const WindowPoint w = view.Project(50, 0, 0);
  const double x = w.x + 200, y = w.y + 200;
  const Region polygon = Region::Polygon({{x - 5, y - 5, 0}, {x + 5, y - 5, 0}, {x, y + 5, 0}});
  ReverseOptions byPolygon;
  byPolygon.scope = PathScope::Polygon;
  ASSERT_TRUE(ReverseCommand(ctx, byPolygon, &polygon).ok());
  EXPECT_EQ(Passes(store), "0:100>0 10:0>100 20:0>100 30:0>100");
  const Region far = Region::Polygon({{0, 0, 0}, {4, 0, 0}, {0, 4, 0}});
  EXPECT_EQ(ReverseCommand(ctx, byPolygon, &far).code(), OutcomeCode::Unchanged);
}

TEST_F(Reverse, OnePickedPathKeepsItsPlace) {
  FourPasses(store, retract);
  // Record 6 is the plunge onto pass 2, 7 a cut of it; 4 is the retract after pass 1.
  ASSERT_TRUE(ReversePathCommand(ctx, 7).ok());
  EXPECT_EQ(Passes(store), "0:0>100 10:100>0 20:0>100 30:0>100");
  ASSERT_TRUE(ReversePathCommand(ctx, 6).ok());
  EXPECT_EQ(Passes(store), "0:0>100 10:0>100 20:0>100 30:0>100");
  const std::string now = Full(store);
  EXPECT_EQ(ReversePathCommand(ctx, 4).code(), OutcomeCode::Unchanged);
  EXPECT_EQ(ReversePathCommand(ctx, store.count).code(), OutcomeCode::Refused);
  EXPECT_EQ(Full(store), now);
}

// ---- Z up and down -----------------------------------------------------------------------------

// Z up to Z down: climbing cuts are cut downhill, as whole paths or as the climbing parts.

struct ZUpDown : ::testing::Test, testing::EditParts {};

// Path 1 climbs 8 and stays up; path 2 climbs 10 and comes down 8.
constexpr const char* kTwoPaths =
    "1 0 0 50, 2 0 0 0, 3 10 0 0, 4 20 0 8, 4 30 0 8, 1 30 0 50, 2 40 0 50, 2 40 0 0, "
    "3 50 0 0, 4 60 0 10, 4 70 0 2";

TEST_F(ZUpDown, WholePathsTurnWhenTheyClimbMoreThanTheyDescend) {
  AddPoints(store, kTwoPaths);
  ZUpDownOptions o;
  o.risingOnly = false;
  ASSERT_TRUE(ZUpDownCommand(ctx, o).ok());
  EXPECT_EQ(Records(store),
            "1 0 0 50, 2 30 0 50, 2 30 0 8, 3 20 0 8, 4 10 0 0, 4 0 0 0, 1 0 0 50, 2 40 0 50, "
            "2 40 0 0, 3 50 0 0, 4 60 0 10, 4 70 0 2");
  ASSERT_EQ(undo.Undo(store), 1);
  // Steeper than the climb (38.7 and 45 degrees), or a climb above the search height: nothing.
  o.angle = 50;
  EXPECT_EQ(ZUpDownCommand(ctx, o).code(), OutcomeCode::Unchanged);
  o.angle = 10, o.height = 7;
  EXPECT_EQ(ZUpDownCommand(ctx, o).code(), OutcomeCode::Unchanged);
}

TEST_F(ZUpDown, ClimbingPartsAreCutDownhillInTheirPlace) {
  AddPoints(store, kTwoPaths);
  ZUpDownOptions o;  // rising parts only, climbs of 5 and more
  ASSERT_TRUE(ZUpDownCommand(ctx, o).ok());
  EXPECT_EQ(Records(store),
            "1 0 0 50, 2 0 0 0, 3 10 0 0, 1 10 0 50, 2 20 0 50, 2 20 0 8, 3 10 0 0, 1 10 0 50, "
            "2 20 0 50, 2 20 0 8, 3 30 0 8, 1 30 0 50, 2 40 0 50, 2 40 0 0, 3 50 0 0, "
            "1 50 0 50, 2 60 0 50, 2 60 0 10, 3 50 0 0, 1 50 0 50, 2 60 0 50, 2 60 0 10, "
            "3 70 0 2");
  // Only selected paths: none is.
  ASSERT_EQ(undo.Undo(store), 1);
  o.selectedOnly = true;
  EXPECT_EQ(ZUpDownCommand(ctx, o).code(), OutcomeCode::Unchanged);
  o.selectedOnly = false, o.safe = 11;  // no climb is worth turning
  EXPECT_EQ(ZUpDownCommand(ctx, o).code(), OutcomeCode::Unchanged);
}

// ---- Start points ------------------------------------------------------------------------------

// Start points: an open path starts at its end nearer to a click; a closed loop is written
// anew from the point nearest to a click, an arc split there about its own centre.

struct StartPoints : ::testing::Test, testing::EditParts {
  StartPoints() { TopView(400, 400); }
  // The click that lands on model point (x, y) of the top view.
  static ClickPosition At(double x, double y) {
    return {static_cast<int>(x) + 200, 200 - static_cast<int>(y)};
  }
};

TEST_F(StartPoints, OpenPathsStartAtTheEndNearerToTheirNearestClick) {
  AddPoints(store,
            "1 0 0 50, 2 0 0 0, 3 10 0 0, 1 10 0 50, 2 20 0 50, 2 20 0 0, 3 30 0 0, "
            "1 30 0 50");
  // One click beside the first path's start, one beside the second path's end.
  ASSERT_TRUE(StartPointsCommand(ctx, StartPointPaths::Open, {At(-1, 0), At(29, 1)}).ok());
  EXPECT_EQ(Records(store),
            "1 0 0 50, 2 0 0 0, 3 10 0 0, 1 10 0 50, 2 30 0 50, 2 30 0 0, 3 20 0 0, 1 20 0 50");
  // Closed paths only: nothing to do for open ones.
  EXPECT_EQ(StartPointsCommand(ctx, StartPointPaths::Closed, {At(29, 1)}).code(),
            OutcomeCode::Unchanged);
}

TEST_F(StartPoints, AClosedLoopStartsAtTheFootPointAndUndoBringsItBack) {
  const char* square = "1 0 0 50, 2 0 0 -1, 3 10 0 -1, 4 10 10 -1, 4 0 10 -1, 4 0 0 -1";
  AddPoints(store, square);
  // The click lies 1 beside the right edge, 4 up it.
  ASSERT_TRUE(StartPointsCommand(ctx, StartPointPaths::Both, {At(11, 4)}).ok());
  EXPECT_EQ(Records(store),
            "1 0 0 50, 2 10 4 50, 2 10 4 -1, 3 10 10 -1, 4 0 10 -1, 4 0 0 -1, 4 10 0 -1, "
            "4 10 4 -1, 1 10 4 50");
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(Records(store), square);
}

TEST_F(StartPoints, AWholeCircleIsSplitIntoTwoArcsAboutItsCentre) {
  AddPoints(store, "1 10 0 50, 2 10 0 -1, 6 10 0 -1 500, 91 -10 0 0 500");
  ASSERT_TRUE(StartPointsCommand(ctx, StartPointPaths::Closed, {At(0, 12)}).ok());
  // The foot point is (0, 10) as the angle routines place it.
  EXPECT_EQ(Records(store),
            "1 10 0 50, 2 3.65002e-08 10 50, 2 3.65002e-08 10 -1, 6 10 0 -1, "
            "91 -3.65002e-08 -10 0, 6 3.65002e-08 10 -1, 91 -10 0 0, 1 3.65002e-08 10 50");
  for (std::uint32_t i : {3u, 5u}) {
    StoredArc a;
    ArcOfPoint(store, i, a);
    EXPECT_LT(std::hypot(a.centre[0], a.centre[1]), 1e-6) << i;
    EXPECT_NEAR(a.arc.radius, 10, 1e-5) << i;
    if (i == 3) {
      EXPECT_NEAR(a.arc.sweep, 270, 1e-3);
    }
  }
}

TEST_F(StartPoints, ALoopEnteredByACutIsEnteredTheSameWayAtItsNewStart) {
  // A plunge at feed 50 from 5 down to the loop, which closes at the plunge's end.
  AddPoints(store,
            "1 0 0 5, 3 0 0 -1 50, 4 10 0 -1 500, 4 10 10 -1 500, 4 0 10 -1 500, 4 0 0 -1 500");
  ASSERT_TRUE(StartPointsCommand(ctx, StartPointPaths::Closed, {At(5, 0)}).ok());
  EXPECT_EQ(Records(store),
            "1 5 0 50, 2 5 0 5, 3 5 0 -1, 4 10 0 -1, 4 10 10 -1, 4 0 10 -1, 4 0 0 -1, "
            "4 5 0 -1, 1 5 0 50");
  EXPECT_EQ(std::tuple(store.RawRecord(2)->feed, store.RawRecord(7)->feed), std::tuple(50, 500));
}

TEST_F(StartPoints, OutsideTheOrthographicViewsNothingChanges) {
  AddPoints(store, "1 0 0 50, 2 0 0 0, 3 10 0 0");
  view.SetDirection(4);
  EXPECT_EQ(StartPointsCommand(ctx, StartPointPaths::Open, {At(9, 0)}).code(),
            OutcomeCode::Refused);
  EXPECT_EQ(std::tuple(Records(store), undo.undoPos),
            std::tuple("1 0 0 50, 2 0 0 0, 3 10 0 0", 0u));
}

// ---- Sorting paths -----------------------------------------------------------------------------

// Sorting paths: the grid search gives exactly the order of the plain nearest search, ties
// included; the sort never loses or repeats a path and keeps the store order beyond the sort
// distance; mode 4 lowers or joins the way between close paths.

TEST(SortOrder, GridSearchGivesThePlainSearchsOrderTiesIncluded) {
  for (unsigned seed = 1; seed <= 60; ++seed) {
    std::mt19937 rng(seed);
    // Points on a coarse lattice, so that many distances are equal; some seeds crowd them
    // into a few cells, some spread them, some add points no grid holds.
    const int n = 1 + static_cast<int>(rng() % 400);
    const int span = seed % 3 == 0 ? 3 : 40;
    auto lattice = [&] { return static_cast<double>(static_cast<int>(rng() % span)) * 0.5; };
    std::vector<PathEnds> paths(n);
    for (PathEnds& p : paths) {
      p.start[0] = lattice(), p.start[1] = lattice(), p.start[2] = (rng() % 2) * 1.5;
      p.end[0] = p.start[0] + lattice() / 4, p.end[1] = p.start[1] - lattice() / 4;
      p.end[2] = p.start[2];
    }
    if (seed % 5 == 0) {
      paths[rng() % n].start[1] = 5e9;
      paths[rng() % n].end[0] = std::numeric_limits<double>::quiet_NaN();
      paths[rng() % n].start[0] = -3e12;
    }
    for (int mode = 1; mode <= 3; ++mode) {
      for (double d : {0.0, 0.5, 2.0, 5.0, 999.0, 1000.0, 5000.0}) {
        const std::vector<SortStep> grid = SortOrder(paths, mode, d),
                                    plain = SortOrderPlain(paths, mode, d);
        ASSERT_EQ(grid.size(), plain.size());
        for (std::size_t k = 0; k < grid.size(); ++k)
          ASSERT_EQ(std::tuple(grid[k].path, grid[k].reversed),
                    std::tuple(plain[k].path, plain[k].reversed))
              << "seed " << seed << " mode " << mode << " d " << d << " step " << k;
      }
    }
  }
}

TEST(SortOrder, FollowsTheNearestWithinTheDistanceAndStoreOrderBeyondIt) {
  // Starts at x = 0, 30, 10, 20 (ends 1 further on): within 12 the chain is 0, 10, 20, 30;
  // within 5 nothing is near enough and the store order stays.
  std::vector<PathEnds> paths;
  for (double x : {0.0, 30.0, 10.0, 20.0}) paths.push_back({{x, 0, 0}, {x + 1, 0, 0}});
  auto order = [&](int mode, double d) {
    std::string out;
    for (const SortStep& s : SortOrder(paths, mode, d))
      out += std::to_string(s.path) + (s.reversed ? "r " : " ");
    return out;
  };
  EXPECT_EQ(order(1, 12) + order(1, 5) + order(2, 9.5) + order(2, 8.5),
            "0 2 3 1 0 1 2 3 0 2 3 1 0 1 2 3 ");
  // Direction free: nothing within 12 of x = 1, so path 1 (30 to 31) follows in store order;
  // path 2's end (32) is nearer to 31 than its start (25), and then path 3's end (21) nearer
  // to 25 than its start (20).
  paths[2] = {{25, 0, 0}, {32, 0, 0}};
  EXPECT_EQ(order(3, 12), "0 1 2r 3r ");
  // A path whose two ends are equally near keeps its direction.
  paths = {{{0, 0, 0}, {1, 0, 0}}, {{3, 0, 0}, {-1, 0, 0}}};
  EXPECT_EQ(order(3, 5), "0 1 ");
  // The height counts: a path straight below another is as far as it is deep.
  paths = {{{0, 0, 0}, {1, 0, 0}}, {{50, 0, 0}, {51, 0, 0}}, {{0, 0, -6}, {1, 0, -6}}};
  EXPECT_EQ(order(1, 5) + "/ " + order(1, 6), "0 1 2 / 0 2 1 ");
}

// The paths of a store as their records from the lead on (types 3 and 4 alike), each in the
// direction that sorts first when `eitherWay`.
std::vector<std::string> PathSet(CPointStore& s, bool eitherWay) {
  std::vector<std::string> set;
  for (const PathRun& run : CuttingRuns(s)) {
    std::vector<std::string> points;
    for (std::uint32_t i = run.lead; i < run.end; ++i) {
      if (i != run.lead && i < run.first) continue;
      const PointRecord* r = s.RawRecord(i);
      char one[96];
      std::snprintf(one, sizeof one, "%g %g %g", double{r->x}, double{r->y}, double{r->z});
      points.push_back(one);
    }
    std::string forward, backward;
    for (const std::string& p : points) forward += p + ";";
    for (auto p = points.rbegin(); p != points.rend(); ++p) backward += *p + ";";
    set.push_back(eitherWay ? std::min(forward, backward) : forward);
  }
  std::sort(set.begin(), set.end());
  return set;
}

struct Sort : ::testing::Test, testing::EditParts {};

TEST_F(Sort, NeverLosesOrRepeatsAPath) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    for (int mode = 1; mode <= 3; ++mode) {
      std::mt19937 rng(seed);
      store.count = 0;
      const int paths = 2 + static_cast<int>(rng() % 60);
      for (int p = 0; p < paths; ++p) {
        const double x = rng() % 20, y = rng() % 20, z = -static_cast<double>(rng() % 3);
        AddPoint(store, MOVE_RAPID, x, y, 5);
        AddPoint(store, MOVE_RAPID_CONT, x, y, z);
        const int cuts = 1 + static_cast<int>(rng() % 4);
        for (int c = 0; c < cuts; ++c)
          AddPoint(store, c == 0 ? MOVE_LINE : MOVE_LINE_CONT, x + c + 1, y + (c % 2), z, 300);
      }
      ASSERT_TRUE(RapidRebuild(store, retract));
      const std::vector<std::string> before = PathSet(store, mode == 3);
      SortOptions o;
      o.mode = mode;
      o.distance = 1 + seed % 7;
      ASSERT_TRUE(SortCommand(ctx, o).ok());
      EXPECT_EQ(PathSet(store, mode == 3), before) << "seed " << seed << " mode " << mode;
    }
  }
}

TEST_F(Sort, WritesEachPathBetweenRetractsAndCanBeUndone) {
  // Three paths; the third starts 2 from where the first starts, the second 40 away.
  AddPoints(store,
            "1 0 0 5, 2 0 0 0, 3 10 0 0 100, 1 10 0 5, 2 40 0 5, 2 40 0 -1, 3 50 0 -1 200, "
            "1 50 0 5, 2 2 0 5, 2 2 0 -2, 3 2 10 -2 300");
  const std::string before = Records(store);
  SortOptions o;  // mode 1, D = 5
  ASSERT_TRUE(SortCommand(ctx, o).ok());
  EXPECT_EQ(Records(store),
            "1 0 0 5, 2 0 0 50, 2 0 0 0, 3 10 0 0, 1 10 0 50, 2 2 0 50, 2 2 0 -2, 3 2 10 -2, "
            "1 2 10 50, 2 40 0 50, 2 40 0 -1, 3 50 0 -1, 1 50 0 50");
  EXPECT_EQ(store.RawRecord(7)->feed, 300);
  ASSERT_EQ(undo.Undo(store), 1);
  EXPECT_EQ(Records(store), before);
}

// Paths entered straight from the retract height: the approach at the retract height and the
// path's own lead are one spot, as are the last retract and the rapid that ended the program.
// No rapid of no length is written for them.
TEST_F(Sort, MakesNoRapidOfNoLength) {
  for (int mode = 1; mode <= 3; ++mode) {
    store.count = 0;
    AddPoints(store,
              "1 0 0 50, 3 0 0 0 100, 4 10 0 0 100, 1 10 0 50, 2 40 0 50, 3 40 0 -1 200, "
              "4 50 0 -1 200, 1 50 0 50");
    SortOptions o;
    o.mode = mode;
    ASSERT_TRUE(SortCommand(ctx, o).ok());
    for (std::uint32_t i = 1; i < store.count; ++i) {
      const PointRecord a = *store.RawRecord(i - 1), b = *store.RawRecord(i);
      const bool same =
          float{a.x} == float{b.x} && float{a.y} == float{b.y} && float{a.z} == float{b.z};
      EXPECT_FALSE(IsRapidType(a.type) && IsRapidType(b.type) && same)
          << "mode " << mode << ": " << Records(store);
    }
  }
}

TEST_F(Sort, ReturnHeightLowersOrJoinsTheWayBetweenClosePaths) {
  // Path 1 ends at x = 10 (z 0); path 2 starts 3 away (z -1); path 3 starts 6 from path 2's end.
  const char* three =
      "1 0 0 0, 3 10 0 0 100, 1 10 0 50, 2 13 0 50, 2 13 0 -1, 3 20 0 -1 200, 1 20 0 50, "
      "2 26 0 50, 2 26 0 0, 3 30 0 0 300";
  AddPoints(store, three);
  SortOptions o;
  o.mode = 4;
  o.height = 10;  // the way between paths 1 and 2 at 0 + 10; path 3 is too far
  ASSERT_TRUE(SortCommand(ctx, o).ok());
  EXPECT_EQ(Records(store),
            "1 0 0 0, 3 10 0 0, 1 10 0 10, 2 13 0 10, 2 13 0 -1, 3 20 0 -1, 1 20 0 50, "
            "2 26 0 50, 2 26 0 0, 3 30 0 0");
  EXPECT_EQ(SortCommand(ctx, o).code(), OutcomeCode::Unchanged);  // already as low

  store.count = 0;
  AddPoints(store, three);
  o.height = 0;  // the same way, cut
  ASSERT_TRUE(SortCommand(ctx, o).ok());
  EXPECT_EQ(Records(store),
            "1 0 0 0, 3 10 0 0, 4 10 0 50, 4 13 0 50, 4 13 0 -1, 4 20 0 -1, 1 20 0 50, "
            "2 26 0 50, 2 26 0 0, 3 30 0 0");
  EXPECT_EQ(store.RawRecord(3)->feed, 100);

  store.count = 0;
  AddPoints(store, three);
  o.height = -1;  // one cut from the end of path 1 to the start of path 2
  ASSERT_TRUE(SortCommand(ctx, o).ok());
  EXPECT_EQ(Records(store),
            "1 0 0 0, 3 10 0 0, 4 13 0 -1, 4 20 0 -1, 1 20 0 50, 2 26 0 50, 2 26 0 0, 3 30 0 0");
}

}  // namespace
}  // namespace trevalon
