// The G codes the readers share (g_codes.h): the same small programs read by the classic ISO
// parser, the classic conversational parser and the extended interpreter, so that each
// deliberate difference between them shows side by side, and the scans that count the lines
// a control reads otherwise take cycles and calls from the same table.

#include "ncio/g_codes.h"

#include <gtest/gtest.h>

#include "ncio/data_cases.h"
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

}  // namespace
}  // namespace trevalon::testing
