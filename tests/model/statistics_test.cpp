// What a toolpath measures (lengths, the machine time, the walk that measures only what
// changed) and how two toolpaths compare.

#include "model/statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

#include "model/machine_time.h"
#include "model/toolpath_diff.h"
#include "model/undo_ring.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoints;

TEST(Statistics, OneRapidAndOneCutAndThenAnEmptyStore) {
  CPointStore s;
  AddPoints(s, "1 0 0 10, 3 3 4 10 500");
  ASSERT_EQ(ComputeStatistics(s), 1);
  // Record 0 is its own start; the rapid point is the cut's start.
  EXPECT_EQ(
      std::tuple(s.stats.rapidLength, s.stats.cuttingLength, s.stats.cuttingTime,
                 s.stats.cuttingMin[0], s.stats.cuttingMax[1], s.stats.maxFeed, s.extentMax[0]),
      std::tuple(0.0, 5.0, 5.0 / 500, 0.0, 4.0, 500, 3.0));
  // An empty store keeps the previous record, while what is shown is the store as it is now.
  s.count = 0;
  EXPECT_EQ(ComputeStatistics(s), 0);
  const ToolpathStatistics now = CurrentStatistics(s);
  EXPECT_EQ(std::tuple(now.cuttingLength, now.maxFeed, now.cuttingMin[0], now.rapidMax[2],
                       s.stats.cuttingLength),
            std::tuple(0.0, 0, 10000.0, -10000.0, 5.0));
  s.count = 2;
  EXPECT_DOUBLE_EQ(CurrentStatistics(s).cuttingLength, 5);
}

// Where each cut is measured from: arcs are no cut and do not move the last point, a
// continuation before any counted move starts from the previous motion, and a feed of 0 or
// below adds length but no time.
TEST(Statistics, CutsAreMeasuredFromTheLastCountedPoint) {
  CPointStore s;
  AddPoints(s, "8 10 0 0 900, 91 5 0 0 900");
  ComputeStatistics(s);
  EXPECT_EQ(std::tuple(s.stats.cuttingLength, s.stats.maxFeed, s.stats.cuttingMin[0],
                       s.stats.cuttingMax[0]),
            std::tuple(0.0, 0, 10000.0, -10000.0));

  CPointStore t;  // the last line is measured from the last counted line
  AddPoints(t, "1 0 0 0, 3 10 0 0 100, 6 20 0 0 100, 91 5 0 0 100, 4 20 10 0 100");
  ComputeStatistics(t);
  EXPECT_NEAR(t.stats.cuttingLength, 10 + std::hypot(10.0, 10.0), 1e-9);

  CPointStore u;
  AddPoints(u, "3 0 0 0 100, 4 10 0 0 0, 4 10 0 0 100, 4 10 10 0 -5");
  ComputeStatistics(u);
  EXPECT_EQ(std::tuple(u.stats.cuttingLength, u.stats.cuttingTime, u.stats.maxFeed),
            std::tuple(20.0, 0.0, 100));

  CPointStore v;
  AddPoints(v, "8 0 0 0 100, 91 1 0 0 100, 4 0 7 0 100, 2 0 7 9");
  ComputeStatistics(v);
  // A continuation rapid does not take its start.
  EXPECT_EQ(std::tuple(v.stats.cuttingLength, v.stats.rapidLength, v.stats.rapidMin[2]),
            std::tuple(7.0, 9.0, 9.0));
}

TEST(Statistics, ArcLengthIsTheTrueLengthOfEveryArc) {
  const double pi = std::numbers::pi;
  CPointStore s;
  // A half circle of radius 5 in XY; a quarter in ZX, radius 5, about (0, 10, 5); one closed
  // in XY: a full helix turn of radius 3, 3 down.
  AddPoints(s,
            "1 0 0 10, 3 0 0 0 100, 6 0 10 0 100, 91 0 5 0 100, 8 5 10 5 100, 92 0 0 5 100, "
            "6 5 10 2 100, 91 -3 0 0 100");
  ComputeStatistics(s);
  const double helix = std::hypot(2 * pi * 3, 3.0);
  EXPECT_NEAR(s.stats.arcLength, 5 * pi + 2.5 * pi + helix, 1e-6);
  // The cuts alone, as written programs say.
  EXPECT_EQ(std::tuple(s.stats.cuttingLength, s.stats.cuttingTime, CurrentStatistics(s).arcLength),
            std::tuple(10.0, 0.1, s.stats.arcLength));

  // An arc end point whose centre record is missing (the last record, or another motion
  // after it) says no circle: it adds nothing and the walk goes on.
  CPointStore t;
  AddPoints(t, "3 0 0 0 100, 8 10 0 0 100, 3 10 10 0 100, 8 0 0 0 100");
  ComputeStatistics(t);
  EXPECT_EQ(std::tuple(t.stats.arcLength, t.stats.cuttingLength), std::tuple(0.0, 10.0));
}

