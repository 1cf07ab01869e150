// Extended reading, as real controls run programs: the expressions and the macro runner, the
// ISO interpreter and the Heidenhain interpreter.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "model/point_store.h"
#include "model/record_pages.h"
#include "ncio/data_cases.h"
#include "ncio/ext_expression.h"
#include "ncio/ext_heidenhain.h"
#include "ncio/ext_macro.h"
#include "ncio/ext_reader.h"
#include "ncio/reader_test_support.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

// The expressions of tests/data/ncio/ext_expressions.txt against what a control computes:
// precedence, degrees, rounding functions, vacancy, and the reason each bad one is refused.
TEST(ExtExpression, ValuesAndErrors) {
  const std::map<std::string, ExtExprError> errors = {
      {"Syntax", ExtExprError::Syntax},   {"DivisionByZero", ExtExprError::DivisionByZero},
      {"Domain", ExtExprError::Domain},   {"BadVariable", ExtExprError::BadVariable},
      {"TooDeep", ExtExprError::TooDeep}, {"NotFinite", ExtExprError::NotFinite}};
  for (const testing::DataCase& c : testing::ReadCases("ncio/ext_expressions.txt")) {
    const auto trace = c.Trace();
    ExtVariables v;
    v.Set(1, ExtValue::Of(3));
    v.Set(2, ExtValue::Of(-1.2));
    v.Set(101, ExtValue::Of(2));
    v.Set(500, ExtValue::Of(0.5));
    v.SetNamed("Depth", ExtValue::Of(4));
    v.SetNamed("_safe", ExtValue::Of(25));
    v.floorFix = c.fields.count("floorfix") > 0;
    ExtValue out;
    ExtExprError error = ExtExprError::None;
    const bool ok =
        EvaluateExtExpression(c.fields.count("text") ? c["text"] : c.name, v, out, error);
    EXPECT_EQ(ok, !c.fields.count("error"));
    EXPECT_EQ(error, ok ? ExtExprError::None : errors.at(c.at("error")));
    if (ok && c.fields.count("value")) {
      EXPECT_NEAR(out.value, std::stod(c.at("value")), 1e-12);
    }
    if (ok && c.fields.count("vacant")) {
      EXPECT_EQ(out.vacant, c.Int("vacant") == 1);
    }
  }
}

// Every bad expression is refused with its reason (the texts too long for a data file); none
// crashes or loops. Locals belong to their call level; common variables and globals are seen
// from every level.
TEST(ExtExpression, ErrorsAndCallLevels) {
  using E = ExtExprError;
  const std::pair<E, std::vector<std::string>> cases[] = {
      {E::TooDeep,
       {std::string(200, '[') + "1" + std::string(200, ']'), std::string(5000, '-') + "1"}},
      {E::NotFinite, {std::string(5000, '9')}}};
  ExtVariables v;
  for (const auto& [want, texts] : cases)
    for (const std::string& text : texts) {
      SCOPED_TRACE(text.substr(0, 40));
      ExtValue out;
      ExtExprError error = ExtExprError::None;
      EXPECT_FALSE(EvaluateExtExpression(text, v, out, error));
      EXPECT_EQ(error, want);
    }
  EXPECT_FALSE(v.Set(0, ExtValue::Of(1)));  // #0 stays vacant

  v.Set(1, ExtValue::Of(1));
  v.Set(100, ExtValue::Of(100));
  v.SetNamed("local", ExtValue::Of(5));
  v.SetNamed("_global", ExtValue::Of(6));
  v.PushLevel();
  ExtValue x;
  ASSERT_TRUE(v.Get(1, x));
  EXPECT_TRUE(x.vacant);
  ASSERT_TRUE(v.Get(100, x));
  EXPECT_EQ(x.value, 100);
  EXPECT_TRUE(v.GetNamed("local").vacant);
  EXPECT_EQ(v.GetNamed("_GLOBAL").value, 6);
  v.Set(1, ExtValue::Of(9));
  v.PopLevel();
  v.PopLevel();  // the outermost level stays
  ASSERT_TRUE(v.Get(1, x));
  EXPECT_EQ(x.value, 1);
  EXPECT_EQ(v.GetNamed("local").value, 5);
}

struct Ran {
  std::string blocks;  // the blocks handed out, each followed by "|"
  std::string stop;
  std::map<std::string, long> passedOver;
};

Ran RunProgram(const std::string& text, ExtMacroOptions options = {}) {
  const std::vector<std::string_view> lines = SplitNcLines(text);
  ExtReadReport report;
  ExtMacroRunner runner(lines, report, options);
  Ran r;
  std::string block;
  for (int guard = 0; runner.Next(block) && guard < 100000; ++guard) r.blocks += block + "|";
  r.stop = report.stopReason;
  r.passedOver = report.passedOver;
  return r;
}

