#include "ncio/ext_macro.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "ncio/data_cases.h"
#include "ncio/ext_reader.h"

namespace trevalon {
namespace {

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
  }
  // The reason speaks the user's language.
  small.language = Language::Korean;
  EXPECT_EQ(RunProgram("#1=0\nX[1/#1]", small).stop, "0으로 나누었습니다. (2번째 줄)");
}

// Calls of programs kept in the control (probing macros, subprograms not in the file) are
// passed over and counted; the program around them is read.
TEST(ExtMacroRunner, CallsNotInTheFileArePassedOver) {
  const Ran r =
      RunProgram("G65 P9810 X10. Y5.\nG0 X1 M98 P77\no<probe> call [1]\nM98\nX2\nM30\nO1\nM99");
  EXPECT_EQ(r.blocks, "G0X1|X2|");
  EXPECT_EQ(r.stop, "");
  EXPECT_EQ(r.passedOver.at("call-not-in-file"), 4);
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

}  // namespace
}  // namespace trevalon
