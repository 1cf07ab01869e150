// Extended reading of ISO programs: each construct read through the whole-text read against
// records worked out by hand, with what the read reports as passed over; then the dialect
// detection, the text check and the classic read's hints.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "ncio/ext_reader.h"
#include "ncio/reader_test_support.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

struct ExtCase {
  const char* what;
  const char* program;
  const char* records;          // as Recs reads them; "" for none
  const char* passedOver = "";  // "kind=blocks ..." in the report's order
  const char* before = "";      // records in the store before the read
  int thousandths = 0;
};

// Each construct read through the whole-text read. The read may follow records already in
// the store (`before`), and read thousandths (which scale lengths only).
TEST(ExtIsoRead, MovesAsWorkedOutByHand) {
  const ExtCase cases[] = {
      {"comments, blanks, lower case, signs", "G01 X4.75 F50. (FEED X)\nx 1 y +2 ;tail\n",
       "3 4.75 0 0 50, 4 1 2 0 50"},
      {"percent lines, N numbers, block delete", "%\nN10 G0 X10 Y0 Z5\n/N20 X20\n%\n",
       "1 10 0 5 0, 2 20 0 5 0"},
      {"G91 and G90 as modal groups", "G91 G1 X10 F100\nY5\nG90 X0\n",
       "3 10 0 0 100, 4 10 5 0 100, 4 0 5 0 100"},
      {"arc by R below 180 degrees", "G17 G1 X10 F200\nG3 X0 Y10 R10\n",
       "3 10 0 0 200, 6 0 10 0 200, 91 -10 0 0 200"},
      {"negative R: the arc over 180 degrees", "G1 X10 F200\nG3 X0 Y10 R-10\n",
       "3 10 0 0 200, 6 0 10 0 200, 91 0 10 0 200"},
      {"clockwise by R", "G1 X10 F200\nG2 X0 Y10 R10\n",
       "3 10 0 0 200, 8 0 10 0 200, 91 0 10 0 200"},
      {"full circle by I", "G1 X10 F100\nG2 I-10\n", "3 10 0 0 100, 8 10 0 0 100, 91 -10 0 0 100"},
      {"helix", "G1 X10 F100\nG3 X0 Y10 Z-2 I-10\n", "3 10 0 0 100, 6 0 10 -2 100, 91 -10 0 0 100"},
      {"ZX plane arc", "G18 G1 X10 F100\nG3 X0 Z10 I-10\n",
       "3 10 0 0 100, 6 0 0 10 100, 92 -10 0 0 100"},
      {"dwell, reference return, machine and work coordinates make no move",
       "G1 X10 F100\nG4 X2.\nG28 G91 Z0\nG90 G53 Z0\nG92 X0 Y0\nG54 G43 H2 Z5\nX20\n",
       "3 10 0 0 100, 4 10 0 5 100, 4 20 0 5 100"},
      {"G81 G98 in G90: every hole back to the initial level",
       "G0 X0 Y0 Z50\nG81 G98 X10 Y10 Z-5 R2 F100\nX20\nG80\nX0\n",
       "1 0 0 50 0, 2 10 10 50 0, 2 10 10 2 0, 3 10 10 -5 100, 1 10 10 50 100, "
       "2 20 10 50 100, 2 20 10 2 100, 3 20 10 -5 100, 1 20 10 50 100, "
       "2 0 10 50 100"},
      {"G99 G81 in G91 with K: R from the initial level, Z from R",
       "G0 X0 Y0 Z10\nG91 G99 G81 X5 Z-7 R-8 K2 F50\n",
       "1 0 0 10 0, 2 5 0 10 0, 2 5 0 2 0, 3 5 0 -5 50, 1 5 0 2 50, 2 10 0 2 50, "
       "3 10 0 -5 50, 1 10 0 2 50"},
      {"a motion G ends the cycle", "G0 Z10\nG83 X1 Z-3 R1 Q1 F60\nG0 X5\n",
       "1 0 0 10 0, 2 1 0 10 0, 2 1 0 1 0, 3 1 0 -3 60, 1 1 0 10 60, 1 5 0 10 60"},
      {"corner rounding", "G1 X10 ,R2 F100\nY10\n",
       "3 8 0 0 100, 6 10 2 0 100, 91 0 2 0 100, 3 10 10 0 100"},
      {"chamfer", "G1 X10 ,C2 F100\nY10\n", "3 8 0 0 100, 4 10 2 0 100, 4 10 10 0 100"},
      {"rounding before an arc is left out and said", "G1 X10 ,R2 F100\nG3 X0 Y10 R10\n",
       "3 10 0 0 100, 6 0 10 0 100, 91 -10 0 0 100", "corner-unresolved=1"},
      {"a corner larger than the move is left out and said", "G1 X1 ,C2 F100\nY10\n",
       "3 1 0 0 100, 4 1 10 0 100", "corner-unresolved=1"},
      {"inch, G95, lathe cycle and rotary axes are reported",
       "G20\nG95\nG71 U1. R0.5\nG1 X1 A90 F1\n", "3 1 0 0 1",
       "feed-per-rev=1 inch=1 lathe-cycle=1 rotary=1"},
      {"polar words: G91 adds to the radius and angle about the origin",
       "G1 @10 ^90 F100\nG91 @5 ^0\n", "3 0 10 0 100, 4 0 15 0 100"},
      {"a missing polar word keeps the point's own radius or angle",
       "G21 G17 G90\nG0 X1.5 Y0 Z0\nG91 G0 ^60\nG90 G0 ^180\nM2\n",
       "1 1.5 0 0 0, 1 0.75 1.2990381 0 0, 1 -1.5 0 0 0"},
      {"polar radius alone, and from the origin (angle 0)", "G1 X3 Y3 F100\n@2\nG0 X0 Y0\nG91 @4\n",
       "3 3 3 0 100, 4 1.4142136 1.4142136 0 100, 1 0 0 0 100, 2 4 0 0 100"},
      {"polar words address X and Y in any plane, with Z as written", "G18 G1 @10 ^0 Z-1 F100\n",
       "3 10 0 -1 100"},
      {"a polar bolt circle: G91 drilling cycle with L repeats",
       "G0 X10 Y0 Z5\nG91 G81 ^90 Z-7 R-3 L4 F100\n",
       "1 10 0 5 0, 2 0 10 5 0, 2 0 10 2 0, 3 0 10 -5 100, 1 0 10 5 100, "
       "2 -10 0 5 100, 2 -10 0 2 100, 3 -10 0 -5 100, 1 -10 0 5 100, "
       "2 0 -10 5 100, 2 0 -10 2 100, 3 0 -10 -5 100, 1 0 -10 5 100, "
       "2 10 0 5 100, 2 10 0 2 100, 3 10 0 -5 100, 1 10 0 5 100"},
      {"modal states of the last block: power-on codes, then as set",
       "#1=#4014\n#2=#4006\nG55 G91 G18 G99\n#3=#4014\n#4=#4003\n#5=[#4002*10+#4010]\n"
       "G90 G17 G1 X#1 Y#2 Z#3 F100\nX#4 Y#5 Z#4201\n",
       "3 54 21 55 100, 4 91 279 1 100"},
      {"F, S, T in force and the positions of the last block",
       "G1 X2 Y3 Z-4 F250 S1200 T7\n#1=#4109\n#2=#4119\n#3=#4120\n#4=[#5001+#5022+#5043]\n"
       "X#1 Y#2 Z#3\nX#4 Y#5063 Z#5004\n",
       "3 2 3 -4 250, 4 250 1200 7 250, 4 1 7 0 250"},
      {"a polar hole in G90 from the cycle's own words",
       "G0 X0 Y0 Z5\nG81 G99 @5 ^180 Z-1 R1 F50\n",
       "1 0 0 5 0, 2 -5 0 5 0, 2 -5 0 1 0, 3 -5 0 -1 50, 1 -5 0 1 50"},
      {"the E axis is ignored", "G1 X10 E0.5 F1200\n", "3 10 0 0 1200"},
      {"M30 ends the program", "G1 X10 F100\nM30\nG1 X50\n", "3 10 0 0 100"},
      {"a feed never set reads as 0", "G1 X10\n", "3 10 0 0 0"},
      {"CR, CR LF and a last line without a line feed", "G1 X10 F100\rX20\r\nX30",
       "3 10 0 0 100, 4 20 0 0 100, 4 30 0 0 100"},
      // The macro runner's own rules (calls, input signals, alarms): ext_macro_test.
      {"parameters and loops run as the control runs them",
       "#1=5\nWHILE [#1 LT 7] DO1\nG1 X#1 F100\n#1=#1+1\nEND1\n", "3 5 0 0 100, 3 6 0 0 100"},
      {"an arc without centre or radius makes no move", "G1 X10 F100\nG2 X0 Y10\nG1 X20\n",
       "3 10 0 0 100, 3 20 0 0 100", "arc-without-centre=1"},
      {"thousandths scale lengths only", "G1 X10000 F500\nG3 X0 Y10000 R10000\n",
       "3 10 0 0 500, 6 0 10 0 500, 91 -10 0 0 500", "", "", 1},
      {"an append starts from the last move", "G91 G1 X1 F100\n",
       "1 0 0 5 0, 3 4 0 5 100, 3 5 0 5 100", "", "1 0 0 5, 3 4 0 5 100"}};
  for (const ExtCase& c : cases) {
    SCOPED_TRACE(c.what);
    ReaderBench b;
    AddPoints(*b.store, c.before);
    b.nc.extendedReadingChk = 1;
    b.nc.intNcdataFlg = c.thousandths;
    NcReadOutcome o;
    ASSERT_EQ(b.AppendText(c.program, &o), 1);
    EXPECT_EQ(o, NcReadOutcome::Read);
    EXPECT_TRUE(b.state.lastReadExtended);
    EXPECT_EQ(b.state.lastReport.dialect, "ISO");
    ExpectRecords(b.Records(), *c.records ? Recs(c.records) : std::vector<Rec>{}, 1e-6);
    EXPECT_EQ(PassedOver(b.state.lastReport), c.passedOver);
  }
  // The work layer takes the comments, the tool, the spindle and the program number.
  ReaderBench b;
  b.nc.extendedReadingChk = 1;
  ASSERT_EQ(b.AppendText("O1234 (PART 7)\nT5 M6\nS8000 M3\nG43 H6 Z50\n"), 1);
  EXPECT_EQ(LayerWords(b.layers[b.layers.workLayer]), "O1234 T5 H6 S8000 (PART 7\r\n)");
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
  struct Case {
    const char* text;
    NcDialect dialect;
  } cases[] = {
      {"0 BEGIN PGM 12 MM\n1 BLK FORM 0.1 Z X+0 Y+0 Z-20\n", NcDialect::Heidenhain},
      {"; made by hand\n1 L X+10 Y+0 R0 FMAX\n", NcDialect::Heidenhain},
      {"10 CC X+0 Y+0\n", NcDialect::Heidenhain},
      {"7 LP PR+10 PA+30 F100\n", NcDialect::Heidenhain},
      {"%\nO100 (L X+10)\nG00 X0\n", NcDialect::Iso},
      {"N1 G90 G17\nN2 x 10.\n", NcDialect::Iso},
      {"(nothing but a comment)\nM3\nT1\n", NcDialect::Unknown},
      {"G17\nG90\nG54\n", NcDialect::Unknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DetectNcDialect(SplitNcLines(c.text)), c.dialect);
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

// The lines a classic read counts as read differently from a control: how many, the first,
// and whether the program looks like the other dialect.
TEST(ExtRead, ClassicReadsCountTheBlocksAControlReadsOtherwise) {
  const struct {
    const char* name;
    const char* text;
    bool heidenhain;
    const char* note;  // as NoteOf writes it
  } kCases[] = {
      {"a plain ISO program", "G0 X0 Y0 Z5\nG1 X10 F100\nY10\nG2 X0 Y0 I-5 J0\nM30\n", false,
       "0@0"},
      {"comments and blanks in moves, macro variables; a comment alone is no block",
       "(PART 7)\nG01 X4.75 F50. (FEED X)\nG2 X 0 Y1 R 5\nG0 X1\n#1=2\n", false, "3@2"},
      {"program flow and calls",
       "G0 X0\nIF[#1GT0]GOTO10\nWHILE[#2LT3]DO1\nEND1\nM98 P100\nG65 P9000 A1\nX1\n", false, "5@2"},
      {"o-words and polar words; a program number is read as a control reads it",
       "G0 X0\no100 sub\nG0 @1 ^60\no100 endsub\nO1000\n", false, "3@2"},
      {"a drilling cycle and each of its positions, up to G80",
       "G0 X0 Y0 Z5\nG81 X1 Y1 Z-2 R1 F100\nX2\nG80\nG0 X3\n", false, "2@2"},
      {"a comment after ';' whose letters the classic rules read as words",
       "G0 X0\nG1 X1 F100 ; FINISH\n", false, "1@2"},
      {"a last line without a line feed is no block", "G0 X0\nG1 X5 F100", false, "1@2"},
      {"a Heidenhain program read as ISO",
       "BEGIN PGM 1 MM\nL X+5 Y+5 Z+10 FMAX\nL X+10 R0 F200\nEND PGM 1 MM\n", false, "4@1 other"},
      {"F MAX read as X0 and a rapid that follows a cut",
       "BEGIN PGM T MM\nL X+5 Y+5 Z+10 FMAX\nL X+10 R0 F200\nL Z+10 FMAX\nEND PGM T MM\n", true,
       "2@2"},
      {"parameters, FN, labels, cycles, polar and incremental words, blanks, decimal commas",
       "L X+1 R0 F100\nQ1 = 5\nL X+Q1\nFN 0: Q2 = +3\nLBL 1\nCALL LBL 1 REP 2\nCYCL DEF 200\n"
       "TOOL CALL 1 Z S5000\nLP PR+5 PA+30\nL IX+5\nL Z + 2\nL X+1,5\nL X+2 ; Y+9\nM30\n",
       true, "11@2"},
      {"a plain Heidenhain program",
       "BEGIN PGM 2 MM\nTOOL CALL 1 Z S5000\nL X+0 Y+0 R0 F5000\nCC X+0 Y+5\nC X+0 Y+10 DR+ "
       "R5 F100\nEND PGM 2 MM\n",
       true, "0@0"},
      {"an ISO program read as Heidenhain", "G0 X0 Y0\nG1 X10 F100\n", true, "2@1 other"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const ClassicReadNote n = CountClassicDifferences(c.text, c.heidenhain);
    EXPECT_EQ(NoteOf(n), c.note);
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

}  // namespace
}  // namespace trevalon::testing
