#include "ncio/setup_words.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "ncio/data_cases.h"

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

// The blocks of tests/data/ncio/setup_words.txt against the setup they leave.
TEST(SetupWords, IsoAndConversationalBlocks) {
  for (const testing::DataCase& c : testing::ReadCases("ncio/setup_words.txt")) {
    const auto trace = c.Trace();
    const bool conversational = c.fields.count("conversational") > 0;
    EXPECT_EQ(SetupOf(conversational, c.name), c[conversational ? "conversational" : "iso"]);
  }
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
