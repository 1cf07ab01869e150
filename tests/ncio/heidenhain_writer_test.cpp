// Heidenhain programs written by the fixed-format writer, read back by the Heidenhain reader:
// the same moves, feeds and arcs as the toolpath they were written from.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/load_commands.h"
#include "app/output_commands.h"
#include "model/geometry.h"
#include "model/statistics.h"
#include "ncio/nc_writer.h"
#include "ncio/reader_test_support.h"
#include "ncio/toolpath_start.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

class HeidenhainWriter : public ::testing::Test, public testing::AppInTempDir {
 protected:
  // Writes the document's toolpath as Heidenhain and returns the text.
  std::string Write() {
    CNcOutputDlg dlg;
    dlg.outputPath = dir.file("hh.nc");
    dlg.toolChange = false;
    dlg.spindle = 0;
    dlg.openInEditor = false;
    dlg.heidenhain = true;
    int hh = 0;
    EXPECT_TRUE(SaveNcCommand(app, *doc, dlg, hh).ok());
    return ReadAll(dlg.outputPath);
  }
  // Reads the written program with the Heidenhain reader into a fresh store and state.
  std::vector<Move> ReadBack() {
    bench.nc.heidenhainInputChk = 1;
    EXPECT_EQ(bench.Load(dir.file("hh.nc")), 1);
    return Moves(*bench.store);
  }
  ReadBackCounts RoundTrip() {
    Write();
    ReadBackCounts counts;
    // The leading rapids below the climb of a program that had not set Z yet are written at
    // the height of that climb (toolpath_start.h).
    std::vector<Move> want = Moves(doc->store);
    const ToolpathStart entry = FindToolpathStart(doc->store, 0);
    for (std::uint32_t i = 0; i < entry.liftEnd; ++i)  // no centre record before the first cut
      if (want[i].kind == 1) want[i].end[2] = entry.liftHeight;
    ExpectSameToolpath(want, ReadBack(), &counts);
    return counts;
  }

  testing::ReaderBench bench;
};

TEST_F(HeidenhainWriter, BlocksAsTheReaderNeedsThem) {
  // A rapid, a cut, a half circle (two pieces, the feed before DR, a CC before each), a
  // straight continuation right after the arc (its feed alone first), a rapid continuation
  // after a cut (F6000 alone first), and the footer saying the position again, not the arc.
  AddPoints(doc->store,
            "1 0 0 10, 3 10 0 -1 500, 6 10 10 -1 500, 91 0 5 0 500, 4 0 10 -1 500, "
            "2 0 10 10, 3 5 10 10 300, 8 15 10 10 300, 91 5 0 0 300");
  EXPECT_EQ(Write(),
            "1 BEGIN PGM 0 MM\n2 BLK FORM 0.1 Z X+0.000 Y+0.000 Z-100.000\n"
            "3 BLK FORM 0.2 X+100.000 Y+100.000 Z+0.000\n4L X0.000 Y0.000 Z10.000 F6000\n"
            "5L X0.000 Y0.000 Z10.000 F6000\n6L X10.000 Z-1.000 F500\n"
            "7CC X10.000 Y5.000\n8C X15.000 Y5.000 F500 DR+\n"
            "9CC X10.000 Y5.000\n10C X10.000 Y10.000 DR+\n"
            "11F500\n12L X0.000\n13F6000\n14L Z10.000\n15L X5.000 F300\n"
            "16CC X10.000 Y10.000\n17C X10.000 Y15.000 F300 DR-\n"
            "18CC X10.000 Y10.000\n19C X15.000 Y10.000 DR-\n"
            "20L X15.000 Y10.000 Z10.000\n21 END PGM 0 MM\n");
  ReadBackCounts n;
  ExpectSameToolpath(Moves(doc->store), ReadBack(), &n);
  EXPECT_EQ(n.pieces, 4);
  EXPECT_EQ(n.chords, 0);
  // The continuations come back as continuations, so the statistics agree.
  const std::vector<Rec> back = bench.Records();
  EXPECT_EQ(back[6].type, MOVE_LINE_CONT);
  EXPECT_EQ(back[7].type, MOVE_RAPID_CONT);
}