// ---- Machine time ------------------------------------------------------------------------------

// A machine with round numbers: 1000 mm/s rapids and 1000 mm/s^2 on every axis, no block
// time, so that each case below is worked out by hand.
MachineLimits RoundMachine() {
  MachineLimits m;
  for (int k = 0; k < 3; ++k) m.rapid[k] = 60000, m.accel[k] = 1000;
  m.junctionDeviation = 0.05;
  m.blockTime = 0;
  return m;
}

double Seconds(std::string_view records, const MachineLimits& m, double* rapidSeconds = nullptr) {
  CPointStore s;
  AddPoints(s, records);
  const MachineTime t = EstimateMachineTime(s, m);
  EXPECT_TRUE(t.complete);
  if (rapidSeconds) *rapidSeconds = t.rapid * 60;
  return t.total * 60;
}

// The reference: a straight move from standstill to standstill, `len` long along the
// direction d, at no more than `speed` (mm/s): every axis's rate and acceleration taken along
// d, then a trapezoid, or a triangle when the move is too short to reach its speed.
double RestToRest(double len, const int d[3], double speed, const MachineLimits& m) {
  double a = 1e300, v = speed;
  for (int k = 0; k < 3; ++k)
    if (d[k] != 0) {
      const double along = std::fabs(d[k]) / std::hypot(d[0], d[1], d[2]);
      a = std::min(a, m.accel[k] / along), v = std::min(v, m.rapid[k] / 60 / along);
    }
  return len >= v * v / a ? len / v + v / a : 2 * std::sqrt(len / a);
}

// Random machines and toolpaths of straight runs: a run goes on in one direction, in pieces,
// at one feed; runs meet where the machine must stop (a reversal, or a change between rapid
// and cut). Every run takes the time of one move from standstill to standstill, and the rapid
// time is that of the rapid runs. The first point is where the machine stands; a lone point
// and an empty toolpath take no time.
TEST(MachineTime, StraightRunsTakeTheTimeOfOneMoveEach) {
  std::mt19937 rng(5);
  auto draw = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 300; ++round) {
    MachineLimits m;
    m.blockTime = 0;
    for (int k = 0; k < 3; ++k) m.rapid[k] = 1000.0 * draw(5, 60), m.accel[k] = 100.0 * draw(1, 30);
    CPointStore s;
    testing::AddPoint(s, MOVE_RAPID, 0, 0, 0);
    double at[3] = {0, 0, 0}, want = 0, wantRapid = 0;
    int d[3] = {0, 0, 0};
    bool rapid = true;
    for (int run = draw(0, 5); run > 0; --run) {
      if (s.count > 1 && draw(0, 1) == 0) {
        for (int& c : d) c = -c;  // back the way it came, the same kind of motion
      } else {
        rapid = !rapid;  // the other kind of motion, in a new direction
        do
          for (int& c : d) c = draw(-3, 3);
        while (!d[0] && !d[1] && !d[2]);
      }
      const int feed = 60 * draw(1, 200);
      double len = 0;
      for (int k = draw(1, 4); k > 0; --k) {
        const double step = draw(1, 80) / 8.0;  // exact in single precision
        for (int a = 0; a < 3; ++a) at[a] += step * d[a];
        len += step * std::hypot(d[0], d[1], d[2]);
        testing::AddPoint(s, rapid ? MOVE_RAPID_CONT : MOVE_LINE_CONT, at[0], at[1], at[2],
                          rapid ? 0 : feed);
      }
      const double t = RestToRest(len, d, rapid ? 1e300 : feed / 60.0, m);
      want += t, wantRapid += rapid ? t : 0;
    }
    const MachineTime got = EstimateMachineTime(s, m);
    EXPECT_NEAR(got.total * 60, want, 1e-5 * want) << round;
    EXPECT_NEAR(got.rapid * 60, wantRapid, 1e-5 * wantRapid) << round;
  }
  EXPECT_EQ(Seconds("3 5 5 5 6000", RoundMachine()), 0.0);
  EXPECT_EQ(Seconds("", RoundMachine()), 0.0);
}

