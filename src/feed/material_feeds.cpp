#include "feed/material_feeds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "model/statistics.h"

namespace trevalon {

namespace {

std::int32_t RoundDown(double f, std::int32_t unit) {
  if (!(f > 0.0)) return 0;
  return static_cast<std::int32_t>(std::floor(f / unit)) * unit;
}

double CuttingTime(CPointStore& store) {
  if (!ComputeStatistics(store)) return 0.0;
  return store.stats.cuttingTime;
}

}  // namespace

double EngagementFeed(const CuttingConditions& c, double depth, double radial) {
  double ratio = 1.0;
  const double limits[2] = {c.MaxAxialDepth, c.MaxRadialEngagement};
  const double actual[2] = {depth, radial};
  for (int k = 0; k < 2; ++k)
    if (limits[k] > 0.0 && actual[k] > limits[k]) ratio = std::min(ratio, limits[k] / actual[k]);
  return static_cast<double>(c.MaxFeed) * ratio;
}

std::int32_t MaterialFeed(const CuttingConditions& c, double volume, double length, bool plunge,
                          double depth, double radial) {
  const std::int32_t unit = std::max<std::int32_t>(1, c.FeedChgAng);
  if (!(volume > kTinyVolume)) {
    const std::int32_t air = c.AirCutFeed > 0 ? c.AirCutFeed : c.MaxFeed;
    return std::clamp<std::int32_t>(air, 1, static_cast<std::int32_t>(kConditionFeedRange.hi));
  }
  const double lowestReduction =
      std::min(static_cast<double>(c.CornerMaxReduction), static_cast<double>(c.SlopeMaxReduction));
  const std::int32_t lowest =
      std::max(unit, RoundDown(static_cast<double>(c.MaxFeed) * lowestReduction, unit));
  double f = c.MaxRemovalRate > 0.0f ? static_cast<double>(c.MaxRemovalRate) * length / volume
                                     : static_cast<double>(c.MaxFeed);
  f = std::min({f, static_cast<double>(c.MaxFeed), EngagementFeed(c, depth, radial)});
  std::int32_t feed = std::max(lowest, RoundDown(f, unit));
  if (plunge) feed = std::min(feed, std::max(unit, RoundDown(c.PlungeFeed, unit)));
  return feed;
}

Outcome MaterialFeeds(EditContext& ctx, const CuttingConditions& c,
                      const SimulationOptions& simulation, FeedRunSummary* summary,
                      MaterialFeedCounts* counts) {
  if (const std::string unusable = NoUsableFeedReason(c); !unusable.empty()) {
    ctx.msg.Notify(Txt::NoUsableFeed, Txt::OptimizerMessage);
    return Outcome::Failed(OutcomeCode::Refused, unusable + "; the toolpath is unchanged");
  }
  const bool engagement = c.MaxAxialDepth > 0.0f || c.MaxRadialEngagement > 0.0f;
  if (!(c.MaxRemovalRate > 0.0f) && !engagement)
    return Outcome::Failed(OutcomeCode::Refused,
                           "feeds from the material need MaxRemovalRate (mm^3/min), "
                           "MaxAxialDepth or MaxRadialEngagement (mm) above 0; the toolpath is "
                           "unchanged");
  CPointStore& store = ctx.store;
  if (store.count == 0) return Outcome::Unchanged("the work layer holds no toolpath");
  HeightField field;
  SimulationResult sim;
  SimulationOptions options = simulation;
  options.engagement = engagement;
  Outcome ran = Simulate(store, options, field, sim);
  if (!ran) return Outcome::Failed(ran.code(), ran.reason() + "; the toolpath is unchanged");
  field = HeightField();  // only the moves' volumes are needed from here on

  FeedRunSummary result;
  MaterialFeedCounts tally;
  result.pointsBefore = result.pointsAfter = store.count;
  result.cuttingTimeBefore = CuttingTime(store);

  // The new feed of every move, found before the store is touched.
  struct Change {
    std::uint32_t record;
    std::int32_t feed;
  };
  std::vector<Change> changes;
  std::size_t m = 0;
  bool havePrev = false;
  double prev[3] = {0, 0, 0};
  for (std::uint32_t i = 0; i < store.count && m < sim.moves.size(); ++i) {
    if (!store.FetchPoint(i) || !IsMotionType(store.reg.type)) continue;
    const double p[3] = {store.reg.x, store.reg.y, store.reg.z};
    const bool isMove = havePrev && sim.moves[m].record == i;
    const double dxy = havePrev ? std::hypot(p[0] - prev[0], p[1] - prev[1]) : 0.0;
    const double dz = havePrev ? p[2] - prev[2] : 0.0;
    std::copy(p, p + 3, prev);
    havePrev = true;
    if (!isMove) continue;
    const SimulatedMove& mv = sim.moves[m++];
    if (mv.Rapid() || !(mv.length > 0.0f)) continue;
    const bool plunge = dxy < 1e-6 && dz < 0.0;
    const std::int32_t feed = MaterialFeed(c, mv.volume, mv.length, plunge, mv.depth, mv.radial);
    if (mv.Cut()) {
      ++tally.cuts;
      if (feed < c.MaxFeed) ++tally.limited;
      if (engagement && feed < MaterialFeed(c, mv.volume, mv.length, plunge))
        ++tally.engagementHeld;
      tally.peakDepth = std::max(tally.peakDepth, static_cast<double>(mv.depth));
      tally.peakRadial = std::max(tally.peakRadial, static_cast<double>(mv.radial));
      tally.peakRate = std::max(tally.peakRate, static_cast<double>(mv.volume) * feed / mv.length);
    } else {
      ++tally.airCuts;
    }
    if (feed < c.MaxFeed) ++result.slowedMoves;
    if (feed != store.reg.feed) changes.push_back({i, feed});
  }
  if (changes.empty()) {
    result.cuttingTimeAfter = result.cuttingTimeBefore;
    if (summary) *summary = result;
    if (counts) *counts = tally;
    return Outcome::Unchanged("every move already runs at its feed from the material");
  }

  CommandFrame frame(ctx);
  frame.SaveUndo(Txt::CmdMaterialFeeds);
  for (const Change& ch : changes) {
    store.FetchPoint(ch.record);
    store.reg.feed = ch.feed;
    store.StorePoint(ch.record);
  }
  const ToolpathStatistics* after = frame.Finish();
  result.cuttingTimeAfter = after ? after->cuttingTime : 0.0;
  ShowOptimizerSummary(ctx.msg, result);
  if (summary) *summary = result;
  if (counts) *counts = tally;
  return Outcome::Done();
}

}  // namespace trevalon
