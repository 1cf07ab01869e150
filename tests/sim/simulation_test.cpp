// The cutting simulation: swept volumes against their integrals for the three tool shapes,
// arcs in every plane, rapids through material (straight and dogleg), air cuts, the threads
// giving the serial result, bad input refused, and runs in steps.

#include "sim/simulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "ncio/data_cases.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

StockBox Box(double x0, double y0, double z0, double x1, double y1, double z1) {
  StockBox b;
  b.min[0] = x0, b.min[1] = y0, b.min[2] = z0, b.max[0] = x1, b.max[1] = y1, b.max[2] = z1;
  return b;
}

SimTool Tool(SimToolKind kind, double d, double r = 0) {
  SimTool t;
  t.kind = kind, t.diameter = d, t.cornerRadius = r;
  return t;
}

struct SimRun {
  HeightField field;
  SimulationResult result;
};

SimRun Simulated(CPointStore& store, const SimTool& tool, const StockBox& box, double cell = 0.1,
                 bool dogleg = false, int threads = 0, bool engagement = false) {
  SimulationOptions o;
  o.engagement = engagement;
  o.tool = tool;
  o.autoStock = false;
  o.stock = box;
  o.cell = cell;
  o.dogleg = dogleg;
  o.threads = threads;
  SimRun r;
  EXPECT_TRUE(Simulate(store, o, r.field, r.result).ok());
  return r;
}

// The material a tool of this shape takes at depth d: across a straight move per mm of its
// length, and as a body of revolution (the two half ends of a slot together), by quadrature.
void ToolSections(const SimTool& t, double d, double& across, double& revolved) {
  const int n = 20000;
  const double R = t.Radius(), h = R / n;
  across = revolved = 0;
  for (int k = 0; k < n; ++k) {
    const double rho = (k + 0.5) * h;
    const double depth = std::max(0.0, d - ProfileHeight(R, t.Corner(), rho));
    across += 2.0 * depth * h;
    revolved += 2.0 * M_PI * rho * depth * h;
  }
}

// A store of its own for each simulation.
struct Simulation : ::testing::Test {
  CPointStore s;
};

TEST_F(Simulation, StraightSlotsTakeTheirIntegralVolume) {
  struct Case {
    SimToolKind kind;
    double d, r, depth, length;
  } cases[] = {
      {SimToolKind::Flat, 10, 0, 2, 50},   {SimToolKind::Flat, 6, 0, 5, 37.3},
      {SimToolKind::Ball, 10, 0, 2, 50},   {SimToolKind::Ball, 6, 0, 3, 41},
      {SimToolKind::Ball, 6, 0, 1, 20},    {SimToolKind::Bull, 10, 2, 3, 50},
      {SimToolKind::Bull, 10, 2, 1.2, 30},
  };
  for (const Case& c : cases) {
    const SimTool tool = Tool(c.kind, c.d, c.r);
    for (double angle : {0.0, 33.0, 90.0}) {
      SCOPED_TRACE(std::string(tool.KindName()) + " d=" + std::to_string(c.d) +
                   " depth=" + std::to_string(c.depth) + " angle=" + std::to_string(angle));
      const double a = angle * M_PI / 180.0;
      const double x0 = 50 - c.length / 2 * std::cos(a), y0 = 50 - c.length / 2 * std::sin(a);
      CPointStore s;
      AddPoint(s, 1, x0, y0, 5);
      AddPoint(s, 3, x0, y0, -c.depth, 300);
      AddPoint(s, 4, x0 + c.length * std::cos(a), y0 + c.length * std::sin(a), -c.depth, 300);
      AddPoint(s, 1, x0 + c.length * std::cos(a), y0 + c.length * std::sin(a), 5);
      SimRun r = Simulated(s, tool, Box(0, 0, -20, 100, 100, 0));
      double across, revolved;
      ToolSections(tool, c.depth, across, revolved);
      const double expected = across * c.length + revolved;
      EXPECT_NEAR(r.result.removedVolume, expected, 0.01 * expected);
      // The stock keeps account: what is left is what was there less what was taken.
      EXPECT_NEAR(r.field.MaterialVolume(), 100.0 * 100 * 20 - r.result.removedVolume, 0.5);
      ASSERT_EQ(r.result.moves.size(), 3u);
      EXPECT_TRUE(r.result.moves[0].Cut());  // the plunge
      EXPECT_TRUE(r.result.moves[1].Cut());
      EXPECT_FALSE(r.result.moves[2].Cut());  // the lift leaves through the cut
      EXPECT_EQ(r.result.rapidCollisions, 0u);
    }
  }
}

