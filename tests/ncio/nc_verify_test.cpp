// Verify after writing: programs that read back otherwise than the toolpath (hand-edited
// files) are found with the right first difference and count; what the output's own rules
// allow (framing rapids, arcs in pieces, Heidenhain chords, rounding) is not reported.

#include "ncio/nc_verify.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "app/output_commands.h"
#include "ncio/data_cases.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

class NcVerify : public ::testing::Test {
 protected:
  NcVerifyResult Check(const std::string& program, bool heidenhain = false) {
    const std::string path = dir.file("v.nc");
    std::ofstream(path, std::ios::binary) << program;
    NcVerifyOptions o;
    o.heidenhain = heidenhain;
    NcVerifyPart part;
    part.store = &store;
    return VerifyNcProgram(path, {part}, o);
  }
  TempDir dir;
  CPointStore store;
};

TEST_F(NcVerify, HandEditedProgramsAreFoundWithFirstDifferenceAndCount) {
  // rapid, cut, two continuing cuts with a feed change, rapid up
  AddPoints(store, "1 0 0 5, 3 10 0 5 500, 4 10 10 5 500, 4 0 10 5 800, 1 0 10 20");
  const std::string head = "%\nG90G00G17\nG00X0.000Y0.000Z5.000\n";
  const std::string cuts = "G01X10.000F500\nY10.000\nX0.000F800\n";
  const std::string tail = "G00Z20.000\nM09\nM30\n%\n";
  // As written, and with the rounding of three decimals and framing rapids at both ends.
  EXPECT_TRUE(Check(head + cuts + tail).ok());
  NcVerifyResult r = Check("G00Z50.\nX-5.Y-5.\n" + head + "G01X10.0004F500\nY9.9996\n" +
                           "X0.000F800\n" + tail + "G00X100.\n");
  EXPECT_TRUE(r.ok()) << DescribeFirstDifference(r, Language::English);
  EXPECT_EQ(r.movesCompared, 5u);

  // A changed feed: one difference, at record 2.
  r = Check(head + "G01X10.000F500\nY10.000F550\nX0.000F800\n" + tail);
  EXPECT_EQ(r.status, NcVerifyStatus::Different);
  EXPECT_EQ(r.differences, 1u);
  EXPECT_EQ(r.first.sourceIndex, 2u);
  EXPECT_EQ(DescribeFirstDifference(r, Language::English),
            "record 2: expected G01 X10.000 Y10.000 Z5.000 F500, read G01 X10.000 Y10.000 Z5.000 "
            "F550");

  // A dropped block: record 2 is missing, the rest still matches.
  r = Check(head + "G01X10.000F500\nX0.000Y10.000F800\n" + tail);
  EXPECT_EQ(r.differences, 1u);
  EXPECT_EQ(r.first.sourceIndex, 2u);
  EXPECT_TRUE(r.first.hasRead);  // what stood there instead: the next move
  EXPECT_EQ(r.movesCompared, 4u);

  // An extra cut in the middle, and an extra rapid in the middle: neither is framing.
  r = Check(head + "G01X10.000F500\nX5.000Y5.000\nX10.000Y10.000\nX0.000F800\n" + tail);
  EXPECT_EQ(r.differences, 1u);
  EXPECT_EQ(r.first.sourceIndex, 2u);
  EXPECT_EQ(r.first.read.position[0], 5.0);
  r = Check(head + "G01X10.000F500\nG00Z30.\nG01Z5.\nY10.000\nX0.000F800\n" + tail);
  EXPECT_EQ(r.status, NcVerifyStatus::Different);

  // A cut after the last move is not a closing rapid; the report names the read record.
  r = Check(head + cuts + "G00Z20.000\nG01X3.F100\n");
  EXPECT_EQ(r.differences, 1u);
  EXPECT_FALSE(r.first.hasExpected);
  EXPECT_EQ(r.first.readIndex, 5u);
  EXPECT_NE(DescribeFirstDifference(r, Language::English).find("expected nothing"),
            std::string::npos);

  // A kind read otherwise (a cut read as a rapid), and a file that is not there.
  r = Check(head + "G01X10.000F500\nG00Y10.000\nG01X0.000F800\n" + tail);
  EXPECT_EQ(r.differences, 1u);
  EXPECT_EQ(Check("").differences, 5u);
  std::remove(dir.file("v.nc").c_str());
  NcVerifyPart part;
  part.store = &store;
  EXPECT_EQ(VerifyNcProgram(dir.file("v.nc"), {part}, {}).status, NcVerifyStatus::CannotRead);
}

