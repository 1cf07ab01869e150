#include "feed/feed_run.h"

#include <cstdio>
#include <new>

#include "edit/command_frame.h"
#include "feed/feed_control.h"
#include "feed/feed_engine.h"
#include "feed/master_model.h"
#include "model/statistics.h"

namespace trevalon {

namespace {

// The help pane shows the progress every this many windows of the analysis.
constexpr std::uint32_t kProgressWindows = 50;

double CuttingTime(CPointStore& store) {
  if (!ComputeStatistics(store)) return 0.0;
  return store.stats.cuttingTime;
}

// The run says why it could not start in the words of the memory message.
Outcome NoMemory(const Messages& msg) {
  msg.Notify(Txt::CannotAllocateMemory, Txt::Message);
  return Outcome::Failed(OutcomeCode::NoMemory, "not enough memory for the optimiser run");
}

}  // namespace

std::uint32_t SmoothFeedRises(CPointStore& store, double rt, int unit) {
  if (unit <= 0) unit = 1;
  std::uint32_t changed = 0;
  bool havePrev = false;
  double px = 0, py = 0, pz = 0;
  int fp = 0;
  const double rt2 = rt * rt;
  for (std::uint32_t i = 0; i < store.count; ++i) {
    if (!store.FetchPoint(i) || !IsMotionType(store.reg.type)) continue;
    const double x = store.reg.x, y = store.reg.y, z = store.reg.z;
    int f = store.reg.feed;
    // The feed before is that of the motion point before: arc centre records carry none.
    if (havePrev && store.reg.type == MOVE_LINE_CONT && fp < 2 * f / 3) {
      int lowest = f;
      auto within = [&](double qx, double qy, double qz) {
        double dx = qx - px, dy = qy - py, dz = qz - pz;
        return dx * dx + dy * dy + dz * dz < rt2;
      };
      if (within(x, y, z)) {
        for (std::uint32_t k = i + 1; k < store.count; ++k) {
          if (!store.FetchPoint(k)) continue;
          int t = store.reg.type;
          if (!IsMotionType(t)) continue;
          if (IsRapidType(t) || !within(store.reg.x, store.reg.y, store.reg.z)) break;
          if (store.reg.feed < lowest) lowest = store.reg.feed;
        }
      }
      if (lowest < 2 * f / 3) {
        f = (fp + lowest) / 2 / unit * unit;
        store.FetchPoint(i);
        store.reg.feed = f;
        store.StorePoint(i);
        ++changed;
      }
    }
    havePrev = true;
    px = x, py = y, pz = z;
    fp = f;
  }
  return changed;
}

Outcome OptimizeFeeds(EditContext& ctx, CFeedControl& fc, const MasterModel& master,
                      FeedRunSummary* summary) {
  ChannelSettings& ch = fc.Current();
  CuttingConditions& c = ch.conditions;
  CPointStore& store = ctx.store;
  // Our rule: conditions without a usable feed (set by hand, or by a dialog's boxes) would
  // give moves a feed of 0, so the run does not start and the toolpath stays as it was.
  if (const std::string unusable = NoUsableFeedReason(c); !unusable.empty()) {
    ctx.msg.Notify(Txt::NoUsableFeed, Txt::OptimizerMessage);
    return Outcome::Failed(OutcomeCode::Refused, unusable + "; the toolpath is unchanged");
  }
  CommandFrame frame(ctx);
  FeedRunSummary result;
  ch.master = c.LmxByMaster == 1 ? master.Grid() : MasterGrid{};

  result.pointsBefore = store.count;
  result.cuttingTimeBefore = CuttingTime(store);

  // The work array: one record per point of the store.
  const std::uint32_t n = store.count;
  ch.work.reset();
  ch.work.reset(new (std::nothrow) FeedPoint[n > 0 ? n : 1]);
  if (!ch.work) {
    ch.pointCount = 0;
    return NoMemory(ctx.msg);
  }
  ch.pointCount = n;
  FeedPoint* w = ch.work.get();
  for (std::uint32_t i = 0; i < n; ++i) {
    FeedPoint& r = w[i];
    if (store.FetchPoint(i)) {
      r.X = store.reg.x, r.Y = store.reg.y, r.Z = store.reg.z;
      r.ProgFeed = r.Feed = store.reg.feed;
      r.MotionType = static_cast<std::uint32_t>(store.reg.type);
    } else {  // no motion, or a record that fails the store's sanity test
      r.X = r.Y = r.Z = 0;
      r.ProgFeed = r.Feed = 0;
      r.MotionType = 0;
    }
    r.StartZonePct = r.StartZoneFeed = r.EndZonePct = r.EndZoneFeed = 0;
  }

  // The engine; Escape raises the channel's abort flag between windows.
  ch.abort = 0;
  CFeedEngine engine(fc, fc.currentChannel);
  std::uint32_t windows = 0;
  engine.onWindow = [&](std::uint32_t done, std::uint32_t count) {
    if (frame.EscapePressed()) ch.abort = 1;
    if (++windows % kProgressWindows == 0) {
      char line[160];
      std::snprintf(line, sizeof line, ctx.msg.Text(Txt::OptimizerProgress), done, count);
      ctx.msg.Help(line);
    }
  };
  const int ran = engine.Run();
  result.aborted = engine.Aborted();
  ch.abort = 0;
  ch.work.reset();  // the work array lives only while a run lasts
  if (!ran) {
    ch.pointCount = 0;
    return NoMemory(ctx.msg);
  }
  // Every page the output needs is taken before the store is touched, so that a failure
  // leaves the toolpath as it was.
  const std::uint32_t m = fc.outputCount;
  if (!frame.Reserve(m)) return NoMemory(ctx.msg);

  // Write-back: the output replaces the toolpath, point for point. The optimiser's records
  // carry no selection, so the points come back unselected.
  frame.SaveUndo(Txt::CmdFeedOptimizer);
  const FeedPoint* o = fc.output.get();
  store.count = m;
  for (std::uint32_t i = 0; i < m; ++i) {
    store.reg.x = o[i].X, store.reg.y = o[i].Y, store.reg.z = o[i].Z;
    store.reg.feed = o[i].Feed;
    store.reg.mark = 0;
    store.reg.type = static_cast<std::int32_t>(o[i].MotionType);
    store.StorePoint(i);
  }

  SmoothFeedRises(store, static_cast<double>(c.ToolDiameter) * 0.5, engine.Unit());
  frame.Compact();
  frame.Regenerate();

  result.pointsAfter = store.count;
  result.slowedMoves = ch.slowedMoves;
  // The frame's statistics give the time after; the summary follows them into the help pane.
  const ToolpathStatistics* after = frame.Finish();
  result.cuttingTimeAfter = after ? after->cuttingTime : 0.0;

  ShowOptimizerSummary(ctx.msg, result);
  // The document's maximum feed is the channel's.
  store.stats.maxFeed = c.MaxFeed;
  if (summary) *summary = result;
  return Outcome::Done();
}

void ShowOptimizerSummary(const Messages& msg, const FeedRunSummary& result) {
  char line[200];
  std::snprintf(line, sizeof line, msg.Text(Txt::OptimizerSummary), result.slowedMoves,
                result.cuttingTimeBefore, result.cuttingTimeAfter);
  msg.Help(line);
}

}  // namespace trevalon
