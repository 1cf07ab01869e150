#include "feed/feed_engine.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "model/point_record.h"
#include "model/point_store.h"

namespace trevalon {

CFeedEngine::CFeedEngine(CFeedControl& control, int channel)
    : control_(control), ch_(control.channels[channel]), rules_(ch_.conditions) {
  const CuttingConditions& c = ch_.conditions;
  rt_ = static_cast<double>(c.ToolDiameter) * 0.5;
  double safety = c.SafetyDistance;
  if (!(safety == safety)) safety = 0;  // a file's "nan" is no distance
  search_ = safety < 1.0 ? 1.0 : safety;
  // With XyChgReduceCheck the XY corner pass keeps the distance of the channel's previous
  // run (0 before any run) and never goes below 0.3, the "(0.3)" of the check box, so that
  // a first run with the check on still looks at corners over a short distance.
  if (c.XyChgReduceCheck == 1) {
    xyDistance_ = std::max(ch_.xyCornerDistance, 0.3);
  } else {
    xyDistance_ = search_;
    ch_.xyCornerDistance = search_;
  }
  elevationDistance_ = safety;
  // The effective minimum angles: CornerMinAngle x distance / rt, at most CornerMinAngle / 3.
  // Without a tool radius the cap is the value.
  double cap = static_cast<double>(c.CornerMinAngle) / 3.0;
  xyMinAngle_ = rt_ > 0 ? std::min(c.CornerMinAngle * xyDistance_ / rt_, cap) : cap;
  elevationMinAngle_ = rt_ > 0 ? std::min(c.CornerMinAngle * elevationDistance_ / rt_, cap) : cap;
  elevationDeviation_ = std::max(0.05 * rt_, 0.2);
}

// ---- Work-array access -----------------------------------------------------------------------

bool CFeedEngine::Read(std::uint32_t i, FeedPoint& out) const {
  if (i >= n_ || w_[i].MotionType == 0) return false;
  out = w_[i];
  return true;
}

std::uint32_t CFeedEngine::PrevMotion(std::uint32_t i) const {
  std::uint32_t k = i < n_ ? Prev(i) : kNone;
  return k == kNone ? 0 : k;
}

std::uint32_t CFeedEngine::NextMotion(std::uint32_t i) const {
  std::uint32_t k = Next(i);
  return k == kNone ? 0 : k;
}

bool CFeedEngine::Vector(std::uint32_t from, std::uint32_t to, double d[4], double u[3]) const {
  d[0] = d[1] = d[2] = d[3] = u[0] = u[1] = u[2] = 0;
  if (from >= n_ || to >= n_) return false;
  d[0] = w_[to].X - w_[from].X;
  d[1] = w_[to].Y - w_[from].Y;
  d[2] = w_[to].Z - w_[from].Z;
  d[3] = FlooredSqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  if (d[3] == 0.0) {
    d[0] = d[1] = d[2] = 0;
    return false;
  }
  for (int a = 0; a < 3; ++a) u[a] = d[a] / d[3];
  return true;
}

// ---- Zones ---------------------------------------------------------------------------------

void CFeedEngine::SetStartZone(FeedPoint& r, int pct, int feed) const {
  pct = std::min(pct, 100);
  feed = std::clamp(feed, 0, rules_.MaxFeed());  // zone feeds are 16 bits wide
  if (pct > r.StartZonePct) r.StartZonePct = static_cast<std::int16_t>(pct);
  if (r.StartZoneFeed == 0 || r.StartZoneFeed > feed)
    r.StartZoneFeed = static_cast<std::int16_t>(feed);
  MergeZones(r, feed);
}

void CFeedEngine::SetEndZone(FeedPoint& r, int pct, int feed) const {
  pct = std::min(pct, 100);
  feed = std::clamp(feed, 0, rules_.MaxFeed());
  if (pct > r.EndZonePct) r.EndZonePct = static_cast<std::int16_t>(pct);
  if (r.EndZoneFeed == 0 || r.EndZoneFeed > feed) r.EndZoneFeed = static_cast<std::int16_t>(feed);
  MergeZones(r, feed);
}

// Zones that cover more than 80 % of a move leave too short a middle to be worth a change of
// feed: the whole move takes the zone feed (or a lower zone feed it had). The move's own feed
// is never raised by it.
void CFeedEngine::MergeZones(FeedPoint& r, int zoneFeed) const {
  if (r.StartZonePct + r.EndZonePct <= 80) return;
  int f = zoneFeed;
  if (r.StartZoneFeed > 0 && r.StartZoneFeed < f) f = r.StartZoneFeed;
  if (r.EndZoneFeed > 0 && r.EndZoneFeed < f) f = r.EndZoneFeed;
  f = RoundFeed(f);
  if (f < r.Feed) r.Feed = f;
  r.StartZonePct = r.StartZoneFeed = r.EndZonePct = r.EndZoneFeed = 0;
}

void CFeedEngine::LowerWhole(FeedPoint& r, int feed) const {
  if (r.Feed > feed) r.Feed = feed;
  if (r.StartZoneFeed > feed) r.StartZonePct = r.StartZoneFeed = 0;
  if (r.EndZoneFeed > feed) r.EndZonePct = r.EndZoneFeed = 0;
}

// ---- Run ---------------------------------------------------------------------------------

int CFeedEngine::Run() {
  w_ = ch_.work.get();
  n_ = w_ ? ch_.pointCount : 0;
  lastShortNext_ = kNone;

  MeasurePaths();

  // Analysis, window by window, so that each look-back and look-ahead stays among recently
  // treated records.
  bool aborted = false;
  for (std::uint32_t lo = 0; lo < n_ && !aborted;) {
    std::uint32_t hi = n_ - lo > kWindow ? lo + kWindow : n_;
    aborted = !AnalyseWindow(lo, hi);
    if (onWindow) onWindow(hi, n_);
    lo = hi;
  }
  if (!aborted) ShortMovePass();
  aborted_ = aborted;
  pathLength_.reset();
  runOf_.reset();

  // Output, restarted with twice the capacity whenever it meets the end of the array.
  std::size_t cap = control_.firstOutputCapacity ? control_.firstOutputCapacity
                                                 : 2 * static_cast<std::size_t>(n_);
  if (cap == 0) cap = 1;
  for (;;) {
    control_.output.reset();
    control_.outputCapacity = 0;
    control_.outputCount = 0;
    out_ = new (std::nothrow) FeedPoint[cap];
    if (out_ == nullptr) return 0;
    control_.output.reset(out_);
    control_.outputCapacity = capacity_ = cap;
    fill_ = 0;
    if (OutputPass()) break;
    if (cap > 0x7FFFFFFFu) return 0;  // more output records than a run can count
    cap *= 2;
  }
  control_.outputCount = static_cast<std::uint32_t>(fill_);
  ch_.pointCount = control_.outputCount;
  ch_.slowedMoves = slowed_;
  return 1;
}

void CFeedEngine::MeasurePaths() {
  pathLength_.reset();
  runOf_.reset();
  if (!skipByPathLength) return;
  pathLength_.reset(new (std::nothrow) double[n_ > 0 ? n_ : 1]);
  runOf_.reset(new (std::nothrow) std::uint32_t[n_ > 0 ? n_ : 1]);
  if (!pathLength_ || !runOf_) {
    pathLength_.reset();
    runOf_.reset();
    return;
  }
  double length = 0;
  std::uint32_t run = 0;
  const FeedPoint* last = nullptr;
  for (std::uint32_t k = 0; k < n_; ++k) {
    const FeedPoint& r = w_[k];
    if (IsRapidCode(r.MotionType)) {
      ++run;
      length = 0;
      last = &r;
    } else if (IsMotionCode(r.MotionType)) {
      if (last) length += std::sqrt(Distance2(*last, r));
      last = &r;
    }
    pathLength_[k] = length;
    runOf_[k] = run;
  }
}

bool CFeedEngine::AnalyseWindow(std::uint32_t lo, std::uint32_t hi) {
  const CuttingConditions& c = ch_.conditions;
  // Reset: every move of the window starts at the maximum feed. A record that the window
  // before lowered as the neighbour of its last corners starts over here too; its own corner
  // treatment below sees those corners again through its legs.
  for (std::uint32_t i = lo; i < hi; ++i) {
    if (ch_.abort == 1) return false;
    if (IsMotionCode(w_[i].MotionType)) w_[i].ProgFeed = w_[i].Feed = rules_.MaxFeed();
  }
  for (std::uint32_t i = lo; i < hi; ++i) {
    if (ch_.abort == 1) return false;
    if (IsLinearCode(w_[i].MotionType)) SlopeRule(i);
  }
  if (c.LmxByMaster == 1 && ch_.master.cells != nullptr) {
    // The grid and the search distance stay the same for the whole run.
    if (!masterQuery_.PreparedFor(ch_.master, search_, c.SlopeMinAngle))
      masterQuery_.Prepare(ch_.master, search_, c.SlopeMinAngle);
    for (std::uint32_t i = lo; i < hi; ++i) {
      if (ch_.abort == 1) return false;
      if (IsLinearCode(w_[i].MotionType)) MasterRule(i);
    }
  }
  const int mode = control_.engineMode;
  for (std::uint32_t i = lo; i < hi; ++i) {
    if (ch_.abort == 1) return false;
    std::uint32_t t = w_[i].MotionType;
    if (!IsMotionCode(t)) continue;
    ch_.progressIndex = i;
    if (IsLinearCode(t)) {
      std::uint32_t nx = Next(i);
      if (nx != kNone && IsArcCode(w_[nx].MotionType)) continue;
      // Both treatments look at the same legs when their distances agree (the usual case).
      Leg in, out;
      bool legs = false;
      if (mode != 2) {
        legs = WalkZone(i, true, xyDistance_, out) && WalkZone(i, false, xyDistance_, in);
        if (legs) XyCorner(i, in, out);
      }
      if (mode != 1 && elevationDistance_ > 0) {
        if (mode == 2 || elevationDistance_ != xyDistance_) {
          in = Leg{}, out = Leg{};
          legs = WalkZone(i, true, elevationDistance_, out) &&
                 WalkZone(i, false, elevationDistance_, in);
        }
        if (legs) ElevationCorner(i, in, out);
      }
    } else if (IsArcCode(t) && mode != 2) {
      ArcRule(i);
    }
  }
  return true;
}

// ---- Short moves -----------------------------------------------------------------------------

// A move whose full-feed middle is shorter than the tool radius cannot reach its feed between
// two slower neighbours: it runs at their mean instead (rounded to the feed change unit).
void CFeedEngine::ShortMovePass() {
  for (std::uint32_t i = 0; i < n_; ++i) {
    FeedPoint& r = w_[i];
    if (r.MotionType != MOVE_LINE_CONT) continue;
    std::uint32_t p = Prev(i);
    if (p == kNone) continue;
    double len = Distance(w_[p], r);
    std::uint32_t nx = Next(i);
    auto nearFeed = [&](std::uint32_t k) -> int {
      if (k == kNone) return -1;
      return w_[k].EndZonePct > 0 ? w_[k].EndZoneFeed : w_[k].Feed;
    };
    auto farFeed = [&](std::uint32_t k) -> int {
      if (k == kNone) return -1;
      return w_[k].StartZonePct > 0 ? w_[k].StartZoneFeed : w_[k].Feed;
    };
    int a, b;
    double middle;
    if (r.StartZonePct > 0 && r.EndZonePct > 0) {
      a = r.StartZoneFeed, b = r.EndZoneFeed;
      middle = (100 - r.StartZonePct - r.EndZonePct) * len / 100.0;
    } else if (r.StartZonePct > 0) {
      a = r.StartZoneFeed, b = farFeed(nx);
      middle = (100 - r.StartZonePct) * len / 100.0;
    } else if (r.EndZonePct > 0) {
      a = r.EndZoneFeed, b = nearFeed(p);
      middle = (100 - r.EndZonePct) * len / 100.0;
    } else {
      a = nearFeed(p), b = farFeed(nx);
      middle = len;
    }
    if (a < 0 || b < 0) continue;  // no neighbour on that side
    if (middle < rt_ && r.Feed > a && r.Feed > b) r.Feed = RoundFeed((a + b) / 2);
  }
}

}  // namespace trevalon