// The programs of tests/data/ncio/verify_programs.txt against their toolpaths: closing rapids
// that stay above the toolpath's rapid heights or not, arcs in pieces on the same circle.
TEST_F(NcVerify, ProgramsAgainstTheirToolpaths) {
  for (const DataCase& c : ReadCases("ncio/verify_programs.txt")) {
    const auto trace = c.Trace();
    store.count = 0;
    AddPoints(store, c.at("toolpath"));
    const NcVerifyResult r = Check(c.at("program"));
    EXPECT_EQ(r.ok(), c.Int("same") == 1) << DescribeFirstDifference(r, Language::English);
    if (c.fields.count("compared")) {
      EXPECT_EQ(r.movesCompared, static_cast<std::size_t>(c.Int("compared")));
    }
    if (c.fields.count("afterlast")) {
      EXPECT_FALSE(r.first.hasExpected);
    }
  }
}

TEST_F(NcVerify, ChordsForArcsOnlyInHeidenhainOutput) {
  // A ZX quarter circle of radius 10 about (0, 0, 0), from (10, 0, 0) to (0, 0, 10) (G18
  // turns from Z towards X: clockwise).
  AddPoints(store, "1 10 0 0, 8 0 0 10 300, 92 -10 0 0 300");
  // A program of n chords along it, after the rapid to its start.
  const auto chords = [](int n) {
    std::string out = "1 L X+10.000 Y+0.000 Z+0.000 F6000\n";
    for (int k = 1; k <= n; ++k) {
      const double a = 3.14159265358979323846 / 2 * k / n;
      char line[96];
      std::snprintf(line, sizeof line, "%d L X%+.3f Z%+.3f F300\n", k + 1, 10 * std::cos(a),
                    10 * std::sin(a));
      out += line;
    }
    return out;
  };
  // Chords of one degree leave a circle of radius 10 by 0.0004. The Heidenhain reader passes
  // over the character after L: the blank is there for it.
  NcVerifyResult r = Check(chords(90), true);
  EXPECT_TRUE(r.ok()) << DescribeFirstDifference(r, Language::English);
  EXPECT_EQ(r.movesCompared, 2u);
  EXPECT_FALSE(Check(chords(90), false).ok());  // read as ISO it is something else altogether
  // Too coarse: four chords leave the arc by 0.19.
  EXPECT_FALSE(Check(chords(4), true).ok());
}

TEST(NcVerifyCommands, FailedVerifyKeepsTheFileAndTheReaderState) {
  TempDir dir;
  std::ostringstream messages;
  HeadlessPlatform platform{&messages};
  CApplication app{platform};
  testing::StartInTempDir(app, dir);
  CDocument& doc = app.NewDocument();
  // A template whose cuts leave Y out: the program reads back otherwise.
  AddPoints(doc.store, "1 0 0 5, 3 10 0 5 100, 4 10 10 5 100, 1 10 10 20");
  const NcReaderState before = doc.ncReader;
  CPostProcessorDlg dlg;
  dlg.outputPath = dir.file("p.nc");
  dlg.ppr.ParseTemplateText(
      "[Start]\nG00X$XY$YZ$Z\n[End]\n[NewCut]\nG01X$XF$F\n[End]\n[Cut]\nX$X\n[End]\n"
      "[NewRapid]\nG00X$XY$YZ$Z\n[End]\n");
  NcVerifyResult r;
  const Outcome o = PostProcessCommand(app, doc, dlg, &r);
  EXPECT_EQ(o.code(), OutcomeCode::Refused);
  // Record 2 goes to Y10, the program stays at Y0 (what is read there is the closing rapid,
  // which then stands where it should).
  EXPECT_EQ(r.differences, 1u);
  EXPECT_EQ(r.first.sourceIndex, 2u);
  EXPECT_NE(o.reason().find(
                "record 2: expected G01 X10.000 Y10.000 Z5.000 F100, read G00 X10.000 Y10.000 "
                "Z20.000"),
            std::string::npos)
      << o.reason();
  EXPECT_EQ(testing::ReadAll(dlg.outputPath),
            "G00X0.000Y0.000Z5.000\nG00X0.000Y0.000Z5.000\nG01X10.000F100\nX10.000\n"
            "G00X10.000Y10.000Z20.000\n");
  EXPECT_EQ(std::memcmp(&before.fanuc, &doc.ncReader.fanuc, sizeof before.fanuc), 0);
  // The desktop's message in the user's language holds the same.
  EXPECT_NE(DescribeVerifyFailure(r, dlg.outputPath, Language::Korean).find("레코드 2"),
            std::string::npos);
}

}  // namespace
}  // namespace trevalon
