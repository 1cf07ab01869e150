// Small programs as CAM systems and people write them (tests/data), read by a fresh
// application, against records worked out by hand from the blocks.

#include <gtest/gtest.h>

#include "model/statistics.h"
#include "ncio/data_cases.h"
#include "ncio/reader_test_support.h"

namespace trevalon::testing {
namespace {

// The files of tests/data against tests/data/ncio/reader_programs.txt.
TEST(ReaderPrograms, RecordsAsWorkedOutByHand) {
  for (const DataCase& p : ReadCases("ncio/reader_programs.txt")) {
    const auto trace = p.Trace();
    ReaderBench b;
    b.nc.heidenhainInputChk = p.Int("heidenhain");
    b.nc.intNcdataFlg = p.Int("thousandths");
    NcReadOutcome o;
    ASSERT_EQ(b.Load(Data(p.name), &o), 1);
    EXPECT_EQ(o, NcReadOutcome::Read);
    ExpectRecords(b.Records(), Recs(p.at("records")),
                  p.fields.count("tolerance") ? std::stod(p.at("tolerance")) : 0.0);
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
