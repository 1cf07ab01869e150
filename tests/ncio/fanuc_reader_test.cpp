// The Fanuc-style block parser (its block-by-block cases: tests/data/ncio/blocks.txt) and the
// line-by-line read: arcs, the line buffer, CR LF files, the modal state and a full store.

#include <gtest/gtest.h>

#include <fstream>

#include "model/geometry.h"
#include "ncio/reader_test_support.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

// The block parsers of both dialects, block by block (tests/data/ncio/blocks.txt).
TEST(BlockParsers, BlocksAsWorkedOutByHand) {
  for (const DataCase& c : ReadCases("ncio/blocks.txt")) {
    const auto trace = c.Trace();
    RunBlockCase(c);
  }
}

TEST(FanucBlock, CommentsAndSkippedLines) {
  ReaderBench b;
  EXPECT_EQ(b.Fanuc("G01 X10. (FINISH)\n"), 0);
  EXPECT_EQ(b.Fanuc("(  ROUGHING T1  )\n"), 0);
  EXPECT_EQ(b.layers[0].comment, "01 X10. FINISH\r\nROUGHING T1\r\n");
  // "#" wins over "(", anywhere in the line.
  ExpectBlocks(b, false, {{"(VAR) #1=10.\n", 0}, {"#1=10.\n", 0}, {"G0 X#1\n", 0, "x=0"}});
  EXPECT_EQ(b.layers[0].comment, "01 X10. FINISH\r\nROUGHING T1\r\n");
  // A NUL ends the line: what follows it is never seen.
  EXPECT_EQ(b.Fanuc(std::string("G0 X5.\0(A)\n", 11)), 0);
  EXPECT_EQ(b.Fanuc(std::string("G0 X5.\n\0#", 9)), 1);
}

TEST(FanucBlock, ArcsByRadius) {
  ReaderBench r;
  ExpectBlocks(r, false, {{"G2 X10. Y0. R5.\n", 1, "type=8 i=~5 j=~0 radius=5"}});
  // R before X and Y: the centre is computed with the end as it stood, the block's start.
  ASSERT_EQ(r.Fanuc("G2 R5. X20. Y0.\n"), 1);
  const double start[3] = {10, 0, 0};
  double want[3];
  ArcCentreFromRadius(PLANE_XY, start, start, 5.0, MOVE_ARC_CW, want);
  EXPECT_EQ(r.offset[0], want[0]);
  EXPECT_EQ(r.offset[1], want[1]);
  ExpectBlocks(r, false, {{"G3 X30. R\n", 0, "radius=5"}});  // R without a number keeps it
}

// ---- Whole reads ---------------------------------------------------------------------------

TEST(NcRead, ArcsStoreEndPointAndCentreRecordOrChords) {
  ReaderBench b;
  // A block in arc mode without coordinates is a full circle with no offset; K is no XY word.
  ASSERT_EQ(b.AppendText("G1 X0. Y0. F100\nG2 X10. Y0. R5.\nG3 X0. Y0. I-5. J0.\nM5\n"
                         "G17 G3 X-10. Y0. I-5. J0. K3.\n"),
            1);
  ExpectRecords(b.Records(),
                Recs("8 10 0 0 100, 91 5 0 0 100, 6 0 0 0 100, 91 -5 0 0 100, 6 0 0 0 100, "
                     "91 0 0 0 100, 6 -10 0 0 100, 91 -5 0 0 100"),
                1e-9);
  ReaderBench c;
  c.nc.arcToCutInputChk = 1;
  ASSERT_EQ(c.AppendText("G0 X10. Y0.\nG3 X-10. Y0. I-10. J0. F300\nG1 X-20.\n"), 1);
  auto recs = c.Records();
  ASSERT_GT(recs.size(), 10u);
  EXPECT_EQ(recs[0].type, MOVE_RAPID);
  for (std::size_t i = 1; i + 1 < recs.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(recs[i].type, i == 1 ? MOVE_LINE : MOVE_LINE_CONT);  // a cut after the rapid
    EXPECT_EQ(recs[i].feed, 300);
    EXPECT_NEAR(std::hypot(recs[i].x, recs[i].y), 10.0, 1e-4);
    EXPECT_GE(recs[i].y, -1e-6);  // counter-clockwise from +X to -X passes through +Y
  }
  EXPECT_NEAR(recs[recs.size() - 2].x, -10.0, 1e-6);
  EXPECT_EQ(recs.back().type, MOVE_LINE);  // the G01 after the arc
}

TEST(NcRead, LineBufferAndCrLf) {
  ReaderBench b;
  // 100 characters: a first read of 79 (no line feed, dropped) and a tail of 21. The head's
  // G1 and F counted (modal), its coordinates did not; the last line has no line feed and is
  // lost, but its G0 still counted.
  const std::string head = "G1 X1. Y1. F100" + std::string(64, ' ');
  const std::string tail = "   Z-5." + std::string(13, ' ') + "\n";
  ASSERT_EQ(b.AppendText(head + tail + "G0 X7.\nG0 Y9."), 1);
  ExpectRecords(b.Records(), Recs("4 0 0 -5 100, 1 7 0 -5 100"));
  EXPECT_EQ(b.state.fanuc.modalMotion, MOVE_RAPID);
  // 78 characters and a line feed make one line; 79 and a line feed make two.
  ReaderBench c;
  ASSERT_EQ(
      c.AppendText("G1 X3." + std::string(72, ' ') + "\nG1 X4." + std::string(73, ' ') + "\n"), 1);
  ExpectRecords(c.Records(), Recs("3 3 0 0 0"));

  // Every program of the test data reads the same with CR LF line ends as with LF, line
  // lengths included; a lone CR is an ordinary character.
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
  ReaderBench d;
  ASSERT_EQ(d.AppendText("G0 X1.\r\r\nG0 X2.\rY3.\n"), 1);
  ExpectRecords(d.Records(), Recs("1 1 0 0 0, 1 2 3 0 0"));
}

