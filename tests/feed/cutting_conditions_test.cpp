#include "feed/cutting_conditions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <tuple>
#include <vector>

#include "app/application.h"
#include "test_support.h"

namespace trevalon {
namespace {

using testing::ReadAll;

// Every field away from its default, in the order of the structure.
const CuttingConditions kUnusual{6.35f, 2.5f,  15.0f, 0.15f, 12.5f, 0.3f, 0,    0,
                                 1200,  350,   "ALU", 1,     1,     5,    0.9f, 0.6f,
                                 0.25f, 0.95f, 0.55f, 0.2f,  1.3f,  1.5f};

TEST(ConditionFile, WrittenAsTwentyThreeCrLfLinesWithTheLanguagesLabels) {
  std::string text = ConditionsFileText(CuttingConditions{}, Language::English);
  EXPECT_EQ(text.rfind("공구직경 10.000000\r\n안전거리 5.000000\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\nPlungeFeed 1000\r\n최대피드 1000\r\n가공소재 STEEL(S45C)\r\n"
                      "LmxByMaster 0\r\nConCorChk 1\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\nFeedChgAng 10\r\nCorWeight0 1.000000\r\nCorWeight30 0.700000\r\n"),
            std::string::npos);
  const std::string last = "\r\nSideCorRat 2.000000\r\n";
  EXPECT_EQ(text.size() - text.rfind(last), last.size());
  std::string bare = text;  // 23 CR LF and no other line end
  std::size_t lines = 0;
  for (std::size_t p; (p = bare.find("\r\n")) != std::string::npos; ++lines) bare.erase(p, 2);
  EXPECT_EQ(lines, 23u);
  EXPECT_EQ(bare.find_first_of("\r\n"), std::string::npos);
  std::string ja = ConditionsFileText(CuttingConditions{}, Language::Japanese);
  EXPECT_EQ(ja.rfind("工具直径 10.000000\r\n", 0), 0u);
  EXPECT_NE(ja.find("\r\n最大Feed 1000\r\n加工素材 STEEL(S45C)\r\n"), std::string::npos);

  // Byte-exact round trips; the labels of every language are known, so a file reads under any.
  for (Language lang : {Language::Korean, Language::Japanese, Language::English}) {
    std::string first = ConditionsFileText(kUnusual, lang);
    CuttingConditions back;
    ReadConditionsText(first, back);
    EXPECT_EQ(ConditionsFileText(back, lang), first);
    EXPECT_EQ(ConditionsFileText(back, Language::Korean),
              ConditionsFileText(kUnusual, Language::Korean));
  }
}

TEST(ConditionFile, PositionalLinesKeywordsAndMalformedValues) {
  // Nine positional lines alone leave every keyword field; a short file leaves the rest.
  CuttingConditions c = kUnusual;
  ReadConditionsText(
      "a 1\r\nb 2\r\nc 3\r\nd 0.5\r\ne 4\r\nf 0.25\r\nPlungeFeed 700\r\ng 900\r\nh CAST", c);
  EXPECT_EQ(std::tuple(c.ToolDiameter, c.SlopeMaxReduction, c.PlungeFeed, c.MaxFeed, c.Material),
            std::tuple(1.0f, 0.25f, 700, 900, "CAST"));
  EXPECT_EQ(std::tuple(c.ConCorChk, c.FeedChgAng, c.CorWeight30, c.SideCorRat),
            std::tuple(kUnusual.ConCorChk, kUnusual.FeedChgAng, kUnusual.CorWeight30,
                       kUnusual.SideCorRat));
  CuttingConditions d = kUnusual;
  ReadConditionsText("x 3\ny 4\nz", d);
  EXPECT_EQ(std::tuple(d.ToolDiameter, d.SafetyDistance, d.CornerMinAngle, d.Material),
            std::tuple(3.0f, 4.0f, kUnusual.CornerMinAngle, kUnusual.Material));

  // Keywords in any case each set their own field; a file never sets master control.
  const std::string head = "a 1 b 2 c 3 d 0.1 e 4 f 0.2 PlungeFeed 5 g 6 h M\n";
  CuttingConditions k;
  ReadConditionsText(head +
                         "concorchk 0\nUPDOWNCHK 0\nLmxByMaster 1\nNoSuchKey 77\n"
                         "sidecorrat 3.5\nfeedchgang 25\n",
                     k);
  // FeedChgSmoothCheck and XyChgReduceCheck stay untouched by their neighbours' keywords.
  EXPECT_EQ(std::tuple(k.ConCorChk, k.UpDownChk, k.FeedChgSmoothCheck, k.XyChgReduceCheck,
                       k.LmxByMaster, k.SideCorRat, k.FeedChgAng),
            std::tuple(0, 0, 0, 0, 0, 3.5f, 25));
  k.LmxByMaster = 1;  // the user's choice survives reading a file that says 0
  ReadConditionsText(head + "LmxByMaster 0", k);
  EXPECT_EQ(k.LmxByMaster, 1);

  // Malformed values read as 0 and the reader goes on.
  CuttingConditions m;
  ReadConditionsText(
      "a x1 b 2.5mm c -3 d nan e inf f 1e99 PlungeFeed 12abc g 99999999999 h M\n"
      "ZupZdown junk\nCorWeight0 +0.5\nFeedChgAng 0\n",
      m);
  // nan and inf are not finite, 1e99 is beyond single precision, a unit of 0 (or less) reads
  // as 1.
  EXPECT_EQ(std::tuple(m.ToolDiameter, m.SafetyDistance, m.CornerMinAngle, m.CornerMaxReduction,
                       m.SlopeMinAngle, m.SlopeMaxReduction, m.PlungeFeed, m.MaxFeed, m.ZupZdown,
                       m.CorWeight0, m.FeedChgAng),
            std::tuple(0.0f, 2.5f, -3.0f, 0.0f, 0.0f, 0.0f, 12, 2147483647, 0.0f, 0.5f, 1));
}

TEST(ConditionFile, FilesOnDiskAndTheBundledExamples) {
  testing::TempDir dir;
  HeadlessPlatform platform;
  CApplication app(platform);
  ASSERT_TRUE(WriteConditionsFile(app.Msg(), dir.file("a.lmx"), kUnusual).ok());
  CuttingConditions back;
  ASSERT_TRUE(ReadConditionsFile(app.Msg(), dir.file("a.lmx"), back).ok());
  EXPECT_EQ(ConditionsFileText(back, app.language), ReadAll(dir.file("a.lmx")));
  // No file to read: nothing changes and nothing is said.
  EXPECT_EQ(ReadConditionsFile(app.Msg(), dir.file("missing.lmx"), back).code(),
            OutcomeCode::CannotOpen);
  EXPECT_EQ(ConditionsFileText(back, app.language), ConditionsFileText(kUnusual, app.language));
  EXPECT_EQ(platform.messageCount, 0);
  // A file that cannot be created: the file error.
  EXPECT_FALSE(WriteConditionsFile(app.Msg(), dir.file("no/such/dir/a.lmx"), kUnusual).ok());
  EXPECT_EQ(platform.lastCaption, "Error message");
  EXPECT_EQ(platform.lastMessage, " Can not open file !!.\n");

  for (const char* name : {"steel-finish.lmx", "aluminium-finish.lmx"}) {
    std::string path = std::string(TREVALON_EXAMPLES) + "/" + name;
    CuttingConditions c;
    ASSERT_TRUE(ReadConditionsFile(app.Msg(), path, c).ok()) << name;
    EXPECT_EQ(ConditionsFileText(c, Language::Korean), ReadAll(path)) << name;
    EXPECT_GE(c.FeedChgAng, 1);
    EXPECT_LE(c.SlopeMaxReduction, 1.0f);
  }
}

TEST(ConditionFile, PositionalLinesAreReadByTheirLabels) {
  // Two positional lines swapped, and a Japanese label among Korean ones: each value goes to
  // the field its label names, not to the line's place.
  std::string text = ConditionsFileText(kUnusual, Language::Korean);
  const std::string corner = "코너최대감속비 0.150000\r\n", slope = "경사최소각도 12.500000\r\n";
  const std::size_t c = text.find(corner), s = text.find(slope);
  ASSERT_NE(c, std::string::npos);
  ASSERT_NE(s, std::string::npos);
  text.replace(s, slope.size(), corner);
  text.replace(c, corner.size(), slope);
  const std::size_t tool = text.find("공구직경");
  text.replace(tool, std::string("공구직경").size(), "工具直径");
  CuttingConditions back;
  ReadConditionsText(text, back);
  EXPECT_EQ(ConditionsFileText(back, Language::Korean),
            ConditionsFileText(kUnusual, Language::Korean));
}

// A file with a value that is no number, or outside its field's range, is refused naming the
// field, and the conditions stay as they were.
TEST(ConditionFile, ValuesOutsideTheirRangeRefuseTheFile) {
  testing::TempDir dir;
  HeadlessPlatform platform;
  CApplication app(platform);
  const std::string good = ConditionsFileText(kUnusual, Language::English);
  auto with = [&](const std::string& line, const std::string& replacement) {
    std::string t = good;
    const std::size_t at = t.find(line);
    EXPECT_NE(at, std::string::npos) << line;
    return t.replace(at, line.size(), replacement);
  };
  struct Case {
    std::string text;
    const char* field;
  };
  const std::vector<Case> cases = {
      {with("공구직경 6.350000", "공구직경 -5"), "ToolDiameter -5.000000 lies outside"},
      {with("공구직경 6.350000", "공구직경 0"), "ToolDiameter 0.000000 lies outside"},
      {with("공구직경 6.350000", "공구직경 nan"), "ToolDiameter is not a number"},
      {with("CorWeight0 0.900000", "CorWeight0 inf"), "CorWeight0 is not a number"},
      {with("SideCorRat 1.500000", "SideCorRat junk"), "SideCorRat is not a number"},
      {with("최대피드 1200", "최대피드 99999999999"), "MaxFeed 2147483647 lies outside"},
      {with("ConCorChk 0", "ConCorChk 2"), "ConCorChk 2 lies outside"},
      {with("경사최소각도 12.500000", "경사최소각도 270"), "SlopeMinAngle 270.000000 lies"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file("bad.lmx");
    {
      std::ofstream f(path, std::ios::binary);
      f << c.text;
    }
    CuttingConditions read = kUnusual;
    read.Material = "KEPT";
    const Outcome o = ReadConditionsFile(app.Msg(), path, read);
    EXPECT_EQ(o.code(), OutcomeCode::Refused) << c.field;
    EXPECT_NE(o.reason().find(c.field), std::string::npos) << o.reason();
    EXPECT_EQ(read.Material, "KEPT") << c.field;
  }
}

TEST(TransferDialog, ReductionsFeedBoxesAndMasterControl) {
  // The slope reduction follows the corner reduction and is capped at 1.
  CuttingConditions c;
  c.CornerMaxReduction = 0.1f;
  SlopeReductionFromCorner(c);
  EXPECT_EQ(c.SlopeMaxReduction, 0.2f);
  const FeedBoxes b = TransferDialogBoxes(c);
  EXPECT_EQ(std::tuple(b.maxFeed, b.minFeed), std::tuple(1000, 100));
  c.SideCorRat = 20.0f;
  SlopeReductionFromCorner(c);
  EXPECT_EQ(c.SlopeMaxReduction, 1.0f);

  // The feed boxes set the maximum and the reductions; a maximum of 0 changes nothing.
  CuttingConditions f;
  ASSERT_EQ(ApplyFeedBoxes(f, 1000, 100), 1);
  EXPECT_EQ(std::tuple(f.MaxFeed, f.CornerMaxReduction, f.SlopeMaxReduction),
            std::tuple(1000, 0.1f, 0.2f));
  ASSERT_EQ(ApplyFeedBoxes(f, 1500, 450), 1);
  EXPECT_EQ(std::tuple(f.CornerMaxReduction, f.SlopeMaxReduction), std::tuple(0.3f, 0.6f));
  EXPECT_EQ(ApplyFeedBoxes(f, 0, 100), 0);
  EXPECT_EQ(f.MaxFeed, 1500);

  // The minimum shown uses the smaller reduction, in single precision.
  CuttingConditions m;
  m.CornerMaxReduction = 0.7f;
  m.SlopeMaxReduction = 0.9f;
  EXPECT_EQ(MinimumFeedShown(m), 700);  // 1000 x 0.7f is 700 in single precision
  m.SlopeMaxReduction = 0.25f;
  EXPECT_EQ(MinimumFeedShown(m), 250);
  EXPECT_EQ(ReducedFeed(2147483647, 2.0f), 2147483647);  // saturates, no overflow

  // Master control needs a file name longer than four characters; ".mma" is added only to a
  // name without "mma".
  for (auto [on, name, set] :
       {std::tuple(1, "", 0), {1, "a.mm", 0}, {1, "a.mma", 1}, {0, "a.mma", 0}})
    EXPECT_EQ(SetLmxByMaster(c, on, name), set) << on << name;
  for (auto [name, file] : {std::pair("/jobs/part", "/jobs/part.mma"),
                            {"/jobs/part.mma", "/jobs/part.mma"},
                            {"/mmas/part.nc", "/mmas/part.nc"}})
    EXPECT_EQ(MasterModelFileName(name), file);
}

// Conditions that would give moves a feed of 0 are refused, on reading and before a run;
// one unit is the least feed there is.
TEST(ConditionFile, RefusedWhenItGivesNoUsableFeedOrIsNoConditionFile) {
  CuttingConditions c;
  c.FeedChgAng = 50;
  c.MaxFeed = 50;
  c.PlungeFeed = 50;
  c.CornerMaxReduction = c.SlopeMaxReduction = 1.0f;
  EXPECT_EQ(NoUsableFeedReason(c), "");
  for (auto spoil : std::vector<void (*)(CuttingConditions&)>{
           [](CuttingConditions& k) { k.MaxFeed = 49; },
           [](CuttingConditions& k) { k.MaxFeed = -1000; },
           [](CuttingConditions& k) { k.PlungeFeed = 0; },
           [](CuttingConditions& k) { k.CornerMaxReduction = 0.9f; },
           [](CuttingConditions& k) { k.SlopeMaxReduction = -1.0f; }}) {
    CuttingConditions bad = c;
    spoil(bad);
    EXPECT_NE(NoUsableFeedReason(bad), "");
  }

  testing::TempDir dir;
  HeadlessPlatform platform;
  CApplication app(platform);
  const std::string text = ConditionsFileText(kUnusual, Language::English);
  const std::string maxLine = "최대피드 1200";
  std::string zeroFeed = text;
  zeroFeed.replace(zeroFeed.find(maxLine), maxLine.size(), "최대피드 0");
  const std::map<std::string, std::string> files = {
      {"empty.lmx", ""},
      {"blank.lmx", " \r\n\t"},
      {"binary.lmx", text.substr(0, 40) + std::string(1, '\0') + text.substr(40)},
      {"zero-feed.lmx", zeroFeed},
      {"huge.lmx", std::string(kConditionFileLimit + 1, ' ')},
  };
  for (const auto& [name, bytes] : files) std::ofstream(dir.file(name), std::ios::binary) << bytes;
  std::vector<std::string> paths = {dir.path().string()};
  for (const auto& [name, bytes] : files) paths.push_back(dir.file(name));
  for (const std::string& path : paths) {
    CuttingConditions kept = kUnusual;
    const int before = platform.messageCount;
    const Outcome o = ReadConditionsFile(app.Msg(), path, kept);
    EXPECT_EQ(o.code(), OutcomeCode::Refused) << path;
    EXPECT_NE(o.reason().find(path), std::string::npos) << o.reason();
    EXPECT_EQ(platform.messageCount, before + 1) << path;
    EXPECT_EQ(ConditionsFileText(kept, Language::English),
              ConditionsFileText(kUnusual, Language::English))
        << path;
  }
  EXPECT_NE(platform.lastMessage.find("zero-feed.lmx"), std::string::npos);
}

}  // namespace
}  // namespace trevalon