// Each construct against the blocks a control would execute, and runs that cannot go on,
// stopped with the reason and the line (tests/data/ncio/ext_macro_runs.txt).
TEST(ExtMacroRunner, FlowConstructsAndStops) {
  ExtMacroOptions small;
  small.maxBlocks = 1000;
  for (const testing::DataCase& c : testing::ReadCases("ncio/ext_macro_runs.txt")) {
    const auto trace = c.Trace();
    const Ran r = RunProgram(c.at("program"), small);
    if (c.fields.count("blocks")) {
      EXPECT_EQ(r.blocks, c.at("blocks"));
    }
    EXPECT_EQ(r.stop, c["stop"]);
    if (c.fields.count("passed")) {
      std::string passed;
      for (const auto& [kind, blocks] : r.passedOver)
        passed += (passed.empty() ? "" : " ") + kind + "=" + std::to_string(blocks);
      EXPECT_EQ(passed, c.at("passed"));
    }
  }
  // The reason speaks the user's language.
  small.language = Language::Korean;
  EXPECT_EQ(RunProgram("#1=0\nX[1/#1]", small).stop, "0으로 나누었습니다. (2번째 줄)");
}

// A straight program runs through whatever its length: the block limit counts only what runs
// beyond one pass over the file.
TEST(ExtMacroRunner, LongStraightProgramIsNotALoop) {
  // A loop over long lines stops on the characters it has run through, long before its
  // blocks would reach the limit.
  ExtMacroOptions chars;
  chars.maxChars = 100000;
  std::string line = "N1 X[1";
  for (int i = 0; i < 250; ++i) line += "+#1";
  const Ran loop = RunProgram(line + "]\nGOTO 1", chars);
  const std::string prefix = "The program ran more than ";
  ASSERT_EQ(loop.stop.substr(0, prefix.size()), prefix);
  EXPECT_LT(std::stol(loop.stop.substr(prefix.size())), 300);  // about 100000 / 763 loops

  std::string program;
  for (int i = 0; i < 3000; ++i) program += "G01 X" + std::to_string(i) + "\n";
  ExtMacroOptions small;
  small.maxBlocks = 100;
  const Ran r = RunProgram(program, small);
  EXPECT_EQ(r.stop, "");
  EXPECT_EQ(std::count(r.blocks.begin(), r.blocks.end(), '|'), 3000);
}

// Extended reading of ISO programs: each construct read through the whole-text read against
// records worked out by hand, with what the read reports as passed over; then the dialect
// detection, the text check and the classic read's hints.

// Each construct read through the whole-text read (tests/data/ncio/ext_iso_moves.txt). The
// read may follow records already in the store, and read thousandths.
TEST(ExtIsoRead, MovesAsWorkedOutByHand) {
  for (const DataCase& c : ReadCases("ncio/ext_iso_moves.txt")) {
    const auto trace = c.Trace();
    ReaderBench b;
    AddPoints(*b.store, c["before"]);
    b.nc.extendedReadingChk = 1;
    b.nc.intNcdataFlg = c.Int("thousandths");
    NcReadOutcome o;
    ASSERT_EQ(b.AppendText(c.at("program"), &o), 1);
    EXPECT_EQ(o, NcReadOutcome::Read);
    EXPECT_TRUE(b.state.lastReadExtended);
    EXPECT_EQ(b.state.lastReport.dialect, "ISO");
    ExpectRecords(b.Records(), c["records"].empty() ? std::vector<Rec>{} : Recs(c["records"]),
                  1e-6);
    EXPECT_EQ(PassedOver(b.state.lastReport), c["passed"]);
    if (c.fields.count("layer")) {
      EXPECT_EQ(LayerWords(b.layers[b.layers.workLayer]), c.at("layer"));
    }
  }
}

TEST(ExtRead, NotTextRefusedBeforeAnythingChanges) {
  TempDir dir;
  ReaderBench b;
  AddPoints(*b.store, "1 0 0 5, 3 1 0 5 100");
  b.nc.extendedReadingChk = 1;
  std::string text(6000, ' ');
  text += "G1 X1\n";
  text[5000] = '\0';  // beyond the start that the desktop's first check looks at
  { std::ofstream(dir.file("bin.nc"), std::ios::binary) << text; }
  NcReadOutcome o;
  EXPECT_EQ(b.Load(dir.file("bin.nc"), &o), 0);
  EXPECT_EQ(o, NcReadOutcome::NotText);
  EXPECT_EQ(b.store->count, 2u);
  EXPECT_EQ(b.AppendText("G1 X1\x01\n", &o), 0);
  EXPECT_EQ(o, NcReadOutcome::NotText);
  EXPECT_EQ(b.store->count, 2u);
}

