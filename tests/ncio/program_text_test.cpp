// A program's text and settings: the line table and words of the text pane, the setup words a
// program's blocks leave, and korvo.par.

#include "ncio/program_text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ncio/data_cases.h"
#include "ncio/nc_settings.h"
#include "ncio/setup_words.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

// A program's text as the text pane shows it: the line table over every kind of line end, and
// the words a line is coloured by.

// Every line of the text, through the table.
std::vector<std::string> AllLines(const NcTextLines& t, std::string_view text) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < t.Count(); ++i) out.emplace_back(t.Line(text, i));
  return out;
}

TEST(NcTextLines, EveryLineEndAndTheLineOfEachByte) {
  using V = std::vector<std::string>;
  NcTextLines t;
  // LF, CR LF, a lone CR, an empty line, and a last line without a line end.
  const std::string text = "G0 X1\nG1 Y2\r\nZ3\r\rN4\r\n\nlast";
  ASSERT_TRUE(t.Index(text));
  EXPECT_EQ(AllLines(t, text), (V{"G0 X1", "G1 Y2", "Z3", "", "N4", "", "last"}));
  EXPECT_EQ(t.Longest(), 7u);  // "G1 Y2\r\n"
  // A byte belongs to the line it stands on, its line end included.
  const std::pair<std::uint64_t, std::size_t> places[] = {{0, 0},  {5, 0},  {6, 1},  {12, 1},
                                                          {13, 2}, {15, 2}, {16, 3}, {17, 4},
                                                          {21, 5}, {22, 6}, {25, 6}};
  for (const auto& [offset, line] : places) EXPECT_EQ(t.LineOf(offset), line) << offset;
  EXPECT_EQ(t.LineOf(text.size()), t.Count());
  EXPECT_EQ(t.End(6), text.size());

  // A text ending in its line end has no empty last line; an empty text has no line at all.
  const std::string ended = "A\r\nB\n";
  ASSERT_TRUE(t.Index(ended));
  EXPECT_EQ(AllLines(t, ended), (V{"A", "B"}));
  ASSERT_TRUE(t.Index(""));
  EXPECT_EQ(t.Count(), 0u);
  EXPECT_EQ(t.LineOf(0), 0u);
  ASSERT_TRUE(t.Index("\r\n"));
  EXPECT_EQ(AllLines(t, "\r\n"), V{""});
}

// An edit's update of the table gives the table a whole index gives, for random changes over
// texts of every kind of line end (CR and LF meeting across the change's edges included).
TEST(NcTextLines, AnUpdateAfterAChangeIndexesAsAWholeIndex) {
  std::mt19937 rng(7);
  const char pieces[][4] = {"G1", "X2", "\n", "\r\n", "\r", "\n\r", " ", ""};
  const auto pick = [&](int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
      const std::size_t p = rng() % 8;
      out += pieces[p];
    }
    return out;
  };
  for (int round = 0; round < 3000; ++round) {
    const int size = static_cast<int>(rng() % 40);
    std::string text = pick(size);
    NcTextLines t;
    ASSERT_TRUE(t.Index(text));
    for (int edit = 0; edit < 4; ++edit) {
      const std::uint64_t b = text.empty() ? 0 : rng() % (text.size() + 1);
      const std::uint64_t e = b + rng() % (text.size() - b + 1);
      const int grow = static_cast<int>(rng() % 4);
      const std::string with = pick(grow);
      text.replace(b, e - b, with);
      ASSERT_TRUE(t.Update(text, b, e, b + with.size()));
      NcTextLines whole;
      whole.Index(text);
      ASSERT_EQ(t.Count(), whole.Count()) << round << "/" << edit;
      for (std::size_t i = 0; i < whole.Count(); ++i) {
        ASSERT_EQ(t.Start(i), whole.Start(i)) << round << "/" << edit << " line " << i;
      }
      if (whole.Count() != 0) {
        EXPECT_EQ(t.End(whole.Count() - 1), text.size());
      }
      EXPECT_GE(t.Longest(), whole.Longest());
    }
  }
  // A change the table cannot hold (sizes that do not add up) indexes the text anew.
  NcTextLines t;
  t.Index("A\nB\n");
  ASSERT_TRUE(t.Update("X\nY\nZ", 0, 1, 1));
  EXPECT_EQ(t.Count(), 3u);
}

TEST(NcLineWords, IsoAndHeidenhainWordsAndComments) {
  const auto words = [](std::string_view line) {
    std::vector<NcWordSpan> spans;
    NcLineWords(line, spans);
    std::string out;
    for (const NcWordSpan& s : spans)
      out += std::to_string(static_cast<int>(s.kind)) + ":" +
             std::string(line.substr(s.begin, s.length)) + " ";
    return out;
  };
  // The lines of tests/data/ncio/line_words.txt.
  for (const DataCase& c : ReadCases("ncio/line_words.txt")) {
    const auto trace = c.Trace();
    EXPECT_EQ(words(c.at("line")), c.at("words") + " ");
  }
}

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

// korvo.par: reading pairs without regard to case, values that are not numbers, and the
// exact bytes that are written.

TEST(NcSettings, ReadWithoutRegardToCaseAndWrittenAsFourLinesOrFive) {
  TempDir dir;
  const std::string path = NcSettingsPath(dir.path().string());
  NcSwitches nc;
  nc.arcToCutInputChk = 1;
  ReadNcSettingsFile(path, nc);  // no file: the switches stay
  EXPECT_EQ(nc.arcToCutInputChk, 1);
  std::ofstream(path) << "heidenhaininputchk 1\nArcToCutInputChk yes\nINTNCDATAFLG 1\n"
                         "Unknown 7 HeidenhainOutChk 1\r\nIntNcdataFlg 0 \nHeidenhainOutChk";
  ReadNcSettingsFile(path, nc);
  // "yes" is no number (0), the later pair wins, a key without a value at the end is ignored.
  EXPECT_EQ(FormatNcSettings(nc),
            "IntNcdataFlg 0 \nArcToCutInputChk 0 \nHeidenhainInputChk 1 \nHeidenhainOutChk 1 \n");

  nc = NcSwitches{};
  nc.intNcdataFlg = 1;
  nc.heidenhainOutChk = 1;
  ASSERT_EQ(WriteNcSettingsFile(path, nc), 1);
  EXPECT_EQ(ReadAll(path),
            "IntNcdataFlg 1 \nArcToCutInputChk 0 \nHeidenhainInputChk 0 \nHeidenhainOutChk 1 \n");
  NcSwitches back;
  ReadNcSettingsFile(path, back);
  EXPECT_EQ(FormatNcSettings(back), ReadAll(path));
  EXPECT_EQ(WriteNcSettingsFile(dir.file("no/such/dir/korvo.par"), nc), 0);

  // Extended reading is a fifth line only while it is on, so that files and listings of
  // everyone who never turns it on keep their four lines.
  nc = NcSwitches{};
  nc.extendedReadingChk = 1;
  ASSERT_EQ(WriteNcSettingsFile(path, nc), 1);
  EXPECT_EQ(ReadAll(path),
            "IntNcdataFlg 0 \nArcToCutInputChk 0 \nHeidenhainInputChk 0 \nHeidenhainOutChk 0 \n"
            "ExtendedReadingChk 1 \n");
  back = NcSwitches{};
  ReadNcSettingsFile(path, back);
  EXPECT_EQ(back.extendedReadingChk, 1);
  back.extendedReadingChk = 0;
  EXPECT_EQ(FormatNcSettings(back).find("Extended"), std::string::npos);
}

}  // namespace
}  // namespace trevalon::testing
