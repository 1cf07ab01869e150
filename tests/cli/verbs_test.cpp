// trevalon-cli: splitting scripts, the options and modes of the command line, and the verbs,
// one table per verb file: what each command line parses to, its exit status and the
// fragments of its output, most of them as transcripts under tests/data/cli. What the commands
// do is tested in the core; these rows check that the words reach it and that its results and
// failures come back.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/script_stream.h"
#include "cli_table.h"
#include "feed/cutting_conditions.h"
#include "feed/feed_control.h"

namespace trevalon::testing {
namespace {

std::vector<std::vector<std::string>> Split(std::string_view text) {
  std::vector<cli::ScriptCommand> cmds;
  std::string error;
  int line = 0;
  EXPECT_TRUE(cli::SplitScript(text, cmds, error, line)) << error;
  std::vector<std::vector<std::string>> words;
  for (auto& c : cmds) words.push_back(c.words);
  return words;
}

TEST(ScriptSplit, LinesSemicolonsQuotesAndComments) {
  auto w = Split(
      "add 1 0 0 0 0; dump # comment; not a command\n\n  layerinfo 1 "
      "comment=\"a; b\\nc \\\"q\\\"\"\r\n");
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[0].size(), 6u);
  EXPECT_EQ(w[1], (std::vector<std::string>{"dump"}));
  EXPECT_EQ(w[2][2], "comment=a; b\nc \"q\"");
  EXPECT_EQ(Split("\"\"").at(0).at(0), "");  // an empty quoted word is a word
  for (std::string s : {"plain", "with blank", "semi;colon", "line\nbreak", "q\"uote", "", "#x"}) {
    auto q = Split("v " + cli::QuoteWord(s));
    ASSERT_EQ(q.size(), 1u) << s;
    EXPECT_EQ(q[0][1], s);
  }
  // An unterminated quote is an error on its line; the commands before it are kept.
  std::vector<cli::ScriptCommand> cmds;
  std::string error;
  int line = 0;
  EXPECT_FALSE(cli::SplitScript("a\nb \"open", cmds, error, line));
  EXPECT_EQ(line, 2);
  EXPECT_EQ(cmds.size(), 1u);
}

// The options and modes with --sysdir and --lang are in tests/data/cli/main.txt; these need
// the command line without them, or standard input.
TEST(CliMain, NoWordsTwoScriptsAndStandardInput) {
  TempDir dir;
  EXPECT_EQ(RunCli({}).status, 2);
  EXPECT_EQ(RunCli({"-c", "dump", "dump"}).status, 2);
  const auto r = RunCli({"--sysdir", dir.path().string(), "run", "-"}, "add 1 0 0 0 0\ndump\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "0 1 0.0000 0.0000 0.0000 0 0\n");
}

// Every row runs alone in a fresh directory holding `files` and a FIFO; afterwards each file
// is still there with the same bytes, and the FIFO is still a FIFO.
void RunAlone(const std::vector<Row>& rows, const std::map<std::string, std::string>& files) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    const TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
    RunTable({row}, files, {}, &dir);
    for (const auto& [name, bytes] : files) EXPECT_EQ(ReadAll(dir.file(name)), bytes) << name;
    EXPECT_EQ(std::filesystem::status(dir.file("fifo")).type(), std::filesystem::file_type::fifo);
  }
}

// The verb tables of tests/data/cli: each file one verb group, each table run in one fresh
// directory (or each row alone) by RunTable, a failing row reported at its file and line.
class Transcripts : public ::testing::TestWithParam<std::string> {};

TEST_P(Transcripts, RunAsWritten) {
  const std::vector<Transcript> tables =
      ReadTranscripts(std::string(TREVALON_TEST_DATA) + "/cli/" + GetParam());
  ASSERT_FALSE(tables.empty());
  for (const Transcript& t : tables) {
    SCOPED_TRACE(t.name);
    if (t.alone) {
      RunAlone(t.rows, t.files);
    } else {
      RunTable(t.rows, t.files);
    }
  }
}

