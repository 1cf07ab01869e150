// The extended Heidenhain reader: each construct read into a store and compared with the
// records worked out by hand (type x y z feed; arc ends are followed by their centre record,
// whose x y z are the centre's offset from the arc's start).
#include "ncio/ext_heidenhain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/point_store.h"
#include "model/record_pages.h"
#include "ncio/data_cases.h"
#include "ncio/ext_reader.h"
#include "ncio/reader_test_support.h"

namespace trevalon {
namespace {

// Away from noise below the stored precision (and from -0).
double Round(float v) {
  return std::round(static_cast<double>(v) * 1e5) / 1e5 + 0.0;
}

struct Read {
  std::unique_ptr<CPointStore> store = std::make_unique<CPointStore>();
  ExtReadReport report;
  ExtProgramInfo info;
  int result = -1;
  std::string text;  // the lines point into it

  explicit Read(const std::string& program, const double start[3] = nullptr) : text(program) {
    static const double origin[3] = {0, 0, 0};
    ExtMoveSink sink(*store, false);
    result =
        ReadHeidenhainExtended(SplitNcLines(text), sink, report, start ? start : origin, &info);
  }
  std::string Records() const {
    std::ostringstream out;
    for (std::uint32_t i = 0; i < store->count; ++i) {
      const PointRecord* r = store->RawRecord(i);
      out << (i ? ", " : "") << r->type << ' ' << Round(r->x) << ' ' << Round(r->y) << ' '
          << Round(r->z) << ' ' << r->feed;
    }
    return out.str();
  }
  std::string Passed() const { return testing::PassedOver(report); }
};

// Each construct against the records worked out by hand, and run errors that stop the program
// where they happen (tests/data/ncio/ext_heidenhain_constructs.txt).
TEST(ExtHeidenhain, ReadsEachConstructAsTheControlRunsIt) {
  for (const testing::DataCase& c : testing::ReadCases("ncio/ext_heidenhain_constructs.txt")) {
    const auto trace = c.Trace();
    Read r(c.at("program"));
    EXPECT_EQ(r.result, c["stop"].empty() ? 1 : 0);
    EXPECT_EQ(r.Records(), c.at("records"));
    EXPECT_EQ(r.Passed(), c["passed"]);
    EXPECT_EQ(r.report.stopReason, c["stop"]);
  }
}

TEST(ExtHeidenhain, KeepsToolSpindleAndProgramAndStartsWhereTold) {
  const double start[3] = {5, 5, 20};
  Read r("BEGIN PGM 4711 MM\nTOOL CALL 12 Z S8000 F300\nL IZ-10 F300\nEND PGM 4711 MM", start);
  EXPECT_EQ(r.Records(), "3 5 5 10 300");
  EXPECT_EQ(r.info.tool, 12);
  EXPECT_EQ(r.info.spindle, 8000);
  EXPECT_EQ(r.info.program, 4711);
}

TEST(ExtHeidenhain, StopsLoopsThatNeverEndAndCallsThatNestWithoutEnd) {
  Read loop("L X+1 F100\nLBL 1\nQ1 = Q1 + 1\nFN 9: IF +0 EQU +0 GOTO LBL 1\nL X+2");
  EXPECT_EQ(loop.result, 0);
  EXPECT_NE(loop.report.stopReason, "");
  EXPECT_EQ(loop.Records(), "3 1 0 0 100");  // the cut before the loop stays

  Read self("L X+1 F100\nCALL LBL 1\nM30\nLBL 1\nL IY+1\nCALL LBL 1\nLBL 0");
  EXPECT_EQ(self.result, 0);
  EXPECT_NE(self.report.stopReason, "");
  EXPECT_EQ(self.store->count, 65u);  // the first cut and one per call level
}

TEST(ExtHeidenhain, BadBlocksAreSkippedWithoutHarm) {
  Read r(
      "Q1 = ((((((\nQ3 = SIN\nL X+Q F100\nL X+(1+\nCR X+5 R+0 DR+\n"
      "CT X+1 Y+1\nCP PA+10\nFN 9: IF\nCALL LBL\nLBL\nRND\nCHF\nCC X\n\n~\n"
      "Q4 = " +
      std::string(500, '(') + "1" + std::string(500, ')') + "\nL X+3 Y+Q4");
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.report.stopReason, "");
  EXPECT_GT(r.report.passedOver.at("formula"), 3);
  // Whatever the bad blocks did, the last cut ends where it says (Q4 kept its value 0).
  ASSERT_GT(r.store->count, 0u);
  const PointRecord* last = r.store->RawRecord(r.store->count - 1);
  EXPECT_EQ(float{last->x}, 3.0f);
  EXPECT_EQ(float{last->y}, 0.0f);
}

TEST(ExtHeidenhain, AFullStoreStopsTheReadAndKeepsEveryMoveBefore) {
  std::string program =
      "Q1 = 0\nLBL 1\nQ1 = Q1 + 1\nL X+Q1 F100\nCC X+0 Y+0\n"
      "C X-Q1 Y+0 DR+\nFN 12: IF +Q1 LT +2000000 GOTO LBL 1\n";
  FailRecordAllocationsAfter(1);
  Read r(program);
  FailRecordAllocationsAfter(-1);
  EXPECT_EQ(r.result, 0);
  ASSERT_GT(r.store->count, 0u);
  // The last record kept is a whole arc: its end and its centre record.
  EXPECT_EQ(r.store->RawRecord(r.store->count - 1)->type, PLANE_XY);
}

TEST(ExtHeidenhain, ExtendedReadingOfAFileRunsTheInterpreter) {
  testing::ReaderBench b;
  b.nc.extendedReadingChk = 1;
  EXPECT_EQ(b.AppendText("BEGIN PGM 7 MM\r\nTOOL CALL 4 Z S2500\r\nL X+1 FQ1\r\n"
                         "Q1 = 250\r\nL Y+2 FQ1\r\nL Z+9 FMAX"),
            1);
  EXPECT_EQ(b.state.lastReport.dialect, "Heidenhain");
  EXPECT_EQ(testing::LayerWords(b.layers[b.layers.workLayer]), "O7 T4 H4 S2500 ()");
  ASSERT_EQ(b.store->count, 3u);
  EXPECT_EQ(b.store->RawRecord(1)->feed, 250);
  EXPECT_EQ(b.store->RawRecord(2)->type, MOVE_RAPID);
}

}  // namespace
}  // namespace trevalon
