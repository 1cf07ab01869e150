// The verb "feed": its words reach the feed changes, refused windows are no failure, bad values
// are usage errors, and the rule verbs keep their values from one use to the next.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/script.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

struct ScriptResult {
  int status = 0;
  std::string out, err;
};

ScriptResult RunScript(const TempDir& dir, const std::string& script) {
  std::vector<std::string> all = {"trevalon-cli", "--sysdir", dir.path().string(), "-c", script};
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  std::ostringstream out, err;
  std::istringstream in;
  const int status = cli::Main(static_cast<int>(argv.size()), argv.data(), out, err, in);
  return {status, out.str(), err.str()};
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(FeedVerb, WindowsPolygonsAndTheirRefusals) {
  TempDir dir;
  const std::string cut =
      "add 1 -20 0 10 0; add 3 -20 0 0 1000; add 4 20 0 4 1000; view top; "
      "view size 400 300; ";
  // A window that starts outside the view, one 1 pixel wide, then one over x >= 0.
  auto r =
      RunScript(dir, cut +
                         "feed window max 300 -1 10 300 290; feed window max 300 200 10 201 290; "
                         "feed window max 300 200 10 300 290; dump 2 3");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.err, "feed window: the window starts outside the view (nothing changed)"));
  EXPECT_TRUE(Has(r.err, "feed window: the window is narrower or lower than 2 pixels"));
  EXPECT_TRUE(Has(r.out, "feed window: 1 feeds changed, 1 points added"));
  EXPECT_TRUE(Has(r.out, "2 4 0.0000 0.0000 2.0000 1000 0\n3 4 20.0000 0.0000 4.0000 300 0\n"));
  // A polygon in window pixels around x >= 10 raises the floor there; two vertices do nothing.
  r = RunScript(dir, cut +
                         "feed polygon min 2000 210 10 390 10 390 290 210 290; "
                         "feed polygon min 2000 1 1 9 9;"
                         " feed set 500; dump 2 2");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "feed polygon: 1 feeds changed, 1 points added"));
  EXPECT_TRUE(Has(r.err, "feed polygon: a polygon needs at least 3 vertices (nothing changed)"));
  EXPECT_TRUE(Has(r.out, "feed set: 4 feeds changed"));
  EXPECT_TRUE(Has(r.out, "2 4 10.0000 0.0000 3.0000 500 0\n"));
  // Bad words are usage errors (status 2) and change nothing.
  for (const char* bad :
       {"feed window up 300 200 10 300 290", "feed set 0.5", "feed set 100001", "feed arc rmin=0",
        "feed arc first=1000001", "feed length lmax=0.05", "feed machine name=fanuc0m",
        "feed machine baud=1200", "feed machine weight=101", "feed machine rapid=2999",
        "feed polygon max 300 1 2 3 4 5 6 7", "feed arc radius=3", "feed"}) {
    SCOPED_TRACE(bad);
    r = RunScript(dir, cut + bad);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Has(r.err, "line 6: feed")) << r.err;
  }
}

TEST(FeedVerb, RuleOptionsKeepTheValuesOfTheirLastUse) {
  TempDir dir;
  auto r =
      RunScript(dir,
                "feed arc fmin=300 first=1000; feed arc; feed arc first=0; feed length lmax=2; "
                "feed length; feed machine name=Machine0 weight=100 smooth=0; feed machine "
                "baud=2400");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out,
                  "feed arc rmin=0.1 fmin=300 rmax=20 fmax=500 safe=1 first=1000: 0 feeds changed\n"
                  "feed arc rmin=0.1 fmin=300 rmax=20 fmax=500 safe=1 first=1000: 0 feeds changed\n"
                  "feed arc rmin=0.1 fmin=300 rmax=20 fmax=500 safe=1 first=0:"));
  EXPECT_TRUE(Has(r.out,
                  "feed length lmin=0.01 fmin=200 lmax=2 fmax=500 first=0: 0 feeds changed\n"
                  "feed length lmin=0.01 fmin=200 lmax=2 fmax=500 first=0:"));
  // Machine0 buffers 2 blocks; the slider at 100 doubles them.
  EXPECT_TRUE(Has(r.out,
                  "feed machine name=Machine0 blocks=4 baud=9600 max=1000 min=300 "
                  "rapid=8000 unit=50 weight=100 smooth=0 setmax=1: 0 feeds changed\n"
                  "feed machine name=Machine0 blocks=4 baud=2400 max=1000"));
  EXPECT_TRUE(Has(r.err, "feed arc: no feed to change (nothing changed)"));
}

}  // namespace
}  // namespace trevalon::testing
