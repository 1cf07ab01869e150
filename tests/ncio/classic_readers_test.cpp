// The classic readers: the ISO (Fanuc-style) and the Heidenhain block parsers, the line-by-line
// read, small programs as CAM systems and people write them, the G codes the readers share,
// and the splice that reads an edit as a whole read would.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "model/geometry.h"
#include "model/statistics.h"
#include "ncio/classic_splice.h"
#include "ncio/data_cases.h"
#include "ncio/ext_reader.h"
#include "ncio/g_codes.h"
#include "ncio/reader_test_support.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

// The Fanuc-style block parser (its block-by-block cases: tests/data/ncio/blocks.txt) and the
// line-by-line read: arcs, the line buffer, CR LF files, the modal state and a full store.

// The block parsers of both dialects, block by block (tests/data/ncio/blocks.txt).
TEST(BlockParsers, BlocksAsWorkedOutByHand) {
  for (const DataCase& c : ReadCases("ncio/blocks.txt")) {
    const auto trace = c.Trace();
    RunBlockCase(c);
  }
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

// A reader bench of its own for each read.
struct NcRead : ::testing::Test {
  ReaderBench b;
};

TEST_F(NcRead, ArcsStoreEndPointAndCentreRecordOrChords) {
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

TEST_F(NcRead, LineBufferAndCrLf) {
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
    std::ifstream in(TestData(name), std::ios::binary);
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

TEST_F(NcRead, ModalStateCarriesOverFromReadToRead) {
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

TEST_F(NcRead, FullStoreStopsWithThePointsStored) {
  // Pages of 3270 records: after two pages no more memory can be had.
  std::string text;
  for (int i = 0; i < 7000; ++i) text += "G1 X" + std::to_string(i % 100) + ".5\n";
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
TEST_F(NcRead, HostileInputs) {
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

// The Heidenhain block parser: the centre of a C arc and CR with a radius that is not
// positive (the block-by-block cases, feeds, FMAX, DR and the words that end a block:
// tests/data/ncio/blocks.txt).

TEST(HeidenhainBlock, CircleCentreArcs) {
  ReaderBench b;
  ExpectBlocks(b, true,
               {{"L X+10 Y+0 F100\n", 1},
                {"CC X+0 Y+0\n", 0, "radius=10 cc=0"},
                {"C X-10 Y+0 DR+\n", 1, "type=6 x=-10"}});
  const double start[3] = {10, 0, 0}, end[3] = {-10, 0, 0};
  double want[3];
  ArcCentreFromRadius(PLANE_XY, start, end, 10.0, MOVE_ARC_CCW, want);
  EXPECT_EQ(b.offset[0], want[0]);
  EXPECT_EQ(b.offset[1], want[1]);
  // The next block starts with that offset; an arc without motion is a full circle.
  ASSERT_EQ(b.Heidenhain("M5\n"), 1);
  EXPECT_EQ(b.offset[0], want[0]);
  // CR with a radius that is not positive is a straight feed move.
  ExpectBlocks(b, true, {{"CR X+10 Y+0 R-5 DR+\n", 1, "type=3 modal=3 radius=-5"}});
}

// Small programs as CAM systems and people write them (tests/data), read by a fresh
// application, against records worked out by hand from the blocks.

// The files of tests/data against tests/data/ncio/reader_programs.txt.
TEST(ReaderPrograms, RecordsAsWorkedOutByHand) {
  for (const DataCase& p : ReadCases("ncio/reader_programs.txt")) {
    const auto trace = p.Trace();
    ReaderBench b;
    b.nc.heidenhainInputChk = p.Int("heidenhain");
    b.nc.intNcdataFlg = p.Int("thousandths");
    NcReadOutcome o;
    ASSERT_EQ(b.Load(TestData(p.name), &o), 1);
    EXPECT_EQ(o, NcReadOutcome::Read);
    ExpectRecords(b.Records(), Recs(p.at("records")),
                  p.fields.count("tolerance") ? std::stod(p.at("tolerance")) : 0.0);
    if (p.fields.count("layer")) {
      EXPECT_EQ(LayerWords(b.layers[0]), p.at("layer"));
    }
    if (p.fields.count("incremental")) {
      EXPECT_EQ(b.state.incremental, p.Int("incremental"));
    }
    if (p.fields.count("radius")) {
      EXPECT_EQ(b.store->reg.radius, std::stod(p.at("radius")));
    }
  }
}

TEST(ReaderProgramsLayer, Statistics) {
  ReaderBench b;
  ASSERT_EQ(b.Load(TestData("face_mill.nc")), 1);
  ASSERT_EQ(ComputeStatistics(*b.store), 1);
  const ToolpathStatistics& s = b.store->stats;
  EXPECT_DOUBLE_EQ(s.rapidLength, 50 + 48 + 50);
  EXPECT_DOUBLE_EQ(s.cuttingLength, 2 + 160 + 40 + 160);
  EXPECT_DOUBLE_EQ(s.cuttingTime, 2.0 / 300 + 360.0 / 1200);
  EXPECT_EQ(s.maxFeed, 1200);
  EXPECT_EQ(s.rapidMax[2], 50.0);
}

// The G codes the readers share (g_codes.h): the same small programs read by the classic ISO
// parser, the classic conversational parser and the extended interpreter, so that each
// deliberate difference between them shows side by side, and the scans that count the lines
// a control reads otherwise take cycles and calls from the same table.

enum class Reader { ClassicIso, ClassicConversational, Extended };

std::vector<Rec> ReadWith(Reader reader, const std::string& text) {
  ReaderBench b;
  b.nc.heidenhainInputChk = reader == Reader::ClassicConversational ? 1 : 0;
  b.nc.extendedReadingChk = reader == Reader::Extended ? 1 : 0;
  EXPECT_EQ(b.AppendText(text), 1);
  return b.Records();
}

// The same programs read by each reader (tests/data/ncio/g_codes_side_by_side.txt).
TEST(GCodes, ReadersApplyTheSharedCodesByTheirOwnRules) {
  const std::pair<Reader, const char*> readers[] = {
      {Reader::ClassicIso, "iso"},
      {Reader::ClassicConversational, "conversational"},
      {Reader::Extended, "extended"}};
  for (const DataCase& c : ReadCases("ncio/g_codes_side_by_side.txt")) {
    const auto trace = c.Trace();
    for (const auto& [reader, key] : readers) {
      SCOPED_TRACE(key);
      ExpectRecords(ReadWith(reader, c.at("program")), Recs(c.at(key)));
    }
  }
}

// Every code below 1000 against the lines counted as read otherwise, by the classic ISO read
// (its plain-line walk beside the full scan) and by the scan of a whole text: a drilling cycle
// (G73, G74, G76, G81-G89) or a macro call (G65, G66) makes its line differ, and a cycle in
// force makes the next position differ until G80 or a motion code ends it.
TEST(GCodes, CyclesAndCallsCountAsReadOtherwise) {
  const auto classicCount = [](const std::string& text) {
    ReaderBench b;
    EXPECT_EQ(b.AppendText(text), 1);
    return b.state.lastClassic.blocks;
  };
  for (long g = 0; g < 1000; ++g) {
    SCOPED_TRACE(g);
    const bool cycle = g == 73 || g == 74 || g == 76 || (g >= 81 && g <= 89);
    const bool differs = cycle || g == 65 || g == 66;
    const std::string code = "G0 X0\nG" + std::to_string(g);
    const long expected = cycle ? 2 : differs ? 1 : 0;
    EXPECT_EQ(CountClassicDifferences(code + "\nX2\n", false).blocks, expected);
    EXPECT_EQ(classicCount(code + "\nX2\n"), expected);
    if (cycle) {
      EXPECT_EQ(classicCount(code + "\nG80\nX3\n"), 1);
      EXPECT_EQ(classicCount(code + "\nG1 X3\nX4\n"), 1);
    }
  }
}

// The spliced re-read after a text edit against a whole read of the edited text: the same
// records, the same source places, the same layer numbers, comment and reports.

struct ReadDoc {
  CPointStore store;
  LayerSlot layer;
  NcSwitches nc;
  NcReaderState state;
  SourceLines lines;
  ClassicReadIndex index;

  NcReadTarget Target() {
    NcReadTarget t{store, layer, nc, state};
    t.sources = &lines;
    t.measureExtent = false;
    return t;
  }
  // A load's read of the whole text, from the reader state `initial`.
  int FullRead(const std::string& text, const NcReaderState& initial, bool indexed) {
    store.Init();
    store.reg = PointRegister{};
    store.reg.type = MOVE_NONE;
    store.reg.feed = 0;
    state = initial;
    lines = SourceLines{};
    lines.BeginFile(SourceFile{"p.nc", text.size(), 0, 0});
    NcReadTarget t = Target();
    ClassicIndexer indexer(index);
    if (indexed) t.observer = &indexer;
    const int r = ReadClassicText(t, text, 0);
    if (indexed) indexer.Finish(t, r, text.size());
    lines.Fit(store.count);
    return r;
  }
};

std::string Num(std::mt19937& rng, double lo, double hi) {
  char b[32];
  std::snprintf(b, sizeof b, "%.3f", std::uniform_real_distribution<double>(lo, hi)(rng));
  return b;
}

// One block of a milling program, of the kinds the classic reader treats apart.
std::string RandomBlock(std::mt19937& rng) {
  const int kind = std::uniform_int_distribution<int>(0, 22)(rng);
  const auto xy = [&] {
    std::string s = "X";
    s += Num(rng, -50, 50);
    s += " Y";
    s += Num(rng, -50, 50);
    return s;
  };
  switch (kind) {
    case 0:
      return "G0 Z" + Num(rng, 1, 20);
    case 1:
      return "G0 " + xy();
    case 2:
    case 3:
    case 4:
      return "G1 " + xy() + " F" + std::to_string(100 + rng() % 900);
    case 5:
    case 6:
      return xy();
    case 7:
      return "Z" + Num(rng, -5, 5);
    case 8:
      return "G2 " + xy() + " I" + Num(rng, -5, 5) + " J" + Num(rng, -5, 5);
    case 9:
      return "G3 " + xy() + " R" + Num(rng, 60, 90);
    case 10:
      return "(CONTOUR " + std::to_string(rng() % 100) + ")";
    case 11:
      return "T" + std::to_string(rng() % 20) + " M6";
    case 12:
      return "S" + std::to_string(1000 + rng() % 9000) + " M3";
    case 13:
      return "G91";
    case 14:
      return "G90";
    case 15:
      return "G1 X" + Num(rng, -2, 2) + " Y" + Num(rng, -2, 2) + " F" +
             std::to_string(100 + rng() % 900) + " ; a comment long enough to pass the " +
             "seventy-nine characters of the line buffer";
    case 16:
      return "#100=" + std::to_string(rng() % 5);
    case 17:
      return "G81 Z-3. R2. F100";
    case 18:
      return "G1 X99999. F300";
    case 19:
      return "";
    case 20:
      return "G18";
    case 21:
      return "G17 G54 M8";
    default:
      return "N" + std::to_string(rng() % 9000) + " G1 " + xy();
  }
}

std::string LineEnd(std::mt19937& rng) {
  return rng() % 10 == 0 ? "\r\n" : "\n";
}

std::vector<std::string> RandomProgram(std::mt19937& rng, int blocks) {
  std::vector<std::string> lines{"%", "O1234", "G90 G17 G21"};
  for (int i = 0; i < blocks; ++i) lines.push_back(RandomBlock(rng) + LineEnd(rng));
  for (std::size_t i = 0; i < 3; ++i) lines[i] += "\n";
  lines.push_back("M30\n");
  return lines;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l;
  return s;
}

std::uint64_t OffsetOf(const std::vector<std::string>& lines, std::size_t i) {
  std::uint64_t o = 0;
  for (std::size_t k = 0; k < i; ++k) o += lines[k].size();
  return o;
}

void ExpectSameRead(ReadDoc& spliced, ReadDoc& whole, const std::string& what) {
  ASSERT_EQ(spliced.store.count, whole.store.count) << what;
  std::vector<PointRecord> a(spliced.store.count), b(whole.store.count);
  spliced.store.CopyRecordsOut(a.data(), spliced.store.count);
  whole.store.CopyRecordsOut(b.data(), whole.store.count);
  for (std::uint32_t i = 0; i < a.size(); ++i)
    ASSERT_EQ(0, std::memcmp(&a[i], &b[i], sizeof(PointRecord))) << what << ", record " << i;
  ASSERT_EQ(spliced.lines.Size(), whole.lines.Size()) << what;
  for (std::uint32_t i = 0; i < spliced.lines.Size(); ++i) {
    const auto p = spliced.lines.Find(i), q = whole.lines.Find(i);
    ASSERT_EQ(p.has_value(), q.has_value()) << what << ", place of record " << i;
    if (p) {
      ASSERT_EQ(p->offset, q->offset) << what << ", place of record " << i;
    }
  }
  EXPECT_TRUE(spliced.layer.setup == whole.layer.setup) << what;
  EXPECT_EQ(0, std::memcmp(&spliced.state.fanuc.modalPosition, &whole.state.fanuc.modalPosition,
                           sizeof whole.state.fanuc.modalPosition))
      << what;
  const auto after = [](const ReadDoc& d) {  // what a read leaves beside the records
    return std::tuple(d.layer.comment, d.layer.spindle, d.layer.toolNumber, d.state.incremental,
                      d.store.reg.feed, d.state.classicLimits.passedOver,
                      d.state.classicLimits.firstLine, d.state.lastClassic.blocks,
                      d.state.lastClassic.firstLine, d.state.lastClassic.otherDialect);
  };
  EXPECT_EQ(after(spliced), after(whole)) << what;
}

// Random single-block edits (replace, delete, insert), one after another on the same
// document, each compared with a whole read of the text as it then stands.
TEST(ClassicSplice, RandomEditsReadAsAWholeReadDoes) {
  for (const DataCase& c : ReadCases("ncio/splice_programs.txt")) {
    const auto trace = c.Trace();
    std::mt19937 rng(static_cast<unsigned>(c.Int("seed")));
    std::vector<std::string> prog = RandomProgram(rng, c.Int("blocks"));
    NcReaderState initial;
    initial.fanuc.modalPosition[2] = 25.0;  // a read carries the modal state of the last
    ReadDoc doc;
    doc.nc.arcToCutInputChk = c.Int("chords");
    doc.nc.intNcdataFlg = c.Int("thousandths");
    ASSERT_EQ(1, doc.FullRead(Join(prog), initial, true)) << c.name;
    ASSERT_TRUE(doc.index.Valid()) << c.name;
    int spliced = 0;
    for (int edit = 0; edit < 60; ++edit) {
      const int what = static_cast<int>(rng() % 3);
      const std::size_t i = rng() % prog.size();
      TextChange ch;
      ch.begin = OffsetOf(prog, i);
      ch.oldEnd = ch.begin + (what == 2 ? 0 : prog[i].size());
      std::string label = c.name + ", edit " + std::to_string(edit);
      if (what == 0) {
        prog[i] = RandomBlock(rng) + LineEnd(rng);
        label += " replace line " + std::to_string(i + 1);
      } else if (what == 1) {
        prog.erase(prog.begin() + static_cast<long>(i));
        label += " delete line " + std::to_string(i + 1);
      } else {
        prog.insert(prog.begin() + static_cast<long>(i), RandomBlock(rng) + LineEnd(rng));
        label += " insert before line " + std::to_string(i + 1);
      }
      ch.newEnd = ch.begin + (what == 1 ? 0 : prog[i].size());
      const std::string text = Join(prog);
      SpliceResult r;
      NcReadTarget t = doc.Target();
      ASSERT_EQ(1, SpliceClassicRead(t, doc.index, text, ch, &r)) << label;
      spliced += r.toEnd ? 0 : 1;
      ReadDoc whole;
      whole.nc = doc.nc;
      ASSERT_EQ(1, whole.FullRead(text, initial, false)) << label;
      ExpectSameRead(doc, whole, label);
      if (HasFatalFailure()) return;
    }
    // Most edits meet the old read again well before the end of the program.
    if (c.Int("blocks") > 1000) {
      EXPECT_GT(spliced, 30) << c.name;
    }
  }
}

TEST(ClassicSplice, RefusesWhatItCannotServe) {
  std::mt19937 rng(7);
  // Past the first checkpoint, so that an edit before it can meet the old read there.
  const std::vector<std::string> prog =
      RandomProgram(rng, 2 * ClassicReadIndex::kLinesPerCheckpoint);
  const std::string text = Join(prog);
  ReadDoc doc;
  ASSERT_EQ(1, doc.FullRead(text, NcReaderState{}, true));
  const std::uint32_t count = doc.store.count;
  NcReadTarget t = doc.Target();
  // A change that does not fit the indexed text, other switches, no index: nothing changes.
  EXPECT_EQ(0, SpliceClassicRead(t, doc.index, text, TextChange{0, 5, 4}));
  doc.nc.arcToCutInputChk = 1;
  EXPECT_EQ(0, SpliceClassicRead(t, doc.index, text, TextChange{3, 3, 3}));
  doc.nc.arcToCutInputChk = 0;
  ClassicReadIndex none;
  EXPECT_EQ(0, SpliceClassicRead(t, none, text, TextChange{3, 3, 3}));
  EXPECT_EQ(count, doc.store.count);
  // The same text, nothing changed: the read meets itself at the next checkpoint.
  SpliceResult r;
  EXPECT_EQ(1, SpliceClassicRead(t, doc.index, text, TextChange{3, 3, 3}, &r));
  EXPECT_EQ(count, doc.store.count);
  EXPECT_FALSE(r.toEnd);
}

}  // namespace
}  // namespace trevalon::testing
