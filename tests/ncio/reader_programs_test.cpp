// Small programs as CAM systems and people write them (tests/data), read by a fresh
// application, against records worked out by hand from the blocks.

#include <gtest/gtest.h>

#include "model/statistics.h"
#include "ncio/reader_test_support.h"

namespace trevalon::testing {
namespace {

struct ProgramCase {
  const char* file;
  int heidenhain, thousandths;
  const char* records;  // as Recs reads them
  double tolerance;     // 0: exact single-precision values
};

const double kE = 1e-5;  // arcs by radius: centres come out of square roots

TEST(ReaderPrograms, RecordsAsWorkedOutByHand) {
  const ProgramCase cases[] = {
      // G28 G91 Z0. switches to incremental and moves by nothing: no record.
      {"face_mill.nc", 0, 0,
       "1 -30 0 0 0, 2 -30 0 50 0, 2 -30 0 2 0, 3 -30 0 0 300, 4 130 0 0 1200, "
       "4 130 40 0 1200, 4 -30 40 0 1200, 1 -30 40 50 1200",
       0},
      // The second G3 ends where it starts: a full circle.
      {"pocket_ijk.nc", 0, 0,
       "1 0 0 5 0, 3 0 0 -2 200, 4 20 0 -2 800, 6 30 10 -2 800, 91 0 10 0 800, "
       "3 30 30 -2 800, 8 40 40 -2 800, 91 10 0 0 800, 6 40 40 -2 800, "
       "91 -10 0 0 800, 3 60 40 -2 800, 1 60 40 5 800",
       0},
      // R arcs of 90 degrees; R-10 asks for the 270-degree arc about (50, 0).
      {"contour_r.nc", 0, 0,
       "1 0 -10 5 0, 3 0 -10 -1 150, 4 0 0 -1 600, 8 10 10 -1 600, 91 10 0 0 600, "
       "3 30 10 -1 600, 8 40 0 -1 600, 91 0 -10 0 600, 6 50 10 -1 600, "
       "91 10 0 0 600, 6 60 20 -1 600, 91 0 10 0 600, 1 60 20 5 600",
       kE},
      // Helical turns move in Z; the last turn is a full circle at one depth.
      {"helix.nc", 0, 0,
       "1 10 0 2 0, 3 10 0 0 100, 6 10 0 -1 400, 91 -10 0 0 400, 6 10 0 -2 400, "
       "91 -10 0 0 400, 6 10 0 -2 400, 91 -10 0 0 400, 1 10 0 10 400",
       0},
      // G18 drops J, G19 drops I; the bare G17 after the G19 arc is a full circle of the
      // same direction with no offset, in XY.
      {"planes_g18_g19.nc", 0, 0,
       "1 0 0 10 0, 3 0 0 0 300, 8 10 0 10 300, 92 10 0 0 300, 6 10 10 0 300, "
       "93 0 0 -10 300, 6 10 10 0 300, 91 0 0 0 300, 3 0 10 0 300",
       0},
      {"incremental.nc", 0, 0,
       "1 10 10 5 0, 3 10 10 -1 200, 4 30 10 -1 500, 4 30 15 -1 500, "
       "4 10 15 -1 500, 1 10 15 5 500, 2 50 15 5 500, 3 50 15 -1 500, "
       "8 60 15 -1 500, 91 5 0 0 500, 1 60 15 5 500",
       0},
      {"thousandths.ppp", 0, 1,
       "1 0 0 5 0, 3 0 0 -0.5 300, 4 12.345 0 -0.5 1200, 4 12.345 6.789 -0.5 1200, "
       "6 22.345 16.789 -0.5 1200, 91 0 10 0 1200, 1 22.345 16.789 5 1200",
       0},
      // The canned cycle is no motion the reader knows: its positions come in as rapids at
      // the drilling depth (its R only sets the radius).
      {"drill_cycle.nc", 0, 0,
       "1 10 10 20 0, 2 10 10 5 0, 2 10 10 -3 100, 2 30 10 -3 100, 2 50 20 -3 100, "
       "1 50 20 50 100",
       0},
      // The 79 characters of N40 are dropped, its tail moves to X99; the last line has no
      // line feed and is lost; lines with "#" are skipped.
      {"long_lines.tap", 0, 0,
       "1 0 0 5 0, 3 0 0 -1 250, 4 99 0 -1 250, 4 20 0 -1 250, 1 20 0 5 250", 0},
      // CR LF: the line of 78 characters fits with its line feed, the one of 79 does not.
      {"crlf_windows.nc", 0, 0, "1 0 0 10 0, 3 0 0 -1 400, 4 10 20 -2 800, 1 10 20 10 800", 0},
      // FMAX zeroes X and is no rapid; IX is absolute; CC X+50 Y+30 gives radius 20 for
      // the C arc; CR R+15 is a half circle about (70, 45).
      {"heidenhain_contour.h", 1, 0,
       "1 0 0 50 0, 2 0 10 50 0, 3 0 10 -2 200, 4 50 10 -2 800, 6 70 30 -2 800, "
       "91 0 20 0 800, 8 70 60 -2 800, 91 0 15 0 800, 3 5 60 -2 800, 4 0 60 50 800",
       kE},
      // F9999 makes rapids; "; check depth" ends at its c and repeats the position.
      {"heidenhain_pocket.h", 1, 0,
       "1 -5 -5 10 9999, 3 -5 -5 -1 300, 4 45 -5 -1 1000, 4 45 45 -1 1000, "
       "4 -5 45 -1 1000, 4 -5 45 -1 1000, 1 -5 45 10 9999",
       0}};
  for (const ProgramCase& p : cases) {
    SCOPED_TRACE(p.file);
    ReaderBench b;
    b.nc.heidenhainInputChk = p.heidenhain;
    b.nc.intNcdataFlg = p.thousandths;
    NcReadOutcome o;
    ASSERT_EQ(b.Load(Data(p.file), &o), 1);
    EXPECT_EQ(o, NcReadOutcome::Read);
    ExpectRecords(b.Records(), Recs(p.records), p.tolerance);
  }
}

TEST(ReaderProgramsLayer, CapturedValuesAndStatistics) {
  ReaderBench b;
  ASSERT_EQ(b.Load(Data("face_mill.nc")), 1);
  // The O word shares its line with a comment, so the whole line is a comment.
  EXPECT_EQ(LayerWords(b.layers[0]),
            "O0 T1 H1 S1500 (1001 FACE MILL 50MM\r\nT1 D50 FACE MILL\r\n)");
  EXPECT_EQ(b.state.incremental, 1);  // left by G28 G91 Z0.
  ASSERT_EQ(ComputeStatistics(*b.store), 1);
  const ToolpathStatistics& s = b.store->stats;
  EXPECT_DOUBLE_EQ(s.rapidLength, 50 + 48 + 50);
  EXPECT_DOUBLE_EQ(s.cuttingLength, 2 + 160 + 40 + 160);
  EXPECT_DOUBLE_EQ(s.cuttingTime, 2.0 / 300 + 360.0 / 1200);
  EXPECT_EQ(s.maxFeed, 1200);
  EXPECT_EQ(s.rapidMax[2], 50.0);

  ReaderBench h;
  h.nc.heidenhainInputChk = 1;
  ASSERT_EQ(h.Load(Data("heidenhain_contour.h")), 1);
  EXPECT_EQ(LayerWords(h.layers[0]), "O0 T0 H0 S0 ()");  // no comment capture in Heidenhain

  ReaderBench d;
  ASSERT_EQ(d.Load(Data("drill_cycle.nc")), 1);
  EXPECT_EQ(LayerWords(d.layers[0]), "O9001 T5 H5 S2000 (SPOT DRILL D6\r\n)");
  EXPECT_DOUBLE_EQ(d.store->reg.radius, 2.0);
}

}  // namespace
}  // namespace trevalon::testing
