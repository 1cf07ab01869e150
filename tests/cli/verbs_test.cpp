// trevalon-cli: splitting scripts, the options and modes of the command line, and the verbs,
// one table per verb file: what each command line parses to, its exit status and the
// fragments of its output, most of them as transcripts under tests/data/cli. What the commands
// do is tested in the core; these rows check that the words reach it and that its results and
// failures come back.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/layer_commands.h"
#include "app/load_commands.h"
#include "cli/script_stream.h"
#include "cli_table.h"
#include "feed/cutting_conditions.h"
#include "feed/feed_control.h"

namespace trevalon::testing {
namespace {

// Starts the session in English with dir as its system folder.
bool StartedIn(cli::Session& s, const TempDir& dir) {
  return s.app.StartUp(StartOptions{dir.path().string(), "en", false});
}

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
  ASSERT_TRUE(StartedIn(s, dir));
  EXPECT_EQ(cli::RunScriptStream(s, in), 0) << err.str();
  EXPECT_EQ(out.str(), "0 1 0.0000 0.0000 0.0000 0 0\n0 1 0.0000 0.0000 0.0000 0 0\n");
}

// The verbs of the cutting simulation through the command line: stock, tool and simulate,
// what they print, what they keep and what they refuse.

// A script run with -c in dir, which is also the system folder.
ScriptResult Cli(const TempDir& dir, const std::string& script) {
  return RunCli({"--sysdir", dir.path().string(), "--lang", "en", "-c", script});
}

using SimulateVerbs = testing::TempDirTest;

TEST_F(SimulateVerbs, ARefusedCommandKeepsTheDocumentsOptions) {
  // A refused command keeps what the document had: the tool, the stock, and a failed run
  // keeps the options it was given out of the document.
  std::ostringstream out, err;
  cli::Session session(out, err);
  ASSERT_TRUE(StartedIn(session, dir));
  auto run = [&](const std::string& line) { return RunWords(session, line); };
  for (const char* ok :
       {"tool flat d=4", "stock 0,0,-5,50,50,0", "add 1 -20 25 -1 0", "add 2 80 25 -1 0"})
    ASSERT_EQ(run(ok), 0) << ok;
  EXPECT_EQ(run("tool d=0"), 2);
  EXPECT_EQ(run("stock 0,0,0,10,10,0"), 2);
  EXPECT_EQ(run("simulate tool=ball d=6 stock=0,0,0,1e5,1e5,1 cell=0.001"), 1);
  out.str("");
  EXPECT_EQ(run("tool"), 0);
  EXPECT_EQ(run("stock"), 0);
  EXPECT_EQ(out.str(), "tool: flat d=4\nstock: 0,0,-5,50,50,0\n");
  out.str("");
  EXPECT_EQ(run("simulate cell=0.5"), 0);
  EXPECT_NE(out.str().find("\"rapid_collisions\":1,\"first_rapid_collision\":1,"),
            std::string::npos)
      << out.str();
}

// The dogleg follows the rapid rates of machine.par: with the defaults Z arrives first and the
// rapid crosses the stock low; with a slow Z the tool is beside the stock before it comes down.
TEST_F(SimulateVerbs, DoglegTakesTheRapidRatesOfMachinePar) {
  const std::string run = "settings ConfigDir=" + dir.path().string() +
                          "; add 1 50 50 20 0; add 2 -20 50 -5 0; simulate "
                          "stock=0,0,-20,100,100,0 tool=flat d=2 dogleg=";
  EXPECT_NE(Cli(dir, run + "0").out.find("\"rapid_collisions\":0,"), std::string::npos);
  EXPECT_NE(Cli(dir, run + "1").out.find("\"rapid_collisions\":1,"), std::string::npos);
  std::ofstream(dir.file("machine.par")) << "RapidX 100000\nRapidY 100000\nRapidZ 100\n";
  const ScriptResult slowZ = Cli(dir, run + "1");
  EXPECT_NE(slowZ.out.find("\"rapid_collisions\":0,"), std::string::npos) << slowZ.out << slowZ.err;
}

TEST_F(SimulateVerbs, ExampleWithPngAndDogleg) {
  const std::string png = dir.file("part.png");
  const ScriptResult r =
      Cli(dir, "load " + std::string(TREVALON_EXAMPLES) +
                   "/core-insert-finish.nc; simulate tool=ball d=6 dogleg=1 png=" + png);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"moves\":"), std::string::npos);
  EXPECT_EQ(r.out.find("\"removed_volume\":0.000,"), std::string::npos) << r.out;
  EXPECT_EQ(ReadAll(png).rfind("\x89PNG\r\n\x1a\n", 0), 0u);
  // The feed chart with the removal rate from the same simulation.
  const std::string chart = dir.file("rate.svg");
  const ScriptResult plot =
      Cli(dir, "load " + std::string(TREVALON_EXAMPLES) +
                   "/core-insert-finish.nc; tool ball d=6; plot feed " + chart + " rate=1");
  ASSERT_EQ(plot.status, 0) << plot.err;
  EXPECT_NE(ReadAll(chart).find("removal rate (mm3/min)"), std::string::npos);
  // Without a cutting move there is no stock to take it from: refused, no file.
  const ScriptResult none =
      Cli(dir, "add 1 0 0 5 0; add 1 10 0 5 0; plot feed " + dir.file("none.svg") + " rate=1");
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("no cutting move"), std::string::npos) << none.err;
  EXPECT_TRUE(ReadAll(dir.file("none.svg")).empty());
}

