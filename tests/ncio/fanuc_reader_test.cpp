// The Fanuc-style block parser and the line-by-line read: motion types, words and their
// numbers, arcs, the line buffer, CR LF files, the modal state and a full store.

#include <gtest/gtest.h>

#include <fstream>

#include "model/geometry.h"
#include "ncio/reader_test_support.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

TEST(FanucBlock, MotionTypesFollowTheModalGWord) {
  ReaderBench b;
  PointRegister& r = b.store->reg;
  ASSERT_EQ(b.Fanuc("G0 X10. Y20.\n"), 1);
  EXPECT_EQ(r.type, MOVE_RAPID);
  ASSERT_EQ(b.Fanuc("X30.\n"), 1);
  EXPECT_EQ(r.type, MOVE_RAPID_CONT);
  ASSERT_EQ(b.Fanuc("G0 Y25.\n"), 1);
  EXPECT_EQ(r.type, MOVE_RAPID);  // consecutive G00 blocks each start a run
  ASSERT_EQ(b.Fanuc("G1 X40. F500\n"), 1);
  EXPECT_EQ(r.type, MOVE_LINE);
  EXPECT_EQ(r.feed, 500);
  ASSERT_EQ(b.Fanuc("Y50.\n"), 1);
  EXPECT_EQ(r.type, MOVE_LINE_CONT);
  EXPECT_EQ(r.feed, 500);
  ASSERT_EQ(b.Fanuc("G01 X45.\n"), 1);
  EXPECT_EQ(r.type, MOVE_LINE_CONT);  // G01 after G01 stays a continuation
  EXPECT_DOUBLE_EQ(r.x, 45.0);
  EXPECT_DOUBLE_EQ(r.y, 50.0);
  // Blocks that do not move store nothing, but their words still count.
  EXPECT_EQ(b.Fanuc("N10 G0\n"), 0);
  EXPECT_EQ(b.Fanuc("F800\n"), 0);
  EXPECT_EQ(b.Fanuc("M3 S1000\n"), 0);
  EXPECT_EQ(b.layers[0].spindle, 1000);
  EXPECT_EQ(b.state.fanuc.modalMotion, MOVE_RAPID);
}

TEST(FanucBlock, SkippedAndCommentLines) {
  ReaderBench b;
  EXPECT_EQ(b.Fanuc("G01 X10. (FINISH)\n"), 0);
  EXPECT_EQ(b.layers[0].comment, "01 X10. FINISH\r\n");
  EXPECT_EQ(b.Fanuc("(  ROUGHING T1  )\n"), 0);
  EXPECT_EQ(b.layers[0].comment, "01 X10. FINISH\r\nROUGHING T1\r\n");
  // "#" wins over "(", anywhere in the line.
  EXPECT_EQ(b.Fanuc("(VAR) #1=10.\n"), 0);
  EXPECT_EQ(b.Fanuc("#1=10.\n"), 0);
  EXPECT_EQ(b.Fanuc("G0 X#1\n"), 0);
  EXPECT_EQ(b.layers[0].comment, "01 X10. FINISH\r\nROUGHING T1\r\n");
  EXPECT_EQ(b.store->reg.x, 0.0);
  // A NUL ends the line: what follows it is never seen.
  EXPECT_EQ(b.Fanuc(std::string("G0 X5.\0(A)\n", 11)), 0);
  EXPECT_EQ(b.Fanuc(std::string("G0 X5.\n\0#", 9)), 1);
}