TEST_F(Simulation, FullCirclePocketAndArcPlanes) {
  // A flat D10 plunged at the centre, then one full circle of radius 3: a disc of radius 8.
  AddPoints(s, "1 50 50 5, 3 50 50 -3 300, 4 53 50 -3 300, 6 53 50 -3 300, 91 -3 0 0");
  SimRun r = Simulated(s, Tool(SimToolKind::Flat, 10), Box(0, 0, -20, 100, 100, 0));
  const double disc = M_PI * 64 * 3;
  EXPECT_NEAR(r.result.removedVolume, disc, 0.01 * disc);
  EXPECT_NEAR(r.result.moves.back().length, 2 * M_PI * 3, 1e-3);

  // Half circles of radius 5 in the ZX and YZ planes between two points on the stock's top:
  // one sense dips to Z-5 under the middle, the other rises into the air and takes nothing.
  struct Plane {
    const char* records;
    int deepI, deepJ;  // the cell under the middle of the arc
  } planes[] = {
      {"1 20 50 5, 3 20 50 0 300, %d 30 50 0 300, 92 5 0 0, 1 30 50 5", 250, 500},
      {"1 50 20 5, 3 50 20 0 300, %d 50 30 0 300, 93 0 5 0, 1 50 30 5", 500, 250},
  };
  for (const Plane& p : planes) {
    double deepest[2];
    for (int k = 0; k < 2; ++k) {
      const int type = k == 0 ? 6 : 8;
      char text[200];
      std::snprintf(text, sizeof text, p.records, type);
      SCOPED_TRACE(text);
      CPointStore arc;
      AddPoints(arc, text);
      SimRun a = Simulated(arc, Tool(SimToolKind::Ball, 2), Box(0, 0, -20, 100, 100, 0));
      deepest[k] = a.field.z[static_cast<std::size_t>(p.deepJ) * a.field.nx + p.deepI];
      EXPECT_NEAR(a.result.moves[1].length, M_PI * 5, 1e-3);
    }
    EXPECT_EQ(std::min(deepest[0], deepest[1]) < -4.9, true) << deepest[0] << " " << deepest[1];
    EXPECT_EQ(std::max(deepest[0], deepest[1]), 0.0f);
  }

  // A helix: a full turn of radius 4 going down 2 mm with a flat D2: the ring's floor follows
  // the turn. A point of the track a quarter turn in is under the tool until it has gone on
  // by 2 asin(1/8) (14.4 degrees): its floor lies at -2 (90 + 14.4) / 360, three quarters in
  // at -2 (270 + 14.4) / 360.
  CPointStore h;
  AddPoints(h, "1 54 50 5, 3 54 50 0 300, 6 54 50 -2 300, 91 -4 0 0");
  SimRun hr = Simulated(h, Tool(SimToolKind::Flat, 2), Box(0, 0, -20, 100, 100, 0));
  auto at = [&](double x, double y) {
    const int i = static_cast<int>(x / 0.1), j = static_cast<int>(y / 0.1);
    return hr.field.z[static_cast<std::size_t>(j) * hr.field.nx + i];
  };
  EXPECT_NEAR(at(50.05, 54.05), -0.58, 0.02);
  EXPECT_NEAR(at(50.05, 45.95), -1.58, 0.02);
}

