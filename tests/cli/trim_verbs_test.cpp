// trevalon-cli's trim verbs: the words reach the trims, a refused region changes nothing
// without failing the script, and malformed words are usage errors.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/script.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

struct ScriptRun {
  int status;
  std::string out, err;
};

ScriptRun Script(const std::string& text) {
  TempDir dir;
  std::ostringstream out, err;
  cli::Session s(out, err);
  StartInTempDir(s.app, dir);
  const int status = cli::RunScript(s, text, false);
  return {status, out.str(), err.str()};
}

constexpr const char* kCut = "add 1 0 0 10 0\nadd 3 0 0 -1 500\nadd 4 100 0 -1 500\n";

TEST(TrimVerbs, RegionsReachTheTrims) {
  ScriptRun r = Script(std::string(kCut) + "trim box 40 -10 60 10 inside\ndump\n");
  EXPECT_EQ(r.status, 0) << r.err;
  // Cut to the window, up to the retract height, over, down, and on.
  EXPECT_NE(r.out.find("3 4 40.0000 0.0000 -1.0000 500 0\n4 1 40.0000 0.0000 100.0000 500 0\n"
                       "5 2 60.0000 0.0000 100.0000 500 0\n6 2 60.0000 0.0000 -1.0000 500 0\n"
                       "7 3 100.0000 0.0000 -1.0000 500 0\n"),
            std::string::npos)
      << r.out;
  // The same cut by a window of the top view (1 pixel per unit, the origin in the middle).
  ScriptRun w = Script(std::string(kCut) +
                       "view top\nview size 800 600\ntrim window 440 290 460 310 inside\ndump\n");
  EXPECT_EQ(w.status, 0) << w.err;
  EXPECT_EQ(w.out, r.out);
  ScriptRun z = Script(std::string(kCut) + "trim zband -0.5 20\ndump\n");
  EXPECT_EQ(z.status, 0) << z.err;
  EXPECT_EQ(z.out.find("-1.0000"), std::string::npos) << z.out;  // the cuts at -1 went
}

TEST(TrimVerbs, RefusedRegionsChangeNothingAndBadWordsAreUsageErrors) {
  const std::string dumped = Script(std::string(kCut) + "dump\n").out;
  // A window whose corners lie less than 2 pixels apart, a polygon of two vertices: nothing
  // changes and the script goes on.
  for (const char* refused : {"trim window 440 290 441 310 inside",
                              "trim window -1 290 460 310 inside", "trim polygon inside 1 1 5 5"}) {
    ScriptRun r = Script(std::string(kCut) + refused + "\ndump\n");
    EXPECT_EQ(r.status, 0) << refused;
    EXPECT_EQ(r.out, dumped) << refused;
    EXPECT_NE(r.err.find("(nothing changed)"), std::string::npos) << refused;
  }
  for (const char* bad :
       {"trim box 1 2 3 inside", "trim box 1 2 3 4 middle", "trim circle a 0 0 5 inside",
        "trim polygon inside 1 2 3", "trim zband 1", "trim cone 1 2"}) {
    ScriptRun r = Script(std::string(kCut) + bad + "\n");
    EXPECT_EQ(r.status, 2) << bad;
  }
  ScriptRun missing = Script(std::string(kCut) + "trim file /nonexistent/x.poi outside\n");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("/nonexistent/x.poi"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace trevalon::testing