TEST(FanucBlock, NumbersOfWords) {
  ReaderBench b;
  PointRegister& r = b.store->reg;
  EXPECT_EQ(b.Fanuc("G1 X+10.\n"), 0);  // "+" is no part of a number: X has none
  EXPECT_EQ(r.x, 0.0);
  ASSERT_EQ(b.Fanuc("G1 X1-2 Y-.5 Z.\n"), 1);  // as far as the text forms a number
  EXPECT_DOUBLE_EQ(r.x, 1.0);
  EXPECT_DOUBLE_EQ(r.y, -0.5);
  EXPECT_DOUBLE_EQ(r.z, 0.0);
  ASSERT_EQ(b.Fanuc("x2.5y3.5z-1F1500.9\n"), 1);  // lower case, words run together
  EXPECT_DOUBLE_EQ(r.x, 2.5);
  EXPECT_DOUBLE_EQ(r.y, 3.5);
  EXPECT_DOUBLE_EQ(r.z, -1.0);
  EXPECT_EQ(r.feed, 1500);
  ASSERT_EQ(b.Fanuc("X-0.1234 F-12.7\n"), 1);
  EXPECT_EQ(r.x, -0.1234);
  EXPECT_EQ(r.feed, -12);  // truncated toward zero
  // The number buffer keeps 20 characters; the rest of the run goes with the word.
  ASSERT_EQ(b.Fanuc("X1.2345678901234567890123Y7.\n"), 1);
  EXPECT_EQ(r.x, 1.234567890123456789);
  EXPECT_DOUBLE_EQ(r.y, 7.0);
  ASSERT_EQ(b.Fanuc("X12345678901234567890123 Y8.\n"), 1);
  EXPECT_EQ(r.x, 12345678901234567890.0);
  EXPECT_EQ(b.Fanuc("G1 F99999999999\n"), 0);  // beyond 32 bits: no crash, a defined value
  EXPECT_EQ(r.feed, INT32_MIN);
  // A letter without a number stores 0 and invalidates the block.
  EXPECT_EQ(b.Fanuc("X5. Y\n"), 0);
  EXPECT_EQ(r.y, 0.0);
}

TEST(FanucBlock, ThousandthsScaleCoordinatesOnly) {
  ReaderBench b;
  b.nc.intNcdataFlg = 1;
  PointRegister& r = b.store->reg;
  ASSERT_EQ(b.Fanuc("G1 X12345 F1200\n"), 1);
  EXPECT_EQ(r.x, 12345 * 0.001);
  EXPECT_EQ(r.feed, 1200);
  ASSERT_EQ(b.Fanuc("G2 X20000 Y5000 I5000 J0 S800 T3\n"), 1);
  EXPECT_EQ(b.offset[0], 5000 * 0.001);
  EXPECT_EQ(b.layers[0].spindle, 800);
  EXPECT_EQ(b.layers[0].toolNumber, 3);
}

TEST(FanucBlock, LayerValuesAndWordsWithoutNumbers) {
  ReaderBench b;
  LayerSlot& l = b.layers[0];
  b.Fanuc("O1234\n");
  b.Fanuc("T7 M6\n");
  EXPECT_EQ(l.programNumber, 1234);
  EXPECT_EQ(l.toolNumber, 7);
  EXPECT_EQ(l.toolOffset, 7);
  b.Fanuc("G43 Z50. H17\n");
  EXPECT_EQ(l.toolOffset, 17);
  EXPECT_EQ(b.Fanuc("G0 X1. H\n"), 0);  // H without a number: offset stays, block invalid
  EXPECT_EQ(l.toolOffset, 17);
  EXPECT_EQ(b.state.fanuc.modalPosition[0], 0.0);  // an invalid block does not move
  b.Fanuc("T\n");
  EXPECT_EQ(l.toolNumber, 0);
  EXPECT_EQ(l.toolOffset, 0);
  b.Fanuc("S\n");
  b.Fanuc("O\n");
  EXPECT_EQ(l.spindle, 0);
  EXPECT_EQ(l.programNumber, 0);
  // "SPINDLE" is read letter by letter: S (no number), then H with no number, and so on.
  EXPECT_EQ(b.Fanuc("G0 X5. SPINDLE\n"), 0);
}

TEST(FanucBlock, LowerCaseCEndsTheBlock) {
  ReaderBench b;
  EXPECT_EQ(b.Fanuc("G1 X10. c Y5.\n"), 0);
  EXPECT_EQ(b.state.fanuc.modalMotion, MOVE_LINE);  // the G word before it counted
  EXPECT_EQ(b.state.fanuc.modalPosition[0], 0.0);
  EXPECT_EQ(b.Fanuc("G1 X10. C5.\n"), 1);  // upper-case C is skipped
}

