#include "model/machine_time.h"

#include <gtest/gtest.h>

#include <cmath>

#include "test_support.h"

namespace trevalon {
namespace {

using testing::AddPoints;

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

TEST(MachineTime, SingleMovesFollowTheirSpeedProfile) {
  MachineLimits m = RoundMachine();
  // 100 mm at 100 mm/s: 0.1 s and 5 mm up to speed, 90 mm cruising, 0.1 s down.
  EXPECT_NEAR(Seconds("1 0 0 0, 3 100 0 0 6000", m), 1.1, 1e-6);
  // 2 mm never reach 100 mm/s: a triangle peaking at sqrt(a * L).
  EXPECT_NEAR(Seconds("1 0 0 0, 3 2 0 0 6000", m), 2 * std::sqrt(2000.0) / 1000, 1e-6);
  // Along (3, 4)/5 with Y at half the acceleration: Y's limit holds, 500 / 0.8 = 625 mm/s^2.
  m.accel[1] = 500;
  EXPECT_NEAR(Seconds("1 0 0 0, 3 3 4 0 6000", m), 2 * std::sqrt(625 * 5.0) / 625, 1e-6);
  // A rapid along the same direction with Y at half the rate: 500 / 0.8 = 625 mm/s, reached
  // after 1 s and 312.5 mm at either end of 5000 mm.
  m.rapid[1] = 30000;
  double rapid = 0;
  EXPECT_NEAR(Seconds("1 0 0 0, 1 3000 4000 0", m, &rapid), 9.0, 1e-5);
  EXPECT_NEAR(rapid, 9.0, 1e-5);
  // A rapid run and a cut in line with it do not blend: the machine stops between them
  // (the rapid a triangle over 100 mm, the cut the trapezoid above), and only the rapid
  // counts as rapid time.
  m = RoundMachine();
  EXPECT_NEAR(Seconds("1 0 0 0, 1 100 0 0, 3 200 0 0 6000", m, &rapid),
              2 * std::sqrt(100000.0) / 1000 + 1.1, 1e-6);
  EXPECT_NEAR(rapid, 2 * std::sqrt(100000.0) / 1000, 1e-6);
  // The first point is where the machine stands; a lone point takes no time.
  EXPECT_EQ(Seconds("3 5 5 5 6000", m), 0.0);
  EXPECT_EQ(Seconds("", m), 0.0);
}

TEST(MachineTime, CornersAndArcsLimitTheSpeed) {
  const MachineLimits m = RoundMachine();
  // A 90 degree corner: the speed change points along (-1, 1)/sqrt(2), where the axes allow
  // 1000 * sqrt(2) mm/s^2, so v^2 = a * d * s / (1 - s) with s = sin 45 degrees comes to
  // 1000 * 0.05 * (2 + sqrt(2)): 13.0656 mm/s. Each leg: up to 100 mm/s (0.1 s, 5 mm), down
  // to 13.0656 mm/s (0.0869344 s, 4.9146 mm), 90.0854 mm cruising.
  EXPECT_NEAR(Seconds("1 0 0 0, 3 100 0 0 6000, 4 100 100 0 6000", m), 2.1755758, 1e-6);
  // Going straight on costs nothing at the junction; reversing stops the machine.
  EXPECT_NEAR(Seconds("1 0 0 0, 3 50 0 0 6000, 4 100 0 0 6000", m), 1.1, 1e-6);
  EXPECT_NEAR(Seconds("1 0 0 0, 3 100 0 0 6000, 4 0 0 0 6000", m), 2.2, 1e-6);
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

}  // namespace
}  // namespace trevalon