TEST_F(Simulation, RapidsThroughMaterialStraightAndDogleg) {
  for (const testing::DataCase& c : testing::ReadCases("sim/rapid_collisions.txt")) {
    const auto trace = c.Trace();
    CPointStore s;
    AddPoints(s, c["records"]);
    SimRun r = Simulated(s, Tool(SimToolKind::Flat, 2), Box(0, 0, -20, 100, 100, 0), 0.1,
                         c.Int("dogleg") != 0);
    EXPECT_EQ(std::tuple(r.result.rapidCollisions, r.result.firstRapidCollision),
              std::tuple(static_cast<std::uint32_t>(c.Int("collisions")),
                         static_cast<std::int64_t>(c.Int("first"))));
  }
}

TEST_F(Simulation, AirCutsAreCuttingMovesThatTakeNothing) {
  // A cut 1 mm above the stock (40 mm at F400), a plunge into it, a cut along the floor, and
  // the same cut again, which finds nothing left.
  AddPoints(s,
            "1 10 50 5, 3 10 50 1 400, 4 50 50 1 400, 4 50 50 -2 200, 4 80 50 -2 600, "
            "4 50 50 -2 600");
  SimRun r = Simulated(s, Tool(SimToolKind::Ball, 6), Box(0, 0, -20, 100, 100, 0));
  EXPECT_EQ(r.result.cuttingMoves, 5u);
  EXPECT_EQ(r.result.airCutMoves, 3u);
  EXPECT_NEAR(r.result.airCutLength, 4 + 40 + 30, 1e-4);
  EXPECT_NEAR(r.result.airCutTime, 4.0 / 400 + 40.0 / 400 + 30.0 / 600, 1e-6);
  EXPECT_TRUE(r.result.moves[2].Cut() && r.result.moves[3].Cut());
}

TEST_F(Simulation, ThreadsGiveTheSerialResult) {
  // Moves everywhere over the stock, cutting each other's material, in both directions.
  AddPoint(s, 1, 0, 0, 10);
  unsigned seed = 12345;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) % 10000 / 100.0; };
  for (int k = 0; k < 200; ++k) AddPoint(s, k % 37 == 0 ? 1 : 4, next(), next(), -next() / 20, 500);
  const StockBox box = Box(0, 0, -6, 100, 100, 0);
  // The engagement measured too: the same depth and radial engagement on every move.
  SimRun serial = Simulated(s, Tool(SimToolKind::Bull, 8, 1.5), box, 0.4, true, 1, true);
  auto figures = [](const SimulatedMove& m) { return std::tuple(m.volume, m.depth, m.radial); };
  int engaged = 0;
  for (const SimulatedMove& m : serial.result.moves) engaged += m.radial > 0;
  EXPECT_GT(engaged, 30);
  for (int threads : {2, 3, 8}) {
    SimRun par = Simulated(s, Tool(SimToolKind::Bull, 8, 1.5), box, 0.4, true, threads, true);
    EXPECT_EQ(par.field.z, serial.field.z) << threads;
    ASSERT_EQ(par.result.moves.size(), serial.result.moves.size());
    for (std::size_t m = 0; m < par.result.moves.size(); ++m)
      ASSERT_EQ(figures(par.result.moves[m]), figures(serial.result.moves[m])) << m;
    EXPECT_EQ(par.result.removedVolume, serial.result.removedVolume);
  }
}

