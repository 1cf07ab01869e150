// The cutting simulation run in steps, as the desktop's slider and its Escape use it: a run
// limited to the first moves leaves the material the shorter program would, on the stock of
// the whole program, and a run its progress stops leaves nothing behind.

#include <gtest/gtest.h>

#include "sim/simulation.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoints;

// A rapid down, a plunge, three slots going deeper, a rapid through the stock and an air cut
// along the stock's top.
constexpr const char* kProgram =
    "1 0 0 5, 1 0 0 1, 3 0 0 -1 300, 3 20 0 -1 300, 3 20 10 -2 300, 3 0 10 -3 300, "
    "1 10 -5 -0.5, 3 10 -8 -0.5 300";
constexpr std::size_t kMoves = 7;

SimulationOptions Options(int threads) {
  SimulationOptions o;
  o.tool.kind = SimToolKind::Flat;
  o.tool.diameter = 4;
  o.cell = 0.2;
  o.threads = threads;
  return o;
}

TEST(SimulationSteps, LimitedRunIsTheShorterProgramOnTheWholeStock) {
  CPointStore whole;
  whole.Init();
  AddPoints(whole, kProgram);
  HeightField full;
  SimulationResult all;
  ASSERT_TRUE(Simulate(whole, Options(2), full, all).ok());
  ASSERT_EQ(all.moves.size(), kMoves);
  ASSERT_EQ(all.rapidCollisions, 1u);
  for (std::size_t limit :
       {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{5}, kMoves, kMoves + 10}) {
    SCOPED_TRACE(limit);
    for (int threads : {1, 2}) {
      SimulationOptions o = Options(threads);
      o.moveLimit = limit;
      HeightField part;
      SimulationResult upTo;
      ASSERT_TRUE(Simulate(whole, o, part, upTo).ok());
      const std::size_t n = std::min(limit, kMoves);
      ASSERT_EQ(upTo.moves.size(), n);
      // The automatic stock of the whole program, not of the moves run.
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(upTo.stock.min[k], all.stock.min[k]);
        EXPECT_EQ(upTo.stock.max[k], all.stock.max[k]);
      }
      // Each move takes what it took in the whole run: nothing later changes the earlier.
      double sum = 0;
      for (std::size_t m = 0; m < n; ++m) {
        EXPECT_EQ(upTo.moves[m].volume, all.moves[m].volume) << "move " << m;
        sum += upTo.moves[m].volume;
      }
      EXPECT_NEAR(upTo.removedVolume, sum, 1e-3);
      EXPECT_NEAR(part.MaterialVolume(), full.MaterialVolume() + all.removedVolume - sum, 1e-2);
      if (n == kMoves) {
        EXPECT_EQ(part.z, full.z);
      }
    }
  }
}

TEST(SimulationSteps, ProgressRisesAndAStopLeavesNothing) {
  CPointStore s;
  s.Init();
  AddPoints(s, kProgram);
  struct Case {
    int threads;
    int stopAfter;  // calls answered true before the stop; -1 never stops
  };
  for (const Case c : {Case{1, -1}, Case{2, -1}, Case{1, 0}, Case{2, 0}, Case{2, 3}}) {
    SCOPED_TRACE(::testing::Message() << c.threads << " threads, stop after " << c.stopAfter);
    SimulationOptions o = Options(c.threads);
    std::vector<double> seen;
    o.progress = [&](double done) {
      seen.push_back(done);
      return c.stopAfter < 0 || static_cast<int>(seen.size()) <= c.stopAfter;
    };
    HeightField field;
    SimulationResult r;
    const Outcome ran = Simulate(s, o, field, r);
    ASSERT_FALSE(seen.empty());
    for (std::size_t k = 0; k < seen.size(); ++k) {
      EXPECT_GE(seen[k], 0.0);
      EXPECT_LT(seen[k], 1.0);
      if (k) {
        EXPECT_GT(seen[k], seen[k - 1]);
      }
    }
    if (c.stopAfter < 0) {
      EXPECT_TRUE(ran.ok());
      EXPECT_EQ(r.moves.size(), kMoves);
      continue;
    }
    EXPECT_EQ(ran.code(), OutcomeCode::Cancelled);
    EXPECT_EQ(static_cast<int>(seen.size()), c.stopAfter + 1);
    EXPECT_EQ(field.Cells(), 0u);
    EXPECT_TRUE(r.moves.empty());
    EXPECT_EQ(r.removedVolume, 0.0);
  }
}

}  // namespace
}  // namespace trevalon