// Every script verb that changes the toolpath is one undo step: after the command the
// document differs and one undo gives back exactly the document before it (every record,
// its source line, the work layer's data), saying which command it took back, and redo puts
// the command's result back; or the command changed nothing and recorded nothing.

// Four paths out of order: a rectangle with a point on a straight line, a path with an arc,
// a short path that climbs, and a closed square.
constexpr const char* kProgram =
    "G0 X0 Y0 Z10\nZ2\nG1 Z-1 F500\nX20 F1000\nX40\nY5\nX0\nG0 Z10\n"
    "X0 Y20\nZ2\nG1 Z-1 F500\nX40 F1000\nG3 X40 Y30 I0 J5\nG1 X0\nG0 Z10\n"
    "X100 Y50\nZ2\nG1 Z-1 F500\nX102\nX104 Z1\nG0 Z10\n"
    "X-50 Y-50\nZ2\nG1 Z-1 F500\nX-30\nY-30\nX-50\nY-50\nG0 Z10\nM30\n";

// Everything undo must bring back, as text: each record whole, where it came from, and the
// work layer's own data.
std::string DocumentState(CDocument& d) {
  std::ostringstream o;
  CPointStore& s = d.store;
  const SourceLines lines = d.CurrentSourceLines();
  o << "count " << s.count << "\n";
  for (std::uint32_t i = 0; i < s.count; ++i) {
    const PointRecord* r = s.RawRecord(i);
    char line[160];
    std::snprintf(line, sizeof line, "%u: %.9g %.9g %.9g f%d m%d t%d", i, r ? r->x : 0.f,
                  r ? r->y : 0.f, r ? r->z : 0.f, r ? r->feed : -1, r ? r->mark : -1,
                  r ? r->type : -1);
    o << line;
    if (const auto place = lines.Find(i)) o << " @" << place->file << ":" << place->offset;
    o << "\n";
  }
  const LayerSlot& w = d.layers[d.layers.workLayer];
  o << "layer " << d.layers.workLayer << " " << w.name << " | " << w.fileName << " | " << w.comment
    << " | " << w.spindle << " " << w.toolNumber << " " << w.toolOffset << " " << w.programNumber
    << " | " << w.setup.Describe() << " | " << d.StopNote(d.layers.workLayer) << "\n";
  return o.str();
}

