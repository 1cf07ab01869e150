#pragma once
// The feed chart: the feed of every cutting move along the cutting distance, the toolpath
// before the optimiser's run beside it, and the material slope on a second axis when the
// document has a master model. Laid out here once as a ChartPicture, which the SVG and PNG
// writers and the desktop's chart window all draw.

#include <string>

#include "feed/feed_profile.h"
#include "platform/value_range.h"
#include "view/chart_picture.h"

namespace trevalon {

struct FeedChartOptions {
  int width = 1200, height = 520;
  // The removal rate of every move from the cutting simulation as a second series (the
  // command that collects the series runs the simulation).
  bool removalRate = false;
  static constexpr IntRange kWidthRange{320, 8192};
  static constexpr IntRange kHeightRange{200, 8192};
};

// An axis from lo to hi with ticks from `first` in steps of 1, 2 or 5 times a power of ten.
struct ChartAxis {
  double lo = 0, hi = 1;
  double first = 0, step = 1;
  int decimals = 0;  // of the tick labels
};
// The axis over [lo, hi] with about `ticks` ticks; a range without width (or not a number)
// becomes [lo, lo + 1]. With `roundEnds` the axis reaches out to the ticks around the range,
// otherwise it is the range itself and the ticks lie inside it.
ChartAxis NiceAxis(double lo, double hi, int ticks, bool roundEnds);

struct FeedChart {
  ChartPicture picture;
  // The plot area in pixels, and what its edges stand for.
  double left = 0, top = 0, right = 0, bottom = 0;
  ChartAxis distance, feed;
  ChartAxis rate;  // the removal rate's axis on the right, when hasRates
  bool hasBefore = false, hasSlopes = false, hasRates = false;

  // The cutting distance under the pixel column x (clamped to the axis).
  double DistanceAt(double x) const;
  // The pixel column of a cutting distance and the row of a feed.
  double XOf(double distance) const;
  double YOfFeed(double feed) const;
};

// The colours of the chart, for the desktop's cursor and legend to match.
inline constexpr ChartColour kChartAfterColour{30, 90, 200};
inline constexpr ChartColour kChartBeforeColour{235, 130, 40};
inline constexpr ChartColour kChartSlopeColour{60, 160, 80};
inline constexpr ChartColour kChartRateColour{150, 60, 170};
inline constexpr ChartColour kChartTextColour{40, 40, 40};

// Lays out the chart of `after` (the toolpath now) and, when given, `before`, on one distance
// axis (the longer of the two). Both series are drawn from DecimateProfile: at most two points
// per pixel column, so the picture of millions of moves holds a few thousand points. The texts
// are plain ASCII words, the same in every language, so that the built-in font of the PNG
// writer draws them. When `after` has removal rates they are drawn as a second series on an
// axis of their own on the right. Our rule: the right side holds one axis, so the rates take
// the place of the material slope when a profile has both.
FeedChart LayOutFeedChart(const FeedProfile& after, const FeedProfile* before,
                          const FeedChartOptions& options);

}  // namespace trevalon
