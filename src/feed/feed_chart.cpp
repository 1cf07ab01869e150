#include "feed/feed_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace trevalon {

namespace {

constexpr ChartColour kOutside{246, 246, 246};
constexpr ChartColour kPlotArea{255, 255, 255};
constexpr ChartColour kGrid{226, 226, 226};
constexpr ChartColour kFrame{150, 150, 150};

// 1, 2, 5 or 10 times a power of ten near x: the nearest with `round`, else the first not
// below x.
double NiceNumber(double x, bool round) {
  const double e = std::floor(std::log10(x));
  const double power = std::pow(10.0, e);
  const double f = x / power;
  double nice;
  if (round)
    nice = f < 1.5 ? 1 : f < 3 ? 2 : f < 7 ? 5 : 10;
  else
    nice = f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10;
  return nice * power;
}

std::string Label(double v, int decimals) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = buf;
  if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);
  return s;
}

// The ticks of an axis, lo to hi.
std::vector<double> Ticks(const ChartAxis& a) {
  std::vector<double> out;
  for (int k = 0; k <= 1000; ++k) {
    const double v = a.first + k * a.step;
    if (v > a.hi + a.step * 1e-6) break;
    out.push_back(v);
  }
  return out;
}

// The middle of the pixel row or column that holds v, so that 1-pixel lines stay sharp.
double PixelCentre(double v) {
  return std::floor(v) + 0.5;
}

}  // namespace

ChartAxis NiceAxis(double lo, double hi, int ticks, bool roundEnds) {
  if (!std::isfinite(lo)) lo = 0;
  if (!std::isfinite(hi) || !(hi > lo)) hi = lo + 1;
  ticks = std::max(ticks, 2);
  ChartAxis a;
  const double range = NiceNumber(hi - lo, false);
  a.step = NiceNumber(range / (ticks - 1), true);
  if (roundEnds) {
    a.lo = std::floor(lo / a.step) * a.step;
    a.hi = std::ceil(hi / a.step) * a.step;
    if (!(a.hi > a.lo)) a.hi = a.lo + a.step;
  } else {
    a.lo = lo;
    a.hi = hi;
  }
  a.first = std::ceil(a.lo / a.step - 1e-9) * a.step;
  a.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(a.step) + 1e-9)));
  return a;
}

double FeedChart::DistanceAt(double x) const {
  const double f = std::clamp((x - left) / (right - left), 0.0, 1.0);
  return distance.lo + f * (distance.hi - distance.lo);
}

double FeedChart::XOf(double d) const {
  return left + (d - distance.lo) / (distance.hi - distance.lo) * (right - left);
}

double FeedChart::YOfFeed(double f) const {
  // The lowest value on the bottom row's centre, the highest on the top row's.
  return bottom - 0.5 - (f - feed.lo) / (feed.hi - feed.lo) * (bottom - top - 1);
}

