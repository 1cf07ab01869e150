// The verbs of the cutting simulation through the command line: stock, tool and simulate,
// what they print, what they keep and what they refuse.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli_table.h"

namespace trevalon::testing {
namespace {

// A script run with -c in dir, which is also the system folder.
ScriptResult Cli(const TempDir& dir, const std::string& script) {
  return RunCli({"--sysdir", dir.path().string(), "--lang", "en", "-c", script});
}

// The rows of the simulation verbs are in tests/data/cli/simulate.txt.
TEST(SimulateVerbs, ARefusedCommandKeepsTheDocumentsOptions) {
  TempDir dir;
  // A refused command keeps what the document had: the tool, the stock, and a failed run
  // keeps the options it was given out of the document.
  std::ostringstream out, err;
  cli::Session session(out, err);
  StartOptions o;
  o.systemDir = dir.path().string();
  o.language = "en";
  ASSERT_TRUE(session.app.StartUp(o));
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
TEST(SimulateVerbs, DoglegTakesTheRapidRatesOfMachinePar) {
  TempDir dir;
  const std::string run = "settings ConfigDir=" + dir.path().string() +
                          "; add 1 50 50 20 0; add 2 -20 50 -5 0; simulate "
                          "stock=0,0,-20,100,100,0 tool=flat d=2 dogleg=";
  EXPECT_NE(Cli(dir, run + "0").out.find("\"rapid_collisions\":0,"), std::string::npos);
  EXPECT_NE(Cli(dir, run + "1").out.find("\"rapid_collisions\":1,"), std::string::npos);
  std::ofstream(dir.file("machine.par")) << "RapidX 100000\nRapidY 100000\nRapidZ 100\n";
  const ScriptResult slowZ = Cli(dir, run + "1");
  EXPECT_NE(slowZ.out.find("\"rapid_collisions\":0,"), std::string::npos) << slowZ.out << slowZ.err;
}

TEST(SimulateVerbs, ExampleWithPngAndDogleg) {
  TempDir dir;
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

}  // namespace
}  // namespace trevalon::testing
