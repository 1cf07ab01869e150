// The engagement the cutting simulation measures per move: the axial depth of cut and the
// radial engagement for slots, a side step on a wall, a plunge and a move in the air, in
// several directions, to within a cell; and nothing measured unless asked.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "sim/simulation.h"
#include "test_support.h"

namespace trevalon {
namespace {

SimulationResult Sim(CPointStore& store, SimToolKind kind, double d, double cell = 0.1,
                     int threads = 0) {
  SimulationOptions o;
  o.tool.kind = kind;
  o.tool.diameter = d;
  o.autoStock = false;
  o.stock.min[0] = 0, o.stock.min[1] = 0, o.stock.min[2] = -10;
  o.stock.max[0] = 100, o.stock.max[1] = 100, o.stock.max[2] = 0;
  o.cell = cell;
  o.threads = threads;
  o.engagement = true;
  HeightField field;
  SimulationResult r;
  EXPECT_TRUE(Simulate(store, o, field, r).ok());
  return r;
}

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
  // Each program: a rapid above the start, then the moves; `move` is the one measured.
  struct Case {
    const char* what;
    SimToolKind kind;
    double d;
    std::vector<std::array<double, 3>> path;  // along, side, z; the first is the rapid's end
    std::size_t move;                         // 0: the first move after the rapid
    double depth, radial;
  } cases[] = {
      // A full-width slot 2 mm deep after its plunge: radial D, axial the depth.
      {"flat slot", SimToolKind::Flat, 10, {{-25, 0, 5}, {-25, 0, -2}, {25, 0, -2}}, 1, 2, 10},
      // A ball's groove as deep as its radius meets the whole width; 1 mm deep, the chord of
      // the sphere at that depth, 2 sqrt(3^2 - 2^2).
      {"ball groove", SimToolKind::Ball, 6, {{-25, 0, 5}, {-25, 0, -3}, {25, 0, -3}}, 1, 3, 6},
      {"shallow ball",
       SimToolKind::Ball,
       6,
       {{-25, 0, 5}, {-25, 0, -1}, {25, 0, -1}},
       1,
       1,
       2 * std::sqrt(5.0)},
      // The plunge itself: straight down into full material, the whole cross-section.
      {"plunge", SimToolKind::Flat, 10, {{-25, 0, 5}, {-25, 0, -2}}, 0, 2, 10},
      // A side step of 1 mm on the wall the slot left: back along it 1 mm over, ending
      // before the slot's end (beyond it the tool's front would meet a crescent across its
      // whole width); then the same half as deep.
      {"side step",
       SimToolKind::Flat,
       10,
       {{-25, 0, 5}, {-25, 0, -3}, {25, 0, -3}, {25, 1, -3}, {-20, 1, -3}},
       3,
       3,
       1},
      {"shallower side step",
       SimToolKind::Flat,
       10,
       {{-25, 0, 5}, {-25, 0, -3}, {25, 0, -3}, {25, 1, -1.5}, {-20, 1, -1.5}},
       3,
       1.5,
       1},
      // Above the stock: nothing met.
      {"air", SimToolKind::Flat, 10, {{-25, 0, 5}, {-25, 0, 0.5}, {25, 0, 0.5}}, 1, 0, 0},
  };
  for (const Case& k : cases) {
    for (double angle : {0.0, 33.0, 90.0}) {
      SCOPED_TRACE(std::string(k.what) + " at " + std::to_string(angle));
      testing::EditParts parts;
      parts.store.Init();
      std::string program;
      for (std::size_t n = 0; n < k.path.size(); ++n)
        program +=
            (n ? ", " : "") + At(n == 0 ? 1 : 4, angle, k.path[n][0], k.path[n][1], k.path[n][2]);
      testing::AddPoints(parts.store, program);
      const SimulationResult r = Sim(parts.store, k.kind, k.d);
      ASSERT_GT(r.moves.size(), k.move);
      const SimulatedMove& mv = r.moves[k.move];
      // The depth is exact at the cells' centres (a ball's lowest point may lie up to half a
      // cell's diagonal from one), the width to within a cell.
      EXPECT_NEAR(mv.depth, k.depth, 2e-3);
      EXPECT_NEAR(mv.radial, k.radial, 0.1 + 1e-3);
      EXPECT_LE(mv.radial, k.d);
    }
  }
}

// Measured only when asked (the same figures on any number of threads:
// Simulation.ThreadsGiveTheSerialResult).
TEST(Engagement, OffWhenNotAsked) {
  CPointStore store;
  store.Init();
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