TEST(FanucBlock, IncrementalMode) {
  ReaderBench b;
  PointRegister& r = b.store->reg;
  ASSERT_EQ(b.Fanuc("G0 X10. Y10.\n"), 1);
  ASSERT_EQ(b.Fanuc("G91 X5. Y-2.\n"), 1);
  EXPECT_DOUBLE_EQ(r.x, 15.0);
  EXPECT_DOUBLE_EQ(r.y, 8.0);
  EXPECT_EQ(b.Fanuc("X0 Y0\n"), 0);  // no increment, no move
  // G90 and G91 discard the coordinates read before them in the block.
  ASSERT_EQ(b.Fanuc("X3. G90 Y1.\n"), 1);
  EXPECT_DOUBLE_EQ(r.x, 15.0);
  EXPECT_DOUBLE_EQ(r.y, 1.0);
  EXPECT_EQ(b.Fanuc("Y5. G91\n"), 0);
  EXPECT_EQ(b.state.incremental, 1);
  // An arc that does not move is a full circle in incremental mode too.
  ASSERT_EQ(b.Fanuc("G2 I5. J0.\n"), 1);
  EXPECT_DOUBLE_EQ(r.x, 15.0);
}

TEST(FanucBlock, ArcsByRadius) {
  ReaderBench b;
  PointRegister& r = b.store->reg;
  ASSERT_EQ(b.Fanuc("G2 X10. Y0. R5.\n"), 1);
  EXPECT_EQ(r.type, MOVE_ARC_CW);
  EXPECT_NEAR(b.offset[0], 5.0, 1e-9);
  EXPECT_NEAR(b.offset[1], 0.0, 1e-9);
  EXPECT_DOUBLE_EQ(r.radius, 5.0);
  // R before X and Y: the centre is computed with the end as it stood, the block's start.
  ASSERT_EQ(b.Fanuc("G2 R5. X20. Y0.\n"), 1);
  const double start[3] = {10, 0, 0};
  double want[3];
  ArcCentreFromRadius(PLANE_XY, start, start, 5.0, MOVE_ARC_CW, want);
  EXPECT_EQ(b.offset[0], want[0]);
  EXPECT_EQ(b.offset[1], want[1]);
  // R without a number keeps the radius and invalidates the block.
  EXPECT_EQ(b.Fanuc("G3 X30. R\n"), 0);
  EXPECT_DOUBLE_EQ(r.radius, 5.0);
  // Incremental R: the end is the block's start plus the increments.
  ReaderBench c;
  c.Fanuc("G0 X10. Y0.\n");
  ASSERT_EQ(c.Fanuc("G91 G3 X-10. Y10. R10.\n"), 1);
  EXPECT_NEAR(c.offset[0], -10.0, 1e-9);
  EXPECT_NEAR(c.offset[1], 0.0, 1e-9);
  EXPECT_DOUBLE_EQ(c.store->reg.x, 0.0);
  EXPECT_DOUBLE_EQ(c.store->reg.y, 10.0);
}

TEST(FanucBlock, PlaneWordsClearTheNormalOffset) {
  ReaderBench b;
  ASSERT_EQ(b.Fanuc("G2 X10. I5. J3. K2. G18\n"), 1);
  EXPECT_EQ(b.store->reg.plane, PLANE_ZX);
  EXPECT_EQ(b.offset[0], 5.0);
  EXPECT_EQ(b.offset[1], 0.0);
  EXPECT_EQ(b.offset[2], 2.0);
}

// ---- Whole reads ---------------------------------------------------------------------------