TEST_F(Simulation, BullNoseBetweenFlatAndBallOnRamps) {
  // On a ramp the bull nose's lowest point is searched for; with a corner of nearly the whole
  // radius it cuts as the ball does, with a vanishing one as the flat end.
  AddPoints(s, "1 20 50 5, 3 20 50 0 300, 4 60 53 -4 300, 4 80 40 -1 300");
  const StockBox box = Box(0, 0, -20, 100, 100, 0);
  const double ball = Simulated(s, Tool(SimToolKind::Ball, 8), box).result.removedVolume;
  const double flat = Simulated(s, Tool(SimToolKind::Flat, 8), box).result.removedVolume;
  const double nearBall = Simulated(s, Tool(SimToolKind::Bull, 8, 3.999), box).result.removedVolume;
  const double nearFlat = Simulated(s, Tool(SimToolKind::Bull, 8, 0.001), box).result.removedVolume;
  const double mid = Simulated(s, Tool(SimToolKind::Bull, 8, 2), box).result.removedVolume;
  EXPECT_NEAR(nearBall, ball, 0.002 * ball);
  EXPECT_NEAR(nearFlat, flat, 0.002 * flat);
  EXPECT_LT(ball, mid);
  EXPECT_LT(mid, flat);
}

TEST_F(Simulation, AutoStockAndBadInputRefused) {
  AddPoints(s, "1 0 0 50, 3 10 20 -3 300, 4 40 25 -1 300, 1 40 25 50");
  StockBox b;
  ASSERT_TRUE(AutoStock(s, Tool(SimToolKind::Ball, 6), b).ok());
  EXPECT_DOUBLE_EQ(b.min[0], 4);
  EXPECT_DOUBLE_EQ(b.max[1], 31);
  EXPECT_DOUBLE_EQ(b.min[2], -4);
  EXPECT_DOUBLE_EQ(b.max[2], -1);

  CPointStore rapids;
  AddPoints(rapids, "1 0 0 50, 1 10 10 5");
  EXPECT_FALSE(AutoStock(rapids, Tool(SimToolKind::Ball, 6), b).ok());

  SimulationOptions bad[5];
  bad[0].tool.diameter = 0;
  bad[1].tool = Tool(SimToolKind::Bull, 6, 3.5);
  bad[2].autoStock = false, bad[2].stock = Box(0, 0, 0, 10, 10, 0);
  bad[3].cell = 0;
  bad[4].autoStock = false, bad[4].stock = Box(0, 0, 0, 1e5, 1e5, 1), bad[4].cell = 0.001;
  for (const SimulationOptions& o : bad) {
    HeightField f;
    SimulationResult r;
    const Outcome out = Simulate(s, o, f, r);
    EXPECT_EQ(out.code(), OutcomeCode::Refused) << out.reason();
    EXPECT_TRUE(f.z.empty());
    EXPECT_TRUE(r.moves.empty());
  }
}

// ---- Runs in steps --------------------------------------------------------------------------

// The simulation run in steps, as the desktop's slider and its Escape use it: a run
// limited to the first moves leaves the material the shorter program would, on the stock of
// the whole program, and a run its progress stops leaves nothing behind.

// A rapid down, a plunge, three slots going deeper, a rapid through the stock and an air cut
// along the stock's top.
constexpr const char* kProgram =
    "1 0 0 5, 1 0 0 1, 3 0 0 -1 300, 3 20 0 -1 300, 3 20 10 -2 300, 3 0 10 -3 300, "
    "1 10 -5 -0.5, 3 10 -8 -0.5 300";
constexpr std::size_t kMoves = 7;

SimulationOptions StepOptions(int threads) {
  SimulationOptions o;
  o.tool.kind = SimToolKind::Flat;
  o.tool.diameter = 4;
  o.cell = 0.2;
  o.threads = threads;
  return o;
}

