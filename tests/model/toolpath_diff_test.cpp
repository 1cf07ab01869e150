#include "model/toolpath_diff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "test_support.h"

namespace trevalon {
namespace {

// A pass of n cuts along a wavy line, the way finishing programs repeat themselves: every
// tenth point returns to the same height.
std::string Pass(int n, double dy = 0, int feed = 500) {
  std::string r = "1 0 " + std::to_string(dy) + " 10";
  for (int i = 1; i <= n; ++i)
    r += ", 4 " + std::to_string(i) + " " + std::to_string(dy) + " " +
         std::to_string((i % 10) * 0.1) + " " + std::to_string(feed);
  return r;
}

ToolpathComparison Compare(std::string_view a, std::string_view b, std::size_t max = 100) {
  CPointStore sa, sb;
  testing::AddPoints(sa, a);
  testing::AddPoints(sb, b);
  return CompareToolpaths(sa, sb, 0.001, max);
}

std::string Counts(const ToolpathComparison& c) {
  return std::to_string(c.moved) + " moved, " + std::to_string(c.feeds) + " feeds, " +
         std::to_string(c.motions) + " motions, " + std::to_string(c.added) + " added, " +
         std::to_string(c.removed) + " removed";
}

// Random edits of a long pass, at every tenth point at most: a cut moved by 0.01, given another
// feed, turned into a rapid, followed by an inserted point, or removed. The comparison finds
// exactly those, each at its record of the first toolpath, and pairs all the rest.
TEST(ToolpathDiff, RandomEditsAreFoundExactlyWhereTheyAre) {
  EXPECT_TRUE(Compare(Pass(200), Pass(200)).Same());
  std::mt19937 rng(4);
  for (int round = 0; round < 40; ++round) {
    CPointStore a, b;
    testing::AddPoints(a, Pass(400));
    testing::AddPoint(b, MOVE_RAPID, 0, 0, 10);
    std::size_t want[6] = {};  // by DifferenceType; the last: no edit
    for (std::uint32_t i = 1; i < a.count; ++i) {
      const PointRecord& r = *a.RawRecord(i);
      const int edit = i % 10 == 5 ? std::uniform_int_distribution<int>(0, 5)(rng) : 5;
      ++want[edit];
      if (edit == 4) continue;
      testing::AddPoint(b, edit == 2 ? int{MOVE_RAPID_CONT} : int{r.type}, r.x,
                        r.y + (edit == 0) * 0.01, r.z, edit == 1 ? 400 : r.feed);
      if (edit == 3) testing::AddPoint(b, MOVE_LINE_CONT, r.x + 0.5, 0, 3, r.feed);
    }
    const ToolpathComparison c = CompareToolpaths(a, b, 0.001, 1000);
    const std::size_t got[5] = {c.moved, c.feeds, c.motions, c.added, c.removed};
    EXPECT_TRUE(std::equal(got, got + 5, want)) << round << ": " << Counts(c);
    for (const ToolpathDifference& d : c.details) {
      EXPECT_TRUE(d.type == DifferenceType::Added ? d.a.index == -1 : d.a.index % 10 == 5)
          << round << ": " << d.a.index;
      EXPECT_TRUE(d.type != DifferenceType::Moved ||
                  std::fabs(d.b.pos[1] - d.a.pos[1] - 0.01) < 1e-6);
      EXPECT_TRUE(d.type != DifferenceType::Feed || d.b.feed == 400);
      EXPECT_TRUE(d.type != DifferenceType::Added || d.b.pos[2] == 3);
    }
  }
}

TEST(ToolpathDiff, KindsArcsAShiftedToolpathAndTheListCap) {
  // A rapid that became a cut is a changed kind, not a feed change; a start and a
  // continuation are one kind.
  EXPECT_EQ(Counts(Compare("1 0 0 10, 1 0 0 5, 3 0 0 0 100", "1 0 0 10, 3 0 0 5 100, 4 0 0 0 100")),
            "0 moved, 0 feeds, 1 motions, 0 added, 0 removed");
  // An arc to the same end point around another centre has moved; so has one in another plane.
  EXPECT_EQ(
      Counts(Compare("3 0 0 0 100, 6 10 0 0 100, 91 5 0 0", "3 0 0 0 100, 6 10 0 0 100, 91 5 1 0")),
      "1 moved, 0 feeds, 0 motions, 0 added, 0 removed");
  EXPECT_EQ(
      Counts(Compare("3 0 0 0 100, 8 10 0 0 100, 91 5 0 0", "3 0 0 0 100, 8 10 0 0 100, 92 5 0 0")),
      "1 moved, 0 feeds, 0 motions, 0 added, 0 removed");
  // Within the tolerance nothing moved.
  EXPECT_TRUE(Compare("1 0 0 0, 3 1 1 1 100", "1 0 0 0.0005, 3 1 1 1.0009 100").Same());
  // A toolpath moved as a whole pairs move for move; the list stops at its cap, the counts
  // do not.
  const ToolpathComparison c = Compare(Pass(5000), Pass(5000, 0.5), 10);
  EXPECT_EQ(Counts(c), "5001 moved, 0 feeds, 0 motions, 0 added, 0 removed");
  EXPECT_EQ(c.details.size(), 10u);
  EXPECT_TRUE(c.truncated);
  // Different lengths: the tail is added or removed.
  EXPECT_EQ(Counts(Compare(Pass(20), Pass(23))), "0 moved, 0 feeds, 0 motions, 3 added, 0 removed");
  EXPECT_EQ(Counts(Compare(Pass(20), "")), "0 moved, 0 feeds, 0 motions, 0 added, 21 removed");
}

}  // namespace
}  // namespace trevalon