std::vector<std::string> TranscriptFiles() {
  std::vector<std::string> names;
  for (const auto& e :
       std::filesystem::directory_iterator(std::string(TREVALON_TEST_DATA) + "/cli"))
    if (e.path().extension() == ".txt") names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Verbs, Transcripts, ::testing::ValuesIn(TranscriptFiles()),
                         [](const auto& info) {
                           std::string name = info.param.substr(0, info.param.find('.'));
                           std::erase(name, '_');
                           return name;
                         });

// The rows whose programs are made here: extended reading counts what it passed over grouped
// by thousands; a condition file with a field out of range is refused and stays as it was.
TEST(Verbs, ExtendedReadingCountsAndRefusedConditionFiles) {
  std::string many = "G95\n";
  for (int i = 0; i < 1204; ++i) many += "G1 X" + std::to_string(i + 1) + " A1. F10\n";
  std::string lmx = ReadAll(std::string(TREVALON_EXAMPLES) + "/steel-finish.lmx");
  const std::string from = "코너최대감속비 0.300000";
  lmx.replace(lmx.find(from), from.size(), "코너최대감속비 10");
  RunTable({{"ncset extended=1; load {d}/many.nc", 0,
             "=err:Help: Extended reading passed over G95 feed per revolution in 1 blocks "
             "(first line 1), rotary axes in 1,204 blocks (first line 2).\n"},
            {"lmx load {d}/reduction.lmx", 1,
             "err:CornerMaxReduction 10.000000 lies outside 0 to 1", "=reduction.lmx:" + lmx}},
           {{"many.nc", many}, {"reduction.lmx", lmx}});
}

// `lmx set` is all or nothing, and a bad value is a usage error.
TEST(Verbs, ConditionsSetIsAllOrNothing) {
  std::ostringstream out, err;
  cli::Session s(out, err);
  const CuttingConditions& c = s.app.FeedControl().channels[1].conditions;
  for (const char* bad :
       {"CorWeight0=abc", "Nope=1", "FeedChgAng=0", "ConCorChk=2", "Material=", "ZupZdown=1e60"}) {
    EXPECT_EQ(RunWords(s, std::string("lmx set MaxFeed=1200 ") + bad), 2) << bad;
    EXPECT_EQ(c.MaxFeed, CuttingConditions{}.MaxFeed) << bad;
  }
  EXPECT_EQ(ConditionsFileText(c, Language::English),
            ConditionsFileText(CuttingConditions{}, Language::English));
}

