#include "ncio/ext_macro.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

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

struct Case {
  const char* name;
  const char* program;
  const char* blocks;
};

// Each construct against the blocks a control would execute, worked out by hand.
TEST(ExtMacroRunner, FlowConstructs) {
  const Case cases[] = {
      {"plain blocks keep their text, comments go", "G01 X4.75 F50. (FEED X)\nX 0 ; end\n\n%",
       "G01 X4.75 F50. |X 0 |"},
      {"expressions become numbers", "#1=1\n#5=500\nG01 X[#1+2] F#5", "G01X3.F500.|"},
      {"signs, brackets, functions, named", "#<r>=[2*2]\nG02 X-#<r> Y[SIN[30]] R#<R>",
       "G02X-4.Y0.5R4.|"},
      {"a vacant word is left out", "G90 X#1 Y2", "G90Y2|"},
      {"line values are read before its assignments", "#1=1\n#1=5 #2=[#1+1]\nG0 X#1 Y#2",
       "G0X5.Y2.|"},
      {"IF GOTO jumps forward and back",
       "#1=0\nN10 G01 X#1\n#1=#1+1\nIF [#1 LT 3] GOTO 10\nM30\nG0 X99", "G01X0.|G01X1.|G01X2.|"},
      {"IF THEN assigns", "#1=2\nIF [#1 EQ 2] THEN #2=7\nIF [#1 NE 2] THEN #2=8\nX#2", "X7.|"},
      {"WHILE DO END, nested",
       "#1=0\nWHILE [#1 LT 2] DO1\n#2=0\nWHILE [#2 LT 2] DO2\nX#1 Y#2\n#2=#2+1\nEND2\n"
       "#1=#1+1\nEND1\nZ1",
       "X0.Y0.|X0.Y1.|X1.Y0.|X1.Y1.|Z1|"},
      {"a WHILE never entered", "WHILE [1 GT 2] DO1\nX1\nEND1\nX2", "X2|"},
      {"GOTO out of a loop", "#1=0\nWHILE [1 EQ 1] DO1\n#1=#1+1\nIF [#1 GE 2] GOTO 9\nEND1\nN9 X#1",
       "X2.|"},
      {"M98 with L repeats; M99 returns",
       "O0001\nG0 X0\nM98 P1000 L2\nG0 Z5\nM30\n%\nO1000\nG91 X1\nM99\n%",
       "G0 X0|G91 X1|G91 X1|G0 Z5|"},
      {"M98 P<repeats><number> and a nested call",
       "M98 P0031000\nM30\nO1000\nX1\nM98 P2000\nM99\nO2000\nY1\nM99", "X1|Y1|X1|Y1|X1|Y1|"},
      {"words beside M98 run before the call", "G0 X5 M98 P100\nM30\nO100\nY1\nM99", "G0X5|Y1|"},
      {"no call with zero repeats", "M98 P1 L0\nG65 P1 L0 A1\nX1\nM30\nO1\nY1\nM99", "X1|"},
      {"lower case and no blanks", "#1=2\nwhile[#1gt0]do1\nm98p7\n#1=#1-1\nend1\nm30\no7\nx#1\nm99",
       "X2.|X1.|"},
      {"M97 local call", "M97 P500 L2\nG0 Z9\nM30\nN500 X1\nM99", "N500 X1|N500 X1|G0 Z9|"},
      {"M99 P returns to a block", "M98 P10\nX1\nN20 X2\nM30\nO10\nY1\nM99 P20", "Y1|N20 X2|"},
      {"G65 passes arguments on its own level",
       "#1=100\nG65 P9000 A1 B2 X3 Z-4\nX#1\nM30\nO9000\nG01 X#1 Y#2 Z#26 F#24\nM99",
       "G01X1.Y2.Z-4.F3.|X100.|"},
      {"a subprogram without M99 returns at the next O-number", "M98 P1\nX9\nM30\nO1\nX1\nO2\nX2",
       "X1|X9|"},
      {"the main program ends at M30 and at M99", "X1\nM30\nX2", "X1|"},
      {"M30 with words", "G0 Z50 M30\nX2", "G0Z50|"},
      {"M99 in the main program", "X1\nM99\nX2", "X1|"},
      {"M99 P in the main program jumps to its block",
       "N10 X1\n#1=#1+1\nIF [#1 GE 3] GOTO 20\nM99 P10\nN20 Y1", "N10 X1|N10 X1|N10 X1|N20 Y1|"},
      {"input signals and tool offsets read 0, never vacant",
       "IF [#1000 NE 0] GOTO 9\nIF [#1032 NE 0] GOTO 9\nIF [#2001 NE 0] GOTO 9\nX1\nN9 M30", "X1|"},
      {"output signals and offsets read back what the program set",
       "#1100=1\n#5221=-7\nX#1100 Y#5221", "X1.Y-7.|"},
      {"extended common variables up to #999999", "#999999=3\n#100000=4\nX#999999 Y#100000",
       "X3.Y4.|"},
      {"the clock runs 1 ms a block, so a wait on it ends",
       "#3001=0\nWHILE [#3001 LT 5] DO1\nEND1\nX#3001", "X6.|"},
      {"without a machine, modal states and positions are vacant", "X#4001 Y#5001 Z1", "Z1|"},
      {"o-word sub, call with arguments, return value",
       "o<sq> sub\n#<_value2>=[#1*#1]\nG1 X#1 Y#2\no<sq> endsub\no<sq> call [3] [4]\nX#<_value2>",
       "G1X3.Y4.|X9.|"},
      {"o-word while and if/elseif/else",
       "#<i>=0\no1 while [#<i> LT 3]\no2 if [#<i> EQ 0]\nX0\no2 elseif [#<i> EQ 1]\nX1\no2 "
       "else\nX2\no2 endif\n#<i>=[#<i>+1]\no1 endwhile\nZ5",
       "X0|X1|X2|Z5|"},
      {"o-word do/while runs once at least", "#1=5\no3 do\nX#1\n#1=[#1+1]\no3 while [#1 LT 3]",
       "X5.|"},
      {"o-word repeat, break, continue",
       "#1=0\no4 repeat [5]\n#1=[#1+1]\no5 if [#1 EQ 2]\no4 continue\no5 endif\no6 if [#1 EQ "
       "4]\no4 break\no6 endif\nX#1\no4 endrepeat\nY1",
       "X1.|X3.|Y1|"},
      {"o-word FIX rounds down", "o1 if [1]\no1 endif\nX[FIX[-1.5]]", "X-2.|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Ran r = RunProgram(c.program);
    EXPECT_EQ(r.blocks, c.blocks);
    EXPECT_EQ(r.stop, "");
  }
}

struct Stop {
  const char* name;
  const char* program;
  const char* blocks;  // handed out before the stop
  const char* reason;
};

// A run that cannot go on stops with the reason and the line; what came before stays.
TEST(ExtMacroRunner, Stops) {
  ExtMacroOptions small;
  small.maxBlocks = 1000;
  const Stop cases[] = {
      {"alarm with its message", "X1\n#3000=12 (TOOL BROKEN)\nX2", "X1|",
       "The program raised alarm 12 TOOL BROKEN. (line 2)"},
      {"alarm by IF THEN", "#1=1\nIF [#1 EQ 1] THEN #3000=1 (BAD)", "",
       "The program raised alarm 1 BAD. (line 2)"},
      {"a loop that never ends", "N1 X1\nGOTO 1", nullptr,
       "The program ran more than 1000 blocks and was stopped (a loop that never ends?). "
       "(line 1)"},
      {"DO without WHILE never ends", "DO1\nEND1", "",
       "The program ran more than 1000 blocks and was stopped (a loop that never ends?). "
       "(line 1)"},
      {"M98 calling itself", "M98 P1\nO1\nX1\nM98 P1\nM99", "X1|X1|X1|X1|X1|X1|X1|X1|X1|X1|",
       "Subprogram calls nested more than 10 deep (a program that calls itself?). (line 4)"},
      {"o-word sub calling itself", "o1 sub\no1 call\no1 endsub\no1 call", "",
       "Subprogram calls nested more than 10 deep (a program that calls itself?). (line 2)"},
      {"missing label", "GOTO 5", "", "Block N5 is not in the program. (line 1)"},
      {"division by zero", "#1=0\nX[1/#1]", "", "Division by zero. (line 2)"},
      {"bad expression", "G01 X[1+]", "", "Cannot read the expression in \"G01 X[1+]\". (line 1)"},
      {"assignment to #0", "#0=1", "", "No such variable (numbers #1 to #999999). (line 1)"},
      {"END without its DO", "END1", "", "\"END\" has no matching start or end. (line 1)"},
      {"a power sign after an expression", "#1=4\n#2=#1^0.5\nX#2", "",
       "Cannot read the expression in \"#2=#1^0.5\". (line 2)"},
      {"a second number after an expression", "X1\n#2=5 5", "X1|",
       "Cannot read the expression in \"#2=5 5\". (line 2)"},
      {"a word's expression with a tail", "G1 X[1+1].5", "",
       "Cannot read the expression in \"G1 X[1+1].5\". (line 1)"},
      {"M99 P to a block the main program does not hold", "X1\nM99 P10", "X1|",
       "Block N10 is not in the program. (line 2)"},
      {"endwhile without while", "o1 endwhile", "",
       "\"o1 endwhile\" has no matching start or end. (line 1)"},
  };
  for (const Stop& c : cases) {
    SCOPED_TRACE(c.name);
    const Ran r = RunProgram(c.program, small);
    if (c.blocks != nullptr) {
      EXPECT_EQ(r.blocks, c.blocks);
    }
    EXPECT_EQ(r.stop, c.reason);
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