TEST(NcRead, ModalStateCarriesOverFromReadToRead) {
  ReaderBench b;
  ASSERT_EQ(b.AppendText("G91 G1 X5. Y5. F200\nG17 G18\n"), 1);
  EXPECT_EQ(b.state.incremental, 1);
  EXPECT_EQ(b.store->reg.plane, PLANE_ZX);
  // The next read starts absolute and in XY, from the position and motion of the last one;
  // an append keeps the register's feed; each read starts the layer's values afresh.
  ASSERT_EQ(b.AppendText("X10.\nG2 X20. I5. J0.\n"), 1);
  ExpectRecords(b.Records(), Recs("3 5 5 0 200, 4 10 5 0 200, 8 20 5 0 200, 91 5 0 0 200"));
  EXPECT_EQ(b.layers[0].spindle, 0);
  // A load starts from an empty store with type and feed 0; the modal motion survives.
  ReaderBench c;
  ASSERT_EQ(c.AppendText("G1 X1. F700\nX2.\n"), 1);
  TempDir dir;
  std::ofstream(dir.file("p.nc")) << "Y5.\nZ1. M3\n";
  NcReadOutcome o;
  ASSERT_EQ(c.Load(dir.file("p.nc"), &o), 1);
  EXPECT_EQ(o, NcReadOutcome::Read);
  ExpectRecords(c.Records(), Recs("4 2 5 0 0, 4 2 5 1 0"));
  EXPECT_EQ(c.undo.undoPos, 1u);  // the snapshot of the two points before
  EXPECT_EQ(c.undo.SlotCount(0), 2u);
  // A Heidenhain switch other than 1 is reset.
  c.nc.heidenhainInputChk = 5;
  ASSERT_EQ(c.AppendText("G0 X1.\n"), 1);
  EXPECT_EQ(c.nc.heidenhainInputChk, 0);
}

TEST(NcRead, FullStoreStopsWithThePointsStored) {
  // Pages of 3270 records: after two pages no more memory can be had.
  std::string text;
  for (int i = 0; i < 7000; ++i) text += "G1 X" + std::to_string(i % 100) + ".5\n";
  ReaderBench b;
  FailRecordAllocationsAfter(2);
  NcReadOutcome o;
  const int r = b.AppendText(text, &o);
  FailRecordAllocationsAfter(-1);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(o, NcReadOutcome::StoreFull);
  EXPECT_EQ(b.store->count, 2 * CPointStore::kPageSize);
  EXPECT_EQ(b.Records().back().x, static_cast<float>((2 * 3270 - 1) % 100 + 0.5));
  // An arc whose centre record finds no room keeps its end point; chords keep the chords
  // stored before the failing page.
  std::string arcs = "G0 X10. Y0.\n";
  for (int i = 0; i < 3268; ++i) arcs += "G1 X10. Y" + std::to_string((i + 1) % 2) + ".\n";
  arcs += "G2 X10. Y0. I-10. J0.\nG1 X0.\n";
  for (int chords : {0, 1}) {
    ReaderBench c;
    c.nc.arcToCutInputChk = chords;
    FailRecordAllocationsAfter(1);
    EXPECT_EQ(c.AppendText(arcs, &o), 0);
    FailRecordAllocationsAfter(-1);
    EXPECT_EQ(o, NcReadOutcome::StoreFull);
    EXPECT_EQ(c.store->count, CPointStore::kPageSize);
    EXPECT_EQ(c.Records().back().type, chords ? MOVE_LINE_CONT : MOVE_ARC_CW);
  }
  // The same over the pages of a program loaded before, which the undo state shares: a page
  // that cannot be copied stops the chords like a missing one, and none of the old program's
  // points is counted.
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

// Bytes no program holds: NUL bytes, a line of 100 000 characters, a number of 500 digits,
// huge values, stray Heidenhain words. Nothing crashes or hangs. Inputs that a fuzzing run
// finds troublesome are added here.
TEST(NcRead, HostileInputs) {
  const std::string huge(100000, '9');
  const std::string inputs[] = {std::string("G1 X1.\0\0\0\nG2 X5. R\0 9\n", 22),
                                "X" + huge + "\n",
                                "G1 X" + std::string(500, '7') + "\n",
                                huge + "\n" + huge,
                                "G2 X1e300 R-0.000000000000000001\nG3 R1 X.\n",
                                "CC X+1\nC DR+\nCR X9 R+1e5 DR-\nL\nDR",
                                "\xff\xfe G\x80 X\xc3\n\x1a"};
  for (int heid = 0; heid < 2; ++heid) {
    for (int chords = 0; chords < 2; ++chords) {
      ReaderBench b;
      b.nc.heidenhainInputChk = heid;
      b.nc.arcToCutInputChk = chords;
      b.nc.intNcdataFlg = chords;
      for (const std::string& t : inputs) EXPECT_GE(b.AppendText(t), 0);
    }
  }
}

}  // namespace
}  // namespace trevalon::testing