TEST(NcRead, ArcsStoreEndPointAndCentreRecord) {
  ReaderBench b;
  ASSERT_EQ(b.AppendText("G1 X0. Y0. F100\nG2 X10. Y0. R5.\nG3 X0. Y0. I-5. J0.\nM5\n"
                         "G17 G3 X-10. Y0. I-5. J0. K3.\n"),
            1);
  ExpectRecords(b.Records(),
                {{MOVE_ARC_CW, 10, 0, 0, 100},
                 {PLANE_XY, 5, 0, 0, 100},
                 {MOVE_ARC_CCW, 0, 0, 0, 100},
                 {PLANE_XY, -5, 0, 0, 100},
                 // an arc that does not move is a full circle with no offset
                 {MOVE_ARC_CCW, 0, 0, 0, 100},
                 {PLANE_XY, 0, 0, 0, 100},
                 {MOVE_ARC_CCW, -10, 0, 0, 100},
                 {PLANE_XY, -5, 0, 0, 100}},
                1e-9);
}

TEST(NcRead, ArcsAsChords) {
  ReaderBench b;
  b.nc.arcToCutInputChk = 1;
  ASSERT_EQ(b.AppendText("G0 X10. Y0.\nG3 X-10. Y0. I-10. J0. F300\nG1 X-20.\n"), 1);
  auto recs = b.Records();
  ASSERT_GT(recs.size(), 10u);
  EXPECT_EQ(recs[0].type, MOVE_RAPID);
  EXPECT_EQ(recs[1].type, MOVE_LINE);  // the first chord after a rapid starts a cut
  for (std::size_t i = 1; i + 1 < recs.size(); ++i) {
    SCOPED_TRACE(i);
    if (i > 1) {
      EXPECT_EQ(recs[i].type, MOVE_LINE_CONT);
    }
    EXPECT_EQ(recs[i].feed, 300);
    EXPECT_NEAR(std::hypot(recs[i].x, recs[i].y), 10.0, 1e-4);
    EXPECT_GE(recs[i].y, -1e-6);  // counter-clockwise from +X to -X passes through +Y
  }
  EXPECT_NEAR(recs[recs.size() - 2].x, -10.0, 1e-6);
  EXPECT_EQ(recs.back().type, MOVE_LINE);  // the G01 after the arc
  for (const Rec& r : recs) EXPECT_FALSE(IsPlaneCode(r.type));
}

TEST(NcRead, LineBuffer) {
  ReaderBench b;
  // 100 characters: a first read of 79 (no line feed, dropped) and a tail of 21.
  std::string head = "G1 X1. Y1. F100" + std::string(64, ' ');
  ASSERT_EQ(head.size(), 79u);
  std::string tail = "   Z-5." + std::string(13, ' ') + "\n";
  ASSERT_EQ(tail.size(), 21u);
  ASSERT_EQ(b.AppendText(head + tail + "G0 X7.\nG0 Y9."), 1);
  // The head's G1 and F counted (modal), its coordinates did not; the last line is lost.
  ExpectRecords(b.Records(), {{MOVE_LINE_CONT, 0, 0, -5, 100}, {MOVE_RAPID, 7, 0, -5, 100}});
  EXPECT_EQ(b.state.fanuc.modalMotion, MOVE_RAPID);  // the lost line's G0 still counted
  // 78 characters and a line feed make one line; 79 and a line feed make two.
  ReaderBench c;
  std::string l78 = "G1 X3." + std::string(72, ' ') + "\n";
  std::string l79 = "G1 X4." + std::string(73, ' ') + "\n";
  ASSERT_EQ(c.AppendText(l78 + l79), 1);
  ExpectRecords(c.Records(), {{MOVE_LINE, 3, 0, 0, 0}});
}

// Every program of the test data reads the same with CR LF line ends as with LF, line
// lengths included; a lone CR is an ordinary character.
TEST(NcRead, CrLfReadsAsLf) {
  for (const char* name : {"face_mill.nc", "pocket_ijk.nc", "long_lines.tap", "contour_r.nc"}) {
    SCOPED_TRACE(name);
    std::ifstream in(Data(name), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {}), crlf;
    for (char ch : text) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    ReaderBench lf, cr;
    ASSERT_EQ(lf.AppendText(text), 1);
    ASSERT_EQ(cr.AppendText(crlf), 1);
    ExpectRecords(cr.Records(), lf.Records());
    EXPECT_EQ(cr.layers[0].comment, lf.layers[0].comment);
  }
  ReaderBench b;
  ASSERT_EQ(b.AppendText("G0 X1.\r\r\nG0 X2.\rY3.\n"), 1);
  ExpectRecords(b.Records(), {{MOVE_RAPID, 1, 0, 0, 0}, {MOVE_RAPID, 2, 3, 0, 0}});
}

