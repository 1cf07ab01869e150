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

struct Case {
  const char* name;
  const char* program;
  const char* records;
  const char* passed = "";
};

// Values that are not whole numbers are chosen so that the stream prints them exactly
// (at most six significant digits).
const Case kCases[] = {
    {"non-motion blocks, F MAX for its block only, numeric feeds of any size",
     "BEGIN PGM 12 MM\nBLK FORM 0.1 Z X+0 Y+0 Z-40\nBLK FORM 0.2 X+100 Y+100 Z+0\n"
     "TOOL DEF 3\nTOOL CALL 3 Z S4000\nL Z+50 R0 FMAX M3\nL X+10 Y+20 FMAX\n"
     "L Z-5 RL F30000\nL X+30 R0\n* - roughing\n; note X+99\nL Y+40 FMAX\nL X+0\n"
     "END PGM 12 MM\nL X+99 F100",
     "1 0 0 50 0, 1 10 20 50 0, 3 10 20 -5 30000, 4 30 20 -5 30000, 1 30 40 -5 30000, "
     "3 0 40 -5 30000"},
    {"a feed never set reads as 0; a block without F continues the run",
     "L X+10 R0\nL Y+10\nF500\nL X+0", "3 10 0 0 0, 4 10 10 0 0, 4 0 10 0 500"},
    {"line numbers, decimal commas, incremental words, continued blocks",
     "0 BEGIN PGM X MM\n1 L X+1,5 Y-2,25 F100\n2 L IX+1 IY-0,75\n3 L X+4 ~\n   Y+7 Z-1\n"
     "4 L IZ+1 R0 F200",
     "3 1.5 -2.25 0 100, 4 2.5 -3 0 100, 4 4 7 -1 100, 3 4 7 0 200"},
    {"Q parameters by FN 0-4 and formulas, in coordinates and feeds",
     "Q1 = 2 * (3 + 4) ^ 2 / 7\nL X+Q1 Y-Q1 F100\nFN 0: Q2 = +5\nFN 3: Q3 = +Q2 * +Q2\n"
     "FN 4: Q5 = +Q3 DIV +Q2\nFN 1: Q6 = +Q5 + -1\nL Y+Q3 FQ2\nL X-Q6\n"
     "Q4 = SQRT(16) + ABS(-1) + INT(2,7) + SIN(30) + COS 60 + FRAC(1.25) + NEG 1\n"
     "QL7 = Q4 - PI + PI\nL X+QL7 F1500",
     "3 14 -14 0 100, 3 14 25 0 5, 4 -4 25 0 5, 3 7.25 25 0 1500"},
    {"C about the CC point, CC alone at the position, ICC words, full circles",
     "L X+10 Y+0 FMAX\nCC X+0 Y+0\nC X-10 Y+0 DR+ F100\nC X+10 Y+0 DR-\nCC\nL IX+5\n"
     "CC IX-5 IY+0\nC X+15 Y+0 DR+",
     "1 10 0 0 0, 6 -10 0 0 100, 91 -10 0 0 100, 8 10 0 0 100, 91 10 0 0 100, "
     "3 15 0 0 100, 6 15 0 0 100, 91 -5 0 0 100"},
    {"CR by radius: R+ below 180 degrees, R- above, helical",
     "CR X+10 Y+0 R+5 DR- F100\nCR X+0 Y+0 R+10 DR+\nCR X+10 Y+0 R-10 DR+ Z-1",
     "8 10 0 0 100, 91 5 0 0 100, 6 0 0 0 100, 91 -5 -8.66025 0 100, 6 10 0 -1 100, "
     "91 5 -8.66025 0 100"},
    {"CT tangent to the line before and to the arc before",
     "L X+10 F100\nCT X+20 Y+10\nCT X+10 Y+20",
     "3 10 0 0 100, 6 20 10 0 100, 91 0 10 0 100, 6 10 20 0 100, 91 -10 0 0 100"},
    {"LP and CP about the pole; IPA over whole turns as whole circles, rising evenly",
     "CC X+0 Y+0\nLP PR+10 PA+90 F100\nCP IPA+360 IZ-2 DR+\nCP PA+0 DR-\nLP IPR+5\n"
     "CP IPA+450 IZ-5",
     "3 0 10 0 100, 6 0 10 -2 100, 91 0 -10 0 100, 8 10 0 -2 100, 91 0 -10 0 100, "
     "3 15 0 -2 100, 6 15 0 -6 100, 91 -15 0 0 100, 6 0 15 -7 100, 91 -15 0 0 100"},
    {"RND between two straight cuts, with the arc's own feed; CHF cuts the corner",
     "L X+10 F100\nRND R2 F50\nL Y+10\nM8\nCHF 3\nL X+0",
     "3 8 0 0 100, 6 10 2 0 50, 91 0 2 0 50, 3 10 7 0 100, 4 7 10 0 100, 4 0 10 0 100"},
    {"a rounding that is not between straight cuts, or too large, leaves the corner",
     "L X+10 F100\nRND R20\nL Y+10\nRND R1\nCC X+0 Y+0\nC X-10 Y+10 DR+\nRND R1",
     "3 10 0 0 100, 4 10 10 0 100, 6 -10 10 0 100, 91 -10 -10 0 100", "corner-unresolved=3"},
    {"CC with X and Z, or Y and Z, puts the arcs in that plane",
     "L X+10 FMAX\nCC X+0 Z+0\nC X-10 Z+0 DR+ F100\nL X+0 Y+10 Z+0\nCC Y+0 Z+0\n"
     "C Y+0 Z+10 DR-",
     "1 10 0 0 0, 6 -10 0 0 100, 92 -10 0 0 100, 3 0 10 0 100, 8 0 0 10 100, "
     "93 0 -10 0 100"},
    {"section repeats, subprograms with repeats, ends at M30",
     "LBL 1\nL IX+1 F100\nCALL LBL 1 REP 2\nCALL LBL \"UP\" REP 1\nL X+0\nM30\n"
     "LBL \"UP\"\nL IY+1\nLBL 0\nL X+50",
     "3 1 0 0 100, 3 2 0 0 100, 3 3 0 0 100, 4 3 1 0 100, 4 3 2 0 100, 4 0 2 0 100"},
    {"FN 9-12 jumps make loops",
     "Q1 = 0\nLBL 2\nQ1 = Q1 + 1\nL X+Q1 F100\nFN 12: IF +Q1 LT +3 GOTO LBL 2\n"
     "FN 9: IF +0 EQU +0 GOTO LBL 9\nL X+50\nLBL 9\nL Y+1",
     "3 1 0 0 100, 3 2 0 0 100, 3 3 0 0 100, 4 3 1 0 100"},
    {"the datum shift moves every later absolute position, not incremental ones",
     "CYCL DEF 7.0 DATUM SHIFT\nCYCL DEF 7.1 X+100\nCYCL DEF 7.2 Y+50\nL X+0 Y+0 FMAX\n"
     "L IX+5 F100\nCYCL DEF 7.0 DATUM SHIFT\nCYCL DEF 7.1 IX-100\nL X+5\n"
     "CYCL DEF 7.0 DATUM SHIFT\nCYCL DEF 7.1 X+0\nCYCL DEF 7.2 Y+0\nL X+0 Y+0",
     "1 100 50 0 0, 3 105 50 0 100, 4 5 50 0 100, 4 0 0 0 100"},
    {"what is passed over: machine datum, tilted plane, rotary, FK, cycles, APPR/DEP",
     "L Z+100 R0 FMAX M91\nPLANE SPATIAL SPA+0 SPB+45 SPC+0 TURN FMAX\nL X+10 B+45 C+0 FMAX\n"
     "FPOL X+0 Y+0\nFL X+5 Y+5 AN+45\nCYCL DEF 200 DRILLING\nCYCL CALL\nL X+20 FU0.1\n"
     "APPR LT X+30 Y+0 LEN5 RL F200\nDEP LT LEN5 F200\nAPPR PLT PR+10 PA+0 LEN5 RL FMAX\n"
     "CALL PGM SUB.H\nCALL LBL 77",
     "1 10 0 0 0, 3 20 0 0 0, 3 30 0 0 200, 1 10 0 0 200",
     "cycle=1 feed-per-rev=1 fk-contour=2 machine-datum=1 missing-label=1 program-call=1 "
     "rotary=1 tilted-plane=1"},
    {"blanks between address, sign and value, as the control takes them",
     "BEGIN PGM T MM\nL X+0 Y+0 Z+10 FMAX\nL Z + 2 FMAX\nL X+10 F300\nEND PGM T MM",
     "1 0 0 10 0, 1 0 0 2 0, 3 10 0 2 300"},
    {"blanks in incremental, parameter, polar and APPR/DEP words and in DR",
     "Q13 = 4\nL X + Q13 Y - Q13 FMAX\nL IX - 5 F 200\nL Z - Q13 FMAX\nCC X + 0 Y + 0\n"
     "LP PR + 2 PA + 90 F100\nAPPR LT X + 30 Y - 2 LEN 5 RL F200\nL X + 2 Y + 0\n"
     "C X - 2 Y + 0 DR -",
     "1 4 -4 0 0, 3 -1 -4 0 200, 1 -1 -4 -4 200, 3 0 2 -4 100, 3 30 -2 -4 200, "
     "4 2 0 -4 200, 8 -2 0 -4 200, 91 -2 0 0 200"},
    {"FN functions not run are reported; printing and waiting change nothing",
     "L X+1 F100\nFN 18: SYSREAD Q25 = ID210 NR4 IDX3\nL X+Q25\nFN 16: F-PRINT A/B\n"
     "FN 20: WAIT FOR SYNC\nFN 17: SYSWRITE ID990 NR4 IDX3 = Q1\nFN 15: PRINT Q1\n"
     "FN 28: TABREAD Q1 = 5 / \"POS\"\nL Y+1",
     "3 1 0 0 100, 4 0 0 0 100, 4 0 1 0 100", "fn-function=3"},
    {"FU and FZ feeds are said in every block that holds them, the feed in force stays",
     "L X+1 F100\nL X+2 FU0.1\nFZ0.05\nM3 FU 0.2\nL X+3", "3 1 0 0 100, 4 2 0 0 100, 4 3 0 0 100",
     "feed-per-rev=3"},
};