TEST(MachineTime, CornersAndArcsLimitTheSpeed) {
  const MachineLimits m = RoundMachine();
  // A 90 degree corner: the speed change points along (-1, 1)/sqrt(2), where the axes allow
  // 1000 * sqrt(2) mm/s^2, so v^2 = a * d * s / (1 - s) with s = sin 45 degrees comes to
  // 1000 * 0.05 * (2 + sqrt(2)): 13.0656 mm/s. Each leg: up to 100 mm/s (0.1 s, 5 mm), down
  // to 13.0656 mm/s (0.0869344 s, 4.9146 mm), 90.0854 mm cruising.
  EXPECT_NEAR(Seconds("1 0 0 0, 3 100 0 0 6000, 4 100 100 0 6000", m), 2.1755758, 1e-6);
  // A half circle of radius 5 (centre 5 mm along X from the start): v^2 <= a * r = 5000, so
  // 70.71 mm/s instead of the feed's 100, reached over 2.5 mm at either end of 5 pi mm.
  const double v = std::sqrt(5000.0);
  const double halfCircle = 2 * v / 1000 + (5 * M_PI - 5) / v;
  EXPECT_NEAR(Seconds("1 0 0 0, 6 10 0 0 6000, 91 5 0 0", m), halfCircle, 1e-6);
  EXPECT_NEAR(Seconds("1 0 0 0, 8 10 0 0 6000, 91 5 0 0", m), halfCircle, 1e-6);
  // A line that leaves the half circle along its end tangent (counter-clockwise from (0, 0)
  // around (5, 0) it ends at (10, 0) heading +Y) is a straight continuation, while the same
  // line after the clockwise half circle (heading -Y at its end) is a reversal.
  const double ccw = Seconds("1 0 0 0, 6 10 0 0 6000, 91 5 0 0, 3 10 100 0 6000", m);
  const double cw = Seconds("1 0 0 0, 8 10 0 0 6000, 91 5 0 0, 3 10 100 0 6000", m);
  EXPECT_NEAR(cw, halfCircle + 1.1, 1e-6);
  EXPECT_LT(ccw, cw - 0.05);
}

TEST(MachineTime, BlocksTakeAtLeastTheBlockTime) {
  MachineLimits m = RoundMachine();
  m.blockTime = 0.01;
  // A hundred blocks of 0.01 mm: the block rate holds the machine to 1 mm/s, so each block
  // takes 0.01 s, the first and last 0.0005 s more for reaching and leaving that speed; a
  // block that does not move takes the block time alone.
  std::string records = "1 0 0 0";
  for (int i = 1; i <= 100; ++i) records += ", 4 " + std::to_string(i * 0.01) + " 0 0 6000";
  EXPECT_NEAR(Seconds(records, m), 1.001, 1e-6);
  EXPECT_NEAR(Seconds(records + ", 4 1 0 0 6000", m), 1.011, 1e-6);
  // A long move is not slowed by it; a cut without a feed is not timed beyond it.
  EXPECT_NEAR(Seconds("1 0 0 0, 3 100 0 0 6000", m), 1.1, 1e-6);
  EXPECT_NEAR(Seconds("1 0 0 0, 3 100 0 0 0", m), 0.01, 1e-9);
}

// ---- Comparing two toolpaths -------------------------------------------------------------------

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

// ---- The statistics' walk keeps each page's share and measures again only the pages that
// changed. Whatever changed the store in between (a record stored in place, a splice of as
// many or of other counts, an undo state brought back, a shorter or longer store), the result
// must be the one a store that never measured anything gives for the same records.

PointRecord RandomRecord(std::mt19937& rng) {
  // Runs of rapids and cuts with arcs (end point, then centre record) between them.
  static constexpr std::int16_t kTypes[] = {
      MOVE_RAPID,  MOVE_RAPID_CONT, MOVE_LINE,    MOVE_LINE_CONT, MOVE_LINE_CONT, MOVE_LINE_CONT,
      MOVE_ARC_CW, PLANE_XY,        MOVE_ARC_CCW, PLANE_ZX,       MOVE_NONE};
  PointRecord r{};
  const std::uint32_t t = rng() % std::size(kTypes);
  r.type = kTypes[t];
  r.x = static_cast<float>(rng() % 2000) / 10.0f;
  r.y = static_cast<float>(rng() % 2000) / 10.0f;
  r.z = static_cast<float>(rng() % 300) / 10.0f - 15.0f;
  r.feed = static_cast<std::int16_t>(100 + rng() % 3000);
  return r;
}

