// The verb "plot": charts of the work layer written to image files.

#include <string>

#include "app/feed_chart_commands.h"
#include "cli/script.h"
#include "view/chart_picture.h"

namespace trevalon::cli {

namespace {

constexpr const char* kUsage =
    "plot feed OUT.png|OUT.svg [before=FILE] [width=W] [height=H] [rate=0|1]";

int Side(const Args& a, const char* key, int fallback, IntRange range) {
  if (!a.Has(key)) return fallback;
  const long v = a.IntOption(key, fallback);
  if (!range.Contains(v))
    Usage(std::string("plot feed: ") + key + " lies in " + std::to_string(range.lo) + " to " +
          std::to_string(range.hi));
  return static_cast<int>(v);
}

// plot feed OUT [before=FILE] [width=W] [height=H]: the feed chart of the work layer, beside
// the program FILE or, without it, the toolpath before the last optimiser run of this session.
void PlotVerb(Session& s, const Args& a) {
  a.Expect(2, 2, {"before", "width", "height", "rate"});
  if (a[0] != "feed") Usage("plot: unknown chart '" + a[0] + "'; usage: " + kUsage);
  const std::string& path = a[1];
  if (ChartFormatOfPath(path) == ChartFormat::None)
    Usage("plot feed: '" + path + "' must end in .png or .svg");
  FeedChartOptions options;
  options.width = Side(a, "width", options.width, FeedChartOptions::kWidthRange);
  options.height = Side(a, "height", options.height, FeedChartOptions::kHeightRange);
  options.removalRate = a.FlagOption("rate", false);
  const std::string* before = a.Option("before");
  if (before && before->empty()) Usage("plot feed: before= needs a file");
  Check(WriteFeedChartCommand(s.app, *s.doc, path, before ? *before : std::string(), options),
        "plot feed");
}

VerbRegistrar registrar{
    {"plot",
     "plot feed OUT.png|OUT.svg [before=FILE] [width=W] [height=H] [rate=0|1]   the feed (and "
     "master-model slope, or with rate=1 the simulated removal rate) along the cutting distance "
     "as a PNG or SVG chart, beside FILE or the toolpath before the last optimize",
     PlotVerb},
};

}  // namespace

}  // namespace trevalon::cli