TEST(SimulationSteps, LimitedRunIsTheShorterProgramOnTheWholeStock) {
  CPointStore whole;
  AddPoints(whole, kProgram);
  HeightField full;
  SimulationResult all;
  ASSERT_TRUE(Simulate(whole, StepOptions(2), full, all).ok());
  ASSERT_EQ(all.moves.size(), kMoves);
  ASSERT_EQ(all.rapidCollisions, 1u);
  for (std::size_t limit :
       {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{5}, kMoves, kMoves + 10}) {
    SCOPED_TRACE(limit);
    for (int threads : {1, 2}) {
      SimulationOptions o = StepOptions(threads);
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
  AddPoints(s, kProgram);
  struct Case {
    int threads;
    int stopAfter;  // calls answered true before the stop; -1 never stops
  };
  for (const Case c : {Case{1, -1}, Case{2, -1}, Case{1, 0}, Case{2, 0}, Case{2, 3}}) {
    SCOPED_TRACE(::testing::Message() << c.threads << " threads, stop after " << c.stopAfter);
    SimulationOptions o = StepOptions(c.threads);
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

// ---- Engagement --------------------------------------------------------------------------------

// The engagement the cutting simulation measures per move: the axial depth of cut and the
// radial engagement for slots, a side step on a wall, a plunge and a move in the air, in
// several directions, to within a cell; and nothing measured unless asked.

// A point `along` mm along the direction `angle` (degrees) and `side` mm to its left, from the
// stock's middle.
std::string At(int type, double angle, double along, double side, double z) {
  const double a = angle * M_PI / 180.0;
  char buf[96];
  std::snprintf(buf, sizeof buf, "%d %.6f %.6f %.6f 1000", type,
                50 + along * std::cos(a) - side * std::sin(a),
                50 + along * std::sin(a) + side * std::cos(a), z);
  return buf;
}

TEST(Engagement, SlotsStepsPlungesAndAir) {
  for (const testing::DataCase& k : testing::ReadCases("sim/engagement.txt")) {
    const auto trace = k.Trace();
    const std::string tool = k["tool"];
    const SimToolKind kind = tool.rfind("ball", 0) == 0 ? SimToolKind::Ball : SimToolKind::Flat;
    const double d = std::stod(tool.substr(tool.find(' ')));
    const std::vector<double> path = testing::Numbers(k["path"]);
    const std::size_t move = static_cast<std::size_t>(k.Int("move"));
    const double depth = std::stod(k["depth"]), radial = std::stod(k["radial"]);
    ASSERT_EQ(path.size() % 3, 0u);
    for (double angle : {0.0, 33.0, 90.0}) {
      SCOPED_TRACE(angle);
      CPointStore store;
      std::string program;
      for (std::size_t n = 0; n < path.size(); n += 3)
        program += (n ? ", " : "") + At(n == 0 ? 1 : 4, angle, path[n], path[n + 1], path[n + 2]);
      AddPoints(store, program);
      const SimulationResult r =
          Simulated(store, Tool(kind, d), Box(0, 0, -10, 100, 100, 0), 0.1, false, 0, true).result;
      ASSERT_GT(r.moves.size(), move);
      const SimulatedMove& mv = r.moves[move];
      // The depth is exact at the cells' centres (a ball's lowest point may lie up to half a
      // cell's diagonal from one), the width to within a cell.
      EXPECT_NEAR(mv.depth, depth, 2e-3);
      EXPECT_NEAR(mv.radial, radial, 0.1 + 1e-3);
      EXPECT_LE(mv.radial, d);
    }
  }
}

// Measured only when asked (the same figures on any number of threads:
// Simulation.ThreadsGiveTheSerialResult).
TEST(Engagement, OffWhenNotAsked) {
  CPointStore store;
  testing::AddPoints(store, "1 20 50 5, 4 20 50 -2 800, 4 80 50 -2 800, 4 80 60 -3 800");
  SimulationOptions o;
  o.autoStock = true;
  HeightField field;
  SimulationResult plain;
  ASSERT_TRUE(Simulate(store, o, field, plain).ok());
  ASSERT_GT(plain.removedVolume, 0.0);
  for (const SimulatedMove& mv : plain.moves) EXPECT_EQ(mv.depth + mv.radial, 0.0f);
}

}  // namespace
}  // namespace trevalon
