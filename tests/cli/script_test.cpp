#include "cli/script.h"

#include <gtest/gtest.h>

#include <fstream>

#include "test_support.h"

namespace trevalon {
namespace {

using testing::RunCli;
using testing::TempDir;

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
}

TEST(ScriptSplit, QuoteRoundTrip) {
  for (std::string s : {"plain", "with blank", "semi;colon", "line\nbreak", "q\"uote", "", "#x"}) {
    auto w = Split("v " + cli::QuoteWord(s));
    ASSERT_EQ(w.size(), 1u) << s;
    EXPECT_EQ(w[0][1], s);
  }
}

TEST(ScriptSplit, UnterminatedQuoteIsAnError) {
  std::vector<cli::ScriptCommand> cmds;
  std::string error;
  int line = 0;
  EXPECT_FALSE(cli::SplitScript("a\nb \"open", cmds, error, line));
  EXPECT_EQ(line, 2);
  EXPECT_EQ(cmds.size(), 1u);
}

class Cli : public ::testing::Test {
 protected:
  testing::ScriptResult Run(const std::string& commands, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--sysdir", dir.path().string(), "--lang", "en"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("-c");
    args.push_back(commands);
    return RunCli(args);
  }
  TempDir dir;
};

TEST_F(Cli, AddDumpAndInfo) {
  auto r = Run("add 1 0 0 10 0; add 3 0 0 0 500; add 4 30 40 0 500 1; dump 1; info");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "1 3 0.0000 0.0000 0.0000 500 0\n2 4 30.0000 40.0000 0.0000 500 1\n"
            "{\"count\":3,\"max_feed\":500,\"cutting_length\":60.000000,"
            "\"rapid_length\":0.000000,\"cutting_time\":0.120000,"
            "\"cutting_min\":[0.000000,0.000000,0.000000],"
            "\"cutting_max\":[30.000000,40.000000,10.000000],"
            "\"rapid_min\":[0.000000,0.000000,10.000000],"
            "\"rapid_max\":[0.000000,0.000000,10.000000]}\n");
}

TEST_F(Cli, DumpShowsRecordsAsStoredWithoutTheSanityRewrite) {
  auto r = Run("add 3 40000 0 0 100; dump; info; dump");
  ASSERT_EQ(r.status, 0) << r.err;
  // The first dump is raw; info fetches and so nulls the record; the second dump shows that.
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "0 3 40000.0000 0.0000 0.0000 100 0");
  EXPECT_NE(r.out.find("0 0 32700.0000 32700.0000 32700.0000 300 0\n"), std::string::npos);
}

TEST_F(Cli, ErrorsStopTheRunWithLineNumbersAndStatus) {
  auto r = Run("add 1 0 0 0 0; bogus; add 1 0 0 0 0");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "line 2: unknown command 'bogus'\n");
  r = Run("add 1 x 0 0 0");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("line 1: X must be a number"), std::string::npos);
  r = Run("add 5 0 0 0 0");
  EXPECT_EQ(r.status, 2);
  r = Run("layer 100");
  EXPECT_EQ(r.status, 2);
  r = Run("layerinfo 1 tool=100001");
  EXPECT_EQ(r.status, 2);
  r = Run("view key Escape");
  EXPECT_EQ(r.status, 2);
}

TEST_F(Cli, ScriptFileReportsPhysicalLines) {
  std::string path = dir.file("s.txt");
  std::ofstream(path) << "# header\nadd 1 0 0 0 0\n\nview nowhere\n";
  auto r = RunCli({"--sysdir", dir.path().string(), "run", path});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("line 4: ", 0), 0u) << r.err;
  r = RunCli({"--sysdir", dir.path().string(), "run", "-"}, "add 1 0 0 0 0\ndump\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "0 1 0.0000 0.0000 0.0000 0 0\n");
}

TEST_F(Cli, NothingToUndoIsNotAFailure) {
  auto r = Run("undo; redo; clear; undo; undo");
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(Cli, ClearUndoRedo) {
  auto r = Run("add 1 0 0 0 0; add 3 1 0 0 10; clear; dump; undo; dump 1; redo; dump");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "1 3 1.0000 0.0000 0.0000 10 0\n");
}

TEST_F(Cli, LayersCopyAndInfo) {
  auto r =
      Run("add 1 0 0 0 0; add 3 1 0 0 10; layer 3; add 1 5 5 5 0; layerinfo 3 tool=7 "
          "file=/jobs/b.nc \"comment=first\\r\\n\"; layer 0; copylayer 3 0; dump",
          {"--answer", "ok"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Korvo message: "), std::string::npos);  // tools differ: asked
  EXPECT_NE(r.out.find("2 1 5.0000 5.0000 5.0000 0 0\n"), std::string::npos);
  r = Run("layerinfo 3 tool=7 spindle=12000 name=\"Finish pass\"; layerinfo 3");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("name=\"Finish pass\"\n"), std::string::npos);
  EXPECT_NE(r.out.find("spindle=12000\n"), std::string::npos);
}

TEST_F(Cli, CopyCancelledKeepsTheWorkLayer) {
  auto r =
      Run("layer 3; add 1 5 5 5 0; layerinfo 3 tool=7; layer 0; add 1 0 0 0 0; "
          "copylayer 3 0; dump");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "0 1 0.0000 0.0000 0.0000 0 0\n");
}

TEST_F(Cli, ViewAndSelection) {
  auto r =
      Run("add 1 -50 0 10 0; add 3 -50 0 0 100; add 4 50 0 0 100; view top; view size 200 100; "
          "view fit; view show; select rect 99 49 101 51; dump 2; selection invert; dump 2; "
          "view key PageUp; view show");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "0 0 0 2.000000 0 0\n2 4 50.0000 0.0000 0.0000 100 1\n"
            "2 4 50.0000 0.0000 0.0000 100 0\n0 0 10 2.000000 0 0\n");
}

TEST_F(Cli, SettingsAndTexts) {
  auto r = Run("settings workdir=/nc/jobs CrossCursorChk=1 save; settings");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("WorkDir /nc/jobs\n"), std::string::npos);
  std::ifstream f(dir.file("korvo.cfg"));
  std::string first, second;
  std::getline(f, first);
  std::getline(f, second);
  EXPECT_EQ(second, "WorkDir /nc/jobs ");
  r = Run("settings Editor=\"my editor\"");
  EXPECT_EQ(r.status, 2);
  r = Run("text CannotOpenFile");
  EXPECT_EQ(r.out, " Can not open file !!.\n\n");
  r = Run("text NotExistMasterModel", {"--lang", "ja"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find("Not exist"), std::string::npos);
}

TEST(CliMain, HelpAndBadOptions) {
  auto r = RunCli({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("add TYPE X Y Z FEED [MARK]"), std::string::npos);
  EXPECT_EQ(RunCli({"--lang", "fr", "-c", "dump"}).status, 2);
  EXPECT_EQ(RunCli({"--answer", "maybe", "-c", "dump"}).status, 2);
  EXPECT_EQ(RunCli({}).status, 2);
  EXPECT_EQ(RunCli({"--sysdir", "/nonexistent-trevalon-test", "run", "/no/such/script"}).status, 1);
}

}  // namespace
}  // namespace trevalon
