// The cutting conditions: the condition file, its labels, keywords and ranges, the transfer
// dialog; and the feeds the conditions give from the material.

#include "feed/cutting_conditions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <tuple>
#include <vector>

#include "app/application.h"
#include "feed/material_feeds.h"
#include "ncio/data_cases.h"
#include "test_support.h"

namespace trevalon {
namespace {

using namespace testing;

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
  for (const testing::DataCase& c : testing::ReadCases("feed/condition_values_refused.txt")) {
    const auto trace = c.Trace();
    std::string text = good;
    const std::size_t at = text.find(c["line"]);
    ASSERT_NE(at, std::string::npos);
    const std::string path =
        WriteFile(dir.file("bad.lmx"), text.replace(at, c["line"].size(), c["with"]));
    CuttingConditions read = kUnusual;
    read.Material = "KEPT";
    const Outcome o = ReadConditionsFile(app.Msg(), path, read);
    EXPECT_EQ(o.code(), OutcomeCode::Refused);
    EXPECT_NE(o.reason().find(c["reason"]), std::string::npos) << o.reason();
    EXPECT_EQ(read.Material, "KEPT");
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

// ---- Feeds from the material -------------------------------------------------------------------

// Feeds from the material: the feed of one move under the conditions (the removal rate, the
// axial and radial limits, the floor and a plunge), the mode on a toolpath (its removal rate
// held, air cuts raised, over-engaged moves slowed, one undo step, refusals that change
// nothing) and the conditions' own keys in condition files.

// The lowest feed is 2000 x 0.3 = 600.
CuttingConditions Conditions(float rate = 10000.0f, float axial = 0.0f, float radial = 0.0f) {
  CuttingConditions c;
  c.MaxFeed = 2000;
  c.PlungeFeed = 300;
  c.CornerMaxReduction = 0.3f;
  c.SlopeMaxReduction = 0.6f;
  c.FeedChgAng = 10;
  c.MaxRemovalRate = rate;
  c.MaxAxialDepth = axial;
  c.MaxRadialEngagement = radial;
  return c;
}

TEST(MaterialFeeds, FeedOfOneMove) {
  for (const testing::DataCase& k : testing::ReadCases("feed/material_feeds.txt")) {
    const auto trace = k.Trace();
    const std::vector<double> l = testing::Numbers(k["limits"]), m = testing::Numbers(k["move"]);
    ASSERT_EQ(std::tuple(l.size(), m.size()), std::tuple(3u, 5u));
    CuttingConditions c = Conditions(float(l[0]), float(l[1]), float(l[2]));
    c.AirCutFeed = static_cast<std::int32_t>(m[4]);
    EXPECT_EQ(MaterialFeed(c, m[0], 10.0, m[3] != 0, m[1], m[2]), k.Int("feed"));
  }
}

// A toolpath of the records over a stock 100 x 100 x 10 (top at 0), cut with a flat D10.
struct Job {
  testing::EditParts parts;
  SimulationOptions sim;
  explicit Job(std::string_view records) {
    testing::AddPoints(parts.store, records);
    sim.tool.kind = SimToolKind::Flat;
    sim.tool.diameter = 10;
    sim.autoStock = false;
    sim.stock.min[0] = 0, sim.stock.min[1] = 0, sim.stock.min[2] = -10;
    sim.stock.max[0] = 100, sim.stock.max[1] = 100, sim.stock.max[2] = 0;
  }
  // A plunge, a slot 2 mm deep, the lift out of it, a cut in the air above the stock, and a
  // rapid.
  Job()
      : Job("1 20 50 5, 3 20 50 -2 1000, 4 70 50 -2 1000, 4 70 50 3 1000, 4 90 50 3 1000, "
            "1 90 50 10") {}
  int Feed(std::uint32_t i) {
    parts.store.FetchPoint(i);
    return parts.store.reg.feed;
  }
};

TEST(MaterialFeeds, RunSetsFeedsInPlaceWithOneUndo) {
  Job job;
  CuttingConditions c = Conditions();
  c.AirCutFeed = 4000;
  c.CornerMaxReduction = 0.1f;  // the lowest feed 200
  c.FeedChgAng = 1;
  FeedRunSummary summary;
  MaterialFeedCounts counts;
  ASSERT_TRUE(MaterialFeeds(job.parts.ctx, c, job.sim, &summary, &counts).ok());
  // The plunge at PlungeFeed; the lift leaves through the cut (nothing to take) and the cut
  // in the air take the air-cut feed.
  EXPECT_EQ(std::tuple(job.parts.store.count, job.Feed(1), job.Feed(3), job.Feed(4), counts.cuts,
                       counts.airCuts),
            std::tuple(6u, 300, 4000, 4000, 2u, 2u));
  // The slot takes 10 x 2 mm over 50 mm: the half disc at its end, less the half of the
  // plunge's disc that lies in its way, 1000 mm3, so 10000 mm3/min allows 500 mm/min.
  EXPECT_NEAR(job.Feed(2), 500, 5);
  EXPECT_NEAR(counts.peakRate, 10000, 150);
  EXPECT_GT(summary.cuttingTimeAfter, summary.cuttingTimeBefore);
  // One undo takes the whole run back.
  ASSERT_TRUE(job.parts.undo.Undo(job.parts.store));
  EXPECT_EQ(std::tuple(job.Feed(2), job.Feed(4)), std::tuple(1000, 1000));
}

TEST(MaterialFeeds, RunSlowsOnlyTheOverEngagedMoves) {
  // A plunge, a full-width slot 2 mm deep, a step of 1 mm, and back along the wall taking
  // 1 mm of it.
  Job job("1 20 50 5, 3 20 50 -2 1000, 4 80 50 -2 1000, 4 80 51 -2 1000, 4 25 51 -2 1000");
  CPointStore& store = job.parts.store;
  // Radial engagement at most 5 mm: the slot (10 mm) at half the feed, the wall pass (1 mm)
  // at the full feed; the depth (2 mm) within its limit.
  FeedRunSummary summary;
  MaterialFeedCounts counts;
  ASSERT_TRUE(MaterialFeeds(job.parts.ctx, Conditions(0, 4, 5), job.sim, &summary, &counts).ok());
  // The step sideways sweeps its front across the slot's end, wider than the limit.
  EXPECT_EQ(std::tuple(job.Feed(1), job.Feed(2), job.Feed(3) > 1000 && job.Feed(3) < 2000,
                       job.Feed(4), counts.engagementHeld),
            std::tuple(300, 1000, true, 2000, 2u));
  EXPECT_NEAR(counts.peakRadial, 10, 1e-6);
  EXPECT_NEAR(counts.peakDepth, 2, 1e-6);
  ASSERT_TRUE(job.parts.undo.Undo(store));
  EXPECT_EQ(std::tuple(job.Feed(2), job.Feed(4)), std::tuple(1000, 1000));
  // A depth limit of 1 mm holds every cut to half the feed; the plunge stays at PlungeFeed.
  ASSERT_TRUE(MaterialFeeds(job.parts.ctx, Conditions(0, 1, 0), job.sim, nullptr, &counts).ok());
  EXPECT_EQ(std::tuple(job.Feed(1), job.Feed(2), job.Feed(4)), std::tuple(300, 1000, 1000));
  // Without any limit the run is refused and changes nothing.
  ASSERT_TRUE(job.parts.undo.Undo(store));
  const std::string before = testing::Records(store);
  EXPECT_EQ(MaterialFeeds(job.parts.ctx, Conditions(0, 0, 0), job.sim).code(),
            OutcomeCode::Refused);
  EXPECT_EQ(testing::Records(store), before);
}

TEST(MaterialFeeds, RefusedRunsChangeNothing) {
  CuttingConditions noRate = Conditions();
  noRate.MaxRemovalRate = 0;
  CuttingConditions noFeed = Conditions();
  noFeed.MaxFeed = 5;
  for (const CuttingConditions& c : {noRate, noFeed}) {
    Job job;
    const std::string before = testing::Records(job.parts.store);
    EXPECT_EQ(MaterialFeeds(job.parts.ctx, c, job.sim).code(), OutcomeCode::Refused);
    EXPECT_EQ(testing::Records(job.parts.store), before);
    EXPECT_EQ(job.Feed(2), 1000);
    EXPECT_FALSE(job.parts.undo.CanUndo());
  }
  Job bad;
  bad.sim.cell = 0;
  EXPECT_EQ(MaterialFeeds(bad.parts.ctx, Conditions(), bad.sim).code(), OutcomeCode::Refused);
  EXPECT_EQ(bad.Feed(2), 1000);
}

TEST(MaterialFeeds, OwnKeysInConditionFiles) {
  // Not set: the 23 lines as always. Set: keyword lines after them, read back by keyword.
  CuttingConditions c;
  const std::string plain = ConditionsFileText(c, Language::English);
  EXPECT_EQ(plain.find("MaxRemovalRate"), std::string::npos);
  c.MaxRemovalRate = 12500.5f;
  c.AirCutFeed = 6000;
  const std::string text = ConditionsFileText(c, Language::English);
  EXPECT_EQ(text.substr(0, plain.size()), plain);
  EXPECT_EQ(text.substr(plain.size()), "MaxRemovalRate 12500.500000\r\nAirCutFeed 6000\r\n");
  CuttingConditions back;
  ReadConditionsText(text, back);
  EXPECT_EQ(std::tuple(back.MaxRemovalRate, back.AirCutFeed), std::tuple(12500.5f, 6000));
  back.AirCutFeed = 40000;
  EXPECT_NE(ConditionsOutOfRange(back).find("AirCutFeed"), std::string::npos);
  back.AirCutFeed = 0, back.MaxRemovalRate = -1;
  EXPECT_NE(ConditionsOutOfRange(back).find("MaxRemovalRate"), std::string::npos);
  ASSERT_NE(FindConditionField("maxremovalrate"), nullptr);
  std::size_t n = 0;
  ConditionFields(n);
  EXPECT_EQ(n, 23u);
}

}  // namespace
}  // namespace trevalon