TEST_F(HeidenhainWriter, ArcsOfEverySweepPlaneAndDirection) {
  AddPoints(doc->store,
            "1 30 10 5, 2 30 10 -1, 3 30 10 -1 400, "
            // a quarter counter-clockwise, then continuing clockwise arcs of 179.8 and 270
            // degrees and a full circle with a new feed
            "6 40 20 -1 400, 91 0 10 0 400, "
            "8 59.99994 20.03491 -1 400, 91 10 0 0 400, "
            "8 49.96509 29.99994 -1 400, 91 -9.99994 -0.03491 0 400, "
            "8 49.96509 29.99994 -1 250, 91 0 -5 0 250, "
            // a full circle of radius 0.05, and an arc of 8.5 degrees at the top of its
            // circle, whose chord runs almost along X
            "6 49.96509 29.99994 -1 250, 91 0.05 0 0 250, "
            "4 49.30244 24.97564 -1 250, 8 50.78459 24.96917 -1 250, 91 0.69756 -9.97564 0 250, "
            // a helix: half a turn down by 2
            "4 70 30 -1 250, 6 70 40 -3 250, 91 0 5 0 250, "
            // a half circle in ZX and a full circle in YZ
            "4 70 40 -5 250, 8 70 40 5 250, 92 0 0 5 250, "
            "6 70 40 5 200, 93 0 -3 0 200, "
            "1 70 40 20");
  const ReadBackCounts n = RoundTrip();
  EXPECT_EQ(n.arcs, 9);
  EXPECT_EQ(n.chordArcs, 3);  // the helix, the ZX and the YZ arc
  EXPECT_GT(n.pieces, 6 + 2);
}

TEST_F(HeidenhainWriter, RandomArcsReadBackWithinTheirLimits) {
  // Arcs of every size, sweep, direction and place, joined by cuts: among them chords that run
  // nearly along an axis and radii where the reader cannot tell the sides of a chord apart.
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> u(0, 1);
  AddPoint(doc->store, MOVE_RAPID, 0, 0, 5);
  for (int k = 0; k < 400; ++k) {
    const double cx = std::round((u(rng) - 0.5) * 4e5) / 1000, cy = (u(rng) - 0.5) * 400;
    const double r = std::exp(std::log(0.02) + u(rng) * std::log(500 / 0.02));
    const double a0 = u(rng) * 2 * kPi;
    const double sweep = k % 10 == 0 ? 2 * kPi : (k % 5 == 0 ? 0.02 : 1) * u(rng) * 2 * kPi;
    const int type = k % 2 ? MOVE_ARC_CW : MOVE_ARC_CCW;
    const double a1 = a0 + (type == MOVE_ARC_CW ? -sweep : sweep);
    const double sx = cx + r * std::cos(a0), sy = cy + r * std::sin(a0);
    AddPoint(doc->store, MOVE_LINE, sx, sy, -1, 800);
    // The centre offset from the start as the store holds it.
    const double fx = static_cast<float>(sx), fy = static_cast<float>(sy);
    const double ex = k % 10 == 0 ? sx : cx + r * std::cos(a1);
    const double ey = k % 10 == 0 ? sy : cy + r * std::sin(a1);
    AddPoint(doc->store, type, ex, ey, -1, 800);
    AddPoint(doc->store, PLANE_XY, cx - fx, cy - fy, 0, 800);
  }
  const ReadBackCounts n = RoundTrip();
  EXPECT_EQ(n.arcs, 400);
  // Only arcs that the reader cannot rebuild within 0.005 from 3-decimal ends go out as
  // chords: radii near the reader's own 0.01 and sweeps of a few degrees.
  EXPECT_GT(n.chordArcs, 0);
  EXPECT_EQ(n.plainArcsAsChords, 0);
}

TEST_F(HeidenhainWriter, TheExampleReadsBackWithItsCuttingLength) {
  ASSERT_TRUE(
      LoadNcCommand(app, *doc, std::string(TREVALON_EXAMPLES) + "/core-insert-finish.nc").ok());
  ComputeStatistics(doc->store);
  const ToolpathStatistics want = doc->store.stats;
  const ReadBackCounts n = RoundTrip();
  EXPECT_EQ(n.arcs, 60);
  EXPECT_EQ(n.chordArcs, 0);
  ComputeStatistics(*bench.store);
  EXPECT_NEAR(bench.store->stats.cuttingLength, want.cuttingLength, 0.01);
  // Record 0 lies at Z0 only because the program had not set Z before climbing to Z30 there:
  // it goes out at Z30, and the 30 mm climb from it is no move of the program written.
  EXPECT_NEAR(bench.store->stats.rapidLength, want.rapidLength - 30.0, 0.01);
}

}  // namespace
}  // namespace trevalon
