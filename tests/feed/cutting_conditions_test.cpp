#include "feed/cutting_conditions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "app/application.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::ReadAll;

using testing::RunCli;
using testing::TempDir;

CuttingConditions Unusual() {
  CuttingConditions c;
  c.ToolDiameter = 6.35f;
  c.SafetyDistance = 2.5f;
  c.CornerMinAngle = 15.0f;
  c.CornerMaxReduction = 0.15f;
  c.SlopeMinAngle = 12.5f;
  c.SlopeMaxReduction = 0.3f;
  c.ConCorChk = 0;
  c.UpDownChk = 0;
  c.MaxFeed = 1200;
  c.PlungeFeed = 350;
  c.Material = "ALU";
  c.FeedChgSmoothCheck = 1;
  c.XyChgReduceCheck = 1;
  c.FeedChgAng = 5;
  c.CorWeight0 = 0.9f, c.CorWeight30 = 0.6f, c.CorWeight60 = 0.25f;
  c.SideWeight0 = 0.95f, c.SideWeight30 = 0.55f, c.SideWeight60 = 0.2f;
  c.ZupZdown = 1.3f;
  c.SideCorRat = 1.5f;
  return c;
}

TEST(ConditionFile, WrittenAsTwentyThreeCrLfLinesWithTheLanguagesLabels) {
  std::string text = ConditionsFileText(CuttingConditions{}, Language::English);
  EXPECT_EQ(text.rfind("공구직경 10.000000\r\n안전거리 5.000000\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\nPlungeFeed 1000\r\n최대피드 1000\r\n가공소재 STEEL(S45C)\r\n"
                      "LmxByMaster 0\r\nConCorChk 1\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\nFeedChgAng 10\r\nCorWeight0 1.000000\r\nCorWeight30 0.700000\r\n"),
            std::string::npos);
  EXPECT_EQ(text.size() - text.rfind("\r\nSideCorRat 2.000000\r\n"),
            std::string("\r\nSideCorRat 2.000000\r\n").size());
  std::size_t lines = 0;
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '\r') {
      ++lines;
      EXPECT_EQ(text[i + 1], '\n');
    }
  EXPECT_EQ(lines, 23u);
  EXPECT_EQ(text.find('\n'), text.find('\r') + 1);  // no bare line feeds

  std::string ja = ConditionsFileText(CuttingConditions{}, Language::Japanese);
  EXPECT_EQ(ja.rfind("工具直径 10.000000\r\n", 0), 0u);
  EXPECT_NE(ja.find("\r\n最大Feed 1000\r\n加工素材 STEEL(S45C)\r\n"), std::string::npos);
}

TEST(ConditionFile, RoundTripIsByteExactUnderEveryLanguage) {
  const CuttingConditions u = Unusual();
  for (Language lang : {Language::Korean, Language::Japanese, Language::English}) {
    std::string first = ConditionsFileText(u, lang);
    CuttingConditions back;  // defaults everywhere
    ReadConditionsText(first, back);
    EXPECT_EQ(ConditionsFileText(back, lang), first);
    // Labels are never compared: a Japanese file reads under the Korean labels too.
    EXPECT_EQ(ConditionsFileText(back, Language::Korean), ConditionsFileText(u, Language::Korean));
  }
}

TEST(ConditionFile, NinePositionalLinesAloneLeaveEveryKeywordField) {
  CuttingConditions c = Unusual();
  ReadConditionsText(
      "a 1\r\nb 2\r\nc 3\r\nd 0.5\r\ne 4\r\nf 0.25\r\nPlungeFeed 700\r\n"
      "g 900\r\nh CAST",
      c);
  EXPECT_EQ(c.ToolDiameter, 1.0f);
  EXPECT_EQ(c.SlopeMaxReduction, 0.25f);
  EXPECT_EQ(c.PlungeFeed, 700);
  EXPECT_EQ(c.MaxFeed, 900);
  EXPECT_EQ(c.Material, "CAST");
  CuttingConditions u = Unusual();
  EXPECT_EQ(c.ConCorChk, u.ConCorChk);
  EXPECT_EQ(c.FeedChgAng, u.FeedChgAng);
  EXPECT_EQ(c.CorWeight30, u.CorWeight30);
  EXPECT_EQ(c.SideCorRat, u.SideCorRat);

  // A short file: the positional entries it has are read, the rest stay.
  CuttingConditions d = Unusual();
  ReadConditionsText("x 3\ny 4\nz", d);
  EXPECT_EQ(d.ToolDiameter, 3.0f);
  EXPECT_EQ(d.SafetyDistance, 4.0f);
  EXPECT_EQ(d.CornerMinAngle, u.CornerMinAngle);
  EXPECT_EQ(d.Material, u.Material);
}

