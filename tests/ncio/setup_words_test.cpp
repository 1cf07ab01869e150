#include "ncio/setup_words.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace trevalon {
namespace {

// The setup that a program's blocks ("|" between them) leave, read as ISO or conversational.
std::string SetupOf(bool conversational, const std::string& blocks) {
  MachineSetup s;
  ConversationalSetupScan scan;
  std::istringstream in(blocks);
  for (std::string b; std::getline(in, b, '|');)
    conversational ? scan.Block(s, b) : NoteIsoSetupBlock(s, b);
  return s.Describe();
}

// ISO: lower case and blanks are read; G54.1 without P is the first extended offset; G130 is
// beyond the numbered offsets; the last said counts; an H word alone compensates nothing; a
// macro value is not a number; G20.5 and G54.3 are no codes. Conversational: a name holding MM
// is not the unit; the cycle 247 ends at L; the M of FMAX is no M word.
TEST(SetupWords, IsoAndConversationalBlocks) {
  using Rows = std::vector<std::pair<std::string, std::string>>;
  const Rows iso = {{"%|O1000|G00X0Y0Z5.", ""},
                    {"G21G90G17|G54", "G21 G54 G17"},
                    {"G20|G55", "G20 G55"},
                    {"g20 g56", "G20 G56"},
                    {"G54.1P3", "G54.1P3"},
                    {"G54.1 P12", "G54.1P12"},
                    {"G54.1", "G54.1P1"},
                    {"G110", "G110"},
                    {"G129", "G129"},
                    {"G130", ""},
                    {"G54|G59", "G59"},
                    {"G54.1P3|G55", "G55"},
                    {"(G20 G55 IN A COMMENT)G21", "G21"},
                    {"G21 ; G20 after the semicolon", "G21"},
                    {"G43H7Z50.", "H7"},
                    {"G43Z50.H7|G49", "H0"},
                    {"H7", ""},
                    {"S1000M03|M08", "M08 M03"},
                    {"M04|M07", "M07 M04"},
                    {"M03M08|M05M09", ""},
                    {"M13", "M08 M03"},
                    {"G18|G19", "G19"},
                    {"G#100|G54.1P#1", "G54.1P1"},
                    {"G20.5|G54.3", ""}};
  const Rows conversational = {
      {"0 BEGIN PGM 10 MM", "G21"},
      {"0 BEGIN PGM PART INCH", "G20"},
      {"BEGIN PGM MMX MM", "G21"},
      {"1 CYCL DEF 7.0 DATUM SHIFT|2 CYCL DEF 7.1 X+10|3 CYCL DEF 7.2 Y-5.5|4 CYCL DEF 7.3 Z+0",
       "DATUM X+10.000 Y-5.500 Z+0.000"},
      {"CYCL DEF 7.0|CYCL DEF 7.1 X+10|CYCL DEF 7.1 IX+2", "DATUM X+12.000 Y+0.000 Z+0.000"},
      {"CYCL DEF 7.0|CYCL DEF 7.1 #5", "PRESET 5"},
      {"5 CYCL DEF 247 DATUM SETTING ~|Q339=+3 ;DATUM NUMBER", "PRESET 3"},
      {"CYCL DEF 247|Q339=+3|L X+0 Q339=7", "PRESET 3"},
      {"3 TOOL CALL 12 Z S4000", "G17 H12"},
      {"TOOL CALL 1 Y", "G18 H1"},
      {"L X+0 Y+0 R0 FMAX M3|M8", "M08 M03"},
      {"L Z+50 R0 FMAX M13", "M08 M03"},
      {"L X+0 FMAX", ""},
      {"; M8 in a comment", ""}};
  for (bool conv : {false, true})
    for (const auto& [blocks, setup] : conv ? conversational : iso)
      EXPECT_EQ(SetupOf(conv, blocks), setup) << blocks;
}

TEST(SetupWords, WordsAndComparison) {
  MachineSetup s;
  EXPECT_TRUE(s.Empty());
  EXPECT_EQ(s.IsoUnitsWord(), "");
  EXPECT_STREQ(s.ConversationalUnits(), "MM");
  s.units = MachineSetup::Units::Inch;
  s.offset = MachineSetup::Offset::Extended;
  s.offsetNumber = 3;
  EXPECT_EQ(s.IsoUnitsWord(), "G20");
  EXPECT_EQ(s.IsoOffsetWord(), "G54.1P3");
  EXPECT_STREQ(s.ConversationalUnits(), "INCH");
  MachineSetup t = s;
  t.coolant = 8;  // coolant and the rest do not move the tool
  EXPECT_TRUE(s.SameUnitsAndOffset(t));
  t.offsetNumber = 4;
  EXPECT_FALSE(s.SameUnitsAndOffset(t));
  t = s;
  t.units = MachineSetup::Units::Millimetre;
  EXPECT_FALSE(s.SameUnitsAndOffset(t));
  // A conversational datum is no ISO offset word.
  t.offset = MachineSetup::Offset::Datum;
  EXPECT_EQ(t.IsoOffsetWord(), "");
}

}  // namespace
}  // namespace trevalon