TEST(NcRead, ModalStateCarriesOverFromReadToRead) {
  ReaderBench b;
  ASSERT_EQ(b.AppendText("G91 G1 X5. Y5. F200\nG17 G18\n"), 1);
  EXPECT_EQ(b.state.incremental, 1);
  EXPECT_EQ(b.store->reg.plane, PLANE_ZX);
  // The next read starts absolute and in XY, from the position and motion of the last one.
  ASSERT_EQ(b.AppendText("X10.\nG2 X20. I5. J0.\n"), 1);
  auto recs = b.Records();
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(recs[1].type, MOVE_LINE_CONT);
  EXPECT_EQ(recs[1].x, 10.0);
  EXPECT_EQ(recs[1].y, 5.0);
  EXPECT_EQ(recs[1].feed, 200);  // an append keeps the register's feed
  EXPECT_EQ(recs[3].type, PLANE_XY);
  EXPECT_EQ(b.layers[0].spindle, 0);  // each read starts the layer's values afresh
}

TEST(NcRead, LoadStartsFromAnEmptyStoreWithTypeAndFeedZero) {
  ReaderBench b;
  ASSERT_EQ(b.AppendText("G1 X1. F700\nX2.\n"), 1);
  TempDir dir;
  std::ofstream(dir.file("p.nc")) << "Y5.\nZ1. M3\n";
  NcReadOutcome o;
  ASSERT_EQ(b.Load(dir.file("p.nc"), &o), 1);
  EXPECT_EQ(o, NcReadOutcome::Read);
  // The modal motion survives the load; the feed does not.
  ExpectRecords(b.Records(), {{MOVE_LINE_CONT, 2, 5, 0, 0}, {MOVE_LINE_CONT, 2, 5, 1, 0}});
  EXPECT_EQ(b.undo.undoPos, 1u);  // the snapshot of the two points before
  EXPECT_EQ(b.undo.SlotCount(0), 2u);
}

TEST(NcRead, UnopenableFileChangesNothing) {
  ReaderBench b;
  ASSERT_EQ(b.AppendText("G1 X1. F700\n(KEEP)\n"), 1);
  const PointRegister before = b.store->reg;
  TempDir dir;
  for (std::string path : {dir.file("missing.nc"), dir.path().string()}) {
    NcReadOutcome o = NcReadOutcome::Read;
    EXPECT_EQ(b.Load(path, &o), 0);
    EXPECT_EQ(o, NcReadOutcome::CannotOpen);
    EXPECT_EQ(b.store->count, 1u);
    EXPECT_EQ(b.store->reg.feed, before.feed);
    EXPECT_EQ(b.store->reg.type, before.type);
    EXPECT_EQ(b.undo.undoPos, 0u);
    EXPECT_EQ(b.layers[0].comment, "KEEP\r\n");
    EXPECT_EQ(AppendNcProgram(b.Target(), path, &o), 0);
    EXPECT_EQ(b.store->count, 1u);
  }
}