std::vector<PointRecord> RandomRecords(std::mt19937& rng, std::uint32_t n) {
  std::vector<PointRecord> v(n);
  for (auto& r : v) r = RandomRecord(rng);
  return v;
}

void ExpectMeasuredAfresh(CPointStore& store) {
  ASSERT_EQ(ComputeStatistics(store), 1);
  std::vector<PointRecord> records(store.count);
  store.CopyRecordsOut(records.data(), store.count);
  CPointStore fresh;
  ASSERT_EQ(fresh.CopyRecordsIn(records.data(), store.count), 1);
  ASSERT_EQ(ComputeStatistics(fresh), 1);
  // Bit for bit: the shares are added in the same order either way.
  const auto bits = [](const CPointStore& s) {
    const ToolpathStatistics& t = s.stats;
    std::vector<double> v = {static_cast<double>(t.maxFeed), t.cuttingLength, t.rapidLength,
                             t.cuttingTime, t.arcLength};
    for (const double* a :
         {t.cuttingMin, t.cuttingMax, t.rapidMin, t.rapidMax, s.extentMin, s.extentMax})
      v.insert(v.end(), a, a + 3);
    std::vector<std::uint64_t> out(v.size());
    std::memcpy(out.data(), v.data(), v.size() * sizeof(double));
    return out;
  };
  EXPECT_EQ(bits(store), bits(fresh));
}

TEST(StatisticsReuse, EveryKindOfChangeMeasuresAsAFreshStore) {
  constexpr std::uint32_t kPage = CPointStore::kPageSize;
  std::mt19937 rng(11);
  CPointStore store;
  CUndoRing undo;
  const std::vector<PointRecord> start = RandomRecords(rng, 5 * kPage + 17);
  ASSERT_EQ(store.CopyRecordsIn(start.data(), static_cast<std::uint32_t>(start.size())), 1);
  ExpectMeasuredAfresh(store);
  for (int round = 0; round < 120; ++round) {
    SCOPED_TRACE(round);
    const std::uint32_t kind = rng() % 6;
    const std::uint32_t at = rng() % store.count;
    if (kind == 0) {
      // A record rewritten in place, after a fetch made its page the current one: the store
      // must not write it without stamping the page.
      store.FetchPoint(at);
      store.reg.x += 1.5;
      store.reg.type = (rng() % 2) ? MOVE_LINE_CONT : MOVE_RAPID_CONT;
      ASSERT_EQ(store.StorePoint(at), 1);
    } else if (kind == 1 || kind == 2) {
      const std::uint32_t removed = std::min<std::uint32_t>(rng() % 40, store.count - at);
      const std::uint32_t added = kind == 1 ? removed : rng() % 40;
      const std::vector<PointRecord> with = RandomRecords(rng, added);
      undo.SaveUndo(store);
      ASSERT_EQ(store.SpliceRecords(at, removed, with.data(), added), 1);
    } else if (kind == 3) {
      undo.Undo(store);
    } else if (kind == 4) {
      undo.SaveUndo(store);
      const std::uint32_t drop = rng() % (2 * kPage);
      store.count = store.count > drop ? store.count - drop : 1;
    } else {
      // A store that grows again over records kept beyond its count.
      undo.SaveUndo(store);
      const std::uint32_t n = rng() % kPage;
      const std::vector<PointRecord> more = RandomRecords(rng, n);
      ASSERT_EQ(
          store.SpliceRecords(store.count, 0, more.data(), static_cast<std::uint32_t>(more.size())),
          1);
    }
    ExpectMeasuredAfresh(store);
  }
}

TEST(StatisticsReuse, AStoreAfterTheWalkInTheLastPageItReadIsSeen) {
  // The walk ends in the page last written, which a store may still write in place: the next
  // store there must stamp it anew.
  std::mt19937 rng(3);
  CPointStore store;
  const std::vector<PointRecord> start = RandomRecords(rng, 100);
  ASSERT_EQ(store.CopyRecordsIn(start.data(), 100), 1);
  for (int k = 0; k < 3; ++k) {
    store.FetchPoint(50);
    store.reg.type = MOVE_LINE;
    store.reg.x += 7;
    ASSERT_EQ(store.StorePoint(50), 1);
    ExpectMeasuredAfresh(store);
  }
}

}  // namespace
}  // namespace trevalon