// With a fresh home and system directory, commands that only read leave no file behind (the
// first save making the program's folder: the settings' tests); a system directory that is a
// file is an error.
TEST(CliMain, ReadingCreatesNothingAndASystemDirectoryThatIsAFileIsAnError) {
  TempDir home;
  const char* saved = std::getenv("HOME");
  const std::string oldHome = saved ? saved : "";
  setenv("HOME", home.path().c_str(), 1);
  const std::string sys = home.file("sys"), nc = std::string(TREVALON_TEST_DATA) + "/helix.nc";
  EXPECT_EQ(RunCli({"--sysdir", sys, "info", nc}).status, 0);
  EXPECT_EQ(RunCli({"--sysdir", sys, "dump", nc}).status, 0);
  EXPECT_EQ(RunCli({"--sysdir", sys, "-c", "load " + nc + "; ncset; settings; lmx show"}).status,
            0);
  EXPECT_TRUE(std::filesystem::is_empty(home.path()));
  std::ofstream(home.file("plain")) << "x";
  auto r = RunCli({"--sysdir", home.file("plain"), "-c", "ncset"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("is not a folder"), std::string::npos) << r.err;
  saved ? setenv("HOME", oldHome.c_str(), 1) : unsetenv("HOME");
}

// given to it as they were.
// A polygon of n window positions on a circle, far enough apart to be taken.
std::string Ring(int n) {
  std::string words;
  for (int k = 0; k < n; ++k) {
    const double a = 6.283185307179586 * k / n;
    words += std::to_string(static_cast<int>(200 + 180 * std::cos(a))) + " " +
             std::to_string(static_cast<int>(200 + 180 * std::sin(a))) + " ";
  }
  return words;
}

std::string Repeat(const std::string& text, int times) {
  std::string all;
  for (int k = 0; k < times; ++k) all += text;
  return all;
}

// The rows of the hostile-input table (tests/data/cli/hostile.txt) whose words are made here.
TEST(HostileInput, LongPolygonsAndEndPartsAreRefusedWithTheirReason) {
  const std::string path = "add 1 0 0 5 0; add 3 0 0 -1 100; add 4 10 0 -1 100; add 1 10 0 5 0; ";
  // The files of the table these rows belong to, which each row must leave as they were.
  const std::vector<Transcript> tables =
      ReadTranscripts(std::string(TREVALON_TEST_DATA) + "/cli/hostile.txt");
  ASSERT_EQ(tables.back().name, "RefusalsSayWhatTheyRefuseAndKeepTheFiles");
  std::map<std::string, std::string> files = tables.back().files;
  files["deepend.nc"] = "%\nO7\nG90G00G17\nG00Z50.\nG00X0Y0\nG01Z-1.F100\n" +
                        Repeat("X10.\nX0.\n", 60) + "G00Z50.\nG00X0Y0\nG00Z-50.\nM30\n%\n";
  RunAlone(
      {
          // Verify compares the copied end part too (taken only from 500 bytes on).
          {path + "save {d}/out.nc editor=0 startend={d}/deepend.nc verify=1", 1,
           "err:1 difference(s) among", "err:expected nothing, read G00 X10.000 Y0.000 Z-50.000"},
          // A polygon over the path commands' vertex limit says the limit and fails.
          {path + "view size 400 400; reverse scope=polygon " + Ring(120), 1,
           "err:reverse: the polygon has 100 or more vertices 5 pixels apart; at most 99"},
          {path + "view size 400 400; reverse scope=polygon " + Ring(60), 0, "!err:at most 99"},
      },
      files);
}

TEST(HostileInput, ScriptLinesAreBounded) {
  const TempDir dir;
  const std::vector<std::string> fromStdin = {
      "--sysdir", dir.path().string(), "--lang", "en", "run", "-"};
  auto r = RunCli(fromStdin, "add 1 0 0 0 0\n" + std::string(cli::kScriptLineLimit + 1, 'a'));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("line 2: longer than 1048576 bytes"), std::string::npos) << r.err;
  // An unterminated quote at the end is an error on the quote's line; what came before ran.
  r = RunCli(fromStdin, "add 1 0 0 0 0; dump\nlayerinfo 1 comment=\"open\n\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("line 2: unterminated quote"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("0 1 "), std::string::npos) << r.out;
}

// A stream that fails the test when its second line is asked for before the first line's
// command has printed: the script must run as it is read, not after it has all been read.
class TwoLines : public std::streambuf {
 public:
  explicit TwoLines(const std::ostringstream& out) : out_(out) {}

 protected:
  int_type underflow() override {
    if (step_ == 0) {
      line_ = "add 1 0 0 0 0; dump\n";
    } else if (step_ == 1) {
      EXPECT_NE(out_.str().find("0 1 0.0000"), std::string::npos) << "not run as it came";
      line_ = "dump\n";
    } else {
      return traits_type::eof();
    }
    ++step_;
    setg(line_.data(), line_.data(), line_.data() + line_.size());
    return traits_type::to_int_type(line_[0]);
  }

 private:
  const std::ostringstream& out_;
  std::string line_;
  int step_ = 0;
};

TEST(HostileInput, StandardInputRunsLineByLine) {
  TempDir dir;
  std::ostringstream out, err;
  TwoLines lines(out);
  std::istream in(&lines);
  cli::Session s(out, err);
  StartOptions o;
  o.systemDir = dir.path().string();
  o.language = "en";
  ASSERT_TRUE(s.app.StartUp(o));
  EXPECT_EQ(cli::RunScriptStream(s, in), 0) << err.str();
  EXPECT_EQ(out.str(), "0 1 0.0000 0.0000 0.0000 0 0\n0 1 0.0000 0.0000 0.0000 0 0\n");
}

}  // namespace
}  // namespace trevalon::testing