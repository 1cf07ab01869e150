#include "model/toolpath_diff.h"

#include <gtest/gtest.h>

#include <cstdio>

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

TEST(ToolpathDiff, InsertedAndRemovedMovesAreFoundAndTheRestStaysPaired) {
  const std::string a = Pass(200);
  EXPECT_TRUE(Compare(a, a).Same());
  // Two points inserted after the 50th cut, the 150th cut removed, the 120th moved by 0.01
  // and the 170th given another feed: everything else pairs up again.
  CPointStore sa, sb;
  testing::AddPoints(sa, a);
  testing::AddPoints(sb, a);
  std::string b;
  for (std::uint32_t i = 0; i < sb.count; ++i) {
    const PointRecord& r = *sb.RawRecord(i);
    if (i == 150) continue;
    char rec[80];
    std::snprintf(rec, sizeof rec, "%s%d %g %g %g %d", b.empty() ? "" : ", ", r.type, r.x,
                  i == 120 ? r.y + 0.01 : r.y, r.z, i == 170 ? 400 : r.feed);
    b += rec;
    if (i == 50) b += ", 4 50.3 0 0.5 500, 4 50.6 0 0.5 500";
  }
  const ToolpathComparison c = Compare(a, b);
  EXPECT_EQ(Counts(c), "1 moved, 1 feeds, 0 motions, 2 added, 1 removed");
  // Each difference as "type a-index/feed b-index/feed b-y" (types: 0 moved, 1 feed, 3 added,
  // 4 removed).
  std::string details;
  for (const ToolpathDifference& d : c.details) {
    char one[96];
    std::snprintf(one, sizeof one, "%d %lld/%d %lld/%d %g, ", static_cast<int>(d.type),
                  static_cast<long long>(d.a.index), d.a.feed, static_cast<long long>(d.b.index),
                  d.b.feed, d.b.pos[1]);
    details += one;
  }
  EXPECT_EQ(details,
            "3 -1/0 51/500 0, 3 -1/0 52/500 0, 0 120/500 122/500 0.01, 4 150/500 -1/0 0, "
            "1 170/500 171/400 0, ");
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