TEST(NcRead, FullStoreStopsWithThePointsStored) {
  // Pages of 3270 records: after two pages no more memory can be had.
  std::string text;
  for (int i = 0; i < 7000; ++i) text += "G1 X" + std::to_string(i % 100) + ".5\n";
  {
    ReaderBench b;
    FailRecordAllocationsAfter(2);
    NcReadOutcome o;
    const int r = b.AppendText(text, &o);
    FailRecordAllocationsAfter(-1);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(o, NcReadOutcome::StoreFull);
    EXPECT_EQ(b.store->count, 2 * CPointStore::kPageSize);
    EXPECT_EQ(b.Records().back().x, static_cast<float>((2 * 3270 - 1) % 100 + 0.5));
  }
  {
    // An arc whose centre record finds no room keeps its end point; chords keep the chords
    // stored before the failing page.
    ReaderBench b;
    std::string arcs = "G0 X10. Y0.\n";
    for (int i = 0; i < 3268; ++i) arcs += "G1 X10. Y" + std::to_string((i + 1) % 2) + ".\n";
    arcs += "G2 X10. Y0. I-10. J0.\nG1 X0.\n";
    FailRecordAllocationsAfter(1);
    EXPECT_EQ(b.AppendText(arcs), 0);
    FailRecordAllocationsAfter(-1);
    EXPECT_EQ(b.store->count, CPointStore::kPageSize);
    EXPECT_EQ(b.Records().back().type, MOVE_ARC_CW);

    ReaderBench c;
    c.nc.arcToCutInputChk = 1;
    FailRecordAllocationsAfter(1);
    NcReadOutcome o;
    EXPECT_EQ(c.AppendText(arcs, &o), 0);
    FailRecordAllocationsAfter(-1);
    EXPECT_EQ(o, NcReadOutcome::StoreFull);
    EXPECT_EQ(c.store->count, CPointStore::kPageSize);
    EXPECT_EQ(c.Records().back().type, MOVE_LINE_CONT);

    // The same over the pages of a program loaded before, which the undo state shares: a
    // page that cannot be copied stops the chords like a missing one, and none of the old
    // program's points is counted.
    ReaderBench d;
    d.nc.arcToCutInputChk = 1;
    std::string before;
    for (std::uint32_t i = 0; i < 3 * CPointStore::kPageSize; ++i)
      before += "G1 X" + std::to_string(i % 100) + ". Y5.\n";
    ASSERT_EQ(d.AppendText(before), 1);
    TempDir dir;
    std::ofstream(dir.file("arcs.nc")) << arcs;
    FailRecordAllocationsAfter(1);
    EXPECT_EQ(d.Load(dir.file("arcs.nc"), &o), 0);
    FailRecordAllocationsAfter(-1);
    EXPECT_EQ(o, NcReadOutcome::StoreFull);
    EXPECT_EQ(d.store->count, CPointStore::kPageSize);
    EXPECT_EQ(d.Records().back().type, MOVE_LINE_CONT);
    EXPECT_NE(d.Records().back().y, 5.0);
  }
}

TEST(NcRead, HeidenhainSwitchOtherThanOneIsReset) {
  ReaderBench b;
  b.nc.heidenhainInputChk = 5;
  ASSERT_EQ(b.AppendText("G0 X1.\n"), 1);
  EXPECT_EQ(b.nc.heidenhainInputChk, 0);
  EXPECT_EQ(b.store->count, 1u);
}

// Bytes no program holds: NUL bytes, a line of 100 000 characters, a number of 500 digits,
// huge values, stray Heidenhain words. Nothing crashes or hangs. Inputs that a fuzzing run
// finds troublesome are added here.
TEST(NcRead, HostileInputs) {
  for (int heid = 0; heid < 2; ++heid) {
    for (int chords = 0; chords < 2; ++chords) {
      ReaderBench b;
      b.nc.heidenhainInputChk = heid;
      b.nc.arcToCutInputChk = chords;
      b.nc.intNcdataFlg = chords;
      std::string nul("G1 X1.\0\0\0\nG2 X5. R\0 9\n", 22);
      std::string huge(100000, '9');
      std::string longNumber = "G1 X" + std::string(500, '7') + "\n";
      for (const std::string& t : {nul, "X" + huge + "\n", longNumber, huge + "\n" + huge,
                                   std::string("G2 X1e300 R-0.000000000000000001\nG3 R1 X.\n"),
                                   std::string("CC X+1\nC DR+\nCR X9 R+1e5 DR-\nL\nDR"),
                                   std::string("\xff\xfe G\x80 X\xc3\n\x1a")}) {
        EXPECT_GE(b.AppendText(t), 0);
      }
    }
  }
}

}  // namespace
}  // namespace trevalon::testing