TEST(ExtHeidenhain, ReadsEachConstructAsTheControlRunsIt) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Read r(c.program);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.Records(), c.records);
    EXPECT_EQ(r.Passed(), c.passed);
    EXPECT_EQ(r.report.stopReason, "");
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

// A run error stops the program where it happens, as on the control: the moves before stay,
// the block that raised it moves nothing, and the reason names the line.
TEST(ExtHeidenhain, RunErrorsStopTheProgramWithTheirLine) {
  const struct {
    const char* program;
    const char* records;
    const char* reason;
  } kStops[] = {
      {"L X+1 F100\nFN 14: ERROR = 1000\nL X+2", "3 1 0 0 100",
       "The program raised alarm 1000. (line 2)"},
      {"Q5 = 1001\nL X+1 F100\nFN14:ERROR=Q5", "3 1 0 0 100",
       "The program raised alarm 1001. (line 3)"},
      {"L X+1 F100\nQ1 = 0\nQ2 = 5 / Q1\nL X+2", "3 1 0 0 100", "Division by zero. (line 3)"},
      {"L X+1 F100\nFN 4: Q2 = +5 DIV +0\nL X+2", "3 1 0 0 100", "Division by zero. (line 2)"},
      {"L X+1 F100\nFN 5: Q1 = SQRT -1\nL X+2", "3 1 0 0 100",
       "A function's argument is outside its range. (line 2)"},
      {"L X+1 F100\nQ1 = ASIN 2", "3 1 0 0 100",
       "A function's argument is outside its range. (line 2)"},
      {"Q1 = LN 0", "", "A function's argument is outside its range. (line 1)"},
      {"Q1 = (0 - 8) ^ 0.5", "", "A function's argument is outside its range. (line 1)"},
      {"L X+1 F100\nL X+5 Y+(SQRT -1) F100\nL X+2", "3 1 0 0 100",
       "A function's argument is outside its range. (line 2)"},
      {"LBL 1\nL X+1 F100\nFN 9: IF +1 / 0 EQU +0 GOTO LBL 1\nL X+2", "3 1 0 0 100",
       "Division by zero. (line 3)"},
  };
  for (const auto& c : kStops) {
    SCOPED_TRACE(c.program);
    Read r(c.program);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.Records(), c.records);
    EXPECT_EQ(r.report.stopReason, c.reason);
    EXPECT_EQ(r.Passed(), "");  // a run error is a stop, never also a formula passed over
  }
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
