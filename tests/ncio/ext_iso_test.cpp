// Extended reading of ISO programs: each construct read through the whole-text read against
// records worked out by hand, with what the read reports as passed over; then the dialect
// detection, the text check and the classic read's hints.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <random>

#include "ncio/data_cases.h"
#include "ncio/ext_reader.h"
#include "ncio/reader_test_support.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

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

}  // namespace
}  // namespace trevalon::testing