FeedChart LayOutFeedChart(const FeedProfile& after, const FeedProfile* before,
                          const FeedChartOptions& options) {
  FeedChart c;
  const int W = static_cast<int>(std::clamp<long>(options.width, FeedChartOptions::kWidthRange.lo,
                                                  FeedChartOptions::kWidthRange.hi));
  const int H = static_cast<int>(std::clamp<long>(options.height, FeedChartOptions::kHeightRange.lo,
                                                  FeedChartOptions::kHeightRange.hi));
  ChartPicture& p = c.picture;
  p.width = W;
  p.height = H;
  p.background = kOutside;
  c.hasBefore = before != nullptr;
  c.hasRates = after.HasRates();
  c.hasSlopes = after.hasSlopes && !after.moves.empty() && !c.hasRates;

  // Text at twice the font's size once the chart is large enough to hold it.
  const int s = W >= 700 && H >= 350 ? 2 : 1;
  const int th = kGlyphHeight * s;
  const int gap = 4 * s;

  // ---- Value ranges ----
  double length = after.Length();
  double lowFeed = 0, highFeed = 0;
  bool anyMove = false;
  for (const FeedProfile* profile : {&after, before}) {
    if (!profile) continue;
    length = std::max(length, profile->Length());
    for (const ProfileMove& m : profile->moves) {
      lowFeed = std::min<double>(lowFeed, m.feed);
      highFeed = std::max<double>(highFeed, m.feed);
      anyMove = true;
    }
  }

  // ---- Plot area and axes ----
  // Above: the legend and the axis titles; below: the distance labels and the axis title.
  const int top = gap + th + 2 * gap + th + 2 * gap;
  const int bottom = H - (gap + th + gap + th + 2 * gap);
  const int plotHeight = std::max(bottom - top, 8);
  // The feed axis starts at a tick (0 unless a feed is negative) and ends a little above the
  // highest feed, so that a toolpath at its maximum feed runs clear of the frame.
  c.feed = NiceAxis(lowFeed, highFeed, std::max(2, plotHeight / (5 * th)), true);
  if (anyMove && highFeed > c.feed.lo) c.feed.hi = highFeed + (highFeed - c.feed.lo) * 0.04;
  const std::vector<double> feedTicks = Ticks(c.feed);
  int labelWidth = 0;
  for (double v : feedTicks)
    labelWidth = std::max(labelWidth, ChartTextWidth(Label(v, c.feed.decimals), s));
  const int left = 3 * gap + labelWidth;
  int rightMargin = ChartTextWidth("000000", s) / 2 + gap;
  if (c.hasSlopes) rightMargin = std::max(rightMargin, 3 * gap + ChartTextWidth("90", s));
  std::vector<double> rateTicks;
  if (c.hasRates) {
    double highRate = 0;
    for (float r : after.rates) highRate = std::max(highRate, static_cast<double>(r));
    c.rate = NiceAxis(0, highRate, std::max(2, plotHeight / (5 * th)), true);
    rateTicks = Ticks(c.rate);
    int rateWidth = 0;
    for (double v : rateTicks)
      rateWidth = std::max(rateWidth, ChartTextWidth(Label(v, c.rate.decimals), s));
    rightMargin = std::max(rightMargin, 3 * gap + rateWidth);
  }
  const int right = std::max(W - rightMargin, left + 8);
  c.left = left;
  c.right = right;
  c.top = top;
  c.bottom = top + plotHeight;
  const int plotWidth = right - left;
  // The distance axis is the toolpath's length: the chart uses its whole width.
  c.distance =
      NiceAxis(0, length, std::max(2, plotWidth / (ChartTextWidth("000000", s) + 6 * gap)), false);

  p.AddRect(left, c.top, right, c.bottom, kPlotArea);

  // ---- Grid and ticks ----
  for (double v : feedTicks) {
    const double y = PixelCentre(c.YOfFeed(v));
    if (v != c.feed.lo && v != c.feed.hi) p.AddLine({{left + 0.0, y}, {right + 0.0, y}}, kGrid);
    p.AddText(left - 2 * gap, y + th / 2.0, Label(v, c.feed.decimals), kChartTextColour, s,
              ChartShape::Anchor::End);
  }
  for (double v : Ticks(c.distance)) {
    const double x = PixelCentre(std::min(c.XOf(v), right - 0.5));
    if (v != c.distance.lo && v != c.distance.hi) p.AddLine({{x, c.top}, {x, c.bottom}}, kGrid);
    // A label under the axis' end is moved in so that the picture holds it whole.
    const std::string label = Label(v, c.distance.decimals);
    const double half = ChartTextWidth(label, s) / 2.0;
    p.AddText(std::min(x, W - 1 - half), c.bottom + gap + th + 1, label, kChartTextColour, s,
              ChartShape::Anchor::Middle);
  }

  // ---- Series ----
  const double perColumn = (c.distance.hi - c.distance.lo) / plotWidth;
  const auto series = [&](const FeedProfile& profile, bool slopes, ChartColour colour, int width) {
    std::vector<ChartPoint> points;
    const std::vector<ColumnValues> columns =
        DecimateProfile(profile, slopes, perColumn, plotWidth);
    points.reserve(2 * columns.size());
    const double rowSpan = c.bottom - c.top - 1;
    const auto y = [&](double v) {
      if (slopes) return PixelCentre(c.bottom - 0.5 - v / 90.0 * rowSpan);
      return PixelCentre(c.YOfFeed(v));
    };
    for (const ColumnValues& v : columns) {
      const double x = left + v.column + 0.5;
      points.push_back({x, y(v.first)});
      if (!v.single) points.push_back({x, y(v.second)});
    }
    // A profile that fits in one column is still a mark, not nothing.
    if (points.size() == 1) points.push_back(points.front());
    if (!points.empty()) p.AddLine(std::move(points), colour, width);
  };
  if (c.hasSlopes) series(after, true, kChartSlopeColour, 1);
  if (c.hasRates) {
    std::vector<ChartPoint> points;
    const double span = c.rate.hi - c.rate.lo;
    const auto y = [&](double v) {
      return PixelCentre(c.bottom - 0.5 - (v - c.rate.lo) / span * (c.bottom - c.top - 1));
    };
    for (const ColumnValues& v : DecimateRates(after, perColumn, plotWidth)) {
      const double x = left + v.column + 0.5;
      points.push_back({x, y(v.first)});
      if (!v.single) points.push_back({x, y(v.second)});
    }
    if (points.size() == 1) points.push_back(points.front());
    if (!points.empty()) p.AddLine(std::move(points), kChartRateColour, 1);
  }
  if (before) series(*before, false, kChartBeforeColour, s);
  series(after, false, kChartAfterColour, s);
  if (!anyMove)
    p.AddText((left + right) / 2.0, (c.top + c.bottom + th) / 2.0, "no cutting moves",
              kChartTextColour, s, ChartShape::Anchor::Middle);

  // ---- Frame, slope axis, titles and legend ----
  p.AddLine({{left - 0.5, c.top - 0.5},
             {right + 0.5, c.top - 0.5},
             {right + 0.5, c.bottom + 0.5},
             {left - 0.5, c.bottom + 0.5},
             {left - 0.5, c.top - 0.5}},
            kFrame);
  if (c.hasSlopes) {
    for (int deg = 0; deg <= 90; deg += 30) {
      const double y = PixelCentre(c.bottom - 0.5 - deg / 90.0 * (c.bottom - c.top - 1));
      p.AddLine({{right + 0.5, y}, {right + gap + 0.5, y}}, kFrame);
      p.AddText(right + 2 * gap, y + th / 2.0, std::to_string(deg), kChartSlopeColour, s);
    }
    p.AddText(right, c.top - 2 * gap, "slope (deg)", kChartSlopeColour, s, ChartShape::Anchor::End);
  }
  if (c.hasRates) {
    for (double v : rateTicks) {
      const double y = PixelCentre(
          c.bottom - 0.5 - (v - c.rate.lo) / (c.rate.hi - c.rate.lo) * (c.bottom - c.top - 1));
      p.AddLine({{right + 0.5, y}, {right + gap + 0.5, y}}, kFrame);
      p.AddText(right + 2 * gap, y + th / 2.0, Label(v, c.rate.decimals), kChartRateColour, s);
    }
    p.AddText(right, c.top - 2 * gap, "removal rate (mm3/min)", kChartRateColour, s,
              ChartShape::Anchor::End);
  }
  p.AddText(left, c.top - 2 * gap, "feed (mm/min)", kChartTextColour, s);
  p.AddText((left + right) / 2.0, H - 2 * gap, "cutting distance (mm)", kChartTextColour, s,
            ChartShape::Anchor::Middle);

  double x = left;
  const double legendBase = gap + th;
  const auto legend = [&](const char* text, ChartColour colour) {
    const double y = PixelCentre(legendBase - th / 2.0);
    p.AddLine({{x, y}, {x + 4 * gap, y}}, colour, s + 1);
    x += 5 * gap;
    p.AddText(x, legendBase, text, kChartTextColour, s);
    x += ChartTextWidth(text, s) + 4 * gap;
  };
  legend("feed", kChartAfterColour);
  if (before) legend("feed before", kChartBeforeColour);
  if (c.hasSlopes) legend("material slope", kChartSlopeColour);
  if (c.hasRates) legend("removal rate", kChartRateColour);
  return c;
}

}  // namespace trevalon