// A plain program read from a file comes a piece of 64 KiB at a time; whatever falls on a
// piece's edge (a CR LF split in two, a comment, a line longer than a piece, a last line
// without its end) must read as the whole text does, and a '#' or a NUL far behind the first
// piece still sends the file to the macro runner or refuses it.
TEST(ExtRead, FileReadInPiecesAsTheWholeText) {
  const std::string block = "X1.2345 Y-2.5 Z0.125 (A NOTE)\r\n";
  std::vector<std::string> texts;
  for (const char* end : {"\r\n", "\r", "\n\r"}) {
    for (int shift = 0; shift < 3; ++shift) {
      std::string t = "G1 F250\n";
      while (t.size() + block.size() < 65536 - 16) t += block;
      t += "G2 X" + std::string(65535 - t.size() - 4 - static_cast<std::size_t>(shift), '1');
      t += std::string(end) + "X3 Y4 (SPLIT\r\nG0 X5 ; HERE\r";
      texts.push_back(t + "Y" + std::string(70000, '2') + "\nX6 Y7 M30\nX8\n");
    }
  }
  texts.push_back(texts[0] + "G1 X#1\n");
  texts.push_back(texts[1] + std::string("X9\0\n", 4));
  for (std::size_t k = 0; k < texts.size(); ++k) {
    SCOPED_TRACE("text " + std::to_string(k));
    ReaderBench whole, file;
    whole.nc.extendedReadingChk = file.nc.extendedReadingChk = 1;
    NcReadOutcome wholeOutcome = NcReadOutcome::Read, fileOutcome = NcReadOutcome::Read;
    const int r = IsNcText(texts[k]) ? ReadNcExtended(whole.Target(), texts[k],
                                                      whole.state.lastReport, &wholeOutcome)
                                     : (wholeOutcome = NcReadOutcome::NotText, 0);
    EXPECT_EQ(file.AppendText(texts[k], &fileOutcome), r);
    EXPECT_EQ(fileOutcome, wholeOutcome);
    ExpectRecords(file.Records(), whole.Records());
    EXPECT_EQ(file.layers[file.layers.workLayer].comment,
              whole.layers[whole.layers.workLayer].comment);
    EXPECT_EQ(PassedOver(file.state.lastReport), PassedOver(whole.state.lastReport));
  }
}

TEST(ExtRead, DialectOfTheFileBeforeTheSwitch) {
  // The texts of tests/data/ncio/dialects.txt.
  const std::map<std::string, NcDialect> dialects = {{"Heidenhain", NcDialect::Heidenhain},
                                                     {"Iso", NcDialect::Iso},
                                                     {"Unknown", NcDialect::Unknown}};
  for (const DataCase& c : ReadCases("ncio/dialects.txt")) {
    const auto trace = c.Trace();
    EXPECT_EQ(DetectNcDialect(SplitNcLines(c.at("text"))), dialects.at(c.at("dialect")));
  }
  // A file that says nothing follows the Heidenhain switch.
  ReaderBench b;
  b.nc.extendedReadingChk = 1;
  b.nc.heidenhainInputChk = 1;
  (void)b.AppendText("M3\n");
  EXPECT_EQ(b.state.lastReport.dialect, "Heidenhain");
  (void)b.AppendText("G0 X1\n");
  EXPECT_EQ(b.state.lastReport.dialect, "ISO");
}

// A line far longer than any block reads as any other (the text check and the line split
// are checked against their byte rules below).
TEST(ExtRead, ALongLine) {
  const std::string longLine = "G1 X" + std::string(5000, '0') + "1 F100";
  ReaderBench b;
  b.nc.extendedReadingChk = 1;
  ASSERT_EQ(b.AppendText(longLine), 1);
  ExpectRecords(b.Records(), Recs("3 1 0 0 100"), 1e-6);
}

