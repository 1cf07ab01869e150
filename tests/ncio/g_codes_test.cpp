// The G codes the readers share (g_codes.h): the same small programs read by the classic ISO
// parser, the classic conversational parser and the extended interpreter, so that each
// deliberate difference between them shows side by side, and the scans that count the lines
// a control reads otherwise take cycles and calls from the same table.

#include "ncio/g_codes.h"

#include <gtest/gtest.h>

#include "ncio/ext_reader.h"
#include "ncio/reader_test_support.h"

namespace trevalon::testing {
namespace {

enum class Reader { ClassicIso, ClassicConversational, Extended };

std::vector<Rec> ReadWith(Reader reader, const std::string& text) {
  ReaderBench b;
  b.nc.heidenhainInputChk = reader == Reader::ClassicConversational ? 1 : 0;
  b.nc.extendedReadingChk = reader == Reader::Extended ? 1 : 0;
  EXPECT_EQ(b.AppendText(text), 1);
  return b.Records();
}

struct SideBySide {
  const char* what;
  const char* text;
  const char* iso;             // records of the classic ISO parser, as Recs reads them
  const char* conversational;  // of the classic conversational parser
  const char* extended;        // of the extended interpreter
};

TEST(GCodes, ReadersApplyTheSharedCodesByTheirOwnRules) {
  const SideBySide cases[] = {
      // ISO: G0 always starts a new run of rapids, G1 continues a run of cuts; conversational:
      // both continue; extended: every block naming its motion starts a new run.
      {"G0 and G1 in a run", "G0 X1\nG0 X2\nG1 X3 F100\nG1 X4\nX5\nG0 X6\nX7\n",
       "1 1 0 0 0, 1 2 0 0 0, 3 3 0 0 100, 4 4 0 0 100, 4 5 0 0 100, 1 6 0 0 100, 2 7 0 0 100",
       "1 1 0 0 0, 2 2 0 0 0, 3 3 0 0 100, 4 4 0 0 100, 4 5 0 0 100, 1 6 0 0 100, 2 7 0 0 100",
       "1 1 0 0 0, 1 2 0 0 0, 3 3 0 0 100, 3 4 0 0 100, 4 5 0 0 100, 1 6 0 0 100, 2 7 0 0 100"},
      // ISO: G90 drops the X read before it in the block (the block starts again from where
      // it began); conversational keeps it; extended runs the codes before the words, so G90
      // holds for every coordinate of its block.
      {"G90 after a coordinate", "G1 X5 F100\nX7 G90 Y2\nG91 X1\nX2 G90 Y3\n",
       "3 5 0 0 100, 4 5 2 0 100, 4 6 2 0 100, 4 6 3 0 100",
       "3 5 0 0 100, 4 7 2 0 100, 4 8 2 0 100, 4 2 3 0 100",
       "3 5 0 0 100, 4 7 2 0 100, 4 8 2 0 100, 4 2 3 0 100"},
      // G18 selects the ZX plane for ISO and extended (centre record 92); the conversational
      // parser passes it over and keeps the arc in XY (its centre comes from CC, not I).
      {"G18 before an arc", "G1 X10 F100\nG18 G2 X0 I-5 K0\n",
       "3 10 0 0 100, 8 0 0 0 100, 92 -5 0 0 100", "3 10 0 0 100, 8 0 0 0 100, 91 0 0 0 100",
       "3 10 0 0 100, 8 0 0 0 100, 92 -5 0 0 100"},
      // Classic: a code with a decimal is its integer part (G2.5 is G2, G17.1 is G17, G1.2 is
      // G1); extended: codes of their own it does not run, so nothing after the cut moves.
      {"codes with a decimal", "G1 X10 F100\nG2.5 X0 I-5\nG17.1 X3\nG1.2 X4\n",
       "3 10 0 0 100, 8 0 0 0 100, 91 -5 0 0 100, 8 3 0 0 100, 91 0 0 0 100, 3 4 0 0 100",
       "3 10 0 0 100, 8 0 0 0 100, 91 0 0 0 100, 8 3 0 0 100, 91 0 0 0 100, 3 4 0 0 100",
       "3 10 0 0 100"},
      // A drilling cycle: the classic readers pass the code over and move in the motion in
      // force (conversational: F100 makes it a cut); extended drills (rapid to the hole, to R,
      // cut to Z, back to the initial level).
      {"G81 cycle", "G0 X0 Y0 Z10\nG81 X5 Z-2 R1 F100\nG80\n", "1 0 0 10 0, 2 5 0 -2 100",
       "1 0 0 10 0, 3 5 0 -2 100", "1 0 0 10 0, 2 5 0 10 0, 2 5 0 1 0, 3 5 0 -2 100, 1 5 0 10 100"},
  };
  for (const SideBySide& c : cases) {
    SCOPED_TRACE(c.what);
    {
      SCOPED_TRACE("classic ISO");
      ExpectRecords(ReadWith(Reader::ClassicIso, c.text), Recs(c.iso));
    }
    {
      SCOPED_TRACE("classic conversational");
      ExpectRecords(ReadWith(Reader::ClassicConversational, c.text), Recs(c.conversational));
    }
    {
      SCOPED_TRACE("extended");
      ExpectRecords(ReadWith(Reader::Extended, c.text), Recs(c.extended));
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

}  // namespace
}  // namespace trevalon::testing