TEST(ConditionFile, KeywordsAnyCaseEachSetsOnlyItsOwnFieldAndNeverMasterControl) {
  const std::string head = "a 1 b 2 c 3 d 0.1 e 4 f 0.2 PlungeFeed 5 g 6 h M\n";
  CuttingConditions c;
  ReadConditionsText(head +
                         "concorchk 0\nUPDOWNCHK 0\nLmxByMaster 1\nNoSuchKey 77\n"
                         "sidecorrat 3.5\nfeedchgang 25\n",
                     c);
  EXPECT_EQ(c.ConCorChk, 0);
  EXPECT_EQ(c.UpDownChk, 0);
  EXPECT_EQ(c.FeedChgSmoothCheck, 0);  // untouched by its neighbours' keywords
  EXPECT_EQ(c.XyChgReduceCheck, 0);
  EXPECT_EQ(c.LmxByMaster, 0);
  EXPECT_EQ(c.SideCorRat, 3.5f);
  EXPECT_EQ(c.FeedChgAng, 25);

  c.LmxByMaster = 1;  // the user's choice survives reading a file that says 0
  ReadConditionsText(head + "LmxByMaster 0", c);
  EXPECT_EQ(c.LmxByMaster, 1);
}

TEST(ConditionFile, MalformedValuesReadAsZeroAndTheReaderGoesOn) {
  const std::string head =
      "a x1 b 2.5mm c -3 d nan e inf f 1e99 PlungeFeed 12abc g 99999999999 h M\n";
  CuttingConditions c;
  ReadConditionsText(head + "ZupZdown junk\nCorWeight0 +0.5\nFeedChgAng 0\n", c);
  EXPECT_EQ(c.ToolDiameter, 0.0f);
  EXPECT_EQ(c.SafetyDistance, 2.5f);
  EXPECT_EQ(c.CornerMinAngle, -3.0f);
  EXPECT_EQ(c.CornerMaxReduction, 0.0f);  // not finite
  EXPECT_EQ(c.SlopeMinAngle, 0.0f);
  EXPECT_EQ(c.SlopeMaxReduction, 0.0f);  // beyond single precision
  EXPECT_EQ(c.PlungeFeed, 12);
  EXPECT_EQ(c.MaxFeed, 2147483647);
  EXPECT_EQ(c.ZupZdown, 0.0f);
  EXPECT_EQ(c.CorWeight0, 0.5f);
  EXPECT_EQ(c.FeedChgAng, 1);  // a unit of 0 (or less) reads as 1
}

TEST(ConditionFile, FilesOnDisk) {
  TempDir dir;
  HeadlessPlatform platform;
  CApplication app(platform);
  CuttingConditions c = Unusual();
  ASSERT_TRUE(WriteConditionsFile(app.Msg(), dir.file("a.lmx"), c).ok());
  CuttingConditions back;
  ASSERT_EQ(ReadConditionsFile(dir.file("a.lmx"), back), 1);
  EXPECT_EQ(ConditionsFileText(back, app.language), ReadAll(dir.file("a.lmx")));

  // No file to read: nothing changes and nothing is said.
  CuttingConditions keep = Unusual();
  EXPECT_EQ(ReadConditionsFile(dir.file("missing.lmx"), keep), 0);
  EXPECT_EQ(ConditionsFileText(keep, app.language), ConditionsFileText(c, app.language));
  EXPECT_EQ(platform.messageCount, 0);

  // A file that cannot be created: the file error, nothing written.
  EXPECT_FALSE(WriteConditionsFile(app.Msg(), dir.file("no/such/dir/a.lmx"), c).ok());
  EXPECT_EQ(platform.lastCaption, "Error message");
  EXPECT_EQ(platform.lastMessage, " Can not open file !!.\n");
}

TEST(ConditionFile, BundledExamplesReadAndWriteBackUnchanged) {
  for (const char* name : {"steel-finish.lmx", "aluminium-finish.lmx"}) {
    std::string path = std::string(TREVALON_EXAMPLES) + "/" + name;
    CuttingConditions c;
    ASSERT_EQ(ReadConditionsFile(path, c), 1) << name;
    EXPECT_EQ(ConditionsFileText(c, Language::Korean), ReadAll(path)) << name;
    EXPECT_GE(c.FeedChgAng, 1);
    EXPECT_LE(c.SlopeMaxReduction, 1.0f);
  }
}

TEST(TransferRelations, SlopeReductionFollowsCornerAndIsCapped) {
  CuttingConditions c;
  c.CornerMaxReduction = 0.1f;
  c.SideCorRat = 2.0f;
  SlopeReductionFromCorner(c);
  FeedBoxes b = TransferDialogBoxes(c);
  EXPECT_EQ(c.SlopeMaxReduction, 0.2f);
  EXPECT_EQ(b.maxFeed, 1000);
  EXPECT_EQ(b.minFeed, 100);
  c.SideCorRat = 20.0f;
  SlopeReductionFromCorner(c);
  EXPECT_EQ(c.SlopeMaxReduction, 1.0f);
}

