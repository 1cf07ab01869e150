// The verb "plot feed": writes the chart as PNG or SVG by the file's extension, with the
// before series it has (the toolpath before this session's optimiser run, or a program given
// with before=), and refuses what it cannot write before touching anything.

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

std::uint32_t PngWidth(const std::string& png) {
  std::uint32_t w = 0;
  for (int k = 16; k < 20; ++k) w = w << 8 | static_cast<unsigned char>(png.at(k));
  return w;
}

TEST(PlotVerb, WritesBothFormatsWithTheBeforeSeriesItHas) {
  TempDir dir;
  const std::string d = dir.path().string();
  const std::string cut = "add 1 0 0 5 0; add 3 0 0 0 100; add 4 50 0 0 100; add 4 50 50 0 100; ";
  auto r = RunScript(dir, cut + "plot feed " + d + "/a.svg; optimize; plot feed " + d +
                              "/b.svg; plot feed " + d + "/b.png width=640 height=300");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string a = ReadAll(d + "/a.svg"), b = ReadAll(d + "/b.svg");
  EXPECT_EQ(a.rfind("<?xml", 0), 0u);
  EXPECT_FALSE(Has(a, ">feed before<"));
  EXPECT_TRUE(Has(b, ">feed before<"));
  const std::string png = ReadAll(d + "/b.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(PngWidth(png), 640u);

  // A program given with before= is the before series, whatever the session did.
  r = RunScript(dir, cut + "save " + d + "/orig.nc editor=0; feed set 500; plot feed " + d +
                         "/c.SVG before=" + d + "/orig.nc");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(ReadAll(d + "/c.SVG"), ">feed before<"));
}

TEST(PlotVerb, RefusesWhatItCannotWrite) {
  TempDir dir;
  const std::string d = dir.path().string();
  const std::string cut = "add 1 0 0 5 0; add 3 0 0 0 100; add 4 50 0 0 100; ";
  struct Case {
    std::string command;
    int status;
    std::string message;
  } cases[] = {
      {"plot feed " + d + "/x.jpg", 2, "plot feed: '" + d + "/x.jpg' must end in .png or .svg"},
      {"plot bars " + d + "/x.png", 2, "plot: unknown chart 'bars'"},
      {"plot feed", 2, "plot"},
      {"plot feed " + d + "/x.png width=100", 2, "plot feed: width lies in 320 to 8192"},
      {"plot feed " + d + "/x.png colour=red", 2, "plot"},
      {"plot feed " + d + "/x.png before=", 2, "plot feed: before= needs a file"},
      {"plot feed " + d + "/x.png before=" + d + "/none.nc", 1,
       "plot feed: cannot open '" + d + "/none.nc'"},
      {"plot feed " + d + "/nofolder/x.png", 1,
       "plot feed: cannot create '" + d + "/nofolder/x.png'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    const auto r = RunScript(dir, cut + c.command);
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(Has(r.err, "line 4: " + c.message)) << r.err;
    EXPECT_FALSE(std::filesystem::exists(d + "/x.png"));
    EXPECT_FALSE(std::filesystem::exists(d + "/x.jpg"));
  }
}

}  // namespace
}  // namespace trevalon::testing
