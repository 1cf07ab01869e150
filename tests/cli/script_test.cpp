#include "cli/script.h"

#include <gtest/gtest.h>

#include <fstream>

#include "test_support.h"

namespace trevalon {
namespace {

using testing::RunCli;

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

TEST(CliMain, OptionsModesAndLineNumbers) {
  testing::TempDir dir;
  const std::string sys = dir.path().string();
  auto r = RunCli({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("add TYPE X Y Z FEED [MARK]"), std::string::npos);
  EXPECT_NE(r.out.find("trevalon-cli convert IN -o OUT"), std::string::npos);
  for (std::vector<std::string> bad : {std::vector<std::string>{"--lang", "fr", "-c", "dump"},
                                       {"--answer", "maybe", "-c", "dump"},
                                       {"--sysdir"},
                                       {},
                                       {"-c", "dump", "dump"},
                                       {"frobnicate"}})
    EXPECT_EQ(RunCli(bad).status, 2);
  EXPECT_EQ(RunCli({"--sysdir", sys, "run", "/no/such/script"}).status, 1);
  // The first failing command stops the run: -c numbers its commands, a file its lines.
  r = RunCli({"--sysdir", sys, "-c", "add 1 0 0 0 0; bogus; add 1 0 0 0 0"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "line 2: unknown command 'bogus'\n");
  std::ofstream(dir.file("s.txt")) << "# header\nadd 1 0 0 0 0\n\nview nowhere\n";
  r = RunCli({"--sysdir", sys, "run", dir.file("s.txt")});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("line 4: ", 0), 0u) << r.err;
  r = RunCli({"--sysdir", sys, "run", "-"}, "add 1 0 0 0 0\ndump\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "0 1 0.0000 0.0000 0.0000 0 0\n");
}

}  // namespace
}  // namespace trevalon
