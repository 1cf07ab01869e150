// Sorting paths: the grid search gives exactly the order of the plain nearest search, ties
// included; the sort never loses or repeats a path and keeps the store order beyond the sort
// distance; mode 4 lowers or joins the way between close paths.

#include "edit/sort_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <tuple>

#include "edit/path_runs.h"
#include "edit/rapid_rebuild.h"
#include "model/point_store.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoint;
using testing::AddPoints;
using testing::Records;

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