// The line split and the text check look at eight bytes at a time: at every offset and
// length, against the byte-by-byte rules, with line ends and control bytes placed anywhere.
TEST(ExtRead, TextScansAgreeWithByteByByteRules) {
  const char pieces[] = {'G',    '1',    ' ',  'x',    '\n',   '\r', '\t', '\x1A',
                         '\x11', '\x1b', '\0', '\x80', '\xff', '#',  '(',  ';'};
  std::uint32_t seed = 7;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const std::size_t size = round % 40;
    for (std::size_t k = 0; k < size; ++k) {
      seed = seed * 1103515245u + 12345u;
      const std::size_t pick = (seed >> 16) % (round % 3 == 0 ? 16 : 9);
      text += pieces[pick];
    }
    std::vector<std::string_view> expected;
    std::size_t b = 0;
    bool control = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c < 0x20 && c != '\t' && c != '\n' && c != '\v' && c != '\f' && c != '\r' &&
          !(c >= 0x11 && c <= 0x14) && c != 0x1A)
        control = true;
      if (c != '\n' && c != '\r') continue;
      expected.push_back(std::string_view(text).substr(b, i - b));
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      b = i + 1;
    }
    if (b < text.size()) expected.push_back(std::string_view(text).substr(b));
    EXPECT_EQ(SplitNcLines(text), expected) << round;
    EXPECT_EQ(IsNcText(text), !control) << round;
  }
}

// A classic read's note: "blocks@first line", and "other" when the program looks like the
// other dialect.
std::string NoteOf(const ClassicReadNote& n) {
  std::ostringstream out;
  out << n.blocks << '@' << n.firstLine << (n.otherDialect ? " other" : "");
  return out.str();
}

// The lines a classic read counts as read differently from a control
// (tests/data/ncio/classic_differences.txt).
TEST(ExtRead, ClassicReadsCountTheBlocksAControlReadsOtherwise) {
  for (const DataCase& c : ReadCases("ncio/classic_differences.txt")) {
    const auto trace = c.Trace();
    EXPECT_EQ(NoteOf(CountClassicDifferences(c.at("program"), c["heidenhain"] == "true")),
              c.at("note"));
  }
}

// A line longer than the classic reader takes comes in pieces: it is one line, and its start,
// which the classic reader takes for no block, is counted once when it moves.
TEST(ExtRead, ClassicCountTakesALongLineAsOne) {
  ClassicDifferences count(false);
  count.Take("G0 X0\n");
  count.Take("G1 X1 Y2 Z3 F100 M8 S1000 T1");  // the first piece of a long line
  count.Take(" H1\n");
  count.Take("G1 X5\n");
  EXPECT_EQ(NoteOf(count.Note()), "1@2");
}

// The classic read notes what a control reads otherwise while its block parser walks each line
// (a plain line is not looked at again): on random programs of short lines built from plain words
// and every construct that makes a line differ, its note is the one a separate look at each line
// gives.
TEST(ExtRead, ClassicReadNotesAsASeparateLookAtEachLine) {
  static const char* const kWords[] = {
      "G0",  "G1",  "G01",  "G2",    "G3",   "G17",   "G80",  "G81", "g83",  "G 1",   "G65",
      "g66", "G-1", "G.5",  "G0081", "X1.5", "x-2",   "Y.5",  "Z+1", "X 1",  "Z\t2",  "I1",
      "J-1", "K0",  "R5",   "r 5",   "F100", "F 100", "S500", "T1",  "H1",   "O10",   "N10",
      "n20", "M3",  "M30",  "M98",   "m97",  "M 99",  "M099", "IF",  "GOTO", "WHILE", "@1",
      "^2",  "[1]", "#1=2", "(C)",   ";X",   "P1",    "Q2",   "c",   "E5",   "XY",    "%",
      "*",   "/",   "+",    "1.5",   "",     "  "};
  std::mt19937 rng(2024);
  for (int program = 0; program < 300; ++program) {
    std::string text;
    const int lines = 1 + static_cast<int>(rng() % 40);
    for (int l = 0; l < lines; ++l) {
      const int words = static_cast<int>(rng() % 6);
      for (int w = 0; w < words; ++w) {
        // Plain words most of the time, as in a real program.
        const std::size_t pick = rng() % 3 != 0 ? rng() % 10 + 17 : rng() % std::size(kWords);
        text += kWords[pick];
        if (rng() % 4 == 0) text += ' ';
      }
      if (l + 1 < lines || rng() % 2 == 0) text += rng() % 5 == 0 ? "\r\n" : "\n";
    }
    SCOPED_TRACE(text);
    ReaderBench b;
    b.AppendText(text);
    const ClassicReadNote want = CountClassicDifferences(text, false);
    EXPECT_EQ(NoteOf(b.state.lastClassic), NoteOf(want));
  }
}

// The extended Heidenhain reader: each construct read into a store and compared with the
// records worked out by hand (type x y z feed; arc ends are followed by their centre record,
// whose x y z are the centre's offset from the arc's start).

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
  EXPECT_EQ(std::tuple(r.info.tool, r.info.spindle, r.info.program), std::tuple(12, 8000, 4711));
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
}  // namespace trevalon::testing