TEST(UndoSteps, EveryCommandThatChangesTheToolpathIsOneUndoStep) {
  TempDir dir;
  const std::string program = dir.file("paths.nc");
  std::ofstream(program) << kProgram;
  for (const DataCase& step : ReadCases("cli/undo_steps.cases")) {
    const auto trace = step.Trace();
    std::ostringstream out, err;
    cli::Session s(out, err);
    ASSERT_TRUE(StartedIn(s, dir));
    s.app.settings.configDir = dir.path().string();
    s.platform.presetAnswer = Answer::Ok;
    InitDocument(s.app, *s.doc);
    std::string command = step.name;
    const std::string key = "{data}";
    if (const auto at = command.find(key); at != std::string::npos)
      command.replace(at, key.size(), TestData(""));
    ASSERT_EQ(
        cli::RunScript(
            s, "view size 400 300; view top; load " + program + "; view fit; " + step["before"],
            true),
        0)
        << err.str();
    CDocument& d = *s.doc;
    const std::string before = DocumentState(d);
    const std::uint32_t top = d.undo.undoTop, pos = d.undo.undoPos, before_count = d.store.count;
    s.platform.helpText = "(before)";
    const std::string help_before = s.platform.helpText;
    const int status = cli::RunScript(s, command, true);
    ASSERT_EQ(status, 0) << err.str();
    const std::string after = DocumentState(d);
    if (after == before) {
      // Nothing changed: the history is as it was, so undo takes back the command before.
      EXPECT_EQ(d.undo.undoTop, top);
      EXPECT_EQ(d.undo.undoPos, pos);
      continue;
    }
    // The help line says what the command did, and the command-line tool prints the same
    // line; a load keeps the reader's notices there instead.
    const bool load = step.name.rfind("load ", 0) == 0;
    const std::string summary = load ? "" : EditSummaryLine(s.app, d, before_count);
    EXPECT_EQ(s.platform.helpText, load ? help_before : summary);
    if (!load) {
      EXPECT_NE(err.str().find(summary + "\n"), std::string::npos) << err.str();
    }
    if (Txt name{}; !step["undo"].empty()) {
      ASSERT_TRUE(FindTxt(step["undo"], name)) << step["undo"];
      EXPECT_EQ(UndoLine(s.app, d), std::string("Undo: ") + UserText(name, Language::English));
    }
    err.str("");
    ASSERT_EQ(cli::RunScript(s, "undo", true), 0);
    if (step.name.rfind("load ", 0) == 0) {
      // A load's undo brings back the records, their lines and the setup; the layer's file
      // name, comment and numbers stay the new program's (as they always have).
      const std::string now = DocumentState(d);
      EXPECT_EQ(now.substr(0, now.find("layer ")), before.substr(0, before.find("layer ")));
    } else {
      EXPECT_EQ(DocumentState(d), before);
    }
    EXPECT_EQ(err.str().rfind("Undo: ", 0), 0u) << err.str();
    ASSERT_EQ(cli::RunScript(s, "redo", true), 0);
    EXPECT_EQ(DocumentState(d), after);
  }
}

// The user manual documents every script command and every shortcut of the command line: each
// has a heading of its own in the manual's script page, so that a command added without its
// documentation fails here.

// The text of the element that carries id="ID", up to its closing tag; "" when there is none.
std::string Heading(const std::string& page, const std::string& id) {
  const std::size_t at = page.find("id=\"" + id + "\"");
  if (at == std::string::npos) return {};
  const std::size_t open = page.find('>', at);
  const std::size_t close = page.find("</h", open);
  if (open == std::string::npos || close == std::string::npos) return {};
  return page.substr(open + 1, close - open - 1);
}

TEST(Manual, EveryScriptCommandAndShortcutHasItsHeading) {
  const std::string page = ReadAll(std::string(TREVALON_MANUAL) + "/script.html");
  ASSERT_FALSE(page.empty()) << "the manual's script page is missing";
  ASSERT_GT(cli::AllVerbs().size(), 30u);
  for (const cli::Verb& v : cli::AllVerbs()) {
    const std::string name = v.name;
    EXPECT_NE(Heading(page, "verb-" + name).find("<code>" + name + "</code>"), std::string::npos)
        << "script.html has no heading id=\"verb-" << name << "\" naming " << name;
  }
  ASSERT_FALSE(cli::AllShortcuts().empty());
  for (const cli::Shortcut& s : cli::AllShortcuts()) {
    const std::string name = s.name;
    EXPECT_NE(Heading(page, "shortcut-" + name).find("trevalon-cli " + name), std::string::npos)
        << "script.html has no heading id=\"shortcut-" << name << "\" naming " << name;
  }
}

}  // namespace
}  // namespace trevalon::testing