TEST(TransferRelations, FeedBoxesSetMaximumAndReductions) {
  CuttingConditions c;
  ASSERT_EQ(ApplyFeedBoxes(c, 1000, 100), 1);
  EXPECT_EQ(c.MaxFeed, 1000);
  EXPECT_EQ(c.CornerMaxReduction, 0.1f);
  EXPECT_EQ(c.SlopeMaxReduction, 0.2f);
  ASSERT_EQ(ApplyFeedBoxes(c, 1500, 450), 1);
  EXPECT_EQ(c.CornerMaxReduction, 0.3f);
  EXPECT_EQ(c.SlopeMaxReduction, 0.6f);
  // A maximum of 0 changes nothing (no division by it).
  EXPECT_EQ(ApplyFeedBoxes(c, 0, 100), 0);
  EXPECT_EQ(c.MaxFeed, 1500);
}

TEST(TransferRelations, MinimumShownUsesTheSmallerReductionInSinglePrecision) {
  CuttingConditions c;
  c.MaxFeed = 1000;
  c.CornerMaxReduction = 0.7f;
  c.SlopeMaxReduction = 0.9f;
  EXPECT_EQ(MinimumFeedShown(c), 700);  // 1000 x 0.7f is 700 in single precision
  c.SlopeMaxReduction = 0.25f;
  EXPECT_EQ(MinimumFeedShown(c), 250);
  EXPECT_EQ(ReducedFeed(2147483647, 2.0f), 2147483647);  // saturates, no overflow
}

TEST(DialogRules, MasterControlNeedsAFileNameLongerThanFourCharacters) {
  CuttingConditions c;
  EXPECT_EQ(SetLmxByMaster(c, 1, ""), 0);
  EXPECT_EQ(SetLmxByMaster(c, 1, "a.mm"), 0);
  EXPECT_EQ(SetLmxByMaster(c, 1, "a.mma"), 1);
  EXPECT_EQ(SetLmxByMaster(c, 0, "a.mma"), 0);
}

TEST(DialogRules, MmaExtensionIsAddedOnlyWithoutMma) {
  EXPECT_EQ(MasterModelFileName("/jobs/part"), "/jobs/part.mma");
  EXPECT_EQ(MasterModelFileName("/jobs/part.mma"), "/jobs/part.mma");
  EXPECT_EQ(MasterModelFileName("/mmas/part.nc"), "/mmas/part.nc");
}

TEST(ConditionVerbs, SetShowTransferAndMma) {
  TempDir dir;
  std::string lmx = dir.file("c.lmx");
  auto r = RunCli({"--sysdir", dir.path().string(), "-c",
                   "lmx set MaxFeed=1200 CornerMaxReduction=0.15 CorWeight30=0.6 Material=ALU; "
                   "lmx set LmxByMaster=1; mma part; lmx set lmxbymaster=1; transfer; "
                   "transfer max=2000 min=500; lmx save " +
                       lmx + "; lmx show"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("LmxByMaster stays 0"), std::string::npos);
  EXPECT_NE(r.out.find("MMA : part.mma\n"), std::string::npos);
  EXPECT_NE(r.out.find("max 1200 min 180 MaxFeed 1200 CornerMaxReduction 0.150000 "
                       "SlopeMaxReduction 0.300000\n"),
            std::string::npos);
  EXPECT_NE(r.out.find("max 2000 min 500 MaxFeed 2000 CornerMaxReduction 0.250000 "
                       "SlopeMaxReduction 0.500000\n"),
            std::string::npos);
  EXPECT_NE(r.out.find("\nMaterial ALU\nLmxByMaster 1\n"), std::string::npos);
  EXPECT_NE(r.out.find("\nCorWeight30 0.600000\n"), std::string::npos);
  // The saved file keeps master control where files cannot change it, and reads back.
  CuttingConditions back;
  ASSERT_EQ(ReadConditionsFile(lmx, back), 1);
  EXPECT_EQ(back.MaxFeed, 2000);
  EXPECT_EQ(back.Material, "ALU");
}

TEST(ConditionVerbs, BadAssignmentsChangeNothing) {
  std::ostringstream out, err;
  cli::Session s(out, err);
  const CuttingConditions& c = s.app.FeedControl().channels[1].conditions;
  const std::vector<std::vector<std::string>> bad = {
      {"lmx", "set", "MaxFeed=1200", "CorWeight0=abc"},
      {"lmx", "set", "MaxFeed=1200", "Nope=1"},
      {"lmx", "set", "MaxFeed=1200", "FeedChgAng=0"},
      {"lmx", "set", "MaxFeed=1200", "ConCorChk=2"},
      {"lmx", "set", "MaxFeed=1200", "Material="},
      {"lmx", "set", "MaxFeed=1200", "ZupZdown=1e60"},
      {"transfer", "max=-1"},
      {"lmx", "load", "/no/such/file.lmx"}};
  for (const auto& words : bad) {
    EXPECT_THROW(cli::RunCommand(s, words), cli::ScriptError) << words.back();
    EXPECT_EQ(ConditionsFileText(c, Language::English),
              ConditionsFileText(CuttingConditions{}, Language::English))
        << words.back();
  }
}

}  // namespace
}  // namespace trevalon
